#include "shell/DrawingView.h"

#include <QPaintEvent>
#include <QPainter>

#include "platform/Host.h"

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
