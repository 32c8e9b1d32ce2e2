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

double Champ(int n) { return LitParam(ParamLigne, n).value_or(0.0); }

}  // namespace

void CmdDroite(bool verticale) {
  const double debut = Champ(1);
  double fin = Champ(2);
  const QString champFin = ParamN(ParamLigne, 2);
  // "R" ends the value itself, before any rotation sub-field.
  if (UCase(Right(Trim(AvantSousSep(champFin)), 1)) == QStringLiteral("R")) fin += debut;
  double x = 0, y = 0;
  RotationXY(champFin, x, y);
  VTrav7 = Champ(3);

  const QString champCouleur = Trim(ParamN(ParamLigne, 4));
  CouleurCmd =
      champCouleur.isEmpty() ? CouleurCourante : static_cast<int32_t>(ValeurCouleur(ParamN(ParamLigne, -4)));
  AngleCmd = -AngRotDeg;
  AngleCmdRad = AngleCmd * DegresEnRadians;
  EchelleTracee = UCase(champCouleur) != QStringLiteral("N");

  const double cx = OrigineX + CTx, cy = OrigineY + CTy;
  if (EchelleTracee) {
    if (verticale) {
      TraceSegment(static_cast<float>(cx + VTrav7), static_cast<float>(cy + debut),
                   static_cast<float>(cx + VTrav7), static_cast<float>(cy + fin), AngleCmd, CouleurCmd);
    } else {
      TraceSegment(static_cast<float>(cx + debut), static_cast<float>(cy + VTrav7),
                   static_cast<float>(cx + fin), static_cast<float>(cy + VTrav7), AngleCmd, CouleurCmd);
    }
  }

  DecalPivot = ArcAngleDebut = ArcAngleFin = 0;
  if (verticale) {
    DroiteY1 = debut;
    DroiteY2 = fin;
    DroiteX1 = DroiteX2 = 0;
  } else {
    DroiteX1 = debut;
    DroiteX2 = fin;
    DroiteY1 = DroiteY2 = 0;
  }

  // The current point goes to the middle of the line, turned with it.
  const double m = (debut + fin) / 2, h = VTrav7;
  const double r = -AngleCmdRad, c = std::cos(r), s = std::sin(r);
  if (verticale) {
    XCourant = static_cast<float>(cx + c * h + s * m);
    YCourant = static_cast<float>(cy - s * h + c * m);
  } else {
    XCourant = static_cast<float>(cx + c * m + s * h);
    YCourant = static_cast<float>(cy - s * m + c * h);
  }
  Sortie->CurrentX = XCourant;
  Sortie->CurrentY = YCourant;
  RotationCourant(-AngleCmd);
}
