#include "commands/Ellipse.h"

#include <QRectF>
#include <algorithm>
#include <cmath>
#include <limits>

#include "drawing/Device.h"
#include "drawing/DrawState.h"
#include "drawing/Segments.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"

using namespace legacy;

namespace {

constexpr double Tour = 6.283185;
// The most a chord of an arc of large radius may stray from it where it can show, in device pixels.
constexpr double EcartCordeMax = 0.25;
// From this radius in device pixels the steps of at most a thousandth of a turn may stray by pixels.
constexpr double RayonGrandPx = 2048;

// The chords of an arc of very large radius stray from it by pixels: where they come near the
// surface, they are halved until they no longer do. Only the halves near the surface are cut
// again, so the points added stay few however large the radius.
class AffinageArc {
 public:
  AffinageArc(double cx, double cy, double a, double b, double vtrav, double pas, bool elargi)
      : cx_(cx), cy_(cy), a_(a), b_(b), c_(std::cos(vtrav)), s_(std::sin(vtrav)) {
    const double r = std::max(std::fabs(a), std::fabs(b));
    const double rayonPx =
        std::max(std::fabs(Sortie->DeviceLongueurX(r)), std::fabs(Sortie->DeviceLongueurY(r)));
    // A step widened to keep many rings within a budget is theirs to choose.
    ecart_ = elargi || !(rayonPx > RayonGrandPx) ? 0 : rayonPx * pas * pas / 8;
    const double marge = Sortie->DrawWidth + 2.0;
    zone_ = Sortie->EtendueDessinable().adjusted(-marge, -marge, marge, marge);
  }
  bool Utile() const { return ecart_ > EcartCordeMax && std::isfinite(ecart_); }
  // The point at angle t, as PointEllipse gives it; its device pixel is kept for the next chord.
  PointXY Point(double t) {
    if (!(t == tSuivant_)) suivant_ = Calcule(t, deviceSuivant_);
    tSuivant_ = std::numeric_limits<double>::quiet_NaN();
    dernier_ = deviceSuivant_;
    return suivant_;
  }
  // The points strictly between the last point's angle t0 and t1 (one step on) that the chord needs.
  void Ajoute(double t0, double t1, std::vector<PointXY>& points) {
    tSuivant_ = t1;
    suivant_ = Calcule(t1, deviceSuivant_);
    Coupe(t0, dernier_, t1, deviceSuivant_, ecart_, points);
  }

 private:
  // The point at angle t relative to the current origin, and its device pixel reckoned whole.
  PointXY Calcule(double t, QPointF& device) const {
    const double x = a_ * std::cos(t), y = b_ * std::sin(t);
    const double px = cx_ + x * c_ + y * s_, py = cy_ - x * s_ + y * c_;
    device = {Sortie->DeviceX(Repere.OrigineX + Repere.CTx + px),
              Sortie->DeviceY(Repere.OrigineY + Repere.CTy + py)};
    return {static_cast<float>(px), static_cast<float>(py)};
  }
  void Coupe(double t0, const QPointF& p, double t1, const QPointF& q, double ecart,
             std::vector<PointXY>& points) const {
    if (ecart <= EcartCordeMax) return;
    const QRectF corde = QRectF(p, q).normalized().adjusted(-ecart, -ecart, ecart, ecart);
    if (!corde.intersects(zone_) && !zone_.contains(corde)) return;
    const double tm = (t0 + t1) / 2;
    QPointF m;
    const PointXY milieu = Calcule(tm, m);
    Coupe(t0, p, tm, m, ecart / 4, points);
    points.push_back(milieu);
    Coupe(tm, m, t1, q, ecart / 4, points);
  }

  double cx_, cy_, a_, b_, c_, s_;
  double ecart_ = 0;
  QRectF zone_;
  QPointF dernier_, deviceSuivant_;
  double tSuivant_ = std::numeric_limits<double>::quiet_NaN();
  PointXY suivant_;
};

}  // namespace

void DemiAxes(double rayon, double k, double& a, double& b) {
  const float r = static_cast<float>(std::fabs(rayon));
  if (k == 1) {
    a = b = r;
  } else if (k < 1) {
    a = r;
    b = static_cast<float>(k * r);
  } else {
    a = static_cast<float>(r / k);
    b = r;
  }
}

double PasEllipse(double rayon) {
  const double r = std::fabs(rayon);
  if (r == 0) LeveErreurExecution(QStringLiteral("division by zero"));
  const double fin = !SortieEstEcran() && r < 10 ? 0.1 : 1.0;
  const double pas = fin / (r * std::sqrt(Cadrage.FacteurEchelle));
  return std::isfinite(pas) && pas > PasAngulaireMin ? pas : PasAngulaireMin;
}

PointXY PointEllipse(double cx, double cy, double a, double b, double t, double vtrav) {
  const double x = a * std::cos(t), y = b * std::sin(t);
  const double c = std::cos(vtrav), s = std::sin(vtrav);
  return {static_cast<float>(cx + x * c + y * s), static_cast<float>(cy - x * s + y * c)};
}

std::vector<PointXY> PointsEllipse(double cx, double cy, double rayon, double debut, double fin, double k,
                                   double vtrav, double facteurPas) {
  double a = 0, b = 0;
  DemiAxes(rayon, k, a, b);
  const float pas = static_cast<float>(PasEllipse(rayon) * std::max(1.0, facteurPas));
  if (!std::isfinite(debut) || !std::isfinite(fin)) LeveErreurExecution(QStringLiteral("overflow"));
  // More than two turns covers nothing more: keep the same end point within two turns. A start
  // of many turns is brought within one, where a step still moves the angle on.
  const double etendueDonnee = fin - debut;
  if (etendueDonnee > 2 * Tour) fin = debut + Tour + std::fmod(etendueDonnee, Tour);
  if (std::fabs(debut) > 1000 * Tour) {
    debut = std::fmod(debut, Tour);
    fin = debut + (etendueDonnee > 2 * Tour ? Tour + std::fmod(etendueDonnee, Tour) : etendueDonnee);
  }
  // An end before the start draws the start point alone, however far before it lies.
  const double etendue = std::max(0.0, fin - debut);
  const size_t n = static_cast<size_t>(ArrondiPair(etendue / pas + 0.5 + 2));

  // Each angle is reckoned from the start by its index, never by a running sum.
  AffinageArc affinage(cx, cy, a, b, vtrav, pas, facteurPas > 1);
  const bool affine = affinage.Utile();
  std::vector<PointXY> points;
  points.reserve(n + 1);
  double t = debut;
  for (size_t k = 1;; ++k) {
    points.push_back(affine ? affinage.Point(t) : PointEllipse(cx, cy, a, b, t, vtrav));
    const double suivant = debut + static_cast<double>(k) * pas;
    if (!(suivant <= fin) || k >= n) break;
    if (affine) affinage.Ajoute(t, suivant, points);
    t = suivant;
  }
  if (t < fin) {
    if (affine) affinage.Ajoute(t, fin, points);
    points.push_back(affine ? affinage.Point(fin) : PointEllipse(cx, cy, a, b, fin, vtrav));
  }
  return points;
}

void TraceEllipse(double cx, double cy, double rayon, int32_t couleur, double debut, double& fin, double k,
                  const QString& options, double vtrav, double facteurPas) {
  if (debut == fin) fin = fin + 12.56637;
  const std::vector<PointXY> points = PointsEllipse(cx, cy, rayon, debut, fin, k, vtrav, facteurPas);
  if (InStr(options, QStringLiteral("P")) > 0)
    RemplitPoints(points, couleur);
  else
    TraceChemin(points, couleur, false);
}

void TraceChemin(const std::vector<PointXY>& points, int32_t couleur, bool inverse) {
  const float ox = static_cast<float>(Repere.OrigineX + Repere.CTx),
              oy = static_cast<float>(Repere.OrigineY + Repere.CTy);
  const size_t n = points.size();
  for (size_t i = 1; i < n; ++i) {
    const PointXY& p = inverse ? points[n - i] : points[i - 1];
    const PointXY& q = inverse ? points[n - i - 1] : points[i];
    TraceSegment(p.x + ox, p.y + oy, q.x + ox, q.y + oy, 0, couleur);
  }
}

void RemplitPoints(const std::vector<PointXY>& points, int32_t couleur) {
  if (points.empty() || couleur == -1) return;
  Sommets.PtsPoly = points;
  Sommets.PtsPolygone.assign(points.size(), QPoint());
  RemplitPolygone(0, static_cast<int>(points.size()), couleur);
  Sommets.PtsPolygone.clear();
}
