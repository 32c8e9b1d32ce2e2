#pragma once

// Program files (".dat"): the file and printer dialogs of the main window, the current file, the
// templates of a new program and the initial zoom of a loaded one. The commands themselves are
// the main window's (FenetrePrincipale in MainWindow.h).

#include <QString>

#include "platform/TextFile.h"

class QPrinter;

// The file and printer dialogs, so that the tests can answer them.
class DialoguesFichiers {
 public:
  virtual ~DialoguesFichiers() = default;
  // The chosen existing file; empty when cancelled. `filtre` is in Qt's form ("A (*.dat);;B (*)").
  virtual QString Ouvrir(const QString& dossier, const QString& filtre) = 0;
  // The name to write, as it was written (for the system to read); empty when cancelled. The dialog
  // asks before the file the system finds under that name is replaced, and adds the default
  // extension to a name that has none. A print's file (`impression`) is never the open program: the
  // dialog refuses it at once, with the reason.
  virtual QString Enregistrer(const QString& nomPropose, const QString& extension, const QString& filtre,
                              bool impression) = 0;
  // The printer dialog over Morvo's own printer; false when cancelled.
  virtual bool ChoisitImprimante(QPrinter& imprimante) = 0;
};

// The dialogs in use (Qt's until another is set; nullptr restores Qt's).
DialoguesFichiers& DialoguesFic();
void DefinitDialoguesFichiers(DialoguesFichiers* d);

// The path the Save command writes to; empty after New.
extern QString FichierCourant;
// The program file as it was read, so that Save writes it back so; a new file's after New and the
// meter import.
struct FormeFichierProgramme {
  // Its encoding and line ends.
  FormeTexte forme;
  // Its last line ended with a line end: for a file without one, the line end the editor gives
  // every loaded program is not saved.
  bool finFinale = true;
  // The editor's text as it was loaded or last saved, and the file's bytes then.
  QString texte;
  QByteArray octets;
};
extern FormeFichierProgramme FormeProgramme;
// The bytes Save writes for the editor's text: while it is the text loaded or last saved, the
// file's bytes then (its mixed line ends, its last line without line end included); else the text
// in the file's encoding, every line ending with the file's first line end, the last one only
// when the file's did.
QByteArray OctetsProgramme(const QString& texte);

// The Open and Save filters: program files, then all files.
QString FiltreProgrammes();
// Names of uninstaller logs ("...UNINS00x.DAT") that Open refuses.
bool EstFichierDesinstallation(const QString& nom);
// Tells the user that the named file is no program and is not opened.
void PasUnFichierMorvo(const QString& nom);
// The template of a new program: "Morvo.daN" in the current folder, else "Morvo_" + code +
// ".DaN" in the configuration folder, else in the program folder (names without regard to case);
// empty when there is none.
QString ModeleProgramme(const QString& repConfig, const QString& repProgramme, const QString& code);
// The folder of a path with its final "/"; empty when the path names no folder.
QString DossierDe(const QString& chemin);
