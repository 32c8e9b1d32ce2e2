// Feeds arbitrary bytes to the expression evaluator, the conditions and the substitution of a
// level holding a few variables. Every input must return or raise a run error.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzApplication.h"
#include "interpreter/RunState.h"
#include "platform/RunError.h"
#include "values/Conditions.h"
#include "values/Expressions.h"
#include "values/Insertions.h"
#include "values/Levels.h"
#include "values/Substitution.h"
#include "values/Variables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
  AssureApplicationFuzz();
  RazEtatRun();
  NiveauCourant = 1;
  int niveau = 1;
  QString a = QStringLiteral("%A"), b = QStringLiteral("%B"), l = QStringLiteral("%L");
  StockeTexteVariable(niveau, a, QStringLiteral("12.5"));
  StockeTexteVariable(niveau, b, QStringLiteral("%A"));
  StockeTexteVariable(niveau, l, QStringLiteral("1,2,3"));
  const QString entree = QString::fromUtf8(reinterpret_cast<const char*>(donnees), static_cast<qsizetype>(taille));
  try {
    QString t = entree;
    Calcule(t);
  } catch (const ErreurExecution&) {
  }
  try {
    QString t = entree;
    SubstitueVariables(t);
  } catch (const ErreurExecution&) {
  }
  try {
    EvalueDieses(entree);
  } catch (const ErreurExecution&) {
  }
  try {
    QString t = entree;
    EvalueFonctionsTexte(t);
  } catch (const ErreurExecution&) {
  }
  return 0;
}
