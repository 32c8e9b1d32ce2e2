#pragma once

// Run-time commands that act on the run itself: the INPUT dialog, the variable listing, the level
// capacities, and the two hidden commands of command-file authors. Each reads ParamLigne.

// True when the user cancelled: the run must stop.
bool CmdInput(int niveau);
// True when the user chose Cancel: the run must stop.
bool CmdListeVar(int niveau);
void CmdOptions(int niveau);
void CmdDagCode(int niveau);
// True where no program may be started (the fuzz targets): SHELL#$ then starts nothing.
extern bool LancementsInterdits;
void CmdShell();

// Whether SHELL#$ may start a program: the user's consent, asked once for the program in the
// editor (the desktop program), always (morvo-run --allow-shell) or never (morvo-run).
enum class AccordShell { Demander, Autoriser, Refuser };
extern AccordShell PolitiqueShell;
// Forgets the user's answer: the program it was given for was closed or replaced.
void OublieAccordShell();
