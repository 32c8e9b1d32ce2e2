#include "platform/WrittenPart.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <csignal>

#include "platform/SystemReasons.h"

namespace {

// While it is held, the file is open nowhere but through this descriptor and nobody else may open
// or cut it, so that its size changes between a look and a cut only through this very descriptor.
// Refused while anything else has the file open, a reader too, and where the file system has none.
class BailExclusif {
 public:
  explicit BailExclusif(int fd) : fd_(fd) {
    // One who opens the file meanwhile waits a moment; the notice we get of it would end the process.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGIO, &ignore, &avant_);
    tenu_ = ::fcntl(fd, F_SETLEASE, F_WRLCK) == 0;
  }
  ~BailExclusif() {
    if (tenu_) ::fcntl(fd_, F_SETLEASE, F_UNLCK);
    sigaction(SIGIO, &avant_, nullptr);
  }
  BailExclusif(const BailExclusif&) = delete;
  BailExclusif& operator=(const BailExclusif&) = delete;
  bool Tenu() const { return tenu_; }

 private:
  int fd_;
  bool tenu_ = false;
  struct sigaction avant_ {};
};

// The digest of the bytes from `debut` to `fin` of the file; empty when they cannot all be read.
QByteArray Empreinte(int lecteur, qint64 debut, qint64 fin) {
  QCryptographicHash relu(QCryptographicHash::Sha256);
  QByteArray tampon(64 * 1024, Qt::Uninitialized);
  for (qint64 position = debut; position < fin;) {
    const ssize_t n = ::pread(lecteur, tampon.data(),
                              static_cast<size_t>(std::min<qint64>(tampon.size(), fin - position)), position);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return {};
    relu.addData(QByteArrayView(tampon.constData(), n));
    position += n;
  }
  return relu.result();
}

// Cuts the file back from `fin` to `debut` while nothing else has it open and it still ends at
// `fin`; false when it may not, with the reason when the cut itself failed.
bool CoupeLaFin(int fd, qint64 debut, qint64 fin, QString& raison) {
  const BailExclusif bail(fd);
  struct stat etat {};
  if (!bail.Tenu() || ::fstat(fd, &etat) != 0 || etat.st_size != fin) return false;
  if (::ftruncate(fd, debut) != 0) {
    raison = QStringLiteral(" (what went in could not be taken back: %1)").arg(RaisonSysteme(errno));
    return false;
  }
  // The offset the descriptor shares with the shell goes back too: a later write leaves no hole.
  if (::lseek(fd, 0, SEEK_CUR) == fin) ::lseek(fd, debut, SEEK_SET);
  return true;
}

// What is said of the first `octets` bytes of an output that stay where they went (a "pipe", a
// "file") once its writing failed; nothing when none stay.
QString TexteDejaEcrit(qint64 octets, const char* ou) {
  if (octets <= 0) return {};
  return QStringLiteral(
             " (the first %1 bytes went into the %2 already: what reads it has an output cut short)")
      .arg(octets)
      .arg(QLatin1String(ou));
}

}  // namespace

PartEcrite::PartEcrite() : empreinte_(std::make_unique<QCryptographicHash>(QCryptographicHash::Sha256)) {}

PartEcrite::~PartEcrite() = default;

void PartEcrite::Debute(int fd) {
  struct stat etat {};
  if (::fstat(fd, &etat) != 0) return;
  ordinaire_ = S_ISREG(etat.st_mode);
  tube_ = S_ISFIFO(etat.st_mode) || S_ISSOCK(etat.st_mode);
}

void PartEcrite::Note(int fd, const char* octets, qint64 taille) {
  if (taille <= 0) return;
  total_ += taille;
  if (!ordinaire_) return;
  // Where the write landed: a write opened to append lands at the end as it then stood.
  const off_t apres = ::lseek(fd, 0, SEEK_CUR);
  if (apres < taille) {
    debut_ = fin_ = -1;
    return;
  }
  if (apres - taille != fin_) {
    debut_ = apres - taille;
    empreinte_->reset();
  }
  fin_ = apres;
  empreinte_->addData(QByteArrayView(octets, taille));
}

bool PartEcrite::EncoreLa(int fd) const {
  int lecteur = fd;
  const int drapeaux = ::fcntl(fd, F_GETFL);
  if (drapeaux < 0) return false;
  // A descriptor opened to write only is read through one of its own onto the same file.
  if ((drapeaux & O_ACCMODE) != O_RDWR) {
    lecteur = ::open(("/proc/self/fd/" + QByteArray::number(fd)).constData(),
                     O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (lecteur < 0) return false;
  }
  const auto ferme = qScopeGuard([&] {
    if (lecteur != fd) ::close(lecteur);
  });
  struct stat ecrit {};
  struct stat lu {};
  if (::fstat(fd, &ecrit) != 0 || ::fstat(lecteur, &lu) != 0 || ecrit.st_dev != lu.st_dev ||
      ecrit.st_ino != lu.st_ino)
    return false;
  return Empreinte(lecteur, debut_, fin_) == empreinte_->result();
}

QString PartEcrite::Reprend(int fd) {
  if (tube_) return TexteDejaEcrit(total_, "pipe");
  if (!ordinaire_ || total_ == 0) return {};
  qint64 reste = total_;
  // Another writer's bytes after ours, or in their place, keep them all where they are; so does a
  // file that another writer holds open, who could append between the look and the cut.
  if (fin_ > debut_ && debut_ >= 0 && EncoreLa(fd)) {
    QString raison;
    if (CoupeLaFin(fd, debut_, fin_, raison)) {
      reste -= fin_ - debut_;
      debut_ = fin_ = -1;
    } else if (!raison.isEmpty()) {
      return raison;
    }
  }
  return TexteDejaEcrit(reste, "file");
}
