#pragma once

// Fonts of the output surfaces: one place turns an output font into a Qt font for a device
// resolution and measures texts with it, so the image, the printer and the recorder agree.

#include <QFont>
#include <QString>

#include "platform/OutputSurface.h"

class QPaintDevice;

// The Qt font of an output font on a device of 'dpi' dots per inch. The size in points becomes a
// whole number of pixels (halves to even, at least 1), as the old device fonts had.
QFont PoliceQt(const PoliceSortie& police, double dpi);

// Width of the longest line and height of all lines of a text (lines split at CR LF, CR or LF), in
// device pixels; one line is ascent + descent high. 'appareil' (optional) is the device the text
// will be drawn on.
double LargeurTexteQt(const QFont& police, const QString& texte, const QPaintDevice* appareil = nullptr);
double HauteurTexteQt(const QFont& police, const QString& texte, const QPaintDevice* appareil = nullptr);
MetriquesPolicePx MetriquesQt(const QFont& police, const QPaintDevice* appareil = nullptr);

// Whether a font family is installed, without regard to case. The usual faces that fontconfig
// maps onto their metric-compatible Liberation faces count as installed when those are.
bool PoliceInstallee(const QString& nom);
