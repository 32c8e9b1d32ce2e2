#include <gtest/gtest.h>

#include "RunFixture.h"
#include "interpreter/RunState.h"
#include "platform/RunError.h"
#include "values/Levels.h"
#include "values/StringFunctions.h"
#include "values/Variables.h"

namespace {

class StringFunctionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RazEtatRun();
    DimensionneNiveaux(6);
    NiveauCourant = 1;
  }
  static void Pose(const QString& nom, const QString& valeur) {
    QString n = nom;
    StockeTexteVariable(1, n, valeur);
  }
  static std::string F(const QString& texte) { return FonctionsChaine(texte).toStdString(); }
};

TEST_F(StringFunctionsTest, LeftAndRight) {
  EXPECT_EQ(F("LEF3(\"abcdef\")"), "abc");
  EXPECT_EQ(F("RIG2(\"abcdef\")"), "ef");
  EXPECT_EQ(F("LEF0(\"abcdefghijkl\")"), "abcdefghij");
  EXPECT_EQ(F("RIG0(\"abcdefghijkl\")"), "cdefghijkl");
  EXPECT_EQ(F("LEF9(\"ab\")"), "ab");
  EXPECT_EQ(F("lef1(\"Xy\")"), "X");
  EXPECT_EQ(F("LEF3(\"abcd\") + RIG1(\"xyz\")"), "abc + z");
  EXPECT_EQ(F("[LEF2(\"a(b)c\")]"), "[a(]");
  // Calls whose syntax does not match stay.
  EXPECT_EQ(F("LEF3(abc)"), "LEF3(abc)");
  EXPECT_EQ(F("LEFX(\"abc\")"), "LEFX(\"abc\")");
  EXPECT_EQ(F("LEFR(\"abc\")"), "LEFR(\"abc\")");
  EXPECT_EQ(F("LEF3(\"abc"), "LEF3(\"abc");
  EXPECT_EQ(F("(\"a\")"), "(\"a\")");
  EXPECT_EQ(F("[LEF3(\"\")]"), "[]");
  EXPECT_THROW(FonctionsChaine("LEF3(\")"), ErreurExecution);
  EXPECT_EQ(F("LEFX(\")"), "LEFX(\")");
  EXPECT_THROW(FonctionsChaine("REPL(\",\"a\",\"b\")"), ErreurExecution);
  EXPECT_EQ(F("f(1)"), "f(1)");
}

TEST_F(StringFunctionsTest, CountsFromVariables) {
  EXPECT_THROW(FonctionsChaine("LEFL(\"xyz\")"), ErreurExecution);
  Pose("%Lef", "2");
  Pose("%RIG", "1");
  EXPECT_EQ(F("LEFL(\"xyz\")"), "xy");
  EXPECT_EQ(F("rigr(\"xyz\")"), "z");
  Pose("%Lef", "0");
  EXPECT_EQ(F("[LEFL(\"xyz\")]"), "[]");
  Pose("%Lef", "abc");
  EXPECT_THROW(FonctionsChaine("LEFL(\"xyz\")"), ErreurExecution);
  Pose("%Lef", "-1");
  EXPECT_THROW(FonctionsChaine("LEFL(\"xyz\")"), ErreurExecution);
  Pose("%Lef", "1.5");
  EXPECT_THROW(FonctionsChaine("LEFL(\"xyz\")"), ErreurExecution);
}

TEST_F(StringFunctionsTest, UpperCaseAndReplacement) {
  EXPECT_EQ(F("ucas(\"Abc\")"), "ABC");
  EXPECT_EQ(F("Un UCAS(\"éte\") ici"), "Un ÉTE ici");
  EXPECT_EQ(F("REPL(\"a-b-c\",\"-\",\"+\")"), "a+b+c");
  EXPECT_EQ(F("REPL(\"a-b\",\"-\",\"\")"), "ab");
  EXPECT_EQ(F("REPL(\"aBa\",\"b\",\"x\")"), "aBa") << "the search is case-sensitive";
  EXPECT_EQ(F("REPL(\"a,b\",\",\",\";\")"), "a;b");
  EXPECT_EQ(F("REPL(\"abc\",\"\",\"-\")"), "abc") << "an empty search text changes nothing";
  EXPECT_EQ(F("REPL(\"a - b\", \"-\", \"+\")"), "REPL(\"a - b\", \"-\", \"+\")");
  EXPECT_EQ(F("REPL(\"LEF2(\"abc\")\",\"a\",\"x\")"), "xb");
  EXPECT_EQ(F("UCAS(\"a\") UCAS(\"b\")"), "A B");
  EXPECT_EQ(F("abc"), "abc");
  EXPECT_EQ(F("x(\"\")"), "x(\"\")");
}

TEST_F(StringFunctionsTest, NestedReplacementsAreBounded) {
  // Each level doubles the text: the 16-bit text positions stop it.
  QString t = QString(64, 'a');
  for (int i = 0; i < 12; ++i) t = "REPL(\"" + t + "\",\"a\",\"aa\")";
  EXPECT_EQ(FonctionsChaine("REPL(\"REPL(\"aa\",\"a\",\"aa\")\",\"a\",\"aa\")"), "aaaaaaaa");
  EXPECT_THROW(FonctionsChaine(t), ErreurExecution);
}

class StringFunctionsProgram : public RunFixture {};

TEST_F(StringFunctionsProgram, InAProgram) {
  Run(QStringList{"%N = Dupont", "%I = LEF1(\"%N\")", "%M = UCAS(\"%N\")"});
  EXPECT_EQ(Var(1, "%I"), "D");
  EXPECT_EQ(Var(1, "%M"), "DUPONT");
  EXPECT_TRUE(Messages().empty());

  Run(QStringList{"%I = LEFL(\"abc\")", "%J = 1"});
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Var(1, "%J"), "<absent>");
}

}  // namespace
