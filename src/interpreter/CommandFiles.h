#pragma once

// Command files (FICHIER), external commands (".dag" files listed at start-up) and the symbol
// texts of PLOTS run as the next program level, with the caller's output state saved around them.

#include <QString>

// Runs the file named by field 1 of ParamLigne (fields 2 and 3: its origin x, y with an optional
// "§angle"; fields 4 and on: the values handed to it) one level below 'niveau'. index 0: FICHIER;
// 1..60: the external command of that number in Shell.CmdExternes (field 1 is its name);
// negative: the symbol text 'symbole'. Returns -1 when the whole run must stop at once, else 0.
// A file that cannot be read, or a value that cannot be handed over, is a run error of the
// calling line.
int ExecFichier(int& niveau, int index, const QString& symbole = {});

// The file a FICHIER name stands for: the name from the current folder, then, for a relative
// name, with ".dag" or ".dat" added, in Shell.RepCourant and in the program's own folder. The name
// as written when nothing is found.
QString ResoutFichierCommande(const QString& nom);
