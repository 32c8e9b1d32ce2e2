#include "platform/QtScreenFit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QLayout>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kZone = QStringLiteral("ZoneDefilante");

// The frame the window system puts around the window. Before the window is first shown it has
// not told it yet: thin borders and a title bar as tall as the usual desktops' are assumed.
QMargins Cadre(const QWidget* f) {
  const QRect g = f->geometry();
  const QRect c = f->frameGeometry();
  if (c.top() < g.top()) {
    return {g.left() - c.left(), g.top() - c.top(), c.right() - g.right(), c.bottom() - g.bottom()};
  }
  const int titre = f->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, f);
  return {4, std::max(titre, 30) + 4, 4, 4};
}

// Where the window's inside may lie on its screen.
QRect Zone(const QWidget* f) {
  const QScreen* ecran = f->screen() ? f->screen() : QGuiApplication::primaryScreen();
  if (ecran == nullptr) return {};
  return ecran->availableGeometry().marginsRemoved(Cadre(f));
}

bool Tient(const QSize& taille, const QSize& zone) {
  return taille.width() <= zone.width() && taille.height() <= zone.height();
}

// A last row of the layout that holds nothing but buttons (and the blanks between them).
bool RangeeDeBoutons(QLayout* l) {
  bool bouton = false;
  for (int i = 0; i < l->count(); ++i) {
    QLayoutItem* item = l->itemAt(i);
    if (item->spacerItem() != nullptr) continue;
    if (qobject_cast<QAbstractButton*>(item->widget()) == nullptr) return false;
    bouton = true;
  }
  return bouton;
}

// Takes the dialog's buttons out of its layout: a button box anywhere in it, else a last row of
// buttons. Null when there is none.
QLayoutItem* RetireBoutons(QLayout* l, bool racine) {
  for (int i = 0; i < l->count(); ++i) {
    QLayoutItem* item = l->itemAt(i);
    if (qobject_cast<QDialogButtonBox*>(item->widget()) != nullptr) return l->takeAt(i);
    if (item->layout() != nullptr) {
      if (QLayoutItem* boutons = RetireBoutons(item->layout(), false)) return boutons;
    }
  }
  if (!racine || l->count() == 0) return nullptr;
  QLayout* dernier = l->itemAt(l->count() - 1)->layout();
  if (dernier == nullptr || !RangeeDeBoutons(dernier)) return nullptr;
  return l->takeAt(l->count() - 1);
}

// The dialog's contents go into a scrolling area; its buttons stay below it, always in view. The
// field that takes the focus (Tab, the dialog's own keys) is scrolled into view.
bool Enveloppe(QWidget* f) {
  QLayout* ancien = f->layout();
  if (ancien == nullptr || f->findChild<QScrollArea*>(kZone, Qt::FindDirectChildrenOnly) != nullptr)
    return false;
  const QMargins marges = ancien->contentsMargins();
  QLayoutItem* boutons = RetireBoutons(ancien, true);
  auto* zone = new QScrollArea(f);
  zone->setObjectName(kZone);
  zone->setFrameShape(QFrame::NoFrame);
  zone->setWidgetResizable(true);
  // The layout leaves the dialog with its widgets, which stay in its window (and keep the focus).
  auto* contenu = new QWidget(zone->viewport());
  contenu->setLayout(ancien);
  zone->setWidget(contenu);
  auto* colonne = new QVBoxLayout(f);
  colonne->setContentsMargins(0, 0, 0, 0);
  colonne->addWidget(zone, 1);
  if (boutons != nullptr) {
    auto* bas = new QVBoxLayout;
    bas->setContentsMargins(marges.left(), 0, marges.right(), marges.bottom());
    if (QWidget* w = boutons->widget()) {
      bas->addWidget(w);
      delete boutons;
    } else if (QLayout* l = boutons->layout()) {
      if (l->parent() != nullptr) l->setParent(nullptr);
      bas->addLayout(l);
    }
    colonne->addLayout(bas);
  }
  QObject::connect(qApp, &QApplication::focusChanged, zone, [zone](QWidget*, QWidget* maintenant) {
    if (maintenant != nullptr && zone->widget() != nullptr && zone->widget()->isAncestorOf(maintenant))
      zone->ensureWidgetVisible(maintenant);
  });
  if (f->isVisible()) zone->show();
  colonne->activate();
  return true;
}

// Fits dialogs when they show, and again when they grow (an expanded print dialog).
class FiltreEcran : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* objet, QEvent* e) override {
    if (e->type() != QEvent::Show && e->type() != QEvent::Resize) return false;
    if (!objet->isWidgetType()) return false;
    auto* f = static_cast<QWidget*>(objet);
    if (!f->isWindow() || qobject_cast<QDialog*>(f) == nullptr) return false;
    if (e->type() == QEvent::Show) {
      AjusteAEcran(f);
    } else if (f->isVisible() && !Tient(f->size(), Zone(f).size())) {
      QTimer::singleShot(0, f, [f] { AjusteAEcran(f); });
    }
    return false;
  }
};

}  // namespace

void AjusteAEcran(QWidget* f) {
  if (f == nullptr || !f->isWindow()) return;
  const QRect zone = Zone(f);
  if (zone.isEmpty()) return;
  QRect g = f->geometry();
  if (!Tient(g.size(), zone.size())) {
    // A message box sizes itself anew at each change: it is only moved.
    if (!Tient(f->minimumSize(), zone.size()) && qobject_cast<QMessageBox*>(f) == nullptr) Enveloppe(f);
    if (!Tient(f->minimumSize(), zone.size())) f->setMinimumSize(f->minimumSize().boundedTo(zone.size()));
    const QPoint centre = g.center();
    g.setSize(g.size().boundedTo(zone.size()));
    g.moveCenter(centre);
  }
  if (g.right() > zone.right()) g.moveRight(zone.right());
  if (g.bottom() > zone.bottom()) g.moveBottom(zone.bottom());
  if (g.left() < zone.left()) g.moveLeft(zone.left());
  if (g.top() < zone.top()) g.moveTop(zone.top());
  if (g != f->geometry()) f->setGeometry(g);
}

void AjusteDialoguesAEcran() {
  static QPointer<FiltreEcran> filtre;
  if (filtre != nullptr || qApp == nullptr) return;
  filtre = new FiltreEcran(qApp);
  qApp->installEventFilter(filtre);
}
