// Dashed arcs, the cross marker, the law of cosines and the rotation helpers.

#include <gtest/gtest.h>

#include <cmath>

#include "DrawingFixture.h"
#include "drawing/Arcs.h"
#include "drawing/Cross.h"
#include "drawing/DrawState.h"
#include "drawing/Rotation.h"
#include "drawing/Segments.h"
#include "platform/Events.h"
#include "platform/RunError.h"

namespace {

class ArcCrossRotationTest : public DrawingTest {
 protected:
  void Tirets(float l1, float l2, float l3) {
    Plume.TiretL1 = l1;
    Plume.TiretL2 = l2;
    Plume.TiretL3 = l3;
    Plume.ResteTiret = 0;
    Plume.PhaseTiret = 0;
    Plume.FinTiretX = Plume.FinTiretY = SansFinTiret;
  }
};

TEST_F(ArcCrossRotationTest, DashedCircleCutsPiecesAlongTheArc) {
  PrepareSurface();
  Tirets(2, 2, 2);
  TraceArc(50, 50, 10, 255, 0, 6.283185, 1, 10, 10, 1);
  auto c = Cercles();
  // Pieces of 0.2 radian: dashes at 0, 0.4, ... 6.0, the last gap runs past the end.
  ASSERT_EQ(c.size(), 16u);
  EXPECT_POINT(c[0].Points[0], Px(50, 50));
  EXPECT_NEAR(c[0].Debut, 0.0, 1e-6);
  EXPECT_NEAR(c[0].Fin, 0.2, 1e-6);
  EXPECT_NEAR(c[15].Debut, 6.0, 1e-5);
  EXPECT_NEAR(c[15].Fin, 6.2, 1e-5);
  EXPECT_EQ(c[0].Couleur, 255u);
  EXPECT_NEAR(c[0].Rx, 10 * PxParMm, 1e-3);
  EXPECT_EQ(Plume.PhaseTiret, 3);
  EXPECT_NEAR(Plume.ResteTiret, 2 - 0.0831853 * 10, 1e-3);
  EXPECT_NEAR(Plume.FinTiretX, 60, 1e-4);
  EXPECT_NEAR(Plume.FinTiretY, 50, 1e-4);

  // A start equal to the end draws the whole figure, dashed the same way.
  Session().Enregistrement().Efface();
  Tirets(2, 2, 2);
  TraceArc(50, 50, 10, 255, 1, 1, 1, 10, 10, 1);
  EXPECT_EQ(Cercles().size(), 16u);

  // Start 0.5, end 0.2 anticlockwise: round through a whole turn to 0.2 + 6.283185.
  Session().Enregistrement().Efface();
  Tirets(100, 1, 100);
  TraceArc(0, 0, 1, 0, 0.5, 0.2, 1, 1, 1, 1);
  c = Cercles();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_NEAR(c[0].Debut, 0.5, 1e-6);
  EXPECT_NEAR(c[0].Fin, 0.2, 1e-5);

  // Clockwise: the surface is still given the anticlockwise ends.
  Session().Enregistrement().Efface();
  Tirets(100, 1, 100);
  TraceArc(0, 0, 1, 0, 1.0, 0.5, 1, 1, 1, -1);
  c = Cercles();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_NEAR(c[0].Debut, 1.0, 1e-6);
  EXPECT_NEAR(c[0].Fin, 0.5, 1e-6);
}

TEST_F(ArcCrossRotationTest, NegativeStartDrawsTheRadiusAndArcsContinueLines) {
  PrepareSurface();
  Tirets(100, 1, 100);
  TraceArc(20, 20, 10, 0, -1.0, 2.0, 1, 10, 10, 1);
  const auto& p = Primitives();
  ASSERT_EQ(p.size(), 2u);
  ASSERT_EQ(p[0].Type, Primitive::Genre::Ligne) << "the radius line comes first";
  EXPECT_POINT(p[0].Points[0], Px(20, 20));
  EXPECT_POINT(p[0].Points[1], Px(20 + 10 * std::cos(1.0), 20 + 10 * std::sin(1.0)));
  ASSERT_EQ(p[1].Type, Primitive::Genre::Cercle);
  EXPECT_NEAR(p[1].Debut, 1.0, 1e-6);
  EXPECT_NEAR(p[1].Fin, 2.0, 1e-6);

  // A dashed line ending where the arc starts: the arc owes the rest of the line's dash.
  Session().Enregistrement().Efface();
  Tirets(3, 1, 3);
  TraceSegment(0, 0, 10, 0, 0, 0);  // dashes 0-3, 4-7, 8-10 with 1 still owed
  EXPECT_FLOAT_EQ(Plume.ResteTiret, 1.0f);
  TraceArc(0, 0, 10, 0, 0, 3.14159265, 1, 10, 10, 1);
  const auto c = Cercles();
  ASSERT_FALSE(c.empty());
  EXPECT_NEAR(c[0].Debut, 0.0, 1e-6);
  EXPECT_NEAR(c[0].Fin, 0.1, 1e-6);
  ASSERT_GE(c.size(), 2u);
  EXPECT_NEAR(c[1].Debut, 0.2, 1e-6) << "then the gap, then the second dash";
  EXPECT_NEAR(c[1].Fin, 0.5, 1e-6);
}

TEST_F(ArcCrossRotationTest, ArcFaultsAreBoundedOrReported) {
  PrepareSurface();
  Tirets(1e-7f, 1e-7f, 1e-7f);
  TraceArc(50, 50, 10, 0, 0, 6.283185, 1, 10, 10, 1);
  EXPECT_EQ(Cercles().size(), 1u) << "a pattern far below a pixel is drawn as one piece";
  EXPECT_LT(Plume.PhaseTiret, 4);

  Tirets(2, 2, 2);
  EXPECT_THROW(TraceArc(50, 50, 0, 0, 0, 1, 1, 0, 0, 1), ErreurExecution);

  // A stop request ends a long dashed arc after at most one batch of pieces.
  Session().Enregistrement().Efface();
  Tirets(0.1f, 0.1f, 0.1f);
  Arret = true;
  EXPECT_THROW(TraceArc(50, 50, 100, 0, 0, 6.283185, 1, 100, 100, 1), ErreurExecution);
  Arret = false;
  EXPECT_EQ(Cercles().size(), static_cast<size_t>(MorceauxEntreArrets / 2));

  // Colour "N": nothing drawn, the pattern still moves on.
  Session().Enregistrement().Efface();
  Tirets(2, 2, 2);
  TraceArc(50, 50, 10, -1, 0, 0.9, 1, 10, 10, 1);
  EXPECT_TRUE(Primitives().empty());
  EXPECT_EQ(Plume.PhaseTiret, 0);
  EXPECT_NEAR(Plume.ResteTiret, 1, 1e-4);

  EXPECT_FLOAT_EQ(Angle2Pi(-1), 6.283185f - 1);
  EXPECT_FLOAT_EQ(Angle2Pi(6.283185), 6.283185f);
  const float loin = Angle2Pi(1e12);
  EXPECT_GE(loin, 0);
  EXPECT_LE(loin, 6.283185f);
}

TEST_F(ArcCrossRotationTest, CrossAndLawOfCosines) {
  PrepareSurface();
  TraceCroix(10, 10, 2, 0, 0, 1);
  auto l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_POINT(l[0].Points[0], Px(8, 10));
  EXPECT_POINT(l[0].Points[1], Px(12, 10));
  EXPECT_POINT(l[1].Points[0], Px(10, 8));
  EXPECT_POINT(l[1].Points[1], Px(10, 12));

  Session().Enregistrement().Efface();
  TraceCroix(10, 10, 2, 0, 0, 2);
  l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_POINT(l[1].Points[0], Px(10, 9));
  EXPECT_POINT(l[1].Points[1], Px(10, 11));

  // Turned clockwise by the angle about its own centre.
  Session().Enregistrement().Efface();
  const double a = 3.14159265 / 2;
  TraceCroix(10, 10, 2, a, 0, 1);
  l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_POINT(l[0].Points[0], Px(10, 8));
  EXPECT_POINT(l[0].Points[1], Px(10, 12));
  EXPECT_POINT(l[1].Points[0], Px(8, 10));
  EXPECT_POINT(l[1].Points[1], Px(12, 10));
  EXPECT_THROW(TraceCroix(10, 10, 2, 0, 0, 0), ErreurExecution);

  EXPECT_NEAR(DistanceCosinus(3, 4, 0), 5.0f, 1e-5);
  EXPECT_NEAR(DistanceCosinus(3, 4, -90), 1.0f, 1e-5);
  EXPECT_FLOAT_EQ(DistanceCosinus(2, 2, -90), 0.0f) << "rounding never gives a root of a negative";
}

TEST_F(ArcCrossRotationTest, RotationOfPointsVerticesAndTheCurrentPoint) {
  PrepareSurface();
  double x = 10, y = 0;
  RotationXY(QStringLiteral("0§90"), x, y);
  EXPECT_NEAR(x, 0, 1e-5);
  EXPECT_NEAR(y, 10, 1e-5);
  EXPECT_TRUE(Rotation.AngRotDonne);
  EXPECT_FLOAT_EQ(Rotation.AngRotDeg, -90);

  Rotation.AngRotDefaut = -30;
  x = 10;
  y = 0;
  RotationXY(QStringLiteral("5"), x, y);
  EXPECT_NEAR(x, 10 * std::cos(3.14159265 / 6), 1e-4);
  EXPECT_NEAR(y, 10 * std::sin(3.14159265 / 6), 1e-4);
  EXPECT_FALSE(Rotation.AngRotDonne);
  Rotation.AngRotDefaut = 0;

  x = 1.1;
  y = 2.3;
  RotationXY(QStringLiteral("2.3"), x, y);
  EXPECT_EQ(x, 1.1) << "angle 0 leaves the point bit for bit";
  EXPECT_EQ(y, 2.3);

  double xa = 0, ya = 0, xb = 0, yb = 0;
  TournePoint(3, 4, xa, ya, 1, 1, 0.5);
  TournePoint(xa, ya, xb, yb, 1, 1, -0.5);
  EXPECT_NEAR(xb, 3, 1e-9);
  EXPECT_NEAR(yb, 4, 1e-9);
  TournePoint(2, 1, xa, ya, 1, 1, 3.14159265358979 / 2);
  EXPECT_NEAR(xa, 1, 1e-9) << "clockwise";
  EXPECT_NEAR(ya, 0, 1e-9);

  Sommets.PtsPoly.assign(3, {});
  Sommets.PtsPolygone.assign(3, {});
  PointPoly(1, 1.25, -3.5, 7, 7, 0, 0);
  EXPECT_EQ(Sommets.PtsPoly[1].x, 1.25f);
  EXPECT_EQ(Sommets.PtsPoly[1].y, -3.5f);
  Rotation.AngRotRad = static_cast<float>(-90 * 0.017453293);
  PointPolyR(2, 10, 0, 0, 0, 0, 1);
  EXPECT_NEAR(Sommets.PtsPoly[2].x, 0, 1e-5);
  EXPECT_NEAR(Sommets.PtsPoly[2].y, 10, 1e-5);
  EXPECT_EQ(Sommets.PtsPolygone[2], QPoint(0, static_cast<int>(std::nearbyint(HauteurImage - 10 * PxParMm))));
  EXPECT_THROW(PointPoly(3, 0, 0, 0, 0, 0, 0), ErreurExecution);

  Repere.XCourant = 12;
  Repere.YCourant = 5;
  Repere.CTx = 2;
  RotationCourant(90);
  EXPECT_NEAR(Repere.XRot, -5, 1e-5);
  EXPECT_NEAR(Repere.YRot, 10, 1e-5);
  Repere.CTx = 0;
}

}  // namespace
