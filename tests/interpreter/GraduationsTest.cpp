// Graduation marks as whole dial programs: linear, power and logarithmic scales on straight lines
// and arcs, the pivot offset, the inversion, the rotation, single marks with lists, and the faults
// of the logarithmic iterator and of the counters.

#include <gtest/gtest.h>

#include <QPointF>
#include <cmath>
#include <vector>

#include "drawing/DrawState.h"
#include "drawing/DrawingFixture.h"
#include "interpreter/Graduations.h"
#include "interpreter/ScaleState.h"
#include "platform/Events.h"
#include "platform/OutputSurface.h"
#include "values/Levels.h"

namespace {

constexpr double Rad = 0.017453293;

class GraduationsTest : public DrawingTest {
 protected:
  void SetUp() override {
    DrawingTest::SetUp();
    Echelle = {};
  }
  void TearDown() override {
    DefinitDoEvents({});
    DrawingTest::TearDown();
  }
  // Each run with an empty record and no messages of the runs before.
  void Run(const QStringList& lignes) {
    Session().Prompteur().Efface();
    DrawingTest::Run(lignes);
  }

  // A device point in millimetres from the current 0,0 (y up), through the 96 dpi conversion.
  static QPointF Mm(const QPointF& px) {
    return {px.x() / PxParMm - (Repere.OrigineX + Repere.CTx),
            (HauteurImage - px.y()) / PxParMm - (Repere.OrigineY + Repere.CTy)};
  }
  // The marks: every line after the first 'saute' (the scale line itself).
  std::vector<Primitive> Marques(size_t saute = 1) {
    const auto l = Lignes();
    if (l.size() <= saute) return {};
    return {l.begin() + static_cast<long>(saute), l.end()};
  }
  bool Erreur() { return !Messages().empty(); }
};

#define EXPECT_MM(p, ex, ey)                \
  do {                                      \
    const QPointF q_ = Mm(p);               \
    EXPECT_NEAR(q_.x(), (ex), 0.01) << "x"; \
    EXPECT_NEAR(q_.y(), (ey), 0.01) << "y"; \
  } while (0)

TEST_F(GraduationsTest, LinearAndPowerMarksOnAHorizontalLine) {
  Run(QStringList{"Droite = 0, 100, 0", "Grad = 10, 3"});
  ASSERT_FALSE(Erreur()) << Messages()[0].texte.toStdString();
  ASSERT_EQ(Cadrage.EchelleX, 1.0);
  auto m = Marques();
  ASSERT_EQ(m.size(), 11u);
  for (int i = 0; i <= 10; ++i) {
    EXPECT_MM(m[i].Points[0], 10.0 * i, 0);
    EXPECT_MM(m[i].Points[1], 10.0 * i, 3);
  }

  // Indices 2 to 5, a last index of 7.9 stops at 7, and a first index past the last draws nothing.
  Run(QStringList{"Droite = 0, 100, 0", "Grad = 10, 3, 2, 5", "Grad = 10, 2, 6, 7.9", "Grad = 10, 2, 8, 3"});
  m = Marques();
  ASSERT_EQ(m.size(), 6u);
  EXPECT_MM(m[0].Points[0], 20, 0);
  EXPECT_MM(m[3].Points[0], 50, 0);
  EXPECT_MM(m[5].Points[1], 70, 2);

  // N and the last index empty: the last index is 0, one mark at the start.
  Run(QStringList{"Droite = 10, 90R, 5", "Grad = , 4"});
  m = Marques();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_MM(m[0].Points[0], 10, 5);
  EXPECT_MM(m[0].Points[1], 10, 9);

  // Exponent 2: the marks at the square roots of the index fractions.
  Run(QStringList{"Exposant = 2", "Droite = 0, 100, 0", "Grad = 4, 2"});
  m = Marques();
  ASSERT_EQ(m.size(), 5u);
  const double attendu[] = {0, 50, 70.7107, 86.6025, 100};
  for (int i = 0; i < 5; ++i) EXPECT_MM(m[i].Points[0], attendu[i], 0);

  // The inversion turns every mark to the other side; the mark angle tilts it.
  Run(QStringList{"Droite = 0, 100, 0", "Inversion", "Grad = 2, 3", "Inversion", "Grad = 2, 4§90"});
  m = Marques();
  ASSERT_EQ(m.size(), 6u);
  EXPECT_MM(m[1].Points[1], 50, -3);
  EXPECT_MM(m[4].Points[0], 50, 0);
  EXPECT_MM(m[4].Points[1], 46, 0);
}

TEST_F(GraduationsTest, VerticalLineRotationStyleAndColour) {
  Run(QStringList{"DroiteV = 0, 50, 10", "Grad = 5, 4§30, , , 3, Rouge"});
  ASSERT_FALSE(Erreur());
  auto m = Marques();
  ASSERT_EQ(m.size(), 6u);
  for (int i = 0; i <= 5; ++i) {
    EXPECT_MM(m[i].Points[0], 10, 10.0 * i);
    EXPECT_MM(m[i].Points[1], 10 + 4 * std::cos(30 * Rad), 10.0 * i + 4 * std::sin(30 * Rad));
    EXPECT_EQ(m[i].Couleur, 255u);
    EXPECT_EQ(m[i].Epaisseur, 3);
  }
  EXPECT_EQ(Sortie->DrawWidth, 1) << "the command's own style ends with it";

  // A scale line turned by 90 degrees turns its marks with it.
  Run(QStringList{"Droite = 0, 100§90, 0", "Grad = 2, 3"});
  m = Marques();
  ASSERT_EQ(m.size(), 3u);
  EXPECT_MM(m[1].Points[0], 0, 50);
  EXPECT_MM(m[1].Points[1], -3, 50);
}

TEST_F(GraduationsTest, ArcMarksConcentricAndAboutAnOffsetPivot) {
  Run(QStringList{"Arc = 0, 180, 50", "Grad = 4, 5"});
  ASSERT_FALSE(Erreur()) << Messages()[0].texte.toStdString();
  auto m = Lignes();
  ASSERT_EQ(m.size(), 5u);
  for (int i = 0; i <= 4; ++i) {
    const double a = 45.0 * i * Rad;
    EXPECT_MM(m[i].Points[0], -50 * std::cos(a), 50 * std::sin(a));
    EXPECT_MM(m[i].Points[1], -55 * std::cos(a), 55 * std::sin(a));
  }

  // The pivot 20 above the centre: each mark runs along the ray from the centre, from the drawn
  // arc about the pivot out to the circle about the pivot through the point at radius 55.
  Run(QStringList{"Decal = 20", "Arc = 45, 135, 50", "Grad = 2, 5"});
  ASSERT_FALSE(Erreur()) << Messages()[0].texte.toStdString();
  m = Marques(2);  // after the cross at the pivot
  ASSERT_EQ(m.size(), 3u);
  const double d = -20;
  auto distance = [d](double r, double a) {  // from the pivot to the point of angle a, radius r
    return std::sqrt(d * d + r * r - 2 * d * r * std::cos((a + 90) * Rad));
  };
  const double r1 = distance(50, 45), r2 = distance(55, 45);
  for (int i = 0; i <= 2; ++i) {
    const double a = (45 + 45.0 * i) * Rad;
    // Where the ray from the centre at angle a meets the circle of radius r about the pivot.
    auto surRayon = [&](double r) {
      const double produit = std::sin(a) * -d;
      const double t = produit + std::sqrt(produit * produit - d * d + r * r);
      return QPointF(-t * std::cos(a), t * std::sin(a));
    };
    const QPointF b = surRayon(r1), c = surRayon(r2);
    EXPECT_MM(m[i].Points[0], b.x(), b.y());
    EXPECT_MM(m[i].Points[1], c.x(), c.y());
  }
}

TEST_F(GraduationsTest, LogarithmicRuns) {
  // 1 to 100: 1, 2, ..., 9, 10, 20, ..., 90, 100.
  Run(QStringList{"Exposant = L, 2", "Droite = 0, 100, 0", "Grad = 1, 3"});
  ASSERT_FALSE(Erreur()) << Messages()[0].texte.toStdString();
  auto m = Marques();
  ASSERT_EQ(m.size(), 19u);
  std::vector<double> valeurs;
  for (int dec = 0; dec < 2; ++dec)
    for (int k = 1; k <= 9; ++k) valeurs.push_back(k * std::pow(10, dec));
  valeurs.push_back(100);
  for (size_t i = 0; i < valeurs.size(); ++i) EXPECT_MM(m[i].Points[0], 50 * std::log10(valeurs[i]), 0);

  // A limit of 5: the marks stop at 5 in each decade. A last value between marks stops below it.
  Run(QStringList{"Exposant = L, 2", "Droite = 0, 100, 0", "Grad = 1§5, 3", "Grad = 1, 2, 3, 25"});
  ASSERT_FALSE(Erreur());
  m = Marques();
  ASSERT_EQ(m.size(), 11u + 9u);
  const double limite[] = {1, 2, 3, 4, 5, 10, 20, 30, 40, 50, 100};
  for (int i = 0; i < 11; ++i) EXPECT_MM(m[i].Points[0], 50 * std::log10(limite[i]), 0);
  const double partiel[] = {3, 4, 5, 6, 7, 8, 9, 10, 20};
  for (int i = 0; i < 9; ++i) EXPECT_MM(m[11 + i].Points[1], 50 * std::log10(partiel[i]), 2);

  // A scale that starts below 1 starts on the marks of its own decade: 0.5 to 0.9, 1 to 9, 10.
  Run(QStringList{"Exposant = L, 1, 0.5, 1", "Droite = 0, 100, 0", "Grad = 1, 3"});
  ASSERT_FALSE(Erreur());
  m = Marques();
  ASSERT_EQ(m.size(), 15u);
  EXPECT_MM(m[0].Points[0], 0, 0);
  EXPECT_MM(m[5].Points[0], 100 * std::log10(2.0) / std::log10(20.0), 0);
  EXPECT_MM(m[14].Points[0], 100, 0);

  // Step 2 from a start mantissa of 1 begins at 1; on an arc from 1 to 10.
  Run(QStringList{"Exposant = L", "Arc = 0, 90, 40", "Grad = 2, 4"});
  ASSERT_FALSE(Erreur());
  m = Lignes();
  const double pairs[] = {1, 2, 4, 6, 8, 10};
  ASSERT_EQ(m.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    const double a = 90 * std::log10(pairs[i]) * Rad;
    EXPECT_MM(m[i].Points[1], -44 * std::cos(a), 44 * std::sin(a));
  }
}

TEST_F(GraduationsTest, FaultsAreRunErrors) {
  // A step of 0, a negative step and a step too small to move the mantissa.
  for (const char* pas : {"0", "-1", "0.00001"}) {
    Run(QStringList{"Exposant = L, 2", "Droite = 0, 100, 0", QStringLiteral("Grad = %1, 3").arg(pas)});
    EXPECT_EQ(Messages().size(), 1u) << pas;
    EXPECT_LE(Marques().size(), 1u) << pas;
  }
  // A negative first value has no mantissa.
  Run(QStringList{"Exposant = L, 2", "Droite = 0, 100, 0", "Grad = 1, 3, -5"});
  EXPECT_EQ(Messages().size(), 1u);

  // The 16-bit counter: a first index out of range, and a run that passes 32767.
  Run(QStringList{"Droite = 0, 100, 0", "Grad = 10, 3, 40000"});
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Marques().empty());
  Run(QStringList{"Droite = 0, 100, 0", "Grad = 10, 3, 32766, 32768"});
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Marques().size(), 2u) << "the marks drawn before the overflow stay";

  // A scale of no extent.
  Run(QStringList{"Droite = 10, 10, 0", "Grad = 10, 3"});
  EXPECT_EQ(Messages().size(), 1u);

  // Before any scale line: the order error.
  Run(QStringList{"Grad = 10, 3"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains("Erreur ordre commandes")) << Messages()[0].texte.toStdString();

  // Grad1 with a list marker but no variable name.
  Run(QStringList{"Droite = 0, 100, 0", "Grad1 = 10§L, 3"});
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Marques().empty());
}

TEST_F(GraduationsTest, LongRunsStopOnRequest) {
  DefinitDoEvents([this] {
    if (Primitives().size() > 100) Arret = true;
  });
  Run(QStringList{"Droite = 0, 100, 0", "Grad = 30000, 3"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_GT(Marques().size(), 100u);
  EXPECT_LT(Marques().size(), 30000u);

  // A fine step walks a long way between marks (1, 10 and 100 here): the walk itself stops.
  int appels = 0;
  DefinitDoEvents([&appels] {
    if (++appels > 10) Arret = true;
  });
  Run(QStringList{"Exposant = L, 2", "Droite = 0, 100, 0", "Grad = 0.0001§-1, 3"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_LT(Marques().size(), 3u);
}

TEST_F(GraduationsTest, SingleMarks) {
  Run(QStringList{"Droite = 0, 100, 0", "Grad1 = 50, 5"});
  ASSERT_FALSE(Erreur()) << Messages()[0].texte.toStdString();
  auto m = Marques();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_MM(m[0].Points[0], 50, 0);
  EXPECT_MM(m[0].Points[1], 50, 5);
  EXPECT_NEAR(Repere.XCourant - (Repere.OrigineX + Repere.CTx), 50, 0.01);
  EXPECT_NEAR(Repere.YCourant - (Repere.OrigineY + Repere.CTy), 5, 0.01);

  // Two groups, the second red; a length of 0 draws nothing but moves the current point.
  Run(QStringList{"Droite = 0, 100, 0", "Grad1 = 10, 2, , , 20, 4, , Rouge", "Grad1 = 70, 0"});
  m = Marques();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].Couleur, 0u);
  EXPECT_EQ(m[1].Couleur, 255u);
  EXPECT_MM(m[1].Points[1], 20, 4);
  EXPECT_NEAR(Repere.XCourant - (Repere.OrigineX + Repere.CTx), 70, 0.01);

  // A degree sign: an absolute angle on an arc, whatever the law; a position on a straight line.
  Run(QStringList{"Exposant = 2", "Arc = 0, 180, 50", "Grad1 = 30°, 5, , , 50, 5"});
  m = Lignes();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_MM(m[0].Points[0], -50 * std::cos(30 * Rad), 50 * std::sin(30 * Rad));
  const double a = 180 * std::sqrt(0.5) * Rad;
  EXPECT_MM(m[1].Points[1], -55 * std::cos(a), 55 * std::sin(a));
  Run(QStringList{"Droite = 0, 50, 0", "Grad1 = 30°, 5"});
  EXPECT_MM(Marques()[0].Points[0], 30, 0);

  // A list variable repeats the group once per field; an empty one draws nothing.
  Run(QStringList{"%L = 10, 20, 30", "Droite = 0, 100, 0", "Grad1 = %L§%L, 3"});
  ASSERT_FALSE(Erreur()) << Messages()[0].texte.toStdString();
  m = Marques();
  ASSERT_EQ(m.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_MM(m[i].Points[0], 10.0 * (i + 1), 0);
  EXPECT_EQ(Lecture.SlotListe, 0);
  Run(QStringList{"%L = ", "Droite = 0, 100, 0", "Grad1 = %L§%L, 3"});
  EXPECT_FALSE(Erreur());
  EXPECT_TRUE(Marques().empty());

  // Logarithmic: the value's place on the scale.
  Run(QStringList{"Exposant = L, 2", "Droite = 0, 100, 0", "Grad1 = 10, 3, , , 50, 3"});
  m = Marques();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_MM(m[0].Points[0], 50, 0);
  EXPECT_MM(m[1].Points[0], 50 * std::log10(50), 0);
}

}  // namespace
