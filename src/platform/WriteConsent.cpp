#include "platform/WriteConsent.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Beneath.h"
#include "platform/Descriptors.h"
#include "platform/EditorText.h"
#include "platform/FileNames.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/Links.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"

QByteArray DansLeDossier(const QByteArray& reelDossier, const QByteArray& base);

namespace {

const QString CRLF = QStringLiteral("\r\n");

QByteArray LienDe(int fd) { return "/proc/self/fd/" + QByteArray::number(fd); }

bool MemeFichier(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// What an answer to a write or a deletion is kept for: the file's name and, once it exists, the file
// itself (`nom` in the folder `fd`, or `fd` itself when `nom` is empty; `fd` -1 while there is no
// file), so that a yes never passes to another file put at its name (a hard link to one of the
// user's files). The system soon gives a freed inode to the next new file: the file's birth time,
// where the system keeps one, tells the two apart.
QString ObjetFichier(const QByteArray& reel, int fd, const char* nom = "") {
  QString objet = TexteDuNom(reel) + u'\n';
  struct statx etat {};
  if (fd < 0) return objet + u'-';
  if (::statx(fd, nom, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_BTIME, &etat) != 0)
    return objet + u'?';
  objet += QStringLiteral("%1.%2:%3").arg(etat.stx_dev_major).arg(etat.stx_dev_minor).arg(etat.stx_ino);
  if ((etat.stx_mask & STATX_BTIME) != 0)
    objet += QStringLiteral(":%1.%2").arg(etat.stx_btime.tv_sec).arg(etat.stx_btime.tv_nsec);
  return objet;
}

// Whether the folder is the user's home folder or holds it, asked of the system folder by folder
// up from home (or from the nearest folder of its name that exists).
bool TientLeDossierPersonnel(const struct stat& dossier) {
  QByteArray maison = OctetsDuNom(DossierPersonnel());
  Descripteur d(::open(maison.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  while (!d.Valide() && maison.lastIndexOf('/') > 0) {
    maison.truncate(maison.lastIndexOf('/'));
    d = Descripteur(::open(maison.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  }
  if (!d.Valide()) d = Descripteur(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
  for (int n = 0; d.Valide() && n < 1024; ++n) {
    struct stat etat {};
    struct stat etatParent {};
    if (::fstat(d.fd(), &etat) != 0) return true;
    if (MemeFichier(etat, dossier)) return true;
    Descripteur parent(::openat(d.fd(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!parent.Valide() || ::fstat(parent.fd(), &etatParent) != 0 || MemeFichier(etatParent, etat)) break;
    d = std::move(parent);
  }
  return false;
}

// Folders that are nobody's program folder: those everybody may write to, and home and above.
bool DossierCommun(int fd) {
  struct stat etat {};
  if (::fstat(fd, &etat) != 0 || !S_ISDIR(etat.st_mode)) return true;
  return (etat.st_mode & S_IWOTH) != 0 || TientLeDossierPersonnel(etat);
}

// The folder part of a name (as the system reads it) and its last name, which keeps a closing "/"
// so that the kernel reads it as the name of a folder.
std::pair<QByteArray, QByteArray> Coupe(const QByteArray& nom) {
  qsizetype fin = nom.size();
  while (fin > 0 && nom[fin - 1] == '/') --fin;
  if (fin == 0) return {"/", "."};
  const qsizetype barre = nom.lastIndexOf('/', fin - 1);
  if (barre < 0) return {".", nom};
  return {barre == 0 ? QByteArray("/") : nom.left(barre), nom.mid(barre + 1)};
}

// The program's folder, the one its relative names are found from, opened; none where it is a
// folder no program owns.
Descripteur OuvreDossierDuProgramme() {
  const QString dossier = DossierDuProgramme();
  const QByteArray nom = dossier.isEmpty() ? QByteArray(".") : OctetsDuNom(dossier);
  Descripteur d(::open(nom.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (d.Valide() && DossierCommun(d.fd())) return Descripteur();
  return d;
}

// The name of `base` in the folder `reelDossier` from the program's folder, as the kernel names
// both; nullopt when that folder is not the program's or below it.
std::optional<QByteArray> RelatifAuProgramme(int programme, const QByteArray& reelDossier,
                                             const QByteArray& base) {
  const QByteArray reelProgramme = NomReel(programme);
  if (reelProgramme.isEmpty() || reelDossier.isEmpty()) return std::nullopt;
  if (reelDossier == reelProgramme) return base;
  const QByteArray prefixe = reelProgramme == "/" ? QByteArray("/") : reelProgramme + '/';
  if (!reelDossier.startsWith(prefixe)) return std::nullopt;
  return reelDossier.mid(prefixe.size()) + '/' + base;
}

// Where the system can open nothing beneath a folder, what a program writes or deletes there is
// refused for that reason: the file is not elsewhere.
[[noreturn]] void RefusSansAppel(int dossier, const QByteArray& relatif) {
  const QString nom = QDir::cleanPath(TexteDuNom(NomReel(dossier) + '/' + relatif));
  const QString raison =
      QStringLiteral("the system lacks the call to open a file beneath a folder (openat2)");
  SignaleEchecEcriture(nom, raison);
  ErreurRun(
      NomLisible(nom) +
      QStringLiteral(" : le système n'a pas l'appel qui ouvre un fichier sous un dossier (openat2), rien "
                     "n'y est écrit ni effacé / ") +
      raison + QStringLiteral(", nothing is written or deleted there") + CRLF + CRLF);
}

// Opens the name beneath the folder, the system refusing any way out of it (a "..", a link that
// leads elsewhere, a /proc link); -1 with errno. EXDEV and ELOOP say the file is to be taken as
// lying outside. A system that can tell neither way refuses, unless every write is allowed anyway.
int OuvreSousDossierOuRefuse(int dossier, const QByteArray& relatif, int drapeaux) {
  const int fd = OuvreSousDossier(dossier, relatif, drapeaux);
  if (fd < 0 && errno == ENOSYS) {
    if (PolitiqueEcritures != AccordEcriture::Autoriser) RefusSansAppel(dossier, relatif);
    errno = EXDEV;
  }
  return fd;
}

bool Dehors(int code) { return code == EXDEV || code == ELOOP; }

// The folder `dossier` (opened by its name, which the system gives as `reelDossier`), reopened from the
// program's folder by the kernel, which refuses any way out of it; invalid when it lies elsewhere or was
// swapped meanwhile.
Descripteur DossierReouvertSousProgramme(const Descripteur& programme, int dossier,
                                         const QByteArray& reelDossier) {
  if (!programme.Valide()) return Descripteur();
  const auto relatif = RelatifAuProgramme(programme.fd(), reelDossier, ".");
  if (!relatif) return Descripteur();
  Descripteur d(OuvreSousDossierOuRefuse(programme.fd(), *relatif, O_PATH | O_DIRECTORY));
  struct stat atteint {
  }, juge{};
  if (!d.Valide() || ::fstat(d.fd(), &atteint) != 0 || ::fstat(dossier, &juge) != 0 ||
      !MemeFichier(atteint, juge))
    return Descripteur();
  return d;
}

// What a write or a deletion reaches, as the system found it.
struct Visee {
  QByteArray nom, base, reelDossier;
  // The folder of the name, as the system reached it when the name was judged.
  Descripteur dossier;
  Descripteur programme;
  // The folder reopened beneath the program's folder by the kernel: valid only where it lies there,
  // the one answer to "is this inside?" for a whole file and a deletion.
  Descripteur dessous;
  // The name from the program's folder, which an append opens beneath it (a link followed inside).
  std::optional<QByteArray> relatif;
  // What the name held when it was judged (the name itself, a link not followed), and where the
  // system says it lies.
  bool existe = false;
  struct stat avant {};
  QByteArray reel;
  QString raison;
};

// Whether the last name can be a file's: "x/.", "x/.." and a closing "/" name folders.
bool NomDeFichier(const QByteArray& base) { return !base.contains('/') && base != "." && base != ".."; }

// Whether the name is one of a folder, or held a folder when it was judged.
bool NommeUnDossier(const Visee& v) {
  return !NomDeFichier(v.base) || (v.existe && S_ISDIR(v.avant.st_mode));
}

// What an answer for the target is kept for (see ObjetFichier).
QString Objet(const Visee& v) {
  return ObjetFichier(v.reel, v.existe ? v.dossier.fd() : -1, v.base.constData());
}

Visee Vise(const QString& chemin) {
  Visee v;
  v.nom = OctetsDuNom(chemin);
  QByteArray partie;
  std::tie(partie, v.base) = Coupe(v.nom);
  v.dossier = Descripteur(::open(partie.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!v.dossier.Valide()) {
    v.raison = RaisonSysteme(errno);
    return v;
  }
  v.reelDossier = NomReel(v.dossier.fd());
  v.reel = DansLeDossier(v.reelDossier, v.base);
  v.existe = ::fstatat(v.dossier.fd(), v.base.constData(), &v.avant, AT_SYMLINK_NOFOLLOW) == 0;
  v.programme = OuvreDossierDuProgramme();
  if (!v.programme.Valide()) return v;
  v.relatif = RelatifAuProgramme(v.programme.fd(), v.reelDossier, v.base);
  v.dessous = DossierReouvertSousProgramme(v.programme, v.dossier.fd(), v.reelDossier);
  return v;
}

// The answers for writes and for deletions, apart.
std::array<ReponsesDuProgramme, 2> reponsesEcriture;
std::vector<EcritureRefusee> refusSansQuestion;

// A file the program made after a yes is its own: writing it again asks nothing, nor does deleting
// it where the user allowed deleting the file that had its name before.
void RetientFait(const QString& demandeur, const QString& texteDemandeur, const QString& objet) {
  if (PolitiqueEcritures != AccordEcriture::Demander) return;
  reponsesEcriture[static_cast<size_t>(GenreEcriture::Ecriture)].Retient(demandeur, texteDemandeur, objet);
  reponsesEcriture[static_cast<size_t>(GenreEcriture::Effacement)].Etend(demandeur, texteDemandeur, objet);
}

// The refusal's run error; `note` (the file's other names) follows it on its own line.
[[noreturn]] void Refus(const QString& affiche, GenreEcriture genre, const QString& note = {}) {
  ErreurRun(affiche +
            (genre == GenreEcriture::Ecriture
                 ? QStringLiteral(" : écriture hors du dossier du programme refusée / writing outside the "
                                  "program's folder refused")
                 : QStringLiteral(" : effacement hors du dossier du programme refusé / deleting outside the "
                                  "program's folder refused")) +
            CRLF + (note.isEmpty() ? QString() : note + CRLF) + CRLF);
}

// The name as the program gave it, and where the system found it lies when that is elsewhere.
QString Affiche(const QString& chemin, const QByteArray& reel) {
  return NomEnQuestion(DansDossierCourant(chemin), TexteDuNom(reel));
}

// Goes on when the user allows the operation on the file named, else raises the refusal. `objet`
// tells the file itself (its name and identity), which the answer is kept for; `autresNoms`, the
// count of its other hard links, which a write reaches too though the question cannot name them.
void Consent(const QString& affiche, const QString& objet, GenreEcriture genre, const QString& demandeur,
             const QString& texteDemandeur, nlink_t autresNoms = 0) {
  if (PolitiqueEcritures == AccordEcriture::Autoriser) return;
  // A file in the folder that has a name elsewhere is judged outside: the refusal says why, as the
  // question does.
  const QString autres = autresNoms > 0 ? TexteMsg(191).arg(static_cast<qulonglong>(autresNoms)) : QString();
  if (PolitiqueEcritures == AccordEcriture::Refuser) {
    refusSansQuestion.push_back({affiche, static_cast<qulonglong>(autresNoms)});
    Refus(affiche, genre, autres);
  }
  const QString nomme = autres.isEmpty() ? affiche : affiche + CRLF + autres;
  const QString question = TexteMsg(genre == GenreEcriture::Ecriture ? 198 : 199)
                               .arg(NomLisible(demandeur.isEmpty() ? Shell.NomFichier : demandeur), nomme);
  if (!reponsesEcriture[static_cast<size_t>(genre)].Accorde(demandeur, texteDemandeur, objet, question))
    Refus(affiche, genre);
}

}  // namespace

AccordEcriture PolitiqueEcritures = AccordEcriture::Demander;

ReponsesDuProgramme::Donnee ReponsesDuProgramme::Cle(const QString& demandeur, const QString& texteDemandeur,
                                                     const QString& objet) {
  Donnee cle;
  cle.fichier = Shell.NomFichier;
  if (HoteCourant() && HoteCourant()->Editeur()) cle.texte = HoteCourant()->Editeur()->Text();
  cle.demandeur = demandeur;
  cle.texteDemandeur = texteDemandeur;
  cle.objet = objet;
  return cle;
}

void ReponsesDuProgramme::Garde(const Donnee& cle) {
  // Answers given for another program in the editor can no longer apply.
  std::erase_if(reponses_,
                [&cle](const Donnee& r) { return r.fichier != cle.fichier || r.texte != cle.texte; });
  reponses_.push_back(cle);
}

bool ReponsesDuProgramme::Accorde(const QString& demandeur, const QString& texteDemandeur,
                                  const QString& objet, const QString& question) {
  Donnee cle = Cle(demandeur, texteDemandeur, objet);
  const auto trouvee = std::find_if(reponses_.begin(), reponses_.end(), [&cle](const Donnee& r) {
    return r.fichier == cle.fichier && r.texte == cle.texte && r.demandeur == cle.demandeur &&
           r.texteDemandeur == cle.texteDemandeur && r.objet == cle.objet;
  });
  if (trouvee != reponses_.end()) return trouvee->accordee;
  cle.accordee = Dialogues().MsgBox(question, Boutons::OuiNon, QStringLiteral("Morvo"), Icone::Question, 2) ==
                 Reponse::Oui;
  Garde(cle);
  return cle.accordee;
}

void ReponsesDuProgramme::Retient(const QString& demandeur, const QString& texteDemandeur,
                                  const QString& objet) {
  Donnee cle = Cle(demandeur, texteDemandeur, objet);
  cle.accordee = true;
  Garde(cle);
}

void ReponsesDuProgramme::Etend(const QString& demandeur, const QString& texteDemandeur,
                                const QString& objet) {
  Donnee cle = Cle(demandeur, texteDemandeur, objet);
  const QString nom = objet.left(objet.indexOf(u'\n') + 1);
  const bool accordee = std::any_of(reponses_.begin(), reponses_.end(), [&](const Donnee& r) {
    return r.accordee && r.fichier == cle.fichier && r.texte == cle.texte && r.demandeur == cle.demandeur &&
           r.texteDemandeur == cle.texteDemandeur && r.objet.startsWith(nom);
  });
  if (!accordee) return;
  cle.accordee = true;
  Garde(cle);
}

// The name of a file in a folder, as the kernel names the folder.
QByteArray DansLeDossier(const QByteArray& reelDossier, const QByteArray& base) {
  return (reelDossier == "/" ? QByteArray() : reelDossier) + '/' + base;
}

namespace {

// A file that was not there when writing it was allowed, and is there now: what another process
// put at its name meanwhile (a hard link to one of the user's files) is not what the yes was for.
QString RaisonApparu() {
  return RaisonSysteme(EEXIST) + QStringLiteral(" (it was not there when writing it was allowed)");
}

// Why the name no longer holds what it held when it was judged; empty while it does.
QString Change(const Visee& v) {
  struct stat apres {};
  const bool existe = ::fstatat(v.dossier.fd(), v.base.constData(), &apres, AT_SYMLINK_NOFOLLOW) == 0;
  if (existe && !v.existe) return RaisonApparu();
  if (existe != v.existe || (existe && !MemeFichier(apres, v.avant))) return RaisonSysteme(ESTALE);
  return {};
}

bool EchecEcriture(const QString& chemin, const QString& raison, QString* erreur) {
  SignaleEchecEcriture(chemin, raison);
  if (erreur) *erreur = raison;
  return false;
}

}  // namespace

bool EcritEntierAccorde(const QString& chemin, const QByteArray& octets, QString* erreur,
                        const QString& demandeur, const QString& texteDemandeur) {
  // The file the name leads to, its links followed as the writer follows them.
  QString raison;
  const std::optional<QString> suivi = SuitLiens(chemin, &raison);
  if (!suivi) return EchecEcriture(chemin, raison, erreur);
  const Visee v = Vise(*suivi);
  if (!v.dossier.Valide()) return EchecEcriture(chemin, v.raison, erreur);
  // A folder is no file to write, wherever it lies.
  if (NommeUnDossier(v)) return EchecEcriture(chemin, RaisonSysteme(EISDIR), erreur);
  // A link put there since the name was followed is judged as lying outside. A file with other
  // hard links is not: the new file replaces the name, and its other names keep what they held.
  const bool ordinaire = !v.existe || !S_ISLNK(v.avant.st_mode);
  if (ordinaire && v.dessous.Valide())
    return EcritFichierDans(v.dessous.fd(), v.base, chemin, octets, erreur);
  Consent(Affiche(chemin, v.reel), Objet(v), GenreEcriture::Ecriture, demandeur, texteDemandeur);
  // The yes is for the folder judged and the file it held then.
  if (const QString change = Change(v); !change.isEmpty()) return EchecEcriture(chemin, change, erreur);
  if (!EcritFichierDans(v.dossier.fd(), v.base, chemin, octets, erreur)) return false;
  RetientFait(demandeur, texteDemandeur, ObjetFichier(v.reel, v.dossier.fd(), v.base.constData()));
  return true;
}

namespace {

// The reason an open for appending gives. A FIFO that nobody reads and a socket both say "no such
// device": `la`, what the name reaches when it is known, tells which.
OuvertureAccordee OuvertureRefusee(int code, int la = -1) {
  struct stat etat {};
  if (code == ENXIO && la >= 0 && ::fstat(la, &etat) == 0 && !S_ISREG(etat.st_mode))
    return {-1, RaisonNonOrdinaire(etat.st_mode)};
  return {-1, code == ENXIO ? RaisonNonOrdinaire(S_IFIFO) : RaisonSysteme(code)};
}

// The file opened for appending, when it is still a regular file and (`attendu`) the very file
// judged; else its descriptor closed and the reason.
OuvertureAccordee Garde(Descripteur fd, const struct stat* attendu = nullptr) {
  struct stat ouvert {};
  if (::fstat(fd.fd(), &ouvert) != 0) return OuvertureRefusee(errno);
  if (!S_ISREG(ouvert.st_mode)) return {-1, RaisonNonOrdinaire(ouvert.st_mode)};
  if (attendu && !MemeFichier(ouvert, *attendu)) return OuvertureRefusee(ESTALE);
  return {fd.Lache(), {}};
}

// An existing file elsewhere than the program's folder (`existant`, the file the name designates,
// as the system follows it): what the question names, its other hard links counted, and what is
// then opened.
OuvertureAccordee AjouteDehors(const QString& chemin, const Descripteur& existant, const QString& demandeur,
                               const QString& texteDemandeur) {
  struct stat etat {};
  if (::fstat(existant.fd(), &etat) != 0) return OuvertureRefusee(errno);
  if (!S_ISREG(etat.st_mode)) return {-1, RaisonNonOrdinaire(etat.st_mode)};
  const QByteArray reel = NomReel(existant.fd());
  Consent(Affiche(chemin, reel), ObjetFichier(reel, existant.fd()), GenreEcriture::Ecriture, demandeur,
          texteDemandeur, etat.st_nlink > 1 ? etat.st_nlink - 1 : 0);
  Descripteur fd(::open(LienDe(existant.fd()).constData(), O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC));
  if (!fd.Valide()) return OuvertureRefusee(errno);
  return Garde(std::move(fd), &etat);
}

OuvertureAccordee OuvreDehors(const QString& chemin, const Visee& v, const QString& demandeur,
                              const QString& texteDemandeur, int essai = 0);

// A new file elsewhere than the program's folder, made where the name's links lead (`suivi`), in
// the folder judged now, and only while it is still not there.
OuvertureAccordee CreeDehors(const QString& chemin, const Visee& v, const QString& suivi,
                             const QString& demandeur, const QString& texteDemandeur, int essai) {
  const auto [partie, base] = Coupe(OctetsDuNom(suivi));
  const Descripteur dossier(::open(partie.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!dossier.Valide()) return OuvertureRefusee(errno);
  const QByteArray reel = DansLeDossier(NomReel(dossier.fd()), base);
  Consent(Affiche(chemin, reel), ObjetFichier(reel, -1), GenreEcriture::Ecriture, demandeur, texteDemandeur);
  Descripteur fd(::openat(dossier.fd(), base.constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC,
                          0666));
  if (!fd.Valide()) {
    if (errno != EEXIST) return OuvertureRefusee(errno);
    // Where every file is allowed (--allow-writes), the one another writer made meanwhile is taken
    // as it now stands.
    if (PolitiqueEcritures == AccordEcriture::Autoriser && essai < 8)
      return OuvreDehors(chemin, v, demandeur, texteDemandeur, essai + 1);
    return {-1, RaisonApparu()};
  }
  const OuvertureAccordee ouvert = Garde(std::move(fd));
  if (ouvert.fd >= 0) RetientFait(demandeur, texteDemandeur, ObjetFichier(reel, ouvert.fd));
  return ouvert;
}

// A file elsewhere than the program's folder: the file the name designates, as the system follows
// it, is what the question names and what is then opened (the file already open, or the new name in
// the folder that was judged).
OuvertureAccordee OuvreDehors(const QString& chemin, const Visee& v, const QString& demandeur,
                              const QString& texteDemandeur, int essai) {
  QString raison;
  const std::optional<QString> suivi = SuitLiens(chemin, &raison);
  if (!suivi) return {-1, raison};
  const Descripteur existant(::open(v.nom.constData(), O_PATH | O_CLOEXEC));
  if (existant.Valide()) return AjouteDehors(chemin, existant, demandeur, texteDemandeur);
  if (errno != ENOENT) return OuvertureRefusee(errno);
  return CreeDehors(chemin, v, *suivi, demandeur, texteDemandeur, essai);
}

}  // namespace

OuvertureAccordee OuvreAjoutAccorde(const QString& chemin, const QString& demandeur,
                                    const QString& texteDemandeur) {
  const Visee v = Vise(chemin);
  if (!v.dossier.Valide()) return {-1, v.raison};
  if (v.relatif) {
    // In the program's folder the kernel checks and opens as one step: a link swapped meanwhile
    // is refused by it, never followed out.
    Descripteur fd(
        OuvreSousDossierOuRefuse(v.programme.fd(), *v.relatif, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK));
    if (fd.Valide()) {
      struct stat etat {};
      if (::fstat(fd.fd(), &etat) != 0) return OuvertureRefusee(errno);
      if (!S_ISREG(etat.st_mode)) return {-1, RaisonNonOrdinaire(etat.st_mode)};
      // A file with another link may be one outside, reached by a hard link.
      if (etat.st_nlink <= 1) return {fd.Lache(), {}};
    } else if (!Dehors(errno)) {
      const int code = errno;
      const Descripteur la(code == ENXIO ? OuvreSousDossierOuRefuse(v.programme.fd(), *v.relatif, O_PATH)
                                         : -1);
      return OuvertureRefusee(code, la.fd());
    }
  }
  return OuvreDehors(chemin, v, demandeur, texteDemandeur);
}

void EffaceAccorde(const QString& chemin, const QString& demandeur, const QString& texteDemandeur) {
  const Visee v = Vise(chemin);
  if (!v.dossier.Valide() || !v.existe || NommeUnDossier(v)) return;
  const QString objet = Objet(v);
  if (!v.dessous.Valide())
    Consent(Affiche(chemin, v.reel), objet, GenreEcriture::Effacement, demandeur, texteDemandeur);
  // The name goes from the very folder judged, and only while it is the file judged.
  if (Change(v).isEmpty() && Objet(v) == objet) ::unlinkat(v.dossier.fd(), v.base.constData(), 0);
}
void OublieAccordEcritures() {
  for (ReponsesDuProgramme& r : reponsesEcriture) r.Oublie();
  refusSansQuestion.clear();
}

std::vector<EcritureRefusee> EcrituresRefusees() { return refusSansQuestion; }
