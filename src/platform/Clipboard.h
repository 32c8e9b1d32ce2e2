#pragma once

#include <QString>

// The system clipboard, text only (offscreen in the tests).
QString PressePapiersTexte();
void PressePapiersEcrit(const QString& texte);
void PressePapiersEfface();
