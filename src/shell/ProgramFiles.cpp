#include "shell/ProgramFiles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QTimer>

#include "drawing/DrawState.h"
#include "editor/ProgramEditor.h"
#include "interpreter/Interpreter.h"
#include "interpreter/RuntimeCommands.h"
#include "interpreter/SetupCommands.h"
#include "platform/Descriptors.h"
#include "platform/EditorText.h"
#include "platform/FileLookup.h"
#include "platform/FileNames.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompter.h"
#include "platform/QtFileDialogs.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"
#include "platform/WriteConsent.h"
#include "shell/Config.h"
#include "shell/MainWindow.h"
#include "shell/QtHost.h"
#include "shell/Startup.h"

using namespace legacy;

QString FichierCourant;
FormeFichierProgramme FormeProgramme;

namespace {

// While it lives, the print dialog's Properties page shows no margin fields.
class SansMarges : public QObject {
 public:
  SansMarges() { qApp->installEventFilter(this); }
  ~SansMarges() override { qApp->removeEventFilter(this); }
  SansMarges(const SansMarges&) = delete;
  SansMarges& operator=(const SansMarges&) = delete;

 protected:
  bool eventFilter(QObject* objet, QEvent* evenement) override {
    if (evenement->type() == QEvent::Show && objet->isWidgetType()) {
      if (const auto* haut = objet->findChild<QWidget*>(QStringLiteral("topMargin"))) {
        if (QWidget* marges = haut->parentWidget();
            marges && marges->objectName() != QLatin1String("pageSetup"))
          marges->hide();
      }
    }
    return false;
  }
};

// The print dialog refuses a PDF file that is the open program at once, with the reason: before
// its own checks of the file, and its question about replacing it, that OK starts.
class DialogueImpression : public QPrintDialog {
 public:
  DialogueImpression(QPrinter* imprimante, QWidget* parent) : QPrintDialog(imprimante, parent) {
    auto* boutons = findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly);
    if (boutons == nullptr) return;
    disconnect(boutons, &QDialogButtonBox::accepted, this, nullptr);
    connect(boutons, &QDialogButtonBox::accepted, this, [this] {
      const auto* fichier = findChild<QLineEdit*>(QStringLiteral("filename"));
      if (fichier != nullptr && fichier->isEnabled() &&
          NomInterdit(this, fichier->text(), FichierCourant, TexteMsg(200)))
        return;
      if (!QMetaObject::invokeMethod(this, "_q_checkFields")) accept();
    });
  }
};

class DialoguesFichiersQt : public DialoguesFichiers {
 public:
  QString Ouvrir(const QString& dossier, const QString& filtre) override {
    if (!DescripteursPourDialogue()) return {};
    DialogueOuverture dialogue(Parent(), dossier, filtre);
    if (dialogue.exec() != QDialog::Accepted) return {};
    return dialogue.Noms().value(0);
  }
  QString Enregistrer(const QString& nomPropose, const QString& extension, const QString& filtre,
                      bool impression) override {
    if (!DescripteursPourDialogue()) return {};
    DialogueEnregistrement dialogue(Parent(), nomPropose, filtre);
    if (impression) dialogue.Refuse(FichierCourant, TexteMsg(200));
    dialogue.setDefaultSuffix(extension);
    if (!nomPropose.isEmpty()) dialogue.selectFile(nomPropose);
    if (dialogue.exec() != QDialog::Accepted) return {};
    return dialogue.Nom();
  }
  bool ChoisitImprimante(QPrinter& imprimante) override {
    if (!DescripteursPourDialogue()) return false;
    DialogueImpression dialogue(&imprimante, Parent());
    // The listing print presets the range to the selection when there is one.
    dialogue.setOption(QAbstractPrintDialog::PrintSelection, imprimante.printRange() == QPrinter::Selection);
    dialogue.setOption(QAbstractPrintDialog::PrintPageRange, false);
    // A PDF file is written once and whole: the copies, their order and the pages a print system
    // picks are not offered for it (Qt's dialog takes the page set and page list away itself).
    auto* printers = dialogue.findChild<QComboBox*>(QStringLiteral("printers"));
    const auto regle = [&dialogue] {
      const auto* fichier = dialogue.findChild<QLineEdit*>(QStringLiteral("filename"));
      const bool pdf = fichier != nullptr && fichier->isEnabled();
      if (auto* copies = dialogue.findChild<QSpinBox*>(QStringLiteral("copies"))) {
        if (pdf) copies->setValue(1);
        copies->setEnabled(!pdf);
      }
      for (const char* nom : {"collate", "reverse", "printRange", "from", "to"}) {
        auto* w = dialogue.findChild<QWidget*>(QLatin1String(nom));
        if (w == nullptr) continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w); pdf && b != nullptr && b->isChecked()) {
          b->setChecked(false);
          if (auto* tout = dialogue.findChild<QAbstractButton*>(QStringLiteral("printAll"));
              tout && b->autoExclusive())
            tout->setChecked(true);
        }
        // The range's numbers follow their button.
        if (!pdf && (qstrcmp(nom, "from") == 0 || qstrcmp(nom, "to") == 0)) {
          const auto* plage = dialogue.findChild<QAbstractButton*>(QStringLiteral("printRange"));
          w->setEnabled(plage != nullptr && plage->isChecked());
          continue;
        }
        w->setEnabled(!pdf);
      }
      // Qt's page-list field refuses every entry: the range is given with "from ... to".
      for (const char* nom : {"pagesRadioButton", "pagesLineEdit"}) {
        auto* w = dialogue.findChild<QWidget*>(QLatin1String(nom));
        if (w == nullptr) continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w); b != nullptr && b->isChecked()) {
          if (auto* tout = dialogue.findChild<QAbstractButton*>(QStringLiteral("printAll")))
            tout->setChecked(true);
        }
        w->setEnabled(false);
      }
    };
    // The margins of its Properties page are not the job's: the drawing's 0,0 is the printable
    // corner the printer itself gives, so they are not offered.
    SansMarges sansMarges;
    // After the dialog's own settings for the printer shown.
    if (printers)
      QObject::connect(printers, &QComboBox::currentIndexChanged, &dialogue, regle, Qt::QueuedConnection);
    QTimer::singleShot(0, &dialogue, regle);
    return dialogue.exec() == QDialog::Accepted;
  }

 private:
  static QWidget* Parent() { return QApplication::activeWindow(); }
};

DialoguesFichiers* dialoguesCourants = nullptr;

}  // namespace

DialoguesFichiers& DialoguesFic() {
  static DialoguesFichiersQt qt;
  return dialoguesCourants ? *dialoguesCourants : qt;
}

void DefinitDialoguesFichiers(DialoguesFichiers* d) { dialoguesCourants = d; }

QString FiltreProgrammes() {
  return TexteMsg(105) + QStringLiteral(" (*.dat *.DAT *.Dat);;") + TexteMsg(106) + QStringLiteral(" (*)");
}

bool EstFichierDesinstallation(const QString& nom) {
  if (nom.size() < 12) return false;
  const QString fin = UCase(Right(nom, 12));
  return Left(fin, 7) == QStringLiteral("UNINS00") && Right(fin, 4) == QStringLiteral(".DAT");
}

QString ModeleProgramme(const QString& repConfig, const QString& repProgramme, const QString& code) {
  QString modele = TrouveSansCasse(QDir::currentPath(), QStringLiteral("Morvo.daN"));
  const QString nom = QStringLiteral("Morvo_") + code + QStringLiteral(".DaN");
  if (modele.isEmpty() && !repConfig.isEmpty()) modele = TrouveSansCasse(repConfig, nom);
  if (modele.isEmpty() && !repProgramme.isEmpty()) modele = TrouveSansCasse(repProgramme, nom);
  return modele;
}

QString DossierDe(const QString& chemin) {
  const int barre = chemin.lastIndexOf(QLatin1Char('/'));
  return barre < 0 ? QString() : chemin.left(barre + 1);
}

void PasUnFichierMorvo(const QString& nom) {
  Dialogues().MsgBox(
      NomLisible(nom) + QStringLiteral("\r\n\r\nN'est pas un fichier Morvo\r\nIs not a Morvo file\r\n"
                                       "Ist keine Morvo Datei."),
      Boutons::Ok, QString());
}

// ---- the commands of the main window ----

bool FenetrePrincipale::QuestionSauvegarde() {
  if (editeur_->Modele().Text().isEmpty() || !editeur_->Modifie()) return true;
  switch (Dialogues().MsgBox(TexteMsg(118), Boutons::OuiNonAnnuler, QString())) {
    case Reponse::Oui:
      // A save that did not complete keeps the text: the command stops as after Cancel.
      return Mnu_EnregistrerS_Click();
    case Reponse::Non:
      return true;
    default:
      return false;
  }
}

bool FenetrePrincipale::LitFic(const QString& chemin) {
  // A file far beyond what a program can hold is not read further than the bound.
  QString refus, raison;
  const std::optional<QByteArray> octets = LitOctetsProgramme(chemin, &refus, &raison);
  if (!refus.isEmpty()) {
    Dialogues().MsgBox(refus, Boutons::Ok, QString());
    return false;
  }
  if (!octets) {
    Dialogues().MsgBox(
        TexteMsg(126) + QStringLiteral("\r\n\r\n") + NomLisible(chemin) + QStringLiteral("\r\n") + raison,
        Boutons::Ok, QString());
    return false;
  }
  // A file that is not text (a picture, a binary ".dat" of another program that the desktop took
  // for a program) would not be saved back as it was: it is not loaded at all.
  if (!EstTexte(*octets)) {
    PasUnFichierMorvo(chemin);
    return false;
  }
  const FormeTexte forme = FormeDe(*octets);
  const QString decode = DecodeTexte(*octets);
  const QString texte = FinsDeLigneProgramme(decode);
  // A program loaded again must ask again before it starts other programs or writes outside its
  // folder.
  OublieAccordShell();
  OublieAccordEcritures();
  Repere.OrigineBaseX = Repere.OrigineBaseY = 0;
  Shell.DecalVueX = Shell.DecalVueY = 0;
  Shell.ZoomCourant = 1.0f;
  RunShell.ZoomIni = 1.0f;
  // Every line goes in with its line end, the last one included.
  QString programme = texte;
  if (!programme.isEmpty() && !programme.endsWith(QStringLiteral("\r\n")))
    programme += QStringLiteral("\r\n");
  editeur_->ChargeTexte(programme);
  FormeProgramme = {forme, programme == texte, editeur_->Modele().Text(), *octets};
  // Its line breaks of other systems are line ends, as the editor shows them and the program runs
  // them; an edited program is saved with line ends in their place, which the user is told first.
  if (ASautsEtrangers(decode))
    Dialogues().MsgBox(TexteMsg(154).arg(NomLisible(chemin)), Boutons::Ok, QString());
  // It can be edited, but it does not run until it is short enough.
  if (ProgrammeTropLong(programme))
    Dialogues().MsgBox(TexteProgrammeTropLong(programme), Boutons::Ok, QString());
  RunShell.ZoomIni = ZoomInitial(editeur_->Modele().Text());
  Shell.ZoomCourant = RunShell.ZoomIni;
  text1_->setText(editeur_->TexteLigne());
  return true;
}

void FenetrePrincipale::Mnu_Ouvrir_Click() {
  if (!QuestionSauvegarde()) return;
  const QString nom = DialoguesFic().Ouvrir(Shell.RepCourant, FiltreProgrammes());
  Shell.NomFichier = nom;
  if (nom.isEmpty()) {
    if (editeur_->Modele().Text().isEmpty()) Mnu_Nouveau_Click();
    return;
  }
  // A file not opened leaves the program in the editor its own name, and so its own folder.
  if (EstFichierDesinstallation(nom)) {
    Shell.NomFichier = FichierCourant;
    PasUnFichierMorvo(nom);
    return;
  }
  DebutAttente();
  if (!LitFic(nom)) {
    Shell.NomFichier = FichierCourant;
    FinAttente();
    return;
  }
  DevientDossierCourant();
  Titre(nom);
  if (premierRunFait_) ExecuteProgramme();
  FichierCourant = nom;
  editeur_->DefinitModifie(false);
  FinAttente();
}

void FenetrePrincipale::Mnu_Nouveau_Click() {
  if (!QuestionSauvegarde()) return;
  DebutAttente();
  const QString modele = ModeleProgramme(RepConfig, repProgramme_, TexteMsg(8));
  if (modele.isEmpty() || !LitFic(modele)) {
    editeur_->ChargeTexte(QString());
    text1_->setText(editeur_->TexteLigne());
  }
  Shell.NomFichier.clear();
  FormeProgramme = {};
  Titre(QString());
  premierRunFait_ = true;
  ExecuteProgramme();
  FichierCourant.clear();
  editeur_->DefinitModifie(false);
  FinAttente();
}

namespace {

// Writes the editor's text in the form it was read with; tells the user why when it fails.
bool EcritProgramme(const QString& chemin, const QString& texte) {
  const QByteArray octets = OctetsProgramme(texte);
  QString erreur;
  if (EcritFichier(chemin, octets, &erreur)) {
    FormeProgramme.texte = texte;
    FormeProgramme.octets = octets;
    return true;
  }
  Dialogues().MsgBox(TexteEcritureImpossible(chemin, erreur), Boutons::Ok, QString());
  return false;
}

}  // namespace

QByteArray OctetsProgramme(const QString& texte) {
  if (texte == FormeProgramme.texte) return FormeProgramme.octets;
  const QString fin = QStringLiteral("\r\n");
  QString lignes = texte;
  if (!FormeProgramme.finFinale && lignes.endsWith(fin)) lignes.chop(2);
  // A line typed after the last line end (Ctrl+End) is the last line now: it takes the line end
  // the file's last line had.
  if (FormeProgramme.finFinale && !lignes.isEmpty() && !lignes.endsWith(fin)) lignes += fin;
  return OctetsDuTexte(lignes, FormeProgramme.forme);
}

bool FenetrePrincipale::Mnu_EnregistrerS_Click() {
  if (FichierCourant.isEmpty() || UCase(Right(FichierCourant, 4)) == QStringLiteral(".MTR"))
    return Mnu_Enregistrer_Click();
  if (!EcritProgramme(FichierCourant, editeur_->Modele().Text())) return false;
  Titre(FichierCourant);
  editeur_->DefinitModifie(false);
  return true;
}

bool FenetrePrincipale::Mnu_Enregistrer_Click() {
  const QString ancien = FichierCourant;
  const QString nom =
      DialoguesFic().Enregistrer(Shell.NomFichier, QStringLiteral("dat"), FiltreProgrammes(), false);
  if (nom.isEmpty()) return false;
  if (!EcritProgramme(nom, editeur_->Modele().Text())) {
    FichierCourant = ancien;
    return false;
  }
  FichierCourant = nom;
  Shell.NomFichier = nom;
  // Its relative names are now found from the folder it was saved in, as its writes are judged.
  DevientDossierCourant();
  Titre(nom);
  editeur_->DefinitModifie(false);
  return true;
}

void FenetrePrincipale::Mnu_IniCode_Click() {
  FacteurCode = FacteurCodeDefaut;
  Form_Resize();
  Mnu_Visualiser_Click();
}
