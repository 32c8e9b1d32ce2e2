#include "interpreter/Sectors.h"

#include <QScopeGuard>
#include <algorithm>
#include <cmath>

#include "drawing/Cross.h"
#include "drawing/Device.h"
#include "drawing/DrawState.h"
#include "drawing/Pen.h"
#include "drawing/Rotation.h"
#include "drawing/Segments.h"
#include "interpreter/ScaleNumbers.h"
#include "interpreter/ScaleState.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "values/Colours.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Insertions.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;
constexpr double Pi = 3.14159265358979;
constexpr double DecalDroit = 10000;
constexpr int16_t PasMin = 25, PasMax = 500;

double Champ(int n) { return LitParam(Lecture.ParamLigne, n).value_or(0.0); }

// A value given directly as an angle or a position: "°" ends the field before its sub-fields.
bool Direct(int n) { return Trim(AvantSousSep(ParamN(Lecture.ParamLigne, n))).endsWith(QStringLiteral("°")); }

// The fraction of the scale (V / 100)^Exposant; a power the runtime cannot take is a run error.
double FractionPuissance(double v, double exposant) {
  const double base = v / 100;
  if (base < 0 && exposant != std::floor(exposant))
    LeveErreurExecution(QStringLiteral("invalid procedure call"));
  if (base == 0 && exposant < 0) LeveErreurExecution(QStringLiteral("division by zero"));
  const double f = std::pow(base, exposant);
  if (!std::isfinite(f)) LeveErreurExecution(QStringLiteral("overflow"));
  return f;
}

// Where a value lies between the two ends of the scale, by the level's law.
double Place(const NiveauProg& nv, double v, bool direct, double debut, double fin) {
  if (direct) return v;
  const double f = nv.EchelleLog ? FractionLog(v) : FractionPuissance(v, nv.Exposant);
  return debut + (fin - debut) * f;
}

// The drawing direction, seen from the pivot on the circle of radius l about it, of scale angle a
// (radians).
double DirectionPivot(double a, double l) {
  if (l == 0) return Pi - a;
  const double sinus = Echelle.DecalPivot * std::sin(a + Pi / 2) / l;
  if (!(std::fabs(sinus) <= 1)) LeveErreurExecution(QStringLiteral("invalid procedure call"));
  return Pi - a - ArcSin(sinus);
}

void Ajoute(double x, double y) { Sommets.PtsPoly.push_back({static_cast<float>(x), static_cast<float>(y)}); }

// The annular sector about the pivot: the inner edge from V1 to V2, the outer one back.
void ContourArc(double a1, double a2, double r1, double r2, double cx, double cy) {
  const double d = Echelle.DecalPivot;
  double l = DistanceCosinus(d, r1, Echelle.ArcAngleDebut);
  Echelle.ArcRayonFin = l;
  Echelle.ArcRadDebut = DirectionPivot(a1, l);
  Echelle.ArcRadFin = DirectionPivot(a2, l);
  int16_t n = VersEntier16(std::fabs(r2 * (Echelle.ArcRadFin - Echelle.ArcRadDebut)) * 2);
  n = std::clamp(n, PasMin, PasMax);
  auto bord = [&](double depuis, double jusqua) {
    for (int i = 0; i <= n; ++i) {
      const double phi = depuis + (jusqua - depuis) * i / n;
      Ajoute(cx + std::cos(phi) * l, cy - d + std::sin(phi) * l);
    }
  };
  bord(Echelle.ArcRadDebut, Echelle.ArcRadFin);
  l = DistanceCosinus(d, r2, Echelle.ArcAngleDebut);
  Echelle.ArcRayonFin = l;
  Echelle.ArcRadDebut = DirectionPivot(a2, l);
  Echelle.ArcRadFin = DirectionPivot(a1, l);
  bord(Echelle.ArcRadDebut, Echelle.ArcRadFin);
}

// The current point goes to the first point of the outline, turned with the command's rotation.
void PlaceCourant(double cx, double cy) {
  const double x = Sommets.PtsPoly.front().x - cx, y = Sommets.PtsPoly.front().y - cy;
  double px = cx + x, py = cy + y;
  if (Rotation.AngRotDeg != 0) {
    const double c = std::cos(Rotation.AngRotRad), s = std::sin(Rotation.AngRotRad);
    px = cx + c * x + s * y;
    py = cy - s * x + c * y;
  }
  Repere.XCourant = static_cast<float>(px);
  Repere.YCourant = static_cast<float>(py);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
  RotationCourant(-Echelle.AngleCmd);
}

void Dessine(bool plein, double cx, double cy) {
  const int nb = static_cast<int>(Sommets.PtsPoly.size());
  if (!plein) {
    for (int k = 1; k < nb; ++k) {
      const PointXY& a = Sommets.PtsPoly[static_cast<size_t>(k - 1)];
      const PointXY& b = Sommets.PtsPoly[static_cast<size_t>(k)];
      TraceSegment(a.x, a.y, b.x, b.y, Echelle.AngleCmd, Encre.CouleurCmd);
    }
    TraceSegment(Sommets.PtsPoly.back().x, Sommets.PtsPoly.back().y, Sommets.PtsPoly.front().x,
                 Sommets.PtsPoly.front().y, Echelle.AngleCmd, Encre.CouleurCmd);
    return;
  }
  // The fill works on points relative to the current 0,0, turned as TraceSegment turns its ends.
  std::vector<PointXY> sauve = Sommets.PtsPoly;
  const float a = static_cast<float>(Echelle.AngleCmd * DegresEnRadians);
  const double c = std::cos(a), s = std::sin(a);
  for (PointXY& p : Sommets.PtsPoly) {
    double x = p.x - cx, y = p.y - cy;
    if (Echelle.AngleCmd != 0) {
      const double xt = x * c - y * s;
      y = x * s + y * c;
      x = xt;
    }
    p.x = static_cast<float>(x);
    p.y = static_cast<float>(y);
  }
  RemplitPolygone(0, nb, Encre.CouleurCmd);
  Sommets.PtsPoly = std::move(sauve);
}

}  // namespace

void CmdSect(int niveau, bool plein) {
  const NiveauProg& nv = Niveau(niveau);
  const double v1 = Champ(1), v2 = Champ(2);
  const bool direct1 = Direct(1), direct2 = Direct(2);
  const double r1 = Champ(3);
  const double r2 = Trim(ParamN(Lecture.ParamLigne, 4)).isEmpty() ? r1 : Champ(4);
  const QString champCouleur = Trim(ParamN(Lecture.ParamLigne, 5));
  Encre.CouleurCmd = champCouleur.isEmpty()
                         ? Encre.CouleurCourante
                         : static_cast<int32_t>(ValeurCouleur(ParamN(Lecture.ParamLigne, -5)));

  // The command's own line style and its vertices go however it ends.
  const GardeEpaisT style(ParamN(Lecture.ParamLigne, 6));
  const double cx = Repere.OrigineX + Repere.CTx, cy = Repere.OrigineY + Repere.CTy;
  Sommets.PtsPoly.clear();
  const auto sommets = qScopeGuard([] { Sommets.PtsPoly.clear(); });
  if (Echelle.ArcAngleDebut - Echelle.ArcAngleFin != 0) {
    const double a1 = Place(nv, v1, direct1, Echelle.ArcAngleDebut, Echelle.ArcAngleFin) * DegresEnRadians;
    const double a2 = Place(nv, v2, direct2, Echelle.ArcAngleDebut, Echelle.ArcAngleFin) * DegresEnRadians;
    if (Echelle.DecalPivot < DecalDroit) {
      ContourArc(a1, a2, r1, r2, cx, cy);
    } else {
      // The straight line of a far pivot: each value where its ray crosses the line at height h.
      const double sinus = std::sin(Echelle.ArcAngleDebut * DegresEnRadians);
      const double h1 = r1 * sinus, h2 = r2 * sinus;
      auto x = [&](double a, double h) { return cx + h * std::tan(a - Pi / 2); };
      Ajoute(x(a1, h1), cy + h1);
      Ajoute(x(a1, h2), cy + h2);
      Ajoute(x(a2, h2), cy + h2);
      Ajoute(x(a2, h1), cy + h1);
    }
  } else if (Echelle.DroiteX1 - Echelle.DroiteX2 != 0) {
    const double x1 = Place(nv, v1, direct1, Echelle.DroiteX1, Echelle.DroiteX2);
    const double x2 = Place(nv, v2, direct2, Echelle.DroiteX1, Echelle.DroiteX2);
    Ajoute(cx + x1, cy + r1);
    Ajoute(cx + x1, cy + r2);
    Ajoute(cx + x2, cy + r2);
    Ajoute(cx + x2, cy + r1);
  } else if (Echelle.DroiteY1 - Echelle.DroiteY2 != 0) {
    const double y1 = Place(nv, v1, direct1, Echelle.DroiteY1, Echelle.DroiteY2);
    const double y2 = Place(nv, v2, direct2, Echelle.DroiteY1, Echelle.DroiteY2);
    Ajoute(cx + r1, cy + y1);
    Ajoute(cx + r2, cy + y1);
    Ajoute(cx + r2, cy + y2);
    Ajoute(cx + r1, cy + y2);
  } else {
    ErreurInstruction(TexteMsg(TexteRaison::NonExecutable));
  }

  if (UCase(champCouleur) != QStringLiteral("N")) Dessine(plein, cx, cy);

  PlaceCourant(cx, cy);
}
