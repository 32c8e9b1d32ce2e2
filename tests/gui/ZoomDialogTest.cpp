#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <functional>

#include "WindowFixture.h"
#include "shell/MouseCoordinates.h"
#include "shell/QtHost.h"
#include "shell/ZoomDialog.h"

namespace {

void Touche(QWidget* cible, int touche, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent appui(QEvent::KeyPress, touche, mods);
  QApplication::sendEvent(cible, &appui);
}

}  // namespace

class ZoomValuesTest : public ConfigFixture {};

TEST_F(ZoomValuesTest, TypedValuesAndTheCorrectionFactorKey) {
  PrepareConfig();
  ASSERT_TRUE(CreeConfigDefaut());
  const QByteArray avant = LitOctets(CheminConfig());

  QString zoom = QStringLiteral("2,5"), facteur = QStringLiteral("1");
  ValideZoom(zoom, facteur);
  EXPECT_FLOAT_EQ(Shell.ZoomCourant, 2.5f);
  EXPECT_EQ(zoom, QStringLiteral("2.5"));
  // An unchanged correction factor writes nothing.
  EXPECT_EQ(LitOctets(CheminConfig()), avant);

  zoom = QStringLiteral("-2");
  ValideZoom(zoom, facteur);
  EXPECT_FLOAT_EQ(Shell.ZoomCourant, 2.0f);
  zoom = QStringLiteral("3/2");
  ValideZoom(zoom, facteur);
  EXPECT_FLOAT_EQ(Shell.ZoomCourant, 1.5f);
  zoom = QStringLiteral("0");
  ValideZoom(zoom, facteur);
  EXPECT_FLOAT_EQ(Shell.ZoomCourant, 1.5f);
  EXPECT_EQ(zoom, QStringLiteral("1.5"));
  EXPECT_TRUE(prompter_.Messages().empty());

  facteur = QStringLiteral("0,98");
  ValideZoom(zoom, facteur);
  EXPECT_FLOAT_EQ(Shell.FacteurMm, 0.98f);
  EXPECT_EQ(facteur, QStringLiteral("0.98"));
  const QByteArray ecrit = LitOctets(CheminConfig());
  EXPECT_TRUE(ecrit.contains("\r\nZmm = .98\r\n")) << ecrit.constData();
  EXPECT_FALSE(ecrit.contains("Zmm = 1\r\n"));

  facteur = QStringLiteral("0");
  ValideZoom(zoom, facteur);
  EXPECT_FLOAT_EQ(Shell.FacteurMm, 0.98f);
  EXPECT_EQ(facteur, QStringLiteral(".98"));

  // Not a number: the two-language message, nothing changes.
  zoom = QStringLiteral("4");
  facteur = QStringLiteral("1/0");
  ValideZoom(zoom, facteur);
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, QStringLiteral("Valeur non numérique\r\nNo numeric value"));
  EXPECT_TRUE(prompter_.Messages()[0].titre.isEmpty());
  EXPECT_FLOAT_EQ(Shell.ZoomCourant, 1.5f);
  EXPECT_FLOAT_EQ(Shell.FacteurMm, 0.98f);
}

class ZoomDialogTest : public WindowFixture {};

TEST_F(ZoomDialogTest, F7ShowsTheDialogAndCtrlF7GoesBackToTheInitialZoom) {
  Demarre();
  Tape(QStringLiteral("ZoomIni = 2\r\n%A = 1"));
  F().Mnu_Visualiser_Click();
  EXPECT_FLOAT_EQ(RunShell.ZoomIni, 2.0f);
  EXPECT_FLOAT_EQ(Shell.ZoomCourant, 1.0f);

  // Ctrl+F7: no dialog, the initial zoom, and the program runs again.
  Tape(QStringLiteral("ZoomIni = 2\r\n%A = 2"));
  bool vu = false;
  SurDialogue<DialogueZoom>([](DialogueZoom&) {}, &vu);
  EXPECT_TRUE(F().Form_KeyDown(Qt::Key_F7, Qt::ControlModifier));
  EXPECT_FALSE(vu);
  EXPECT_FLOAT_EQ(Shell.ZoomCourant, 2.0f);
  EXPECT_EQ(VarNiveau1(QStringLiteral("%A")), QStringLiteral("2"));
  QApplication::processEvents();

  // F7: the dialog with the current values; Enter takes the typed zoom.
  Tape(QStringLiteral("%A = 3"));
  QString titre, texte1, texte2, etiquette, bouton;
  SurDialogue<DialogueZoom>(
      [&](DialogueZoom& d) {
        titre = d.windowTitle();
        texte1 = d.Text1()->text();
        texte2 = d.Text2()->text();
        etiquette = d.Label1()->text();
        bouton = d.Command1()->text();
        d.Text1()->setText(QStringLiteral("3,5"));
        Touche(d.Text1(), Qt::Key_Return);
      },
      &vu);
  EXPECT_TRUE(F().Form_KeyDown(Qt::Key_F7, Qt::NoModifier));
  EXPECT_TRUE(vu);
  EXPECT_EQ(titre, QStringLiteral("Morvo   Zoom   (F7, Ctrl-F7)"));
  EXPECT_EQ(texte1, QStringLiteral("2"));
  EXPECT_EQ(texte2, QStringLiteral("1"));
  EXPECT_EQ(etiquette, QStringLiteral("Facteur de correction pour mm"));
  EXPECT_EQ(bouton, QStringLiteral("Valider - OK"));
  EXPECT_FLOAT_EQ(Shell.ZoomCourant, 3.5f);
  EXPECT_TRUE(Ed().EntreeDialogue);
  EXPECT_EQ(VarNiveau1(QStringLiteral("%A")), QStringLiteral("3"));

  // Esc and F7 close the dialog with no change, and the program runs again all the same.
  for (int touche : {int(Qt::Key_Escape), int(Qt::Key_F7)}) {
    Tape(QStringLiteral("%A = ") + QString::number(touche));
    vu = false;
    SurDialogue<DialogueZoom>(
        [touche](DialogueZoom& d) {
          d.Text1()->setText(QStringLiteral("9"));
          Touche(d.Text1(), touche);
        },
        &vu);
    F().Mnu_Zoom_Click(0);
    EXPECT_TRUE(vu);
    EXPECT_FLOAT_EQ(Shell.ZoomCourant, 3.5f);
    EXPECT_EQ(VarNiveau1(QStringLiteral("%A")), QString::number(touche));
  }

  // While a run goes on (and no mouse drawing is open) the request does nothing.
  F().Hote().MnuVisualiserActif = false;
  F().Mnu_Zoom_Click(BitCtrl);
  EXPECT_FLOAT_EQ(Shell.ZoomCourant, 3.5f);
  F().Hote().MnuVisualiserActif = true;
}

TEST_F(ZoomDialogTest, TheDialogShowsItsWholeTitleAndAltLettersTypeNothing) {
  Demarre();
  VerifieTitreEtLettresAlt<DialogueZoom>(Qt::Key_F7);
}
