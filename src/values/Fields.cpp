#include "values/Fields.h"

#include <algorithm>

#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "values/Expressions.h"
#include "values/Levels.h"
#include "values/StringFunctions.h"
#include "values/Substitution.h"
#include "values/Variables.h"

using namespace legacy;

AnalyseParamT AnalyseParam;

namespace {

// Field numbers and counts are 16-bit integers.
void Verifie16(int v) {
  if (v > 32767 || v < -32768) throw ErreurExecution(QStringLiteral("overflow"));
}

// A negative field number asks for the rest of the text; its negation must still fit in 16 bits.
bool PrendReste(int& n) {
  Verifie16(n);
  if (n >= 0) return false;
  if (n == -32768) throw ErreurExecution(QStringLiteral("overflow"));
  n = -n;
  return true;
}

struct Bornes {
  bool existe;
  int debut;
  int fin;
};

// A field begins right after the whole separator that ends the one before it.
Bornes IsoleChamp(const QString& texte, int n, const QString& sep) {
  int k = 1, debut = 0, fin = 0;
  while (k <= n) {
    debut = k == 1 ? 1 : fin + static_cast<int>(sep.size());
    fin = InStr(debut, texte, sep);
    if (fin == 0) {
      if (k == n) fin = texte.size() + 1;
      break;
    }
    ++k;
  }
  return {n <= k, debut, fin};
}

QString ExtraitChamp(const QString& texte, int& n, const QString& sep) {
  const bool reste = PrendReste(n);
  const Bornes b = IsoleChamp(texte, n, sep);
  if (!b.existe) return {};
  return reste ? Mid(texte, b.debut) : Mid(texte, b.debut, b.fin - b.debut);
}

// Whether the word (upper case) stands at position i of the text as UCase would write it.
bool MotEn(const QString& texte, qsizetype i, QLatin1String mot) {
  if (i + mot.size() > texte.size()) return false;
  for (qsizetype k = 0; k < mot.size(); ++k) {
    if (MajCar(texte[i + k]) != QLatin1Char(mot[k])) return false;
  }
  return true;
}

// One scan for the names of the string functions, in any case.
bool NommeFonctionChaine(const QString& champ) {
  for (qsizetype i = 0; i < champ.size(); ++i) {
    switch (MajCar(champ[i]).unicode()) {
      case u'R':
        if (MotEn(champ, i, QLatin1String("REPL(")) || MotEn(champ, i, QLatin1String("RIG"))) return true;
        break;
      case u'U':
        if (MotEn(champ, i, QLatin1String("UCAS"))) return true;
        break;
      case u'L':
        if (MotEn(champ, i, QLatin1String("LEF"))) return true;
        break;
      default:
        break;
    }
  }
  return false;
}

QString EtapeFonctionsChaine(const QString& champ) {
  return NommeFonctionChaine(champ) ? FonctionsChaine(champ) : champ;
}

// Sub-fields are protected from substitution by a leading "=" (blanks before it allowed) or a "<"
// standing first.
QString TraiteSousChamp(QString champ) {
  if (InStr(champ, QStringLiteral("%")) > 0 && !LTrim(champ).startsWith(u'=') && !champ.startsWith(u'<')) {
    SubstitueVariables(champ);
  }
  return EtapeFonctionsChaine(champ);
}

int CompteChamps(const QString& texte, const QString& sep) {
  const QString t = Trim(texte);
  int compte = (t.isEmpty() || t == QStringLiteral(")")) ? 0 : 1;
  if (sep.isEmpty()) return compte;
  int p = InStr(texte, sep);
  while (p > 0) {
    ++compte;
    Verifie16(compte);
    p = InStr(p + sep.size(), texte, sep);
  }
  return compte;
}

bool EstChiffre(QChar c) { return c >= u'0' && c <= u'9'; }

// The number of the statement's field that holds `contenu` whole (blanks aside), 0 when none does.
int ChampDuContenu(const QString& contenu) {
  const QString cherche = Trim(contenu);
  if (cherche.isEmpty()) return 0;
  const QString& tout = Lecture.ParamInstruction;
  const int n = CompteChamps(tout, Lecture.SepParam);
  for (int k = 1; k <= n; ++k) {
    if (Trim(ExtraitChamp(tout, k, Lecture.SepParam)) == cherche) return k;
  }
  return 0;
}

// Whether a text is the statement's parameters, or the rest of them that its command kept.
bool EstDeLInstruction(const QString& texte) {
  return (texte == Lecture.ParamLigne || texte == Lecture.ParamInstruction) &&
         Lecture.ParamInstruction.endsWith(texte);
}

// The number in the statement of field n of a text that holds `contenu`.
int NumeroChamp(const QString& texte, int n, const QString& contenu) {
  if (!EstDeLInstruction(texte)) return ChampDuContenu(contenu);
  return n + CompteChamps(Lecture.ParamInstruction, Lecture.SepParam) - CompteChamps(texte, Lecture.SepParam);
}

// A failure while field n is computed: unless a detail is already there, the report names the
// field and quotes it as written.
void NoteChampEnFaute(const QString& texte, int n, const QString& ecrit) {
  if (!Incident.DetailErreur.isEmpty() || !Incident.RaisonChamp.isEmpty()) return;
  if (Incident.ChampErreur > 0 && !EstDeLInstruction(texte)) return;
  Incident.ChampErreur = NumeroChamp(texte, n, ecrit);
  Incident.ContenuChamp = ecrit;
}

}  // namespace

QString TexteNonInitialise() {
  return QStringLiteral(" : non initialisée / not initialized / nicht initialisiert\r\n\r\n");
}

QString ParamN(const QString& texte, int& n) {
  QString champ = ExtraitChamp(texte, n, Lecture.SepParam);
  if (Lecture.OperateurAffect != QStringLiteral("<") && InStr(champ, QStringLiteral("%")) > 0) {
    SubstitueVariables(champ);
  }
  return EtapeFonctionsChaine(champ);
}

QString SousParamN(const QString& texte, int& n) {
  return TraiteSousChamp(ExtraitChamp(texte, n, Lecture.SepSousParam));
}

QString ChampN(const QString& texte, int& n, const QString& separateur) {
  const bool reste = PrendReste(n);
  const int longSep = separateur.size();
  // A separator standing first in the text belongs to field 1.
  int debut = 1;
  int fin = InStr(2, texte, separateur);
  for (int k = 2; k <= n; ++k) {
    if (fin == 0) return TraiteSousChamp(QString());
    debut = fin + longSep;
    fin = InStr(debut, texte, separateur);
  }
  if (fin == 0) fin = texte.size() + 1;
  return TraiteSousChamp(reste ? Mid(texte, debut) : Mid(texte, debut, fin - debut));
}

QString ParamBrutN(const QString& texte, int& n) { return ExtraitChamp(texte, n, Lecture.SepParam); }

std::optional<double> LitParam(const QString& texte, int n) {
  Verifie16(n);
  AnalyseParamT& a = AnalyseParam;
  a.NumChamp = 1;
  a.FinChamp = 0;
  a.TexteChamp.clear();
  while (a.NumChamp <= n) {
    a.DebutChamp = a.NumChamp == 1 ? 1 : a.FinChamp + static_cast<int>(Lecture.SepParam.size());
    a.FinChamp = InStr(a.DebutChamp, texte, Lecture.SepParam);
    if (a.FinChamp == 0) {
      if (a.NumChamp == n) a.FinChamp = texte.size() + 1;
      break;
    }
    ++a.NumChamp;
  }
  const bool existe = n <= a.NumChamp;
  a.LongChamp = a.FinChamp - a.DebutChamp;
  if (a.LongChamp > 0) a.TexteChamp = Trim(Mid(texte, a.DebutChamp, a.LongChamp));

  const int double_sep = InStr(a.TexteChamp, Lecture.SepSousParam + Lecture.SepSousParam);
  if (double_sep > 0) a.TexteChamp = Left(a.TexteChamp, double_sep - 1);
  if (InStr(a.TexteChamp, Lecture.SepSousParam) == 1) a.TexteChamp.clear();
  a.LongChamp = a.TexteChamp.size();
  a.DebutChamp = 1;
  if (!existe || a.TexteChamp.isEmpty()) return std::nullopt;

  const QString ecrit = a.TexteChamp;
  if (SubstitueVariables(a.TexteChamp)) {
    ErreurRunCitant(a.TexteChamp, TexteNonInitialise());
  }
  a.NumChamp = InStr(a.TexteChamp, Lecture.SepSousParam);
  if (a.NumChamp > 0) a.TexteChamp = Left(a.TexteChamp, a.NumChamp - 1);
  // Unit letters: at most two trailing characters that cannot end a number go.
  for (int i = 0; i < 2; ++i) {
    if (!a.TexteChamp.isEmpty()) {
      const QChar dernier = a.TexteChamp.back();
      if (dernier != u')' && !EstChiffre(dernier)) a.TexteChamp.chop(1);
    }
  }
  try {
    return Calcule(a.TexteChamp);
  } catch (const ErreurExecution&) {
    NoteChampEnFaute(texte, n, ecrit);
    throw;
  }
}

std::optional<double> ValeurChamp(const QString& texte, int n) {
  Verifie16(n);
  const int longueur = texte.size();
  int k = 1, debut = 0, fin = 0;
  while (k <= n) {
    debut = fin + 1;
    const int virgule = InStr(debut, texte, Lecture.SepParam);
    const int blanc = InStr(debut, texte, QStringLiteral(" "));
    fin = virgule == 0 ? blanc : (blanc == 0 ? virgule : std::min(virgule, blanc));
    if (fin == 0) {
      if (k == n) fin = longueur + 1;
      break;
    }
    while (fin < longueur && texte[fin] == u' ') ++fin;
    ++k;
  }
  if (n > k) return std::nullopt;
  QString champ = Trim(Mid(texte, debut, fin - debut));
  if (champ.isEmpty()) return std::nullopt;
  if (champ.startsWith(u'%') && InStr(champ, QStringLiteral("=")) == 0) {
    const int slot = IndiceVariable(champ, NiveauCourant);
    if (slot == 0) ErreurNonInitialisee(champ);
    champ = Niveau(NiveauCourant).ValeursVar[slot];
  }
  // A plain decimal number: «&HFF» or «1D2» are no colour components.
  return ValDecimal(champ);
}

void ResteParams(QString& texte, int n) {
  Verifie16(n);
  int suite = 1;
  for (int k = 1; k <= n; ++k) {
    const int fin = InStr(suite, texte, Lecture.SepParam);
    if (fin == 0) {
      texte.clear();
      return;
    }
    suite = fin + static_cast<int>(Lecture.SepParam.size());
  }
  texte = Mid(texte, suite);
}

int NbParams(const QString& texte) { return CompteChamps(texte, Lecture.SepParam); }

int NbSousParams(const QString& texte) { return CompteChamps(texte, Lecture.SepSousParam); }

QString NomCommande(const QString& texte) {
  QString t = UCase(Trim(texte));
  const int egal = InStr(t, QStringLiteral("="));
  if (egal > 0) t = RTrim(Left(t, egal - 1));
  const int blanc = InStr(t, QStringLiteral(" "));
  if (blanc > 0) t = Left(t, blanc - 1);
  return t;
}

QString MotN(const QString& texte, int& n) {
  const bool reste = PrendReste(n);
  const QString t = LTrim(texte);
  const int longueur = t.size();
  if (n < 1 || longueur == 0) return {};
  int debut = 1;
  for (int k = 1; k < n; ++k) {
    int blanc = InStr(debut, t, QStringLiteral(" "));
    if (blanc == 0) return {};
    while (blanc < longueur && t[blanc] == u' ') ++blanc;
    debut = blanc + 1;
    if (debut > longueur) return {};
  }
  if (reste) return Mid(t, debut);
  const int blanc = InStr(debut, t, QStringLiteral(" "));
  return Mid(t, debut, (blanc == 0 ? longueur + 1 : blanc) - debut);
}

int CompteOccurrences(const QString& texte, const QString& motif) {
  if (motif.isEmpty()) return 0;
  int compte = 0;
  int p = InStr(texte, motif);
  while (p > 0) {
    ++compte;
    Verifie16(compte);
    p = InStr(p + 1, texte, motif);
  }
  return compte;
}

int16_t MaxEntier(float a, float b) { return VersEntier16(b > a ? b : a); }

float Mini(double a, double b) { return VersSingle(a > b ? b : a); }

float Maxi(double a, double b) { return VersSingle(a < b ? b : a); }

void ErreurChampN(const QString& texte, int n, const QString& raison) {
  const QString contenu = Trim(ParamBrutN(texte, n));
  ErreurSurChamp(NumeroChamp(texte, n, contenu), contenu, raison);
}

void ErreurContenu(const QString& contenu, const QString& raison) {
  ErreurSurChamp(ChampDuContenu(contenu), Trim(contenu), raison);
}

void ErreurNonInitialisee(const QString& texte) { ErreurRunCitant(texte, TexteNonInitialise()); }
