#include "interpreter/ArcScale.h"

#include <cmath>
#include <utility>

#include "drawing/Arcs.h"
#include "drawing/Cross.h"
#include "drawing/DrawState.h"
#include "drawing/Rotation.h"
#include "drawing/Segments.h"
#include "interpreter/Labels.h"
#include "interpreter/ScaleState.h"
#include "platform/EditorText.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "values/Colours.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;
constexpr double Pi = 3.14159265358979;
constexpr double Tour = 6.283185;
// From this pivot offset on, the "arc" is a straight horizontal line.
constexpr double DecalDroit = 10000;

double Champ(int n) { return LitParam(Lecture.ParamLigne, n).value_or(0.0); }

double Signe(double x) { return x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0); }

// A direction in degrees rounded to a hundredth and reduced below a full turn, in radians. The
// remainder keeps the dividend's sign, so a negative direction stays negative.
double CentiemesDeTour(double degres) {
  const int32_t centiemes = VersEntier32(degres * 100);
  return (centiemes % 36000) * DegresEnRadians / 100;
}

// One turn added or taken away, once.
double UnTour(double a) {
  if (a < 0) return a + Tour;
  if (a > Tour) return a - Tour;
  return a;
}

double Quotient(double a, double b) {
  if (b == 0) LeveErreurExecution(QStringLiteral("division by zero"));
  return a / b;
}

// The pivot's circle must meet the ray: an argument beyond ±1 means a pivot too far off the arc.
double ArcSinBorne(double x) {
  if (!(std::fabs(x) <= 1)) LeveErreurExecution(QStringLiteral("invalid procedure call"));
  return ArcSin(x);
}

// A number of the generated command, always with "." as its decimal point.
QString Nombre(double v, const QString& motif) { return FormatPoint(v, motif); }

// Replaces the statement's text from the separator before its "?" to its end by the generated
// command as a comment, and resumes the level after the edited line.
void RemplaceDansEditeur(int niveau, const QString& commande) {
  NiveauProg& nv = Niveau(niveau);
  const QString brut = Mid(nv.Texte, nv.DebutInstr, nv.FinInstr - nv.DebutInstr);
  const int question = InStr(brut, QStringLiteral("?"));
  if (question == 0) return;
  int separateur = InStrRev(Left(brut, question - 1), Lecture.SepParam);
  if (separateur == 0) separateur = question;
  const int debut = nv.DebutInstr + separateur - 2;  // 0-based in the editor
  RecritInstruction(niveau, debut, nv.FinInstr - 1 - debut, QStringLiteral("  '") + commande);
}

// Field 5 of an arc drawn about an offset pivot: the equivalent command into the editor or a
// variable, or the arc's length into a variable.
void SortieChamp5(int niveau, double cx, double cy, double px, double py, double ex, double ey) {
  Lecture.PosEgal = 0;
  const QString f = Trim(ParamBrutN(Lecture.ParamLigne, 5));
  if (f.isEmpty() || Echelle.DecalPivot == 0) return;

  QString commande;
  if (std::fabs(Echelle.DecalPivot) < DecalDroit) {
    commande = QStringLiteral("Cercle = ") +
               Nombre(Echelle.PivotX - Repere.OrigineX - Repere.CTx, QStringLiteral("##0.##")) +
               QStringLiteral(", ") +
               Nombre(Echelle.PivotY - Repere.OrigineY - Repere.CTy, QStringLiteral("##0.##")) +
               QStringLiteral(", ") + Nombre(Echelle.ArcRayonDebut, QStringLiteral(" ##0.##")) +
               QStringLiteral(", ") + Nombre(Echelle.ArcRadFin / DegresEnRadians, QStringLiteral("##0.##")) +
               QStringLiteral(", ") + Nombre(Echelle.ArcRadDebut / DegresEnRadians, QStringLiteral("##0.##"));
  } else {
    const double r = -Echelle.AngleCmdRad, c = std::cos(r), s = std::sin(r);
    auto tourneX = [&](double x, double y) { return c * (x - cx) + s * (y - cy); };
    auto tourneY = [&](double x, double y) { return -s * (x - cx) + c * (y - cy); };
    commande = QStringLiteral("Trait = ") + Nombre(tourneX(px, py), QStringLiteral("##0.##")) +
               QStringLiteral(", ") + Nombre(tourneY(px, py), QStringLiteral(" ##0.##")) +
               QStringLiteral(", ") + Nombre(tourneX(ex, ey), QStringLiteral("##0.##")) +
               QStringLiteral(", ") + Nombre(tourneY(ex, ey), QStringLiteral("##0.##"));
  }

  if (f == QStringLiteral("?")) {
    if (niveau == 1) RemplaceDansEditeur(niveau, commande);
    return;
  }
  if (!f.startsWith(QLatin1Char('%'))) return;
  if (UCase(f) == QStringLiteral("%CMD")) {
    const int slot = IndiceVariable(QStringLiteral("%CMD"), niveau);
    if (slot > 0) {
      Niveau(niveau).ValeursVar[static_cast<size_t>(slot)] = commande;
    } else {
      AffecteVariable(QStringLiteral("%CMD"), commande);
    }
    return;
  }
  QString nom = NomCommande(f);
  int n = niveau;
  StockeVariable(n, nom, std::fabs((Echelle.ArcRadDebut - Echelle.ArcRadFin) * Echelle.ArcRayonDebut));
}

}  // namespace

void CmdArc(int niveau) {
  double a1 = Champ(1);
  double a2 = Champ(2);
  Echelle.ArcAngleDebut = a1;
  Echelle.ArcAngleFin = a2;
  double x = 0, y = 0;
  RotationXY(ParamN(Lecture.ParamLigne, 2), x, y);
  const double r = Champ(3);
  Echelle.VTrav7 = r;
  Echelle.ArcRayonDonne = r;

  const QString champCouleur = Trim(ParamN(Lecture.ParamLigne, 4));
  Encre.CouleurCmd = champCouleur.isEmpty()
                         ? Encre.CouleurCourante
                         : static_cast<int32_t>(ValeurCouleur(ParamN(Lecture.ParamLigne, -4)));
  Echelle.EchelleTracee = UCase(champCouleur) != QStringLiteral("N");
  Echelle.AngleCmd = -Rotation.AngRotDeg;
  Echelle.AngleCmdRad = Echelle.AngleCmd * DegresEnRadians;

  // A zero angle takes the side of the other end, so that the start and end directions differ.
  if (a1 == 0) a1 = Signe(a2) * 1e-6;
  if (a2 == 0) a2 = Signe(a1) * 1e-6;
  Echelle.ArcAngleDebut = a1;
  Echelle.ArcAngleFin = a2;

  const double cx = Repere.OrigineX + Repere.CTx, cy = Repere.OrigineY + Repere.CTy;
  const bool trace = Echelle.EchelleTracee && Encre.CouleurCmd != -1;
  double px = 0, py = 0, ex = 0, ey = 0;

  if (Echelle.DecalPivot == 0) {
    Echelle.ArcRayonDebut = r;
    Echelle.ArcRadDebut = CentiemesDeTour(540 - a1 + Echelle.AngleCmd);
    Echelle.ArcRadFin = CentiemesDeTour(540 - a2 + Echelle.AngleCmd);
    if (a1 > a2) std::swap(Echelle.ArcRadDebut, Echelle.ArcRadFin);
    if (trace) {
      if (Plume.TiretL1 != 0) {
        TraceArc(cx, cy - Echelle.DecalPivot, Echelle.ArcRayonDebut, Encre.CouleurCmd, Echelle.ArcRadFin,
                 Echelle.ArcRadDebut, 1, Echelle.ArcRayonDebut, Echelle.ArcRayonDebut, -1);
      } else {
        Sortie->Circle(cx, cy, Echelle.ArcRayonDebut, static_cast<uint32_t>(Encre.CouleurCmd),
                       Echelle.ArcRadFin, Echelle.ArcRadDebut);
      }
    }
  } else {
    double d = Echelle.DecalPivot;
    if (std::fabs(a2 - a1) > 200 && std::fabs(d) > std::fabs(r) * 0.5) {
      d = Signe(d) * 0.5 * std::fabs(r);
      Echelle.DecalPivot = d;
    }
    Echelle.ArcRayonDebut = DistanceCosinus(d, r, a1);

    double debut = 0;
    if (a1 == 90) {
      debut = Echelle.AngleCmdRad + Pi / 2;
    } else if (a1 == -90) {
      debut = Echelle.AngleCmdRad + 4.712388980384685;
    } else {
      const double s = std::sin(a1 * DegresEnRadians), c = std::cos(a1 * DegresEnRadians);
      const double t = std::atan(Quotient(d + r * s, r * c));
      if (std::fabs(a1) < 90) {
        debut = Echelle.AngleCmdRad + Pi - t;
      } else if (a1 <= 180) {
        debut = Echelle.AngleCmdRad - t;
      } else if (a1 >= 270) {
        debut = Echelle.AngleCmdRad + Pi - t;
      } else {
        debut = Echelle.AngleCmdRad + Tour - t;
      }
    }
    Echelle.ArcRadDebut = UnTour(debut);
    const double sinus = Quotient(d * std::sin(a2 * DegresEnRadians + Pi / 2), Echelle.ArcRayonDebut);
    const double asin = std::fabs(d) < DecalDroit ? ArcSinBorne(sinus) : ArcSin(sinus);
    Echelle.ArcRadFin = UnTour(Echelle.AngleCmdRad + Pi - a2 * DegresEnRadians - asin);

    if (std::fabs(d) >= DecalDroit) {
      Echelle.DecalPivot = std::fabs(d);
      px = cx - r * std::cos(a1 * DegresEnRadians);
      py = cy + r * std::sin(a1 * DegresEnRadians);
      ex = cx + r * std::sin(a1 * DegresEnRadians) * std::tan((a2 - 90) * DegresEnRadians);
      ey = py;
      if (Echelle.EchelleTracee) {
        TraceSegment(static_cast<float>(px), static_cast<float>(py), static_cast<float>(ex),
                     static_cast<float>(ey), Echelle.AngleCmd, Encre.CouleurCmd);
      }
    } else {
      if (a1 > a2) std::swap(Echelle.ArcRadDebut, Echelle.ArcRadFin);
      Echelle.PivotX = cx + std::sin(Echelle.AngleCmdRad) * d;
      Echelle.PivotY = cy - std::cos(Echelle.AngleCmdRad) * d;
      // The pivot's mark shows even on an undrawn arc.
      if (!Echelle.CouleurPivot.EstVide()) {
        TraceCroix(Echelle.PivotX, Echelle.PivotY, 1, -Echelle.AngleCmdRad,
                   static_cast<int32_t>(Echelle.CouleurPivot), 1);
      }
      if (trace) {
        if (std::fabs(a2 - a1) >= 359) {
          Echelle.ArcRadDebut = CentiemesDeTour(Echelle.ArcRadDebut / DegresEnRadians);
          Echelle.ArcRadFin = CentiemesDeTour(Echelle.ArcRadFin / DegresEnRadians);
        }
        if (Plume.TiretL1 == 0) {
          Sortie->Circle(Echelle.PivotX, Echelle.PivotY, Echelle.ArcRayonDebut,
                         static_cast<uint32_t>(Encre.CouleurCmd), Echelle.ArcRadFin, Echelle.ArcRadDebut);
        } else {
          TraceArc(cx, cy - d, Echelle.ArcRayonDebut, Encre.CouleurCmd, Echelle.ArcRadFin,
                   Echelle.ArcRadDebut, 1, Echelle.ArcRayonDebut, Echelle.ArcRayonDebut, -1);
        }
      }
    }
  }

  SortieChamp5(niveau, cx, cy, px, py, ex, ey);

  Echelle.DroiteX1 = Echelle.DroiteX2 = Echelle.DroiteY1 = Echelle.DroiteY2 = 0;
  const double ox = Repere.OrigineX + Repere.CTx, oy = Repere.OrigineY + Repere.CTy;
  Repere.XCourant = static_cast<float>(ox);
  Repere.YCourant = static_cast<float>(oy);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
  RotationCourant(-Echelle.AngleCmd);
}

void CmdExposant(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  if (UCase(Trim(ParamN(Lecture.ParamLigne, 1))) != QStringLiteral("L")) {
    nv.Exposant = VersSingle(Quotient(1.0, Champ(1)));
    nv.EchelleLog = false;
    return;
  }
  nv.Exposant = 0;
  Echelle.LogDecades = VersEntier16(Champ(2));
  Echelle.LogDebut = VersSingle(Champ(3));
  if (Echelle.LogDebut == 0) Echelle.LogDebut = 1.0f;
  Echelle.LogFin = VersSingle(Champ(4));
  if (Echelle.LogFin == 0) Echelle.LogFin = 1.0f;
  if (Echelle.LogDebut == 1 && Echelle.LogFin == 1 && Echelle.LogDecades == 0) Echelle.LogDecades = 1;
  nv.EchelleLog = true;
  if (Echelle.LogDebut < 0 || Echelle.LogFin < 0)
    LeveErreurExecution(QStringLiteral("invalid procedure call"));
  Echelle.LogDecadesTotal = VersSingle(
      (std::log(Echelle.LogFin) - std::log(Echelle.LogDebut)) / std::log(10.0) + Echelle.LogDecades);
}

void CmdInversion() {
  if (NbParams(Lecture.ParamLigne) < 1) {
    Echelle.SensInversion = static_cast<int16_t>(-Echelle.SensInversion);
    return;
  }
  const int16_t k = VersEntier16(Champ(1));
  if (k == 1 || k == -1) {
    Echelle.SensInversion = k;
  } else {
    Echelle.SensInversion = static_cast<int16_t>(-Echelle.SensInversion);
  }
}
