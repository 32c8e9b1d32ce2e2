#pragma once

#include <QString>

// Expands the text functions of a parameter: LEFd("..."), LEFL("..."), RIGd("..."), RIGR("..."),
// UCAS("...") and REPL("...","...","..."). Names are matched without regard to case; the texts
// keep theirs.
QString FonctionsChaine(const QString& texte);
