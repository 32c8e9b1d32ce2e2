#pragma once

// Runs drawing programs on the 1000 x 700 recorder at 96 dpi, where one screen pixel is one
// printer pixel (so pen widths in pixels come out as written), and reads back device pixels.

#include <QImage>
#include <QPointF>
#include <utility>
#include <vector>

#include "RunFixture.h"
#include "platform/Host.h"
#include "platform/RecordingSurface.h"

class DrawingTest : public RunFixture {
 protected:
  void SetUp() override {
    RunFixture::SetUp();
    Shell.RapportEcranImp = 1.0f;
  }

  // Each run starts with an empty record, so that a test sees what its last run drew.
  void Run(const QString& programme) {
    Session().Enregistrement().Efface();
    RunFixture::Run(programme);
  }
  void Run(const QStringList& lignes) { Run(lignes.join(QStringLiteral("\r\n"))); }

  static constexpr double PxParMm = 96.0 / 25.4;
  static constexpr double HauteurImage = 700.0;
  // Device pixel of a drawing point (y up from the bottom of the image).
  static QPointF Px(double x, double y) { return {x * PxParMm, HauteurImage - y * PxParMm}; }

  // Sets up the run's scale and surface (a program of one comment) and forgets what it drew,
  // so that a test can call the drawing routines directly.
  void PrepareSurface() {
    Run(QStringLiteral("' surface"));
    Session().Enregistrement().Efface();
  }

  // The first and last pixel that is not white in row (or column) n of the picture drawn; -1, -1
  // when there is none.
  std::pair<int, int> EncreDessinee(bool rangee, int n) {
    const QImage& image = Session().Image();
    std::pair<int, int> r{-1, -1};
    for (int i = 0; i < (rangee ? image.width() : image.height()); ++i) {
      if ((image.pixel(rangee ? i : n, rangee ? n : i) & 0xFFFFFF) == 0xFFFFFF) continue;
      if (r.first < 0) r.first = i;
      r.second = i;
    }
    return r;
  }

  std::vector<Primitive> DuGenre(Primitive::Genre genre) {
    std::vector<Primitive> r;
    for (const Primitive& p : Primitives())
      if (p.Type == genre) r.push_back(p);
    return r;
  }
  std::vector<Primitive> Lignes() { return DuGenre(Primitive::Genre::Ligne); }
  std::vector<Primitive> Cercles() { return DuGenre(Primitive::Genre::Cercle); }
  std::vector<Primitive> Polygones() { return DuGenre(Primitive::Genre::Polygone); }
};

// Two device points within a hundredth of a pixel.
#define EXPECT_POINT(a, b)                      \
  do {                                          \
    const QPointF pa_ = (a), pb_ = (b);         \
    EXPECT_NEAR(pa_.x(), pb_.x(), 0.01) << "x"; \
    EXPECT_NEAR(pa_.y(), pb_.y(), 0.01) << "y"; \
  } while (0)
