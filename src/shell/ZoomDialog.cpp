#include "shell/ZoomDialog.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <optional>

#include "editor/ProgramEditor.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/QtPrompter.h"
#include "platform/StringTable.h"
#include "shell/Config.h"
#include "shell/MainWindow.h"
#include "shell/Menus.h"
#include "shell/MouseCoordinates.h"
#include "shell/QtHost.h"
#include "values/Expressions.h"

using namespace legacy;

namespace {

// The value of an expression typed with "," or "." as decimal point; nullopt when it is none.
std::optional<double> Evalue(const QString& texte) {
  QString t = Replace(texte, QStringLiteral(","), QStringLiteral("."));
  try {
    const std::optional<double> v = Calcule(t);
    const double r = v.value_or(0.0);
    if (!std::isfinite(r)) return std::nullopt;
    return r;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

void ValideZoom(QString& texteZoom, QString& texteFacteur) {
  const std::optional<double> facteur = Evalue(texteFacteur);
  const std::optional<double> zoom = Evalue(texteZoom);
  if (!facteur || !zoom) {
    Dialogues().MsgBox(QStringLiteral("Valeur non numérique\r\nNo numeric value"), Boutons::Ok, QString(),
                       Icone::Exclamation);
    return;
  }
  texteFacteur = Replace(texteFacteur, QStringLiteral(","), QStringLiteral("."));
  texteZoom = Replace(texteZoom, QStringLiteral(","), QStringLiteral("."));

  const float m = VersSingle(std::fabs(*facteur));
  if (m != Shell.FacteurMm) {
    if (m == 0) {
      texteFacteur = TexteNombre(Shell.FacteurMm);
    } else {
      Shell.FacteurMm = m;
      EcritConfig(QStringLiteral("Zmm = "), TexteNombre(m));
    }
  }
  const float z = VersSingle(std::fabs(*zoom));
  if (z != Shell.ZoomCourant) {
    if (z == 0)
      texteZoom = TexteNombre(Shell.ZoomCourant);
    else
      Shell.ZoomCourant = z;
  }
}

DialogueZoom::DialogueZoom(QWidget* parent)
    : DialogueTouche(parent, Qt::Key_F7, ToucheMenu::Annule),
      text1_(new QLineEdit(this)),
      text2_(new QLineEdit(this)),
      label1_(new QLabel(this)),
      command1_(new QPushButton(this)) {
  auto* grille = new QGridLayout(this);
  grille->addWidget(text1_, 0, 0, 1, 2);
  grille->addWidget(label1_, 1, 0);
  grille->addWidget(text2_, 1, 1);
  grille->addWidget(command1_, 2, 0, 1, 2);
  setWindowFlag(Qt::WindowStaysOnTopHint);
  setWindowTitle(QStringLiteral("Morvo   ") + Replace(TexteMenu(73), QStringLiteral("&"), QString()) +
                 QStringLiteral("   (F7, Ctrl-F7)"));
  LargeurTitre(this);
  command1_->setText(TexteMsg(162));
  command1_->setAutoDefault(false);
  label1_->setText(TexteMsg(163));
  if (Shell.ZoomCourant == 0) Shell.ZoomCourant = 1;
  if (Shell.FacteurMm == 0) Shell.FacteurMm = 1;
  text1_->setText(TexteNombre(Shell.ZoomCourant));
  text2_->setText(TexteNombre(Shell.FacteurMm));
  text1_->selectAll();
  text1_->setFocus();
  for (QWidget* w : std::initializer_list<QWidget*>{this, text1_, text2_, command1_})
    w->installEventFilter(this);
  connect(command1_, &QPushButton::clicked, this, &DialogueZoom::Command1_Click);
}

void DialogueZoom::Command1_Click() {
  QString zoom = text1_->text();
  QString facteur = text2_->text();
  ValideZoom(zoom, facteur);
  text1_->setText(zoom);
  text2_->setText(facteur);
  accept();
}

void FenetrePrincipale::Mnu_Zoom_Click(int shift) {
  if (!(hote_->MnuVisualiserActif && !hote_->EnCours()) && hote_->MnuDessinActif) return;
  if (shift & BitCtrl) {
    Shell.ZoomCourant = RunShell.ZoomIni;
  } else {
    DialogueZoom dialogue(this);
    dialogue.exec();
    if (dialogue.EntreeDialogue()) editeur_->EntreeDialogue = true;
  }
  Mnu_Visualiser_Click();
  unsetCursor();
  if (Action(QStringLiteral("Mnu_Code"))->isChecked()) editeur_->setFocus();
}
