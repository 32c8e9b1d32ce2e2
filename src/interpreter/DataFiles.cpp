#include "interpreter/DataFiles.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "interpreter/Interpreter.h"
#include "interpreter/RunState.h"
#include "platform/Events.h"
#include "platform/FileLookup.h"
#include "platform/FileNames.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"
#include "platform/WriteConsent.h"
#include "values/Fields.h"
#include "values/Insertions.h"
#include "values/Levels.h"
#include "values/Substitution.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

const QString CRLF = QStringLiteral("\r\n");

// No real record of continued lines comes near this; an endless one must not fill the memory.
constexpr qsizetype LongueurMaxEnregistrement = 1024 * 1024;

// Open data files by file number; LVAR reads only the lines it takes.
std::map<int, std::unique_ptr<LecteurLignes>> fichiersDonnees;

struct FichierOpenA {
  FichierTexteEnAjout fichier;
  bool fermeParErreur = false;
};
// The append file of the running level while NumFicAjout is not 0.
std::shared_ptr<FichierOpenA> ajoutCourant;
// Every append file opened in this run and not closed yet: KILL deletes none of them.
std::vector<std::shared_ptr<FichierOpenA>> ajoutsOuverts;
// The append files of the callers of the running command files, innermost last.
struct AjoutAppelant {
  int numero = 0;
  std::shared_ptr<FichierOpenA> ajout;
};
std::vector<AjoutAppelant> ajoutsAppelants;
// The data file each level had open when a run error closed it.
std::map<int, QString> lecturesFermeesParErreur;

QString FermeParErreur(const QString& commande, const QString& chemin) {
  return commande + QStringLiteral(" : ") + chemin +
         QStringLiteral(" : fichier fermé par une erreur d'exécution / file closed by a run error") + CRLF +
         CRLF;
}

bool TenuParUnAppelant(const std::shared_ptr<FichierOpenA>& a) {
  for (const AjoutAppelant& s : ajoutsAppelants) {
    if (s.ajout == a) return true;
  }
  return false;
}

bool EnService(const std::shared_ptr<FichierOpenA>& a) { return a == ajoutCourant || TenuParUnAppelant(a); }

// A file whose lines may not all have reached the disk when it closed, as a failed PRINTA says it.
[[noreturn]] void ErreurFermeture(const QString& chemin, const QString& raison) {
  ErreurRun(TexteEcritureImpossible(chemin, raison) + CRLF + CRLF);
}

// Closes every file of the list, synced; the path and the reason of the first that failed (empty
// when none did).
std::pair<QString, QString> FermeAjouts(const std::vector<std::shared_ptr<FichierOpenA>>& ajouts) {
  std::pair<QString, QString> echec;
  for (const auto& a : ajouts) {
    if (QString r; !a->fichier.Ferme(&r) && echec.first.isEmpty()) echec = {a->fichier.Chemin(), r};
  }
  return echec;
}

// Closes an append file that no level writes to any more, synced: a failure is the failed write of
// the statement that closes it.
void FermeAjout(const std::shared_ptr<FichierOpenA>& a) {
  QString raison;
  const bool ferme = a->fichier.Ferme(&raison);
  std::erase(ajoutsOuverts, a);
  if (!ferme) ErreurFermeture(a->fichier.Chemin(), raison);
}

// The append files left open by a KILL, which no level can reach, close when another one opens.
void FermeAjoutsDelaisses() {
  const auto ouverts = ajoutsOuverts;
  for (const auto& a : ouverts) {
    if (!EnService(a)) FermeAjout(a);
  }
}

bool EstAjoutOuvert(const QString& chemin) {
  for (const auto& a : ajoutsOuverts) {
    if (a->fichier.EstOuvert() && a->fichier.EstLeFichier(chemin)) return true;
  }
  return false;
}

// File numbers 1 to 3 stay free for the program's own files; each level reads under its own number.
int NumeroDonnees(int niveau) { return niveau + 3; }

// A name that is no file of the current folder and has no folder of its own is looked for in the
// folder of the last opened program, where a new file is also created; a file that OPEN reads
// in a command file is looked for beside that file last.
QString ResoutNom(const QString& nom, int niveau, bool lecture) {
  if (nom.isEmpty() || QFileInfo(nom).isFile() || nom.contains(QLatin1Char('\\')) ||
      nom.contains(QLatin1Char('/')) || nom.contains(QLatin1Char(':'))) {
    return QString(nom).replace(QLatin1Char('\\'), QLatin1Char('/'));
  }
  const QString n = AjouteAntiSlash(Shell.RepCourant) + nom;
  if (!lecture || niveau <= 1 || QFileInfo(n).isFile()) return n;
  return DossierDuFichier(Niveau(niveau).Fichier) + nom;
}

// A comment line: its first non-blank character is the comment character.
bool EstCommentaire(const QString& ligne, const QString& carComment) {
  return !carComment.isEmpty() && LTrim(ligne).startsWith(carComment);
}

void OuvreLecture(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  QString raison;
  Incident.TypeErreur = QStringLiteral("F");
  Incident.FichierManquant = nv.FicDonnees;
  struct stat etat {};
  if (::stat(OctetsDuNom(nv.FicDonnees).constData(), &etat) != 0) ErreurRun();
  Incident.TypeErreur.clear();
  // A name that is there but is no regular file (a FIFO, a device, a folder) is told so.
  if (QFile f; !OuvreFichierOrdinaire(f, nv.FicDonnees, &raison))
    ErreurRun(TexteLectureImpossible(nv.FicDonnees, raison) + CRLF + CRLF);
  auto f = std::make_unique<LecteurLignes>();
  f->OuvrePourLeRun(nv.FicDonnees);
  if (f->Fin()) {
    nv.FicDonnees.clear();
    return;
  }
  fichiersDonnees[nv.NumFicDonnees] = std::move(f);
}

// Outside the program's folder, only with the user's consent; the command file that orders it is
// named in the question.
QString Demandeur() { return NiveauCourant >= 2 ? Niveau(NiveauCourant).Fichier : QString(); }
QString TexteDemandeur() { return NiveauCourant >= 2 ? Niveau(NiveauCourant).Texte : QString(); }

void OuvreAjout(const QString& chemin, const QString& option) {
  if (option == QStringLiteral("Kill")) {
    // Only a file found in the current folder is deleted, and never one that is open for
    // appending, whatever name reaches it: its lines are still being written.
    if (!chemin.contains(QLatin1Char(':')) && !chemin.contains(QLatin1Char('/')) &&
        !chemin.contains(QLatin1Char('\\')) && !EstAjoutOuvert(chemin)) {
      EffaceAccorde(chemin, Demandeur(), TexteDemandeur());
    }
    Travail.NumFicAjout = 0;
    ajoutCourant.reset();
    return;
  }
  // An append file already open keeps receiving the lines.
  if (Travail.NumFicAjout != 0 && ajoutCourant && ajoutCourant->fichier.EstOuvert()) return;
  FermeAjoutsDelaisses();
  // The name as written reaches the kernel: "x.txt/" names a folder, and a FIFO or a device is no
  // file to append to; each is a file that could not be written.
  const OuvertureAccordee ouverture = OuvreAjoutAccorde(chemin, Demandeur(), TexteDemandeur());
  auto a = std::make_shared<FichierOpenA>();
  QString erreur;
  if (!a->fichier.Adopte(ouverture.fd, chemin, ouverture.raison, &erreur)) {
    ErreurRun(TexteEcritureImpossible(chemin, erreur) + CRLF + CRLF);
  }
  ajoutsOuverts.push_back(a);
  ajoutCourant = std::move(a);
  Travail.NumFicAjout = 1;
}

}  // namespace

void CmdOpen(int niveau, bool ajout) {
  NiveauProg& nv = Niveau(niveau);
  if (Trim(Lecture.ParamLigne).isEmpty()) {
    if (ajout) {
      const auto ferme = std::move(ajoutCourant);
      ajoutCourant.reset();
      Travail.NumFicAjout = 0;
      if (ferme) FermeAjout(ferme);
    } else {
      lecturesFermeesParErreur.erase(niveau);
      fichiersDonnees.erase(nv.NumFicDonnees);
      nv.FicDonnees.clear();
    }
    DoEvents();
    return;
  }

  const QString nom = Trim(ParamN(Lecture.ParamLigne, 1));
  nv.FicDonnees = ResoutNom(nom, niveau, !ajout);
  nv.CarComment = QStringLiteral("'");
  if (!Trim(ParamN(Lecture.ParamLigne, 2)).isEmpty()) {
    const std::optional<double> code = LitParam(Lecture.ParamLigne, 2);
    const double c = code.value_or(0.0);
    if (!(c >= -0.5 && c < 255.5)) LeveErreurExecution(QStringLiteral("invalid procedure call"));
    nv.CarComment = DecodeWindows1252(QByteArray(1, static_cast<char>(static_cast<uint8_t>(ArrondiPair(c)))));
  }

  if (ajout) {
    // The level's data file is left open under its own number but no longer reachable: nothing is
    // open under the number the append file leaves in the level.
    nv.NumFicDonnees = 0;
    OuvreAjout(nv.FicDonnees, Trim(ParamN(Lecture.ParamLigne, 3)));
    return;
  }
  lecturesFermeesParErreur.erase(niveau);
  nv.NumFicDonnees = NumeroDonnees(niveau);
  fichiersDonnees.erase(nv.NumFicDonnees);
  OuvreLecture(niveau);
}

void CmdLVar(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  if (nv.FicDonnees.isEmpty()) {
    if (const auto it = lecturesFermeesParErreur.find(niveau); it != lecturesFermeesParErreur.end()) {
      ErreurRun(FermeParErreur(QStringLiteral("LVAR"), it->second));
    }
    ErreurRun(QStringLiteral("LVAR : aucun fichier ouvert / no file open") + CRLF + CRLF);
  }
  const QString nom = Trim(ParamBrutN(Lecture.ParamLigne, 1));
  const std::optional<double> saut = LitParam(Lecture.ParamLigne, 2);
  int n = VersEntier16(saut.value_or(0.0));
  nv.MarqueDebut = Trim(ParamBrutN(Lecture.ParamLigne, 3));
  nv.MarqueFin = Trim(ParamBrutN(Lecture.ParamLigne, 4));
  if (!LTrim(nom).startsWith(QLatin1Char('%')))
    ErreurChampN(Lecture.ParamLigne, 1, TexteMsg(TexteRaison::Variable));

  const auto it = fichiersDonnees.find(nv.NumFicDonnees);
  if (it == fichiersDonnees.end()) {
    ErreurRun(nv.FicDonnees + QStringLiteral(" : fichier non ouvert / file not open") + CRLF + CRLF);
  }
  LecteurLignes& f = *it->second;

  nv.LigneDonnees.clear();
  if (!nv.MarqueDebut.isEmpty()) {
    while (!f.Fin()) {
      nv.LigneLue = f.Suivante();
      if (!EstCommentaire(nv.LigneLue, nv.CarComment) && nv.LigneLue.contains(nv.MarqueDebut)) break;
    }
  }
  while (n > 0 && !f.Fin()) {
    nv.LigneLue = f.Suivante();
    --n;
  }
  while (!f.Fin()) {
    nv.LigneLue = f.Suivante();
    if (EstCommentaire(nv.LigneLue, nv.CarComment)) {
      if (!nv.MarqueFin.isEmpty() && nv.LigneLue.contains(nv.MarqueFin)) break;
      continue;
    }
    nv.LigneDonnees += nv.LigneLue;
    if (nv.LigneDonnees.size() > LongueurMaxEnregistrement) {
      nv.LigneDonnees.clear();
      ErreurRun(
          nv.FicDonnees +
          QStringLiteral(" : enregistrement de plus de %1 caractères / record longer than %1 characters")
              .arg(LongueurMaxEnregistrement) +
          CRLF + CRLF);
    }
    if (!nv.LigneDonnees.endsWith(QStringLiteral(" _"))) break;
    nv.LigneDonnees.chop(2);
  }
  if (f.Fin()) {
    fichiersDonnees.erase(it);
    nv.FicDonnees.clear();
  }

  const int slot = IndiceVariable(nom, niveau);
  if (slot > 0) {
    nv.ValeursVar[static_cast<size_t>(slot)] = nv.LigneDonnees;
  } else {
    AffecteVariable(nom, nv.LigneDonnees);
  }
}

void CmdPrintA() {
  if (Travail.NumFicAjout == 0 || !ajoutCourant) return;
  if (!ajoutCourant->fichier.EstOuvert()) {
    if (ajoutCourant->fermeParErreur)
      ErreurRun(FermeParErreur(QStringLiteral("PRINTA"), ajoutCourant->fichier.Chemin()));
    return;
  }
  QString texte = Lecture.ParamLigne;
  if (Trim(texte).size() >= 2) {
    texte = EvalueDieses(texte);
    SubstitueVariables(texte);
  }
  texte = FonctionsTxtArr(texte);
  QString erreur;
  // The common statement, one line: no copy of it is made on the way to the file.
  if (!texte.isEmpty() && !texte.contains(QLatin1Char('\r'))) {
    if (!ajoutCourant->fichier.AjouteLigne(texte, &erreur)) {
      ErreurRun(TexteEcritureImpossible(ajoutCourant->fichier.Chemin(), erreur) + CRLF + CRLF);
    }
    return;
  }

  QString lignes;
  while (!texte.isEmpty()) {
    const int p = InStr(texte, QStringLiteral("\r"));
    if (p == 0) {
      lignes += texte + CRLF;
      break;
    }
    lignes += Left(texte, p - 1) + CRLF;
    texte = Mid(texte, Mid(texte, p + 1, 1) == QStringLiteral("\n") ? p + 2 : p + 1);
  }
  if (lignes.isEmpty()) return;
  // All the lines of the statement go in with one write, whole or not at all.
  if (!ajoutCourant->fichier.Ajoute(lignes, &erreur)) {
    ErreurRun(TexteEcritureImpossible(ajoutCourant->fichier.Chemin(), erreur) + CRLF + CRLF);
  }
}

void FermeFichiersDonnees() {
  fichiersDonnees.clear();
  for (const auto& a : ajoutsOuverts) a->fichier.Ferme();
  ajoutsOuverts.clear();
  lecturesFermeesParErreur.clear();
}

void FermeFichiersSurErreur() {
  std::map<int, QString> lectures;
  for (int n = 1; n < static_cast<int>(Niveaux.size()); ++n) {
    const NiveauProg& nv = Niveau(n);
    if (!nv.FicDonnees.isEmpty() && fichiersDonnees.count(nv.NumFicDonnees) > 0) lectures[n] = nv.FicDonnees;
  }
  for (const auto& a : ajoutsOuverts) a->fermeParErreur = true;
  // The lines written before the error may still fail to reach the disk as the files close: the
  // first such failure is told after the run error, as a failed write.
  const auto [chemin, raison] = FermeAjouts(ajoutsOuverts);
  FermeFichiers();
  lecturesFermeesParErreur = std::move(lectures);
  if (!chemin.isEmpty())
    Dialogues().MsgBox(TexteEcritureImpossible(chemin, raison), Boutons::Ok, QStringLiteral("Morvo"));
}

void FermeFichiersAjout() {
  const auto ouverts = std::move(ajoutsOuverts);
  ajoutsOuverts.clear();
  ajoutCourant.reset();
  Travail.NumFicAjout = 0;
  // Every file is closed; the first that fails is the run's failed write.
  const auto [chemin, raison] = FermeAjouts(ouverts);
  if (!chemin.isEmpty()) ErreurFermeture(chemin, raison);
}

void EntreNiveauFichiers(int niveau) {
  ajoutsAppelants.push_back({Travail.NumFicAjout, ajoutCourant});
  Travail.NumFicAjout = 0;
  ajoutCourant.reset();
  lecturesFermeesParErreur.erase(niveau);
}

void SortNiveauFichiers(int niveau) {
  if (ajoutsAppelants.empty()) return;
  const AjoutAppelant appelant = ajoutsAppelants.back();
  ajoutsAppelants.pop_back();
  // The command file's own append file closes with it.
  const auto sien = std::move(ajoutCourant);
  Travail.NumFicAjout = appelant.numero;
  ajoutCourant = appelant.ajout;
  lecturesFermeesParErreur.erase(niveau);
  if (sien && !TenuParUnAppelant(sien)) FermeAjout(sien);
}
