#pragma once

// Block Ifs, one-line Ifs and jumps. A jump only moves the level's read position; a skipped
// branch is read statement by statement by the line loop and dropped.

#include <QString>
#include <cstdint>

// Where a statement's jump last went: its target text, the version of the level's labels it was
// found in (VersionEtiquettes) and the read position. A loop jumps again without a search.
struct SautRetenu {
  QString Cible;
  uint32_t Version = 0;
  int32_t Position = 0;
};
// The jump kept with the statement the line loop of the level is running; nullptr when the
// statement is not kept (one after a THEN, or from a variable line). Kept by the line loop.
SautRetenu* SautRetenuDe(int niveau);

// IF and ELSEIF: numeric and logical conditions. True when the run is being stopped.
bool EvalueSi(int& niveau);
// IFT and ELSEIFT: text conditions.
void CmdIfT(int niveau);
// An ELSEIF or ELSEIFT of a block inside a skipped branch: its form is checked, its condition is
// never evaluated.
void VerifieSinonSiSaute(int niveau);
void CmdElse(int niveau);
void CmdEndIf(int niveau);
void CmdGoto(int niveau);

// The statement after the THEN of a true one-line If is run as the next statement of its level:
// when one is waiting for this level, it becomes the working line (ParamLigne, LigneBrute and the
// statement's start) and the line loop goes on with it instead of cutting the next line.
bool PrendInstructionEnAttente(int niveau);
// Forgets a waiting statement (a level starts).
void AnnuleInstructionEnAttente();
// Where the statement being run begins in its level's text: its DebutInstr, or, after the THEN of
// a one-line If, the start of the statement that holds the If. A command that turns its statement
// into a comment comments from there: a comment right after a THEN makes a block If of the line.
int DebutLigneInstruction(int niveau);
