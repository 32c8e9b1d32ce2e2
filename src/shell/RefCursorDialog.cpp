#include "shell/RefCursorDialog.h"

#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "drawing/DrawState.h"
#include "editor/ProgramEditor.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/QtPrompter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "shell/DrawingView.h"
#include "shell/MainWindow.h"
#include "shell/Menus.h"
#include "shell/MouseCoordinates.h"
#include "shell/QtHost.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

QString TexteRefCurseur() {
  QString texte = TexteNombre(RunShell.RefCurX - RunShell.OrigineFinX) + QStringLiteral(", ") +
                  TexteNombre(RunShell.RefCurY - RunShell.OrigineFinY);
  if (RunShell.RefCurAngle != 0) texte += Lecture.SepSousParam + TexteNombre(-RunShell.RefCurAngle);
  return texte;
}

bool AppliqueRefCurseur(const QString& texteSaisi) {
  QString texte = texteSaisi;
  if (Trim(texte).isEmpty()) texte = QStringLiteral("0,0§0");
  if (InStr(texte, QStringLiteral(",")) == 0) {
    Dialogues().MsgBox(TexteMsg(166), Boutons::Ok, QString());
    return false;
  }
  float decalX = 0, decalY = 0, decalAngle = 0;
  try {
    Incident.DetailErreur.clear();
    decalX = VersSingle(LitParam(texte, 1).value_or(0.0));
    decalY = VersSingle(LitParam(texte, 2).value_or(0.0));
    QString angle =
        Replace(Replace(ParamN(texte, -2), QStringLiteral("Z"), QString()), QStringLiteral("z"), QString());
    const int sous = Lecture.SepSousParam.isEmpty() ? 0 : InStr(angle, Lecture.SepSousParam);
    if (sous > 0) {
      angle = Mid(angle, sous + static_cast<int>(Lecture.SepSousParam.size()));
      decalAngle = VersSingle(-Calcule(angle).value_or(0.0));
    }
  } catch (const std::exception&) {
    // A %variable without a value, or a field that is no expression.
    const QString detail = Trim(Incident.DetailErreur);
    Dialogues().MsgBox(detail.isEmpty() ? TexteMsg(166) : detail, Boutons::Ok, QString());
    return false;
  }
  RunShell.DecalRefX = decalX;
  RunShell.DecalRefY = decalY;
  RunShell.DecalRefAngle = decalAngle;
  if (InStr(UCase(texte), QStringLiteral("Z")) > 0) {
    RunShell.RefCurX = RunShell.OrigineFinX + decalX - RunShell.CentreCmdX;
    RunShell.RefCurY = RunShell.OrigineFinY + decalY - RunShell.CentreCmdY;
    RunShell.RefCurAngle = RunShell.RefCurAngleRad = RunShell.DecalRefAngle = 0;
    RunShell.DecalRefX = decalX - RunShell.CentreCmdX;
    RunShell.DecalRefY = decalY - RunShell.CentreCmdY;
  } else {
    RunShell.RefCurX = RunShell.OrigineFinX + decalX;
    RunShell.RefCurY = RunShell.OrigineFinY + decalY;
    RunShell.RefCurAngle = decalAngle;
    RunShell.RefCurAngleRad = decalAngle * 0.017453293f;
  }
  return true;
}

void RefCurseurSurOrigine() {
  RunShell.RefCurX = RunShell.OrigineFinX;
  RunShell.RefCurY = RunShell.OrigineFinY;
  RunShell.RefCurAngle = RunShell.RefCurAngleRad = 0;
  RunShell.DecalRefX = RunShell.DecalRefY = RunShell.DecalRefAngle = 0;
}

DialogueRefCurseur::DialogueRefCurseur(QWidget* parent)
    : DialogueTouche(parent, Qt::Key_F8, ToucheMenu::Confirme),
      text1_(new QLineEdit(this)),
      label1_(new QLabel(this)),
      command1_(new QPushButton(this)) {
  auto* pile = new QVBoxLayout(this);
  pile->addWidget(label1_);
  pile->addWidget(text1_);
  pile->addWidget(command1_);
  label1_->setWordWrap(true);
  setWindowFlag(Qt::WindowStaysOnTopHint);
  setWindowTitle(QStringLiteral("Morvo   ") + Replace(TexteMenu(74), QStringLiteral("&"), QString()) +
                 QStringLiteral("   (F8, Ctrl-F8)"));
  LargeurTitre(this);
  command1_->setText(TexteMsg(164));
  command1_->setAutoDefault(false);
  label1_->setText(TexteMsg(165));
  if (Shell.ZoomCourant == 0) Shell.ZoomCourant = 1;
  if (Shell.FacteurMm == 0) Shell.FacteurMm = 1;
  text1_->setText(TexteRefCurseur());
  text1_->selectAll();
  text1_->setFocus();
  for (QWidget* w : std::initializer_list<QWidget*>{this, text1_, command1_}) w->installEventFilter(this);
  connect(command1_, &QPushButton::clicked, this, &DialogueRefCurseur::Command1_Click);
}

void DialogueRefCurseur::Command1_Click() {
  if (AppliqueRefCurseur(text1_->text())) accept();
}

// ---- the main window's commands ----

void FenetrePrincipale::Mnu_RefCurseur_Click(int shift) {
  if (!hote_->MnuRefCurseurActif || hote_->EnCours()) return;
  if (shift & BitCtrl) {
    RefCurseurSurOrigine();
    return;
  }
  DialogueRefCurseur dialogue(this);
  dialogue.exec();
  if (dialogue.EntreeDialogue()) editeur_->EntreeDialogue = true;
}

void FenetrePrincipale::Positionner(int shift) {
  if (!hote_->MnuVisualiserActif || hote_->EnCours()) return;
  if (shift & BitCtrl) {
    Repere.OrigineBaseX = Repere.OrigineBaseY = 0;
    Shell.DecalVueX = Shell.DecalVueY = 0;
  } else if (shift & BitShift) {
    const OutputSurface& s = vue_->Surface();
    double largeur = s.ScaleWidth;
    const double hauteur = s.ScaleHeight;
    if (Action(QStringLiteral("Mnu_Code"))->isChecked()) largeur -= hote_->LargeurCode();
    Shell.DecalVueX = static_cast<float>(Souris.SourisX - Repere.OrigineX + largeur / 2);
    Shell.DecalVueY = static_cast<float>(Souris.SourisY - Repere.OrigineY - hauteur / 2);
  } else {
    Shell.DecalVueX = static_cast<float>(Souris.SourisX - Repere.OrigineX);
    Shell.DecalVueY = static_cast<float>(Souris.SourisY - Repere.OrigineY);
  }
  Mnu_Visualiser_Click();
}

void FenetrePrincipale::CentreCurseur() {
  const QRect fenetre = frameGeometry();
  const QRect editeur(editeur_->mapToGlobal(QPoint(0, 0)), editeur_->size());
  const int droite = Action(QStringLiteral("Mnu_Code"))->isChecked() ? editeur.left() : fenetre.right();
  const double x = ArrondiPair((fenetre.left() + droite) / 2.0);
  const double y = ArrondiPair((fenetre.bottom() + editeur.top()) / 2.0);
  QCursor::setPos(static_cast<int>(x), static_cast<int>(y));
}
