#include <QAction>
#include <QFileInfo>
#include <functional>
#include <QTemporaryDir>
#include <QUrl>

#include "WindowFixture.h"
#include "platform/StringTable.h"
#include "shell/Help.h"
#include "shell/LanguageDialog.h"
#include "shell/Languages.h"
#include "shell/Menus.h"
#include "shell/QtHost.h"

namespace {

class HelpTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    DefinitOuvreurUrl([this](const QUrl& url) {
      Ouverts << url;
      return reussit;
    });
  }
  void TearDown() override {
    DefinitOuvreurUrl(nullptr);
    WindowFixture::TearDown();
  }
  QString Dernier() const { return Ouverts.isEmpty() ? QString() : Ouverts.last().toLocalFile(); }
  QList<QUrl> Ouverts;
  bool reussit = true;
};

TEST_F(HelpTest, LookupBesideTheProgramThenInTheConfiguration) {
  PrepareConfig();
  const QString nom = QStringLiteral("Morvo_fr.chm");
  EXPECT_TRUE(TrouveFichierAide(nom, Programme()).isEmpty());
  EcritOctets(DossierXdg() + QStringLiteral("/morvo_FR.pdf"), "%PDF");
  EXPECT_EQ(TrouveFichierAide(nom, Programme()), DossierXdg() + QStringLiteral("/morvo_FR.pdf"));
  EcritOctets(Programme() + QStringLiteral("/MORVO_FR.HTM"), "<html>");
  EXPECT_EQ(TrouveFichierAide(nom, Programme()), Programme() + QStringLiteral("/MORVO_FR.HTM"));
  EcritOctets(Programme() + QStringLiteral("/Morvo_fr.chm"), "chm");
  EXPECT_EQ(TrouveFichierAide(nom, Programme()), Programme() + QStringLiteral("/Morvo_fr.chm"));
  EXPECT_TRUE(TrouveFichierAide(QStringLiteral("Morvo_en.chm"), Programme()).isEmpty());

  EcritOctets(Programme() + QStringLiteral("/morvo_FR/non_doc_fr.html"), "<html>");
  EXPECT_EQ(TrouveFichierAide(NomAideNonDoc(), Programme()),
            Programme() + QStringLiteral("/morvo_FR/non_doc_fr.html"));
}

// An installed Morvo has its help files in "morvo" of the XDG data folders: after the program
// folder, before the configuration folder.
TEST_F(HelpTest, LookupWhereMorvoIsInstalled) {
  PrepareConfig();
  QTemporaryDir partage;
  ASSERT_TRUE(partage.isValid());
  struct Environnement {
    bool avait = qEnvironmentVariableIsSet("XDG_DATA_DIRS");
    QByteArray ancien = qgetenv("XDG_DATA_DIRS");
    ~Environnement() {
      if (avait)
        qputenv("XDG_DATA_DIRS", ancien);
      else
        qunsetenv("XDG_DATA_DIRS");
    }
  } environnement;
  qputenv("XDG_DATA_DIRS", QFile::encodeName(partage.path()));
  const QString nom = QStringLiteral("Morvo_fr.chm");
  EcritOctets(DossierXdg() + QStringLiteral("/Morvo_fr.pdf"), "%PDF");
  const QString installe = QDir(partage.path()).absoluteFilePath(QStringLiteral("morvo/Morvo_fr.html"));
  EcritOctets(installe, "<html>");
  EXPECT_EQ(TrouveFichierAide(nom, Programme()), installe);
  EcritOctets(Programme() + QStringLiteral("/Morvo_fr.pdf"), "%PDF");
  EXPECT_EQ(TrouveFichierAide(nom, Programme()), Programme() + QStringLiteral("/Morvo_fr.pdf"));
}

TEST_F(HelpTest, MissingOrUnopenableFilesAreTold) {
  PrepareConfig();
  EXPECT_FALSE(CHelp::Show(QStringLiteral("Morvo_fr.chm"), Programme(), 7000));
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, QStringLiteral("Fichier d'aide introuvable : Morvo_fr.chm"));
  EXPECT_TRUE(Ouverts.isEmpty());
  DefinitLangue(2);
  EXPECT_EQ(TexteAideAbsente(QStringLiteral("X.chm")), QStringLiteral("Help file not found: X.chm"));
  DefinitLangue(3);
  EXPECT_EQ(TexteAideAbsente(QStringLiteral("X.chm")), QStringLiteral("Hilfedatei nicht gefunden: X.chm"));
  DefinitLangue(4);
  EXPECT_EQ(TexteAideAbsente(QStringLiteral("X.chm")),
            QStringLiteral("No se encuentra el archivo de ayuda: X.chm"));

  DefinitLangue(2);
  EcritOctets(Programme() + QStringLiteral("/Morvo_fr.html"), "<html>");
  reussit = false;
  EXPECT_FALSE(CHelp::Show(QStringLiteral("Morvo_fr.chm"), Programme(), 7000));
  ASSERT_EQ(Ouverts.size(), 1);
  EXPECT_EQ(Ouverts[0].fragment(), QStringLiteral("7000"));
  ASSERT_EQ(prompter_.Messages().size(), 2u);
  EXPECT_TRUE(prompter_.Messages()[1].texte.startsWith(QStringLiteral("The help file cannot be opened: ")));
}

TEST_F(HelpTest, MenuEntriesFollowTheirLanguages) {
  Demarre();
  for (const char* nom : {"Morvo_fr.chm", "Morvo_en.html", "Morvo_MAJ_fr.pdf", "Morvo-200_en.htm"})
    EcritOctets(Programme() + u'/' + QString::fromLatin1(nom), "x");
  MenusPrincipaux& m = F().Menus();
  EXPECT_FALSE(m.Action(QStringLiteral("Mnu_Aide"))->isEnabled())
      << "one help entry while the languages agree";
  DefinitLangueMenu(2);
  F().AfficheMenus();
  m.RegleEntreesAide(false, Programme());
  EXPECT_TRUE(m.Action(QStringLiteral("Mnu_Aide"))->isEnabled());

  m.Action(QStringLiteral("Mnu_ResumeSyntaxes"))->trigger();
  EXPECT_EQ(Dernier(), Programme() + QStringLiteral("/Morvo_en.html"));
  EXPECT_EQ(Ouverts.last().fragment(), QStringLiteral("5000"));
  m.Action(QStringLiteral("Mnu_Aide25"))->trigger();
  EXPECT_EQ(Dernier(), Programme() + QStringLiteral("/Morvo_fr.chm"))
      << "the application help: mask language";
  EXPECT_FALSE(Ouverts.last().hasFragment());
  m.Action(QStringLiteral("Mnu_MAJ_Aide"))->trigger();
  EXPECT_EQ(Dernier(), Programme() + QStringLiteral("/Morvo_MAJ_fr.pdf"));
  m.Action(QStringLiteral("Mnu_Aide"))->trigger();
  EXPECT_EQ(Dernier(), Programme() + QStringLiteral("/Morvo-200_en.htm"));
  m.Action(QStringLiteral("Mnu_Conditions"))->trigger();
  EXPECT_EQ(Ouverts.last().fragment(), QStringLiteral("7000"));
  EXPECT_EQ(Ouverts.size(), 5);

  // Shift+F2 in the editor and the help requested by a program run.
  F().Editeur().ResumeSyntaxes();
  EXPECT_EQ(Dernier(), Programme() + QStringLiteral("/Morvo_en.html"));
  F().Hote().OuvreAide();
  EXPECT_EQ(Dernier(), Programme() + QStringLiteral("/Morvo_fr.chm"));
  EXPECT_TRUE(prompter_.Messages().empty());

  EXPECT_FALSE(m.Action(QStringLiteral("Mnu_Non_Doc"))->isVisible());
  F().Mnu_Non_Doc_Click();
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(prompter_.Messages()[0].texte.endsWith(QStringLiteral("Morvo_fr/Non_Doc_fr.chm")));

  m.Action(QStringLiteral("Mnu_AProposDe"))->trigger();
  ASSERT_EQ(prompter_.Messages().size(), 2u);
  EXPECT_EQ(prompter_.Messages()[1].titre, QStringLiteral("A propos de Morvo"));
  EXPECT_TRUE(prompter_.Messages()[1].texte.startsWith(
      QStringLiteral("\r\nMorvo Version: ") + VersionTexte() + QStringLiteral("\r\n\r\nAuteur: \r\n")));
  EXPECT_TRUE(prompter_.Messages()[1].texte.endsWith(TexteMsg(103) + QString(11, u' ')));
}

// With the help the build made beside the program, each entry of the Help menu, clicked or reached
// by its key on the shown window, hands the opener a page that exists, a topic on a page of its
// own (no "#" part, which some openers drop).
TEST_F(HelpTest, EveryEntryAndKeyOpensAPageOfTheBuiltHelp) {
  const QDir aide(QStringLiteral(MORVO_HELP_DIR));
  for (const QString& nom : aide.entryList({QStringLiteral("Morvo*")}, QDir::Files | QDir::Dirs))
    ASSERT_TRUE(QFile::link(aide.filePath(nom), Programme() + u'/' + nom)) << nom.toStdString();
  Demarre();
  Tape(QStringLiteral("Trait = 1, 2\r\nCadre = 1, 2, 3, 4"));
  Ed().Modele().SetSelStart(17);
  const auto ouvre = [this](const std::function<void()>& geste) {
    Ouverts.clear();
    geste();
    QApplication::processEvents();
    if (Ouverts.size() != 1) return QStringLiteral("%1 pages opened").arg(Ouverts.size());
    const QUrl url = Ouverts.front();
    if (url.hasFragment() || !QFileInfo(url.toLocalFile()).isFile()) return QStringLiteral("no page: ") + url.toString();
    return url.toLocalFile().mid(Programme().size() + 1);
  };
  const auto clic = [this](const char* entree) {
    return [this, entree] { CliqueMenu(QStringLiteral("Mnu_Help"), QString::fromLatin1(entree)); };
  };
  const auto touche = [this](int t, Qt::KeyboardModifiers m) { return [this, t, m] { Clavier(t, m); }; };

  EXPECT_EQ(ouvre(clic("Mnu_Aide25")), QStringLiteral("Morvo_fr.html"));
  EXPECT_EQ(ouvre(touche(Qt::Key_F1, Qt::NoModifier)), QStringLiteral("Morvo_fr.html"));
  EXPECT_EQ(ouvre(clic("Mnu_AideMot")), QStringLiteral("Morvo_fr/2300.html"));
  EXPECT_EQ(ouvre(touche(Qt::Key_F1, Qt::ShiftModifier)), QStringLiteral("Morvo_fr/2300.html"));
  EXPECT_EQ(ouvre(clic("Mnu_ResumeSyntaxes")), QStringLiteral("Morvo_fr/5000.html"));
  EXPECT_EQ(ouvre(touche(Qt::Key_F2, Qt::ShiftModifier)), QStringLiteral("Morvo_fr/5000.html"));
  EXPECT_EQ(ouvre(clic("Mnu_MAJ_Aide")), QStringLiteral("Morvo_MAJ_fr.html"));
  EXPECT_EQ(ouvre(clic("Mnu_Conditions")), QStringLiteral("Morvo_fr/7000.html"));
  // A word of no category: the summary, which holds its row.
  Ed().Modele().SetSelStart(0);
  Tape(QStringLiteral("Bezier = 1, 2"));
  EXPECT_EQ(ouvre(touche(Qt::Key_F1, Qt::ShiftModifier)), QStringLiteral("Morvo_fr/5000.html"));

  // English menus over French masks: the two help entries, and the topics in English.
  DefinitLangueMenu(2);
  F().AfficheMenus();
  F().Menus().RegleEntreesAide(false, Programme());
  EXPECT_EQ(ouvre(clic("Mnu_Aide")), QStringLiteral("Morvo-200_en.html"));
  EXPECT_EQ(ouvre(touche(Qt::Key_F1, Qt::ControlModifier)), QStringLiteral("Morvo-200_en.html"));
  EXPECT_EQ(ouvre(clic("Mnu_Aide25")), QStringLiteral("Morvo_fr.html"));
  EXPECT_EQ(ouvre(clic("Mnu_ResumeSyntaxes")), QStringLiteral("Morvo_en/5000.html"));
  EXPECT_EQ(ouvre(clic("Mnu_Conditions")), QStringLiteral("Morvo_en/7000.html"));
  EXPECT_EQ(ouvre(clic("Mnu_MAJ_Aide")), QStringLiteral("Morvo_MAJ_fr.html")) << "the mask language's";
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_FALSE(F().Menus().Action(QStringLiteral("Mnu_Non_Doc"))->isVisible());

  // The program run where it was built finds the same help, in share/morvo of the build folder.
  const QString construit = QFileInfo(QStringLiteral(MORVO_GUI_PATH)).absolutePath();
  EXPECT_EQ(QFileInfo(TrouveFichierAide(QStringLiteral("Morvo_en.chm"), construit)).canonicalFilePath(),
            QFileInfo(aide.filePath(QStringLiteral("Morvo_en.html"))).canonicalFilePath());

  // The language dialog offers the help of every language.
  ModeleLangues langues(Programme());
  langues.Charge();
  for (int i = 1; i <= 4; ++i) EXPECT_TRUE(langues.Actif(3, i)) << i;
}

TEST_F(HelpTest, TheUndocumentedEntryAppearsWithItsFile) {
  EcritOctets(Programme() + QStringLiteral("/morvo_fr/Non_Doc_fr.html"), "<html>");
  Demarre();
  QAction* nonDoc = F().Menus().Action(QStringLiteral("Mnu_Non_Doc"));
  EXPECT_TRUE(nonDoc->isVisible());
  nonDoc->trigger();
  EXPECT_EQ(Dernier(), Programme() + QStringLiteral("/morvo_fr/Non_Doc_fr.html"));
}

}  // namespace
