#pragma once

#include <QString>
#include <cstdint>

// Collects the labels ("NAME:" lines) of a level's text; a duplicate raises a run error.
void ReleveEtiquettes(int niveau);
// Position of a label's line in the level's text, 0 when there is none.
int32_t ChercheEtiquette(const QString& nom, int niveau);
// Opens one block-If depth; over MaxIf is a run error.
void EmpileIf(int niveau);
// Clears the If state of a level (STOP, a cancelled INPUT).
void EffaceEtatIf(int niveau);
