#include "drawing/Arcs.h"

#include <QRectF>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "drawing/DrawState.h"
#include "drawing/Segments.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"

namespace {

constexpr float Tour = 6.283185f;

struct ArcCourant {
  double x, y, r, aspect;
  int32_t couleur;
  double sens;

  // One dash from angle a1 to ae. A piece too short for the surface's angles is left out: the
  // surface would take equal ends for the whole figure.
  void Dessine(double a1, double ae) const {
    if (couleur == -1) return;
    const double etendue = std::fabs(ae - a1);
    if (etendue <= 0) return;
    const uint32_t c = static_cast<uint32_t>(couleur);
    if (etendue >= Tour) {
      Sortie->Circle(x, y, r, c, 0, 0, aspect);
      return;
    }
    const double b1 = Angle2Pi(a1), b2 = Angle2Pi(ae);
    if (b1 == b2) return;
    if (sens > 0)
      Sortie->Circle(x, y, r, c, b1, b2, aspect);
    else
      Sortie->Circle(x, y, r, c, b2, b1, aspect);
  }
};

// Cuts the arc from a1 to a2 (in the arc's direction) into the pieces of the pattern, from where
// the pattern stands.
void TiretsArc(const ArcCourant& arc, double a1, double a2, double rayon) {
  const double s = arc.sens;
  auto restant = [&] { return std::max(0.0, s * (a2 - a1)) * rayon; };
  auto estTiret = [](int phase) { return phase == 0 || phase == 2; };
  bool fini = false;
  if (Plume.ResteTiret != 0) {
    const double l = Plume.ResteTiret;
    double ae = a1 + s * l / rayon;
    if (s * ae > s * a2) {
      Plume.ResteTiret = static_cast<float>(l - restant());
      ae = a2;
    } else {
      Plume.ResteTiret = 0;
    }
    if (estTiret(Plume.PhaseTiret)) arc.Dessine(a1, ae);
    a1 = ae;
    if (Plume.ResteTiret == 0) Plume.PhaseTiret = static_cast<int16_t>((Plume.PhaseTiret + 1) % 4);
    fini = ae == a2;
  }
  int morceaux = 0;
  while (!fini && Plume.ResteTiret == 0) {
    ++morceaux;
    TesteArretTiret(morceaux);
    if (morceaux > MaxMorceauxTiret) {
      // Angles so large that the pieces no longer move: the rest is drawn in one piece.
      arc.Dessine(a1, a2);
      AvanceTiret(restant());
      break;
    }
    const double l = LongueurPieceTiret(Plume.PhaseTiret);
    double ae = a1 + s * l / rayon;
    const bool depasse = s * ae > s * a2;
    if (depasse) {
      Plume.ResteTiret = static_cast<float>(l - restant());
      ae = a2;
    }
    if (estTiret(Plume.PhaseTiret)) arc.Dessine(a1, ae);
    a1 = ae;
    if (depasse) break;
    Plume.PhaseTiret = static_cast<int16_t>((Plume.PhaseTiret + 1) % 4);
  }
}

// An arc with too many pieces to cut whole: only its runs that can show are cut, the pattern carried
// along the rest by its length, so the dashes seen keep their places. False, with nothing drawn,
// when those runs still hold too many pieces.
bool TiretsVisibles(const ArcCourant& arc, double a1, double a2, double rayon, double periode) {
  const double s = arc.sens, debut = std::min(a1, a2), fin = std::max(a1, a2);
  if (!(fin - debut <= 2 * Tour)) return false;
  const double rx = std::fabs(Sortie->DeviceLongueurX(arc.r));
  const double ry = arc.aspect == 1.0 ? rx : std::fabs(Sortie->DeviceLongueurX(arc.r * arc.aspect));
  const double cx = Sortie->DeviceX(arc.x), cy = Sortie->DeviceY(arc.y);
  const double marge = Sortie->DrawWidth + 2.0;
  const QRectF zone = Sortie->EtendueDessinable().adjusted(-marge, -marge, marge, marge);
  const std::vector<double> angles = AnglesCoupeEllipse(cx, cy, rx, ry, debut, fin, zone);
  std::vector<std::pair<double, double>> vues;
  double longueur = 0;
  for (size_t i = 0; i + 1 < angles.size(); ++i) {
    const double t = (angles[i] + angles[i + 1]) / 2;
    if (!(angles[i + 1] > angles[i]) || !zone.contains(cx + rx * std::cos(t), cy - ry * std::sin(t)))
      continue;
    vues.emplace_back(angles[i], angles[i + 1]);
    longueur += (angles[i + 1] - angles[i]) * rayon;
  }
  if (longueur / periode * 4 > MaxMorceauxTiret) return false;
  // The runs in the arc's direction, each reached by carrying the pattern from the last one.
  if (s < 0) {
    std::reverse(vues.begin(), vues.end());
    for (auto& [v0, v1] : vues) std::swap(v0, v1);
  }
  double position = a1;
  for (const auto& [v0, v1] : vues) {
    AvanceTiret(std::fabs(v0 - position) * rayon);
    TiretsArc(arc, v0, v1, rayon);
    position = v1;
  }
  AvanceTiret(std::fabs(a2 - position) * rayon);
  return true;
}

}  // namespace

double Angle2Pi(double a) {
  if (!std::isfinite(static_cast<float>(a))) LeveErreurExecution(QStringLiteral("overflow"));
  // In double precision: a dash of a large radius spans less than a single-precision angle step.
  const double tour = Tour;
  if (std::fabs(a) > 1000 * tour) a = std::fmod(a, tour);
  while (a < 0) a += tour;
  while (a > tour) a -= tour;
  return a;
}

void TraceArc(double x, double y, double r, int32_t couleur, double debut, double fin, double aspect,
              double rx, double ry, double sens) {
  const bool rayonDebut = debut < 0, rayonFin = fin < 0;
  debut = std::fabs(debut);
  fin = std::fabs(fin);
  const double s = sens == 1 ? 1.0 : -1.0;
  double a1 = s > 0 ? debut : fin;
  double a2 = s > 0 ? fin : debut;
  const bool rayon1 = s > 0 ? rayonDebut : rayonFin;
  const bool rayon2 = s > 0 ? rayonFin : rayonDebut;
  if (s > 0 && a2 <= a1) a2 += Tour;
  if (s < 0 && a2 >= a1) a1 += Tour;

  const ArcCourant arc{x, y, r, aspect, couleur, s};
  const float p0x = static_cast<float>(x + rx * std::cos(a1));
  const float p0y = static_cast<float>(y + ry * std::sin(a1));
  if (rayon1) TraceSegment(static_cast<float>(x), static_cast<float>(y), p0x, p0y, 0, couleur);

  const bool suite = std::fabs(p0x - Plume.FinTiretX) <= 0.01f && std::fabs(p0y - Plume.FinTiretY) <= 0.01f;
  if (!suite) {
    Plume.ResteTiret = 0;
    Plume.PhaseTiret = 0;
  }
  if (Plume.ResteTiret < 0) {
    Plume.ResteTiret = 0;
    Plume.PhaseTiret = static_cast<int16_t>((Plume.PhaseTiret + 1) % 4);
  }

  const double periode = PeriodeTiret();
  if (periode > 0 && r == 0) LeveErreurExecution(QStringLiteral("division by zero"));
  const double rayon = std::fabs(r);
  auto restant = [&] { return std::max(0.0, s * (a2 - a1)) * rayon; };

  if (periode <= 0 || TiretsSousPixel()) {
    arc.Dessine(a1, a2);
    AvanceTiret(restant());
  } else if (restant() / periode * 4 <= MaxMorceauxTiret) {
    TiretsArc(arc, a1, a2, rayon);
  } else if (!TiretsVisibles(arc, a1, a2, rayon, periode)) {
    arc.Dessine(a1, a2);
    AvanceTiret(restant());
  }

  Plume.FinTiretX = static_cast<float>(x + rx * std::cos(a2));
  Plume.FinTiretY = static_cast<float>(y + ry * std::sin(a2));
  if (rayon2)
    TraceSegment(Plume.FinTiretX, Plume.FinTiretY, static_cast<float>(x), static_cast<float>(y), 0, couleur);
}
