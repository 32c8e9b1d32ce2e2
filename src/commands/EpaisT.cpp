#include <QString>
#include <algorithm>

#include "commands/Commands.h"
#include "drawing/DrawState.h"
#include "drawing/Pen.h"
#include "platform/EditorText.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

// Completes the statement in the editor with the level's pen width: pixels, then the same width
// in millimetres as a comment. Only the editor's own program (level 1) is rewritten: a command
// file's positions do not belong to the editor's text.
void EcritLargeur(int niveau) {
  if (niveau != 1) return;
  NiveauProg& nv = Niveau(niveau);
  const int longueurLigne = nv.FinInstr - nv.DebutInstr;
  const QString ligne = Mid(nv.Texte, nv.DebutInstr, std::max(0, longueurLigne));
  const int posEgal = InStr(ligne, QStringLiteral("="));

  const float largeur = nv.FacteurEpaisT;
  QString valeur = FormatPoint(largeur, QStringLiteral(" ###")) + QStringLiteral("  ' ") +
                   FormatPoint(largeur * MmParPixel(), QStringLiteral("###.##")) + QStringLiteral("mm");

  int debut = 0, longueur = 0;
  if (posEgal > 0) {
    debut = nv.DebutInstr - 1 + posEgal;
    longueur = std::max(0, longueurLigne - posEgal);
  } else {
    // No "=": the value goes right after the keyword with its "=", before a comment that may follow.
    int apres = 0;
    while (apres < ligne.size() && (ligne[apres] == u' ' || ligne[apres] == u'\t')) ++apres;
    while (apres < ligne.size() && ligne[apres] != u' ' && ligne[apres] != u'\t' && ligne[apres] != u'\r')
      ++apres;
    debut = nv.DebutInstr - 1 + apres;
    valeur = QStringLiteral(" =") + valeur;
  }
  // Unlike the other rewrites, this one marks the program modified, as an edit does.
  RecritInstruction(niveau, debut, longueur, valeur, Recriture::CommeEdition);
  HoteCourant()->Editeur()->SetSelStart(nv.FinInstr - 1);
}

}  // namespace

void CmdEpaisT(int niveau) {
  if (Trim(Lecture.ParamLigne).isEmpty()) {
    EcritLargeur(niveau);
    return;
  }
  NiveauProg& nv = Niveau(niveau);
  const QString style = ParamN(Lecture.ParamLigne, 1);
  // An unreadable width is a run error that says why, as in every command's own style field.
  const float largeur = LitEpaisT(style, niveau);
  if (largeur != 0) {
    nv.FacteurEpaisT = largeur;
    Plume.EpaisseurTrait = MaxEntier(largeur, 1.0f);
  }
  if (nv.FacteurEpaisT < 1) nv.FacteurEpaisT = Plume.EpaisseurTrait;
  Sortie->DrawWidth = static_cast<int>(ArrondiPair(Plume.EpaisseurTrait));
}
