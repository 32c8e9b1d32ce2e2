#include <QScopedValueRollback>

#include "interpreter/CommandFiles.h"
#include "interpreter/Interpreter.h"
#include "interpreter/KeywordTable.h"
#include "interpreter/RunReport.h"
#include "interpreter/SetupCommands.h"
#include "platform/Clipboard.h"
#include "platform/Events.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "values/Fields.h"
#include "values/Insertions.h"
#include "values/Levels.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

const QString DetailOrdre = QStringLiteral("Erreur ordre commandes / Error odre commands\r\n\r\n");

// Graduations, values and sectors need a scale line drawn before them.
void ExigeLigneEchelle() {
  if ((EtatOrdre & OrdreLigneEchelle) == 0) ErreurRun(DetailOrdre);
  AjouteOrdre(OrdreDessin);
}

// An order error is reported with the required order instead of the ordinary message.
[[noreturn]] void ErreurOrdre() {
  MarqueErreurOrdre();
  ErreurRun();
}

// The value an assignment stores: a text between double quotes loses them, anything else goes
// through the assignment operator's rule.
QString ValeurRegle(QString t) {
  QStringView p(Lecture.ParamLigne);
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
  const QScopedValueRollback<int> niveau(NiveauCourant, cible);
  AffecteVariable(nom, t);
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

  QString t = ParamN(Lecture.ParamLigne, -1);
  NiveauProg& nc = Niveau(cible);
  int slot = IndiceVariable(nom, cible);
  if (autreNiveau) {
    if (slot > 0) {
      nc.ValeursVar[static_cast<size_t>(slot)] = ValeurRegle(t);
    } else {
      CreeDansNiveau(cible, nom, t);
      slot = Lecture.IndiceTravail;
    }
  } else if (slot > 0) {
    uint8_t& marque = nc.MarquesVar[static_cast<size_t>(slot)];
    if (marque != 0 && !Lecture.StopArg) {
      --marque;
    } else {
      nc.ValeursVar[static_cast<size_t>(slot)] = ValeurRegle(t);
    }
  } else {
    if (UCase(Lecture.ParamLigne).contains(QStringLiteral("VAR("))) {
      // Only the "VAR(" references are resolved in a new variable's value.
      const QString cache = QStringLiteral("$£µ");
      const QString original = Lecture.ParamLigne;
      Lecture.ParamLigne = CacheHorsVar(Lecture.ParamLigne, cache);
      t = ParamN(Lecture.ParamLigne, -1);
      Lecture.ParamLigne = original;
      t.replace(cache, QStringLiteral("%"));
    }
    slot = AffecteVariable(nom, t);
  }
  Lecture.IndiceTravail = slot;

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
      AjouteOrdre(OrdreFichier | OrdreDessin);
      Lecture.ParamLigne = Shell.CmdExternes[i] + QStringLiteral(" ") + Lecture.SepParam + Lecture.ParamLigne;
      int appelant = niveau;
      return ExecFichier(appelant, i + 1) < 0 ? Suite::FinNiveau : Suite::Continue;
    }
  }
  ErreurCommande(niveau);
  return Suite::FinNiveau;
}

// Whether the statement runs, after the rule its command follows in the order of a page's commands.
bool SuitOrdre(RegleOrdre regle, int niveau) {
  switch (regle) {
    case RegleOrdre::Zoom:
      if (niveau != 1) return false;
      if (EtatOrdre > OrdreCentre) ErreurRun(DetailOrdre);
      return true;
    case RegleOrdre::Format:
      if (niveau != 1) return false;
      if (EtatOrdre > 0) ErreurOrdre();
      EtatOrdre = OrdreFormatI;
      return true;
    case RegleOrdre::Centre:
      // A centre for the other output does nothing at all.
      if (!CentreSurSortie(Niveau(niveau).MotCle)) return false;
      if (niveau == 1) {
        if (EtatOrdre >= OrdreCentre) ErreurOrdre();
        AjouteOrdre(OrdreCentre);
      }
      return true;
    case RegleOrdre::TraceEchelle:
      AjouteOrdre(OrdreLigneEchelle | OrdreDessin);
      return true;
    case RegleOrdre::SurEchelle:
      ExigeLigneEchelle();
      return true;
    case RegleOrdre::NouvellePage:
      EtatOrdre = 0;
      return true;
    case RegleOrdre::Appel:
      AjouteOrdre(OrdreFichier | OrdreDessin);
      return true;
    case RegleOrdre::Dessin:
      AjouteOrdre(OrdreDessin);
      return true;
    case RegleOrdre::Libre:
      break;
  }
  return true;
}

}  // namespace

Suite ExecuteInstruction(int niveau) {
  const MotCle* mot = ChercheMotCle(Niveau(niveau).MotCle);
  if (!mot) return SansCorrespondance(niveau);
  if (mot->Evenements) {
    DoEvents();
    if (Arret) return Suite::FinNiveau;
  }
  if (!SuitOrdre(mot->Ordre, niveau)) return Suite::Continue;
  Lecture.ParamInstruction = Lecture.ParamLigne;
  return mot->Execute(niveau);
}
