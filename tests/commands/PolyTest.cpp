// The Poly and PolyR statements run as programs: vertices from the line and from point files,
// scale factors, both turns, fills, colours "N", regular polygons of every form.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>

#include "CommandsFixture.h"
#include "drawing/DrawState.h"
#include "platform/Host.h"
#include "values/Levels.h"

namespace {

constexpr uint32_t Rouge = 255, Bleu = 16711680;

class PolyTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    ASSERT_TRUE(dossier_.isValid());
    Shell.RepCourant = dossier_.path() + QStringLiteral("/");
  }
  QString Fichier(const QString& nom, const QByteArray& contenu) {
    const QString chemin = dossier_.filePath(nom);
    QFile f(chemin);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(contenu);
    return chemin;
  }
  QString Erreur() { return Messages().empty() ? QString() : Messages().back().texte; }
  // Each line's start and end, in drawing units.
  void AttendLigne(size_t i, double x1, double y1, double x2, double y2) {
    const auto l = Lignes();
    ASSERT_LT(i, l.size());
    EXPECT_POINT(l[i].Points[0], Px(x1, y1));
    EXPECT_POINT(l[i].Points[1], Px(x2, y2));
  }

  QTemporaryDir dossier_;
};

TEST_F(PolyTest, ParameterFormDrawsClosedOutlinesAndFills) {
  Run(QStringLiteral("Poly = 0,0, 10,0, 10,10"));
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  ASSERT_EQ(Lignes().size(), 3u);
  AttendLigne(0, 0, 0, 10, 0);
  AttendLigne(1, 10, 0, 10, 10);
  AttendLigne(2, 10, 10, 0, 0);
  EXPECT_EQ(Lignes()[0].Couleur, 0u);
  EXPECT_EQ(EtatOrdre & OrdreDessin, OrdreDessin);

  Run(QStringLiteral("PolyP = rouge, 0,0, 10,0, 10,10"));
  auto p = Polygones();
  ASSERT_EQ(p.size(), 1u);
  ASSERT_EQ(p[0].Points.size(), 3);
  EXPECT_POINT(p[0].Points[1], PxEntier(10, 0));
  EXPECT_EQ(p[0].Couleur, Rouge);
  EXPECT_EQ(*p[0].Remplissage, Rouge);
  EXPECT_TRUE(Lignes().empty());
  EXPECT_EQ(Sortie->FillStyle, 1);

  // The colour field carries a line style for this command only.
  Run(QStringLiteral("Poly = bleu§3, 0,0, 10,0, 10,10"));
  ASSERT_EQ(Lignes().size(), 3u);
  EXPECT_EQ(Lignes()[2].Epaisseur, 3);
  EXPECT_EQ(Lignes()[2].Couleur, Bleu);
  EXPECT_FLOAT_EQ(Plume.EpaisseurTrait, 1);

  // "N" draws nothing but the current point moves to the first vertex.
  Run(QStringLiteral("Poly = N, 3,4, 10,0, 10,10"));
  EXPECT_TRUE(RienDessine());
  EXPECT_FLOAT_EQ(Repere.XCourant, 3);
  EXPECT_FLOAT_EQ(Repere.YCourant, 4);

  // Too few vertices: a run error, nothing drawn; a blank line does nothing.
  const size_t avant = Messages().size();
  Run(QStringLiteral("Poly = 0,0, 10,0"));
  EXPECT_EQ(Messages().size(), avant + 1);
  EXPECT_TRUE(RienDessine());
  Run(QStringLiteral("Poly =  "));
  EXPECT_EQ(Messages().size(), avant + 1);
  EXPECT_TRUE(RienDessine());
}

TEST_F(PolyTest, ScaleFactorsTurnsAndRelativePoints) {
  Run(QStringLiteral("Poly = 0§2§3, 0, 10,0, 10,10"));
  AttendLigne(1, 20, 0, 20, 30);
  EXPECT_FLOAT_EQ(Plume.FacteurTraitX, 1);
  EXPECT_FLOAT_EQ(Plume.FacteurTraitY, 1);
  Run(QStringLiteral("Poly = 0§0§3, 0, 10,0, 10,10"));
  AttendLigne(1, 10, 0, 10, 30);

  // Its own turn about the first point.
  Run(QStringLiteral("Poly = 10, 10§90, 20,10, 20,20"));
  AttendLigne(0, 10, 10, 10, 20);
  AttendLigne(1, 10, 20, 0, 20);

  // The command's turn about 0,0; the current point is the turned first vertex, XRot the unturned.
  Run(QStringLiteral("Poly = 10, 0§0§90, 20,0, 20,10"));
  AttendLigne(0, 0, 10, 0, 20);
  AttendLigne(1, 0, 20, -10, 20);
  EXPECT_NEAR(Repere.XCourant, 0, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 10, 1e-4);
  EXPECT_NEAR(Repere.XRot, 10, 1e-4);
  EXPECT_NEAR(Repere.YRot, 0, 1e-4);

  // Relative pairs follow the vertices as read, before the own turn; polar pairs too.
  Run(QStringLiteral("Poly = 0, 0§90, 10R, 0R, 0R, 10R"));
  AttendLigne(0, 0, 0, 0, 10);
  AttendLigne(1, 0, 10, -10, 10);
  Run(QStringLiteral("Poly = 0,0, 10,0, 90°,5"));
  AttendLigne(1, 10, 0, 10, 5);

  // The first pair starts from the current point; blank fields take it.
  Run(QStringLiteral("Plus = 5, 5, 0\r\nPoly = 1R, 1R, 10,0, 10,10"));
  AttendLigne(0, 6, 6, 10, 0);
  Run(QStringLiteral("Plus = 5, 7, 0\r\nPoly = , 3, 10,0, 10,10"));
  AttendLigne(0, 5, 3, 10, 0);
  Run(QStringLiteral("Plus = 5, 7, 0\r\nPoly = 2, , 10,0, 10,10"));
  AttendLigne(0, 2, 7, 10, 0);
}

TEST_F(PolyTest, PointFilesWithEveryLineEndAndBlock) {
  // CR LF, LF and CR alone give the same two vertices.
  for (const QByteArray& texte :
       {QByteArray("1,5;2\r\n3;4r\r\n"), QByteArray("1,5;2\n3;4r\n"), QByteArray("1,5;2\r3;4r")}) {
    Fichier("pts.txt", texte);
    Run(QStringLiteral("Poly = FIC, pts"));
    EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
    ASSERT_EQ(Lignes().size(), 1u) << texte.constData();
    AttendLigne(0, 1.5, 2, 3, 6);
    EXPECT_FLOAT_EQ(Repere.XCourant, 1.5);
    EXPECT_FLOAT_EQ(Repere.YCourant, 2);
  }

  // Two blocks: two open lines, each starting its relative points at 0,0.
  Fichier("deux.txt", "0;0\r\n10;0\r\n10;10\r\n'EOD\r\n5r;5R\r\n30;20\r\n'EOD\r\n");
  Run(QStringLiteral("Poly = rouge, FIC, deux"));
  ASSERT_EQ(Lignes().size(), 3u);
  AttendLigne(1, 10, 0, 10, 10);
  AttendLigne(2, 5, 5, 30, 20);
  EXPECT_EQ(Lignes()[2].Couleur, Rouge);
  EXPECT_FLOAT_EQ(Repere.XCourant, 5);
  EXPECT_FLOAT_EQ(Repere.YCourant, 5);

  // Comments in the first column, short lines skipped, a single vertex is a dot; expressions.
  Fichier("un.dat", "'comment; 1;2\r\n1;\r\n2*3;1+1\r\n");
  Run(QStringLiteral("Poly = FIC, %1").arg(dossier_.filePath(QStringLiteral("un.dat"))));
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  ASSERT_EQ(Lignes().size(), 1u);
  AttendLigne(0, 6, 2, 6, 2);

  // The marker counts up to column 29; later it is part of a point line.
  Fichier("eod.txt", "0;0\r\n1;0\r\n" + QByteArray(28, ' ') + "'EOD\r\n2;2\r\n3;2\r\n");
  Run(QStringLiteral("Poly = FIC, eod"));
  EXPECT_EQ(Lignes().size(), 2u);
  const size_t avant = Messages().size();
  Fichier("eod.txt", "0;0\r\n1;0\r\n" + QByteArray(29, ' ') + "'EOD\r\n");
  Run(QStringLiteral("Poly = FIC, eod"));
  EXPECT_EQ(Messages().size(), avant + 1);

  // Its own turn about the first vertex of each polygon; the default angle turns about 0,0.
  Fichier("tour.txt", "10;10\r\n20;10\r\n'EOD\r\n0;0\r\n10;0\r\n");
  Run(QStringLiteral("Poly = FIC, tour§90"));
  AttendLigne(0, 10, 10, 10, 20);
  AttendLigne(1, 0, 0, 0, 10);
  Run(QStringLiteral("AngRot = 90\r\nPoly = FIC, tour"));
  AttendLigne(0, -10, 10, -10, 20);

  // PolyP fills a polygon of three points, draws a line for two.
  Fichier("p.txt", "0;0\r\n10;0\r\n10;10\r\n'EOD\r\n0;20\r\n10;20\r\n");
  Run(QStringLiteral("PolyP = FIC, p"));
  ASSERT_EQ(Polygones().size(), 1u);
  EXPECT_EQ(Polygones()[0].Points.size(), 3);
  ASSERT_EQ(Lignes().size(), 1u);
  AttendLigne(0, 0, 20, 10, 20);
}

TEST_F(PolyTest, PointFileFaultsAndMendedNames) {
  // A folder with a "." in its path still completes the name with ".txt".
  ASSERT_TRUE(QDir(dossier_.path()).mkdir(QStringLiteral("d.x")));
  Fichier("d.x/pts.txt", "0;0\r\n5;5\r\n");
  Shell.RepCourant = dossier_.filePath(QStringLiteral("d.x")) + QStringLiteral("/");
  Run(QStringLiteral("Poly = FIC, pts"));
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  EXPECT_EQ(Lignes().size(), 1u);

  size_t n = Messages().size();
  Run(QStringLiteral("Poly = FIC, absent"));
  ASSERT_EQ(Messages().size(), ++n);
  EXPECT_TRUE(Erreur().contains(QStringLiteral("absent.txt"))) << Erreur().toStdString();
  Run(QStringLiteral("Poly = FIC,  §45"));
  ASSERT_EQ(Messages().size(), ++n);
  EXPECT_TRUE(Erreur().contains(QStringLiteral("file name"))) << Erreur().toStdString();

  // Blanks before an apostrophe make a point line without ";".
  Fichier("b.txt", "0;0\r\n  'comment\r\n");
  Run(QStringLiteral("Poly = FIC, %1").arg(dossier_.filePath(QStringLiteral("b.txt"))));
  ASSERT_EQ(Messages().size(), ++n);
  EXPECT_TRUE(Erreur().contains(QStringLiteral("'comment"))) << Erreur().toStdString();
  EXPECT_TRUE(RienDessine());

  Fichier("c.txt", "0;abc\r\n");
  Run(QStringLiteral("Poly = FIC, %1").arg(dossier_.filePath(QStringLiteral("c.txt"))));
  ASSERT_EQ(Messages().size(), ++n);
  EXPECT_TRUE(Erreur().contains(QStringLiteral("abc"))) << Erreur().toStdString();

  // At most 1000 vertices in one polygon; the next block starts afresh.
  QByteArray mille;
  for (int i = 0; i < 1000; ++i) mille += QByteArray::number(i % 100) + ";1\r\n";
  Fichier("m.txt", mille + "'EOD\r\n0;0\r\n1;1\r\n");
  Run(QStringLiteral("Poly = FIC, %1").arg(dossier_.filePath(QStringLiteral("m.txt"))));
  EXPECT_EQ(Messages().size(), n);
  EXPECT_EQ(Lignes().size(), 1000u);
  Fichier("m.txt", mille + "5;5\r\n");
  Run(QStringLiteral("Poly = FIC, %1").arg(dossier_.filePath(QStringLiteral("m.txt"))));
  ASSERT_EQ(Messages().size(), ++n);
  EXPECT_TRUE(Erreur().contains(QStringLiteral("1000"))) << Erreur().toStdString();
  EXPECT_FLOAT_EQ(Plume.FacteurTraitX, 1);
}

TEST_F(PolyTest, RegularPolygons) {
  const double h = 10 * std::sqrt(3.0);
  Run(QStringLiteral("PolyR = 0, 0"));
  EXPECT_TRUE(Messages().empty()) << Erreur().toStdString();
  ASSERT_EQ(Lignes().size(), 6u);
  AttendLigne(0, -10, -h, 10, -h);
  AttendLigne(1, 10, -h, 20, 0);
  AttendLigne(5, -20, 0, -10, -h);
  EXPECT_FLOAT_EQ(Repere.XCourant, 0);
  EXPECT_EQ(EtatOrdre & OrdreDessin, OrdreDessin);
  for (const char* n : {"2", "1", "0", "-1", "-2"}) {
    Run(QStringLiteral("PolyR = 0, 0, %1").arg(QLatin1String(n)));
    ASSERT_EQ(Lignes().size(), 6u) << n;
    AttendLigne(0, -10, -h, 10, -h);
  }

  Run(QStringLiteral("PolyR = 0, 0, 4, -10"));
  ASSERT_EQ(Lignes().size(), 4u);
  AttendLigne(0, -5, -5, 5, -5);
  AttendLigne(2, 5, 5, -5, 5);
  Run(QStringLiteral("PolyR = 0, 0, -4, -10"));
  AttendLigne(0, 0, 0, 10, 0);
  AttendLigne(2, 10, 10, 0, 10);
  Run(QStringLiteral("PolyR = 0, 0, 4, -10§20"));
  AttendLigne(0, -10, -5, 10, -5);
  AttendLigne(1, 10, -5, 10, 5);
  AttendLigne(2, 10, 5, -10, 5);
  Run(QStringLiteral("PolyR = 0, 0, 5, -10§20"));
  ASSERT_EQ(Lignes().size(), 5u);
  AttendLigne(0, -5, -5 / std::tan(3.14159265358979 / 5), 5, -5 / std::tan(3.14159265358979 / 5));

  // The start angle turns about the point; the command's angle about 0,0.
  Run(QStringLiteral("PolyR = 0, 0, 3, 10, 90"));
  AttendLigne(0, 5, -h / 2, 5, h / 2);
  Run(QStringLiteral("PolyR = 0, 0§30, 6"));
  AttendLigne(0, 0, -20, h, -10);
  Run(QStringLiteral("PolyR = 10, 0§90, 4, -10"));
  AttendLigne(0, 5, 5, 5, 15);
  EXPECT_NEAR(Repere.XCourant, 0, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 10, 1e-4);
  EXPECT_NEAR(Repere.XRot, 10, 1e-4);
  EXPECT_NEAR(Repere.YRot, 0, 1e-4);

  // Blank point fields take the current point; field 7 is this command's pen.
  Run(QStringLiteral("Plus = 5, 5, 0\r\nPolyR = , , -4, -10, 0, rouge, 3"));
  AttendLigne(0, 5, 5, 15, 5);
  EXPECT_EQ(Lignes()[0].Couleur, Rouge);
  EXPECT_EQ(Lignes()[0].Epaisseur, 3);
  EXPECT_FLOAT_EQ(Plume.EpaisseurTrait, 1);
}

TEST_F(PolyTest, RegularPolygonFills) {
  Run(QStringLiteral("PolyRP = 0, 0, 6, 20, 0, N§rouge"));
  auto p = Polygones();
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].Points.size(), 6);
  EXPECT_EQ(*p[0].Remplissage, Rouge);
  EXPECT_POINT(p[0].Points[0], PxEntier(-10, -10 * std::sqrt(3.0)));
  EXPECT_TRUE(Lignes().empty());

  Run(QStringLiteral("PolyRP = 0, 0, 6, 20, 0, bleu"));
  ASSERT_EQ(Polygones().size(), 1u);
  EXPECT_EQ(*Polygones()[0].Remplissage, Bleu);
  ASSERT_EQ(Lignes().size(), 6u);
  EXPECT_EQ(Lignes()[0].Couleur, Bleu);

  // "N" as the fill leaves the polygon unfilled; "N" alone draws nothing.
  Run(QStringLiteral("PolyRP = 0, 0, 6, 20, 0, rouge§N"));
  EXPECT_TRUE(Polygones().empty());
  EXPECT_EQ(Lignes().size(), 6u);
  // A blank fill sub-field keeps the outline colour.
  Run(QStringLiteral("PolyRP = 0, 0, 6, 20, 0, rouge§"));
  ASSERT_EQ(Polygones().size(), 1u);
  EXPECT_EQ(*Polygones()[0].Remplissage, Rouge);
  Run(QStringLiteral("PolyRP = 0, 0, 6, 20, 0, N"));
  EXPECT_TRUE(RienDessine());
  EXPECT_EQ(Sortie->FillStyle, 1);

  const size_t avant = Messages().size();
  Run(QStringLiteral("PolyR = 0, 0, 40000"));
  EXPECT_EQ(Messages().size(), avant + 1);
}

// A filled polygon whose vertices lie far off the surface fills it up to where its edges cross it,
// within a pixel.
TEST_F(PolyTest, FarVerticesFillUpToWhereTheEdgesCrossTheSurface) {
  Run(QStringLiteral("PolyP = Rouge, 140, 50, 100000000, 150000000, -100000000, 150000000"));
  const QPointF sommet = Px(140, 50), loin = Px(100000000, 150000000);
  const double pente = (loin.x() - sommet.x()) / (sommet.y() - loin.y());
  for (int y = 0; y < sommet.y() - 10; y += 50) {
    const double demi = (sommet.y() - (y + 0.5)) * pente;
    const auto [gauche, droite] = EncreDessinee(true, y);
    EXPECT_NEAR(gauche + 0.5, sommet.x() - demi, 1) << y;
    EXPECT_NEAR(droite + 0.5, sommet.x() + demi, 1) << y;
  }
}

}  // namespace
