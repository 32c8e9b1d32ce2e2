#include "interpreter/ScaleNumbers.h"

#include <cmath>

#include "interpreter/ScaleState.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"

using namespace legacy;

namespace {

[[noreturn]] void AppelInvalide() { LeveErreurExecution(QStringLiteral("invalid procedure call")); }
[[noreturn]] void DivisionParZero() { LeveErreurExecution(QStringLiteral("division by zero")); }
[[noreturn]] void Depassement() { LeveErreurExecution(QStringLiteral("overflow")); }

double Fini(double v) {
  if (!std::isfinite(v)) Depassement();
  return v;
}

double PuissanceDix(double e) { return Fini(std::pow(10.0, e)); }

}  // namespace

double FractionLog(double v) {
  if (Echelle.LogDebut == 0) DivisionParZero();
  const double etendue = Fini(PuissanceDix(Echelle.LogDecades) * Echelle.LogFin / Echelle.LogDebut);
  if (!(etendue > 0)) AppelInvalide();
  const double denominateur = std::log(etendue);
  if (denominateur == 0) DivisionParZero();
  const double quotient = Fini(v / Echelle.LogDebut);
  if (!(quotient > 0)) AppelInvalide();
  return std::log(quotient) / denominateur;
}

double FractionLogExp(double m, double e) { return FractionLog(Fini(PuissanceDix(e) * m)); }

void PasLogSuivant() {
  if (Echelle.LimitePasLog >= 0) {
    Echelle.PasLog = 10.0f;
    return;
  }
  struct Pas {
    float de, vers;
  };
  static constexpr Pas chaine[] = {{0.01f, 0.02f}, {0.02f, 0.05f}, {0.05f, 0.1f}, {0.1f, 0.2f}, {0.2f, 0.5f},
                                   {0.5f, 1.0f},   {1.0f, 5.0f},   {2.0f, 5.0f},  {5.0f, 5.0f}};
  for (const Pas& p : chaine) {
    if (Echelle.PasLog == p.de) {
      Echelle.PasLog = p.vers;
      return;
    }
  }
}

void MantisseExposant(float x, float& mantisse, int16_t& puissance) {
  if (!(x > 0)) Depassement();
  int p = 0;
  float m = x;
  if (x > 10) {
    do {
      m = VersSingle(static_cast<double>(m) / 10);
      ++p;
    } while (m >= 10);
  } else if (x < 1) {
    do {
      m = VersSingle(static_cast<double>(m) * 10);
      --p;
    } while (m <= 1);
  }
  mantisse = m;
  puissance = static_cast<int16_t>(p);
}

int32_t ArrondiEntier(double x) { return VersEntier32(Arrondi(x)); }

double ArrondiSignificatif(double x, int16_t n) {
  if (x == 0) return 0;
  const int32_t e = ArrondiEntier(std::log10(std::fabs(x)) + 0.5);
  const double echelle = PuissanceDix(static_cast<double>(n) - e);
  if (echelle == 0) DivisionParZero();
  return ArrondiEntier(x * echelle) / echelle;
}

void PrefixeSI(float& x, QString& prefixe) {
  // k > 0: x at least 10^k is divided by it; k < 0: x at least 10^k is multiplied by 10^-k.
  struct Rang {
    int k;
    const char16_t* prefixe;
  };
  static constexpr Rang rangs[] = {{18, u"E"},  {15, u"P"},  {12, u"T"}, {9, u"G"},  {6, u"M"},
                                   {3, u"k"},   {0, u""},    {-3, u"m"}, {-6, u"µ"}, {-9, u"n"},
                                   {-12, u"p"}, {-15, u"f"}, {-18, u"a"}};
  for (const Rang& r : rangs) {
    if (x >= static_cast<float>(std::pow(10.0, r.k))) {
      if (r.k > 0) {
        x = VersSingle(x / std::pow(10.0, r.k));
      } else if (r.k < 0) {
        x = VersSingle(x * std::pow(10.0, -r.k));
      }
      prefixe = QString::fromUtf16(r.prefixe);
      return;
    }
  }
  prefixe.clear();
}
