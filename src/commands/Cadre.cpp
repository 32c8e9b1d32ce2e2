#include <QScopeGuard>
#include <QString>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "commands/Commands.h"
#include "commands/Ellipse.h"
#include "commands/Gradients.h"
#include "drawing/Device.h"
#include "drawing/DrawState.h"
#include "drawing/Pen.h"
#include "drawing/Points.h"
#include "drawing/Rotation.h"
#include "drawing/Segments.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "values/Colours.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;
constexpr double DemiPi = 3.14159265358979 / 2;

// Letters written after the first sub-separator of a field.
QString SuiteSousChamp(const QString& champ) {
  const int p = InStr(champ, Lecture.SepSousParam);
  return p > 0 ? UCase(Mid(champ, p + Lecture.SepSousParam.size())) : QString();
}

struct Cadre {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  double r = 0;
  bool chanfrein = false;
  double theta = 0;

  void Sommet(int k, double x, double y) const {
    PointPoly(k, x, y, Sommets.CentrePolyX, Sommets.CentrePolyY, theta, Rotation.AngRotDeg);
  }

  // The outline, clockwise from the left side: rounded, chamfered or square corners for r >= 0,
  // quarter arcs hollowed out of the corners for r < 0. Gives the number of vertices built.
  int NombreSommets() const {
    int m = 0;
    if (r != 0 && !chanfrein) {
      m = static_cast<int>(ArrondiPair(std::fabs(r * 1.57079637) - 1));
      m = std::clamp(m, 20, 247);
    }
    const double xL = x1, yB = y1, xR = x2, yT = y2;
    const int nombre = r >= 0 ? 4 * m + 12 : 4 * m + 8;
    Sommets.PtsPoly.assign(static_cast<size_t>(nombre) + 1, PointXY());
    auto angle = [m](int i) { return i * 3.14159265358979 / (2.0 * (m + 1)); };
    if (r >= 0) {
      Sommet(1, xL, yB + r);
      Sommet(2, xL, yB + (yT - yB) / 2);
      Sommet(3, xL, yT - r);
      for (int i = 1; i <= m; ++i)
        Sommet(3 + i, xL + r - r * std::cos(angle(i)), yT - r + r * std::sin(angle(i)));
      Sommet(m + 4, xL + r, yT);
      Sommet(m + 5, xL + (xR - xL) / 2, yT);
      Sommet(m + 6, xR - r, yT);
      for (int i = 1; i <= m; ++i)
        Sommet(m + 6 + i, xR - r + r * std::sin(angle(i)), yT - r + r * std::cos(angle(i)));
      Sommet(2 * m + 7, xR, yT - r);
      Sommet(2 * m + 8, xR, yB + (yT - yB) / 2);
      Sommet(2 * m + 9, xR, yB + r);
      for (int i = 1; i <= m; ++i)
        Sommet(2 * m + 9 + i, xR - r + r * std::cos(angle(i)), yB + r - r * std::sin(angle(i)));
      Sommet(3 * m + 10, xR - r, yB);
      Sommet(3 * m + 11, xL + (xR - xL) / 2, yB);
      Sommet(3 * m + 12, xL + r, yB);
      for (int i = 1; i <= m; ++i)
        Sommet(3 * m + 12 + i, xL + r - r * std::sin(angle(i)), yB + r - r * std::cos(angle(i)));
    } else {
      const double p = -r;
      Sommet(1, xL, yB + p);
      Sommet(2, xL, yT - p);
      for (int i = 1; i <= m; ++i) Sommet(2 + i, xL + p * std::sin(angle(i)), yT - p * std::cos(angle(i)));
      Sommet(m + 3, xL + p, yT);
      Sommet(m + 4, xR - p, yT);
      for (int i = 1; i <= m; ++i)
        Sommet(m + 4 + i, xR - p * std::cos(angle(i)), yT - p * std::sin(angle(i)));
      Sommet(2 * m + 5, xR, yT - p);
      Sommet(2 * m + 6, xR, yB + p);
      for (int i = 1; i <= m; ++i)
        Sommet(2 * m + 6 + i, xR - p * std::sin(angle(i)), yB + p * std::cos(angle(i)));
      Sommet(3 * m + 7, xR - p, yB);
      Sommet(3 * m + 8, xL + p, yB);
      for (int i = 1; i <= m; ++i)
        Sommet(3 * m + 8 + i, xL + p * std::cos(angle(i)), yB + p * std::sin(angle(i)));
    }
    return nombre;
  }

  void TraceSimple(bool plein) const {
    const int nombre = NombreSommets();
    if (Encre.CouleurCmd < 0) return;
    if (plein) {
      Sommets.PtsPolygone.assign(Sommets.PtsPoly.size(), QPoint());
      RemplitPolygone(1, nombre, Encre.CouleurCmd);
      return;
    }
    const float ox = static_cast<float>(Repere.CTx + Repere.OrigineX),
                oy = static_cast<float>(Repere.CTy + Repere.OrigineY);
    auto segment = [&](int a, int b) {
      const PointXY& p = Sommets.PtsPoly[static_cast<size_t>(a)];
      const PointXY& q = Sommets.PtsPoly[static_cast<size_t>(b)];
      TraceSegment(p.x + ox, p.y + oy, q.x + ox, q.y + oy, 0, Encre.CouleurCmd);
    };
    for (int k = 2; k <= nombre; ++k) segment(k - 1, k);
    segment(nombre, 1);
  }

  // Horizontal bands of the gradient swept from the lower edge up: the lower corners, the straight
  // middle, the upper corners.
  void TraceDegrade(int32_t c2) const;
};

// The pieces of a gradient frame. Each piece is one polygon whose right side mirrors its left one.
// Every band top is reckoned from its zone's base by the band's index: a band too thin to move a
// height on by one addition still ends the zone after as many bands as the frame holds.
class Degrade {
 public:
  Degrade(const Cadre& c, BandesCouleur& bandes, double xL, double xR, double yB, double yT)
      : theta_(c.theta), chanfrein_(c.chanfrein), bandes_(bandes), xL_(xL), xR_(xR), yB_(yB), yT_(yT) {
    rc_ = std::fabs(c.r);
    h_ = (yT - yB) / bandes.Nombre();
    eps_ = (yT - yB) * 1e-9;
    if (rc_ != 0) {
      du_ = 1.0 / (rc_ * std::sqrt(Cadrage.FacteurEchelle));
      if (!std::isfinite(du_) || du_ < PasAngulaireMin) du_ = PasAngulaireMin;
    }
  }

  void Trace() {
    y_ = yB_;
    j_ = 0;
    t_ = Sommet(yB_, j_);
    if (rc_ > 0 && chanfrein_)
      CoinsBasChanfreins();
    else if (rc_ > 0)
      CoinsBasArrondis();
    Milieu();
    if (rc_ <= 0 || y_ >= yT_ - eps_) return;
    if (chanfrein_)
      CoinsHautChanfreins();
    else
      CoinsHautArrondis();
  }

 private:
  static PointXY Pt(double x, double y) { return PointXY{static_cast<float>(x), static_cast<float>(y)}; }

  // The top of band j of the zone that starts at 'base'.
  double Sommet(double base, int j) const { return std::min(base + (j + 1) * h_, yT_); }

  void Morceau(std::initializer_list<PointXY> gauche) {
    const int n = 2 * static_cast<int>(gauche.size());
    Sommets.PtsPoly.assign(static_cast<size_t>(n) + 1, PointXY());
    Sommets.PtsPolygone.assign(static_cast<size_t>(n) + 1, QPoint());
    int k = 1;
    for (const PointXY& p : gauche)
      PointPolyR(k++, p.x, p.y, Sommets.CentrePolyX, Sommets.CentrePolyY, theta_, Rotation.AngRotDeg);
    for (auto it = std::rbegin(gauche); it != std::rend(gauche); ++it)
      PointPolyR(k++, xL_ + xR_ - it->x, it->y, Sommets.CentrePolyX, Sommets.CentrePolyY, theta_,
                 Rotation.AngRotDeg);
    Sortie->ForeColor = Sortie->FillColor = static_cast<uint32_t>(bandes_.Couleur());
    TracePolygoneDevice(1, n);
    TesteArretTiret(++morceaux_);
  }

  void CoinsBasChanfreins() {
    for (j_ = 0; y_ < yB_ + rc_ - eps_; ++j_) {
      const double haut = std::min(Sommet(yB_, j_), yB_ + rc_);
      Morceau({Pt(xL_ + rc_ - (y_ - yB_), y_), Pt(xL_ + rc_ - (haut - yB_), haut)});
      bandes_.Avance(false);
      y_ = haut;
    }
    t_ = y_ + h_;
  }

  // The arc ends at its quarter point at the latest; a band left unfinished there is finished by
  // the middle zone.
  void CoinsBasArrondis() {
    double a = 0;
    PointXY courant = Pt(xL_ + rc_, yB_);
    while (y_ < yB_ + rc_ - eps_) {
      double an = std::min(a + du_, DemiPi);
      double xn = an == DemiPi ? xL_ : xL_ + rc_ - rc_ * std::sin(an);
      double yn = an == DemiPi ? yB_ + rc_ : yB_ + rc_ - rc_ * std::cos(an);
      const bool atteint = yn >= t_ - eps_;
      if (atteint) {
        yn = t_;
        an = ArcCos((yB_ + rc_ - t_) / rc_);
        xn = xL_ + rc_ - rc_ * std::sin(an);
      }
      const PointXY suivant = Pt(xn, yn);
      Morceau({courant, suivant});
      courant = suivant;
      a = an;
      y_ = yn;
      if (atteint) {
        bandes_.Avance(false);
        t_ = Sommet(yB_, ++j_);
      }
    }
  }

  // The first piece ends at the band top reached so far, each later one a band higher.
  void Milieu() {
    const double hautMilieu = yT_ - rc_;
    const double premier = t_;
    for (j_ = 0; y_ < hautMilieu - eps_; ++j_) {
      const double haut = std::min(premier + j_ * h_, hautMilieu);
      Morceau({Pt(xL_, y_), Pt(xL_, haut)});
      bandes_.Avance(false);
      y_ = haut;
    }
  }

  void CoinsHautChanfreins() {
    const double baseHaut = yT_ - rc_;
    y_ = baseHaut;
    for (j_ = 0; y_ < yT_ - eps_; ++j_) {
      const double haut = Sommet(baseHaut, j_);
      Morceau({Pt(xL_ + (y_ - baseHaut), y_), Pt(xL_ + (haut - baseHaut), haut)});
      bandes_.Avance(true);
      y_ = haut;
    }
  }

  void CoinsHautArrondis() {
    const double baseHaut = yT_ - rc_;
    y_ = baseHaut;
    j_ = 0;
    t_ = Sommet(baseHaut, j_);
    double a = DemiPi;
    PointXY courant = Pt(xL_, yT_ - rc_);
    while (y_ < yT_ - eps_) {
      double an = a - du_;
      double xn = xL_ + rc_, yn = yT_;
      if (an > 0) {
        xn = xL_ + rc_ - rc_ * std::sin(an);
        yn = yT_ - rc_ + rc_ * std::cos(an);
      } else {
        an = 0;
      }
      const bool atteint = yn >= t_ - eps_;
      if (atteint) {
        yn = t_;
        an = ArcCos((t_ - (yT_ - rc_)) / rc_);
        xn = xL_ + rc_ - rc_ * std::sin(an);
      }
      const PointXY suivant = Pt(xn, yn);
      Morceau({courant, suivant});
      courant = suivant;
      a = an;
      y_ = yn;
      if (atteint) {
        bandes_.Avance(true);
        t_ = Sommet(baseHaut, ++j_);
      }
    }
  }

  double theta_;
  bool chanfrein_;
  BandesCouleur& bandes_;
  double xL_, xR_, yB_, yT_;
  double rc_ = 0, h_ = 0, eps_ = 0, du_ = 0;
  int morceaux_ = 0;
  // Where the sweep stands: the height reached, the band's index in its zone and the band's top.
  double y_ = 0, t_ = 0;
  int j_ = 0;
};

void Cadre::TraceDegrade(int32_t c2) const {
  const double xL = std::min(x1, x2), xR = std::max(x1, x2);
  const double yB = std::min(y1, y2), yT = std::max(y1, y2);
  if (yT - yB <= 0) return;
  BandesCouleur bandes(Encre.CouleurCmd, c2);
  Degrade(*this, bandes, xL, xR, yB, yT).Trace();
}

}  // namespace

void TraceCadre(int niveau) {
  const QString param = Lecture.ParamLigne;
  const QString motCle = UCase(Trim(Niveau(niveau).MotCle));
  const bool arrondi = Mid(motCle, 6, 1) == QStringLiteral("A");
  const bool plein = motCle == QStringLiteral("CADREP") || motCle == QStringLiteral("CADREAP");
  const int d = arrondi ? 1 : 0;  // the rounded variants hold the radius in field 5
  // The command's own pen and the vertex arrays last until the command ends, however it ends.
  GardeEpaisT style;
  const auto remise = qScopeGuard([] {
    Sortie->FillStyle = 1;
    Sommets.PtsPoly.clear();
    Sommets.PtsPolygone.clear();
  });
  AjouteOrdre(OrdreDessin);

  Cadre c;
  LitPointVar(c.x1, c.y1, param, 1, Repere.XRot, Repere.YRot);
  LitPoint(c.x2, c.y2, param, 3, c.x1, c.y1);
  if (Trim(ParamN(param, 3)).isEmpty()) c.x2 = c.x1;
  if (Trim(ParamN(param, 4)).isEmpty()) c.y2 = c.y1;

  const QString champAngle = ParamN(param, 7 + d);
  c.theta = -LitParam(param, 7 + d).value_or(0.0) * DegresEnRadians;

  const QString champY = ParamN(param, 2);
  const int pa = InStr(champY, Lecture.SepSousParam);
  if (pa > 0)
    Rotation.AngRotDeg =
        VersSingle(-LitParam(Mid(champY, pa + Lecture.SepSousParam.size()), 1).value_or(0.0));
  else
    Rotation.AngRotDeg = Rotation.AngRotDefaut;
  Rotation.AngRotRad = static_cast<float>(Rotation.AngRotDeg * DegresEnRadians);

  if (InStr(SuiteSousChamp(ParamN(param, 1)), QStringLiteral("C")) > 0) {
    const double mx = std::min(c.x1, c.x2), my = std::min(c.y1, c.y2);
    const double lx = (c.x2 - c.x1) / 2, ly = (c.y2 - c.y1) / 2;
    c.x1 = mx - lx;
    c.x2 = mx + lx;
    c.y1 = my - ly;
    c.y2 = my + ly;
  }

  if (arrondi) {
    c.r = static_cast<float>(LitParam(param, 5).value_or(0.0));
    const double signe = c.r > 0 ? 1 : (c.r < 0 ? -1 : 0);
    if (std::fabs(c.r) > std::fabs(c.x2 - c.x1) / 2) c.r = signe * std::fabs(c.x2 - c.x1) / 2;
    if (std::fabs(c.r) > std::fabs(c.y2 - c.y1) / 2) c.r = signe * std::fabs(c.y2 - c.y1) / 2;
    c.chanfrein = InStr(SuiteSousChamp(ParamN(param, 5)), QStringLiteral("D")) > 0;
  }

  const QString champCouleur = ParamN(param, 5 + d);
  const CouleurLue lue = ValeurCouleur(champCouleur);
  Encre.CouleurCmd = lue.EstVide() ? Encre.CouleurCourante : static_cast<int32_t>(lue);
  CouleurLue c2;
  const int pc = InStr(champCouleur, Lecture.SepSousParam);
  if (pc > 0) {
    c2 = ValeurCouleur(Mid(champCouleur, pc + Lecture.SepSousParam.size()));
    if (!c2.EstVide() && static_cast<int32_t>(c2) == -1) c2 = CouleurLue();
    // The list built and the list drawn are the same: with a second colour the corners are round.
    c.r = std::fabs(c.r);
  }

  style.Applique(ParamN(param, 6 + d));

  Sommets.CentrePolyX = static_cast<float>((c.x1 + c.x2) / 2);
  Sommets.CentrePolyY = static_cast<float>((c.y1 + c.y2) / 2);
  const QString centreTour = SuiteSousChamp(champAngle);
  if (InStr(centreTour, QStringLiteral("C")) == 0) {
    if (InStr(centreTour, QStringLiteral("1")) > 0) {
      Sommets.CentrePolyX = static_cast<float>(c.x1);
      Sommets.CentrePolyY = static_cast<float>(c.y1);
    } else if (InStr(centreTour, QStringLiteral("2")) > 0) {
      Sommets.CentrePolyX = static_cast<float>(c.x2);
      Sommets.CentrePolyY = static_cast<float>(c.y2);
    }
  }

  const int32_t couleur2 = c2;
  if (plein && Encre.CouleurCmd != -1 && couleur2 != 0 && couleur2 != Encre.CouleurCmd) {
    Sortie->FillStyle = 0;
    c.TraceDegrade(couleur2);
  } else {
    c.TraceSimple(plein);
  }

  Repere.XRot = Sommets.CentrePolyX;
  Repere.YRot = Sommets.CentrePolyY;
  const double ca = std::cos(Rotation.AngRotRad), sa = std::sin(Rotation.AngRotRad);
  Repere.XCourant =
      static_cast<float>(Sommets.CentrePolyX * ca + Sommets.CentrePolyY * sa + Repere.CTx + Repere.OrigineX);
  Repere.YCourant =
      static_cast<float>(-Sommets.CentrePolyX * sa + Sommets.CentrePolyY * ca + Repere.CTy + Repere.OrigineY);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
}
