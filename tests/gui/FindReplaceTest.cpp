#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <ostream>

#include "WindowFixture.h"
#include "editor/Colouring.h"
#include "editor/FindDialog.h"
#include "editor/ProgramEditor.h"
#include "editor/UndoRing.h"
#include "platform/EditorText.h"
#include "platform/Prompter.h"
#include "shell/Languages.h"

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

const QString CRLF = QStringLiteral("\r\n");

TEST(FindTextTest, CaseAndWholeWords) {
  const QString texte = "Cadre = 1" + CRLF + "cadres = 2" + CRLF + "x_cadre CADRE";
  EXPECT_EQ(ChercheTexte(texte, "cadre", 0, false, false), 0);
  EXPECT_EQ(ChercheTexte(texte, "cadre", 1, false, false), 11);
  EXPECT_EQ(ChercheTexte(texte, "cadre", 1, false, true), 11);
  EXPECT_EQ(ChercheTexte(texte, "CADRE", 1, false, true), 31);
  EXPECT_EQ(ChercheTexte(texte, "cadre", 1, true, false), 31);  // not in "cadres" nor "x_cadre"
  EXPECT_EQ(ChercheTexte(texte, "cadre", 1, true, true), -1);
  EXPECT_EQ(ChercheTexte(texte, "ÉTÉ", 0, false, false), -1);
  EXPECT_EQ(ChercheTexte("un été", "ÉTÉ", 0, true, false), 3);
  EXPECT_EQ(ChercheTexte(texte, "", 0, false, false), -1);
  EXPECT_EQ(ChercheTexte(texte, "1", 100, false, false), -1);
}

class FindReplaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DefinitDialogues(&prompter_);
    editeur_.resize(400, 300);
    editeur_.show();
    editeur_.TexteCharge = [this] { anneau_.Reinitialise(); };
    editeur_.RegleAnnulation = [this](int code, int shift) { anneau_.RegleTouche(code, shift); };
    editeur_.DesactiveRemplacer = [this] { dialogue_.Remplacer->setEnabled(false); };
  }
  void TearDown() override { DefinitDialogues(nullptr); }

  EditeurTexte& M() { return editeur_.Modele(); }
  QString Texte() { return M().Text(); }
  void Cherche(const QString& texte) {
    dialogue_.Text1->setText(texte);
    dialogue_.Suivant_Click();
  }
  void Touche(QObject* cible, int touche, Qt::KeyboardModifiers mod = Qt::NoModifier) {
    QKeyEvent appui(QEvent::KeyPress, touche, mod);
    QCoreApplication::sendEvent(cible, &appui);
  }

  EditeurProgramme editeur_;
  AnneauAnnulation anneau_{editeur_};
  FrmFind dialogue_{editeur_, anneau_};
  EditeurDocument lecture_{editeur_.document()};
  ScriptedPrompter prompter_;
};

TEST_F(FindReplaceTest, FindNextFromTheTopAndAfterEachFind) {
  editeur_.ChargeTexte("trait = 1 ' trait" + CRLF + "Cadre = 1,2,3,4" + CRLF + "TRAIT = 5");
  M().SetSelStart(20);
  Cherche("trait");
  // No search yet: from the top.
  EXPECT_EQ(editeur_.PosTrouve, 0);
  EXPECT_EQ(M().SelLength(), 5);
  EXPECT_EQ(editeur_.NbRecherches, 1);
  EXPECT_TRUE(dialogue_.Remplacer->isEnabled());
  EXPECT_EQ(editeur_.DerniereTouche, 114);
  dialogue_.Suivant_Click();
  EXPECT_EQ(editeur_.PosTrouve, 12);
  dialogue_.Suivant_Click();
  EXPECT_EQ(editeur_.PosTrouve, 36);  // without match case
  EXPECT_EQ(M().SelText(), "Trait");  // the colouring wrote it in its canonical form
  // After the last one: nothing, the caret where it was, Replace disabled.
  dialogue_.Suivant_Click();
  EXPECT_EQ(editeur_.PosTrouve, -1);
  EXPECT_EQ(M().SelStart(), 41);
  EXPECT_EQ(M().SelLength(), 0);
  EXPECT_FALSE(dialogue_.Remplacer->isEnabled());
  // The search after a failed one starts from the top again.
  dialogue_.Suivant_Click();
  EXPECT_EQ(editeur_.PosTrouve, 0);

  // Match case, whole word.
  dialogue_.Check2->setChecked(true);
  Cherche("Trait");
  EXPECT_EQ(editeur_.PosTrouve, 0);
  EXPECT_EQ(dialogue_.OptionsRecherche(), 4);
  dialogue_.Suivant_Click();
  EXPECT_EQ(editeur_.PosTrouve, 36);
  dialogue_.Check2->setChecked(false);
  dialogue_.Check1->setChecked(true);
  editeur_.PosTrouve = -1;
  Cherche("rait");
  EXPECT_EQ(editeur_.PosTrouve, -1);
  EXPECT_EQ(dialogue_.OptionsRecherche(), 2);
  dialogue_.Check1->setChecked(false);

  // A new search text: the search starts at the caret, not after the last find.
  Cherche("cadre");
  EXPECT_EQ(editeur_.PosTrouve, 19);
  M().SetSelStart(2);
  Cherche("1");
  EXPECT_EQ(editeur_.PosTrouve, 8);
  // A click in the same statement: the next search starts at the click.
  M().SetSelStart(9);
  editeur_.NbRecherches = 0;
  dialogue_.Suivant_Click();
  EXPECT_EQ(editeur_.PosTrouve, 27);
  EXPECT_EQ(prompter_.Messages().size(), 0u);
}

// A line break of another system in the search or the replacement text is a line end, as the
// editor's text holds it.
TEST_F(FindReplaceTest, LineBreaksInTheSearchAndReplacementTextsAreLineEnds) {
  editeur_.ChargeTexte("Cercle = 1,1,5" + CRLF + "Cercle = 2,2,5");
  dialogue_.Text2->setText(QStringLiteral("5") + QChar(0x2028) + QStringLiteral("trait = 0,0,1,1\vcercle"));
  Cherche(QStringLiteral("5") + QChar(0x2028) + QStringLiteral("Cercle"));
  EXPECT_EQ(editeur_.PosTrouve, 13);
  EXPECT_EQ(M().SelText(), "5" + CRLF + "Cercle");
  dialogue_.Remplacer_Click();
  EXPECT_EQ(Texte(), "Cercle = 1,1,5" + CRLF + "Trait = 0,0,1,1" + CRLF + "Cercle = 2,2,5");
}

TEST_F(FindReplaceTest, ReplaceOneByOneIsOneUndoStep) {
  editeur_.ChargeTexte("Cercle = 1" + CRLF + "Cercle = 2" + CRLF + "Cercle = 3");
  dialogue_.Remplacer_Click();  // nothing found yet: nothing happens
  EXPECT_FALSE(editeur_.Modifie());
  dialogue_.Text2->setText("trait");
  Cherche("cercle");
  dialogue_.Remplacer_Click();
  EXPECT_EQ(Texte(), "Trait = 1" + CRLF + "Cercle = 2" + CRLF + "Cercle = 3");
  EXPECT_EQ(lecture_.CouleurA(0), CouleurBleue);  // the statement was recoloured
  EXPECT_TRUE(editeur_.Modifie());
  EXPECT_EQ(editeur_.PosTrouve, 11);  // the next one is found and selected
  EXPECT_EQ(M().SelText(), "Cercle");
  // Ctrl+H in the dialog replaces too.
  Touche(dialogue_.Text1, Qt::Key_H, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "Trait = 1" + CRLF + "Trait = 2" + CRLF + "Cercle = 3");
  EXPECT_EQ(anneau_.NbAnnul(), 2);
  EXPECT_EQ(editeur_.DerniereTouche, 72);
  EXPECT_EQ(editeur_.DernierShift, 2);
  // A click inside the statement since the find: Replace finds again and writes nothing.
  M().SetSelStart(25);
  editeur_.NbRecherches = 0;
  dialogue_.Remplacer_Click();
  EXPECT_EQ(Texte(), "Trait = 1" + CRLF + "Trait = 2" + CRLF + "Cercle = 3");
  EXPECT_EQ(editeur_.PosTrouve, -1);
  EXPECT_EQ(anneau_.NbAnnul(), 2);
  anneau_.Defaire();
  EXPECT_EQ(Texte(), "Cercle = 1" + CRLF + "Cercle = 2" + CRLF + "Cercle = 3");
}

TEST_F(FindReplaceTest, ReplaceAllCountsAndEnds) {
  editeur_.ChargeTexte("abcabc abc" + CRLF + "zabc");
  M().SetSelStart(3);
  dialogue_.Text1->setText("abc");
  dialogue_.Text2->setText("x");
  dialogue_.Remplacer_Tout_Click();
  EXPECT_EQ(Texte(), "xx x" + CRLF + "zx");
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, "4 remplacements");
  EXPECT_EQ(M().SelStart(), 3);
  EXPECT_TRUE(editeur_.Modifie());
  EXPECT_EQ(anneau_.NbAnnul(), 2);
  EXPECT_EQ(editeur_.DerniereTouche, 0);

  // A replacement that holds the search text does not loop.
  dialogue_.Text1->setText("x");
  dialogue_.Text2->setText("xx");
  dialogue_.Remplacer_Tout_Click();
  EXPECT_EQ(Texte(), "xxxx xx" + CRLF + "zxx");
  EXPECT_EQ(prompter_.Messages()[1].texte, "4 remplacements");

  // Nothing found: a count of 0 and one undo step all the same.
  dialogue_.Text1->setText("absent");
  dialogue_.Remplacer_Tout_Click();
  EXPECT_EQ(prompter_.Messages()[2].texte, "0 remplacements");
  EXPECT_EQ(anneau_.NbAnnul(), 4);
  anneau_.Defaire();
  anneau_.Defaire();
  EXPECT_EQ(Texte(), "xx x" + CRLF + "zx");
}

TEST_F(FindReplaceTest, ColourWordTranslations) {
  editeur_.ChargeTexte("Couleur = Rouge" + CRLF + "Texte = 1,1,Rouges RVB" + CRLF + "Couleur = rvb 1 2 3");
  dialogue_.Check1->setChecked(false);
  dialogue_.Text1->setText("*colors");
  dialogue_.Remplacer_Tout_Click();
  EXPECT_EQ(Texte(), "Couleur = Red" + CRLF + "Texte = 1,1,Rouges RGB" + CRLF + "Couleur = RGB 1 2 3");
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, "3 remplacements");
  EXPECT_TRUE(dialogue_.Text1->text().isEmpty());
  EXPECT_TRUE(dialogue_.Text2->text().isEmpty());
  EXPECT_FALSE(dialogue_.Check1->isChecked());
  EXPECT_FALSE(dialogue_.isVisible());

  // With match case, "rvb" stays; back to French, "Lands" before "Landscape".
  dialogue_.Check2->setChecked(true);
  editeur_.ChargeTexte("Couleur = Red" + CRLF + "' Lands Landscape rgb");
  dialogue_.Text1->setText("*COULEURS");
  dialogue_.Remplacer_Tout_Click();
  EXPECT_EQ(Texte(), "Couleur = Rouge" + CRLF + "' Paysage Paysage rgb");
  EXPECT_EQ(prompter_.Messages()[1].texte, "3 remplacements");

  // With a replacement text, the literal text is searched.
  editeur_.ChargeTexte("' *COLORS Rouge");
  dialogue_.Text1->setText("*COLORS");
  dialogue_.Text2->setText("-");
  dialogue_.Remplacer_Tout_Click();
  EXPECT_EQ(Texte(), "' - Rouge");
}

TEST_F(FindReplaceTest, DialogKeysAndOpening) {
  editeur_.ChargeTexte("Stop" + CRLF + "Stop");
  M().SetSelStart(0);
  M().SetSelLength(4);
  dialogue_.Mnu_Rechercher_Click();
  EXPECT_TRUE(dialogue_.isVisible());
  EXPECT_EQ(dialogue_.Text1->text(), "Stop");
  EXPECT_FALSE(dialogue_.Remplacer->isEnabled());
  Touche(dialogue_.Text1, Qt::Key_Return);
  EXPECT_EQ(editeur_.PosTrouve, 0);
  Touche(dialogue_.Text2, Qt::Key_F3);
  EXPECT_EQ(editeur_.PosTrouve, 6);
  Touche(dialogue_.Text1, Qt::Key_Escape);
  EXPECT_FALSE(dialogue_.isVisible());
  EXPECT_EQ(dialogue_.Text1->text(), "Stop");  // kept for the next opening

  // A navigation key in the editor forgets the find.
  QTest::keyClick(&editeur_, Qt::Key_Left);
  EXPECT_EQ(editeur_.PosTrouve, -1);
  EXPECT_EQ(editeur_.NbRecherches, 0);
  EXPECT_FALSE(dialogue_.Remplacer->isEnabled());
}

// Keys go where the keyboard is: the focused widget of the active window.
void Clavier(const QString& touches) {
  QCoreApplication::processEvents();
  QWidget* cible = QApplication::focusWidget();
  ASSERT_NE(cible, nullptr);
  QTest::keyClicks(cible, touches);
}
void Clavier(Qt::Key touche, Qt::KeyboardModifiers mod = Qt::NoModifier) {
  QCoreApplication::processEvents();
  QWidget* cible = QApplication::focusWidget();
  ASSERT_NE(cible, nullptr);
  QTest::keyClick(cible, touche, mod);
}

TEST_F(FindReplaceTest, FindNextAndReplaceGiveTheKeyboardBackToTheEditor) {
  const QString texte = "Cercle = 1, Bleu" + CRLF + "Cadre = 2, Bleu" + CRLF + "Trait = 3, Bleu";
  editeur_.ChargeTexte(texte);
  editeur_.MontreRecherche = [this](const QString& t) { dialogue_.Montre(t); };
  editeur_.TexteRecherche = [this] { return dialogue_.Text1->text(); };
  editeur_.Remplace = [this] { dialogue_.Remplacer_Click(); };
  editeur_.Defaire = [this] { anneau_.Defaire(); };
  editeur_.activateWindow();
  editeur_.setFocus();
  Clavier(Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(dialogue_.isVisible());
  Clavier("Bleu");
  EXPECT_EQ(dialogue_.Text1->text(), "Bleu");
  Clavier(Qt::Key_Return);
  EXPECT_EQ(editeur_.PosTrouve, 12);
  // The found text is selected in the editor, and what is typed next replaces it.
  Clavier("Q");
  EXPECT_EQ(dialogue_.Text1->text(), "Bleu");
  EXPECT_EQ(Texte(), "Cercle = 1, Q" + CRLF + "Cadre = 2, Bleu" + CRLF + "Trait = 3, Bleu");

  // The next find from the dialog, then Ctrl+H twice: the keyboard is back in the editor, and one
  // Ctrl+Z there undoes the series.
  const QString avant = Texte();
  dialogue_.Text2->setText("Blue");
  dialogue_.Montre(QString());
  Clavier(Qt::Key_Return);
  Clavier(Qt::Key_H, Qt::ControlModifier);
  Clavier(Qt::Key_H, Qt::ControlModifier);
  EXPECT_EQ(Texte(), "Cercle = 1, Q" + CRLF + "Cadre = 2, Blue" + CRLF + "Trait = 3, Blue");
  Clavier(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Texte(), avant);
  EXPECT_EQ(dialogue_.Text1->text(), "Bleu");
  EXPECT_EQ(dialogue_.Text2->text(), "Blue");
}

// The find dialog of the shown main window, driven by the keyboard and the mouse.
class FindReplaceWindowTest : public WindowFixture {
 protected:
  FrmFind& D() { return F().Recherche(); }
  // Ctrl+F in the editor, then the search and replacement texts typed into the dialog.
  void OuvreEtTape(const QString& cherche, const QString& remplace) {
    QTest::mouseClick(Ed().viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    Clavier(Qt::Key_F, Qt::ControlModifier);
    QApplication::processEvents();
    ASSERT_TRUE(D().isVisible());
    QTest::keyClicks(D().Text1, cherche);
    QTest::mouseClick(D().Text2, Qt::LeftButton);
    QTest::keyClicks(D().Text2, remplace);
  }
};

TEST_F(FindReplaceWindowTest, CtrlHGoesOnReplacingWhenCtrlIsLetGoBetweenPresses) {
  Demarre();
  Ed().ChargeTexte("Cadre = 1,1,2,2" + CRLF + "Cadre = 3,3,4,4" + CRLF + "Cadre = 5,5,6,6" + CRLF);
  OuvreEtTape("Cadre", "Box");
  D().hide();
  F().activateWindow();
  QTest::mouseClick(Ed().viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  Clavier(Qt::Key_F3);
  ASSERT_EQ(Ed().PosTrouve, 0);
  // Ctrl down, H down, Ctrl up before H, twice; then once with H up first.
  for (int i = 0; i < 2; ++i) {
    QTest::keyPress(FenetreActive(), Qt::Key_Control, Qt::ControlModifier);
    QTest::keyPress(FenetreActive(), Qt::Key_H, Qt::ControlModifier);
    QTest::keyRelease(FenetreActive(), Qt::Key_Control, Qt::NoModifier);
    QTest::keyRelease(FenetreActive(), Qt::Key_H, Qt::NoModifier);
  }
  EXPECT_EQ(Ed().Modele().Text(), "Box = 1,1,2,2" + CRLF + "Box = 3,3,4,4" + CRLF + "Cadre = 5,5,6,6" + CRLF);
  QTest::keyPress(FenetreActive(), Qt::Key_Control, Qt::ControlModifier);
  QTest::keyPress(FenetreActive(), Qt::Key_H, Qt::ControlModifier);
  QTest::keyRelease(FenetreActive(), Qt::Key_H, Qt::ControlModifier);
  QTest::keyRelease(FenetreActive(), Qt::Key_Control, Qt::NoModifier);
  EXPECT_EQ(Ed().Modele().Text(), "Box = 1,1,2,2" + CRLF + "Box = 3,3,4,4" + CRLF + "Box = 5,5,6,6" + CRLF);
  // The series is one undo step.
  Clavier(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Ed().Modele().Text(),
            "Cadre = 1,1,2,2" + CRLF + "Cadre = 3,3,4,4" + CRLF + "Cadre = 5,5,6,6" + CRLF);
}

TEST_F(FindReplaceWindowTest, TheDialogSpeaksTheMenuLanguage) {
  Demarre();
  DefinitLangueMenu(2);
  F().AfficheMenus();
  QTest::mouseClick(Ed().viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  Clavier(Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(D().isVisible());
  EXPECT_EQ(D().windowTitle(), "Find/Replace");
  EXPECT_EQ(D().Suivant->text(), "Next (F3)");
  EXPECT_EQ(D().Remplacer->text(), "Replace (Ctrl-H)");
  EXPECT_EQ(D().Remplacer_Tout->text(), "Replace all");
  EXPECT_EQ(D().Annuler->text(), "Cancel (ESC)");
  EXPECT_EQ(D().Check1->text(), "Whole word");
  EXPECT_EQ(D().Check2->text(), "Match case");
  QStringList etiquettes;
  for (QLabel* l : D().findChildren<QLabel*>()) etiquettes << l->text();
  EXPECT_TRUE(etiquettes.contains("Find")) << etiquettes.join(u'|').toStdString();
  EXPECT_TRUE(etiquettes.contains("Replace with")) << etiquettes.join(u'|').toStdString();
  // Another menu language captions it again.
  DefinitLangueMenu(3);
  F().AfficheMenus();
  EXPECT_EQ(D().Suivant->text(), "Weiter (F3)");
  EXPECT_EQ(D().windowTitle(), "Suchen/Ersetzen");
}

TEST_F(FindReplaceWindowTest, ReplaceAllColoursTheNewWords) {
  Demarre();
  Ed().ChargeTexte("Cadre = 1,1,2,2" + CRLF + "' Cadre" + CRLF + "Cadre = 3,3,4,4" + CRLF);
  EditeurDocument lecture(Ed().document());
  ASSERT_EQ(lecture.CouleurA(0), CouleurBleue);
  OuvreEtTape("Cadre", "Box");
  QTest::mouseClick(D().Remplacer_Tout, Qt::LeftButton);
  ASSERT_EQ(Ed().Modele().Text(), "Box = 1,1,2,2" + CRLF + "' Box" + CRLF + "Box = 3,3,4,4" + CRLF);
  EXPECT_EQ(lecture.CouleurA(0), CouleurNoire);
  EXPECT_EQ(lecture.CouleurA(16), CouleurVerte);
  EXPECT_EQ(lecture.CouleurA(22), CouleurNoire);
  // And back: the command word is blue again.
  D().Text1->clear();
  D().Text2->clear();
  OuvreEtTape("Box", "Cadre");
  QTest::mouseClick(D().Remplacer_Tout, Qt::LeftButton);
  EXPECT_EQ(lecture.CouleurA(0), CouleurBleue);
  EXPECT_EQ(lecture.CouleurA(26), CouleurBleue);
}

}  // namespace
