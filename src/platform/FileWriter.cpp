#include "platform/FileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>

#include "platform/StringTable.h"
#include "platform/TextFile.h"

namespace {

PanneEcriture panneCourante;

bool EnPanne(const QString& chemin) { return panneCourante && panneCourante(chemin); }

QString RaisonSysteme(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

void DonneErreur(QString* erreur, const QString& raison) {
  if (erreur) *erreur = raison;
}

// The reason of a failed step: the device's own, else the hook's full disk (told as the device
// tells a real one, in Qt's words, translated with its dialogs), else a short write.
QString Raison(const QFileDevice& f, bool panne) {
  if (f.error() != QFileDevice::NoError) return f.errorString();
  return panne ? qt_error_string(ENOSPC) : RaisonSysteme(EIO);
}

// Writes every byte, unbuffered: a write that goes in only in part is tried again for the rest, so
// that the system's reason of the failure is known.
bool EcritTout(QFileDevice& f, const QByteArray& octets) {
  qint64 fait = 0;
  while (fait < octets.size()) {
    const qint64 n = f.write(octets.constData() + fait, octets.size() - fait);
    if (n <= 0) return false;
    fait += n;
  }
  return true;
}

// Data still in the system's cache can fail to reach the disk (network and quota file systems
// report it only here); a file system that cannot sync is no failure.
bool Synchronise(QFileDevice& f, QString& raison) {
  if (::fsync(f.handle()) == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP) return true;
  raison = RaisonSysteme(errno);
  return false;
}

// What the path names, links followed; Absent also when it cannot be told (the write then gives
// the system's reason).
enum class Genre { Absent, Ordinaire, Dossier, Flux, Autre };

Genre GenreDe(const QString& chemin) {
  struct stat etat {};
  if (::stat(QFile::encodeName(chemin).constData(), &etat) != 0) return Genre::Absent;
  if (S_ISREG(etat.st_mode)) return Genre::Ordinaire;
  if (S_ISDIR(etat.st_mode)) return Genre::Dossier;
  if (S_ISCHR(etat.st_mode) || S_ISFIFO(etat.st_mode)) return Genre::Flux;
  return Genre::Autre;
}

// Writes into a device or FIFO as it stands. Opened without waiting, so a FIFO that nobody reads
// fails at once instead of hanging.
bool EcritDansFlux(const QString& chemin, const QByteArray& octets, QString* erreur) {
  const int fd = ::open(QFile::encodeName(chemin).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int code = errno;
    DonneErreur(erreur, code == ENXIO ? RaisonSysteme(code) + QStringLiteral(" (nothing reads from the FIFO)")
                                      : RaisonSysteme(code));
    return false;
  }
  struct stat etat {};
  if (::fstat(fd, &etat) != 0 || !(S_ISCHR(etat.st_mode) || S_ISFIFO(etat.st_mode))) {
    ::close(fd);
    DonneErreur(erreur, RaisonSysteme(EINVAL));
    return false;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  qsizetype fait = 0;
  while (fait < octets.size()) {
    const ssize_t n = ::write(fd, octets.constData() + fait, static_cast<size_t>(octets.size() - fait));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      DonneErreur(erreur, RaisonSysteme(n < 0 ? errno : EIO));
      ::close(fd);
      return false;
    }
    fait += n;
  }
  if (::close(fd) != 0 && errno != EINTR) {
    DonneErreur(erreur, RaisonSysteme(errno));
    return false;
  }
  return true;
}

}  // namespace

bool EcritFichier(const QString& chemin, const QByteArray& octets, QString* erreur) {
  // A folder, device or FIFO is never replaced by a file, as a rename over it would do.
  switch (GenreDe(chemin)) {
    case Genre::Dossier:
      DonneErreur(erreur, RaisonSysteme(EISDIR));
      return false;
    case Genre::Flux:
    case Genre::Autre:
      DonneErreur(erreur, RaisonSysteme(EINVAL));
      return false;
    default:
      break;
  }
  // Writes the file a link points to and keeps the link.
  QSaveFile f(chemin);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    DonneErreur(erreur, f.errorString());
    return false;
  }
  const bool ecrit = EcritTout(f, octets);
  const bool panne = ecrit && EnPanne(chemin);
  QString raison;
  bool ok = ecrit && !panne;
  if (ok) {
    ok = Synchronise(f, raison);
  } else {
    raison = Raison(f, panne);
  }
  if (ok && f.size() != octets.size()) {
    ok = false;
    raison = RaisonSysteme(EIO);
  }
  if (!ok) {
    f.cancelWriting();
    DonneErreur(erreur, raison);
    return false;
  }
  if (!f.commit()) {
    DonneErreur(erreur, f.errorString());
    return false;
  }
  return true;
}

bool EcritSortie(const QString& chemin, const QByteArray& octets, QString* erreur) {
  if (GenreDe(chemin) == Genre::Flux) return EcritDansFlux(chemin, octets, erreur);
  return EcritFichier(chemin, octets, erreur);
}

bool AjouteFichier(const QString& chemin, const QByteArray& octets, QString* erreur) {
  const bool existait = QFileInfo::exists(chemin);
  AjoutOuvert f;
  if (!f.Ouvre(chemin, erreur)) return false;
  if (f.Ajoute(octets, erreur)) return true;
  // A file made for these bytes alone goes again when none of them stayed and nobody wrote to it.
  if (!existait && f.Taille() == 0) {
    f.Ferme();
    QFile::remove(chemin);
  }
  return false;
}

AjoutOuvert::~AjoutOuvert() { Ferme(); }

bool AjoutOuvert::Ouvre(const QString& chemin, QString* erreur) {
  Ferme();
  // Opened without blocking and checked on the open file itself: a FIFO or device put in place of
  // the file can neither hang the append nor take its bytes.
  const int fd = ::open(QFile::encodeName(chemin).constData(),
                        O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    DonneErreur(erreur, RaisonSysteme(errno));
    return false;
  }
  struct stat etat {};
  if (::fstat(fd, &etat) != 0 || !S_ISREG(etat.st_mode)) {
    ::close(fd);
    DonneErreur(erreur, RaisonSysteme(EINVAL));
    return false;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  fd_ = fd;
  chemin_ = chemin;
  peripherique_ = etat.st_dev;
  inode_ = etat.st_ino;
  return true;
}

void AjoutOuvert::Ferme() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

bool AjoutOuvert::EstLeFichier(const QString& chemin) const {
  if (fd_ < 0) return false;
  struct stat etat {};
  return ::stat(QFile::encodeName(chemin).constData(), &etat) == 0 && etat.st_dev == peripherique_ &&
         etat.st_ino == inode_;
}

qint64 AjoutOuvert::Taille() const {
  struct stat etat {};
  if (fd_ < 0 || ::fstat(fd_, &etat) != 0) return -1;
  return etat.st_size;
}

bool AjoutOuvert::Ajoute(const QByteArray& octets, QString* erreur) {
  if (fd_ < 0) {
    DonneErreur(erreur, RaisonSysteme(EBADF));
    return false;
  }
  if (octets.isEmpty()) return true;
  const auto taille = static_cast<size_t>(octets.size());
  ssize_t n;
  do {
    n = ::write(fd_, octets.constData(), taille);
  } while (n < 0 && errno == EINTR);
  int code = 0;
  size_t pose = 0;
  if (n < 0) {
    code = errno;
  } else {
    pose = static_cast<size_t>(n);
    if (pose < taille) {
      // The rest tells the system's reason (a full disk takes part of a write before it refuses).
      ssize_t m;
      do {
        m = ::write(fd_, octets.constData() + pose, taille - pose);
      } while (m < 0 && errno == EINTR);
      if (m < 0) {
        code = errno;
      } else {
        pose += static_cast<size_t>(m);
        if (pose < taille) code = EIO;
      }
    }
    if (code == 0 && EnPanne(chemin_)) code = ENOSPC;
  }
  if (code == 0) return true;
  // With O_APPEND the offset stands right after what this write put in: it is taken back only while
  // it is still the end of the file, so that no other writer's bytes go.
  if (pose > 0) {
    const off_t fin = ::lseek(fd_, 0, SEEK_CUR);
    struct stat etat {};
    if (fin >= static_cast<off_t>(pose) && ::fstat(fd_, &etat) == 0 && etat.st_size == fin) {
      // Should the cut fail, the write's own reason is still the one to give.
      [[maybe_unused]] const int coupe = ::ftruncate(fd_, fin - static_cast<off_t>(pose));
    }
  }
  // In the words the file device would give, in the language of Qt's own texts.
  DonneErreur(erreur, qt_error_string(code));
  return false;
}

SortieProgressive::SortieProgressive(const QString& chemin) : chemin_(chemin) {
  switch (GenreDe(chemin)) {
    case Genre::Dossier:
      Echoue(RaisonSysteme(EISDIR));
      return;
    case Genre::Autre:
      Echoue(RaisonSysteme(EINVAL));
      return;
    case Genre::Flux: {
      // Opened without waiting, so that a FIFO nobody reads fails at once.
      flux_ = ::open(QFile::encodeName(chemin).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      struct stat etat {};
      if (flux_ < 0) {
        const int code = errno;
        Echoue(code == ENXIO ? RaisonSysteme(code) + QStringLiteral(" (nothing reads from the FIFO)")
                             : RaisonSysteme(code));
      } else if (::fstat(flux_, &etat) != 0 || !(S_ISCHR(etat.st_mode) || S_ISFIFO(etat.st_mode))) {
        Echoue(RaisonSysteme(EINVAL));
      } else {
        ::fcntl(flux_, F_SETFL, ::fcntl(flux_, F_GETFL) & ~O_NONBLOCK);
      }
      return;
    }
    default:
      break;
  }
  fichier_ = std::make_unique<QSaveFile>(chemin);
  if (!fichier_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) Echoue(fichier_->errorString());
}

SortieProgressive::~SortieProgressive() {
  if (fichier_ && fichier_->isOpen()) fichier_->cancelWriting();
  if (flux_ >= 0) ::close(flux_);
}

void SortieProgressive::Echoue(const QString& raison) {
  if (echec_) return;
  echec_ = true;
  raison_ = raison;
  if (fichier_ && fichier_->isOpen()) fichier_->cancelWriting();
  if (flux_ >= 0) ::close(flux_);
  flux_ = -1;
}

void SortieProgressive::Ecrit(const char* octets, qint64 taille) {
  if (echec_) return;
  if (fichier_) {
    if (!EcritTout(*fichier_, QByteArray::fromRawData(octets, taille))) Echoue(Raison(*fichier_, false));
    ecrits_ += taille;
    return;
  }
  for (qint64 fait = 0; fait < taille;) {
    const ssize_t n = ::write(flux_, octets + fait, static_cast<size_t>(taille - fait));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Echoue(RaisonSysteme(n < 0 ? errno : EIO));
      return;
    }
    fait += n;
  }
}

bool SortieProgressive::Termine(QString* erreur) {
  if (!echec_ && flux_ >= 0) {
    const int fd = flux_;
    flux_ = -1;
    if (::close(fd) != 0 && errno != EINTR) Echoue(RaisonSysteme(errno));
  } else if (!echec_ && fichier_) {
    QString raison;
    if (EnPanne(chemin_))
      Echoue(RaisonSysteme(ENOSPC));
    else if (!Synchronise(*fichier_, raison))
      Echoue(raison);
    else if (fichier_->size() != ecrits_)
      Echoue(RaisonSysteme(EIO));
    else if (!fichier_->commit())
      Echoue(fichier_->errorString());
  }
  if (echec_) DonneErreur(erreur, raison_);
  return !echec_;
}

ImpressionPdf::ImpressionPdf(QPrinter& imprimante, bool sortie) : imprimante_(imprimante), sortie_(sortie) {
  cible_ = imprimante.outputFileName();
  // A folder that cannot take the file is the printer's own error, known before anything prints;
  // an output's device or FIFO is written once the PDF is whole, wherever it is.
  const QFileInfo dossier(QFileInfo(cible_).absolutePath());
  const bool flux = sortie && !cible_.isEmpty() && GenreDe(cible_) == Genre::Flux;
  if (!flux && (cible_.isEmpty() || !dossier.isDir() || !dossier.isWritable())) return;
  QTemporaryFile f(QDir::temp().filePath(QStringLiteral("morvo-XXXXXX.pdf")));
  f.setAutoRemove(false);
  if (!f.open()) return;
  provisoire_ = f.fileName();
  imprimante.setOutputFileName(provisoire_);
}

ImpressionPdf::~ImpressionPdf() {
  if (provisoire_.isEmpty()) return;
  QFile::remove(provisoire_);
  imprimante_.setOutputFileName(cible_);
}

bool ImpressionPdf::Termine(QString* erreur) {
  // Without a provisional file the printer wrote (or failed to write) the file itself.
  if (provisoire_.isEmpty()) return true;
  const std::optional<QByteArray> octets = LitOctetsFichier(provisoire_, erreur);
  if (!octets) return false;
  // A file cut short by a full disk lacks the end that every PDF has.
  const QByteArray fin = octets->trimmed().right(5);
  if (fin != "%%EOF") {
    DonneErreur(erreur, RaisonSysteme(ENOSPC));
    return false;
  }
  return sortie_ ? EcritSortie(cible_, *octets, erreur) : EcritFichier(cible_, *octets, erreur);
}

QString TexteEcritureImpossible(const QString& chemin, const QString& raison) {
  return TexteMsg(128).arg(QDir::toNativeSeparators(chemin), raison);
}

void DefinitPanneEcriture(PanneEcriture panne) { panneCourante = std::move(panne); }
