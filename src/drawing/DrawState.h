#pragma once

// The output state of a run in drawing units (millimetres, y up): the current surface, the scale,
// the pen, the rotation, the text placement ratios, the origins, the CT point and the colour.

#include <QPoint>
#include <QString>
#include <cstdint>
#include <vector>

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
// Dash pattern: dash L1, gap L2, dash L3, gap L2. The phase is the current piece (0 to 3); the
// last end lets the next segment that starts there carry the pattern on.
extern int16_t PhaseTiret;
extern float FinTiretX, FinTiretY;
constexpr float SansFinTiret = 999.99f;
// The square-ended piece being drawn: the saved DrawWidth and the half-width vector.
extern int16_t LargeurCarree;
extern float DemiLargeurX, DemiLargeurY;
// The pen saved while one command draws with its own line style.
extern int16_t BoutCarreSauve, PhaseTiretSauve;
extern float TiretL1Sauve, TiretL2Sauve, TiretL3Sauve, ResteTiretSauve, FinTiretXSauve, FinTiretYSauve;
extern bool EpaisseurLocale, StyleLocal;

// Polygon vertices in drawing units relative to the current origin, and in device pixels.
struct PointXY {
  float x = 0;
  float y = 0;
};
extern std::vector<PointXY> PtsPoly;
extern std::vector<QPoint> PtsPolygone;
// The centre about which PointPoly and PointPolyR turn the vertices of their own turn.
extern float CentrePolyX, CentrePolyY;

// The running length of Trait and the variable that receives it. Both last as long as the
// program: across commands, levels and runs, until a Trait names a variable again.
extern QString VarLongueurTrait;
extern float LongueurTrait;

// Texts.
extern float TailleTexte, TailleTexteImp, TailleTexteEcran;
extern float RapportAscent, RapportTexteB, RapportTexteC;
extern float RapportAscentImpose, RapportTexteBImpose, RapportTexteCImpose;

// Rotation of the current command and the default one (both stored negated).
extern float AngRotDeg, AngRotRad, AngRotDefaut;
extern bool AngRotDonne;

// The current level's 0,0 in drawing units, the global origin (CentreE/CentreI/CentreEI) and the
// CT point.
extern double OrigineX, OrigineY;
extern double OrigineBaseX, OrigineBaseY;
extern float CTx, CTy;

// The current colour and the colour of the command being drawn.
extern int32_t CouleurCourante;
extern int32_t CouleurCmd;

// Millimetres per device pixel of the current surface (screen or printer).
double MmParPixel();
// Whether the current surface is the screen.
bool SortieEstEcran();

void RazEtatDessin();
