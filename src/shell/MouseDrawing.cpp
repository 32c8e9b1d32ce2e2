#include "shell/MouseDrawing.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <cmath>

#include "drawing/DrawState.h"
#include "drawing/Pen.h"
#include "drawing/Segments.h"
#include "interpreter/Interpreter.h"
#include "interpreter/RunReport.h"
#include "platform/Clipboard.h"
#include "platform/FileNames.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/TextFile.h"
#include "shell/DrawingView.h"
#include "shell/MainWindow.h"
#include "shell/Menus.h"
#include "shell/MouseCoordinates.h"
#include "shell/QtHost.h"
#include "shell/Shutdown.h"
#include "shell/ThreeButtonBox.h"
#include "values/Colours.h"
#include "values/Fields.h"

using namespace legacy;

EtatDessinSouris Dessin;

void RazEtatDessinSouris() { Dessin = EtatDessinSouris{}; }

namespace {

const QString CRLF = QStringLiteral("\r\n");
const QString TitreDessin = QStringLiteral("Morvo Dessin");

FrmDessin* dialogueOuvert = nullptr;

// A text of the menu language, or the French text when the table lacks it.
QString TexteDessin(int n, const char* francais) {
  const QString t = TexteMenu(n);
  return t.isEmpty() ? QString::fromUtf8(francais) : t;
}

int Occurrences(const QString& texte, const QString& motif) {
  int n = 0;
  for (int p = InStr(texte, motif); p > 0; p = InStr(p + static_cast<int>(motif.size()), texte, motif)) ++n;
  return n;
}

bool LignePassive(const QString& ligne) {
  const QString t = Trim(ligne);
  if (t.isEmpty() || t.startsWith(u'\'')) return true;
  const QString maj = UCase(t);
  for (const char* mot : {"STOP", "EPAIST", "COULEUR", "BEZIER"})
    if (maj.startsWith(QLatin1String(mot))) return true;
  return false;
}

// The point of a journal line, the reference cursor added back; false when it holds no ";". The
// numbers have the separator of the locale they were written under.
bool LitPoint(const QString& ligne, float refX, float refY, float& x, float& y) {
  const int pv = InStr(ligne, QStringLiteral(";"));
  if (pv == 0) return false;
  x = static_cast<float>(Val(PointDecimal(Left(ligne, pv - 1)))) + refX;
  y = static_cast<float>(Val(PointDecimal(Mid(ligne, pv + 1)))) + refY;
  return true;
}

void Dit(const QString& texte) { Dialogues().MsgBox(texte, Boutons::Ok, TitreDessin); }

// The journal takes lines holding whatever the locale writes in numbers (the Arabic decimal
// separator has no Windows-1252 code).
FormeTexte FormeJournal() { return FormeUtf8Marquee(); }

OutputSurface* SortieEcran() {
  if (Sortie == nullptr && HoteCourant() != nullptr) Sortie = HoteCourant()->Ecran();
  return Sortie;
}

}  // namespace

QString CheminJournalDessin() { return DansDossierCourant(NomJournalDessin); }

QString EnTeteJournalDessin() {
  const QDateTime maintenant = QDateTime::currentDateTime();
  return QStringLiteral("' Fichier de données dessin pour Morvo / Drawing data file for Morvo ") +
         maintenant.toString(QStringLiteral("MM-dd-yyyy HH:mm:ss")) + CRLF;
}

QString FormatDecimales(const QString& texte) {
  const QString t = UCase(Trim(texte));
  if (t == QStringLiteral("0")) return QStringLiteral("0");
  if (t == QStringLiteral("1")) return QStringLiteral("0.0");
  if (t == QStringLiteral("2")) return QStringLiteral("0.00");
  return QStringLiteral("0.0#");
}

bool ModeRelatif(const QString& texte) {
  const QString t = UCase(Trim(texte));
  return t == QStringLiteral("O") || t == QStringLiteral("R") || t == QStringLiteral("Y");
}

QString LignePointDessin(float x, float y) {
  const QString& f = Dessin.FormatCoordDessin;
  return Format(static_cast<double>(x - RunShell.RefCurX), f) + QStringLiteral("; ") +
         Format(static_cast<double>(y - RunShell.RefCurY), f);
}

QString LigneRelativeDessin(float dx, float dy) {
  // "r" is no format character: it is written as it stands after the number.
  const QString f = Dessin.FormatCoordDessin + QStringLiteral("r");
  return Format(static_cast<double>(dx), f) + QStringLiteral("; ") + Format(static_cast<double>(dy), f);
}

bool AjouteLigneJournal(const QString& ligne) {
  QString erreur;
  if (AjouteFichierTexte(CheminJournalDessin(), ligne + CRLF, &erreur)) return true;
  // Every mouse move writes a line: the failure is told once, not at every point.
  if (!Dessin.JournalEnPanne) Dit(TexteEcritureImpossible(CheminJournalDessin(), erreur));
  Dessin.JournalEnPanne = true;
  return false;
}

CompteDessin CompteFichierDessin(const QString& texte) {
  const int l = Occurrences(texte, CRLF);
  CompteDessin c;
  c.Points = l - 1 - Occurrences(texte, QStringLiteral("'") + CRLF);
  c.Traces = Occurrences(texte, QStringLiteral("'EOD")) + (l > 2 ? 1 : 0);
  return c;
}

QString NomFichierDessin(const QString& texte1) {
  QString nom = Trim(texte1);
  if (!nom.isEmpty() && InStr(nom, QStringLiteral(".")) == 0) nom += QStringLiteral(".txt");
  return nom;
}

QString LignePlotDessin(const QString& texte1, float niveauLissage) {
  // No line skipped: the count applies to every stroke, and the header is a comment anyway.
  return QStringLiteral("Plot = ") + texte1 + QStringLiteral("§59,1,2§") +
         Format(static_cast<double>(niveauLissage), QStringLiteral("#0")) + QStringLiteral(",0,1,,1");
}

QString JournalRepris(const QString& texteFichier) {
  QString texte = texteFichier;
  const int l = Occurrences(texte, CRLF);
  if (texte.size() > 10 && l >= 2) {
    // A file without a final line end gets one, so that the separator stays a line of its own.
    if (!texte.endsWith(CRLF)) texte += CRLF;
    const QStringList lignes = texte.split(CRLF);
    const QString derniere = lignes.size() >= 2 ? lignes[lignes.size() - 2] : QString();
    if (!UCase(derniere).startsWith(QStringLiteral("'EOD"))) texte += QStringLiteral("'EOD") + CRLF;
  }
  return texte;
}

AnnulationPoint AnnuleDernierPoint(const QStringList& lignes, float refX, float refY) {
  AnnulationPoint r;
  r.Lignes = lignes;
  const int u = static_cast<int>(lignes.size());
  if (u < 2) return r;
  r.Change = true;
  const auto recule = [&](int depuis) {
    int i = depuis;
    while (i > 0 && LignePassive(lignes[i])) --i;
    r.PointConnu = LitPoint(lignes[i], refX, refY, r.X, r.Y);
    r.Lignes = lignes.mid(0, i + 1);
  };
  const QString& derniere = lignes[u - 1];
  if (LignePassive(derniere)) {
    recule(u - 2);
    return r;
  }
  float px = 0, py = 0;
  LitPoint(derniere, refX, refY, px, py);
  r.EffaceX1 = r.EffaceX2 = px;
  r.EffaceY1 = r.EffaceY2 = py;
  r.Efface = true;
  if (u >= 3 && !LignePassive(lignes[u - 2])) {
    float qx = 0, qy = 0;
    LitPoint(lignes[u - 2], refX, refY, qx, qy);
    r.EffaceX1 = qx;
    r.EffaceY1 = qy;
    r.Redessine = true;
    r.X = qx;
    r.Y = qy;
    r.PointConnu = true;
    r.Lignes = lignes.mid(0, u - 1);
  } else if (u < 3) {
    r.X = px;
    r.Y = py;
    r.PointConnu = true;
    r.Lignes = lignes.mid(0, u - 1);
  } else {
    recule(u - 3);
  }
  return r;
}

// ---- the mouse handlers' recording ----

void EnregistreDeplacementDessin(int bouton, int shift, float x, float y) {
  if (bouton != BoutonGauche || shift != BitShift || !Dessin.ModeDessin) return;
  const float dx = x - Souris.DernierX, dy = y - Souris.DernierY;
  const float d = std::sqrt(dx * dx + dy * dy);
  if (d < Dessin.DistancePoints || (x == Souris.DernierX && y == Souris.DernierY)) return;
  if (SortieEcran() != nullptr) TraceSegment(Souris.DernierX, Souris.DernierY, x, y, 0, Encre.CouleurCmd);
  AjouteLigneJournal(LignePointDessin(x, y));
  ++Dessin.NbPointsDessin;
  Souris.DernierX = x;
  Souris.DernierY = y;
}

void EnregistrePressionDessin(int shift, float& x, float& y) {
  if (!Dessin.SaisieSouris) return;
  if ((shift & BitCtrl) && x != Souris.DernierX) AimantePoint(x, y, Souris.DernierX, Souris.DernierY);
  const bool ecran = SortieEcran() != nullptr;
  if (!(shift & BitAlt)) {
    if (ecran) TraceSegment(x, y, x, y, 0, Encre.CouleurCmd);
    if (Dessin.NbPointsDessin > 0) AjouteLigneJournal(QStringLiteral("'EOD"));
    AjouteLigneJournal(LignePointDessin(x, y));
    Dessin.XEcrit = x;
    Dessin.YEcrit = y;
  } else {
    if (ecran) TraceSegment(Souris.DernierX, Souris.DernierY, x, y, 0, Encre.CouleurCmd);
    if (Dessin.CoordRelatives) {
      AjouteLigneJournal(LigneRelativeDessin(x - Dessin.XEcrit, y - Dessin.YEcrit));
      Dessin.XEcrit = x;
      Dessin.YEcrit = y;
    } else {
      AjouteLigneJournal(LignePointDessin(x, y));
    }
  }
  ++Dessin.NbPointsDessin;
}

// ---- the dialog ----

FrmDessin* FrmDessin::Ouvert() { return dialogueOuvert; }

FrmDessin::FrmDessin(FenetrePrincipale& fenetre) : QDialog(&fenetre), fenetre_(fenetre) {
  setWindowTitle(QStringLiteral("Morvo  Dessin"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowFlag(Qt::WindowStaysOnTopHint);
  setModal(false);
  auto* grille = new QGridLayout(this);
  // The fields in the order they are shown, with their captions and initial texts.
  struct Champ {
    int numero;
    int texte;
    const char* francais;
    const char* initial;
  };
  const Champ champs[] = {
      {1, 173, "Nom de fichier du dessin", "Dessin"},
      {5, 174, "Distance entre 2 points en mm (0-20) >", "0.0"},
      {6, 175, "Niveau de lissage pour la commande (0-10)", "0"},
      {2, 186, "Couleur", "Magenta"},
      {3, 187, "EpaisT", "1.0 mm"},
      {4, 188, "Couleur fond", "Blanc"},
      {7, 189, "Nombre de décimales (A/0/1/2)", "A"},
      {8, 190, "Coordonnées relatives (N/O)", "N"},
  };
  int ligne = 0;
  for (const Champ& c : champs) {
    auto* texte = new QLineEdit(QString::fromUtf8(c.initial), this);
    texte->setObjectName(QStringLiteral("Text%1").arg(c.numero));
    textes_[c.numero - 1] = texte;
    grille->addWidget(new QLabel(TexteDessin(c.texte, c.francais), this), ligne, 0);
    grille->addWidget(texte, ligne, 1);
    ++ligne;
  }
  label7_ = new QLabel(TexteMenu(176), this);
  label7_->setWordWrap(true);
  grille->addWidget(label7_, ligne++, 0, 1, 2);
  label8_ = new QLabel(QStringLiteral("RefCur = ") + TexteNombre(RunShell.RefCurX - RunShell.OrigineFinX) +
                           QStringLiteral(", ") + TexteNombre(RunShell.RefCurY - RunShell.OrigineFinY),
                       this);
  grille->addWidget(label8_, ligne++, 0, 1, 2);
  cmdOK_ = new QPushButton(TexteDessin(178, "OK"), this);
  cmdEsc_ = new QPushButton(TexteDessin(177, "Annuler (ESC)"), this);
  cmdOK_->setAutoDefault(false);
  cmdEsc_->setAutoDefault(false);
  grille->addWidget(cmdOK_, ligne, 0);
  grille->addWidget(cmdEsc_, ligne, 1);
  connect(cmdOK_, &QPushButton::clicked, this, [this] { Cmd_OK_Click(); });
  connect(cmdEsc_, &QPushButton::clicked, this, [this] { Cmd_Esc_Click(); });
  for (QLineEdit* t : textes_) t->installEventFilter(this);

  ActiveMenus(false);
  if (!Dessin.NomDessinSaisi.isEmpty()) {
    textes_[0]->setText(Dessin.NomDessinSaisi);
    textes_[1]->setText(Dessin.CouleurDessin);
    textes_[2]->setText(Dessin.EpaisDessin);
    textes_[3]->setText(Dessin.CouleurFondDessin);
    textes_[4]->setText(TexteNombre(Dessin.DistancePoints));
    textes_[5]->setText(TexteNombre(Dessin.NiveauLissage));
    textes_[6]->setText(Dessin.DecimalesSaisies);
    textes_[7]->setText(Dessin.RelatifSaisi);
  }
  Dessin.NbPointsDessin = 0;
  adjustSize();
  if (const QScreen* ecran = QGuiApplication::primaryScreen()) {
    const QRect r = ecran->geometry();
    move(r.width() - width() - r.width() / 40, r.height() / 10);
  }
  textes_[0]->selectAll();
  textes_[0]->setFocus();
  dialogueOuvert = this;
}

FrmDessin::~FrmDessin() {
  if (dialogueOuvert == this) dialogueOuvert = nullptr;
}

void FrmDessin::ActiveMenus(bool actif) {
  MenusPrincipaux& m = fenetre_.Menus();
  for (const char* nom : {"Mnu_Fichier", "Mnu_Edition", "Mnu_Masque", "Mnu_Dessin", "Mnu_Options",
                          "Mnu_Couleur", "Mnu_Polices", "Mnu_Liste_Fic"})
    if (QAction* a = m.Action(QString::fromUtf8(nom))) a->setEnabled(actif);
  if (actif) {
    if (QAction* a = m.Action(QStringLiteral("Mnu_RefCurseur"))) a->setEnabled(true);
  }
  fenetre_.Hote().MnuDessinActif = actif;
}

void FrmDessin::AppliqueCouleurs() {
  const int32_t couleur = ValeurCouleur(Dessin.CouleurDessin);
  Encre.CouleurCourante = Encre.CouleurCmd = couleur;
  OutputSurface* sortie = SortieEcran();
  if (sortie == nullptr) return;
  if (couleur != -1) sortie->ForeColor = static_cast<uint32_t>(couleur);
  RunShell.FondDessin = ValeurCouleur(Dessin.CouleurFondDessin);
  try {
    sortie->DrawWidth = MaxEntier(LitEpaisT(Dessin.EpaisDessin), 1.0f);
  } catch (const std::exception&) {
    sortie->DrawWidth = 1;
  }
}

void FrmDessin::Cmd_OK_Click() {
  if (Dessin.DessinDemarre)
    TermineDessin();
  else
    DemarreDessin();
}

void FrmDessin::DemarreDessin() {
  Dessin.CouleurDessin = textes_[1]->text();
  Dessin.CouleurFondDessin = textes_[3]->text();
  Dessin.EpaisDessin = textes_[2]->text();
  Dessin.DistancePoints = static_cast<float>(std::clamp(Val(textes_[4]->text()), 0.0, 20.0));
  Dessin.NiveauLissage = static_cast<float>(std::clamp(Val(textes_[5]->text()), 0.0, 10.0));
  Dessin.DecimalesSaisies = textes_[6]->text();
  Dessin.RelatifSaisi = textes_[7]->text();

  cmdOK_->setText(TexteDessin(179, "Enregistrer"));
  label7_->setText(TexteMenu(180));
  Dessin.SaisieSouris = Dessin.DessinDemarre = true;
  cmdOK_->setEnabled(false);
  for (int n : {2, 3, 4, 5}) Texte(n)->setEnabled(false);

  Dessin.FichierDessinRepris = NomFichierDessin(textes_[0]->text());
  Dessin.ReponseReprise = 7;
  const QString journal = CheminJournalDessin();
  QString contenu = EnTeteJournalDessin();
  if (!Dessin.FichierDessinRepris.isEmpty() && QFileInfo::exists(Dessin.FichierDessinRepris)) {
    const std::optional<QString> texte = LitFichierTexte(Dessin.FichierDessinRepris);
    if (!texte) {
      Dit(Dessin.FichierDessinRepris + CRLF + QStringLiteral("lecture impossible / cannot be read"));
    } else {
      const CompteDessin c = CompteFichierDessin(UCase(*texte));
      QString question = TexteDessin(185,
                                     "Un fichier Fic_Dess de données existe et contient NbP points en NbT "
                                     "tracés.\r\nCharger ces données et continuer le dessin ?");
      question = Replace(question, QStringLiteral("Fic_Dess"), Dessin.FichierDessinRepris);
      question = Replace(question, QStringLiteral("NbP"), StrNombre(static_cast<double>(c.Points)));
      question = Replace(question, QStringLiteral("NbT"), StrNombre(static_cast<double>(c.Traces)));
      if (Dialogues().MsgBox(question, Boutons::OuiNon, TitreDessin) == Reponse::Oui) {
        Dessin.ReponseReprise = 6;
        contenu = JournalRepris(*texte);
      }
    }
  }
  QString erreur;
  Dessin.JournalEnPanne = !EcritFichierTexte(journal, contenu, &erreur, FormeJournal());
  if (Dessin.JournalEnPanne) Dit(TexteEcritureImpossible(journal, erreur));

  Dessin.FormatCoordDessin = FormatDecimales(textes_[6]->text());
  Dessin.CoordRelatives = ModeRelatif(textes_[7]->text());
  cmdOK_->setEnabled(true);
  cmdOK_->setFocus();
  Dessin.ModeDessin = true;
  AppliqueCouleurs();
  if (QAction* a = fenetre_.Menus().Action(QStringLiteral("Mnu_RefCurseur"))) a->setEnabled(false);
  if (Dessin.ReponseReprise == 6) {
    TraceJournalDessin();
    Souris.DernierX = static_cast<float>(Repere.XCourant);
    Souris.DernierY = static_cast<float>(Repere.YCourant);
    fenetre_.Vue().update();
  }
}

void FrmDessin::TermineDessin() {
  Dessin.SaisieSouris = Dessin.ModeDessin = false;
  if (Trim(textes_[0]->text()).isEmpty()) textes_[0]->setText(QStringLiteral("Dessin"));
  const QString nom = NomFichierDessin(textes_[0]->text());
  const QString journal = CheminJournalDessin();
  const bool existe = QFileInfo::exists(nom);
  FormeTexte forme;
  int reponse = 2;
  // What "Add" writes before the journal: the old drawing's last trace ends first, as when it is
  // continued, so that Plot draws no stroke from the old drawing to the new one.
  QString finAncien;
  if (existe) {
    const std::optional<QString> texte = LitFichierTexte(nom, &forme);
    if (!texte) {
      Dit(nom + CRLF + QStringLiteral("lecture impossible / cannot be read"));
      return;
    }
    finAncien = JournalRepris(*texte).mid(texte->size());
    const CompteDessin c = CompteFichierDessin(*texte);
    QuestionTroisBoutons q;
    q.Message = TexteDessin(181, "Le fichier t$ existe déjà et contient NbP points en NbT tracés.");
    q.Message = Replace(q.Message, QStringLiteral("t$"), nom);
    q.Message = Replace(q.Message, QStringLiteral("NbP"), StrNombre(static_cast<double>(c.Points)));
    q.Message = Replace(q.Message, QStringLiteral("NbT"), StrNombre(static_cast<double>(c.Traces)));
    q.Bouton1 = TexteDessin(182, "Ajouter les nouvelles données");
    q.Bouton2 = TexteDessin(183, "Remplacer les données");
    q.Bouton3 = TexteDessin(184, "Annuler");
    q.FichierSauve = nom;
    q.FichierDessinRepris = Dessin.FichierDessinRepris;
    q.ReponseReprise = Dessin.ReponseReprise;
    reponse = DemandeTroisBoutons(q, this);
    if (reponse == 0) return;
  }
  // The journal goes only once the drawing file is whole (a new file too: it may lie on another
  // disk than the journal); a failure leaves both files as they were and the dialog open.
  const std::optional<QString> journalLu = LitFichierTexte(journal);
  if (!journalLu) {
    Dit(journal + CRLF + QStringLiteral("lecture impossible / cannot be read"));
    return;
  }
  QString erreur;
  const bool ecrit =
      reponse == 1
          ? AjouteFichierTexte(nom, finAncien + *journalLu + CRLF + QStringLiteral("'EOD '") + CRLF, &erreur)
          : EcritFichierTexte(nom, *journalLu, &erreur, forme);
  if (!ecrit) {
    Dit(TexteEcritureImpossible(nom, erreur));
    return;
  }
  QFile::remove(journal);
  if (!existe) ReponseMsgBox = 1;
  Dessin.NomDessinSaisi = textes_[0]->text();
  Dessin.NiveauLissage = static_cast<float>(Val(textes_[5]->text()));
  Dessin.DecimalesSaisies = textes_[6]->text();
  Dessin.RelatifSaisi = textes_[7]->text();
  PressePapiersEcrit(LignePlotDessin(textes_[0]->text(), Dessin.NiveauLissage));
  Dessin.DessinDemarre = false;
  Ferme();
}

void FrmDessin::Cmd_Esc_Click() {
  Dessin.NomDessinSaisi = textes_[0]->text();
  Dessin.CouleurDessin = textes_[1]->text();
  Dessin.EpaisDessin = textes_[2]->text();
  Dessin.CouleurFondDessin = textes_[3]->text();
  Dessin.DistancePoints = static_cast<float>(Val(textes_[4]->text()));
  Dessin.NiveauLissage = static_cast<float>(Val(textes_[5]->text()));
  Dessin.DecimalesSaisies = textes_[6]->text();
  Dessin.RelatifSaisi = textes_[7]->text();
  QFile::remove(CheminJournalDessin());
  Dessin.ModeDessin = Dessin.SaisieSouris = Dessin.DessinDemarre = false;
  Ferme();
}

void FrmDessin::Ferme() {
  if (ferme_) return;
  ferme_ = true;
  ActiveMenus(true);
  dialogueOuvert = nullptr;
  hide();
  deleteLater();
  fenetre_.Mnu_Visualiser_Click();
}

void FrmDessin::closeEvent(QCloseEvent* evenement) {
  if (!ferme_) Cmd_Esc_Click();
  evenement->accept();
}

void FrmDessin::AnnuleDernierTrait() {
  const QString journal = CheminJournalDessin();
  const std::optional<QString> texte = LitFichierTexte(journal);
  if (!texte) return;
  QStringList lignes = texte->split(CRLF);
  lignes.removeLast();
  const AnnulationPoint a = AnnuleDernierPoint(lignes, RunShell.RefCurX, RunShell.RefCurY);
  if (!a.Change) return;
  OutputSurface* sortie = SortieEcran();
  if (sortie != nullptr && RunShell.FondDessin != -1) {
    if (a.Efface) TraceSegment(a.EffaceX1, a.EffaceY1, a.EffaceX2, a.EffaceY2, 0, RunShell.FondDessin);
    if (a.Redessine) TraceSegment(a.X, a.Y, a.X, a.Y, 0, Encre.CouleurCmd);
  }
  if (a.PointConnu) {
    Souris.DernierX = a.X;
    Souris.DernierY = a.Y;
  }
  QString nouveau;
  for (const QString& l : a.Lignes) nouveau += l + CRLF;
  QString erreur;
  if (!EcritFichierTexte(journal, nouveau, &erreur, FormeJournal()))
    Dit(TexteEcritureImpossible(journal, erreur));
  fenetre_.Vue().update();
}

bool FrmDessin::Form_KeyDown(int touche, Qt::KeyboardModifiers modificateurs) {
  const int shift = BitsModificateurs(modificateurs);
  switch (touche) {
    case Qt::Key_F4:
      fenetre_.Mnu_Visualiser_Click();
      return true;
    case Qt::Key_F5:
      fenetre_.Mnu_Code_Click();
      return true;
    case Qt::Key_F6:
    case Qt::Key_F12:
      fenetre_.Positionner(shift);
      return true;
    case Qt::Key_F7:
      fenetre_.Mnu_Zoom_Click(shift);
      return true;
    case Qt::Key_F8:
      if (!Dessin.ModeDessin) fenetre_.Mnu_RefCurseur_Click(shift);
      return true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
      if (!Dessin.ModeDessin) return false;
      AnnuleDernierTrait();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (cmdOK_->isEnabled()) Cmd_OK_Click();
      return true;
    case Qt::Key_Escape:
      Cmd_Esc_Click();
      return true;
    default:
      return false;
  }
}

void FrmDessin::keyPressEvent(QKeyEvent* evenement) {
  if (Form_KeyDown(evenement->key(), evenement->modifiers())) return;
  QDialog::keyPressEvent(evenement);
}

bool FrmDessin::eventFilter(QObject* cible, QEvent* evenement) {
  if (evenement->type() == QEvent::KeyPress) {
    auto* touche = static_cast<QKeyEvent*>(evenement);
    if (Form_KeyDown(touche->key(), touche->modifiers())) return true;
  }
  return QDialog::eventFilter(cible, evenement);
}

void FrmDessin::RendFocus() {
  cmdOK_->setFocus();
  activateWindow();
}

void Mnu_Dessin_Click(FenetrePrincipale& fenetre) {
  if (FrmDessin* d = FrmDessin::Ouvert()) {
    d->raise();
    d->activateWindow();
    return;
  }
  auto* d = new FrmDessin(fenetre);
  d->show();
}
