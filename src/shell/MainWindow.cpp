#include "shell/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "drawing/DrawState.h"
#include "editor/CommandDialog.h"
#include "editor/ContextHelp.h"
#include "editor/EditorInsertions.h"
#include "editor/FindDialog.h"
#include "editor/ProgramEditor.h"
#include "editor/SyntaxHints.h"
#include "editor/UndoRing.h"
#include "interpreter/Interpreter.h"
#include "platform/Events.h"
#include "platform/FileNames.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompter.h"
#include "platform/QtEvents.h"
#include "platform/QtScreenFit.h"
#include "platform/StringTable.h"
#include "shell/Config.h"
#include "shell/DrawingView.h"
#include "shell/Languages.h"
#include "shell/Menus.h"
#include "shell/MouseCoordinates.h"
#include "shell/MouseDrawing.h"
#include "shell/Options.h"
#include "shell/Printing.h"
#include "shell/ProgramFiles.h"
#include "shell/QtHost.h"
#include "shell/Shutdown.h"
#include "shell/Startup.h"
#include "shell/TermsDialog.h"

using namespace legacy;

float FacteurCode = FacteurCodeDefaut;

namespace {

QLineEdit* BoiteStatut(QWidget* parent) {
  auto* boite = new QLineEdit(parent);
  boite->setReadOnly(true);
  boite->setFocusPolicy(Qt::NoFocus);
  boite->setAlignment(Qt::AlignRight);
  boite->setFrame(false);
  boite->setTextMargins(1, 0, 1, 0);
  return boite;
}

}  // namespace

FenetrePrincipale::FenetrePrincipale(QWidget* parent) : QMainWindow(parent) {
  vue_ = new VueDessin(this);
  setCentralWidget(vue_);
  editeur_ = new EditeurProgramme(vue_);
  text1_ = BoiteStatut(vue_);
  text2_ = BoiteStatut(vue_);
  text3_ = BoiteStatut(vue_);
  text4_ = BoiteStatut(vue_);
  menus_ = std::make_unique<MenusPrincipaux>(menuBar());
  hote_ = std::make_unique<HoteQt>(*this);
  hote_->MontreEtatMenus();
  repProgramme_ = QCoreApplication::applicationDirPath();
  setWindowTitle(TitreVersion());
  // No dialog opens beyond the screen's edge, however small or scaled the screen.
  AjusteDialoguesAEcran();

  connect(vue_, &VueDessin::Redimensionnee, this, &FenetrePrincipale::Form_Resize);
  connect(editeur_, &EditeurProgramme::ligneChange, text1_, &QLineEdit::setText);
  ConnecteMenus();
  RelieSouris();
  ConnecteEdition();
  TailleCarStatut(static_cast<float>(editeur_->font().pointSizeF()));
  AfficheMenus();

  QCoreApplication::instance()->installEventFilter(this);
  InstalleEvenementsQt(
      [this] {
        if (hote_->EnCours()) vue_->MontreTrace();
      },
      [this] { return hote_->EnCours(); });
  // The first size shows an example dial of an A4 landscape page whole (examples/voltmeter.dat),
  // beside the code pane and clear of the status boxes: a drawing part of 240 x 185 mm at the view's
  // 96 pixels an inch. On a smaller screen it is cut at the first show (DansEcran).
  const double pixelsParMm = 96.0 / 25.4;
  const int largeurVue =
      static_cast<int>(std::ceil(240.0 * pixelsParMm * FacteurCodeDefaut / (FacteurCodeDefaut - 1.0f)));
  const int hauteurVue = static_cast<int>(std::ceil(185.0 * pixelsParMm));
  resize(largeurVue, hauteurVue + menuBar()->sizeHint().height());
}

void FenetrePrincipale::setVisible(bool visible) {
  if (visible && !montree_) {
    montree_ = true;
    // The window manager neither shrinks a first window larger than the screen nor one of a size
    // held from before: the editor and the status boxes would lie beyond its edges.
    create();
    DansEcran(false);
    QMainWindow::setVisible(true);
    DansEcran(true);
    return;
  }
  QMainWindow::setVisible(visible);
}

void FenetrePrincipale::moveEvent(QMoveEvent* evenement) {
  QMainWindow::moveEvent(evenement);
  // The frame's size is known once the window manager has framed the window, which moves it.
  if (cadreAVerifier_) DansEcran(true);
}

void FenetrePrincipale::DansEcran(bool montree) {
  const QWindow* fenetre = windowHandle();
  const QScreen* ecran = fenetre != nullptr ? fenetre->screen() : screen();
  if (ecran == nullptr || isMaximized() || isFullScreen()) return;
  const QRect zone = ecran->availableGeometry();
  QMargins cadre = fenetre != nullptr ? fenetre->frameMargins() : QMargins();
  cadreAVerifier_ = cadre.isNull();
  if (cadre.isNull()) {
    if (montree) return;
    // Until the window manager has framed the window: a title bar and a border of the usual sizes.
    const int bord = std::max(2, style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
    const int titre = std::max(style()->pixelMetric(QStyle::PM_TitleBarHeight), 2 * fontMetrics().height());
    cadre = QMargins(bord, titre + bord, bord, bord);
  }
  // The drawing gives up its height first: the menu bar and the status boxes keep theirs.
  const QSize place = zone.size().shrunkBy(cadre);
  if (place.isEmpty()) return;
  if (width() > place.width() || height() > place.height()) resize(size().boundedTo(place));
  if (!montree) return;
  const QRect r = frameGeometry();
  if (zone.contains(r)) return;
  const int x = std::clamp(r.x(), zone.left(), std::max(zone.left(), zone.right() + 1 - r.width()));
  const int y = std::clamp(r.y(), zone.top(), std::max(zone.top(), zone.bottom() + 1 - r.height()));
  move(x, y);
}

FenetrePrincipale::~FenetrePrincipale() {
  QCoreApplication::instance()->removeEventFilter(this);
  RetireEvenementsQt();
  hote_.reset();
}

QAction* FenetrePrincipale::Action(const QString& nom) const { return menus_->Action(nom); }

void FenetrePrincipale::ConnecteMenus() {
  auto relie = [this](const char* nom, auto&& commande) {
    connect(Action(QString::fromUtf8(nom)), &QAction::triggered, this, commande);
  };
  relie("Mnu_Ouvrir", [this] { Mnu_Ouvrir_Click(); });
  relie("Mnu_Nouveau", [this] { Mnu_Nouveau_Click(); });
  relie("Mnu_EnregistrerS", [this] { Mnu_EnregistrerS_Click(); });
  relie("Mnu_Enregistrer", [this] { Mnu_Enregistrer_Click(); });
  relie("Mnu_Imprimante", [this] { Mnu_Imprimante_Click(); });
  relie("Mnu_Imprimer", [this] { Mnu_Imprimer_Click(); });
  relie("Mnu_ImprimerZoom", [this] { Mnu_ImprimerZoom_Click(); });
  relie("Mnu_ImprimerCode", [this] { Mnu_ImprimerCode_Click(); });
  relie("Mnu_OuvrirMeter", [this] { Mnu_OuvrirMeter_Click(); });
  relie("Mnu_Setup", [this] { Mnu_Setup_Click(); });
  relie("Mnu_Quitter", [this] { Mnu_Quitter_Click(); });
  relie("Mnu_Visualiser", [this] { Mnu_Visualiser_Click(); });
  // The entry is checkable: Qt has already inverted its mark.
  relie("Mnu_Code", [this] { MontreCode(); });
  relie("Mnu_AgrandirCode", [this] { Mnu_AgrandirCode_Click(); });
  relie("Mnu_IniCode", [this] { Mnu_IniCode_Click(); });
  relie("Mnu_DblClick", [this] { Mnu_DblClick_Click(); });
  const auto shift = [] { return BitsModificateurs(QGuiApplication::queryKeyboardModifiers()); };
  relie("Mnu_Zoom", [this, shift] { Mnu_Zoom_Click(shift()); });
  relie("Mnu_RefCurseur", [this, shift] { Mnu_RefCurseur_Click(shift()); });
  relie("Mnu_CentreCurseur", [this] { CentreCurseur(); });
  // The Edit entries type their key into the focused editor, so that its own key handling runs.
  relie("Mnu_Couper", [this] { editeur_->EnvoieTouche(Qt::Key_X, Qt::ControlModifier); });
  relie("Mnu_Copier", [this] { editeur_->EnvoieTouche(Qt::Key_C, Qt::ControlModifier); });
  relie("Mnu_Coller", [this] { editeur_->EnvoieTouche(Qt::Key_V, Qt::ControlModifier); });
  relie("Mnu_Selectionner", [this] { editeur_->EnvoieTouche(Qt::Key_A, Qt::ControlModifier); });
  relie("Mnu_Supprimer", [this] { editeur_->EnvoieTouche(Qt::Key_Delete); });
  // The editor's right-click menu holds these same entries.
  for (const char* nom : {"Mnu_Defaire", "Mnu_Refaire", "", "Mnu_Couper", "Mnu_Copier", "Mnu_Coller",
                          "Mnu_Supprimer", "", "Mnu_Selectionner"})
    editeur_->ActionsMenuContextuel << (*nom ? Action(QString::fromUtf8(nom)) : nullptr);

  relie("Mnu_Masque", [this] { Mnu_Masque_Click(*editeur_, *annulation_, this); });
  relie("Mnu_Dessin", [this] { Mnu_Dessin_Click(*this); });
  relie("Mnu_Patchs", [] { Mnu_Patchs_Click(); });
  relie("Mnu_Langue", [this] { Mnu_Langue_Click(); });
  relie("Mnu_Aide25", [this] { Mnu_Aide25_Click(); });
  relie("Mnu_Aide", [this] { Mnu_Aide_Click(); });
  relie("Mnu_ResumeSyntaxes", [this] { Mnu_ResumeSyntaxes_Click(); });
  relie("Mnu_MAJ_Aide", [this] { Mnu_MAJ_Aide_Click(); });
  relie("Mnu_Conditions", [this] { Mnu_Conditions_Click(); });
  relie("Mnu_AProposDe", [this] { Mnu_AProposDe_Click(); });
  relie("Mnu_Non_Doc", [this] { Mnu_Non_Doc_Click(); });
  relie("Mnu_AideMot", [this] { Mnu_AideMot_Click(); });
  relie("Mnu_SyntaxeLigne", [this] { Mnu_SyntaxeLigne_Click(); });
  editeur_->ResumeSyntaxes = [this] { Mnu_ResumeSyntaxes_Click(); };
  editeur_->AideLigne = [this] { AideLigne(*editeur_, *this); };
  editeur_->CacheAideLigne = [this] { CacheAideLigne(*this); };
  editeur_->Masque = [this] { Mnu_Masque_Click(*editeur_, *annulation_, this); };
}

void FenetrePrincipale::NonDisponible(QAction* action) {
  NonDisponible(action ? MenusPrincipaux::TexteSimple(action->text()) : QString());
}

void FenetrePrincipale::NonDisponible(const QString& nom) {
  Dialogues().MsgBox(nom + QStringLiteral(" : pas encore disponible / not available yet / "
                                          "noch nicht verfügbar / todavía no disponible"),
                     Boutons::Ok, QString());
}

void FenetrePrincipale::Titre(const QString& nomFichier) {
  nomTitre_ = nomFichier;
  titreAvecFichier_ = true;
  setWindowTitle(TitreFichier(nomFichier));
}

void FenetrePrincipale::DebutAttente() {
  hote_->DebutRun();
  QCoreApplication::processEvents();
}

void FenetrePrincipale::FinAttente() {
  hote_->FinRun();
  // The run inside the command could not give the editor the focus while the window took no
  // input: it gets it now, as after F4.
  if (!hote_->EnCours() && hote_->MnuCodeCoche) editeur_->setFocus();
}

// ---- layout ----

void FenetrePrincipale::Form_Resize() {
  if (isMinimized()) return;
  const int largeur = vue_->width();
  const int hauteur = vue_->height();
  if (largeur <= 0 || hauteur <= 0) return;
  const int largeurCode = static_cast<int>(largeur / FacteurCode);
  editeur_->setGeometry(largeur - largeurCode, 0, largeurCode, hauteur);
  // The view keeps the drawing's scale through its own size changes (the mouse reads the program's
  // units, y up); laying the controls out leaves it alone.
  PlaceBoitesStatut(editeur_->isVisible() || Action(QStringLiteral("Mnu_Code"))->isChecked()
                        ? largeur - largeurCode
                        : largeur,
                    hauteur);
}

void FenetrePrincipale::TailleCarStatut(float taille) {
  if (taille <= 0) return;
  tailleStatut_ = taille;
  Form_Resize();
}

void FenetrePrincipale::PlaceBoitesStatut(int droite, int hauteur) {
  // Each box is as wide as the longest text it shows (its widget has 6 pixels of margins), in
  // pixels whatever the drawing's zoom; the zoom only says how many decimals the mouse position
  // shows.
  const double zoom = Shell.ZoomCourant > 0 ? Shell.ZoomCourant : 1.0;
  QString nombre = QStringLiteral("-999.9");
  if (zoom < 0.5)
    nombre = QStringLiteral("-999");
  else if (zoom >= 5)
    nombre = QStringLiteral("-999.99");
  const std::pair<QLineEdit*, QString> boites[] = {{text1_, QStringLiteral("L 9999/9999")},
                                                   {text2_, nombre + QStringLiteral("  ") + nombre},
                                                   {text3_, QStringLiteral("T -888.8°  9999.9")},
                                                   {text4_, TexteAnnulations(88, 88, 88)}};
  // When the four do not fit beside the editor at the code's font size, their font shrinks until
  // they do.
  QFont police = text1_->font();
  double taille = tailleStatut_ > 0 ? tailleStatut_ : police.pointSizeF();
  std::vector<int> largeurs;
  for (int essai = 0; essai < 8; ++essai) {
    police.setPointSizeF(taille);
    const QFontMetricsF mesure(police);
    largeurs.clear();
    int total = 0;
    for (const auto& boite : boites) {
      largeurs.push_back(static_cast<int>(std::ceil(mesure.horizontalAdvance(boite.second))) + 6);
      total += largeurs.back();
    }
    if (total <= droite || taille <= 4) break;
    taille = std::max(4.0, std::floor(taille * droite / total * 10) / 10);
  }
  const int hauteurBoite = static_cast<int>(std::ceil(QFontMetricsF(police).height())) + 2;
  int gauche = droite;
  for (size_t i = 0; i < std::size(boites); ++i) {
    QLineEdit* boite = boites[i].first;
    boite->setFont(police);
    boite->resize(largeurs[i], hauteurBoite);
    gauche -= boite->width();
    boite->move(gauche, hauteur - boite->height());
  }
}

void FenetrePrincipale::Mnu_AgrandirCode_Click() {
  if (static_cast<float>(editeur_->width() * 1.3) < static_cast<float>(vue_->width())) {
    FacteurCode = FacteurCode / 1.2f;
    Form_Resize();
  }
}

void FenetrePrincipale::Mnu_Code_Click() {
  QAction* code = Action(QStringLiteral("Mnu_Code"));
  code->setChecked(!code->isChecked());
  MontreCode();
}

void FenetrePrincipale::MontreCode() {
  const bool visible = Action(QStringLiteral("Mnu_Code"))->isChecked();
  // The keyboard leaves a hidden editor for the drawing: Qt would keep the focus on it.
  if (!visible && focusWidget() == editeur_) vue_->setFocus();
  for (QWidget* w : std::initializer_list<QWidget*>{editeur_, text1_, text2_, text3_}) w->setVisible(visible);
  hote_->MnuCodeCoche = visible;
  Form_Resize();
  if (visible) editeur_->setFocus();
}

void FenetrePrincipale::Mnu_DblClick_Click() {
  // The entry is checkable: Qt has already inverted its mark.
  DoubleClic = Action(QStringLiteral("Mnu_DblClick"))->isChecked();
}

void FenetrePrincipale::AfficheMenus() {
  ChargeTraductionsQt();
  menus_->AfficheMenus();
  if (recherche_) recherche_->AfficheLegendes();
  // The caption's "File:" word is in the message language.
  if (titreAvecFichier_) setWindowTitle(TitreFichier(nomTitre_));
  text1_->setToolTip(TexteMsg(130));
  text2_->setToolTip(TexteMsg(131));
  text3_->setToolTip(TexteMsg(132));
}

// ---- start-up ----

bool FenetrePrincipale::Demarre(const QStringList& arguments, const QString& repProgramme) {
  if (!repProgramme.isEmpty()) repProgramme_ = repProgramme;
  // No input until the first run has ended.
  hote_->DebutRun();
  // The printer is made when it is first needed; the PDF printer is always there.
  MesureImprimante();
  Shell.MmParPixelEcran = static_cast<float>(vue_->MmParPixel());
  if (FacteurCode == 0) FacteurCode = FacteurCodeDefaut;
  Shell.RapportEcranImp = Shell.MmParPixelEcran / Shell.MmParPixelImp;

  DialoguesDebut dialogues;
  dialogues.Langues = [this] { Mnu_Langue_Click(); };
  dialogues.Conditions = [this] { return DemandeConditions([this] { Mnu_Conditions_Click(); }, this); };
  dialogues.AideConditions = [this] { Mnu_Conditions_Click(); };
  const ResultatDebut debut = Debut(arguments, repProgramme_, &dialogues);
  if (debut.Refus) {
    hote_->FinRun();
    return false;
  }
  Action(QStringLiteral("Mnu_DblClick"))->setChecked(DoubleClic);
  // The print system is not asked yet: the kept printer is the printer's name until then.
  if (!ImprimanteChoisie.isEmpty()) NomImprimante = ImprimanteChoisie;
  AfficheMenus();
  if (TailleCarCode > 0) {
    QFont police = editeur_->font();
    police.setPointSizeF(TailleCarCode);
    editeur_->setFont(police);
    TailleCarStatut(TailleCarCode);
  }
  setWindowTitle(debut.Titre);
  if (!debut.NomNonUtf8.isEmpty())
    Dialogues().MsgBox(TexteMsg(196).arg(NomLisible(debut.NomNonUtf8)), Boutons::Ok, QStringLiteral("Morvo"),
                       Icone::Exclamation);
  Shell.NomFichier = debut.NomFichier;
  if (debut.Charger && LitFic(debut.NomFichier)) {
    FichierCourant = debut.NomFichier;
  } else {
    Mnu_Ouvrir_Click();
  }
  Titre(Shell.NomFichier);
  editeur_->DefinitModifie(false);

  premierRunFait_ = true;
  ExecuteProgramme();
  hote_->FinRun();
  // The run could not give the editor the focus while start-up held the window without input.
  if (hote_->MnuCodeCoche) editeur_->setFocus();
  // After the entries that start-up held disabled are back as they were.
  menus_->RegleEntreesAide(true, repProgramme_);
  return true;
}

void FenetrePrincipale::ReprendImprimanteChoisie() {
  if (ImprimanteChoisie.isEmpty() || ImprimanteChoisie == NomImprimante) return;
  if (ReprendImprimante(ImprimanteChoisie)) {
    MesureImprimante();
    Shell.RapportEcranImp = Shell.MmParPixelEcran / Shell.MmParPixelImp;
    return;
  }
  Dialogues().MsgBox(QStringLiteral("Imprimante introuvable [Printer not found]\r\n\r\n%1\r\n-> %2")
                         .arg(ImprimanteChoisie, NomImprimante),
                     Boutons::Ok, QString(), Icone::Exclamation);
}

// ---- run, keys, closing ----

void FenetrePrincipale::Mnu_Visualiser_Click() {
  premierRunFait_ = true;
  // The program's names are found where its file lies now (a link retargeted since it was opened),
  // as its writes are judged.
  DevientDossierCourant();
  ExecuteProgramme();
}

void FenetrePrincipale::Mnu_Quitter_Click() { close(); }

void FenetrePrincipale::FermeParSignal() {
  sansQuestion_ = signalRecu_;
  signalRecu_ = true;
  ++demandesFin_;
  FermeDialogues();
  // From the loop that runs next, once the dialogs' callers have gone on.
  QTimer::singleShot(0, this, [this] { close(); });
}

void FenetrePrincipale::FermeDialogues() {
  // Each dialog's own loop ends once this returns; what opened it goes on as after Cancel.
  for (int i = 0; i < 50; ++i) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) break;
    if (auto* dialogue = qobject_cast<QDialog*>(modal))
      dialogue->reject();
    else
      modal->close();
  }
}

bool FenetrePrincipale::Form_KeyDown(int touche, Qt::KeyboardModifiers modificateurs) {
  const Qt::KeyboardModifiers etat =
      modificateurs & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  switch (touche) {
    case Qt::Key_F4:
      if (etat == Qt::NoModifier)
        Mnu_Visualiser_Click();
      else if (etat == Qt::AltModifier)
        Mnu_Quitter_Click();
      return true;
    case Qt::Key_F6:
    case Qt::Key_F12:
      Positionner(BitsModificateurs(etat));
      return true;
    case Qt::Key_F7:
      Mnu_Zoom_Click(BitsModificateurs(etat));
      return true;
    case Qt::Key_F8:
      Mnu_RefCurseur_Click(BitsModificateurs(etat));
      return true;
    case Qt::Key_F9:
      if (hote_->MnuDessinActif) Mnu_Dessin_Click(*this);
      return true;
    case Qt::Key_S:
      if (etat != (Qt::ShiftModifier | Qt::ControlModifier)) return false;
      Mnu_Enregistrer_Click();
      return true;
    case Qt::Key_P:
      if (etat != (Qt::ShiftModifier | Qt::ControlModifier)) return false;
      Mnu_ImprimerZoom_Click();
      return true;
    case Qt::Key_Semicolon:
      // Key code 59: during a live mouse drawing it belongs to the drawing, not to the editor.
      if (!Dessin.ModeDessin) return false;
      Dialogues().MsgBox(QStringLiteral("KeyCode = 59"), Boutons::Ok, QString());
      if (FrmDessin* dessin = FrmDessin::Ouvert()) dessin->RendFocus();
      return true;
    default:
      return false;
  }
}

bool FenetrePrincipale::eventFilter(QObject* cible, QEvent* evenement) {
  if (evenement->type() == QEvent::KeyPress && QApplication::activeModalWidget() == nullptr) {
    auto* widget = qobject_cast<QWidget*>(cible);
    if (widget && widget->window() == this) {
      auto* touche = static_cast<QKeyEvent*>(evenement);
      if (Form_KeyDown(touche->key(), touche->modifiers())) return true;
    }
  }
  return QMainWindow::eventFilter(cible, evenement);
}

void FenetrePrincipale::closeEvent(QCloseEvent* evenement) {
  if (hote_->EnCours()) {
    // A run or a print goes on: stop it and close when it has ended.
    Arret = true;
    if (!fermetureDemandee_) {
      fermetureDemandee_ = true;
      QTimer::singleShot(50, this, [this] {
        fermetureDemandee_ = false;
        // A termination request also cancels the dialogs the run (or start-up) opened since.
        if (signalRecu_) FermeDialogues();
        close();
      });
    }
    evenement->ignore();
    return;
  }
  EtatFermeture etat;
  etat.TexteVide = editeur_->Modele().Text().isEmpty();
  etat.Modifie = editeur_->Modifie();
  etat.FichierCourant = FichierCourant;
  etat.DoubleClic = Action(QStringLiteral("Mnu_DblClick"))->isChecked();
  etat.JournalDessin = DansDossierCourant(NomJournalDessin);
  etat.DessinNonSauve = Dessin.DessinDemarre;
  etat.ParSignal = signalRecu_;
  if (sansQuestion_) etat.Modifie = etat.DessinNonSauve = false;
  // A termination request is answered once its question is: Yes (while the save runs, its Save As
  // dialog included) and Cancel make the next one a first one again, which asks again; only one
  // that comes while the question is open ends without it.
  const bool parSignal = signalRecu_;
  const int demande = demandesFin_;
  const auto repondue = [this, parSignal, demande] {
    if (parSignal && !sansQuestion_ && demandesFin_ == demande) signalRecu_ = false;
  };
  const auto sauveDessin = [repondue] {
    repondue();
    FrmDessin* dessin = FrmDessin::Ouvert();
    if (dessin == nullptr) return false;
    dessin->Cmd_OK_Click();
    return !Dessin.DessinDemarre;
  };
  const auto sauve = [this, repondue] {
    repondue();
    return Mnu_EnregistrerS_Click();
  };
  if (AccepteFermeture(etat, sauve, sauveDessin))
    evenement->accept();
  else {
    evenement->ignore();
    repondue();
  }
}

// ---- undo, find, insertions and code font size ----

void FenetrePrincipale::ConnecteEdition() {
  annulation_ = std::make_unique<AnneauAnnulation>(*editeur_);
  // A ring restarted by Open or New, under the command's wait, shows its counts once it ends.
  annulation_->ActiveDefaire = [this](bool actif) {
    hote_->RegleEntree(Action(QStringLiteral("Mnu_Defaire")), actif);
  };
  annulation_->ActiveRefaire = [this](bool actif) {
    hote_->RegleEntree(Action(QStringLiteral("Mnu_Refaire")), actif);
  };
  annulation_->Reinitialise();
  recherche_ = new FrmFind(*editeur_, *annulation_, this);

  editeur_->Defaire = [this] { annulation_->Defaire(); };
  editeur_->Refaire = [this] { annulation_->Refaire(); };
  editeur_->RegleAnnulation = [this](int code, int shift) { annulation_->RegleTouche(code, shift); };
  editeur_->TexteCharge = [this] { annulation_->Reinitialise(); };
  editeur_->TexteRecherche = [this] { return recherche_->Text1->text(); };
  editeur_->MontreRecherche = [this](const QString& texte) { recherche_->Montre(texte); };
  editeur_->RechercheSuivante = [this] { recherche_->Suivant_Click(); };
  editeur_->Remplace = [this] { recherche_->Remplacer_Click(); };
  editeur_->CacheRecherche = [this] { recherche_->hide(); };
  editeur_->DesactiveRemplacer = [this] { recherche_->Remplacer->setEnabled(false); };

  const auto relie = [this](const char* nom, auto&& commande) {
    connect(Action(QString::fromUtf8(nom)), &QAction::triggered, this, commande);
  };
  relie("Mnu_Defaire", [this] { Mnu_Defaire_Click(); });
  relie("Mnu_Refaire", [this] { Mnu_Refaire_Click(); });
  relie("Mnu_Rechercher", [this] { Mnu_Rechercher_Click(); });
  relie("Mnu_Couleur", [this] { Mnu_Couleur_Click(); });
  relie("Mnu_Polices", [this] { Mnu_Polices_Click(); });
  relie("Mnu_Liste_Fic", [this] { Mnu_Liste_Fic_Click(); });
  relie("Mnu_TaillCar", [this] { Mnu_TaillCar_Click(); });
}

void FenetrePrincipale::Mnu_Defaire_Click() { annulation_->Defaire(); }

void FenetrePrincipale::Mnu_Refaire_Click() { annulation_->Refaire(); }

void FenetrePrincipale::Mnu_Rechercher_Click() { recherche_->Mnu_Rechercher_Click(); }

void FenetrePrincipale::Mnu_Couleur_Click() { InsereCouleur(*editeur_, *annulation_, NumLangueMasq == 1); }

void FenetrePrincipale::Mnu_Polices_Click() {
  const bool ecran = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
  InserePolice(*editeur_, *annulation_, font(), ecran);
}

void FenetrePrincipale::Mnu_Liste_Fic_Click() {
  const bool plusieurs = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
  InsereFichiers(*editeur_, *annulation_, plusieurs);
}

void FenetrePrincipale::Mnu_TaillCar_Click() {
  const std::optional<float> taille =
      DemandeTailleCarCode(TexteMenu(82), static_cast<float>(editeur_->font().pointSizeF()));
  if (!taille) return;
  QFont police = editeur_->font();
  police.setPointSizeF(*taille);
  editeur_->setFont(police);
  TailleCarCode = *taille;
  EcritConfig(QStringLiteral("TailleCarCode ="), StrNombre(*taille));
  editeur_->ColoreTout();
  TailleCarStatut(*taille);
  // The drawing keeps its millimetre coordinates after the layout change.
  if (Cadrage.LargeurDessin > 0 && Cadrage.HauteurDessin > 0) {
    OutputSurface& surface = vue_->Surface();
    surface.ScaleWidth = Cadrage.LargeurDessin;
    surface.ScaleHeight = -Cadrage.HauteurDessin;
    surface.ScaleLeft = 0;
    surface.ScaleTop = Cadrage.HauteurDessin;
  }
}
