#pragma once

// The dashed arc: the pen's pattern measured along the arc, each dash one arc of the surface.

#include <cstdint>

// An arc about (x, y), absolute drawing units. r: the radius given to the surface and used to turn
// dash lengths into angles; debut, fin: radians, a negative one also draws the radius line to that
// end; aspect: the surface's ellipse aspect; rx, ry: the radii of the end points and radius lines;
// sens: 1 anticlockwise from debut to fin, otherwise clockwise. A start equal to the end draws the
// whole figure.
void TraceArc(double x, double y, double r, int32_t couleur, double debut, double fin, double aspect,
              double rx, double ry, double sens);
// An angle brought into 0..6.283185 radians.
double Angle2Pi(double angle);
