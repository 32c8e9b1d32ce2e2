#pragma once

// What the program around the editor offers it: the language settings that choose the texts of
// the syntax hints, the masks and the command dialog, and the application help. The desktop
// program installs the shell's at start-up, as its main window installs a Hote for the interpreter.

#include <QString>

class HoteEditeur {
 public:
  virtual ~HoteEditeur() = default;
  // A language index (0 unset, 1 French ... 4 Spanish) and the base of its block in the string
  // table: messages, menus, command masks. Without a program around, every text is French.
  virtual int NumLangue() const { return 0; }
  virtual int BaseLangue() const { return 0; }
  virtual int BaseLangueMenu() const { return 0; }
  virtual int NumLangueMasq() const { return 0; }
  virtual int BaseLangueMasq() const { return 0; }
  // Opens the menu language's application help at topic `sujet`, the file looked for in
  // `repProgramme` first. True when the file was handed to its viewer.
  virtual bool OuvreAideMenu(const QString& /*repProgramme*/, int /*sujet*/) { return false; }
};

// The installed one, or one with the defaults above.
HoteEditeur& HoteEditeurCourant();
// nullptr goes back to the defaults.
void DefinitHoteEditeur(HoteEditeur* h);
