#pragma once

// The scale state: the geometry of the last scale line (Arc, Droite, DroiteV) on which the
// graduations, values and sectors are laid, with the pivot offset set by Decal, the side of the
// marks and the logarithmic law. Process-wide, not per level: the scale line commands fill it and
// nothing clears it between runs but what is named below.

#include <cstdint>

#include "values/Colours.h"

// Scale angles (degrees, 0 at 9 o'clock, clockwise) of the start and end of the arc; 0 for a
// straight scale.
extern double ArcAngleDebut, ArcAngleFin;
// The scale line's third field: the arc's radius, the y of Droite or the x of DroiteV. Plot,
// DemiLune and TexteC write it too, so a scale read after one of them sees their value.
extern double VTrav7;
// The radius as written in Arc.
extern double ArcRayonDonne;
// Signed distance from the arc centre to the needle pivot (Decal stores its field negated);
// 0 = concentric.
extern double DecalPivot;
// Colour of the "+" mark at the pivot (Empty = no mark); set by Decal, read by Arc.
extern CouleurLue CouleurPivot;
// Distance from the pivot to the start point of the arc, and the working distance of the
// graduation, value and sector commands.
extern double ArcRayonDebut, ArcRayonFin;
// Drawing directions (radians anticlockwise from 3 o'clock, rotation included) of the scale's
// start and end as seen from the pivot.
extern double ArcRadDebut, ArcRadFin;
extern double PivotX, PivotY;
// Ends of a straight scale; all 0 after Arc.
extern double DroiteX1, DroiteX2, DroiteY1, DroiteY2;
// False when the scale line command's colour is "N" (the scale is recorded, not drawn).
extern bool EchelleTracee;
// Rotation of the scale in degrees, anticlockwise positive (the angle as written), and in radians.
extern double AngleCmd, AngleCmdRad;
// Side of the marks: 1 or -1; the graduation and value commands multiply lengths and offsets by it.
extern int16_t SensInversion;

// The logarithmic law of Exposant = "L": from LogDebut (fraction 0) to LogFin x 10^LogDecades
// (fraction 1); LogDecadesTotal is the span in decades.
extern int16_t LogDecades;
extern float LogDebut, LogFin, LogDecadesTotal;

// The graduation iterator's logarithmic sub-step, and the step field's second sub-field (default
// 10) whose sign selects how the sub-step grows. Shared by Grad and Val.
extern float PasLog, LimitePasLog;

// What the head of a level-1 run resets: no pivot offset, marks on the normal side. Nested levels
// inherit both.
void RazEchelleRun();
// Every value above back to its initial state (for a fresh session).
void RazEtatEchelle();
