// Data files, the INPUT dialog, the variable listing, the level capacities and the hidden commands,
// run as whole programs.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <utility>

#include "FullDisk.h"
#include "RunFixture.h"
#include "interpreter/RuntimeCommands.h"
#include "interpreter/VarList.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/StringTable.h"
#include "platform/WriteConsent.h"
#include "platform/WriteSignals.h"
#include "values/Levels.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

class RuntimeCommandsTest : public RunFixture {
 protected:
  void SetUp() override {
    RunFixture::SetUp();
    ASSERT_TRUE(dossier_.isValid());
    OuvreDans(dossier_.path());
  }

  // Runs a program with the messages of earlier runs forgotten; the answers go to its dialogs.
  void Lance(const QStringList& lignes, const QStringList& reponses = {}) {
    Session().Prompteur().Efface();
    for (const QString& r : reponses) Repond(r);
    Run(lignes);
  }

  QString Chemin(const QString& nom) const { return dossier_.filePath(nom); }

  void Ecrit(const QString& nom, const QByteArray& octets) {
    QFile f(Chemin(nom));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(octets);
  }

  std::string Lit(const QString& nom) {
    QFile f(Chemin(nom));
    if (!f.open(QIODevice::ReadOnly)) return "<absent>";
    return f.readAll().toStdString();
  }

  const NiveauProg& Niveau1() { return Niveaux.at(1); }

  QTemporaryDir dossier_;
};

TEST_F(RuntimeCommandsTest, LVarReadsLogicalLinesWithMarkersCommentsAndEof) {
  Ecrit("donnees.txt",
        "' a comment\r\n"
        "first line\r\n"
        "  ' indented comment [DEBUT]\r\n"
        "[DEBUT] here\r\n"
        "dropped 1\n"
        "dropped 2\r\n"
        "1, 2 _\r\n"
        "3\r\n"
        "# not a comment\r\n"
        "last");
  Lance({"OPEN = donnees.txt", "LVAR = %A", "%E1 = %EOF", "LVAR = %B, 2, [DEBUT]", "LVAR = %C", "LVAR = %D",
         "%E2 = %EOF", "%D = kept", "OPEN = donnees.txt", "LVAR = %D", "OPEN", "%E3 = %EOF"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(1, "%A"), "first line");
  EXPECT_EQ(Var(1, "%E1"), "0");
  // The start marker in a comment line does not count; the blank before the underscore goes too.
  EXPECT_EQ(Var(1, "%B"), "1, 23");
  EXPECT_EQ(Var(1, "%C"), "# not a comment");
  // The last line makes %EOF true at once.
  EXPECT_EQ(Var(1, "%E2"), "1");
  // A variable that exists takes the line; OPEN again starts from the top.
  EXPECT_EQ(Var(1, "%D"), "first line");
  EXPECT_EQ(Var(1, "%E3"), "1");

  // A further LVAR after the end is a run error.
  Lance({"OPEN = donnees.txt", "LVAR = %A, 20", "LVAR = %B"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.startsWith(TexteMsg(114) + QStringLiteral(" 3: ")));
  EXPECT_EQ(Var(1, "%A"), "");

  // A first field that is no %variable is a run error as well.
  Lance({"OPEN = donnees.txt", "LVAR = A"});
  EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(RuntimeCommandsTest, CommentCharacterAndEndMarker) {
  Ecrit("hash.txt", "# skip me\r\nvalue1\r\n  # END here\r\nvalue2\r\n");
  Lance({"OPEN = hash.txt, 35", "LVAR = %X, 0, , END", "LVAR = %Y, 0, , END", "LVAR = %Z, 0, , END",
         "%E = %EOF"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(1, "%X"), "value1");
  // A comment line holding the end marker stops with what was assembled: nothing here.
  EXPECT_EQ(Var(1, "%Y"), "");
  EXPECT_EQ(Var(1, "%Z"), "value2");
  EXPECT_EQ(Var(1, "%E"), "1");

  // An empty file is closed at once.
  Ecrit("vide.txt", "");
  Lance({"OPEN = vide.txt", "%E = %EOF"});
  EXPECT_EQ(Var(1, "%E"), "1");
}

// A data file that exists and cannot be read is a run error that gives the system's reason, never
// an empty file, a shorter one or a missing one. /proc/self/mem opens and fails at its first read.
TEST_F(RuntimeCommandsTest, AFileThatCannotBeReadIsARunErrorWithItsReason) {
  if (!QFile::exists(QStringLiteral("/proc/self/mem"))) GTEST_SKIP() << "no /proc/self/mem";
  ASSERT_EQ(::symlink("/proc/self/mem", QFile::encodeName(Chemin(QStringLiteral("mem.txt"))).constData()), 0);
  const QString raison =
      QStringLiteral("mem.txt : lecture impossible / cannot be read : ") + RaisonSysteme(EIO);
  for (const QString& commande : {QStringLiteral("OPEN = mem.txt"), QStringLiteral("PLOT = mem.txt§59"),
                                  QStringLiteral("POLY = Rouge, FIC, mem.txt")}) {
    Lance({commande, "LVAR = %A", "%B = 1"});
    ASSERT_EQ(Messages().size(), 1u) << commande.toStdString();
    EXPECT_TRUE(Messages()[0].texte.contains(raison + CRLF + CRLF))
        << Messages()[0].texte.left(300).toStdString();
    EXPECT_TRUE(Messages()[0].texte.contains(QStringLiteral(" 1: ") + commande))
        << Messages()[0].texte.left(300).toStdString();
    EXPECT_EQ(Var(1, "%B"), "<absent>");
  }
}

// A data-file line and an LVAR record of continued lines each have a bound no real file reaches:
// crossing it is a run error that says so, and the reading stops there.
TEST_F(RuntimeCommandsTest, ALineOrARecordBeyondItsBoundIsARunErrorWithItsReason) {
  Ecrit("long.txt", QByteArray(3 * 1024 * 1024, 'x') + "\r\nfin\r\n");
  Lance({"OPEN = long.txt", "LVAR = %A", "%B = 1"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains(
      QStringLiteral("long.txt : ligne de plus de 1048576 octets / line longer than")))
      << Messages()[0].texte.left(300).toStdString();
  EXPECT_EQ(Var(1, "%B"), "<absent>");

  // The bound is the same wherever the line ends in what was read: one byte past it is too much,
  // a line of the bound itself is read.
  Ecrit("juste.txt", QByteArray(1024 * 1024 + 1, 'x') + "\r\nfin\r\n");
  Lance({"OPEN = juste.txt", "LVAR = %A", "%B = 1"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains(
      QStringLiteral("juste.txt : ligne de plus de 1048576 octets / line longer than")))
      << Messages()[0].texte.left(300).toStdString();
  EXPECT_EQ(Var(1, "%B"), "<absent>");
  for (const QByteArray& fin : {QByteArray("\r\nfin\r\n"), QByteArray()}) {
    Ecrit("borne.txt", QByteArray(1024 * 1024, 'x') + fin);
    Lance({"OPEN = borne.txt", "LVAR = %A", "%B = 1"});
    EXPECT_TRUE(Messages().empty()) << Messages()[0].texte.left(300).toStdString();
    EXPECT_EQ(Var(1, "%A").size(), 1024 * 1024);
  }
  Ecrit("sansfin.txt", QByteArray(1024 * 1024 + 1, 'x'));
  Lance({"OPEN = sansfin.txt", "LVAR = %A", "%B = 1"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains(QStringLiteral("sansfin.txt : ligne de plus de 1048576 octets")))
      << Messages()[0].texte.left(300).toStdString();

  QByteArray suite;
  const QByteArray ligne = QByteArray(1000, 'y') + " _\r\n";
  while (suite.size() < 3 * 1024 * 1024) suite += ligne;
  Ecrit("suite.txt", suite + "fin\r\n");
  Lance({"OPEN = suite.txt", "LVAR = %A", "%B = 1"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains(
      QStringLiteral("suite.txt : enregistrement de plus de 1048576 caractères / record longer than")))
      << Messages()[0].texte.left(300).toStdString();
  EXPECT_EQ(Var(1, "%B"), "<absent>");
}

TEST_F(RuntimeCommandsTest, MissingDataFileNamesTheFile) {
  Lance({"%A = 1", "OPEN = absent.txt", "%B = 2"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains(Chemin("absent.txt") +
                                           QStringLiteral(" : fichier non trouvé [File not found]")));
  EXPECT_EQ(Var(1, "%B"), "<absent>");
}

// A FIFO would block the open or the read for ever, a device never ends and a folder holds no
// text: every file a program names is refused at once with its command's message.
TEST_F(RuntimeCommandsTest, FifosDevicesAndFoldersAreRefusedAtOnce) {
  const QString tube = Chemin("tube.txt");
  ASSERT_EQ(::mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), Chemin("zero.txt")));
  ASSERT_TRUE(QDir(dossier_.path()).mkdir(QStringLiteral("dossier.txt")));
  // A socket, which opening says "no such device" of as it says of a FIFO that nobody reads.
  const int prise = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(prise, 0);
  const auto fermePrise = qScopeGuard([prise] { ::close(prise); });
  sockaddr_un adresse{};
  adresse.sun_family = AF_UNIX;
  const QByteArray nomPrise = QFile::encodeName(Chemin("prise.txt"));
  ASSERT_LT(static_cast<size_t>(nomPrise.size()), sizeof adresse.sun_path);
  std::memcpy(adresse.sun_path, nomPrise.constData(), static_cast<size_t>(nomPrise.size()));
  ASSERT_EQ(::bind(prise, reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse), 0)
      << std::strerror(errno);
  // Should a reader wait on the FIFO after all, a writer that comes and goes lets it go, so that
  // the fault shows as a slow run instead of a hung test.
  std::atomic<bool> fini = false;
  std::thread debloque([&] {
    for (int i = 0; i < 40 && !fini; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    while (!fini) {
      const int fd = ::open(QFile::encodeName(tube).constData(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  const QStringList commandes = {"OPEN = %1",          "POLY = FIC, %1",
                                 "IMAGE = %1, 0, 0",   "OPENA = %1§PRINTA = é",
                                 "PLOT = %1, 1, 2, 0", "FICHIER = %1"};
  const std::pair<const char*, QString> noms[] = {
      {"tube.txt", QStringLiteral("not a regular file (a FIFO or a pipe)")},
      {"zero.txt", QStringLiteral("not a regular file (a device)")},
      {"prise.txt", QStringLiteral("not a regular file (a socket)")},
      {"dossier.txt", QString::fromLocal8Bit(std::strerror(EISDIR))}};
  for (const auto& [nom, raison] : noms) {
    for (const QString& commande : commandes) {
      QElapsedTimer chrono;
      chrono.start();
      Lance(QString(commande).arg(QLatin1String(nom)).split(QStringLiteral("§")) + QStringList{"%B = 2"});
      EXPECT_LT(chrono.elapsed(), 1000) << nom << " " << commande.toStdString();
      ASSERT_EQ(Messages().size(), 1u) << nom << " " << commande.toStdString();
      // A data file read or appended to is there: what it is, and so why it is refused, is told.
      const bool donnees = commande.startsWith(QStringLiteral("OPEN"));
      EXPECT_TRUE(
          donnees ? Messages()[0].texte.contains(raison)
                  : Messages()[0].texte.contains(QStringLiteral(" : fichier non trouvé [File not found]")))
          << nom << " " << commande.toStdString() << ": " << Messages()[0].texte.toStdString();
      EXPECT_TRUE(Messages()[0].texte.contains(QLatin1String(nom)));
      EXPECT_EQ(Var(1, "%B"), "<absent>");
    }
  }
  fini = true;
  debloque.join();
}

TEST_F(RuntimeCommandsTest, OpenAAndPrintAAppendLines) {
  Ecrit("sortie.txt", "old\r\n");
  Lance({"PRINTA = before any OPENA", "%N = 7", "OPENA = sortie.txt", "PRINTA = a#1+1#b %N ' not a comment",
         "PRINTA = un %CR deux", "PRINTA = %", "OPENA = autre.txt", "PRINTA = still the first", "OPENA",
         "PRINTA = after closing"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Lit("sortie.txt"), "old\r\n a2b 7' not a comment\r\n un \r\ndeux\r\n %\r\n still the first\r\n");
  EXPECT_EQ(Lit("autre.txt"), "<absent>");

  // Kill deletes a file of the current folder and leaves PRINTA without a file.
  Lance({"OPENA = sortie.txt, , Kill", "PRINTA = lost"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(QFile::exists(Chemin("sortie.txt")));

  // Only "Kill" written so deletes; a name with a folder deletes nothing.
  Ecrit("garde.txt", "x\r\n");
  Lance({"OPENA = garde.txt, , kill", "PRINTA = y"});
  EXPECT_EQ(Lit("garde.txt"), "x\r\n y\r\n");
  Lance({"OPENA = " + Chemin("garde.txt") + ", , Kill"});
  EXPECT_TRUE(QFile::exists(Chemin("garde.txt")));

  // The append file still open is never deleted, by its own level or a command file; once the run
  // has let it go, Kill deletes it.
  Ecrit("tue.txt", "OPENA = o12.txt, , Kill\r\n");
  Lance({"OPENA = o12.txt", "PRINTA = a", "OPENA = o12.txt, , Kill", "PRINTA = lost", "OPENA = o12.txt",
         "PRINTA = b", "FICHIER = tue.txt", "PRINTA = c"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Lit("o12.txt"), " a\r\n b\r\n c\r\n") << "PRINTA after Kill writes nothing, the open file stays";
  Lance({"OPENA = o12.txt, , Kill"});
  EXPECT_EQ(Lit("o12.txt"), "<absent>");
}

// A Windows-1252 data file reads as it was written, also its lines whose bytes happen to be valid
// UTF-8 ("Fuß²" is DF B2, "É" and a no-break space C9 A0); an append keeps the whole file readable.
TEST_F(RuntimeCommandsTest, Windows1252FilesReadAndTakeLinesAsWritten) {
  Ecrit("latin.txt", "10 Fu\xDF\xB2\r\nCAF\xC9\xA0!\r\nTemp\xE9rature\r\n");
  Lance({"OPEN = latin.txt", "LVAR = %U", "LVAR = %W", "LVAR = %T"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(1, "%U"), QString::fromUtf8("10 Fuß²"));
  EXPECT_EQ(Var(1, "%W"), QString::fromUtf8("CAFÉ\u00A0!"));
  EXPECT_EQ(Var(1, "%T"), QString::fromUtf8("Température"));

  // Text added onto a last line without line end reads back with it as one line.
  Ecrit("ouverte.txt", "Temp\xE9rature\r\nCAF\xC9");
  Lance({"OPENA = ouverte.txt", QString::fromUtf8("PRINTA =° ok"), "OPENA", "OPEN = ouverte.txt", "LVAR = %A",
         "LVAR = %B"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(1, "%B"), QString::fromUtf8("CAFÉ° ok"));

  // A line a command file adds to a data file that was ASCII when OPEN read it reads as written.
  Ecrit("mesures.txt", "mesure 1\r\n");
  Ecrit("ajoute.dat", "OPENA = mesures.txt\r\nPRINTA =caf\xE9\r\n");
  Lance({"OPEN = mesures.txt", "FICHIER = ajoute.dat", "LVAR = %A", "LVAR = %B"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Lit("mesures.txt"), "mesure 1\r\ncaf\xE9\r\n");
  EXPECT_EQ(Var(1, "%B"), QString::fromUtf8("café"));

  // A character Windows-1252 lacks is refused with the reason, and nothing is written; so is a text
  // whose bytes would make the whole file read as UTF-8 ("CAF\xC9\xB0 ok" is "CAFɰ ok").
  Ecrit("cafe.txt", "CAF\xC9");
  const struct {
    const char* fichier;
    const char* ligne;
    QString raison;
  } refus[] = {
      {"latin.txt", "PRINTA = ok ك", TexteMsg(194).arg(QString::fromUtf8("ك"))},
      {"cafe.txt", "PRINTA =° ok", TexteMsg(195).arg(QString::fromUtf8("É"), QString::fromUtf8("° ok"))}};
  for (const auto& r : refus) {
    const std::string avant = Lit(r.fichier);
    Lance({QStringLiteral("OPENA = ") + r.fichier, QString::fromUtf8(r.ligne), "%FIN = 1"});
    ASSERT_EQ(Messages().size(), 1u) << r.ligne;
    EXPECT_TRUE(Messages()[0].texte.contains(TexteEcritureImpossible(QString::fromUtf8(r.fichier), r.raison)))
        << Messages()[0].texte.toStdString();
    EXPECT_EQ(Var(1, "%FIN"), "<absent>");
    EXPECT_EQ(Lit(r.fichier), avant);
  }
}

// Another process appending to the file: a failed line never takes the other's lines with it.
TEST_F(RuntimeCommandsTest, AFailedPrintAKeepsAnotherWritersLines) {
  Ecrit("partage.txt", "old\r\n");
  int appels = 0;
  DefinitPanneEcriture([&](const QString& chemin) {
    if (!chemin.endsWith(QStringLiteral("partage.txt")) || ++appels != 2) return false;
    QFile autre(chemin);
    if (autre.open(QIODevice::Append)) autre.write("other\r\n");
    return true;
  });
  Lance({"OPENA = partage.txt", "PRINTA = x", "PRINTA = y", "%FIN = 1"});
  DefinitPanneEcriture({});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
      << Messages()[0].texte.toStdString();
  EXPECT_EQ(Var(1, "%FIN"), "<absent>");
  const std::string contenu = Lit("partage.txt");
  EXPECT_TRUE(contenu.starts_with("old\r\n x\r\n")) << contenu;
  EXPECT_TRUE(contenu.ends_with("other\r\n")) << contenu;
}

// The append file is synced when it closes, at the run's end or by OPENA alone: data that may not
// have reached the disk (network and quota file systems tell it only then) is a failed write.
TEST_F(RuntimeCommandsTest, AnAppendFileThatFailsToFlushWhenItClosesSaysSo) {
  for (const bool explicite : {false, true}) {
    const QString nom = explicite ? QStringLiteral("ferme.txt") : QStringLiteral("fin.txt");
    int appels = 0;
    // The line goes in; the flush at the close fails.
    DefinitPanneEcriture([&](const QString& chemin) { return chemin.endsWith(nom) && ++appels == 2; });
    if (explicite)
      Lance({"OPENA = ferme.txt", "PRINTA = x", "OPENA", "%FIN = 1"});
    else
      Lance({"OPENA = fin.txt", "PRINTA = x"});
    DefinitPanneEcriture({});
    ASSERT_EQ(Messages().size(), 1u) << nom.toStdString();
    EXPECT_TRUE(Messages()[0].texte.contains(nom)) << Messages()[0].texte.toStdString();
    EXPECT_TRUE(Messages()[0].texte.contains(RaisonSysteme(ENOSPC))) << Messages()[0].texte.toStdString();
    if (explicite) {
      EXPECT_EQ(Var(1, "%FIN"), "<absent>");
    }
  }

  // A run error closes the file too: a flush that fails then is told after the run error.
  int appels = 0;
  DefinitPanneEcriture(
      [&](const QString& chemin) { return chemin.endsWith(QStringLiteral("erreur.txt")) && ++appels == 2; });
  Lance({"OPENA = erreur.txt", "PRINTA = x", "%X == %NOPE", "%FIN = 1"});
  DefinitPanneEcriture({});
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(Messages()[0].texte.contains(QStringLiteral("%X == %NOPE")))
      << Messages()[0].texte.toStdString();
  EXPECT_EQ(Messages()[1].texte,
            TexteEcritureImpossible(Chemin(QStringLiteral("erreur.txt")), RaisonSysteme(ENOSPC)));
  EXPECT_EQ(Var(1, "%FIN"), "<absent>");
}

// A command file starts with no append file of its own; its caller's is its own again afterwards.
// A file that a run error closed says so to the statement that goes on using it.
TEST_F(RuntimeCommandsTest, CommandFilesGiveTheCallerItsFilesBack) {
  Ecrit("rien.dat", "%A = 1\r\nPRINTA = from the command file\r\n");
  Ecrit("sien.dat", "OPENA = sien.txt\r\nPRINTA = sien\r\n");
  Lance({"OPENA = out.txt", "PRINTA = before", "FICHIER = rien.dat", "PRINTA = after", "FICHIER = sien.dat",
         "PRINTA = last"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Lit("out.txt"), " before\r\n after\r\n last\r\n");
  EXPECT_EQ(Lit("sien.txt"), " sien\r\n");

  Ecrit("erreur.dat", "%X == %NOPE\r\n");
  Ecrit("d.txt", "1\r\n2\r\n");
  Lance({"OPENA = err.txt", "PRINTA = before", "FICHIER = erreur.dat", "PRINTA = after", "%FIN = 1"});
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(Messages()[1].texte.contains(QStringLiteral("err.txt : fichier fermé par une erreur")))
      << Messages()[1].texte.toStdString();
  EXPECT_EQ(Lit("err.txt"), " before\r\n");
  EXPECT_EQ(Var(1, "%FIN"), "<absent>");

  Lance({"OPEN = d.txt", "LVAR = %A", "FICHIER = erreur.dat", "LVAR = %B", "%FIN = 1"});
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(Messages()[1].texte.contains(QStringLiteral("d.txt : fichier fermé par une erreur")))
      << Messages()[1].texte.toStdString();
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_EQ(Var(1, "%FIN"), "<absent>");

  // Opened again after the error, the file takes lines again.
  Lance({"OPENA = err.txt", "FICHIER = erreur.dat", "OPENA = err.txt", "PRINTA = again"});
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Lit("err.txt"), " before\r\n again\r\n");
}

TEST_F(RuntimeCommandsTest, PrintAOntoAFullDiskStopsTheRunAndKeepsTheFile) {
  DisquePlein disque;
  ASSERT_TRUE(disque.Valide());
  const auto ecritSurDisque = [&](const QString& nom, const QByteArray& octets) {
    QFile f(disque.Chemin(nom));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(octets);
  };
  const auto lit = [&](const QString& nom) {
    QFile f(disque.Chemin(nom));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
  };
  ecritSurDisque("ajout.txt", "old\r\n");
  ecritSurDisque("latin.txt", "caf\xE9\r\n");
  disque.Remplit();
  const QString raison = QString::fromLocal8Bit(std::strerror(ENOSPC));

  // The full disk lies outside the program's folder.
  PolitiqueEcritures = AccordEcriture::Autoriser;
  // 200 lines of 1 KB: the run stops at the first that does not go in whole, with the reason.
  const QString ligne = QStringLiteral("PRINTA = ") + QString(1000, u'x');
  Lance({"OPENA = " + disque.Chemin("ajout.txt"), "%I == 0", "ENCORE:", ligne, "%I == %I + 1",
         "IF %I < 200 THEN GOTO ENCORE", "%FIN = 1"});
  // One message, as on a real full disk: nothing went in that the close could still fail to sync.
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains(disque.Chemin("ajout.txt"))) << Messages()[0].texte.toStdString();
  EXPECT_TRUE(Messages()[0].texte.contains(raison)) << Messages()[0].texte.toStdString();
  EXPECT_EQ(Var(1, "%FIN"), "<absent>");
  const QByteArray ajout = lit("ajout.txt");
  const qsizetype longueurLigne = 1003;  // the blank after "=", the text, CR LF
  EXPECT_TRUE(ajout.startsWith("old\r\n"));
  EXPECT_EQ((ajout.size() - 5) % longueurLigne, 0) << "no line is cut";
  EXPECT_LT(ajout.size(), 5 + 200 * longueurLigne);

  // A line that is not ASCII goes in at the end and nothing of the file is written again, so it fits
  // in the free part of the file's last page. The fault hook fails it, and the file stays as it was.
  Lance({"OPENA = " + disque.Chemin("latin.txt"), QString::fromUtf8("PRINTA = é°"), "%FIN = 1"});
  if (disque.Reel()) {
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(lit("latin.txt"), QByteArray("caf\xE9\r\n \xE9\xB0\r\n"));
    EXPECT_EQ(Var(1, "%FIN"), "1");
  } else {
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].texte.contains(disque.Chemin("latin.txt")));
    EXPECT_TRUE(Messages()[0].texte.contains(raison));
    EXPECT_EQ(lit("latin.txt"), QByteArray("caf\xE9\r\n"));
    EXPECT_EQ(Var(1, "%FIN"), "<absent>");
  }

  // A line that would cross the file-size limit is never started, whether or not another process
  // holds the file open (its part could not be taken back then, and another writer's next line
  // would finish it).
  IgnoreLimiteTailleFichier();
  rlimit avant{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &avant), 0);
  const auto retablit = qScopeGuard([&avant] { ::setrlimit(RLIMIT_FSIZE, &avant); });
  const QString limite = RaisonSysteme(EFBIG);
  for (const bool tenu : {false, true}) {
    Ecrit("limite.txt", "old\r\n");
    QFile lecteur(Chemin("limite.txt"));
    if (tenu) {
      ASSERT_TRUE(lecteur.open(QIODevice::ReadOnly));
    }
    rlimit borne = avant;
    borne.rlim_cur = 5 + 1003 + 500;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &borne), 0);
    Lance({"OPENA = limite.txt", ligne, ligne, "%FIN = 1"});
    ::setrlimit(RLIMIT_FSIZE, &avant);
    ASSERT_EQ(Messages().size(), 1u);
    const QString texte = Messages()[0].texte;
    EXPECT_TRUE(texte.contains(limite)) << texte.toStdString();
    EXPECT_EQ(Var(1, "%FIN"), "<absent>");
    EXPECT_EQ(Lit("limite.txt"), "old\r\n " + std::string(1000, 'x') + "\r\n") << tenu;
    EXPECT_FALSE(texte.contains(QStringLiteral("went into the file"))) << texte.toStdString();
  }
}

TEST_F(RuntimeCommandsTest, OpenABetweenOpenAndLVarLeavesTheDataFileUnreachable) {
  Ecrit("d.txt", "1\r\n2\r\n");
  Lance({"OPEN = d.txt", "OPENA = o.txt", "LVAR = %A"});
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Var(1, "%A"), "<absent>");
}

TEST_F(RuntimeCommandsTest, DataFilesFromTheCurrentFolderThenTheProgramsThenBesideTheCommandFile) {
  for (const char* d : {"ici", "rep", "sous"}) ASSERT_TRUE(QDir(dossier_.path()).mkpath(d));
  OuvreDans(Chemin("ici"));
  Shell.RepCourant = Chemin("rep") + "/";
  Ecrit("ici/a.txt", "ici\r\n");
  Ecrit("rep/a.txt", "rep\r\n");
  Ecrit("rep/b.txt", "rep\r\n");
  Ecrit("sous/b.txt", "sous\r\n");
  Ecrit("sous/c.txt", "sous\r\n");
  Ecrit("sous/cmd.txt",
        "OPEN = a.txt\r\nLVAR = %A\r\nOPEN = b.txt\r\nLVAR = %B\r\nOPEN = c.txt\r\nLVAR = %C\r\n"
        "%IRE$#0A = %A\r\n%IRE$#0B = %B\r\n%IRE$#0C = %C\r\n");
  Lance({"FICHIER = " + Chemin("sous/cmd.txt"), "OPEN = c.txt"});
  EXPECT_EQ(Var(0, "%A"), "ici");
  EXPECT_EQ(Var(0, "%B"), "rep");
  EXPECT_EQ(Var(0, "%C"), "sous");
  // The editor's program has no folder of its own to look in.
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains(Chemin("rep/c.txt") + " : fichier non trouvé"))
      << Messages()[0].texte.toStdString();

  // A command file run through a link in another folder: beside the file the link leads to.
  ASSERT_TRUE(QFile::link(Chemin("sous/cmd.txt"), Chemin("ici/lien.txt")));
  Lance({"FICHIER = " + Chemin("ici/lien.txt")});
  EXPECT_TRUE(Messages().empty()) << Messages()[0].texte.toStdString();
  EXPECT_EQ(Var(0, "%C"), "sous");

  // A new append file goes to the program's folder; Kill deletes only a file of the current folder.
  Lance({"OPENA = n.txt", "PRINTA = x"});
  EXPECT_EQ(Lit("rep/n.txt"), " x\r\n");
  Ecrit("ici/k.txt", "ici\r\n");
  Ecrit("rep/k.txt", "rep\r\n");
  // The current folder is not the one the program makes its files in: the user is asked first.
  Lance({"OPENA = k.txt, , Kill"}, {"YES"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains(Chemin("ici/k.txt"))) << Messages()[0].texte.toStdString();
  EXPECT_FALSE(QFile::exists(Chemin("ici/k.txt")));
  EXPECT_TRUE(QFile::exists(Chemin("rep/k.txt")));
  Lance({"OPENA = k.txt, , Kill"});
  EXPECT_TRUE(QFile::exists(Chemin("rep/k.txt")));
}

TEST_F(RuntimeCommandsTest, CommandFilesAndCancelStopsEveryLevel) {
  ASSERT_TRUE(QDir(dossier_.path()).mkpath("sous"));
  Ecrit("sous/d.txt", "from the file's folder\r\n");
  Ecrit("d.txt", "from the program's folder\r\n");
  Ecrit("sous/cmd.txt", "OPEN = d.txt\r\nLVAR = %L\r\nOPENA = sortie.txt\r\nPRINTA = %L\r\n");
  Lance({"FICHIER = sous/cmd.txt", "%A = 1"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Lit("sortie.txt"), " from the program's folder\r\n");
  EXPECT_EQ(Var(1, "%A"), "1");

  // Cancelling a dialog of a command file ends the calling levels too.
  Ecrit("sous/question.txt", "INPUT = Q, %Q\r\n");
  Lance({"FICHIER = sous/question.txt", "%A = 1"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(1, "%A"), "<absent>");
  Ecrit("sous/liste.txt", "LISTEVAR = x\r\n");
  Lance({"FICHIER = sous/liste.txt", "%A = 1"}, {"CANCEL"});
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Var(1, "%A"), "<absent>");
}

TEST_F(RuntimeCommandsTest, InputStoresTheAnswerByMode) {
  Lance({"%A = 5", "INPUT = Votre nom§Jean, %NOM", "INPUT == Valeur, %V", "INPUT = Texte, %T",
         "INPUT =< Brut, %R"},
        {"hello", "3*4", "v%A", "v%A"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(1, "%NOM"), "hello");
  EXPECT_EQ(Var(1, "%V"), "12");
  EXPECT_EQ(Var(1, "%T"), "v5");
  EXPECT_EQ(Var(1, "%R"), "v%A");
  const QStringList& journal = Session().Prompteur().Journal();
  ASSERT_EQ(journal.size(), 4);
  EXPECT_EQ(journal[0], "input \" Votre nom\" \"Jean\" -> \"hello\"");
  EXPECT_EQ(journal[1], "input \" Valeur\" \"\" -> \"3*4\"");

  // An existing variable takes the answer.
  Lance({"%V = 1", "INPUT == Valeur, %V"}, {"2,5"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(1, "%V"), "2.5");
  // Every comma of a numeric answer is a decimal comma, in an expression too.
  Lance({"%A = 2", "INPUT == Valeur, %V", "INPUT == Valeur, %W", "INPUT == Valeur, %X"},
        {"1,5*2", "1,5+1,5", "2,5*%A"});
  EXPECT_TRUE(Messages().empty()) << Messages()[0].texte.toStdString();
  EXPECT_EQ(Var(1, "%V"), "3");
  EXPECT_EQ(Var(1, "%W"), "3");
  EXPECT_EQ(Var(1, "%X"), "5");

  // An unknown variable in the answer is a run error with its detail.
  Lance({"INPUT = Texte, %T"}, {"%nope"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains(QStringLiteral("%nope : non initialisée")));

  // The second field must be a %variable; no dialog opens.
  Lance({"INPUT = Texte, T"}, {"x"});
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Session().Prompteur().Journal().filter("input").isEmpty());
}

TEST_F(RuntimeCommandsTest, CancelledInputEndsTheRunWithoutMessages) {
  for (const QString& reponse : {QString(), QStringLiteral("$Cancel$")}) {
    Lance({"%A = 1", "IF %A = 1 THEN", "INPUT = Q, %Q", "ENDIF", "%B = 2"},
          reponse.isNull() ? QStringList() : QStringList{reponse});
    EXPECT_TRUE(Messages().empty()) << reponse.toStdString();
    EXPECT_EQ(Var(1, "%Q"), "<absent>");
    EXPECT_EQ(Var(1, "%B"), "<absent>");
    EXPECT_EQ(Niveau1().ProfIf, 0);
  }
}

TEST_F(RuntimeCommandsTest, ListeVarShowsTheVariablesAndCancelStops) {
  Lance({"%A = 1", "%B = 2", "%C = 3", "%D = 4", "%E = 5", "LISTEVAR = debug, here", "%F = 6"});
  ASSERT_EQ(Messages().size(), 1u);
  const auto m = Messages()[0];
  EXPECT_EQ(m.titre, "Morvo        ListeVar (n=5  L=6)  " + CRLF + " debug");
  EXPECT_EQ(m.boutons, Boutons::OkAnnuler);
  // The last row of a count that is no multiple of four keeps its tab.
  EXPECT_TRUE(
      m.texte.startsWith("%A = 1\t%B = 2\t%C = 3\t%D = 4" + CRLF + "%E = 5\t" + CRLF + CRLF + "%iRec\t= 1"));
  EXPECT_TRUE(m.texte.endsWith(CRLF + "%E\t= 5" + CRLF));
  EXPECT_EQ(Var(1, "%F"), "6");

  Lance({"IF 1 = 1 THEN", "LISTEVAR = x", "ENDIF", "%F = 6"}, {"CANCEL"});
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Var(1, "%F"), "<absent>");

  // The hidden keyword asks for the folders, except when it stands first.
  Lance({"LISTEVAR = #RKFRép"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.startsWith("StartPath=\t"));
  EXPECT_TRUE(Messages()[0].texte.contains("FicPath  = \t" + Shell.RepCourant + CRLF));
  EXPECT_FALSE(Messages()[0].titre.contains("#RKFRép"));
  Lance({"LISTEVAR =#RKFRép"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_FALSE(Messages()[0].texte.contains("StartPath="));
}

TEST_F(RuntimeCommandsTest, OptionsChangeTheLevelCapacities) {
  QStringList programme;
  for (int i = 1; i <= 34; ++i) programme << QStringLiteral("%V%1 = %1").arg(i);
  Lance(programme);
  EXPECT_EQ(Messages().size(), 1u);
  Lance(QStringList{"OPTIONS#$ = Var, 50, , OptMaxVar"} + programme);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Niveau1().MaxVar, 50);

  // Only a count equal to the capacity stops a creation: past it (the "?" command stores
  // without looking at it) creations go on.
  Lance({"OPTIONS#$ = Var, 2, , OptMaxVar", "%a = 1", "%b = 2", "? = %c, %d", "%e = 5"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(1, "%e"), "5");
  EXPECT_EQ(NbVar(1), 5);

  Lance({"OPTIONS#$ = Var, 100, , OptMaxVar"});
  EXPECT_EQ(Niveau1().MaxVar, 64);
  Lance({"OPTIONS#$ = Var, 100, , optmaxvar"});
  EXPECT_EQ(Niveau1().MaxVar, 33);
  Lance({"OPTIONS#$ = var, 50, , OptMaxVar"});
  EXPECT_EQ(Niveau1().MaxVar, 33);

  Lance({"OPTIONS#$ = Plot, 200, , OptMaxPlot"});
  EXPECT_EQ(Niveau1().MaxPlot, 200000);
  Lance({"OPTIONS#$ = Plot, 0, , OptMaxPlot"});
  EXPECT_EQ(Niveau1().MaxPlot, 50100);
  // A value beyond every range and a field that is no expression are no errors.
  Lance({"OPTIONS#$ = Plot, 1E30, , OptMaxPlot", "OPTIONS#$ = MaxIf, )(, , OptMaxIf"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Niveau1().MaxIf, 2);

  const QStringList ifs = {"IF 1 = 1 THEN", "IF 1 = 1 THEN", "IF 1 = 1 THEN", "%X = 1",
                           "ENDIF",         "ENDIF",         "ENDIF"};
  Lance(ifs);
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Var(1, "%X"), "<absent>");
  Lance(QStringList{"OPTIONS#$ = MaxIf, 9, , OptMaxIf"} + ifs);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(1, "%X"), "1");
  EXPECT_EQ(Niveau1().MaxIf, 4);

  // With another separator the confirmation keeps the added commas and no longer matches.
  Lance({"SEPARATEUR = ;", "OPTIONS#$ = MaxIf; 3;; OptMaxIf"});
  EXPECT_EQ(Niveau1().MaxIf, 2);
}

TEST_F(RuntimeCommandsTest, ShellStartsProgramsOnlyWithTheToken) {
  PolitiqueShell = AccordShell::Autoriser;
  Lance({"SHELL#$ = /bin/true, QWZ#, 1", "%A = 1"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(1, "%A"), "1");

  QElapsedTimer chrono;
  chrono.start();
  Lance({"SHELL#$ = /bin/sleep, QWZ#, 1, 0.4"});
  EXPECT_GE(chrono.elapsed(), 380);
  EXPECT_TRUE(Messages().empty());
  chrono.restart();
  Lance({"SHELL#$ = /bin/sleep, QWZ#, yes, 0.4"});
  EXPECT_LT(chrono.elapsed(), 350);

  // Arguments are handed over as a list: quotes group, and no shell reads the text.
  Lance({"SHELL#$ = /bin/touch, QWZ#, 1, \"" + Chemin("a b.txt") + "\" " + Chemin("c;rm.txt")});
  EXPECT_TRUE(QFile::exists(Chemin("a b.txt")));
  EXPECT_TRUE(QFile::exists(Chemin("c;rm.txt")));

  Lance({"SHELL#$ = /no/such/program, QWZ#, 1", "%B = 2"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains("/no/such/program : impossible de lancer le programme"));
  EXPECT_EQ(Var(1, "%B"), "<absent>");
  Lance({"SHELL#$ = /no/such/program, QWZ#, 0"});
  EXPECT_EQ(Messages().size(), 1u);

  Lance({"SHELL#$ = /no/such/program, qwz#, 1", "%B = 2"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(1, "%B"), "2");

  // Where starting programs is forbidden, even the right token starts nothing.
  LancementsInterdits = true;
  Lance({"SHELL#$ = /bin/touch, QWZ#, 1, " + Chemin("interdit.txt"), "%B = 3"});
  LancementsInterdits = false;
  EXPECT_FALSE(QFile::exists(Chemin("interdit.txt")));
  EXPECT_EQ(Var(1, "%B"), "3");
}

// A program file may start another program only once the user has said yes; the answer holds
// while the same program stays in the editor.
TEST_F(RuntimeCommandsTest, ShellAsksTheUserOnceForTheProgram) {
  Shell.NomFichier = Chemin("prog.dat");
  const QString cible = Chemin("fait.txt");
  const QStringList programme = {"SHELL#$ = /bin/touch, QWZ#, 1, " + cible, "%A = 1"};
  // No, the default button: a run error and nothing started.
  Lance(programme);
  ASSERT_EQ(Messages().size(), 2u);
  const ScriptedPrompter::Message& question = Messages()[0];
  EXPECT_EQ(question.boutons, Boutons::OuiNon);
  EXPECT_EQ(question.icone, Icone::Question);
  EXPECT_EQ(question.defaut, 2);
  EXPECT_TRUE(question.texte.contains(Chemin("prog.dat"))) << question.texte.toStdString();
  EXPECT_TRUE(question.texte.contains("/bin/touch " + cible)) << question.texte.toStdString();
  EXPECT_TRUE(
      Messages()[1].texte.contains("/bin/touch : lancement de programmes refusé / starting programs refused"))
      << Messages()[1].texte.toStdString();
  EXPECT_FALSE(QFile::exists(cible));
  EXPECT_EQ(Var(1, "%A"), "<absent>");
  // The refusal holds for the same program: no question, the same error.
  Lance(programme);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains("starting programs refused"));

  // A changed program asks again; yes starts it, and the next runs do not ask.
  const QStringList change = programme + QStringList{"%B = 2"};
  Lance(change, {"YES"});
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(QFile::exists(cible));
  EXPECT_EQ(Var(1, "%B"), "2");
  QFile::remove(cible);
  Lance(change);
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(QFile::exists(cible));

  // Once the program is closed the answer is gone; a command file that asks is named.
  OublieAccordShell();
  Ecrit("cmd.dat", "SHELL#$ = /bin/true, QWZ#, 1\r\n");
  Lance({"FICHIER = cmd.dat", "%C = 3"}, {"YES"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains(Chemin("cmd.dat"))) << Messages()[0].texte.toStdString();
  EXPECT_EQ(Var(1, "%C"), "3");
  Lance({"FICHIER = cmd.dat", "%C = 3"});
  EXPECT_TRUE(Messages().empty());
  // The nested file changed behind the unchanged program: it asks again, and No starts nothing.
  Ecrit("cmd.dat", "SHELL#$ = /bin/touch, QWZ#, 1, " + cible.toUtf8() + "\r\n");
  QFile::remove(cible);
  Lance({"FICHIER = cmd.dat", "%C = 3"});
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(Messages()[0].texte.contains("/bin/touch " + cible)) << Messages()[0].texte.toStdString();
  EXPECT_FALSE(QFile::exists(cible));
}

// The question names the program and its arguments as they are: a character that turns the
// line's direction is shown escaped, and a program named through a link with the file that runs.
TEST_F(RuntimeCommandsTest, ShellQuestionShowsTheProgramAndItsArgumentsAsTheyAre) {
  Shell.NomFichier = Chemin("prog.dat");
  const QString lien = Chemin(QString::fromUtf16(u"tool\u202Eexe.sh"));
  ASSERT_TRUE(QFile::link(QStringLiteral("/bin/true"), lien));
  const QString vrai = QFileInfo(QStringLiteral("/bin/true")).canonicalFilePath();
  Lance({"SHELL#$ = " + lien + ", QWZ#, 1, " + QString::fromUtf16(u"x\u202Etxt.sh"), "%A = 1"});
  ASSERT_EQ(Messages().size(), 2u);
  const QString& question = Messages()[0].texte;
  EXPECT_FALSE(question.contains(QChar(0x202E))) << question.toStdString();
  EXPECT_TRUE(question.contains(Chemin("tool\\u202Eexe.sh") + " -> " + vrai + " x\\u202Etxt.sh"))
      << question.toStdString();
}

// A program writes outside its own folder only once the user has said yes for that file: a
// downloaded program must not append to the user's start-up files unasked.
TEST_F(RuntimeCommandsTest, WritesOutsideTheProgramsFolderAskTheUserOnceForEachFile) {
  ASSERT_TRUE(QDir(dossier_.path()).mkpath("prog/sous"));
  OuvreDans(Chemin("prog"));
  Shell.NomFichier = Chemin("prog/prog.dat");
  const QString dehors = Chemin("dehors.txt");
  const QStringList programme = {"OPENA = ../dehors.txt", "PRINTA = un", "PRINTA = deux", "PRINTA = trois",
                                 "%A = 1"};
  // No, the default button: a run error that names the file, and nothing written.
  Lance(programme);
  ASSERT_EQ(Messages().size(), 2u);
  const ScriptedPrompter::Message& question = Messages()[0];
  EXPECT_EQ(question.boutons, Boutons::OuiNon);
  EXPECT_EQ(question.icone, Icone::Question);
  EXPECT_EQ(question.defaut, 2);
  EXPECT_TRUE(question.texte.contains(Chemin("prog/prog.dat"))) << question.texte.toStdString();
  EXPECT_TRUE(question.texte.contains(dehors)) << question.texte.toStdString();
  EXPECT_TRUE(Messages()[1].texte.contains(dehors + " : écriture hors du dossier du programme refusée / "
                                                    "writing outside the program's folder refused"))
      << Messages()[1].texte.toStdString();
  EXPECT_FALSE(QFile::exists(dehors));
  EXPECT_EQ(Var(1, "%A"), "<absent>");
  // The answer holds for the same program.
  Lance(programme);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains("refused"));

  // Opened again, it asks again: yes is one question for every line of the run, and for the next runs.
  OublieAccordEcritures();
  Lance(programme, {"YES"});
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Lit("dehors.txt"), " un\r\n deux\r\n trois\r\n");
  EXPECT_EQ(Var(1, "%A"), "1");
  Lance(programme);
  EXPECT_TRUE(Messages().empty());

  // A yes for one file allows no other: a link in the folder that leads out is outside, and asked
  // for by the file it reaches; the same file is never asked for twice in a run.
  ASSERT_TRUE(QFile::link(Chemin("autre.txt"), Chemin("prog/lien.txt")));
  Lance({"OPENA = ../dehors.txt", "PRINTA = quatre", "OPENA", "OPENA = ../dehors.txt", "PRINTA = cinq",
         "OPENA", "OPENA = lien.txt", "PRINTA = x", "%B = 2"},
        {"YES", "NO"});
  ASSERT_EQ(Messages().size(), 3u);
  EXPECT_TRUE(Messages()[1].texte.contains(Chemin("prog/lien.txt") + " -> " + Chemin("autre.txt")))
      << Messages()[1].texte.toStdString();
  EXPECT_TRUE(Messages()[2].texte.contains("refused"));
  EXPECT_EQ(Lit("dehors.txt"), " un\r\n deux\r\n trois\r\n un\r\n deux\r\n trois\r\n quatre\r\n cinq\r\n");
  EXPECT_EQ(Lit("autre.txt"), "<absent>");
  EXPECT_EQ(Var(1, "%B"), "<absent>");

  // A file of the folder that is also named elsewhere (a hard link) is asked for with its other names.
  ASSERT_EQ(::link(QFile::encodeName(Chemin("dehors.txt")).constData(),
                   QFile::encodeName(Chemin("prog/dur.txt")).constData()),
            0);
  Lance({"OPENA = dur.txt", "PRINTA = x"});
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(Messages()[0].texte.endsWith(Chemin("prog/dur.txt") + CRLF +
                                           "Ce fichier a d'autres noms (liens physiques) : 1."))
      << Messages()[0].texte.toStdString();

  // Inside the folder and its subfolders nothing is asked, whatever the level that writes.
  Ecrit("prog/sous/cmd.dat", "OPENA = sous/dedans.txt\r\nPRINTA = c\r\n");
  Lance({"OPENA = dedans.txt", "PRINTA = d", "OPENA", "FICHIER = sous/cmd.dat", "OPENA = dedans.txt, , Kill",
         "%C = 3"});
  EXPECT_TRUE(Messages().empty()) << Messages()[0].texte.toStdString();
  EXPECT_EQ(Lit("prog/sous/dedans.txt"), " c\r\n");
  EXPECT_FALSE(QFile::exists(Chemin("prog/dedans.txt")));
  EXPECT_EQ(Var(1, "%C"), "3");

  // The folder is the program file's: a program of the subfolder run from its parent asks before
  // deleting there or writing the offset file of Plot, and a command file that asks is named.
  Shell.NomFichier = Chemin("prog/sous/p.dat");
  Ecrit("prog/k.txt", "k\r\n");
  Ecrit("prog/pts.txt", "1;2\r\n");
  Ecrit("prog/plot.dat", "Plot = pts, 1, 2, 0, 1, 0, 1, 0, , , , §OFFSET\r\n");
  Lance({"OPENA = k.txt, , Kill", "%D = 4"});
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(Messages()[0].texte.contains(Chemin("prog/k.txt"))) << Messages()[0].texte.toStdString();
  EXPECT_TRUE(Messages()[1].texte.contains("deleting outside the program's folder refused"));
  EXPECT_EQ(Lit("prog/k.txt"), "k\r\n");
  Lance({"FICHIER = plot.dat", "%D = 4"}, {"YES"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains(Chemin("prog/plot.dat"))) << Messages()[0].texte.toStdString();
  EXPECT_TRUE(QFile::exists(Chemin("prog/Plot_Offset.txt")));
  EXPECT_EQ(Var(1, "%D"), "4");
  // The yes holds for the file it made, not for another put at its name afterwards.
  Lance({"FICHIER = plot.dat", "%D = 4"});
  EXPECT_TRUE(Messages().empty()) << Messages()[0].texte.toStdString();
  ASSERT_TRUE(QFile::remove(Chemin("prog/Plot_Offset.txt")));
  Ecrit("prog/Plot_Offset.txt", "garde\r\n");
  Lance({"FICHIER = plot.dat", "%D = 4"});
  EXPECT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Lit("prog/Plot_Offset.txt"), "garde\r\n");

  // A yes to delete a file holds for it and for the one the program itself then makes at its name,
  // not for another file put there.
  const QStringList tue = {"OPENA = k.txt, , Kill", "OPENA = k.txt", "PRINTA = k", "%D = 5"};
  Lance(tue, {"YES", "YES"});
  EXPECT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Lit("prog/k.txt"), " k\r\n");
  Lance(tue);
  EXPECT_TRUE(Messages().empty()) << Messages()[0].texte.toStdString();
  EXPECT_EQ(Lit("prog/k.txt"), " k\r\n");
  ASSERT_TRUE(QFile::remove(Chemin("prog/k.txt")));
  Ecrit("prog/k.txt", "garde\r\n");
  Lance(tue);
  EXPECT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Lit("prog/k.txt"), "garde\r\n");

  // A program never saved, in a window started in the home folder, has no folder of its own.
  const QByteArray ancienHome = qgetenv("HOME");
  qputenv("HOME", QFile::encodeName(Chemin("prog")));
  Shell.NomFichier.clear();
  OuvreDans(Chemin("prog"));
  Lance({"OPENA = neuf.txt", "PRINTA = x", "%E = 5"});
  qputenv("HOME", ancienHome);
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(Messages()[0].texte.contains(Chemin("prog/neuf.txt"))) << Messages()[0].texte.toStdString();
  EXPECT_FALSE(QFile::exists(Chemin("prog/neuf.txt")));
}

// The check and the open are one step: a link that another thread turns, over and over, between a
// file of the folder and one outside never takes a write out unasked, and a yes is for the file the
// question named, whatever the link leads to once it is given.
TEST_F(RuntimeCommandsTest, ALinkTurnedMeanwhileNeverTakesAWriteOutside) {
  ASSERT_TRUE(QDir(dossier_.path()).mkpath("prog"));
  OuvreDans(Chemin("prog"));
  Shell.NomFichier = Chemin("prog/prog.dat");
  Ecrit("dehors.txt", "");
  Ecrit("autre.txt", "");
  Ecrit("prog/notes.txt", "");
  // The offset file of Plot, written whole, is turned too: the file itself, and the folder it is in.
  ASSERT_TRUE(QDir(dossier_.path()).mkpath("prog/sous") && QDir(dossier_.path()).mkpath("ext"));
  for (const char* points : {"prog/pts.txt", "prog/sous/pts.txt", "ext/pts.txt"}) Ecrit(points, "1;2\r\n");
  const QByteArray lien = QFile::encodeName(Chemin("prog/l.txt"));
  const QByteArray neuf = QFile::encodeName(Chemin("prog/l.neuf"));
  const auto tourneLien = [&](const char* nom, const char* cible) {
    ::unlink(neuf.constData());
    if (::symlink(cible, neuf.constData()) == 0) ::rename(neuf.constData(), QFile::encodeName(Chemin(nom)));
  };
  const auto tourne = [&](const char* cible) { tourneLien("prog/l.txt", cible); };
  std::atomic<bool> fini = false;
  std::thread bascule([&] {
    for (bool dehors = false; !fini; dehors = !dehors) {
      tourne(dehors ? "../dehors.txt" : "notes.txt");
      tourneLien("prog/Plot_Offset.txt", dehors ? "../dehors.txt" : "offset.txt");
      tourneLien("prog/d", dehors ? "../ext" : "sous");
    }
  });
  PolitiqueEcritures = AccordEcriture::Refuser;
  const QString plot = "Plot = pts, 1, 2, 0, 1, 0, 1, 0, , , , §OFFSET";
  for (int i = 0; i < 1000; ++i) {
    Lance({"OPENA = l.txt", "PRINTA = x", "OPENA"});
    Shell.RepCourant = Chemin("prog") + '/';
    Lance({plot});
    Shell.RepCourant = Chemin("prog/d") + '/';
    Lance({plot});
  }
  fini = true;
  bascule.join();
  Shell.RepCourant = Chemin("prog") + '/';
  PolitiqueEcritures = AccordEcriture::Demander;
  OublieAccordEcritures();
  EXPECT_EQ(Lit("dehors.txt"), "");
  EXPECT_EQ(Lit("ext/Plot_Offset.txt"), "<absent>");
  EXPECT_NE(Lit("prog/notes.txt"), "");
  EXPECT_NE(Lit("prog/offset.txt"), "<absent>");
  EXPECT_NE(Lit("prog/sous/Plot_Offset.txt"), "<absent>");

  // The link turns to another file while the question is shown: the yes writes the file it named.
  class Tourne : public ScriptedPrompter {
   public:
    std::function<void()> pendant;
    Reponse MsgBox(const QString& texte, Boutons boutons, const QString& titre, Icone icone,
                   int defaut) override {
      ScriptedPrompter::MsgBox(texte, boutons, titre, icone, defaut);
      if (icone != Icone::Question) return Reponse::Ok;
      pendant();
      return Reponse::Oui;
    }
  } question;
  question.pendant = [&] { tourne("../autre.txt"); };
  tourne("../dehors.txt");
  Prompter& avant = Dialogues();
  DefinitDialogues(&question);
  Run({"OPENA = l.txt", "PRINTA = oui", "OPENA"});
  DefinitDialogues(&avant);
  ASSERT_EQ(question.Messages().size(), 1u);
  EXPECT_TRUE(question.Messages()[0].texte.contains(Chemin("dehors.txt")))
      << question.Messages()[0].texte.toStdString();
  EXPECT_EQ(Lit("dehors.txt"), " oui\r\n");
  EXPECT_EQ(Lit("autre.txt"), "");

  // A new file is asked for; while the question is shown, a hard link to one of the user's files is
  // put at its name: the yes makes the new file only while it is still not there.
  ASSERT_TRUE(QDir(dossier_.path()).mkpath("out"));
  Ecrit("rc.txt", "rc\n");
  question.pendant = [&] {
    ASSERT_EQ(::link(QFile::encodeName(Chemin("rc.txt")).constData(),
                     QFile::encodeName(Chemin("out/neuf.txt")).constData()),
              0);
  };
  question.Efface();
  DefinitDialogues(&question);
  Run({"OPENA = ../out/neuf.txt", "PRINTA = oui", "%F = 6"});
  DefinitDialogues(&avant);
  ASSERT_EQ(question.Messages().size(), 2u);
  EXPECT_TRUE(question.Messages()[0].texte.contains(Chemin("out/neuf.txt")))
      << question.Messages()[0].texte.toStdString();
  EXPECT_TRUE(question.Messages()[1].texte.contains("../out/neuf.txt") &&
              question.Messages()[1].texte.contains(QString::fromLocal8Bit(std::strerror(EEXIST))))
      << question.Messages()[1].texte.toStdString();
  EXPECT_EQ(Lit("rc.txt"), "rc\n");
  EXPECT_EQ(Var(1, "%F"), "<absent>");

  // The yes given for the file made is not one for another file put at its name afterwards.
  question.pendant = [] {};
  question.Efface();
  DefinitDialogues(&question);
  Run({"OPENA = ../out/autre.txt", "PRINTA = un", "OPENA"});
  ASSERT_EQ(::unlink(QFile::encodeName(Chemin("out/autre.txt")).constData()), 0);
  ASSERT_EQ(::link(QFile::encodeName(Chemin("rc.txt")).constData(),
                   QFile::encodeName(Chemin("out/autre.txt")).constData()),
            0);
  Run({"OPENA = ../out/autre.txt", "PRINTA = un", "OPENA"});
  DefinitDialogues(&avant);
  ASSERT_EQ(question.Messages().size(), 2u);
  EXPECT_TRUE(question.Messages()[1].texte.contains("Ce fichier a d'autres noms"))
      << question.Messages()[1].texte.toStdString();

  // Nor for a new file put at its name once the file made is gone, though the system may give the
  // new file the inode the old one had.
  question.Efface();
  DefinitDialogues(&question);
  Run({"OPENA = ../out/nouveau.txt", "PRINTA = un", "OPENA"});
  ASSERT_EQ(::unlink(QFile::encodeName(Chemin("out/nouveau.txt")).constData()), 0);
  Ecrit("out/nouveau.txt", "autre\r\n");
  Run({"OPENA = ../out/nouveau.txt", "PRINTA = un", "OPENA"});
  DefinitDialogues(&avant);
  EXPECT_EQ(question.Messages().size(), 2u);
}

TEST_F(RuntimeCommandsTest, DagCodeWritesTheTemplateWithTheRightCode) {
  const QStringList programme = {"%A = 1", "DAGCODE", "GOTO FIN", "%X = 1", "FIN:", "%B = 2"};
  Lance(programme, {"60918 "});
  EXPECT_EQ(Session().Document().Text(), programme.join(CRLF));
  EXPECT_EQ(Var(1, "%B"), "2");

  Lance(programme, {"60918"});
  const QString texte = Session().Document().Text();
  EXPECT_TRUE(texte.startsWith("%A = 1" + CRLF +
                               "'# Fin des commentaires copiés par MCE_xxx=? ou Fichier=xxx,? " + CRLF +
                               "'$FDescription;"));
  EXPECT_TRUE(texte.endsWith(CRLF + "'Enregistrer sous *.QWZ#" + CRLF + "GOTO FIN" + CRLF + "%X = 1" + CRLF +
                             "FIN:" + CRLF + "%B = 2"));
  EXPECT_EQ(texte.count(CRLF), 5 - 1 + 21);
  // The template's StopArg line runs; the jump still lands on the label moved down.
  EXPECT_TRUE(Lecture.StopArg);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(1, "%X"), "<absent>");
  EXPECT_EQ(Var(1, "%B"), "2");

  // After the THEN of a one-line If the template takes the whole line, so that the next run reads
  // the template and no block If.
  Lance({"If 1 = 1 Then DAGCODE", "%B = 3"}, {"60918"});
  const QString apres = Session().Document().Text();
  EXPECT_TRUE(apres.startsWith("'# Fin des commentaires copiés par MCE_xxx=? ou Fichier=xxx,? " + CRLF));
  EXPECT_TRUE(apres.endsWith(CRLF + "'Enregistrer sous *.QWZ#" + CRLF + "%B = 3"));
  EXPECT_EQ(Var(1, "%B"), "3");
  Lance({apres});
  EXPECT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
  EXPECT_EQ(Session().Document().Text(), apres);
  EXPECT_EQ(Var(1, "%B"), "3");
}

}  // namespace
