#include "interpreter/MaskFields.h"

#include <QStringList>

std::optional<MasqueDecoupe> DecoupeMasque(QString texte) {
  texte.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (texte.isEmpty() || texte == QStringLiteral(".")) return std::nullopt;
  MasqueDecoupe m;
  if (const qsizetype image = texte.indexOf(QStringLiteral("\n@I ")); image >= 0) texte.truncate(image);
  if (const qsizetype c = texte.indexOf(QStringLiteral("@C")); c >= 0) {
    const qsizetype saut = texte.indexOf(u'\n', c);
    m.commentaire = saut < 0 ? QString() : texte.mid(saut + 1).trimmed();
    texte = texte.left(c);
    while (texte.endsWith(u'\n') || texte.endsWith(u' ')) texte.chop(1);
  }
  const QStringList parties = texte.split(u';');
  m.description = parties.value(0).trimmed();
  for (qsizetype i = 1; i < parties.size(); ++i) {
    const bool dernier = i + 1 == parties.size();
    std::vector<Champ> pieces;
    for (const QString& piece : parties[i].split(u'$')) {
      const QString t = piece.trimmed();
      // As the dialog shows it: "[" opens an optional label, which ends with "]" or a line break.
      const bool facultatif = t.startsWith(u'[') && (dernier || t.endsWith(u']') || t.contains(u'\n'));
      pieces.push_back({t, facultatif});
    }
    m.champs.push_back(std::move(pieces));
  }
  return m;
}
