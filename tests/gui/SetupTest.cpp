#include <QFileInfo>
#include <QTemporaryDir>

#include "ConfigFixture.h"
#include "WindowFixture.h"
#include "platform/TextFile.h"
#include "shell/Languages.h"
#include "shell/Setup.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

// XDG_DATA_HOME and XDG_DATA_DIRS set to folders of the test's own for as long as it lives, so that
// nothing installed on this machine (a Morvo, its examples) counts.
class DonneesXdgPropres {
 public:
  DonneesXdgPropres() {
    for (int i = 0; i < 2; ++i) {
      avait_[i] = qEnvironmentVariableIsSet(noms_[i]);
      ancien_[i] = qgetenv(noms_[i]);
    }
    qputenv(noms_[0], QFile::encodeName(Maison()));
    qputenv(noms_[1], QFile::encodeName(systeme_.path()));
  }
  ~DonneesXdgPropres() {
    for (int i = 0; i < 2; ++i) {
      if (avait_[i])
        qputenv(noms_[i], ancien_[i]);
      else
        qunsetenv(noms_[i]);
    }
  }
  QString Maison() const { return maison_.path(); }

 private:
  QTemporaryDir maison_, systeme_;
  const char* noms_[2] = {"XDG_DATA_HOME", "XDG_DATA_DIRS"};
  bool avait_[2] = {false, false};
  QByteArray ancien_[2];
};

}  // namespace

class SetupTest : public ConfigFixture {
 protected:
  void SetUp() override {
    ConfigFixture::SetUp();
    ASSERT_TRUE(home_.isValid() && choisi_.isValid());
    ancienHome_ = qgetenv("HOME");
    avaitDonnees_ = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    ancienDonnees_ = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", QFile::encodeName(home_.path()));
    qunsetenv("XDG_DATA_HOME");
    PrepareConfig();
    DefinitLangueAide(1);
    for (const char* nom : {"a.dat", "B.DAT", "x.pdf", "lisez.TXT", "autre.bin", "cmd.dag"})
      EcritOctets(Programme() + u'/' + QString::fromLatin1(nom), QByteArray(nom));
    DefinitChoixRepertoire([this](const QString& titre, QWidget*) {
      titres_ << titre;
      return dossier_;
    });
    dossier_ = choisi_.path();
    cibles_ = CiblesParDefaut(Programme());
    cibles_.Executable = QStringLiteral("/opt/morvo 100% dir/morvo");
    // Whatever this machine has installed: Morvo is not, unless a test installs it.
    cibles_.RepBureau = QStringList({home_.path() + QStringLiteral("/.local/share")});
  }

  void TearDown() override {
    DefinitChoixRepertoire(nullptr);
    RazLangues();
    qputenv("HOME", ancienHome_);
    if (avaitDonnees_) qputenv("XDG_DATA_HOME", ancienDonnees_);
    ConfigFixture::TearDown();
  }

  QString Applications(const QString& nom) const {
    return home_.path() + QStringLiteral("/.local/share/applications/") + nom;
  }
  QString Paquet(const QString& nom = NomPaquetMime) const {
    return home_.path() + QStringLiteral("/.local/share/mime/packages/") + nom;
  }
  QString Journal() const { return RepConfig + QStringLiteral("MorvoSetup.log"); }
  QString Choisi(const QString& nom) const { return dossier_ + u'/' + nom; }

  QTemporaryDir home_;
  QTemporaryDir choisi_;
  QString dossier_;
  QStringList titres_;
  CiblesInstallation cibles_;

 private:
  QByteArray ancienHome_;
  bool avaitDonnees_ = false;
  QByteArray ancienDonnees_;
};

TEST_F(SetupTest, CopiesLaunchersAssociationLogAndUninstall) {
  EXPECT_EQ(cibles_.RepApplications, home_.path() + QStringLiteral("/.local/share/applications"));
  EXPECT_EQ(cibles_.RepConfig, RepConfig);
  for (int i = 0; i < 3; ++i) prompter_.AjouteReponse(QStringLiteral("YES"));
  Installation(nullptr, cibles_);
  EXPECT_EQ(titres_, QStringList({QStringLiteral("Sélectionnez un répertoire  ")}));
  ASSERT_EQ(prompter_.Messages().size(), 4u);
  EXPECT_EQ(prompter_.Messages()[0].texte, CRLF + QStringLiteral("Copier les fichiers exemples dans  ") +
                                               dossier_ + QStringLiteral(" ?   ") + CRLF);
  EXPECT_EQ(prompter_.Messages()[0].boutons, Boutons::OuiNon);
  EXPECT_EQ(prompter_.Messages()[2].texte,
            CRLF + QStringLiteral("Associer Morvo aux fichiers .dat ?   ") + QStringLiteral("   ") + CRLF);
  const QString resume = CRLF + QStringLiteral("Fichiers exemples copiés dans  ") + dossier_ + CRLF +
                         QStringLiteral("Raccourci clavier créé dans  ") + dossier_ + CRLF +
                         QStringLiteral("Morvo associé aux fichiers .dat") + CRLF;
  EXPECT_EQ(prompter_.Messages()[3].texte, resume);
  EXPECT_EQ(prompter_.Messages()[3].boutons, Boutons::Ok);

  // The samples, whatever the case of their extension; nothing else.
  for (const char* nom : {"a.dat", "B.DAT", "x.pdf", "lisez.TXT", "cmd.dag"})
    EXPECT_EQ(LitOctets(Choisi(QString::fromLatin1(nom))), QByteArray(nom)) << nom;
  EXPECT_FALSE(QFile::exists(Choisi(QStringLiteral("autre.bin"))));

  // The launcher in the folder starts Morvo there, and can be started from a file manager.
  const QString lanceur = QString::fromUtf8(LitOctets(Choisi(QStringLiteral("Morvo.desktop"))));
  EXPECT_TRUE(lanceur.startsWith(QStringLiteral("[Desktop Entry]\nType=Application\n")));
  // A "%" of the program's path is doubled, so that it is no field code of the Exec key.
  EXPECT_TRUE(lanceur.contains(QStringLiteral("\nExec=\"/opt/morvo 100%% dir/morvo\"\n")));
  EXPECT_TRUE(lanceur.contains(QStringLiteral("\nPath=") + dossier_ + u'\n'));
  EXPECT_TRUE(lanceur.contains(QStringLiteral("\nComment=Start Morvo\n")));
  EXPECT_TRUE(QFileInfo(Choisi(QStringLiteral("Morvo.desktop"))).isExecutable());
  EXPECT_EQ(QString::fromUtf8(LitOctets(Applications(NomLanceurMenu))), lanceur);
  const QString association = QString::fromUtf8(LitOctets(Applications(NomLanceurAssociation)));
  EXPECT_TRUE(association.contains(QStringLiteral("\nExec=\"/opt/morvo 100%% dir/morvo\" %f\n")));
  EXPECT_TRUE(association.contains(QStringLiteral("\nMimeType=application/x-morvo-program;\n")));
  const QString paquet = QString::fromUtf8(LitOctets(Paquet()));
  EXPECT_TRUE(paquet.contains(QStringLiteral("<mime-type type=\"application/x-morvo-program\">")));
  // Names of the set-up's own: none is a file that an installation lays out (and its uninstall
  // would leave behind or the set-up overwrite).
  for (const QString& nom : {NomLanceurMenu, NomLanceurAssociation, NomPaquetMime})
    EXPECT_FALSE(nom == QStringLiteral("morvo.desktop") || nom == QStringLiteral("morvo.xml"))
        << nom.toStdString();
  // A text type of its own at a low weight: any other program's ".dat" type wins the name.
  EXPECT_TRUE(paquet.contains(QStringLiteral("<sub-class-of type=\"text/plain\"/>")));
  EXPECT_TRUE(paquet.contains(QStringLiteral("<glob pattern=\"*.dat\" weight=\"10\"/>")));

  // One record: date and time, the summary, two line ends.
  const QString journal = LitFichierTexte(Journal()).value_or(QString());
  EXPECT_EQ(journal.size(), 16 + resume.size() + 4);
  EXPECT_TRUE(journal.endsWith(resume + CRLF + CRLF));
  EXPECT_TRUE(QDateTime::fromString(journal.left(16), QStringLiteral("yyyy-MM-dd hh:mm")).isValid());

  // A second run does not ask about the association again; two No answers do nothing.
  prompter_.Efface();
  for (int i = 0; i < 2; ++i) prompter_.AjouteReponse(QStringLiteral("NO"));
  Installation(nullptr, cibles_);
  ASSERT_EQ(prompter_.Messages().size(), 3u);
  EXPECT_EQ(prompter_.Messages()[2].texte, CRLF + QStringLiteral("Aucune action effectuée") + CRLF);
  EXPECT_TRUE(LitFichierTexte(Journal()).value_or(QString()).endsWith(
      CRLF + QStringLiteral("Aucune action effectuée") + CRLF + CRLF + CRLF));

  // Uninstall: launchers, file type and log go; the user's copies stay.
  Desinstallation(cibles_);
  EXPECT_FALSE(QFile::exists(Choisi(QStringLiteral("Morvo.desktop"))));
  EXPECT_FALSE(QFile::exists(Applications(NomLanceurMenu)));
  EXPECT_FALSE(QFile::exists(Applications(NomLanceurAssociation)));
  EXPECT_FALSE(QFile::exists(Paquet()));
  EXPECT_FALSE(QFile::exists(Journal()));
  EXPECT_TRUE(QFile::exists(Choisi(QStringLiteral("a.dat"))));
}

// An installed Morvo keeps its samples in "morvo" of the XDG data folders; those beside the program
// come first.
TEST_F(SetupTest, CopiesTheInstalledSamples) {
  QTemporaryDir partage;
  ASSERT_TRUE(partage.isValid());
  EcritOctets(partage.path() + QStringLiteral("/morvo/voltmeter.dat"), "installed");
  EcritOctets(partage.path() + QStringLiteral("/morvo/A.DAT"), "installed a");
  const bool avait = qEnvironmentVariableIsSet("XDG_DATA_DIRS");
  const QByteArray ancien = qgetenv("XDG_DATA_DIRS");
  qputenv("XDG_DATA_DIRS", QFile::encodeName(partage.path()));
  CiblesInstallation cibles = CiblesParDefaut(Programme());
  if (avait)
    qputenv("XDG_DATA_DIRS", ancien);
  else
    qunsetenv("XDG_DATA_DIRS");
  EXPECT_EQ(cibles.RepDonnees,
            QStringList({Programme(), QDir(partage.path() + QStringLiteral("/morvo")).absolutePath()}));
  prompter_.AjouteReponse(QStringLiteral("YES"));
  for (int i = 0; i < 2; ++i) prompter_.AjouteReponse(QStringLiteral("NO"));
  Installation(nullptr, cibles);
  EXPECT_EQ(LitOctets(Choisi(QStringLiteral("voltmeter.dat"))), QByteArray("installed"));
  EXPECT_EQ(LitOctets(Choisi(QStringLiteral("a.dat"))), QByteArray("a.dat"));
  EXPECT_FALSE(QFile::exists(Choisi(QStringLiteral("A.DAT"))));
}

TEST_F(SetupTest, CancelRecordedAssociationAndFailures) {
  // Cancelling the folder dialog: no question, no log.
  dossier_ = QStringLiteral("   ");
  Installation(nullptr, cibles_);
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_FALSE(QFile::exists(Journal()));

  // An association recorded in German suppresses the question for a French user; three No
  // answers are logged too.
  dossier_ = choisi_.path();
  EcritOctets(Journal(), QByteArray("2020-01-01 10:00\r\nMorvo mit .dat Dateien verkn\xFCpft\r\n\r\n\r\n"));
  prompter_.AjouteReponse(QStringLiteral("NO"));
  prompter_.AjouteReponse(QStringLiteral("NO"));
  Installation(nullptr, cibles_);
  ASSERT_EQ(prompter_.Messages().size(), 3u);
  EXPECT_EQ(prompter_.Messages()[2].texte, CRLF + QStringLiteral("Aucune action effectuée") + CRLF);

  // A folder that cannot be written: the failures are reported and the launcher is not said to
  // be created; the program folder itself is never copied onto itself.
  prompter_.Efface();
  QFile::remove(Journal());
  dossier_ = choisi_.path() + QStringLiteral("/absent");
  for (int i = 0; i < 3; ++i) prompter_.AjouteReponse(QStringLiteral("YES"));
  cibles_.RepMime = QStringLiteral("/proc/morvo-test/mime");
  Installation(nullptr, cibles_);
  ASSERT_EQ(prompter_.Messages().size(), 4u);
  const QString resume = prompter_.Messages()[3].texte;
  // Nothing could be copied: the copy is not reported as done.
  EXPECT_TRUE(resume.startsWith(CRLF + QStringLiteral("Échecs / Failures / Fehler / Errores :") + CRLF))
      << resume.toStdString();
  EXPECT_FALSE(resume.contains(QStringLiteral("copiés")));
  EXPECT_FALSE(resume.contains(QStringLiteral("Raccourci")));
  EXPECT_FALSE(resume.contains(QStringLiteral("Morvo associé")));
  EXPECT_FALSE(QFile::exists(dossier_));
  EXPECT_FALSE(LitFichierTexte(Journal()).value_or(QString()).contains(QStringLiteral("fichiers .dat")));

  prompter_.Efface();
  dossier_ = Programme();
  prompter_.AjouteReponse(QStringLiteral("YES"));
  prompter_.AjouteReponse(QStringLiteral("NO"));
  prompter_.AjouteReponse(QStringLiteral("NO"));
  Installation(nullptr, cibles_);
  EXPECT_EQ(LitOctets(Programme() + QStringLiteral("/a.dat")), QByteArray("a.dat"));

  // A folder named through a file ("simple.txt/.."): the system finds no folder there, and the
  // files beside that file stay as they were.
  prompter_.Efface();
  dossier_ = choisi_.path();
  EcritOctets(Choisi(QStringLiteral("simple.txt")), "simple");
  EcritOctets(Choisi(QStringLiteral("a.dat")), "mon a.dat");
  dossier_ = Choisi(QStringLiteral("simple.txt/.."));
  for (const char* reponse : {"YES", "YES", "NO"}) prompter_.AjouteReponse(QString::fromLatin1(reponse));
  Installation(nullptr, cibles_);
  const QDir choisi(choisi_.path());
  EXPECT_EQ(LitOctets(choisi.filePath(QStringLiteral("a.dat"))), QByteArray("mon a.dat"));
  EXPECT_FALSE(QFile::exists(choisi.filePath(NomRaccourci)));
  EXPECT_FALSE(QFile::exists(choisi.filePath(QStringLiteral("B.DAT"))));
}

// An installed Morvo (its desktop entry in a data folder) keeps its own menu entry and file type:
// the set-up writes none of its own beside them, does not offer the association, and says so.
TEST_F(SetupTest, AnInstalledMorvoKeepsItsDesktopEntryAndFileType) {
  const QByteArray entree(
      "[Desktop Entry]\nType=Application\nName=Morvo\nExec=morvo %f\n"
      "MimeType=application/x-morvo-program;\n");
  const QByteArray type("<?xml version=\"1.0\"?>\n<mime-info/>\n");
  EcritOctets(Applications(QStringLiteral("morvo.desktop")), entree);
  EcritOctets(Paquet(QStringLiteral("morvo.xml")), type);
  ASSERT_TRUE(MorvoInstalle(cibles_.RepBureau));
  prompter_.AjouteReponse(QStringLiteral("NO"));
  prompter_.AjouteReponse(QStringLiteral("YES"));
  Installation(nullptr, cibles_);
  // The copy and launcher questions, then the summary: no association question.
  ASSERT_EQ(prompter_.Messages().size(), 3u);
  EXPECT_EQ(prompter_.Messages()[2].texte,
            CRLF + QStringLiteral("Raccourci clavier créé dans  ") + dossier_ + CRLF +
                QStringLiteral("Morvo est installé : son entrée de menu et son "
                               "type de fichier restent ceux de l'installation") +
                CRLF);
  EXPECT_TRUE(QFile::exists(Choisi(NomRaccourci)));
  EXPECT_EQ(LitOctets(Applications(QStringLiteral("morvo.desktop"))), entree);
  EXPECT_EQ(LitOctets(Paquet(QStringLiteral("morvo.xml"))), type);
  for (const QString& nom : {NomLanceurMenu, NomLanceurAssociation})
    EXPECT_FALSE(QFile::exists(Applications(nom))) << nom.toStdString();
  EXPECT_FALSE(QFile::exists(Paquet()));
  // The set-up's uninstall takes away only what the set-up wrote.
  Desinstallation(cibles_);
  EXPECT_EQ(LitOctets(Applications(QStringLiteral("morvo.desktop"))), entree);
  EXPECT_EQ(LitOctets(Paquet(QStringLiteral("morvo.xml"))), type);
  EXPECT_FALSE(QFile::exists(Choisi(NomRaccourci)));
}

class SetupWindowTest : public WindowFixture {};

TEST_F(SetupWindowTest, MenuEntryAsksForTheFolder) {
  Demarre();
  QStringList titres;
  DefinitChoixRepertoire([&titres](const QString& titre, QWidget*) {
    titres << titre;
    return QString();
  });
  F().Action(QStringLiteral("Mnu_Setup"))->trigger();
  DefinitChoixRepertoire(nullptr);
  EXPECT_EQ(titres, QStringList({QStringLiteral("Sélectionnez un répertoire  ")}));
  EXPECT_TRUE(prompter_.Messages().empty());
}

class SetupMenuTest : public WindowFixture {
 protected:
  void TearDown() override {
    DefinitChoixRepertoire(nullptr);
    WindowFixture::TearDown();
  }
};

TEST_F(SetupMenuTest, EnterThroughTheQuestionsChangesNothing) {
  // A Morvo installed on this machine would take the association question away.
  const DonneesXdgPropres donnees;
  QTemporaryDir choisi;
  EcritOctets(Programme() + QStringLiteral("/exemple.dat"), "Trait 0,0,5,5\r\n");
  DefinitChoixRepertoire([&choisi](const QString&, QWidget*) { return choisi.path(); });
  Demarre();
  VraisDialogues();
  ReponsesModales reponses;
  BoiteVue questions[3], resume;
  for (BoiteVue& q : questions) reponses.Ajoute(NoteEtEntree(q));
  reponses.Ajoute(NoteEtEntree(resume));
  ChoisitMenu(u'o', u'm');
  for (const BoiteVue& q : questions) {
    EXPECT_EQ(q.icone, QMessageBox::Question) << q.texte.toStdString();
    EXPECT_EQ(q.defaut, QStringLiteral("&Non")) << q.texte.toStdString();
  }
  EXPECT_EQ(resume.texte, CRLF + QStringLiteral("Aucune action effectuée") + CRLF);
  EXPECT_FALSE(QFile::exists(choisi.path() + QStringLiteral("/exemple.dat")));
  EXPECT_FALSE(QFile::exists(choisi.path() + u'/' + NomRaccourci));
  EXPECT_FALSE(QFile::exists(donnees.Maison() + QStringLiteral("/applications/") + NomLanceurAssociation));
}

// Yes to the copy when no example is found anywhere: the summary and the log tell the failure,
// not a copy.
TEST_F(SetupMenuTest, ACopyThatFindsNoExampleSaysSoAndNotThatItCopied) {
  const DonneesXdgPropres donnees;
  QTemporaryDir choisi;
  DefinitChoixRepertoire([&choisi](const QString&, QWidget*) { return choisi.path(); });
  Demarre();
  ASSERT_TRUE(
      QDir(Programme()).entryList({QStringLiteral("*.dat"), QStringLiteral("*.txt")}, QDir::Files).isEmpty());
  VraisDialogues();
  ReponsesModales reponses;
  BoiteVue copie, raccourci, association, resume;
  reponses.Ajoute([&copie](QWidget* dialogue) {
    if (auto* boite = qobject_cast<QMessageBox*>(dialogue)) copie.texte = boite->text();
    QWidget* cible = QApplication::focusWidget();
    QTest::keyClick(cible && cible->window() == dialogue ? cible : dialogue, Qt::Key_O);  // &Oui
  });
  reponses.Ajoute(NoteEtEntree(raccourci));
  reponses.Ajoute(NoteEtEntree(association));
  reponses.Ajoute(NoteEtEntree(resume));
  ChoisitMenu(u'o', u'm');
  EXPECT_TRUE(copie.texte.contains(QStringLiteral("Copier les fichiers exemples dans")));
  EXPECT_TRUE(resume.vue);
  EXPECT_FALSE(resume.texte.contains(QStringLiteral("Fichiers exemples copiés")))
      << resume.texte.toStdString();
  EXPECT_TRUE(resume.texte.contains(QStringLiteral("Échecs / Failures / Fehler / Errores :") + CRLF +
                                    QStringLiteral("Aucun fichier exemple trouvé dans  ") + Programme()))
      << resume.texte.toStdString();
  const QString journal = LitFichierTexte(RepConfig + NomJournalInstallation).value_or(QString());
  EXPECT_TRUE(journal.contains(QStringLiteral("Aucun fichier exemple trouvé dans  ")));
  EXPECT_FALSE(journal.contains(QStringLiteral("Fichiers exemples copiés")));
  EXPECT_TRUE(QDir(choisi.path()).isEmpty());
}
