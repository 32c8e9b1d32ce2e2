// The help as the build makes it: every command has its place in each language's reference, every
// link and picture leads to a file and anchor that exist, every example runs through the real
// interpreter with no run error, and the generator puts the prose, the examples and the string
// table's texts where they belong.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>

#include "RunFixture.h"
#include "interpreter/KeywordTable.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"

namespace {

const QString kAide = QStringLiteral(MORVO_HELP_DIR);
const QStringList kLangues = {QStringLiteral("fr"), QStringLiteral("en"), QStringLiteral("de"),
                              QStringLiteral("es")};

QString Lit(const QString& chemin) {
  QFile f(chemin);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The ids of a page, decoded as a browser matches a "#" part against them.
QSet<QString> Ancres(const QString& html) {
  static const QRegularExpression id(QStringLiteral("\\sid=\"([^\"]*)\""));
  QSet<QString> ancres;
  for (auto it = id.globalMatch(html); it.hasNext();) {
    QString a = it.next().captured(1);
    a.replace(QStringLiteral("&amp;"), QStringLiteral("&")).replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    ancres.insert(a);
  }
  return ancres;
}

// Every href and src of every page under `racine` that does not lead to an existing file and id;
// a link that leaves the help (a scheme, an absolute path) counts as broken: the help is read
// without a network.
QStringList LiensCasses(const QString& racine) {
  static const QRegularExpression lien(QStringLiteral("\\s(href|src)=\"([^\"]*)\""));
  QHash<QString, QSet<QString>> ancres;
  const auto ancresDe = [&](const QString& chemin) -> const QSet<QString>& {
    if (!ancres.contains(chemin)) ancres.insert(chemin, Ancres(Lit(chemin)));
    return ancres[chemin];
  };
  QStringList casses;
  for (QDirIterator it(racine, {QStringLiteral("*.html")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
    const QString page = it.next();
    for (auto m = lien.globalMatch(Lit(page)); m.hasNext();) {
      QString cible = m.next().captured(2);
      cible.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
      const QUrl url(cible);
      if (!url.isRelative() || cible.startsWith(u'/') || cible.isEmpty()) {
        casses << page + QStringLiteral(": ") + cible;
        continue;
      }
      const QString fichier =
          url.path().isEmpty() ? page : QFileInfo(QFileInfo(page).dir(), url.path()).absoluteFilePath();
      const bool existe = QFileInfo(fichier).isFile();
      if (!existe || (url.hasFragment() && !ancresDe(fichier).contains(url.fragment(QUrl::FullyDecoded))))
        casses << page + QStringLiteral(": ") + cible;
    }
  }
  return casses;
}

// The commands that serve the authors of external command files only, kept out of the help.
bool Cache(const MotCle& m) {
  return QString::fromLatin1(m.Ecrit) == QStringLiteral("DagCode") || QString::fromLatin1(m.Ecrit) == QStringLiteral("Shell#$");
}

TEST(HelpFilesTest, EveryCommandHasItsPlaceWhereTheContextHelpOpensInEachLanguage) {
  for (const QString& code : kLangues) {
    const QString dossier = kAide + QStringLiteral("/Morvo_") + code;
    ASSERT_TRUE(QFileInfo(kAide + QStringLiteral("/Morvo_") + code + QStringLiteral(".html")).isFile()) << code.toStdString();
    for (const MotCle& m : MotsCles()) {
      if (Cache(m)) continue;
      const QString mot = QString::fromLatin1(m.Ecrit);
      // The context help opens the summary for a command of no category: its row is there.
      const int sujet = m.Sujet > 0 ? m.Sujet : 5000;
      const QString page = dossier + QStringLiteral("/%1.html").arg(sujet);
      EXPECT_TRUE(Ancres(Lit(page)).contains(mot)) << code.toStdString() << " " << mot.toStdString() << " in " << sujet;
      EXPECT_TRUE(Ancres(Lit(dossier + QStringLiteral("/5000.html"))).contains(mot))
          << code.toStdString() << " " << mot.toStdString() << " in the summary";
    }
    // The syntax line of a command is the hint of its language, escaped.
    const QString trait = Lit(dossier + QStringLiteral("/2200.html"));
    const int base = static_cast<int>(kLangues.indexOf(code)) * 400;
    EXPECT_TRUE(trait.contains(TexteRes(base + 235).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).toHtmlEscaped()))
        << code.toStdString();
    for (const QString& page : {QStringLiteral("/7000.html"), QStringLiteral("/examples.html"), QStringLiteral("/index.html")})
      EXPECT_TRUE(QFileInfo(dossier + page).isFile()) << code.toStdString() << page.toStdString();
    EXPECT_TRUE(QFileInfo(kAide + QStringLiteral("/Morvo-200_") + code + QStringLiteral(".html")).isFile());
    EXPECT_TRUE(QFileInfo(kAide + QStringLiteral("/Morvo_MAJ_") + code + QStringLiteral(".html")).isFile());
  }
}

TEST(HelpFilesTest, EveryLinkAndPictureOfTheHelpLeadsToAFileAndAnchor) {
  const QStringList casses = LiensCasses(kAide);
  EXPECT_TRUE(casses.isEmpty()) << casses.join(u'\n').toStdString();
  EXPECT_TRUE(QFileInfo(kAide + QStringLiteral("/Morvo_en/img/gallery/voltmeter.png")).isFile());
}

// A section of the prose that names no command, no topic or no page of the help would be left out
// of it without a word: each must name one.
TEST(HelpFilesTest, EveryProseSectionNamesACommandTopicOrPageOfTheHelp) {
  static const QRegularExpression section(QStringLiteral("^\\s*<!--\\s*(command|topic):\\s*(\\S+)\\s*-->\\s*$"),
                                          QRegularExpression::MultilineOption);
  const QStringList pages = {QStringLiteral("start"),     QStringLiteral("coordinates"), QStringLiteral("values"),
                             QStringLiteral("separators"), QStringLiteral("colours"),     QStringLiteral("scales"),
                             QStringLiteral("commandfiles"), QStringLiteral("datafiles"), QStringLiteral("files"),
                             QStringLiteral("printing"),  QStringLiteral("runner"),      QStringLiteral("surprises"),
                             QStringLiteral("changes"),   QStringLiteral("terms")};
  for (const QString& code : kLangues) {
    const QString dossier = QStringLiteral(MORVO_SOURCE_DIR "/doc/help/") + code;
    for (const QString& fichier : {QStringLiteral("/commands.html"), QStringLiteral("/topics.html")}) {
      for (auto m = section.globalMatch(Lit(dossier + fichier)); m.hasNext();) {
        const QRegularExpressionMatch s = m.next();
        const QString nom = s.captured(2);
        if (s.captured(1) == QStringLiteral("topic")) {
          const int sujet = nom.toInt();
          EXPECT_TRUE(sujet >= 2100 && sujet <= 3200 && sujet % 100 == 0) << code.toStdString() << ": topic " << nom.toStdString();
        } else {
          const MotCle* m = ChercheMotCle(nom.toUpper());
          EXPECT_TRUE(m && QString::fromLatin1(m->Ecrit) == nom && !Cache(*m)) << code.toStdString() << ": command " << nom.toStdString();
        }
      }
    }
    for (const QFileInfo& f : QDir(dossier + QStringLiteral("/pages")).entryInfoList({QStringLiteral("*.html")}, QDir::Files))
      EXPECT_TRUE(pages.contains(f.completeBaseName())) << code.toStdString() << ": page " << f.fileName().toStdString();
  }
}

class HelpExamplesTest : public RunFixture {};

// Every example that the help and the gallery show runs with no run error, no message and no
// question: what the page shows is what it draws.
TEST_F(HelpExamplesTest, EveryExampleRunsWithNoRunError) {
  int n = 0;
  for (const char* dossier : {"/doc/help/examples", "/examples"}) {
    // In a copy of the folder: the files an example writes stay out of the sources.
    QTemporaryDir copie;
    ASSERT_TRUE(copie.isValid());
    const QString source = QStringLiteral(MORVO_SOURCE_DIR) + QString::fromLatin1(dossier);
    // The command files an example calls from a subfolder come along.
    for (QDirIterator it(source, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
      const QString relatif = QDir(source).relativeFilePath(it.next());
      ASSERT_TRUE(QDir().mkpath(QFileInfo(copie.filePath(relatif)).absolutePath()));
      ASSERT_TRUE(QFile::copy(it.filePath(), copie.filePath(relatif)));
    }
    const QString chemin = copie.path();
    for (const QFileInfo& f : QDir(chemin).entryInfoList({QStringLiteral("*.dat")}, QDir::Files)) {
      SetUp();
      OuvreDans(chemin);
      QFile fichier(f.filePath());
      ASSERT_TRUE(fichier.open(QIODevice::ReadOnly));
      Run(NormaliseFinsDeLigne(DecodeTexte(fichier.readAll())));
      EXPECT_TRUE(Messages().empty()) << f.fileName().toStdString() << ": " << Messages().front().texte.toStdString();
      EXPECT_FALSE(Primitives().empty()) << f.fileName().toStdString() << " draws nothing";
      ++n;
      TearDown();
    }
  }
  EXPECT_GE(n, 2);
}

// The generator on sources of its own (tests/help/source): prose of one language only, two
// examples, one of them in Windows-1252.
TEST(HelpGeneratorTest, ProseExamplesAndTheStringTableGoWhereTheyBelong) {
  QTemporaryDir sortie;
  ASSERT_TRUE(sortie.isValid());
  const QString source = QStringLiteral(MORVO_SOURCE_DIR "/tests/help/source");
  const QString images = sortie.filePath(QStringLiteral("images"));
  ASSERT_TRUE(QDir().mkpath(images + QStringLiteral("/gallery")));
  for (const auto& [programme, image] :
       {std::pair{QStringLiteral("/doc/help/examples/Cercle.dat"), QStringLiteral("/Cercle.png")},
        std::pair{QStringLiteral("/doc/help/examples/Cadre.dat"), QStringLiteral("/Cadre.png")},
        std::pair{QStringLiteral("/examples/ring.dat"), QStringLiteral("/gallery/ring.png")}}) {
    ASSERT_EQ(QProcess::execute(QStringLiteral(MORVO_RUN_PATH), {QStringLiteral("--png"), images + image, source + programme}), 0);
  }
  const QString aide = sortie.filePath(QStringLiteral("share"));
  ASSERT_EQ(QProcess::execute(QStringLiteral(MORVO_HELPGEN_PATH), {source, images, aide}), 0);

  const QString cercles = Lit(aide + QStringLiteral("/Morvo_en/2200.html"));
  EXPECT_TRUE(cercles.contains(QStringLiteral("<h1>Lines &amp; circles</h1>")));
  EXPECT_TRUE(cercles.contains(QStringLiteral("Draws a circle, an arc or an ellipse")));
  EXPECT_TRUE(cercles.contains(QStringLiteral("href=\"3100.html#Bezier\"")))
      << "a command linked on another category's page leads to its own";
  // Without an example line, the example named after the command; its program decoded.
  EXPECT_TRUE(cercles.contains(QStringLiteral("Texte = 40, 20, , , 90°")));
  EXPECT_TRUE(cercles.contains(QStringLiteral("src=\"img/Cercle.png\"")));
  // The fields of the mask, sub-fields and optional ones told apart.
  EXPECT_TRUE(cercles.contains(QStringLiteral("<tr class=\"sous-champ facultatif\"><td>§1</td><td>[Coefficient (ellipse)]")))
      << cercles.toStdString();
  const QString cadres = Lit(aide + QStringLiteral("/Morvo_en/2300.html"));
  EXPECT_EQ(cadres.count(QStringLiteral("src=\"img/Cadre.png\"")), 1) << "the example line only";
  EXPECT_TRUE(cadres.contains(QStringLiteral("id=\"CadreP\"")));
  // The input hint holds "<": escaped.
  EXPECT_TRUE(Lit(aide + QStringLiteral("/Morvo_en/2900.html")).contains(QStringLiteral("Input =&lt; question")));

  const QString debut = Lit(aide + QStringLiteral("/Morvo_en/start.html"));
  EXPECT_TRUE(debut.contains(QStringLiteral("<title>Getting started - Morvo Help</title>")));
  EXPECT_TRUE(debut.contains(QStringLiteral("src=\"img/Cercle.png\"")));
  EXPECT_TRUE(debut.contains(QStringLiteral("rel=\"next\" href=\"changes.html\"")));
  const QString galerie = Lit(aide + QStringLiteral("/Morvo_en/examples.html"));
  EXPECT_TRUE(galerie.contains(QStringLiteral("<p>A ring of two circles</p>")));
  EXPECT_TRUE(galerie.contains(QStringLiteral("src=\"img/gallery/ring.png\"")));

  // The contents beside the folder lead into it.
  const QString sommaire = Lit(aide + QStringLiteral("/Morvo_en.html"));
  EXPECT_TRUE(sommaire.contains(QStringLiteral("href=\"Morvo_en/start.html\"")));
  EXPECT_TRUE(sommaire.contains(QStringLiteral("href=\"Morvo_en/style.css\"")));
  // A language with no prose yet: the reference and the terms of the string table.
  EXPECT_TRUE(Lit(aide + QStringLiteral("/Morvo_de/7000.html")).contains(TexteRes(800 + 168).toHtmlEscaped()));
  EXPECT_TRUE(Lit(aide + QStringLiteral("/Morvo_de/2200.html")).contains(QStringLiteral("id=\"Cercle\"")));
  EXPECT_FALSE(QFileInfo(aide + QStringLiteral("/Morvo_de/start.html")).exists());

  const QStringList casses = LiensCasses(aide);
  EXPECT_TRUE(casses.isEmpty()) << casses.join(u'\n').toStdString();
}

}  // namespace
