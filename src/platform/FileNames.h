#pragma once

// File names as the system has them: bytes, which need not be valid UTF-8. A name given as bytes
// (a command line argument) is held in a QString that gives the same bytes back: each byte that is
// no part of valid UTF-8 is held as the lone surrogate U+DC80..U+DCFF, which valid UTF-8 never
// yields. Qt's own decoding would turn such bytes into U+FFFD and so name another file.

#include <QByteArray>
#include <QString>
#include <optional>

// The name as text, its invalid bytes kept as lone surrogates.
QString TexteDuNom(const QByteArray& octets);
// The system's bytes of a name made by TexteDuNom, or of any text (UTF-8).
QByteArray OctetsDuNom(const QString& nom);
// Whether the name holds bytes that are not valid UTF-8, which Qt's file classes cannot open.
bool NomNonUtf8(const QString& nom);

// A name as a one-line message shows it: control characters (line ends, tabs, the escape that
// starts a terminal's command) and bytes that are not UTF-8 are written as \n, \r, \t, \e or \xNN,
// the characters that reorder a line's direction as \uNNNN; anything else as it is.
QString NomLisible(const QString& nom);
// A file as a question names it: the name given and, where the system reaches the file under
// another name (links followed), that one too ("name -> real name"), both written as NomLisible
// writes them.
QString NomEnQuestion(const QString& nom, const QString& reel);

// The current folder as an absolute path; nullopt with the system's reason when it cannot be told
// (a folder deeper than the system's path limit, or one that was removed). Qt gives an empty path
// then, which would make a relative name one of the root folder.
std::optional<QString> DossierCourant(QString* erreur = nullptr);
// The name written as shortly as the system reads it alike: without its "." and doubled "/", and
// "x/.." taken out only where x is a folder (a link's ".." is the parent of what it leads to). A
// closing "/" stays, since it makes the name one of a folder.
QString CheminPropre(const QString& chemin);
// The name made absolute from the current folder, as CheminPropre writes it; when that folder cannot
// be told, the name as it is, which still reaches the file from there (where Qt's absolute form
// names one in the root).
QString DansDossierCourant(const QString& nom);

// The user's home folder: $HOME, or when it is unset or empty the password database's entry, as
// the C library's own programs take it.
QString DossierPersonnel();
