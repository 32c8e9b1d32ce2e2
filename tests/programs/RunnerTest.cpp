// The headless runner as a user calls it: a program file in, the drawing and the log out.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPointF>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "FullDisk.h"
#include "PdfPages.h"
#include "PrivateCups.h"
#include "interpreter/Scrambling.h"
#include "platform/SystemReasons.h"

namespace {

struct Resultat {
  int code = -1;
  QStringList journal;
  QString erreurs;  // what the runner wrote to the standard error
};

class RunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dossier_.isValid());
    ASSERT_TRUE(config_.isValid());
    // The messages are French whatever the test's locale, as a user who chose French in the desktop
    // program has them; the system's reasons stay in the locale's language.
    ASSERT_TRUE(QDir(config_.path()).mkpath(QStringLiteral("Morvo")));
    QFile cfg(config_.filePath(QStringLiteral("Morvo/Morvo.cfg")));
    ASSERT_TRUE(cfg.open(QIODevice::WriteOnly));
    cfg.write("'Fichier de configuration du Programme Morvo V0.01 \r\nLangue = Fran\xe7\x61is\r\n");
  }

  // The environment the runs start from: a configuration folder of their own, so that the user's
  // settings play no part.
  QProcessEnvironment EnvironnementDesRuns() const {
    QProcessEnvironment environnement = QProcessEnvironment::systemEnvironment();
    environnement.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
    return environnement;
  }

  QString Chemin(const QString& nom) const { return dossier_.filePath(nom); }
  QString dossier() const { return dossier_.path(); }

  QString EcritProgramme(const QByteArray& contenu, const QString& nom = QStringLiteral("prog.txt")) {
    QFile f(Chemin(nom));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(contenu);
    return f.fileName();
  }

  // Runs morvo-run with the arguments and reads back the log when one was asked for. With
  // `sansEcriture` no file can grow (for the full disk that a test without root cannot mount);
  // `limites` are shell limits set before it starts (ulimit); `depart` is the folder it starts in.
  Resultat Lance(const QStringList& arguments, bool sansEcriture = false, const QString& depart = {},
                 const QString& limites = {}) {
    QProcess processus;
    const QProcessEnvironment environnement = environnement_.isEmpty() ? EnvironnementDesRuns() : environnement_;
    processus.setProcessEnvironment(limites.contains(QStringLiteral("ulimit -v"))
                                        ? CachesDePolicesAPart(environnement)
                                        : environnement);
    if (!depart.isEmpty()) processus.setWorkingDirectory(depart);
    QString prelude = limites.isEmpty() ? QString() : limites + QStringLiteral("; ");
    if (sansEcriture) prelude += QStringLiteral("trap '' XFSZ; ulimit -f 0; ");
    if (!prelude.isEmpty())
      processus.start(QStringLiteral("/bin/sh"),
                      QStringList{QStringLiteral("-c"), prelude + QStringLiteral("exec \"$0\" \"$@\""),
                                  QStringLiteral(MORVO_RUN_PATH)} +
                          arguments);
    else
      processus.start(QStringLiteral(MORVO_RUN_PATH), arguments);
    Resultat r;
    const bool fini = processus.waitForFinished(60000);
    r.erreurs = QString::fromLocal8Bit(processus.readAllStandardError());
    std::fputs(qPrintable(r.erreurs), stderr);
    if (!fini || processus.exitStatus() != QProcess::NormalExit) return r;
    r.code = processus.exitCode();
    const int i = arguments.indexOf(QStringLiteral("--log"));
    // A relative log is where the runner was started.
    const QString journal =
        i < 0 || depart.isEmpty() ? arguments.value(i + 1) : QDir(depart).filePath(arguments[i + 1]);
    if (i >= 0 && QFileInfo(journal).isFile()) {
      QFile f(journal);
      if (f.open(QIODevice::ReadOnly)) r.journal = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    }
    return r;
  }

  // A run short of memory may fail to map the machine's font caches and then writes them again from
  // the few fonts it could still read; as root it writes the machine's, and every program started
  // after it finds another face for "Sans Serif". Its runs read the machine's caches and write their
  // own in the test's folder.
  QProcessEnvironment CachesDePolicesAPart(QProcessEnvironment environnement) const {
    const QString machine = environnement.value(QStringLiteral("FONTCONFIG_FILE"),
                                                QStringLiteral("/etc/fonts/fonts.conf"));
    QFile f(config_.filePath(QStringLiteral("fonts.conf")));
    if (!QFileInfo::exists(machine) || !f.open(QIODevice::WriteOnly)) return environnement;
    f.write(QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig>\n  <cachedir>%1</cachedir>\n"
                           "  <include>%2</include>\n</fontconfig>\n")
                .arg(config_.filePath(QStringLiteral("caches-polices")).toHtmlEscaped(), machine.toHtmlEscaped())
                .toUtf8());
    environnement.insert(QStringLiteral("FONTCONFIG_FILE"), f.fileName());
    return environnement;
  }

  // Runs a shell script in the test's folder, the runner's path in $R; its exit status, with what
  // it wrote to the standard error in *erreurs.
  int LanceShell(const QString& script, QString* erreurs = nullptr) {
    QProcess processus;
    QProcessEnvironment environnement = EnvironnementDesRuns();
    environnement.insert(QStringLiteral("R"), QStringLiteral(MORVO_RUN_PATH));
    processus.setProcessEnvironment(environnement);
    processus.setWorkingDirectory(dossier());
    processus.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    if (!processus.waitForFinished(60000) || processus.exitStatus() != QProcess::NormalExit) return -1;
    if (erreurs) *erreurs = QString::fromLocal8Bit(processus.readAllStandardError());
    return processus.exitCode();
  }

  QByteArray LitOctets(const QString& nom) const {
    QFile f(Chemin(nom));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  // The environment of the runs, EnvironnementDesRuns() when empty.
  QProcessEnvironment environnement_;

 private:
  QTemporaryDir dossier_;
  QTemporaryDir config_;
};

// The message of the log that reports a run error, empty when there is none.
QString MessageErreur(const Resultat& r) {
  for (const QString& ligne : r.journal) {
    if (ligne.startsWith(QStringLiteral("message ")) &&
        ligne.contains(QStringLiteral("Erreur dans la ligne")))
      return ligne;
  }
  return {};
}

TEST_F(RunnerTest, WritesTheLogAndTheDrawing) {
  const QString programme = EcritProgramme("%A = 5\r\n%B = x \"y\"\r\nFOO = 1\r\n%C = 3\r\n");
  const QString log = Chemin(QStringLiteral("run.log"));
  const QString png = Chemin(QStringLiteral("run.png"));
  const Resultat r = Lance({QStringLiteral("--log"), log, QStringLiteral("--png"), png, programme});
  // A command error ends the run as a run error does: a drawing that failed.
  ASSERT_EQ(r.code, 4);
  EXPECT_EQ(r.erreurs, programme + QStringLiteral(":3: Erreur de commande dans la ligne :  3: FOO = 1\n"));
  const QStringList attendu = {
      QStringLiteral("cls"),
      QStringLiteral("message \"Morvo\" \"Erreur de commande dans la ligne :  3: FOO = 1\\r\\n\" OK -> OK"),
      QStringLiteral("var 1 %A \"5\""),
      QStringLiteral("var 1 %B \"x \\\"y\\\"\""),
      QString(),
  };
  EXPECT_EQ(r.journal, attendu) << r.journal.join(QLatin1Char('\n')).toStdString();
  const QImage image(png);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(1000, 700));

  // Without a log the drawing is the same, though its primitives are not kept.
  const QString trace = EcritProgramme("CercleP = 50, 50, 20, -0, 90, rouge\r\nTrait = 0, 0, 80, 40\r\n");
  ASSERT_EQ(Lance({QStringLiteral("--log"), log, QStringLiteral("--png"), png, trace}).code, 0);
  const QImage avecJournal(png);
  const QString png2 = Chemin(QStringLiteral("seul.png"));
  ASSERT_EQ(Lance({QStringLiteral("--png"), png2, trace}).code, 0);
  EXPECT_EQ(QImage(png2), avecJournal);
}

// The shipped examples are what a new user copies first: each one, on the screen and on the
// page, draws without a run error or any other message.
TEST_F(RunnerTest, EveryExampleDrawsWithoutAMessage) {
  const QDir exemples(QStringLiteral(MORVO_SOURCE_DIR "/examples"));
  const QStringList programmes = exemples.entryList({QStringLiteral("*.dat")}, QDir::Files);
  ASSERT_FALSE(programmes.isEmpty());
  for (const QString& nom : programmes) {
    SCOPED_TRACE(nom.toStdString());
    const QString log = Chemin(nom + QStringLiteral(".log"));
    const Resultat r =
        Lance({QStringLiteral("--log"), log, QStringLiteral("--png"), Chemin(nom + QStringLiteral(".png")),
               QStringLiteral("--pdf"), Chemin(nom + QStringLiteral(".pdf")), exemples.filePath(nom)});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.journal.filter(QRegularExpression(QStringLiteral("^message "))).isEmpty())
        << r.journal.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(r.journal.filter(QRegularExpression(QStringLiteral("^line "))).isEmpty()) << "nothing drawn";
  }
}

// The log's run error says what is wrong in the line, before the variable list.
TEST_F(RunnerTest, TheLogsRunErrorSaysWhatIsWrong) {
  const QString log = Chemin(QStringLiteral("run.log"));
  const std::pair<const char*, QString> cas[] = {
      {"Droite = 10, 100, 50\r\nGrad = 10, 5\r\nVal = 10, 0,abc, 8\r\n",
       QStringLiteral("Val = 10, 0,abc, 8\\r\\n\\r\\nVal : champ 3 (Valeur de fin (log : format P, E, S, "
                      "0.0E00 ou vide)) : \\\"abc\\\" : un nombre est "
                      "attendu\\r\\n\\r\\n%iRec")},
      {"Couleur = RGB 0 -1 0\r\n",
       QStringLiteral(
           "Couleur : champ 1 (Couleur : nom, RVB r v b ou N) : \\\"RGB 0 -1 0\\\" : une couleur est "
           "attendue")},
  };
  for (const auto& [texte, detail] : cas) {
    SCOPED_TRACE(texte);
    EXPECT_TRUE(MessageErreur(Lance({QStringLiteral("--log"), log, EcritProgramme(texte)})).contains(detail))
        << LitOctets(QStringLiteral("run.log")).toStdString();
  }
}

TEST_F(RunnerTest, ReadsWindows1252Programs) {
  const QString programme = EcritProgramme("%A = caf\xe9\r\n");
  const QString log = Chemin(QStringLiteral("run.log"));
  const Resultat r = Lance({QStringLiteral("--log"), log, programme});
  ASSERT_EQ(r.code, 0);
  EXPECT_TRUE(r.journal.contains(QStringLiteral("var 1 %A \"café\"")))
      << r.journal.join(QLatin1Char('\n')).toStdString();

  // The encoding is the whole file's: lines whose bytes happen to be valid UTF-8 ("Fuß²" is DF B2,
  // "É" and a no-break space C9 A0) read as the Windows-1252 they are.
  const QString latin = EcritProgramme("%u = 5 Fu\xDF\xB2\r\n%w = CAF\xC9\xA0!\r\n%t = Temp\xE9rature\r\n");
  Resultat lu = Lance({QStringLiteral("--log"), log, latin});
  ASSERT_EQ(lu.code, 0);
  for (const char* var : {"var 1 %U \"5 Fuß²\"", "var 1 %W \"CAFÉ\u00A0!\"", "var 1 %T \"Température\""})
    EXPECT_TRUE(lu.journal.contains(QString::fromUtf8(var)))
        << lu.journal.join(QLatin1Char('\n')).toStdString();

  // A line a Windows-1252 file cannot take is refused, nothing written, and makes the exit status.
  QFile donnees(Chemin(QStringLiteral("latin.txt")));
  ASSERT_TRUE(donnees.open(QIODevice::WriteOnly));
  donnees.write("caf\xE9\r\n");
  donnees.close();
  lu = Lance(
      {QStringLiteral("--log"), log,
       EcritProgramme("OPENA = latin.txt\r\nPRINTA = \xD9\x83\r\n%A = 1\r\n", QStringLiteral("a.txt"))});
  EXPECT_EQ(lu.code, 3);
  EXPECT_TRUE(lu.erreurs.contains(QString::fromUtf8("Windows-1252")) &&
              lu.erreurs.contains(QString::fromUtf8("ك")))
      << lu.erreurs.toStdString();
  EXPECT_FALSE(lu.journal.contains(QStringLiteral("var 1 %A \"1\"")));
  EXPECT_EQ(LitOctets(QStringLiteral("latin.txt")), QByteArray("caf\xE9\r\n"));
}

TEST_F(RunnerTest, SizeAndAnswers) {
  const QString programme = EcritProgramme("%A = 1\nGRAD = 1\n");
  const QString log = Chemin(QStringLiteral("run.log"));
  const QString png = Chemin(QStringLiteral("petit.png"));
  Resultat r =
      Lance({QStringLiteral("--size"), QStringLiteral("300x200"), QStringLiteral("--png"), png,
             QStringLiteral("--answer"), QStringLiteral("OK"), QStringLiteral("--log"), log, programme});
  ASSERT_EQ(r.code, 4);
  EXPECT_EQ(QImage(png).size(), QSize(300, 200));
  ASSERT_GE(r.journal.size(), 2);
  EXPECT_TRUE(r.journal[1].startsWith(
      QStringLiteral("message \"Morvo    (nb Var=1)\" \"Erreur dans la ligne :  2: GRAD = "
                     "1\\r\\n\\r\\nErreur ordre commandes / Error odre commands\\r\\n\\r\\n%iRec")))
      << r.journal[1].toStdString();
  EXPECT_TRUE(r.journal[1].endsWith(QStringLiteral("\" OK -> OK")));

  // An answer that is no button of the box leaves its default.
  r = Lance({QStringLiteral("--answer"), QStringLiteral("CANCEL"), QStringLiteral("--log"), log, programme});
  ASSERT_EQ(r.code, 4);
  ASSERT_GE(r.journal.size(), 2);
  EXPECT_TRUE(r.journal[1].endsWith(QStringLiteral("\" OK -> OK")));
}

TEST_F(RunnerTest, ExitCodes) {
  EXPECT_EQ(Lance({Chemin(QStringLiteral("absent.txt"))}).code, 2);
  EXPECT_EQ(Lance({QStringLiteral("--size"), QStringLiteral("0x200"), EcritProgramme("%A = 1")}).code, 1);
  EXPECT_EQ(Lance({QStringLiteral("--png")}).code, 1);
  EXPECT_EQ(Lance({}).code, 1);
  // An empty output name (an unset shell variable) names no file: a bad command line, not a run
  // without that output.
  for (const QString& option : {QStringLiteral("--log"), QStringLiteral("--png"), QStringLiteral("--pdf")}) {
    const Resultat vide = Lance({option, QString(), EcritProgramme("%A = 1")});
    EXPECT_EQ(vide.code, 1) << option.toStdString();
    EXPECT_TRUE(vide.erreurs.startsWith(QStringLiteral("morvo-run: ") + option +
                                        QStringLiteral(" takes a file name, and the name given is empty\n")))
        << vide.erreurs.toStdString();
  }

  // A file far beyond what a program can hold is refused at once with its reason, without being
  // read (a sparse gigabyte, under an address-space limit it would not fit in).
  const QString enorme = Chemin(QStringLiteral("enorme.dat"));
  {
    QFile f(enorme);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(qint64{1} << 30));
  }
  QElapsedTimer duree;
  duree.start();
  const Resultat r = Lance({enorme}, false, {}, QStringLiteral("ulimit -v 4194304"));
  EXPECT_EQ(r.code, 2);
  EXPECT_LT(duree.elapsed(), 20000);
  // In the runner's own words, naming the limit it applies.
  EXPECT_EQ(r.erreurs, QStringLiteral("morvo-run: cannot run ") + enorme +
                           QStringLiteral(": it has 1073741824 bytes, and a program file has at most 1048576 "
                                          "bytes (1 MiB)\n"));
}

// A drawing that failed is told to a script: each run error is one line "FILE:LINE: message" on the
// standard error and the exit status is 4, where a failed write keeps its 3. A dialog that is no
// error stays in the log alone.
TEST_F(RunnerTest, ARunErrorIsToldOnTheStandardErrorWithStatusFour) {
  const QString log = Chemin(QStringLiteral("run.log"));
  const QString programme = EcritProgramme("%A = 1\r\nFichier = absent.dat\r\n%B = 2\r\n");
  Resultat r = Lance({QStringLiteral("--log"), log, programme});
  EXPECT_EQ(r.code, 4);
  EXPECT_EQ(r.erreurs, programme + QStringLiteral(":2: Erreur dans la ligne :  2: Fichier = absent.dat: "
                                                  "absent.dat : fichier non trouvé [File not found]\n"));
  EXPECT_FALSE(MessageErreur(r).isEmpty());

  // In a command file, the line is the program's line that called it.
  EcritProgramme("%C = 1\r\nGRAD = 1\r\n", QStringLiteral("sub.dat"));
  r = Lance({EcritProgramme("%A = 1\r\n\r\nFichier = sub.dat\r\n", QStringLiteral("appel.dat"))});
  EXPECT_EQ(r.code, 4);
  EXPECT_TRUE(r.erreurs.startsWith(Chemin(QStringLiteral("appel.dat")) +
                                   QStringLiteral(":3: Erreur dans la ligne : GRAD = 1 du fichier: ")))
      << r.erreurs.toStdString();
  EXPECT_EQ(r.erreurs.count(u'\n'), 1) << r.erreurs.toStdString();

  // A block If left open is told where the program ends.
  r = Lance({EcritProgramme("If 1 = 1 Then\r\nCercle = 50, 50, 10\r\n", QStringLiteral("ouvert.dat"))});
  EXPECT_EQ(r.code, 4);
  EXPECT_EQ(r.erreurs,
            Chemin(QStringLiteral("ouvert.dat")) + QStringLiteral(":2: Erreur : If[T] sans Endif\n"));

  // Questions, the list of variables and answered boxes are no failure.
  r = Lance({QStringLiteral("--answer"), QStringLiteral("7"), QStringLiteral("--log"), log,
             EcritProgramme("Input = Rayon?, %R\r\nListeVar\r\n? = %X, %Y\r\nCercle = 50, 50, %R\r\n",
                            QStringLiteral("dialogues.dat"))});
  EXPECT_EQ(r.code, 0);
  EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.toStdString();
  EXPECT_EQ(r.journal.filter(QRegularExpression(QStringLiteral("^(input|message) "))).size(), 2)
      << r.journal.join(u'\n').toStdString();

  // A run error of the print run alone fails the drawing too; one the screen run met already is
  // told once.
  const QString imprime = EcritProgramme("IF %Imp = 0 THEN GOTO FIN\r\nFichier = absent.dat\r\nFIN:\r\n",
                                         QStringLiteral("imp.dat"));
  const QString pdf = Chemin(QStringLiteral("run.pdf"));
  EXPECT_EQ(Lance({imprime}).code, 0);
  r = Lance({QStringLiteral("--pdf"), pdf, imprime});
  EXPECT_EQ(r.code, 4);
  EXPECT_EQ(r.erreurs, imprime + QStringLiteral(":2: Erreur dans la ligne :  2: Fichier = absent.dat: "
                                                "absent.dat : fichier non trouvé [File not found]\n"));
  EXPECT_TRUE(QFileInfo(pdf).isFile());
  r = Lance({QStringLiteral("--pdf"), pdf, programme});
  EXPECT_EQ(r.code, 4);
  EXPECT_EQ(r.erreurs.count(u'\n'), 1) << r.erreurs.toStdString();

  // A refused write is a run error too, and keeps its status 3.
  ASSERT_TRUE(QDir(dossier()).mkpath(QStringLiteral("prog")));
  r = Lance({EcritProgramme("OPENA = ../dehors.txt\r\nPRINTA = x\r\n", QStringLiteral("prog/p.dat"))});
  EXPECT_EQ(r.code, 3);
  EXPECT_TRUE(r.erreurs.startsWith(Chemin(QStringLiteral("prog/p.dat")) + QStringLiteral(":1: ")) &&
              r.erreurs.contains(QStringLiteral("morvo-run: ")))
      << r.erreurs.toStdString();
  EXPECT_FALSE(QFile::exists(Chemin(QStringLiteral("dehors.txt"))));
}

// The messages are in the language the desktop program would use: "Langue =" of its configuration
// (that of the start folder first), else the user's locale when Morvo has it, else French, which
// its first start proposes; --language chooses another.
TEST_F(RunnerTest, TheMessagesAreInTheDesktopProgramsLanguage) {
  const QString log = Chemin(QStringLiteral("run.log"));
  const QString programme = EcritProgramme("Fichier = absent.dat\r\n");
  QTemporaryDir maison;
  ASSERT_TRUE(maison.isValid());
  const auto configure = [](const QString& dossierConfig, const QByteArray& ligne) {
    ASSERT_TRUE(QDir(dossierConfig).mkpath(QStringLiteral(".")));
    QFile cfg(QDir(dossierConfig).filePath(QStringLiteral("Morvo.cfg")));
    ASSERT_TRUE(cfg.open(QIODevice::WriteOnly | QIODevice::Truncate));
    cfg.write("'Fichier de configuration du Programme Morvo V0.01 \r\n" + ligne + "\r\nLangueMenu =\r\n");
  };
  const QString cfgMaison = maison.filePath(QStringLiteral(".config/Morvo"));
  const auto lance = [&](const std::vector<std::pair<const char*, QString>>& variables,
                         const QStringList& options = {}, const QString& depart = {}) {
    environnement_ = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG", "XDG_CONFIG_HOME"})
      environnement_.remove(QString::fromLatin1(v));
    environnement_.insert(QStringLiteral("HOME"), maison.path());
    for (const auto& [nom, valeur] : variables) environnement_.insert(QString::fromLatin1(nom), valeur);
    return Lance(options + QStringList{QStringLiteral("--log"), log, programme}, false, depart);
  };
  const QString fr = QStringLiteral(":1: Erreur dans la ligne :  1: Fichier = absent.dat");
  const QString en = QStringLiteral(":1: Error in line: 1: Fichier = absent.dat");
  const QString de = QStringLiteral(":1: Fehler in der Zeile:  1: Fichier = absent.dat");
  const QString es = QStringLiteral(":1: Error en la línea:  1: Fichier = absent.dat");
  const auto dit = [&](const Resultat& r, const QString& attendu) {
    // The run error's line and its message in the log, in one language.
    const QString tete = attendu.mid(4, attendu.indexOf(QStringLiteral(":  1")) - 4).trimmed();
    return r.code == 4 && r.erreurs.startsWith(programme + attendu) &&
           r.journal.join(u'\n').contains(QStringLiteral("\"") + tete);
  };

  // No configuration: the locale, when Morvo has its language.
  configure(cfgMaison, "Langue =");
  Resultat r = lance({{"LC_ALL", QStringLiteral("de_DE.UTF-8")}});
  EXPECT_TRUE(dit(r, de)) << r.erreurs.toStdString();
  r = lance({{"LANG", QStringLiteral("de_DE.UTF-8")}, {"LC_MESSAGES", QStringLiteral("es_ES.UTF-8")}});
  EXPECT_TRUE(dit(r, es)) << r.erreurs.toStdString();
  // LANGUAGE lists languages in order; the first Morvo has is taken.
  r = lance({{"LANG", QStringLiteral("fr_FR.UTF-8")}, {"LANGUAGE", QStringLiteral("it:en_GB:de")}});
  EXPECT_TRUE(dit(r, en)) << r.erreurs.toStdString();
  // A language Morvo lacks, or none: French, as a first start proposes.
  r = lance({{"LC_ALL", QStringLiteral("it_IT.UTF-8")}, {"LANG", QStringLiteral("de_DE.UTF-8")}});
  EXPECT_TRUE(dit(r, fr)) << r.erreurs.toStdString();
  r = lance({{"LC_ALL", QStringLiteral("C")}, {"LANGUAGE", QStringLiteral("de")}});
  EXPECT_TRUE(dit(r, fr)) << r.erreurs.toStdString();

  // The configuration's language wins over the locale, in the home folder or in XDG_CONFIG_HOME.
  configure(cfgMaison, "langue =   deutsch  ");
  r = lance({{"LC_ALL", QStringLiteral("fr_FR.UTF-8")}});
  EXPECT_TRUE(dit(r, de)) << r.erreurs.toStdString();
  QTemporaryDir xdg;
  ASSERT_TRUE(xdg.isValid());
  configure(xdg.filePath(QStringLiteral("Morvo")), "Langue = Castellano");
  r = lance({{"LC_ALL", QStringLiteral("de_DE.UTF-8")}, {"XDG_CONFIG_HOME", xdg.path()}});
  EXPECT_TRUE(dit(r, es)) << r.erreurs.toStdString();
  // The start folder's configuration comes first, as for the desktop program.
  QTemporaryDir depart;
  ASSERT_TRUE(depart.isValid());
  configure(depart.path(), "Langue = English");
  r = lance({{"LC_ALL", QStringLiteral("de_DE.UTF-8")}}, {}, depart.path());
  EXPECT_TRUE(dit(r, en)) << r.erreurs.toStdString();

  // --language over all of them.
  r = lance({{"LC_ALL", QStringLiteral("de_DE.UTF-8")}},
            {QStringLiteral("--language"), QStringLiteral("FR")});
  EXPECT_TRUE(dit(r, fr)) << r.erreurs.toStdString();
  r = lance({}, {QStringLiteral("--language"), QStringLiteral("en")});
  EXPECT_TRUE(dit(r, en)) << r.erreurs.toStdString();
  r = lance({}, {QStringLiteral("--language"), QStringLiteral("it")});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.erreurs.startsWith(QStringLiteral("morvo-run: --language takes fr, en, de or es: it\n")))
      << r.erreurs.toStdString();
  // The runner reads the configuration and writes none, nor makes its folder.
  QTemporaryDir vide;
  ASSERT_TRUE(vide.isValid());
  r = lance({{"LANG", QStringLiteral("de_DE.UTF-8")}, {"XDG_CONFIG_HOME", vide.path()}});
  EXPECT_TRUE(dit(r, de)) << r.erreurs.toStdString();
  EXPECT_TRUE(QDir(vide.path()).isEmpty());
  QFile cfg(xdg.filePath(QStringLiteral("Morvo/Morvo.cfg")));
  ASSERT_TRUE(cfg.open(QIODevice::ReadOnly));
  EXPECT_EQ(cfg.readAll(),
            "'Fichier de configuration du Programme Morvo V0.01 \r\nLangue = Castellano\r\nLangueMenu =\r\n");
}

// The runner opens a program as the window does: it draws at the zoom that loading gives
// (ZoomIni). --zoom sets the zoom as the zoom dialog does, and the image grows with it; --size alone
// only widens the image.
TEST_F(RunnerTest, TheZoomIsTheOneLoadingGivesOrTheOneAsked) {
  const QString log = Chemin(QStringLiteral("run.log"));
  const QString png = Chemin(QStringLiteral("run.png"));
  // The length of the one line drawn, in millimetres of the 96 dpi image.
  const auto trait = [](const Resultat& r) {
    const QStringList l = r.journal.filter(QRegularExpression(QStringLiteral("^line "))).value(0).split(u' ');
    return l.size() < 5 ? -1.0 : (l[3].toDouble() - l[1].toDouble()) * 25.4 / 96;
  };
  const QString programme = EcritProgramme("' ZoomIni = 9\r\nZoomIni = 2\r\nTrait = 10, 10, 20, 10\r\n");
  Resultat r = Lance({QStringLiteral("--log"), log, QStringLiteral("--png"), png, programme});
  ASSERT_EQ(r.code, 0);
  EXPECT_NEAR(trait(r), 20, 0.01);
  EXPECT_EQ(QImage(png).size(), QSize(1000, 700));
  r = Lance({QStringLiteral("--zoom"), QStringLiteral("6"), QStringLiteral("--log"), log,
             QStringLiteral("--png"), png, programme});
  ASSERT_EQ(r.code, 0);
  EXPECT_NEAR(trait(r), 60, 0.01);
  EXPECT_EQ(QImage(png).size(), QSize(3000, 2100));
  r = Lance({QStringLiteral("--zoom"), QStringLiteral("2,5"), QStringLiteral("--size"),
             QStringLiteral("300x200"), QStringLiteral("--log"), log, QStringLiteral("--png"), png,
             programme});
  ASSERT_EQ(r.code, 0);
  EXPECT_NEAR(trait(r), 25, 0.01);
  EXPECT_EQ(QImage(png).size(), QSize(300, 200));
  r = Lance({QStringLiteral("--size"), QStringLiteral("2000x1400"), QStringLiteral("--log"), log,
             QStringLiteral("--png"), png, programme});
  ASSERT_EQ(r.code, 0);
  EXPECT_NEAR(trait(r), 20, 0.01);
  EXPECT_EQ(QImage(png).size(), QSize(2000, 1400));
  // Without ZoomIni the zoom is 1.
  r = Lance({QStringLiteral("--zoom"), QStringLiteral("3"), QStringLiteral("--log"), log,
             QStringLiteral("--png"), png,
             EcritProgramme("Trait = 10, 10, 20, 10\r\n", QStringLiteral("un.dat"))});
  ASSERT_EQ(r.code, 0);
  EXPECT_NEAR(trait(r), 30, 0.01);
  EXPECT_EQ(QImage(png).size(), QSize(3000, 2100));

  for (const char* faux : {"0", "-2", "x", "nan"}) {
    r = Lance({QStringLiteral("--zoom"), QString::fromLatin1(faux), programme});
    EXPECT_EQ(r.code, 1) << faux;
    EXPECT_TRUE(r.erreurs.startsWith(QStringLiteral("morvo-run: --zoom takes a number above 0: ")))
        << r.erreurs.toStdString();
  }
  r = Lance({QStringLiteral("--zoom"), QStringLiteral("50"), QStringLiteral("--png"), png, programme});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.erreurs.startsWith(
      QStringLiteral("morvo-run: --zoom 50 would make an image of 25000x17500 pixels, and a side has at most "
                     "20000: give its size with --size\n")))
      << r.erreurs.toStdString();
}

// "-" as an output's name is the standard output, as /dev/stdout; a file named "-" is ./-.
TEST_F(RunnerTest, AnOutputNamedDashIsTheStandardOutput) {
  EcritProgramme("%A = 5\r\n", QStringLiteral("prog.dat"));
  QString erreurs;
  ASSERT_EQ(LanceShell(QStringLiteral("\"$R\" --log - prog.dat > sortie.txt"), &erreurs), 0)
      << erreurs.toStdString();
  EXPECT_EQ(LitOctets(QStringLiteral("sortie.txt")), "cls\nvar 1 %A \"5\"\n");
  EXPECT_FALSE(QFile::exists(Chemin(QStringLiteral("-"))));
  ASSERT_EQ(LanceShell(QStringLiteral("\"$R\" --png - prog.dat | head -c 8 > entete.bin")), 0);
  EXPECT_EQ(LitOctets(QStringLiteral("entete.bin")), QByteArray("\x89PNG\r\n\x1a\n"));
  ASSERT_EQ(LanceShell(QStringLiteral("\"$R\" --log ./- prog.dat > sortie.txt")), 0);
  EXPECT_EQ(LitOctets(QStringLiteral("-")), "cls\nvar 1 %A \"5\"\n");
  EXPECT_TRUE(LitOctets(QStringLiteral("sortie.txt")).isEmpty());
  // Two outputs into the standard output would mix their bytes.
  EXPECT_EQ(LanceShell(QStringLiteral("\"$R\" --log - --png /dev/stdout prog.dat > sortie.txt"), &erreurs),
            1);
  EXPECT_TRUE(erreurs.contains(QStringLiteral("are one open file"))) << erreurs.toStdString();
}

// The external commands are the ".dag" files of the runner's folder and of the folder it starts
// in, as on the desktop; the start folder is the one ListeVar shows.
TEST_F(RunnerTest, RunsExternalCommandsOfTheStartFolder) {
  {
    QFile f(Chemin(QStringLiteral("Knob.dag")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(CodeFicExterne(QStringLiteral("%v = 1\r\n%IRE$#0V = %v\r\nTrait = 0, 0, 10, 0")));
  }
  const QString programme = EcritProgramme("Knob = 10, 20, 5\r\nListeVar = x#RKFR\xC3\xA9p\r\n");
  const QString log = Chemin(QStringLiteral("run.log"));
  const Resultat r = Lance({QStringLiteral("--log"), log, programme}, false, dossier());
  ASSERT_EQ(r.code, 0);
  const QString journal = r.journal.join(QLatin1Char('\n'));
  EXPECT_FALSE(journal.contains(QStringLiteral("Erreur de commande"))) << journal.toStdString();
  EXPECT_TRUE(r.journal.contains(QStringLiteral("var 0 %V \"5\""))) << journal.toStdString();
  EXPECT_TRUE(journal.contains(QStringLiteral("\nline "))) << journal.toStdString();
  const QString depart = QFileInfo(dossier()).canonicalFilePath() + QLatin1Char('/');
  EXPECT_TRUE(journal.contains(QStringLiteral("StartPath=\\t") + depart)) << journal.toStdString();
}

// --help and --version answer on the standard output; a bad option is told on the standard error;
// after -- a program file may be named like an option.
TEST_F(RunnerTest, HelpVersionAndOptionsEnd) {
  const auto lance = [this](const QStringList& arguments, QByteArray* sortie, QByteArray* erreur) {
    QProcess processus;
    processus.setWorkingDirectory(dossier());
    processus.start(QStringLiteral(MORVO_RUN_PATH), arguments);
    if (!processus.waitForFinished(60000)) return -1;
    *sortie = processus.readAllStandardOutput();
    *erreur = processus.readAllStandardError();
    return processus.exitCode();
  };
  QByteArray sortie, erreur;
  for (const char* aide : {"--help", "-h"}) {
    EXPECT_EQ(lance({QString::fromLatin1(aide)}, &sortie, &erreur), 0) << aide;
    EXPECT_TRUE(sortie.startsWith("Usage: morvo-run [options] [--] PROGRAM\n")) << sortie.constData();
    EXPECT_TRUE(sortie.contains("--max-statements <N>")) << sortie.constData();
    EXPECT_TRUE(sortie.contains("\n  4  the run ended in a run error") &&
                sortie.contains("named - is the standard"))
        << sortie.constData();
    EXPECT_TRUE(erreur.isEmpty()) << erreur.constData();
  }
  EXPECT_EQ(lance({QStringLiteral("--version")}, &sortie, &erreur), 0);
  EXPECT_TRUE(sortie.startsWith("morvo-run 0.")) << sortie.constData();
  EXPECT_TRUE(erreur.isEmpty());

  EXPECT_EQ(lance({QStringLiteral("--bogus"), EcritProgramme("%A = 1")}, &sortie, &erreur), 1);
  EXPECT_TRUE(sortie.isEmpty());
  EXPECT_TRUE(erreur.contains("bogus")) << erreur.constData();

  const QString nom = EcritProgramme("%A = 7\r\n", QStringLiteral("--version"));
  const QString log = Chemin(QStringLiteral("run.log"));
  EXPECT_EQ(lance({QStringLiteral("--log"), log, QStringLiteral("--"), QStringLiteral("--version")}, &sortie,
                  &erreur),
            0)
      << erreur.constData();
  QFile f(log);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << nom.toStdString();
  EXPECT_TRUE(f.readAll().contains("var 1 %A \"7\""));
}

// An endless loop ends at the statement bound with a run error; without the bound, SIGINT or
// SIGTERM stops it as Esc does and the outputs are still written.
TEST_F(RunnerTest, StatementBoundAndSignalsEndEndlessRuns) {
  const QString programme = EcritProgramme("%A = 1\r\nDEBUT:\r\n%B = 2\r\nGOTO DEBUT\r\n");
  const QString log = Chemin(QStringLiteral("run.log"));
  Resultat r = Lance(
      {QStringLiteral("--max-statements"), QStringLiteral("10"), QStringLiteral("--log"), log, programme});
  // The stop is a failed drawing, told with the statement it stopped at.
  ASSERT_EQ(r.code, 4);
  EXPECT_TRUE(r.journal.join(QLatin1Char('\n')).contains(QStringLiteral("at most 10 statements")))
      << r.journal.join(QLatin1Char('\n')).toStdString();
  EXPECT_TRUE(r.erreurs.startsWith(programme + QStringLiteral(":2: Erreur dans la ligne :  2: DEBUT:: ")) &&
              r.erreurs.endsWith(QStringLiteral("at most 10 statements\n")) && r.erreurs.count(u'\n') == 1)
      << r.erreurs.toStdString();
  EXPECT_TRUE(r.journal.contains(QStringLiteral("var 1 %B \"2\"")));
  EXPECT_EQ(Lance({QStringLiteral("--max-statements"), QStringLiteral("0"), programme}).code, 1);

  for (const int signal : {SIGINT, SIGTERM}) {
    // The program leaves a sign once it runs: the signal comes when the run has surely begun,
    // however busy the machine is.
    const QString signe = QStringLiteral("signe%1.txt").arg(signal);
    const QString boucle = EcritProgramme(
        QStringLiteral("OPENA = %1\r\nPRINTA = go\r\n%A = 1\r\nDEBUT:\r\n%B = 2\r\nGOTO DEBUT\r\n")
            .arg(signe)
            .toUtf8(),
        QStringLiteral("boucle.txt"));
    const QString png = Chemin(QStringLiteral("run%1.png").arg(signal));
    QProcess processus;
    processus.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    processus.start(QStringLiteral(MORVO_RUN_PATH),
                    {QStringLiteral("--png"), png, QStringLiteral("--log"), log, boucle});
    ASSERT_TRUE(processus.waitForStarted());
    QElapsedTimer attente;
    attente.start();
    while (QFileInfo(Chemin(signe)).size() == 0 && attente.elapsed() < 60000) {
      if (processus.waitForFinished(20)) break;
    }
    // Running, and still running: the loop has no end of its own.
    ASSERT_GT(QFileInfo(Chemin(signe)).size(), 0);
    ASSERT_EQ(processus.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(processus.processId()), signal);
    ASSERT_TRUE(processus.waitForFinished(30000));
    EXPECT_EQ(processus.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(processus.exitCode(), 0);
    EXPECT_FALSE(QImage(png).isNull());
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("var 1 %B \"2\""));
  }
}

// Two runs appending to one file: every line of each goes in whole, none is lost.
TEST_F(RunnerTest, TwoRunsAppendingToOneFileInterleaveWholeLines) {
  const QString fichier = Chemin(QStringLiteral("commun.txt"));
  constexpr int Tours = 3000;
  const auto programme = [&](char lettre) {
    return EcritProgramme(QStringLiteral("OPENA = %1\r\n%I = 0\r\nB:\r\n%I == %I+1\r\nPRINTA = %2 %I\r\n"
                                         "IF %I < %3 THEN GOTO B\r\n")
                              .arg(fichier)
                              .arg(QLatin1Char(lettre))
                              .arg(Tours)
                              .toUtf8(),
                          QStringLiteral("prog%1.txt").arg(QLatin1Char(lettre)));
  };
  const QString programmes[] = {programme('A'), programme('B')};
  QProcess runs[2];
  for (int k = 0; k < 2; ++k) {
    runs[k].setProcessChannelMode(QProcess::ForwardedErrorChannel);
    runs[k].start(QStringLiteral(MORVO_RUN_PATH),
                  {QStringLiteral("--log"), Chemin(QStringLiteral("run%1.log").arg(k)), programmes[k]});
  }
  for (int k = 0; k < 2; ++k) {
    ASSERT_TRUE(runs[k].waitForFinished(60000));
    EXPECT_EQ(runs[k].exitCode(), 0);
    QFile log(Chemin(QStringLiteral("run%1.log").arg(k)));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_FALSE(log.readAll().contains("message ")) << "no run error";
  }
  QFile f(fichier);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QList<QByteArray> lignes = f.readAll().split('\n');
  ASSERT_EQ(lignes.size(), 2 * Tours + 1);
  int suivant[2] = {1, 1};
  for (int i = 0; i < 2 * Tours; ++i) {
    const QByteArray& l = lignes[i];
    ASSERT_TRUE(l.startsWith(" A ") || l.startsWith(" B ")) << l.toStdString();
    const int k = l[1] == 'A' ? 0 : 1;
    ASSERT_EQ(l, " " + QByteArray(1, l[1]) + " " + QByteArray::number(suivant[k]++) + "\r");
  }
}

// The runner starts no program unless told it may.
TEST_F(RunnerTest, ShellNeedsAllowShell) {
  const QString cible = Chemin(QStringLiteral("fait.txt"));
  const QString programme =
      EcritProgramme(QStringLiteral("SHELL#$ = /bin/touch, QWZ#, 1, %1\r\n%A = 1\r\n").arg(cible).toUtf8());
  const QString log = Chemin(QStringLiteral("run.log"));
  Resultat r = Lance({QStringLiteral("--log"), log, programme});
  ASSERT_EQ(r.code, 4);
  EXPECT_FALSE(QFile::exists(cible));
  EXPECT_TRUE(r.journal.join(QLatin1Char('\n')).contains(QStringLiteral("starting programs refused")))
      << r.journal.join(QLatin1Char('\n')).toStdString();
  EXPECT_FALSE(r.journal.contains(QStringLiteral("var 1 %A \"1\"")));
  r = Lance({QStringLiteral("--allow-shell"), QStringLiteral("--log"), log, programme});
  ASSERT_EQ(r.code, 0);
  EXPECT_TRUE(QFile::exists(cible));
  EXPECT_TRUE(r.journal.contains(QStringLiteral("var 1 %A \"1\"")));
  // The signals the runner ignores for itself (a file-size limit, a reader gone) are not the
  // started program's: waited for or not, it gets them as a program does by default.
  const QString script = Chemin(QStringLiteral("signaux.sh"));
  {
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\ngrep SigIgn /proc/$$/status > \"$1.tmp\" && mv \"$1.tmp\" \"$1\"\n");
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
  }
  const QString attendu = Chemin(QStringLiteral("attendu.txt")),
                detache = Chemin(QStringLiteral("detache.txt"));
  r = Lance({QStringLiteral("--allow-shell"),
             EcritProgramme(QStringLiteral("SHELL#$ = %1, QWZ#, 1, %2\r\nSHELL#$ = %1, QWZ#, 0, %3\r\n")
                                .arg(script, attendu, detache)
                                .toUtf8())});
  ASSERT_EQ(r.code, 0);
  for (const QString& sortie : {attendu, detache}) {
    QFile f(sortie);
    for (int i = 0; i < 100 && !f.exists(); ++i) QThread::msleep(50);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << sortie.toStdString();
    bool lu = false;
    const qulonglong ignores = f.readAll().split('\t').value(1).trimmed().toULongLong(&lu, 16);
    ASSERT_TRUE(lu) << sortie.toStdString();
    EXPECT_EQ(ignores & ((1ULL << (SIGXFSZ - 1)) | (1ULL << (SIGPIPE - 1))), 0u) << sortie.toStdString();
  }
}

// The runner writes outside the program's folder only when told it may; inside, as always.
TEST_F(RunnerTest, WritesOutsideTheProgramsFolderNeedAllowWrites) {
  ASSERT_TRUE(QDir(dossier()).mkpath(QStringLiteral("prog")));
  const QString dehors = Chemin(QStringLiteral("dehors.txt"));
  const QString programme = EcritProgramme(
      "OPENA = ../dehors.txt\r\nPRINTA = un\r\nPRINTA = deux\r\nOPENA = dedans.txt\r\n"
      "%A = 1\r\n",
      QStringLiteral("prog/p.dat"));
  const QString log = Chemin(QStringLiteral("run.log"));
  Resultat r = Lance({QStringLiteral("--log"), log, programme});
  ASSERT_EQ(r.code, 3);
  EXPECT_FALSE(QFile::exists(dehors));
  EXPECT_TRUE(MessageErreur(r).contains(dehors + QStringLiteral(" : écriture hors du dossier du programme "
                                                                "refusée / writing outside the program's "
                                                                "folder refused")))
      << r.journal.join(QLatin1Char('\n')).toStdString();
  EXPECT_FALSE(r.journal.contains(QStringLiteral("var 1 %A \"1\"")));
  EXPECT_TRUE(r.erreurs.contains(dehors + QStringLiteral(", outside its folder, without --allow-writes")))
      << r.erreurs.toStdString();
  r = Lance({QStringLiteral("--allow-writes"), QStringLiteral("--log"), log, programme});
  ASSERT_EQ(r.code, 0);
  EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.toStdString();
  QFile f(dehors);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), " un\r\n deux\r\n");
  EXPECT_TRUE(r.journal.contains(QStringLiteral("var 1 %A \"1\"")));

  const QString dedans = EcritProgramme("OPENA = sous/dedans.txt\r\nPRINTA = ici\r\n%A = 1\r\n",
                                        QStringLiteral("prog/dedans.dat"));
  ASSERT_TRUE(QDir(dossier()).mkpath(QStringLiteral("prog/sous")));
  r = Lance({QStringLiteral("--log"), log, dedans});
  ASSERT_EQ(r.code, 0);
  EXPECT_TRUE(MessageErreur(r).isEmpty()) << MessageErreur(r).toStdString();
  EXPECT_TRUE(QFile::exists(Chemin(QStringLiteral("prog/sous/dedans.txt"))));
}

// A program's folder is the real folder its file lies in, and never the home folder, one that
// holds it or a folder everybody may write to: a file there is written or deleted only with
// --allow-writes, the file being the one the name designates (through /proc, /dev/fd or a hard
// link), named so. A name ending in "/" and a FIFO are files that could not be written.
TEST_F(RunnerTest, AProgramsFolderIsItsRealOneAndNeverHomeNorShared) {
  ASSERT_TRUE(QDir(dossier()).mkpath(QStringLiteral("maison/dl/sous")));
  ASSERT_TRUE(QDir(dossier()).mkpath(QStringLiteral("maison/dl/dl")));
  ASSERT_TRUE(QDir(dossier()).mkpath(QStringLiteral("maison/.config/autostart")));
  ASSERT_TRUE(QDir(dossier()).mkpath(QStringLiteral("partage")));
  ASSERT_EQ(::chmod(QFile::encodeName(Chemin(QStringLiteral("partage"))).constData(), 01777), 0);
  const QString maison = Chemin(QStringLiteral("maison"));
  const QString rc = Chemin(QStringLiteral("maison/.bashrc"));
  EcritProgramme("rc\n", QStringLiteral("maison/.bashrc"));
  EcritProgramme("a\r\n", QStringLiteral("maison/dl/pa.txt"));
  EcritProgramme("k\r\n", QStringLiteral("maison/dl/k.txt"));
  ASSERT_EQ(::link(QFile::encodeName(rc).constData(),
                   QFile::encodeName(Chemin(QStringLiteral("maison/dl/dur.txt"))).constData()),
            0);
  ASSERT_EQ(::mkfifo(QFile::encodeName(Chemin(QStringLiteral("maison/dl/tube"))).constData(), 0600), 0);
  const QByteArray ecrit = "\r\nPRINTA = x\r\n%A = 1\r\n";
  EcritProgramme("OPENA = .bashrc" + ecrit, QStringLiteral("maison/p.dat"));
  EcritProgramme("OPENA = .config/autostart/x.desktop" + ecrit, QStringLiteral("maison/a.dat"));
  EcritProgramme("OPENA = .bashrc, , Kill\r\n%A = 1\r\n", QStringLiteral("maison/k.dat"));
  EcritProgramme("OPENA = ../.bashrc" + ecrit, QStringLiteral("maison/dl/q.dat"));
  ASSERT_TRUE(QFile::link(QStringLiteral("dl/q.dat"), Chemin(QStringLiteral("maison/lien.dat"))));
  EcritProgramme("OPENA = x.txt" + ecrit, QStringLiteral("partage/p.dat"));
  EcritProgramme("OPENA = /proc/self/cwd/dl/../../.bashrc" + ecrit, QStringLiteral("maison/dl/r.dat"));
  EcritProgramme("OPENA = /dev/stdin" + ecrit, QStringLiteral("maison/dl/s.dat"));
  EcritProgramme("OPENA = dur.txt" + ecrit, QStringLiteral("maison/dl/t.dat"));
  EcritProgramme("OPENA = pa.txt/" + ecrit, QStringLiteral("maison/dl/u.dat"));
  EcritProgramme("OPENA = tube" + ecrit, QStringLiteral("maison/dl/v.dat"));
  EcritProgramme(
      "OPENA = sous/a.txt\r\nPRINTA = a\r\nOPENA\r\nOPENA = /proc/self/cwd/b.txt\r\nPRINTA = b\r\nOPENA\r\n"
      "OPENA = k.txt, , Kill\r\n%A = 1\r\n",
      QStringLiteral("maison/dl/ok.dat"));
  // Started in the home folder, with HOME set to it, as from the desktop.
  const auto lance = [this](const QString& arguments, QString* erreurs) {
    return LanceShell(QStringLiteral("cd maison && HOME=\"$PWD\" \"$R\" ") + arguments, erreurs);
  };
  const QString ailleurs = QStringLiteral(", outside its folder, without --allow-writes");
  const QString partage = Chemin(QStringLiteral("partage/x.txt"));
  const std::vector<std::pair<QString, QString>> refus = {
      {QStringLiteral("p.dat"), rc},
      {QStringLiteral("a.dat"), Chemin(QStringLiteral("maison/.config/autostart/x.desktop"))},
      {QStringLiteral("k.dat"), rc},
      {QStringLiteral("lien.dat"), rc},
      {partage.left(partage.size() - 5) + QStringLiteral("p.dat"), partage},
      {QStringLiteral("/proc/self/cwd/dl/r.dat"), QStringLiteral("/proc/self/cwd/dl/../../.bashrc -> ") + rc},
      {QStringLiteral("dl/s.dat < .bashrc"), QStringLiteral("/dev/stdin -> ") + rc},
      {QStringLiteral("dl/t.dat"), Chemin(QStringLiteral("maison/dl/dur.txt"))}};
  for (const auto& [arguments, nomme] : refus) {
    QString erreurs;
    EXPECT_EQ(lance(arguments, &erreurs), 3) << arguments.toStdString();
    EXPECT_TRUE(erreurs.contains(nomme + ailleurs))
        << arguments.toStdString() << ": " << erreurs.toStdString();
  }
  // The file of the program's folder that is refused for its other name says so, as the window's
  // question does: in the run error and in the runner's own line.
  QString dur;
  EXPECT_EQ(lance(QStringLiteral("dl/t.dat"), &dur), 3);
  EXPECT_TRUE(dur.contains(QStringLiteral("dur.txt") + ailleurs +
                           QStringLiteral(". This file has other names (hard links): 1.\n")))
      << dur.toStdString();
  EXPECT_TRUE(dur.startsWith(QStringLiteral("dl/t.dat:1: ")) &&
              dur.contains(QStringLiteral("refused Ce fichier a d'autres noms (liens physiques) : 1.\n")))
      << dur.toStdString();
  EXPECT_EQ(LitOctets(QStringLiteral("maison/.bashrc")), "rc\n");
  EXPECT_FALSE(QFile::exists(Chemin(QStringLiteral("maison/.config/autostart/x.desktop"))));
  EXPECT_FALSE(QFile::exists(partage));

  const std::vector<std::pair<QString, QString>> nonEcrits = {
      // The system says "Is a directory" where the name would be made.
      {QStringLiteral("dl/u.dat"), QString::fromLocal8Bit(std::strerror(EISDIR))},
      {QStringLiteral("dl/v.dat"), QStringLiteral("not a regular file (")}};
  for (const auto& [arguments, raison] : nonEcrits) {
    QString erreurs;
    EXPECT_EQ(lance(arguments, &erreurs), 3) << arguments.toStdString();
    EXPECT_TRUE(erreurs.contains(QStringLiteral("cannot write ")) && erreurs.contains(raison))
        << erreurs.toStdString();
  }
  EXPECT_EQ(LitOctets(QStringLiteral("maison/dl/pa.txt")), "a\r\n");

  // What stays in the program's folder asks nothing, and the log goes anywhere it is asked.
  QString erreurs;
  EXPECT_EQ(lance(QStringLiteral("--log run.log /proc/self/cwd/dl/ok.dat"), &erreurs), 0)
      << erreurs.toStdString();
  EXPECT_EQ(LitOctets(QStringLiteral("maison/dl/sous/a.txt")), " a\r\n");
  EXPECT_EQ(LitOctets(QStringLiteral("maison/dl/b.txt")), " b\r\n");
  EXPECT_FALSE(QFile::exists(Chemin(QStringLiteral("maison/dl/k.txt"))));
  EXPECT_TRUE(QFile::exists(Chemin(QStringLiteral("maison/run.log"))));
  EXPECT_EQ(lance(QStringLiteral("--allow-writes p.dat"), &erreurs), 0) << erreurs.toStdString();
  EXPECT_EQ(LitOctets(QStringLiteral("maison/.bashrc")), "rc\n x\n");
}

// Where the kernel lacks the call that opens a file beneath a folder (a container whose system-call
// filter predates it answers ENOSYS or EPERM), a program still writes, deletes and makes Plot's
// offset file in its own folder unasked, and still writes nowhere else unasked: not by "..", nor by a
// link that leads out, nor through a folder that is one.
TEST_F(RunnerTest, AProgramWritesInItsFolderWhereTheSystemLacksTheCallToOpenBeneathIt) {
  ASSERT_TRUE(QDir(dossier()).mkpath(QStringLiteral("prog/sous")));
  ASSERT_TRUE(QDir(dossier()).mkpath(QStringLiteral("ext")));
  ASSERT_TRUE(QFile::link(QStringLiteral("sous"), Chemin(QStringLiteral("prog/s"))));
  ASSERT_TRUE(QFile::link(QStringLiteral("../dehors.txt"), Chemin(QStringLiteral("prog/lien.txt"))));
  ASSERT_TRUE(QFile::link(QStringLiteral("../ext"), Chemin(QStringLiteral("prog/d"))));
  EcritProgramme("1;2\r\n", QStringLiteral("prog/pts.txt"));
  const QString dedans = EcritProgramme(
      "OPENA = result.txt\r\nPRINTA = x\r\nOPENA\r\nOPENA = s/r.txt\r\nPRINTA = y\r\nOPENA\r\n"
      "OPENA = k.txt, , Kill\r\nPlot = pts, 1, 2, 0, 1, 0, 1, 0, , , , \xC2\xA7OFFSET\r\n",
      QStringLiteral("prog/p.dat"));
  const std::pair<QByteArray, QString> dehors[] = {{"../dehors.txt", QStringLiteral("dehors.txt")},
                                                   {"s/../../dehors.txt", QStringLiteral("dehors.txt")},
                                                   {"lien.txt", QStringLiteral("dehors.txt")},
                                                   {"d/x.txt", QStringLiteral("ext/x.txt")}};
  const auto lance = [](const char* reponse, const QString& programme, QString* erreurs) {
    QProcess processus;
    processus.start(QStringLiteral(MORVO_NO_OPENAT2_PATH),
                    {QString::fromLatin1(reponse), QStringLiteral(MORVO_RUN_PATH), programme});
    if (!processus.waitForFinished(60000) || processus.exitStatus() != QProcess::NormalExit) return -1;
    *erreurs = QString::fromLocal8Bit(processus.readAllStandardError());
    if (processus.readAllStandardOutput().contains("[  SKIPPED ]")) return 77;
    return processus.exitCode();
  };
  for (const char* reponse : {"--enosys", "--eperm"}) {
    EcritProgramme("k\r\n", QStringLiteral("prog/k.txt"));
    QString erreurs;
    const int code = lance(reponse, dedans, &erreurs);
    if (code == 77) GTEST_SKIP() << "no system-call filter here";
    EXPECT_EQ(code, 0) << reponse << ": " << erreurs.toStdString();
    EXPECT_EQ(LitOctets(QStringLiteral("prog/result.txt")), " x\r\n") << reponse;
    EXPECT_EQ(LitOctets(QStringLiteral("prog/sous/r.txt")), " y\r\n") << reponse;
    EXPECT_FALSE(QFile::exists(Chemin(QStringLiteral("prog/k.txt")))) << reponse;
    EXPECT_TRUE(QFile::exists(Chemin(QStringLiteral("prog/Plot_Offset.txt")))) << reponse;
    for (const QString& fait : {QStringLiteral("prog/result.txt"), QStringLiteral("prog/sous/r.txt"),
                                QStringLiteral("prog/Plot_Offset.txt")})
      QFile::remove(Chemin(fait));

    for (const auto& [nom, cible] : dehors) {
      const QString programme =
          EcritProgramme("OPENA = " + nom + "\r\nPRINTA = x\r\n", QStringLiteral("prog/q.dat"));
      EXPECT_EQ(lance(reponse, programme, &erreurs), 3) << reponse << " " << nom.toStdString();
      EXPECT_TRUE(
          erreurs.contains(Chemin(cible) + QStringLiteral(", outside its folder, without --allow-writes")))
          << reponse << " " << nom.toStdString() << ": " << erreurs.toStdString();
      EXPECT_FALSE(QFile::exists(Chemin(cible))) << reponse << " " << nom.toStdString();
    }
  }
}

// A program run through a link in another folder (a desktop shortcut, a "current version" link in
// its project) is the file the link leads to: its relative names are found beside that file, where
// it writes with no --allow-writes, and %Path names that folder.
TEST_F(RunnerTest, AProgramRunThroughALinkFindsItsNamesBesideItsRealFile) {
  ASSERT_TRUE(QDir(dossier()).mkpath(QStringLiteral("dials/v2")));
  ASSERT_TRUE(QDir(dossier()).mkpath(QStringLiteral("Desktop")));
  EcritProgramme("x\r\n", QStringLiteral("dials/data.txt"));
  EcritProgramme("k\r\n", QStringLiteral("dials/k.txt"));
  EcritProgramme("1;2\r\n", QStringLiteral("dials/pts.txt"));
  EcritProgramme("%IRE$#0C = c\r\n", QStringLiteral("dials/cmd.dat"));
  EcritProgramme(
      "OpenA = result.txt\r\nPrintA = hello\r\nOpenA\r\nOpen = data.txt\r\nLVar = %D\r\n"
      "Fichier = cmd.dat\r\nOpenA = k.txt, , Kill\r\nPlot = pts, 1, 2, 0, 1, 0, 1, 0, , , , §OFFSET\r\n"
      "%P = %Path\r\n",
      QStringLiteral("dials/prog.dat"));
  ASSERT_TRUE(QFile::link(QStringLiteral("../dials/prog.dat"), Chemin(QStringLiteral("Desktop/dial.dat"))));
  QString erreurs;
  ASSERT_EQ(LanceShell(QStringLiteral("\"$R\" --log run.log Desktop/dial.dat"), &erreurs), 0)
      << erreurs.toStdString();
  EXPECT_TRUE(erreurs.isEmpty()) << erreurs.toStdString();
  EXPECT_EQ(LitOctets(QStringLiteral("dials/result.txt")), " hello\r\n");
  EXPECT_FALSE(QFile::exists(Chemin(QStringLiteral("Desktop/result.txt"))));
  EXPECT_FALSE(QFile::exists(Chemin(QStringLiteral("dials/k.txt"))));
  EXPECT_TRUE(QFile::exists(Chemin(QStringLiteral("dials/Plot_Offset.txt"))));
  EXPECT_FALSE(QFile::exists(Chemin(QStringLiteral("Desktop/Plot_Offset.txt"))));
  const QByteArray log = LitOctets(QStringLiteral("run.log"));
  for (const QByteArray& var : {QByteArray("var 1 %D \"x\"\n"), QByteArray("var 0 %C \"c\"\n"),
                                "var 1 %P \"" + QFile::encodeName(Chemin(QStringLiteral("dials/"))) + "\"\n"})
    EXPECT_TRUE(log.contains(var)) << var.constData() << " in\n" << log.constData();

  // The link a project keeps to its current version.
  EcritProgramme("two\r\n", QStringLiteral("dials/v2/data.txt"));
  EcritProgramme("OpenA = result.txt\r\nPrintA = v2\r\nOpen = data.txt\r\nLVar = %D\r\n%P = %Path\r\n",
                 QStringLiteral("dials/v2/prog.dat"));
  ASSERT_TRUE(QFile::link(QStringLiteral("v2/prog.dat"), Chemin(QStringLiteral("dials/current.dat"))));
  ASSERT_EQ(LanceShell(QStringLiteral("\"$R\" --log run.log dials/current.dat"), &erreurs), 0)
      << erreurs.toStdString();
  EXPECT_EQ(LitOctets(QStringLiteral("dials/v2/result.txt")), " v2\r\n");
  EXPECT_EQ(LitOctets(QStringLiteral("dials/result.txt")), " hello\r\n");
  const QByteArray logV2 = LitOctets(QStringLiteral("run.log"));
  for (const QByteArray& var :
       {QByteArray("var 1 %D \"two\"\n"),
        "var 1 %P \"" + QFile::encodeName(Chemin(QStringLiteral("dials/v2/"))) + "\"\n"})
    EXPECT_TRUE(logV2.contains(var)) << var.constData() << " in\n" << logV2.constData();

  // A name read as the system reads it: "v/.." is the parent of the folder the link "v" leads to.
  ASSERT_TRUE(QFile::link(QStringLiteral("dials/v2"), Chemin(QStringLiteral("v"))));
  ASSERT_EQ(LanceShell(QStringLiteral("\"$R\" --log run.log v/../prog.dat"), &erreurs), 0)
      << erreurs.toStdString();
  EXPECT_EQ(LitOctets(QStringLiteral("dials/result.txt")), " hello\r\n hello\r\n");
  EXPECT_FALSE(QFile::exists(Chemin(QStringLiteral("result.txt"))));
  EXPECT_TRUE(LitOctets(QStringLiteral("run.log"))
                  .contains("var 1 %P \"" + QFile::encodeName(Chemin(QStringLiteral("dials/"))) + "\"\n"))
      << LitOctets(QStringLiteral("run.log")).constData();
}

TEST_F(RunnerTest, OutputsOntoAFullDiskExitThreeAndKeepTheOldFiles) {
  const QString programme = EcritProgramme("Cercle 50,50,20\r\n%A = 1\r\n");
  DisquePlein disque;
  ASSERT_TRUE(disque.Valide());
  const QStringList noms{QStringLiteral("run.log"), QStringLiteral("run.png"), QStringLiteral("run.pdf")};
  for (const QString& nom : noms) {
    QFile f(disque.Chemin(nom));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old " + nom.toLatin1());
  }
  disque.Remplit();
  const Resultat r =
      Lance({QStringLiteral("--log"), disque.Chemin(noms[0]), QStringLiteral("--png"), disque.Chemin(noms[1]),
             QStringLiteral("--pdf"), disque.Chemin(noms[2]), programme},
            !disque.Reel());
  EXPECT_EQ(r.code, 3);
  for (const QString& nom : noms) {
    QFile f(disque.Chemin(nom));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "old " + nom.toLatin1()) << nom.toStdString();
  }
}

// Past the file-size limit (ulimit -f) a write fails as on a full disk instead of ending the
// runner: the append file keeps whole lines only, and the reason makes the exit status.
TEST_F(RunnerTest, AFileSizeLimitFailsTheWriteWithItsReason) {
  const QString ajout = Chemin(QStringLiteral("ajout.txt"));
  const QString programme =
      EcritProgramme("OpenA = " + QFile::encodeName(ajout) +
                     "\r\n%I = 0\r\nB:\r\n%I == %I+1\r\nPrintA = ligne de quarante caracteres %I\r\n"
                     "If %I < 2000 Then Goto B\r\n%FIN = 1\r\n");
  // 20 blocks of 512 bytes: some hundreds of lines go in, and the log has room.
  const Resultat r = Lance({QStringLiteral("--log"), Chemin(QStringLiteral("run.log")), programme}, false, {},
                           QStringLiteral("ulimit -f 20"));
  ASSERT_EQ(r.code, 3) << r.erreurs.toStdString();
  const QString raison = QString::fromLocal8Bit(std::strerror(EFBIG));
  EXPECT_TRUE(r.erreurs.contains(ajout + QStringLiteral(": ") + raison)) << r.erreurs.toStdString();
  EXPECT_TRUE(MessageErreur(r).contains(raison)) << r.journal.join(QLatin1Char('\n')).toStdString();
  EXPECT_FALSE(r.journal.contains(QStringLiteral("var 1 %FIN \"1\"")));
  QFile f(ajout);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QList<QByteArray> lignes = f.readAll().split('\n');
  ASSERT_GT(lignes.size(), 100);
  EXPECT_TRUE(lignes.last().isEmpty()) << "the file ends with a whole line";
  for (qsizetype i = 0; i + 1 < lignes.size(); ++i)
    EXPECT_EQ(lignes[i], " ligne de quarante caracteres " + QByteArray::number(i + 1) + "\r");
}

TEST_F(RunnerTest, OutputsGoIntoDevicesAndFifosAndNeverReplaceThem) {
  const QString programme = EcritProgramme("Cercle 50,50,20\r\n%A = 1\r\n");
  const QString tube = Chemin(QStringLiteral("tube"));
  const QString nul = Chemin(QStringLiteral("nul"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
  // Only root can make a device node; the log's FIFO is tried without it.
  const bool peripherique = ::mknod(QFile::encodeName(nul).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  const auto genre = [](const QString& chemin) {
    struct stat etat {};
    return ::stat(QFile::encodeName(chemin).constData(), &etat) == 0 ? etat.st_mode & S_IFMT : 0;
  };
  const int lecteur = ::open(QFile::encodeName(tube).constData(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(lecteur, 0);
  QStringList arguments{QStringLiteral("--log"), tube};
  if (peripherique) arguments << QStringLiteral("--png") << nul << QStringLiteral("--pdf") << nul;
  Resultat r = Lance(arguments + QStringList{programme});
  QByteArray lu(4096, '\0');
  const ssize_t n = ::read(lecteur, lu.data(), static_cast<size_t>(lu.size()));
  ::close(lecteur);
  EXPECT_EQ(r.code, 0);
  ASSERT_GT(n, 0);
  EXPECT_TRUE(lu.left(n).contains("var 1 %A \"1\"\n")) << lu.left(n).constData();
  EXPECT_EQ(genre(tube), S_IFIFO);
  if (peripherique) {
    EXPECT_EQ(genre(nul), S_IFCHR);
  }
  // A FIFO that nobody reads fails at once, and a folder is no output.
  r = Lance({QStringLiteral("--log"), tube, programme});
  EXPECT_EQ(r.code, 3);
  EXPECT_EQ(genre(tube), S_IFIFO);
  r = Lance({QStringLiteral("--pdf"), dossier(), programme});
  EXPECT_EQ(r.code, 3);
}

TEST_F(RunnerTest, PrintRunWritesAPdf) {
  const QString pdf = Chemin(QStringLiteral("run.pdf"));
  const Resultat r = Lance({QStringLiteral("--pdf"), pdf, EcritProgramme("%A = 1\r\n")});
  ASSERT_EQ(r.code, 0);
  QFile f(pdf);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.read(5).startsWith("%PDF-"));
}

// A line to a point far off the page is drawn as far as the page goes, at its own angle, and the
// PDF holds what is drawn after it.
TEST_F(RunnerTest, APrintRunDrawsLinesToFarPoints) {
  if (!PdftoppmPresent()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  const QString pdf = Chemin(QStringLiteral("loin.pdf"));
  const Resultat r =
      Lance({QStringLiteral("--pdf"), pdf,
             EcritProgramme("EpaisT = 0.5mm\r\nTrait = 0, 0, 1E18, 1E18\r\nTrait = 10, 200, 100, 200\r\n")});
  ASSERT_EQ(r.code, 0);
  EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.toStdString();
  const std::vector<PagePdf> pages = PagesPdf(pdf, 100);
  ASSERT_EQ(pages.size(), 1u);
  const PagePdf& page = pages[0];
  const QRectF apres = EncreDans(page, QRectF(0, 90, 120, 15));
  ASSERT_FALSE(apres.isEmpty());
  EXPECT_NEAR(apres.left(), 10, 1);
  EXPECT_NEAR(apres.right(), 100, 1);
  // The diagonal from the page's foot: 150 mm up at 150 mm across.
  const QRectF diagonale = EncreDans(page, QRectF(148, 0, 4, page.Taille.height()));
  ASSERT_FALSE(diagonale.isEmpty());
  EXPECT_NEAR(page.Taille.height() - diagonale.center().y(), 150, 1.5);
}

// The headless print run needs no system printer: a print system that hangs holds it no time.
TEST_F(RunnerTest, APrintSystemThatHangsDoesNotHoldThePrintRun) {
  CupsPrive& cups = CupsPrive::DuProcessus();
  if (!cups.Prepare({{QStringLiteral("MorvoA4"), 0, 0}})) GTEST_SKIP() << qPrintable(cups.Raison());
  cups.Gele();
  const auto degele = qScopeGuard([&cups] { cups.Degele(); });
  const QString pdf = Chemin(QStringLiteral("gele.pdf"));
  QElapsedTimer duree;
  duree.start();
  const Resultat r = Lance({QStringLiteral("--pdf"), pdf, EcritProgramme("Cadre = 10, 10, 100, 50\r\n")});
  EXPECT_EQ(r.code, 0);
  EXPECT_LT(duree.elapsed(), 30000);
  QFile f(pdf);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.read(5).startsWith("%PDF-"));
}

// The screen and the print run of a line, in millimetres of their own pixels: the screen at 96 dpi,
// the PDF printer at its resolution (1200 dpi), measured before the screen run as the desktop
// measures its printer.
TEST_F(RunnerTest, PrintRunTakesZoomIniIAndThePdfPrintersPixels) {
  const QString pdf = Chemin(QStringLiteral("run.pdf"));
  const QString log = Chemin(QStringLiteral("run.log"));
  const Resultat r =
      Lance({QStringLiteral("--pdf"), pdf, QStringLiteral("--log"), log,
             EcritProgramme("ZoomIni = 1\r\nZoomIniI = 2\r\nEpaisT = 12\r\nTrait = 10,10,20,10\r\n")});
  ASSERT_EQ(r.code, 0);
  QStringList lignes;
  for (const QString& l : r.journal) {
    if (l.startsWith(QStringLiteral("line "))) lignes << l;
  }
  ASSERT_EQ(lignes.size(), 2) << r.journal.join(QLatin1Char('\n')).toStdString();
  const QStringList ecran = lignes[0].split(QLatin1Char(' '));
  const QStringList papier = lignes[1].split(QLatin1Char(' '));
  ASSERT_EQ(ecran.size(), 7);
  ASSERT_EQ(papier.size(), 7);
  EXPECT_NEAR((ecran[3].toDouble() - ecran[1].toDouble()) * 25.4 / 96, 10, 0.01);
  EXPECT_NEAR((papier[3].toDouble() - papier[1].toDouble()) * 25.4 / 1200, 20, 0.01) << "print factor 2";
  // 12 printer pixels: 24 at factor 2 on paper, one pixel of 96 dpi on the screen.
  EXPECT_EQ(papier[6], QStringLiteral("24"));
  EXPECT_EQ(ecran[6], QStringLiteral("1"));
}

// The print run starts from 0,0 as the screen run does, not from the point the screen run ended
// on: a command file placed at the current point draws at the same place on the page.
TEST_F(RunnerTest, ThePrintRunStartsFromTheScreenRunsState) {
  EcritProgramme("Cercle = 20, 20, 5\r\n", QStringLiteral("sub.dat"));
  const QString log = Chemin(QStringLiteral("run.log"));
  const Resultat r =
      Lance({QStringLiteral("--pdf"), Chemin(QStringLiteral("run.pdf")), QStringLiteral("--log"), log,
             EcritProgramme("Fichier = sub.dat\r\nTrait = 0, 0, 100, 50\r\n")});
  ASSERT_EQ(r.code, 0);
  // The circle's centre from the line's start (the drawing's 0,0), in millimetres of each run.
  std::vector<QPointF> ecarts;
  QPointF centre;
  for (const QString& l : r.journal) {
    const QStringList c = l.split(QLatin1Char(' '));
    const double mm = 25.4 / (ecarts.empty() ? 96 : 1200);
    if (l.startsWith(QStringLiteral("circle "))) centre = QPointF(c[1].toDouble(), c[2].toDouble()) * mm;
    if (l.startsWith(QStringLiteral("line ")))
      ecarts.push_back(centre - QPointF(c[1].toDouble(), c[2].toDouble()) * mm);
  }
  ASSERT_EQ(ecarts.size(), 2u) << r.journal.join(QLatin1Char('\n')).toStdString();
  for (const QPointF& e : ecarts) {
    EXPECT_NEAR(e.x(), 20, 0.05);
    EXPECT_NEAR(e.y(), -20, 0.05);
  }
}

// A file the program writes only in the print run, refused or failing there, is told as the
// screen run's are: on the standard error, with exit status 3.
TEST_F(RunnerTest, APrintRunsFailingWriteMakesTheExitStatus) {
  ASSERT_TRUE(QDir(dossier()).mkpath(QStringLiteral("prog")));
  const QString dehors = Chemin(QStringLiteral("dehors.txt"));
  const QString programme =
      EcritProgramme("If %IMP = 0 Then Goto fin\r\nOPENA = ../dehors.txt\r\nPRINTA = un\r\nfin:\r\n",
                     QStringLiteral("prog/p.dat"));
  const QString pdf = Chemin(QStringLiteral("run.pdf"));
  Resultat r = Lance({QStringLiteral("--pdf"), pdf, programme});
  EXPECT_EQ(r.code, 3);
  EXPECT_TRUE(r.erreurs.contains(dehors + QStringLiteral(", outside its folder, without --allow-writes")))
      << r.erreurs.toStdString();
  EXPECT_FALSE(QFile::exists(dehors));
  // A few blocks: the appends of the print run pass the file-size limit.
  const QString ajout = Chemin(QStringLiteral("prog/ajout.txt"));
  const QString remplit = EcritProgramme(
      "If %IMP = 0 Then Goto fin\r\nOpenA = ajout.txt\r\n%I = 0\r\nB:\r\n%I == %I+1\r\n"
      "PrintA = ligne de quarante caracteres %I\r\nIf %I < 2000 Then Goto B\r\nfin:\r\n",
      QStringLiteral("prog/q.dat"));
  r = Lance({QStringLiteral("--pdf"), pdf, remplit}, false, {}, QStringLiteral("ulimit -f 40"));
  EXPECT_EQ(r.code, 3);
  EXPECT_TRUE(r.erreurs.contains(ajout + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(EFBIG))))
      << r.erreurs.toStdString();
}

// FormatI after NPage: the next page lies that way, and its drawing is placed for it: 10 mm from
// its left edge and from its foot, as on the first page.
TEST_F(RunnerTest, APageTakesTheOrientationInForceWhenItStarts) {
  if (!PdftoppmPresent()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  const QString pdf = Chemin(QStringLiteral("pages.pdf"));
  const Resultat r = Lance({QStringLiteral("--pdf"), pdf,
                            EcritProgramme("Cadre = 10, 10, 100, 50\r\nNPage\r\nFormatI = Paysage\r\n"
                                           "Cadre = 10, 10, 100, 50\r\nNPage\r\nNPage\r\n"
                                           "FormatI = Portrait\r\nCadre = 10, 10, 100, 50\r\n")});
  ASSERT_EQ(r.code, 0);
  const std::vector<PagePdf> pages = PagesPdf(pdf);
  ASSERT_EQ(pages.size(), 4u);
  const QSizeF portrait(210, 297), paysage(297, 210);
  for (size_t i = 0; i < pages.size(); ++i) {
    SCOPED_TRACE(i + 1);
    const QSizeF taille = i == 1 || i == 2 ? paysage : portrait;
    EXPECT_NEAR(pages[i].Taille.width(), taille.width(), 0.5);
    EXPECT_NEAR(pages[i].Taille.height(), taille.height(), 0.5);
    if (i == 2) {
      EXPECT_TRUE(pages[i].Encre.isEmpty()) << "a page asked for twice is left blank";
      continue;
    }
    EXPECT_NEAR(pages[i].Encre.left(), pages[0].Encre.left(), 0.05);
    EXPECT_NEAR(pages[i].Encre.width(), pages[0].Encre.width(), 0.05);
    // The sheet's own size in points rounds its height by up to 0.1 mm.
    EXPECT_NEAR(taille.height() - pages[i].Encre.bottom(), portrait.height() - pages[0].Encre.bottom(), 0.25);
  }
}

// Relative names in the program are found from its folder, wherever morvo-run is started.
TEST_F(RunnerTest, RunsFromTheProgramsFolder) {
  QDir(Chemin(QString())).mkpath(QStringLiteral("sous"));
  EcritProgramme("%IRE$#0W = 7\r\n", QStringLiteral("sous/x.dat"));
  EcritProgramme("ici\r\n", QStringLiteral("k.txt"));
  const QString programme = EcritProgramme("Fichier = sous/x\r\nOPENA = k.txt, , Kill\r\n");
  // Started in a folder of its own (the same test runs at once under other locales).
  QTemporaryDir appelant;
  ASSERT_TRUE(appelant.isValid());
  const QString log = QStringLiteral("run-dossier.log");
  const Resultat r = Lance({QStringLiteral("--log"), log, programme}, false, appelant.path());
  ASSERT_EQ(r.code, 0);
  EXPECT_TRUE(r.journal.contains(QStringLiteral("var 0 %W \"7\"")))
      << r.journal.join(QLatin1Char('\n')).toStdString();
  EXPECT_FALSE(QFile::exists(Chemin(QStringLiteral("k.txt"))));
  // The log still goes where it was asked for, beside the caller.
  EXPECT_TRUE(QFile::exists(QDir(appelant.path()).filePath(log)));
  EXPECT_FALSE(QFile::exists(Chemin(log)));
}

// Under a French or German user's locale the C library reads "," as the decimal point; the
// runner's numbers are read with "." whatever it is.
TEST_F(RunnerTest, NumbersAreReadTheSameUnderAFrenchOrGermanLocale) {
  const QString programme = EcritProgramme("%A == 2.5E-400 * 4\r\n%B == 1.5E+400 * 0\r\n");
  const QString log = Chemin(QStringLiteral("run.log"));
  for (const char* locale : {"fr_FR.UTF-8", "de_DE.UTF-8"}) {
    environnement_ = EnvironnementDesRuns();
    environnement_.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale));
    const Resultat r = Lance({QStringLiteral("--log"), log, programme});
    ASSERT_EQ(r.code, 4) << locale;
    EXPECT_TRUE(r.journal.contains(QStringLiteral("var 1 %A \"0\""))) << locale << "\n"
                                                                      << r.journal.join(u'\n').toStdString();
    // The overflow of the second line is a run error that says what it was.
    const QString message = MessageErreur(r);
    EXPECT_TRUE(message.contains(QStringLiteral(":  2: %B == 1.5E+400 * 0"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("overflow"))) << message.toStdString();
  }
}

// A file that reports a size of 0 and is huge is read no further than the bound of what it is
// read for: a program, a command file, a data-file line. Each says why, at once, in little memory.
TEST_F(RunnerTest, ReadsHaveABoundWhateverSizeTheSystemReports) {
  const QString pagemap = QStringLiteral("/proc/self/pagemap");
  if (!QFileInfo(pagemap).isReadable() || QFileInfo(pagemap).size() != 0) GTEST_SKIP() << "no pagemap here";
  const QString limites = QStringLiteral("ulimit -v 2097152");
  QElapsedTimer duree;
  duree.start();
  Resultat r = Lance({pagemap}, false, {}, limites);
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(r.erreurs.contains(pagemap)) << r.erreurs.toStdString();
  EXPECT_LT(duree.elapsed(), 20000);

  const QString log = Chemin(QStringLiteral("run.log"));
  r = Lance({QStringLiteral("--log"), log, EcritProgramme("Fichier = /proc/self/pagemap\r\n%A = 1\r\n")},
            false, {}, limites);
  ASSERT_EQ(r.code, 4);
  // The file is refused as too large, not reported missing.
  QString message = MessageErreur(r);
  EXPECT_EQ(message.count(pagemap), 2) << message.toStdString();
  EXPECT_FALSE(message.contains(QStringLiteral("non trouvé"))) << message.toStdString();

  r = Lance({QStringLiteral("--log"), log, EcritProgramme("Open = /proc/self/pagemap\r\nLVar = %L\r\n")},
            false, {}, limites);
  ASSERT_EQ(r.code, 4);
  message = MessageErreur(r);
  EXPECT_TRUE(message.contains(
      QStringLiteral(":  2: LVar = %L\\r\\n\\r\\n/proc/self/pagemap : ligne de plus de 1048576 octets")))
      << message.toStdString();
  EXPECT_LT(duree.elapsed(), 40000);
}

// A program of exactly the longest length runs, with or without a line end after its last line;
// one character more is refused by a message that names the line holding that character.
TEST_F(RunnerTest, AProgramOfTheLongestLengthRuns) {
  QByteArray texte;
  for (int i = 1; texte.size() < 32767 - 40; ++i) texte += "%A = " + QByteArray::number(i) + "\r\n";
  const QByteArray derniere = "%B = 1";
  texte += "'" + QByteArray(32767 - texte.size() - derniere.size() - 3, 'x') + "\r\n" + derniere;
  ASSERT_EQ(texte.size(), 32767);
  const QString log = Chemin(QStringLiteral("run.log"));
  Resultat r = Lance({QStringLiteral("--log"), log, EcritProgramme(texte)});
  ASSERT_EQ(r.code, 0);
  EXPECT_TRUE(MessageErreur(r).isEmpty()) << MessageErreur(r).toStdString();
  EXPECT_TRUE(r.journal.contains(QStringLiteral("var 1 %B \"1\""))) << r.journal.join(u'\n').toStdString();
  r = Lance({QStringLiteral("--log"), log, EcritProgramme(texte + "\r\n")});
  ASSERT_EQ(r.code, 0);
  EXPECT_TRUE(MessageErreur(r).isEmpty()) << MessageErreur(r).toStdString();
  EXPECT_TRUE(r.journal.contains(QStringLiteral("var 1 %B \"1\""))) << r.journal.join(u'\n').toStdString();

  r = Lance({QStringLiteral("--log"), log, EcritProgramme(texte + "2")});
  ASSERT_EQ(r.code, 4);
  QString refus;
  for (const QString& ligne : r.journal) {
    if (ligne.contains(QStringLiteral("trop long"))) refus = ligne;
  }
  const int derniereLigne = static_cast<int>(texte.count('\n')) + 1;
  EXPECT_TRUE(refus.contains(QStringLiteral(" %1: %B = 12\\r\\n").arg(derniereLigne))) << refus.toStdString();
  EXPECT_TRUE(refus.contains(QStringLiteral("32768"))) << refus.toStdString();
}

// An output never replaces the program file, by whatever name it reaches it, nor another output:
// such a command line is refused before anything runs, and every file stays as it was.
TEST_F(RunnerTest, AnOutputNeverReplacesTheProgramNorAnotherOutput) {
  const QByteArray texte = "Cercle 50,50,20\r\n%A = 1\r\n";
  const QString programme = EcritProgramme(texte, QStringLiteral("prog.dat"));
  const QString lien = Chemin(QStringLiteral("lien.dat"));
  ASSERT_TRUE(QFile::link(programme, lien));
  const QString dur = Chemin(QStringLiteral("dur.dat"));
  ASSERT_EQ(::link(QFile::encodeName(programme).constData(), QFile::encodeName(dur).constData()), 0);
  const QString relatif = QStringLiteral("./prog.dat");
  for (const QString& option : {QStringLiteral("--log"), QStringLiteral("--png"), QStringLiteral("--pdf")}) {
    for (const QString& sortie : {programme, lien, dur, relatif}) {
      const Resultat r = Lance({option, sortie, programme}, false, dossier());
      EXPECT_EQ(r.code, 1) << option.toStdString() << " " << sortie.toStdString();
      EXPECT_TRUE(r.erreurs.contains(QStringLiteral("is the program file"))) << r.erreurs.toStdString();
      QFile f(programme);
      ASSERT_TRUE(f.open(QIODevice::ReadOnly));
      EXPECT_EQ(f.readAll(), texte);
    }
  }
  // Two outputs naming one file, existing or not yet.
  const QString autre = Chemin(QStringLiteral("same.out"));
  Resultat r = Lance(
      {QStringLiteral("--log"), autre, QStringLiteral("--png"), QStringLiteral("./same.out"), programme},
      false, dossier());
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.erreurs.contains(QStringLiteral("are one file"))) << r.erreurs.toStdString();
  EXPECT_FALSE(QFile::exists(autre));
  {
    QFile f(autre);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old");
  }
  r = Lance({QStringLiteral("--pdf"), autre, QStringLiteral("--log"), autre, programme});
  EXPECT_EQ(r.code, 1);
  QFile f(autre);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), "old");
}

// The rule that protects shared folders such as /tmp holds whatever the system's setting: a link
// that another user planted there at the name of an output is not followed.
TEST_F(RunnerTest, ALinkPlantedByAnotherUserIsNotFollowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a link to another user";
  const QString partage = Chemin(QStringLiteral("partage"));
  ASSERT_TRUE(QDir(dossier()).mkdir(QStringLiteral("partage")));
  ASSERT_EQ(::chmod(QFile::encodeName(partage).constData(), 01777), 0);
  const QString these = EcritProgramme("my thesis", QStringLiteral("these.txt"));
  const QString lien = partage + QStringLiteral("/run.log");
  ASSERT_EQ(::symlink(QFile::encodeName(these).constData(), QFile::encodeName(lien).constData()), 0);
  ASSERT_EQ(::lchown(QFile::encodeName(lien).constData(), 54321, static_cast<gid_t>(-1)), 0);
  const QString png = Chemin(QStringLiteral("run.png"));
  const Resultat r =
      Lance({QStringLiteral("--log"), lien, QStringLiteral("--png"), png, EcritProgramme("%A = 1\r\n")});
  EXPECT_EQ(r.code, 3);
  EXPECT_TRUE(r.erreurs.contains(QStringLiteral("cannot write ") + lien + QStringLiteral(": ") +
                                 QString::fromLocal8Bit(std::strerror(EACCES))))
      << r.erreurs.toStdString();
  QFile f(these);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), "my thesis");
  EXPECT_FALSE(QImage(png).isNull());
}

// Every output that cannot be written says the system's reason, and the standard error holds the
// runner's own messages only, with no desktop session too.
TEST_F(RunnerTest, EveryFailureSaysWhy) {
  // A program file that cannot be read: missing, a folder or a FIFO, each with its reason.
  const QString absent = Chemin(QStringLiteral("absent.dat"));
  const QString fifo = Chemin(QStringLiteral("fifo.dat"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const std::pair<QString, QString> illisibles[] = {
      {absent, RaisonSysteme(ENOENT)},
      {dossier(), RaisonSysteme(EISDIR)},
      {fifo, QStringLiteral("not a regular file (a FIFO or a pipe)")},
  };
  for (const auto& [illisible, raison] : illisibles) {
    const Resultat r = Lance({illisible});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.erreurs, QStringLiteral("morvo-run: cannot read ") + illisible + QStringLiteral(": ") +
                             raison + QLatin1Char('\n'))
        << r.erreurs.toStdString();
  }

  const QString programme = EcritProgramme("%A = 1\r\n");
  for (const QString& option : {QStringLiteral("--pdf"), QStringLiteral("--png"), QStringLiteral("--log")}) {
    const QString sortie = Chemin(QStringLiteral("nodir/x.out"));
    const Resultat r = Lance({option, sortie, programme}, false, {}, QStringLiteral("unset XDG_RUNTIME_DIR"));
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.erreurs, QStringLiteral("morvo-run: cannot write ") + sortie + QStringLiteral(": ") +
                             RaisonSysteme(ENOENT) + QLatin1Char('\n'))
        << option.toStdString();
  }
  // A read-only folder: root writes into any folder that is not on a read-only file system.
  const QString lecture = Chemin(QStringLiteral("ro"));
  ASSERT_TRUE(QDir(dossier()).mkdir(QStringLiteral("ro")));
  if (::geteuid() == 0) {
    if (QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("ro,size=64k"), QStringLiteral("tmpfs"), lecture}) != 0)
      GTEST_SKIP() << "no read-only file system to write to";
  } else {
    ASSERT_EQ(::chmod(QFile::encodeName(lecture).constData(), 0555), 0);
  }
  const QString pdf = lecture + QStringLiteral("/x.pdf");
  const Resultat r = Lance({QStringLiteral("--pdf"), pdf, programme});
  if (::geteuid() == 0) QProcess::execute(QStringLiteral("umount"), {lecture});
  EXPECT_EQ(r.code, 3);
  EXPECT_EQ(r.erreurs, QStringLiteral("morvo-run: cannot write ") + pdf + QStringLiteral(": ") +
                           RaisonSysteme(::geteuid() == 0 ? EROFS : EACCES) + QLatin1Char('\n'));
}

// After a stop the PDF is never the blank page of a print run that stopped at once: it is not
// written, with its reason and exit status 3, and the log keeps the stopped run's variables.
TEST_F(RunnerTest, AStoppedRunWritesNoBlankPdfAndKeepsItsVariables) {
  const QString signe = Chemin(QStringLiteral("signe.txt"));
  const QString boucle = EcritProgramme(
      QStringLiteral("%A = 1\r\n%B = 2\r\nOPENA = %1\r\nPRINTA = go\r\nOPENA\r\nDEBUT:\r\nGOTO DEBUT\r\n")
          .arg(signe)
          .toUtf8());
  const QString log = Chemin(QStringLiteral("run.log"));
  const QString pdf = Chemin(QStringLiteral("run.pdf"));
  const QString png = Chemin(QStringLiteral("run.png"));
  QProcess processus;
  processus.start(QStringLiteral(MORVO_RUN_PATH), {QStringLiteral("--pdf"), pdf, QStringLiteral("--png"), png,
                                                   QStringLiteral("--log"), log, boucle});
  ASSERT_TRUE(processus.waitForStarted());
  QElapsedTimer attente;
  attente.start();
  while (QFileInfo(signe).size() == 0 && attente.elapsed() < 60000) {
    if (processus.waitForFinished(20)) break;
  }
  ASSERT_EQ(processus.state(), QProcess::Running);
  ::kill(static_cast<pid_t>(processus.processId()), SIGTERM);
  ASSERT_TRUE(processus.waitForFinished(30000));
  EXPECT_EQ(processus.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(processus.exitCode(), 3);
  const QString erreurs = QString::fromLocal8Bit(processus.readAllStandardError());
  EXPECT_TRUE(
      erreurs.contains(QStringLiteral("cannot write ") + pdf + QStringLiteral(": the run was stopped")))
      << erreurs.toStdString();
  EXPECT_FALSE(QFile::exists(pdf));
  EXPECT_FALSE(QImage(png).isNull());
  QFile f(log);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray journal = f.readAll();
  EXPECT_TRUE(journal.contains("var 1 %A \"1\"\nvar 1 %B \"2\"\n")) << journal.constData();
}

// A log going to a reader who does not read: the first SIGTERM ends the blocked write and the
// other outputs are still written.
TEST_F(RunnerTest, TheFirstSignalEndsAWriteToAReaderWhoDoesNotRead) {
  const QString tube = Chemin(QStringLiteral("tube"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
  const int lecteur = ::open(QFile::encodeName(tube).constData(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(lecteur, 0);
  const QString png = Chemin(QStringLiteral("run.png"));
  QProcess processus;
  processus.start(QStringLiteral(MORVO_RUN_PATH),
                  {QStringLiteral("--log"), tube, QStringLiteral("--png"), png,
                   EcritProgramme("DEBUT:\r\nTrait = 0, 0, 10, 10\r\nGOTO DEBUT\r\n")});
  ASSERT_TRUE(processus.waitForStarted());
  // The pipe is full once nothing more comes in for a while: the runner waits in its write.
  int dansLeTube = -1, avant = -2;
  QElapsedTimer attente;
  attente.start();
  while ((dansLeTube != avant || dansLeTube <= 0) && attente.elapsed() < 60000) {
    avant = dansLeTube;
    processus.waitForFinished(300);
    ASSERT_EQ(::ioctl(lecteur, FIONREAD, &dansLeTube), 0);
  }
  ASSERT_EQ(processus.state(), QProcess::Running);
  ::kill(static_cast<pid_t>(processus.processId()), SIGTERM);
  const bool fini = processus.waitForFinished(30000);
  ::close(lecteur);
  ASSERT_TRUE(fini);
  EXPECT_EQ(processus.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(processus.exitCode(), 3);
  EXPECT_TRUE(processus.readAllStandardError().contains("cannot write"));
  EXPECT_FALSE(QImage(png).isNull());
}

// An output named after one of the runner's own descriptors is written through it as the shell
// opened it: appended where the shell appends, after a block's earlier lines, never truncated.
TEST_F(RunnerTest, DescriptorNamesWriteThroughTheShellsOwnDescriptor) {
  EcritProgramme("Cercle 50,50,20\r\n%A = 1\r\n", QStringLiteral("prog.dat"));
  ASSERT_EQ(LanceShell(QStringLiteral("echo old > r.txt; \"$R\" --log /dev/stdout prog.dat >> r.txt")), 0);
  const QByteArray ajoute = LitOctets(QStringLiteral("r.txt"));
  EXPECT_TRUE(ajoute.startsWith("old\ncls\n")) << ajoute.constData();
  EXPECT_TRUE(ajoute.endsWith("var 1 %A \"1\"\n")) << ajoute.constData();

  ASSERT_EQ(LanceShell(QStringLiteral("{ echo L1; \"$R\" --log /proc/self/fd/1 --pdf /dev/fd/3 --png "
                                      "/dev/stderr prog.dat 2>r.png 3>r.pdf; echo L2; } > bloc.txt")),
            0);
  const QByteArray bloc = LitOctets(QStringLiteral("bloc.txt"));
  EXPECT_TRUE(bloc.startsWith("L1\ncls\n")) << bloc.left(200).constData();
  EXPECT_TRUE(bloc.endsWith("var 1 %A \"1\"\nL2\n")) << bloc.right(200).constData();
  EXPECT_TRUE(LitOctets(QStringLiteral("r.pdf")).startsWith("%PDF-"));
  EXPECT_EQ(QImage(Chemin(QStringLiteral("r.png"))).size(), QSize(1000, 700));
  // However the name is spelt, the shell's file is written through, never replaced.
  for (const QString& nom :
       {QStringLiteral("/dev/fd//1"), QStringLiteral("/proc/self/fd/./1"),
        QStringLiteral("/proc/self/fd/../fd/1"), QStringLiteral("/proc/self/../self/fd/1")}) {
    ASSERT_EQ(
        LanceShell(QStringLiteral("{ echo L1; \"$R\" --log %1 prog.dat; echo L2; } > bloc.txt").arg(nom)), 0)
        << nom.toStdString();
    const QByteArray lu = LitOctets(QStringLiteral("bloc.txt"));
    EXPECT_TRUE(lu.startsWith("L1\ncls\n") && lu.endsWith("var 1 %A \"1\"\nL2\n")) << nom.toStdString();
  }

  // A descriptor that is not open, or open for reading only, is no output.
  QString erreurs;
  EXPECT_EQ(LanceShell(QStringLiteral("\"$R\" --log /dev/fd/9 prog.dat"), &erreurs), 3);
  EXPECT_EQ(erreurs, QStringLiteral("morvo-run: cannot write /dev/fd/9: ") + RaisonSysteme(EBADF) +
                         QStringLiteral(" (descriptor 9 is not open)\n"))
      << erreurs.toStdString();
  // A name no descriptor has is no descriptor, and the file the name would be is refused.
  for (const QString& nom :
       {QStringLiteral("/dev/fd/+1"), QStringLiteral("'/dev/fd/ 1'"), QStringLiteral("/dev/fd/01")})
    EXPECT_EQ(LanceShell(QStringLiteral("\"$R\" --log %1 prog.dat > sortie.txt").arg(nom)), 3)
        << nom.toStdString();
  EXPECT_EQ(LanceShell(QStringLiteral("\"$R\" --png /dev/stdout prog.dat 1<r.txt"), &erreurs), 3);
  EXPECT_TRUE(erreurs.contains(QStringLiteral(" (descriptor 1 is open for reading only)")))
      << erreurs.toStdString();
  EXPECT_EQ(LitOctets(QStringLiteral("prog.dat")), "Cercle 50,50,20\r\n%A = 1\r\n");
}

// Two outputs into one open file would mix their bytes, whatever names reach it: they are refused
// before anything runs. The null device takes any number of them.
TEST_F(RunnerTest, TwoOutputsIntoOneOpenFileAreRefused) {
  EcritProgramme("Cercle 50,50,20\r\n%A = 1\r\n", QStringLiteral("prog.dat"));
  for (const QString& sorties : {QStringLiteral("--log /dev/stdout --png /dev/fd/1"),
                                 QStringLiteral("--log /dev/stdout --png /proc/self/fd/1"),
                                 QStringLiteral("--log /dev/stdout --pdf /dev/stderr 2>&1"),
                                 QStringLiteral("--png /dev/fd/1 --log /dev/fd/3 3>&1")}) {
    QString erreurs;
    EXPECT_EQ(LanceShell(QStringLiteral("\"$R\" %1 prog.dat > sortie.txt %2")
                             .arg(sorties.section(u' ', 0, 3), sorties.section(u' ', 4)),
                         &erreurs),
              1)
        << sorties.toStdString();
    EXPECT_TRUE(erreurs.contains(QStringLiteral(" are one open file: their bytes would mix\n")) ||
                LitOctets(QStringLiteral("sortie.txt")).contains("are one open file"))
        << sorties.toStdString() << erreurs.toStdString();
    EXPECT_FALSE(LitOctets(QStringLiteral("sortie.txt")).contains("cls")) << sorties.toStdString();
  }
  EXPECT_EQ(LanceShell(QStringLiteral("\"$R\" --log /dev/null --png /dev/null --pdf /dev/null prog.dat")), 0);
}

// An output through a descriptor that fails midway leaves no cut output: a regular file is cut
// back to its size where the run began, and a pipe's reader is told what it has.
TEST_F(RunnerTest, AnOutputThroughADescriptorThatFailsIsTakenBack) {
  EcritProgramme("%I = 0\r\nB:\r\n%I == %I+1\r\nCercle 50,50,%I\r\nIf %I < 5000 Then Goto B\r\n",
                 QStringLiteral("long.dat"));
  QString erreurs;
  const QString raison = RaisonSysteme(EFBIG);
  EXPECT_EQ(
      LanceShell(QStringLiteral("echo old > r.txt; ulimit -f 20; \"$R\" --log /dev/stdout long.dat >> r.txt"),
                 &erreurs),
      3);
  EXPECT_EQ(LitOctets(QStringLiteral("r.txt")), "old\n");
  EXPECT_EQ(erreurs, QStringLiteral("morvo-run: cannot write /dev/stdout: ") + raison + u'\n');
  EXPECT_EQ(LanceShell(QStringLiteral(
                "ulimit -f 20; \"$R\" --log /dev/stdout long.dat > r.txt; s=$?; echo end >> r.txt; exit $s")),
            3);
  EXPECT_EQ(LitOctets(QStringLiteral("r.txt")), "end\n");
  // While another process holds the file open, what went in stays, in whole lines: the next writer's
  // line is never glued to a cut one.
  {
    EcritProgramme("old\n", QStringLiteral("r.txt"));
    QFile lecteur(Chemin(QStringLiteral("r.txt")));
    ASSERT_TRUE(lecteur.open(QIODevice::ReadOnly));
    EXPECT_EQ(LanceShell(QStringLiteral("ulimit -f 20; \"$R\" --log /dev/stdout long.dat >> r.txt"), &erreurs),
              3);
    ASSERT_EQ(LanceShell(QStringLiteral("\"$R\" --log long.log long.dat")), 0);
    const QByteArray contenu = LitOctets(QStringLiteral("r.txt"));
    EXPECT_GT(contenu.size(), 4000);
    EXPECT_TRUE(contenu.endsWith('\n'));
    EXPECT_EQ(contenu, "old\n" + LitOctets(QStringLiteral("long.log")).left(contenu.size() - 4));
    EXPECT_TRUE(erreurs.contains(QStringLiteral(" (the first %1 bytes went into the file already").arg(contenu.size() - 4)))
        << erreurs.toStdString();
  }
  // The runner's own messages that went into the file meanwhile (2>&1) are no part of the log and
  // stay.
  EcritProgramme("%I = 0\r\nB:\r\n%I == %I+1\r\nCercle 50,50,%I\r\nIf %I < 20 Then Goto B\r\n",
                 QStringLiteral("court.dat"));
  for (const QString& redirection : {QStringLiteral(">>"), QStringLiteral(">")}) {
    EXPECT_EQ(
        LanceShell(QStringLiteral("echo old > r.txt; ulimit -f 1; \"$R\" --log /dev/stdout --png /dev/fd/9 "
                                  "court.dat %1 r.txt 2>&1")
                       .arg(redirection)),
        3);
    EXPECT_EQ(QString::fromLocal8Bit(LitOctets(QStringLiteral("r.txt"))).toStdString(),
              ((redirection == QStringLiteral(">>") ? QStringLiteral("old\n") : QString()) +
               QStringLiteral("morvo-run: cannot write /dev/fd/9: ") + RaisonSysteme(EBADF) +
               QStringLiteral(" (descriptor 9 is not open)\nmorvo-run: cannot write /dev/stdout: ") + raison +
               u'\n')
                  .toStdString())
        << redirection.toStdString();
  }
  EXPECT_EQ(
      LanceShell(QStringLiteral("{ \"$R\" --log /dev/stdout long.dat; echo $? > code.txt; } | head -c 100 "
                                ">/dev/null"),
                 &erreurs),
      0);
  EXPECT_EQ(LitOctets(QStringLiteral("code.txt")), "3\n");
  EXPECT_TRUE(
      erreurs.contains(QStringLiteral("went into the pipe already: what reads it has an output cut short")))
      << erreurs.toStdString();
}

// A failed output through a descriptor takes back only its own last bytes, while nothing follows
// them: the lines another writer appended meanwhile, and the whole log of a run that ended well,
// stay, and the message tells how much of the output went in.
TEST_F(RunnerTest, AFailedOutputThroughADescriptorKeepsWhatOthersAppended) {
  EcritProgramme("%I = 0\r\nB:\r\n%I == %I+1\r\nCercle 50,50,%I\r\nIf %I < 50000 Then Goto B\r\n",
                 QStringLiteral("long.dat"));
  EcritProgramme("Cercle 10,10,3\r\n%B = 7\r\n", QStringLiteral("court.dat"));
  ASSERT_EQ(LanceShell(QStringLiteral("\"$R\" --log long.log long.dat; \"$R\" --log court.log court.dat")),
            0);
  const QByteArray journalLong = LitOctets(QStringLiteral("long.log"));
  const QByteArray journalCourt = LitOctets(QStringLiteral("court.log"));
  const QByteArray commun = QFile::encodeName(Chemin(QStringLiteral("commun.log")));
  {
    QFile f(Chemin(QStringLiteral("commun.log")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old\n");
  }
  std::atomic<bool> fini = false;
  int lignes = 0;
  // Another writer appends a line every millisecond, as `echo line >> commun.log` does.
  std::thread autre([&] {
    for (; !fini; ++lignes) {
      const int fd = ::open(commun.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
      const QByteArray ligne = "other " + QByteArray::number(lignes) + '\n';
      const bool ecrit =
          fd >= 0 && ::write(fd, ligne.constData(), static_cast<size_t>(ligne.size())) == ligne.size();
      if (fd >= 0) ::close(fd);
      if (!ecrit) break;
      ::usleep(1000);
    }
  });
  const auto arrete = qScopeGuard([&] {
    fini = true;
    if (autre.joinable()) autre.join();
  });
  QProcess longue;
  longue.setWorkingDirectory(dossier());
  longue.start(QStringLiteral("/bin/sh"),
               {QStringLiteral("-c"),
                QStringLiteral("ulimit -f 4000; exec \"$0\" --log /dev/stdout long.dat >> commun.log"),
                QStringLiteral(MORVO_RUN_PATH)});
  ASSERT_TRUE(longue.waitForStarted());
  // Once its first lines are in, the long run waits while a short one writes its whole log.
  QElapsedTimer attente;
  attente.start();
  while (!LitOctets(QStringLiteral("commun.log")).contains("\ncircle ") && attente.elapsed() < 30000)
    QThread::usleep(500);
  ::kill(static_cast<pid_t>(longue.processId()), SIGSTOP);
  EXPECT_EQ(LanceShell(QStringLiteral("\"$R\" --log /dev/stdout court.dat >> commun.log")), 0);
  ::kill(static_cast<pid_t>(longue.processId()), SIGCONT);
  ASSERT_TRUE(longue.waitForFinished(60000));
  EXPECT_EQ(longue.exitCode(), 3);
  fini = true;
  autre.join();
  const QString erreurs = QString::fromLocal8Bit(longue.readAllStandardError());
  const QRegularExpressionMatch message =
      QRegularExpression(
          QStringLiteral("^morvo-run: cannot write /dev/stdout: %1 \\(the first (\\d+) bytes "
                         "went into the file already: what reads it has an output cut short\\)\n$")
              .arg(QRegularExpression::escape(RaisonSysteme(EFBIG))))
          .match(erreurs);
  EXPECT_TRUE(message.hasMatch()) << erreurs.toStdString();
  // Every line of the other process is there whole, in order; what is left besides them is the
  // short run's log whole and the part of the long one that the message tells.
  const QByteArray contenu = LitOctets(QStringLiteral("commun.log"));
  QByteArray reste;
  qsizetype depuis = 0;
  for (int i = 0; i < lignes; ++i) {
    const QByteArray ligne = "other " + QByteArray::number(i) + '\n';
    const qsizetype ou = contenu.indexOf(ligne, depuis);
    ASSERT_GE(ou, 0) << "line " << i << " of " << lignes << " is lost";
    reste += contenu.mid(depuis, ou - depuis);
    depuis = ou + ligne.size();
  }
  reste += contenu.mid(depuis);
  const qsizetype court = reste.indexOf(journalCourt);
  ASSERT_GE(court, 0) << "the short run's log is lost";
  reste.remove(court, journalCourt.size());
  if (!message.hasMatch()) return;
  const qsizetype resteLong = message.captured(1).toLongLong();
  EXPECT_GT(resteLong, 0);
  EXPECT_EQ(reste, "old\n" + journalLong.left(resteLong));
}

// A name that ends in "/" names a folder, as the system reads it: the output is refused with the
// system's answer and nothing is written, however the name reaches the program or another file.
TEST_F(RunnerTest, AnOutputNamedAsAFolderIsRefusedWithTheSystemsAnswer) {
  const QByteArray texte = "Cercle 50,50,20\r\n%A = 1\r\n";
  const QString programme = EcritProgramme(texte, QStringLiteral("prog.dat"));
  EcritProgramme("old", QStringLiteral("keep.txt"));
  ASSERT_TRUE(QDir(dossier()).mkdir(QStringLiteral("sub")));
  const QString pasDossier = RaisonSysteme(ENOTDIR), estDossier = RaisonSysteme(EISDIR);
  const std::pair<QString, QString> cas[] = {
      {QStringLiteral("prog.dat/"), pasDossier},        {QStringLiteral("prog.dat//"), pasDossier},
      {QStringLiteral("prog.dat/."), pasDossier},       {QStringLiteral("./prog.dat/"), pasDossier},
      {QStringLiteral("sub/../prog.dat/"), pasDossier}, {programme + u'/', pasDossier},
      {QStringLiteral("keep.txt/"), pasDossier},        {QStringLiteral("new/"), estDossier},
      {QStringLiteral("/dev/fd/1/"), pasDossier},       {QStringLiteral("sub/"), estDossier}};
  for (const QString& option : {QStringLiteral("--log"), QStringLiteral("--png"), QStringLiteral("--pdf")}) {
    for (const auto& [nom, raison] : cas) {
      // Each name with --log; the others with the first few.
      if (option != QStringLiteral("--log") && nom != cas[0].first && nom != QStringLiteral("new/")) continue;
      const Resultat r = Lance({option, nom, programme}, false, dossier());
      EXPECT_EQ(r.code, 3) << option.toStdString() << " " << nom.toStdString();
      EXPECT_TRUE(r.erreurs.contains(nom + QStringLiteral(": ") + raison + u'\n'))
          << option.toStdString() << " " << r.erreurs.toStdString();
      EXPECT_EQ(LitOctets(QStringLiteral("prog.dat")), texte);
      EXPECT_EQ(LitOctets(QStringLiteral("keep.txt")), "old");
      EXPECT_FALSE(QFileInfo::exists(Chemin(QStringLiteral("new"))));
    }
  }
}

// Memory that runs out for the image or the PDF is told with the size asked for, exit status 3;
// the runner never aborts.
TEST_F(RunnerTest, MemoryThatRunsOutIsToldWithTheSizeAskedFor) {
  const QString programme = EcritProgramme("Cercle 50,50,20\r\n%A = 1\r\n");
  const QString png = Chemin(QStringLiteral("run.png"));
  Resultat r = Lance(
      {QStringLiteral("--size"), QStringLiteral("20000x20000"), QStringLiteral("--png"), png, programme},
      false, {}, QStringLiteral("ulimit -v 1200000"));
  EXPECT_EQ(r.code, 3);
  EXPECT_TRUE(r.erreurs.contains(QStringLiteral("memory ran out for the image of 20000x20000 pixels")))
      << r.erreurs.toStdString();
  EXPECT_FALSE(QFileInfo::exists(png));
  // Under limits from where the runner starts at all to where the PDF fits: some make the PDF run
  // out, none aborts.
  int epuisee = 0;
  for (int limite = 50000; limite <= 300000; limite += 10000) {
    r = Lance({QStringLiteral("--pdf"), Chemin(QStringLiteral("run.pdf")), programme}, false, {},
              QStringLiteral("ulimit -v %1").arg(limite));
    ASSERT_TRUE(r.code == 0 || r.code == 3 || r.code == 127) << limite << " " << r.erreurs.toStdString();
    if (r.code != 3) continue;
    EXPECT_TRUE(r.erreurs.contains(QStringLiteral("memory ran out"))) << r.erreurs.toStdString();
    if (r.erreurs.contains(QStringLiteral("memory ran out while making the PDF (an A4 page of "))) ++epuisee;
  }
  EXPECT_GT(epuisee, 0);
}

// In a current folder deeper than the system's path limit a relative name cannot be made whole:
// it is refused with the reason, never written at the root of the file system.
TEST_F(RunnerTest, RelativeNamesInAFolderBeyondThePathLimitAreRefused) {
  const QString programme = EcritProgramme("%A = 1\r\n");
  const int retour = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(retour, 0);
  ASSERT_TRUE(QDir::setCurrent(dossier()));
  const QByteArray nom(200, 'd');
  int profondeur = 0;
  // Back up the chain, removing it (its paths are too long for the temporary folder's removal),
  // and back to where the test was.
  const auto remonte = qScopeGuard([&] {
    ::unlink("deep.dat");
    for (; profondeur > 0 && ::chdir("..") == 0; --profondeur) ::rmdir(nom.constData());
    EXPECT_EQ(::fchdir(retour), 0);
    ::close(retour);
  });
  for (; profondeur < 25; ++profondeur) {
    if (::mkdir(nom.constData(), 0700) != 0) break;
    if (::chdir(nom.constData()) != 0) {
      ::rmdir(nom.constData());
      break;
    }
  }
  ASSERT_EQ(profondeur, 25);
  ASSERT_TRUE(QFile::copy(programme, QStringLiteral("deep.dat")));
  const auto lance = [this](const QStringList& arguments, QString& erreurs) {
    QProcess processus;
    // A folder whose path cannot be told keeps the font caches from being read, as a memory limit does.
    processus.setProcessEnvironment(CachesDePolicesAPart(EnvironnementDesRuns()));
    processus.start(QStringLiteral(MORVO_RUN_PATH), arguments);
    if (!processus.waitForFinished(60000)) return -1;
    erreurs = QString::fromLocal8Bit(processus.readAllStandardError());
    return processus.exitCode();
  };
  const QString png = QStringLiteral("morvo-deep-folder.png");
  const QString log = QStringLiteral("morvo-deep-folder.log");
  const QString raison =
      RaisonSysteme(ENAMETOOLONG) + QStringLiteral(" (the current folder cannot be told)");
  QString erreurs;
  const int sorties = lance({QStringLiteral("--png"), png, QStringLiteral("--log"), log, programme}, erreurs);
  QString erreursProgramme;
  const int relatif = lance({QStringLiteral("deep.dat")}, erreursProgramme);
  for (const QString& sortie : {png, log}) {
    EXPECT_FALSE(QFile::exists(u'/' + sortie)) << sortie.toStdString();
    QFile::remove(u'/' + sortie);
  }
  EXPECT_EQ(sorties, 3);
  EXPECT_EQ(erreurs, QStringLiteral("morvo-run: cannot write %1: %2\nmorvo-run: cannot write %3: %2\n")
                         .arg(png, raison, log))
      << erreurs.toStdString();
  EXPECT_EQ(relatif, 2);
  EXPECT_EQ(erreursProgramme, QStringLiteral("morvo-run: cannot read deep.dat: ") + raison + u'\n')
      << erreursProgramme.toStdString();
}

// A program file is named by the system's bytes, which need not be UTF-8; its folder's data files
// are found beside it.
TEST_F(RunnerTest, AProgramWhoseNameIsNotUtf8Runs) {
  ASSERT_TRUE(QDir(dossier()).mkdir(QStringLiteral("sous")));
  EcritProgramme("bonjour\r\n", QStringLiteral("sous/donnees.txt"));
  const QByteArray nom = QFile::encodeName(dossier()) + "/sous/caf\xe9.dat";
  // Qt cannot name the file to remove it with the folder.
  const auto retire = qScopeGuard([&nom] { ::unlink(nom.constData()); });
  {
    QFile f;
    const int fd = ::open(nom.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(f.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
    f.write("Open = donnees.txt\r\nLVar = %A\r\n");
  }
  QString erreurs;
  ASSERT_EQ(LanceShell(QStringLiteral("\"$R\" --log run.log \"sous/$(printf 'caf\\351.dat')\""), &erreurs), 0)
      << erreurs.toStdString();
  EXPECT_TRUE(LitOctets(QStringLiteral("run.log")).contains("var 1 %A \"bonjour\"\n"))
      << LitOctets(QStringLiteral("run.log")).constData();
  // An output's name is written through Qt, which cannot keep such bytes: it is refused.
  EXPECT_EQ(
      LanceShell(QStringLiteral("\"$R\" --png \"$(printf 'x\\351.png')\" \"sous/$(printf 'caf\\351.dat')\""),
                 &erreurs),
      1);
  EXPECT_TRUE(erreurs.startsWith(
      QStringLiteral("morvo-run: --png x\\xE9.png: an output's name must be valid UTF-8\n")))
      << erreurs.toStdString();
  EXPECT_EQ(QDir(dossier()).entryList({QStringLiteral("x*")}), QStringList());

  // In a folder whose name is not UTF-8, a command file beside the program is found by the
  // folder's own bytes, and the folder is shown escaped.
  const QByteArray dossierBrut = QFile::encodeName(dossier()) + "/l\xe9";
  ASSERT_EQ(::mkdir(dossierBrut.constData(), 0700), 0);
  const auto retireDossier = qScopeGuard([&dossierBrut] {
    for (const char* f : {"/p.dat", "/sub.dat", "/pts.txt", "/Plot_Offset.txt"})
      ::unlink((dossierBrut + f).constData());
    ::rmdir(dossierBrut.constData());
  });
  // Plot's offset file is made there too, by the folder's bytes.
  for (const auto& [f, contenu] :
       {std::pair{"/p.dat",
                  "Plot = pts, 1, 2, 0, 1, 0, 1, 0, , , , \xa7OFFSET\r\nFichier = sub.dat\r\nFichier = "
                  "absent.dat\r\n"},
        std::pair{"/sub.dat", "Cercle 50,50,20\r\n"}, std::pair{"/pts.txt", "1;2\r\n"}}) {
    QFile fichier;
    const int fd = ::open((dossierBrut + f).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(fichier.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
    fichier.write(contenu);
  }
  ASSERT_EQ(
      LanceShell(QStringLiteral("cd \"$(printf 'l\\351')\" && \"$R\" --log ../brut.log p.dat"), &erreurs), 4)
      << erreurs.toStdString();
  const QByteArray journal = LitOctets(QStringLiteral("brut.log"));
  EXPECT_TRUE(journal.contains("\ncircle ")) << journal.constData();
  EXPECT_TRUE(journal.contains("absent.dat : fichier non trouv")) << journal.constData();
  EXPECT_FALSE(journal.contains("sub.dat : fichier non trouv")) << journal.constData();
  EXPECT_TRUE(journal.contains("/l\\\\xE9/\\r\\n")) << journal.constData();
  QFile decale;
  const int fd = ::open((dossierBrut + "/Plot_Offset.txt").constData(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0) << erreurs.toStdString();
  ASSERT_TRUE(decale.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
  EXPECT_FALSE(decale.readAll().isEmpty());
}

// A file name holding control characters is shown escaped: one message, one line, and no escape
// sequence reaches the terminal.
TEST_F(RunnerTest, NamesInMessagesShowTheirControlCharactersEscaped) {
  const QString programme = EcritProgramme("%A = 1\r\n");
  const QString absent = QStringLiteral("a\nb\x1b[31mc\td.dat");
  Resultat r = Lance({absent});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.erreurs, QStringLiteral("morvo-run: cannot read a\\nb\\e[31mc\\td.dat: ") +
                           RaisonSysteme(ENOENT) + u'\n');
  const QString sortie = Chemin(QStringLiteral("no\ndir/x.png"));
  r = Lance({QStringLiteral("--png"), sortie, programme});
  EXPECT_EQ(r.code, 3);
  EXPECT_EQ(r.erreurs, QStringLiteral("morvo-run: cannot write ") + dossier() +
                           QStringLiteral("/no\\ndir/x.png: ") + RaisonSysteme(ENOENT) + u'\n');
}

// A killed print run leaves no provisional PDF behind in the temporary folder.
TEST_F(RunnerTest, AKilledPrintRunLeavesNoProvisionalFile) {
  QTemporaryDir temporaire;
  ASSERT_TRUE(temporaire.isValid());
  const QString signe = Chemin(QStringLiteral("signe.txt"));
  // The screen run ends; the print run (%Imp = 1) loops and leaves its sign.
  const QString programme = EcritProgramme(
      QStringLiteral("OPENA = %1\r\nPRINTA = run %Imp\r\nOPENA\r\nIF %Imp = 0 THEN GOTO FIN\r\nB:\r\n"
                     "Trait = 0, 0, 10, 10\r\nGOTO B\r\nFIN:\r\n")
          .arg(signe)
          .toUtf8());
  const QString pdf = Chemin(QStringLiteral("run.pdf"));
  QProcess processus;
  QProcessEnvironment environnement = EnvironnementDesRuns();
  environnement.insert(QStringLiteral("TMPDIR"), temporaire.path());
  processus.setProcessEnvironment(environnement);
  processus.start(QStringLiteral(MORVO_RUN_PATH), {QStringLiteral("--pdf"), pdf, programme});
  ASSERT_TRUE(processus.waitForStarted());
  QElapsedTimer attente;
  attente.start();
  const auto imprime = [&] {
    QFile f(signe);
    return f.open(QIODevice::ReadOnly) && f.readAll().contains("run 1");
  };
  while (!imprime() && attente.elapsed() < 60000) {
    if (processus.waitForFinished(20)) break;
  }
  ASSERT_TRUE(imprime());
  ASSERT_EQ(processus.state(), QProcess::Running);
  ::kill(static_cast<pid_t>(processus.processId()), SIGKILL);
  ASSERT_TRUE(processus.waitForFinished(30000));
  EXPECT_EQ(QDir(temporaire.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files | QDir::Hidden),
            QStringList());
  EXPECT_FALSE(QFile::exists(pdf));
}

}  // namespace
