// The checked writer on a full disk and under the file-size limit, and the system's reason.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <cerrno>
#include <clocale>
#include <cstring>

#include "FullDisk.h"
#include "platform/FileWriter.h"
#include "platform/OutputFiles.h"
#include "platform/SystemReasons.h"
#include "platform/WriteSignals.h"

namespace {

QByteArray Lit(const QString& chemin) {
  QFile f(chemin);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

void Ecrit(const QString& chemin, const QByteArray& octets) {
  QFile f(chemin);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(octets);
}

TEST(SystemReasonsTest, TheSystemsWordsAndWhatAFileIsNot) {
  for (const int code : {ENOENT, EACCES, ENOSPC, EFBIG, EXDEV})
    EXPECT_EQ(RaisonSysteme(code), QString::fromLocal8Bit(std::strerror(code)));
  EXPECT_EQ(RaisonNonOrdinaire(S_IFDIR), RaisonSysteme(EISDIR));
  EXPECT_EQ(RaisonNonOrdinaire(S_IFIFO), QStringLiteral("not a regular file (a FIFO or a pipe)"));
  EXPECT_EQ(RaisonNonOrdinaire(S_IFCHR), QStringLiteral("not a regular file (a device)"));
  EXPECT_EQ(RaisonNonOrdinaire(S_IFSOCK), QStringLiteral("not a regular file (a socket)"));
}

// A Qt file's or program's failure in the system's words: Qt's English for the commonest numbers,
// in French where that locale is there, and Qt's own checks (a folder, a file not to be written).
TEST(SystemReasonsTest, AQtFailureInTheSystemsWords) {
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  const QString lecture = dossier.filePath(QStringLiteral("absent.txt"));
  const QString seul = dossier.filePath(QStringLiteral("seul.txt"));
  Ecrit(seul, "x\n");
  ::chmod(QFile::encodeName(seul).constData(), 0444);
  const auto raison = [](QFileDevice&& f, QIODevice::OpenMode mode) {
    EXPECT_FALSE(f.open(mode)) << f.fileName().toStdString();
    return RaisonSysteme(f);
  };
  const std::string avant = std::setlocale(LC_ALL, nullptr);
  for (const char* langue : {"C.UTF-8", "fr_FR.UTF-8"}) {
    if (!std::setlocale(LC_ALL, langue)) continue;
    EXPECT_EQ(raison(QFile(lecture), QIODevice::ReadOnly), RaisonSysteme(ENOENT)) << langue;
    EXPECT_EQ(raison(QFile(dossier.path()), QIODevice::ReadOnly), RaisonSysteme(EISDIR)) << langue;
    EXPECT_EQ(raison(QSaveFile(dossier.path()), QIODevice::WriteOnly), RaisonSysteme(EISDIR)) << langue;
    if (::geteuid() != 0) {
      EXPECT_EQ(raison(QSaveFile(seul), QIODevice::WriteOnly), RaisonSysteme(EACCES)) << langue;
    }
    QProcess programme;
    programme.start(lecture, {});
    EXPECT_FALSE(programme.waitForStarted());
    EXPECT_TRUE(RaisonSysteme(programme).endsWith(QStringLiteral(": ") + RaisonSysteme(ENOENT))) << langue;
  }
  std::setlocale(LC_ALL, avant.c_str());
}

// A full disk: /dev/full by its name and through a descriptor, and a disk that fills up (a small
// tmpfs as root, the writer's fault hook otherwise). The old file stays byte for byte.
TEST(FileWriterTest, AFullDiskLeavesTheOldFileAndGivesTheReason) {
  const QString plein = RaisonSysteme(ENOSPC);
  QString raison;
  EXPECT_FALSE(EcritSortie(QStringLiteral("/dev/full"), "bytes\n", &raison));
  EXPECT_EQ(raison, plein);
  const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  raison.clear();
  EXPECT_FALSE(EcritSortie(QStringLiteral("/dev/fd/%1").arg(fd), "bytes\n", &raison));
  ::close(fd);
  EXPECT_EQ(raison, plein);

  DisquePlein disque;
  ASSERT_TRUE(disque.Valide());
  const QString entier = disque.Chemin(QStringLiteral("entier.txt"));
  const QString ajout = disque.Chemin(QStringLiteral("ajout.txt"));
  Ecrit(entier, "old\r\n");
  Ecrit(ajout, "old\r\n");
  disque.Remplit();
  const QByteArray grand(64 * 1024, 'x');
  raison.clear();
  EXPECT_FALSE(EcritFichier(entier, grand, &raison));
  EXPECT_TRUE(raison.contains(plein)) << raison.toStdString();
  EXPECT_EQ(Lit(entier), "old\r\n");
  AjoutOuvert f;
  ASSERT_TRUE(f.Ouvre(ajout));
  raison.clear();
  EXPECT_FALSE(f.Ajoute(grand + "\r\n", &raison));
  EXPECT_TRUE(raison.contains(plein)) << raison.toStdString();
  f.Ferme();
  EXPECT_EQ(Lit(ajout), "old\r\n");
}

// Under the file-size limit, in a child process that sets it: a whole file fails and the old one
// stays; an append that would cross the limit is never started, even while another descriptor holds
// the file open; through a descriptor only the whole lines that fit go in.
TEST(FileWriterTest, TheFileSizeLimitCutsNoLine) {
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  const QString entier = dossier.filePath(QStringLiteral("entier.txt"));
  const QString ajout = dossier.filePath(QStringLiteral("ajout.txt"));
  const QString flux = dossier.filePath(QStringLiteral("flux.txt"));
  const QString raisons = dossier.filePath(QStringLiteral("raisons.txt"));
  Ecrit(entier, "old\r\n");
  Ecrit(ajout, "old\r\n");
  Ecrit(flux, "old\n");
  QFile tenu(ajout);
  ASSERT_TRUE(tenu.open(QIODevice::ReadOnly));
  const pid_t enfant = ::fork();
  ASSERT_GE(enfant, 0);
  if (enfant == 0) {
    IgnoreLimiteTailleFichier();
    rlimit limite{};
    ::getrlimit(RLIMIT_FSIZE, &limite);
    limite.rlim_cur = 100;
    if (::setrlimit(RLIMIT_FSIZE, &limite) != 0) ::_exit(2);
    QString r1, r2, r3;
    const bool e1 = EcritFichier(entier, QByteArray(200, 'x'), &r1);
    AjoutOuvert f;
    const bool ouvert = f.Ouvre(ajout);
    const bool e2 =
        f.Ajoute(QByteArray(60, 'a') + "\r\n", &r2) && f.Ajoute(QByteArray(60, 'b') + "\r\n", &r2);
    f.Ferme();
    const int fd = ::open(QFile::encodeName(flux).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    const QByteArray lignes =
        QByteArray(40, 'c') + '\n' + QByteArray(40, 'd') + '\n' + QByteArray(40, 'e') + '\n';
    const bool e3 = EcritDansDescripteur(fd, lignes.constData(), lignes.size(), r3);
    ::close(fd);
    QFile sortie(raisons);
    if (!sortie.open(QIODevice::WriteOnly)) ::_exit(3);
    sortie.write((r1 + u'\n' + r2 + u'\n' + r3 + u'\n').toUtf8());
    sortie.close();
    ::_exit(!e1 && ouvert && !e2 && !e3 ? 0 : 1);
  }
  int statut = 0;
  ASSERT_EQ(::waitpid(enfant, &statut, 0), enfant);
  ASSERT_TRUE(WIFEXITED(statut));
  EXPECT_EQ(WEXITSTATUS(statut), 0);
  const QString trop = RaisonSysteme(EFBIG);
  const QList<QByteArray> dits = Lit(raisons).split('\n');
  ASSERT_GE(dits.size(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(QString::fromUtf8(dits[i]).contains(trop)) << dits[i].constData();
  EXPECT_FALSE(dits[1].contains("went into the file")) << dits[1].constData();
  EXPECT_EQ(Lit(entier), "old\r\n");
  EXPECT_EQ(Lit(ajout), "old\r\n" + QByteArray(60, 'a') + "\r\n");
  EXPECT_EQ(Lit(flux), "old\n" + QByteArray(40, 'c') + '\n' + QByteArray(40, 'd') + '\n');
}

}  // namespace
