// The pen of the drawing layer is not built yet.
#include "drawing/Pen.h"
#include "interpreter/RunErrors.h"

float LitEpaisT(const QString&) { NonDisponible(); }
