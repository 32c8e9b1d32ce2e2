#pragma once

#include <QString>

// The system variables of a level in two columns, an empty line, then its user variables sorted
// by name (the LISTEVAR listing and the run-error report).
QString ListeVariables(int niveau);
