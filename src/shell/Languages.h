#pragma once

// The four language settings. Each pairs a language index (0 unset, 1 French, 2 English,
// 3 German, 4 Spanish) with the base of its block in the string table ((index - 1) x 400).

#include <QString>

// Messages and dialogs; mirrored into Shell.BaseLangue, which the interpreter reads.
extern int NumLangue;
extern int BaseLangue;
// Menus, the find and mouse-drawing dialogs, the help topics.
extern int NumLangueMenu;
extern int BaseLangueMenu;
// Set-up texts.
extern int NumLangueAide;
extern int BaseLangueAide;
// Command masks, the application help file.
extern int NumLangueMasq;
extern int BaseLangueMasq;

// Setters keep index and base together: an index from 1 to 4 sets its base; 0 marks the setting
// unset and leaves the base as it was. Other indexes are ignored.
void DefinitLangue(int index);
void DefinitLangueMenu(int index);
void DefinitLangueAide(int index);
void DefinitLangueMasq(int index);

// The number of languages offered (text 3 of the French block).
int NombreLangues();
// The language name (text 5) and code (text 8) of a language index from 1.
QString NomLangue(int index);
QString CodeLangue(int index);
// The language index whose upper-cased name equals the upper-cased text; 0 when none.
int IndexLangue(const QString& nom);

// Applies the language keys ("Langue =", "LangueMenu =", "LangueAide =", "LangueMasq =") found in
// one configuration line; a comment line or an unknown name changes nothing.
void LitLigneLangues(const QString& ligne);
// True when all four settings are set.
bool LanguesCompletes();
// Every unset setting becomes French (what the language dialog does when it opens).
void CompleteLanguesFrancais();
// Writes the four keys with the current language names into the configuration.
bool EcritLangues();

// All eight values back to 0 (unset).
void RazLangues();

// Qt's own texts (file, print and colour dialogs, standard buttons) in the menu language, from
// Qt's installed translations; English, or a language without them, leaves Qt's own English.
void ChargeTraductionsQt();
