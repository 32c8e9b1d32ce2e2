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
  // Keeps a yes for `objet` without asking: the file a yes made, known by its identity from then on.
  void Retient(const QString& demandeur, const QString& texteDemandeur, const QString& objet);
  // Keeps a yes for `objet` (a name, a line end, then what identifies the file) where one is kept for
  // another file of that name: the file the program itself made at a name it was allowed to delete.
  void Etend(const QString& demandeur, const QString& texteDemandeur, const QString& objet);
  void Oublie() { reponses_.clear(); }

 private:
  struct Donnee {
    bool accordee = false;
    QString fichier, texte, demandeur, texteDemandeur, objet;
  };
  static Donnee Cle(const QString& demandeur, const QString& texteDemandeur, const QString& objet);
  void Garde(const Donnee& cle);
  std::vector<Donnee> reponses_;
};

// Whether a program may write outside its folder: asked of the user for the program in the editor
// (the desktop program), always (morvo-run --allow-writes) or never (morvo-run).
enum class AccordEcriture { Demander, Autoriser, Refuser };
extern AccordEcriture PolitiqueEcritures;

enum class GenreEcriture { Ecriture, Effacement };

// The folder a program writes in freely is the one its relative names are found from,
// DossierDuProgramme (ProgramFolder.h): the real folder its file lies in (links and /proc names
// followed by the system), or for a program never saved the current folder. The home folder, the
// folders that hold it and the folders everybody may write to (/tmp) are never a program's own: a
// program there writes nothing without consent.

// Writes `octets` as the whole file `chemin` (the offset file of Plot), as EcritFichier does (links
// followed, the file they lead to written). Its folder is opened beneath the program's folder by
// the kernel and the file replaced in that very folder; a file elsewhere is written only once
// allowed, into the folder the question named. A refusal raises its run error; a failed write gives
// false with the system's reason. `demandeur` and `texteDemandeur` are the command file that orders
// it and its text, empty for the editor's program.
bool EcritEntierAccorde(const QString& chemin, const QByteArray& octets, QString* erreur,
                        const QString& demandeur = {}, const QString& texteDemandeur = {});

// An append file opened for a program: the descriptor (the caller's to close), or -1 with the
// system's reason.
struct OuvertureAccordee {
  int fd = -1;
  QString raison;
};
// Opens `chemin`, as the program wrote it, for appending (created when missing). The kernel opens it
// beneath the program's folder in the same step as it checks it lies there; a file elsewhere (by a
// link, a hard link, a name through /proc) is opened only once allowed, and it is then the very
// file the question named. A refusal raises its run error.
OuvertureAccordee OuvreAjoutAccorde(const QString& chemin, const QString& demandeur = {},
                                    const QString& texteDemandeur = {});
// Deletes `chemin` (a link itself, not what it leads to), with consent outside the program's
// folder; a name that holds nothing to delete (no file, or a folder) is left alone.
void EffaceAccorde(const QString& chemin, const QString& demandeur = {}, const QString& texteDemandeur = {});

// Forgets the user's answers: the program they were given for was closed or replaced.
void OublieAccordEcritures();

// A file refused without a question (morvo-run without --allow-writes), as the run error named it,
// and the count of its other names (hard links), which the refusal tells too.
struct EcritureRefusee {
  QString nom;
  qulonglong autresNoms = 0;
  bool operator==(const EcritureRefusee&) const = default;
};
// The files refused so since the answers were last forgotten: the runner tells them on standard
// error.
std::vector<EcritureRefusee> EcrituresRefusees();
