#include "drawing/Arcs.h"

#include <cmath>

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
    const float b1 = Angle2Pi(a1), b2 = Angle2Pi(ae);
    if (b1 == b2) return;
    if (sens > 0)
      Sortie->Circle(x, y, r, c, b1, b2, aspect);
    else
      Sortie->Circle(x, y, r, c, b2, b1, aspect);
  }
};

}  // namespace

float Angle2Pi(double angle) {
  float a = static_cast<float>(angle);
  if (!std::isfinite(a)) LeveErreurExecution(QStringLiteral("overflow"));
  if (std::fabs(a) > 1000 * Tour) a = std::fmod(a, Tour);
  while (a < 0) a += Tour;
  while (a > Tour) a -= Tour;
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
  auto estTiret = [](int phase) { return phase == 0 || phase == 2; };

  if (periode <= 0 || restant() / periode * 4 > MaxMorceauxTiret || TiretsSousPixel()) {
    arc.Dessine(a1, a2);
    AvanceTiret(restant());
  } else {
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

  Plume.FinTiretX = static_cast<float>(x + rx * std::cos(a2));
  Plume.FinTiretY = static_cast<float>(y + ry * std::sin(a2));
  if (rayon2)
    TraceSegment(Plume.FinTiretX, Plume.FinTiretY, static_cast<float>(x), static_cast<float>(y), 0, couleur);
}
