#include "platform/QtScreenFit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
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

// The height the window's contents need at `largeur` when they hold a text that wraps (instructions,
// a question), which grows taller as the window narrows; 0 for other contents.
int HauteurRequise(const QWidget* f, int largeur) {
  const QLayout* l = f->layout();
  return l != nullptr && l->hasHeightForWidth() ? l->totalHeightForWidth(largeur) : 0;
}

// A message box sizes itself anew whenever its layout changes: once its text scrolls, it keeps the
// size it is given here.
class TailleDonnee : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::LayoutRequest; }
};

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

// The last row of a grid when it holds nothing but buttons, taken out as a row of its own.
QLayoutItem* RetireRangeeDeGrille(QGridLayout* grille) {
  const int derniere = grille->rowCount() - 1;
  QList<QWidget*> boutons;
  for (int c = 0; c < grille->columnCount(); ++c) {
    QLayoutItem* item = grille->itemAtPosition(derniere, c);
    if (item == nullptr || item->spacerItem() != nullptr) continue;
    QWidget* w = item->widget();
    if (qobject_cast<QAbstractButton*>(w) == nullptr) return nullptr;
    if (!boutons.contains(w)) boutons << w;
  }
  if (boutons.isEmpty()) return nullptr;
  auto* rangee = new QHBoxLayout;
  for (QWidget* b : boutons) {
    grille->removeWidget(b);
    rangee->addWidget(b);
  }
  return rangee;
}

// Takes the dialog's buttons out of its layout: a button box anywhere in it, else a last row of
// buttons (of a grid, or a button alone). Null when there is none.
QLayoutItem* RetireBoutons(QLayout* l, bool racine) {
  for (int i = 0; i < l->count(); ++i) {
    QLayoutItem* item = l->itemAt(i);
    if (qobject_cast<QDialogButtonBox*>(item->widget()) != nullptr) return l->takeAt(i);
    if (item->layout() != nullptr) {
      if (QLayoutItem* boutons = RetireBoutons(item->layout(), false)) return boutons;
    }
  }
  if (!racine || l->count() == 0) return nullptr;
  if (auto* grille = qobject_cast<QGridLayout*>(l)) return RetireRangeeDeGrille(grille);
  QLayoutItem* dernier = l->itemAt(l->count() - 1);
  const bool rangee = dernier->layout() != nullptr && RangeeDeBoutons(dernier->layout());
  if (!rangee && qobject_cast<QAbstractButton*>(dernier->widget()) == nullptr) return nullptr;
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
      bas->addWidget(w, 0, boutons->alignment());
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
    if (e->type() == QEvent::Show && qobject_cast<QMessageBox*>(f) != nullptr) {
      // Once the box has sized itself for its text, which it does as it shows.
      QTimer::singleShot(0, f, [f] { AjusteAEcran(f); });
    } else if (e->type() == QEvent::Show) {
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
  // A window shows its wrapped text whole: it grows to the height the text needs, else it scrolls.
  const int requise = HauteurRequise(f, std::min(g.width(), zone.width()));
  g.setHeight(std::max(g.height(), requise));
  if (!Tient(g.size(), zone.size())) {
    const bool deborde = !Tient(f->minimumSize(), zone.size()) || requise > zone.height();
    if (deborde && Enveloppe(f) && qobject_cast<QMessageBox*>(f) != nullptr) {
      f->installEventFilter(new TailleDonnee(f));
      f->setFixedSize(g.size().boundedTo(zone.size()));
    }
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
