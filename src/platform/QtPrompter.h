#pragma once

// The desktop program's message boxes and input boxes.

#include "platform/Prompter.h"

class QFont;
class QWidget;

// Makes a dialog at least as wide as its title bar needs: the title in full beside the window's
// icon and buttons.
void LargeurTitre(QWidget* fenetre);

// The text as a box shows it in `police`: a run of characters with no break point that could be
// too wide for a line (a long file name) gets a zero-width space after each of its characters,
// so that it wraps anywhere instead of being cut at the box's edge.
QString TexteSecable(const QString& texte, const QFont& police);

class QtPrompter : public Prompter {
 public:
  // Dialogs open over 'parent', or over the active window when it is null.
  explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
  Reponse MsgBox(const QString& texte, Boutons boutons, const QString& titre, Icone icone = Icone::Aucune,
                 int defaut = 1) override;
  std::optional<QString> InputBox(const QString& invite, const QString& titre,
                                  const QString& defaut) override;
  std::optional<QString> SaisieInput(const QString& invite, const QString& titre, const QString& defaut,
                                     const QString& annuler) override;

 private:
  QWidget* Parent() const;
  QWidget* parent_;
};
