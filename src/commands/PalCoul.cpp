#include <QPoint>
#include <QScopeGuard>
#include <QString>
#include <cstdint>

#include "commands/Commands.h"
#include "drawing/Device.h"
#include "drawing/DrawState.h"
#include "drawing/Rotation.h"
#include "drawing/Segments.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;

// The shade count in use and the components of the column or cell being drawn.
int16_t NuancesPal = 4;
int16_t RougePal = 0, VertPal = 0, BleuPal = 0;

// The shade arithmetic of the palettes is 16-bit.
int16_t Produit16(int a, int b) {
  const int v = a * b;
  if (v > 32767 || v < -32768) LeveErreurExecution(QStringLiteral("overflow"));
  return static_cast<int16_t>(v);
}

int16_t Arrondi16(double v) { return VersEntier16(v); }

// One filled cell in its own colour, turned about 0,0 by the command's angle.
void Cellule(double x0, double y0, double x1, double y1, int r, int g, int b) {
  static int compte = 0;
  TesteArretTiret(++compte);
  const int32_t couleur = r + 256 * g + 65536 * b;
  Encre.CouleurCmd = couleur;
  PointPolyR(1, x0, y0, 0, 0, 0, Rotation.AngRotDeg);
  PointPolyR(2, x1, y0, 0, 0, 0, Rotation.AngRotDeg);
  PointPolyR(3, x1, y1, 0, 0, 0, Rotation.AngRotDeg);
  PointPolyR(4, x0, y1, 0, 0, 0, Rotation.AngRotDeg);
  Sortie->ForeColor = static_cast<uint32_t>(couleur);
  Sortie->FillColor = static_cast<uint32_t>(couleur);
  TracePolygoneDevice(1, 4);
}

void CelluleCourante(double x, double y, double w, double h) {
  Cellule(x, y, x + w, y + h, RougePal, VertPal, BleuPal);
}

// The rows of one column, from black through the hue to white.
void Colonne3(double x, double w, double h) {
  const int N = NuancesPal;
  const int c[3] = {RougePal, VertPal, BleuPal};
  int v[3];
  for (int j = 0; j <= N; ++j) {
    for (int k = 0; k < 3; ++k) v[k] = Arrondi16(static_cast<double>(Produit16(c[k], j)) / N);
    Cellule(x, j * h, x + w, j * h + h, v[0], v[1], v[2]);
  }
  for (int j = 1; j <= N; ++j) {
    for (int k = 0; k < 3; ++k) v[k] = Arrondi16(static_cast<double>(Produit16(255 - c[k], j)) / N + c[k]);
    Cellule(x, (N + j) * h, x + w, (N + j) * h + h, v[0], v[1], v[2]);
  }
}

// The rows of one column, from grey to the hue.
void Colonne2(double x, double w, double h) {
  const int N = NuancesPal;
  const int c[3] = {RougePal, VertPal, BleuPal};
  int v[3];
  for (int j = 0; j <= N; ++j) {
    for (int k = 0; k < 3; ++k) v[k] = Arrondi16(static_cast<double>(Produit16(c[k] - 127, j)) / N + 127);
    Cellule(x, j * h, x + w, j * h + h, v[0], v[1], v[2]);
  }
}

using Colonne = void (*)(double, double, double);

// Columns i = 0..N from x = d, the component rising from 0 to 255.
void GrilleMontante(Colonne colonne, int16_t& composante, double w, double h, double d) {
  const int N = NuancesPal;
  for (int i = 0; i <= N; ++i) {
    composante = Arrondi16(static_cast<double>(Produit16(i, 255)) / N);
    colonne(d + i * w, w, h);
  }
}

// Columns i = 0..N from x = d + N w, the component falling from 255 to 0.
void GrilleDescendante(Colonne colonne, int16_t& composante, double w, double h, double d) {
  const int N = NuancesPal;
  for (int i = 0; i <= N; ++i) {
    composante = Arrondi16(static_cast<double>(Produit16(N - i, 255)) / N);
    colonne(d + (N + i) * w, w, h);
  }
}

void TraceGrillePal3A(int16_t& composante, double w, double h, double d) {
  GrilleMontante(Colonne3, composante, w, h, d);
}
void TraceGrillePal3B(int16_t& composante, double w, double h, double d) {
  GrilleDescendante(Colonne3, composante, w, h, d);
}
void TraceGrillePalA(int16_t& composante, double w, double h, double d) {
  GrilleMontante(Colonne2, composante, w, h, d);
}
void TraceGrillePalB(int16_t& composante, double w, double h, double d) {
  GrilleDescendante(Colonne2, composante, w, h, d);
}

void Cadre(double W, double H) {
  const float ox = static_cast<float>(Repere.CTx + Repere.OrigineX),
              oy = static_cast<float>(Repere.CTy + Repere.OrigineY);
  const float w = static_cast<float>(W), h = static_cast<float>(H);
  const double angle = -Rotation.AngRotDeg;
  TraceSegment(ox, oy, ox + w, oy, angle, 0);
  TraceSegment(ox + w, oy, ox + w, oy + h, angle, 0);
  TraceSegment(ox + w, oy + h, ox, oy + h, angle, 0);
  TraceSegment(ox, oy + h, ox, oy, angle, 0);
}

// The hue circle from left to right, brightness upward.
void Cercle(double W, double H, bool versBlanc) {
  const int N = NuancesPal;
  const double w = W / (6 * N + 1);
  const double h = versBlanc ? H / (2 * N + 1) : H / (N + 1);
  auto montante = versBlanc ? TraceGrillePal3A : TraceGrillePalA;
  auto descendante = versBlanc ? TraceGrillePal3B : TraceGrillePalB;
  double d = 0;
  RougePal = 255;
  VertPal = 0;
  BleuPal = 0;
  montante(VertPal, w, h, d);
  descendante(RougePal, w, h, d);
  d += 2 * N * w;
  montante(BleuPal, w, h, d);
  descendante(VertPal, w, h, d);
  d += 2 * N * w;
  montante(RougePal, w, h, d);
  descendante(BleuPal, w, h, d);
  Cadre(W, H);
}

// n x n x n colours: blocks of rows for red, blue to the right and green upward in each block.
void Cubes(double W, double H) {
  const int N = NuancesPal;
  const double a = 0.5 * W / N, b = 2 * H / N, c = b / N;
  Cellule(0, 0, 0.9 * a, 0.8 * c, 0, 0, 0);
  for (int i = 1; i <= N; ++i) {
    RougePal = static_cast<int16_t>(Arrondi16(static_cast<double>(Produit16(256, i)) / N) - 1);
    for (int j = 1; j <= N; ++j) {
      VertPal = static_cast<int16_t>(Arrondi16(static_cast<double>(Produit16(256, j)) / N) - 1);
      for (int k = 1; k <= N; ++k) {
        BleuPal = static_cast<int16_t>(Arrondi16(static_cast<double>(Produit16(256, k)) / N) - 1);
        double x0 = (k - 1) * 0.9 * a, y0;
        if (i <= N / 2) {
          y0 = (i - 1) * b + j * 0.8 * c;
        } else {
          x0 += 0.55 * W;
          y0 = (i - N / 2 - 1) * b + j * 0.8 * c;
        }
        CelluleCourante(x0, y0, 0.9 * a, 0.8 * c);
      }
    }
  }
}

}  // namespace

void TracePalCoul(int niveau) {
  const QString param = Lecture.ParamLigne;
  const QString motCle = Niveau(niveau).MotCle;
  Sommets.PtsPoly.assign(5, PointXY{});
  Sommets.PtsPolygone.assign(5, QPoint());
  const auto remise = qScopeGuard([] {
    Sommets.PtsPoly.clear();
    Sommets.PtsPolygone.clear();
    Sortie->FillStyle = 1;
  });

  const int16_t n = VersEntier16(LitParam(param, 1).value_or(0.0));
  NuancesPal = static_cast<int16_t>(2 * (n / 2));
  if (NuancesPal < 4) NuancesPal = 4;

  double W = LitParam(param, 2).value_or(0.0);
  if (W == 0) W = 180;

  QString hauteur = UCase(Trim(ParamBrutN(param, 3)));
  Rotation.AngRotDeg = Rotation.AngRotDefaut;
  const int ps = InStr(hauteur, Lecture.SepSousParam);
  if (ps > 0) {
    Rotation.AngRotDeg =
        VersSingle(-LitParam(Mid(hauteur, ps + Lecture.SepSousParam.size()), 1).value_or(0.0));
    hauteur = Left(hauteur, ps - 1);
  }
  Rotation.AngRotRad = static_cast<float>(Rotation.AngRotDeg * DegresEnRadians);
  double H = LitParam(hauteur, 1).value_or(0.0);
  if (H == 0) H = 180;

  // The largest shade count the 16-bit shade arithmetic takes: 255 N (hue circles) or 256 i.
  const bool cubes = motCle != QStringLiteral("PALCOUL3") && motCle != QStringLiteral("PALCOUL2");
  if ((cubes && NuancesPal > 126) || NuancesPal > 128) LeveErreurExecution(QStringLiteral("overflow"));

  Sortie->FillStyle = 0;
  if (motCle == QStringLiteral("PALCOUL3"))
    Cercle(W, H, true);
  else if (motCle == QStringLiteral("PALCOUL2"))
    Cercle(W, H, false);
  else
    Cubes(W, H);
}
