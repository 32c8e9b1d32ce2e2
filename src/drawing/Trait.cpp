#include <QScopeGuard>
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

// A scale factor sub-field: its value, 0 standing for 1.
void LitFacteur(const QStringList& parties, int i, float& facteur) {
  if (parties.size() <= i || Trim(parties[i]).isEmpty()) return;
  QString texte = parties[i];
  const float valeur = VersSingle(Calcule(texte).value_or(0.0));
  facteur = valeur == 0 ? 1.0f : valeur;
}

// The y field up to its angle: a third sub-field names the length variable, not part of the angle.
QString ChampAngle(const QString& champY) {
  const int p1 = InStr(champY, Lecture.SepSousParam);
  if (p1 == 0) return champY;
  const int p2 = InStr(p1 + Lecture.SepSousParam.size(), champY, Lecture.SepSousParam);
  return p2 == 0 ? champY : Left(champY, p2 - 1);
}

// The next point from fields 1 and 2 of the text: an empty field keeps the previous coordinate;
// the point becomes the previous one and is turned by the command's angle.
void PointSuivant(const QString& texte, int i, double& x, double& y) {
  LitPoint(x, y, texte, i, Repere.XRot, Repere.YRot);
  if (Trim(ParamN(texte, i)).isEmpty()) x = Repere.XRot;
  if (Trim(ParamN(texte, i + 1)).isEmpty()) y = Repere.YRot;
  Repere.XRot = static_cast<float>(x);
  Repere.YRot = static_cast<float>(y);
  if (Rotation.AngRotDeg == 0) return;
  const double c = std::cos(Rotation.AngRotRad), s = std::sin(Rotation.AngRotRad);
  const double xt = x * c + y * s;
  y = -x * s + y * c;
  x = xt;
}

}  // namespace

void CmdTrait(int niveau) {
  QString param = Lecture.ParamLigne;
  // The outline stretch and the command's own line style last until the command ends.
  const auto facteurs = qScopeGuard([] { Plume.FacteurTraitX = Plume.FacteurTraitY = 1.0f; });
  GardeEpaisT style;

  const QStringList champFacteurs = ParamN(param, 1).split(Lecture.SepSousParam);
  LitFacteur(champFacteurs, 1, Plume.FacteurTraitX);
  LitFacteur(champFacteurs, 2, Plume.FacteurTraitY);

  // The first point and its angle are read without the length variable, which is a name to
  // store into, not a value.
  const QString champYBrut = ParamBrutN(param, 2);
  const QString champY = ChampAngle(champYBrut);
  double bx = 0, by = 0;
  LitPointVar(bx, by, ParamBrutN(param, 1) + Lecture.SepParam + champY, 1, Repere.XRot, Repere.YRot);
  Repere.XRot = static_cast<float>(bx);
  Repere.YRot = static_cast<float>(by);
  RotationXY(champY, bx, by);

  const int p1 = InStr(champYBrut, Lecture.SepSousParam);
  const int p2 = p1 == 0 ? 0 : InStr(p1 + Lecture.SepSousParam.size(), champYBrut, Lecture.SepSousParam);
  if (p2 > 0) {
    Cumul.VarLongueurTrait = Mid(champYBrut, p2 + Lecture.SepSousParam.size());
    Cumul.LongueurTrait = 0;
  }

  double cx = 0, cy = 0;
  PointSuivant(param, 3, cx, cy);

  style.Applique(ParamN(param, 5));
  const QString champCouleur = ParamN(param, 6);
  int32_t couleur = Encre.CouleurCourante;
  if (!Trim(champCouleur).isEmpty()) {
    const CouleurLue lue = ValeurCouleur(champCouleur);
    if (!lue.EstVide()) couleur = lue;
  }

  const double ox = Repere.OrigineX + Repere.CTx, oy = Repere.OrigineY + Repere.CTy;
  ResteParams(param, 4);
  for (;;) {
    TraceSegment(static_cast<float>(bx + ox), static_cast<float>(by + oy), static_cast<float>(cx + ox),
                 static_cast<float>(cy + oy), 0, couleur);
    Cumul.LongueurTrait = static_cast<float>(Cumul.LongueurTrait + std::hypot(cx - bx, cy - by));
    ResteParams(param, 2);
    if (Trim(param).isEmpty()) break;
    bx = cx;
    by = cy;
    PointSuivant(param, 1, cx, cy);
  }

  style.Fin();

  if (!Cumul.VarLongueurTrait.isEmpty()) {
    QString nom = NomCommande(Cumul.VarLongueurTrait);
    StockeVariable(niveau, nom, Cumul.LongueurTrait);
  }

  Repere.XCourant = static_cast<float>(ox + cx);
  Repere.YCourant = static_cast<float>(oy + cy);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
  RotationCourant(Rotation.AngRotDeg);
}
