#include "platform/OutputFiles.h"
#include "platform/QtFileDialogs.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <cerrno>
#include <optional>

#include "platform/FileNames.h"
#include "platform/FileWriter.h"
#include "platform/ProgramFolder.h"

namespace {

// The name typed into the dialog, made absolute from the dialog's folder, as the system will read
// it; nullopt where the name is Qt's to read: several names in quotes, a name from the home folder
// ("~/"), nothing typed, or a dialog of the desktop's own.
std::optional<QString> NomTape(const QFileDialog& dialogue) {
  const auto* saisie = dialogue.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  const QString texte = saisie ? saisie->text() : QString();
  if (texte.isEmpty() || texte.contains(u'"') || texte.startsWith(u'~')) return std::nullopt;
  if (texte.startsWith(u'/')) return texte;
  const QString dossier = dialogue.directory().absolutePath();
  return dossier + (dossier.endsWith(u'/') ? QString() : QStringLiteral("/")) + texte;
}

}  // namespace

bool NomInterdit(QWidget* dialogue, const QString& nom, const QString& interdit, const QString& raison) {
  if (interdit.isEmpty() || nom.isEmpty()) return false;
  const CibleEcriture cible(nom);
  if (!cible.Existe() || !cible.MemeFichier(CibleEcriture(interdit))) return false;
  QMessageBox::warning(dialogue, dialogue->windowTitle(), NomLisible(nom) + u'\n' + raison);
  return true;
}

DialogueEnregistrement::DialogueEnregistrement(QWidget* parent, const QString& nomPropose,
                                               const QString& filtre)
    : QFileDialog(parent, QString(), nomPropose, filtre) {
  setAcceptMode(QFileDialog::AcceptSave);
  setOption(QFileDialog::DontConfirmOverwrite);
}

void DialogueEnregistrement::done(int resultat) {
  if (resultat == QDialog::Accepted) {
    QString nom = selectedFiles().value(0);
    if (const std::optional<QString> tape = NomTape(*this)) {
      nom = *tape;
      // The default extension, as Qt adds it, to a last name without "."; a final "/" names a folder.
      const QString dernier = nom.mid(nom.lastIndexOf(u'/') + 1);
      if (!defaultSuffix().isEmpty() && !dernier.isEmpty() && !dernier.contains(u'.') &&
          !QFileInfo(nom).isDir())
        nom += u'.' + defaultSuffix();
    }
    if (NomInterdit(this, nom, refuse_, raison_)) return;
    const CibleEcriture cible(nom);
    // A name that reaches no file is refused with the system's answer once the dialog is closed.
    if (cible.Refus().isEmpty() && cible.Existe() && !Remplace(nom)) return;
    nom_ = nom;
  }
  QFileDialog::done(resultat);
}

void DialogueEnregistrement::Refuse(const QString& nom, const QString& raison) {
  refuse_ = nom;
  raison_ = raison;
}

bool DialogueEnregistrement::Remplace(const QString& nom) {
  const QString texte =
      QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?")
          .arg(NomLisible(nom.mid(nom.lastIndexOf(u'/') + 1)));
  return QMessageBox::warning(this, windowTitle(), texte, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes;
}

DialogueOuverture::DialogueOuverture(QWidget* parent, const QString& dossier, const QString& filtre)
    : QFileDialog(parent, QString(), dossier, filtre) {
  setAcceptMode(QFileDialog::AcceptOpen);
  setFileMode(QFileDialog::ExistingFile);
}

QStringList DialogueOuverture::Noms() const { return tapes_ ? noms_ : selectedFiles(); }

void DialogueOuverture::accept() {
  const std::optional<QString> nom = NomTape(*this);
  if (!nom) {
    QFileDialog::accept();
    return;
  }
  const bool dossier = fileMode() == QFileDialog::Directory;
  struct stat etat {};
  if (::stat(OctetsDuNom(*nom).constData(), &etat) == 0) {
    if (S_ISDIR(etat.st_mode) && !dossier) {
      // Into the folder the system finds under the name, as Qt goes into a folder typed.
      const QString reel = FichierReel(*nom);
      setDirectory(reel.isEmpty() ? *nom : reel);
      if (auto* saisie = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) saisie->clear();
      return;
    }
    // A file typed where a folder is asked for is not taken, as Qt does not take it.
    if (!S_ISDIR(etat.st_mode) && dossier) return;
    noms_ = {*nom};
    tapes_ = true;
    QDialog::accept();
    return;
  }
  const int code = errno;
  QString texte;
  if (code == ENOENT) {
    // Qt's own words.
    texte = dossier
                ? QCoreApplication::translate(
                      "QFileDialog",
                      "%1\nDirectory not found.\nPlease verify the correct directory name was given.")
                : QCoreApplication::translate(
                      "QFileDialog", "%1\nFile not found.\nPlease verify the correct file name was given.");
    texte = texte.arg(NomLisible(nom->mid(nom->lastIndexOf(u'/') + 1)));
  } else {
    texte = NomLisible(*nom) + u'\n' + RaisonSysteme(code);
  }
  QMessageBox::warning(this, windowTitle(), texte);
}
