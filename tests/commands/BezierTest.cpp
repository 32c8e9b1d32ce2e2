// The Bezier statements run as programs: plain curves and their construction marks, continued
// curves, fills, the command's transform, and the graduations laid along a curve by angle.

#include <gtest/gtest.h>

#include <cmath>

#include "CommandsFixture.h"
#include "drawing/DrawState.h"

namespace {

class BezierTest : public CommandsTest {
 protected:
  // A device point back in drawing units.
  static QPointF Mm(const QPointF& p) { return {p.x() / PxParMm, (HauteurImage - p.y()) / PxParMm}; }
  static double AngleDeg(const QPointF& mm) { return std::atan2(mm.y(), mm.x()) / 0.017453293; }
  static QPointF Cubique(double t, QPointF p0, QPointF p1, QPointF p2, QPointF p3) {
    const double u = 1 - t;
    return u * u * u * p0 + 3 * u * u * t * p1 + 3 * t * t * u * p2 + t * t * t * p3;
  }
};

constexpr uint32_t Rouge = 255, Vert = 65280, Bleu = 16711680;

TEST_F(BezierTest, CurvesAndConstructionMarks) {
  // Without direction vectors: a straight line of one segment per unit of its length.
  Run(QStringLiteral("Bezier = , , rouge, 0, 0, , , 100, 0"));
  EXPECT_TRUE(Messages().empty());
  auto l = Lignes();
  ASSERT_EQ(l.size(), 100u);
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  // The ends carry no vectors: the samples crowd towards both ends (x = 3t^2 - 2t^3 of the length).
  EXPECT_POINT(l[0].Points[1], Px(100 * (3e-4 - 2e-6), 0));
  EXPECT_POINT(l[49].Points[1], Px(50, 0));
  EXPECT_POINT(l[99].Points[1], Px(100, 0));
  EXPECT_EQ(l[0].Couleur, Rouge);
  EXPECT_TRUE(Cercles().empty());
  EXPECT_NEAR(Repere.XCourant, 100, 1e-3);
  EXPECT_NEAR(Repere.XRot, 100, 1e-3);

  // A construction colour marks both ends with circles; no vectors, no construction segments.
  Run(QStringLiteral("Bezier = bleu, , rouge, 0, 0, , , 100, 0"));
  EXPECT_EQ(Lignes().size(), 100u);
  auto c = Cercles();
  ASSERT_EQ(c.size(), 2u);
  EXPECT_POINT(c[0].Points[0], Px(0, 0));
  EXPECT_POINT(c[1].Points[0], Px(100, 0));
  EXPECT_EQ(c[0].Couleur, Bleu);
  // The pen plus half a pixel.
  EXPECT_NEAR(c[0].Rx, 1.5, 1e-6);

  // Only the three first fields: 50 zero-length segments at the current point.
  Run(QStringLiteral("Bezier = , , rouge"));
  l = Lignes();
  ASSERT_EQ(l.size(), 50u);
  for (const Primitive& p : l) {
    EXPECT_POINT(p.Points[0], Px(0, 0));
    EXPECT_POINT(p.Points[1], Px(0, 0));
  }

  // Direction vectors: the vectors in the construction colour, then the curve.
  Run(QStringLiteral("Bezier = vert, , noir, 0, 0, 0, 30, 100, 0, 100, 30"));
  l = Lignes();
  ASSERT_EQ(l.size(), 104u + 2);
  EXPECT_POINT(l[51].Points[1], Px(50, 22.5));
  EXPECT_EQ(l[51].Couleur, 0u);
  EXPECT_POINT(l[104].Points[0], Px(0, 0));
  EXPECT_POINT(l[104].Points[1], Px(0, 30));
  EXPECT_POINT(l[105].Points[0], Px(100, 0));
  EXPECT_POINT(l[105].Points[1], Px(100, 30));
  EXPECT_EQ(l[105].Couleur, Vert);
  EXPECT_EQ(Cercles().size(), 2u);

  // The colour "N" draws nothing and still moves the current point.
  Run(QStringLiteral("Bezier = , , N, 10, 20, , , 100, 0"));
  EXPECT_TRUE(RienDessine());
  EXPECT_NEAR(Repere.XCourant, 100, 1e-3);
  EXPECT_NEAR(Repere.YCourant, 0, 1e-3);

  // Relative start: from the current point of the previous command.
  Run(QStringList{QStringLiteral("Trait = 0, 0, 30, 40"),
                  QStringLiteral("Bezier = , , , 10R, 0R, , , 100, 0")});
  l = Lignes();
  EXPECT_POINT(l[1].Points[0], Px(40, 40));
}

TEST_F(BezierTest, TransformOfTheCommand) {
  // Scale x by 2: the line ends at 100; scale factors of 0 count as 1.
  Run(QStringLiteral("Bezier = , , ROUGE§2§1, 0, 0, , , 50, 0"));
  auto l = Lignes();
  ASSERT_EQ(l.size(), 100u);
  EXPECT_POINT(l.back().Points[1], Px(100, 0));
  EXPECT_EQ(l[0].Couleur, Rouge);
  Run(QStringLiteral("Bezier = , , rouge§0§0, 0, 0, , , 50, 0"));
  EXPECT_POINT(Lignes().back().Points[1], Px(50, 0));

  // The offset comes before the scale: (50 + 10) x 2.
  Run(QStringLiteral("Bezier = , , rouge§2§1§10§5, 0, 0, , , 50, 0"));
  l = Lignes();
  EXPECT_POINT(l[0].Points[0], Px(20, 5));
  EXPECT_POINT(l.back().Points[1], Px(120, 5));

  // The command's angle turns the curve anticlockwise about 0,0; XRot, YRot turn it back.
  Run(QStringLiteral("Bezier = , , rouge§§§§§90, 0, 0, , , 100, 0"));
  l = Lignes();
  EXPECT_POINT(l.back().Points[1], Px(0, 100));
  EXPECT_NEAR(Repere.XCourant, 0, 1e-3);
  EXPECT_NEAR(Repere.YCourant, 100, 1e-3);
  EXPECT_NEAR(Repere.XRot, 100, 1e-3);
  EXPECT_NEAR(Repere.YRot, 0, 1e-3);
  EXPECT_FALSE(Rotation.AngRotDonne);

  // The command's line style holds for the command only.
  Run(QStringList{QStringLiteral("Bezier = , 3, rouge, 0, 0, , , 100, 0"),
                  QStringLiteral("Trait = 0, 10, 10, 10")});
  l = Lignes();
  EXPECT_EQ(l[0].Epaisseur, 3);
  EXPECT_EQ(l.back().Epaisseur, 1);
}

TEST_F(BezierTest, ContinuedCurves) {
  // The second group gives only its end: it starts at the previous end, leaves it along the
  // previous end vector turned by a half turn, and repeats that end vector.
  Run(QStringLiteral("Bezier = , , , 0, 0, , , 50, 0, 200°, 7, , , , , 100, 0"));
  EXPECT_TRUE(Messages().empty());
  const double c200 = std::cos(200 * 0.017453293), s200 = std::sin(200 * 0.017453293);
  const double c20 = std::cos(20 * 0.017453293), s20 = std::sin(20 * 0.017453293);
  const QPointF a(50, 0), a1(50 + 7 * c20, 7 * s20), b(100, 0), b1(100 + 7 * c200, 7 * s200);
  auto l = Lignes();
  // First curve: |B' - A| = 50 - 7 cos 20 ... below 50, so 50 segments; the second likewise.
  ASSERT_EQ(l.size(), 100u);
  EXPECT_POINT(l[50].Points[0], Px(50, 0));
  const QPointF p = Cubique(0.02f, a, a1, b1, b);
  EXPECT_POINT(l[50].Points[1], Px(p.x(), p.y()));
  const QPointF q = Cubique(static_cast<float>(0.02f * 25), a, a1, b1, b);
  EXPECT_NEAR(Mm(l[74].Points[1]).x(), q.x(), 0.01);
  EXPECT_NEAR(Mm(l[74].Points[1]).y(), q.y(), 0.01);
  EXPECT_POINT(l.back().Points[1], Px(100, 0));
  EXPECT_NEAR(Repere.XCourant, 100, 1e-3);

  // An explicit start of the second group, relative to the previous end.
  Run(QStringLiteral("Bezier = , , , 0, 0, , , 60, 0, , , 10R, 0R, , , 70R, 0R"));
  l = Lignes();
  ASSERT_EQ(l.size(), 60u + 70);
  EXPECT_POINT(l[60].Points[0], Px(70, 0));
  EXPECT_POINT(l.back().Points[1], Px(140, 0));
}

TEST_F(BezierTest, FilledOutlines) {
  Run(QStringLiteral("BezierP = , , rouge, 0, 0, 0, 50, 100, 0, 100, 50"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(Lignes().empty());
  auto p = Polygones();
  ASSERT_EQ(p.size(), 1u);
  // The start point and the 111 samples of the curve.
  ASSERT_EQ(p[0].Points.size(), 112);
  EXPECT_POINT(p[0].Points[0], PxEntier(0, 0));
  EXPECT_POINT(p[0].Points.back(), PxEntier(100, 0));
  EXPECT_EQ(p[0].Couleur, Rouge);
  ASSERT_TRUE(p[0].Remplissage.has_value());
  EXPECT_EQ(*p[0].Remplissage, Rouge);
  EXPECT_EQ(Session().Enregistrement().FillStyle, 1);

  // Two curves make one outline.
  Run(QStringLiteral("BezierP = , , bleu, 0, 0, , , 60, 0, , , , , , , 0, 60, , , , , , , 0, 0"));
  p = Polygones();
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].Points.size(), 1 + 60 + 1 + 84 + 1 + 60);
  EXPECT_POINT(p[0].Points[61], PxEntier(60, 0));
  EXPECT_POINT(p[0].Points[146], PxEntier(0, 60));

  // Graduations only: the outline holds the start points; with Bezier only the marks are drawn.
  Run(QStringLiteral("BezierP = , , rouge§§§§§§§S, 0, 0, , , 60, 0, , , 0, 60"));
  p = Polygones();
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].Points.size(), 2);
  Run(QStringLiteral("Bezier = vert, , rouge§§§§§§§s, 0, 0, 0, 30, 60, 0"));
  EXPECT_EQ(Lignes().size(), 1u);
  EXPECT_EQ(Cercles().size(), 2u);

  // A fill in the colour "N" draws nothing.
  Run(QStringLiteral("BezierP = , , N, 0, 0, 0, 50, 100, 0, 100, 50"));
  EXPECT_TRUE(RienDessine());

  // More than 10001 vertices: a run error, nothing filled.
  Run(QStringLiteral("BezierP = , , rouge, 0, 0, , , 20000, 0"));
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Polygones().empty());
}

TEST_F(BezierTest, HugeCurvesEnd) {
  // A curve a thousand kilometres long is still cut into a bounded number of segments.
  Run(QStringLiteral("Bezier = , , N, 0, 0, , , 1000000000, 0"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_NEAR(Repere.XCourant, 1e9, 1e4);
  // Several such curves on one line share one bound.
  Run(QStringLiteral("Bezier = , , , 0, 0, 1e7, 1e7, 2e7, 0, 3e7, 1e7, , , , , 4e7, 0, , , , , 6e7, 0"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_LE(Lignes().size(), 100100u);
  EXPECT_GE(Lignes().size(), 99900u);
}

TEST_F(BezierTest, GraduationsByAngle) {
  // A quarter from the positive x axis to the y axis, anticlockwise: 11 graduations every 9
  // degrees of angle, ticks of length 0.
  Run(QStringLiteral("Bezier_aGr = , , rouge, 100, 0, 100, 55, 0, 100, 55, 100"));
  EXPECT_TRUE(Messages().empty());
  auto l = Lignes();
  ASSERT_EQ(l.size(), 109u + 11);
  for (int i = 0; i < 11; ++i) {
    const Primitive& t = l[109 + static_cast<size_t>(i)];
    EXPECT_NEAR(AngleDeg(Mm(t.Points[0])), 9.0 * i, 0.1) << i;
    EXPECT_POINT(t.Points[0], t.Points[1]);
  }

  // From 10 to 100 degrees in 9 steps, radial ticks of 5.
  Run(QStringLiteral("Bezier_aGr = bleu, , rouge§§§§§§9§5, 10°, 100, , , -17.364818, 98.480775"));
  EXPECT_TRUE(Messages().empty());
  l = Lignes();
  ASSERT_GE(l.size(), 10u);
  for (int i = 0; i < 10; ++i) {
    const Primitive& t = l[l.size() - 10 + static_cast<size_t>(i)];
    const QPointF g = Mm(t.Points[0]), e = Mm(t.Points[1]);
    EXPECT_NEAR(AngleDeg(g), 10.0 + 10 * i, 0.1) << i;
    EXPECT_NEAR(std::hypot(e.x() - g.x(), e.y() - g.y()), 5, 0.01);
    EXPECT_NEAR(AngleDeg(e - g), 10.0 + 10 * i, 0.1) << i;
  }
  // Circles at the two ends and at the 8 inner graduations.
  EXPECT_EQ(Cercles().size(), 2u + 8);

  // A fixed tick angle, and relative to the graduation.
  Run(QStringLiteral("Bezier_aGr = , , rouge§§§§§§2§5§90, 100, 0, 100, 55, 0, 100, 55, 100"));
  l = Lignes();
  for (size_t i = l.size() - 3; i < l.size(); ++i) {
    EXPECT_NEAR(l[i].Points[0].x(), l[i].Points[1].x(), 1e-6);
    EXPECT_NEAR(Mm(l[i].Points[1]).y() - Mm(l[i].Points[0]).y(), 5, 1e-3);
  }
  Run(QStringLiteral("Bezier_aGr = , , rouge§§§§§§2§5§90R, 100, 0, 100, 55, 0, 100, 55, 100"));
  l = Lignes();
  const QPointF d = Mm(l.back().Points[1]) - Mm(l.back().Points[0]);
  EXPECT_NEAR(AngleDeg(d), 180, 0.1);

  // Graduations only.
  Run(QStringLiteral("Bezier_aGr = , , rouge§§§§§§§S, 100, 0, 100, 55, 0, 100, 55, 100"));
  EXPECT_EQ(Lignes().size(), 11u);

  // Clockwise across the positive x axis: from -20 to 40 degrees seen backwards.
  Run(QStringLiteral("Bezier_aGr = , , rouge§§§§§§6, 40°, 100, , , 93.969262, -34.202014"));
  EXPECT_TRUE(Messages().empty());
  l = Lignes();
  for (int i = 0; i < 7; ++i)
    EXPECT_NEAR(AngleDeg(Mm(l[l.size() - 7 + static_cast<size_t>(i)].Points[0])), 40.0 - 10 * i, 0.1) << i;

  // Across the negative x axis, anticlockwise from 170 to 190 degrees.
  Run(QStringLiteral("Bezier_aGr = , , rouge§§§§§§4, 170°, 100, , , -98.480775, -17.364818"));
  EXPECT_TRUE(Messages().empty());
  l = Lignes();
  for (int i = 0; i < 5; ++i) {
    double a = AngleDeg(Mm(l[l.size() - 5 + static_cast<size_t>(i)].Points[0]));
    if (a < 0) a += 360;
    EXPECT_NEAR(a, 170.0 + 5 * i, 0.1) << i;
  }
}

TEST_F(BezierTest, GraduationListsAndLabels) {
  // Absolute angles (one lifted by a turn) and percentages; those outside the curve draw nothing.
  Run(QStringList{QStringLiteral("%L = 45°, 135°, -315°, 50, 150"),
                  QStringLiteral("Bezier_aGr = , , rouge§§§§§§%L§5, 5°, 100, , , 0, 100")});
  EXPECT_TRUE(Messages().empty());
  auto l = Lignes();
  ASSERT_GE(l.size(), 3u);
  EXPECT_NEAR(AngleDeg(Mm(l[l.size() - 3].Points[0])), 45, 0.1);
  EXPECT_NEAR(AngleDeg(Mm(l[l.size() - 2].Points[0])), 45, 0.1);
  EXPECT_NEAR(AngleDeg(Mm(l[l.size() - 1].Points[0])), 47.5, 0.1);
  EXPECT_GT(AngleDeg(Mm(l[l.size() - 4].Points[1])), 85);

  // Three labels on 11 graduations repeat in turn.
  Run(QStringList{QStringLiteral("%T = a, b, c"),
                  QStringLiteral("Bezier_aGr = , , rouge§§§§§§§§§%T§5, 100, 0, 100, 55, 0, 100, 55, 100")});
  EXPECT_TRUE(Messages().empty());
  auto t = DuGenre(Primitive::Genre::Texte);
  ASSERT_EQ(t.size(), 11u);
  const char* attendus[] = {"a", "b", "c"};
  for (size_t i = 0; i < t.size(); ++i) EXPECT_EQ(t[i].Texte.trimmed(), QString::fromLatin1(attendus[i % 3]));

  // An empty label sub-field writes no labels.
  Run(QStringLiteral("Bezier_aGr = , , rouge§§§§§§§§§§5, 100, 0, 100, 55, 0, 100, 55, 100"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(DuGenre(Primitive::Genre::Texte).empty());

  // A negative count asks for a list that is not there; a curve through 0,0 has no angle there.
  Run(QStringLiteral("Bezier_aGr = , , rouge§§§§§§-3, 100, 0, , , 0, 100"));
  EXPECT_EQ(Messages().size(), 1u);
  Session().Prompteur().Efface();
  Run(QStringLiteral("Bezier_aGr = , , rouge, 0, 0, , , 0, 100"));
  EXPECT_EQ(Messages().size(), 1u);
}

}  // namespace
