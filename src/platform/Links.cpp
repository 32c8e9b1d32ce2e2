#include "platform/Links.h"

#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <QList>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <deque>

#include "platform/FileNames.h"
#include "platform/SystemReasons.h"

namespace {

void DonneErreur(QString* erreur, const QString& raison) {
  if (erreur) *erreur = raison;
}

// A link in a sticky folder that everybody may write to (/tmp) that belongs neither to the user nor
// to the folder's owner.
bool LienPlante(const QByteArray& dossier, const struct stat& lien) {
  struct stat etat {};
  return ::stat(dossier.constData(), &etat) == 0 && (etat.st_mode & S_ISVTX) && (etat.st_mode & S_IWOTH) &&
         lien.st_uid != ::geteuid() && lien.st_uid != etat.st_uid;
}

// Whether the folder lies in /proc, whose links stand for open files.
bool DansProc(const QByteArray& dossier) {
  struct statfs fs {};
  return ::statfs(dossier.constData(), &fs) == 0 && fs.f_type == 0x9fa0 /* procfs */;
}

// What the link says; empty when it cannot be read whole.
QByteArray CibleDuLien(const QByteArray& lien) {
  QByteArray cible(PATH_MAX, '\0');
  const ssize_t n = ::readlink(lien.constData(), cible.data(), static_cast<size_t>(cible.size()));
  if (n <= 0 || n >= cible.size()) return {};
  cible.truncate(n);
  return cible;
}

}  // namespace

// Follows the links of a path as the system does, with the rule that protects shared folders
// applied whatever the system's own setting: a link in a sticky folder that everybody may write to
// (/tmp) is followed only when it belongs to the user or to the folder's owner, since another user
// may have planted it there to have us write over one of our own files. The path with every link
// followed (its last name may not exist yet); nullopt with the reason for such a link. The links of
// /proc (/dev/stdout, /proc/self/fd/N) stand for open files and are left for the system to follow.
std::optional<QByteArray> ResoutLiens(const QString& chemin, QString* erreur) {
  QByteArray nom = OctetsDuNom(chemin);
  // A relative name is written in the current folder or nowhere: Qt would give an empty current
  // folder that cannot be told, and the name would be one of the root folder.
  if (!nom.startsWith('/')) {
    const std::optional<QString> courant = DossierCourant(erreur);
    if (!courant) return std::nullopt;
    nom = OctetsDuNom(*courant) + '/' + nom;
  }
  std::deque<QByteArray> reste;
  const auto devant = [&reste](const QByteArray& texte) {
    const QList<QByteArray> parties = texte.split('/');
    for (auto i = parties.size(); i-- > 0;) reste.push_front(parties[i]);
  };
  devant(nom);
  QByteArray base;  // what is resolved so far, "" being the root
  int liens = 0;
  while (!reste.empty()) {
    const QByteArray partie = reste.front();
    reste.pop_front();
    if (partie.isEmpty() || partie == ".") continue;
    if (partie == "..") {
      base.truncate(std::max<qsizetype>(0, base.lastIndexOf('/')));
      continue;
    }
    const QByteArray suivant = base + '/' + partie;
    struct stat lien {};
    if (::lstat(suivant.constData(), &lien) != 0 || !S_ISLNK(lien.st_mode)) {
      base = suivant;
      continue;
    }
    const QByteArray dossier = base.isEmpty() ? QByteArray("/") : base;
    if (DansProc(dossier)) {
      base = suivant;
      for (const QByteArray& r : reste) base += '/' + r;
      return base;
    }
    if (LienPlante(dossier, lien)) {
      DonneErreur(erreur, RaisonSysteme(EACCES) +
                              QStringLiteral(" (a link that another user owns in a shared folder is not "
                                             "followed)"));
      return std::nullopt;
    }
    if (++liens > 40) {
      DonneErreur(erreur, RaisonSysteme(ELOOP));
      return std::nullopt;
    }
    const QByteArray cible = CibleDuLien(suivant);
    if (cible.isEmpty()) {
      base = suivant;
      continue;
    }
    if (cible.startsWith('/')) base.clear();
    devant(cible);
  }
  return base.isEmpty() ? QByteArray("/") : base;
}

GenreFichier GenreDe(const QString& chemin) {
  struct stat etat {};
  if (::stat(OctetsDuNom(chemin).constData(), &etat) != 0) return GenreFichier::Absent;
  if (S_ISREG(etat.st_mode)) return GenreFichier::Ordinaire;
  if (S_ISDIR(etat.st_mode)) return GenreFichier::Dossier;
  if (S_ISCHR(etat.st_mode) || S_ISFIFO(etat.st_mode)) return GenreFichier::Flux;
  return GenreFichier::Autre;
}

bool DesigneUnFichier(const QString& chemin, QString* erreur) {
  const QByteArray nom = OctetsDuNom(chemin);
  struct stat etat {};
  if (::stat(nom.constData(), &etat) == 0) {
    if (!S_ISDIR(etat.st_mode)) return true;
    DonneErreur(erreur, RaisonSysteme(EISDIR));
    return false;
  }
  int code = errno;
  if (code == ENOENT) {
    // A name not there yet: the system makes a file of it only where the folder it names is one,
    // and never of a name that ends in "/", which it answers with "Is a directory".
    qsizetype fin = nom.size();
    while (fin > 1 && nom[fin - 1] == '/') --fin;
    if (fin < nom.size()) {
      code = EISDIR;
    } else {
      const qsizetype barre = nom.lastIndexOf('/');
      // Asked with its "/": a file on the way is "Not a directory".
      const QByteArray dossier = barre < 0 ? QByteArray("./") : nom.left(barre + 1);
      if (::stat(dossier.constData(), &etat) == 0) return true;
      code = errno;
    }
  }
  DonneErreur(erreur, RaisonSysteme(code));
  return false;
}

std::optional<QString> SuitLiens(const QString& chemin, QString* erreur) {
  const std::optional<QByteArray> cible = ResoutLiens(chemin, erreur);
  if (!cible) return std::nullopt;
  return TexteDuNom(*cible);
}
