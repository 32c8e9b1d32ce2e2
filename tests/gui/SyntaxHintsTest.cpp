#include <QAction>
#include <QKeyEvent>
#include <set>

#include "WindowFixture.h"
#include "editor/SyntaxHints.h"
#include "interpreter/KeywordTable.h"
#include "platform/StringTable.h"
#include "shell/Languages.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

// The keyword of the line that starts at the beginning of line `ligne` (0-based).
QString MotLigne(const QString& texte, int ligne) {
  int debut = 0;
  for (int i = 0; i < ligne; ++i) debut = static_cast<int>(texte.indexOf(CRLF, debut)) + 2;
  return MotCleLigne(texte, debut);
}

TEST(SyntaxHints, KeywordOfTheCaretLine) {
  EXPECT_EQ(MotLigne(QStringLiteral("' Cadre = 1"), 0), QStringLiteral("COM"));
  EXPECT_EQ(MotLigne(QStringLiteral("   Cadre = 1, 2, 3, 4"), 0), QStringLiteral("Cadre"));
  EXPECT_EQ(MotLigne(QStringLiteral("\t Cadre=1"), 0), QStringLiteral("Cadre"));
  EXPECT_EQ(MotLigne(QStringLiteral("If %a = 1 Then Goto Fin"), 0), QStringLiteral("If"));
  EXPECT_EQ(MotLigne(QStringLiteral("IfT %a = 1 Goto Fin"), 0), QStringLiteral("IfT"));
  EXPECT_EQ(MotLigne(QStringLiteral("If %a > 1 Goto Fin"), 0), QStringLiteral("If"));
  EXPECT_EQ(MotLigne(QStringLiteral("if %a = 1 Then Goto Fin"), 0), QStringLiteral("if %a"));
  EXPECT_EQ(MotLigne(QStringLiteral("%largeur = 25"), 0), QStringLiteral("%largeur"));
  EXPECT_EQ(MotLigne(QStringLiteral("= 3"), 0), QString());
  EXPECT_EQ(MotLigne(QStringLiteral("Stop"), 0), QStringLiteral("Stop"));

  const QString suite = QStringLiteral("Trait = 1, _") + CRLF + QStringLiteral("' 2") + CRLF +
                        QStringLiteral("Cercle = 3") + CRLF;
  EXPECT_EQ(MotLigne(suite, 1), QStringLiteral("SUITE")) << "a continued comment is a continuation";
  EXPECT_EQ(MotLigne(suite, 2), QStringLiteral("Cercle"));
  EXPECT_EQ(MotLigne(suite, 3), QString()) << "after the final line break";
  EXPECT_EQ(MotLigne(QStringLiteral("Trait = 1 _") + CRLF, 1), QStringLiteral("SUITE"));
}

class SyntaxHintsTest : public WindowFixture {
 protected:
  void ToucheEditeur(QEvent::Type type, int touche, Qt::KeyboardModifiers mod) {
    QKeyEvent evenement(type, touche, mod);
    QCoreApplication::sendEvent(&Ed(), &evenement);
  }
};

TEST_F(SyntaxHintsTest, TextOfTheKeywordInEachLanguage) {
  DefinitLangue(1);
  EXPECT_EQ(SyntaxeCommande(QStringLiteral("COM")), QStringLiteral("  ' Ligne de commentaire"));
  EXPECT_EQ(SyntaxeCommande(QString()), QStringLiteral("  Ligne sans commande"));
  EXPECT_TRUE(SyntaxeCommande(QStringLiteral("Elise")).startsWith(QStringLiteral("  Commande inconnue")));
  EXPECT_TRUE(SyntaxeCommande(QStringLiteral("ELSE")).startsWith(QStringLiteral("  Commande inconnue")));
  const QString cadre = SyntaxeCommande(QStringLiteral("Cadre"));
  EXPECT_TRUE(cadre.startsWith(QStringLiteral("Cadre[P] = x1"))) << cadre.toStdString();
  EXPECT_EQ(SyntaxeCommande(QStringLiteral("cadre")), cadre);
  EXPECT_EQ(SyntaxeCommande(QStringLiteral("CADREP")), cadre);
  EXPECT_EQ(SyntaxeCommande(QStringLiteral("%largeur")), TexteRes(248));
  EXPECT_TRUE(TexteRes(248).startsWith(QStringLiteral("%Variable =")));
  const QString coteFr = SyntaxeCommande(QStringLiteral("Cote"));
  EXPECT_FALSE(coteFr.isEmpty());

  DefinitLangue(2);
  EXPECT_EQ(SyntaxeCommande(QString()), QStringLiteral("  Line without command"));
  EXPECT_TRUE(SyntaxeCommande(QStringLiteral("Elise")).startsWith(QStringLiteral("  Unknown command")));
  EXPECT_TRUE(SyntaxeCommande(QStringLiteral("Cote")).contains(QStringLiteral("dimension text")));
  DefinitLangue(3);
  EXPECT_EQ(SyntaxeCommande(QStringLiteral("COM")), QStringLiteral("  ' Kommentarzeile"));
  EXPECT_TRUE(SyntaxeCommande(QStringLiteral("Cote")).contains(QStringLiteral("Maßtext")));
  DefinitLangue(4);
  EXPECT_EQ(SyntaxeCommande(QString()), QStringLiteral("  Línea sin comando"));
  EXPECT_TRUE(SyntaxeCommande(QStringLiteral("Cote")).contains(QStringLiteral("texto de cota")));
}

// A keyword row that names a text its language lacks shows another language's text, or none.
TEST(SyntaxHints, EveryTextAKeywordNamesExistsInEachLanguage) {
  struct Langue {
    const char* code;
    int base;
    bool masques;  // the language dialog offers its masks
  };
  const Langue langues[] = {{"fr", 0, true}, {"en", 400, true}, {"de", 800, true}, {"es", 1200, false}};
  const std::set<int> sujets = {2100, 2200, 2300, 2400, 2500, 2600, 2700, 2800, 2900, 3000, 3100, 3200};
  for (const MotCle& mot : MotsCles()) {
    SCOPED_TRACE(mot.Ecrit);
    for (const Langue& l : langues) {
      SCOPED_TRACE(l.code);
      EXPECT_TRUE(!mot.Syntaxe || TexteResExiste(l.base + mot.Syntaxe)) << "hint " << mot.Syntaxe;
      if (!l.masques) continue;
      for (int masque : {mot.Masque, mot.MasquePourcent}) {
        EXPECT_TRUE(!masque || TexteResExiste(l.base + masque)) << "mask " << masque;
      }
    }
    EXPECT_TRUE(!mot.Sujet || sujets.count(mot.Sujet)) << "topic " << mot.Sujet;
  }
  // The Spanish masks are never chosen: the French ones stand in.
  EXPECT_FALSE(TexteResExiste(1200 + 304));
}

TEST_F(SyntaxHintsTest, HintWindowFollowsTheCaretAndHidesOnKeyUp) {
  Demarre();
  DefinitLangue(1);
  Tape(QStringLiteral("Cadre = 1, 2, 3, 4") + CRLF + QStringLiteral("Trait = 1, 2") + CRLF +
       QStringLiteral("' fin"));
  EXPECT_EQ(FenetreAide(F()), nullptr);
  Ed().Modele().SetSelStart(24);
  ToucheEditeur(QEvent::KeyPress, Qt::Key_F2, Qt::AltModifier);
  Form2* fenetre = FenetreAide(F());
  ASSERT_NE(fenetre, nullptr);
  EXPECT_TRUE(fenetre->isVisible());
  EXPECT_TRUE(fenetre->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
  EXPECT_EQ(TexteAide, CRLF + SyntaxeCommande(QStringLiteral("TRAIT")));
  EXPECT_EQ(fenetre->TexteAffiche(), TexteAide);
  EXPECT_TRUE(prompter_.Messages().empty()) << "no 'not available' message";
  EXPECT_GE(fenetre->x(), F().geometry().left()) << "never left of the main window";

  ToucheEditeur(QEvent::KeyRelease, Qt::Key_F2, Qt::AltModifier);
  EXPECT_FALSE(fenetre->isVisible());
  EXPECT_TRUE(fenetre->TexteAffiche().isEmpty());

  // The next hint is the one of the line the caret has moved to; moving the caret hides it.
  Ed().Modele().SetSelStart(34);
  ToucheEditeur(QEvent::KeyPress, Qt::Key_F2, Qt::AltModifier);
  EXPECT_EQ(FenetreAide(F()), fenetre) << "the window is kept";
  EXPECT_TRUE(fenetre->isVisible());
  EXPECT_EQ(fenetre->TexteAffiche(), CRLF + QStringLiteral("  ' Ligne de commentaire"));
  // Left of the editor with a 5 mm gap, 5 mm wider than the text.
  const double pixelsParMm = 1.0 / fenetre->MmParPixel;
  const int bordEditeur = Ed().mapToGlobal(QPoint(0, 0)).x();
  EXPECT_NEAR(fenetre->geometry().right() + 1, bordEditeur - 5 * pixelsParMm, 1.5);
  const QFontMetricsF mesure(fenetre->font());
  EXPECT_NEAR(fenetre->width(),
              mesure.horizontalAdvance(QStringLiteral("  ' Ligne de commentaire")) + 5 * pixelsParMm, 1.5);
  EXPECT_NEAR(fenetre->height(), 2 * mesure.lineSpacing() + 5 * pixelsParMm, 1.5);
  EXPECT_NEAR(fenetre->geometry().center().y(), F().geometry().center().y(), 1.5);

  ToucheEditeur(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
  ToucheEditeur(QEvent::KeyRelease, Qt::Key_Up, Qt::NoModifier);
  EXPECT_FALSE(fenetre->isVisible());

  Ed().Modele().SetSelStart(2);
  DefinitLangue(2);
  ToucheEditeur(QEvent::KeyPress, Qt::Key_F2, Qt::AltModifier);
  EXPECT_EQ(fenetre->TexteAffiche(), CRLF + TexteRes(400 + 204));
}

// Where the desktop takes Alt+F2: the Help menu's entry and its key show the same hint, which
// stays up through the releases of the keys held and goes at the next key or click.
TEST_F(SyntaxHintsTest, TheHelpEntryAndItsKeyShowTheHintUntilTheNextKeyOrClick) {
  Demarre();
  DefinitLangue(1);
  Tape(QStringLiteral("Cadre = 1, 2, 3, 4") + CRLF + QStringLiteral("Trait = 1, 2"));
  Ed().Modele().SetSelStart(24);
  const QString texte = Ed().Modele().Text();
  QAction* entree = F().Menus().Action(QStringLiteral("Mnu_SyntaxeLigne"));
  ASSERT_NE(entree, nullptr);
  EXPECT_EQ(entree->text(), QStringLiteral("Syntaxe de cette &ligne"));
  EXPECT_EQ(entree->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));

  CliqueMenu(QStringLiteral("Mnu_Help"), QStringLiteral("Mnu_SyntaxeLigne"));
  Form2* fenetre = FenetreAide(F());
  ASSERT_NE(fenetre, nullptr);
  EXPECT_TRUE(fenetre->isVisible());
  EXPECT_EQ(fenetre->TexteAffiche(), CRLF + SyntaxeCommande(QStringLiteral("TRAIT")));
  QTest::keyRelease(FenetreActive(), Qt::Key_Alt, Qt::NoModifier);
  EXPECT_TRUE(fenetre->isVisible()) << "a key let go does not hide it";
  Clavier(Qt::Key_Up);
  EXPECT_FALSE(fenetre->isVisible()) << "the next key does";
  EXPECT_EQ(Ed().Modele().Text(), texte);

  // Ctrl+Shift+L on the caret's line, the Cadre line now; let go key by key, then a click.
  QWindow* w = FenetreActive();
  QTest::keyPress(w, Qt::Key_Control, Qt::NoModifier);
  QTest::keyPress(w, Qt::Key_Shift, Qt::ControlModifier);
  QTest::keyPress(w, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(fenetre->isVisible());
  EXPECT_EQ(fenetre->TexteAffiche(), CRLF + SyntaxeCommande(QStringLiteral("CADRE")));
  QTest::keyRelease(w, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
  QTest::keyRelease(w, Qt::Key_Shift, Qt::ControlModifier);
  QTest::keyRelease(w, Qt::Key_Control, Qt::NoModifier);
  EXPECT_TRUE(fenetre->isVisible());
  EXPECT_EQ(Ed().Modele().Text(), texte) << "the key types nothing";
  QTest::mouseClick(Ed().viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_FALSE(fenetre->isVisible());

  // Alt+F2 keeps its way: the hint goes with the key.
  ToucheEditeur(QEvent::KeyPress, Qt::Key_F2, Qt::AltModifier);
  EXPECT_TRUE(fenetre->isVisible());
  ToucheEditeur(QEvent::KeyRelease, Qt::Key_F2, Qt::AltModifier);
  EXPECT_FALSE(fenetre->isVisible());
}

}  // namespace
