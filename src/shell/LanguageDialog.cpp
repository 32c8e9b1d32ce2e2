#include "shell/LanguageDialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/FileLookup.h"
#include "platform/FileWriter.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"
#include "shell/Config.h"
#include "shell/Help.h"
#include "shell/Languages.h"
#include "shell/MainWindow.h"
#include "shell/Menus.h"
#include "shell/Startup.h"

namespace {

constexpr int kTailleBloc = 400;
const QString kNonDisponible = QStringLiteral("Not available");

MontreLangues montreCourant;

int Base(int langue) { return (langue - 1) * kTailleBloc; }

}  // namespace

ModeleLangues::ModeleLangues(QString repProgramme) : repProgramme_(std::move(repProgramme)) {}

QString ModeleLangues::Nom(int langue) const { return NomLangue(langue); }

QString ModeleLangues::Note(int groupe, int langue) const {
  switch (groupe) {
    case 1:
      return TexteRes(Base(langue) + 6);
    case 2:
      return TexteRes(Base(langue) + 9);
    case 3:
      return TexteRes(Base(langue) + 7);
    default:
      return langue <= 3 ? QStringLiteral("F2") : QString();
  }
}

bool ModeleLangues::Actif(int groupe, int langue) const {
  if (groupe < 1 || groupe > Groupes || langue < 1 || langue > nombre_) return false;
  return actif_[groupe][langue];
}

int ModeleLangues::Choix(int groupe) const { return groupe >= 1 && groupe <= Groupes ? choix_[groupe] : 0; }

void ModeleLangues::Charge() {
  if (NumLangue == 0) DefinitLangue(1);
  if (NumLangueAide == 0) DefinitLangueAide(1);
  if (NumLangueMenu == 0) DefinitLangueMenu(1);
  nombre_ = NombreLangues();
  for (int i = 1; i <= nombre_; ++i) {
    actif_[1][i] = Note(1, i) != kNonDisponible;
    actif_[2][i] = Note(2, i) != kNonDisponible;
    actif_[3][i] =
        !TrouveFichierAide(QStringLiteral("Morvo_") + CodeLangue(i) + QStringLiteral(".chm"), repProgramme_)
             .isEmpty();
    actif_[4][i] = i <= 3;
  }
  initEnCours_ = true;
  Selectionne(1, NumLangue);
  Selectionne(2, NumLangueMenu);
  Selectionne(3, NumLangueAide);
  if (NumLangueMasq == 0) DefinitLangueMasq(1);
  Selectionne(4, NumLangueMasq);
  initEnCours_ = false;
}

void ModeleLangues::Clique(int groupe, int langue) {
  if (!Actif(groupe, langue)) return;
  Selectionne(groupe, langue);
}

// Selecting an option that is not yet selected runs its click rule, as a click does.
void ModeleLangues::Selectionne(int groupe, int langue) {
  if (groupe < 1 || groupe > Groupes || langue < 1 || langue > LanguesMax) return;
  if (choix_[groupe] == langue) return;
  choix_[groupe] = langue;
  if (!initEnCours_) Applique(groupe, langue);
}

void ModeleLangues::Applique(int groupe, int langue) {
  switch (groupe) {
    case 1:
      // A language without masks keeps French masks.
      Selectionne(4, 1);
      DefinitLangue(langue);
      if (Actif(2, langue)) Selectionne(2, langue);
      if (Actif(3, langue)) Selectionne(3, langue);
      if (Actif(4, langue)) Selectionne(4, langue);
      break;
    case 2:
      DefinitLangueMenu(langue);
      if (Actif(3, langue)) Selectionne(3, langue);
      if (Actif(4, langue)) Selectionne(4, langue);
      break;
    case 3:
      DefinitLangueAide(langue);
      break;
    default:
      DefinitLangueMasq(langue);
      break;
  }
}

void ModeleLangues::Valide() {
  EcritLangues();
  FichierAideAppli =
      QDir(repProgramme_)
          .filePath(QStringLiteral("Morvo_") + TexteRes(BaseLangueMasq + 8) + QStringLiteral(".chm"));
  CopieModeleLangue(repProgramme_, TexteRes(BaseLangue + 8));
}

bool CopieModeleLangue(const QString& repProgramme, const QString& code) {
  const QString nom = QStringLiteral("Morvo_") + code + QStringLiteral(".DaN");
  QString source = TrouveSansCasse(repProgramme, nom);
  if (DossierVirtualise) {
    const QString copie = TrouveSansCasse(RepConfig, nom);
    if (!copie.isEmpty()) source = copie;
  }
  if (source.isEmpty() || RepConfig.isEmpty()) return false;
  const std::optional<QByteArray> contenu = LitOctetsFichier(source);
  if (!contenu || QString::fromUtf8(*contenu).size() <= 5) return false;
  const QString cible = QDir(RepConfig).filePath(QStringLiteral("Morvo.DaN"));
  // Another spelling of the same name would be found first by the template lookup; it goes once
  // the copy is whole.
  const QString ancienne = TrouveSansCasse(RepConfig, QStringLiteral("Morvo.DaN"));
  if (!EcritFichier(cible, *contenu)) return false;
  if (!ancienne.isEmpty() && ancienne != cible) QFile::remove(ancienne);
  return true;
}

// ---- the window ----

Form3::Form3(ModeleLangues& modele, QWidget* parent) : QDialog(parent), modele_(modele) {
  setWindowTitle(QStringLiteral(" Morvo Language"));
  setWindowFlag(Qt::WindowStaysOnTopHint);
  setModal(true);
  auto* colonne = new QVBoxLayout(this);
  colonne->addWidget(new QLabel(QStringLiteral("  Choix de la langue - Language choice"), this));

  const QString titres[] = {QStringLiteral("Programme - Program\nMessages, F2"),
                            QStringLiteral("Menus - Menus"), QStringLiteral("F1 - Aide - Help"),
                            QStringLiteral("Masque de saisie- Input mask F2")};
  // Entries 800 twips apart: 800 / 1440 inch.
  const int ecart = logicalDpiY() * 800 / 1440;
  auto* cadres = new QHBoxLayout;
  for (int g = 1; g <= ModeleLangues::Groupes; ++g) {
    auto* pile = new QVBoxLayout;
    pile->addWidget(new QLabel(titres[g - 1], this));
    auto* cadre = new QGroupBox(this);
    auto* grille = new QGridLayout(cadre);
    groupes_[g] = new QButtonGroup(this);
    for (int i = 1; i <= modele_.Nombre(); ++i) {
      auto* option = new QRadioButton(modele_.Nom(i), cadre);
      option->setEnabled(modele_.Actif(g, i));
      groupes_[g]->addButton(option, i);
      grille->addWidget(option, i - 1, 0);
      grille->addWidget(new QLabel(modele_.Note(g, i), cadre), i - 1, 1);
      grille->setRowMinimumHeight(i - 1, ecart);
    }
    connect(groupes_[g], &QButtonGroup::idClicked, this, [this, g](int i) {
      modele_.Clique(g, i);
      Montre();
    });
    pile->addWidget(cadre);
    cadres->addLayout(pile);
  }
  colonne->addLayout(cadres);
  auto* command1 = new QPushButton(QStringLiteral("&Valider - OK"), this);
  command1->setDefault(true);
  connect(command1, &QPushButton::clicked, this, &QDialog::accept);
  colonne->addWidget(command1, 0, Qt::AlignHCenter);
  Montre();
  // A close request of the main window (the session ending) closes the dialog as its close box.
  if (parent) parent->window()->installEventFilter(this);
}

QRadioButton* Form3::Option(int groupe, int langue) const {
  if (groupe < 1 || groupe > ModeleLangues::Groupes) return nullptr;
  return qobject_cast<QRadioButton*>(groupes_[groupe]->button(langue));
}

void Form3::Montre() {
  for (int g = 1; g <= ModeleLangues::Groupes; ++g) {
    for (QAbstractButton* b : groupes_[g]->buttons()) {
      const QSignalBlocker bloque(b);
      b->setChecked(groupes_[g]->id(b) == modele_.Choix(g));
    }
  }
}

bool Form3::eventFilter(QObject* cible, QEvent* evenement) {
  if (evenement->type() == QEvent::Close && isVisible()) reject();
  return QDialog::eventFilter(cible, evenement);
}

void DefinitDialogueLangues(MontreLangues montre) { montreCourant = std::move(montre); }

bool MontreDialogueLangues(ModeleLangues& modele, QWidget* parent) {
  if (montreCourant) return montreCourant(modele, parent);
  if (dynamic_cast<ScriptedPrompter*>(&Dialogues()) != nullptr) return true;
  // Start-up shows the hourglass; the dialog takes the default pointer.
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  Form3 dialogue(modele, parent);
  const bool ok = dialogue.exec() == QDialog::Accepted;
  QApplication::restoreOverrideCursor();
  return ok;
}

// ---- the Options menu entry of the main window ----

void FenetrePrincipale::Mnu_Langue_Click() {
  ModeleLangues modele(repProgramme_);
  modele.Charge();
  if (MontreDialogueLangues(modele, this)) {
    modele.Valide();
    menus_->RegleEntreesAide(false, repProgramme_);
  }
  AfficheMenus();
}
