#include <benchmark/benchmark.h>

#include <QString>

#include "values/Expressions.h"

namespace {

// What a scale command typically hands over after substitution: a radius and an angle computed
// from a few variables.
void BM_CalculeCadran(benchmark::State& state) {
  const QString expression = QStringLiteral("52.5+(270-45)/10*SIN(30)-2^3 MOD 5+ARG(3,4)");
  for (auto _ : state) {
    QString t = expression;
    benchmark::DoNotOptimize(Calcule(t));
  }
}
BENCHMARK(BM_CalculeCadran);

void BM_CalculeNombre(benchmark::State& state) {
  const QString expression = QStringLiteral("12.5");
  for (auto _ : state) {
    QString t = expression;
    benchmark::DoNotOptimize(Calcule(t));
  }
}
BENCHMARK(BM_CalculeNombre);

}  // namespace
