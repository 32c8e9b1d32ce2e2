#pragma once

// Help on the word at the caret (Shift+F1): the help topic of the command category of the word.

#include <QString>

class EditeurTexte;

// The selected text or, with nothing selected, the characters around the caret between blanks,
// apostrophes, "=", the program separator SepParam and line breaks.
QString MotCurseur(const EditeurTexte& editeur);

// The help topic of the syntax summary.
constexpr int SujetResumeSyntaxes = 5000;

// The help topic of a word: its command category, 2500 for a variable, 3200 for a command file
// ("MCE_..."), else the syntax summary 5000.
int SujetAideMot(const QString& mot);

// Opens the menu language's application help at the topic of the caret word. True when the file
// was handed to its viewer.
bool AideMot(const EditeurTexte& editeur, const QString& repProgramme);
