// Block Ifs, one-line Ifs, text conditions, labels and jumps, run as whole programs.

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "interpreter/Interpreter.h"
#include "platform/Events.h"
#include "platform/StringTable.h"
#include "values/Levels.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

class FlowTest : public RunFixture {
 protected:
  void SetUp() override {
    RunFixture::SetUp();
    // A jump that loops for ever must not hold the tests up.
    LimiteInstructions = 100000;
  }
  void TearDown() override {
    LimiteInstructions = 0;
    RunFixture::TearDown();
  }

  // Runs a program with the messages of earlier runs forgotten.
  void Lance(const QStringList& lignes) {
    Session().Prompteur().Efface();
    Run(lignes);
  }

  // The start of the run-error message of a line: the line number and the statement.
  static QString Erreur(int ligne, const QString& instruction) {
    return TexteMsg(114) + QStringLiteral(" %1: ").arg(ligne) + instruction + CRLF + CRLF;
  }

  // The detail of the single message of the run, after the line and the statement.
  QString Detail() {
    const auto m = SeulMessage();
    const int debut = m.texte.indexOf(CRLF + CRLF);
    return debut < 0 ? QString() : m.texte.mid(debut + 4);
  }
};

TEST_F(FlowTest, BlockIfRunsTheFirstTrueBranch) {
  const auto programme = [](const QString& a) {
    return QStringList{QStringLiteral("%A = ") + a,
                       "IF %A = 1 THEN",
                       "  %R = un",
                       "ELSEIF %A = 2 THEN",
                       "  %R = deux",
                       "ELSEIF %A > 1 THEN",
                       "  %R = plus",
                       "ELSE",
                       "  %R = autre",
                       "ENDIF",
                       "%S = fin"};
  };
  Lance(programme("1"));
  EXPECT_EQ(Var(1, "%R"), "un");
  EXPECT_EQ(Var(1, "%S"), "fin");
  Lance(programme("2"));
  EXPECT_EQ(Var(1, "%R"), "deux") << "a later true ELSEIF does not run once a branch ran";
  Lance(programme("5"));
  EXPECT_EQ(Var(1, "%R"), "plus");
  Lance(programme("0"));
  EXPECT_EQ(Var(1, "%R"), "autre");
  EXPECT_EQ(Var(1, "%S"), "fin");
  EXPECT_TRUE(Messages().empty());

  // Lower case, conditions with logical words, and an If block without ELSE.
  Lance({"%A = 25", "if %A > 2 and 5 > 2 then", "%R = oui", "endif", "If 1=1.0000001 Then", "%T = oui",
         "EndIf"});
  EXPECT_EQ(Var(1, "%R"), "oui") << "the digit of 5>2 does not change the 25";
  EXPECT_EQ(Var(1, "%T"), "<absent>") << "comparisons are exact";
  EXPECT_TRUE(Messages().empty());

  // A short condition reads the same after ELSEIF as after IF.
  Lance({"%B = 1", "IF 0 THEN", "ELSEIF %B THEN", "  %R = b", "ENDIF", "IF 0 THEN", "ELSEIF 1 THEN",
         "  %S = un", "ENDIF", "IFT a = b THEN", "ELSEIFT a THEN", "  %T = a", "ENDIF"});
  EXPECT_TRUE(Messages().empty()) << Messages()[0].texte.toStdString();
  EXPECT_EQ(Var(1, "%R"), "b");
  EXPECT_EQ(Var(1, "%S"), "un");
  EXPECT_EQ(Var(1, "%T"), "a");
}

TEST_F(FlowTest, NestedBlocksAndTheDepthLimit) {
  Lance({"IF 1 THEN", "IF 2 > 1 THEN", "%A = 1", "ELSE", "%A = 2", "ENDIF", "%B = 3", "ENDIF"});
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_EQ(Var(1, "%B"), "3");
  EXPECT_TRUE(Messages().empty());

  Lance({"%A = 1", "IF 1 THEN", "IF 1 THEN", "IF 1 THEN", "%B = 1", "ENDIF", "ENDIF", "ENDIF"});
  EXPECT_TRUE(SeulMessage().texte.startsWith(Erreur(4, "IF 1 THEN"))) << "a third depth is over MaxIf 2";
  EXPECT_EQ(Var(1, "%B"), "<absent>");

  // A block inside a skipped branch is skipped whole, its ELSE too; the depth still counts.
  Lance({"%A = 0", "IF %A = 1 THEN", "  IF 1 THEN", "    %X = a", "  ELSE", "    %X = b", "  ENDIF",
         "  %Y = c", "ELSE", "  %Z = d", "ENDIF", "%F = e"});
  EXPECT_EQ(Var(1, "%X"), "<absent>");
  EXPECT_EQ(Var(1, "%Y"), "<absent>");
  EXPECT_EQ(Var(1, "%Z"), "d");
  EXPECT_EQ(Var(1, "%F"), "e");
  EXPECT_TRUE(Messages().empty());

  // A skipped inner block's ELSEIF stays dead, even when its condition is true.
  Lance({"IF 0 THEN", "  IF 0 THEN", "  ELSEIF 1 = 1 THEN", "    %X = a", "  ENDIF", "ELSEIF 2 = 2 THEN",
         "  %Y = b", "ENDIF"});
  EXPECT_EQ(Var(1, "%X"), "<absent>");
  EXPECT_EQ(Var(1, "%Y"), "b");
  EXPECT_TRUE(Messages().empty());

  // The conditions of a block inside a skipped branch are never evaluated.
  Lance({"%MODE = 1", "IF %MODE = 2 THEN", "  IF %X = 1 THEN", "    %A = 1", "  ELSEIF %X = 2 THEN",
         "    %A = 2", "  ELSEIFT \"%X\" = \"3\" THEN", "  ENDIF", "ELSE", "  %A = 3", "ENDIF"});
  EXPECT_TRUE(Messages().empty()) << Messages()[0].texte.toStdString();
  EXPECT_EQ(Var(1, "%A"), "3");

  // Every ELSEIF condition is evaluated, also after a branch ran.
  Lance({"IF 1 THEN", "  %A = 1", "ELSEIF %Z = 1 THEN", "  %A = 2", "ENDIF"});
  EXPECT_EQ(Detail().left(45), QStringLiteral("%Z = 1 : non initialisée / not initialized / "));
}

TEST_F(FlowTest, MisplacedBlockStatements) {
  Lance({"%A = 1", "ELSE"});
  EXPECT_TRUE(SeulMessage().texte.startsWith(Erreur(2, "ELSE")));
  Lance({"ENDIF"});
  EXPECT_TRUE(SeulMessage().texte.startsWith(Erreur(1, "ENDIF")));
  Lance({"ELSEIF %A = 1 THEN"});
  EXPECT_TRUE(SeulMessage().texte.startsWith(Erreur(1, "ELSEIF %A = 1 THEN")));
  Lance({"IF 1", "ENDIF"});
  EXPECT_TRUE(SeulMessage().texte.startsWith(Erreur(1, "IF 1"))) << "neither THEN nor GOTO";
  Lance({"IF 1 THEN", "ELSEIF %A = 1 THEN %B = 1", "ENDIF"});
  EXPECT_TRUE(SeulMessage().texte.startsWith(Erreur(2, "ELSEIF %A = 1 THEN %B = 1")));
  // An ELSE met while skipping closes the block to further ELSEIFs.
  Lance({"IF 0 THEN", "ELSE", "ELSEIF %A = 1 THEN", "ENDIF"});
  EXPECT_TRUE(SeulMessage().texte.startsWith(Erreur(3, "ELSEIF %A = 1 THEN")));
  Lance({"IF %NUL > 1 THEN", "ENDIF"});
  EXPECT_EQ(Detail().left(47), QStringLiteral("%NUL > 1 : non initialisée / not initialized / "));

  // A block left open is reported at the end; a STOP inside it is not.
  Lance({"IF 1 THEN", "%A = 1"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].texte, TexteMsg(127));
  EXPECT_EQ(Var(1, "%A"), "1");
  Lance({"IF 1 THEN", "STOP", "ENDIF"});
  EXPECT_TRUE(Messages().empty());
}

TEST_F(FlowTest, OneLineIfs) {
  Lance({"IF 2 > 1 THEN %A = 1", "IF 2 < 1 THEN %B = 1", "%C = 1"});
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_EQ(Var(1, "%B"), "<absent>");
  EXPECT_EQ(Var(1, "%C"), "1");
  EXPECT_TRUE(Messages().empty());

  Lance({"IF 1 < 2 THEN STOP", "%A = 1"});
  EXPECT_EQ(Var(1, "%A"), "<absent>");
  Lance({"IF 2 < 1 THEN STOP", "%A = 1"});
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_TRUE(Messages().empty());

  // The statement after THEN is a statement of its own: a comment, another If, a variable line.
  Lance({"IF 1 THEN %A = 5 ' cinq", "IF 1 THEN IF 1 THEN %B = 6", "%M = %C = 7", "IF 1 THEN %M"});
  EXPECT_EQ(Var(1, "%A"), "5");
  EXPECT_EQ(Var(1, "%B"), "6");
  EXPECT_EQ(Var(1, "%C"), "7");
  EXPECT_TRUE(Messages().empty());

  // THEN on a continuation line, and an If that comes from a variable line.
  Lance({"%X = 1", "IF %X = 1 AND _", "   2 > 1 THEN %A = 7", "IF %X = 1 _", "THEN %B = 8", "%C = 9"});
  EXPECT_EQ(Var(1, "%A"), "7");
  EXPECT_EQ(Var(1, "%B"), "8");
  EXPECT_EQ(Var(1, "%C"), "9");
  EXPECT_TRUE(Messages().empty());
  Lance({"%M = IF 1 THEN %A = 9", "%M", "%B = 1"});
  EXPECT_EQ(Var(1, "%A"), "9");
  EXPECT_EQ(Var(1, "%B"), "1");
  EXPECT_TRUE(Messages().empty());

  // A failure after THEN is reported with that statement, marked alone.
  Lance({"%A = 1", "IF 1 THEN   BIDULE = 1"});
  EXPECT_EQ(SeulMessage().texte, TexteMsg(124) + QStringLiteral(" 2: BIDULE = 1") + CRLF);
  EXPECT_EQ(TexteRouge().trimmed(), QStringLiteral("BIDULE = 1"));
}

TEST_F(FlowTest, LabelsAndGoto) {
  Lance({"%A = 1", "GOTO fin", "%A = 2", "FIN:", "%B = 3"});
  EXPECT_EQ(Var(1, "%A"), "1") << "a forward jump, the name upper-cased";
  EXPECT_EQ(Var(1, "%B"), "3");
  EXPECT_TRUE(Messages().empty());

  // A loop through a label, counting with plain assignments.
  Lance({"%N = 0", "%T = x", "DEBUT:", "IF %N = 3 THEN GOTO FIN", "%T = %T-x", "IF %N = 2 THEN %N = 3",
         "IF %N = 1 THEN %N = 2", "IF %N = 0 THEN %N = 1", "GOTO DEBUT", "FIN:"});
  EXPECT_EQ(Var(1, "%N"), "3");
  EXPECT_EQ(Var(1, "%T"), "x-x-x-x");
  EXPECT_TRUE(Messages().empty());

  // Line numbers, written or from a variable, and the GOTO forms of IF.
  Lance({"%L = 5", "GOTO 4", "%A = 1", "GOTO %L", "%A = 2", "IF 1 GOTO 8", "%B = 1", "IF 0 GOTO 10", "%C = 1",
         "IF 1 THEN GOTO 1%L", "%D = 1"});
  EXPECT_EQ(Var(1, "%A"), "2");
  EXPECT_EQ(Var(1, "%B"), "<absent>");
  EXPECT_EQ(Var(1, "%C"), "1") << "IF 0 GOTO goes on with the next line";
  EXPECT_EQ(Var(1, "%D"), "<absent>");
  EXPECT_EQ(Detail().left(4), QStringLiteral("15 :")) << "the target is substituted";

  Lance({"%A = 1", "IF 1 THEN GOTO 1 _", "1", "%B = 1"});
  EXPECT_EQ(Detail().left(4), QStringLiteral("11 :")) << "the target as the line loop joined it";

  // A missing label and a line number outside the text fail at the jump.
  Lance({"%A = 1", "GOTO nullepart", "NULLE:"});
  EXPECT_TRUE(
      SeulMessage().texte.startsWith(Erreur(2, "GOTO nullepart") +
                                     QStringLiteral("nullepart : étiquette non trouvée / label not found / "
                                                    "Marke nicht gefunden") +
                                     CRLF + CRLF));
  EXPECT_EQ(TexteRouge().trimmed(), QStringLiteral("GOTO nullepart"));
  Lance({"%A = 1", "GOTO 0"});
  EXPECT_TRUE(SeulMessage().texte.startsWith(
      Erreur(2, "GOTO 0") + QStringLiteral("0 : ligne inexistante / no such line / Zeile nicht vorhanden")));
  Lance({"%A = 1", "IF 1 GOTO 4", "%B = 1"});
  EXPECT_TRUE(
      SeulMessage().texte.startsWith(Erreur(2, "IF 1 GOTO 4") + QStringLiteral("4 : ligne inexistante")));
  EXPECT_EQ(Var(1, "%B"), "<absent>");
  Lance({"IF 1 THEN GOTO X", "X:"});
  EXPECT_TRUE(Messages().empty());
  Lance({"GOTO %Q"});
  EXPECT_EQ(Detail().left(27), QStringLiteral("%Q : non initialisée / not "));
  Lance({"IF 1 GOTO %Q"});
  EXPECT_EQ(Detail().left(27), QStringLiteral("%Q : non initialisée / not "));

  // Labels, variable names and UCAS( fold the letters of every script; those of Windows-1252 as
  // they always did ("µ", "ß" and "ƒ" stay).
  Lance({"%привет = 3", "%ПРИВЕТ == %ПРИВЕТ+1", "Goto КОНЕЦ", "%Б = 1",
         "конец:", "%U = UCAS(\"конец ǆ ς 𐐨 µßƒé\")"});
  EXPECT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
  EXPECT_EQ(Var(1, "%привет"), "4");
  EXPECT_EQ(NbVar(1), 2) << "one variable whatever its case";
  EXPECT_EQ(Var(1, "%Б"), "<absent>");
  EXPECT_EQ(Var(1, "%U"), "КОНЕЦ Ǆ Σ 𐐀 µßƒÉ");

  // A jump out of an open block leaves its depth raised: the third pass is over MaxIf.
  Lance({"%N = 0", "DEBUT:", "IF 1 THEN", "GOTO DEBUT", "ENDIF"});
  EXPECT_TRUE(SeulMessage().texte.startsWith(Erreur(3, "IF 1 THEN")));
}

// The labels are collected before the first statement; a stop asked meanwhile (Esc, a signal) ends
// the collection there rather than after the last line.
TEST_F(FlowTest, StopRequestEndsTheLabelScan) {
  QStringList lignes{"Trait = 0, 0, 10, 10"};
  for (int i = 1; i <= 3000; ++i) lignes << QStringLiteral("L%1:").arg(i);
  lignes << QStringLiteral("L1:");
  Lance(lignes);
  EXPECT_TRUE(SeulMessage().texte.startsWith(Erreur(3002, "L1:"))) << "a duplicate label is found";

  // Every look at pending events finds the stop asked.
  DefinitDoEvents([] { Arret = true; });
  Lance(lignes);
  DefinitDoEvents({});
  EXPECT_TRUE(Messages().empty());
  EXPECT_LT(Etiquettes[1].size(), 3000u) << "the scan stopped before its end";
}

// A nested level jumps in its own text, whatever the editor holds.
TEST_F(FlowTest, LineNumbersOfANestedLevel) {
  Lance({"%A = 1"});
  Niveau(2).Texte = QStringLiteral("GOTO 3\r\n%B = 1\r\n%C = 2\r\nIF 1 THEN GOTO 5\r\n%D = 3");
  int niveau = 2;
  Interprete(niveau);
  EXPECT_EQ(Var(2, "%B"), "<absent>");
  EXPECT_EQ(Var(2, "%C"), "2");
  EXPECT_EQ(Var(2, "%D"), "3");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(FlowTest, TextConditions) {
  const auto programme = [](const QString& n) {
    return QStringList{QStringLiteral("%N = ") + n,
                       "IFT \"%N\" = \"abc\" THEN",
                       "  %R = oui",
                       "ELSEIFT \"%N\" = \"ABC\" THEN",
                       "  %R = maj",
                       "ELSE",
                       "  %R = non",
                       "ENDIF"};
  };
  Lance(programme("abc"));
  EXPECT_EQ(Var(1, "%R"), "oui");
  Lance(programme("ABC"));
  EXPECT_EQ(Var(1, "%R"), "maj") << "text comparisons keep the case";
  Lance(programme("xyz"));
  EXPECT_EQ(Var(1, "%R"), "non");
  EXPECT_TRUE(Messages().empty());

  Lance({"%N = 10", "IFT %N < 9 THEN %A = 1", "IFT (%N = 10) AND (%N = 11) THEN %B = 1",
         "IFT NOT (%N = 11) THEN %C = 1", "IFT %N = 10 GOTO Fin", "%D = 1", "FIN:"});
  EXPECT_EQ(Var(1, "%A"), "1") << "\"10\" comes before \"9\"";
  EXPECT_EQ(Var(1, "%B"), "<absent>");
  EXPECT_EQ(Var(1, "%C"), "1");
  EXPECT_EQ(Var(1, "%D"), "<absent>");
  EXPECT_TRUE(Messages().empty());

  // A skipped block holds IFT blocks too.
  Lance({"IF 0 THEN", "IFT a = a THEN", "%A = 1", "ELSE", "%A = 2", "ENDIF", "ENDIF", "%B = 1"});
  EXPECT_EQ(Var(1, "%A"), "<absent>");
  EXPECT_EQ(Var(1, "%B"), "1");
  EXPECT_TRUE(Messages().empty());

  Lance({"IFT a = a THEN", "ELSEIFT b = b THEN %A = 1", "ENDIF"});
  EXPECT_TRUE(SeulMessage().texte.startsWith(Erreur(2, "ELSEIFT b = b THEN %A = 1")));
  Lance({"IFT %Q = a THEN", "ENDIF"});
  EXPECT_EQ(Detail().left(31), QStringLiteral("%Q = a : non initialisée / not "));
  Lance({"IFT (a = a THEN", "ENDIF"});
  EXPECT_TRUE(SeulMessage().texte.startsWith(Erreur(1, "IFT (a = a THEN"))) << "a missing )";
}

// These need the arithmetic of the expression evaluator.
TEST_F(FlowTest, ArithmeticLoops) {
  Lance({"%I = 0", "%S = 0", "BOUCLE:", "%I == %I+1", "%S == %S+%I", "IF %I < 10 THEN GOTO BOUCLE"});
  EXPECT_EQ(Var(1, "%I"), "10");
  EXPECT_EQ(Var(1, "%S"), "55");
  EXPECT_TRUE(Messages().empty());

  Lance({"%I = 0", "%P = 0", "DEBUT:", "%I == %I+1", "IF %I MOD 2 = 0 THEN", "  %P == %P+1", "ENDIF",
         "IF %I < 9 AND NOT %I = 20 THEN GOTO DEBUT", "%F = %I"});
  EXPECT_EQ(Var(1, "%P"), "4");
  EXPECT_EQ(Var(1, "%F"), "9");
  EXPECT_TRUE(Messages().empty());

  Lance({"%A = 3", "IF %A*2 = 6 AND (%A+1 > 3 OR %A < 0) THEN", "%R = oui", "ENDIF"});
  EXPECT_EQ(Var(1, "%R"), "oui");
  EXPECT_TRUE(Messages().empty());

  // A function call stays with its operand; a 1 written in the condition is a bare value.
  Lance({"%A = 30", "IF SIN(%A) < 1 AND 1 < 2 THEN %R = oui", "IF 1 AND 1<2 THEN %S = oui"});
  EXPECT_EQ(Var(1, "%R"), "oui");
  EXPECT_EQ(Var(1, "%S"), "<absent>");
  Lance({"IF (1<2 AND 2<3 THEN", "ENDIF"});
  EXPECT_EQ(Messages().size(), 1u) << "unbalanced parentheses";
}

}  // namespace
