#include "editor/UndoRing.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cstddef>

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
    finLu_ = position + retires;
    return;
  }
  // The part of the change beyond what had changed before is the same in the text as read.
  finLu_ += std::max(0, position + retires - finReel_);
  finReel_ = std::max(finReel_, position + retires) + ajoutes - retires;
  debutSale_ = std::min(debutSale_, position);
}

bool AnneauAnnulation::Ligne::operator==(const Ligne& autre) const {
  return texte == autre.texte && morceaux == autre.morceaux && formatBloc == autre.formatBloc &&
         formatCaracteres == autre.formatCaracteres;
}

std::shared_ptr<const AnneauAnnulation::Ligne> AnneauAnnulation::LigneDe(const QTextBlock& bloc) {
  auto ligne = std::make_shared<Ligne>();
  ligne->texte = bloc.text();
  for (auto it = bloc.begin(); !it.atEnd(); ++it) {
    const QTextFragment morceau = it.fragment();
    if (morceau.isValid()) ligne->morceaux.emplace_back(morceau.length(), morceau.charFormat());
  }
  ligne->formatBloc = bloc.blockFormat();
  ligne->formatCaracteres = bloc.charFormat();
  return ligne;
}

void AnneauAnnulation::SynchroniseLignes() {
  if (lignesLues_ && !sale_) return;
  const QTextDocument* reel = editeur_.document();
  const int longueur = reel->characterCount();
  const int nbLues = static_cast<int>(lignes_.size());
  int premiere = 0, derniere = -1, derniereLue = -1;
  // The whole text when the changes cannot be told apart from the rest.
  bool entier = !lignesLues_ || debutSale_ < 0 || debutSale_ > finReel_ || debutSale_ > finLu_ ||
                finReel_ >= longueur || finLu_ >= longueurLue_ ||
                longueur - finReel_ != longueurLue_ - finLu_;
  if (!entier) {
    // The lines before the first change and after the last one are the same in both texts.
    premiere = reel->findBlock(debutSale_).blockNumber();
    derniere = reel->findBlock(finReel_).blockNumber();
    const int apres = reel->blockCount() - 1 - derniere;
    derniereLue = nbLues - 1 - apres;
    // The line after too: the format of a line break may be the next line's.
    if (apres > 0) {
      ++derniere;
      ++derniereLue;
    }
    entier = premiere < 0 || premiere > derniere || premiere > derniereLue || derniereLue >= nbLues;
  }
  if (entier) {
    premiere = 0;
    derniere = reel->blockCount() - 1;
    derniereLue = nbLues - 1;
  }
  sale_ = false;
  lignesLues_ = true;
  longueurLue_ = longueur;
  Lignes nouvelles;
  nouvelles.reserve(static_cast<size_t>(derniere - premiere + 1));
  for (QTextBlock bloc = reel->findBlockByNumber(premiere); bloc.isValid() && bloc.blockNumber() <= derniere;
       bloc = bloc.next())
    nouvelles.push_back(LigneDe(bloc));
  // A line read again unchanged stays the one the states share, from either end of the change.
  const size_t nbAnciennes = static_cast<size_t>(derniereLue - premiere + 1);
  size_t debut = 0;
  for (; debut < nouvelles.size() && debut < nbAnciennes; ++debut) {
    const auto& ancienne = lignes_[static_cast<size_t>(premiere) + debut];
    if (!(*ancienne == *nouvelles[debut])) break;
    nouvelles[debut] = ancienne;
  }
  for (size_t fin = 1; fin + debut <= nouvelles.size() && fin + debut <= nbAnciennes; ++fin) {
    const auto& ancienne = lignes_[static_cast<size_t>(derniereLue) + 1 - fin];
    auto& nouvelle = nouvelles[nouvelles.size() - fin];
    if (!(*ancienne == *nouvelle)) break;
    nouvelle = ancienne;
  }
  const auto debutRemplace = lignes_.begin() + premiere;
  lignes_.erase(debutRemplace, debutRemplace + static_cast<std::ptrdiff_t>(nbAnciennes));
  lignes_.insert(lignes_.begin() + premiere, nouvelles.begin(), nouvelles.end());
}

void AnneauAnnulation::Fige() {
  if (enAttente_ < 0) return;
  etats_[static_cast<size_t>(enAttente_)].lignes = lignes_;
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
  // The states of the text before go with it.
  for (Etat& etat : etats_) etat.lignes.clear();
  indexAnnul_ = 1;
  nbAnnul_ = 1;
  nbRefaire_ = 0;
  RegleDefaire(false);
  RegleRefaire(false);
  SauveAnnuler();
}

void AnneauAnnulation::SauveAnnuler() {
  if (enAttente_ != indexAnnul_) Fige();
  SynchroniseLignes();
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

// Only the lines that differ from the state are written again: the states share the others.
void AnneauAnnulation::Restaure(int index) {
  const Etat& etat = etats_[static_cast<size_t>(index)];
  // A slot never saved since the text was loaded (the counts keep Undo and Redo from it).
  if (etat.lignes.empty()) return;
  EditeurTexte& modele = editeur_.Modele();
  SynchroniseLignes();
  const Lignes& cible = etat.lignes;
  const size_t nbReel = lignes_.size();
  const size_t nbCible = cible.size();
  size_t avant = 0;
  while (avant < nbReel && avant < nbCible && lignes_[avant] == cible[avant]) ++avant;
  size_t apres = 0;
  while (apres + avant < nbReel && apres + avant < nbCible &&
         lignes_[nbReel - 1 - apres] == cible[nbCible - 1 - apres])
    ++apres;
  modele.SuiviModif = false;
  if (avant + apres < nbReel || nbReel != nbCible) {
    // Lines are replaced by lines: at least one on each side.
    if (avant + apres == nbReel || avant + apres == nbCible) {
      if (apres > 0)
        --apres;
      else
        --avant;
    }
    QTextDocument* document = editeur_.document();
    const QTextBlock premier = document->findBlockByNumber(static_cast<int>(avant));
    const QTextBlock dernier = document->findBlockByNumber(static_cast<int>(nbReel - 1 - apres));
    QTextCursor curseur(document);
    curseur.beginEditBlock();
    curseur.setPosition(premier.position());
    curseur.setPosition(dernier.position() + dernier.length() - 1, QTextCursor::KeepAnchor);
    curseur.removeSelectedText();
    for (size_t i = avant; i < nbCible - apres; ++i) {
      const Ligne& ligne = *cible[i];
      if (i == avant) {
        curseur.setBlockFormat(ligne.formatBloc);
        curseur.setBlockCharFormat(ligne.formatCaracteres);
      } else {
        curseur.insertBlock(ligne.formatBloc, ligne.formatCaracteres);
      }
      int position = 0;
      for (const auto& [longueur, format] : ligne.morceaux) {
        curseur.insertText(ligne.texte.mid(position, longueur), format);
        position += longueur;
      }
    }
    // The last line's own formats, whichever line break holds them.
    const Ligne& derniere = *cible[nbCible - 1 - apres];
    if (curseur.block().charFormat() != derniere.formatCaracteres)
      curseur.setBlockCharFormat(derniere.formatCaracteres);
    curseur.endEditBlock();
  }
  lignes_ = cible;
  sale_ = false;
  longueurLue_ = editeur_.document()->characterCount();
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
