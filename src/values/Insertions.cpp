#include "values/Insertions.h"

#include "interpreter/RunState.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Substitution.h"

namespace {

// Until the text functions are available, a value that is no number is kept as text.
QString ValeurEvaluee(const QString& texte) {
  QString essai = texte;
  const QString detail = DetailErreur;
  try {
    const std::optional<double> v = Calcule(essai);
    return v ? TexteNombre(*v) : Trim(texte);
  } catch (const ErreurExecution&) {
    DetailErreur = detail;
    return Trim(texte);
  }
}

}  // namespace

QString ValeurAffectation(QString& texte) {
  if (OperateurAffect == QStringLiteral("=")) {
    if (SubstitueVariables(texte)) {
      const QString u = UCase(texte);
      // Quoted arguments of these text functions may hold a "%" that names nothing.
      if (InStr(u, QStringLiteral("LEN(\"")) == 0 && InStr(u, QStringLiteral("INS(\"")) == 0) {
        DetailErreur = texte + TexteNonInitialise();
        throw ErreurExecution();
      }
    }
    return ValeurEvaluee(texte);
  }
  if (OperateurAffect == QStringLiteral("<")) return texte;
  return Trim(texte);
}

QString EvalueDieses(const QString& texte) { return texte; }

QString FonctionsTxtArr(const QString& texte) { return texte; }

QString AvantSousSep(const QString& texte) {
  const int k = InStr(texte, SepSousParam);
  return k > 0 ? Left(texte, k - 1) : texte;
}
