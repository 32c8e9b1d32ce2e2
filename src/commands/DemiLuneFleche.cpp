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

// The command's own pen and the device points last until the command ends, however it ends.
class GardeForme {
 public:
  ~GardeForme() {
    Sortie->FillStyle = 1;
    PtsPolygone.clear();
    if (style) RestaureEpaisT();
  }
  void Style(const QString& texte) {
    EpaisTLocale(texte);
    style = true;
  }

 private:
  bool style = false;
};

// The point of fields 1 and 2 turned about 0,0 by the command's angle, as an absolute point.
void LitPointTourne(double& x, double& y) {
  LitPointVar(x, y, ParamLigne, 1, XRot, YRot);
  RotationXY(ParamN(ParamLigne, 2), x, y);
  x += OrigineX + CTx;
  y += OrigineY + CTy;
}

void LitCouleur(int n) {
  const CouleurLue lue = ValeurCouleur(ParamN(ParamLigne, n));
  CouleurCmd = lue.EstVide() ? CouleurCourante : static_cast<int32_t>(lue);
}

// The current point moves to the shape's reference point.
void Termine(double x, double y) {
  XCourant = static_cast<float>(x);
  YCourant = static_cast<float>(y);
  Sortie->CurrentX = XCourant;
  Sortie->CurrentY = YCourant;
  RotationCourant(AngRotDeg);
}

void RemplitDevice(int premier, int n) {
  Sortie->ForeColor = static_cast<uint32_t>(CouleurCmd);
  Sortie->FillColor = static_cast<uint32_t>(CouleurCmd);
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
  EtatOrdre = static_cast<int16_t>(EtatOrdre | 0x40);
  GardeForme garde;
  double cx = 0, cy = 0;
  LitPointTourne(cx, cy);
  const float rM = VersSingle(LitParam(ParamLigne, 3).value_or(0.0));
  const float w = VersSingle(LitParam(ParamLigne, 6).value_or(0.0));
  const float h = w / 2;
  const float debut = VersSingle((LitParam(ParamLigne, 4).value_or(0.0) - AngRotDeg) * DegresEnRadians);
  const float fin = VersSingle((LitParam(ParamLigne, 5).value_or(0.0) - AngRotDeg) * DegresEnRadians);
  LitCouleur(7);
  garde.Style(ParamN(ParamLigne, 8));

  const int n = std::clamp<int>(VersEntier16(std::fabs(rM * (fin - debut))), 25, 500);
  PtsPolygone.assign(2 * static_cast<size_t>(n) + 2, QPoint());
  for (int i = 0; i <= n; ++i) {
    const double t = fin - (fin - debut) * i / n;
    const double r = rM - h * (n - i) / static_cast<double>(n);
    PtsPolygone[static_cast<size_t>(i)] = PointDevice(cx + r * std::cos(t), cy + r * std::sin(t));
  }
  for (int i = 0; i <= n; ++i) {
    const double t = fin - (fin - debut) * (n - i) / n;
    const double r = rM + h * i / static_cast<double>(n);
    PtsPolygone[static_cast<size_t>(n + 1 + i)] = PointDevice(cx + r * std::cos(t), cy + r * std::sin(t));
  }

  if (CouleurCmd != -1) {
    if (plein) {
      RemplitDevice(0, 2 * n + 2);
    } else {
      auto segment = [](int a, int b) {
        const QPoint& p = PtsPolygone[static_cast<size_t>(a)];
        const QPoint& q = PtsPolygone[static_cast<size_t>(b)];
        TraceSegment(DessinX(p), DessinY(p), DessinX(q), DessinY(q), 0, CouleurCmd);
      };
      for (int k = 1; k <= 2 * n + 1; ++k) segment(k - 1, k);
      if (w >= 0) segment(2 * n + 1, 0);
    }
  }
  Termine(cx, cy);
}

void TraceFleche(int niveau) {
  const bool plein = UCase(Trim(Niveau(niveau).MotCle)) != QStringLiteral("FLECHE");
  EtatOrdre = static_cast<int16_t>(EtatOrdre | 0x40);
  GardeForme garde;
  double x = 0, y = 0;
  LitPointTourne(x, y);
  const double direction = LitParam(ParamLigne, 3).value_or(0.0) - AngRotDeg;
  const double longueur = LitParam(ParamLigne, 4).value_or(1.0);
  garde.Style(ParamN(ParamLigne, 5));
  const double demi = LitParam(ParamLigne, 6).value_or(60.0) / 2;
  LitCouleur(7);

  const double a1 = (direction + demi) * DegresEnRadians;
  const double a2 = (direction - demi) * DegresEnRadians;
  const float cx = static_cast<float>(x - longueur * std::cos(a1));
  const float cy = static_cast<float>(y - longueur * std::sin(a1));
  const float ax = static_cast<float>(x - longueur * std::cos(a2));
  const float ay = static_cast<float>(y - longueur * std::sin(a2));

  if (longueur != 0 && CouleurCmd != -1) {
    if (plein) {
      PtsPolygone = {PointDevice(x, y), PointDevice(cx, cy), PointDevice(ax, ay)};
      RemplitDevice(0, 3);
    } else {
      ResteTiret = 0;
      TraceSegment(static_cast<float>(x), static_cast<float>(y), cx, cy, 0, CouleurCmd);
      TraceSegment(static_cast<float>(x), static_cast<float>(y), ax, ay, 0, CouleurCmd);
    }
  }
  Termine(x, y);
}
