#pragma once

// The 64 variable slots of each program level and the three ways a variable is written.

#include <QString>

void InitNiveau(int niveau);
// The run error of a level that can take no more variables, with the limit in its reason.
[[noreturn]] void TropDeVariables(int maximum);
void RazVariablesNiveau(int niveau);
// Slot 1..64 of the variable, 0 when absent. The name may be the start of an expression or of an
// assignment ("%R*2", "%R = 5", "%R°"): it is cut before the first operator or separator.
int IndiceVariable(const QString& nom, int niveau);
int IndiceVariable(QStringView nom, int niveau);
// Stores a number (Single: 7 significant digits; Double: 15) as invariant text.
void StockeVariable(int& niveau, QString& nom, float valeur);
void StockeVariable(int& niveau, QString& nom, double valeur);
// Stores a text; the slot is left in IndiceTravail.
void StockeTexteVariable(int niveau, QString& nom, const QString& valeur);
// Creates a variable of NiveauCourant from an assignment line; returns the slot (also in IndiceTravail).
int AffecteVariable(const QString& nomTexte, const QString& valeurTexte);
