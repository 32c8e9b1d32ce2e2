#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QRegularExpression>
#include <cmath>

#include "UserLocale.h"
#include "WindowFixture.h"
#include "editor/UndoRing.h"
#include "shell/DrawingView.h"
#include "shell/MouseCoordinates.h"

namespace {

class MouseCoordinatesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RazEtatSouris();
    RunShell = ValeursRun{};
    Shell.ZoomCourant = 1.0f;
    Repere.OrigineBaseX = Repere.OrigineBaseY = 0;
  }
  void TearDown() override {
    RazEtatSouris();
    RunShell = ValeursRun{};
    Shell.ZoomCourant = 1.0f;
    Repere.OrigineBaseX = Repere.OrigineBaseY = 0;
  }
};

}  // namespace

TEST_F(MouseCoordinatesTest, AnglesDistancesAndDecimals) {
  EXPECT_EQ(MesureSouris(1, -1, 0).Angle, QStringLiteral("T -45.0°  1.4"));
  Souris.ModeAffichage = true;
  EXPECT_EQ(MesureSouris(1, -1, 0).Angle, QStringLiteral("A 225.0°  1.4"));
  Souris.ModeAffichage = false;
  EXPECT_EQ(MesureSouris(0, -2, 0).Angle, QStringLiteral("T 270.0°  2.0"));
  EXPECT_EQ(MesureSouris(0, 2, 0).Angle, QStringLiteral("T 90.0°  2.0"));
  EXPECT_EQ(MesureSouris(-3, 0, 0).Angle, QStringLiteral("T 180.0°  3.0"));
  EXPECT_EQ(MesureSouris(0.02f, -0.03f, 0).Angle, QStringLiteral("T 0.0°  0.0"));
  // The short form of the box's double-click keeps the point of a dropped decimal.
  MesureSouris(3, 4, 0);
  EXPECT_EQ(TexteAngleSouris(true), QStringLiteral("T 53.1°  5."));

  Shell.ZoomCourant = 0.4f;
  EXPECT_EQ(MesureSouris(-12.4f, 40, 0).Coordonnees, QStringLiteral("-12  40"));
  Shell.ZoomCourant = 0.5f;
  EXPECT_EQ(MesureSouris(12.5f, -7.34f, 0).Coordonnees, QStringLiteral("12.5  -7.3"));
  Shell.ZoomCourant = 4.99f;
  EXPECT_EQ(MesureSouris(12.5f, -7.34f, 0).Coordonnees, QStringLiteral("12.5  -7.3"));
  Shell.ZoomCourant = 5;
  EXPECT_EQ(MesureSouris(12.5f, -7.346f, 0).Coordonnees, QStringLiteral("12.50  -7.35"));

  // A locale with a decimal comma still shows points.
  const QLocale avant;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  Shell.ZoomCourant = 1;
  const AffichageSouris allemand = MesureSouris(1.25f, 2, 0);
  QLocale::setDefault(avant);
  EXPECT_EQ(allemand.Coordonnees, QStringLiteral("1.3  2.0"));
  EXPECT_EQ(allemand.Angle, QStringLiteral("T 58.0°  2.4"));
}

TEST_F(MouseCoordinatesTest, ReferenceCursorMarkAndBaseOrigin) {
  // Rotated coordinates about the reference point; the distance does not change.
  RunShell.RefCurAngle = 90;
  RunShell.RefCurAngleRad = 90 * 0.017453293f;
  AffichageSouris a = MesureSouris(0, 10, 0);
  EXPECT_EQ(a.Coordonnees, QStringLiteral("-10.0  0.0"));
  EXPECT_FLOAT_EQ(Souris.DistanceMesure, 10.0f);
  EXPECT_FALSE(a.Rouge);

  RunShell.RefCurAngle = RunShell.RefCurAngleRad = 0;
  RunShell.RefCurX = 100;
  RunShell.RefCurY = 80;
  a = MesureSouris(112.5f, 73, 0);
  EXPECT_EQ(a.Coordonnees, QStringLiteral("12.5  -7.0"));
  EXPECT_FLOAT_EQ(Souris.SourisX, 112.5f);

  // Shift: unrotated, from the base origin, in red.
  Repere.OrigineBaseX = 20;
  Repere.OrigineBaseY = 30;
  RunShell.RefCurAngleRad = 1.0f;
  a = MesureSouris(25, 40, BitShift);
  EXPECT_TRUE(a.Rouge);
  EXPECT_EQ(a.Coordonnees, QStringLiteral("5.0  10.0"));
  // A mouse drawing that records points keeps the measured values.
  EXPECT_FALSE(MesureSouris(25, 40, BitShift, true).Rouge);

  // Alt: measured from the marked point.
  RunShell.RefCurAngleRad = 0;
  Souris.MarqueX = 10;
  Souris.MarqueY = 10;
  a = MesureSouris(13, 14, BitAlt);
  EXPECT_TRUE(a.Vert);
  EXPECT_EQ(a.Coordonnees, QStringLiteral("3.0  4.0"));
  EXPECT_EQ(a.Angle, QStringLiteral("T 53.1°  5.0"));
  EXPECT_FALSE(MesureSouris(13, 14, 0).Vert);
}

TEST(MouseCoordinatesHelpers, SnappingAndInsertedText) {
  const auto aimante = [](float x, float y) {
    AimantePoint(x, y, 0, 0);
    return std::pair{x, y};
  };
  EXPECT_EQ(aimante(10, 4), std::pair(10.0f, 0.0f));
  EXPECT_EQ(aimante(10, 8), std::pair(10.0f, 10.0f));
  EXPECT_EQ(aimante(10, -8), std::pair(10.0f, -10.0f));
  EXPECT_EQ(aimante(10, 15), std::pair(15.0f, 15.0f));
  EXPECT_EQ(aimante(-10, 15), std::pair(-15.0f, 15.0f));
  EXPECT_EQ(aimante(10, 30), std::pair(0.0f, 30.0f));
  EXPECT_EQ(aimante(0, 30), std::pair(0.0f, 30.0f));

  EXPECT_EQ(TexteAnnulations(3, 2, 0), QStringLiteral("3 : 2  0  "));
  EXPECT_EQ(TexteAnnulations(12, 21, 10), QStringLiteral("12 : 21  10  "));

  const QString sep = QStringLiteral(",");
  EXPECT_EQ(CoordonneesInserees(QStringLiteral("12.5  7.3"), sep), QStringLiteral("12.5,7.3"));
  EXPECT_EQ(CoordonneesInserees(QStringLiteral("-3  40"), sep), QStringLiteral("-3,40"));
  EXPECT_EQ(CoordonneesInserees(QStringLiteral("-3  40"), QStringLiteral(";")), QStringLiteral("-3;40"));
  EXPECT_EQ(CoordonneesInserees(QString(), sep), QString());
  double x = 0, y = 0;
  LitCoordonnees(QStringLiteral("-3.5;40.25"), QStringLiteral(";"), x, y);
  EXPECT_DOUBLE_EQ(x, -3.5);
  EXPECT_DOUBLE_EQ(y, 40.25);

  const QString p = QStringLiteral("12.5,7.3");
  const auto insere = [&](const QString& texte) { return TexteInsertionPoint(p, texte, texte.size(), sep); };
  EXPECT_EQ(insere(QStringLiteral("Cercle = ")), p);
  EXPECT_EQ(insere(QStringLiteral("Cercle = 10,10")), QStringLiteral(", 12.5,7.3"));
  EXPECT_EQ(insere(QStringLiteral("Cercle = 10,\t ")), p);
  EXPECT_EQ(insere(QStringLiteral("Cercle 1,1 ' ")), p);
  EXPECT_EQ(insere(QStringLiteral("Trait = 0,0,10,10")), QStringLiteral(",,, 12.5,7.3"));
  EXPECT_EQ(insere(QStringLiteral("Cercle = 1\r\ntrait = 0,0,10,10")), QStringLiteral(",,, 12.5,7.3"));
  EXPECT_EQ(insere(QStringLiteral("Trait = 0,0,10")), QStringLiteral(", 12.5,7.3"));
  EXPECT_EQ(insere(QStringLiteral("   ")), p);
  EXPECT_EQ(TexteInsertionPoint(p, QStringLiteral("Cercle = 10"), 0, sep), p);
  EXPECT_EQ(TexteInsertionPoint(p, QStringLiteral("Cercle = 10 "), 9, sep), p);
}

class MouseWindowTest : public WindowFixture {
 protected:
  void TearDown() override {
    RazEtatSouris();
    WindowFixture::TearDown();
  }
  static QPointF Pixel(const OutputSurface& s, double x, double y) {
    return {(x - s.ScaleLeft) * s.LargeurPixels() / s.ScaleWidth,
            (y - s.ScaleTop) * s.HauteurPixels() / s.ScaleHeight};
  }
};

TEST_F(MouseWindowTest, MouseMoveShowsTheMeasureAndDoubleClickInsertsThePoint) {
  Demarre();
  Tape(QStringLiteral("CentreE 100,80\r\nCercle = "));
  F().Mnu_Visualiser_Click();
  ASSERT_FLOAT_EQ(RunShell.RefCurX, RunShell.OrigineFinX);

  // A real move over the view, in the scale the run left.
  VueDessin& vue = F().Vue();
  const OutputSurface& s = vue.Surface();
  const QPointF pixel = Pixel(s, RunShell.RefCurX + 12.5, RunShell.RefCurY + 7.3);
  const QPoint entier = pixel.toPoint();
  QMouseEvent mouvement(QEvent::MouseMove, QPointF(entier), vue.mapToGlobal(QPointF(entier)), Qt::NoButton,
                        Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&vue, &mouvement);
  const QPointF echelle = vue.VersEchelle(QPointF(entier));
  EXPECT_FLOAT_EQ(Souris.SourisX, static_cast<float>(echelle.x()));
  EXPECT_NEAR(Souris.SourisX - RunShell.RefCurX, 12.5, 0.5);
  EXPECT_NEAR(Souris.SourisY - RunShell.RefCurY, 7.3, 0.5);
  EXPECT_TRUE(F().Text2()->text().contains(QStringLiteral("  ")));
  EXPECT_TRUE(F().Text3()->text().startsWith(QStringLiteral("T ")));

  // Exact values through the handler; then the double-click inserts them at the caret.
  F().Form_MouseMove(0, 0, RunShell.RefCurX + 12.5f, RunShell.RefCurY + 7.3f);
  EXPECT_EQ(F().Text2()->text(), QStringLiteral("12.5  7.3"));
  EXPECT_EQ(F().Text2()->palette().color(QPalette::Text), QColor(Qt::black));
  F().Form_MouseMove(0, BitAlt | BitShift, RunShell.RefCurX, RunShell.RefCurY);
  EXPECT_EQ(F().Text2()->palette().color(QPalette::Base), QColor(200, 255, 200));
  EXPECT_EQ(F().Text2()->palette().color(QPalette::Text), QColor(Qt::red));
  F().Form_MouseMove(0, 0, RunShell.RefCurX + 12.5f, RunShell.RefCurY + 7.3f);
  EXPECT_EQ(F().Text2()->palette().color(QPalette::Base), QColor(Qt::white));

  F().Action(QStringLiteral("Mnu_DblClick"))->setChecked(true);
  EditeurTexte& m = Ed().Modele();
  m.SetSelStart(static_cast<int>(m.Text().size()));
  vue.Surface().Cls();
  const int annulAvant = F().Annulation().NbAnnul();
  F().Form_DblClick(0);
  EXPECT_EQ(F().Annulation().NbAnnul(), annulAvant + 1);
  EXPECT_EQ(m.Text(), QStringLiteral("CentreE 100,80\r\nCercle = 12.5,7.3"));
  EXPECT_TRUE(Ed().AnnulationArmee);
  // The blue mark at the point, relative to the origin.
  const QPointF marque = Pixel(s, Repere.OrigineX + 12.5, Repere.OrigineY + 7.3);
  const QColor c = vue.Surface().Image().pixelColor(marque.toPoint());
  EXPECT_GT(c.blue(), 200);
  EXPECT_LT(c.red(), 80);

  F().Form_DblClick(0);
  EXPECT_EQ(m.Text(), QStringLiteral("CentreE 100,80\r\nCercle = 12.5,7.3, 12.5,7.3"));

  // The angle box's double-click switches to "A" values in the short form.
  F().Form_MouseMove(0, 0, RunShell.RefCurX + 3, RunShell.RefCurY + 4);
  QMouseEvent double_(QEvent::MouseButtonDblClick, QPointF(2, 2), F().Text3()->mapToGlobal(QPointF(2, 2)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(F().Text3(), &double_);
  EXPECT_EQ(F().Text3()->text(), QStringLiteral("A 126.9°  5."));
  F().Form_MouseMove(0, 0, RunShell.RefCurX + 3, RunShell.RefCurY + 4);
  EXPECT_EQ(F().Text3()->text(), QStringLiteral("A 126.9°  5.0"));
  const AnneauAnnulation& a = F().Annulation();
  EXPECT_EQ(F().Text4()->text(), TexteAnnulations(a.IndexAnnul(), a.NbAnnul(), a.NbRefaire()));
  EXPECT_TRUE(F().Text4()->text().contains(QStringLiteral(" : ")));

  // An Alt+press marks the point that Alt measures from.
  float x = RunShell.RefCurX + 1, y = RunShell.RefCurY + 1;
  F().Form_MouseDown(1, BitAlt, x, y);
  EXPECT_FLOAT_EQ(Souris.MarqueX, x);
  F().Form_MouseMove(0, BitAlt, x + 3, y + 4);
  EXPECT_EQ(F().Text2()->text(), QStringLiteral("3.0  4.0"));
}

TEST_F(MouseWindowTest, AfterAResizeTheMouseStillReadsTheProgramsUnitsWithYUp) {
  Demarre();
  Tape(QStringLiteral("Trait 0,0,50,50\r\n"));
  Clavier(Qt::Key_F4);
  VueDessin& vue = F().Vue();
  F().resize(900, 600);
  QApplication::processEvents();
  const auto lecture = [&](QPoint pixel) {
    QTest::mouseMove(&vue, pixel);
    QApplication::processEvents();
    return std::make_pair(F().Text2()->text(), Souris.SourisY);
  };
  const QPoint haut(50, 20), bas(50, vue.height() - 20);
  const auto [texteHaut, yHaut] = lecture(haut);
  const auto [texteBas, yBas] = lecture(bas);
  // y grows upwards from the bottom-left origin: 20 pixels above the bottom edge is 5.3 mm.
  EXPECT_GT(yHaut, yBas);
  EXPECT_NEAR(yBas, 20 * 25.4 / 96.0, 0.3);
  // The same points read the same after the program has run again.
  Clavier(Qt::Key_F4);
  EXPECT_EQ(lecture(haut).first, texteHaut);
  EXPECT_EQ(lecture(bas).first, texteBas);
}

TEST_F(MouseWindowTest, CtrlAltOrAltMiddlePressSetsTheMarkAsAltPressDoes) {
  Demarre();
  Tape(QStringLiteral("Trait 0,0,50,50\r\n"));
  Clavier(Qt::Key_F4);
  VueDessin& vue = F().Vue();
  const OutputSurface& s = vue.Surface();
  // Window managers keep Alt+left press for themselves; these two reach the view.
  const QPoint marque = Pixel(s, 40, 30).toPoint();
  for (const auto& [bouton, mods] : {std::pair{Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier},
                                     std::pair{Qt::MiddleButton, Qt::KeyboardModifiers(Qt::AltModifier)}}) {
    Souris.MarqueX = Souris.MarqueY = 0;
    QTest::mouseClick(&vue, bouton, mods, marque);
    EXPECT_NEAR(Souris.MarqueX, 40, 0.5) << bouton;
    EXPECT_NEAR(Souris.MarqueY, 30, 0.5) << bouton;
    // Moving with Alt held measures from the mark.
    QTest::mouseEvent(QTest::MouseMove, &vue, Qt::NoButton, Qt::AltModifier, marque + QPoint(0, -38));
    const QStringList paire = F().Text2()->text().split(QStringLiteral("  "));
    ASSERT_EQ(paire.size(), 2);
    EXPECT_NEAR(paire[0].toDouble(), 0, 0.05);
    EXPECT_NEAR(paire[1].toDouble(), 38 * 25.4 / 96.0, 0.3);
  }
  // The status box of the coordinates says how.
  EXPECT_TRUE(F().Text2()->toolTip().contains(QStringLiteral("Ctrl + Alt")));
}

TEST_F(MouseWindowTest, KeysTypedAfterAMouseActionOnTheDrawingGoIntoTheEditor) {
  Demarre();
  Ed().ChargeTexte(QStringLiteral("%A = 1\r\nCercle = 50, 50, 20"));
  Clavier(Qt::Key_F4);
  VueDessin& vue = F().Vue();
  const QPoint point = Pixel(vue.Surface(), RunShell.RefCurX + 30, RunShell.RefCurY + 20).toPoint();
  EditeurTexte& m = Ed().Modele();
  const auto finDeLigne = [&m](int ligne) {
    m.SetSelStart(m.DebutLigne(ligne) + m.LongueurLigne(m.DebutLigne(ligne)));
  };

  // A double-click that inserts the point, then typing.
  F().Action(QStringLiteral("Mnu_DblClick"))->setChecked(true);
  finDeLigne(1);
  QTest::mouseMove(&vue, point);
  QTest::mouseDClick(&vue, Qt::LeftButton, Qt::NoModifier, point);
  Frappe(QStringLiteral("xyz"));
  const QString ligne = m.Text().mid(m.DebutLigne(1));
  EXPECT_TRUE(ligne.startsWith(QStringLiteral("Cercle = 50, 50, 20, "))) << ligne.toStdString();
  EXPECT_TRUE(ligne.endsWith(QStringLiteral("xyz"))) << ligne.toStdString();
  EXPECT_GT(ligne.size(), QStringLiteral("Cercle = 50, 50, 20, xyz").size());

  // A plain click, and the end of a measurement from the mark: the keys go on at the caret, and
  // F4 still runs.
  F().Action(QStringLiteral("Mnu_DblClick"))->setChecked(false);
  Ed().ChargeTexte(QStringLiteral("%A = 1\r\n"));
  finDeLigne(0);
  QTest::mouseClick(&vue, Qt::LeftButton, Qt::NoModifier, point);
  Frappe(QStringLiteral("2"));
  QTest::mouseClick(&vue, Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier, point);
  QTest::mouseEvent(QTest::MouseMove, &vue, Qt::NoButton, Qt::AltModifier, point + QPoint(10, 10));
  Frappe(QStringLiteral("3"));
  EXPECT_EQ(m.Text(), QStringLiteral("%A = 123\r\n"));
  Clavier(Qt::Key_F4);
  EXPECT_EQ(VarNiveau1(QStringLiteral("%A")), QStringLiteral("123"));
  EXPECT_TRUE(prompter_.Messages().empty());
}

TEST_F(MouseWindowTest, TheBoxesShowAPointUnderALocaleWithItsOwnSeparator) {
  // The Arabic decimal separator is neither "." nor ",".
  const LocaleNommee arabe("ar_EG.UTF-8");
  if (!arabe.Active()) GTEST_SKIP() << "the ar_EG.UTF-8 locale is not installed";
  Demarre();
  Tape(QStringLiteral("Trait 0,0,50,50\r\n"));
  Clavier(Qt::Key_F4);
  VueDessin& vue = F().Vue();
  QTest::mouseMove(&vue, QPoint(203, 117));
  QApplication::processEvents();
  const QString nombre = QStringLiteral("-?[0-9]+\\.[0-9]");
  EXPECT_TRUE(
      QRegularExpression(QStringLiteral("^%1  %1$").arg(nombre)).match(F().Text2()->text()).hasMatch())
      << F().Text2()->text().toStdString();
  EXPECT_TRUE(
      QRegularExpression(QStringLiteral("^T %1°  %1$").arg(nombre)).match(F().Text3()->text()).hasMatch())
      << F().Text3()->text().toStdString();
  // The short form of the angle box's double-click too.
  QTest::mouseDClick(F().Text3(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
  EXPECT_TRUE(F().Text3()->text().startsWith(QStringLiteral("A ")));
  EXPECT_FALSE(F().Text3()->text().contains(QChar(0x066B))) << F().Text3()->text().toStdString();
}
