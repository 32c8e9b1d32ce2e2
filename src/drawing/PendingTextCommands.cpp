// The text, font, polyline and dimension statements are not built yet: each ends the run with a
// run error that names the command, never silently.
#include "drawing/TextCommands.h"
#include "interpreter/RunErrors.h"

void CmdTailleP(int) { NonDisponible(); }
void CmdPolice(int) { NonDisponible(); }
void TraceTexte(int) { NonDisponible(); }
void TraceTexteC(int) { NonDisponible(); }
void CmdCote(int, const QString&) { NonDisponible(); }
