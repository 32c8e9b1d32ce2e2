#pragma once

// Cubic Bezier curves given by their ends and a direction vector at each end, drawn as short
// segments, filled, or turned into a graduated scale whose steps are equal angles seen from 0,0.

#include <QString>

// "BEZIERP" fills the outline of all the curves, "BEZIER_AGR" graduates each curve, any other word
// draws them. The parameter text is consumed group by group (a caller that needs it passes a copy).
void TraceBezier(const QString& motCle, QString& ligne);

// The point of the curve (control points px, py) seen from 0,0 at the angle 'cible' (radians),
// found by halving the parameter interval at most 20 times; a0 and a3 are the angles of the ends,
// already made monotonic in the direction of travel. Returns the parameter; x, y get the point.
float PointBezier(double cible, double a0, double a3, const double px[4], const double py[4], double& x,
                  double& y, bool croissant);
