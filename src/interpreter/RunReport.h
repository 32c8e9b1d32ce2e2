#pragma once

// What ends a level: the run-error report, the command error of an unknown keyword, and the end
// of a level with the values it leaves for the drawing view.

#include <QString>
#include <functional>

// Selects the current statement of a level in the editor and marks it red; returns the editor
// line (1-based) of the caret.
int MarqueInstruction(int niveau);
// The error handler of a level: reports the run error that ended it.
void GereErreurRun(int niveau);
// The command error of a keyword that matches nothing; the level then ends.
void ErreurCommande(int niveau);
// While set, every run error and command error reported is told with the editor line of the
// statement it marks and the message's text without the list of variables: the headless runner
// tells a script that the drawing failed.
using SuiviErreursRun = std::function<void(int ligne, const QString& texte)>;
void DefinitSuiviErreursRun(SuiviErreursRun suivi);
// The end of a level (text exhausted, STOP, a stop request, a command error).
void FinNiveau(int niveau);
// Draws the mouse drawing's journal over the result of a run.
void TraceJournalDessin();
