// The scale line commands run as whole programs: the arc (concentric, about an offset pivot, as
// the straight line of a far pivot, turned), its report of what it drew, the straight horizontal
// and vertical lines, and the value law (Exposant) and side of the marks (Inversion).

#include <gtest/gtest.h>

#include <QLocale>
#include <QPointF>
#include <cmath>

#include "RunFixture.h"
#include "drawing/DrawState.h"
#include "interpreter/Labels.h"
#include "interpreter/ScaleState.h"
#include "interpreter/SetupCommands.h"
#include "platform/Host.h"
#include "platform/OutputSurface.h"
#include "values/Levels.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");
constexpr double Rad = 0.017453293;
constexpr double Tol = 0.01;  // millimetres

class ScaleLineTest : public RunFixture {
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

  std::vector<Primitive> DeGenre(Primitive::Genre genre) {
    std::vector<Primitive> r;
    for (const Primitive& p : Primitives()) {
      if (p.Type == genre) r.push_back(p);
    }
    return r;
  }
  // The lines of the run, the end-of-run axes (drawn in mask mode) aside.
  std::vector<Primitive> Lignes() {
    std::vector<Primitive> r;
    for (const Primitive& p : DeGenre(Primitive::Genre::Ligne)) {
      if (p.Mode == 13) r.push_back(p);
    }
    return r;
  }

  static void ExpectPoint(const QPointF& p, double x, double y, const char* quoi) {
    EXPECT_NEAR(p.x(), x, Tol) << quoi;
    EXPECT_NEAR(p.y(), y, Tol) << quoi;
  }
};

TEST_F(ScaleLineTest, ConcentricArc) {
  Run(QStringList{"CentreE = 100, 80, N", "Arc = 0, 180, 50"});
  ASSERT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
  auto cercles = DeGenre(Primitive::Genre::Cercle);
  ASSERT_EQ(cercles.size(), 1u);
  ExpectPoint(Mm(cercles[0].Points[0]), 100, 80, "centre");
  EXPECT_NEAR(MmLongueur(cercles[0].Rx), 50, Tol);
  EXPECT_NEAR(cercles[0].Debut, 0, 1e-6) << "the end at 180 points right";
  EXPECT_NEAR(cercles[0].Fin, 180 * Rad, 1e-6) << "the start at 0 points left";
  EXPECT_NEAR(Echelle.ArcAngleDebut, 1e-6, 1e-12) << "a zero start takes the side of the end";
  EXPECT_EQ(Echelle.ArcAngleFin, 180);
  EXPECT_EQ(EtatOrdre & (OrdreLigneEchelle | OrdreDessin), OrdreLigneEchelle | OrdreDessin);
  EXPECT_NEAR(Repere.XCourant, 100, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 80, 1e-4);

  // The ends given the other way round draw the same arc; expressions and variables are read.
  Run(QStringList{"CentreE = 100, 80, N", "%R = 20", "Arc = 150, 3*10, %R*2, rouge"});
  cercles = DeGenre(Primitive::Genre::Cercle);
  ASSERT_EQ(cercles.size(), 1u);
  EXPECT_NEAR(cercles[0].Debut, 30 * Rad, 1e-6);
  EXPECT_NEAR(cercles[0].Fin, 150 * Rad, 1e-6);
  EXPECT_NEAR(MmLongueur(cercles[0].Rx), 40, Tol);
  EXPECT_EQ(cercles[0].Couleur, 255u);
  EXPECT_EQ(Echelle.VTrav7, 40);
  EXPECT_EQ(Echelle.ArcRayonDonne, 40);

  // A default rotation or a rotation sub-field turns the whole arc about the current 0,0.
  Run(QStringList{"CentreE = 100, 80, N", "AngRot = 30", "Arc = 30, 150, 40"});
  cercles = DeGenre(Primitive::Genre::Cercle);
  ASSERT_EQ(cercles.size(), 1u);
  EXPECT_NEAR(cercles[0].Debut, 60 * Rad, 1e-6);
  EXPECT_NEAR(cercles[0].Fin, 180 * Rad, 1e-6);
  EXPECT_EQ(Echelle.AngleCmd, 30);
  Run(QStringList{"CentreE = 100, 80, N", "Arc = 30, 150§30, 40"});
  cercles = DeGenre(Primitive::Genre::Cercle);
  ASSERT_EQ(cercles.size(), 1u);
  EXPECT_NEAR(cercles[0].Debut, 60 * Rad, 1e-6);
  EXPECT_NEAR(Echelle.AngleCmdRad, 30 * Rad, 1e-7);

  // "N" records the scale without drawing it, and the marks may follow.
  Run(QStringList{"CentreE = 100, 80, N", "Arc = 45, 135, 40, n", "Sect = 0, 100, 30, 35, N"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(DeGenre(Primitive::Genre::Cercle).empty());
  EXPECT_FALSE(Echelle.EchelleTracee);
  EXPECT_EQ(Echelle.ArcAngleDebut, 45);

  // With a dash pattern the arc is cut into dashes along the same circle.
  Run(QStringList{"CentreE = 100, 80, N", "EpaisT = 1§R§2§2", "Arc = 0, 180, 50"});
  cercles = DeGenre(Primitive::Genre::Cercle);
  EXPECT_GT(cercles.size(), 10u);
  for (const Primitive& c : cercles) {
    ExpectPoint(Mm(c.Points[0]), 100, 80, "dash centre");
    EXPECT_GE(c.Debut, -1e-6);
    EXPECT_LE(c.Fin, 180 * Rad + 1e-6);
  }
}

TEST_F(ScaleLineTest, ArcAboutAnOffsetPivot) {
  // Decal 20: the pivot 20 above the centre, marked in red; the arc runs about it through the
  // scale's start point and ends on the ray of the end angle.
  Run(QStringList{"CentreE = 100, 80, N", "Decal = 20, rouge", "Arc = 45, 135, 50"});
  ASSERT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
  EXPECT_EQ(Echelle.DecalPivot, -20);
  EXPECT_NEAR(Echelle.PivotX, 100, 1e-9);
  EXPECT_NEAR(Echelle.PivotY, 100, 1e-9);
  const auto croix = Lignes();
  ASSERT_EQ(croix.size(), 2u);
  EXPECT_EQ(croix[0].Couleur, 255u);
  ExpectPoint((Mm(croix[0].Points[0]) + Mm(croix[0].Points[1])) / 2, 100, 100, "pivot mark");

  const auto cercles = DeGenre(Primitive::Genre::Cercle);
  ASSERT_EQ(cercles.size(), 1u);
  const Primitive& arc = cercles[0];
  ExpectPoint(Mm(arc.Points[0]), 100, 100, "arc centre");
  const double rho = MmLongueur(arc.Rx);
  const double h = 50 * std::sqrt(0.5);
  EXPECT_NEAR(rho, std::hypot(100 - h - 100, 80 + h - 100), Tol);
  EXPECT_NEAR(Echelle.ArcRayonDebut, rho, Tol);
  // The end direction reaches the start point at 45, the start direction the symmetric point.
  ExpectPoint(QPointF(100 + rho * std::cos(arc.Fin), 100 + rho * std::sin(arc.Fin)), 100 - h, 80 + h,
              "start");
  ExpectPoint(QPointF(100 + rho * std::cos(arc.Debut), 100 + rho * std::sin(arc.Debut)), 100 + h, 80 + h,
              "end");

  // A pivot offset over half the radius on an arc wider than 200 is cut to half the radius.
  Run(QStringList{"CentreE = 100, 80, N", "Decal = 40, N", "Arc = -30, 210, 50"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Echelle.DecalPivot, -25);
  EXPECT_EQ(Lignes().size(), 0u) << "no pivot mark in the colour N";
  ASSERT_EQ(DeGenre(Primitive::Genre::Cercle).size(), 1u);

  // A far pivot makes a straight line through the start point, ended on the ray of the end.
  Run(QStringList{"CentreE = 100, 80, N", "Decal = -10000, N", "Arc = 45, 135, 50"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Echelle.DecalPivot, 10000);
  auto lignes = Lignes();
  ASSERT_EQ(lignes.size(), 1u);
  ExpectPoint(Mm(lignes[0].Points[0]), 100 - h, 80 + h, "line start");
  ExpectPoint(Mm(lignes[0].Points[1]), 100 + h, 80 + h, "line end");

  // A zero radius with an offset divides by zero: a run error.
  Run(QStringList{"Decal = 5", "Arc = 45, 135, 0"});
  EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(ScaleLineTest, ArcReportsWhatItDrew) {
  // "?" at level 1: the separator before it and the rest of the statement give way to the
  // equivalent circle as a comment; labels after it move with the text and the run goes on.
  const QStringList programme{"Decal = 20, N", "Arc = 45, 135, 50, , ?", "%A = 1", "ICI:", "%B = 2"};
  Run(programme);
  ASSERT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
  const QString texte = Session().Document().Text();
  const QStringList lignes = texte.split(CRLF);
  ASSERT_EQ(lignes.size(), 5);
  EXPECT_EQ(lignes[1].toStdString(), "Arc = 45, 135, 50,   'Cercle = 0., 20.,  38.55, 23.48, 156.52");
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_EQ(Var(1, "%B"), "2");
  ASSERT_EQ(Etiquettes[1].size(), 1u);
  EXPECT_EQ(Etiquettes[1][0].Position, texte.indexOf(QStringLiteral("ICI:")) + 1);

  // A statement continued over several lines, after a THEN too: the run goes on after its last
  // line, which is not run again as a statement of its own, and the next run draws the arc once.
  for (const QStringList& suite : {QStringList{"Arc = 45, 135, _", "  50, , ?"},
                                   QStringList{"If 1 Then _", "  Arc = 45, 135, 50, , ?"}}) {
    QStringList continue_ = QStringList{"Decal = 20, N"} + suite + QStringList{"%A = 1"};
    for (int passe = 1; passe <= 2; ++passe) {
      Run(continue_);
      ASSERT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
      EXPECT_EQ(DeGenre(Primitive::Genre::Cercle).size(), 1u) << suite.join("|").toStdString();
      EXPECT_EQ(Var(1, "%A"), "1");
      continue_ = Session().Document().Text().split(CRLF);
    }
    EXPECT_TRUE(continue_[2].endsWith("50,   'Cercle = 0., 20.,  38.55, 23.48, 156.52"))
        << continue_[2].toStdString();
  }

  // Into variables: the command text, or the drawn arc's length.
  Run(QStringList{"Decal = 20, N", "Arc = 45, 135, 50, , %CMD", "Arc = 45, 135, 50, , %L"});
  EXPECT_EQ(Var(1, "%CMD").toStdString(), "Cercle = 0., 20.,  38.55, 23.48, 156.52");
  EXPECT_NEAR(Var(1, "%L").toDouble(), (156.52 - 23.48) * Rad * 38.546, 0.02);

  // Without a pivot offset the field is ignored.
  const QStringList concentrique{"Arc = 45, 135, 50, , ?"};
  Run(concentrique);
  EXPECT_EQ(Session().Document().Text(), concentrique.join(CRLF));

  // The straight line of a far pivot reports a Trait.
  Run(QStringList{"Decal = -10000, N", "Arc = 45, 135, 50, , %CMD"});
  EXPECT_EQ(Var(1, "%CMD").toStdString(), "Trait = -35.36,  35.36, 35.36, 35.36");

  // The command reads back under a locale whose separator is neither "." nor ",".
  const QLocale avant;
  QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
  Run(QStringList{"Decal = 20, N", "Arc = 45, 135, 50, , %CMD"});
  QLocale::setDefault(avant);
  EXPECT_EQ(Var(1, "%CMD").toStdString(), "Cercle = 0., 20.,  38.55, 23.48, 156.52");
}

TEST_F(ScaleLineTest, StraightScales) {
  // From x = 10 to 10 + 80 at 5 above the current 0,0; the current point in the middle.
  Run(QStringList{"CentreE = 100, 80, N", "Droite = 10, 80R, 5, vert"});
  ASSERT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
  auto lignes = Lignes();
  ASSERT_EQ(lignes.size(), 1u);
  ExpectPoint(Mm(lignes[0].Points[0]), 110, 85, "start");
  ExpectPoint(Mm(lignes[0].Points[1]), 190, 85, "end");
  EXPECT_EQ(lignes[0].Couleur, 65280u);
  EXPECT_EQ(Echelle.DroiteX1, 10);
  EXPECT_EQ(Echelle.DroiteX2, 90);
  EXPECT_NEAR(Repere.XCourant, 150, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 85, 1e-4);
  EXPECT_EQ(EtatOrdre & (OrdreLigneEchelle | OrdreDessin), OrdreLigneEchelle | OrdreDessin);

  // Two fields: at the height of the current 0,0.
  Run(QStringList{"CentreE = 100, 80, N", "Droite = 10, 20"});
  lignes = Lignes();
  ASSERT_EQ(lignes.size(), 1u);
  ExpectPoint(Mm(lignes[0].Points[0]), 110, 80, "start");
  EXPECT_EQ(Echelle.VTrav7, 0);

  // Vertical, after an arc and a pivot offset that it clears.
  Run(QStringList{"CentreE = 100, 80, N", "Decal = 5, N", "Arc = 10, 20, 30, N", "DroiteV = -10, 30, 15"});
  lignes = Lignes();
  ASSERT_EQ(lignes.size(), 1u);
  ExpectPoint(Mm(lignes[0].Points[0]), 115, 70, "start");
  ExpectPoint(Mm(lignes[0].Points[1]), 115, 110, "end");
  EXPECT_EQ(Echelle.DecalPivot, 0);
  EXPECT_EQ(Echelle.ArcAngleDebut, 0);
  EXPECT_EQ(Echelle.DroiteY2, 30);
  EXPECT_NEAR(Repere.XCourant, 115, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 90, 1e-4);

  // Turned 90 anticlockwise: the middle (20, 5) moves to (-5, 20).
  Run(QStringList{"CentreE = 100, 80, N", "Droite = 10, 20R§90, 5"});
  lignes = Lignes();
  ASSERT_EQ(lignes.size(), 1u);
  ExpectPoint(Mm(lignes[0].Points[0]), 95, 90, "turned start");
  ExpectPoint(Mm(lignes[0].Points[1]), 95, 110, "turned end");
  EXPECT_NEAR(Repere.XCourant, 95, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 100, 1e-4);

  // "N" records the line and the order bits without drawing; an arc then clears the line.
  Run(QStringList{"Droite = 0, 50, 0, N", "%A = 1"});
  EXPECT_TRUE(Lignes().empty());
  EXPECT_EQ(Echelle.DroiteX2, 50);
  EXPECT_EQ(EtatOrdre & (OrdreLigneEchelle | OrdreDessin), OrdreLigneEchelle | OrdreDessin);
  Run(QStringList{"Droite = 0, 50", "Arc = 10, 20, 30"});
  EXPECT_EQ(Echelle.DroiteX2, 0);

  // A length beyond single precision cannot be drawn: an overflow of its line, nothing drawn.
  Run(QStringList{"Droite = 0, 1E39, 5", "%A = 1"});
  EXPECT_TRUE(SeulMessage().texte.contains(QStringLiteral(" 1: Droite = 0, 1E39, 5")));
  EXPECT_TRUE(Lignes().empty());
  EXPECT_EQ(Var(1, "%A"), "<absent>");
}

TEST_F(ScaleLineTest, ExposantAndInversion) {
  Run(QStringList{"Exposant = 2"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Niveau(1).Exposant, 0.5f);
  EXPECT_FALSE(Niveau(1).EchelleLog);

  Run(QStringList{"Exposant = L, 2, 1, 5"});
  EXPECT_EQ(Niveau(1).Exposant, 0.0f);
  EXPECT_TRUE(Niveau(1).EchelleLog);
  EXPECT_EQ(Echelle.LogDecades, 2);
  EXPECT_EQ(Echelle.LogDebut, 1.0f);
  EXPECT_EQ(Echelle.LogFin, 5.0f);
  EXPECT_NEAR(Echelle.LogDecadesTotal, 2.699, 1e-3);

  // "L" alone is one decade, 1 to 10.
  Run(QStringList{"Exposant = l"});
  EXPECT_EQ(Echelle.LogDecades, 1);
  EXPECT_NEAR(Echelle.LogDecadesTotal, 1, 1e-6);

  // A zero exponent and a negative logarithmic bound are run errors.
  Run(QStringList{"Exposant = 0"});
  EXPECT_EQ(Messages().size(), 1u);
  Run(QStringList{"Exposant = L, 1, -2"});
  EXPECT_EQ(Messages().size(), 2u);

  // Each run starts on the normal side; no field turns the side, 1 and -1 set it.
  Run(QStringList{"Inversion"});
  EXPECT_EQ(Echelle.SensInversion, -1);
  Run(QStringList{"Inversion", "Inversion"});
  EXPECT_EQ(Echelle.SensInversion, 1);
  Run(QStringList{"Inversion", "Inversion = 1"});
  EXPECT_EQ(Echelle.SensInversion, 1);
  Run(QStringList{"Inversion = -1", "Inversion = -1"});
  EXPECT_EQ(Echelle.SensInversion, -1);
  Run(QStringList{"Inversion = 5"});
  EXPECT_EQ(Echelle.SensInversion, -1);
}

}  // namespace
