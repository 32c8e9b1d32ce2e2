// The Trait and EpaisT statements run as programs: polylines, their factors, turns and length
// variable, the pen they set and the width written back into the editor.

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include "DrawingFixture.h"
#include "commands/Commands.h"
#include "drawing/DrawState.h"
#include "drawing/Pen.h"
#include "platform/OutputSurface.h"
#include "values/Levels.h"

namespace {

class TraitEpaisTTest : public DrawingTest {};

TEST_F(TraitEpaisTTest, TraitDrawsAPolylineWithThePenAndColour) {
  Run(QStringList{"Trait = 0, 0, 10, 0, , , 10, 10"});
  EXPECT_TRUE(Messages().empty());
  auto l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l[0].Points[1], Px(10, 0));
  EXPECT_POINT(l[1].Points[0], Px(10, 0));
  EXPECT_POINT(l[1].Points[1], Px(10, 10));
  EXPECT_EQ(l[1].Couleur, 0u);
  EXPECT_EQ(l[1].Epaisseur, 1);
  EXPECT_FLOAT_EQ(Repere.XCourant, 10);
  EXPECT_FLOAT_EQ(Repere.YCourant, 10);

  // An empty x1 keeps the x of the first point; a blank y keeps its y.
  Run(QStringList{"Trait = 5, 2, , 10, , , 8, "});
  l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_POINT(l[0].Points[0], Px(5, 2));
  EXPECT_POINT(l[0].Points[1], Px(5, 10));
  EXPECT_POINT(l[1].Points[1], Px(8, 10));

  // Relative and polar points from the previous one.
  Run(QStringList{"Trait = 1, 1, 4R, 0R, , , 90°, 2"});
  l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_POINT(l[0].Points[1], Px(5, 1));
  EXPECT_POINT(l[1].Points[1], Px(5, 3));

  // Its own style holds for the command only.
  Run(QStringList{"EpaisT = 2", "Trait = 0, 0, 10, 0, 5§C", "Trait = 0, 5, 10, 5"});
  ASSERT_EQ(Polygones().size(), 1u);
  l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0].Epaisseur, 1) << "the axis of the square-ended piece";
  EXPECT_EQ(l[1].Epaisseur, 2);
  EXPECT_EQ(Plume.BoutCarre, 0);
}

TEST_F(TraitEpaisTTest, TraitFactorsTurnsAndLength) {
  Run(QStringList{"Trait = 0§2, 0, 10, 5, , , 1, 1"});
  auto l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_POINT(l[0].Points[1], Px(20, 5));
  EXPECT_POINT(l[1].Points[1], Px(2, 1));
  EXPECT_FLOAT_EQ(Plume.FacteurTraitX, 1.0f);
  EXPECT_FLOAT_EQ(Plume.FacteurTraitY, 1.0f);

  Run(QStringList{"Trait = 0, 0§0§%L, 3, 4"});
  EXPECT_TRUE(Messages().empty()) << Messages().back().texte.toStdString();
  EXPECT_EQ(Var(1, "%L"), "5");

  // Every point turned 30 degrees anticlockwise about the origin; the current point is the
  // turned last point and XRot/YRot the last point in the command's own frame.
  Run(QStringList{"Trait = 10, 0§30, 20, 0"});
  l = Lignes();
  ASSERT_EQ(l.size(), 1u);
  const double c = std::cos(30 * 0.017453293), s = std::sin(30 * 0.017453293);
  EXPECT_POINT(l[0].Points[0], Px(10 * c, 10 * s));
  EXPECT_POINT(l[0].Points[1], Px(20 * c, 20 * s));
  EXPECT_NEAR(Repere.XCourant, 20 * c, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 20 * s, 1e-4);
  EXPECT_NEAR(Repere.XRot, 20, 1e-4);
  EXPECT_NEAR(Repere.YRot, 0, 1e-4);

  // The total and its variable outlive the run: a later run adds to them and stores again
  // (5, then 10 of the turned line, then 5).
  Run(QStringList{"Trait = 0, 0, 3, 4"});
  EXPECT_EQ(Var(1, "%L"), "20");
  EXPECT_EQ(Cumul.VarLongueurTrait, "%L");

  // Naming the variable again restarts the total; a Trait without one adds to it.
  Run(QStringList{"Trait = 0, 0§§%L, 3, 4", "Trait = 0, 0, 6, 8"});
  EXPECT_EQ(Var(1, "%L"), "15");

  // Nor does a command file in between forget them.
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  QFile sub(dossier.filePath("sub.dat"));
  ASSERT_TRUE(sub.open(QIODevice::WriteOnly));
  sub.write("Plus = 50,50,1\r\n");
  sub.close();
  Shell.RepCourant = dossier.path() + "/";
  Run(QStringList{"Trait = 0, 0§0§%L, 10, 0", "Fichier = sub", "Trait = 10, 0, 20, 0"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(1, "%L"), "20");
}

TEST_F(TraitEpaisTTest, DashedPolylineCarriesItsPatternRoundCorners) {
  Run(QStringList{"EpaisT = 1§R§2§1", "Trait = 0, 0, 3, 0, , , 3, 3"});
  EXPECT_TRUE(Messages().empty());
  const auto l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l[0].Points[1], Px(2, 0));
  EXPECT_POINT(l[1].Points[0], Px(3, 0));  // the second dash starts at the corner
  EXPECT_POINT(l[1].Points[1], Px(3, 2));

  // Dashes far below a pixel end in time as one line.
  Run(QStringList{"EpaisT = 1§R§0.00000001", "Trait = 0, 0, 200, 0", "%A = 1"});
  EXPECT_EQ(Lignes().size(), 1u);
  EXPECT_EQ(Var(1, "%A"), "1");
}

TEST_F(TraitEpaisTTest, EpaisTSetsThePenForWhatFollows) {
  Run(QStringList{"EpaisT = 3§C", "Trait = 10, 10, 20, 10"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_FLOAT_EQ(Niveaux[1].FacteurEpaisT, 3);
  EXPECT_EQ(Sortie->DrawWidth, 3);
  const auto p = Polygones();
  ASSERT_EQ(p.size(), 1u);
  const double yAxe = HauteurImage - 10 * PxParMm;
  EXPECT_EQ(p[0].Points[0], QPointF(38, std::nearbyint(yAxe + 1.5)));
  EXPECT_EQ(p[0].Points[2], QPointF(76, std::nearbyint(yAxe - 1.5)));

  Run(QStringList{"EpaisT = 0.4", "Trait = 0, 0, 1, 0"});
  EXPECT_FLOAT_EQ(Niveaux[1].FacteurEpaisT, 1);
  EXPECT_EQ(Lignes().back().Epaisseur, 1);

  // A width of 0 keeps the width and still applies the end type.
  Run(QStringList{"EpaisT = 5", "EpaisT = 0§C"});
  EXPECT_EQ(Sortie->DrawWidth, 5);
  EXPECT_EQ(Plume.BoutCarre, -1);
  Run(QStringList{"EpaisT = 2mm"});
  EXPECT_EQ(Sortie->DrawWidth, 8) << "2 mm at 96 dpi is 7.56 px";
  // Millimetres are written "mm" for the pen: "2MM" cannot be read, and the message says why.
  Run(QStringList{"EpaisT = 2MM§R", "%A = 1"});
  EXPECT_TRUE(SeulMessage().texte.contains(QStringLiteral("EpaisT : 2MM : largeur illisible")))
      << SeulMessage().texte.toStdString();
  EXPECT_EQ(Var(1, "%A"), "<absent>");

  // Widths in pixels are printer pixels: on a screen pixel of 6 printer pixels, 6 is 1.
  Shell.RapportEcranImp = 6.0f;
  Run(QStringList{"EpaisT = 18"});
  EXPECT_EQ(Sortie->DrawWidth, 3);
  EXPECT_FLOAT_EQ(Niveaux[1].FacteurEpaisT, 3);
  Shell.RapportEcranImp = 1.0f;
}

// A command's own line-style field is read by the same reader as EpaisT, and an unreadable width
// says why in every command that has such a field.
TEST_F(TraitEpaisTTest, AnUnreadableWidthInACommandsStyleFieldSaysWhy) {
  const struct {
    const char* ligne;
    const char* raison;
  } table[] = {
      {"Trait = 0, 0, 10, 0, Rouge", "Trait : Rouge : largeur illisible"},
      {"If 1 Then Trait = 0, 0, 10, 0, Rouge", "Trait : Rouge : largeur illisible"},
      {"Cercle = 20, 20, 5, , , , Bleu§C", "Cercle : Bleu : largeur illisible"},
      {"Cadre = 0, 0, 10, 10, , 2xx", "Cadre : 2xx : largeur illisible"},
      {"Plus = 10, 10, 5, , Vert", "Plus : Vert : largeur illisible"},
      {"EpaisT = Rouge", "EpaisT : Rouge : largeur illisible"},
  };
  for (const auto& cas : table) {
    SCOPED_TRACE(cas.ligne);
    Session().Prompteur().Efface();
    Run(QStringList{QString::fromUtf8(cas.ligne), "%A = 1"});
    const QString texte = SeulMessage().texte;
    EXPECT_TRUE(
        texte.contains(QString::fromUtf8(cas.raison) + QStringLiteral(", en pixels ou en millimètres")))
        << texte.toStdString();
    EXPECT_EQ(Var(1, "%A"), "<absent>");
  }
}

TEST_F(TraitEpaisTTest, LineStyleParsers) {
  Run(QStringLiteral("' surface"));
  EXPECT_FLOAT_EQ(LitEpaisT(QStringLiteral("1§R§2"), 1), 1);
  EXPECT_EQ(Plume.BoutCarre, 0);
  EXPECT_FLOAT_EQ(Plume.TiretL1, 2);
  EXPECT_FLOAT_EQ(Plume.TiretL2, 2);
  EXPECT_FLOAT_EQ(Plume.TiretL3, 2);
  LitEpaisT(QStringLiteral("1§R§2§0.5§1"), 1);
  EXPECT_FLOAT_EQ(Plume.TiretL2, 0.5f);
  EXPECT_FLOAT_EQ(Plume.TiretL3, 1);
  EXPECT_FLOAT_EQ(Plume.FinTiretX, SansFinTiret);
  LitEpaisT(QStringLiteral("1§R§0"), 1);
  EXPECT_FLOAT_EQ(Plume.TiretL1, 0);
  EXPECT_FLOAT_EQ(LitEpaisT(QStringLiteral("  "), 1), 0);

  // A command's own style: "§C" keeps the dashes and their phase; afterwards the pen is back.
  Plume.TiretL1 = Plume.TiretL2 = Plume.TiretL3 = 2;
  Plume.PhaseTiret = 1;
  Plume.ResteTiret = 0.5f;
  Plume.EpaisseurTrait = 1;
  EpaisTLocale(QStringLiteral("§C"));
  EXPECT_EQ(Plume.BoutCarre, -1);
  EXPECT_FLOAT_EQ(Plume.TiretL1, 2);
  EXPECT_EQ(Plume.PhaseTiret, 1);
  RestaureEpaisT();
  EXPECT_EQ(Plume.BoutCarre, 0);

  EpaisTLocale(QStringLiteral("2MM§R§3"));
  EXPECT_EQ(Sortie->DrawWidth, 8) << "MM in any case for a command's style";
  EXPECT_FLOAT_EQ(Plume.TiretL1, 3);
  EXPECT_EQ(Plume.PhaseTiret, 0);
  RestaureEpaisT();
  EXPECT_EQ(Sortie->DrawWidth, 1);
  EXPECT_FLOAT_EQ(Plume.TiretL1, 2);
  EXPECT_EQ(Plume.PhaseTiret, 1);
  EXPECT_FLOAT_EQ(Plume.ResteTiret, 0.5f);

  FixeEpaisseur(QStringLiteral("4§R§2"));
  EXPECT_EQ(Sortie->DrawWidth, 4);
  EXPECT_FLOAT_EQ(Plume.TiretL1, 0) << "a style with sub-fields makes the line solid";
}

TEST_F(TraitEpaisTTest, EpaisTWithoutAValueWritesTheWidthBack) {
  Run(QStringList{"EpaisT = 4", "  EpaisT =   ", "%A = 1", "EpaisT"});
  EXPECT_TRUE(Messages().empty());
  // 4 px of 0.2646 mm.
  EXPECT_EQ(Session().Document().Text(), QStringLiteral("EpaisT = 4\r\n  EpaisT = 4  ' 1.06mm\r\n%A = 1\r\n"
                                                        "EpaisT = 4  ' 1.06mm"));
  EXPECT_EQ(Var(1, "%A"), "1") << "the run goes on with the next line";
  EXPECT_EQ(Sortie->DrawWidth, 4);
  EXPECT_EQ(Niveaux[1].Texte, Session().Document().Text());

  // A statement continued over several lines (after a THEN too), or holding a comment: the value
  // goes where the statement reads it, the run goes on after the statement, and the next run sets
  // the width without a word.
  for (const QStringList& ecrite :
       {QStringList{"EpaisT _", "  =", "%A = 1"}, QStringList{"If 1 Then _", "  EpaisT", "%A = 1"},
        QStringList{"EpaisT ' largeur", "%A = 1"}}) {
    QStringList programme = QStringList{"EpaisT = 4"} + ecrite;
    for (int passe = 1; passe <= 2; ++passe) {
      Run(programme);
      EXPECT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
      EXPECT_EQ(Var(1, "%A"), "1");
      EXPECT_EQ(Sortie->DrawWidth, 4);
      programme = Session().Document().Text().split(QStringLiteral("\r\n"));
    }
    EXPECT_TRUE(programme.join(QStringLiteral("|")).contains(QStringLiteral("= 4  ' 1.06mm")))
        << programme.join(QStringLiteral("|")).toStdString();
  }
  EXPECT_EQ(Session().Document().Text().toStdString(),
            "EpaisT = 4\r\nEpaisT = 4  ' 1.06mm ' largeur\r\n%A = 1");

  // The millimetres keep "." whatever the locale writes.
  const QLocale avant;
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  Run(QStringList{"EpaisT = 3", "EpaisT ="});
  QLocale::setDefault(avant);
  EXPECT_EQ(Session().Document().Text(), QStringLiteral("EpaisT = 3\r\nEpaisT = 3  ' .79mm"));
  // Also under a locale whose separator is neither "." nor ",".
  QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
  Run(QStringList{"EpaisT = 3", "EpaisT ="});
  QLocale::setDefault(avant);
  EXPECT_EQ(Session().Document().Text(), QStringLiteral("EpaisT = 3\r\nEpaisT = 3  ' .79mm"));
}

TEST_F(TraitEpaisTTest, EpaisTWithoutAValueInACommandFileLeavesTheEditorAlone) {
  Run(QStringList{"EpaisT = 4", "%A = 1"});
  const QString avant = Session().Document().Text();
  NiveauProg& fichier = Niveaux[2];
  fichier.Texte = QStringLiteral("Cercle = 0, 0, 5\r\nEpaisT =\r\n");
  fichier.DebutInstr = 19;
  fichier.FinInstr = 27;
  fichier.PosLecture = 29;
  Lecture.ParamLigne.clear();
  CmdEpaisT(2);
  EXPECT_EQ(Session().Document().Text(), avant);
  EXPECT_EQ(fichier.Texte, QStringLiteral("Cercle = 0, 0, 5\r\nEpaisT =\r\n"));
  EXPECT_EQ(fichier.PosLecture, 29);
  EXPECT_EQ(Sortie->DrawWidth, 4);
}

// A wide line with square ends to a far point is drawn along its own axis, within a pixel.
TEST_F(TraitEpaisTTest, AWideSquareEndedLineToAFarPointLiesOnItsAxis) {
  Run(QStringList{"EpaisT = 3mm§C", "Trait = 20, 100, 100000000, 150000000"});
  const QPointF debut = Px(20, 100), loin = Px(100000000, 150000000);
  const double pente = (loin.x() - debut.x()) / (debut.y() - loin.y());
  // 3 mm across the axis are a pen of 11 pixels, wider along a row of pixels.
  const double largeur = Sortie->DrawWidth * std::hypot(1, pente);
  EXPECT_EQ(Sortie->DrawWidth, 11);
  for (int y = 0; y < debut.y() - 10; y += 50) {
    const double axe = debut.x() + (debut.y() - (y + 0.5)) * pente;
    const auto [gauche, droite] = EncreDessinee(true, y);
    EXPECT_NEAR(gauche + 0.5, axe - largeur / 2, 1) << y;
    EXPECT_NEAR(droite + 0.5, axe + largeur / 2, 1) << y;
  }
}

}  // namespace
