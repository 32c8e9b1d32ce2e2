// The Plot statements run as programs on data files written to a temporary folder: the file
// format, scaling and fitting, moving average, reading step, clipping, turning and filling.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "CommandsFixture.h"
#include "commands/Commands.h"
#include "drawing/DrawState.h"
#include "platform/Events.h"
#include "platform/Host.h"
#include "platform/RunError.h"
#include "values/Levels.h"

namespace {

class PlotTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    ASSERT_TRUE(dossier_.isValid());
  }
  // Writes the bytes as they stand (line ends included) and gives the file's path.
  QString Fichier(const QString& nom, const QByteArray& contenu) {
    const QString chemin = dossier_.filePath(nom);
    QFile f(chemin);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(contenu);
    return chemin;
  }
  QString Erreur() { return Messages().empty() ? QString() : Messages().back().texte; }

  QTemporaryDir dossier_;
};

constexpr uint32_t Rouge = 255;

TEST_F(PlotTest, FitsTheRangeAndReadsEveryLineEnd) {
  const QString f = Fichier("a.txt", "0,0\n10,5\n20,10");
  Run(QStringLiteral("Plot = %1, 1, 2, 0").arg(f));
  EXPECT_TRUE(Messages().empty());
  auto l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l[0].Points[1], Px(50, 50));
  EXPECT_POINT(l[1].Points[1], Px(100, 100));
  EXPECT_NEAR(Repere.XCourant, 100, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 100, 1e-4);

  // A dash pattern finer than a pixel: each segment is drawn solid, not cut in thousands.
  Run(QStringList{"EpaisT = 0.1§§0.001§0.001§0.001", QStringLiteral("Plot = %1, 1, 2, 0").arg(f)});
  EXPECT_EQ(Lignes().size(), 2u);

  // CR LF, CR alone, and a lone CR followed later by LFs: every line is read.
  for (const QByteArray& texte : {QByteArray("0,0\r\n10,5\r\n20,10\r\n"), QByteArray("0,0\r10,5\r20,10"),
                                  QByteArray("0,0\r10,5\n20,10\n")}) {
    Run(QStringLiteral("Plot = %1, 1, 2, 0").arg(Fichier("b.txt", texte)));
    l = Lignes();
    ASSERT_EQ(l.size(), 2u) << texte.constData();
    EXPECT_POINT(l[1].Points[1], Px(100, 100));
  }

  // Given factors and offsets, a width and origin, a name completed with ".txt" in the program's
  // folder, a separator code and decimal commas.
  Fichier("c.txt", "1,5;2,25\n3,5;4,25\n");
  Shell.RepCourant = dossier_.path() + QStringLiteral("/");
  Run(QStringLiteral("Plot = c§59, 1, 2, 0, 1, 1, 2, 0"));
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  l = Lignes();
  ASSERT_EQ(l.size(), 1u);
  EXPECT_POINT(l[0].Points[0], Px(2.5, 4.5));
  EXPECT_POINT(l[0].Points[1], Px(4.5, 8.5));
  Run(QStringLiteral("Plot = c§59, 1, 2, 0, 0§40§10, , 0§20"));
  l = Lignes();
  ASSERT_EQ(l.size(), 1u);
  EXPECT_POINT(l[0].Points[0], Px(10, 0));
  EXPECT_POINT(l[0].Points[1], Px(50, 20));

  // X values from a file of their own, Y from the main file.
  Fichier("x.txt", "0\n10\n20\n30\n");
  Run(QStringLiteral("Plot = %1, 1§x, 1, 0").arg(Fichier("y.txt", "0\n5\n10\n")));
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_POINT(l[0].Points[1], Px(100.0 / 3, 50));
  EXPECT_POINT(l[1].Points[1], Px(200.0 / 3, 100));

  // An X file is read only as far as the points it gives: one of 64 GB, empty beyond its first
  // lines, plots its first three points at once.
  {
    QFile gros(dossier_.filePath(QStringLiteral("gros.txt")));
    ASSERT_TRUE(gros.open(QIODevice::WriteOnly));
    gros.write("0\n10\n20\n30\n");
    ASSERT_TRUE(gros.resize(qint64(64) << 30));
  }
  Run(QStringLiteral("Plot = y, 1§gros, 1, 0§§3"));
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_POINT(l[1].Points[1], Px(100, 100));

  // Relative values add the previous point's.
  Fichier("d.txt", "10;10\n3r;-1R\n");
  Run(QStringLiteral("Plot = d§59, 1, 2, 0, 1, 0, 1, 0"));
  l = Lignes();
  ASSERT_EQ(l.size(), 1u);
  EXPECT_POINT(l[0].Points[1], Px(13, 9));

  // A command file run through a link in another folder reads a bare name beside the file the
  // link leads to.
  ASSERT_TRUE(QDir(dossier_.path()).mkpath(QStringLiteral("lib")));
  ASSERT_TRUE(QDir(dossier_.path()).mkpath(QStringLiteral("projet")));
  Fichier("lib/pts.txt", "0,0\n10,5\n");
  Fichier("lib/cmd.dat", "Plot = pts, 1, 2, 0\r\n");
  ASSERT_TRUE(QFile::link(dossier_.filePath("lib/cmd.dat"), dossier_.filePath("projet/cmd.dat")));
  Shell.RepCourant = dossier_.filePath("projet") + u'/';
  Run(QStringLiteral("Fichier = ") + dossier_.filePath("projet/cmd.dat"));
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  EXPECT_EQ(Lignes().size(), 1u);
}

TEST_F(PlotTest, BlocksCommentsSkippedLinesAndResults) {
  const QString f = Fichier("e.txt",
                            "'header\n0,0\n10,10\n'EOD\n"
                            "' second\n0,10\n\n10,0\n'eod np\n"
                            "1r,2\n");
  Run(QStringList{QStringLiteral("Plot = %1, 1, 2, 0, 1, 0, 1, 0, , , %N").arg(f)});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  auto l = Lignes();
  ASSERT_EQ(l.size(), 3u);
  EXPECT_POINT(l[0].Points[1], Px(10, 10));
  EXPECT_POINT(l[1].Points[0], Px(0, 10));
  // The first point of a block is relative to the last point of the block before.
  EXPECT_POINT(l[2].Points[0], Px(11, 2));
  EXPECT_EQ(Var(1, "%N"), QStringLiteral(" 2+ 2+ 1"));

  // The filled form fills each block unless "NP" says not to.
  Run(QStringList{QStringLiteral("Couleur = rouge"),
                  QStringLiteral("PlotP = %1, 1, 2, 0, 1, 0, 1, 0").arg(f)});
  const auto p = Polygones();
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].Points.size(), 2);
  EXPECT_EQ(*p[0].Remplissage, Rouge);
  EXPECT_EQ(Lignes().size(), 1u) << "the NP block is drawn as a line";
  // A stop asked for while the points were gathered is honoured before the fill.
  DefinitDoEvents([] { Arret = true; });
  Run(QStringList{QStringLiteral("PlotP = %1, 1, 2, 0, 1, 0, 1, 0").arg(f), QStringLiteral("%A = 1")});
  DefinitDoEvents({});
  EXPECT_TRUE(Polygones().empty());
  EXPECT_EQ(Var(1, "%A"), "<absent>");

  // Skipped lines of each block go into a variable.
  Run(QStringLiteral("Plot = %1, 1, 2, 2§%LI, 1, 0, 1, 0").arg(Fichier("e2.txt", "'a\n'b\n0,0\n1,1\n")));
  EXPECT_EQ(Var(1, "%LI"), QStringLiteral("'a\r\n'b"));
  EXPECT_EQ(Lignes().size(), 1u);

  // The range and mean go into variables and nothing is drawn.
  Run(QStringLiteral("Plot = %1, 1, 2, 0, , , , , %XR, %YR").arg(Fichier("f.txt", "0,0\n10,5\n")));
  EXPECT_TRUE(RienDessine());
  EXPECT_EQ(Var(1, "%XR"), QStringLiteral(" 0,  10,  5"));
  EXPECT_EQ(Var(1, "%YR"), QStringLiteral(" 0,  5,  2.5"));

  // The maximum number of points per block.
  Run(QStringLiteral("Plot = %1, 1, 2, 0§§2, 1, 0, 1, 0, , , %N")
          .arg(Fichier("g.txt", "0,0\n1,1\n2,2\n3,3\n")));
  EXPECT_EQ(Lignes().size(), 1u);
  EXPECT_EQ(Var(1, "%N"), QStringLiteral(" 2"));
}

TEST_F(PlotTest, AverageStepClipTurnAndScales) {
  // Y column 0 is the point index; with MM = 2 the curve starts at point 3.
  const QString f = Fichier("h.txt", "0\n1\n2\n3\n4\n");
  Run(QStringLiteral("Plot = %1, 1, 0§2, 0, 1, 0, 1, 0").arg(f));
  auto l = Lignes();
  ASSERT_EQ(l.size(), 3u);
  EXPECT_POINT(l[0].Points[0], Px(2, 1));
  EXPECT_POINT(l[0].Points[1], Px(2, 3));
  EXPECT_POINT(l[1].Points[1], Px(2.8, 4));
  EXPECT_POINT(l[2].Points[1], Px(3.4, 5));

  // An average far wider than the old padding.
  QByteArray grand;
  for (int i = 0; i < 400; ++i) grand += QByteArray::number(i) + ",1\n";
  Run(QStringLiteral("Plot = %1, 1, 2§150, 0, 1, 0, 1, 0").arg(Fichier("i.txt", grand)));
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  EXPECT_EQ(Lignes().size(), 249u) << "points 151 to 400, the first one from the start point itself";

  // Reading step 3: points 1, 4, 7, 10, and 11 by the closing segment.
  QByteArray onze;
  for (int i = 1; i <= 11; ++i) onze += QByteArray::number(i) + "," + QByteArray::number(i) + "\n";
  Run(QStringLiteral("Plot = %1, 1, 2§0§3, 0, 1, 0, 1, 0").arg(Fichier("j.txt", onze)));
  l = Lignes();
  ASSERT_EQ(l.size(), 4u);
  EXPECT_POINT(l[2].Points[1], Px(10, 10));
  EXPECT_POINT(l[3].Points[1], Px(11, 11));

  // Clipping to the X range, lifted by "N".
  const QString k = Fichier("k.txt", "0,0\n5,1\n15,2\n20,3\n");
  Run(QStringLiteral("Plot = %1, 1, 2, 0, 1§§§0§10, 0, 1, 0").arg(k));
  ASSERT_EQ(Lignes().size(), 1u);
  Run(QStringLiteral("Plot = %1, 1, 2, 0, 1§§§0§10N, 0, 1, 0").arg(k));
  EXPECT_EQ(Lignes().size(), 3u);

  // Turned anticlockwise by field 12, and by the default angle when it is empty.
  const QString m = Fichier("m.txt", "0,0\n10,0\n");
  Run(QStringLiteral("Plot = %1, 1, 2, 0, 1, 0, 1, 0, , , , 90").arg(m));
  ASSERT_EQ(Lignes().size(), 1u);
  EXPECT_POINT(Lignes()[0].Points[1], Px(0, 10));
  Run(QStringList{QStringLiteral("AngRot = 90"), QStringLiteral("Plot = %1, 1, 2, 0, 1, 0, 1, 0").arg(m)});
  ASSERT_EQ(Lignes().size(), 1u);
  EXPECT_POINT(Lignes()[0].Points[1], Px(0, 10));

  // A logarithmic X scale over 50 mm.
  Run(QStringLiteral("Plot = %1, 1, 2, 0, L10§50, 0, 1, 0").arg(Fichier("n.txt", "1,0\n10,0\n100,0\n")));
  l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l[1].Points[1], Px(50, 0));
  // A base between 0 and 1 compresses the other end.
  Session().Prompteur().Efface();
  Run(QStringLiteral("Plot = %1, 1, 2, 0, L0.1§50, 0, 1, 0").arg(Fichier("n.txt", "1,0\n10,0\n100,0\n")));
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l[0].Points[1], Px(50 * std::log(1 - 9 * 0.9 / 99) / std::log(0.1), 0));
  EXPECT_POINT(l[1].Points[1], Px(50, 0));

  // A constant series and a single point are placed in the middle of the fitted range.
  Run(QStringLiteral("Plot = %1, 1, 2, 0").arg(Fichier("o.txt", "0,3\n10,3\n")));
  ASSERT_EQ(Lignes().size(), 1u);
  EXPECT_POINT(Lignes()[0].Points[0], Px(0, 50));
  EXPECT_POINT(Lignes()[0].Points[1], Px(100, 50));
  Run(QStringLiteral("Plot = %1, 1, 2, 0").arg(Fichier("p.txt", "4,4\n")));
  ASSERT_EQ(Lignes().size(), 1u);
  EXPECT_POINT(Lignes()[0].Points[0], Px(50, 50));
  EXPECT_TRUE(Messages().empty());

  // Counts at the ends of the 32-bit range: an average of any width is reduced to what the
  // three points hold, a step of any length still closes on the last point.
  const QString s10 = Fichier("s10.txt", "1,1\n2,4\n3,2\n");
  for (const char* champ : {"2§1073741824", "2§-1073741824", "2§-2147483648", "2§2147483647"}) {
    Run(QStringLiteral("Plot = %1, 1, %2").arg(s10, QString::fromUtf8(champ)));
    EXPECT_TRUE(Messages().empty()) << champ << " " << Erreur().toStdString();
    EXPECT_EQ(Lignes().size(), 1u) << champ;
  }
  Run(QStringLiteral("Plot = %1, 1, 2§0§2147483647").arg(s10));
  l = Lignes();
  ASSERT_EQ(l.size(), 1u) << "from point 1 straight to point 3";
  EXPECT_POINT(l[0].Points[0], Px(0, 0));
  EXPECT_POINT(l[0].Points[1], Px(100, 100 / 3.0));

  // Reference column: Y minus the reference.
  Run(QStringLiteral("Plot = %1§44§§3, 1, 2, 0, 1, 0, 1, 0").arg(Fichier("q.txt", "0,5,1\n1,7,4\n")));
  ASSERT_EQ(Lignes().size(), 1u);
  EXPECT_POINT(Lignes()[0].Points[0], Px(0, 4));
  EXPECT_POINT(Lignes()[0].Points[1], Px(1, 3));
}

TEST_F(PlotTest, BadFilesAndFieldsEndTheRunWithAMessage) {
  Run(QStringLiteral("Plot = %1, 1, 2, 0").arg(Fichier("r.txt", "0,0\n5\n")));
  EXPECT_TRUE(Erreur().contains(QStringLiteral("column 2"))) << Erreur().toStdString();
  Run(QStringLiteral("Plot = %1, 1, 2, 0").arg(Fichier("s.txt", "0,0\nabc,5\n")));
  EXPECT_TRUE(Erreur().contains(QStringLiteral("abc"))) << Erreur().toStdString();
  Run(QStringLiteral("Plot = %1, 1, 2, 0, L1").arg(Fichier("v.txt", "1,1\n2,2\n")));
  EXPECT_TRUE(Erreur().contains(QStringLiteral("L1"))) << Erreur().toStdString();
  for (const char* base : {"L0", "L-2"}) {
    Run(QStringLiteral("Plot = %1, 1, 2, 0, %2").arg(Fichier("v.txt", "1,1\n2,2\n"), base));
    EXPECT_TRUE(Erreur().contains(QString::fromLatin1(base) + " :")) << Erreur().toStdString();
  }
  Run(QStringLiteral("Plot = %1, 1, 2, 0, , , , , XR").arg(Fichier("w.txt", "1,1\n2,2\n")));
  EXPECT_TRUE(Erreur().contains(QStringLiteral("field 9"))) << Erreur().toStdString();
  Run(QStringLiteral("Plot = %1, 1, 2, 0").arg(dossier_.filePath("absent.txt")));
  EXPECT_TRUE(Erreur().contains(QStringLiteral("absent.txt"))) << Erreur().toStdString();

  // A skip count of the smallest 32-bit number skips every line, shows them and draws nothing.
  const QString s10 = Fichier("s10.txt", "1,1\n2,4\n3,2\n");
  size_t avant = Messages().size();
  Run(QStringLiteral("Plot = %1, 1, 2, -2147483648").arg(s10));
  ASSERT_EQ(Messages().size(), avant + 2);
  EXPECT_TRUE(Erreur().contains(QStringLiteral("2,4"))) << Erreur().toStdString();
  EXPECT_TRUE(Lignes().empty());
  // A column far beyond the line's fields is refused at the first missing one, with nothing
  // sized to the column number.
  Run(QStringLiteral("Plot = %1, 1, 2147483647").arg(s10));
  EXPECT_TRUE(Erreur().contains(QStringLiteral("column 3 ?"))) << Erreur().toStdString();
  Run(QStringLiteral("Plot = %1, 2147483647, 2").arg(s10));
  EXPECT_TRUE(Erreur().contains(QStringLiteral("column 3 ?"))) << Erreur().toStdString();
  // A reference column beyond the 32-bit range overflows as the other columns do, rather than
  // naming a column nobody wrote.
  avant = Messages().size();
  Run(QStringLiteral("Plot = %1§44§§3.5e38, 1, 2").arg(s10));
  ASSERT_EQ(Messages().size(), avant + 1);
  EXPECT_FALSE(Erreur().contains(QStringLiteral("-2147483648"))) << Erreur().toStdString();
  EXPECT_TRUE(Lignes().empty());

  // MaxPlot bounds the points of a block and has a ceiling of its own.
  const QString trois = Fichier("z.txt", "0,0\n1,1\n2,2\n");
  PrepareSurface();
  Niveau(1).MaxPlot = 2;
  EXPECT_THROW(CmdPlot(1, QStringLiteral("PLOT"), trois + QStringLiteral(", 1, 2, 0")), ErreurExecution);
  EXPECT_TRUE(Incident.DetailErreur.contains(QStringLiteral("MaxPlot")))
      << Incident.DetailErreur.toStdString();
  Niveau(1).MaxPlot = 20000000;
  Incident.DetailErreur.clear();
  EXPECT_THROW(CmdPlot(1, QStringLiteral("PLOT"), trois + QStringLiteral(", 1, 2, 0")), ErreurExecution);
  EXPECT_TRUE(Incident.DetailErreur.contains(QStringLiteral("10000000")))
      << Incident.DetailErreur.toStdString();
  Incident.DetailErreur.clear();
}

}  // namespace
