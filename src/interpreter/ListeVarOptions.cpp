#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

#include "interpreter/RuntimeCommands.h"
#include "interpreter/VarList.h"
#include "platform/EditorText.h"
#include "platform/FileLookup.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Substitution.h"

using namespace legacy;

namespace {

const QString CRLF = QStringLiteral("\r\n");
const QString Tab = QStringLiteral("\t");
// Asks LISTEVAR for the folders and the environment; it never stands first in the comment.
const QString MotCache = QStringLiteral("#RKFRép");
const QString MarqueMotCache = QStringLiteral("(+)");

QString Environnement(const char* nom) { return qEnvironmentVariable(nom); }

QString BlocEnvironnement() {
  const auto ligne = [](const QString& etiquette, const QString& valeur) {
    return etiquette + Tab + valeur + CRLF;
  };
  QString t;
  t += ligne(QStringLiteral("StartPath="), Shell.RepDepart);
  t += ligne(QStringLiteral("CurDir    = "), AjouteAntiSlash(QDir::currentPath()));
  t += ligne(QStringLiteral("FicPath  = "), Shell.RepCourant);
  t += ligne(QStringLiteral("CfgPath = "), Shell.RepConfig);
  t += ligne(QStringLiteral("AppPath = "), QCoreApplication::applicationDirPath());
  t += ligne(QStringLiteral("UserAppPath = "), Environnement("APPDATA"));
  t += ligne(QStringLiteral("UserProfile = "), Environnement("USERPROFILE"));
  t += ligne(QStringLiteral("ComputerName = "), Environnement("COMPUTERNAME"));
  t += ligne(QStringLiteral("Utilisateur = "), Environnement("USERNAME"));
  t += ligne(QStringLiteral("OS = "), Environnement("OS"));
  t += ligne(QStringLiteral("Processeur = "), Environnement("PROCESSOR_ARCHITECTURE"));
  return t + CRLF;
}

// The value of an OPTIONS#$ number field; a field that is no valid expression counts as 0, since
// the command never reports an error.
double ValeurOption(const QString& champ) {
  QString texte = champ;
  try {
    if (SubstitueVariables(texte)) return 0;
    const std::optional<double> v = Calcule(texte);
    return v && std::isfinite(*v) ? *v : 0;
  } catch (const ErreurExecution&) {
    Incident.DetailErreur.clear();
    return 0;
  }
}

// A 16-bit count: values beyond the range are held at its ends.
int Entier16(double v) { return static_cast<int>(ArrondiPair(std::clamp(v, -32768.0, 32767.0))); }

}  // namespace

bool CmdListeVar(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  QString commentaire = ParamN(Lecture.ParamLigne, 1);
  QString liste;
  if (InStr(commentaire, MotCache) >= 2) {
    commentaire.replace(MotCache, MarqueMotCache);
    liste = BlocEnvironnement();
  }
  for (int i = 1; i <= nv.NbVar; ++i) {
    liste +=
        nv.NomsVar[static_cast<size_t>(i)] + QStringLiteral(" = ") + nv.ValeursVar[static_cast<size_t>(i)];
    liste += i % 4 == 0 ? CRLF : Tab;
  }
  if (nv.NbVar % 4 != 0) liste += CRLF;
  liste += CRLF + ListeVariables(niveau);

  const int ligne = HoteCourant()->Editeur()->LigneDePosition(nv.DebutInstr - 1) + 1;
  const QString titre =
      QStringLiteral("Morvo        ListeVar (n=%1  L=%2)  ").arg(nv.NbVar).arg(ligne) + CRLF + commentaire;
  if (Dialogues().MsgBox(liste, Boutons::OkAnnuler, titre) == Reponse::Annuler) {
    nv.ProfIf = 0;
    return true;
  }
  return false;
}

void CmdOptions(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  const QStringList champs = (Lecture.ParamLigne + QStringLiteral(",,,")).split(Lecture.SepParam);
  const auto champ = [&champs](int i) { return i <= champs.size() ? champs[i - 1] : QString(); };
  const QString cle = Trim(champ(1));
  const QString confirmation = Trim(champ(4));

  if (cle == QStringLiteral("Var")) {
    nv.MaxVar = 33;
    const int n = Entier16(ValeurOption(champ(2)));
    if (confirmation == QStringLiteral("OptMaxVar") && n >= 1) nv.MaxVar = std::min(n, MaxSlotsVar);
  } else if (cle == QStringLiteral("Plot") || cle == QStringLiteral("PlotP") ||
             cle == QStringLiteral("PlotS")) {
    constexpr double Plafond = std::numeric_limits<int32_t>::max();
    const double m = ArrondiPair(std::clamp(ValeurOption(champ(2)) * 1000, -Plafond, Plafond));
    nv.MaxPlot = confirmation == QStringLiteral("OptMaxPlot") && m >= 1 ? static_cast<int32_t>(m) : 50100;
  } else if (cle == QStringLiteral("MaxIf")) {
    nv.MaxIf = 2;
    const int n = Entier16(ValeurOption(champ(2)));
    if (confirmation == QStringLiteral("OptMaxIf") && n >= 1) nv.MaxIf = std::min(n, 4);
  }
}
