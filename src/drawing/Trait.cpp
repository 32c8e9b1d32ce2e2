#include <QStringList>
#include <cmath>

#include "drawing/DrawState.h"
#include "drawing/Pen.h"
#include "drawing/Points.h"
#include "drawing/Rotation.h"
#include "drawing/Segments.h"
#include "drawing/TextCommands.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "values/Colours.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

// The scale factors hold for one command only, however it ends; so does its line style.
class GardeTrait {
 public:
  GardeTrait() = default;
  ~GardeTrait() {
    if (styleApplique) RestaureEpaisT();
    FacteurTraitX = FacteurTraitY = 1.0f;
  }
  GardeTrait(const GardeTrait&) = delete;
  GardeTrait& operator=(const GardeTrait&) = delete;
  bool styleApplique = false;
};

// A scale factor sub-field: its value, 0 standing for 1.
void LitFacteur(const QStringList& parties, int i, float& facteur) {
  if (parties.size() <= i || Trim(parties[i]).isEmpty()) return;
  QString texte = parties[i];
  const float valeur = VersSingle(Calcule(texte).value_or(0.0));
  facteur = valeur == 0 ? 1.0f : valeur;
}

// The y field up to its angle: a third sub-field names the length variable, not part of the angle.
QString ChampAngle(const QString& champY) {
  const int p1 = InStr(champY, SepSousParam);
  if (p1 == 0) return champY;
  const int p2 = InStr(p1 + SepSousParam.size(), champY, SepSousParam);
  return p2 == 0 ? champY : Left(champY, p2 - 1);
}

// The next point from fields 1 and 2 of the text: an empty field keeps the previous coordinate;
// the point becomes the previous one and is turned by the command's angle.
void PointSuivant(const QString& texte, int i, double& x, double& y) {
  LitPoint(x, y, texte, i, XRot, YRot);
  if (Trim(ParamN(texte, i)).isEmpty()) x = XRot;
  if (Trim(ParamN(texte, i + 1)).isEmpty()) y = YRot;
  XRot = static_cast<float>(x);
  YRot = static_cast<float>(y);
  if (AngRotDeg == 0) return;
  const double c = std::cos(AngRotRad), s = std::sin(AngRotRad);
  const double xt = x * c + y * s;
  y = -x * s + y * c;
  x = xt;
}

}  // namespace

void CmdTrait(int niveau) {
  QString param = ParamLigne;
  GardeTrait garde;

  const QStringList facteurs = ParamN(param, 1).split(SepSousParam);
  LitFacteur(facteurs, 1, FacteurTraitX);
  LitFacteur(facteurs, 2, FacteurTraitY);

  // The first point and its angle are read without the length variable, which is a name to
  // store into, not a value.
  const QString champYBrut = ParamBrutN(param, 2);
  const QString champY = ChampAngle(champYBrut);
  double bx = 0, by = 0;
  LitPointVar(bx, by, ParamBrutN(param, 1) + SepParam + champY, 1, XRot, YRot);
  XRot = static_cast<float>(bx);
  YRot = static_cast<float>(by);
  RotationXY(champY, bx, by);

  const int p1 = InStr(champYBrut, SepSousParam);
  const int p2 = p1 == 0 ? 0 : InStr(p1 + SepSousParam.size(), champYBrut, SepSousParam);
  if (p2 > 0) {
    VarLongueurTrait = Mid(champYBrut, p2 + SepSousParam.size());
    LongueurTrait = 0;
  }

  double cx = 0, cy = 0;
  PointSuivant(param, 3, cx, cy);

  EpaisTLocale(ParamN(param, 5));
  garde.styleApplique = true;
  const QString champCouleur = ParamN(param, 6);
  int32_t couleur = CouleurCourante;
  if (!Trim(champCouleur).isEmpty()) {
    const CouleurLue lue = ValeurCouleur(champCouleur);
    if (!lue.EstVide()) couleur = lue;
  }

  const double ox = OrigineX + CTx, oy = OrigineY + CTy;
  ResteParams(param, 4);
  for (;;) {
    TraceSegment(static_cast<float>(bx + ox), static_cast<float>(by + oy), static_cast<float>(cx + ox),
                 static_cast<float>(cy + oy), 0, couleur);
    LongueurTrait = static_cast<float>(LongueurTrait + std::hypot(cx - bx, cy - by));
    ResteParams(param, 2);
    if (Trim(param).isEmpty()) break;
    bx = cx;
    by = cy;
    PointSuivant(param, 1, cx, cy);
  }

  garde.styleApplique = false;
  RestaureEpaisT();

  if (!VarLongueurTrait.isEmpty()) {
    QString nom = NomCommande(VarLongueurTrait);
    StockeVariable(niveau, nom, LongueurTrait);
  }

  XCourant = static_cast<float>(ox + cx);
  YCourant = static_cast<float>(oy + cy);
  Sortie->CurrentX = XCourant;
  Sortie->CurrentY = YCourant;
  RotationCourant(AngRotDeg);
}
