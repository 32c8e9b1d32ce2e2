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

bool Echec(int code) {
  errno = code;
  return false;
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
// walked from where the link lies.
int Parcourt(int racine, const QByteArray& nom, int drapeaux) {
  if (nom.isEmpty()) return Erreur(ENOENT);
  if (nom.startsWith('/')) return Erreur(EXDEV);
  const mode_t mode = (drapeaux & O_CREAT) != 0 ? 0666 : 0;
  drapeaux |= O_CLOEXEC;
  std::deque<QByteArray> reste;
  bool finDossier = Devant(reste, nom);
  // A last name opened with O_DIRECTORY and followed is walked as a folder: opened without
  // following, a link would only say "not a folder".
  const bool dernierDossier = (drapeaux & (O_DIRECTORY | O_NOFOLLOW | O_CREAT)) == O_DIRECTORY;
  struct stat etat {};
  if (::fstat(racine, &etat) != 0) return -1;
  // The folders entered, the root first: ".." goes back to the one before, and only while that is
  // still the folder the walk came from (one moved meanwhile could lead out).
  std::vector<Identite> entres{{etat.st_dev, etat.st_ino}};
  Descripteur ici;  // the folder reached, the root while none
  const auto position = [&] { return ici.Valide() ? ici.fd() : racine; };
  int liens = 0;

  // Puts the target of the link `lien` (opened as itself) in front of the names still to walk.
  const auto suit = [&](int lien, bool dernier) {
    if (++liens > LiensAuPlus) return Echec(ELOOP);
    // The links of /proc stand for open files, not names; its few plain ones are refused alike.
    struct statfs systeme {};
    if (::fstatfs(lien, &systeme) != 0) return false;
    if (systeme.f_type == PROC_SUPER_MAGIC) return Echec(ELOOP);
    QByteArray cible(PATH_MAX, '\0');
    const ssize_t n = ::readlinkat(lien, "", cible.data(), static_cast<size_t>(cible.size()));
    if (n < 0) return false;
    if (n >= cible.size()) return Echec(ENAMETOOLONG);
    cible.truncate(n);
    if (cible.isEmpty()) return Echec(ENOENT);
    if (cible.startsWith('/')) return Echec(EXDEV);
    const bool cibleDossier = Devant(reste, cible);
    if (dernier) finDossier = finDossier || cibleDossier;
    return true;
  };

  while (!reste.empty()) {
    const QByteArray partie = reste.front();
    reste.pop_front();
    const bool dernier = reste.empty();
    if (partie == ".") continue;
    if (partie == "..") {
      if (entres.size() == 1) return Erreur(EXDEV);
      Descripteur parent(::openat(position(), "..", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (!parent.Valide() || ::fstat(parent.fd(), &etat) != 0) return -1;
      entres.pop_back();
      // As the kernel does, the caller is asked to try again.
      if (!(Identite{etat.st_dev, etat.st_ino} == entres.back())) return Erreur(EAGAIN);
      ici = entres.size() == 1 ? Descripteur() : std::move(parent);
      continue;
    }
    if (etapeCourante) etapeCourante();
    if (dernier && !finDossier && !dernierDossier) {
      if (ici.Valide() && !ToujoursDessous(ici.fd(), entres.front())) return Erreur(EXDEV);
      Descripteur fd(::openat(position(), partie.constData(), drapeaux | O_NOFOLLOW, mode));
      if (fd.Valide()) {
        // O_PATH opens a link as itself: it is then followed, unless the caller said not to.
        if ((drapeaux & (O_PATH | O_NOFOLLOW)) != O_PATH) return fd.Lache();
        if (::fstat(fd.fd(), &etat) != 0) return -1;
        if (!S_ISLNK(etat.st_mode)) return fd.Lache();
        if (!suit(fd.fd(), true)) return -1;
        continue;
      }
      if (errno != ELOOP || (drapeaux & O_NOFOLLOW) != 0) return -1;
      // A link, or a name made one since: read as itself, then followed from here.
      const Descripteur lien(::openat(position(), partie.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
      if (!lien.Valide() || ::fstat(lien.fd(), &etat) != 0) return -1;
      if (S_ISLNK(etat.st_mode)) {
        if (!suit(lien.fd(), true)) return -1;
      } else {
        // Turned back meanwhile: tried again, no more often than links are followed.
        if (++liens > LiensAuPlus) return Erreur(ELOOP);
        reste.push_front(partie);
      }
      continue;
    }
    // A folder on the way, or a last name that must be one. A name ending in "/" cannot be made.
    if (dernier && finDossier && (drapeaux & O_CREAT) != 0) return Erreur(EISDIR);
    Descripteur suivant(::openat(position(), partie.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!suivant.Valide() || ::fstat(suivant.fd(), &etat) != 0) return -1;
    if (S_ISLNK(etat.st_mode)) {
      if (!suit(suivant.fd(), dernier)) return -1;
      continue;
    }
    if (!S_ISDIR(etat.st_mode)) return Erreur(ENOTDIR);
    entres.push_back({etat.st_dev, etat.st_ino});
    ici = std::move(suivant);
  }
  if (ici.Valide() && !ToujoursDessous(ici.fd(), entres.front())) return Erreur(EXDEV);
  return ::openat(position(), ".", drapeaux, mode);
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
