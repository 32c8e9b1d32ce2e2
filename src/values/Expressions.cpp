#include "values/Expressions.h"

#include <QStringList>
#include <cmath>

#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "values/Conditions.h"

using namespace legacy;

PileCalcul Calcul;

namespace {

constexpr double kPi = 3.14159265358979;
// Deliberately not pi / 180: results must match the values programs were written against.
constexpr double kDegre = 0.017453293;

// A text that does not reduce to one number is reported as a division by zero, as programs expect.
[[noreturn]] void NonReduit() { throw ErreurExecution(QStringLiteral("division by zero"), true); }
[[noreturn]] void DivisionParZero() { LeveErreurExecution(QStringLiteral("division by zero")); }
[[noreturn]] void AppelInvalide() { LeveErreurExecution(QStringLiteral("invalid procedure call")); }
[[noreturn]] void HorsLimites() { LeveErreurExecution(QStringLiteral("subscript out of range")); }

// The character at a 1-based position; a null character outside the text.
QChar Car(const QString& t, int p) { return p >= 1 && p <= t.size() ? t[p - 1] : QChar(); }
bool EstChiffre(QChar c) { return c >= u'0' && c <= u'9'; }
bool EstSigne(QChar c) { return c == u'+' || c == u'-'; }

// Replaces the 1-based positions debut to fin, both included.
void Remplace(QString& t, int debut, int fin, const QString& par) {
  t.replace(debut - 1, fin - debut + 1, par);
}

QString Resultat(double v) { return TexteNombre(VersSingle(v)); }

float LitSingle(const QString& t, int debut, int fin) {
  return VersSingle(Val(Mid(t, debut, fin - debut + 1)));
}

double Puissance(float base, float exposant) {
  const double r = std::pow(static_cast<double>(base), static_cast<double>(exposant));
  if (std::isnan(r)) AppelInvalide();
  return r;
}

// The group of a level ends at its first ")", or past the text when there is none.
int FinGroupe(const QString& t, int debut) {
  const int p = InStr(debut, t, QStringLiteral(")"));
  return p > 0 ? p : t.size() + 1;
}

// First occurrence of an operator in the group, its first character excluded (that one may be a
// sign); 0 when none.
int DansGroupe(const QString& t, int debut, const QString& op) {
  const int p = InStr(debut + 1, t, op);
  return p > 0 && p < FinGroupe(t, debut) ? p : 0;
}

// "^", "/" and "*", left to right. Each pass replaces one operator, so the loop ends.
void Operations(QString& t, int debut, QChar op) {
  const QString signe(op);
  for (int p = DansGroupe(t, debut, signe); p > 0; p = DansGroupe(t, debut, signe)) {
    int gauche = p - 1;
    DebutNombre(t, gauche);
    // After an operator or "(", the minus belongs to the base: 3*-2^2 is 12, a leading -2^2 is -4.
    if (op == u'^' && Car(t, gauche - 1) == u'-' && QStringLiteral("*/(+-").contains(Car(t, gauche - 2))) {
      --gauche;
    }
    int droite = p + 1;
    FinNombre(t, droite);
    const float a = LitSingle(t, gauche, p - 1);
    const float b = LitSingle(t, p + 1, droite);
    double r;
    if (op == u'^') {
      r = Puissance(a, b);
    } else if (op == u'/') {
      if (b == 0) DivisionParZero();
      r = a / b;
    } else {
      r = a * b;
    }
    Remplace(t, gauche, droite, Resultat(r));
  }
}

void Modulos(QString& t, int debut) {
  const QString mod = QStringLiteral("MOD");
  for (int m = DansGroupe(t, debut, mod); m > 0; m = DansGroupe(t, debut, mod)) {
    int gauche = m - 1;
    DebutNombre(t, gauche);
    int droite = m + 3;
    FinNombre(t, droite);
    const int32_t a = VersEntier32(Val(Mid(t, gauche, m - gauche)));
    const int32_t b = VersEntier32(Val(Mid(t, m + 3, droite - m - 2)));
    if (b == 0) DivisionParZero();
    const int32_t r = b == -1 ? 0 : a % b;
    Remplace(t, gauche, droite, TexteNombre(static_cast<float>(r)));
  }
}

// "+" and "-" between the first number of the group and the next one. The tail after the second
// number is left as it is, so each pass shortens what follows the first number.
void Additions(QString& t, int debut) {
  for (;;) {
    int fin1 = debut;
    FinNombre(t, fin1);
    const QChar op = Car(t, fin1 + 1);
    if (!EstSigne(op)) return;
    int fin2 = fin1 + 2;
    FinNombre(t, fin2);
    const float a = LitSingle(t, debut, fin1);
    const float b = LitSingle(t, fin1 + 2, fin2);
    Remplace(t, debut, fin2, Resultat(op == u'+' ? a + b : a - b));
  }
}

std::optional<QString> Fonction4(const QString& nom, double x) {
  if (nom == QLatin1String("ASIN")) return Resultat(ArcSin(x) / kDegre);
  if (nom == QLatin1String("ACOS")) return Resultat(ArcCos(x) / kDegre);
  if (nom == QLatin1String("ATAN")) return Resultat(std::atan(x) / kDegre);
  if (nom == QLatin1String("SINH")) return Resultat((std::exp(x) - std::exp(-x)) / 2);
  if (nom == QLatin1String("COSH")) return Resultat((std::exp(x) + std::exp(-x)) / 2);
  if (nom.startsWith(QLatin1String("RND")) && EstChiffre(nom[3])) {
    const double echelle = std::pow(10.0, nom[3].unicode() - u'0');
    // In double: a 32-bit integer would not hold RND9(3) or RND0(3E9).
    return Resultat(ArrondiPair(x * echelle) / echelle);
  }
  return std::nullopt;
}

std::optional<QString> Fonction3(const QString& nom, double x) {
  if (nom == QLatin1String("LOG")) {
    if (x <= 0) AppelInvalide();
    return Resultat(std::log(x) / std::log(10.0));
  }
  if (nom == QLatin1String("SQR")) {
    if (x < 0) AppelInvalide();
    return Resultat(std::sqrt(x));
  }
  if (nom == QLatin1String("ABS")) return Resultat(std::fabs(x));
  if (nom == QLatin1String("SIN")) return Resultat(std::sin(x * kDegre));
  if (nom == QLatin1String("COS")) return Resultat(std::cos(x * kDegre));
  if (nom == QLatin1String("TAN")) return Resultat(std::tan(x * kDegre));
  if (nom == QLatin1String("SGN")) return Resultat(x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0));
  if (nom == QLatin1String("FIX")) return Resultat(Fix(x));
  if (nom == QLatin1String("ALE")) {
    if (x < 0) Rnd(VersSingle(x));
    return TexteNombre(Rnd());
  }
  return std::nullopt;
}

// The closing ")" of the group: a power of the group, a function of it, or bare parentheses.
void FermeGroupe(QString& t, int debut, int fin) {
  if (Car(t, fin + 2) == u'^') {
    int exposant = fin + 3;
    FinNombre(t, exposant);
    const double r = Puissance(LitSingle(t, debut, fin), LitSingle(t, fin + 3, exposant));
    Remplace(t, debut - 1, exposant, Resultat(r));
    return;
  }
  const double x = Val(Mid(t, debut, fin - debut + 1));
  std::optional<QString> resultat;
  int longueurNom = 0;
  if (debut >= 6) {
    resultat = Fonction4(Mid(t, debut - 5, 4), x);
    longueurNom = 4;
  }
  if (!resultat && debut >= 5) {
    resultat = Fonction3(Mid(t, debut - 4, 3), x);
    longueurNom = 3;
  }
  if (resultat) {
    Remplace(t, debut - 1 - longueurNom, fin + 1, *resultat);
  } else {
    Remplace(t, fin + 1, fin + 1, QString());
    Remplace(t, debut - 1, debut - 1, QString());
  }
}

// One part of ARG, reduced on its own.
double ValeurPartie(const QString& partie) {
  QString t = QStringLiteral("   ") + partie + QStringLiteral(" ");
  Calcul.NivParCalc = 0;
  Calcul.PosParCalc[0] = 4;
  CalculeExpression(t);
  return Val(t);
}

// ARG(x,y): the direction of the point (x, y) in degrees. Its arguments hold no parentheses.
void ResoutArg(QString& t) {
  const QString nom = QStringLiteral("ARG(");
  for (int p = InStrRev(t, nom); p > 0; p = InStrRev(t, nom)) {
    int fin = InStr(p + 4, t, QStringLiteral(")"));
    if (fin == 0) fin = t.size() + 1;
    const QStringList parties = Mid(t, p + 4, fin - p - 4).split(u',');
    if (parties.size() < 2) HorsLimites();
    const double x = ValeurPartie(parties[0]);
    const double y = ValeurPartie(parties[1]);
    float a;
    if (x != 0) {
      a = VersSingle(std::atan(y / x));
      if (x < 0) a = VersSingle(y >= 0 ? a + kPi : a - kPi);
    } else {
      a = VersSingle(y >= 0 ? kPi / 2 : -kPi / 2);
    }
    Remplace(t, p, fin, TexteNombre(VersSingle(a / kDegre)));
  }
}

// The end of an unsigned number of digits with at most one ".", from i; i itself when no digit.
qsizetype FinChiffres(const char16_t* c, qsizetype i, qsizetype n) {
  const qsizetype debut = i;
  bool point = false, chiffre = false;
  for (; i < n; ++i) {
    if (EstChiffre(QChar(c[i]))) {
      chiffre = true;
    } else if (c[i] == u'.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  return chiffre ? i : debut;
}

// What most parameters are once substituted: a number, or a number, an operator and an unsigned
// number. Reduced as the rewriting reduction would reduce them, to the same text and value; false
// for anything else, which the reduction handles.
bool CalculeSimple(QString& texte, double& valeur) {
  constexpr qsizetype Max = 48;
  char16_t c[Max];
  qsizetype n = 0;
  for (const QChar q : texte) {
    const char16_t u = q.unicode();
    if (u == u' ') continue;
    if (!EstChiffre(q) && u != u'.' && u != u'+' && u != u'-' && u != u'*' && u != u'/') return false;
    if (n == Max) return false;
    c[n++] = u;
  }
  qsizetype i = 0;
  if (n > 0 && EstSigne(QChar(c[0]))) ++i;
  const qsizetype debutA = i;
  const qsizetype finA = FinChiffres(c, i, n);
  if (finA == debutA) return false;

  QString reduit;
  reduit.reserve(n + 20);
  reduit += QLatin1String("   ");
  if (finA == n) {
    reduit.append(reinterpret_cast<const QChar*>(c), n);
  } else {
    const char16_t op = c[finA];
    if (op != u'+' && op != u'-' && op != u'*' && op != u'/') return false;
    const qsizetype finB = FinChiffres(c, finA + 1, n);
    if (finB == finA + 1 || finB != n) return false;
    // The left operand of "*" and "/" is found backwards from a digit, and without its sign.
    const bool produit = op == u'*' || op == u'/';
    if (produit && !EstChiffre(QChar(c[finA - 1]))) return false;
    const qsizetype debutGauche = produit ? debutA : 0;
    const float a = VersSingle(Val(QStringView(c + debutGauche, finA - debutGauche)));
    const float b = VersSingle(Val(QStringView(c + finA + 1, n - finA - 1)));
    double r;
    if (op == u'/') {
      if (b == 0) DivisionParZero();
      r = a / b;
    } else if (op == u'*') {
      r = a * b;
    } else {
      r = op == u'+' ? a + b : a - b;
    }
    if (produit && debutA > 0) reduit += QChar(c[0]);
    reduit += Resultat(r);
  }
  reduit += QLatin1Char(' ');
  texte = reduit;
  Calcul.NivParCalc = 0;
  Calcul.PosParCalc[0] = 4;
  valeur = Val(texte);
  return true;
}

}  // namespace

std::optional<double> Calcule(QString& texte) {
  if (texte.isEmpty()) texte = QStringLiteral("0");
  if (Trim(texte).isEmpty()) return std::nullopt;
  double valeur = 0;
  if (CalculeSimple(texte, valeur)) return valeur;
  return CalculeReduction(texte);
}

std::optional<double> CalculeReduction(QString& texte) {
  if (texte.isEmpty()) texte = QStringLiteral("0");
  if (Trim(texte).isEmpty()) return std::nullopt;
  texte = QStringLiteral("   ") + UCase(Replace(texte, QStringLiteral(" "), QString())) + QStringLiteral(" ");
  ResoutArg(texte);
  Calcul.NivParCalc = 0;
  Calcul.PosParCalc[0] = 4;
  CalculeExpression(texte);
  return Val(texte);
}

void CalculeExpression(QString& texte) {
  const int16_t niveau = Calcul.NivParCalc;
  const int debut = Calcul.PosParCalc[niveau];

  // Every "(" to the right is handled by a deeper level first, so the groups are reduced from the
  // rightmost one leftwards; the fixed stack bounds the depth.
  const int parenthese = InStr(debut, texte, QStringLiteral("("));
  if (parenthese > 0) {
    if (niveau + 1 >= static_cast<int>(Calcul.PosParCalc.size())) {
      Incident.DetailErreur = TexteParenthesesTropProfondes(static_cast<int>(Calcul.PosParCalc.size()) - 1);
      HorsLimites();
    }
    Calcul.PosParCalc[niveau + 1] = VersEntier16(parenthese + 1);
    Calcul.NivParCalc = static_cast<int16_t>(niveau + 1);
    CalculeExpression(texte);
    Calcul.NivParCalc = niveau;
  }

  for (int e = debut; (e = InStr(e + 1, texte, QStringLiteral("E"))) > 0 && e < FinGroupe(texte, debut);) {
    if (!EstSigne(Car(texte, e + 1))) texte.insert(e, u'+');
  }
  Operations(texte, debut, u'^');
  Operations(texte, debut, u'/');
  Operations(texte, debut, u'*');
  Modulos(texte, debut);

  QString suite = Mid(texte, debut);
  suite = Replace(suite, QStringLiteral("--"), QStringLiteral("+"));
  suite = Replace(suite, QStringLiteral("+-"), QStringLiteral("-"));
  suite = Replace(suite, QStringLiteral("-+"), QStringLiteral("-"));
  texte = Left(texte, debut - 1) + suite;

  Additions(texte, debut);

  int fin = debut;
  FinNombre(texte, fin);
  if (Car(texte, fin + 1) != u')') {
    if (niveau == 0 && fin >= texte.size() - 1) return;
    NonReduit();
  }
  if (Car(texte, debut - 1) != u'(') NonReduit();
  FermeGroupe(texte, debut, fin);
}

void FinNombre(const QString& texte, int& position) {
  int p = position;
  const QChar c = Car(texte, p);
  if (!EstChiffre(c) && c != u'.' && !EstSigne(c)) NonReduit();
  while (EstChiffre(Car(texte, p + 1)) || Car(texte, p + 1) == u'.') ++p;
  if (Car(texte, p + 1) == u'E' && EstSigne(Car(texte, p + 2))) {
    p += 2;
    while (EstChiffre(Car(texte, p + 1))) ++p;
  }
  position = p;
}

void DebutNombre(const QString& texte, int& position) {
  int p = position;
  if (!EstChiffre(Car(texte, p))) NonReduit();
  auto partieNombre = [&](int i) { return EstChiffre(Car(texte, i)) || Car(texte, i) == u'.'; };
  while (partieNombre(p - 1)) --p;
  if (p > 2 && Car(texte, p - 2) == u'E' && EstSigne(Car(texte, p - 1))) {
    p -= 2;
    while (partieNombre(p - 1)) --p;
  }
  position = p;
}

double ArcSin(double x) {
  if (x >= 1) return kPi / 2;
  if (x <= -1) return -kPi / 2;
  return std::atan(x / std::sqrt(1 - x * x));
}

double ArcCos(double x) {
  if (x >= 1) return 0;
  if (x <= -1) return kPi;
  return std::atan(-x / std::sqrt(1 - x * x)) + 2 * std::atan(1.0);
}

float LitMultiplicateur(QString& texte) {
  texte = Replace(Trim(texte), QStringLiteral(" "), QString());
  const int etoile = InStr(texte, QStringLiteral("*"));
  if (Car(texte, etoile + 1) != u'(') return VersSingle(Val(Mid(texte, etoile + 1)));
  int fin = etoile + 1;
  for (int profondeur = 1; profondeur > 0;) {
    ++fin;
    if (fin > texte.size()) NonReduit();
    if (texte[fin - 1] == u'(') ++profondeur;
    if (texte[fin - 1] == u')') --profondeur;
  }
  QString expression = Mid(texte, etoile + 2, fin - etoile - 2);
  const double valeur = Calcule(expression).value_or(0.0);
  texte = Left(texte, etoile) + Mid(texte, fin + 1);
  return VersSingle(valeur);
}
