// PlotS symbols run one level deeper at each point, the offset file of "§OFFSET", and the
// %variables in which the Plot commands return their ranges and point counts.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include "CommandsFixture.h"
#include "drawing/DrawState.h"
#include "platform/Events.h"
#include "platform/Host.h"
#include "platform/TextFile.h"

namespace {

class PlotSTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    ASSERT_TRUE(dossier_.isValid());
    Shell.RepCourant = dossier_.path() + QStringLiteral("/");
  }
  void TearDown() override {
    DefinitDoEvents({});
    CommandsTest::TearDown();
  }
  void Fichier(const QString& nom, const QByteArray& contenu) {
    QFile f(dossier_.filePath(nom));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(contenu);
  }
  // Runs with no message left from earlier runs.
  void RunSeul(const QStringList& lignes) {
    Session().Prompteur().Efface();
    Run(lignes);
  }
  QString Erreur() { return Messages().empty() ? QString() : Messages().back().texte; }
  void AttendCercle(size_t k, double x, double y, double r) {
    const auto c = Cercles();
    ASSERT_GT(c.size(), k);
    EXPECT_POINT(c[k].Points[0], Px(x, y));
    EXPECT_NEAR(c[k].Rx, r * PxParMm, 1e-3) << "circle " << k;
  }

  QTemporaryDir dossier_;
};

TEST_F(PlotSTest, DrawsTheSymbolAtEachPoint) {
  Fichier("a.txt", "0,0\n10,5\n20,10\n");
  // Without %CmdSymb: a circle of 1 mm at each point, and no line.
  RunSeul({"PlotS = a, 1, 2, 0, 1, 0, 1, 0", "%A = 1"});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  EXPECT_TRUE(Lignes().empty());
  ASSERT_EQ(Cercles().size(), 3u);
  AttendCercle(0, 0, 0, 1);
  AttendCercle(1, 10, 5, 1);
  AttendCercle(2, 20, 10, 1);
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_FLOAT_EQ(Repere.XCourant, 20);
  EXPECT_FLOAT_EQ(Repere.YCourant, 10);

  // Scaling and turning come before the symbol: #X, #Y are the point in mm.
  RunSeul({"%CmdSymb =< Cercle = #X, #Y, 2", "PlotS = a, 1, 2, 0, 2, 0, 1, 0, , , , 90"});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  ASSERT_EQ(Cercles().size(), 3u);
  AttendCercle(1, -5, 20, 2);
  AttendCercle(2, -10, 40, 2);

  // Another command as symbol, and a PlotS inside a command file: the symbol stands on that
  // file's origin.
  Fichier("p.dat", "%CmdSymb =< Plus = #X, #Y, 1\r\nPlotS = a, 1, 2, 0, 1, 0, 1, 0\r\n");
  RunSeul({"Fichier = p.dat, 50, 20", "%B = 2"});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  const auto l = Lignes();
  ASSERT_EQ(l.size(), 6u);
  EXPECT_POINT(l[2].Points[0], Px(59, 25));
  EXPECT_POINT(l[2].Points[1], Px(61, 25));
  EXPECT_POINT(l[5].Points[0], Px(70, 29));
  EXPECT_EQ(Var(1, "%B"), "2");
  EXPECT_EQ(Var(0, "%FicX"), "50") << "a symbol run is no file call";

  // The CT point moves the curve and its symbols alike, once.
  RunSeul({"CT = 30, 40", "PlotS = a, 1, 2, 0, 1, 0, 1, 0"});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  ASSERT_EQ(Cercles().size(), 3u);
  AttendCercle(2, 50, 50, 1);
  EXPECT_FLOAT_EQ(Repere.XCourant, 50);

  // A symbol relative to the previous one goes on from where the last symbol left it.
  RunSeul({"%CmdSymb =< Cercle = 5R, 0R, 1", "PlotS = a, 1, 2, 0, 1, 0, 1, 0"});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  ASSERT_EQ(Cercles().size(), 3u);
  AttendCercle(1, 10, 0, 1);
  AttendCercle(2, 15, 0, 1);

  // The symbol's own level does not count against the depth of command files: a PlotS in the
  // fifth level still draws.
  Fichier("n2.dat", "Fichier = n3.dat, 0, 0\r\n");
  Fichier("n3.dat", "Fichier = n4.dat, 0, 0\r\n");
  Fichier("n4.dat", "Fichier = n5.dat, 0, 0\r\n");
  Fichier("n5.dat", "PlotS = a, 1, 2, 0, 1, 0, 1, 0\r\n");
  RunSeul({"Fichier = n2.dat, 0, 0"});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  EXPECT_EQ(Cercles().size(), 3u);
}

TEST_F(PlotSTest, SymbolListsAndStepsPickTheirEntries) {
  QByteArray sept;
  for (int i = 1; i <= 7; ++i) sept += QByteArray::number(i) + ",0\n";
  Fichier("b.txt", sept);
  // Entry i mod n of each list (n for multiples of n); "#SYMB2" is replaced before "#SYMB".
  RunSeul({"%Symb =< 1,2,3", "%Symb2 =< 10,20", "%CmdSymb =< Cercle = #X, #Symb2, #Symb",
           "PlotS = b, 1, 2, 0, 1, 0, 1, 0"});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  ASSERT_EQ(Cercles().size(), 7u);
  const double rayons[] = {1, 2, 3, 1, 2, 3, 1};
  for (size_t k = 0; k < 7; ++k) AttendCercle(k, k + 1.0, k % 2 == 0 ? 10 : 20, rayons[k]);

  // Step 3: points 1, 4 and 7; the index of the point picks the entry.
  RunSeul({"%Symb =< 1,2,3", "%CmdSymb =< Cercle = #X, 0, #Symb", "PlotS = b, 1, 2§0§3, 0, 1, 0, 1, 0"});
  ASSERT_EQ(Cercles().size(), 3u);
  AttendCercle(0, 1, 0, 1);
  AttendCercle(1, 4, 0, 1);
  AttendCercle(2, 7, 0, 1);

  // %variables of the symbol are those of the calling level.
  RunSeul({"%R = 4", "%CmdSymb =< Cercle = #X, #Y, %R", "PlotS = b, 1, 2, 0, 1, 0, 1, 0"});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  ASSERT_EQ(Cercles().size(), 7u);
  AttendCercle(6, 7, 0, 4);
}

TEST_F(PlotSTest, RefusesAPlotAsSymbol) {
  Fichier("a.txt", "0,0\n10,5\n");
  RunSeul({"%CmdSymb =< Plot = a.txt, 1, 2, 0", "PlotS = a, 1, 2, 0, 1, 0, 1, 0"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Erreur().contains(QStringLiteral("No Plot command in %CmdSymb"))) << Erreur().toStdString();
  EXPECT_TRUE(Erreur().contains(QStringLiteral("PlotS = a"))) << Erreur().toStdString();
  ASSERT_EQ(Cercles().size(), 2u);
  AttendCercle(1, 10, 5, 1);

  // A command file as symbol: it runs at each point unless it plots; a commented-out Plot is no
  // plot, and each real one is told once.
  Fichier("sym.dat", "' Plot here is a comment\r\nCercle = 0, 0, 2\r\n");
  RunSeul({"%CmdSymb =< Fichier = sym, #X, #Y", "PlotS = a, 1, 2, 0, 1, 0, 1, 0"});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  ASSERT_EQ(Cercles().size(), 2u);
  AttendCercle(1, 10, 5, 2);

  Fichier("boucle.dat", "PlotS = a, 1, 2, 0\r\nCercle = 0, 0, 2\r\n' Plot\r\nPlot = a, 1, 2, 0\r\n");
  RunSeul({"%CmdSymb =< Fichier = boucle.dat, #X, #Y", "PlotS = a, 1, 2, 0, 1, 0, 1, 0"});
  EXPECT_EQ(Messages().size(), 2u);
  ASSERT_EQ(Cercles().size(), 2u);
  AttendCercle(1, 10, 5, 1);

  RunSeul({"%CmdSymb =< Fichier = absent.dat, #X, #Y", "PlotS = a, 1, 2, 0, 1, 0, 1, 0"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Erreur().contains(QStringLiteral("fichier non trouvé"))) << Erreur().toStdString();
  EXPECT_TRUE(Cercles().empty());
}

TEST_F(PlotSTest, ErrorsInSymbolsAndEscStopThePlot) {
  Fichier("a.txt", "0,0\n10,5\n20,10\n");
  // An unknown %variable is an error of the PlotS line itself.
  RunSeul({"%CmdSymb =< Cercle = #X, #Y, %Rien", "PlotS = a, 1, 2, 0, 1, 0, 1, 0", "%A = 1"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Erreur().contains(QStringLiteral("CERCLE =  0,  0, %RIEN : non initialisée")))
      << Erreur().toStdString();
  EXPECT_EQ(Var(1, "%A"), "<absent>");
  EXPECT_TRUE(Cercles().empty());

  // A failing symbol is reported for its level; OK goes on with the next point...
  RunSeul({"%CmdSymb =< Cercle = #X, #Y, abc", "PlotS = a, 1, 2, 0, 1, 0, 1, 0", "%A = 1"});
  ASSERT_EQ(Messages().size(), 3u);
  EXPECT_TRUE(Erreur().contains(QStringLiteral("Symbole"))) << Erreur().toStdString();
  EXPECT_TRUE(Erreur().contains(QStringLiteral("CERCLE =  20,  10, ABC"))) << Erreur().toStdString();
  EXPECT_EQ(Var(1, "%A"), "1");

  // ...and Cancel ends the whole run at once.
  Session().Prompteur().Efface();
  Repond(QStringLiteral("CANCEL"));
  Run(QStringList{"%CmdSymb =< Cercle = #X, #Y, abc", "PlotS = a, 1, 2, 0, 1, 0, 1, 0", "%A = 1"});
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Var(1, "%A"), "<absent>");

  // Esc during a long PlotS: the plot and the run stop without a message.
  QByteArray long_;
  for (int i = 0; i < 12000; ++i) long_ += QByteArray::number(i % 100) + ",1\n";
  Fichier("long.txt", long_);
  DefinitDoEvents([this] {
    if (Cercles().size() > 100) Arret = true;
  });
  RunSeul({"%CmdSymb =< Cercle = #X, #Y, 1", "PlotS = long, 1, 2, 0, 1, 0, 1, 0", "%A = 1"});
  DefinitDoEvents({});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  EXPECT_EQ(Var(1, "%A"), "<absent>");
  EXPECT_GT(Cercles().size(), 100u);
  EXPECT_LT(Cercles().size(), 12000u);
}

TEST_F(PlotSTest, ResultVariables) {
  Fichier("a.txt", "0,0\n10,5\n");
  // Ranges and means instead of a drawing.
  RunSeul({"PlotS = a, 1, 2, 0, , , , , %XR, %YR, %N"});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  EXPECT_TRUE(RienDessine());
  EXPECT_EQ(Var(1, "%XR"), " 0,  10,  5");
  EXPECT_EQ(Var(1, "%YR"), " 0,  5,  2.5");
  EXPECT_EQ(Var(1, "%N"), " 2");

  // Given bounds stand for the data range; X column 0 counts the points.
  RunSeul({"Plot = a, 0, 2, 0, , , 1§§§-1§8, , %XR, %YR"});
  EXPECT_EQ(Var(1, "%XR"), " 1,  2,  1");
  EXPECT_EQ(Var(1, "%YR"), "-1,  8,  2.5");

  // The count of each block, joined by "+", for a drawing that goes on.
  Fichier("b.txt", "1,1\n2,2\n3,1\n'EOD\n4,4\n5,5\n6,4\n7,7\n");
  RunSeul({"PlotS = b, 1, 2, 0, 1, 0, 1, 0, , , %N"});
  EXPECT_EQ(Var(1, "%N"), " 3+ 4");
  EXPECT_EQ(Cercles().size(), 7u);
  RunSeul({"Plot = b, 1, 2, 0, , , , , , %YR, %N"});
  EXPECT_EQ(Var(1, "%YR"), " 4,  7,  5");
  EXPECT_EQ(Var(1, "%N"), " 3+ 4");
  EXPECT_TRUE(RienDessine());
}

TEST_F(PlotSTest, OffsetFileIsWrittenAndReadBack) {
  Fichier("pts.txt", "'points\r\n1,5;2r\r\n3;-1\r\n'EOD np\r\nepaist=2\r\n  \r\n0;0\r\n");
  const QString offset = dossier_.filePath(QStringLiteral("Plot_Offset.txt"));
  RunSeul({"Plot = pts, 1, 2, 0, 2, 1, 1, 3, , , , §OFFSET", "%A = 1"});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  EXPECT_TRUE(RienDessine());
  EXPECT_EQ(Var(1, "%A"), "1");
  std::optional<QString> texte = LitFichierTexte(offset);
  ASSERT_TRUE(texte.has_value());
  EXPECT_EQ(*texte,
            QStringLiteral("'POINTS\r\n5.0;2.0r\r\n8.0;2.0\r\n'EOD NP\r\nEPAIST=2\r\n  \r\n2.0;3.0\r\n"));

  // Read back as a point file: the relative point goes on from the one before.
  RunSeul({"Plot = Plot_Offset§59, 1, 2, 0, 1, 0, 1, 0"});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  const auto l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_POINT(l[0].Points[0], Px(5, 2));
  EXPECT_POINT(l[0].Points[1], Px(8, 2));
  EXPECT_EQ(l[1].Epaisseur, 2);

  // Rewritten from scratch, in the locale's decimal separator; "E" factors are powers of ten.
  const QLocale avant;
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  Fichier("pts.txt", "0,5;1\r\n");
  RunSeul({"Plot = pts, 1, 2, 0, E100, , 0.5, 1, , , , §offset"});
  QLocale::setDefault(avant);
  texte = LitFichierTexte(offset);
  ASSERT_TRUE(texte.has_value());
  EXPECT_EQ(*texte, QStringLiteral("1,0;1,0\r\n"));

  // A missing source, a line without ";", a field that is no number: run errors.
  RunSeul({"Plot = absent, 1, 2, 0, 1, 0, 1, 0, , , , §OFFSET"});
  EXPECT_TRUE(Erreur().contains(QStringLiteral("absent.txt"))) << Erreur().toStdString();
  Fichier("pts.txt", "1;2\r\n3\r\n");
  RunSeul({"Plot = pts, 1, 2, 0, 1, 0, 1, 0, , , , §OFFSET"});
  EXPECT_TRUE(Erreur().contains(QStringLiteral("\";\" expected"))) << Erreur().toStdString();
  Fichier("pts.txt", "1;xyz\r\n");
  RunSeul({"Plot = pts, 1, 2, 0, 1, 0, 1, 0, , , , §OFFSET"});
  EXPECT_TRUE(Erreur().contains(QStringLiteral("XYZ"))) << Erreur().toStdString();

  // A folder of that name in the program's folder, or a link to one there, is no file to write, and
  // is said to be a folder.
  Fichier("pts.txt", "1;2\r\n");
  ASSERT_TRUE(QFile::remove(offset));
  ASSERT_TRUE(QDir(dossier_.path()).mkdir(QStringLiteral("Plot_Offset.txt")));
  ASSERT_TRUE(QDir(dossier_.path()).mkdir(QStringLiteral("sous")));
  for (int lien = 0; lien < 2; ++lien) {
    if (lien == 1) {
      ASSERT_TRUE(QDir(offset).removeRecursively());
      ASSERT_TRUE(QFile::link(QStringLiteral("sous"), offset));
    }
    RunSeul({"Plot = pts, 1, 2, 0, 1, 0, 1, 0, , , , §OFFSET", "%A = 2"});
    ASSERT_EQ(Messages().size(), 1u) << Erreur().toStdString();
    EXPECT_TRUE(Erreur().contains(offset) &&
                Erreur().contains(QString::fromLocal8Bit(std::strerror(EISDIR))) &&
                !Erreur().contains(QStringLiteral("refused")))
        << lien << ": " << Erreur().toStdString();
    EXPECT_EQ(Var(1, "%A"), "<absent>");
  }
  EXPECT_TRUE(QDir(dossier_.filePath(QStringLiteral("sous"))).isEmpty());

  // A FIFO of that name is said to be one.
  ASSERT_TRUE(QFile::remove(offset));
  ASSERT_EQ(::mkfifo(QFile::encodeName(offset).constData(), 0600), 0);
  RunSeul({"Plot = pts, 1, 2, 0, 1, 0, 1, 0, , , , §OFFSET", "%A = 2"});
  EXPECT_TRUE(Erreur().contains(QStringLiteral("not a regular file (a FIFO or a pipe)")))
      << Erreur().toStdString();

  // A file of the folder that has other names (hard links) is replaced there unasked, its other
  // names keeping what they held.
  ASSERT_TRUE(QFile::remove(offset));
  Fichier("autre.txt", "garde\r\n");
  ASSERT_EQ(::link(QFile::encodeName(dossier_.filePath(QStringLiteral("autre.txt"))).constData(),
                   QFile::encodeName(offset).constData()),
            0);
  RunSeul({"Plot = pts, 1, 2, 0, 1, 0, 1, 0, , , , §OFFSET", "%A = 3"});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  EXPECT_EQ(Var(1, "%A"), "3");
  EXPECT_EQ(LitFichierTexte(offset).value_or(QString()), QStringLiteral("1.0;2.0\r\n"));
  EXPECT_EQ(LitFichierTexte(dossier_.filePath(QStringLiteral("autre.txt"))).value_or(QString()),
            QStringLiteral("garde\r\n"));
}

}  // namespace
