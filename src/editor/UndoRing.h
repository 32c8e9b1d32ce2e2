#pragma once

// The editor's undo ring: the last 21 states of the program text (colours included) with their
// selection. A run of typing, of Backspace or Delete, of Enter, a run of replacements and each
// insertion command make one step each.

#include <QMetaObject>
#include <QString>
#include <QTextFormat>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QTextBlock;

class EditeurProgramme;

class AnneauAnnulation {
 public:
  static constexpr int NbEmplacements = 21;

  explicit AnneauAnnulation(EditeurProgramme& editeur);
  ~AnneauAnnulation();
  AnneauAnnulation(const AnneauAnnulation&) = delete;
  AnneauAnnulation& operator=(const AnneauAnnulation&) = delete;

  // The Undo and Redo menu entries follow these (their state is the gate of Ctrl+Z and Ctrl+Y).
  std::function<void(bool)> ActiveDefaire;
  std::function<void(bool)> ActiveRefaire;

  // One state held, the current text (start-up, a program loaded).
  void Reinitialise();
  // The current slot takes the editor's text and selection.
  void SauveAnnuler();
  // Moves on to the next slot; when the ring is full the oldest state goes.
  void NouvelEmplacement();
  // Opens a step for a run of typing unless one is open, and saves into it.
  void EnregistreAnnulation(int touche, int shift);
  // What the editor's key up records (key code, shift bits 1 Shift, 2 Ctrl, 4 Alt).
  void RegleTouche(int code, int shift);

  void Defaire();  // Undo, only while enabled
  void Refaire();  // Redo, only while enabled

  bool DefaireActif() const { return defaireActif_; }
  bool RefaireActif() const { return refaireActif_; }
  int IndexAnnul() const { return indexAnnul_; }
  int NbAnnul() const { return nbAnnul_; }
  int NbRefaire() const { return nbRefaire_; }

 private:
  // One line of the text with its colours: the text, its runs of one character format, and the
  // formats of the line itself. A line never changes once made, so states share the lines they
  // have in common.
  struct Ligne {
    QString texte;
    std::vector<std::pair<int, QTextCharFormat>> morceaux;
    QTextBlockFormat formatBloc;
    QTextCharFormat formatCaracteres;
    bool operator==(const Ligne& autre) const;
  };
  using Lignes = std::vector<std::shared_ptr<const Ligne>>;
  struct Etat {
    Lignes lignes;
    int selStart = 0;
    int selLong = 0;
  };
  static std::shared_ptr<const Ligne> LigneDe(const QTextBlock& bloc);
  void Restaure(int index);
  // A save reads again only the lines that changed since the last one into the lines of the text,
  // which the slot it saved into shares until the ring moves on from it (Fige). A step costs what
  // its change costs, plus a copy of one pointer a line.
  void SuitChangement(int position, int retires, int ajoutes);
  void SynchroniseLignes();
  void Fige();
  void RegleDefaire(bool actif);
  void RegleRefaire(bool actif);

  EditeurProgramme& editeur_;
  std::array<Etat, NbEmplacements> etats_;
  int indexAnnul_ = 0;
  int nbAnnul_ = 0;
  int nbRefaire_ = 0;
  bool defaireActif_ = false;
  bool refaireActif_ = false;

  // The lines of the editor's text as the last save (or restore) read them.
  Lignes lignes_;
  bool lignesLues_ = false;
  int longueurLue_ = 0;
  // The slot whose text is lignes_, -1 when none.
  int enAttente_ = -1;
  // What changed in the editor since lignes_ was read: from debutSale_ up to finReel_ in the
  // editor's text, up to finLu_ in the text as read (the rest is the same).
  bool sale_ = false;
  int debutSale_ = 0;
  int finReel_ = 0;
  int finLu_ = 0;
  QMetaObject::Connection suivi_;
};
