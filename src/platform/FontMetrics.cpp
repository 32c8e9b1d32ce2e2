#include "platform/FontMetrics.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

#include "platform/Legacy.h"

namespace {

QFontMetricsF Mesure(const QFont& police, const QPaintDevice* appareil) {
  return appareil ? QFontMetricsF(police, appareil) : QFontMetricsF(police);
}

QStringList Lignes(const QString& texte) {
  static const QRegularExpression fin(QStringLiteral("\r\n|\r|\n"));
  return texte.split(fin);
}

}  // namespace

QFont PoliceQt(const PoliceSortie& police, double dpi) {
  QFont f(police.Name);
  const double px = ArrondiPair(police.Size * dpi / 72.0);
  f.setPixelSize(static_cast<int>(std::clamp(px, 1.0, 32767.0)));
  f.setBold(police.Bold);
  f.setItalic(police.Italic);
  f.setUnderline(police.Underline);
  return f;
}

double LargeurTexteQt(const QFont& police, const QString& texte, const QPaintDevice* appareil) {
  const auto m = Mesure(police, appareil);
  double largeur = 0;
  for (const QString& ligne : Lignes(texte)) largeur = std::max(largeur, m.horizontalAdvance(ligne));
  return largeur;
}

double HauteurTexteQt(const QFont& police, const QString& texte, const QPaintDevice* appareil) {
  const auto m = Mesure(police, appareil);
  return (m.ascent() + m.descent()) * Lignes(texte).size();
}

MetriquesPolicePx MetriquesQt(const QFont& police, const QPaintDevice* appareil) {
  const auto m = Mesure(police, appareil);
  MetriquesPolicePx r;
  r.Ascent = m.ascent();
  r.Hauteur = m.ascent() + m.descent();
  r.InterneLeading = std::max(0.0, r.Hauteur - police.pixelSize());
  return r;
}

bool PoliceInstallee(const QString& nom) {
  const QString cherche = UCase(nom);
  const QStringList familles = QFontDatabase::families();
  const auto installee = [&familles](const QString& majuscules) {
    return std::any_of(familles.begin(), familles.end(),
                       [&majuscules](const QString& f) { return UCase(f) == majuscules; });
  };
  if (installee(cherche)) return true;
  static const std::pair<const char*, const char*> equivalents[] = {
      {"TIMES NEW ROMAN", "LIBERATION SERIF"},
      {"ARIAL", "LIBERATION SANS"},
      {"COURIER NEW", "LIBERATION MONO"},
  };
  for (const auto& [usuel, liberation] : equivalents)
    if (cherche == QLatin1String(usuel)) return installee(QLatin1String(liberation));
  return false;
}
