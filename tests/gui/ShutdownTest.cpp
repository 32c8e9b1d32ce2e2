#include <gtest/gtest.h>

#include "ConfigFixture.h"
#include "platform/StringTable.h"
#include "shell/Config.h"
#include "shell/Shutdown.h"
#include "shell/Startup.h"

namespace {

class ShutdownTest : public ConfigFixture {
 protected:
  void SetUp() override {
    ConfigFixture::SetUp();
    PrepareConfig();
    ASSERT_TRUE(CreeConfigDefaut());
    defaut_ = LitOctets(FichierXdg());
    ConditionsAcceptees = true;
    journal_ = Depart() + u'/' + NomJournalDessin;
    EcritOctets(journal_, "'X;Y\r\n1;2\r\n");
  }

  EtatFermeture Modifie() const {
    EtatFermeture e;
    e.TexteVide = false;
    e.Modifie = true;
    e.FichierCourant = QStringLiteral("/home/u/Mon Dessin.dat");
    e.DoubleClic = true;
    e.JournalDessin = journal_;
    return e;
  }

  // A save that counts its calls and answers as told.
  std::function<bool()> Sauve(bool reussit) {
    return [this, reussit] {
      ++sauvegardes_;
      return reussit;
    };
  }

  QByteArray defaut_;
  QString journal_;
  int sauvegardes_ = 0;
};

TEST_F(ShutdownTest, CancelOrAFailedSaveKeepsTheWindowAndTheJournal) {
  prompter_.AjouteReponse(QStringLiteral("CANCEL"));
  EXPECT_FALSE(AccepteFermeture(Modifie(), Sauve(true)));
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, TexteMsg(118));
  EXPECT_EQ(prompter_.Messages()[0].boutons, Boutons::OuiNonAnnuler);
  EXPECT_TRUE(prompter_.Messages()[0].titre.isEmpty());
  EXPECT_EQ(sauvegardes_, 0);

  prompter_.AjouteReponse(QStringLiteral("YES"));
  EXPECT_FALSE(AccepteFermeture(Modifie(), Sauve(false)));
  EXPECT_EQ(sauvegardes_, 1);
  EXPECT_FALSE(AccepteFermeture(Modifie(), nullptr)) << "no way to save counts as a failed save";

  EXPECT_TRUE(QFile::exists(journal_));
  EXPECT_EQ(LitOctets(FichierXdg()), defaut_);
}

TEST_F(ShutdownTest, GoingAheadWritesTheLastFileAndDeletesTheJournal) {
  prompter_.AjouteReponse(QStringLiteral("YES"));
  QDir::setCurrent(Programme());
  EcritOctets(Programme() + u'/' + NomJournalDessin, "other");
  EXPECT_TRUE(AccepteFermeture(Modifie(), Sauve(true)));
  EXPECT_EQ(sauvegardes_, 1);
  const QByteArray ecrit = LitOctets(FichierXdg());
  EXPECT_TRUE(ecrit.contains("\r\nFichierDat =/home/u/Mon Dessin.dat\r\nDoubleClic = Oui\r\n"));
  EXPECT_FALSE(QFile::exists(journal_));
  EXPECT_TRUE(QFile::exists(Programme() + u'/' + NomJournalDessin)) << "only the journal's own path";
  EXPECT_EQ(QDir::currentPath(), Depart()) << "back in the start folder";
}

TEST_F(ShutdownTest, NoQuestionWithoutChangesAndNothingBeforeStartUpEnds) {
  prompter_.AjouteReponse(QStringLiteral("NO"));
  EXPECT_TRUE(AccepteFermeture(Modifie(), Sauve(true)));
  EXPECT_EQ(sauvegardes_, 0);
  EXPECT_EQ(prompter_.Messages().size(), 1u);

  EtatFermeture vide;
  vide.Modifie = true;
  EXPECT_TRUE(AccepteFermeture(vide, Sauve(true)));
  EXPECT_TRUE(LitOctets(FichierXdg()).contains("\r\nFichierDat =\r\nDoubleClic = Non\r\n"));
  EtatFermeture inchange = Modifie();
  inchange.Modifie = false;
  EXPECT_TRUE(AccepteFermeture(inchange, Sauve(true)));
  EXPECT_EQ(prompter_.Messages().size(), 1u);

  ConditionsAcceptees = false;
  EcritOctets(journal_, "x");
  const QByteArray avant = LitOctets(FichierXdg());
  EXPECT_TRUE(AccepteFermeture(Modifie(), Sauve(true)));
  EXPECT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(LitOctets(FichierXdg()), avant);
  EXPECT_TRUE(QFile::exists(journal_));
}

TEST_F(ShutdownTest, AnUnsavedMouseDrawingIsAskedAboutAfterTheProgram) {
  EtatFermeture e = Modifie();
  e.DessinNonSauve = true;
  int dessins = 0;
  const auto sauveDessin = [&dessins] {
    ++dessins;
    return false;
  };
  // Both questions; a drawing that could not be saved keeps the window and the journal.
  prompter_.AjouteReponse(QStringLiteral("NO"));
  prompter_.AjouteReponse(QStringLiteral("YES"));
  EXPECT_FALSE(AccepteFermeture(e, Sauve(true), sauveDessin));
  ASSERT_EQ(prompter_.Messages().size(), 2u);
  EXPECT_EQ(prompter_.Messages()[1].titre, QStringLiteral("Morvo Dessin"));
  EXPECT_EQ(dessins, 1);
  EXPECT_TRUE(QFile::exists(journal_));
  // No discards the drawing.
  prompter_.AjouteReponse(QStringLiteral("NO"));
  prompter_.AjouteReponse(QStringLiteral("NO"));
  EXPECT_TRUE(AccepteFermeture(e, Sauve(true), sauveDessin));
  EXPECT_EQ(dessins, 1);
  EXPECT_FALSE(QFile::exists(journal_));
}

}  // namespace
