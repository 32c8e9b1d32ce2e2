#pragma once

// The pen of the line primitive as programs write it: "width[mm]§TT§L1§L2§L3" (width in printer
// pixels or in millimetres, "C" square or "R" round ends, dash, gap and second-dash lengths).

#include <QString>

// Reads a line style for a program level: sets the end type and the dashes and returns the width
// in device pixels, not rounded (0 when the text gives none). Does not set DrawWidth. The dash
// lengths of a negative L1 come from the current level's record, the remainder, phase and last
// end from the record of 'niveau'.
float LitEpaisT(const QString& texte, int niveau);
float LitEpaisT(const QString& texte);
// A command's own line style: saves the pen and applies the style for that command.
void EpaisTLocale(const QString& texte);
// Puts back the pen that EpaisTLocale saved.
void RestaureEpaisT();
// A command's own line style, put back when the guard ends (also when the command fails): applied
// at once from the style text, or by Applique once the command has read it; Fin puts it back early.
class GardeEpaisT {
 public:
  GardeEpaisT() = default;
  explicit GardeEpaisT(const QString& style) { Applique(style); }
  ~GardeEpaisT() { Fin(); }
  GardeEpaisT(const GardeEpaisT&) = delete;
  GardeEpaisT& operator=(const GardeEpaisT&) = delete;
  void Applique(const QString& style) {
    EpaisTLocale(style);
    actif_ = true;
  }
  void Fin() {
    if (actif_) RestaureEpaisT();
    actif_ = false;
  }

 private:
  bool actif_ = false;
};
// Sets only the width ("mm" in any case); a style with sub-fields also makes the line solid.
void FixeEpaisseur(const QString& texte);
