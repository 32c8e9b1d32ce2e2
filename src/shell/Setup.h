#pragma once

// The set-up routine: copies the sample files that lie beside the program, or where Morvo is
// installed, into a folder the user picks, puts a launcher for Morvo there and in the desktop's
// application menu, and makes Morvo open ".dat" program files. Each step is offered in a Yes/No
// question; the summary is shown and appended to "MorvoSetup.log" in the configuration folder.
// Desinstallation undoes the desktop integration. The set-up's own desktop files have names of
// their own: an installed Morvo (its "morvo.desktop" in a data folder) keeps its menu entry and
// file type, which the set-up then leaves alone. The menu command is the main window's
// (FenetrePrincipale::Mnu_Setup_Click).

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Where the set-up reads and writes.
struct CiblesInstallation {
  QString RepProgramme;     // the program's folder
  QStringList RepDonnees;   // the folders of the sample files, searched in order
  QString Executable;       // the program the launchers start
  QString RepConfig;        // the set-up log's folder
  QString RepApplications;  // the user's desktop entries
  QString RepMime;          // the user's MIME database (packages in its "packages" folder)
  // The data folders where an installed Morvo has its desktop entry (XDG_DATA_HOME, XDG_DATA_DIRS).
  QStringList RepBureau;
  // Runs update-mime-database and update-desktop-database when they are installed.
  bool MetAJourBases = true;
};

// The user's own folders: $XDG_DATA_HOME (default ~/.local/share)/applications and /mime, the
// configuration folder in use, the running program and the data folders (DossiersDonnees): the
// samples beside the program or where Morvo is installed.
CiblesInstallation CiblesParDefaut(const QString& repProgramme);

extern const QString NomJournalInstallation;  // "MorvoSetup.log"
extern const QString NomRaccourci;            // "Morvo.desktop", in the chosen folder
extern const QString NomLanceurMenu;          // "morvo-setup.desktop"
extern const QString NomLanceurAssociation;   // "morvo-setup-programme.desktop"
extern const QString NomPaquetMime;           // "morvo-setup.xml"
extern const QString NomEntreeInstallee;      // "morvo.desktop", the installed desktop entry
extern const QString TypeMimeProgramme;       // "application/x-morvo-program"

// The folder dialog: the chosen folder, empty when cancelled. Tests set their own (nullptr
// restores Qt's).
using ChoixRepertoire = std::function<QString(const QString& titre, QWidget* proprietaire)>;
void DefinitChoixRepertoire(ChoixRepertoire choix);
QString ChoisirRepertoire(const QString& titre, QWidget* proprietaire);

void Installation(QWidget* proprietaire, const CiblesInstallation& cibles);

// True when Morvo is installed: its desktop entry is in "applications" of one of the folders.
bool MorvoInstalle(const QStringList& repBureau);

// Removes the set-up's launchers (those of the folders the log names included), file type and
// association, updates the desktop databases and removes the set-up log, so that a later set-up
// asks every question again. Copied sample files stay: they are the user's now.
void Desinstallation(const CiblesInstallation& cibles);
