// The benchmarks' main: a headless application object (fonts, images; widgets for the editor's
// benchmark), then every benchmark.
#include <benchmark/benchmark.h>

#ifdef MORVO_BENCH_WIDGETS
#include <QApplication>
using ApplicationBench = QApplication;
#else
#include <QGuiApplication>
using ApplicationBench = QGuiApplication;
#endif

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ApplicationBench app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
