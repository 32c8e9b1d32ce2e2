#pragma once

// Writes and deletions a program orders (an append file, its deletion, the offset file of Plot)
// stay in the program's own folder and its subfolders unless the user consents: a downloaded
// program must not reach the user's start-up files, autostart entries or documents unasked.

#include <QString>
#include <QStringList>
#include <vector>

// The user's answers to the questions a program's orders raise (starting a program, writing
// outside its folder). Each is kept for the program in the editor (its file and text), the file
// that orders it (with its text) and what it orders, so that it is asked once and holds while none
// of them changes; the answers given for another program in the editor go as a new one is asked.
class ReponsesDuProgramme {
 public:
  // The answer kept for `objet`, else the user's to `question` (Yes or No, No the default), kept.
  bool Accorde(const QString& demandeur, const QString& texteDemandeur, const QString& objet,
               const QString& question);
  void Oublie() { reponses_.clear(); }

 private:
  struct Donnee {
    bool accordee = false;
    QString fichier, texte, demandeur, texteDemandeur, objet;
  };
  std::vector<Donnee> reponses_;
};

// Whether a program may write outside its folder: asked of the user for the program in the editor
// (the desktop program), always (morvo-run --allow-writes) or never (morvo-run).
enum class AccordEcriture { Demander, Autoriser, Refuser };
extern AccordEcriture PolitiqueEcritures;

enum class GenreEcriture { Ecriture, Effacement };

// The folder a program writes in without a question, with its links followed: the folder of the
// program file, or for a program never saved the folder its relative names are made in.
QString DossierDuProgramme();

// Lets the write (or the deletion) of `chemin` go on, or raises a run error that says why nothing
// was written. `demandeur` and `texteDemandeur` are the command file that orders it and its text,
// empty for the editor's program. A deletion concerns the name itself (a link is removed, not
// followed); a write, the file its links lead to.
void AccordeEcriture(const QString& chemin, GenreEcriture genre, const QString& demandeur = {},
                     const QString& texteDemandeur = {});

// Forgets the user's answers: the program they were given for was closed or replaced.
void OublieAccordEcritures();

// The files refused without a question (morvo-run without --allow-writes) since the answers were
// last forgotten, as the run error named them: the runner tells them on standard error.
QStringList EcrituresRefusees();
