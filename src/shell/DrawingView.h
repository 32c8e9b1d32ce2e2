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
  // While a run draws, the image keeps its size and scale; a new size waits for the end.
  void Gele(bool gele);

 signals:
  // After a new size of the view (the image takes it at once, or when the run ends).
  void Redimensionnee();

 protected:
  void paintEvent(QPaintEvent* evenement) override;
  void resizeEvent(QResizeEvent* evenement) override;

 private:
  void Redimensionne();

  PainterSurface surface_;
  bool gele_ = false;
};
