#pragma once

// The numeric expression evaluator. It works by rewriting the text in place: each operation
// replaces its operands and operator by the text of its single-precision result, until one number
// is left. Every failure raises ErreurExecution without a detail text of its own, but for groups
// nested deeper than its stack holds.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// Nesting stack of the reduction: entry L is the 1-based position just after the "(" that opened
// recursion level L; entry 0 is the start of the whole expression. Reset by each Calcule.
struct PileCalcul {
  std::array<int16_t, 51> PosParCalc{};
  int16_t NivParCalc = 0;
};
extern PileCalcul Calcul;

// Evaluates a numeric expression; the text is rewritten with the reduced result (padded with three
// blanks before and one after). nullopt for a blank text (read as 0); an empty text is "0".
std::optional<double> Calcule(QString& texte);
// The same by rewriting alone: Calcule takes a shortcut for a plain number and for two numbers and
// an operator, which must give exactly what this gives.
std::optional<double> CalculeReduction(QString& texte);
// Reduces the group of level NivParCalc (and, first, every group to its right) in place.
void CalculeExpression(QString& texte);
// From the first character of a number to its last.
void FinNombre(const QString& texte, int& position);
// From the last character of a number (a digit) back to its first; the sign is not included.
void DebutNombre(const QString& texte, int& position);
// Radians; the arguments outside [-1, 1] give the end values instead of a domain error.
double ArcSin(double x);
double ArcCos(double x);
// The size multiplier "*n" or "*(expression)" of a parameter. The text loses its blanks; an
// expression in parentheses is evaluated and removed from it, leaving the "*".
float LitMultiplicateur(QString& texte);
