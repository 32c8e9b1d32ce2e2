#pragma once

// Elliptic arcs as chains of straight pieces: the points of an arc turned about its centre, drawn
// as segments of the line primitive or filled as one polygon.

#include <QString>
#include <cstdint>
#include <vector>

#include "drawing/DrawState.h"

// A whole turn never takes more points than this, however large the radius: the step stays far
// below a pixel for any shape that fits a sheet, and memory no longer follows the radius.
constexpr int PointsParTourMax = 20000;
constexpr double PasAngulaireMin = 6.283185 / PointsParTourMax;

// Half-axes along the shape's own x and y axes: the larger one is the radius, k = b / a.
void DemiAxes(double rayon, double k, double& a, double& b);
// The angular step for a radius: about one millimetre of arc on the output, a tenth of one on
// paper for radii below 10, never below PasAngulaireMin. A radius of 0 is a run error.
double PasEllipse(double rayon);
// The point at angle t of the ellipse of half-axes a, b about (cx, cy), turned by -vtrav radians.
PointXY PointEllipse(double cx, double cy, double a, double b, double t, double vtrav);
// The points from 'debut' to 'fin' anticlockwise, the last exactly at 'fin' (only the first one
// when 'fin' is below 'debut'), relative to the current origin; 'facteurPas' widens the step.
std::vector<PointXY> PointsEllipse(double cx, double cy, double rayon, double debut, double fin, double k,
                                   double vtrav, double facteurPas = 1);

// An arc (a whole ellipse when debut equals fin: 'fin' then grows by two turns) turned by -vtrav
// about its centre; "P" in the options fills it. Colour -1 draws nothing.
void TraceEllipse(double cx, double cy, double rayon, int32_t couleur, double debut, double& fin, double k,
                  const QString& options, double vtrav, double facteurPas = 1);

// Segments of the line primitive between consecutive points (relative to the current origin),
// from the last back to the first when 'inverse'.
void TraceChemin(const std::vector<PointXY>& points, int32_t couleur, bool inverse);
// The points filled as one polygon in the colour, outlined with the current pen.
void RemplitPoints(const std::vector<PointXY>& points, int32_t couleur);
