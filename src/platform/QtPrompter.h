#pragma once

// The desktop program's message boxes and input boxes.

#include "platform/Prompter.h"

class QWidget;

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
