#pragma once

// The pages of a PDF file as a printer puts them on paper: rasterised by poppler's pdftoppm, with
// the page size and the box of everything drawn on it, in millimetres from the page's top-left
// corner.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRectF>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

struct PagePdf {
  QSizeF Taille;  // millimetres
  QRectF Encre;   // millimetres; empty on a blank page
  QImage Image;   // 8-bit grey
};

inline bool PdftoppmPresent() {
  return !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

// The box of the pixels darker than mid-grey.
inline QRect BoiteEncre(const QImage& image) {
  int x0 = image.width(), y0 = image.height(), x1 = -1, y1 = -1;
  for (int y = 0; y < image.height(); ++y) {
    const uchar* ligne = image.constScanLine(y);
    for (int x = 0; x < image.width(); ++x) {
      if (ligne[x] >= 128) continue;
      x0 = std::min(x0, x);
      x1 = std::max(x1, x);
      y0 = std::min(y0, y);
      y1 = std::max(y1, y);
    }
  }
  return x1 < 0 ? QRect() : QRect(QPoint(x0, y0), QPoint(x1, y1));
}

// A binary grey map as pdftoppm writes it (a page at 600 dpi is larger than QImage reads).
inline QImage LitPgm(const QString& chemin) {
  QFile f(chemin);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray octets = f.readAll();
  // "P5" width height maxval, each followed by one white space, then the rows.
  QList<QByteArray> champs;
  qsizetype i = 0;
  while (champs.size() < 4 && i < octets.size()) {
    while (i < octets.size() && std::isspace(static_cast<unsigned char>(octets[i]))) ++i;
    const qsizetype debut = i;
    while (i < octets.size() && !std::isspace(static_cast<unsigned char>(octets[i]))) ++i;
    champs << octets.mid(debut, i - debut);
  }
  ++i;
  if (champs.size() < 4 || champs[0] != "P5") return {};
  const int l = champs[1].toInt(), h = champs[2].toInt();
  if (l <= 0 || h <= 0 || octets.size() - i < static_cast<qsizetype>(l) * h) return {};
  QImage image(l, h, QImage::Format_Grayscale8);
  for (int y = 0; y < h; ++y)
    std::memcpy(image.scanLine(y), octets.constData() + i + static_cast<qsizetype>(y) * l, l);
  return image;
}

// Every page at `dpi` (600: a pixel is 0.042 mm); none when the file cannot be read.
inline std::vector<PagePdf> PagesPdf(const QString& pdf, int dpi = 600) {
  std::vector<PagePdf> pages;
  QTemporaryDir dossier;
  if (!dossier.isValid()) return pages;
  QProcess p;
  p.start(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")),
          {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"), pdf,
           dossier.filePath(QStringLiteral("p"))});
  if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return pages;
  const double mm = 25.4 / dpi;
  for (const QString& nom :
       QDir(dossier.path()).entryList({QStringLiteral("p-*.pgm")}, QDir::Files, QDir::Name)) {
    PagePdf page;
    page.Image = LitPgm(dossier.filePath(nom));
    page.Taille = QSizeF(page.Image.width() * mm, page.Image.height() * mm);
    const QRect encre = BoiteEncre(page.Image);
    if (!encre.isNull())
      page.Encre = QRectF(encre.x() * mm, encre.y() * mm, (encre.width()) * mm, (encre.height()) * mm);
    pages.push_back(std::move(page));
  }
  return pages;
}

// The ink inside a part of the page (millimetres), to find one figure among others.
inline QRectF EncreDans(const PagePdf& page, const QRectF& zoneMm) {
  if (page.Image.isNull() || page.Taille.width() <= 0) return {};
  const double px = page.Image.width() / page.Taille.width();
  const QRect zone = QRect(static_cast<int>(zoneMm.x() * px), static_cast<int>(zoneMm.y() * px),
                           static_cast<int>(zoneMm.width() * px), static_cast<int>(zoneMm.height() * px))
                         .intersected(page.Image.rect());
  const QRect encre = BoiteEncre(page.Image.copy(zone));
  if (encre.isNull()) return {};
  return QRectF((zone.x() + encre.x()) / px, (zone.y() + encre.y()) / px, encre.width() / px,
                encre.height() / px);
}
