#include "interpreter/Sectors.h"

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

double Champ(int n) { return LitParam(ParamLigne, n).value_or(0.0); }

// A value given directly as an angle or a position: "°" ends the field before its sub-fields.
bool Direct(int n) { return Trim(AvantSousSep(ParamN(ParamLigne, n))).endsWith(QStringLiteral("°")); }

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
  const double sinus = DecalPivot * std::sin(a + Pi / 2) / l;
  if (!(std::fabs(sinus) <= 1)) LeveErreurExecution(QStringLiteral("invalid procedure call"));
  return Pi - a - ArcSin(sinus);
}

void Ajoute(double x, double y) { PtsPoly.push_back({static_cast<float>(x), static_cast<float>(y)}); }

// The annular sector about the pivot: the inner edge from V1 to V2, the outer one back.
void ContourArc(double a1, double a2, double r1, double r2, double cx, double cy) {
  const double d = DecalPivot;
  double l = DistanceCosinus(d, r1, ArcAngleDebut);
  ArcRayonFin = l;
  ArcRadDebut = DirectionPivot(a1, l);
  ArcRadFin = DirectionPivot(a2, l);
  int16_t n = VersEntier16(std::fabs(r2 * (ArcRadFin - ArcRadDebut)) * 2);
  n = std::clamp(n, PasMin, PasMax);
  auto bord = [&](double depuis, double jusqua) {
    for (int i = 0; i <= n; ++i) {
      const double phi = depuis + (jusqua - depuis) * i / n;
      Ajoute(cx + std::cos(phi) * l, cy - d + std::sin(phi) * l);
    }
  };
  bord(ArcRadDebut, ArcRadFin);
  l = DistanceCosinus(d, r2, ArcAngleDebut);
  ArcRayonFin = l;
  ArcRadDebut = DirectionPivot(a2, l);
  ArcRadFin = DirectionPivot(a1, l);
  bord(ArcRadDebut, ArcRadFin);
}

// The current point goes to the first point of the outline, turned with the command's rotation.
void PlaceCourant(double cx, double cy) {
  const double x = PtsPoly.front().x - cx, y = PtsPoly.front().y - cy;
  double px = cx + x, py = cy + y;
  if (AngRotDeg != 0) {
    const double c = std::cos(AngRotRad), s = std::sin(AngRotRad);
    px = cx + c * x + s * y;
    py = cy - s * x + c * y;
  }
  XCourant = static_cast<float>(px);
  YCourant = static_cast<float>(py);
  Sortie->CurrentX = XCourant;
  Sortie->CurrentY = YCourant;
  RotationCourant(-AngleCmd);
}

void Dessine(bool plein, double cx, double cy) {
  const int nb = static_cast<int>(PtsPoly.size());
  if (!plein) {
    for (int k = 1; k < nb; ++k) {
      const PointXY& a = PtsPoly[static_cast<size_t>(k - 1)];
      const PointXY& b = PtsPoly[static_cast<size_t>(k)];
      TraceSegment(a.x, a.y, b.x, b.y, AngleCmd, CouleurCmd);
    }
    TraceSegment(PtsPoly.back().x, PtsPoly.back().y, PtsPoly.front().x, PtsPoly.front().y, AngleCmd,
                 CouleurCmd);
    return;
  }
  // The fill works on points relative to the current 0,0, turned as TraceSegment turns its ends.
  std::vector<PointXY> sauve = PtsPoly;
  const float a = static_cast<float>(AngleCmd * DegresEnRadians);
  const double c = std::cos(a), s = std::sin(a);
  for (PointXY& p : PtsPoly) {
    double x = p.x - cx, y = p.y - cy;
    if (AngleCmd != 0) {
      const double xt = x * c - y * s;
      y = x * s + y * c;
      x = xt;
    }
    p.x = static_cast<float>(x);
    p.y = static_cast<float>(y);
  }
  RemplitPolygone(0, nb, CouleurCmd);
  PtsPoly = std::move(sauve);
}

}  // namespace

void CmdSect(int niveau, bool plein) {
  const NiveauProg& nv = Niveau(niveau);
  const double v1 = Champ(1), v2 = Champ(2);
  const bool direct1 = Direct(1), direct2 = Direct(2);
  const double r1 = Champ(3);
  const double r2 = Trim(ParamN(ParamLigne, 4)).isEmpty() ? r1 : Champ(4);
  const QString champCouleur = Trim(ParamN(ParamLigne, 5));
  CouleurCmd =
      champCouleur.isEmpty() ? CouleurCourante : static_cast<int32_t>(ValeurCouleur(ParamN(ParamLigne, -5)));

  EpaisTLocale(ParamN(ParamLigne, 6));
  const double cx = OrigineX + CTx, cy = OrigineY + CTy;
  PtsPoly.clear();
  try {
    if (ArcAngleDebut - ArcAngleFin != 0) {
      const double a1 = Place(nv, v1, direct1, ArcAngleDebut, ArcAngleFin) * DegresEnRadians;
      const double a2 = Place(nv, v2, direct2, ArcAngleDebut, ArcAngleFin) * DegresEnRadians;
      if (DecalPivot < DecalDroit) {
        ContourArc(a1, a2, r1, r2, cx, cy);
      } else {
        // The straight line of a far pivot: each value where its ray crosses the line at height h.
        const double sinus = std::sin(ArcAngleDebut * DegresEnRadians);
        const double h1 = r1 * sinus, h2 = r2 * sinus;
        auto x = [&](double a, double h) { return cx + h * std::tan(a - Pi / 2); };
        Ajoute(x(a1, h1), cy + h1);
        Ajoute(x(a1, h2), cy + h2);
        Ajoute(x(a2, h2), cy + h2);
        Ajoute(x(a2, h1), cy + h1);
      }
    } else if (DroiteX1 - DroiteX2 != 0) {
      const double x1 = Place(nv, v1, direct1, DroiteX1, DroiteX2);
      const double x2 = Place(nv, v2, direct2, DroiteX1, DroiteX2);
      Ajoute(cx + x1, cy + r1);
      Ajoute(cx + x1, cy + r2);
      Ajoute(cx + x2, cy + r2);
      Ajoute(cx + x2, cy + r1);
    } else if (DroiteY1 - DroiteY2 != 0) {
      const double y1 = Place(nv, v1, direct1, DroiteY1, DroiteY2);
      const double y2 = Place(nv, v2, direct2, DroiteY1, DroiteY2);
      Ajoute(cx + r1, cy + y1);
      Ajoute(cx + r2, cy + y1);
      Ajoute(cx + r2, cy + y2);
      Ajoute(cx + r1, cy + y2);
    } else {
      // No scale extent: the same run error as the graduations and values.
      ErreurRun();
    }

    if (UCase(champCouleur) != QStringLiteral("N")) Dessine(plein, cx, cy);
  } catch (...) {
    PtsPoly.clear();
    RestaureEpaisT();
    throw;
  }

  RestaureEpaisT();
  PlaceCourant(cx, cy);
  PtsPoly.clear();
}
