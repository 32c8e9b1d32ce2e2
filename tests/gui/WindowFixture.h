#pragma once

// A main window started in a configuration home, start folder and program folder of its own, with
// scripted message boxes, file dialogs and printer dialog.

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStringList>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

#include "ConfigFixture.h"
#include "drawing/DrawState.h"
#include "editor/ProgramEditor.h"
#include "interpreter/Interpreter.h"
#include "interpreter/RunState.h"
#include "platform/Host.h"
#include "platform/QtPrompter.h"
#include "shell/MainWindow.h"
#include "shell/Menus.h"
#include "shell/Printing.h"
#include "shell/ProgramFiles.h"
#include "values/Levels.h"

// Room for a dialog's whole title in the bold face of most title bars, beside the icon and three
// buttons.
inline int LargeurPourTitre(const QWidget& d) {
  QFont gras = QApplication::font();
  gras.setBold(true);
  return QFontMetrics(gras).horizontalAdvance(d.windowTitle()) +
         4 * d.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &d);
}

// A screen configuration for the offscreen platform, in `dossier`: its platform argument.
inline QString PlateformeEcrans(const QString& dossier, const QString& ecransJson) {
  const QString chemin = QDir(dossier).filePath(QStringLiteral("ecrans.json"));
  QFile f(chemin);
  if (!f.open(QIODevice::WriteOnly)) return {};
  f.write(QStringLiteral("{\"screens\": [%1]}").arg(ecransJson).toUtf8());
  return QStringLiteral("offscreen:configfile=") + chemin;
}

// Runs the test `nom` of the running suite again in a process of its own on `plateforme`, unscaled
// but for the `variables` ("NAME=value") given; its output when it fails.
inline ::testing::AssertionResult RelanceSur(const QString& plateforme, const QString& nom,
                                             const QStringList& variables = {}) {
  QProcess suite;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), plateforme);
  env.remove(QStringLiteral("QT_SCALE_FACTOR"));
  env.remove(QStringLiteral("QT_SCREEN_SCALE_FACTORS"));
  for (const QString& v : variables) env.insert(v.section(u'=', 0, 0), v.section(u'=', 1));
  suite.setProcessEnvironment(env);
  suite.setProcessChannelMode(QProcess::MergedChannels);
  const QString nomSuite =
      QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name());
  suite.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_filter=") + nomSuite + QStringLiteral(".") + nom});
  if (!suite.waitForFinished(60000)) return ::testing::AssertionFailure() << "no end within a minute";
  const QByteArray sortie = suite.readAll();
  if (suite.exitCode() != 0 || !sortie.contains("[  PASSED  ] 1 test"))
    return ::testing::AssertionFailure() << sortie.constData();
  return ::testing::AssertionSuccess();
}

// Whether a widget of a window is shown and lies within each of its parents (a field or a button
// beyond the edge of a scrolled area or of the window is not seen).
inline bool EnVue(const QWidget* w, const QWidget* fenetre) {
  for (const QWidget* p = w->parentWidget(); p != nullptr && p != fenetre->parentWidget();
       p = p->parentWidget()) {
    if (!p->rect().contains(QRect(w->mapTo(p, QPoint(0, 0)), w->size()))) return false;
  }
  return w->isVisible();
}

// Runs `action` on the dialog of type D once it is shown modally; closes it if it is left open.
template <class D>
void SurDialogue(std::function<void(D&)> action, bool* vu) {
  QTimer::singleShot(0, [action, vu] {
    auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
    if (d == nullptr) return;
    *vu = true;
    action(*d);
    if (d->isVisible()) d->reject();
  });
}

// Answers the file dialogs from queues (an empty queue cancels) and records what was asked.
class DialoguesScriptes : public DialoguesFichiers {
 public:
  QString Ouvrir(const QString& dossier, const QString& filtre) override {
    Demandes << QStringLiteral("open ") + dossier + QStringLiteral(" ") + filtre;
    return Prend(ouvertures);
  }
  QString Enregistrer(const QString& nomPropose, const QString& extension, const QString&, bool) override {
    Demandes << QStringLiteral("save ") + nomPropose + QStringLiteral(" ") + extension;
    return Prend(enregistrements);
  }
  // Picks `file` (a system queue), else the PDF printer, in the dialog; then OK, or Cancel when
  // `imprimanteChoisie` is false: Qt's dialog has changed the printer it was given by then.
  bool ChoisitImprimante(QPrinter& imprimante) override {
    Demandes << QStringLiteral("printer");
    if (!file.isEmpty()) {
      imprimante.setOutputFormat(QPrinter::NativeFormat);
      imprimante.setPrinterName(file);
      imprimante.setPageOrientation(orientation);
    } else {
      imprimante.setOutputFormat(QPrinter::PdfFormat);
      // Qt's print dialog names the PDF file itself.
      if (!fichierPdf.isEmpty()) imprimante.setOutputFileName(fichierPdf);
    }
    return imprimanteChoisie;
  }

  std::deque<QString> ouvertures;
  std::deque<QString> enregistrements;
  bool imprimanteChoisie = true;
  QString file;
  QString fichierPdf;
  QPageLayout::Orientation orientation = QPageLayout::Portrait;
  QStringList Demandes;

 private:
  static QString Prend(std::deque<QString>& file) {
    if (file.empty()) return {};
    QString r = file.front();
    file.pop_front();
    return r;
  }
};

// Answers the modal dialogs that open from now on, in order, as a user does: each function gets
// the dialog once it is shown (and typically types a key into it).
class ReponsesModales {
 public:
  ReponsesModales() {
    minuterie_.setInterval(10);
    QObject::connect(&minuterie_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || modal == dernier_ || !modal->isVisible() || file_.empty()) return;
      dernier_ = modal;
      auto reponse = std::move(file_.front());
      file_.pop_front();
      // Out of this timer's slot, so that the dialogs the answer opens get theirs.
      QTimer::singleShot(0, modal, [reponse, modal] { reponse(modal); });
    });
    minuterie_.start();
  }
  void Ajoute(std::function<void(QWidget*)> reponse) { file_.push_back(std::move(reponse)); }
  bool Epuisees() const { return file_.empty(); }

 private:
  QTimer minuterie_;
  QPointer<QWidget> dernier_;
  std::deque<std::function<void(QWidget*)>> file_;
};

// What a message box showed, and the button that Enter pressed in it.
struct BoiteVue {
  QString texte;
  QMessageBox::Icon icone = QMessageBox::NoIcon;
  QString defaut;  // the caption of the default button
  bool vue = false;
};

// An answer for ReponsesModales: notes the message box, then presses Enter as the user does.
inline std::function<void(QWidget*)> NoteEtEntree(BoiteVue& b) {
  return [&b](QWidget* dialogue) {
    if (auto* boite = qobject_cast<QMessageBox*>(dialogue)) {
      b.vue = true;
      b.texte = boite->text();
      b.icone = boite->icon();
      if (boite->defaultButton()) b.defaut = boite->defaultButton()->text();
    }
    QWidget* cible = QApplication::focusWidget();
    QTest::keyClick(cible && cible->window() == dialogue ? cible : dialogue, Qt::Key_Return);
  };
}

class WindowFixture : public ConfigFixture {
 protected:
  void SetUp() override {
    ConfigFixture::SetUp();
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr)
        << "the window tests need a QApplication";
    ASSERT_TRUE(home_.isValid());
    ancienHome_ = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home_.path()));
    RazEtatRun();
    RazImprimante();
    FichierCourant.clear();
    FormeProgramme = {};
    FacteurCode = FacteurCodeDefaut;
    DefinitDialoguesFichiers(&fichiers_);
  }

  void TearDown() override {
    fenetre_.reset();
    DefinitDialoguesFichiers(nullptr);
    RazImprimante();
    FichierCourant.clear();
    FormeProgramme = {};
    LimiteInstructions = 0;
    Sortie = nullptr;
    qputenv("HOME", ancienHome_);
    ConfigFixture::TearDown();
  }

  // Creates and starts the window (the Open dialog of a start with no file is cancelled, so the
  // editor starts empty unless `arguments` name a file).
  FenetrePrincipale& Demarre(const QStringList& arguments = {}) {
    DemarreTel(arguments, QSize(1000, 700));
    prompter_.Efface();
    fichiers_.Demandes.clear();
    return *fenetre_;
  }
  // The same at `taille` (an invalid size keeps the window's own first size), keeping the messages
  // and file dialogs of the start.
  FenetrePrincipale& DemarreTel(const QStringList& arguments, const QSize& taille) {
    fenetre_ = std::make_unique<FenetrePrincipale>();
    // Resized once shown, as the user does: the first show cuts a size to the screen.
    fenetre_->show();
    if (taille.isValid()) fenetre_->resize(taille);
    EXPECT_TRUE(fenetre_->Demarre(arguments, Programme()));
    return *fenetre_;
  }

  FenetrePrincipale& F() { return *fenetre_; }
  EditeurProgramme& Ed() { return fenetre_->Editeur(); }
  // Types a program into the editor as the user would: the text counts as modified.
  void Tape(const QString& texte) {
    Ed().Modele().SetText(texte);
    Ed().DefinitModifie(true);
  }
  QString Chemin(const QString& nom) const { return Depart() + QStringLiteral("/") + nom; }

  // Message boxes and input boxes shown as the desktop program shows them.
  void VraisDialogues() { DefinitDialogues(&qtPrompter_); }

  // A key typed on the keyboard: it goes to the window that has the focus, as the system sends it.
  void Clavier(int touche, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(FenetreActive(), static_cast<Qt::Key>(touche), mods);
  }
  void Frappe(const QString& texte) {
    for (const QChar c : texte) QTest::keyClick(FenetreActive(), c.toLatin1());
  }
  // The window with the focus; when a closed dialog left none, the main window gets it back, as
  // the window manager gives it.
  QWindow* FenetreActive() {
    if (QGuiApplication::focusWindow() == nullptr && fenetre_) {
      fenetre_->activateWindow();
      QApplication::processEvents();
    }
    return QGuiApplication::focusWindow() ? QGuiApplication::focusWindow() : fenetre_->windowHandle();
  }
  // A menu entry chosen with the keyboard: Alt and the menu's access key, then the entry's.
  void ChoisitMenu(QChar menu, QChar entree) {
    Clavier(menu.toUpper().unicode(), Qt::AltModifier);
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr) << "Alt+" << QString(menu).toStdString() << " opens no menu";
    QTest::keyClick(popup, entree.toLatin1());
  }
  // A menu entry clicked: the menu opened with Alt and its access key, then a click on the entry.
  void CliqueMenu(const QString& menu, const QString& entree) {
    const QString titre = F().Menus().Menu(menu)->title();
    Clavier(titre.at(titre.indexOf(u'&') + 1).toUpper().unicode(), Qt::AltModifier);
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr) << menu.toStdString() << " does not open";
    QAction* action = F().Menus().Action(entree);
    ASSERT_TRUE(action->isVisible()) << entree.toStdString();
    QTest::mouseClick(popup, Qt::LeftButton, Qt::NoModifier, popup->actionGeometry(action).center());
  }

  // Opens the dialog of type D with `touche`: it must be as wide as its title, and Alt+letters
  // typed into its first field must leave the text as it was.
  template <class D>
  void VerifieTitreEtLettresAlt(int touche) {
    bool vu = false;
    int largeur = 0, requise = 0;
    QString avant, apres;
    SurDialogue<D>(
        [&](D& d) {
          largeur = d.width();
          requise = LargeurPourTitre(d);
          avant = d.Text1()->text();
          QTest::keyClick(d.Text1(), Qt::Key_End);
          QTest::keyClick(d.Text1(), Qt::Key_V, Qt::AltModifier);
          QTest::keyClick(d.Text1(), Qt::Key_Q, Qt::AltModifier);
          apres = d.Text1()->text();
          QTest::keyClick(d.Text1(), Qt::Key_Escape);
        },
        &vu);
    Clavier(touche);
    ASSERT_TRUE(vu);
    EXPECT_GE(largeur, requise);
    EXPECT_EQ(apres, avant);
  }

  // Lets the events run until `condition` holds, for at most `ms` milliseconds.
  static bool Attend(const std::function<bool()>& condition, int ms = 10000) {
    QElapsedTimer attente;
    attente.start();
    while (!condition()) {
      if (attente.elapsed() > ms) return false;
      QTest::qWait(10);
    }
    return true;
  }

  QString VarNiveau1(const QString& nom) const {
    if (Niveaux.size() < 2) return QStringLiteral("<absent>");
    const NiveauProg& nv = Niveaux[1];
    for (int i = 1; i <= nv.NbVar; ++i) {
      if (nv.NomsVar[static_cast<size_t>(i)].compare(nom, Qt::CaseInsensitive) == 0)
        return nv.ValeursVar[static_cast<size_t>(i)];
    }
    return QStringLiteral("<absent>");
  }

  DialoguesScriptes fichiers_;
  QtPrompter qtPrompter_;
  std::unique_ptr<FenetrePrincipale> fenetre_;

 private:
  QTemporaryDir home_;
  QByteArray ancienHome_;
};
