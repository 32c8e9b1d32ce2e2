#pragma once

// The find dialog: searches the program text, replaces found occurrences one by one or all at
// once, and translates the colour words of a program between French and English. Modeless, kept
// above the main window; hiding it keeps its texts and options.

#include <QDialog>
#include <QString>
#include <QTextCursor>
#include <utility>
#include <vector>

#include "platform/EditorText.h"

class AnneauAnnulation;
class EditeurProgramme;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class FrmFind : public QDialog {
  Q_OBJECT

 public:
  FrmFind(EditeurProgramme& editeur, AnneauAnnulation& annulation, QWidget* parent = nullptr);

  // Captions in the menu language (at creation, and again when that language changes).
  void AfficheLegendes();
  // Shows the dialog; a non-empty text becomes the search text.
  void Montre(const QString& texte);
  // The Find menu: as Montre, and Replace stays disabled while nothing has been found.
  void Mnu_Rechercher_Click();

  void Suivant_Click();
  void Remplacer_Click();
  void Remplacer_Tout_Click();
  // Replaces whole words pair by pair (first item by the second, ...) through the whole text.
  void RemplacerListe(const QString& liste, const QString& separateur);
  void Chercher();
  // Esc, F3, Enter and Ctrl+H of the dialog; true when the key is consumed.
  bool Form_KeyDown(int touche, Qt::KeyboardModifiers modificateurs);

  // Options of the last search: 2 whole word, plus 4 match case.
  int OptionsRecherche() const { return optionsRecherche_; }

  QLineEdit* Text1 = nullptr;   // search text
  QLineEdit* Text2 = nullptr;   // replacement text
  QCheckBox* Check1 = nullptr;  // whole word
  QCheckBox* Check2 = nullptr;  // match case
  QPushButton* Suivant = nullptr;
  QPushButton* Remplacer = nullptr;
  QPushButton* Remplacer_Tout = nullptr;
  QPushButton* Annuler = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* cible, QEvent* e) override;

 private:
  class Lot {
   public:
    explicit Lot(FrmFind& dialogue);
    ~Lot();
    Lot(const Lot&) = delete;
    Lot& operator=(const Lot&) = delete;

   private:
    FrmFind& dialogue_;
    EditeurDocument document_;
    QTextCursor curseur_;
  };
  void RendFocus();
  // The text the searches work on: the editor's, or the replace loop's model of it.
  EditeurTexte& Modele() const;
  // The search text as the editor's text holds it: its line breaks CR LF.
  QString Cible() const;
  // Position of the search text from a position on, -1 when absent (an empty text is never found).
  int Trouve(const QString& cible, int depuis) const;
  // Replaces the selection by the replacement text without marking the statement as edited.
  void RemplaceSansSuivi();
  void FinRemplacements(int total);

  EditeurProgramme& editeur_;
  AnneauAnnulation& annulation_;
  QLabel* label1_ = nullptr;  // beside the search text
  QLabel* label2_ = nullptr;  // beside the replacement text
  EditeurTexte* modele_ = nullptr;
  int optionsRecherche_ = 0;
  int posAvantRecherche_ = 0;
  int posAvantRemplacement_ = 0;
  // Where the next search goes on after the last find: after the found text, or after the
  // replacement that took its place.
  int reprise_ = 0;
  // The lines a replace loop changed (first and last, 0-based), for their colours at its end.
  std::vector<std::pair<int, int>> lignesChangees_;
};

// Whole-word search in a text: a word is made of letters, digits and "_". Without `casse` the
// search ignores case (as the upper case of the program text). -1 when absent.
int ChercheTexte(const QString& texte, const QString& cible, int depuis, bool motEntier, bool casse);
