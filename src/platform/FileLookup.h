#pragma once

// Finding the file a name means: a name matched without regard to case where nothing matches
// exactly, and the file a FICHIER name of a command file stands for.

#include <QString>

// Finds a file in a folder without regard to the case of its name (an exact match first) and gives
// its path, folder included; empty when there is none.
QString TrouveSansCasse(const QString& dossier, const QString& nom);
// The path of an existing file, its name matched without regard to case when nothing matches
// exactly; empty when there is none.
QString FichierExistant(const QString& chemin);

// A folder with its closing "/" ("." and an empty folder give an empty text, a name relative to the
// current folder).
QString AjouteAntiSlash(const QString& chemin);

// The file a FICHIER name stands for: the name from the current folder, then, for a relative
// name, with ".dag" or ".dat" added, in Shell.RepCourant and in the program's own folder. The name
// as written when nothing is found.
QString ResoutFichierCommande(const QString& nom);
