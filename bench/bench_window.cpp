// The window's run path beside the headless run of the same program: F4 typed into the real main
// window, shown on the offscreen platform, from the application's event loop, with the events the
// run lets through and the drawing shown as it goes; and the window's print (the print run onto a
// PDF file, then the screen run) beside the headless run and print that morvo-run --pdf does.
// `window_cpu_ms` and `headless_cpu_ms` are the processor times (user and system) of one of each,
// `ratio` their quotient.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <ctime>
#include <memory>

#include "HeadlessRun.h"
#include "drawing/DrawState.h"
#include "editor/ProgramEditor.h"
#include "platform/Host.h"
#include "platform/OutputSurface.h"
#include "shell/DrawingView.h"
#include "shell/MainWindow.h"
#include "shell/Printing.h"
#include "shell/ProgramFiles.h"
#include "shell/QtHost.h"

namespace {

double CpuMs() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// A loop drawing `tours` circles of growing radius.
QString Cercles(int tours) {
  return QStringLiteral(
             "%I = 0\r\nBoucle:\r\n%I == %I+1\r\nCercle = 60,50,5+%I/1000\r\nIf %I < %1 Then Goto Boucle\r\n")
      .arg(tours);
}

// The file dialogs of a user who prints to a PDF file.
class DialoguesPdf : public DialoguesFichiers {
 public:
  explicit DialoguesPdf(QString fichier) : fichier_(std::move(fichier)) {}
  QString Ouvrir(const QString&, const QString&) override { return {}; }
  QString Enregistrer(const QString&, const QString&, const QString&, bool) override { return fichier_; }
  bool ChoisitImprimante(QPrinter& imprimante) override {
    imprimante.setOutputFormat(QPrinter::PdfFormat);
    imprimante.setOutputFileName(fichier_);
    return true;
  }

 private:
  QString fichier_;
};

// The main window as the desktop program shows it, measured as start-up measures it, with its
// printer a PDF file; its own configuration and home folders.
class FenetreBench {
 public:
  FenetreBench(const QString& dossier, const QString& pdf) : dialogues_(pdf) {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dossier));
    DefinitDialoguesFichiers(&dialogues_);
    RazImprimante();
    fenetre_ = std::make_unique<FenetrePrincipale>();
    // Once shown: the first show cuts a size to the screen.
    fenetre_->show();
    fenetre_->resize(1000, 700);
    QCoreApplication::processEvents();
    PrepareImprimante();
    Shell.MmParPixelEcran = static_cast<float>(fenetre_->Vue().MmParPixel());
    MesureImprimante();
    fenetre_->Mnu_Imprimante_Click();
    Sortie = &fenetre_->Vue().Surface();
  }
  ~FenetreBench() {
    fenetre_.reset();
    DefinitDialoguesFichiers(nullptr);
    RazImprimante();
  }

  FenetrePrincipale& F() { return *fenetre_; }
  QSize TailleVue() const { return fenetre_->Vue().TaillePixels(); }

  // `commande` from the application's event loop; its processor time.
  double DepuisLaBoucle(const std::function<void()>& commande) {
    QEventLoop boucle;
    double duree = 0;
    QTimer::singleShot(0, [&] {
      const double debut = CpuMs();
      commande();
      duree = CpuMs() - debut;
      boucle.quit();
    });
    boucle.exec();
    return duree;
  }

  // F4 as the keyboard sends it to the editor.
  double F4() {
    return DepuisLaBoucle([this] {
      QKeyEvent appui(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
      QApplication::sendEvent(&fenetre_->Editeur(), &appui);
      QKeyEvent relache(QEvent::KeyRelease, Qt::Key_F4, Qt::NoModifier);
      QApplication::sendEvent(&fenetre_->Editeur(), &relache);
    });
  }

 private:
  DialoguesPdf dialogues_;
  std::unique_ptr<FenetrePrincipale> fenetre_;
};

// The run of `programme` in the window, and headless on an image of the view's size; with
// `imprime`, the window's print beside the headless run and print of morvo-run --pdf.
void CompareFenetreEtHeadless(benchmark::State& state, bool imprime) {
  const QString programme = Cercles(static_cast<int>(state.range(0)));
  QTemporaryDir dossier;
  const QString pdf = dossier.filePath(QStringLiteral("cercles.pdf"));
  double fenetre = 0, headless = 0;
  for (auto _ : state) {
    QSize taille;
    {
      FenetreBench f(dossier.path(), pdf);
      taille = f.TailleVue();
      f.F().Editeur().Modele().SetText(programme);
      const double run = f.F4();
      if (imprime) {
        QFile::remove(pdf);
        fenetre += f.DepuisLaBoucle([&f] { f.F().Mnu_Imprimer_Click(); });
        if (!QFile::exists(pdf)) state.SkipWithError("the window printed nothing");
      } else {
        fenetre += run;
      }
    }
    {
      SessionHeadless session(taille.width(), taille.height(), 96.0);
      session.SansEnregistrement();
      SessionHeadless::MesureImprimantePdf();
      QFile::remove(pdf);
      const double debut = CpuMs();
      session.Execute(programme);
      if (imprime && !session.ImprimePdf(pdf)) state.SkipWithError("the headless run printed nothing");
      headless += CpuMs() - debut;
    }
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["window_cpu_ms"] = fenetre / n;
  state.counters["headless_cpu_ms"] = headless / n;
  state.counters["ratio"] = headless > 0 ? fenetre / headless : 0;
}

}  // namespace

static void BM_RunInTheWindowBesideHeadless(benchmark::State& state) {
  CompareFenetreEtHeadless(state, false);
}
BENCHMARK(BM_RunInTheWindowBesideHeadless)->Arg(30000)->Unit(benchmark::kMillisecond)->Iterations(3);

static void BM_PrintFromTheWindowBesideHeadlessPdf(benchmark::State& state) {
  CompareFenetreEtHeadless(state, true);
}
BENCHMARK(BM_PrintFromTheWindowBesideHeadlessPdf)->Arg(30000)->Unit(benchmark::kMillisecond)->Iterations(3);
