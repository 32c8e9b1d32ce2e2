#pragma once

// Fonts of the output surfaces: one place turns an output font into a Qt font for a device
// resolution and measures texts with it, so the image, the printer and the recorder agree.

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>
#include <memory>
#include <vector>

#include "platform/OutputSurface.h"

class QPaintDevice;

// The Qt font of an output font on a device of 'dpi' dots per inch. The size in points becomes a
// whole number of pixels (halves to even, at least 1), as the old device fonts had.
QFont PoliceQt(const PoliceSortie& police, double dpi);

// A Qt font with its metrics on one device.
struct PoliceResolue {
  QFont Police;
  QFontMetricsF Mesure;
  int Numero;  // different for every font resolved in the program's life
  // Widths of the lines measured so far: labels, and letters of spaced texts, come back often.
  QHash<QString, double> Largeurs;
};

// The fonts one device has resolved, by output font: resolving a font and its metrics costs far
// more than measuring or drawing a short text with them, and a drawing uses few fonts many times.
class CachePolices {
 public:
  // 'appareil' (optional) is the device the texts will be drawn on; it must outlive the cache.
  CachePolices(double dpi, const QPaintDevice* appareil = nullptr) : dpi_(dpi), appareil_(appareil) {}
  PoliceResolue& Resout(const PoliceSortie& police);

 private:
  struct Entree {
    PoliceSortie Cle;
    std::unique_ptr<PoliceResolue> Resolue;
  };
  double dpi_;
  const QPaintDevice* appareil_;
  std::vector<Entree> entrees_;
  size_t derniere_ = 0;
};

// Width of the longest line and height of all lines of a text (lines split at CR LF, CR or LF), in
// device pixels; one line is ascent + descent high.
double LargeurTexteQt(PoliceResolue& police, const QString& texte);
double HauteurTexteQt(const QFontMetricsF& mesure, const QString& texte);
MetriquesPolicePx MetriquesQt(const PoliceResolue& police);
// The lines of a text, split at CR LF, CR or LF.
QStringList LignesTexte(const QString& texte);

// Whether a font family is installed, without regard to case. The usual faces that fontconfig
// maps onto their metric-compatible Liberation faces count as installed when those are.
bool PoliceInstallee(const QString& nom);
