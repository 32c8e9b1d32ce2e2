#include "shell/DrawingView.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <cmath>

#include "drawing/DrawState.h"
#include "platform/Host.h"
#include "shell/MouseCoordinates.h"

namespace {

// The resolution of the screen's millimetres: 96 widget units an inch.
constexpr double PointsParPouce = 96.0;

}  // namespace

VueDessin::VueDessin(QWidget* parent) : QWidget(parent), surface_(1, 1, PointsParPouce) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  // A click leaves the keyboard where it was (the editor at its caret).
  setFocusPolicy(Qt::NoFocus);
}

void VueDessin::paintEvent(QPaintEvent* evenement) {
  QPainter p(this);
  const QRect zone = evenement->rect();
  p.fillRect(zone, Qt::white);
  const double r = RapportPixels();
  p.drawImage(
      QRectF(zone), surface_.ImageEntiere(),
      QRectF(zone.x() * r, zone.y() * r + surface_.DecalageHaut(), zone.width() * r, zone.height() * r));
}

bool VueDessin::event(QEvent* evenement) {
  const bool traite = QWidget::event(evenement);
  // A screen of another pixel density (the window moved, or the screen changed): the picture takes
  // the new density at once, the drawing keeping its size in millimetres, whichever way it goes and
  // whether or not the window changes size with it.
  if (evenement->type() == QEvent::ScreenChangeInternal && !gele_ && !AJour()) Redimensionne();
  return traite;
}

bool VueDessin::AJour() const {
  return TaillePixels() == QSize(surface_.LargeurPixels(), surface_.HauteurPixels()) &&
         surface_.MmParPixel() == 25.4 / (PointsParPouce * devicePixelRatioF());
}

void VueDessin::resizeEvent(QResizeEvent* evenement) {
  QWidget::resizeEvent(evenement);
  // The picture keeps the whole drawing of the last run: a new size shows it again, and runs
  // nothing.
  if (gele_)
    emit Redimensionnee();
  else
    Redimensionne();
}

void VueDessin::Gele(bool gele) {
  gele_ = gele;
  if (!gele_ && !AJour()) Redimensionne();
}

void VueDessin::MontreTrace() {
  aMontrer_ |= surface_.PrendZoneModifiee();
  if (aMontrer_.isEmpty()) return;
  const QScreen* ecran = screen();
  const double frequence = ecran != nullptr && ecran->refreshRate() >= 1 ? ecran->refreshRate() : 60.0;
  if (derniereImage_.isValid() && static_cast<double>(derniereImage_.nsecsElapsed()) < 1e9 / frequence)
    return;
  update(ZoneAMontrer());
}

void VueDessin::MontreTout() {
  aMontrer_ |= surface_.PrendZoneModifiee();
  if (!aMontrer_.isEmpty()) repaint(ZoneAMontrer());
}

QRect VueDessin::ZoneAMontrer() {
  derniereImage_.start();
  // Image pixels to the widget's, whole pixels around.
  const double r = RapportPixels();
  const QRectF zone(aMontrer_.x() / r, (aMontrer_.y() - surface_.DecalageHaut()) / r, aMontrer_.width() / r,
                    aMontrer_.height() / r);
  aMontrer_ = QRect();
  return zone.toAlignedRect().adjusted(-1, -1, 1, 1);
}

double VueDessin::RapportPixels() const { return 25.4 / (PointsParPouce * surface_.MmParPixel()); }

QSize VueDessin::TaillePixels() const {
  const double r = devicePixelRatioF();
  return {static_cast<int>(std::lround(width() * r)), static_cast<int>(std::lround(height() * r))};
}

void VueDessin::Redimensionne() {
  if (width() <= 0 || height() <= 0) return;
  // A run's scale has y up (a negative height); its unit per millimetre and its bottom-left point
  // hold through the new size, so the mouse keeps reading the program's units.
  const bool echelleRun = surface_.ScaleHeight < 0 && surface_.LargeurPixels() > 0;
  const double largeurMm = surface_.LargeurPixels() * surface_.MmParPixel();
  const double unitesParMm = echelleRun ? surface_.ScaleWidth / largeurMm : 1.0;
  const double gauche = surface_.ScaleLeft;
  const double bas = surface_.ScaleTop + surface_.ScaleHeight;
  const QSize pixels = TaillePixels();
  // The picture is as large as the screen, so that a window made larger shows all that the run drew
  // there.
  const double densite = devicePixelRatioF();
  const QScreen* ecran = screen();
  const QSize reserve = ecran != nullptr ? ecran->size() * densite : QSize();
  surface_.Redimensionne(pixels.width(), pixels.height(), PointsParPouce * densite, reserve);
  // Pen widths in millimetres and pictures are measured in the screen's pixels of the next run.
  Shell.MmParPixelEcran = static_cast<float>(surface_.MmParPixel());
  if (Shell.MmParPixelImp > 0) Shell.RapportEcranImp = Shell.MmParPixelEcran / Shell.MmParPixelImp;
  surface_.SetScaleMode(3);
  surface_.SetScaleMode(6);
  Shell.LargeurZone = surface_.ScaleWidth;
  Shell.HauteurZone = surface_.ScaleHeight;
  if (echelleRun) {
    surface_.ScaleWidth = Shell.LargeurZone * unitesParMm;
    surface_.ScaleHeight = -Shell.HauteurZone * unitesParMm;
    surface_.ScaleLeft = gauche;
    surface_.ScaleTop = bas - surface_.ScaleHeight;
    Cadrage.LargeurDessin = surface_.ScaleWidth;
    Cadrage.HauteurDessin = -surface_.ScaleHeight;
  }
  emit Redimensionnee();
}

QPointF VueDessin::VersEchelle(QPointF point) const {
  const QPointF pixel = point * RapportPixels();
  return {surface_.ScaleLeft + pixel.x() * surface_.ScaleWidth / surface_.LargeurPixels(),
          surface_.ScaleTop + pixel.y() * surface_.ScaleHeight / surface_.HauteurPixels()};
}

void VueDessin::mouseMoveEvent(QMouseEvent* evenement) {
  const QPointF p = VersEchelle(evenement->position());
  emit SourisDeplacee(BitsBoutons(evenement->buttons()), BitsModificateurs(evenement->modifiers()),
                      static_cast<float>(p.x()), static_cast<float>(p.y()));
}

void VueDessin::mousePressEvent(QMouseEvent* evenement) {
  const QPointF p = VersEchelle(evenement->position());
  emit SourisAppuyee(BitsBoutons(evenement->button()), BitsModificateurs(evenement->modifiers()),
                     static_cast<float>(p.x()), static_cast<float>(p.y()));
}

void VueDessin::mouseDoubleClickEvent(QMouseEvent* evenement) {
  emit DoubleClic(BitsModificateurs(evenement->modifiers()));
}

void VueDessin::mouseReleaseEvent(QMouseEvent* evenement) {
  emit SourisRelachee(BitsBoutons(evenement->button()), BitsModificateurs(evenement->modifiers()));
}
