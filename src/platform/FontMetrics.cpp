#include "platform/FontMetrics.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

#include "platform/Legacy.h"

using namespace legacy;

namespace {

bool MemePolice(const PoliceSortie& a, const PoliceSortie& b) {
  return a.Size == b.Size && a.Bold == b.Bold && a.Italic == b.Italic && a.Underline == b.Underline &&
         a.Name == b.Name;
}

}  // namespace

QStringList LignesTexte(const QString& texte) {
  if (!texte.contains(QLatin1Char('\n')) && !texte.contains(QLatin1Char('\r'))) return {texte};
  static const QRegularExpression fin(QStringLiteral("\r\n|\r|\n"));
  return texte.split(fin);
}

QFont PoliceQt(const PoliceSortie& police, double dpi) {
  QFont f(police.Name);
  const double px = ArrondiPair(police.Size * dpi / 72.0);
  f.setPixelSize(static_cast<int>(std::clamp(px, 1.0, 32767.0)));
  f.setBold(police.Bold);
  f.setItalic(police.Italic);
  f.setUnderline(police.Underline);
  return f;
}

PoliceResolue& CachePolices::Resout(const PoliceSortie& police) {
  if (derniere_ < entrees_.size() && MemePolice(entrees_[derniere_].Cle, police))
    return *entrees_[derniere_].Resolue;
  for (size_t i = 0; i < entrees_.size(); ++i)
    if (MemePolice(entrees_[i].Cle, police)) {
      derniere_ = i;
      return *entrees_[i].Resolue;
    }
  // A program that makes a new size for every text should not grow the cache without end.
  if (entrees_.size() >= 64) entrees_.clear();
  QFont f = PoliceQt(police, dpi_);
  QFontMetricsF mesure = appareil_ ? QFontMetricsF(f, appareil_) : QFontMetricsF(f);
  static int numeros = 0;
  entrees_.push_back({police, std::make_unique<PoliceResolue>(PoliceResolue{f, mesure, ++numeros, {}})});
  derniere_ = entrees_.size() - 1;
  return *entrees_.back().Resolue;
}

double LargeurTexteQt(PoliceResolue& police, const QString& texte) {
  double largeur = 0;
  for (const QString& ligne : LignesTexte(texte)) {
    auto connue = police.Largeurs.constFind(ligne);
    if (connue == police.Largeurs.cend()) {
      if (police.Largeurs.size() >= 4096) police.Largeurs.clear();
      connue = police.Largeurs.insert(ligne, police.Mesure.horizontalAdvance(ligne));
    }
    largeur = std::max(largeur, *connue);
  }
  return largeur;
}

double HauteurTexteQt(const QFontMetricsF& mesure, const QString& texte) {
  return (mesure.ascent() + mesure.descent()) * LignesTexte(texte).size();
}

MetriquesPolicePx MetriquesQt(const PoliceResolue& police) {
  const QFontMetricsF& m = police.Mesure;
  MetriquesPolicePx r;
  r.Ascent = m.ascent();
  r.Hauteur = m.ascent() + m.descent();
  r.InterneLeading = std::max(0.0, r.Hauteur - police.Police.pixelSize());
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
