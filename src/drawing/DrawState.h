#pragma once

// The output state of a run in drawing units (millimetres, y up): the current surface, the scale,
// the pen, the rotation, the text placement ratios, the origins, the CT point and the colour.

#include <QPoint>
#include <QString>
#include <cstdint>
#include <vector>

class OutputSurface;

extern OutputSurface* Sortie;

// Each group below is one struct with one instance; its default value is its reset, and a command
// that draws with its own settings saves and restores a group (or a part of it) in one assignment.

// The current point and its turned copy, the current level's 0,0 in drawing units, the global
// origin (CentreE/CentreI/CentreEI) and the CT point.
struct EtatRepere {
  float XCourant = 0, YCourant = 0, XRot = 0, YRot = 0;
  double OrigineX = 0, OrigineY = 0;
  double OrigineBaseX = 0, OrigineBaseY = 0;
  float CTx = 0, CTy = 0;
  // The CT point as given, before its rotation: an empty x or y field of the next CT builds on it.
  float CTxNonTourne = 0, CTyNonTourne = 0;
};
extern EtatRepere Repere;

// The scale of the run: the zoom factor, the scales of the output and its size.
struct EtatCadrage {
  double FacteurEchelle = 1.0;
  double EchelleX = 1.0, EchelleY = 1.0, EchelleEcranX = 1.0, EchelleEcranY = 1.0;
  double LargeurMm = 0, HauteurMm = 0, LargeurDessin = 0, HauteurDessin = 0;
};
extern EtatCadrage Cadrage;

constexpr float SansFinTiret = 999.99f;

// The line style of the pen: the end type and the dash pattern (dash L1, gap L2, dash L3, gap L2).
// The phase is the current piece (0 to 3); the last end lets the next segment that starts there
// carry the pattern on.
struct StyleTrait {
  int16_t BoutCarre = 0;  // 0 round ends, -1 square
  float TiretL1 = 0, TiretL2 = 0, TiretL3 = 0, ResteTiret = 0;
  int16_t PhaseTiret = 0;
  float FinTiretX = SansFinTiret, FinTiretY = SansFinTiret;
};

// The pen: its width, its style, the stretch of a shape's outline and the square-ended piece being
// drawn (the saved DrawWidth and the half-width vector). A command with its own line style keeps
// the width and the style it replaced in EpaisseurSauve and StyleSauve.
struct EtatPlume : StyleTrait {
  float EpaisseurTrait = 1, EpaisseurSauve = 1;
  float FacteurTraitX = 1, FacteurTraitY = 1;
  int16_t LargeurCarree = 1;
  float DemiLargeurX = 0, DemiLargeurY = 0;
  StyleTrait StyleSauve;
  bool EpaisseurLocale = false, StyleLocal = false;
};
extern EtatPlume Plume;

// Polygon vertices in drawing units relative to the current origin, and in device pixels, and the
// centre about which PointPoly and PointPolyR turn the vertices of their own turn.
struct PointXY {
  float x = 0;
  float y = 0;
};
struct EtatSommets {
  std::vector<PointXY> PtsPoly;
  std::vector<QPoint> PtsPolygone;
  float CentrePolyX = 0, CentrePolyY = 0;
};
extern EtatSommets Sommets;

// The running length of Trait and the variable that receives it. Both last as long as the
// program: across commands, levels and runs, until a Trait names a variable again.
struct EtatCumul {
  QString VarLongueurTrait;
  float LongueurTrait = 0;
};
extern EtatCumul Cumul;

// The text sizes and the placement ratios of the current font (the imposed ones win when set).
struct EtatLettrage {
  float TailleTexte = 8, TailleTexteImp = 8, TailleTexteEcran = 8;
  float RapportAscent = 0.8f, RapportTexteB = 0.3f, RapportTexteC = 0.8f;
  float RapportAscentImpose = 0, RapportTexteBImpose = 0, RapportTexteCImpose = 0;
};
extern EtatLettrage Lettrage;

// The rotation of the current command (stored negated) and whether the command gave one.
struct RotationCommande {
  float AngRotDeg = 0, AngRotRad = 0;
  bool AngRotDonne = false;
};
// With the default rotation (stored negated) and the deepest program level to which AngRot hands
// it down.
struct EtatRotation : RotationCommande {
  float AngRotDefaut = 0;
  int16_t NiveauMaxAngRot = 0;
};
extern EtatRotation Rotation;

// The current colour and the colour of the command being drawn.
struct EtatEncre {
  int32_t CouleurCourante = 0;
  int32_t CouleurCmd = 0;
};
extern EtatEncre Encre;

// Millimetres per device pixel of the current surface (screen or printer).
double MmParPixel();
// Whether the current surface is the screen.
bool SortieEstEcran();

// Every group above back to its default value.
void RazEtatDessin();
