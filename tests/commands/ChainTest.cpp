// The hanging-chain solver against catenaries solved independently in closed form (the vertex
// from the artanh of drop / length, the parameter from 2a·sh(dx / 2a) = √(L² − dy²)), and the
// Chain statement: the points it draws, the results it returns and the chains it refuses.

#include <gtest/gtest.h>

#include <QStringList>
#include <cmath>

#include "CommandsFixture.h"
#include "commands/Catenary.h"
#include "platform/Events.h"
#include "platform/RunError.h"

namespace {

double S(double x, double a, double dx) { return a * (std::sinh(x / a) + std::sinh((dx - x) / a)); }
double H(double x, double a, double dx) { return a * std::cosh(x / a) - a * std::cosh((dx - x) / a); }

struct Chaine {
  double dx = 100, dy = 0, L = 0, a = 0, theta = 0, x = 0;
  void Resout() { ResoutChainette(dx, dy, L, a, theta, x); }
};

TEST(CatenarySolver, HyperbolicFunctions) {
  EXPECT_EQ(Sh(0), 0);
  EXPECT_EQ(Ch(0), 1);
  EXPECT_EQ(ArgSh(0), 0);
  EXPECT_NEAR(ArgSh(Sh(1.5)), 1.5, 1e-12);
  EXPECT_NEAR(ArgSh(-Sh(20)), -20, 1e-9) << "no cancellation for large negative arguments";
  EXPECT_THROW(Sh(800), ErreurExecution);
  EXPECT_THROW(Ch(-800), ErreurExecution);
}

TEST(CatenarySolver, SolvesEachPatternOfZeros) {
  // Length given: the parameter and the vertex.
  Chaine b{100, 20, 120};
  b.Resout();
  EXPECT_NEAR(b.a, 48.9471925, 1e-4);
  EXPECT_NEAR(b.x, 58.2346857, 1e-4);
  EXPECT_NEAR(b.theta, 0.9800044, 1e-4);
  EXPECT_LT(std::fabs(S(b.x, b.a, 100) - 120), 1e-5);

  // A rising chain is the same chain seen from the other end.
  Chaine montee{100, -20, 120};
  montee.Resout();
  EXPECT_NEAR(montee.a, 48.9471925, 1e-4);
  EXPECT_NEAR(montee.x, 41.7653143, 1e-4);
  EXPECT_NEAR(H(montee.x, montee.a, 100), -20, 1e-4);

  // Parameter given: the fixed-point search stops within dx / 50000 of the drop.
  Chaine c{100, 20, 0, 50};
  c.Resout();
  EXPECT_LT(std::fabs(H(c.x, 50, 100) - 20), 0.002);
  EXPECT_NEAR(c.x, 58.4686331, 2e-3);
  EXPECT_NEAR(c.L, S(c.x, 50, 100), 1e-9);
  EXPECT_NEAR(c.L, 119.2098086, 2e-3);
  EXPECT_NEAR(c.theta, std::atan(std::sinh(c.x / 50)), 1e-12);

  // Parameter and length given, no drop: the drop.
  Chaine d{100, 0, 120, 50};
  d.Resout();
  EXPECT_NEAR(d.x, 60.2537687, 1e-4);
  EXPECT_NEAR(d.dy, 24.2697661, 1e-4);
  EXPECT_NEAR(d.theta, 0.9884894, 1e-4);

  // Parameter alone: the level chain, vertex in the middle.
  Chaine niveau{100, 0, 0, 50};
  niveau.Resout();
  EXPECT_NEAR(niveau.x, 50, 1e-9);
  EXPECT_NEAR(niveau.L, 117.5201194, 1e-4);

  // Starting angle given: stops within dy / 10000 of the drop.
  Chaine a{100, 20, 999, 0, 30 * 0.017453293};
  a.Resout();
  EXPECT_LT(std::fabs(H(a.x, a.a, 100) - 20), 0.002);
  // x is that of the step after the last height: the angle at the start is 30 degrees within the
  // tolerance of the search.
  EXPECT_NEAR(a.x / a.a, std::asinh(std::tan(30 * 0.017453293)), 1e-4);
  EXPECT_NEAR(a.a, 140.9762466, 0.05);
  EXPECT_NEAR(a.L, 104.0499786, 0.01);
  EXPECT_GT(a.L, std::sqrt(100.0 * 100 + 20 * 20));
  Chaine bas{100, -5, 0, 0, 0.5};
  bas.Resout();
  EXPECT_EQ(bas.dy, 1e-6);
  EXPECT_TRUE(std::isfinite(bas.a) && bas.a > 0);
  Chaine droit{100, 20, 0, 0, 90 * 0.017453293};
  droit.Resout();
  EXPECT_NEAR(std::sinh(droit.x / droit.a), 573, 0.01) << "a vertical start works as 89.9 degrees";

  // No pattern: nothing computed.
  Chaine rien{100, 0, 120};
  rien.Resout();
  EXPECT_EQ(rien.a, 0);
  EXPECT_EQ(rien.x, 0);
  EXPECT_EQ(rien.theta, 0);
}

TEST(CatenarySolver, ChainsThatCannotHangAreRunErrors) {
  auto echoue = [](Chaine c, const char* motif) {
    Incident.DetailErreur.clear();
    EXPECT_THROW(c.Resout(), ErreurExecution) << motif;
    EXPECT_TRUE(Incident.DetailErreur.contains(QLatin1String(motif))) << Incident.DetailErreur.toStdString();
    Incident.DetailErreur.clear();
  };
  echoue({100, 20, static_cast<float>(std::sqrt(100.0 * 100 + 20 * 20))}, "chord");
  echoue({100, 20, 90}, "chord");
  echoue({100, 0, 90, 50}, "length < DeltaX");
  echoue({-10, 20, 0, 50}, "span");
  echoue({-10, 20, 120}, "span");
  // A chain far longer than any parameter from 0.1 on allows.
  echoue({1, 0.5, 1e6}, "no convergence");

  Arret = true;
  EXPECT_THROW((Chaine{100, 20, 120}.Resout()), ErreurExecution);
  EXPECT_THROW((Chaine{100, 20, 0, 50}.Resout()), ErreurExecution);
  Arret = false;
}

class ChainTest : public CommandsTest {
 protected:
  QString Erreur() { return Messages().empty() ? QString() : Messages().back().texte; }
  std::vector<double> Valeurs(const QString& nom) {
    std::vector<double> v;
    for (const QString& t : Var(1, nom).split(QLatin1Char(','))) v.push_back(t.trimmed().toDouble());
    return v;
  }
  double Valeur(const QString& nom) { return Var(1, nom).toDouble(); }
};

TEST_F(ChainTest, DrawsTheCurveAndReturnsItsQuantities) {
  Run(QStringLiteral("Chain = 100, 20, 120, %a, %ang, , , %T, %X0, %XF, %YF"));
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  auto l = Lignes();
  ASSERT_EQ(l.size(), 100u);
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l[49].Points[1], Px(50, -38.2319727));
  EXPECT_POINT(l.back().Points[1], Px(100, -20));
  EXPECT_NEAR(Valeur("%a"), 48.9471925, 1e-4);
  const auto ang = Valeurs("%ang");
  ASSERT_EQ(ang.size(), 3u);
  EXPECT_NEAR(ang[0], 56.1501156, 1e-4);
  EXPECT_NEAR(ang[1], 43.8502140, 1e-4);
  EXPECT_EQ(ang[2], ang[0]);
  const auto t = Valeurs("%T");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_NEAR(t[0], 87.8734864, 1e-4);
  EXPECT_NEAR(t[1], 67.8734864, 1e-4);
  EXPECT_NEAR(Valeur("%X0"), 58.2346857, 1e-4);
  EXPECT_NEAR(Valeur("%XF"), 48.5093626, 1e-4);
  EXPECT_NEAR(Valeur("%YF"), -37.9569484, 1e-4);

  // Scale factors and a rotation after the name of field 13; factors of 0 draw at scale 1.
  Run(QStringLiteral("Chain = 100, 20, 120, , , 0.5, 2, , , , , , §90"));
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  l = Lignes();
  ASSERT_FALSE(l.empty());
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l.back().Points[1], Px(40, 50));
  Run(QStringLiteral("Chain = 100, 20, 120, , , 0, 0"));
  ASSERT_FALSE(Lignes().empty());
  EXPECT_POINT(Lignes().back().Points[1], Px(100, -20));

  // The starting angle given: the parameter and the length come back in the variables.
  // The variables of one run stay for the next, where they are inputs: each run has its own.
  Run(QStringLiteral("Chain = 100, 20, %L2, %a2, 30"));
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  EXPECT_NEAR(Valeur("%a2"), 140.9762466, 0.05);
  EXPECT_NEAR(Valeur("%L2"), 104.0499786, 0.01);

  // A given parameter and length, no drop: the drop is computed and returned.
  Run(QStringLiteral("Chain = 100, %dy3, 120, 50"));
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  EXPECT_NEAR(Valeur("%dy3"), 24.2697661, 1e-4);
  // A variable that holds a value is an input.
  Run(QStringList{QStringLiteral("%dy4 = 20"), QStringLiteral("Chain = 100, %dy4, 120, %a4")});
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  EXPECT_NEAR(Valeur("%a4"), 48.9471925, 1e-4);
}

TEST_F(ChainTest, ALoadSplitsTheChainIntoTwoArcs) {
  // A level chain of parameter 50 with a load of 10 at half its length: by symmetry the load
  // sits in the middle, each half pulling up half of it.
  Run(QStringList{QStringLiteral("%a = 50"),
                  QStringLiteral("Chain = 100, 0, %L§50%§10, %a, , , , , , , , %XC, %YC")});
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  EXPECT_NEAR(Valeur("%L"), 117.5201194, 1e-4);
  const auto xc = Valeurs("%XC"), yc = Valeurs("%YC"), a = Valeurs("%a");
  ASSERT_EQ(xc.size(), 3u);
  ASSERT_EQ(yc.size(), 3u);
  ASSERT_EQ(a.size(), 3u);
  EXPECT_NEAR(xc[0], 50, 0.1);
  EXPECT_NEAR(yc[0], -28.1311829, 0.05);
  EXPECT_NEAR(xc[1], 50, 1e-4) << "the place on the unloaded chain";
  EXPECT_NEAR(yc[1], -27.1540317, 1e-4);
  EXPECT_NEAR(a[0], 57.5301122, 0.1);
  EXPECT_NEAR(a[1], 57.5301122, 0.1);
  EXPECT_EQ(a[2], 50);
  const auto l = Lignes();
  ASSERT_FALSE(l.empty());
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l.back().Points[1], Px(100, 0));

  // A slack chain whose two arcs do not come out alike: the warning, and the chain is drawn.
  Run(QStringLiteral("Chain = 4, 1, 20§10§2, %a2"));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.startsWith(
      QStringLiteral("\r\nATTENTION: mauvaise convergence / bad convergence")));
  EXPECT_TRUE(Messages()[0].texte.endsWith(QStringLiteral("\r\n0.95 <> 1")))
      << Messages()[0].texte.toStdString();
  EXPECT_FALSE(Lignes().empty());
  EXPECT_POINT(Lignes().back().Points[1], Px(4, -1));
  EXPECT_EQ(Valeurs("%a2").size(), 3u);

  // A long loaded chain: each arc is drawn in a bounded number of steps, reckoned by index, and
  // still ends on its anchor.
  Session().Prompteur().Efface();
  Run(QStringLiteral("Chain = 40000, 1, 50000§25000§2"));
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  EXPECT_LE(Lignes().size(), 100010u);
  ASSERT_FALSE(Lignes().empty());
  EXPECT_POINT(Lignes().back().Points[1], Px(40000, -1));

  // A load that the arcs cannot hold is a run error that says so.
  Run(QStringLiteral("Chain = 10, 2, 30§20§50"));
  ASSERT_FALSE(Messages().empty());
  EXPECT_TRUE(Erreur().contains(QStringLiteral("load"))) << Erreur().toStdString();
}

TEST_F(ChainTest, RefusedChainsEndTheRunWithAMessage) {
  const auto refuse = [&](const char* ligne, const char* motif) {
    Run(QString::fromUtf8(ligne));
    ASSERT_FALSE(Messages().empty()) << ligne;
    EXPECT_TRUE(Erreur().contains(QLatin1String(motif))) << ligne << " : " << Erreur().toStdString();
  };
  refuse("Chain = 100, 20", "at least 3 fields");
  refuse("Chain = 100, 20, 90", "chord");
  refuse("Chain = 100, 0, 120", "a = 0");
  refuse("Chain = 100, 20, 120, , , , , , X0", "field 9");
  refuse("Chain = 0, 20, 120", "DeltaX");
  refuse("Chain = 100, 20, 120§120", "LC1");
  refuse("Chain = 100, 20, 120, -5", "a < 0");
}

}  // namespace
