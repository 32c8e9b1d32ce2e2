#include "editor/Keywords.h"

#include <QHash>
#include <algorithm>

#include "interpreter/KeywordTable.h"
#include "platform/Host.h"
#include "platform/Legacy.h"

using namespace legacy;

namespace {

// Each written form and each older word, in upper case, to the form the editor writes.
const QHash<QString, QString>& TableEcrits() {
  static const QHash<QString, QString> table = [] {
    QHash<QString, QString> t;
    for (const MotCle& mot : MotsCles()) {
      if (!mot.Editeur) continue;
      const QString ecrit = QString::fromLatin1(mot.Ecrit);
      t.insert(UCase(ecrit), ecrit);
      if (mot.Ancien) t.insert(QString::fromLatin1(mot.Ancien), ecrit);
    }
    return t;
  }();
  return table;
}

}  // namespace

const QStringList& MotsClesCanoniques() {
  static const QStringList mots = [] {
    QStringList l;
    for (const MotCle& mot : MotsCles()) {
      if (mot.Editeur) l.append(QString::fromLatin1(mot.Ecrit));
    }
    return l;
  }();
  return mots;
}

bool NormaliseMotCle(QString& mot) {
  const QString cle = UCase(Trim(mot));
  const auto trouve = TableEcrits().constFind(cle);
  if (trouve != TableEcrits().constEnd()) {
    mot = trouve.value();
    return true;
  }
  if (cle.startsWith(QLatin1Char('%')) || cle.endsWith(QLatin1Char(':'))) return true;
  const int nb = std::min<int>(static_cast<int>(Shell.CmdExternes.size()), 60);
  for (int i = 0; i < nb; ++i) {
    if (UCase(Shell.CmdExternes[i]) == cle) {
      mot = Shell.CmdExternes[i];
      return true;
    }
  }
  return false;
}
