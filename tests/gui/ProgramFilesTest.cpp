#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileDialog>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTest>
#include <cerrno>
#include <cstring>

#include "FullDisk.h"
#include "WindowFixture.h"
#include "interpreter/SetupCommands.h"
#include "platform/FileNames.h"
#include "platform/FileWriter.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"
#include "platform/WriteSignals.h"
#include "shell/Startup.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

}  // namespace

TEST(ProgramFilesHelpers, InitialZoomAndRejectedNames) {
  EXPECT_FLOAT_EQ(ZoomInitial(QStringLiteral("Trait 0,0,1,1\r\nZoomIni = 2.5\r\n")), 2.5f);
  EXPECT_FLOAT_EQ(ZoomInitial(QStringLiteral("ZOOMINI=0\r\n")), 1.0f);
  EXPECT_FLOAT_EQ(ZoomInitial(QStringLiteral("' ZOOMINI = 4\r\n\t  zoomini=3\r\n")), 3.0f);
  EXPECT_FLOAT_EQ(ZoomInitial(QStringLiteral("ZOOMINII = 2\r\nZOOMINI = 5\r\n")), 2.0f);
  EXPECT_FLOAT_EQ(ZoomInitial(QStringLiteral("ZOOMINI 3")), 3.0f);
  EXPECT_FLOAT_EQ(ZoomInitial(QStringLiteral("Trait 0,0,1,1")), 1.0f);

  EXPECT_TRUE(EstFichierDesinstallation(QStringLiteral("/opt/morvo/UNINS000.DAT")));
  EXPECT_TRUE(EstFichierDesinstallation(QStringLiteral("unins001.dat")));
  EXPECT_FALSE(EstFichierDesinstallation(QStringLiteral("unins1.dat")));
  EXPECT_FALSE(EstFichierDesinstallation(QStringLiteral("/a/UNINS000.DAX")));

  EXPECT_EQ(DossierDe(QStringLiteral("/a/b/c.dat")), QStringLiteral("/a/b/"));
  EXPECT_EQ(DossierDe(QStringLiteral("c.dat")), QString());
}

class ProgramFilesTest : public WindowFixture {};

TEST_F(ProgramFilesTest, OpenLoadsRunsAndRoundTripsBytes) {
  Demarre();
  // UTF-8 with LF line ends and no final line end.
  const QString lf = Chemin(QStringLiteral("sub/lf.dat"));
  EcritOctets(lf, QByteArray("%A = 5\n' 20\xC2\xB0"
                             "C\n%Z = 2\n%B = 7"));
  fichiers_.ouvertures.push_back(lf);
  F().Mnu_Ouvrir_Click();
  EXPECT_EQ(Ed().Modele().Text(), QString::fromUtf8("%A = 5\r\n' 20°C\r\n%Z = 2\r\n%B = 7\r\n"));
  EXPECT_EQ(FichierCourant, lf);
  EXPECT_EQ(Shell.NomFichier, lf);
  EXPECT_EQ(Shell.RepCourant, Chemin(QStringLiteral("sub/")));
  EXPECT_EQ(QDir::currentPath() + u'/', Shell.RepCourant);
  EXPECT_TRUE(F().windowTitle().endsWith(QStringLiteral(": ") + lf)) << F().windowTitle().toStdString();
  EXPECT_FALSE(Ed().Modifie());
  EXPECT_EQ(VarNiveau1(QStringLiteral("%B")), QStringLiteral("7"));
  EXPECT_EQ(F().Text1()->text(), QStringLiteral("L 1/5"));
  // The next Open starts in the folder of this one.
  EXPECT_TRUE(fichiers_.Demandes.front().startsWith(QStringLiteral("open ") + Depart()));

  // Ctrl+S gives back the bytes: UTF-8, LF and no final line end. Edited, the file keeps them: the
  // line end the editor adds to the last line is not saved.
  QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(LitOctets(lf), QByteArray("%A = 5\n' 20\xC2\xB0\x43\n%Z = 2\n%B = 7"));
  Ed().setFocus();
  Clavier(Qt::Key_Home, Qt::ControlModifier);
  Frappe("' ");
  QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(LitOctets(lf), QByteArray("' %A = 5\n' 20\xC2\xB0\x43\n%Z = 2\n%B = 7"));

  // Mixed line ends come back as they were; once edited, every line takes the first one's.
  const QString mixte = Chemin(QStringLiteral("mixte.dat"));
  EcritOctets(mixte, "' un\r\n' deux\n' trois\r' quatre\r\n");
  fichiers_.ouvertures.push_back(mixte);
  F().Mnu_Ouvrir_Click();
  QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(LitOctets(mixte), QByteArray("' un\r\n' deux\n' trois\r' quatre\r\n"));
  Ed().setFocus();
  Clavier(Qt::Key_Home, Qt::ControlModifier);
  Frappe("' ");
  QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(LitOctets(mixte), QByteArray("' ' un\r\n' deux\r\n' trois\r\n' quatre\r\n"));
  EXPECT_TRUE(prompter_.Messages().empty());
  // A line added at the end keeps the file's final line end, and the file without one keeps none.
  Clavier(Qt::Key_End, Qt::ControlModifier);
  Frappe("' cinq");
  QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(LitOctets(mixte), QByteArray("' ' un\r\n' deux\r\n' trois\r\n' quatre\r\n' cinq\r\n"));
  fichiers_.ouvertures.push_back(lf);
  F().Mnu_Ouvrir_Click();
  Ed().setFocus();
  Clavier(Qt::Key_End, Qt::ControlModifier);
  Frappe("' fin");
  QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(LitOctets(lf), QByteArray("' %A = 5\n' 20\xC2\xB0\x43\n%Z = 2\n%B = 7\n' fin"));

  // Windows-1252 with "§" and "°": byte for byte.
  const QByteArray octets(
      "Trait 0,0,10,10 ' 90\xB0\r\n%T = a\xA7"
      "b\r\n");
  const QString ansi = Chemin(QStringLiteral("ansi.dat"));
  EcritOctets(ansi, octets);
  fichiers_.ouvertures.push_back(ansi);
  F().Mnu_Ouvrir_Click();
  EXPECT_TRUE(Ed().Modele().Text().contains(QStringLiteral("90°")));
  EXPECT_EQ(VarNiveau1(QStringLiteral("%T")), QStringLiteral("a§b"));
  ASSERT_TRUE(F().Mnu_EnregistrerS_Click());
  EXPECT_EQ(LitOctets(ansi), octets);

  // An uninstaller log is refused and nothing changes.
  fichiers_.ouvertures.push_back(Chemin(QStringLiteral("UNINS000.DAT")));
  F().Mnu_Ouvrir_Click();
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(prompter_.Messages()[0].texte.contains(QStringLiteral("Is not a Morvo file")));
  EXPECT_EQ(FichierCourant, ansi);

  // A file that cannot be read is reported and the editor keeps its text.
  prompter_.Efface();
  fichiers_.ouvertures.push_back(Chemin(QStringLiteral("absent.dat")));
  F().Mnu_Ouvrir_Click();
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(prompter_.Messages()[0].texte.endsWith(RaisonSysteme(ENOENT)))
      << prompter_.Messages()[0].texte.toStdString();
  EXPECT_EQ(FichierCourant, ansi);
  EXPECT_TRUE(Ed().Modele().Text().contains(QStringLiteral("90°")));

  // So is a FIFO, at once: opening it must not wait for a writer.
  prompter_.Efface();
  const QString tube = Chemin(QStringLiteral("tube.dat"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
  fichiers_.ouvertures.push_back(tube);
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(prompter_.Messages()[0].texte.contains(tube));
  EXPECT_EQ(FichierCourant, ansi);

  // Lines whose Windows-1252 bytes happen to be valid UTF-8 ("Fuß²" is DF B2, "É" and a no-break
  // space C9 A0) read as written, and File > Open then Ctrl+S gives back the same bytes.
  const QByteArray latin("%u = 5 Fu\xDF\xB2\r\n%w = CAF\xC9\xA0!\r\n' Temp\xE9rature\r\n");
  const QString fichierLatin = Chemin(QStringLiteral("latin.dat"));
  EcritOctets(fichierLatin, latin);
  fichiers_.ouvertures.push_back(fichierLatin);
  prompter_.Efface();
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  EXPECT_EQ(VarNiveau1(QStringLiteral("%U")), QString::fromUtf8("5 Fuß²"));
  EXPECT_EQ(VarNiveau1(QStringLiteral("%W")), QString::fromUtf8("CAFÉ\u00A0!"));
  QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(LitOctets(fichierLatin), latin);
}

// A program's line breaks of other systems (VT, FF, NEL, U+2028, U+2029) are lines in the editor
// and in the run, and the user is told; unedited, Ctrl+S gives the bytes back.
TEST_F(ProgramFilesTest, LineBreaksOfOtherSystemsAreLinesAndTheUserIsTold) {
  Demarre();
  const QByteArray octets("%A = 1\v%B = 2\f%C = 3\xC2\x85%D = 4\xE2\x80\xA8%E = 5\xE2\x80\xA9%F = 6\r\n");
  const QString sauts = Chemin(QStringLiteral("sauts.dat"));
  EcritOctets(sauts, octets);
  fichiers_.ouvertures.push_back(sauts);
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  EXPECT_EQ(Ed().Modele().Text(), "%A = 1\r\n%B = 2\r\n%C = 3\r\n%D = 4\r\n%E = 5\r\n%F = 6\r\n");
  for (const char* nom : {"%A", "%B", "%C", "%D", "%E", "%F"})
    EXPECT_EQ(VarNiveau1(nom), QString::number(nom[1] - 'A' + 1)) << nom;
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, TexteMsg(154).arg(NomLisible(sauts)));
  QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(LitOctets(sauts), octets);
  Ed().setFocus();
  Clavier(Qt::Key_Home, Qt::ControlModifier);
  Frappe("' ");
  QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(LitOctets(sauts),
            QByteArray("' %A = 1\n%B = 2\n%C = 3\n%D = 4\n%E = 5\n%F = 6\n").replace("\n", "\r\n"));
  EXPECT_EQ(prompter_.Messages().size(), 1u);
}

TEST_F(ProgramFilesTest, SaveQuestionYesNoCancelAndFailedSave) {
  Demarre();
  const QString premier = Chemin(QStringLiteral("un.dat"));
  const QString second = Chemin(QStringLiteral("deux.dat"));
  EcritOctets(premier, QByteArray("%A = 1\r\n"));
  EcritOctets(second, QByteArray("%A = 2\r\n"));
  fichiers_.ouvertures.push_back(premier);
  F().Mnu_Ouvrir_Click();
  ASSERT_EQ(FichierCourant, premier);
  const QString titre = F().windowTitle();

  // Cancel: no Open dialog, nothing changes.
  Tape(QStringLiteral("%A = 10\r\n"));
  prompter_.AjouteReponse(QStringLiteral("CANCEL"));
  fichiers_.Demandes.clear();
  F().Mnu_Ouvrir_Click();
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, QStringLiteral("Sauvegarder les modifications?"));
  EXPECT_EQ(prompter_.Messages()[0].boutons, Boutons::OuiNonAnnuler);
  EXPECT_TRUE(fichiers_.Demandes.isEmpty());
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("%A = 10\r\n"));
  EXPECT_TRUE(Ed().Modifie());

  // No: the edits are dropped, the other file opens.
  prompter_.Efface();
  prompter_.AjouteReponse(QStringLiteral("NO"));
  fichiers_.ouvertures.push_back(second);
  F().Mnu_Ouvrir_Click();
  EXPECT_EQ(FichierCourant, second);
  EXPECT_EQ(LitOctets(premier), QByteArray("%A = 1\r\n"));

  // Yes: saved first, then New goes on.
  Tape(QStringLiteral("%A = 20\r\n"));
  prompter_.Efface();
  prompter_.AjouteReponse(QStringLiteral("YES"));
  F().Mnu_Nouveau_Click();
  EXPECT_EQ(LitOctets(second), QByteArray("%A = 20\r\n"));
  EXPECT_TRUE(FichierCourant.isEmpty());
  EXPECT_TRUE(Ed().Modele().Text().isEmpty());
  EXPECT_TRUE(F().windowTitle().endsWith(QStringLiteral(": ")));
  EXPECT_EQ(F().Text1()->text(), QStringLiteral("L 1/1"));

  // Yes with a save that fails: reported, and the command stops with the edits kept.
  fichiers_.ouvertures.push_back(premier);
  F().Mnu_Ouvrir_Click();
  ASSERT_EQ(FichierCourant, premier);
  const QString titrePremier = F().windowTitle();
  FichierCourant = Chemin(QStringLiteral("absent/un.dat"));
  Tape(QStringLiteral("%A = 30\r\n"));
  prompter_.Efface();
  fichiers_.Demandes.clear();
  prompter_.AjouteReponse(QStringLiteral("YES"));
  F().Mnu_Ouvrir_Click();
  ASSERT_EQ(prompter_.Messages().size(), 2u);
  EXPECT_TRUE(prompter_.Messages()[1].texte.contains(QStringLiteral("absent/un.dat")));
  EXPECT_TRUE(fichiers_.Demandes.isEmpty());
  EXPECT_TRUE(Ed().Modifie());
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("%A = 30\r\n"));
  EXPECT_EQ(F().windowTitle(), titrePremier);
  EXPECT_NE(titre, QString());
}

TEST_F(ProgramFilesTest, SaveAsNewAndTemplates) {
  Demarre();
  Tape(QStringLiteral("%A = 3\r\n"));
  // Save with no current file asks for a name.
  const QString nom = Chemin(QStringLiteral("nouveau.dat"));
  fichiers_.enregistrements.push_back(nom);
  ASSERT_TRUE(F().Mnu_EnregistrerS_Click());
  EXPECT_EQ(FichierCourant, nom);
  EXPECT_EQ(Shell.NomFichier, nom);
  EXPECT_FALSE(Ed().Modifie());
  EXPECT_EQ(LitOctets(nom), QByteArray("%A = 3\r\n"));

  // Cancelled Save As keeps the file and the modified flag.
  Tape(QStringLiteral("%A = 4\r\n"));
  fichiers_.Demandes.clear();
  EXPECT_FALSE(F().Mnu_Enregistrer_Click());
  EXPECT_EQ(fichiers_.Demandes, QStringList{QStringLiteral("save ") + nom + QStringLiteral(" dat")});
  EXPECT_EQ(FichierCourant, nom);
  EXPECT_TRUE(Ed().Modifie());

  // A failed Save As restores the previous name and keeps the caption.
  const QString titre = F().windowTitle();
  fichiers_.enregistrements.push_back(Chemin(QStringLiteral("absent/x.dat")));
  EXPECT_FALSE(F().Mnu_Enregistrer_Click());
  EXPECT_EQ(FichierCourant, nom);
  EXPECT_EQ(F().windowTitle(), titre);
  EXPECT_TRUE(Ed().Modifie());
  EXPECT_EQ(LitOctets(nom), QByteArray("%A = 3\r\n"));

  // A meter file is never written by Save: Save As proposes the name.
  FichierCourant = Chemin(QStringLiteral("m.MTR"));
  fichiers_.Demandes.clear();
  EXPECT_FALSE(F().Mnu_EnregistrerS_Click());
  EXPECT_EQ(fichiers_.Demandes.size(), 1);

  // New loads the template of the current folder, found without regard to case.
  FichierCourant = nom;
  Ed().DefinitModifie(false);
  EcritOctets(Chemin(QStringLiteral("morvo.DAN")), QByteArray("' modele\r\n%M = 1\r\n"));
  F().Mnu_Nouveau_Click();
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("' modele\r\n%M = 1\r\n"));
  EXPECT_EQ(VarNiveau1(QStringLiteral("%M")), QStringLiteral("1"));
  EXPECT_TRUE(FichierCourant.isEmpty());
  EXPECT_TRUE(Shell.NomFichier.isEmpty());
  EXPECT_FALSE(Ed().Modifie());

  // Without it, the language's template of the configuration folder.
  QFile::remove(Chemin(QStringLiteral("morvo.DAN")));
  EcritOctets(RepConfig + QStringLiteral("Morvo_fr.DaN"), QByteArray("%C = 2\r\n"));
  F().Mnu_Nouveau_Click();
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("%C = 2\r\n"));
  EXPECT_EQ(ModeleProgramme(RepConfig, Programme(), QStringLiteral("fr")),
            RepConfig + QStringLiteral("Morvo_fr.DaN"));

  // Cancelling Open with an empty editor starts a new program.
  QFile::remove(RepConfig + QStringLiteral("Morvo_fr.DaN"));
  Ed().Modele().SetText(QString());
  Ed().DefinitModifie(false);
  EcritOctets(Programme() + QStringLiteral("/Morvo_fr.DaN"), QByteArray("%P = 9\r\n"));
  F().Mnu_Ouvrir_Click();
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("%P = 9\r\n"));
}

// The yes given to a program that starts another one holds for its runs until it is opened again.
TEST_F(ProgramFilesTest, ReopenedProgramAsksAgainBeforeStartingAProgram) {
  Demarre();
  const QString cible = Chemin(QStringLiteral("fait.txt"));
  const QString programme = Chemin(QStringLiteral("shell.dat"));
  EcritOctets(programme, (QStringLiteral("SHELL#$ = /bin/touch, QWZ#, 1, ") + cible + CRLF).toUtf8());
  const auto questions = [this] {
    int n = 0;
    for (const auto& m : prompter_.Messages()) n += m.icone == Icone::Question ? 1 : 0;
    return n;
  };
  const auto f4 = [this] {
    Ed().setFocus();
    QKeyEvent appui(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
    QApplication::sendEvent(&Ed(), &appui);
    QKeyEvent relache(QEvent::KeyRelease, Qt::Key_F4, Qt::NoModifier);
    QApplication::sendEvent(&Ed(), &relache);
  };

  prompter_.AjouteReponse(QStringLiteral("YES"));
  fichiers_.ouvertures.push_back(programme);
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  f4();
  EXPECT_EQ(questions(), 1);
  EXPECT_TRUE(QFile::exists(cible));

  prompter_.Efface();
  QFile::remove(cible);
  f4();
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_TRUE(QFile::exists(cible));

  QFile::remove(cible);
  fichiers_.ouvertures.push_back(programme);
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  f4();
  EXPECT_EQ(questions(), 1);
  EXPECT_FALSE(QFile::exists(cible));
}

// A program named at start runs at once: its appends to a file outside its folder wait for the
// user's yes, asked once for all its lines; No writes nothing.
TEST_F(ProgramFilesTest, AProgramOpenedAtStartAsksBeforeWritingOutsideItsFolder) {
  ASSERT_TRUE(QDir(Depart()).mkpath(QStringLiteral("telecharge")));
  const QString dehors = Chemin(QStringLiteral("dehors.txt"));
  const QString programme = Chemin(QStringLiteral("telecharge/p.dat"));
  EcritOctets(programme, "OpenA = ../dehors.txt\r\nPrintA = touch x\r\nPrintA = y\r\nCercle = 30,30,20\r\n");
  const auto questions = [this] {
    QStringList q;
    for (const auto& m : prompter_.Messages())
      if (m.icone == Icone::Question) q << m.texte;
    return q;
  };
  DemarreTel({programme}, QSize(1000, 700));
  ASSERT_EQ(questions().size(), 1) << prompter_.Journal().join(u'\n').toStdString();
  EXPECT_TRUE(questions()[0].contains(dehors)) << questions()[0].toStdString();
  EXPECT_FALSE(QFile::exists(dehors));

  prompter_.Efface();
  prompter_.AjouteReponse(QStringLiteral("YES"));
  fichiers_.ouvertures.push_back(programme);
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  EXPECT_EQ(questions().size(), 1);
  EXPECT_EQ(LitOctets(dehors), " touch x\r\n y\r\n");
}

// A program opened through a link in another folder, as a desktop shortcut opens it, is the file
// the link leads to: its relative names are found beside that file, where it writes without a
// question, while the title and Save keep the name the user opened. Saved under another name, it
// finds its names and writes freely in its new folder; a file that could not be opened changes
// neither.
TEST_F(ProgramFilesTest, AProgramOpenedThroughALinkWritesBesideItsRealFile) {
  ASSERT_TRUE(QDir(Depart()).mkpath(QStringLiteral("dials")));
  ASSERT_TRUE(QDir(Depart()).mkpath(QStringLiteral("Desktop")));
  ASSERT_TRUE(QDir(Depart()).mkpath(QStringLiteral("autre")));
  const QString lien = Chemin(QStringLiteral("Desktop/dial.dat"));
  const QString reel = Chemin(QStringLiteral("dials/prog.dat"));
  const QString resultat = Chemin(QStringLiteral("dials/result.txt"));
  EcritOctets(reel, "OpenA = result.txt\r\nPrintA = hello\r\nOpen = data.txt\r\nLVar = %D\r\n");
  EcritOctets(Chemin(QStringLiteral("dials/data.txt")), "x\r\n");
  ASSERT_TRUE(QFile::link(QStringLiteral("../dials/prog.dat"), lien));
  const auto questions = [this] {
    int n = 0;
    for (const auto& m : prompter_.Messages()) n += m.icone == Icone::Question ? 1 : 0;
    return n;
  };

  // Named at start, as a double-click on the shortcut does.
  DemarreTel({lien}, QSize(1000, 700));
  EXPECT_EQ(questions(), 0) << prompter_.Journal().join(u'\n').toStdString();
  EXPECT_EQ(LitOctets(resultat), " hello\r\n");
  EXPECT_FALSE(QFile::exists(Chemin(QStringLiteral("Desktop/result.txt"))));
  EXPECT_EQ(VarNiveau1(QStringLiteral("%D")), QStringLiteral("x"));
  EXPECT_TRUE(F().windowTitle().endsWith(QStringLiteral(": ") + lien)) << F().windowTitle().toStdString();

  // Opened with File > Open, then run with F4.
  ASSERT_TRUE(QFile::remove(resultat));
  prompter_.Efface();
  fichiers_.ouvertures.push_back(lien);
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  ASSERT_TRUE(QFile::remove(resultat));
  QTest::keyClick(&Ed(), Qt::Key_F4);
  EXPECT_EQ(questions(), 0) << prompter_.Journal().join(u'\n').toStdString();
  EXPECT_EQ(LitOctets(resultat), " hello\r\n");
  EXPECT_FALSE(QFile::exists(Chemin(QStringLiteral("Desktop/result.txt"))));
  EXPECT_TRUE(F().windowTitle().endsWith(QStringLiteral(": ") + lien)) << F().windowTitle().toStdString();

  // Ctrl+S writes the file the link leads to, the link staying.
  Tape(QStringLiteral("OpenA = result.txt\r\nPrintA = again\r\n"));
  QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(LitOctets(reel), "OpenA = result.txt\r\nPrintA = again\r\n");
  EXPECT_TRUE(QFileInfo(lien).isSymLink());
  EXPECT_EQ(FichierCourant, lien);

  // A file of another folder that cannot be opened leaves the program its own folder.
  fichiers_.ouvertures.push_back(Chemin(QStringLiteral("autre/absent.dat")));
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  prompter_.Efface();
  QTest::keyClick(&Ed(), Qt::Key_F4);
  EXPECT_EQ(questions(), 0) << prompter_.Journal().join(u'\n').toStdString();
  EXPECT_EQ(LitOctets(resultat), " hello\r\n again\r\n");

  // Saved as a file of another folder, it writes there.
  fichiers_.enregistrements.push_back(Chemin(QStringLiteral("autre/p.dat")));
  QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  QTest::keyClick(&Ed(), Qt::Key_F4);
  EXPECT_EQ(questions(), 0) << prompter_.Journal().join(u'\n').toStdString();
  EXPECT_EQ(LitOctets(Chemin(QStringLiteral("autre/result.txt"))), " again\r\n");
  EXPECT_EQ(LitOctets(resultat), " hello\r\n again\r\n");

  // The link a project keeps to its current version, turned to another while the window is open:
  // the next run finds its names where the link now leads, where its writes are judged.
  const QByteArray versionne = "OpenA = result.txt\r\nPrintA = run\r\nOpen = data.txt\r\nLVar = %D\r\n";
  for (const char* version : {"v1", "v2"}) {
    ASSERT_TRUE(QDir(Depart()).mkpath(QStringLiteral("dials/") + QLatin1String(version)));
    EcritOctets(Chemin(QStringLiteral("dials/%1/p.dat").arg(QLatin1String(version))), versionne);
    EcritOctets(Chemin(QStringLiteral("dials/%1/data.txt").arg(QLatin1String(version))),
                QByteArray(version) + "\r\n");
  }
  const QString courant = Chemin(QStringLiteral("dials/current.dat"));
  ASSERT_TRUE(QFile::link(QStringLiteral("v1/p.dat"), courant));
  fichiers_.ouvertures.push_back(courant);
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  EXPECT_EQ(VarNiveau1(QStringLiteral("%D")), QStringLiteral("v1"));
  ASSERT_TRUE(QFile::remove(courant));
  ASSERT_TRUE(QFile::link(QStringLiteral("v2/p.dat"), courant));
  prompter_.Efface();
  QTest::keyClick(&Ed(), Qt::Key_F4);
  EXPECT_EQ(questions(), 0) << prompter_.Journal().join(u'\n').toStdString();
  EXPECT_EQ(LitOctets(Chemin(QStringLiteral("dials/v2/result.txt"))), " run\r\n");
  EXPECT_EQ(VarNiveau1(QStringLiteral("%D")), QStringLiteral("v2"));
  EXPECT_TRUE(F().windowTitle().endsWith(QStringLiteral(": ") + courant)) << F().windowTitle().toStdString();
}

// The home folder is no program's own: a program typed or saved there asks before writing there. Names are
// shown escaped in the question, the message boxes and the title, and a name that is not UTF-8 is
// told in one line, the file left alone.
TEST_F(ProgramFilesTest, TheHomeFolderIsNoProgramsOwnAndNamesAreShownEscaped) {
  const QString maison = QFile::decodeName(qgetenv("HOME"));
  const QString rc = maison + QStringLiteral("/.bashrc");
  const auto questions = [this] {
    QStringList q;
    for (const auto& m : prompter_.Messages())
      if (m.icone == Icone::Question) q << m.texte;
    return q;
  };
  // Started from the desktop menu (in the home folder), a new program pasted and run with F4.
  ASSERT_TRUE(QDir::setCurrent(maison));
  Demarre();
  F().Action(QStringLiteral("Mnu_Nouveau"))->trigger();
  Tape(QStringLiteral("OpenA = .bashrc\r\nPrintA = x\r\n%A = 1\r\n"));
  QTest::keyClick(&Ed(), Qt::Key_F4);
  ASSERT_EQ(questions().size(), 1) << prompter_.Journal().join(u'\n').toStdString();
  EXPECT_TRUE(questions()[0].contains(rc)) << questions()[0].toStdString();
  EXPECT_FALSE(QFile::exists(rc));
  ASSERT_TRUE(QDir::setCurrent(Depart()));

  // A program saved in the home folder, opened at start as a double-click does.
  const QString chezSoi = maison + QStringLiteral("/p.dat");
  EcritOctets(chezSoi, "OpenA = .bashrc\r\nPrintA = x\r\n%A = 1\r\n");
  prompter_.Efface();
  DemarreTel({chezSoi}, QSize(1000, 700));
  ASSERT_EQ(questions().size(), 1) << prompter_.Journal().join(u'\n').toStdString();
  EXPECT_TRUE(questions()[0].contains(rc)) << questions()[0].toStdString();
  EXPECT_FALSE(QFile::exists(rc));

  // A program whose name breaks lines and turns them, writing through a link whose name does.
  ASSERT_TRUE(QDir(Depart()).mkpath(QStringLiteral("dl")));
  const QString programme = Chemin(QString::fromUtf8("dl/new\nline\u202Etxt.dat"));
  const QString lien = QString::fromUtf8("drawing \u202Etxt.setoN");
  EcritOctets(programme, "OpenA = " + lien.toUtf8() + "\r\nPrintA = x\r\n");
  ASSERT_TRUE(QFile::link(Chemin(QStringLiteral("notes.txt")), Chemin(QStringLiteral("dl/") + lien)));
  prompter_.Efface();
  fichiers_.ouvertures.push_back(programme);
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  ASSERT_EQ(questions().size(), 1) << prompter_.Journal().join(u'\n').toStdString();
  EXPECT_TRUE(questions()[0].contains(QStringLiteral("new\\nline\\u202Etxt.dat")))
      << questions()[0].toStdString();
  EXPECT_TRUE(questions()[0].contains(QStringLiteral("drawing \\u202Etxt.setoN -> ") +
                                      Chemin(QStringLiteral("notes.txt"))))
      << questions()[0].toStdString();
  EXPECT_FALSE(questions()[0].contains(QChar(0x202E)) ||
               questions()[0].contains(u'\n' + QStringLiteral("line")));
  // The refusal names the file escaped too (the program's line is shown as it is written).
  EXPECT_TRUE(prompter_.Messages().back().texte.contains(QStringLiteral("dl/drawing \\u202Etxt.setoN -> ")))
      << prompter_.Messages().back().texte.toStdString();
  EXPECT_TRUE(F().windowTitle().endsWith(QStringLiteral("new\\nline\\u202Etxt.dat")))
      << F().windowTitle().toStdString();
  EXPECT_FALSE(QFile::exists(Chemin(QStringLiteral("notes.txt"))));

  // A name in Latin-1 given at start.
  const QByteArray latin1 = QFile::encodeName(Depart()) + "/caf\xE9.dat";
  const int fd = ::open(latin1.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "%A = 1\r\n", 8), 8);
  ::close(fd);
  prompter_.Efface();
  DemarreTel({TexteDuNom(latin1)}, QSize(1000, 700));
  ASSERT_FALSE(prompter_.Messages().empty());
  EXPECT_EQ(prompter_.Messages()[0].texte, TexteMsg(196).arg(NomLisible(TexteDuNom(latin1))));
  EXPECT_TRUE(prompter_.Messages()[0].texte.contains(QStringLiteral("caf\\xE9.dat")));
  EXPECT_TRUE(Ed().Modele().Text().isEmpty());
  struct stat etat {};
  ASSERT_EQ(::stat(latin1.constData(), &etat), 0);
  EXPECT_EQ(etat.st_size, 8);
}

TEST_F(ProgramFilesTest, SavingOntoAFullDiskKeepsTheOldFileAndTellsWhy) {
  Demarre();
  DisquePlein disque;
  ASSERT_TRUE(disque.Valide());
  const QString programme = disque.Chemin(QStringLiteral("prog.dat"));
  const QByteArray ancien("Trait 0,0,10,10\r\n%A = 1\r\n");
  EcritOctets(programme, ancien);
  fichiers_.ouvertures.push_back(programme);
  F().Mnu_Ouvrir_Click();
  ASSERT_EQ(FichierCourant, programme);
  const QString titre = F().windowTitle();
  disque.Remplit();
  Tape(QStringLiteral("Trait 0,0,10,10\r\n%A = 2\r\n%B = 3\r\n"));
  const QString raison = RaisonSysteme(ENOSPC);

  // Save: told once, with the file and the reason; the file, the modified state and the caption
  // stay, so that closing still asks.
  QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, TexteEcritureImpossible(programme, raison));
  EXPECT_EQ(LitOctets(programme), ancien);
  EXPECT_TRUE(Ed().Modifie());
  EXPECT_EQ(F().windowTitle(), titre);

  // Save As to a new name: nothing is created and the current file stays.
  prompter_.Efface();
  const QString autre = disque.Chemin(QStringLiteral("autre.dat"));
  fichiers_.enregistrements.push_back(autre);
  QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, TexteEcritureImpossible(autre, raison));
  EXPECT_FALSE(QFile::exists(autre));
  EXPECT_EQ(FichierCourant, programme);
  EXPECT_EQ(Shell.NomFichier, programme);
  EXPECT_TRUE(Ed().Modifie());
  EXPECT_EQ(F().windowTitle(), titre);
  EXPECT_EQ(LitOctets(programme), ancien);
}

// Past the file-size limit (ulimit -f) a save fails as on a full disk, through the start-up routine
// that main calls: the window stays with the edit in it, the old file stays whole, and the reason
// is told.
TEST_F(ProgramFilesTest, SavingPastTheFileSizeLimitKeepsTheWindowAndTheOldFile) {
  Demarre();
  IgnoreLimiteTailleFichier();
  const QString programme = Chemin(QStringLiteral("grand.dat"));
  QByteArray ancien;
  for (int i = 0; i < 1200; ++i) ancien += "%A = " + QByteArray::number(i) + " ' ligne\r\n";
  ASSERT_GT(ancien.size(), 16 * 1024);
  EcritOctets(programme, ancien);
  fichiers_.ouvertures.push_back(programme);
  F().Mnu_Ouvrir_Click();
  ASSERT_EQ(FichierCourant, programme);
  Clavier(Qt::Key_End, Qt::ControlModifier);
  Frappe(QStringLiteral("%B = 2"));
  Clavier(Qt::Key_Return);
  ASSERT_TRUE(Ed().Modifie());
  rlimit avant{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &avant), 0);
  rlimit limite = avant;
  limite.rlim_cur = 12 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limite), 0);
  const auto retablit = qScopeGuard([&avant] { ::setrlimit(RLIMIT_FSIZE, &avant); });
  QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier);
  ::setrlimit(RLIMIT_FSIZE, &avant);
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte, TexteEcritureImpossible(programme, RaisonSysteme(EFBIG)));
  EXPECT_EQ(LitOctets(programme), ancien);
  EXPECT_TRUE(F().isVisible());
  EXPECT_TRUE(Ed().Modifie());
  EXPECT_TRUE(Ed().Modele().Text().contains(QStringLiteral("%B = 2")));
  EXPECT_EQ(QDir(Chemin(QString())).entryList({QStringLiteral("grand*")}, QDir::Files),
            QStringList{QStringLiteral("grand.dat")});

  // Once the limit is lifted, the same save writes the edit whole.
  prompter_.Efface();
  ASSERT_TRUE(F().Mnu_EnregistrerS_Click());
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_TRUE(LitOctets(programme).contains("%B = 2\r\n"));
}

// Saving to a name in a shared folder such as /tmp where another user planted a link to one of
// our files writes nothing through the link, and says why.
TEST_F(ProgramFilesTest, SavingThroughALinkPlantedByAnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a link to another user";
  Demarre();
  const QString partage = Chemin(QStringLiteral("partage"));
  ASSERT_TRUE(QDir().mkpath(partage));
  ASSERT_EQ(::chmod(QFile::encodeName(partage).constData(), 01777), 0);
  const QString these = Chemin(QStringLiteral("these.txt"));
  EcritOctets(these, "my thesis");
  const QString lien = partage + QStringLiteral("/prog.dat");
  ASSERT_EQ(::symlink(QFile::encodeName(these).constData(), QFile::encodeName(lien).constData()), 0);
  ASSERT_EQ(::lchown(QFile::encodeName(lien).constData(), 54321, static_cast<gid_t>(-1)), 0);
  Tape(QStringLiteral("%A = 1\r\n"));
  fichiers_.enregistrements.push_back(lien);
  QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(prompter_.Messages()[0].texte.contains(QString::fromLocal8Bit(std::strerror(EACCES))))
      << prompter_.Messages()[0].texte.toStdString();
  EXPECT_EQ(LitOctets(these), "my thesis");
  EXPECT_TRUE(Ed().Modifie());
}

// A program file of the longest length with no line end after its last line is loaded with one,
// which is no part of the program: it loads without a word and runs, as the headless runner runs
// the same file; one character more is said to be too long.
TEST_F(ProgramFilesTest, AProgramOfTheLongestLengthRunsWithTheLineEndTheEditorAdds) {
  Demarre();
  QByteArray texte;
  for (int i = 1; texte.size() < 32767 - 40; ++i) texte += "%A = " + QByteArray::number(i) + "\r\n";
  const QByteArray derniere = "%B = 1";
  texte += "'" + QByteArray(32767 - texte.size() - derniere.size() - 3, 'x') + "\r\n" + derniere;
  ASSERT_EQ(texte.size(), 32767);
  const QString programme = Chemin(QStringLiteral("longueur.dat"));
  EcritOctets(programme, texte);
  prompter_.Efface();
  fichiers_.ouvertures.push_back(programme);
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  ASSERT_EQ(FichierCourant, programme);
  EXPECT_EQ(Ed().Modele().Text().size(), 32769);
  Ed().setFocus();
  QKeyEvent appui(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
  QApplication::sendEvent(&Ed(), &appui);
  QKeyEvent relache(QEvent::KeyRelease, Qt::Key_F4, Qt::NoModifier);
  QApplication::sendEvent(&Ed(), &relache);
  EXPECT_TRUE(prompter_.Messages().empty()) << prompter_.Messages()[0].texte.left(200).toStdString();

  EcritOctets(programme, texte + "2");
  fichiers_.ouvertures.push_back(programme);
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  ASSERT_FALSE(prompter_.Messages().empty());
  EXPECT_EQ(prompter_.Messages()[0].texte,
            QStringLiteral("Programme trop long : 32768 caractères, un programme en a 32767 au plus."));
}

// A program longer than a run can take is loaded with a word, so that it can be shortened; a file
// far beyond it is refused at once, from its size, without being read.
TEST_F(ProgramFilesTest, ProgramsTooLongToRunAreSaidSoWhenOpened) {
  Demarre();
  QByteArray texte;
  for (int k = 0; k < 4000; ++k) texte += "%X = 00001\r\n";
  const QString long_ = Chemin(QStringLiteral("long.dat"));
  EcritOctets(long_, texte);
  prompter_.Efface();
  fichiers_.ouvertures.push_back(long_);
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  EXPECT_EQ(FichierCourant, long_);
  EXPECT_EQ(Ed().Modele().Text().size(), 48000);
  ASSERT_FALSE(prompter_.Messages().empty());
  EXPECT_EQ(prompter_.Messages()[0].texte,
            QStringLiteral("Programme trop long : 47998 caractères, un programme en a 32767 au plus."));

  const QString enorme = Chemin(QStringLiteral("enorme.dat"));
  {
    QFile f(enorme);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(qint64{2} << 20));
  }
  prompter_.Efface();
  fichiers_.ouvertures.push_back(enorme);
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(
      prompter_.Messages()[0].texte,
      QStringLiteral("Le fichier %1 est trop grand pour un programme : 2097152 octets, un programme a 32767 "
                     "caractères au plus.")
          .arg(enorme));
  EXPECT_EQ(FichierCourant, long_);
  EXPECT_EQ(Ed().Modele().Text().size(), 48000);

  // A file that reports a size of 0 and is huge is read no further than the bound.
  const QString pagemap = QStringLiteral("/proc/self/pagemap");
  if (QFileInfo(pagemap).isReadable() && QFileInfo(pagemap).size() == 0) {
    prompter_.Efface();
    fichiers_.ouvertures.push_back(pagemap);
    F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_TRUE(prompter_.Messages()[0].texte.startsWith(
        QStringLiteral("Le fichier %1 est trop grand pour un programme").arg(pagemap)))
        << prompter_.Messages()[0].texte.toStdString();
    EXPECT_EQ(FichierCourant, long_);
    EXPECT_EQ(Ed().Modele().Text().size(), 48000);
  }
}

// A ".dat" file that is no program text (a desktop types every "*.dat" as a program) is refused
// with its name, from the command line and from File > Open, and nothing changes: loaded into the
// editor and saved, its bytes would not come back.
TEST_F(ProgramFilesTest, AFileThatIsNoProgramTextIsRefusedWithItsName) {
  const QString image = Chemin(QStringLiteral("image.dat"));
  const QByteArray octetsImage("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x10", 24);
  EcritOctets(image, octetsImage);
  // Neither UTF-8 nor Windows-1252, with no NUL byte: mixed line ends and undefined bytes.
  QByteArray brut;
  quint32 graine = 12345;
  while (brut.size() < 4096) {
    graine = graine * 1103515245u + 12345u;
    const char c = static_cast<char>(graine >> 24);
    if (c != '\0') brut += c;
  }
  brut += "\x81\r\x90\n";
  const QString donnees = Chemin(QStringLiteral("donnees.dat"));
  EcritOctets(donnees, brut);

  // From the command line: the message names the file, the Open dialog follows as for a missing
  // file, and the file is not the current one.
  DemarreTel({image}, QSize(1000, 700));
  ASSERT_FALSE(prompter_.Messages().empty());
  EXPECT_EQ(
      prompter_.Messages()[0].texte,
      image + QStringLiteral(
                  "\r\n\r\nN'est pas un fichier Morvo\r\nIs not a Morvo file\r\nIst keine Morvo Datei."));
  EXPECT_TRUE(FichierCourant.isEmpty());
  EXPECT_FALSE(Ed().Modele().Text().contains(QStringLiteral("PNG")));

  // From File > Open: the program in the editor stays, and so does its file.
  const QString programme = Chemin(QStringLiteral("prog.dat"));
  EcritOctets(programme, "Trait 0,0,10,10\r\n");
  fichiers_.ouvertures.push_back(programme);
  F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
  ASSERT_EQ(FichierCourant, programme);
  for (const QString& nom : {donnees, image}) {
    prompter_.Efface();
    fichiers_.ouvertures.push_back(nom);
    F().Action(QStringLiteral("Mnu_Ouvrir"))->trigger();
    ASSERT_EQ(prompter_.Messages().size(), 1u) << nom.toStdString();
    EXPECT_TRUE(prompter_.Messages()[0].texte.startsWith(nom + QStringLiteral("\r\n\r\n")));
    EXPECT_TRUE(prompter_.Messages()[0].texte.contains(QStringLiteral("Is not a Morvo file")));
    EXPECT_EQ(FichierCourant, programme);
    EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("Trait 0,0,10,10\r\n"));
  }
  EXPECT_EQ(LitOctets(image), octetsImage);
  EXPECT_EQ(LitOctets(donnees), brut);
}

// The toolkit's file dialog needs several file descriptors: with none left Save As either works or
// says why, and the window goes on; with the limit back it saves through the dialog.
TEST_F(ProgramFilesTest, SaveAsWithNoFileDescriptorLeftWorksOrSaysWhy) {
  Demarre();
  DefinitDialoguesFichiers(nullptr);
  Tape(QStringLiteral("%A = 3\r\n"));
  const QString nom = Chemin(QStringLiteral("peu.dat"));
  // Answers Qt's file dialog, once it shows, with the name typed and Enter.
  const auto repond = [&nom] {
    QTimer::singleShot(200, [&nom] {
      auto* dialogue = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialogue == nullptr) return;
      auto* saisie = dialogue->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      saisie->setText(nom);
      QTest::keyClick(saisie, Qt::Key_Return);
    });
  };
  rlimit avant{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &avant), 0);
  rlimit limite = avant;
  limite.rlim_cur = 0;
  while (::fcntl(static_cast<int>(limite.rlim_cur), F_GETFD) != -1) ++limite.rlim_cur;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limite), 0);
  auto retablit = qScopeGuard([&avant] { ::setrlimit(RLIMIT_NOFILE, &avant); });
  repond();
  const bool enregistre = F().Mnu_EnregistrerS_Click();
  retablit.dismiss();
  ::setrlimit(RLIMIT_NOFILE, &avant);
  if (enregistre) {
    EXPECT_EQ(LitOctets(nom), QByteArray("%A = 3\r\n"));
  } else {
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_TRUE(prompter_.Messages()[0].texte.contains(QString::fromLocal8Bit(std::strerror(EMFILE))))
        << prompter_.Messages()[0].texte.toStdString();
    EXPECT_TRUE(Ed().Modifie());
  }
  QTest::keyClick(&Ed(), Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(&Ed(), Qt::Key_X);
  repond();
  ASSERT_TRUE(F().Mnu_EnregistrerS_Click());
  EXPECT_EQ(FichierCourant, nom);
  EXPECT_EQ(LitOctets(nom), QByteArray("%A = 3\r\nx\r\n"));
}

// Save As to a name that goes through a file as through a folder ("keep.txt/.", through a link to
// it, or after a way through another folder) is refused with the system's answer: the file stays.
TEST_F(ProgramFilesTest, SaveAsToANameThroughAFileReplacesNothing) {
  Demarre();
  const QString garde = Chemin(QStringLiteral("keep.txt"));
  EcritOctets(garde, "keep");
  ASSERT_TRUE(QDir().mkpath(Chemin(QStringLiteral("sous"))));
  ASSERT_EQ(::symlink(QFile::encodeName(garde).constData(),
                      QFile::encodeName(Chemin(QStringLiteral("lien"))).constData()),
            0);
  Tape(QStringLiteral("%A = 1\r\n"));
  for (const QString& nom : {Chemin(QStringLiteral("keep.txt/.")), Chemin(QStringLiteral("lien/.")),
                             Chemin(QStringLiteral("sous/../keep.txt/."))}) {
    prompter_.Efface();
    fichiers_.enregistrements.push_back(nom);
    QTest::keyClick(&F(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(prompter_.Messages().size(), 1u) << nom.toStdString();
    EXPECT_EQ(prompter_.Messages()[0].texte, TexteEcritureImpossible(nom, RaisonSysteme(ENOTDIR)));
    EXPECT_EQ(LitOctets(garde), QByteArray("keep")) << nom.toStdString();
    EXPECT_TRUE(FichierCourant.isEmpty());
    EXPECT_TRUE(Ed().Modifie());
  }
}

// Save As through the toolkit's dialog: the name typed goes on as it is written, and the question
// before a file is replaced is asked of the file that the system would write under that name.
TEST_F(ProgramFilesTest, TheSaveDialogAsksAboutTheFileTheSystemWouldWrite) {
  Demarre();
  DefinitDialoguesFichiers(nullptr);
  const QString garde = Chemin(QStringLiteral("keep.txt"));
  EcritOctets(garde, "keep");
  ASSERT_TRUE(QDir().mkpath(Chemin(QStringLiteral("sous"))));
  ASSERT_EQ(::symlink(QFile::encodeName(garde).constData(),
                      QFile::encodeName(Chemin(QStringLiteral("lien"))).constData()),
            0);
  Tape(QStringLiteral("%A = 1\r\n"));
  // Ctrl+Shift+S, the name typed into the dialog and Enter; a question that follows gets `reponse`,
  // and the dialog left open after No is cancelled. The question's text, when there was one.
  const auto enregistreSous = [this](const QString& nom, QMessageBox::StandardButton reponse) {
    QString question;
    ReponsesModales reponses;
    reponses.Ajoute([nom](QWidget* dialogue) {
      auto* saisie = dialogue->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (saisie == nullptr) return;
      saisie->setText(nom);
      QTest::keyClick(saisie, Qt::Key_Return);
    });
    reponses.Ajoute([&question, reponse](QWidget* dialogue) {
      auto* boite = qobject_cast<QMessageBox*>(dialogue);
      if (boite == nullptr || boite->button(reponse) == nullptr) {
        QTest::keyClick(dialogue, Qt::Key_Escape);
        return;
      }
      question = boite->text();
      QTest::mouseClick(boite->button(reponse), Qt::LeftButton);
    });
    reponses.Ajoute([](QWidget* dialogue) { QTest::keyClick(dialogue, Qt::Key_Escape); });
    prompter_.Efface();
    Clavier(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    return question;
  };

  // Names that reach no file: no question about keep.txt, the system's answer, keep.txt as it was.
  for (const QString& nom : {Chemin(QStringLiteral("keep.txt/.")), Chemin(QStringLiteral("lien/.")),
                             Chemin(QStringLiteral("keep.txt/../keep.txt"))}) {
    EXPECT_EQ(enregistreSous(nom, QMessageBox::Yes), QString()) << nom.toStdString();
    ASSERT_EQ(prompter_.Messages().size(), 1u) << nom.toStdString();
    EXPECT_EQ(prompter_.Messages()[0].texte, TexteEcritureImpossible(nom, RaisonSysteme(ENOTDIR)));
    EXPECT_EQ(LitOctets(garde), QByteArray("keep")) << nom.toStdString();
    EXPECT_TRUE(Ed().Modifie());
  }

  // A name of keep.txt that the system reads so: asked about, kept on No, replaced on Yes.
  const QString question =
      QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?")
          .arg(QStringLiteral("keep.txt"));
  const QString parSous = Chemin(QStringLiteral("sous/../keep.txt"));
  EXPECT_EQ(enregistreSous(parSous, QMessageBox::No), question);
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(LitOctets(garde), QByteArray("keep"));
  EXPECT_TRUE(Ed().Modifie());
  EXPECT_EQ(enregistreSous(parSous, QMessageBox::Yes), question);
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(LitOctets(garde), QByteArray("%A = 1\r\n"));
  EXPECT_FALSE(Ed().Modifie());
}

// Open through the toolkit's dialog: the name typed is read as the system reads it, so that the
// window opens, names and saves the file that the runner and the system find under that name.
TEST_F(ProgramFilesTest, TheOpenDialogOpensTheFileTheSystemFindsUnderTheNameTyped) {
  Demarre();
  DefinitDialoguesFichiers(nullptr);
  ASSERT_TRUE(QDir().mkpath(Chemin(QStringLiteral("autre/sous"))));
  EcritOctets(Chemin(QStringLiteral("x.dat")), "%A = 1\r\n");
  EcritOctets(Chemin(QStringLiteral("autre/x.dat")), "%A = 2\r\n");
  ASSERT_EQ(::symlink(QFile::encodeName(Chemin(QStringLiteral("autre/sous"))).constData(),
                      QFile::encodeName(Chemin(QStringLiteral("lien"))).constData()),
            0);
  // File, Open, the name typed into the dialog and Enter; a message box that follows is noted and
  // closed, and the dialog left open then is cancelled. The message box's text, when there was one.
  const auto ouvre = [this](const QString& nom) {
    QString message;
    ReponsesModales reponses;
    reponses.Ajoute([nom](QWidget* dialogue) {
      auto* saisie = dialogue->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (saisie == nullptr) return;
      saisie->setText(nom);
      QTest::keyClick(saisie, Qt::Key_Return);
    });
    reponses.Ajoute([&message](QWidget* dialogue) {
      if (auto* boite = qobject_cast<QMessageBox*>(dialogue)) message = boite->text();
      QTest::keyClick(dialogue, Qt::Key_Escape);
    });
    reponses.Ajoute([](QWidget* dialogue) { QTest::keyClick(dialogue, Qt::Key_Escape); });
    ChoisitMenu(u'f', u'o');
    return message;
  };

  // Through the link first, then up: autre/x.dat, not the x.dat beside the link.
  const QString parLien = Chemin(QStringLiteral("lien/../x.dat"));
  EXPECT_EQ(ouvre(parLien), QString());
  EXPECT_EQ(FichierCourant, parLien);
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("%A = 2\r\n"));
  EXPECT_EQ(VarNiveau1(QStringLiteral("%A")), QStringLiteral("2"));
  EXPECT_EQ(Shell.RepCourant, Chemin(QStringLiteral("autre/")));
  Tape(QStringLiteral("%A = 3\r\n"));
  Clavier(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(LitOctets(Chemin(QStringLiteral("autre/x.dat"))), QByteArray("%A = 3\r\n"));
  EXPECT_EQ(LitOctets(Chemin(QStringLiteral("x.dat"))), QByteArray("%A = 1\r\n"));

  // A name that goes through a file as through a folder opens nothing: the system's answer.
  for (const QString& nom : {Chemin(QStringLiteral("x.dat/")), Chemin(QStringLiteral("x.dat/."))}) {
    EXPECT_EQ(ouvre(nom), NomLisible(nom) + u'\n' + QString::fromLocal8Bit(std::strerror(ENOTDIR)))
        << nom.toStdString();
    EXPECT_EQ(FichierCourant, parLien);
    EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("%A = 3\r\n"));
  }
}
