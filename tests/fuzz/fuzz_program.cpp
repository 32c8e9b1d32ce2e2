// Whole programs in a folder of data, point, picture and command files (see FuzzProgram.h).

#include <cstddef>
#include <cstdint>

#include "FuzzProgram.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
  ExecuteProgrammeFuzz(donnees, taille);
  return 0;
}
