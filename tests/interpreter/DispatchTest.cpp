// The keyword chain: the command error, labels, the command-order flags and the statements whose
// bodies stand in the chain itself.

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "interpreter/Interpreter.h"
#include "interpreter/KeywordTable.h"
#include "interpreter/VarList.h"
#include "platform/Legacy.h"
#include "platform/StringTable.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

const QString CRLF = QStringLiteral("\r\n");
const QString NonDisponible = QStringLiteral(
    " : commande pas encore disponible / command not available yet / Befehl noch nicht verfügbar");

class DispatchTest : public RunFixture {
 protected:
  // The keyword named by a not-available detail of the last message, or "" when there is none.
  QString MotCleNonDisponible() {
    if (Messages().empty()) return {};
    const QString& t = Messages().back().texte;
    const int fin = t.indexOf(NonDisponible);
    if (fin < 0) return {};
    const int debut = t.lastIndexOf(CRLF, fin);
    return t.mid(debut + 2, fin - debut - 2);
  }
};

TEST_F(DispatchTest, UnknownKeywordIsACommandError) {
  Run(QStringList{"%A = 1", "FOO = 1", "%B = 2"});
  const auto m = SeulMessage();
  EXPECT_EQ(m.texte, TexteMsg(124) + QStringLiteral(" 2: FOO = 1") + CRLF);
  EXPECT_EQ(m.titre, QStringLiteral("Morvo"));
  EXPECT_EQ(m.boutons, Boutons::Ok);
  EXPECT_EQ(TexteRouge(), QStringLiteral("FOO = 1"));
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_EQ(Var(1, "%B"), "<absent>") << "the level ends";
  EXPECT_TRUE(Session().MnuVisualiserActif);

  Run(QStringList{"", "   foo bar ' c", "%B = 2"});
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages().back().texte, TexteMsg(124) + QStringLiteral(" 2: foo bar ' c") + CRLF);
  EXPECT_EQ(TexteRouge(), QStringLiteral("   foo bar ' c"));
  EXPECT_EQ(Var(1, "%B"), "<absent>");
}

TEST_F(DispatchTest, LabelsDoNothing) {
  Run(QStringList{"DEBUT:", "%A = 1", "fin: ' the end", "  Milieu:", "ICI: x", "%B = 2"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_EQ(Var(1, "%B"), "2");
  const auto& etiquettes = Etiquettes[1];
  ASSERT_EQ(etiquettes.size(), 4u);
  EXPECT_EQ(etiquettes[0].Nom, QStringLiteral("DEBUT"));
  EXPECT_EQ(etiquettes[0].Position, 1);
  EXPECT_EQ(etiquettes[1].Nom, QStringLiteral("FIN"));
  EXPECT_EQ(etiquettes[1].Position, 17);
  EXPECT_EQ(etiquettes[2].Nom, QStringLiteral("MILIEU"));
  EXPECT_EQ(etiquettes[2].Position, 33);
  EXPECT_EQ(etiquettes[3].Nom, QStringLiteral("ICI"));
}

TEST_F(DispatchTest, DuplicateLabelStopsTheRunBeforeItsFirstStatement) {
  Run(QStringList{"%A = 1", "X:", "%B = 2", "STOP", "x:"});
  const auto m = SeulMessage();
  EXPECT_TRUE(m.texte.startsWith(TexteMsg(114) + QStringLiteral(" 5: "))) << m.texte.toStdString();
  EXPECT_EQ(m.titre, QStringLiteral("Morvo    (nb Var=0)"));
  EXPECT_TRUE(TexteRouge().startsWith(QStringLiteral("x:"))) << TexteRouge().toStdString();
  EXPECT_EQ(Var(1, "%A"), "<absent>");
  EXPECT_EQ(NbVar(1), 0);
  EXPECT_TRUE(Session().MnuVisualiserActif);
}

TEST_F(DispatchTest, ScaleCommandsNeedAScaleLineFirst) {
  const QString detail = QStringLiteral("Erreur ordre commandes / Error odre commands") + CRLF + CRLF;
  Run(QStringList{"%A = 1", "GRAD = 1"});
  const auto m = SeulMessage();
  EXPECT_EQ(m.texte,
            TexteMsg(114) + QStringLiteral(" 2: GRAD = 1") + CRLF + CRLF + detail + ListeVariables(1));
  EXPECT_EQ(m.titre, QStringLiteral("Morvo    (nb Var=1)"));
  EXPECT_EQ(EtatOrdre, 0);

  for (const char* motCle : {"GRAD1", "VAL", "VALR", "VALD", "VAL1", "VAL1R", "VAL1D", "SECT", "SECTP"}) {
    Run(QStringLiteral("%1 = 1").arg(QLatin1String(motCle)));
    EXPECT_TRUE(Messages().back().texte.contains(CRLF + CRLF + detail)) << motCle;
  }
}

TEST_F(DispatchTest, CommandOrderFlags) {
  struct Cas {
    const char* ligne;
    int16_t etat;
  };
  for (const Cas& c :
       {Cas{"ARC = 1", OrdreLigneEchelle | OrdreDessin}, Cas{"DROITE = 1", OrdreLigneEchelle | OrdreDessin},
        Cas{"DROITEV = 1", OrdreLigneEchelle | OrdreDessin}, Cas{"CENTREE = 1", OrdreCentre},
        Cas{"CENTREEI = 1", OrdreCentre}, Cas{"FORMATI = 1", OrdreFormatI},
        Cas{"FICHIER = a.txt", OrdreFichier | OrdreDessin}, Cas{"CERCLE = 1", OrdreDessin},
        Cas{"TRAIT = 1", OrdreDessin}, Cas{"+ 1", OrdreDessin}, Cas{"COTE = 1", OrdreDessin}, Cas{"NPAGE", 0},
        Cas{"COULEUR = 1", 0}}) {
    Run(QString::fromUtf8(c.ligne));
    EXPECT_EQ(EtatOrdre, c.etat) << c.ligne;
  }
}

TEST_F(DispatchTest, FacteurIsARunErrorAtLevelOne) {
  Run(QStringList{"%A = 1", "FACTEUR = 2", "%B = 2"});
  const auto m = SeulMessage();
  EXPECT_EQ(m.texte, TexteMsg(114) + QStringLiteral(" 2: FACTEUR = 2") + CRLF + CRLF +
                         QStringLiteral("Facteur : pas admis ici") + CRLF + CRLF + ListeVariables(1));
  EXPECT_EQ(Var(1, "%B"), "<absent>");
  Run(QStringLiteral("facteurs"));
  EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(DispatchTest, StopArg) {
  Lecture.StopArg = false;
  Run(QStringList{"StopArg", "%A = 1"});
  EXPECT_TRUE(Lecture.StopArg);
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(DispatchTest, PlusAndItsSignShareAHandler) {
  // The sign does exactly what the word does: the same drawing, the same messages (but for the
  // keyword they show).
  Run(QStringLiteral("PLUS = 50,50"));
  const QStringList traceMot = Session().Enregistrement().Journal();
  const std::vector<ScriptedPrompter::Message> messagesMot = Messages();
  Run(QStringLiteral("+ = 50,50"));
  const QStringList tout = Session().Enregistrement().Journal();
  ASSERT_EQ(tout.size(), 2 * traceMot.size());
  EXPECT_EQ(tout.mid(traceMot.size()), traceMot);
  ASSERT_EQ(Messages().size(), 2 * messagesMot.size());
  for (size_t i = 0; i < messagesMot.size(); ++i) {
    EXPECT_EQ(QString(Messages()[messagesMot.size() + i].texte)
                  .replace(QStringLiteral("+ "), QStringLiteral("PLUS ")),
              messagesMot[i].texte);
  }
  if (!messagesMot.empty()) {
    EXPECT_EQ(MotCleNonDisponible(),
              Messages().back().texte.contains(NonDisponible) ? QStringLiteral("+") : QString());
  }
}

// Every keyword of the chain reaches a handler of its own: none falls to the command error, and a
// body not built yet names the keyword it was called for.
TEST_F(DispatchTest, EveryKeywordOfTheChainIsKnown) {
  const char* motsCles[] = {
      "ZOOMINI",    "ZOOMINII",  "COULEUR",   "CADRE",    "CADREP",    "CADREA",  "CADREAP", "TAILLEP",
      "POLICE",     "EPAIST",    "TEXTE",     "TEXTEC",   "QA",        "QA1",     "QA2",     "QA12",
      "TRAIT",      "CENTREE",   "CENTREI",   "CENTREEI", "CT",        "DECAL",   "PLUS",    "+",
      "X",          "ARC",       "DROITE",    "DROITEV",  "CERCLE",    "CERCLEI", "CERCLEP", "CERCLEPI",
      "EXPOSANT",   "INVERSION", "PERCER",    "PERCERX",  "VOYANT",    "POLY",    "POLYP",   "POLYR",
      "POLYRP",     "DEMILUNE",  "DEMILUNEP", "FLECHE",   "FLECHEP",   "IMAGE",   "FICHIER", "FORMATI",
      "SEPARATEUR", "PALCOUL",   "PALCOUL2",  "PALCOUL3", "IF",        "ELSEIF",  "IFT",     "ELSEIFT",
      "ELSE",       "ENDIF",     "GOTO",      "LISTEVAR", "OPEN",      "LVAR",    "PRINTA",  "NPAGE",
      "CHAIN",      "PLOT",      "PLOTP",     "PLOTS",    "OPTIONS#$", "REFCUR",  "BEZIER",  "BEZIERP",
      "BEZIER_AGR", "ANGROT",    "COTE"};
  // A jump to line 1 or a built If must not hold the test up.
  LimiteInstructions = 10000;
  for (const char* motCle : motsCles) {
    const size_t avant = Messages().size();
    Run(QStringLiteral("%1 = 1").arg(QLatin1String(motCle)));
    for (size_t i = avant; i < Messages().size(); ++i) {
      EXPECT_FALSE(Messages()[i].texte.startsWith(TexteMsg(124))) << motCle;
    }
    const QString nomme = Messages().size() > avant ? MotCleNonDisponible() : QString();
    if (!nomme.isEmpty()) {
      EXPECT_EQ(nomme, QLatin1String(motCle));
    }
  }
  LimiteInstructions = 0;
}

// A word written twice in the keyword table, or an older word that is also a command word, would
// leave one of the entries unreachable.
TEST_F(DispatchTest, EachKeywordIsWrittenOnce) {
  QStringList vus;
  for (const MotCle& mot : MotsCles()) {
    for (const char* ecrit : {mot.Ecrit, mot.Ancien}) {
      if (!ecrit) continue;
      const QString nom = legacy::UCase(QString::fromLatin1(ecrit));
      EXPECT_FALSE(vus.contains(nom)) << ecrit;
      vus.append(nom);
    }
  }
}

}  // namespace
