#include "shell/ThreeButtonBox.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Prompter.h"
#include "platform/QtPrompter.h"

int ReponseMsgBox = 0;

namespace {

std::function<int(const QuestionTroisBoutons&)> reponseScriptee;

}  // namespace

FrmMsgBox::FrmMsgBox(const QuestionTroisBoutons& question, QWidget* parent)
    : QDialog(parent), question_(question) {
  setWindowTitle(QStringLiteral("Morvo Dessin"));
  setWindowFlag(Qt::WindowStaysOnTopHint);
  label1_ = new QLabel(this);
  label1_->setText(TexteSecable(question.Message, label1_->font()));
  label1_->setWordWrap(true);
  cmd1_ = new QPushButton(question.Bouton1, this);
  cmd2_ = new QPushButton(question.Bouton2, this);
  cmd3_ = new QPushButton(question.Bouton3, this);
  auto* boutons = new QHBoxLayout;
  for (QPushButton* b : {cmd1_, cmd2_, cmd3_}) {
    // Enter and Esc are the box's, not a default button's.
    b->setAutoDefault(false);
    b->installEventFilter(this);
    boutons->addWidget(b);
  }
  auto* colonne = new QVBoxLayout(this);
  colonne->addWidget(label1_);
  colonne->addLayout(boutons);
  connect(cmd1_, &QPushButton::clicked, this, [this] { Repond(1); });
  connect(cmd2_, &QPushButton::clicked, this, [this] { Repond(2); });
  connect(cmd3_, &QPushButton::clicked, this, [this] { Repond(0); });
}

void FrmMsgBox::showEvent(QShowEvent* evenement) {
  ReponseMsgBox = 0;
  cmd1_->setEnabled(question_.Bouton1Actif());
  (cmd1_->isEnabled() ? cmd1_ : cmd2_)->setFocus();
  QDialog::showEvent(evenement);
}

void FrmMsgBox::keyPressEvent(QKeyEvent* evenement) {
  switch (evenement->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Repond(question_.ReponseEntree());
      break;
    case Qt::Key_Escape:
      Repond(0);
      break;
    default:
      break;
  }
  evenement->accept();
}

bool FrmMsgBox::eventFilter(QObject* cible, QEvent* evenement) {
  // The box sees every key before its buttons and passes none on.
  if (evenement->type() == QEvent::KeyPress) {
    keyPressEvent(static_cast<QKeyEvent*>(evenement));
    return true;
  }
  return QDialog::eventFilter(cible, evenement);
}

void FrmMsgBox::Repond(int reponse) {
  ReponseMsgBox = reponse;
  done(reponse);
}

int DemandeTroisBoutons(const QuestionTroisBoutons& question, QWidget* parent) {
  ReponseMsgBox = 0;
  if (reponseScriptee) {
    ReponseMsgBox = reponseScriptee(question);
  } else if (dynamic_cast<ScriptedPrompter*>(&Dialogues()) == nullptr) {
    FrmMsgBox boite(question, parent);
    boite.exec();
  }
  return ReponseMsgBox;
}

void DefinitTroisBoutons(std::function<int(const QuestionTroisBoutons&)> reponse) {
  reponseScriptee = std::move(reponse);
}
