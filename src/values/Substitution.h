#pragma once

#include <QString>

// Resolves the variable references of a text in place. True when it stopped at a name that is no
// variable (the caller raises its "non initialisée" run error).
bool SubstitueVariables(QString& texte);
