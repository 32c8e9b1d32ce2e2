#include <gtest/gtest.h>

#include <QTextDocument>

#include "ApplicationQt.h"
#include "platform/EditorText.h"

namespace {

class EditorTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AssureApplicationQt();
    e.SetText(QStringLiteral("ab\r\ncd\r\nef"));
  }
  EditeurDocument e;
};

TEST_F(EditorTextTest, LineBreaksCountAsTwoPositions) {
  EXPECT_EQ(e.Text(), QStringLiteral("ab\r\ncd\r\nef"));
  EXPECT_EQ(e.NbLignes(), 3);
  EXPECT_EQ(e.LigneDePosition(0), 0);
  EXPECT_EQ(e.LigneDePosition(2), 0);
  EXPECT_EQ(e.LigneDePosition(3), 0);  // between CR and LF
  EXPECT_EQ(e.LigneDePosition(4), 1);
  EXPECT_EQ(e.LigneDePosition(8), 2);
  EXPECT_EQ(e.LigneDePosition(99), 2);
  EXPECT_EQ(e.DebutLigne(0), 0);
  EXPECT_EQ(e.DebutLigne(1), 4);
  EXPECT_EQ(e.DebutLigne(2), 8);
  EXPECT_EQ(e.DebutLigne(3), -1);
  EXPECT_EQ(e.LongueurLigne(5), 2);
  EXPECT_EQ(e.LongueurLigne(10), 2);

  e.SetText(QStringLiteral("x\r\n\r\nlonger line"));
  EXPECT_EQ(e.LongueurLigne(3), 0);
  EXPECT_EQ(e.DebutLigne(2), 5);
  EXPECT_EQ(e.LongueurLigne(7), 11);
  EXPECT_EQ(e.LigneDePosition(5), 2);

  // -1 stands for the caret's line.
  e.SetSelStart(6);
  EXPECT_EQ(e.LigneDePosition(-1), 2);
  EXPECT_EQ(e.DebutLigne(-1), 5);
}

TEST_F(EditorTextTest, SelectionIsReplacedAcrossALineBreak) {
  e.SetSelStart(1);
  e.SetSelLength(4);
  EXPECT_EQ(e.SelText(), QStringLiteral("b\r\nc"));
  e.SetSelText(QStringLiteral("X"));
  EXPECT_EQ(e.Text(), QStringLiteral("aXd\r\nef"));
  EXPECT_EQ(e.SelStart(), 2);
  EXPECT_EQ(e.SelLength(), 0);

  // Inserting at the caret, with line breaks of any kind.
  e.SetSelText(QStringLiteral("1\r\n2\n"));
  EXPECT_EQ(e.Text(), QStringLiteral("aX1\r\n2\r\nd\r\nef"));
  EXPECT_EQ(e.SelStart(), 8);
  EXPECT_EQ(e.NbLignes(), 4);
  EXPECT_EQ(e.LigneDePosition(e.SelStart()), 2);

  e.SetSelStart(0);
  e.SetSelLength(e.Text().size());
  e.SetSelText(QString());
  EXPECT_EQ(e.Text(), QString());
  EXPECT_EQ(e.NbLignes(), 1);
  EXPECT_EQ(e.LongueurLigne(0), 0);
}

TEST_F(EditorTextTest, SelectionColourMarksTheTextAndWhatFollows) {
  constexpr uint32_t Rouge = 0x0000FF;
  e.SetSelStart(4);
  e.SetSelLength(2);
  e.SetSelColor(Rouge);
  EXPECT_EQ(e.SelColor(), Rouge);
  EXPECT_EQ(e.CouleurA(4), Rouge);
  EXPECT_EQ(e.CouleurA(5), Rouge);
  EXPECT_EQ(e.CouleurA(1), 0u);
  EXPECT_EQ(e.CouleurA(8), 0u);
  EXPECT_EQ(e.Text(), QStringLiteral("ab\r\ncd\r\nef"));

  // Typing after a red character goes on in red; at the start of the text, in black.
  e.SetSelStart(6);
  e.SetSelText(QStringLiteral("Z"));
  EXPECT_EQ(e.CouleurA(6), Rouge);
  e.SetSelStart(0);
  EXPECT_EQ(e.SelColor(), 0u);
  e.SetSelText(QStringLiteral("A"));
  EXPECT_EQ(e.CouleurA(0), 0u);

  // A colour chosen at the caret applies to the next insertion only.
  e.SetSelStart(1);
  e.SetSelColor(0x00FF00);
  e.SetSelText(QStringLiteral("g"));
  EXPECT_EQ(e.CouleurA(1), 0x00FF00u);
  EXPECT_EQ(e.CouleurA(2), 0u);
  EXPECT_EQ(e.Text(), QStringLiteral("Agab\r\ncdZ\r\nef"));
}

TEST_F(EditorTextTest, SelectionsAreClampedToTheText) {
  e.SetSelStart(100);
  EXPECT_EQ(e.SelStart(), 10);
  EXPECT_EQ(e.SelText(), QString());
  e.SetSelStart(-5);
  EXPECT_EQ(e.SelStart(), 0);
  e.SetSelLength(100);
  EXPECT_EQ(e.SelLength(), 10);
  e.SetSelStart(8);
  EXPECT_EQ(e.SelLength(), 0);
  e.SetSelLength(50);
  EXPECT_EQ(e.SelLength(), 2);
  EXPECT_EQ(e.SelText(), QStringLiteral("ef"));
  e.SetSelLength(-3);
  EXPECT_EQ(e.SelLength(), 0);
}

TEST_F(EditorTextTest, AcceptsEveryLineEndAndKeepsTheCharacters) {
  e.SetText(QStringLiteral("x\ny\nz"));
  EXPECT_EQ(e.Text(), QStringLiteral("x\r\ny\r\nz"));
  EXPECT_EQ(e.NbLignes(), 3);
  e.SetText(QStringLiteral("x\ry\r\n"));
  EXPECT_EQ(e.Text(), QStringLiteral("x\r\ny\r\n"));
  EXPECT_EQ(e.NbLignes(), 3);
  EXPECT_EQ(e.DebutLigne(2), 6);
  const QString special = QStringLiteral("a\u00A0b\t§°é");
  e.SetText(special);
  EXPECT_EQ(e.Text(), special);

  // Over a document that someone else owns.
  QTextDocument document;
  EditeurDocument autre(&document);
  autre.SetText(QStringLiteral("1\r\n2"));
  EXPECT_EQ(document.blockCount(), 2);
  EXPECT_EQ(autre.Document(), &document);
}

}  // namespace
