#pragma once

// The main window: the drawing with the program editor in a strip along its right edge and four
// status boxes along its bottom edge, the menu bar, the window's own keys, start-up, closing, and
// the file and print commands (ProgramFiles.cpp, Printing.cpp).

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <memory>

class AnneauAnnulation;
class EditeurProgramme;
class FrmFind;
class HoteQt;
class MenusPrincipaux;
class QAction;
class QLineEdit;
class VueDessin;

// The window width divided by the code pane's width.
extern float FacteurCode;
constexpr float FacteurCodeDefaut = 3.3f;

class FenetrePrincipale : public QMainWindow {
  Q_OBJECT

 public:
  explicit FenetrePrincipale(QWidget* parent = nullptr);
  ~FenetrePrincipale() override;

  // The load of the window: printer and screen measures, start-up, the program file, the first
  // run. `arguments` are the command line after the program's name; `repProgramme` the folder of
  // the program's own files (the executable's when empty). False when the program must end.
  bool Demarre(const QStringList& arguments, const QString& repProgramme = {});

  EditeurProgramme& Editeur() { return *editeur_; }
  VueDessin& Vue() { return *vue_; }
  MenusPrincipaux& Menus() { return *menus_; }
  HoteQt& Hote() { return *hote_; }
  QLineEdit* Text1() const { return text1_; }
  QLineEdit* Text2() const { return text2_; }
  QLineEdit* Text3() const { return text3_; }
  QLineEdit* Text4() const { return text4_; }
  QAction* Action(const QString& nom) const;
  QString RepProgramme() const { return repProgramme_; }
  // A run has taken place since start-up.
  bool PremierRunFait() const { return premierRunFait_; }

  // ---- layout ----
  void Form_Resize();
  // The font size of the status boxes (the code's); each box is sized for the longest text it shows.
  void TailleCarStatut(float taille);
  void Mnu_AgrandirCode_Click();
  void Mnu_Code_Click();
  void Mnu_DblClick_Click();
  // Every caption of the menu language, then the window caption and the status boxes' tool tips
  // of the message language.
  void AfficheMenus();

  // ---- run and keys ----
  void Mnu_Visualiser_Click();
  void Mnu_Quitter_Click();
  // A termination request (SIGTERM, SIGHUP): the open dialogs close as Cancel and the window
  // closes as its close box does, the save question included; a second request that comes while
  // the first one's question is open closes it without a question. A settings write that fails
  // then goes to standard error.
  void FermeParSignal();
  // The window's key table; true when the key is consumed.
  bool Form_KeyDown(int touche, Qt::KeyboardModifiers modificateurs);

  // ---- program files (ProgramFiles.cpp) ----
  // The save question before a command replaces the text; false when the command must stop
  // (Cancel, or a save that did not complete).
  bool QuestionSauvegarde();
  void Mnu_Ouvrir_Click();
  void Mnu_Nouveau_Click();
  // Both true when the text was written.
  bool Mnu_EnregistrerS_Click();
  bool Mnu_Enregistrer_Click();
  void Mnu_IniCode_Click();
  // Loads a program file into the editor with its initial zoom; false (the user told, the editor
  // unchanged) when it cannot be read.
  bool LitFic(const QString& chemin);

  // ---- printing (Printing.cpp) ----
  void Mnu_Imprimer_Click();
  void Mnu_ImprimerZoom_Click();
  void Mnu_Imprimante_Click();
  // The print run and the screen run after it; false when nothing was printed.
  bool Imprimer();
  // The program listing (ListingPrint.cpp); false when nothing was printed.
  bool Mnu_ImprimerCode_Click();
  // Asks the print system for its printers before Qt's printer support needs them (see
  // PrintSystem.h): within the time a print is given, with Esc as a way out. False, the printer
  // error said (nothing after Esc), when it does not answer.
  bool SystemeImpressionRepond();
  // Morvo's printer, made the first time it is needed (not at start, so that a print system that
  // hangs does not hold the window): the printer kept from the last session, else the system's
  // default, else the PDF printer. The print system is asked then, and always with `releve` (before
  // a print dialog). False, as SystemeImpressionRepond, when it does not answer.
  bool ImprimantePrete(bool releve = false);

  // ---- meter import (MeterImport.cpp) and set-up (Setup.cpp) ----
  void Mnu_OuvrirMeter_Click();
  void Mnu_Setup_Click();

  // ---- drawing view (MouseCoordinates.cpp, ZoomDialog.cpp, RefCursorDialog.cpp) ----
  // Shift bits: 1 Shift, 2 Ctrl, 4 Alt; coordinates in the view's scale.
  void Form_MouseMove(int bouton, int shift, float x, float y);
  void Form_MouseDown(int bouton, int shift, float& x, float& y);
  void Form_DblClick(int shift);
  void Text3_DblClick();
  // With Ctrl: back to the program's initial zoom; else the zoom dialog. The program runs again.
  void Mnu_Zoom_Click(int shift);
  // With Ctrl: the reference cursor back on the last origin; else its dialog.
  void Mnu_RefCurseur_Click(int shift);
  // Moves the drawing so that the point under the mouse comes to the centre (with Shift towards
  // the bottom-left corner; with Ctrl back to no shift), and runs the program again.
  void Positionner(int shift);
  void CentreCurseur();

  // ---- undo, find, insertions and code font size ----
  AnneauAnnulation& Annulation() { return *annulation_; }
  FrmFind& Recherche() { return *recherche_; }
  void Mnu_Defaire_Click();
  void Mnu_Refaire_Click();
  void Mnu_Rechercher_Click();
  void Mnu_Couleur_Click();
  void Mnu_Polices_Click();
  void Mnu_Liste_Fic_Click();
  void Mnu_TaillCar_Click();

  // ---- languages and help (LanguageDialog.cpp, Help.cpp) ----
  // The language dialog, then the menu captions (whatever the way it was closed).
  void Mnu_Langue_Click();
  void Mnu_Aide25_Click();
  void Mnu_Aide_Click();
  void Mnu_ResumeSyntaxes_Click();
  // Help at the topic of the word under the editor's caret (ContextHelp.cpp).
  void Mnu_AideMot_Click();
  // The syntax hint of the caret line, as Alt+F2 shows it, up until the next key or click.
  void Mnu_SyntaxeLigne_Click();
  void Mnu_MAJ_Aide_Click();
  void Mnu_Conditions_Click();
  void Mnu_AProposDe_Click();
  void Mnu_Non_Doc_Click();

  // Tells the user that a menu command belongs to a later version.
  void NonDisponible(QAction* action);
  void NonDisponible(const QString& commande);

  // The first show cuts the window's size to the free area of its screen.
  void setVisible(bool visible) override;

 protected:
  void closeEvent(QCloseEvent* evenement) override;
  void moveEvent(QMoveEvent* evenement) override;
  bool eventFilter(QObject* cible, QEvent* evenement) override;

 private:
  void ConnecteMenus();
  // Cuts the window's frame to the free area of its screen (`montree`: the window is shown, and may
  // be moved into it too).
  void DansEcran(bool montree);
  // Shows or hides the editor and three status boxes as the check mark of Mnu_Code says.
  void MontreCode();
  // Sizes the four status boxes and puts them side by side leftwards from `droite`, on the bottom
  // edge of the drawing (pixels of the view).
  void PlaceBoitesStatut(int droite, int hauteur);
  void ConnecteEdition();
  void RelieSouris();
  void Titre(const QString& nomFichier);
  // Disables the window's input for a command that takes time, and enables it again.
  // Closes every modal dialog as Cancel.
  void FermeDialogues();
  // The printer chosen at an earlier session, when the system still has it; else the user is told
  // and the default printer stays.
  void ReprendImprimanteChoisie();
  void DebutAttente();
  void FinAttente();

  VueDessin* vue_ = nullptr;
  EditeurProgramme* editeur_ = nullptr;
  QLineEdit* text1_ = nullptr;
  QLineEdit* text2_ = nullptr;
  QLineEdit* text3_ = nullptr;
  QLineEdit* text4_ = nullptr;
  std::unique_ptr<MenusPrincipaux> menus_;
  std::unique_ptr<HoteQt> hote_;
  std::unique_ptr<AnneauAnnulation> annulation_;
  FrmFind* recherche_ = nullptr;
  QString repProgramme_;
  bool premierRunFait_ = false;
  bool montree_ = false;
  // Shown before the window manager told the frame's size.
  bool cadreAVerifier_ = false;
  // The file the caption names, once a file was opened, saved or a program started.
  QString nomTitre_;
  bool titreAvecFichier_ = false;
  float tailleStatut_ = 0;
  bool fermetureDemandee_ = false;
  bool signalRecu_ = false;
  bool sansQuestion_ = false;
  // Termination requests received so far: a closing cancelled after its question was answered
  // keeps the mark of a request that came meanwhile.
  int demandesFin_ = 0;
  friend class HoteQt;
};
