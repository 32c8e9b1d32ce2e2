#pragma once

// The one output object of a run (the screen image or the printer). It keeps the members the
// drawing code sets by name (colours, fill, width, current point, scale, font) and offers a few
// primitives in device pixels; everything else (dashes, square ends, arcs as segments, alignment,
// rounding) belongs to the drawing layer.

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>
#include <cstdint>
#include <vector>

struct PoliceSortie {
  QString Name = QStringLiteral("Times New Roman");
  double Size = 8.0;  // points
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
};

// Outline metrics of a font in device pixels: cell height (ascent + descent), ascent and internal
// leading (cell height less the em height). All 0 when the font has none.
struct MetriquesPolicePx {
  double Hauteur = 0;
  double Ascent = 0;
  double InterneLeading = 0;
};

class OutputSurface {
 public:
  virtual ~OutputSurface() = default;

  // ---- members of the output object ----
  uint32_t ForeColor = 0;  // 0x00BBGGRR (red in the low byte)
  uint32_t FillColor = 0;
  int FillStyle = 1;    // 0 solid, 1 transparent
  int DrawWidth = 1;    // pixels
  int DrawMode = 13;    // 13 copy pen, 9 mask pen
  double CurrentX = 0;  // scale units
  double CurrentY = 0;
  PoliceSortie Font;

  // ---- scale: scale units map linearly onto the device ----
  int ScaleMode() const { return scaleMode_; }
  // 6 = millimetres: the scale becomes the device size in millimetres, origin top-left, y down;
  // 3 = pixels.
  void SetScaleMode(int mode);
  double ScaleLeft = 0;
  double ScaleTop = 0;
  double ScaleWidth = 1;
  double ScaleHeight = 1;

  // ---- the device ----
  // Kept as members: every point drawn is mapped with them.
  int LargeurPixels() const { return largeurPixels_; }
  int HauteurPixels() const { return hauteurPixels_; }
  virtual double MmParPixel() const = 0;  // millimetres per device pixel
  // Where what is drawn can show, in device pixels (a screen picture kept larger than the device
  // reaches beyond it): the drawing layer may leave out what lies well beyond it.
  virtual QRectF EtendueDessinable() const {
    return {0, 0, static_cast<double>(LargeurPixels()), static_cast<double>(HauteurPixels())};
  }
  virtual bool EstImprimante() const { return false; }
  // A printing failure seen by the device (for the run-error handler).
  virtual bool ErreurImpression() const { return false; }

  // The one mapping from scale units to device pixels.
  double DeviceX(double x) const { return (x - ScaleLeft) * LargeurPixels() / ScaleWidth; }
  double DeviceY(double y) const { return (y - ScaleTop) * HauteurPixels() / ScaleHeight; }
  double DeviceLongueurX(double d) const { return d * LargeurPixels() / ScaleWidth; }
  double DeviceLongueurY(double d) const { return d * HauteurPixels() / ScaleHeight; }

  // ---- primitives in device pixels, drawn with the members above ----
  // A segment in ForeColor and DrawWidth (a zero-length segment draws a dot).
  virtual void Ligne(double x1, double y1, double x2, double y2) = 0;
  // An ellipse arc anticlockwise from 'debut' to 'fin' (radians, 0 at 3 o'clock); a negative
  // angle also draws the radius line to it; debut == fin draws the whole figure. Filled with
  // FillColor when FillStyle is 0 and the figure is closed or a pie.
  virtual void Cercle(double cx, double cy, double rx, double ry, double debut, double fin) = 0;
  // A polygon (even-odd fill): edge in ForeColor/DrawWidth, filled with FillColor when FillStyle 0.
  virtual void Polygone(const QVector<QPointF>& points) = 0;
  // Text whose top-left corner is at (x, y), turned anticlockwise by angleDeg about that corner,
  // in Font and ForeColor.
  virtual void Texte(double x, double y, double angleDeg, const QString& texte) = 0;
  // A picture file stretched into the rectangle; false, with the reason in *erreur when given,
  // when it cannot be read.
  virtual bool Image(double x, double y, double l, double h, const QString& fichier,
                     QString* erreur = nullptr) = 0;
  virtual void Cls() = 0;
  virtual void NouvellePage() = 0;
  // The printer's page orientation for the pages that follow; the screen has none.
  virtual void DefinitOrientation([[maybe_unused]] bool paysage) {}

  // ---- font queries, in device pixels ----
  virtual double LargeurTextePx(const QString& texte) const = 0;
  virtual double HauteurTextePx(const QString& texte) const = 0;
  virtual bool PoliceExiste(const QString& nom) const = 0;
  virtual MetriquesPolicePx MetriquesTextePx() const { return {}; }

  // ---- the old object's calls in scale units ----
  void Line(double x1, double y1, double x2, double y2, uint32_t couleur);
  void Circle(double cx, double cy, double rayon, uint32_t couleur, double debut, double fin,
              double aspect = 1.0);
  void PSet(double x, double y, uint32_t couleur);
  double TextWidth(const QString& texte) const;   // scale units
  double TextHeight(const QString& texte) const;  // scale units (negative when y is up)

 protected:
  // Called by SetScaleMode(6): device size in millimetres.
  int scaleMode_ = 6;
  // The device size in pixels, set by the device whenever it changes.
  int largeurPixels_ = 1;
  int hauteurPixels_ = 1;
};

// The angles from debut to fin (debut < fin), ends included and sorted, at which the ellipse about
// (cx, cy) with radii rx, ry (device pixels, angles anticlockwise on the screen) crosses a side line
// of the rectangle or turns along an axis: between two of them it lies wholly inside or wholly
// outside the rectangle, each coordinate running one way.
std::vector<double> AnglesCoupeEllipse(double cx, double cy, double rx, double ry, double debut, double fin,
                                       const QRectF& r);

// "#RRGGBB" of a colour value with red in the low byte.
QString TexteCouleurHex(uint32_t couleur);
