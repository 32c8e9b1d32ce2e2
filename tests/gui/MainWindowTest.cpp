#include <sys/prctl.h>

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QClipboard>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPaintEvent>
#include <QPrintDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <cmath>
#include <csignal>

#include "FullDisk.h"
#include "WindowFixture.h"
#include "platform/Events.h"
#include "platform/StringTable.h"
#include "shell/DrawingView.h"
#include "shell/LanguageDialog.h"
#include "shell/Languages.h"
#include "shell/Menus.h"
#include "shell/MouseCoordinates.h"
#include "shell/MouseDrawing.h"
#include "shell/QtHost.h"
#include "shell/Shutdown.h"

namespace {

void Touche(QWidget* cible, int touche, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent appui(QEvent::KeyPress, touche, mods);
  QApplication::sendEvent(cible, &appui);
  QKeyEvent relache(QEvent::KeyRelease, touche, mods);
  QApplication::sendEvent(cible, &relache);
}

int PixelsNoirs(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 100) ++n;
  return n;
}

}  // namespace

class MainWindowTest : public WindowFixture {
 protected:
  // Starts the desktop program as a process of its own in the start folder, on `plateforme`, with
  // `config` as its configuration home and `home` as HOME (both the fixture's when empty).
  void LanceMorvo(QProcess& morvo, const QStringList& arguments,
                  const QString& plateforme = QStringLiteral("offscreen"), const QString& config = {},
                  const QString& home = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), plateforme);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.isEmpty() ? xdg_.path() : config);
    env.insert(QStringLiteral("HOME"), home.isEmpty() ? xdg_.path() : home);
    morvo.setProcessEnvironment(env);
    morvo.setWorkingDirectory(Depart());
    morvo.start(QStringLiteral(MORVO_GUI_PATH), arguments);
  }
};

TEST_F(MainWindowTest, LayoutMenusAndCaptions) {
  Demarre();
  F().resize(1100, 700);
  QApplication::processEvents();
  VueDessin& vue = F().Vue();
  const int largeur = vue.width();
  EXPECT_EQ(vue.Surface().Image().width(), largeur);
  EXPECT_NEAR(Shell.LargeurZone, largeur * 25.4 / 96.0, 1e-6);
  EXPECT_NEAR(Shell.LargeurZone, vue.Surface().LargeurPixels() * vue.Surface().MmParPixel(), 1e-9);
  EXPECT_EQ(F().Editeur().width(), static_cast<int>(largeur / 3.3f));
  EXPECT_EQ(F().Editeur().geometry().right(), largeur - 1);
  EXPECT_EQ(F().Text1()->geometry().right() + 1, F().Editeur().x());
  EXPECT_EQ(F().Text1()->geometry().bottom() + 1, vue.height());
  EXPECT_EQ(F().Text2()->geometry().right() + 1, F().Text1()->x());
  EXPECT_EQ(F().Text4()->geometry().right() + 1, F().Text3()->x());

  // Widening: 1.2 times each time, until 1.3 times would not fit.
  const int avant = F().Editeur().width();
  F().Mnu_AgrandirCode_Click();
  EXPECT_NEAR(F().Editeur().width(), avant * 1.2, 2);
  for (int i = 0; i < 20; ++i) F().Mnu_AgrandirCode_Click();
  EXPECT_LT(F().Editeur().width(), largeur);
  EXPECT_GE(F().Editeur().width() * 1.3, largeur);
  F().Mnu_IniCode_Click();
  EXPECT_EQ(F().Editeur().width(), avant);

  // French captions, forms and shortcuts.
  MenusPrincipaux& m = F().Menus();
  EXPECT_EQ(m.Menu(QStringLiteral("Mnu_Fichier"))->title(), QStringLiteral("&Fichier"));
  // Key texts are Qt's, from each entry's key sequence, never part of the caption.
  EXPECT_EQ(m.Action(QStringLiteral("Mnu_Enregistrer"))->text(), QStringLiteral("En&registrer sous"));
  EXPECT_EQ(m.Action(QStringLiteral("Mnu_Enregistrer"))->shortcut(),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  EXPECT_EQ(m.Action(QStringLiteral("Mnu_ImprimerZoom"))->shortcut(),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
  EXPECT_EQ(m.Action(QStringLiteral("Mnu_Supprimer"))->text(), QStringLiteral("Supprimer"));
  EXPECT_EQ(m.Action(QStringLiteral("Mnu_Supprimer"))->shortcut(), QKeySequence(Qt::Key_Delete));
  for (QAction* a : m.Entrees()) EXPECT_FALSE(a->text().contains(u'\t')) << a->text().toStdString();
  EXPECT_EQ(m.Action(QStringLiteral("Mnu_Visualiser"))->text(), QStringLiteral("&Visualiser (F4)"));
  EXPECT_EQ(m.Action(QStringLiteral("Mnu_EnregistrerS"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
  EXPECT_EQ(m.Action(QStringLiteral("Mnu_AgrandirCode"))->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F5));
  EXPECT_FALSE(m.Action(QStringLiteral("Mnu_Defaire"))->isEnabled());
  EXPECT_FALSE(m.Action(QStringLiteral("Mnu_OuvrirMeter"))->isVisible());
  EXPECT_TRUE(m.Action(QStringLiteral("Mnu_Code"))->isChecked());
  EXPECT_EQ(m.Action(QStringLiteral("Mnu_Aide25"))->text(), QStringLiteral("&Aide"));
  EXPECT_FALSE(m.Action(QStringLiteral("Mnu_Aide"))->isVisible());
  EXPECT_EQ(F().Text1()->toolTip(), QStringLiteral("Ligne du curseur / nombre de lignes"));

  // English menus: padded and two-tab forms; the help entries split when the masks differ.
  DefinitLangueMenu(2);
  F().AfficheMenus();
  EXPECT_EQ(m.Action(QStringLiteral("Mnu_Ouvrir"))->text(), QStringLiteral("&Open"));
  EXPECT_EQ(m.Action(QStringLiteral("Mnu_Enregistrer"))->text(), QStringLiteral("Save &As"));
  EXPECT_EQ(m.Action(QStringLiteral("Mnu_Couper"))->text(), QStringLiteral("Cut"));
  EXPECT_EQ(m.Action(QStringLiteral("Mnu_Couper"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
  EXPECT_EQ(F().Text1()->toolTip(), QStringLiteral("Ligne du curseur / nombre de lignes"));
  m.RegleEntreesAide(false, Programme());
  EXPECT_EQ(m.Action(QStringLiteral("Mnu_Aide25"))->text(), TexteMenu(87));
  EXPECT_TRUE(m.Action(QStringLiteral("Mnu_Aide"))->isVisible());
  EXPECT_EQ(m.Action(QStringLiteral("Mnu_Aide"))->text(), QStringLiteral("&Help"));

  // The mouse-drawing entry opens its dialog.
  m.Action(QStringLiteral("Mnu_Dessin"))->trigger();
  ASSERT_NE(FrmDessin::Ouvert(), nullptr);
  FrmDessin::Ouvert()->Cmd_Esc_Click();
  QApplication::processEvents();
  EXPECT_EQ(FrmDessin::Ouvert(), nullptr);

  // The code pane hides and shows again.
  F().Mnu_Code_Click();
  EXPECT_FALSE(F().Editeur().isVisible());
  EXPECT_FALSE(F().Hote().MnuCodeCoche);
  F().Mnu_Code_Click();
  EXPECT_TRUE(F().Editeur().isVisible());

  // The keys the entries show are taken once, by the editor's and the window's own handling.
  F().activateWindow();
  QApplication::processEvents();
  QTest::mouseClick(Ed().viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  Frappe(QStringLiteral("abc"));
  Clavier(Qt::Key_Home);
  Clavier(Qt::Key_Delete);
  QApplication::processEvents();
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("bc"));
  Clavier(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  QApplication::processEvents();
  EXPECT_EQ(fichiers_.Demandes.size(), 1) << fichiers_.Demandes.join(u'|').toStdString();
}

TEST_F(MainWindowTest, F4RunsAndTheViewShowsIt) {
  Demarre();
  Ed().Modele().SetText(QStringLiteral("Trait 0,0,50,50\r\n%A = 5"));
  F().Vue().Surface().Cls();
  ASSERT_EQ(PixelsNoirs(F().Vue().Surface().Image()), 0);
  Ed().setFocus();
  // Shift+F4 is consumed and runs nothing.
  Touche(&Ed(), Qt::Key_F4, Qt::ShiftModifier);
  EXPECT_EQ(VarNiveau1(QStringLiteral("%A")), QStringLiteral("<absent>"));
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("Trait 0,0,50,50\r\n%A = 5"));
  Touche(&Ed(), Qt::Key_F4);
  EXPECT_EQ(VarNiveau1(QStringLiteral("%A")), QStringLiteral("5"));
  EXPECT_GT(PixelsNoirs(F().Vue().Surface().Image()), 50);
  EXPECT_GT(PixelsNoirs(F().Vue().grab().toImage()), 50);
  EXPECT_TRUE(F().Vue().isEnabled());
  EXPECT_TRUE(F().Action(QStringLiteral("Mnu_Visualiser"))->isEnabled());
  EXPECT_TRUE(F().Action(QStringLiteral("Mnu_Ouvrir"))->isEnabled());
  // Ctrl+Shift+S is Save As.
  fichiers_.Demandes.clear();
  Touche(&Ed(), Qt::Key_S, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(fichiers_.Demandes.size(), 1);
}

// A line break of another system pasted or dropped into the editor is a line end: F4 runs the
// lines the editor shows.
TEST_F(MainWindowTest, LineBreaksPastedOrDroppedAreTheLinesF4Runs) {
  Demarre();
  Ed().setFocus();
  QApplication::clipboard()->setText(QStringLiteral("Cercle = 30,30,5") + QChar(0x2028) +
                                     QStringLiteral("Cercle = 60,30,5\v%A = 1\f%B = 2") + QChar(0x85) +
                                     QStringLiteral("%C = 3\r\n"));
  Clavier(Qt::Key_V, Qt::ControlModifier);
  QApplication::clipboard()->clear();
  QMimeData donnees;
  donnees.setText(QStringLiteral("%D = 4") + QChar(0x2028) + QStringLiteral("%E = 5"));
  QTextCursor fin(Ed().document());
  fin.movePosition(QTextCursor::End);
  const QPoint point = Ed().cursorRect(fin).center();
  QDragEnterEvent entree(point, Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Ed().viewport(), &entree);
  QDropEvent depot(QPointF(point), Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Ed().viewport(), &depot);
  EXPECT_EQ(Ed().Modele().Text(),
            QStringLiteral("Cercle = 30,30,5\r\nCercle = 60,30,5\r\n%A = 1\r\n%B = 2\r\n"
                           "%C = 3\r\n%D = 4\r\n%E = 5"));
  Clavier(Qt::Key_F4);
  EXPECT_TRUE(prompter_.Messages().empty()) << prompter_.Messages()[0].texte.toStdString();
  EXPECT_EQ(VarNiveau1(QStringLiteral("%B")), QStringLiteral("2"));
  EXPECT_EQ(VarNiveau1(QStringLiteral("%C")), QStringLiteral("3"));
  EXPECT_EQ(VarNiveau1(QStringLiteral("%E")), QStringLiteral("5"));
}

TEST_F(MainWindowTest, EscStopsAnEndlessLoop) {
  Demarre();
  Ed().Modele().SetText(QStringLiteral("A:\r\nGOTO A\r\n"));
  // A bound so that a broken stop fails the test instead of hanging it.
  LimiteInstructions = 100'000'000;
  bool vueActive = true, ouvrirActif = true, visualiserActif = true;
  QTimer::singleShot(300, [&] {
    vueActive = F().Vue().isEnabled();
    ouvrirActif = F().Action(QStringLiteral("Mnu_Ouvrir"))->isEnabled();
    visualiserActif = F().Action(QStringLiteral("Mnu_Visualiser"))->isEnabled();
    Touche(QApplication::focusWidget() ? QApplication::focusWidget() : &F(), Qt::Key_Escape);
  });
  QElapsedTimer chrono;
  chrono.start();
  F().Mnu_Visualiser_Click();
  EXPECT_LT(chrono.elapsed(), 20000);
  EXPECT_TRUE(Arret);
  EXPECT_FALSE(vueActive);
  EXPECT_FALSE(ouvrirActif);
  EXPECT_FALSE(visualiserActif);
  EXPECT_TRUE(F().Vue().isEnabled());
  EXPECT_TRUE(F().Action(QStringLiteral("Mnu_Ouvrir"))->isEnabled());
  EXPECT_TRUE(F().Action(QStringLiteral("Mnu_Visualiser"))->isEnabled());
  EXPECT_TRUE(prompter_.Messages().empty());
}

TEST_F(MainWindowTest, TheDrawingAreaStaysInMillimetres) {
  Demarre();
  VueDessin& vue = F().Vue();
  // After a run at zoom 2 the surface holds the run's scale; the layout goes back to millimetres.
  Shell.ZoomCourant = 2.0f;
  Ed().Modele().SetText(QStringLiteral("Trait 0,0,50,50\r\n"));
  F().Mnu_Visualiser_Click();
  F().Mnu_AgrandirCode_Click();
  EXPECT_NEAR(Shell.LargeurZone, vue.width() * 25.4 / 96.0, 1e-6);
  EXPECT_NEAR(Shell.HauteurZone, vue.height() * 25.4 / 96.0, 1e-6);

  // A new window size during a run waits for its end: the run keeps the image it measured.
  Shell.ZoomCourant = 1.0f;
  Ed().Modele().SetText(QStringLiteral("A:\r\nGOTO A\r\n"));
  LimiteInstructions = 100'000'000;
  const QSize avant = vue.Surface().Image().size();
  QSize pendant;
  QTimer::singleShot(100, [&] { F().resize(800, 500); });
  QTimer::singleShot(300, [&] {
    pendant = vue.Surface().Image().size();
    Touche(&F(), Qt::Key_Escape);
  });
  F().Mnu_Visualiser_Click();
  EXPECT_EQ(pendant, avant);
  EXPECT_NE(vue.size(), avant);
  EXPECT_EQ(vue.Surface().Image().size(), vue.size());
  EXPECT_NEAR(Shell.LargeurZone, vue.width() * 25.4 / 96.0, 1e-6);
  EXPECT_EQ(F().Editeur().geometry().right(), vue.width() - 1);
}

namespace {

// The box around the dark pixels of an image.
QRect BoiteNoire(const QImage& image) {
  QRect r;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 100) r |= QRect(x, y, 1, 1);
  return r;
}

}  // namespace

TEST_F(MainWindowTest, AfterAResizeTheDrawingIsShownWhereTheProgramPutsIt) {
  Demarre();
  Tape(QStringLiteral("Trait 0,0,50,50\r\n"));
  Clavier(Qt::Key_F4);
  VueDessin& vue = F().Vue();
  const int noirs = PixelsNoirs(vue.Surface().Image());
  const QRect avant = BoiteNoire(vue.Surface().Image());
  ASSERT_GT(noirs, 100);
  ASSERT_LE(vue.height() - avant.bottom(), 3);

  // Enlarged: the line still starts at the bottom-left corner, the same size.
  F().resize(1100, 800);
  QApplication::processEvents();
  QRect apres = BoiteNoire(vue.Surface().Image());
  EXPECT_LE(vue.height() - apres.bottom(), 3);
  EXPECT_LE(apres.left(), avant.left());
  EXPECT_EQ(apres.size(), avant.size());

  // Shrunk below the drawing, then enlarged again: the whole line is back.
  F().resize(400, 150);
  QApplication::processEvents();
  F().resize(1000, 700);
  QApplication::processEvents();
  apres = BoiteNoire(vue.Surface().Image());
  EXPECT_NEAR(PixelsNoirs(vue.Surface().Image()), noirs, noirs / 20);
  EXPECT_EQ(apres.size(), avant.size());
  EXPECT_LE(vue.height() - apres.bottom(), 3);
}

TEST_F(MainWindowTest, AResizeRunsNothingAndShowsTheDrawingOfTheLastRunAgain) {
  Demarre();
  const QString lignes = QDir(Depart()).filePath(QStringLiteral("lignes.txt"));
  // A program that asks at start-up and appends to a file: a run would ask and append again.
  Tape(QStringLiteral("Input == Rayon ?§12, %r\r\nOpenA = ") + lignes +
       QStringLiteral("\r\nPrintA = r %r\r\nCercle = 30,30,%r\r\nTrait = 0,0,120,90\r\n"));
  prompter_.AjouteReponse(QStringLiteral("20"));
  Clavier(Qt::Key_F4);
  ASSERT_EQ(prompter_.Journal().size(), 1) << prompter_.Journal().join(u'\n').toStdString();
  ASSERT_EQ(LitOctets(lignes).count('\n'), 1);
  VueDessin& vue = F().Vue();
  const QImage avant = vue.Surface().Image();
  const int noirs = PixelsNoirs(avant);
  const QRect boite = BoiteNoire(avant);
  ASSERT_GT(noirs, 300);
  const auto readout = [&](QPoint pixel) {
    QTest::mouseMove(&vue, pixel);
    QApplication::processEvents();
    return std::make_pair(Souris.SourisX, Souris.SourisY);
  };
  const auto [x0, y0] = readout(QPoint(40, vue.height() - 40));

  // Shrunk below the drawing, then larger than at the run, with the events of each size handled
  // as the window system sends them.
  for (const QSize taille : {QSize(500, 260), QSize(1150, 820), QSize(1000, 700)}) {
    F().resize(taille);
    QTest::qWait(150);
    EXPECT_EQ(prompter_.Journal().size(), 1) << "asked again at " << taille.width() << "x" << taille.height();
    EXPECT_EQ(LitOctets(lignes).count('\n'), 1);
  }
  // The whole drawing is back, at the same place from the bottom-left corner, and the mouse reads
  // the same units there.
  const QImage apres = vue.Surface().Image();
  EXPECT_EQ(apres.size(), vue.size() * vue.devicePixelRatioF());
  EXPECT_NEAR(PixelsNoirs(apres), noirs, noirs / 50);
  const QRect boiteApres = BoiteNoire(apres);
  EXPECT_EQ(boiteApres.size(), boite.size());
  EXPECT_EQ(apres.height() - boiteApres.bottom(), avant.height() - boite.bottom());
  EXPECT_EQ(boiteApres.left(), boite.left());
  // And the screen shows it: the corner that holds the drawing, left of the status boxes.
  const QRect coin(0, vue.height() - 345, 340, 345);
  EXPECT_EQ(vue.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(coin),
            apres.convertToFormat(QImage::Format_RGB32).copy(coin));
  const auto [x1, y1] = readout(QPoint(40, vue.height() - 40));
  EXPECT_NEAR(x1, x0, 0.01);
  EXPECT_NEAR(y1, y0, 0.01);
  EXPECT_GT(y1, readout(QPoint(40, vue.height() - 10)).second);
  // F4 runs it, and asks.
  prompter_.AjouteReponse(QStringLiteral("20"));
  Clavier(Qt::Key_F4);
  EXPECT_EQ(prompter_.Journal().size(), 2);
}

namespace {

// Notes the areas of the drawing view painted while a run draws on the screen and while it
// prints.
class PeinturesVues : public QObject {
 public:
  explicit PeinturesVues(FenetrePrincipale& f) : fenetre_(f) { f.Vue().installEventFilter(this); }
  ~PeinturesVues() override { fenetre_.Vue().removeEventFilter(this); }
  std::vector<QRect> ecran, impression;

 protected:
  bool eventFilter(QObject* cible, QEvent* evenement) override {
    if (evenement->type() == QEvent::Paint && fenetre_.Hote().EnCours() && Sortie != nullptr) {
      const QRect zone = static_cast<QPaintEvent*>(evenement)->rect();
      (Sortie->EstImprimante() ? impression : ecran).push_back(zone);
    }
    return QObject::eventFilter(cible, evenement);
  }

 private:
  FenetrePrincipale& fenetre_;
};

}  // namespace

TEST_F(MainWindowTest, ARunShowsOnlyWhereItDrawsAndAPrintRunRepaintsNothing) {
  Demarre();
  F().Mnu_Imprimante_Click();
  ASSERT_TRUE(ImprimanteEstPdf());
  const QString pdf = Chemin(QStringLiteral("cercles.pdf"));
  fichiers_.enregistrements.push_back(pdf);
  // Long enough for the events to be let run many times; every circle in the bottom-left corner.
  Tape(
      QStringLiteral("%I = 0\r\nBoucle:\r\n%I == %I+1\r\nCercle = 20,20,2+%I/2000\r\n"
                     "If %I < 12000 Then Goto Boucle\r\n"));
  PeinturesVues peintures(F());
  Clavier(Qt::Key_P, Qt::ControlModifier);
  ASSERT_TRUE(QFile::exists(pdf));
  EXPECT_TRUE(peintures.impression.empty()) << peintures.impression.size() << " paints while printing";
  // The screen run after the print, then a run of its own: past the first picture (the cleared
  // view), what is shown again is the corner where the circles are.
  Clavier(Qt::Key_F4);
  const QRect coin(0, F().Vue().height() - 130, 130, 130);
  const QRect toute = F().Vue().rect();
  int petites = 0;
  for (const QRect& zone : peintures.ecran) {
    if (zone == toute) continue;
    ++petites;
    EXPECT_TRUE(coin.contains(zone)) << zone.x() << "," << zone.y() << " " << zone.width() << "x"
                                     << zone.height();
  }
  EXPECT_GT(petites, 0);
  const QImage image = F().Vue().Surface().Image();
  EXPECT_GT(PixelsNoirs(image.copy(coin)), 1000);
  EXPECT_EQ(PixelsNoirs(image), PixelsNoirs(image.copy(coin)));
}

// What the screen shows of the view as the first dialog opens, before the dialog takes any event,
// and the view's own picture then.
class VueAOuverture : public QObject {
 public:
  explicit VueAOuverture(FenetrePrincipale& fenetre) : fenetre_(fenetre) { qApp->installEventFilter(this); }
  ~VueAOuverture() override { qApp->removeEventFilter(this); }
  VueAOuverture(const VueAOuverture&) = delete;
  VueAOuverture& operator=(const VueAOuverture&) = delete;
  QImage montre, attendu;

 protected:
  bool eventFilter(QObject* cible, QEvent* evenement) override {
    if (evenement->type() == QEvent::Show && qobject_cast<QDialog*>(cible) != nullptr && montre.isNull()) {
      const QRect vue(fenetre_.Vue().mapTo(&fenetre_, QPoint(0, 0)), fenetre_.Vue().size());
      montre = fenetre_.screen()
                   ->grabWindow(fenetre_.winId())
                   .toImage()
                   .copy(vue)
                   .convertToFormat(QImage::Format_RGB32);
      attendu = fenetre_.Vue().grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    return QObject::eventFilter(cible, evenement);
  }

 private:
  FenetrePrincipale& fenetre_;
};

// A dialog of a run opens over what the run has drawn so far, never over the last run's drawing.
TEST_F(MainWindowTest, ADialogOfARunOpensOverTheDrawingSoFar) {
  Demarre();
  VraisDialogues();
  for (const char* dialogue : {"Input = Rayon ?, %R", "Val = 10, 0,abc, 8", "ListeVar"}) {
    Tape(QStringLiteral("Cercle = 40,40,20\r\n"));
    Clavier(Qt::Key_F4);
    Tape(QStringLiteral("Cercle = 40,40,5\r\n") + QLatin1String(dialogue) + QStringLiteral("\r\n"));
    VueAOuverture vue(F());
    ReponsesModales reponses;
    reponses.Ajoute([](QWidget* boite) { QTest::keyClick(boite, Qt::Key_Escape); });
    Clavier(Qt::Key_F4);
    ASSERT_TRUE(reponses.Epuisees()) << dialogue;
    ASSERT_FALSE(vue.montre.isNull()) << dialogue;
    EXPECT_EQ(vue.montre.size(), vue.attendu.size()) << dialogue;
    EXPECT_TRUE(vue.montre == vue.attendu) << dialogue;
  }
}

TEST_F(MainWindowTest, TheVariableListShowsItsCommentInTheTitleAndEachEntryOnOneLineInItsColumn) {
  // Listed from a command file, so that %Fil1 holds the program's name.
  const QString principal = Chemin(QStringLiteral("principal.dat"));
  EcritOctets(principal, QByteArray("Fichier = sous.dat\r\n"));
  EcritOctets(Chemin(QStringLiteral("sous.dat")),
              QByteArray("%Texte = une valeur assez longue pour passer une colonne\r\nListeVar = essai\r\n"));
  Demarre({principal});
  VraisDialogues();
  QString titre;
  double largeurLabel = 0, largeurListe = 0, xDate = -1, xEof = -2;
  ReponsesModales reponses;
  reponses.Ajoute([&](QWidget* dialogue) {
    titre = dialogue->windowTitle();
    auto* label = dialogue->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (label != nullptr) {
      // The label's text laid out as the label lays it out.
      QTextDocument doc;
      doc.setDefaultFont(label->font());
      doc.setDocumentMargin(0);
      if (label->textFormat() == Qt::RichText || Qt::mightBeRichText(label->text()))
        doc.setHtml(label->text());
      else
        doc.setPlainText(label->text());
      largeurListe = doc.idealWidth();
      largeurLabel = label->contentsRect().width();
      doc.setTextWidth(largeurLabel);
      const auto x = [&doc](const QString& mot) {
        const QTextCursor c = doc.find(mot);
        if (c.isNull()) return -10.0;
        const QTextBlock bloc = c.block();
        const int pos = c.selectionStart() - bloc.position();
        return doc.documentLayout()->blockBoundingRect(bloc).x() +
               bloc.layout()->lineForTextPosition(pos).cursorToX(pos);
      };
      xDate = x(QStringLiteral("%Date"));
      xEof = x(QStringLiteral("%EOF"));
    }
    QTest::keyClick(dialogue, Qt::Key_Return);
  });
  Clavier(Qt::Key_F4);
  EXPECT_TRUE(reponses.Epuisees());
  EXPECT_FALSE(titre.contains(u'\r') || titre.contains(u'\n')) << titre.toStdString();
  EXPECT_TRUE(titre.endsWith(QStringLiteral("    essai"))) << titre.toStdString();
  EXPECT_GE(largeurLabel + 1, largeurListe);
  EXPECT_GT(xDate, 0);
  EXPECT_NEAR(xEof, xDate, 1);
}

// A file name with no break point shows whole in the question and in the run error of the refusal:
// it wraps anywhere in the box, the box lies within the screen, and what is copied from it is the
// text itself.
TEST_F(MainWindowTest, ALongFileNameShowsWholeInTheQuestionAndTheRunError) {
  QTemporaryDir dehors;
  ASSERT_TRUE(dehors.isValid());
  const QString nom = QString(190, u'n') + QStringLiteral("_queue.txt");
  Demarre();
  VraisDialogues();
  Tape("OpenA = " + dehors.filePath(nom) + "\r\nPrintA = x\r\n");
  QApplication::clipboard()->clear();
  struct Vue {
    QString montre, copie;
    qreal depasse = 0;
    bool dansEcran = false, vue = false;
  };
  Vue question, erreur;
  const auto inspecte = [](QWidget* dialogue, Vue& v, bool copie) {
    auto* label = dialogue->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const QTextDocument* doc = label != nullptr ? label->findChild<QTextDocument*>() : nullptr;
    if (doc != nullptr) {
      v.vue = true;
      // The text as the label laid it out, and how far its widest line goes past the label.
      for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const qreal x = doc->documentLayout()->blockBoundingRect(b).x();
        for (int i = 0; i < b.layout()->lineCount(); ++i) {
          const QTextLine ligne = b.layout()->lineAt(i);
          v.montre += b.text().mid(ligne.textStart(), ligne.textLength());
          v.depasse =
              std::max(v.depasse, x + ligne.x() + ligne.naturalTextWidth() - label->contentsRect().width());
        }
        v.montre += u'\n';
      }
      v.montre.remove(QChar(0x200B));
      v.dansEcran = dialogue->screen()->availableGeometry().contains(dialogue->frameGeometry()) &&
                    dialogue->rect().contains(QRect(label->mapTo(dialogue, QPoint(0, 0)), label->size()));
      if (copie) {
        // Selected with the mouse from corner to corner, then Ctrl+C.
        const QRect r = label->contentsRect();
        QTest::mousePress(label, Qt::LeftButton, Qt::NoModifier, r.topLeft() + QPoint(1, 1));
        QTest::mouseMove(label, r.bottomRight() - QPoint(1, 1));
        QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, r.bottomRight() - QPoint(1, 1));
        QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
        v.copie = QApplication::clipboard()->text();
      }
    }
    QTest::keyClick(dialogue, Qt::Key_Return);
  };
  ReponsesModales reponses;
  reponses.Ajoute([&](QWidget* d) { inspecte(d, question, true); });
  reponses.Ajoute([&](QWidget* d) { inspecte(d, erreur, false); });
  Clavier(Qt::Key_F4);
  EXPECT_TRUE(reponses.Epuisees());
  for (const Vue* v : {&question, &erreur}) {
    SCOPED_TRACE(v == &question ? "question" : "run error");
    ASSERT_TRUE(v->vue);
    EXPECT_TRUE(v->montre.contains(nom)) << v->montre.toStdString();
    EXPECT_LE(v->depasse, 1) << v->montre.toStdString();
    EXPECT_TRUE(v->dansEcran);
  }
  EXPECT_TRUE(question.copie.contains(nom)) << question.copie.toStdString();
  EXPECT_FALSE(question.copie.contains(QChar(0x200B)));
  EXPECT_FALSE(QFile::exists(dehors.filePath(nom)));
}

// F4 on a program whose line holds a wrong number: the shown message box says which field of the
// line is wrong, what it holds and what was expected, before the variable list.
TEST_F(MainWindowTest, ARunErrorsBoxSaysWhatIsWrongInTheLine) {
  Demarre();
  VraisDialogues();
  Tape(QStringLiteral("Droite = 10, 100, 50\r\nGrad = 10, 5\r\nVal = 10, 0,abc, 8\r\n"));
  QString texte;
  ReponsesModales reponses;
  reponses.Ajoute([&](QWidget* d) {
    if (auto* label = d->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) texte = label->text();
    QTest::keyClick(d, Qt::Key_Return);
  });
  Clavier(Qt::Key_F4);
  EXPECT_TRUE(reponses.Epuisees());
  // The box lays the text out as rows of a table: its lines, blank ones aside.
  QTextDocument document;
  document.setHtml(texte);
  QStringList lignes = document.toPlainText().split(u'\n');
  lignes.removeIf([](const QString& l) { return l.trimmed().isEmpty(); });
  ASSERT_GE(lignes.size(), 3) << texte.toStdString();
  // HTML shows a run of blanks as one.
  EXPECT_EQ(lignes[0], QStringLiteral("Erreur dans la ligne : 3: Val = 10, 0,abc, 8"));
  EXPECT_EQ(lignes[1], QStringLiteral("Val : champ 3 (Valeur de fin (log : format P, E, S, 0.0E00 ou vide)) : \"abc\" : un nombre est attendu"));
  EXPECT_EQ(lignes[2], QStringLiteral("%iRec"));
}

// On a screen of 1280 x 720 at scale 2, a write question about a link of 4,000 bytes to a file
// outside says first what the program wants to do, then the names; its text scrolls inside the box,
// Yes and No in view, and No writes nothing.
TEST_F(MainWindowTest, AQuestionTallerThanTheScreenScrollsWithYesAndNoInView) {
  if (!qEnvironmentVariable("QT_QPA_PLATFORM").contains(QStringLiteral("configfile"))) {
    QTemporaryDir dossier;
    EXPECT_TRUE(
        RelanceSur(PlateformeEcrans(dossier.path(),
                                    QStringLiteral(R"({"name": "petit", "width": 1280, "height": 720})")),
                   QStringLiteral("AQuestionTallerThanTheScreenScrollsWithYesAndNoInView"),
                   {QStringLiteral("QT_SCALE_FACTOR=2")}));
    return;
  }
  QTemporaryDir dehors;
  ASSERT_TRUE(dehors.isValid());
  const QString cible = dehors.filePath(QStringLiteral("bashrc"));
  EcritOctets(cible, "garde\n");
  QString lien = dehors.path();
  while (lien.size() < 4000 - 250) {
    lien += u'/' + QString(240, u'd');
    ASSERT_TRUE(QDir().mkdir(lien));
  }
  lien += u'/' + QString(4000 - lien.size() - 1, u'l');
  ASSERT_EQ(QFile::encodeName(lien).size(), 4000);
  ASSERT_EQ(::symlink(QFile::encodeName(cible).constData(), QFile::encodeName(lien).constData()), 0);
  Demarre();
  VraisDialogues();
  Tape("OpenA = " + lien + "\r\nPrintA = x\r\n");
  const QString question = TexteMsg(198);
  const QString phrase = question.left(question.indexOf(QStringLiteral("%1")));
  QString debut;
  bool dansEcran = false, boutonsVus = false, defile = false, entier = false, enHaut = false;
  ReponsesModales reponses;
  reponses.Ajoute([&](QWidget* d) {
    auto* boite = qobject_cast<QMessageBox*>(d);
    if (boite == nullptr) return;
    QTest::qWait(50);
    dansEcran = d->screen()->availableGeometry().contains(d->frameGeometry());
    boutonsVus = EnVue(boite->button(QMessageBox::Yes), d) && EnVue(boite->button(QMessageBox::No), d);
    auto* label = d->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    auto* zone = d->findChild<QScrollArea*>();
    if (zone != nullptr && (label == nullptr || !zone->isAncestorOf(label))) zone = nullptr;
    if (label != nullptr) {
      debut = label->text().remove(QChar(0x200B)).left(phrase.size());
      entier = label->height() >= label->heightForWidth(label->width());
    }
    if (zone != nullptr) {
      defile = zone->verticalScrollBar()->maximum() > 0;
      enHaut = zone->verticalScrollBar()->value() == 0;
    }
    QTest::mouseClick(boite->button(QMessageBox::No), Qt::LeftButton);
  });
  reponses.Ajoute([](QWidget* d) { QTest::keyClick(d, Qt::Key_Return); });
  Clavier(Qt::Key_F4);
  EXPECT_TRUE(reponses.Epuisees());
  // The whole question comes before the first name.
  EXPECT_TRUE(phrase.contains(u'?')) << phrase.toStdString();
  EXPECT_EQ(debut.toStdString(), phrase.toStdString());
  EXPECT_TRUE(dansEcran);
  EXPECT_TRUE(boutonsVus);
  EXPECT_TRUE(defile);
  EXPECT_TRUE(entier);
  EXPECT_TRUE(enHaut);
  EXPECT_EQ(LitOctets(cible), QByteArray("garde\n"));
}

TEST_F(MainWindowTest, ClosingAsksAndWritesTheLastFile) {
  Demarre();
  const QString nom = Chemin(QStringLiteral("ferme.dat"));
  EcritOctets(nom, QByteArray("%A = 1\r\n"));
  fichiers_.ouvertures.push_back(nom);
  F().Mnu_Ouvrir_Click();
  Tape(QStringLiteral("%A = 2\r\n"));

  prompter_.AjouteReponse(QStringLiteral("CANCEL"));
  EXPECT_FALSE(F().close());
  EXPECT_TRUE(F().isVisible());
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("%A = 2\r\n"));

  // Alt+F4 is the program's own quit command, with its question.
  prompter_.Efface();
  prompter_.AjouteReponse(QStringLiteral("CANCEL"));
  Touche(&Ed(), Qt::Key_F4, Qt::AltModifier);
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, QStringLiteral("Sauvegarder les modifications?"));
  EXPECT_TRUE(F().isVisible());

  // Yes with a failing save keeps the window.
  FichierCourant = Chemin(QStringLiteral("absent/ferme.dat"));
  prompter_.AjouteReponse(QStringLiteral("YES"));
  EXPECT_FALSE(F().close());
  EXPECT_TRUE(F().isVisible());
  FichierCourant = nom;

  prompter_.AjouteReponse(QStringLiteral("YES"));
  EXPECT_TRUE(F().close());
  EXPECT_EQ(LitOctets(nom), QByteArray("%A = 2\r\n"));
  EXPECT_TRUE(LitOctets(CheminConfig()).contains(QByteArray("FichierDat =") + QFile::encodeName(nom)));
}

TEST_F(MainWindowTest, StartLoadsTheFileOfTheCommandLine) {
  const QString nom = Chemin(QStringLiteral("debut.dat"));
  EcritOctets(nom, QByteArray("ZOOMINI = 2\r\n%D = 4\r\n"));
  Demarre({QStringLiteral("\"") + nom + QStringLiteral("\"")});
  EXPECT_EQ(FichierCourant, nom);
  EXPECT_EQ(VarNiveau1(QStringLiteral("%D")), QStringLiteral("4"));
  EXPECT_TRUE(F().windowTitle().endsWith(QStringLiteral("Fichier: ") + nom));
  EXPECT_FLOAT_EQ(Shell.ZoomCourant, 2.0f);
  EXPECT_FALSE(Ed().Modifie());
  EXPECT_TRUE(F().Vue().isEnabled());
  EXPECT_TRUE(fichiers_.Demandes.isEmpty());
}

TEST_F(MainWindowTest, TheProgramStartsWithAFileAndClosesCleanly) {
  const QString nom = Chemin(QStringLiteral("prog.dat"));
  EcritOctets(nom, QByteArray("Trait 0,0,50,50\r\n%A = 5\r\n"));
  QProcess morvo;
  LanceMorvo(morvo, {nom});
  ASSERT_TRUE(morvo.waitForStarted(10000));
  // It stays up with its window...
  EXPECT_FALSE(morvo.waitForFinished(2000));
  ASSERT_EQ(morvo.state(), QProcess::Running);
  // ...and a termination request closes it through the window, which writes the last file.
  ::kill(static_cast<pid_t>(morvo.processId()), SIGTERM);
  ASSERT_TRUE(morvo.waitForFinished(10000));
  EXPECT_EQ(morvo.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(morvo.exitCode(), 0);
  EXPECT_TRUE(LitOctets(DossierXdg() + QStringLiteral("/Morvo.cfg"))
                  .contains(QByteArray("FichierDat =") + QFile::encodeName(nom)));
}

// --help and --version answer before any window: with no usable display platform at all, and
// without writing a configuration. An unknown option is an error; after --, a file named like an
// option is opened.
TEST_F(MainWindowTest, TheCommandLineAnswersHelpAndVersionWithoutAWindow) {
  QTemporaryDir vide;
  ASSERT_TRUE(vide.isValid());
  QString plateforme = QStringLiteral("no-such-platform");
  const auto lance = [&](const QStringList& arguments, QByteArray* sortie, QByteArray* erreur) {
    QProcess morvo;
    LanceMorvo(morvo, arguments, plateforme, vide.path(), vide.path());
    if (!morvo.waitForFinished(20000) || morvo.exitStatus() != QProcess::NormalExit) return -1;
    *sortie = morvo.readAllStandardOutput();
    *erreur = morvo.readAllStandardError();
    return morvo.exitCode();
  };
  QByteArray sortie, erreur;
  EXPECT_EQ(lance({QStringLiteral("--help")}, &sortie, &erreur), 0) << erreur.constData();
  EXPECT_TRUE(sortie.startsWith("Usage: morvo [options] [--] [PROGRAM]\n")) << sortie.constData();
  EXPECT_EQ(lance({QStringLiteral("--version")}, &sortie, &erreur), 0) << erreur.constData();
  EXPECT_TRUE(sortie.startsWith("morvo 0.")) << sortie.constData();
  EXPECT_TRUE(QDir(vide.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));

  plateforme = QStringLiteral("offscreen");
  EXPECT_EQ(lance({QStringLiteral("--bogus")}, &sortie, &erreur), 1);
  EXPECT_TRUE(sortie.isEmpty());
  EXPECT_TRUE(erreur.contains("bogus")) << erreur.constData();
  EXPECT_TRUE(QDir(vide.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));

  const QString nom = Chemin(QStringLiteral("--help.dat"));
  EcritOctets(nom, QByteArray("%A = 5\r\n"));
  QProcess morvo;
  LanceMorvo(morvo, {QStringLiteral("--"), QStringLiteral("--help.dat")});
  ASSERT_TRUE(morvo.waitForStarted(10000));
  EXPECT_FALSE(morvo.waitForFinished(2000));
  ASSERT_EQ(morvo.state(), QProcess::Running);
  ::kill(static_cast<pid_t>(morvo.processId()), SIGTERM);
  ASSERT_TRUE(morvo.waitForFinished(10000));
  EXPECT_EQ(morvo.exitCode(), 0);
  EXPECT_TRUE(LitOctets(DossierXdg() + QStringLiteral("/Morvo.cfg"))
                  .contains(QByteArray("FichierDat =") + QFile::encodeName(nom)));
}

// Where no display can be opened (none named, or one that does not answer, or a platform asked for
// that cannot start) the program says which in one line and ends with status 1, instead of the
// toolkit's abort; --version still answers. The Wayland platform asked for where it cannot start
// gives way to the X display when one answers.
TEST_F(MainWindowTest, WithoutADisplayTheProgramSaysWhichAndEnds) {
  QTemporaryDir vide;
  ASSERT_TRUE(vide.isValid());
  // A Wayland display that is not there, whether the toolkit's Wayland platform is installed or not.
  const QString sansWayland = vide.filePath(QStringLiteral("absent-wayland"));
  const auto environnement = [&](const QString& affichage, const QStringList& autres) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* nom : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "DISPLAY"})
      env.remove(QString::fromLatin1(nom));
    if (!affichage.isEmpty()) env.insert(QStringLiteral("DISPLAY"), affichage);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), vide.path());
    env.insert(QStringLiteral("HOME"), vide.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), vide.path());
    for (const QString& v : autres) env.insert(v.section(u'=', 0, 0), v.section(u'=', 1));
    return env;
  };
  const auto lance = [&](const QString& affichage, const QStringList& arguments, QByteArray* erreur,
                         const QStringList& autres = {}) {
    QProcess morvo;
    morvo.setProcessEnvironment(environnement(affichage, autres));
    morvo.start(QStringLiteral(MORVO_GUI_PATH), arguments);
    if (!morvo.waitForFinished(20000) || morvo.exitStatus() != QProcess::NormalExit) return -1;
    *erreur = morvo.readAllStandardError();
    return morvo.exitCode();
  };
  QByteArray erreur;
  EXPECT_EQ(lance(QStringLiteral(":999"), {}, &erreur), 1);
  EXPECT_EQ(erreur, QByteArray("morvo: no display could be opened: \":999\" does not answer\n"));
  EXPECT_EQ(lance(QString(), {}, &erreur), 1);
  EXPECT_EQ(erreur, QByteArray("morvo: no display could be opened: DISPLAY is not set\n"));
  EXPECT_EQ(lance(QStringLiteral(":999"), {QStringLiteral("--version")}, &erreur), 0);
  EXPECT_TRUE(QDir(vide.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));

  // The Wayland platform asked for, or a Wayland session, without an X display: one line that
  // names the platform and says why neither starts.
  const QByteArray debut("morvo: no display could be opened: ");
  const auto expectUneLigne = [&](const QByteArray& dit, const QList<QByteArray>& mots) {
    EXPECT_TRUE(erreur.startsWith(debut)) << erreur.toStdString();
    EXPECT_EQ(erreur.count('\n'), 1) << erreur.toStdString();
    EXPECT_TRUE(erreur.endsWith('\n')) << erreur.toStdString();
    for (const QByteArray& mot : mots)
      EXPECT_TRUE(erreur.contains(mot)) << dit.toStdString() << ": " << erreur.toStdString();
  };
  const QString wayland = QStringLiteral("WAYLAND_DISPLAY=") + sansWayland;
  EXPECT_EQ(lance(QString(), {}, &erreur, {QStringLiteral("QT_QPA_PLATFORM=wayland"), wayland}), 1);
  expectUneLigne("QT_QPA_PLATFORM=wayland", {"\"wayland\"", "DISPLAY is not set"});
  EXPECT_EQ(lance(QString(), {}, &erreur, {QStringLiteral("XDG_SESSION_TYPE=wayland"), wayland}), 1);
  expectUneLigne("XDG_SESSION_TYPE=wayland", {"\"wayland\"", "DISPLAY is not set"});
  EXPECT_EQ(lance(QString(), {QStringLiteral("-platform"), QStringLiteral("wayland")}, &erreur, {wayland}),
            1);
  expectUneLigne("-platform wayland", {"\"wayland\"", "DISPLAY is not set"});
  // A platform that is not there at all: named, with those that are.
  EXPECT_EQ(lance(QStringLiteral(":999"), {}, &erreur, {QStringLiteral("QT_QPA_PLATFORM=morvo-inconnue")}),
            1);
  expectUneLigne("QT_QPA_PLATFORM=morvo-inconnue",
                 {"the platform \"morvo-inconnue\" is not installed (installed: ", "xcb"});
  // One that only the toolkit can tell cannot start (a framebuffer that is not there): its fatal
  // message is the reason.
  const QString sansEcran =
      QStringLiteral("QT_QPA_PLATFORM=linuxfb:fb=") + vide.filePath(QStringLiteral("fb9"));
  EXPECT_EQ(lance(QString(), {}, &erreur, {sansEcran}), 1);
  expectUneLigne("QT_QPA_PLATFORM=linuxfb:fb=", {"\"linuxfb\""});
  // One that starts but shows no window (a graphics device's, for Vulkan surfaces only): the same.
  if (QFile::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                    QStringLiteral("/platforms/libqvkkhrdisplay.so"))) {
    EXPECT_EQ(lance(QString(), {}, &erreur, {QStringLiteral("QT_QPA_PLATFORM=vkkhrdisplay")}), 1);
    expectUneLigne("QT_QPA_PLATFORM=vkkhrdisplay", {"\"vkkhrdisplay\""});
  }

  // With an X display there, the Wayland platform asked for gives way to it: the window opens, and
  // ends as asked.
  const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
  if (xvfb.isEmpty()) GTEST_SKIP() << "Xvfb (xvfb) is not installed";
  QProcess serveurX;
  serveurX.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
  // The server picks a free display and writes its number on its standard output.
  serveurX.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("1280x1024x24")});
  const auto arrete = qScopeGuard([&serveurX] {
    serveurX.terminate();
    if (!serveurX.waitForFinished(10000)) serveurX.kill();
  });
  QByteArray numero;
  QElapsedTimer montre;
  montre.start();
  while (!numero.endsWith('\n') && montre.elapsed() < 20000 && serveurX.state() != QProcess::NotRunning) {
    serveurX.waitForReadyRead(500);
    numero += serveurX.readAllStandardOutput();
  }
  ASSERT_TRUE(numero.endsWith('\n')) << "Xvfb gave no display";
  const QString affichage = QLatin1Char(':') + QString::fromLatin1(numero.trimmed());
  QProcess morvo;
  morvo.setProcessEnvironment(environnement(affichage, {QStringLiteral("QT_QPA_PLATFORM=wayland"), wayland}));
  morvo.start(QStringLiteral(MORVO_GUI_PATH), {});
  ASSERT_TRUE(morvo.waitForStarted(10000));
  EXPECT_FALSE(morvo.waitForFinished(3000)) << morvo.readAllStandardError().toStdString();
  ASSERT_EQ(morvo.state(), QProcess::Running);
  ::kill(static_cast<pid_t>(morvo.processId()), SIGTERM);
  ASSERT_TRUE(morvo.waitForFinished(10000));
  EXPECT_EQ(morvo.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(morvo.exitCode(), 0);
  EXPECT_TRUE(morvo.readAllStandardError().contains(
      QStringLiteral("; the window opens on the X display \"%1\"\n").arg(affichage).toUtf8()));
}

// On a screen of 1280 x 720 at scale 2 the zoom, language, file, colour, print (expanded) and
// print Properties dialogs and the mouse drawing window lie within the screen's free area, their
// buttons in view.
TEST_F(MainWindowTest, TheDialogsFitAScaledSmallScreen) {
  if (!qEnvironmentVariable("QT_QPA_PLATFORM").contains(QStringLiteral("configfile"))) {
    QTemporaryDir dossier;
    EXPECT_TRUE(
        RelanceSur(PlateformeEcrans(dossier.path(),
                                    QStringLiteral(R"({"name": "petit", "width": 1280, "height": 720})")),
                   QStringLiteral("TheDialogsFitAScaledSmallScreen"), {QStringLiteral("QT_SCALE_FACTOR=2")}));
    return;
  }
  Demarre();
  DefinitDialoguesFichiers(nullptr);
  QStringList vus;
  const auto verifie = [&vus](QWidget* d) {
    const QString nom = QString::fromLatin1(d->metaObject()->className());
    vus << nom;
    const QRect zone = d->screen()->availableGeometry();
    const QRect cadre = d->frameGeometry();
    EXPECT_TRUE(zone.contains(cadre)) << nom.toStdString() << " " << cadre.width() << "x" << cadre.height()
                                      << "+" << cadre.x() << "+" << cadre.y();
    for (const auto* boutons : d->findChildren<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly))
      for (const QAbstractButton* b : boutons->buttons()) EXPECT_TRUE(EnVue(b, d)) << nom.toStdString();
    // The button Enter presses is in view; a text that wraps is shown whole, scrolled to or not.
    for (const QPushButton* b : d->findChildren<QPushButton*>()) {
      if (!b->isDefault()) continue;
      EXPECT_TRUE(EnVue(b, d)) << nom.toStdString() << " " << b->text().toStdString();
    }
    for (const QLabel* l : d->findChildren<QLabel*>()) {
      if (!l->isVisible() || !l->wordWrap()) continue;
      EXPECT_GE(l->height(), l->heightForWidth(l->width()))
          << nom.toStdString() << " " << l->text().toStdString();
    }
  };
  const auto ferme = [&verifie](QWidget* d) {
    verifie(d);
    static_cast<QDialog*>(d)->reject();
  };
  ReponsesModales reponses;
  reponses.Ajoute(ferme);
  Clavier(Qt::Key_F7);
  // The language dialog itself, where the scripted boxes would answer for it.
  DefinitDialogueLangues([](ModeleLangues& modele, QWidget* parent) {
    Form3 dialogue(modele, parent);
    return dialogue.exec() == QDialog::Accepted;
  });
  const auto rend = qScopeGuard([] { DefinitDialogueLangues(nullptr); });
  reponses.Ajoute(ferme);
  F().Action(QStringLiteral("Mnu_Langue"))->trigger();
  reponses.Ajoute(ferme);
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  reponses.Ajoute(ferme);
  F().Action(QStringLiteral("Mnu_Couleur"))->trigger();
  // The print dialog with its options shown, then its Properties window.
  reponses.Ajoute([&](QWidget* d) {
    for (auto* b : d->findChildren<QPushButton*>()) {
      if (b->text().contains(QStringLiteral(">>"))) QTest::mouseClick(b, Qt::LeftButton);
    }
    QTest::qWait(100);
    verifie(d);
    reponses.Ajoute(ferme);
    if (auto* proprietes = d->findChild<QPushButton*>(QStringLiteral("properties")))
      QTest::mouseClick(proprietes, Qt::LeftButton);
    static_cast<QDialog*>(d)->reject();
  });
  F().Action(QStringLiteral("Mnu_Imprimante"))->trigger();
  EXPECT_TRUE(reponses.Epuisees());
  EXPECT_EQ(vus.size(), 6) << vus.join(u' ').toStdString();
  Mnu_Dessin_Click(F());
  ASSERT_NE(FrmDessin::Ouvert(), nullptr);
  QApplication::processEvents();
  verifie(FrmDessin::Ouvert());
  EXPECT_TRUE(EnVue(FrmDessin::Ouvert()->CmdOK(), FrmDessin::Ouvert()));
  FrmDessin::Ouvert()->close();
}

TEST_F(MainWindowTest, ATerminationRequestEndsTheProgramWhateverDialogIsOpen) {
  // The Open dialog of a start with no file to load; the box of a ListeVar during the first run.
  const QString liste = Chemin(QStringLiteral("liste.dat"));
  EcritOctets(liste, QByteArray("%A = 5\r\nListeVar = x\r\n"));
  const std::pair<QStringList, int> cas[] = {{QStringList{}, SIGTERM}, {QStringList{liste}, SIGHUP}};
  for (const auto& [arguments, signal] : cas) {
    QProcess morvo;
    LanceMorvo(morvo, arguments);
    ASSERT_TRUE(morvo.waitForStarted(10000));
    EXPECT_FALSE(morvo.waitForFinished(2000));
    ::kill(static_cast<pid_t>(morvo.processId()), signal);
    EXPECT_TRUE(morvo.waitForFinished(10000)) << "signal " << signal << " left the program running";
    if (morvo.state() != QProcess::NotRunning) {
      morvo.kill();
      morvo.waitForFinished(5000);
      continue;
    }
    EXPECT_EQ(morvo.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(morvo.exitCode(), 0);
  }
}

TEST_F(MainWindowTest, ASecondTerminationRequestEndsWithoutTheSaveQuestion) {
  Demarre();
  FermeSurSignal(F());
  Tape(QStringLiteral("%A = 2\r\n"));
  VraisDialogues();
  QString question;
  ReponsesModales reponses;
  reponses.Ajoute([&question](QWidget* dialogue) {
    if (auto* boite = qobject_cast<QMessageBox*>(dialogue)) question = boite->text();
    ::raise(SIGTERM);
  });
  ::raise(SIGTERM);
  QElapsedTimer attente;
  attente.start();
  while (F().isVisible() && attente.elapsed() < 5000) QTest::qWait(20);
  EXPECT_FALSE(F().isVisible());
  EXPECT_EQ(question, QStringLiteral("Sauvegarder les modifications?"));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(LitOctets(CheminConfig()).contains(QByteArray("DoubleClic =")));
}

TEST_F(MainWindowTest, ATerminationRequestAfterACancelledOneAsksAgain) {
  Demarre();
  FermeSurSignal(F());
  Tape(QStringLiteral("%A = 2\r\n"));
  VraisDialogues();
  int questions = 0;
  ReponsesModales reponses;
  const auto annule = [&questions](QWidget* dialogue) {
    if (qobject_cast<QMessageBox*>(dialogue)) ++questions;
    QTest::keyClick(dialogue, Qt::Key_Escape);
  };
  // Two separate requests, each cancelled from its own question.
  for (int demande = 1; demande <= 2; ++demande) {
    reponses.Ajoute(annule);
    ::raise(SIGTERM);
    ASSERT_TRUE(Attend([&] { return questions == demande && QApplication::activeModalWidget() == nullptr; }))
        << "request " << demande << " asked " << questions << " questions";
    QTest::qWait(100);
    ASSERT_TRUE(F().isVisible()) << "request " << demande;
  }
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("%A = 2\r\n"));
  EXPECT_TRUE(Ed().Modifie());
}

TEST_F(MainWindowTest, ATerminationRequestWhileTheAnsweredQuestionSavesAsksAgain) {
  Demarre();
  // Qt's own Save As dialog, as the desktop shows it for a program that has no file yet.
  DefinitDialoguesFichiers(nullptr);
  FermeSurSignal(F());
  Tape(QStringLiteral("%A = 2\r\n"));
  VraisDialogues();
  QStringList vus;
  const auto note = [&vus](QWidget* dialogue) {
    vus << QString::fromLatin1(dialogue->metaObject()->className());
  };
  ReponsesModales reponses;
  // Yes to the first request's question; while its Save As dialog is open, a second request;
  // the question it asks again is cancelled.
  reponses.Ajoute([note](QWidget* dialogue) {
    note(dialogue);
    QTest::keyClick(dialogue, Qt::Key_Return);
  });
  reponses.Ajoute([note](QWidget* dialogue) {
    note(dialogue);
    ::raise(SIGTERM);
  });
  reponses.Ajoute([note](QWidget* dialogue) {
    note(dialogue);
    QTest::keyClick(dialogue, Qt::Key_Escape);
  });
  ::raise(SIGTERM);
  ASSERT_TRUE(Attend([&] {
    return !F().isVisible() || (reponses.Epuisees() && QApplication::activeModalWidget() == nullptr);
  })) << vus.join(QLatin1Char(' ')).toStdString();
  QTest::qWait(100);
  EXPECT_TRUE(F().isVisible()) << vus.join(QLatin1Char(' ')).toStdString();
  EXPECT_EQ(vus.join(QLatin1Char(' ')), QStringLiteral("QMessageBox QFileDialog QMessageBox"));
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("%A = 2\r\n"));
  EXPECT_TRUE(Ed().Modifie());
}

TEST_F(MainWindowTest, ATerminationRequestEndsTheProgramWhenTheSettingsCannotBeWritten) {
  DisquePlein disque;
  ASSERT_TRUE(disque.Valide());
  if (!disque.Reel()) GTEST_SKIP() << "a full file system needs a tmpfs mount";
  const QString premier = Chemin(QStringLiteral("premier.dat"));
  const QString second = Chemin(QStringLiteral("second.dat"));
  EcritOctets(premier, QByteArray("Trait 0,0,50,50\r\n"));
  EcritOctets(second, QByteArray("Trait 0,50,50,0\r\n"));
  const auto lance = [this](QProcess& morvo, const QString& xdg, const QString& fichier) {
    LanceMorvo(morvo, {fichier}, QStringLiteral("offscreen"), xdg);
    ASSERT_TRUE(morvo.waitForStarted(10000));
    EXPECT_FALSE(morvo.waitForFinished(2000));
    ::kill(static_cast<pid_t>(morvo.processId()), SIGTERM);
  };
  // A first start and end leave a whole configuration file...
  {
    QProcess morvo;
    lance(morvo, xdg_.path(), premier);
    ASSERT_TRUE(morvo.waitForFinished(10000));
  }
  const QByteArray config = LitOctets(DossierXdg() + QStringLiteral("/Morvo.cfg"));
  ASSERT_TRUE(config.contains(QFile::encodeName(premier)));
  // ...which is then on a full disk.
  const QString plein = disque.Chemin(QStringLiteral("xdg/Morvo/Morvo.cfg"));
  EcritOctets(plein, config);
  disque.Remplit(0);
  QProcess morvo;
  lance(morvo, disque.Chemin(QStringLiteral("xdg")), second);
  EXPECT_TRUE(morvo.waitForFinished(10000)) << "the program waits in a box";
  if (morvo.state() != QProcess::NotRunning) {
    morvo.kill();
    morvo.waitForFinished(5000);
  }
  EXPECT_EQ(LitOctets(plein), config);
  EXPECT_TRUE(morvo.readAllStandardError().contains("Morvo.cfg"));
}

TEST_F(MainWindowTest, F5AndTheCodeEntryHideAndShowTheCodePane) {
  Demarre();
  QAction* code = F().Action(QStringLiteral("Mnu_Code"));
  Clavier(Qt::Key_F5);
  EXPECT_FALSE(code->isChecked());
  EXPECT_FALSE(Ed().isVisible());
  EXPECT_FALSE(F().Text1()->isVisible());
  EXPECT_TRUE(F().Text4()->isVisible());
  Clavier(Qt::Key_F5);
  EXPECT_TRUE(code->isChecked());
  EXPECT_TRUE(Ed().isVisible());
  EXPECT_TRUE(Ed().hasFocus());

  // Hidden with F5 in the mouse-drawing dialog, the pane comes back through Options › Code.
  Clavier(Qt::Key_F9);
  ASSERT_NE(FrmDessin::Ouvert(), nullptr);
  FrmDessin::Ouvert()->activateWindow();
  QApplication::processEvents();
  Clavier(Qt::Key_F5);
  EXPECT_FALSE(Ed().isVisible());
  EXPECT_FALSE(code->isChecked());
  Clavier(Qt::Key_Escape);
  QApplication::processEvents();
  ASSERT_EQ(FrmDessin::Ouvert(), nullptr);
  F().activateWindow();
  QApplication::processEvents();
  ChoisitMenu(u'o', u'c');
  EXPECT_TRUE(code->isChecked());
  EXPECT_TRUE(Ed().isVisible());
}

namespace {

// The access key of a caption ("&&" is a plain "&"), or a null character.
QChar Mnemonique(const QString& legende) {
  for (int i = 0; i + 1 < legende.size(); ++i) {
    if (legende[i] != u'&') continue;
    if (legende[i + 1] == u'&') {
      ++i;
      continue;
    }
    return legende[i + 1].toLower();
  }
  return {};
}

// Captions of the visible entries of one menu level that share an access key, one pair a line.
std::string Conflits(const QList<QAction*>& entrees) {
  QHash<QChar, QString> vus;
  QStringList conflits;
  for (QAction* a : entrees) {
    if (a->isSeparator() || !a->isVisible()) continue;
    const QChar m = Mnemonique(a->text());
    if (m.isNull()) continue;
    if (vus.contains(m))
      conflits << vus.value(m) + QStringLiteral(" / ") + a->text();
    else
      vus.insert(m, a->text());
  }
  return conflits.join(u'\n').toStdString();
}

}  // namespace

TEST_F(MainWindowTest, EveryMenuLevelHasDistinctAccessKeysInEveryLanguage) {
  Demarre();
  MenusPrincipaux& m = F().Menus();
  for (int langue = 1; langue <= 4; ++langue) {
    for (const int masques : {langue, langue % 4 + 1}) {
      DefinitLangueMenu(langue);
      DefinitLangueMasq(masques);
      F().AfficheMenus();
      m.RegleEntreesAide(false, Programme());
      EXPECT_EQ(Conflits(m.Barre()->actions()), "") << "menu bar, language " << langue;
      for (QMenu* menu : m.Barre()->findChildren<QMenu*>(QRegularExpression(QStringLiteral("^Mnu_"))))
        EXPECT_EQ(Conflits(menu->actions()), "")
            << menu->objectName().toStdString() << ", language " << langue;
    }
  }

  // German: Alt+H opens the Help menu, not the mouse-drawing dialog.
  DefinitLangueMenu(3);
  DefinitLangueMasq(3);
  F().AfficheMenus();
  m.RegleEntreesAide(false, Programme());
  Clavier(Qt::Key_H, Qt::AltModifier);
  EXPECT_EQ(FrmDessin::Ouvert(), nullptr);
  EXPECT_EQ(QApplication::activePopupWidget(), m.Menu(QStringLiteral("Mnu_Help")));
  if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
}

TEST_F(MainWindowTest, MessageBoxesShowTheirIcons) {
  Demarre();
  VraisDialogues();
  ReponsesModales reponses;
  // Help › About.
  BoiteVue apropos;
  reponses.Ajoute(NoteEtEntree(apropos));
  ChoisitMenu(u'a', u'm');
  EXPECT_TRUE(apropos.vue);
  EXPECT_EQ(apropos.icone, QMessageBox::Information);

  // A zoom that is no number.
  BoiteVue zoom;
  reponses.Ajoute([this](QWidget*) {
    Frappe(QStringLiteral("1/0"));
    Clavier(Qt::Key_Return);
  });
  reponses.Ajoute(NoteEtEntree(zoom));
  Clavier(Qt::Key_F7);
  EXPECT_EQ(zoom.texte, QStringLiteral("Valeur non numérique\r\nNo numeric value"));
  EXPECT_EQ(zoom.icone, QMessageBox::Warning);

  // A print factor of 0.
  BoiteVue facteur;
  reponses.Ajoute([this](QWidget*) {
    Clavier(Qt::Key_A, Qt::ControlModifier);
    Frappe(QStringLiteral("0"));
    Clavier(Qt::Key_Return);
  });
  reponses.Ajoute(NoteEtEntree(facteur));
  Clavier(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(facteur.texte, QStringLiteral("Valeur non valide\r\nNo valid value"));
  EXPECT_EQ(facteur.icone, QMessageBox::Warning);
  EXPECT_TRUE(reponses.Epuisees());
}

TEST_F(MainWindowTest, KeysTypedRightAfterStartGoIntoTheEditor) {
  Demarre();
  QApplication::processEvents();
  Frappe(QStringLiteral("abc"));
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("abc"));
  // After every run too, with the code pane shown.
  F().Vue().setFocus();
  Clavier(Qt::Key_F4);
  Frappe(QStringLiteral("d"));
  EXPECT_EQ(Ed().Modele().Text().size(), 4);
}

TEST_F(MainWindowTest, KeysTypedWhileTheCodePaneIsHiddenLeaveTheProgramAlone) {
  Demarre();
  const QString programme = QStringLiteral("Cadre = 20,20,30,30\r\n");
  Ed().ChargeTexte(programme);
  QTest::mouseClick(Ed().viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_TRUE(Ed().hasFocus());
  Clavier(Qt::Key_F5);
  ASSERT_FALSE(Ed().isVisible());
  Frappe(QStringLiteral("HIDDEN"));
  Clavier(Qt::Key_F5);
  EXPECT_EQ(Ed().Modele().Text(), programme);
  EXPECT_FALSE(Ed().Modifie());
  // The drawing's own keys still work over the drawing alone.
  Clavier(Qt::Key_F5);
  Ed().ChargeTexte(QStringLiteral("%A = 7"));
  Clavier(Qt::Key_F4);
  EXPECT_EQ(VarNiveau1(QStringLiteral("%A")), QStringLiteral("7"));
  Frappe(QStringLiteral("x"));
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("%A = 7"));
}

TEST_F(MainWindowTest, KeysTypedAfterOpenAndNewGoIntoTheEditor) {
  Demarre();
  const QString chemin = Chemin(QStringLiteral("ouvert.dat"));
  {
    QFile f(chemin);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Cadre = 1,1,5,5\r\n");
  }
  fichiers_.ouvertures = {chemin};
  ChoisitMenu(u'f', u'o');
  ASSERT_EQ(FichierCourant, chemin);
  Frappe(QStringLiteral("x"));
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("xCadre = 1,1,5,5\r\n"));
  prompter_.AjouteReponse(QStringLiteral("NO"));
  ChoisitMenu(u'f', u'n');
  ASSERT_TRUE(FichierCourant.isEmpty());
  Frappe(QStringLiteral("y"));
  EXPECT_TRUE(Ed().Modele().Text().startsWith(u'y')) << Ed().Modele().Text().toStdString();
}

TEST_F(MainWindowTest, SelectAllTakesTheWholeProgramWhereverTheCaretIs) {
  Demarre();
  ChoisitMenu(u'f', u'n');
  const auto deuxLignes = [this] {
    Frappe(QStringLiteral("abc"));
    Clavier(Qt::Key_Return);
    Frappe(QStringLiteral("def"));
    ASSERT_EQ(Ed().Modele().Text(), QStringLiteral("abc\r\ndef"));
  };
  // Ctrl+A, Ctrl and A let go in either order; Delete then takes the whole program.
  for (const bool ctrlDAbord : {false, true}) {
    deuxLignes();
    QWindow* fenetre = FenetreActive();
    QTest::keyPress(fenetre, Qt::Key_Control, Qt::ControlModifier);
    QTest::keyPress(fenetre, Qt::Key_A, Qt::ControlModifier);
    if (ctrlDAbord) {
      QTest::keyRelease(fenetre, Qt::Key_Control, Qt::NoModifier);
      QTest::keyRelease(fenetre, Qt::Key_A, Qt::NoModifier);
    } else {
      QTest::keyRelease(fenetre, Qt::Key_A, Qt::ControlModifier);
      QTest::keyRelease(fenetre, Qt::Key_Control, Qt::NoModifier);
    }
    EXPECT_EQ(Ed().Modele().SelStart(), 0) << ctrlDAbord;
    EXPECT_EQ(Ed().Modele().SelLength(), Ed().Modele().Text().size()) << ctrlDAbord;
    Clavier(Qt::Key_Delete);
    EXPECT_EQ(Ed().Modele().Text(), QString()) << ctrlDAbord;
  }
  // Edit > Select all, clicked in the menu; typing replaces the selection.
  deuxLignes();
  Clavier(Qt::Key_E, Qt::AltModifier);
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  QAction* tout = F().Action(QStringLiteral("Mnu_Selectionner"));
  QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(tout).center());
  ASSERT_TRUE(Attend([this] { return Ed().Modele().SelLength() > 0; }, 5000));
  Frappe(QStringLiteral("x"));
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("x"));
}

TEST_F(MainWindowTest, StatusBoxesHoldTheirLongestTextsAtEveryCodeFontSize) {
  Demarre();
  const std::pair<QLineEdit*, QString> longues[] = {{F().Text1(), QStringLiteral("L 999/999")},
                                                    {F().Text2(), QStringLiteral("-999.9  -999.9")},
                                                    {F().Text3(), QStringLiteral("T -888.8°  999.9")},
                                                    {F().Text4(), TexteAnnulations(21, 21, 20)}};
  for (const char* taille : {"8", "12", "24"}) {
    prompter_.AjouteReponse(QString::fromLatin1(taille));
    ChoisitMenu(u'o', u't');
    QApplication::processEvents();
    for (const auto& [boite, texte] : longues) {
      // The widget's own margins take 6 pixels.
      EXPECT_GE(boite->width() - 6, boite->fontMetrics().horizontalAdvance(texte))
          << "size " << taille << ": " << texte.toStdString();
      EXPECT_GE(boite->x(), 0) << "size " << taille << ": " << texte.toStdString();
    }
  }
}

TEST_F(MainWindowTest, TheInputBoxShowsItsWholeTitle) {
  Demarre();
  VraisDialogues();
  ReponsesModales reponses;
  int largeur = 0, requise = 0;
  reponses.Ajoute([&largeur, &requise](QWidget* d) {
    largeur = d->width();
    requise = LargeurPourTitre(*d);
    QWidget* cible = QApplication::focusWidget();
    QTest::keyClick(cible && cible->window() == d ? cible : d, Qt::Key_Return);
  });
  Tape(QStringLiteral("Input = Quoi, %R"));
  Clavier(Qt::Key_F4);
  EXPECT_TRUE(reponses.Epuisees());
  EXPECT_GT(requise, 0);
  EXPECT_GE(largeur, requise);
}

TEST_F(MainWindowTest, QtDialogsSpeakTheMenuLanguage) {
  Demarre();
  DefinitDialoguesFichiers(nullptr);
  DefinitLangueMenu(3);
  F().AfficheMenus();
  QStringList boutons;
  ReponsesModales reponses;
  reponses.Ajoute([&boutons](QWidget* dialogue) {
    for (const QPushButton* b : dialogue->findChildren<QPushButton*>()) boutons << b->text();
    QTest::keyClick(dialogue, Qt::Key_Escape);
  });
  // Datei › Öffnen: Qt's file dialog.
  ChoisitMenu(u'd', u'f');
  EXPECT_TRUE(reponses.Epuisees());
  EXPECT_TRUE(boutons.contains(QStringLiteral("Abbrechen"))) << boutons.join(u' ').toStdString();
  DefinitLangueMenu(2);
  F().AfficheMenus();
}

namespace {

// Rows of a column of an image that hold a dark pixel.
int LignesNoires(const QImage& image, int x) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    if (qGray(image.pixel(x, y)) < 100) ++n;
  return n;
}

}  // namespace

// Runs at the screen's device pixel ratio; HiDpiAtTwice runs it again at twice the pixels.
TEST_F(MainWindowTest, TheDrawingHasTheScreensOwnPixels) {
  Demarre();
  VueDessin& vue = F().Vue();
  const double r = vue.devicePixelRatioF();
  EXPECT_EQ(vue.Surface().Image().size(), vue.size() * r);
  // Millimetres stay exact: 96 widget units an inch.
  EXPECT_NEAR(Shell.LargeurZone, vue.width() * 25.4 / 96.0, 1e-6);
  Tape(QStringLiteral("Trait 0,20,50,20\r\n"));
  Clavier(Qt::Key_F4);
  // 50 mm in screen pixels, one screen pixel thick on screen.
  const QImage image = vue.Surface().Image();
  const int x = static_cast<int>(25.0 / 25.4 * 96.0 * r);
  EXPECT_EQ(LignesNoires(image, x), 1);
  EXPECT_EQ(LignesNoires(image, static_cast<int>(52.0 / 25.4 * 96.0 * r)), 0);
  const QImage affiche = vue.grab().toImage();
  EXPECT_EQ(affiche.size(), vue.size() * r);
  EXPECT_EQ(LignesNoires(affiche, x), 1);
  // The mouse is read in millimetres whatever the pixels.
  const QPoint souris(200, 100);
  QTest::mouseMove(F().windowHandle(), vue.mapTo(&F(), souris));
  EXPECT_NEAR(Souris.SourisX, 200 * 25.4 / 96.0, 0.3);
}

TEST_F(MainWindowTest, HiDpiAtTwice) {
  if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) GTEST_SKIP() << "already scaled";
  QProcess suite;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
  suite.setProcessEnvironment(env);
  suite.setProcessChannelMode(QProcess::MergedChannels);
  suite.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_filter=MainWindowTest.TheDrawingHasTheScreensOwnPixels")});
  ASSERT_TRUE(suite.waitForFinished(60000));
  const QByteArray sortie = suite.readAll();
  EXPECT_EQ(suite.exitCode(), 0) << sortie.constData();
  EXPECT_TRUE(sortie.contains("[  PASSED  ] 1 test")) << sortie.constData();
}

// The first start's window shows the whole of the voltmeter example, beside the code pane and
// above the status boxes: an example is the first thing a new user sees.
TEST_F(MainWindowTest, TheFirstWindowShowsTheWholeVoltmeterExample) {
  // Where it fits: on a screen of 1600 x 1000.
  if (QGuiApplication::primaryScreen()->availableGeometry().width() < 1400) {
    if (qEnvironmentVariable("QT_QPA_PLATFORM").contains(QStringLiteral("configfile")))
      GTEST_SKIP() << "a screen too small for the example";
    QTemporaryDir dossier;
    const QString ecran = QStringLiteral(R"({"name": "grand", "width": 1600, "height": 1000})");
    EXPECT_TRUE(RelanceSur(PlateformeEcrans(dossier.path(), ecran),
                           QStringLiteral("TheFirstWindowShowsTheWholeVoltmeterExample")));
    return;
  }
  DemarreTel({QStringLiteral(MORVO_SOURCE_DIR "/examples/voltmeter.dat")}, QSize());
  QApplication::processEvents();
  const QImage image = F().Vue().Surface().Image().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(image.size(), F().Vue().size());
  QRect dessin, rouge;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      if (p != qRgb(255, 255, 255)) dessin |= QRect(x, y, 1, 1);
      if (qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60) rouge |= QRect(x, y, 1, 1);
    }
  }
  ASSERT_GT(rouge.width(), 10) << "the red zone is drawn";
  EXPECT_GT(dessin.top(), 0);
  EXPECT_GT(dessin.left(), 0);
  EXPECT_LT(dessin.bottom(), image.height() - 1);
  EXPECT_LT(dessin.right(), F().Editeur().geometry().left());
  // No status box hides a drawn pixel.
  for (const QLineEdit* boite : {F().Text1(), F().Text2(), F().Text3(), F().Text4()}) {
    const QRect r = boite->geometry() & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255))
            << boite->objectName().toStdString() << " at " << x << ", " << y;
  }
}

// The drawing and the mouse stay in millimetres when the window moves from a screen of twice the
// pixels to an ordinary one and back, as the window system tells it (the window keeps its size).
TEST_F(MainWindowTest, TheDrawingKeepsItsSizeWhenTheWindowGoesToAScreenOfAnotherDensity) {
  if (QGuiApplication::screens().size() < 2) {
    QTemporaryDir dossier;
    const QString ecrans =
        QStringLiteral(R"({"name": "deux", "x": 0, "y": 0, "width": 1600, "height": 1000, "dpr": 2},)"
                       R"({"name": "un", "x": 1600, "y": 0, "width": 1600, "height": 1000, "dpr": 1})");
    EXPECT_TRUE(
        RelanceSur(PlateformeEcrans(dossier.path(), ecrans),
                   QStringLiteral("TheDrawingKeepsItsSizeWhenTheWindowGoesToAScreenOfAnotherDensity")));
    return;
  }
  Demarre();
  Tape(QStringLiteral("Cadre = 10,10,50,20\r\nEpaisT = 2mm\r\nTrait = 100,30,140,30\r\n"));
  Clavier(Qt::Key_F4);
  VueDessin& vue = F().Vue();
  const double pixelsParMm = 96.0 / 25.4;
  // The line of 2 mm, measured across in the view's units.
  const auto epaisseur = [&] {
    const double r = vue.devicePixelRatioF();
    const QImage image = vue.grab().toImage().convertToFormat(QImage::Format_RGB32);
    return LignesNoires(image, static_cast<int>(120 * pixelsParMm * r)) / r;
  };
  const auto verifie = [&](double densite) {
    SCOPED_TRACE(densite);
    const double r = vue.devicePixelRatioF();
    ASSERT_EQ(r, densite);
    // What the screen shows in the bottom-left corner, in the screen's pixels (a picture made
    // anew from one of other pixels has grey lines until the next run).
    const QRect coin(0, vue.height() - 150, 300, 150);
    const QImage affiche = vue.grab(coin).toImage().convertToFormat(QImage::Format_RGB32);
    QRect boite;
    for (int y = 0; y < affiche.height(); ++y)
      for (int x = 0; x < affiche.width(); ++x)
        if (qGray(affiche.pixel(x, y)) < 200) boite |= QRect(x, y, 1, 1);
    ASSERT_FALSE(boite.isEmpty());
    EXPECT_NEAR(boite.width() / r, 40 * pixelsParMm, 3);
    EXPECT_NEAR(boite.height() / r, 10 * pixelsParMm, 3);
    // The mouse on the frame's corners reads them.
    const auto lit = [&](double x, double y) {
      const QPoint point(static_cast<int>(std::lround(x / r)),
                         coin.top() + static_cast<int>(std::lround(y / r)));
      QTest::mouseMove(F().windowHandle(), vue.mapTo(&F(), point));
      QApplication::processEvents();
      return std::make_pair(Souris.SourisX, Souris.SourisY);
    };
    const auto [x0, y0] = lit(boite.left(), boite.bottom());
    EXPECT_NEAR(x0, 10, 0.4);
    EXPECT_NEAR(y0, 10, 0.4);
    const auto [x1, y1] = lit(boite.right(), boite.top());
    EXPECT_NEAR(x1, 50, 0.4);
    EXPECT_NEAR(y1, 20, 0.4);
  };
  const auto vaSur = [&](int ecran) {
    F().move(QGuiApplication::screens()[ecran]->geometry().topLeft() + QPoint(20, 20));
    ASSERT_TRUE(Attend([&] { return F().screen() == QGuiApplication::screens()[ecran]; }));
    QTest::qWait(50);
  };
  verifie(2);
  const double large = epaisseur();
  EXPECT_GT(large, 2 * pixelsParMm - 1);
  vaSur(1);
  verifie(1);
  // The next run draws widths in millimetres in the pixels of the screen it is on.
  Clavier(Qt::Key_F4);
  EXPECT_NEAR(epaisseur(), large, 1);
  vaSur(0);
  verifie(2);
}

// The first window, and a window given a size before it shows (one kept from an earlier session),
// lie within the free area of the screen they open on, the editor and the status boxes included:
// here on the test screen of 800 pixels, then at 1.5 and 2 times the pixels of a screen of
// 1600 x 1000 and on one of 1280 x 800 (a screen scaled by 1.25).
TEST_F(MainWindowTest, TheFirstWindowLiesWithinTheScreen) {
  const auto dansEcran = [](FenetrePrincipale& f, const char* quoi) {
    SCOPED_TRACE(quoi);
    const QRect zone = f.screen()->availableGeometry();
    EXPECT_TRUE(zone.contains(f.frameGeometry()))
        << f.frameGeometry().width() << "x" << f.frameGeometry().height() << " on " << zone.width() << "x"
        << zone.height();
    for (const QWidget* partie :
         std::initializer_list<const QWidget*>{&f.Editeur(), f.Text1(), f.Text2(), f.Text3(), f.Text4()}) {
      EXPECT_TRUE(partie->isVisible());
      const QRect r(partie->mapToGlobal(QPoint(0, 0)), partie->size());
      EXPECT_TRUE(zone.contains(r)) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
    }
  };
  DemarreTel({QStringLiteral(MORVO_SOURCE_DIR "/examples/voltmeter.dat")}, QSize());
  QApplication::processEvents();
  dansEcran(F(), "first size");
  // The drawing was cut, not taken away.
  EXPECT_GT(F().Vue().height(), F().Text1()->height() * 4);

  const QSize gardee = F().screen()->size() * 2;
  fenetre_.reset();
  fenetre_ = std::make_unique<FenetrePrincipale>();
  fenetre_->resize(gardee);
  fenetre_->show();
  ASSERT_TRUE(fenetre_->Demarre({}, Programme()));
  QApplication::processEvents();
  dansEcran(F(), "kept size");

  if (qEnvironmentVariable("QT_QPA_PLATFORM").contains(QStringLiteral("configfile"))) return;
  QTemporaryDir dossier;
  const QString plateforme = PlateformeEcrans(
      dossier.path(), QStringLiteral(R"({"name": "portable", "width": 1600, "height": 1000})"));
  for (const QString& echelle : {QStringLiteral("QT_SCALE_FACTOR=1.5"), QStringLiteral("QT_SCALE_FACTOR=2"),
                                 QStringLiteral("QT_SCREEN_SCALE_FACTORS=1.25")})
    EXPECT_TRUE(RelanceSur(plateforme, QStringLiteral("TheFirstWindowLiesWithinTheScreen"), {echelle}))
        << echelle.toStdString();
}
