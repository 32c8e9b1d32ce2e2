#include "platform/QtEvents.h"

#include <QApplication>
#include <QKeyEvent>
#include <QObject>
#include <memory>
#include <utility>

#include "platform/Events.h"

namespace {

// Sees every key of the application before its target. Esc in a modal dialog belongs to that
// dialog (it closes a message box of the run), so only Esc outside one stops the run.
class FiltreArret : public QObject {
 protected:
  bool eventFilter(QObject* cible, QEvent* evenement) override {
    if (evenement->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(evenement)->key() == Qt::Key_Escape &&
        QApplication::activeModalWidget() == nullptr) {
      Arret = true;
    }
    return QObject::eventFilter(cible, evenement);
  }
};

std::unique_ptr<FiltreArret>& Filtre() {
  static std::unique_ptr<FiltreArret> f;
  return f;
}

}  // namespace

void InstalleEvenementsQt(std::function<void()> avant) {
  if (!Filtre()) {
    Filtre() = std::make_unique<FiltreArret>();
    QCoreApplication::instance()->installEventFilter(Filtre().get());
  }
  DefinitDoEvents([avant = std::move(avant)] {
    if (avant) avant();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  });
}

void RetireEvenementsQt() {
  if (Filtre()) {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(Filtre().get());
    Filtre().reset();
  }
  DefinitDoEvents({});
}
