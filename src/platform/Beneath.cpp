#include "platform/Beneath.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QList>
#include <cerrno>
#include <climits>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "platform/Descriptors.h"

namespace {

// As many links as the kernel follows in one name.
constexpr int LiensAuPlus = 40;

long Openat2(int dossier, const char* nom, int drapeaux) {
  open_how comment{};
  comment.flags = static_cast<quint64>(drapeaux | O_CLOEXEC);
  comment.mode = (drapeaux & O_CREAT) != 0 ? 0666 : 0;
  comment.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
  return ::syscall(SYS_openat2, dossier, nom, &comment, sizeof comment);
}

// Whether the kernel has the call, asked once, on the current folder and with nothing a right could
// refuse: a filter that predates the call answers ENOSYS or EPERM whatever it is given, whereas an
// EPERM of a real open is the system's answer for that file.
bool AppelPresent() {
  static const bool present = [] {
    const long fd = Openat2(AT_FDCWD, ".", O_PATH | O_DIRECTORY);
    if (fd >= 0) {
      ::close(static_cast<int>(fd));
      return true;
    }
    return errno != ENOSYS && errno != EPERM;
  }();
  return present;
}

int Erreur(int code) {
  errno = code;
  return -1;
}

struct Identite {
  dev_t dev;
  ino_t ino;
  bool operator==(const Identite&) const = default;
};

EtapeParcours etapeCourante;

// Whether the folder `fd` still lies beneath the folder `racine`, its parents asked of the system
// up to the root: a folder moved out while the walk went through it would take the file elsewhere,
// which the kernel's own call refuses at its end (EXDEV).
bool ToujoursDessous(int fd, const Identite& racine) {
  Descripteur parent;
  for (int n = 0; n < 4096; ++n) {
    const int ici = parent.Valide() ? parent.fd() : fd;
    struct stat etat {};
    if (::fstat(ici, &etat) != 0) return false;
    if (Identite{etat.st_dev, etat.st_ino} == racine) return true;
    Descripteur dessus(::openat(ici, "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat etatDessus {};
    if (!dessus.Valide() || ::fstat(dessus.fd(), &etatDessus) != 0 ||
        Identite{etatDessus.st_dev, etatDessus.st_ino} == Identite{etat.st_dev, etat.st_ino})
      return false;
    parent = std::move(dessus);
  }
  return false;
}

// Puts the names of `nom` in front of those still to walk; whether it ends with "/", which makes its
// last name one of a folder.
bool Devant(std::deque<QByteArray>& reste, const QByteArray& nom) {
  const QList<QByteArray> parties = nom.split('/');
  for (auto i = parties.size(); i-- > 0;)
    if (!parties[i].isEmpty()) reste.push_front(parties[i]);
  return nom.endsWith('/');
}

// The walk, for a kernel without the call. Every name is opened without following a link, so that
// a name turned into a link meanwhile is read as one, never followed unchecked; a link's target is
// walked from where the link lies. Each step gives -1 with errno, Suite to go on, or a descriptor.
class Parcours {
 public:
  static constexpr int Suite = -2;

  Parcours(int racine, int drapeaux)
      : racine_(racine),
        drapeaux_(drapeaux | O_CLOEXEC),
        mode_((drapeaux & O_CREAT) != 0 ? 0666 : 0),
        // A last name opened with O_DIRECTORY and followed is walked as a folder: opened without
        // following, a link would only say "not a folder".
        dernierDossier_((drapeaux & (O_DIRECTORY | O_NOFOLLOW | O_CREAT)) == O_DIRECTORY) {}

  int Ouvre(const QByteArray& nom) {
    if (nom.isEmpty()) return Erreur(ENOENT);
    if (nom.startsWith('/')) return Erreur(EXDEV);
    finDossier_ = Devant(reste_, nom);
    struct stat etat {};
    if (::fstat(racine_, &etat) != 0) return -1;
    entres_.push_back({etat.st_dev, etat.st_ino});
    while (!reste_.empty()) {
      const QByteArray partie = reste_.front();
      reste_.pop_front();
      const int fd = Pas(partie, reste_.empty());
      if (fd != Suite) return fd;
    }
    if (!Dessous()) return Erreur(EXDEV);
    return ::openat(Position(), ".", drapeaux_, mode_);
  }

 private:
  int Position() const { return ici_.Valide() ? ici_.fd() : racine_; }
  // The folder reached still lies beneath the root (see ToujoursDessous).
  bool Dessous() const { return !ici_.Valide() || ToujoursDessous(ici_.fd(), entres_.front()); }

  int Pas(const QByteArray& partie, bool dernier) {
    if (partie == ".") return Suite;
    if (partie == "..") return Remonte();
    if (etapeCourante) etapeCourante();
    if (dernier && !finDossier_ && !dernierDossier_) return Dernier(partie);
    return Traverse(partie, dernier);
  }

  // ".." goes back to the folder entered before, and only while that is still the folder the walk
  // came from (one moved meanwhile could lead out).
  int Remonte() {
    if (entres_.size() == 1) return Erreur(EXDEV);
    Descripteur parent(::openat(Position(), "..", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat etat {};
    if (!parent.Valide() || ::fstat(parent.fd(), &etat) != 0) return -1;
    entres_.pop_back();
    // As the kernel does, the caller is asked to try again.
    if (!(Identite{etat.st_dev, etat.st_ino} == entres_.back())) return Erreur(EAGAIN);
    ici_ = entres_.size() == 1 ? Descripteur() : std::move(parent);
    return Suite;
  }

  // The last name, opened with the caller's flags.
  int Dernier(const QByteArray& partie) {
    if (!Dessous()) return Erreur(EXDEV);
    Descripteur fd(::openat(Position(), partie.constData(), drapeaux_ | O_NOFOLLOW, mode_));
    if (fd.Valide()) return LienOuvert(std::move(fd));
    if (errno != ELOOP || (drapeaux_ & O_NOFOLLOW) != 0) return -1;
    // A link, or a name made one since: read as itself, then followed from here.
    const Descripteur lien(::openat(Position(), partie.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat etat {};
    if (!lien.Valide() || ::fstat(lien.fd(), &etat) != 0) return -1;
    if (S_ISLNK(etat.st_mode)) return Suit(lien.fd(), true);
    // Turned back meanwhile: tried again, no more often than links are followed.
    if (++liens_ > LiensAuPlus) return Erreur(ELOOP);
    reste_.push_front(partie);
    return Suite;
  }

  // O_PATH opens a link as itself: it is then followed, unless the caller said not to.
  int LienOuvert(Descripteur fd) {
    if ((drapeaux_ & (O_PATH | O_NOFOLLOW)) != O_PATH) return fd.Lache();
    struct stat etat {};
    if (::fstat(fd.fd(), &etat) != 0) return -1;
    if (!S_ISLNK(etat.st_mode)) return fd.Lache();
    return Suit(fd.fd(), true);
  }

  // A folder on the way, or a last name that must be one. A name ending in "/" cannot be made.
  int Traverse(const QByteArray& partie, bool dernier) {
    if (dernier && finDossier_ && (drapeaux_ & O_CREAT) != 0) return Erreur(EISDIR);
    Descripteur suivant(::openat(Position(), partie.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat etat {};
    if (!suivant.Valide() || ::fstat(suivant.fd(), &etat) != 0) return -1;
    if (S_ISLNK(etat.st_mode)) return Suit(suivant.fd(), dernier);
    if (!S_ISDIR(etat.st_mode)) return Erreur(ENOTDIR);
    entres_.push_back({etat.st_dev, etat.st_ino});
    ici_ = std::move(suivant);
    return Suite;
  }

  // Puts the target of the link `lien` (opened as itself) in front of the names still to walk.
  int Suit(int lien, bool dernier) {
    if (++liens_ > LiensAuPlus) return Erreur(ELOOP);
    // The links of /proc stand for open files, not names; its few plain ones are refused alike.
    struct statfs systeme {};
    if (::fstatfs(lien, &systeme) != 0) return -1;
    if (systeme.f_type == PROC_SUPER_MAGIC) return Erreur(ELOOP);
    QByteArray cible(PATH_MAX, '\0');
    const ssize_t n = ::readlinkat(lien, "", cible.data(), static_cast<size_t>(cible.size()));
    if (n < 0) return -1;
    if (n >= cible.size()) return Erreur(ENAMETOOLONG);
    cible.truncate(n);
    if (cible.isEmpty()) return Erreur(ENOENT);
    if (cible.startsWith('/')) return Erreur(EXDEV);
    const bool cibleDossier = Devant(reste_, cible);
    if (dernier) finDossier_ = finDossier_ || cibleDossier;
    return Suite;
  }

  const int racine_;
  const int drapeaux_;
  const mode_t mode_;
  const bool dernierDossier_;
  // Whether the last name is one of a folder (the name, or a link's target, ends in "/").
  bool finDossier_ = false;
  std::deque<QByteArray> reste_;
  // The folders entered, the root first.
  std::vector<Identite> entres_;
  Descripteur ici_;  // the folder reached, the root while none
  int liens_ = 0;
};

int Parcourt(int racine, const QByteArray& nom, int drapeaux) {
  return Parcours(racine, drapeaux).Ouvre(nom);
}

}  // namespace

int ParcourtSousDossier(int dossier, const QByteArray& nom, int drapeaux) {
  int fd;
  int essais = 0;
  do {
    fd = Parcourt(dossier, nom, drapeaux);
  } while (fd < 0 && (errno == EINTR || (errno == EAGAIN && ++essais < 64)));
  return fd;
}

void DefinitEtapeParcours(EtapeParcours etape) { etapeCourante = std::move(etape); }

int OuvreSousDossier(int dossier, const QByteArray& nom, int drapeaux) {
  if (!AppelPresent()) return ParcourtSousDossier(dossier, nom, drapeaux);
  long fd;
  // A rename elsewhere while the name resolves makes the kernel (and the walk) ask to try again.
  int essais = 0;
  do {
    fd = Openat2(dossier, nom.constData(), drapeaux);
  } while (fd < 0 && (errno == EINTR || (errno == EAGAIN && ++essais < 64)));
  return static_cast<int>(fd);
}
