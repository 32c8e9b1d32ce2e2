#include <QScopeGuard>
#include <QString>
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
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr double Pi = 3.14159265358979;
constexpr double DegresEnRadians = 0.017453293;

}  // namespace

void TracePolyR(int niveau, const QString& param) {
  const bool plein = UCase(Trim(Niveau(niveau).MotCle)) == QStringLiteral("POLYRP");
  AjouteOrdre(OrdreDessin);
  GardeEpaisT style;
  const auto remise = qScopeGuard([] {
    Sortie->FillStyle = 1;
    Sommets.PtsPoly.clear();
    Sommets.PtsPolygone.clear();
  });
  const int longSep = static_cast<int>(Lecture.SepSousParam.size());

  double x = 0, y = 0;
  LitPoint(x, y, param, 1, Repere.XRot, Repere.YRot);
  const QString champY = ParamN(param, 2);
  if (Trim(ParamN(param, 1)).isEmpty()) x = Repere.XRot;
  if (Trim(champY).isEmpty() || LTrim(champY).startsWith(Lecture.SepSousParam)) y = Repere.YRot;
  if (const int p = InStr(champY, Lecture.SepSousParam); p > 0)
    Rotation.AngRotDeg = VersSingle(-LitParam(Mid(champY, p + longSep), 1).value_or(0.0));
  else
    Rotation.AngRotDeg = Rotation.AngRotDefaut;
  Rotation.AngRotRad = static_cast<float>(Rotation.AngRotDeg * DegresEnRadians);

  int n = VersEntier16(LitParam(param, 3).value_or(0.0));
  if (std::abs(n) < 3) n = 6;
  float r = VersSingle(LitParam(param, 4).value_or(0.0));
  if (r == 0) r = 20;
  const double depart = -LitParam(param, 5).value_or(0.0) * DegresEnRadians;

  const QString champCouleur = ParamN(param, 6);
  const CouleurLue lue = ValeurCouleur(champCouleur);
  Encre.CouleurCmd = lue.EstVide() ? Encre.CouleurCourante : static_cast<int32_t>(lue);
  // The fill: the outline colour unless a sub-field names another; "N" there leaves it unfilled.
  int32_t fond = Encre.CouleurCmd;
  if (const int p = InStr(champCouleur, Lecture.SepSousParam); p > 0) {
    const CouleurLue lueFond = ValeurCouleur(Mid(champCouleur, p + longSep));
    if (!lueFond.EstVide()) fond = lueFond;
  }
  style.Applique(ParamN(param, 7));

  const double cote = r > 0 ? 2 * r * std::sin(Pi / std::abs(n)) : -r;
  double cote1 = cote;
  const QString champRayon = ParamN(param, 4);
  if (const int p = InStr(champRayon, Lecture.SepSousParam); p > 0) {
    QString texte = Mid(champRayon, p + longSep);
    if (!Trim(texte).isEmpty()) cote1 = VersSingle(Calcule(texte).value_or(0.0));
  }
  if (n % 2 != 0) cote1 = cote;

  Sommets.CentrePolyX = static_cast<float>(x);
  Sommets.CentrePolyY = static_cast<float>(y);
  double vx = x, vy = y;
  if (n < 0) {
    n = -n;
  } else {
    vx -= cote / 2 + (cote1 - cote) / 2;
    vy -= (cote / 2) / std::tan(Pi / n);
  }

  Sommets.PtsPoly.assign(static_cast<size_t>(n) + 1, PointXY());
  Sommets.PtsPolygone.assign(static_cast<size_t>(n) + 1, QPoint());
  PointPolyR(1, vx, vy, Sommets.CentrePolyX, Sommets.CentrePolyY, depart, Rotation.AngRotDeg);
  const int m = static_cast<int>(ArrondiPair(n / 2.0));
  double a = 0;
  for (int k = 2; k <= n; ++k) {
    const double longueur = (k - 2) % m == 0 ? cote1 : cote;
    vx += longueur * std::cos(a);
    vy += longueur * std::sin(a);
    a += 6.283185 / n;
    PointPolyR(k, vx, vy, Sommets.CentrePolyX, Sommets.CentrePolyY, depart, Rotation.AngRotDeg);
  }

  if (plein && fond != -1) {
    Sortie->ForeColor = static_cast<uint32_t>(fond);
    Sortie->FillColor = static_cast<uint32_t>(fond);
    Sortie->FillStyle = 0;
    TracePolygoneDevice(1, n);
    Sortie->FillStyle = 1;
  }
  if (Encre.CouleurCmd != -1) {
    const float ox = static_cast<float>(Repere.OrigineX + Repere.CTx),
                oy = static_cast<float>(Repere.OrigineY + Repere.CTy);
    for (int k = 1; k <= n; ++k) {
      const PointXY& p = Sommets.PtsPoly[static_cast<size_t>(k)];
      const PointXY& q = Sommets.PtsPoly[static_cast<size_t>(k == n ? 1 : k + 1)];
      TraceSegment(p.x + ox, p.y + oy, q.x + ox, q.y + oy, 0, Encre.CouleurCmd);
    }
  }

  Repere.XRot = Sommets.CentrePolyX;
  Repere.YRot = Sommets.CentrePolyY;
  if (Rotation.AngRotDeg != 0) {
    const double c = std::cos(Rotation.AngRotRad), s = std::sin(Rotation.AngRotRad);
    const double cx = Sommets.CentrePolyX, cy = Sommets.CentrePolyY;
    Sommets.CentrePolyX = static_cast<float>(cx * c + cy * s);
    Sommets.CentrePolyY = static_cast<float>(-cx * s + cy * c);
  }
  Repere.XCourant = static_cast<float>(Sommets.CentrePolyX + Repere.OrigineX + Repere.CTx);
  Repere.YCourant = static_cast<float>(Sommets.CentrePolyY + Repere.OrigineY + Repere.CTy);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
}
