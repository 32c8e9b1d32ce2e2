#include <gtest/gtest.h>

#include "platform/Host.h"
#include "platform/Prompter.h"

namespace {

TEST(PrompterTest, MessageBoxesTakeQueuedAnswersThatAreTheirButtons) {
  ScriptedPrompter p;
  p.AjouteReponse(QStringLiteral("no"));
  p.AjouteReponse(QStringLiteral("bogus"));
  p.AjouteReponse(QStringLiteral("Cancel"));
  p.AjouteReponse(QStringLiteral("YES"));
  EXPECT_EQ(p.MsgBox(QStringLiteral("?"), Boutons::OuiNon, QStringLiteral("T")), Reponse::Non);
  EXPECT_EQ(p.MsgBox(QStringLiteral("?"), Boutons::Ok, QString()), Reponse::Ok);
  EXPECT_EQ(p.MsgBox(QStringLiteral("?"), Boutons::OkAnnuler, QString()), Reponse::Annuler);
  EXPECT_EQ(p.MsgBox(QStringLiteral("?"), Boutons::OkAnnuler, QString()), Reponse::Ok);
  EXPECT_EQ(p.MsgBox(QStringLiteral("?"), Boutons::OuiNonAnnuler, QString()), Reponse::Oui);
  EXPECT_EQ(p.MsgBox(QStringLiteral("?"), Boutons::OkAnnuler, QString()), Reponse::Ok);
  ASSERT_EQ(p.Messages().size(), 6u);
  EXPECT_EQ(p.Messages()[0].titre, QStringLiteral("T"));
  EXPECT_EQ(p.Messages()[0].boutons, Boutons::OuiNon);
  EXPECT_EQ(p.Messages()[2].reponse, Reponse::Annuler);
  EXPECT_EQ(p.Journal()[0], QStringLiteral("message \"T\" \"?\" YESNO -> NO"));
  EXPECT_EQ(p.Journal()[4], QStringLiteral("message \"\" \"?\" YESNOCANCEL -> YES"));
}

TEST(PrompterTest, InputBoxesAreCancelledWithoutAnAnswer) {
  ScriptedPrompter p;
  p.AjouteReponse(QStringLiteral("42"));
  p.AjouteReponse(QStringLiteral("$Cancel$"));
  p.AjouteReponse(QString());
  EXPECT_EQ(p.InputBox(QStringLiteral("Value?"), QStringLiteral("T"), QStringLiteral("7")),
            std::optional<QString>(QStringLiteral("42")));
  EXPECT_EQ(p.InputBox(QStringLiteral("Value?"), QString(), QString()), std::nullopt);
  EXPECT_EQ(p.InputBox(QStringLiteral("Value?"), QString(), QString()), std::optional<QString>(QString()));
  EXPECT_EQ(p.InputBox(QStringLiteral("Value?"), QString(), QString()), std::nullopt);
  const QStringList attendu = {
      QStringLiteral("input \"Value?\" \"7\" -> \"42\""),
      QStringLiteral("input \"Value?\" \"\" -> CANCEL"),
      QStringLiteral("input \"Value?\" \"\" -> \"\""),
      QStringLiteral("input \"Value?\" \"\" -> CANCEL"),
  };
  EXPECT_EQ(p.Journal(), attendu);
  EXPECT_TRUE(p.Messages().empty());
  p.Efface();
  EXPECT_TRUE(p.Journal().isEmpty());
}

TEST(PrompterTest, JournalQuotesEscapeTheirText) {
  EXPECT_EQ(CiteJournal(QStringLiteral("a \"b\" C:\\d\r\n\te§")),
            QStringLiteral("\"a \\\"b\\\" C:\\\\d\\r\\n\\te§\""));
  ScriptedPrompter p;
  p.MsgBox(QStringLiteral("Line 1\r\nLine \"2\""), Boutons::OkAnnuler, QStringLiteral("Err"));
  EXPECT_EQ(p.Journal().last(),
            QStringLiteral("message \"Err\" \"Line 1\\r\\nLine \\\"2\\\"\" OKCANCEL -> OK"));
}

TEST(PrompterTest, TheInstalledPrompterAndHost) {
  ScriptedPrompter mien;
  Prompter& defaut = Dialogues();
  EXPECT_NE(dynamic_cast<ScriptedPrompter*>(&defaut), nullptr);
  DefinitDialogues(&mien);
  EXPECT_EQ(&Dialogues(), &mien);
  DefinitDialogues(nullptr);
  EXPECT_EQ(&Dialogues(), &defaut);

  Shell.ZoomCourant = 3;
  Shell.CmdExternes << QStringLiteral("X");
  RunShell.AideApresRun = true;
  RazValeursShell();
  EXPECT_EQ(Shell.ZoomCourant, 1.0f);
  EXPECT_TRUE(Shell.CmdExternes.isEmpty());
  EXPECT_FALSE(RunShell.AideApresRun);
}

}  // namespace
