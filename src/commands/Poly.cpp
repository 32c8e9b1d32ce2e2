#include <QScopeGuard>
#include <QString>
#include <QStringList>

#include "commands/Commands.h"
#include "commands/PlotData.h"
#include "drawing/Device.h"
#include "drawing/DrawState.h"
#include "drawing/Pen.h"
#include "drawing/Points.h"
#include "drawing/Rotation.h"
#include "drawing/Segments.h"
#include "platform/Events.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"
#include "values/Colours.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr double Pi = 3.14159265358979;
constexpr double DegresEnRadians = 0.017453293;
// Vertices 1 to 1000 of one polygon.
constexpr int MaxSommets = 1000;
constexpr int LignesEntreAttentes = 4096;

void Sommet(int n, double x, double y, double angle) {
  if (n > MaxSommets)
    ErreurRun(QStringLiteral("%1 sommets au plus / at most %1 vertices\r\n\r\n").arg(MaxSommets));
  PointPoly(n, x, y, Sommets.CentrePolyX, Sommets.CentrePolyY, angle, Rotation.AngRotDeg);
}

// The n vertices of PtsPoly: filled, a dot, or a line closed back to vertex 1 when asked.
void DessinePolygone(int n, bool plein, bool ferme) {
  if (Encre.CouleurCmd == -1 || n == 0) return;
  if (plein && n >= 3) {
    RemplitPolygone(1, n, Encre.CouleurCmd);
    return;
  }
  const float ox = static_cast<float>(Repere.OrigineX + Repere.CTx),
              oy = static_cast<float>(Repere.OrigineY + Repere.CTy);
  auto segment = [&](int a, int b) {
    const PointXY& p = Sommets.PtsPoly[static_cast<size_t>(a)];
    const PointXY& q = Sommets.PtsPoly[static_cast<size_t>(b)];
    TraceSegment(p.x + ox, p.y + oy, q.x + ox, q.y + oy, 0, Encre.CouleurCmd);
  };
  if (n == 1) {
    segment(1, 1);
    return;
  }
  for (int i = 2; i <= n; ++i) segment(i - 1, i);
  if (ferme) segment(n, 1);
}

// A sub-field's value by the evaluator, nullopt when it is absent or blank.
std::optional<double> SousChamp(const QStringList& parts, int i) {
  if (parts.size() <= i || Trim(parts[i]).isEmpty()) return std::nullopt;
  QString texte = parts[i];
  return Calcule(texte).value_or(0.0);
}

void FormeParametres(bool plein) {
  const QStringList echelle = ParamN(Lecture.ParamLigne, 1).split(Lecture.SepSousParam);
  if (const auto fx = SousChamp(echelle, 1)) Plume.FacteurTraitX = *fx == 0 ? 1.0f : VersSingle(*fx);
  if (const auto fy = SousChamp(echelle, 2)) Plume.FacteurTraitY = *fy == 0 ? 1.0f : VersSingle(*fy);

  int n = 0;
  double angle = 0;
  do {
    ++n;
    double x = 0, y = 0;
    LitPoint(x, y, Lecture.ParamLigne, 1, Repere.XRot, Repere.YRot);
    const QString champY = ParamN(Lecture.ParamLigne, 2);
    if (Trim(ParamN(Lecture.ParamLigne, 1)).isEmpty()) x = Repere.XRot;
    if (Trim(champY).isEmpty() || LTrim(champY).startsWith(Lecture.SepSousParam)) y = Repere.YRot;
    if (n == 1) {
      const QStringList parts = champY.split(Lecture.SepSousParam);
      angle = -SousChamp(parts, 1).value_or(0.0) * Pi / 180;
      if (parts.size() > 2)
        Rotation.AngRotDeg = VersSingle(-LitParam(parts[2], 1).value_or(0.0));
      else
        Rotation.AngRotDeg = Rotation.AngRotDefaut;
      Rotation.AngRotRad = static_cast<float>(Rotation.AngRotDeg * DegresEnRadians);
      Sommets.CentrePolyX = static_cast<float>(x);
      Sommets.CentrePolyY = static_cast<float>(y);
    }
    Repere.XRot = static_cast<float>(x);
    Repere.YRot = static_cast<float>(y);
    Sommet(n, x, y, angle);
    ResteParams(Lecture.ParamLigne, 2);
  } while (!Lecture.ParamLigne.isEmpty());

  if (n < 3) ErreurSurChamp(0, QString::number(n), TexteMsg(TexteRaison::Limites).arg(3).arg(MaxSommets));
  DessinePolygone(n, plein, true);
}

// One coordinate of a point line: "R" or "r" at its end adds it to the previous one.
double Coordonnee(const QString& texte, double precedent, const QString& ligne) {
  const QString t = RTrim(texte);
  if (t.endsWith(QLatin1Char('R')) || t.endsWith(QLatin1Char('r'))) {
    QString sansR = t;
    sansR.remove(QLatin1Char('R')).remove(QLatin1Char('r'));
    return precedent + ValeurCalculee(sansR, ligne);
  }
  return ValeurCalculee(texte, ligne);
}

void FormeFichier(bool plein) {
  QString champ = Trim(ParamN(Lecture.ParamLigne, 2));
  double angle = 0;
  if (const int p = InStr(champ, Lecture.SepSousParam); p > 0) {
    QString texteAngle = Mid(champ, p + static_cast<int>(Lecture.SepSousParam.size()));
    angle = -Calcule(texteAngle).value_or(0.0) * Pi / 180;
    champ = Left(champ, p - 1);
  }
  const QString nom = Trim(champ);
  if (nom.isEmpty()) ErreurRun(QStringLiteral("FIC : nom de fichier manquant / file name missing\r\n\r\n"));
  // The file is read as the polygons need it: a file that passes the vertex limit stops there.
  const QString chemin = CheminFichierPlot(nom, NiveauCourant);
  LecteurLignes lecteur;
  lecteur.OuvrePourLeRun(chemin);

  Rotation.AngRotDeg = Rotation.AngRotDefaut;
  Rotation.AngRotRad = static_cast<float>(Rotation.AngRotDeg * DegresEnRadians);

  const QString marque = QStringLiteral("'EOD");
  qint64 i = 0;
  do {
    int n = 0;
    double xPrec = 0, yPrec = 0;
    while (!lecteur.Fin()) {
      const QString ligne = lecteur.Suivante();
      if (++i % LignesEntreAttentes == 0) {
        DoEvents();
        if (Arret) ErreurRun();
      }
      const int eod = InStr(ligne, marque);
      if (eod >= 1 && eod <= 29) break;
      if (ligne.startsWith(QLatin1Char('\''))) continue;
      QString point = ligne;
      point.replace(QLatin1Char(','), QLatin1Char('.'));
      if (Trim(point).size() <= 2) continue;
      const int p = InStr(point, QStringLiteral(";"));
      if (p == 0) ErreurLigneDonnees(ligne, QStringLiteral("« ; » manquant / missing"));
      QString texteY = Mid(point, p + 1);
      if (const int q = InStr(texteY, QStringLiteral(";")); q > 0) texteY = Left(texteY, q - 1);
      const double x = Coordonnee(Left(point, p - 1), xPrec, ligne);
      const double y = Coordonnee(texteY, yPrec, ligne);
      ++n;
      if (n == 1) {
        Sommets.CentrePolyX = static_cast<float>(x);
        Sommets.CentrePolyY = static_cast<float>(y);
      }
      Sommet(n, x, y, angle);
      xPrec = x;
      yPrec = y;
    }
    DessinePolygone(n, plein, false);
  } while (!lecteur.Fin());
}

}  // namespace

void TracePoly() {
  if (Trim(Lecture.ParamLigne).isEmpty()) return;
  const bool plein = UCase(Trim(Niveau(NiveauCourant).MotCle)) == QStringLiteral("POLYP");
  AjouteOrdre(OrdreDessin);
  Sommets.PtsPoly.assign(MaxSommets + 1, PointXY());
  Sommets.PtsPolygone.assign(MaxSommets + 1, QPoint());
  GardeEpaisT style;
  const auto remise = qScopeGuard([] {
    Sortie->FillStyle = 1;
    Plume.FacteurTraitX = 1.0f;
    Plume.FacteurTraitY = 1.0f;
    Sommets.PtsPoly.clear();
    Sommets.PtsPolygone.clear();
  });

  if (NbParams(Lecture.ParamLigne) % 2 == 1) {
    const QString champ = ParamN(Lecture.ParamLigne, 1);
    const int p = InStr(champ, Lecture.SepSousParam);
    const CouleurLue lue = ValeurCouleur(p > 0 ? Left(champ, p - 1) : champ);
    Encre.CouleurCmd = lue.EstVide() ? Encre.CouleurCourante : static_cast<int32_t>(lue);
    if (p > 0) {
      style.Applique(Mid(champ, p + static_cast<int>(Lecture.SepSousParam.size())));
    }
    ResteParams(Lecture.ParamLigne, 1);
  } else {
    Encre.CouleurCmd = Encre.CouleurCourante;
  }

  if (UCase(Trim(ParamN(Lecture.ParamLigne, 1))) == QStringLiteral("FIC"))
    FormeFichier(plein);
  else
    FormeParametres(plein);

  const PointXY& premier = Sommets.PtsPoly[1];
  Repere.XCourant = static_cast<float>(premier.x + Repere.OrigineX + Repere.CTx);
  Repere.YCourant = static_cast<float>(premier.y + Repere.OrigineY + Repere.CTy);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
  RotationCourant(Rotation.AngRotDeg);
}
