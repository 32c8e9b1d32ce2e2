#include "values/StringFunctions.h"

#include <algorithm>

#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "values/Levels.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

// Text positions are 16-bit: nested replacements may not grow a text past them.
constexpr int LongueurMaxTexte = 32767;

const QString Guillemet = QStringLiteral("\"");
const QString FinAppel = QStringLiteral("\")");

bool EstChiffre(const QString& c) { return c.size() == 1 && c[0] >= u'0' && c[0] <= u'9'; }

// The count of LEFL and RIGR: the whole, non-negative value of %Lef or %Rig.
int CompteVariable(const QString& nom) {
  const int s = IndiceVariable(nom, NiveauCourant);
  if (s == 0) throw ErreurExecution();
  const QString valeur = Trim(Niveau(NiveauCourant).ValeursVar[static_cast<size_t>(s)]);
  if (!EstNumerique(valeur)) throw ErreurExecution(QStringLiteral("type mismatch"));
  const double n = Val(Replace(valeur, SeparateurDecimal(), QStringLiteral(".")));
  if (n < 0 || n != Int(n)) throw ErreurExecution(QStringLiteral("invalid procedure call"));
  return VersEntier16(n);
}

void Remplace(QString& texte, int debut, int fin, const QString& par) {
  texte = Left(texte, debut - 1) + par + Mid(texte, fin + 1);
  if (texte.size() > LongueurMaxTexte) throw ErreurExecution(QStringLiteral("overflow"));
}

// The last "(" before p; p may lie past the end of a text that an expansion shortened.
// The closing quote of a call's argument; one that would also be its opening quote leaves a
// negative length, which the old runtime refused.
int FinArgument(const QString& texte, int p, const QString& motif) {
  const int k = InStr(p, texte, motif);
  if (k > 0 && k < p + 2) throw ErreurExecution(QStringLiteral("invalid procedure call"));
  return k;
}

int ParentheseAvant(const QString& texte, int p) {
  const int depart = std::min(p - 1, static_cast<int>(texte.size()));
  return depart >= 1 ? InStrRev(texte, QStringLiteral("("), depart) : 0;
}

}  // namespace

QString FonctionsChaine(const QString& texte) {
  QString w = texte;
  int p = InStrRev(w, QStringLiteral("("));
  while (p >= 5) {
    const QString u = UCase(w);
    const QString nom = Mid(u, p - 4, 3);
    const QString drapeau = Mid(u, p - 1, 1);
    const bool cite = Mid(w, p + 1, 1) == Guillemet;
    const int debut = p - 4;

    if (nom == u"LEF" || nom == u"RIG") {
      const bool gauche = nom == u"LEF";
      const bool variable = drapeau == (gauche ? QStringLiteral("L") : QStringLiteral("R"));
      const int ferme = cite && (EstChiffre(drapeau) || variable) ? FinArgument(w, p, FinAppel) : 0;
      if (ferme > 0) {
        int compte;
        if (variable) {
          compte = CompteVariable(gauche ? QStringLiteral("%Lef") : QStringLiteral("%Rig"));
        } else {
          compte = drapeau == u"0" ? 10 : drapeau.toInt();
        }
        const QString argument = Mid(w, p + 2, ferme - p - 2);
        const int n = std::min(compte, static_cast<int>(argument.size()));
        Remplace(w, debut, ferme + 1, gauche ? Left(argument, n) : Right(argument, n));
        p = InStrRev(w, QStringLiteral("("));
        continue;
      }
    } else if (nom == u"UCA" && drapeau == u"S") {
      const int ferme = cite ? FinArgument(w, p, FinAppel) : 0;
      if (ferme > 0) {
        Remplace(w, debut, ferme + 1, UCase(Mid(w, p + 2, ferme - p - 2)));
        p = ParentheseAvant(w, p);
        continue;
      }
    } else if (nom == u"REP" && drapeau == u"L" && cite) {
      const QString virgule = QStringLiteral("\",\"");
      const int v1 = FinArgument(w, p, virgule);
      const int v2 = v1 > 0 ? InStr(v1 + 3, w, virgule) : 0;
      const int ferme = v2 > 0 ? InStr(v2 + 3, w, FinAppel) : 0;
      if (ferme > 0) {
        const QString source = Mid(w, p + 2, v1 - p - 2);
        const QString cherche = Mid(w, v1 + 3, v2 - v1 - 3);
        const QString par = Mid(w, v2 + 3, ferme - v2 - 3);
        Remplace(w, debut, ferme + 1, Replace(source, cherche, par));
        p = ParentheseAvant(w, p);
        continue;
      }
    }
    p = ParentheseAvant(w, p);
  }
  return w;
}
