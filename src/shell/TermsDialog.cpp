#include "shell/TermsDialog.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "platform/FileLookup.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "shell/Config.h"
#include "shell/Startup.h"

namespace {

MontreConditions montreCourant;

}  // namespace

void ModeleConditions::Active() {
  Titre = TexteMsg(168);
  Invite = TexteMsg(169);
  Conditions = TexteMsg(167);
  Accepte = TexteMsg(170);
  Refuse = TexteMsg(171);
  LegendeAide = TexteMsg(85);
  ConditionsAcceptees = false;
  AccepteChoisi = false;
}

void ModeleConditions::Valide() const {
  if (AccepteChoisi) ConditionsAcceptees = true;
}

bool ConditionsADemander(const QString& repProgramme) {
  return TexteMsg(167).size() > 10 && !TrouveSansCasse(repProgramme, QStringLiteral("ST6UNST.Log")).isEmpty();
}

void RetireConfiguration() {
  if (RepConfig.isEmpty()) return;
  for (const QString& nom : {QStringLiteral("Morvo.cfg"), QStringLiteral("Morvo.DaN")}) {
    const QString fichier = TrouveSansCasse(RepConfig, nom);
    if (!fichier.isEmpty()) QFile::remove(fichier);
  }
  // rmdir removes only an empty folder.
  QDir().rmdir(RepConfig);
}

// ---- the window ----

Form6::Form6(ModeleConditions& modele, std::function<void()> aide, QWidget* parent)
    : QDialog(parent), modele_(modele), aide_(std::move(aide)) {
  setWindowTitle(QStringLiteral("Morvo"));
  setWindowFlag(Qt::WindowStaysOnTopHint);
  setModal(true);
  auto* colonne = new QVBoxLayout(this);
  auto* text1 = new QLabel(modele_.Titre, this);
  text1->setObjectName(QStringLiteral("Text1"));
  QFont gras = text1->font();
  gras.setBold(true);
  text1->setFont(gras);
  colonne->addWidget(text1);
  auto* text2 = new QLabel(modele_.Invite, this);
  text2->setWordWrap(true);
  colonne->addWidget(text2);
  auto* rtb1 = new QTextEdit(this);
  rtb1->setReadOnly(true);
  rtb1->setPlainText(QString(modele_.Conditions).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  colonne->addWidget(rtb1);
  option1_ = new QRadioButton(modele_.Accepte, this);
  option2_ = new QRadioButton(modele_.Refuse, this);
  option2_->setChecked(true);
  colonne->addWidget(option1_);
  colonne->addWidget(option2_);
  auto* boutons = new QHBoxLayout;
  auto* command2 = new QPushButton(modele_.LegendeAide, this);
  auto* command1 = new QPushButton(QStringLiteral("OK"), this);
  command2->setAutoDefault(false);
  boutons->addWidget(command2);
  boutons->addStretch();
  boutons->addWidget(command1);
  colonne->addLayout(boutons);
  connect(command2, &QPushButton::clicked, this, [this] {
    if (aide_) aide_();
  });
  connect(command1, &QPushButton::clicked, this, &QDialog::accept);
  command2->setFocus();
  resize(600, 450);
  if (parent) parent->window()->installEventFilter(this);
}

void Form6::showEvent(QShowEvent* evenement) {
  QDialog::showEvent(evenement);
  if (aideOuverte_) return;
  aideOuverte_ = true;
  if (aide_) aide_();
}

void Form6::done(int resultat) {
  // Every way of closing counts as OK.
  modele_.AccepteChoisi = option1_->isChecked();
  modele_.Valide();
  QDialog::done(resultat);
}

bool Form6::eventFilter(QObject* cible, QEvent* evenement) {
  // A close request of the main window closes the dialog as its close box does.
  if (evenement->type() == QEvent::Close && isVisible()) reject();
  return QDialog::eventFilter(cible, evenement);
}

void DefinitDialogueConditions(MontreConditions montre) { montreCourant = std::move(montre); }

bool DemandeConditions(const std::function<void()>& aide, QWidget* parent) {
  ModeleConditions modele;
  modele.Active();
  if (montreCourant || dynamic_cast<ScriptedPrompter*>(&Dialogues()) != nullptr) {
    // The activation opens the terms page beside the dialog.
    if (aide) aide();
    if (montreCourant)
      montreCourant(modele);
    else
      modele.Valide();
  } else {
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    Form6 dialogue(modele, aide, parent);
    dialogue.exec();
    QApplication::restoreOverrideCursor();
  }
  return ConditionsAcceptees;
}
