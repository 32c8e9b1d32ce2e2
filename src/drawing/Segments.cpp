#include "drawing/Segments.h"

#include <QRectF>
#include <QScopeGuard>
#include <QVector>
#include <algorithm>
#include <cmath>

#include "drawing/Device.h"
#include "drawing/DrawState.h"
#include "platform/Events.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"

namespace {

constexpr double DegresEnRadians = 0.017453293;

double Signe(double v) { return v > 0 ? 1.0 : (v < 0 ? -1.0 : 0.0); }

// A zero-length segment: one dot of the pen's width; the pattern is left as it is.
void TracePoint(float x, float y, int32_t couleur) {
  if (couleur != -1) Sortie->Line(x, y, x, y, static_cast<uint32_t>(couleur));
  if (couleur == -1 || Plume.BoutCarre != 0) {
    Sortie->CurrentX = x;
    Sortie->CurrentY = y;
    Repere.XCourant = x;
    Repere.YCourant = y;
  }
}

// The part of the segment S-E that can show, as fractions u0 < u1 of its length from S: what lies
// within the pen's width (and a pixel or two) of the surface. False when none does.
bool PartieVisible(double sx, double sy, double ex, double ey, double& u0, double& u1) {
  const double marge =
      std::max<double>(Sortie->DrawWidth, Plume.BoutCarre != 0 ? Plume.LargeurCarree : 0) + 2;
  const QRectF zone = Sortie->EtendueDessinable().adjusted(-marge, -marge, marge, marge);
  const double px = Sortie->DeviceX(sx), py = Sortie->DeviceY(sy);
  const double dx = Sortie->DeviceX(ex) - px, dy = Sortie->DeviceY(ey) - py;
  u0 = 0;
  u1 = 1;
  // Each side of the zone, as the distance past it and the rate at which the segment runs out.
  const double bords[4][2] = {
      {-dx, px - zone.left()}, {dx, zone.right() - px}, {-dy, py - zone.top()}, {dy, zone.bottom() - py}};
  for (const auto& [vitesse, reste] : bords) {
    if (!std::isfinite(vitesse) || !std::isfinite(reste)) return false;
    if (vitesse == 0) {
      if (reste < 0) return false;
      continue;
    }
    const double u = reste / vitesse;
    if (vitesse < 0)
      u0 = std::max(u0, u);
    else
      u1 = std::min(u1, u);
  }
  return u0 < u1;
}

// Cuts the segment S-E (unit direction u, length 'longueur') into the pieces of the pattern.
void DecoupeTirets(double sx, double sy, double ex, double ey, double ux, double uy, double longueur,
                   int32_t couleur) {
  const double periode = PeriodeTiret();
  double u0 = 0, u1 = 1;
  if (periode > 0 && longueur / periode * 4 > MaxMorceauxTiret && !TiretsSousPixel() &&
      PartieVisible(sx, sy, ex, ey, u0, u1) && (u1 - u0) * longueur / periode * 4 <= MaxMorceauxTiret) {
    // Too long to cut whole: only the part that can show is cut, the pattern carried to it and past
    // it by its length, so the dashes seen keep their places at any length.
    if (Plume.ResteTiret < 0) {
      Plume.ResteTiret = 0;
      Plume.PhaseTiret = static_cast<int16_t>((Plume.PhaseTiret + 1) % 4);
    }
    AvanceTiret(u0 * longueur);
    DecoupeTirets(sx + u0 * (ex - sx), sy + u0 * (ey - sy), sx + u1 * (ex - sx), sy + u1 * (ey - sy), ux, uy,
                  (u1 - u0) * longueur, couleur);
    AvanceTiret((1 - u1) * longueur);
    return;
  }
  if (periode <= 0 || longueur / periode * 4 > MaxMorceauxTiret || TiretsSousPixel()) {
    TraceSegmentEpais(sx, sy, ex, ey, couleur);
    AvanceTiret(longueur);
    return;
  }
  const double signeX = Signe(ux), signeY = Signe(uy);
  auto depasse = [&](double px, double py) { return !((px - ex) * signeX <= 0 && (py - ey) * signeY <= 0); };
  auto resteJusquaFin = [&] { return std::hypot(ex - sx, ey - sy); };
  auto estTiret = [](int phase) { return phase == 0 || phase == 2; };

  if (Plume.ResteTiret < 0) {
    Plume.ResteTiret = 0;
    Plume.PhaseTiret = static_cast<int16_t>((Plume.PhaseTiret + 1) % 4);
  }
  if (Plume.ResteTiret != 0) {
    const double r = Plume.ResteTiret;
    double px = sx + r * ux, py = sy + r * uy;
    if (depasse(px, py)) {
      Plume.ResteTiret = static_cast<float>(r - resteJusquaFin());
      px = ex;
      py = ey;
    } else {
      Plume.ResteTiret = 0;
    }
    if (estTiret(Plume.PhaseTiret)) TraceSegmentEpais(sx, sy, px, py, couleur);
    sx = px;
    sy = py;
    if (Plume.ResteTiret == 0) Plume.PhaseTiret = static_cast<int16_t>((Plume.PhaseTiret + 1) % 4);
    if (px == ex && py == ey) return;
  }

  int morceaux = 0;
  while (Plume.ResteTiret == 0) {
    ++morceaux;
    TesteArretTiret(morceaux);
    if (morceaux > MaxMorceauxTiret) {
      // Coordinates so large that the pieces no longer move the point: the rest is drawn solid.
      const double reste = resteJusquaFin();
      TraceSegmentEpais(sx, sy, ex, ey, couleur);
      AvanceTiret(reste);
      return;
    }
    const double l = LongueurPieceTiret(Plume.PhaseTiret);
    double px = sx + l * ux, py = sy + l * uy;
    const bool fin = depasse(px, py);
    if (fin) Plume.ResteTiret = static_cast<float>(l - resteJusquaFin());
    if (estTiret(Plume.PhaseTiret)) {
      if (fin) {
        px = ex;
        py = ey;
      }
      if (px != sx || py != sy) TraceSegmentEpais(sx, sy, px, py, couleur);
      sx = px;
      sy = py;
    } else if (fin) {
      sx = ex;
      sy = ey;
    } else {
      sx = px;
      sy = py;
    }
    if (Plume.ResteTiret != 0) return;
    Plume.PhaseTiret = static_cast<int16_t>((Plume.PhaseTiret + 1) % 4);
  }
}

}  // namespace

double LongueurPieceTiret(int phase) {
  switch (phase) {
    case 0:
      return Plume.TiretL1;
    case 2:
      return Plume.TiretL3;
    default:
      return Plume.TiretL2;
  }
}

double PeriodeTiret() {
  const double l1 = Plume.TiretL1, l2 = Plume.TiretL2, l3 = Plume.TiretL3;
  if (l1 <= 0 || l2 < 0 || l3 < 0) return 0;
  return l1 + 2 * l2 + l3;
}

void AvanceTiret(double longueur) {
  const double periode = PeriodeTiret();
  if (periode <= 0) return;
  const int phase = ((Plume.PhaseTiret % 4) + 4) % 4;
  double debuts[5];
  debuts[0] = 0;
  for (int k = 0; k < 4; ++k) debuts[k + 1] = debuts[k] + LongueurPieceTiret(k);
  double position = debuts[phase];
  if (Plume.ResteTiret > 0) position += LongueurPieceTiret(phase) - Plume.ResteTiret;
  position = std::fmod(position + longueur, periode);
  if (position < 0) position += periode;
  int k = 0;
  while (k < 3 && position >= debuts[k + 1]) ++k;
  Plume.PhaseTiret = static_cast<int16_t>(k);
  Plume.ResteTiret = static_cast<float>(debuts[k + 1] - position);
}

void TesteArretTiret(int morceaux) {
  if (morceaux % MorceauxEntreArrets != 0) return;
  DoEvents();
  if (Arret) ErreurRun();
}

void CompteMorceauTrace() {
  static int morceaux = 0;
  morceaux = (morceaux + 1) % MorceauxEntreArrets;
  TesteArretTiret(morceaux);
}

bool TiretsSousPixel() {
  const double periode = PeriodeTiret();
  if (periode <= 0) return false;
  const double px = std::fabs(Sortie->DeviceX(periode) - Sortie->DeviceX(0));
  const double py = std::fabs(Sortie->DeviceY(periode) - Sortie->DeviceY(0));
  return std::max(px, py) < 1;
}

void TraceSegment(float x1, float y1, float x2, float y2, double angle, int32_t couleur) {
  const float a = static_cast<float>(-angle * DegresEnRadians);
  float X1 = x1, Y1 = y1, X2 = x2, Y2 = y2;
  if (a != 0) {
    const double cx = Repere.OrigineX + Repere.CTx, cy = Repere.OrigineY + Repere.CTy;
    const double c = std::cos(a), s = std::sin(a);
    X1 = static_cast<float>(cx + (x1 - cx) * c + (y1 - cy) * s);
    Y1 = static_cast<float>(cy - (x1 - cx) * s + (y1 - cy) * c);
    X2 = static_cast<float>(cx + (x2 - cx) * c + (y2 - cy) * s);
    Y2 = static_cast<float>(cy - (x2 - cx) * s + (y2 - cy) * c);
  }

  if (X1 == X2 && Y1 == Y2) {
    TracePoint(X2, Y2, couleur);
    Plume.FinTiretX = X2;
    Plume.FinTiretY = Y2;
    return;
  }

  const double dx = static_cast<double>(X2) - X1, dy = static_cast<double>(Y2) - Y1;
  const double longueur = std::sqrt(dx * dx + dy * dy);
  const double ux = dx / longueur, uy = dy / longueur;

  if (Plume.TiretL1 > 0) {
    const bool suite = std::fabs(X1 - Plume.FinTiretX) <= 0.01f && std::fabs(Y1 - Plume.FinTiretY) <= 0.01f;
    if (!suite) {
      Plume.ResteTiret = 0;
      Plume.PhaseTiret = 0;
    }
  }

  // A square-ended piece is drawn filled with a thin pen; both are put back however it ends.
  const bool carre = Plume.BoutCarre != 0;
  const auto bouts = qScopeGuard([carre] {
    if (!carre) return;
    Sortie->FillStyle = 1;
    Sortie->DrawWidth = Plume.LargeurCarree;
  });
  if (Plume.BoutCarre != 0) {
    const double mm = MmParPixel();
    Plume.LargeurCarree = static_cast<int16_t>(Sortie->DrawWidth);
    Sortie->DrawWidth = 1;
    Plume.DemiLargeurX =
        static_cast<float>(0.5 * Plume.LargeurCarree * mm * dy / longueur / Cadrage.EchelleX);
    Plume.DemiLargeurY =
        static_cast<float>(0.5 * Plume.LargeurCarree * mm * dx / longueur / Cadrage.EchelleY);
  }

  if (Plume.TiretL1 > 0)
    DecoupeTirets(X1, Y1, X2, Y2, ux, uy, longueur, couleur);
  else
    TraceSegmentEpais(X1, Y1, X2, Y2, couleur);

  Plume.FinTiretX = X2;
  Plume.FinTiretY = Y2;
}

void TraceSegmentEpais(double x1, double y1, double x2, double y2, int32_t couleur) {
  CompteMorceauTrace();
  if (couleur == -1) {
    Sortie->CurrentX = x2;
    Sortie->CurrentY = y2;
    Repere.XCourant = static_cast<float>(x2);
    Repere.YCourant = static_cast<float>(y2);
    return;
  }
  const uint32_t c = static_cast<uint32_t>(couleur);
  if (Plume.BoutCarre == 0) {
    Sortie->Line(x1, y1, x2, y2, c);
    return;
  }
  const QVector<QPointF> coins{QPointF(PointDevice(x1 + Plume.DemiLargeurX, y1 - Plume.DemiLargeurY)),
                               QPointF(PointDevice(x1 - Plume.DemiLargeurX, y1 + Plume.DemiLargeurY)),
                               QPointF(PointDevice(x2 - Plume.DemiLargeurX, y2 + Plume.DemiLargeurY)),
                               QPointF(PointDevice(x2 + Plume.DemiLargeurX, y2 - Plume.DemiLargeurY))};
  Sortie->ForeColor = c;
  Sortie->FillColor = c;
  Sortie->FillStyle = 0;
  Sortie->Polygone(coins);
  Sortie->Line(x1, y1, x2, y2, c);
  Sortie->CurrentX = x2;
  Sortie->CurrentY = y2;
  Repere.XCourant = static_cast<float>(x2);
  Repere.YCourant = static_cast<float>(y2);
}
