#include "editor/ProgramEditor.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "editor/Colouring.h"
#include "editor/EditorModel.h"
#include "platform/Prompter.h"

EditeurProgramme::EditeurProgramme(QWidget* parent) : QPlainTextEdit(parent) {
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setUndoRedoEnabled(false);
  // Tab stops every 2 mm.
  setTabStopDistance(logicalDpiX() * 2.0 / 25.4);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, Qt::black);
  setPalette(palette);
  viewport()->setMouseTracking(true);

  modele_ = std::make_unique<ModeleEditeur>(*this);
  texteColoration_ = std::make_unique<EditeurDocument>(document());
  coloration_ = std::make_unique<Coloration>(*texteColoration_, modele_->SuiviModif);
  connect(this, &QPlainTextEdit::textChanged, this, &EditeurProgramme::TexteChange);
}

EditeurProgramme::~EditeurProgramme() = default;

EditeurTexte& EditeurProgramme::Modele() { return *modele_; }

void EditeurProgramme::DefinitModifie(bool modifie) {
  if (modifie_ == modifie) return;
  modifie_ = modifie;
  emit modifieChange(modifie);
}

int EditeurProgramme::LigneDuCurseur() const { return modele_->LigneDePosition(modele_->SelStart()); }

bool EditeurProgramme::HorsInstruction() const {
  return ligneCourante_ < debutInstr_ || ligneCourante_ > finInstr_;
}

int EditeurProgramme::DebutLigne() const { return modele_->DebutLigne(LigneDuCurseur()); }

QString EditeurProgramme::TexteLigne() const {
  return QStringLiteral("L %1/%2").arg(ligneCourante_ + 1).arg(document()->blockCount());
}

void EditeurProgramme::MajLigne() { emit ligneChange(TexteLigne()); }

// A user's edit: the text is modified, and the statement around the caret shows black until it
// is recoloured.
void EditeurProgramme::TexteChange() {
  if (!modele_->SuiviModif) return;
  ++changements_;
  DefinitModifie(true);
  aRecolorer_ = true;
  if (document()->isEmpty()) return;
  const Instruction instr = InstructionDeLigne(*texteColoration_, textCursor().blockNumber());
  debutInstr_ = instr.premiere;
  finInstr_ = instr.derniere;
  coloration_->Noircit(debutInstr_, finInstr_);
}

// The caret put back where it was takes up the column it kept for Up and Down too.
void EditeurProgramme::GardeColonne(int colonne) {
  QTextCursor curseur = textCursor();
  curseur.setVerticalMovementX(colonne);
  setTextCursor(curseur);
}

void EditeurProgramme::ColoreInstruction() {
  if (!aRecolorer_) return;
  // The selection outlives the colouring (Ctrl+A or a drag that left the statement): only what a
  // rewritten keyword moved moves.
  const QTextCursor avant = textCursor();
  const bool versLeDebut = avant.position() < avant.anchor();
  const int debut = modele_->SelStart();
  const int fin = debut + modele_->SelLength();
  const int colonne = avant.verticalMovementX();
  coloration_->ColoreLignes(debutInstr_, finInstr_);
  const int nouveauDebut = coloration_->Ajuste(debut);
  modele_->SetSelStart(nouveauDebut);
  modele_->SetSelLength(coloration_->Ajuste(fin) - nouveauDebut);
  if (versLeDebut) {
    QTextCursor curseur = textCursor();
    const int gauche = curseur.selectionStart();
    curseur.setPosition(curseur.selectionEnd());
    curseur.setPosition(gauche, QTextCursor::KeepAnchor);
    setTextCursor(curseur);
  }
  GardeColonne(colonne);
  debutInstr_ = finInstr_ = LigneDuCurseur();
  aRecolorer_ = false;
}

void EditeurProgramme::ColoreInstructions(int premiere, int derniere) {
  const int premiereInstr = InstructionDeLigne(*texteColoration_, premiere).premiere;
  const int derniereInstr = InstructionDeLigne(*texteColoration_, derniere).derniere;
  coloration_->ColoreLignes(premiereInstr, derniereInstr);
}

void EditeurProgramme::ColoreTout() {
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  const int haut = verticalScrollBar()->value();
  const int gauche = horizontalScrollBar()->value();
  const int debut = modele_->SelStart();
  const int fin = debut + modele_->SelLength();
  const int colonne = textCursor().verticalMovementX();
  coloration_->ColoreTout();
  const int nouveauDebut = coloration_->Ajuste(debut);
  modele_->SetSelStart(nouveauDebut);
  modele_->SetSelLength(coloration_->Ajuste(fin) - nouveauDebut);
  GardeColonne(colonne);
  verticalScrollBar()->setValue(haut);
  horizontalScrollBar()->setValue(gauche);
  QGuiApplication::restoreOverrideCursor();
}

void EditeurProgramme::ColoreTexte(int debut, int longueur) { coloration_->ColoreTexte(debut, longueur); }

void EditeurProgramme::ChargeTexte(const QString& texteCrlf) {
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  modele_->SuiviModif = false;
  modele_->SetText(texteCrlf);
  modele_->SuiviModif = true;
  coloration_->ColoreTexte(0, modele_->Longueur());
  modele_->SetSelStart(0);
  debutInstr_ = finInstr_ = 0;
  aRecolorer_ = false;
  ligneCourante_ = 0;
  DefinitModifie(false);
  MajLigne();
  QGuiApplication::restoreOverrideCursor();
  if (TexteCharge) TexteCharge();
}

void EditeurProgramme::DefinitInstruction(int premiere, int derniere) {
  debutInstr_ = premiere;
  finInstr_ = derniere;
}

void EditeurProgramme::InstructionAuCurseur() {
  debutInstr_ = finInstr_ = LigneDuCurseur();
  aRecolorer_ = false;
}

void EditeurProgramme::Appelle(const std::function<void()>& commande) const {
  if (commande) {
    commande();
    return;
  }
  Dialogues().MsgBox(QStringLiteral("Pas encore disponible / Not available yet / Noch nicht verfügbar / "
                                    "Todavía no disponible"),
                     Boutons::Ok, QStringLiteral("Morvo"));
}
