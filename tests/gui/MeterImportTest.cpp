#include <QLineEdit>
#include <QPageLayout>

#include "WindowFixture.h"
#include "platform/RunError.h"
#include "shell/MeterImport.h"
#include "shell/QtHost.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

QString Lignes(const QStringList& l) { return l.join(CRLF) + CRLF; }

// 21 blanks: 22 words. Word 8 carries the N flag, word 19 the Y flag, word 21 both V and B.
const QString EnTeteA =
    QStringLiteral("100 80 10 20 70 90 40 0N 3 5 1.5 2.5 60 50 1.5 4 2.5 3 1Y 0 VB Voltmetre");
const QString FichierA =
    Lignes({EnTeteA, QStringLiteral("10 2 0 0 5 1 30 45 V"), QStringLiteral("  100 10 0 0 0 2 20 30 A  "),
            QStringLiteral("7.5 2.5 0 0 -2.5 4 30 15 Z"), QStringLiteral("   "),
            QStringLiteral("1 0 0 0 0 1 30 0 zero"), QStringLiteral("2 1 0 0 0 1 30 12 B")});

const QString EnTeteB = QStringLiteral("60 40 0 10 20 60 0 0 2 4 1 1 30 10 1 3 2 0 0 0 v Amp");

QString ProgrammeA(const QString& nom, const QString& texte116, const QString& texte117) {
  return Lignes({
      QStringLiteral("'") + texte116,
      QStringLiteral("'") + nom,
      QString(),
      QStringLiteral("ZoomIni = 1  '") + texte117,
      QString(),
      QStringLiteral("CentreE = 60, 50, bleu"),
      QStringLiteral("CentreI = 105, 114, bleu"),
      QString(),
      QStringLiteral("Cadre = -50, -10, 50, 70, cyan"),
      QStringLiteral("Cercle = -35, 10, 1,,, cyan"),
      QStringLiteral("Cercle = 35, 10, 1,,, cyan"),
      QString(),
      QStringLiteral("'Police = Arial"),
      QStringLiteral("TailleP = 8G   'Change taille tous textes"),
      QString(),
      QStringLiteral("Texte = 0, 50,, *1.5GX, Voltmetre"),
      QString(),
      QStringLiteral("Decal = -40, rouge"),
      QString(),
      QStringLiteral("TailleP = *0.8G"),
      QString(),
      QStringLiteral("Exposant = 1"),
      QStringLiteral("Arc = 45, 135, 24.6, n"),
      QStringLiteral("Grad = 10, 5, , , 4mm, noir"),
      QStringLiteral("Grad = 5, 3, , , 2.5mm, noir"),
      QStringLiteral("ValR = , 5, 20, 25, 6"),
      QStringLiteral("Texte = 0, 35, , *1GX, V"),
      QString(),
      QStringLiteral("Inversion"),
      QStringLiteral("Exposant = .5"),
      QStringLiteral("Arc = 45, 135, 12.9, n"),
      QStringLiteral("Grad = 100, 5, , , 4mm, noir"),
      QStringLiteral("Grad = 10, 3, , , 2.5mm, noir"),
      QStringLiteral("ValR = , 10, 20, 20, 6"),
      QStringLiteral("Texte = 0, 20, , *1GX, A"),
      QString(),
      QStringLiteral("Inversion"),
      QStringLiteral("Exposant = .25"),
      QStringLiteral("Arc = 45, 135, 24.6, n"),
      QStringLiteral("Grad = 7.5, 5, , , 4mm, noir"),
      QStringLiteral("Grad = 3, 3, , , 2.5mm, noir"),
      QStringLiteral("ValR = , 3, 20, 17.5, 6"),
      QStringLiteral("Texte = 0, 5, , *1GX, Z"),
      QString(),
      QStringLiteral("Exposant = 1"),
      QStringLiteral("Arc = 45, 135, 24.6, n"),
      QStringLiteral("Grad = 2, 5, , , 4mm, noir"),
      QStringLiteral("Grad = 2, 3, , , 2.5mm, noir"),
      QStringLiteral("ValR = , 2, 20, 20, 6"),
      QStringLiteral("Texte = 0, 2, , *1GX, B"),
      QString(),
  });
}

class LangueAnglaise : public ::testing::Test {
 protected:
  void SetUp() override { Shell.BaseLangue = 400; }
  void TearDown() override { Shell.BaseLangue = 0; }
};

}  // namespace

using MeterConversion = LangueAnglaise;

TEST_F(MeterConversion, GeneratesTheProgramLineByLine) {
  const ProgrammeMeter p = ConvertitMeter(FichierA, QStringLiteral("/m/volt.mtr"), 210, 297);
  EXPECT_EQ(p.Texte, ProgrammeA(QStringLiteral("/m/volt.mtr"), QStringLiteral("Import of file"),
                                QStringLiteral("Depending on computer")));
  // The element with a zero divisor is left out and named by its line in the file; the blank
  // line is no element.
  EXPECT_EQ(p.LignesIgnorees, QList<int>({6}));
  EXPECT_TRUE(TexteLignesIgnorees(QStringLiteral("/m/volt.mtr"), p.LignesIgnorees)
                  .endsWith(QStringLiteral(":\r\n6")));
  // The records are the lines the editor would show: a form feed or a line separator between
  // them parts them as CR LF does, and none is left inside a generated line.
  for (const QChar saut : {QChar(u'\f'), QChar(0x2028)}) {
    const ProgrammeMeter autre =
        ConvertitMeter(QString(FichierA).replace(QStringLiteral("\r\n"), QString(saut)),
                       QStringLiteral("/m/volt.mtr"), 210, 297);
    EXPECT_EQ(autre.Texte, p.Texte);
    EXPECT_EQ(autre.LignesIgnorees, p.LignesIgnorees);
  }
}

TEST_F(MeterConversion, FlagsCentresAndRejectedHeaders) {
  const QString element = QStringLiteral("5 1 0 0 0 1 40 20 X");
  const ProgrammeMeter b = ConvertitMeter(Lignes({EnTeteB, element}), QStringLiteral("b.mtr"), 210, 297);
  const QString attendu = Lignes({
      QStringLiteral("'Import of file"),
      QStringLiteral("'b.mtr"),
      QString(),
      QStringLiteral("ZoomIni = 1  'Depending on computer"),
      QString(),
      QStringLiteral("CentreE = 50, 50, bleu"),
      QStringLiteral("CentreI = 105, 129, bleu"),
      QString(),
      QStringLiteral("Cadre = -30, -0, 30, 40, cyan"),
      QStringLiteral("Cercle = -10, 10, 1,,, cyan"),
      QStringLiteral("Cercle = 10, 10, 1,,, cyan"),
      QString(),
      QStringLiteral("'Police = Arial"),
      QStringLiteral("TailleP = 4G   'Change taille tous textes"),
      QString(),
      QStringLiteral("Texte = -20, 30,, *1GX, Amp"),
      QString(),
      QStringLiteral("Decal = -0, rouge"),
      QString(),
      QStringLiteral("TailleP = *0.8G"),
      QString(),
      QStringLiteral("Exposant = 1"),
      QStringLiteral("Arc = 60, 120, 40., Noir"),
      QStringLiteral("Grad = 5, 4, , , 3mm, noir"),
      QStringLiteral("Grad = 5, 2, , , 2mm, noir"),
      QStringLiteral("Texte = 0, 20, , *1GX, X"),
      QString(),
  });
  // H19 = 0: no value line whatever word 21 holds.
  EXPECT_EQ(b.Texte, attendu);
  EXPECT_TRUE(b.LignesIgnorees.isEmpty());

  // A lower-case y turns the value lines on, a lower-case v alone gives ValD.
  QString enTeteY = EnTeteB;
  enTeteY.replace(QStringLiteral(" 0 0 0 v "), QStringLiteral(" 0 y 0 v "));
  const QString y = ConvertitMeter(Lignes({enTeteY, element}), QStringLiteral("b.mtr"), 210, 297).Texte;
  EXPECT_TRUE(y.contains(QStringLiteral("\r\nValD = , 5, 10, 10, 4\r\nTexte = 0, 20")));
  // Without a suffix letter the keyword is plain Val with its first parameter.
  enTeteY.replace(QStringLiteral(" v Amp"), QStringLiteral(" 0 Amp"));
  EXPECT_TRUE(ConvertitMeter(Lignes({enTeteY, element}), QString(), 210, 297)
                  .Texte.contains(QStringLiteral("\r\nVal = 5, 10, 10, 4\r\n")));

  // The page size places the printed centre; "###" rounds halves away from zero.
  EXPECT_TRUE(ConvertitMeter(Lignes({EnTeteB}), QString(), 215.9, 279.4)
                  .Texte.contains(QStringLiteral("CentreI = 108, 120, bleu")));

  // 20 blanks are not enough: nothing is generated.
  QString vingt = EnTeteB;
  vingt.chop(4);
  EXPECT_EQ(vingt.count(u' '), 20);
  EXPECT_TRUE(ConvertitMeter(Lignes({vingt, element}), QString(), 210, 297).Texte.isEmpty());
  EXPECT_TRUE(ConvertitMeter(QString(), QString(), 210, 297).Texte.isEmpty());

  // A radius term of 0 leaves the element out; a header number beyond the single range is an
  // error, not a silent infinity.
  EXPECT_EQ(ConvertitMeter(
                Lignes({EnTeteB, QStringLiteral("5 1 0 0 0 1 0 20 X"), QStringLiteral("5 1 0 0 0 0 4 20 X")}),
                QString(), 210, 297)
                .LignesIgnorees,
            QList<int>({2, 3}));
  QString enorme = EnTeteB;
  enorme.replace(0, 2, QStringLiteral("1E300"));
  EXPECT_THROW(ConvertitMeter(Lignes({enorme}), QString(), 210, 297), ErreurExecution);
}

TEST_F(MeterConversion, DecimalPointWhateverTheLocale) {
  const QLocale ancienne;
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  const QString t = ConvertitMeter(FichierA, QString(), 210, 297).Texte;
  QLocale::setDefault(ancienne);
  EXPECT_TRUE(t.contains(QStringLiteral("Arc = 45, 135, 24.6, n"))) << t.toStdString();
}

class MeterImportTest : public WindowFixture {};

TEST_F(MeterImportTest, ImportFillsTheEditorAndRuns) {
  Demarre();
  const QString fichier = Chemin(QStringLiteral("mesures/volt.mtr"));
  EcritOctets(fichier, FichierA.toLatin1());
  const QRectF page = ImprimanteMorvo().pageLayout().paintRect(QPageLayout::Millimeter);

  // A modified program is not lost: Cancel at the save question stops the import.
  Tape(QStringLiteral("Trait 0,0,10,10\r\n"));
  prompter_.AjouteReponse(QStringLiteral("CANCEL"));
  fichiers_.ouvertures.push_back(fichier);
  F().Mnu_OuvrirMeter_Click();
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("Trait 0,0,10,10\r\n"));
  EXPECT_TRUE(fichiers_.Demandes.isEmpty());

  prompter_.Efface();
  prompter_.AjouteReponse(QStringLiteral("NO"));
  F().Mnu_OuvrirMeter_Click();
  ASSERT_EQ(fichiers_.Demandes.size(), 1);
  EXPECT_TRUE(fichiers_.Demandes[0].startsWith(QStringLiteral("open  Fichiers Meter (*.mtr")))
      << fichiers_.Demandes[0].toStdString();
  const ProgrammeMeter attendu = ConvertitMeter(FichierA, fichier, page.width(), page.height());
  EXPECT_EQ(Ed().Modele().Text(), attendu.Texte);
  EXPECT_TRUE(attendu.Texte.startsWith(QStringLiteral("'Importation du fichier \r\n'") + fichier));
  // The save question, then the element left out; the run itself reports nothing.
  ASSERT_EQ(prompter_.Messages().size(), 2u);
  EXPECT_EQ(prompter_.Messages()[1].texte, TexteLignesIgnorees(fichier, {6}));
  EXPECT_EQ(FichierCourant, fichier);
  // The run request ran the generated program.
  ASSERT_GE(Niveaux.size(), 2u);
  EXPECT_EQ(Niveaux[1].Texte, attendu.Texte);
  EXPECT_EQ(Shell.NomFichier, fichier);
  EXPECT_FALSE(Ed().Modifie());
  EXPECT_TRUE(F().windowTitle().endsWith(QStringLiteral(": ") + fichier));
  EXPECT_EQ(F().Text1()->text(), QStringLiteral("L 1/") + QString::number(attendu.Texte.count(CRLF) + 1));
  EXPECT_TRUE(F().Hote().Ecran() == Sortie);
  EXPECT_FALSE(F().Hote().EnCours());

  // Save goes to Save As and never writes over the meter file.
  prompter_.Efface();
  fichiers_.Demandes.clear();
  EXPECT_FALSE(F().Mnu_EnregistrerS_Click());
  ASSERT_EQ(fichiers_.Demandes.size(), 1);
  EXPECT_TRUE(fichiers_.Demandes[0].startsWith(QStringLiteral("save ") + fichier));
  EXPECT_EQ(LitOctets(fichier), FichierA.toLatin1());

  // A second meter file without a value line runs cleanly too.
  const QString amp = Chemin(QStringLiteral("amp.mtr"));
  EcritOctets(amp,
              Lignes({EnTeteB, QStringLiteral("5 1 0 0 0 1 40 20 X"), QStringLiteral("10 2 0 0 0 2 40 10 Y")})
                  .toLatin1());
  fichiers_.ouvertures.push_back(amp);
  F().Mnu_OuvrirMeter_Click();
  EXPECT_TRUE(prompter_.Messages().empty()) << prompter_.Messages()[0].texte.toStdString();
  EXPECT_TRUE(Ed().Modele().Text().contains(QStringLiteral("Texte = 0, 10, , *1GX, Y")));

  // Cancel in the file dialog and an unreadable file change nothing.
  const QString avant = Ed().Modele().Text();
  F().Mnu_OuvrirMeter_Click();
  EXPECT_EQ(Shell.NomFichier, amp);
  fichiers_.ouvertures.push_back(Chemin(QStringLiteral("absent.mtr")));
  F().Mnu_OuvrirMeter_Click();
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(prompter_.Messages()[0].texte.endsWith(Chemin(QStringLiteral("absent.mtr"))));
  EXPECT_EQ(Ed().Modele().Text(), avant);
  EXPECT_EQ(FichierCourant, amp);
  EXPECT_FALSE(F().Hote().EnCours());

  // A file that reports a size of 0 and is huge is refused as too large, not read whole.
  const QString pagemap = QStringLiteral("/proc/self/pagemap");
  if (QFileInfo(pagemap).isReadable() && QFileInfo(pagemap).size() == 0) {
    prompter_.Efface();
    fichiers_.ouvertures.push_back(pagemap);
    F().Mnu_OuvrirMeter_Click();
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_TRUE(prompter_.Messages()[0].texte.startsWith(QStringLiteral("Le fichier ") + pagemap))
        << prompter_.Messages()[0].texte.toStdString();
    EXPECT_EQ(Ed().Modele().Text(), avant);
    EXPECT_FALSE(F().Hote().EnCours());
  }

  // A header without enough blanks gives an empty program, which runs.
  prompter_.Efface();
  const QString vide = Chemin(QStringLiteral("vide.mtr"));
  EcritOctets(vide, QByteArray("1 2 3\r\n4 5 6\r\n"));
  fichiers_.ouvertures.push_back(vide);
  F().Mnu_OuvrirMeter_Click();
  EXPECT_TRUE(Ed().Modele().Text().isEmpty());
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(FichierCourant, vide);
}
