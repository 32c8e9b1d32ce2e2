#pragma once

#include <QString>
#include <cstdint>

// The colour value of a colour text: a name, an "RGB"/"RVB" triple, "N" (-1: nothing drawn).
int32_t ValeurCouleur(const QString& texte);
