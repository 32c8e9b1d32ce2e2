#include "platform/StringTable.h"

#include <QFile>
#include <QStringList>
#include <unordered_map>

#include "platform/Host.h"

namespace {

constexpr int kTailleBloc = 400;

struct FichierLangue {
  const char* chemin;
  int base;
};

constexpr FichierLangue kFichiers[] = {
    {":/strings/fr.txt", 0},    {":/strings/en.txt", 400},  {":/strings/de.txt", 800},
    {":/strings/es.txt", 1200}, {":/strings/ru.txt", 1600},
};

// "\n" stands for the CR LF line break of the program's texts, "\t" for a tab, "\\" for a
// backslash; any other backslash is kept as written.
QString Deseche(const QString& brut) {
  QString texte;
  texte.reserve(brut.size());
  for (qsizetype i = 0; i < brut.size(); ++i) {
    const QChar c = brut.at(i);
    if (c != u'\\' || i + 1 >= brut.size()) {
      texte.append(c);
      continue;
    }
    const QChar suivant = brut.at(i + 1);
    if (suivant == u'n') {
      texte.append(QStringLiteral("\r\n"));
    } else if (suivant == u't') {
      texte.append(u'\t');
    } else if (suivant == u'\\') {
      texte.append(u'\\');
    } else {
      texte.append(c);
      continue;
    }
    ++i;
  }
  return texte;
}

void ChargeFichier(const FichierLangue& fichier, std::unordered_map<int, QString>& table) {
  QFile f(QString::fromLatin1(fichier.chemin));
  if (!f.open(QIODevice::ReadOnly)) return;
  const QStringList lignes = QString::fromUtf8(f.readAll()).split(u'\n');
  for (QString ligne : lignes) {
    if (ligne.endsWith(u'\r')) ligne.chop(1);
    if (ligne.isEmpty() || ligne.startsWith(u'#')) continue;
    const qsizetype tab = ligne.indexOf(u'\t');
    if (tab < 0) continue;
    bool ok = false;
    const int n = ligne.left(tab).toInt(&ok);
    if (!ok || n < 0 || n >= kTailleBloc) continue;
    table.emplace(fichier.base + n, Deseche(ligne.mid(tab + 1)));
  }
}

const std::unordered_map<int, QString>& Table() {
  static const std::unordered_map<int, QString> table = [] {
    std::unordered_map<int, QString> t;
    for (const FichierLangue& fichier : kFichiers) ChargeFichier(fichier, t);
    return t;
  }();
  return table;
}

}  // namespace

QString TexteRes(int numero) {
  const auto& table = Table();
  if (auto it = table.find(numero); it != table.end()) return it->second;
  if (numero < 0) return {};
  if (auto it = table.find(numero % kTailleBloc); it != table.end()) return it->second;
  return {};
}

bool TexteResExiste(int numero) { return Table().count(numero) != 0; }

QString TexteMsg(int n) { return TexteRes(Shell.BaseLangue + n); }
