#pragma once

// The one line primitive: a segment turned about the current origin, cut into the dashes of the
// pen (the pattern runs on across joined segments and arcs) and drawn with round or square ends.

#include <cstdint>

// The most pieces a dashed segment or arc is cut into. A finer pattern is drawn as one solid
// piece, and the pattern state moves on as the dashes would have left it.
constexpr int MaxMorceauxTiret = 100000;
// Every so many pieces the event loop runs and a stop request (Esc) ends the command.
constexpr int MorceauxEntreArrets = 4096;

// Absolute drawing units; angle in degrees, anticlockwise about the current origin; colour -1
// draws nothing and only moves the current point.
void TraceSegment(float x1, float y1, float x2, float y2, double angle, int32_t couleur);
// One piece between two points already turned, with the pen's ends.
void TraceSegmentEpais(double x1, double y1, double x2, double y2, int32_t couleur);

// ---- the dash pattern, shared with the arcs ----
// Length of a piece of the pattern: dash L1, gap L2, dash L3, gap L2.
double LongueurPieceTiret(int phase);
// Length of one whole pattern (0 when there is none).
double PeriodeTiret();
// Moves the pattern state (phase and remainder) on by a length drawn without cutting it.
void AvanceTiret(double longueur);
// Runs the event loop every MorceauxEntreArrets pieces; a stop request raises a run error.
void TesteArretTiret(int morceaux);
// The same test counted across calls: every piece drawn counts, so that a line made of many
// short segments is stopped as surely as one long segment.
void CompteMorceauTrace();
// The pattern repeats within less than one device pixel: the device cannot show its dashes, so
// the line is drawn solid (as a pattern too fine for the most pieces is).
bool TiretsSousPixel();
