#include "platform/ProgramFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <climits>

#include "platform/FileNames.h"
#include "platform/Host.h"

QString FichierReel(const QString& nom) {
  if (nom.isEmpty()) return {};
  const int fd = ::open(OctetsDuNom(nom).constData(), O_PATH | O_CLOEXEC);
  if (fd < 0) return {};
  QByteArray reel(PATH_MAX, '\0');
  const QByteArray lien = "/proc/self/fd/" + QByteArray::number(fd);
  const ssize_t n = ::readlink(lien.constData(), reel.data(), static_cast<size_t>(reel.size()));
  ::close(fd);
  if (n <= 0 || n >= reel.size() || reel[0] != '/') return {};
  reel.truncate(n);
  return TexteDuNom(reel);
}

QString DossierDuFichier(const QString& nom) {
  const QString reel = FichierReel(nom);
  const QString fichier = reel.isEmpty() ? nom : reel;
  return fichier.left(fichier.lastIndexOf(u'/') + 1);
}

QString DossierDuProgramme() {
  if (Shell.NomFichier.isEmpty()) return Shell.RepCourant;
  return DossierDuFichier(Shell.NomFichier);
}

void DevientDossierCourant(const QString& dossier) {
  // By the folder's own bytes, which need not be UTF-8.
  if (!dossier.isEmpty()) {
    [[maybe_unused]] const int fait = ::chdir(OctetsDuNom(dossier).constData());
  }
  Shell.RepCourant = QDir::isRelativePath(dossier) ? QString() : dossier;
}

void DevientProgramme(const QString& nom) {
  Shell.NomFichier = nom;
  const QByteArray octets = OctetsDuNom(nom);
  struct stat avant {};
  const bool vu = ::stat(octets.constData(), &avant) == 0;
  const QString reel = FichierReel(nom);
  DevientDossierCourant(DossierDuProgramme());
  struct stat apres {};
  if (!vu || (::stat(octets.constData(), &apres) == 0 && apres.st_dev == avant.st_dev &&
              apres.st_ino == avant.st_ino))
    return;
  // Beyond the path limit the system names no file: the folder moved into is then the name's own.
  Shell.NomFichier = reel.isEmpty() ? nom.mid(nom.lastIndexOf(u'/') + 1) : reel;
}
