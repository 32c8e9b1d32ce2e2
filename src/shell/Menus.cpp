#include "shell/Menus.h"

#include <QAction>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <iterator>

#include "platform/StringTable.h"
#include "shell/Help.h"
#include "shell/Languages.h"

namespace {

enum class Forme { Simple, Crochets, Separateur, Menu };

struct Entree {
  const char* nom;
  const char* parent;  // nullptr: the menu bar
  int n;               // 0: no caption from the table
  Forme forme;
  const char* texteTouche;
  QKeyCombination raccourci;
};

constexpr QKeyCombination SansRaccourci{};

// The tree in display order.
const Entree Arbre[] = {
    {"Mnu_Fichier", nullptr, 10, Forme::Menu, "", SansRaccourci},
    {"Mnu_Ouvrir", "Mnu_Fichier", 11, Forme::Simple, "", SansRaccourci},
    {"Mnu_Nouveau", "Mnu_Fichier", 12, Forme::Simple, "", SansRaccourci},
    {"Mnu_OuvrirMeter", "Mnu_Fichier", 13, Forme::Simple, "", SansRaccourci},
    {"Mnu_Sep0", "Mnu_Fichier", 0, Forme::Separateur, "", SansRaccourci},
    {"Mnu_EnregistrerS", "Mnu_Fichier", 14, Forme::Simple, "", Qt::CTRL | Qt::Key_S},
    {"Mnu_Enregistrer", "Mnu_Fichier", 15, Forme::Simple, "", Qt::CTRL | Qt::SHIFT | Qt::Key_S},
    {"Mnu_Sep1", "Mnu_Fichier", 0, Forme::Separateur, "", SansRaccourci},
    {"Mnu_Imprimante", "Mnu_Fichier", 16, Forme::Simple, "", SansRaccourci},
    {"Mnu_Imprimer", "Mnu_Fichier", 17, Forme::Simple, "", Qt::CTRL | Qt::Key_P},
    {"Mnu_ImprimerZoom", "Mnu_Fichier", 78, Forme::Simple, "", Qt::CTRL | Qt::SHIFT | Qt::Key_P},
    {"Mnu_ImprimerCode", "Mnu_Fichier", 18, Forme::Simple, "", SansRaccourci},
    {"Mnu_Sep2", "Mnu_Fichier", 0, Forme::Separateur, "", SansRaccourci},
    {"Mnu_Quitter", "Mnu_Fichier", 19, Forme::Simple, "", SansRaccourci},
    {"Mnu_Edition", nullptr, 20, Forme::Menu, "", SansRaccourci},
    {"Mnu_Couper", "Mnu_Edition", 21, Forme::Simple, "", Qt::CTRL | Qt::Key_X},
    {"Mnu_Copier", "Mnu_Edition", 22, Forme::Simple, "", Qt::CTRL | Qt::Key_C},
    {"Mnu_Coller", "Mnu_Edition", 23, Forme::Simple, "", Qt::CTRL | Qt::Key_V},
    {"Mnu_Supprimer", "Mnu_Edition", 24, Forme::Simple, "", QKeyCombination(Qt::Key_Delete)},
    {"Mnu_Selectionner", "Mnu_Edition", 25, Forme::Simple, "", Qt::CTRL | Qt::Key_A},
    {"Mnu_Sep3", "Mnu_Edition", 0, Forme::Separateur, "", SansRaccourci},
    {"Mnu_Defaire", "Mnu_Edition", 26, Forme::Simple, "", Qt::CTRL | Qt::Key_Z},
    {"Mnu_Refaire", "Mnu_Edition", 27, Forme::Simple, "", Qt::CTRL | Qt::Key_Y},
    {"Mnu_Sep31", "Mnu_Edition", 0, Forme::Separateur, "", SansRaccourci},
    {"Mnu_Rechercher", "Mnu_Edition", 28, Forme::Simple, "", Qt::CTRL | Qt::Key_F},
    {"Mnu_Masque", nullptr, 51, Forme::Crochets, " (F2)", SansRaccourci},
    {"Mnu_Dessin", nullptr, 38, Forme::Crochets, " (F9)", SansRaccourci},
    {"Mnu_Visualiser", nullptr, 37, Forme::Crochets, " (F4)", SansRaccourci},
    {"Mnu_Zoom", nullptr, 73, Forme::Crochets, " (F7)", SansRaccourci},
    {"Mnu_RefCurseur", nullptr, 74, Forme::Crochets, " (F8)", SansRaccourci},
    {"Mnu_Options", nullptr, 60, Forme::Menu, "", SansRaccourci},
    {"Mnu_DblClick", "Mnu_Options", 61, Forme::Simple, "", SansRaccourci},
    {"Mnu_Code", "Mnu_Options", 62, Forme::Simple, "", QKeyCombination(Qt::Key_F5)},
    {"Mnu_AgrandirCode", "Mnu_Options", 76, Forme::Simple, "", Qt::SHIFT | Qt::Key_F5},
    {"Mnu_IniCode", "Mnu_Options", 77, Forme::Simple, "", Qt::CTRL | Qt::Key_F5},
    {"Mnu_TaillCar", "Mnu_Options", 82, Forme::Simple, "", SansRaccourci},
    {"Mnu_CentreCurseur", "Mnu_Options", 79, Forme::Simple, "", Qt::CTRL | Qt::Key_O},
    {"Mnu_sep4", "Mnu_Options", 0, Forme::Separateur, "", SansRaccourci},
    {"Mnu_Patchs", "Mnu_Options", 80, Forme::Simple, "", SansRaccourci},
    {"Mnu_sep5", "Mnu_Options", 0, Forme::Separateur, "", SansRaccourci},
    {"Mnu_Langue", "Mnu_Options", 63, Forme::Simple, "", SansRaccourci},
    {"Mnu_sep7", "Mnu_Options", 0, Forme::Separateur, "", SansRaccourci},
    {"Mnu_Setup", "Mnu_Options", 64, Forme::Simple, "", SansRaccourci},
    {"Mnu_Couleur", nullptr, 75, Forme::Simple, "", SansRaccourci},
    {"Mnu_Polices", nullptr, 40, Forme::Simple, "", SansRaccourci},
    {"Mnu_Liste_Fic", nullptr, 83, Forme::Simple, "", SansRaccourci},
    {"Mnu_Help", nullptr, 70, Forme::Menu, "", SansRaccourci},
    {"Mnu_Aide25", "Mnu_Help", 0, Forme::Simple, "", QKeyCombination(Qt::Key_F1)},
    {"Mnu_Aide", "Mnu_Help", 71, Forme::Simple, "", Qt::CTRL | Qt::Key_F1},
    {"Mnu_AideMot", "Mnu_Help", 81, Forme::Simple, "", Qt::SHIFT | Qt::Key_F1},
    // The syntax hint of Alt+F2, which most Linux desktops take for themselves. Ctrl+Shift+H would
    // be the editor's Ctrl+H (Ctrl whatever the other modifiers).
    {"Mnu_SyntaxeLigne", "Mnu_Help", 89, Forme::Simple, "", Qt::CTRL | Qt::SHIFT | Qt::Key_L},
    {"Mnu_ResumeSyntaxes", "Mnu_Help", 84, Forme::Simple, "", Qt::SHIFT | Qt::Key_F2},
    {"Mnu_MAJ_Aide", "Mnu_Help", 88, Forme::Simple, "", SansRaccourci},
    {"Mnu_sep6", "Mnu_Help", 0, Forme::Separateur, "", SansRaccourci},
    {"Mnu_Conditions", "Mnu_Help", 85, Forme::Simple, "", SansRaccourci},
    {"Mnu_AProposDe", "Mnu_Help", 72, Forme::Simple, "", SansRaccourci},
    {"Mnu_Non_Doc", "Mnu_Help", 0, Forme::Simple, "", SansRaccourci},
};

// Entries whose key is only shown beside them: the window's or the editor's own key handling
// takes it, so the entry must not take it from them.
bool MontreSeulement(const char* nom) {
  static const char* const noms[] = {"Mnu_Enregistrer", "Mnu_ImprimerZoom", "Mnu_Couper",      "Mnu_Copier",
                                     "Mnu_Coller",      "Mnu_Supprimer",    "Mnu_Selectionner"};
  return std::any_of(std::begin(noms), std::end(noms), [nom](const char* n) { return qstrcmp(n, nom) == 0; });
}

QString Legende(const Entree& e) {
  // Key texts are Qt's, from the entry's shortcut: a text that holds its own ("Suppr") loses it.
  const QString texte = TexteMenu(e.n).section(QLatin1Char('\t'), 0, 0).trimmed();
  if (e.forme == Forme::Crochets) return texte + QString::fromUtf8(e.texteTouche);
  return texte;
}

}  // namespace

QString TexteMenu(int n) { return TexteRes(BaseLangueMenu + n); }

MenusPrincipaux::MenusPrincipaux(QMenuBar* barre) : barre_(barre) {
  for (const Entree& e : Arbre) {
    const QString nom = QString::fromUtf8(e.nom);
    QMenu* parent = e.parent ? menus_.value(QString::fromUtf8(e.parent)) : nullptr;
    if (e.forme == Forme::Separateur) {
      parent->addSeparator();
      continue;
    }
    QAction* action = nullptr;
    if (e.forme == Forme::Menu) {
      QMenu* menu = barre->addMenu(nom);
      menu->setObjectName(nom);
      menus_.insert(nom, menu);
      action = menu->menuAction();
    } else {
      action = parent ? parent->addAction(nom) : barre->addAction(nom);
      if (e.raccourci != SansRaccourci) action->setShortcut(QKeySequence(e.raccourci));
      // Active only in its own open menu.
      if (MontreSeulement(e.nom)) action->setShortcutContext(Qt::WidgetShortcut);
    }
    action->setObjectName(nom);
    actions_.insert(nom, action);
  }
  Action(QStringLiteral("Mnu_OuvrirMeter"))->setVisible(false);
  Action(QStringLiteral("Mnu_OuvrirMeter"))->setEnabled(false);
  Action(QStringLiteral("Mnu_Defaire"))->setEnabled(false);
  Action(QStringLiteral("Mnu_Refaire"))->setEnabled(false);
  Action(QStringLiteral("Mnu_DblClick"))->setCheckable(true);
  Action(QStringLiteral("Mnu_Code"))->setCheckable(true);
  Action(QStringLiteral("Mnu_Code"))->setChecked(true);
  QAction* nonDoc = Action(QStringLiteral("Mnu_Non_Doc"));
  nonDoc->setText(QStringLiteral("Non Doc"));
  nonDoc->setVisible(false);
  nonDoc->setEnabled(false);
  AfficheMenus();
  Action(QStringLiteral("Mnu_Aide25"))->setText(TexteMenu(71));
}

void MenusPrincipaux::AfficheMenus() {
  for (const Entree& e : Arbre) {
    if (e.n == 0 || e.forme == Forme::Separateur) continue;
    QAction* action = Action(QString::fromUtf8(e.nom));
    if (e.forme == Forme::Menu)
      menus_.value(QString::fromUtf8(e.nom))->setTitle(Legende(e));
    else
      action->setText(Legende(e));
  }
}

void MenusPrincipaux::RegleEntreesAide(bool demarrage, const QString& repProgramme) {
  QAction* aide25 = Action(QStringLiteral("Mnu_Aide25"));
  QAction* aide = Action(QStringLiteral("Mnu_Aide"));
  if (BaseLangueMasq != BaseLangueMenu) {
    aide25->setText(TexteMenu(87));
    aide->setText(TexteMenu(71));
    aide->setEnabled(true);
    aide->setVisible(true);
    return;
  }
  aide25->setText(TexteMenu(71));
  aide->setEnabled(false);
  aide->setVisible(false);
  if (!demarrage) return;
  if (!TrouveFichierAide(NomAideNonDoc(), repProgramme).isEmpty()) {
    QAction* nonDoc = Action(QStringLiteral("Mnu_Non_Doc"));
    nonDoc->setEnabled(true);
    nonDoc->setVisible(true);
  }
}

QString MenusPrincipaux::TexteSimple(const QString& legende) {
  QString texte = legende.section(QLatin1Char('\t'), 0, 0).trimmed();
  const int crochet = texte.indexOf(QStringLiteral(" ("));
  if (crochet > 0) texte.truncate(crochet);
  texte.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  texte.remove(QLatin1Char('&'));
  texte.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  return texte;
}
