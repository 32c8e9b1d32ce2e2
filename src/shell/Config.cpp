#include "shell/Config.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

#include "drawing/Fonts.h"
#include "platform/FileLookup.h"
#include "platform/FileNames.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"
#include "shell/Languages.h"
#include "shell/Startup.h"

using namespace legacy;

QString NomFicConfig = QStringLiteral("Morvo.cfg");
QString RepDepart;
QString RepConfig;
bool ConfigFigee = false;
bool DossierVirtualise = false;

QString FichierDat = QStringLiteral("Morvo.dat");
bool DoubleClic = false;
int16_t Patchs = 0;
std::array<bool, 15> Patch{};
float TailleCarCode = 0.0f;
QString ImprimanteChoisie;
bool ErreurConfigSurStderr = false;

namespace {

const QString kEnTete = QStringLiteral("'Fichier de configuration du Programme Morvo V");
const QString kNomSauvegarde = QStringLiteral("Morvo$cfg.old");
const QString kFinLigne = QStringLiteral("\r\n");

bool erreurSignalee = false;

QString RaisonTropGrand() {
  return QStringLiteral("plus de %1 octets / larger than %1 bytes").arg(TailleMaxConfig);
}

QString AvecBarre(const QString& dossier) { return dossier.endsWith(u'/') ? dossier : dossier + u'/'; }

// The rest of the line after the key, trimmed; null when the line does not hold the key.
QString ValeurCle(const QString& ligneMaj, const QString& ligne, const QString& cle) {
  const int p = InStr(ligneMaj, cle);
  if (p == 0) return {};
  const QString valeur = Trim(Mid(ligne, p + static_cast<int>(cle.size())));
  return valeur.isNull() ? QStringLiteral("") : valeur;
}

}  // namespace

QString DossierConfig() {
  const QString dossier = DossierConfigUtilisateur();
  QDir().mkpath(dossier);
  return dossier;
}

QString CheminConfig() {
  const QString trouve = TrouveSansCasse(RepConfig, NomFicConfig);
  return trouve.isEmpty() ? RepConfig + NomFicConfig : trouve;
}

void ChoisitDossierConfig(const QString& repProgramme) {
  const QFileInfo programme(repProgramme);
  DossierVirtualise = !(programme.isDir() && programme.isWritable());
  ConfigFigee = false;
  const QString dossier = DossierDeLaConfig(RepDepart, NomFicConfig);
  // The start folder is there already; the user's configuration folder is made when missing.
  QDir().mkpath(dossier);
  RepConfig = AvecBarre(dossier);
  Shell.RepConfig = RepConfig;
}

QString TexteConfigDefaut() {
  const QStringList lignes = {
      kEnTete + VersionTexte(),
      QStringLiteral("'Ne pas modifier / Do not change"),
      QStringLiteral("Langue ="),
      QStringLiteral("LangueMenu ="),
      QStringLiteral("LangueAide ="),
      QStringLiteral("LangueMasq ="),
      QStringLiteral("FichierDat = Morvo.dat"),
      QStringLiteral("DoubleClic = Non"),
      QStringLiteral("Zmm = 1"),
      QStringLiteral("Patchs = 0"),
  };
  return lignes.join(kFinLigne) + kFinLigne;
}

bool CreeConfigDefaut() {
  if (!TrouveSansCasse(RepConfig, NomFicConfig).isEmpty()) return true;
  QDir().mkpath(RepConfig);
  const QString chemin = RepConfig + NomFicConfig;
  QString erreur;
  if (!EcritFichierTexte(chemin, TexteConfigDefaut(), &erreur)) {
    SignaleErreurConfig(chemin, true, erreur);
    return false;
  }
  return true;
}

void LitLigneConfig(const QString& ligne) {
  if (Left(ligne, 1) == QStringLiteral("'")) return;
  LitLigneLangues(ligne);
  const QString u = UCase(ligne);

  if (const QString v = ValeurCle(u, ligne, QStringLiteral("FICHIERDAT =")); !v.isNull()) FichierDat = v;
  if (const QString v = ValeurCle(u, u, QStringLiteral("DOUBLECLIC =")); !v.isNull()) {
    DoubleClic = v == QStringLiteral("OUI");
  }
  const QString zmm = ValeurCle(u, u, QStringLiteral("ZMM ="));
  if (!zmm.isNull()) Shell.FacteurMm = static_cast<float>(Val(zmm));
  if (const QString v = ValeurCle(u, u, QStringLiteral("TAILLECARCODE =")); !v.isNull()) {
    TailleCarCode = static_cast<float>(Val(v));
    Shell.ZoomCourant = 1.0f;
  }
  if (const QString v = ValeurCle(u, ligne, QStringLiteral("IMPRIMANTE =")); !v.isNull()) {
    ImprimanteChoisie = v.trimmed();
  }
  if (const QString v = ValeurCle(u, u, QStringLiteral("PATCHS =")); !v.isNull()) {
    try {
      Patchs = VersEntier16(Val(v));
      DecodePatchs(Patchs);
    } catch (const ErreurExecution&) {
      SignaleErreurConfig(CheminConfig());
    }
  }
  if (zmm.isNull() && Shell.FacteurMm == 0.0f) Shell.FacteurMm = 1.0f;
}

bool LitConfig() {
  const QString chemin = CheminConfig();
  bool tropGrand = false;
  const std::optional<QString> texte = LitFichierTexteBorne(chemin, TailleMaxConfig, &tropGrand);
  if (!texte) {
    SignaleErreurConfig(chemin, false, tropGrand ? RaisonTropGrand() : QString());
    return false;
  }
  for (const QString& ligne : DecoupeLignes(*texte)) LitLigneConfig(ligne);
  return true;
}

QString PremiereLigneConfig() {
  bool tropGrand = false;
  const std::optional<QString> texte = LitFichierTexteBorne(CheminConfig(), TailleMaxConfig, &tropGrand);
  if (!texte) return {};
  const QStringList lignes = DecoupeLignes(*texte);
  return lignes.isEmpty() ? QString() : lignes.first();
}

bool EcritConfig(const QString& cle, const QString& valeur) {
  if (ConfigFigee) return true;
  const QString chemin = CheminConfig();
  const bool existe = QFileInfo(chemin).isFile();
  QString ancien;
  QByteArray octets;
  FormeTexte forme;
  if (existe) {
    QString erreur;
    bool tropGrand = false;
    const std::optional<QByteArray> lu = LitOctetsFichierBorne(chemin, TailleMaxConfig, &tropGrand, &erreur);
    if (!lu) {
      // A file too large is left as it is, never replaced by the few settings written here.
      SignaleErreurConfig(chemin, true, tropGrand ? RaisonTropGrand() : erreur);
      return false;
    }
    octets = *lu;
    forme = FormeDe(octets);
    ancien = NormaliseFinsDeLigne(DecodeTexte(octets));
  } else {
    QDir().mkpath(RepConfig);
    ancien = TexteConfigDefaut();
  }
  const QStringList lignes = DecoupeLignes(ancien);

  const QString ligneCle = cle + valeur;
  const QString cleMaj = UCase(cle);
  QStringList nouvelles;
  bool trouve = false;
  for (int i = 0; i < lignes.size(); ++i) {
    if (Left(UCase(lignes[i]), static_cast<int>(cleMaj.size())) == cleMaj) {
      nouvelles << ligneCle;
      trouve = true;
    } else if (i == 0) {
      nouvelles << kEnTete + VersionTexte();
    } else {
      nouvelles << lignes[i];
    }
  }
  if (!trouve) {
    if (cle == QStringLiteral("LangueMasq =")) {
      // The mask language goes before the last-file line, the old lines (header included) as they
      // were; a file without that line receives it at the end.
      nouvelles.clear();
      bool place = false;
      for (const QString& ligne : lignes) {
        if (InStr(UCase(ligne), QStringLiteral("FICHIERDAT =")) > 0) {
          nouvelles << ligneCle;
          place = true;
        }
        nouvelles << ligne;
      }
      if (!place) nouvelles << ligneCle;
    } else {
      nouvelles << ligneCle;
    }
  }

  const QString sauvegarde = RepConfig + kNomSauvegarde;
  if (const QString vieille = TrouveSansCasse(RepConfig, kNomSauvegarde); !vieille.isEmpty()) {
    QFile::remove(vieille);
  }
  // The backup is written and checked like any file; the old file stays until the new one is whole.
  QString erreur;
  if (existe && !EcritFichier(sauvegarde, octets, &erreur)) {
    SignaleErreurConfig(chemin, true, erreur);
    return false;
  }
  const bool ecrit = EcritFichierTexte(chemin, nouvelles.join(kFinLigne) + kFinLigne, &erreur, forme);
  QFile::remove(sauvegarde);
  if (!ecrit) {
    SignaleErreurConfig(chemin, true, erreur);
    return false;
  }
  return true;
}

void DecodePatchs(int16_t masque) {
  for (int k = 0; k <= 13; ++k) Patch[k] = (masque & (1 << k)) != 0;
  Patch[14] = false;
  // The first option nudges texts written at right angles (the drawing layer reads it).
  PatchAnglesDroits = Patch[0];
}

void SignaleErreurConfig(const QString& chemin, bool ecriture, const QString& raison) {
  if (erreurSignalee && !ErreurConfigSurStderr) return;
  erreurSignalee = true;
  // On the standard error a message is read line by line: the folder's name stays on its line.
  const QString nom = ErreurConfigSurStderr ? NomLisible(chemin) : QDir::toNativeSeparators(chemin);
  // The reason of a failed read, when there is one, follows the file's name.
  const QString lu = raison.isEmpty() ? nom : nom + QStringLiteral(" (") + raison + u')';
  const QString texte = ecriture
                            ? TexteMsg(129).arg(nom, raison)
                            : QStringLiteral(
                                  "Le fichier de configuration %1 ne peut pas être lu : les réglages par "
                                  "défaut restent en vigueur.\r\nThe configuration file %1 cannot be read: "
                                  "the default settings stay in force.")
                                  .arg(lu);
  if (ErreurConfigSurStderr) {
    std::fprintf(
        stderr, "%s\n",
        QString(texte).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).toLocal8Bit().constData());
    std::fflush(stderr);
    return;
  }
  Dialogues().MsgBox(texte, Boutons::Ok, QStringLiteral("Morvo"));
}

void RazEtatConfig() {
  NomFicConfig = QStringLiteral("Morvo.cfg");
  RepDepart.clear();
  RepConfig.clear();
  ConfigFigee = false;
  DossierVirtualise = false;
  FichierDat = QStringLiteral("Morvo.dat");
  DoubleClic = false;
  Patchs = 0;
  Patch.fill(false);
  TailleCarCode = 0.0f;
  ImprimanteChoisie.clear();
  Shell.FacteurMm = 1.0f;
  erreurSignalee = false;
  RazLangues();
}
