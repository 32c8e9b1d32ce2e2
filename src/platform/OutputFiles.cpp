#include "platform/OutputFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDir>
#include <QSaveFile>
#include <cerrno>

#include "platform/FileNames.h"
#include "platform/Links.h"
#include "platform/TextFile.h"

namespace {

void DonneErreur(QString* erreur, const QString& raison) {
  if (erreur) *erreur = raison;
}

// Opens a device or FIFO to write into as it stands, without waiting, so that a FIFO nobody reads
// fails at once instead of hanging; -1 with the reason.
int OuvreFlux(const QByteArray& cible, QString& raison) {
  const int fd = ::open(cible.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int code = errno;
    raison = code == ENXIO ? RaisonSysteme(code) + QStringLiteral(" (nothing reads from the FIFO)")
                           : RaisonSysteme(code);
    return -1;
  }
  struct stat etat {};
  if (::fstat(fd, &etat) != 0 || !(S_ISCHR(etat.st_mode) || S_ISFIFO(etat.st_mode))) {
    ::close(fd);
    raison = RaisonSysteme(EINVAL);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

// Writes into a device or FIFO as it stands.
bool EcritDansFlux(const QByteArray& cible, const QByteArray& octets, QString* erreur) {
  QString raison;
  const int fd = OuvreFlux(cible, raison);
  if (fd < 0 || !EcritDansDescripteur(fd, octets.constData(), octets.size(), raison)) {
    if (fd >= 0) ::close(fd);
    DonneErreur(erreur, raison);
    return false;
  }
  if (::close(fd) != 0 && errno != EINTR) {
    DonneErreur(erreur, RaisonSysteme(errno));
    return false;
  }
  return true;
}

}  // namespace

bool DescripteurEcrivable(int fd, QString* erreur) {
  const int drapeaux = ::fcntl(fd, F_GETFL);
  if (drapeaux < 0) {
    DonneErreur(erreur, RaisonSysteme(EBADF) + QStringLiteral(" (descriptor %1 is not open)").arg(fd));
    return false;
  }
  if ((drapeaux & O_ACCMODE) == O_RDONLY) {
    DonneErreur(erreur,
                RaisonSysteme(EBADF) + QStringLiteral(" (descriptor %1 is open for reading only)").arg(fd));
    return false;
  }
  return true;
}

std::optional<int> DescripteurNomme(const QString& chemin) {
  const std::optional<QString> resolu = SuitLiens(chemin);
  if (!resolu) return std::nullopt;
  // The links of /dev lead to /proc/self/fd/N; the links of /proc are left for the system to
  // follow, and a name may spell our process out (/proc/PID/fd/N, /proc/PID/task/TID/fd/N). The
  // system reads "//", "/./" and "x/.." in them as the folders they name: so is the name read here,
  // or "/dev/fd//1" would be taken for a file and replaced.
  const QByteArray cible = OctetsDuNom(QDir::cleanPath(*resolu));
  QByteArray reste;
  for (const QByteArray& processus : {QByteArray("/proc/self/"), QByteArray("/proc/thread-self/"),
                                      "/proc/" + QByteArray::number(::getpid()) + '/'}) {
    if (cible.startsWith(processus)) reste = cible.mid(processus.size());
  }
  if (reste.startsWith("task/")) {
    const qsizetype barre = reste.indexOf('/', 5);
    if (barre < 0) return std::nullopt;
    reste = reste.mid(barre + 1);
  }
  if (!reste.startsWith("fd/")) return std::nullopt;
  // Digits only, as the system names descriptors ("+1", " 1" or "01" name none).
  const QByteArray numero = reste.mid(3);
  if (numero.isEmpty() || numero.size() > 9 || (numero.size() > 1 && numero[0] == '0')) return std::nullopt;
  for (const char c : numero) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  return numero.toInt();
}

CibleEcriture::CibleEcriture(const QString& nom) {
  if (!DesigneUnFichier(nom, &refus_)) return;
  // The system follows the names of descriptors (/dev/stdout, /dev/fd/N) to the open file itself.
  struct stat etat {};
  if (::stat(OctetsDuNom(nom).constData(), &etat) == 0) {
    existe_ = true;
    flux_ = S_ISCHR(etat.st_mode) || S_ISFIFO(etat.st_mode) || S_ISSOCK(etat.st_mode) ||
            DescripteurNomme(nom).has_value();
    partagee_ = S_ISCHR(etat.st_mode) && etat.st_rdev == makedev(1, 3);
    peripherique_ = etat.st_dev;
    inode_ = etat.st_ino;
  } else {
    chemin_ = SuitLiens(nom).value_or(DansDossierCourant(nom));
  }
}

bool CibleEcriture::MemeFichier(const CibleEcriture& autre) const {
  if (!refus_.isEmpty() || !autre.refus_.isEmpty() || existe_ != autre.existe_) return false;
  return existe_ ? peripherique_ == autre.peripherique_ && inode_ == autre.inode_ : chemin_ == autre.chemin_;
}

bool EcritSortie(const QString& chemin, const QByteArray& octets, QString* erreur) {
  // The name as the system reads it: "prog.dat/" is a folder's name, never the file's.
  if (!DesigneUnFichier(chemin, erreur)) return false;
  // The descriptor as the shell opened it, where it stands: a file opened to append keeps what it
  // held, and a block's output goes on after its earlier lines.
  if (const std::optional<int> fd = DescripteurNomme(chemin)) {
    if (!DescripteurEcrivable(*fd, erreur)) return false;
    PartEcrite part;
    part.Debute(*fd);
    QString raison;
    if (EcritDansDescripteur(*fd, octets.constData(), octets.size(), raison, &part)) return true;
    DonneErreur(erreur, raison + part.Reprend(*fd));
    return false;
  }
  const std::optional<QString> cible = SuitLiens(chemin, erreur);
  if (!cible) return false;
  if (GenreDe(*cible) == GenreFichier::Flux) return EcritDansFlux(OctetsDuNom(*cible), octets, erreur);
  return EcritFichier(chemin, octets, erreur);
}

SortieProgressive::SortieProgressive(const QString& chemin) : chemin_(chemin) {
  QString refus;
  // The name as the system reads it: "prog.dat/" is a folder's name, never the file's.
  if (!DesigneUnFichier(chemin, &refus)) {
    Echoue(refus);
    return;
  }
  if (const std::optional<int> fd = DescripteurNomme(chemin)) {
    // Written into as the shell opened it, and left open for the shell.
    if (DescripteurEcrivable(*fd, &refus)) {
      flux_ = *fd;
      descripteur_ = true;
      part_.Debute(*fd);
    } else {
      Echoue(refus);
    }
    return;
  }
  const std::optional<QString> suivi = SuitLiens(chemin, &refus);
  if (!suivi) {
    Echoue(refus);
    return;
  }
  const QString& resolu = *suivi;
  const QByteArray cible = OctetsDuNom(resolu);
  switch (GenreDe(resolu)) {
    case GenreFichier::Dossier:
      Echoue(RaisonSysteme(EISDIR));
      return;
    case GenreFichier::Autre:
      Echoue(RaisonSysteme(EINVAL));
      return;
    case GenreFichier::Flux:
      flux_ = OuvreFlux(cible, refus);
      if (flux_ < 0)
        Echoue(refus);
      else
        part_.Debute(flux_);
      return;
    default:
      break;
  }
  fichier_ = std::make_unique<QSaveFile>(resolu);
  QString raison;
  if (!fichier_->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    Echoue(RaisonSysteme(*fichier_));
  else if (!DonneModeDuRemplacant(*fichier_, cible, raison))
    Echoue(raison);
}

SortieProgressive::~SortieProgressive() {
  if (fichier_ && fichier_->isOpen()) fichier_->cancelWriting();
  if (flux_ >= 0 && !descripteur_) ::close(flux_);
}

void SortieProgressive::Echoue(const QString& raison) {
  if (echec_) return;
  echec_ = true;
  raison_ = raison;
  if (flux_ >= 0) raison_ += part_.Reprend(flux_);
  if (fichier_ && fichier_->isOpen()) fichier_->cancelWriting();
  if (flux_ >= 0 && !descripteur_) ::close(flux_);
  flux_ = -1;
}

void SortieProgressive::Ecrit(const char* octets, qint64 taille) {
  if (echec_) return;
  if (fichier_) {
    if (!EcritTout(*fichier_, QByteArray::fromRawData(octets, taille)))
      Echoue(RaisonDuFichier(*fichier_, false));
    ecrits_ += taille;
    return;
  }
  QString raison;
  if (!EcritDansDescripteur(flux_, octets, taille, raison, &part_)) Echoue(raison);
}

bool SortieProgressive::Termine(QString* erreur) {
  if (!echec_ && flux_ >= 0) {
    const int fd = flux_;
    flux_ = -1;
    if (!descripteur_ && ::close(fd) != 0 && errno != EINTR) Echoue(RaisonSysteme(errno));
  } else if (!echec_ && fichier_) {
    QString raison;
    if (EnPanne(chemin_))
      Echoue(RaisonSysteme(ENOSPC));
    else if (!Synchronise(*fichier_, raison))
      Echoue(raison);
    else if (fichier_->size() != ecrits_)
      Echoue(RaisonSysteme(EIO));
    else if (!fichier_->commit())
      Echoue(RaisonSysteme(*fichier_));
  }
  if (echec_) DonneErreur(erreur, raison_);
  return !echec_;
}

bool EcritPdfEntier(const QByteArray& octets, const QString& cible, QString* erreur, bool sortie) {
  // A PDF that the printer could not end lacks the end that every PDF has; the printer keeps the
  // system's reason to itself.
  if (octets.trimmed().right(5) != "%%EOF") {
    DonneErreur(erreur, QStringLiteral("the PDF printer could not finish the file"));
    return false;
  }
  return sortie ? EcritSortie(cible, octets, erreur) : EcritFichier(cible, octets, erreur);
}

bool EcritPdfProvisoire(const QString& provisoire, const QString& cible, QString* erreur, bool sortie) {
  const std::optional<QByteArray> octets = LitOctetsFichier(provisoire, erreur);
  if (!octets) return false;
  return EcritPdfEntier(*octets, cible, erreur, sortie);
}
