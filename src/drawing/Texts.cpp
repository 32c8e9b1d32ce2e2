#include <QStringList>
#include <cmath>

#include "drawing/Cross.h"
#include "drawing/DrawState.h"
#include "drawing/Fonts.h"
#include "drawing/Points.h"
#include "drawing/Rotation.h"
#include "drawing/TextCommands.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "values/Colours.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Insertions.h"
#include "values/Levels.h"
#include "values/StringFunctions.h"
#include "values/Substitution.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;
const QString Virgule = QStringLiteral("$£");

struct Vecteur {
  double x = 0;
  double y = 0;
};

Vecteur operator+(Vecteur a, Vecteur b) { return {a.x + b.x, a.y + b.y}; }
Vecteur operator-(Vecteur a, Vecteur b) { return {a.x - b.x, a.y - b.y}; }
Vecteur operator*(double k, Vecteur v) { return {k * v.x, k * v.y}; }

bool Tient(const QString& texte, const char* lettre) { return InStr(texte, QLatin1String(lettre)) > 0; }

void PlaceCourant(Vecteur p) {
  Repere.XCourant = static_cast<float>(p.x);
  Repere.YCourant = static_cast<float>(p.y);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
}

// The text at the current point, turned by 'angle' degrees.
void EcritAuCourant(double angle, const QString& texte) {
  EcritTexteRotation(Sortie->DeviceX(Repere.XCourant), Sortie->DeviceY(Repere.YCourant), angle, texte);
}

int32_t CouleurCommande(const QString& champ) {
  if (Trim(champ).isEmpty()) return Encre.CouleurCourante;
  const CouleurLue lue = ValeurCouleur(champ);
  return lue.EstVide() ? Encre.CouleurCourante : static_cast<int32_t>(lue);
}

// The white mark outside the drawing that the first drawing of a run makes.
void MarqueDebut() {
  if (EtatOrdre < OrdreDessin) TraceCroix(-100, 100, 0.1, 0, 0xFFFFFF, 1);
}

// A point of the command (fields 1 and 2, relative points from XRot, YRot), turned by its angle,
// with the current origin added.
Vecteur PointCommande(const QString& param) {
  double x = 0, y = 0;
  LitPointVar(x, y, param, 1, Repere.XRot, Repere.YRot);
  RotationXY(ParamN(param, 2), x, y);
  return {x + Repere.OrigineX + Repere.CTx, y + Repere.OrigineY + Repere.CTy};
}

double Quotient(double a, double b) {
  if (b == 0) LeveErreurExecution(QStringLiteral("division by zero"));
  return a / b;
}

// One line of Texte written along its base line.
void EcritLigneHorizontale(const QString& ligne, const QString& style, Vecteur p0, double angle, double f) {
  const double a = angle * DegresEnRadians;
  const Vecteur u{std::cos(a), std::sin(a)};
  const Vecteur n{std::sin(a), -std::cos(a)};

  const double extra = (f - 1) * Sortie->TextWidth(QStringLiteral("X"));
  double w = 0;
  if (SortieEstEcran() && f == 1) {
    w = Sortie->TextWidth(ligne);
  } else {
    for (const QChar c : ligne) w += Sortie->TextWidth(QString(c));
    w += extra * (ligne.size() - 1);
  }
  const double h = -Sortie->TextHeight(ligne);
  const double hX = -Sortie->TextHeight(QStringLiteral("X"));
  MetriquesPolice();

  Vecteur p = p0;
  Vecteur e = p0 + w * u;
  PlaceCourant(p0);

  if (Tient(style, "C") || Tient(style, "X")) {
    if (Tient(style, "D")) ErreurContenu(style, TexteMsg(TexteRaison::NonAdmis));
    p = p - (w / 2) * u;
    e = e - (w / 2) * u;
  } else if (Tient(style, "D")) {
    p = p - w * u;
    e = e - w * u;
  }

  if (Tient(style, "Y") || Tient(style, "C")) {
    p = p + (Lettrage.RapportTexteB * h) * n;
    e = e + (Lettrage.RapportTexteB * h) * n;
  } else if (Tient(style, "H")) {
    p = p + (2 * Lettrage.RapportTexteB * h) * n;
    e = e + (2 * Lettrage.RapportTexteB * h) * n;
  }

  const int lignesPlusBas = static_cast<int>(style.count(QLatin1Char('#')));
  p = p + (lignesPlusBas * hX) * n;
  e = e + (lignesPlusBas * hX) * n;

  if (Encre.CouleurCmd != -1) {
    if (f != 1) {
      Vecteur position = p;
      for (const QChar c : ligne) {
        PlaceCourant(position);
        EcritAuCourant(angle, QString(c));
        position = position + (Sortie->TextWidth(QString(c)) + extra) * u;
      }
    } else {
      PlaceCourant(p);
      EcritAuCourant(angle, ligne);
    }
  }
  PlaceCourant(e);
}

// One line of Texte as a column of characters hanging from the command's point.
void EcritLigneVerticale(const QString& ligne, const QString& style, Vecteur p0, double angle, double f) {
  const double pas = f * -Sortie->TextHeight(QStringLiteral("X"));
  MetriquesPolice();
  const int n = static_cast<int>(ligne.size());
  const double a = angle * DegresEnRadians;
  for (int i = 1; i <= n + 1; ++i) {
    const QString c = i <= n ? QString(ligne[i - 1]) : QString();
    const double w = Sortie->TextWidth(c);
    double x = p0.x;
    if (Tient(style, "C") || Tient(style, "X"))
      x -= w / 2;
    else if (Tient(style, "D"))
      x -= w;
    double y;
    if (Tient(style, "Y") || Tient(style, "C"))
      y = p0.y - pas * ((i - 1) + Lettrage.RapportAscent - n / 2.0);
    else if (Tient(style, "H"))
      y = p0.y - pas * (i - n);
    else
      y = p0.y - pas * ((i - 1) + Lettrage.RapportAscent);
    if (angle != 0) {
      const double dx = x - p0.x, dy = y - p0.y;
      x = p0.x + dx * std::cos(a) - dy * std::sin(a);
      y = p0.y + dx * std::sin(a) + dy * std::cos(a);
    }
    PlaceCourant({x, y});
    if (Encre.CouleurCmd != -1) EcritAuCourant(angle, c);
  }
}

}  // namespace

void TraceTexte(int niveau) {
  Niveau(niveau);
  const QString param = Lecture.ParamLigne;
  MarqueDebut();

  const Vecteur p0 = PointCommande(param);
  Encre.CouleurCmd = CouleurCommande(ParamN(param, 3));
  QString style = UCase(ParamN(param, 4));

  QString texte = ParamN(param, -5);
  if (Trim(texte).size() >= 2) {
    texte = EvalueDieses(texte);
    SubstitueVariables(texte);
  }
  texte = FonctionsTxtArr(texte);
  texte = Replace(texte, QStringLiteral("\r\n"), QStringLiteral("\r"));
  texte = Replace(texte, QStringLiteral("\n"), QStringLiteral("\r"));
  texte = Replace(texte, Virgule, QStringLiteral(","));

  if (!texte.isEmpty() && Encre.CouleurCmd != -1) AjouteOrdre(OrdreDessin);

  GardePolice garde;
  double f = 1;
  {
    const QStringList parties = style.split(Lecture.SepSousParam);
    if (parties.size() > 1 && !parties[1].isEmpty()) ChoisitPolice(parties[1]);
    if (parties.size() > 2) {
      QString espacement = parties[2];
      f = Calcule(espacement).value_or(0.0);
    }
    if (!style.isEmpty()) style = parties[0];
  }
  AppliqueTaille(style);

  const QStringList lignes = texte.split(QLatin1Char('\r'));
  for (int k = 0; k < lignes.size(); ++k) {
    const QString t = style + QString(k, QLatin1Char('#'));
    if (!t.isEmpty() && (QStringLiteral("*0123456789.").contains(t[0]) || Tient(t, "S") || Tient(t, "U") ||
                         Tient(t, "I") || Tient(t, "G") || Tient(t, "B")))
      AppliqueStyle(t);
    if (Encre.CouleurCmd != -1) Sortie->ForeColor = static_cast<uint32_t>(Encre.CouleurCmd);

    double angle = -Rotation.AngRotDeg;
    if (Tient(t, "R")) angle = AngleStyle(t, QStringLiteral("BCDGHISUVXY")) - Rotation.AngRotDeg;

    if (Tient(t, "V"))
      EcritLigneVerticale(lignes[k], t, p0, angle, f);
    else
      EcritLigneHorizontale(lignes[k], t, p0, angle, f);
  }

  if (Encre.CouleurCourante != -1) Sortie->ForeColor = static_cast<uint32_t>(Encre.CouleurCourante);
  RotationCourant(Rotation.AngRotDeg);
}

void TraceTexteC(int niveau) {
  Niveau(niveau);
  const QString param = Lecture.ParamLigne;
  MarqueDebut();

  const Vecteur c = PointCommande(param);

  const QString champRayon = ParamN(param, 3);
  // The radius is required: a field left empty or blank has none.
  if (Trim(champRayon).isEmpty()) ErreurChampN(param, 3, TexteMsg(TexteRaison::ValeurManque));
  const QStringList rayon = champRayon.split(Lecture.SepSousParam);
  QString texteRayon = rayon[0];
  const double r = Calcule(texteRayon).value_or(0.0);
  double f = 1;
  if (rayon.size() > 1) {
    QString espacement = rayon[1];
    f = Calcule(espacement).value_or(0.0);
  }

  double theta = (180 - LitParam(param, 4).value_or(0.0) - Rotation.AngRotDeg) * DegresEnRadians;
  Encre.CouleurCmd = CouleurCommande(ParamN(param, 5));

  QString style = UCase(ParamN(param, 6));
  {
    const QStringList parties = style.split(Lecture.SepSousParam);
    if (parties.size() > 1 && !parties[1].isEmpty()) ChoisitPolice(parties[1]);
    style = parties[0];
  }

  // A text naming %variables is taken as written, so that its "#" expressions still see them.
  QString texte = ParamBrutN(param, -7);
  if (Trim(texte).size() >= 2 && InStr(texte, QStringLiteral("%")) > 0) {
    texte = EvalueDieses(texte);
    SubstitueVariables(texte);
    texte = FonctionsChaine(texte);
  } else {
    texte = ParamN(param, -7);
  }
  texte = FonctionsTxtArr(texte);
  texte = Replace(texte, Virgule, QStringLiteral(","));

  GardePolice garde(false);
  AppliqueTaille(style);
  if (!style.isEmpty()) AppliqueStyle(style);
  if (Encre.CouleurCmd != -1) Sortie->ForeColor = static_cast<uint32_t>(Encre.CouleurCmd);

  const double w = Sortie->TextWidth(texte);
  const double h = -Sortie->TextHeight(texte);
  MetriquesPolice();

  double rayonBase = r;
  if (Tient(style, "Y") || Tient(style, "C"))
    rayonBase = r - Lettrage.RapportTexteB * h;
  else if (Tient(style, "H"))
    rayonBase = r - 2 * Lettrage.RapportTexteB * h;
  const double rho = rayonBase + h / 5.5;

  if (Tient(style, "C") || Tient(style, "X"))
    theta += Quotient(w * f / 2, rho);
  else if (Tient(style, "D"))
    theta += Quotient(w * f, rho);

  if (!texte.isEmpty() && Encre.CouleurCmd != -1) AjouteOrdre(OrdreDessin);

  // Each character gets an equal share of the extra space; an empty text has no characters.
  const int n = static_cast<int>(texte.size());
  if (n > 0) {
    const double s = w * (f - 1) / n;
    const double rayonCaractere = rayonBase + Lettrage.RapportTexteB * h;
    for (int i = 0; i < n; ++i) {
      const QString car(texte[i]);
      const double wc = Sortie->TextWidth(car);
      const double phi = theta - Quotient((wc + s) / 2, rho);
      PlaceCourant({c.x + rayonCaractere * std::cos(phi), c.y + rayonCaractere * std::sin(phi)});
      EcritTexteAligne(wc, h, phi / DegresEnRadians - 90, car, QString(), 0);
      theta -= Quotient(wc + s, rho);
    }
  }

  if (Encre.CouleurCourante != -1) Sortie->ForeColor = static_cast<uint32_t>(Encre.CouleurCourante);
  RotationCourant(Rotation.AngRotDeg);
}
