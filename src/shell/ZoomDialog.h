#pragma once

// The zoom dialog: the screen zoom and the screen's millimetre correction, both typed as
// expressions. The correction factor is kept in the configuration ("Zmm = "); the zoom is not.

#include <QString>

#include "shell/KeyDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

// The OK of the dialog on its two texts, which come back with "." for ",". A text that is not a
// number tells the user and changes nothing; a factor of 0 keeps the current one and puts it back
// into its text; a negative one counts as its absolute value.
void ValideZoom(QString& texteZoom, QString& texteFacteur);

class DialogueZoom : public DialogueTouche {
  Q_OBJECT

 public:
  explicit DialogueZoom(QWidget* parent = nullptr);

  QLineEdit* Text1() const { return text1_; }
  QLineEdit* Text2() const { return text2_; }
  QLabel* Label1() const { return label1_; }
  QPushButton* Command1() const { return command1_; }

  void Command1_Click() override;

 private:
  QLineEdit* text1_;
  QLineEdit* text2_;
  QLabel* label1_;
  QPushButton* command1_;
};
