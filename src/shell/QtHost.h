#pragma once

// What the main window offers the interpreter: the screen image, the printer during a print run,
// the editor, and the menu entries and input that a run switches off. And what the shell offers
// the editor: its language settings and the help files.

#include <QHash>

#include "editor/EditorHost.h"
#include "platform/Host.h"

class FenetrePrincipale;
class QAction;

class HoteQt : public Hote {
 public:
  explicit HoteQt(FenetrePrincipale& fenetre);
  ~HoteQt() override;

  OutputSurface* Ecran() override;
  OutputSurface* Imprimante() override { return imprimante_; }
  EditeurTexte* Editeur() override;
  double LargeurCode() const override;

  // The hourglass, the drawing and editor without input, the menu entries off; nested calls
  // count, and the last FinRun puts everything back and shows the menu flags on the entries.
  void DebutRun() override;
  void FinRun() override;
  void OuvreAide() override;
  void AvantDialogue() override;
  // The mouse-drawing dialog's fields while it is open, else the values it kept.
  QString CouleurDessin() const override;
  QString CouleurFondDessin() const override;
  QString EpaisseurDessin() const override;

  // The printer surface while a print run goes on.
  void DefinitImprimante(OutputSurface* imprimante) { imprimante_ = imprimante; }
  bool EnCours() const { return profondeur_ > 0; }
  // Enables or disables a menu entry; while a run holds the entries off, the entry takes that
  // state when the run ends.
  void RegleEntree(QAction* action, bool actif);
  // Shows the interpreter's flags on the menu entries (and the check mark of the code pane).
  void MontreEtatMenus();

 private:
  FenetrePrincipale& fenetre_;
  OutputSurface* imprimante_ = nullptr;
  int profondeur_ = 0;
  QHash<QAction*, bool> etatsSauves_;
};

// The language settings of Languages.h and the help files of Help.h, installed for the editor at
// start-up while it lives; the one it replaced comes back after it.
class HoteEditeurQt : public HoteEditeur {
 public:
  HoteEditeurQt();
  ~HoteEditeurQt() override;
  HoteEditeurQt(const HoteEditeurQt&) = delete;
  HoteEditeurQt& operator=(const HoteEditeurQt&) = delete;

  int NumLangue() const override;
  int BaseLangue() const override;
  int BaseLangueMenu() const override;
  int NumLangueMasq() const override;
  int BaseLangueMasq() const override;
  bool OuvreAideMenu(const QString& repProgramme, int sujet) override;

 private:
  HoteEditeur* precedent_;
};
