// The command lines of Plot data files: colour and pen changes for the curve, circles drawn in the
// plot's scale, turn and mirroring, and the end of the block chain.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "CommandsFixture.h"
#include "UserLocale.h"
#include "drawing/DrawState.h"
#include "platform/Host.h"

namespace {

constexpr uint32_t Rouge = 255, Bleu = 16711680, Vert = 65280;

class PlotCommandLinesTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    ASSERT_TRUE(dossier_.isValid());
    Shell.RepCourant = dossier_.path() + QStringLiteral("/");
  }
  void Fichier(const QString& nom, const QByteArray& contenu) {
    QFile f(dossier_.filePath(nom));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(contenu);
  }
  QString Erreur() { return Messages().empty() ? QString() : Messages().back().texte; }

  QTemporaryDir dossier_;
};

TEST_F(PlotCommandLinesTest, ColourAndPenLinesSetTheCurve) {
  // The last colour line of a block colours its whole curve and stays for the next block; the
  // command's colour comes back at its end.
  Fichier("a.txt", "0,0\n10,10\nCOULEUR = ROUGE\n20,0\n'EOD\n30,10\n40,0\n");
  Run(QStringList{QStringLiteral("Couleur = bleu"), QStringLiteral("Plot = a, 1, 2, 0, 1, 0, 1, 0")});
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  auto l = Lignes();
  ASSERT_EQ(l.size(), 3u);
  for (const Primitive& p : l) EXPECT_EQ(p.Couleur, Rouge);
  EXPECT_EQ(Encre.CouleurCourante, static_cast<int32_t>(Bleu));

  // An empty value goes back to the colour the command started with; a %variable is read.
  Fichier("b.txt", "COULEUR vert\n0,0\n10,10\nCOULEUR=\n20,0\n");
  Run(QStringList{QStringLiteral("Couleur = bleu"), QStringLiteral("Plot = b, 1, 2, 0, 1, 0, 1, 0")});
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  for (const Primitive& p : Lignes()) EXPECT_EQ(p.Couleur, Bleu);
  Fichier("b2.txt", "0,0\n10,10\n  couleur = %c\n");
  Run(QStringList{QStringLiteral("%c = vert"), QStringLiteral("Plot = b2, 1, 2, 0, 1, 0, 1, 0")});
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  ASSERT_EQ(Lignes().size(), 1u);
  EXPECT_EQ(Lignes()[0].Couleur, Vert);

  // Widths grow with the square root of the product of the factors: 2 x 1 pixels at scale 2.
  Fichier("c.txt", "EPAIST=1\n0,0\n5,5\n'EOD\nEPAIST = 3 ' thick\n0,0\n5,0\n'EOD\nEPAIST=\n0,0\n0,5\n");
  Run(QStringList{QStringLiteral("EpaisT = 1"), QStringLiteral("Plot = c, 1, 2, 0, 2, 0, 2, 0")});
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  l = Lignes();
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[0].Epaisseur, 2);
  EXPECT_EQ(l[1].Epaisseur, 6);
  EXPECT_EQ(l[2].Epaisseur, 1) << "an empty value restores the pen";
  EXPECT_POINT(l[0].Points[1], Px(10, 10));

  // Factors of opposite signs have no square root.
  Run(QStringLiteral("Plot = c, 1, 2, 0, -1, 0, 1, 0"));
  EXPECT_TRUE(Erreur().contains(QStringLiteral("opposite signs"))) << Erreur().toStdString();
  // A text that is no colour is the empty colour, black, as "Couleur = 255" in a program.
  Fichier("d.txt", "COULEUR = violette\n0,0\n1,1\n");
  Session().Prompteur().Efface();
  Run(QStringList{QStringLiteral("Couleur = bleu"), QStringLiteral("Plot = d, 1, 2, 0, 1, 0, 1, 0")});
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  ASSERT_EQ(Lignes().size(), 1u);
  EXPECT_EQ(Lignes()[0].Couleur, 0u);
}

TEST_F(PlotCommandLinesTest, StopEndsTheBlockChain) {
  Fichier("s.txt", "0,0\nSTOP\n10,10\n'EOD\n0,10\n10,0\n'EOD\n5,5\n6,6\n");
  Run(QStringLiteral("Plot = s, 1, 2, 0, 1, 0, 1, 0, , , %N"));
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  ASSERT_EQ(Lignes().size(), 1u) << "the first block is read to its end";
  EXPECT_POINT(Lignes()[0].Points[1], Px(10, 10));
  EXPECT_EQ(Var(1, "%N"), QStringLiteral(" 2"));
}

TEST_F(PlotCommandLinesTest, CirclesFollowTheScaleTurnAndMirror) {
  // Scale 2: centre and radius doubled; a line ending in " _" goes on on the next one.
  Fichier("e.txt", "CERCLE=5,5, _\n3\n");
  Run(QStringLiteral("Plot = e, 1, 2, 0, 2, 0, 2, 0"));
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  auto c = Cercles();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_POINT(c[0].Points[0], Px(10, 10));
  EXPECT_NEAR(c[0].Rx, 6 * PxParMm, 1e-3);
  EXPECT_TRUE(Lignes().empty());

  // The plot's turn moves the centre once, whether it comes from field 12 or the default angle.
  Fichier("f.txt", "CERCLE = 10, 0, 2\n");
  Run(QStringLiteral("Plot = f, 1, 2, 0, 1, 0, 1, 0, , , , 90"));
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  ASSERT_EQ(Cercles().size(), 1u);
  EXPECT_POINT(Cercles()[0].Points[0], Px(0, 10));
  Run(QStringList{QStringLiteral("AngRot = 90"), QStringLiteral("Plot = f, 1, 2, 0, 1, 0, 1, 0")});
  ASSERT_EQ(Cercles().size(), 1u);
  EXPECT_POINT(Cercles()[0].Points[0], Px(0, 10));

  // X mirrored: the arc 0..90 becomes 90..180, drawn the other way round (from 180 to 90).
  Fichier("g.txt", "CERCLE=20,20,5,0,90\n");
  Run(QStringLiteral("Plot = g, 1, 2, 0, -1, 0, 1, 0"));
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  auto l = Lignes();
  ASSERT_FALSE(l.empty());
  EXPECT_POINT(l.front().Points[0], Px(-25, 20));
  EXPECT_POINT(l.back().Points[1], Px(-20, 25));
  // Y mirrored: 0..90 becomes 270..360, also the other way round.
  Run(QStringLiteral("Plot = g, 1, 2, 0, 1, 0, -1, 0"));
  l = Lignes();
  ASSERT_FALSE(l.empty());
  EXPECT_POINT(l.front().Points[0], Px(25, -20));
  EXPECT_POINT(l.back().Points[1], Px(20, -25));
  // Both mirrored (a half turn): 180..270, in the usual direction.
  Run(QStringLiteral("Plot = g, 1, 2, 0, -1, 0, -1, 0"));
  l = Lignes();
  ASSERT_FALSE(l.empty());
  EXPECT_POINT(l.front().Points[0], Px(-25, -20));
  EXPECT_POINT(l.back().Points[1], Px(-20, -25));

  // The filled command fills plain circles; a line without "=" or blank after the keyword fails.
  Run(QStringLiteral("PlotP = e, 1, 2, 0, 2, 0, 2, 0"));
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  ASSERT_EQ(Cercles().size(), 1u);
  EXPECT_TRUE(Cercles()[0].Remplissage.has_value());
  Fichier("h.txt", "0,0\nCERCLE\n1,1\n");
  Run(QStringLiteral("Plot = h, 1, 2, 0, 1, 0, 1, 0"));
  EXPECT_TRUE(Erreur().contains(QStringLiteral("blank expected"))) << Erreur().toStdString();
}

TEST_F(PlotCommandLinesTest, BezierLinesTakeThePlotScaleUnlessTheyHaveTheirOwn) {
  // The curve colour of the third field gives way to the plot's factors: default colour, scale 2.
  Fichier("z.txt", "BEZIER = , , ROUGE, 0, 0, 5, 0, 10, 0, 5, 0 ' straight\n");
  Run(QStringList{QStringLiteral("Couleur = bleu"), QStringLiteral("Plot = z, 1, 2, 0, 2, 0, 2, 0")});
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  auto l = Lignes();
  ASSERT_FALSE(l.empty());
  EXPECT_POINT(l.front().Points[0], Px(0, 0));
  EXPECT_POINT(l.back().Points[1], Px(20, 0));
  EXPECT_EQ(l.front().Couleur, Bleu);
  // Offsets and the turn too: (x + 1) x 2, turned by 90 degrees.
  Run(QStringLiteral("Plot = z, 1, 2, 0, 2, 1, 2, 0, , , , 90"));
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  l = Lignes();
  ASSERT_FALSE(l.empty());
  EXPECT_POINT(l.front().Points[0], Px(0, 2));
  EXPECT_POINT(l.back().Points[1], Px(0, 22));

  // A third field with sub-fields is left as written.
  Fichier("y.txt", "BEZIER = , , ROUGE§1§1, 0, 0, 5, 0, 10, 0, 5, 0\n");
  Run(QStringLiteral("Plot = y, 1, 2, 0, 2, 0, 2, 0"));
  ASSERT_TRUE(Messages().empty()) << Erreur().toStdString();
  l = Lignes();
  ASSERT_FALSE(l.empty());
  EXPECT_POINT(l.back().Points[1], Px(10, 0));
  EXPECT_EQ(l.front().Couleur, Rouge);
}

TEST_F(PlotCommandLinesTest, CircleAndBezierLinesUnderALocaleWithItsOwnSeparator) {
  // The Arabic decimal separator is neither "." nor ",": the rebuilt lines still read.
  const LocaleNommee arabe("ar_EG.UTF-8");
  if (!arabe.Active()) GTEST_SKIP() << "the ar_EG.UTF-8 locale is not installed";
  Fichier("e.txt", "CERCLE=5,5,3\nBEZIER = , , ROUGE, 0, 0, 5, 0, 10, 0, 5, 0\n");
  for (const char* commande : {"Plot", "PlotP", "PlotS"}) {
    Run(QStringLiteral("%1 = e, 1, 2, 0, 2, 0, 2, 0").arg(QLatin1String(commande)));
    ASSERT_TRUE(Messages().empty()) << commande << ": " << Erreur().toStdString();
    ASSERT_EQ(Cercles().size(), 1u) << commande;
    EXPECT_POINT(Cercles()[0].Points[0], Px(10, 10));
    EXPECT_NEAR(Cercles()[0].Rx, 6 * PxParMm, 1e-3);
  }
  const auto l = Lignes();
  ASSERT_FALSE(l.empty());
  EXPECT_POINT(l.back().Points[1], Px(20, 0));
}

}  // namespace
