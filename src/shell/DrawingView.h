#pragma once

// The drawing of the main window: the persistent screen image that runs draw on, shown as it is.
// The program editor and the status boxes are its children, placed over it by the main window.

#include <QWidget>

#include "platform/PainterSurface.h"

class VueDessin : public QWidget {
  Q_OBJECT

 public:
  explicit VueDessin(QWidget* parent = nullptr);

  PainterSurface& Surface() { return surface_; }
  // Millimetres per pixel of the screen image.
  double MmParPixel() const { return surface_.MmParPixel(); }

 signals:
  // After the image has taken the new size of the view.
  void Redimensionnee();

 protected:
  void paintEvent(QPaintEvent* evenement) override;
  void resizeEvent(QResizeEvent* evenement) override;

 private:
  PainterSurface surface_;
};
