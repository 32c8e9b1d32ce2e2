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

double Champ(int n) { return LitParam(ParamLigne, n).value_or(0.0); }

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
QString Nombre(double v, const QString& motif) {
  return Replace(Format(v, motif), QStringLiteral(","), QStringLiteral("."));
}

// Replaces the statement's text from the separator before its "?" to its end by the generated
// command as a comment, and resumes the level after the edited line.
void RemplaceDansEditeur(int niveau, const QString& commande) {
  NiveauProg& nv = Niveau(niveau);
  const QString brut = Mid(nv.Texte, nv.DebutInstr, nv.FinInstr - nv.DebutInstr);
  const int question = InStr(brut, QStringLiteral("?"));
  if (question == 0) return;
  int separateur = InStrRev(Left(brut, question - 1), SepParam);
  if (separateur == 0) separateur = question;
  const int debut = nv.DebutInstr + separateur - 2;  // 0-based in the editor
  const int longueur = nv.FinInstr - 1 - debut;
  const QString remplacement = QStringLiteral("  '") + commande;

  EditeurTexte* ed = HoteCourant()->Editeur();
  ed->SetSelStart(debut);
  ed->SetSelLength(longueur);
  ed->SuiviModif = false;
  ed->SetSelText(remplacement);
  ed->SuiviModif = true;
  DecaleIndex(niveau, nv.FinInstr, static_cast<int32_t>(remplacement.size()) - longueur);
  nv.Texte = ed->Text();
  nv.FinInstr = nv.DebutInstr + ed->LongueurLigne(nv.DebutInstr - 1);
  nv.PosLecture = nv.FinInstr + 2;
  ed->ColoreInstruction();
}

// Field 5 of an arc drawn about an offset pivot: the equivalent command into the editor or a
// variable, or the arc's length into a variable.
void SortieChamp5(int niveau, double cx, double cy, double px, double py, double ex, double ey) {
  PosEgal = 0;
  const QString f = Trim(ParamBrutN(ParamLigne, 5));
  if (f.isEmpty() || DecalPivot == 0) return;

  QString commande;
  if (std::fabs(DecalPivot) < DecalDroit) {
    commande = QStringLiteral("Cercle = ") + Nombre(PivotX - OrigineX - CTx, QStringLiteral("##0.##")) +
               QStringLiteral(", ") + Nombre(PivotY - OrigineY - CTy, QStringLiteral("##0.##")) +
               QStringLiteral(", ") + Nombre(ArcRayonDebut, QStringLiteral(" ##0.##")) +
               QStringLiteral(", ") + Nombre(ArcRadFin / DegresEnRadians, QStringLiteral("##0.##")) +
               QStringLiteral(", ") + Nombre(ArcRadDebut / DegresEnRadians, QStringLiteral("##0.##"));
  } else {
    const double r = -AngleCmdRad, c = std::cos(r), s = std::sin(r);
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
  StockeVariable(n, nom, std::fabs((ArcRadDebut - ArcRadFin) * ArcRayonDebut));
}

}  // namespace

void CmdArc(int niveau) {
  double a1 = Champ(1);
  double a2 = Champ(2);
  ArcAngleDebut = a1;
  ArcAngleFin = a2;
  double x = 0, y = 0;
  RotationXY(ParamN(ParamLigne, 2), x, y);
  const double r = Champ(3);
  VTrav7 = r;
  ArcRayonDonne = r;

  const QString champCouleur = Trim(ParamN(ParamLigne, 4));
  CouleurCmd =
      champCouleur.isEmpty() ? CouleurCourante : static_cast<int32_t>(ValeurCouleur(ParamN(ParamLigne, -4)));
  EchelleTracee = UCase(champCouleur) != QStringLiteral("N");
  AngleCmd = -AngRotDeg;
  AngleCmdRad = AngleCmd * DegresEnRadians;

  // A zero angle takes the side of the other end, so that the start and end directions differ.
  if (a1 == 0) a1 = Signe(a2) * 1e-6;
  if (a2 == 0) a2 = Signe(a1) * 1e-6;
  ArcAngleDebut = a1;
  ArcAngleFin = a2;

  const double cx = OrigineX + CTx, cy = OrigineY + CTy;
  const bool trace = EchelleTracee && CouleurCmd != -1;
  double px = 0, py = 0, ex = 0, ey = 0;

  if (DecalPivot == 0) {
    ArcRayonDebut = r;
    ArcRadDebut = CentiemesDeTour(540 - a1 + AngleCmd);
    ArcRadFin = CentiemesDeTour(540 - a2 + AngleCmd);
    if (a1 > a2) std::swap(ArcRadDebut, ArcRadFin);
    if (trace) {
      if (TiretL1 != 0) {
        TraceArc(cx, cy - DecalPivot, ArcRayonDebut, CouleurCmd, ArcRadFin, ArcRadDebut, 1, ArcRayonDebut,
                 ArcRayonDebut, -1);
      } else {
        Sortie->Circle(cx, cy, ArcRayonDebut, static_cast<uint32_t>(CouleurCmd), ArcRadFin, ArcRadDebut);
      }
    }
  } else {
    double d = DecalPivot;
    if (std::fabs(a2 - a1) > 200 && std::fabs(d) > std::fabs(r) * 0.5) {
      d = Signe(d) * 0.5 * std::fabs(r);
      DecalPivot = d;
    }
    ArcRayonDebut = DistanceCosinus(d, r, a1);

    double debut = 0;
    if (a1 == 90) {
      debut = AngleCmdRad + Pi / 2;
    } else if (a1 == -90) {
      debut = AngleCmdRad + 4.712388980384685;
    } else {
      const double s = std::sin(a1 * DegresEnRadians), c = std::cos(a1 * DegresEnRadians);
      const double t = std::atan(Quotient(d + r * s, r * c));
      if (std::fabs(a1) < 90) {
        debut = AngleCmdRad + Pi - t;
      } else if (a1 <= 180) {
        debut = AngleCmdRad - t;
      } else if (a1 >= 270) {
        debut = AngleCmdRad + Pi - t;
      } else {
        debut = AngleCmdRad + Tour - t;
      }
    }
    ArcRadDebut = UnTour(debut);
    const double sinus = Quotient(d * std::sin(a2 * DegresEnRadians + Pi / 2), ArcRayonDebut);
    const double asin = std::fabs(d) < DecalDroit ? ArcSinBorne(sinus) : ArcSin(sinus);
    ArcRadFin = UnTour(AngleCmdRad + Pi - a2 * DegresEnRadians - asin);

    if (std::fabs(d) >= DecalDroit) {
      DecalPivot = std::fabs(d);
      px = cx - r * std::cos(a1 * DegresEnRadians);
      py = cy + r * std::sin(a1 * DegresEnRadians);
      ex = cx + r * std::sin(a1 * DegresEnRadians) * std::tan((a2 - 90) * DegresEnRadians);
      ey = py;
      if (EchelleTracee) {
        TraceSegment(static_cast<float>(px), static_cast<float>(py), static_cast<float>(ex),
                     static_cast<float>(ey), AngleCmd, CouleurCmd);
      }
    } else {
      if (a1 > a2) std::swap(ArcRadDebut, ArcRadFin);
      PivotX = cx + std::sin(AngleCmdRad) * d;
      PivotY = cy - std::cos(AngleCmdRad) * d;
      // The pivot's mark shows even on an undrawn arc.
      if (!CouleurPivot.EstVide()) {
        TraceCroix(PivotX, PivotY, 1, -AngleCmdRad, static_cast<int32_t>(CouleurPivot), 1);
      }
      if (trace) {
        if (std::fabs(a2 - a1) >= 359) {
          ArcRadDebut = CentiemesDeTour(ArcRadDebut / DegresEnRadians);
          ArcRadFin = CentiemesDeTour(ArcRadFin / DegresEnRadians);
        }
        if (TiretL1 == 0) {
          Sortie->Circle(PivotX, PivotY, ArcRayonDebut, static_cast<uint32_t>(CouleurCmd), ArcRadFin,
                         ArcRadDebut);
        } else {
          TraceArc(cx, cy - d, ArcRayonDebut, CouleurCmd, ArcRadFin, ArcRadDebut, 1, ArcRayonDebut,
                   ArcRayonDebut, -1);
        }
      }
    }
  }

  SortieChamp5(niveau, cx, cy, px, py, ex, ey);

  DroiteX1 = DroiteX2 = DroiteY1 = DroiteY2 = 0;
  const double ox = OrigineX + CTx, oy = OrigineY + CTy;
  XCourant = static_cast<float>(ox);
  YCourant = static_cast<float>(oy);
  Sortie->CurrentX = XCourant;
  Sortie->CurrentY = YCourant;
  RotationCourant(-AngleCmd);
}

void CmdExposant(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  if (UCase(Trim(ParamN(ParamLigne, 1))) != QStringLiteral("L")) {
    nv.Exposant = VersSingle(Quotient(1.0, Champ(1)));
    nv.EchelleLog = false;
    return;
  }
  nv.Exposant = 0;
  LogDecades = VersEntier16(Champ(2));
  LogDebut = VersSingle(Champ(3));
  if (LogDebut == 0) LogDebut = 1.0f;
  LogFin = VersSingle(Champ(4));
  if (LogFin == 0) LogFin = 1.0f;
  if (LogDebut == 1 && LogFin == 1 && LogDecades == 0) LogDecades = 1;
  nv.EchelleLog = true;
  if (LogDebut < 0 || LogFin < 0) LeveErreurExecution(QStringLiteral("invalid procedure call"));
  LogDecadesTotal = VersSingle((std::log(LogFin) - std::log(LogDebut)) / std::log(10.0) + LogDecades);
}

void CmdInversion() {
  if (NbParams(ParamLigne) < 1) {
    SensInversion = static_cast<int16_t>(-SensInversion);
    return;
  }
  const int16_t k = VersEntier16(Champ(1));
  if (k == 1 || k == -1) {
    SensInversion = k;
  } else {
    SensInversion = static_cast<int16_t>(-SensInversion);
  }
}
