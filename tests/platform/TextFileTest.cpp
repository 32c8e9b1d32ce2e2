#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/FileLookup.h"
#include "platform/FileNames.h"
#include "platform/FileWriter.h"
#include "platform/OutputFiles.h"
#include "platform/TextFile.h"

namespace {

QByteArray Octets(const QString& chemin) {
  QFile f(chemin);
  if (!f.open(QIODevice::ReadOnly)) return "(unreadable)";
  return f.readAll();
}

void Ecrit(const QString& chemin, const QByteArray& octets) {
  QFile f(chemin);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(octets);
}

}  // namespace

TEST(TextFile, Windows1252Table) {
  EXPECT_EQ(DecodeWindows1252("\x80\x81\x8A\x9F\xE9\xA7\xB0\x41"), QString::fromUtf8("€\u0081ŠŸé§°A"));
  EXPECT_EQ(DecodeWindows1252("\x8D\x8F\x90\x9D"), QString::fromUtf8("\u008D\u008F\u0090\u009D"));
  EXPECT_EQ(EncodeWindows1252(QString::fromUtf8("€é§°œ\u0090")), QByteArray("\x80\xE9\xA7\xB0\x9C\x90"));
  EXPECT_EQ(EncodeWindows1252(QString::fromUtf8("aΩ")), std::nullopt);
  EXPECT_EQ(EncodeWindows1252(QString(QChar(0x0100))), std::nullopt);
  QByteArray tous(256, '\0');
  for (int i = 0; i < 256; ++i) tous[i] = static_cast<char>(i);
  EXPECT_EQ(EncodeWindows1252(DecodeWindows1252(tous)), tous);
}

TEST(TextFile, DecodingAndLineEnds) {
  EXPECT_EQ(DecodeTexte("\xEF\xBB\xBF\xE2\x82\xAC x"), QString::fromUtf8("€ x"));
  EXPECT_EQ(DecodeTexte("\xC3\xA9t\xC3\xA9"), QString::fromUtf8("été"));
  EXPECT_EQ(DecodeTexte("\xE9t\xE9"), QString::fromUtf8("été"));
  EXPECT_EQ(DecodeTexte("\xC0\xAF"), QString::fromUtf8("À¯"));            // overlong form
  EXPECT_EQ(DecodeTexte("\xED\xA0\x80"), QString::fromUtf8("í\u00A0€"));  // surrogate
  EXPECT_EQ(DecodeTexte("a\xC3"), QString::fromUtf8("aÃ"));               // cut sequence
  EXPECT_EQ(DecodeTexte("\xF4\x90\x80\x80").size(), 4);                   // above U+10FFFF
  // The encoding is the whole file's: lines that are valid UTF-8 by accident read as Windows-1252.
  EXPECT_EQ(DecodeTexte("Fu\xDF\xB2\r\nCAF\xC9\xA0!\r\nTemp\xE9rature"),
            QString::fromUtf8("Fuß²\r\nCAFÉ\u00A0!\r\nTempérature"));

  EXPECT_EQ(NormaliseFinsDeLigne("a\rb\nc\r\nd"), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(NormaliseFinsDeLigne("\n\r"), "\r\n\r\n");
  EXPECT_EQ(NormaliseFinsDeLigne("\r\r\n"), "\r\n\r\n");
  EXPECT_EQ(DecoupeLignes("a\r\nb\nc\rd\r\n"), QStringList({"a", "b", "c", "d"}));
  EXPECT_EQ(DecoupeLignes("a\r\n\r\nb"), QStringList({"a", "", "b"}));
  EXPECT_EQ(DecoupeLignes("a\n\n"), QStringList({"a", ""}));
  EXPECT_EQ(DecoupeLignes(""), QStringList());
}

TEST(TextFile, FilesRoundTrip) {
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  const QString latin = dossier.filePath("latin.txt");
  ASSERT_TRUE(EcritFichierTexte(latin, QString::fromUtf8("Été 30°\nx")));
  EXPECT_EQ(Octets(latin), QByteArray("\xC9t\xE9 30\xB0\r\nx"));
  EXPECT_EQ(LitFichierTexte(latin), QString::fromUtf8("Été 30°\r\nx"));

  // In Windows-1252 "é§°" would be E9 A7 B0, valid UTF-8 for another character: written in UTF-8.
  const QString ambigu = dossier.filePath("ambigu.txt");
  ASSERT_TRUE(EcritFichierTexte(ambigu, QString::fromUtf8("é§°\n")));
  EXPECT_EQ(Octets(ambigu), QByteArray("\xC3\xA9\xC2\xA7\xC2\xB0\r\n"));
  EXPECT_EQ(LitFichierTexte(ambigu), QString::fromUtf8("é§°\r\n"));

  const QString ancien = dossier.filePath("ancien.txt");
  Ecrit(ancien, "Cote \xE9 \xA7\xB0\r\n");
  EXPECT_EQ(LitFichierTexte(ancien), QString::fromUtf8("Cote é §°\r\n"));

  const QString utf8 = dossier.filePath("utf8.txt");
  ASSERT_TRUE(EcritFichierTexte(utf8, QString::fromUtf8("€ Ω\rz\r\n")));
  EXPECT_EQ(Octets(utf8), QByteArray("\xE2\x82\xAC \xCE\xA9\r\nz\r\n"));
  EXPECT_EQ(LitFichierTexte(utf8), QString::fromUtf8("€ Ω\r\nz\r\n"));

  const QString melange = dossier.filePath("melange.txt");
  Ecrit(melange, "a\rb\nc\r\nd\xB0");
  EXPECT_EQ(LitFichierTexte(melange), QString::fromUtf8("a\r\nb\r\nc\r\nd°"));

  EXPECT_EQ(LitFichierTexte(dossier.filePath("absent.txt")), std::nullopt);
  QString erreur;
  EXPECT_FALSE(EcritFichierTexte(dossier.filePath("absent/x.txt"), "x", &erreur));
  EXPECT_FALSE(erreur.isEmpty());
  EXPECT_FALSE(QFile::exists(dossier.filePath("absent/x.txt")));

  // The replaced file leaves no temporary file behind.
  ASSERT_TRUE(EcritFichierTexte(latin, "nouveau"));
  EXPECT_EQ(Octets(latin), "nouveau");
  EXPECT_EQ(QDir(dossier.path()).entryList(QDir::Files).size(), 5);
}

TEST(TextFile, AFailedWriteKeepsTheOldFile) {
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  const QString chemin = dossier.filePath("garde.txt");
  ASSERT_TRUE(EcritFichierTexte(chemin, "ancien"));
  QString erreur;
  // root ignores folder permissions: only a flush that fails is tried then.
  if (geteuid() != 0) {
    QFile::setPermissions(dossier.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool ecrit = EcritFichierTexte(chemin, "nouveau", &erreur);
    QFile::setPermissions(dossier.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(ecrit);
    EXPECT_FALSE(erreur.isEmpty());
    EXPECT_EQ(Octets(chemin), "ancien");
  }
  DefinitPanneEcriture([](const QString&) { return true; });
  erreur.clear();
  const bool ecrit = EcritFichierTexte(chemin, "nouveau", &erreur);
  const bool ajoute = AjouteFichierTexte(chemin, "ajout", &erreur);
  DefinitPanneEcriture({});
  EXPECT_FALSE(ecrit);
  EXPECT_FALSE(ajoute);
  EXPECT_EQ(erreur, QString::fromLocal8Bit(std::strerror(ENOSPC)));
  EXPECT_EQ(Octets(chemin), "ancien");
  EXPECT_EQ(QDir(dossier.path()).entryList(QDir::Files), QStringList{"garde.txt"});
}

TEST(TextFile, AFileKeepsItsEncodingAndItsLineEnds) {
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  struct Cas {
    const char* nom;
    QByteArray octets;
  };
  const Cas cas[] = {
      {"utf8-lf.dat",
       "Texte 0,0,20\xC2\xB0"
       "C\n%A = 1\n"},
      {"bom-cr.dat",
       "\xEF\xBB\xBF"
       "a\xC3\xA9\rb\r"},
      {"latin-lf.dat", "caf\xE9\nx\n"},
      {"latin-crlf.dat", "caf\xE9\r\n"},
  };
  for (const Cas& c : cas) {
    const QString chemin = dossier.filePath(c.nom);
    Ecrit(chemin, c.octets);
    FormeTexte forme;
    const std::optional<QString> texte = LitFichierTexte(chemin, &forme);
    ASSERT_TRUE(texte.has_value());
    ASSERT_TRUE(EcritFichierTexte(chemin, *texte, nullptr, forme));
    EXPECT_EQ(Octets(chemin), c.octets) << c.nom;
  }
  // An append follows the file's line ends.
  ASSERT_TRUE(AjouteFichierTexte(dossier.filePath("latin-lf.dat"), "y\r\n"));
  EXPECT_EQ(Octets(dossier.filePath("latin-lf.dat")), QByteArray("caf\xE9\nx\ny\n"));
  // A file of plain ASCII keeps its line ends and writes "°" in Windows-1252.
  FormeTexte ascii = FormeDe("a\nb\n");
  ASSERT_TRUE(EcritFichierTexte(dossier.filePath("neuf.dat"), QString::fromUtf8("°\n"), nullptr, ascii));
  EXPECT_EQ(Octets(dossier.filePath("neuf.dat")), QByteArray("\xB0\n"));
  EXPECT_EQ(FormeDe("").finLigne, "\r\n");
  // A Windows-1252 text given a character Windows-1252 lacks, or whose bytes would all happen to
  // form UTF-8, is written in UTF-8 as a whole.
  const FormeTexte latin = FormeDe("caf\xE9\r\n");
  ASSERT_TRUE(EcritFichierTexte(dossier.filePath("neuf.dat"), QString::fromUtf8("café Ω\n"), nullptr, latin));
  EXPECT_EQ(Octets(dossier.filePath("neuf.dat")), QByteArray("caf\xC3\xA9 \xCE\xA9\r\n"));
  ASSERT_TRUE(EcritFichierTexte(dossier.filePath("neuf.dat"), QString::fromUtf8("Fuß²\n"), nullptr, latin));
  EXPECT_EQ(LitFichierTexte(dossier.filePath("neuf.dat")), QString::fromUtf8("Fuß²\r\n"));
}

TEST(TextFile, AppendingKeepsTheEncodingOfTheFile) {
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  const QString nouveau = dossier.filePath("nouveau.txt");
  ASSERT_TRUE(AjouteFichierTexte(nouveau, "a\n"));
  ASSERT_TRUE(AjouteFichierTexte(nouveau, QString::fromUtf8("é\r\n")));
  EXPECT_EQ(Octets(nouveau), QByteArray("a\r\n\xE9\r\n"));

  const QString utf8 = dossier.filePath("utf8.txt");
  Ecrit(utf8, "\xCE\xA9\r\n");
  ASSERT_TRUE(AjouteFichierTexte(utf8, QString::fromUtf8("é\r\n")));
  EXPECT_EQ(LitFichierTexte(utf8), QString::fromUtf8("Ω\r\né\r\n"));

  // "Ω" has no Windows-1252 code: its UTF-8 bytes would read as other characters in the Windows-1252
  // file, so it is refused with the reason and nothing is written.
  const QString latin = dossier.filePath("latin.txt");
  Ecrit(latin, "\xE9\r\n");
  QString raison;
  EXPECT_FALSE(AjouteFichierTexte(latin, QString::fromUtf8("a\r\nΩ\r\n"), &raison));
  EXPECT_TRUE(raison.contains(QStringLiteral("Windows-1252")) && raison.contains(QString::fromUtf8("Ω")))
      << raison.toStdString();
  EXPECT_EQ(Octets(latin), QByteArray("\xE9\r\n"));
  // A line whose Windows-1252 bytes happen to form UTF-8 ("é°§" is E9 B0 A7) goes in Windows-1252 as
  // any other, in a Windows-1252 file as in one that was ASCII until then: the file reads whole.
  ASSERT_TRUE(AjouteFichierTexte(latin, QString::fromUtf8("é°§\r\nà\r\n")));
  EXPECT_EQ(LitFichierTexte(latin), QString::fromUtf8("é\r\né°§\r\nà\r\n"));
  // On a last line with no line end the first added line reads back with it as one line.
  const QString ouverte = dossier.filePath("ouverte.txt");
  Ecrit(ouverte, "caf\xE9");
  ASSERT_TRUE(AjouteFichierTexte(ouverte, QString::fromUtf8("é°§\r\nà\r\n")));
  EXPECT_EQ(LitFichierTexte(ouverte), QString::fromUtf8("caféé°§\r\nà\r\n"));
  const QString ascii2 = dossier.filePath("ascii2.txt");
  Ecrit(ascii2, "a\r\n");
  ASSERT_TRUE(AjouteFichierTexte(ascii2, QString::fromUtf8("é°§\r\né\r\n")));
  EXPECT_EQ(LitFichierTexte(ascii2), QString::fromUtf8("a\r\né°§\r\né\r\n"));

  // "§°" in Windows-1252 after a final "é" would complete a UTF-8 sequence and make the whole file
  // read as UTF-8 ("abc駰"): refused, the file as it was; "§ °" leaves it Windows-1252.
  const QString coupe = dossier.filePath("coupe.txt");
  Ecrit(coupe, "abc\xE9");
  EXPECT_FALSE(AjouteFichierTexte(coupe, QString::fromUtf8("§°")));
  EXPECT_EQ(Octets(coupe), QByteArray("abc\xE9"));
  ASSERT_TRUE(AjouteFichierTexte(coupe, QString::fromUtf8("§ °")));
  EXPECT_EQ(LitFichierTexte(coupe), QString::fromUtf8("abcé§ °"));

  // An ASCII file takes Windows-1252, or UTF-8 when those bytes would read as UTF-8 ("Fuß²").
  const QString ascii = dossier.filePath("ascii.txt");
  Ecrit(ascii, "abc");
  ASSERT_TRUE(AjouteFichierTexte(ascii, QString::fromUtf8("é§°")));
  EXPECT_EQ(LitFichierTexte(ascii), QString::fromUtf8("abcé§°"));
  Ecrit(ascii, "abc\r\n");
  ASSERT_TRUE(AjouteFichierTexte(ascii, QString::fromUtf8("Fuß²\r\n")));
  ASSERT_TRUE(AjouteFichierTexte(ascii, QString::fromUtf8("Température\r\n")));
  EXPECT_EQ(Octets(ascii), QByteArray("abc\r\nFu\xC3\x9F\xC2\xB2\r\nTemp\xC3\xA9rature\r\n"));

  EXPECT_FALSE(AjouteFichierTexte(dossier.filePath("absent/x.txt"), "x"));

  // A FIFO put where the file was is refused at once; the thread only frees a blocked append.
  const QString tube = dossier.filePath("tube.txt");
  ASSERT_EQ(::mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
  std::thread liberateur([&] {
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const int fd = ::open(QFile::encodeName(tube).constData(), O_RDONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  });
  const auto debut = std::chrono::steady_clock::now();
  EXPECT_FALSE(AjouteFichier(tube, "x"));
  EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(1));
  liberateur.join();
}

// An append adds its bytes at the end and writes nothing of the file again, whatever its size: its
// encoding is told from a bounded part of it.
TEST(TextFile, AnAppendLeavesTheFileAsItIsAndReadsABoundedPart) {
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  // Windows-1252 with mixed line ends, which a file written again would lose.
  const QByteArray ancien("caf\xE9\r\nx\ny\rz\r\n");
  const QString une = dossier.filePath("une.txt");
  Ecrit(une, ancien);
  ASSERT_TRUE(AjouteFichierTexte(une, QString::fromUtf8("° flèche\r\n")));
  EXPECT_EQ(Octets(une), ancien +
                             "\xB0 fl\xE8"
                             "che\r\n");
  const QString ouvert = dossier.filePath("ouvert.txt");
  Ecrit(ouvert, ancien);
  FichierTexteEnAjout ajout;
  ASSERT_TRUE(ajout.Ouvre(ouvert));
  ASSERT_TRUE(ajout.AjouteLigne(QString::fromUtf8("° flèche")));
  EXPECT_FALSE(ajout.AjouteLigne(QString::fromUtf8("→")));
  ASSERT_TRUE(ajout.AjouteLigne(QString::fromUtf8("été")));
  ASSERT_TRUE(ajout.Ferme());
  EXPECT_EQ(Octets(ouvert), ancien +
                                "\xB0 fl\xE8"
                                "che\r\n\xE9t\xE9\r\n");

  // A large file: what the append reads (/proc/self/io) does not grow with it.
  const auto lus = [] {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) return qint64{-1};
    for (const QByteArray& ligne : io.readAll().split('\n')) {
      if (ligne.startsWith("rchar:")) return ligne.mid(6).trimmed().toLongLong();
    }
    return qint64{-1};
  };
  if (lus() < 0) GTEST_SKIP() << "the system does not tell what a process reads";
  const QString grand = dossier.filePath("grand.txt");
  {
    QFile f(grand);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray ligne = QByteArray("Cote \xE9 ").repeated(12) + "\r\n";
    const QByteArray bloc = ligne.repeated(1024 * 1024 / ligne.size());
    for (int i = 0; i < 32; ++i) ASSERT_EQ(f.write(bloc), bloc.size());
  }
  const qint64 taille = QFileInfo(grand).size();
  qint64 avant = lus();
  ASSERT_TRUE(AjouteFichierTexte(grand, QString::fromUtf8("°\r\n")));
  EXPECT_LT(lus() - avant, 1024 * 1024);
  avant = lus();
  ASSERT_TRUE(ajout.Ouvre(grand));
  ASSERT_TRUE(ajout.AjouteLigne(QString::fromUtf8("°")));
  ASSERT_TRUE(ajout.Ferme());
  EXPECT_LT(lus() - avant, 1024 * 1024);
  QFile f(grand);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  ASSERT_TRUE(f.seek(taille - 4));
  EXPECT_EQ(f.readAll(), QByteArray("\xE9 \r\n\xB0\r\n\xB0\r\n"));

  // Plain ASCII at both ends says nothing of the middle: the whole file is read to tell, and a
  // Windows-1252 middle takes "°" in Windows-1252.
  const QByteArray ascii = QByteArray(1024 * 1024, 'a') + "\r\n";
  Ecrit(grand, ascii + "caf\xE9\r\n" + ascii);
  ASSERT_TRUE(AjouteFichierTexte(grand, QString::fromUtf8("°\r\n")));
  EXPECT_TRUE(Octets(grand).endsWith("a\r\n\xB0\r\n"));
}

TEST(TextFile, AFolderADeviceOrAFifoIsNeverReplaced) {
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  const auto nom = [&](const char* n) { return QFile::encodeName(dossier.filePath(n)); };
  const auto genre = [](const QByteArray& chemin) {
    struct stat etat {};
    return ::stat(chemin.constData(), &etat) == 0 ? etat.st_mode & S_IFMT : 0;
  };
  ASSERT_EQ(::mkfifo(nom("tube").constData(), 0600), 0);
  ASSERT_EQ(::symlink(nom("tube").constData(), nom("lien-tube").constData()), 0);
  ASSERT_TRUE(QDir(dossier.path()).mkdir("dossier"));
  // Only root can make a device node.
  const bool peripherique = ::mknod(nom("nul").constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  struct Cas {
    const char* nom;
    mode_t genre;
    int raison;
  };
  const Cas cas[] = {{"tube", S_IFIFO, EINVAL},
                     {"lien-tube", S_IFIFO, EINVAL},
                     {"dossier", S_IFDIR, EISDIR},
                     {"nul", S_IFCHR, EINVAL}};
  for (const Cas& c : cas) {
    if (c.genre == S_IFCHR && !peripherique) continue;
    const QString chemin = dossier.filePath(c.nom);
    QString erreur;
    EXPECT_FALSE(EcritFichierTexte(chemin, "x", &erreur)) << c.nom;
    EXPECT_EQ(erreur, QString::fromLocal8Bit(std::strerror(c.raison))) << c.nom;
    EXPECT_FALSE(AjouteFichierTexte(chemin, "x")) << c.nom;
    // An output asked for on a command line goes into a device; a FIFO that nobody reads fails
    // at once.
    const auto debut = std::chrono::steady_clock::now();
    EXPECT_EQ(EcritSortie(chemin, "x", &erreur), c.genre == S_IFCHR) << c.nom;
    EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(1));
    if (c.genre == S_IFIFO) {
      EXPECT_TRUE(erreur.startsWith(QString::fromLocal8Bit(std::strerror(ENXIO)))) << c.nom;
    }
    EXPECT_EQ(genre(QFile::encodeName(chemin)), c.genre) << c.nom;
  }
  // With a reader, the bytes go through the FIFO.
  const int lecteur = ::open(nom("tube").constData(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(lecteur, 0);
  ASSERT_TRUE(EcritSortie(dossier.filePath("lien-tube"), "par le tube"));
  char lu[32] = {};
  EXPECT_EQ(::read(lecteur, lu, sizeof lu), 11);
  EXPECT_STREQ(lu, "par le tube");
  ::close(lecteur);
  EXPECT_EQ(genre(nom("tube")), S_IFIFO);
  // A link to a regular file stays a link, and the file it points to is written.
  Ecrit(dossier.filePath("cible.txt"), "ancien");
  ASSERT_EQ(::symlink("cible.txt", nom("lien.txt").constData()), 0);
  ASSERT_TRUE(EcritFichierTexte(dossier.filePath("lien.txt"), "nouveau"));
  EXPECT_EQ(QFileInfo(dossier.filePath("lien.txt")).symLinkTarget(), dossier.filePath("cible.txt"));
  EXPECT_EQ(Octets(dossier.filePath("cible.txt")), "nouveau");
}

TEST(TextFile, NamesWhateverTheirCase) {
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  Ecrit(dossier.filePath("Morvo.CFG"), "x");
  Ecrit(dossier.filePath(QString::fromUtf8("Été.txt")), "x");
  QDir(dossier.path()).mkdir("morvo.cfg.d");
  EXPECT_EQ(TrouveSansCasse(dossier.path(), "morvo.cfg"), dossier.filePath("Morvo.CFG"));
  EXPECT_EQ(TrouveSansCasse(dossier.path(), "Morvo.CFG"), dossier.filePath("Morvo.CFG"));
  EXPECT_EQ(TrouveSansCasse(dossier.path(), QString::fromUtf8("éTÉ.TXT")),
            dossier.filePath(QString::fromUtf8("Été.txt")));
  EXPECT_EQ(TrouveSansCasse(dossier.path(), "MORVO.CFG.D"), "");
  EXPECT_EQ(TrouveSansCasse(dossier.path(), "absent.cfg"), "");
  EXPECT_EQ(TrouveSansCasse(dossier.filePath("nulle part"), "x"), "");
}

// Line by line the reader cuts and decodes as the whole-file reader does, also where a line end
// falls on the edge of a piece it reads.
TEST(TextFile, LecteurLignesReadsLikeTheWholeFile) {
  QTemporaryDir d;
  const QString chemin = d.filePath(QStringLiteral("l.txt"));
  const QByteArray long1(64 * 1024 - 1, 'a');
  for (const QByteArray& octets :
       {QByteArray("\xEF\xBB\xBFun\r\ndeux\nr\xC3\xA9\rquatre\r\n\r\n"), long1 + "\r\nb", long1 + "\rb\r",
        long1 + "a\nb\n\n", QByteArray("caf\xE9"), QByteArray(),
        // Windows-1252 throughout, though the first lines (and the start of the third) are UTF-8
        QByteArray("Fu\xDF\xB2\r\nCAF\xC9\xA0!\r\n\xEF\xBB\xBFTemp\xE9rature\r\n") + long1 + "\xE9\r\n"}) {
    Ecrit(chemin, octets);
    LecteurLignes lecteur;
    ASSERT_TRUE(lecteur.Ouvre(chemin));
    QStringList lues;
    while (!lecteur.Fin()) lues << lecteur.Suivante();
    EXPECT_EQ(lues, DecoupeLignes(*LitFichierTexte(chemin))) << octets.left(20).toStdString();
  }
  Ecrit(chemin, "Fu\xDF\xB2\r\nCAF\xC9\xA0!\r\n" + long1 + "\xE9\r\n");
  LecteurLignes lecteur;
  ASSERT_TRUE(lecteur.Ouvre(chemin));
  EXPECT_EQ(lecteur.Suivante(), QString::fromUtf8("Fuß²"));
  EXPECT_EQ(lecteur.Suivante(), QString::fromUtf8("CAFÉ\u00A0!"));
  EXPECT_FALSE(LecteurLignes().Ouvre(d.path()));
}

// A file that grows while it is read (another program appends to it) reads its new lines as the
// whole file now reads: a line that is not UTF-8 is Windows-1252, a line of a UTF-8 file that is
// valid UTF-8 stays UTF-8, and an ASCII file that took a Windows-1252 line is Windows-1252 throughout.
TEST(TextFile, LecteurLignesReadsTheLinesAddedAfterItOpened) {
  QTemporaryDir d;
  const QString chemin = d.filePath(QStringLiteral("mesures.txt"));
  const auto ajoute = [&chemin](const QByteArray& octets) {
    QFile f(chemin);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(octets);
  };
  const struct {
    QByteArray debut;
    QString premiere;
    QByteArray ajout;
    QStringList suite;
  } cas[] = {
      {"mesure 1\r\n",
       "mesure 1",
       "mesure 2 \xB0\x43\r\nFu\xDF\xB2\r\n",
       {QString::fromUtf8("mesure 2 °C"), QString::fromUtf8("Fuß²")}},
      {"mesure 1 \xC2\xB0\x43\r\n",
       QString::fromUtf8("mesure 1 °C"),
       "mesure 2 \xB0\x43\r\nmesure 3 \xC2\xB0\x43\r\n",
       {QString::fromUtf8("mesure 2 °C"), QString::fromUtf8("mesure 3 °C")}},
      {"mesure 1\r\n", "mesure 1", "mesure 2 \xC2\xB0\x43\r\n", {QString::fromUtf8("mesure 2 °C")}},
      {"mesure 1 \xB0\x43\r\n",
       QString::fromUtf8("mesure 1 °C"),
       "mesure 2 \xC2\xB0\x43\r\n",
       {QString::fromUtf8("mesure 2 Â°C")}},
  };
  for (const auto& c : cas) {
    Ecrit(chemin, c.debut);
    LecteurLignes lecteur;
    ASSERT_TRUE(lecteur.Ouvre(chemin));
    EXPECT_EQ(lecteur.Suivante(), c.premiere);
    ajoute(c.ajout);
    QStringList lues;
    while (!lecteur.Fin()) lues << lecteur.Suivante();
    EXPECT_EQ(lues, c.suite) << c.ajout.toStdString();
  }
}

// Another user's link in a shared sticky folder (such as /tmp) is not followed, whatever the
// system's own protection says; a link of the user's own, or of the folder's owner, is.
TEST(TextFile, ALinkPlantedByAnotherUserInASharedFolderIsNotFollowed) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give a link to another user";
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  const QString partage = dossier.filePath("partage");
  ASSERT_TRUE(QDir(dossier.path()).mkdir("partage"));
  ASSERT_EQ(::chmod(QFile::encodeName(partage).constData(), 01777), 0);
  const QString these = dossier.filePath("these.txt");
  Ecrit(these, "my thesis");
  const uid_t autre = 54321;
  const auto plante = [&](const QString& nom, const QString& cible, uid_t proprietaire) {
    const QString lien = partage + "/" + nom;
    EXPECT_EQ(::symlink(QFile::encodeName(cible).constData(), QFile::encodeName(lien).constData()), 0);
    EXPECT_EQ(::lchown(QFile::encodeName(lien).constData(), proprietaire, static_cast<gid_t>(-1)), 0);
    return lien;
  };

  const QString lien = plante("run.log", these, autre);
  QString erreur;
  EXPECT_FALSE(EcritFichier(lien, "overwritten", &erreur));
  EXPECT_TRUE(erreur.contains(QString::fromLocal8Bit(std::strerror(EACCES)))) << erreur.toStdString();
  EXPECT_FALSE(EcritSortie(lien, "overwritten"));
  EXPECT_FALSE(AjouteFichierTexte(lien, "appended"));
  FichierTexteEnAjout ajout;
  EXPECT_FALSE(ajout.Ouvre(lien));
  SortieProgressive sortie(lien);
  sortie.Ecrit("overwritten", 11);
  EXPECT_FALSE(sortie.Termine());
  EXPECT_EQ(Octets(these), "my thesis");
  EXPECT_TRUE(QFileInfo(lien).isSymLink());

  // A dangling link makes no file at its target either; a folder reached through such a link is
  // refused the same way.
  const QString nouveau = dossier.filePath("nouveau.txt");
  EXPECT_FALSE(EcritFichierTexte(plante("pendant.txt", nouveau, autre), "x"));
  EXPECT_FALSE(QFile::exists(nouveau));
  EXPECT_FALSE(EcritFichier(plante("dossier", dossier.path(), autre) + "/these.txt", "x"));
  EXPECT_EQ(Octets(these), "my thesis");

  // The user's own link is written through, and so is one of the folder's owner.
  EXPECT_TRUE(EcritFichier(plante("mien.txt", these, ::geteuid()), "mine", &erreur)) << erreur.toStdString();
  EXPECT_EQ(Octets(these), "mine");
  ASSERT_EQ(::chown(QFile::encodeName(partage).constData(), autre, static_cast<gid_t>(-1)), 0);
  EXPECT_TRUE(EcritFichier(plante("proprietaire.txt", these, autre), "owner's", &erreur))
      << erreur.toStdString();
  EXPECT_EQ(Octets(these), "owner's");
  // Outside a sticky folder that all may write to, anybody's link is followed.
  ASSERT_EQ(::chmod(QFile::encodeName(partage).constData(), 0777), 0);
  ASSERT_EQ(::chown(QFile::encodeName(partage).constData(), 0, static_cast<gid_t>(-1)), 0);
  EXPECT_TRUE(EcritFichier(lien, "plain folder", &erreur)) << erreur.toStdString();
  EXPECT_EQ(Octets(these), "plain folder");
}

// A file that another user left (mode 0666 in /tmp) and that we write over becomes ours with the
// mode a new file gets: that user can no longer write into what we wrote. A file of our own keeps
// its mode.
TEST(TextFile, AReplacedFileKeepsItsModeOnlyWhenItWasOurs) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  const mode_t masque = ::umask(022);
  ::umask(masque);
  const auto mode = [](const QString& chemin) {
    struct stat etat {};
    return ::stat(QFile::encodeName(chemin).constData(), &etat) == 0 ? etat.st_mode & 07777 : 0;
  };
  const auto proprietaire = [](const QString& chemin) {
    struct stat etat {};
    return ::stat(QFile::encodeName(chemin).constData(), &etat) == 0 ? etat.st_uid : uid_t{12345};
  };
  const uid_t autre = 54321;
  const QString plante = dossier.filePath("plante.txt");
  const QString journal = dossier.filePath("journal.log");
  for (const QString& chemin : {plante, journal}) {
    Ecrit(chemin, "theirs");
    ASSERT_EQ(::chown(QFile::encodeName(chemin).constData(), autre, static_cast<gid_t>(-1)), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(chemin).constData(), 0666), 0);
  }
  QString erreur;
  ASSERT_TRUE(EcritFichier(plante, "ours", &erreur)) << erreur.toStdString();
  SortieProgressive sortie(journal);
  sortie.Ecrit("ours", 4);
  ASSERT_TRUE(sortie.Termine(&erreur)) << erreur.toStdString();
  for (const QString& chemin : {plante, journal}) {
    EXPECT_EQ(Octets(chemin), "ours");
    EXPECT_EQ(proprietaire(chemin), ::geteuid());
    EXPECT_EQ(mode(chemin), 0666 & ~masque) << chemin.toStdString();
  }

  const QString mien = dossier.filePath("mien.txt");
  Ecrit(mien, "mine");
  ASSERT_EQ(::chmod(QFile::encodeName(mien).constData(), 0604), 0);
  ASSERT_TRUE(EcritFichier(mien, "still mine"));
  EXPECT_EQ(mode(mien), 0604u);
}

// The append file is synced when it closes: a failure then says why, as a failed write does.
TEST(TextFile, ClosingAnAppendFileTellsAFailedFlush) {
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  const QString chemin = dossier.filePath("ajout.txt");
  FichierTexteEnAjout ajout;
  ASSERT_TRUE(ajout.Ouvre(chemin));
  ASSERT_TRUE(ajout.AjouteLigne("one"));
  DefinitPanneEcriture([](const QString&) { return true; });
  QString erreur;
  const bool ferme = ajout.Ferme(&erreur);
  DefinitPanneEcriture({});
  EXPECT_FALSE(ferme);
  EXPECT_EQ(erreur, RaisonSysteme(ENOSPC));
  EXPECT_FALSE(ajout.EstOuvert());
  ASSERT_TRUE(ajout.Ouvre(chemin));
  EXPECT_TRUE(ajout.Ferme(&erreur));
}

// A name keeps the system's bytes through its text, whatever they are, and shows them in one line.
TEST(TextFile, NamesKeepTheirBytesAndShowInOneLine) {
  const QByteArray noms[] = {
      "caf\xc3\xa9.dat",
      "caf\xe9.dat",
      "\xc0\xaf",
      "\xed\xa0\x80",
      "\xf4\x90\x80\x80",
      "\xe2\x82",
      "\xf0\x9f\x98\x80\xff",
      "a\xed\xb2\x80"
      "b",
  };
  for (const QByteArray& nom : noms) EXPECT_EQ(OctetsDuNom(TexteDuNom(nom)), nom) << nom.toHex().constData();
  EXPECT_EQ(TexteDuNom("caf\xc3\xa9"), QStringLiteral("café"));
  EXPECT_FALSE(NomNonUtf8(TexteDuNom("caf\xc3\xa9\xf0\x9f\x98\x80")));
  EXPECT_TRUE(NomNonUtf8(TexteDuNom("caf\xe9")));
  EXPECT_EQ(NomLisible(TexteDuNom("a\nb\tc\rd\x1b[2Je\x7f\xe9\xc2\x9b\xe2\x80\xae.dat")),
            QStringLiteral("a\\nb\\tc\\rd\\e[2Je\\x7F\\xE9\\u009B\\u202E.dat"));
  EXPECT_EQ(NomLisible(QStringLiteral("/tmp/Mon Fichier é\\x.dat")),
            QStringLiteral("/tmp/Mon Fichier é\\x.dat"));
}
