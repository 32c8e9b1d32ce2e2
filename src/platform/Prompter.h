#pragma once

// Message boxes and input boxes. The desktop program shows real dialogs; the headless runner and
// the tests answer from a queue and record what was asked.

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

enum class Boutons { Ok, OkAnnuler, OuiNon, OuiNonAnnuler };
enum class Reponse { Ok, Annuler, Oui, Non };
// The icon a message box shows.
enum class Icone { Aucune, Question, Exclamation, Critique, Information };

class Prompter {
 public:
  virtual ~Prompter() = default;
  // 'defaut' is the 1-based index of the button that Enter presses (the first when out of range).
  virtual Reponse MsgBox(const QString& texte, Boutons boutons, const QString& titre,
                         Icone icone = Icone::Aucune, int defaut = 1) = 0;
  // nullopt when cancelled.
  virtual std::optional<QString> InputBox(const QString& invite, const QString& titre,
                                          const QString& defaut) = 0;
  // The INPUT command's dialog: an input box kept above the other windows, its default answer
  // selected and its Cancel button captioned 'annuler'. Prompters without such a dialog ask
  // through InputBox.
  virtual std::optional<QString> SaisieInput(const QString& invite, const QString& titre,
                                             const QString& defaut, const QString& annuler);
};

// The prompter in use (never null: a scripted one until the desktop program sets its own).
Prompter& Dialogues();
void DefinitDialogues(Prompter* p);

QString NomBoutons(Boutons b);  // "OK", "OKCANCEL", "YESNO", "YESNOCANCEL"
QString NomReponse(Reponse r);  // "OK", "CANCEL", "YES", "NO"
// The buttons of a box in order, and the one Enter presses.
std::vector<Reponse> ReponsesBoutons(Boutons b);
Reponse BoutonParDefaut(Boutons b, int defaut);

// Answers from a queue, in order. A message box takes the queued answer when it is one of its
// buttons ("OK", "CANCEL", "YES", "NO", any case), else its default button; an input
// box takes the next queued text, or is cancelled when the queue is empty or the answer is
// "$Cancel$". Everything asked is recorded as log lines.
class ScriptedPrompter : public Prompter {
 public:
  void AjouteReponse(const QString& reponse) { reponses_.push_back(reponse); }
  Reponse MsgBox(const QString& texte, Boutons boutons, const QString& titre, Icone icone = Icone::Aucune,
                 int defaut = 1) override;
  std::optional<QString> InputBox(const QString& invite, const QString& titre,
                                  const QString& defaut) override;

  struct Message {
    QString titre, texte;
    Boutons boutons;
    Reponse reponse;
    Icone icone = Icone::Aucune;
    int defaut = 1;
  };
  const std::vector<Message>& Messages() const { return messages_; }
  // "message ..." and "input ..." lines of the runner's log, in order.
  const QStringList& Journal() const { return journal_; }
  void Efface() {
    messages_.clear();
    journal_.clear();
    reponses_.clear();
  }

 private:
  std::deque<QString> reponses_;
  std::vector<Message> messages_;
  QStringList journal_;
};

// A text quoted for the log: "..." with \\, \" and \n, \r, \t escaped.
QString CiteJournal(const QString& texte);
