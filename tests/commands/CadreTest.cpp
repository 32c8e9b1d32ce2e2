// The Cadre statements run as programs: square, round, chamfered and hollowed corners, centring,
// both turns, plain fills and gradient bands.

#include <gtest/gtest.h>

#include <algorithm>

#include "CommandsFixture.h"
#include "commands/Commands.h"
#include "drawing/DrawState.h"
#include "platform/Events.h"
#include "platform/Host.h"
#include "platform/RunError.h"
#include "values/Levels.h"

namespace {

class CadreTest : public CommandsTest {};

constexpr uint32_t Rouge = 255, Bleu = 16711680;

TEST_F(CadreTest, OutlinesWithTheirCorners) {
  Run(QStringLiteral("Cadre = 10, 10, 50, 30, rouge"));
  EXPECT_TRUE(Messages().empty());
  auto l = Lignes();
  ASSERT_EQ(l.size(), 12u);
  EXPECT_POINT(l[0].Points[0], Px(10, 10));
  EXPECT_POINT(l[0].Points[1], Px(10, 20));
  EXPECT_POINT(l[1].Points[1], Px(10, 30));
  // Each corner point twice.
  EXPECT_POINT(l[2].Points[1], Px(10, 30));
  EXPECT_POINT(l[11].Points[0], Px(10, 10));
  EXPECT_POINT(l[11].Points[1], Px(10, 10));
  EXPECT_EQ(l[0].Couleur, Rouge);
  EXPECT_FLOAT_EQ(Repere.XCourant, 30);
  EXPECT_FLOAT_EQ(Repere.YCourant, 20);
  EXPECT_FLOAT_EQ(Repere.XRot, 30);

  // An empty second x collapses the frame onto a line.
  Run(QStringLiteral("Cadre = 10, 10, , 30"));
  for (const Primitive& p : Lignes()) {
    EXPECT_NEAR(p.Points[0].x(), Px(10, 0).x(), 0.01);
    EXPECT_NEAR(p.Points[1].x(), Px(10, 0).x(), 0.01);
  }

  // Round corners: the radius is cut to half the height, 20 to 247 points per corner.
  Run(QStringLiteral("CadreA = 0, 0, 40, 20, 15"));
  l = Lignes();
  ASSERT_EQ(l.size(), 4u * 20 + 12);
  EXPECT_POINT(l[0].Points[0], Px(0, 10));
  // Vertex 3 is (xL, yT - r) with r = 10.
  EXPECT_POINT(l[1].Points[1], Px(0, 10));
  Run(QStringLiteral("CadreA = 0, 0, 40, 20, 0.1"));
  EXPECT_EQ(Lignes().size(), 4u * 20 + 12);
  Run(QStringLiteral("CadreA = 0, 0, 400, 400, 158"));
  EXPECT_EQ(Lignes().size(), 4u * 247 + 12);
  Run(QStringLiteral("CadreA = 0, 0, 400, 400, 190"));
  EXPECT_EQ(Lignes().size(), 4u * 247 + 12);

  // Hollowed corners: no side midpoints.
  Run(QStringLiteral("CadreA = 0, 0, 40, 20, -5"));
  l = Lignes();
  ASSERT_EQ(l.size(), 4u * 20 + 8);
  EXPECT_POINT(l[0].Points[0], Px(0, 5));
  EXPECT_POINT(l[0].Points[1], Px(0, 15));
  // The quarter arc about the corner (0, 20).
  EXPECT_POINT(l[21].Points[1], Px(5, 20));

  // Chamfered corners.
  Run(QStringLiteral("CadreA = 0, 0, 40, 20, 5§D"));
  l = Lignes();
  ASSERT_EQ(l.size(), 12u);
  EXPECT_POINT(l[2].Points[0], Px(0, 15));
  EXPECT_POINT(l[2].Points[1], Px(5, 20));
  EXPECT_POINT(l[11].Points[0], Px(5, 0));
  EXPECT_POINT(l[11].Points[1], Px(0, 5));

  // A negative radius with a second colour and no gradient: the round list built is the one drawn.
  Run(QStringLiteral("CadreA = 0, 0, 40, 20, -5, rouge§bleu"));
  EXPECT_EQ(Lignes().size(), 4u * 20 + 12);
  EXPECT_EQ(Lignes()[0].Couleur, Rouge);
}

TEST_F(CadreTest, CentringAndTurns) {
  Run(QStringLiteral("Cadre = 50§C, 50, 40R, 20R"));
  auto l = Lignes();
  ASSERT_EQ(l.size(), 12u);
  EXPECT_POINT(l[0].Points[0], Px(30, 40));
  EXPECT_POINT(l[5].Points[1], Px(70, 60));
  EXPECT_FLOAT_EQ(Repere.XCourant, 50);
  EXPECT_FLOAT_EQ(Repere.YCourant, 50);

  // Its own angle about its first corner, about the centre by default.
  Run(QStringLiteral("Cadre = 0, 0, 20, 10, , , 90§1"));
  l = Lignes();
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l[0].Points[1], Px(-5, 0));
  EXPECT_FLOAT_EQ(Repere.XCourant, 0);
  Run(QStringLiteral("Cadre = 0, 0, 20, 10, , , 90§2"));
  EXPECT_POINT(Lignes()[0].Points[0], Px(30, -10));
  Run(QStringLiteral("Cadre = 0, 0, 20, 10, , , 90"));
  EXPECT_POINT(Lignes()[0].Points[0], Px(15, -5));
  EXPECT_FLOAT_EQ(Repere.XCourant, 10);

  // The command's angle turns everything about 0,0, the current point included.
  Run(QStringLiteral("Cadre = 0, 0§90, 20, 10"));
  l = Lignes();
  EXPECT_POINT(l[0].Points[1], Px(-5, 0));
  EXPECT_NEAR(Repere.XCourant, -5, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 10, 1e-4);
  EXPECT_FLOAT_EQ(Repere.XRot, 10) << "the unturned centre";
  EXPECT_FLOAT_EQ(Repere.YRot, 5);
}

TEST_F(CadreTest, FillsAndGradientBands) {
  Run(QStringLiteral("CadreP = 10, 10, 50, 30, bleu"));
  auto p = Polygones();
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].Points.size(), 12);
  EXPECT_EQ(*p[0].Remplissage, Bleu);
  EXPECT_POINT(p[0].Points[0], PxEntier(10, 10));
  EXPECT_TRUE(Lignes().empty());
  EXPECT_EQ(Sortie->FillStyle, 1);

  Run(QStringLiteral("CadreP = 0, 0, 100, 50, ROUGE§BLEU"));
  p = Polygones();
  ASSERT_EQ(p.size(), 256u);
  EXPECT_EQ(*p[0].Remplissage, Rouge);
  EXPECT_EQ(*p[1].Remplissage, 254u + 65536u);
  EXPECT_EQ(*p[255].Remplissage, 1u + 254u * 65536u);
  EXPECT_EQ(p[0].Points.size(), 4);
  EXPECT_POINT(p[0].Points[0], PxEntier(0, 0));
  EXPECT_POINT(p[255].Points[1], PxEntier(0, 50));
  EXPECT_POINT(p[255].Points[2], PxEntier(100, 50));
  EXPECT_FLOAT_EQ(Repere.XCourant, 50);

  // The corners are ordered first: the first colour is always at the lower edge.
  Run(QStringLiteral("CadreP = 100, 50, 0, 0, ROUGE§BLEU"));
  EXPECT_POINT(Polygones()[0].Points[0], PxEntier(0, 0));
  EXPECT_EQ(*Polygones()[0].Remplissage, Rouge);

  // Black or N as second colour: a plain fill; an outline ignores the second colour.
  Run(QStringLiteral("CadreP = 0, 0, 100, 50, ROUGE§NOIR"));
  ASSERT_EQ(Polygones().size(), 1u);
  Run(QStringLiteral("CadreP = 0, 0, 100, 50, ROUGE§N"));
  ASSERT_EQ(Polygones().size(), 1u);
  EXPECT_EQ(*Polygones()[0].Remplissage, Rouge);
  Run(QStringLiteral("Cadre = 0, 0, 100, 50, ROUGE§BLEU"));
  EXPECT_TRUE(Polygones().empty());
  EXPECT_EQ(Lignes().size(), 12u);
  Run(QStringLiteral("CadreP = 0, 0, 100, 50, N"));
  EXPECT_TRUE(RienDessine());
  EXPECT_FLOAT_EQ(Repere.XCourant, 50);

  // Round corners in thin slices; every piece stays inside the frame.
  Run(QStringLiteral("CadreAP = 0, 0, 100, 50, 10, ROUGE§BLEU"));
  p = Polygones();
  EXPECT_GT(p.size(), 256u);
  EXPECT_EQ(*p[0].Remplissage, Rouge);
  double hautMin = 1e9, basMax = -1e9, gauche = 1e9, droite = -1e9;
  for (const Primitive& q : p)
    for (const QPointF& v : q.Points) {
      hautMin = std::min(hautMin, v.y());
      basMax = std::max(basMax, v.y());
      gauche = std::min(gauche, v.x());
      droite = std::max(droite, v.x());
    }
  EXPECT_EQ(hautMin, PxEntier(0, 50).y());
  EXPECT_EQ(basMax, PxEntier(0, 0).y());
  EXPECT_EQ(gauche, PxEntier(0, 0).x());
  EXPECT_EQ(droite, PxEntier(100, 0).x());

  // Bands taller than the corner's diameter: the lower arc ends at its quarter point and the
  // middle zone finishes its band, so the sweep always ends.
  Run(QStringLiteral("CadreAP = 0, 0, 100, 50, 1, RGB 10 0 0§RGB 11 0 0"));
  p = Polygones();
  ASSERT_EQ(p.size(), 6u);
  EXPECT_POINT(p[1].Points[1], PxEntier(0, 1));
  EXPECT_POINT(p[2].Points[0], PxEntier(0, 1));
  EXPECT_POINT(p[2].Points[1], PxEntier(0, 25));
  EXPECT_EQ(*p[5].Remplissage, 11u);
  EXPECT_TRUE(Messages().empty());

  // Chamfered corners and a turned gradient.
  Run(QStringLiteral("CadreAP = 0, 0, 100, 50, 10§D, ROUGE§BLEU, , 90"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_GE(Polygones().size(), 256u);
  EXPECT_POINT(Polygones()[0].Points[0], PxEntier(75, -15));

  // Zoomed in a thousand times, the round corners are followed more finely and the sweep ends.
  Shell.ZoomCourant = 1000;
  Run(QStringLiteral("CadreAP = 0, 0, 100, 50, 10, ROUGE§BLEU"));
  Shell.ZoomCourant = 1;
  EXPECT_TRUE(Messages().empty());
  EXPECT_GT(Polygones().size(), 2 * 256u);

  // Bands too thin to move a height on by one addition, in every zone: the sweep still ends
  // after about as many pieces as there are bands.
  for (const char* cadre : {"CadreP = 0, 1000, 10, 0.0000000000001R, rouge§bleu",
                            "CadreP = 0, 500000000, 10, 0.00000025R, rouge§bleu",
                            "CadreAP = 0, 1000000, 10, 0.000000001R, 0.0000000001, rouge§bleu",
                            "CadreAP = 0, 1000000, 10, 0.000000001R, 0.0000000001§D, rouge§bleu"}) {
    Run(QString::fromUtf8(cadre));
    EXPECT_TRUE(Messages().empty()) << cadre;
    EXPECT_LE(Polygones().size(), 3 * 256u + 6000u) << cadre;
  }
}

TEST_F(CadreTest, EscEndsALongGradient) {
  // Zoomed in far enough, the round corners take thousands of pieces: the stop flag is tested
  // as they go.
  Shell.ZoomCourant = 100000;
  PrepareSurface();
  Shell.ZoomCourant = 1;
  Niveau(1).MotCle = QStringLiteral("CADREAP");
  Lecture.ParamLigne = QStringLiteral("0, 0, 100, 50, 10, ROUGE§BLEU");
  Arret = true;
  EXPECT_THROW(TraceCadre(1), ErreurExecution);
  Arret = false;
}

}  // namespace
