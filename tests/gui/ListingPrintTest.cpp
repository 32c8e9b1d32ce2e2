#include <QLocale>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>

#include "WindowFixture.h"
#include "shell/ListingPrint.h"

namespace {

int NombrePages(const QByteArray& pdf) {
  static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
  return static_cast<int>(QString::fromLatin1(pdf).count(page));
}

QString ProgrammeDe(int lignes, bool finDeLigne = true) {
  QStringList l;
  for (int i = 1; i <= lignes; ++i) l << QStringLiteral("%A") + QString::number(i) + QStringLiteral(" = 1");
  return l.join(QStringLiteral("\r\n")) + (finDeLigne ? QStringLiteral("\r\n") : QString());
}

QList<LigneListing> LignesTexte(const QString& texte) {
  QTextDocument d;
  d.setPlainText(QString(texte).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  return LignesDocument(d);
}

}  // namespace

TEST(ListingLines, LinesFormatsAndTitle) {
  QTextDocument d;
  QTextCursor c(&d);
  c.insertText(QStringLiteral("Trait 0,0,1,1\n"));
  QTextCharFormat rouge;
  rouge.setForeground(QColor(255, 0, 0));
  c.insertText(QStringLiteral("' note"), rouge);
  c.insertText(QStringLiteral("\n"));
  const QList<LigneListing> tout = LignesDocument(d);
  // The final line end gives no empty last line.
  ASSERT_EQ(tout.size(), 2);
  EXPECT_EQ(tout[0].Texte, QStringLiteral("Trait 0,0,1,1"));
  ASSERT_EQ(tout[1].Formats.size(), 1);
  EXPECT_EQ(tout[1].Formats[0].start, 0);
  EXPECT_EQ(tout[1].Formats[0].length, 6);
  EXPECT_EQ(tout[1].Formats[0].format.foreground().color(), QColor(255, 0, 0));

  // A selection from the middle of a line keeps its part and its colours.
  const QList<LigneListing> partie = LignesDocument(d, 6, 17);
  ASSERT_EQ(partie.size(), 2);
  EXPECT_EQ(partie[0].Texte, QStringLiteral("0,0,1,1"));
  EXPECT_EQ(partie[1].Texte, QStringLiteral("' n"));
  ASSERT_EQ(partie[1].Formats.size(), 1);
  EXPECT_EQ(partie[1].Formats[0].length, 3);
  EXPECT_EQ(LignesDocument(QTextDocument()).size(), 1);

  const QDate jour(2024, 3, 9);
  const QString date = QLocale().toString(jour, QLocale::ShortFormat);
  EXPECT_EQ(TitreListing(QStringLiteral("/p/a.dat"), false, jour),
            QStringLiteral("Morvo: /p/a.dat  ") + date);
  EXPECT_EQ(TitreListing(QStringLiteral("/p/a.dat"), true, jour),
            QStringLiteral("Morvo: /p/a.dat (Sélection) ") + date);
}

class ListingPrintTest : public WindowFixture {
 protected:
  // Prints a program text onto a PDF file; the pages' texts.
  QStringList Pages(const QString& texte, int* nbPagesPdf = nullptr) {
    QPrinter p(QPrinter::HighResolution);
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setPageSize(QPageSize(QPageSize::A4));
    const QString pdf = Chemin(QStringLiteral("listing.pdf"));
    p.setOutputFileName(pdf);
    QStringList pages;
    const int n = ImprimeListing(p, QFont(), QStringLiteral("Morvo: t"), LignesTexte(texte), &pages);
    EXPECT_EQ(n, pages.size());
    if (nbPagesPdf) *nbPagesPdf = NombrePages(LitOctets(pdf));
    return pages;
  }
};

TEST_F(ListingPrintTest, SixtyFourLinesAPage) {
  int pdf = 0;
  // The title and the empty line after it count among the 64 lines of page 1.
  QStringList pages = Pages(ProgrammeDe(62), &pdf);
  ASSERT_EQ(pages.size(), 1);
  EXPECT_EQ(pdf, 1);
  EXPECT_TRUE(pages[0].startsWith(QStringLiteral("Morvo: t\n\n%A1 = 1\n")));
  EXPECT_TRUE(pages[0].endsWith(QStringLiteral("%A62 = 1\n- 1/1 -")));
  EXPECT_EQ(Pages(ProgrammeDe(62, false)).size(), 1);

  pages = Pages(ProgrammeDe(63), &pdf);
  ASSERT_EQ(pages.size(), 2);
  EXPECT_EQ(pdf, 2);
  EXPECT_TRUE(pages[0].endsWith(QStringLiteral("%A62 = 1\n- 1/2 -")));
  EXPECT_EQ(pages[1], QStringLiteral("%A63 = 1\n- 2/2 -"));

  // An empty program: the title and the mark of page 1 of 1.
  pages = Pages(QString(), &pdf);
  ASSERT_EQ(pages.size(), 1);
  EXPECT_EQ(pdf, 1);
  EXPECT_EQ(pages[0], QStringLiteral("Morvo: t\n\n\n- 1/1 -"));

  // 62 lines and a final empty line: that line would open a page of its own, and is not printed.
  EXPECT_EQ(Pages(ProgrammeDe(62) + QStringLiteral("\r\n")).size(), 1);
  EXPECT_EQ(Pages(ProgrammeDe(200)).size(), 4);

  // A line too long for the page goes on over a second listing line.
  const QString longue = QStringLiteral("' ") + QString(300, u'x') + QStringLiteral("\r\n");
  pages = Pages(ProgrammeDe(61) + longue);
  ASSERT_EQ(pages.size(), 2);
  EXPECT_TRUE(pages[1].endsWith(QStringLiteral("x\n- 2/2 -")));
}

TEST_F(ListingPrintTest, MenuCommandPrintsTheProgramOrTheSelection) {
  Demarre();
  Shell.NomFichier = Chemin(QStringLiteral("cadran.dat"));
  Ed().Modele().SetText(ProgrammeDe(100));
  // File › Print Code: the print dialog proposes the PDF file and nothing asks for it again.
  ChoisitMenu(u'f', u'c');
  EXPECT_EQ(fichiers_.Demandes, QStringList({QStringLiteral("printer")}));
  EXPECT_EQ(NombrePages(LitOctets(Chemin(QStringLiteral("cadran_code.pdf")))), 2);
  EXPECT_TRUE(prompter_.Messages().empty());

  // With a selection kept in the dialog, only the selected lines, into the file chosen there.
  const QString pdf = Chemin(QStringLiteral("code.pdf"));
  fichiers_.fichierPdf = pdf;
  QTextCursor c = Ed().textCursor();
  c.setPosition(0);
  c.setPosition(40, QTextCursor::KeepAnchor);
  Ed().setTextCursor(c);
  EXPECT_TRUE(F().Mnu_ImprimerCode_Click());
  EXPECT_EQ(NombrePages(LitOctets(pdf)), 1);

  // Cancelled printer dialog: nothing printed.
  QFile::remove(pdf);
  fichiers_.imprimanteChoisie = false;
  fichiers_.Demandes.clear();
  EXPECT_FALSE(F().Mnu_ImprimerCode_Click());
  EXPECT_EQ(fichiers_.Demandes, QStringList({QStringLiteral("printer")}));
  fichiers_.imprimanteChoisie = true;
  EXPECT_FALSE(QFile::exists(pdf));
  EXPECT_TRUE(prompter_.Messages().empty());

  // A PDF that cannot be written is reported.
  fichiers_.fichierPdf = Chemin(QStringLiteral("absent/code.pdf"));
  EXPECT_FALSE(F().Mnu_ImprimerCode_Click());
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(
      prompter_.Messages()[0].texte.startsWith(QStringLiteral("Erreur d'imprimante [Printer error]")));
}
