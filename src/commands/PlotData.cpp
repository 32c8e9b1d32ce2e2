#include "commands/PlotData.h"

#include <QDir>
#include <QFileInfo>

#include "interpreter/RunErrors.h"
#include "interpreter/RunState.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "platform/TextFile.h"
#include "values/Expressions.h"
#include "values/Fields.h"

namespace {

const QString Crlf = QStringLiteral("\r\n");

QString DansDossier(const QString& dossier, const QString& nom) {
  if (dossier.isEmpty()) return {};
  const QFileInfo info(QDir(dossier), nom);
  if (info.isFile()) return info.filePath();
  const QString trouve = TrouveSansCasse(info.absolutePath(), info.fileName());
  return trouve;
}

[[noreturn]] void PasUnNombre(const QString& champ, const QString& ligne) {
  ErreurLigneDonnees(ligne, QStringLiteral("« %1 » n'est pas un nombre / is not a number").arg(Trim(champ)));
}

// The reduced text of an evaluation must be one number: anything left over was not understood.
void VerifieNombre(const QString& reduit, const QString& champ, const QString& ligne) {
  if (!EstNumerique(Trim(reduit))) PasUnNombre(champ, ligne);
}

}  // namespace

QString CheminFichierPlot(const QString& nom, int niveau) {
  QString n = Trim(nom);
  n.replace(QLatin1Char('\\'), QLatin1Char('/'));
  const int barre = InStrRev(n, QStringLiteral("/"));
  if (InStr(barre + 1, n, QStringLiteral(".")) == 0) n += QStringLiteral(".txt");
  if (QDir::isAbsolutePath(n)) return n;
  if (const QString p = DansDossier(Shell.RepCourant, n); !p.isEmpty()) return p;
  if (niveau >= 0 && niveau < static_cast<int>(Niveaux.size())) {
    const QString fichier = Niveaux[static_cast<size_t>(niveau)].Fichier;
    if (!fichier.isEmpty()) {
      QString dossier = fichier;
      dossier.replace(QLatin1Char('\\'), QLatin1Char('/'));
      if (const QString p = DansDossier(QFileInfo(dossier).absolutePath(), n); !p.isEmpty()) return p;
    }
  }
  return Shell.RepCourant.isEmpty() ? n : QDir(Shell.RepCourant).filePath(n);
}

QStringList LignesFichierPlot(const QString& chemin) {
  const std::optional<QString> texte = LitFichierTexte(chemin);
  if (!texte) {
    TypeErreur = QStringLiteral("F");
    FichierManquant = chemin;
    LeveErreurExecution(QStringLiteral("file not found"));
  }
  return DecoupeLignes(*texte);
}

std::vector<BlocPlot> DecoupeBlocs(const QStringList& lignes) {
  std::vector<BlocPlot> blocs;
  BlocPlot bloc;
  bool ouvert = false;
  for (const QString& ligne : lignes) {
    bloc.Lignes << ligne;
    ouvert = true;
    const QString haut = UCase(ligne);
    const int marque = InStr(haut, QStringLiteral("'EOD"));
    if (marque == 0) continue;
    bloc.SansRemplissage = InStr(marque + 4, haut, QStringLiteral("NP")) > 0;
    blocs.push_back(std::move(bloc));
    bloc = BlocPlot();
    ouvert = false;
  }
  if (ouvert || blocs.empty()) blocs.push_back(std::move(bloc));
  return blocs;
}

GenreLigne GenreLignePlot(const QString& ligne) {
  if (Trim(ligne).isEmpty() || ligne.startsWith(QLatin1Char('\''))) return GenreLigne::Commentaire;
  const QString haut = UCase(LTrim(ligne));
  for (const char* mot : {"COULEUR", "EPAIST", "CERCLE", "BEZIER", "STOP"}) {
    if (haut.startsWith(QLatin1String(mot))) return GenreLigne::Commande;
  }
  return GenreLigne::Donnees;
}

std::optional<QString> ChampDonnees(const QString& ligne, QChar separateur, int n) {
  qsizetype debut = 0;
  for (int i = 1; i < n; ++i) {
    const qsizetype p = ligne.indexOf(separateur, debut);
    if (p < 0) return std::nullopt;
    debut = p + 1;
  }
  const qsizetype fin = ligne.indexOf(separateur, debut);
  return ligne.mid(debut, fin < 0 ? -1 : fin - debut);
}

float ValeurDonnee(const QString& champ, bool& relatif, const QString& ligne) {
  QString texte = champ;
  texte.replace(QLatin1Char(','), QLatin1Char('.'));
  relatif = InStr(UCase(texte), QStringLiteral("R")) > 0;
  double v = 0;
  try {
    v = LitParam(texte, 1).value_or(0.0);
  } catch (const ErreurExecution&) {
    if (!DetailErreur.isEmpty()) throw;
    PasUnNombre(champ, ligne);
  }
  if (!Trim(texte).isEmpty()) VerifieNombre(AnalyseParam.TexteChamp, champ, ligne);
  return VersSingle(v);
}

float ValeurCalculee(const QString& champ, const QString& ligne) {
  QString texte = champ;
  texte.replace(QLatin1Char(','), QLatin1Char('.'));
  double v = 0;
  try {
    v = Calcule(texte).value_or(0.0);
  } catch (const ErreurExecution&) {
    PasUnNombre(champ, ligne);
  }
  if (!Trim(champ).isEmpty()) VerifieNombre(texte, champ, ligne);
  return VersSingle(v);
}

void ErreurLigneDonnees(const QString& ligne, const QString& raison) {
  ErreurRun(ligne + QStringLiteral(" : ") + raison + Crlf + Crlf);
}
