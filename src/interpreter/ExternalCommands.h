#pragma once

// The table of external commands: the ".dag" files a program can call by their name.

#include <QString>

// Fills Shell.CmdExternes and Shell.RepCmdExternes with the ".dag" files of the program folder
// and, when it differs, of the start folder: at most 60, sorted, duplicates (any case) removed.
// Both the desktop program and the headless runner build it so at start-up.
void ListeCmdExternes(const QString& repProgramme, const QString& repDepart);
