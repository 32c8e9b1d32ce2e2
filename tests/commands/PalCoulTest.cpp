// The PalCoul statements run as programs: the n x n x n colour cubes, the hue circles against
// brightness, their frames and turns, and the shade counts the 16-bit arithmetic takes.

#include <gtest/gtest.h>

#include <cmath>

#include "CommandsFixture.h"
#include "drawing/DrawState.h"
#include "platform/OutputSurface.h"

namespace {

class PalCoulTest : public CommandsTest {};

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r + 256 * g + 65536 * b; }

TEST_F(PalCoulTest, ColourCubes) {
  Run(QStringLiteral("PalCoul"));
  EXPECT_TRUE(Messages().empty());
  auto p = Polygones();
  ASSERT_EQ(p.size(), 65u);
  EXPECT_TRUE(Lignes().empty());
  // The black cell: 0.9 a by 0.8 c with a = 22.5, c = 22.5.
  ASSERT_EQ(p[0].Points.size(), 4);
  EXPECT_POINT(p[0].Points[0], PxEntier(0, 0));
  EXPECT_POINT(p[0].Points[2], PxEntier(20.25, 18));
  EXPECT_EQ(*p[0].Remplissage, 0u);
  // The darkest shade is round(256 / N) - 1, the brightest 255.
  EXPECT_EQ(*p[1].Remplissage, Rgb(63, 63, 63));
  EXPECT_EQ(p[1].Couleur, Rgb(63, 63, 63));
  EXPECT_POINT(p[1].Points[0], PxEntier(0, 18));
  // Blue grows to the right, green upward, the upper red shades on the right half.
  EXPECT_EQ(*p[2].Remplissage, Rgb(63, 63, 127));
  EXPECT_POINT(p[2].Points[0], PxEntier(20.25, 18));
  EXPECT_EQ(*p[5].Remplissage, Rgb(63, 127, 63));
  EXPECT_POINT(p[5].Points[0], PxEntier(0, 36));
  EXPECT_EQ(*p[64].Remplissage, Rgb(255, 255, 255));
  EXPECT_POINT(p[64].Points[0], PxEntier(159.75, 162));
  EXPECT_POINT(p[64].Points[2], PxEntier(180, 180));
  EXPECT_EQ(Encre.CouleurCmd, static_cast<int32_t>(Rgb(255, 255, 255)));
  EXPECT_EQ(Session().Enregistrement().FillStyle, 1);

  // The shade count is even and at least 4.
  Run(QStringLiteral("PalCoul = 3"));
  EXPECT_EQ(Polygones().size(), 65u);
  Run(QStringLiteral("PalCoul = 7, 90"));
  p = Polygones();
  EXPECT_EQ(p.size(), 6u * 6 * 6 + 1);
  EXPECT_POINT(p[0].Points[2], PxEntier(0.9 * 0.5 * 90 / 6, 0.8 * 2 * 180 / 6 / 6));
}

TEST_F(PalCoulTest, HueCircles) {
  Run(QStringLiteral("PalCoul3 = 4, 180, 90"));
  EXPECT_TRUE(Messages().empty());
  auto p = Polygones();
  // Six faces of N + 1 columns (the shared ones twice) by 2N + 1 rows.
  ASSERT_EQ(p.size(), 6u * 5 * 9);
  const double w = 180.0 / 25, h = 90.0 / 9;
  for (size_t col = 0; col < 30; ++col) {
    EXPECT_EQ(*p[col * 9].Remplissage, 0u) << col;
    EXPECT_EQ(*p[col * 9 + 8].Remplissage, Rgb(255, 255, 255)) << col;
  }
  // The middle row holds the pure hues: red, then yellow at the end of the first face.
  EXPECT_EQ(*p[4].Remplissage, Rgb(255, 0, 0));
  EXPECT_EQ(*p[4 * 9 + 4].Remplissage, Rgb(255, 255, 0));
  EXPECT_EQ(*p[4 * 9 + 2].Remplissage, Rgb(128, 128, 0));
  EXPECT_EQ(*p[4 * 9 + 6].Remplissage, Rgb(255, 255, 128));
  EXPECT_EQ(*p[2 * 9 + 4].Remplissage, Rgb(255, 128, 0));
  EXPECT_EQ(*p[29 * 9 + 4].Remplissage, Rgb(255, 0, 0));
  EXPECT_POINT(p[9 * 1].Points[0], PxEntier(w, 0));
  EXPECT_POINT(p[29 * 9 + 8].Points[2], PxEntier(180, 90));
  EXPECT_POINT(p[1].Points[0], PxEntier(0, h));
  // The black frame.
  auto l = Lignes();
  ASSERT_EQ(l.size(), 4u);
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l[0].Points[1], Px(180, 0));
  EXPECT_POINT(l[2].Points[1], Px(0, 90));
  EXPECT_EQ(l[0].Couleur, 0u);

  // Turned 30 degrees anticlockwise about the current origin, frame and cells alike.
  Run(QStringLiteral("PalCoul3 = 4, 180, 90§30"));
  l = Lignes();
  const double c = std::cos(30 * 0.017453293), s = std::sin(30 * 0.017453293);
  EXPECT_POINT(l[0].Points[1], Px(180 * c, 180 * s));
  p = Polygones();
  EXPECT_POINT(p[0].Points[1], PxEntier(w * c, w * s));

  // Grey to the pure hues.
  Run(QStringLiteral("PalCoul2 = 4"));
  p = Polygones();
  ASSERT_EQ(p.size(), 6u * 5 * 5);
  for (size_t col = 0; col < 30; ++col) EXPECT_EQ(*p[col * 5].Remplissage, Rgb(127, 127, 127)) << col;
  EXPECT_EQ(*p[4].Remplissage, Rgb(255, 0, 0));
  EXPECT_EQ(*p[2 * 5 + 4].Remplissage, Rgb(255, 128, 0));
  EXPECT_EQ(*p[12 * 5 + 4].Remplissage, Rgb(0, 255, 128));
  EXPECT_EQ(*p[14 * 5 + 4].Remplissage, Rgb(0, 255, 255));
  EXPECT_POINT(p[4].Points[2], PxEntier(180.0 / 25, 180));
  EXPECT_EQ(Lignes().size(), 4u);
  EXPECT_EQ(Encre.CouleurCmd, static_cast<int32_t>(Rgb(255, 0, 0)));
}

TEST_F(PalCoulTest, ShadeCountLimits) {
  // Beyond what the 16-bit shade arithmetic takes: the overflow error, before any cell.
  Run(QStringLiteral("PalCoul = 128"));
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(RienDessine());
  Session().Prompteur().Efface();
  Run(QStringLiteral("PalCoul2 = 130"));
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(RienDessine());
  Session().Prompteur().Efface();
  Run(QStringLiteral("PalCoul3 = 128, 180, 180"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Polygones().size(), 6u * 129 * 257);
}

}  // namespace
