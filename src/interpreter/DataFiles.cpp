#include "interpreter/DataFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <map>
#include <memory>

#include "interpreter/RunState.h"
#include "platform/Events.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "platform/TextFile.h"
#include "values/Fields.h"
#include "values/Insertions.h"
#include "values/Levels.h"
#include "values/Substitution.h"
#include "values/Variables.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

// Open data files by file number; LVAR reads only the lines it takes.
std::map<int, std::unique_ptr<LecteurLignes>> fichiersDonnees;
// The append file while NumFicAjout is not 0.
QString cheminAjout;

// File numbers 1 to 3 stay free for the program's own files; each level reads under its own number.
int NumeroDonnees(int niveau) { return niveau + 3; }

QString DossierDe(const QString& chemin) {
  const int p = InStrRev(chemin, QStringLiteral("/"));
  return p > 0 ? Left(chemin, p) : QString();
}

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
  return DossierDe(Niveau(niveau).Fichier) + nom;
}

// A comment line: its first non-blank character is the comment character.
bool EstCommentaire(const QString& ligne, const QString& carComment) {
  return !carComment.isEmpty() && LTrim(ligne).startsWith(carComment);
}

void OuvreLecture(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  TypeErreur = QStringLiteral("F");
  FichierManquant = nv.FicDonnees;
  if (!EstFichierOrdinaire(nv.FicDonnees)) ErreurRun();
  TypeErreur.clear();
  auto f = std::make_unique<LecteurLignes>();
  if (!f->Ouvre(nv.FicDonnees)) {
    ErreurRun(nv.FicDonnees + QStringLiteral(" : lecture impossible / cannot be read") + CRLF + CRLF);
  }
  if (f->Fin()) {
    nv.FicDonnees.clear();
    return;
  }
  fichiersDonnees[nv.NumFicDonnees] = std::move(f);
}

// Appending reads the file first and a FIFO or a device would never let go: only a regular file
// (or a new one) receives lines.
void RefuseAjoutSpecial(const QString& chemin) {
  if (EstFichierOrdinaire(chemin) || !QFileInfo(chemin).exists()) return;
  TypeErreur = QStringLiteral("F");
  FichierManquant = chemin;
  ErreurRun();
}

void OuvreAjout(const QString& chemin, const QString& option) {
  if (option == QStringLiteral("Kill")) {
    // Only a file found in the current folder is deleted.
    if (!chemin.contains(QLatin1Char(':')) && !chemin.contains(QLatin1Char('/')) &&
        !chemin.contains(QLatin1Char('\\'))) {
      QFile::remove(chemin);
    }
    NumFicAjout = 0;
    return;
  }
  // An append file already open keeps receiving the lines.
  if (NumFicAjout != 0) return;
  RefuseAjoutSpecial(chemin);
  QString erreur;
  if (!AjouteFichierTexte(chemin, QString(), &erreur)) {
    ErreurRun(TexteEcritureImpossible(chemin, erreur) + CRLF + CRLF);
  }
  cheminAjout = chemin;
  NumFicAjout = 1;
}

}  // namespace

void CmdOpen(int niveau, bool ajout) {
  NiveauProg& nv = Niveau(niveau);
  if (Trim(ParamLigne).isEmpty()) {
    if (ajout) {
      NumFicAjout = 0;
      cheminAjout.clear();
    } else {
      fichiersDonnees.erase(nv.NumFicDonnees);
      nv.FicDonnees.clear();
    }
    DoEvents();
    return;
  }

  const QString nom = Trim(ParamN(ParamLigne, 1));
  nv.FicDonnees = ResoutNom(nom, niveau, !ajout);
  nv.CarComment = QStringLiteral("'");
  if (!Trim(ParamN(ParamLigne, 2)).isEmpty()) {
    const std::optional<double> code = LitParam(ParamLigne, 2);
    const double c = code.value_or(0.0);
    if (!(c >= -0.5 && c < 255.5)) LeveErreurExecution(QStringLiteral("invalid procedure call"));
    nv.CarComment = DecodeWindows1252(QByteArray(1, static_cast<char>(static_cast<uint8_t>(ArrondiPair(c)))));
  }

  if (ajout) {
    // The level's data file is left open under its own number but no longer reachable: nothing is
    // open under the number the append file leaves in the level.
    nv.NumFicDonnees = 0;
    OuvreAjout(nv.FicDonnees, Trim(ParamN(ParamLigne, 3)));
    return;
  }
  nv.NumFicDonnees = NumeroDonnees(niveau);
  fichiersDonnees.erase(nv.NumFicDonnees);
  OuvreLecture(niveau);
}

void CmdLVar(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  if (nv.FicDonnees.isEmpty()) {
    ErreurRun(QStringLiteral("LVAR : aucun fichier ouvert / no file open") + CRLF + CRLF);
  }
  const QString nom = Trim(ParamBrutN(ParamLigne, 1));
  const std::optional<double> saut = LitParam(ParamLigne, 2);
  int n = VersEntier16(saut.value_or(0.0));
  nv.MarqueDebut = Trim(ParamBrutN(ParamLigne, 3));
  nv.MarqueFin = Trim(ParamBrutN(ParamLigne, 4));
  if (!LTrim(nom).startsWith(QLatin1Char('%'))) ErreurRun();

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
  if (NumFicAjout == 0) return;
  QString texte = ParamLigne;
  if (Trim(texte).size() >= 2) {
    texte = EvalueDieses(texte);
    SubstitueVariables(texte);
  }
  texte = FonctionsTxtArr(texte);

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
  RefuseAjoutSpecial(cheminAjout);
  QString erreur;
  if (!AjouteFichierTexte(cheminAjout, lignes, &erreur)) {
    ErreurRun(TexteEcritureImpossible(cheminAjout, erreur) + CRLF + CRLF);
  }
}

void FermeFichiersDonnees() {
  fichiersDonnees.clear();
  cheminAjout.clear();
}
