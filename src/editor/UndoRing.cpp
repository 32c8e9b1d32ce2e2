#include "editor/UndoRing.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

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

AnneauAnnulation::AnneauAnnulation(EditeurProgramme& editeur) : editeur_(editeur) {
  suivi_ = QObject::connect(
      editeur_.document(), &QTextDocument::contentsChange,
      [this](int position, int retires, int ajoutes) { SuitChangement(position, retires, ajoutes); });
  Reinitialise();
}

AnneauAnnulation::~AnneauAnnulation() { QObject::disconnect(suivi_); }

void AnneauAnnulation::SuitChangement(int position, int retires, int ajoutes) {
  if (!sale_) {
    sale_ = true;
    debutSale_ = position;
    finReel_ = position + ajoutes;
    finOmbre_ = position + retires;
    return;
  }
  // The part of the change beyond what had changed before is the same in the shadow.
  finOmbre_ += std::max(0, position + retires - finReel_);
  finReel_ = std::max(finReel_, position + retires) + ajoutes - retires;
  debutSale_ = std::min(debutSale_, position);
}

void AnneauAnnulation::SynchroniseOmbre() {
  QTextDocument* reel = editeur_.document();
  if (ombre_ && !sale_) return;
  const int longueurReel = reel->characterCount();
  const int longueurOmbre = ombre_ ? ombre_->characterCount() : 0;
  // The whole text when the changes cannot be told apart from the rest.
  const bool entier = !ombre_ || debutSale_ < 0 || debutSale_ > finReel_ || debutSale_ > finOmbre_ ||
                      finReel_ >= longueurReel || finOmbre_ >= longueurOmbre ||
                      longueurReel - finReel_ != longueurOmbre - finOmbre_;
  sale_ = false;
  if (entier) {
    ombre_.reset(reel->clone());
    return;
  }
  // Whole lines, from the first changed one to the last (its line end is not copied).
  const int debut = reel->findBlock(debutSale_).position();
  const QTextBlock dernierReel = reel->findBlock(finReel_);
  const int finReel = dernierReel.position() + dernierReel.length() - 1;
  const QTextBlock dernierOmbre = ombre_->findBlock(finOmbre_);
  const int finOmbre = dernierOmbre.position() + dernierOmbre.length() - 1;
  QTextCursor source(reel);
  source.setPosition(debut);
  source.setPosition(finReel, QTextCursor::KeepAnchor);
  QTextCursor cible(ombre_.get());
  cible.setPosition(debut);
  cible.setPosition(finOmbre, QTextCursor::KeepAnchor);
  cible.removeSelectedText();
  cible.insertFragment(source.selection());
}

void AnneauAnnulation::Fige() {
  if (enAttente_ < 0) return;
  QTextCursor tout(ombre_.get());
  tout.select(QTextCursor::Document);
  etats_[static_cast<size_t>(enAttente_)].texte = tout.selection();
  enAttente_ = -1;
}

void AnneauAnnulation::RegleDefaire(bool actif) {
  defaireActif_ = actif;
  if (ActiveDefaire) ActiveDefaire(actif);
}

void AnneauAnnulation::RegleRefaire(bool actif) {
  refaireActif_ = actif;
  if (ActiveRefaire) ActiveRefaire(actif);
}

void AnneauAnnulation::Reinitialise() {
  enAttente_ = -1;
  indexAnnul_ = 1;
  nbAnnul_ = 1;
  nbRefaire_ = 0;
  RegleDefaire(false);
  RegleRefaire(false);
  SauveAnnuler();
}

void AnneauAnnulation::SauveAnnuler() {
  if (enAttente_ != indexAnnul_) Fige();
  SynchroniseOmbre();
  enAttente_ = indexAnnul_;
  Etat& etat = etats_[static_cast<size_t>(indexAnnul_)];
  etat.selStart = editeur_.Modele().SelStart();
  etat.selLong = editeur_.Modele().SelLength();
}

void AnneauAnnulation::NouvelEmplacement() {
  Fige();
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
  Fige();
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
  Fige();
  ++nbAnnul_;
  RegleDefaire(true);
  --nbRefaire_;
  if (nbRefaire_ == 0) RegleRefaire(false);
  indexAnnul_ = (indexAnnul_ + 1) % NbEmplacements;
  Restaure(indexAnnul_);
  editeur_.DerniereTouche = ToucheY;
  editeur_.DernierShift = BitCtrl;
}
