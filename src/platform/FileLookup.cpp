#include "platform/FileLookup.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <algorithm>

#include "platform/FileNames.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/TextFile.h"

using namespace legacy;

QString TrouveSansCasse(const QString& dossier, const QString& nom) {
  // The folder's own bytes, which need not be UTF-8 (Qt's names would lose them).
  const QString prefixe = dossier.isEmpty() || dossier.endsWith(u'/') ? dossier : dossier + u'/';
  if (EstFichierOrdinaire(prefixe + nom)) return prefixe + nom;
  DIR* d = ::opendir(dossier.isEmpty() ? "." : OctetsDuNom(dossier).constData());
  if (d == nullptr) return {};
  const QString cherche = UCase(nom);
  QStringList trouves;
  while (const dirent* e = ::readdir(d)) {
    const QString entree = TexteDuNom(QByteArray(e->d_name));
    if (UCase(entree) == cherche && EstFichierOrdinaire(prefixe + entree)) trouves << entree;
  }
  ::closedir(d);
  if (trouves.isEmpty()) return {};
  // The same one on every run, whatever order the folder lists them in.
  std::sort(trouves.begin(), trouves.end());
  return prefixe + trouves.first();
}

QString AjouteAntiSlash(const QString& chemin) {
  if (chemin == QStringLiteral(".") || chemin.isEmpty()) return {};
  const QChar dernier = chemin.back();
  if (dernier != u':' && dernier != u'/' && dernier != u'\\') return chemin + u'/';
  return chemin;
}

QString FichierExistant(const QString& chemin) {
  if (chemin.isEmpty()) return {};
  if (EstFichierOrdinaire(chemin)) return chemin;
  const qsizetype barre = chemin.lastIndexOf(u'/');
  const QString dossier = barre < 0 ? QString() : chemin.left(std::max<qsizetype>(1, barre));
  struct stat etat {};
  if (::stat(dossier.isEmpty() ? "." : OctetsDuNom(dossier).constData(), &etat) != 0 ||
      !S_ISDIR(etat.st_mode))
    return {};
  return TrouveSansCasse(dossier, chemin.mid(barre + 1));
}

namespace {

QString DossierProgramme() {
  if (QCoreApplication::instance() == nullptr) return {};
  return AjouteAntiSlash(QCoreApplication::applicationDirPath());
}

}  // namespace

QString ResoutFichierCommande(const QString& nom) {
  const QString f = Trim(nom).replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (f.isEmpty()) return f;
  const bool absolu = QDir::isAbsolutePath(f);
  const bool chemin = f.contains(QLatin1Char('/'));
  const QString nomSeul = f.mid(f.lastIndexOf(QLatin1Char('/')) + 1);
  const bool extension = InStrRev(nomSeul, QStringLiteral(".")) >= 2;
  const QString programme = DossierProgramme();
  const QString courant = AjouteAntiSlash(Shell.RepCourant);

  // A relative name is first taken from the current folder, which opening a program makes its
  // folder.
  QStringList candidats{f};
  if (!extension && !chemin) {
    candidats << f + QStringLiteral(".dag") << f + QStringLiteral(".dat")
              << programme + f + QStringLiteral(".dag") << courant + f + QStringLiteral(".dat")
              << programme + f + QStringLiteral(".dat");
  } else if (!extension) {
    candidats << f + QStringLiteral(".dag") << f + QStringLiteral(".dat");
  } else if (!absolu) {
    candidats << courant + f << programme + f;
  }
  for (const QString& c : candidats) {
    const QString trouve = FichierExistant(c);
    if (trouve.isEmpty()) continue;
    // Made absolute from the folder's own bytes, which Qt's absolute form would not keep; where the
    // current folder cannot be told, Qt would make the name one of the root folder: the relative
    // name still reaches the file from the current folder.
    return DansDossierCourant(trouve);
  }
  return f;
}
