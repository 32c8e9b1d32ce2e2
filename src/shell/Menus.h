#pragma once

// The main window's menu tree. Captions come from the menu language and are written again by
// AfficheMenus whenever that language changes; the entries, their shortcuts and their initial
// states are fixed here.

#include <QHash>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;

class MenusPrincipaux {
 public:
  // Builds the tree into the menu bar; every entry is then reached by its name ("Mnu_Ouvrir").
  explicit MenusPrincipaux(QMenuBar* barre);

  QAction* Action(const QString& nom) const { return actions_.value(nom); }
  QMenu* Menu(const QString& nom) const { return menus_.value(nom); }
  QMenuBar* Barre() const { return barre_; }
  // Every entry with a caption, separators excluded, sub-menus included.
  QList<QAction*> Entrees() const { return actions_.values(); }

  // Writes every caption that has a text number in the menu language (Mnu_Aide25 and Mnu_Non_Doc
  // excepted); changes no visibility, enabled state or check mark.
  void AfficheMenus();
  // The two help entries: one "&Aide" entry when masks and menus share a language, else the
  // versioned application help (F1) and the help of the menu language (Ctrl+F1). At start-up,
  // the undocumented help entry appears when its file is there.
  void RegleEntreesAide(bool demarrage, const QString& repProgramme);

  // The caption of an entry without its access-key marks and key text, for messages.
  static QString TexteSimple(const QString& legende);

 private:
  QHash<QString, QAction*> actions_;
  QHash<QString, QMenu*> menus_;
  QMenuBar* barre_;
};

// Menu text n of the menu language.
QString TexteMenu(int n);
