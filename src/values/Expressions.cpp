#include "values/Expressions.h"

#include <QRegularExpression>

#include "interpreter/RunState.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"

std::optional<double> Calcule(QString& texte) {
  if (texte.isEmpty()) texte = QStringLiteral("0");
  if (Trim(texte).isEmpty()) return std::nullopt;
  const QString reduit = UCase(Replace(texte, QStringLiteral(" "), QString()));
  // Only a plain number is understood so far.
  static const QRegularExpression nombre(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([ED][+-]?\\d+)?$"));
  if (!nombre.match(reduit).hasMatch()) {
    DetailErreur =
        texte + QStringLiteral(" : expression non disponible / expression not available yet\r\n\r\n");
    throw ErreurExecution();
  }
  texte = QStringLiteral("   ") + reduit + QStringLiteral(" ");
  return Val(texte);
}
