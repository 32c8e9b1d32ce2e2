// The shape, curve and plot commands are not built yet: each ends the run with a run error that
// names the command, never silently.
#include "commands/Commands.h"
#include "interpreter/RunErrors.h"

void TraceQA(int) { NonDisponible(); }
void TracePlus(int) { NonDisponible(); }
void TraceX(int) { NonDisponible(); }
void TracePercer(int) { NonDisponible(); }
void TraceVoyant() { NonDisponible(); }
void TracePoly() { NonDisponible(); }
void TracePolyR(int, const QString&) { NonDisponible(); }
void TraceDemiLune(int) { NonDisponible(); }
void TraceFleche(int) { NonDisponible(); }
void TraceImage() { NonDisponible(); }
void TracePalCoul(int) { NonDisponible(); }
void CmdChain(const QString&) { NonDisponible(); }
void TraceBezier(int, const QString&) { NonDisponible(); }
