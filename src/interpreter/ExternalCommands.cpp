#include "interpreter/ExternalCommands.h"

#include <QDir>
#include <QStringList>

#include "platform/Host.h"
#include "platform/Legacy.h"

using namespace legacy;

namespace {

constexpr int kCmdExternesMax = 60;

QString AvecBarre(const QString& dossier) {
  const QString propre = QDir::cleanPath(dossier);
  return propre.endsWith(u'/') ? propre : propre + u'/';
}

void AjouteCmdExternes(const QString& dossier, QStringList& noms, QStringList& dossiers) {
  // Name filters match without regard to case, as the fixed names of the program are found.
  const QStringList fichiers =
      QDir(dossier).entryList({QStringLiteral("*.dag")}, QDir::Files | QDir::Hidden, QDir::Name);
  for (const QString& fichier : fichiers) {
    if (noms.size() >= kCmdExternesMax) return;
    noms << Replace(fichier, QStringLiteral(".dag"), QString());
    dossiers << dossier;
  }
}

}  // namespace

void ListeCmdExternes(const QString& repProgramme, const QString& repDepart) {
  QStringList noms;
  QStringList dossiers;
  const QString programme = AvecBarre(repProgramme);
  AjouteCmdExternes(programme, noms, dossiers);
  if (!repDepart.isEmpty() && AvecBarre(repDepart) != programme) {
    AjouteCmdExternes(AvecBarre(repDepart), noms, dossiers);
  }
  const qsizetype nombre = noms.size();
  for (qsizetype i = 0; i < nombre; ++i) {
    for (qsizetype j = i + 1; j < nombre; ++j) {
      if (noms[j] < noms[i]) {
        noms.swapItemsAt(i, j);
        dossiers.swapItemsAt(i, j);
      }
    }
  }
  // As the list has always been cleaned: one pass, moving on after each removal.
  for (qsizetype i = 0; i + 1 < noms.size(); ++i) {
    if (UCase(noms[i]) == UCase(noms[i + 1])) {
      noms.removeAt(i + 1);
      dossiers.removeAt(i + 1);
    }
  }
  Shell.CmdExternes = noms;
  Shell.RepCmdExternes = dossiers;
}
