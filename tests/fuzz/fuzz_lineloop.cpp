// Feeds arbitrary bytes as a program text through the screen's run request. Every input must
// return: run errors are messages, never crashes, and the statement bound ends endless loops.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzApplication.h"
#include "HeadlessRun.h"
#include "interpreter/Interpreter.h"
#include "interpreter/RuntimeCommands.h"
#include "platform/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
  AssureApplicationFuzz();
  LimiteInstructions = 10000;
  LancementsInterdits = true;
  // A fresh session per input, so that nothing recorded by one run is kept for the next.
  SessionHeadless session(200, 150, 96.0);
  // Decoded as a program file is: UTF-8 when valid, else Windows-1252 (where "§" is one byte).
  const QByteArray octets(reinterpret_cast<const char*>(donnees), static_cast<qsizetype>(taille));
  session.Execute(NormaliseFinsDeLigne(DecodeTexte(octets)));
  return 0;
}
