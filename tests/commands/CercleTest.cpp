// The Cercle statements run as programs: circles, arcs, pies and ellipses, outlined and filled,
// and their ring, slice and strip gradients.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "CommandsFixture.h"
#include "commands/Commands.h"
#include "drawing/DrawState.h"
#include "drawing/Segments.h"
#include "platform/Events.h"
#include "platform/Host.h"
#include "platform/RunError.h"
#include "values/Levels.h"

namespace {

class CercleTest : public CommandsTest {
 protected:
  // The box around every end of the lines drawn, in drawing units.
  struct Boite {
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
  };
  Boite BoiteLignes() {
    Boite b;
    for (const Primitive& p : Lignes())
      for (const QPointF& q : p.Points) {
        const double x = q.x() / PxParMm, y = (HauteurImage - q.y()) / PxParMm;
        b.x0 = std::min(b.x0, x);
        b.x1 = std::max(b.x1, x);
        b.y0 = std::min(b.y0, y);
        b.y1 = std::max(b.y1, y);
      }
    return b;
  }
};

constexpr uint32_t Rouge = 255, Bleu = 16711680;

TEST_F(CercleTest, WholeCirclesArcsAndPies) {
  // A radius beyond single precision cannot be drawn: an overflow of its line.
  Run(QStringLiteral("Cercle = 10, 10, 1E39\r\n%A = 1"));
  EXPECT_TRUE(SeulMessage().texte.contains(QStringLiteral(" 1: Cercle = 10, 10, 1E39")));
  EXPECT_TRUE(Cercles().empty());
  EXPECT_EQ(Var(1, "%A"), "<absent>");
  Session().Prompteur().Efface();

  Run(QStringLiteral("Cercle = 50, 50, 20"));
  EXPECT_TRUE(Messages().empty());
  auto c = Cercles();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_POINT(c[0].Points[0], Px(50, 50));
  EXPECT_NEAR(c[0].Rx, 20 * PxParMm, 1e-3);
  EXPECT_NEAR(c[0].Ry, 20 * PxParMm, 1e-3);
  EXPECT_EQ(c[0].Debut, 0);
  EXPECT_EQ(c[0].Fin, 0);
  EXPECT_FALSE(c[0].Remplissage.has_value());
  EXPECT_FLOAT_EQ(Repere.XCourant, 50);
  EXPECT_FLOAT_EQ(Repere.YCourant, 50);
  EXPECT_TRUE(EtatOrdre & OrdreDessin);

  // A quarter arc as line pieces about a millimetre long, anticlockwise.
  Run(QStringLiteral("Cercle = 50, 50, 20, 0, 90, rouge"));
  auto l = Lignes();
  ASSERT_EQ(l.size(), 32u);
  EXPECT_POINT(l.front().Points[0], Px(70, 50));
  EXPECT_POINT(l.back().Points[1], Px(50, 70));
  EXPECT_EQ(l[5].Couleur, Rouge);
  EXPECT_NEAR(Repere.XCourant, 50, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 70, 1e-4);

  // The "I" form runs back from the end and stops at the start.
  Run(QStringLiteral("CercleI = 50, 50, 20, 0, 90"));
  l = Lignes();
  ASSERT_EQ(l.size(), 32u);
  EXPECT_POINT(l.front().Points[0], Px(50, 70));
  EXPECT_POINT(l.back().Points[1], Px(70, 50));
  EXPECT_NEAR(Repere.XCourant, 70, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 50, 1e-4);

  // "-0" adds the radius line at 0 degrees; negative angles add both radius lines.
  Run(QStringLiteral("Cercle = 50, 50, 20, -0, 90"));
  l = Lignes();
  ASSERT_EQ(l.size(), 33u);
  EXPECT_POINT(l.front().Points[0], Px(50, 50));
  EXPECT_POINT(l.front().Points[1], Px(70, 50));
  Run(QStringLiteral("Cercle = 50, 50, 20, -30, -60"));
  l = Lignes();
  EXPECT_POINT(l.front().Points[0], Px(50, 50));
  EXPECT_POINT(l.back().Points[1], Px(50, 50));

  // Filled: the pie with its centre, the whole disc by the surface.
  Run(QStringLiteral("CercleP = 50, 50, 20, 0, 90, bleu"));
  auto p = Polygones();
  ASSERT_EQ(p.size(), 1u);
  EXPECT_POINT(p[0].Points.front(), PxEntier(70, 50));
  // The polygon closes through the centre.
  EXPECT_POINT(p[0].Points.back(), PxEntier(50, 50));
  ASSERT_TRUE(p[0].Remplissage.has_value());
  EXPECT_EQ(*p[0].Remplissage, Bleu);
  EXPECT_TRUE(Lignes().empty());
  Run(QStringLiteral("CercleP = 50, 50, 20, , , rouge"));
  c = Cercles();
  ASSERT_EQ(c.size(), 1u);
  ASSERT_TRUE(c[0].Remplissage.has_value());
  EXPECT_EQ(*c[0].Remplissage, Rouge);

  // The colour N draws nothing and still moves the current point.
  Run(QStringLiteral("Cercle = 50, 50, 20, 0, 90, N"));
  EXPECT_TRUE(RienDessine());
  EXPECT_NEAR(Repere.XCourant, 50, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 70, 1e-4);

  // A negative radius is its size; a radius of 0 draws nothing and stays at the centre.
  Run(QStringLiteral("Cercle = 50, 50, -20"));
  c = Cercles();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_NEAR(c[0].Rx, 20 * PxParMm, 1e-3);
  Run(QStringLiteral("Cercle = 40, 30, 0, 0, 90"));
  EXPECT_TRUE(RienDessine());
  EXPECT_FLOAT_EQ(Repere.XCourant, 40);
  EXPECT_FLOAT_EQ(Repere.YCourant, 30);
}

TEST_F(CercleTest, EllipsesTurnsAndDashes) {
  Run(QStringLiteral("Cercle = 50, 50, 20§0.5"));
  Boite b = BoiteLignes();
  EXPECT_NEAR(b.x0, 30, 1e-3);
  EXPECT_NEAR(b.x1, 70, 1e-3);
  EXPECT_NEAR(b.y0, 40, 0.01);
  EXPECT_NEAR(b.y1, 60, 0.01);
  EXPECT_FLOAT_EQ(Repere.XCourant, 50) << "a whole ellipse leaves the current point at its centre";

  Run(QStringLiteral("Cercle = 50, 50, 20§2"));
  b = BoiteLignes();
  EXPECT_NEAR(b.x1 - b.x0, 20, 0.01);
  EXPECT_NEAR(b.y1 - b.y0, 40, 0.01);

  // Its own angle turns it about its centre.
  Run(QStringLiteral("Cercle = 50, 50, 20§0.5, , , , , 90"));
  b = BoiteLignes();
  EXPECT_NEAR(b.x1 - b.x0, 20, 0.01);
  EXPECT_NEAR(b.y1 - b.y0, 40, 0.01);

  // Angles of very many turns still step round the whole ellipse.
  Run(QStringLiteral("Cercle = 50, 50, 20§0.5, 1e30, 2e30"));
  b = BoiteLignes();
  EXPECT_NEAR(b.x1 - b.x0, 40, 0.01);
  EXPECT_NEAR(b.y1 - b.y0, 20, 0.01);

  // The y field's angle turns the centre and the shape about 0,0.
  Run(QStringLiteral("Cercle = 50, 0§90, 20, 0, 90"));
  auto l = Lignes();
  ASSERT_FALSE(l.empty());
  EXPECT_POINT(l.front().Points[0], Px(0, 70));
  EXPECT_NEAR(Repere.XCourant, -20, 1e-3);
  EXPECT_NEAR(Repere.YCourant, 50, 1e-3);

  // A dashed whole circle goes through the dashed arc; the style holds for the command only.
  Run(QStringList{"Cercle = 50, 50, 10, , , , 1§R§2§2§2", "Cercle = 50, 50, 5"});
  const auto c = Cercles();
  ASSERT_EQ(c.size(), 17u);
  EXPECT_NEAR(c[0].Fin - c[0].Debut, 0.2, 1e-5);
  EXPECT_EQ(c[16].Debut, c[16].Fin);
  EXPECT_EQ(Plume.TiretL1, 0);

  // However large the radius, the arc keeps a bounded number of pieces.
  Run(QStringLiteral("Cercle = 50, 50, 100000000, 0, 90"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_LE(Lignes().size(), 5002u);
  EXPECT_GE(Lignes().size(), 4000u);

  // Dashes repeating within less than a pixel cannot be shown: the arc is drawn solid, as a
  // whole circle with the same pen is.
  Run(QStringLiteral("Cercle = 0, 0, 10, 0, 90"));
  const size_t plein = Lignes().size();
  Run(QStringLiteral("Cercle = 0, 0, 10, 0, 90, , 0.1§§0.0001§0.0001§0.0001"));
  EXPECT_EQ(Lignes().size(), plein);
  Run(QStringLiteral("Cercle = 0, 0, 10, 0, 90, , 0.1§§0.2§0.2§0.2"));
  EXPECT_GT(Lignes().size(), plein) << "dashes a device can show are still drawn";
}

TEST_F(CercleTest, StripSliceAndRingGradients) {
  Run(QStringLiteral("CercleP = 50, 50, 10, 0, 0, rouge§bleu"));
  auto p = Polygones();
  ASSERT_EQ(p.size(), 256u);
  EXPECT_EQ(*p[0].Remplissage, Rouge);
  EXPECT_EQ(p[0].Couleur, Rouge);
  EXPECT_EQ(*p[1].Remplissage, 254u + 65536u);
  EXPECT_EQ(*p[255].Remplissage, 1u + 254u * 65536u);
  // The lowest strip starts at the bottom of the disc, the last one ends at its top.
  EXPECT_POINT(p[0].Points[0], PxEntier(50, 40));
  double haut = 1e9;
  for (const QPointF& q : p[255].Points) haut = std::min(haut, q.y());
  EXPECT_NEAR(haut, PxEntier(50, 60).y(), 0.5);
  EXPECT_TRUE(Lignes().empty());
  EXPECT_TRUE(Cercles().empty());

  // An odd number of bands gets one strip more, the last one in the second colour itself.
  Run(QStringLiteral("CercleP = 50, 50, 10, , , RGB 10 0 0§RGB 12 0 0"));
  p = Polygones();
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(*p[3].Remplissage, 12u);

  // Black as the second colour and N give a plain fill.
  Run(QStringLiteral("CercleP = 50, 50, 10, 0, 0, rouge§noir"));
  ASSERT_EQ(Cercles().size(), 1u);
  EXPECT_TRUE(Polygones().empty());
  Run(QStringLiteral("CercleP = 50, 50, 10, 0, 0, rouge§N"));
  ASSERT_EQ(Cercles().size(), 1u);

  // A pie from "-0" is cut into slices, each with the centre as first vertex.
  Run(QStringLiteral("CercleP = 50, 50, 10, -0, 90, rouge§bleu§8"));
  p = Polygones();
  ASSERT_EQ(p.size(), 8u);
  EXPECT_POINT(p[0].Points[0], PxEntier(50, 50));
  EXPECT_POINT(p[0].Points[1], PxEntier(60, 50));
  EXPECT_POINT(p[7].Points.back(), PxEntier(50, 60));
  EXPECT_EQ(*p[0].Remplissage, Rouge);
  EXPECT_NEAR(Repere.XCourant, 50, 1e-3);
  EXPECT_NEAR(Repere.YCourant, 60, 1e-3);
  // A start of 0 is not below 0: strips over the whole disc.
  Run(QStringLiteral("CercleP = 50, 50, 10, 0, 90, rouge§bleu§8"));
  EXPECT_EQ(Polygones().size(), 256u);

  // Rings on the screen: 19 circles 0.5 apart with a pen 0.9 mm wide.
  Run(QStringLiteral("CercleP = 50, 50, 10, , , rouge§bleu§C20"));
  auto c = Cercles();
  ASSERT_EQ(c.size(), 19u);
  EXPECT_NEAR(c[0].Rx, 9.55 * PxParMm, 1e-3);
  EXPECT_NEAR(c[18].Rx, 0.55 * PxParMm, 1e-3);
  EXPECT_EQ(c[0].Epaisseur, 3);
  EXPECT_EQ(c[0].Couleur, Rouge);
  EXPECT_EQ(c[1].Couleur, 242u + 13u * 65536u);
  EXPECT_FALSE(c[0].Remplissage.has_value());
  EXPECT_EQ(Sortie->DrawWidth, 1) << "the pen comes back after the rings";
  EXPECT_FLOAT_EQ(Repere.XCourant, 50);

  // A band count of 0 or less means 255 rings, never a step the wrong way.
  Run(QStringLiteral("CercleP = 50, 50, 10, , , rouge§bleu§C-5"));
  const size_t n255 = Cercles().size();
  Run(QStringLiteral("CercleP = 50, 50, 10, , , rouge§bleu§C"));
  EXPECT_EQ(Cercles().size(), n255);
  EXPECT_GT(n255, 200u);
  c = Cercles();
  EXPECT_LT(c.back().Rx, c.front().Rx);
  // Rings closer than a pixel are not drawn by the thousand.
  Run(QStringLiteral("CercleP = 50, 50, 10, , , rouge§bleu§C32767"));
  EXPECT_EQ(Cercles().size(), n255);

  // A turned ellipse's rings are segments: a large one keeps a bounded number, an ordinary one
  // about one a millimetre, and a stop request ends either.
  Run(QStringLiteral("CercleP = 100, 100, 1000§0.5, 0, 0, rouge§bleu§C, , 30"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_LE(Lignes().size(), 66000u);
  Run(QStringLiteral("CercleP = 50, 50, 10§0.5, 0, 0, rouge§bleu§C20, , 30"));
  size_t segments = 0;
  for (int k = 0; k < 19; ++k)
    segments += static_cast<size_t>(std::round(4 * 3.141593 * (9.55 - 0.5 * k))) + 1;
  EXPECT_NEAR(static_cast<double>(Lignes().size()), static_cast<double>(segments), 40);
  DefinitDoEvents([this] {
    if (Primitives().size() > 100) Arret = true;
  });
  Run(QStringList{"CercleP = 100, 100, 100§0.5, 0, 0, rouge§bleu§C, , 30", "%A = 1"});
  DefinitDoEvents({});
  EXPECT_EQ(Var(1, "%A"), "<absent>");
  EXPECT_LE(Lignes().size(), 2u * MorceauxEntreArrets);

  // A very large shape in few bands: the bands hold as many points as they need.
  Run(QStringLiteral("CercleP = 50, 50, 1000000, 0, 0, rouge§bleu"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Polygones().size(), 256u);
  Run(QStringLiteral("CercleP = 50, 50, 1000000, -0, 90, rouge§bleu§2"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Polygones().size(), 2u);

  // A pie of many turns covers two of them at most, its slices reckoned by index so each one
  // ends; an angle beyond the single-precision range is a run error that names its field.
  Run(QStringLiteral("CercleP = 10, 10, 10, -0, -1e9, rouge§bleu§3"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Polygones().size(), 3u);
  Run(QStringLiteral("CercleP = 10, 10, 100, -0, 10000000, rouge§bleu"));
  p = Polygones();
  ASSERT_EQ(p.size(), 256u);
  size_t sommets = 0;
  for (const Primitive& q : p) sommets += static_cast<size_t>(q.Points.size());
  EXPECT_LT(sommets, 2000u + 3 * 256u) << "two turns of a radius of 100 at about a millimetre a step";
  // Zoomed in a thousand times, the slices follow the arc more finely and are still eight.
  Shell.ZoomCourant = 1000;
  Run(QStringLiteral("CercleP = 50, 50, 10, -0, 90, rouge§bleu§8"));
  Shell.ZoomCourant = 1;
  p = Polygones();
  ASSERT_EQ(p.size(), 8u);
  EXPECT_GT(p[0].Points.size(), 50);
  for (const char* angle : {"1e300", "-1e41"}) {
    const size_t avant = Messages().size();
    Run(QStringLiteral("CercleP = 10, 10, 10, -0, %1, rouge§bleu").arg(QLatin1String(angle)));
    ASSERT_EQ(Messages().size(), avant + 1) << angle;
    EXPECT_TRUE(Messages().back().texte.contains(QStringLiteral("field 5"))) << angle;
  }
  // A start so large that a turn added to the end is lost: the end lies before it, and the arc
  // is the start point alone.
  const size_t avant = Messages().size();
  Run(QStringList{"Cercle = 10, 10, 10, 1.5E+20", "Trait = 0, 0, 1, 1"});
  EXPECT_EQ(Messages().size(), avant);
  EXPECT_EQ(Lignes().size(), 1u);
  Run(QStringList{"CercleP = 10, 10, 10, -3.5e38, 270, jaune§rouge", "Trait = 0, 0, 1, 1"});
  EXPECT_EQ(Messages().size(), avant);
  EXPECT_EQ(Lignes().size(), 1u);
  EXPECT_TRUE(Polygones().empty()) << "an end before the start leaves no slice";
}

TEST_F(CercleTest, EscEndsLongGradients) {
  // Thousands of slices or rings test the stop flag as they go.
  PrepareSurface();
  Niveau(1).MotCle = QStringLiteral("CERCLEP");
  Arret = true;
  for (const char* champs :
       {"50, 50, 10, -0, 90, rouge§bleu§32767", "50, 50, 10000, , , rouge§bleu§C32767"}) {
    EXPECT_THROW(TraceCercle(1, QString::fromUtf8(champs)), ErreurExecution) << champs;
  }
  Arret = false;
}

// Circles and arcs of a radius far larger than the surface are drawn where they cross it, within a
// pixel: at every column, each pixel drawn lies on the true curve.
TEST_F(CercleTest, LargeCirclesAndArcsCrossTheSurfaceWhereTheyLie) {
  struct Cas {
    double cx, r;
    const char* angles;
  };
  for (const Cas& c :
       {Cas{100, 5000, ""}, Cas{100, 100000, ""}, Cas{100, 1e8, ""}, Cas{15100, 1e8, ", 45, 135"}}) {
    const double cy = 100 - c.r;
    Run(QStringLiteral("Cercle = %1, %2, %3%4")
            .arg(c.cx, 0, 'f', 0)
            .arg(cy, 0, 'f', 0)
            .arg(c.r, 0, 'f', 0)
            .arg(c.angles));
    const QPointF centre = Px(c.cx, cy);
    const double r = c.r * PxParMm;
    int colonnes = 0;
    for (int x = 0; x < 1000; x += 7) {
      const double dx = x + 0.5 - centre.x();
      const double y = centre.y() - std::sqrt((r - dx) * (r + dx));
      const auto [haut, bas] = EncreDessinee(false, x);
      if (haut < 0) continue;
      ++colonnes;
      EXPECT_NEAR(haut + 0.5, y, 1) << c.r << " " << x;
      EXPECT_NEAR(bas + 0.5, y, 1) << c.r << " " << x;
    }
    EXPECT_GT(colonnes, 130) << c.r;
  }

  // Dashed, a circle of too many dashes to cut whole draws those that show, in their place: dashes
  // and gaps of 1 mm along the circle from its angle 0.
  Run(QStringLiteral("Cercle = 100, -99900, 100000, , , , 2§R§1§1§1"));
  const auto tirets = Cercles();
  EXPECT_GT(tirets.size(), 100u);
  EXPECT_LT(tirets.size(), 200u);
  // The first and last may be cut by the surface's edge.
  for (size_t i = 1; i + 1 < tirets.size(); ++i) {
    EXPECT_NEAR(std::remainder(tirets[i].Debut * 100000, 2.0), 0, 1e-3) << tirets[i].Debut;
    EXPECT_NEAR((tirets[i].Fin - tirets[i].Debut) * 100000, 1, 1e-3) << tirets[i].Debut;
  }
}

}  // namespace
