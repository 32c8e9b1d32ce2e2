#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>
#include <QRegularExpression>

#include "RunFixture.h"
#include "drawing/DrawState.h"
#include "interpreter/RunState.h"
#include "platform/Host.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "values/Levels.h"
#include "values/Substitution.h"
#include "values/Variables.h"

namespace {

class SubstitutionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RazEtatRun();
    RazValeursShell();
    RazEtatDessin();
    DimensionneNiveaux(6);
    NiveauCourant = 1;
    Niveau(1).MaxVar = 33;
  }
  void TearDown() override { QLocale::setDefault(localeSauvee_); }

  static void Pose(int niveau, const QString& nom, const QString& valeur) {
    QString n = nom;
    StockeTexteVariable(niveau, n, valeur);
  }

  // The substituted text; the result flag goes into inconnu.
  static QString Sub(const QString& texte, bool* inconnu = nullptr) {
    QString t = texte;
    const bool r = SubstitueVariables(t);
    if (inconnu) *inconnu = r;
    return t;
  }

 private:
  QLocale localeSauvee_;
};

TEST_F(SubstitutionTest, VariablesOfTheLevel) {
  Pose(1, "%A", "5");
  Pose(1, "%B", "6");
  bool inconnu = true;
  EXPECT_EQ(Sub("%A mm", &inconnu), "5mm") << "one blank after the name is eaten";
  EXPECT_FALSE(inconnu);
  EXPECT_EQ(Sub("%A AND %B"), "5 AND 6");
  EXPECT_EQ(Sub("%a OR %B"), "5 OR 6");
  EXPECT_EQ(Sub("%A+1"), "5+1");
  EXPECT_EQ(Sub("x=%A*%b"), "x=5*6");

  Pose(1, "%C", " %A ");
  EXPECT_EQ(Sub("(%C)"), "( 5)") << "an inserted value is substituted again, untrimmed";

  EXPECT_EQ(Sub("50 %", &inconnu), "50 %");
  EXPECT_FALSE(inconnu);
  EXPECT_EQ(Sub("abc%", &inconnu), "abc%");
  EXPECT_FALSE(inconnu);
  EXPECT_EQ(Sub("50 % de %A", &inconnu), "50 % de 5");
  EXPECT_FALSE(inconnu);

  EXPECT_EQ(Sub("%X + %A", &inconnu), "%X + %A") << "the pass ends on the first unknown name";
  EXPECT_TRUE(inconnu);
  EXPECT_EQ(Sub("%A+%X", &inconnu), "5+%X");
  EXPECT_TRUE(inconnu);
}

TEST_F(SubstitutionTest, SelfReferencesAndLoopsAreErrors) {
  Pose(1, "%A", "%A");
  QString t = "%A";
  EXPECT_THROW(SubstitueVariables(t), ErreurExecution);
  t = "%A+1";
  EXPECT_THROW(SubstitueVariables(t), ErreurExecution);

  Pose(1, "%G", "%G x");
  t = "%G";
  EXPECT_THROW(SubstitueVariables(t), ErreurExecution) << "the text grows past 4096 characters";

  // Two variables naming each other never grow the text.
  Pose(1, "%P", "%Q");
  Pose(1, "%Q", "%P");
  Incident.DetailErreur.clear();
  t = "%P";
  EXPECT_THROW(SubstitueVariables(t), ErreurExecution);
  EXPECT_TRUE(Incident.DetailErreur.contains("endless substitution")) << Incident.DetailErreur.toStdString();
}

TEST_F(SubstitutionTest, VarInsertsTheValueAsItIs) {
  Pose(1, "%T", "a%b");
  Pose(1, "%b", "B");
  bool inconnu = true;
  EXPECT_EQ(Sub("VAR(%T)", &inconnu), "a%b") << "the inserted value is not substituted again";
  EXPECT_FALSE(inconnu);
  EXPECT_EQ(Sub("x var( %T ) %b"), "x a%b B");
  EXPECT_EQ(Lecture.PosEgal, 11) << "the \")\" of the leftmost reference";
  EXPECT_EQ(Sub("Var(%T)Var(%T)"), "a%ba%b");
  Pose(1, "Nom", "v");
  EXPECT_EQ(Sub("VAR(Nom)"), "v");
  EXPECT_EQ(Sub("VAR(NOM)"), "VAR(NOM)") << "names are compared exactly";
  EXPECT_EQ(Sub("VAR(Z)", &inconnu), "VAR(Z)");
  EXPECT_FALSE(inconnu);
  QString t = "VAR(%T";
  EXPECT_THROW(SubstitueVariables(t), ErreurExecution);
}

TEST_F(SubstitutionTest, IndexedReferences) {
  Pose(1, "%L", "a,b,c");
  Pose(1, "%I", "3");
  bool inconnu = true;
  EXPECT_EQ(Sub("%L(2)", &inconnu), "b");
  EXPECT_FALSE(inconnu);
  EXPECT_EQ(Sub("%L(#2)"), ",");
  EXPECT_EQ(Sub("%L(#9)"), "");
  EXPECT_EQ(Sub("%L(%I)"), "c");
  EXPECT_EQ(Sub("[%L(1)]"), "[a]");
  EXPECT_EQ(Sub("%L(2.5)"), "b") << "halves go to the even neighbour";
  QString t = "%L(4)";
  EXPECT_THROW(SubstitueVariables(t), ErreurExecution);
  t = "%L(#0)";
  EXPECT_THROW(SubstitueVariables(t), ErreurExecution);

  Pose(1, "%S", "x§y§z");
  EXPECT_EQ(Sub("%S(§2)"), "y");
  t = "%S(§4)";
  EXPECT_THROW(SubstitueVariables(t), ErreurExecution);

  Pose(1, "%D", "p-q-r");
  Pose(1, "%SEP", "-");
  EXPECT_EQ(Sub("%D(§\"-\"2)"), "q");
  EXPECT_EQ(Sub("%D(§\"%SEP\"3)"), "r");
  EXPECT_EQ(Sub("%D(§\"-\"9)"), "") << "no count check with a quoted separator";

  EXPECT_EQ(Sub("%U(2)", &inconnu), "%U(2)");
  EXPECT_TRUE(inconnu);

  // A separator whose value names itself again.
  Pose(1, "%R", "%X(§\"%R\"1)");
  Incident.DetailErreur.clear();
  t = "%X(§\"%R\"1)";
  EXPECT_THROW(SubstitueVariables(t), ErreurExecution);
  EXPECT_TRUE(Incident.DetailErreur.contains("nested too deep")) << Incident.DetailErreur.toStdString();
}

TEST_F(SubstitutionTest, TheListBeingWalked) {
  Pose(1, "%A", "0");
  Pose(1, "%L", "10,20,30");
  Lecture.SlotListe = 2;
  Lecture.ChampListe = 2;
  EXPECT_EQ(Sub("%L mm"), "20mm");
  EXPECT_EQ(Sub("%L+%L"), "20+20");
  Lecture.SlotListe = 0;
  EXPECT_EQ(Sub("%L"), "10,20,30");
}

TEST_F(SubstitutionTest, CallerAndGlobalLevels) {
  Pose(0, "%G", " 9");
  Pose(1, "%R", "7");
  bool inconnu = true;
  EXPECT_EQ(Sub("a-%IRE$-1X-", &inconnu), "A-") << "unknown scoped names are dropped";
  EXPECT_FALSE(inconnu);
  EXPECT_EQ(Sub("%IRE$#0G+1"), "9+1") << "at level 1 the global level is still reached";

  NiveauCourant = 2;
  EXPECT_EQ(Sub("%IRE$-1R+1"), "7+1");
  EXPECT_EQ(Sub("%IRE$#0G"), "9");
  EXPECT_EQ(Sub("x %IRE$-1Y"), "X ");

  // A value that brings its own scoped reference back grows the text one character per round.
  Pose(0, "%H", "a%IRE$#0H");
  Incident.DetailErreur.clear();
  QString t = "%IRE$#0H";
  EXPECT_THROW(SubstitueVariables(t), ErreurExecution);
  EXPECT_TRUE(Incident.DetailErreur.contains("Line too long")) << Incident.DetailErreur.toStdString();
}

TEST_F(SubstitutionTest, SystemVariables) {
  bool inconnu = true;
  EXPECT_EQ(Sub("%PI", &inconnu), "3.14159265358979");
  EXPECT_FALSE(inconnu);
  EXPECT_EQ(Sub("%pi*%PI"), "3.14159265358979*3.14159265358979");
  EXPECT_EQ(Sub("%IREC"), "1");
  Shell.ZoomCourant = 1.5f;
  EXPECT_EQ(Sub("%zoomX"), "1.5X");
  Pose(1, "%ZOOM", "4");
  EXPECT_EQ(Sub("%ZOOM"), "4") << "a variable of the level shadows it";
  Shell.FacteurMm = 0.5f;
  EXPECT_EQ(Sub("%FCMM"), ".5");
  Encre.CouleurCourante = 0x0080FF;
  EXPECT_EQ(Sub("%COUL"), "RVB 255 128 000");
  EXPECT_EQ(Sub("%IMP %EOF"), "01");
  Niveau(1).FicDonnees = "donnees.txt";
  EXPECT_EQ(Sub("%EOF"), "0");
  Lettrage.TailleTexte = 8;
  Niveau(1).FacteurTailleP = 1.5f;
  EXPECT_EQ(Sub("%TAP"), "12");
  Niveau(1).FacteurEpaisT = 1;
  EXPECT_EQ(Sub("%EPT"), ".26") << "25.4 / 96 mm per pixel, 2 decimals";
  EXPECT_EQ(Sub("%CEX,%CEY"), "0,0");
  Niveau(1).OrigineX = 12.5;
  Niveau(1).OrigineY = -0.25;
  EXPECT_EQ(Sub("%CEX,%CEY"), "12.5,-.25");
  Repere.CTx = 0.5f;
  Repere.CTy = 3;
  EXPECT_EQ(Sub("%CTX %CTY"), ".53");
  Rotation.AngRotDefaut = -30;
  EXPECT_EQ(Sub("%AR0"), "30");

  Shell.NomFichier = "/home/u/prog/essai.txt";
  Niveau(2).Fichier = "/home/u/cmd/forme.dag";
  EXPECT_EQ(Sub("%FILE"), "essai.txt");
  EXPECT_EQ(Sub("[%FIL1]"), "[]");
  EXPECT_EQ(Sub("%PATH"), "/home/u/prog/");
  NiveauCourant = 2;
  EXPECT_EQ(Sub("%FILE"), "forme.dag");
  EXPECT_EQ(Sub("%FIL1"), "essai.txt");
  EXPECT_EQ(Sub("%IREC"), "2");
  NiveauCourant = 1;

  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  EXPECT_TRUE(QRegularExpression("^\\d\\d/\\d\\d/\\d{4}$").match(Sub("%DATE")).hasMatch())
      << Sub("%DATE").toStdString();
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_TRUE(QRegularExpression("^\\d{1,2}/\\d{1,2}/\\d\\d$").match(Sub("%DATE")).hasMatch())
      << Sub("%DATE").toStdString();
}

TEST_F(SubstitutionTest, CarriageReturnAndLineFeed) {
  EXPECT_EQ(Sub("a%CRb"), "a\rb");
  EXPECT_EQ(Sub("a%CR b"), "a\rb");
  EXPECT_EQ(Sub("a%LFb"), "a\nb");
  Pose(1, "X", " v ");
  EXPECT_EQ(Sub("X %CR"), "X v") << "a text that starts with a variable's name";
  Lecture.ParamLigne = "X, 2";
  EXPECT_EQ(Sub("a%LF"), "av");
  Lecture.ParamLigne = "Y";
  EXPECT_EQ(Sub("a%LF"), "a\n");
}

class SubstitutionProgram : public RunFixture {};

TEST_F(SubstitutionProgram, InAProgram) {
  Run(QStringList{"%A = 5", "%B = %A", "%C = %A mm", "%L = 1;2;3", "%D = %L(§\";\"2)", "%P = %POL",
                  "%I = %IMP"});
  EXPECT_EQ(Var(1, "%B"), "5");
  EXPECT_EQ(Var(1, "%C"), "5mm");
  EXPECT_EQ(Var(1, "%D"), "2");
  ASSERT_NE(Sortie, nullptr);
  EXPECT_EQ(Var(1, "%P"), Sortie->Font.Name);
  EXPECT_EQ(Var(1, "%I"), "0");
  EXPECT_TRUE(Messages().empty());

  Run(QStringList{"%A =<%B", "%B =<%A", "%C = %A", "%D = 1"});
  EXPECT_TRUE(SeulMessage().texte.contains("endless substitution")) << SeulMessage().texte.toStdString();
  EXPECT_EQ(Var(1, "%D"), "<absent>");
}

}  // namespace
