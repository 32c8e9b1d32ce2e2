#include <QApplication>
#include <QMainWindow>
#include <QPainter>
#include <QWidget>

#include "platform/Host.h"

namespace {

// The drawing area of the main window; the desktop shell grows around it.
class VueDessin : public QWidget {
 public:
  VueDessin() { setMinimumSize(640, 480); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Morvo"));
  RazValeursShell();
  QMainWindow fenetre;
  fenetre.setWindowTitle(QStringLiteral("Morvo"));
  fenetre.setCentralWidget(new VueDessin);
  fenetre.resize(1000, 700);
  fenetre.show();
  return app.exec();
}
