#include "interpreter/Graduations.h"

#include <QScopeGuard>
#include <cmath>
#include <optional>

#include "drawing/Cross.h"
#include "drawing/DrawState.h"
#include "drawing/Pen.h"
#include "drawing/Rotation.h"
#include "drawing/Segments.h"
#include "interpreter/ScaleNumbers.h"
#include "interpreter/ScaleState.h"
#include "platform/Events.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "values/Colours.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Insertions.h"
#include "values/Levels.h"
#include "values/Variables.h"

using namespace legacy;

EtatGraduations Graduations;

namespace {

constexpr double DegresEnRadians = 0.017453293;
constexpr double Pi = 3.14159265358979;
constexpr long ToursEntreArrets = 4096;

[[noreturn]] void AppelInvalide() { LeveErreurExecution(QStringLiteral("invalid procedure call")); }
[[noreturn]] void Depassement() { LeveErreurExecution(QStringLiteral("overflow")); }

double Fini(double v) {
  if (!std::isfinite(v)) Depassement();
  return v;
}

// A 16-bit counter or power of ten moved by one, with the old runtime's overflow.
int16_t Suivant16(int v, int pas) {
  const int r = v + pas;
  if (r > 32767 || r < -32768) Depassement();
  return static_cast<int16_t>(r);
}

float Arrondi4(float x) { return VersSingle(ArrondiPair(static_cast<double>(x) * 10000) / 10000); }

// The point at distance r from the pivot in the direction of scale angle a (radians).
void PointArc(double a, double r, double& x, double& y) {
  const double cx = Repere.OrigineX + Repere.CTx, cy = Repere.OrigineY + Repere.CTy;
  if (Echelle.DecalPivot >= 10000) {
    // A pivot this far off makes the scale a horizontal line through the start point.
    const double h = r * std::sin(Echelle.ArcAngleDebut * DegresEnRadians);
    x = Fini(cx + h * std::tan(a - Pi / 2));
    y = cy + h;
    return;
  }
  if (r == 0) LeveErreurExecution(QStringLiteral("division by zero"));
  const double phi = (Pi - a) - ArcSin(Echelle.DecalPivot * std::cos(a) / r);
  x = cx + r * std::cos(phi);
  y = cy - Echelle.DecalPivot + r * std::sin(phi);
}

// The inner end of a mark: on the scale line itself.
void PointInterieur(GenreEchelle genre, double p, double& x, double& y) {
  const double cx = Repere.OrigineX + Repere.CTx, cy = Repere.OrigineY + Repere.CTy;
  switch (genre) {
    case GenreEchelle::Horizontale:
      x = cx + p;
      y = cy + Echelle.VTrav7;
      return;
    case GenreEchelle::Verticale:
      x = cx + Echelle.VTrav7;
      y = cy + p;
      return;
    case GenreEchelle::Arc:
      PointArc(p * DegresEnRadians,
               Echelle.DecalPivot >= 10000 ? Echelle.ArcRayonDonne : Echelle.ArcRayonDebut, x, y);
      return;
  }
}

// One mark from the scale line out to length L; drawn only when L is not 0. The outer end is left
// in (xc, yc).
void TraceMarque(GenreEchelle genre, double p, double longueur, double t, double& xc, double& yc) {
  double xb = 0, yb = 0;
  PointInterieur(genre, p, xb, yb);
  PointExterieur(genre, p, longueur, t, xc, yc);
  if (longueur != 0) {
    TraceSegment(static_cast<float>(xb), static_cast<float>(yb), static_cast<float>(xc),
                 static_cast<float>(yc), Echelle.AngleCmd, Encre.CouleurCmd);
  }
}

}  // namespace

std::optional<double> SousChampNum(const QString& champ, int n) { return LitParam(SousParamN(champ, n), 1); }

int32_t CouleurChamp(const QString& param, int n) {
  if (Trim(ParamN(param, n)).isEmpty()) return Encre.CouleurCourante;
  return ValeurCouleur(ParamN(param, -n));
}

void TesteArretBoucle(long tours) {
  if (tours % ToursEntreArrets != 0) return;
  DoEvents();
  if (Arret) ErreurRun();
}

void LitChampsLog(const QString& param, int champPas, int champDebut, int champFin) {
  const QString pas = ParamN(param, champPas);
  Graduations.PasLogDebut = VersSingle(SousChampNum(pas, 1).value_or(0.0));
  Echelle.LimitePasLog = VersSingle(SousChampNum(pas, 2).value_or(10.0));
  Graduations.SeuilPasLog = VersSingle(SousChampNum(pas, 3).value_or(1.0));
  Graduations.GradDebut = VersSingle(LitParam(param, champDebut).value_or(0.0));
  if (Graduations.GradDebut == 0) {
    // The scale's start value, split like any other so that a start below 1 or above 10 still
    // falls on the marks of its own decade (a start from 1 to 10 keeps its mantissa).
    MantisseExposant(Echelle.LogDebut, Graduations.GradDebutMant, Graduations.GradDebutExp);
  } else {
    MantisseExposant(Graduations.GradDebut, Graduations.GradDebutMant, Graduations.GradDebutExp);
  }
  Graduations.GradFin = VersSingle(LitParam(param, champFin).value_or(0.0));
  if (Graduations.GradFin == 0) {
    Graduations.GradFinMant = Echelle.LogFin;
    Graduations.GradFinExp = Echelle.LogDecades;
  } else {
    MantisseExposant(Graduations.GradFin, Graduations.GradFinMant, Graduations.GradFinExp);
  }
}

GenreEchelle GenreEchelleCourante() {
  if (Echelle.ArcAngleFin - Echelle.ArcAngleDebut != 0) return GenreEchelle::Arc;
  if (Echelle.DroiteX2 - Echelle.DroiteX1 != 0) return GenreEchelle::Horizontale;
  if (Echelle.DroiteY2 - Echelle.DroiteY1 != 0) return GenreEchelle::Verticale;
  LeveErreurExecution(QStringLiteral("division by zero"));
}

double DebutEchelle(GenreEchelle genre) {
  switch (genre) {
    case GenreEchelle::Arc:
      return Echelle.ArcAngleDebut;
    case GenreEchelle::Horizontale:
      return Echelle.DroiteX1;
    case GenreEchelle::Verticale:
      return Echelle.DroiteY1;
  }
  return 0;
}

double FinEchelle(GenreEchelle genre) {
  switch (genre) {
    case GenreEchelle::Arc:
      return Echelle.ArcAngleFin;
    case GenreEchelle::Horizontale:
      return Echelle.DroiteX2;
    case GenreEchelle::Verticale:
      return Echelle.DroiteY2;
  }
  return 0;
}

double PositionValeur(GenreEchelle genre, double v, bool enDegres, int niveau) {
  if (enDegres) return v;
  const double debut = DebutEchelle(genre), etendue = FinEchelle(genre) - debut;
  const NiveauProg& nv = Niveau(niveau);
  if (nv.EchelleLog) return debut + FractionLog(v) * etendue;
  const double fraction = std::pow(v / 100, static_cast<double>(nv.Exposant));
  if (std::isnan(fraction)) AppelInvalide();
  return Fini(debut + fraction * etendue);
}

void PointExterieur(GenreEchelle genre, double p, double longueur, double t, double& x, double& y) {
  switch (genre) {
    case GenreEchelle::Horizontale:
      PointInterieur(genre, p, x, y);
      x -= longueur * std::sin(t);
      y += longueur * std::cos(t);
      return;
    case GenreEchelle::Verticale:
      PointInterieur(genre, p, x, y);
      x += longueur * std::cos(t);
      y += longueur * std::sin(t);
      return;
    case GenreEchelle::Arc: {
      const double r =
          Echelle.DecalPivot >= 10000
              ? Echelle.ArcRayonDonne + longueur
              : DistanceCosinus(Echelle.DecalPivot, Echelle.ArcRayonDonne + longueur, Echelle.ArcAngleDebut);
      PointArc(p * DegresEnRadians, r, x, y);
      return;
    }
  }
}

void DebutGraduations(int& compteur, double premier, int niveau) {
  if (!Niveau(niveau).EchelleLog) {
    compteur = VersEntier16(premier - 1);
    return;
  }
  // A step that does not move the mantissa up would never reach the end of the run.
  if (!(Graduations.PasLogDebut > 0)) AppelInvalide();
  float s = Graduations.PasLogDebut;
  if (Graduations.PasLogDebut > 1 && Graduations.GradDebutMant == 1) s = Graduations.PasLogDebut - 1;
  Graduations.MantisseGrad = VersSingle(
      Fix((static_cast<double>(Graduations.GradDebutMant) + s - 0.00001) / Graduations.PasLogDebut) *
      Graduations.PasLogDebut);
  if (Graduations.MantisseGrad == 0) Graduations.MantisseGrad = 1;
  Echelle.PasLog = 0;
  Graduations.ExposantGrad = Graduations.ExposantSuiv = Graduations.GradDebutExp;
  compteur = 0;
}

void GraduationSuivante(int& compteur, int niveau) {
  const NiveauProg& nv = Niveau(niveau);
  if (!nv.EchelleLog) {
    compteur = Suivant16(compteur, 1);
    const double v = std::pow(static_cast<double>(compteur), static_cast<double>(nv.Exposant));
    if (std::isnan(v)) AppelInvalide();
    Graduations.ValeurGrad = VersSingle(v);
    return;
  }

  const double fin = Fini(std::pow(10.0, Graduations.GradFinExp) * Graduations.GradFinMant);
  for (long tour = 1;; ++tour) {
    TesteArretBoucle(tour);
    const bool premier = Echelle.PasLog == 0;
    if (Graduations.MantisseGrad == 1 && Echelle.PasLog > 1) {
      Graduations.MantisseSuiv = Echelle.PasLog;
    } else {
      Graduations.MantisseSuiv = Arrondi4(Echelle.PasLog + Graduations.MantisseGrad);
    }
    auto decadeSuivante = [] {
      Echelle.PasLog = Graduations.PasLogDebut;
      Graduations.ExposantSuiv = Suivant16(Graduations.ExposantSuiv, 1);
      Graduations.MantisseSuiv = 1;
    };
    if (Graduations.MantisseSuiv >= 10) decadeSuivante();
    if (Echelle.PasLog == 5 && Graduations.MantisseSuiv == 6) Graduations.MantisseSuiv = 5;
    if (Echelle.PasLog == 5 && Graduations.MantisseSuiv == 9) decadeSuivante();
    if (Echelle.PasLog == 2 && Graduations.MantisseSuiv == 3) Graduations.MantisseSuiv = 2;
    // Every candidate after the first must lie above the one before.
    if (!premier && Graduations.ExposantSuiv == Graduations.ExposantGrad &&
        !(Graduations.MantisseSuiv > Graduations.MantisseGrad))
      AppelInvalide();

    const double v = Fini(std::pow(10.0, Graduations.ExposantSuiv) * Graduations.MantisseSuiv);
    if (fin == v) {
      compteur = IndiceFinLog;
    } else if (fin < v) {
      compteur = IndiceFinLog + 1;
      return;
    }

    const float limite = std::fabs(Echelle.LimitePasLog);
    bool marque = false;
    if (premier) {
      Echelle.PasLog = Graduations.PasLogDebut;
      if (Graduations.MantisseSuiv < Graduations.SeuilPasLog) {
        marque = false;
      } else if (limite == Graduations.MantisseSuiv) {
        marque = true;
      } else if (limite < Graduations.MantisseSuiv) {
        marque = false;
      } else {
        marque = Graduations.MantisseSuiv >= 10 || limite >= Graduations.MantisseSuiv;
      }
    } else if (Graduations.MantisseSuiv >= Graduations.SeuilPasLog) {
      marque = Graduations.MantisseSuiv >= 10 || limite >= Graduations.MantisseSuiv;
      if (!marque) PasLogSuivant();
    }
    Graduations.MantisseGrad = Graduations.MantisseSuiv;
    Graduations.ExposantGrad = Graduations.ExposantSuiv;
    if (marque) {
      Graduations.ValeurGrad = VersSingle(FractionLogExp(Graduations.MantisseGrad, Graduations.ExposantGrad));
      return;
    }
  }
}

void LitPasEtBornes(const QString& param, bool log, int champPremier, int champDernier, double& n,
                    double& premier, double& dernier) {
  n = premier = dernier = 0;
  if (log) {
    LitChampsLog(param, 1, champPremier, champDernier);
    dernier = IndiceFinLog;
  } else {
    n = LitParam(param, 1).value_or(0.0);
    premier = LitParam(param, champPremier).value_or(0.0);
    dernier = LitParam(param, champDernier).value_or(n);
  }
  if (n == 0) n = 1;
}

void CmdGrad(int niveau) {
  const QString param = Lecture.ParamLigne;
  const NiveauProg& nv = Niveau(niveau);
  const bool log = nv.EchelleLog;

  double n = 0, premier = 0, dernier = 0;
  LitPasEtBornes(param, log, 3, 4, n, premier, dernier);
  const QString champLongueur = ParamN(param, 2);
  const double longueur = LitParam(param, 2).value_or(0.0) * Echelle.SensInversion;
  const double t = SousChampNum(champLongueur, 2).value_or(0.0) * DegresEnRadians;

  GardeEpaisT style(ParamN(param, 5));
  Encre.CouleurCmd = CouleurChamp(param, 6);

  const GenreEchelle genre = GenreEchelleCourante();
  ParcourtGraduations(genre, n, premier, dernier, niveau, [&](int, double position) {
    double xc = 0, yc = 0;
    TraceMarque(genre, position, longueur, t, xc, yc);
  });
  RotationCourant(-Echelle.AngleCmd);
}

double PasGraduations(GenreEchelle genre, double n, int niveau) {
  const NiveauProg& nv = Niveau(niveau);
  return Fini((FinEchelle(genre) - DebutEchelle(genre)) /
              std::pow(n, nv.EchelleLog ? 0.0 : static_cast<double>(nv.Exposant)));
}

void PourChaqueValeur(const QString& param, int slot, int elements,
                      const std::function<void(int, double)>& corps) {
  const auto liste = qScopeGuard([] { Lecture.SlotListe = 0; });
  for (int k = 1; k <= elements; ++k) {
    Lecture.SlotListe = slot;
    Lecture.ChampListe = k;
    const double v = LitParam(param, 1).value_or(0.0);
    Graduations.ValeurEnDegres = RTrim(AvantSousSep(ParamN(param, 1))).endsWith(QStringLiteral("°"));
    corps(k, v);
  }
}

void ListeDuGroupe(const QString& champBrut, int& slot, int& elements) {
  slot = 0;
  elements = 1;
  const int sous = InStr(champBrut, Lecture.SepSousParam);
  if (sous == 0) return;
  const int pourcent = InStr(sous + 1, champBrut, QStringLiteral("%"));
  if (pourcent == 0) LeveErreurExecution(QStringLiteral("invalid procedure call"));
  slot = IndiceVariable(Mid(champBrut, pourcent), NiveauCourant);
  if (slot > 0) elements = NbParams(Niveau(NiveauCourant).ValeursVar[static_cast<size_t>(slot)]);
}

void CmdGrad1(int niveau) {
  QString param = Lecture.ParamLigne;
  double xc = 0, yc = 0;
  bool marque = false;
  const GenreEchelle genre = GenreEchelleCourante();

  while (true) {
    // A "§%list" after the value repeats the group once per field of the list's value.
    const QString brut = ParamBrutN(param, 1);
    int slot = 0, elements = 1;
    ListeDuGroupe(brut, slot, elements);
    PourChaqueValeur(param, slot, elements, [&](int, double v) {
      const double longueur = LitParam(param, 2).value_or(0.0) * Echelle.SensInversion;
      const double t = SousChampNum(ParamN(param, 2), 2).value_or(0.0) * DegresEnRadians;
      GardeEpaisT style(ParamN(param, 3));
      Encre.CouleurCmd = CouleurChamp(param, 4);
      const double p = PositionValeur(genre, v, Graduations.ValeurEnDegres, niveau);
      TraceMarque(genre, p, longueur, t, xc, yc);
      marque = true;
    });
    Lecture.ChampListe = 1;
    ResteParams(param, 4);
    if (Trim(param).isEmpty()) break;
  }

  if (marque) {
    const double cx = Repere.OrigineX + Repere.CTx, cy = Repere.OrigineY + Repere.CTy;
    const double r = Echelle.AngleCmdRad, dx = xc - cx, dy = yc - cy;
    Repere.XCourant = static_cast<float>(cx + dx * std::cos(r) - dy * std::sin(r));
    Repere.YCourant = static_cast<float>(cy + dx * std::sin(r) + dy * std::cos(r));
    Sortie->CurrentY = Repere.YCourant;
    Sortie->CurrentX = Repere.XCourant;
  }
  RotationCourant(-Echelle.AngleCmd);
}
