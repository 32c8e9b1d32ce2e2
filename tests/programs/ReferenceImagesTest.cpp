// Whole programs of refs/ run through morvo-run onto the real painter surface; each drawing must
// match its reference PNG of refs/.
//
// The comparison forgives what another FreeType or Qt release changes: both images are smoothed
// over 3 x 3 pixels and a pixel counts as different only when no pixel within one pixel of it in
// the other smoothed image comes within kTolerance of it in every channel. Antialiasing and
// hinting move edges by less than that; a shape that moved by a millimetre, turned or went missing
// leaves hundreds of such pixels. At most kPartMax of the pixels may differ.
//
// To write new references after an intended change of the drawing, run the suite with
// MORVO_UPDATE_REFS=1 in the environment, for example
//   MORVO_UPDATE_REFS=1 QT_QPA_PLATFORM=offscreen <build>/tests/tests_programs --gtest_filter='Programs/*'
// then look at every changed PNG before committing it. A failed comparison leaves the drawing it
// got as <name>-actual.png in the working directory.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kTolerance = 48;
constexpr double kPartMax = 0.0002;

QString DossierReferences() { return QStringLiteral(MORVO_SOURCE_DIR "/tests/programs/refs/"); }

// Sums of each channel over the 3 x 3 neighbourhood (edges repeated): nine times the mean.
std::vector<int> Lisse(const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_RGB32);
  const int l = image.width(), h = image.height();
  std::vector<int> sommes(static_cast<size_t>(l) * h * 3, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < l; ++x) {
      int r = 0, v = 0, b = 0;
      for (int dy = -1; dy <= 1; ++dy) {
        const auto* ligne = reinterpret_cast<const QRgb*>(image.constScanLine(std::clamp(y + dy, 0, h - 1)));
        for (int dx = -1; dx <= 1; ++dx) {
          const QRgb p = ligne[std::clamp(x + dx, 0, l - 1)];
          r += qRed(p);
          v += qGreen(p);
          b += qBlue(p);
        }
      }
      const size_t i = (static_cast<size_t>(y) * l + x) * 3;
      sommes[i] = r;
      sommes[i + 1] = v;
      sommes[i + 2] = b;
    }
  }
  return sommes;
}

struct Ecart {
  bool memeTaille = false;
  int pixels = 0;
  QRect zone;  // Bounding box of the differing pixels.
};

// Compares two drawings with the tolerance described at the top of the file.
Ecart Compare(const QImage& a, const QImage& b) {
  Ecart e;
  if (a.size() != b.size()) return e;
  e.memeTaille = true;
  const int l = a.width(), h = a.height();
  const std::vector<int> la = Lisse(a), lb = Lisse(b);
  constexpr int seuil = 9 * kTolerance;
  auto proches = [&](const std::vector<int>& p, size_t i, const std::vector<int>& q, size_t j) {
    return std::abs(p[i] - q[j]) <= seuil && std::abs(p[i + 1] - q[j + 1]) <= seuil &&
           std::abs(p[i + 2] - q[j + 2]) <= seuil;
  };
  auto trouve = [&](const std::vector<int>& p, const std::vector<int>& q, int x, int y) {
    const size_t i = (static_cast<size_t>(y) * l + x) * 3;
    for (int yy = std::max(0, y - 1); yy <= std::min(h - 1, y + 1); ++yy) {
      for (int xx = std::max(0, x - 1); xx <= std::min(l - 1, x + 1); ++xx) {
        if (proches(p, i, q, (static_cast<size_t>(yy) * l + xx) * 3)) return true;
      }
    }
    return false;
  };
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < l; ++x) {
      const size_t i = (static_cast<size_t>(y) * l + x) * 3;
      if (proches(la, i, lb, i)) continue;
      if (trouve(la, lb, x, y) && trouve(lb, la, x, y)) continue;
      ++e.pixels;
      e.zone |= QRect(x, y, 1, 1);
    }
  }
  return e;
}

bool Acceptable(const Ecart& e, const QSize& taille) {
  return e.memeTaille && e.pixels <= kPartMax * taille.width() * taille.height();
}

class ReferenceImagesTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ReferenceImagesTest, DrawsLikeTheReference) {
  const QString nom = QString::fromLatin1(GetParam());
  const QString programme = DossierReferences() + nom + QStringLiteral(".dat");
  const QString reference = DossierReferences() + nom + QStringLiteral(".png");
  ASSERT_TRUE(QFile::exists(programme)) << programme.toStdString();

  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  const QString png = dossier.filePath(QStringLiteral("dessin.png"));
  const QString log = dossier.filePath(QStringLiteral("run.log"));
  QProcess processus;
  processus.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  processus.start(QStringLiteral(MORVO_RUN_PATH),
                  {QStringLiteral("--png"), png, QStringLiteral("--log"), log, programme});
  ASSERT_TRUE(processus.waitForFinished(60000));
  ASSERT_EQ(processus.exitStatus(), QProcess::NormalExit);
  ASSERT_EQ(processus.exitCode(), 0);

  QFile fichierLog(log);
  ASSERT_TRUE(fichierLog.open(QIODevice::ReadOnly));
  for (const QString& ligne : QString::fromUtf8(fichierLog.readAll()).split(QLatin1Char('\n'))) {
    EXPECT_FALSE(ligne.startsWith(QStringLiteral("message ")))
        << "the run showed a message: " << ligne.toStdString();
  }

  const QImage obtenue(png);
  ASSERT_FALSE(obtenue.isNull());
  if (qEnvironmentVariable("MORVO_UPDATE_REFS") == QStringLiteral("1")) {
    QFile::remove(reference);
    ASSERT_TRUE(QFile::copy(png, reference)) << reference.toStdString();
    GTEST_SKIP() << "reference written: " << reference.toStdString();
  }

  const QImage attendue(reference);
  ASSERT_FALSE(attendue.isNull()) << "no reference " << reference.toStdString();
  const Ecart e = Compare(obtenue, attendue);
  if (!Acceptable(e, attendue.size())) {
    const QString copie = QDir::current().filePath(nom + QStringLiteral("-actual.png"));
    obtenue.save(copie);
    ADD_FAILURE() << nom.toStdString() << ": size " << obtenue.width() << "x" << obtenue.height()
                  << " (reference " << attendue.width() << "x" << attendue.height() << "), " << e.pixels
                  << " pixels differ between x " << e.zone.left() << ".." << e.zone.right() << " and y "
                  << e.zone.top() << ".." << e.zone.bottom() << "; drawing kept as " << copie.toStdString();
  }
}

// pens: widths, dashes, dots, ends, dash patterns round corners, rotated polylines, polar points.
// texts: the nine anchors, turned and right-aligned texts, lines moved down, a column, TexteC, Cote.
// shapes: circles, arcs, pies and ellipses, the three gradients, frames with every corner kind.
// plot: a data file filled, drawn dashed, and smoothed by a moving average.
// voltmeter, logscale: the example dials (arc and straight scales, graduations, values, sectors).
INSTANTIATE_TEST_SUITE_P(Programs, ReferenceImagesTest,
                         ::testing::Values("pens", "texts", "shapes", "plot", "voltmeter", "logscale"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });

// The comparison itself: what antialiasing changes passes, a shape moved or missing does not.
TEST(ReferenceComparison, ForgivesEdgesButNotMovedShapes) {
  const QSize taille(1000, 700);
  auto dessin = [&](double decalage, bool avecCercle, QPointF centre) {
    QImage image(taille, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.0));
    p.drawLine(QPointF(100 + decalage, 100 + decalage), QPointF(600 + decalage, 300 + decalage));
    p.setPen(QPen(Qt::blue, 2.0));
    p.drawRect(QRectF(650 + decalage, 400, 200, 100));
    if (avecCercle) {
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::red);
      p.drawEllipse(centre + QPointF(decalage, decalage), 12, 12);
    }
    return image;
  };
  const QImage reference = dessin(0, true, QPointF(300, 500));

  Ecart e = Compare(reference, reference);
  EXPECT_EQ(e.pixels, 0);
  EXPECT_TRUE(Acceptable(e, taille));

  e = Compare(dessin(0.5, true, QPointF(300, 500)), reference);
  EXPECT_TRUE(Acceptable(e, taille)) << e.pixels << " pixels differ after a half-pixel shift";

  QImage estompee = reference;
  for (int y = 0; y < estompee.height(); ++y) {
    auto* ligne = reinterpret_cast<QRgb*>(estompee.scanLine(y));
    for (int x = 0; x < estompee.width(); ++x) {
      const QRgb c = ligne[x];
      ligne[x] = qRgb(std::max(0, qRed(c) - 30), std::max(0, qGreen(c) - 30), std::min(255, qBlue(c) + 30));
    }
  }
  e = Compare(estompee, reference);
  EXPECT_TRUE(Acceptable(e, taille)) << e.pixels << " pixels differ after a colour change of 30";

  e = Compare(dessin(0, true, QPointF(304, 500)), reference);
  EXPECT_FALSE(Acceptable(e, taille)) << "a disc moved by 4 pixels";
  EXPECT_EQ(e.zone.intersected(QRect(280, 480, 50, 40)), e.zone);

  e = Compare(dessin(0, false, QPointF(300, 500)), reference);
  EXPECT_FALSE(Acceptable(e, taille)) << "a missing disc";

  e = Compare(dessin(3, true, QPointF(300, 500)), reference);
  EXPECT_FALSE(Acceptable(e, taille)) << "every line moved by 3 pixels";

  EXPECT_FALSE(Compare(reference.copy(0, 0, 999, 700), reference).memeTaille);
}

}  // namespace
