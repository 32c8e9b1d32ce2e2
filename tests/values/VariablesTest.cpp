#include <gtest/gtest.h>

#include <QStringList>

#include "interpreter/RunState.h"
#include "platform/RunError.h"
#include "values/Insertions.h"
#include "values/Levels.h"
#include "values/Variables.h"

namespace {

class VariablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RazEtatRun();
    DimensionneNiveaux(6);
    NiveauCourant = 1;
    Lecture.SepParam = QStringLiteral(",");
    Lecture.SepSousParam = QStringLiteral("§");
    Niveau(1).MaxVar = 33;
  }

  static void Remplit(int niveau, int nombre) {
    for (int i = 1; i <= nombre; ++i) {
      QString nom = QStringLiteral("%v%1").arg(i);
      StockeTexteVariable(niveau, nom, QString::number(i));
    }
  }

  // What a command-file call leaves in the new level: values passed by position, unnamed, marked.
  static void PasseValeurs(int niveau, const QStringList& valeurs) {
    InitNiveau(niveau);
    NiveauProg& r = Niveau(niveau);
    for (int i = 0; i < valeurs.size(); ++i) {
      r.ValeursVar[i + 1] = valeurs[i];
      r.MarquesVar[i + 1] = 1;
    }
    r.NbVar = static_cast<int>(valeurs.size());
  }
};

TEST_F(VariablesTest, FindingTheSlot) {
  EXPECT_EQ(IndiceVariable(QStringLiteral("%Rayon"), 1), 0);
  QString nom = QStringLiteral("%Rayon");
  StockeTexteVariable(1, nom, QStringLiteral("3"));
  nom = QStringLiteral("%Pas");
  StockeTexteVariable(1, nom, QStringLiteral("1"));

  EXPECT_EQ(IndiceVariable(QStringLiteral("%rayon*2"), 1), 1);
  EXPECT_EQ(IndiceVariable(QStringLiteral(" %Rayon = 3"), 1), 1);
  EXPECT_EQ(IndiceVariable(QStringLiteral("%Rayon§R"), 1), 1);
  EXPECT_EQ(IndiceVariable(QStringLiteral("%RAYON,2"), 1), 1);
  EXPECT_EQ(IndiceVariable(QStringLiteral("%Rayon°"), 1), 1);
  EXPECT_EQ(IndiceVariable(QStringLiteral("%Rayon\"x"), 1), 1);
  EXPECT_EQ(IndiceVariable(QStringLiteral("%pas<3"), 1), 2);
  // "(" does not end a name.
  EXPECT_EQ(IndiceVariable(QStringLiteral("%Rayon(2)"), 1), 0);
  EXPECT_EQ(IndiceVariable(QStringLiteral("%Ray"), 1), 0);
  // Other levels have their own table.
  EXPECT_EQ(IndiceVariable(QStringLiteral("%Rayon"), 2), 0);

  Lecture.SepParam = QStringLiteral(";");
  EXPECT_EQ(IndiceVariable(QStringLiteral("%Rayon;2"), 1), 1);

  // An unnamed slot (a value passed by position) never matches a name.
  PasseValeurs(2, {QStringLiteral("5")});
  EXPECT_EQ(IndiceVariable(QStringLiteral("%a"), 2), 0);
  EXPECT_THROW(IndiceVariable(QStringLiteral("%a"), 7), ErreurExecution);

  // Names that differ in case only: the first slot wins; a renamed slot is found under its new
  // name at once; a slot above the count does not count.
  NiveauProg& r = Niveau(3);
  r.NomsVar[1] = QStringLiteral("%x");
  r.NomsVar[2] = QStringLiteral("%X");
  r.NomsVar[3] = QStringLiteral("%y");
  r.NbVar = 2;
  EXPECT_EQ(IndiceVariable(QStringLiteral("%X"), 3), 1);
  EXPECT_EQ(IndiceVariable(QStringLiteral("%y"), 3), 0);
  r.NomsVar[1] = QStringLiteral("%é");
  EXPECT_EQ(IndiceVariable(QStringLiteral("%x"), 3), 2);
  EXPECT_EQ(IndiceVariable(QStringLiteral("%É"), 3), 1);
  r.NbVar = 3;
  EXPECT_EQ(IndiceVariable(QStringLiteral("%Y+1"), 3), 3);
  for (int i = 4; i <= 64; ++i) r.NomsVar[static_cast<size_t>(i)] = QStringLiteral("%v%1").arg(i);
  r.NbVar = 64;
  EXPECT_EQ(IndiceVariable(QStringLiteral("%V64"), 3), 64);
  EXPECT_EQ(IndiceVariable(QStringLiteral("%V65"), 3), 0);
}

TEST_F(VariablesTest, StoringNumbers) {
  int niveau = 1;
  QString nom = QStringLiteral("%Quart");
  StockeVariable(niveau, nom, 0.25);
  nom = QStringLiteral("%Moins");
  StockeVariable(niveau, nom, -3.0);
  nom = QStringLiteral("%Douze");
  StockeVariable(niveau, nom, 12.0f);
  nom = QStringLiteral("%TiersS");
  StockeVariable(niveau, nom, 1.0f / 3.0f);
  nom = QStringLiteral("%TiersD");
  StockeVariable(niveau, nom, 1.0 / 3.0);
  nom = QStringLiteral("%Petit");
  StockeVariable(niveau, nom, -0.5);

  const NiveauProg& r = Niveau(1);
  ASSERT_EQ(r.NbVar, 6);
  EXPECT_EQ(r.ValeursVar[1], QStringLiteral(".25"));
  EXPECT_EQ(r.ValeursVar[2], QStringLiteral("-3"));
  EXPECT_EQ(r.ValeursVar[3], QStringLiteral("12"));
  EXPECT_EQ(r.ValeursVar[4], QStringLiteral(".3333333"));
  EXPECT_EQ(r.ValeursVar[5], QStringLiteral(".333333333333333"));
  EXPECT_EQ(r.ValeursVar[6], QStringLiteral("-.5"));
  // The name keeps its case; a later store under another case replaces the value.
  EXPECT_EQ(r.NomsVar[1], QStringLiteral("%Quart"));
  nom = QStringLiteral("%QUART");
  StockeVariable(niveau, nom, 2.0);
  EXPECT_EQ(r.NbVar, 6);
  EXPECT_EQ(r.NomsVar[1], QStringLiteral("%Quart"));
  EXPECT_EQ(r.ValeursVar[1], QStringLiteral("2"));
  // MaxVar is not consulted by the command writers.
  Niveau(1).MaxVar = 6;
  nom = QStringLiteral("%Septieme");
  StockeVariable(niveau, nom, 7.0);
  EXPECT_EQ(r.NbVar, 7);
}

TEST_F(VariablesTest, StoringTexts) {
  QString nom = QStringLiteral("%Liste");
  StockeTexteVariable(1, nom, QStringLiteral(" 1,5 ; 2 "));
  EXPECT_EQ(Lecture.IndiceTravail, 1);
  nom = QStringLiteral("%Autre");
  StockeTexteVariable(1, nom, QStringLiteral("\""));
  EXPECT_EQ(Lecture.IndiceTravail, 2);
  nom = QStringLiteral("%liste");
  StockeTexteVariable(1, nom, QStringLiteral("x"));
  EXPECT_EQ(Lecture.IndiceTravail, 1);
  EXPECT_EQ(Niveau(1).ValeursVar[2], QStringLiteral("\""));
  EXPECT_EQ(Niveau(1).ValeursVar[1], QStringLiteral("x"));
}

TEST_F(VariablesTest, GlobalScope) {
  int niveau = 3;
  QString nom = QStringLiteral("%IRE$#0Total");
  StockeVariable(niveau, nom, 4.5);
  EXPECT_EQ(nom, QStringLiteral("%Total"));
  EXPECT_EQ(niveau, 3);
  EXPECT_EQ(Niveau(0).NbVar, 1);
  EXPECT_EQ(Niveau(0).NomsVar[1], QStringLiteral("%Total"));
  EXPECT_EQ(Niveau(0).ValeursVar[1], QStringLiteral("4.5"));
  EXPECT_EQ(Niveau(3).NbVar, 0);

  nom = QStringLiteral("%IRE$#0Total");
  StockeTexteVariable(2, nom, QStringLiteral("t"));
  EXPECT_EQ(Niveau(0).NbVar, 1);
  EXPECT_EQ(Niveau(0).ValeursVar[1], QStringLiteral("t"));

  niveau = 1;
  nom = QStringLiteral("%IRE$#0Total");
  StockeVariable(niveau, nom, 1.0);
  EXPECT_EQ(nom, QStringLiteral("%IRE$#0Total"));
  EXPECT_EQ(Niveau(1).NomsVar[1], QStringLiteral("%IRE$#0Total"));
  EXPECT_EQ(Niveau(0).ValeursVar[1], QStringLiteral("t"));
}

TEST_F(VariablesTest, CreationAtLevelOne) {
  Lecture.OperateurAffect = QStringLiteral("<");
  EXPECT_EQ(AffecteVariable(QStringLiteral("%rayon = 5"), QStringLiteral(" 5 ")), 1);
  EXPECT_EQ(Lecture.IndiceTravail, 1);
  EXPECT_EQ(Niveau(1).NomsVar[1], QStringLiteral("%RAYON"));
  EXPECT_EQ(Niveau(1).ValeursVar[1], QStringLiteral(" 5 "));

  // Quoted values lose their quotes; a lone quote is an empty value.
  AffecteVariable(QStringLiteral("%t"), QStringLiteral("\"abc\""));
  EXPECT_EQ(Niveau(1).ValeursVar[2], QStringLiteral("abc"));
  AffecteVariable(QStringLiteral("%u"), QStringLiteral("\""));
  EXPECT_EQ(Niveau(1).ValeursVar[3], QString());
  AffecteVariable(QStringLiteral("%v"), QStringLiteral("\"\""));
  EXPECT_EQ(Niveau(1).ValeursVar[4], QString());
  // Only beginning with a quote: the assignment value rule decides.
  Lecture.OperateurAffect.clear();
  AffecteVariable(QStringLiteral("%w"), QStringLiteral("  \"abc  "));
  EXPECT_EQ(Niveau(1).ValeursVar[5], QStringLiteral("\"abc"));
  Lecture.OperateurAffect = QStringLiteral("=");
  AffecteVariable(QStringLiteral("%x"), QStringLiteral("0.50"));
  EXPECT_EQ(Niveau(1).ValeursVar[6], QStringLiteral(".5"));
  EXPECT_EQ(Niveau(1).NbVar, 6);
}

TEST_F(VariablesTest, CapacityOfLevelOne) {
  Lecture.OperateurAffect = QStringLiteral("<");
  Remplit(1, 33);
  EXPECT_THROW(AffecteVariable(QStringLiteral("%x"), QStringLiteral("1")), ErreurExecution);
  EXPECT_EQ(Niveau(1).NbVar, 33);
  EXPECT_EQ(IndiceVariable(QStringLiteral("%x"), 1), 0);
  // An existing variable can still be written.
  QString nom = QStringLiteral("%v1");
  StockeTexteVariable(1, nom, QStringLiteral("neuf"));
  EXPECT_EQ(Niveau(1).ValeursVar[1], QStringLiteral("neuf"));

  // The commands may store past MaxVar; then only the 64 slots stop creations by assignment.
  Remplit(1, 35);
  EXPECT_EQ(Niveau(1).NbVar, 35);
  EXPECT_EQ(AffecteVariable(QStringLiteral("%x"), QStringLiteral("1")), 36);
  Remplit(1, 62);
  EXPECT_EQ(AffecteVariable(QStringLiteral("%y"), QStringLiteral("1")), 64);
  EXPECT_THROW(AffecteVariable(QStringLiteral("%z"), QStringLiteral("1")), ErreurExecution);
  EXPECT_EQ(Niveau(1).NbVar, 64);
}

TEST_F(VariablesTest, NeverASixtyFifthVariable) {
  Lecture.OperateurAffect = QStringLiteral("<");
  Remplit(1, 64);
  ASSERT_EQ(Niveau(1).NbVar, 64);
  int niveau = 1;
  QString nom = QStringLiteral("%de_trop");
  EXPECT_THROW(StockeVariable(niveau, nom, 1.0), ErreurExecution);
  EXPECT_THROW(StockeVariable(niveau, nom, 1.0f), ErreurExecution);
  EXPECT_THROW(StockeTexteVariable(1, nom, QStringLiteral("1")), ErreurExecution);
  Niveau(1).MaxVar = 70;
  EXPECT_THROW(AffecteVariable(nom, QStringLiteral("1")), ErreurExecution);
  EXPECT_EQ(Niveau(1).NbVar, 64);
  // Existing variables remain writable.
  nom = QStringLiteral("%v64");
  StockeVariable(niveau, nom, 5.0);
  EXPECT_EQ(Niveau(1).ValeursVar[64], QStringLiteral("5"));

  Remplit(2, 64);
  NiveauCourant = 2;
  EXPECT_THROW(AffecteVariable(QStringLiteral("%z"), QStringLiteral("1")), ErreurExecution);
  EXPECT_EQ(Niveau(2).NbVar, 64);
  Remplit(0, 64);
  NiveauCourant = 0;
  EXPECT_THROW(AffecteVariable(QStringLiteral("%z"), QStringLiteral("1")), ErreurExecution);
  EXPECT_EQ(Niveau(0).NbVar, 64);
}

TEST_F(VariablesTest, ValuesHandedToACommandFile) {
  Lecture.OperateurAffect = QStringLiteral("<");
  PasseValeurs(2, {QStringLiteral("10"), QStringLiteral("20")});
  NiveauCourant = 2;
  EXPECT_EQ(AffecteVariable(QStringLiteral("%a"), QStringLiteral("1")), 1);
  EXPECT_EQ(AffecteVariable(QStringLiteral("%b"), QStringLiteral("2")), 2);
  EXPECT_EQ(Lecture.IndiceTravail, 2);
  EXPECT_EQ(AffecteVariable(QStringLiteral("%c"), QStringLiteral("3")), 3);
  const NiveauProg& r = Niveau(2);
  EXPECT_EQ(r.NomsVar[1], QStringLiteral("%A"));
  EXPECT_EQ(r.ValeursVar[1], QStringLiteral("10"));
  EXPECT_EQ(r.MarquesVar[1], 0);
  EXPECT_EQ(r.NomsVar[2], QStringLiteral("%B"));
  EXPECT_EQ(r.ValeursVar[2], QStringLiteral("20"));
  EXPECT_EQ(r.ValeursVar[3], QStringLiteral("3"));
  EXPECT_EQ(r.NbVar, 3);
  EXPECT_EQ(r.NbCreations, 3);

  // After STOPARG the file's own defaults are stored.
  PasseValeurs(2, {QStringLiteral("10"), QStringLiteral("20")});
  Lecture.StopArg = true;
  AffecteVariable(QStringLiteral("%a"), QStringLiteral("1"));
  AffecteVariable(QStringLiteral("%b"), QStringLiteral("2"));
  EXPECT_EQ(r.ValeursVar[1], QStringLiteral("1"));
  EXPECT_EQ(r.ValeursVar[2], QStringLiteral("2"));
  EXPECT_EQ(r.MarquesVar[1], 1);

  // A creation after variables stored by commands goes past them.
  Lecture.StopArg = false;
  InitNiveau(3);
  NiveauCourant = 3;
  Remplit(3, 2);
  EXPECT_EQ(AffecteVariable(QStringLiteral("%n"), QStringLiteral("x")), 3);
  // The global level fills after its last slot.
  Remplit(0, 2);
  NiveauCourant = 0;
  EXPECT_EQ(AffecteVariable(QStringLiteral("%g"), QStringLiteral("y")), 3);
  EXPECT_EQ(Niveau(0).NomsVar[3], QStringLiteral("%G"));
}

TEST_F(VariablesTest, ResettingALevel) {
  NiveauCourant = 2;
  PasseValeurs(2, {QStringLiteral("1")});
  AffecteVariable(QStringLiteral("%a"), QStringLiteral("2"));
  NiveauProg& r = Niveau(2);
  ASSERT_EQ(r.NbCreations, 1);
  r.FacteurTailleP = 2.5f;
  r.MaxVar = 12;
  r.SepParam = QStringLiteral(";");
  r.Fichier = QStringLiteral("x.txt");
  r.SavFinX = 1.0f;
  r.OrigineX = 3.0;
  r.FacteurEpaisT = 4.0f;
  r.SavStyle = QStringLiteral("B");

  InitNiveau(2);
  EXPECT_EQ(r.Fichier, QString());
  EXPECT_EQ(r.SavStyle, QStringLiteral("0"));
  EXPECT_EQ(r.SavFinX, 999.99f);
  EXPECT_EQ(r.SavFinY, 999.99f);
  EXPECT_FALSE(r.OrigineX.has_value());
  EXPECT_EQ(r.FacteurEpaisT, 1.0f);
  EXPECT_EQ(r.NbVar, 0);
  EXPECT_EQ(r.NbCreations, 0);
  EXPECT_EQ(r.NomsVar[1], QString());
  EXPECT_EQ(r.ValeursVar[1], QString());
  // Left for the head of the level's run.
  EXPECT_EQ(r.FacteurTailleP, 2.5f);
  EXPECT_EQ(r.MaxVar, 12);
  EXPECT_EQ(r.SepParam, QStringLiteral(";"));

  // An empty table keeps its creation count.
  r.NbCreations = 4;
  RazVariablesNiveau(2);
  EXPECT_EQ(r.NbCreations, 4);
}

TEST_F(VariablesTest, ValueOfAnAssignment) {
  QString nom = QStringLiteral("%A");
  StockeTexteVariable(1, nom, QStringLiteral("2"));

  Lecture.OperateurAffect = QStringLiteral("=");
  QString t = QStringLiteral("%A");
  EXPECT_EQ(ValeurAffectation(t), QStringLiteral("2"));
  t = QStringLiteral(" 0.50 ");
  EXPECT_EQ(ValeurAffectation(t), QStringLiteral(".5"));
  Incident.DetailErreur.clear();
  t = QStringLiteral("%Z");
  EXPECT_THROW(ValeurAffectation(t), ErreurExecution);
  EXPECT_EQ(Incident.DetailErreur,
            QStringLiteral("%Z : non initialisée / not initialized / nicht initialisiert\r\n\r\n"));

  Lecture.OperateurAffect = QStringLiteral("<");
  t = QStringLiteral("  %A  ");
  EXPECT_EQ(ValeurAffectation(t), QStringLiteral("  %A  "));
  Lecture.OperateurAffect.clear();
  t = QStringLiteral("  abc  ");
  EXPECT_EQ(ValeurAffectation(t), QStringLiteral("abc"));

  EXPECT_EQ(AvantSousSep(QStringLiteral("45°§2")), QStringLiteral("45°"));
  EXPECT_EQ(AvantSousSep(QStringLiteral("45")), QStringLiteral("45"));
}

}  // namespace
