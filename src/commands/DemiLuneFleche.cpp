#include <QScopeGuard>
#include <QString>
#include <algorithm>
#include <cmath>

#include "commands/Commands.h"
#include "drawing/Device.h"
#include "drawing/DrawState.h"
#include "drawing/Pen.h"
#include "drawing/Points.h"
#include "drawing/Rotation.h"
#include "drawing/Segments.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "values/Colours.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;

// The point of fields 1 and 2 turned about 0,0 by the command's angle, as an absolute point.
void LitPointTourne(double& x, double& y) {
  LitPointVar(x, y, Lecture.ParamLigne, 1, Repere.XRot, Repere.YRot);
  RotationXY(ParamN(Lecture.ParamLigne, 2), x, y);
  x += Repere.OrigineX + Repere.CTx;
  y += Repere.OrigineY + Repere.CTy;
}

void LitCouleur(int n) {
  const CouleurLue lue = ValeurCouleur(ParamN(Lecture.ParamLigne, n));
  Encre.CouleurCmd = lue.EstVide() ? Encre.CouleurCourante : static_cast<int32_t>(lue);
}

// The current point moves to the shape's reference point.
void Termine(double x, double y) {
  Repere.XCourant = static_cast<float>(x);
  Repere.YCourant = static_cast<float>(y);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
  RotationCourant(Rotation.AngRotDeg);
}

void RemplitDevice(int premier, int n) {
  Sortie->ForeColor = static_cast<uint32_t>(Encre.CouleurCmd);
  Sortie->FillColor = static_cast<uint32_t>(Encre.CouleurCmd);
  Sortie->FillStyle = 0;
  TracePolygoneDevice(premier, n);
  Sortie->FillStyle = 1;
}

// A device pixel back in absolute drawing units, through the inverse of the surface's mapping.
float DessinX(const QPoint& p) {
  return static_cast<float>(Sortie->ScaleLeft + p.x() * Sortie->ScaleWidth / Sortie->LargeurPixels());
}
float DessinY(const QPoint& p) {
  return static_cast<float>(Sortie->ScaleTop + p.y() * Sortie->ScaleHeight / Sortie->HauteurPixels());
}

}  // namespace

void TraceDemiLune(int niveau) {
  const bool plein = UCase(Trim(Niveau(niveau).MotCle)) == QStringLiteral("DEMILUNEP");
  AjouteOrdre(OrdreDessin);
  GardeEpaisT style;
  const auto remise = qScopeGuard([] {
    Sortie->FillStyle = 1;
    Sommets.PtsPolygone.clear();
  });
  double cx = 0, cy = 0;
  LitPointTourne(cx, cy);
  const float rM = VersSingle(LitParam(Lecture.ParamLigne, 3).value_or(0.0));
  const float w = VersSingle(LitParam(Lecture.ParamLigne, 6).value_or(0.0));
  const float h = w / 2;
  const float debut =
      VersSingle((LitParam(Lecture.ParamLigne, 4).value_or(0.0) - Rotation.AngRotDeg) * DegresEnRadians);
  const float fin =
      VersSingle((LitParam(Lecture.ParamLigne, 5).value_or(0.0) - Rotation.AngRotDeg) * DegresEnRadians);
  LitCouleur(7);
  style.Applique(ParamN(Lecture.ParamLigne, 8));

  const int n = std::clamp<int>(VersEntier16(std::fabs(rM * (fin - debut))), 25, 500);
  Sommets.PtsPolygone.assign(2 * static_cast<size_t>(n) + 2, QPoint());
  for (int i = 0; i <= n; ++i) {
    const double t = fin - (fin - debut) * i / n;
    const double r = rM - h * (n - i) / static_cast<double>(n);
    Sommets.PtsPolygone[static_cast<size_t>(i)] = PointDevice(cx + r * std::cos(t), cy + r * std::sin(t));
  }
  for (int i = 0; i <= n; ++i) {
    const double t = fin - (fin - debut) * (n - i) / n;
    const double r = rM + h * i / static_cast<double>(n);
    Sommets.PtsPolygone[static_cast<size_t>(n + 1 + i)] =
        PointDevice(cx + r * std::cos(t), cy + r * std::sin(t));
  }

  if (Encre.CouleurCmd != -1) {
    if (plein) {
      RemplitDevice(0, 2 * n + 2);
    } else {
      auto segment = [](int a, int b) {
        const QPoint& p = Sommets.PtsPolygone[static_cast<size_t>(a)];
        const QPoint& q = Sommets.PtsPolygone[static_cast<size_t>(b)];
        TraceSegment(DessinX(p), DessinY(p), DessinX(q), DessinY(q), 0, Encre.CouleurCmd);
      };
      for (int k = 1; k <= 2 * n + 1; ++k) segment(k - 1, k);
      if (w >= 0) segment(2 * n + 1, 0);
    }
  }
  Termine(cx, cy);
}

void TraceFleche(int niveau) {
  const bool plein = UCase(Trim(Niveau(niveau).MotCle)) != QStringLiteral("FLECHE");
  AjouteOrdre(OrdreDessin);
  GardeEpaisT style;
  const auto remise = qScopeGuard([] {
    Sortie->FillStyle = 1;
    Sommets.PtsPolygone.clear();
  });
  double x = 0, y = 0;
  LitPointTourne(x, y);
  const double direction = LitParam(Lecture.ParamLigne, 3).value_or(0.0) - Rotation.AngRotDeg;
  const double longueur = LitParam(Lecture.ParamLigne, 4).value_or(1.0);
  style.Applique(ParamN(Lecture.ParamLigne, 5));
  const double demi = LitParam(Lecture.ParamLigne, 6).value_or(60.0) / 2;
  LitCouleur(7);

  const double a1 = (direction + demi) * DegresEnRadians;
  const double a2 = (direction - demi) * DegresEnRadians;
  const float cx = static_cast<float>(x - longueur * std::cos(a1));
  const float cy = static_cast<float>(y - longueur * std::sin(a1));
  const float ax = static_cast<float>(x - longueur * std::cos(a2));
  const float ay = static_cast<float>(y - longueur * std::sin(a2));

  if (longueur != 0 && Encre.CouleurCmd != -1) {
    if (plein) {
      Sommets.PtsPolygone = {PointDevice(x, y), PointDevice(cx, cy), PointDevice(ax, ay)};
      RemplitDevice(0, 3);
    } else {
      Plume.ResteTiret = 0;
      TraceSegment(static_cast<float>(x), static_cast<float>(y), cx, cy, 0, Encre.CouleurCmd);
      TraceSegment(static_cast<float>(x), static_cast<float>(y), ax, ay, 0, Encre.CouleurCmd);
    }
  }
  Termine(x, y);
}
