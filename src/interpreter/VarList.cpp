#include "interpreter/VarList.h"

#include <QDate>
#include <QLocale>
#include <algorithm>
#include <vector>

#include "drawing/DrawState.h"
#include "platform/FileNames.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

const QString Tab = QStringLiteral("\t");
const QString Crlf = QStringLiteral("\r\n");
const QString TroisTabs = QStringLiteral("\t\t\t");

QString Entree(const QString& nom, const QString& valeur) {
  return nom + Tab + QStringLiteral("= ") + valeur;
}

int DernierSeparateur(const QString& chemin) {
  return std::max(InStrRev(chemin, QStringLiteral("/")), InStrRev(chemin, QStringLiteral("\\")));
}

QString NomSeul(const QString& chemin) { return Mid(chemin, DernierSeparateur(chemin) + 1); }

QString Dossier(const QString& chemin) {
  const int p = DernierSeparateur(chemin);
  return p > 0 ? Left(chemin, p) : chemin;
}

QString TexteOrigine(const std::optional<double>& v) { return v ? TexteNombre(*v) : QString(); }

}  // namespace

QString ListeVariables(int niveau) {
  const NiveauProg& r = Niveau(niveau);
  const bool imprimante = !SortieEstEcran();
  QString t;

  t += Entree(QStringLiteral("%iRec"), QString::number(niveau)) + TroisTabs +
       Entree(QStringLiteral("%Date"), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)) + Crlf;

  // Names keep the system's bytes, which need not be UTF-8: the message shows those escaped.
  t += Entree(QStringLiteral("%File"), NomLisible(NomSeul(niveau == 1 ? Shell.NomFichier : r.Fichier))) +
       QStringLiteral("\t\t") + Entree(QStringLiteral("%Path"), NomLisible(Dossier(Shell.RepCourant))) + Crlf;

  const QString fil1 = niveau != 1 ? NomSeul(Shell.NomFichier) : QString();
  t += Entree(QStringLiteral("%Fil1"), fil1) + QStringLiteral("\t\t");
  if (fil1.isEmpty()) t += Tab;
  t += (r.FicDonnees.isEmpty() ? Entree(QStringLiteral("%EOF"), QStringLiteral("1"))
                               : QStringLiteral("%EOF = 0")) +
       Crlf;

  const QString police = Sortie != nullptr ? Trim(Sortie->Font.Name) : QString();
  t += Entree(QStringLiteral("%TaP"), TexteNombre(Lettrage.TailleTexte * r.FacteurTailleP)) + TroisTabs +
       Entree(QStringLiteral("%Pol"), police) + Crlf;

  const double epaisseur = ArrondiPair(MmParPixel() * r.FacteurEpaisT * 100.0) / 100.0;
  const int32_t c = Encre.CouleurCourante;
  const QString rvb = QStringLiteral("RVB ") + Format(c & 255, QStringLiteral("000")) + u' ' +
                      Format((c / 256) & 255, QStringLiteral("000")) + u' ' +
                      Format(c / 65536, QStringLiteral("000"));
  t += Entree(QStringLiteral("%EpT"), TexteNombreLocal(epaisseur)) + TroisTabs +
       Entree(QStringLiteral("%Coul"), rvb) + Crlf;

  t += Entree(QStringLiteral("%CEx"), TexteOrigine(r.OrigineX)) + TroisTabs +
       Entree(QStringLiteral("%CEy"), TexteOrigine(r.OrigineY)) + Crlf;

  t += Entree(QStringLiteral("%CTx"), TexteNombre(Repere.CTx)) + TroisTabs +
       Entree(QStringLiteral("%CTy"), TexteNombre(Repere.CTy)) + Crlf;

  t += Entree(QStringLiteral("%Zoom"), StrNombre(imprimante ? Shell.FacteurImpression : Shell.ZoomCourant)) +
       TroisTabs + Entree(QStringLiteral("%Imp"), imprimante ? QStringLiteral("1") : QStringLiteral("0")) +
       Crlf;

  // AngRotDefaut is kept negated; 0 - x avoids showing a negative zero.
  t += Entree(QStringLiteral("%AR0"), TexteNombre(0.0f - Rotation.AngRotDefaut)) + Crlf;
  t += Crlf;

  const int nb = std::min(r.NbVar, MaxSlotsVar);
  std::vector<int> ordre;
  for (int i = 1; i <= nb; ++i) ordre.push_back(i);
  std::stable_sort(ordre.begin(), ordre.end(),
                   [&r](int a, int b) { return QString::compare(r.NomsVar[a], r.NomsVar[b]) < 0; });
  for (int i : ordre) t += Entree(r.NomsVar[i], r.ValeursVar[i]) + Crlf;
  return t;
}
