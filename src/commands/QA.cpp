#include <QScopeGuard>
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
#include "platform/StringTable.h"
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

struct Vec {
  double x = 0, y = 0;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec operator*(double k, Vec a) { return {k * a.x, k * a.y}; }

double Signe(double v) { return v > 0 ? 1.0 : (v < 0 ? -1.0 : 0.0); }

void Ligne(Vec a, Vec b, int32_t couleur) {
  TraceSegment(static_cast<float>(a.x + Repere.CTx + Repere.OrigineX),
               static_cast<float>(a.y + Repere.CTy + Repere.OrigineY),
               static_cast<float>(b.x + Repere.CTx + Repere.OrigineX),
               static_cast<float>(b.y + Repere.CTy + Repere.OrigineY), 0, couleur);
}

void Garde(Coin k, Vec p) { Sommets.PtsPoly[k] = {static_cast<float>(p.x), static_cast<float>(p.y)}; }
Vec Lu(Coin k) { return {Sommets.PtsPoly[k].x, Sommets.PtsPoly[k].y}; }

// The shape of the dovetails: the line from P1 to P2, their count N, their height H, the thickness E
// of the returns, the slope S of their sides, and the lean I of the whole (sT: the sides are turned
// by it, -1 or 1, or 0).
struct FormeQA {
  Vec P1, P2;
  double N = 0, H = 0, E = 0, S = 0, I = 0;
  int sT = 0;
};

// Fields 1 to 4: the line, its end relative to its start, both turned as the command is.
void LitLigneQA(const QString& param, FormeQA& f) {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  LitPointVar(x1, y1, param, 1, Repere.XRot, Repere.YRot);
  LitPoint(x2, y2, param, 3, x1, y1);
  if (Trim(ParamBrutN(param, 3)).isEmpty()) x2 = x1;
  if (Trim(ParamBrutN(param, 4)).isEmpty()) y2 = y1;
  RotationXY(ParamN(param, 2), x1, y1);
  if (Rotation.AngRotDeg != 0) {
    const double c = std::cos(Rotation.AngRotRad), s = std::sin(Rotation.AngRotRad);
    const double xt = x2 * c + y2 * s;
    y2 = -x2 * s + y2 * c;
    x2 = xt;
  }
  f.P1 = {x1, y1};
  f.P2 = {x2, y2};
}

// Fields 5 and 6: the count and the height; after the height's sub-separator, the thickness of the
// returns, on the height's side.
void LitHauteurQA(const QString& param, FormeQA& f) {
  f.N = LitParam(param, 5).value_or(0.0);
  f.H = LitParam(param, 6).value_or(0.0);
  f.E = f.H;
  const QString champHauteur = ParamN(param, 6);
  const int pe = InStr(champHauteur, Lecture.SepSousParam);
  if (pe > 0) {
    QString epaisseur = Mid(champHauteur, pe + Lecture.SepSousParam.size());
    f.E = Calcule(epaisseur).value_or(0.0);
  }
  if (Signe(f.E * f.H) == -1) f.E = -f.E;
}

// Field 7: the slope of the sides (9° when empty), then the lean; a lean marked "T" turns the sides
// with it, and the height and thickness grow to keep their reach.
void LitPenteQA(const QString& param, FormeQA& f) {
  const QString champPente = ParamN(param, 7);
  f.S = Trim(champPente).isEmpty() ? 9 * DegresEnRadians
                                   : LitParam(champPente, 1).value_or(0.0) * DegresEnRadians;
  f.S = Signe(f.H) * f.S;
  const int ps = InStr(champPente, Lecture.SepSousParam);
  if (ps <= 0) return;
  const QString suite = Mid(champPente, ps + Lecture.SepSousParam.size());
  const double I0 = LitParam(suite, 1).value_or(0.0) * DegresEnRadians;
  f.I = I0;
  const int pt = InStr(suite, Lecture.SepSousParam);
  if (pt <= 0) return;
  const QString mode = UCase(LTrim(Mid(suite, pt + Lecture.SepSousParam.size())));
  if (!mode.startsWith(QLatin1Char('T'))) return;
  f.sT = mode.startsWith(QStringLiteral("T-")) ? -1 : 1;
  if (std::sin(I0) == 0) LeveErreurExecution(QStringLiteral("division by zero"));
  f.I = Pi / 2 - std::atan(1 / std::sin(I0));
  const double alpha = std::atan(std::tan(I0) * std::sin(f.I));
  f.H /= std::cos(alpha);
  f.E /= std::cos(alpha);
}

struct CouleursQA {
  int32_t principale = 0, retours = 0;
};

// Field 10: the colour of the dovetails, then after a sub-separator or "/" that of the returns.
CouleursQA LitCouleursQA(const QString& param) {
  const QString champCouleur = ParamN(param, 10);
  Encre.CouleurCmd = Trim(champCouleur).isEmpty() ? Encre.CouleurCourante
                                                  : static_cast<int32_t>(ValeurCouleur(champCouleur));
  CouleursQA c;
  c.principale = Encre.CouleurCmd;
  c.retours = c.principale;
  int pr = InStr(champCouleur, Lecture.SepSousParam);
  int longueurSep = Lecture.SepSousParam.size();
  if (pr == 0) {
    pr = InStr(champCouleur, QStringLiteral("/"));
    longueurSep = 1;
  }
  if (pr > 0) {
    const QString texteR = Mid(champCouleur, pr + longueurSep);
    if (!Trim(texteR).isEmpty()) c.retours = ValeurCouleur(texteR);
  }
  return c;
}

// The drawing along the line: its direction u and its normal nL, and the returns, the strokes of
// thickness E that stand below (side 1) or above (side 2) a point.
struct TraceurQA {
  const FormeQA& f;
  CouleursQA couleurs;
  double theta = 0, cosI = 1;
  Vec u, nL;

  TraceurQA(const FormeQA& forme, CouleursQA c) : f(forme), couleurs(c) {
    theta = std::atan2(f.P2.y - f.P1.y, f.P2.x - f.P1.x);
    u = {std::cos(theta), std::sin(theta)};
    nL = {-std::sin(theta), std::cos(theta)};
    cosI = std::cos(f.I);
  }

  Vec Retour1(Vec X) const {
    const Vec fin = f.sT != 0
                        ? X + (f.E / cosI) * Vec{std::sin(theta + f.sT * f.I), -std::cos(theta + f.sT * f.I)}
                        : X + f.E * Vec{std::sin(theta), -std::cos(theta)};
    Ligne(X, fin, couleurs.retours);
    return fin;
  }
  Vec FinRetour2(Vec X) const {
    return f.sT != 0 ? X + (f.E / cosI) * Vec{-std::sin(theta - f.sT * f.I), std::cos(theta - f.sT * f.I)}
                     : X + f.E * nL;
  }
  Vec Retour2(Vec X) const {
    const Vec fin = FinRetour2(X);
    Ligne(X, fin, couleurs.retours);
    return fin;
  }
};

// After the last dovetail: the returns of each side are joined from end to end, and side 2 is
// closed at both ends of the line.
void FermeCotesQA(const TraceurQA& t, bool cote1, bool cote2) {
  const FormeQA& f = t.f;
  if (cote1) {
    Garde(Retour1P2, t.Retour1(f.P2));
    Ligne(Lu(Retour1P1), Lu(Retour1P2), t.couleurs.retours);
  }
  if (cote2) {
    const Vec Q2 = f.P2 + f.H * t.nL - (f.H * std::tan(f.I)) * t.u;
    Garde(CoinQ2, Q2);
    Garde(RetourQ2, t.FinRetour2(Q2));
    Ligne(Lu(RetourQ1), Lu(RetourQ2), t.couleurs.retours);
    Ligne(Lu(CoinQ2), Lu(RetourQ2), t.couleurs.retours);
    Ligne(f.P1, Lu(CoinQ1), t.couleurs.principale);
    Ligne(f.P2, Lu(CoinQ2), t.couleurs.principale);
  }
}

// The dovetails one after the other along the line, each a rise, a top of width r of its pitch and
// a fall, with the returns of the sides asked for.
void TraceQueuesQA(const TraceurQA& t, double r, bool cote1, bool cote2) {
  const FormeQA& f = t.f;
  const double H = f.H, N = f.N;
  const Vec u = t.u, nL = t.nL;
  const int32_t principale = t.couleurs.principale;
  const double L = std::hypot(f.P2.x - f.P1.x, f.P2.y - f.P1.y);
  const double p = L / N;
  const int n = VersEntier16(Fix(std::fabs(N)));
  const double tIS = std::tan(f.I + f.S), tSI = std::tan(f.S - f.I), tI = std::tan(f.I);
  Vec P = f.P1;
  for (int i = 1; i <= n; ++i) {
    const double d = i == 1 ? (std::fabs(N) - n) / 2 : 0.0;
    if (i == 1) {
      if (cote1) Garde(Retour1P1, t.Retour1(f.P1));
      if (cote2) {
        const Vec Q1 = f.P1 + H * nL - (H * tI) * u;
        Garde(CoinQ1, Q1);
        Garde(RetourQ1, t.Retour2(Q1));
      }
    }
    Vec A = P + (((1 - r) * 0.5 + d) * p) * u + (H * 0.5 * tIS) * u;
    if (i == 1) A = A - (H * 0.5 * tI) * u;
    Ligne(P, A, principale);
    if (cote1) t.Retour1(A);

    P = A;
    const Vec T1 = P + H * nL - (H * tIS) * u;
    Ligne(P, T1, principale);
    if (cote2) t.Retour2(T1);

    P = T1;
    const Vec T2 = P + (r * p) * u + ((tSI + tIS) * (H * 0.5)) * u;
    Ligne(P, T2, principale);
    if (cote2) t.Retour2(T2);

    P = T2;
    const Vec B1 = P - (H * tSI) * u - H * nL;
    Ligne(P, B1, principale);
    if (cote1) t.Retour1(B1);

    P = B1;
    Vec E1 = P + ((1 - r) * p * 0.5) * u + (H * 0.5 * tSI) * u;
    if (i == n) {
      FermeCotesQA(t, cote1, cote2);
      E1 = f.P2;
    }
    Ligne(P, E1, principale);
    P = E1;
  }
}

}  // namespace

void TraceQA(int niveau) {
  // The vertices and the command's own line style last until the command ends, however it ends.
  Sommets.PtsPoly.assign(8, PointXY{});
  const auto sommets = qScopeGuard([] { Sommets.PtsPoly.clear(); });
  GardeEpaisT style;
  AjouteOrdre(OrdreDessin);
  const QString param = Lecture.ParamLigne;
  const QString motCle = Niveau(niveau).MotCle;
  const bool cote1 = InStr(motCle, QStringLiteral("1")) > 0;
  const bool cote2 = InStr(motCle, QStringLiteral("2")) > 0;

  FormeQA forme;
  LitLigneQA(param, forme);
  LitHauteurQA(param, forme);
  LitPenteQA(param, forme);

  const double r = Trim(ParamBrutN(param, 8)).isEmpty() ? 0.5 : LitParam(param, 8).value_or(0.0) / 100;
  if (r < 0 || r > 1) ErreurChampN(param, 8, TexteMsg(TexteRaison::Limites).arg(0).arg(100));

  style.Applique(ParamN(param, 9));

  const CouleursQA couleurs = LitCouleursQA(param);

  if (forme.N < 1) ErreurRun();

  // A zero-length line has no direction. A vertical one has: its angle is taken whole.
  const Vec P1 = forme.P1, P2 = forme.P2;
  if (P1.x == P2.x && P1.y == P2.y) LeveErreurExecution(QStringLiteral("division by zero"));
  const TraceurQA trace(forme, couleurs);
  Garde(CoinP2, P2);
  Garde(CoinP1, P1);
  TraceQueuesQA(trace, r, cote1, cote2);

  style.Fin();
  Repere.XCourant = static_cast<float>(P2.x + Repere.CTx + Repere.OrigineX);
  Repere.YCourant = static_cast<float>(P2.y + Repere.CTy + Repere.OrigineY);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
  RotationCourant(Rotation.AngRotDeg);
}
