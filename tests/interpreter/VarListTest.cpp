#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>

#include "drawing/DrawState.h"
#include "interpreter/RunState.h"
#include "interpreter/VarList.h"
#include "platform/Host.h"
#include "platform/RecordingSurface.h"
#include "values/Levels.h"

namespace {

class ListeVariablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    localeAvant_ = QLocale();
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    RazEtatRun();
    RazEtatDessin();
    RazValeursShell();
    DimensionneNiveaux(6);
    NiveauCourant = 1;
    Lecture.SepParam = QStringLiteral(",");
    Lecture.SepSousParam = QStringLiteral("§");
    Sortie = nullptr;
    Niveau(1).MaxVar = 33;
    Niveau(1).FacteurTailleP = 1.0f;
    Niveau(1).FacteurEpaisT = 1.0f;
    Shell.NomFichier = QStringLiteral("/home/u/progs/main.txt");
    Shell.RepCourant = QStringLiteral("/home/u/data/");
    Shell.MmParPixelEcran = 0.2645833f;
    Shell.ZoomCourant = 1.5f;
  }
  void TearDown() override {
    Sortie = nullptr;
    QLocale::setDefault(localeAvant_);
  }

  static QStringList Lignes(const QString& liste) { return liste.split(QStringLiteral("\r\n")); }

 private:
  QLocale localeAvant_;
};

TEST_F(ListeVariablesTest, MainLevelWithoutVariables) {
  Lettrage.TailleTexte = 4.0f;
  Niveau(1).FacteurTailleP = 1.5f;
  Niveau(1).OrigineX = 12.5;
  Encre.CouleurCourante = 255;
  Repere.CTx = 0.5f;
  Repere.CTy = -2.0f;
  Rotation.AngRotDefaut = -30.0f;
  const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
  const QString attendu = QStringLiteral("%iRec\t= 1\t\t\t%Date\t= ") + date +
                          QStringLiteral(
                              "\r\n"
                              "%File\t= main.txt\t\t%Path\t= /home/u/data/\r\n"
                              "%Fil1\t= \t\t\t%EOF\t= 1\r\n"
                              "%TaP\t= 6\t\t\t%Pol\t= \r\n"
                              "%EpT\t= 0,26\t\t\t%Coul\t= RVB 255 000 000\r\n"
                              "%CEx\t= 12.5\t\t\t%CEy\t= \r\n"
                              "%CTx\t= .5\t\t\t%CTy\t= -2\r\n"
                              "%Zoom\t=  1.5\t\t\t%Imp\t= 0\r\n"
                              "%AR0\t= 30\r\n"
                              "\r\n");
  EXPECT_EQ(ListeVariables(1), attendu);

  Rotation.AngRotDefaut = 0.0f;
  EXPECT_TRUE(ListeVariables(1).endsWith(QStringLiteral("%AR0\t= 0\r\n\r\n")));
}

TEST_F(ListeVariablesTest, NestedLevelAndFolders) {
  Niveau(2).Fichier = QStringLiteral("/home/u/cmds/sous.txt");
  Niveau(2).FicDonnees = QStringLiteral("donnees.txt");
  QStringList l = Lignes(ListeVariables(2));
  EXPECT_EQ(l[0].left(10), QStringLiteral("%iRec\t= 2\t"));
  EXPECT_EQ(l[1], QStringLiteral("%File\t= sous.txt\t\t%Path\t= /home/u/data/"));
  EXPECT_EQ(l[2], QStringLiteral("%Fil1\t= main.txt\t\t%EOF = 0"));

  Niveau(3).Fichier = QStringLiteral("C:\\anciens\\vieux.txt");
  Shell.RepCourant = QStringLiteral("sansdossier");
  l = Lignes(ListeVariables(3));
  EXPECT_EQ(l[1], QStringLiteral("%File\t= vieux.txt\t\t%Path\t= sansdossier"));
  EXPECT_EQ(l[2], QStringLiteral("%Fil1\t= main.txt\t\t%EOF\t= 1"));
}

TEST_F(ListeVariablesTest, Colours) {
  Encre.CouleurCourante = 16711680;
  EXPECT_EQ(Lignes(ListeVariables(1))[4].section(u'\t', 5), QStringLiteral("= RVB 000 000 255"));
  Encre.CouleurCourante = 0x0080FF;
  EXPECT_EQ(Lignes(ListeVariables(1))[4].section(u'\t', 5), QStringLiteral("= RVB 255 128 000"));
}

TEST_F(ListeVariablesTest, PrinterOutput) {
  RecordingSurface imprimante(1000, 700, 600.0);
  imprimante.DefinitImprimante(true);
  imprimante.Font.Name = QStringLiteral(" Arial ");
  Sortie = &imprimante;
  Shell.MmParPixelImp = 0.0423333f;
  Shell.FacteurImpression = 2.0f;
  Niveau(1).FacteurEpaisT = 10.0f;
  const QStringList l = Lignes(ListeVariables(1));
  EXPECT_TRUE(l[3].endsWith(QStringLiteral("%Pol\t= Arial")));
  EXPECT_TRUE(l[4].startsWith(QStringLiteral("%EpT\t= 0,42\t")));
  EXPECT_EQ(l[7], QStringLiteral("%Zoom\t=  2\t\t\t%Imp\t= 1"));
}

TEST_F(ListeVariablesTest, VariablesSortedByName) {
  // Names written by different routines may differ in case only.
  NiveauProg& r = Niveau(1);
  const char* noms[] = {"%b", "%A", "%a", "%É", "%Z", "", "%c", "%c"};
  const char* valeurs[] = {"vb", "vA", "va", "vÉ", "vZ", "passee", "1", "2"};
  for (int i = 0; i < 8; ++i) {
    r.NomsVar[i + 1] = QString::fromUtf8(noms[i]);
    r.ValeursVar[i + 1] = QString::fromUtf8(valeurs[i]);
  }
  r.NbVar = 8;

  const QString liste = ListeVariables(1);
  const int debut = liste.indexOf(QStringLiteral("\r\n\r\n")) + 4;
  EXPECT_EQ(liste.mid(debut), QStringLiteral("\t= passee\r\n"
                                             "%A\t= vA\r\n"
                                             "%Z\t= vZ\r\n"
                                             "%a\t= va\r\n"
                                             "%b\t= vb\r\n"
                                             "%c\t= 1\r\n"
                                             "%c\t= 2\r\n"
                                             "%É\t= vÉ\r\n"));
}

}  // namespace
