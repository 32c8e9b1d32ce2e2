#pragma once

// Graduation marks and value labels laid along the current scale line (ScaleState.h), and the
// graduation iterator they share: evenly by index on a linear or power-law scale, by decades and
// mantissa sub-steps on a logarithmic one.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/Legacy.h"

// ---- the graduation iterator (one set for the whole interpreter) ----
struct EtatGraduations {
  // Linear: the index raised to the level's exponent; logarithmic: the fraction of the scale.
  float ValeurGrad = 0;
  // Logarithmic runs: mantissa step at the start of each decade (PasLog and LimitePasLog are in
  // ScaleState.h) and the mantissa below which a decade has no mark.
  float PasLogDebut = 0, SeuilPasLog = 1.0f;
  // First and last value of a logarithmic run, split into mantissa and power of ten.
  float GradDebut = 0, GradDebutMant = 0, GradFin = 0, GradFinMant = 0;
  int16_t GradDebutExp = 0, GradFinExp = 0;
  // The last candidate examined (marked or skipped) and the candidate being examined.
  float MantisseGrad = 0, MantisseSuiv = 0;
  int16_t ExposantGrad = 0, ExposantSuiv = 0;
  // Grad1, Val1: the current value was written with a degree sign (a direct angle or position).
  bool ValeurEnDegres = false;
};
extern EtatGraduations Graduations;

// The stop index of a logarithmic run: the counter takes it at the last value, and one more when
// the run ends between marks.
constexpr int IndiceFinLog = 10;

// Starts a run. Linear: the counter becomes first - 1. Logarithmic: the first mark is the start
// mantissa rounded up to the step, and the counter is 0. A step of 0 or less is a run error.
void DebutGraduations(int& compteur, double premier, int niveau);
// Advances to the next mark and sets ValeurGrad, or sets the counter to the stop index (the last
// mark) or past it (nothing more to draw). A counter, power of ten or candidate that would leave
// its range or stop advancing is a run error.
void GraduationSuivante(int& compteur, int niveau);

// ---- the commands (the order check is the dispatcher's) ----
void CmdGrad(int niveau);
void CmdGrad1(int niveau);
// Val, ValR, ValD: one label per graduation of a run.
void CmdVal(int niveau);
// Val1, Val1R, Val1D: labels at given values, optionally one per element of a list variable.
void CmdVal1(int niveau);

// x as mantissa "E" power (1.5E3), x replaced by its mantissa; x <= 0 is a run error.
QString NotationScientifique(float& x);
// The same with a power that is a multiple of 3 (12.5E3, 250E-3).
QString NotationIngenieur(float& x);

// ---- shared with the value labels ----
enum class GenreEchelle { Arc, Horizontale, Verticale };
// The kind of the current scale, told from its extents; a scale of no extent is a run error.
GenreEchelle GenreEchelleCourante();
// Start and end of the scale along its kind: angles, x or y.
double DebutEchelle(GenreEchelle genre);
double FinEchelle(GenreEchelle genre);
// The position along the scale of a Grad1/Val1 value: a direct angle or coordinate when written
// with the degree sign, else by the level's law (percentage of the scale, or logarithmic).
double PositionValeur(GenreEchelle genre, double v, bool enDegres, int niveau);
// The point at distance 'longueur' from the scale line at position p (the outer end of a mark,
// or a label's anchor); t (radians) turns it on a straight scale.
void PointExterieur(GenreEchelle genre, double p, double longueur, double t, double& x, double& y);
// The fields of a logarithmic run: step§limit§threshold (PasLogDebut, LimitePasLog default 10,
// SeuilPasLog default 1), the first and the last value (0 or empty: the scale's ends), each split
// into mantissa and power of ten.
void LitChampsLog(const QString& param, int champPas, int champDebut, int champFin);
// A numeric sub-field of a text field (evaluated); nullopt when empty.
std::optional<double> SousChampNum(const QString& champ, int n);
// The colour of the text from field n on; a blank field n gives the current colour.
int32_t CouleurChamp(const QString& param, int n);
// A stop request (Esc) ends a long loop with a run error; tested every few thousand rounds.
void TesteArretBoucle(long tours);
// A group whose value field ends in "§%list" runs once per field of that variable: the slot of the
// list (0 when there is none) and the number of runs.
void ListeDuGroupe(const QString& champBrut, int& slot, int& elements);
// Runs a Grad1/Val1 group once per element of its list: ChampListe names the element, and `corps`
// gets its number and the value of field 1 read for it (ValeurEnDegres set). The list's slot is
// let go however the group ends.
void PourChaqueValeur(const QString& param, int slot, int elements,
                      const std::function<void(int, double)>& corps);
// The step count and the first and last values of Grad and Val (field 1 and the two given fields);
// on a log scale the fields are read as decades. A count of 0 counts as 1.
void LitPasEtBornes(const QString& param, bool log, int champPremier, int champDernier, double& n,
                    double& premier, double& dernier);
// The part of the scale between two graduations of a linear or power run of n steps (1 on a log
// scale, whose positions come from the law); an infinite one is a run error.
double PasGraduations(GenreEchelle genre, double n, int niveau);

// The run of a Grad or Val line: from the first graduation asked to the last, `pose` gets the
// counter and the graduation's position along the scale.
template <class Pose>
void ParcourtGraduations(GenreEchelle genre, double n, double premier, double dernier, int niveau,
                         Pose&& pose) {
  const double debut = DebutEchelle(genre);
  const double unite = PasGraduations(genre, n, niveau);
  const double arret = legacy::Fix(dernier);
  int compteur = 0;
  DebutGraduations(compteur, premier, niveau);
  long tours = 0;
  do {
    TesteArretBoucle(++tours);
    GraduationSuivante(compteur, niveau);
    if (compteur <= arret) pose(compteur, debut + Graduations.ValeurGrad * unite);
  } while (compteur < arret);
}
