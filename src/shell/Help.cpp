#include "shell/Help.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "editor/ContextHelp.h"
#include "editor/ProgramEditor.h"
#include "editor/SyntaxHints.h"
#include "platform/FileLookup.h"
#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "shell/Config.h"
#include "shell/Languages.h"
#include "shell/MainWindow.h"
#include "shell/Startup.h"

using namespace legacy;

namespace {

OuvreurUrl ouvreurCourant;

// The sub-folder of `dossier` named `nom` without regard to case; empty when there is none.
QString SousDossierSansCasse(const QString& dossier, const QString& nom) {
  const QDir parent(dossier);
  if (parent.exists(nom) && QFileInfo(parent.filePath(nom)).isDir()) return parent.filePath(nom);
  const QString cherche = UCase(nom);
  for (const QString& d : parent.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
    if (UCase(d) == cherche) return parent.filePath(d);
  }
  return {};
}

QString TrouveDans(const QString& dossier, const QStringList& parties, const QString& base) {
  QString courant = dossier;
  for (qsizetype i = 0; i + 1 < parties.size() && !courant.isEmpty(); ++i) {
    courant = SousDossierSansCasse(courant, parties[i]);
  }
  if (courant.isEmpty()) return {};
  for (const char* extension : {".chm", ".html", ".htm", ".pdf"}) {
    const QString trouve = TrouveSansCasse(courant, base + QString::fromLatin1(extension));
    if (!trouve.isEmpty()) return trouve;
  }
  return {};
}

// The page of a numbered topic, in the folder named after an HTML help file beside it
// ("Morvo_en/5000.html" for "Morvo_en.html"); empty when there is none. A page of its own lands on
// its topic with every opener: some drop the "#" part of a file URL.
QString PageSujet(const QString& chemin, int sujet) {
  const QFileInfo fichier(chemin);
  const QString dossier = SousDossierSansCasse(fichier.absolutePath(), fichier.completeBaseName());
  if (dossier.isEmpty()) return {};
  return TrouveSansCasse(dossier, QString::number(sujet) + QStringLiteral(".html"));
}

// The message-language text among four (French, English, German, Spanish).
QString SelonLangue(const char* fr, const char* en, const char* de, const char* es) {
  switch (BaseLangue / 400) {
    case 1:
      return QString::fromUtf8(en);
    case 2:
      return QString::fromUtf8(de);
    case 3:
      return QString::fromUtf8(es);
    default:
      return QString::fromUtf8(fr);
  }
}

QString CodeMenu() { return TexteRes(BaseLangueMenu + 8); }
QString CodeMasque() { return TexteRes(BaseLangueMasq + 8); }

}  // namespace

void DefinitOuvreurUrl(OuvreurUrl ouvreur) { ouvreurCourant = std::move(ouvreur); }

QString TrouveFichierAide(const QString& nom, const QString& repProgramme) {
  const QStringList parties = nom.split(u'/', Qt::SkipEmptyParts);
  if (parties.isEmpty()) return {};
  QString base = parties.last();
  if (UCase(Right(base, 4)) == QStringLiteral(".CHM")) base = Left(base, static_cast<int>(base.size()) - 4);
  // Beside the program and where Morvo is installed, then the user's own copies.
  const QStringList dossiers = DossiersDonnees(repProgramme) + QStringList{RepConfig};
  for (const QString& dossier : dossiers) {
    if (dossier.isEmpty()) continue;
    const QString trouve = TrouveDans(dossier, parties, base);
    if (!trouve.isEmpty()) return trouve;
  }
  return {};
}

QString TexteAideAbsente(const QString& nom) {
  return SelonLangue("Fichier d'aide introuvable : ", "Help file not found: ", "Hilfedatei nicht gefunden: ",
                     "No se encuentra el archivo de ayuda: ") +
         nom;
}

QString TexteAideNonOuverte(const QString& chemin) {
  return SelonLangue(
             "Le fichier d'aide ne peut pas être ouvert : ", "The help file cannot be opened: ",
             "Die Hilfedatei kann nicht geöffnet werden: ", "No se puede abrir el archivo de ayuda: ") +
         chemin;
}

bool CHelp::Show(const QString& nom, const QString& repProgramme, int sujet) {
  const QString chemin = TrouveFichierAide(nom, repProgramme);
  if (chemin.isEmpty()) {
    Dialogues().MsgBox(TexteAideAbsente(nom), Boutons::Ok, QString());
    return false;
  }
  QUrl url = QUrl::fromLocalFile(QFileInfo(chemin).absoluteFilePath());
  const QString suffixe = UCase(QFileInfo(chemin).suffix());
  if (sujet > 0 && (suffixe == QStringLiteral("HTML") || suffixe == QStringLiteral("HTM"))) {
    const QString page = PageSujet(chemin, sujet);
    if (page.isEmpty())
      url.setFragment(QString::number(sujet));
    else
      url = QUrl::fromLocalFile(QFileInfo(page).absoluteFilePath());
  }
  const bool ouvert = ouvreurCourant ? ouvreurCourant(url) : QDesktopServices::openUrl(url);
  if (!ouvert) Dialogues().MsgBox(TexteAideNonOuverte(chemin), Boutons::Ok, QString());
  return ouvert;
}

QString NomAideMenu() { return QStringLiteral("Morvo_") + CodeMenu() + QStringLiteral(".chm"); }

QString NomAideDoc() { return QStringLiteral("Morvo-200_") + CodeMenu() + QStringLiteral(".chm"); }

QString NomAideMaj() { return QStringLiteral("Morvo_MAJ_") + CodeMasque() + QStringLiteral(".chm"); }

QString NomAideNonDoc() { return QStringLiteral("Morvo_fr/Non_Doc_fr.chm"); }

namespace {

// The credit line of the about box, in the message language (French while it is unset).
QString TexteAuteurs() {
  switch (NumLangue) {
    case 2:
      return QStringLiteral("The authors of Morvo, its contributors");
    case 3:
      return QStringLiteral("Die Autoren von Morvo, ihre Mitwirkenden");
    case 4:
      return QStringLiteral("Los autores de Morvo, sus colaboradores");
    default:
      return QStringLiteral("Les auteurs de Morvo, ses contributeurs");
  }
}

}  // namespace

QString TexteAPropos() {
  const QString saut = QStringLiteral("\r\n");
  return saut + QStringLiteral("Morvo ") + TexteMsg(101) + QStringLiteral(": ") + VersionTexte() + saut +
         saut + TexteMsg(102) + QStringLiteral(": ") + saut + TexteAuteurs() + saut +
         QStringLiteral("Linux") + saut + saut + TexteMsg(103) + QString(11, u' ');
}

// ---- the Help menu of the main window ----

void FenetrePrincipale::Mnu_Aide25_Click() {
  const QString nom = FichierAideAppli.isEmpty()
                          ? QStringLiteral("Morvo_") + CodeMasque() + QStringLiteral(".chm")
                          : QFileInfo(FichierAideAppli).fileName();
  CHelp::Show(nom, repProgramme_);
}

void FenetrePrincipale::Mnu_Aide_Click() { CHelp::Show(NomAideDoc(), repProgramme_); }

void FenetrePrincipale::Mnu_ResumeSyntaxes_Click() {
  CHelp::Show(NomAideMenu(), repProgramme_, SujetResumeSyntaxes);
}

void FenetrePrincipale::Mnu_AideMot_Click() { AideMot(editeur_->Modele(), repProgramme_); }

void FenetrePrincipale::Mnu_SyntaxeLigne_Click() { AideLigne(*editeur_, *this, true); }

void FenetrePrincipale::Mnu_MAJ_Aide_Click() { CHelp::Show(NomAideMaj(), repProgramme_); }

void FenetrePrincipale::Mnu_Conditions_Click() { CHelp::Show(NomAideMenu(), repProgramme_, SujetConditions); }

void FenetrePrincipale::Mnu_AProposDe_Click() {
  Dialogues().MsgBox(TexteAPropos(), Boutons::Ok, TexteMsg(104), Icone::Information);
}

void FenetrePrincipale::Mnu_Non_Doc_Click() { CHelp::Show(NomAideNonDoc(), repProgramme_); }
