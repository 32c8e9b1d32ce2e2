#pragma once

// The arc scale line and the two commands that set how values spread along the current scale.
// Each reads ParamLigne; the chain adds the order bits before calling them.

// ARC: draws the circular scale line (about the pivot when Decal set an offset) and records it in
// the scale state; field 5 may report what was drawn ("?" rewrites the line in the editor at
// level 1, "%CMD" gets the equivalent command, any other variable the arc's length).
void CmdArc(int niveau);
// EXPOSANT: the power law 1/n of the level, or with "L" the logarithmic scale (decades, start
// value, end mantissa). A zero exponent or a non-positive logarithmic bound is a run error.
void CmdExposant(int niveau);
// INVERSION: without a field turns the marks to the other side; 1 or -1 sets the side, any other
// number turns it.
void CmdInversion();
