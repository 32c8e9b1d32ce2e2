#pragma once

// The scale state: the geometry of the last scale line (Arc, Droite, DroiteV) on which the
// graduations, values and sectors are laid, with the pivot offset set by Decal, the side of the
// marks and the logarithmic law. Process-wide, not per level: the scale line commands fill it and
// nothing clears it between runs but what is named below.

#include <cstdint>

#include "values/Colours.h"

// The needle pivot: what a command file leaves to its caller as it found it.
struct PivotEchelle {
  // Signed distance from the arc centre to the needle pivot (Decal stores its field negated);
  // 0 = concentric.
  double DecalPivot = 0;
  // Colour of the "+" mark at the pivot (Empty = no mark); set by Decal, read by Arc.
  CouleurLue CouleurPivot;
  // Side of the marks: 1 or -1; the graduation and value commands multiply lengths and offsets by it.
  int16_t SensInversion = 1;
};

struct EtatEchelle : PivotEchelle {
  // Scale angles (degrees, 0 at 9 o'clock, clockwise) of the start and end of the arc; 0 for a
  // straight scale.
  double ArcAngleDebut = 0, ArcAngleFin = 0;
  // The scale line's third field: the arc's radius, the y of Droite or the x of DroiteV. Plot,
  // DemiLune and TexteC write it too, so a scale read after one of them sees their value.
  double VTrav7 = 0;
  // The radius as written in Arc.
  double ArcRayonDonne = 0;
  // Distance from the pivot to the start point of the arc, and the working distance of the
  // graduation, value and sector commands.
  double ArcRayonDebut = 0, ArcRayonFin = 0;
  // Drawing directions (radians anticlockwise from 3 o'clock, rotation included) of the scale's
  // start and end as seen from the pivot.
  double ArcRadDebut = 0, ArcRadFin = 0;
  double PivotX = 0, PivotY = 0;
  // Ends of a straight scale; all 0 after Arc.
  double DroiteX1 = 0, DroiteX2 = 0, DroiteY1 = 0, DroiteY2 = 0;
  // False when the scale line command's colour is "N" (the scale is recorded, not drawn).
  bool EchelleTracee = true;
  // Rotation of the scale in degrees, anticlockwise positive (the angle as written), and in radians.
  double AngleCmd = 0, AngleCmdRad = 0;

  // The logarithmic law of Exposant = "L": from LogDebut (fraction 0) to LogFin x 10^LogDecades
  // (fraction 1); LogDecadesTotal is the span in decades.
  int16_t LogDecades = 0;
  float LogDebut = 0, LogFin = 0, LogDecadesTotal = 0;

  // The graduation iterator's logarithmic sub-step, and the step field's second sub-field (default
  // 10) whose sign selects how the sub-step grows. Shared by Grad and Val.
  float PasLog = 0, LimitePasLog = 10.0f;
};
// Its default value is the state of a fresh session.
extern EtatEchelle Echelle;

// What the head of a level-1 run resets: no pivot offset, marks on the normal side. Nested levels
// inherit both.
void RazEchelleRun();
