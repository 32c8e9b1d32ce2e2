#include "drawing/Fonts.h"

#include <cmath>

#include "drawing/DrawState.h"
#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;
constexpr int LongueurNomFace = 31;
constexpr int PrecisionContours = 7;
constexpr int JeuOem = 255;

int64_t policesCreees = 0;
int32_t dernierHandle = 0;

// The current point, in drawing units and on the output.
void PlaceCourant(double x, double y) {
  Repere.XCourant = static_cast<float>(x);
  Repere.YCourant = static_cast<float>(y);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
}

}  // namespace

bool PatchAnglesDroits = false;
std::unique_ptr<CLogFont> PoliceRot;
MetriquesPolicePx MetriquesTexte;

PoliceLogique PoliceLogiqueDe(const PoliceSortie& police) {
  PoliceLogique p;
  p.Name = police.Name;
  p.Size = police.Size;
  p.Bold = police.Bold;
  p.Italic = police.Italic;
  p.Underline = police.Underline;
  p.Weight = police.Bold ? 700 : 400;
  return p;
}

double PixelsParPouceSortie() {
  if (Sortie == nullptr || Sortie->MmParPixel() <= 0) return 96.0;
  return 25.4 / Sortie->MmParPixel();
}

CLogFont::~CLogFont() {
  if (m_hFont != 0) {
    SupprimePolice();
    m_Font.reset();
  }
}

int64_t CLogFont::PolicesCreees() { return policesCreees; }

bool CLogFont::EstTournee(float rotation) { return std::fmod(ArrondiPair(rotation), 360.0) != 0; }

void CLogFont::SupprimePolice() {
  m_hFont = 0;
  description_ = DescriptionPolice{};
}

void CLogFont::SetLogFont(const std::optional<PoliceLogique>& police) {
  if (m_hFont != 0) SupprimePolice();
  if (!police) {
    m_Font.reset();
    return;
  }
  m_Font = *police;
  m_hFont = CreePolice();
}

void CLogFont::SetRotation(float rotation) {
  if (rotation == m_Rotation) return;
  m_Rotation = rotation;
  if (m_hFont != 0) SupprimePolice();
  if (m_Font) m_hFont = CreePolice();
}

int32_t CLogFont::CreePolice() {
  const PoliceLogique& f = *m_Font;
  DescriptionPolice d;
  // The size is a fixed-point number of four decimals, so the product is exact.
  const double taille = std::nearbyint(f.Size * 10000.0) / 10000.0;
  d.Hauteur = VersEntier32(-(taille * pixelsParPouce_) / 72.0);
  d.Largeur = 0;
  int32_t echappement = VersEntier32(static_cast<double>(m_Rotation) * 10.0);
  if (PatchAnglesDroits && echappement % 900 == 0 && echappement >= -2700 && echappement <= 2700)
    echappement += 2;
  d.Echappement = echappement;
  d.Orientation = echappement;
  d.Graisse = f.Weight;
  d.Italique = f.Italic;
  d.Souligne = f.Underline;
  d.Barre = f.Strikethrough;
  const bool tournee = EstTournee(m_Rotation);
  d.JeuCaracteres = (tournee && f.Charset == JeuOem) ? 0 : f.Charset;
  d.PrecisionSortie = tournee ? PrecisionContours : 0;
  d.NomFace = f.Name.left(LongueurNomFace);
  description_ = d;
  ++policesCreees;
  if (++dernierHandle <= 0) dernierHandle = 1;
  return dernierHandle;
}

void EcritTexteRotation(double x, double y, double angle, const QString& texte) {
  PoliceRot = std::make_unique<CLogFont>();
  PoliceRot->SetLogFont(PoliceLogiqueDe(Sortie->Font));
  PoliceRot->SetRotation(static_cast<float>(angle));
  if (texte.isEmpty()) return;

  double bx, by;
  if (SortieEstEcran()) {
    bx = Sortie->DeviceX(Sortie->CurrentX);
    by = Sortie->DeviceY(Sortie->CurrentY);
    // A point beyond the device's 32-bit coordinates is an overflow, as on the printer.
    VersEntier32(bx);
    VersEntier32(by);
  } else {
    bx = VersEntier32(x);
    by = VersEntier32(y);
  }
  // The surface places a text by the top of its cell: one ascent above the base line, across it.
  const double degres = PoliceRot->Description().Echappement / 10.0;
  const double a = degres * DegresEnRadians;
  const double montee = Sortie->MetriquesTextePx().Ascent;
  Sortie->Texte(bx - montee * std::sin(a), by - montee * std::cos(a), degres, texte);
}

void EcritTextePoint(float x, float y, const QString& texte, double angle) {
  PlaceCourant(x, y);
  if (texte.isEmpty() || Encre.CouleurCmd == -1) return;
  EcritTexteRotation(Sortie->DeviceX(Repere.XCourant), Sortie->DeviceY(Repere.YCourant), angle, texte);
}

void MetriquesPolice() {
  const MetriquesPolicePx m = Sortie->MetriquesTextePx();
  if (m.Hauteur > 0) MetriquesTexte = m;
  const double hauteur = MetriquesTexte.Hauteur;
  const double ascent = hauteur == 0 ? 0.8 : MetriquesTexte.Ascent / hauteur;
  Lettrage.RapportAscent = static_cast<float>(ascent);
  if (Lettrage.RapportTexteBImpose == 0) {
    const double leading = hauteur == 0 ? 0.8 : MetriquesTexte.InterneLeading / hauteur;
    Lettrage.RapportTexteB = static_cast<float>((ascent - leading) / 2);
  } else {
    Lettrage.RapportTexteB = Lettrage.RapportTexteBImpose;
  }
}

void EcritTexteAligne(double w, double h, double angleTexte, const QString& texte, const QString& lettres,
                      double angleCommande) {
  if (Encre.CouleurCmd == -1) return;
  MetriquesPolice();

  double px = Repere.XCourant, py = Repere.YCourant;
  if (angleCommande != 0) {
    const double cx = Repere.OrigineX + Repere.CTx, cy = Repere.OrigineY + Repere.CTy;
    const double a = angleCommande * DegresEnRadians;
    const double dx = px - cx, dy = py - cy;
    px = cx + dx * std::cos(a) - dy * std::sin(a);
    py = cy + dx * std::sin(a) + dy * std::cos(a);
    PlaceCourant(px, py);
  }

  const double t = (angleTexte + angleCommande) * DegresEnRadians;
  const double ux = std::cos(t), uy = std::sin(t);
  const double nx = std::sin(t), ny = -std::cos(t);

  double sx, sy, ex, ey;
  if (InStr(lettres, QStringLiteral("G")) > 0) {
    sx = px;
    sy = py;
    ex = px + w * ux;
    ey = py + w * uy;
  } else if (InStr(lettres, QStringLiteral("D")) > 0) {
    sx = px - w * ux;
    sy = py - w * uy;
    ex = px;
    ey = py;
  } else {
    sx = px - w / 2 * ux;
    sy = py - w / 2 * uy;
    ex = px + w / 2 * ux;
    ey = py + w / 2 * uy;
  }

  double descente = 0;
  if (InStr(lettres, QStringLiteral("B")) > 0)
    descente = 0;
  else if (InStr(lettres, QStringLiteral("H")) > 0)
    descente = 2 * Lettrage.RapportTexteB * h;
  else
    descente = Lettrage.RapportTexteB * h;
  sx += descente * nx;
  sy += descente * ny;
  ex += descente * nx;
  ey += descente * ny;
  PlaceCourant(sx, sy);

  EcritTexteRotation(Sortie->DeviceX(Repere.XCourant), Sortie->DeviceY(Repere.YCourant),
                     angleCommande + angleTexte, texte);
  PlaceCourant(ex, ey);
}

void ChoisitPolice(const QString& nom, bool avertit) {
  const QString nomPolice = Trim(nom);
  Sortie->Font.Name = nomPolice;
  if (avertit && !Sortie->PoliceExiste(nomPolice))
    Dialogues().MsgBox(Replace(TexteMsg(112), QStringLiteral("%1"), nomPolice), Boutons::Ok,
                       QStringLiteral("Morvo"));
}

GardePolice::GardePolice(bool avecNom) : sauve_(Sortie->Font), avecNom_(avecNom) {}

GardePolice::~GardePolice() {
  if (Sortie == nullptr) return;
  if (avecNom_) Sortie->Font.Name = sauve_.Name;
  Sortie->Font.Bold = sauve_.Bold;
  Sortie->Font.Italic = sauve_.Italic;
  Sortie->Font.Underline = sauve_.Underline;
  Sortie->Font.Size = sauve_.Size;
}

void AppliqueStyle(const QString& style) {
  const auto tient = [&style](const char* lettre) { return InStr(style, QLatin1String(lettre)) > 0; };
  Sortie->Font.Bold = tient("G") || tient("B");
  Sortie->Font.Italic = tient("I");
  Sortie->Font.Underline = tient("S") || tient("U");
}

void AppliqueTaille(QString& style) {
  if (InStr(style, QStringLiteral("*")) > 0) {
    const float k = LitMultiplicateur(style);
    Sortie->Font.Size = static_cast<float>(Lettrage.TailleTexte * Cadrage.FacteurEchelle * k);
    return;
  }
  const double n = Val(style);
  if (n > 0) Sortie->Font.Size = static_cast<float>(n * Cadrage.FacteurEchelle);
}

double AngleStyle(const QString& style, const QString& lettresFin) {
  QString angle = Mid(style, InStr(style, QStringLiteral("R")) + 1);
  angle = Replace(angle, QStringLiteral("#"), QString());
  const int sep = InStr(angle, Lecture.SepSousParam);
  if (sep > 0) angle = Left(angle, sep - 1);
  while (!angle.isEmpty() && lettresFin.contains(angle.back())) angle.chop(1);
  if (Trim(angle).isEmpty()) ErreurContenu(style, TexteMsg(TexteRaison::Nombre));
  return Calcule(angle).value_or(0.0);
}
