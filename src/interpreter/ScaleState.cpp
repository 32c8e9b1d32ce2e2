#include "interpreter/ScaleState.h"

double ArcAngleDebut = 0, ArcAngleFin = 0;
double VTrav7 = 0;
double ArcRayonDonne = 0;
double DecalPivot = 0;
CouleurLue CouleurPivot;
double ArcRayonDebut = 0, ArcRayonFin = 0;
double ArcRadDebut = 0, ArcRadFin = 0;
double PivotX = 0, PivotY = 0;
double DroiteX1 = 0, DroiteX2 = 0, DroiteY1 = 0, DroiteY2 = 0;
bool EchelleTracee = true;
double AngleCmd = 0, AngleCmdRad = 0;
int16_t SensInversion = 1;

int16_t LogDecades = 0;
float LogDebut = 0, LogFin = 0, LogDecadesTotal = 0;

float PasLog = 0, LimitePasLog = 10.0f;

void RazEchelleRun() {
  DecalPivot = 0;
  SensInversion = 1;
}

void RazEtatEchelle() {
  ArcAngleDebut = ArcAngleFin = 0;
  VTrav7 = 0;
  ArcRayonDonne = 0;
  DecalPivot = 0;
  CouleurPivot = CouleurLue();
  ArcRayonDebut = ArcRayonFin = 0;
  ArcRadDebut = ArcRadFin = 0;
  PivotX = PivotY = 0;
  DroiteX1 = DroiteX2 = DroiteY1 = DroiteY2 = 0;
  EchelleTracee = true;
  AngleCmd = AngleCmdRad = 0;
  SensInversion = 1;
  LogDecades = 0;
  LogDebut = LogFin = LogDecadesTotal = 0;
  PasLog = 0;
  LimitePasLog = 10.0f;
}
