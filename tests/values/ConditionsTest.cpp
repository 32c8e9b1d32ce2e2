// Numeric, logical and text conditions evaluated by rewriting their text.

#include <gtest/gtest.h>

#include "interpreter/RunState.h"
#include "platform/RunError.h"
#include "values/Conditions.h"
#include "values/Levels.h"
#include "values/Variables.h"

namespace {

class ConditionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RazEtatRun();
    DimensionneNiveaux(6);
    NiveauCourant = 1;
    Niveau(1).MaxVar = 33;
  }

  // The value of a condition as IF sees it: the number, or -1 for a blank text.
  static double Valeur(const QString& condition) {
    QString t = condition;
    return EvalueFonctionsTexte(t).value_or(-1.0);
  }
  static bool Vraie(const QString& condition) { return Valeur(condition) != 0; }

  // 1 true, 0 false, -1 no value.
  static int Texte(const QString& condition) {
    QString t = condition;
    const std::optional<bool> v = EvalueConditionTexte(t);
    return v ? (*v ? 1 : 0) : -1;
  }
};

TEST_F(ConditionsTest, ComparisonsAreExact) {
  EXPECT_TRUE(EvalueComparaison(QStringLiteral("2>1")));
  EXPECT_FALSE(EvalueComparaison(QStringLiteral("2<1")));
  EXPECT_FALSE(EvalueComparaison(QStringLiteral("1=1.0000001")));
  EXPECT_TRUE(EvalueComparaison(QStringLiteral("1=1.000")));
  EXPECT_TRUE(EvalueComparaison(QStringLiteral("2=<3")));
  EXPECT_TRUE(EvalueComparaison(QStringLiteral("2<=3")));
  EXPECT_TRUE(EvalueComparaison(QStringLiteral("3<=3")));
  EXPECT_FALSE(EvalueComparaison(QStringLiteral("4=<3")));
  EXPECT_TRUE(EvalueComparaison(QStringLiteral("3>=3")));
  EXPECT_TRUE(EvalueComparaison(QStringLiteral("3=>2")));
  EXPECT_FALSE(EvalueComparaison(QStringLiteral("2=>3")));
  EXPECT_TRUE(EvalueComparaison(QStringLiteral("2><3")));
  EXPECT_TRUE(EvalueComparaison(QStringLiteral("2<>3")));
  EXPECT_FALSE(EvalueComparaison(QStringLiteral("3<>3")));
  EXPECT_TRUE(EvalueComparaison(QStringLiteral("-2<-1")));
  EXPECT_TRUE(EvalueComparaison(QStringLiteral("<1"))) << "an empty side is 0";
  EXPECT_THROW(EvalueComparaison(QStringLiteral("1==1")), ErreurExecution);
  EXPECT_THROW(EvalueComparaison(QStringLiteral("1<<2")), ErreurExecution);
  EXPECT_THROW(EvalueComparaison(QStringLiteral("1>>2")), ErreurExecution);
  EXPECT_THROW(EvalueComparaison(QStringLiteral("A<2")), ErreurExecution);

  // Parentheses around the whole text go once; a bare value is true when not 0.
  EXPECT_TRUE(EvalueComparaison(QStringLiteral("(2<3)")));
  EXPECT_TRUE(EvalueComparaison(QStringLiteral("5")));
  EXPECT_FALSE(EvalueComparaison(QStringLiteral("(0)")));
  EXPECT_FALSE(EvalueComparaison(QString()));

  EXPECT_TRUE(ContientComparaison(QStringLiteral("a=b")));
  EXPECT_TRUE(ContientComparaison(QStringLiteral("<")));
  EXPECT_FALSE(ContientComparaison(QStringLiteral("AND")));

  // In an operand of a logical word a bare value is false.
  EXPECT_FALSE(EvalueCondition(QStringLiteral("5")));
  EXPECT_FALSE(EvalueCondition(QStringLiteral("   ")));
  EXPECT_TRUE(EvalueCondition(QStringLiteral("1<2OR5")));
  EXPECT_TRUE(EvalueCondition(QStringLiteral("NOT2<1")));
}

TEST_F(ConditionsTest, LogicalWordsAndTheirPrecedence) {
  EXPECT_EQ(Valeur(QStringLiteral("7")), 7.0) << "no comparison, no logical word: a number";
  EXPECT_EQ(Valeur(QStringLiteral("0")), 0.0);
  EXPECT_EQ(Valeur(QStringLiteral("2 > 1")), 1.0);
  EXPECT_EQ(Valeur(QStringLiteral("2 < 1")), 0.0);

  EXPECT_TRUE(Vraie(QStringLiteral("(1<2 AND 2<3)")));
  EXPECT_TRUE(Vraie(QStringLiteral("NOT(1<2 AND 2>3)")));
  EXPECT_FALSE(Vraie(QStringLiteral("NOT(1<2 AND 2<3)")));
  EXPECT_TRUE(Vraie(QStringLiteral("1<2 AND 2>3 OR 3<4"))) << "the right operand of AND runs to the end";
  EXPECT_FALSE(Vraie(QStringLiteral("1<2 XOR 2<3")));
  EXPECT_TRUE(Vraie(QStringLiteral("1<2 XOR 2>3")));
  EXPECT_FALSE(Vraie(QStringLiteral("5 AND 1<2")));
  EXPECT_TRUE(Vraie(QStringLiteral("not 1<2 and 2>3"))) << "NOT takes the rest: NOT (1<2 AND 2>3)";
  EXPECT_FALSE(Vraie(QStringLiteral("NOT 1<2")));
  EXPECT_TRUE(Vraie(QStringLiteral("NOT NOT 1<2")));
  EXPECT_FALSE(Vraie(QStringLiteral("1<2 AND 2<3 AND 3>4")));
  EXPECT_TRUE(Vraie(QStringLiteral("1<2 AND 2<3 AND 3<4")));
  EXPECT_TRUE(Vraie(QStringLiteral("2>3 OR 3>4 OR 4<5")));
  EXPECT_FALSE(Vraie(QStringLiteral("2>3 OR 3>4 OR 4>5")));
  EXPECT_TRUE(Vraie(QStringLiteral("1>2 XOR 2>3 XOR 3<4")));

  // An operand's digit replaces that operand only, not the same text inside another operand.
  EXPECT_TRUE(Vraie(QStringLiteral("25>2 AND 5>2")));
  EXPECT_TRUE(Vraie(QStringLiteral("15>6 OR 5>6")));
  EXPECT_TRUE(Vraie(QStringLiteral("15>6 XOR 5>6")));
}

TEST_F(ConditionsTest, ParenthesisedGroups) {
  EXPECT_FALSE(Vraie(QStringLiteral("(1<2 OR 2>3) AND 3>4")));
  EXPECT_TRUE(Vraie(QStringLiteral("(1<2 OR 2>3) AND 3<4")));
  EXPECT_TRUE(Vraie(QStringLiteral("(1<2) AND (2<3)")));
  EXPECT_FALSE(Vraie(QStringLiteral("(1<2) AND (3<2)")));
  EXPECT_TRUE(Vraie(QStringLiteral("1<2 AND (2<3 OR 5<4)")));
  EXPECT_FALSE(Vraie(QStringLiteral("(2>3 OR 3>4) OR (4>5 AND 1<2)")));
  EXPECT_TRUE(Vraie(QStringLiteral("(1<2 XOR 2<3) XOR 1<2")));
  EXPECT_TRUE(Vraie(QStringLiteral("NOT(1>2) AND (NOT 2>3)")));
  EXPECT_FALSE(Vraie(QStringLiteral("NOT(1<2 OR 2>3)")));

  // Parentheses that belong to an operand (a function call, an arithmetic group) stay with it.
  EXPECT_TRUE(Vraie(QStringLiteral("SIN(30) < 1 AND 1 < 2")));
  EXPECT_TRUE(Vraie(QStringLiteral("ABS(-3) = 3 AND 2 = 2")));
  EXPECT_TRUE(Vraie(QStringLiteral("COSH(1) > 1 OR 0 > 1")));
  EXPECT_TRUE(Vraie(QStringLiteral("NOT SIN(30) > 1")));
  EXPECT_FALSE(Vraie(QStringLiteral("2*(1+1) > 5 AND 1 < 2")));
  EXPECT_TRUE(Vraie(QStringLiteral("1 < 2 AND SIN(30) < 1+(2)*3")));
  EXPECT_TRUE(Vraie(QStringLiteral("1<2 AND SIN(30)<1 OR 2<3")));
  EXPECT_TRUE(Vraie(QStringLiteral("(1<2 AND 2=ABS(-2))")));
  EXPECT_TRUE(Vraie(QStringLiteral("(1+1)*2 > (3)"))) << "only parentheses around the whole text go";
  EXPECT_FALSE(Vraie(QStringLiteral("NOT 1<2 AND NOT(1>2 OR 2>3)")));
  // The parentheses of a call change nothing in how far an operand reaches.
  EXPECT_TRUE(Vraie(QStringLiteral("NOT 1>ABS(-3) AND NOT ABS(-3)=3"))) << "as NOT 2<1 AND NOT 1<2";
  EXPECT_TRUE(Vraie(QStringLiteral("1<2 AND 1>ABS(-3) OR 1<2"))) << "as 1<2 AND 2<1 OR 1<2";

  // A 1 written by the program is a bare value, not a truth value of the reduction.
  EXPECT_FALSE(Vraie(QStringLiteral("1 AND 1<2")));
  EXPECT_FALSE(Vraie(QStringLiteral("1<2 AND 1")));
  EXPECT_FALSE(Vraie(QStringLiteral("0 OR 1")));
  EXPECT_TRUE(Vraie(QStringLiteral("NOT 1")));

  // Words without operands never reduce; unbalanced parentheses do not scan.
  QString t = QStringLiteral("NOT(AND)");
  EXPECT_THROW(EvalueLogique(t), ErreurExecution);
  t = QStringLiteral("1<2AND");
  EXPECT_THROW(EvalueLogique(t), ErreurExecution);
  EXPECT_THROW(Vraie(QStringLiteral("1<2 AND (2<3")), ErreurExecution);
  EXPECT_THROW(Vraie(QStringLiteral("(1<2 AND 2<3")), ErreurExecution);
  EXPECT_THROW(Vraie(QStringLiteral("1<2) AND (2<3")), ErreurExecution);
  EXPECT_THROW(Vraie(QStringLiteral("1==1")), ErreurExecution);

  t = QStringLiteral("1<2AND2<3");
  EvalueLogique(t);
  EXPECT_EQ(t, QStringLiteral("1"));
  t = QStringLiteral("1");
  EvalueLogique(t);
  EXPECT_EQ(t, QStringLiteral("1")) << "a text shorter than 2 characters is left";
}

TEST_F(ConditionsTest, TextFunctions) {
  EXPECT_TRUE(Vraie(QStringLiteral("INS(\"ABC\",\"B\")>0")));
  EXPECT_EQ(Valeur(QStringLiteral("INS(\"abc\",\"b\")")), 0.0) << "INS upper-cases the first text only";
  EXPECT_EQ(Valeur(QStringLiteral("ins(\"abc\",\"b\")")), 2.0);
  EXPECT_EQ(Valeur(QStringLiteral("InS(\"abc\",\"C\")")), 3.0) << "a capital S upper-cases";
  EXPECT_EQ(Valeur(QStringLiteral("INS(\"A B C\",\"C\")")), 5.0) << "blanks count before they are removed";
  EXPECT_TRUE(Vraie(QStringLiteral("LEN(\"ABC\")=3")));
  EXPECT_EQ(Valeur(QStringLiteral("LEN(\"a b\")")), 3.0);
  EXPECT_EQ(Valeur(QStringLiteral("LEN(\"\")")), 0.0);
  EXPECT_TRUE(Vraie(QStringLiteral("NBP(1,2,3)=3")));
  EXPECT_EQ(Valeur(QStringLiteral("nbp(a,b)")), 2.0);
  EXPECT_TRUE(Vraie(QStringLiteral("NBP(1,2,3)=3 AND NBP(1)=1"))) << "every NBP is replaced";
  EXPECT_EQ(Valeur(QStringLiteral("NB§(a§b§c)")), 3.0);
  EXPECT_TRUE(Vraie(QStringLiteral("NBCR(abc)=0")));
  EXPECT_EQ(
      Valeur(QStringLiteral("NBCR(a") + QChar(13) + QStringLiteral("b") + QChar(13) + QStringLiteral(")")),
      2.0);

  // LEN substitutes the whole text again.
  QString nom = QStringLiteral("%T");
  StockeTexteVariable(1, nom, QStringLiteral("abcd"));
  EXPECT_EQ(Valeur(QStringLiteral("LEN(\"%T\")")), 4.0);
}

TEST_F(ConditionsTest, TextConditions) {
  EXPECT_EQ(Texte(QStringLiteral("\"ABC\" = \"ABC\"")), 1);
  EXPECT_EQ(Texte(QStringLiteral("\"ABC\" = \"abc\"")), 0);
  EXPECT_EQ(Texte(QStringLiteral("\"ABC\" = ABC")), 0) << "quotes are part of the text";
  EXPECT_EQ(Texte(QStringLiteral("\"10\" < \"9\"")), 1) << "texts, not numbers";
  EXPECT_EQ(Texte(QStringLiteral("b > a")), 1);
  EXPECT_EQ(Texte(QStringLiteral("a <= a")), 1);
  EXPECT_EQ(Texte(QStringLiteral("a => b")), 0);
  EXPECT_EQ(Texte(QStringLiteral("a >< b")), 1);
  EXPECT_EQ(Texte(QStringLiteral("x y = x y")), 1) << "blanks inside a side are kept";
  EXPECT_EQ(Texte(QStringLiteral("ABC")), 1);
  EXPECT_EQ(Texte(QString()), -1);
  EXPECT_EQ(Texte(QStringLiteral("   ")), -1);
  EXPECT_EQ(Texte(QStringLiteral("\"a=b\" = \"a=b\"")), 1)
      << "an operator inside the right quotes is no operator";
  EXPECT_EQ(Texte(QStringLiteral("\"a=b\" = \"a=c\"")), 0);
  EXPECT_THROW(Texte(QStringLiteral("a == a")), ErreurExecution);

  EXPECT_EQ(Texte(QStringLiteral("X = X AND Y = Y")), 1);
  EXPECT_EQ(Texte(QStringLiteral("X = X AND Y = Z")), 0);
  EXPECT_EQ(Texte(QStringLiteral("X = Y OR Y = Y")), 1);
  EXPECT_EQ(Texte(QStringLiteral("X = X XOR Y = Y")), 0);
  EXPECT_EQ(Texte(QStringLiteral("NOT X = Y")), 1);
  EXPECT_EQ(Texte(QStringLiteral("A = A or C = D and D = E")), 1) << "OR splits before AND";
  EXPECT_EQ(Texte(QStringLiteral("A=AANDB=B")), 0) << "without blanks AND is part of the text";
  EXPECT_EQ(Texte(QStringLiteral("X = X AND ")), 0) << "an empty operand is false";
}

TEST_F(ConditionsTest, TextConditionGroups) {
  EXPECT_EQ(Texte(QStringLiteral("(X = X) AND (X = Y)")), 0);
  EXPECT_EQ(Texte(QStringLiteral("(X = X) AND (Y = Y)")), 1);
  EXPECT_EQ(Texte(QStringLiteral("NOT (X = Y)")), 1);
  EXPECT_EQ(Texte(QStringLiteral("(ABC)")), 1);
  EXPECT_EQ(Texte(QStringLiteral("((a = a) OR (a = b)) AND c = c")), 1);

  QString t = QStringLiteral("(X = X) AND (X = Y)");
  EvalueConditionTexte(t);
  EXPECT_EQ(t, QStringLiteral("1 AND ")) << "a true group becomes 1, a false one disappears";
  t = QStringLiteral("(ABC) = ABC");
  EXPECT_EQ(EvalueConditionTexte(t), std::optional<bool>(true));
  EXPECT_EQ(t, QStringLiteral("ABC = ABC"));

  // A "(" inside quotes still opens a group, which then has no ")".
  EXPECT_THROW(Texte(QStringLiteral("\"(A\" = \"(A\"")), ErreurExecution);
  EXPECT_EQ(Lecture.NivParTexte, 0) << "the group level comes back after a failure";

  const QString douze =
      QString(12, QLatin1Char('(')) + QStringLiteral("a = a") + QString(12, QLatin1Char(')'));
  EXPECT_EQ(Texte(douze), 1);
  EXPECT_THROW(Texte(QLatin1Char('(') + douze + QLatin1Char(')')), ErreurExecution);
  EXPECT_EQ(Lecture.NivParTexte, 0);
}

}  // namespace
