#pragma once

// Where a name given to the writer leads, as the system reads it, before anything is written:
// whether it names a file at all, what kind of file it reaches, and its links followed. Links are
// followed as the system follows them, except one that lies in a sticky folder everybody may write
// to (such as /tmp) and belongs neither to the user nor to the folder's owner: another user may have
// planted it to have us write over a file of ours, so it is refused with the reason, whatever the
// system's own protection says. A link of the user's own is written through.

#include <QByteArray>
#include <QString>
#include <optional>

// The path with its links followed as the writer follows them (the last name may not exist yet);
// nullopt with the reason when the writer would refuse a link on the way.
std::optional<QString> SuitLiens(const QString& chemin, QString* erreur = nullptr);
// Whether a file can be written at the name as the system reads it: false with the system's answer
// for a folder's name ("x/", "x/.", a folder), for a name that goes through a file as through a
// folder ("prog.dat/": "Not a directory"), and for one whose folder is not there.
bool DesigneUnFichier(const QString& chemin, QString* erreur = nullptr);
// The same path as the system's bytes, which the writer opens.
std::optional<QByteArray> ResoutLiens(const QString& chemin, QString* erreur = nullptr);
// What the path names, links followed; Absent also when it cannot be told.
enum class GenreFichier { Absent, Ordinaire, Dossier, Flux, Autre };
GenreFichier GenreDe(const QString& chemin);
