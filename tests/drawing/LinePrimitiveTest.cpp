// The line primitive: rotation about the current origin, dashes running on across segments,
// square ends, dots, and patterns too fine to cut.

#include <gtest/gtest.h>

#include <chrono>

#include "DrawingFixture.h"
#include "drawing/Device.h"
#include "drawing/DrawState.h"
#include "drawing/Segments.h"
#include "platform/Events.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"

namespace {

class LinePrimitiveTest : public DrawingTest {};

// Dashes and gaps all of one length, the pattern starting afresh.
void MotifNeuf(float l) {
  Plume.TiretL1 = Plume.TiretL2 = Plume.TiretL3 = l;
  Plume.ResteTiret = 0;
  Plume.PhaseTiret = 0;
  Plume.FinTiretX = Plume.FinTiretY = SansFinTiret;
}

TEST_F(LinePrimitiveTest, SolidSegmentsAreOneLineEachAndTurnAboutTheCurrentOrigin) {
  PrepareSurface();
  TraceSegment(10, 20, 110, 20, 0, 255);
  auto l = Lignes();
  ASSERT_EQ(l.size(), 1u) << "a solid line is one call whatever its length";
  EXPECT_POINT(l[0].Points[0], Px(10, 20));
  EXPECT_POINT(l[0].Points[1], Px(110, 20));
  EXPECT_EQ(l[0].Couleur, 255u);

  Session().Enregistrement().Efface();
  TraceSegment(1, 0, 2, 0, 90, 0);
  l = Lignes();
  ASSERT_EQ(l.size(), 1u);
  EXPECT_POINT(l[0].Points[0], Px(0, 1));
  EXPECT_POINT(l[0].Points[1], Px(0, 2));

  // About an origin moved by CT: (11, 5)-(12, 5) turned 90 degrees about (10, 5).
  Session().Enregistrement().Efface();
  Repere.CTx = 10;
  Repere.CTy = 5;
  TraceSegment(11, 5, 12, 5, 90, 0);
  l = Lignes();
  ASSERT_EQ(l.size(), 1u);
  EXPECT_POINT(l[0].Points[0], Px(10, 6));
  EXPECT_POINT(l[0].Points[1], Px(10, 7));
  Repere.CTx = Repere.CTy = 0;

  // Colour -1 draws nothing but moves the current point.
  Session().Enregistrement().Efface();
  Repere.XCourant = Repere.YCourant = 0;
  TraceSegment(0, 0, 7, 3, 0, -1);
  EXPECT_TRUE(Primitives().empty());
  EXPECT_FLOAT_EQ(Repere.XCourant, 7);
  EXPECT_FLOAT_EQ(Repere.YCourant, 3);
}

TEST_F(LinePrimitiveTest, DashesRunOnAcrossSegmentsThatJoin) {
  PrepareSurface();
  Plume.TiretL1 = 2;
  Plume.TiretL2 = 1;
  Plume.TiretL3 = 2;
  Plume.ResteTiret = 0;
  Plume.PhaseTiret = 0;
  Plume.FinTiretX = Plume.FinTiretY = SansFinTiret;

  TraceSegment(0, 0, 2.5, 0, 0, 0);
  auto l = Lignes();
  ASSERT_EQ(l.size(), 1u);
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l[0].Points[1], Px(2, 0));
  EXPECT_EQ(Plume.PhaseTiret, 1);
  EXPECT_FLOAT_EQ(Plume.ResteTiret, 0.5f);

  // The next segment starts where the last ended: it first skips the 0.5 still owed.
  Session().Enregistrement().Efface();
  TraceSegment(2.5, 0, 10, 0, 0, 0);
  l = Lignes();
  ASSERT_EQ(l.size(), 3u);
  EXPECT_POINT(l[0].Points[0], Px(3, 0));
  EXPECT_POINT(l[0].Points[1], Px(5, 0));
  EXPECT_POINT(l[1].Points[0], Px(6, 0));
  EXPECT_POINT(l[1].Points[1], Px(8, 0));
  EXPECT_POINT(l[2].Points[0], Px(9, 0));
  EXPECT_POINT(l[2].Points[1], Px(10, 0));
  EXPECT_EQ(Plume.PhaseTiret, 2);
  EXPECT_FLOAT_EQ(Plume.ResteTiret, 1.0f);

  // 0.02 away from the last end: the pattern starts again with a full first dash.
  Session().Enregistrement().Efface();
  TraceSegment(10.02f, 0, 20, 0, 0, 0);
  l = Lignes();
  ASSERT_FALSE(l.empty());
  EXPECT_POINT(l[0].Points[0], Px(10.02, 0));
  EXPECT_POINT(l[0].Points[1], Px(12.02, 0));

  // A segment that ends exactly at the end of a dash advances the phase and owes the whole gap.
  Session().Enregistrement().Efface();
  Plume.FinTiretX = Plume.FinTiretY = SansFinTiret;
  TraceSegment(0, 5, 2, 5, 0, 0);
  EXPECT_EQ(Lignes().size(), 1u);
  EXPECT_EQ(Plume.PhaseTiret, 1);
  EXPECT_FLOAT_EQ(Plume.ResteTiret, 1.0f);

  // A zero-length segment is one dot of the pen and leaves the pattern alone.
  Session().Enregistrement().Efface();
  TraceSegment(2, 5, 2, 5, 0, 0);
  l = Lignes();
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0].Points[0], l[0].Points[1]);
  EXPECT_EQ(Plume.PhaseTiret, 1);
  EXPECT_FLOAT_EQ(Plume.ResteTiret, 1.0f);
}

TEST_F(LinePrimitiveTest, SquareEndsAreARectangleOfThePenWidthAndAOnePixelAxis) {
  PrepareSurface();
  Plume.BoutCarre = -1;
  Sortie->DrawWidth = 3;
  TraceSegment(10, 10, 20, 10, 0, 255);
  const auto p = Polygones();
  ASSERT_EQ(p.size(), 1u);
  // 10 mm and 20 mm are 37.80 and 75.59 px; the half-width of 1.5 px goes across the segment.
  const double yAxe = HauteurImage - 10 * PxParMm;
  ASSERT_EQ(p[0].Points.size(), 4);
  EXPECT_EQ(p[0].Points[0], QPointF(38, std::nearbyint(yAxe + 1.5)));
  EXPECT_EQ(p[0].Points[1], QPointF(38, std::nearbyint(yAxe - 1.5)));
  EXPECT_EQ(p[0].Points[2], QPointF(76, std::nearbyint(yAxe - 1.5)));
  EXPECT_EQ(p[0].Points[3], QPointF(76, std::nearbyint(yAxe + 1.5)));
  ASSERT_TRUE(p[0].Remplissage.has_value());
  EXPECT_EQ(*p[0].Remplissage, 255u);
  EXPECT_EQ(p[0].Epaisseur, 1);
  const auto l = Lignes();
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0].Epaisseur, 1) << "the axis line of a square-ended piece is one pixel wide";
  EXPECT_POINT(l[0].Points[0], Px(10, 10));
  EXPECT_POINT(l[0].Points[1], Px(20, 10));
  EXPECT_EQ(Sortie->DrawWidth, 3) << "the pen width comes back";
  EXPECT_EQ(Sortie->FillStyle, 1);
  EXPECT_FLOAT_EQ(Repere.XCourant, 20);
}

TEST_F(LinePrimitiveTest, FilledPolygonTakesTheVerticesRelativeToTheOrigin) {
  PrepareSurface();
  Repere.CTx = 10;
  Sommets.PtsPoly = {{0, 0}, {0, 0}, {10, 0}, {10, 10}};
  RemplitPolygone(1, 3, 65280);
  const auto p = Polygones();
  ASSERT_EQ(p.size(), 1u);
  ASSERT_EQ(p[0].Points.size(), 3);
  EXPECT_EQ(p[0].Points[0], QPointF(PointDevice(10, 0)));
  EXPECT_EQ(p[0].Points[1], QPointF(PointDevice(20, 0)));
  EXPECT_EQ(p[0].Points[2], QPointF(PointDevice(20, 10)));
  EXPECT_EQ(p[0].Points[2], QPointF(76, std::nearbyint(HauteurImage - 10 * PxParMm)));
  ASSERT_TRUE(p[0].Remplissage.has_value());
  EXPECT_EQ(*p[0].Remplissage, 65280u);
  EXPECT_EQ(Sortie->FillStyle, 1);
  EXPECT_THROW(RemplitPolygone(2, 3, 0), ErreurExecution);
  Repere.CTx = 0;
  // A device coordinate of exactly k + 0.5 rounds to the even neighbour (a scale of one unit a
  // pixel makes the coordinates exact).
  const double largeur = Sortie->ScaleWidth;
  Sortie->ScaleWidth = Sortie->LargeurPixels();
  EXPECT_EQ(PointDevice(0.5, 0).x(), 0);
  EXPECT_EQ(PointDevice(1.5, 0).x(), 2);
  EXPECT_EQ(PointDevice(2.5, 0).x(), 2);
  Sortie->ScaleWidth = largeur;
  EXPECT_EQ(PointDevice(0, Cadrage.HauteurDessin).y(), 0) << "the top of the drawing is row 0";
  EXPECT_EQ(PointDevice(0, 0).y(), 700) << "y = 0 is the bottom edge";
}

TEST_F(LinePrimitiveTest, PatternsTooFineToCutEndAndKeepTheirPhase) {
  PrepareSurface();
  // Dashes far below a pixel on a long line: a million pieces are not cut one by one.
  MotifNeuf(0.0001f);
  const auto debut = std::chrono::steady_clock::now();
  TraceSegment(0, 0, 100, 0, 0, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(2));
  EXPECT_EQ(Lignes().size(), 1u);
  EXPECT_GE(Plume.PhaseTiret, 0);
  EXPECT_LT(Plume.PhaseTiret, 4);
  EXPECT_GT(Plume.ResteTiret, 0);
  EXPECT_LE(Plume.ResteTiret, 0.0001f * 1.01f);

  // Far from 0 a dash of 0.001 is below the resolution of a single-precision coordinate, and
  // far below a pixel: the half millimetre is one piece.
  Session().Enregistrement().Efface();
  MotifNeuf(0.001f);
  TraceSegment(100000, 0, 100000.5f, 0, 0, 0);
  EXPECT_EQ(Lignes().size(), 1u);

  // The phase a solid stand-in leaves is the one the dashes would have left.
  Plume.TiretL1 = 2;
  Plume.TiretL2 = 1;
  Plume.TiretL3 = 2;
  Plume.ResteTiret = 0.5f;
  Plume.PhaseTiret = 1;
  AvanceTiret(12.0);  // 0.5 of gap, then 2 + 1 + 2 + 1 + 2 + 1 + 2 + 0.5: inside the first gap
  EXPECT_EQ(Plume.PhaseTiret, 1);
  EXPECT_FLOAT_EQ(Plume.ResteTiret, 0.5f);
  AvanceTiret(1.5);
  EXPECT_EQ(Plume.PhaseTiret, 2);
  EXPECT_FLOAT_EQ(Plume.ResteTiret, 1.0f);
}

TEST_F(LinePrimitiveTest, EscStopsALongDashedLine) {
  // Esc pressed while the pieces are drawn: the event loop sets the stop flag.
  DefinitDoEvents([this] {
    if (Primitives().size() > 100) Arret = true;
  });
  Run(QStringList{"EpaisT = 1§R§0.1", "Trait = 0, 0, 1000, 0", "%A = 1"});
  EXPECT_TRUE(Messages().empty()) << "a stopped run shows no error";
  EXPECT_EQ(Var(1, "%A"), "<absent>");
  EXPECT_LE(Lignes().size(), static_cast<size_t>(MorceauxEntreArrets));
  EXPECT_GT(Lignes().size(), 100u);

  // Pieces are counted across segments: a line of many short ones stops as surely.
  Run(QStringList{"CadreA = 0, 0, 1000, 1000, 500, rouge, 0.1§§0.1§0.1§0.1", "%A = 1"});
  DefinitDoEvents({});
  EXPECT_EQ(Var(1, "%A"), "<absent>");
  EXPECT_LE(Lignes().size(), static_cast<size_t>(2 * MorceauxEntreArrets));
  EXPECT_GT(Lignes().size(), 100u);
}

TEST_F(LinePrimitiveTest, DashesFinerThanAPixelAreDrawnSolid) {
  PrepareSurface();
  // 25000 pieces a device cannot tell from a solid line.
  MotifNeuf(0.001f);
  TraceSegment(0, 0, 100, 0, 0, 0);
  EXPECT_EQ(Lignes().size(), 1u);
  EXPECT_LT(Plume.PhaseTiret, 4) << "the pattern still moves on";
  // A pattern the device can show is cut as before.
  Session().Enregistrement().Efface();
  MotifNeuf(0.5f);
  TraceSegment(0, 0, 100, 0, 0, 0);
  EXPECT_EQ(Lignes().size(), 100u);
}

// A dashed segment too long to cut whole keeps its dashes where it shows, in their place along it:
// dashes of 3 and 1 mm with gaps of 1 mm, from the segment's start 2,000,000 mm to the left
// (a whole number of periods and 2 mm), then from a start on the surface.
TEST_F(LinePrimitiveTest, TheVisiblePartOfAVeryLongDashedSegmentKeepsItsDashesAndTheirPhase) {
  for (const auto& [depart, trait] : {std::pair{-2000000.0, "Trait = -2000000, 100, 200, 100, 2§R§3§1§1"},
                                      std::pair{20.0, "Trait = 20, 100, 2000000, 100, 2§R§3§1§1"}}) {
    Run(QString::fromUtf8(trait));
    const auto l = Lignes();
    EXPECT_GT(l.size(), 60u) << depart;
    EXPECT_LT(l.size(), 100u) << depart;
    for (size_t i = 0; i < l.size(); ++i) {
      // Whether a piece's end lies at one of the two places in the 6 mm period.
      const auto a = [&](double px, double p1, double p2) {
        const double u = px / PxParMm - depart;
        return std::fabs(std::remainder(u - p1, 6.0)) < 1e-3 || std::fabs(std::remainder(u - p2, 6.0)) < 1e-3;
      };
      const double x1 = l[i].Points[0].x(), x2 = l[i].Points[1].x();
      EXPECT_TRUE(x1 < 0 || a(x1, 0, 4)) << x1;
      EXPECT_TRUE(x2 > 1000 || a(x2, 3, 5)) << x2;
    }
  }
}

}  // namespace
