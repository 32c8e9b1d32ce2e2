#include <QString>
#include <cmath>
#include <cstdint>

#include "commands/Commands.h"
#include "drawing/DrawState.h"
#include "drawing/Pen.h"
#include "drawing/Points.h"
#include "drawing/Rotation.h"
#include "drawing/Segments.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "values/Colours.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;
constexpr double Pi = 3.14159265358979;

// The corner points kept across the dovetails, as indices of PtsPoly.
enum Coin {
  CoinP1 = 0,
  CoinQ1 = 1,
  RetourQ1 = 2,
  CoinP2 = 3,
  CoinQ2 = 4,
  RetourQ2 = 5,
  Retour1P1 = 6,
  Retour1P2 = 7
};

// The command's own pen holds until the command ends, however it ends; the corner points go.
class GardeQA {
 public:
  GardeQA() { PtsPoly.assign(8, PointXY{}); }
  ~GardeQA() {
    if (style) RestaureEpaisT();
    PtsPoly.clear();
  }
  GardeQA(const GardeQA&) = delete;
  GardeQA& operator=(const GardeQA&) = delete;
  bool style = false;
};

struct Vec {
  double x = 0, y = 0;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec operator*(double k, Vec a) { return {k * a.x, k * a.y}; }

double Signe(double v) { return v > 0 ? 1.0 : (v < 0 ? -1.0 : 0.0); }

void Ligne(Vec a, Vec b, int32_t couleur) {
  TraceSegment(static_cast<float>(a.x + CTx + OrigineX), static_cast<float>(a.y + CTy + OrigineY),
               static_cast<float>(b.x + CTx + OrigineX), static_cast<float>(b.y + CTy + OrigineY), 0,
               couleur);
}

void Garde(Coin k, Vec p) { PtsPoly[k] = {static_cast<float>(p.x), static_cast<float>(p.y)}; }
Vec Lu(Coin k) { return {PtsPoly[k].x, PtsPoly[k].y}; }

}  // namespace

void TraceQA(int niveau) {
  GardeQA garde;
  EtatOrdre = static_cast<int16_t>(EtatOrdre | 0x40);
  const QString param = ParamLigne;
  const QString motCle = Niveau(niveau).MotCle;
  const bool cote1 = InStr(motCle, QStringLiteral("1")) > 0;
  const bool cote2 = InStr(motCle, QStringLiteral("2")) > 0;

  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  LitPointVar(x1, y1, param, 1, XRot, YRot);
  LitPoint(x2, y2, param, 3, x1, y1);
  if (Trim(ParamBrutN(param, 3)).isEmpty()) x2 = x1;
  if (Trim(ParamBrutN(param, 4)).isEmpty()) y2 = y1;
  RotationXY(ParamN(param, 2), x1, y1);
  if (AngRotDeg != 0) {
    const double c = std::cos(AngRotRad), s = std::sin(AngRotRad);
    const double xt = x2 * c + y2 * s;
    y2 = -x2 * s + y2 * c;
    x2 = xt;
  }
  const Vec P1{x1, y1}, P2{x2, y2};

  const double N = LitParam(param, 5).value_or(0.0);
  double H = LitParam(param, 6).value_or(0.0);
  double E = H;
  const QString champHauteur = ParamN(param, 6);
  const int pe = InStr(champHauteur, SepSousParam);
  if (pe > 0) {
    QString epaisseur = Mid(champHauteur, pe + SepSousParam.size());
    E = Calcule(epaisseur).value_or(0.0);
  }
  if (Signe(E * H) == -1) E = -E;

  const QString champPente = ParamN(param, 7);
  double S = Trim(champPente).isEmpty() ? 9 * DegresEnRadians
                                        : LitParam(champPente, 1).value_or(0.0) * DegresEnRadians;
  S = Signe(H) * S;
  int sT = 0;
  double I = 0;
  const int ps = InStr(champPente, SepSousParam);
  if (ps > 0) {
    const QString suite = Mid(champPente, ps + SepSousParam.size());
    const double I0 = LitParam(suite, 1).value_or(0.0) * DegresEnRadians;
    I = I0;
    const int pt = InStr(suite, SepSousParam);
    if (pt > 0) {
      const QString mode = UCase(LTrim(Mid(suite, pt + SepSousParam.size())));
      if (mode.startsWith(QLatin1Char('T'))) {
        sT = mode.startsWith(QStringLiteral("T-")) ? -1 : 1;
        if (std::sin(I0) == 0) LeveErreurExecution(QStringLiteral("division by zero"));
        I = Pi / 2 - std::atan(1 / std::sin(I0));
        const double alpha = std::atan(std::tan(I0) * std::sin(I));
        H /= std::cos(alpha);
        E /= std::cos(alpha);
      }
    }
  }

  const double r = Trim(ParamBrutN(param, 8)).isEmpty() ? 0.5 : LitParam(param, 8).value_or(0.0) / 100;
  if (r < 0 || r > 1) ErreurRun();

  EpaisTLocale(ParamN(param, 9));
  garde.style = true;

  const QString champCouleur = ParamN(param, 10);
  CouleurCmd =
      Trim(champCouleur).isEmpty() ? CouleurCourante : static_cast<int32_t>(ValeurCouleur(champCouleur));
  const int32_t principale = CouleurCmd;
  int32_t couleurR = principale;
  int pr = InStr(champCouleur, SepSousParam);
  int longueurSep = SepSousParam.size();
  if (pr == 0) {
    pr = InStr(champCouleur, QStringLiteral("/"));
    longueurSep = 1;
  }
  if (pr > 0) {
    const QString texteR = Mid(champCouleur, pr + longueurSep);
    if (!Trim(texteR).isEmpty()) couleurR = ValeurCouleur(texteR);
  }

  if (N < 1) ErreurRun();

  // A zero-length line has no direction. A vertical one has: its angle is taken whole.
  if (P1.x == P2.x && P1.y == P2.y) LeveErreurExecution(QStringLiteral("division by zero"));
  const double L = std::hypot(P2.x - P1.x, P2.y - P1.y);
  const double p = L / N;
  const double theta = std::atan2(P2.y - P1.y, P2.x - P1.x);
  const Vec u{std::cos(theta), std::sin(theta)};
  const Vec nL{-std::sin(theta), std::cos(theta)};
  Garde(CoinP2, P2);
  Garde(CoinP1, P1);
  const int n = VersEntier16(Fix(std::fabs(N)));

  const double cosI = std::cos(I);
  auto retour1 = [&](Vec X) {
    const Vec fin = sT != 0 ? X + (E / cosI) * Vec{std::sin(theta + sT * I), -std::cos(theta + sT * I)}
                            : X + E * Vec{std::sin(theta), -std::cos(theta)};
    Ligne(X, fin, couleurR);
    return fin;
  };
  auto finRetour2 = [&](Vec X) {
    return sT != 0 ? X + (E / cosI) * Vec{-std::sin(theta - sT * I), std::cos(theta - sT * I)} : X + E * nL;
  };
  auto retour2 = [&](Vec X) {
    const Vec fin = finRetour2(X);
    Ligne(X, fin, couleurR);
    return fin;
  };

  const double tIS = std::tan(I + S), tSI = std::tan(S - I), tI = std::tan(I);
  Vec P = P1;
  for (int i = 1; i <= n; ++i) {
    const double f = i == 1 ? (std::fabs(N) - n) / 2 : 0.0;
    if (i == 1) {
      if (cote1) Garde(Retour1P1, retour1(P1));
      if (cote2) {
        const Vec Q1 = P1 + H * nL - (H * tI) * u;
        Garde(CoinQ1, Q1);
        Garde(RetourQ1, retour2(Q1));
      }
    }
    Vec A = P + (((1 - r) * 0.5 + f) * p) * u + (H * 0.5 * tIS) * u;
    if (i == 1) A = A - (H * 0.5 * tI) * u;
    Ligne(P, A, principale);
    if (cote1) retour1(A);

    P = A;
    const Vec T1 = P + H * nL - (H * tIS) * u;
    Ligne(P, T1, principale);
    if (cote2) retour2(T1);

    P = T1;
    const Vec T2 = P + (r * p) * u + ((tSI + tIS) * (H * 0.5)) * u;
    Ligne(P, T2, principale);
    if (cote2) retour2(T2);

    P = T2;
    const Vec B1 = P - (H * tSI) * u - H * nL;
    Ligne(P, B1, principale);
    if (cote1) retour1(B1);

    P = B1;
    Vec E1 = P + ((1 - r) * p * 0.5) * u + (H * 0.5 * tSI) * u;
    if (i == n) {
      if (cote1) {
        Garde(Retour1P2, retour1(P2));
        Ligne(Lu(Retour1P1), Lu(Retour1P2), couleurR);
      }
      if (cote2) {
        const Vec Q2 = P2 + H * nL - (H * tI) * u;
        Garde(CoinQ2, Q2);
        Garde(RetourQ2, finRetour2(Q2));
        Ligne(Lu(RetourQ1), Lu(RetourQ2), couleurR);
        Ligne(Lu(CoinQ2), Lu(RetourQ2), couleurR);
        Ligne(P1, Lu(CoinQ1), principale);
        Ligne(P2, Lu(CoinQ2), principale);
      }
      E1 = P2;
    }
    Ligne(P, E1, principale);
    P = E1;
  }

  RestaureEpaisT();
  garde.style = false;
  XCourant = static_cast<float>(P2.x + CTx + OrigineX);
  YCourant = static_cast<float>(P2.y + CTy + OrigineY);
  Sortie->CurrentX = XCourant;
  Sortie->CurrentY = YCourant;
  RotationCourant(AngRotDeg);
}
