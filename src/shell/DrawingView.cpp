#include "shell/DrawingView.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "platform/Host.h"
#include "shell/MouseCoordinates.h"

VueDessin::VueDessin(QWidget* parent) : QWidget(parent), surface_(1, 1, 96.0) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::ClickFocus);
}

void VueDessin::paintEvent(QPaintEvent* evenement) {
  QPainter p(this);
  const QRect zone = evenement->rect();
  p.fillRect(zone, Qt::white);
  p.drawImage(zone.topLeft(), surface_.Image(), zone);
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
  if (!gele_ && size() != surface_.Image().size()) Redimensionne();
}

void VueDessin::Redimensionne() {
  if (width() <= 0 || height() <= 0) return;
  surface_.Redimensionne(width(), height());
  // A new size discards any scale a run left on the surface.
  surface_.SetScaleMode(3);
  surface_.SetScaleMode(6);
  Shell.LargeurZone = surface_.ScaleWidth;
  Shell.HauteurZone = surface_.ScaleHeight;
  emit Redimensionnee();
}

QPointF VueDessin::VersEchelle(QPointF pixel) const {
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
