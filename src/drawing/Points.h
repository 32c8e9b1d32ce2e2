#pragma once

// The point written in two consecutive parameter fields: absolute («10, 20»), relative to the
// previous point with an "R" flag («10R, 5§R»), or polar from it («45°, 10»). Displacements are
// multiplied by FacteurTraitX / FacteurTraitY. A malformed point is a run error.

#include <QString>

// Reads fields i and i + 1 of the text; an empty field reads 0.
void LitPoint(double& x, double& y, const QString& texte, int i, double xPrec, double yPrec);
// As LitPoint, with the unknown-variable detail in DetailErreur, an empty field keeping the
// previous coordinate, and under a default rotation the x-relative test that leaves "§R" to the
// rotation sub-field.
void LitPointVar(double& x, double& y, const QString& texte, int i, double xPrec, double yPrec);
