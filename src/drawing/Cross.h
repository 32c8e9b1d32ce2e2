#pragma once

// The cross marker and the law of cosines of the scale commands.

#include <cstdint>

// Two perpendicular strokes through (x, y), absolute drawing units: the first of half-length
// 'demi', the second of half-length demi / rapport, turned clockwise by 'angle' (radians) about
// the centre; drawn with the pen.
void TraceCroix(double x, double y, double demi, double angle, double couleur, double rapport);
// The side opposite the angle c + 90 degrees of a triangle whose sides a and b enclose it.
float DistanceCosinus(double a, double b, double c);
