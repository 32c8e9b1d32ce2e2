// 10,000 labels at changing angles and anchors, each with its own rotated font, drawn onto the
// screen image.

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "drawing/DrawState.h"
#include "drawing/Fonts.h"
#include "interpreter/RunState.h"
#include "platform/Host.h"
#include "platform/PainterSurface.h"

namespace {

constexpr int NbEtiquettes = 10000;

void PrepareEcran(PainterSurface& ecran) {
  RazEtatDessin();
  RazValeursShell();
  Sortie = &ecran;
  ecran.SetScaleMode(6);
  LargeurDessin = LargeurMm = ecran.ScaleWidth;
  HauteurDessin = HauteurMm = ecran.ScaleHeight;
  ecran.ScaleHeight = -HauteurDessin;
  ecran.ScaleTop = HauteurDessin;
  ecran.Font.Name = QStringLiteral("Times New Roman");
  ecran.Font.Size = 8;
  ecran.ForeColor = 0x800000;
  CouleurCmd = 0x800000;
  OrigineX = OrigineY = 0;
  CTx = CTy = 0;
}

void BM_EtiquettesTournees(benchmark::State& etat) {
  PainterSurface ecran(1000, 700, 96.0);
  PrepareEcran(ecran);
  static const QString lettres[] = {QStringLiteral("GB"), QStringLiteral("B"), QStringLiteral("DB"),
                                    QStringLiteral("G"),  QString(),           QStringLiteral("D"),
                                    QStringLiteral("GH"), QStringLiteral("H"), QStringLiteral("DH")};
  for (auto _ : etat) {
    for (int i = 0; i < NbEtiquettes; ++i) {
      // A grid of 100 x 100 points over the drawing, the angle turning by 7 degrees a label.
      const QString texte = QString::number(i * 0.25, 'f', 2);
      XCourant = static_cast<float>(10 + (i % 100) * 2.4);
      YCourant = static_cast<float>(10 + (i / 100) * 1.6);
      Sortie->CurrentX = XCourant;
      Sortie->CurrentY = YCourant;
      const double largeur = Sortie->TextWidth(texte);
      const double hauteur = -Sortie->TextHeight(texte);
      EcritTexteAligne(largeur, hauteur, (i * 7) % 360, texte, lettres[i % 9], 0);
    }
    benchmark::DoNotOptimize(XCourant);
  }
  etat.SetItemsProcessed(etat.iterations() * NbEtiquettes);
  Sortie = nullptr;
}
BENCHMARK(BM_EtiquettesTournees)->Unit(benchmark::kMillisecond);

}  // namespace
