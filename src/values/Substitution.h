#pragma once

#include <QString>

// Resolves the variable references of a text in place: "VAR(name)", %variables of the current,
// calling and global levels, indexed references and the system variables. True when it stopped at
// a name that is no variable (the caller raises its "non initialisée" run error).
bool SubstitueVariables(QString& texte);

// The system variables that read the drawing state (%ZOOM, %COUL, %IMP, %TAP, %EPT, %CTX, %CTY,
// %POL and %AR0) are answered by the drawing layer, which owns that state: drawing/DrawState.cpp
// hands its reader over when the program starts. The reader gives the value of one such name
// (upper case), or an empty text for any other name.
using LecteurVariableDessin = QString (*)(QStringView nom);
void DefinitLecteurDessin(LecteurVariableDessin lecteur);

// Longest text a replacement may leave.
constexpr int LongueurMaxLigne = 4096;
