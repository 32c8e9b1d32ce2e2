// A counting loop through the real interpreter: assignments, an evaluated increment, a condition
// and a jump per round. Reports statements per second.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdlib>

#include "HeadlessRun.h"

static void BM_BoucleGoto(benchmark::State& state) {
  const int tours = static_cast<int>(state.range(0));
  const QString programme =
      QStringLiteral("%I = 0\r\nBoucle:\r\n%I == %I+1\r\nIf %I < %1 Then Goto Boucle\r\n").arg(tours);
  for (auto _ : state) {
    SessionHeadless session(200, 150, 96.0);
    session.Execute(programme);
  }
  // Three statements a round (label, increment, condition).
  state.counters["statements/s"] =
      benchmark::Counter(3.0 * tours * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BoucleGoto)->Arg(100000)->Unit(benchmark::kMillisecond);
