#pragma once

// Morvo against a raw-Qt baseline in the same run: every iteration times Morvo's drawing, then
// (outside the benchmark's clock) the baseline drawing the same thing, so that the two figures
// and their ratio see the same machine load. Both are measured in the thread's processor time,
// which a machine shared with other work disturbs far less than the wall clock.

#include <benchmark/benchmark.h>

#include <QImage>
#include <ctime>
#include <utility>
#include <vector>

#include "drawing/DrawState.h"
#include "platform/PainterSurface.h"
#include "platform/RecordingSurface.h"

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

constexpr int LargeurBanc = 1000, HauteurBanc = 700;

inline QImage ImageBlanche() {
  QImage image(LargeurBanc, HauteurBanc, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

// What Morvo hands its surface for one drawing, as the recorder sees it: the baselines draw these.
template <class Prepare, class Trace>
std::vector<Primitive> Enregistre(Prepare&& prepare, Trace&& trace) {
  RecordingSurface enregistreur(LargeurBanc, HauteurBanc, 96.0);
  prepare(enregistreur);
  trace();
  Sortie = nullptr;
  return enregistreur.Primitives();
}

// The runner's log as the recorder writes it, each line formatted and then dropped: the headless
// path less the disk.
class FluxJournalJete : public FluxJournal {
 protected:
  void Ecrit(const char*, size_t) override {}
};

// Morvo drawing onto a screen image, on the painter surface alone (the desktop) or through a
// recorder writing each primitive's log line and passing it on (the headless runner with a log,
// which keeps no primitive), against 'reference' drawing onto a white image of its own. 'prepare'
// makes the surface the output and sets it up. Gives Morvo's image and the reference's, each drawn
// once an iteration.
template <class Prepare, class Morvo, class Reference>
std::pair<QImage, QImage> MesureSurface(benchmark::State& etat, bool enregistre, Prepare&& prepare,
                                        Morvo&& morvo, Reference&& reference) {
  QImage imageReference = ImageBlanche();
  PainterSurface ecran(LargeurBanc, HauteurBanc, 96.0);
  RecordingSurface enregistreur(LargeurBanc, HauteurBanc, 96.0, &ecran);
  FluxJournalJete journal;
  enregistreur.GardePrimitives(false);
  enregistreur.DefinitFlux(&journal);
  prepare(enregistre ? static_cast<OutputSurface&>(enregistreur) : ecran);
  MesureContreReference(
      etat,
      [&] {
        morvo();
        benchmark::DoNotOptimize(ecran.Image().constBits());
      },
      [&] { reference(imageReference); });
  Sortie = nullptr;
  return {ecran.Image(), imageReference};
}
