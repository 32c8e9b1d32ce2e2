#pragma once

// What closing the main window decides and writes.

#include <QString>
#include <functional>

class FenetrePrincipale;

// The mouse-drawing journal's file name; the drawing keeps it in the folder current when it
// starts, so closing is given its absolute path.
inline const QString NomJournalDessin = QStringLiteral("$Dessin_tmp.txt");

struct EtatFermeture {
  bool TexteVide = true;        // the editor holds no text
  bool Modifie = false;         // the text changed since load or save
  QString FichierCourant;       // written as "FichierDat ="
  bool DoubleClic = false;      // the check mark of the double-click option
  QString JournalDessin;        // absolute path of the mouse-drawing journal; empty when none
  bool DessinNonSauve = false;  // a mouse drawing has been started and not saved
  bool ParSignal = false;       // asked by a signal: a settings write that fails goes to stderr
};

// The closing request. Returns true when the window may close. Before start-up has finished
// (ConditionsAcceptees false) nothing is asked or written. Otherwise a modified, non-empty text
// asks message 118 with Yes, No and Cancel: Cancel keeps the window; Yes calls sauveMaintenant,
// and a save that did not complete counts as Cancel. An unsaved mouse drawing is asked about the
// same way: Yes calls sauveDessin (the drawing saved as its point file), No discards it, Cancel
// keeps the window and the journal. When the close goes ahead, the last file and the double-click
// option are written to the configuration, the mouse-drawing journal is deleted and the start
// folder becomes the current folder again.
bool AccepteFermeture(const EtatFermeture& etat, const std::function<bool()>& sauveMaintenant,
                      const std::function<bool()>& sauveDessin = {});

// SIGTERM, SIGHUP and SIGINT close the window through FenetrePrincipale::FermeParSignal, from the
// event loop (the handler only writes to a socket), whatever dialog is open.
void FermeSurSignal(FenetrePrincipale& fenetre);
