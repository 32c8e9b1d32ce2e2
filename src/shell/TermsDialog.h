#pragma once

// The terms of use, asked at the first start of an installed copy: accepting lets start-up go on;
// refusing removes the configuration written at this start and ends the program.

#include <QDialog>
#include <QString>
#include <functional>

class QRadioButton;

// The dialog's texts and answer, without widgets.
class ModeleConditions {
 public:
  // The activation: the texts of the message language, ConditionsAcceptees cleared, the refusal
  // selected.
  void Active();
  // OK, or any other closing: ConditionsAcceptees := true when the acceptance is selected.
  void Valide() const;

  QString Titre;        // text 168
  QString Invite;       // text 169
  QString Conditions;   // text 167
  QString Accepte;      // text 170
  QString Refuse;       // text 171
  QString LegendeAide;  // text 85
  bool AccepteChoisi = false;
};

// The terms are asked when the message language's terms text holds more than 10 characters and the
// program folder holds the installer's log "ST6UNST.Log" (without regard to case).
bool ConditionsADemander(const QString& repProgramme);
// After a refusal: deletes RepConfig's "Morvo.cfg" and "Morvo.DaN" (errors ignored) and removes the
// folder when it is left empty.
void RetireConfiguration();

class Form6 : public QDialog {
  Q_OBJECT

 public:
  // `aide` opens the terms-of-use page of the help.
  Form6(ModeleConditions& modele, std::function<void()> aide, QWidget* parent = nullptr);

  QRadioButton* Option1() const { return option1_; }
  QRadioButton* Option2() const { return option2_; }

 protected:
  void showEvent(QShowEvent* evenement) override;
  void done(int resultat) override;
  bool eventFilter(QObject* cible, QEvent* evenement) override;

 private:
  ModeleConditions& modele_;
  std::function<void()> aide_;
  QRadioButton* option1_ = nullptr;
  QRadioButton* option2_ = nullptr;
  bool aideOuverte_ = false;
};

// Shows the terms modally and returns ConditionsAcceptees. Tests replace the dialog (the function
// receives the activated model and closes it by calling Valide, or not); an empty function restores
// the window. Under a scripted prompter (no one to click) the dialog is closed as it opened, which
// refuses.
using MontreConditions = std::function<void(ModeleConditions&)>;
void DefinitDialogueConditions(MontreConditions montre);
bool DemandeConditions(const std::function<void()>& aide, QWidget* parent);
