#include <QAction>
#include <QRadioButton>

#include "WindowFixture.h"
#include "shell/LanguageDialog.h"
#include "shell/Languages.h"
#include "shell/Menus.h"

namespace {

class LanguageDialogTest : public WindowFixture {
 protected:
  void TearDown() override {
    DefinitDialogueLangues(nullptr);
    WindowFixture::TearDown();
  }
  // The keys as the configuration holds them.
  QByteArray Config() { return LitOctets(FichierXdg()); }
};

TEST_F(LanguageDialogTest, ChoicesApplyAtOnceAndCascade) {
  PrepareConfig();
  ModeleLangues modele(Programme());
  modele.Charge();
  EXPECT_EQ(NumLangue, 1);
  EXPECT_EQ(NumLangueMenu, 1);
  EXPECT_EQ(NumLangueAide, 1);
  EXPECT_EQ(NumLangueMasq, 1);
  EXPECT_EQ(modele.Nombre(), 4);
  for (int g = 1; g <= 4; ++g) EXPECT_EQ(modele.Choix(g), 1);
  for (int i = 1; i <= 4; ++i) {
    EXPECT_TRUE(modele.Actif(1, i));
    EXPECT_TRUE(modele.Actif(2, i));
    EXPECT_FALSE(modele.Actif(3, i)) << "no help files: no set-up language is offered";
  }
  EXPECT_TRUE(modele.Actif(4, 3));
  EXPECT_FALSE(modele.Actif(4, 4)) << "the Spanish block has no masks";
  EXPECT_FALSE(modele.Actif(1, 5)) << "the fifth block, whose notes read \"Not available\", is never offered";
  EXPECT_EQ(modele.Note(1, 5), QStringLiteral("Not available"));

  // Spanish messages: menus follow, set-up texts keep theirs (no help file), masks stay French.
  modele.Clique(1, 4);
  EXPECT_EQ(NumLangue, 4);
  EXPECT_EQ(BaseLangue, 1200);
  EXPECT_EQ(Shell.BaseLangue, 1200);
  EXPECT_EQ(NumLangueMenu, 4);
  EXPECT_EQ(BaseLangueMenu, 1200);
  EXPECT_EQ(NumLangueAide, 1);
  EXPECT_EQ(NumLangueMasq, 1);
  EXPECT_EQ(BaseLangueMasq, 0);
  EXPECT_EQ(modele.Choix(4), 1);

  // A mask language changes the masks only; a disabled option cannot be chosen.
  modele.Clique(4, 3);
  EXPECT_EQ(BaseLangueMasq, 800);
  EXPECT_EQ(NumLangue, 4);
  modele.Clique(4, 4);
  EXPECT_EQ(NumLangueMasq, 3);
  modele.Clique(3, 2);
  EXPECT_EQ(NumLangueAide, 1);

  // With help files, the set-up language follows the menus.
  EcritOctets(Programme() + QStringLiteral("/Morvo_fr.chm"), "x");
  EcritOctets(Programme() + QStringLiteral("/MORVO_EN.html"), "x");
  ModeleLangues avecAide(Programme());
  avecAide.Charge();
  EXPECT_TRUE(avecAide.Actif(3, 1));
  EXPECT_TRUE(avecAide.Actif(3, 2));
  EXPECT_FALSE(avecAide.Actif(3, 3));
  EXPECT_EQ(avecAide.Choix(1), 4) << "the loading selects the current languages";
  avecAide.Clique(2, 2);
  EXPECT_EQ(NumLangueMenu, 2);
  EXPECT_EQ(NumLangueAide, 2);
  EXPECT_EQ(NumLangueMasq, 2);
  EXPECT_EQ(NumLangue, 4) << "a menu language leaves the messages";
}

TEST_F(LanguageDialogTest, OkStoresTheChoicesAndCopiesTheTemplate) {
  PrepareConfig();
  ASSERT_TRUE(CreeConfigDefaut());
  EcritOctets(Programme() + QStringLiteral("/Morvo_en.DaN"), "Trait 0,0,10,10\r\n%Z = 1");
  EcritOctets(Programme() + QStringLiteral("/Morvo_de.DaN"), "abc");
  ModeleLangues modele(Programme());
  modele.Charge();
  modele.Clique(1, 2);
  modele.Clique(2, 3);
  modele.Valide();
  const QByteArray texte = Config();
  EXPECT_TRUE(
      texte.contains("\r\nLangue = English\r\nLangueMenu = Deutsch\r\nLangueAide = Fran\xe7"
                     "ais\r\nLangueMasq = Deutsch\r\nFichierDat"))
      << texte.constData();
  EXPECT_EQ(FichierAideAppli, Programme() + QStringLiteral("/Morvo_de.chm"));
  EXPECT_EQ(LitOctets(DossierXdg() + QStringLiteral("/Morvo.DaN")), QByteArray("Trait 0,0,10,10\r\n%Z = 1"));

  // A template of 5 characters or fewer is not copied; a missing one is skipped.
  modele.Clique(1, 3);
  modele.Valide();
  EXPECT_EQ(LitOctets(DossierXdg() + QStringLiteral("/Morvo.DaN")), QByteArray("Trait 0,0,10,10\r\n%Z = 1"));
  EXPECT_FALSE(CopieModeleLangue(Programme(), QStringLiteral("es")));
  EXPECT_TRUE(Config().contains("\r\nLangue = Deutsch\r\n"));
}

TEST_F(LanguageDialogTest, TheWindowShowsTheModel) {
  PrepareConfig();
  ModeleLangues modele(Programme());
  modele.Charge();
  Form3 fenetre(modele);
  EXPECT_EQ(fenetre.windowTitle(), QStringLiteral(" Morvo Language"));
  ASSERT_NE(fenetre.Option(1, 4), nullptr);
  EXPECT_EQ(fenetre.Option(1, 4)->text(), QStringLiteral("Castellano"));
  EXPECT_EQ(fenetre.Option(1, 5), nullptr);
  EXPECT_FALSE(fenetre.Option(4, 4)->isEnabled());
  EXPECT_TRUE(fenetre.Option(1, 1)->isChecked());
  fenetre.Option(1, 2)->click();
  EXPECT_EQ(NumLangue, 2);
  EXPECT_TRUE(fenetre.Option(2, 2)->isChecked()) << "the cascade shows in the other frames";
  EXPECT_TRUE(fenetre.Option(4, 2)->isChecked());
  EXPECT_TRUE(fenetre.Option(3, 1)->isChecked());
  EXPECT_FALSE(fenetre.Option(1, 1)->isChecked());

  // Closing the main window (the session ending) closes the dialog as its close box does.
  QWidget principale;
  principale.show();
  Form3 dialogue(modele, &principale);
  dialogue.open();
  ASSERT_TRUE(dialogue.isVisible());
  principale.close();
  EXPECT_FALSE(dialogue.isVisible());
  EXPECT_EQ(dialogue.result(), QDialog::Rejected);
}

TEST_F(LanguageDialogTest, FirstStartShowsTheDialogAndTheMenuEntryOpensIt) {
  int appels = 0;
  DefinitDialogueLangues([&appels](ModeleLangues& modele, QWidget*) {
    ++appels;
    modele.Clique(1, 2);
    return true;
  });
  Demarre();
  EXPECT_EQ(appels, 1);
  EXPECT_EQ(NumLangue, 2);
  EXPECT_TRUE(Config().contains("\r\nLangue = English\r\nLangueMenu = English\r\n"));
  EXPECT_EQ(F().Menus().Action(QStringLiteral("Mnu_Ouvrir"))->text(), QStringLiteral("&Open"));

  // The next start asks nothing.
  fenetre_.reset();
  Raz();
  Demarre();
  EXPECT_EQ(appels, 1);

  // The menu entry; the close box writes nothing but the menus still follow the menu language.
  DefinitDialogueLangues([&appels](ModeleLangues& modele, QWidget*) {
    ++appels;
    modele.Clique(2, 3);
    return false;
  });
  F().Menus().Action(QStringLiteral("Mnu_Langue"))->trigger();
  EXPECT_EQ(appels, 2);
  EXPECT_EQ(NumLangueMenu, 3);
  EXPECT_EQ(F().Menus().Action(QStringLiteral("Mnu_Ouvrir"))->text(), TexteMenu(11));
  EXPECT_NE(TexteMenu(11), QStringLiteral("&Open"));
  EXPECT_TRUE(Config().contains("\r\nLangueMenu = English\r\n"));
  EXPECT_TRUE(prompter_.Messages().empty());
}

TEST_F(LanguageDialogTest, TheCaptionAndTheAboutBoxFollowTheMessageLanguage) {
  Demarre();
  ASSERT_TRUE(F().windowTitle().endsWith(QStringLiteral("   Fichier: "))) << F().windowTitle().toStdString();
  DefinitDialogueLangues([](ModeleLangues& modele, QWidget*) {
    modele.Clique(1, 2);
    return true;
  });
  ChoisitMenu(u'o', u'l');
  ASSERT_EQ(NumLangue, 2);
  EXPECT_TRUE(F().windowTitle().endsWith(QStringLiteral("   File: "))) << F().windowTitle().toStdString();
  ChoisitMenu(u'h', u'm');
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  const QString apropos = prompter_.Messages()[0].texte;
  EXPECT_TRUE(apropos.contains(QStringLiteral("\r\nAuthor: \r\nThe authors of Morvo, its contributors\r\n")))
      << apropos.toStdString();
}

TEST_F(LanguageDialogTest, ClosedAtFirstStartItIsShownAgain) {
  int appels = 0;
  DefinitDialogueLangues([&appels](ModeleLangues&, QWidget*) {
    ++appels;
    return false;
  });
  Demarre();
  EXPECT_TRUE(Config().contains("\r\nLangue =\r\n"));
  fenetre_.reset();
  Raz();
  Demarre();
  EXPECT_EQ(appels, 2);
}

}  // namespace
