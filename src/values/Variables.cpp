#include "values/Variables.h"

#include <algorithm>

#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "values/Fields.h"
#include "values/Insertions.h"
#include "values/Levels.h"

using namespace legacy;

void TropDeVariables(int maximum) {
  ErreurRun(QStringLiteral("%1 variables au plus / at most %1 variables / höchstens %1 Variablen\r\n\r\n")
                .arg(maximum));
}

namespace {

// The table has 64 slots whatever MaxVar says; a 65th variable is a run error, never a write.

int NouveauSlot(NiveauProg& r, int slot) {
  if (slot > MaxSlotsVar) TropDeVariables(MaxSlotsVar);
  r.NbVar = slot;
  return slot;
}

int Stocke(int niveau, QString& nom, const QString& valeur) {
  int cible = niveau;
  if (niveau >= 2 && InStr(nom, QStringLiteral("%IRE$#0")) > 0) {
    nom = Replace(nom, QStringLiteral("IRE$#0"), QString());
    cible = 0;
  }
  NiveauProg& r = Niveau(cible);
  int slot = IndiceVariable(nom, cible);
  if (slot == 0) {
    slot = NouveauSlot(r, r.NbVar + 1);
    r.NomsVar[slot] = nom;
  }
  r.ValeursVar[slot] = valeur;
  return slot;
}

// A value written between double quotes is stored without them and without evaluation. The
// blank that follows the "=" of an assignment is not part of the value.
QString ValeurCreee(const QString& valeurTexte) {
  const QString coupe = Trim(valeurTexte);
  if (coupe.startsWith(u'"') && coupe.endsWith(u'"')) {
    if (coupe.size() == 1) return {};
    return Mid(coupe, 2, coupe.size() - 2);
  }
  QString texte = valeurTexte;
  return ValeurAffectation(texte);
}

}  // namespace

void InitNiveau(int niveau) {
  NiveauProg& r = Niveau(niveau);
  r.Fichier.clear();
  r.Texte.clear();
  r.MotCle.clear();
  r.Ligne.clear();
  r.SavPolice.clear();
  r.SavStyle = QStringLiteral("0");
  r.PosLecture = 0;
  r.PosFinLigne = 0;
  r.DebutInstr = 0;
  r.FinInstr = 0;
  r.OrigineX.reset();
  r.OrigineY.reset();
  r.Exposant = 0;
  r.FacteurEpaisT = 1.0f;
  r.SavFontSize = 0;
  r.SavTailleP = 0;
  r.SavCouleur = 0;
  r.CTxNiveau = 0;
  r.CTyNiveau = 0;
  r.EchelleLog = false;
  r.SavTypeBout = 0;
  r.SavTirets.fill(0.0f);
  r.SavPhase = 0;
  // 999.99 stands for "no previous segment end".
  r.SavFinX = 999.99f;
  r.SavFinY = 999.99f;
  r.AngRotNiveau = 0;
  RazVariablesNiveau(niveau);
}

void RazVariablesNiveau(int niveau) {
  NiveauProg& r = Niveau(niveau);
  const int dernier = std::min(r.NbVar, MaxSlotsVar);
  for (int i = 1; i <= dernier; ++i) {
    r.ValeursVar[i].clear();
    r.NomsVar[i].clear();
    r.MarquesVar[i] = 0;
  }
  if (r.NbVar >= 1) r.NbCreations = 0;
  r.NbVar = 0;
}

namespace {

// Whether the separator starts at position i of the text as UCase would write it.
bool SeparateurEn(QStringView texte, qsizetype i, const QString& sep) {
  if (sep.isEmpty() || i + sep.size() > texte.size() || MajCar(texte[i]) != sep.at(0)) return false;
  for (qsizetype k = 0; k < sep.size(); ++k) {
    if (MajCar(texte[i + k]) != sep[k]) return false;
  }
  return true;
}

bool EstCoupure(QChar c) {
  switch (c.unicode()) {
    case u'=':
    case u' ':
    case u'\u00B0':
    case u'+':
    case u'-':
    case u'*':
    case u'/':
    case u'^':
    case u')':
    case u'<':
    case u'>':
    case u'"':
      return true;
    default:
      return false;
  }
}

}  // namespace

int IndiceVariable(QStringView nom, int niveau) {
  const NiveauProg& r = Niveau(niveau);
  if (r.NbVar == 0) return 0;
  qsizetype debut = 0, fin = nom.size();
  while (debut < fin && nom[debut] == u' ') ++debut;
  while (fin > debut && nom[fin - 1] == u' ') --fin;
  const QStringView t = nom.mid(debut, fin - debut);
  // The name ends before the first operator, blank or separator (compared in upper case).
  qsizetype coupe = 0;
  while (coupe < t.size() && !EstCoupure(MajCar(t[coupe])) && !SeparateurEn(t, coupe, Lecture.SepParam) &&
         !SeparateurEn(t, coupe, Lecture.SepSousParam)) {
    ++coupe;
  }
  const QStringView cherche = t.left(coupe);

  return r.NomsVar.Cherche(cherche, std::min(r.NbVar, MaxSlotsVar));
}

int IndiceVariable(const QString& nom, int niveau) { return IndiceVariable(QStringView(nom), niveau); }

void StockeVariable(int& niveau, QString& nom, float valeur) {
  Stocke(niveau, nom, Replace(TexteNombre(valeur), QStringLiteral(","), QStringLiteral(".")));
}

void StockeVariable(int& niveau, QString& nom, double valeur) {
  Stocke(niveau, nom, Replace(TexteNombre(valeur), QStringLiteral(","), QStringLiteral(".")));
}

void StockeTexteVariable(int niveau, QString& nom, const QString& valeur) {
  Lecture.IndiceTravail = Stocke(niveau, nom, valeur);
}

int AffecteVariable(const QString& nomTexte, const QString& valeurTexte) {
  const QString nom = NomCommande(nomTexte);
  NiveauProg& r = Niveau(NiveauCourant);
  int slot = 0;
  if (NiveauCourant == 1) {
    // The interpreter's error report shows the variable count in its title. Only the count
    // MaxVar stops a creation: once the commands have stored past it, creations go on up to the
    // 64 slots of the table.
    if (r.NbVar == r.MaxVar) TropDeVariables(r.MaxVar);
    slot = NouveauSlot(r, r.NbVar + 1);
    r.NomsVar[slot] = nom;
    Lecture.IndiceTravail = slot;
    r.ValeursVar[slot] = ValeurCreee(valeurTexte);
    return slot;
  }

  int debut;
  if (NiveauCourant == 0) {
    debut = r.NbVar + 1;
  } else {
    ++r.NbCreations;
    debut = r.NbCreations;
  }
  // A slot without a name holds a value passed by the caller of a command file: the file's
  // default is skipped once so that the caller's value wins.
  const int dernier = std::min(r.NbVar, MaxSlotsVar);
  for (int s = debut; s <= dernier; ++s) {
    if (!r.NomsVar[s].isEmpty()) continue;
    r.NomsVar[s] = nom;
    Lecture.IndiceTravail = s;
    if (r.MarquesVar[s] != 0 && !Lecture.StopArg) {
      --r.MarquesVar[s];
    } else {
      r.ValeursVar[s] = ValeurCreee(valeurTexte);
    }
    return s;
  }
  slot = NouveauSlot(r, std::max(debut, r.NbVar + 1));
  r.NomsVar[slot] = nom;
  Lecture.IndiceTravail = slot;
  r.ValeursVar[slot] = ValeurCreee(valeurTexte);
  return slot;
}
