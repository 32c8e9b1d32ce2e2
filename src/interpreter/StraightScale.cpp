#include "interpreter/StraightScale.h"

#include <cmath>

#include "drawing/DrawState.h"
#include "drawing/Rotation.h"
#include "drawing/Segments.h"
#include "interpreter/ScaleState.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "values/Colours.h"
#include "values/Fields.h"
#include "values/Insertions.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;

double Champ(int n) { return LitParam(Lecture.ParamLigne, n).value_or(0.0); }

}  // namespace

void CmdDroite(bool verticale) {
  const double debut = Champ(1);
  double fin = Champ(2);
  const QString champFin = ParamN(Lecture.ParamLigne, 2);
  // "R" ends the value itself, before any rotation sub-field.
  if (UCase(Right(Trim(AvantSousSep(champFin)), 1)) == QStringLiteral("R")) fin += debut;
  double x = 0, y = 0;
  RotationXY(champFin, x, y);
  Echelle.VTrav7 = Champ(3);

  const QString champCouleur = Trim(ParamN(Lecture.ParamLigne, 4));
  Encre.CouleurCmd = champCouleur.isEmpty()
                         ? Encre.CouleurCourante
                         : static_cast<int32_t>(ValeurCouleur(ParamN(Lecture.ParamLigne, -4)));
  Echelle.AngleCmd = -Rotation.AngRotDeg;
  Echelle.AngleCmdRad = Echelle.AngleCmd * DegresEnRadians;
  Echelle.EchelleTracee = UCase(champCouleur) != QStringLiteral("N");

  const double cx = Repere.OrigineX + Repere.CTx, cy = Repere.OrigineY + Repere.CTy;
  if (Echelle.EchelleTracee) {
    if (verticale) {
      TraceSegment(static_cast<float>(cx + Echelle.VTrav7), static_cast<float>(cy + debut),
                   static_cast<float>(cx + Echelle.VTrav7), static_cast<float>(cy + fin), Echelle.AngleCmd,
                   Encre.CouleurCmd);
    } else {
      TraceSegment(static_cast<float>(cx + debut), static_cast<float>(cy + Echelle.VTrav7),
                   static_cast<float>(cx + fin), static_cast<float>(cy + Echelle.VTrav7), Echelle.AngleCmd,
                   Encre.CouleurCmd);
    }
  }

  Echelle.DecalPivot = Echelle.ArcAngleDebut = Echelle.ArcAngleFin = 0;
  if (verticale) {
    Echelle.DroiteY1 = debut;
    Echelle.DroiteY2 = fin;
    Echelle.DroiteX1 = Echelle.DroiteX2 = 0;
  } else {
    Echelle.DroiteX1 = debut;
    Echelle.DroiteX2 = fin;
    Echelle.DroiteY1 = Echelle.DroiteY2 = 0;
  }

  // The current point goes to the middle of the line, turned with it.
  const double m = (debut + fin) / 2, h = Echelle.VTrav7;
  const double r = -Echelle.AngleCmdRad, c = std::cos(r), s = std::sin(r);
  if (verticale) {
    Repere.XCourant = static_cast<float>(cx + c * h + s * m);
    Repere.YCourant = static_cast<float>(cy - s * h + c * m);
  } else {
    Repere.XCourant = static_cast<float>(cx + c * m + s * h);
    Repere.YCourant = static_cast<float>(cy - s * m + c * h);
  }
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
  RotationCourant(-Echelle.AngleCmd);
}
