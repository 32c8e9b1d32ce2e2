#pragma once

// The drawing of the main window: the persistent screen picture that runs draw on, shown as it is.
// The picture has the screen's own pixels (twice the widget's on a screen of device pixel ratio 2),
// so that the drawing is as sharp as the text beside it; millimetres stay exact. It is as large as
// the screen, the view showing its bottom-left part, so that a new size of the window shows the
// drawing of the last run again without running the program. The program editor and the status
// boxes are its children, placed over it by the main window.

#include <QElapsedTimer>
#include <QPointF>
#include <QRect>
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
  // A point of the view (in the widget's coordinates) in the scale a run left (drawing units), or
  // millimetres before the first run.
  QPointF VersEchelle(QPointF point) const;
  // Pixels of the picture per widget unit: the screen's, once the picture has followed a change of
  // screen (which waits for the end of a run).
  double RapportPixels() const;
  // The image size the view needs: the widget's size in screen pixels.
  QSize TaillePixels() const;
  // Between the commands of a run: shows what the run has drawn since the last time, no more
  // often than the screen shows frames and only where it drew (nothing while it prints).
  void MontreTrace();
  // Shows at once all that the run has drawn, before a dialog of the run opens over the view.
  void MontreTout();

 signals:
  // After a new size of the view (the image takes it at once, or when the run ends).
  void Redimensionnee();
  // Mouse events in the view's scale, with button bits (1 left, 2 right, 4 middle) and shift bits
  // (1 Shift, 2 Ctrl, 4 Alt).
  void SourisDeplacee(int bouton, int shift, float x, float y);
  void SourisAppuyee(int bouton, int shift, float x, float y);
  void DoubleClic(int shift);
  void SourisRelachee(int bouton, int shift);

 protected:
  bool event(QEvent* evenement) override;
  void paintEvent(QPaintEvent* evenement) override;
  void resizeEvent(QResizeEvent* evenement) override;
  void mouseMoveEvent(QMouseEvent* evenement) override;
  void mousePressEvent(QMouseEvent* evenement) override;
  void mouseDoubleClickEvent(QMouseEvent* evenement) override;
  void mouseReleaseEvent(QMouseEvent* evenement) override;

 private:
  // The image takes the widget's size, the drawing staying on the bottom-left corner where the
  // run's origin is; a scale a run left keeps its unit and its bottom-left point.
  void Redimensionne();
  // The picture has the widget's size and the screen's pixel density.
  bool AJour() const;
  // The part of the widget that shows what the run drew since the last time; it counts as shown.
  QRect ZoneAMontrer();

  PainterSurface surface_;
  bool gele_ = false;
  // What a run drew that the screen does not show yet, in image pixels, and when it last did.
  QRect aMontrer_;
  QElapsedTimer derniereImage_;
};
