#pragma once

// Command files (FICHIER), external commands (".dag" files listed at start-up) and the symbol
// texts of PLOTS run as the next program level, with the caller's output state saved around them.

#include <QString>

// ExecFichier is the one entry point by which a command below the interpreter runs a program level:
// the symbols of PLOTS (commands/Plot.cpp) are program texts, run one level deeper like a
// command file. This recursion is the only include of the interpreter from a lower floor.
//
// Runs the file named by field 1 of ParamLigne (fields 2 and 3: its origin x, y with an optional
// "§angle"; fields 4 and on: the values handed to it) one level below 'niveau'. index 0: FICHIER;
// 1..60: the external command of that number in Shell.CmdExternes (field 1 is its name);
// negative: the symbol text 'symbole'. Returns -1 when the whole run must stop at once, else 0.
// A file that cannot be read, or a value that cannot be handed over, is a run error of the
// calling line.
int ExecFichier(int& niveau, int index, const QString& symbole = {});
