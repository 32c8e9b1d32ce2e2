// The line loop: cutting statements out of the text, continuation lines, comments, variable
// lines, computed keywords and the ends of a run.

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "platform/StringTable.h"
#include "values/Levels.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

// The detail of a scale command met before any scale line: a run error for good.
const QString DetailOrdre = QStringLiteral("Erreur ordre commandes / Error odre commands\r\n\r\n");

class LineLoopTest : public RunFixture {};

TEST_F(LineLoopTest, CutsStatementsWhateverTheLineEnds) {
  Run(QStringList{"%A = 1", "%B = 2"});
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_EQ(Var(1, "%B"), "2") << "a last line without CR LF runs";
  EXPECT_TRUE(Messages().empty());

  Run(QStringList{"", "   ", "%C = 3", "", "", "%D = 4", ""});
  EXPECT_EQ(Var(1, "%C"), "3");
  EXPECT_EQ(Var(1, "%D"), "4");
  EXPECT_EQ(NbVar(1), 2) << "each run starts with an empty table";
  EXPECT_TRUE(Messages().empty());

  Run(QStringLiteral("%A = 1\n%B = 2\n\n%C = 3"));
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_EQ(Var(1, "%B"), "2");
  EXPECT_EQ(Var(1, "%C"), "3");

  Run(QStringLiteral("%A = 1\r%B = 2\r\n%C = 3\n"));
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_EQ(Var(1, "%B"), "2");
  EXPECT_EQ(Var(1, "%C"), "3");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LineLoopTest, TabsBecomeBlanks) {
  Run(QStringList{"\t%A\t=\t5", "  \t  %B = x\ty"});
  EXPECT_EQ(Var(1, "%A"), "5");
  EXPECT_EQ(Var(1, "%B"), "x y");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LineLoopTest, JoinsContinuationLines) {
  Run(QStringList{"%A = 1 _", "  2", "%B = 3"});
  EXPECT_EQ(Var(1, "%A"), "12") << "no blank between, the next line left-trimmed";
  EXPECT_EQ(Var(1, "%B"), "3");

  Run(QStringList{"%A = a _", "   b _", "c _", "      d", "%B = e"});
  EXPECT_EQ(Var(1, "%A"), "abcd");
  EXPECT_EQ(Var(1, "%B"), "e");

  // The appended line loses its leading blanks only; its tabs become blanks afterwards.
  Run(QStringList{"%A = 1 _", "\t2"});
  EXPECT_EQ(Var(1, "%A"), "1 2");

  // An empty line is swallowed by the mark before it, the last line of the text too.
  Run(QStringList{"%A = 1 _", "", "%B = 2"});
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_EQ(Var(1, "%B"), "2");
  Run(QStringList{"%A = 3 _", ""});
  EXPECT_EQ(Var(1, "%A"), "3");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LineLoopTest, ContinuedStatementIsReportedWhole) {
  Run(QStringList{"%A = 1", "GRAD = 1 _", "  , 2, 3", "%B = 2"});
  const auto m = SeulMessage();
  EXPECT_TRUE(m.texte.startsWith(TexteMsg(114) + QStringLiteral(" 2: GRAD = 1, 2, 3") + CRLF + CRLF))
      << m.texte.toStdString();
  EXPECT_EQ(TexteRouge().remove(CRLF), QStringLiteral("GRAD = 1 _  , 2, 3")) << "both physical lines";
  EXPECT_EQ(Var(1, "%B"), "<absent>");
}

TEST_F(LineLoopTest, ContinuationMarkOnTheLastLineIsARunError) {
  Run(QStringList{"%A = 1", "%B = 2 _"});
  auto m = SeulMessage();
  EXPECT_TRUE(m.texte.startsWith(TexteMsg(114) + QStringLiteral(" 2: %B = 2 _") + CRLF + CRLF))
      << m.texte.toStdString();
  EXPECT_EQ(m.titre, QStringLiteral("Morvo    (nb Var=1)"));
  EXPECT_EQ(TexteRouge(), QStringLiteral("%B = 2 _"));
  EXPECT_EQ(Var(1, "%B"), "<absent>");

  // Joined lines that end on a mark: the last physical line is marked.
  Run(QStringList{"%A = 1 _", "2 _"});
  ASSERT_EQ(Messages().size(), 2u);
  m = Messages().back();
  EXPECT_TRUE(m.texte.startsWith(TexteMsg(114) + QStringLiteral(" 2: %A = 12 _") + CRLF + CRLF))
      << m.texte.toStdString();
  EXPECT_EQ(TexteRouge(), QStringLiteral("2 _"));
  EXPECT_EQ(Var(1, "%A"), "<absent>");
}

TEST_F(LineLoopTest, LoneUnderscoreIsAContinuationMark) {
  Run(QStringList{"%A = 1", "_", "%B = 2"});
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_EQ(Var(1, "%B"), "2");
  EXPECT_TRUE(Messages().empty());

  Run(QStringList{"_", "%B = 2"});
  EXPECT_EQ(Var(1, "%B"), "2");
  EXPECT_TRUE(Messages().empty());

  Run(QStringList{"%A = 1", "_"});
  const auto m = SeulMessage();
  EXPECT_TRUE(m.texte.startsWith(TexteMsg(114))) << m.texte.toStdString();
  EXPECT_TRUE(m.texte.contains(QStringLiteral(":  _") + CRLF + CRLF)) << m.texte.toStdString();
  EXPECT_EQ(Var(1, "%A"), "1");
}

TEST_F(LineLoopTest, PositionsBeyondSixteenBitsAreARunError) {
  // Line k ends at 12k - 1: line 2731 holds the first character past the limit. Such a program
  // runs nothing, and says why: its length and the limit.
  QStringList lignes;
  for (int k = 1; k <= 3000; ++k) lignes << QStringLiteral("%X = %1").arg(k, 5, 10, QLatin1Char('0'));
  Run(QStringList{"Trait = 0, 0, 10, 10"} + lignes);
  auto m = SeulMessage();
  EXPECT_EQ(Var(1, "%X"), "<absent>");
  const QString raison =
      QStringLiteral("Programme trop long : 36020 caractères, un programme en a 32767 au plus.") + CRLF +
      CRLF;
  EXPECT_TRUE(m.texte.startsWith(TexteMsg(114) + QStringLiteral(" 2730: %X = 02729") + CRLF + CRLF + raison))
      << m.texte.left(200).toStdString();
  for (const Primitive& p : Primitives()) EXPECT_NE(p.Type, Primitive::Genre::Ligne) << "nothing is drawn";

  // One line too long: it is named by its start, with the reason.
  Run(QString(40000, QLatin1Char('X')));
  ASSERT_EQ(Messages().size(), 2u);
  m = Messages().back();
  EXPECT_TRUE(m.texte.startsWith(TexteMsg(114) + QStringLiteral(" 1: ") + QString(80, QLatin1Char('X')) +
                                 QStringLiteral("...") + CRLF + CRLF +
                                 QStringLiteral("Programme trop long : 40000 caractères")))
      << m.texte.left(200).toStdString();
  EXPECT_EQ(TexteRouge(), QString(40000, QLatin1Char('X')));

  // A long statement further down is the one named, not the first line.
  Run(QStringList{"%A = 1", "%B = 2", "PRINTA = " + QString(40000, QLatin1Char('y')), "%C = 3"});
  ASSERT_EQ(Messages().size(), 3u);
  EXPECT_TRUE(Messages().back().texte.startsWith(TexteMsg(114) + QStringLiteral(" 3: PRINTA = yyy")))
      << Messages().back().texte.left(80).toStdString();
}

TEST_F(LineLoopTest, CutsComments) {
  Run(QStringList{"' a comment line", "   ' an indented one", "%A = 5 ' c", "%B = it's", "%C = x\"'\"y ' c",
                  "%D = \"'\" ' c"});
  EXPECT_EQ(Var(1, "%A"), "5");
  EXPECT_EQ(Var(1, "%B"), "it");
  EXPECT_EQ(Var(1, "%C"), "x'y") << "a quoted apostrophe is no comment and loses its quotes";
  EXPECT_EQ(Var(1, "%D"), "'");
  EXPECT_EQ(NbVar(1), 4);
  EXPECT_TRUE(Messages().empty());

  // The working parameter text of the failing statement shows the cut.
  Run(QStringLiteral("GRAD = 10,10,5 ' centre"));
  EXPECT_EQ(Lecture.ParamLigne, QStringLiteral(" 10,10,5 "));
  Run(QStringLiteral("GRAD = 1\"'\"2 ' centre"));
  EXPECT_EQ(Lecture.ParamLigne, QStringLiteral(" 1\""))
      << "only variable lines and VAL1 keep quoted apostrophes";
}

TEST_F(LineLoopTest, TextKeywordsKeepApostrophes) {
  // Whatever the statement then does, its parameter text is left uncut.
  Run(QStringLiteral("TEXTE = it's ' not a comment"));
  EXPECT_EQ(Lecture.ParamLigne, QStringLiteral(" it's ' not a comment"));
  for (const auto& m : Messages()) {
    EXPECT_TRUE(m.texte.contains(QStringLiteral(" 1: TEXTE = it's ' not a comment") + CRLF))
        << m.texte.toStdString();
  }

  for (const char* motCle : {"TEXTEC", "LISTEVAR", "PRINTA", "INPUT"}) {
    Run(QStringLiteral("%1 = it's").arg(QLatin1String(motCle)));
    EXPECT_EQ(Lecture.ParamLigne, QStringLiteral(" it's")) << motCle;
  }
  Run(QStringLiteral("VAL1 = a\"'\"b ' c"));
  EXPECT_EQ(Lecture.ParamLigne, QStringLiteral(" a'b "));
}

TEST_F(LineLoopTest, VariableLineRunsItsValue) {
  Run(QStringList{"%M = STOP", "%A = 1", "%M", "%B = 2"});
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_EQ(Var(1, "%B"), "<absent>");
  EXPECT_TRUE(Messages().empty());

  Run(QStringList{"%M = %B = 7", "  %M  ", "%C = 1"});
  EXPECT_EQ(Var(1, "%M"), "%B = 7");
  EXPECT_EQ(Var(1, "%B"), "7");
  EXPECT_EQ(Var(1, "%C"), "1");
  EXPECT_TRUE(Messages().empty());

  Run(QStringList{"%M = ICI:", "%M", "%C = 1"});
  EXPECT_EQ(Var(1, "%C"), "1") << "a label does nothing";
  EXPECT_TRUE(Messages().empty());

  Run(QStringList{"%M = grad = 0,0,5", "%M"});
  const auto m = SeulMessage();
  EXPECT_TRUE(m.texte.contains(DetailOrdre)) << m.texte.toStdString();
}

TEST_F(LineLoopTest, StopEndsTheRun) {
  Run(QStringList{"%A = 1", "STOP", "%B = 2"});
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_EQ(Var(1, "%B"), "<absent>");
  Run(QStringList{"%A = 1", "!", "%B = 2"});
  EXPECT_EQ(Var(1, "%B"), "<absent>");
  Run(QStringList{"%A = 1", "!anything = 3", "%B = 2"});
  EXPECT_EQ(Var(1, "%B"), "<absent>");
  Run(QStringList{"%A = 1", "  stop", "%B = 2"});
  EXPECT_EQ(Var(1, "%B"), "<absent>");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LineLoopTest, KeywordsAreUpperCased) {
  Run(QStringList{"%rayon = 3", "grad = 1,2,3"});
  EXPECT_EQ(Niveaux[1].NomsVar[1], QStringLiteral("%RAYON"));
  EXPECT_EQ(Niveaux[1].MotCle, QStringLiteral("GRAD"));
  const auto m = SeulMessage();
  EXPECT_TRUE(m.texte.contains(QStringLiteral(": grad = 1,2,3") + CRLF)) << "the line is shown as written";
  EXPECT_TRUE(m.texte.contains(DetailOrdre));
}

TEST_F(LineLoopTest, ComputedKeyword) {
  Run(QStringList{"%K = OP", "ST%K", "%B = 2"});
  EXPECT_EQ(Var(1, "%B"), "<absent>");
  EXPECT_TRUE(Messages().empty());

  Run(QStringList{"%K = \"OP\"", "ST%K", "%B = 2"});
  EXPECT_EQ(Var(1, "%K"), "OP");
  EXPECT_EQ(Var(1, "%B"), "<absent>");
  EXPECT_TRUE(Messages().empty());

  Run(QStringList{"%K = a d", "GR%K = 0,0,5"});
  const auto m = SeulMessage();
  EXPECT_TRUE(m.texte.contains(DetailOrdre)) << "blanks removed, upper-cased again";
}

}  // namespace
