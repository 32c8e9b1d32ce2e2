#pragma once

#include <QString>

// The value an assignment stores, according to OperateurAffect: "=" substitutes (the text is
// rewritten in place) and evaluates, "<" keeps the text as it is, anything else trims it.
QString ValeurAffectation(QString& texte);
// The "#expr#" insertions of a text ("##" stands for one "#"), numbers in the locale's form.
QString EvalueDieses(const QString& texte);
// The "TXT(" (locale decimal separator) and "ARRd(" (rounded to d decimals) display functions.
QString FonctionsTxtArr(const QString& texte);
// The text before the first SepSousParam.
QString AvantSousSep(const QString& texte);
