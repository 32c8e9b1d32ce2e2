#include "platform/PainterSurface.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

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

// Beyond this many pixels (and the pen) around the device nothing drawn can show: what lies
// further is cut off, in double precision, before the painter sees it. The painter's fixed-point
// edges and a PDF file's numbers stray by pixels on far coordinates, so the margin is kept small.
constexpr double MargeLoin = 64;
// Beyond this radius in pixels the painter's own curves stray from the true ellipse by a good part
// of a pixel: the ellipse is drawn as straight pieces reckoned in double precision instead.
constexpr double RayonCourbesPeintre = 2048;

// Whether a coordinate lies beyond one side of a rectangle: sides 0 and 1 are the left and right,
// 2 and 3 the top and bottom.
bool AuDela(const QPointF& p, int cote, const QRectF& r) {
  switch (cote) {
    case 0:
      return p.x() < r.left();
    case 1:
      return p.x() > r.right();
    case 2:
      return p.y() < r.top();
    default:
      return p.y() > r.bottom();
  }
}

// The point of the line p-q on the given side of the rectangle. It is reckoned from the end nearer
// to that side: the other end may be so far that its own coordinates hold no pixel exactly.
QPointF PointSurCote(const QPointF& p, const QPointF& q, int cote, const QRectF& r) {
  const bool axeX = cote < 2;
  const double b = cote == 0 ? r.left() : cote == 1 ? r.right() : cote == 2 ? r.top() : r.bottom();
  const double pa = axeX ? p.x() : p.y(), qa = axeX ? q.x() : q.y();
  const double pb = axeX ? p.y() : p.x(), qb = axeX ? q.y() : q.x();
  const double autre = std::fabs(b - pa) <= std::fabs(qa - b) ? pb + (qb - pb) * ((b - pa) / (qa - pa))
                                                              : qb + (pb - qb) * ((b - qa) / (pa - qa));
  return axeX ? QPointF(b, autre) : QPointF(autre, b);
}

bool Dedans(const QPointF& p, const QRectF& r) {
  return p.x() >= r.left() && p.x() <= r.right() && p.y() >= r.top() && p.y() <= r.bottom();
}

bool Fini(const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

// Cuts the segment to the rectangle, side after side; false when nothing of it is left.
bool CoupeSegment(QPointF& p, QPointF& q, const QRectF& r) {
  if (!Fini(p) || !Fini(q)) return false;
  for (int cote = 0; cote < 4; ++cote) {
    const bool dehorsP = AuDela(p, cote, r), dehorsQ = AuDela(q, cote, r);
    if (dehorsP && dehorsQ) return false;
    if (dehorsP)
      p = PointSurCote(p, q, cote, r);
    else if (dehorsQ)
      q = PointSurCote(p, q, cote, r);
  }
  return true;
}

// The polygon cut to the rectangle, side after side (the region it encloses within the rectangle
// is kept, the even-odd parity included); empty when nothing of it is left.
QVector<QPointF> CoupePolygone(const QVector<QPointF>& points, const QRectF& r) {
  for (const QPointF& p : points)
    if (!Fini(p)) return {};
  QVector<QPointF> entree = points, sortie;
  for (int cote = 0; cote < 4 && !entree.isEmpty(); ++cote) {
    sortie.clear();
    const qsizetype n = entree.size();
    for (qsizetype i = 0; i < n; ++i) {
      const QPointF& s = entree[(i + n - 1) % n];
      const QPointF& e = entree[i];
      const bool dehorsS = AuDela(s, cote, r), dehorsE = AuDela(e, cote, r);
      if (dehorsS != dehorsE) sortie.append(PointSurCote(s, e, cote, r));
      if (!dehorsE) sortie.append(e);
    }
    std::swap(entree, sortie);
  }
  return entree;
}

}  // namespace

// An ellipse in device pixels; angles anticlockwise on the screen.
struct EllipseDevice {
  double cx, cy, rx, ry;
  QPointF Point(double t) const { return {cx + rx * std::cos(t), cy - ry * std::sin(t)}; }
};

namespace {

// The ellipse from debut to fin as straight pieces whose chords stray less than 0.2 pixel from it.
// 'morceaux' gets each run of it within the rectangle; 'contour' the whole of it with what lies
// outside brought onto the rectangle's sides, which encloses what the ellipse does within it (the
// parts outside go in as their two ends: between two cut angles each coordinate runs one way, so the
// part brought onto the sides is straight).
void EllipseVisible(const EllipseDevice& e, double debut, double fin, const QRectF& r,
                    QVector<QPolygonF>* morceaux, QPolygonF* contour) {
  const std::vector<double> angles = AnglesCoupeEllipse(e.cx, e.cy, e.rx, e.ry, debut, fin, r);
  const double pas = std::sqrt(1.6 / std::max(e.rx, e.ry));
  const auto surCote = [&](const QPointF& p) {
    return QPointF(std::clamp(p.x(), r.left(), r.right()), std::clamp(p.y(), r.top(), r.bottom()));
  };
  bool suite = false;
  for (size_t i = 0; i + 1 < angles.size(); ++i) {
    const double t0 = angles[i], t1 = angles[i + 1];
    if (!(t1 > t0)) continue;
    if (!Dedans(e.Point((t0 + t1) / 2), r)) {
      if (contour) *contour << surCote(e.Point(t0)) << surCote(e.Point(t1));
      suite = false;
      continue;
    }
    if (morceaux && !suite) morceaux->append(QPolygonF());
    const auto n = static_cast<qsizetype>(std::ceil((t1 - t0) / pas));
    for (qsizetype k = suite ? 1 : 0; k <= n; ++k) {
      const QPointF p =
          e.Point(k == n ? t1 : t0 + (t1 - t0) * static_cast<double>(k) / static_cast<double>(n));
      if (morceaux) morceaux->back() << p;
      if (contour) *contour << p;
    }
    suite = true;
  }
}

}  // namespace

void VerifieAnglesCercle(double debut, double fin) {
  const float tour = static_cast<float>(2.0 * std::numbers::pi);
  if (!(std::fabs(static_cast<float>(debut)) <= tour) || !(std::fabs(static_cast<float>(fin)) <= tour))
    LeveErreurExecution(QStringLiteral("invalid procedure call"));
}

PainterSurface::PainterSurface(int largeur, int hauteur, double dpi)
    : image_(std::max(1, largeur), std::max(1, hauteur), QImage::Format_RGB32),
      peintre_(std::make_unique<QPainter>()),
      polices_(dpi, &image_),
      dpi_(dpi) {
  const int pointsParMetre = static_cast<int>(std::lround(dpi / 0.0254));
  image_.setDotsPerMeterX(pointsParMetre);
  image_.setDotsPerMeterY(pointsParMetre);
  image_.fill(Qt::white);
  blanche_ = true;
  largeurPixels_ = image_.width();
  hauteurPixels_ = image_.height();
  SetScaleMode(6);
}

PainterSurface::PainterSurface(QPagedPaintDevice* imprimante)
    : imprimante_(imprimante),
      peintre_(std::make_unique<QPainter>()),
      polices_(imprimante->logicalDpiX() > 0 ? imprimante->logicalDpiX() : 96.0, imprimante) {
  dpi_ = imprimante_->logicalDpiX() > 0 ? imprimante_->logicalDpiX() : 96.0;
  PlaceSurLaPage();
  // Painting begins with the first thing drawn, so that a page format chosen before it (FormatI)
  // applies to the first page. A PDF file that cannot be made is known at once.
  if (const auto* qt = dynamic_cast<const QPrinter*>(imprimante);
      qt && qt->outputFormat() == QPrinter::PdfFormat) {
    const QString fichier = qt->outputFileName();
    const QFileInfo info(fichier);
    const QFileInfo dossier(info.absolutePath());
    erreur_ = fichier.isEmpty() || !dossier.isDir() || !dossier.isWritable() ||
              (info.exists() && !info.isWritable());
  }
  SetScaleMode(6);
}

bool PainterSurface::Commence() {
  if (!imprimante_ || peintre_->isActive()) return true;
  if (fini_ || erreur_) return false;
  etat_.Valide = false;
  if (!peintre_->begin(imprimante_)) {
    erreur_ = true;
    return false;
  }
  PlaceSurLaPage();
  return true;
}

void PainterSurface::DefinitPage(const QPageLayout& page, bool horaire) {
  pageExacte_ = page;
  horaire_ = horaire;
  if (imprimante_) PlaceSurLaPage();
}

void PainterSurface::PlaceSurLaPage() {
  // The page's margins are the printer's own, to a fraction of a point: Qt paints from whole
  // points, the drawing is moved by what they leave.
  const QPageLayout page = imprimante_->pageLayout();
  const double parPoint = dpi_ / 72.0;
  const QMarginsF marges = pageExacte_ ? pageExacte_->margins(QPageLayout::Millimeter) * (72 / 25.4)
                                       : page.margins(QPageLayout::Point);
  const QRect peinte = page.paintRectPixels(static_cast<int>(std::lround(dpi_)));
  const QRect feuille = page.fullRectPoints();
  decalPage_ = page.mode() == QPageLayout::FullPageMode ? QPointF()
                                                        : QPointF(marges.left() * parPoint - peinte.left(),
                                                                  marges.top() * parPoint - peinte.top());
  largeurPixels_ = imprimante_->width();
  hauteurPixels_ = imprimante_->height();
  if (page.mode() != QPageLayout::FullPageMode) {
    largeurPixels_ =
        static_cast<int>(std::lround((feuille.width() - marges.left() - marges.right()) * parPoint));
    hauteurPixels_ =
        static_cast<int>(std::lround((feuille.height() - marges.top() - marges.bottom()) * parPoint));
  }
  if (peintre_->isActive())
    peintre_->setWorldTransform(QTransform::fromTranslate(decalPage_.x(), decalPage_.y()));
}

PainterSurface::~PainterSurface() {
  FinImpression();
  TermineImage();
}

void PainterSurface::FinImpression() {
  if (!imprimante_ || fini_) return;
  // A job with nothing drawn still gives its (empty) page, and so does a page asked for last.
  if (Commence() && pagePendante_) {
    pagePendante_ = false;
    if (!imprimante_->newPage()) erreur_ = true;
  }
  if (peintre_->isActive() && !peintre_->end()) erreur_ = true;
  fini_ = true;
}

void PainterSurface::TermineImage() const {
  if (imprimante_ || !peintre_->isActive()) return;
  peintre_->end();
  etat_.Valide = false;
}

const QImage& PainterSurface::Image() const {
  TermineImage();
  if (imprimante_ || image_.size() == QSize(largeurPixels_, hauteurPixels_)) return image_;
  visible_ = image_.copy(0, decalHaut_, largeurPixels_, hauteurPixels_);
  return visible_;
}

const QImage& PainterSurface::ImageEntiere() const {
  TermineImage();
  return image_;
}

void PainterSurface::Redimensionne(int largeur, int hauteur, double dpi, QSize reserve) {
  if (imprimante_) return;
  TermineImage();
  largeur = std::max(1, largeur);
  hauteur = std::max(1, hauteur);
  const bool autreResolution = dpi > 0 && dpi != dpi_;
  const double ancienDpi = dpi_;
  if (autreResolution) {
    dpi_ = dpi;
    polices_ = CachePolices(dpi_, &image_);
  }
  // The picture never shrinks at the same resolution: a smaller window keeps what it hides.
  QSize taille = QSize(largeur, hauteur).expandedTo(reserve);
  if (!autreResolution) taille = taille.expandedTo(image_.size());
  if (taille != image_.size()) {
    QImage nouvelle(taille, QImage::Format_RGB32);
    const int pointsParMetre = static_cast<int>(std::lround(dpi_ / 0.0254));
    nouvelle.setDotsPerMeterX(pointsParMetre);
    nouvelle.setDotsPerMeterY(pointsParMetre);
    nouvelle.fill(Qt::white);
    if (!blanche_) {
      // On a screen of another pixel density the drawing keeps its size in millimetres.
      QPainter p(&nouvelle);
      const QSizeF ancienne = QSizeF(image_.size()) * (dpi_ / ancienDpi);
      if (autreResolution) p.setRenderHint(QPainter::SmoothPixmapTransform);
      p.drawImage(QRectF(QPointF(0, nouvelle.height() - ancienne.height()), ancienne), image_);
    }
    image_ = nouvelle;
    ToutModifie();
  }
  largeurPixels_ = largeur;
  hauteurPixels_ = hauteur;
  decalHaut_ = image_.height() - hauteur;
}

void PainterSurface::ToutModifie() {
  modGauche_ = modHaut_ = 0;
  modDroite_ = image_.width();
  modBas_ = image_.height();
}

QRect PainterSurface::PrendZoneModifiee() {
  // Within the picture (a far or infinite coordinate included); a box that is not a number shows
  // nothing.
  const double g = std::max(modGauche_, 0.0), h = std::max(modHaut_, 0.0);
  const double d = std::min(modDroite_, static_cast<double>(image_.width()));
  const double b = std::min(modBas_, static_cast<double>(image_.height()));
  modGauche_ = modHaut_ = std::numeric_limits<double>::infinity();
  modDroite_ = modBas_ = -std::numeric_limits<double>::infinity();
  if (!(g < d) || !(h < b)) return {};
  return QRect(QPoint(static_cast<int>(std::floor(g)), static_cast<int>(std::floor(h))),
               QPoint(static_cast<int>(std::ceil(d)) - 1, static_cast<int>(std::ceil(b)) - 1));
}

QRectF PainterSurface::EtendueDevice() const {
  if (imprimante_) return {0, 0, static_cast<double>(LargeurPixels()), static_cast<double>(HauteurPixels())};
  return {0, static_cast<double>(-decalHaut_), static_cast<double>(image_.width()),
          static_cast<double>(image_.height())};
}

QPainter& PainterSurface::Peintre(bool avecRemplissage) {
  QPainter& p = *peintre_;
  EtatPeintre& e = etat_;
  if (imprimante_) {
    if (!Commence()) LeveErreurExecution(QStringLiteral("printer error"));
    if (pagePendante_) CommencePage();
  } else if (!p.isActive()) {
    blanche_ = false;
    // The image must not share its pixels while the painter and TraitFin both write into them.
    image_.bits();
    p.begin(&image_);
    // The device is the bottom-left part of the picture.
    if (decalHaut_ != 0) p.translate(0, decalHaut_);
    e.Valide = false;
  }
  // The mask pen ANDs the pen colour into what is there; printers have no such operation.
  const int mode = imprimante_ || DrawMode != 9 ? QPainter::CompositionMode_SourceOver
                                                : QPainter::RasterOp_SourceAndDestination;
  const int largeur = std::max(1, DrawWidth);
  if (!e.Valide || e.Mode != mode) {
    if (!imprimante_) p.setCompositionMode(static_cast<QPainter::CompositionMode>(mode));
    e.Mode = mode;
  }
  if (!e.Valide || e.Couleur != ForeColor || e.Largeur != largeur) {
    p.setPen(QPen(CouleurQt(ForeColor), largeur, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    e.Couleur = ForeColor;
    e.Largeur = largeur;
  }
  if (!e.Valide || e.Remplit != avecRemplissage || (avecRemplissage && e.Remplissage != FillColor)) {
    p.setBrush(avecRemplissage ? QBrush(CouleurQt(FillColor)) : QBrush(Qt::NoBrush));
    e.Remplit = avecRemplissage;
    e.Remplissage = FillColor;
  }
  if (!e.Valide) e.Police = 0;
  e.Valide = true;
  return p;
}

// Runs one drawing with the pen (and the brush when asked) of the members.
template <class Dessin>
void PainterSurface::Peint(bool avecRemplissage, Dessin&& dessin) {
  if (imprimante_ && fini_) return;
  dessin(Peintre(avecRemplissage));
}

namespace {

// The clipping, rounding and end rules below are those of the painter's aliased 1-pixel line on
// a raster image, so that the pixels written are the ones it writes.

// Cuts the segment to min <= a <= max along one axis; false when nothing of it is left.
bool CoupeAxe(double& a1, double& b1, double& a2, double& b2, double min, double max) {
  if (a1 < min) {
    if (a2 <= min) return false;
    b1 += (b2 - b1) / (a2 - a1) * (min - a1);
    a1 = min;
  } else if (a1 > max) {
    if (a2 >= max) return false;
    b1 += (b2 - b1) / (a2 - a1) * (max - a1);
    a1 = max;
  }
  if (a2 < min) {
    b2 += (b2 - b1) / (a2 - a1) * (min - a2);
    a2 = min;
  } else if (a2 > max) {
    b2 += (b2 - b1) / (a2 - a1) * (max - a2);
    a2 = max;
  }
  return true;
}

}  // namespace

void PainterSurface::TraitFin(double rx1, double ry1, double rx2, double ry2) {
  blanche_ = false;
  uint32_t* const pixels = reinterpret_cast<uint32_t*>(image_.bits());
  const qsizetype parLigne = image_.bytesPerLine() / 4;
  // Device rows are picture rows less the part above the device.
  const int l = image_.width(), h = image_.height(), d = decalHaut_;
  const uint32_t couleur =
      0xFF000000u | (ForeColor & 0xFF) << 16 | (ForeColor & 0xFF00) | (ForeColor >> 16 & 0xFF);
  const auto pose = [&](int x, int y) {
    y += d;
    if (x >= 0 && x < l && y >= 0 && y < h) pixels[y * parLigne + x] = couleur;
  };
  Modifie(rx1, ry1, rx2, ry2, 1.0);
  // A segment whose ends the painter takes as equal is the pixel nearest its first end.
  if (QPointF(rx1, ry1) == QPointF(rx2, ry2)) {
    pose(qRound(rx1), qRound(ry1));
    return;
  }
  if (!CoupeAxe(rx1, ry1, rx2, ry2, -1.0, l + 1.0) || !CoupeAxe(ry1, rx1, ry2, rx2, -1.0 - d, h - d + 1.0))
    return;
  // 26.6 fixed point, walked along the longer axis one pixel at a time with the other in 16.16.
  const int x1 = static_cast<int>(rx1 * 64.), y1 = static_cast<int>(ry1 * 64.);
  const int x2 = static_cast<int>(rx2 * 64.), y2 = static_cast<int>(ry2 * 64.);
  const bool parLignes = std::abs(x2 - x1) < std::abs(y2 - y1);
  int a1 = parLignes ? y1 : x1, b1 = parLignes ? x1 : y1;
  int a2 = parLignes ? y2 : x2, b2 = parLignes ? x2 : y2;
  if (a1 == a2) return;
  if (a1 > a2) {
    std::swap(a1, a2);
    std::swap(b1, b2);
  }
  const int pas = static_cast<int>(static_cast<int64_t>(b2 - b1) * 65536 / (a2 - a1));
  // Both ends reach half a pixel further along the segment (the round caps).
  a1 -= 32;
  a2 += 32;
  int b = b1 * (1 << 10) - (pas >> 1);
  int a = (a1 + 32) >> 6;
  const int fin = (a2 + 32) >> 6;
  if (a == fin) return;
  b += ((a * (1 << 6)) + (pas > 0 ? 32 : 0) - a1) * pas >> 6;
  do {
    if (parLignes)
      pose(b >> 16, a);
    else
      pose(a, b >> 16);
    b += pas;
  } while (++a < fin);
}

QRectF PainterSurface::EtendueLoin() const {
  const double marge = MargeLoin + DrawWidth;
  return EtendueDevice().adjusted(-marge, -marge, marge, marge);
}

void PainterSurface::Ligne(double x1, double y1, double x2, double y2) {
  // A far end is brought in along the segment: the painter's arithmetic (and a PDF's numbers)
  // cannot hold it, and the part cut off cannot show.
  if (const QRectF loin = EtendueLoin(); !Dedans({x1, y1}, loin) || !Dedans({x2, y2}, loin)) {
    QPointF p(x1, y1), q(x2, y2);
    if (!CoupeSegment(p, q, loin)) return;
    x1 = p.x();
    y1 = p.y();
    x2 = q.x();
    y2 = q.y();
  }
  // Pieces of 1-pixel solid lines are most of what a drawing is made of; handing each one to the
  // painter costs many times what its few pixels do. Coordinates far outside the image (or not
  // numbers) stay with the painter, whose arithmetic would overflow as it does.
  constexpr double loin = 1 << 20;
  if (!imprimante_ && DrawWidth <= 1 && DrawMode != 9 && std::fabs(x1) < loin && std::fabs(y1) < loin &&
      std::fabs(x2) < loin && std::fabs(y2) < loin) {
    TraitFin(x1, y1, x2, y2);
    return;
  }
  Modifie(x1, y1, x2, y2, DrawWidth / 2.0 + 1);
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
  // A figure wholly beyond the margin around the device cannot show.
  const QRectF loin = EtendueLoin();
  const double demiPlume = DrawWidth / 2.0;
  if (cx + rx + demiPlume < loin.left() || cx - rx - demiPlume > loin.right() ||
      cy + ry + demiPlume < loin.top() || cy - ry - demiPlume > loin.bottom())
    return;
  if (rx == 0 && ry == 0) {
    Modifie(cx, cy, cx, cy, DrawWidth / 2.0 + 1);
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
  const bool couvert = a1 == a2 && demiPlume >= std::min(rx, ry);
  // Whether the figure's inside, less 'retrait' all round, holds the whole rectangle.
  const auto entoure = [&](const QRectF& zone, double retrait) {
    const double ix = rx - retrait, iy = ry - retrait;
    bool dedans = true;
    for (const double x : {zone.left(), zone.right()})
      for (const double y : {zone.top(), zone.bottom()}) {
        const double u = (x - cx) / ix, v = (y - cy) / iy;
        dedans = dedans && u * u + v * v < 1;
      }
    return dedans;
  };
  const bool entier = a1 == a2 && !rayonDebut && !rayonFin;
  // An outline whose inner edge encloses the whole surface shows nothing: a zoomed ring far
  // larger than the page costs no painting.
  if (entier && FillStyle != 0 && !couvert && entoure(EtendueDevice(), demiPlume)) return;
  // Past the device's 32-bit coordinates the painter cannot draw the figure exactly. Filled and
  // covering everything around the device, it is that area filled; anything else of it that could
  // show is an overflow, as a polygon's point or a text there is.
  constexpr double Limite = 2147483647.0;
  if (!(std::fabs(cx) + rx <= Limite && std::fabs(cy) + ry <= Limite)) {
    if (!entier || FillStyle != 0 || !entoure(loin, 0)) LeveErreurExecution(QStringLiteral("overflow"));
    Modifie(loin, 1);
    Peint(true, [&](QPainter& p) { p.drawRect(loin); });
    return;
  }
  if (std::max(rx, ry) > RayonCourbesPeintre && !couvert) {
    const double fin = a1 == a2 ? a1 + 2 * std::numbers::pi : a1 + balayage / degres;
    CercleGrand({cx, cy, rx, ry}, a1, fin, rayonDebut, rayonFin, ferme);
    return;
  }
  Modifie(cadre, demiPlume + 2);
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

void PainterSurface::CercleGrand(const EllipseDevice& e, double debut, double fin, bool rayonDebut,
                                 bool rayonFin, bool ferme) {
  const QRectF loin = EtendueLoin();
  QVector<QPolygonF> morceaux;
  QPolygonF contour;
  // A pie's outline runs from its centre; a whole ellipse's radius lines are drawn over it.
  const bool part = debut + 2 * std::numbers::pi != fin;
  if (ferme && part) contour << QPointF(e.cx, e.cy);
  EllipseVisible(e, debut, fin, loin, ferme ? nullptr : &morceaux, ferme ? &contour : nullptr);
  if (ferme) {
    contour = QPolygonF(CoupePolygone(contour, loin.adjusted(-1, -1, 1, 1)));
    if (!contour.isEmpty()) morceaux.append(contour);
  }
  QVector<QLineF> rayons;
  for (const auto& [rayon, angle] : {std::pair{rayonDebut, debut}, std::pair{rayonFin, fin}}) {
    if (!rayon || (ferme && part)) continue;
    QPointF p(e.cx, e.cy), q = e.Point(angle);
    if (CoupeSegment(p, q, loin)) rayons.append(QLineF(p, q));
  }
  for (const QPolygonF& m : morceaux) Modifie(m.boundingRect(), DrawWidth / 2.0 + 1);
  for (const QLineF& l : rayons) Modifie(l.x1(), l.y1(), l.x2(), l.y2(), DrawWidth / 2.0 + 1);
  if (morceaux.isEmpty() && rayons.isEmpty()) return;
  Peint(ferme && FillStyle == 0, [&](QPainter& p) {
    for (const QPolygonF& m : morceaux) {
      if (ferme)
        p.drawPolygon(m, Qt::OddEvenFill);
      else
        p.drawPolyline(m);
    }
    for (const QLineF& l : rayons) p.drawLine(l);
  });
}

void PainterSurface::Polygone(const QVector<QPointF>& points) {
  if (points.isEmpty()) return;
  const QRectF loin = EtendueLoin();
  QPolygonF polygone(points);
  if (!std::all_of(points.begin(), points.end(), [&](const QPointF& p) { return Dedans(p, loin); })) {
    // The sides added along the cut lie where nothing shows.
    polygone = QPolygonF(CoupePolygone(points, loin));
    if (polygone.isEmpty()) return;
  }
  Modifie(polygone.boundingRect(), DrawWidth / 2.0 + 1);
  Peint(FillStyle == 0, [&](QPainter& p) { p.drawPolygon(polygone, Qt::OddEvenFill); });
}

void PainterSurface::Texte(double x, double y, double angleDeg, const QString& texte) {
  if (texte.isEmpty()) return;
  const PoliceResolue& police = polices_.Resout(Font);
  const QStringList lignes = LignesTexte(texte);
  QTransform position;
  position.translate(x, y);
  position.rotate(-angleDeg);
  if (!imprimante_) {
    // The lines' box turned with them, with a line's height around for overhangs and underlines.
    const double interligne = police.Mesure.ascent() + police.Mesure.descent();
    double largeur = 0;
    for (const QString& ligne : lignes) largeur = std::max(largeur, police.Mesure.horizontalAdvance(ligne));
    Modifie(position.mapRect(QRectF(0, 0, largeur, interligne * static_cast<double>(lignes.size()))),
            interligne + 1);
  }
  const QTransform base = QTransform::fromTranslate(decalPage_.x(), decalHaut_ + decalPage_.y());
  Peint(false, [&](QPainter& p) {
    if (etat_.Police != police.Numero) {
      p.setFont(police.Police);
      etat_.Police = police.Numero;
    }
    p.setWorldTransform(position * base);
    double hautLigne = police.Mesure.ascent();
    for (const QString& ligne : lignes) {
      p.drawText(QPointF(0, hautLigne), ligne);
      hautLigne += police.Mesure.ascent() + police.Mesure.descent();
    }
    p.setWorldTransform(base);
  });
}

bool PainterSurface::Image(double x, double y, double l, double h, const QString& fichier, QString* erreur) {
  // Decoded no larger than the rectangle it fills, so a large photo costs what it shows.
  const QSize cible(static_cast<int>(std::min(std::ceil(std::fabs(l)), 1e6)),
                    static_cast<int>(std::min(std::ceil(std::fabs(h)), 1e6)));
  // Only the part that falls on the surface is decoded: a picture drawn far larger than the
  // surface costs what the surface shows.
  const QRectF rectangle(x, y, l, h);
  QRectF dessine = rectangle;
  QRectF partie(0, 0, 1, 1);
  if (l > 0 && h > 0) {
    dessine = rectangle.intersected(EtendueDevice());
    if (dessine.isEmpty()) dessine = QRectF(x, y, std::min(l, 1.0), std::min(h, 1.0));
    partie = QRectF((dessine.x() - x) / l, (dessine.y() - y) / h, dessine.width() / l, dessine.height() / h);
  }
  QString raison;
  const QImage image = LitImage(fichier, cible, raison, partie);
  if (image.isNull()) {
    if (erreur) *erreur = raison;
    return false;
  }
  Modifie(dessine, 1);
  Peint(false, [&](QPainter& p) { p.drawImage(dessine, image); });
  return true;
}

void PainterSurface::Cls() {
  CurrentX = 0;
  CurrentY = 0;
  if (imprimante_ || blanche_) return;
  TermineImage();
  image_.fill(Qt::white);
  blanche_ = true;
  ToutModifie();
}

void PainterSurface::NouvellePage() {
  if (!imprimante_ || fini_) return;
  if (!Commence()) LeveErreurExecution(QStringLiteral("printer error"));
  // A page asked for while the last one is still waiting is that one, left blank.
  if (pagePendante_) CommencePage();
  pagePendante_ = true;
}

void PainterSurface::CommencePage() {
  pagePendante_ = false;
  if (!imprimante_->newPage()) {
    erreur_ = true;
    LeveErreurExecution(QStringLiteral("printer error"));
  }
  PlaceSurLaPage();
  etat_.Valide = false;
}

QPageLayout PageOrientee(const QPageLayout& page, QPageLayout::Orientation orientation, bool horaire) {
  if (page.orientation() == orientation) return page;
  // A landscape page lies a quarter turn anticlockwise on the sheet: its top is the sheet's left
  // edge, its left the sheet's foot; turned clockwise, its top is the sheet's right edge, its left
  // the sheet's top.
  const QMarginsF m = page.margins();
  const QMarginsF tournees = (orientation == QPageLayout::Landscape) != horaire
                                 ? QMarginsF(m.bottom(), m.left(), m.top(), m.right())
                                 : QMarginsF(m.top(), m.right(), m.bottom(), m.left());
  return QPageLayout(page.pageSize(), orientation, tournees, page.units());
}

void PainterSurface::DefinitOrientation(bool paysage) {
  if (!imprimante_) return;
  // The area the printer can print turns with the sheet.
  const QPageLayout::Orientation orientation = paysage ? QPageLayout::Landscape : QPageLayout::Portrait;
  const QPageLayout tournee =
      PageOrientee(pageExacte_ ? *pageExacte_ : imprimante_->pageLayout(), orientation, horaire_);
  if (pageExacte_) pageExacte_ = tournee;
  if (!imprimante_->setPageLayout(tournee)) imprimante_->setPageOrientation(orientation);
  PlaceSurLaPage();
}

double PainterSurface::LargeurTextePx(const QString& texte) const {
  return LargeurTexteQt(polices_.Resout(Font), texte);
}

double PainterSurface::HauteurTextePx(const QString& texte) const {
  return HauteurTexteQt(polices_.Resout(Font).Mesure, texte);
}

bool PainterSurface::PoliceExiste(const QString& nom) const { return PoliceInstallee(nom); }

MetriquesPolicePx PainterSurface::MetriquesTextePx() const { return MetriquesQt(polices_.Resout(Font)); }
