#include <QString>
#include <QStringList>
#include <cmath>

#include "commands/Commands.h"
#include "drawing/Arcs.h"
#include "drawing/Cross.h"
#include "drawing/DrawState.h"
#include "drawing/Pen.h"
#include "drawing/Points.h"
#include "drawing/Rotation.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "values/Colours.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;

// The common frame of the markers: the point read and turned, the colour and the command's own
// pen (held until the command ends, however it ends); on success the current point moves there.
class Marque {
 public:
  Marque() {
    AjouteOrdre(OrdreDessin);
    double px = 0, py = 0;
    LitPointVar(px, py, Lecture.ParamLigne, 1, Repere.XRot, Repere.YRot);
    RotationXY(ParamN(Lecture.ParamLigne, 2), px, py);
    const CouleurLue lue = ValeurCouleur(ParamN(Lecture.ParamLigne, 4));
    Encre.CouleurCmd = lue.EstVide() ? Encre.CouleurCourante : static_cast<int32_t>(lue);
    style_.Applique(ParamN(Lecture.ParamLigne, 5));
    x = px + Repere.OrigineX + Repere.CTx;
    y = py + Repere.OrigineY + Repere.CTy;
  }

  void Termine() const {
    Repere.XCourant = static_cast<float>(x);
    Repere.YCourant = static_cast<float>(y);
    Sortie->CurrentX = Repere.XCourant;
    Sortie->CurrentY = Repere.YCourant;
    RotationCourant(Rotation.AngRotDeg);
  }

  double x = 0, y = 0;

 private:
  GardeEpaisT style_;
};

double AnglePropre() { return LitParam(Lecture.ParamLigne, 6).value_or(0.0); }

}  // namespace

void TracePlus(int) {
  Marque m;
  double demi = 0, rapport = 1;
  const QString champ = ParamN(Lecture.ParamLigne, 3);
  if (!Trim(champ).isEmpty()) {
    const QStringList parts = champ.split(Lecture.SepSousParam);
    QString texte = parts[0];
    demi = Calcule(texte).value_or(0.0);
    if (parts.size() > 1 && !Trim(parts[1]).isEmpty()) {
      QString texteRapport = parts[1];
      rapport = Calcule(texteRapport).value_or(0.0);
    }
  }
  const double angle = (Rotation.AngRotDeg - AnglePropre()) * DegresEnRadians;
  if (demi != 0) TraceCroix(m.x, m.y, demi, angle, Encre.CouleurCmd, rapport);
  m.Termine();
}

void TraceX(int) {
  Marque m;
  const double demi = LitParam(Lecture.ParamLigne, 3).value_or(0.0);
  const double angle = (Rotation.AngRotDeg + 45 - AnglePropre()) * DegresEnRadians;
  if (demi != 0) TraceCroix(m.x, m.y, demi, angle, Encre.CouleurCmd, 1);
  m.Termine();
}

void TracePercer(int niveau) {
  Marque m;
  const bool enX = UCase(Trim(Niveau(niveau).MotCle)) != QStringLiteral("PERCER");
  const double r = LitParam(Lecture.ParamLigne, 3).value_or(0.0) / 2;
  if (r != 0) {
    if (Plume.TiretL1 != 0) {
      const double rayon = std::fabs(r);
      TraceArc(m.x, m.y, rayon, Encre.CouleurCmd, 0, 6.283185, 1, rayon, rayon, 1);
    } else if (Encre.CouleurCmd != -1) {
      Sortie->Circle(m.x, m.y, r, static_cast<uint32_t>(Encre.CouleurCmd), 0, 0);
    }
    TraceCroix(m.x, m.y, r, Rotation.AngRotRad + (enX ? 0.785398185 : 0.0), Encre.CouleurCmd, 1);
  }
  m.Termine();
}
