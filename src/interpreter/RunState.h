#pragma once

// The working cells that only the interpreter's own commands use, and the reset of a whole run's
// state. The levels and variables live in values/Levels.h, the origins, CT point and colour in
// drawing/DrawState.h, the run-error cells in platform/RunError.h.

#include <QString>

extern QString LigneBrute;
extern QString TexteTravail, TexteTravail2;
extern QString ReponseInput;
extern bool PSetFait;
extern int NumFicAjout;

// Clears the run state that each layer owns, through that layer's own reset: the levels and line
// cells, the run-error cells, the drawing state, the scale state, the stop request and the cells
// above. A new session and the tests call it; the shell values have their own RazValeursShell.
void RazEtatRun();
