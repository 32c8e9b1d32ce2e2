#include "shell/KeyDialog.h"

#include <QEvent>
#include <QKeyEvent>

DialogueTouche::DialogueTouche(QWidget* parent, int toucheMenu, ToucheMenu effet)
    : QDialog(parent), toucheMenu_(toucheMenu), effet_(effet) {}

bool DialogueTouche::eventFilter(QObject* cible, QEvent* evenement) {
  if (evenement->type() != QEvent::KeyPress) return QDialog::eventFilter(cible, evenement);
  const int touche = static_cast<QKeyEvent*>(evenement)->key();
  if (touche == Qt::Key_Return || touche == Qt::Key_Enter) {
    entree_ = true;
    Command1_Click();
    return true;
  }
  if (touche == Qt::Key_Escape || (touche == toucheMenu_ && effet_ == ToucheMenu::Annule)) {
    reject();
    return true;
  }
  if (touche == toucheMenu_) {
    Command1_Click();
    return true;
  }
  return QDialog::eventFilter(cible, evenement);
}
