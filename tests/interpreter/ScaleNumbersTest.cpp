// The numeric helpers of the scale commands: logarithmic positions and steps, mantissa and power
// of ten, roundings and SI prefixes.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "interpreter/ScaleNumbers.h"
#include "interpreter/ScaleState.h"
#include "platform/RunError.h"

namespace {

class ScaleNumbersTest : public ::testing::Test {
 protected:
  void SetUp() override { Echelle = {}; }
  void TearDown() override { Echelle = {}; }

  static void PoseEchelle(int16_t decades, float debut, float fin) {
    Echelle.LogDecades = decades;
    Echelle.LogDebut = debut;
    Echelle.LogFin = fin;
  }
  static float Suivant(float limite, float pas) {
    Echelle.LimitePasLog = limite;
    Echelle.PasLog = pas;
    PasLogSuivant();
    return Echelle.PasLog;
  }
  struct Decoupe {
    float mantisse;
    int16_t puissance;
  };
  static Decoupe Coupe(float x) {
    Decoupe d{-1, -99};
    MantisseExposant(x, d.mantisse, d.puissance);
    return d;
  }
};

TEST_F(ScaleNumbersTest, LogarithmicFractions) {
  PoseEchelle(2, 1, 5);  // 1 to 500
  EXPECT_DOUBLE_EQ(FractionLog(1), 0.0);
  EXPECT_NEAR(FractionLog(500), 1.0, 1e-12);
  EXPECT_NEAR(FractionLog(10), 1 / std::log10(500.0), 1e-12);
  EXPECT_LT(FractionLog(0.5), 0.0);
  EXPECT_GT(FractionLog(1000), 1.0);
  EXPECT_NEAR(FractionLogExp(5, 2), 1.0, 1e-12);
  EXPECT_NEAR(FractionLogExp(1, 1), FractionLog(10), 1e-12);

  PoseEchelle(1, 2, 1);  // 2 to 10
  EXPECT_NEAR(FractionLog(2), 0.0, 1e-12);
  EXPECT_NEAR(FractionLog(10), 1.0, 1e-12);

  EXPECT_THROW(FractionLog(0), ErreurExecution);
  EXPECT_THROW(FractionLog(-3), ErreurExecution);
  PoseEchelle(0, 1, 1);  // no extent
  EXPECT_THROW(FractionLog(2), ErreurExecution);
  PoseEchelle(1, 0, 1);
  EXPECT_THROW(FractionLog(2), ErreurExecution);
  PoseEchelle(1, -1, 1);
  EXPECT_THROW(FractionLog(2), ErreurExecution);
  PoseEchelle(400, 1, 1);  // 10^400 is beyond a Double
  EXPECT_THROW(FractionLog(2), ErreurExecution);
}

TEST_F(ScaleNumbersTest, LogarithmicSubStep) {
  EXPECT_EQ(Suivant(-1, 0.01f), 0.02f);
  EXPECT_EQ(Suivant(-1, 0.02f), 0.05f);
  EXPECT_EQ(Suivant(-1, 0.05f), 0.1f);
  EXPECT_EQ(Suivant(-1, 0.1f), 0.2f);
  EXPECT_EQ(Suivant(-1, 0.2f), 0.5f);
  EXPECT_EQ(Suivant(-1, 0.5f), 1.0f);
  EXPECT_EQ(Suivant(-1, 1), 5.0f) << "after 1 comes 5, not 2";
  EXPECT_EQ(Suivant(-1, 2), 5.0f);
  EXPECT_EQ(Suivant(-1, 5), 5.0f);
  EXPECT_EQ(Suivant(-1, 0.3f), 0.3f);
  EXPECT_EQ(Suivant(-5, 0.1000001f), 0.1000001f) << "single-precision equality only";
  EXPECT_EQ(Suivant(0, 0.3f), 10.0f);
  EXPECT_EQ(Suivant(10, 0.01f), 10.0f);
}

TEST_F(ScaleNumbersTest, MantissaAndPowerOfTen) {
  auto d = Coupe(10);
  EXPECT_EQ(d.mantisse, 10.0f);
  EXPECT_EQ(d.puissance, 0);
  d = Coupe(1);
  EXPECT_EQ(d.mantisse, 1.0f);
  EXPECT_EQ(d.puissance, 0);
  d = Coupe(10.5f);
  EXPECT_EQ(d.mantisse, 1.05f);
  EXPECT_EQ(d.puissance, 1);
  d = Coupe(0.5f);
  EXPECT_EQ(d.mantisse, 5.0f);
  EXPECT_EQ(d.puissance, -1);
  d = Coupe(1000);
  EXPECT_EQ(d.mantisse, 1.0f);
  EXPECT_EQ(d.puissance, 3);
  d = Coupe(100);
  EXPECT_EQ(d.mantisse, 1.0f);
  EXPECT_EQ(d.puissance, 2);
  // 0.1 reaches exactly 1 when scaled up, and is scaled once more.
  d = Coupe(0.1f);
  EXPECT_EQ(d.mantisse, 10.0f);
  EXPECT_EQ(d.puissance, -2);
  d = Coupe(0.0047f);
  EXPECT_NEAR(d.mantisse, 4.7f, 1e-6);
  EXPECT_EQ(d.puissance, -3);
  d = Coupe(std::numeric_limits<float>::max());
  EXPECT_EQ(d.puissance, 38);
  d = Coupe(std::numeric_limits<float>::denorm_min());
  EXPECT_EQ(d.puissance, -45);

  // No power of ten splits these: a run error, not an endless loop.
  EXPECT_THROW(Coupe(0), ErreurExecution);
  EXPECT_THROW(Coupe(-5), ErreurExecution);
}

TEST_F(ScaleNumbersTest, Roundings) {
  EXPECT_EQ(ArrondiEntier(2.5), 3);
  EXPECT_EQ(ArrondiEntier(3.5), 4);
  EXPECT_EQ(ArrondiEntier(1.5), 2);
  EXPECT_EQ(ArrondiEntier(-1.5), -2);
  EXPECT_EQ(ArrondiEntier(-2.5), -3);
  EXPECT_EQ(ArrondiEntier(0.5), 1);
  EXPECT_EQ(ArrondiEntier(-0.5), -1);
  EXPECT_EQ(ArrondiEntier(2.4), 2);
  EXPECT_EQ(ArrondiEntier(-2.6), -3);
  EXPECT_EQ(ArrondiEntier(2147483647.4), 2147483647);
  EXPECT_THROW(ArrondiEntier(2147483647.5), ErreurExecution);
  EXPECT_THROW(ArrondiEntier(-2147483649.0), ErreurExecution);
  EXPECT_THROW(ArrondiEntier(std::nan("")), ErreurExecution);

  EXPECT_EQ(ArrondiSignificatif(0, 3), 0.0);
  EXPECT_DOUBLE_EQ(ArrondiSignificatif(1234, 3), 1230.0);
  EXPECT_DOUBLE_EQ(ArrondiSignificatif(999.7, 3), 1000.0);
  EXPECT_DOUBLE_EQ(ArrondiSignificatif(0.012345, 3), 0.0123);
  EXPECT_DOUBLE_EQ(ArrondiSignificatif(-1234, 2), -1200.0);
  EXPECT_DOUBLE_EQ(ArrondiSignificatif(10, 1), 10.0);
  EXPECT_DOUBLE_EQ(ArrondiSignificatif(0.05, 2), 0.05);
  EXPECT_DOUBLE_EQ(ArrondiSignificatif(123456789, 9), 123456789.0);
  EXPECT_THROW(ArrondiSignificatif(123456789, 12), ErreurExecution) << "beyond 32 bits";
}

TEST_F(ScaleNumbersTest, SiPrefixes) {
  struct Cas {
    float x;
    float attendu;
    const char16_t* prefixe;
  };
  for (const Cas& c :
       {Cas{1500, 1.5f, u"k"}, Cas{0.0047f, 4.7f, u"m"}, Cas{1, 1, u""}, Cas{999, 999, u""},
        Cas{1000, 1, u"k"}, Cas{2.5e6f, 2.5f, u"M"}, Cas{3e9f, 3, u"G"}, Cas{4e12f, 4, u"T"},
        Cas{5e15f, 5, u"P"}, Cas{6e18f, 6, u"E"}, Cas{6e20f, 600, u"E"}, Cas{2e-6f, 2, u"µ"},
        Cas{3e-9f, 3, u"n"}, Cas{4e-12f, 4, u"p"}, Cas{5e-15f, 5, u"f"}, Cas{6e-18f, 6, u"a"}}) {
    float x = c.x;
    QString prefixe = QStringLiteral("?");
    PrefixeSI(x, prefixe);
    EXPECT_NEAR(x, c.attendu, c.attendu * 1e-6) << c.x;
    EXPECT_EQ(prefixe, QString::fromUtf16(c.prefixe)) << c.x;
  }
  EXPECT_EQ(QString::fromUtf16(u"µ").at(0).unicode(), 0x00B5);

  // No prefix fits: the value stays and the previous label's prefix does not carry over.
  for (float x0 : {0.0f, -5.0f, -1500.0f, 1e-20f}) {
    float x = x0;
    QString prefixe = QStringLiteral("k");
    PrefixeSI(x, prefixe);
    EXPECT_EQ(x, x0);
    EXPECT_EQ(prefixe, QString()) << x0;
  }
}

}  // namespace
