#pragma once

// Morvo against a raw-Qt baseline in the same run: every iteration times Morvo's drawing, then
// (outside the benchmark's clock) the baseline drawing the same thing, so that the two figures
// and their ratio see the same machine load. Both are measured in the thread's processor time,
// which a machine shared with other work disturbs far less than the wall clock.

#include <benchmark/benchmark.h>

#include <ctime>

template <class Morvo, class Reference>
void MesureContreReference(benchmark::State& etat, Morvo&& morvo, Reference&& reference) {
  const auto maintenant = [] {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
  };
  double dureeMorvo = 0, dureeReference = 0;
  for (auto _ : etat) {
    const double t0 = maintenant();
    morvo();
    const double t1 = maintenant();
    etat.PauseTiming();
    const double t2 = maintenant();
    reference();
    const double t3 = maintenant();
    etat.ResumeTiming();
    dureeMorvo += t1 - t0;
    dureeReference += t3 - t2;
  }
  const double n = static_cast<double>(etat.iterations());
  etat.counters["cpu_ms"] = dureeMorvo / n * 1e3;
  etat.counters["qt_cpu_ms"] = dureeReference / n * 1e3;
  etat.counters["ratio"] = dureeReference > 0 ? dureeMorvo / dureeReference : 0;
}
