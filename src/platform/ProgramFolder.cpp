#include "platform/ProgramFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <climits>

#include "platform/Descriptors.h"
#include "platform/FileNames.h"
#include "platform/Host.h"

QByteArray NomReel(int fd) {
  QByteArray nom(PATH_MAX, '\0');
  const QByteArray lien = "/proc/self/fd/" + QByteArray::number(fd);
  const ssize_t n = ::readlink(lien.constData(), nom.data(), static_cast<size_t>(nom.size()));
  if (n <= 0 || n >= nom.size() || nom[0] != '/') return {};
  nom.truncate(n);
  return nom;
}

QString FichierReel(const QString& nom) {
  if (nom.isEmpty()) return {};
  const Descripteur fd(::open(OctetsDuNom(nom).constData(), O_PATH | O_CLOEXEC));
  return fd.Valide() ? TexteDuNom(NomReel(fd.fd())) : QString();
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

void DevientDossierCourant() {
  const QString dossier = DossierDuProgramme();
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
  DevientDossierCourant();
  struct stat apres {};
  if (!vu || (::stat(octets.constData(), &apres) == 0 && apres.st_dev == avant.st_dev &&
              apres.st_ino == avant.st_ino))
    return;
  // Beyond the path limit the system names no file: the folder moved into is then the name's own.
  Shell.NomFichier = reel.isEmpty() ? nom.mid(nom.lastIndexOf(u'/') + 1) : reel;
}
