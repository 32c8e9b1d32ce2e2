#include <QLabel>
#include <QRadioButton>
#include <QUrl>

#include "WindowFixture.h"
#include "platform/StringTable.h"
#include "shell/Help.h"
#include "shell/Languages.h"
#include "shell/TermsDialog.h"

namespace {

class TermsDialogTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    DefinitOuvreurUrl([this](const QUrl& url) {
      Ouverts << url;
      return true;
    });
  }
  void TearDown() override {
    DefinitDialogueConditions(nullptr);
    DefinitOuvreurUrl(nullptr);
    WindowFixture::TearDown();
  }
  // A start without the fixture's expectation of success.
  bool DemarreFenetre() {
    fenetre_ = std::make_unique<FenetrePrincipale>();
    return fenetre_->Demarre({}, Programme());
  }
  QList<QUrl> Ouverts;
};

TEST_F(TermsDialogTest, AskedOnlyOfAnInstalledCopy) {
  EXPECT_FALSE(ConditionsADemander(Programme()));
  EcritOctets(Programme() + QStringLiteral("/st6unst.LOG"), "log");
  EXPECT_TRUE(ConditionsADemander(Programme()));

  // Without an installer log the first start asks no terms.
  int demandes = 0;
  DefinitDialogueConditions([&demandes](ModeleConditions&) { ++demandes; });
  QFile::remove(Programme() + QStringLiteral("/st6unst.LOG"));
  EXPECT_TRUE(DemarreFenetre());
  EXPECT_EQ(demandes, 0);
  EXPECT_TRUE(ConditionsAcceptees);
}

TEST_F(TermsDialogTest, RefusalRemovesTheConfigurationAndEndsTheProgram) {
  EcritOctets(Programme() + QStringLiteral("/ST6UNST.Log"), "log");
  EcritOctets(Programme() + QStringLiteral("/Morvo_fr.DaN"), "Trait 0,0,5,5\r\n");
  EcritOctets(Programme() + QStringLiteral("/Morvo_fr.html"), "<html></html>");
  QString texte;
  DefinitDialogueConditions([&texte](ModeleConditions& modele) {
    texte = modele.Conditions;
    EXPECT_FALSE(ConditionsAcceptees);
    EXPECT_FALSE(modele.AccepteChoisi) << "the refusal is preselected";
    modele.Valide();
  });
  EXPECT_FALSE(DemarreFenetre());
  EXPECT_EQ(texte, TexteRes(167));
  EXPECT_FALSE(ConditionsAcceptees);
  EXPECT_FALSE(QFile::exists(FichierXdg()));
  EXPECT_FALSE(QFile::exists(DossierXdg() + QStringLiteral("/Morvo.DaN")));
  EXPECT_FALSE(QDir(DossierXdg()).exists()) << "the emptied folder is removed";
  ASSERT_EQ(Ouverts.size(), 1) << "the terms page opens beside the dialog";
  EXPECT_EQ(Ouverts[0].fragment(), QStringLiteral("7000"));

  // A folder that still holds other files stays.
  Ouverts.clear();
  Raz();
  fenetre_.reset();
  EcritOctets(DossierXdg() + QStringLiteral("/autre.txt"), "x");
  EXPECT_FALSE(DemarreFenetre());
  EXPECT_FALSE(QFile::exists(FichierXdg()));
  EXPECT_TRUE(QFile::exists(DossierXdg() + QStringLiteral("/autre.txt")));
}

TEST_F(TermsDialogTest, AcceptanceGoesOnAndOpensTheTermsPageAgain) {
  EcritOctets(Programme() + QStringLiteral("/ST6UNST.Log"), "log");
  EcritOctets(Programme() + QStringLiteral("/Morvo_fr.html"), "<html></html>");
  DefinitDialogueConditions([](ModeleConditions& modele) {
    modele.AccepteChoisi = true;
    modele.Valide();
  });
  EXPECT_TRUE(DemarreFenetre());
  EXPECT_TRUE(ConditionsAcceptees);
  EXPECT_TRUE(QFile::exists(FichierXdg()));
  EXPECT_EQ(Ouverts.size(), 2);
}

TEST_F(TermsDialogTest, TheWindowCountsEveryClosingAsOk) {
  DefinitLangue(2);
  ModeleConditions modele;
  modele.Active();
  EXPECT_EQ(modele.Accepte, QStringLiteral("I accept the terms of the licence"));
  EXPECT_EQ(modele.Invite, TexteRes(569));
  int aides = 0;
  {
    Form6 dialogue(modele, [&aides] { ++aides; });
    EXPECT_TRUE(dialogue.Option2()->isChecked());
    dialogue.show();
    const auto* titre = dialogue.findChild<QLabel*>(QStringLiteral("Text1"));
    ASSERT_NE(titre, nullptr);
    EXPECT_TRUE(titre->isVisible());
    EXPECT_EQ(titre->text(), QStringLiteral("Terms of use"));
    EXPECT_EQ(aides, 1);
    dialogue.close();
    EXPECT_FALSE(ConditionsAcceptees) << "closing with the refusal selected refuses";
  }
  {
    modele.Active();
    Form6 dialogue(modele, {});
    dialogue.show();
    dialogue.Option1()->click();
    dialogue.close();
    EXPECT_TRUE(ConditionsAcceptees) << "closing with the acceptance selected accepts";
  }
}

}  // namespace
