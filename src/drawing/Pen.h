#pragma once

#include <QString>

// A line-width text (pixels, or millimetres with "mm") as a width in device pixels.
float LitEpaisT(const QString& texte);
