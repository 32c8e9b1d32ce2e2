// A dense dial through the real interpreter: an arc scale about an offset pivot, centred on the
// screen, with 1,000 graduation marks and 100 value labels, drawn onto a 1000 x 700 screen image
// by the painter surface alone (the desktop) and through the recorder (the headless runner).
// Reports the whole run, from a new session to the finished image, against raw QPainter drawing
// the lines, the arc and the labels of the run's record on a white image ("cpu_ms", "qt_cpu_ms",
// "ratio"): the part of the run that is Qt's own drawing.

#include <benchmark/benchmark.h>

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

#include "DrawingBench.h"
#include "HeadlessRun.h"
#include "platform/FontMetrics.h"

namespace {

const QString& ProgrammeCadran() {
  static const QString programme = QStringLiteral(
      "CentreE = 132, 92\r\n"
      "Decal = 10\r\n"
      "Arc = -30, 210, 60\r\n"
      "Grad = 1000, 2, 1\r\n"
      "Grad = 100, 5\r\n"
      "ValR = , 100, 0, 1000§ V, 8, 1\r\n");
  return programme;
}

// What the run hands the surface, as its record has it.
const std::vector<Primitive>& PrimitivesCadran() {
  static const std::vector<Primitive> primitives = [] {
    SessionHeadless session(1000, 700, 96.0);
    session.Execute(ProgrammeCadran());
    return session.Enregistrement().Primitives();
  }();
  return primitives;
}

QColor CouleurQt(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

void TraceQt() {
  QImage image(1000, 700, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  for (const Primitive& e : PrimitivesCadran()) {
    p.setPen(
        QPen(CouleurQt(e.Couleur), std::max(1, e.Epaisseur), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (e.Type == Primitive::Genre::Ligne) {
      p.drawLine(QLineF(e.Points[0], e.Points[1]));
    } else if (e.Type == Primitive::Genre::Cercle) {
      const double degres = 180.0 / std::numbers::pi;
      double balayage = (e.Fin - e.Debut) * degres;
      if (balayage < 0) balayage += 360.0;
      QPainterPath arc;
      const QRectF cadre(e.Points[0].x() - e.Rx, e.Points[0].y() - e.Ry, 2 * e.Rx, 2 * e.Ry);
      arc.arcMoveTo(cadre, e.Debut * degres);
      arc.arcTo(cadre, e.Debut * degres, balayage);
      p.drawPath(arc);
    } else if (e.Type == Primitive::Genre::Texte) {
      const QFont police = PoliceQt(e.Police, 96.0);
      p.setFont(police);
      QTransform position;
      position.translate(e.Points[0].x(), e.Points[0].y());
      position.rotate(-e.Angle);
      p.setWorldTransform(position);
      p.drawText(QPointF(0, QFontMetricsF(police, &image).ascent()), e.Texte);
      p.setWorldTransform(QTransform());
    }
  }
  benchmark::DoNotOptimize(image.constBits());
}

void CadranDense(benchmark::State& state, bool enregistre) {
  PrimitivesCadran();
  bool echec = false;
  MesureContreReference(
      state,
      [&] {
        SessionHeadless session(1000, 700, 96.0);
        if (!enregistre) session.SansEnregistrement();
        session.Execute(ProgrammeCadran());
        benchmark::DoNotOptimize(session.Image().constBits());
        echec = echec || !session.Prompteur().Messages().empty();
      },
      TraceQt);
  if (echec) state.SkipWithError("the dial program failed");
}

void BM_CadranDenseBureau(benchmark::State& state) { CadranDense(state, false); }
BENCHMARK(BM_CadranDenseBureau)->Unit(benchmark::kMillisecond);

void BM_CadranDenseHeadless(benchmark::State& state) { CadranDense(state, true); }
BENCHMARK(BM_CadranDenseHeadless)->Unit(benchmark::kMillisecond);

}  // namespace
