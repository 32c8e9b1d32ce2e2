#pragma once

// The one writer of every file Morvo writes. Writes are unbuffered and every one is checked: a
// whole file goes through a temporary file in the same folder that is written, synced and
// measured before it replaces the old one; an append is one write at the end of the file, and the
// part of it that went in is taken back when it did not go in whole. Either way a failure leaves
// the old file byte for byte and gives the system's reason. (With Qt 6.4, a buffered QSaveFile's
// commit() reports success when only its final flush fails.)
//
// Links are followed as the system follows them, except one that lies in a sticky folder everybody
// may write to (such as /tmp) and belongs neither to the user nor to the folder's owner: another
// user may have planted it to have us write over a file of ours, so it is refused with the reason,
// whatever the system's own protection says. A link of the user's own is written through.

#include <signal.h>
#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

// The system's words for an error number, in the user's language.
QString RaisonSysteme(int code);
// Why a file of that mode is not one to read or append to: "Is a directory" for a folder, else what
// it is (a FIFO or a pipe, a device, a socket).
QString RaisonNonOrdinaire(unsigned mode);

// Writes the bytes as the whole file. False on failure, with the reason in *erreur when given. A
// link is kept and the file it points to written; a folder, device or FIFO is refused, and so is a
// name that the system reads as no file ("keep.txt/.", see DesigneUnFichier). The new file
// keeps the permissions of the one it replaces only when that was the user's own; any other (one
// that another user left in /tmp) gets those the umask gives a new file.
bool EcritFichier(const QString& chemin, const QByteArray& octets, QString* erreur = nullptr);
// As EcritFichier, for the file `base` of the folder open at `dossier` (an O_PATH descriptor will
// do): the temporary file is made in that very folder and renamed over the name itself there, so a
// link or a folder of the path swapped meanwhile never leads the bytes elsewhere. `chemin` names the
// file in the reasons told.
bool EcritFichierDans(int dossier, const QByteArray& base, const QString& chemin, const QByteArray& octets,
                      QString* erreur = nullptr);
// An output asked for on a command line: as EcritFichier, but a character device or a FIFO (such as
// /dev/null) is written into as it stands; a FIFO that nobody reads fails at once. A name of one of
// our own descriptors (/dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N) is written through
// that descriptor as the shell opened it: never truncated nor replaced, appended to where it was
// opened to append; one that is not open for writing is refused with the reason.
bool EcritSortie(const QString& chemin, const QByteArray& octets, QString* erreur = nullptr);
// The path with its links followed as the writer follows them (the last name may not exist yet);
// nullopt with the reason when the writer would refuse a link on the way.
std::optional<QString> SuitLiens(const QString& chemin, QString* erreur = nullptr);
// The descriptor that the name designates (/dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N,
// through links too); nullopt for any other name.
std::optional<int> DescripteurNomme(const QString& chemin);
// Whether that descriptor is open for writing; the reason when it is not.
bool DescripteurEcrivable(int fd, QString* erreur = nullptr);
// Whether a file can be written at the name as the system reads it: false with the system's answer
// for a folder's name ("x/", "x/.", a folder), for a name that goes through a file as through a
// folder ("prog.dat/": "Not a directory"), and for one whose folder is not there.
bool DesigneUnFichier(const QString& chemin, QString* erreur = nullptr);

// What a name given for a file to write reaches, read once as the system reads it: the headless
// runner judges its outputs with it and the window the names it writes to, so that both read a name
// alike (Qt's cleaned forms would read "keep.txt/." as "keep.txt").
class CibleEcriture {
 public:
  explicit CibleEcriture(const QString& nom);
  // The system's answer when the name reaches no file to write (see DesigneUnFichier); empty
  // otherwise.
  const QString& Refus() const { return refus_; }
  // A file is there now: writing replaces it (or writes into it, for a device or a FIFO).
  bool Existe() const { return existe_; }
  // A device, a FIFO, a socket or one of our descriptors: outputs that share it mix their bytes.
  bool Flux() const { return flux_; }
  // The null device, which any number of outputs may share: what goes there is thrown away.
  bool Partagee() const { return partagee_; }
  // Whether both names reach one file: one device and inode where it exists, else one path once
  // the links are followed (the file the writer would make). A refused name reaches none.
  bool MemeFichier(const CibleEcriture& autre) const;

 private:
  QString refus_;
  bool existe_ = false;
  bool flux_ = false;
  bool partagee_ = false;
  dev_t peripherique_ = 0;
  ino_t inode_ = 0;
  QString chemin_;
};
// Appends the bytes, creating the file when missing.
bool AjouteFichier(const QString& chemin, const QByteArray& octets, QString* erreur = nullptr);

class QCryptographicHash;
class QSaveFile;

// Where the bytes of one output went, write after write, so that a write that fails takes back
// only bytes that are still this run's own: its last bytes, while nothing follows them in the file,
// they still read as written and nobody else has the file open. Whatever stays, as what went into a
// pipe, is told with how much of the output it is.
class PartEcrite {
 public:
  PartEcrite();
  ~PartEcrite();
  PartEcrite(const PartEcrite&) = delete;
  PartEcrite& operator=(const PartEcrite&) = delete;
  // What the descriptor leads to; before its first write.
  void Debute(int fd);
  // A write through `fd` that put these bytes in just now: the file offset stands right after them.
  void Note(int fd, const char* octets, qint64 taille);
  // After a failed write: takes back what may go, and gives what is said after the reason.
  QString Reprend(int fd);

 private:
  bool EncoreLa(int fd) const;

  bool ordinaire_ = false;
  bool tube_ = false;
  qint64 total_ = 0;
  // The last bytes written, one after the other in the file, and their digest.
  qint64 debut_ = -1;
  qint64 fin_ = -1;
  std::unique_ptr<QCryptographicHash> empreinte_;
};

// A whole output written as it is made (the headless runner's log), as EcritSortie writes it: the
// bytes go into a temporary file in the same folder that replaces the old file only once it is
// whole, or straight into a device, a FIFO or the descriptor that the name designates. The first
// failure ends the writing and is kept for Termine(); the old file then stays as it was, and from a
// regular file behind the descriptor PartEcrite takes back what is still this run's own.
class SortieProgressive {
 public:
  explicit SortieProgressive(const QString& chemin);
  ~SortieProgressive();
  SortieProgressive(const SortieProgressive&) = delete;
  SortieProgressive& operator=(const SortieProgressive&) = delete;
  void Ecrit(const char* octets, qint64 taille);
  // False with the reason when the file is not written whole.
  bool Termine(QString* erreur = nullptr);

 private:
  void Echoue(const QString& raison);

  QString chemin_;
  std::unique_ptr<QSaveFile> fichier_;
  int flux_ = -1;
  // flux_ is a descriptor the runner was handed, which stays open.
  bool descripteur_ = false;
  PartEcrite part_;
  qint64 ecrits_ = 0;
  bool echec_ = false;
  QString raison_;
};

// A regular file held open for appending. Each Ajoute is one write at the end of the file as it
// then stands, so that the lines of another process appending to the same file stay whole beside
// ours. A write that does not go in whole takes back the part that went in when nothing was written
// after it, and never touches bytes that another writer put there.
class AjoutOuvert {
 public:
  AjoutOuvert() = default;
  ~AjoutOuvert();
  AjoutOuvert(const AjoutOuvert&) = delete;
  AjoutOuvert& operator=(const AjoutOuvert&) = delete;

  // Opens the file (created when missing); a FIFO, device or folder is refused without waiting.
  // False with the system's reason.
  bool Ouvre(const QString& chemin, QString* erreur = nullptr);
  // Takes over a descriptor opened for appending to `chemin` (-1 when its open failed for
  // `raison`), as Ouvre would have opened it: it fails in the same way and is told the same.
  bool Adopte(int fd, const QString& chemin, const QString& raison, QString* erreur = nullptr);
  bool Ajoute(const QByteArray& octets, QString* erreur = nullptr);
  // Syncs and closes the file; false with the system's reason when its data may not have reached
  // the disk (network and quota file systems tell it only then).
  bool Ferme(QString* erreur = nullptr);
  bool EstOuvert() const { return fd_ >= 0; }
  const QString& Chemin() const { return chemin_; }
  // Whether the path reaches this very file, by whatever name (links and file systems that ignore
  // the case of names included).
  bool EstLeFichier(const QString& chemin) const;
  // The size of the file now; -1 when it cannot be told.
  qint64 Taille() const;

 private:
  bool OuvreFichier(const QString& chemin, QString* erreur);
  // Holds the open descriptor of `chemin` when it is a regular file, else closes it.
  bool Prend(int fd, const QString& chemin, QString* erreur);

  int fd_ = -1;
  QString chemin_;
  quint64 peripherique_ = 0;
  quint64 inode_ = 0;
  // Whether bytes went in since the file was opened: only those can still fail to reach the disk.
  bool ajoute_ = false;
};

// Writes the bytes of a PDF as `cible` through the checked writer, once they are whole (false with
// the reason otherwise).
bool EcritPdfEntier(const QByteArray& octets, const QString& cible, QString* erreur = nullptr,
                    bool sortie = false);
// Writes a PDF that a printer wrote whole into `provisoire` as `cible`, through the checked writer
// (as an output asked for on a command line with `sortie`); false with the reason when it is not
// whole or cannot be written.
bool EcritPdfProvisoire(const QString& provisoire, const QString& cible, QString* erreur = nullptr,
                        bool sortie = false);

// The message that tells the user a file was not written: the file's name and the reason, in the
// message language.
QString TexteEcritureImpossible(const QString& chemin, const QString& raison);

// Tests: while set, a write whose path the hook accepts fails once its bytes are written, as on a
// full disk.
using PanneEcriture = std::function<bool(const QString& chemin)>;
void DefinitPanneEcriture(PanneEcriture panne);

// A write past the file-size limit (ulimit -f) fails with the system's "File too large" instead of
// ending the process, so that it takes the checked path of a full disk: the old file stays whole
// and the reason is told. Both programs call it first thing in main.
void IgnoreLimiteTailleFichier();
// While it lives, the signals Morvo ignores for itself (the file-size limit, a reader gone) act as
// they do by default, so that a program started meanwhile gets them so: an ignored signal outlives
// exec. Held only around the start of a program, where Morvo itself writes nothing.
class SignauxParDefaut {
 public:
  SignauxParDefaut();
  ~SignauxParDefaut();
  SignauxParDefaut(const SignauxParDefaut&) = delete;
  SignauxParDefaut& operator=(const SignauxParDefaut&) = delete;

 private:
  struct sigaction limite_ {
  }, tube_{};
};

// While set, every write of a file that fails (a whole file, an append, or the open or close of an
// append) is told with the path and the reason: the headless runner makes its exit status of the
// failed writes of a run.
using SuiviEchecs = std::function<void(const QString& chemin, const QString& raison)>;
void DefinitSuiviEchecs(SuiviEchecs suivi);
// Tells a write refused before any byte went in (an append its file's encoding cannot take) as a
// failed one.
void SignaleEchecEcriture(const QString& chemin, const QString& raison);

// Whether the user asked to stop (the headless runner's SIGINT and SIGTERM): a write into a device
// or FIFO that waits for a reader then ends with the reason, and once a stop is asked a reader who
// does not read is waited for a few seconds only.
void DefinitArretEcriture(std::function<bool()> arret);
