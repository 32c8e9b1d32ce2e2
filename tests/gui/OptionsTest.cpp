#include <QAction>

#include "WindowFixture.h"
#include "platform/StringTable.h"
#include "shell/Config.h"
#include "shell/Menus.h"
#include "shell/Options.h"

namespace {

using OptionsTest = WindowFixture;

TEST(PatchsTest, PromptAndAnswers) {
  const QString suite = QStringLiteral("\r\n\r\n") + TexteMsg(122);
  EXPECT_EQ(InvitePatchs(5), QStringLiteral("Patchs actifs :  1, 3") + suite);
  EXPECT_EQ(InvitePatchs(0), QStringLiteral("Patchs actifs :") + suite);
  EXPECT_TRUE(InvitePatchs(16384).startsWith(QStringLiteral("Patchs actifs :  15\r\n")));

  int16_t p = 0;
  EXPECT_EQ(ReponsePatch(QStringLiteral("15"), p), SuitePatch::Applique);
  EXPECT_EQ(p, 16384);
  EXPECT_EQ(ReponsePatch(QStringLiteral("2.5"), p), SuitePatch::Applique);
  EXPECT_EQ(p, 16384 + 2) << "2.5 rounds to 2";
  EXPECT_EQ(ReponsePatch(QStringLiteral("-4"), p), SuitePatch::Applique);
  EXPECT_EQ(p, 16386) << "clearing a patch that is not active changes nothing";
  EXPECT_EQ(ReponsePatch(QStringLiteral("-2"), p), SuitePatch::Applique);
  EXPECT_EQ(p, 16384);
  EXPECT_EQ(ReponsePatch(QStringLiteral("-20"), p), SuitePatch::Applique);
  EXPECT_EQ(p, 16384);
  for (const char* faux : {"16", "0", "abc", "0.4", "70000", "-40000", "1e999"}) {
    EXPECT_EQ(ReponsePatch(QString::fromLatin1(faux), p), SuitePatch::Redemande) << faux;
  }
  EXPECT_EQ(ReponsePatch(QString(), p), SuitePatch::Fin);
  EXPECT_EQ(p, 16384);

  DecodePatchs(-1);
  for (int k = 0; k <= 13; ++k) EXPECT_TRUE(Patch[k]) << k;
  EXPECT_FALSE(Patch[14]);
  DecodePatchs(16384);
  EXPECT_FALSE(Patch[14]) << "patch 15 is never decoded";
  EXPECT_FALSE(Patch[0]);
  DecodePatchs(0);
}

TEST_F(OptionsTest, PatchesCommandAsksAgainThenWrites) {
  Demarre();
  prompter_.AjouteReponse(QStringLiteral("16"));
  prompter_.AjouteReponse(QStringLiteral("3"));
  F().Menus().Action(QStringLiteral("Mnu_Patchs"))->trigger();
  EXPECT_EQ(prompter_.Journal().size(), 2) << prompter_.Journal().join(u'\n').toStdString();
  EXPECT_EQ(Patchs, 4);
  EXPECT_TRUE(Patch[2]);
  EXPECT_TRUE(LitOctets(CheminConfig()).contains("\r\nPatchs = 4\r\n"));

  // Cancel changes nothing.
  prompter_.Efface();
  F().Menus().Action(QStringLiteral("Mnu_Patchs"))->trigger();
  EXPECT_EQ(prompter_.Journal().size(), 1);
  EXPECT_EQ(Patchs, 4);
  DecodePatchs(0);
}

TEST_F(OptionsTest, DoubleClickIsToggledAndWrittenAtClosing) {
  Demarre();
  QAction* dbl = F().Menus().Action(QStringLiteral("Mnu_DblClick"));
  EXPECT_FALSE(dbl->isChecked());
  dbl->trigger();
  EXPECT_TRUE(dbl->isChecked());
  EXPECT_TRUE(DoubleClic);
  EXPECT_TRUE(LitOctets(CheminConfig()).contains("DoubleClic = Non")) << "nothing is written at once";
  F().close();
  EXPECT_TRUE(LitOctets(CheminConfig()).contains("DoubleClic = Oui"));
}

}  // namespace
