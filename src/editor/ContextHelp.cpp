#include "editor/ContextHelp.h"

#include <algorithm>

#include "editor/EditorHost.h"
#include "interpreter/KeywordTable.h"
#include "platform/EditorText.h"
#include "platform/Legacy.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

}  // namespace

QString MotCurseur(const EditeurTexte& editeur) {
  if (editeur.SelLength() > 0) return editeur.SelText();
  const QString texte = editeur.Text();
  const int longueur = static_cast<int>(texte.size());
  const QString delimiteurs[] = {QStringLiteral(" "), QStringLiteral("'"), Lecture.SepParam,
                                 QStringLiteral("=")};

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
  const MotCle* commande = ChercheMotCle(UCase(mot));
  if (commande && commande->Sujet > 0) return commande->Sujet;
  const QString premier = Left(mot, 1);
  if (premier == QStringLiteral("!")) return 2900;
  if (premier == QStringLiteral("%")) return 2500;
  if (UCase(Left(mot, 4)) == QStringLiteral("MCE_")) return 3200;
  return SujetResumeSyntaxes;
}

bool AideMot(const EditeurTexte& editeur, const QString& repProgramme) {
  return HoteEditeurCourant().OuvreAideMenu(repProgramme, SujetAideMot(MotCurseur(editeur)));
}
