#pragma once

// The reference cursor: the point, with a rotation, from which the drawing view measures the
// mouse. Its dialog takes the point relative to the last run's origin ("50,100", "0,0§30"), or
// relative to the drawing's bottom-left corner with a "Z" at the end ("0,0z").

#include <QString>

#include "shell/KeyDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

// The dialog's text for the current reference cursor: "x, y", then the separator of sub-parameters
// and the angle as typed when there is one.
QString TexteRefCurseur();
// The OK of the dialog: sets the reference cursor from the text. False (the user told, nothing
// changed) when the text gives no point: no "," in it, or a field the evaluator refuses.
bool AppliqueRefCurseur(const QString& texte);
// Ctrl+F8: the reference cursor on the last run's origin, without rotation.
void RefCurseurSurOrigine();

class DialogueRefCurseur : public DialogueTouche {
  Q_OBJECT

 public:
  explicit DialogueRefCurseur(QWidget* parent = nullptr);

  QLineEdit* Text1() const { return text1_; }
  QLabel* Label1() const { return label1_; }
  QPushButton* Command1() const { return command1_; }

  void Command1_Click() override;

 private:
  QLineEdit* text1_;
  QLabel* label1_;
  QPushButton* command1_;
};
