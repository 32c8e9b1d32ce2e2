#include "commands/Bezier.h"

#include <QPoint>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "commands/Commands.h"
#include "drawing/Device.h"
#include "drawing/DrawState.h"
#include "drawing/Fonts.h"
#include "drawing/Pen.h"
#include "drawing/Points.h"
#include "drawing/Rotation.h"
#include "drawing/Segments.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "values/Colours.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;
constexpr double Pi = 3.14159265358979;
constexpr float Tour = 6.283185f;
constexpr int IndiceMaxContour = 10000;
// A curve is cut into about one segment per drawing unit. All the curves of one command share
// this many: a curve that long reaches far beyond any sheet, its visible part is cut finer than
// a pixel already, and the command ends within a second. Each curve keeps at least 50.
constexpr double SegmentsMax = 100000;

struct Point2 {
  double x = 0, y = 0;
};

// The raw points of one curve, relative to the current origin: start A, end of the start vector
// A', end of the end vector B', end B.
struct Courbe {
  Point2 a, a1, b1, b;
};

// Offset, then scale, then the command's turn about 0,0.
struct Transformation {
  double aX = 1, aY = 1, bX = 0, bY = 0;
  Point2 operator()(const Point2& p) const {
    const double x = (p.x + bX) * aX, y = (p.y + bY) * aY;
    if (Rotation.AngRotRad == 0) return {x, y};
    const double s = std::sin(Rotation.AngRotRad), c = std::cos(Rotation.AngRotRad);
    return {y * s + x * c, -x * s + y * c};
  }
};

// The graduation sub-fields of the curve colour field.
struct Graduation {
  bool liste = false;
  QStringList entrees;
  int nombre = 10;
  bool seule = false;  // only the graduations, not the curve
  double longueur = 0;
  double rotation = 0;
  bool rotationRelative = false;
  bool avecTextes = false;
  QStringList textes;
  double distance = 0;
  double angleTexte = 0;
  bool angleTexteRelatif = false;
};

double Signe(double v) { return v > 0 ? 1.0 : (v < 0 ? -1.0 : 0.0); }

double Valeur(QString texte) { return Calcule(texte).value_or(0.0); }

double Cubique(double t, double p0, double p1, double p2, double p3) {
  const double u = 1 - t;
  return u * u * u * p0 + 3 * u * u * t * p1 + 3 * t * t * u * p2 + t * t * t * p3;
}

Point2 Absolu(const Point2& p) {
  return {p.x + Repere.CTx + Repere.OrigineX, p.y + Repere.CTy + Repere.OrigineY};
}

void Segment(const Point2& p, const Point2& q, int32_t couleur) {
  const Point2 a = Absolu(p), b = Absolu(q);
  TraceSegment(static_cast<float>(a.x), static_cast<float>(a.y), static_cast<float>(b.x),
               static_cast<float>(b.y), 0, couleur);
}

void Rond(const Point2& p, double rayon, int32_t couleur) {
  const Point2 a = Absolu(p);
  Sortie->Circle(a.x, a.y, rayon, static_cast<uint32_t>(couleur), 0, 0);
}

int LargeurPlume() { return static_cast<int>(ArrondiPair(Plume.EpaisseurTrait)); }

// The width of the construction marks: half the pen, at least one pixel.
int LargeurMarques() {
  return Plume.EpaisseurTrait <= 1 ? 1 : static_cast<int>(ArrondiPair((Plume.EpaisseurTrait + 0.5) / 2));
}

bool ChampVide(const QString& texte, int n) { return Trim(ParamBrutN(texte, n)).isEmpty(); }

// The point of fields i, i + 1 relative to 'prec'; an empty field takes the coordinate of 'vide'.
Point2 LitPointDefaut(const QString& texte, int i, const Point2& prec, const Point2& vide) {
  Point2 p;
  LitPoint(p.x, p.y, texte, i, prec.x, prec.y);
  if (ChampVide(texte, i)) p.x = vide.x;
  if (ChampVide(texte, i + 1)) p.y = vide.y;
  return p;
}

// The angle of a point seen from 0,0, in (-pi, pi].
double AngleVu(double x, double y) {
  const double r = std::sqrt(x * x + y * y);
  if (r == 0) LeveErreurExecution(QStringLiteral("division by zero"));
  double a = ArcSin(y / r);
  if (x < 0) a = y == 0 ? Pi : Signe(y) * Pi - a;
  return a;
}

Graduation LitGraduation(const QStringList& sous) {
  Graduation g;
  auto sousChamp = [&](int k) -> std::optional<QString> {
    if (k < sous.size()) return sous[k];
    return std::nullopt;
  };
  if (const auto t = sousChamp(6)) {
    if (InStr(*t, Lecture.SepParam) > 0) {
      g.liste = true;
      g.entrees = t->split(Lecture.SepParam);
    } else {
      g.nombre = VersEntier16(Valeur(*t));
      if (g.nombre == 0) g.nombre = 10;
      if (g.nombre < 0) g.liste = true;
    }
  }
  if (const auto t = sousChamp(7)) {
    QString u = UCase(*t);
    g.seule = InStr(u, QStringLiteral("S")) > 0;
    g.longueur = Valeur(Replace(u, QStringLiteral("S"), QString()));
  }
  if (const auto t = sousChamp(8)) {
    const QString u = UCase(*t);
    g.rotationRelative = InStr(u, QStringLiteral("R")) > 0;
    g.rotation = Valeur(Replace(u, QStringLiteral("R"), QString()));
  }
  if (const auto t = sousChamp(9)) {
    g.avecTextes = true;
    // An empty label sub-field writes no labels.
    if (!t->isEmpty()) g.textes = t->split(Lecture.SepParam);
  }
  if (const auto t = sousChamp(10)) g.distance = Valeur(*t);
  if (const auto t = sousChamp(11)) {
    const QString u = UCase(*t);
    g.angleTexteRelatif = InStr(u, QStringLiteral("R")) > 0;
    g.angleTexte = -Valeur(Replace(u, QStringLiteral("R"), QString()));
  }
  return g;
}

void TraceGraduations(const Courbe& c, const Transformation& T, const Graduation& g, float cP, double rayon) {
  const double px[4] = {c.a.x, c.a1.x, c.b1.x, c.b.x};
  const double py[4] = {c.a.y, c.a1.y, c.b1.y, c.b.y};
  double a0 = AngleVu(c.a.x, c.a.y);
  double a3 = AngleVu(c.b.x, c.b.y);
  const double t01 = 0.1f;
  const double u01 = 0.9f;
  const double x01 = u01 * u01 * u01 * px[0] + 3 * u01 * u01 * t01 * px[1] + 3 * t01 * t01 * u01 * px[2] +
                     t01 * t01 * t01 * px[3];
  const double y01 = u01 * u01 * u01 * py[0] + 3 * u01 * u01 * t01 * py[1] + 3 * t01 * t01 * u01 * py[2] +
                     t01 * t01 * t01 * py[3];
  const double a01 = AngleVu(x01, y01);

  bool croissant = a01 > a0;
  if (std::fabs(a0 - a01) > 3.1415927f || Signe(a0) != Signe(a01)) {
    // The first tenth of the curve crosses the x axis. A start lying on the positive x axis itself
    // (angle 0) crosses nothing: its direction is the one just found.
    if (c.a.x < 0)
      croissant = !(c.a.y < 0);
    else if (c.a.y > 0)
      croissant = false;
  }
  if (!croissant) {
    if (a3 > a0) a0 += Tour;
  } else if (a3 < a0) {
    a3 += Tour;
  }

  auto graduation = [&](int i, const Point2& p, float cible, bool marque) {
    const Point2 G = T(p);
    if (marque && cP != -1) Rond(G, rayon, static_cast<int32_t>(cP));
    double phi = cible;
    if (g.rotation != 0) phi = g.rotation * DegresEnRadians + (g.rotationRelative ? cible : 0.0);
    const Point2 E = T({p.x + g.longueur * std::cos(phi), p.y + g.longueur * std::sin(phi)});
    Sortie->DrawWidth = LargeurPlume();
    Segment(G, E, Encre.CouleurCmd);
    Sortie->DrawWidth = LargeurMarques();

    if (!g.avecTextes || g.textes.isEmpty()) return;
    const QString& texte = g.textes[i % g.textes.size()];
    const double w = Sortie->TextWidth(texte);
    const double h = -Sortie->TextHeight(texte);
    const Point2 ancre = Absolu(T({p.x + g.distance * std::cos(phi), p.y + g.distance * std::sin(phi)}));
    Repere.XCourant = static_cast<float>(ancre.x);
    Repere.YCourant = static_cast<float>(ancre.y);
    Sortie->CurrentX = Repere.XCourant;
    Sortie->CurrentY = Repere.YCourant;
    const double angle = g.angleTexteRelatif ? g.angleTexte - 90 + phi / DegresEnRadians : g.angleTexte;
    if (Encre.CouleurCmd != -1) Sortie->ForeColor = static_cast<uint32_t>(Encre.CouleurCmd);
    EcritTexteAligne(w, h, angle, texte, QString(), 0);
  };

  if (!g.liste) {
    float cible = static_cast<float>(a0);
    for (int i = 0; i <= g.nombre; ++i) {
      Point2 p;
      if (i == 0) {
        p = c.a;
      } else if (i == g.nombre) {
        p = c.b;
      } else {
        PointBezier(cible, a0, a3, px, py, p.x, p.y, croissant);
      }
      graduation(i, p, cible, i != 0 && i != g.nombre);
      cible += static_cast<float>((a3 - a0) / g.nombre);
    }
    return;
  }

  // A negative count asks for a list and gives none.
  if (g.entrees.isEmpty()) ErreurChampN(Lecture.ParamLigne, 3, TexteMsg(TexteRaison::NonAdmis));
  const float bas = static_cast<float>(std::min(a0, a3)), haut = static_cast<float>(std::max(a0, a3));
  for (int i = 0; i < g.entrees.size(); ++i) {
    const QString entree = g.entrees[i];
    double cible;
    if (InStr(UCase(entree), QStringLiteral("°")) > 0) {
      cible = Valeur(Replace(entree, QStringLiteral("°"), QString())) * DegresEnRadians;
      if (bas > cible)
        cible += Tour;
      else if (haut < cible)
        cible -= Tour;
    } else {
      cible = a0 + (a3 - a0) * Valeur(entree) / 100;
    }
    if (bas > cible || cible > haut) continue;
    Point2 p;
    PointBezier(cible, a0, a3, px, py, p.x, p.y, croissant);
    graduation(i, p, static_cast<float>(cible), true);
  }
}

// Sub-fields 2 to 6 of the curve colour field: the scales, the offsets and the turn of the
// command. The turn is in AngRotDeg; AngRotRad follows once the graduations are read.
Transformation LitTransformation(const QStringList& sous) {
  Transformation T;
  Rotation.AngRotDeg = Rotation.AngRotDefaut;
  Rotation.AngRotDonne = false;
  if (sous.size() > 1) T.aX = static_cast<float>(Valeur(sous[1]));
  if (sous.size() > 2) T.aY = static_cast<float>(Valeur(sous[2]));
  if (T.aX == 0) T.aX = 1;
  if (T.aY == 0) T.aY = 1;
  if (sous.size() > 3) T.bX = static_cast<float>(Valeur(sous[3]));
  if (sous.size() > 4) T.bY = static_cast<float>(Valeur(sous[4]));
  if (sous.size() > 5 && !Trim(sous[5]).isEmpty())
    Rotation.AngRotDeg = VersSingle(-LitParam(Trim(sous[5]), 1).value_or(0.0));
  return T;
}

// The first curve, fields 4 to 11: A from the turning point, A' and B from A, B' from B.
Courbe LitPremiereCourbe(const QString& ligne) {
  Courbe c;
  const Point2 rot{Repere.XRot, Repere.YRot};
  c.a = LitPointDefaut(ligne, 4, rot, rot);
  c.a1 = LitPointDefaut(ligne, 6, c.a, c.a);
  c.b = LitPointDefaut(ligne, 8, c.a, c.a);
  c.b1 = LitPointDefaut(ligne, 10, c.b, c.b);
  return c;
}

// The next group: empty start fields continue from the previous end, with its end vector.
Courbe LitCourbeSuivante(const QString& ligne, const Courbe& c) {
  const double lb = std::hypot(c.b1.x - c.b.x, c.b1.y - c.b.y);
  double phi = lb > 0 ? ArcSin((c.b1.y - c.b.y) / lb) : 0.0;
  if (c.b1.x - c.b.x < 0) phi = Pi - phi;
  Courbe s;
  s.a = LitPointDefaut(ligne, 1, c.b, c.b);
  if (ChampVide(ligne, 3) && ChampVide(ligne, 4))
    s.a1 = {s.a.x + lb * std::cos(phi + Pi), s.a.y + lb * std::sin(phi + Pi)};
  else
    s.a1 = LitPointDefaut(ligne, 3, s.a, s.a);
  s.b = LitPointDefaut(ligne, 5, s.a, s.a);
  if (ChampVide(ligne, 7) && ChampVide(ligne, 8))
    s.b1 = {s.b.x + lb * std::cos(phi), s.b.y + lb * std::sin(phi)};
  else
    s.b1 = LitPointDefaut(ligne, 7, s.b, s.b);
  return s;
}

// The outline of the filled curves, gathered in PtsPolygone from its first entry.
struct Contour {
  int n = 0;
  void Ajoute(const Point2& p) {
    if (n > IndiceMaxContour) LeveErreurExecution(QStringLiteral("subscript out of range"));
    Sommets.PtsPolygone[static_cast<size_t>(n)] = PointDeviceRelatif(p.x, p.y);
    ++n;
  }
};

// One curve through its transformed points P, cut into segments drawn or added to the outline
// (only its graduations with 'seule'). Gives the last point reached.
Point2 TraceSegmentsCourbe(const Point2 P[4], double& segmentsFaits, bool plein, bool seule,
                           Contour& contour) {
  double d = std::hypot(P[2].x - P[0].x, P[2].y - P[0].y);
  if (d < 50) d = 50;
  const double reste = std::max(50.0, SegmentsMax - segmentsFaits);
  if (!(d <= reste)) d = reste;
  const int nombre = static_cast<int>(Int(d));
  segmentsFaits += nombre;
  const float pas = 1.0f / static_cast<float>(nombre);

  Point2 prec = P[0];
  if (plein) contour.Ajoute(prec);
  float t = pas;
  int compte = 0;
  do {
    const Point2 q{Cubique(t, P[0].x, P[1].x, P[2].x, P[3].x), Cubique(t, P[0].y, P[1].y, P[2].y, P[3].y)};
    if (!seule) {
      if (plein)
        contour.Ajoute(q);
      else
        Segment(prec, q, Encre.CouleurCmd);
    }
    prec = q;
    t += pas;
    TesteArretTiret(++compte);
  } while (t <= 1.00001f);
  return prec;
}

// The construction marks of one curve: its two vectors and a dot at each end.
void TraceConstruction(const Point2 P[4], double rayon, float cP) {
  const int32_t couleur = static_cast<int32_t>(cP);
  Sortie->DrawWidth = LargeurMarques();
  if (P[0].x != P[1].x || P[0].y != P[1].y) Segment(P[0], P[1], couleur);
  if (P[3].x != P[2].x || P[3].y != P[2].y) Segment(P[3], P[2], couleur);
  Rond(P[0], rayon, couleur);
  Rond(P[3], rayon, couleur);
  Sortie->DrawWidth = LargeurPlume();
}

// A fill in the colour "N" draws nothing, like every other drawing in that colour.
void RemplitContour(const Contour& contour) {
  if (Encre.CouleurCmd != -1 && contour.n > 0) {
    Sortie->DrawWidth = LargeurPlume();
    Sortie->FillStyle = 0;
    Sortie->ForeColor = static_cast<uint32_t>(Encre.CouleurCmd);
    Sortie->FillColor = static_cast<uint32_t>(Encre.CouleurCmd);
    TracePolygoneDevice(0, contour.n);
    Sortie->FillStyle = 1;
  }
  Sommets.PtsPolygone.clear();
}

}  // namespace

float PointBezier(double cible, double a0, double a3, const double px[4], const double py[4], double& x,
                  double& y, bool croissant) {
  float bas = 0, haut = 1, t = 0;
  for (int k = 0;; ++k) {
    t = (bas + haut) / 2;
    x = Cubique(t, px[0], px[1], px[2], px[3]);
    y = Cubique(t, py[0], py[1], py[2], py[3]);
    double alpha = AngleVu(x, y);
    if (alpha < a0 && alpha < a3) alpha += Tour;
    if (std::fabs(cible - alpha) < 0.001 || k >= 20) break;
    if (croissant == (alpha < cible))
      bas = t;
    else
      haut = t;
  }
  return t;
}

void TraceBezier(const QString& motCle, QString& ligne) {
  const bool plein = motCle == QStringLiteral("BEZIERP");
  const bool gradue = motCle == QStringLiteral("BEZIER_AGR");
  Sommets.PtsPolygone.assign(IndiceMaxContour + 1, QPoint());

  const QString champConstruction = Trim(ParamN(ligne, 1));
  const float cP = champConstruction.isEmpty()
                       ? -1.0f
                       : static_cast<float>(static_cast<int32_t>(ValeurCouleur(champConstruction)));
  const GardeEpaisT styleTrait(ParamN(ligne, 2));

  const QStringList sous = ParamN(ligne, 3).split(Lecture.SepSousParam);
  Encre.CouleurCmd =
      Trim(sous[0]).isEmpty() ? Encre.CouleurCourante : static_cast<int32_t>(ValeurCouleur(sous[0]));
  const Transformation T = LitTransformation(sous);
  const Graduation g = LitGraduation(sous);
  Rotation.AngRotRad = static_cast<float>(Rotation.AngRotDeg * DegresEnRadians);

  Courbe c = LitPremiereCourbe(ligne);
  ResteParams(ligne, 3);

  Contour contour;
  Point2 dernier;
  double segmentsFaits = 0;
  for (;;) {
    const Point2 P[4] = {T(c.a), T(c.a1), T(c.b1), T(c.b)};
    Sortie->DrawWidth = LargeurPlume();
    const double rayon = (Plume.EpaisseurTrait + 0.5) * MmParPixel() / Cadrage.EchelleX;
    dernier = TraceSegmentsCourbe(P, segmentsFaits, plein, g.seule, contour);
    if (cP != -1) TraceConstruction(P, rayon, cP);
    if (gradue) TraceGraduations(c, T, g, cP, rayon);

    ResteParams(ligne, 8);
    if (Trim(ligne).isEmpty()) break;
    c = LitCourbeSuivante(ligne, c);
  }

  if (plein) RemplitContour(contour);

  Repere.XCourant = static_cast<float>(dernier.x + Repere.OrigineX + Repere.CTx);
  Repere.YCourant = static_cast<float>(dernier.y + Repere.OrigineY + Repere.CTy);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
  RotationCourant(Rotation.AngRotDeg);
}

void TraceBezier(int niveau, const QString& param) {
  QString ligne = param;
  TraceBezier(UCase(Trim(Niveau(niveau).MotCle)), ligne);
}
