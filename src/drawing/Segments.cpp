#include "drawing/Segments.h"

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

// Puts the surface's width and fill back however the segment ends (a stop request included).
class GardeBoutCarre {
 public:
  explicit GardeBoutCarre(bool actif) : actif_(actif) {}
  ~GardeBoutCarre() {
    if (!actif_) return;
    Sortie->FillStyle = 1;
    Sortie->DrawWidth = LargeurCarree;
  }
  GardeBoutCarre(const GardeBoutCarre&) = delete;
  GardeBoutCarre& operator=(const GardeBoutCarre&) = delete;

 private:
  bool actif_;
};

// A zero-length segment: one dot of the pen's width; the pattern is left as it is.
void TracePoint(float x, float y, int32_t couleur) {
  if (couleur != -1) Sortie->Line(x, y, x, y, static_cast<uint32_t>(couleur));
  if (couleur == -1 || BoutCarre != 0) {
    Sortie->CurrentX = x;
    Sortie->CurrentY = y;
    XCourant = x;
    YCourant = y;
  }
}

// Cuts the segment S-E (unit direction u, length 'longueur') into the pieces of the pattern.
void DecoupeTirets(double sx, double sy, double ex, double ey, double ux, double uy, double longueur,
                   int32_t couleur) {
  const double periode = PeriodeTiret();
  if (periode <= 0 || longueur / periode * 4 > MaxMorceauxTiret || TiretsSousPixel()) {
    TraceSegmentEpais(sx, sy, ex, ey, couleur);
    AvanceTiret(longueur);
    return;
  }
  const double signeX = Signe(ux), signeY = Signe(uy);
  auto depasse = [&](double px, double py) { return !((px - ex) * signeX <= 0 && (py - ey) * signeY <= 0); };
  auto resteJusquaFin = [&] { return std::hypot(ex - sx, ey - sy); };
  auto estTiret = [](int phase) { return phase == 0 || phase == 2; };

  if (ResteTiret < 0) {
    ResteTiret = 0;
    PhaseTiret = static_cast<int16_t>((PhaseTiret + 1) % 4);
  }
  if (ResteTiret != 0) {
    const double r = ResteTiret;
    double px = sx + r * ux, py = sy + r * uy;
    if (depasse(px, py)) {
      ResteTiret = static_cast<float>(r - resteJusquaFin());
      px = ex;
      py = ey;
    } else {
      ResteTiret = 0;
    }
    if (estTiret(PhaseTiret)) TraceSegmentEpais(sx, sy, px, py, couleur);
    sx = px;
    sy = py;
    if (ResteTiret == 0) PhaseTiret = static_cast<int16_t>((PhaseTiret + 1) % 4);
    if (px == ex && py == ey) return;
  }

  int morceaux = 0;
  while (ResteTiret == 0) {
    ++morceaux;
    TesteArretTiret(morceaux);
    if (morceaux > MaxMorceauxTiret) {
      // Coordinates so large that the pieces no longer move the point: the rest is drawn solid.
      const double reste = resteJusquaFin();
      TraceSegmentEpais(sx, sy, ex, ey, couleur);
      AvanceTiret(reste);
      return;
    }
    const double l = LongueurPieceTiret(PhaseTiret);
    double px = sx + l * ux, py = sy + l * uy;
    const bool fin = depasse(px, py);
    if (fin) ResteTiret = static_cast<float>(l - resteJusquaFin());
    if (estTiret(PhaseTiret)) {
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
    if (ResteTiret != 0) return;
    PhaseTiret = static_cast<int16_t>((PhaseTiret + 1) % 4);
  }
}

}  // namespace

double LongueurPieceTiret(int phase) {
  switch (phase) {
    case 0:
      return TiretL1;
    case 2:
      return TiretL3;
    default:
      return TiretL2;
  }
}

double PeriodeTiret() {
  const double l1 = TiretL1, l2 = TiretL2, l3 = TiretL3;
  if (l1 <= 0 || l2 < 0 || l3 < 0) return 0;
  return l1 + 2 * l2 + l3;
}

void AvanceTiret(double longueur) {
  const double periode = PeriodeTiret();
  if (periode <= 0) return;
  const int phase = ((PhaseTiret % 4) + 4) % 4;
  double debuts[5];
  debuts[0] = 0;
  for (int k = 0; k < 4; ++k) debuts[k + 1] = debuts[k] + LongueurPieceTiret(k);
  double position = debuts[phase];
  if (ResteTiret > 0) position += LongueurPieceTiret(phase) - ResteTiret;
  position = std::fmod(position + longueur, periode);
  if (position < 0) position += periode;
  int k = 0;
  while (k < 3 && position >= debuts[k + 1]) ++k;
  PhaseTiret = static_cast<int16_t>(k);
  ResteTiret = static_cast<float>(debuts[k + 1] - position);
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
    const double cx = OrigineX + CTx, cy = OrigineY + CTy;
    const double c = std::cos(a), s = std::sin(a);
    X1 = static_cast<float>(cx + (x1 - cx) * c + (y1 - cy) * s);
    Y1 = static_cast<float>(cy - (x1 - cx) * s + (y1 - cy) * c);
    X2 = static_cast<float>(cx + (x2 - cx) * c + (y2 - cy) * s);
    Y2 = static_cast<float>(cy - (x2 - cx) * s + (y2 - cy) * c);
  }

  if (X1 == X2 && Y1 == Y2) {
    TracePoint(X2, Y2, couleur);
    FinTiretX = X2;
    FinTiretY = Y2;
    return;
  }

  const double dx = static_cast<double>(X2) - X1, dy = static_cast<double>(Y2) - Y1;
  const double longueur = std::sqrt(dx * dx + dy * dy);
  const double ux = dx / longueur, uy = dy / longueur;

  if (TiretL1 > 0) {
    const bool suite = std::fabs(X1 - FinTiretX) <= 0.01f && std::fabs(Y1 - FinTiretY) <= 0.01f;
    if (!suite) {
      ResteTiret = 0;
      PhaseTiret = 0;
    }
  }

  GardeBoutCarre garde(BoutCarre != 0);
  if (BoutCarre != 0) {
    const double mm = MmParPixel();
    LargeurCarree = static_cast<int16_t>(Sortie->DrawWidth);
    Sortie->DrawWidth = 1;
    DemiLargeurX = static_cast<float>(0.5 * LargeurCarree * mm * dy / longueur / EchelleX);
    DemiLargeurY = static_cast<float>(0.5 * LargeurCarree * mm * dx / longueur / EchelleY);
  }

  if (TiretL1 > 0)
    DecoupeTirets(X1, Y1, X2, Y2, ux, uy, longueur, couleur);
  else
    TraceSegmentEpais(X1, Y1, X2, Y2, couleur);

  FinTiretX = X2;
  FinTiretY = Y2;
}

void TraceSegmentEpais(double x1, double y1, double x2, double y2, int32_t couleur) {
  CompteMorceauTrace();
  if (couleur == -1) {
    Sortie->CurrentX = x2;
    Sortie->CurrentY = y2;
    XCourant = static_cast<float>(x2);
    YCourant = static_cast<float>(y2);
    return;
  }
  const uint32_t c = static_cast<uint32_t>(couleur);
  if (BoutCarre == 0) {
    Sortie->Line(x1, y1, x2, y2, c);
    return;
  }
  const QVector<QPointF> coins{QPointF(PointDevice(x1 + DemiLargeurX, y1 - DemiLargeurY)),
                               QPointF(PointDevice(x1 - DemiLargeurX, y1 + DemiLargeurY)),
                               QPointF(PointDevice(x2 - DemiLargeurX, y2 + DemiLargeurY)),
                               QPointF(PointDevice(x2 + DemiLargeurX, y2 - DemiLargeurY))};
  Sortie->ForeColor = c;
  Sortie->FillColor = c;
  Sortie->FillStyle = 0;
  Sortie->Polygone(coins);
  Sortie->Line(x1, y1, x2, y2, c);
  Sortie->CurrentX = x2;
  Sortie->CurrentY = y2;
  XCourant = static_cast<float>(x2);
  YCourant = static_cast<float>(y2);
}
