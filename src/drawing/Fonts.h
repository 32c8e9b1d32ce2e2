#pragma once

// Texts at any angle: the rotated font built for one text, the output of one turned text, the
// placement ratios of the current font and the text aligned on any of nine points about the
// current point.

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/OutputSurface.h"

// The font a rotated text is built from: the output's font and the attributes the device font
// description carries besides.
struct PoliceLogique {
  QString Name;
  double Size = 8.0;  // points
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool Strikethrough = false;
  int Weight = 400;
  int Charset = 0;  // 0 ANSI, 255 OEM
};
// The output's font, with the weight that its boldness implies.
PoliceLogique PoliceLogiqueDe(const PoliceSortie& police);

// The device font a CLogFont builds, field by field.
struct DescriptionPolice {
  int32_t Hauteur = 0;  // minus the em height in pixels
  int32_t Largeur = 0;
  int32_t Echappement = 0;  // tenths of a degree, anticlockwise
  int32_t Orientation = 0;
  int32_t Graisse = 400;
  bool Italique = false;
  bool Souligne = false;
  bool Barre = false;
  int JeuCaracteres = 0;
  int PrecisionSortie = 0;  // 7: outline fonts only
  int PrecisionDecoupe = 0;
  int Qualite = 2;
  int PasEtFamille = 0;
  QString NomFace;  // at most 31 characters
};

// Nudges the escapement of texts at exact right angles by 0.2 degree (option 0 of the
// configuration's "Patchs =" mask; the desktop program sets it).
extern bool PatchAnglesDroits;

// Pixels per inch of the device the texts go to (96 when there is no output).
double PixelsParPouceSortie();

// A font turned by an angle. A new object holds no font, no handle and a rotation of 0; the
// handle always matches the font and the rotation, and stays owned by the object.
class CLogFont {
 public:
  explicit CLogFont(double pixelsParPouce = PixelsParPouceSortie()) : pixelsParPouce_(pixelsParPouce) {}
  ~CLogFont();
  CLogFont(const CLogFont&) = delete;
  CLogFont& operator=(const CLogFont&) = delete;

  // A copy of the font (nullopt for none) and the device font built from it.
  void SetLogFont(const std::optional<PoliceLogique>& police);
  const std::optional<PoliceLogique>& LogFont() const { return m_Font; }
  // Degrees, anticlockwise; an equal angle builds nothing.
  void SetRotation(float rotation);
  float Rotation() const { return m_Rotation; }
  // 0 when there is no device font.
  int32_t Handle() const { return m_hFont; }
  // The description of the device font of the handle.
  const DescriptionPolice& Description() const { return description_; }

  // Device fonts built since the program started (each creation counts).
  static int64_t PolicesCreees();
  // Whether a rotation turns the text (its whole degrees are not a multiple of 360).
  static bool EstTournee(float rotation);

 private:
  int32_t CreePolice();
  void SupprimePolice();

  std::optional<PoliceLogique> m_Font;
  int32_t m_hFont = 0;
  float m_Rotation = 0;
  double pixelsParPouce_;
  DescriptionPolice description_;
};

// The font of the last text drawn at an angle.
extern std::unique_ptr<CLogFont> PoliceRot;

// The cell metrics of the last measurement that the surface could give (zeros before any).
extern MetriquesPolicePx MetriquesTexte;

// One text whose base line starts at the current position (on the printer at the device point
// x, y), turned anticlockwise by 'angle' degrees, in the output's font and ForeColor.
void EcritTexteRotation(double x, double y, double angle, const QString& texte);
// Puts the current point at (x, y), absolute drawing units, and writes the text there at the
// angle; nothing is drawn for an empty text or the colour "N".
void EcritTextePoint(float x, float y, const QString& texte, double angle);
// RapportAscent and RapportTexteB from the output's current font.
void MetriquesPolice();
// One text of width w and height h (drawing units, both positive) at the current point, aligned
// by the letters ("G" start, "D" end, else middle; "B" base line, "H" top of the capitals, else
// their middle), turned by textAngle + commandAngle degrees after the current point itself has
// been turned by commandAngle about the current origin. The current point ends at the text's end.
void EcritTexteAligne(double w, double h, double angleTexte, const QString& texte, const QString& lettres,
                      double angleCommande);

// Sets the output's font name; "Pas de police %1" when the platform has no such font and 'avertit'.
void ChoisitPolice(const QString& nom, bool avertit = true);

// ---- the style field of the text commands (upper case) ----
// Bold "G" or "B", italic "I", underline "S" or "U".
void AppliqueStyle(const QString& style);
// The size: "*k" or "*(expression)" gives TailleTexte x FacteurEchelle x k (the style loses its
// blanks and the expression), else a leading number n > 0 gives n x FacteurEchelle; otherwise the
// size is kept.
void AppliqueTaille(QString& style);
// The angle in degrees written after the first "R": every "#" removed, cut before the first
// SepSousParam, stripped of the trailing letters of 'lettresFin'. An "R" without an angle is a run
// error.
double AngleStyle(const QString& style, const QString& lettresFin);

// The output's font, given back when the guard ends (also when the command fails).
class GardePolice {
 public:
  explicit GardePolice(bool avecNom = true);
  ~GardePolice();
  GardePolice(const GardePolice&) = delete;
  GardePolice& operator=(const GardePolice&) = delete;

 private:
  PoliceSortie sauve_;
  bool avecNom_;
};
