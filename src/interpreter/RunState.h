#pragma once

// The working cells that only the interpreter's own commands use, and the reset of a whole run's
// state. The levels and variables live in values/Levels.h, the origins, CT point and colour in
// drawing/DrawState.h, the run-error cells in platform/RunError.h.

#include <QString>

struct EtatTravail {
  QString LigneBrute;
  QString TexteTravail, TexteTravail2;
  QString ReponseInput;
  bool PSetFait = false;
  int NumFicAjout = 0;
};
extern EtatTravail Travail;

// Puts every group of the run state back to its default value, in one place: the levels and line
// cells, the order flags, the run-error cells, the drawing state, the scale state, the graduation
// iterator, the evaluator's stack, the field parse record, the stop request and the cells above. A new
// session and the tests call it; the shell values have their own RazValeursShell.
void RazEtatRun();
