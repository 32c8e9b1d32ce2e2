#pragma once

#include <QString>

// Resolves the variable references of a text in place: "VAR(name)", %variables of the current,
// calling and global levels, indexed references and the system variables. True when it stopped at
// a name that is no variable (the caller raises its "non initialisée" run error).
bool SubstitueVariables(QString& texte);

// Longest text a replacement may leave.
constexpr int LongueurMaxLigne = 4096;
