// A counting loop through the real interpreter: assignments, an evaluated increment, a condition
// and a jump per round. Reports statements per second; the PRINTA loop its time beside the same
// loop assigning a variable.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <ctime>

#include "HeadlessRun.h"

namespace {

double CpuMs() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// The processor time of one headless run of each program, added to `temps` and `tempsRef`; the two
// run in turn so that both see the same machine.
void MesureCoteACote(const QString& programme, const QString& reference, double& temps, double& tempsRef) {
  double debut = CpuMs();
  {
    SessionHeadless session(200, 150, 96.0);
    session.Execute(programme);
  }
  temps += CpuMs() - debut;
  debut = CpuMs();
  {
    SessionHeadless session(200, 150, 96.0);
    session.Execute(reference);
  }
  tempsRef += CpuMs() - debut;
}

}  // namespace

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

// The same loop with many labels before its own: a jump must not cost more for the labels it does
// not go to. `ratio` is this loop's time over the plain loop's, measured in the same run.
static void BM_BoucleGotoEtiquettes(benchmark::State& state) {
  const int tours = 100000;
  const int etiquettes = static_cast<int>(state.range(0));
  QString avant;
  for (int i = 1; i <= etiquettes; ++i) avant += QStringLiteral("E%1:\r\n").arg(i);
  const QString boucle =
      QStringLiteral("%I = 0\r\n%1Boucle:\r\n%I == %I+1\r\nIf %I < %2 Then Goto Boucle\r\n");
  const QString avecEtiquettes = boucle.arg(avant).arg(tours);
  const QString sans = boucle.arg(QString()).arg(tours);
  double tempsAvec = 0, tempsSans = 0;
  for (auto _ : state) MesureCoteACote(avecEtiquettes, sans, tempsAvec, tempsSans);
  const auto n = static_cast<double>(state.iterations());
  state.counters["labels_cpu_ms"] = tempsAvec / n;
  state.counters["plain_cpu_ms"] = tempsSans / n;
  state.counters["ratio"] = tempsSans > 0 ? tempsAvec / tempsSans : 0;
}
BENCHMARK(BM_BoucleGotoEtiquettes)->Arg(1440)->Unit(benchmark::kMillisecond);

// The current folder, where a program never saved writes without a question, for a benchmark's
// length.
class DansLeDossier {
 public:
  explicit DansLeDossier(const QString& dossier) : avant_(QDir::currentPath()) { QDir::setCurrent(dossier); }
  ~DansLeDossier() { QDir::setCurrent(avant_); }
  DansLeDossier(const DansLeDossier&) = delete;
  DansLeDossier& operator=(const DansLeDossier&) = delete;

 private:
  QString avant_;
};

// The same Goto loop writing one PRINTA line a round, timed beside the loop that assigns the same
// text to a variable instead: `printa_cpu_ms` and `assign_cpu_ms` are the processor times (user and
// system) of one run of each, `ratio` their quotient.
static void BM_PrintABoucleGoto(benchmark::State& state) {
  const int tours = static_cast<int>(state.range(0));
  QTemporaryDir dossier;
  const QString fichier = dossier.filePath(QStringLiteral("lignes.txt"));
  // The program writes in its own folder, as a program saved beside its data does.
  const DansLeDossier ici(dossier.path());
  const QString boucle =
      QStringLiteral("%I = 0\r\nBoucle:\r\n%I == %I+1\r\n%1\r\nIf %I < %2 Then Goto Boucle\r\n");
  const QString avecPrintA = QStringLiteral("OpenA = ") + fichier + QStringLiteral("\r\n") +
                             boucle.arg(QStringLiteral("PrintA = ligne %I")).arg(tours);
  const QString avecAffectation = boucle.arg(QStringLiteral("%L = ligne %I")).arg(tours);
  double printa = 0, affectation = 0;
  for (auto _ : state) {
    QFile::remove(fichier);
    MesureCoteACote(avecPrintA, avecAffectation, printa, affectation);
  }
  if (QFileInfo(fichier).size() < tours) state.SkipWithError("the PRINTA lines were not written");
  const auto n = static_cast<double>(state.iterations());
  state.counters["printa_cpu_ms"] = printa / n;
  state.counters["assign_cpu_ms"] = affectation / n;
  state.counters["ratio"] = affectation > 0 ? printa / affectation : 0;
}
BENCHMARK(BM_PrintABoucleGoto)->Arg(50000)->Unit(benchmark::kMillisecond);

// One PRINTA of a line with a character that has no Windows-1252 code ("→") into a Windows-1252
// append file of the given size in MiB: the time and the memory must not grow with the file.
// `rss_growth_mb` is how far the process's peak memory rose while it ran. 1 and 64 MiB by default;
// MORVO_BENCH_300MB=1 adds a 300 MiB file (written once, in about a second).
static void BM_PrintANonAsciiSelonLaTaille(benchmark::State& state) {
  QTemporaryDir dossier;
  const QString fichier = dossier.filePath(QStringLiteral("donnees.txt"));
  const DansLeDossier ici(dossier.path());
  {
    QFile f(fichier);
    if (!f.open(QIODevice::WriteOnly)) {
      state.SkipWithError("the append file cannot be made");
      return;
    }
    const QByteArray ligne = QByteArray("Cote ") + "\xE9" + "tal" + "\xE9" +
                             "e 12,5 \xB0"
                             "C\r\n";
    const QByteArray bloc = ligne.repeated(1024 * 1024 / ligne.size());
    for (qint64 i = 0; i < state.range(0); ++i) {
      if (f.write(bloc) != bloc.size()) {
        state.SkipWithError("the append file cannot be written");
        return;
      }
    }
    // On the disk before the runs: each run syncs its one line only.
    f.flush();
    ::fsync(f.handle());
  }
  const qint64 taille = QFileInfo(fichier).size();
  const QString programme = QStringLiteral("OpenA = ") + fichier + QStringLiteral("\r\nPrintA = ") +
                            QString::fromUtf8("→ flèche") + QStringLiteral("\r\n");
  rusage avant{};
  getrusage(RUSAGE_SELF, &avant);
  for (auto _ : state) {
    SessionHeadless session(200, 150, 96.0);
    session.Execute(programme);
  }
  rusage apres{};
  getrusage(RUSAGE_SELF, &apres);
  if (QFileInfo(fichier).size() <= taille) state.SkipWithError("the PRINTA line was not written");
  state.counters["file_mb"] = static_cast<double>(taille) / (1024.0 * 1024.0);
  state.counters["rss_growth_mb"] = static_cast<double>(apres.ru_maxrss - avant.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_PrintANonAsciiSelonLaTaille)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond);
[[maybe_unused]] static const bool grandFichier = [] {
  if (qEnvironmentVariableIsSet("MORVO_BENCH_300MB"))
    BENCHMARK(BM_PrintANonAsciiSelonLaTaille)->Arg(300)->Unit(benchmark::kMillisecond);
  return true;
}();
