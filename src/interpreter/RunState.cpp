#include "interpreter/RunState.h"

#include "drawing/DrawState.h"
#include "interpreter/Graduations.h"
#include "interpreter/ScaleState.h"
#include "platform/Events.h"
#include "platform/RunError.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"

EtatTravail Travail;

void RazEtatRun() {
  RazEtatNiveaux();
  Incident = {};
  RazEtatDessin();
  Echelle = {};
  Graduations = {};
  Travail = {};
  Calcul = {};
  AnalyseParam = {};
  Arret = false;
}
