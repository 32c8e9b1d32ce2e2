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

// The line style of the command holds for the command only, however it ends.
class GardeStyle {
 public:
  GardeStyle() = default;
  ~GardeStyle() {
    if (!actif) return;
    Sortie->FillStyle = 1;
    RestaureEpaisT();
  }
  GardeStyle(const GardeStyle&) = delete;
  GardeStyle& operator=(const GardeStyle&) = delete;
  bool actif = false;
};

void RemetEpaisseur() {
  EpaisseurTrait = EpaisseurSauve;
  Sortie->DrawWidth = static_cast<int>(ArrondiPair(EpaisseurSauve));
}

}  // namespace

void CmdCote(int, const QString& param) {
  if (Trim(param).isEmpty()) return;

  Vecteur p1, p2;
  LitPointVar(p1.x, p1.y, param, 1, XRot, YRot);
  {
    double ax = 0, ay = 0;
    RotationXY(ParamN(param, 2), ax, ay);
  }
  LitPoint(p2.x, p2.y, param, 3, p1.x, p1.y);
  if (Trim(ParamN(param, 3)).isEmpty()) p2.x = p1.x;
  if (Trim(ParamN(param, 4)).isEmpty()) p2.y = p1.y;
  const double dx = p2.x - p1.x, dy = p2.y - p1.y;
  const float longueur = static_cast<float>(std::sqrt(dx * dx + dy * dy));

  double a;
  if (dx == 0)
    a = dy == 0 ? 0 : (dy > 0 ? std::numbers::pi / 2 : -std::numbers::pi / 2);
  else
    a = std::atan(dy / dx) + (dx < 0 ? std::numbers::pi : 0);
  const Vecteur v = Direction(a);
  const Vecteur w = Direction(a + std::numbers::pi / 2);
  const double angleCmd = -AngRotDeg;
  const double r = angleCmd * DegresEnRadians;

  const QStringList rappel = ParamN(param, 5).split(SepSousParam);
  const double e = Expression(rappel, 0), g = Expression(rappel, 1);
  const double position = LitParam(param, 6).value_or(0.0);

  const QStringList couleurs = UCase(Trim(ParamN(param, 7))).split(SepSousParam);
  const int32_t couleurRappel = Couleur(couleurs[0], CouleurCourante);
  const int32_t couleurCote = couleurs.size() > 1 ? Couleur(couleurs[1], couleurRappel) : couleurRappel;

  const QStringList fleche = ParamN(param, 9).split(SepSousParam);
  double f = 1;
  {
    const QString longueurFleche = Trim(fleche[0]);
    if (longueurFleche == QLatin1String("-"))
      f = -1;
    else if (!longueurFleche.isEmpty())
      f = Expression(fleche, 0);
  }
  const QString bouts = fleche.size() > 1 && !Trim(fleche[1]).isEmpty() ? fleche[1] : QStringLiteral("12");
  const QString styleFleche = UCase(Trim(ParamN(param, 10)));
  const double demiOuverture = LitParam(param, 11).value_or(60.0) / 2 * DegresEnRadians;
  const int32_t couleurFleche = Couleur(UCase(Trim(ParamN(param, 12))), couleurRappel);
  const double px = LitParam(param, 13).value_or(50.0) / 100;
  const double py = LitParam(param, 14).value_or(30.0) / 100;
  int32_t couleurTexte = couleurCote;
  if (couleurTexte == -1) couleurTexte = couleurFleche;
  if (couleurTexte == -1) couleurTexte = couleurRappel;
  couleurTexte = Couleur(ParamN(param, 15), couleurTexte);

  GardeStyle garde;
  EpaisseurSauve = EpaisseurTrait;
  EpaisTLocale(ParamN(param, 8));
  garde.actif = true;

  GardePolice police;
  double angleTexte = 0;
  {
    const QStringList parties = UCase(ParamN(param, 16)).split(SepSousParam);
    if (parties.size() > 1 && !parties[1].isEmpty()) ChoisitPolice(parties[1]);
    QString style = parties[0];
    AppliqueTaille(style);
    if (InStr(style, QStringLiteral("R")) > 0) angleTexte = AngleStyle(style, QStringLiteral("BGISU"));
    if (!Trim(style).isEmpty()) AppliqueStyle(style);
  }

  QString texte = ParamBrutN(param, -17);
  const QString distance = TexteNombre(longueur);
  for (int p = InStr(UCase(texte), QStringLiteral("%DIST")); p > 0;
       p = InStr(UCase(texte), QStringLiteral("%DIST")))
    texte = Left(texte, p - 1) + distance + Mid(texte, p + 5);
  texte = EvalueDieses(texte);
  texte = Replace(texte, QStringLiteral("$£"), QStringLiteral(","));
  SubstitueVariables(texte);

  const double largeurTexte = Sortie->TextWidth(texte);
  const double hauteurX = -Sortie->TextHeight(QStringLiteral("X"));

  const Vecteur origine{OrigineX + CTx, OrigineY + CTy};
  const auto segment = [&](Vecteur de, Vecteur a, int32_t couleur) {
    const Vecteur s = de + origine, t = a + origine;
    TraceSegment(static_cast<float>(s.x), static_cast<float>(s.y), static_cast<float>(t.x),
                 static_cast<float>(t.y), angleCmd, couleur);
  };

  const Vecteur points[2] = {p1, p2};
  Vecteur bout[2];
  for (int k = 0; k < 2; ++k) {
    bout[k] = points[k] + position * w;
    if (couleurRappel != -1 && InStr(bouts, QString::number(k + 1)) > 0)
      segment(points[k] + g * w, points[k] + e * w, couleurRappel);
  }

  if (couleurCote != -1) {
    const double largeurI = Sortie->TextWidth(QStringLiteral("I"));
    if (px > 1)
      segment(bout[0], bout[0] + (px * longueur + largeurTexte / 2 + largeurI) * v, couleurCote);
    else if (px < 0)
      segment(bout[0] + (px * longueur - largeurTexte / 2 - largeurI) * v, bout[1], couleurCote);
    else
      segment(bout[0], bout[1], couleurCote);
  }

  if (couleurFleche != -1 && f != 0) {
    const bool bout1 = InStr(bouts, QStringLiteral("1")) > 0, bout2 = InStr(bouts, QStringLiteral("2")) > 0;
    // The arrows' style makes their strokes solid; the pen's dashes are its own again afterwards.
    const float tiretSauve = TiretL1;
    if (!styleFleche.startsWith(QLatin1Char('P'))) {
      FixeEpaisseur(styleFleche);
      const Vecteur cote1 = f * Direction(a + demiOuverture), cote2 = f * Direction(a - demiOuverture);
      if (bout1) {
        segment(bout[0], bout[0] + cote1, couleurFleche);
        segment(bout[0], bout[0] + cote2, couleurFleche);
      }
      if (bout2) {
        segment(bout[1], bout[1] - cote1, couleurFleche);
        segment(bout[1], bout[1] - cote2, couleurFleche);
      }
      RemetEpaisseur();
    } else {
      FixeEpaisseur(Mid(styleFleche, 2));
      const Vecteur cote1 = f * Direction(a + demiOuverture + r),
                    cote2 = f * Direction(a - demiOuverture + r);
      const auto triangle = [&](Vecteur pointe, double sens) {
        const Vecteur t = Tourne(pointe, r);
        const Vecteur sommets[3] = {t, t + sens * cote1, t + sens * cote2};
        QVector<QPointF> device;
        for (const Vecteur& s : sommets) device.append(QPointF(PointDeviceRelatif(s.x, s.y)));
        Sortie->Polygone(device);
      };
      Sortie->ForeColor = static_cast<uint32_t>(couleurFleche);
      Sortie->FillColor = static_cast<uint32_t>(couleurFleche);
      Sortie->FillStyle = 0;
      if (bout1) triangle(bout[0], 1);
      if (bout2) triangle(bout[1], -1);
      Sortie->FillStyle = 1;
      RemetEpaisseur();
    }
    TiretL1 = tiretSauve;
  }

  CouleurCmd = couleurTexte;
  if (CouleurCmd != -1) Sortie->ForeColor = static_cast<uint32_t>(CouleurCmd);
  MetriquesPolice();
  const double angleBase = a + angleTexte * DegresEnRadians;
  Vecteur t = bout[0] + px * (bout[1] - bout[0]) + (py * hauteurX) * w;
  t = t - (largeurTexte / 2) * Direction(angleBase);
  t = Tourne(t, r) + origine;
  const Vecteur fin = t + largeurTexte * Direction(angleBase + r);
  EcritTextePoint(static_cast<float>(t.x), static_cast<float>(t.y), texte,
                  a / DegresEnRadians + angleTexte + angleCmd);

  XCourant = static_cast<float>(fin.x);
  YCourant = static_cast<float>(fin.y);
  Sortie->CurrentX = XCourant;
  Sortie->CurrentY = YCourant;

  garde.actif = false;
  RestaureEpaisT();
  RotationCourant(AngRotDeg);
}
