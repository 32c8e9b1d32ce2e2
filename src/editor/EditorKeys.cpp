// The editor's keys and mouse: what the key table does before the widget, and what happens when
// the caret leaves the statement being edited.

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextCursor>

#include "editor/Colouring.h"
#include "editor/EditorModel.h"
#include "editor/ProgramEditor.h"
#include "platform/Clipboard.h"
#include "platform/EditorText.h"
#include "platform/Events.h"
#include "platform/TextFile.h"

namespace {

constexpr int BitShift = 1;
constexpr int BitCtrl = 2;
constexpr int BitAlt = 4;

constexpr int ToucheF3 = 114;
constexpr int ToucheH = 72;
constexpr int ToucheCtrl = 17;
constexpr int ToucheV = 86;
constexpr int ToucheX = 88;
constexpr int ToucheY = 89;
constexpr int ToucheZ = 90;

int BitsShift(Qt::KeyboardModifiers modificateurs) {
  return (modificateurs & Qt::ShiftModifier ? BitShift : 0) |
         (modificateurs & Qt::ControlModifier ? BitCtrl : 0) | (modificateurs & Qt::AltModifier ? BitAlt : 0);
}

// The key codes that the editor's rules and the undo recording speak of.
int CodeTouche(int touche) {
  if ((touche >= Qt::Key_A && touche <= Qt::Key_Z) || (touche >= Qt::Key_0 && touche <= Qt::Key_9))
    return touche;
  if (touche >= Qt::Key_F1 && touche <= Qt::Key_F16) return 112 + (touche - Qt::Key_F1);
  switch (touche) {
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
      return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Shift:
      return 16;
    case Qt::Key_Control:
      return 17;
    case Qt::Key_Alt:
      return 18;
    case Qt::Key_Pause:
      return 19;
    case Qt::Key_CapsLock:
      return 20;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Space:
      return 32;
    case Qt::Key_PageUp:
      return 33;
    case Qt::Key_PageDown:
      return 34;
    case Qt::Key_End:
      return 35;
    case Qt::Key_Home:
      return 36;
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    case Qt::Key_Select:
      return 41;
    case Qt::Key_Print:
      return 42;
    case Qt::Key_Execute:
      return 43;
    case Qt::Key_SysReq:
      return 44;
    case Qt::Key_Insert:
      return 45;
    case Qt::Key_Delete:
      return 46;
    case Qt::Key_Meta:
      return 91;
    case Qt::Key_Menu:
      return 93;
    case Qt::Key_NumLock:
      return 144;
    case Qt::Key_ScrollLock:
      return 145;
    case Qt::Key_Semicolon:
      return 186;
    case Qt::Key_Equal:
      return 187;
    case Qt::Key_Comma:
      return 188;
    case Qt::Key_Minus:
      return 189;
    case Qt::Key_Period:
      return 190;
    case Qt::Key_Slash:
      return 191;
    case Qt::Key_QuoteLeft:
      return 192;
    case Qt::Key_BracketLeft:
      return 219;
    case Qt::Key_Backslash:
      return 220;
    case Qt::Key_BracketRight:
      return 221;
    case Qt::Key_Apostrophe:
      return 222;
    default:
      return 0;
  }
}

// Keys that change nothing and are not recorded.
bool ToucheNeutre(int code) {
  return (code >= 16 && code <= 20) || (code >= 41 && code <= 45) || code == 91 || code == 93 ||
         (code >= 112 && code <= 127) || code == 144 || code == 145 || (code >= 172 && code <= 179) ||
         code == 181 || code == 255;
}

bool ToucheNavigation(int code) { return code >= 33 && code <= 40; }

// The keys of the editor's own table: with the editor focused they reach it, not a menu shortcut.
bool ToucheEditeur(int touche, Qt::KeyboardModifiers modificateurs) {
  if (touche == Qt::Key_F2 || touche == Qt::Key_F3) return true;
  if (!(modificateurs & Qt::ControlModifier)) return false;
  switch (touche) {
    case Qt::Key_A:
    case Qt::Key_C:
    case Qt::Key_F:
    case Qt::Key_H:
    case Qt::Key_K:
    case Qt::Key_V:
    case Qt::Key_X:
    case Qt::Key_Y:
    case Qt::Key_Z:
      return true;
    default:
      return false;
  }
}

// A pasted or dropped text as the editor takes it: every line break a CR LF, and none of the
// control characters a program line cannot hold (NUL and the other C0 controls but the tab), which
// would be saved into a file that could not be opened again.
QString AvecCrLf(QString texte) {
  texte.removeIf([](QChar c) { return c.unicode() < 0x20 && c != QLatin1Char('\t') && !EstSautDeLigne(c); });
  return FinsDeLigneProgramme(texte);
}

}  // namespace

bool EditeurProgramme::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    auto* touche = static_cast<QKeyEvent*>(e);
    if (ToucheEditeur(touche->key(), touche->modifiers())) {
      e->accept();
      return true;
    }
  }
  return QPlainTextEdit::event(e);
}

void EditeurProgramme::EnvoieTouche(int touche, Qt::KeyboardModifiers modificateurs) {
  QCoreApplication::postEvent(this, new QKeyEvent(QEvent::KeyPress, touche, modificateurs));
  QCoreApplication::postEvent(this, new QKeyEvent(QEvent::KeyRelease, touche, modificateurs));
}

void EditeurProgramme::MontreRechercheAvecSelection() {
  if (!MontreRecherche) {
    Appelle(nullptr);
    return;
  }
  MontreRecherche(modele_->SelLength() > 0 ? modele_->SelText() : QString());
}

void EditeurProgramme::ColleAvecCouleurs() { ColleTexte(PressePapiersTexte()); }

void EditeurProgramme::ColleTexte(const QString& brut) {
  const QString texte = AvecCrLf(brut);
  if (texte.isEmpty()) return;
  const int debut = modele_->SelStart();
  const int fin = debut + texte.size();
  modele_->SetSelText(texte);
  const int debutColore = modele_->DebutLigne(modele_->LigneDePosition(debut));
  const int debutDerniere = modele_->DebutLigne(modele_->LigneDePosition(fin));
  coloration_->ColoreTexte(debutColore, debutDerniere + modele_->LongueurLigne(debutDerniere) - debutColore);
  modele_->SetSelStart(coloration_->Ajuste(fin));
  debutInstr_ = finInstr_ = LigneDuCurseur();
  aRecolorer_ = false;
}

// Enter ends the statement being edited: it and the line after it are recoloured before the
// line break goes in.
void EditeurProgramme::ColoreAvantEntree() {
  const int debut = modele_->SelStart();
  const int fin = debut + modele_->SelLength();
  ++finInstr_;
  coloration_->ColoreLignes(debutInstr_, finInstr_);
  const int nouveauDebut = coloration_->Ajuste(debut);
  modele_->SetSelStart(nouveauDebut);
  modele_->SetSelLength(coloration_->Ajuste(fin) - nouveauDebut);
  debutInstr_ = finInstr_ = LigneDuCurseur();
  aRecolorer_ = false;
}

// A key of the editor's table swallowed: F, V and F3 leave no key for the undo rules.
void EditeurProgramme::Avale(QKeyEvent* e, int shift) {
  e->accept();
  const int touche = e->key();
  if (touche == Qt::Key_F || touche == Qt::Key_V || touche == Qt::Key_F3) {
    DerniereTouche = 0;
    DernierShift = shift;
  }
}

// F2, F3 and Esc, whatever the modifiers; true when the key was handled.
bool EditeurProgramme::ToucheFonction(QKeyEvent* e, int shift) {
  switch (e->key()) {
    case Qt::Key_F3: {
      const QString cherche = TexteRecherche ? TexteRecherche() : QString();
      if (!cherche.isEmpty()) {
        ligneCourante_ = LigneDuCurseur();
        if (HorsInstruction()) ColoreInstruction();
        Appelle(RechercheSuivante);
      } else {
        MontreRechercheAvecSelection();
      }
      Avale(e, shift);
      return true;
    }
    case Qt::Key_F2:
      if (shift == BitShift)
        Appelle(ResumeSyntaxes);
      else if (shift == BitAlt)
        Appelle(AideLigne);
      else
        Appelle(Masque);
      Avale(e, shift);
      return true;
    case Qt::Key_Escape:
      appuis_[e->key()].enregistre = false;
      if (CacheRecherche) CacheRecherche();
      Arret = true;
      QPlainTextEdit::keyPressEvent(e);
      return true;
    default:
      return false;
  }
}

// Ctrl with a letter of the editor's table; true when the key was swallowed.
bool EditeurProgramme::ToucheAvecCtrl(QKeyEvent* e, int shift) {
  switch (e->key()) {
    case Qt::Key_F:
      appuis_[e->key()].enregistre = false;
      MontreRechercheAvecSelection();
      break;
    case Qt::Key_H:
      Appelle(Remplace);
      break;
    case Qt::Key_V:
      ColleAvecCouleurs();
      break;
    case Qt::Key_X:
      LongAvantCouper = modele_->Longueur();
      return false;
    case Qt::Key_Y:
      Appelle(Refaire);
      break;
    case Qt::Key_Z:
      Appelle(Defaire);
      if (Defaire) DefinitModifie(true);
      break;
    case Qt::Key_A:
      modele_->SetSelStart(0);
      modele_->SetSelLength(modele_->Longueur());
      break;
    case Qt::Key_K:
      ColoreTout();
      break;
    default:
      return false;
  }
  Avale(e, shift);
  return true;
}

// The toolkit's other clipboard and undo keys (Shift+Insert, Shift+Delete, the Undo key...) do
// what the editor's own keys do, and their key up records as those. True when the key was handled.
bool EditeurProgramme::ToucheStandard(QKeyEvent* e, int shift) {
  const int touche = e->key();
  const bool ctrl = (shift & BitCtrl) != 0;
  const auto commeTouche = [&](int code) {
    appuis_[touche].code = code;
    appuis_[touche].shift = BitCtrl;
  };
  if (e->matches(QKeySequence::Paste)) {
    QClipboard* pressePapiers = QGuiApplication::clipboard();
    const bool selection =
        touche == Qt::Key_Insert && shift == (BitCtrl | BitShift) && pressePapiers->supportsSelection();
    ColleTexte(selection ? pressePapiers->text(QClipboard::Selection) : PressePapiersTexte());
    commeTouche(ToucheV);
    e->accept();
    return true;
  }
  if (e->matches(QKeySequence::Cut) && !(ctrl && touche == Qt::Key_X)) {
    LongAvantCouper = modele_->Longueur();
    commeTouche(ToucheX);
    QPlainTextEdit::keyPressEvent(e);
    return true;
  }
  if (e->matches(QKeySequence::Undo)) {
    Appelle(Defaire);
    if (Defaire) DefinitModifie(true);
    commeTouche(ToucheZ);
    e->accept();
    return true;
  }
  if (e->matches(QKeySequence::Redo)) {
    Appelle(Refaire);
    commeTouche(ToucheY);
    e->accept();
    return true;
  }
  return false;
}

void EditeurProgramme::keyPressEvent(QKeyEvent* e) {
  // A hidden editor takes no input: the key goes on to the drawing view under it.
  if (!isVisible()) {
    e->ignore();
    return;
  }
  const int touche = e->key();
  const int shift = BitsShift(e->modifiers());
  // The release of a dialog's Enter has come here or gone for good.
  EntreeDialogue = false;
  if (!e->isAutoRepeat() || !appuis_.count(touche)) appuis_[touche] = Appui{shift, true};
  if (ToucheFonction(e, shift)) return;
  if ((shift & BitCtrl) && ToucheAvecCtrl(e, shift)) return;
  if (ToucheStandard(e, shift)) return;

  if (touche == Qt::Key_F || touche == Qt::Key_V) {
    DerniereTouche = CodeTouche(touche);
    DernierShift = shift;
  }

  // A line break typed as a character (U+2028 from a keyboard layout) is an Enter: the widget
  // would keep it inside a line that it shows as two.
  const bool sautTape = e->text().size() == 1 && e->text()[0].isPrint() && EstSautDeLigne(e->text()[0]);
  if (sautTape) appuis_[touche].code = CodeTouche(Qt::Key_Return);
  if (touche == Qt::Key_Return || touche == Qt::Key_Enter || sautTape) {
    if (aRecolorer_) ColoreAvantEntree();
    // Every Enter is a line break: the widget would put a soft break for Shift+Enter.
    QKeyEvent entree(e->type(), sautTape ? Qt::Key_Return : touche, e->modifiers() & ~Qt::ShiftModifier,
                     sautTape ? QStringLiteral("\r") : e->text(), e->isAutoRepeat(), e->count());
    QPlainTextEdit::keyPressEvent(&entree);
    e->setAccepted(entree.isAccepted());
    return;
  }
  QPlainTextEdit::keyPressEvent(e);
}

void EditeurProgramme::keyReleaseEvent(QKeyEvent* e) {
  QPlainTextEdit::keyReleaseEvent(e);
  if (e->isAutoRepeat()) return;
  const auto appui = appuis_.find(e->key());
  const bool vu = appui != appuis_.end();
  const int code = vu && appui->second.code >= 0 ? appui->second.code : CodeTouche(e->key());
  // A key counts with the shift state it went down with: Ctrl let go before its letter still
  // makes a Ctrl command.
  const int shift = vu ? appui->second.shift : BitsShift(e->modifiers());
  const bool enregistre = vu && appui->second.enregistre;
  if (vu) appuis_.erase(appui);
  if (CacheAideLigne) CacheAideLigne();
  ligneCourante_ = LigneDuCurseur();
  MajLigne();
  if (!vu) {
    // The key went down in a dialog or a message box, which did what it meant.
    if (code == 13) EntreeDialogue = false;
    return;
  }
  if (HorsInstruction()) {
    if (code != ToucheF3) ColoreInstruction();
    // Ctrl+H finds the next occurrence, mostly on another line: the series of replacements stays
    // one undo step, as from the dialog's button. The Ctrl of the chord, let go before or after
    // the H, is part of it and keeps the find for the next Ctrl+H.
    const bool remplacement = (code == ToucheH && (shift & BitCtrl)) || code == ToucheCtrl;
    if (code != ToucheF3 && !remplacement) PosTrouve = -1;
    if (!remplacement) {
      DerniereTouche = 0;
      DernierShift = 0;
    }
    AnnulationArmee = false;
    // With nothing pending, the caret's line is the one being edited from now on: the release of
    // a Ctrl or Shift after the key has not left it again.
    if (!aRecolorer_) debutInstr_ = finInstr_ = ligneCourante_;
  }
  if (ToucheNeutre(code)) return;
  if (ToucheNavigation(code)) {
    NbRecherches = 0;
    if (DesactiveRemplacer) DesactiveRemplacer();
    PosTrouve = -1;
    return;
  }
  if (enregistre && RegleAnnulation) RegleAnnulation(code, shift);
}

// The releases of the keys that are down go to the window that takes the focus.
void EditeurProgramme::focusOutEvent(QFocusEvent* e) {
  appuis_.clear();
  QPlainTextEdit::focusOutEvent(e);
}

// Every click in the editor is the editor's (the middle button pastes, the right one opens its
// menu): none goes on to the drawing under it.
void EditeurProgramme::mousePressEvent(QMouseEvent* e) {
  QPlainTextEdit::mousePressEvent(e);
  e->accept();
}

void EditeurProgramme::mouseDoubleClickEvent(QMouseEvent* e) {
  QPlainTextEdit::mouseDoubleClickEvent(e);
  e->accept();
}

// The middle button pastes the selection, where the system has one, through insertFromMimeData.
void EditeurProgramme::mouseReleaseEvent(QMouseEvent* e) {
  QPlainTextEdit::mouseReleaseEvent(e);
  NbRecherches = 0;
  if (DesactiveRemplacer) DesactiveRemplacer();
  ligneCourante_ = LigneDuCurseur();
  MajLigne();
  if (HorsInstruction()) {
    ColoreInstruction();
    DerniereTouche = 0;
    DernierShift = 0;
    AnnulationArmee = false;
    PosTrouve = -1;
  }
}

// A drag of the selection starts in here, and a text moved to another program leaves it then.
void EditeurProgramme::mouseMoveEvent(QMouseEvent* e) {
  ChangementSouris([&] { QPlainTextEdit::mouseMoveEvent(e); });
  if (PointeurDefaut) PointeurDefaut();
}

// A change of the text that no key up records (the middle button, a drop, a drag to another
// program): the statement it leaves is recoloured, and it makes one undo step of its own,
// recorded as a paste.
void EditeurProgramme::ChangementSouris(const std::function<void()>& change) {
  const unsigned avant = changements_;
  change();
  // Nothing changed, or a drop inside a drag recorded it already.
  if (changements_ == avant || changements_ == changementsEnregistres_) return;
  ColoreInstruction();
  AnnulationArmee = false;
  if (RegleAnnulation) RegleAnnulation(ToucheV, BitCtrl);
  AnnulationArmee = false;
  changementsEnregistres_ = changements_;
  ligneCourante_ = LigneDuCurseur();
  MajLigne();
}

// Every paste the widget makes (the middle button's, its paste slot) is the editor's paste. The
// statement being edited is recoloured first: the caret may have left it.
void EditeurProgramme::insertFromMimeData(const QMimeData* source) {
  if (source == nullptr || !source->hasText()) return;
  const QString texte = source->text();
  ChangementSouris([&] {
    ColoreInstruction();
    ColleTexte(texte);
  });
}

// A text dropped in: a move from the editor itself takes the text from its place and puts it at
// the drop, a copy puts it there; either way one undo step, coloured as a paste.
void EditeurProgramme::dropEvent(QDropEvent* e) {
  QDragLeaveEvent fin;
  QPlainTextEdit::dragLeaveEvent(&fin);
  const QMimeData* donnees = e->mimeData();
  if (isReadOnly() || donnees == nullptr || !donnees->hasText() || donnees->text().isEmpty()) {
    e->ignore();
    return;
  }
  const QString texte = donnees->text();
  const bool deplace =
      e->dropAction() == Qt::MoveAction && (e->source() == viewport() || e->source() == this);
  e->acceptProposedAction();
  ChangementSouris([&] {
    ColoreInstruction();
    // Follows the changes made before the insertion.
    QTextCursor cible = cursorForPosition(e->position().toPoint());
    if (deplace) {
      QTextCursor source = textCursor();
      if (source.hasSelection()) {
        // Dropped on itself: nothing moves.
        if (cible.position() >= source.selectionStart() && cible.position() <= source.selectionEnd()) return;
        source.removeSelectedText();
        ColoreInstruction();
      }
    }
    cible.clearSelection();
    setTextCursor(cible);
    ColleTexte(texte);
  });
}

// The right-click menu: the Edit menu's entries, which act through the editor's commands.
void EditeurProgramme::contextMenuEvent(QContextMenuEvent* e) {
  e->accept();
  if (ActionsMenuContextuel.isEmpty()) return;
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  for (QAction* action : ActionsMenuContextuel) {
    if (action != nullptr)
      menu->addAction(action);
    else
      menu->addSeparator();
  }
  menu->popup(e->globalPos());
}

// Text composed by the input method (a dead key, AltGr, a character picked from a list) is typed
// text: recorded as the key up of a typed key records it.
void EditeurProgramme::inputMethodEvent(QInputMethodEvent* e) {
  const unsigned avant = changements_;
  if (ASautsEtrangers(e->commitString())) {
    // Its line breaks are the lines the editor shows and the interpreter runs.
    QInputMethodEvent lignes(e->preeditString(), e->attributes());
    lignes.setCommitString(
        FinsDeLigneProgramme(e->commitString()).replace(QLatin1String("\r\n"), QLatin1String("\n")),
        e->replacementStart(), e->replacementLength());
    QPlainTextEdit::inputMethodEvent(&lignes);
    e->setAccepted(lignes.isAccepted());
  } else {
    QPlainTextEdit::inputMethodEvent(e);
  }
  if (changements_ == avant) return;
  if (RegleAnnulation) RegleAnnulation(0, 0);
  changementsEnregistres_ = changements_;
}
