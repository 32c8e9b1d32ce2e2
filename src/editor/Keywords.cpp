#include "editor/Keywords.h"

#include <QHash>
#include <algorithm>

#include "platform/Host.h"
#include "platform/Legacy.h"

using namespace legacy;

namespace {

const QHash<QString, QString>& TableMotsCles() {
  static const QHash<QString, QString> table = [] {
    QHash<QString, QString> t;
    for (const QString& mot : MotsClesCanoniques()) t.insert(UCase(mot), mot);
    t.insert(QStringLiteral("SI"), QStringLiteral("If"));
    t.insert(QStringLiteral("SIT"), QStringLiteral("IfT"));
    t.insert(QStringLiteral("SINON"), QStringLiteral("Else"));
    t.insert(QStringLiteral("ROTANG"), QStringLiteral("AngRot"));
    return t;
  }();
  return table;
}

}  // namespace

const QStringList& MotsClesCanoniques() {
  static const QStringList mots = {
      "Arc",      "Bezier",   "BezierP",   "Bezier_aGr", "Cadre",     "CadreP",     "CadreA",   "CadreAP",
      "CentreE",  "CentreI",  "CentreEI",  "Cercle",     "CercleI",   "CercleP",    "CerclePI", "Chain",
      "Couleur",  "CT",       "Decal",     "DemiLune",   "DemiLuneP", "Droite",     "DroiteV",  "EpaisT",
      "Exposant", "Fichier",  "Fleche",    "FlecheP",    "FormatI",   "Goto",       "Grad",     "Grad1",
      "Image",    "Input",    "Inversion", "If",         "ElseIf",    "IfT",        "ElseIfT",  "EndIf",
      "Else",     "ListeVar", "LVar",      "NPage",      "Open",      "OpenA",      "PalCoul",  "PalCoul2",
      "PalCoul3", "Percer",   "PercerX",   "Plot",       "PlotP",     "PlotS",      "Plus",     "PrintA",
      "+",        "Police",   "Poly",      "PolyP",      "PolyR",     "PolyRP",     "QA",       "QA1",
      "QA2",      "QA12",     "RefCur",    "Sect",       "SectP",     "Separateur", "Stop",     "!",
      "TailleP",  "Texte",    "TexteC",    "Trait",      "Val",       "ValR",       "ValD",     "Val1",
      "Val1R",    "Val1D",    "Voyant",    "X",          "ZoomIni",   "ZoomIniI",   "AngRot",   "Cote",
      "?"};
  return mots;
}

bool NormaliseMotCle(QString& mot) {
  const QString cle = UCase(Trim(mot));
  const auto trouve = TableMotsCles().constFind(cle);
  if (trouve != TableMotsCles().constEnd()) {
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
