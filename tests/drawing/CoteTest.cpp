// The Cote statement: extension lines, the dimension line, its arrows and the measured text.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "DrawingFixture.h"
#include "drawing/DrawState.h"
#include "platform/OutputSurface.h"

namespace {

constexpr double Rad = 0.017453293;

class CoteTest : public DrawingTest {
 protected:
  // Each run starts without the messages of the runs before.
  void Run(const QString& programme) {
    Session().Prompteur().Efface();
    DrawingTest::Run(programme);
  }
  void Run(const QStringList& lignes) { Run(lignes.join(QStringLiteral("\r\n"))); }

  std::vector<Primitive> Textes() { return DuGenre(Primitive::Genre::Texte); }

  double Largeur(const PoliceSortie& police, const QString& texte) {
    const PoliceSortie sauve = Sortie->Font;
    Sortie->Font = police;
    const double l = Sortie->TextWidth(texte);
    Sortie->Font = sauve;
    return l;
  }
  double HauteurX(const PoliceSortie& police) {
    const PoliceSortie sauve = Sortie->Font;
    Sortie->Font = police;
    const double h = -Sortie->TextHeight(QStringLiteral("X"));
    Sortie->Font = sauve;
    return h;
  }
  // The left end of a text's base line, in device pixels.
  QPointF BasePx(const Primitive& p) {
    const PoliceSortie sauve = Sortie->Font;
    Sortie->Font = p.Police;
    const double montee = Sortie->MetriquesTextePx().Ascent;
    Sortie->Font = sauve;
    const double a = p.Angle * Rad;
    return {p.Points[0].x() + montee * std::sin(a), p.Points[0].y() + montee * std::cos(a)};
  }
};

TEST_F(CoteTest, HorizontalDimensionWithOpenArrowsAndDistance) {
  Run(QStringLiteral("Cote = 0,0,50,0,10,8,,,3,,,,,,,,%DIST mm"));
  EXPECT_TRUE(Messages().empty());
  const auto l = Lignes();
  ASSERT_EQ(l.size(), 7u);
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l[0].Points[1], Px(0, 10));
  EXPECT_POINT(l[1].Points[0], Px(50, 0));
  EXPECT_POINT(l[1].Points[1], Px(50, 10));
  EXPECT_POINT(l[2].Points[0], Px(0, 8));
  EXPECT_POINT(l[2].Points[1], Px(50, 8));
  // 60 degrees open, the tips on the ends, pointing outwards.
  const double ax = 3 * std::cos(30 * Rad), ay = 3 * std::sin(30 * Rad);
  EXPECT_POINT(l[3].Points[0], Px(0, 8));
  EXPECT_POINT(l[3].Points[1], Px(ax, 8 + ay));
  EXPECT_POINT(l[4].Points[1], Px(ax, 8 - ay));
  EXPECT_POINT(l[5].Points[0], Px(50, 8));
  EXPECT_POINT(l[5].Points[1], Px(50 - ax, 8 - ay));
  EXPECT_POINT(l[6].Points[1], Px(50 - ax, 8 + ay));
  for (const Primitive& p : l) EXPECT_EQ(p.Couleur, 0u);

  const auto t = Textes();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].Texte, "50 mm");
  EXPECT_NEAR(t[0].Angle, 0, 1e-9);
  const double tw = Largeur(t[0].Police, "50 mm"), hx = HauteurX(t[0].Police);
  EXPECT_POINT(BasePx(t[0]), Px(25 - tw / 2, 8 + 0.3 * hx));
  EXPECT_NEAR(Repere.XCourant, 25 + tw / 2, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 8 + 0.3 * hx, 1e-4);
}

TEST_F(CoteTest, HiddenLengthArrowEndsAndTextBeyondTheEnds) {
  // Extension lines start 2 from their points; the dimension line stays at 8.
  Run(QStringLiteral("Cote = 0,0,50,0,10§2,8,,,3,,,,,,,,A"));
  auto l = Lignes();
  ASSERT_EQ(l.size(), 7u);
  EXPECT_POINT(l[0].Points[0], Px(0, 2));
  EXPECT_POINT(l[2].Points[0], Px(0, 8));

  // "-": the arrowheads inside-out, the strokes outside the dimension line.
  Run(QStringLiteral("Cote = 0,0,50,0,10,8,,,-,,,,,,,,A"));
  l = Lignes();
  ASSERT_EQ(l.size(), 7u);
  const double ax = std::cos(30 * Rad), ay = std::sin(30 * Rad);
  EXPECT_POINT(l[3].Points[1], Px(-ax, 8 - ay));
  EXPECT_POINT(l[5].Points[1], Px(50 + ax, 8 + ay));

  // "§1": the extension line and the arrow of the first end only.
  Run(QStringLiteral("Cote = 0,0,50,0,10,8,,,3§1,,,,,,,,A"));
  l = Lignes();
  ASSERT_EQ(l.size(), 4u);
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l[1].Points[1], Px(50, 8));
  EXPECT_POINT(l[2].Points[0], Px(0, 8));
  EXPECT_POINT(l[3].Points[0], Px(0, 8));

  // The text at 150 percent: beyond the second end, with the dimension line running on under it.
  Run(QStringLiteral("Cote = 0,0,50,0,10,8,,,3,,,,150,,,,Label"));
  l = Lignes();
  auto t = Textes();
  ASSERT_EQ(t.size(), 1u);
  const double tw = Largeur(t[0].Police, "Label"), iw = Largeur(t[0].Police, "I");
  EXPECT_POINT(l[2].Points[0], Px(0, 8));
  EXPECT_POINT(l[2].Points[1], Px(75 + tw / 2 + iw, 8));
  EXPECT_NEAR(BasePx(t[0]).x(), Px(75 - tw / 2, 0).x(), 0.01);
  Run(QStringLiteral("Cote = 0,0,50,0,10,8,,,3,,,,-50,,,,Label"));
  l = Lignes();
  EXPECT_POINT(l[2].Points[0], Px(-25 - tw / 2 - iw, 8));
  EXPECT_POINT(l[2].Points[1], Px(50, 8));
}

TEST_F(CoteTest, VerticalTurnedAndFilled) {
  // P2 straight above P1: the extension lines go to the left.
  Run(QStringLiteral("Cote = 0,0,0,50,10,8,,,3,,,,,,,,V"));
  auto l = Lignes();
  ASSERT_EQ(l.size(), 7u);
  EXPECT_POINT(l[0].Points[1], Px(-10, 0));
  EXPECT_POINT(l[2].Points[0], Px(-8, 0));
  EXPECT_POINT(l[2].Points[1], Px(-8, 50));
  ASSERT_EQ(Textes().size(), 1u);
  EXPECT_NEAR(Textes()[0].Angle, 90, 1e-9);

  // The whole figure turned 30 degrees about the origin, the text with it.
  Run(QStringLiteral("Cote = 10,0§30,50,0,10,8,,,3,,,,,,,,T"));
  l = Lignes();
  ASSERT_EQ(l.size(), 7u);
  const double c = std::cos(30 * Rad), s = std::sin(30 * Rad);
  EXPECT_POINT(l[0].Points[0], Px(10 * c, 10 * s));
  EXPECT_POINT(l[0].Points[1], Px(10 * c - 10 * s, 10 * s + 10 * c));
  ASSERT_EQ(Textes().size(), 1u);
  EXPECT_NEAR(Textes()[0].Angle, 30, 1e-9);

  // Filled arrows: one triangle per end, in the arrow colour; turned with the command.
  Run(QStringLiteral("Cote = 0,0§30,50,0,10,8,,,3,P1,,BLUE,,,,,T"));
  const auto p = Polygones();
  ASSERT_EQ(p.size(), 2u);
  ASSERT_EQ(p[0].Points.size(), 3);
  EXPECT_EQ(p[0].Couleur, 0xFF0000u);
  ASSERT_TRUE(p[0].Remplissage.has_value());
  EXPECT_EQ(*p[0].Remplissage, 0xFF0000u);
  const QPointF tip1 = Px(-8 * s, 8 * c), tip2 = Px(50 * c - 8 * s, 50 * s + 8 * c);
  EXPECT_NEAR(p[0].Points[0].x(), tip1.x(), 0.5);
  EXPECT_NEAR(p[0].Points[0].y(), tip1.y(), 0.5);
  EXPECT_NEAR(p[1].Points[0].x(), tip2.x(), 0.5);
  EXPECT_NEAR(p[1].Points[0].y(), tip2.y(), 0.5);
  const QPointF pied = Px(-8 * s + 3 * std::cos(60 * Rad), 8 * c + 3 * std::sin(60 * Rad));
  EXPECT_NEAR(p[0].Points[1].x(), pied.x(), 0.5);
  EXPECT_NEAR(p[0].Points[1].y(), pied.y(), 0.5);
  EXPECT_EQ(Lignes().size(), 3u) << "two extension lines and the dimension line";
  EXPECT_EQ(Sortie->FillStyle, 1);

  // "1": two strokes per arrow, 1 pixel wide; the pen is given back afterwards.
  Run(QStringList{"EpaisT = 2", "Cote = 0,0,50,0,10,8,,,3,1,,,,,,,T", "Trait = 0,0,1,1"});
  l = Lignes();
  ASSERT_EQ(l.size(), 8u);
  EXPECT_EQ(l[0].Epaisseur, 2);
  EXPECT_EQ(l[3].Epaisseur, 1);
  EXPECT_EQ(l[7].Epaisseur, 2);
}

TEST_F(CoteTest, ColoursStyleAndText) {
  // No extension lines; the dimension line red; the arrows blue; the text the dimension's red.
  Run(QStringLiteral("Cote = 0,0,50,0,10,8,N§RED,,3,,,BLUE,,,,,A"));
  auto l = Lignes();
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l[0].Couleur, 255u);
  EXPECT_EQ(l[1].Couleur, 0xFF0000u);
  ASSERT_EQ(Textes().size(), 1u);
  EXPECT_EQ(Textes()[0].Couleur, 255u);

  // Everything "N": nothing drawn.
  Run(QStringLiteral("Cote = 0,0,50,0,10,8,N,,3,,,,,,,,A"));
  EXPECT_TRUE(Lignes().empty());
  EXPECT_TRUE(Textes().empty());

  // Style: size, bold, text angle and font; given back afterwards. Expressions and separators.
  Run(QStringList{"%A = 4", "Cote = 0,0,50,0,10,8,,,3,,,,,,,12GR90§Arial,L=%DIST; #%A*2#$£5, x"});
  EXPECT_TRUE(Messages().empty());
  const auto t = Textes();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].Texte, "L=50; 8,5, x");
  EXPECT_DOUBLE_EQ(t[0].Police.Size, 12);
  EXPECT_TRUE(t[0].Police.Bold);
  EXPECT_EQ(t[0].Police.Name, "ARIAL");
  EXPECT_NEAR(t[0].Angle, 90, 1e-9);
  EXPECT_EQ(Sortie->Font.Name, "Times New Roman");
  EXPECT_DOUBLE_EQ(Sortie->Font.Size, 8);
  EXPECT_FALSE(Sortie->Font.Bold);

  Run(QStringLiteral("Cote = 0,0,50,0,10,8,,,3,,,,,,,RB,A"));
  EXPECT_EQ(Messages().size(), 1u) << "an R without an angle";
  Run(QStringLiteral("Cote = 0,0,50,0,10,8,,,3,,,,,,,§NoSuchFontAnywhere,A"));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].texte, "Pas de police NOSUCHFONTANYWHERE");
  EXPECT_EQ(Textes().size(), 1u);
}

TEST_F(CoteTest, ArrowStyleHoldsForTheArrowsOnly) {
  // A style field with a separator draws the arrows solid; the dashed pen of the program stays
  // dashed for what follows, with open and with filled arrows alike.
  for (const char* fleche : {"1§C", "P1§C"}) {
    Run(QStringList{"EpaisT = 1§R§2",
                    QStringLiteral("Cote = 0,0,50,0,10,8,N§N,,3,%1,,BLUE,,,N,,A").arg(fleche),
                    "Trait = 0, 50, 20, 50"});
    EXPECT_TRUE(Messages().empty()) << fleche;
    EXPECT_FLOAT_EQ(Plume.TiretL1, 2) << fleche;
    const auto l = Lignes();
    const auto trait = std::count_if(l.begin(), l.end(), [](const Primitive& p) {
      return std::fabs(p.Points[0].y() - Px(0, 50).y()) < 0.01;
    });
    EXPECT_EQ(trait, 5) << fleche << ": dashes of 2 with gaps of 2 over 20";
  }
}

}  // namespace
