#pragma once

// The shape, curve and plot commands handed a statement by the keyword chain. Each reads its
// parameters from ParamLigne and raises a run error when it fails.

#include <QString>

void TraceCadre(int niveau);
void CmdEpaisT(int niveau);
void TraceQA(int niveau);
void TracePlus(int niveau);
void TraceX(int niveau);
void TraceCercle(int niveau, const QString& param);
void TracePercer(int niveau);
void TraceVoyant();
void TracePoly();
void TracePolyR(int niveau, const QString& param);
void TraceDemiLune(int niveau);
void TraceFleche(int niveau);
void TraceImage();
void TracePalCoul(int niveau);
void CmdChain(const QString& param);
void CmdPlot(int niveau, const QString& motCle, const QString& param);
void TraceBezier(int niveau, const QString& param);
