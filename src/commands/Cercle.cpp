#include <QScopeGuard>
#include <QString>
#include <algorithm>
#include <cmath>
#include <vector>

#include "commands/Commands.h"
#include "commands/Ellipse.h"
#include "commands/Gradients.h"
#include "drawing/Arcs.h"
#include "drawing/Device.h"
#include "drawing/DrawState.h"
#include "drawing/Pen.h"
#include "drawing/Points.h"
#include "drawing/Rotation.h"
#include "drawing/Segments.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "values/Colours.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;
constexpr float Tour = 6.283185f;
// The most segments all the rings of one turned ellipse are drawn with.
constexpr double PointsAnneauxMax = 65536;

// An angle field in radians; "-0" (a minus sign and a value of 0) asks for a radius line at 0.
// An angle too large for a single-precision number has no place on the circle.
float AngleChamp(const QString& param, int n) {
  const float angle = static_cast<float>(LitParam(param, n).value_or(0.0) * DegresEnRadians);
  if (!std::isfinite(angle))
    ErreurRun(QStringLiteral("Cercle : champ %1 / field %1 : angle hors limites / angle out of range\r\n\r\n")
                  .arg(n));
  if (angle == 0 && LTrim(ParamN(param, n)).startsWith(QLatin1Char('-'))) return -1e-07f;
  return angle;
}

// The surface's own ellipse about an absolute centre, with half-axes a (along x) and b.
void CercleSortie(double cx, double cy, double a, double b, int32_t couleur, double debut, double fin) {
  const double dx = Sortie->DeviceX(cx), dy = Sortie->DeviceY(cy);
  const double da = std::fabs(Sortie->DeviceLongueurX(a)), db = std::fabs(Sortie->DeviceLongueurX(b));
  VerifieDevice({dx, dy, da, db});
  const uint32_t sauve = Sortie->ForeColor;
  Sortie->ForeColor = static_cast<uint32_t>(couleur);
  Sortie->Cercle(dx, dy, da, db, debut, fin);
  Sortie->ForeColor = sauve;
  Sortie->CurrentX = cx;
  Sortie->CurrentY = cy;
}

// The step along a gradient band's edge: about a millimetre of arc for the half-axis.
double PasBande(double demiAxe) {
  const double pas = 1.0 / (std::fabs(demiAxe) * std::sqrt(Cadrage.FacteurEchelle));
  return std::isfinite(pas) && pas > PasAngulaireMin ? pas : PasAngulaireMin;
}

float DansUnTour(float angle) {
  if (angle > Tour + 0.001f) angle -= Tour;
  if (angle < 0) angle += Tour;
  return angle;
}

struct Forme {
  // Centre, relative to the current origin, in double precision: the near part of an arc about a
  // far centre is drawn where it lies.
  double cx = 0, cy = 0;
  double rayon = 0, k = 1, a = 0, b = 0;
  double vtrav = 0;  // the turn, stored negated
  double AbsX() const { return cx + Repere.OrigineX + Repere.CTx; }
  double AbsY() const { return cy + Repere.OrigineY + Repere.CTy; }
  PointXY Point(double t) const { return PointEllipse(cx, cy, a, b, t, vtrav); }
  PointXY Centre() const { return {static_cast<float>(cx), static_cast<float>(cy)}; }
  // A point of the unturned shape's own frame, relative to its centre, turned into place.
  PointXY Place(double x, double y) const {
    const double c = std::cos(vtrav), s = std::sin(vtrav);
    return {static_cast<float>(cx + x * c + y * s), static_cast<float>(cy - x * s + y * c)};
  }
};

// Rings of the line pen, from the outside inwards, each a little wider than one band.
void Anneaux(const Forme& f, float& debut, float& fin, int32_t c2, int nbBandes) {
  // Rings closer than a device pixel cover one another: beyond 255 there are never more rings
  // than the radius has pixels.
  const double rayonPixels = std::max(std::fabs(Sortie->DeviceX(f.rayon) - Sortie->DeviceX(0)),
                                      std::fabs(Sortie->DeviceY(f.rayon) - Sortie->DeviceY(0)));
  const int n =
      std::min(nbBandes > 0 ? nbBandes : 255, std::max(255, VersEntier32(std::min(rayonPixels, 1e6))));
  Sortie->FillColor = static_cast<uint32_t>(Encre.CouleurCmd);
  Sortie->FillStyle = 1;
  const bool ecran = SortieEstEcran();
  const double marge = ecran ? 0.2 : 0.1;
  const double largeur = (f.rayon / n + (ecran ? 0.4 : 0.2)) * Cadrage.FacteurEchelle / MmParPixel();
  Sortie->DrawWidth = std::max(1, VersEntier32(std::min(largeur, 1e6)));

  debut = std::fabs(debut);
  fin = std::fabs(fin);
  const bool entier = debut == 0 && fin == 0;
  const bool droit = f.k == 1 || f.vtrav == 0;
  if (!entier && droit) {
    debut = DansUnTour(static_cast<float>(debut - f.vtrav));
    fin = DansUnTour(static_cast<float>(fin - f.vtrav));
  }

  BandesCouleur bandes(Encre.CouleurCmd, c2, n);
  // Each radius is reckoned from the outermost one by its index, never by a running sum.
  const float pas = static_cast<float>(f.rayon / n);
  const float premier = static_cast<float>(f.rayon - marge - f.rayon / (2.0 * n));
  // A turned ring is a chain of segments, about one per millimetre of arc. A large shape would
  // need millions: past a budget, every ring's step widens alike (still far below a pixel).
  double facteurPas = 1;
  if (!droit) {
    const double etendue = debut == fin ? 12.56637 : std::max(0.0, static_cast<double>(fin) - debut);
    double total = 0;
    for (int k = 0; premier - static_cast<float>(k) * pas >= 0.1f; ++k)
      total += etendue / PasEllipse(premier - static_cast<float>(k) * pas) + 1;
    if (total > PointsAnneauxMax) facteurPas = total / PointsAnneauxMax;
  }
  for (int k = 0; premier - static_cast<float>(k) * pas >= 0.1f; ++k) {
    const float r = premier - static_cast<float>(k) * pas;
    TesteArretTiret(k + 1);
    if (Encre.CouleurCmd != -1) {
      double a = 0, b = 0;
      DemiAxes(r, f.k, a, b);
      if (droit) {
        CercleSortie(f.AbsX(), f.AbsY(), a, b, Encre.CouleurCmd, entier ? 0 : debut, entier ? 0 : fin);
      } else {
        double finEllipse = fin;
        TraceEllipse(f.cx, f.cy, r, Encre.CouleurCmd, debut, finEllipse, f.k, QString(), f.vtrav, facteurPas);
      }
    }
    bandes.Avance(true);
    Encre.CouleurCmd = bandes.Couleur();
  }
  Sortie->DrawWidth = static_cast<int>(ArrondiPair(Plume.EpaisseurTrait));
}

// A pie cut into slices from the start angle to the end angle, each one colour. More than two
// turns covers nothing more: the end is brought within two turns, as for the arcs, and every
// angle is reckoned from the start by its index, so no step can fail to move on.
void Tranches(const Forme& f, float& debut, float& fin, int32_t c2, int nbBandes) {
  BandesCouleur bandes(Encre.CouleurCmd, c2, nbBandes > 0 ? nbBandes : 0);
  debut = -debut;
  fin = -fin;
  if (fin <= debut) fin += Tour;
  if (fin - debut > 2 * Tour) fin = static_cast<float>(debut + Tour + std::fmod(fin - debut, Tour));
  // A span of almost nothing has no slice, as when a start so large that the turn added to the
  // end was lost leaves the end at or before it.
  if (!(static_cast<double>(fin) - debut > 0.0001)) return;
  const int n = bandes.Nombre();
  const double dA = (static_cast<double>(fin) - debut) / n;
  const double dt = PasBande(std::min(std::fabs(f.a), std::fabs(f.b)));
  for (int j = 0; j < n; ++j) {
    const double a = debut + j * dA;
    const double e = j + 1 == n ? static_cast<double>(fin) : debut + (j + 1) * dA;
    std::vector<PointXY> points{f.Centre(), f.Point(a)};
    // A start so large that the turn added to the end was lost leaves the end before it: the
    // slice has no arc.
    const auto pas = e > a ? static_cast<int64_t>((e - a) / dt) : 0;
    points.reserve(static_cast<size_t>(pas) + 3);
    for (int64_t k = 1; k <= pas && a + k * dt < e; ++k) points.push_back(f.Point(a + k * dt));
    points.push_back(f.Point(e));
    RemplitPoints(points, bandes.Couleur());
    bandes.Avance(true);
    TesteArretTiret(j + 1);
  }
}

// The whole ellipse cut into horizontal strips of its own frame, from its lowest point up; the
// strip that reaches the centre line is cut there and the upper half starts again from it.
void Bandes(const Forme& f, int32_t c2) {
  const double b = std::fabs(f.b), a = f.a;
  if (b == 0) return;
  BandesCouleur bandes(Encre.CouleurCmd, c2);
  const int n = bandes.Nombre();
  const double h = 2 * b / n;
  const double du = PasBande(b);
  auto angle = [&](double y) { return std::acos(std::clamp(-y / b, -1.0, 1.0)); };
  auto bande = [&](double y0, double y1) {
    const double u0 = angle(y0), u1 = angle(y1);
    std::vector<double> us{u0};
    for (double u = u0 + du; u < u1; u += du) us.push_back(u);
    if (u1 > u0) us.push_back(u1);
    std::vector<PointXY> points;
    points.reserve(2 * us.size());
    for (double u : us) points.push_back(f.Place(-a * std::sin(u), -b * std::cos(u)));
    for (auto it = us.rbegin(); it != us.rend(); ++it)
      points.push_back(f.Place(a * std::sin(*it), -b * std::cos(*it)));
    RemplitPoints(points, bandes.Couleur());
  };
  const int moitie = (n + 1) / 2;
  for (int i = 0; i < moitie; ++i) {
    bande(-b + i * h, std::min(-b + (i + 1) * h, 0.0));
    bandes.Avance(false);
  }
  for (int i = 0; i < moitie; ++i) {
    bande(i * h, std::min((i + 1) * h, b));
    bandes.Avance(true);
  }
}

// Outline, arc, pie or filled shape in one colour.
void TraceSimple(const Forme& f, float& debut, float& fin, bool plein, double sens) {
  if (Encre.CouleurCmd == -1) return;
  Sortie->FillColor = static_cast<uint32_t>(Encre.CouleurCmd);
  if (plein) Sortie->FillStyle = 0;
  if (debut == fin && f.k == 1) {
    if (Plume.TiretL1 == 0 || plein) {
      if (fin > Tour) fin -= Tour;
      if (fin < -Tour) fin += Tour;
      if (debut == 0 && fin == 0)
        CercleSortie(f.AbsX(), f.AbsY(), f.rayon, f.rayon, Encre.CouleurCmd, 0, 0);
      else
        CercleSortie(f.AbsX(), f.AbsY(), f.rayon, f.rayon, Encre.CouleurCmd, debut, fin);
    } else {
      if (debut == 0 && fin == 0) fin = Tour;
      TraceArc(f.AbsX(), f.AbsY(), f.rayon, Encre.CouleurCmd, debut, fin, f.k, f.a, f.b, sens);
    }
    return;
  }
  const bool rayonDebut = debut < 0, rayonFin = fin < 0;
  debut = std::fabs(debut);
  fin = std::fabs(fin);
  if (debut == 0 && fin == 0) fin = Tour;
  if (fin < debut) fin += Tour;
  std::vector<PointXY> points = PointsEllipse(f.cx, f.cy, f.rayon, debut, fin, f.k, f.vtrav);
  if (rayonDebut) points.insert(points.begin(), f.Centre());
  if (rayonFin) points.push_back(f.Centre());
  if (plein)
    RemplitPoints(points, Encre.CouleurCmd);
  else
    TraceChemin(points, Encre.CouleurCmd, sens < 0);
}

}  // namespace

void TraceCercle(int niveau, const QString& param) {
  const QString motCle = UCase(Trim(Niveau(niveau).MotCle));
  const bool plein = motCle.startsWith(QStringLiteral("CERCLEP"));
  const double sens = motCle.endsWith(QLatin1Char('I')) ? -1 : 1;
  AjouteOrdre(OrdreDessin);

  Forme f;
  double x = 0, y = 0;
  LitPointVar(x, y, param, 1, Repere.XRot, Repere.YRot);
  RotationXY(ParamN(param, 2), x, y);
  f.cx = x;
  f.cy = y;

  // A negative radius draws as its size: the sign has no meaning of its own.
  f.rayon = std::fabs(static_cast<float>(LitParam(param, 3).value_or(0.0)));
  const QString champRayon = ParamN(param, 3);
  const int pk = InStr(champRayon, Lecture.SepSousParam);
  if (pk > 0) {
    QString coefficient = Mid(champRayon, pk + Lecture.SepSousParam.size());
    f.k = static_cast<float>(Calcule(coefficient).value_or(0.0));
  }

  float debut = AngleChamp(param, 4);
  float fin = AngleChamp(param, 5);
  if (plein) {
    debut = -std::fabs(debut);
    fin = -std::fabs(fin);
  }

  const QString champCouleur = ParamN(param, 6);
  const CouleurLue lue = ValeurCouleur(champCouleur);
  Encre.CouleurCmd = lue.EstVide() ? Encre.CouleurCourante : static_cast<int32_t>(lue);
  CouleurLue c2;
  bool anneaux = false;
  int nbBandes = 0;
  const int pc = InStr(champCouleur, Lecture.SepSousParam);
  if (pc > 0) {
    const QString reste = Mid(champCouleur, pc + Lecture.SepSousParam.size());
    c2 = ValeurCouleur(reste);
    if (!c2.EstVide() && static_cast<int32_t>(c2) == -1) {
      c2 = CouleurLue();
    } else if (const int pb = InStr(reste, Lecture.SepSousParam); pb > 0) {
      QString bandes = LTrim(Mid(reste, pb + Lecture.SepSousParam.size()));
      if (bandes.startsWith(QLatin1Char('C')) || bandes.startsWith(QLatin1Char('c'))) {
        anneaux = true;
        bandes = Mid(bandes, 2);
      }
      nbBandes = VersEntier16(Calcule(bandes).value_or(0.0));
    }
  }

  const GardeEpaisT style(ParamN(param, 7));
  const auto remplissage = qScopeGuard([] { Sortie->FillStyle = 1; });
  f.vtrav = static_cast<float>((Rotation.AngRotDeg - LitParam(param, 8).value_or(0.0)) * DegresEnRadians);
  DemiAxes(f.rayon, f.k, f.a, f.b);

  if (f.rayon != 0) {
    const int32_t couleur2 = c2;
    if (anneaux && plein && couleur2 != Encre.CouleurCmd) {
      Anneaux(f, debut, fin, couleur2, nbBandes);
    } else if (Encre.CouleurCmd != -1 && couleur2 != 0 && plein && couleur2 != Encre.CouleurCmd) {
      Sortie->FillStyle = 0;
      if (debut < 0 && fin < 0)
        Tranches(f, debut, fin, couleur2, nbBandes);
      else
        Bandes(f, couleur2);
    } else {
      TraceSimple(f, debut, fin, plein, sens);
    }
  }

  const bool entier = debut == 0 && (fin == 0 || fin == Tour);
  PointXY point = f.Centre();
  if (!anneaux && !entier && f.rayon != 0) point = f.Point(sens < 0 ? std::fabs(debut) : std::fabs(fin));
  Repere.XCourant = static_cast<float>(point.x + Repere.OrigineX + Repere.CTx);
  Repere.YCourant = static_cast<float>(point.y + Repere.OrigineY + Repere.CTy);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
  RotationCourant(Rotation.AngRotDeg);
}
