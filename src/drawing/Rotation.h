#pragma once

// Turning points about the current origin by a command's angle (the "§angle" suffix of its y
// field, or the default angle), about a centre, and the polygon vertices built with both turns.

#include <QString>

// Reads the command's angle from its y field (or takes the default one), sets AngRotDeg,
// AngRotRad and AngRotDonne, and turns (x, y) about 0,0 anticlockwise by it.
void RotationXY(const QString& texte, double& x, double& y);
// (x0, y0) turned clockwise by 'angle' (radians) about (cx, cy).
void TournePoint(double x0, double y0, double& xSortie, double& ySortie, double cx, double cy, double angle);
// Vertex k of PtsPoly: (x, y) turned clockwise by 'angle' about (cx, cy), then, when
// 'avecAngleCmd' is not 0, about 0,0 by the command's angle.
void PointPoly(int k, double x, double y, double cx, double cy, double angle, double avecAngleCmd);
// As PointPoly, and the vertex's device point into PtsPolygone[k].
void PointPolyR(int k, double x, double y, double cx, double cy, double angle, double avecAngleCmd);
// XRot, YRot := the current point relative to the current origin, turned anticlockwise by the
// angle (degrees).
void RotationCourant(double angle);
