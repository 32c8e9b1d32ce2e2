// A whole headless run of a program that plots a 50,000-point data file: reading and evaluating
// the columns, fitting both ranges, and drawing the curve onto the screen image, as the plain run
// does (no record of what is drawn). Reports the run in milliseconds.

#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "HeadlessRun.h"

namespace {

constexpr int NbPoints = 50000;
// The window of the wide moving average, on each side of a point.
constexpr int DemiFenetreLarge = 25000;

// One x,y line a point: a slow wave with a faster ripple, two decimals as measured data have.
bool EcritDonnees(const QString& chemin, int nbPoints) {
  QByteArray texte = "' x, y\r\n";
  texte.reserve(nbPoints * 16);
  for (int i = 0; i < nbPoints; ++i) {
    const double y = 50.0 * std::sin(i * 0.0005) + 3.0 * std::sin(i * 0.37);
    texte += QByteArray::number(i) + ',' + QByteArray::number(y, 'f', 2) + "\r\n";
  }
  QFile f(chemin);
  return f.open(QIODevice::WriteOnly) && f.write(texte) == texte.size();
}

// The data file of that many points, written once into a folder that lasts as long as the program.
QString FichierDonnees(int nbPoints) {
  static QTemporaryDir dossier;
  const QString c = dossier.filePath(QStringLiteral("courbe%1.txt").arg(nbPoints));
  if (QFile::exists(c)) return c;
  if (!dossier.isValid() || !EcritDonnees(c, nbPoints)) {
    std::fprintf(stderr, "bench_plot: cannot write the data file\n");
    std::exit(1);
  }
  return c;
}

// One whole headless run of the program per iteration: the plain run, or with the record of every
// primitive kept as the tests read it.
void ExecuteEnBoucle(benchmark::State& etat, const QString& programme, bool enregistre = false) {
  for (auto _ : etat) {
    SessionHeadless session(1000, 700, 96.0);
    if (!enregistre) session.SansEnregistrement();
    session.Execute(programme);
    benchmark::DoNotOptimize(session.Image().constBits());
  }
}

// The points drawn a second.
void ComptePoints(benchmark::State& etat) {
  etat.counters["points/s"] = benchmark::Counter(
      static_cast<double>(NbPoints) * static_cast<double>(etat.iterations()), benchmark::Counter::kIsRate);
}

void BM_Plot50000Points(benchmark::State& etat) {
  ExecuteEnBoucle(etat, QStringLiteral("Plot = %1, 1, 2, 0\r\n").arg(FichierDonnees(NbPoints)));
  ComptePoints(etat);
}
BENCHMARK(BM_Plot50000Points)->Unit(benchmark::kMillisecond);

// The same run keeping the record of every primitive drawn.
void BM_Plot50000PointsEnregistres(benchmark::State& etat) {
  ExecuteEnBoucle(etat, QStringLiteral("Plot = %1, 1, 2, 0\r\n").arg(FichierDonnees(NbPoints)), true);
  ComptePoints(etat);
}
BENCHMARK(BM_Plot50000PointsEnregistres)->Unit(benchmark::kMillisecond);

// The same 50,000 points drawn, each the moving average over 50,001 points: the curve of 75,000
// points, whose first 25,000 points only feed the window. A window as wide as that costs no more per
// point than the narrow one of BM_Plot50000Points.
void BM_Plot50000PointsMoyenneLarge(benchmark::State& etat) {
  ExecuteEnBoucle(etat, QStringLiteral("Plot = %1, 1, 2§%2, 0\r\n")
                            .arg(FichierDonnees(NbPoints + DemiFenetreLarge))
                            .arg(DemiFenetreLarge));
  ComptePoints(etat);
}
BENCHMARK(BM_Plot50000PointsMoyenneLarge)->Unit(benchmark::kMillisecond);

// A wide file: 1000 lines of 1000 columns, plotted from its last column. Each line is cut once,
// up to the last column needed.
void BM_PlotColonne1000(benchmark::State& etat) {
  static QTemporaryDir dossier;
  static const QString chemin = [] {
    const QString c = dossier.filePath(QStringLiteral("large1000.txt"));
    QByteArray ligne;
    for (int j = 1; j <= 1000; ++j) ligne += QByteArray::number(j % 97) + (j < 1000 ? "," : "\r\n");
    QByteArray texte;
    for (int i = 0; i < 1000; ++i) texte += ligne;
    QFile f(c);
    if (!dossier.isValid() || !f.open(QIODevice::WriteOnly) || f.write(texte) != texte.size()) {
      std::fprintf(stderr, "bench_plot: cannot write the wide data file\n");
      std::exit(1);
    }
    return c;
  }();
  const QString programme = QStringLiteral("Plot = %1, 0, 1000, 0\r\n").arg(chemin);
  ExecuteEnBoucle(etat, programme);
}
BENCHMARK(BM_PlotColonne1000)->Unit(benchmark::kMillisecond);

// A curve of 100 points whose X values come from a file of a million lines: the X file is read
// only as far as the points the command takes.
void BM_PlotFichierXLimite(benchmark::State& etat) {
  static QTemporaryDir dossier;
  static const QString nomX = dossier.filePath(QStringLiteral("x1000000.txt"));
  static const QString nomY = dossier.filePath(QStringLiteral("y100.txt"));
  static const bool ecrits = [] {
    QByteArray x, y;
    x.reserve(8 * 1000000);
    for (int i = 0; i < 1000000; ++i) x += QByteArray::number(i) + "\r\n";
    for (int i = 0; i < 100; ++i) y += QByteArray::number(i % 7) + "\r\n";
    QFile fx(nomX), fy(nomY);
    return dossier.isValid() && fx.open(QIODevice::WriteOnly) && fx.write(x) == x.size() &&
           fy.open(QIODevice::WriteOnly) && fy.write(y) == y.size();
  }();
  if (!ecrits) {
    std::fprintf(stderr, "bench_plot: cannot write the X file\n");
    std::exit(1);
  }
  const QString programme = QStringLiteral("Plot = %1, 1§%2, 1, 0§§100\r\n").arg(nomY, nomX);
  ExecuteEnBoucle(etat, programme);
}
BENCHMARK(BM_PlotFichierXLimite)->Unit(benchmark::kMillisecond);

}  // namespace
