#include "FullDisk.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>

#include "platform/FileWriter.h"

DisquePlein::DisquePlein() {
  if (!dossier_.isValid() || geteuid() != 0) return;
  const QByteArray point = QFile::encodeName(dossier_.path());
  monte_ = ::mount("tmpfs", point.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0777") == 0;
}

DisquePlein::~DisquePlein() {
  DefinitPanneEcriture({});
  if (monte_) ::umount2(QFile::encodeName(dossier_.path()).constData(), MNT_DETACH);
}

void DisquePlein::Remplit(int pagesLibres) {
  if (!monte_) {
    const QString dossier = dossier_.path() + QStringLiteral("/");
    DefinitPanneEcriture([dossier](const QString& chemin) { return chemin.startsWith(dossier); });
    return;
  }
  const QByteArray remplissage = QFile::encodeName(Chemin(QStringLiteral("remplissage")));
  const int fd = ::open(remplissage.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) return;
  const QByteArray page(4096, 'x');
  off_t taille = 0;
  for (ssize_t n; (n = ::write(fd, page.constData(), page.size())) > 0;) taille += n;
  if (pagesLibres > 0 && ::ftruncate(fd, std::max<off_t>(0, taille - off_t{4096} * pagesLibres)) != 0) {
    // The disk stays full: the test sees fewer free pages than it asked for, never more.
  }
  ::close(fd);
}
