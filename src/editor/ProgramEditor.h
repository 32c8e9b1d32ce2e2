#pragma once

// The program editor of the main window: a plain-text widget whose colours are character formats
// written by the statement colouring, with its own modified flag and key table.

#include <QList>
#include <QPlainTextEdit>
#include <QString>
#include <functional>
#include <map>
#include <memory>

#include "platform/EditorText.h"

class QAction;
class Coloration;
class ModeleEditeur;

class EditeurProgramme : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit EditeurProgramme(QWidget* parent = nullptr);
  ~EditeurProgramme() override;

  // The editor as the interpreter sees it (a line break counts as two positions). Its selection
  // is the widget's cursor, both ways.
  EditeurTexte& Modele();

  // The text changed since it was loaded or saved.
  bool Modifie() const { return modifie_; }
  void DefinitModifie(bool modifie);

  // Replaces the text by a program (any line break of EstSautDeLigne), colouring each line as it goes
  // in; the caret goes to the start and the text counts as unmodified.
  void ChargeTexte(const QString& texteCrlf);
  // Recolours the whole text (Ctrl+K), keeping the selection and the first visible line.
  void ColoreTout();
  // Recolours the lines that start in a range of positions (text inserted by a command).
  void ColoreTexte(int debut, int longueur);
  // Recolours the statements that hold lines premiere to derniere (0-based), whether they wait for
  // it or not (text replaced without change tracking).
  void ColoreInstructions(int premiere, int derniere);
  // Recolours the statement being edited when it waits for it, and puts the caret and the
  // selection back.
  void ColoreInstruction();
  // Position of the first character of the caret line.
  int DebutLigne() const;
  // The line display: "L " + caret line from 1 + "/" + line count.
  QString TexteLigne() const;
  // Sends a keystroke to the editor as if it were typed, without waiting (Edit menu commands).
  void EnvoieTouche(int touche, Qt::KeyboardModifiers modificateurs = Qt::NoModifier);

  // Commands of the main window and of the dialogs that the editor's keys call. An unset command
  // tells the user that it is not available yet, except those marked silent.
  std::function<void()> ResumeSyntaxes;  // Shift+F2
  std::function<void()> AideLigne;       // Alt+F2
  std::function<void()> Masque;          // F2, Ctrl+F2
  std::function<void()> Defaire;         // Ctrl+Z
  std::function<void()> Refaire;         // Ctrl+Y
  // Find dialog: the text of its search box; showing it modeless with a text to search for (empty:
  // the box keeps its text); find next; replace and find next.
  std::function<QString()> TexteRecherche;
  std::function<void(const QString&)> MontreRecherche;  // F3 with an empty search box, Ctrl+F
  std::function<void()> RechercheSuivante;              // F3
  std::function<void()> Remplace;                       // Ctrl+H
  // Silent ones.
  std::function<void()> CacheRecherche;           // Esc
  std::function<void()> DesactiveRemplacer;       // navigation keys and clicks
  std::function<void()> CacheAideLigne;           // every key up
  std::function<void(int, int)> RegleAnnulation;  // key up of an editing key (key code, shift bits)
  std::function<void()> PointeurDefaut;           // mouse move
  std::function<void()> TexteCharge;              // a program replaced the text (undo ring reset)
  // The entries of the right-click menu, in order (nullptr: a separator): the Edit menu's own, so
  // that they run its commands and follow the undo ring. With none the editor shows no menu.
  QList<QAction*> ActionsMenuContextuel;

  // Editor state shared with the find, undo and insertion commands.
  int DerniereTouche = 0;
  int DernierShift = 0;
  bool AnnulationArmee = false;
  // Enter closed a dialog: the editor ignores the release of that Enter. The release may never
  // come (it went to the dialog), so the flag lasts until the editor's next key press.
  bool EntreeDialogue = false;
  int LongAvantCouper = 0;
  int PosTrouve = -1;
  int NbRecherches = 0;

  // The statement waiting for recolouring (0-based lines).
  bool ARecolorer() const { return aRecolorer_; }
  int DebutInstr() const { return debutInstr_; }
  int FinInstr() const { return finInstr_; }
  void DefinitInstruction(int premiere, int derniere);
  // The caret line becomes the statement being edited, with nothing waiting for recolouring
  // (after the text was put back by undo or redo).
  void InstructionAuCurseur();

 signals:
  void modifieChange(bool modifie);
  void ligneChange(const QString& texte);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  void insertFromMimeData(const QMimeData* source) override;
  bool event(QEvent* e) override;

 private:
  friend class ModeleEditeur;
  void TexteChange();
  void ColleAvecCouleurs();
  void ColleTexte(const QString& texte);
  void ChangementSouris(const std::function<void()>& change);
  void ColoreAvantEntree();
  void Avale(QKeyEvent* e, int shift);
  bool ToucheFonction(QKeyEvent* e, int shift);
  bool ToucheAvecCtrl(QKeyEvent* e, int shift);
  bool ToucheStandard(QKeyEvent* e, int shift);
  int LigneDuCurseur() const;
  bool HorsInstruction() const;
  void MajLigne();
  void GardeColonne(int colonne);
  void Appelle(const std::function<void()>& commande) const;
  void MontreRechercheAvecSelection();

  std::unique_ptr<ModeleEditeur> modele_;
  // The colouring works through a model of its own over the same document.
  std::unique_ptr<EditeurDocument> texteColoration_;
  std::unique_ptr<Coloration> coloration_;
  bool modifie_ = false;
  bool aRecolorer_ = false;
  int debutInstr_ = -1;
  int finInstr_ = -1;
  int ligneCourante_ = 0;
  // The keys that went down in the editor and are not up yet: the shift bits they went down with,
  // and whether their release goes to the undo recording. A key released here that went down
  // elsewhere (in a dialog or a message box it closed) records nothing. A key that stands for
  // another of the table (Shift+Insert for Ctrl+V) records as that one.
  struct Appui {
    int shift = 0;
    bool enregistre = true;
    int code = -1;
  };
  std::map<int, Appui> appuis_;
  // Counts the user's changes of the text, to tell whether a widget routine made one.
  unsigned changements_ = 0;
  // The count when a change that no key up records was last recorded.
  unsigned changementsEnregistres_ = 0;
};
