#include "values/Substitution.h"

#include <QDate>
#include <QLocale>
#include <QScopedValueRollback>
#include <algorithm>

#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/ProgramFolder.h"
#include "platform/RunError.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

// Values that hold their own "%" references would otherwise be substituted for ever; these caps
// turn such programs into a run error of the line.
constexpr int MaxTours = 10000;
constexpr int MaxProfondeur = 32;

const QString Protection = QStringLiteral("$£µ");
const QString NomsCaracteres = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_");

int Profondeur = 0;

constinit LecteurVariableDessin LecteurDessin = nullptr;

QString DebutTexte(const QString& texte) {
  return texte.size() > 80 ? Left(texte, 80) + QStringLiteral("...") : texte;
}

// Nested substitutions (a separator, a field of a list) count against one depth.
void VerifieProfondeur(const QString& texte) {
  if (Profondeur >= MaxProfondeur) {
    ErreurRunCitant(DebutTexte(texte),
                    QStringLiteral(" : références imbriquées trop profondes / references nested too deep / "
                                   "Verweise zu tief verschachtelt\r\n\r\n"));
  }
}

// A variable whose value is its own reference would be replaced for ever.
[[noreturn]] void SubstitutionSansFin(const QString& texte) {
  ErreurRunCitant(DebutTexte(texte), QStringLiteral(" : substitution sans fin / endless substitution / "
                                                    "endlose Ersetzung\r\n\r\n"));
}

void VerifieLongueur(const QString& texte) {
  if (texte.size() > LongueurMaxLigne) {
    ErreurRun(
        QStringLiteral("Ligne trop longue (> 4096) / Line too long (> 4096) / Zeile zu lang (> 4096)"
                       "\r\n\r\n"));
  }
}

// Replaces the characters from 1-based position debut over longueur by par.
void Remplace(QString& texte, int debut, int longueur, const QString& par) {
  if (debut < 1) LeveErreurExecution(QStringLiteral("invalid procedure call"));
  if (debut - 1 > texte.size()) {
    texte += par;
    return;
  }
  texte.replace(debut - 1, longueur, par);
}

QStringView SansBlancs(QStringView t) {
  qsizetype a = 0, b = t.size();
  while (a < b && t[a] == u' ') ++a;
  while (b > a && t[b - 1] == u' ') --b;
  return t.mid(a, b - a);
}

// The characters of the text from the 1-based position, as Mid gives them.
QStringView Vue(const QString& texte, int debut, int longueur) {
  if (debut > texte.size()) return {};
  return QStringView(texte).mid(debut - 1, std::min<qsizetype>(longueur, texte.size() - debut + 1));
}

// Whether the text from the 1-based position, upper-cased, is exactly the word.
bool EstMotMaj(const QString& texte, int debut, QLatin1String mot) {
  const QStringView v = Vue(texte, debut, static_cast<int>(mot.size()));
  if (v.size() != mot.size()) return false;
  for (qsizetype k = 0; k < v.size(); ++k) {
    if (MajCar(v[k]) != QLatin1Char(mot[k])) return false;
  }
  return true;
}

bool EgalMaj(const QString& texte, const QString& nom) {
  if (texte.size() != nom.size()) return false;
  for (qsizetype k = 0; k < texte.size(); ++k) {
    if (MajCar(texte[k]) != nom[k]) return false;
  }
  return true;
}

NiveauProg& NiveauActuel() { return Niveau(NiveauCourant); }

// ---- the "VAR(" pass ----

void PasseVar(QString& texte) {
  int p = InStrRev(UCase(texte), QStringLiteral("VAR("));
  while (p > 0) {
    Lecture.PosEgal = InStr(p, texte, QStringLiteral(")"));
    if (Lecture.PosEgal == 0) throw ErreurExecution(QStringLiteral("invalid procedure call"));
    const QString nom = Trim(Mid(texte, p + 4, Lecture.PosEgal - p - 4));
    const NiveauProg& nv = NiveauActuel();
    const int dernier = std::min(nv.NbVar, MaxSlotsVar);
    for (int i = 1; i <= dernier; ++i) {
      if (nv.NomsVar[static_cast<size_t>(i)] == nom) {
        Remplace(texte, p, Lecture.PosEgal - p + 1,
                 Replace(nv.ValeursVar[static_cast<size_t>(i)], QStringLiteral("%"), Protection));
        VerifieLongueur(texte);
        break;
      }
    }
    p = p > 1 ? static_cast<int>(UCase(texte).lastIndexOf(QStringLiteral("VAR("), p - 2)) + 1 : 0;
  }
}

// ---- system variables ----

QString SansDossier(const QString& chemin) {
  const int k = static_cast<int>(std::max(chemin.lastIndexOf(u'\\'), chemin.lastIndexOf(u'/')));
  return chemin.mid(k + 1);
}

QString Origine(const std::optional<double>& o) { return o ? TexteNombre(*o) : QStringLiteral("0"); }

// The value of the text's leading variable name, or the control character.
QString ValeurOuCaractere(const QString& debut, QChar caractere) {
  const int s = IndiceVariable(debut, NiveauCourant);
  if (s > 0) return Trim(NiveauActuel().ValeursVar[static_cast<size_t>(s)]);
  return QString(caractere);
}

struct VariableSysteme {
  const char* nom;
  bool resteAuDebut;  // the scan stays on the first character of the value
};

// The value of a system variable named exactly by nom (upper case).
QString ValeurSysteme(const QString& nom, const QString& texte) {
  NiveauProg& nv = NiveauActuel();
  if (nom == u"%IREC") return QString::number(NiveauCourant);
  if (nom == u"%FILE") return SansDossier(NiveauCourant == 1 ? Shell.NomFichier : nv.Fichier);
  if (nom == u"%FIL1") return NiveauCourant == 1 ? QString() : SansDossier(Shell.NomFichier);
  if (nom == u"%PATH") return Shell.NomFichier.isEmpty() ? QString() : DossierDuProgramme();
  if (nom == u"%DATE") return QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
  if (nom == u"%FCMM") return TexteNombre(Shell.FacteurMm);
  if (nom == u"%EOF") return nv.FicDonnees.isEmpty() ? QStringLiteral("1") : QStringLiteral("0");
  if (nom == u"%CEX") return Origine(nv.OrigineX);
  if (nom == u"%CEY") return Origine(nv.OrigineY);
  if (nom == u"%CR") return ValeurOuCaractere(texte, QChar(13));
  if (nom == u"%LF") return ValeurOuCaractere(Lecture.ParamLigne, QChar(10));
  if (nom == u"%PI") return QStringLiteral("3.14159265358979");
  return LecteurDessin != nullptr ? LecteurDessin(nom) : QString();
}

const VariableSysteme Noms5[] = {{"%IREC", false}, {"%FILE", false}, {"%FIL1", false}, {"%PATH", false},
                                 {"%DATE", false}, {"%ZOOM", false}, {"%FCMM", false}, {"%COUL", false}};
const VariableSysteme Noms4[] = {{"%IMP", true},  {"%EOF", true},  {"%TAP", false}, {"%EPT", false},
                                 {"%CEX", false}, {"%CEY", false}, {"%CTX", false}, {"%CTY", false},
                                 {"%POL", false}, {"%AR0", false}};
const VariableSysteme Noms3[] = {{"%CR", true}, {"%LF", true}, {"%PI", false}};

// Tries one group of names at q; returns the new working position.
template <size_t N>
int EssaieGroupe(QString& texte, int q, const VariableSysteme (&groupe)[N], int longueur, bool& inconnu) {
  const QString lu = UCase(Mid(texte, q, longueur));
  for (const VariableSysteme& v : groupe) {
    if (lu != QLatin1String(v.nom)) continue;
    const QString valeur = ValeurSysteme(lu, texte);
    Remplace(texte, q, longueur, valeur);
    VerifieLongueur(texte);
    inconnu = false;
    return v.resteAuDebut ? q : std::max(1, q + static_cast<int>(valeur.size()) - 1);
  }
  return q;
}

// ---- the percent pass ----

// "%IRE$-1" and "%IRE$#0": a variable of the calling level or of level 0. False when the text at
// p is no scoped reference.
bool ReferencePortee(QString& texte, int p) {
  const QStringView marque = Vue(texte, p, 7);
  const bool global = marque == QStringView(u"%IRE$#0");
  if (!global && marque != QStringView(u"%IRE$-1")) return false;
  const QString motif = global ? QStringLiteral("IRE$#0") : QStringLiteral("IRE$-1");
  texte.remove(texte.indexOf(motif), motif.size());
  const int cible = global ? 0 : (NiveauCourant >= 2 ? NiveauCourant - 1 : -1);
  const int s = cible >= 0 ? IndiceVariable(Mid(texte, p), cible) : 0;
  if (s > 0) {
    const NiveauProg& nv = Niveau(cible);
    Remplace(texte, p, static_cast<int>(nv.NomsVar[static_cast<size_t>(s)].size()),
             LTrim(nv.ValeursVar[static_cast<size_t>(s)]));
    VerifieLongueur(texte);
    return true;
  }
  texte = UCase(texte);
  int fin = p + 1;
  while (fin <= texte.size() && NomsCaracteres.contains(texte[fin - 1])) ++fin;
  texte.remove(p - 1, fin - p);
  if (texte.endsWith(u'+') || texte.endsWith(u'-')) texte.chop(1);
  return true;
}

// A variable of the current level at p.
void RemplaceVariable(QString& texte, int p, int s) {
  const NiveauProg& nv = NiveauActuel();
  const QString nom = nv.NomsVar[static_cast<size_t>(s)];
  const QString valeur = nv.ValeursVar[static_cast<size_t>(s)];
  const int longueur = static_cast<int>(nom.size());
  int e = p + longueur;
  if (s == Lecture.SlotListe) {
    if (Mid(texte, e, 1) == u" ") ++e;
    int champ = Lecture.ChampListe;
    Remplace(texte, p, e - p, ParamN(valeur, champ));
    VerifieLongueur(texte);
    return;
  }
  if (SansBlancs(valeur) == SansBlancs(Vue(texte, p, longueur + 1))) SubstitutionSansFin(texte);
  const bool blanc = e <= texte.size() && texte.at(e - 1) == u' ';
  if (blanc && !EstMotMaj(texte, e, QLatin1String(" AND")) && !EstMotMaj(texte, e, QLatin1String(" OR "))) {
    Remplace(texte, p, longueur + 1, valeur);
  } else {
    if (EgalMaj(valeur, nom)) SubstitutionSansFin(texte);
    Remplace(texte, p, longueur, valeur);
  }
  VerifieLongueur(texte);
}

enum class ModeIndex { Champ, SousChamp, Separateur, Caractere };

// The index markers after p: "(#" (a character), "(§" (a sub-field) and "(§" with a quoted
// separator; the markers are removed, leaving "(".
ModeIndex LitMarqueurs(QString& texte, int p, QString& separateur) {
  ModeIndex mode = ModeIndex::Champ;
  const int diese = InStr(p, texte, QStringLiteral("(#"));
  if (diese > 0) {
    texte.remove(diese, 1);
    mode = ModeIndex::Caractere;
  }
  const int cite = InStr(p, texte, QStringLiteral("(§\""));
  if (cite > 0) {
    const int ouvre = cite + 2;
    const int ferme = InStr(ouvre + 1, texte, QStringLiteral("\""));
    if (ferme == 0) throw ErreurExecution(QStringLiteral("invalid procedure call"));
    separateur = Mid(texte, ouvre + 1, ferme - ouvre - 1);
    texte.remove(cite, ferme - cite);
    if (separateur.startsWith(u'%') && separateur.size() > 1) SubstitueVariables(separateur);
    return ModeIndex::Separateur;
  }
  const int sous = InStr(p, texte, QStringLiteral("(§"));
  if (sous > 0) {
    texte.remove(sous, 1);
    mode = ModeIndex::SousChamp;
  }
  return mode;
}

// An indexed reference at p ("%L(2)", "%L(#2)", "%L(§2)", "%L(§"-"2)"). Returns the working
// position for the system variables.
int ReferenceIndexee(QString& texte, int p, bool& inconnu) {
  QString separateur;
  const ModeIndex mode = LitMarqueurs(texte, p, separateur);
  const int a = InStr(p, texte, QStringLiteral("("));
  const int b = a > 0 ? InStr(a + 1, texte, QStringLiteral(")")) : 0;
  if (a <= p || b <= a) return p;

  const NiveauProg& nv = NiveauActuel();
  QString indice = Trim(Mid(texte, a + 1, b - a - 1));
  if (indice.startsWith(u'%')) {
    const int s = IndiceVariable(indice, NiveauCourant);
    if (s > 0) {
      indice =
          Replace(UCase(indice), nv.NomsVar[static_cast<size_t>(s)], nv.ValeursVar[static_cast<size_t>(s)]);
    }
  }
  const int v = IndiceVariable(Mid(texte, p, a - p), NiveauCourant);
  if (v == 0 || !EstNumerique(indice)) return p;

  const QString sep = SeparateurDecimal();
  const double n = Val(sep == u"." ? indice : Replace(indice, sep, QStringLiteral(".")));
  const QString valeur = nv.ValeursVar[static_cast<size_t>(v)];
  QString r;
  switch (mode) {
    case ModeIndex::Champ:
      if (n > NbParams(valeur)) throw ErreurExecution(QStringLiteral("subscript out of range"));
      r = ParamN(valeur, VersEntier16(n));
      break;
    case ModeIndex::SousChamp:
      if (n > NbSousParams(valeur)) throw ErreurExecution(QStringLiteral("subscript out of range"));
      r = SousParamN(valeur, VersEntier16(n));
      break;
    case ModeIndex::Separateur:
      r = ChampN(valeur, VersEntier16(n), separateur);
      break;
    case ModeIndex::Caractere: {
      const int position = VersEntier16(n);
      if (position < 1) throw ErreurExecution(QStringLiteral("invalid procedure call"));
      r = Mid(valeur, position, 1);
      break;
    }
  }
  Remplace(texte, p, b - p + 1, r);
  VerifieLongueur(texte);
  inconnu = false;
  const int q = p + static_cast<int>(r.size()) - 1;
  return q == 0 ? 1 : q;
}

void NomInconnu(QString& texte, int p, bool& inconnu) {
  inconnu = true;
  int q = ReferenceIndexee(texte, p, inconnu);
  q = EssaieGroupe(texte, q, Noms5, 5, inconnu);
  q = EssaieGroupe(texte, q, Noms4, 4, inconnu);
  q = EssaieGroupe(texte, q, Noms3, 3, inconnu);
  if (Mid(texte, q, 1) != u"%" && Mid(texte, q + 1, 1) == u" ") texte.remove(q, 1);
}

// A "%" followed by a delimiter, or ending the text, is a percent sign.
bool EstPourcentLitteral(const QString& texte, int p) {
  if (p >= texte.size()) return true;
  const QChar c = texte[p];
  return c == u' ' || c == u'.' || c == u'(' || c == u')' || Lecture.SepParam.contains(c) ||
         Lecture.SepSousParam.contains(c);
}

bool PassePourcent(QString& texte) {
  int precedent = 0;
  int depart = 1;
  int tours = 0;
  bool inconnu = false;
  for (;;) {
    const int p = InStr(depart, texte, QStringLiteral("%"));
    if (p == 0 || p == precedent) break;
    if (++tours > MaxTours) {
      SubstitutionSansFin(texte);
    }
    precedent = p;
    if (!ReferencePortee(texte, p)) {
      const int s = IndiceVariable(QStringView(texte).mid(p - 1), NiveauCourant);
      if (s > 0) {
        RemplaceVariable(texte, p, s);
        precedent = 0;
      } else {
        NomInconnu(texte, p, inconnu);
      }
    }
    const int suivant = InStr(depart, texte, QStringLiteral("%"));
    if (suivant > 0 && EstPourcentLitteral(texte, suivant)) {
      inconnu = false;
      depart = suivant + 1;
    }
  }
  return inconnu;
}

}  // namespace

bool SubstitueVariables(QString& texte) {
  VerifieProfondeur(texte);
  const QScopedValueRollback<int> profondeur(Profondeur, Profondeur + 1);
  // A "VAR(" needs a "(", every other reference a "%".
  if (texte.contains(u'(')) PasseVar(texte);
  const bool inconnu = texte.contains(u'%') && PassePourcent(texte);
  if (texte.contains(Protection[0])) texte = Replace(texte, Protection, QStringLiteral("%"));
  return inconnu;
}

void DefinitLecteurDessin(LecteurVariableDessin lecteur) { LecteurDessin = lecteur; }
