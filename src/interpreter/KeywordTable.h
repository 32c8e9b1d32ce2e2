#pragma once

// The command words. Each one is written here once, with everything known of it: the dispatcher
// runs a statement through its entry, and the editor colours and rewrites the word, shows its
// syntax hint, its help topic and its mask from the same entry.

#include <QString>
#include <cstdint>
#include <span>

#include "interpreter/Interpreter.h"

// What a command needs from, and adds to, the order of the commands of a page.
enum class RegleOrdre : uint8_t {
  Libre,         // no rule
  Zoom,          // first level only, before the centre
  Format,        // first level only, first command of the page
  Centre,        // none for the other output; at the first level, before the scale line
  TraceEchelle,  // draws the scale line
  SurEchelle,    // needs a scale line drawn before it
  NouvellePage,  // the order starts again
  Appel,         // calls a command file
  Dessin,        // draws something
};

// How the command-parameter dialog writes the command back.
enum class SaisieMasque : uint8_t {
  Egal,   // the keyword, " =" and the parameters
  Blanc,  // the keyword, " " and the parameters (conditions, jumps, input)
  Vue,    // shown only: nothing to edit
};

struct MotCle {
  const char* Ecrit;             // as the editor writes it; a statement names it in upper case
  bool Editeur;                  // the editor colours it and rewrites it as written here
  const char* Ancien;            // an older word the editor rewrites as this one, or nullptr
  Suite (*Execute)(int niveau);  // runs the statement of the level
  RegleOrdre Ordre;
  bool Evenements;     // lets the window's events through first; a stopped run ends there
  int Syntaxe;         // string of its syntax hint, 0 for none
  int Masque;          // string of its mask, 0 for none
  int MasquePourcent;  // string of the mask of the word followed by "%", 0 for none
  SaisieMasque Saisie;
  int Sujet;  // help topic, 0 for none
};

// Every command word, in the order the editor lists them.
std::span<const MotCle> MotsCles();

// The entry of a word in upper case, or nullptr.
const MotCle* ChercheMotCle(const QString& majuscules);
