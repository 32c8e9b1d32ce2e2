#include <QString>
#include <cmath>

#include "commands/Commands.h"
#include "drawing/DrawState.h"
#include "drawing/Points.h"
#include "drawing/Rotation.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "values/Colours.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;

// The lamp draws with a 1-pixel pen and a solid brush; the pen and a transparent brush come back
// however the command ends.
class GardeVoyant {
 public:
  GardeVoyant() { EpaisseurSauve = static_cast<float>(Sortie->DrawWidth); }
  ~GardeVoyant() {
    Sortie->FillStyle = 1;
    Sortie->DrawWidth = static_cast<int>(ArrondiPair(EpaisseurSauve));
  }
  GardeVoyant(const GardeVoyant&) = delete;
  GardeVoyant& operator=(const GardeVoyant&) = delete;
};

void Jante(double x, double y, double r) {
  Sortie->FillStyle = 1;
  Sortie->DrawWidth = static_cast<int>(ArrondiPair(EpaisseurSauve));
  if (CouleurCourante != -1) Sortie->Circle(x, y, r, static_cast<uint32_t>(CouleurCourante), 0, 0);
}

// Two opposite quarter pies from 'a' degrees (turned with the lamp), then the rim.
void VoyantSecteurs(double x, double y, double r, int32_t couleur, double a) {
  Sortie->DrawWidth = 1;
  Sortie->FillStyle = 0;
  double s[4];
  for (int k = 0; k < 4; ++k) {
    const int32_t v = VersEntier32(a + 90 * k + 360 - AngRotDeg);
    // Negative angles ask the surface for radius lines; -0.001 stands for an edge at 0.
    s[k] = -(((v % 360) + 360) % 360) * DegresEnRadians;
    if (s[k] == 0) s[k] = -0.001;
  }
  if (couleur != -1) {
    Sortie->Circle(x, y, r, static_cast<uint32_t>(couleur), s[0], s[1]);
    Sortie->Circle(x, y, r, static_cast<uint32_t>(couleur), s[2], s[3]);
  }
  Jante(x, y, r);
}

}  // namespace

void TraceVoyant() {
  EtatOrdre = static_cast<int16_t>(EtatOrdre | 0x40);
  double x = 0, y = 0;
  LitPointVar(x, y, ParamLigne, 1, XRot, YRot);
  const QString champY = ParamN(ParamLigne, 2);
  RotationXY(champY, x, y);
  x += OrigineX + CTx;
  y += OrigineY + CTy;
  if (Trim(champY).isEmpty()) y = YCourant;

  const double r = LitParam(ParamLigne, 3).value_or(0.0) / 2;
  const int16_t type = VersEntier16(LitParam(ParamLigne, 4).value_or(0.0));
  const QString champCouleur = ParamN(ParamLigne, -5);
  const CouleurLue lue = ValeurCouleur(champCouleur);
  CouleurCmd = lue.EstVide() ? CouleurCourante : static_cast<int32_t>(lue);

  GardeVoyant garde;
  if (UCase(Trim(champCouleur)) != QStringLiteral("N") && r != 0) {
    Sortie->FillColor = static_cast<uint32_t>(CouleurCmd);
    if (type < 2) {
      if (CouleurCmd != -1) {
        Sortie->DrawWidth = 1;
        Sortie->FillStyle = 0;
        Sortie->Circle(x, y, r, static_cast<uint32_t>(CouleurCmd), 0, 0);
      }
      Jante(x, y, r);
    } else {
      const double a = type == 2 ? 0 : type == 3 ? 90 : type == 4 ? 45 : 135;
      VoyantSecteurs(x, y, r, CouleurCmd, a);
    }
  }

  Sortie->FillStyle = 1;
  XCourant = static_cast<float>(x);
  YCourant = static_cast<float>(y);
  Sortie->CurrentX = XCourant;
  Sortie->CurrentY = YCourant;
  RotationCourant(AngRotDeg);
}
