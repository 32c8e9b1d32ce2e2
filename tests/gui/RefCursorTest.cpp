#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <functional>

#include "WindowFixture.h"
#include "platform/StringTable.h"
#include "shell/DrawingView.h"
#include "shell/MouseCoordinates.h"
#include "shell/QtHost.h"
#include "shell/RefCursorDialog.h"

namespace {

void Touche(QWidget* cible, int touche) {
  QKeyEvent appui(QEvent::KeyPress, touche, Qt::NoModifier);
  QApplication::sendEvent(cible, &appui);
}

}  // namespace

class RefCursorTest : public WindowFixture {
 protected:
  void TearDown() override {
    RazEtatSouris();
    WindowFixture::TearDown();
  }
};

TEST_F(RefCursorTest, PointTextsAndCtrlF8) {
  RunShell.OrigineFinX = 100;
  RunShell.OrigineFinY = 80;
  RunShell.CentreCmdX = 30;
  RunShell.CentreCmdY = 20;
  Lecture.SepParam = QStringLiteral(",");
  Lecture.SepSousParam = QStringLiteral("§");

  ASSERT_TRUE(AppliqueRefCurseur(QStringLiteral("50,100")));
  EXPECT_FLOAT_EQ(RunShell.RefCurX, 150);
  EXPECT_FLOAT_EQ(RunShell.RefCurY, 180);
  EXPECT_FLOAT_EQ(RunShell.RefCurAngle, 0);
  EXPECT_EQ(TexteRefCurseur(), QStringLiteral("50, 100"));

  // The angle is kept with the opposite sign and shown as typed.
  ASSERT_TRUE(AppliqueRefCurseur(QStringLiteral("0,0§30")));
  EXPECT_FLOAT_EQ(RunShell.RefCurAngle, -30);
  EXPECT_FLOAT_EQ(RunShell.RefCurAngleRad, -30 * 0.017453293f);
  EXPECT_FLOAT_EQ(RunShell.DecalRefAngle, -30);
  EXPECT_EQ(TexteRefCurseur(), QStringLiteral("0, 0§30"));

  // "Z": from the bottom-left corner, whatever angle was typed.
  ASSERT_TRUE(AppliqueRefCurseur(QStringLiteral("0,0§45z")));
  EXPECT_FLOAT_EQ(RunShell.RefCurX, 70);
  EXPECT_FLOAT_EQ(RunShell.RefCurY, 60);
  EXPECT_FLOAT_EQ(RunShell.RefCurAngle, 0);
  EXPECT_FLOAT_EQ(RunShell.RefCurAngleRad, 0);
  EXPECT_FLOAT_EQ(RunShell.DecalRefX, -30);
  EXPECT_FLOAT_EQ(RunShell.DecalRefY, -20);

  ASSERT_TRUE(AppliqueRefCurseur(QStringLiteral("2*5, 4,5")));
  EXPECT_FLOAT_EQ(RunShell.RefCurX, 110);
  EXPECT_FLOAT_EQ(RunShell.RefCurY, 84);

  // No comma: message 166, nothing changes; an empty text is the origin.
  EXPECT_FALSE(AppliqueRefCurseur(QStringLiteral("5")));
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, TexteMsg(166));
  EXPECT_FLOAT_EQ(RunShell.RefCurX, 110);
  ASSERT_TRUE(AppliqueRefCurseur(QStringLiteral("  ")));
  EXPECT_FLOAT_EQ(RunShell.RefCurX, 100);
  EXPECT_FLOAT_EQ(RunShell.RefCurY, 80);

  // A field the evaluator refuses is reported, and nothing changes.
  prompter_.Efface();
  EXPECT_FALSE(AppliqueRefCurseur(QStringLiteral("7,1/0")));
  EXPECT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_FLOAT_EQ(RunShell.RefCurX, 100);

  ASSERT_TRUE(AppliqueRefCurseur(QStringLiteral("5,5§10")));
  RefCurseurSurOrigine();
  EXPECT_FLOAT_EQ(RunShell.RefCurX, 100);
  EXPECT_FLOAT_EQ(RunShell.RefCurY, 80);
  EXPECT_FLOAT_EQ(RunShell.RefCurAngleRad, 0);
  EXPECT_FLOAT_EQ(RunShell.DecalRefX, 0);
  EXPECT_EQ(TexteRefCurseur(), QStringLiteral("0, 0"));
}

TEST_F(RefCursorTest, DialogAfterARunAndPositioning) {
  Demarre();
  Tape(QStringLiteral("CentreE 100,80\r\nRefCur = 10,5"));
  F().Mnu_Visualiser_Click();
  const float ox = RunShell.OrigineFinX, oy = RunShell.OrigineFinY;
  EXPECT_FLOAT_EQ(RunShell.RefCurX, ox + 10);
  EXPECT_FLOAT_EQ(RunShell.RefCurY, oy + 5);

  // F8 shows the point relative to the origin; a typed point and F8 confirm it.
  bool vu = false;
  QString titre, texte, etiquette;
  SurDialogue<DialogueRefCurseur>(
      [&](DialogueRefCurseur& d) {
        titre = d.windowTitle();
        texte = d.Text1()->text();
        etiquette = d.Label1()->text();
        d.Text1()->setText(QStringLiteral("20,-4§90"));
        Touche(d.Text1(), Qt::Key_F8);
      },
      &vu);
  EXPECT_TRUE(F().Form_KeyDown(Qt::Key_F8, Qt::NoModifier));
  EXPECT_TRUE(vu);
  EXPECT_EQ(titre, QStringLiteral("Morvo   RefCur   (F8, Ctrl-F8)"));
  EXPECT_EQ(texte, QStringLiteral("10, 5"));
  EXPECT_EQ(etiquette, TexteMsg(165));
  EXPECT_FLOAT_EQ(RunShell.RefCurX, ox + 20);
  EXPECT_FLOAT_EQ(RunShell.RefCurY, oy - 4);
  EXPECT_FLOAT_EQ(RunShell.RefCurAngle, -90);
  EXPECT_FALSE(Ed().EntreeDialogue);

  // A text without a comma keeps the dialog open; Esc then leaves everything as it was.
  SurDialogue<DialogueRefCurseur>(
      [&](DialogueRefCurseur& d) {
        d.Text1()->setText(QStringLiteral("5"));
        Touche(d.Text1(), Qt::Key_Return);
        EXPECT_TRUE(d.isVisible());
        Touche(d.Text1(), Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible());
      },
      &vu);
  F().Mnu_RefCurseur_Click(0);
  EXPECT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_FLOAT_EQ(RunShell.RefCurX, ox + 20);

  // Ctrl+F8: back on the origin, without the dialog.
  vu = false;
  SurDialogue<DialogueRefCurseur>([](DialogueRefCurseur&) {}, &vu);
  EXPECT_TRUE(F().Form_KeyDown(Qt::Key_F8, Qt::ControlModifier));
  QApplication::processEvents();
  EXPECT_FALSE(vu);
  EXPECT_FLOAT_EQ(RunShell.RefCurX, ox);
  EXPECT_FLOAT_EQ(RunShell.RefCurAngle, 0);

  // F6 brings the point under the mouse to the centre; Ctrl+F6 cancels the shift.
  const double largeurCode = F().Hote().MnuCodeCoche ? F().Hote().LargeurCode() : 0.0;
  const double centreX = (F().Vue().Surface().ScaleWidth - largeurCode) / 2;
  F().Form_MouseMove(0, 0, static_cast<float>(Repere.OrigineX + 10), static_cast<float>(Repere.OrigineY));
  EXPECT_TRUE(F().Form_KeyDown(Qt::Key_F6, Qt::NoModifier));
  EXPECT_FLOAT_EQ(Shell.DecalVueX, 10);
  EXPECT_FLOAT_EQ(Shell.DecalVueY, 0);
  EXPECT_NEAR(Repere.OrigineX + 10, centreX, 1e-3);
  EXPECT_TRUE(F().Form_KeyDown(Qt::Key_F6, Qt::ControlModifier));
  EXPECT_FLOAT_EQ(Shell.DecalVueX, 0);
  EXPECT_NEAR(Repere.OrigineX, 100, 1e-3);
  EXPECT_NEAR(Repere.OrigineY, 80, 1e-3);

  // A double-click outside insertion mode positions the drawing too.
  F().Form_MouseMove(0, 0, static_cast<float>(Repere.OrigineX - 5), static_cast<float>(Repere.OrigineY + 5));
  F().Form_DblClick(0);
  EXPECT_FLOAT_EQ(Shell.DecalVueX, -5);
  EXPECT_FLOAT_EQ(Shell.DecalVueY, 5);
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("CentreE 100,80\r\nRefCur = 10,5"));

  // The pointer goes to the middle of the drawing, left of the code pane when it is shown.
  const QRect fenetre = F().frameGeometry();
  const int gaucheCode = F().Editeur().mapToGlobal(QPoint(0, 0)).x();
  F().CentreCurseur();
  EXPECT_NEAR(QCursor::pos().x(), (fenetre.left() + gaucheCode) / 2.0, 1);
  F().Mnu_Code_Click();
  F().CentreCurseur();
  EXPECT_NEAR(QCursor::pos().x(), (fenetre.left() + fenetre.right()) / 2.0, 1);
  F().Mnu_Code_Click();
}

TEST_F(RefCursorTest, PositioningCentresThePointUnderTheMouseAtAnyZoom) {
  Demarre();
  Tape(QStringLiteral("CentreE 60,50\r\nTrait 0,0,10,0"));
  ReponsesModales reponses;
  reponses.Ajoute([this](QWidget*) {
    Frappe(QStringLiteral("2"));
    Clavier(Qt::Key_Return);
  });
  Clavier(Qt::Key_F7);
  ASSERT_FLOAT_EQ(Shell.ZoomCourant, 2.0f);
  VueDessin& vue = F().Vue();
  const OutputSurface& s = vue.Surface();
  const double centre = (vue.width() - F().Editeur().width()) / 2.0;
  // Widget units of a drawing point.
  const double r = vue.RapportPixels();
  const auto pixelX = [&](double x) { return (x - s.ScaleLeft) * s.LargeurPixels() / s.ScaleWidth / r; };
  const auto pixelY = [&](double y) { return (y - s.ScaleTop) * s.HauteurPixels() / s.ScaleHeight / r; };
  for (const int touche : {int{Qt::Key_F6}, int{Qt::Key_F12}, 0}) {
    const QPoint souris(150, 120);
    QTest::mouseMove(F().windowHandle(), vue.mapTo(&F(), souris));
    const double dx = Souris.SourisX - Repere.OrigineX, dy = Souris.SourisY - Repere.OrigineY;
    if (touche != 0)
      Clavier(touche);
    else
      QTest::mouseDClick(&vue, Qt::LeftButton, Qt::NoModifier, souris);
    EXPECT_NEAR(pixelX(Repere.OrigineX + dx), centre, 2) << "key " << touche;
    EXPECT_NEAR(pixelY(Repere.OrigineY + dy), vue.height() / 2.0, 2) << "key " << touche;
    Clavier(Qt::Key_F6, Qt::ControlModifier);
  }
}

TEST_F(RefCursorTest, TheDialogShowsItsWholeTitleAndAltLettersTypeNothing) {
  Demarre();
  VerifieTitreEtLettresAlt<DialogueRefCurseur>(Qt::Key_F8);
}
