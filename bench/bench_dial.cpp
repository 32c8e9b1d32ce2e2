// A dense dial through the real interpreter: an arc scale about an offset pivot with 1,000
// graduation marks and 100 value labels, drawn onto the screen image. Reports the whole run.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdlib>

#include "HeadlessRun.h"

static void BM_CadranDense(benchmark::State& state) {
  const QString programme = QStringLiteral(
      "Decal = 10\r\n"
      "Arc = -30, 210, 60\r\n"
      "Grad = 1000, 2, 1\r\n"
      "Grad = 100, 5\r\n"
      "ValR = , 100, 0, 1000§ V, 8, 1\r\n");
  for (auto _ : state) {
    SessionHeadless session(1000, 700, 96.0);
    session.Execute(programme);
    if (!session.Prompteur().Messages().empty()) {
      state.SkipWithError("the dial program failed");
      break;
    }
  }
}
BENCHMARK(BM_CadranDense)->Unit(benchmark::kMillisecond);
