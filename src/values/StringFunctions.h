#pragma once

#include <QString>

// Expands the text functions (left part, right part, upper case, replace) of a parameter.
QString FonctionsChaine(const QString& texte);
