#include "platform/PainterSurface.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/FontMetrics.h"
#include "platform/Pictures.h"
#include "platform/RunError.h"

namespace {

QColor CouleurQt(uint32_t couleur) {
  return QColor(couleur & 0xFF, (couleur >> 8) & 0xFF, (couleur >> 16) & 0xFF);
}

// A point of the ellipse at an angle measured anticlockwise on the screen (device y points down).
QPointF PointEllipse(double cx, double cy, double rx, double ry, double angle) {
  return {cx + rx * std::cos(angle), cy - ry * std::sin(angle)};
}

}  // namespace

void VerifieAnglesCercle(double debut, double fin) {
  const float tour = static_cast<float>(2.0 * std::numbers::pi);
  if (!(std::fabs(static_cast<float>(debut)) <= tour) || !(std::fabs(static_cast<float>(fin)) <= tour))
    LeveErreurExecution(QStringLiteral("invalid procedure call"));
}

PainterSurface::PainterSurface(int largeur, int hauteur, double dpi)
    : image_(std::max(1, largeur), std::max(1, hauteur), QImage::Format_RGB32), dpi_(dpi) {
  const int pointsParMetre = static_cast<int>(std::lround(dpi / 0.0254));
  image_.setDotsPerMeterX(pointsParMetre);
  image_.setDotsPerMeterY(pointsParMetre);
  image_.fill(Qt::white);
  SetScaleMode(6);
}

PainterSurface::PainterSurface(QPrinter* imprimante)
    : imprimante_(imprimante), peintreImprimante_(std::make_unique<QPainter>()) {
  dpi_ = imprimante_->resolution() > 0 ? imprimante_->resolution() : 96.0;
  // Painting begins with the first thing drawn, so that a page format chosen before it (FormatI)
  // applies to the first page. A PDF file that cannot be made is known at once.
  if (imprimante_->outputFormat() == QPrinter::PdfFormat) {
    const QFileInfo fichier(imprimante_->outputFileName());
    const QFileInfo dossier(fichier.absolutePath());
    erreur_ = imprimante_->outputFileName().isEmpty() || !dossier.isDir() || !dossier.isWritable() ||
              (fichier.exists() && !fichier.isWritable());
  }
  SetScaleMode(6);
}

bool PainterSurface::Commence() {
  if (!imprimante_ || peintreImprimante_->isActive()) return true;
  if (fini_ || erreur_) return false;
  if (!peintreImprimante_->begin(imprimante_)) {
    erreur_ = true;
    return false;
  }
  return true;
}

PainterSurface::~PainterSurface() { FinImpression(); }

void PainterSurface::FinImpression() {
  if (!imprimante_ || fini_) return;
  // A job with nothing drawn still gives its (empty) page.
  Commence();
  if (peintreImprimante_->isActive() && !peintreImprimante_->end()) erreur_ = true;
  fini_ = true;
}

void PainterSurface::Redimensionne(int largeur, int hauteur) {
  if (imprimante_) return;
  QImage nouvelle(std::max(1, largeur), std::max(1, hauteur), QImage::Format_RGB32);
  nouvelle.setDotsPerMeterX(image_.dotsPerMeterX());
  nouvelle.setDotsPerMeterY(image_.dotsPerMeterY());
  nouvelle.fill(Qt::white);
  QPainter p(&nouvelle);
  p.drawImage(0, 0, image_);
  p.end();
  image_ = nouvelle;
}

int PainterSurface::LargeurPixels() const { return imprimante_ ? imprimante_->width() : image_.width(); }

int PainterSurface::HauteurPixels() const { return imprimante_ ? imprimante_->height() : image_.height(); }

const QPaintDevice* PainterSurface::Appareil() const {
  if (imprimante_) return imprimante_;
  return &image_;
}

// Sets the pen (and the brush when asked) from the members and runs one drawing.
template <class Dessin>
void PainterSurface::Peint(bool avecRemplissage, Dessin&& dessin) {
  QPainter locale;
  QPainter* p = nullptr;
  if (imprimante_) {
    if (fini_) return;
    if (!Commence()) LeveErreurExecution(QStringLiteral("printer error"));
    p = peintreImprimante_.get();
    p->save();
  } else {
    locale.begin(&image_);
    p = &locale;
    // The mask pen ANDs the pen colour into what is there; printers have no such operation.
    if (DrawMode == 9) p->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
  }
  QPen stylo(CouleurQt(ForeColor), std::max(1, DrawWidth), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p->setPen(stylo);
  p->setBrush(avecRemplissage ? QBrush(CouleurQt(FillColor)) : QBrush(Qt::NoBrush));
  dessin(*p);
  if (imprimante_) p->restore();
}

void PainterSurface::Ligne(double x1, double y1, double x2, double y2) {
  Peint(false, [&](QPainter& p) {
    if (x1 == x2 && y1 == y2)
      p.drawPoint(QPointF(x1, y1));
    else
      p.drawLine(QLineF(x1, y1, x2, y2));
  });
}

void PainterSurface::Cercle(double cx, double cy, double rx, double ry, double debut, double fin) {
  VerifieAnglesCercle(debut, fin);
  const QPointF centre(cx, cy);
  if (rx == 0 && ry == 0) {
    Peint(false, [&](QPainter& p) { p.drawPoint(centre); });
    return;
  }
  // A negative angle stands for its absolute value with a radius line to it.
  const double a1 = std::fabs(debut), a2 = std::fabs(fin);
  const bool rayonDebut = debut < 0, rayonFin = fin < 0;
  const QRectF cadre(cx - rx, cy - ry, 2 * rx, 2 * ry);
  const double degres = 180.0 / std::numbers::pi;
  double balayage = (a2 - a1) * degres;
  if (balayage < 0) balayage += 360.0;

  QPainterPath trace;
  bool ferme = true;
  if (a1 == a2) {
    trace.addEllipse(cadre);
    for (const bool rayon : {rayonDebut, rayonFin}) {
      if (!rayon) continue;
      trace.moveTo(centre);
      trace.lineTo(PointEllipse(cx, cy, rx, ry, a1));
    }
  } else if (rayonDebut && rayonFin) {
    trace.moveTo(centre);
    trace.arcTo(cadre, a1 * degres, balayage);
    trace.closeSubpath();
  } else {
    ferme = false;
    if (rayonDebut) {
      trace.moveTo(centre);
      trace.lineTo(PointEllipse(cx, cy, rx, ry, a1));
    } else {
      trace.arcMoveTo(cadre, a1 * degres);
    }
    trace.arcTo(cadre, a1 * degres, balayage);
    if (rayonFin) trace.lineTo(centre);
  }
  // A pen wider than the figure covers it whole; the path stroker would leave its middle empty.
  const double demiPlume = DrawWidth / 2.0;
  const bool couvert = a1 == a2 && demiPlume >= std::min(rx, ry);
  // An outline whose inner edge encloses the whole surface shows nothing: a zoomed ring far
  // larger than the page costs no painting.
  if (a1 == a2 && !rayonDebut && !rayonFin && FillStyle != 0 && !couvert) {
    const double ix = rx - demiPlume, iy = ry - demiPlume;
    bool dedans = true;
    for (const double x : {0.0, static_cast<double>(LargeurPixels())})
      for (const double y : {0.0, static_cast<double>(HauteurPixels())}) {
        const double u = (x - cx) / ix, v = (y - cy) / iy;
        dedans = dedans && u * u + v * v < 1;
      }
    if (dedans) return;
  }
  Peint(ferme && FillStyle == 0, [&](QPainter& p) {
    p.drawPath(trace);
    if (couvert) {
      p.save();
      p.setPen(Qt::NoPen);
      p.setBrush(CouleurQt(ForeColor));
      p.drawEllipse(centre, rx + demiPlume, ry + demiPlume);
      p.restore();
    }
  });
}

void PainterSurface::Polygone(const QVector<QPointF>& points) {
  if (points.isEmpty()) return;
  Peint(FillStyle == 0, [&](QPainter& p) { p.drawPolygon(QPolygonF(points), Qt::OddEvenFill); });
}

void PainterSurface::Texte(double x, double y, double angleDeg, const QString& texte) {
  if (texte.isEmpty()) return;
  const QFont police = PoliceQt(Font, dpi_);
  const QFontMetricsF mesure(police, Appareil());
  static const QRegularExpression fin(QStringLiteral("\r\n|\r|\n"));
  const QStringList lignes = texte.split(fin);
  Peint(false, [&](QPainter& p) {
    p.setFont(police);
    p.translate(x, y);
    p.rotate(-angleDeg);
    double base = mesure.ascent();
    for (const QString& ligne : lignes) {
      p.drawText(QPointF(0, base), ligne);
      base += mesure.ascent() + mesure.descent();
    }
  });
}

bool PainterSurface::Image(double x, double y, double l, double h, const QString& fichier, QString* erreur) {
  // Decoded no larger than the rectangle it fills, so a large photo costs what it shows.
  const QSize cible(static_cast<int>(std::min(std::ceil(std::fabs(l)), 1e6)),
                    static_cast<int>(std::min(std::ceil(std::fabs(h)), 1e6)));
  QString raison;
  const QImage image = LitImage(fichier, cible, raison);
  if (image.isNull()) {
    if (erreur) *erreur = raison;
    return false;
  }
  Peint(false, [&](QPainter& p) { p.drawImage(QRectF(x, y, l, h), image); });
  return true;
}

void PainterSurface::Cls() {
  CurrentX = 0;
  CurrentY = 0;
  if (!imprimante_) image_.fill(Qt::white);
}

void PainterSurface::NouvellePage() {
  if (!imprimante_ || fini_) return;
  if (!Commence()) LeveErreurExecution(QStringLiteral("printer error"));
  if (!imprimante_->newPage()) erreur_ = true;
}

void PainterSurface::DefinitOrientation(bool paysage) {
  if (imprimante_) imprimante_->setPageOrientation(paysage ? QPageLayout::Landscape : QPageLayout::Portrait);
}

double PainterSurface::LargeurTextePx(const QString& texte) const {
  return LargeurTexteQt(PoliceQt(Font, dpi_), texte, Appareil());
}

double PainterSurface::HauteurTextePx(const QString& texte) const {
  return HauteurTexteQt(PoliceQt(Font, dpi_), texte, Appareil());
}

bool PainterSurface::PoliceExiste(const QString& nom) const { return PoliceInstallee(nom); }

MetriquesPolicePx PainterSurface::MetriquesTextePx() const {
  return MetriquesQt(PoliceQt(Font, dpi_), Appareil());
}
