#pragma once

// Data files read line by line into variables (OPEN, LVAR) and the append file (OPENA, PRINTA).
// Each level has its own data file; one append file serves the whole run.

// OPEN (ajout false) and OPENA (ajout true).
void CmdOpen(int niveau, bool ajout);
void CmdLVar(int niveau);
void CmdPrintA();
// Forgets every data file and the append file (the level fields are the caller's to clear).
void FermeFichiersDonnees();
