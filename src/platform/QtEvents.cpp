#include "platform/QtEvents.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QObject>
#include <memory>
#include <utility>

#include "platform/Events.h"

namespace {

// Alt with a character key is a command (a button's or a menu's access key, a picker), never text:
// X11 gives such keys their character, and a text field would type it. Ctrl+Alt is left alone,
// as it is AltGr on some keyboards.
bool AltAvecTexte(const QKeyEvent& touche) {
  const Qt::KeyboardModifiers m = touche.modifiers();
  return (m & Qt::AltModifier) && !(m & Qt::ControlModifier) && !touche.text().isEmpty() &&
         touche.text().front().isPrint();
}

// Sees every key of the application before its target. Esc in a modal dialog belongs to that
// dialog (it closes a message box of the run), so only Esc outside one stops the run.
class FiltreArret : public QObject {
 protected:
  bool eventFilter(QObject* cible, QEvent* evenement) override {
    if (evenement->type() != QEvent::KeyPress) return QObject::eventFilter(cible, evenement);
    auto* touche = static_cast<QKeyEvent*>(evenement);
    if (touche->key() == Qt::Key_Escape && QApplication::activeModalWidget() == nullptr) Arret = true;
    if (AltAvecTexte(*touche)) {
      // The same key without its character: the target's own filters and key handlers still see
      // it (and may take it as a command), the field types nothing.
      QKeyEvent sansTexte(QEvent::KeyPress, touche->key(), touche->modifiers(), touche->nativeScanCode(),
                          touche->nativeVirtualKey(), touche->nativeModifiers(), QString(),
                          touche->isAutoRepeat(), touche->count(), touche->device());
      // It went its whole way up the parents: the key must not go up a second time.
      QCoreApplication::sendEvent(cible, &sansTexte);
      touche->accept();
      return true;
    }
    return QObject::eventFilter(cible, evenement);
  }
};

std::unique_ptr<FiltreArret>& Filtre() {
  static std::unique_ptr<FiltreArret> f;
  return f;
}

}  // namespace

void InstalleEvenementsQt(std::function<void()> avant, std::function<bool()> enRun) {
  if (!Filtre()) {
    Filtre() = std::make_unique<FiltreArret>();
    QCoreApplication::instance()->installEventFilter(Filtre().get());
  }
  DefinitDoEvents([avant = std::move(avant), enRun = std::move(enRun), passe = QElapsedTimer()]() mutable {
    if (enRun && enRun() && passe.isValid() && passe.elapsed() < IntervalleEvenementsMs) return;
    if (avant) avant();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    passe.start();
  });
}

void RetireEvenementsQt() {
  if (Filtre()) {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(Filtre().get());
    Filtre().reset();
  }
  DefinitDoEvents({});
}
