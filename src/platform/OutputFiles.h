#pragma once

// The outputs named on a command line or in a dialog (the runner's log, picture and PDF, Print to
// File): the name is judged once as the system reads it, then written through the checked writer
// (FileWriter.h), or as it stands where it is a device, a FIFO or one of our own descriptors.

#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

#include "platform/FileWriter.h"

// An output asked for on a command line: as EcritFichier, but a character device or a FIFO (such as
// /dev/null) is written into as it stands; a FIFO that nobody reads fails at once. A name of one of
// our own descriptors (/dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N) is written through
// that descriptor as the shell opened it: never truncated nor replaced, appended to where it was
// opened to append; one that is not open for writing is refused with the reason.
bool EcritSortie(const QString& chemin, const QByteArray& octets, QString* erreur = nullptr);
// The descriptor that the name designates (/dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N,
// through links too); nullopt for any other name.
std::optional<int> DescripteurNomme(const QString& chemin);
// Whether that descriptor is open for writing; the reason when it is not.
bool DescripteurEcrivable(int fd, QString* erreur = nullptr);

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

// Writes the bytes of a PDF as `cible` through the checked writer, once they are whole (false with
// the reason otherwise).
bool EcritPdfEntier(const QByteArray& octets, const QString& cible, QString* erreur = nullptr,
                    bool sortie = false);
// Writes a PDF that a printer wrote whole into `provisoire` as `cible`, through the checked writer
// (as an output asked for on a command line with `sortie`); false with the reason when it is not
// whole or cannot be written.
bool EcritPdfProvisoire(const QString& provisoire, const QString& cible, QString* erreur = nullptr,
                        bool sortie = false);
