#include <QScopeGuard>
#include <QStringList>
#include <QVector>
#include <cmath>
#include <numbers>

#include "drawing/Device.h"
#include "drawing/DrawState.h"
#include "drawing/Fonts.h"
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
#include "values/Insertions.h"
#include "values/Levels.h"
#include "values/Substitution.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;

struct Vecteur {
  double x = 0;
  double y = 0;
};

Vecteur operator+(Vecteur a, Vecteur b) { return {a.x + b.x, a.y + b.y}; }
Vecteur operator-(Vecteur a, Vecteur b) { return {a.x - b.x, a.y - b.y}; }
Vecteur operator*(double k, Vecteur v) { return {k * v.x, k * v.y}; }
Vecteur Direction(double angle) { return {std::cos(angle), std::sin(angle)}; }
// Turned anticlockwise by 'angle' radians about the current origin (points relative to it).
Vecteur Tourne(Vecteur p, double angle) {
  if (angle == 0) return p;
  return {p.x * std::cos(angle) - p.y * std::sin(angle), p.x * std::sin(angle) + p.y * std::cos(angle)};
}

int32_t Couleur(const QString& texte, int32_t defaut) {
  if (Trim(texte).isEmpty()) return defaut;
  const CouleurLue lue = ValeurCouleur(texte);
  return lue.EstVide() ? defaut : static_cast<int32_t>(lue);
}

double Expression(const QStringList& parties, int i) {
  if (parties.size() <= i) return 0;
  QString texte = parties[i];
  return Calcule(texte).value_or(0.0);
}

void RemetEpaisseur() {
  Plume.EpaisseurTrait = Plume.EpaisseurSauve;
  Sortie->DrawWidth = static_cast<int>(ArrondiPair(Plume.EpaisseurSauve));
}

// The dimension line: its two points, its length and direction (v along, w across), the turn of
// the command, and what fields 5 to 15 ask of the extension lines, the arrows and the text.
struct Cote {
  Vecteur p1, p2;
  float longueur = 0;
  double a = 0;
  Vecteur v, w;
  double angleCmd = 0, r = 0;
  double e = 0, g = 0, position = 0;
  int32_t couleurRappel = 0, couleurCote = 0;
  double f = 1;
  QString bouts, styleFleche;
  double demiOuverture = 0;
  int32_t couleurFleche = 0;
  double px = 0, py = 0;
  int32_t couleurTexte = 0;
  Vecteur origine;

  void Segment(Vecteur de, Vecteur vers, int32_t couleur) const {
    const Vecteur s = de + origine, t = vers + origine;
    TraceSegment(static_cast<float>(s.x), static_cast<float>(s.y), static_cast<float>(t.x),
                 static_cast<float>(t.y), angleCmd, couleur);
  }
};

// Fields 1 to 4: the two points, the second relative to the first; their distance and direction.
void LitPointsCote(const QString& param, Cote& c) {
  LitPointVar(c.p1.x, c.p1.y, param, 1, Repere.XRot, Repere.YRot);
  {
    double ax = 0, ay = 0;
    RotationXY(ParamN(param, 2), ax, ay);
  }
  LitPoint(c.p2.x, c.p2.y, param, 3, c.p1.x, c.p1.y);
  if (Trim(ParamN(param, 3)).isEmpty()) c.p2.x = c.p1.x;
  if (Trim(ParamN(param, 4)).isEmpty()) c.p2.y = c.p1.y;
  const double dx = c.p2.x - c.p1.x, dy = c.p2.y - c.p1.y;
  c.longueur = static_cast<float>(std::sqrt(dx * dx + dy * dy));

  if (dx == 0)
    c.a = dy == 0 ? 0 : (dy > 0 ? std::numbers::pi / 2 : -std::numbers::pi / 2);
  else
    c.a = std::atan(dy / dx) + (dx < 0 ? std::numbers::pi : 0);
  c.v = Direction(c.a);
  c.w = Direction(c.a + std::numbers::pi / 2);
  c.angleCmd = -Rotation.AngRotDeg;
  c.r = c.angleCmd * DegresEnRadians;
}

// Fields 5 to 15: the extension lines, the place of the dimension line, the colours, the arrows and
// the place of the text along and across the line.
void LitTraitsCote(const QString& param, Cote& c) {
  const QStringList rappel = ParamN(param, 5).split(Lecture.SepSousParam);
  c.e = Expression(rappel, 0);
  c.g = Expression(rappel, 1);
  c.position = LitParam(param, 6).value_or(0.0);

  const QStringList couleurs = UCase(Trim(ParamN(param, 7))).split(Lecture.SepSousParam);
  c.couleurRappel = Couleur(couleurs[0], Encre.CouleurCourante);
  c.couleurCote = couleurs.size() > 1 ? Couleur(couleurs[1], c.couleurRappel) : c.couleurRappel;

  const QStringList fleche = ParamN(param, 9).split(Lecture.SepSousParam);
  {
    const QString longueurFleche = Trim(fleche[0]);
    if (longueurFleche == QLatin1String("-"))
      c.f = -1;
    else if (!longueurFleche.isEmpty())
      c.f = Expression(fleche, 0);
  }
  c.bouts = fleche.size() > 1 && !Trim(fleche[1]).isEmpty() ? fleche[1] : QStringLiteral("12");
  c.styleFleche = UCase(Trim(ParamN(param, 10)));
  c.demiOuverture = LitParam(param, 11).value_or(60.0) / 2 * DegresEnRadians;
  c.couleurFleche = Couleur(UCase(Trim(ParamN(param, 12))), c.couleurRappel);
  c.px = LitParam(param, 13).value_or(50.0) / 100;
  c.py = LitParam(param, 14).value_or(30.0) / 100;
  c.couleurTexte = c.couleurCote;
  if (c.couleurTexte == -1) c.couleurTexte = c.couleurFleche;
  if (c.couleurTexte == -1) c.couleurTexte = c.couleurRappel;
  c.couleurTexte = Couleur(ParamN(param, 15), c.couleurTexte);
}

// Field 16: the text's style and, after the sub-separator, its font. Gives the text's own turn.
double AppliqueStyleTexteCote(const QString& param) {
  double angleTexte = 0;
  const QStringList parties = UCase(ParamN(param, 16)).split(Lecture.SepSousParam);
  if (parties.size() > 1 && !parties[1].isEmpty()) ChoisitPolice(parties[1]);
  QString style = parties[0];
  AppliqueTaille(style);
  if (InStr(style, QStringLiteral("R")) > 0) angleTexte = AngleStyle(style, QStringLiteral("BGISU"));
  if (!Trim(style).isEmpty()) AppliqueStyle(style);
  return angleTexte;
}

// Field 17 on: the text, "%DIST" standing for the length.
QString TexteCote(const QString& param, float longueur) {
  QString texte = ParamBrutN(param, -17);
  const QString distance = TexteNombre(longueur);
  for (int p = InStr(UCase(texte), QStringLiteral("%DIST")); p > 0;
       p = InStr(UCase(texte), QStringLiteral("%DIST")))
    texte = Left(texte, p - 1) + distance + Mid(texte, p + 5);
  texte = EvalueDieses(texte);
  texte = Replace(texte, QStringLiteral("$£"), QStringLiteral(","));
  SubstitueVariables(texte);
  return texte;
}

// The extension lines at the ends asked for, then the dimension line, which goes on past an end
// when the text stands beyond it.
void TraceRappelsEtCote(const Cote& c, const Vecteur bout[2], double largeurTexte) {
  const Vecteur points[2] = {c.p1, c.p2};
  for (int k = 0; k < 2; ++k) {
    if (c.couleurRappel != -1 && InStr(c.bouts, QString::number(k + 1)) > 0)
      c.Segment(points[k] + c.g * c.w, points[k] + c.e * c.w, c.couleurRappel);
  }

  if (c.couleurCote != -1) {
    const double largeurI = Sortie->TextWidth(QStringLiteral("I"));
    if (c.px > 1)
      c.Segment(bout[0], bout[0] + (c.px * c.longueur + largeurTexte / 2 + largeurI) * c.v, c.couleurCote);
    else if (c.px < 0)
      c.Segment(bout[0] + (c.px * c.longueur - largeurTexte / 2 - largeurI) * c.v, bout[1], c.couleurCote);
    else
      c.Segment(bout[0], bout[1], c.couleurCote);
  }
}

// The arrows at the ends asked for: two strokes each, or with style "P" a filled triangle.
void TraceFlechesCote(const Cote& c, const Vecteur bout[2]) {
  const bool bout1 = InStr(c.bouts, QStringLiteral("1")) > 0, bout2 = InStr(c.bouts, QStringLiteral("2")) > 0;
  const double f = c.f, a = c.a, r = c.r;
  // The arrows' style makes their strokes solid; the pen's dashes are its own again afterwards.
  const float tiretSauve = Plume.TiretL1;
  if (!c.styleFleche.startsWith(QLatin1Char('P'))) {
    FixeEpaisseur(c.styleFleche);
    const Vecteur cote1 = f * Direction(a + c.demiOuverture), cote2 = f * Direction(a - c.demiOuverture);
    if (bout1) {
      c.Segment(bout[0], bout[0] + cote1, c.couleurFleche);
      c.Segment(bout[0], bout[0] + cote2, c.couleurFleche);
    }
    if (bout2) {
      c.Segment(bout[1], bout[1] - cote1, c.couleurFleche);
      c.Segment(bout[1], bout[1] - cote2, c.couleurFleche);
    }
    RemetEpaisseur();
  } else {
    FixeEpaisseur(Mid(c.styleFleche, 2));
    const Vecteur cote1 = f * Direction(a + c.demiOuverture + r),
                  cote2 = f * Direction(a - c.demiOuverture + r);
    const auto triangle = [&](Vecteur pointe, double sens) {
      const Vecteur t = Tourne(pointe, r);
      const Vecteur sommets[3] = {t, t + sens * cote1, t + sens * cote2};
      QVector<QPointF> device;
      for (const Vecteur& s : sommets) device.append(QPointF(PointDeviceRelatif(s.x, s.y)));
      Sortie->Polygone(device);
    };
    Sortie->ForeColor = static_cast<uint32_t>(c.couleurFleche);
    Sortie->FillColor = static_cast<uint32_t>(c.couleurFleche);
    Sortie->FillStyle = 0;
    if (bout1) triangle(bout[0], 1);
    if (bout2) triangle(bout[1], -1);
    Sortie->FillStyle = 1;
    RemetEpaisseur();
  }
  Plume.TiretL1 = tiretSauve;
}

// The text centred on its place along the line, turned with it; the current point is left at its
// end.
void EcritTexteCote(const Cote& c, const Vecteur bout[2], const QString& texte, double largeurTexte,
                    double hauteurX, double angleTexte) {
  Encre.CouleurCmd = c.couleurTexte;
  if (Encre.CouleurCmd != -1) Sortie->ForeColor = static_cast<uint32_t>(Encre.CouleurCmd);
  MetriquesPolice();
  const double angleBase = c.a + angleTexte * DegresEnRadians;
  Vecteur t = bout[0] + c.px * (bout[1] - bout[0]) + (c.py * hauteurX) * c.w;
  t = t - (largeurTexte / 2) * Direction(angleBase);
  t = Tourne(t, c.r) + c.origine;
  const Vecteur fin = t + largeurTexte * Direction(angleBase + c.r);
  EcritTextePoint(static_cast<float>(t.x), static_cast<float>(t.y), texte,
                  c.a / DegresEnRadians + angleTexte + c.angleCmd);

  Repere.XCourant = static_cast<float>(fin.x);
  Repere.YCourant = static_cast<float>(fin.y);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
}

}  // namespace

void CmdCote(int, const QString& param) {
  if (Trim(param).isEmpty()) return;

  Cote c;
  LitPointsCote(param, c);
  LitTraitsCote(param, c);

  // The line style of the command holds for the command only, however it ends.
  GardeEpaisT style;
  Plume.EpaisseurSauve = Plume.EpaisseurTrait;
  style.Applique(ParamN(param, 8));
  auto remplissage = qScopeGuard([] { Sortie->FillStyle = 1; });

  GardePolice police;
  const double angleTexte = AppliqueStyleTexteCote(param);

  const QString texte = TexteCote(param, c.longueur);
  const double largeurTexte = Sortie->TextWidth(texte);
  const double hauteurX = -Sortie->TextHeight(QStringLiteral("X"));

  c.origine = {Repere.OrigineX + Repere.CTx, Repere.OrigineY + Repere.CTy};
  const Vecteur bout[2] = {c.p1 + c.position * c.w, c.p2 + c.position * c.w};
  TraceRappelsEtCote(c, bout, largeurTexte);
  if (c.couleurFleche != -1 && c.f != 0) TraceFlechesCote(c, bout);
  EcritTexteCote(c, bout, texte, largeurTexte, hauteurX, angleTexte);

  remplissage.dismiss();
  style.Fin();
  RotationCourant(Rotation.AngRotDeg);
}
