#include "interpreter/KeywordTable.h"

#include <QHash>
#include <type_traits>

#include "commands/Commands.h"
#include "drawing/TextCommands.h"
#include "interpreter/ArcScale.h"
#include "interpreter/CommandFiles.h"
#include "interpreter/DataFiles.h"
#include "interpreter/Flow.h"
#include "interpreter/Graduations.h"
#include "interpreter/Labels.h"
#include "interpreter/RuntimeCommands.h"
#include "interpreter/Sectors.h"
#include "interpreter/SetupCommands.h"
#include "interpreter/StraightScale.h"
#include "platform/Events.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

// A command after which the level goes on with its next statement.
template <auto Commande>
Suite Puis(int niveau) {
  if constexpr (std::is_invocable_v<decltype(Commande), int>) {
    Commande(niveau);
  } else if constexpr (std::is_invocable_v<decltype(Commande), int, const QString&>) {
    Commande(niveau, Lecture.ParamLigne);
  } else {
    Commande();
  }
  return Suite::Continue;
}

Suite Si(int niveau) { return EvalueSi(niveau) ? Suite::FinNiveau : Suite::Continue; }

Suite Arrete(int niveau) {
  EffaceEtatIf(niveau);
  return Suite::FinNiveau;
}

// Cancel ends the whole run, the levels that called this one too.
Suite ListeVariables(int niveau) {
  if (!CmdListeVar(niveau)) return Suite::Continue;
  if (niveau > 1) Arret = true;
  return Suite::FinNiveau;
}

Suite Demande(int niveau) {
  if (!CmdInput(niveau)) return Suite::Continue;
  EffaceEtatIf(niveau);
  if (niveau > 1) Arret = true;
  return Suite::FinNiveau;
}

Suite AppelleFichier(int niveau) {
  int appelant = niveau;
  return ExecFichier(appelant, 0) < 0 ? Suite::FinNiveau : Suite::Continue;
}

Suite Ouvre(int niveau) {
  CmdOpen(niveau, false);
  return Suite::Continue;
}

Suite OuvreA(int niveau) {
  CmdOpen(niveau, true);
  return Suite::Continue;
}

Suite Droite(int) {
  CmdDroite(false);
  return Suite::Continue;
}

Suite DroiteV(int) {
  CmdDroite(true);
  return Suite::Continue;
}

Suite Secteur(int niveau) {
  CmdSect(niveau, false);
  return Suite::Continue;
}

Suite SecteurP(int niveau) {
  CmdSect(niveau, true);
  return Suite::Continue;
}

Suite Chaine(int) {
  DoEvents();
  CmdChain(Lecture.ParamLigne);
  return Suite::Continue;
}

Suite TraceDonnees(int niveau) {
  DoEvents();
  CmdPlot(niveau, Niveau(niveau).MotCle, Lecture.ParamLigne);
  return Suite::Continue;
}

Suite GardeArguments(int) {
  Lecture.StopArg = true;
  return Suite::Continue;
}

// A factor statement belongs in a command file: in the program itself it is an error.
Suite Facteur(int niveau) {
  if (niveau == 1) ErreurInstruction(TexteMsg(TexteRaison::NonAdmis));
  return Suite::Continue;
}

using R = RegleOrdre;
using S = SaisieMasque;

// The columns: the word as written, whether the editor knows it, the older word it replaces, the
// handler, the order rule, whether events pass first, the syntax hint, the mask, the mask of the
// word followed by "%", how the dialog writes it back, the help topic. The editor lists the words
// it knows in this order.
// clang-format off
const MotCle kMotsCles[] = {
  {"Arc",        true,  nullptr,  Puis<CmdArc>,        R::TraceEchelle, false, 203, 303, 0,   S::Egal,  2700},
  {"Bezier",     true,  nullptr,  Puis<TraceBezier>,   R::Dessin,       false, 258, 364, 364, S::Egal,  0},
  {"BezierP",    true,  nullptr,  Puis<TraceBezier>,   R::Dessin,       false, 258, 364, 0,   S::Egal,  0},
  {"Bezier_aGr", true,  nullptr,  Puis<TraceBezier>,   R::Dessin,       false, 259, 365, 0,   S::Egal,  2700},
  {"Cadre",      true,  nullptr,  Puis<TraceCadre>,    R::Dessin,       false, 204, 304, 304, S::Egal,  2300},
  {"CadreP",     true,  nullptr,  Puis<TraceCadre>,    R::Dessin,       false, 204, 304, 0,   S::Egal,  2300},
  {"CadreA",     true,  nullptr,  Puis<TraceCadre>,    R::Dessin,       false, 205, 305, 305, S::Egal,  2300},
  {"CadreAP",    true,  nullptr,  Puis<TraceCadre>,    R::Dessin,       false, 205, 305, 0,   S::Egal,  2300},
  {"CentreE",    true,  nullptr,  Puis<CmdCentre>,     R::Centre,       false, 206, 306, 306, S::Egal,  2100},
  {"CentreI",    true,  nullptr,  Puis<CmdCentre>,     R::Centre,       false, 207, 307, 0,   S::Egal,  2100},
  {"CentreEI",   true,  nullptr,  Puis<CmdCentre>,     R::Centre,       false, 206, 306, 0,   S::Egal,  2100},
  {"Cercle",     true,  nullptr,  Puis<TraceCercle>,   R::Dessin,       false, 208, 308, 308, S::Egal,  2200},
  {"CercleI",    true,  nullptr,  Puis<TraceCercle>,   R::Dessin,       false, 208, 308, 0,   S::Egal,  2200},
  {"CercleP",    true,  nullptr,  Puis<TraceCercle>,   R::Dessin,       false, 209, 308, 0,   S::Egal,  2200},
  {"CerclePI",   true,  nullptr,  Puis<TraceCercle>,   R::Dessin,       false, 209, 308, 0,   S::Egal,  2200},
  {"Chain",      true,  nullptr,  Chaine,              R::Dessin,       false, 255, 355, 0,   S::Egal,  3100},
  {"Couleur",    true,  nullptr,  Puis<CmdCouleur>,    R::Libre,        false, 210, 310, 0,   S::Egal,  2500},
  {"CT",         true,  nullptr,  Puis<CmdCT>,         R::Libre,        false, 211, 311, 0,   S::Egal,  2100},
  {"Decal",      true,  nullptr,  Puis<CmdDecal>,      R::Libre,        false, 212, 312, 0,   S::Egal,  2700},
  {"DemiLune",   true,  nullptr,  Puis<TraceDemiLune>, R::Dessin,       false, 213, 313, 313, S::Egal,  2300},
  {"DemiLuneP",  true,  nullptr,  Puis<TraceDemiLune>, R::Dessin,       false, 213, 313, 0,   S::Egal,  2300},
  {"Droite",     true,  nullptr,  Droite,              R::TraceEchelle, false, 214, 314, 0,   S::Egal,  2700},
  {"DroiteV",    true,  nullptr,  DroiteV,             R::TraceEchelle, false, 215, 315, 0,   S::Egal,  2700},
  {"EpaisT",     true,  nullptr,  Puis<CmdEpaisT>,     R::Dessin,       false, 216, 316, 0,   S::Egal,  2500},
  {"Exposant",   true,  nullptr,  Puis<CmdExposant>,   R::Libre,        false, 217, 317, 0,   S::Egal,  2700},
  {"Fichier",    true,  nullptr,  AppelleFichier,      R::Appel,        true,  219, 319, 0,   S::Egal,  3200},
  {"Fleche",     true,  nullptr,  Puis<TraceFleche>,   R::Dessin,       false, 220, 320, 320, S::Egal,  2300},
  {"FlecheP",    true,  nullptr,  Puis<TraceFleche>,   R::Dessin,       false, 220, 320, 0,   S::Egal,  2300},
  {"FormatI",    true,  nullptr,  Puis<CmdFormatI>,    R::Format,       false, 221, 321, 0,   S::Egal,  2600},
  {"Goto",       true,  nullptr,  Puis<CmdGoto>,       R::Libre,        true,  249, 349, 0,   S::Blanc, 2900},
  {"Grad",       true,  nullptr,  Puis<CmdGrad>,       R::SurEchelle,   false, 222, 322, 0,   S::Egal,  2700},
  {"Grad1",      true,  nullptr,  Puis<CmdGrad1>,      R::SurEchelle,   false, 223, 323, 0,   S::Egal,  2700},
  {"Image",      true,  nullptr,  Puis<TraceImage>,    R::Dessin,       false, 244, 344, 0,   S::Egal,  3100},
  {"Input",      true,  nullptr,  Demande,             R::Libre,        false, 251, 351, 0,   S::Blanc, 2900},
  {"Inversion",  true,  nullptr,  Puis<CmdInversion>,  R::Libre,        false, 224, 324, 0,   S::Egal,  2700},
  {"If",         true,  "SI",     Si,                  R::Libre,        true,  247, 347, 0,   S::Blanc, 2900},
  {"ElseIf",     true,  nullptr,  Si,                  R::Libre,        true,  0,   360, 0,   S::Vue,   0},
  {"IfT",        true,  "SIT",    Puis<CmdIfT>,        R::Libre,        true,  247, 347, 0,   S::Blanc, 2900},
  {"ElseIfT",    true,  nullptr,  Puis<CmdIfT>,        R::Libre,        true,  0,   360, 0,   S::Vue,   0},
  {"EndIf",      true,  nullptr,  Puis<CmdEndIf>,      R::Libre,        false, 0,   362, 0,   S::Vue,   0},
  {"Else",       true,  "SINON",  Puis<CmdElse>,       R::Libre,        false, 0,   361, 0,   S::Vue,   0},
  {"ListeVar",   true,  nullptr,  ListeVariables,      R::Libre,        false, 250, 350, 0,   S::Egal,  3000},
  {"LVar",       true,  nullptr,  Puis<CmdLVar>,       R::Libre,        false, 253, 353, 0,   S::Egal,  2800},
  {"NPage",      true,  nullptr,  Puis<CmdNPage>,      R::NouvellePage, false, 254, 354, 0,   S::Egal,  2600},
  {"Open",       true,  nullptr,  Ouvre,               R::Libre,        false, 252, 352, 0,   S::Egal,  2800},
  {"OpenA",      true,  nullptr,  OuvreA,              R::Libre,        false, 263, 369, 0,   S::Egal,  0},
  {"PalCoul",    true,  nullptr,  Puis<TracePalCoul>,  R::Dessin,       false, 246, 346, 346, S::Egal,  3100},
  {"PalCoul2",   true,  nullptr,  Puis<TracePalCoul>,  R::Dessin,       false, 246, 346, 0,   S::Egal,  3100},
  {"PalCoul3",   true,  nullptr,  Puis<TracePalCoul>,  R::Dessin,       false, 246, 346, 0,   S::Egal,  3100},
  {"Percer",     true,  nullptr,  Puis<TracePercer>,   R::Dessin,       false, 225, 325, 0,   S::Egal,  2300},
  {"PercerX",    true,  nullptr,  Puis<TracePercer>,   R::Dessin,       false, 225, 325, 0,   S::Egal,  2300},
  {"Plot",       true,  nullptr,  TraceDonnees,        R::Dessin,       false, 256, 356, 356, S::Egal,  2800},
  {"PlotP",      true,  nullptr,  TraceDonnees,        R::Dessin,       false, 256, 356, 0,   S::Egal,  2800},
  {"PlotS",      true,  nullptr,  TraceDonnees,        R::Dessin,       false, 256, 356, 0,   S::Egal,  2800},
  {"Plus",       true,  nullptr,  Puis<TracePlus>,     R::Dessin,       false, 226, 326, 0,   S::Egal,  2200},
  {"PrintA",     true,  nullptr,  Puis<CmdPrintA>,     R::Libre,        false, 264, 370, 0,   S::Egal,  0},
  {"+",          true,  nullptr,  Puis<TracePlus>,     R::Dessin,       false, 226, 326, 0,   S::Egal,  2200},
  {"Police",     true,  nullptr,  Puis<CmdPolice>,     R::Libre,        false, 227, 327, 0,   S::Egal,  2500},
  {"Poly",       true,  nullptr,  Puis<TracePoly>,     R::Dessin,       false, 228, 328, 0,   S::Egal,  2300},
  {"PolyP",      true,  nullptr,  Puis<TracePoly>,     R::Dessin,       false, 228, 328, 0,   S::Egal,  2300},
  {"PolyR",      true,  nullptr,  Puis<TracePolyR>,    R::Dessin,       false, 261, 367, 0,   S::Egal,  2300},
  {"PolyRP",     true,  nullptr,  Puis<TracePolyR>,    R::Dessin,       false, 261, 367, 0,   S::Egal,  2300},
  {"QA",         true,  nullptr,  Puis<TraceQA>,       R::Dessin,       false, 243, 343, 343, S::Egal,  3100},
  {"QA1",        true,  nullptr,  Puis<TraceQA>,       R::Dessin,       false, 243, 343, 0,   S::Egal,  3100},
  {"QA2",        true,  nullptr,  Puis<TraceQA>,       R::Dessin,       false, 243, 343, 0,   S::Egal,  3100},
  {"QA12",       true,  nullptr,  Puis<TraceQA>,       R::Dessin,       false, 243, 343, 0,   S::Egal,  3100},
  {"RefCur",     true,  nullptr,  Puis<CmdRefCur>,     R::Libre,        false, 257, 363, 0,   S::Egal,  2500},
  {"Sect",       true,  nullptr,  Secteur,             R::SurEchelle,   false, 229, 329, 329, S::Egal,  2700},
  {"SectP",      true,  nullptr,  SecteurP,            R::SurEchelle,   false, 229, 329, 0,   S::Egal,  2700},
  {"Separateur", true,  nullptr,  Puis<CmdSeparateur>, R::Libre,        false, 230, 330, 0,   S::Egal,  2500},
  {"Stop",       true,  nullptr,  Arrete,              R::Libre,        false, 231, 331, 0,   S::Vue,   2900},
  {"!",          true,  nullptr,  Arrete,              R::Libre,        false, 231, 331, 0,   S::Vue,   2900},
  {"TailleP",    true,  nullptr,  Puis<CmdTailleP>,    R::Libre,        false, 232, 332, 0,   S::Egal,  2500},
  {"Texte",      true,  nullptr,  Puis<TraceTexte>,    R::Dessin,       false, 233, 333, 0,   S::Egal,  2400},
  {"TexteC",     true,  nullptr,  Puis<TraceTexteC>,   R::Dessin,       false, 234, 334, 0,   S::Egal,  2400},
  {"Trait",      true,  nullptr,  Puis<CmdTrait>,      R::Dessin,       false, 235, 335, 0,   S::Egal,  2200},
  {"Val",        true,  nullptr,  Puis<CmdVal>,        R::SurEchelle,   false, 236, 336, 357, S::Egal,  2700},
  {"ValR",       true,  nullptr,  Puis<CmdVal>,        R::SurEchelle,   false, 236, 357, 0,   S::Egal,  2700},
  {"ValD",       true,  nullptr,  Puis<CmdVal>,        R::SurEchelle,   false, 236, 357, 0,   S::Egal,  2700},
  {"Val1",       true,  nullptr,  Puis<CmdVal1>,       R::SurEchelle,   false, 237, 337, 358, S::Egal,  2700},
  {"Val1R",      true,  nullptr,  Puis<CmdVal1>,       R::SurEchelle,   false, 237, 358, 0,   S::Egal,  2700},
  {"Val1D",      true,  nullptr,  Puis<CmdVal1>,       R::SurEchelle,   false, 237, 358, 0,   S::Egal,  2700},
  {"Voyant",     true,  nullptr,  Puis<TraceVoyant>,   R::Dessin,       false, 238, 338, 0,   S::Egal,  2300},
  {"X",          true,  nullptr,  Puis<TraceX>,        R::Dessin,       false, 239, 339, 0,   S::Egal,  2200},
  {"ZoomIni",    true,  nullptr,  Puis<CmdZoomIni>,    R::Zoom,         false, 245, 345, 0,   S::Egal,  2500},
  {"ZoomIniI",   true,  nullptr,  Puis<CmdZoomIniI>,   R::Zoom,         false, 245, 345, 0,   S::Egal,  2500},
  {"AngRot",     true,  "ROTANG", Puis<CmdAngRot>,     R::Libre,        false, 260, 366, 0,   S::Egal,  2500},
  {"Cote",       true,  nullptr,  Puis<CmdCote>,       R::Dessin,       false, 262, 368, 0,   S::Egal,  3100},
  {"?",          true,  nullptr,  Puis<CmdPoint>,      R::Libre,        false, 240, 340, 0,   S::Egal,  3000},
  {"Options#$",  false, nullptr,  Puis<CmdOptions>,    R::Libre,        false, 0,   0,   0,   S::Egal,  0},
  {"DagCode",    false, nullptr,  Puis<CmdDagCode>,    R::Libre,        false, 0,   0,   0,   S::Egal,  0},
  {"Shell#$",    false, nullptr,  Puis<CmdShell>,      R::Libre,        false, 0,   0,   0,   S::Egal,  0},
  {"StopArg",    false, nullptr,  GardeArguments,      R::Libre,        false, 0,   0,   0,   S::Egal,  0},
  {"Facteurs",   false, nullptr,  Facteur,             R::Libre,        false, 0,   0,   0,   S::Egal,  0},
  {"Facteur",    false, nullptr,  Facteur,             R::Libre,        false, 0,   0,   0,   S::Egal,  0},
};
// clang-format on

}  // namespace

std::span<const MotCle> MotsCles() { return kMotsCles; }

const MotCle* ChercheMotCle(const QString& majuscules) {
  static const QHash<QString, const MotCle*> index = [] {
    QHash<QString, const MotCle*> t;
    for (const MotCle& mot : kMotsCles) t.insert(UCase(QString::fromLatin1(mot.Ecrit)), &mot);
    return t;
  }();
  return index.value(majuscules, nullptr);
}
