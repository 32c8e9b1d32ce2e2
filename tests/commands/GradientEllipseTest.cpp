// The colour components, the band rule and the ellipse point list, called directly.

#include <gtest/gtest.h>

#include <cmath>

#include "CommandsFixture.h"
#include "commands/Ellipse.h"
#include "commands/Gradients.h"
#include "drawing/DrawState.h"
#include "platform/RunError.h"

namespace {

class GradientEllipseTest : public CommandsTest {};

TEST(Gradients, ComponentsAndBands) {
  int r = 0, g = 0, b = 0;
  CoulRVB(10 + 256 * 20 + 65536 * 30, r, g, b);
  EXPECT_EQ(r, 10);
  EXPECT_EQ(g, 20);
  EXPECT_EQ(b, 30);
  CoulRVB(-1, r, g, b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 0);

  // Red to blue: 256 bands; the 127.5 halves round to the even 128.
  BandesCouleur rb(255, 16711680);
  EXPECT_EQ(rb.Nombre(), 256);
  EXPECT_EQ(rb.Couleur(), 255);
  int32_t bande[257] = {};
  for (int k = 1; k <= 256; ++k) {
    rb.Avance(false);
    bande[k] = rb.Couleur();
  }
  EXPECT_EQ(bande[1], 254 + 65536 * 1);
  EXPECT_EQ(bande[127], 128 + 65536 * 127);
  EXPECT_EQ(bande[128], 128 + 65536 * 128);
  EXPECT_EQ(bande[255], 1 + 65536 * 254);
  EXPECT_EQ(bande[256], 65536 * 255);

  BandesCouleur proches(10 + 256 * 20 + 65536 * 30, 12 + 256 * 20 + 65536 * 30);
  EXPECT_EQ(proches.Nombre(), 3);
  proches.Avance(false);
  EXPECT_EQ(proches.Couleur() & 255, 11);
  proches.Avance(false);
  EXPECT_EQ(proches.Couleur() & 255, 11);

  // Black to white, and a band count given by the shape.
  BandesCouleur nb(0, 16777215);
  EXPECT_EQ(nb.Nombre(), 256);
  nb.Avance(false);
  EXPECT_EQ(nb.Couleur(), 1 + 256 + 65536);
  EXPECT_EQ(BandesCouleur(0, 16777215, 8).Nombre(), 8);

  // Sums running past the second colour never leave 0..255.
  BandesCouleur bas(1, 0, 1);
  bas.Avance(false);
  bas.Avance(false);
  EXPECT_EQ(bas.Couleur(), 0);
}

TEST_F(GradientEllipseTest, PointListStepAndTurn) {
  PrepareSurface();
  // Radius 10 mm at scale 1: a step of 0.1 rad, points 0 .. 6.2 and the end itself.
  auto points = PointsEllipse(0, 0, 10, 0, 6.283185, 1, 0);
  ASSERT_EQ(points.size(), 64u);
  EXPECT_NEAR(points[1].x, 10 * std::cos(0.1), 1e-4);
  EXPECT_NEAR(points[62].y, 10 * std::sin(6.2), 1e-4);
  EXPECT_NEAR(points[63].x, 10, 1e-4);
  EXPECT_NEAR(points[63].y, 0, 1e-4);

  // Half-axes from the coefficient; a turn of 30 degrees anticlockwise (stored negated).
  double a = 0, b = 0;
  DemiAxes(20, 0.5, a, b);
  EXPECT_EQ(a, 20);
  EXPECT_EQ(b, 10);
  DemiAxes(20, 2, a, b);
  EXPECT_EQ(a, 10);
  EXPECT_EQ(b, 20);
  points = PointsEllipse(5, 5, 10, 0, 1, 1, -0.5235988);
  EXPECT_NEAR(points[0].x, 5 + 8.660254, 1e-4);
  EXPECT_NEAR(points[0].y, 5 + 5, 1e-4);

  // An end below the start gives the start point alone; equal ends go twice round.
  EXPECT_EQ(PointsEllipse(0, 0, 10, 2, 1, 1, 0).size(), 1u);
  double fin = 1;
  TraceEllipse(50, 50, 10, 0, 1, fin, 1, QString(), 0);
  EXPECT_NEAR(fin, 1 + 12.56637, 1e-5);
  EXPECT_EQ(Lignes().size(), 126u);

  // Colour -1 draws nothing; "P" fills one polygon.
  Session().Enregistrement().Efface();
  fin = 3;
  TraceEllipse(50, 50, 10, -1, 0, fin, 1, QString(), 0);
  EXPECT_TRUE(RienDessine());
  TraceEllipse(50, 50, 10, 255, 0, fin, 1, QStringLiteral("P"), 0);
  ASSERT_EQ(Polygones().size(), 1u);
  EXPECT_EQ(static_cast<size_t>(Polygones()[0].Points.size()), PointsEllipse(50, 50, 10, 0, 3, 1, 0).size());

  // The step is bounded for huge radii and a radius of 0 is a run error.
  EXPECT_EQ(PasEllipse(1e12), PasAngulaireMin);
  const size_t n = PointsEllipse(0, 0, -1e9, 0, 6.283185, 1, 0).size();
  EXPECT_NEAR(static_cast<double>(n), PointsParTourMax, 2);
  EXPECT_THROW(PasEllipse(0), ErreurExecution);
}

}  // namespace
