#pragma once

// The start-up sequence: configuration, languages, version check, external command files and the
// choice of the program file to load.

#include <QString>
#include <QStringList>
#include <functional>

#include "interpreter/ExternalCommands.h"

// True once start-up has passed its first-start steps; closing asks and writes only then.
extern bool ConditionsAcceptees;
// The application help file: program folder + "Morvo_" + mask-language code + ".chm".
extern QString FichierAideAppli;
// The decimal separator of the user's locale.
extern QString SepDecimal;

// Major "." minor on two digits, then " " for revision 0 or the letter 96 + revision.
QString TexteVersion(int majeur, int mineur, int revision);
// The running program's version text.
QString VersionTexte();
// "Morvo  V" + version.
QString TitreVersion();
// "Morvo  V" + version + "   " + message 110 + ": " + file name.
QString TitreFichier(const QString& nomFichier);

struct ResultatDebut {
  // The program file to load: the command line or the last file.
  QString NomFichier;
  // NomFichier names an existing file: load it. Otherwise show the Open dialog.
  bool Charger = false;
  // A language setting was unset: the language dialog was shown (without it, they have been set
  // to French and written).
  bool DemandeLangue = false;
  // A name given on the command line that is not valid UTF-8: the file is not opened (nor saved
  // back under another name), and the user is told why.
  QString NomNonUtf8;
  // The window caption; it names the file only when the command line does.
  QString Titre;
  // The terms of use were refused: the configuration of this start is removed and the program ends.
  bool Refus = false;
};

// The dialogs of a first start, which the window provides. Without them, unset languages become
// French and are written, and no terms are asked.
struct DialoguesDebut {
  // The language dialog, then the menu captions.
  std::function<void()> Langues;
  // The terms of use; true when accepted.
  std::function<bool()> Conditions;
  // The terms-of-use page of the help, opened once they are accepted.
  std::function<void()> AideConditions;
};

// Runs the start-up sequence from the current folder. `arguments` are the command-line arguments
// after the program name (joined by blanks, every double quote removed); `repProgramme` is the
// program's folder (the executable's when empty). The folder the file to load really lies in
// (DossierDuProgramme) becomes RepCourant and the current folder.
ResultatDebut Debut(const QStringList& arguments, const QString& repProgramme = {},
                    const DialoguesDebut* dialogues = nullptr);

// The folders that hold the samples, the help files and the other shared data, in the order they
// are searched: the program folder (a copy run where it was built or unpacked), "morvo" in each XDG
// data folder ($XDG_DATA_HOME, then $XDG_DATA_DIRS: where Morvo is installed), then
// "../share/morvo" from the program folder (installed under another prefix, or the build folder).
// Only existing folders, each once.
QStringList DossiersDonnees(const QString& repProgramme);

// Back to the values before start-up.
void RazEtatDebut();
