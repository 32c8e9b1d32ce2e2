#include "editor/UndoRing.h"

#include <QTextCursor>
#include <QTextDocument>

#include "editor/ProgramEditor.h"

namespace {

constexpr int BitCtrl = 2;
constexpr int ToucheRetour = 8;
constexpr int ToucheEntree = 13;
constexpr int ToucheSeparateur = 108;
constexpr int ToucheSuppr = 46;
constexpr int ToucheX = 88;
constexpr int ToucheY = 89;
constexpr int ToucheZ = 90;

bool LettreSansEffet(int code) {
  return code == 'A' || code == 'C' || code == 'H' || code == 'K' || code == 'O' || code == 'S';
}

}  // namespace

AnneauAnnulation::AnneauAnnulation(EditeurProgramme& editeur) : editeur_(editeur) { Reinitialise(); }

void AnneauAnnulation::RegleDefaire(bool actif) {
  defaireActif_ = actif;
  if (ActiveDefaire) ActiveDefaire(actif);
}

void AnneauAnnulation::RegleRefaire(bool actif) {
  refaireActif_ = actif;
  if (ActiveRefaire) ActiveRefaire(actif);
}

void AnneauAnnulation::Reinitialise() {
  indexAnnul_ = 1;
  nbAnnul_ = 1;
  nbRefaire_ = 0;
  RegleDefaire(false);
  RegleRefaire(false);
  SauveAnnuler();
}

void AnneauAnnulation::SauveAnnuler() {
  QTextCursor tout(editeur_.document());
  tout.select(QTextCursor::Document);
  Etat& etat = etats_[static_cast<size_t>(indexAnnul_)];
  etat.texte = tout.selection();
  etat.selStart = editeur_.Modele().SelStart();
  etat.selLong = editeur_.Modele().SelLength();
}

void AnneauAnnulation::NouvelEmplacement() {
  indexAnnul_ = (indexAnnul_ + 1) % NbEmplacements;
  if (nbAnnul_ < NbEmplacements) ++nbAnnul_;
  nbRefaire_ = 0;
  RegleRefaire(false);
  RegleDefaire(true);
}

void AnneauAnnulation::EnregistreAnnulation(int touche, int shift) {
  if (!editeur_.AnnulationArmee) {
    editeur_.AnnulationArmee = true;
    NouvelEmplacement();
  }
  SauveAnnuler();
  editeur_.DerniereTouche = touche;
  editeur_.DernierShift = shift;
}

void AnneauAnnulation::RegleTouche(int code, int shift) {
  EditeurProgramme& ed = editeur_;
  const bool ctrl = (shift & BitCtrl) != 0;
  if (code == ToucheRetour || code == ToucheSuppr) {
    const bool suiteEffacement = ed.DerniereTouche == ToucheRetour || ed.DerniereTouche == ToucheSuppr ||
                                 (ctrl && ed.DerniereTouche == ToucheX);
    if (!suiteEffacement) NouvelEmplacement();
    SauveAnnuler();
    ed.DerniereTouche = code;
    ed.DernierShift = shift;
    ed.AnnulationArmee = false;
    nbRefaire_ = 0;
    RegleRefaire(false);
    return;
  }
  if (code == ToucheEntree || code == ToucheSeparateur) {
    if (ed.EntreeDialogue) {
      ed.EntreeDialogue = false;
      return;
    }
    if (ed.DerniereTouche != ToucheEntree && ed.DerniereTouche != ToucheSeparateur && !ed.AnnulationArmee)
      NouvelEmplacement();
    RegleDefaire(true);
    SauveAnnuler();
    ed.AnnulationArmee = false;
    ed.DerniereTouche = code;
    ed.DernierShift = shift;
    nbRefaire_ = 0;
    RegleRefaire(false);
    return;
  }
  if (ctrl && LettreSansEffet(code)) return;
  if (ctrl && code == ToucheX) {
    if (ed.Modele().Text().size() != ed.LongAvantCouper && ed.DerniereTouche != ToucheSuppr &&
        ed.DerniereTouche != ToucheRetour) {
      NouvelEmplacement();
      SauveAnnuler();
    }
    ed.DerniereTouche = ToucheX;
    ed.DernierShift = shift;
    return;
  }
  if (ctrl && (code == ToucheY || code == ToucheZ)) {
    ed.AnnulationArmee = false;
    ed.DerniereTouche = code;
    ed.DernierShift = shift;
    return;
  }
  EnregistreAnnulation(code, shift);
}

void AnneauAnnulation::Restaure(int index) {
  const Etat& etat = etats_[static_cast<size_t>(index)];
  EditeurTexte& modele = editeur_.Modele();
  modele.SuiviModif = false;
  QTextCursor tout(editeur_.document());
  tout.beginEditBlock();
  tout.select(QTextCursor::Document);
  tout.removeSelectedText();
  tout.insertFragment(etat.texte);
  tout.endEditBlock();
  modele.SetSelStart(etat.selStart);
  modele.SetSelLength(etat.selLong);
  modele.SuiviModif = true;
  editeur_.InstructionAuCurseur();
}

void AnneauAnnulation::Defaire() {
  if (!defaireActif_) return;
  if (nbAnnul_ > 0) {
    --nbAnnul_;
    if (nbAnnul_ == 1) RegleDefaire(false);
    if (nbRefaire_ < NbEmplacements) ++nbRefaire_;
    RegleRefaire(true);
    indexAnnul_ = (indexAnnul_ + NbEmplacements - 1) % NbEmplacements;
  }
  if (nbAnnul_ >= 1) Restaure(indexAnnul_);
  editeur_.DerniereTouche = ToucheZ;
  editeur_.DernierShift = BitCtrl;
}

void AnneauAnnulation::Refaire() {
  if (!refaireActif_) return;
  ++nbAnnul_;
  RegleDefaire(true);
  --nbRefaire_;
  if (nbRefaire_ == 0) RegleRefaire(false);
  indexAnnul_ = (indexAnnul_ + 1) % NbEmplacements;
  Restaure(indexAnnul_);
  editeur_.DerniereTouche = ToucheY;
  editeur_.DernierShift = BitCtrl;
}
