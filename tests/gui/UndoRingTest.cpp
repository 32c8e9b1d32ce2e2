#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <ostream>
#include <utility>
#include <vector>

#include "WindowFixture.h"
#include "editor/Colouring.h"
#include "editor/FindDialog.h"
#include "editor/ProgramEditor.h"
#include "editor/UndoRing.h"
#include "platform/Clipboard.h"
#include "platform/EditorText.h"
#include "platform/Events.h"
#include "platform/Prompter.h"
#include "shell/MouseCoordinates.h"
#include "shell/ZoomDialog.h"

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

const QString CRLF = QStringLiteral("\r\n");

class UndoRingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DefinitDialogues(&prompter_);
    editeur_.resize(400, 300);
    editeur_.show();
    editeur_.Defaire = [this] { anneau_.Defaire(); };
    editeur_.Refaire = [this] { anneau_.Refaire(); };
    editeur_.RegleAnnulation = [this](int code, int shift) { anneau_.RegleTouche(code, shift); };
    editeur_.TexteCharge = [this] { anneau_.Reinitialise(); };
  }
  void TearDown() override { DefinitDialogues(nullptr); }

  void Touche(int touche, Qt::KeyboardModifiers mod = Qt::NoModifier, const QString& texte = {}) {
    QKeyEvent appui(QEvent::KeyPress, touche, mod, texte);
    QCoreApplication::sendEvent(&editeur_, &appui);
    QKeyEvent relache(QEvent::KeyRelease, touche, mod, texte);
    QCoreApplication::sendEvent(&editeur_, &relache);
  }
  void Tape(const QString& texte) {
    for (QChar c : texte) {
      const int touche = c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : c.unicode();
      Touche(touche, Qt::NoModifier, QString(c));
    }
  }
  void Caret(int pos) { editeur_.Modele().SetSelStart(pos); }
  QString Texte() { return editeur_.Modele().Text(); }

  EditeurProgramme editeur_;
  AnneauAnnulation anneau_{editeur_};
  EditeurDocument lecture_{editeur_.document()};
  ScriptedPrompter prompter_;
};

TEST_F(UndoRingTest, TypingRunsAreOneStepEachAndUndoKeepsColours) {
  editeur_.ChargeTexte("cadre = 1,2,3,4" + CRLF + CRLF + CRLF + CRLF + "trait = 0,0,1,1" + CRLF);
  EXPECT_EQ(anneau_.NbAnnul(), 1);
  EXPECT_EQ(anneau_.IndexAnnul(), 1);
  EXPECT_FALSE(anneau_.DefaireActif());

  // A whole word typed letter by letter is one step.
  Caret(19);
  Tape("cercle = 5");
  EXPECT_EQ(anneau_.NbAnnul(), 2);
  // Clicking elsewhere and typing there opens a second step.
  Caret(0);
  editeur_.DerniereTouche = 0;
  editeur_.AnnulationArmee = false;
  Tape("x");
  EXPECT_EQ(anneau_.NbAnnul(), 3);
  EXPECT_TRUE(anneau_.DefaireActif());

  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "Cadre = 1,2,3,4" + CRLF + CRLF + "cercle = 5" + CRLF + CRLF + "Trait = 0,0,1,1" + CRLF);
  EXPECT_TRUE(editeur_.Modifie());
  EXPECT_FALSE(editeur_.ARecolorer());
  // The restored text keeps its colours: the keyword stays blue.
  EXPECT_EQ(lecture_.CouleurA(0), CouleurBleue);
  EXPECT_EQ(lecture_.CouleurA(8), CouleurNoire);
  EXPECT_EQ(editeur_.DerniereTouche, 90);
  EXPECT_EQ(editeur_.DernierShift, 2);

  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "Cadre = 1,2,3,4" + CRLF + CRLF + CRLF + CRLF + "Trait = 0,0,1,1" + CRLF);
  EXPECT_EQ(lecture_.CouleurA(23), CouleurBleue);
  EXPECT_FALSE(anneau_.DefaireActif());
  EXPECT_EQ(anneau_.NbRefaire(), 2);
  // Undo is gated by its enabled state.
  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(anneau_.NbAnnul(), 1);

  Touche(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "Cadre = 1,2,3,4" + CRLF + CRLF + "cercle = 5" + CRLF + CRLF + "Trait = 0,0,1,1" + CRLF);
  EXPECT_EQ(anneau_.NbRefaire(), 1);
  EXPECT_TRUE(anneau_.RefaireActif());
  Touche(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Texte(),
            "xCadre = 1,2,3,4" + CRLF + CRLF + "cercle = 5" + CRLF + CRLF + "Trait = 0,0,1,1" + CRLF);
  EXPECT_FALSE(anneau_.RefaireActif());
  EXPECT_EQ(editeur_.DerniereTouche, 89);

  // A new step after an undo clears the redo steps.
  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(anneau_.RefaireActif());
  Caret(0);
  Tape("y");
  EXPECT_FALSE(anneau_.RefaireActif());
  EXPECT_EQ(anneau_.NbRefaire(), 0);
}

TEST_F(UndoRingTest, DeletionsEntersAndDialogEnter) {
  editeur_.ChargeTexte("abcdef");
  Caret(6);
  Touche(Qt::Key_Backspace);
  Touche(Qt::Key_Backspace);
  Touche(Qt::Key_Delete);
  EXPECT_EQ(Texte(), "abcd");
  EXPECT_EQ(anneau_.NbAnnul(), 2);  // Backspace then Delete: still one step

  // Typing a line then Enter is one step; two Enters in a row are one step.
  Tape("gh");
  EXPECT_EQ(anneau_.NbAnnul(), 3);
  Touche(Qt::Key_Return, Qt::NoModifier, "\r");
  EXPECT_EQ(anneau_.NbAnnul(), 3);
  Touche(Qt::Key_Return, Qt::NoModifier, "\r");
  EXPECT_EQ(anneau_.NbAnnul(), 3);
  Tape("i");
  EXPECT_EQ(anneau_.NbAnnul(), 4);

  // The key up of an Enter that closed a dialog records nothing.
  editeur_.EntreeDialogue = true;
  QKeyEvent relache(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, "\r");
  QCoreApplication::sendEvent(&editeur_, &relache);
  EXPECT_FALSE(editeur_.EntreeDialogue);
  EXPECT_TRUE(editeur_.AnnulationArmee);
  EXPECT_EQ(editeur_.DerniereTouche, 73);
  EXPECT_EQ(anneau_.NbAnnul(), 4);

  // Ctrl letters that change nothing record nothing.
  Touche(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(anneau_.NbAnnul(), 4);

  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "abcdgh" + CRLF + CRLF);
  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "abcd");
  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "abcdef");
  EXPECT_EQ(editeur_.Modele().SelStart(), 0);  // the caret stored at load
}

// Every format of the text: each line's own formats, then its runs with their formats.
std::vector<std::pair<QString, QTextFormat>> Formats(const QTextDocument& document) {
  std::vector<std::pair<QString, QTextFormat>> formats;
  for (QTextBlock bloc = document.begin(); bloc.isValid(); bloc = bloc.next()) {
    formats.emplace_back(QStringLiteral("<line>"), bloc.blockFormat());
    formats.emplace_back(QStringLiteral("<break>"), bloc.charFormat());
    for (auto it = bloc.begin(); !it.atEnd(); ++it)
      formats.emplace_back(it.fragment().text(), it.fragment().charFormat());
  }
  return formats;
}

// Undo and Redo put back each state as it was saved, colours of the line breaks included, from
// steps that join, split and recolour lines of statements continued with " _".
TEST_F(UndoRingTest, EachStateComesBackWithAllItsFormats) {
  editeur_.ChargeTexte("cadre = 1,2,3,4" + CRLF + "trait = 0,0, _" + CRLF + "1,1 ' d" + CRLF + "' comment" +
                       CRLF + "if %a > 2 then cercle = 1,1,1" + CRLF + "texte = 1,1,it's");
  std::vector<std::vector<std::pair<QString, QTextFormat>>> etats{Formats(*editeur_.document())};
  std::vector<QString> textes{Texte()};
  const auto note = [&] {
    etats.push_back(Formats(*editeur_.document()));
    textes.push_back(Texte());
  };
  // A comment typed at the end of a line: once recoloured, its line break is green.
  Caret(15);
  Tape(" ' x");
  note();
  Touche(Qt::Key_Down);
  Touche(Qt::Key_Return, Qt::NoModifier, "\r");
  note();
  Touche(Qt::Key_Up);
  Touche(Qt::Key_End);
  Touche(Qt::Key_Delete);
  Touche(Qt::Key_Delete);
  note();
  Touche(Qt::Key_Down);
  Touche(Qt::Key_Down);
  Tape("cadre = 5,5,6,6 ' zz");
  note();
  ASSERT_EQ(anneau_.NbAnnul(), 5);
  for (int i = 3; i >= 0; --i) {
    Touche(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Texte(), textes[static_cast<size_t>(i)]) << "undo to state " << i;
    EXPECT_TRUE(Formats(*editeur_.document()) == etats[static_cast<size_t>(i)]) << "undo to state " << i;
  }
  for (int i = 1; i <= 4; ++i) {
    Touche(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Texte(), textes[static_cast<size_t>(i)]) << "redo to state " << i;
    EXPECT_TRUE(Formats(*editeur_.document()) == etats[static_cast<size_t>(i)]) << "redo to state " << i;
  }
}

TEST_F(UndoRingTest, TwentyOneStatesWrapAround) {
  editeur_.ChargeTexte(QString());
  for (int i = 0; i < 25; ++i) {
    anneau_.NouvelEmplacement();
    editeur_.Modele().SuiviModif = false;
    editeur_.Modele().SetText(QString::number(i));
    editeur_.Modele().SuiviModif = true;
    anneau_.SauveAnnuler();
  }
  EXPECT_EQ(anneau_.NbAnnul(), 21);
  EXPECT_EQ(anneau_.IndexAnnul(), (1 + 25) % 21);
  int defaits = 0;
  while (anneau_.DefaireActif()) {
    anneau_.Defaire();
    ++defaits;
  }
  EXPECT_EQ(defaits, 20);
  EXPECT_EQ(Texte(), "4");  // the states of steps 0..3 were overwritten
  EXPECT_EQ(anneau_.NbRefaire(), 20);
  int refaits = 0;
  while (anneau_.RefaireActif()) {
    anneau_.Refaire();
    ++refaits;
  }
  EXPECT_EQ(refaits, 20);
  EXPECT_EQ(Texte(), "24");
  EXPECT_EQ(anneau_.NbAnnul(), 21);

  // Loading a program restarts the ring with one state.
  editeur_.ChargeTexte("Stop");
  EXPECT_EQ(anneau_.NbAnnul(), 1);
  EXPECT_EQ(anneau_.IndexAnnul(), 1);
  EXPECT_FALSE(anneau_.DefaireActif());
  EXPECT_FALSE(anneau_.RefaireActif());
}

TEST_F(UndoRingTest, CutIsItsOwnStep) {
  editeur_.ChargeTexte("abc def");
  editeur_.Modele().SetSelStart(0);
  editeur_.Modele().SetSelLength(4);
  QKeyEvent appui(QEvent::KeyPress, Qt::Key_X, Qt::ControlModifier);
  QCoreApplication::sendEvent(&editeur_, &appui);
  EXPECT_EQ(Texte(), "def");
  QKeyEvent relache(QEvent::KeyRelease, Qt::Key_X, Qt::ControlModifier);
  QCoreApplication::sendEvent(&editeur_, &relache);
  EXPECT_EQ(anneau_.NbAnnul(), 2);
  EXPECT_EQ(editeur_.DerniereTouche, 88);
  anneau_.Defaire();
  EXPECT_EQ(Texte(), "abc def");
}

// A text dropped from another program is one step, coloured as a paste; what was typed before it
// stays its own step.
TEST_F(UndoRingTest, ADroppedTextIsOneColouredStep) {
  editeur_.ChargeTexte("trait = 0,0,1,1" + CRLF + "x");
  Caret(17);
  Tape("yz");
  const int nbAvant = anneau_.NbAnnul();
  QMimeData donnees;
  donnees.setText("CADRE = 1,1,5,5\n");
  QTextCursor debut(editeur_.document());
  const QPoint point = editeur_.cursorRect(debut).center();
  QDragEnterEvent entree(point, Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(editeur_.viewport(), &entree);
  ASSERT_TRUE(entree.isAccepted());
  QDragMoveEvent survol(point, Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(editeur_.viewport(), &survol);
  QDropEvent depot(QPointF(point), Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(editeur_.viewport(), &depot);
  EXPECT_EQ(Texte(), "Cadre = 1,1,5,5" + CRLF + "Trait = 0,0,1,1" + CRLF + "yzx");
  EXPECT_EQ(lecture_.CouleurA(0), CouleurBleue);
  EXPECT_EQ(lecture_.CouleurA(8), CouleurNoire);
  EXPECT_FALSE(editeur_.ARecolorer());
  EXPECT_EQ(anneau_.NbAnnul(), nbAvant + 1);
  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "Trait = 0,0,1,1" + CRLF + "yzx");
  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "Trait = 0,0,1,1" + CRLF + "x");
}

// A NUL or another control character in a pasted or dropped text never enters the editor, whose
// saved file would then not open: the rest of the text goes in, as one step.
TEST_F(UndoRingTest, ControlCharactersOfAPasteOrADropStayOut) {
  editeur_.ChargeTexte("x");
  Caret(1);
  QGuiApplication::clipboard()->setText(QStringLiteral("\nCADRE = 1,1\x01,5,5") + QChar(0) +
                                        QStringLiteral("\t'a\x1b"));
  QTest::keyClick(&editeur_, Qt::Key_V, Qt::ControlModifier);
  PressePapiersEfface();
  EXPECT_EQ(Texte(), "x" + CRLF + "Cadre = 1,1,5,5\t'a");
  EXPECT_EQ(anneau_.NbAnnul(), 2);
  QMimeData donnees;
  donnees.setText(QString(QChar(0)) + QStringLiteral("y\x7") + QChar(0));
  const QPoint point = editeur_.cursorRect(QTextCursor(editeur_.document())).center();
  QDragEnterEvent entree(point, Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(editeur_.viewport(), &entree);
  QDropEvent depot(QPointF(point), Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(editeur_.viewport(), &depot);
  EXPECT_EQ(Texte(), "yx" + CRLF + "Cadre = 1,1,5,5\t'a");
  EXPECT_EQ(anneau_.NbAnnul(), 3);
  Touche(Qt::Key_Z, Qt::ControlModifier);
  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "x");

  // The line breaks of other systems (VT, FF, NEL, U+2028, U+2029) are line ends, as CR and LF are.
  Caret(1);
  QGuiApplication::clipboard()->setText(QStringLiteral("\ncercle = 30,30,5") + QChar(0x2028) +
                                        QStringLiteral("cercle = 60,30,5\v%a = 1\f%b = 2") + QChar(0x85) +
                                        QStringLiteral("%c = 3") + QChar(0x2029) + QStringLiteral("%d = 4"));
  QTest::keyClick(&editeur_, Qt::Key_V, Qt::ControlModifier);
  PressePapiersEfface();
  EXPECT_EQ(Texte(), "x" + CRLF + "Cercle = 30,30,5" + CRLF + "Cercle = 60,30,5" + CRLF + "%a = 1" + CRLF +
                         "%b = 2" + CRLF + "%c = 3" + CRLF + "%d = 4");
  donnees.setText(QStringLiteral("y") + QChar(0x85) + QStringLiteral("z\f"));
  QDragEnterEvent entree2(point, Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(editeur_.viewport(), &entree2);
  QDropEvent depot2(QPointF(point), Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(editeur_.viewport(), &depot2);
  EXPECT_TRUE(Texte().startsWith("y" + CRLF + "z" + CRLF + "x" + CRLF + "Cercle = 30,30,5" + CRLF));
}

// Text dragged inside the editor moves: one undo step, coloured at its new place.
TEST_F(UndoRingTest, TextDraggedInsideTheEditorMovesInOneStep) {
  // A drag runs only on a display (offscreen it ends at once).
  if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "no display to drag on";
  editeur_.ChargeTexte("trait = 0,0,1,1" + CRLF + "x" + CRLF);
  editeur_.Modele().SetSelStart(0);
  editeur_.Modele().SetSelLength(15);
  QTextCursor dans(editeur_.document());
  dans.setPosition(4);
  QTextCursor fin(editeur_.document());
  fin.movePosition(QTextCursor::End);
  const QPoint depart = editeur_.cursorRect(dans).center();
  const QPoint arrivee = editeur_.cursorRect(fin).center() + QPoint(2, 0);
  QWidget* vue = editeur_.viewport();
  QTest::mousePress(vue, Qt::LeftButton, Qt::NoModifier, depart);
  QTimer::singleShot(100, [&] {
    QTest::mouseMove(vue, arrivee);
    QTest::mouseMove(vue, arrivee + QPoint(1, 0));
    QTest::mouseRelease(vue, Qt::LeftButton, Qt::NoModifier, arrivee);
  });
  QTest::mouseMove(vue, depart + QPoint(30, 0));
  QTest::qWait(200);
  EXPECT_EQ(Texte(), CRLF + "x" + CRLF + "Trait = 0,0,1,1");
  EXPECT_EQ(lecture_.CouleurA(5), CouleurBleue);
  EXPECT_EQ(anneau_.NbAnnul(), 2);
  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "Trait = 0,0,1,1" + CRLF + "x" + CRLF);
}

// A character composed by the input method (a dead key) is typed text; Shift+Insert and
// Shift+Delete paste and cut as Ctrl+V and Ctrl+X do.
TEST_F(UndoRingTest, ComposedTextAndTheOtherClipboardKeysAreEditsToo) {
  editeur_.ChargeTexte("trait = 0,0,1,1" + CRLF + "caf");
  Caret(20);
  QInputMethodEvent compose;
  compose.setCommitString(QStringLiteral("é"));
  QCoreApplication::sendEvent(&editeur_, &compose);
  EXPECT_EQ(Texte(), "Trait = 0,0,1,1" + CRLF + "café");
  EXPECT_EQ(anneau_.NbAnnul(), 2);

  Touche(Qt::Key_Up);
  Touche(Qt::Key_End);
  PressePapiersEcrit("\nCERCLE = 1,1,2");
  Touche(Qt::Key_Insert, Qt::ShiftModifier);
  PressePapiersEfface();
  EXPECT_EQ(Texte(), "Trait = 0,0,1,1" + CRLF + "Cercle = 1,1,2" + CRLF + "café");
  EXPECT_EQ(lecture_.CouleurA(17), CouleurBleue);
  EXPECT_EQ(anneau_.NbAnnul(), 3);

  editeur_.Modele().SetSelStart(17);
  editeur_.Modele().SetSelLength(16);
  Touche(Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(Texte(), "Trait = 0,0,1,1" + CRLF + "café");
  EXPECT_EQ(anneau_.NbAnnul(), 4);
  EXPECT_EQ(editeur_.DerniereTouche, 88);

  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "Trait = 0,0,1,1" + CRLF + "Cercle = 1,1,2" + CRLF + "café");
  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "Trait = 0,0,1,1" + CRLF + "café");
  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "Trait = 0,0,1,1" + CRLF + "caf");

  // A line break composed or typed as a character is a line end, as Enter's.
  Caret(20);
  compose.setCommitString(QStringLiteral("e") + QChar(0x2028) + QStringLiteral("x\v"));
  QCoreApplication::sendEvent(&editeur_, &compose);
  EXPECT_EQ(Texte(), "Trait = 0,0,1,1" + CRLF + "cafe" + CRLF + "x" + CRLF);
  Touche(Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x2028)));
  EXPECT_EQ(Texte(), "Trait = 0,0,1,1" + CRLF + "cafe" + CRLF + "x" + CRLF + CRLF);
}

// The middle button pastes the system's selection where there is one, as Ctrl+V pastes.
TEST_F(UndoRingTest, TheMiddleButtonPastesAsCtrlV) {
  QClipboard* pressePapiers = QGuiApplication::clipboard();
  if (!pressePapiers->supportsSelection())
    GTEST_SKIP() << "this platform has no selection for the middle button to paste";
  editeur_.ChargeTexte("trait = 0,0,1,1" + CRLF);
  Caret(0);
  Tape("x");
  pressePapiers->setText(QStringLiteral("CADRE = 1,1,5,5"), QClipboard::Selection);
  QTextCursor fin(editeur_.document());
  fin.movePosition(QTextCursor::End);
  QTest::mouseClick(editeur_.viewport(), Qt::MiddleButton, Qt::NoModifier, editeur_.cursorRect(fin).center());
  pressePapiers->clear(QClipboard::Selection);
  EXPECT_EQ(Texte(), "xTrait = 0,0,1,1" + CRLF + "Cadre = 1,1,5,5");
  EXPECT_EQ(lecture_.CouleurA(18), CouleurBleue);
  EXPECT_EQ(anneau_.NbAnnul(), 3);
  Touche(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "xTrait = 0,0,1,1" + CRLF);
}

// Ctrl held with a letter, let go before the letter.
void CtrlRoulant(QWidget* w, Qt::Key lettre) {
  QTest::keyPress(w, lettre, Qt::ControlModifier);
  QTest::keyRelease(w, Qt::Key_Control);
  QTest::keyRelease(w, lettre);
}

TEST_F(UndoRingTest, CommandKeysRecordNothingWhateverIsLetGoFirst) {
  editeur_.ChargeTexte("abc");
  Caret(3);
  QTest::keyClicks(&editeur_, "x");
  QTest::keyClick(&editeur_, Qt::Key_Return);
  EXPECT_EQ(anneau_.NbAnnul(), 2);
  CtrlRoulant(&editeur_, Qt::Key_Z);
  EXPECT_EQ(Texte(), "abc");
  EXPECT_EQ(anneau_.NbAnnul(), 1);
  ASSERT_TRUE(anneau_.RefaireActif());

  // Neither these, nor Esc, nor the Enter or Esc that closed a message box (the key went down in
  // the box) make a step or lose the redo.
  for (Qt::Key lettre : {Qt::Key_A, Qt::Key_C, Qt::Key_H, Qt::Key_K}) CtrlRoulant(&editeur_, lettre);
  QTest::keyClick(&editeur_, Qt::Key_Escape);
  Arret = false;
  QTest::keyRelease(&editeur_, Qt::Key_Return);
  QTest::keyRelease(&editeur_, Qt::Key_Escape);
  EXPECT_EQ(anneau_.NbAnnul(), 1);
  EXPECT_EQ(anneau_.NbRefaire(), 1);
  EXPECT_TRUE(anneau_.RefaireActif());

  CtrlRoulant(&editeur_, Qt::Key_Y);
  EXPECT_EQ(Texte(), "abcx" + CRLF);
  EXPECT_EQ(anneau_.NbAnnul(), 2);
  EXPECT_FALSE(anneau_.RefaireActif());
}

class UndoWindowTest : public WindowFixture {};

TEST_F(UndoWindowTest, TheEnterThatClosedTheZoomDialogLeavesTheNextEnterAlone) {
  Demarre();
  QTimer::singleShot(0, [] {
    auto* zoom = qobject_cast<DialogueZoom*>(QApplication::activeModalWidget());
    ASSERT_NE(zoom, nullptr);
    QTest::keyClick(zoom->Text1(), Qt::Key_Return);
  });
  QTest::keyClick(&Ed(), Qt::Key_F7);
  EXPECT_FALSE(QApplication::activeModalWidget());
  QTest::keyClicks(&Ed(), "q");
  QTest::keyClick(&Ed(), Qt::Key_Return);
  QTest::keyClicks(&Ed(), "r");
  EXPECT_EQ(Ed().Modele().Text(), "q\r\nr");
  // Typing, Enter and typing again: two steps, none of them empty.
  QTest::keyClick(&Ed(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Ed().Modele().Text(), "q\r\n");
  QTest::keyClick(&Ed(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Ed().Modele().Text(), "");
}

TEST_F(UndoWindowTest, MenuEntriesFollowTheRing) {
  Demarre();
  QAction* defaire = F().Action(QStringLiteral("Mnu_Defaire"));
  QAction* refaire = F().Action(QStringLiteral("Mnu_Refaire"));
  EXPECT_FALSE(defaire->isEnabled());
  const QString depart = Ed().Modele().Text();
  Ed().Modele().SetText("trait = 1,1");
  F().Annulation().EnregistreAnnulation(65, 0);
  EXPECT_TRUE(defaire->isEnabled());
  defaire->trigger();
  EXPECT_EQ(Ed().Modele().Text(), depart);
  EXPECT_FALSE(defaire->isEnabled());
  EXPECT_TRUE(refaire->isEnabled());
  refaire->trigger();
  EXPECT_EQ(Ed().Modele().Text(), "trait = 1,1");

  // The editor's find keys reach the find dialog.
  Ed().Modele().SetSelStart(0);
  Ed().Modele().SetSelLength(5);
  F().Action(QStringLiteral("Mnu_Rechercher"))->trigger();
  EXPECT_TRUE(F().Recherche().isVisible());
  EXPECT_EQ(F().Recherche().Text1->text(), "trait");
  Ed().Modele().SetSelStart(3);
  QKeyEvent f3(QEvent::KeyPress, Qt::Key_F3, Qt::NoModifier);
  QCoreApplication::sendEvent(&Ed(), &f3);
  EXPECT_EQ(Ed().PosTrouve, 0);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&Ed(), &esc);
  EXPECT_FALSE(F().Recherche().isVisible());
  Arret = false;
  EXPECT_TRUE(prompter_.Messages().empty());
}

// The right-click menu holds the Edit menu's entries: its Paste and Cut are the editor's, one undo
// step each, and its Undo is the ring's.
TEST_F(UndoWindowTest, TheRightClickMenuActsThroughTheEditorsCommands) {
  Demarre();
  Ed().setFocus();
  // The click goes to the window, as the system sends it: the window makes the menu event of it.
  const auto menu = [&] {
    QTest::mouseClick(F().windowHandle(), Qt::RightButton, Qt::NoModifier,
                      Ed().viewport()->mapTo(&F(), QPoint(20, 10)));
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
  };
  const auto choisit = [&](const char* nom) {
    QMenu* popup = menu();
    ASSERT_NE(popup, nullptr) << "a right click opens no menu";
    QAction* entree = F().Action(QString::fromUtf8(nom));
    ASSERT_TRUE(popup->actions().contains(entree)) << nom;
    QTest::mouseClick(popup, Qt::LeftButton, Qt::NoModifier, popup->actionGeometry(entree).center());
    QTest::qWait(20);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  };
  Souris.DernierX = -1234.0f;
  QMenu* popup = menu();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(Souris.DernierX, -1234.0f) << "the click went on to the drawing under the editor";
  QStringList entrees;
  for (QAction* action : popup->actions())
    entrees << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
  EXPECT_EQ(entrees.join(' '),
            "Mnu_Defaire Mnu_Refaire - Mnu_Couper Mnu_Copier Mnu_Coller Mnu_Supprimer - Mnu_Selectionner");
  EXPECT_FALSE(F().Action(QStringLiteral("Mnu_Defaire"))->isEnabled());
  popup->close();

  PressePapiersEcrit("CADRE = 1,1,5,5\n");
  choisit("Mnu_Coller");
  PressePapiersEfface();
  EXPECT_EQ(Ed().Modele().Text(), "Cadre = 1,1,5,5" + CRLF);
  EditeurDocument lecture(Ed().document());
  EXPECT_EQ(lecture.CouleurA(0), CouleurBleue);
  Clavier(Qt::Key_Backspace);
  EXPECT_EQ(Ed().Modele().Text(), "Cadre = 1,1,5,5");
  Clavier(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Ed().Modele().Text(), "Cadre = 1,1,5,5" + CRLF) << "only the Backspace is undone";

  // Cut after the paste, then Undo from the menu: the pasted line comes back.
  Clavier(Qt::Key_Up);
  Clavier(Qt::Key_End, Qt::ShiftModifier);
  choisit("Mnu_Couper");
  EXPECT_EQ(Ed().Modele().Text(), CRLF);
  EXPECT_TRUE(F().Action(QStringLiteral("Mnu_Defaire"))->isEnabled());
  choisit("Mnu_Defaire");
  EXPECT_EQ(Ed().Modele().Text(), "Cadre = 1,1,5,5" + CRLF);
  choisit("Mnu_Defaire");
  EXPECT_EQ(Ed().Modele().Text(), QString());
}

TEST_F(UndoWindowTest, OpenAndNewLeaveTheEntriesFollowingTheRestartedRing) {
  Demarre();
  QAction* defaire = F().Action(QStringLiteral("Mnu_Defaire"));
  QAction* refaire = F().Action(QStringLiteral("Mnu_Refaire"));
  const QString chemin = Chemin(QStringLiteral("autre.dat"));
  EcritOctets(chemin, QByteArray("Cadre = 1,1,5,5\r\n"));
  const auto tapeEtDefait = [&] {
    Frappe(QStringLiteral("ab"));
    Clavier(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(refaire->isEnabled());
  };
  tapeEtDefait();
  fichiers_.ouvertures = {chemin};
  prompter_.AjouteReponse(QStringLiteral("NO"));
  ChoisitMenu(u'f', u'o');
  ASSERT_EQ(FichierCourant, chemin);
  EXPECT_EQ(F().Annulation().NbAnnul(), 1);
  EXPECT_FALSE(defaire->isEnabled());
  EXPECT_FALSE(refaire->isEnabled()) << "after Open";

  tapeEtDefait();
  prompter_.AjouteReponse(QStringLiteral("NO"));
  ChoisitMenu(u'f', u'n');
  ASSERT_TRUE(FichierCourant.isEmpty());
  EXPECT_FALSE(defaire->isEnabled());
  EXPECT_FALSE(refaire->isEnabled()) << "after New";
  // Ctrl+Y, gated by the entry, does nothing.
  const QString texte = Ed().Modele().Text();
  Clavier(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Ed().Modele().Text(), texte);
}

}  // namespace
