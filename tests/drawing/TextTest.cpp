// Rotated fonts, the placement ratios, aligned labels and the Texte, TexteC, TailleP and Police
// statements, on the recorder with the installed Liberation faces.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>

#include "DrawingFixture.h"
#include "drawing/DrawState.h"
#include "drawing/Fonts.h"
#include "drawing/TextCommands.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr double Rad = 0.017453293;

// A recorder whose font metrics the test chooses.
class SurfaceMetriques : public RecordingSurface {
 public:
  SurfaceMetriques() : RecordingSurface(100, 100) {}
  MetriquesPolicePx MetriquesTextePx() const override { return m; }
  MetriquesPolicePx m;
};

class TextTest : public DrawingTest {
 protected:
  // Each run starts without the messages of the runs before.
  void Run(const QString& programme) {
    Session().Prompteur().Efface();
    DrawingTest::Run(programme);
  }
  void Run(const QStringList& lignes) { Run(lignes.join(QStringLiteral("\r\n"))); }

  void TearDown() override {
    Lettrage.RapportTexteBImpose = 0;
    PatchAnglesDroits = false;
    DrawingTest::TearDown();
  }

  std::vector<Primitive> Textes() { return DuGenre(Primitive::Genre::Texte); }

  // Measures in the font a text was drawn in, in millimetres.
  double Largeur(const PoliceSortie& police, const QString& texte) {
    const PoliceSortie sauve = Sortie->Font;
    Sortie->Font = police;
    const double l = Sortie->TextWidth(texte);
    Sortie->Font = sauve;
    return l;
  }
  double Hauteur(const PoliceSortie& police, const QString& texte) {
    const PoliceSortie sauve = Sortie->Font;
    Sortie->Font = police;
    const double h = -Sortie->TextHeight(texte);
    Sortie->Font = sauve;
    return h;
  }

  // The left end of a text's base line, in drawing units: the surface gets the top of the cell.
  QPointF Base(const Primitive& p) {
    const PoliceSortie sauve = Sortie->Font;
    Sortie->Font = p.Police;
    const double montee = Sortie->MetriquesTextePx().Ascent;
    Sortie->Font = sauve;
    const double a = p.Angle * Rad;
    const QPointF d(p.Points[0].x() + montee * std::sin(a), p.Points[0].y() + montee * std::cos(a));
    return {d.x() / PxParMm, (HauteurImage - d.y()) / PxParMm};
  }

  void Courant(double x, double y) {
    Repere.XCourant = static_cast<float>(x);
    Repere.YCourant = static_cast<float>(y);
    Sortie->CurrentX = x;
    Sortie->CurrentY = y;
  }
};

#define EXPECT_MM(a, bx, by)                  \
  do {                                        \
    const QPointF pa_ = (a);                  \
    EXPECT_NEAR(pa_.x(), (bx), 0.005) << "x"; \
    EXPECT_NEAR(pa_.y(), (by), 0.005) << "y"; \
  } while (0)

TEST_F(TextTest, RotatedFontDescription) {
  PoliceLogique douze;
  douze.Name = QStringLiteral("Times New Roman");
  douze.Size = 12;
  {
    CLogFont f(96);
    f.SetLogFont(douze);
    EXPECT_NE(f.Handle(), 0);
    EXPECT_EQ(f.Description().Hauteur, -16);
    EXPECT_EQ(f.Description().Echappement, 0);
    EXPECT_EQ(f.Description().PrecisionSortie, 0);
    EXPECT_EQ(f.Description().Qualite, 2);
  }
  {
    CLogFont f(120);
    f.SetLogFont(douze);
    EXPECT_EQ(f.Description().Hauteur, -20);
  }

  PoliceLogique oem = douze;
  oem.Charset = 255;
  oem.Name = QStringLiteral("A font name that is much longer than thirty-one characters");
  CLogFont f(96);
  f.SetLogFont(oem);
  EXPECT_EQ(f.Description().JeuCaracteres, 255) << "not turned";
  EXPECT_EQ(f.Description().NomFace.size(), 31);
  f.SetRotation(90);
  EXPECT_EQ(f.Description().Echappement, 900);
  EXPECT_EQ(f.Description().Orientation, 900);
  EXPECT_EQ(f.Description().PrecisionSortie, 7);
  EXPECT_EQ(f.Description().JeuCaracteres, 0);

  // Halves to even in tenths; below half a degree the text is not turned.
  f.SetRotation(0.25f);
  EXPECT_EQ(f.Description().Echappement, 2);
  EXPECT_EQ(f.Description().PrecisionSortie, 0);
  f.SetRotation(0.75f);
  EXPECT_EQ(f.Description().Echappement, 8);
  EXPECT_EQ(f.Description().PrecisionSortie, 7) << "0.75 rounds to a whole degree";
  EXPECT_FALSE(CLogFont::EstTournee(0.25f));
  EXPECT_FALSE(CLogFont::EstTournee(359.6f));
  EXPECT_FALSE(CLogFont::EstTournee(-360.0f));
  EXPECT_TRUE(CLogFont::EstTournee(-90.0f));

  // The same angle builds nothing; without a font there is no handle to build.
  const int64_t avant = CLogFont::PolicesCreees();
  f.SetRotation(0.75f);
  EXPECT_EQ(CLogFont::PolicesCreees(), avant);
  f.SetLogFont(std::nullopt);
  EXPECT_EQ(f.Handle(), 0);
  f.SetRotation(45);
  EXPECT_EQ(f.Handle(), 0);
  EXPECT_EQ(CLogFont::PolicesCreees(), avant);

  // The right-angle nudge, 0 included, but not a full turn.
  PatchAnglesDroits = true;
  CLogFont p(96);
  p.SetLogFont(douze);
  EXPECT_EQ(p.Description().Echappement, 2);
  EXPECT_EQ(p.Description().PrecisionSortie, 0);
  p.SetRotation(90);
  EXPECT_EQ(p.Description().Echappement, 902);
  EXPECT_EQ(p.Description().Orientation, 902);
  p.SetRotation(-270);
  EXPECT_EQ(p.Description().Echappement, -2698);
  p.SetRotation(360);
  EXPECT_EQ(p.Description().Echappement, 3600);
}

TEST_F(TextTest, PlacementRatiosFromTheFontMetrics) {
  SurfaceMetriques s;
  OutputSurface* sauve = Sortie;
  Sortie = &s;
  MetriquesTexte = {};

  // A font without outline metrics from the start: nothing to measure.
  MetriquesPolice();
  EXPECT_FLOAT_EQ(Lettrage.RapportAscent, 0.8f);
  EXPECT_FLOAT_EQ(Lettrage.RapportTexteB, 0.0f);

  s.m = {1000, 800, 200};
  MetriquesPolice();
  EXPECT_FLOAT_EQ(Lettrage.RapportAscent, 0.8f);
  EXPECT_FLOAT_EQ(Lettrage.RapportTexteB, 0.3f);
  Lettrage.RapportTexteBImpose = 0.25f;
  MetriquesPolice();
  EXPECT_FLOAT_EQ(Lettrage.RapportTexteB, 0.25f);
  Lettrage.RapportTexteBImpose = 0;

  // A later font without metrics keeps the ratios of the last one that had some.
  s.m = {};
  MetriquesPolice();
  EXPECT_FLOAT_EQ(Lettrage.RapportAscent, 0.8f);
  EXPECT_FLOAT_EQ(Lettrage.RapportTexteB, 0.3f);

  Sortie = sauve;
  MetriquesTexte = {};
}

TEST_F(TextTest, AlignedLabelsAtTheNineAnchors) {
  PrepareSurface();
  Lettrage.RapportTexteBImpose = 0.3f;
  Encre.CouleurCmd = 0;

  Courant(40, 30);
  EcritTexteAligne(20, 10, 0, QStringLiteral("Hello"), QStringLiteral("DB"), 0);
  auto t = Textes();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_MM(Base(t[0]), 20, 30);
  EXPECT_NEAR(t[0].Angle, 0, 1e-9);
  EXPECT_FLOAT_EQ(Repere.XCourant, 40);
  EXPECT_FLOAT_EQ(Repere.YCourant, 30);

  Courant(40, 30);
  EcritTexteAligne(20, 10, 0, QStringLiteral("Hello"), QStringLiteral("GB"), 0);
  EXPECT_MM(Base(Textes().back()), 40, 30);
  EXPECT_NEAR(Repere.XCourant, 60, 1e-4);

  Courant(40, 30);
  EcritTexteAligne(20, 10, 0, QStringLiteral("Hello"), QStringLiteral("B"), 0);
  EXPECT_MM(Base(Textes().back()), 30, 30);
  EXPECT_NEAR(Repere.XCourant, 50, 1e-4);

  // Top of the capitals on the point: the base line 2 x 0.3 x 10 below; the middle: 3 below.
  Courant(40, 30);
  EcritTexteAligne(20, 10, 0, QStringLiteral("Hello"), QStringLiteral("GH"), 0);
  EXPECT_MM(Base(Textes().back()), 40, 24);
  EXPECT_NEAR(Repere.YCourant, 24, 1e-4);
  Courant(40, 30);
  EcritTexteAligne(20, 10, 0, QStringLiteral("Hello"), QStringLiteral("D"), 0);
  EXPECT_MM(Base(Textes().back()), 20, 27);
  EXPECT_NEAR(Repere.XCourant, 40, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 27, 1e-4);
  // "G" wins over "D" and "B" over "H".
  Courant(40, 30);
  EcritTexteAligne(20, 10, 0, QStringLiteral("Hello"), QStringLiteral("DGHB"), 0);
  EXPECT_MM(Base(Textes().back()), 40, 30);

  // Turned texts: the same anchors along and across the turned base line.
  for (const double angle : {30.0, 90.0, -135.0}) {
    const double a = angle * Rad;
    const double ux = std::cos(a), uy = std::sin(a), nx = std::sin(a), ny = -std::cos(a);
    Courant(40, 30);
    EcritTexteAligne(20, 10, angle, QStringLiteral("Hello"), QStringLiteral("DH"), 0);
    EXPECT_MM(Base(Textes().back()), 40 - 20 * ux + 6 * nx, 30 - 20 * uy + 6 * ny);
    EXPECT_NEAR(Textes().back().Angle, angle, 0.051);
    EXPECT_NEAR(Repere.XCourant, 40 + 6 * nx, 1e-4);
    EXPECT_NEAR(Repere.YCourant, 30 + 6 * ny, 1e-4);
    Courant(40, 30);
    EcritTexteAligne(20, 10, angle, QStringLiteral("Hello"), QString(), 0);
    EXPECT_MM(Base(Textes().back()), 40 - 10 * ux + 3 * nx, 30 - 10 * uy + 3 * ny);
  }

  // Text angle 90, "GB": upwards from the point.
  Courant(40, 30);
  EcritTexteAligne(20, 10, 90, QStringLiteral("Up"), QStringLiteral("GB"), 0);
  EXPECT_MM(Base(Textes().back()), 40, 30);
  EXPECT_NEAR(Repere.XCourant, 40, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 50, 1e-4);

  // A command angle first turns the point about the origin, then adds to the text angle.
  Courant(10, 0);
  EcritTexteAligne(20, 10, 0, QStringLiteral("Turn"), QStringLiteral("GB"), 90);
  EXPECT_MM(Base(Textes().back()), 0, 10);
  EXPECT_NEAR(Textes().back().Angle, 90, 1e-9);

  // The colour "N" draws nothing and keeps the current point.
  const size_t avant = Textes().size();
  Encre.CouleurCmd = -1;
  Courant(5, 5);
  EcritTexteAligne(20, 10, 0, QStringLiteral("None"), QStringLiteral("GB"), 0);
  EXPECT_EQ(Textes().size(), avant);
  EXPECT_FLOAT_EQ(Repere.XCourant, 5);
  Encre.CouleurCmd = 0;
}

TEST_F(TextTest, PrintedTextsKeepTheirSizeAndUseThePrinterResolution) {
  PrepareSurface();
  OutputSurface* ecran = Sortie;
  RecordingSurface imprimante(4961, 7016, 600);
  imprimante.ScaleHeight = -imprimante.ScaleHeight;
  imprimante.ScaleTop = -imprimante.ScaleHeight;
  imprimante.Font.Size = 10.5;
  Sortie = &imprimante;
  Encre.CouleurCmd = 0;

  EcritTextePoint(10, 20, QStringLiteral("P"), 0);
  ASSERT_EQ(imprimante.Primitives().size(), 1u);
  const Primitive& p = imprimante.Primitives()[0];
  EXPECT_DOUBLE_EQ(p.Police.Size, 10.5) << "not cut to a whole number";
  EXPECT_DOUBLE_EQ(imprimante.Font.Size, 10.5);
  ASSERT_TRUE(PoliceRot);
  EXPECT_EQ(PoliceRot->Description().Hauteur, -88) << "10.5 points at 600 pixels per inch";
  // The left end of the base line on the whole device pixel of the point.
  const double montee = imprimante.MetriquesTextePx().Ascent;
  EXPECT_NEAR(p.Points[0].x(), std::nearbyint(10 / 25.4 * 600), 1e-9);
  EXPECT_NEAR(p.Points[0].y() + montee, std::nearbyint(7016 - 20 / 25.4 * 600), 1e-6);

  // The colour "N" only moves the current point.
  Encre.CouleurCmd = -1;
  EcritTextePoint(30, 40, QStringLiteral("P"), 0);
  EXPECT_EQ(imprimante.Primitives().size(), 1u);
  EXPECT_FLOAT_EQ(Repere.XCourant, 30);
  EXPECT_DOUBLE_EQ(imprimante.CurrentY, 40);
  Encre.CouleurCmd = 0;
  Sortie = ecran;
}

TEST_F(TextTest, PrintRunWritesTheSameTextsAtTheirExactSize) {
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  Run(QStringLiteral("Texte = 10,20,,10.5G,Print"));
  ASSERT_TRUE(Session().ImprimePdf(dossier.filePath(QStringLiteral("t.pdf"))));
  QStringList textes;
  for (const QString& ligne : Session().Journal())
    if (ligne.startsWith(QLatin1String("text "))) textes << ligne;
  ASSERT_EQ(textes.size(), 2) << textes.join(QLatin1Char('\n')).toStdString();
  EXPECT_TRUE(textes[1].contains(QLatin1String("\"Times New Roman\" 10.50 B #000000 \"Print\"")))
      << textes[1].toStdString();
}

TEST_F(TextTest, TexteWritesOneLineWithItsStyle) {
  Run(QStringLiteral("Texte = 10,20,,12G, Hello,World"));
  EXPECT_TRUE(Messages().empty());
  auto t = Textes();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].Texte, " Hello,World") << "the blank and the comma belong to the text";
  EXPECT_TRUE(t[0].Police.Bold);
  EXPECT_FALSE(t[0].Police.Italic);
  EXPECT_DOUBLE_EQ(t[0].Police.Size, 12);
  EXPECT_NEAR(t[0].Angle, 0, 1e-9);
  EXPECT_MM(Base(t[0]), 10, 20);
  EXPECT_NEAR(Repere.XCourant, 10 + Largeur(t[0].Police, t[0].Texte), 1e-4);
  EXPECT_NEAR(Repere.YCourant, 20, 1e-4);
  EXPECT_DOUBLE_EQ(Sortie->Font.Size, 8) << "the font is given back";
  EXPECT_FALSE(Sortie->Font.Bold);

  // "$£" prints a comma; "#...#" holds an expression.
  Run(QStringLiteral("Texte = 0,0,RED,,A$£B #2*3#"));
  t = Textes();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].Texte, "A,B 6");
  EXPECT_EQ(t[0].Couleur, 255u);

  // Placement letters alone keep the style; a size alone clears it.
  Run(QStringList{"TailleP = GI", "Texte = 0,0,,C,Keep", "Texte = 0,0,,12,Plain"});
  t = Textes();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_TRUE(t[0].Police.Bold);
  EXPECT_TRUE(t[0].Police.Italic);
  EXPECT_FALSE(t[1].Police.Bold);
  EXPECT_FALSE(t[1].Police.Italic);
  // "C": the middle of the text and of its capitals on the point.
  const double w = Largeur(t[0].Police, QStringLiteral("Keep"));
  const double h = Hauteur(t[0].Police, QStringLiteral("Keep"));
  EXPECT_MM(Base(t[0]), -w / 2, -Lettrage.RapportTexteB * h);

  // Right-justified, one line lower for each "#".
  Run(QStringLiteral("Texte = 50,50,,D##,End"));
  t = Textes();
  ASSERT_EQ(t.size(), 1u);
  const double hX = Hauteur(t[0].Police, QStringLiteral("X"));
  EXPECT_MM(Base(t[0]), 50 - Largeur(t[0].Police, "End"), 50 - 2 * hX);
  EXPECT_NEAR(Repere.XCourant, 50, 1e-4);

  Run(QStringLiteral("Texte = 0,0,,XD,Bad"));
  EXPECT_EQ(Messages().size(), 1u) << "centred and right-justified at once";
  Run(QStringLiteral("Texte = 0,0,,VXD,Fine"));
  EXPECT_TRUE(Messages().empty());
  Run(QStringLiteral("Texte = 1E12,0,,,Far"));
  EXPECT_EQ(Messages().size(), 1u) << "beyond the device's coordinates";
  EXPECT_TRUE(Textes().empty());
  Run(QStringLiteral("Texte = 0,0,,RG,Bad"));
  EXPECT_EQ(Messages().size(), 1u) << "an R without an angle";
}

TEST_F(TextTest, TexteAnglesSpacingAndColourN) {
  Run(QStringLiteral("Texte = 10,0,,R45,Slant"));
  auto t = Textes();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_NEAR(t[0].Angle, 45, 1e-9);
  EXPECT_MM(Base(t[0]), 10, 0);

  // The point's own angle turns the point and adds to the text's angle.
  Run(QStringLiteral("Texte = 10,0§30,,R45,Slant"));
  t = Textes();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_NEAR(t[0].Angle, 75, 1e-9);
  EXPECT_MM(Base(t[0]), 10 * std::cos(30 * Rad), 10 * std::sin(30 * Rad));

  // Spacing 2: the characters one "X" width further apart, centring on the wider text.
  Run(QStringLiteral("Texte = 20,10,,X§§2,ab"));
  t = Textes();
  ASSERT_EQ(t.size(), 2u);
  const double xw = Largeur(t[0].Police, "X"), aw = Largeur(t[0].Police, "a"), bw = Largeur(t[0].Police, "b");
  const double largeur = aw + bw + xw;
  EXPECT_EQ(t[0].Texte, "a");
  EXPECT_MM(Base(t[0]), 20 - largeur / 2, 10);
  EXPECT_MM(Base(t[1]), 20 - largeur / 2 + aw + xw, 10);
  EXPECT_NEAR(Repere.XCourant, 20 + largeur / 2, 1e-4);

  // The colour "N" draws nothing but moves the current point.
  Run(QStringLiteral("Texte = 5,5,N,G,Hidden"));
  EXPECT_TRUE(Textes().empty());
  EXPECT_GT(Repere.XCourant, 5.5);
  EXPECT_NEAR(Repere.YCourant, 5, 1e-4);
}

TEST_F(TextTest, TexteMultiLineAndVertical) {
  PrepareSurface();
  Lecture.ParamLigne = QStringLiteral("10,40,,,One\r\nTwo\n\nFour");
  TraceTexte(1);
  auto t = Textes();
  ASSERT_EQ(t.size(), 3u) << "the empty line is drawn as nothing but still counts";
  const double hX = Hauteur(t[0].Police, QStringLiteral("X"));
  EXPECT_EQ(t[1].Texte, "Two");
  EXPECT_EQ(t[2].Texte, "Four");
  EXPECT_MM(Base(t[0]), 10, 40);
  EXPECT_MM(Base(t[1]), 10, 40 - hX);
  EXPECT_MM(Base(t[2]), 10, 40 - 3 * hX);

  // A column from the point down: the first cell's top on the point, one "X" height a step,
  // the current point one step below the last character.
  Session().Enregistrement().Efface();
  Lecture.ParamLigne = QStringLiteral("30,60,,V,ABC");
  TraceTexte(1);
  t = Textes();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_MM(Base(t[0]), 30, 60 - hX * Lettrage.RapportAscent);
  EXPECT_MM(Base(t[2]), 30, 60 - hX * (2 + Lettrage.RapportAscent));
  EXPECT_NEAR(Repere.YCourant, 60 - hX * (3 + Lettrage.RapportAscent), 1e-4);

  // "VH": the last base line on the point; "VC": centred characters.
  Session().Enregistrement().Efface();
  Lecture.ParamLigne = QStringLiteral("30,60,,VHC,ABC");
  TraceTexte(1);
  t = Textes();
  ASSERT_EQ(t.size(), 3u);
  const double wc = Largeur(t[2].Police, "C");
  EXPECT_MM(Base(t[2]), 30 - wc / 2, 60 - hX * (2 + Lettrage.RapportAscent - 1.5));

  Session().Enregistrement().Efface();
  Lecture.ParamLigne = QStringLiteral("30,60,,VH,ABC");
  TraceTexte(1);
  t = Textes();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_MM(Base(t[2]), 30, 60);
  EXPECT_MM(Base(t[0]), 30, 60 + 2 * hX);

  // Turned by 90: the column runs to the right, each character turned.
  Session().Enregistrement().Efface();
  Lecture.ParamLigne = QStringLiteral("30,60,,VR90,AB");
  TraceTexte(1);
  t = Textes();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_NEAR(t[1].Angle, 90, 1e-9);
  EXPECT_MM(Base(t[1]), 30 + hX * (1 + Lettrage.RapportAscent), 60);
}

TEST_F(TextTest, TexteCAlongAnArc) {
  Run(QStringLiteral("TexteC = 0,0,50,0,,,ABC"));
  EXPECT_TRUE(Messages().empty());
  auto t = Textes();
  ASSERT_EQ(t.size(), 3u);
  // From the left end clockwise over the top: reading upwards, then turning right.
  EXPECT_GT(t[0].Angle, 80);
  EXPECT_LT(t[0].Angle, 90);
  EXPECT_LT(t[1].Angle, t[0].Angle);
  const QPointF b0 = Base(t[0]);
  EXPECT_NEAR(b0.x(), -50, 0.5);
  EXPECT_NEAR(std::hypot(b0.x(), b0.y()), 50, 0.5) << "the base line on the circle";

  // Centred on the top: level there.
  Run(QStringLiteral("TexteC = 0,0,50,90,,C,ABC"));
  t = Textes();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_NEAR(t[1].Angle, 0, 0.5);
  EXPECT_NEAR(t[0].Angle, -t[2].Angle, 0.2);

  // Ending at the right end.
  Run(QStringLiteral("TexteC = 0,0,50,180,,D,ABC"));
  t = Textes();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_LT(t[2].Angle, -80);
  EXPECT_GT(Repere.XCourant, 48);

  // Spacing 2 doubles the arc the text takes; the characters keep their size.
  Run(QStringLiteral("TexteC = 0,0,50,0,,,ABC"));
  const double arc1 = Textes()[0].Angle - Textes()[2].Angle;
  Run(QStringLiteral("TexteC = 0,0,50§2,0,,,ABC"));
  t = Textes();
  ASSERT_EQ(t.size(), 3u);
  const double arc2 = t[0].Angle - t[2].Angle;
  EXPECT_GT(arc2, 1.8 * arc1);
  EXPECT_DOUBLE_EQ(t[0].Police.Size, 8);

  // A turned centre turns the start angle with it.
  Run(QStringLiteral("TexteC = 0,0§30,50,90,,C,ABC"));
  t = Textes();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_NEAR(t[1].Angle, 30, 0.5);

  // Size and style are given back, the font name stays; an empty text draws nothing.
  Run(QStringList{"TexteC = 0,0,50,0,,12G§Arial,AB", "TexteC = 0,0,50,0,,,"});
  EXPECT_TRUE(Messages().empty());
  t = Textes();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_DOUBLE_EQ(t[0].Police.Size, 12);
  EXPECT_TRUE(t[0].Police.Bold);
  EXPECT_EQ(Sortie->Font.Name, "ARIAL");
  EXPECT_DOUBLE_EQ(Sortie->Font.Size, 8);
  EXPECT_FALSE(Sortie->Font.Bold);

  // Without "%" the "#" characters stay as written.
  Run(QStringLiteral("TexteC = 0,0,50,0,,,#1#"));
  t = Textes();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].Texte, "#");

  Run(QStringLiteral("TexteC = 0,0,,0,,,AB"));
  EXPECT_EQ(Messages().size(), 1u) << "the radius is required";
}

TEST_F(TextTest, TexteCEvaluatesExpressionsOfVariables) {
  // The "#" expression sees the %variable it names; a plain %variable is replaced too.
  Run(QStringList{"%A = 5", "TexteC = 0,0,50,0,,,#%A*2#", "TexteC = 0,0,50,0,,,V%A"});
  EXPECT_TRUE(Messages().empty());
  QString ecrit;
  for (const Primitive& p : Textes()) ecrit += p.Texte;
  EXPECT_EQ(ecrit, "10V5");

  // A blank radius field is no radius.
  Run(QStringLiteral("TexteC = 0,0, ,0,,,AB"));
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Textes().empty());
}

TEST_F(TextTest, TaillePSetsTheFontAndMeasures) {
  Run(QStringList{"TailleP = 12", "Texte = 0,0,,,A"});
  auto t = Textes();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_DOUBLE_EQ(t[0].Police.Size, 12);
  EXPECT_FLOAT_EQ(Lettrage.TailleTexte, 12);
  EXPECT_FLOAT_EQ(Niveau(1).FacteurTailleP, 1);

  Run(QStringList{"TailleP = 12", "TailleP = *1.5 G", "Texte = 0,0,,,A", "Texte = 0,0,,*2,B"});
  t = Textes();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_DOUBLE_EQ(t[0].Police.Size, 18);
  EXPECT_TRUE(t[0].Police.Bold);
  EXPECT_DOUBLE_EQ(t[1].Police.Size, 24) << "a * size of Texte is from the standard size";
  EXPECT_FLOAT_EQ(Lettrage.TailleTexte, 12);
  EXPECT_FLOAT_EQ(Niveau(1).FacteurTailleP, 1.5f);

  // Two fields: the sample's letters are style letters too.
  Run(QStringList{"TailleP = 12,Bonjour", "Texte = 0,0,,,A"});
  t = Textes();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_TRUE(t[0].Police.Bold);
  EXPECT_TRUE(t[0].Police.Underline);
  EXPECT_FALSE(t[0].Police.Italic);

  Run(QStringList{"TailleP = 12 I", "TailleP = ,Test,%L,%H", "Texte = 0,0,,,A"});
  EXPECT_TRUE(Messages().empty());
  t = Textes();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_FALSE(t[0].Police.Italic) << "no letters: plain";
  EXPECT_DOUBLE_EQ(t[0].Police.Size, 12);
  const double l = Largeur(t[0].Police, "Test"), h = Hauteur(t[0].Police, "Test");
  EXPECT_EQ(Var(1, "%L"), TexteNombre(std::nearbyint(l * 100) / 100));
  EXPECT_EQ(Var(1, "%H"), TexteNombre(std::nearbyint(h * 100) / 100));
  EXPECT_GT(Var(1, "%L").toDouble(), 5);

  // The sample shown with its cell on the origin's line.
  Run(QStringLiteral("TailleP = 10,X,,,1"));
  t = Textes();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].Texte, "X");
  EXPECT_NEAR(t[0].Points[0].x(), 0, 1e-6);
  EXPECT_NEAR(t[0].Points[0].y(), HauteurImage - Hauteur(t[0].Police, "X") * PxParMm, 1e-3);
  EXPECT_NEAR(Repere.YCourant, 0, 1e-4);
}

TEST_F(TextTest, PoliceNamesTheFontAndTheRatio) {
  Run(QStringList{"Police = Arial", "Texte = 0,0,,,A"});
  EXPECT_TRUE(Messages().empty());
  ASSERT_EQ(Textes().size(), 1u);
  EXPECT_EQ(Textes()[0].Police.Name, "Arial");

  Run(QStringLiteral("Police = NoSuchFontAnywhere"));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].texte, "Pas de police NoSuchFontAnywhere");
  EXPECT_EQ(Messages()[0].boutons, Boutons::Ok);

  // Inside an external command file no message is shown.
  Niveau(1).Fichier = QStringLiteral("/tmp/cmd/Outil.dag");
  Lecture.ParamLigne = QStringLiteral("NoSuchFontAnywhere");
  const size_t avant = Messages().size();
  CmdPolice(1);
  EXPECT_EQ(Messages().size(), avant);

  Run(QStringLiteral("Police = Arial,0.2"));
  EXPECT_NEAR(Lettrage.RapportTexteBImpose, (Lettrage.RapportAscent - 0.2) / 2, 1e-6);
  Lecture.ParamLigne = QStringLiteral("Arial");
  CmdPolice(1);
  EXPECT_FLOAT_EQ(Lettrage.RapportTexteBImpose, 0);

  // The font name of a Texte: a message when unknown, and the command goes on.
  Run(QStringLiteral("Texte = 0,0,,§NoSuchFontAnywhere,Still"));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].texte, "Pas de police NOSUCHFONTANYWHERE");
  EXPECT_EQ(Textes().size(), 1u);
}

}  // namespace
