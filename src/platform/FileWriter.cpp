#include "platform/FileWriter.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <limits>

#include "platform/FileNames.h"
#include "platform/Links.h"
#include "platform/StringTable.h"
#include "platform/SystemReasons.h"

namespace {

PanneEcriture panneCourante;
std::function<bool()> arretCourant;
SuiviEchecs suiviCourant;

bool ArretDemande() { return arretCourant && arretCourant(); }

void DonneErreur(QString* erreur, const QString& raison) {
  if (erreur) *erreur = raison;
}

void SignaleEchec(const QString& chemin, const QString& raison) {
  if (suiviCourant) suiviCourant(chemin, raison);
}

// A failed write of `chemin`: told to the watch of failures (DefinitSuiviEchecs) and to the caller.
bool Echoue(const QString& chemin, const QString& raison, QString* erreur) {
  SignaleEchec(chemin, raison);
  DonneErreur(erreur, raison);
  return false;
}

// After a write that put in only the first `fait` bytes, the rest, which tells the system's reason
// (a full disk takes part of a write before it refuses): 0 when it went in, else the error number.
ssize_t EcritUneFois(int fd, const char* octets, qint64 taille);
int EcritLeReste(int fd, const QByteArray& octets, qint64 fait, PartEcrite& part) {
  const ssize_t m = EcritUneFois(fd, octets.constData() + fait, octets.size() - fait);
  if (m < 0) return errno;
  part.Note(fd, octets.constData() + fait, m);
  return fait + m < octets.size() ? EIO : 0;
}

// One write, tried again when a signal interrupts it before any byte went in.
ssize_t EcritUneFois(int fd, const char* octets, qint64 taille) {
  ssize_t n;
  do {
    n = ::write(fd, octets, static_cast<size_t>(taille));
  } while (n < 0 && errno == EINTR);
  return n;
}

// The permissions the umask gives a new file, read without changing the umask (which another
// thread could see changed) where the system tells it.
mode_t ModeFichierNeuf() {
  QFile statut(QStringLiteral("/proc/self/status"));
  if (statut.open(QIODevice::ReadOnly)) {
    for (const QByteArray& ligne : statut.readAll().split('\n')) {
      if (!ligne.startsWith("Umask:")) continue;
      bool ok = false;
      const uint masque = ligne.mid(6).trimmed().toUInt(&ok, 8);
      if (ok) return 0666 & ~static_cast<mode_t>(masque);
    }
  }
  const mode_t masque = ::umask(022);
  ::umask(masque);
  return 0666 & ~masque;
}

// QSaveFile gives the new file the permissions of the one it replaces. They are kept only for a
// file of the user's own: one that another user left (mode 0666 in /tmp) would otherwise stay
// writable by that user once it holds our bytes. False with the reason when they cannot be set.
bool DonneModeDuRemplacant(int fd, const struct stat* ancien, QString& raison) {
  if (!ancien) return true;
  const mode_t mode = ancien->st_uid == ::geteuid() ? (ancien->st_mode & 07777) : ModeFichierNeuf();
  if (::fchmod(fd, mode) == 0) return true;
  raison = RaisonSysteme(errno);
  return false;
}

// How many of `taille` bytes a write through `fd` can put in whole, where it is a regular file:
// below the file-size limit (ulimit -f) and in the free space of its disk, counted in the disk's
// blocks. Past either the system would take part of the write and leave its line cut short, which
// another writer of the file could then finish with its own line; `code` tells which one stops it.
// The bytes the file-size limit (ulimit -f) leaves past `position`; -1 for no limit.
qint64 PlaceSousLimite(off_t position) {
  rlimit limite{};
  if (::getrlimit(RLIMIT_FSIZE, &limite) != 0 || limite.rlim_cur == RLIM_INFINITY) return -1;
  return std::max<qint64>(0, static_cast<qint64>(limite.rlim_cur) - position);
}

// The bytes the disk takes past `position` of the file: what its last block still holds, and the
// blocks the user may take; -1 where the file system does not tell.
qint64 PlaceSurDisque(int fd, const struct stat& etat, off_t position) {
  struct statvfs disque {};
  if (::fstatvfs(fd, &disque) != 0 || disque.f_blocks == 0 || disque.f_frsize == 0) return -1;
  const auto bloc = static_cast<qint64>(disque.f_frsize);
  const qint64 fin = std::max<qint64>(position, etat.st_size);
  return (fin + bloc - 1) / bloc * bloc - position +
         static_cast<qint64>(::geteuid() == 0 ? disque.f_bfree : disque.f_bavail) * bloc;
}

qint64 Place(int fd, qint64 taille, int& code) {
  struct stat etat {};
  if (::fstat(fd, &etat) != 0 || !S_ISREG(etat.st_mode)) return taille;
  const int drapeaux = ::fcntl(fd, F_GETFL);
  const off_t position =
      drapeaux >= 0 && (drapeaux & O_APPEND) != 0 ? etat.st_size : ::lseek(fd, 0, SEEK_CUR);
  if (position < 0) return taille;
  qint64 place = taille;
  for (const auto& [reste, raison] :
       {std::pair{PlaceSousLimite(position), EFBIG}, std::pair{PlaceSurDisque(fd, etat, position), ENOSPC}}) {
    if (reste >= 0 && reste < place) {
      place = reste;
      code = raison;
    }
  }
  return place;
}

// Syncs and closes the descriptor: 0, or the error number of the first that fails (a file system
// that cannot sync is no failure).
int CodeDeFermeture(int fd) {
  int code = 0;
  if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP) code = errno;
  if (::close(fd) != 0 && errno != EINTR && code == 0) code = errno;
  return code;
}

// What is said of a reader who did not read when the run was stopped.
const QString SansLecteur = QStringLiteral(" (nothing read from it when the run was stopped)");

// Once a stop is asked, a reader is waited for a few seconds only; false with the reason then.
bool AttendLecteur(int fd, QString& raison) {
  pollfd attente{fd, POLLOUT, 0};
  int pret;
  do {
    pret = ::poll(&attente, 1, 5000);
  } while (pret < 0 && errno == EINTR);
  if (pret != 0) return true;
  raison = RaisonSysteme(ETIMEDOUT) + SansLecteur;
  return false;
}

// A signal of a stop that came while the write waited ends it, with or without part of it written.
bool Interrompue(ssize_t n, int code, qint64 voulu) {
  return ArretDemande() && (n < 0 ? code == EINTR : n < voulu);
}

// Writes every byte through the descriptor. A write that waits for a reader who does not read ends
// when a stop is asked (the signal interrupts it), and once a stop is asked a reader is waited for
// a few seconds only, so that the other outputs are still written.
bool EcritTousLesOctets(int fd, const char* octets, qint64 taille, QString& raison, PartEcrite* part) {
  qint64 fait = 0;
  bool attenteBornee = false;
  // The descriptor may be the shell's (/dev/stdout): it is given back as it was opened.
  const int drapeaux = ::fcntl(fd, F_GETFL);
  const auto rend = qScopeGuard([&] {
    if (attenteBornee && drapeaux >= 0) ::fcntl(fd, F_SETFL, drapeaux);
  });
  while (fait < taille) {
    if (!attenteBornee && ArretDemande()) {
      attenteBornee = true;
      ::fcntl(fd, F_SETFL, drapeaux | O_NONBLOCK);
    }
    const ssize_t n = ::write(fd, octets + fait, static_cast<size_t>(taille - fait));
    const int code = n < 0 ? errno : 0;
    if (!attenteBornee && Interrompue(n, code, taille - fait)) {
      raison = RaisonSysteme(EINTR) + SansLecteur;
      return false;
    }
    if (code == EINTR) continue;
    if (attenteBornee && (code == EAGAIN || code == EWOULDBLOCK)) {
      if (!AttendLecteur(fd, raison)) return false;
      continue;
    }
    if (n <= 0) {
      raison = RaisonSysteme(n < 0 ? code : EIO);
      return false;
    }
    if (part) part->Note(fd, octets + fait, n);
    fait += n;
  }
  return true;
}

}  // namespace

bool EnPanne(const QString& chemin) { return panneCourante && panneCourante(chemin); }

bool DonneModeDuRemplacant(QSaveFile& f, const QByteArray& cible, QString& raison) {
  struct stat ancien {};
  if (::stat(cible.constData(), &ancien) != 0 || ancien.st_uid == ::geteuid()) return true;
  return DonneModeDuRemplacant(f.handle(), &ancien, raison);
}

QString RaisonDuFichier(const QFileDevice& f, bool panne) {
  if (f.error() != QFileDevice::NoError) return RaisonSysteme(f);
  return panne ? RaisonSysteme(ENOSPC) : RaisonSysteme(EIO);
}

bool EcritTout(QFileDevice& f, const QByteArray& octets) {
  qint64 fait = 0;
  while (fait < octets.size()) {
    const qint64 n = f.write(octets.constData() + fait, octets.size() - fait);
    if (n <= 0) return false;
    fait += n;
  }
  return true;
}

bool Synchronise(QFileDevice& f, QString& raison) {
  if (::fsync(f.handle()) == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP) return true;
  raison = RaisonSysteme(errno);
  return false;
}

bool EcritDansDescripteur(int fd, const char* octets, qint64 taille, QString& raison, PartEcrite* part) {
  // Into a regular file that cannot take them all, only the whole lines that fit go in (see Place).
  int code = 0;
  if (const qint64 place = Place(fd, taille, code); place < taille) {
    const qint64 lignes = QByteArrayView(octets, place).lastIndexOf('\n') + 1;
    if (lignes > 0 && !EcritTousLesOctets(fd, octets, lignes, raison, part)) return false;
    raison = RaisonSysteme(code);
    return false;
  }
  return EcritTousLesOctets(fd, octets, taille, raison, part);
}

namespace {

// Writes every byte and syncs them; false with the reason (the hook's full disk included).
bool EcritEtSynchronise(QFileDevice& f, const QByteArray& octets, const QString& chemin, QString& raison) {
  const bool ecrit = EcritTout(f, octets);
  const bool panne = ecrit && EnPanne(chemin);
  if (ecrit && !panne) return Synchronise(f, raison);
  raison = RaisonDuFichier(f, panne);
  return false;
}

bool RemplaceParSauvegarde(const QByteArray& cible, const QString& chemin, const QByteArray& octets,
                           QString* erreur);

bool EcritFichierEntier(const QString& chemin, const QByteArray& octets, QString* erreur) {
  // The name as the system reads it: "keep.txt/." goes through a file as through a folder, and the
  // links followed below would otherwise lead to keep.txt itself.
  if (!DesigneUnFichier(chemin, erreur)) return false;
  const std::optional<QByteArray> cible = ResoutLiens(chemin, erreur);
  if (!cible) return false;
  // A folder, device or FIFO is never replaced by a file, as a rename over it would do.
  if (const GenreFichier genre = GenreDe(TexteDuNom(*cible));
      genre != GenreFichier::Absent && genre != GenreFichier::Ordinaire) {
    DonneErreur(erreur, RaisonSysteme(genre == GenreFichier::Dossier ? EISDIR : EINVAL));
    return false;
  }
  return RemplaceParSauvegarde(*cible, chemin, octets, erreur);
}

// Writes the file a link points to (`cible`, links followed) and keeps the link.
bool RemplaceParSauvegarde(const QByteArray& cible, const QString& chemin, const QByteArray& octets,
                           QString* erreur) {
  QSaveFile f(QFile::decodeName(cible));
  if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    DonneErreur(erreur, RaisonSysteme(f));
    return false;
  }
  if (QString raison; !DonneModeDuRemplacant(f, cible, raison)) {
    f.cancelWriting();
    DonneErreur(erreur, raison);
    return false;
  }
  QString raison;
  bool ok = EcritEtSynchronise(f, octets, chemin, raison);
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
    DonneErreur(erreur, RaisonSysteme(f));
    return false;
  }
  return true;
}

// A name for the temporary file beside `base` that no other file holds yet (made with O_EXCL).
QByteArray NomProvisoire(const QByteArray& base) {
  static std::atomic<quint32> compteur = 0;
  return '.' + base.left(200) + '.' + QByteArray::number(::getpid()) + '.' + QByteArray::number(compteur++) +
         ".tmp";
}

// Makes the temporary file beside `base` in the folder, under a name no other file holds; its
// descriptor, or -1 with errno.
int CreeProvisoire(int dossier, const QByteArray& base, QByteArray& provisoire) {
  int fd = -1;
  for (int essai = 0; fd < 0 && essai < 16; ++essai) {
    provisoire = NomProvisoire(base);
    fd =
        ::openat(dossier, provisoire.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  return fd;
}

// Writes the bytes into the temporary file `fd` (closed then) with the permissions of the file it
// replaces (see DonneModeDuRemplacant); false with the reason when they are not all there.
bool RemplitProvisoire(int fd, const struct stat* ancien, const QString& chemin, const QByteArray& octets,
                       QString& raison) {
  QFile f;
  f.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
  bool ok = DonneModeDuRemplacant(fd, ancien, raison) && EcritEtSynchronise(f, octets, chemin, raison);
  struct stat ecrit {};
  if (ok && (::fstat(fd, &ecrit) != 0 || ecrit.st_size != octets.size())) {
    ok = false;
    raison = RaisonSysteme(EIO);
  }
  return ok;
}

bool EcritFichierEntierDans(int dossier, const QByteArray& base, const QString& chemin,
                            const QByteArray& octets, QString* erreur) {
  struct stat ancien {};
  const bool existe = ::fstatat(dossier, base.constData(), &ancien, AT_SYMLINK_NOFOLLOW) == 0;
  if (existe && !S_ISREG(ancien.st_mode)) {
    DonneErreur(erreur, RaisonNonOrdinaire(ancien.st_mode));
    return false;
  }
  QByteArray provisoire;
  const int fd = CreeProvisoire(dossier, base, provisoire);
  if (fd < 0) {
    DonneErreur(erreur, RaisonSysteme(errno));
    return false;
  }
  QString raison;
  bool ok = RemplitProvisoire(fd, existe ? &ancien : nullptr, chemin, octets, raison);
  // The name itself is replaced, never what a link put there meanwhile leads to.
  if (ok && ::renameat(dossier, provisoire.constData(), dossier, base.constData()) != 0) {
    ok = false;
    raison = RaisonSysteme(errno);
  }
  if (!ok) {
    ::unlinkat(dossier, provisoire.constData(), 0);
    DonneErreur(erreur, raison);
  }
  return ok;
}

}  // namespace

bool EcritFichierDans(int dossier, const QByteArray& base, const QString& chemin, const QByteArray& octets,
                      QString* erreur) {
  QString raison;
  return EcritFichierEntierDans(dossier, base, chemin, octets, &raison) || Echoue(chemin, raison, erreur);
}

bool EcritFichier(const QString& chemin, const QByteArray& octets, QString* erreur) {
  QString raison;
  return EcritFichierEntier(chemin, octets, &raison) || Echoue(chemin, raison, erreur);
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
  QString raison;
  return OuvreFichier(chemin, &raison) || Echoue(chemin, raison, erreur);
}

bool AjoutOuvert::Adopte(int fd, const QString& chemin, const QString& raison, QString* erreur) {
  Ferme();
  QString pourquoi = raison;
  return (fd >= 0 && Prend(fd, chemin, &pourquoi)) || Echoue(chemin, pourquoi, erreur);
}

bool AjoutOuvert::Prend(int fd, const QString& chemin, QString* erreur) {
  // Checked on the open file itself: a FIFO or device put in place of the file can neither hang the
  // append nor take its bytes.
  struct stat etat {};
  const bool vu = ::fstat(fd, &etat) == 0;
  if (!vu || !S_ISREG(etat.st_mode)) {
    const QString raison = vu ? RaisonNonOrdinaire(etat.st_mode) : RaisonSysteme(errno);
    ::close(fd);
    DonneErreur(erreur, raison);
    return false;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  fd_ = fd;
  chemin_ = chemin;
  peripherique_ = etat.st_dev;
  inode_ = etat.st_ino;
  placeSure_ = 0;
  return true;
}

bool AjoutOuvert::OuvreFichier(const QString& chemin, QString* erreur) {
  Ferme();
  // As a whole file is: "keep.txt/." is no name of keep.txt.
  if (!DesigneUnFichier(chemin, erreur)) return false;
  const std::optional<QByteArray> cible = ResoutLiens(chemin, erreur);
  if (!cible) return false;
  // Opened without blocking; the links are followed already: one planted in the meantime is not
  // followed.
  const int fd = ::open(
      cible->constData(),
      O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | (cible->startsWith("/proc/") ? 0 : O_NOFOLLOW),
      0666);
  if (fd < 0) {
    DonneErreur(erreur, RaisonSysteme(errno));
    return false;
  }
  return Prend(fd, chemin, erreur);
}

bool AjoutOuvert::Ferme(QString* erreur) {
  if (fd_ < 0) return true;
  const int fd = fd_;
  fd_ = -1;
  // What is still in the system's cache may fail to reach the disk, and network and quota file
  // systems tell it only when the file is synced or closed.
  const bool panne = ajoute_ && EnPanne(chemin_);
  ajoute_ = false;
  if (panne) ::close(fd);
  const int code = panne ? ENOSPC : CodeDeFermeture(fd);
  return code == 0 || Echoue(chemin_, RaisonSysteme(code), erreur);
}

bool AjoutOuvert::EstLeFichier(const QString& chemin) const {
  if (fd_ < 0) return false;
  struct stat etat {};
  return ::stat(OctetsDuNom(chemin).constData(), &etat) == 0 && etat.st_dev == peripherique_ &&
         etat.st_ino == inode_;
}

qint64 AjoutOuvert::Taille() const {
  struct stat etat {};
  if (fd_ < 0 || ::fstat(fd_, &etat) != 0) return -1;
  return etat.st_size;
}

bool AjoutOuvert::PeutPrendre(qint64 taille, QString* erreur) {
  // The file-size limit is asked every time, since other writers of the file move its end too; the
  // disk only once half of what it had free has been written.
  rlimit limite{};
  const bool limitee = ::getrlimit(RLIMIT_FSIZE, &limite) == 0 && limite.rlim_cur != RLIM_INFINITY;
  if (!limitee && taille <= placeSure_) {
    placeSure_ -= taille;
    return true;
  }
  int code = 0;
  const qint64 place = Place(fd_, std::numeric_limits<qint64>::max(), code);
  // A line that the file cannot take whole is never started.
  if (place < taille) return Echoue(chemin_, RaisonSysteme(code), erreur);
  placeSure_ = place / 2 - taille;
  return true;
}

bool AjoutOuvert::Ajoute(const QByteArray& octets, QString* erreur) {
  if (fd_ < 0) {
    DonneErreur(erreur, RaisonSysteme(EBADF));
    return false;
  }
  if (octets.isEmpty()) return true;
  const qint64 taille = octets.size();
  if (!PeutPrendre(taille, erreur)) return false;
  const ssize_t n = EcritUneFois(fd_, octets.constData(), taille);
  if (n < 0) return Echoue(chemin_, RaisonSysteme(errno), erreur);
  const bool panne = n == taille && EnPanne(chemin_);
  if (n == taille && !panne) {
    ajoute_ = true;
    return true;
  }
  PartEcrite part;
  part.Debute(fd_);
  part.Note(fd_, octets.constData(), n);
  int code = n < taille ? EcritLeReste(fd_, octets, n, part) : 0;
  if (code == 0 && (panne || EnPanne(chemin_))) code = ENOSPC;
  if (code == 0) {
    ajoute_ = true;
    return true;
  }
  // The part of the line that could not be taken back (another process holds the file open) is
  // told after the reason.
  return Echoue(chemin_, RaisonSysteme(code) + part.Reprend(fd_), erreur);
}

QString TexteEcritureImpossible(const QString& chemin, const QString& raison) {
  return TexteMsg(128).arg(NomLisible(chemin), raison);
}

void DefinitPanneEcriture(PanneEcriture panne) { panneCourante = std::move(panne); }

void DefinitArretEcriture(std::function<bool()> arret) { arretCourant = std::move(arret); }

void DefinitSuiviEchecs(SuiviEchecs suivi) { suiviCourant = std::move(suivi); }

void SignaleEchecEcriture(const QString& chemin, const QString& raison) { SignaleEchec(chemin, raison); }
