#include <gtest/gtest.h>

#include <QLocale>
#include <cmath>
#include <limits>

#include "platform/Clipboard.h"
#include "platform/Events.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"

using namespace legacy;

namespace {

QString operator""_s(const char16_t* texte, size_t n) {
  return QString(reinterpret_cast<const QChar*>(texte), n);
}

QString RaisonDe(const std::function<void()>& f) {
  try {
    f();
  } catch (const ErreurExecution& e) {
    return e.raison();
  }
  return QStringLiteral("(no error)");
}

class WithLocale : public ::testing::Test {
 protected:
  void TearDown() override { QLocale::setDefault(sauve_); }
  void Francais() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }
  void Anglais() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

 private:
  QLocale sauve_;
};

}  // namespace

TEST(Legacy, PositionsAtTheEdges) {
  EXPECT_EQ(Mid("abc", 2), "bc");
  EXPECT_EQ(Mid("abc", 2, 5), "bc");
  EXPECT_EQ(Mid("abc", 4), "");
  EXPECT_EQ(Mid("abc", 9, 2), "");
  EXPECT_EQ(Mid("abc", 3, 0), "");
  EXPECT_EQ(RaisonDe([] { Mid("abc", 0); }), "invalid procedure call");
  EXPECT_EQ(RaisonDe([] { Mid("abc", 1, -2); }), "invalid procedure call");
  EXPECT_EQ(Left("abc", 5), "abc");
  EXPECT_EQ(Right("abc", 2), "bc");
  EXPECT_EQ(Right("abc", 0), "");
  EXPECT_EQ(RaisonDe([] { Left("abc", -1); }), "invalid procedure call");
  EXPECT_EQ(RaisonDe([] { Right("abc", -1); }), "invalid procedure call");

  EXPECT_EQ(InStr("abcabc", "ca"), 3);
  EXPECT_EQ(InStr(4, "abcabc", "bc"), 5);
  EXPECT_EQ(InStr(3, "abc", "c"), 3);
  EXPECT_EQ(InStr(4, "abc", "c"), 0);
  EXPECT_EQ(InStr(9, "abc", "c"), 0);
  EXPECT_EQ(InStr("abc", "x"), 0);
  EXPECT_EQ(InStr("abc", ""), 1);
  EXPECT_EQ(InStr(4, "abc", ""), 4);
  EXPECT_EQ(InStr(5, "abc", ""), 0);
  EXPECT_EQ(InStr("", ""), 0);
  EXPECT_EQ(InStr("§°é", "°"), 2);
  EXPECT_EQ(RaisonDe([] { InStr(0, "abc", "a"); }), "invalid procedure call");

  EXPECT_EQ(InStrRev("abcabc", "bc"), 5);
  EXPECT_EQ(InStrRev("abcabc", "bc", 5), 2);
  EXPECT_EQ(InStrRev("abcabc", "bc", 6), 5);
  EXPECT_EQ(InStrRev("abc", "c", 2), 0);
  EXPECT_EQ(InStrRev("abc", "a", 9), 0);
  EXPECT_EQ(InStrRev("abc", ""), 3);
  EXPECT_EQ(InStrRev("", "a"), 0);
  EXPECT_EQ(RaisonDe([] { InStrRev("abc", "a", 0); }), "invalid procedure call");

  EXPECT_EQ(Trim("  a b \t "), "a b \t");
  EXPECT_EQ(LTrim("  a "), "a ");
  EXPECT_EQ(RTrim("  a "), "  a");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Replace("a.b.c", ".", ","), "a,b,c");
  EXPECT_EQ(Replace("abc", "", "x"), "abc");
  EXPECT_EQ(Chaine(3, u'-'), "---");
}

TEST(Legacy, LetterCase) {
  EXPECT_EQ(UCase(u"àéµß§°ÿ"_s), u"\u00C0\u00C9\u00B5\u00DF\u00A7\u00B0\u0178"_s);
  EXPECT_EQ(UCase(u"azAZ09÷þœšž"_s), u"AZAZ09\u00F7\u00DE\u0152\u0160\u017D"_s);
  EXPECT_EQ(UCase(u"ωƒ"_s), u"Ωƒ"_s) << "beyond Windows-1252 alone";
  EXPECT_EQ(LCase(u"ΩǄ"_s), u"ωǆ"_s);
  EXPECT_EQ(LCase(u"\u00C0\u00C9\u00B5\u00DF\u00A7\u00B0\u0178\u00D7\u00DE\u0152\u0160\u017D"_s),
            u"àéµß§°ÿ×þœšž"_s);
  EXPECT_EQ(LCase("MorVo"), "morvo");
  EXPECT_EQ(UCase(QString()), QString());
}

TEST(Legacy, ValueOfAText) {
  EXPECT_DOUBLE_EQ(Val("12.5mm"), 12.5);
  EXPECT_DOUBLE_EQ(Val(" -3e2x"), -300.0);
  EXPECT_DOUBLE_EQ(Val("&HFF"), 255.0);
  EXPECT_DOUBLE_EQ(Val("&hff"), 255.0);
  EXPECT_DOUBLE_EQ(Val("&HFFFF"), -1.0);
  EXPECT_DOUBLE_EQ(Val("&H10000"), 65536.0);
  EXPECT_DOUBLE_EQ(Val("&O17"), 15.0);
  EXPECT_DOUBLE_EQ(Val("&H"), 0.0);
  EXPECT_DOUBLE_EQ(Val(".5"), 0.5);
  EXPECT_DOUBLE_EQ(Val("-.25"), -0.25);
  EXPECT_DOUBLE_EQ(Val("+.5e-1"), 0.05);
  EXPECT_DOUBLE_EQ(Val("1D3"), 1000.0);
  EXPECT_DOUBLE_EQ(Val("2e"), 2.0);
  EXPECT_DOUBLE_EQ(Val("2e+x"), 2.0);
  EXPECT_DOUBLE_EQ(Val("1.2.3"), 1.2);
  EXPECT_DOUBLE_EQ(Val("abc"), 0.0);
  EXPECT_DOUBLE_EQ(Val("-"), 0.0);
  EXPECT_DOUBLE_EQ(Val(""), 0.0);
  EXPECT_EQ(RaisonDe([] { Val("1e999"); }), "overflow");

  EXPECT_TRUE(EstNumerique(" 12.5 "));
  EXPECT_TRUE(EstNumerique("-1e3"));
  EXPECT_TRUE(EstNumerique("&HFF"));
  EXPECT_FALSE(EstNumerique("12mm"));
  EXPECT_FALSE(EstNumerique(""));
  EXPECT_FALSE(EstNumerique("."));
  EXPECT_FALSE(EstNumerique("1e"));
}

TEST(Legacy, NumbersAsInvariantText) {
  EXPECT_EQ(TexteNombre(0.5), ".5");
  EXPECT_EQ(TexteNombre(-0.25), "-.25");
  EXPECT_EQ(TexteNombre(12.0), "12");
  EXPECT_EQ(TexteNombre(0.0), "0");
  EXPECT_EQ(TexteNombre(-0.0), "0");
  EXPECT_EQ(TexteNombre(0.0001), ".0001");
  EXPECT_EQ(TexteNombre(1e-5), "1E-05");
  EXPECT_EQ(TexteNombre(1.5e-5), "1.5E-05");
  EXPECT_EQ(TexteNombre(-1.5e-5), "-1.5E-05");
  EXPECT_EQ(TexteNombre(1e15), "1E+15");
  EXPECT_EQ(TexteNombre(999999999999999.0), "999999999999999");
  EXPECT_EQ(TexteNombre(1e100), "1E+100");
  EXPECT_EQ(TexteNombre(1.0 / 3.0), ".333333333333333");
  EXPECT_EQ(TexteNombre(2.0 / 3.0), ".666666666666667");
  EXPECT_EQ(TexteNombre(0.1 + 0.2), ".3");
  EXPECT_EQ(TexteNombre(123456789.0f), "1.234568E+08");
  EXPECT_EQ(TexteNombre(1.0f / 3.0f), ".3333333");
  EXPECT_EQ(TexteNombre(0.1f), ".1");
  EXPECT_EQ(TexteNombre(1e20f), "1E+20");
  EXPECT_EQ(TexteNombre(1234567.0f), "1234567");
  EXPECT_EQ(TexteNombre(9999999.6f), "1E+07");
  // A single is rounded once, from its exact value, not from its shortest form.
  EXPECT_EQ(TexteNombre(std::sqrt(18.0f)), "4.24264") << "4.24264049...";
  EXPECT_EQ(TexteNombre(static_cast<float>(-1.0 / 14.0)), "-.07142857");
  EXPECT_EQ(TexteNombre(213666448.0f), "2.136664E+08");
  EXPECT_EQ(TexteNombre(1234567.5f), "1234568") << "an exact half goes away from zero";
  EXPECT_EQ(TexteNombre(std::numeric_limits<float>::denorm_min()), "1.401298E-45");
  EXPECT_EQ(StrNombre(5.0), " 5");
  EXPECT_EQ(StrNombre(-5.0), "-5");
  EXPECT_EQ(StrNombre(0.5f), " .5");
  EXPECT_EQ(StrNombre(-0.5f), "-.5");
  EXPECT_EQ(RaisonDe([] { TexteNombre(std::numeric_limits<double>::quiet_NaN()); }), "overflow");
}

TEST_F(WithLocale, NumbersAsLocalText) {
  Francais();
  EXPECT_EQ(SeparateurDecimal(), ",");
  EXPECT_EQ(TexteNombreLocal(0.25), "0,25");
  EXPECT_EQ(TexteNombreLocal(-0.25), "-0,25");
  EXPECT_EQ(TexteNombreLocal(1234567.5), "1234567,5");
  EXPECT_EQ(TexteNombreLocal(1.5e-5), "1,5E-05");
  EXPECT_EQ(TexteNombreLocal(2.5f), "2,5");
  EXPECT_EQ(TexteNombreLocal(std::sqrt(18.0f)), "4,24264");
  EXPECT_EQ(TexteNombre(2.5), "2.5");
  Anglais();
  EXPECT_EQ(SeparateurDecimal(), ".");
  EXPECT_EQ(TexteNombreLocal(0.25), "0.25");
  EXPECT_EQ(TexteNombreLocal(1234567.5), "1234567.5");
}

TEST_F(WithLocale, FormatPatternsWithADecimalPoint) {
  Anglais();
  EXPECT_EQ(Trim(Format(0, "#.")), SeparateurDecimal());
  EXPECT_EQ(Format(2.5, "0"), "3");
  EXPECT_EQ(Format(3.5, "0"), "4");
  EXPECT_EQ(Format(-2.5, "0"), "-3");
  EXPECT_EQ(Format(3.14159, "0.00"), "3.14");
  EXPECT_EQ(Format(2.675, "0.00"), "2.68");
  EXPECT_EQ(Format(1.005, "0.00"), "1.01");
  EXPECT_EQ(Format(0.25, "0.000"), "0.250");
  EXPECT_EQ(Format(0.5, "#.#"), ".5");
  EXPECT_EQ(Format(5, "#.#"), "5.");
  EXPECT_EQ(Format(5, "##0.#"), "5.");
  EXPECT_EQ(Format(5.04, "#.##"), "5.04");
  EXPECT_EQ(Format(5, "#."), "5.");
  EXPECT_EQ(Format(0, "###"), "");
  EXPECT_EQ(Format(12.6, "###"), "13");
  EXPECT_EQ(Format(123456, "##0"), "123456");
  EXPECT_EQ(Format(7, "000"), "007");
  EXPECT_EQ(Format(1234, "00"), "1234");
  EXPECT_EQ(Format(3.14159, "00.0"), "03.1");
  EXPECT_EQ(Format(0.04, "##0.0"), "0.0");
  EXPECT_EQ(Format(-1.5, "##0.##"), "-1.5");
  EXPECT_EQ(Format(4, " ##0.##"), " 4.");
  EXPECT_EQ(Format(45.25, "##0.0°"), "45.3°");
  EXPECT_EQ(Format(3, "#0 : "), "3 : ");
  EXPECT_EQ(Format(1.5, "0.0#r"), "1.5r");
  EXPECT_EQ(Format(1.234, "0.0#"), "1.23");
  EXPECT_EQ(Format(2, "0.0#"), "2.0");
  EXPECT_EQ(Format(5, "\"n=\"0"), "n=5");
  EXPECT_EQ(Format(1234567.5, "#,##0.00"), "1,234,567.50");
  EXPECT_EQ(Format(0.256, "0%"), "26%");
  EXPECT_EQ(Format(-3, "0;(0)"), "(3)");
  EXPECT_EQ(Format(0, "0;-0;nul"), "nul");
  EXPECT_EQ(Format(12345.678, "0.0E+00"), "1.2E+04");
  EXPECT_EQ(Format(0.000123, "0.00E+00"), "1.23E-04");
  EXPECT_EQ(Format(12345, "0E+00"), "1E+04");
  EXPECT_EQ(Format(12345, "0.00E-00"), "1.23E04");
  EXPECT_EQ(Format(0.000123, "0.00E-00"), "1.23E-04");
  EXPECT_EQ(Format(9.996, "0.00E+00"), "1.00E+01");
  EXPECT_EQ(Format(-250, "0.0E+0"), "-2.5E+2");
  EXPECT_EQ(Format(0, "0.0E+00"), "0.0E+00");
  EXPECT_EQ(Format(12345, "##0.0E+0"), "12.3E+3");
}

TEST_F(WithLocale, FormatPatternsWithADecimalComma) {
  Francais();
  EXPECT_EQ(Trim(Format(0, "#.")), ",");
  EXPECT_EQ(Format(3.14159, "0.00"), "3,14");
  EXPECT_EQ(Format(5, "##0.#"), "5,");
  EXPECT_EQ(Format(0.5, "#.#"), ",5");
  EXPECT_EQ(Format(-0.25, "0.0"), "-0,3");
  EXPECT_EQ(Format(12345.678, "0.0E+00"), "1,2E+04");
  EXPECT_EQ(Format(2, "0.0#"), "2,0");
}

TEST(Legacy, RoundingsAndConversions) {
  EXPECT_EQ(ArrondiPair(2.5), 2.0);
  EXPECT_EQ(ArrondiPair(3.5), 4.0);
  EXPECT_EQ(ArrondiPair(-2.5), -2.0);
  EXPECT_EQ(ArrondiPair(2.6), 3.0);
  EXPECT_EQ(Arrondi(2.5), 3.0);
  EXPECT_EQ(Arrondi(3.5), 4.0);
  EXPECT_EQ(Arrondi(-2.5), -3.0);
  EXPECT_EQ(Arrondi(2.4), 2.0);
  EXPECT_DOUBLE_EQ(Arrondi(2.675, 2), 2.68);
  EXPECT_DOUBLE_EQ(Arrondi(-1.005, 2), -1.01);
  EXPECT_DOUBLE_EQ(Arrondi(0.125, 2), 0.13);
  EXPECT_DOUBLE_EQ(Arrondi(0.004, 2), 0.0);
  EXPECT_DOUBLE_EQ(Arrondi(1250, -2), 1300.0);
  EXPECT_DOUBLE_EQ(Arrondi(2.5, 0), 3.0);

  EXPECT_EQ(VersEntier16(2.5), 2);
  EXPECT_EQ(VersEntier16(3.5), 4);
  EXPECT_EQ(VersEntier16(-32768.4), -32768);
  EXPECT_EQ(VersEntier16(32767.4), 32767);
  EXPECT_EQ(RaisonDe([] { VersEntier16(32767.5); }), "overflow");
  EXPECT_EQ(RaisonDe([] { VersEntier16(-32768.6); }), "overflow");
  EXPECT_EQ(RaisonDe([] { VersEntier16(std::nan("")); }), "overflow");
  EXPECT_EQ(VersEntier32(-2147483648.0), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(VersEntier32(70000.5), 70000);
  EXPECT_EQ(RaisonDe([] { VersEntier32(2147483647.6); }), "overflow");
  EXPECT_EQ(RaisonDe([] { VersEntier32(std::numeric_limits<double>::infinity()); }), "overflow");
  EXPECT_EQ(VersSingle(0.5), 0.5f);
  EXPECT_EQ(VersSingle(1e-50), 0.0f);
  EXPECT_EQ(RaisonDe([] { VersSingle(1e39); }), "overflow");
  EXPECT_EQ(RaisonDe([] { VersSingle(-1e39); }), "overflow");
  EXPECT_EQ(RaisonDe([] { VersSingle(std::nan("")); }), "overflow");
  EXPECT_EQ(Fix(-2.7), -2.0);
  EXPECT_EQ(Int(-2.7), -3.0);
  EXPECT_EQ(Fix(2.7), 2.0);
  EXPECT_EQ(Int(2.7), 2.0);
}

TEST(Legacy, TheRandomSequenceRepeats) {
  const float premier = Rnd(-1.0f);
  EXPECT_NEAR(premier, 0.224007f, 1e-6);
  const float a = Rnd();
  const float b = Rnd(1.0f);
  EXPECT_EQ(Rnd(0.0f), b);
  EXPECT_EQ(Rnd(-1.0f), premier);
  EXPECT_EQ(Rnd(), a);
  EXPECT_EQ(Rnd(), b);
  EXPECT_NE(Rnd(-2.0f), premier);

  Rnd(-7.0f);
  Randomize(10.0);
  const float apres10 = Rnd();
  Rnd(-7.0f);
  Randomize(10.0);
  EXPECT_EQ(Rnd(), apres10);
  Rnd(-7.0f);
  Randomize(11.0);
  EXPECT_NE(Rnd(), apres10);

  for (int i = 0; i < 1000; ++i) {
    const float r = Rnd();
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
  }
}

TEST(Legacy, ClipboardAndEvents) {
  PressePapiersEcrit("abc é");
  EXPECT_EQ(PressePapiersTexte(), "abc é");
  PressePapiersEfface();
  EXPECT_EQ(PressePapiersTexte(), "");

  DoEvents();
  int appels = 0;
  DefinitDoEvents([&appels] { ++appels; });
  DoEvents();
  DoEvents();
  EXPECT_EQ(appels, 2);
  DefinitDoEvents({});
  DoEvents();
  EXPECT_EQ(appels, 2);
}
