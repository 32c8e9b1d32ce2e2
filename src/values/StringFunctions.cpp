#include "values/StringFunctions.h"

QString FonctionsChaine(const QString& texte) { return texte; }
