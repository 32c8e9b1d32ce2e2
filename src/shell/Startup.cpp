#include "shell/Startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/FileLookup.h"
#include "platform/FileNames.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/ProgramFolder.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"
#include "shell/Config.h"
#include "shell/Languages.h"
#include "shell/TermsDialog.h"
#include "values/Fields.h"

using namespace legacy;

bool ConditionsAcceptees = false;
QString FichierAideAppli;
QString SepDecimal;

namespace {

constexpr int kVersionMajeure = 0;
constexpr int kVersionMineure = 1;
constexpr int kVersionRevision = 0;

QString AvecBarre(const QString& dossier) {
  const QString propre = QDir::cleanPath(dossier);
  return propre.endsWith(u'/') ? propre : propre + u'/';
}

QString AideAppli(const QString& repProgramme) {
  return AvecBarre(repProgramme) + QStringLiteral("Morvo_") + TexteRes(BaseLangueMasq + 8) +
         QStringLiteral(".chm");
}

}  // namespace

QString TexteVersion(int majeur, int mineur, int revision) {
  const QString lettre = revision == 0 ? QStringLiteral(" ") : QString(QChar(96 + revision));
  return QString::number(majeur) + u'.' + Format(mineur, QStringLiteral("00")) + lettre;
}

QString VersionTexte() { return TexteVersion(kVersionMajeure, kVersionMineure, kVersionRevision); }

QString TitreVersion() { return QStringLiteral("Morvo  V") + VersionTexte(); }

QString TitreFichier(const QString& nomFichier) {
  return TitreVersion() + QStringLiteral("   ") + TexteMsg(110) + QStringLiteral(": ") +
         NomLisible(nomFichier);
}

ResultatDebut Debut(const QStringList& arguments, const QString& repProgramme,
                    const DialoguesDebut* dialogues) {
  ResultatDebut resultat;
  const QString programme = repProgramme.isEmpty() ? QCoreApplication::applicationDirPath() : repProgramme;
  Randomize();
  Shell.EstNT5 = false;
  NomFicConfig = QStringLiteral("Morvo.cfg");
  SepDecimal = SeparateurDecimal();

  RepDepart = AjouteAntiSlash(QDir::currentPath());
  Shell.RepDepart = RepDepart;
  Shell.RepCourant = RepDepart;
  RepConfig = RepDepart;
  ChoisitDossierConfig(programme);
  if (CreeConfigDefaut()) LitConfig();

  FichierAideAppli = AideAppli(programme);

  const QString enTete = PremiereLigneConfig();
  const int p = InStr(enTete, QStringLiteral("Morvo V"));
  if (p == 0 || Mid(enTete, p + 7) != VersionTexte()) DefinitLangue(0);

  resultat.Titre = TitreVersion();

  if (!LanguesCompletes()) {
    resultat.DemandeLangue = true;
    if (dialogues && dialogues->Langues) {
      dialogues->Langues();
    } else {
      // With no one to ask, every unset language is French and the choice is kept.
      CompleteLanguesFrancais();
      EcritLangues();
      FichierAideAppli = AideAppli(programme);
    }
    // The terms of use are asked only of copies that an installer put in place with its log.
    if (dialogues && dialogues->Conditions && ConditionsADemander(programme)) {
      if (!dialogues->Conditions()) {
        RetireConfiguration();
        resultat.Refus = true;
        return resultat;
      }
      if (dialogues->AideConditions) dialogues->AideConditions();
    }
  }

  ListeCmdExternes(programme, RepDepart);
  ConditionsAcceptees = true;

  QString ligne = arguments.join(u' ');
  ligne.remove(u'"');
  if (NomNonUtf8(ligne)) {
    resultat.NomNonUtf8 = ligne;
  } else if (!ligne.isEmpty()) {
    resultat.NomFichier = ligne;
  } else {
    resultat.NomFichier = FichierDat;
  }
  if (EstFichierOrdinaire(resultat.NomFichier)) {
    // The folder the file really lies in becomes the current folder, which its relative names are
    // found from; the name as given stays the program's while it still names that file. In a folder
    // beyond the system's path limit the names stay relative (see DansDossierCourant).
    DevientProgramme(DansDossierCourant(resultat.NomFichier));
    resultat.NomFichier = Shell.NomFichier;
    resultat.Charger = true;
  }
  // Only a file named on the command line is in the caption before it is loaded.
  if (!resultat.NomFichier.isEmpty() && !ligne.isEmpty()) resultat.Titre = TitreFichier(resultat.NomFichier);
  return resultat;
}

QStringList DossiersDonnees(const QString& repProgramme) {
  QStringList dossiers;
  QStringList vus;
  const auto ajoute = [&](const QString& dossier) {
    const QFileInfo info(dossier);
    if (dossier.isEmpty() || !info.isDir() || vus.contains(info.canonicalFilePath())) return;
    vus << info.canonicalFilePath();
    dossiers << QDir::cleanPath(info.absoluteFilePath());
  };
  ajoute(repProgramme);
  for (const QString& dossier : QStandardPaths::locateAll(
           QStandardPaths::GenericDataLocation, QStringLiteral("morvo"), QStandardPaths::LocateDirectory))
    ajoute(dossier);
  if (!repProgramme.isEmpty()) ajoute(repProgramme + QStringLiteral("/../share/morvo"));
  return dossiers;
}

void RazEtatDebut() {
  ConditionsAcceptees = false;
  FichierAideAppli.clear();
  SepDecimal.clear();
  Shell.CmdExternes.clear();
  Shell.RepCmdExternes.clear();
}
