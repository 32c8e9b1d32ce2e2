#include <QString>
#include <QStringList>
#include <array>
#include <cmath>
#include <functional>
#include <initializer_list>

#include "commands/Catenary.h"
#include "commands/Commands.h"
#include "drawing/DrawState.h"
#include "drawing/Segments.h"
#include "platform/Events.h"
#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;
constexpr double Pi = 3.14159265358979;
constexpr int SegmentsEntreAttentes = 1000;
// An arc of a chain never takes more segments than this: 2.5 m at the finest step of 0.05.
constexpr double SegmentsParArcMax = 50000;

const QString Crlf = QStringLiteral("\r\n");

// The name of an output variable written in a raw field: "%NAME" upper-cased, or empty.
QString NomSortie(const QString& champ) {
  const QString nom = UCase(Trim(champ));
  return nom.startsWith(QLatin1Char('%')) ? nom : QString();
}

// Single-precision values with a leading blank when not negative, joined by ", ".
QString Liste(std::initializer_list<double> valeurs) {
  QStringList textes;
  for (const double v : valeurs) textes << StrNombre(VersSingle(v));
  return textes.join(QStringLiteral(", "));
}

double Fini(double v) {
  if (!std::isfinite(v)) ErreurChainette(QStringLiteral("débordement / overflow"));
  return v;
}

// Draws the chain piece by piece, relative to the first anchor, in the command's scale and angle.
class Traceur {
 public:
  Traceur(double feX, double feY, double angle) : feX_(feX), feY_(feY), angle_(angle) {}

  void Vers(double x, double y) {
    const float x2 = VersSingle(Fini(Repere.OrigineX + Repere.CTx + feX_ * x));
    const float y2 = VersSingle(Fini(Repere.OrigineY + Repere.CTy + feY_ * y));
    TraceSegment(x1_, y1_, x2, y2, angle_, Encre.CouleurCmd);
    x1_ = x2;
    y1_ = y2;
    if (++segments_ % SegmentsEntreAttentes == 0) {
      DoEvents();
      if (Arret) ErreurRun();
    }
  }
  // The curve from 'debut' to 'fin' in steps of 'pas', then to 'dernier'. Each x is reckoned from
  // the start by its index, so a step too small for single precision still moves on, and a span
  // of more than SegmentsParArcMax steps is drawn in that many.
  void Courbe(float debut, float fin, float pas, double dernier, const std::function<double(double)>& y) {
    if (fin >= debut) {
      double p = pas, n = pas > 0 ? std::floor((static_cast<double>(fin) - debut) / p) : 0;
      if (n > SegmentsParArcMax) {
        p = (static_cast<double>(fin) - debut) / SegmentsParArcMax;
        n = SegmentsParArcMax;
      }
      for (int k = 0; k <= static_cast<int>(n); ++k) {
        const float x = static_cast<float>(debut + k * p);
        Vers(x, y(x));
      }
    }
    Vers(dernier, y(dernier));
  }

 private:
  double feX_, feY_, angle_;
  float x1_ = static_cast<float>(Repere.OrigineX + Repere.CTx),
        y1_ = static_cast<float>(Repere.OrigineY + Repere.CTy);
  int segments_ = 0;
};

struct Sorties {
  int niveau = NiveauCourant;
  std::array<QString, 14> noms;

  void Nombre(int champ, double v) {
    QString& nom = noms[static_cast<size_t>(champ)];
    if (!nom.isEmpty()) StockeVariable(niveau, nom, VersSingle(Fini(v)));
  }
  void Texte(int champ, const QString& texte) {
    QString& nom = noms[static_cast<size_t>(champ)];
    if (!nom.isEmpty()) StockeTexteVariable(niveau, nom, texte);
  }
};

// The step along one arc of a loaded chain: finer for a short arc.
float PasArc(double portee) { return std::fabs(portee) < 2 ? 0.01f : 0.05f; }

void ChaineSansCharge(double dx, double dy, double L, double a, double theta1, double x0, Traceur& trace,
                      Sorties& sorties) {
  const double ya = a * Ch(x0 / a);
  auto y = [&](double x) { return a * Ch((x - x0) / a) - ya; };
  const float pas = static_cast<float>(dx / 100);
  trace.Courbe(pas, static_cast<float>(dx - dx / 100), pas, dx, y);

  sorties.Nombre(2, dy);
  sorties.Nombre(3, L);
  sorties.Nombre(4, a);
  const double theta2 = std::atan(Sh((dx - x0) / a));
  sorties.Texte(5, Liste({theta1 / DegresEnRadians, theta2 / DegresEnRadians, theta1 / DegresEnRadians}));
  // The tension a·sh / sin(angle) of the old formula is a·ch, also where the angle is 0.
  sorties.Texte(8, Liste({a * Ch(x0 / a), a * Ch((dx - x0) / a)}));
  sorties.Nombre(9, x0);
  const double xf = a * ArgSh(-dy / dx) + x0;
  sorties.Nombre(10, xf);
  sorties.Nombre(11, a * Ch((x0 - xf) / a) - ya);
}

struct Arc {
  double a = 0, x = 0, theta = 0;
};

// One arc of a loaded chain through the solver; an arc that it cannot place ends the command.
Arc ResoutArc(double dx, double dy, double L) {
  Arc arc;
  double l = L;
  try {
    ResoutChainette(dx, dy, l, arc.a, arc.theta, arc.x);
  } catch (const ErreurExecution& e) {
    if (Arret) throw;
    QString raison = Incident.DetailErreur.isEmpty() ? e.raison() : Incident.DetailErreur;
    raison.remove(QStringLiteral("Chain : "));
    Incident.DetailErreur.clear();
    ErreurChainette(QStringLiteral("charge / load : ") + raison.trimmed());
  }
  if (arc.a == 0 || !std::isfinite(arc.a) || !std::isfinite(arc.x))
    ErreurChainette(QStringLiteral("charge : pas de solution / load: no solution"));
  return arc;
}

// Relative gap of a bisection interval; an interval about 0 is measured absolutely.
double Resserre(double haut, double bas) {
  return haut == 0 ? std::fabs(haut - bas) : std::fabs((haut - bas) / haut);
}

// A place of the load: x from the first anchor, y upward from it.
struct PointCharge {
  double x = 0, y = 0;
};

// The lowest place the load can reach, both arcs straight: the first arc of length lc1, the second
// of length l2, between anchors dx, dy apart.
PointCharge PlusBassePlace(double dx, double dy, double lc1, double l2) {
  const double C = static_cast<float>(std::sqrt(dx * dx + dy * dy));
  double x0t = 0, y0t = -lc1;
  if (C + lc1 < l2) {
    x0t = 0;
    y0t = -lc1;
  } else if (C + l2 < lc1) {
    x0t = dx;
    y0t = -dy - l2;
  } else {
    const double k = dy / dx;
    const double M = (dx * dx + dy * dy + lc1 * lc1 - l2 * l2) / (2 * dx);
    const double A = k * k + 1, B = 2 * M * k, E = M * M - lc1 * lc1;
    const double disc = B * B - 4 * A * E;
    if (disc >= 0) {
      y0t = (-B - std::sqrt(disc)) / (2 * A);
      x0t = std::sqrt(std::max(0.0, lc1 * lc1 - y0t * y0t));
    }
    if (disc < 0 || std::fabs(std::hypot(dx - x0t, dy + y0t) - l2) > 0.01) {
      x0t = 0;
      y0t = -lc1;
    }
    if (x0t > dx) {
      x0t = dx;
      y0t = -l2 - dy;
    }
  }
  return {x0t, y0t};
}

// The load and the two arcs that hold it.
struct Charge {
  double xc = 0, yc = 0;
  Arc arc1, arc2;
  double v1 = 0, v2 = 0;  // the vertical pulls of the arcs at the load
};

// For one height yc of the load: its place between the two reaches by bisection, where the two
// arcs have the same parameter a.
void PlaceCharge(double dx, double dy, double lc1, double l2, double d1, double d2, Charge& c) {
  const double yc = c.yc;
  if (lc1 * lc1 - yc * yc < 0) ErreurChainette(QStringLiteral("charge hors d'atteinte / load out of reach"));
  double xhi = std::sqrt(lc1 * lc1 - yc * yc);
  double xlo = d1 * d1 - yc * yc >= 0 ? std::sqrt(d1 * d1 - yc * yc) : 0;
  if (const double t = d2 * d2 - (dy + yc) * (dy + yc); t >= 0) xhi = std::min(xhi, dx - std::sqrt(t));
  if (const double t = l2 * l2 - (dy + yc) * (dy + yc); t >= 0) xlo = std::max(xlo, dx - std::sqrt(t));
  c.v1 = 0;
  c.v2 = 0;
  for (int n = 1;; ++n) {
    c.xc = (xlo + xhi) / 2;
    c.arc1 = ResoutArc(c.xc, -yc, lc1);
    c.v1 = c.arc1.a * Sh((c.xc - c.arc1.x) / c.arc1.a);
    c.arc2 = ResoutArc(dx - c.xc, std::fabs(yc + dy), l2);
    c.v2 = -yc <= dy ? c.arc2.a * Sh(c.arc2.x / c.arc2.a) : c.arc2.a * Sh((dx - c.xc - c.arc2.x) / c.arc2.a);
    if (c.arc1.a <= c.arc2.a)
      xlo = c.xc;
    else
      xhi = c.xc;
    const double ecart = std::fabs(c.arc1.a - c.arc2.a);
    if ((n > 100 && (c.arc1.a + c.arc2.a) * std::log(n) / 50 > ecart) || Resserre(xhi, xlo) < 2e-15 ||
        ecart < 0.05)
      break;
  }
}

// The height of the load between the place it would have without its weight (y1p) and the lowest
// place (y0t), where the pulls of the arcs carry the weight mr; each height is placed in turn.
Charge ResoutCharge(double dx, double dy, double lc1, double l2, double d1, double d2, double mr, double y1p,
                    double y0t) {
  const double r = std::max(mr / 100, 0.1);
  double yhi = y1p, ylo = y0t;
  Charge c;
  c.yc = (y1p + y0t) / 2;
  for (int passe = 1;; ++passe) {
    PlaceCharge(dx, dy, lc1, l2, d1, d2, c);
    const double somme = c.v1 + c.v2 + mr;
    if (Resserre(yhi, ylo) < 2e-15 || std::fabs(somme) < r) break;
    if (passe >= 1000) ErreurChainette(QStringLiteral("pas de convergence / no convergence"));
    if (somme <= 0)
      ylo = c.yc;
    else
      yhi = c.yc;
    c.yc = 0.2 * ylo + 0.8 * yhi;
  }
  if (std::fabs(1 - c.arc1.a / c.arc2.a) > 0.01) {
    Dialogues().MsgBox(
        Crlf + QStringLiteral("ATTENTION: mauvaise convergence / bad convergence / schlechte Konvergenz") +
            Crlf + Format(c.arc1.a / c.arc2.a, QStringLiteral("0.00")) + QStringLiteral(" <> 1"),
        Boutons::Ok, QStringLiteral("Morvo"));
  }
  return c;
}

// The greatest sag below the chord, on the first arc or on the second.
PointCharge PlusGrandeFleche(double dx, double dy, const Charge& c) {
  const double a1 = c.arc1.a, x1 = c.arc1.x, a2 = c.arc2.a, x2 = c.arc2.x;
  const double xc = c.xc, yc = c.yc;
  const bool sousPoint2 = -yc > dy;
  double xf = a1 * ArgSh(-dy / dx) + x1;
  double yf = 0;
  if (xf <= xc) {
    yf = a1 * Ch((x1 - xf) / a1) - a1 * Ch(x1 / a1);
  } else if (sousPoint2) {
    const double xfp = a2 * ArgSh(dy / dx) + x2;
    if (dx - xc <= xfp) {
      xf = xc;
      yf = yc;
    } else {
      yf = a2 * Ch((xfp - x2) / a2) - a2 * Ch(x2 / a2) - dy;
      xf = dx - xfp;
    }
  } else {
    const double xfp = a2 * ArgSh(-dy / dx) + x2;
    if (xfp <= 0) {
      xf = xc;
      yf = yc;
    } else {
      yf = a2 * (Ch((xfp - x2) / a2) - Ch(x2 / a2)) + yc;
      xf = xfp + xc;
    }
  }
  return {xf, yf};
}

void ChaineAvecCharge(double dx, double dy, double L, double a, double theta1, double x0, double lc1,
                      double mr, Traceur& trace, Sorties& sorties) {
  const double y0 = a * Ch(x0 / a);
  const double s1 = a * Sh(x0 / a);
  const double l2 = L - lc1;

  // Where the load would sit on the chain without it.
  const double x1p = lc1 < s1 ? x0 - a * ArgSh((s1 - lc1) / a) : x0 + a * ArgSh((lc1 - s1) / a);
  const double y1p = a * Ch((x1p - x0) / a) - y0;
  if (x1p < 0) ErreurChainette(QStringLiteral("charge à gauche du point 1 / load left of point 1"));
  const double d1 = std::hypot(x1p, y1p);
  const double d2 = std::hypot(dx - x1p, dy + y1p);

  const PointCharge bas = PlusBassePlace(dx, dy, lc1, l2);
  const Charge c = ResoutCharge(dx, dy, lc1, l2, d1, d2, mr, y1p, bas.y);
  const double xc = c.xc, yc = c.yc;
  const double a1 = c.arc1.a, x1 = c.arc1.x, a2 = c.arc2.a, x2 = c.arc2.x;

  // Arc 1, from the first anchor to the load.
  const double y01 = a1 * Ch(x1 / a1);
  auto yArc1 = [&](double x) { return a1 * Ch((x - x1) / a1) - y01; };
  trace.Courbe(static_cast<float>(dx / 100), static_cast<float>(xc - xc / 100),
               PasArc(dx / 100 - (xc - xc / 100)), xc, yArc1);
  const double ye = yArc1(xc);

  const PointCharge fleche = PlusGrandeFleche(dx, dy, c);

  // Arc 2, from the load to the second anchor.
  double xv = 0, theta2 = 0;
  std::function<double(double)> yArc2;
  if (-yc > dy) {
    xv = dx - x2;
    const double base = a2 * Ch((dx - xv) / a2) + dy;
    yArc2 = [=](double x) { return a2 * Ch((x - xv) / a2) - base; };
    theta2 = c.arc2.theta;
  } else {
    xv = x2 + xc;
    const double base = a2 * Ch(x2 / a2) - ye;
    yArc2 = [=](double x) { return a2 * Ch((x - xc - x2) / a2) - base; };
    theta2 = std::atan(Sh((dx - xv) / a2));
  }
  trace.Courbe(static_cast<float>(xc + dx / 100), static_cast<float>(dx - dx / 100),
               PasArc(dx / 100 + xc - (dx - dx / 100)), dx, yArc2);

  sorties.Nombre(3, L);
  sorties.Texte(4, Liste({a1, a2, a}));
  sorties.Texte(5, Liste({c.arc1.theta * 180 / Pi, theta2 * 180 / Pi, theta1 * 180 / Pi}));
  sorties.Texte(8, Liste({a1 * Ch(x1 / a1), a2 * Ch((dx - xv) / a2)}));
  sorties.Texte(9, Liste({x1, theta2 <= 0 ? 2 * xv + dx : xv, x0}));
  sorties.Nombre(10, fleche.x);
  sorties.Nombre(11, fleche.y);
  sorties.Texte(12, Liste({xc, x1p, bas.x}));
  sorties.Texte(13, Liste({yc, y1p, bas.y}));
}

}  // namespace

void CmdChain(const QString& param) {
  AjouteOrdre(OrdreDessin);
  if (NbParams(param) < 3) ErreurChainette(QStringLiteral("3 champs au moins / at least 3 fields"));

  Sorties sorties;
  double dx = Val(ParamN(param, 1));
  double dy = Val(ParamN(param, 2));
  const QString champL = ParamN(param, 3);
  double L = std::fabs(Val(champL));
  double a = Val(ParamN(param, 4));
  double theta1 = Val(ParamN(param, 5)) * DegresEnRadians;
  double feX = static_cast<float>(Val(ParamN(param, 6)));
  double feY = static_cast<float>(Val(ParamN(param, 7)));
  if (feX == 0) feX = 1;
  if (feY == 0) feY = 1;

  sorties.noms[2] = NomSortie(ParamBrutN(param, 2));
  const QString brutL = ParamBrutN(param, 3);
  const int sepL = InStr(brutL, Lecture.SepSousParam);
  sorties.noms[3] = NomSortie(sepL > 0 ? Left(brutL, sepL - 1) : brutL);
  sorties.noms[4] = NomSortie(ParamBrutN(param, 4));
  sorties.noms[5] = NomSortie(ParamBrutN(param, 5));

  QString champ13 = ParamBrutN(param, 13);
  Rotation.AngRotDeg = Rotation.AngRotDefaut;
  if (const int p = InStr(champ13, Lecture.SepSousParam); p > 0) {
    Rotation.AngRotDeg = VersSingle(
        -LitParam(Mid(champ13, p + static_cast<int>(Lecture.SepSousParam.size())), 1).value_or(0.0));
    champ13 = Left(champ13, p - 1);
  }
  Rotation.AngRotRad = static_cast<float>(Rotation.AngRotDeg * DegresEnRadians);
  for (int champ = 8; champ <= 13; ++champ) {
    const QString brut = Trim(champ == 13 ? champ13 : ParamBrutN(param, champ));
    if (!brut.isEmpty() && !brut.startsWith(QLatin1Char('%')))
      ErreurChainette(QStringLiteral("champ %1 : « %2 » n'est pas une %variable / field %1: not a %variable")
                          .arg(champ)
                          .arg(brut));
    sorties.noms[static_cast<size_t>(champ)] = NomSortie(brut);
  }

  if (!(dx > 0)) ErreurChainette(QStringLiteral("DeltaX <= 0"));
  if (a < 0) ErreurChainette(QStringLiteral("a < 0"));
  double x0 = 0;
  ResoutChainette(dx, dy, L, a, theta1, x0);

  double lc1 = 0, mr = 0;
  if (const int p = InStr(champL, Lecture.SepSousParam); p > 0) {
    const QString reste = Mid(champL, p + static_cast<int>(Lecture.SepSousParam.size()));
    const int q = InStr(reste, Lecture.SepSousParam);
    const QString texteLc1 = q > 0 ? Left(reste, q - 1) : reste;
    const QString droite = RTrim(texteLc1);
    if (droite.endsWith(QLatin1Char('%'))) {
      const double pourcent = std::fabs(Val(Left(droite, static_cast<int>(droite.size()) - 1)));
      lc1 = L > 0 ? L * pourcent / 100 : std::sqrt(dx * dx + dy * dy) * pourcent / 100;
    } else {
      lc1 = std::fabs(Val(texteLc1));
    }
    if (q > 0) {
      mr = LitParam(Mid(reste, q + static_cast<int>(Lecture.SepSousParam.size())), 1).value_or(0.0);
      if (mr < 0) mr = 0;
    }
  }
  if (L > 0 && lc1 >= L) ErreurChainette(QStringLiteral("LC1 >= L"));
  Encre.CouleurCmd = Encre.CouleurCourante;
  if (a == 0) ErreurChainette(QStringLiteral("a = 0 : rien à calculer / nothing to compute"));

  Traceur trace(feX, feY, -Rotation.AngRotDeg);
  if (lc1 == 0)
    ChaineSansCharge(dx, dy, L, a, theta1, x0, trace, sorties);
  else
    ChaineAvecCharge(dx, dy, L, a, theta1, x0, lc1, mr, trace, sorties);
}
