#pragma once

// The small dialogs of the view's function keys (zoom F7, reference cursor F8) answer the keys
// alike: Enter is OK (and says it was Enter, which the editor must not take as a new line), Esc
// cancels, and the dialog's own function key either cancels or confirms, as the menu key did.

#include <QDialog>

class DialogueTouche : public QDialog {
  Q_OBJECT

 public:
  enum class ToucheMenu { Annule, Confirme };
  DialogueTouche(QWidget* parent, int toucheMenu, ToucheMenu effet);

  // Enter closed the dialog.
  bool EntreeDialogue() const { return entree_; }
  virtual void Command1_Click() = 0;

 protected:
  bool eventFilter(QObject* cible, QEvent* evenement) override;

 private:
  int toucheMenu_;
  ToucheMenu effet_;
  bool entree_ = false;
};
