// Value labels as whole dial programs: anchors on straight lines and arcs (with the pivot offset
// and the inversion), text angles of the styles, modulo, units, the logarithmic formats and SI
// prefixes, single labels with lists and texts, and the faults.

#include <gtest/gtest.h>

#include <QLocale>
#include <QPointF>
#include <cmath>
#include <vector>

#include "drawing/DrawState.h"
#include "drawing/DrawingFixture.h"
#include "interpreter/Graduations.h"
#include "interpreter/ScaleState.h"
#include "platform/OutputSurface.h"
#include "values/Levels.h"

namespace {

constexpr double Rad = 0.017453293;

class ValueLabelsTest : public DrawingTest {
 protected:
  void SetUp() override {
    DrawingTest::SetUp();
    Echelle = {};
    locale_ = QLocale();
  }
  void TearDown() override {
    QLocale::setDefault(locale_);
    DrawingTest::TearDown();
  }
  void Run(const QStringList& lignes) {
    Session().Prompteur().Efface();
    DrawingTest::Run(lignes);
  }

  std::vector<Primitive> Textes() { return DuGenre(Primitive::Genre::Texte); }
  QStringList Etiquettes() {
    QStringList r;
    for (const Primitive& p : Textes()) r << p.Texte;
    return r;
  }
  // The anchor of a label written with the code "GB" at angle 0, in millimetres from the current
  // 0,0: its text starts there on its base line, one ascent below the top of the recorded cell.
  static QPointF Ancre(const Primitive& p) {
    const double montee = Sortie->MetriquesTextePx().Ascent;
    return {p.Points[0].x() / PxParMm - (Repere.OrigineX + Repere.CTx),
            (HauteurImage - p.Points[0].y() - montee) / PxParMm - (Repere.OrigineY + Repere.CTy)};
  }
  QString Erreur() { return Messages().empty() ? QString() : Messages()[0].texte; }

 private:
  QLocale locale_;
};

#define EXPECT_ANCRE(p, ex, ey)             \
  do {                                      \
    const QPointF q_ = Ancre(p);            \
    EXPECT_NEAR(q_.x(), (ex), 0.01) << "x"; \
    EXPECT_NEAR(q_.y(), (ey), 0.01) << "y"; \
  } while (0)

TEST_F(ValueLabelsTest, LinearLabelsOnStraightLines) {
  Run(QStringList{"Droite = 0, 100, 0", "Val = 10, 0, 100, 5"});
  ASSERT_TRUE(Erreur().isEmpty()) << Erreur().toStdString();
  EXPECT_EQ(Etiquettes(), QStringList({"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}));
  for (const Primitive& p : Textes()) EXPECT_EQ(p.Angle, 0);

  // Anchored by the start of the base line: 5 above the line, or 5 below after the inversion.
  Run(QStringList{"Droite = 0, 100, 0", "ValD = GB, 4, 0, 1, 5", "Inversion", "ValD = GB, 2, 0, 1, 5§90"});
  ASSERT_TRUE(Erreur().isEmpty()) << Erreur().toStdString();
  auto t = Textes();
  ASSERT_EQ(t.size(), 8u);
  EXPECT_EQ(Etiquettes().mid(0, 5), QStringList({"0", "0.25", "0.5", "0.75", "1"}));
  for (int i = 0; i < 5; ++i) EXPECT_ANCRE(t[i], 25.0 * i, 5);
  EXPECT_ANCRE(t[6], 50 + 5, 0);  // turned by 90 degrees and inverted: to the right

  // A vertical line: the anchors to the right of it.
  Run(QStringList{"DroiteV = 0, 50, 10", "ValD = GB, 5, 0, 50, 3"});
  t = Textes();
  ASSERT_EQ(t.size(), 6u);
  for (int i = 0; i <= 5; ++i) EXPECT_ANCRE(t[i], 13, 10.0 * i);
  EXPECT_EQ(t[5].Texte, "50");

  // Units: on every label, or the last label's own.
  Run(QStringList{"Droite = 0, 100, 0", "Val = 2, 0§ %, 100, 5", "Val = 2, 0§ V, 100§ kV, 5",
                  "Val = 2, 0, 100§ kV, 5", "Val = 1, 0§mA, 1, 5"});
  EXPECT_EQ(Etiquettes(), QStringList({"0 %", "50 %", "100 %", "0 V", "50 V", "100 kV", "0", "50", "100 kV",
                                       "0mA", "1mA"}));

  // The colour "N" writes nothing but the anchors still move the current point.
  Run(QStringList{"Droite = 0, 100, 0", "Val = 10, 0, 100, 5, , , N"});
  EXPECT_TRUE(Textes().empty());
  EXPECT_NEAR(Repere.XCourant - (Repere.OrigineX + Repere.CTx), 100, 0.01);
  EXPECT_NEAR(Repere.YCourant - (Repere.OrigineY + Repere.CTy), 5, 0.01);

  // The labels take the locale's decimal separator.
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  Run(QStringList{"Droite = 0, 100, 0", "Val = 4, 0, 1, 5, , , Rouge"});
  EXPECT_EQ(Etiquettes(), QStringList({"0", "0,25", "0,5", "0,75", "1"}));
  EXPECT_EQ(Textes()[0].Couleur, 255u);
  EXPECT_EQ(Sortie->ForeColor, 0u) << "the current colour is back";
}

TEST_F(ValueLabelsTest, ArcLabelsAnglesAndModulo) {
  Run(QStringList{"Arc = 0, 180, 50", "ValD = GB, 4, 0, 100, 10"});
  ASSERT_TRUE(Erreur().isEmpty()) << Erreur().toStdString();
  auto t = Textes();
  ASSERT_EQ(t.size(), 5u);
  for (int i = 0; i <= 4; ++i) {
    const double a = 45.0 * i * Rad;
    EXPECT_ANCRE(t[i], -60 * std::cos(a), 60 * std::sin(a));
    EXPECT_EQ(t[i].Angle, 0);
  }

  // Radial labels follow the radius; a fixed angle and an "R" angle on other keywords.
  Run(QStringList{"Arc = 0, 180, 50", "ValR = , 4, 0, 100, 10", "ValD = 30, 1, 0, 1, 10",
                  "ValD = R20HG, 1, 0, 1, 10"});
  t = Textes();
  ASSERT_EQ(t.size(), 9u);
  for (int i = 0; i <= 4; ++i) EXPECT_NEAR(t[i].Angle, 90 - 45.0 * i, 0.05);
  EXPECT_NEAR(t[5].Angle, 30, 0.05);
  EXPECT_NEAR(t[7].Angle, 20, 0.05);

  // 12 intervals modulo 12: 0 to 11, then 0 again.
  Run(QStringList{"Arc = 0, 360, 50", "Val = 12§12, 0, 12, 5"});
  QStringList attendu;
  for (int i = 0; i < 12; ++i) attendu << QString::number(i);
  attendu << "0";
  EXPECT_EQ(Etiquettes(), attendu);

  // The pivot 20 above the centre: the anchor on the ray from the centre, at the distance from
  // the pivot of the point of radius 50 + 10 at the scale's start.
  Run(QStringList{"Decal = 20", "Arc = 45, 135, 50", "ValD = GB, 2, 0, 100, 10"});
  ASSERT_TRUE(Erreur().isEmpty()) << Erreur().toStdString();
  t = Textes();
  ASSERT_EQ(t.size(), 3u);
  const double d = -20;
  const double r = std::sqrt(d * d + 60 * 60 - 2 * d * 60 * std::cos((45 + 90) * Rad));
  for (int i = 0; i <= 2; ++i) {
    const double a = (45 + 45.0 * i) * Rad;
    const double produit = std::sin(a) * -d;
    const double k = produit + std::sqrt(produit * produit - d * d + r * r);
    EXPECT_ANCRE(t[i], -k * std::cos(a), k * std::sin(a));
  }
}

TEST_F(ValueLabelsTest, LogarithmicFormatsAndPrefixes) {
  Run(QStringList{"Exposant = L, 2", "Droite = 0, 100, 0", "Val = 1§2, 1000§ Hz, P, 5"});
  ASSERT_TRUE(Erreur().isEmpty()) << Erreur().toStdString();
  EXPECT_EQ(Etiquettes(), QStringList({"1 kHz", "2 kHz", "10 kHz", "20 kHz", "100 kHz"}));
  auto t = Textes();
  Run(QStringList{"Exposant = L, 2", "Droite = 0, 100, 0", "ValD = GB, 1§2, 1000§ Hz, P, 5"});
  t = Textes();
  ASSERT_EQ(t.size(), 5u);
  EXPECT_ANCRE(t[1], 50 * std::log10(2.0), 5);

  // Scientific, engineering and pattern forms; a last value between marks is not labelled.
  Run(QStringList{"Exposant = L, 3", "Droite = 0, 100, 0", "Val = 1§1, 1, E, 5", "Val = 1§1, 0.001, S, 5",
                  "Val = 1§1, 1, 0.0E00§ A, 5, 10, 10", "Val = 1§1, 2, 0.0E00, 5, 1, 1",
                  "Val = 1§1, 0.001, 0.0E00, 5, 1, 1", "Val = 1, 1, 0.0, 5, 1, 2",
                  "Val = 1§1, 1, 0.0, 5, 1, 2"});
  ASSERT_TRUE(Erreur().isEmpty()) << Erreur().toStdString();
  EXPECT_EQ(Etiquettes(), QStringList({"1E0", "1E1", "1E2", "1E3", "1E-3", "10E-3", "100E-3", "1E0",
                                       "1.0E01 A", "2.0E00", "1.0E-03", "1", "2", "1"}));

  // An empty factor counts as 0; a 0 label keeps no prefix of an earlier label.
  Run(QStringList{"Exposant = L, 1", "Droite = 0, 100, 0", "Val = 1§5, 1000, P, 5", "Val = 1§5, , P, 5"});
  EXPECT_EQ(Etiquettes(), QStringList({"1k", "2k", "3k", "4k", "5k", "10k", "0", "0", "0", "0", "0", "0"}));
}

TEST_F(ValueLabelsTest, SingleLabels) {
  Run(QStringList{"Droite = 0, 100, 0", "Val1D = GB, 50, mid, 5, , 30°, deg, 5",
                  "Val1D = GB, 25, #2*3#, -5"});
  ASSERT_TRUE(Erreur().isEmpty()) << Erreur().toStdString();
  auto t = Textes();
  ASSERT_EQ(t.size(), 3u);
  // A label keeps the blanks around it: they are part of the text that is aligned.
  EXPECT_EQ(Etiquettes(), QStringList({" mid", " deg", " 6"}));
  EXPECT_ANCRE(t[0], 50, 5);
  EXPECT_ANCRE(t[1], 30, 5);
  EXPECT_ANCRE(t[2], 25, -5);

  // Centred, the blank before the text counts in its width.
  Run(QStringList{"Droite = 0, 100, 0", "Val1 = 50, Milieu, 8"});
  t = Textes();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].Texte, " Milieu");
  EXPECT_NEAR(t[0].Points[0].x() / PxParMm, 50 - Sortie->TextWidth(" Milieu") / 2, 0.3);

  // On an arc: a percentage of the scale by its law, or a direct angle; radial with Val1R.
  Run(QStringList{"Exposant = 2", "Arc = 0, 180, 50", "Val1D = GB, 50, A, 10, , 30°, B, 10",
                  "Val1R = , 30°, C, 10"});
  t = Textes();
  ASSERT_EQ(t.size(), 3u);
  const double a = 180 * std::sqrt(0.5) * Rad;
  EXPECT_ANCRE(t[0], -60 * std::cos(a), 60 * std::sin(a));
  EXPECT_ANCRE(t[1], -60 * std::cos(30 * Rad), 60 * std::sin(30 * Rad));
  EXPECT_NEAR(t[2].Angle, 60, 0.05);

  // A list of values with a list of labels; text labels take the locale's decimal separator.
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  Run(QStringList{"%L = 10, 20, 30", "%N = bas, 1.5, haut", "Droite = 0, 100, 0", "Val1 = %L§%L, %N§txt, 5",
                  "Val1 = %L§%L, %L§, 5", "Val1 = 40, 2.5§TXT, 5"});
  ASSERT_TRUE(Erreur().isEmpty()) << Erreur().toStdString();
  EXPECT_EQ(Etiquettes(), QStringList({" bas", " 1,5", " haut", " 10", " 20", " 30", " 2,5"}));
  EXPECT_EQ(Lecture.SlotListe, 0);

  // A list marker without a variable name; a logarithmic value of 0; before any scale line.
  Run(QStringList{"Droite = 0, 100, 0", "Val1 = 10§L, a, 5"});
  EXPECT_FALSE(Erreur().isEmpty());
  Run(QStringList{"Exposant = L", "Droite = 0, 100, 0", "Val1 = 0, a, 5"});
  EXPECT_FALSE(Erreur().isEmpty());
  EXPECT_TRUE(Textes().empty());
  Run(QStringList{"Val1 = 10, a, 5"});
  EXPECT_TRUE(Erreur().contains("Erreur ordre commandes")) << Erreur().toStdString();
}

TEST_F(ValueLabelsTest, FaultsAreRunErrors) {
  // N between 0 and 1, a step of 0, a non-positive value in scientific notation, no extent.
  for (const char* ligne : {"Val = 0.5, 0, 100, 5", "Val = 0, 1, , 5", "Val = 1, -1, E, 5"}) {
    const bool log = QString(ligne).startsWith("Val = 0,") || QString(ligne).contains("E");
    Run(QStringList{log ? "Exposant = L, 2" : "Exposant = 1", "Droite = 0, 100, 0", ligne});
    EXPECT_FALSE(Erreur().isEmpty()) << ligne;
  }
  Run(QStringList{"Droite = 10, 10, 0", "Val = 10, 0, 100, 5"});
  EXPECT_FALSE(Erreur().isEmpty());
  Run(QStringList{"Val = 10, 0, 100, 5"});
  EXPECT_TRUE(Erreur().contains("Erreur ordre commandes")) << Erreur().toStdString();

  // The engineering and scientific forms by themselves.
  float x = 12500;
  EXPECT_EQ(NotationIngenieur(x), "12.5E3");
  x = 0.25f;
  EXPECT_EQ(NotationIngenieur(x), "250E-3");
  x = 0.00005f;
  EXPECT_EQ(NotationIngenieur(x), "50E-6");
  x = 1;
  EXPECT_EQ(NotationIngenieur(x), "1E0");
  x = 9.99f;
  EXPECT_EQ(NotationScientifique(x), "9.99E0");
  x = 0.0025f;
  EXPECT_EQ(NotationScientifique(x), "2.5E-3");
}

}  // namespace
