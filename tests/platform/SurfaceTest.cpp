#include <gtest/gtest.h>

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <cmath>
#include <numbers>
#include <random>

#include "ApplicationQt.h"
#include "PdfPages.h"
#include "platform/PainterSurface.h"
#include "platform/RecordingSurface.h"
#include "platform/RunError.h"

namespace {

constexpr uint32_t Rouge = 0x0000FF;
constexpr uint32_t Vert = 0x00FF00;
constexpr uint32_t Bleu = 0xFF0000;
constexpr double Pi = std::numbers::pi;

// The pixel value (without alpha) of a colour with red in the low byte.
QRgb Rgb(uint32_t couleur) { return (couleur & 0xFF) << 16 | (couleur & 0xFF00) | (couleur >> 16 & 0xFF); }

class SurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override { AssureApplicationQt(); }

  static QRgb Pixel(const PainterSurface& s, int x, int y) { return s.Image().pixel(x, y) & 0xFFFFFF; }
  static bool Blanc(const PainterSurface& s, int x, int y) { return Pixel(s, x, y) == 0xFFFFFF; }
  // Whether some pixel within 'marge' of (x, y) has been drawn.
  static bool MarqueVers(const PainterSurface& s, int x, int y, int marge = 2) {
    for (int dy = -marge; dy <= marge; ++dy)
      for (int dx = -marge; dx <= marge; ++dx)
        if (!Blanc(s, x + dx, y + dy)) return true;
    return false;
  }
  // Bounding box of everything drawn.
  static QRect Encombrement(const PainterSurface& s) {
    QRect r;
    for (int y = 0; y < s.Image().height(); ++y)
      for (int x = 0; x < s.Image().width(); ++x)
        if (!Blanc(s, x, y)) r |= QRect(x, y, 1, 1);
    return r;
  }
};

TEST_F(SurfaceTest, LinesHaveTheColourAndTheWidth) {
  PainterSurface s(100, 100);
  EXPECT_EQ(s.LargeurPixels(), 100);
  EXPECT_DOUBLE_EQ(s.MmParPixel(), 25.4 / 96.0);
  EXPECT_FALSE(s.EstImprimante());
  s.ForeColor = Rouge;
  s.Ligne(10, 20, 90, 20);
  for (int x = 10; x <= 90; x += 10) EXPECT_EQ(Pixel(s, x, 20), Rgb(Rouge)) << x;
  EXPECT_TRUE(Blanc(s, 50, 19));
  EXPECT_TRUE(Blanc(s, 50, 21));

  // A copy of the image keeps what was drawn when it was taken, whichever way lines are drawn.
  const QImage copie = s.Image();
  s.DrawWidth = 5;
  s.ForeColor = Bleu;
  s.Ligne(10, 60, 90, 60);
  s.DrawWidth = 1;
  s.Ligne(10, 70, 90, 70);
  EXPECT_EQ(copie.pixel(50, 60) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(copie.pixel(50, 70) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(Pixel(s, 50, 70), Rgb(Bleu));
  s.DrawWidth = 5;
  int epaisseur = 0;
  for (int y = 50; y < 70; ++y) epaisseur += Pixel(s, 50, y) == Rgb(Bleu);
  EXPECT_EQ(epaisseur, 5);
  // Round ends: the pen reaches past the end point, but not as a square would at the corner.
  EXPECT_FALSE(Blanc(s, 91, 60));
  EXPECT_TRUE(Blanc(s, 92, 62));

  // A zero-length line is a dot of the pen's width.
  s.DrawWidth = 1;
  s.Ligne(30, 80, 30, 80);
  EXPECT_EQ(Pixel(s, 30, 80), Rgb(Bleu));
  EXPECT_TRUE(Blanc(s, 31, 80));

  s.Cls();
  EXPECT_EQ(Encombrement(s), QRect());
}

// Thin lines are written into the image without the painter: they must be the painter's pixels,
// ends, rounding and clipping included, in every direction.
TEST_F(SurfaceTest, ThinLinesAreThePaintersPixels) {
  constexpr int L = 24, H = 18;
  PainterSurface s(L, H);
  QImage attendue(L, H, QImage::Format_RGB32);
  std::mt19937 hasard(12345);
  const auto coordonnee = [&hasard](int taille) {
    std::uniform_real_distribution<double> loin(-6.0, taille + 6.0);
    const double v = loin(hasard);
    switch (hasard() % 6) {
      case 0:
        return std::round(v);  // whole pixels
      case 1:
        return std::round(v * 2) / 2;  // half pixels, the rounding edges
      case 2:
        return std::round(v * 64) / 64;  // the painter's fixed-point steps
      case 3:
        return std::round(v) + 0.5 + 1e-9;  // just past a half
      default:
        return v;
    }
  };
  int differences = 0;
  for (int i = 0; i < 30000 && differences < 5; ++i) {
    double x1 = coordonnee(L), y1 = coordonnee(H), x2 = coordonnee(L), y2 = coordonnee(H);
    if (i % 7 == 0) {  // short pieces, dots and ends the painter takes as equal
      std::uniform_real_distribution<double> pres(-1.5, 1.5);
      x2 = x1 + (i % 3 == 0 ? 1e-13 : pres(hasard));
      y2 = y1 + (i % 5 == 0 ? 0.0 : pres(hasard));
    }
    s.ForeColor = i % 2 ? Rouge : Bleu;
    s.Ligne(x1, y1, x2, y2);
    attendue.fill(Qt::white);
    QPainter p(&attendue);
    p.setPen(QPen(QColor(Rgb(s.ForeColor)), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (x1 == x2 && y1 == y2)
      p.drawPoint(QPointF(x1, y1));
    else
      p.drawLine(QLineF(x1, y1, x2, y2));
    p.end();
    if (s.Image() != attendue) {
      ++differences;
      ADD_FAILURE() << "segment " << x1 << ", " << y1 << " - " << x2 << ", " << y2;
    }
    s.Cls();
  }
}

TEST_F(SurfaceTest, TheScreenPictureKeepsWhatLiesBeyondItsDeviceForALargerOne) {
  PainterSurface s(100, 80);
  // A picture of 300 x 200 pixels whose device is the bottom-left 100 x 80.
  s.Redimensionne(100, 80, 0, QSize(300, 200));
  EXPECT_EQ(s.Image().size(), QSize(100, 80));
  EXPECT_EQ(s.ImageEntiere().size(), QSize(300, 200));
  EXPECT_EQ(s.DecalageHaut(), 120);
  s.PrendZoneModifiee();
  EXPECT_TRUE(s.PrendZoneModifiee().isEmpty());
  // Thin and wide lines and a circle reaching beyond the device's top and right edges.
  s.ForeColor = Rouge;
  s.Ligne(10, 70, 250, -100);
  s.DrawWidth = 3;
  s.Ligne(20, 70, 20, -100);
  s.DrawWidth = 1;
  s.Cercle(200, -50, 20, 20, 0, 0);
  s.Font.Size = 12;
  s.Texte(120, -110, 0, QStringLiteral("W"));
  EXPECT_TRUE(MarqueVers(s, 10, 70));
  EXPECT_EQ(Pixel(s, 20, 40), Rgb(Rouge));
  // Where it drew, in the picture's pixels, once.
  const QRect zone = s.PrendZoneModifiee();
  EXPECT_TRUE(zone.contains(QRect(QPoint(10, 10), QPoint(250, 190)))) << zone.x() << "," << zone.y();
  EXPECT_TRUE(QRect(0, 0, 300, 200).contains(zone));
  EXPECT_TRUE(s.PrendZoneModifiee().isEmpty());

  // The device as large as the picture shows all of it, at the same place from the bottom-left.
  s.Redimensionne(300, 200);
  EXPECT_EQ(s.DecalageHaut(), 0);
  EXPECT_EQ(Pixel(s, 20, 190), Rgb(Rouge));
  EXPECT_EQ(Pixel(s, 20, 22), Rgb(Rouge));
  EXPECT_TRUE(MarqueVers(s, 250, 20));
  EXPECT_TRUE(MarqueVers(s, 220, 70));
  EXPECT_TRUE(MarqueVers(s, 127, 20, 6));
  EXPECT_EQ(Encombrement(s).top(), Encombrement(s).intersected(QRect(100, 0, 50, 60)).top());
  // Shrunk below the drawing, it is hidden, not lost.
  s.Redimensionne(50, 40);
  EXPECT_EQ(s.Image().size(), QSize(50, 40));
  s.Redimensionne(300, 200);
  EXPECT_EQ(Pixel(s, 20, 22), Rgb(Rouge));
  EXPECT_TRUE(MarqueVers(s, 250, 20));
  s.Cls();
  EXPECT_EQ(Encombrement(s), QRect());
}

TEST_F(SurfaceTest, MaskPenKeepsBlackAndGreysWhite) {
  PainterSurface s(100, 40);
  s.ForeColor = 0;
  s.FillColor = 0;
  s.FillStyle = 0;
  s.Polygone({{0, 0}, {49, 0}, {49, 39}, {0, 39}});
  s.FillStyle = 1;
  s.DrawMode = 9;
  s.ForeColor = 0xC0C0C0;
  s.DrawWidth = 3;
  s.Ligne(5, 20, 95, 20);
  EXPECT_EQ(Pixel(s, 20, 20), 0x000000u);
  EXPECT_EQ(Pixel(s, 80, 20), 0xC0C0C0u);
  s.DrawMode = 13;
  s.Ligne(5, 30, 95, 30);
  EXPECT_EQ(Pixel(s, 20, 30), 0xC0C0C0u);
}

TEST_F(SurfaceTest, APenWiderThanTheCircleCoversItsMiddle) {
  PainterSurface s(40, 40);
  s.ForeColor = Rouge;
  s.DrawWidth = 8;
  s.Cercle(20, 20, 2.7, 2.7, 0, 0);
  for (int dx = -2; dx <= 2; ++dx) EXPECT_EQ(Pixel(s, 20 + dx, 20), Rgb(Rouge)) << dx;
  EXPECT_TRUE(Blanc(s, 20 + 9, 20));
}

TEST_F(SurfaceTest, PolygonsFillEvenOdd) {
  PainterSurface s(100, 100);
  s.ForeColor = Bleu;
  s.FillColor = Vert;
  s.FillStyle = 0;
  s.Polygone(
      {{10, 10}, {90, 10}, {90, 90}, {10, 90}, {10, 10}, {30, 30}, {70, 30}, {70, 70}, {30, 70}, {30, 30}});
  EXPECT_EQ(Pixel(s, 20, 50), Rgb(Vert));
  EXPECT_EQ(Pixel(s, 50, 20), Rgb(Vert));
  EXPECT_TRUE(Blanc(s, 50, 50));
  EXPECT_EQ(Pixel(s, 10, 50), Rgb(Bleu));
  EXPECT_EQ(Pixel(s, 70, 50), Rgb(Bleu));

  s.Cls();
  s.FillStyle = 1;
  s.Polygone({{10, 10}, {90, 10}, {90, 90}, {10, 90}});
  EXPECT_TRUE(Blanc(s, 50, 50));
  EXPECT_EQ(Pixel(s, 90, 50), Rgb(Bleu));
}

TEST_F(SurfaceTest, ArcsRunAnticlockwiseOnTheScreen) {
  PainterSurface s(100, 100);
  s.ForeColor = Rouge;
  s.Cercle(50, 50, 30, 30, 0, Pi / 2);
  const QRect quart = Encombrement(s);
  EXPECT_GE(quart.left(), 49);
  EXPECT_LE(quart.bottom(), 51);
  EXPECT_TRUE(MarqueVers(s, 80, 50));
  EXPECT_TRUE(MarqueVers(s, 50, 20));
  EXPECT_TRUE(MarqueVers(s, 71, 29));

  // From 3/2 pi up to pi/2 passes through 0: the right half.
  s.Cls();
  s.Cercle(50, 50, 30, 30, 3 * Pi / 2, Pi / 2);
  EXPECT_GE(Encombrement(s).left(), 49);
  EXPECT_TRUE(MarqueVers(s, 80, 50));

  // Equal angles: the whole ellipse.
  s.Cls();
  s.Cercle(50, 50, 30, 20, 1, 1);
  EXPECT_TRUE(MarqueVers(s, 80, 50));
  EXPECT_TRUE(MarqueVers(s, 20, 50));
  EXPECT_TRUE(MarqueVers(s, 50, 30));
  EXPECT_TRUE(MarqueVers(s, 50, 70));
  EXPECT_TRUE(Blanc(s, 50, 25));

  // An open arc is never filled; a pie (both angles negative) is, with its two radius lines.
  s.Cls();
  s.FillStyle = 0;
  s.FillColor = Vert;
  s.Cercle(50, 50, 30, 30, Pi / 2, Pi);
  EXPECT_TRUE(Blanc(s, 40, 40));
  s.Cercle(50, 50, 30, 30, -Pi / 2, -Pi);
  EXPECT_EQ(Pixel(s, 40, 40), Rgb(Vert));
  EXPECT_EQ(Pixel(s, 50, 35), Rgb(Rouge));
  EXPECT_EQ(Pixel(s, 35, 50), Rgb(Rouge));
  EXPECT_TRUE(Blanc(s, 60, 60));

  // One negative angle: the arc and one radius line.
  s.Cls();
  s.FillStyle = 1;
  s.Cercle(50, 50, 30, 30, 0, -Pi / 2);
  EXPECT_EQ(Pixel(s, 50, 35), Rgb(Rouge));
  EXPECT_TRUE(Blanc(s, 65, 50));

  EXPECT_THROW(s.Cercle(50, 50, 30, 30, 0, 7), ErreurExecution);
  EXPECT_THROW(s.Cercle(50, 50, 30, 30, -6.3, 0), ErreurExecution);
  EXPECT_NO_THROW(s.Cercle(50, 50, 30, 30, 0, static_cast<float>(2 * Pi)));
}

TEST_F(SurfaceTest, TextsStandOnTheirTopLeftCorner) {
  PainterSurface s(200, 200);
  s.Font.Name = QStringLiteral("Liberation Sans");
  s.Font.Size = 15;  // 20 pixels at 96 dpi
  s.ForeColor = Rouge;
  const double largeur = s.LargeurTextePx(QStringLiteral("HHHH"));
  const double hauteur = s.HauteurTextePx(QStringLiteral("HHHH"));
  EXPECT_GT(largeur, 40);
  EXPECT_NEAR(hauteur, 23, 2);
  EXPECT_DOUBLE_EQ(s.HauteurTextePx(QStringLiteral("A\r\nB")), 2 * hauteur);
  EXPECT_DOUBLE_EQ(s.LargeurTextePx(QStringLiteral("HH\r\nHHHH")), largeur);

  s.Texte(20, 30, 0, QStringLiteral("HHHH"));
  QRect r = Encombrement(s);
  EXPECT_GE(r.left(), 20);
  EXPECT_LE(r.left(), 24);
  EXPECT_GE(r.top(), 30);
  EXPECT_LE(r.bottom(), 30 + hauteur);
  EXPECT_NEAR(r.right(), 20 + largeur, 4);

  // Turned by 90 degrees anticlockwise the text reads upwards, its cell to the right of the corner.
  s.Cls();
  s.Texte(50, 150, 90, QStringLiteral("HHHH"));
  r = Encombrement(s);
  EXPECT_GE(r.left(), 50);
  EXPECT_LE(r.right(), 50 + hauteur);
  EXPECT_LE(r.bottom(), 150);
  EXPECT_NEAR(r.top(), 150 - largeur, 4);

  const MetriquesPolicePx m = s.MetriquesTextePx();
  EXPECT_DOUBLE_EQ(m.Hauteur, hauteur);
  EXPECT_GT(m.Ascent, m.Hauteur / 2);
  EXPECT_GT(m.InterneLeading, 0);
  EXPECT_LT(m.InterneLeading, m.Hauteur / 3);

  EXPECT_TRUE(s.PoliceExiste(QStringLiteral("liberation serif")));
  EXPECT_TRUE(s.PoliceExiste(QStringLiteral("Times New Roman")));
  EXPECT_TRUE(s.PoliceExiste(QStringLiteral("ARIAL")));
  EXPECT_FALSE(s.PoliceExiste(QStringLiteral("Morvo Sans Inexistante")));
}

TEST_F(SurfaceTest, PicturesAreStretchedIntoTheirRectangle) {
  QTemporaryDir dossier;
  const QString fichier = dossier.filePath(QStringLiteral("carre.png"));
  QImage petite(2, 2, QImage::Format_RGB32);
  petite.fill(Qt::blue);
  ASSERT_TRUE(petite.save(fichier));

  PainterSurface s(100, 100);
  EXPECT_TRUE(s.Image(10, 10, 40, 20, fichier));
  EXPECT_EQ(Encombrement(s), QRect(10, 10, 40, 20));
  EXPECT_FALSE(s.Image(10, 10, 40, 20, dossier.filePath(QStringLiteral("absente.png"))));

  // A picture reaching far beyond the surface: only the part on it is decoded, in its place.
  QImage moities(200, 100, QImage::Format_RGB32);
  moities.fill(Qt::red);
  for (int y = 0; y < 100; ++y)
    for (int x = 100; x < 200; ++x) moities.setPixel(x, y, qRgb(0, 0, 255));
  const QString large = dossier.filePath(QStringLiteral("moities.png"));
  ASSERT_TRUE(moities.save(large));
  PainterSurface p(100, 100);
  EXPECT_TRUE(p.Image(-950, 0, 2000, 100, large));
  EXPECT_EQ(Pixel(p, 45, 50), 0xFF0000u);
  EXPECT_EQ(Pixel(p, 55, 50), 0x0000FFu) << "the halves meet in the middle of the surface";

  // Pictures are known by their content: a JPEG named ".png" is read.
  const QString deguise = dossier.filePath(QStringLiteral("photo.png"));
  ASSERT_TRUE(petite.save(deguise, "JPEG"));
  EXPECT_TRUE(p.Image(0, 0, 10, 10, deguise));

  RecordingSurface r(100, 100);
  EXPECT_TRUE(r.Image(1, 2, 3, 4, fichier));
  EXPECT_FALSE(r.Image(1, 2, 3, 4, dossier.filePath(QStringLiteral("absente.png"))));
  EXPECT_EQ(r.Journal().size(), 1);
}

TEST_F(SurfaceTest, RecordsEveryPrimitiveAsOneLogLine) {
  RecordingSurface r(1000, 700);
  r.ForeColor = 0x123456;
  r.DrawWidth = 3;
  r.Ligne(1, 2.005, -0.001, 4.5);
  r.FillColor = Vert;
  r.FillStyle = 0;
  r.Cercle(10, 20, 5, 2.5, -Pi / 2, 0);
  r.FillStyle = 1;
  r.Polygone({{0, 0}, {10, 0}, {5, 8.66}});
  r.Font.Name = QStringLiteral("Arial");
  r.Font.Size = 12;
  r.Font.Bold = true;
  r.Font.Underline = true;
  r.Texte(5, 6, 45, QStringLiteral("dit \"oui\"\r\nC:\\a"));
  r.Font = PoliceSortie();
  r.Texte(5, 6, 0, QStringLiteral("x"));
  r.Cls();
  r.NouvellePage();

  const QStringList attendu = {
      QStringLiteral("line 1.00 2.00 0.00 4.50 #563412 3"),
      QStringLiteral("circle 10.00 20.00 5.00 2.50 -1.57 0.00 #563412 3 #00FF00"),
      QStringLiteral("polygon 3 0.00 0.00 10.00 0.00 5.00 8.66 #563412 3 -"),
      QStringLiteral("text 5.00 6.00 45.00 \"Arial\" 12.00 BU #563412 \"dit \\\"oui\\\"\\r\\nC:\\\\a\""),
      QStringLiteral("text 5.00 6.00 0.00 \"Times New Roman\" 8.00 - #563412 \"x\""),
      QStringLiteral("cls"),
      QStringLiteral("page"),
  };
  EXPECT_EQ(r.Journal(), attendu);

  const auto& p = r.Primitives();
  ASSERT_EQ(p.size(), 7u);
  EXPECT_EQ(p[0].Type, Primitive::Genre::Ligne);
  EXPECT_EQ(p[0].Points, QVector<QPointF>({{1, 2.005}, {-0.001, 4.5}}));
  EXPECT_EQ(p[0].Epaisseur, 3);
  EXPECT_FALSE(p[0].Remplissage.has_value());
  EXPECT_EQ(p[1].Type, Primitive::Genre::Cercle);
  EXPECT_EQ(p[1].Remplissage, std::optional<uint32_t>(Vert));
  EXPECT_DOUBLE_EQ(p[1].Debut, -Pi / 2);
  EXPECT_DOUBLE_EQ(p[1].Ry, 2.5);
  EXPECT_EQ(p[2].Points.size(), 3);
  EXPECT_EQ(p[3].Police.Name, QStringLiteral("Arial"));
  EXPECT_TRUE(p[3].Police.Bold);
  EXPECT_DOUBLE_EQ(p[3].Angle, 45);
  EXPECT_EQ(p[6].Type, Primitive::Genre::Page);

  EXPECT_EQ(NombreJournal(-0.004), QStringLiteral("0.00"));
  EXPECT_EQ(NombreJournal(-0.005001), QStringLiteral("-0.01"));
  EXPECT_EQ(NombreJournal(1234.5), QStringLiteral("1234.50"));
  EXPECT_EQ(NombreJournal(-1e38), QStringLiteral("-1e+38"));

  r.Efface();
  EXPECT_TRUE(r.Journal().isEmpty());
  EXPECT_TRUE(r.Primitives().empty());
  EXPECT_THROW(r.Cercle(0, 0, 1, 1, 0, 6.5), ErreurExecution);
  EXPECT_TRUE(r.Journal().isEmpty());
}

// The runner's log is written as it is drawn, by its own number formatting: it must say what the
// record says, halfway values and huge ones included, and keep nothing.
TEST_F(SurfaceTest, TheLogWrittenAsItIsDrawnIsTheRecordsLog) {
  struct Texte : FluxJournal {
    std::string octets;
    void Ecrit(const char* o, size_t n) override { octets.append(o, n); }
  } flux;
  RecordingSurface garde(1000, 700), ecrit(1000, 700);
  ecrit.GardePrimitives(false);
  ecrit.DefinitFlux(&flux);
  for (RecordingSurface* r : {&garde, &ecrit}) {
    r->ForeColor = 0xA1B2C3;
    r->DrawWidth = 2;
    r->Ligne(0.125, -0.375, 2.675, -0.0049);
    r->Ligne(1e15, -1e15, 0.005, 999999999999999.9);
    r->Ligne(std::nan(""), HUGE_VAL, -0.625, 12345.875);
    r->FillStyle = 0;
    r->FillColor = 0x0000FF;
    r->Cercle(10.875, 20, 5, 2.5, -Pi / 2, 0);
    r->FillStyle = 1;
    r->Polygone({{0.125, 0}, {10, -0.001}, {5, 8.66}});
    r->Texte(5, 6, 45, QStringLiteral("é \"x\""));
    r->Cls();
  }
  flux.Vide();
  EXPECT_EQ(QString::fromStdString(flux.octets), garde.Journal().join(QLatin1Char('\n')) + QLatin1Char('\n'));
  EXPECT_EQ(flux.NbLignes(), 7);
  EXPECT_TRUE(ecrit.Primitives().empty());
  EXPECT_TRUE(ecrit.Journal().isEmpty());
}

TEST_F(SurfaceTest, ForwardingKeepsTheTargetInStep) {
  PainterSurface ecran(200, 100);
  RecordingSurface r(200, 100, 96, &ecran);
  r.ForeColor = Rouge;
  r.DrawWidth = 3;
  r.DrawMode = 9;
  r.FillColor = Vert;
  r.FillStyle = 0;
  r.CurrentX = 12.5;
  r.CurrentY = -3;
  r.SetScaleMode(3);
  r.ScaleHeight = -100;
  r.ScaleTop = 100;
  r.Font.Name = QStringLiteral("Liberation Serif");
  r.Font.Size = 20;
  r.Ligne(10, 50, 190, 50);
  EXPECT_EQ(ecran.ForeColor, Rouge);
  EXPECT_EQ(ecran.DrawWidth, 3);
  EXPECT_EQ(ecran.DrawMode, 9);
  EXPECT_EQ(ecran.FillColor, Vert);
  EXPECT_EQ(ecran.FillStyle, 0);
  EXPECT_DOUBLE_EQ(ecran.CurrentX, 12.5);
  EXPECT_DOUBLE_EQ(ecran.CurrentY, -3);
  EXPECT_EQ(ecran.ScaleMode(), 3);
  EXPECT_DOUBLE_EQ(ecran.ScaleHeight, -100);
  EXPECT_DOUBLE_EQ(ecran.ScaleTop, 100);
  EXPECT_EQ(ecran.Font.Name, QStringLiteral("Liberation Serif"));
  EXPECT_EQ(Pixel(ecran, 100, 50), Rgb(Rouge));
  EXPECT_EQ(r.Journal().size(), 1);

  // Text sizes come from the target with the recorder's font, and agree with the recorder's own.
  RecordingSurface seul(200, 100);
  seul.Font = r.Font;
  EXPECT_DOUBLE_EQ(r.LargeurTextePx(QStringLiteral("Morvo")), ecran.LargeurTextePx(QStringLiteral("Morvo")));
  EXPECT_NEAR(seul.LargeurTextePx(QStringLiteral("Morvo")), r.LargeurTextePx(QStringLiteral("Morvo")), 1.0);
  EXPECT_NEAR(seul.HauteurTextePx(QStringLiteral("Morvo")), r.HauteurTextePx(QStringLiteral("Morvo")), 0.5);

  r.Cls();
  EXPECT_EQ(Encombrement(ecran), QRect());
  EXPECT_DOUBLE_EQ(ecran.CurrentX, 0);
  EXPECT_FALSE(r.EstImprimante());
  seul.DefinitImprimante(true);
  EXPECT_TRUE(seul.EstImprimante());
}

TEST_F(SurfaceTest, PrintsOntoAPdfFile) {
  QTemporaryDir dossier;
  const QString fichier = dossier.filePath(QStringLiteral("sortie.pdf"));
  {
    QPrinter imprimante(QPrinter::HighResolution);
    imprimante.setOutputFormat(QPrinter::PdfFormat);
    imprimante.setOutputFileName(fichier);
    PainterSurface s(&imprimante);
    EXPECT_TRUE(s.EstImprimante());
    EXPECT_FALSE(s.ErreurImpression());
    EXPECT_DOUBLE_EQ(s.MmParPixel(), 25.4 / imprimante.resolution());
    EXPECT_EQ(s.LargeurPixels(), imprimante.width());
    EXPECT_NEAR(s.ScaleWidth, s.LargeurPixels() * s.MmParPixel(), 1e-9);
    s.DrawMode = 9;
    s.Ligne(100, 100, 2000, 2000);
    s.Cercle(1000, 1000, 500, 500, 0, 0);
    s.Texte(100, 100, 30, QStringLiteral("Morvo"));
    s.NouvellePage();
    s.Polygone({{0, 0}, {100, 0}, {0, 100}});
    s.FinImpression();
    EXPECT_FALSE(s.ErreurImpression());
  }
  QFile pdf(fichier);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QByteArray contenu = pdf.readAll();
  EXPECT_TRUE(contenu.startsWith("%PDF"));
  EXPECT_TRUE(contenu.contains("/Count 2"));

  QPrinter impossible(QPrinter::HighResolution);
  impossible.setOutputFormat(QPrinter::PdfFormat);
  impossible.setOutputFileName(dossier.filePath(QStringLiteral("absent/sortie.pdf")));
  PainterSurface echec(&impossible);
  EXPECT_TRUE(echec.ErreurImpression());
  // Drawing on a failed printer is a run error, which the run reports as a printer error.
  EXPECT_THROW(echec.Ligne(0, 0, 10, 10), ErreurExecution);
}

TEST_F(SurfaceTest, APageFormatChosenBeforeDrawingTurnsTheFirstPage) {
  QTemporaryDir dossier;
  const QString fichier = dossier.filePath(QStringLiteral("paysage.pdf"));
  QPrinter imprimante(QPrinter::HighResolution);
  imprimante.setOutputFormat(QPrinter::PdfFormat);
  imprimante.setOutputFileName(fichier);
  imprimante.setPageSize(QPageSize(QPageSize::A4));
  {
    PainterSurface s(&imprimante);
    s.DefinitOrientation(true);
    EXPECT_GT(s.LargeurPixels(), s.HauteurPixels());
    s.Ligne(0, 0, 100, 100);
    s.FinImpression();
  }
  QFile pdf(fichier);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QByteArray contenu = pdf.readAll();
  // Landscape A4: the media box is wider than high (841.89 x 595.28 points).
  EXPECT_TRUE(contenu.contains("/MediaBox [0 0 841.") || contenu.contains("/MediaBox [0 0 842"))
      << contenu.left(2000).toStdString();
}

// A segment to a point far beyond what the painter or a PDF file can hold is drawn where it lies
// (here at 45 degrees), and what is drawn after it is drawn too; so are a polygon and a circle
// with such points.
TEST_F(SurfaceTest, FarPointsAreDrawnWhereTheyLie) {
  PainterSurface s(100, 100);
  s.Ligne(0, 0, 1e20, 1e20);
  s.Ligne(10, 90, 90, 90);
  for (int x = 10; x <= 90; x += 20) {
    EXPECT_TRUE(MarqueVers(s, x, x, 1)) << x;
    EXPECT_TRUE(MarqueVers(s, x, 90, 0)) << x;
  }
  EXPECT_TRUE(Blanc(s, 50, 35));
  s.Cls();
  s.FillStyle = 0;
  s.FillColor = Rouge;
  s.Polygone({{0, 0}, {1e18, 1e18}, {1e18, 0}});
  EXPECT_EQ(Pixel(s, 70, 20), Rgb(Rouge));
  EXPECT_TRUE(Blanc(s, 20, 70));
  s.Cls();
  s.FillStyle = 1;
  s.Cercle(1e18, 1e18, 10, 10, 0, 0);
  s.Ligne(10, 90, 90, 90);
  EXPECT_EQ(Encombrement(s), QRect(10, 90, 81, 1));
  // Past 32-bit coordinates a filled figure covering the surface fills it; one whose edge could
  // show is an overflow.
  s.FillStyle = 0;
  s.Cercle(50, 50, 1e18, 1e18, 0, 0);
  EXPECT_EQ(Pixel(s, 5, 5), Rgb(Rouge));
  EXPECT_THROW(s.Cercle(50 - 1e18, 50, 1e18, 1e18, 0, 0), ErreurExecution);

  if (!PdftoppmPresent()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  QTemporaryDir dossier;
  const QString fichier = dossier.filePath(QStringLiteral("loin.pdf"));
  {
    QPrinter imprimante(QPrinter::HighResolution);
    imprimante.setOutputFormat(QPrinter::PdfFormat);
    imprimante.setOutputFileName(fichier);
    imprimante.setPageSize(QPageSize(QPageSize::A4));
    imprimante.setPageMargins(QMarginsF(0, 0, 0, 0));
    PainterSurface p(&imprimante);
    const double mm = 1 / p.MmParPixel();
    p.DrawWidth = static_cast<int>(mm);
    p.Ligne(0, 0, 1e20, 1e20);
    p.Cercle(1e20, 1e20, 10 * mm, 10 * mm, 0, 0);
    p.Ligne(10 * mm, 150 * mm, 100 * mm, 150 * mm);
    p.FinImpression();
    EXPECT_FALSE(p.ErreurImpression());
  }
  const std::vector<PagePdf> pages = PagesPdf(fichier, 50);
  ASSERT_EQ(pages.size(), 1u);
  // The diagonal crosses the top of the page at 45 degrees, and the later line is there.
  for (const double x : {110.0, 140.0, 180.0}) {
    const QRectF encre = EncreDans(pages[0], QRectF(x - 3, 0, 6, 297));
    ASSERT_FALSE(encre.isEmpty()) << x;
    EXPECT_NEAR(encre.center().y(), x, 2) << x;
  }
  const QRectF apres = EncreDans(pages[0], QRectF(0, 140, 120, 20));
  ASSERT_FALSE(apres.isEmpty());
  EXPECT_NEAR(apres.left(), 10, 1.5);
  EXPECT_NEAR(apres.right(), 100, 1.5);
}

}  // namespace
