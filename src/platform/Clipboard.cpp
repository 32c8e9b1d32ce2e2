#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

// Without an application object there is no system clipboard; the text then stays in the process.
QString& TexteDeSecours() {
  static QString texte;
  return texte;
}

QClipboard* Systeme() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return nullptr;
  return QGuiApplication::clipboard();
}

}  // namespace

QString PressePapiersTexte() {
  if (QClipboard* c = Systeme()) return c->text();
  return TexteDeSecours();
}

void PressePapiersEcrit(const QString& texte) {
  if (QClipboard* c = Systeme()) {
    c->setText(texte);
  } else {
    TexteDeSecours() = texte;
  }
}

void PressePapiersEfface() {
  if (QClipboard* c = Systeme()) {
    c->clear();
  } else {
    TexteDeSecours().clear();
  }
}
