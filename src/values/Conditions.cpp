#include "values/Conditions.h"

#include <QScopeGuard>
#include <array>
#include <initializer_list>

#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Substitution.h"

using namespace legacy;

namespace {

constexpr int NiveauMaxParTexte = 12;
// Entry L: the position of the "(" that opened group level L of a text condition.
std::array<int, NiveauMaxParTexte + 1> PosParTexte{};

const QString Vrai = QStringLiteral("1");
const QString Faux = QStringLiteral("0");
// The truth values the logical passes write, kept apart from the digits of the program's own
// text: a 1 the user wrote is a bare value, not a truth. They become "1" and "0" at the end.
const QString VraiReduit = QString(QChar(0xE001));
const QString FauxReduit = QString(QChar(0xE000));

[[noreturn]] void DivisionParZero() { LeveErreurExecution(QStringLiteral("division by zero")); }

bool EstOperateur(QChar c) { return c == u'<' || c == u'>' || c == u'='; }

// The text without its blanks; shared when it has none.
QString SansEspaces(const QString& texte) {
  if (!texte.contains(u' ')) return texte;
  QString r;
  r.reserve(texte.size());
  for (const QChar c : texte) {
    if (c != u' ') r += c;
  }
  return r;
}

// A truth value left by an earlier reduction.
bool EstVerite(QChar c) { return c == VraiReduit[0] || c == FauxReduit[0]; }
bool EstVerite(const QString& texte) { return texte == VraiReduit || texte == FauxReduit; }
const QString& Verite(bool v) { return v ? VraiReduit : FauxReduit; }

bool Contient(const QString& texte, const char* mot) { return texte.contains(QLatin1String(mot)); }

// "OR" also finds "XOR". One scan for the three words.
bool ContientMotLogique(const QString& texte) {
  const QStringView t(texte);
  for (qsizetype i = 0; i + 1 < t.size(); ++i) {
    const QChar c = t[i];
    if (c == u'O' && t[i + 1] == u'R') return true;
    if ((c == u'A' || c == u'N') && i + 2 < t.size()) {
      const QStringView mot = t.mid(i, 3);
      if (mot == QLatin1String("AND") || mot == QLatin1String("NOT")) return true;
    }
  }
  return false;
}

// The last occurrence of a word that starts before the position limite, 0 when there is none.
int DerniereAvant(const QString& texte, const QString& mot, int limite) {
  const int fin = std::min(limite + static_cast<int>(mot.size()) - 2, static_cast<int>(texte.size()));
  if (fin < static_cast<int>(mot.size())) return 0;
  return InStrRev(texte, mot, fin);
}

// True when the relation op holds between two values of which one knows whether the first is
// below or equal to the second.
bool Relation(QStringView op, bool inferieur, bool egal) {
  const bool superieur = !inferieur && !egal;
  if (op == QStringView(u"<")) return inferieur;
  if (op == QStringView(u"<=") || op == QStringView(u"=<")) return inferieur || egal;
  if (op == QStringView(u"=")) return egal;
  if (op == QStringView(u">=") || op == QStringView(u"=>")) return superieur || egal;
  if (op == QStringView(u">")) return superieur;
  return !egal;  // "<>" and "><"
}

// The operator of a relation: the last comparison character at or before depart, with the one
// before it when that is one too. The same character twice is no operator. Returns the first and
// the last position of the operator, 0 when there is none.
std::pair<int, int> TrouveOperateur(const QString& texte, int depart) {
  int q = 0;
  for (int i = depart; i >= 1; --i) {
    if (EstOperateur(texte[i - 1])) {
      q = i;
      break;
    }
  }
  if (q == 0) return {0, 0};
  if (q > 1 && EstOperateur(texte[q - 2])) {
    if (texte[q - 2] == texte[q - 1]) DivisionParZero();
    return {q - 1, q};
  }
  return {q, q};
}

// One comparison of two arithmetic expressions (the text holds a comparison character).
bool ComparaisonNumerique(const QString& texte) {
  const auto [debut, fin] = TrouveOperateur(texte, static_cast<int>(texte.size()));
  QString gauche = Trim(Left(texte, debut - 1));
  QString droite = Mid(texte, fin + 1);
  const double a = Calcule(gauche).value_or(0.0);
  const double b = Calcule(droite).value_or(0.0);
  return Relation(QStringView(texte).mid(debut - 1, fin - debut + 1), a < b, a == b);
}

// ---- text functions ----

// INS("a","b"): the position of b in a; a is upper-cased when the name is written with a
// capital S. Only the first call is replaced.
void RemplaceIns(QString& texte) {
  const QString u = UCase(texte);
  const int i = InStr(u, QStringLiteral("INS(\""));
  if (i == 0) return;
  const int j = InStr(i + 5, u, QStringLiteral("\",\""));
  if (j == 0) return;
  const int k = InStr(j + 3, u, QStringLiteral("\")"));
  if (k == 0) return;
  QString a = Mid(texte, i + 5, j - i - 5);
  const QString b = Mid(texte, j + 3, k - j - 3);
  if (texte[i + 1] == u'S') a = UCase(a);
  texte = Left(texte, i - 1) + QString::number(InStr(a, b)) + Mid(texte, k + 2);
}

// The ")" that closes an argument starting at debut, or the end of the text + 1.
int FinArgument(const QString& texte, int debut) {
  int niveau = 0;
  for (int i = debut; i <= texte.size(); ++i) {
    const QChar c = texte[i - 1];
    if (c == u'(') {
      ++niveau;
    } else if (c == u')') {
      if (niveau == 0) return i;
      --niveau;
    }
  }
  return static_cast<int>(texte.size()) + 1;
}

// NBP( and NB§(: every call, rightmost first, becomes the count of fields of its argument.
void RemplaceComptes(QString& texte, const QString& nom, int (*compte)(const QString&)) {
  int p = DerniereAvant(UCase(texte), nom, static_cast<int>(texte.size()) + 1);
  while (p > 0) {
    const int debut = p + static_cast<int>(nom.size());
    const int fin = FinArgument(texte, debut);
    const QString argument = Mid(texte, debut, fin - debut);
    texte = Left(texte, p - 1) + QString::number(compte(argument)) + Mid(texte, fin + 1);
    p = DerniereAvant(UCase(texte), nom, p);
  }
}

// NBCR(: the first call becomes the count of carriage returns of its argument.
void RemplaceNbCr(QString& texte) {
  const int p = InStr(UCase(texte), QStringLiteral("NBCR("));
  if (p == 0) return;
  int fin = InStr(p + 5, texte, QStringLiteral(")"));
  if (fin == 0) fin = static_cast<int>(texte.size()) + 1;
  const QString argument = Mid(texte, p + 5, fin - p - 5);
  texte = Left(texte, p - 1) + QString::number(argument.count(QChar(13))) + Mid(texte, fin + 1);
}

// LEN("text"): the first call becomes the length of its text, after a new substitution of the
// whole condition.
void RemplaceLen(QString& texte) {
  if (InStr(UCase(texte), QStringLiteral("LEN(\"")) == 0) return;
  SubstitueVariables(texte);
  const int p = InStr(UCase(texte), QStringLiteral("LEN(\""));
  if (p == 0) return;
  const int fin = InStr(p + 5, texte, QStringLiteral("\")"));
  if (fin == 0) LeveErreurExecution(QStringLiteral("invalid procedure call"));
  const int longueur = fin - p - 5;
  texte = Left(texte, p - 1) + QString::number(longueur) + Mid(texte, fin + 2);
}

// ---- logical passes ----

// The ")" that closes the "(" at the position, 0 when there is none.
int FinParenthese(const QString& texte, int ouvrante) {
  int niveau = 0;
  for (int i = ouvrante; i <= texte.size(); ++i) {
    if (texte[i - 1] == u'(') ++niveau;
    if (texte[i - 1] == u')' && --niveau == 0) return i;
  }
  return 0;
}

bool Equilibree(const QString& texte) {
  int niveau = 0;
  for (const QChar c : texte) {
    if (c == u'(') ++niveau;
    if (c == u')' && --niveau < 0) return false;
  }
  return niveau == 0;
}

// Whether the text between two parentheses is a condition of its own (a comparison, a logical
// word or a truth value inside), unlike that of a function call or of arithmetic.
bool ConditionEntre(const QString& groupe) {
  return ContientComparaison(groupe) || ContientMotLogique(groupe) || groupe.contains(VraiReduit) ||
         groupe.contains(FauxReduit);
}

// Whether the text holds a group in parentheses that is a condition of its own.
bool GroupeLogique(const QString& texte) {
  for (int i = 1; i <= texte.size(); ++i) {
    if (texte[i - 1] != u'(') continue;
    const int fin = FinParenthese(texte, i);
    if (fin == 0) return false;
    if (ConditionEntre(Mid(texte, i + 1, fin - i - 1))) return true;
  }
  return false;
}

// An operand of a logical word: where it stands, whether it holds a group that is a condition of
// its own and whether its scan stopped at a parenthesis of an enclosing group.
struct Operande {
  int debut = 0;
  int longueur = 0;
  bool parentheses = false;
  bool englobant = false;
};

Operande FaitOperande(const QString& texte, int debut, int longueur, bool englobant) {
  return {debut, longueur, GroupeLogique(Mid(texte, debut, longueur)), englobant};
}

// Rightwards from depart. The parentheses of a function call or of arithmetic belong to the
// operand as if they were not there; a group that is a condition of its own ends the operand at
// its ")". A ")" of an enclosing group ends it before that ")". Unbalanced parentheses are a run
// error.
Operande OperandeDroite(const QString& texte, int depart) {
  int niveau = 0;
  int ouvrante = 0;
  for (int i = depart; i <= texte.size(); ++i) {
    const QChar c = texte[i - 1];
    if (c == u'(') {
      if (niveau++ == 0) ouvrante = i;
    } else if (c == u')') {
      if (niveau == 0) return FaitOperande(texte, depart, i - depart, true);
      if (--niveau == 0 && ConditionEntre(Mid(texte, ouvrante + 1, i - ouvrante - 1))) {
        return FaitOperande(texte, depart, i - depart + 1, false);
      }
    }
  }
  if (niveau != 0) DivisionParZero();
  return FaitOperande(texte, depart, static_cast<int>(texte.size()) - depart + 1, false);
}

// Leftwards from fin, the mirror of OperandeDroite: a function name stays with its call.
Operande OperandeGauche(const QString& texte, int fin) {
  int niveau = 0;
  int fermante = 0;
  for (int i = fin; i >= 1; --i) {
    const QChar c = texte[i - 1];
    if (c == u')') {
      if (niveau++ == 0) fermante = i;
    } else if (c == u'(') {
      if (niveau == 0) return FaitOperande(texte, i + 1, fin - i, true);
      if (--niveau == 0 && ConditionEntre(Mid(texte, i + 1, fermante - i - 1))) {
        return FaitOperande(texte, i, fin - i + 1, false);
      }
    }
  }
  if (niveau != 0) DivisionParZero();
  return FaitOperande(texte, 1, fin, false);
}

// The truth of an operand that holds a group of its own, through a reduction of its own; nullopt
// when it holds one of the blocking words (left for a later pass).
std::optional<bool> ReduitGroupe(const QString& operande, std::initializer_list<const char*> bloquants) {
  for (const char* mot : bloquants) {
    if (Contient(operande, mot)) return std::nullopt;
  }
  QString reduit = operande;
  EvalueLogique(reduit);
  return reduit == Vrai;
}

// Evaluates an operand and writes its truth value in its place (only there: the same text
// elsewhere in the condition may belong to another operand). An operand with a group of its own
// that holds one of the blocking words is left for a later pass: false. An empty operand is left
// as it is.
bool ReduitOperande(QString& texte, const Operande& o, std::initializer_list<const char*> bloquants) {
  const QString operande = Mid(texte, o.debut, o.longueur);
  if (operande.isEmpty() || EstVerite(operande)) return true;
  bool valeur = false;
  if (!o.parentheses || o.englobant) {
    valeur = EvalueCondition(operande);
  } else {
    const std::optional<bool> v = ReduitGroupe(operande, bloquants);
    if (!v) return false;
    valeur = *v;
  }
  texte = Left(texte, o.debut - 1) + Verite(valeur) + Mid(texte, o.debut + o.longueur);
  return true;
}

// NOT, rightmost first: "NOT" and its operand become the negated truth value.
void PasseNon(QString& texte) {
  const QString mot = QStringLiteral("NOT");
  int p = DerniereAvant(texte, mot, static_cast<int>(texte.size()) + 1);
  while (p > 0) {
    const Operande o = OperandeDroite(texte, p + 3);
    const QString operande = Mid(texte, o.debut, o.longueur);
    std::optional<bool> valeur;
    if (EstVerite(operande)) {
      valeur = operande == VraiReduit;
    } else if (o.parentheses && !o.englobant) {
      valeur = ReduitGroupe(operande, {"OR", "AND"});
    } else {
      valeur = EvalueCondition(operande);
    }
    if (valeur) texte = Left(texte, p - 1) + Verite(!*valeur) + Mid(texte, o.debut + o.longueur);
    p = DerniereAvant(texte, mot, p);
  }
}

// AND, OR and XOR, rightmost first: both operands become truth values, then the word and its two
// values become the result.
void PasseBinaire(QString& texte, const QString& mot, std::initializer_list<const char*> bloquants,
                  bool (*combine)(bool, bool)) {
  const int n = static_cast<int>(mot.size());
  int p = DerniereAvant(texte, mot, static_cast<int>(texte.size()) + 1);
  while (p > 0) {
    if (mot == QStringLiteral("OR") && p > 1 && texte[p - 2] == u'X') {
      p = DerniereAvant(texte, mot, p);
      continue;
    }
    if (ReduitOperande(texte, OperandeDroite(texte, p + n), bloquants)) {
      const int longueurAvant = static_cast<int>(texte.size());
      if (ReduitOperande(texte, OperandeGauche(texte, p - 1), bloquants)) {
        p += static_cast<int>(texte.size()) - longueurAvant;
        if (p > 1 && p + n <= texte.size() && EstVerite(texte[p - 2]) && EstVerite(texte[p + n - 1])) {
          const bool v = combine(texte[p - 2] == VraiReduit[0], texte[p + n - 1] == VraiReduit[0]);
          texte = Left(texte, p - 2) + Verite(v) + Mid(texte, p + n + 1);
          --p;
        }
      }
    }
    p = DerniereAvant(texte, mot, p);
  }
}

bool CombineEt(bool a, bool b) { return a && b; }
bool CombineOu(bool a, bool b) { return a || b; }
bool CombineOuX(bool a, bool b) { return a != b; }

}  // namespace

bool ContientComparaison(const QString& texte) {
  return texte.contains(u'<') || texte.contains(u'=') || texte.contains(u'>');
}

bool EvalueComparaison(const QString& texte) {
  if (texte.isEmpty()) return false;
  QString t = texte;
  // Only parentheses around the whole text: in «(1+1)*2>(3)» they belong to the two sides.
  if (t.startsWith(u'(') && FinParenthese(t, 1) == t.size()) t = Mid(t, 2, static_cast<int>(t.size()) - 2);
  if (!ContientComparaison(t)) return Val(t) != 0;
  return ComparaisonNumerique(t);
}

bool EvalueCondition(const QString& texte) {
  const QString t = Trim(texte);
  if (t.isEmpty()) return false;
  if (EstVerite(t)) return t == VraiReduit;
  const QString u = UCase(texte);
  int k = InStr(u, QStringLiteral("NOT"));
  if (k > 0) return !EvalueCondition(Mid(texte, k + 3));
  k = InStr(u, QStringLiteral("XOR"));
  if (k > 0) {
    const bool a = EvalueCondition(Left(texte, k - 1));
    const bool b = EvalueCondition(Mid(texte, k + 3));
    return a != b;
  }
  k = InStr(u, QStringLiteral("OR"));
  if (k > 0) {
    const bool a = EvalueCondition(Left(texte, k - 1));
    const bool b = EvalueCondition(Mid(texte, k + 2));
    return a || b;
  }
  k = InStr(u, QStringLiteral("AND"));
  if (k > 0) {
    const bool a = EvalueCondition(Left(texte, k - 1));
    const bool b = EvalueCondition(Mid(texte, k + 3));
    return a && b;
  }
  if (!ContientComparaison(texte)) return false;
  return ComparaisonNumerique(texte);
}

void EvalueLogique(QString& texte) {
  if (texte.size() < 2) return;
  if (!Equilibree(texte)) DivisionParZero();
  while (ContientMotLogique(texte)) {
    const QString avant = texte;
    PasseNon(texte);
    PasseBinaire(texte, QStringLiteral("AND"), {"OR", "NOT", "XOR"}, CombineEt);
    PasseBinaire(texte, QStringLiteral("OR"), {"AND", "NOT", "XOR"}, CombineOu);
    PasseBinaire(texte, QStringLiteral("XOR"), {"AND", "NOT", "OR"}, CombineOuX);
    // Words without operands never reduce: the passes would repeat for ever.
    if (texte == avant) DivisionParZero();
  }
  texte.replace(VraiReduit, Vrai).replace(FauxReduit, Faux);
  texte = EvalueComparaison(texte) ? Vrai : Faux;
}

std::optional<double> EvalueFonctionsTexte(QString& texte) {
  // Every text function is a call: without "(" there is none.
  if (texte.contains(u'(')) {
    RemplaceIns(texte);
    RemplaceComptes(texte, QStringLiteral("NBP("), NbParams);
    RemplaceComptes(texte, QStringLiteral("NB§("), NbSousParams);
    RemplaceNbCr(texte);
    RemplaceLen(texte);
  }
  texte = UCase(SansEspaces(texte));
  if (!ContientMotLogique(texte)) {
    if (!ContientComparaison(texte)) return Calcule(texte);
    return EvalueComparaison(texte) ? 1.0 : 0.0;
  }
  EvalueLogique(texte);
  return Val(texte);
}

// ---- text conditions ----

std::optional<bool> CompareTextes(const QString& texte) {
  if (Trim(texte).isEmpty()) return std::nullopt;
  const QString u = UCase(texte);
  auto vrai = [](const std::optional<bool>& v) { return v.value_or(false); };
  auto coupe = [&](const char* mot, int& k) {
    k = InStr(u, QLatin1String(mot));
    return k > 0;
  };
  int k = 0;
  if (coupe(" XOR ", k)) {
    const bool a = vrai(CompareTextes(Left(texte, k - 1)));
    const bool b = vrai(CompareTextes(Mid(texte, k + 5)));
    return a != b;
  }
  if (coupe(" OR ", k)) {
    const bool a = vrai(CompareTextes(Left(texte, k - 1)));
    const bool b = vrai(CompareTextes(Mid(texte, k + 4)));
    return a || b;
  }
  if (coupe(" AND ", k)) {
    const bool a = vrai(CompareTextes(Left(texte, k - 1)));
    const bool b = vrai(CompareTextes(Mid(texte, k + 5)));
    return a && b;
  }
  if (coupe(" NOT ", k)) return !vrai(CompareTextes(Mid(texte, k + 5)));
  if (u.startsWith(QStringLiteral("NOT "))) return !vrai(CompareTextes(Mid(texte, 5)));

  const QString t = Trim(texte);
  int depart = static_cast<int>(t.size());
  // Comparison characters inside the quoted right-hand text are no operator.
  if (t.size() >= 2 && t.startsWith(u'"') && t.endsWith(u'"')) {
    depart = InStrRev(t, QStringLiteral("\""), static_cast<int>(t.size()) - 1);
  }
  const auto [debut, fin] = TrouveOperateur(t, depart);
  if (debut == 0) return true;
  const QString gauche = Trim(Left(t, debut - 1));
  const QString droite = Trim(Mid(t, fin + 1));
  const int c = gauche.compare(droite, Qt::CaseSensitive);
  return Relation(QStringView(t).mid(debut - 1, fin - debut + 1), c < 0, c == 0);
}

QString TexteParenthesesTropProfondes(int maximum) {
  return QStringLiteral(
             "Parenthèses imbriquées trop profondes (> %1) / Parentheses nested too deep (> %1) / "
             "Klammern zu tief verschachtelt (> %1)\r\n\r\n")
      .arg(maximum);
}

std::optional<bool> EvalueConditionTexte(QString& texte) {
  const int niveau = Lecture.NivParTexte;
  const int debutGroupe = PosParTexte[static_cast<size_t>(niveau)];
  const int p = InStr(debutGroupe + 1, texte, QStringLiteral("("));
  if (p > 0) {
    if (niveau + 1 > NiveauMaxParTexte) {
      Incident.DetailErreur = TexteParenthesesTropProfondes(NiveauMaxParTexte);
      LeveErreurExecution(QStringLiteral("subscript out of range"));
    }
    // The group level comes back whatever happens inside, so that the next condition starts at 0.
    const auto restaure = qScopeGuard([niveau] {
      PosParTexte[static_cast<size_t>(niveau + 1)] = 0;
      Lecture.NivParTexte = niveau;
    });
    PosParTexte[static_cast<size_t>(niveau + 1)] = p;
    Lecture.NivParTexte = niveau + 1;
    EvalueConditionTexte(texte);
  }
  if (niveau == 0) return CompareTextes(texte);

  const int fin = InStr(debutGroupe + 1, texte, QStringLiteral(")"));
  const int longueur = fin - debutGroupe - 1;
  if (longueur < 0) LeveErreurExecution(QStringLiteral("invalid procedure call"));
  const QString groupe = Mid(texte, debutGroupe + 1, longueur);
  const QString u = UCase(groupe);
  QString remplace = groupe;
  if (Contient(u, " OR ") || Contient(u, " AND ") || Contient(u, " XOR ") || ContientComparaison(groupe)) {
    remplace = CompareTextes(groupe).value_or(false) ? Vrai : QString();
  }
  texte = Left(texte, debutGroupe - 1) + remplace + Mid(texte, fin + 1);
  return std::nullopt;
}
