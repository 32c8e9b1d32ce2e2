#include "interpreter/Labels.h"

#include "platform/Events.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "values/Levels.h"

using namespace legacy;

void ReleveEtiquettes(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  const QString& texte = nv.Texte;
  const int longueur = texte.size();
  auto& table = Etiquettes[static_cast<size_t>(niveau)];
  auto& index = IndexEtiquettes[static_cast<size_t>(niveau)];
  table.clear();
  index.clear();
  ++VersionEtiquettes[static_cast<size_t>(niveau)];
  int tours = 0;
  int pos = 1;
  while (pos <= longueur) {
    // A stop asked during the pass ends it: the run ends before its first statement.
    if (ArretPendantParcours(tours)) return;
    const int debut = pos;
    int fin = InStr(pos, texte, QStringLiteral("\r\n"));
    if (fin == 0) fin = longueur + 1;
    QString ligne = Mid(texte, debut, fin - debut);
    // The continuation mark stays in the text; only the positions matter here.
    while (!ligne.isEmpty() && ligne.endsWith(QStringLiteral(" _")) && fin + 2 <= longueur) {
      if (ArretPendantParcours(tours)) return;
      int suite = InStr(fin + 2, texte, QStringLiteral("\r\n"));
      if (suite == 0) suite = longueur + 1;
      ligne += Mid(texte, fin + 2, suite - fin - 2);
      fin = suite;
    }
    pos = fin + 2;
    if (ligne.isEmpty() || ligne.startsWith(QLatin1Char('\''))) continue;
    ligne.replace(QLatin1Char('\t'), QLatin1Char(' '));
    ligne = Trim(ligne);
    if (ligne.contains(QLatin1Char('='))) continue;
    const int deuxPoints = InStr(ligne, QStringLiteral(":"));
    if (deuxPoints == 0) continue;
    const int apostrophe = InStr(ligne, QStringLiteral("'"));
    if (apostrophe > 0 && deuxPoints >= apostrophe) continue;
    const int blanc = InStr(ligne, QStringLiteral(" "));
    if (blanc > 0 && deuxPoints > blanc) continue;
    const QString nom = LTrim(UCase(Left(ligne, deuxPoints - 1)));
    if (index.contains(nom)) {
      // The second line of that name is the one marked in the editor.
      nv.DebutInstr = debut;
      nv.FinInstr = fin;
      nv.Ligne = ligne;
      ErreurRunCitant(
          Trim(Left(ligne, deuxPoints - 1)),
          QStringLiteral(" : ") + TexteMsg(TexteRaison::HorsDePlace) + QStringLiteral("\r\n\r\n"));
    }
    index.insert(nom, static_cast<int32_t>(table.size()));
    table.push_back(Etiquette{nom, debut});
  }
}

int32_t ChercheEtiquette(const QString& nom, int niveau) {
  // Names are unique within a level; positions move when a line is rewritten, so the index keeps
  // the entry's place in the table, not its position.
  const auto& table = Etiquettes[static_cast<size_t>(niveau)];
  const auto& index = IndexEtiquettes[static_cast<size_t>(niveau)];
  const auto it = index.constFind(nom);
  if (it == index.constEnd() || *it >= static_cast<int32_t>(table.size())) return 0;
  return table[static_cast<size_t>(*it)].Position;
}

void EmpileIf(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  if (nv.ProfIf >= nv.MaxIf) {
    ErreurRun(QStringLiteral("If : %1 niveaux imbriqués au plus / at most %1 nested levels / höchstens %1 "
                             "verschachtelte Ebenen\r\n\r\n")
                  .arg(nv.MaxIf));
  }
  ++nv.ProfIf;
}

void EffaceEtatIf(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  nv.ProfIf = 0;
  nv.IfSaute.fill(false);
  nv.IfFait.fill(false);
  nv.IfOuvert.fill(false);
}
