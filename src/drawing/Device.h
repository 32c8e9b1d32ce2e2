#pragma once

// Drawing units to device pixels, and the filled polygon that the shape commands share.

#include <QPoint>
#include <cstdint>
#include <initializer_list>

// Device coordinates and lengths the drawing cannot hold (beyond single precision, or no number)
// are an overflow run error of the statement that draws them.
void VerifieDevice(std::initializer_list<double> valeurs);

// The device pixel of an absolute drawing point, rounded halves to even (the surface's mapping).
QPoint PointDevice(double x, double y);
// The device pixel of a vertex relative to the current origin.
QPoint PointDeviceRelatif(double x, double y);

// Draws PtsPolygone[premier .. premier + n - 1] as one polygon with the surface's pen and brush.
void TracePolygoneDevice(int premier, int n);
// Fills the n vertices of PtsPoly from 'premier' in the colour (edge and inside), through
// PtsPolygone; FillStyle is transparent again afterwards.
void RemplitPolygone(int premier, int n, int32_t couleur);
