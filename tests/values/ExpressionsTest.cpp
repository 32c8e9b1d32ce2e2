#include <gtest/gtest.h>

#include <QLocale>
#include <bit>
#include <random>

#include "UserLocale.h"
#include "interpreter/RunState.h"
#include "platform/RunError.h"
#include "values/Expressions.h"

namespace {

struct Cas {
  const char* expression;
  double attendu;
};

double Evalue(const char* expression) {
  QString t = QString::fromUtf8(expression);
  return Calcule(t).value_or(-12345.0);
}

// The reason of the run error raised, or "none".
QString Erreur(const QString& expression) {
  QString t = expression;
  try {
    Calcule(t);
  } catch (const ErreurExecution& e) {
    return e.raison();
  }
  return QStringLiteral("none");
}

// The text Calcule leaves behind, padding removed.
QString TexteReduit(const char* expression) {
  QString t = QString::fromUtf8(expression);
  Calcule(t);
  return t.trimmed();
}

void VerifieTable(std::initializer_list<Cas> table) {
  for (const Cas& c : table) {
    try {
      EXPECT_EQ(Evalue(c.expression), c.attendu) << c.expression;
    } catch (const ErreurExecution& e) {
      ADD_FAILURE() << c.expression << ": " << e.raison().toStdString();
    }
  }
}

TEST(Expressions, PrecedenceAndSigns) {
  VerifieTable({
      {"0", 0},        {"2+3*4", 14},    {"8/2/2", 2},          {"2^3^2", 64},    {"-2^2", -4},
      {"3*-2^2", 12},  {"2^-1", .5},     {"(-2)^2", 4},         {"(-2^2)", 4},    {"10-2-3", 5},
      {"7 MOD 3", 1},  {"-7 MOD 3", -1}, {"7.5 MOD 2", 0},      {"8.5 MOD 3", 2}, {"2+7MOD4*2", 9},
      {"5--3", 8},     {"5+-3", 2},      {"5-+3", 2},           {"5----3", 8},    {"+5", 5},
      {"1E3+1", 1001}, {"1e3", 1000},    {"2E-3*1000", 2},      {"1.5e2/3", 50},  {"-.5*4", -2},
      {"3-(-5)", 8},   {"2*(-3)^2", 18}, {"((2+3)*(4-1))", 15}, {" 1 + 2 ", 3},   {"2^(1+1)*3", 12},
      {"(2)^3^2", 64}, {"5*-", 0},
  });
  // A number written before "(" stays glued to the value.
  EXPECT_EQ(Evalue("2(3)"), 23);
}

TEST(Expressions, Functions) {
  VerifieTable({
      {"SIN(30)", .5},          {"COS(60)", .5},        {"TAN(45)", 1},
      {"ATAN(1)", 45},          {"ASIN(.5)", 30},       {"ASIN(2)", 90},
      {"ASIN(-1)", -90},        {"ACOS(-1)", 180},      {"ACOS(1.5)", 0},
      {"ACOS(0)", 90},          {"SINH(0)", 0},         {"SINH(1)", 1.175201},
      {"COSH(0)", 1},           {"COSH(-1)", 1.543081}, {"LOG(1000)", 3},
      {"LOG(.01)", -2},         {"SQR(16)", 4},         {"SQR(2)", 1.414214},
      {"ABS(-3)", 3},           {"SGN(-5)", -1},        {"SGN(0)", 0},
      {"SGN(.1)", 1},           {"FIX(-2.7)", -2},      {"FIX(2.7)", 2},
      {"RND2(3.14159)", 3.14},  {"RND0(2.5)", 2},       {"RND0(3.5)", 4},
      {"RND1(-1.25)", -1.2},    {"rnd3(2/3)", .667},    {"(SIN(30))^2", .25},
      {"RND9(3)", 3},           {"RND9(2.5)", 2.5},     {"RND4(1E6)", 1e6},
      {"RND2(3E7)", 3e7},       {"RND0(3E9)", 3e9},     {"RND0(-2.5)", -2},
      {"2*SQR(ABS(-16))+1", 9}, {"SIN(ASIN(.5))", .5},  {"ARG(-1,0)", 180},
      {"ARG(0,-1)", -90},       {"ARG(0,0)", 90},       {"ARG(1,1)+1", 46},
      {"ARG(-1,-1)", -135},     {"ARG(1-2,0)", 180},    {"ARG(2*3,0)+ARG(0,1)", 90},
  });
  EXPECT_EQ(Erreur(QStringLiteral("TAN(90)")), QStringLiteral("none"));
  EXPECT_GT(Evalue("ABS(TAN(90))"), 1e6);

  const double a = Evalue("ALE(-3)");
  EXPECT_GE(a, 0);
  EXPECT_LT(a, 1);
  Evalue("ALE(1)");
  EXPECT_EQ(Evalue("ALE(-3)"), a);
  EXPECT_NE(Evalue("ALE(1)"), a);
}

TEST(Expressions, FormatOfTheResults) {
  EXPECT_EQ(TexteReduit("2+3*4"), QStringLiteral("14"));
  EXPECT_EQ(TexteReduit("1/4"), QStringLiteral(".25"));
  EXPECT_EQ(TexteReduit("-1/2"), QStringLiteral("-.5"));
  EXPECT_EQ(TexteReduit("1/3"), QStringLiteral(".3333333"));
  EXPECT_EQ(TexteReduit("1E10*1E10"), QStringLiteral("1E+20"));
  EXPECT_EQ(TexteReduit("1.5/100000"), QStringLiteral("1.5E-05"));
  // Each intermediate result keeps 7 significant digits.
  EXPECT_EQ(TexteReduit("123456789+1"), QStringLiteral("1.234568E+08"));
  EXPECT_EQ(Evalue("123456789+1"), 123456800);
  EXPECT_EQ(TexteReduit("1234567*10"), QStringLiteral("1.234567E+07"));
  EXPECT_EQ(Evalue("1234567*10"), 12345670);
  EXPECT_EQ(Evalue("1/3*3"), .9999999);
  EXPECT_EQ(Evalue("16777217+0"), 16777220);
  // Rounded once to 7 digits from the single's exact value.
  EXPECT_EQ(TexteReduit("SQR(18)"), QStringLiteral("4.24264"));
  EXPECT_EQ(TexteReduit("-14^-1"), QStringLiteral("-.07142857"));
  EXPECT_EQ(Evalue("(333333)*6.41e+2"), 213666400);
  // Without an operation the number is read back whole, as a double.
  EXPECT_EQ(Evalue("123456789"), 123456789);

  QString t = QStringLiteral("2*3");
  EXPECT_EQ(Calcule(t), 6.0);
  EXPECT_EQ(t, QStringLiteral("   6 "));
  t.clear();
  EXPECT_EQ(Calcule(t), 0.0);
  EXPECT_EQ(t, QStringLiteral("   0 "));
  t = QStringLiteral("   ");
  EXPECT_FALSE(Calcule(t).has_value());
  EXPECT_EQ(t, QStringLiteral("   "));

  const QLocale avant;
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  EXPECT_EQ(TexteReduit("1/4"), QStringLiteral(".25"));
  EXPECT_EQ(TexteReduit("ARG(-1,-1)/1000"), QStringLiteral("-.135"));
  QString ale = QStringLiteral("ALE(-1)");
  Calcule(ale);
  EXPECT_FALSE(ale.contains(u','));
  QLocale::setDefault(avant);
}

// The C library's locale, which Qt sets from the user's settings, must not change how a number is
// read: a literal beyond the double range is no longer read as its integer part.
TEST(Expressions, NumbersReadTheSameUnderTheUsersLocale) {
  const LocaleUtilisateur locale;
  if (!locale.Active()) GTEST_SKIP() << "neither fr_FR.UTF-8 nor de_DE.UTF-8 is installed";
  EXPECT_EQ(Evalue("2.5E-400 * 4"), 0.0);
  EXPECT_EQ(Erreur(QStringLiteral("1.5E+400 * 0")), QStringLiteral("overflow"));
  EXPECT_EQ(Evalue("12.5+3.25"), 15.75);
}

TEST(Expressions, RunErrors) {
  const QString divZero = QStringLiteral("division by zero");
  const QString depassement = QStringLiteral("overflow");
  const QString invalide = QStringLiteral("invalid procedure call");
  const QString horsLimites = QStringLiteral("subscript out of range");
  const std::pair<const char*, QString> table[] = {
      {"1/0", divZero},           {"5 MOD 0", divZero},
      {"5 MOD .4", divZero},      {"2+", divZero},
      {"ABC", divZero},           {"1,5", divZero},
      {"(1+2", divZero},          {"1+2)", divZero},
      {"SIN(30)^2", divZero},     {"XYZ(2)", divZero},
      {"RND(2)", divZero},        {"RNDX(2)", divZero},
      {"2.^2", divZero},          {"*3", divZero},
      {"1..2.3+", divZero},       {"ARG((1),2)", horsLimites},
      {"ARG(1)", horsLimites},    {"ARG(,1)", divZero},
      {"ARG(1,1", divZero},       {"1E38*10", depassement},
      {"1E39+1", depassement},    {"-1E38-1E38*9", depassement},
      {"SINH(100)", depassement}, {"COSH(-100)", depassement},
      {"10^39", depassement},     {"0^-1", depassement},
      {"3E9 MOD 2", depassement}, {"RND0(1E38)*10", depassement},
      {"LOG(0)", invalide},       {"LOG(-1)", invalide},
      {"SQR(-1)", invalide},      {"(-8)^.5", invalide},
  };
  for (const auto& [expression, raison] : table) {
    EXPECT_EQ(Erreur(QString::fromUtf8(expression)), raison) << expression;
  }

  // No message of its own: the detail text is left to the caller.
  RazEtatRun();
  Erreur(QStringLiteral("1/0"));
  EXPECT_TRUE(Incident.DetailErreur.isEmpty());

  // 50 nested parentheses are the most the stack holds.
  const QString cinquante = QString(50, u'(') + u'7' + QString(50, u')');
  EXPECT_EQ(Erreur(cinquante), QStringLiteral("none"));
  QString t = cinquante;
  EXPECT_EQ(Calcule(t), 7.0);
  EXPECT_EQ(Erreur(u'(' + cinquante + u')'), horsLimites);
  EXPECT_TRUE(
      Incident.DetailErreur.startsWith(QStringLiteral("Parenthèses imbriquées trop profondes (> 50)")))
      << "the one limit that says why";
  Incident.DetailErreur.clear();
  EXPECT_EQ(Erreur(QString(20000, u'(') + u'1'), horsLimites);
  EXPECT_EQ(Erreur(QStringLiteral("1+(2)") + QString(50, u'(')), horsLimites);
  Incident.DetailErreur.clear();
}

TEST(Expressions, ScanningNumbers) {
  const QString t = QStringLiteral("   -12.5E+03*4E-2 ");
  int p = 4;
  FinNombre(t, p);
  EXPECT_EQ(p, 12);
  p = 5;
  FinNombre(t, p);
  EXPECT_EQ(p, 12);
  p = 14;
  FinNombre(t, p);
  EXPECT_EQ(p, 17);
  p = 12;
  DebutNombre(t, p);
  EXPECT_EQ(p, 5);
  p = 17;
  DebutNombre(t, p);
  EXPECT_EQ(p, 14);
  p = 13;
  EXPECT_THROW(FinNombre(t, p), ErreurExecution);
  p = 13;
  EXPECT_THROW(DebutNombre(t, p), ErreurExecution);
  p = 4;
  EXPECT_THROW(DebutNombre(t, p), ErreurExecution);
  p = 40;
  EXPECT_THROW(FinNombre(t, p), ErreurExecution);

  EXPECT_DOUBLE_EQ(ArcSin(.5), std::asin(.5));
  EXPECT_EQ(ArcSin(1), 3.14159265358979 / 2);
  EXPECT_EQ(ArcSin(-7), -3.14159265358979 / 2);
  EXPECT_DOUBLE_EQ(ArcCos(.5), std::acos(.5));
  EXPECT_EQ(ArcCos(1), 0);
  EXPECT_EQ(ArcCos(-1.5), 3.14159265358979);
}

TEST(Expressions, Multiplier) {
  QString t = QStringLiteral("Texte *2.5");
  EXPECT_EQ(LitMultiplicateur(t), 2.5f);
  EXPECT_EQ(t, QStringLiteral("Texte*2.5"));
  t = QStringLiteral(" T * (2 + 3) suite ");
  EXPECT_EQ(LitMultiplicateur(t), 5.0f);
  EXPECT_EQ(t, QStringLiteral("T*suite"));
  t = QStringLiteral("T*((1+1)*2)");
  EXPECT_EQ(LitMultiplicateur(t), 4.0f);
  EXPECT_EQ(t, QStringLiteral("T*"));
  t = QStringLiteral("7");
  EXPECT_EQ(LitMultiplicateur(t), 7.0f);
  t = QStringLiteral("abc");
  EXPECT_EQ(LitMultiplicateur(t), 0.0f);
  t = QStringLiteral("T*(2");
  EXPECT_THROW(LitMultiplicateur(t), ErreurExecution);
  t = QStringLiteral("T*(1/0)");
  EXPECT_THROW(LitMultiplicateur(t), ErreurExecution);
}

// Whatever the text, the evaluator returns or raises a run error: it never hangs, crashes or
// throws anything else.
TEST(Expressions, ArbitraryTexts) {
  const QString alphabet = QStringLiteral("0123456789.+-*/^()EMODSINARGHLX, e");
  std::mt19937 alea(20261208);
  std::uniform_int_distribution<int> longueur(0, 40);
  std::uniform_int_distribution<int> lettre(0, static_cast<int>(alphabet.size()) - 1);
  int evalues = 0;
  for (int i = 0; i < 20000; ++i) {
    QString t;
    for (int n = longueur(alea); n > 0; --n) t += alphabet[lettre(alea)];
    try {
      Calcule(t);
      ++evalues;
    } catch (const ErreurExecution&) {
    }
  }
  EXPECT_GT(evalues, 0);
}

// The shortcut for plain numbers and for two numbers and an operator gives what the rewriting
// reduction gives: the same value to the bit, the same rewritten text, the same run error.
TEST(Expressions, TheShortcutGivesWhatTheReductionGives) {
  std::mt19937 alea(20261209);
  auto tirage = [&](int n) { return static_cast<int>(alea() % static_cast<unsigned>(n)); };
  auto nombre = [&]() {
    QString t;
    const int chiffres = tirage(8) == 0 ? 30 + tirage(20) : tirage(10);
    const int point = tirage(3) == 0 ? -1 : tirage(chiffres + 1);
    for (int k = 0; k <= chiffres; ++k) {
      if (k == point) t += u'.';
      if (k < chiffres) t += QChar(u'0' + (tirage(3) == 0 ? 0 : tirage(10)));
    }
    if (tirage(40) == 0) t += u'.';
    if (tirage(40) == 0) t += QStringLiteral("E") + QString::number(tirage(40));
    return t;
  };
  auto signe = [&]() {
    const int k = tirage(10);
    return k == 0   ? QStringLiteral("-")
           : k == 1 ? QStringLiteral("+")
           : k == 2 ? QStringLiteral("--")
                    : QString();
  };
  const QStringList operateurs{"+", "-", "*", "/", "^", "MOD", "+-", "*-"};
  int raccourcis = 0;
  for (int i = 0; i < 40000; ++i) {
    QString e = signe() + nombre();
    const int termes = tirage(6) == 0 ? 2 : (tirage(4) == 0 ? 0 : 1);
    for (int k = 0; k < termes; ++k) {
      e += operateurs[tirage(tirage(2) == 0 ? 4 : static_cast<int>(operateurs.size()))];
      e += tirage(5) == 0 ? signe() + nombre() : nombre();
    }
    for (int k = tirage(3); k > 0; --k) e.insert(tirage(static_cast<int>(e.size()) + 1), u' ');

    auto evalue = [](QString& t, auto calcule, QString& erreur) {
      try {
        return calcule(t);
      } catch (const ErreurExecution& x) {
        erreur = x.raison();
        return std::optional<double>(-999.0);
      }
    };
    QString t1 = e, t2 = e, erreur1, erreur2;
    const std::optional<double> v1 = evalue(t1, Calcule, erreur1);
    const int16_t niveau1 = Calcul.NivParCalc, position1 = Calcul.PosParCalc[0];
    const std::optional<double> v2 = evalue(t2, CalculeReduction, erreur2);
    ASSERT_EQ(erreur1, erreur2) << e.toStdString();
    if (!erreur1.isEmpty()) continue;
    ASSERT_EQ(v1.has_value(), v2.has_value()) << e.toStdString();
    ASSERT_EQ(std::bit_cast<uint64_t>(v1.value_or(0)), std::bit_cast<uint64_t>(v2.value_or(0)))
        << e.toStdString();
    ASSERT_EQ(t1, t2) << e.toStdString();
    ASSERT_EQ(niveau1, Calcul.NivParCalc);
    ASSERT_EQ(position1, Calcul.PosParCalc[0]);
    raccourcis += termes <= 1 ? 1 : 0;
  }
  EXPECT_GT(raccourcis, 5000);
}

}  // namespace
