// The Plus, X, Percer and PercerX statements run as programs: arm lengths and ratios, own and
// command angles, colours, line styles and the dashed drill circle.

#include <gtest/gtest.h>

#include <cmath>

#include "CommandsFixture.h"
#include "drawing/DrawState.h"
#include "values/Levels.h"

namespace {

constexpr uint32_t Rouge = 255;
const double D = 5 / std::sqrt(2.0);

class MarksTest : public CommandsTest {
 protected:
  void AttendLigne(size_t i, double x1, double y1, double x2, double y2) {
    const auto l = Lignes();
    ASSERT_LT(i, l.size());
    EXPECT_POINT(l[i].Points[0], Px(x1, y1));
    EXPECT_POINT(l[i].Points[1], Px(x2, y2));
  }
};

TEST_F(MarksTest, PlusSignsAndTheirTurns) {
  for (const char* mot : {"Plus", "+"}) {
    Run(QStringLiteral("%1 = 10, 10, 5").arg(QLatin1String(mot)));
    EXPECT_TRUE(Messages().empty());
    ASSERT_EQ(Lignes().size(), 2u) << mot;
    AttendLigne(0, 5, 10, 15, 10);
    AttendLigne(1, 10, 5, 10, 15);
    EXPECT_FLOAT_EQ(Repere.XCourant, 10);
    EXPECT_FLOAT_EQ(Repere.YCourant, 10);
    EXPECT_EQ(EtatOrdre & OrdreDessin, OrdreDessin);
  }

  Run(QStringLiteral("Plus = 10, 10, 5§2"));
  AttendLigne(0, 5, 10, 15, 10);
  AttendLigne(1, 10, 7.5, 10, 12.5);
  // A blank ratio is 1.
  Run(QStringLiteral("Plus = 10, 10, 5§"));
  AttendLigne(1, 10, 5, 10, 15);

  // 30 degrees about 0,0 and 15 of its own: 45 in all, an X.
  Run(QStringLiteral("+ = 0, 0§30, 5, , , 15"));
  AttendLigne(0, D, D, -D, -D);
  AttendLigne(1, D, -D, -D, D);

  // The point turns about 0,0 with the command's angle, and the sign with it.
  Run(QStringLiteral("Plus = 10, 0§90, 5"));
  AttendLigne(0, 0, 15, 0, 5);
  EXPECT_NEAR(Repere.XCourant, 0, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 10, 1e-4);
  EXPECT_NEAR(Repere.XRot, 10, 1e-4);
  EXPECT_NEAR(Repere.YRot, 0, 1e-4);

  // Colour, this command's pen, "N", size 0, relative points.
  Run(QStringLiteral("Plus = 10, 10, 5, rouge, 3"));
  EXPECT_EQ(Lignes()[0].Couleur, Rouge);
  EXPECT_EQ(Lignes()[1].Epaisseur, 3);
  EXPECT_FLOAT_EQ(Plume.EpaisseurTrait, 1);
  Run(QStringLiteral("Plus = 10, 10, 5, N"));
  EXPECT_TRUE(RienDessine());
  EXPECT_FLOAT_EQ(Repere.XCourant, 10);
  Run(QStringLiteral("Plus = 10, 10, 0\r\nPlus = 5R, 0R, 5\r\nPlus = 20, 20"));
  ASSERT_EQ(Lignes().size(), 2u);
  AttendLigne(0, 10, 10, 20, 10);
  EXPECT_FLOAT_EQ(Repere.XCourant, 20);

  // A ratio of 0 is a run error, not a division by zero.
  Run(QStringLiteral("Plus = 10, 10, 5§0"));
  EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(MarksTest, XSigns) {
  Run(QStringLiteral("X = 0, 0, 5"));
  ASSERT_EQ(Lignes().size(), 2u);
  AttendLigne(0, D, -D, -D, D);
  AttendLigne(1, -D, -D, D, D);
  // A sub-field of the size is ignored; the own angle takes the 45 degrees back.
  Run(QStringLiteral("X = 0, 0, 5§2, , , 45"));
  AttendLigne(0, -5, 0, 5, 0);
  AttendLigne(1, 0, -5, 0, 5);
  Run(QStringLiteral("X = 3, 4, 0, rouge"));
  EXPECT_TRUE(RienDessine());
  EXPECT_FLOAT_EQ(Repere.XCourant, 3);
  EXPECT_FLOAT_EQ(Repere.YCourant, 4);
}

TEST_F(MarksTest, DrillMarks) {
  Run(QStringLiteral("Percer = 0, 0, 10, rouge"));
  ASSERT_EQ(Cercles().size(), 1u);
  const Primitive c = Cercles()[0];
  EXPECT_POINT(c.Points[0], Px(0, 0));
  EXPECT_NEAR(c.Rx, 5 * PxParMm, 1e-6);
  EXPECT_EQ(c.Debut, c.Fin);
  EXPECT_EQ(c.Couleur, Rouge);
  EXPECT_FALSE(c.Remplissage.has_value());
  ASSERT_EQ(Lignes().size(), 2u);
  AttendLigne(0, -5, 0, 5, 0);
  AttendLigne(1, 0, -5, 0, 5);

  Run(QStringLiteral("PercerX = 0, 0, 10"));
  EXPECT_EQ(Cercles().size(), 1u);
  AttendLigne(0, D, -D, -D, D);
  Run(QStringLiteral("Percer = 0, 0§45, 10"));
  AttendLigne(0, D, D, -D, -D);

  // A dashed pen draws the circle as dashes of a full-turn arc; the pen comes back afterwards.
  Run(QStringLiteral("Percer = 0, 0, 20, , 1§R§2"));
  EXPECT_GT(Cercles().size(), 4u);
  for (const Primitive& p : Cercles()) EXPECT_NEAR(p.Rx, 10 * PxParMm, 1e-6);
  EXPECT_FLOAT_EQ(Plume.TiretL1, 0);

  Run(QStringLiteral("Percer = 5, 6, 10, N"));
  EXPECT_TRUE(RienDessine());
  EXPECT_FLOAT_EQ(Repere.XCourant, 5);
  Run(QStringLiteral("Percer = 5, 6, 0"));
  EXPECT_TRUE(RienDessine());
  EXPECT_TRUE(Messages().empty());
}

}  // namespace
