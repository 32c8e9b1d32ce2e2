#include "editor/EditorModel.h"

#include <QTextCursor>
#include <algorithm>

#include "editor/ProgramEditor.h"

ModeleEditeur::ModeleEditeur(EditeurProgramme& editeur)
    : EditeurDocument(editeur.document()), editeur_(editeur) {}

bool ModeleEditeur::CurseurDeplace() const {
  const QTextCursor curseur = editeur_.textCursor();
  return curseur.anchor() != ancre_ || curseur.position() != position_;
}

// What is typed at a caret takes the colour of the character before it; over a selection, the
// colour of its first character.
uint32_t ModeleEditeur::CouleurAuCurseur() const {
  const int debut = SelStart();
  if (SelLength() > 0) return CouleurA(debut);
  if (debut > 0) return CouleurA(debut - 1);
  return LongueurTexte() > 0 ? CouleurA(0) : couleurSaisie_;
}

void ModeleEditeur::Lit() {
  if (CurseurDeplace()) couleurSaisie_ = CouleurAuCurseur();
  selStart_ = SelStart();
  selLength_ = SelLength();
  const QTextCursor curseur = editeur_.textCursor();
  ancre_ = curseur.anchor();
  position_ = curseur.position();
}

void ModeleEditeur::Applique() {
  QTextCursor curseur(document_);
  curseur.setPosition(VersDocument(selStart_));
  curseur.setPosition(VersDocument(selStart_ + selLength_), QTextCursor::KeepAnchor);
  editeur_.setTextCursor(curseur);
  ancre_ = curseur.anchor();
  position_ = curseur.position();
}

// The caret goes to the start before the change is seen, as the edit of the first line.
void ModeleEditeur::SetText(const QString& texte) {
  const bool suivi = SuiviModif;
  SuiviModif = false;
  EditeurDocument::SetText(texte);
  Applique();
  SuiviModif = suivi;
  editeur_.TexteChange();
}

int ModeleEditeur::SelStart() const { return DepuisDocument(editeur_.textCursor().selectionStart()); }

int ModeleEditeur::SelLength() const {
  const QTextCursor curseur = editeur_.textCursor();
  return DepuisDocument(curseur.selectionEnd()) - DepuisDocument(curseur.selectionStart());
}

void ModeleEditeur::SetSelStart(int pos) {
  EditeurDocument::SetSelStart(pos);
  Applique();
}

void ModeleEditeur::SetSelLength(int longueur) {
  Lit();
  EditeurDocument::SetSelLength(longueur);
  Applique();
}

QString ModeleEditeur::SelText() const {
  QString texte = editeur_.textCursor().selectedText();
  texte.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
  return texte;
}

void ModeleEditeur::SetSelText(const QString& texte) {
  Lit();
  EditeurDocument::SetSelText(texte);
  Applique();
}

// A change of colour is never an edit of the program.
void ModeleEditeur::SetSelColor(uint32_t couleur) {
  Lit();
  const bool suivi = SuiviModif;
  SuiviModif = false;
  EditeurDocument::SetSelColor(couleur);
  SuiviModif = suivi;
}

uint32_t ModeleEditeur::SelColor() const { return CurseurDeplace() ? CouleurAuCurseur() : couleurSaisie_; }

int ModeleEditeur::LigneDePosition(int pos) const {
  return EditeurDocument::LigneDePosition(pos < 0 ? SelStart() : pos);
}

int ModeleEditeur::DebutLigne(int ligne) const {
  return EditeurDocument::DebutLigne(ligne < 0 ? LigneDePosition(SelStart()) : ligne);
}

int ModeleEditeur::LongueurLigne(int pos) const {
  if (pos >= 0) return EditeurDocument::LongueurLigne(pos);
  const int debut = SelStart();
  const int longueur = SelLength();
  if (longueur == 0) return EditeurDocument::LongueurLigne(debut);
  // The characters left out of the selection on the lines it touches.
  const int fin = debut + longueur;
  const int debutPremiere = DebutLigne(LigneDePosition(debut));
  const int debutDerniere = DebutLigne(LigneDePosition(fin));
  const int finDerniere = debutDerniere + EditeurDocument::LongueurLigne(debutDerniere);
  return (debut - debutPremiere) + std::max(0, finDerniere - fin);
}

// A hidden code pane takes no keyboard.
void ModeleEditeur::PrendFocus() {
  if (!editeur_.isHidden()) editeur_.setFocus();
}

void ModeleEditeur::ColoreInstruction() { editeur_.ColoreInstruction(); }
