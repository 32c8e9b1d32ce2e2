#include <gtest/gtest.h>

#include "interpreter/RunState.h"
#include "platform/RunError.h"
#include "values/Colours.h"
#include "values/Levels.h"
#include "values/Variables.h"

namespace {

class ColoursTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RazEtatRun();
    DimensionneNiveaux(6);
    NiveauCourant = 1;
    Lecture.SepParam = QStringLiteral(",");
    Lecture.SepSousParam = QStringLiteral("§");
    Niveau(1).MaxVar = 33;
  }

  static int32_t Valeur(const char* texte) {
    const CouleurLue c = ValeurCouleur(QString::fromUtf8(texte));
    EXPECT_FALSE(c.EstVide()) << texte;
    return c;
  }
  static bool Vide(const char* texte) { return ValeurCouleur(QString::fromUtf8(texte)).EstVide(); }
};

TEST_F(ColoursTest, Names) {
  EXPECT_EQ(Valeur("rouge"), 255);
  EXPECT_EQ(Valeur(" Red "), 255);
  EXPECT_EQ(Valeur("ROUGE§3"), 255);
  EXPECT_EQ(Valeur("ROUGE/x"), 255);
  EXPECT_EQ(Valeur("rouge, 2"), 255);
  EXPECT_EQ(Valeur("Bleu §x/y"), 16711680);
  EXPECT_EQ(Valeur("Violet"), Valeur("Cyan"));
  EXPECT_EQ(Valeur("CYAN"), 16776960);
  EXPECT_EQ(Valeur("noir"), 0);
  EXPECT_EQ(Valeur("black"), 0);
  EXPECT_EQ(Valeur("vert"), 65280);
  EXPECT_EQ(Valeur("Green"), 65280);
  EXPECT_EQ(Valeur("jaune"), 65535);
  EXPECT_EQ(Valeur("YELLOW"), 65535);
  EXPECT_EQ(Valeur("blue"), 16711680);
  EXPECT_EQ(Valeur("magenta"), 16711935);
  EXPECT_EQ(Valeur("blanc"), 16777215);
  EXPECT_EQ(Valeur("white"), 16777215);

  EXPECT_EQ(Valeur("N"), -1);
  EXPECT_EQ(Valeur(" n §2"), -1);
  EXPECT_TRUE(Vide(""));
  EXPECT_TRUE(Vide("   "));
  EXPECT_TRUE(Vide("§ROUGE"));
  EXPECT_TRUE(Vide("123"));
  EXPECT_TRUE(Vide("ROUGEATRE"));
  // Empty reads as 0 where a number is wanted.
  EXPECT_EQ(static_cast<int32_t>(ValeurCouleur(QString())), 0);

  Lecture.SepParam = QStringLiteral(";");
  EXPECT_EQ(Valeur("vert;rouge"), 65280);
  EXPECT_TRUE(Vide("vert,rouge"));
}

TEST_F(ColoursTest, RgbForm) {
  EXPECT_EQ(Valeur("RGB 0 0 255"), 16711680);
  EXPECT_EQ(Valeur("RVB 255 128 0"), 33023);
  EXPECT_EQ(Valeur("rvb 10"), 10);
  EXPECT_EQ(Valeur("RGB 300 0 0"), 255);
  EXPECT_EQ(Valeur("RGB1 2 3"), 1 + 256 * 2 + 65536 * 3);
  EXPECT_EQ(Valeur("RGB 1,  2, 3"), 1 + 256 * 2 + 65536 * 3);
  // Only the blanks after a delimiter merge with it: " ," leaves an empty green between them.
  EXPECT_EQ(Valeur("RGB 1 ,2 3"), 1 + 65536 * 2);
  EXPECT_EQ(Valeur("RGB"), 0);
  EXPECT_EQ(Valeur("RGB &HFF 0 0"), 0) << "no hexadecimal components";
  EXPECT_EQ(Valeur("RGB 1D2 0 0"), 1);
  // Components round halves to the even neighbour.
  EXPECT_EQ(Valeur("RGB 2.5 3.5 0"), 2 + 256 * 4);

  QString nom = QStringLiteral("%vert");
  StockeTexteVariable(1, nom, QStringLiteral("128"));
  EXPECT_EQ(Valeur("RGB 0 %vert 0"), 128 * 256);
}

TEST_F(ColoursTest, RefusedComponents) {
  EXPECT_THROW(ValeurCouleur(QStringLiteral("RGB -1 0 0")), ErreurExecution);
  EXPECT_THROW(ValeurCouleur(QStringLiteral("RVB 0 0 -5")), ErreurExecution);
  EXPECT_THROW(ValeurCouleur(QStringLiteral("RGB 40000 0 0")), ErreurExecution);
  EXPECT_THROW(ValeurCouleur(QStringLiteral("RGB 0 %inconnu 0")), ErreurExecution);
}

}  // namespace
