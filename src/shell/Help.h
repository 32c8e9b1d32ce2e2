#pragma once

// Help files. Their names are built from the language settings; a file is looked for beside the
// program, in Morvo's shared data folders and in the configuration folder, in its compiled form or
// as HTML or PDF, and opened by the desktop's viewer for its kind.

#include <QString>
#include <functional>

class QUrl;

// Opens a URL with the desktop's application for it; true when it could. Tests replace it.
using OuvreurUrl = std::function<bool(const QUrl&)>;
// An empty function restores the desktop's.
void DefinitOuvreurUrl(OuvreurUrl ouvreur);

// Finds the help file `nom` ("Morvo_fr.chm", or under a subfolder: "Morvo_fr/Non_Doc_fr.chm") in the
// data folders (DossiersDonnees: the program folder first), then in the configuration folder
// RepConfig; in each, the name with the extensions
// ".chm", ".html", ".htm" and ".pdf" in this order, every part of the path without regard to case.
// Empty when there is none.
QString TrouveFichierAide(const QString& nom, const QString& repProgramme);

// The message that names a help file that cannot be found, in the message language.
QString TexteAideAbsente(const QString& nom);
// The message that names a help file that the desktop could not open, in the message language.
QString TexteAideNonOuverte(const QString& chemin);

class CHelp {
 public:
  // Opens the help file `nom` at its contents, or at the numbered topic `sujet` when the file's form
  // has topics: an HTML file opens the topic's own page, <topic>.html in the folder of its name
  // beside it, else the file with the topic as its anchor. A missing file, or one the desktop cannot open,
  // is told to the user. True when the file was handed to its viewer.
  static bool Show(const QString& nom, const QString& repProgramme, int sujet = 0);
};

// The files of the Help menu (names only).
// "Morvo_" + menu-language code + ".chm": the syntax summary (topic 5000) and the terms (7000).
QString NomAideMenu();
// "Morvo-200_" + menu-language code + ".chm": the "&Aide" entry of the menu language.
QString NomAideDoc();
// "Morvo_MAJ_" + mask-language code + ".chm": the update help.
QString NomAideMaj();
// "Morvo_fr/Non_Doc_fr.chm": the undocumented commands, in French only.
QString NomAideNonDoc();

constexpr int SujetConditions = 7000;

// The text of the about box (its title is message 104).
QString TexteAPropos();
