#include <QScopeGuard>
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

void Jante(double x, double y, double r) {
  Sortie->FillStyle = 1;
  Sortie->DrawWidth = static_cast<int>(ArrondiPair(Plume.EpaisseurSauve));
  if (Encre.CouleurCourante != -1)
    Sortie->Circle(x, y, r, static_cast<uint32_t>(Encre.CouleurCourante), 0, 0);
}

// Two opposite quarter pies from 'a' degrees (turned with the lamp), then the rim.
void VoyantSecteurs(double x, double y, double r, int32_t couleur, double a) {
  Sortie->DrawWidth = 1;
  Sortie->FillStyle = 0;
  double s[4];
  for (int k = 0; k < 4; ++k) {
    const int32_t v = VersEntier32(a + 90 * k + 360 - Rotation.AngRotDeg);
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
  AjouteOrdre(OrdreDessin);
  double x = 0, y = 0;
  LitPointVar(x, y, Lecture.ParamLigne, 1, Repere.XRot, Repere.YRot);
  const QString champY = ParamN(Lecture.ParamLigne, 2);
  RotationXY(champY, x, y);
  x += Repere.OrigineX + Repere.CTx;
  y += Repere.OrigineY + Repere.CTy;
  if (Trim(champY).isEmpty()) y = Repere.YCourant;

  const double r = LitParam(Lecture.ParamLigne, 3).value_or(0.0) / 2;
  const int16_t type = VersEntier16(LitParam(Lecture.ParamLigne, 4).value_or(0.0));
  const QString champCouleur = ParamN(Lecture.ParamLigne, -5);
  const CouleurLue lue = ValeurCouleur(champCouleur);
  Encre.CouleurCmd = lue.EstVide() ? Encre.CouleurCourante : static_cast<int32_t>(lue);

  // The lamp draws with its own pens; the width it found comes back however it ends.
  Plume.EpaisseurSauve = static_cast<float>(Sortie->DrawWidth);
  const auto remise = qScopeGuard([] {
    Sortie->FillStyle = 1;
    Sortie->DrawWidth = static_cast<int>(ArrondiPair(Plume.EpaisseurSauve));
  });
  if (UCase(Trim(champCouleur)) != QStringLiteral("N") && r != 0) {
    Sortie->FillColor = static_cast<uint32_t>(Encre.CouleurCmd);
    if (type < 2) {
      if (Encre.CouleurCmd != -1) {
        Sortie->DrawWidth = 1;
        Sortie->FillStyle = 0;
        Sortie->Circle(x, y, r, static_cast<uint32_t>(Encre.CouleurCmd), 0, 0);
      }
      Jante(x, y, r);
    } else {
      const double a = type == 2 ? 0 : type == 3 ? 90 : type == 4 ? 45 : 135;
      VoyantSecteurs(x, y, r, Encre.CouleurCmd, a);
    }
  }

  Sortie->FillStyle = 1;
  Repere.XCourant = static_cast<float>(x);
  Repere.YCourant = static_cast<float>(y);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
  RotationCourant(Rotation.AngRotDeg);
}
