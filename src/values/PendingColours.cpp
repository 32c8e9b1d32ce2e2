// Colour texts are read by the value layer's colour reader, not built yet.
#include "interpreter/RunErrors.h"
#include "values/Colours.h"

int32_t ValeurCouleur(const QString&) { NonDisponible(); }
