#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ConfigFixture.h"
#include "editor/MaskLookup.h"
#include "interpreter/Scrambling.h"
#include "platform/Host.h"
#include "platform/StringTable.h"
#include "shell/Languages.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

class MaskLookupTest : public ConfigFixture {
 protected:
  struct Resultat {
    QString masque;
    QString mot;
    bool editable = false;
    QString signe;
  };
  static Resultat Cherche(const QString& mot) {
    Resultat r;
    r.mot = mot;
    r.editable = !r.editable;
    r.signe = QStringLiteral("?");
    r.masque = Masque(r.mot, r.editable, r.signe);
    return r;
  }
  // A command file holding the given header lines, scrambled as the files are written.
  void EcritCommande(const QString& nom, const QStringList& entete) {
    QFile f(dossier_.path() + u'/' + nom + QStringLiteral(".dag"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QStringList lignes = QStringList{QStringLiteral("' ") + nom} + entete +
                               QStringList{QStringLiteral("'#"), QStringLiteral("Trait = 0, 0, 1, 1")};
    f.write(CodeFicExterne(lignes.join(CRLF)));
  }
  void Liste(const QStringList& noms) {
    Shell.CmdExternes = noms;
    Shell.RepCmdExternes.clear();
    for (qsizetype i = 0; i < noms.size(); ++i) Shell.RepCmdExternes << dossier_.path() + u'/';
  }
  static void Langues(int messages, int masques) {
    DefinitLangue(messages);
    DefinitLangueMasq(masques);
  }
  QTemporaryDir dossier_;
};

TEST_F(MaskLookupTest, BuiltInMasksFromTheMaskLanguage) {
  Langues(2, 1);
  Resultat r = Cherche(QStringLiteral("cadre%"));
  EXPECT_EQ(r.mot, QStringLiteral("CADRE%"));
  EXPECT_EQ(r.masque, TexteRes(304));
  EXPECT_EQ(r.masque, Cherche(QStringLiteral("Cadre")).masque);
  EXPECT_TRUE(r.editable);
  EXPECT_EQ(r.signe, QStringLiteral(" ="));

  r = Cherche(QStringLiteral("GOTO"));
  EXPECT_EQ(r.masque, QStringLiteral("Saut à une étiquette;Etiquette (ou numéro de ligne)"));
  EXPECT_TRUE(r.editable);
  EXPECT_EQ(r.signe, QStringLiteral(" "));
  EXPECT_EQ(Cherche(QStringLiteral("IfT")).signe, QStringLiteral(" "));
  EXPECT_EQ(Cherche(QStringLiteral("Input")).signe, QStringLiteral(" "));

  r = Cherche(QStringLiteral("ELSE"));
  EXPECT_EQ(r.masque, QStringLiteral("Branche Else d'un bloc If"));
  EXPECT_FALSE(r.editable);
  EXPECT_EQ(r.signe, QString());
  for (const char* affiche : {"SUITE", "STOP", "!", "ENDIF", "ELSEIF", "ELSEIFT"}) {
    r = Cherche(QString::fromLatin1(affiche));
    EXPECT_FALSE(r.editable) << affiche;
    EXPECT_EQ(r.signe, QString()) << affiche;
    EXPECT_FALSE(r.masque.isEmpty()) << affiche;
  }

  r = Cherche(QStringLiteral("%largeur"));
  EXPECT_EQ(r.masque, TexteRes(348));
  EXPECT_TRUE(r.editable);
  EXPECT_EQ(r.signe, QString());
  r = Cherche(QStringLiteral("'"));
  EXPECT_EQ(r.masque, QStringLiteral("Ligne de commentaire;Pas de paramètre."));
  EXPECT_FALSE(r.editable);
  r = Cherche(QStringLiteral("Trou"));
  EXPECT_EQ(r.masque, QString());
  EXPECT_FALSE(r.editable);

  Langues(1, 2);
  EXPECT_EQ(Cherche(QStringLiteral("GOTO")).masque, QStringLiteral("Jump to a label;Label (or line number)"));
  EXPECT_EQ(Cherche(QStringLiteral("'")).masque, QStringLiteral("Comment line;No parameter."));
  Langues(1, 3);
  EXPECT_EQ(Cherche(QStringLiteral("VAL%")).masque, TexteRes(800 + 357));
  EXPECT_NE(TexteRes(800 + 357), TexteRes(357));
  Langues(1, 4);
  EXPECT_EQ(Cherche(QStringLiteral("Cadre")).masque, TexteRes(304)) << "no Spanish masks: French";
}

TEST_F(MaskLookupTest, ExternalCommandSectionByLanguage) {
  ASSERT_TRUE(dossier_.isValid());
  EcritCommande(QStringLiteral("MCE_Trou"), {QStringLiteral("'$EHole;[x];[y]"), QStringLiteral("'@C LB"),
                                             QStringLiteral("'$FTrou;[x];[y]"), QStringLiteral("'@C LB"),
                                             QStringLiteral("sans apostrophe"), QStringLiteral("'$$")});
  EcritCommande(QStringLiteral("MCE_Loch"), {QStringLiteral("'$DLoch;[x]"), QStringLiteral("'$$")});
  EcritCommande(QStringLiteral("MCE_Ouvert"), {QStringLiteral("'$FOuvert;[x]"), QStringLiteral("' suite")});
  Liste({QStringLiteral("MCE_Loch"), QStringLiteral("MCE_Ouvert"), QStringLiteral("MCE_Trou"),
         QStringLiteral("MCE_Absent")});
  const QString anglais = QStringLiteral("Hole;[x];[y]") + CRLF + QStringLiteral("@C LB") + CRLF;
  const QString francais = QStringLiteral("Trou;[x];[y]") + CRLF + QStringLiteral("@C LB") + CRLF +
                           QStringLiteral("sans apostrophe") + CRLF;

  Langues(2, 1);
  Resultat r = Cherche(QStringLiteral("mce_trou"));
  EXPECT_EQ(r.masque, anglais) << "the message language first";
  EXPECT_TRUE(r.editable);
  EXPECT_EQ(r.signe, QStringLiteral(" ="));
  Langues(1, 1);
  EXPECT_EQ(Cherche(QStringLiteral("MCE_TROU")).masque, francais);
  Langues(3, 2);
  EXPECT_EQ(Cherche(QStringLiteral("MCE_TROU")).masque, anglais) << "then the mask language";
  Langues(3, 3);
  EXPECT_EQ(Cherche(QStringLiteral("MCE_TROU")).masque, francais) << "then French";

  Langues(1, 1);
  r = Cherche(QStringLiteral("MCE_LOCH"));
  EXPECT_EQ(r.masque, QStringLiteral("Commande externe non documentée; "));
  EXPECT_FALSE(r.editable);
  Langues(3, 1);
  EXPECT_EQ(Cherche(QStringLiteral("MCE_LOCH")).masque, QStringLiteral("Loch;[x]") + CRLF);

  Langues(1, 1);
  r = Cherche(QStringLiteral("MCE_OUVERT"));
  EXPECT_EQ(r.masque, TexteRes(359)) << "a section that nothing closes";
  EXPECT_FALSE(r.editable);
  r = Cherche(QStringLiteral("MCE_ABSENT"));
  EXPECT_EQ(r.masque, TexteRes(359)) << "a file that cannot be read";
  EXPECT_FALSE(r.editable);

  QFile abime(dossier_.path() + QStringLiteral("/MCE_Abime.dag"));
  ASSERT_TRUE(abime.open(QIODevice::WriteOnly));
  abime.write("pas un fichier de commande");
  abime.close();
  Liste({QStringLiteral("MCE_Abime")});
  r = Cherche(QStringLiteral("MCE_ABIME"));
  EXPECT_EQ(r.masque, TexteRes(359));
  EXPECT_FALSE(r.editable);
  EXPECT_EQ(Cherche(QStringLiteral("MCE_TROU")).masque, QString()) << "no longer listed";
}

}  // namespace
