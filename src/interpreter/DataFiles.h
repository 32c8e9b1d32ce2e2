#pragma once

// Data files read line by line into variables (OPEN, LVAR) and the append file (OPENA, PRINTA).
// Each level has its own data file. The append file is held open from OPENA and serves the level
// that opened it and the command files it calls that open none of their own; a command file starts
// without one and, when it returns, its caller writes to its own again.

// OPEN (ajout false) and OPENA (ajout true).
void CmdOpen(int niveau, bool ajout);
void CmdLVar(int niveau);
void CmdPrintA();
// Closes every data file and every append file (the level fields are the caller's to clear).
void FermeFichiersDonnees();
// As FermeFichiers after a run error: the files that were open are remembered, so that a statement
// that goes on using one says it was closed by the error instead of reading or writing nothing.
void FermeFichiersSurErreur();
// Closes the append files at the end of a run, synced; a file whose lines may not all have reached
// the disk is a run error, as a failed PRINTA is.
void FermeFichiersAjout();
// Around the run of the command file of level 'niveau': the caller's append file is put aside
// while it runs and is the caller's again afterwards.
void EntreNiveauFichiers(int niveau);
void SortNiveauFichiers(int niveau);
