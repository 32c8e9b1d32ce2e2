#pragma once

// The zoom dialog: the screen zoom and the screen's millimetre correction, both typed as
// expressions. The correction factor is kept in the configuration ("Zmm = "); the zoom is not.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// The OK of the dialog on its two texts, which come back with "." for ",". A text that is not a
// number tells the user and changes nothing; a factor of 0 keeps the current one and puts it back
// into its text; a negative one counts as its absolute value.
void ValideZoom(QString& texteZoom, QString& texteFacteur);

class DialogueZoom : public QDialog {
  Q_OBJECT

 public:
  explicit DialogueZoom(QWidget* parent = nullptr);

  QLineEdit* Text1() const { return text1_; }
  QLineEdit* Text2() const { return text2_; }
  QLabel* Label1() const { return label1_; }
  QPushButton* Command1() const { return command1_; }
  // Enter closed the dialog.
  bool EntreeDialogue() const { return entree_; }

  void Command1_Click();

 protected:
  bool eventFilter(QObject* cible, QEvent* evenement) override;

 private:
  QLineEdit* text1_;
  QLineEdit* text2_;
  QLabel* label1_;
  QPushButton* command1_;
  bool entree_ = false;
};
