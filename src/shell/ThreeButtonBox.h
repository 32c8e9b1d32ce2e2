#pragma once

// A modal box with one message and three buttons whose captions the caller sets, for the questions
// that the usual button sets do not fit (adding to or replacing a drawing file). The third button
// cancels.

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;

// The answer of the last box: 1 for the first button, 2 for the second, 0 for the third or any
// other way of closing.
extern int ReponseMsgBox;

struct QuestionTroisBoutons {
  QString Message;
  QString Bouton1 = QStringLiteral("Ajouter les nouvelles données");
  QString Bouton2 = QStringLiteral("Cmd2");
  QString Bouton3 = QStringLiteral("Cmd3");
  // The file being saved, and the drawing file loaded to continue a drawing with the answer given
  // then (6 when it was loaded): the same file (exact comparison) cannot be added to itself.
  QString FichierSauve;
  QString FichierDessinRepris;
  int ReponseReprise = 0;

  bool Bouton1Actif() const { return !(FichierDessinRepris == FichierSauve && ReponseReprise == 6); }
  // The answer that Enter gives: the first button's, or the cancel button's when it is disabled.
  int ReponseEntree() const { return Bouton1Actif() ? 1 : 0; }
};

class FrmMsgBox : public QDialog {
  Q_OBJECT

 public:
  explicit FrmMsgBox(const QuestionTroisBoutons& question, QWidget* parent = nullptr);

  QPushButton* Cmd1() const { return cmd1_; }
  QPushButton* Cmd2() const { return cmd2_; }
  QPushButton* Cmd3() const { return cmd3_; }

 protected:
  void showEvent(QShowEvent* evenement) override;
  void keyPressEvent(QKeyEvent* evenement) override;
  bool eventFilter(QObject* cible, QEvent* evenement) override;

 private:
  void Repond(int reponse);

  QuestionTroisBoutons question_;
  QLabel* label1_ = nullptr;
  QPushButton* cmd1_ = nullptr;
  QPushButton* cmd2_ = nullptr;
  QPushButton* cmd3_ = nullptr;
};

// Asks the question in the box, modally, and returns ReponseMsgBox. Under a scripted prompter (no
// one to click) the box answers as its cancel button.
int DemandeTroisBoutons(const QuestionTroisBoutons& question, QWidget* parent = nullptr);
// Replaces the box (tests); an empty function restores it.
void DefinitTroisBoutons(std::function<int(const QuestionTroisBoutons&)> reponse);
