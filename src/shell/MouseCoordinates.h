#pragma once

// What the drawing view shows of the mouse: its position measured from the reference cursor (or
// from the marked point while Alt is held), the angle and distance from that point, and the
// coordinates a double-click inserts into the program. Everything here is in drawing units and
// works without widgets.

#include <QString>
#include <Qt>

// Button bits: 1 left, 2 right, 4 middle; shift bits: 1 Shift, 2 Ctrl, 4 Alt.
constexpr int BoutonGauche = 1;
constexpr int BitShift = 1;
constexpr int BitCtrl = 2;
constexpr int BitAlt = 4;
int BitsBoutons(Qt::MouseButtons boutons);
int BitsModificateurs(Qt::KeyboardModifiers modificateurs);

struct EtatSouris {
  float SourisX = 0, SourisY = 0;    // last mouse position
  float MarqueX = 0, MarqueY = 0;    // last Alt+press: the measuring reference while Alt is held
  float DernierX = 0, DernierY = 0;  // last press
  bool ModeAffichage = false;        // the angle box shows "A" values (else "T" values)
  // The measure of the last move.
  float XRefMesure = 0, YRefMesure = 0;
  float XMesure = 0, YMesure = 0;
  float DistanceMesure = 0, AngleMesure = 0;
};
extern EtatSouris Souris;
void RazEtatSouris();

// The box texts of one mouse move.
struct AffichageSouris {
  QString Coordonnees;
  QString Angle;
  bool Rouge = false;  // unrotated values from the base origin (Shift)
  bool Vert = false;   // measured from the marked point (Alt)
};

// A mouse move at (x, y): keeps the position and the measure in Souris and gives the texts of the
// coordinate and angle boxes. `saisieSouris`: a mouse drawing records points.
AffichageSouris MesureSouris(float x, float y, int shift, bool saisieSouris = false);
// The angle box from the last measure: "T" angle or "A" (180 - angle), then the distance; `court`
// drops a zero decimal (the box's double-click).
QString TexteAngleSouris(bool court);
// The undo counters' box.
QString TexteAnnulations(int indexAnnul, int nbAnnul, int nbRefaire);

// A press with Ctrl while recording: the point moves onto the horizontal, the diagonal or the
// vertical through the last point, whichever its direction is nearest.
void AimantePoint(float& x, float& y, float dernierX, float dernierY);

// The coordinate box as the program writes a point: "12.5  7.3" gives "12.5,7.3" (with the first
// character of the parameter separator). Empty when the box holds no pair.
QString CoordonneesInserees(const QString& texteBoite, const QString& separateur);
// The point of an inserted pair: the leading numbers before and after the separator.
void LitCoordonnees(const QString& paire, const QString& separateur, double& x, double& y);
// The text inserted at the caret (`caret` characters of `texte` before it, line breaks as CR LF):
// a separator and a blank go before the pair unless the caret follows "=", "'" or a separator
// (blanks skipped), and a line of "Trait" whose three separators stand before the caret gets two
// more, so that the point becomes the next segment's start.
QString TexteInsertionPoint(const QString& paire, const QString& texte, int caret, const QString& separateur);
