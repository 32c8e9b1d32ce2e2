#pragma once

// Conditions evaluated by rewriting their text: text functions become numbers, comparisons and
// the logical words become the digits "1" (true) and "0" (false) until one value is left. Text
// conditions compare texts as written, groups in parentheses first.

#include <QString>
#include <optional>

// Rewrites the text functions (INS, NBP, NB§, NBCR, LEN) of a condition or of an evaluated
// assignment, then evaluates it: a number when it holds no comparison and no logical word, else
// 1 or 0. nullopt for a blank text (read as 0 and as false).
std::optional<double> EvalueFonctionsTexte(QString& texte);

// Reduces a condition holding logical words (no blanks, upper case) to "1" or "0".
void EvalueLogique(QString& texte);
// An operand without parentheses of its own: NOT, XOR, OR, AND split at their first occurrence,
// else one comparison; a bare value is false here.
bool EvalueCondition(const QString& texte);
// One comparison, exact on the evaluated doubles; a bare value is true when not 0.
bool EvalueComparaison(const QString& texte);
// Whether the text holds "<", "=" or ">".
bool ContientComparaison(const QString& texte);

// The detail of a run error for groups nested deeper than an evaluator holds.
QString TexteParenthesesTropProfondes(int maximum);
// A text condition (IFT, ELSEIFT): groups in parentheses are reduced from the innermost outwards,
// then the whole text is compared. nullopt for an empty condition (read as false).
std::optional<bool> EvalueConditionTexte(QString& texte);
// Logical words between blanks and one relation between two texts compared as written.
std::optional<bool> CompareTextes(const QString& texte);
