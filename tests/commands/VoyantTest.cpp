// The Voyant statement run as programs: the filled lamp, the four sector types and their turn,
// the rim in the current colour and pen, and the lamps that draw nothing.

#include <gtest/gtest.h>

#include "CommandsFixture.h"
#include "drawing/DrawState.h"
#include "platform/OutputSurface.h"
#include "values/Levels.h"

namespace {

constexpr uint32_t Rouge = 255, Vert = 65280;
constexpr double Rad = 0.017453293;

class VoyantTest : public CommandsTest {
 protected:
  // The two pies of a sector lamp start at these angles (degrees), then the rim.
  void AttendSecteurs(double a0, double a1, double a2, double a3) {
    const auto c = Cercles();
    ASSERT_EQ(c.size(), 3u);
    EXPECT_NEAR(c[0].Debut, a0 == 0 ? -0.001 : -a0 * Rad, 1e-6);
    EXPECT_NEAR(c[0].Fin, a1 == 0 ? -0.001 : -a1 * Rad, 1e-6);
    EXPECT_NEAR(c[1].Debut, a2 == 0 ? -0.001 : -a2 * Rad, 1e-6);
    EXPECT_NEAR(c[1].Fin, a3 == 0 ? -0.001 : -a3 * Rad, 1e-6);
    EXPECT_FALSE(c[2].Remplissage.has_value());
    EXPECT_EQ(c[2].Debut, c[2].Fin);
  }
};

TEST_F(VoyantTest, FilledLampsAndRims) {
  Run(QStringLiteral("EpaisT = 3\r\nVoyant = 10, 10, 8"));
  EXPECT_TRUE(Messages().empty());
  auto c = Cercles();
  ASSERT_EQ(c.size(), 2u);
  EXPECT_POINT(c[0].Points[0], Px(10, 10));
  EXPECT_NEAR(c[0].Rx, 4 * PxParMm, 1e-6);
  EXPECT_EQ(c[0].Epaisseur, 1);
  EXPECT_EQ(*c[0].Remplissage, 0u);
  EXPECT_EQ(c[1].Epaisseur, 3);
  EXPECT_FALSE(c[1].Remplissage.has_value());
  EXPECT_EQ(Sortie->DrawWidth, 3);
  EXPECT_EQ(Sortie->FillStyle, 1);
  EXPECT_FLOAT_EQ(Repere.XCourant, 10);
  EXPECT_EQ(EtatOrdre & OrdreDessin, OrdreDessin);

  Run(QStringLiteral("Voyant = 10, 10, 8, 1, rouge"));
  c = Cercles();
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].Couleur, Rouge);
  EXPECT_EQ(*c[0].Remplissage, Rouge);
  EXPECT_EQ(c[1].Couleur, 0u);

  // "N" or a diameter of 0: nothing, but the current point moves.
  Run(QStringLiteral("Voyant = 10, 12, 8, 2, N"));
  EXPECT_TRUE(RienDessine());
  EXPECT_FLOAT_EQ(Repere.YCourant, 12);
  Run(QStringLiteral("Voyant = 10, 10, 0"));
  EXPECT_TRUE(RienDessine());

  // A blank y is the current point's.
  Run(QStringLiteral("Plus = 5, 7, 0\r\nVoyant = 10, , 8"));
  EXPECT_POINT(Cercles()[0].Points[0], Px(10, 7));
}

TEST_F(VoyantTest, SectorTypes) {
  Run(QStringLiteral("Voyant = 10, 10, 8, 2, vert"));
  AttendSecteurs(0, 90, 180, 270);
  EXPECT_EQ(*Cercles()[0].Remplissage, Vert);
  EXPECT_EQ(Cercles()[0].Couleur, Vert);
  EXPECT_EQ(Cercles()[0].Epaisseur, 1);
  EXPECT_EQ(Cercles()[2].Couleur, 0u);
  Run(QStringLiteral("Voyant = 10, 10, 8, 3"));
  AttendSecteurs(90, 180, 270, 0);
  Run(QStringLiteral("Voyant = 10, 10, 8, 4"));
  AttendSecteurs(45, 135, 225, 315);
  for (const char* type : {"5", "6", "9"}) {
    Run(QStringLiteral("Voyant = 10, 10, 8, %1").arg(QLatin1String(type)));
    AttendSecteurs(135, 225, 315, 45);
  }
  // Halves round to the even type.
  Run(QStringLiteral("Voyant = 10, 10, 8, 2.5"));
  AttendSecteurs(0, 90, 180, 270);
  Run(QStringLiteral("Voyant = 10, 10, 8, 3.5"));
  AttendSecteurs(45, 135, 225, 315);

  // The command's angle turns the sectors; a large one still gives radius lines.
  Run(QStringLiteral("Voyant = 0, 0§10, 8, 2"));
  AttendSecteurs(10, 100, 190, 280);
  Run(QStringLiteral("Voyant = 0, 0§-730, 8, 2"));
  AttendSecteurs(350, 80, 170, 260);
  EXPECT_TRUE(Messages().empty());

  Run(QStringLiteral("Voyant = 0, 0, 8, 40000"));
  EXPECT_EQ(Messages().size(), 1u);
}

}  // namespace
