#pragma once

#include <QString>

// The value an assignment stores, according to OperateurAffect.
QString ValeurAffectation(QString& texte);
// The "#expr#" insertions of a text.
QString EvalueDieses(const QString& texte);
// The "TXT(" and "ARR" display functions.
QString FonctionsTxtArr(const QString& texte);
// The text before the first SepSousParam.
QString AvantSousSep(const QString& texte);
