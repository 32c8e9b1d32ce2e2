#pragma once

// The set-up commands that the keyword chain runs in line: zoom factors, current colour, centre,
// the current 0,0 (CT), pivot offset (Decal), default rotation (AngRot), reference cursor (RefCur),
// page orientation (FormatI), separators, page break (NPage) and the "?" echo of the current point.
// Each reads ParamLigne; the chain applies the command-order rules before calling them.

#include <QString>
#include <cstdint>

// The initial zoom that loading a program text (CR LF lines) gives, before it runs: the first line
// holding "ZOOMINI" that is no comment, read after its "=" (or after the keyword); 0 and no such line
// give 1.
float ZoomInitial(const QString& texte);
void CmdZoomIni();
void CmdZoomIniI();
void CmdCouleur(int niveau);
// Whether a centre keyword (CENTREE, CENTREI, CENTREEI) acts on the current output: CENTREE on the
// screen only, CENTREI on the printer only, CENTREEI on both.
bool CentreSurSortie(const QString& motCle);
void CmdCentre(int niveau);
void CmdCT(int niveau);
void CmdDecal();
void CmdAngRot(int niveau);
// Level 1 only; deeper the line does nothing.
void CmdRefCur(int niveau);
// A field naming no orientation is a run error.
void CmdFormatI();
void CmdSeparateur(int niveau);
void CmdNPage();
// "?": the current point into the variables named by the fields or, at level 1, into the program
// text in place of the statement (which becomes a comment); the line loop goes on after it.
void CmdPoint(int niveau);
