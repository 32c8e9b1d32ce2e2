#include "platform/OutputSurface.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <initializer_list>
#include <numbers>

#include "platform/RunError.h"

namespace {

// Device coordinates and lengths beyond single precision (or no number) are more than the drawing
// can hold: an overflow of the statement that draws them.
// Inlined: every point drawn passes here.
[[gnu::always_inline]] inline void VerifieDevice(std::initializer_list<double> valeurs) {
  for (const double v : valeurs) {
    if (!(std::fabs(v) <= FLT_MAX)) LeveErreurExecution(QStringLiteral("overflow"));
  }
}

}  // namespace

void OutputSurface::SetScaleMode(int mode) {
  scaleMode_ = mode;
  ScaleLeft = 0;
  ScaleTop = 0;
  if (mode == 6) {
    ScaleWidth = LargeurPixels() * MmParPixel();
    ScaleHeight = HauteurPixels() * MmParPixel();
  } else {
    ScaleWidth = LargeurPixels();
    ScaleHeight = HauteurPixels();
  }
}

void OutputSurface::Line(double x1, double y1, double x2, double y2, uint32_t couleur) {
  const uint32_t sauve = ForeColor;
  const double dx1 = DeviceX(x1), dy1 = DeviceY(y1), dx2 = DeviceX(x2), dy2 = DeviceY(y2);
  VerifieDevice({dx1, dy1, dx2, dy2});
  ForeColor = couleur;
  Ligne(dx1, dy1, dx2, dy2);
  ForeColor = sauve;
  CurrentX = x2;
  CurrentY = y2;
}

void OutputSurface::Circle(double cx, double cy, double rayon, uint32_t couleur, double debut, double fin,
                           double aspect) {
  // The radius is measured along x; the aspect gives the y radius (as the old call did).
  const double rx = std::fabs(DeviceLongueurX(rayon));
  double ry = std::fabs(DeviceLongueurX(rayon));
  if (aspect != 1.0) ry = std::fabs(DeviceLongueurX(rayon * aspect));
  const double dx = DeviceX(cx), dy = DeviceY(cy);
  VerifieDevice({dx, dy, rx, ry});
  const uint32_t sauve = ForeColor;
  ForeColor = couleur;
  Cercle(dx, dy, rx, ry, debut, fin);
  ForeColor = sauve;
  CurrentX = cx;
  CurrentY = cy;
}

void OutputSurface::PSet(double x, double y, uint32_t couleur) {
  const double dx = DeviceX(x), dy = DeviceY(y);
  VerifieDevice({dx, dy});
  const uint32_t sauve = ForeColor;
  ForeColor = couleur;
  Ligne(dx, dy, dx, dy);
  ForeColor = sauve;
  CurrentX = x;
  CurrentY = y;
}

double OutputSurface::TextWidth(const QString& texte) const {
  return LargeurTextePx(texte) * ScaleWidth / LargeurPixels();
}

double OutputSurface::TextHeight(const QString& texte) const {
  return HauteurTextePx(texte) * ScaleHeight / HauteurPixels();
}

std::vector<double> AnglesCoupeEllipse(double cx, double cy, double rx, double ry, double debut, double fin,
                                       const QRectF& r) {
  constexpr double pi = std::numbers::pi;
  std::vector<double> angles{debut, fin};
  const auto ajoute = [&](double t) {
    double u = debut + std::fmod(t - debut, 2 * pi);
    if (u < debut) u += 2 * pi;
    for (; u < fin; u += 2 * pi)
      if (u > debut) angles.push_back(u);
  };
  for (int k = 0; k < 4; ++k) ajoute(k * pi / 2);
  for (const double x : {r.left(), r.right()}) {
    const double c = (x - cx) / rx;
    if (std::fabs(c) > 1) continue;
    ajoute(std::acos(c));
    ajoute(-std::acos(c));
  }
  for (const double y : {r.top(), r.bottom()}) {
    const double s = (cy - y) / ry;
    if (std::fabs(s) > 1) continue;
    ajoute(std::asin(s));
    ajoute(pi - std::asin(s));
  }
  std::sort(angles.begin(), angles.end());
  return angles;
}

QString TexteCouleurHex(uint32_t couleur) {
  static constexpr char chiffres[] = "0123456789ABCDEF";
  QChar texte[7] = {QLatin1Char('#')};
  for (int i = 0; i < 3; ++i) {
    const unsigned octet = (couleur >> (8 * i)) & 0xFF;
    texte[1 + 2 * i] = QLatin1Char(chiffres[octet >> 4]);
    texte[2 + 2 * i] = QLatin1Char(chiffres[octet & 0xF]);
  }
  return QString(texte, 7);
}
