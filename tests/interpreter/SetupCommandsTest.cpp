// The set-up commands run as whole programs: colour, centres, the CT point, pivot offset, default
// rotation, reference cursor, zoom factors, page orientation, separators, page break and the "?"
// echo of the current point.

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

#include "RunFixture.h"
#include "UserLocale.h"
#include "drawing/DrawState.h"
#include "interpreter/ScaleState.h"
#include "interpreter/SetupCommands.h"
#include "interpreter/VarList.h"
#include "platform/Host.h"
#include "platform/StringTable.h"
#include "values/Levels.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

class SetupCommandsTest : public RunFixture {
 protected:
  void SetUp() override {
    RunFixture::SetUp();
    Echelle = {};
    Repere.CTxNonTourne = Repere.CTyNonTourne = 0;
    Rotation.NiveauMaxAngRot = 0;
  }

  // Each run's drawing alone.
  void Run(const QStringList& lignes) {
    Session().Enregistrement().Efface();
    RunFixture::Run(lignes);
  }
  void Run(const QString& programme) { Run(QStringList{programme}); }

  // What the run drew, the clearing of the screen aside.
  size_t NbTraces() {
    size_t n = 0;
    for (const Primitive& p : Primitives()) n += p.Type != Primitive::Genre::Cls;
    return n;
  }
  std::vector<Primitive> Lignes(int mode) {
    std::vector<Primitive> r;
    for (const Primitive& p : Primitives()) {
      if (p.Type == Primitive::Genre::Ligne && p.Mode == mode) r.push_back(p);
    }
    return r;
  }
  // The order-error message of a statement on line n of the editor.
  static QString ErreurOrdre(int ligne, const QString& texte) {
    return TexteMsg(119) + QStringLiteral(" %1: ").arg(ligne) + texte + CRLF + TexteMsg(161) + CRLF;
  }
  // Runs the editor text on the printer (a PDF file).
  void Imprime(const QStringList& lignes) {
    Session().Document().SetText(lignes.join(CRLF));
    QTemporaryDir dossier;
    ASSERT_TRUE(dossier.isValid());
    ASSERT_TRUE(Session().ImprimePdf(dossier.filePath(QStringLiteral("page.pdf"))));
  }
};

TEST_F(SetupCommandsTest, CouleurSetsTheCurrentColourAndItsVariable) {
  Run(QStringList{"COULEUR = Rouge", "CT = 5, 5"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Encre.CouleurCourante, 255);
  EXPECT_EQ(Var(0, "%Coul"), " Rouge");
  EXPECT_EQ(Sortie->ForeColor, 255u);
  const auto croix = Lignes(13);
  ASSERT_EQ(croix.size(), 2u);
  EXPECT_EQ(croix[0].Couleur, 255u) << "the CT cross takes the current colour";

  // The whole rest of the line is the colour, separators included.
  Run(QStringLiteral("Couleur = RGB 0, 128, 255"));
  EXPECT_EQ(Encre.CouleurCourante, 128 * 256 + 255 * 65536);
  EXPECT_EQ(Var(0, "%Coul"), " RGB 0, 128, 255");

  // "N" draws nothing: the foreground colour stays.
  Run(QStringList{"COULEUR = Bleu", "COULEUR = n"});
  EXPECT_EQ(Encre.CouleurCourante, -1);
  EXPECT_EQ(Sortie->ForeColor, 16711680u);
  EXPECT_EQ(Var(0, "%Coul"), " n");

  // An empty colour is black.
  Run(QStringList{"COULEUR = Bleu", "COULEUR ="});
  EXPECT_EQ(Encre.CouleurCourante, 0);
  EXPECT_EQ(Sortie->ForeColor, 0u);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(SetupCommandsTest, ScreenCentreMovesTheOrigin) {
  Shell.DecalVueX = 10;
  Shell.DecalVueY = 5;
  Run(QStringList{"CENTREE = 20, 30, N, %CX, %CY", "%A = %CX"});
  EXPECT_TRUE(Messages().empty());
  const OutputSurface* ecran = Session().Ecran();
  const double largeur = ecran->ScaleWidth, hauteur = ecran->ScaleHeight;
  EXPECT_LT(hauteur, 0);
  EXPECT_NEAR(Repere.OrigineBaseX, largeur / 2 - 10 - 20, 1e-9);
  EXPECT_NEAR(Repere.OrigineBaseY, -hauteur / 2 - 5 - 30, 1e-9);
  EXPECT_NEAR(Repere.OrigineX, largeur / 2 - 10, 1e-9);
  EXPECT_NEAR(Repere.OrigineY, -hauteur / 2 - 5, 1e-9);
  EXPECT_NEAR(Repere.XCourant, Repere.OrigineX, 1e-4);
  EXPECT_NEAR(Repere.YCourant, Repere.OrigineY, 1e-4);
  EXPECT_EQ(RunShell.CentreCmdX, 20.0f);
  EXPECT_EQ(RunShell.CentreCmdY, 30.0f);
  EXPECT_EQ(Var(1, "%CX"), "20");
  EXPECT_EQ(Var(1, "%CY"), "30");
  EXPECT_EQ(Var(1, "%A"), "20");
  EXPECT_EQ(EtatOrdre, OrdreCentre);
  EXPECT_TRUE(Lignes(13).empty()) << "no cross in the colour N";

  // The end-of-run axes cross at the global origin.
  const auto axes = Lignes(9);
  ASSERT_EQ(axes.size(), 2u);
  for (const Primitive& p : axes) EXPECT_EQ(p.Couleur, 0xE6E6E6u);
  EXPECT_NEAR(axes[0].Points[0].x(), ecran->DeviceX(Repere.OrigineBaseX), 1e-6);
  EXPECT_NEAR(axes[0].Points[1].x(), ecran->DeviceX(Repere.OrigineBaseX), 1e-6);
  EXPECT_NEAR(axes[1].Points[0].y(), ecran->DeviceY(Repere.OrigineBaseY), 1e-6);

  // A cross in the current colour marks the centre.
  Run(QStringList{"COULEUR = vert", "CENTREE = 20, 30"});
  const auto croix = Lignes(13);
  ASSERT_EQ(croix.size(), 2u);
  EXPECT_EQ(croix[0].Couleur, 65280u);
  const QPointF milieu = (croix[0].Points[0] + croix[0].Points[1]) / 2;
  EXPECT_NEAR(milieu.x(), ecran->DeviceX(Repere.OrigineX), 0.5);
  EXPECT_NEAR(milieu.y(), ecran->DeviceY(Repere.OrigineY), 0.5);

  // Without a view offset the global origin stays where it was.
  Shell.DecalVueX = Shell.DecalVueY = 0;
  Repere.OrigineBaseX = Repere.OrigineBaseY = 0;
  Run(QStringLiteral("CENTREEI = 20, 30, n"));
  EXPECT_EQ(Repere.OrigineBaseX, 0);
  EXPECT_EQ(Repere.OrigineX, 20);
  EXPECT_EQ(Repere.OrigineY, 30);
  EXPECT_TRUE(Lignes(9).empty());

  // The printer's centre does nothing on the screen.
  Run(QStringLiteral("CENTREI = 100, 140"));
  EXPECT_EQ(Repere.OrigineX, 0);
  EXPECT_EQ(EtatOrdre, 0);
  EXPECT_EQ(NbTraces(), 0u);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(SetupCommandsTest, PrinterCentreUsesThePageCoordinates) {
  Imprime(QStringList{"CENTREI = 100, 140, N, %CX", "CENTREE = 5, 5"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(RunShell.OrigineFinX, 100.0f);
  EXPECT_EQ(RunShell.OrigineFinY, 140.0f);
  EXPECT_EQ(Var(1, "%CX"), "100");
  EXPECT_EQ(EtatOrdre, OrdreCentre);

  Imprime(QStringList{"FORMATI = Paysage", "CENTREEI = 50, 60", "NPAGE", "FORMATI = PORTRAIT"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(0, "%FPay"), "1");
  EXPECT_EQ(RunShell.OrigineFinX, 50.0f);
  EXPECT_EQ(EtatOrdre, OrdreFormatI);
}

TEST_F(SetupCommandsTest, OrderRules) {
  Run(QStringList{"%A = 1", "CENTREE = 1, 1", "CENTREE = 2, 2"});
  EXPECT_EQ(SeulMessage().texte, ErreurOrdre(3, "CENTREE = 2, 2"));
  EXPECT_EQ(EtatOrdre, -OrdreCentre);

  Run(QStringList{"CENTREE = 1, 1", "FORMATI = Paysage"});
  EXPECT_EQ(Messages().back().texte, ErreurOrdre(2, "FORMATI = Paysage"));

  Run(QStringList{"CT = 1, 1", "CENTREEI = 1, 1"});
  EXPECT_EQ(Messages().back().texte, ErreurOrdre(2, "CENTREEI = 1, 1")) << "CT drew its cross";

  // ZoomIni after FormatI and a centre is a run error that says the order is wrong; after a centre
  // alone it is not.
  Run(QStringList{"CENTREE = 1, 1", "ZOOMINI = 3"});
  EXPECT_EQ(Messages().size(), 3u);
  EXPECT_EQ(RunShell.ZoomIni, 3.0f);
  Run(QStringList{"FORMATI = Paysage", "CENTREE = 1, 1", "ZOOMINI = 2"});
  EXPECT_EQ(Messages().back().texte, TexteMsg(114) + QStringLiteral(" 3: ZOOMINI = 2") + CRLF + CRLF +
                                         QStringLiteral("Erreur ordre commandes / Error odre commands") +
                                         CRLF + CRLF + ListeVariables(1));
  const size_t erreurs = Messages().size();
  EXPECT_EQ(erreurs, 4u);

  // FormatI, then ZoomIni, a centre, CT any number of times; NPage starts the rules again.
  Run(QStringList{"FORMATI = Paysage", "ZOOMINI = 2", "ZOOMINII = 1.5", "CENTREE = 1, 1", "CT = 1, 1",
                  "CT = 2, 2", "NPAGE", "CENTREE = 3, 3"});
  EXPECT_EQ(Messages().size(), erreurs);
  EXPECT_EQ(Var(0, "%FPay"), "1");
  EXPECT_EQ(RunShell.ZoomIni, 2.0f);
  EXPECT_EQ(RunShell.ZoomIniI, 1.5f);
  EXPECT_EQ(RunShell.DernierFacteurImp, 1.5f);
  EXPECT_EQ(Repere.OrigineX, 3);

  // The next run starts from 1.0; Portrait sets no variable; an unknown format is a run error.
  Run(QStringLiteral("FORMATI = Portrait"));
  EXPECT_EQ(Messages().size(), erreurs);
  EXPECT_EQ(RunShell.ZoomIni, 1.0f);
  EXPECT_EQ(Var(0, "%FPay"), "<absent>");
  Run(QStringLiteral("FORMATI = A4"));
  EXPECT_EQ(Messages().back().texte,
            TexteMsg(114) + QStringLiteral(" 1: FORMATI = A4") + CRLF + CRLF +
                QStringLiteral("FormatI : champ 1 (Paysage ou Portrait) : \"A4\" : pas admis ici") + CRLF +
                CRLF + ListeVariables(1));

  // A zoom of 0 or below is refused where it is set, and names its field.
  for (const char* ligne : {"ZOOMINII = 0", "ZOOMINI = -2"}) {
    Run(QStringList{QString::fromLatin1(ligne), "%A = 1"});
    EXPECT_TRUE(Messages().back().texte.contains(QStringLiteral("field 1"))) << ligne;
    EXPECT_EQ(Var(1, "%A"), "<absent>") << ligne;
  }
  EXPECT_EQ(RunShell.ZoomIni, 1.0f);
  EXPECT_EQ(RunShell.ZoomIniI, 1.0f);
}

TEST_F(SetupCommandsTest, NPageClearsTheScreen) {
  Run(QStringList{"TRAIT = 0, 0, 5, 5", "NPAGE", "%A = 1"});
  EXPECT_TRUE(Messages().empty());
  ASSERT_FALSE(Primitives().empty());
  EXPECT_EQ(Primitives().back().Type, Primitive::Genre::Cls);
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_EQ(EtatOrdre, 0);
}

TEST_F(SetupCommandsTest, CtMovesTheCurrentZero) {
  Run(QStringList{"CT = 10, 20", "TRAIT = 0, 0, 1, 1"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Repere.CTx, 10.0f);
  EXPECT_EQ(Repere.CTy, 20.0f);
  EXPECT_EQ(Var(0, "%CTx"), "10");
  EXPECT_EQ(Var(0, "%CTy"), "20");
  EXPECT_EQ(Niveau(1).CTxNiveau, 10.0f);
  EXPECT_EQ(EtatOrdre, OrdreCentre | OrdreDessin);
  EXPECT_EQ(Lignes(13).size(), 3u) << "the cross and the line";
  EXPECT_NEAR(Repere.XCourant, 11, 1e-6);
  EXPECT_NEAR(Repere.YCourant, 21, 1e-6);

  // An empty x and a y field holding only an angle keep the previous point, moved by the
  // current point, and turn it.
  Run(QStringList{"CT = 10, 20", "CT = , §30, N"});
  const double a = 30 * 0.017453293;
  EXPECT_NEAR(Repere.CTx, 10 * std::cos(a) - 20 * std::sin(a), 1e-5);
  EXPECT_NEAR(Repere.CTy, 10 * std::sin(a) + 20 * std::cos(a), 1e-5);
  EXPECT_EQ(Repere.CTxNonTourne, 10.0f);
  EXPECT_EQ(Repere.CTyNonTourne, 20.0f);
  EXPECT_FLOAT_EQ(Rotation.AngRotDeg, -30.0f);
  EXPECT_EQ(Lignes(13).size(), 2u) << "one cross only";

  // Without parameters no cross is drawn and no drawing is flagged.
  Run(QStringLiteral("CT"));
  EXPECT_EQ(NbTraces(), 0u);
  EXPECT_EQ(EtatOrdre, OrdreCentre);
}

TEST_F(SetupCommandsTest, DecalSetsThePivotOffset) {
  Run(QStringList{"CT = 5, 5, N", "DECAL = 12"});
  EXPECT_EQ(Echelle.DecalPivot, -12);
  EXPECT_EQ(Var(0, "%DECAL"), "-12");
  EXPECT_FALSE(Echelle.CouleurPivot.EstVide());
  EXPECT_EQ(Var(0, "%CouleurDECAL"), "<absent>");
  EXPECT_NEAR(Repere.YCourant, Repere.OrigineY + 5 + 12, 1e-6);
  EXPECT_EQ(EtatOrdre, OrdreCentre | OrdreDessin);

  Run(QStringList{"TRAIT = 0, 0, 3, 3", "DECAL = 12, n"});
  EXPECT_EQ(Echelle.DecalPivot, -12);
  EXPECT_TRUE(Echelle.CouleurPivot.EstVide());
  EXPECT_EQ(Var(0, "%CouleurDECAL"), "n");
  EXPECT_NEAR(Repere.YCourant, Repere.OrigineY + 3, 1e-6) << "N does not move the current point";

  Run(QStringLiteral("DECAL = -4, Rouge"));
  EXPECT_EQ(Echelle.DecalPivot, 4);
  EXPECT_EQ(static_cast<int32_t>(Echelle.CouleurPivot), 255);
  EXPECT_EQ(Var(0, "%CouleurDECAL"), "Rouge");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(SetupCommandsTest, AngRotSetsTheDefaultRotation) {
  Run(QStringLiteral("ANGROT = 30"));
  EXPECT_EQ(Var(0, "%ANGR"), "30");
  EXPECT_EQ(Rotation.AngRotDefaut, -30.0f);
  EXPECT_EQ(Niveau(1).AngRotNiveau, -30.0f);
  EXPECT_EQ(Rotation.NiveauMaxAngRot, 5);
  EXPECT_EQ(RunShell.AngRotFin, -30.0f);

  Run(QStringLiteral("ANGROT = 45, 2"));
  EXPECT_EQ(Rotation.NiveauMaxAngRot, 3);
  EXPECT_EQ(Var(0, "%ANGR"), "45");
  Run(QStringLiteral("ANGROT = -15, -1"));
  EXPECT_EQ(Rotation.NiveauMaxAngRot, 3) << "-1 keeps the limit";
  EXPECT_EQ(Var(0, "%ANGR"), "-15");

  // The default rotation turns CT.
  Run(QStringList{"ANGROT = 90", "CT = 10, 0"});
  EXPECT_NEAR(Repere.CTx, 0, 1e-5);
  EXPECT_NEAR(Repere.CTy, 10, 1e-5);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(SetupCommandsTest, RefCurKeepsTheReferenceCursorOffsets) {
  Run(QStringList{"TRAIT = 0, 0, 5, 6", "REFCUR = 1.234, "});
  EXPECT_FLOAT_EQ(RunShell.DecalRefX, 1.23f);
  EXPECT_FLOAT_EQ(RunShell.DecalRefY, 6.0f) << "an empty y keeps the current point's";
  EXPECT_EQ(RunShell.DecalRefAngle, 0.0f);
  EXPECT_FLOAT_EQ(RunShell.RefCurX, static_cast<float>(Repere.OrigineX) + 1.23f);

  Run(QStringLiteral("REFCUR = 2.345, 7§45"));
  EXPECT_FLOAT_EQ(RunShell.DecalRefX, 2.35f);
  EXPECT_FLOAT_EQ(RunShell.DecalRefY, 7.0f);
  EXPECT_FLOAT_EQ(RunShell.DecalRefAngle, 45.0f);
  EXPECT_TRUE(Messages().empty());
}

// Under a French or German user's settings the C library reads "," as the decimal point: the
// rounded values of ? and RefCur are still read with ".".
TEST_F(SetupCommandsTest, PointEchoAndRefCurUnderTheUsersLocale) {
  const LocaleUtilisateur locale;
  if (!locale.Active()) GTEST_SKIP() << "neither fr_FR.UTF-8 nor de_DE.UTF-8 is installed";
  Run(QStringList{"Trait = 0, 0, 12.5, 3.25", "?"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Session().Document().Text(),
            QStringList({"Trait = 0, 0, 12.5, 3.25", "'? = 12.5,  3.25"}).join(CRLF));
  Run(QStringList{"RefCur = 10.25, 20.5"});
  EXPECT_FLOAT_EQ(RunShell.DecalRefX, 10.25f);
  EXPECT_FLOAT_EQ(RunShell.DecalRefY, 20.5f);
}

TEST_F(SetupCommandsTest, SeparateurChangesTheFieldSeparators) {
  Run(QStringList{"SEPARATEUR = ;", "CT = 3; 4; N", "%A = 1"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Repere.CTx, 3.0f);
  EXPECT_EQ(Repere.CTy, 4.0f);
  EXPECT_EQ(Lecture.SepParam, ";");
  EXPECT_EQ(Lecture.SepSousParam, "§") << "the sub-separator stays";
  EXPECT_EQ(Niveau(1).SepParam, ";");

  Run(QStringList{"SEPARATEUR = ;, #", "CT = 10; 0#90; N", "SEPARATEUR", "CT = 1, 2, N"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Lecture.SepParam, ",") << "no field restores the comma";
  EXPECT_EQ(Lecture.SepSousParam, "#");
  EXPECT_EQ(Niveau(1).SepSousParam, "#");
  EXPECT_EQ(Repere.CTx, 1.0f);
  EXPECT_EQ(Repere.CTy, 2.0f);

  // Every run starts again with the comma.
  Run(QStringList{"CT = 5, 6, N"});
  EXPECT_EQ(Repere.CTx, 5.0f);
  EXPECT_EQ(Lecture.SepSousParam, "§");
}

TEST_F(SetupCommandsTest, PointEchoRewritesItsLine) {
  Run(QStringList{"TRAIT = 0,0,12.5,3.25", "?", "%A = 1", "FIN:", "%B = 2"});
  EXPECT_TRUE(Messages().empty());
  const QString attendu =
      QStringList{"TRAIT = 0,0,12.5,3.25", "'? = 12.5,  3.25", "%A = 1", "FIN:", "%B = 2"}.join(CRLF);
  EXPECT_EQ(Session().Document().Text(), attendu);
  EXPECT_EQ(Var(1, "%A"), "1") << "the run goes on after the line";
  EXPECT_EQ(Var(1, "%B"), "2");
  ASSERT_EQ(Etiquettes[1].size(), 1u);
  EXPECT_EQ(Etiquettes[1][0].Position, attendu.indexOf(QStringLiteral("FIN:")) + 1);

  // Relative to the CT point, negative values without a blank, a statement continued on two lines.
  Run(QStringList{"CT = 10, 10, N", "TRAIT = 0,0,-2.004,1.996", "? = _", "  ", "%A = 1"});
  EXPECT_TRUE(Messages().empty());
  const QStringList apres{"CT = 10, 10, N", "TRAIT = 0,0,-2.004,1.996", "'? =-2,  2", "%A = 1"};
  EXPECT_EQ(Session().Document().Text(), apres.join(CRLF));
  EXPECT_EQ(Var(1, "%A"), "1");

  // Into variables, in axes turned by the angle; the text stays.
  const QStringList programme{"TRAIT = 0,0,12.5,3.25", "? = %X, %Y§90", "? = %U"};
  Run(programme);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Session().Document().Text(), programme.join(CRLF));
  EXPECT_EQ(Var(1, "%X"), "3.25");
  EXPECT_EQ(Var(1, "%Y"), "-12.5");
  EXPECT_EQ(Var(1, "%U"), "12.5");

  // A loop that comes back reads the rewritten line, a comment now, and the shifted ones after it.
  Run(QStringList{"%N = 0", "A:", "TRAIT = 0,0,12.5,3.25", "?", "%N == %N+1", "If %N < 2 Then Goto A"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Session().Document().Text(),
            QStringList({"%N = 0", "A:", "TRAIT = 0,0,12.5,3.25", "'? = 12.5,  3.25", "%N == %N+1",
                         "If %N < 2 Then Goto A"})
                .join(CRLF));
  EXPECT_EQ(Var(1, "%N"), "2");

  // After a THEN: the whole line becomes the comment, and the run goes on with the next line.
  Run(QStringList{"Trait = 10, 10, 20, 20", "If 1 = 1 Then ?", "%a = 5", "%b = 17"});
  EXPECT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
  EXPECT_EQ(
      Session().Document().Text(),
      QStringList({"Trait = 10, 10, 20, 20", "'If 1 = 1 Then ? = 20,  20", "%a = 5", "%b = 17"}).join(CRLF));
  EXPECT_EQ(Var(1, "%A"), "5");
  EXPECT_EQ(Var(1, "%B"), "17");

  // A lone "%" names nothing.
  Run(QStringList{"? = %, %"});
  EXPECT_EQ(NbVar(1), 0);
  EXPECT_EQ(Session().Document().Text(), "? = %, %");
}

// A line rewritten after the THEN of a one-line If does nothing on its next passes: in the loop
// that comes back to it, in the next run and in the print run; the lines after it run, and a jump
// to a label below it lands.
TEST_F(SetupCommandsTest, PointEchoAfterAThenLeavesALineThatDoesNothing) {
  const QStringList programme{"%n = 0",
                              "Trait = 0, 0, 12.5, 3.25",
                              "B:",
                              "%n == %n + 1",
                              "If %n = 1 Then ?",
                              "%x == %n * 20",
                              "Cercle = %x, 50, 5",
                              "If %n < 5 Then Goto B",
                              "Goto FIN",
                              "%perdu = 1",
                              "FIN:",
                              "%fin = ok"};
  QStringList apres = programme;
  apres[4] = QStringLiteral("'If %n = 1 Then ? = 12.5,  3.25");
  for (const QStringList& texte : {programme, apres}) {
    Run(texte);
    EXPECT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
    EXPECT_EQ(Session().Document().Text(), apres.join(CRLF));
    EXPECT_EQ(std::count_if(Primitives().begin(), Primitives().end(),
                            [](const Primitive& p) { return p.Type == Primitive::Genre::Cercle; }),
              5);
    EXPECT_EQ(Var(1, "%N"), "5");
    EXPECT_EQ(Var(1, "%PERDU"), "<absent>");
    EXPECT_EQ(Var(1, "%FIN"), "ok");
  }
  // The print run: its record goes into the session's log.
  auto cercles = [this] {
    return Session().Journal().filter(QRegularExpression(QStringLiteral("^circle "))).size();
  };
  const qsizetype avant = cercles();
  Imprime(apres);
  EXPECT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
  EXPECT_EQ(cercles() - avant, 5);
  EXPECT_EQ(Var(1, "%FIN"), "ok");

  // Nested in a second one-line If, and over a continuation line: the whole statement.
  Run(QStringList{"Trait = 0, 0, 1, 2", "If 1 Then If 2 _", "  Then ?", "%a = 1"});
  EXPECT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
  const QStringList imbrique{"Trait = 0, 0, 1, 2", "'If 1 Then If 2 _", "  Then ? = 1,  2", "%a = 1"};
  EXPECT_EQ(Session().Document().Text(), imbrique.join(CRLF));
  Run(imbrique);
  EXPECT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
  EXPECT_EQ(Session().Document().Text(), imbrique.join(CRLF));
  EXPECT_EQ(Var(1, "%A"), "1");
}

}  // namespace
