#pragma once

// The language settings that the desktop program writes into its configuration and Qt's texts
// that follow them.

#include "platform/LanguageSettings.h"

// Writes the four keys with the current language names into the configuration.
bool EcritLangues();

// Qt's own texts (file, print and colour dialogs, standard buttons) in the menu language, from
// Qt's installed translations; English, or a language without them, leaves Qt's own English.
void ChargeTraductionsQt();
