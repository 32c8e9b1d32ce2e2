#pragma once

// The text, font, polyline and dimension-line statements of the drawing layer.

#include <QString>

void CmdTailleP(int niveau);
void CmdPolice(int niveau);
void TraceTexte(int niveau);
void TraceTexteC(int niveau);
void CmdTrait(int niveau);
void CmdCote(int niveau, const QString& param);
