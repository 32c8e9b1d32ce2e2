#pragma once

// Qt's file dialogs hand back the name typed in its cleaned form: "keep.txt/." as "keep.txt", and
// "lien/../x.dat" as "x.dat" where the system, going through the link first, reads the x.dat of
// the folder the link leads to. These dialogs hand the name on as it was written, for the system
// to read, so that the window reads and writes the file the runner and the system find under it.

#include <QFileDialog>
#include <QString>
#include <QStringList>

// Whether `nom` reaches the existing file `interdit`, by whatever name: the dialog then says
// `raison` over `dialogue`, and stays open.
bool NomInterdit(QWidget* dialogue, const QString& nom, const QString& interdit, const QString& raison);

// Save: the question before a file is replaced is asked of the file the system would write.
class DialogueEnregistrement : public QFileDialog {
 public:
  DialogueEnregistrement(QWidget* parent, const QString& nomPropose, const QString& filtre);
  // The name chosen, once the dialog is accepted.
  const QString& Nom() const { return nom_; }
  // A file never chosen, by whatever name it is reached: the dialog says `raison` and stays.
  void Refuse(const QString& nom, const QString& raison);

 protected:
  void done(int resultat) override;

 private:
  // Qt's own question, in its words.
  bool Remplace(const QString& nom);

  QString nom_;
  QString refuse_, raison_;
};

// Open (a file, several files, or a folder with FileMode Directory): a name typed is looked up as
// the system reads it. A folder is gone into (or chosen, for a folder), a missing name is told in
// Qt's words and the dialog stays; any other answer of the system is told and the dialog stays.
class DialogueOuverture : public QFileDialog {
 public:
  DialogueOuverture(QWidget* parent, const QString& dossier, const QString& filtre);
  // The names chosen, once the dialog is accepted.
  QStringList Noms() const;

 protected:
  void accept() override;

 private:
  QStringList noms_;
  bool tapes_ = false;
};
