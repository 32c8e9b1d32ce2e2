#include "drawing/Points.h"

#include <cmath>

#include "drawing/DrawState.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Substitution.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;

const QString Degre = QStringLiteral("°");
const QString Relatif = QStringLiteral("R");

// Field n trimmed, upper-cased and with its variables resolved; an unknown one is a run error that
// names it.
QString ChampDuPoint(const QString& texte, int n, bool coupeSousChamp, QString* brut = nullptr) {
  QString champ = UCase(Trim(ParamN(texte, n)));
  if (brut) *brut = champ;
  if (coupeSousChamp) {
    const int p = InStr(champ, Lecture.SepSousParam);
    if (p > 0) champ = Left(champ, p - 1);
  }
  if (SubstitueVariables(champ)) ErreurNonInitialisee(champ);
  return champ;
}

double Nombre(const QString& texte, int n) { return LitParam(texte, n).value_or(0.0); }

void LitPointCommun(double& x, double& y, const QString& texte, int i, double xPrec, double yPrec,
                    bool variante) {
  const QString a = ChampDuPoint(texte, i, false);
  QString bBrut;
  const QString b = ChampDuPoint(texte, i + 1, true, &bBrut);
  if (InStr(b, Degre) > 0) ErreurChampN(texte, i + 1, TexteMsg(TexteRaison::NonAdmis));

  if (a.endsWith(Degre)) {
    if (InStr(a, Relatif) > 0) ErreurChampN(texte, i, TexteMsg(TexteRaison::NonAdmis));
    if (b.isEmpty() || Trim(b).endsWith(Relatif)) ErreurChampN(texte, i + 1, TexteMsg(TexteRaison::NonAdmis));
    const float direction = VersSingle(Nombre(texte, i));
    const float longueur = VersSingle(Nombre(texte, i + 1));
    x = xPrec + longueur * std::cos(direction * DegresEnRadians) * Plume.FacteurTraitX;
    y = yPrec + longueur * std::sin(direction * DegresEnRadians) * Plume.FacteurTraitY;
  } else {
    if (InStr(a, Degre) > 0) ErreurChampN(texte, i, TexteMsg(TexteRaison::NonAdmis));
    // Under a default rotation, "§R" on x with no sub-field on y belongs to the rotation angle.
    const bool xRelatif = variante && Rotation.AngRotDefaut != 0 && InStr(bBrut, Lecture.SepSousParam) == 0
                              ? a.endsWith(Relatif)
                              : a.endsWith(Relatif) || InStr(a, Lecture.SepSousParam + Relatif) > 0;
    x = Nombre(texte, i) * Plume.FacteurTraitX;
    if (xRelatif) x += xPrec;
    y = Nombre(texte, i + 1) * Plume.FacteurTraitY;
    if (b.endsWith(Relatif)) y += yPrec;
  }

  if (variante) {
    if (a.isEmpty()) x = xPrec;
    if (b.isEmpty()) y = yPrec;
  }
}

}  // namespace

void LitPoint(double& x, double& y, const QString& texte, int i, double xPrec, double yPrec) {
  LitPointCommun(x, y, texte, i, xPrec, yPrec, false);
}

void LitPointVar(double& x, double& y, const QString& texte, int i, double xPrec, double yPrec) {
  LitPointCommun(x, y, texte, i, xPrec, yPrec, true);
}
