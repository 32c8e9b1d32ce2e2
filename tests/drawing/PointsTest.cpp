#include <gtest/gtest.h>

#include "drawing/DrawState.h"
#include "drawing/Points.h"
#include "interpreter/RunState.h"
#include "platform/RunError.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Variables.h"

namespace {

class PointsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RazEtatRun();
    RazEtatDessin();
    DimensionneNiveaux(6);
    NiveauCourant = 1;
    Lecture.SepParam = QStringLiteral(",");
    Lecture.SepSousParam = QStringLiteral("§");
    Niveau(1).MaxVar = 33;
  }
  void TearDown() override { RazEtatDessin(); }

  static void Variable(const QString& nom, const QString& valeur) {
    QString n = nom;
    StockeTexteVariable(1, n, valeur);
  }

  double x = 0, y = 0;
};

constexpr double Tolerance = 1e-4;

TEST_F(PointsTest, CartesianForm) {
  LitPoint(x, y, QStringLiteral("10, 20"), 1, 3, 4);
  EXPECT_EQ(x, 10.0);
  EXPECT_EQ(y, 20.0);
  LitPoint(x, y, QStringLiteral("10R, 20R"), 1, 3, 4);
  EXPECT_EQ(x, 13.0);
  EXPECT_EQ(y, 24.0);
  LitPoint(x, y, QStringLiteral("10§R, 20"), 1, 3, 4);
  EXPECT_EQ(x, 13.0);
  EXPECT_EQ(y, 20.0);
  // The flag is read after upper-casing; the y sub-field is the caller's.
  LitPoint(x, y, QStringLiteral("7, 1, 10r, 5R§30"), 3, 3, 4);
  EXPECT_EQ(x, 13.0);
  EXPECT_EQ(y, 9.0);
  LitPoint(x, y, QStringLiteral("10, 5§R"), 1, 3, 4);
  EXPECT_EQ(y, 5.0);
  LitPoint(x, y, QStringLiteral(", 20"), 1, 3, 4);
  EXPECT_EQ(x, 0.0);
  EXPECT_EQ(y, 20.0);
  LitPoint(x, y, QStringLiteral("10"), 1, 3, 4);
  EXPECT_EQ(y, 0.0);

  Plume.FacteurTraitX = 2;
  Plume.FacteurTraitY = 0.5f;
  LitPoint(x, y, QStringLiteral("10, 20"), 1, 3, 4);
  EXPECT_EQ(x, 20.0);
  EXPECT_EQ(y, 10.0);
  // The previous point is not scaled, only the displacement.
  LitPoint(x, y, QStringLiteral("10R, 20R"), 1, 3, 4);
  EXPECT_EQ(x, 23.0);
  EXPECT_EQ(y, 14.0);

  Variable(QStringLiteral("%dx"), QStringLiteral("6"));
  Plume.FacteurTraitX = Plume.FacteurTraitY = 1;
  LitPoint(x, y, QStringLiteral("%dx R, %dx"), 1, 3, 4);
  EXPECT_EQ(x, 9.0);
  EXPECT_EQ(y, 6.0);
}

TEST_F(PointsTest, PolarForm) {
  LitPoint(x, y, QStringLiteral("90°, 5"), 1, 1, 1);
  EXPECT_NEAR(x, 1.0, Tolerance);
  EXPECT_NEAR(y, 6.0, Tolerance);
  LitPoint(x, y, QStringLiteral("0°, 5"), 1, 1, 1);
  EXPECT_NEAR(x, 6.0, Tolerance);
  EXPECT_NEAR(y, 1.0, Tolerance);
  LitPoint(x, y, QStringLiteral("180°, 5"), 1, 1, 1);
  EXPECT_NEAR(x, -4.0, Tolerance);
  EXPECT_NEAR(y, 1.0, Tolerance);
  LitPointVar(x, y, QStringLiteral("-90°, 2§15"), 1, 1, 1);
  EXPECT_NEAR(x, 1.0, Tolerance);
  EXPECT_NEAR(y, -1.0, Tolerance);

  Plume.FacteurTraitX = 2;
  Plume.FacteurTraitY = 3;
  LitPoint(x, y, QStringLiteral("45°, 2"), 1, 0, 0);
  EXPECT_NEAR(x, 2.0 * std::sqrt(2.0), Tolerance);
  EXPECT_NEAR(y, 3.0 * std::sqrt(2.0), Tolerance);
}

TEST_F(PointsTest, MalformedPoints) {
  for (const char* texte :
       {"45°R, 5", "45°, 5R", "45°, ", "45°", "45°, §3", "10, 20°", "4°5, 20", "45R°, 5"}) {
    EXPECT_THROW(LitPoint(x, y, QString::fromUtf8(texte), 1, 0, 0), ErreurExecution) << texte;
    EXPECT_THROW(LitPointVar(x, y, QString::fromUtf8(texte), 1, 0, 0), ErreurExecution) << texte;
  }
  // The degree sign in the caller's sub-field is no error.
  EXPECT_NO_THROW(LitPoint(x, y, QStringLiteral("10, 20§30°"), 1, 0, 0));
}

TEST_F(PointsTest, UnknownVariable) {
  Incident.DetailErreur.clear();
  EXPECT_THROW(LitPoint(x, y, QStringLiteral("%inconnu, 2"), 1, 0, 0), ErreurExecution);
  EXPECT_EQ(Incident.DetailErreur, QStringLiteral("%INCONNU") + TexteNonInitialise());

  Variable(QStringLiteral("%a"), QStringLiteral("3"));
  EXPECT_THROW(LitPointVar(x, y, QStringLiteral(" %a+%q , 2"), 1, 0, 0), ErreurExecution);
  EXPECT_EQ(Incident.DetailErreur,
            QStringLiteral("3+%Q : non initialisée / not initialized / nicht initialisiert\r\n\r\n"));
  Incident.DetailErreur.clear();
  EXPECT_THROW(LitPointVar(x, y, QStringLiteral("1, %zz§%a"), 1, 0, 0), ErreurExecution);
  EXPECT_EQ(Incident.DetailErreur,
            QStringLiteral("%ZZ : non initialisée / not initialized / nicht initialisiert\r\n\r\n"));
}

TEST_F(PointsTest, EmptyFieldsAndTheDefaultRotation) {
  LitPointVar(x, y, QStringLiteral(", 20"), 1, 3, 4);
  EXPECT_EQ(x, 3.0);
  EXPECT_EQ(y, 20.0);
  LitPointVar(x, y, QStringLiteral("10, §30"), 1, 3, 4);
  EXPECT_EQ(x, 10.0);
  EXPECT_EQ(y, 4.0);
  LitPointVar(x, y, QStringLiteral("10R, 20R"), 1, 3, 4);
  EXPECT_EQ(x, 13.0);
  EXPECT_EQ(y, 24.0);

  LitPointVar(x, y, QStringLiteral("10§R§2, 5"), 1, 3, 4);
  EXPECT_EQ(x, 13.0);
  Rotation.AngRotDefaut = -30;
  LitPointVar(x, y, QStringLiteral("10§R§2, 5"), 1, 3, 4);
  EXPECT_EQ(x, 10.0);
  EXPECT_EQ(y, 5.0);
  LitPointVar(x, y, QStringLiteral("10R, 5"), 1, 3, 4);
  EXPECT_EQ(x, 13.0);
  // A sub-field on y brings the usual test back.
  LitPointVar(x, y, QStringLiteral("10§R, 5§0"), 1, 3, 4);
  EXPECT_EQ(x, 13.0);
  // LitPoint ignores the default rotation.
  LitPoint(x, y, QStringLiteral("10§R§2, 5"), 1, 3, 4);
  EXPECT_EQ(x, 13.0);
}

// Field isolation steps over the whole separator, however long.
TEST_F(PointsTest, SeparatorOfSeveralCharacters) {
  Lecture.SepParam = QStringLiteral("::");
  const QString texte = QStringLiteral("a::b::c");
  EXPECT_EQ(ParamBrutN(texte, 2), QStringLiteral("b"));
  EXPECT_EQ(ParamN(texte, 3), QStringLiteral("c"));
  int n = -2;
  EXPECT_EQ(ParamBrutN(texte, n), QStringLiteral("b::c"));
  EXPECT_EQ(ParamBrutN(texte, 4), QString());
  EXPECT_EQ(ParamBrutN(QStringLiteral("a::::c"), 2), QString());
  EXPECT_EQ(ParamBrutN(QStringLiteral("a::::c"), 3), QStringLiteral("c"));
  EXPECT_EQ(NbParams(texte), 3);
  EXPECT_EQ(NbParams(QStringLiteral("a:::b")), 2);
  EXPECT_EQ(LitParam(QStringLiteral("10:: 20mm"), 2), 20.0);
  EXPECT_FALSE(LitParam(QStringLiteral("10::"), 2).has_value());
  QString reste = texte;
  ResteParams(reste, 1);
  EXPECT_EQ(reste, QStringLiteral("b::c"));
  reste = texte;
  ResteParams(reste, 2);
  EXPECT_EQ(reste, QStringLiteral("c"));
  reste = texte;
  ResteParams(reste, 3);
  EXPECT_EQ(reste, QString());
  reste = QStringLiteral("a::");
  ResteParams(reste, 1);
  EXPECT_EQ(reste, QString());

  Lecture.SepSousParam = QStringLiteral("##");
  EXPECT_EQ(SousParamN(QStringLiteral("12##R##3"), 2), QStringLiteral("R"));
  EXPECT_EQ(SousParamN(QStringLiteral("12##R##3"), 3), QStringLiteral("3"));

  LitPoint(x, y, QStringLiteral("1::10R::20##15"), 2, 3, 4);
  EXPECT_EQ(x, 13.0);
  EXPECT_EQ(y, 20.0);
  LitPoint(x, y, QStringLiteral("10##R::20"), 1, 3, 4);
  EXPECT_EQ(x, 13.0);
}

}  // namespace
