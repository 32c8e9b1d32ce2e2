#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <cerrno>
#include <cstring>

#include "FullDisk.h"
#include "UserLocale.h"
#include "WindowFixture.h"
#include "platform/Clipboard.h"
#include "platform/FileWriter.h"
#include "platform/TextFile.h"
#include "shell/DrawingView.h"
#include "shell/Menus.h"
#include "shell/MouseCoordinates.h"
#include "shell/MouseDrawing.h"
#include "shell/QtHost.h"
#include "shell/ThreeButtonBox.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

int PixelsRouges(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++n;
    }
  return n;
}

QStringList LignesJournal() {
  const std::optional<QString> texte = LitFichierTexte(CheminJournalDessin());
  if (!texte) return {};
  QStringList lignes = texte->split(CRLF);
  lignes.removeLast();
  return lignes;
}

class MouseDrawingTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    RazEtatSouris();
    RazEtatDessinSouris();
  }
  void TearDown() override {
    if (FrmDessin* d = FrmDessin::Ouvert()) d->Cmd_Esc_Click();
    QApplication::processEvents();
    DefinitTroisBoutons({});
    RazEtatSouris();
    RazEtatDessinSouris();
    WindowFixture::TearDown();
  }

  FrmDessin& OuvreDialogue() {
    F().Form_KeyDown(Qt::Key_F9, Qt::NoModifier);
    EXPECT_NE(FrmDessin::Ouvert(), nullptr);
    return *FrmDessin::Ouvert();
  }
  // F9 opens the dialog and Enter starts a drawing in the given colour, as the user does.
  void DemarreDessinAuClavier(const QString& couleur = QStringLiteral("Magenta")) {
    Clavier(Qt::Key_F9);
    ASSERT_NE(FrmDessin::Ouvert(), nullptr);
    FrmDessin::Ouvert()->Texte(2)->setText(couleur);
    FrmDessin::Ouvert()->activateWindow();
    QApplication::processEvents();
    Clavier(Qt::Key_Return);
    ASSERT_TRUE(Dessin.ModeDessin);
  }
  // A press as the drawing view delivers it.
  void Appuie(int shift, float x, float y) { F().Form_MouseDown(BoutonGauche, shift, x, y); }
};

}  // namespace

TEST(MouseDrawingFormats, LinesCountsAndPlotLine) {
  RazEtatDessinSouris();
  const ValeursRun avant = RunShell;
  RunShell.RefCurX = 10;
  RunShell.RefCurY = 20;
  Dessin.FormatCoordDessin = FormatDecimales(QStringLiteral(" a "));
  EXPECT_EQ(Dessin.FormatCoordDessin, QStringLiteral("0.0#"));
  EXPECT_EQ(LignePointDessin(22.346f, 24), QStringLiteral("12.35; 4.0"));
  Dessin.FormatCoordDessin = FormatDecimales(QStringLiteral("1"));
  EXPECT_EQ(LignePointDessin(22.346f, 24), QStringLiteral("12.3; 4.0"));
  EXPECT_EQ(FormatDecimales(QStringLiteral("0")), QStringLiteral("0"));
  EXPECT_EQ(FormatDecimales(QStringLiteral("2")), QStringLiteral("0.00"));
  Dessin.FormatCoordDessin = QStringLiteral("0.00");
  EXPECT_EQ(LigneRelativeDessin(1.25f, -0.5f), QStringLiteral("1.25r; -0.50r"));
  EXPECT_TRUE(ModeRelatif(QStringLiteral(" o")));
  EXPECT_TRUE(ModeRelatif(QStringLiteral("Y")));
  EXPECT_FALSE(ModeRelatif(QStringLiteral("N")));
  RunShell = avant;

  EXPECT_EQ(NomFichierDessin(QStringLiteral(" Dessin ")), QStringLiteral("Dessin.txt"));
  EXPECT_EQ(NomFichierDessin(QStringLiteral("a.b/Dessin")), QStringLiteral("a.b/Dessin"));
  EXPECT_EQ(NomFichierDessin(QString()), QString());
  EXPECT_EQ(LignePlotDessin(QStringLiteral("Croquis"), 12),
            QStringLiteral("Plot = Croquis§59,1,2§12,0,1,,1"));
  EXPECT_EQ(LignePlotDessin(QStringLiteral("Dessin"), 0), QStringLiteral("Plot = Dessin§59,1,2§0,0,1,,1"));

  // Header, 3 points in 2 traces.
  const QString fichier = QStringLiteral("' en-tete\r\n1; 2\r\n3; 4\r\n'EOD\r\n5; 6\r\n");
  const CompteDessin c = CompteFichierDessin(fichier);
  EXPECT_EQ(c.Traces, 2);
  EXPECT_EQ(c.Points, 4);  // the "'EOD" line counts as the old counting did
  // A continued file ending on a point gets a separator; one ending on "'EOD" does not.
  EXPECT_EQ(JournalRepris(QStringLiteral("' en-tete\r\n1; 2\r\n")),
            QStringLiteral("' en-tete\r\n1; 2\r\n'EOD\r\n"));
  EXPECT_EQ(JournalRepris(fichier + QStringLiteral("'eod\r\n")), fichier + QStringLiteral("'eod\r\n"));
  // A file without a final line end gets one before the separator.
  EXPECT_EQ(JournalRepris(QStringLiteral("' en-tete\r\n1; 2\r\n3; 4")),
            QStringLiteral("' en-tete\r\n1; 2\r\n3; 4\r\n'EOD\r\n"));
}

TEST(MouseDrawingUndo, LastPointOfEachKind) {
  const QString tete = QStringLiteral("' header");
  // Header only: nothing happens.
  EXPECT_FALSE(AnnuleDernierPoint({tete}, 0, 0).Change);
  // One point: erased, it stays the current point.
  AnnulationPoint a = AnnuleDernierPoint({tete, QStringLiteral("1,5; 2")}, 10, 0);
  EXPECT_EQ(a.Lignes, QStringList{tete});
  EXPECT_TRUE(a.Efface);
  EXPECT_FLOAT_EQ(a.X, 11.5f);
  EXPECT_FLOAT_EQ(a.Y, 2);
  // A stroke: erased back to the previous point, which is drawn again.
  a = AnnuleDernierPoint({tete, QStringLiteral("1; 2"), QStringLiteral("5; 6")}, 0, 0);
  EXPECT_EQ(a.Lignes.size(), 2);
  EXPECT_TRUE(a.Redessine);
  EXPECT_FLOAT_EQ(a.EffaceX1, 1);
  EXPECT_FLOAT_EQ(a.EffaceX2, 5);
  EXPECT_FLOAT_EQ(a.X, 1);
  // A lone point starting a trace: the separator goes with it.
  a = AnnuleDernierPoint({tete, QStringLiteral("1; 2"), QStringLiteral("'EOD"), QStringLiteral("7; 8")}, 0,
                         0);
  EXPECT_EQ(a.Lignes, (QStringList{tete, QStringLiteral("1; 2")}));
  EXPECT_FALSE(a.Redessine);
  EXPECT_FLOAT_EQ(a.Y, 2);
  // A separator last: dropped back to the last point.
  a = AnnuleDernierPoint({tete, QStringLiteral("3; 4"), QStringLiteral("'EOD")}, 0, 0);
  EXPECT_EQ(a.Lignes, (QStringList{tete, QStringLiteral("3; 4")}));
  EXPECT_FALSE(a.Efface);
  EXPECT_FLOAT_EQ(a.X, 3);
}

TEST_F(MouseDrawingTest, ClicksRecordRunsPlotAndSavingPutsThePlotLine) {
  Demarre();
  MenusPrincipaux& m = F().Menus();
  FrmDessin& d = OuvreDialogue();
  EXPECT_FALSE(m.Action(QStringLiteral("Mnu_Dessin"))->isEnabled());
  EXPECT_FALSE(m.Action(QStringLiteral("Mnu_Fichier"))->isEnabled());
  EXPECT_FALSE(F().Hote().MnuDessinActif);

  d.Texte(2)->setText(QStringLiteral("Rouge"));
  d.Texte(3)->setText(QStringLiteral("0.5mm"));
  d.Texte(5)->setText(QStringLiteral("35"));
  d.Texte(6)->setText(QStringLiteral("12"));
  d.Texte(7)->setText(QStringLiteral("0"));
  d.Cmd_OK_Click();
  EXPECT_TRUE(Dessin.ModeDessin);
  EXPECT_FLOAT_EQ(Dessin.DistancePoints, 20);
  EXPECT_FLOAT_EQ(Dessin.NiveauLissage, 10);
  EXPECT_FALSE(d.Texte(2)->isEnabled());
  EXPECT_FALSE(m.Action(QStringLiteral("Mnu_RefCurseur"))->isEnabled());
  ASSERT_EQ(LignesJournal().size(), 1);
  EXPECT_TRUE(LignesJournal()[0].startsWith(QStringLiteral("' Fichier de données dessin pour Morvo")));

  RunShell.RefCurX = RunShell.RefCurY = 0;
  // Shift-presses: a trace of two points (the second with Alt), then a new trace snapped by Ctrl.
  Appuie(BitShift, 20, 20);
  Appuie(BitShift | BitAlt, 60, 20);
  float x = 100, y = 24;
  F().Form_MouseDown(BoutonGauche, BitShift | BitCtrl, x, y);
  EXPECT_FLOAT_EQ(y, 20);
  // A freehand move nearer than 20 mm records nothing; farther it does.
  F().Form_MouseMove(BoutonGauche, BitShift, 110, 20);
  F().Form_MouseMove(BoutonGauche, BitShift, 130, 20);
  // A press without Shift records nothing.
  Appuie(0, 5, 5);
  EXPECT_EQ(LignesJournal().mid(1),
            (QStringList{QStringLiteral("20; 20"), QStringLiteral("60; 20"), QStringLiteral("'EOD"),
                         QStringLiteral("100; 20"), QStringLiteral("130; 20")}));
  EXPECT_EQ(Dessin.NbPointsDessin, 4);

  // Backspace undoes the freehand point.
  Souris.DernierX = 130;
  EXPECT_TRUE(d.Form_KeyDown(Qt::Key_Backspace, Qt::NoModifier));
  EXPECT_EQ(LignesJournal().size(), 5);
  EXPECT_FLOAT_EQ(Souris.DernierX, 100);

  // Every run draws the journal again in the dialog's colour and width.
  F().Vue().Surface().Cls();
  ASSERT_EQ(PixelsRouges(F().Vue().Surface().Image()), 0);
  F().Mnu_Visualiser_Click();
  EXPECT_GT(PixelsRouges(F().Vue().Surface().Image()), 50);
  EXPECT_EQ(Sortie->ForeColor, 0x0000FFu);
  EXPECT_EQ(Encre.CouleurCmd, 0x0000FF);
  EXPECT_GE(Sortie->DrawWidth, 1);
  EXPECT_TRUE(prompter_.Messages().empty());
  // The reference cursor stays off for as long as the drawing is live, runs included.
  EXPECT_FALSE(m.Action(QStringLiteral("Mnu_RefCurseur"))->isEnabled());

  // Saving: a new file, the name written back, the smoothing changed during the drawing.
  d.Texte(1)->setText(QString());
  d.Texte(6)->setText(QStringLiteral("12"));
  PressePapiersEfface();
  d.Cmd_OK_Click();
  QApplication::processEvents();
  EXPECT_EQ(FrmDessin::Ouvert(), nullptr);
  EXPECT_FALSE(QFile::exists(CheminJournalDessin()));
  const std::optional<QString> sauve = LitFichierTexte(Chemin(QStringLiteral("Dessin.txt")));
  ASSERT_TRUE(sauve.has_value());
  EXPECT_TRUE(sauve->endsWith(QStringLiteral("'EOD\r\n100; 20\r\n")));
  EXPECT_EQ(PressePapiersTexte(), QStringLiteral("Plot = Dessin§59,1,2§12,0,1,,1"));
  EXPECT_EQ(Dessin.NomDessinSaisi, QStringLiteral("Dessin"));
  EXPECT_FALSE(Dessin.ModeDessin || Dessin.DessinDemarre || Dessin.SaisieSouris);
  EXPECT_TRUE(m.Action(QStringLiteral("Mnu_Dessin"))->isEnabled());
  EXPECT_TRUE(m.Action(QStringLiteral("Mnu_Fichier"))->isEnabled());
  EXPECT_TRUE(m.Action(QStringLiteral("Mnu_RefCurseur"))->isEnabled());
  EXPECT_TRUE(F().Hote().MnuDessinActif);

  // The dialog comes back with the fields as they were left.
  FrmDessin& d2 = OuvreDialogue();
  EXPECT_EQ(d2.Texte(1)->text(), QStringLiteral("Dessin"));
  EXPECT_EQ(d2.Texte(2)->text(), QStringLiteral("Rouge"));
  EXPECT_EQ(d2.Texte(6)->text(), QStringLiteral("12"));
}

// What the window shows on the screen (not what a fresh paint would show).
QImage Affiche(QWidget& widget) {
  QWidget* fenetre = widget.window();
  const QImage image = fenetre->screen()->grabWindow(fenetre->winId()).toImage();
  const QPoint origine = widget.mapTo(fenetre, QPoint(0, 0)) * image.devicePixelRatio();
  return image.copy(QRect(origine, widget.size() * image.devicePixelRatio()));
}

TEST_F(MouseDrawingTest, TheDrawingStaysOnScreenAfterARunFromTheDialog) {
  Demarre();
  Tape(QStringLiteral("Trait 0,0,20,20\r\n"));
  DemarreDessinAuClavier(QStringLiteral("Rouge"));
  VueDessin& vue = F().Vue();
  QTest::mouseClick(&vue, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 100));
  QTest::mouseClick(&vue, Qt::LeftButton, Qt::ShiftModifier | Qt::AltModifier, QPoint(300, 100));
  QApplication::processEvents();
  ASSERT_GT(PixelsRouges(Affiche(vue)), 100);
  for (const int touche : {Qt::Key_F4, Qt::Key_F6}) {
    FrmDessin::Ouvert()->activateWindow();
    QApplication::processEvents();
    Clavier(touche);
    QApplication::processEvents();
    EXPECT_GT(PixelsRouges(Affiche(vue)), 100) << "after key " << touche;
  }
  // F7 runs again whatever way the zoom dialog closes.
  ReponsesModales reponses;
  reponses.Ajoute([](QWidget* zoom) { QTest::keyClick(zoom, Qt::Key_Escape); });
  FrmDessin::Ouvert()->activateWindow();
  QApplication::processEvents();
  Clavier(Qt::Key_F7);
  QApplication::processEvents();
  EXPECT_TRUE(reponses.Epuisees());
  EXPECT_GT(PixelsRouges(Affiche(vue)), 100) << "after F7";
}

// The columns of the red pixels that the window shows.
std::pair<int, int> ColonnesRouges(const QImage& image) {
  int gauche = image.width(), droite = -1;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 200 && c.green() < 60 && c.blue() < 60) {
        gauche = std::min(gauche, x);
        droite = std::max(droite, x);
      }
    }
  return {gauche, droite};
}

TEST_F(MouseDrawingTest, ADrawingMadeUnderOneLocalePlotsUnderEveryOther) {
  const QString plot = QStringLiteral("Couleur = Rouge\r\nPlot = Dessin§59,1,2§0,1,1,,1\r\n");
  {
    // The Arabic decimal separator is neither "." nor ",": the journal is written with it.
    const LocaleNommee arabe("ar_EG.UTF-8");
    if (!arabe.Active()) GTEST_SKIP() << "the ar_EG.UTF-8 locale is not installed";
    Demarre();
    DemarreDessinAuClavier(QStringLiteral("Rouge"));
    VueDessin& vue = F().Vue();
    QTest::mouseClick(&vue, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 100));
    QTest::mouseClick(&vue, Qt::LeftButton, Qt::ShiftModifier | Qt::AltModifier, QPoint(300, 100));
    ASSERT_EQ(LignesJournal().size(), 3);
    EXPECT_TRUE(LignesJournal()[1].contains(QChar(0x066B))) << LignesJournal()[1].toStdString();
    // Backspace undoes a third point and reads the second one back as the current point.
    const float x2 = Souris.DernierX, y2 = Souris.DernierY;
    QTest::mouseClick(&vue, Qt::LeftButton, Qt::ShiftModifier | Qt::AltModifier, QPoint(200, 150));
    ASSERT_EQ(LignesJournal().size(), 4);
    FrmDessin::Ouvert()->activateWindow();
    QApplication::processEvents();
    Clavier(Qt::Key_Backspace);
    ASSERT_EQ(LignesJournal().size(), 3);
    EXPECT_NEAR(Souris.DernierX, x2, 0.01);
    EXPECT_NEAR(Souris.DernierY, y2, 0.01);
    // F4 during the drawing runs the program and draws the journal again.
    FrmDessin::Ouvert()->activateWindow();
    QApplication::processEvents();
    Clavier(Qt::Key_F4);
    QApplication::processEvents();
    EXPECT_TRUE(prompter_.Messages().empty()) << prompter_.Messages().front().texte.toStdString();
    const std::pair<int, int> colonnes = ColonnesRouges(Affiche(vue));
    EXPECT_NEAR(colonnes.first, 100, 6);
    EXPECT_NEAR(colonnes.second, 300, 6);
    FrmDessin::Ouvert()->activateWindow();
    QApplication::processEvents();
    Clavier(Qt::Key_Return);
    QApplication::processEvents();
    ASSERT_EQ(FrmDessin::Ouvert(), nullptr);
    ASSERT_TRUE(QFile::exists(Chemin(QStringLiteral("Dessin.txt"))));
  }
  // The saved drawing plots in the same place under the C locale and under a French one.
  for (const char* nom : {"C", "fr_FR.UTF-8"}) {
    const LocaleNommee locale(nom);
    if (!locale.Active()) continue;
    Tape(plot);
    F().Vue().Surface().Cls();
    Clavier(Qt::Key_F4);
    QApplication::processEvents();
    EXPECT_TRUE(prompter_.Messages().empty())
        << nom << ": " << prompter_.Messages().front().texte.toStdString();
    // A thinner pen than the dialog's.
    const std::pair<int, int> plotees = ColonnesRouges(Affiche(F().Vue()));
    EXPECT_NEAR(plotees.first, 100, 2) << nom;
    EXPECT_NEAR(plotees.second, 300, 2) << nom;
  }
}

TEST_F(MouseDrawingTest, ContinueAddReplaceAndCancel) {
  Demarre();
  const QString fichier = Chemin(QStringLiteral("Croquis.txt"));
  ASSERT_TRUE(EcritFichierTexte(fichier, QStringLiteral("' vieux\r\n1; 1\r\n2; 2\r\n")));

  // Continuing the file: the journal starts with it and a separator.
  FrmDessin& d = OuvreDialogue();
  d.Texte(1)->setText(QStringLiteral("Croquis"));
  prompter_.AjouteReponse(QStringLiteral("YES"));
  d.Cmd_OK_Click();
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(prompter_.Messages()[0].texte.contains(QStringLiteral("Croquis.txt")));
  EXPECT_EQ(Dessin.ReponseReprise, 6);
  EXPECT_EQ(LignesJournal(), (QStringList{QStringLiteral("' vieux"), QStringLiteral("1; 1"),
                                          QStringLiteral("2; 2"), QStringLiteral("'EOD")}));
  EXPECT_FLOAT_EQ(Souris.DernierX, 2);
  Appuie(BitShift, 8, 9);

  // The loaded file cannot be added to itself; Cancel in the box keeps the dialog open.
  QuestionTroisBoutons vue;
  DefinitTroisBoutons([&vue](const QuestionTroisBoutons& q) {
    vue = q;
    return 0;
  });
  d.Cmd_OK_Click();
  EXPECT_FALSE(vue.Bouton1Actif());
  EXPECT_TRUE(vue.Message.contains(QStringLiteral("Croquis.txt")));
  EXPECT_EQ(FrmDessin::Ouvert(), &d);
  EXPECT_TRUE(QFile::exists(CheminJournalDessin()));

  // Replace.
  DefinitTroisBoutons([](const QuestionTroisBoutons&) { return 2; });
  d.Cmd_OK_Click();
  QApplication::processEvents();
  EXPECT_EQ(FrmDessin::Ouvert(), nullptr);
  EXPECT_EQ(*LitFichierTexte(fichier), QStringLiteral("' vieux\r\n1; 1\r\n2; 2\r\n'EOD\r\n8.0; 9.0\r\n"));

  // Add: the journal with its header after the file, then the closing line.
  FrmDessin& d2 = OuvreDialogue();
  prompter_.AjouteReponse(QStringLiteral("NO"));
  d2.Cmd_OK_Click();
  Appuie(BitShift, 3, 4);
  DefinitTroisBoutons([](const QuestionTroisBoutons&) { return 1; });
  d2.Cmd_OK_Click();
  QApplication::processEvents();
  const QString ajoute = *LitFichierTexte(fichier);
  EXPECT_TRUE(ajoute.startsWith(QStringLiteral("' vieux\r\n")));
  EXPECT_TRUE(ajoute.endsWith(QStringLiteral("3.0; 4.0\r\n\r\n'EOD '\r\n")));
  EXPECT_TRUE(ajoute.contains(QStringLiteral("' Fichier de données dessin pour Morvo")));
  EXPECT_FALSE(QFile::exists(CheminJournalDessin()));

  // Cancel: the journal goes, the menus come back.
  FrmDessin& d3 = OuvreDialogue();
  d3.Texte(1)->setText(QStringLiteral("Autre"));
  d3.Cmd_OK_Click();
  ASSERT_TRUE(QFile::exists(CheminJournalDessin()));
  EXPECT_TRUE(d3.Form_KeyDown(Qt::Key_Escape, Qt::NoModifier));
  QApplication::processEvents();
  EXPECT_EQ(FrmDessin::Ouvert(), nullptr);
  EXPECT_FALSE(QFile::exists(CheminJournalDessin()));
  EXPECT_FALSE(QFile::exists(Chemin(QStringLiteral("Autre.txt"))));
  EXPECT_TRUE(F().Menus().Action(QStringLiteral("Mnu_Dessin"))->isEnabled());
  EXPECT_EQ(Dessin.NomDessinSaisi, QStringLiteral("Autre"));
}

TEST_F(MouseDrawingTest, AddingANewDrawingToAPointFileKeepsTheTwoApart) {
  Demarre();
  VueDessin& vue = F().Vue();
  const auto enregistre = [this] {
    FrmDessin::Ouvert()->activateWindow();
    QApplication::processEvents();
    Clavier(Qt::Key_Return);
    QApplication::processEvents();
  };
  // A first drawing saved as Dessin.txt: its last line is a point.
  DemarreDessinAuClavier();
  QTest::mouseClick(&vue, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 100));
  QTest::mouseClick(&vue, Qt::LeftButton, Qt::ShiftModifier | Qt::AltModifier, QPoint(200, 100));
  enregistre();
  ASSERT_EQ(FrmDessin::Ouvert(), nullptr);
  const QString fichier = Chemin(QStringLiteral("Dessin.txt"));
  const QString premier = LitFichierTexte(fichier).value_or(QString());
  ASSERT_TRUE(premier.endsWith(QStringLiteral("\r\n")) && !premier.contains(QStringLiteral("'EOD")));

  // Not continued, a second drawing elsewhere, added to the file.
  prompter_.AjouteReponse(QStringLiteral("NO"));
  DemarreDessinAuClavier();
  QTest::mouseClick(&vue, Qt::LeftButton, Qt::ShiftModifier, QPoint(150, 300));
  QTest::mouseClick(&vue, Qt::LeftButton, Qt::ShiftModifier | Qt::AltModifier, QPoint(250, 300));
  DefinitTroisBoutons([](const QuestionTroisBoutons&) { return 1; });
  enregistre();
  ASSERT_EQ(FrmDessin::Ouvert(), nullptr);
  const QString tout = LitFichierTexte(fichier).value_or(QString());
  ASSERT_TRUE(tout.startsWith(premier));
  // The old trace ends before any point of the new one, so Plot draws no stroke between them.
  const QStringList ajout = tout.mid(premier.size()).split(CRLF);
  qsizetype finTrace = -1, premierPoint = -1;
  for (qsizetype i = 0; i < ajout.size(); ++i) {
    if (finTrace < 0 && ajout[i].startsWith(QStringLiteral("'EOD"))) finTrace = i;
    if (premierPoint < 0 && ajout[i].contains(u';') && !ajout[i].startsWith(u'\'')) premierPoint = i;
  }
  ASSERT_GE(premierPoint, 0);
  EXPECT_GE(finTrace, 0);
  EXPECT_LT(finTrace, premierPoint) << tout.toStdString();
}

// Every point of every stroke comes back, a lone point too: on F4 during the drawing, through the
// Plot line that saving puts on the clipboard, and on F4 while the saved drawing is continued.
TEST_F(MouseDrawingTest, EveryPointOfEveryStrokeIsDrawnAgain) {
  Demarre();
  DemarreDessinAuClavier(QStringLiteral("Rouge"));
  VueDessin& vue = F().Vue();
  QTest::mouseClick(&vue, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 100));
  QTest::mouseClick(&vue, Qt::LeftButton, Qt::ShiftModifier | Qt::AltModifier, QPoint(200, 100));
  QTest::mouseClick(&vue, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 250));
  QTest::mouseClick(&vue, Qt::LeftButton, Qt::ShiftModifier | Qt::AltModifier, QPoint(200, 250));
  QTest::mouseClick(&vue, Qt::LeftButton, Qt::ShiftModifier, QPoint(300, 180));
  const auto touche = [this](int t) {
    if (FrmDessin* d = FrmDessin::Ouvert()) d->activateWindow();
    QApplication::processEvents();
    Clavier(t);
    QApplication::processEvents();
  };
  // The plotted file has its own 0,0: the strokes are told apart by their columns alone. Each
  // stroke crosses the column between its two points; the lone point stands in a column of its own.
  const auto complet = [&vue](const char* quand) {
    const QImage image = Affiche(vue);
    const auto traits = [&image](int x) {
      int n = 0;
      bool avant = false;
      for (int y = 0; y < image.height(); ++y) {
        const QColor c = image.pixelColor(x, y);
        const bool rouge = c.red() > 200 && c.green() < 60 && c.blue() < 60;
        n += rouge && !avant ? 1 : 0;
        avant = rouge;
      }
      return n;
    };
    EXPECT_EQ(traits(150), 2) << quand;
    EXPECT_EQ(traits(300), 1) << quand;
  };
  touche(Qt::Key_F4);
  complet("F4 during the drawing");
  touche(Qt::Key_Return);
  ASSERT_EQ(FrmDessin::Ouvert(), nullptr);
  Tape(QStringLiteral("Couleur = Rouge\r\n") + PressePapiersTexte() + QStringLiteral("\r\n"));
  touche(Qt::Key_F4);
  complet("the clipboard's Plot line");
  Tape(QString());
  prompter_.AjouteReponse(QStringLiteral("YES"));
  DemarreDessinAuClavier(QStringLiteral("Rouge"));
  touche(Qt::Key_F4);
  complet("F4 while the saved drawing is continued");
}

TEST_F(MouseDrawingTest, SavingOntoAFullDiskKeepsTheFileTheJournalAndTheDialog) {
  Demarre();
  DisquePlein disque;
  ASSERT_TRUE(disque.Valide());
  // A drawing file that fills its block, so that any addition needs another.
  const QString fichier = disque.Chemin(QStringLiteral("Croquis.txt"));
  QByteArray ancien("' vieux\r\n1; 1\r\n'");
  ancien += QByteArray(4096 - ancien.size() - 2, 'x') + "\r\n";
  EcritOctets(fichier, ancien);
  FrmDessin& d = OuvreDialogue();
  d.Texte(1)->setText(fichier);
  prompter_.AjouteReponse(QStringLiteral("NO"));
  d.Cmd_OK_Click();
  Appuie(BitShift, 8, 9);
  const QStringList journal = LignesJournal();
  ASSERT_EQ(journal.size(), 2);
  disque.Remplit();
  const QString raison = RaisonSysteme(ENOSPC);

  // Add, Replace, and a new file: each is told, and nothing is lost.
  const QString neuf = disque.Chemin(QStringLiteral("Neuf.txt"));
  for (const int bouton : {1, 2, 0}) {
    prompter_.Efface();
    if (bouton == 0) d.Texte(1)->setText(neuf);
    DefinitTroisBoutons([bouton](const QuestionTroisBoutons&) { return bouton; });
    d.Cmd_OK_Click();
    QApplication::processEvents();
    const QString nom = bouton == 0 ? neuf : fichier;
    ASSERT_EQ(prompter_.Messages().size(), 1u) << bouton;
    EXPECT_EQ(prompter_.Messages()[0].texte, TexteEcritureImpossible(nom, raison)) << bouton;
    EXPECT_EQ(LitOctets(fichier), ancien) << bouton;
    EXPECT_EQ(LignesJournal(), journal) << bouton;
    EXPECT_EQ(FrmDessin::Ouvert(), &d) << bouton;
  }
  EXPECT_FALSE(QFile::exists(neuf));
}

// A drawing file named through a file as through a folder ("Croquis.txt/.") is refused with the
// system's answer: the file, the journal and the dialog stay.
TEST_F(MouseDrawingTest, ANameThroughAFileReplacesNothing) {
  Demarre();
  const QString fichier = Chemin(QStringLiteral("Croquis.txt"));
  const QByteArray ancien("' vieux\r\n1; 1\r\n");
  EcritOctets(fichier, ancien);
  const QString nom = fichier + QStringLiteral("/.");
  Clavier(Qt::Key_F9);
  ASSERT_NE(FrmDessin::Ouvert(), nullptr);
  FrmDessin& d = *FrmDessin::Ouvert();
  d.Texte(1)->setText(nom);
  d.activateWindow();
  QApplication::processEvents();
  Clavier(Qt::Key_Return);
  ASSERT_TRUE(Dessin.ModeDessin);
  QTest::mouseClick(&F().Vue(), Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 100));
  const QStringList journal = LignesJournal();
  ASSERT_FALSE(journal.isEmpty());
  prompter_.Efface();
  d.activateWindow();
  QApplication::processEvents();
  Clavier(Qt::Key_Return);
  QApplication::processEvents();
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, TexteEcritureImpossible(nom, RaisonSysteme(ENOTDIR)));
  EXPECT_EQ(LitOctets(fichier), ancien);
  EXPECT_EQ(LignesJournal(), journal);
  EXPECT_EQ(FrmDessin::Ouvert(), &d);
}

TEST_F(MouseDrawingTest, AJournalThatCannotBeDrawnIsReported) {
  Demarre();
  FrmDessin& d = OuvreDialogue();
  // Before a drawing starts there is no journal: a run says nothing.
  F().Mnu_Visualiser_Click();
  EXPECT_TRUE(prompter_.Messages().empty());
  d.Cmd_OK_Click();
  ASSERT_TRUE(AjouteFichierTexte(CheminJournalDessin(), QStringLiteral("pas de point\r\n")));
  F().Mnu_Visualiser_Click();
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(prompter_.Messages()[0].texte.contains(QStringLiteral("$Dessin_tmp.txt")));
  EXPECT_TRUE(F().Hote().MnuVisualiserActif);
}

TEST_F(MouseDrawingTest, SemicolonDuringALiveDrawingGoesToTheDialog) {
  Demarre();
  DemarreDessinAuClavier();
  F().activateWindow();
  Ed().setFocus();
  QApplication::processEvents();
  Frappe(QStringLiteral(";"));
  QApplication::processEvents();
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, QStringLiteral("KeyCode = 59"));
  EXPECT_TRUE(prompter_.Messages()[0].titre.isEmpty());
  EXPECT_EQ(Ed().Modele().Text(), QString());
  EXPECT_EQ(QApplication::activeWindow(), FrmDessin::Ouvert());

  // Without a live drawing it is typed into the program.
  Clavier(Qt::Key_Escape);
  QApplication::processEvents();
  F().activateWindow();
  Ed().setFocus();
  QApplication::processEvents();
  Frappe(QStringLiteral(";"));
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral(";"));
}

TEST_F(MouseDrawingTest, ClosingDuringADrawingAsksToSaveIt) {
  Demarre();
  DemarreDessinAuClavier();
  QTest::mouseClick(&F().Vue(), Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 100));
  ASSERT_EQ(LignesJournal().size(), 2);

  // Alt+F4 with an unchanged program: Cancel keeps the window and the drawing.
  prompter_.AjouteReponse(QStringLiteral("CANCEL"));
  F().activateWindow();
  QApplication::processEvents();
  Clavier(Qt::Key_F4, Qt::AltModifier);
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, QStringLiteral("Sauvegarder les modifications?"));
  EXPECT_EQ(prompter_.Messages()[0].boutons, Boutons::OuiNonAnnuler);
  EXPECT_TRUE(F().isVisible());
  EXPECT_EQ(LignesJournal().size(), 2);

  // Yes saves it as its point file, then the window closes.
  prompter_.AjouteReponse(QStringLiteral("YES"));
  Clavier(Qt::Key_F4, Qt::AltModifier);
  EXPECT_FALSE(F().isVisible());
  const std::optional<QString> sauve = LitFichierTexte(Chemin(QStringLiteral("Dessin.txt")));
  ASSERT_TRUE(sauve.has_value());
  EXPECT_EQ(sauve->split(CRLF).size(), 3);
  EXPECT_FALSE(QFile::exists(CheminJournalDessin()));
}
