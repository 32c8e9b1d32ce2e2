#pragma once

// Text files of the program: programs, command files, data files, configuration, point files.
// Reading accepts UTF-8 (when the bytes are valid UTF-8) or Windows-1252, and CR LF, LF or CR line
// ends; the text held inside always uses CR LF. Writing uses Windows-1252 with CR LF when every
// character fits, else UTF-8, and goes through a temporary file and a rename.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <optional>

QString DecodeWindows1252(const QByteArray& octets);
// nullopt when a character has no Windows-1252 code.
std::optional<QByteArray> EncodeWindows1252(const QString& texte);
// UTF-8 when valid UTF-8 (a BOM is dropped), else Windows-1252.
QString DecodeTexte(const QByteArray& octets);
// Every CR LF, lone LF and lone CR becomes CR LF.
QString NormaliseFinsDeLigne(const QString& texte);
// Lines split on CR LF, LF or CR; a final line end does not make an empty last line.
QStringList DecoupeLignes(const QString& texte);

// The whole file as text with CR LF line ends; nullopt when it cannot be read.
std::optional<QString> LitFichierTexte(const QString& chemin);
// Writes through a temporary file in the same folder and renames it over the old one, so a
// failed write never destroys the old file. Line ends are written as CR LF. False on failure,
// with the reason in *erreur when given.
bool EcritFichierTexte(const QString& chemin, const QString& texte, QString* erreur = nullptr);
// Appends text (already with its line ends) to a file, creating it when missing.
bool AjouteFichierTexte(const QString& chemin, const QString& texte, QString* erreur = nullptr);

// Finds a file in a folder without regard to the case of its name (an exact match first) and gives
// its path, folder included; empty when there is none.
QString TrouveSansCasse(const QString& dossier, const QString& nom);

// Only regular files (or links to one) are read: a FIFO, a device or a folder would block the
// open, never end, or hold no text. Every reader of the program goes through these.
bool EstFichierOrdinaire(const QString& chemin);
// Opens a regular file for reading into f (not yet open). The kind is checked before the open and
// again on the opened file, which is opened without waiting, so a FIFO put in its place between
// the two never blocks. False, with f closed, when it is not a regular file or cannot be opened.
bool OuvreFichierOrdinaire(QFile& f, const QString& chemin);
// All the bytes of a regular file; nullopt when it is not one or cannot be read.
std::optional<QByteArray> LitOctetsFichier(const QString& chemin);

// A text file read one line at a time, so that a reader that stops early never holds the rest.
// Lines end at CR LF, LF or CR, as DecoupeLignes cuts them; each line is decoded by itself as
// DecodeTexte does (a BOM is dropped from the first).
class LecteurLignes {
 public:
  // False when the file is not a regular file or cannot be opened.
  bool Ouvre(const QString& chemin);
  // No line is left (also when the file could not be opened or read).
  bool Fin();
  // The next line without its line end; empty at the end.
  QString Suivante();

 private:
  // Reads the next piece of the file behind what is held; false at the end of the file.
  bool Remplit();

  QFile fichier_;
  QByteArray tampon_;
  qsizetype pos_ = 0;
  bool premiere_ = true;
};
