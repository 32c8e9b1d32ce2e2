#pragma once

// The Patches command of the Options menu: numbered behaviour switches kept as a bit mask in the
// configuration ("Patchs ="). The mask itself and its decoding are in Config.h.

#include <QString>
#include <cstdint>

// The prompt: message 121, the active patch numbers (" 1, 3"), two line breaks and message 122.
QString InvitePatchs(int16_t patchs);

enum class SuitePatch {
  Fin,        // empty answer: no change
  Redemande,  // 0, 16 or more, or no 16-bit number: the prompt is shown again
  Applique,   // the mask has been changed (or left as it was by a patch that was not active)
};

// Applies one answer to `patchs`: n from 1 to 15 sets patch n, -n clears it (below -15 nothing).
SuitePatch ReponsePatch(const QString& reponse, int16_t& patchs);

// The command: asks until the answer is empty or applies, then decodes and writes the mask.
void Mnu_Patchs_Click();
