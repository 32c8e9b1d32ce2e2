#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPageSize>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "PdfPages.h"
#include "PrivateCups.h"
#include "WindowFixture.h"
#include "platform/FileNames.h"
#include "platform/StringTable.h"
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
  // The pages that morvo-run --pdf prints of the program: the reference of every print.
  std::vector<PagePdf> PagesMorvoRun(const QString& programme) {
    const QString source = Chemin(QStringLiteral("reference.txt"));
    QFile f(source);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(programme.toUtf8());
    f.close();
    const QString pdf = Chemin(QStringLiteral("reference.pdf"));
    QProcess p;
    p.start(QStringLiteral(MORVO_RUN_PATH), {QStringLiteral("--pdf"), pdf, source});
    EXPECT_TRUE(p.waitForFinished(60000));
    return PagesPdf(pdf);
  }
  // Ctrl+P as the user types it; a PDF printer is given `pdf` as the file name.
  void CtrlP(const QString& pdf = QString()) {
    if (!pdf.isEmpty()) fichiers_.enregistrements.push_back(pdf);
    Clavier(Qt::Key_P, Qt::ControlModifier);
  }
  // File > Printer, with `file` picked in the dialog (the PDF printer when empty), then OK or Cancel.
  void ChoisitImprimante(const QString& file, bool ok = true) {
    fichiers_.file = file;
    fichiers_.imprimanteChoisie = ok;
    ChoisitMenu(u'f', u'p');
  }

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

  // A program opened through a link that is then turned to another file: the print run finds its
  // names where the link now leads, where its writes are judged.
  for (const char* version : {"v1", "v2"}) {
    ASSERT_TRUE(QDir().mkpath(Chemin(QLatin1String(version))));
    EcritOctets(Chemin(QStringLiteral("%1/p.dat").arg(QLatin1String(version))),
                "OpenA = result.txt\r\nPrintA = run\r\n");
  }
  const QString courant = Chemin(QStringLiteral("courant.dat"));
  ASSERT_TRUE(QFile::link(QStringLiteral("v1/p.dat"), courant));
  fichiers_.ouvertures.push_back(courant);
  // The program typed above is not kept.
  prompter_.AjouteReponse(QStringLiteral("NO"));
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  ASSERT_EQ(LitOctets(Chemin(QStringLiteral("v1/result.txt"))), " run\r\n");
  ASSERT_TRUE(QFile::remove(courant));
  ASSERT_TRUE(QFile::link(QStringLiteral("v2/p.dat"), courant));
  prompter_.Efface();
  CtrlP(Chemin(QStringLiteral("courant.pdf")));
  EXPECT_TRUE(prompter_.Messages().empty()) << prompter_.Journal().join(u'\n').toStdString();
  EXPECT_EQ(LitOctets(Chemin(QStringLiteral("v1/result.txt"))), " run\r\n");
  // The print run, then the screen drawn again.
  EXPECT_EQ(LitOctets(Chemin(QStringLiteral("v2/result.txt"))), " run\r\n run\r\n");
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

// Print to File into a place that takes no file: the printer error says the system's reason, and
// nothing is written.
TEST_F(PrintingTest, AFileThatCannotBeWrittenIsAPrinterErrorWithTheSystemsReason) {
  Demarre();
  ChoisitImprimante(QString());
  Tape(QStringLiteral("Trait 0,0,50,50\r\n"));
  const auto attendErreur = [this](const QString& fichier, int code) {
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_EQ(prompter_.Messages()[0].texte, QStringLiteral("Erreur d'imprimante [Printer error]\r\n\r\n") +
                                                 fichier + QStringLiteral("\r\n") +
                                                 QString::fromLocal8Bit(std::strerror(code)));
    ExpectFenetreRendue();
    prompter_.Efface();
  };

  // A file where the folder should be.
  QFile simple(Chemin(QStringLiteral("simple.txt")));
  ASSERT_TRUE(simple.open(QIODevice::WriteOnly));
  simple.close();
  const QString sousFichier = Chemin(QStringLiteral("simple.txt/dessin.pdf"));
  CtrlP(sousFichier);
  attendErreur(sousFichier, ENOTDIR);
  EXPECT_EQ(QFileInfo(Chemin(QStringLiteral("simple.txt"))).size(), 0);

  // The file itself named as a folder, also through a link: no name of the file.
  ASSERT_EQ(::symlink(QFile::encodeName(Chemin(QStringLiteral("simple.txt"))).constData(),
                      QFile::encodeName(Chemin(QStringLiteral("lien"))).constData()),
            0);
  for (const QString& nom : {Chemin(QStringLiteral("simple.txt/.")), Chemin(QStringLiteral("lien/."))}) {
    CtrlP(nom);
    attendErreur(nom, ENOTDIR);
    EXPECT_EQ(QFileInfo(Chemin(QStringLiteral("simple.txt"))).size(), 0) << nom.toStdString();
  }

  // A folder its user cannot write in (the system's administrator can), with a file kept as it was.
  if (::geteuid() != 0) {
    const QString dossier = Chemin(QStringLiteral("lecture"));
    ASSERT_TRUE(QDir().mkpath(dossier));
    const QString ancien = dossier + QStringLiteral("/ancien.pdf");
    QFile f(ancien);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("ancien");
    f.close();
    ASSERT_TRUE(QFile::setPermissions(dossier, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const auto rend = qScopeGuard([dossier] {
      QFile::setPermissions(dossier,
                            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    });
    CtrlP(ancien);
    attendErreur(ancien, EACCES);
    EXPECT_EQ(LitOctets(ancien), QByteArray("ancien"));
  }
}

// Print to File and the listing's print to file never replace the program that is open, by
// whatever name they reach it: itself, a link, a descriptor of it, a way through another folder.
// The dialogs that ask for the file refuse it at once.
TEST_F(PrintingTest, PrintToFileNeverReplacesTheOpenProgram) {
  Demarre();
  ChoisitImprimante(QString());
  const QString programme = Chemin(QStringLiteral("prog.dat"));
  const QByteArray texte("Trait 0,0,50,50\r\n");
  EcritOctets(programme, texte);
  fichiers_.ouvertures.push_back(programme);
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  ASSERT_EQ(FichierCourant, programme);
  ASSERT_TRUE(QDir().mkpath(Chemin(QStringLiteral("sous"))));
  ASSERT_EQ(::symlink(QFile::encodeName(programme).constData(),
                      QFile::encodeName(Chemin(QStringLiteral("lien"))).constData()),
            0);
  const int fd = ::open(QFile::encodeName(programme).constData(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  const auto ferme = qScopeGuard([fd] { ::close(fd); });
  const QStringList noms{programme, Chemin(QStringLiteral("lien")),
                         QStringLiteral("/proc/self/fd/%1").arg(fd),
                         Chemin(QStringLiteral("sous/../prog.dat"))};
  for (const QString& nom : noms) {
    prompter_.Efface();
    CtrlP(nom);
    ASSERT_EQ(prompter_.Messages().size(), 1u) << nom.toStdString();
    EXPECT_EQ(prompter_.Messages()[0].texte, TexteErreurImprimante(nom, TexteMsg(200)));
    EXPECT_EQ(LitOctets(programme), texte) << nom.toStdString();
    ExpectFenetreRendue();
  }
  for (const QString& nom : noms) {
    prompter_.Efface();
    fichiers_.fichierPdf = nom;
    ChoisitMenu(u'f', u'c');
    ASSERT_EQ(prompter_.Messages().size(), 1u) << nom.toStdString();
    EXPECT_EQ(prompter_.Messages()[0].texte, TexteErreurImprimante(nom, TexteMsg(200)));
    EXPECT_EQ(LitOctets(programme), texte) << nom.toStdString();
  }
  // Closing, which asks nothing of an unchanged program, loses nothing.
  EXPECT_FALSE(Ed().Modifie());
  prompter_.Efface();
  CtrlP(Chemin(QStringLiteral("prog.pdf")));
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_TRUE(LitOctets(Chemin(QStringLiteral("prog.pdf"))).startsWith("%PDF"));

  // The toolkit's dialogs refuse it at once, with the reason, and ask nothing about replacing it:
  // `nom` typed into the file dialog of Ctrl+P, or into the file field of the listing's print
  // dialog, then Enter or OK; the box that follows is noted and closed, the dialog left open then
  // cancelled. The box's text.
  DefinitDialoguesFichiers(nullptr);
  const auto imprimeVers = [this](const QString& nom, bool listing) {
    QString message;
    ReponsesModales reponses;
    reponses.Ajoute([nom, listing](QWidget* dialogue) {
      auto* champ = dialogue->findChild<QLineEdit*>(listing ? QStringLiteral("filename")
                                                            : QStringLiteral("fileNameEdit"));
      auto* boutons = dialogue->findChild<QDialogButtonBox*>();
      if (champ == nullptr || boutons == nullptr) return;
      champ->setText(nom);
      if (listing)
        QTest::mouseClick(boutons->button(QDialogButtonBox::Ok), Qt::LeftButton);
      else
        QTest::keyClick(champ, Qt::Key_Return);
    });
    reponses.Ajoute([&message](QWidget* dialogue) {
      if (auto* boite = qobject_cast<QMessageBox*>(dialogue)) message = boite->text();
      QTest::keyClick(dialogue, Qt::Key_Escape);
    });
    reponses.Ajoute([](QWidget* dialogue) { QTest::keyClick(dialogue, Qt::Key_Escape); });
    if (listing)
      ChoisitMenu(u'f', u'c');
    else
      CtrlP();
    return message.toStdString();
  };
  const QString parSous = Chemin(QStringLiteral("sous/../prog.dat"));
  const std::string refus = (NomLisible(parSous) + u'\n' + TexteMsg(200)).toStdString();
  prompter_.Efface();
  EXPECT_EQ(imprimeVers(parSous, false), refus);
  EXPECT_EQ(imprimeVers(parSous, true), refus);
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(LitOctets(programme), texte);
  ExpectFenetreRendue();
  // Another name prints.
  EXPECT_EQ(imprimeVers(Chemin(QStringLiteral("code.pdf")), true), std::string());
  EXPECT_TRUE(LitOctets(Chemin(QStringLiteral("code.pdf"))).startsWith("%PDF"));
}

// The PDF's name is the program's own, in the folder of the last PDF: a hasty Enter never replaces
// another program's drawing.
TEST_F(PrintingTest, ThePdfProposedIsTheCurrentProgramsInTheLastPdfsFolder) {
  Demarre();
  ChoisitImprimante(QString());
  ASSERT_TRUE(QDir().mkpath(Chemin(QStringLiteral("pdfs"))));
  EcritOctets(Chemin(QStringLiteral("voltmeter.dat")), "Cercle 50,50,20\r\n");
  fichiers_.ouvertures.push_back(Chemin(QStringLiteral("voltmeter.dat")));
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  CtrlP(Chemin(QStringLiteral("pdfs/voltmeter.pdf")));
  ASSERT_TRUE(QFile::exists(Chemin(QStringLiteral("pdfs/voltmeter.pdf"))));

  F().Action(QStringLiteral("Mnu_Nouveau"))->trigger();
  Tape(QStringLiteral("Cercle 50,50,5\r\n"));
  fichiers_.enregistrements.push_back(Chemin(QStringLiteral("plate.dat")));
  Clavier(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(FichierCourant, Chemin(QStringLiteral("plate.dat")));
  fichiers_.Demandes.clear();
  CtrlP();
  EXPECT_EQ(fichiers_.Demandes.join(u'\n').toStdString(),
            (QStringLiteral("save ") + Chemin(QStringLiteral("pdfs/plate.pdf")) + QStringLiteral(" pdf"))
                .toStdString());
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

namespace {

// Two prints, or a print and its reference, put the same ink in the same place, to 0.05 mm.
void ExpectMemeEncre(const QRectF& a, const QRectF& b, const QPointF& decalage = {}) {
  ASSERT_FALSE(a.isEmpty());
  EXPECT_NEAR(a.left(), b.left() + decalage.x(), 0.05);
  EXPECT_NEAR(a.top(), b.top() + decalage.y(), 0.05);
  EXPECT_NEAR(a.right(), b.right() + decalage.x(), 0.05);
  EXPECT_NEAR(a.bottom(), b.bottom() + decalage.y(), 0.05);
}

const QString ProgrammeCadreTexte =
    QStringLiteral("EpaisT = 0.3mm\r\nCadre = 10, 10, 100, 50\r\nTexte = 120, 100, , 10, ABC\r\n");

}  // namespace

// Nothing of a print is left for the next one (the last text's place was): each print, whatever
// was printed before it (a drawing, a zoom print, a listing), is the first one again.
TEST_F(PrintingTest, EveryPrintIsTheSameAsTheFirst) {
  if (!PdftoppmPresent()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  Demarre();
  ChoisitImprimante(QString());
  ASSERT_TRUE(ImprimanteEstPdf());
  Tape(ProgrammeCadreTexte);
  Clavier(Qt::Key_F4);
  const std::vector<PagePdf> reference = PagesMorvoRun(ProgrammeCadreTexte);
  ASSERT_EQ(reference.size(), 1u);

  CtrlP(Chemin(QStringLiteral("p1.pdf")));
  // A zoom print at 1 and a listing in between.
  prompter_.AjouteReponse(QStringLiteral("1"));
  fichiers_.enregistrements.push_back(Chemin(QStringLiteral("zoom.pdf")));
  Clavier(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
  CtrlP(Chemin(QStringLiteral("p2.pdf")));
  fichiers_.fichierPdf = Chemin(QStringLiteral("code.pdf"));
  ChoisitMenu(u'f', u'c');
  CtrlP(Chemin(QStringLiteral("p3.pdf")));
  EXPECT_TRUE(prompter_.Messages().empty());

  const QRectF cadre(0, 200, 115, 97);  // the frame's part of the sheet, in millimetres from the top
  for (const QString& nom : {QStringLiteral("p1.pdf"), QStringLiteral("zoom.pdf"), QStringLiteral("p2.pdf"),
                             QStringLiteral("p3.pdf")}) {
    SCOPED_TRACE(nom.toStdString());
    const std::vector<PagePdf> pages = PagesPdf(Chemin(nom));
    ASSERT_EQ(pages.size(), 1u);
    ExpectMemeEncre(pages[0].Encre, reference[0].Encre);
    ExpectMemeEncre(EncreDans(pages[0], cadre), EncreDans(reference[0], cadre));
  }
  ExpectFenetreRendue();
}

// FormatI after NPage: the page that follows has that orientation, and its drawing is placed for
// it, as morvo-run --pdf places it.
TEST_F(PrintingTest, APageTakesTheOrientationInForceWhenItStarts) {
  if (!PdftoppmPresent()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  Demarre();
  ChoisitImprimante(QString());
  const QString programme = QStringLiteral(
      "Cadre = 10, 10, 100, 50\r\nNPage\r\nCadre = 10, 10, 100, 50\r\nNPage\r\nFormatI = Paysage\r\n"
      "Cadre = 10, 10, 100, 50\r\nNPage\r\nFormatI = Portrait\r\nCadre = 10, 10, 100, 50\r\n");
  Tape(programme);
  CtrlP(Chemin(QStringLiteral("pages.pdf")));
  EXPECT_TRUE(prompter_.Messages().empty());
  const std::vector<PagePdf> pages = PagesPdf(Chemin(QStringLiteral("pages.pdf")));
  const std::vector<PagePdf> reference = PagesMorvoRun(programme);
  ASSERT_EQ(pages.size(), 4u);
  ASSERT_EQ(reference.size(), 4u);
  for (size_t i = 0; i < pages.size(); ++i) {
    SCOPED_TRACE(i + 1);
    const bool paysage = i == 2;
    EXPECT_NEAR(pages[i].Taille.width(), paysage ? 297 : 210, 0.5);
    EXPECT_NEAR(pages[i].Taille.height(), paysage ? 210 : 297, 0.5);
    // 10 mm from the left and from the foot of the page, whichever way the page lies.
    EXPECT_NEAR(pages[i].Encre.left(), pages[0].Encre.left(), 0.05);
    // The sheet's own size in points rounds its height by up to 0.1 mm.
    EXPECT_NEAR(pages[i].Taille.height() - pages[i].Encre.bottom(),
                pages[0].Taille.height() - pages[0].Encre.bottom(), 0.25);
    ExpectMemeEncre(pages[i].Encre, reference[i].Encre);
  }
}

// A "?" after the THEN of a one-line If leaves a line that does nothing: a second F4 and a print
// run the program past it as the first run did.
TEST_F(PrintingTest, ALineRewrittenAfterAThenDoesNothingInTheNextRunsAndThePrint) {
  Demarre();
  ChoisitImprimante(QString());
  ASSERT_TRUE(ImprimanteEstPdf());
  Tape(QStringLiteral("Trait = 10, 10, 20, 20\r\nIf 1 = 1 Then ?\r\nCercle = 50, 50, 20\r\n%fin = ok\r\n"));
  const QString apres = QStringLiteral(
      "Trait = 10, 10, 20, 20\r\n'If 1 = 1 Then ? = 20,  20\r\nCercle = 50, 50, 20\r\n%fin = ok\r\n");
  for (int f4 = 1; f4 <= 2; ++f4) {
    SCOPED_TRACE(f4);
    Clavier(Qt::Key_F4);
    EXPECT_TRUE(prompter_.Messages().empty()) << prompter_.Messages()[0].texte.toStdString();
    EXPECT_EQ(Ed().Modele().Text(), apres);
    EXPECT_EQ(VarNiveau1(QStringLiteral("%FIN")), QStringLiteral("ok"));
  }

  CtrlP(Chemin(QStringLiteral("p.pdf")));
  EXPECT_TRUE(prompter_.Messages().empty()) << prompter_.Messages()[0].texte.toStdString();
  EXPECT_EQ(NombrePages(LitOctets(Chemin(QStringLiteral("p.pdf")))), 1);
  EXPECT_EQ(Ed().Modele().Text(), apres);
  ExpectFenetreRendue();
  EXPECT_EQ(VarNiveau1(QStringLiteral("%FIN")), QStringLiteral("ok"));
  if (!PdftoppmPresent()) return;
  // The page holds the line and the circle, as the program without the If line prints them.
  const std::vector<PagePdf> reference =
      PagesMorvoRun(QStringLiteral("Trait = 10, 10, 20, 20\r\nCercle = 50, 50, 20\r\n"));
  const std::vector<PagePdf> pages = PagesPdf(Chemin(QStringLiteral("p.pdf")));
  ASSERT_EQ(pages.size(), 1u);
  ASSERT_EQ(reference.size(), 1u);
  ExpectMemeEncre(pages[0].Encre, reference[0].Encre);
}

// The print system of the test's own: a queue that prints to the edge of A4, and one that keeps
// 6.35 mm at the sides and 12.7 mm at the top and the foot.
class PrintingCupsTest : public PrintingTest {
 protected:
  void SetUp() override {
    PrintingTest::SetUp();
    if (!PdftoppmPresent()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    cups_ = &CupsPrive::DuProcessus();
    if (!cups_->Prepare({{QStringLiteral("MorvoA4"), 0, 0}, {QStringLiteral("MorvoMarges"), 18, 36}}))
      GTEST_SKIP() << cups_->Raison().toStdString();
  }
  // Prints with Ctrl+P and returns the pages the queue wrote.
  std::vector<PagePdf> ImprimeSur(const QString& file) {
    QFile::remove(cups_->Sortie(file));
    CtrlP();
    EXPECT_TRUE(prompter_.Messages().empty()) << prompter_.Messages()[0].texte.toStdString();
    if (!cups_->AttendSortie(file)) return {};
    return PagesPdf(cups_->Sortie(file));
  }
  CupsPrive* cups_ = nullptr;
};

// 0,0 is the corner of the area the printer in use prints: the edge of a queue without margins,
// the margins of the other, whichever queue was chosen before.
TEST_F(PrintingCupsTest, PrintsOnThePrintersOwnPage) {
  Demarre();
  const QString programme = ProgrammeCadreTexte;
  Tape(programme);
  const std::vector<PagePdf> reference = PagesMorvoRun(programme);
  ASSERT_EQ(reference.size(), 1u);
  const QPointF marges(6.35, -12.7);
  const QRectF cadre(0, 200, 115, 97);  // the frame's part of the sheet

  ChoisitImprimante(QStringLiteral("MorvoA4"));
  EXPECT_EQ(NomImprimante, QStringLiteral("MorvoA4"));
  std::vector<PagePdf> pages = ImprimeSur(QStringLiteral("MorvoA4"));
  ASSERT_EQ(pages.size(), 1u);
  ExpectMemeEncre(pages[0].Encre, reference[0].Encre);
  ExpectMemeEncre(EncreDans(pages[0], cadre), EncreDans(reference[0], cadre));

  ChoisitImprimante(QStringLiteral("MorvoMarges"));
  pages = ImprimeSur(QStringLiteral("MorvoMarges"));
  ASSERT_EQ(pages.size(), 1u);
  ExpectMemeEncre(pages[0].Encre, reference[0].Encre, marges);

  // The margins of the queue chosen before do not stay, and the second print on a queue is its
  // first again.
  ChoisitImprimante(QStringLiteral("MorvoA4"));
  pages = ImprimeSur(QStringLiteral("MorvoA4"));
  ASSERT_EQ(pages.size(), 1u);
  ExpectMemeEncre(pages[0].Encre, reference[0].Encre);
  ExpectMemeEncre(EncreDans(pages[0], cadre), EncreDans(reference[0], cadre));
}

// FormatI = Paysage, or landscape chosen in the printer dialog: the area the queue prints turns
// with the sheet, and 0,0 is its corner as in portrait, 12.7 mm from the short edge and 6.35 mm
// from the long one. The queue lays the landscape page on its upright sheet a quarter turn
// anticlockwise.
TEST_F(PrintingCupsTest, LandscapeTurnsThePrintableAreaWithTheSheet) {
  Demarre();
  ChoisitImprimante(QStringLiteral("MorvoMarges"));
  const QString paysage = QStringLiteral("FormatI = Paysage\r\n") + ProgrammeCadreTexte;
  const std::vector<PagePdf> reference = PagesMorvoRun(paysage);
  ASSERT_EQ(reference.size(), 1u);
  ASSERT_GT(reference[0].Taille.width(), reference[0].Taille.height());
  // Where the ink of the landscape page lies on the sheet; turned, the sizes of the two pages in
  // points round the edges by up to 0.1 mm.
  const auto expectSurLaFeuille = [&reference](const PagePdf& feuille) {
    const QRectF paysage = reference[0].Encre.translated(12.7, -6.35);
    const double hauteur = QPageSize(QPageSize::A4).size(QPageSize::Millimeter).height();
    EXPECT_NEAR(feuille.Encre.left(), paysage.top(), 0.1);
    EXPECT_NEAR(feuille.Encre.right(), paysage.bottom(), 0.1);
    EXPECT_NEAR(feuille.Encre.top(), hauteur - paysage.right(), 0.1);
    EXPECT_NEAR(feuille.Encre.bottom(), hauteur - paysage.left(), 0.1);
  };
  Tape(paysage);
  std::vector<PagePdf> pages = ImprimeSur(QStringLiteral("MorvoMarges"));
  ASSERT_EQ(pages.size(), 1u);
  expectSurLaFeuille(pages[0]);

  // The dialog's landscape, the program's page left as it is.
  Tape(ProgrammeCadreTexte);
  fichiers_.orientation = QPageLayout::Landscape;
  ChoisitImprimante(QStringLiteral("MorvoMarges"));
  pages = ImprimeSur(QStringLiteral("MorvoMarges"));
  ASSERT_EQ(pages.size(), 1u);
  expectSurLaFeuille(pages[0]);
}

// What the print dialog offers for a queue reaches it: even pages only, or two pages a sheet (the
// dialog takes one or the other).
TEST_F(PrintingCupsTest, WhatThePrintDialogOffersReachesTheQueue) {
  Demarre();
  Tape(
      QStringLiteral("Cadre = 10, 10, 100, 50\r\nNPage\r\nCadre = 10, 10, 100, 50\r\nNPage\r\n"
                     "Cadre = 10, 10, 100, 50\r\nNPage\r\nCadre = 10, 10, 100, 50\r\n"));
  ChoisitImprimante(QStringLiteral("MorvoA4"));
  ASSERT_EQ(ImprimeSur(QStringLiteral("MorvoA4")).size(), 4u);

  // Qt's own print dialog, as the user fills it: the page set (all, odd, even, in the dialog's
  // language) and, under Properties, the pages a sheet (1, 2, 4...).
  DefinitDialoguesFichiers(nullptr);
  const auto rend = qScopeGuard([this] { DefinitDialoguesFichiers(&fichiers_); });
  const auto dialogue = [this](int jeu, int parFeuille) {
    ReponsesModales reponses;
    bool proprietesVues = false;
    reponses.Ajoute([&](QWidget* d) {
      auto* pages = d->findChild<QComboBox*>(QStringLiteral("pageSetCombo"));
      auto* proprietes = d->findChild<QPushButton*>(QStringLiteral("properties"));
      auto* boutons = d->findChild<QDialogButtonBox*>();
      if (pages == nullptr || proprietes == nullptr || boutons == nullptr) {
        ADD_FAILURE() << "not Qt's print dialog";
        static_cast<QDialog*>(d)->reject();
        return;
      }
      EXPECT_EQ(pages->count(), 3);
      pages->setCurrentIndex(jeu);
      QTimer attente;
      QObject::connect(&attente, &QTimer::timeout, d, [&] {
        auto* p = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        auto* combo = p ? p->findChild<QComboBox*>(QStringLiteral("pagesPerSheetCombo")) : nullptr;
        if (combo == nullptr || !p->isVisible()) return;
        attente.stop();
        proprietesVues = true;
        // Its margins would not be the job's: they are not offered.
        const auto* marge = p->findChild<QWidget*>(QStringLiteral("topMargin"));
        EXPECT_TRUE(marge == nullptr || !marge->isVisibleTo(p));
        combo->setCurrentIndex(parFeuille);
        auto* ok = p->findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly);
        if (ok) QTest::mouseClick(ok->button(QDialogButtonBox::Ok), Qt::LeftButton);
        if (p->isVisible()) p->reject();
      });
      attente.start(20);
      QTest::mouseClick(proprietes, Qt::LeftButton);
      QTest::mouseClick(boutons->button(QDialogButtonBox::Ok), Qt::LeftButton);
      if (d->isVisible()) {
        ADD_FAILURE() << "the print dialog refused its fields";
        static_cast<QDialog*>(d)->reject();
      }
    });
    ChoisitMenu(u'f', u'p');
    EXPECT_TRUE(reponses.Epuisees());
    EXPECT_TRUE(proprietesVues);
    EXPECT_EQ(NomImprimante, QStringLiteral("MorvoA4"));
  };

  dialogue(2, 0);
  EXPECT_EQ(ImprimeSur(QStringLiteral("MorvoA4")).size(), 2u);  // pages 2 and 4
  dialogue(0, 1);
  EXPECT_EQ(ImprimeSur(QStringLiteral("MorvoA4")).size(), 2u);  // 1 and 2, 3 and 4

  // A PDF file is written once and whole: the dialog offers neither copies, nor their order, nor
  // the pages a print system picks for it; a queue gets them back.
  ReponsesModales reponses;
  reponses.Ajoute([](QWidget* d) {
    auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers"));
    ASSERT_NE(printers, nullptr);
    const auto offerts = [d] {
      QStringList oui;
      for (const char* nom : {"copies", "reverse", "printRange", "pageSetCombo"}) {
        const auto* w = d->findChild<QWidget*>(QLatin1String(nom));
        if (w != nullptr && w->isEnabled()) oui << QLatin1String(nom);
      }
      return oui;
    };
    EXPECT_EQ(offerts(), QStringList({QStringLiteral("copies"), QStringLiteral("reverse"),
                                      QStringLiteral("printRange"), QStringLiteral("pageSetCombo")}));
    const int file = printers->currentIndex();
    QTest::keyClick(printers, Qt::Key_End);
    QTest::qWait(50);
    EXPECT_TRUE(offerts().isEmpty()) << offerts().join(u' ').toStdString();
    printers->setCurrentIndex(file);
    QTest::qWait(50);
    EXPECT_EQ(offerts().size(), 4);
    static_cast<QDialog*>(d)->reject();
  });
  ChoisitMenu(u'f', u'p');
  EXPECT_TRUE(reponses.Epuisees());
}

// A program never saved is queued under an empty title, one saved under its name: never under the
// name of the file the job is made in.
TEST_F(PrintingCupsTest, AJobIsQueuedUnderTheProgramsName) {
  Demarre();
  Tape(ProgrammeCadreTexte);
  ChoisitImprimante(QStringLiteral("MorvoA4"));
  ASSERT_EQ(ImprimeSur(QStringLiteral("MorvoA4")).size(), 1u);
  Shell.NomFichier = Chemin(QStringLiteral("cadran.old.dat"));
  ASSERT_EQ(ImprimeSur(QStringLiteral("MorvoA4")).size(), 1u);
  EXPECT_EQ(cups_->TitresJobs(QStringLiteral("MorvoA4"), 2),
            QStringList({QString(), QStringLiteral("cadran.old")}));
}

// A print system that hangs does not hold the start: the window is there at once and takes input;
// the print system is asked when the user prints, within the time a print is given.
TEST_F(PrintingCupsTest, AFrozenPrintSystemDoesNotHoldTheStart) {
  DelaiSystemeImpression = 3000;
  cups_->Gele();
  const auto degele = qScopeGuard([this] { cups_->Degele(); });
  QElapsedTimer montre;
  montre.start();
  Demarre();
  EXPECT_LT(montre.elapsed(), 2500);
  EXPECT_TRUE(F().isVisible());
  Tape(ProgrammeCadreTexte);
  Clavier(Qt::Key_F4);
  montre.restart();
  CtrlP(Chemin(QStringLiteral("gele.pdf")));
  EXPECT_LT(montre.elapsed(), 30000);
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(prompter_.Messages()[0].texte.contains(QStringLiteral("The print system does not answer")))
      << prompter_.Messages()[0].texte.toStdString();
  ExpectFenetreRendue();
  prompter_.Efface();

  // The print system back, the next print asks it again and prints.
  cups_->Degele();
  fichiers_.enregistrements.clear();
  CtrlP(Chemin(QStringLiteral("degele.pdf")));
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(NombrePages(LitOctets(Chemin(QStringLiteral("degele.pdf")))), 1);
}

// Cancel in the printer dialog changes nothing, whatever was picked in it before.
TEST_F(PrintingCupsTest, CancellingThePrinterChoiceChangesNothing) {
  Demarre();
  Tape(ProgrammeCadreTexte);
  ChoisitImprimante(QStringLiteral("MorvoA4"));
  ChoisitImprimante(QStringLiteral("MorvoMarges"), false);
  EXPECT_EQ(NomImprimante, QStringLiteral("MorvoA4"));
  EXPECT_EQ(ImprimeSur(QStringLiteral("MorvoA4")).size(), 1u);
  EXPECT_FALSE(QFile::exists(cups_->Sortie(QStringLiteral("MorvoMarges"))));

  // "Print to File (PDF)" picked, then Cancel: the queue still prints, and no file is asked for.
  ChoisitImprimante(QString(), false);
  fichiers_.Demandes.clear();
  EXPECT_EQ(ImprimeSur(QStringLiteral("MorvoA4")).size(), 1u);
  EXPECT_TRUE(fichiers_.Demandes.isEmpty());
  ExpectFenetreRendue();
}

// A print the print system cannot take is the printer error, with the system's reason, at once;
// a print system that hangs holds the window no longer than the time it is given.
TEST_F(PrintingCupsTest, APrintThatCannotBeDeliveredIsAPrinterError) {
  Demarre();
  Tape(ProgrammeCadreTexte);
  ChoisitImprimante(QStringLiteral("MorvoMarges"));
  ChoisitImprimante(QStringLiteral("MorvoA4"));
  const auto attendErreur = [this](const QString& file, const QString& raison) {
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_TRUE(prompter_.Messages()[0].texte.contains(raison))
        << prompter_.Messages()[0].texte.toStdString();
    const QStringList lignes = prompter_.Messages()[0].texte.split(QStringLiteral("\r\n"));
    ASSERT_GE(lignes.size(), 4) << prompter_.Messages()[0].texte.toStdString();
    EXPECT_EQ(lignes[0], QStringLiteral("Erreur d'imprimante [Printer error]"));
    EXPECT_EQ(lignes[2], file);
    EXPECT_FALSE(lignes[3].trimmed().isEmpty()) << "the system's reason";
    ExpectFenetreRendue();
    prompter_.Efface();
  };

  // The queue removed.
  ASSERT_TRUE(cups_->RetireFile(QStringLiteral("MorvoA4")));
  CtrlP();
  attendErreur(QStringLiteral("MorvoA4"), QStringLiteral("does not exist"));

  // The print system hangs: the print is given up once its time is over.
  ChoisitImprimante(QStringLiteral("MorvoMarges"));
  DelaiSystemeImpression = 3000;
  cups_->Gele();
  QElapsedTimer montre;
  montre.start();
  CtrlP();
  const qint64 duree = montre.elapsed();
  attendErreur(QStringLiteral("MorvoMarges"), QStringLiteral("The print system does not answer"));
  EXPECT_LT(duree, 30000);

  // Esc is a way out before that.
  DelaiSystemeImpression = 600000;
  QTimer esc;
  QObject::connect(&esc, &QTimer::timeout, fenetre_.get(), [this] { Clavier(Qt::Key_Escape); });
  esc.start(500);
  montre.restart();
  CtrlP();
  esc.stop();
  EXPECT_LT(montre.elapsed(), 60000);
  EXPECT_TRUE(prompter_.Messages().empty());
  ExpectFenetreRendue();

  // The print system stopped.
  cups_->Degele();
  cups_->Arrete();
  CtrlP();
  attendErreur(QStringLiteral("MorvoMarges"), QStringLiteral("scheduler is not running"));
}

// The listing and File > Printer ask the print system for its printers: one that hangs holds the
// window no longer than a print, with Esc as a way out, and the printer stays the one chosen.
TEST_F(PrintingCupsTest, APrintSystemThatHangsHoldsNeitherTheListingNorThePrinterChoice) {
  Demarre();
  Tape(ProgrammeCadreTexte);
  ChoisitImprimante(QStringLiteral("MorvoA4"));
  DelaiSystemeImpression = 3000;
  cups_->Gele();
  const auto degele = qScopeGuard([this] { cups_->Degele(); });
  const auto attendErreur = [this](const QElapsedTimer& montre) {
    EXPECT_LT(montre.elapsed(), 30000);
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_TRUE(prompter_.Messages()[0].texte.startsWith(
        QStringLiteral("Erreur d'imprimante [Printer error]\r\n\r\nMorvoA4\r\n")))
        << prompter_.Messages()[0].texte.toStdString();
    EXPECT_TRUE(prompter_.Messages()[0].texte.contains(QStringLiteral("The print system does not answer")));
    EXPECT_EQ(NomImprimante, QStringLiteral("MorvoA4"));
    ExpectFenetreRendue();
    prompter_.Efface();
  };

  QElapsedTimer montre;
  montre.start();
  ChoisitMenu(u'f', u'c');
  attendErreur(montre);

  fichiers_.file = QStringLiteral("MorvoMarges");
  montre.restart();
  ChoisitMenu(u'f', u'p');
  attendErreur(montre);

  // Esc is a way out before the time is over, and says nothing.
  DelaiSystemeImpression = 600000;
  QTimer esc;
  QObject::connect(&esc, &QTimer::timeout, fenetre_.get(), [this] { Clavier(Qt::Key_Escape); });
  esc.start(500);
  montre.restart();
  ChoisitMenu(u'f', u'c');
  esc.stop();
  EXPECT_LT(montre.elapsed(), 60000);
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(NomImprimante, QStringLiteral("MorvoA4"));
  ExpectFenetreRendue();

  // The print system back, the choice is made as before.
  cups_->Degele();
  ChoisitImprimante(QStringLiteral("MorvoMarges"));
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(NomImprimante, QStringLiteral("MorvoMarges"));
}

// A queue on US Letter kept from the last session prints on its own paper, not on A4 fitted to
// Letter: 0,0 is the corner of its sheet at the foot, and the drawing keeps its scale.
TEST_F(PrintingCupsTest, AKeptLetterQueuePrintsOnLetter) {
  ASSERT_TRUE(
      cups_->Prepare({{QStringLiteral("MorvoA4"), 0, 0}, {QStringLiteral("MorvoLettre"), 0, 0, true}}))
      << cups_->Raison().toStdString();
  Demarre();
  ChoisitImprimante(QStringLiteral("MorvoLettre"));
  fenetre_.reset();
  RazImprimante();
  Demarre();
  ASSERT_EQ(NomImprimante, QStringLiteral("MorvoLettre"));
  Tape(ProgrammeCadreTexte);
  const std::vector<PagePdf> reference = PagesMorvoRun(ProgrammeCadreTexte);
  ASSERT_EQ(reference.size(), 1u);
  const std::vector<PagePdf> pages = ImprimeSur(QStringLiteral("MorvoLettre"));
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NEAR(pages[0].Taille.width(), 215.9, 0.5);
  EXPECT_NEAR(pages[0].Taille.height(), 279.4, 0.5);
  ExpectMemeEncre(pages[0].Encre, reference[0].Encre,
                  QPointF(0, pages[0].Taille.height() - reference[0].Taille.height()));
}

// The printer chosen with File > Printer is the printer of the next start, without becoming the
// system's default; one that has gone since falls back to the default, and the user is told.
TEST_F(PrintingCupsTest, TheChosenPrinterIsKeptAcrossStarts) {
  Demarre();
  ChoisitImprimante(QStringLiteral("MorvoMarges"));
  fenetre_.reset();
  RazImprimante();
  Demarre();
  EXPECT_EQ(NomImprimante, QStringLiteral("MorvoMarges"));
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_TRUE(QPrinterInfo::defaultPrinter().isNull() ||
              QPrinterInfo::defaultPrinter().printerName() != QStringLiteral("MorvoMarges"));

  fenetre_.reset();
  RazImprimante();
  ASSERT_TRUE(cups_->RetireFile(QStringLiteral("MorvoMarges")));
  fenetre_ = std::make_unique<FenetrePrincipale>();
  fenetre_->show();
  fenetre_->resize(1000, 700);
  ASSERT_TRUE(fenetre_->Demarre({}, Programme()));
  // The print system is asked when the printer is first needed: then the user is told.
  prompter_.Efface();
  fichiers_.Demandes.clear();
  Tape(ProgrammeCadreTexte);
  CtrlP(Chemin(QStringLiteral("repli.pdf")));
  EXPECT_EQ(NomImprimante, QStringLiteral("PDF"));
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(prompter_.Messages()[0].texte.contains(QStringLiteral("MorvoMarges")));
  EXPECT_EQ(NombrePages(LitOctets(Chemin(QStringLiteral("repli.pdf")))), 1);
}

// A queue that lays landscape pages a quarter turn clockwise, with 3, 9, 5 and 17 mm at the left,
// foot, right and top of its upright sheet: the printable area turns that way with the sheet. A
// frame along the edges of the landscape printable area lies along those of the sheet's, with
// FormatI = Paysage as with the dialog's landscape.
TEST_F(PrintingCupsTest, LandscapeTurnsTheMarginsTheWayTheQueueTurnsTheSheet) {
  constexpr double pt = 72 / 25.4;
  // Of two lines that contradict each other, the print system turns the sheet as the last says.
  CupsPrive::File deuxLignes{QStringLiteral("MorvoDeuxSens"), 3 * pt, 9 * pt, false, 5 * pt, 17 * pt};
  deuxLignes.Suite = QStringLiteral("*LandscapeOrientation: Minus90\n");
  ASSERT_TRUE(cups_->Prepare(
      {{QStringLiteral("MorvoHoraire"), 3 * pt, 9 * pt, false, 5 * pt, 17 * pt, true}, deuxLignes}))
      << cups_->Raison().toStdString();
  Demarre();
  for (const QString& file : {QStringLiteral("MorvoHoraire"), QStringLiteral("MorvoDeuxSens")}) {
    SCOPED_TRACE(file.toStdString());
    fichiers_.orientation = QPageLayout::Portrait;
    ChoisitImprimante(file);
  // The landscape printable area of the queue's 595 x 842 points: 271.04 x 201.9 mm.
  const QString cadre = QStringLiteral("EpaisT = 0.1mm\r\nCadre = 0, 0, 271, 201.9\r\n");
  const auto expectLeLongDesMarges = [](const std::vector<PagePdf>& pages) {
    ASSERT_EQ(pages.size(), 1u);
    // On the upright sheet, the frame's corner at 0,0 is the printable corner at the left and the
    // top; the line is 0.1 mm wide.
    ExpectMemeEncre(pages[0].Encre,
                    QRectF(QPointF(3, 17), QPointF(3 + 201.9, 17 + 271)).adjusted(-0.05, -0.05, 0.05, 0.05));
  };
    Tape(QStringLiteral("FormatI = Paysage\r\n") + cadre);
    expectLeLongDesMarges(ImprimeSur(file));
    Tape(cadre);
    fichiers_.orientation = QPageLayout::Landscape;
    ChoisitImprimante(file);
    expectLeLongDesMarges(ImprimeSur(file));
  }
}

// The queue's margins are its own to a fraction of a point (3.3 mm at the sides, 10.3 mm at the top
// and the foot): 0,0 is the corner of the area it prints.
// A description may separate its values with tabs (3 mm at the sides, 12 mm at the top and the foot).
TEST_F(PrintingCupsTest, MarginsAreTheQueuesOwnToAFractionOfAPoint) {
  constexpr double pt = 72 / 25.4;
  const QString tabulee = QStringLiteral("%1\t%2 %3\t\t%4").arg(3 * pt).arg(12 * pt).arg(595 - 3 * pt).arg(842 - 12 * pt);
  ASSERT_TRUE(cups_->Prepare({{QStringLiteral("MorvoFractions"), 3.3 * pt, 10.3 * pt},
                              {.Nom = QStringLiteral("MorvoTabulee"), .Zone = tabulee}}))
      << cups_->Raison().toStdString();
  Demarre();
  Tape(ProgrammeCadreTexte);
  const std::vector<PagePdf> reference = PagesMorvoRun(ProgrammeCadreTexte);
  ASSERT_EQ(reference.size(), 1u);
  for (const auto& [file, decalage] : {std::pair(QStringLiteral("MorvoFractions"), QPointF(3.3, -10.3)),
                                       std::pair(QStringLiteral("MorvoTabulee"), QPointF(3, -12))}) {
    SCOPED_TRACE(file.toStdString());
    ChoisitImprimante(file);
    const std::vector<PagePdf> pages = ImprimeSur(file);
    ASSERT_EQ(pages.size(), 1u);
    ExpectMemeEncre(pages[0].Encre, reference[0].Encre, decalage);
  }
}

// A queue whose description gives no printable area on its paper (no *ImageableArea line, an empty
// one, or one wholly off the sheet) prints on the whole sheet: 0,0 is the sheet's corner, as on a
// queue without margins.
TEST_F(PrintingCupsTest, AQueueThatGivesNoPrintableAreaPrintsOnTheWholeSheet) {
  ASSERT_TRUE(
      cups_->Prepare({{.Nom = QStringLiteral("MorvoSansZone"), .Zone = QStringLiteral("-")},
                      {.Nom = QStringLiteral("MorvoZoneNulle"), .Zone = QStringLiteral("0 0 0 0")},
                      {.Nom = QStringLiteral("MorvoZoneHors"), .Zone = QStringLiteral("-50 -50 -10 -10")}}))
      << cups_->Raison().toStdString();
  Demarre();
  Tape(ProgrammeCadreTexte);
  const std::vector<PagePdf> reference = PagesMorvoRun(ProgrammeCadreTexte);
  ASSERT_EQ(reference.size(), 1u);
  const QRectF cadre(0, 200, 115, 97);  // the frame's part of the sheet
  for (const QString& file :
       {QStringLiteral("MorvoSansZone"), QStringLiteral("MorvoZoneNulle"), QStringLiteral("MorvoZoneHors")}) {
    SCOPED_TRACE(file.toStdString());
    ChoisitImprimante(file);
    const std::vector<PagePdf> pages = ImprimeSur(file);
    ASSERT_EQ(pages.size(), 1u);
    ExpectMemeEncre(pages[0].Encre, reference[0].Encre);
    ExpectMemeEncre(EncreDans(pages[0], cadre), EncreDans(reference[0], cadre));
  }
}

// The print dialog's "Pages" field is not offered (Qt's own refuses every entry); "from ... to" is.
TEST_F(PrintingCupsTest, ThePrintDialogOffersNoPagesField) {
  Demarre();
  Tape(ProgrammeCadreTexte);
  DefinitDialoguesFichiers(nullptr);
  const auto rend = qScopeGuard([this] { DefinitDialoguesFichiers(&fichiers_); });
  ReponsesModales reponses;
  reponses.Ajoute([](QWidget* d) {
    const auto offert = [d](const char* nom) {
      const auto* w = d->findChild<QWidget*>(QLatin1String(nom));
      return w != nullptr && w->isEnabled();
    };
    for (int i = 0; i < 2; ++i) {
      QTest::qWait(50);
      EXPECT_FALSE(offert("pagesRadioButton"));
      EXPECT_FALSE(offert("pagesLineEdit"));
      EXPECT_TRUE(offert("printRange"));
      // After another queue.
      auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers"));
      ASSERT_NE(printers, nullptr);
      printers->setCurrentIndex(printers->findText(QStringLiteral("MorvoMarges")));
    }
    static_cast<QDialog*>(d)->reject();
  });
  ChoisitMenu(u'f', u'p');
  EXPECT_TRUE(reponses.Epuisees());
}

// A print system that stops answering while the printer dialog is open holds neither the dialog nor
// the window: choosing another queue asks it nothing, and Esc gets out at once as Cancel does, in
// File > Printer and in the listing's dialog: nothing said, nothing printed, the printer as it was.
TEST_F(PrintingCupsTest, AFrozenPrintSystemHoldsNeitherThePrinterDialogNorTheWindow) {
  Demarre();
  Tape(ProgrammeCadreTexte);
  ChoisitImprimante(QStringLiteral("MorvoA4"));
  DelaiSystemeImpression = 600000;
  DefinitDialoguesFichiers(nullptr);
  const auto rend = qScopeGuard([this] { DefinitDialoguesFichiers(&fichiers_); });
  // However the window is held, the print system comes back every 10 s.
  const pid_t cupsd = cups_->Pid();
  std::atomic<bool> fini = false;
  std::thread secours([cupsd, &fini] {
    for (int i = 1; !fini; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (i % 100 == 0) ::kill(cupsd, SIGCONT);
    }
  });
  const auto rejoint = qScopeGuard([&] {
    fini = true;
    secours.join();
  });
  int battements = 0;
  QTimer battement;
  QObject::connect(&battement, &QTimer::timeout, [&battements] { ++battements; });
  QElapsedTimer montre;
  ReponsesModales reponses;
  for (const char16_t commande : {u'p', u'c'}) {
    SCOPED_TRACE(commande == u'p' ? "File > Printer" : "the listing");
    battements = 0;
    reponses.Ajoute([&](QWidget* d) {
      auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers"));
      ASSERT_NE(printers, nullptr);
      const int autre = printers->findText(QStringLiteral("MorvoMarges"));
      ASSERT_GE(autre, 0);
      cups_->Gele();
      battement.start(50);
      QTimer::singleShot(1500, d, [d] { QTest::keyClick(d, Qt::Key_Escape); });
      montre.start();
      printers->setCurrentIndex(autre);
    });
    ChoisitMenu(u'f', commande);
    battement.stop();
    EXPECT_LT(montre.elapsed(), 8000);
    EXPECT_GE(battements, 15);
    EXPECT_TRUE(reponses.Epuisees());
    cups_->Degele();
    EXPECT_TRUE(prompter_.Messages().empty()) << prompter_.Messages()[0].texte.toStdString();
    EXPECT_EQ(NomImprimante, QStringLiteral("MorvoA4"));
    ExpectFenetreRendue();
    prompter_.Efface();
  }
  EXPECT_FALSE(QFile::exists(cups_->Sortie(QStringLiteral("MorvoMarges"))));

  // Print pressed on another queue while the print system hangs: the choice is given up once its
  // time is over, and the user is told.
  DelaiSystemeImpression = 2000;
  reponses.Ajoute([&](QWidget* d) {
    auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers"));
    auto* boutons = d->findChild<QDialogButtonBox*>();
    ASSERT_TRUE(printers != nullptr && boutons != nullptr);
    cups_->Gele();
    montre.start();
    printers->setCurrentIndex(printers->findText(QStringLiteral("MorvoMarges")));
    if (d->isVisible()) QTest::mouseClick(boutons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    if (d->isVisible()) static_cast<QDialog*>(d)->reject();
  });
  ChoisitMenu(u'f', u'p');
  EXPECT_LT(montre.elapsed(), 8000);
  cups_->Degele();
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(prompter_.Messages()[0].texte.contains(QStringLiteral("The print system does not answer")));
  EXPECT_EQ(NomImprimante, QStringLiteral("MorvoA4"));
  ExpectFenetreRendue();
  prompter_.Efface();

  // The print system back, the printer prints.
  EXPECT_EQ(ImprimeSur(QStringLiteral("MorvoA4")).size(), 1u);
}

// Esc that closes the printer dialog's queue list while the print system is slow to answer closes the
// list only: the dialog stays, and the queue chosen is the printer once the print system answers.
TEST_F(PrintingCupsTest, EscInTheQueueListClosesOnlyTheListWhileThePrintSystemIsAsked) {
  Demarre();
  Tape(ProgrammeCadreTexte);
  ChoisitImprimante(QStringLiteral("MorvoA4"));
  // Long enough for the steps below, short enough not to hold a test that fails.
  DelaiSystemeImpression = 15000;
  DefinitDialoguesFichiers(nullptr);
  const auto rend = qScopeGuard([this] { DefinitDialoguesFichiers(&fichiers_); });
  const auto degele = qScopeGuard([this] { cups_->Degele(); });
  bool listeOuverte = false, listeFermee = false, dialogueOuvert = false, fait = false;
  QString fileMontree;
  ReponsesModales reponses;
  reponses.Ajoute([&](QWidget* d) {
    auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers"));
    auto* boutons = d->findChild<QDialogButtonBox*>();
    ASSERT_TRUE(printers != nullptr && boutons != nullptr);
    const int autre = printers->findText(QStringLiteral("MorvoMarges"));
    ASSERT_GE(autre, 0);
    // The list opened again while the print system is asked, and closed with Esc; then the print
    // system answers.
    QTimer::singleShot(600, printers, [&, printers] {
      QTest::keyClick(printers, Qt::Key_Down, Qt::AltModifier);
      listeOuverte = QApplication::activePopupWidget() != nullptr;
    });
    QTimer::singleShot(1200, printers, [&, d] {
      if (QWidget* liste = QApplication::activePopupWidget()) {
        QTest::keyClick(liste->windowHandle(), Qt::Key_Escape);
        listeFermee = QApplication::activePopupWidget() == nullptr;
      }
      dialogueOuvert = d->isVisible();
      cups_->Degele();
      fait = true;
    });
    // The queue chosen in the list with the keyboard.
    QTest::keyClick(printers, Qt::Key_Down, Qt::AltModifier);
    QAbstractItemView* vue = printers->view();
    for (int i = 0; i < 10 && vue->currentIndex().row() != autre; ++i)
      QTest::keyClick(vue, vue->currentIndex().row() < autre ? Qt::Key_Down : Qt::Key_Up);
    cups_->Gele();
    QTest::keyClick(vue, Qt::Key_Return);
    QElapsedTimer montre;
    montre.start();
    while (!fait && montre.elapsed() < 20000) QTest::qWait(20);
    fileMontree = printers->currentText();
    if (d->isVisible()) QTest::mouseClick(boutons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    if (d->isVisible()) static_cast<QDialog*>(d)->reject();
  });
  ChoisitMenu(u'f', u'p');
  EXPECT_TRUE(reponses.Epuisees());
  EXPECT_TRUE(listeOuverte);
  EXPECT_TRUE(listeFermee);
  EXPECT_TRUE(dialogueOuvert);
  EXPECT_EQ(fileMontree, QStringLiteral("MorvoMarges"));
  EXPECT_TRUE(prompter_.Messages().empty()) << prompter_.Messages()[0].texte.toStdString();
  ASSERT_EQ(NomImprimante, QStringLiteral("MorvoMarges"));
  ExpectFenetreRendue();
  EXPECT_EQ(ImprimeSur(QStringLiteral("MorvoMarges")).size(), 1u);
}

// A second queue change made quickly on a print server slow to answer (the print system held for
// 1.5 s: Down Down, or Down Up, in the printer dialog) keeps the queue shown, whether Print is
// pressed at once or once the dialog has settled; the dialog's Type line names that queue.
TEST_F(PrintingCupsTest, AQuickSecondQueueChangeKeepsTheQueueShown) {
  ASSERT_TRUE(cups_->Prepare({{QStringLiteral("MorvoA4"), 0, 0},
                              {QStringLiteral("MorvoAsym"), 8, 20, false, 30, 40},
                              {QStringLiteral("MorvoFrac"), 9.4, 29.2}}))
      << cups_->Raison().toStdString();
  Demarre();
  Tape(ProgrammeCadreTexte);
  DelaiSystemeImpression = 15000;
  const auto rend = qScopeGuard([this] { DefinitDialoguesFichiers(&fichiers_); });
  const auto degele = qScopeGuard([this] { cups_->Degele(); });
  struct Cas {
    Qt::Key seconde;
    bool attend;
    QString montree;
  };
  for (const Cas& cas : {Cas{Qt::Key_Down, false, QStringLiteral("MorvoFrac")},
                         Cas{Qt::Key_Up, false, QStringLiteral("MorvoA4")},
                         Cas{Qt::Key_Down, true, QStringLiteral("MorvoFrac")}}) {
    SCOPED_TRACE(cas.montree.toStdString() + (cas.attend ? ", settled" : ", at once"));
    DefinitDialoguesFichiers(&fichiers_);
    ChoisitImprimante(QStringLiteral("MorvoA4"));
    DefinitDialoguesFichiers(nullptr);
    QString fileMontree, typeMontre;
    bool fait = false;
    ReponsesModales reponses;
    reponses.Ajoute([&](QWidget* d) {
      auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers"));
      auto* type = d->findChild<QLabel*>(QStringLiteral("type"));
      auto* boutons = d->findChild<QDialogButtonBox*>();
      ASSERT_TRUE(printers != nullptr && type != nullptr && boutons != nullptr);
      ASSERT_EQ(printers->currentText(), QStringLiteral("MorvoA4"));
      const auto imprime = [&, d, printers, type, boutons] {
        fileMontree = printers->currentText();
        typeMontre = type->text();
        if (d->isVisible()) QTest::mouseClick(boutons->button(QDialogButtonBox::Ok), Qt::LeftButton);
      };
      cups_->Gele();
      QTimer::singleShot(300, printers, [&cas, printers] { QTest::keyClick(printers, cas.seconde); });
      if (!cas.attend) QTimer::singleShot(600, d, imprime);
      QTimer::singleShot(1500, d, [&] {
        cups_->Degele();
        fait = true;
      });
      QTest::keyClick(printers, Qt::Key_Down);
      QElapsedTimer montre;
      montre.start();
      while (!fait && montre.elapsed() < 20000) QTest::qWait(20);
      if (cas.attend) {
        QTest::qWait(1000);
        imprime();
      }
      if (d->isVisible()) static_cast<QDialog*>(d)->reject();
    });
    ChoisitMenu(u'f', u'p');
    EXPECT_TRUE(reponses.Epuisees());
    EXPECT_EQ(fileMontree.toStdString(), cas.montree.toStdString());
    if (cas.attend) {
      EXPECT_EQ(typeMontre.toStdString(), cas.montree.toStdString());
    }
    EXPECT_TRUE(prompter_.Messages().empty()) << prompter_.Messages()[0].texte.toStdString();
    EXPECT_EQ(NomImprimante.toStdString(), cas.montree.toStdString());
    prompter_.Efface();
  }
}

// The test print server runs with a plain user's PATH as well, which has no /usr/sbin: its tools
// are started where they were found.
TEST_F(PrintingCupsTest, TheTestPrintServerRunsWithAPlainUsersPath) {
  const QByteArray chemin = qgetenv("PATH");
  const auto rend = qScopeGuard([chemin] { qputenv("PATH", chemin); });
  qputenv("PATH", "/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games");
  EXPECT_TRUE(cups_->Prepare({{QStringLiteral("MorvoA4"), 0, 0}})) << cups_->Raison().toStdString();
}
