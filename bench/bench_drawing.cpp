// 100,000 dashed segments, joined into zigzag polylines so that the pattern runs on from one to
// the next, drawn onto a 1000 x 700 screen image: by the painter surface alone (the desktop) and
// through the recorder (the headless runner), each against raw QPainter drawing the same segments
// on the same kind of image with the same pen and dash lengths, one call a segment ("cpu_ms", "qt_cpu_ms",
// "ratio"). BM_SegmentsTiretesQPainterMorceaux draws Morvo's dash pieces with raw QPainter, one
// call a piece; Morvo's image must be the same as that one.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>
#include <vector>

#include "DrawingBench.h"
#include "drawing/DrawState.h"
#include "drawing/Segments.h"
#include "platform/Host.h"
#include "platform/PainterSurface.h"
#include "platform/RecordingSurface.h"

namespace {

constexpr int NbSegments = 100000;
constexpr uint32_t Couleur = 0xFF0000;

void PrepareEcran(OutputSurface& ecran) {
  RazEtatDessin();
  RazValeursShell();
  Sortie = &ecran;
  ecran.SetScaleMode(6);
  Cadrage.LargeurDessin = Cadrage.LargeurMm = ecran.ScaleWidth;
  Cadrage.HauteurDessin = Cadrage.HauteurMm = ecran.ScaleHeight;
  ecran.ScaleHeight = -Cadrage.HauteurDessin;
  ecran.ScaleTop = Cadrage.HauteurDessin;
  ecran.DrawWidth = 1;
  Plume.TiretL1 = 1.5f;
  Plume.TiretL2 = 0.75f;
  Plume.TiretL3 = 0.5f;
}

// Every run starts the pattern afresh, so that every run draws the same pieces.
// Rows of 60 segments 4 mm wide, 6 mm up and down, in millimetres.
template <class Trace>
void PourChaqueSegment(Trace&& trace) {
  float x = 5, y = 20;
  for (int i = 0; i < NbSegments; ++i) {
    const float xs = x + 4, ys = (i % 2 == 0) ? y + 6 : y;
    trace(x, (i % 2 == 0) ? y : y + 6, xs, ys);
    x = xs;
    if ((i + 1) % 60 == 0) {
      x = 5;
      y = y + 8 > 170 ? 20 : y + 8;
    }
  }
}

void TraceSegments() {
  Plume.ResteTiret = 0;
  Plume.PhaseTiret = 0;
  Plume.FinTiretX = Plume.FinTiretY = SansFinTiret;
  PourChaqueSegment([](float x1, float y1, float x2, float y2) { TraceSegment(x1, y1, x2, y2, 0, Couleur); });
  benchmark::DoNotOptimize(Plume.ResteTiret);
}

// The segments in device pixels, mapped as the screen maps them.
const std::vector<QLineF>& SegmentsPixels() {
  static const std::vector<QLineF> segments = [] {
    RecordingSurface ecran(LargeurBanc, HauteurBanc, 96.0);
    PrepareEcran(ecran);
    Sortie = nullptr;
    std::vector<QLineF> s;
    PourChaqueSegment([&](float x1, float y1, float x2, float y2) {
      s.emplace_back(ecran.DeviceX(x1), ecran.DeviceY(y1), ecran.DeviceX(x2), ecran.DeviceY(y2));
    });
    return s;
  }();
  return segments;
}

// The dash pieces Morvo hands its surface, in device pixels, as the recorder sees them.
const std::vector<QLineF>& Morceaux() {
  static const std::vector<QLineF> morceaux = [] {
    std::vector<QLineF> m;
    for (const Primitive& p : Enregistre(PrepareEcran, TraceSegments))
      if (p.Type == Primitive::Genre::Ligne) m.emplace_back(p.Points[0], p.Points[1]);
    return m;
  }();
  return morceaux;
}

// Raw QPainter: one painter, one pen with Qt's own dashes of the same lengths, one call a segment.
void TraceQtTirets(QImage& image) {
  QPainter p(&image);
  QPen stylo(QColor(0, 0, 255), 1, Qt::CustomDashLine, Qt::RoundCap, Qt::RoundJoin);
  const double mm = 96.0 / 25.4;  // pixels; a 1-pixel pen's dash lengths are in pixels
  stylo.setDashPattern({1.5 * mm, 0.75 * mm, 0.5 * mm, 0.75 * mm});
  p.setPen(stylo);
  for (const QLineF& l : SegmentsPixels()) p.drawLine(l);
}

// Raw QPainter: one painter, one pen, one call a piece.
void TraceQt(QImage& image) {
  QPainter p(&image);
  p.setPen(QPen(QColor(0, 0, 255), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  for (const QLineF& l : Morceaux()) {
    if (l.p1() == l.p2())
      p.drawPoint(l.p1());
    else
      p.drawLine(l);
  }
}

void BM_SegmentsTiretesQPainter(benchmark::State& etat) {
  QImage image = ImageBlanche();
  SegmentsPixels();
  for (auto _ : etat) TraceQtTirets(image);
  etat.SetItemsProcessed(etat.iterations() * NbSegments);
}
BENCHMARK(BM_SegmentsTiretesQPainter)->Unit(benchmark::kMillisecond);

void BM_SegmentsTiretesQPainterMorceaux(benchmark::State& etat) {
  QImage image = ImageBlanche();
  Morceaux();
  for (auto _ : etat) TraceQt(image);
  etat.counters["pieces"] = static_cast<double>(Morceaux().size());
  etat.SetItemsProcessed(etat.iterations() * NbSegments);
}
BENCHMARK(BM_SegmentsTiretesQPainterMorceaux)->Unit(benchmark::kMillisecond);

void SegmentsTiretes(benchmark::State& etat, bool enregistre) {
  SegmentsPixels();
  Morceaux();
  const QImage morvo = MesureSurface(etat, enregistre, PrepareEcran, TraceSegments, TraceQtTirets).first;
  QImage morceaux = ImageBlanche();
  TraceQt(morceaux);
  if (morvo != morceaux) etat.SkipWithError("Morvo's pieces differ from QPainter's");
  etat.SetItemsProcessed(etat.iterations() * NbSegments);
}

void BM_SegmentsTiretesBureau(benchmark::State& etat) { SegmentsTiretes(etat, false); }
BENCHMARK(BM_SegmentsTiretesBureau)->Unit(benchmark::kMillisecond);

void BM_SegmentsTiretesHeadless(benchmark::State& etat) { SegmentsTiretes(etat, true); }
BENCHMARK(BM_SegmentsTiretesHeadless)->Unit(benchmark::kMillisecond);

}  // namespace
