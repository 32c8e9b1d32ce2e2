#include <gtest/gtest.h>

#include <QFileInfo>

#include "ConfigFixture.h"
#include "platform/StringTable.h"
#include "shell/Config.h"
#include "shell/Languages.h"
#include "shell/Startup.h"

namespace {

using StartupTest = ConfigFixture;

TEST(VersionTest, VersionTextCarriesTheRevisionLetter) {
  EXPECT_EQ(TexteVersion(2, 6, 1), QStringLiteral("2.06a"));
  EXPECT_EQ(TexteVersion(2, 6, 0), QStringLiteral("2.06 "));
  EXPECT_EQ(TexteVersion(3, 12, 2), QStringLiteral("3.12b"));
  EXPECT_EQ(TitreVersion(), QStringLiteral("Morvo  V") + VersionTexte());
}

TEST_F(StartupTest, FirstStartWritesDefaultsAndFrenchLanguages) {
  const ResultatDebut r = Debut({}, Programme());
  EXPECT_EQ(RepDepart, Depart() + u'/');
  EXPECT_EQ(RepConfig, DossierXdg() + u'/');
  EXPECT_EQ(Shell.RepConfig, RepConfig);
  EXPECT_EQ(LitOctets(FichierXdg()),
            EnTete() +
                "\r\n'Ne pas modifier / Do not change\r\n"
                "Langue = Fran\xe7"
                "ais\r\nLangueMenu = Fran\xe7"
                "ais\r\n"
                "LangueAide = Fran\xe7"
                "ais\r\nLangueMasq = Fran\xe7"
                "ais\r\n"
                "FichierDat = Morvo.dat\r\nDoubleClic = Non\r\nZmm = 1\r\nPatchs = 0\r\n");
  EXPECT_FALSE(QFile::exists(DossierXdg() + QStringLiteral("/Morvo$cfg.old")));
  EXPECT_TRUE(r.DemandeLangue);
  EXPECT_TRUE(LanguesCompletes());
  EXPECT_EQ(NumLangue + NumLangueMenu + NumLangueAide + NumLangueMasq, 4);
  EXPECT_TRUE(ConditionsAcceptees);
  EXPECT_FALSE(r.Charger) << "no Morvo.dat: the Open dialog comes next";
  EXPECT_EQ(r.NomFichier, QStringLiteral("Morvo.dat"));
  EXPECT_EQ(r.Titre, TitreVersion()) << "without a command line the file is named once loaded";
  EXPECT_EQ(FichierAideAppli, Programme() + QStringLiteral("/Morvo_fr.chm"));
  EXPECT_FALSE(DoubleClic);
  EXPECT_TRUE(prompter_.Messages().empty());

  // The next start finds everything set and asks nothing.
  Raz();
  const ResultatDebut r2 = Debut({}, Programme());
  EXPECT_FALSE(r2.DemandeLangue);
  EXPECT_EQ(NumLangue, 1);
}

TEST_F(StartupTest, EachLanguageAndAnotherVersion) {
  const QByteArray cles =
      "\r\nLangue = English\r\nLangueMenu = deutsch\r\nLangueAide = Castellano\r\nLangueMasq = English\r\n"
      "FichierDat = \r\nDoubleClic = Oui\r\n";
  EcritOctets(FichierXdg(), EnTete() + cles);
  ResultatDebut r = Debut({}, Programme());
  EXPECT_FALSE(r.DemandeLangue);
  EXPECT_EQ(BaseLangue, 400);
  EXPECT_EQ(Shell.BaseLangue, 400);
  EXPECT_EQ(BaseLangueMenu, 800);
  EXPECT_EQ(BaseLangueAide, 1200);
  EXPECT_EQ(BaseLangueMasq, 400);
  EXPECT_EQ(FichierAideAppli, Programme() + QStringLiteral("/Morvo_en.chm"));
  EXPECT_TRUE(DoubleClic);
  EXPECT_FALSE(r.Charger);
  EXPECT_TRUE(r.NomFichier.isEmpty());
  EXPECT_EQ(r.Titre, TitreVersion());
  EXPECT_EQ(TitreFichier(QString()), TitreVersion() + QStringLiteral("   File: "));

  // A header of another version brings the language question back: the message language is
  // unset (and becomes French), the other settings stay.
  Raz();
  EcritOctets(FichierXdg(), "'Fichier de configuration du Programme Morvo V9.99a" + cles);
  r = Debut({}, Programme());
  EXPECT_TRUE(r.DemandeLangue);
  EXPECT_EQ(NumLangue, 1);
  EXPECT_EQ(BaseLangueMenu, 800);
  EXPECT_EQ(BaseLangueMasq, 400);
  EXPECT_TRUE(LitOctets(FichierXdg())
                  .startsWith(EnTete() + "\r\nLangue = Fran\xe7"
                                         "ais\r\n"));
}

TEST_F(StartupTest, FileToLoadFromCommandLineOrLastFile) {
  ASSERT_TRUE(QDir(Depart()).mkpath(QStringLiteral("sous dossier")));
  const QString sous = Depart() + QStringLiteral("/sous dossier");
  EcritOctets(sous + QStringLiteral("/Prog.dat"), "Trait 0,0,10,10\r\n");
  EcritOctets(Depart() + QStringLiteral("/local.dat"), "Trait 0,0,10,10\r\n");
  EcritOctets(FichierXdg(), EnTete() +
                                "\r\nLangue = English\r\nLangueMenu = English\r\nLangueAide = English\r\n"
                                "LangueMasq = English\r\nFichierDat = local.dat\r\n");

  // An unquoted path with a blank arrives as two arguments; the quotes are dropped.
  ResultatDebut r =
      Debut({QStringLiteral("\"") + Depart() + QStringLiteral("/sous"), QStringLiteral("dossier/Prog.dat\"")},
            Programme());
  EXPECT_TRUE(r.Charger);
  EXPECT_EQ(r.NomFichier, sous + QStringLiteral("/Prog.dat"));
  EXPECT_EQ(Shell.NomFichier, r.NomFichier);
  EXPECT_EQ(Shell.RepCourant, sous + u'/');
  EXPECT_EQ(QDir::currentPath(), sous);
  EXPECT_EQ(r.Titre, TitreVersion() + QStringLiteral("   File: ") + sous + QStringLiteral("/Prog.dat"));

  QDir::setCurrent(Depart());
  Raz();
  r = Debut({QStringLiteral("local.dat")}, Programme());
  EXPECT_TRUE(r.Charger);
  EXPECT_EQ(r.NomFichier, Depart() + QStringLiteral("/local.dat"));
  EXPECT_EQ(QDir::currentPath(), Depart()) << "a bare name changes no folder";
  EXPECT_EQ(Shell.RepCourant, Depart() + u'/');

  Raz();
  r = Debut({}, Programme());
  EXPECT_TRUE(r.Charger) << "the last file of the configuration";
  EXPECT_EQ(r.NomFichier, Depart() + QStringLiteral("/local.dat"));

  Raz();
  r = Debut({QStringLiteral("absent.dat")}, Programme());
  EXPECT_FALSE(r.Charger);
  EXPECT_EQ(r.NomFichier, QStringLiteral("absent.dat"));

  // A name read as the system reads it: "bas/.." is the parent of the folder the link "bas" leads
  // to; and one through /proc/self/cwd, which reaches another file once the current folder is the
  // program's, gives way to the file it reached.
  const QString vrai = QFileInfo(sous + QStringLiteral("/Prog.dat")).canonicalFilePath();
  ASSERT_TRUE(QDir(sous).mkpath(QStringLiteral("plus bas")));
  ASSERT_TRUE(QFile::link(sous + QStringLiteral("/plus bas"), Depart() + QStringLiteral("/bas")));
  ASSERT_TRUE(QFile::link(QStringLiteral("sous dossier/Prog.dat"), Depart() + QStringLiteral("/lien.dat")));
  for (const QString& nom : {QStringLiteral("bas/../Prog.dat"), QStringLiteral("/proc/self/cwd/lien.dat")}) {
    QDir::setCurrent(Depart());
    Raz();
    r = Debut({nom}, Programme());
    EXPECT_TRUE(r.Charger) << nom.toStdString();
    EXPECT_EQ(QFileInfo(r.NomFichier).canonicalFilePath(), vrai) << nom.toStdString();
    EXPECT_EQ(Shell.RepCourant, sous + u'/') << nom.toStdString();
  }
}

TEST_F(StartupTest, ConfigurationThatCannotBeWrittenTellsOnceAndGoesOn) {
  ASSERT_TRUE(QDir().mkpath(FichierXdg()));
  const ResultatDebut r = Debut({}, Programme());
  EXPECT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(LanguesCompletes());
  EXPECT_EQ(FichierDat, QStringLiteral("Morvo.dat"));
  EXPECT_FALSE(r.Charger);
  EXPECT_TRUE(ConditionsAcceptees);
}

TEST_F(StartupTest, ExternalCommandsAreSortedAndListedOnce) {
  for (const char* nom : {"b.dag", "A.dag", "X.DAG", "notes.txt"})
    EcritOctets(Programme() + u'/' + QString::fromLatin1(nom), "'\r\n");
  for (const char* nom : {"a.dag", "b.dag", "c.dag"})
    EcritOctets(Depart() + u'/' + QString::fromLatin1(nom), "'\r\n");
  ListeCmdExternes(Programme(), Depart());
  EXPECT_EQ(Shell.CmdExternes, QStringList({"A", "X.DAG", "a", "b", "c"}));
  ASSERT_EQ(Shell.RepCmdExternes.size(), 5);
  EXPECT_EQ(Shell.RepCmdExternes[0], Programme() + u'/');
  EXPECT_EQ(Shell.RepCmdExternes[2], Depart() + u'/');
  EXPECT_EQ(Shell.RepCmdExternes[3], Programme() + u'/') << "the program folder's copy is kept";

  ListeCmdExternes(Depart(), Depart() + u'/');
  EXPECT_EQ(Shell.CmdExternes, QStringList({"a", "b", "c"})) << "the same folder is listed once";

  QTemporaryDir beaucoup;
  ASSERT_TRUE(beaucoup.isValid());
  for (int i = 0; i < 65; ++i)
    EcritOctets(beaucoup.path() + QStringLiteral("/c%1.dag").arg(i, 2, 10, QChar(u'0')), "'");
  ListeCmdExternes(beaucoup.path(), Depart());
  EXPECT_EQ(Shell.CmdExternes.size(), 60);
  EXPECT_EQ(Shell.CmdExternes.last(), QStringLiteral("c59"));
}

}  // namespace
