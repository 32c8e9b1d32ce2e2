#include "values/Substitution.h"

#include "interpreter/RunState.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "values/Variables.h"

namespace {

constexpr int LongueurMaxLigne = 4096;

bool FinDeNom(QChar c) {
  static const QString fins = QStringLiteral(" =°+-*/^()<>\"#'");
  return fins.contains(c);
}

// Position of the first character after the name that starts at the "%" at p.
int FinNom(const QString& texte, int p) {
  int e = p + 1;
  while (e <= texte.size()) {
    const QChar c = texte[e - 1];
    if (FinDeNom(c)) break;
    if (!SepParam.isEmpty() && Mid(texte, e, SepParam.size()) == SepParam) break;
    if (!SepSousParam.isEmpty() && Mid(texte, e, SepSousParam.size()) == SepSousParam) break;
    ++e;
  }
  return e;
}

}  // namespace

bool SubstitueVariables(QString& texte) {
  int depart = 1;
  int p = InStr(depart, texte, QStringLiteral("%"));
  while (p > 0) {
    const int e = FinNom(texte, p);
    const int slot = IndiceVariable(Mid(texte, p, e - p), NiveauCourant);
    if (slot == 0) return true;
    const QString& valeur = Niveau(NiveauCourant).ValeursVar[slot];
    texte = Left(texte, p - 1) + valeur + Mid(texte, e);
    if (texte.size() > LongueurMaxLigne) throw ErreurExecution();
    depart = p + valeur.size();
    p = InStr(depart, texte, QStringLiteral("%"));
  }
  return false;
}
