#pragma once

// The one writer of every file Morvo writes. Writes are unbuffered and every one is checked: a
// whole file goes through a temporary file in the same folder that is written, synced and
// measured before it replaces the old one; an append is one write at the end of the file, and the
// part of it that went in is taken back when it did not go in whole. Either way a failure leaves
// the old file byte for byte and gives the system's reason. (With Qt 6.4, a buffered QSaveFile's
// commit() reports success when only its final flush fails.) Where a name leads, its links
// followed, is Links.h's.

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "platform/SystemReasons.h"
#include "platform/WrittenPart.h"

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
// Appends the bytes, creating the file when missing.
bool AjouteFichier(const QString& chemin, const QByteArray& octets, QString* erreur = nullptr);

class QFileDevice;
class QSaveFile;

// The checked writer's steps, which the outputs written as they are made (OutputFiles.h) take too.
// Whether the test hook (DefinitPanneEcriture) fails the writes of that path.
bool EnPanne(const QString& chemin);
// Gives the new file of `f` the permissions of the file `cible` it replaces only where that was
// the user's own (see EcritFichier); false with the reason when they cannot be set.
bool DonneModeDuRemplacant(QSaveFile& f, const QByteArray& cible, QString& raison);
// The reason of a failed step of a file: the device's own, else the hook's full disk (told as the
// device tells a real one, in Qt's words), else a short write.
QString RaisonDuFichier(const QFileDevice& f, bool panne);
// Writes every byte, unbuffered: a write that goes in only in part is tried again for the rest, so
// that the system's reason of the failure is known.
bool EcritTout(QFileDevice& f, const QByteArray& octets);
// Data still in the system's cache can fail to reach the disk (network and quota file systems
// report it only here); a file system that cannot sync is no failure.
bool Synchronise(QFileDevice& f, QString& raison);
// Writes through a descriptor (a device, a FIFO, one the shell opened), noting in `part` where the
// bytes went. Into a regular file that cannot take them all (the file-size limit, a full disk),
// only the whole lines that fit go in. A write that waits for a reader who does not read ends when
// a stop is asked (see DefinitArretEcriture).
bool EcritDansDescripteur(int fd, const char* octets, qint64 taille, QString& raison,
                          PartEcrite* part = nullptr);

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
  // False with the reason when the file cannot take `taille` more bytes whole (see Place).
  bool PeutPrendre(qint64 taille, QString* erreur);

  int fd_ = -1;
  QString chemin_;
  quint64 peripherique_ = 0;
  quint64 inode_ = 0;
  // Whether bytes went in since the file was opened: only those can still fail to reach the disk.
  bool ajoute_ = false;
  // What the disk surely still takes without being asked again (half of what it had free).
  qint64 placeSure_ = 0;
};

// The message that tells the user a file was not written: the file's name and the reason, in the
// message language.
QString TexteEcritureImpossible(const QString& chemin, const QString& raison);

// Tests: while set, a write whose path the hook accepts fails once its bytes are written, as on a
// full disk.
using PanneEcriture = std::function<bool(const QString& chemin)>;
void DefinitPanneEcriture(PanneEcriture panne);

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
