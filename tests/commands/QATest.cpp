// The QA statements run as programs: the row of dovetails along a line, its pitch and start
// fraction, the return lines of both sides, the inclined and hopper flanks, and the failures.

#include <gtest/gtest.h>

#include <cmath>

#include "CommandsFixture.h"
#include "drawing/DrawState.h"

namespace {

class QATest : public CommandsTest {
 protected:
  static QPointF Mm(const QPointF& p) { return {p.x() / PxParMm, (HauteurImage - p.y()) / PxParMm}; }
  static QPointF Milieu(const Primitive& l) { return Mm((l.Points[0] + l.Points[1]) / 2); }
  void Erreur(const QString& programme) {
    Session().Prompteur().Efface();
    Run(programme);
    EXPECT_EQ(Messages().size(), 1u) << programme.toStdString();
    Session().Prompteur().Efface();
  }
};

constexpr uint32_t Rouge = 255, Bleu = 16711680;
const double T9 = std::tan(9 * 0.017453293);

TEST_F(QATest, TailsAlongTheLine) {
  Run(QStringLiteral("QA = 0, 0, 100, 0, 4, 10"));
  EXPECT_TRUE(Messages().empty());
  auto l = Lignes();
  ASSERT_EQ(l.size(), 20u);
  // Base, first flank, top, second flank, base: each pitch 25 long.
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l[0].Points[1], Px(6.25 + 5 * T9, 0));
  EXPECT_POINT(l[1].Points[1], Px(6.25 - 5 * T9, 10));
  EXPECT_POINT(l[2].Points[1], Px(18.75 + 5 * T9, 10));
  EXPECT_POINT(l[3].Points[1], Px(18.75 - 5 * T9, 0));
  EXPECT_POINT(l[4].Points[1], Px(25, 0));
  for (int i = 0; i < 4; ++i) {
    const size_t k = static_cast<size_t>(5 * i);
    // 12.5 wide at mid-height, on the upper side.
    EXPECT_NEAR(Milieu(l[k + 3]).x() - Milieu(l[k + 1]).x(), 12.5, 1e-3);
    EXPECT_NEAR(Milieu(l[k + 1]).y(), 5, 1e-3);
    EXPECT_POINT(l[k].Points[0], Px(25 * i, 0));
  }
  EXPECT_POINT(l[19].Points[1], Px(100, 0));
  EXPECT_NEAR(Repere.XCourant, 100, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 0, 1e-4);

  // A fractional count: half of the spare half pitch before the first tail, the rest after the last.
  Run(QStringLiteral("QA = 0, 0, 100, 0, 2.5, 10"));
  l = Lignes();
  ASSERT_EQ(l.size(), 10u);
  EXPECT_POINT(l[0].Points[1], Px(20 + 5 * T9, 0));
  EXPECT_POINT(l[4].Points[1], Px(50, 0));
  EXPECT_POINT(l[9].Points[0], Px(80 - 5 * T9, 0));
  EXPECT_POINT(l[9].Points[1], Px(100, 0));

  // A negative height: tails below, the slope turned with them.
  Run(QStringLiteral("QA = 0, 0, 100, 0, 4, -10"));
  l = Lignes();
  EXPECT_POINT(l[0].Points[1], Px(6.25 + 5 * T9, 0));
  EXPECT_POINT(l[1].Points[1], Px(6.25 - 5 * T9, -10));

  // Rapport 0: the flanks of a tail cross at mid-height; 100: those of neighbouring tails do.
  Run(QStringLiteral("QA = 0, 0, 100, 0, 4, 10, , 0"));
  l = Lignes();
  EXPECT_POINT(QPointF(Milieu(l[1])), QPointF(Milieu(l[3])));
  Run(QStringLiteral("QA = 0, 0, 100, 0, 4, 10, , 100"));
  l = Lignes();
  EXPECT_POINT(QPointF(Milieu(l[3])), QPointF(Milieu(l[6])));

  // Slope 0 and an inclination of 5 degrees: both flanks lean the same way.
  Run(QStringLiteral("QA = 0, 0, 100, 0, 4, 10, §5"));
  l = Lignes();
  const double t5 = std::tan(5 * 0.017453293);
  const QPointF f1 = Mm(l[1].Points[1]) - Mm(l[1].Points[0]);
  const QPointF f2 = Mm(l[3].Points[0]) - Mm(l[3].Points[1]);
  EXPECT_NEAR(f1.x(), -10 * t5, 1e-3);
  EXPECT_NEAR(f2.x(), -10 * t5, 1e-3);
  EXPECT_NEAR(f1.y(), 10, 1e-3);

  // A vertical line has its tails on its left; the command's angle turns the line.
  Run(QStringLiteral("QA = 0, 0, 0, 100, 4, 10"));
  EXPECT_TRUE(Messages().empty());
  l = Lignes();
  ASSERT_EQ(l.size(), 20u);
  EXPECT_NEAR(Mm(l[1].Points[1]).x(), -10, 1e-3);
  EXPECT_POINT(l[19].Points[1], Px(0, 100));
  Run(QStringLiteral("QA = 0, 0§90, 100, 0, 4, 10, , , , rouge"));
  l = Lignes();
  EXPECT_POINT(l[19].Points[1], Px(0, 100));
  EXPECT_EQ(l[0].Couleur, Rouge);
  EXPECT_NEAR(Repere.XCourant, 0, 1e-3);
  EXPECT_NEAR(Repere.YCourant, 100, 1e-3);
  EXPECT_NEAR(Repere.XRot, 100, 1e-3);
  EXPECT_NEAR(Repere.YRot, 0, 1e-3);
}

TEST_F(QATest, ReturnLines) {
  // Side 1: returns away from the tails at P1, at the feet of every tail and at P2, and the far
  // face joining the first and the last.
  Run(QStringLiteral("QA1 = 0, 0, 100, 0, 4, 10§5, , , , rouge§bleu"));
  auto l = Lignes();
  ASSERT_EQ(l.size(), 20u + 1 + 8 + 2);
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l[0].Points[1], Px(0, -5));
  EXPECT_EQ(l[0].Couleur, Bleu);
  EXPECT_EQ(l[1].Couleur, Rouge);
  EXPECT_POINT(l[2].Points[0], Px(6.25 + 5 * T9, 0));
  EXPECT_POINT(l[2].Points[1], Px(6.25 + 5 * T9, -5));
  const Primitive& face = l[l.size() - 2];
  EXPECT_POINT(face.Points[0], Px(0, -5));
  EXPECT_POINT(face.Points[1], Px(100, -5));
  EXPECT_EQ(face.Couleur, Bleu);
  EXPECT_POINT(l.back().Points[1], Px(100, 0));

  // Side 2: returns on the tail side at the top corners and at the board ends, their far face,
  // and the board ends in the main colour. "/" also parts the colours.
  Run(QStringLiteral("QA2 = 0, 0, 100, 0, 4, 10, , , , rouge/bleu"));
  l = Lignes();
  ASSERT_EQ(l.size(), 20u + 1 + 8 + 4);
  EXPECT_POINT(l[0].Points[0], Px(0, 10));
  EXPECT_POINT(l[0].Points[1], Px(0, 20));
  EXPECT_EQ(l[0].Couleur, Bleu);
  const size_t fin = l.size();
  EXPECT_POINT(l[fin - 5].Points[0], Px(0, 20));
  EXPECT_POINT(l[fin - 5].Points[1], Px(100, 20));
  EXPECT_POINT(l[fin - 4].Points[0], Px(100, 10));
  EXPECT_POINT(l[fin - 4].Points[1], Px(100, 20));
  EXPECT_POINT(l[fin - 3].Points[1], Px(0, 10));
  EXPECT_EQ(l[fin - 3].Couleur, Rouge);
  EXPECT_POINT(l[fin - 2].Points[1], Px(100, 10));

  Run(QStringLiteral("QA12 = 0, 0, 100, 0, 4, 10"));
  EXPECT_EQ(Lignes().size(), 20u + 2 + 16 + 2 + 4);

  // Hopper mode: the returns lean by the working inclination, the other way with "T-".
  const double i0 = 5 * 0.017453293;
  const double I = 3.14159265358979 / 2 - std::atan(1 / std::sin(i0));
  const double alpha = std::atan(std::tan(i0) * std::sin(I));
  const double e = 10 / std::cos(alpha);
  Run(QStringLiteral("QA1 = 0, 0, 100, 0, 4, 10, 9§5§T"));
  EXPECT_TRUE(Messages().empty());
  QPointF r = Mm(Lignes()[0].Points[1]);
  EXPECT_NEAR(r.x(), e * std::tan(I), 1e-3);
  EXPECT_NEAR(r.y(), -e, 1e-3);
  Run(QStringLiteral("QA1 = 0, 0, 100, 0, 4, 10, 9§5§ t-"));
  r = Mm(Lignes()[0].Points[1]);
  EXPECT_NEAR(r.x(), -e * std::tan(I), 1e-3);
  EXPECT_NEAR(r.y(), -e, 1e-3);
}

TEST_F(QATest, Failures) {
  Erreur(QStringLiteral("QA = 0, 0, 100, 0, 0.5, 10"));
  Erreur(QStringLiteral("QA = 0, 0, 100, 0, , 10"));
  Erreur(QStringLiteral("QA = 0, 0, 100, 0, 4, 10, , 101"));
  Erreur(QStringLiteral("QA = 0, 0, 100, 0, 4, 10, , -1"));
  Erreur(QStringLiteral("QA = 10, 10, 10, 10, 4, 10"));
  Erreur(QStringLiteral("QA = 0, 0, 100, 0, 4, 10, 9§0§T"));
  EXPECT_TRUE(Lignes().empty());
}

}  // namespace
