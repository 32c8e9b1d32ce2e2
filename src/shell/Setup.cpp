#include "shell/Setup.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include "platform/Descriptors.h"
#include "platform/FileLookup.h"
#include "platform/FileWriter.h"
#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/QtFileDialogs.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"
#include "shell/Config.h"
#include "shell/Languages.h"
#include "shell/MainWindow.h"
#include "shell/Startup.h"

using namespace legacy;

const QString NomJournalInstallation = QStringLiteral("MorvoSetup.log");
const QString NomRaccourci = QStringLiteral("Morvo.desktop");
// Names of the set-up's own, never those an installation lays out: the set-up cannot overwrite an
// installed file, and an uninstall of the program leaves nothing of its own behind.
const QString NomLanceurMenu = QStringLiteral("morvo-setup.desktop");
const QString NomLanceurAssociation = QStringLiteral("morvo-setup-programme.desktop");
const QString NomPaquetMime = QStringLiteral("morvo-setup.xml");
const QString NomEntreeInstallee = QStringLiteral("morvo.desktop");
const QString TypeMimeProgramme = QStringLiteral("application/x-morvo-program");

namespace {

const QString CrLf = QStringLiteral("\r\n");
const char* const Motifs[] = {"pdf", "chm", "dat", "dag", "dan", "ico", "jpg", "txt", "zip"};
// Pieces of text 140 in the four languages: an association recorded in any of them counts.
const char* const MarquesAssociation[] = {"fichiers .dat", ".dat files", "archivos .dat", ".dat Dateien"};
const QString TexteEchecs = QStringLiteral("Échecs / Failures / Fehler / Errores :");

ChoixRepertoire choixCourant;

QString TexteAide(int n) { return TexteRes(BaseLangueAide + n); }

QString Dossier(const QString& chemin) { return chemin.endsWith(u'/') ? chemin : chemin + u'/'; }

bool Question(const QString& texte) {
  // No is the default: Enter alone changes nothing on the system.
  return Dialogues().MsgBox(texte, Boutons::OuiNon, QString(), Icone::Question, 2) == Reponse::Oui;
}

// A value of a desktop entry: backslashes doubled, line ends as escapes.
QString ValeurEntree(const QString& v) {
  QString r = v;
  r.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
  r.replace(QStringLiteral("\n"), QStringLiteral("\\n"));
  r.replace(QStringLiteral("\r"), QStringLiteral("\\r"));
  return r;
}

// The program as an argument of the Exec key: quoted, with the characters that are special
// inside quotes escaped, and "%" doubled so that it is no field code.
QString ArgumentExec(const QString& programme) {
  QString r;
  for (const QChar c : programme) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') r += u'\\';
    if (c == u'%') r += u'%';
    r += c;
  }
  return QStringLiteral("\"") + r + QStringLiteral("\"");
}

QString Icone(const QStringList& dossiers) {
  for (const QString& dossier : dossiers) {
    for (const char* nom : {"Morvo.png", "Morvo.svg", "Morvo.ico"}) {
      const QString trouve = TrouveSansCasse(dossier, QString::fromLatin1(nom));
      if (!trouve.isEmpty()) return trouve;
    }
  }
  // An installed Morvo has its icon in the desktop's icon theme.
  if (!QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                              QStringLiteral("icons/hicolor/scalable/apps/morvo.svg"))
           .isEmpty())
    return QStringLiteral("morvo");
  return {};
}

QString EntreeBureau(const CiblesInstallation& c, const QString& dossierTravail, bool association) {
  QString t =
      QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.0\nName=Morvo\nComment=Start Morvo\n");
  t += QStringLiteral("Exec=") + ValeurEntree(ArgumentExec(c.Executable)) +
       (association ? QStringLiteral(" %f") : QString()) + u'\n';
  if (!dossierTravail.isEmpty()) t += QStringLiteral("Path=") + ValeurEntree(dossierTravail) + u'\n';
  const QString icone = Icone(c.RepDonnees);
  if (!icone.isEmpty()) t += QStringLiteral("Icon=") + ValeurEntree(icone) + u'\n';
  t += QStringLiteral("Terminal=false\nCategories=Graphics;Engineering;\n");
  if (association)
    t += QStringLiteral("NoDisplay=true\nMimeType=") + TypeMimeProgramme + QStringLiteral(";\n");
  return t;
}

// Writes a small UTF-8 file whole into an existing folder; the reason in `erreur` on failure.
bool Ecrit(const QString& chemin, const QString& texte, QString& erreur, bool executable = false) {
  QString raison;
  if (!EcritFichier(chemin, texte.toUtf8(), &raison)) {
    erreur = chemin + QStringLiteral(" : ") + raison;
    return false;
  }
  if (executable)
    QFile::setPermissions(chemin,
                          QFile::permissions(chemin) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
  return true;
}

void Lance(const QString& outil, const QString& dossier) {
  const QString chemin = QStandardPaths::findExecutable(outil);
  if (chemin.isEmpty() || !QDir(dossier).exists()) return;
  QProcess p;
  p.setProgram(chemin);
  p.setArguments({dossier});
  p.setStandardOutputFile(QProcess::nullDevice());
  p.setStandardErrorFile(QProcess::nullDevice());
  p.start();
  if (!p.waitForFinished(30000)) p.kill();
}

void MetAJourBases(const CiblesInstallation& c) {
  if (!c.MetAJourBases) return;
  Lance(QStringLiteral("update-mime-database"), c.RepMime);
  Lance(QStringLiteral("update-desktop-database"), c.RepApplications);
}

// Copies the sample files; the failures go into `echecs`. A name found in several data folders is
// copied from the first. The number of samples the folder holds afterwards (a file already there
// counts); none found is a failure.
int CopieExemples(const CiblesInstallation& c, const QString& dossier, QStringList& echecs) {
  QStringList sources;
  QStringList vus;
  for (const QString& rep : c.RepDonnees) {
    const QDir source(rep);
    for (const QString& nom : source.entryList(QDir::Files, QDir::Name)) {
      if (vus.contains(UCase(nom))) continue;
      vus << UCase(nom);
      sources << source.filePath(nom);
    }
  }
  int copies = 0;
  bool trouve = false;
  for (const char* motif : Motifs) {
    const QString fin = QStringLiteral(".") + UCase(QString::fromLatin1(motif));
    for (const QString& de : sources) {
      const QString nom = QFileInfo(de).fileName();
      if (!UCase(nom).endsWith(fin)) continue;
      trouve = true;
      const QString vers = Dossier(dossier) + nom;
      const QFileInfo cible(vers);
      // The chosen folder may be the program's own: a file is never copied onto itself.
      if (cible.exists() && cible.canonicalFilePath() == QFileInfo(de).canonicalFilePath()) {
        ++copies;
        continue;
      }
      // A read-only old copy cannot be replaced in place.
      if (cible.exists() && !cible.isWritable() && !QFile::remove(vers)) {
        echecs << vers;
        continue;
      }
      // Copied through the checked writer: an old copy stays whole when the new one cannot be.
      QString raison;
      const std::optional<QByteArray> octets = LitOctetsFichier(de, &raison);
      if (!octets || !EcritFichier(vers, *octets, &raison)) {
        echecs << vers + QStringLiteral(" : ") + raison;
        continue;
      }
      // Samples from a read-only installation become the user's files to edit.
      QFile::setPermissions(vers, QFile::permissions(vers) | QFile::WriteOwner);
      ++copies;
    }
  }
  if (!trouve) echecs << TexteAide(153) + c.RepDonnees.join(QStringLiteral(", "));
  return copies;
}

bool Associe(const CiblesInstallation& c, QStringList& echecs) {
  // The file type that an installed Morvo ships: it claims no ".dat" file of another program.
  QFile source(QStringLiteral(":/desktop/morvo.xml"));
  const QString paquet = source.open(QIODevice::ReadOnly) ? QString::fromUtf8(source.readAll()) : QString();
  QDir().mkpath(Dossier(c.RepMime) + QStringLiteral("packages"));
  QDir().mkpath(c.RepApplications);
  QString erreur;
  bool ok = Ecrit(Dossier(c.RepMime) + QStringLiteral("packages/") + NomPaquetMime, paquet, erreur);
  if (ok) ok = Ecrit(Dossier(c.RepApplications) + NomLanceurAssociation, EntreeBureau(c, {}, true), erreur);
  if (!ok) echecs << erreur;
  MetAJourBases(c);
  return ok;
}

QString CheminJournal(const CiblesInstallation& c) { return Dossier(c.RepConfig) + NomJournalInstallation; }

}  // namespace

CiblesInstallation CiblesParDefaut(const QString& repProgramme) {
  CiblesInstallation c;
  c.RepProgramme = repProgramme;
  c.RepDonnees = DossiersDonnees(repProgramme);
  c.Executable = QCoreApplication::applicationFilePath();
  c.RepConfig = RepConfig.isEmpty() ? DossierConfig() : RepConfig;
  const QString donnees = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  c.RepApplications = donnees + QStringLiteral("/applications");
  c.RepMime = donnees + QStringLiteral("/mime");
  c.RepBureau = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
  return c;
}

bool MorvoInstalle(const QStringList& repBureau) {
  for (const QString& rep : repBureau) {
    if (QFileInfo(Dossier(rep) + QStringLiteral("applications/") + NomEntreeInstallee).isFile()) return true;
  }
  return false;
}

void DefinitChoixRepertoire(ChoixRepertoire choix) { choixCourant = std::move(choix); }

QString ChoisirRepertoire(const QString& titre, QWidget* proprietaire) {
  if (choixCourant) return choixCourant(titre, proprietaire);
  if (!DescripteursPourDialogue()) return {};
  DialogueOuverture dialogue(proprietaire, QDir::homePath(), QString());
  dialogue.setWindowTitle(titre);
  dialogue.setFileMode(QFileDialog::Directory);
  dialogue.setOption(QFileDialog::ShowDirsOnly);
  if (dialogue.exec() != QDialog::Accepted) return {};
  return dialogue.Noms().value(0);
}

void Installation(QWidget* proprietaire, const CiblesInstallation& c) {
  const QString dossier = Trim(ChoisirRepertoire(TexteAide(133), proprietaire));
  if (dossier.isEmpty()) return;
  QStringList echecs;

  const bool copie = Question(CrLf + TexteAide(134) + dossier + QStringLiteral(" ?   ") + CrLf);
  const bool copieFaite = copie && CopieExemples(c, dossier, echecs) > 0;

  // An installed Morvo has its menu entry and file type: the set-up adds none of its own beside them.
  const bool installe = MorvoInstalle(c.RepBureau);
  const bool raccourci = Question(CrLf + TexteAide(135) + dossier + QStringLiteral(" ?   ") + CrLf);
  bool raccourciFait = false;
  if (raccourci) {
    QString erreur;
    raccourciFait = Ecrit(Dossier(dossier) + NomRaccourci, EntreeBureau(c, dossier, false), erreur, true);
    if (raccourciFait && !installe) {
      QDir().mkpath(c.RepApplications);
      raccourciFait =
          Ecrit(Dossier(c.RepApplications) + NomLanceurMenu, EntreeBureau(c, dossier, false), erreur);
      if (raccourciFait && c.MetAJourBases)
        Lance(QStringLiteral("update-desktop-database"), c.RepApplications);
    }
    if (!raccourciFait) echecs << erreur;
  }

  const QString journal = LitFichierTexte(CheminJournal(c)).value_or(QString());
  bool dejaAssocie = installe;
  for (const char* marque : MarquesAssociation)
    dejaAssocie = dejaAssocie || journal.contains(QString::fromUtf8(marque));
  bool association = false;
  bool associationFaite = false;
  if (!dejaAssocie) {
    association = Question(CrLf + TexteAide(136) + QStringLiteral("   ") + CrLf);
    if (association) associationFaite = Associe(c, echecs);
  }

  QString s = CrLf;
  if (!copie && !raccourci && !association) {
    s += TexteAide(137) + CrLf;
  } else {
    if (copieFaite) s += TexteAide(138) + dossier + CrLf;
    // A step that failed is not reported as done: the log would stop the association question.
    if (raccourciFait) s += TexteAide(139) + dossier + CrLf;
    if (associationFaite) s += TexteAide(140) + CrLf;
  }
  if (installe) s += TexteAide(152) + CrLf;
  if (!echecs.isEmpty()) s += TexteEchecs + CrLf + echecs.join(CrLf) + CrLf;
  Dialogues().MsgBox(s, Boutons::Ok, QString());

  const QString enregistrement =
      QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm")) + s + CrLf + CrLf;
  QDir().mkpath(c.RepConfig);
  QString erreur;
  // A new log is UTF-8, so that a later record naming a folder in any script goes in whole.
  const bool ecrit = QFileInfo::exists(CheminJournal(c))
                         ? AjouteFichierTexte(CheminJournal(c), enregistrement, &erreur)
                         : EcritFichierTexte(CheminJournal(c), enregistrement, &erreur, FormeUtf8Marquee());
  if (!ecrit) Dialogues().MsgBox(TexteEcritureImpossible(CheminJournal(c), erreur), Boutons::Ok, QString());
}

void Desinstallation(const CiblesInstallation& c) {
  const QString journal = LitFichierTexte(CheminJournal(c)).value_or(QString());
  // The folder launchers the log names, in whichever set-up language it was written.
  for (const QString& ligne : journal.split(CrLf)) {
    for (int base = 0; base <= 1200; base += 400) {
      const QString debut = TexteRes(base + 139);
      if (debut.isEmpty() || !ligne.startsWith(debut)) continue;
      const QString lanceur = Dossier(ligne.mid(debut.size())) + NomRaccourci;
      const std::optional<QString> contenu = LitFichierTexte(lanceur);
      if (contenu && contenu->startsWith(QStringLiteral("[Desktop Entry]")) &&
          contenu->contains(QStringLiteral("\r\nName=Morvo\r\n")))
        QFile::remove(lanceur);
    }
  }
  QFile::remove(Dossier(c.RepApplications) + NomLanceurMenu);
  QFile::remove(Dossier(c.RepApplications) + NomLanceurAssociation);
  // The association of earlier set-ups, under a name no installation uses.
  QFile::remove(Dossier(c.RepApplications) + QStringLiteral("morvo-programme.desktop"));
  QFile::remove(Dossier(c.RepMime) + QStringLiteral("packages/") + NomPaquetMime);
  MetAJourBases(c);
  QFile::remove(CheminJournal(c));
}

// ---- the command of the main window ----

void FenetrePrincipale::Mnu_Setup_Click() { Installation(this, CiblesParDefaut(repProgramme_)); }
