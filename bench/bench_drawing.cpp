// 100,000 dashed segments, joined into zigzag polylines so that the pattern runs on from one to
// the next, drawn onto the screen image.

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "drawing/DrawState.h"
#include "drawing/Segments.h"
#include "platform/Host.h"
#include "platform/PainterSurface.h"

namespace {

constexpr int NbSegments = 100000;

void PrepareEcran(PainterSurface& ecran) {
  RazEtatDessin();
  RazValeursShell();
  Sortie = &ecran;
  ecran.SetScaleMode(6);
  LargeurDessin = LargeurMm = ecran.ScaleWidth;
  HauteurDessin = HauteurMm = ecran.ScaleHeight;
  ecran.ScaleHeight = -HauteurDessin;
  ecran.ScaleTop = HauteurDessin;
  ecran.DrawWidth = 1;
  TiretL1 = 1.5f;
  TiretL2 = 0.75f;
  TiretL3 = 0.5f;
  ResteTiret = 0;
  PhaseTiret = 0;
  FinTiretX = FinTiretY = SansFinTiret;
}

void BM_SegmentsTiretes(benchmark::State& etat) {
  PainterSurface ecran(1000, 700, 96.0);
  PrepareEcran(ecran);
  for (auto _ : etat) {
    float x = 5, y = 20;
    for (int i = 0; i < NbSegments; ++i) {
      // Rows of 60 segments 4 mm wide, 6 mm up and down.
      const float xs = x + 4, ys = (i % 2 == 0) ? y + 6 : y;
      TraceSegment(x, (i % 2 == 0) ? y : y + 6, xs, ys, 0, 0xFF0000);
      x = xs;
      if ((i + 1) % 60 == 0) {
        x = 5;
        y = y + 8 > 170 ? 20 : y + 8;
      }
    }
    benchmark::DoNotOptimize(ResteTiret);
  }
  etat.SetItemsProcessed(etat.iterations() * NbSegments);
  Sortie = nullptr;
}
BENCHMARK(BM_SegmentsTiretes)->Unit(benchmark::kMillisecond);

}  // namespace
