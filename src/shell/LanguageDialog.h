#pragma once

// The language dialog: four independent choices (messages, menus, set-up texts, command masks)
// that apply at once, and OK, which stores them, points the application help at the mask language
// and copies the new-program template of the message language into the configuration folder.

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

class QButtonGroup;
class QRadioButton;

// The dialog's state and rules, without widgets. Groups are numbered 1 (messages), 2 (menus),
// 3 (set-up texts) and 4 (masks); languages from 1.
class ModeleLangues {
 public:
  static constexpr int Groupes = 4;
  static constexpr int LanguesMax = 4;

  explicit ModeleLangues(QString repProgramme);

  // The loading: unset languages become French, the options are offered where the language has
  // the texts (or help file) of the group, and the current languages are selected.
  void Charge();

  int Nombre() const { return nombre_; }
  QString Nom(int langue) const;
  // The note beside an option.
  QString Note(int groupe, int langue) const;
  bool Actif(int groupe, int langue) const;
  // The selected language of a group (0 when none).
  int Choix(int groupe) const;

  // A click on an option: selects it when it is offered and applies the choice at once, with the
  // choices that follow from it (a message language carries over to the other groups, a menu
  // language to set-up texts and masks, wherever offered).
  void Clique(int groupe, int langue);

  // OK: writes the four keys, sets the application help file and copies the template. The help
  // entries of the menu are the caller's.
  void Valide();

 private:
  void Selectionne(int groupe, int langue);
  void Applique(int groupe, int langue);

  QString repProgramme_;
  int nombre_ = 0;
  bool initEnCours_ = false;
  std::array<std::array<bool, LanguesMax + 1>, Groupes + 1> actif_{};
  std::array<int, Groupes + 1> choix_{};
};

// Copies "Morvo_" + code + ".DaN" (from the configuration folder when the program folder cannot be
// written and it is there, else from the program folder) to RepConfig + "Morvo.DaN" when it holds
// more than 5 characters. False when nothing was copied.
bool CopieModeleLangue(const QString& repProgramme, const QString& code);

// The window over a model.
class Form3 : public QDialog {
  Q_OBJECT

 public:
  Form3(ModeleLangues& modele, QWidget* parent = nullptr);

  // The option button of a group and language.
  QRadioButton* Option(int groupe, int langue) const;

 protected:
  bool eventFilter(QObject* cible, QEvent* evenement) override;

 private:
  void Montre();

  ModeleLangues& modele_;
  std::array<QButtonGroup*, ModeleLangues::Groupes + 1> groupes_{};
};

// Shows the dialog over a loaded model; true when it was closed by OK (the caller then stores the
// choices through Valide). Tests replace it; an empty function restores the window. Under a scripted prompter
// (no one to click), the dialog is closed by OK with the choices of its loading.
using MontreLangues = std::function<bool(ModeleLangues&, QWidget*)>;
void DefinitDialogueLangues(MontreLangues montre);
bool MontreDialogueLangues(ModeleLangues& modele, QWidget* parent);
