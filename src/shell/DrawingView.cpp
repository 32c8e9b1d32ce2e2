#include "shell/DrawingView.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "platform/Host.h"
#include "shell/MouseCoordinates.h"

namespace {

// The resolution of the screen's millimetres: 96 widget units an inch.
constexpr double PointsParPouce = 96.0;

}  // namespace

VueDessin::VueDessin(QWidget* parent) : QWidget(parent), surface_(1, 1, PointsParPouce) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::ClickFocus);
}

void VueDessin::paintEvent(QPaintEvent* evenement) {
  QPainter p(this);
  const QRect zone = evenement->rect();
  p.fillRect(zone, Qt::white);
  const double r = RapportPixels();
  p.drawImage(QRectF(zone), surface_.Image(),
              QRectF(zone.x() * r, zone.y() * r, zone.width() * r, zone.height() * r));
}

void VueDessin::resizeEvent(QResizeEvent* evenement) {
  QWidget::resizeEvent(evenement);
  if (gele_)
    emit Redimensionnee();
  else
    Redimensionne();
}

void VueDessin::Gele(bool gele) {
  gele_ = gele;
  if (!gele_ && TaillePixels() != surface_.Image().size()) Redimensionne();
}

double VueDessin::RapportPixels() const { return devicePixelRatioF(); }

QSize VueDessin::TaillePixels() const {
  const double r = RapportPixels();
  return {static_cast<int>(std::lround(width() * r)), static_cast<int>(std::lround(height() * r))};
}

void VueDessin::Redimensionne() {
  if (width() <= 0 || height() <= 0) return;
  const QSize pixels = TaillePixels();
  surface_.Redimensionne(pixels.width(), pixels.height(), PointsParPouce * RapportPixels());
  // A new size discards any scale a run left on the surface.
  surface_.SetScaleMode(3);
  surface_.SetScaleMode(6);
  Shell.LargeurZone = surface_.ScaleWidth;
  Shell.HauteurZone = surface_.ScaleHeight;
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
