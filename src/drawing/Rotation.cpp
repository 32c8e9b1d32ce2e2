#include "drawing/Rotation.h"

#include <cmath>

#include "drawing/Device.h"
#include "drawing/DrawState.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;

PointXY& Sommet(int k) {
  if (k < 0 || static_cast<size_t>(k) >= Sommets.PtsPoly.size()) {
    LeveErreurExecution(QStringLiteral("subscript out of range"));
  }
  return Sommets.PtsPoly[static_cast<size_t>(k)];
}

}  // namespace

void RotationXY(const QString& texte, double& x, double& y) {
  const int p = InStr(texte, Lecture.SepSousParam);
  if (p > 0) {
    const double angle = LitParam(Mid(texte, p + Lecture.SepSousParam.size()), 1).value_or(0.0);
    Rotation.AngRotDeg = VersSingle(-angle);
    Rotation.AngRotDonne = true;
  } else {
    Rotation.AngRotDeg = Rotation.AngRotDefaut;
    Rotation.AngRotDonne = false;
  }
  Rotation.AngRotRad = static_cast<float>(Rotation.AngRotDeg * DegresEnRadians);
  if (Rotation.AngRotDeg == 0) return;
  const double c = std::cos(Rotation.AngRotRad), s = std::sin(Rotation.AngRotRad);
  const double xt = x * c + y * s;
  y = -x * s + y * c;
  x = xt;
}

void TournePoint(double x0, double y0, double& xSortie, double& ySortie, double cx, double cy, double angle) {
  if (angle == 0) {
    xSortie = x0;
    ySortie = y0;
    return;
  }
  const double c = std::cos(angle), s = std::sin(angle);
  const double xt = cx + (x0 - cx) * c + (y0 - cy) * s;
  ySortie = cy - (x0 - cx) * s + (y0 - cy) * c;
  xSortie = xt;
}

void PointPoly(int k, double x, double y, double cx, double cy, double angle, double avecAngleCmd) {
  PointXY& p = Sommet(k);
  double xt = x, yt = y;
  TournePoint(x, y, xt, yt, cx, cy, angle);
  p.x = static_cast<float>(xt);
  p.y = static_cast<float>(yt);
  if (avecAngleCmd == 0) return;
  const double c = std::cos(Rotation.AngRotRad), s = std::sin(Rotation.AngRotRad);
  const double px = p.x, py = p.y;
  p.x = static_cast<float>(px * c + py * s);
  p.y = static_cast<float>(-px * s + py * c);
}

void PointPolyR(int k, double x, double y, double cx, double cy, double angle, double avecAngleCmd) {
  PointPoly(k, x, y, cx, cy, angle, avecAngleCmd);
  if (Sommets.PtsPolygone.size() <= static_cast<size_t>(k))
    LeveErreurExecution(QStringLiteral("subscript out of range"));
  const PointXY& p = Sommets.PtsPoly[static_cast<size_t>(k)];
  Sommets.PtsPolygone[static_cast<size_t>(k)] = PointDeviceRelatif(p.x, p.y);
}

void RotationCourant(double angle) {
  const double xr = Repere.XCourant - Repere.OrigineX - Repere.CTx;
  const double yr = Repere.YCourant - Repere.OrigineY - Repere.CTy;
  if (angle == 0) {
    Repere.XRot = static_cast<float>(xr);
    Repere.YRot = static_cast<float>(yr);
    return;
  }
  const double a = angle * DegresEnRadians;
  Repere.XRot = static_cast<float>(xr * std::cos(a) - yr * std::sin(a));
  Repere.YRot = static_cast<float>(xr * std::sin(a) + yr * std::cos(a));
}
