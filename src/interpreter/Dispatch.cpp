#include <QHash>

#include "commands/Commands.h"
#include "drawing/TextCommands.h"
#include "interpreter/ArcScale.h"
#include "interpreter/CommandFiles.h"
#include "interpreter/DataFiles.h"
#include "interpreter/Flow.h"
#include "interpreter/Graduations.h"
#include "interpreter/Interpreter.h"
#include "interpreter/Labels.h"
#include "interpreter/RunReport.h"
#include "interpreter/RuntimeCommands.h"
#include "interpreter/Sectors.h"
#include "interpreter/SetupCommands.h"
#include "interpreter/StraightScale.h"
#include "platform/Clipboard.h"
#include "platform/Events.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "values/Fields.h"
#include "values/Insertions.h"
#include "values/Levels.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

enum class Cmd {
  ZoomIni,
  ZoomIniI,
  Couleur,
  Cadre,
  TailleP,
  Police,
  EpaisT,
  Texte,
  TexteC,
  QA,
  Trait,
  Centre,
  CT,
  Decal,
  Plus,
  X,
  Arc,
  Sect,
  Droite,
  DroiteV,
  Cercle,
  Exposant,
  Inversion,
  Grad,
  Grad1,
  Val1,
  Val,
  Percer,
  Voyant,
  Poly,
  PolyR,
  DemiLune,
  Fleche,
  Point,
  Image,
  Fichier,
  FormatI,
  Separateur,
  Stop,
  PalCoul,
  If,
  IfT,
  Else,
  EndIf,
  Goto,
  ListeVar,
  Input,
  Open,
  LVar,
  PrintA,
  NPage,
  Chain,
  Plot,
  Options,
  DagCode,
  Shell,
  RefCur,
  Bezier,
  StopArg,
  AngRot,
  Cote,
  Facteur
};

// The keyword chain. Keywords are whole upper-case words, so a table decides as the ordered chain
// of comparisons would.
const QHash<QString, Cmd>& TableMotsCles() {
  static const QHash<QString, Cmd> table = {
      {"ZOOMINI", Cmd::ZoomIni},
      {"ZOOMINII", Cmd::ZoomIniI},
      {"COULEUR", Cmd::Couleur},
      {"CADRE", Cmd::Cadre},
      {"CADREP", Cmd::Cadre},
      {"CADREA", Cmd::Cadre},
      {"CADREAP", Cmd::Cadre},
      {"TAILLEP", Cmd::TailleP},
      {"POLICE", Cmd::Police},
      {"EPAIST", Cmd::EpaisT},
      {"TEXTE", Cmd::Texte},
      {"TEXTEC", Cmd::TexteC},
      {"QA", Cmd::QA},
      {"QA1", Cmd::QA},
      {"QA2", Cmd::QA},
      {"QA12", Cmd::QA},
      {"TRAIT", Cmd::Trait},
      {"CENTREE", Cmd::Centre},
      {"CENTREI", Cmd::Centre},
      {"CENTREEI", Cmd::Centre},
      {"CT", Cmd::CT},
      {"DECAL", Cmd::Decal},
      {"PLUS", Cmd::Plus},
      {"+", Cmd::Plus},
      {"X", Cmd::X},
      {"ARC", Cmd::Arc},
      {"SECT", Cmd::Sect},
      {"SECTP", Cmd::Sect},
      {"DROITE", Cmd::Droite},
      {"DROITEV", Cmd::DroiteV},
      {"CERCLE", Cmd::Cercle},
      {"CERCLEI", Cmd::Cercle},
      {"CERCLEP", Cmd::Cercle},
      {"CERCLEPI", Cmd::Cercle},
      {"EXPOSANT", Cmd::Exposant},
      {"INVERSION", Cmd::Inversion},
      {"GRAD", Cmd::Grad},
      {"GRAD1", Cmd::Grad1},
      {"VAL1", Cmd::Val1},
      {"VAL1R", Cmd::Val1},
      {"VAL1D", Cmd::Val1},
      {"VAL", Cmd::Val},
      {"VALR", Cmd::Val},
      {"VALD", Cmd::Val},
      {"PERCER", Cmd::Percer},
      {"PERCERX", Cmd::Percer},
      {"VOYANT", Cmd::Voyant},
      {"POLY", Cmd::Poly},
      {"POLYP", Cmd::Poly},
      {"POLYR", Cmd::PolyR},
      {"POLYRP", Cmd::PolyR},
      {"DEMILUNE", Cmd::DemiLune},
      {"DEMILUNEP", Cmd::DemiLune},
      {"FLECHE", Cmd::Fleche},
      {"FLECHEP", Cmd::Fleche},
      {"?", Cmd::Point},
      {"IMAGE", Cmd::Image},
      {"FICHIER", Cmd::Fichier},
      {"FORMATI", Cmd::FormatI},
      {"SEPARATEUR", Cmd::Separateur},
      {"STOP", Cmd::Stop},
      {"!", Cmd::Stop},
      {"PALCOUL", Cmd::PalCoul},
      {"PALCOUL2", Cmd::PalCoul},
      {"PALCOUL3", Cmd::PalCoul},
      {"IF", Cmd::If},
      {"ELSEIF", Cmd::If},
      {"IFT", Cmd::IfT},
      {"ELSEIFT", Cmd::IfT},
      {"ELSE", Cmd::Else},
      {"ENDIF", Cmd::EndIf},
      {"GOTO", Cmd::Goto},
      {"LISTEVAR", Cmd::ListeVar},
      {"INPUT", Cmd::Input},
      {"OPEN", Cmd::Open},
      {"OPENA", Cmd::Open},
      {"LVAR", Cmd::LVar},
      {"PRINTA", Cmd::PrintA},
      {"NPAGE", Cmd::NPage},
      {"CHAIN", Cmd::Chain},
      {"PLOT", Cmd::Plot},
      {"PLOTP", Cmd::Plot},
      {"PLOTS", Cmd::Plot},
      {"OPTIONS#$", Cmd::Options},
      {"DAGCODE", Cmd::DagCode},
      {"SHELL#$", Cmd::Shell},
      {"REFCUR", Cmd::RefCur},
      {"BEZIER", Cmd::Bezier},
      {"BEZIERP", Cmd::Bezier},
      {"BEZIER_AGR", Cmd::Bezier},
      {"STOPARG", Cmd::StopArg},
      {"ANGROT", Cmd::AngRot},
      {"COTE", Cmd::Cote},
      {"FACTEURS", Cmd::Facteur},
      {"FACTEUR", Cmd::Facteur},
  };
  return table;
}

const QString DetailOrdre = QStringLiteral("Erreur ordre commandes / Error odre commands\r\n\r\n");

void AjouteOrdre(int bits) { EtatOrdre = static_cast<int16_t>(EtatOrdre | bits); }

// Graduations, values and sectors need a scale line drawn before them.
void ExigeLigneEchelle() {
  if ((EtatOrdre & 32) == 0) ErreurRun(DetailOrdre);
  AjouteOrdre(64);
}

// An order error is reported with the required order instead of the ordinary message.
[[noreturn]] void ErreurOrdre() {
  EtatOrdre = static_cast<int16_t>(-EtatOrdre);
  ErreurRun();
}

// The value an assignment stores: a text between double quotes loses them, anything else goes
// through the assignment operator's rule.
QString ValeurRegle(QString t) {
  QStringView p(ParamLigne);
  while (!p.isEmpty() && p.front() == u' ') p = p.mid(1);
  while (!p.isEmpty() && p.back() == u' ') p.chop(1);
  if (p.size() >= 2 && p.startsWith(QLatin1Char('"')) && p.endsWith(QLatin1Char('"'))) {
    const QString tt = Trim(t);
    if (tt.size() >= 2 && tt.startsWith(QLatin1Char('"')) && tt.endsWith(QLatin1Char('"'))) {
      return tt.mid(1, tt.size() - 2);
    }
    return tt;
  }
  return ValeurAffectation(t);
}

// Creates a variable in another level (the caller's or level 0) through the level-switching
// creation rule.
void CreeDansNiveau(int cible, const QString& nom, const QString& t) {
  const int sauve = NiveauCourant;
  NiveauCourant = cible;
  try {
    AffecteVariable(nom, t);
  } catch (...) {
    NiveauCourant = sauve;
    throw;
  }
  NiveauCourant = sauve;
}

// Every "%" of the text as 'cache', but for those of the names inside "VAR(" ... ")", which the
// substitution must still find.
QString CacheHorsVar(const QString& texte, const QString& cache) {
  const QString maj = UCase(texte);
  QString r;
  r.reserve(texte.size() + 8);
  qsizetype i = 0;
  while (i < texte.size()) {
    const qsizetype v = maj.indexOf(QStringLiteral("VAR("), i);
    const qsizetype fin = v < 0 ? -1 : texte.indexOf(QLatin1Char(')'), v);
    const qsizetype jusque = fin < 0 ? texte.size() : v;
    r += QString(texte.mid(i, jusque - i)).replace(QLatin1Char('%'), cache);
    if (fin < 0) break;
    r += texte.mid(v, fin - v + 1);
    i = fin + 1;
  }
  return r;
}

void Affectation(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  QString nom = nv.MotCle;
  int cible = niveau;
  bool autreNiveau = false;
  if (nom.startsWith(QStringLiteral("%IRE$-1"))) {
    if (niveau == 1) return;
    nom.remove(QStringLiteral("IRE$-1"));
    cible = niveau - 1;
    autreNiveau = true;
  } else if (nom.startsWith(QStringLiteral("%IRE$#0")) && niveau >= 2) {
    nom.remove(QStringLiteral("IRE$#0"));
    cible = 0;
    autreNiveau = true;
  }

  QString t = ParamN(ParamLigne, -1);
  NiveauProg& nc = Niveau(cible);
  int slot = IndiceVariable(nom, cible);
  if (autreNiveau) {
    if (slot > 0) {
      nc.ValeursVar[static_cast<size_t>(slot)] = ValeurRegle(t);
    } else {
      CreeDansNiveau(cible, nom, t);
      slot = IndiceTravail;
    }
  } else if (slot > 0) {
    uint8_t& marque = nc.MarquesVar[static_cast<size_t>(slot)];
    if (marque != 0 && !StopArg) {
      --marque;
    } else {
      nc.ValeursVar[static_cast<size_t>(slot)] = ValeurRegle(t);
    }
  } else {
    if (UCase(ParamLigne).contains(QStringLiteral("VAR("))) {
      // Only the "VAR(" references are resolved in a new variable's value.
      const QString cache = QStringLiteral("$£µ");
      const QString original = ParamLigne;
      ParamLigne = CacheHorsVar(ParamLigne, cache);
      t = ParamN(ParamLigne, -1);
      ParamLigne = original;
      t.replace(cache, QStringLiteral("%"));
    }
    slot = AffecteVariable(nom, t);
  }
  IndiceTravail = slot;

  if (slot > 0) {
    QString& valeur = Niveau(cible).ValeursVar[static_cast<size_t>(slot)];
    const NiveauProg& lu = Niveau(cible);
    if (UCase(lu.NomsVar[static_cast<size_t>(slot)]) == QStringLiteral("%CLIPBOARD")) {
      PressePapiersEfface();
      PressePapiersEcrit(valeur);
    }
    if (valeur == QStringLiteral("CLIPBOARD")) valeur = PressePapiersTexte();
  }
}

// The statements a keyword does not name: assignment, label, external command, else the
// command error.
Suite SansCorrespondance(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  const QString& mc = nv.MotCle;
  if (mc.startsWith(QLatin1Char('%'))) {
    Affectation(niveau);
    return Suite::Continue;
  }
  if (mc.endsWith(QLatin1Char(':'))) return Suite::Continue;
  const int nb = std::min<int>(static_cast<int>(Shell.CmdExternes.size()), 60);
  for (int i = 0; i < nb; ++i) {
    if (UCase(Shell.CmdExternes[i]) == mc) {
      AjouteOrdre(8 | 64);
      ParamLigne = Shell.CmdExternes[i] + QStringLiteral(" ") + SepParam + ParamLigne;
      int appelant = niveau;
      return ExecFichier(appelant, i + 1) < 0 ? Suite::FinNiveau : Suite::Continue;
    }
  }
  ErreurCommande(niveau);
  return Suite::FinNiveau;
}

}  // namespace

Suite ExecuteInstruction(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  const auto& table = TableMotsCles();
  const auto it = table.constFind(nv.MotCle);
  if (it == table.constEnd()) return SansCorrespondance(niveau);

  switch (it.value()) {
    case Cmd::ZoomIni:
    case Cmd::ZoomIniI:
      if (niveau != 1) return Suite::Continue;
      if (EtatOrdre > 4) ErreurRun();
      if (it.value() == Cmd::ZoomIni) {
        CmdZoomIni();
      } else {
        CmdZoomIniI();
      }
      return Suite::Continue;
    case Cmd::FormatI:
      if (niveau != 1) return Suite::Continue;
      if (EtatOrdre > 0) ErreurOrdre();
      EtatOrdre = 1;
      CmdFormatI();
      return Suite::Continue;
    case Cmd::Centre:
      // A centre for the other output does nothing at all.
      if (!CentreSurSortie(nv.MotCle)) return Suite::Continue;
      if (niveau == 1) {
        if (EtatOrdre > 3) ErreurOrdre();
        AjouteOrdre(4);
      }
      CmdCentre(niveau);
      return Suite::Continue;
    case Cmd::Couleur:
      CmdCouleur(niveau);
      return Suite::Continue;
    case Cmd::CT:
      CmdCT(niveau);
      return Suite::Continue;
    case Cmd::Decal:
      CmdDecal();
      return Suite::Continue;
    case Cmd::Point:
      CmdPoint(niveau);
      return Suite::Continue;
    case Cmd::Separateur:
      CmdSeparateur(niveau);
      return Suite::Continue;
    case Cmd::RefCur:
      CmdRefCur(niveau);
      return Suite::Continue;
    case Cmd::AngRot:
      CmdAngRot(niveau);
      return Suite::Continue;
    case Cmd::Exposant:
      CmdExposant(niveau);
      return Suite::Continue;
    case Cmd::Inversion:
      CmdInversion();
      return Suite::Continue;
    case Cmd::ListeVar:
      if (!CmdListeVar(niveau)) return Suite::Continue;
      // Cancel ends the whole run, the levels that called this one too.
      if (niveau > 1) Arret = true;
      return Suite::FinNiveau;
    case Cmd::Input:
      if (!CmdInput(niveau)) return Suite::Continue;
      EffaceEtatIf(niveau);
      if (niveau > 1) Arret = true;
      return Suite::FinNiveau;
    case Cmd::Open:
      CmdOpen(niveau, nv.MotCle == QStringLiteral("OPENA"));
      return Suite::Continue;
    case Cmd::LVar:
      CmdLVar(niveau);
      return Suite::Continue;
    case Cmd::PrintA:
      CmdPrintA();
      return Suite::Continue;
    case Cmd::Options:
      CmdOptions(niveau);
      return Suite::Continue;
    case Cmd::DagCode:
      CmdDagCode(niveau);
      return Suite::Continue;
    case Cmd::Shell:
      CmdShell();
      return Suite::Continue;
    case Cmd::If:
      DoEvents();
      if (Arret) return Suite::FinNiveau;
      return EvalueSi(niveau) ? Suite::FinNiveau : Suite::Continue;
    case Cmd::IfT:
      DoEvents();
      if (Arret) return Suite::FinNiveau;
      CmdIfT(niveau);
      return Suite::Continue;
    case Cmd::Goto:
      DoEvents();
      if (Arret) return Suite::FinNiveau;
      CmdGoto(niveau);
      return Suite::Continue;
    case Cmd::Else:
      CmdElse(niveau);
      return Suite::Continue;
    case Cmd::EndIf:
      CmdEndIf(niveau);
      return Suite::Continue;
    case Cmd::Arc:
      AjouteOrdre(32 | 64);
      CmdArc(niveau);
      return Suite::Continue;
    case Cmd::Droite:
    case Cmd::DroiteV:
      AjouteOrdre(32 | 64);
      CmdDroite(it.value() == Cmd::DroiteV);
      return Suite::Continue;
    case Cmd::Sect:
      ExigeLigneEchelle();
      CmdSect(niveau, nv.MotCle == QStringLiteral("SECTP"));
      return Suite::Continue;
    case Cmd::Grad:
      ExigeLigneEchelle();
      CmdGrad(niveau);
      return Suite::Continue;
    case Cmd::Grad1:
      ExigeLigneEchelle();
      CmdGrad1(niveau);
      return Suite::Continue;
    case Cmd::Val1:
      ExigeLigneEchelle();
      CmdVal1(niveau);
      return Suite::Continue;
    case Cmd::Val:
      ExigeLigneEchelle();
      CmdVal(niveau);
      return Suite::Continue;
    case Cmd::NPage:
      EtatOrdre = 0;
      CmdNPage();
      return Suite::Continue;
    case Cmd::Fichier: {
      DoEvents();
      if (Arret) return Suite::FinNiveau;
      AjouteOrdre(8 | 64);
      int appelant = niveau;
      return ExecFichier(appelant, 0) < 0 ? Suite::FinNiveau : Suite::Continue;
    }
    case Cmd::Stop:
      EffaceEtatIf(niveau);
      return Suite::FinNiveau;
    case Cmd::StopArg:
      StopArg = true;
      return Suite::Continue;
    case Cmd::Facteur:
      if (niveau == 1) ErreurRun();
      return Suite::Continue;
    case Cmd::TailleP:
      CmdTailleP(niveau);
      return Suite::Continue;
    case Cmd::Police:
      CmdPolice(niveau);
      return Suite::Continue;
    default:
      break;
  }

  // The drawing commands: something is drawn.
  AjouteOrdre(64);
  switch (it.value()) {
    case Cmd::Cadre:
      TraceCadre(niveau);
      break;
    case Cmd::EpaisT:
      CmdEpaisT(niveau);
      break;
    case Cmd::Texte:
      TraceTexte(niveau);
      break;
    case Cmd::TexteC:
      TraceTexteC(niveau);
      break;
    case Cmd::QA:
      TraceQA(niveau);
      break;
    case Cmd::Trait:
      CmdTrait(niveau);
      break;
    case Cmd::Plus:
      TracePlus(niveau);
      break;
    case Cmd::X:
      TraceX(niveau);
      break;
    case Cmd::Cercle:
      TraceCercle(niveau, ParamLigne);
      break;
    case Cmd::Percer:
      TracePercer(niveau);
      break;
    case Cmd::Voyant:
      TraceVoyant();
      break;
    case Cmd::Poly:
      TracePoly();
      break;
    case Cmd::PolyR:
      TracePolyR(niveau, ParamLigne);
      break;
    case Cmd::DemiLune:
      TraceDemiLune(niveau);
      break;
    case Cmd::Fleche:
      TraceFleche(niveau);
      break;
    case Cmd::Image:
      TraceImage();
      break;
    case Cmd::PalCoul:
      TracePalCoul(niveau);
      break;
    case Cmd::Chain:
      DoEvents();
      CmdChain(ParamLigne);
      break;
    case Cmd::Plot:
      DoEvents();
      CmdPlot(niveau, nv.MotCle, ParamLigne);
      break;
    case Cmd::Bezier:
      TraceBezier(niveau, ParamLigne);
      break;
    case Cmd::Cote:
      CmdCote(niveau, ParamLigne);
      break;
    default:
      break;
  }
  return Suite::Continue;
}
