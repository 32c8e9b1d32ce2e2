#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <set>

#include "platform/Host.h"
#include "platform/StringTable.h"

namespace {

TEST(StringTable, RunErrorTextsInFrenchAndEnglish) {
  EXPECT_EQ(TexteRes(114), QStringLiteral("Erreur dans la ligne : "));
  EXPECT_EQ(TexteRes(400 + 114), QStringLiteral("Error in line:"));
  EXPECT_EQ(TexteRes(124), QStringLiteral("Erreur de commande dans la ligne : "));
  EXPECT_EQ(TexteRes(400 + 124), QStringLiteral("Command error in line: "));
  EXPECT_EQ(TexteRes(161), QStringLiteral("     Ordre des commandes : \r\n          FormatI =\r\n"
                                          "          Centre{E;I;EI} =\r\n          Commandes de tracé"));
  EXPECT_EQ(TexteRes(400 + 161), QStringLiteral("     Commands sequence :\r\n          FormatI =\r\n"
                                                "          Centre{E;I;EI} =\r\n          Graphic commands"));
  EXPECT_EQ(TexteRes(24), QStringLiteral("Supprimer") + QString(10, u' ') + u'\t' + QStringLiteral("Suppr"));
}

TEST(StringTable, MessageLanguageBase) {
  const int sauve = Shell.BaseLangue;
  Shell.BaseLangue = 400;
  EXPECT_EQ(TexteMsg(114), QStringLiteral("Error in line:"));
  Shell.BaseLangue = 800;
  EXPECT_EQ(TexteMsg(118), QStringLiteral("Änderungen speichern?"));
  Shell.BaseLangue = 0;
  EXPECT_EQ(TexteMsg(118), QStringLiteral("Sauvegarder les modifications?"));
  Shell.BaseLangue = sauve;
}

TEST(StringTable, MissingNumbersFallBackToFrenchOrEmpty) {
  // Spanish has no masks: the French mask stands in.
  EXPECT_FALSE(TexteResExiste(1200 + 304));
  EXPECT_EQ(TexteRes(1200 + 304), TexteRes(304));
  // A number in no block gives the empty text.
  EXPECT_FALSE(TexteResExiste(318));
  EXPECT_EQ(TexteRes(318), QString());
  EXPECT_EQ(TexteRes(400 + 318), QString());
  EXPECT_EQ(TexteRes(-1), QString());
}

TEST(StringTable, LanguageBlocks) {
  EXPECT_EQ(TexteRes(3), QStringLiteral("4"));
  for (int base : {400, 800, 1200, 1600}) EXPECT_FALSE(TexteResExiste(base + 3)) << base;
  EXPECT_EQ(TexteRes(5), QStringLiteral("Français"));
  EXPECT_EQ(TexteRes(405), QStringLiteral("English"));
  EXPECT_EQ(TexteRes(805), QStringLiteral("Deutsch"));
  EXPECT_EQ(TexteRes(1205), QStringLiteral("Castellano"));
  EXPECT_EQ(TexteRes(1605), QStringLiteral("Russian"));
  EXPECT_EQ(TexteRes(8), QStringLiteral("fr"));
  EXPECT_EQ(TexteRes(1208), QStringLiteral("es"));
  EXPECT_EQ(TexteRes(1608), QStringLiteral("ru"));
  EXPECT_EQ(TexteRes(1606), QStringLiteral("Not available"));
  EXPECT_EQ(TexteRes(1609), QStringLiteral("Not available"));
  EXPECT_NE(TexteRes(6), QStringLiteral("Not available"));
  EXPECT_FALSE(TexteResExiste(1600 + 114));
}

TEST(StringTable, EveryLanguageFileParses) {
  for (const char* nom : {"fr", "en", "de", "es", "ru"}) {
    SCOPED_TRACE(nom);
    QFile f(QStringLiteral(":/strings/%1.txt").arg(QLatin1String(nom)));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray octets = f.readAll();
    const QString texte = QString::fromUtf8(octets);
    EXPECT_EQ(texte.toUtf8(), octets) << "not valid UTF-8";
    std::set<int> vus;
    int precedent = 0;
    int ligneNo = 0;
    for (const QString& ligne : texte.split(u'\n')) {
      ++ligneNo;
      if (ligne.isEmpty() || ligne.startsWith(u'#')) continue;
      const qsizetype tab = ligne.indexOf(u'\t');
      ASSERT_GT(tab, 0) << "line " << ligneNo;
      bool ok = false;
      const int n = ligne.left(tab).toInt(&ok);
      ASSERT_TRUE(ok) << "line " << ligneNo;
      EXPECT_GE(n, 3) << "line " << ligneNo;
      EXPECT_LT(n, 400) << "line " << ligneNo << ": beyond the language's block";
      EXPECT_TRUE(vus.insert(n).second) << "duplicate " << n;
      EXPECT_GT(n, precedent) << "line " << ligneNo << " out of order";
      precedent = n;
    }
    const QString langue = QLatin1String(nom);
    if (langue == u"ru") {
      EXPECT_EQ(vus, (std::set<int>{5, 6, 7, 8, 9}));
    } else {
      EXPECT_EQ(vus.count(3), langue == u"fr" ? 1u : 0u);
      EXPECT_EQ(vus.count(318) + vus.count(342), 0u);
      EXPECT_TRUE(vus.count(114) && vus.count(161) && vus.count(10) && vus.count(88));
    }
    if (langue == u"es") {
      EXPECT_EQ(vus.lower_bound(301), vus.end()) << "Spanish holds no masks";
    }
  }
}

}  // namespace
