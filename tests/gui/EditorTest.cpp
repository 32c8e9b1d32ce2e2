#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <ostream>

#include "editor/Colouring.h"
#include "editor/Keywords.h"
#include "editor/ProgramEditor.h"
#include "platform/Clipboard.h"
#include "platform/EditorText.h"
#include "platform/Events.h"
#include "platform/Host.h"
#include "platform/Prompter.h"

// Readable failures: gtest finds this for QString through its namespace (the global one).
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

const QString CRLF = QStringLiteral("\r\n");

// Colour of each character of a line, as a string: b blue, g green, k black, r red, ? other.
QString Couleurs(const EditeurDocument& texte, int ligne) {
  const int debut = texte.DebutLigne(ligne);
  QString s;
  for (int i = 0; i < texte.LongueurLigne(debut); ++i) {
    switch (texte.CouleurA(debut + i)) {
      case CouleurBleue:
        s += 'b';
        break;
      case CouleurVerte:
        s += 'g';
        break;
      case CouleurNoire:
        s += 'k';
        break;
      case CouleurRouge:
        s += 'r';
        break;
      default:
        s += '?';
    }
  }
  return s;
}

QString Ligne(const EditeurTexte& texte, int ligne) { return texte.Text().split(CRLF).value(ligne); }

TEST(EditorKeywordsTest, CommandWordsTakeTheirWrittenForm) {
  const auto normalise = [](QString mot) { return NormaliseMotCle(mot) ? mot : QStringLiteral("<non>"); };
  EXPECT_EQ(normalise("CADRE"), "Cadre");
  EXPECT_EQ(normalise(" cadre  "), "Cadre");
  EXPECT_EQ(normalise("centreei"), "CentreEI");
  EXPECT_EQ(normalise("SI"), "If");
  EXPECT_EQ(normalise("sit"), "IfT");
  EXPECT_EQ(normalise("Sinon"), "Else");
  EXPECT_EQ(normalise("ROTANG"), "AngRot");
  EXPECT_EQ(normalise("bezier_agr"), "Bezier_aGr");
  EXPECT_EQ(normalise("%Var "), "%Var ");
  EXPECT_EQ(normalise("debut:"), "debut:");
  EXPECT_EQ(normalise("CADREZ"), "<non>");
  EXPECT_EQ(normalise(""), "<non>");

  const QStringList avant = Shell.CmdExternes;
  Shell.CmdExternes = {QStringLiteral("MaCommande")};
  EXPECT_EQ(normalise("MACOMMANDE"), "MaCommande");
  Shell.CmdExternes = avant;
  EXPECT_EQ(normalise("MACOMMANDE"), "<non>");
}

TEST(EditorColouringTest, StatementLines) {
  EditeurDocument texte;
  Coloration coloration(texte);
  const auto colore = [&](const QString& ligne) {
    texte.SetText(ligne);
    coloration.ColoreLigne(0, ligne.size());
  };

  colore("cadre = 10,10,50,20 ' frame");
  EXPECT_EQ(texte.Text(), "Cadre = 10,10,50,20 ' frame");
  EXPECT_EQ(Couleurs(texte, 0), "bbbbbkkkkkkkkkkkkkkkggggggg");
  EXPECT_TRUE(texte.SuiviModif);

  colore("\ttexte = 1,1,it's ' no comment");
  EXPECT_EQ(texte.Text(), "\tTexte = 1,1,it's ' no comment");
  EXPECT_EQ(Couleurs(texte, 0), "kbbbbb" + QString(24, 'k'));

  colore("Poly = 1,2 ' end");
  EXPECT_EQ(Couleurs(texte, 0), "bbbbkkkkkkkggggg");
  colore("Poly = \"'\",2");
  EXPECT_EQ(Couleurs(texte, 0), "bbbbkkkkkkkk");

  colore("if %a > 2 then cercle = 0,0,5");
  EXPECT_EQ(texte.Text(), "If %a > 2 then Cercle = 0,0,5");
  EXPECT_EQ(Couleurs(texte, 0), "bbkkkkkkkkbbbbkbbbbbbkkkkkkkk");

  colore("si %a > 2 goto fin");
  EXPECT_EQ(texte.Text(), "If %a > 2 goto fin");
  EXPECT_EQ(Couleurs(texte, 0), "bb" + QString(16, 'k'));
  colore("IF %a > 2 GOTO fin");
  EXPECT_EQ(Couleurs(texte, 0), "bbkkkkkkkkbbbbkkkk");
  colore("si %a = 2 goto fin");
  EXPECT_EQ(texte.Text(), "si %a = 2 goto fin");
  EXPECT_EQ(Couleurs(texte, 0), QString(18, 'k'));

  // An alias of another length moves the comment that follows it.
  colore("sinon ' other case");
  EXPECT_EQ(texte.Text(), "Else ' other case");
  EXPECT_EQ(Couleurs(texte, 0), "bbbbkgggggggggggg");
  colore("rotang = 30");
  EXPECT_EQ(texte.Text(), "AngRot = 30");

  colore("%x = 3");
  EXPECT_EQ(Couleurs(texte, 0), "bbkkkk");
  colore("Debut:");
  EXPECT_EQ(Couleurs(texte, 0), "bbbbbb");
  colore("CADREZ = 1 ' x");
  EXPECT_EQ(texte.Text(), "CADREZ = 1 ' x");
  EXPECT_EQ(Couleurs(texte, 0), QString(14, 'k'));
  colore("!");
  EXPECT_EQ(Couleurs(texte, 0), "k");
  colore("stop");
  EXPECT_EQ(texte.Text(), "Stop");
  EXPECT_EQ(Couleurs(texte, 0), "bbbb");
  colore("  ' a comment");
  EXPECT_EQ(Couleurs(texte, 0), QString(13, 'g'));
}

TEST(EditorColouringTest, WholeTextAndRedLines) {
  EditeurDocument texte;
  Coloration coloration(texte);
  texte.SetText("CADRE = 1,2,3" + CRLF + "sinon" + CRLF + "poly = 1,2, _" + CRLF + "3,4" + CRLF + "' note _" +
                CRLF + "more" + CRLF + CRLF + "trait = 1,2" + CRLF);
  texte.SetSelStart(texte.DebutLigne(7) + 2);
  texte.SetSelLength(3);
  texte.SetSelColor(CouleurRouge);
  coloration.ColoreTout();
  EXPECT_EQ(texte.Text(), "Cadre = 1,2,3" + CRLF + "Else" + CRLF + "Poly = 1,2, _" + CRLF + "3,4" + CRLF +
                              "' note _" + CRLF + "more" + CRLF + CRLF + "Trait = 1,2" + CRLF);
  EXPECT_EQ(Couleurs(texte, 0), "bbbbbkkkkkkkk");
  EXPECT_EQ(Couleurs(texte, 1), "bbbb");
  EXPECT_EQ(Couleurs(texte, 2), "bbbbkkkkkkkkk");
  EXPECT_EQ(Couleurs(texte, 3), "kkk");  // takes the colour of the end of the line before
  EXPECT_EQ(Couleurs(texte, 5), "gggg");
  EXPECT_EQ(Couleurs(texte, 7), "bbbbbkkkkkk");  // the whole-text colouring blackens first
  // A position past the shortened alias moves back by one.
  EXPECT_EQ(coloration.Ajuste(22), 21);
  EXPECT_EQ(coloration.Ajuste(3), 3);

  // A line entirely red is left alone, text and colour; a line partly red is recoloured.
  texte.SetText("cadre = 1" + CRLF + "trait = 2" + CRLF + "cercle = 3");
  texte.SetSelStart(0);
  texte.SetSelLength(9);
  texte.SetSelColor(CouleurRouge);
  texte.SetSelStart(11);
  texte.SetSelLength(5);
  texte.SetSelColor(CouleurRouge);
  coloration.ColoreTexte(0, texte.Text().size());
  EXPECT_EQ(texte.Text(), "cadre = 1" + CRLF + "Trait = 2" + CRLF + "Cercle = 3");
  EXPECT_EQ(Couleurs(texte, 0), QString(9, 'r'));
  EXPECT_EQ(Couleurs(texte, 1), "bbbbbkkkk");
  coloration.ColoreLignes(0, 5);
  EXPECT_EQ(Couleurs(texte, 0), QString(9, 'r'));

  const Instruction instr = InstructionDeLigne(texte, 1);
  EXPECT_EQ(instr.premiere, 1);
  EXPECT_EQ(instr.derniere, 1);
  texte.SetText("a = 1 _" + CRLF + "b _" + CRLF + "c" + CRLF + "d");
  EXPECT_EQ(InstructionDeLigne(texte, 1).premiere, 0);
  EXPECT_EQ(InstructionDeLigne(texte, 1).derniere, 2);
  EXPECT_EQ(InstructionDeLigne(texte, 3).premiere, 3);
}

class EditorWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DefinitDialogues(&prompter_);
    editeur_.resize(400, 300);
    editeur_.show();
    QObject::connect(&editeur_, &EditeurProgramme::modifieChange, [this](bool m) { signaux_ << m; });
    QObject::connect(&editeur_, &EditeurProgramme::ligneChange, [this](const QString& t) { ligne_ = t; });
  }
  void TearDown() override { DefinitDialogues(nullptr); }

  void Touche(int touche, Qt::KeyboardModifiers mod = Qt::NoModifier, const QString& texte = {}) {
    QKeyEvent appui(QEvent::KeyPress, touche, mod, texte);
    QCoreApplication::sendEvent(&editeur_, &appui);
    QKeyEvent relache(QEvent::KeyRelease, touche, mod, texte);
    QCoreApplication::sendEvent(&editeur_, &relache);
  }
  void Tape(const QString& texte) {
    for (QChar c : texte)
      Touche(c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : c.unicode(), Qt::NoModifier,
             QString(c));
  }
  void Caret(int blocAbsolu) {
    QTextCursor c = editeur_.textCursor();
    c.setPosition(blocAbsolu);
    editeur_.setTextCursor(c);
  }

  EditeurProgramme editeur_;
  EditeurDocument lecture_{editeur_.document()};
  ScriptedPrompter prompter_;
  QList<bool> signaux_;
  QString ligne_;
};

TEST_F(EditorWidgetTest, LoadingColoursAndTypingRecoloursWhenTheCaretLeaves) {
  EXPECT_EQ(editeur_.TexteLigne(), "L 1/1");
  editeur_.ChargeTexte("cadre = 1,2,3" + CRLF + "si %a > 1 goto x" + CRLF + "trait = 1,2");
  EXPECT_EQ(editeur_.Modele().Text(), "Cadre = 1,2,3" + CRLF + "If %a > 1 goto x" + CRLF + "Trait = 1,2");
  EXPECT_FALSE(editeur_.Modifie());
  EXPECT_EQ(ligne_, "L 1/3");
  EXPECT_EQ(Couleurs(lecture_, 1), "bb" + QString(14, 'k'));

  // Typing at the end of the first line: modified, the statement black and pending.
  Caret(13);
  Tape(",4");
  EXPECT_EQ(Ligne(editeur_.Modele(), 0), "Cadre = 1,2,3,4");
  EXPECT_TRUE(editeur_.Modifie());
  EXPECT_EQ(signaux_, QList<bool>{true});
  EXPECT_TRUE(editeur_.ARecolorer());
  EXPECT_EQ(Couleurs(lecture_, 0), QString(15, 'k'));
  EXPECT_EQ(ligne_, "L 1/3");

  // A new line typed in lower case stays as typed until the caret leaves it.
  Touche(Qt::Key_End);
  Touche(Qt::Key_Return, Qt::NoModifier, "\r");
  EXPECT_EQ(Couleurs(lecture_, 0), "bbbbbkkkkkkkkkk");
  Tape("cercle = 5");
  EXPECT_EQ(Ligne(editeur_.Modele(), 1), "cercle = 5");
  EXPECT_EQ(editeur_.DebutInstr(), 1);
  Touche(Qt::Key_Down);
  EXPECT_EQ(ligne_, "L 3/4");
  EXPECT_FALSE(editeur_.ARecolorer());
  EXPECT_EQ(Ligne(editeur_.Modele(), 1), "Cercle = 5");
  EXPECT_EQ(Couleurs(lecture_, 1), "bbbbbbkkkk");
  EXPECT_EQ(lecture_.DebutLigne(2), 29);
  EXPECT_EQ(editeur_.Modele().LigneDePosition(-1), 2);
  EXPECT_EQ(editeur_.DebutLigne(), 29);

  // Saving clears the flag; colouring alone never sets it.
  editeur_.DefinitModifie(false);
  editeur_.ColoreTout();
  EXPECT_FALSE(editeur_.Modifie());
  EXPECT_EQ(signaux_, (QList<bool>{true, false}));

  // A text set by the program is an edit of its first line, recoloured before a run.
  editeur_.Modele().SetText("cadre = 1" + CRLF + "trait = 2");
  EXPECT_TRUE(editeur_.Modifie());
  EXPECT_EQ(editeur_.DebutInstr(), 0);
  EXPECT_EQ(editeur_.Modele().SelStart(), 0);
  editeur_.Modele().ColoreInstruction();
  EXPECT_EQ(editeur_.Modele().Text(), "Cadre = 1" + CRLF + "trait = 2");
  EXPECT_FALSE(editeur_.ARecolorer());
}

TEST_F(EditorWidgetTest, ContinuedStatementAndRedLines) {
  editeur_.ChargeTexte("poly = 1,2, _" + CRLF + "3,4, _" + CRLF + "5,6" + CRLF + "cadre = 1");
  EXPECT_EQ(Couleurs(lecture_, 1), "kkkkkk");
  Caret(lecture_.Document()->findBlockByNumber(1).position() + 1);
  Tape("0");
  EXPECT_EQ(editeur_.DebutInstr(), 0);
  EXPECT_EQ(editeur_.FinInstr(), 2);
  EXPECT_EQ(Couleurs(lecture_, 0), QString(13, 'k'));
  Touche(Qt::Key_Down);
  Touche(Qt::Key_Down);
  EXPECT_EQ(Couleurs(lecture_, 0), "bbbbkkkkkkkkk");
  EXPECT_EQ(editeur_.DebutInstr(), 3);

  // The interpreter marks a statement red: the mark stays when the statement is left.
  EditeurTexte& modele = editeur_.Modele();
  modele.SetSelStart(modele.DebutLigne(3));
  modele.SetSelLength(9);
  modele.SuiviModif = false;
  modele.SetSelColor(CouleurRouge);
  modele.SuiviModif = true;
  modele.SetSelLength(0);
  EXPECT_EQ(Couleurs(lecture_, 3), QString(9, 'r'));
  // Enter recolours the statement and the line after it, which keeps its red.
  Caret(lecture_.Document()->findBlockByNumber(2).position() + 3);
  Tape("7");
  EXPECT_EQ(Couleurs(lecture_, 0), QString(13, 'k'));
  Touche(Qt::Key_Return, Qt::NoModifier, "\r");
  EXPECT_EQ(Couleurs(lecture_, 0), "bbbbkkkkkkkkk");
  EXPECT_EQ(Ligne(modele, 4), "Cadre = 1");
  EXPECT_EQ(Couleurs(lecture_, 4), QString(9, 'r'));
  modele.ColoreInstruction();
  EXPECT_EQ(Couleurs(lecture_, 4), QString(9, 'r'));
  // Ctrl+K blackens and recolours everything, red included.
  Touche(Qt::Key_K, Qt::ControlModifier);
  EXPECT_EQ(Ligne(modele, 4), "Cadre = 1");
  EXPECT_EQ(Couleurs(lecture_, 4), "bbbbbkkkk");
}

TEST_F(EditorWidgetTest, PositionsAndSelectionThroughTheModel) {
  editeur_.ChargeTexte("ab" + CRLF + "cd" + CRLF + "ef");
  EditeurTexte& modele = editeur_.Modele();
  EXPECT_EQ(modele.NbLignes(), 3);
  modele.SetSelStart(4);
  EXPECT_EQ(editeur_.textCursor().position(), 3);
  modele.SetSelLength(4);
  EXPECT_EQ(editeur_.textCursor().selectionStart(), 3);
  EXPECT_EQ(editeur_.textCursor().selectionEnd(), 6);
  EXPECT_EQ(modele.SelText(), "cd" + CRLF);
  EXPECT_EQ(modele.LongueurLigne(-1), 2);

  // The widget's cursor, moved by the user, is the model's selection.
  QTextCursor c = editeur_.textCursor();
  c.setPosition(7);
  editeur_.setTextCursor(c);
  EXPECT_EQ(modele.SelStart(), 9);
  EXPECT_EQ(modele.SelLength(), 0);
  EXPECT_EQ(modele.LigneDePosition(-1), 2);
  EXPECT_EQ(modele.DebutLigne(-1), 8);
  c.setPosition(1);
  c.setPosition(4, QTextCursor::KeepAnchor);
  editeur_.setTextCursor(c);
  EXPECT_EQ(modele.SelStart(), 1);
  EXPECT_EQ(modele.SelLength(), 4);
  EXPECT_EQ(modele.SelText(), "b" + CRLF + "c");

  // Changes made by the program count as edits only while tracking is on.
  modele.SuiviModif = false;
  modele.SetSelText("X" + CRLF + "Y");
  modele.SuiviModif = true;
  EXPECT_EQ(modele.Text(), "aX" + CRLF + "Yd" + CRLF + "ef");
  EXPECT_EQ(modele.SelStart(), 5);
  EXPECT_EQ(editeur_.textCursor().position(), 4);
  EXPECT_FALSE(editeur_.Modifie());
  modele.SetSelStart(modele.Text().size());
  modele.SetSelText(CRLF + "gh");
  EXPECT_TRUE(editeur_.Modifie());
  EXPECT_EQ(modele.NbLignes(), 4);
  EXPECT_EQ(modele.SelStart(), 14);
  EXPECT_EQ(editeur_.textCursor().blockNumber(), 3);

  // Ctrl+A selects the whole text, line breaks counted twice (its key up would recolour a pending
  // statement and collapse the selection).
  modele.ColoreInstruction();
  Touche(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(modele.SelStart(), 0);
  EXPECT_EQ(modele.SelLength(), 14);
}

TEST_F(EditorWidgetTest, KeysOfLaterCommandsAndPaste) {
  editeur_.ChargeTexte("trait = 1,2");
  Touche(Qt::Key_Z, Qt::ControlModifier);
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(prompter_.Messages()[0].texte.contains("Not available yet"));
  EXPECT_FALSE(editeur_.Modifie());
  int defaits = 0, masques = 0, resumes = 0;
  editeur_.Defaire = [&] { ++defaits; };
  editeur_.Masque = [&] { ++masques; };
  editeur_.ResumeSyntaxes = [&] { ++resumes; };
  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(defaits, 1);
  EXPECT_TRUE(editeur_.Modifie());
  Touche(Qt::Key_F2);
  Touche(Qt::Key_F2, Qt::ControlModifier);
  Touche(Qt::Key_F2, Qt::ShiftModifier);
  EXPECT_EQ(masques, 2);
  EXPECT_EQ(resumes, 1);
  EXPECT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(editeur_.Modele().Text(), "Trait = 1,2");  // Qt's own undo never ran

  Arret = false;
  Touche(Qt::Key_Escape);
  EXPECT_TRUE(Arret);
  Arret = false;

  // Paste colours what it inserts and leaves the caret after it.
  PressePapiersEcrit("cercle = 1\nif %a > 1 then cadre = 2\n");
  editeur_.Modele().SetSelStart(0);
  Touche(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(editeur_.Modele().Text(),
            "Cercle = 1" + CRLF + "If %a > 1 then Cadre = 2" + CRLF + "Trait = 1,2");
  EXPECT_EQ(Couleurs(lecture_, 1), "bbkkkkkkkkbbbbkbbbbbkkkk");
  EXPECT_EQ(editeur_.Modele().SelStart(), 38);
  EXPECT_FALSE(editeur_.ARecolorer());
  PressePapiersEfface();
}

TEST_F(EditorWidgetTest, RecolouringKeepsTheColumnOfTheCaret) {
  editeur_.ChargeTexte("Trait = 1,2,3,4,5,6" + CRLF + "X" + CRLF + "trait = 1,2,3,4,5,6");
  Caret(lecture_.Document()->findBlockByNumber(2).position() + 12);
  QTest::keyClicks(&editeur_, "7");
  EXPECT_TRUE(editeur_.ARecolorer());
  // Up through the short line recolours the statement left behind, then goes on in its column.
  QTest::keyClick(&editeur_, Qt::Key_Up);
  EXPECT_EQ(Ligne(editeur_.Modele(), 2), "Trait = 1,2,73,4,5,6");
  EXPECT_EQ(editeur_.textCursor().positionInBlock(), 1);
  QTest::keyClick(&editeur_, Qt::Key_Up);
  EXPECT_EQ(editeur_.textCursor().blockNumber(), 0);
  EXPECT_EQ(editeur_.textCursor().positionInBlock(), 13);

  // Ctrl+K keeps it too.
  QTest::keyClick(&editeur_, Qt::Key_Down);
  QTest::keyClick(&editeur_, Qt::Key_K, Qt::ControlModifier);
  QTest::keyClick(&editeur_, Qt::Key_Down);
  EXPECT_EQ(editeur_.textCursor().positionInBlock(), 13);
}

}  // namespace
