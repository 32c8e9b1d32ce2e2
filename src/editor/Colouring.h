#pragma once

// Statement colouring and keyword rewriting over an editor model: command words blue and in their
// written form, comments green, the rest black; a line entirely red is left as it is.

#include <QString>
#include <cstdint>
#include <vector>

class EditeurDocument;
class QTextBlock;
class QTextCursor;

constexpr uint32_t CouleurNoire = 0;
constexpr uint32_t CouleurBleue = 0xFF0000;
constexpr uint32_t CouleurVerte = 0x008000;
constexpr uint32_t CouleurRouge = 0x0000FF;

// First and last line (0-based) of the statement holding a line: lines ending in " _" go on into
// the next one.
struct Instruction {
  int premiere = 0;
  int derniere = 0;
};
Instruction InstructionDeLigne(const EditeurDocument& texte, int ligne);

// Works on the document's lines through a cursor of its own, so a widget over the same document
// keeps its cursor. Each call is one edit of the document, laid out and redrawn once at its end;
// while it changes the text, the given change-tracking flag is false.
class Coloration {
 public:
  Coloration(EditeurDocument& texte, bool& suiviModif);
  explicit Coloration(EditeurDocument& texte);

  // Positions count a line break as two characters.
  void ColoreLigne(int debut, int longueur);
  void ColoreLignes(int premiere, int derniere);  // 0-based lines
  void ColoreTexte(int debut, int longueur);      // the lines that start in the range
  void ColoreTout();                              // everything black first, then every line
  void Noircit(int premiere, int derniere);       // 0-based lines

  // Where a position taken before the last colouring stands after it: a keyword rewritten in
  // another length moves what follows it.
  int Ajuste(int pos) const;

 private:
  struct Remplacement {
    int position, ancienne, nouvelle;
  };
  // One line, or its end from `debut` (a position in the line): `longueur` characters.
  void Ligne(QTextCursor& curseur, const QTextBlock& bloc, int debut, int longueur);
  void Texte(QTextCursor& curseur, int debut, int longueur);
  int LongueurTexte() const;
  QTextBlock Bloc(int pos, int* dansLigne) const;

  EditeurDocument& texte_;
  bool& suivi_;
  std::vector<Remplacement> remplacements_;
};
