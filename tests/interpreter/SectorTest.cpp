// Sectors run as whole programs: outlined and filled zones on arc scales (concentric and about an
// offset pivot), on straight scales, with the scale's law or direct positions, turned, and the
// errors of a missing or empty scale.

#include <gtest/gtest.h>

#include <QPointF>
#include <cmath>

#include "RunFixture.h"
#include "drawing/DrawState.h"
#include "interpreter/ScaleState.h"
#include "platform/Host.h"
#include "platform/OutputSurface.h"
#include "values/Levels.h"

namespace {

constexpr double Rad = 0.017453293;
constexpr double Tol = 0.01;  // millimetres
// Filled outlines are handed to the device in whole pixels: half a pixel at 96 dpi.
constexpr double TolPixel = 25.4 / 96 / 2 + 1e-6;
const QString DetailOrdre = QStringLiteral("Erreur ordre commandes / Error odre commands\r\n\r\n");

class SectorTest : public RunFixture {
 protected:
  void SetUp() override {
    RunFixture::SetUp();
    Echelle = {};
    Shell.DecalVueX = Shell.DecalVueY = 0;
    Repere.OrigineBaseX = Repere.OrigineBaseY = 0;
    Rotation.AngRotDefaut = 0;
  }

  void Run(const QStringList& lignes) {
    Session().Enregistrement().Efface();
    RunFixture::Run(lignes);
  }

  // The lines of the run, the end-of-run axes (drawn in mask mode) aside.
  std::vector<Primitive> Lignes() {
    std::vector<Primitive> r;
    for (const Primitive& p : Primitives()) {
      if (p.Type == Primitive::Genre::Ligne && p.Mode == 13) r.push_back(p);
    }
    return r;
  }
  std::vector<Primitive> Polygones() {
    std::vector<Primitive> r;
    for (const Primitive& p : Primitives()) {
      if (p.Type == Primitive::Genre::Polygone) r.push_back(p);
    }
    return r;
  }
  // The outline's vertices in millimetres: the start of each line.
  std::vector<QPointF> Sommets() {
    std::vector<QPointF> r;
    for (const Primitive& p : Lignes()) r.push_back(Mm(p.Points[0]));
    return r;
  }

  static void ExpectPoint(const QPointF& p, double x, double y, const char* quoi, double tol = Tol) {
    EXPECT_NEAR(p.x(), x, tol) << quoi;
    EXPECT_NEAR(p.y(), y, tol) << quoi;
  }
  bool ErreurOrdre() { return !Messages().empty() && Messages().back().texte.contains(DetailOrdre); }
};

TEST_F(SectorTest, OutlinedAndFilledOnAnArc) {
  // The last fifth of a linear half circle: the inner edge from 80 to 100, the outer one back.
  Run(QStringList{"CentreE = 100, 80, N", "Arc = 0, 180, 50, N", "Sect = 80, 100, 40, 50, rouge"});
  ASSERT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
  auto lignes = Lignes();
  ASSERT_EQ(lignes.size(), 128u) << "63 steps per edge: two per unit of the outer edge";
  for (const Primitive& l : lignes) EXPECT_EQ(l.Couleur, 255u);
  const double c36 = std::cos(36 * Rad), s36 = std::sin(36 * Rad);
  ExpectPoint(Mm(lignes[0].Points[0]), 100 + 40 * c36, 80 + 40 * s36, "inner edge at 80");
  ExpectPoint(Mm(lignes[63].Points[0]), 140, 80, "inner edge at 100");
  ExpectPoint(Mm(lignes[64].Points[0]), 150, 80, "outer edge at 100");
  ExpectPoint(Mm(lignes[127].Points[0]), 100 + 50 * c36, 80 + 50 * s36, "outer edge at 80");
  ExpectPoint(Mm(lignes[127].Points[1]), 100 + 40 * c36, 80 + 40 * s36, "closed");
  for (size_t k = 0; k < lignes.size(); ++k) {
    const QPointF p = Mm(lignes[k].Points[0]);
    EXPECT_NEAR(std::hypot(p.x() - 100, p.y() - 80), k < 64 ? 40 : 50, Tol) << k;
  }
  EXPECT_EQ(EtatOrdre & OrdreDessin, OrdreDessin);
  EXPECT_NEAR(Repere.XCourant, 100 + 40 * c36, 1e-3) << "the current point is the first vertex";
  EXPECT_NEAR(Repere.YCourant, 80 + 40 * s36, 1e-3);

  // Filled: one polygon in the one colour, edge and inside, with no outline of lines.
  Sortie->FillStyle = 0;
  Run(QStringList{"CentreE = 100, 80, N", "Arc = 0, 180, 50, N", "SectP = 80, 100, 40, 50, vert"});
  ASSERT_TRUE(Messages().empty());
  EXPECT_TRUE(Lignes().empty());
  const auto polygones = Polygones();
  ASSERT_EQ(polygones.size(), 1u);
  const Primitive& zone = polygones[0];
  EXPECT_EQ(zone.Couleur, 65280u);
  ASSERT_TRUE(zone.Remplissage.has_value());
  EXPECT_EQ(*zone.Remplissage, 65280u);
  ASSERT_EQ(zone.Points.size(), 128);
  ExpectPoint(Mm(zone.Points[0]), 100 + 40 * c36, 80 + 40 * s36, "filled inner edge", TolPixel);
  ExpectPoint(Mm(zone.Points[64]), 150, 80, "filled outer edge", TolPixel);
  EXPECT_EQ(Sortie->FillStyle, 1) << "transparent again";

  // Direct scale angles whatever the law; the exponent places the others.
  Run(QStringList{"CentreE = 100, 80, N", "Arc = 0, 180, 50, N", "Exposant = 2", "Sect = 45°, 25, 40, 50"});
  ASSERT_TRUE(Messages().empty());
  lignes = Lignes();
  ASSERT_FALSE(lignes.empty());
  ExpectPoint(Mm(lignes[0].Points[0]), 100 - 40 * std::cos(45 * Rad), 80 + 40 * std::sin(45 * Rad), "45°");
  const size_t n = lignes.size() / 2 - 1;
  ExpectPoint(Mm(lignes[n].Points[0]), 100, 120, "25 at the power 1/2 is the middle");

  // The step count stays between 25 and 500 per edge.
  Run(QStringList{"Arc = 0, 180, 50, N", "Sect = 99, 100, 1, 2"});
  EXPECT_EQ(Lignes().size(), 52u);
  Run(QStringList{"Arc = 0, 180, 500, N", "Sect = 0, 100, 400, 500"});
  EXPECT_EQ(Lignes().size(), 1002u);

  // An empty second distance gives a zone of no width; "N" draws nothing but moves the point.
  Run(QStringList{"CentreE = 100, 80, N", "Arc = 0, 180, 50, N", "Sect = 0, 100, 50"});
  for (const QPointF& p : Sommets()) EXPECT_NEAR(std::hypot(p.x() - 100, p.y() - 80), 50, Tol);
  Run(QStringList{"CentreE = 100, 80, N", "Arc = 0, 180, 50, N", "Sect = 80, 100, 40, 50, n"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(Lignes().empty());
  EXPECT_NEAR(Repere.XCourant, 100 + 40 * c36, 1e-3);
}

TEST_F(SectorTest, AboutAnOffsetPivotAndOnAFarPivotLine) {
  // The zone follows the arc drawn about the pivot: from the start point to the end point.
  Run(QStringList{"CentreE = 100, 80, N", "Decal = 20, N", "Arc = 45, 135, 50, N", "Sect = 0, 100, 50"});
  ASSERT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
  const double h = 50 * std::sqrt(0.5);
  const auto sommets = Sommets();
  ASSERT_GE(sommets.size(), 52u);
  const size_t n = sommets.size() / 2 - 1;
  ExpectPoint(sommets[0], 100 - h, 80 + h, "start point");
  ExpectPoint(sommets[n], 100 + h, 80 + h, "end point");
  for (const QPointF& p : sommets)
    EXPECT_NEAR(std::hypot(p.x() - 100, p.y() - 100), Echelle.ArcRayonDebut, Tol);

  // The straight line of a far pivot: a band between two heights, each value on its ray.
  Run(QStringList{"CentreE = 100, 80, N", "Decal = 10000, N", "Arc = 45, 135, 50, N",
                  "Sect = 0, 100, 50, 60"});
  ASSERT_TRUE(Messages().empty());
  const auto bande = Sommets();
  ASSERT_EQ(bande.size(), 4u);
  const double h2 = 60 * std::sqrt(0.5);
  ExpectPoint(bande[0], 100 - h, 80 + h, "V1 at r1");
  ExpectPoint(bande[1], 100 - h2, 80 + h2, "V1 at r2");
  ExpectPoint(bande[2], 100 + h2, 80 + h2, "V2 at r2");
  ExpectPoint(bande[3], 100 + h, 80 + h, "V2 at r1");
}

TEST_F(SectorTest, OnStraightScales) {
  // Heights from the current 0,0, not from the line.
  Run(QStringList{"CentreE = 100, 80, N", "Droite = 0, 100, 30", "Sect = 20, 40, 5, 10, bleu"});
  ASSERT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
  auto lignes = Lignes();
  ASSERT_EQ(lignes.size(), 5u);
  ExpectPoint(Mm(lignes[1].Points[0]), 120, 85, "1");
  ExpectPoint(Mm(lignes[2].Points[0]), 120, 90, "2");
  ExpectPoint(Mm(lignes[3].Points[0]), 140, 90, "3");
  ExpectPoint(Mm(lignes[4].Points[0]), 140, 85, "4");
  ExpectPoint(Mm(lignes[4].Points[1]), 120, 85, "closed");
  EXPECT_EQ(lignes[1].Couleur, 0xFF0000u);

  // Vertical; direct positions; the logarithmic law.
  Run(QStringList{"CentreE = 100, 80, N", "DroiteV = 0, 100, 0, N", "Sect = 50, 100, -5, 5"});
  auto s = Sommets();
  ASSERT_EQ(s.size(), 4u);
  ExpectPoint(s[0], 95, 130, "vertical 1");
  ExpectPoint(s[2], 105, 180, "vertical 3");
  Run(QStringList{"CentreE = 100, 80, N", "Droite = 0, 100, 0, N", "Exposant = 2", "Sect = 10°, 30°, 5"});
  s = Sommets();
  ASSERT_EQ(s.size(), 4u);
  ExpectPoint(s[0], 110, 85, "direct 1");
  ExpectPoint(s[2], 130, 85, "direct 3");
  Run(QStringList{"CentreE = 100, 80, N", "Exposant = L, 2", "Droite = 0, 100, 0, N",
                  "Sect = 10, 100, 0, 5"});
  s = Sommets();
  ASSERT_EQ(s.size(), 4u);
  ExpectPoint(s[0], 150, 80, "10 is the middle of 1 to 100");
  ExpectPoint(s[2], 200, 85, "100 is the end");

  // Turned with the scale: (x, y) becomes (-y, x), filled the same way.
  Run(QStringList{"CentreE = 100, 80, N", "AngRot = 90", "Droite = 0, 100, 0, N", "Sect = 20, 40, 5, 10"});
  s = Sommets();
  ASSERT_EQ(s.size(), 4u);
  ExpectPoint(s[0], 95, 100, "turned 1");
  ExpectPoint(s[2], 90, 120, "turned 3");
  EXPECT_NEAR(Repere.XCourant, 95, 1e-3);
  EXPECT_NEAR(Repere.YCourant, 100, 1e-3);
  Run(QStringList{"CentreE = 100, 80, N", "AngRot = 90", "Droite = 0, 100, 0, N", "SectP = 20, 40, 5, 10"});
  const auto polygones = Polygones();
  ASSERT_EQ(polygones.size(), 1u);
  ASSERT_EQ(polygones[0].Points.size(), 4);
  ExpectPoint(Mm(polygones[0].Points[0]), 95, 100, "filled turned 1", TolPixel);
  ExpectPoint(Mm(polygones[0].Points[2]), 90, 120, "filled turned 3", TolPixel);

  // The line style of field 6 holds for the sector only.
  Run(QStringList{"Droite = 0, 100, 0, N", "Sect = 20, 40, 5, 10, , 1mm", "Droite = 0, 10"});
  lignes = Lignes();
  ASSERT_GE(lignes.size(), 5u);
  EXPECT_GT(lignes.front().Epaisseur, 1);
  EXPECT_EQ(lignes.back().Epaisseur, 1);
}

TEST_F(SectorTest, Errors) {
  // Before any scale line, and after a page break, the order error.
  Run(QStringList{"CentreE = 100, 80, N", "Sect = 0, 100, 40"});
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(ErreurOrdre());
  Run(QStringList{"Arc = 0, 180, 50", "NPage", "SectP = 0, 100, 40"});
  EXPECT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(ErreurOrdre());
  EXPECT_TRUE(Polygones().empty());

  // A scale of no extent: a run error, nothing drawn by the sector.
  Run(QStringList{"Arc = 0, 0, 50, N", "Sect = 0, 100, 40"});
  ASSERT_EQ(Messages().size(), 3u);
  EXPECT_FALSE(ErreurOrdre());
  EXPECT_TRUE(Lignes().empty());
  Run(QStringList{"Droite = 10, 10", "SectP = 0, 100, 40"});
  EXPECT_EQ(Messages().size(), 4u);
  EXPECT_TRUE(Polygones().empty());

  // A value the logarithmic law cannot place, a negative value under a fractional power.
  Run(QStringList{"Exposant = L", "Droite = 0, 100, 0, N", "Sect = 0, 10, 0, 5"});
  EXPECT_EQ(Messages().size(), 5u);
  Run(QStringList{"Exposant = 2", "Droite = 0, 100, 0, N", "Sect = -10, 10, 0, 5"});
  EXPECT_EQ(Messages().size(), 6u);
}

}  // namespace
