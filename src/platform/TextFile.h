#pragma once

// Text files of the program: programs, command files, data files, configuration, point files.
// A file is read in its one encoding (Encodings.h) and written back in the encoding and with the
// line ends it was read with. Every write goes through the checked writer (FileWriter.h).

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

#include "platform/Encodings.h"
#include "platform/FileWriter.h"

// The whole file as text with CR LF line ends, and its form in *forme when given; nullopt when it
// cannot be read.
std::optional<QString> LitFichierTexte(const QString& chemin, FormeTexte* forme = nullptr);
// The same, reading at most `limite` bytes: a file that holds more is read no further and gives
// nullopt with *tropGrand set (the size the system reports is not trusted: some files report 0 and
// are huge, others grow while they are read). A file that cannot be read gives nullopt with the
// reason in *erreur when given.
std::optional<QString> LitFichierTexteBorne(const QString& chemin, qint64 limite, bool* tropGrand,
                                            FormeTexte* forme = nullptr, QString* erreur = nullptr);
// The bytes of the text in the given form, as EcritFichierTexte writes them.
QByteArray OctetsDuTexte(const QString& texte, const FormeTexte& forme = FormeTexte());
// Writes the whole file in the given form; a failed write leaves the old file as it was. False on
// failure, with the system's reason in *erreur when given.
bool EcritFichierTexte(const QString& chemin, const QString& texte, QString* erreur = nullptr,
                       const FormeTexte& forme = FormeTexte());

// Appends text (with CR LF line ends) to a file, creating it when missing, in the file's own
// encoding and line ends (see CodageAjout); a failed or refused append leaves the file as it was,
// with the reason in *erreur.
bool AjouteFichierTexte(const QString& chemin, const QString& texte, QString* erreur = nullptr);

// A text file held open for appending lines for as long as a program writes to it: the line ends
// and the encoding are those of the file as found when it was opened, as AjouteFichierTexte chooses
// them, and each call is one checked write (see AjoutOuvert).
class FichierTexteEnAjout {
 public:
  // Opens the file, creating it when missing. False with the system's reason.
  bool Ouvre(const QString& chemin, QString* erreur = nullptr);
  // The same with the file already opened for appending (see AjoutOuvert::Adopte).
  bool Adopte(int fd, const QString& chemin, const QString& raison, QString* erreur = nullptr);
  // Opens the file for a run: one that is missing (or no regular file) is the run error of a
  // missing file; one that is there and cannot be opened, a run error with the system's reason.
  void OuvrePourLeRun(const QString& chemin);
  // Appends text with CR LF line ends. False with the system's reason, or the reason the file's
  // encoding refuses it (see CodageAjout); nothing of it then stays.
  bool Ajoute(const QString& texte, QString* erreur = nullptr);
  // Appends one line and its line end, as Ajoute(ligne + CR LF) does.
  bool AjouteLigne(const QString& ligne, QString* erreur = nullptr);
  // Syncs and closes the file; false with the system's reason (see AjoutOuvert::Ferme).
  bool Ferme(QString* erreur = nullptr) { return fichier_.Ferme(erreur); }
  bool EstOuvert() const { return fichier_.EstOuvert(); }
  const QString& Chemin() const { return fichier_.Chemin(); }
  bool EstLeFichier(const QString& chemin) const { return fichier_.EstLeFichier(chemin); }

 private:
  bool AjouteNonAscii(const QString& ajout, QString* erreur);
  bool AjouteAscii(const QByteArray& octets, QString* erreur);

  AjoutOuvert fichier_;
  // The bytes of the last line of plain ASCII, kept so that a long run of lines allocates nothing.
  QByteArray tampon_;
  QString fin_ = QStringLiteral("\r\n");
  // The file's encoding: read only once a text that is not ASCII has to be encoded.
  std::optional<CodageAjout> codage_;
};

// Only regular files (or links to one) are read: a FIFO, a device or a folder would block the
// open, never end, or hold no text. Every reader of the program goes through these.
bool EstFichierOrdinaire(const QString& chemin);
// Opens a regular file for reading into f (not yet open). The kind is checked before the open and
// again on the opened file, which is opened without waiting, so a FIFO put in its place between
// the two never blocks. False, with f closed, when it is not a regular file or cannot be opened,
// with the reason in *erreur.
bool OuvreFichierOrdinaire(QFile& f, const QString& chemin);
bool OuvreFichierOrdinaire(QFile& f, const QString& chemin, QString* erreur);
// All the bytes of a regular file; nullopt when it is not one or cannot be read, with the reason
// in *erreur when given.
std::optional<QByteArray> LitOctetsFichier(const QString& chemin, QString* erreur = nullptr);
// At most `limite` bytes of a regular file, as LitFichierTexteBorne reads them: more gives nullopt
// with *tropGrand set.
std::optional<QByteArray> LitOctetsFichierBorne(const QString& chemin, qint64 limite, bool* tropGrand,
                                                QString* erreur = nullptr);

// A program or command file larger than this is refused, read no further: it is far beyond what a
// program can hold (a character takes at most three bytes of a file).
constexpr qint64 TailleMaxFichierProgramme = 1024 * 1024;

// A text file read one line at a time, so that a reader that stops early never holds the rest.
// Lines end at CR LF, LF or CR, as DecoupeLignes cuts them; each is decoded in the whole file's
// encoding, as DecodeTexte decodes the file (a BOM is dropped from the first line of a UTF-8 file),
// which a first pass over the file in pieces tells when it is opened (up to the first line too long
// to be read, beyond which no line is ever read). A line added after that pass (the file grows
// while it is read) that is not valid UTF-8 reads as Windows-1252, as the whole file now does; a
// file that was ASCII is then Windows-1252 for its later lines too. A line longer than
// LongueurMaxLigneDonnees bytes is a run error that says so: no real data file has one, and a file without
// line ends (or one that reports no size and has none) would otherwise be held whole.
constexpr qint64 LongueurMaxLigneDonnees = 1024 * 1024;
// The run error detail of a file that exists and cannot be read: its path and the system's reason.
QString TexteLectureImpossible(const QString& chemin, const QString& raison);
class LecteurLignes {
 public:
  // False when the file is not a regular file or cannot be opened or read, with the reason in
  // *erreur.
  bool Ouvre(const QString& chemin, QString* erreur = nullptr);
  // Opens the file for a run: one that is missing (or no regular file) is the run error of a
  // missing file; one that is there and cannot be opened, a run error with the system's reason.
  void OuvrePourLeRun(const QString& chemin);
  // No line is left (also when the file could not be opened). A read that fails is a run error
  // that gives the system's reason.
  bool Fin();
  // The next line without its line end; empty at the end.
  QString Suivante();

 private:
  // Reads the next piece of the file behind what is held; false at the end of the file.
  bool Remplit();

  QFile fichier_;
  QString chemin_;
  QByteArray tampon_;
  qsizetype pos_ = 0;
  bool premiere_ = true;
  // What the file holds as read so far: the first pass tells it, a line added since may change it.
  CodageAjout::Teneur teneur_ = CodageAjout::Teneur::Windows1252;
};
