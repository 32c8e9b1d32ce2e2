#include "platform/WriteConsent.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <iterator>
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

// A user's answer and what it was given for: the program in the editor (file and text), the
// command file that asks (with its text), the file and the operation.
struct ReponseEcriture {
  bool accordee = false;
  GenreEcriture genre = GenreEcriture::Ecriture;
  QString fichier, texte, demandeur, texteDemandeur, cible;
};
std::vector<ReponseEcriture> reponsesEcriture;
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

  ReponseEcriture cle;
  cle.genre = genre;
  cle.fichier = Shell.NomFichier;
  if (HoteCourant() && HoteCourant()->Editeur()) cle.texte = HoteCourant()->Editeur()->Text();
  cle.demandeur = demandeur;
  cle.texteDemandeur = texteDemandeur;
  cle.cible = cible.isEmpty() ? nom : cible;
  const auto memes = [&cle](const ReponseEcriture& r) {
    return r.genre == cle.genre && r.fichier == cle.fichier && r.texte == cle.texte &&
           r.demandeur == cle.demandeur && r.texteDemandeur == cle.texteDemandeur && r.cible == cle.cible;
  };
  auto trouvee = std::find_if(reponsesEcriture.begin(), reponsesEcriture.end(), memes);
  if (trouvee == reponsesEcriture.end()) {
    const QString question = TexteMsg(genre == GenreEcriture::Ecriture ? 198 : 199)
                                 .arg(demandeur.isEmpty() ? Shell.NomFichier : demandeur, affiche);
    cle.accordee = Dialogues().MsgBox(question, Boutons::OuiNon, QStringLiteral("Morvo"), Icone::Question,
                                      2) == Reponse::Oui;
    // Answers given for another program in the editor can no longer apply.
    std::erase_if(reponsesEcriture, [&cle](const ReponseEcriture& r) {
      return r.fichier != cle.fichier || r.texte != cle.texte;
    });
    reponsesEcriture.push_back(cle);
    trouvee = std::prev(reponsesEcriture.end());
  }
  if (!trouvee->accordee) Refus(affiche, genre);
}

void OublieAccordEcritures() {
  reponsesEcriture.clear();
  refusSansQuestion.clear();
}

QStringList EcrituresRefusees() { return refusSansQuestion; }
