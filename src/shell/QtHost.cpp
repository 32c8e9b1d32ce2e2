#include "shell/QtHost.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>

#include "editor/ProgramEditor.h"
#include "platform/OutputSurface.h"
#include "shell/DrawingView.h"
#include "shell/Help.h"
#include "shell/Languages.h"
#include "shell/MainWindow.h"
#include "shell/Menus.h"
#include "shell/MouseDrawing.h"

HoteQt::HoteQt(FenetrePrincipale& fenetre) : fenetre_(fenetre) { DefinitHote(this); }

HoteQt::~HoteQt() {
  if (HoteCourant() == this) DefinitHote(nullptr);
  if (profondeur_ > 0) QApplication::restoreOverrideCursor();
}

OutputSurface* HoteQt::Ecran() { return &fenetre_.Vue().Surface(); }

EditeurTexte* HoteQt::Editeur() { return &fenetre_.Editeur().Modele(); }

double HoteQt::LargeurCode() const {
  // In the units of the scale the screen holds now: millimetres, or the drawing units of a run.
  const OutputSurface& s = fenetre_.Vue().Surface();
  if (s.LargeurPixels() <= 0) return 0.0;
  return fenetre_.Editeur().width() * fenetre_.Vue().RapportPixels() * s.ScaleWidth / s.LargeurPixels();
}

void HoteQt::DebutRun() {
  if (profondeur_++ > 0) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  fenetre_.Vue().setEnabled(false);
  fenetre_.Vue().Gele(true);
  // The window itself stays enabled so that Esc reaches it and modeless dialogs keep working.
  etatsSauves_.clear();
  for (QAction* action : fenetre_.Menus().Entrees()) {
    etatsSauves_.insert(action, action->isEnabled());
    action->setEnabled(false);
  }
}

void HoteQt::FinRun() {
  if (profondeur_ == 0 || --profondeur_ > 0) return;
  for (auto it = etatsSauves_.cbegin(); it != etatsSauves_.cend(); ++it) it.key()->setEnabled(it.value());
  etatsSauves_.clear();
  MontreEtatMenus();
  fenetre_.Vue().setEnabled(true);
  fenetre_.Vue().Gele(false);
  fenetre_.Vue().update();
  QApplication::restoreOverrideCursor();
}

void HoteQt::AvantDialogue() { fenetre_.Vue().MontreTout(); }

void HoteQt::RegleEntree(QAction* action, bool actif) {
  const auto sauve = etatsSauves_.find(action);
  if (profondeur_ > 0 && sauve != etatsSauves_.end())
    sauve.value() = actif;
  else
    action->setEnabled(actif);
}

void HoteQt::MontreEtatMenus() {
  MenusPrincipaux& m = fenetre_.Menus();
  if (profondeur_ > 0) return;
  m.Action(QStringLiteral("Mnu_Visualiser"))->setEnabled(MnuVisualiserActif);
  m.Action(QStringLiteral("Mnu_Zoom"))->setEnabled(MnuZoomActif);
  // A live mouse drawing keeps the reference cursor where its points are measured from.
  m.Action(QStringLiteral("Mnu_RefCurseur"))->setEnabled(MnuRefCurseurActif && !Dessin.DessinDemarre);
  MnuDessinActif = m.Action(QStringLiteral("Mnu_Dessin"))->isEnabled();
  MnuCodeCoche = m.Action(QStringLiteral("Mnu_Code"))->isChecked();
}

void HoteQt::OuvreAide() { fenetre_.Mnu_Aide25_Click(); }

namespace {

QString ChampDessin(int n, const QString& garde) {
  const FrmDessin* d = FrmDessin::Ouvert();
  return d != nullptr ? d->Texte(n)->text() : garde;
}

}  // namespace

QString HoteQt::CouleurDessin() const { return ChampDessin(2, Dessin.CouleurDessin); }
QString HoteQt::CouleurFondDessin() const { return ChampDessin(4, Dessin.CouleurFondDessin); }
QString HoteQt::EpaisseurDessin() const { return ChampDessin(3, Dessin.EpaisDessin); }

HoteEditeurQt::HoteEditeurQt() : precedent_(&HoteEditeurCourant()) { DefinitHoteEditeur(this); }

HoteEditeurQt::~HoteEditeurQt() {
  if (&HoteEditeurCourant() == this) DefinitHoteEditeur(precedent_);
}

int HoteEditeurQt::NumLangue() const { return ::NumLangue; }
int HoteEditeurQt::BaseLangue() const { return ::BaseLangue; }
int HoteEditeurQt::BaseLangueMenu() const { return ::BaseLangueMenu; }
int HoteEditeurQt::NumLangueMasq() const { return ::NumLangueMasq; }
int HoteEditeurQt::BaseLangueMasq() const { return ::BaseLangueMasq; }

bool HoteEditeurQt::OuvreAideMenu(const QString& repProgramme, int sujet) {
  return CHelp::Show(NomAideMenu(), repProgramme, sujet);
}
