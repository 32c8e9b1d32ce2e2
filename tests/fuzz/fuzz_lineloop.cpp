// Feeds arbitrary bytes as a program text through the screen's run request. Every input must
// return: run errors are messages, never crashes, and the statement bound ends endless loops.

#include <QGuiApplication>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "HeadlessRun.h"
#include "interpreter/Interpreter.h"

namespace {

void Application() {
  static int argc = 1;
  static char nom[] = "fuzz_lineloop";
  static char* argv[] = {nom, nullptr};
  static QGuiApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return new QGuiApplication(argc, argv);
  }();
  (void)app;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
  Application();
  LimiteInstructions = 10000;
  // A fresh session per input, so that nothing recorded by one run is kept for the next.
  SessionHeadless session(200, 150, 96.0);
  session.Execute(QString::fromUtf8(reinterpret_cast<const char*>(donnees), static_cast<qsizetype>(taille)));
  return 0;
}
