#pragma once

// The command-parameter dialog: one command line of the program edited through a form built from
// the command's mask, one labelled field per parameter and sub-parameter. ModeleCommande does the
// parsing and the rebuilding without widgets; FrmCmd shows it.

#include <QDialog>
#include <QFont>
#include <QString>
#include <QStringList>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class EditeurProgramme;
class AnneauAnnulation;

// One field: its label, its text and the separator that stands before it in the command line.
struct ChampCommande {
  QString Libelle;
  QString Valeur;
  QString Sep;
  bool Optionnel = false;
  bool SousParam = false;
};

class ModeleCommande {
 public:
  static constexpr int MaxChamps = 64;

  // Parses a statement (`LigneMasque`) and builds the fields of its mask. The separator question
  // goes through Dialogues().
  explicit ModeleCommande(const QString& ligne);

  QString Label1;                     // keyword and description on top
  QString TexteCommentaire;           // explanatory text below the fields ("" for none)
  QString CodeMiseEnPage;             // two letters: alignment (L, R, C) and bold (B)
  QString LigneImage;                 // the numbers of the mask's picture line, "" for none
  std::vector<ChampCommande> Champs;  // at least one
  bool CmdEditable = false;
  QString SigneEgal;
  QString SepParam;  // the parameter separator in force while the dialog is open

  // Turns the angle and length fields n and n + 1 (1-based) from a second point into "°" angle and
  // length, from the start point of fields n - 2 and n - 1.
  void RepAVLV(int n);

  // The line rebuilt from the fields (OK). `etapes` receives the number of undo steps to record
  // (two when the "%" of an assignment had to be put back).
  QString Reconstruit(int* etapes = nullptr);

 private:
  void Construit();
  void SepareParties(int& p, bool siLigne, const QString& masque);
  void ProposeVirgules();
  QStringList ValeursApresCle(int p) const;
  void DetacheImageEtCommentaire(QString& masque);
  void RemplitChamps(const QStringList& parties, const QStringList& valeurs, int p, bool siLigne);
  void RegroupeDernierChamp(const QStringList& valeurs, int n, int decalage, bool siLigne);
  void MetEnPageCommentaire();
  void ListeCommandes(bool commentaire);
  QString LigneReconstruite();

  QString origine_;  // the statement as it came
  QString ligne_;    // the statement after rewriting
  QString sepSous_;
};

// The statement of the caret line as the dialog edits it, and the span of text that its answer
// replaces. Positions are 1-based in the text with CR LF line ends.
struct InstructionMasque {
  QString Ligne;       // `LigneMasque`; "Suite" for a continued statement
  bool Suite = false;  // the caret line continues the statement of the line before
  int Debut = 1;       // a: first character replaced
  int Fin = 1;         // f: first character kept after the span
};
InstructionMasque PrendInstruction(const QString& texte, int debutLigne);

class FrmCmd : public QDialog {
  Q_OBJECT

 public:
  // `titre` is the caption; `police` the font the font picker starts from.
  FrmCmd(ModeleCommande& modele, const QString& titre, const QFont& police, QWidget* parent = nullptr);

  // `LigneMasque` after the dialog: the rebuilt line, or "" to leave the text unchanged.
  QString LigneMasque() const { return ligneMasque_; }
  int EtapesAnnulation() const { return etapes_; }

  void Cmd_OK_Click();
  void Cmd_Cancel_Click();
  void ChoixCouleur();
  void ChoixPolice();
  void ChoixFichier();
  QLineEdit* ParaVal(int i) const { return valeurs_.at(i - 1); }
  QLabel* ParaTxt(int i) const { return libelles_.at(i - 1); }
  QPushButton* BoutonOK() const { return ok_; }
  int ChampActif() const { return champActif_; }

 protected:
  bool eventFilter(QObject* objet, QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  bool Touche(QKeyEvent* e);
  void Active(int index);

  ModeleCommande& modele_;
  QFont police_;
  std::vector<QLineEdit*> valeurs_;
  std::vector<QLabel*> libelles_;
  QPushButton* ok_ = nullptr;
  QString ligneMasque_;
  int etapes_ = 0;
  int champActif_ = 0;
  bool pret_ = false;
  bool fini_ = false;
};

// F2 in the editor and the Mask menu entry: the caret statement is edited in the dialog and the
// answer replaces it, with one undo step.
void Mnu_Masque_Click(EditeurProgramme& editeur, AnneauAnnulation& annulation, QWidget* parent);
