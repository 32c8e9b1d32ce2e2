#include "interpreter/RunState.h"

#include "drawing/DrawState.h"
#include "interpreter/ScaleState.h"
#include "platform/Events.h"
#include "platform/RunError.h"
#include "values/Levels.h"

QString LigneBrute;
QString TexteTravail, TexteTravail2;
QString ReponseInput;
bool PSetFait = false;
int NumFicAjout = 0;

void RazEtatRun() {
  RazEtatNiveaux();
  RazErreurRun();
  RazEtatDessin();
  RazEtatEchelle();
  LigneBrute.clear();
  TexteTravail.clear();
  TexteTravail2.clear();
  ReponseInput.clear();
  PSetFait = false;
  NumFicAjout = 0;
  Arret = false;
}
