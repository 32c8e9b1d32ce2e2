#include "platform/WriteConsent.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <vector>

#include "platform/EditorText.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

// The name as the program gave it, made absolute from the current folder, as the system reads it.
QString Absolu(const QString& chemin) { return QDir::cleanPath(QFileInfo(chemin).absoluteFilePath()); }

// What the operation reaches: for a write the file at the end of the links, for a deletion the
// name itself in its folder (whose links are followed). Empty when a link on the way is one the
// writer refuses: then no folder holds it.
QString Cible(const QString& chemin, GenreEcriture genre) {
  if (genre == GenreEcriture::Ecriture) return SuitLiens(chemin).value_or(QString());
  const QFileInfo nom(Absolu(chemin));
  const std::optional<QString> dossier = SuitLiens(nom.absolutePath());
  return dossier ? QDir(*dossier).filePath(nom.fileName()) : QString();
}

bool Dans(const QString& cible, const QString& dossier) {
  if (cible.isEmpty() || dossier.isEmpty()) return false;
  if (dossier == QStringLiteral("/")) return true;
  return cible == dossier || cible.startsWith(dossier + QLatin1Char('/'));
}

// The answers for writes and for deletions, apart.
std::array<ReponsesDuProgramme, 2> reponsesEcriture;
QStringList refusSansQuestion;

[[noreturn]] void Refus(const QString& affiche, GenreEcriture genre) {
  ErreurRun(affiche +
            (genre == GenreEcriture::Ecriture
                 ? QStringLiteral(" : écriture hors du dossier du programme refusée / writing outside the "
                                  "program's folder refused")
                 : QStringLiteral(" : effacement hors du dossier du programme refusé / deleting outside the "
                                  "program's folder refused")) +
            CRLF + CRLF);
}

}  // namespace

AccordEcriture PolitiqueEcritures = AccordEcriture::Demander;

bool ReponsesDuProgramme::Accorde(const QString& demandeur, const QString& texteDemandeur,
                                  const QString& objet, const QString& question) {
  Donnee cle;
  cle.fichier = Shell.NomFichier;
  if (HoteCourant() && HoteCourant()->Editeur()) cle.texte = HoteCourant()->Editeur()->Text();
  cle.demandeur = demandeur;
  cle.texteDemandeur = texteDemandeur;
  cle.objet = objet;
  const auto trouvee = std::find_if(reponses_.begin(), reponses_.end(), [&cle](const Donnee& r) {
    return r.fichier == cle.fichier && r.texte == cle.texte && r.demandeur == cle.demandeur &&
           r.texteDemandeur == cle.texteDemandeur && r.objet == cle.objet;
  });
  if (trouvee != reponses_.end()) return trouvee->accordee;
  cle.accordee = Dialogues().MsgBox(question, Boutons::OuiNon, QStringLiteral("Morvo"), Icone::Question, 2) ==
                 Reponse::Oui;
  // Answers given for another program in the editor can no longer apply.
  std::erase_if(reponses_,
                [&cle](const Donnee& r) { return r.fichier != cle.fichier || r.texte != cle.texte; });
  reponses_.push_back(cle);
  return cle.accordee;
}

QString DossierDuProgramme() {
  QString dossier =
      Shell.NomFichier.isEmpty() ? Shell.RepCourant : QFileInfo(Shell.NomFichier).absolutePath();
  if (dossier.isEmpty()) dossier = QDir::currentPath();
  return SuitLiens(dossier).value_or(QString());
}

void AccordeEcriture(const QString& chemin, GenreEcriture genre, const QString& demandeur,
                     const QString& texteDemandeur) {
  if (genre == GenreEcriture::Effacement) {
    // A name that holds nothing a deletion removes (no file, or a folder) needs no consent.
    struct stat etat {};
    if (::lstat(QFile::encodeName(chemin).constData(), &etat) != 0 || S_ISDIR(etat.st_mode)) return;
  }
  const QString cible = Cible(chemin, genre);
  if (Dans(cible, DossierDuProgramme())) return;
  // The file named, and where a link leads when it leads elsewhere.
  const QString nom = Absolu(chemin);
  const QString affiche = cible.isEmpty() || cible == nom ? nom : nom + QStringLiteral(" -> ") + cible;
  if (PolitiqueEcritures == AccordEcriture::Autoriser) return;
  if (PolitiqueEcritures == AccordEcriture::Refuser) {
    refusSansQuestion.append(affiche);
    Refus(affiche, genre);
  }

  const QString question = TexteMsg(genre == GenreEcriture::Ecriture ? 198 : 199)
                               .arg(demandeur.isEmpty() ? Shell.NomFichier : demandeur, affiche);
  if (!reponsesEcriture[static_cast<size_t>(genre)].Accorde(demandeur, texteDemandeur,
                                                            cible.isEmpty() ? nom : cible, question))
    Refus(affiche, genre);
}

void OublieAccordEcritures() {
  for (ReponsesDuProgramme& r : reponsesEcriture) r.Oublie();
  refusSansQuestion.clear();
}

QStringList EcrituresRefusees() { return refusSansQuestion; }
