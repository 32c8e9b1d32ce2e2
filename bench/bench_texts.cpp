// 10,000 labels at changing angles and anchors, each with its own rotated font, drawn onto a
// 1000 x 700 screen image: by the painter surface alone (the desktop) and through the recorder
// (the headless runner), each against raw QPainter drawing the same texts at the same places and
// angles with the same fonts ("cpu_ms", "qt_cpu_ms", "ratio").

#include <benchmark/benchmark.h>

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <vector>

#include "DrawingBench.h"
#include "drawing/DrawState.h"
#include "drawing/Fonts.h"
#include "platform/FontMetrics.h"
#include "platform/Host.h"
#include "platform/PainterSurface.h"
#include "platform/RecordingSurface.h"
#include "values/Levels.h"

namespace {

constexpr int NbEtiquettes = 10000;

void PrepareEcran(OutputSurface& ecran) {
  RazEtatDessin();
  RazValeursShell();
  Sortie = &ecran;
  ecran.SetScaleMode(6);
  Cadrage.LargeurDessin = Cadrage.LargeurMm = ecran.ScaleWidth;
  Cadrage.HauteurDessin = Cadrage.HauteurMm = ecran.ScaleHeight;
  ecran.ScaleHeight = -Cadrage.HauteurDessin;
  ecran.ScaleTop = Cadrage.HauteurDessin;
  ecran.Font.Name = QStringLiteral("Times New Roman");
  ecran.Font.Size = 8;
  ecran.ForeColor = 0x800000;
  Encre.CouleurCmd = 0x800000;
  Repere.OrigineX = Repere.OrigineY = 0;
  Repere.CTx = Repere.CTy = 0;
}

void EcritEtiquettes() {
  static const QString lettres[] = {QStringLiteral("GB"), QStringLiteral("B"), QStringLiteral("DB"),
                                    QStringLiteral("G"),  QString(),           QStringLiteral("D"),
                                    QStringLiteral("GH"), QStringLiteral("H"), QStringLiteral("DH")};
  for (int i = 0; i < NbEtiquettes; ++i) {
    // A grid of 100 x 100 points over the drawing, the angle turning by 7 degrees a label.
    const QString texte = QString::number(i * 0.25, 'f', 2);
    Repere.XCourant = static_cast<float>(10 + (i % 100) * 2.4);
    Repere.YCourant = static_cast<float>(10 + (i / 100) * 1.6);
    Sortie->CurrentX = Repere.XCourant;
    Sortie->CurrentY = Repere.YCourant;
    const double largeur = Sortie->TextWidth(texte);
    const double hauteur = -Sortie->TextHeight(texte);
    EcritTexteAligne(largeur, hauteur, (i * 7) % 360, texte, lettres[i % 9], 0);
  }
  benchmark::DoNotOptimize(Repere.XCourant);
}

// What raw QPainter draws: each label's text, corner, angle and font as Morvo hands them over.
struct Etiquette {
  QPointF Coin;
  double Angle;
  QFont Police;
  double Montee;
  QString Texte;
  QColor Couleur;
};

const std::vector<Etiquette>& Etiquettes() {
  static const std::vector<Etiquette> etiquettes = [] {
    std::vector<Etiquette> e;
    for (const Primitive& p : Enregistre(PrepareEcran, EcritEtiquettes)) {
      if (p.Type != Primitive::Genre::Texte) continue;
      const QFont police = PoliceQt(p.Police, 96.0);
      const uint32_t c = p.Couleur;
      e.push_back({p.Points[0], p.Angle, police, QFontMetricsF(police).ascent(), p.Texte,
                   QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF)});
    }
    return e;
  }();
  return etiquettes;
}

void EcritQt(QImage& image) {
  QPainter p(&image);
  for (const Etiquette& e : Etiquettes()) {
    p.setPen(e.Couleur);
    p.setFont(e.Police);
    QTransform position;
    position.translate(e.Coin.x(), e.Coin.y());
    position.rotate(-e.Angle);
    p.setWorldTransform(position);
    p.drawText(QPointF(0, e.Montee), e.Texte);
  }
}

void BM_EtiquettesTourneesQPainter(benchmark::State& etat) {
  QImage image = ImageBlanche();
  Etiquettes();
  for (auto _ : etat) EcritQt(image);
  etat.SetItemsProcessed(etat.iterations() * NbEtiquettes);
}
BENCHMARK(BM_EtiquettesTourneesQPainter)->Unit(benchmark::kMillisecond);

void EtiquettesTournees(benchmark::State& etat, bool enregistre) {
  Etiquettes();
  const auto [morvo, reference] = MesureSurface(etat, enregistre, PrepareEcran, EcritEtiquettes, EcritQt);
  // Drawn as often as the baseline, the image must be the same as the baseline's.
  if (morvo != reference) etat.SkipWithError("Morvo's labels differ from QPainter's");
  etat.SetItemsProcessed(etat.iterations() * NbEtiquettes);
}

void BM_EtiquettesTourneesBureau(benchmark::State& etat) { EtiquettesTournees(etat, false); }
BENCHMARK(BM_EtiquettesTourneesBureau)->Unit(benchmark::kMillisecond);

void BM_EtiquettesTourneesHeadless(benchmark::State& etat) { EtiquettesTournees(etat, true); }
BENCHMARK(BM_EtiquettesTourneesHeadless)->Unit(benchmark::kMillisecond);

}  // namespace
