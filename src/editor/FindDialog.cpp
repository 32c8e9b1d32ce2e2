#include "editor/FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <algorithm>

#include "editor/EditorHost.h"
#include "editor/ProgramEditor.h"
#include "editor/UndoRing.h"
#include "platform/EditorText.h"
#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"

using namespace legacy;

namespace {

constexpr int OptionMotEntier = 2;
constexpr int OptionCasse = 4;
constexpr int ToucheF3 = 114;
constexpr int ToucheH = 72;
constexpr int BitCtrl = 2;

bool CaractereDeMot(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

// A caption without its access-key marks ("&&" stays a plain "&").
QString MenuSansAcces(QString texte) {
  texte.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  texte.remove(QLatin1Char('&'));
  texte.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  return texte;
}

}  // namespace

int ChercheTexte(const QString& texte, const QString& cible, int depuis, bool motEntier, bool casse) {
  if (cible.isEmpty() || depuis < 0) return -1;
  const QString dans = casse ? texte : UCase(texte);
  const QString quoi = casse ? cible : UCase(cible);
  for (int p = dans.indexOf(quoi, depuis); p >= 0; p = dans.indexOf(quoi, p + 1)) {
    if (!motEntier) return p;
    const int fin = p + static_cast<int>(quoi.size());
    const bool debutLibre = p == 0 || !CaractereDeMot(dans[p - 1]);
    const bool finLibre = fin >= dans.size() || !CaractereDeMot(dans[fin]);
    if (debutLibre && finLibre) return p;
  }
  return -1;
}

FrmFind::FrmFind(EditeurProgramme& editeur, AnneauAnnulation& annulation, QWidget* parent)
    : QDialog(parent), editeur_(editeur), annulation_(annulation) {
  setWindowFlag(Qt::WindowStaysOnTopHint);
  setModal(false);
  Text1 = new QLineEdit(this);
  Text2 = new QLineEdit(this);
  Check1 = new QCheckBox(this);
  Check2 = new QCheckBox(this);
  Suivant = new QPushButton(this);
  Remplacer = new QPushButton(this);
  Remplacer_Tout = new QPushButton(this);
  Annuler = new QPushButton(this);
  label1_ = new QLabel(this);
  label2_ = new QLabel(this);
  AfficheLegendes();

  auto* grille = new QGridLayout(this);
  grille->addWidget(label1_, 0, 0);
  grille->addWidget(Text1, 0, 1);
  grille->addWidget(Suivant, 0, 2);
  grille->addWidget(label2_, 1, 0);
  grille->addWidget(Text2, 1, 1);
  grille->addWidget(Remplacer, 1, 2);
  grille->addWidget(Check1, 2, 1);
  grille->addWidget(Remplacer_Tout, 2, 2);
  grille->addWidget(Check2, 3, 1);
  grille->addWidget(Annuler, 3, 2);

  for (QPushButton* bouton : {Suivant, Remplacer, Remplacer_Tout, Annuler}) {
    bouton->setAutoDefault(false);
    bouton->setDefault(false);
  }
  // The dialog sees every key before its controls.
  for (QWidget* w : std::initializer_list<QWidget*>{Text1, Text2, Check1, Check2, Suivant, Remplacer,
                                                    Remplacer_Tout, Annuler})
    w->installEventFilter(this);

  connect(Suivant, &QPushButton::clicked, this, [this] { Suivant_Click(); });
  connect(Remplacer, &QPushButton::clicked, this, [this] { Remplacer_Click(); });
  connect(Remplacer_Tout, &QPushButton::clicked, this, [this] { Remplacer_Tout_Click(); });
  connect(Annuler, &QPushButton::clicked, this, &QWidget::hide);
  connect(Text1, &QLineEdit::textChanged, this, [this] { editeur_.NbRecherches = 0; });
  Remplacer->setEnabled(false);
}

void FrmFind::AfficheLegendes() {
  const auto texte = [](int n) { return TexteRes(HoteEditeurCourant().BaseLangueMenu() + n); };
  // The menu entry's caption; a window title has no access key.
  setWindowTitle(MenuSansAcces(texte(28)));
  label1_->setText(texte(29));
  label2_->setText(texte(30));
  Suivant->setText(texte(31) + QStringLiteral(" (F3)"));
  Remplacer->setText(texte(32) + QStringLiteral(" (Ctrl-H)"));
  Remplacer_Tout->setText(texte(33));
  Annuler->setText(texte(34) + QStringLiteral(" (ESC)"));
  Check1->setText(texte(35));
  Check2->setText(texte(36));
}

void FrmFind::Montre(const QString& texte) {
  if (!texte.isEmpty()) Text1->setText(texte);
  show();
  raise();
  activateWindow();
}

void FrmFind::Mnu_Rechercher_Click() {
  if (editeur_.PosTrouve < 0) Remplacer->setEnabled(false);
  const EditeurTexte& modele = editeur_.Modele();
  Montre(modele.SelLength() > 0 ? modele.SelText() : QString());
}

void FrmFind::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  Text1->selectAll();
  Text1->setFocus();
}

bool FrmFind::eventFilter(QObject* cible, QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    auto* touche = static_cast<QKeyEvent*>(e);
    if (Form_KeyDown(touche->key(), touche->modifiers())) return true;
  } else if (e->type() == QEvent::FocusIn && cible == Text1) {
    Text1->selectAll();
  }
  return QDialog::eventFilter(cible, e);
}

void FrmFind::keyPressEvent(QKeyEvent* e) {
  if (Form_KeyDown(e->key(), e->modifiers())) return;
  QDialog::keyPressEvent(e);
}

bool FrmFind::Form_KeyDown(int touche, Qt::KeyboardModifiers modificateurs) {
  const Qt::KeyboardModifiers etat =
      modificateurs & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  switch (touche) {
    case Qt::Key_Escape:
      hide();
      return true;
    case Qt::Key_F3:
      if (!Text1->text().isEmpty()) Suivant_Click();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Suivant_Click();
      return true;
    case Qt::Key_H:
      if (etat != Qt::ControlModifier) return false;
      Remplacer_Click();
      return true;
    default:
      return false;
  }
}

// The keyboard reaches the editor only once the main window is the active one again: focusing the
// editor alone leaves it in this dialog.
void FrmFind::RendFocus() {
  editeur_.activateWindow();
  editeur_.Modele().PrendFocus();
}

EditeurTexte& FrmFind::Modele() const { return modele_ ? *modele_ : editeur_.Modele(); }

QString FrmFind::Cible() const { return FinsDeLigneProgramme(Text1->text()); }

int FrmFind::Trouve(const QString& cible, int depuis) const {
  const bool motEntier = (optionsRecherche_ & OptionMotEntier) != 0;
  const bool casse = (optionsRecherche_ & OptionCasse) != 0;
  const EditeurTexte& modele = editeur_.Modele();
  if (cible.contains(QLatin1Char('\r')) || cible.contains(QLatin1Char('\n')))
    return ChercheTexte(modele.Text(), cible, depuis, motEntier, casse);
  // Line by line from the line of the start: a replace loop searches as many times as it finds,
  // and the whole text is not read for each search. A line break ends every word.
  if (depuis < 0) return -1;
  const int ligne = modele.LigneDePosition(depuis);
  int debutLigne = modele.DebutLigne(ligne);
  int dansLigne = depuis - debutLigne;
  for (QTextBlock bloc = editeur_.document()->findBlockByNumber(ligne); bloc.isValid(); bloc = bloc.next()) {
    const int trouve = ChercheTexte(bloc.text(), cible, dansLigne, motEntier, casse);
    if (trouve >= 0) return debutLigne + trouve;
    debutLigne += bloc.length() - 1 + 2;
    dansLigne = 0;
  }
  return -1;
}

void FrmFind::Chercher() {
  EditeurTexte& modele = Modele();
  const QString cible = Cible();
  if (editeur_.NbRecherches >= 1 && editeur_.PosTrouve >= 0) modele.SetSelStart(reprise_);
  posAvantRecherche_ = modele.SelStart();
  if (editeur_.PosTrouve < 0) modele.SetSelStart(0);
  optionsRecherche_ = (Check1->isChecked() ? OptionMotEntier : 0) + (Check2->isChecked() ? OptionCasse : 0);
  editeur_.PosTrouve = Trouve(cible, modele.SelStart());
  if (editeur_.PosTrouve >= 0) {
    modele.SetSelStart(editeur_.PosTrouve);
    modele.SetSelLength(static_cast<int>(cible.size()));
    reprise_ = editeur_.PosTrouve + static_cast<int>(cible.size());
  }
  // A replace loop gives the focus back once, at its end.
  if (!modele_) RendFocus();
  ++editeur_.NbRecherches;
  if (editeur_.PosTrouve < 0) {
    modele.SetSelStart(posAvantRecherche_);
    Remplacer->setEnabled(false);
  } else {
    Remplacer->setEnabled(true);
  }
}

void FrmFind::Suivant_Click() {
  Chercher();
  editeur_.DerniereTouche = ToucheF3;
  editeur_.DernierShift = 0;
}

void FrmFind::Remplacer_Click() {
  if (editeur_.PosTrouve < 0) return;
  EditeurTexte& modele = editeur_.Modele();
  // A click or a new search text since the find: the selection no longer holds what was found,
  // and replacing it would write into the text at the caret. Find again instead.
  if (modele.SelStart() != editeur_.PosTrouve || modele.SelLength() != Cible().size()) {
    Suivant_Click();
    return;
  }
  const int debut = modele.SelStart();
  modele.SuiviModif = true;
  modele.SetSelText(Text2->text());
  // The replacement may hold line breaks: all its lines are recoloured.
  const int premiere = modele.LigneDePosition(debut);
  const int derniere = modele.LigneDePosition(modele.SelStart());
  // The change handler marked the whole statement: keep all of it in the recolouring.
  if (editeur_.ARecolorer())
    editeur_.DefinitInstruction(std::min(premiere, editeur_.DebutInstr()),
                                std::max(derniere, editeur_.FinInstr()));
  else
    editeur_.DefinitInstruction(premiere, derniere);
  editeur_.ColoreInstruction();
  modele.SuiviModif = true;
  reprise_ = modele.SelStart();

  if (!(editeur_.DerniereTouche == ToucheH && (editeur_.DernierShift & BitCtrl)))
    annulation_.NouvelEmplacement();
  annulation_.SauveAnnuler();
  editeur_.DefinitModifie(true);
  editeur_.DerniereTouche = ToucheH;
  editeur_.DernierShift = BitCtrl;
  Chercher();
}

void FrmFind::RemplaceSansSuivi() {
  EditeurTexte& suivi = editeur_.Modele();
  const int debut = Modele().SelStart();
  suivi.SuiviModif = false;
  Modele().SetSelText(Text2->text());
  // The loop goes forward: the lines noted stay where they are until it ends, whatever line
  // breaks a replacement holds.
  const std::pair<int, int> lignes{Modele().LigneDePosition(debut),
                                   Modele().LigneDePosition(Modele().SelStart())};
  if (lignesChangees_.empty() || lignesChangees_.back() != lignes) lignesChangees_.push_back(lignes);
  suivi.SuiviModif = true;
  editeur_.ColoreInstruction();
  suivi.SuiviModif = true;
  reprise_ = Modele().SelStart();
}

// The replace loops work through a model of the document that moves no cursor of the widget,
// inside one edit block: the editor is laid out and scrolled once, at the end, not at each find.
FrmFind::Lot::Lot(FrmFind& dialogue)
    : dialogue_(dialogue), document_(dialogue.editeur_.document()), curseur_(dialogue.editeur_.document()) {
  const EditeurTexte& editeur = dialogue_.editeur_.Modele();
  document_.SetSelStart(editeur.SelStart());
  document_.SetSelLength(editeur.SelLength());
  dialogue_.modele_ = &document_;
  dialogue_.lignesChangees_.clear();
  curseur_.beginEditBlock();
}

FrmFind::Lot::~Lot() {
  // The new words take the colours of what they are, in the same edit, each line once.
  std::vector<std::pair<int, int>>& lignes = dialogue_.lignesChangees_;
  std::sort(lignes.begin(), lignes.end());
  for (size_t i = 0; i < lignes.size();) {
    auto [premiere, derniere] = lignes[i];
    for (++i; i < lignes.size() && lignes[i].first <= derniere + 1; ++i)
      derniere = std::max(derniere, lignes[i].second);
    dialogue_.editeur_.ColoreInstructions(premiere, derniere);
  }
  lignes.clear();
  // The change signal of the block is no edit of the user's.
  EditeurTexte& editeur = dialogue_.editeur_.Modele();
  const bool suivi = editeur.SuiviModif;
  editeur.SuiviModif = false;
  curseur_.endEditBlock();
  editeur.SuiviModif = suivi;
  dialogue_.modele_ = nullptr;
  dialogue_.RendFocus();
}

void FrmFind::Remplacer_Tout_Click() {
  EditeurTexte& modele = editeur_.Modele();
  editeur_.NbRecherches = 0;
  posAvantRemplacement_ = modele.SelStart();
  modele.SetSelStart(0);
  const QString cible = UCase(Text1->text());
  if (Text2->text().isEmpty() && (cible == QLatin1String("*COLORS") || cible == QLatin1String("*COULEURS"))) {
    const bool motEntier = Check1->isChecked();
    Check1->setChecked(true);
    if (cible == QLatin1String("*COLORS"))
      RemplacerListe(QStringLiteral("Blanc,White,Noir,Black,Rouge,Red,Vert,Green,Bleu,Blue,Jaune,Yellow,RVB,"
                                    "RGB,Paysage,Landscape"),
                     QStringLiteral(","));
    else
      RemplacerListe(QStringLiteral("White,Blanc,Black,Noir,Red,Rouge,Green,Vert,Blue,Bleu,Yellow,Jaune,RGB,"
                                    "RVB,Lands,Paysage,Landscape,Paysage"),
                     QStringLiteral(","));
    Check1->setChecked(motEntier);
    return;
  }
  {
    Lot lot(*this);
    Chercher();
    while (editeur_.PosTrouve >= 0) {
      RemplaceSansSuivi();
      Suivant_Click();
    }
  }
  FinRemplacements(editeur_.NbRecherches - 1);
}

void FrmFind::RemplacerListe(const QString& liste, const QString& separateur) {
  const QStringList elements = liste.split(separateur);
  if (elements.size() % 2 != 0) return;
  hide();
  editeur_.setUpdatesEnabled(false);
  int total = 0;
  {
    Lot lot(*this);
    for (int i = 0; i + 1 < elements.size(); i += 2) {
      Text1->setText(elements[i]);
      Text2->setText(elements[i + 1]);
      Chercher();
      while (editeur_.PosTrouve >= 0) {
        RemplaceSansSuivi();
        Suivant_Click();
      }
      total += editeur_.NbRecherches - 1;
    }
  }
  editeur_.setUpdatesEnabled(true);
  Text1->clear();
  Text2->clear();
  FinRemplacements(total);
}

void FrmFind::FinRemplacements(int total) {
  editeur_.Modele().SetSelStart(posAvantRemplacement_);
  annulation_.NouvelEmplacement();
  annulation_.SauveAnnuler();
  editeur_.DefinitModifie(true);
  editeur_.DerniereTouche = 0;
  editeur_.DernierShift = 0;
  Dialogues().MsgBox(QString::number(total) + QStringLiteral(" remplacements"), Boutons::Ok, QString());
}
