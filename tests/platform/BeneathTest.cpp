// Opening beneath a folder: the walk that stands in for the kernel's call gives the kernel's
// answers, name for name and flag for flag.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/Beneath.h"
#include "platform/Descriptors.h"

namespace {

// The kernel's call itself, tried again while a rename anywhere on the system makes it ask to.
int Openat2(int dossier, const char* nom, int drapeaux) {
  open_how comment{};
  comment.flags = static_cast<quint64>(drapeaux | O_CLOEXEC);
  comment.mode = (drapeaux & O_CREAT) != 0 ? 0666 : 0;
  comment.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
  long fd;
  int essais = 0;
  do {
    fd = ::syscall(SYS_openat2, dossier, nom, &comment, sizeof comment);
  } while (fd < 0 && errno == EAGAIN && ++essais < 64);
  return static_cast<int>(fd);
}

// A folder with files, folders, a FIFO and links of every kind beside one outside it.
void Arbre(const QByteArray& racine) {
  ASSERT_EQ(::mkdir(racine.constData(), 0700), 0);
  ASSERT_EQ(::mkdir((racine + "/R").constData(), 0700), 0);
  ASSERT_EQ(::mkdir((racine + "/O").constData(), 0700), 0);
  const QByteArray r = racine + "/R/";
  for (const char* fichier : {"f", "d/g"}) {
    if (std::strchr(fichier, '/')) {
      ASSERT_EQ(::mkdir((r + "d").constData(), 0700), 0);
    }
    const int fd = ::open((r + fichier).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
  }
  ASSERT_EQ(::mkfifo((r + "p").constData(), 0600), 0);
  const std::pair<const char*, const char*> liens[] = {{"lf", "f"},        {"ld", "d"},
                                                       {"lup", "../R/f"},  {"labs", "/etc/passwd"},
                                                       {"lout", "../O/x"}, {"ldang", "neuf"},
                                                       {"lloop", "lloop"}, {"d/lback", "../f"},
                                                       {"lchaine", "lf"},  {"lproc", "/proc/self/fd/0"}};
  for (const auto& [nom, cible] : liens) ASSERT_EQ(::symlink(cible, (r + nom).constData()), 0) << nom;
}

// What an open gave: the name it reached inside the tree, or the error.
std::string Issue(int fd, const QByteArray& racine) {
  if (fd < 0) return std::string("errno ") + std::strerror(errno);
  const Descripteur d(fd);
  char nom[4096];
  const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), nom, sizeof nom - 1);
  if (n < 0) return "unnamed";
  std::string chemin(nom, static_cast<size_t>(n));
  return chemin.starts_with(racine.toStdString()) ? chemin.substr(static_cast<size_t>(racine.size()))
                                                  : "outside: " + chemin;
}

TEST(BeneathTest, TheWalkAnswersAsTheKernelOnTheSameNamesAndFlags) {
  {
    const int essai = Openat2(AT_FDCWD, ".", O_PATH | O_DIRECTORY);
    if (essai < 0 && (errno == ENOSYS || errno == EPERM)) GTEST_SKIP() << "the kernel lacks openat2";
    if (essai >= 0) ::close(essai);
  }
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  const QByteArray base = QFile::encodeName(dossier.path());
  const char* noms[] = {"f",        "d",       "d/",    "d/g",         "d/./g", "d//g",   "d/../f",
                        "./f",      "../R/f",  "..",    "/etc/passwd", "lf",    "lf/",    "ld",
                        "ld/g",     "ld/",     "lup",   "labs",        "lout",  "ldang",  "lloop",
                        "d/lback",  "lchaine", "lproc", "f/",          "f/x",   "absent", "d/absent",
                        "absent/x", "p",       "",      "d/.."};
  const int drapeaux[] = {O_RDONLY | O_NONBLOCK,
                          O_PATH,
                          O_PATH | O_NOFOLLOW,
                          O_PATH | O_DIRECTORY,
                          O_RDONLY | O_DIRECTORY | O_NONBLOCK,
                          O_WRONLY | O_NOFOLLOW | O_NONBLOCK,
                          O_WRONLY | O_CREAT | O_NONBLOCK,
                          O_WRONLY | O_CREAT | O_EXCL,
                          O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK};
  int cas = 0;
  int alike = 0;
  for (const char* nom : noms) {
    // Each way in a tree of its own, made anew after an open that may make a file.
    QByteArray racines[2];
    for (const int d : drapeaux) {
      std::string issue[2];
      for (int voie = 0; voie < 2; ++voie) {
        if (racines[voie].isEmpty() || (d & O_CREAT) != 0) {
          racines[voie] = base + '/' + QByteArray::number(cas) + (voie == 0 ? "k" : "w");
          Arbre(racines[voie]);
        }
        const Descripteur r(::open((racines[voie] + "/R").constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        ASSERT_TRUE(r.Valide());
        const int fd = voie == 0 ? Openat2(r.fd(), nom, d) : ParcourtSousDossier(r.fd(), nom, d);
        issue[voie] = Issue(fd, racines[voie]);
      }
      EXPECT_EQ(issue[1], issue[0]) << "\"" << nom << "\" flags " << std::oct << d;
      alike += issue[1] == issue[0];
      ++cas;
    }
  }
  EXPECT_EQ(alike, cas);
}

// A folder moved out of the folder while the walk goes through it takes no file: the walk refuses
// at its end, as the kernel's call does.
TEST(BeneathTest, AFolderMovedOutDuringTheWalkIsRefused) {
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  const QByteArray base = QFile::encodeName(dossier.path());
  for (const char* sous : {"/R", "/R/sub", "/O"}) ASSERT_EQ(::mkdir((base + sous).constData(), 0700), 0);
  const Descripteur r(::open((base + "/R").constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  ASSERT_TRUE(r.Valide());
  int etapes = 0;
  DefinitEtapeParcours([&] {
    // Once "sub" is entered, before its file is opened.
    if (++etapes == 2) {
      ASSERT_EQ(::rename((base + "/R/sub").constData(), (base + "/O/sub").constData()), 0);
    }
  });
  const int fd = ParcourtSousDossier(r.fd(), "sub/f", O_WRONLY | O_CREAT | O_NONBLOCK);
  const int code = errno;
  DefinitEtapeParcours(nullptr);
  EXPECT_EQ(fd, -1);
  EXPECT_EQ(code, EXDEV) << std::strerror(code);
  EXPECT_FALSE(QFile::exists(QFile::decodeName(base + "/O/sub/f")));
  if (fd >= 0) ::close(fd);
  // Back in place, the same walk makes the file.
  ASSERT_EQ(::rename((base + "/O/sub").constData(), (base + "/R/sub").constData()), 0);
  const Descripteur fait(ParcourtSousDossier(r.fd(), "sub/f", O_WRONLY | O_CREAT | O_NONBLOCK));
  EXPECT_TRUE(fait.Valide()) << std::strerror(errno);
  EXPECT_TRUE(QFile::exists(QFile::decodeName(base + "/R/sub/f")));
}

}  // namespace
