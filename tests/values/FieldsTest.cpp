#include <gtest/gtest.h>

#include "interpreter/RunState.h"
#include "platform/FileLookup.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

class FieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RazEtatRun();
    DimensionneNiveaux(6);
    NiveauCourant = 1;
    Lecture.SepParam = QStringLiteral(",");
    Lecture.SepSousParam = QStringLiteral("§");
    Niveau(1).MaxVar = 33;
  }

  static void Variable(const QString& nom, const QString& valeur) {
    QString n = nom;
    StockeTexteVariable(1, n, valeur);
  }
};

TEST_F(FieldsTest, IsolatingTheFields) {
  EXPECT_EQ(ParamBrutN(QStringLiteral("a,b,c"), 2), QStringLiteral("b"));
  int n = -2;
  EXPECT_EQ(ParamBrutN(QStringLiteral("a,b,c"), n), QStringLiteral("b,c"));
  EXPECT_EQ(n, 2);
  EXPECT_EQ(ParamBrutN(QStringLiteral("a,b"), 3), QString());
  EXPECT_EQ(ParamBrutN(QStringLiteral("1,2"), 4), QString());
  EXPECT_EQ(ParamBrutN(QStringLiteral("1,,3"), 2), QString());
  EXPECT_EQ(ParamBrutN(QStringLiteral("1,,3"), 3), QStringLiteral("3"));
  EXPECT_EQ(ParamBrutN(QStringLiteral("sans separateur"), 1), QStringLiteral("sans separateur"));
  EXPECT_EQ(ParamBrutN(QString(), 1), QString());
  // Nothing is trimmed.
  EXPECT_EQ(ParamBrutN(QStringLiteral("a, b ,c"), 2), QStringLiteral(" b "));
  // Rest mode past the last field is empty too.
  n = -5;
  EXPECT_EQ(ParamBrutN(QStringLiteral("a,b"), n), QString());
  EXPECT_EQ(n, 5);
  EXPECT_EQ(ParamN(QStringLiteral("x,y,z"), 3), QStringLiteral("z"));
  EXPECT_EQ(SousParamN(QStringLiteral("12§R"), 2), QStringLiteral("R"));

  Lecture.SepParam = QStringLiteral(";");
  EXPECT_EQ(ParamBrutN(QStringLiteral("1,5;2"), 1), QStringLiteral("1,5"));
  EXPECT_EQ(NbParams(QStringLiteral("1,5;2")), 2);
}

TEST_F(FieldsTest, NumbersBeyondSixteenBitsAreRunErrors) {
  EXPECT_THROW(ParamBrutN(QStringLiteral("a"), 40000), ErreurExecution);
  EXPECT_THROW(ParamN(QStringLiteral("a"), -32768), ErreurExecution);
  EXPECT_THROW(MotN(QStringLiteral("a"), -40000), ErreurExecution);
  EXPECT_THROW(LitParam(QStringLiteral("1"), 32768), ErreurExecution);
  QString reste = QStringLiteral("a");
  EXPECT_THROW(ResteParams(reste, 32768), ErreurExecution);
  EXPECT_THROW(NbParams(QString(32767, u',')), ErreurExecution);
  EXPECT_EQ(NbParams(QString(32766, u',')), 32767);
  EXPECT_THROW(CompteOccurrences(QString(32768, u'a'), QStringLiteral("a")), ErreurExecution);
}

TEST_F(FieldsTest, SubstitutionFollowsTheOperator) {
  Variable(QStringLiteral("%x"), QStringLiteral("42"));
  Lecture.OperateurAffect = QStringLiteral("<");
  EXPECT_EQ(ParamN(QStringLiteral("%x"), 1), QStringLiteral("%x"));
  Lecture.OperateurAffect = QStringLiteral("=");
  EXPECT_EQ(ParamN(QStringLiteral("%x"), 1), QStringLiteral("42"));
  Lecture.OperateurAffect.clear();
  EXPECT_EQ(ParamN(QStringLiteral("a,%x"), 2), QStringLiteral("42"));
  // An unknown name is left for the caller; the getter itself raises nothing.
  EXPECT_EQ(ParamN(QStringLiteral("%inconnu"), 1), QStringLiteral("%inconnu"));
  // The raw getter never substitutes.
  EXPECT_EQ(ParamBrutN(QStringLiteral("%x"), 1), QStringLiteral("%x"));

  // Sub-fields: a leading "=" (after blanks) or a "<" standing first protects them.
  Variable(QStringLiteral("%a"), QStringLiteral("7"));
  Lecture.OperateurAffect = QStringLiteral("<");
  EXPECT_EQ(SousParamN(QStringLiteral("=%a"), 1), QStringLiteral("=%a"));
  EXPECT_EQ(SousParamN(QStringLiteral("  =%a"), 1), QStringLiteral("  =%a"));
  EXPECT_EQ(SousParamN(QStringLiteral("<%a"), 1), QStringLiteral("<%a"));
  EXPECT_EQ(SousParamN(QStringLiteral(" <%a"), 1), QStringLiteral(" <7"));
  EXPECT_EQ(SousParamN(QStringLiteral("1§%a"), 2), QStringLiteral("7"));
  EXPECT_EQ(ChampN(QStringLiteral("=%a|%a"), 1, QStringLiteral("|")), QStringLiteral("=%a"));
  EXPECT_EQ(ChampN(QStringLiteral("=%a|%a"), 2, QStringLiteral("|")), QStringLiteral("7"));
}

TEST_F(FieldsTest, FieldsOnAGivenSeparator) {
  // A separator standing first belongs to field 1.
  EXPECT_EQ(ChampN(QStringLiteral("::a::b"), 1, QStringLiteral("::")), QStringLiteral("::a"));
  EXPECT_EQ(ChampN(QStringLiteral("::a::b"), 2, QStringLiteral("::")), QStringLiteral("b"));
  EXPECT_EQ(ChampN(QStringLiteral("a::b"), 3, QStringLiteral("::")), QString());
  EXPECT_EQ(ChampN(QStringLiteral("a::b::"), 3, QStringLiteral("::")), QString());
  int n = -2;
  EXPECT_EQ(ChampN(QStringLiteral("a::b::c"), n, QStringLiteral("::")), QStringLiteral("b::c"));
  EXPECT_EQ(n, 2);
  EXPECT_EQ(ChampN(QStringLiteral("a;b"), 1, QStringLiteral(";")), QStringLiteral("a"));
}

TEST_F(FieldsTest, ReadingNumbers) {
  EXPECT_EQ(LitParam(QStringLiteral("10mm, 20"), 1), 10.0);
  EXPECT_EQ(LitParam(QStringLiteral("10mm, 20"), 2), 20.0);
  EXPECT_EQ(LitParam(QStringLiteral("12.5mm"), 1), 12.5);
  EXPECT_EQ(LitParam(QStringLiteral("45°"), 1), 45.0);
  EXPECT_EQ(LitParam(QStringLiteral("5§§x"), 1), 5.0);
  EXPECT_EQ(LitParam(QStringLiteral("7§R"), 1), 7.0);
  EXPECT_FALSE(LitParam(QStringLiteral("§R"), 1).has_value());
  EXPECT_FALSE(LitParam(QStringLiteral("1,,3"), 2).has_value());
  EXPECT_FALSE(LitParam(QStringLiteral("1, ,3"), 2).has_value());
  EXPECT_FALSE(LitParam(QStringLiteral("1,2"), 3).has_value());
  EXPECT_FALSE(LitParam(QString(), 1).has_value());
  // No rest mode: a negative field number finds nothing.
  EXPECT_FALSE(LitParam(QStringLiteral("1,2"), -1).has_value());

  Variable(QStringLiteral("%R"), QStringLiteral("12"));
  EXPECT_EQ(LitParam(QStringLiteral("0, %R §R"), 2), 12.0);
}

TEST_F(FieldsTest, UninitialisedVariableInANumber) {
  Variable(QStringLiteral("%A"), QStringLiteral("2"));
  Incident.DetailErreur.clear();
  EXPECT_THROW(LitParam(QStringLiteral("1, %A+%Q"), 2), ErreurExecution);
  EXPECT_EQ(Incident.DetailErreur,
            QStringLiteral("2+%Q : non initialisée / not initialized / nicht initialisiert\r\n\r\n"));
  EXPECT_EQ(TexteNonInitialise(),
            QStringLiteral(" : non initialisée / not initialized / nicht initialisiert\r\n\r\n"));
}

TEST_F(FieldsTest, ValuesOfAList) {
  EXPECT_EQ(ValeurChamp(QStringLiteral("255  0 0"), 1), 255.0);
  EXPECT_EQ(ValeurChamp(QStringLiteral("255  0 0"), 2), 0.0);
  EXPECT_EQ(ValeurChamp(QStringLiteral("255  0 7"), 3), 7.0);
  EXPECT_EQ(ValeurChamp(QStringLiteral("1, 2"), 2), 2.0);
  EXPECT_EQ(ValeurChamp(QStringLiteral("1, 2"), 1), 1.0);
  EXPECT_EQ(ValeurChamp(QStringLiteral("-1.5E2x,3"), 1), -150.0);
  EXPECT_EQ(ValeurChamp(QStringLiteral("abc 3"), 1), 0.0);
  // A plain decimal number: no hexadecimal, no "D" exponent.
  EXPECT_EQ(ValeurChamp(QStringLiteral("&HFF 0 0"), 1), 0.0);
  EXPECT_EQ(ValeurChamp(QStringLiteral("&O17 0 0"), 1), 0.0);
  EXPECT_EQ(ValeurChamp(QStringLiteral("1D2 0 0"), 1), 1.0);
  EXPECT_EQ(ValeurChamp(QStringLiteral("1e2 0 0"), 1), 100.0);
  EXPECT_EQ(ValeurChamp(QStringLiteral("+.5E+1 0"), 1), 5.0);
  EXPECT_FALSE(ValeurChamp(QString(), 1).has_value());
  EXPECT_FALSE(ValeurChamp(QStringLiteral("1 2"), 3).has_value());

  Variable(QStringLiteral("%Vert"), QStringLiteral(" 128"));
  EXPECT_EQ(ValeurChamp(QStringLiteral("0, %vert, 0"), 2), 128.0);
  // A field holding "=" is no variable name.
  EXPECT_EQ(ValeurChamp(QStringLiteral("%vert=1"), 1), 0.0);
  // A name that is no variable is reported as such.
  EXPECT_THROW(ValeurChamp(QStringLiteral("%bleu 0 0"), 1), ErreurExecution);
  EXPECT_EQ(Incident.DetailErreur, QStringLiteral("%bleu") + TexteNonInitialise());
}

TEST_F(FieldsTest, CountsAndTheRest) {
  EXPECT_EQ(NbParams(QString()), 0);
  EXPECT_EQ(NbParams(QStringLiteral("   ")), 0);
  EXPECT_EQ(NbParams(QStringLiteral(")")), 0);
  EXPECT_EQ(NbParams(QStringLiteral(" ) ")), 0);
  EXPECT_EQ(NbParams(QStringLiteral("a")), 1);
  EXPECT_EQ(NbParams(QStringLiteral("a,b")), 2);
  EXPECT_EQ(NbParams(QStringLiteral("a,")), 2);
  EXPECT_EQ(NbParams(QStringLiteral(",")), 2);
  EXPECT_EQ(NbSousParams(QStringLiteral("12§R§x")), 3);
  EXPECT_EQ(NbSousParams(QStringLiteral("12,3")), 1);

  QString t = QStringLiteral("a,b,c");
  ResteParams(t, 1);
  EXPECT_EQ(t, QStringLiteral("b,c"));
  t = QStringLiteral("a,b,c");
  ResteParams(t, 3);
  EXPECT_EQ(t, QString());
  t = QStringLiteral("a,b,c");
  ResteParams(t, 2);
  EXPECT_EQ(t, QStringLiteral("c"));
  t = QStringLiteral("a,b,c");
  ResteParams(t, 0);
  EXPECT_EQ(t, QStringLiteral("a,b,c"));
}

TEST_F(FieldsTest, WordsAndTheCommandName) {
  EXPECT_EQ(NomCommande(QStringLiteral("Arc = 10, 20")), QStringLiteral("ARC"));
  EXPECT_EQ(NomCommande(QStringLiteral("goto fin")), QStringLiteral("GOTO"));
  EXPECT_EQ(NomCommande(QStringLiteral("  %rayon  = 3")), QStringLiteral("%RAYON"));
  EXPECT_EQ(NomCommande(QStringLiteral("%é=1")), QStringLiteral("%É"));
  EXPECT_EQ(NomCommande(QStringLiteral("Stop")), QStringLiteral("STOP"));

  const QString phrase = QStringLiteral("   un  deux   trois ");
  EXPECT_EQ(MotN(phrase, 1), QStringLiteral("un"));
  EXPECT_EQ(MotN(phrase, 2), QStringLiteral("deux"));
  EXPECT_EQ(MotN(phrase, 3), QStringLiteral("trois"));
  EXPECT_EQ(MotN(phrase, 4), QString());
  int n = -2;
  EXPECT_EQ(MotN(phrase, n), QStringLiteral("deux   trois "));
  EXPECT_EQ(n, 2);
  EXPECT_EQ(MotN(QString(), 1), QString());
}

TEST_F(FieldsTest, SmallHelpers) {
  EXPECT_EQ(AjouteAntiSlash(QStringLiteral("C:")), QStringLiteral("C:"));
  EXPECT_EQ(AjouteAntiSlash(QStringLiteral("C:\\dir")), QStringLiteral("C:\\dir/"));
  EXPECT_EQ(AjouteAntiSlash(QStringLiteral("C:\\dir\\")), QStringLiteral("C:\\dir\\"));
  EXPECT_EQ(AjouteAntiSlash(QStringLiteral("/home/u")), QStringLiteral("/home/u/"));
  EXPECT_EQ(AjouteAntiSlash(QStringLiteral("/home/u/")), QStringLiteral("/home/u/"));
  EXPECT_EQ(AjouteAntiSlash(QStringLiteral(".")), QString());
  EXPECT_EQ(AjouteAntiSlash(QString()), QString());

  EXPECT_EQ(CompteOccurrences(QStringLiteral("aaa"), QStringLiteral("aa")), 2);
  EXPECT_EQ(CompteOccurrences(QStringLiteral("a,b,c"), QStringLiteral(",")), 2);
  EXPECT_EQ(CompteOccurrences(QStringLiteral("abc"), QStringLiteral("x")), 0);

  EXPECT_EQ(MaxEntier(2.5f, 1.0f), 2);
  EXPECT_EQ(MaxEntier(1.0f, 3.5f), 4);
  EXPECT_EQ(MaxEntier(-2.5f, -7.0f), -2);
  EXPECT_THROW(MaxEntier(40000.0f, 0.0f), ErreurExecution);

  EXPECT_EQ(Mini(3.0, 2.0), 2.0f);
  EXPECT_EQ(Mini(2.0, 3.0), 2.0f);
  EXPECT_EQ(Maxi(2.0, 3.0), 3.0f);
  EXPECT_EQ(Maxi(3.0, 2.0), 3.0f);
  EXPECT_EQ(Maxi(0.1, 0.1), 0.1f);
}

}  // namespace
