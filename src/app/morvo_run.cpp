// morvo-run: runs a program file with no window and writes what it drew.

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <memory>

#include "HeadlessRun.h"
#include "interpreter/ExternalCommands.h"
#include "interpreter/Interpreter.h"
#include "interpreter/RuntimeCommands.h"
#include "platform/Events.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/TextFile.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: morvo-run [--png FILE] [--pdf FILE] [--log FILE] [--answer TEXT]... [--size WxH]\n"
               "                 [--max-statements N] [--allow-shell] PROGRAM\n");
  return 1;
}

volatile std::sig_atomic_t arretDemande = 0;

extern "C" void SurSignal(int) { arretDemande = 1; }

// SIGINT and SIGTERM stop the run as Esc does, so the outputs are still written; a second signal
// ends the runner at once.
void ArreteSurSignal() {
  struct sigaction action {};
  action.sa_handler = SurSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  DefinitDoEvents([] {
    if (arretDemande) Arret = true;
  });
}

// The log file, written as the run draws through the checked writer: the old log is replaced only
// once the new one is whole.
class FichierJournal : public FluxJournal {
 public:
  explicit FichierJournal(const QString& chemin) : sortie_(chemin) {}
  bool Termine(QString* erreur) {
    // An empty log is one empty line, as it always was.
    if (NbLignes() == 0) Ajoute(QString());
    Vide();
    return sortie_.Termine(erreur);
  }

 protected:
  void Ecrit(const char* octets, size_t taille) override {
    sortie_.Ecrit(octets, static_cast<qint64>(taille));
  }

 private:
  SortieProgressive sortie_;
};

// Without a log nothing reads the drawn primitives back: they are not kept. With one, each entry
// goes into the file as it is drawn.
std::unique_ptr<FichierJournal> OuvreJournal(SessionHeadless& session, const QString& log) {
  if (log.isEmpty()) {
    session.SansEnregistrement();
    return nullptr;
  }
  // The log is written while the run draws: a reader of a FIFO log that goes away is a failed
  // write, not the end of the runner.
  std::signal(SIGPIPE, SIG_IGN);
  auto journal = std::make_unique<FichierJournal>(log);
  session.JournalVers(journal.get());
  return journal;
}

// The log's last entries, the variables, and the file made whole; false with the reason when it
// is not written whole.
bool TermineJournal(SessionHeadless& session, FichierJournal& journal, QString* raison) {
  session.TermineJournal();
  return journal.Termine(raison);
}

// The folders of a run as the desktop program has them once it has opened the file: the start
// folder is where the runner was started, the external commands are the ".dag" files of the
// runner's own folder and of the start folder, and the program's relative names are found from its
// folder.
void PrepareDossiers(const QFileInfo& programme) {
  Shell.RepDepart = AjouteAntiSlash(QDir::currentPath());
  ListeCmdExternes(QCoreApplication::applicationDirPath(), Shell.RepDepart);
  Shell.NomFichier = programme.absoluteFilePath();
  Shell.RepCourant = programme.absolutePath() + QLatin1Char('/');
  QDir::setCurrent(programme.absolutePath());
}

}  // namespace

int main(int argc, char** argv) {
  // First of all: a signal that comes while the runner starts up must not end it.
  ArreteSurSignal();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments().mid(1);
  QString png, pdf, log, programme;
  QStringList reponses;
  int largeur = 1000, hauteur = 700;
  qint64 maxInstructions = 0;
  bool shellPermis = false;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    auto suivant = [&](QString& cible) {
      if (i + 1 >= args.size()) return false;
      cible = args[++i];
      return true;
    };
    QString valeur;
    if (a == QLatin1String("--png")) {
      if (!suivant(png)) return Usage();
    } else if (a == QLatin1String("--pdf")) {
      if (!suivant(pdf)) return Usage();
    } else if (a == QLatin1String("--log")) {
      if (!suivant(log)) return Usage();
    } else if (a == QLatin1String("--answer")) {
      if (!suivant(valeur)) return Usage();
      reponses << valeur;
    } else if (a == QLatin1String("--size")) {
      if (!suivant(valeur)) return Usage();
      const QStringList wh = valeur.split(QLatin1Char('x'));
      bool ok1 = false, ok2 = false;
      if (wh.size() == 2) {
        largeur = wh[0].toInt(&ok1);
        hauteur = wh[1].toInt(&ok2);
      }
      if (!ok1 || !ok2 || largeur < 1 || hauteur < 1 || largeur > 20000 || hauteur > 20000) return Usage();
    } else if (a == QLatin1String("--max-statements")) {
      if (!suivant(valeur)) return Usage();
      bool ok = false;
      maxInstructions = valeur.toLongLong(&ok);
      if (!ok || maxInstructions < 1) return Usage();
    } else if (a == QLatin1String("--allow-shell")) {
      shellPermis = true;
    } else if (a.startsWith(QLatin1String("--")) || !programme.isEmpty()) {
      return Usage();
    } else {
      programme = a;
    }
  }
  if (programme.isEmpty()) return Usage();

  if (const QString refus = FichierProgrammeTropGrand(programme); !refus.isEmpty()) {
    std::fprintf(stderr, "morvo-run: %s\n", qPrintable(refus));
    return 2;
  }
  const auto texte = LitFichierTexte(programme);
  if (!texte) {
    std::fprintf(stderr, "morvo-run: cannot read %s\n", qPrintable(programme));
    return 2;
  }

  SessionHeadless session(largeur, hauteur);
  SessionHeadless::MesureImprimantePdf();
  for (const QString& r : reponses) session.AjouteReponse(r);
  PolitiqueShell = shellPermis ? AccordShell::Autoriser : AccordShell::Refuser;
  MaxInstructions = maxInstructions;
  // The outputs go where they were asked for, wherever the program's folder is.
  for (QString* sortie : {&png, &pdf, &log}) {
    if (!sortie->isEmpty()) *sortie = QFileInfo(*sortie).absoluteFilePath();
  }
  const std::unique_ptr<FichierJournal> journal = OuvreJournal(session, log);
  PrepareDossiers(QFileInfo(programme));
  session.Execute(*texte);

  // Every output is written whole or not at all; any that is not makes the exit code 3. A reader
  // of a FIFO output that goes away is a failed write, not the end of the runner.
  std::signal(SIGPIPE, SIG_IGN);
  int code = 0;
  const auto echec = [&code](const QString& fichier, const QString& raison) {
    std::fprintf(stderr, "morvo-run: cannot write %s: %s\n", qPrintable(fichier), qPrintable(raison));
    code = 3;
  };
  QString raison;
  if (!pdf.isEmpty() && !session.ImprimePdf(pdf, &raison)) echec(pdf, raison);
  if (!png.isEmpty()) {
    QBuffer image;
    image.open(QIODevice::WriteOnly);
    raison.clear();
    if (!session.Image().save(&image, "PNG") || !EcritSortie(png, image.data(), &raison)) echec(png, raison);
  }
  // The log is for tools: always UTF-8 with LF line ends.
  if (journal && !TermineJournal(session, *journal, &raison)) echec(log, raison);
  return code;
}
