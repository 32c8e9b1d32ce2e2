// The DemiLune and Fleche statements run as programs: tapered bands outlined and filled, their
// step counts and turns, and arrow heads of every form.

#include <gtest/gtest.h>

#include <cmath>

#include "CommandsFixture.h"
#include "drawing/DrawState.h"
#include "values/Levels.h"

namespace {

constexpr uint32_t Rouge = 255;

class DemiLuneFlecheTest : public CommandsTest {
 protected:
  void AttendLigne(size_t i, QPointF a, QPointF b) {
    const auto l = Lignes();
    ASSERT_LT(i, l.size());
    EXPECT_POINT(l[i].Points[0], a);
    EXPECT_POINT(l[i].Points[1], b);
  }
};

TEST_F(DemiLuneFlecheTest, BandsAlongArcs) {
  // N = 31 steps: 2N + 1 edges through the pixel-rounded points and the stroke across the end.
  Run(QStringLiteral("DemiLune = 0, 0, 20, 0, 90, 4"));
  EXPECT_TRUE(Messages().empty());
  ASSERT_EQ(Lignes().size(), 64u);
  AttendLigne(0, PxEntier(0, 18), Lignes()[0].Points[1]);
  AttendLigne(31, PxEntier(20, 0), PxEntier(20, 0));
  AttendLigne(63, PxEntier(0, 22), PxEntier(0, 18));
  EXPECT_FLOAT_EQ(Repere.XCourant, 0);
  EXPECT_EQ(EtatOrdre & OrdreDessin, OrdreDessin);

  // A negative width: the same band without the closing stroke.
  Run(QStringLiteral("DemiLune = 0, 0, 20, 0, 90, -4"));
  ASSERT_EQ(Lignes().size(), 63u);
  AttendLigne(0, PxEntier(0, 22), Lignes()[0].Points[1]);
  AttendLigne(62, Lignes()[62].Points[0], PxEntier(0, 18));

  Run(QStringLiteral("DemiLune = 0, 0, 5, 0, 90, 1"));
  EXPECT_EQ(Lignes().size(), 52u);
  Run(QStringLiteral("DemiLune = 0, 0, 400, 0, 180, 1"));
  EXPECT_EQ(Lignes().size(), 1002u);

  Run(QStringLiteral("DemiLuneP = 0, 0, 20, 0, 90, 4, rouge"));
  auto p = Polygones();
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].Points.size(), 64);
  EXPECT_POINT(p[0].Points[0], PxEntier(0, 18));
  EXPECT_POINT(p[0].Points[63], PxEntier(0, 22));
  EXPECT_EQ(*p[0].Remplissage, Rouge);
  EXPECT_TRUE(Lignes().empty());
  EXPECT_EQ(Sortie->FillStyle, 1);

  // The centre and both angles turn about 0,0; the current point is the centre.
  Run(QStringLiteral("DemiLune = 10, 5§90, 20, 0, 90, 4, , 3"));
  AttendLigne(0, PxEntier(-23, 10), Lignes()[0].Points[1]);
  EXPECT_EQ(Lignes()[0].Epaisseur, 3);
  EXPECT_FLOAT_EQ(Plume.EpaisseurTrait, 1);
  EXPECT_NEAR(Repere.XCourant, -5, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 10, 1e-4);
  EXPECT_NEAR(Repere.XRot, 10, 1e-4);

  Run(QStringLiteral("DemiLuneP = 3, 4, 20, 0, 90, 4, N"));
  EXPECT_TRUE(RienDessine());
  EXPECT_FLOAT_EQ(Repere.XCourant, 3);

  // A mean arc beyond the 16-bit range ends the run with a message.
  Run(QStringLiteral("DemiLune = 0, 0, 30000, 0, 90, 4"));
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(RienDessine());
}

TEST_F(DemiLuneFlecheTest, ArrowHeads) {
  const double c30 = std::cos(30 * 3.14159265358979 / 180);
  Run(QStringLiteral("Fleche = 10, 0"));
  EXPECT_TRUE(Messages().empty());
  ASSERT_EQ(Lignes().size(), 2u);
  AttendLigne(0, Px(10, 0), Px(10 - c30, -0.5));
  AttendLigne(1, Px(10, 0), Px(10 - c30, 0.5));
  EXPECT_FLOAT_EQ(Repere.XCourant, 10);

  const double d = 5 / std::sqrt(2.0);
  Run(QStringLiteral("Fleche = 0, 0, 90, 5, , 90"));
  AttendLigne(0, Px(0, 0), Px(d, -d));
  AttendLigne(1, Px(0, 0), Px(-d, -d));

  // The command's angle turns the direction too.
  Run(QStringLiteral("Fleche = 0, 0§90, 0, 5"));
  AttendLigne(0, Px(0, 0), Px(2.5, -5 * c30));
  AttendLigne(1, Px(0, 0), Px(-2.5, -5 * c30));

  Run(QStringLiteral("Fleche = 0, 0, 0, 5, 3, , rouge"));
  EXPECT_EQ(Lignes()[0].Epaisseur, 3);
  EXPECT_EQ(Lignes()[1].Couleur, Rouge);
  EXPECT_FLOAT_EQ(Plume.EpaisseurTrait, 1);

  Run(QStringLiteral("FlecheP = 10, 0, 0, 5, , , rouge"));
  auto p = Polygones();
  ASSERT_EQ(p.size(), 1u);
  ASSERT_EQ(p[0].Points.size(), 3);
  EXPECT_POINT(p[0].Points[0], PxEntier(10, 0));
  EXPECT_POINT(p[0].Points[1], PxEntier(10 - 5 * c30, -2.5));
  EXPECT_POINT(p[0].Points[2], PxEntier(10 - 5 * c30, 2.5));
  EXPECT_EQ(*p[0].Remplissage, Rouge);
  EXPECT_TRUE(Lignes().empty());

  Run(QStringLiteral("FlecheP = 0, 0, 0, 0"));
  EXPECT_TRUE(RienDessine());
  EXPECT_FLOAT_EQ(Repere.XCourant, 0);
  Run(QStringLiteral("FlecheP = 4, 2, 0, 5, , , N"));
  EXPECT_TRUE(RienDessine());
  Run(QStringLiteral("Fleche = 4, 2, 0, 5, , , N"));
  EXPECT_TRUE(RienDessine());
  EXPECT_FLOAT_EQ(Repere.YCourant, 2);
  EXPECT_TRUE(Messages().empty());
}

}  // namespace
