#include <QAction>
#include <QUrl>

#include "WindowFixture.h"
#include "editor/ContextHelp.h"
#include "platform/EditorText.h"
#include "shell/Help.h"
#include "shell/Languages.h"
#include "shell/Menus.h"
#include "values/Levels.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

QString Mot(const QString& texte, int caret, int selection = 0) {
  EditeurDocument editeur;
  editeur.SetText(texte);
  editeur.SetSelStart(caret);
  editeur.SetSelLength(selection);
  return MotCurseur(editeur);
}

TEST(ContextHelp, WordAroundTheCaret) {
  const QString texte = QStringLiteral("Cadre = 1, 2, 3, 4") + CRLF + QStringLiteral("Trait = %x,'a") + CRLF;
  EXPECT_EQ(Mot(texte, 3), QStringLiteral("Cadre"));
  EXPECT_EQ(Mot(texte, 0), QStringLiteral("Cadre"));
  EXPECT_EQ(Mot(texte, 5), QStringLiteral("Cadre"));
  EXPECT_EQ(Mot(texte, 6), QStringLiteral("=")) << "right after the blank: the character after the caret";
  EXPECT_EQ(Mot(texte, 18), QStringLiteral("4"));
  EXPECT_EQ(Mot(texte, 22), QStringLiteral("Trait"));
  EXPECT_EQ(Mot(texte, 29), QStringLiteral("%x"));
  EXPECT_EQ(Mot(texte, 32), QStringLiteral("a"));
  EXPECT_EQ(Mot(QStringLiteral("Cadre = ") + CRLF + QStringLiteral("X"), 8), QStringLiteral(" "))
      << "an empty word before the line break";
  EXPECT_EQ(Mot(QString(), 0), QString());
  EXPECT_EQ(Mot(texte, 0, 6), QStringLiteral("Cadre ")) << "the selection, unchanged";

  const QString ancien = Lecture.SepParam;
  Lecture.SepParam = QStringLiteral(";");
  EXPECT_EQ(Mot(QStringLiteral("Trait = a;Cercle;b,c"), 12), QStringLiteral("Cercle"));
  EXPECT_EQ(Mot(QStringLiteral("Trait = a;Cercle;b,c"), 18), QStringLiteral("b,c"));
  Lecture.SepParam = ancien;
  EXPECT_EQ(Mot(QStringLiteral("Trait = a;Cercle;b,c"), 18), QStringLiteral("a;Cercle;b"));
}

TEST(ContextHelp, TopicOfTheWord) {
  EXPECT_EQ(SujetAideMot(QStringLiteral("Cadre")), 2300);
  EXPECT_EQ(SujetAideMot(QStringLiteral("cadrep")), 2300);
  EXPECT_EQ(SujetAideMot(QStringLiteral("Cadre ")), 5000);
  EXPECT_EQ(SujetAideMot(QStringLiteral("=")), 5000);
  EXPECT_EQ(SujetAideMot(QStringLiteral(" ")), 5000);
  EXPECT_EQ(SujetAideMot(QString()), 5000);
  EXPECT_EQ(SujetAideMot(QStringLiteral("CentreEI")), 2100);
  EXPECT_EQ(SujetAideMot(QStringLiteral("+")), 2200);
  EXPECT_EQ(SujetAideMot(QStringLiteral("Texte")), 2400);
  EXPECT_EQ(SujetAideMot(QStringLiteral("AngRot")), 2500);
  EXPECT_EQ(SujetAideMot(QStringLiteral("NPage")), 2600);
  EXPECT_EQ(SujetAideMot(QStringLiteral("Bezier_aGr")), 2700);
  EXPECT_EQ(SujetAideMot(QStringLiteral("LVar")), 2800);
  EXPECT_EQ(SujetAideMot(QStringLiteral("!")), 2900);
  EXPECT_EQ(SujetAideMot(QStringLiteral("!Fin")), 2900);
  EXPECT_EQ(SujetAideMot(QStringLiteral("?")), 3000);
  EXPECT_EQ(SujetAideMot(QStringLiteral("Cote")), 3100);
  EXPECT_EQ(SujetAideMot(QStringLiteral("Fichier")), 3200);
  EXPECT_EQ(SujetAideMot(QStringLiteral("%largeur")), 2500);
  EXPECT_EQ(SujetAideMot(QStringLiteral("mce_Trou")), 3200);
  EXPECT_EQ(SujetAideMot(QStringLiteral("Trou")), 5000);
  EXPECT_EQ(SujetAideMot(QStringLiteral("Bezier")), 5000);
  EXPECT_EQ(SujetAideMot(QStringLiteral("EndIf")), 5000);
}

class ContextHelpTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    DefinitOuvreurUrl([this](const QUrl& url) {
      Ouverts << url;
      return true;
    });
  }
  void TearDown() override {
    DefinitOuvreurUrl(nullptr);
    WindowFixture::TearDown();
  }
  QList<QUrl> Ouverts;
};

TEST_F(ContextHelpTest, MenuEntryOpensTheTopicInTheMenuLanguage) {
  Demarre();
  EcritOctets(Programme() + QStringLiteral("/Morvo_en.html"), "<html>");
  DefinitLangueMenu(2);
  Tape(QStringLiteral("Trait = 1, 2") + CRLF + QStringLiteral("Cadre = 1, 2, 3, 4"));
  Ed().Modele().SetSelStart(17);
  QAction* action = F().Menus().Action(QStringLiteral("Mnu_AideMot"));
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F1));
  action->trigger();
  ASSERT_EQ(Ouverts.size(), 1);
  EXPECT_EQ(Ouverts[0].toLocalFile(), Programme() + QStringLiteral("/Morvo_en.html"));
  EXPECT_EQ(Ouverts[0].fragment(), QStringLiteral("2300"));
  EXPECT_TRUE(prompter_.Messages().empty());

  DefinitLangueMenu(3);
  action->trigger();
  EXPECT_EQ(Ouverts.size(), 1);
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(prompter_.Messages()[0].texte.endsWith(QStringLiteral("Morvo_de.chm")));
}

}  // namespace
