#include <gtest/gtest.h>

#include <QLocale>

#include "RunFixture.h"
#include "UserLocale.h"
#include "interpreter/RunState.h"
#include "platform/Clipboard.h"
#include "platform/RunError.h"
#include "values/Insertions.h"
#include "values/Levels.h"
#include "values/Variables.h"

namespace {

class InsertionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RazEtatRun();
    DimensionneNiveaux(6);
    NiveauCourant = 1;
    Niveau(1).MaxVar = 33;
  }
  void TearDown() override { QLocale::setDefault(localeSauvee_); }

  static void Pose(int niveau, const QString& nom, const QString& valeur) {
    QString n = nom;
    StockeTexteVariable(niveau, n, valeur);
  }
  static void Francais() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }
  static void Anglais() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
  static std::string D(const QString& t) { return EvalueDieses(t).toStdString(); }
  static std::string TA(const QString& t) { return FonctionsTxtArr(t).toStdString(); }

 private:
  QLocale localeSauvee_;
};

TEST_F(InsertionsTest, HashMarks) {
  Anglais();
  EXPECT_EQ(D("a##b"), "a#b");
  EXPECT_EQ(D("##2#"), "#2#") << "the remaining \"#\" is a literal";
  EXPECT_EQ(D("#2*3#"), "6");
  EXPECT_EQ(D("#1/4#"), "0.25");
  EXPECT_EQ(D("x #2+"), "x #2+");
  EXPECT_EQ(D("R = #-.5# mm #3#"), "R = -0.5 mm 3");
  EXPECT_EQ(D("[# #]"), "[]");
  Pose(1, "%R", "2");
  EXPECT_EQ(D("Rayon = #%R*2# mm"), "Rayon = 4 mm");
  EXPECT_EQ(D("#%R#%R"), "2%R") << "only the expression is substituted";
  EXPECT_THROW(EvalueDieses("#%Z+1#"), ErreurExecution);
  EXPECT_THROW(EvalueDieses("#abc#"), ErreurExecution);

  Francais();
  EXPECT_EQ(D("#1/4#"), "0,25");
  EXPECT_EQ(D("#2.5#"), "2,5");

  Pose(0, "%G", "4");
  NiveauCourant = 2;
  EXPECT_EQ(D("#%IRE$#0G+1#!"), "5!") << "the marker's \"#\" does not close the expression";
}

TEST_F(InsertionsTest, TxtAndArr) {
  Francais();
  EXPECT_EQ(TA("TXT(3.5)"), "3,5");
  EXPECT_EQ(TA("a txt( 1.25 ) b TXT(2)"), "a 1,25 b 2");
  EXPECT_EQ(TA("TXT((1)+2)"), "(1)+2");
  EXPECT_EQ(TA("TXT(TXT(1.5))"), "1,5");
  EXPECT_EQ(TA("ARR2(3,14159)"), "3,14");
  EXPECT_EQ(TA("ARR2(3.14159)"), "3,14");
  EXPECT_EQ(TA("ARR0(2.5)"), "3");
  EXPECT_EQ(TA("arr1(-0.25) ARR3(2)"), "-0,3 2,000");
  EXPECT_EQ(TA("ARRAY"), "ARRAY");
  EXPECT_EQ(TA("ARRX(1)"), "ARRX(1)");
  EXPECT_EQ(TA("ARR2(1.5"), "ARR2(1.5");
  EXPECT_EQ(TA("ARR1(abc)"), "0,0");
  EXPECT_THROW(FonctionsTxtArr("TXT(1.5"), ErreurExecution);

  Anglais();
  EXPECT_EQ(TA("TXT(3.5)"), "3.5");
  EXPECT_EQ(TA("ARR2(3,14159)"), "3.14");
  EXPECT_EQ(TA("ARR2(1234567.891)"), "1234567.89") << "no digit grouping";

  // A separator that is neither "." nor "," is read back as well.
  const LocaleNommee arabe("ar_EG.UTF-8");
  if (!arabe.Active()) GTEST_SKIP() << "the ar_EG.UTF-8 locale is not installed";
  const QString point(QChar(0x066B));
  EXPECT_EQ(FonctionsTxtArr(EvalueDieses("ARR2(#1/3#)")), QStringLiteral("0") + point + QStringLiteral("33"));
  EXPECT_EQ(FonctionsTxtArr("ARR2(TXT(2.5))"), QStringLiteral("2") + point + QStringLiteral("50"));
}

TEST_F(InsertionsTest, AssignedValues) {
  Pose(1, "%A", "2");
  Lecture.OperateurAffect = "=";
  QString t = "%A*3";
  EXPECT_EQ(ValeurAffectation(t), "6");
  EXPECT_EQ(t, "2*3") << "the text is rewritten by the substitution only";
  t = "1/4";
  EXPECT_EQ(ValeurAffectation(t), ".25");
  t = "2>1";
  EXPECT_EQ(ValeurAffectation(t), "1");
  t = "LEN(\"%X\")";
  EXPECT_EQ(ValeurAffectation(t), "2") << "a quoted \"%\" of LEN( is no unknown variable";
  t = "%X*2";
  EXPECT_THROW(ValeurAffectation(t), ErreurExecution);

  Lecture.OperateurAffect = "<";
  t = "  %A  ";
  EXPECT_EQ(ValeurAffectation(t), "  %A  ");
  Lecture.OperateurAffect.clear();
  t = "  abc  ";
  EXPECT_EQ(ValeurAffectation(t), "abc");

  EXPECT_EQ(AvantSousSep("45°§2"), "45°");
  EXPECT_EQ(AvantSousSep("45"), "45");
  Lecture.SepSousParam = "|";
  EXPECT_EQ(AvantSousSep("45°§2|3"), "45°§2");
}

class AssignmentProgram : public RunFixture {};

TEST_F(AssignmentProgram, Statements) {
  Run(QStringList{"%A = 1", "%N == 2*3", "%M = 2*3", "%T =<%A x", "%Q = \"x%A\"", "%Q =\"y%A\"",
                  "%R =<\"%A\"", "%A = %A + 1"});
  EXPECT_EQ(Var(1, "%N"), "6");
  EXPECT_EQ(Var(1, "%M"), "2*3");
  EXPECT_EQ(Var(1, "%T"), "%A x");
  EXPECT_EQ(Var(1, "%Q"), "y1");
  EXPECT_EQ(Var(1, "%R"), "%A");
  EXPECT_EQ(Var(1, "%A"), "1+ 1") << "the blank after a name goes with it";
  EXPECT_TRUE(Messages().empty());

  Run(QStringList{"%A = 1", "%N == %A + %Z", "%B = 2"});
  EXPECT_TRUE(SeulMessage().texte.contains(" 1+ %Z : non initialisée / not initialized"));
  EXPECT_EQ(Var(1, "%N"), "") << "the slot is made before its value fails";
  EXPECT_EQ(Var(1, "%B"), "<absent>");

  // A "VAR(" reference is resolved in a new variable's value as in an existing one's; the other
  // names of a new variable's value stay as written.
  Session().Prompteur().Efface();
  Run(QStringList{"%T = abc", "%A = 1", "%W = VAR(%T)", "%V = VAR(%T)-%A", "%E = 0", "%E = VAR(%T)-%A"});
  EXPECT_EQ(Var(1, "%W"), "abc");
  EXPECT_EQ(Var(1, "%V"), "abc-%A");
  EXPECT_EQ(Var(1, "%E"), "abc-1");
  EXPECT_TRUE(Messages().empty());

  Run(QStringList{"%IRE$-1R = 5", "%B = 2"});
  EXPECT_EQ(Var(1, "%R"), "<absent>");
  EXPECT_EQ(Var(1, "%B"), "2");
}

TEST_F(AssignmentProgram, Clipboard) {
  PressePapiersEcrit("du presse-papiers");
  Run(QStringList{"%T = CLIPBOARD", "%CLIPBOARD = abc", "%U = CLIPBOARD"});
  EXPECT_EQ(Var(1, "%T"), "du presse-papiers");
  EXPECT_EQ(Var(1, "%U"), "abc");
  EXPECT_EQ(PressePapiersTexte(), "abc");
}

}  // namespace
