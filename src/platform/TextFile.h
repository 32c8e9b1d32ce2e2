#pragma once

// Text files of the program: programs, command files, data files, configuration, point files.
// Reading accepts UTF-8 (when the bytes are valid UTF-8) or Windows-1252, and CR LF, LF or CR line
// ends; the text held inside always uses CR LF. Writing uses Windows-1252 with CR LF when every
// character fits, else UTF-8, and goes through a temporary file and a rename.

#include <QByteArray>
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
