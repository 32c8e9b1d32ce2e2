#include "editor/ContextHelp.h"

#include <QHash>
#include <algorithm>
#include <vector>

#include "editor/EditorHost.h"
#include "platform/EditorText.h"
#include "platform/Legacy.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

const QHash<QString, int>& TableSujets() {
  static const QHash<QString, int> table = [] {
    const std::pair<int, std::vector<const char*>> groupes[] = {
        {2100, {"CT", "CENTREE", "CENTREI", "CENTREEI"}},
        {2200, {"TRAIT", "CERCLE", "CERCLEI", "CERCLEP", "CERCLEPI", "PLUS", "+", "X"}},
        {2300,
         {"PERCER", "PERCERX", "CADRE", "CADREP", "CADREA", "CADREAP", "POLY", "POLYP", "POLYR", "POLYRP",
          "FLECHE", "FLECHEP", "VOYANT", "DEMILUNE", "DEMILUNEP"}},
        {2400, {"TEXTE", "TEXTEC"}},
        {2500,
         {"EPAIST", "COULEUR", "TAILLEP", "POLICE", "SEPARATEUR", "ZOOMINI", "ZOOMINII", "REFCUR", "ANGROT"}},
        {2600, {"FORMATI", "NPAGE"}},
        {2700,
         {"DECAL", "ARC", "DROITE", "DROITEV", "GRAD", "GRAD1", "VAL", "VALD", "VALR", "VAL1", "VAL1D",
          "VAL1R", "SECT", "SECTP", "INVERSION", "EXPOSANT", "BEZIER_AGR"}},
        {2800, {"PLOT", "PLOTS", "PLOTP", "OPEN", "LVAR"}},
        {2900, {"IF", "IFT", "GOTO", "STOP", "!", "INPUT"}},
        {3000, {"?", "LISTEVAR"}},
        {3100, {"IMAGE", "PALCOUL", "PALCOUL2", "PALCOUL3", "QA", "QA1", "QA2", "QA12", "CHAIN", "COTE"}},
        {3200, {"FICHIER"}},
    };
    QHash<QString, int> t;
    for (const auto& [sujet, cles] : groupes) {
      for (const char* cle : cles) t.insert(QString::fromLatin1(cle), sujet);
    }
    return t;
  }();
  return table;
}

}  // namespace

QString MotCurseur(const EditeurTexte& editeur) {
  if (editeur.SelLength() > 0) return editeur.SelText();
  const QString texte = editeur.Text();
  const int longueur = static_cast<int>(texte.size());
  const QString delimiteurs[] = {QStringLiteral(" "), QStringLiteral("'"), SepParam, QStringLiteral("=")};

  const int caret = editeur.SelStart();
  int p = caret == 0 ? 1 : caret;
  const int fin = InStrRev(texte, kCrLf, p);
  int s = fin > 0 ? fin + 2 : 1;
  for (const QString& d : delimiteurs) {
    if (d.isEmpty()) continue;
    const int k = InStrRev(texte, d, p);
    if (k > 0) s = std::max(s, k + static_cast<int>(d.size()));
  }

  if (p < longueur) ++p;
  int e = InStr(p, texte, kCrLf);
  if (e == 0) e = longueur + 1;
  for (const QString& d : delimiteurs) {
    if (d.isEmpty()) continue;
    const int k = InStr(p, texte, d);
    if (k > 0) e = std::min(e, k);
  }

  if (e - s < 1) {
    const QString suivant = Mid(texte, caret + 1, 1);
    return suivant == QStringLiteral("\r") ? QStringLiteral(" ") : suivant;
  }
  return Mid(texte, s, e - s);
}

int SujetAideMot(const QString& mot) {
  const int sujet = TableSujets().value(UCase(mot), 0);
  if (sujet > 0) return sujet;
  const QString premier = Left(mot, 1);
  if (premier == QStringLiteral("!")) return 2900;
  if (premier == QStringLiteral("%")) return 2500;
  if (UCase(Left(mot, 4)) == QStringLiteral("MCE_")) return 3200;
  return SujetResumeSyntaxes;
}

bool AideMot(const EditeurTexte& editeur, const QString& repProgramme) {
  return HoteEditeurCourant().OuvreAideMenu(repProgramme, SujetAideMot(MotCurseur(editeur)));
}
