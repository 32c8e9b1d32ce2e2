#include "drawing/Device.h"

#include <QVector>
#include <cfloat>
#include <cmath>

#include "drawing/DrawState.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"

using namespace legacy;

namespace {

void VerifiePlage(size_t taille, int premier, int n) {
  if (premier < 0 || n < 0 || static_cast<size_t>(premier) + static_cast<size_t>(n) > taille) {
    LeveErreurExecution(QStringLiteral("subscript out of range"));
  }
}

}  // namespace

void VerifieDevice(std::initializer_list<double> valeurs) {
  for (const double v : valeurs) {
    if (!(std::fabs(v) <= FLT_MAX)) LeveErreurExecution(QStringLiteral("overflow"));
  }
}

QPoint PointDevice(double x, double y) {
  return {VersEntier32(Sortie->DeviceX(x)), VersEntier32(Sortie->DeviceY(y))};
}

QPoint PointDeviceRelatif(double x, double y) {
  return PointDevice(x + Repere.CTx + Repere.OrigineX, y + Repere.CTy + Repere.OrigineY);
}

void TracePolygoneDevice(int premier, int n) {
  VerifiePlage(Sommets.PtsPolygone.size(), premier, n);
  QVector<QPointF> points;
  points.reserve(n);
  for (int k = premier; k < premier + n; ++k)
    points.append(QPointF(Sommets.PtsPolygone[static_cast<size_t>(k)]));
  Sortie->Polygone(points);
}

void RemplitPolygone(int premier, int n, int32_t couleur) {
  VerifiePlage(Sommets.PtsPoly.size(), premier, n);
  if (Sommets.PtsPolygone.size() < Sommets.PtsPoly.size()) Sommets.PtsPolygone.resize(Sommets.PtsPoly.size());
  for (int k = premier; k < premier + n; ++k) {
    const PointXY& p = Sommets.PtsPoly[static_cast<size_t>(k)];
    Sommets.PtsPolygone[static_cast<size_t>(k)] = PointDeviceRelatif(p.x, p.y);
  }
  Sortie->ForeColor = static_cast<uint32_t>(couleur);
  Sortie->FillColor = static_cast<uint32_t>(couleur);
  Sortie->FillStyle = 0;
  TracePolygoneDevice(premier, n);
  Sortie->FillStyle = 1;
}
