#include "commands/Catenary.h"

#include <cmath>

#include "platform/Events.h"
#include "platform/RunError.h"

namespace {

// The fixed-point searches have no natural end when they oscillate: past this many passes the
// chain is reported as not converging instead of running until Esc.
constexpr int MaxPassesPointFixe = 100000;
constexpr int MaxPassesLongueur = 200;
constexpr int MaxPassesInternes = 100;
constexpr int MaxPassesExternes = 1000;
// Exp overflows a double just above 709.78: the searches keep x / a at or below this.
constexpr double PlafondExp = 709;

void Attente() {
  DoEvents();
  if (Arret) ErreurRun();
}

double Rapport(double n, double d) {
  if (d == 0) LeveErreurExecution(QStringLiteral("division by zero"));
  return n / d;
}

// The chord rounded to single precision, as the length tests compare against it.
double Corde(double dx, double dy) { return static_cast<float>(std::sqrt(dx * dx + dy * dy)); }

void VerifiePortee(double dx) {
  if (!(dx > 0)) ErreurChainette(QStringLiteral("portée nulle ou négative / zero or negative span"));
}

void VerifieFini(double v) {
  if (!std::isfinite(v)) ErreurChainette(QStringLiteral("pas de solution / no solution"));
}

// The theta-given case: the vertex distance follows from the angle, the parameter from both.
void CasAngle(double dx, double& dy, double& L, double& a, double theta, double& x) {
  VerifiePortee(dx);
  if (dy <= 0) dy = 1e-6;
  double t = std::tan(theta);
  if (t < 0 || t > 573) t = 573;
  const double u = ArgSh(t);
  x = dx;
  for (int n = 1;; ++n) {
    Attente();
    a = Rapport(x, u);
    const double h = HauteurChainette(x, a, dx);
    VerifieFini(h);
    x = dx / 2 + (x - dx / 2) * Rapport(dy, h);
    VerifieFini(x);
    if (std::fabs(h - dy) < dy / 10000) break;
    if (n >= MaxPassesPointFixe) ErreurChainette(QStringLiteral("pas de convergence / no convergence"));
  }
  L = LongueurChainette(x, a, dx);
  VerifieFini(L);
}

void CasParametre(double dx, double dy, double& L, double a, double& theta, double& x) {
  VerifiePortee(dx);
  x = dx;
  double x5 = x;
  for (int n = 1;; ++n) {
    Attente();
    x5 = x;
    const double h = HauteurChainette(x5, a, dx);
    VerifieFini(h);
    // The result is x5, so the step after the last height is not needed (nor defined for a level
    // chain, where that height is 0).
    if (std::fabs(h - dy) < dx / 50000) break;
    x = dx / 2 + (x5 - dx / 2) * Rapport(dy, h);
    VerifieFini(x);
    if (n >= MaxPassesPointFixe) ErreurChainette(QStringLiteral("pas de convergence / no convergence"));
  }
  x = x5;
  L = LongueurChainette(x5, a, dx);
  VerifieFini(L);
  theta = std::atan(Sh(Rapport(x5, a)));
}

void CasLongueurParametre(double dx, double& dy, double L, double a, double& theta, double& x) {
  VerifiePortee(dx);
  if (L < dx) ErreurChainette(QStringLiteral("longueur < DeltaX / length < DeltaX"));
  double xlo = dx / 2, xhi = 100000;
  for (int n = 1;; ++n) {
    const double xp = x;
    x = std::sqrt(xlo * xhi);
    if (Rapport(x, a) > PlafondExp) x = PlafondExp * a;
    const double S = LongueurChainette(x, a, dx);
    if (S < L)
      xlo = x;
    else
      xhi = x;
    const double ecart = std::fabs(L - S);
    // Near enough, or close and x no longer moves at all.
    if (ecart < 1e-5 || (ecart < 0.1 && x == xp)) break;
    if (n >= MaxPassesLongueur) ErreurChainette(QStringLiteral("pas de convergence / no convergence"));
  }
  dy = HauteurChainette(x, a, dx);
  VerifieFini(dy);
  theta = std::atan(Sh(x / a));
}

}  // namespace

void ErreurChainette(const QString& raison) {
  ErreurRun(QStringLiteral("Chain : ") + raison + QStringLiteral("\r\n\r\n"));
}

double Sh(double x) {
  const double v = std::sinh(x);
  if (!std::isfinite(v)) LeveErreurExecution(QStringLiteral("overflow"));
  return v;
}

double Ch(double x) {
  const double v = std::cosh(x);
  if (!std::isfinite(v)) LeveErreurExecution(QStringLiteral("overflow"));
  return v;
}

double ArgSh(double x) { return std::asinh(x); }

double HauteurChainette(double x, double a, double dx) {
  const double h = a * std::cosh(Rapport(x, a)) - a * std::cosh((dx - x) / a);
  return std::isnan(h) ? HUGE_VAL : h;
}

double LongueurChainette(double x, double a, double dx) {
  const double s = a * (std::sinh(Rapport(x, a)) + std::sinh((dx - x) / a));
  return std::isnan(s) ? HUGE_VAL : s;
}

void ResoutChainette(double& dx, double& dy, double& L, double& a, double& theta, double& x) {
  if (theta != 0) {
    CasAngle(dx, dy, L, a, theta, x);
  } else if (dx != 0 && dy != 0 && L != 0) {
    VerifiePortee(dx);
    if (L / Corde(dx, dy) <= 1)
      ErreurChainette(QStringLiteral("longueur trop courte pour la corde / length too short for the chord"));
    // A rising chain is the falling one seen from its other end.
    if (dy < 0) {
      CoefChainette(L, dx, -dy, a, x);
      x = dx - x;
    } else {
      CoefChainette(L, dx, dy, a, x);
    }
    theta = std::atan(Sh(x / a));
  } else if (a != 0 && dx != 0 && (dy != 0 || L == 0)) {
    // With no drop and no length the chain hangs level: the search then stops at the middle.
    CasParametre(dx, dy, L, a, theta, x);
  } else if (a != 0 && dx != 0 && L != 0) {
    CasLongueurParametre(dx, dy, L, a, theta, x);
  }
}

void CoefChainette(double L, double dx, double dy, double& a, double& x) {
  const double C = Corde(dx, dy);
  double tolL = std::sqrt(L * (L - C)) * 1e-5;
  if (tolL > 1e-5) tolL = 1e-5;
  if (!(tolL >= 1e-8)) tolL = 1e-8;
  const double tolH = dx / 50000000;
  double alo = 0.1, ahi = 1000000;
  for (int n = 1;; ++n) {
    a = std::sqrt(alo * ahi);
    double xlo = dx / 2;
    double xhi = 1000000 / a > PlafondExp ? PlafondExp * a : 1000000;
    for (int m = 1;; ++m) {
      Attente();
      const double xp = x;
      x = std::sqrt(xlo * xhi);
      if (x / a > PlafondExp) x = PlafondExp * a;
      const double h = HauteurChainette(x, a, dx);
      if (dy - h > 0)
        xlo = x;
      else
        xhi = x;
      if (x == xp || std::fabs(dy - h) < tolH) break;
      if (m >= MaxPassesInternes) ErreurChainette(QStringLiteral("pas de convergence / no convergence"));
    }
    const double S = LongueurChainette(x, a, dx);
    if (L - S > 0)
      ahi = a;
    else
      alo = a;
    if (std::fabs(L - S) < tolL) break;
    if (n >= MaxPassesExternes) ErreurChainette(QStringLiteral("pas de convergence / no convergence"));
  }
}
