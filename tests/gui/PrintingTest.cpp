#include <QAction>
#include <QRegularExpression>

#include "WindowFixture.h"
#include "shell/DrawingView.h"
#include "shell/QtHost.h"

namespace {

int NombrePages(const QByteArray& pdf) {
  static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
  return static_cast<int>(QString::fromLatin1(pdf).count(page));
}

}  // namespace

class PrintingTest : public WindowFixture {
 protected:
  // The window is back after a print: input, run entries, screen output, no print job.
  void ExpectFenetreRendue() {
    EXPECT_TRUE(F().Vue().isEnabled());
    EXPECT_TRUE(F().Action(QStringLiteral("Mnu_Visualiser"))->isEnabled());
    EXPECT_TRUE(F().Action(QStringLiteral("Mnu_Ouvrir"))->isEnabled());
    EXPECT_FALSE(F().Hote().EnCours());
    EXPECT_EQ(F().Hote().Imprimante(), nullptr);
    EXPECT_EQ(Sortie, F().Hote().Ecran());
  }
};

TEST(PrintingHelpers, JobTitle) {
  EXPECT_EQ(TitreImpression(QStringLiteral("/home/u/dial.old.dat")), QStringLiteral("dial.old"));
  EXPECT_EQ(TitreImpression(QStringLiteral("plan.dat")), QStringLiteral("plan"));
  EXPECT_EQ(TitreImpression(QString()), QString());
}

TEST_F(PrintingTest, PrintsOntoAPdfFileAndRedrawsTheScreen) {
  Demarre();
  ASSERT_TRUE(ImprimanteEstPdf() || !NomImprimante.isEmpty());
  // Whatever the machine has, print onto the PDF printer.
  fichiers_.imprimanteChoisie = true;
  F().Mnu_Imprimante_Click();
  ASSERT_TRUE(ImprimanteEstPdf());
  EXPECT_NEAR(Shell.MmParPixelImp, 25.4 / ImprimanteMorvo().resolution(), 1e-6);

  Ed().Modele().SetText(QStringLiteral("ZOOMINII = 2\r\nTrait 0,0,50,50\r\n%A = 5\r\n"));
  F().Mnu_Visualiser_Click();
  EXPECT_FLOAT_EQ(RunShell.ZoomIniI, 2.0f);
  const QString pdf = Chemin(QStringLiteral("dessin.pdf"));
  fichiers_.enregistrements.push_back(pdf);
  Shell.DecalVueX = 3;
  F().Mnu_Imprimer_Click();
  EXPECT_FLOAT_EQ(Shell.FacteurImpression, 2.0f);
  EXPECT_TRUE(prompter_.Messages().empty());
  const QByteArray octets = LitOctets(pdf);
  ASSERT_FALSE(octets.isEmpty());
  EXPECT_TRUE(octets.startsWith("%PDF"));
  EXPECT_EQ(NombrePages(octets), 1);
  EXPECT_FLOAT_EQ(Shell.DecalVueX, 3.0f);
  ExpectFenetreRendue();
  EXPECT_EQ(VarNiveau1(QStringLiteral("%A")), QStringLiteral("5"));

  // Cancelling the PDF file name prints nothing.
  QFile::remove(pdf);
  F().Mnu_Imprimer_Click();
  EXPECT_FALSE(QFile::exists(pdf));
  ExpectFenetreRendue();
}

TEST_F(PrintingTest, APrintFailureIsReportedAndTheWindowComesBack) {
  Demarre();
  F().Mnu_Imprimante_Click();
  Ed().Modele().SetText(QStringLiteral("Trait 0,0,50,50\r\n"));
  fichiers_.enregistrements.push_back(Chemin(QStringLiteral("absent/dessin.pdf")));
  EXPECT_FALSE(F().Imprimer());
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(
      prompter_.Messages()[0].texte.startsWith(QStringLiteral("Erreur d'imprimante [Printer error]")));
  EXPECT_FALSE(QFile::exists(Chemin(QStringLiteral("absent/dessin.pdf"))));
  ExpectFenetreRendue();
  // The next print works.
  prompter_.Efface();
  fichiers_.enregistrements.push_back(Chemin(QStringLiteral("bon.pdf")));
  EXPECT_TRUE(F().Imprimer());
  EXPECT_EQ(NombrePages(LitOctets(Chemin(QStringLiteral("bon.pdf")))), 1);

  // A run error in the print run: reported by the run, and the window, Sortie and the job end
  // as after a print without one.
  prompter_.Efface();
  Ed().Modele().SetText(QStringLiteral("Trait 0,0,50,50\r\nMotInconnu 1,2\r\n"));
  fichiers_.enregistrements.push_back(Chemin(QStringLiteral("erreur.pdf")));
  EXPECT_TRUE(F().Imprimer());
  EXPECT_EQ(prompter_.Messages().size(), 2u);
  EXPECT_EQ(NombrePages(LitOctets(Chemin(QStringLiteral("erreur.pdf")))), 1);
  ExpectFenetreRendue();

  // A cancelled printer dialog changes nothing.
  fichiers_.imprimanteChoisie = false;
  F().Mnu_Imprimante_Click();
  EXPECT_TRUE(ImprimanteEstPdf());
}

TEST_F(PrintingTest, PrintWithZoomChecksTheFactor) {
  Demarre();
  F().Mnu_Imprimante_Click();
  Ed().Modele().SetText(QStringLiteral("Trait 0,0,50,50\r\n"));
  F().Mnu_Visualiser_Click();

  for (const QString& mauvais : {QStringLiteral("0"), QStringLiteral("abc"), QStringLiteral("%Z")}) {
    prompter_.Efface();
    fichiers_.Demandes.clear();
    prompter_.AjouteReponse(mauvais);
    F().Mnu_ImprimerZoom_Click();
    ASSERT_EQ(prompter_.Messages().size(), 1u) << mauvais.toStdString();
    EXPECT_EQ(prompter_.Messages()[0].texte, QStringLiteral("Valeur non valide\r\nNo valid value"));
    EXPECT_TRUE(fichiers_.Demandes.isEmpty());
    ExpectFenetreRendue();
  }

  // A negative factor prints at 1.
  prompter_.Efface();
  prompter_.AjouteReponse(QStringLiteral("-2"));
  fichiers_.enregistrements.push_back(Chemin(QStringLiteral("z1.pdf")));
  F().Mnu_ImprimerZoom_Click();
  EXPECT_TRUE(QFile::exists(Chemin(QStringLiteral("z1.pdf"))));
  EXPECT_FLOAT_EQ(RunShell.DernierFacteurImp, 1.0f);

  // The factor used is proposed next time, with a point.
  prompter_.Efface();
  prompter_.AjouteReponse(QStringLiteral("1.5"));
  fichiers_.enregistrements.push_back(Chemin(QStringLiteral("z2.pdf")));
  F().Mnu_ImprimerZoom_Click();
  EXPECT_FLOAT_EQ(RunShell.DernierFacteurImp, 1.5f);
  prompter_.Efface();
  F().Mnu_ImprimerZoom_Click();  // the input box is cancelled: nothing happens
  ASSERT_EQ(prompter_.Journal().size(), 1);
  EXPECT_TRUE(prompter_.Journal()[0].contains(QStringLiteral("\"1.5\"")))
      << prompter_.Journal()[0].toStdString();
  ExpectFenetreRendue();
}
