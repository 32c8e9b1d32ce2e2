#pragma once

// The folder of the program in the editor. Its relative names (data, command and picture files,
// appends and deletions, the offset file of Plot, %Path) are found from it, and it is the folder its
// writes need no consent in: one routine tells it to all of them, so that they never disagree.

#include <QByteArray>
#include <QString>

// The name the system gives the file an open descriptor designates, in its bytes; empty when it
// gives none.
QByteArray NomReel(int fd);

// The name the system gives the file that `nom` leads to (absolute, its links and /proc names
// followed); empty when it gives none (no such file, or a name beyond its path limit).
QString FichierReel(const QString& nom);

// The folder a file's own relative names are found beside, ending in "/": the folder of the file its
// name leads to, as the system finds it through links and /proc names, else the folder of its name
// (empty for a bare name). A program's (below) and a command file's alike.
QString DossierDuFichier(const QString& nom);

// The folder of the program in the editor, ending in "/": the folder its file really lies in, as
// the system finds it through a link or a /proc name (as a desktop shortcut opens its target; the
// window's title and Save keep the name as opened), else the folder of its name; for a program
// never saved, Shell.RepCourant. Empty for the current folder.
QString DossierDuProgramme();

// Makes DossierDuProgramme the current folder and Shell.RepCourant, as opening, saving under a new
// name or running a program does. A relative one (a folder told only from the current one, beyond
// the system's path limit) leaves RepCourant empty, the current folder.
void DevientDossierCourant();

// Makes `nom` (absolute, or relative beyond the system's path limit) the name of the program opened
// and its folder (DossierDuProgramme) the current one, as opening it at start does. A name that
// reaches another file from there (one told from the old current folder, or through
// /proc/self/cwd) gives way to the name of the file it reached.
void DevientProgramme(const QString& nom);
