#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QScopeGuard>
#include <cerrno>
#include <cstring>

#include "ConfigFixture.h"
#include "FullDisk.h"
#include "platform/StringTable.h"
#include "platform/SystemReasons.h"
#include "shell/Config.h"
#include "shell/Languages.h"

namespace {

using ConfigTest = ConfigFixture;

TEST_F(ConfigTest, ReadsLanguagesAndHandEditedKeys) {
  EcritOctets(FichierXdg(),
              "'Fichier de configuration du Programme Morvo V0.01 \r\n"
              "'Langue = Deutsch\r\n"
              "langue =   english  \r\n"
              "LangueMenu = Deutsch\r\n"
              "LANGUEAIDE=Castellano\r\n"
              "languemasq = Fran\xe7"
              "ais\r\n"
              "fichierdat =  /tmp/Mon Fichier.DAT \r\n"
              "doubleclic = oui\r\n"
              "zmm = 2.5\r\n"
              "TailleCarCode =  11\r\n"
              "patchs = -1");
  PrepareConfig();
  EXPECT_EQ(RepConfig, DossierXdg() + u'/');
  Shell.ZoomCourant = 3.0f;
  ASSERT_TRUE(LitConfig());
  EXPECT_EQ(NumLangue, 2);
  EXPECT_EQ(BaseLangue, 400);
  EXPECT_EQ(Shell.BaseLangue, 400);
  EXPECT_EQ(NumLangueMenu, 3);
  EXPECT_EQ(BaseLangueMenu, 800);
  EXPECT_EQ(NumLangueAide, 0) << "no blank before '=' selects nothing";
  EXPECT_EQ(NumLangueMasq, 1);
  EXPECT_EQ(BaseLangueMasq, 0);
  EXPECT_FALSE(LanguesCompletes());
  EXPECT_EQ(FichierDat, QStringLiteral("/tmp/Mon Fichier.DAT"));
  EXPECT_TRUE(DoubleClic);
  EXPECT_FLOAT_EQ(Shell.FacteurMm, 2.5f);
  EXPECT_FLOAT_EQ(TailleCarCode, 11.0f);
  EXPECT_FLOAT_EQ(Shell.ZoomCourant, 1.0f);
  EXPECT_EQ(Patchs, -1);
  for (int k = 0; k <= 13; ++k) EXPECT_TRUE(Patch[k]) << k;
  EXPECT_FALSE(Patch[14]);
  EXPECT_TRUE(prompter_.Messages().empty());
}

TEST_F(ConfigTest, LanguageLinesAndTheirSetters) {
  LitLigneLangues(QStringLiteral("Langue = Castellano"));
  EXPECT_EQ(NumLangue, 4);
  EXPECT_EQ(BaseLangue, 1200);
  LitLigneLangues(QStringLiteral("Langue = Russian"));
  LitLigneLangues(QStringLiteral("Langue ="));
  LitLigneLangues(QStringLiteral("Langue = Klingon"));
  EXPECT_EQ(NumLangue, 4) << "unknown names leave the setting";
  LitLigneLangues(QStringLiteral("LANGUEAIDE =    deutsch"));
  EXPECT_EQ(NumLangueAide, 3);
  EXPECT_EQ(BaseLangueAide, 800);
  EXPECT_EQ(NumLangue, 4) << "the longer keys never match \"Langue =\"";
  LitLigneLangues(QStringLiteral("'LangueMenu = English"));
  EXPECT_EQ(NumLangueMenu, 0);

  EXPECT_EQ(NombreLangues(), 4);
  EXPECT_EQ(IndexLangue(QStringLiteral("FRANÇAIS")), 1);
  EXPECT_EQ(IndexLangue(QStringLiteral("Russian")), 0);
  EXPECT_EQ(CodeLangue(3), QStringLiteral("de"));

  DefinitLangue(0);
  EXPECT_EQ(NumLangue, 0);
  DefinitLangueMenu(5);
  EXPECT_EQ(NumLangueMenu, 0);
  CompleteLanguesFrancais();
  EXPECT_TRUE(LanguesCompletes());
  EXPECT_EQ(NumLangue, 1);
  EXPECT_EQ(BaseLangue, 0);
  EXPECT_EQ(Shell.BaseLangue, 0);
  EXPECT_EQ(NumLangueAide, 3) << "a set language is kept";
  EXPECT_EQ(NumLangueMasq, 1);
}

TEST_F(ConfigTest, ZmmOfZeroReadsAsOneUnlessLast) {
  PrepareConfig();
  LitLigneConfig(QStringLiteral("Zmm = 0"));
  EXPECT_FLOAT_EQ(Shell.FacteurMm, 0.0f);
  LitLigneConfig(QStringLiteral("'comment"));
  EXPECT_FLOAT_EQ(Shell.FacteurMm, 0.0f);
  LitLigneConfig(QStringLiteral("Patchs = 5"));
  EXPECT_FLOAT_EQ(Shell.FacteurMm, 1.0f);
  EXPECT_TRUE(Patch[0]);
  EXPECT_FALSE(Patch[1]);
  EXPECT_TRUE(Patch[2]);
  LitLigneConfig(QStringLiteral("Zmm = abc"));
  EXPECT_FLOAT_EQ(Shell.FacteurMm, 0.0f);
}

TEST_F(ConfigTest, RewritesOneKeyThroughTheBackup) {
  EcritOctets(FichierXdg(),
              "'Fichier de configuration du Programme Morvo V9.99a\r\n"
              "Langue = English\r\n"
              "doubleclic = non\r\n"
              "DoubleClic = Non\r\n"
              "FichierDat = a.dat\r\n"
              "Zmm = 2");
  EcritOctets(DossierXdg() + QStringLiteral("/Morvo$cfg.old"), "stale");
  PrepareConfig();
  ASSERT_TRUE(EcritConfig(QStringLiteral("DoubleClic ="), QStringLiteral(" Oui")));
  EXPECT_EQ(LitOctets(FichierXdg()), EnTete() +
                                         "\r\nLangue = English\r\nDoubleClic = Oui\r\nDoubleClic = Oui\r\n"
                                         "FichierDat = a.dat\r\nZmm = 2\r\n")
      << "every line of the key replaced, the header names this version, the final line kept";
  EXPECT_FALSE(QFile::exists(DossierXdg() + QStringLiteral("/Morvo$cfg.old")));

  ASSERT_TRUE(EcritConfig(QStringLiteral("TailleCarCode ="), QStringLiteral(" 12")));
  EXPECT_TRUE(LitOctets(FichierXdg()).endsWith("Zmm = 2\r\nTailleCarCode = 12\r\n"));
  ASSERT_TRUE(EcritConfig(QStringLiteral("Langue ="), QStringLiteral(" Fran\u00e7ais")));
  EXPECT_TRUE(LitOctets(FichierXdg())
                  .contains("\r\nLangue = Fran\xe7"
                            "ais\r\n"));
  EXPECT_TRUE(prompter_.Messages().empty());
}

TEST_F(ConfigTest, MaskLanguageGoesBeforeTheLastFileOrAtTheEnd) {
  EcritOctets(FichierXdg(), "'old header\r\nLangue = English\r\nFichierDat = x.dat\r\nZmm = 1\r\n");
  PrepareConfig();
  ASSERT_TRUE(EcritConfig(QStringLiteral("LangueMasq ="), QStringLiteral(" English")));
  EXPECT_EQ(LitOctets(FichierXdg()),
            QByteArray("'old header\r\nLangue = English\r\nLangueMasq = English\r\nFichierDat = x.dat\r\n"
                       "Zmm = 1\r\n"));

  EcritOctets(FichierXdg(), "'old header\r\nLangue = English\r\nZmm = 1");
  ASSERT_TRUE(EcritConfig(QStringLiteral("LangueMasq ="), QStringLiteral(" Deutsch")));
  EXPECT_EQ(LitOctets(FichierXdg()),
            QByteArray("'old header\r\nLangue = English\r\nZmm = 1\r\nLangueMasq = Deutsch\r\n"));
  RazEtatConfig();
  PrepareConfig();
  ASSERT_TRUE(LitConfig());
  EXPECT_EQ(NumLangueMasq, 3);
}

TEST_F(ConfigTest, ARewriteOntoAFullDiskKeepsTheOldFileAndTellsOnce) {
  DisquePlein disque;
  ASSERT_TRUE(disque.Valide());
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(disque.Chemin(QStringLiteral("xdg"))));
  const QString fichier = disque.Chemin(QStringLiteral("xdg/Morvo/Morvo.cfg"));
  const QByteArray ancien = EnTete() + "\r\nLangue = English\r\nZmm = 2\r\n";
  EcritOctets(fichier, ancien);
  PrepareConfig();
  ASSERT_EQ(RepConfig + NomFicConfig, fichier);
  // One free block: the backup goes in, the new file does not.
  disque.Remplit(1);
  EXPECT_FALSE(EcritConfig(QStringLiteral("Zmm = "), QStringLiteral("3")));
  EXPECT_FALSE(EcritConfig(QStringLiteral("DoubleClic ="), QStringLiteral(" Oui")));
  EXPECT_EQ(LitOctets(fichier), ancien);
  EXPECT_FALSE(QFile::exists(disque.Chemin(QStringLiteral("xdg/Morvo/Morvo$cfg.old"))));
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, TexteMsg(129).arg(fichier, RaisonSysteme(ENOSPC)));
}

TEST_F(ConfigTest, FrozenConfigurationIsNotWritten) {
  PrepareConfig();
  ASSERT_TRUE(CreeConfigDefaut());
  const QByteArray avant = LitOctets(FichierXdg());
  ConfigFigee = true;
  EXPECT_TRUE(EcritConfig(QStringLiteral("Zmm = "), QStringLiteral("3")));
  EXPECT_EQ(LitOctets(FichierXdg()), avant);
}

TEST_F(ConfigTest, UnreadableConfigurationKeepsDefaultsAndTellsOnce) {
  // A folder where the file should be cannot be read or replaced.
  ASSERT_TRUE(QDir().mkpath(FichierXdg()));
  PrepareConfig();
  EXPECT_FALSE(CreeConfigDefaut());
  EXPECT_FALSE(LitConfig());
  EXPECT_FALSE(LitConfig());
  EXPECT_FALSE(EcritConfig(QStringLiteral("Zmm = "), QStringLiteral("2")));
  EXPECT_EQ(FichierDat, QStringLiteral("Morvo.dat"));
  EXPECT_FLOAT_EQ(Shell.FacteurMm, 1.0f);
  EXPECT_EQ(NumLangue, 0);
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(prompter_.Messages()[0].texte.contains(QStringLiteral("Morvo.cfg")));
  EXPECT_TRUE(QFileInfo(FichierXdg()).isDir());
}

// A configuration far beyond any real one (a sparse file of 2 GB, here through a link) is read no
// further than its bound: the program starts with the defaults, says why, and leaves the file.
TEST_F(ConfigTest, AHugeConfigurationKeepsTheDefaultsAndIsLeftAsItIs) {
  ASSERT_TRUE(QDir().mkpath(DossierXdg()));
  const QString enorme = DossierXdg() + QStringLiteral("/enorme.bin");
  constexpr qint64 Taille = qint64{2} << 30;
  {
    QFile f(enorme);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(Taille));
  }
  ASSERT_TRUE(QFile::link(enorme, FichierXdg()));
  PrepareConfig();
  QElapsedTimer duree;
  duree.start();
  EXPECT_TRUE(CreeConfigDefaut());
  EXPECT_FALSE(LitConfig());
  EXPECT_TRUE(PremiereLigneConfig().isEmpty());
  EXPECT_FALSE(EcritConfig(QStringLiteral("Zmm = "), QStringLiteral("2")));
  EXPECT_LT(duree.elapsed(), 10000);
  EXPECT_EQ(FichierDat, QStringLiteral("Morvo.dat"));
  EXPECT_FLOAT_EQ(Shell.FacteurMm, 1.0f);
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(prompter_.Messages()[0].texte.contains(QStringLiteral("1048576")))
      << prompter_.Messages()[0].texte.toStdString();
  EXPECT_TRUE(QFileInfo(FichierXdg()).isSymLink());
  EXPECT_EQ(QFileInfo(enorme).size(), Taille);
}

TEST_F(ConfigTest, ConfigurationFolderFollowsXdgOrTheStartFolder) {
  QTemporaryDir maison;
  ASSERT_TRUE(maison.isValid());
  const QByteArray ancienneMaison = qgetenv("HOME");
  qputenv("HOME", QFile::encodeName(maison.path()));
  qunsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(DossierConfig(), maison.path() + QStringLiteral("/.config/Morvo"));
  EXPECT_TRUE(QFileInfo(maison.path() + QStringLiteral("/.config/Morvo")).isDir());
  qputenv("XDG_CONFIG_HOME", "relative/path");
  EXPECT_EQ(DossierConfig(), maison.path() + QStringLiteral("/.config/Morvo"));
  qputenv("HOME", ancienneMaison);
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg_.path()));
  EXPECT_EQ(DossierConfig(), DossierXdg());
  EXPECT_TRUE(QFileInfo(DossierXdg()).isDir());

  EcritOctets(Depart() + QStringLiteral("/morvo.CFG"), "'local\r\nZmm = 4\r\n");
  PrepareConfig();
  EXPECT_EQ(RepConfig, Depart() + u'/');
  EXPECT_FALSE(DossierVirtualise);
  ASSERT_TRUE(LitConfig());
  EXPECT_FLOAT_EQ(Shell.FacteurMm, 4.0f);
  ASSERT_TRUE(EcritConfig(QStringLiteral("Zmm = "), QStringLiteral("5")));
  EXPECT_EQ(LitOctets(Depart() + QStringLiteral("/morvo.CFG")), EnTete() + "\r\nZmm = 5\r\n");
  EXPECT_FALSE(QFile::exists(FichierXdg()));
}

// With HOME unset or empty the home is the password database's, as the C library's own programs
// take it: never the root folder.
TEST_F(ConfigTest, WithoutHomeTheConfigurationFolderIsInThePasswordDatabasesHome) {
  const passwd* entree = ::getpwuid(::getuid());
  if (entree == nullptr || entree->pw_dir == nullptr || entree->pw_dir[0] == '\0')
    GTEST_SKIP() << "the user has no entry in the password database";
  const QString maison = QFile::decodeName(entree->pw_dir);
  const bool avaitMaison = qEnvironmentVariableIsSet("HOME");
  const QByteArray ancienneMaison = qgetenv("HOME");
  const auto rend = qScopeGuard([&] {
    if (avaitMaison)
      qputenv("HOME", ancienneMaison);
    else
      qunsetenv("HOME");
  });
  qunsetenv("XDG_CONFIG_HOME");
  for (const bool vide : {false, true}) {
    if (vide)
      qputenv("HOME", "");
    else
      qunsetenv("HOME");
    EXPECT_EQ(DossierConfig(), QDir::cleanPath(maison + QStringLiteral("/.config/Morvo"))) << vide;
  }
}

}  // namespace
