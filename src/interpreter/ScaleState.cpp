#include "interpreter/ScaleState.h"

EtatEchelle Echelle;

void RazEchelleRun() {
  Echelle.DecalPivot = 0;
  Echelle.SensInversion = 1;
}
