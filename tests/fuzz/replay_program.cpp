// Replays the whole-program fuzz corpus without a fuzzing engine: every file named, or found in
// a folder named, goes through the fuzz entry once. A crash or a sanitizer report fails the run.

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

#include "FuzzProgram.h"

int main(int argc, char** argv) {
  QStringList fichiers;
  for (int i = 1; i < argc; ++i) {
    const QFileInfo info(QString::fromLocal8Bit(argv[i]));
    if (info.isDir()) {
      const QDir dossier(info.filePath());
      for (const QString& nom : dossier.entryList(QDir::Files, QDir::Name))
        fichiers << dossier.absoluteFilePath(nom);
    } else {
      fichiers << info.absoluteFilePath();
    }
  }
  if (fichiers.isEmpty()) {
    std::fprintf(stderr, "usage: replay_program CORPUS-FOLDER-OR-FILE...\n");
    return 1;
  }
  for (const QString& chemin : fichiers) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "replay_program: cannot read %s\n", qPrintable(chemin));
      return 1;
    }
    const QByteArray octets = f.readAll();
    // The name first, so that a crash shows which input it was; the time after, to spot slow ones.
    std::fprintf(stderr, "%s", qPrintable(chemin));
    QElapsedTimer chrono;
    chrono.start();
    ExecuteProgrammeFuzz(reinterpret_cast<const uint8_t*>(octets.constData()),
                         static_cast<size_t>(octets.size()));
    std::fprintf(stderr, " %lld ms\n", static_cast<long long>(chrono.elapsed()));
  }
  std::printf("replay_program: %lld inputs replayed\n", static_cast<long long>(fichiers.size()));
  return 0;
}
