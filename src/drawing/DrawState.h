#pragma once

// The output state of a run in drawing units (millimetres, y up): the current surface, the scale,
// the pen, the rotation and the text placement ratios.

#include <QString>
#include <cstdint>

class OutputSurface;

extern OutputSurface* Sortie;

// Current point and its turned copy.
extern float XCourant, YCourant, XRot, YRot;

// Scale of the run.
extern double FacteurEchelle;
extern double EchelleX, EchelleY, EchelleEcranX, EchelleEcranY;
extern double LargeurMm, HauteurMm, LargeurDessin, HauteurDessin;

// Pen.
extern float EpaisseurTrait, EpaisseurSauve;
extern int16_t BoutCarre;  // 0 round ends, -1 square
extern float TiretL1, TiretL2, TiretL3, ResteTiret;
extern float FacteurTraitX, FacteurTraitY;

// Texts.
extern float TailleTexte, TailleTexteImp, TailleTexteEcran;
extern float RapportAscent, RapportTexteB, RapportTexteC;
extern float RapportAscentImpose, RapportTexteBImpose, RapportTexteCImpose;

// Rotation of the current command and the default one (both stored negated).
extern float AngRotDeg, AngRotRad, AngRotDefaut;
extern bool AngRotDonne;

// Millimetres per device pixel of the current surface (screen or printer).
double MmParPixel();
// Whether the current surface is the screen.
bool SortieEstEcran();

void RazEtatDessin();
