#pragma once

// The four language settings. Each pairs a language index (0 unset, 1 French, 2 English,
// 3 German, 4 Spanish) with the base of its block in the string table ((index - 1) x 400). They
// need no window: the headless runner takes the desktop program's message language from them.

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
// The language index whose code is `code` ("fr", "en", "de", "es"), without regard to case; 0 when
// none.
int IndexCodeLangue(const QString& code);

// Applies the language keys ("Langue =", "LangueMenu =", "LangueAide =", "LangueMasq =") found in
// one configuration line; a comment line or an unknown name changes nothing.
void LitLigneLangues(const QString& ligne);
// True when all four settings are set.
bool LanguesCompletes();
// Every unset setting becomes French (what the language dialog does when it opens).
void CompleteLanguesFrancais();

// All eight values back to 0 (unset).
void RazLangues();

// A configuration file holds a few hundred bytes: one past this bound is not read further (a file
// may report a size of 0, or be a link to something huge).
constexpr qint64 TailleMaxConfig = 1024 * 1024;
// The folder of the user's configuration file: $XDG_CONFIG_HOME/Morvo, by default ~/.config/Morvo;
// no trailing "/", not created.
QString DossierConfigUtilisateur();
// The folder whose configuration file (`nom`, found without regard to case) the desktop program
// started in `repDepart` reads and writes: the start folder when it holds one, else the user's
// configuration folder (not created).
QString DossierDeLaConfig(const QString& repDepart, const QString& nom = QStringLiteral("Morvo.cfg"));
// Applies the language keys of the configuration file of DossierDeLaConfig. Nothing changes when
// there is none or it cannot be read.
void LitLanguesConfig(const QString& repDepart);
// The language of the user's locale when Morvo has it, else 0: the first of the languages that
// LANGUAGE lists (unless the locale is "C" or "POSIX", which takes no translation), then the locale of
// the messages, that of LC_ALL, else of LC_MESSAGES, else of LANG.
int LangueDuLocale();
