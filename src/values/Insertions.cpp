#include "values/Insertions.h"

#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "values/Conditions.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Substitution.h"

using namespace legacy;

namespace {

const QString Diese = QStringLiteral("#");

}  // namespace

QString ValeurAffectation(QString& texte) {
  if (Lecture.OperateurAffect == u"=") {
    if (SubstitueVariables(texte)) {
      const QString u = UCase(texte);
      // Quoted arguments of these text functions may hold a "%" that names nothing.
      if (InStr(u, QStringLiteral("LEN(\"")) == 0 && InStr(u, QStringLiteral("INS(\"")) == 0) {
        ErreurNonInitialisee(texte);
      }
    }
    QString calcul = texte;
    return TexteNombre(EvalueFonctionsTexte(calcul).value_or(0.0));
  }
  if (Lecture.OperateurAffect == u"<") return texte;
  return Trim(texte);
}

QString EvalueDieses(const QString& texte) {
  QString s = texte;
  int p = InStr(s, Diese);
  while (p > 0) {
    if (Mid(s, p + 1, 1) == Diese) {
      s.remove(p, 1);
      p = InStr(p + 1, s, Diese);
      continue;
    }
    int q = InStr(p + 1, s, Diese);
    // The "#" of a "%IRE$#0" marker does not close the expression.
    if (q > 4 && Mid(s, q - 4, 4) == u"IRE$") q = InStr(q + 1, s, Diese);
    if (q == 0) {
      p = InStr(p + 2, s, Diese);
      continue;
    }
    QString expression = Mid(s, p + 1, q - p - 1);
    SubstitueVariables(expression);
    const std::optional<double> v = Calcule(expression);
    const QString valeur = v ? Trim(TexteNombreLocal(*v)) : QString();
    s = Left(s, p - 1) + valeur + Mid(s, q + 1);
    p = InStr(p + static_cast<int>(valeur.size()), s, Diese);
  }
  return s;
}

QString FonctionsTxtArr(const QString& texte) {
  // Both functions open with "(": a text without one is returned as it is, which every PRINTA
  // line of a long loop would otherwise pay for.
  if (!texte.contains(QLatin1Char('('))) return texte;
  QString s = texte;
  const QString separateur = SeparateurDecimal();

  int p = InStr(UCase(s), QStringLiteral("TXT("));
  while (p > 0) {
    int q = InStr(p + 4, s, QStringLiteral(")"));
    if (q == 0) throw ErreurExecution(QStringLiteral("invalid procedure call"));
    int o = InStr(p + 4, s, QStringLiteral("("));
    while (o > 0 && o < q) {
      const int suivante = InStr(q + 1, s, QStringLiteral(")"));
      if (suivante > 0) q = suivante;
      o = InStr(o + 1, s, QStringLiteral("("));
    }
    const QString interieur = Replace(Trim(Mid(s, p + 4, q - p - 4)), QStringLiteral("."), separateur);
    s = Left(s, p - 1) + interieur + Mid(s, q + 1);
    p = InStr(UCase(s), QStringLiteral("TXT("));
  }

  p = InStr(UCase(s), QStringLiteral("ARR"));
  while (p > 0) {
    const QString chiffre = Mid(s, p + 3, 1);
    if (Mid(s, p + 4, 1) == u"(" && chiffre.size() == 1 && chiffre[0] >= u'0' && chiffre[0] <= u'9') {
      const int q = InStr(p, s, QStringLiteral(")"));
      if (q > 0) {
        // Every decimal separator a #…# or TXT( result may hold reads back as the point.
        const double x = Val(PointDecimal(Mid(s, p + 5, q - p - 5)));
        const int decimales = chiffre[0].unicode() - u'0';
        const QString motif =
            decimales == 0 ? QStringLiteral("0") : QStringLiteral("0.") + QString(decimales, u'0');
        s = Left(s, p - 1) + Format(x, motif) + Mid(s, q + 1);
      }
    }
    p = InStr(p + 1, UCase(s), QStringLiteral("ARR"));
  }
  return s;
}

QString AvantSousSep(const QString& texte) {
  const int k = InStr(texte, Lecture.SepSousParam);
  return k > 0 ? Left(texte, k - 1) : texte;
}
