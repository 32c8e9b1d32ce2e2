// The Image statements run as programs: picture sizes and anchors, the measure-only form, the
// program's own picture, where relative names are looked for, and missing files.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include "CommandsFixture.h"
#include "drawing/DrawState.h"
#include "platform/Host.h"
#include "platform/TextFile.h"
#include "values/Levels.h"

namespace {

class ImageTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    ASSERT_TRUE(dossier_.isValid());
    Shell.RepCourant = dossier_.path() + QStringLiteral("/");
    // A picture twice as wide as high.
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(dossier_.filePath(QStringLiteral("logo.png"))));
  }
  void TearDown() override {
    Shell.RepCourant.clear();
    CommandsTest::TearDown();
  }
  std::vector<Primitive> Images() { return DuGenre(Primitive::Genre::Image); }
  QString Chemin(const QString& nom) { return dossier_.filePath(nom); }

  QTemporaryDir dossier_;
  // One pixel of the picture in drawing units at a scale of 1.
  static constexpr double Pixel = 25.4 / 96;
};

TEST_F(ImageTest, SizesAndAnchors) {
  // Bottom-left corner at the point, one screen pixel per picture pixel.
  Run(QStringLiteral("Image = logo.png, 10, 20"));
  EXPECT_TRUE(Messages().empty());
  auto im = Images();
  ASSERT_EQ(im.size(), 1u);
  EXPECT_POINT(im[0].Points[0], Px(10, 20 + 10 * Pixel));
  EXPECT_NEAR(im[0].Largeur, 20, 1e-3);
  EXPECT_NEAR(im[0].Hauteur, 10, 1e-3);
  EXPECT_EQ(im[0].Texte, Chemin("logo.png"));
  EXPECT_NEAR(Repere.XCourant, 10, 1e-4);
  EXPECT_NEAR(Repere.YCourant, 20 + 10 * Pixel, 1e-4);
  EXPECT_TRUE(EtatOrdre & OrdreDessin);

  // Twice as large, centred on the point.
  Run(QStringLiteral("Image = logo.png, 10, 20, 2, c"));
  im = Images();
  ASSERT_EQ(im.size(), 1u);
  EXPECT_POINT(im[0].Points[0], Px(10 - 20 * Pixel, 20 + 10 * Pixel));
  EXPECT_NEAR(im[0].Largeur, 40, 1e-3);
  EXPECT_NEAR(im[0].Hauteur, 20, 1e-3);

  // Only the height halved; right edge and top edge on the point.
  Run(QStringLiteral("Image = logo.png, 10, 20, 1§§§0.5, DH"));
  im = Images();
  EXPECT_POINT(im[0].Points[0], Px(10 - 20 * Pixel, 20));
  EXPECT_NEAR(im[0].Largeur, 20, 1e-3);
  EXPECT_NEAR(im[0].Hauteur, 5, 1e-3);

  const double px = DrawingTest::PxParMm;
  // Fitted into a box without distortion, to a width, to a height, and stretched.
  Run(QStringLiteral("Image = logo.png, 0, 0, A§50§50"));
  im = Images();
  EXPECT_NEAR(im[0].Largeur, 50 * px, 1e-3);
  EXPECT_NEAR(im[0].Hauteur, 25 * px, 1e-3);
  Run(QStringLiteral("Image = logo.png, 0, 0, a§50§10"));
  im = Images();
  EXPECT_NEAR(im[0].Largeur, 20 * px, 1e-3);
  EXPECT_NEAR(im[0].Hauteur, 10 * px, 1e-3);
  Run(QStringLiteral("Image = logo.png, 0, 0, X§40"));
  im = Images();
  EXPECT_NEAR(im[0].Largeur, 40 * px, 1e-3);
  EXPECT_NEAR(im[0].Hauteur, 20 * px, 1e-3);
  Run(QStringLiteral("Image = logo.png, 0, 0, Y§5*2, X"));
  im = Images();
  EXPECT_NEAR(im[0].Largeur, 20 * px, 1e-3);
  EXPECT_NEAR(im[0].Hauteur, 10 * px, 1e-3);
  EXPECT_POINT(im[0].Points[0], Px(-10, 10));
  Run(QStringLiteral("Image = logo.png, 0, 0, Z§50§10, Y"));
  im = Images();
  EXPECT_NEAR(im[0].Largeur, 50 * px, 1e-3);
  EXPECT_NEAR(im[0].Hauteur, 10 * px, 1e-3);
  EXPECT_POINT(im[0].Points[0], Px(0, 5));

  // The anchor turns about the current origin; the picture stays upright.
  Run(QStringLiteral("Image = logo.png, 10, 0§90"));
  im = Images();
  EXPECT_POINT(im[0].Points[0], Px(0, 10 + 10 * Pixel));
  EXPECT_NEAR(im[0].Largeur, 20, 1e-3);

  // The program's own picture never reads the file.
  Run(QStringLiteral("Image = C:\\pics\\Morvo.ico, 0, 0"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Images().size(), 1u);
}

TEST_F(ImageTest, MeasureOnly) {
  Run(QStringLiteral("Image = logo.png, , , V§%W§%H"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(Images().empty());
  EXPECT_EQ(Var(1, QStringLiteral("%W")), QStringLiteral("20"));
  EXPECT_EQ(Var(1, QStringLiteral("%H")), QStringLiteral("10"));
  // Names without "%" receive nothing.
  Run(QStringLiteral("Image = logo.png, , , V§W§%K"));
  EXPECT_EQ(Var(1, QStringLiteral("W")), QStringLiteral("<absent>"));
  EXPECT_EQ(Var(1, QStringLiteral("%K")), QStringLiteral("10"));
}

TEST_F(ImageTest, FilesAndFailures) {
  // An absolute name is used as it stands.
  Shell.RepCourant = QDir::tempPath() + QStringLiteral("/");
  Run(QStringLiteral("Image = ") + Chemin("logo.png") + QStringLiteral(", 0, 0"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Images().size(), 1u);

  // A command file finds a bare name in its own folder when the program's folder lacks it.
  Shell.RepCourant = dossier_.path() + QStringLiteral("/");
  ASSERT_TRUE(QDir(dossier_.path()).mkdir(QStringLiteral("sous")));
  QImage petite(4, 6, QImage::Format_RGB32);
  petite.fill(Qt::blue);
  ASSERT_TRUE(petite.save(Chemin("sous/pic.png")));
  ASSERT_TRUE(EcritFichierTexte(Chemin("sous/cmd.dat"), QStringLiteral("Image = pic.png, 0, 0")));
  Run(QStringLiteral("Fichier = sous/cmd.dat"));
  EXPECT_TRUE(Messages().empty());
  auto im = Images();
  ASSERT_EQ(im.size(), 1u);
  EXPECT_EQ(QDir::cleanPath(im[0].Texte), QDir::cleanPath(Chemin("sous/pic.png")));
  EXPECT_NEAR(im[0].Largeur, 4, 1e-3);
  // Run through a link in another folder: beside the file the link leads to.
  ASSERT_TRUE(QDir(dossier_.path()).mkdir(QStringLiteral("projet")));
  ASSERT_TRUE(QFile::link(Chemin("sous/cmd.dat"), Chemin("projet/lien.dat")));
  Run(QStringLiteral("Fichier = projet/lien.dat"));
  EXPECT_TRUE(Messages().empty()) << Messages()[0].texte.toStdString();
  im = Images();
  ASSERT_EQ(im.size(), 1u);
  EXPECT_EQ(QDir::cleanPath(im[0].Texte), QDir::cleanPath(Chemin("sous/pic.png")));

  // Missing: the message names the path tried.
  ASSERT_TRUE(EcritFichierTexte(Chemin("sous/cmd2.dat"), QStringLiteral("Image = rien.png, 0, 0")));
  Run(QStringLiteral("Fichier = sous/cmd2.dat"));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(QDir::cleanPath(Messages()[0].texte)
                  .contains(QDir::cleanPath(Chemin("sous/rien.png")) +
                            QStringLiteral(" : fichier non trouvé [File not found]")))
      << Messages()[0].texte.toStdString();
  Session().Prompteur().Efface();

  Run(QStringLiteral("Image = absent.png, 0, 0"));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains(Chemin("absent.png") +
                                           QStringLiteral(" : fichier non trouvé [File not found]")));
  EXPECT_TRUE(Images().empty());
  Session().Prompteur().Efface();

  // A file that is there but holds no picture is not missing: it cannot be read, and why.
  ASSERT_TRUE(EcritFichierTexte(Chemin("faux.png"), QStringLiteral("pas une image")));
  Run(QStringLiteral("Image = faux.png, 0, 0"));
  ASSERT_EQ(Messages().size(), 1u);
  const QString& texte = Messages()[0].texte;
  EXPECT_TRUE(texte.contains(QStringLiteral("Impossible de lire l'image ") + Chemin("faux.png") +
                             QStringLiteral(" : ")))
      << texte.toStdString();
  EXPECT_FALSE(texte.contains(QStringLiteral("non trouvé"))) << texte.toStdString();
  Session().Prompteur().Efface();

  // A 48-megapixel camera photo: measured from its header, decoded at the size it is drawn at.
  {
    QImage photo(8000, 6000, QImage::Format_RGB888);
    photo.fill(QColor(200, 120, 40));
    ASSERT_TRUE(photo.save(Chemin("photo.jpg"), "JPEG", 5));
  }
  Run(QStringLiteral("Image = photo.jpg, 0, 0, X§100\r\nImage = photo.jpg, , , V§%W§%H"));
  EXPECT_TRUE(Messages().empty()) << Messages()[0].texte.toStdString();
  ASSERT_EQ(Images().size(), 1u);
  EXPECT_NEAR(Images()[0].Largeur, 100 * PxParMm, 1e-3);
  EXPECT_EQ(Var(1, QStringLiteral("%W")), QStringLiteral("8000"));
  EXPECT_EQ(Var(1, QStringLiteral("%H")), QStringLiteral("6000"));
  Session().Prompteur().Efface();

  // The letter forms need their values: a run error, not a missing file.
  for (const char* taille : {"X", "Y", "Z§50", "A§50", "V§%W"}) {
    Run(QStringLiteral("Image = logo.png, 0, 0, ") + QString::fromLatin1(taille));
    ASSERT_EQ(Messages().size(), 1u) << taille;
    EXPECT_FALSE(Messages()[0].texte.contains(QStringLiteral("fichier non trouvé"))) << taille;
    Session().Prompteur().Efface();
  }
  EXPECT_TRUE(Images().empty());
}

}  // namespace
