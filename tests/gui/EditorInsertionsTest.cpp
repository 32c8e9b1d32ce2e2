#include <gtest/gtest.h>

#include <QFile>
#include <QTextStream>
#include <deque>
#include <ostream>

#include "WindowFixture.h"
#include "editor/EditorInsertions.h"
#include "editor/UndoRing.h"
#include "shell/Config.h"
#include "shell/Languages.h"

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

class DialoguesInsertionScriptes : public DialoguesInsertion {
 public:
  std::optional<uint32_t> Couleur() override {
    if (couleurs.empty()) return std::nullopt;
    const uint32_t c = couleurs.front();
    couleurs.pop_front();
    return c;
  }
  std::optional<QFont> Police(const QFont& depart, bool) override {
    departs << depart.family();
    if (polices.empty()) return std::nullopt;
    QFont p(polices.front());
    polices.pop_front();
    return p;
  }
  QStringList Fichiers(const QString& filtre, bool plusieurs) override {
    filtres << filtre;
    multiples.push_back(plusieurs);
    if (fichiers.empty()) return {};
    const QStringList f = fichiers.front();
    fichiers.pop_front();
    return f;
  }

  std::deque<uint32_t> couleurs;
  std::deque<QString> polices;
  std::deque<QStringList> fichiers;
  QStringList departs, filtres;
  std::vector<bool> multiples;
};

TEST(EditorInsertionsTextTest, ColourAndFileTexts) {
  EXPECT_EQ(TexteCouleur(255, true), "RVB  255 0 0");
  EXPECT_EQ(TexteCouleur(0, false), "RGB  0 0 0");
  EXPECT_EQ(TexteCouleur(0x0A1420, false), "RGB  32 20 10");
  EXPECT_EQ(TexteFichiers({"/d/a.txt"}, ","), "/d/a.txt");
  EXPECT_EQ(TexteFichiers({"/d/a.txt", "/d/b c.txt"}, ";"), "/d;a.txt;b c.txt");
  EXPECT_EQ(TexteFichiers({}, ","), "");
}

class EditorInsertionsTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    DefinitDialoguesInsertion(&choix_);
  }
  void TearDown() override {
    DefinitDialoguesInsertion(nullptr);
    Lecture.SepParam.clear();
    WindowFixture::TearDown();
  }
  DialoguesInsertionScriptes choix_;
};

TEST_F(EditorInsertionsTest, InsertionsReplaceTheSelectionAsOneUndoStep) {
  Demarre();
  const int langue = NumLangueMasq;
  Ed().ChargeTexte("Couleur = x");
  Ed().Modele().SetSelStart(10);
  Ed().Modele().SetSelLength(1);
  NumLangueMasq = 1;
  choix_.couleurs = {255};
  F().Mnu_Couleur_Click();
  EXPECT_EQ(Ed().Modele().Text(), "Couleur = RVB  255 0 0");
  EXPECT_TRUE(Ed().Modifie());
  EXPECT_TRUE(Ed().ARecolorer());
  EXPECT_EQ(Ed().DerniereTouche, -11);
  EXPECT_TRUE(Ed().AnnulationArmee);
  EXPECT_EQ(F().Annulation().NbAnnul(), 2);
  NumLangueMasq = 2;
  choix_.couleurs = {0};
  F().Mnu_Couleur_Click();
  EXPECT_EQ(Ed().Modele().Text(), "Couleur = RVB  255 0 0RGB  0 0 0");
  // A cancelled dialog changes nothing and records nothing.
  F().Mnu_Couleur_Click();
  F().Mnu_Polices_Click();
  F().Mnu_Liste_Fic_Click();
  EXPECT_EQ(Ed().Modele().Text(), "Couleur = RVB  255 0 0RGB  0 0 0");
  EXPECT_EQ(F().Annulation().NbAnnul(), 2);
  NumLangueMasq = langue;
  F().Annulation().Defaire();
  EXPECT_EQ(Ed().Modele().Text(), "Couleur = x");

  // The font name only, the dialog starting from the window's font.
  Ed().ChargeTexte("Police = ");
  Ed().Modele().SetSelStart(9);
  choix_.polices = {"DejaVu Sans"};
  F().Mnu_Polices_Click();
  EXPECT_EQ(Ed().Modele().Text(), "Police = DejaVu Sans");
  EXPECT_EQ(choix_.departs.back(), F().font().family());
  EXPECT_EQ(Ed().DerniereTouche, -13);

  // File names: a multiple selection with the run's parameter separator.
  Ed().ChargeTexte(QString());
  Lecture.SepParam = ";";
  choix_.fichiers = {{"/tmp/d/a.dat", "/tmp/d/b.dat"}};
  F().Mnu_Liste_Fic_Click();
  EXPECT_EQ(Ed().Modele().Text(), "/tmp/d;a.dat;b.dat");
  EXPECT_EQ(Ed().DerniereTouche, -12);
  EXPECT_TRUE(choix_.filtres.back().endsWith(" (*)"));
  EXPECT_TRUE(prompter_.Messages().empty());
}

TEST_F(EditorInsertionsTest, CodeFontSize) {
  Demarre();
  Ed().ChargeTexte("cadre = 1,2,3,4");
  const auto taille = [this] { return Ed().font().pointSizeF(); };
  prompter_.AjouteReponse("12.5");
  F().Mnu_TaillCar_Click();
  EXPECT_DOUBLE_EQ(taille(), 12.5);
  ASSERT_FALSE(prompter_.Journal().isEmpty());
  EXPECT_FALSE(prompter_.Journal().back().contains("&"));
  QFile config(CheminConfig());
  ASSERT_TRUE(config.open(QIODevice::ReadOnly));
  EXPECT_TRUE(QString::fromLatin1(config.readAll()).contains("TailleCarCode = 12.5"));
  config.close();
  EXPECT_EQ(TailleCarCode, 12.5f);

  prompter_.AjouteReponse("3");
  F().Mnu_TaillCar_Click();
  EXPECT_DOUBLE_EQ(taille(), 6);
  prompter_.AjouteReponse("40");
  F().Mnu_TaillCar_Click();
  EXPECT_DOUBLE_EQ(taille(), 24);
  for (const char* reponse : {"abc", "0", "-3", "$Cancel$"}) {
    prompter_.AjouteReponse(reponse);
    F().Mnu_TaillCar_Click();
    EXPECT_DOUBLE_EQ(taille(), 24) << reponse;
  }
  EXPECT_EQ(Ed().Modele().Text(), "Cadre = 1,2,3,4");
  EXPECT_TRUE(prompter_.Messages().empty());
}

}  // namespace
