// Command files and external commands run as nested levels: values handed over, origins, scopes,
// the depth limit, errors inside a file, the header request and scrambled ".dag" files.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <chrono>
#include <thread>

#include "RunFixture.h"
#include "interpreter/CommandFiles.h"
#include "interpreter/Scrambling.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "platform/SystemReasons.h"
#include "platform/TextFile.h"

using namespace legacy;

namespace {

const QString CRLF = QStringLiteral("\r\n");
constexpr uint32_t Rouge = 255;

class CommandFilesTest : public RunFixture {
 protected:
  void SetUp() override {
    RunFixture::SetUp();
    ASSERT_TRUE(dossier_.isValid());
    OuvreDans(dossier_.path());
  }

  QString Chemin(const QString& nom) const { return dossier_.path() + QStringLiteral("/") + nom; }
  void Ecrit(const QString& nom, const QStringList& lignes) {
    ASSERT_TRUE(EcritFichierTexte(Chemin(nom), lignes.join(CRLF)));
  }
  void EcritDag(const QString& nom, const QStringList& lignes) {
    QFile f(Chemin(nom));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(CodeFicExterne(lignes.join(CRLF)));
  }
  // The lines the program drew in the last run (not the axes drawn at its end).
  std::vector<Primitive> Lignes() {
    std::vector<Primitive> l;
    for (const Primitive& p : Primitives()) {
      if (p.Type == Primitive::Genre::Cls) l.clear();
      if (p.Type == Primitive::Genre::Ligne && p.Mode == 13) l.push_back(p);
    }
    return l;
  }
  static QString Limite(int numero) {
    return Replace(TexteMsg(numero), QStringLiteral("%1"), QStringLiteral("5"));
  }

  QTemporaryDir dossier_;
};

TEST_F(CommandFilesTest, ValuesHandedToTheFile) {
  Ecrit("val.dat", {"%a = 1", "%b = 2", "STOPARG", "%c = 3", "%d = 4", "%IRE$#0A = %a", "%IRE$#0B = %b",
                    "%IRE$#0C = %c", "%IRE$#0D = %d"});
  // The caller's values win over the file's defaults until STOPARG; an empty field leaves its slot
  // to the file's default.
  Run(QStringList{"Fichier = val.dat, 0, 0, 10, , 30, 40"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(0, "%A"), "10");
  EXPECT_EQ(Var(0, "%B"), "2");
  EXPECT_EQ(Var(0, "%C"), "3");
  EXPECT_EQ(Var(0, "%D"), "4");

  // Named values: "<%" copies the caller's stored text; the file's own line does not replace it.
  Ecrit("nom.dat", {"%z = 0", "%r = 1", "%IRE$#0R = %r", "%IRE$#0Z = %z"});
  Run(QStringList{"%rayon = 5+1", "Fichier = nom.dat, 0, 0, %r=<%rayon"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(0, "%R"), "5+1");
  EXPECT_EQ(Var(0, "%Z"), "0");

  // "%%" hands over every variable of the caller; the next plain value replaces slot 1.
  Ecrit("tout.dat", {"%k = 0", "%m = 0", "%IRE$#0K = %k", "%IRE$#0M = %m"});
  Run(QStringList{"%k = 7", "%m = 8", "Fichier = tout.dat, 0, 0, %%, 9"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(0, "%K"), "9");
  EXPECT_EQ(Var(0, "%M"), "8");

  // A "<%" reference to a variable the caller does not hold is an error of the calling line.
  Run(QStringList{"Fichier = nom.dat, 0, 0, %r=<%absente"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains(QStringLiteral("%absente : non initialisée")))
      << Messages()[0].texte.toStdString();
  EXPECT_EQ(TexteRouge(), QStringLiteral("Fichier = nom.dat, 0, 0, %r=<%absente"));
}

// A file's level has 64 variable slots: more values handed to it than that is the run error its
// own 65th variable is, with the same reason.
TEST_F(CommandFilesTest, ValuesBeyondTheSlotsOfTheFileSaySo) {
  QStringList positions, noms;
  for (int i = 1; i <= 65; ++i) {
    positions << QString::number(i);
    noms << QStringLiteral("%v%1=%1").arg(i);
  }
  Ecrit("vide.dat", {"%a = 1"});
  Ecrit("relais.dat", {"Fichier = vide.dat, 0, 0, %%, %w=1"});
  const QString raison = QStringLiteral("64 variables au plus / at most 64 variables");
  for (const QString& appel :
       {QStringLiteral("Fichier = vide.dat, 0, 0, ") + positions.join(QStringLiteral(", ")),
        QStringLiteral("Fichier = vide.dat, 0, 0, ") + noms.join(QStringLiteral(", ")),
        QStringLiteral("Fichier = relais.dat, 0, 0, ") +
            QStringList(noms.mid(0, 64)).join(QStringLiteral(", "))}) {
    SCOPED_TRACE(appel.left(40).toStdString());
    const size_t avant = Messages().size();
    Run(QStringList{appel});
    ASSERT_EQ(Messages().size(), avant + 1);
    EXPECT_TRUE(Messages().back().texte.contains(raison)) << Messages().back().texte.toStdString();
  }
}

TEST_F(CommandFilesTest, OriginAndCallerStateAroundTheFile) {
  Ecrit("t.dat", {"Couleur = Bleu", "EpaisT = 4", "CT = 1, 1, N", "Trait = 0, 0, 10, 0"});
  Run(QStringList{"Couleur = Rouge", "Trait = 20, 30, 30, 30"});
  const std::vector<Primitive> directe = Lignes();
  ASSERT_EQ(directe.size(), 1u);

  Run(QStringList{"Couleur = Rouge", "Fichier = t.dat, 19, 29", "Trait = 20, 30, 30, 30"});
  EXPECT_TRUE(Messages().empty());
  const std::vector<Primitive> l = Lignes();
  ASSERT_EQ(l.size(), 2u);
  // The file draws relative to its origin (and its own CT point).
  EXPECT_NEAR(l[0].Points[0].x(), directe[0].Points[0].x(), 0.01);
  EXPECT_NEAR(l[0].Points[0].y(), directe[0].Points[0].y(), 0.01);
  EXPECT_NEAR(l[0].Points[1].x(), directe[0].Points[1].x(), 0.01);
  EXPECT_NE(l[0].Couleur, Rouge);
  // Colour, pen width, CT point and origin are the caller's again afterwards.
  EXPECT_EQ(l[1].Couleur, Rouge);
  EXPECT_EQ(l[1].Epaisseur, directe[0].Epaisseur);
  EXPECT_NEAR(l[1].Points[0].x(), directe[0].Points[0].x(), 0.01);
  EXPECT_NEAR(l[1].Points[1].y(), directe[0].Points[1].y(), 0.01);
  EXPECT_EQ(Var(0, "%FicX"), "19");
  EXPECT_EQ(Var(0, "%FicY"), "29");

  // With an angle the y of "%FicY" is the turned one, as text followed by the angle field.
  Run(QStringList{"Fichier = t.dat, 20, 30§45"});
  EXPECT_EQ(Var(0, "%FicX"), "20");
  const QString ficY = Var(0, "%FicY");
  EXPECT_TRUE(ficY.startsWith(QStringLiteral(" 35.355"))) << ficY.toStdString();
  EXPECT_TRUE(ficY.endsWith(QStringLiteral("§45"))) << ficY.toStdString();
}

TEST_F(CommandFilesTest, ScopesStopAndMissingFile) {
  Ecrit("scope.dat",
        {"%IRE$-1V = 5", "%IRE$#0G = 7", "%L = 1", "Trait = 0, 0, 1, 0", "Stop", "Trait = 0, 0, 2, 0"});
  Run(QStringList{"%IRE$-1X = 1", "Fichier = scope", "Trait = 0, 0, 3, 0"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(1, "%V"), "5");
  EXPECT_EQ(Var(0, "%G"), "7");
  EXPECT_EQ(Var(1, "%L"), "<absent>");
  EXPECT_EQ(Var(1, "%X"), "<absent>");
  // "Stop" ends the file only.
  EXPECT_EQ(Lignes().size(), 2u);

  Run(QStringList{"%a = 1", "Fichier = absent.dat, 0, 0", "Trait = 0, 0, 3, 0"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.contains(
      QStringLiteral("absent.dat : fichier non trouvé [File not found]") + CRLF + CRLF))
      << Messages()[0].texte.toStdString();
  EXPECT_EQ(Messages()[0].boutons, Boutons::Ok);
  EXPECT_TRUE(Lignes().empty());

  // A file far beyond what a program holds is refused from its size, on the calling line.
  {
    QFile f(Chemin("gros.dat"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(qint64{2} << 20));
  }
  Run(QStringList{"%a = 1", "Fichier = gros.dat, 0, 0", "Trait = 0, 0, 3, 0"});
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(
      Messages()[1].texte.startsWith(TexteMsg(114) + QStringLiteral(" 2: Fichier = gros.dat, 0, 0") + CRLF +
                                     CRLF + QStringLiteral("Le fichier ") + Chemin("gros.dat") +
                                     QStringLiteral(" est trop grand pour un programme : 2097152 octets")))
      << Messages()[1].texte.left(300).toStdString();
  EXPECT_TRUE(Lignes().empty());
}

// A command file that exists and cannot be read says so with the system's reason: it is not "not
// found". /proc/self/mem opens and fails at its first read.
TEST_F(CommandFilesTest, AFileThatCannotBeReadSaysWhy) {
  if (!QFile::exists(QStringLiteral("/proc/self/mem"))) GTEST_SKIP() << "no /proc/self/mem";
  Run(QStringList{"%a = 1", "Fichier = /proc/self/mem, 0, 0", "Trait = 0, 0, 3, 0"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].texte.startsWith(
      TexteMsg(114) + QStringLiteral(" 2: Fichier = /proc/self/mem, 0, 0") + CRLF + CRLF +
      QStringLiteral("/proc/self/mem : lecture impossible / cannot be read : ") + RaisonSysteme(EIO) +
      CRLF + CRLF))
      << Messages()[0].texte.left(300).toStdString();
  EXPECT_TRUE(Lignes().empty());
}

TEST_F(CommandFilesTest, DepthLimit) {
  // A file that calls itself: at level 5 the user chooses between skipping the call and stopping.
  Ecrit("r.dat", {"Fichier = r.dat", "Trait = 0, 0, 1, 0"});
  Repond("OK");
  Run(QStringList{"Fichier = r.dat", "Trait = 0, 0, 2, 0"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].texte, Limite(123) + CRLF + QStringLiteral("(r.dat)"));
  EXPECT_EQ(Messages()[0].boutons, Boutons::OkAnnuler);
  EXPECT_EQ(Lignes().size(), 5u);

  Repond("CANCEL");
  Run(QStringList{"Fichier = r.dat", "Trait = 0, 0, 2, 0"});
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(Lignes().empty());

  // Two files calling each other: the plain limit message, and the run goes on.
  Ecrit("x.dat", {"Fichier = y.dat", "Trait = 0, 0, 1, 0"});
  Ecrit("y.dat", {"Fichier = x.dat", "Trait = 0, 0, 1, 0"});
  Run(QStringList{"Fichier = x.dat", "Trait = 0, 0, 2, 0"});
  ASSERT_EQ(Messages().size(), 3u);
  EXPECT_EQ(Messages()[2].texte, Limite(113));
  EXPECT_EQ(Messages()[2].boutons, Boutons::Ok);
  EXPECT_EQ(Lignes().size(), 5u);
}

TEST_F(CommandFilesTest, ErrorInsideAFile) {
  Ecrit("e.dat", {"%a = 1", "Grad = 1, 2, 3", "Trait = 0, 0, 1, 0"});
  Repond("OK");
  Run(QStringList{"%x = 1", "Fichier = e.dat", "Trait = 0, 0, 2, 0"});
  ASSERT_EQ(Messages().size(), 1u);
  const auto m = Messages()[0];
  EXPECT_TRUE(m.texte.startsWith(TexteMsg(114) + QStringLiteral("Grad = 1, 2, 3 du fichier: ") +
                                 Chemin("e.dat") + CRLF + CRLF))
      << m.texte.toStdString();
  EXPECT_EQ(m.boutons, Boutons::OkAnnuler);
  EXPECT_EQ(TexteRouge(), QStringLiteral("Fichier = e.dat"));
  // OK: the caller goes on after the call.
  EXPECT_EQ(Lignes().size(), 1u);

  Repond("CANCEL");
  Run(QStringList{"Fichier = e.dat", "Trait = 0, 0, 2, 0"});
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(Lignes().empty());

  // An error two levels down, cancelled, stops every level.
  Ecrit("mid.dat", {"Fichier = e.dat", "Trait = 0, 0, 1, 0"});
  Repond("CANCEL");
  Run(QStringList{"Fichier = mid.dat", "Trait = 0, 0, 2, 0"});
  ASSERT_EQ(Messages().size(), 3u);
  EXPECT_TRUE(Lignes().empty());
}

TEST_F(CommandFilesTest, HeaderRequestWritesTheCommentsIntoTheEditor) {
  Ecrit("h.dat", {"' Knob", "'$E Knob = x, y", "", "'#", "Trait = 0, 0, 1, 0"});
  Run(QStringList{"%a = 1", "Fichier = h.dat, ?", "Trait = 0, 0, 5, 0"});
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(Lignes().empty());
  const QString attendu = QStringList{"%a = 1",
                                      "' Fichier = h.dat, ?",
                                      "' Commentaires du fichier commande",
                                      "' externe " + Chemin("h.dat"),
                                      "' Knob",
                                      "'$E Knob = x, y",
                                      "",
                                      "Trait = 0, 0, 5, 0"}
                              .join(CRLF);
  EditeurDocument& ed = Session().Document();
  EXPECT_EQ(ed.Text(), attendu);
  const int commentaire = attendu.indexOf(QStringLiteral("' Commentaires"));
  EXPECT_EQ(ed.CouleurA(commentaire), 0x008000u);
  EXPECT_EQ(ed.CouleurA(attendu.indexOf(QStringLiteral("' Fichier"))), 0x008000u);
  EXPECT_NE(ed.CouleurA(attendu.indexOf(QStringLiteral("Trait"))), 0x008000u);

  // On the last line the header still goes below the call.
  Ecrit("h2.dat", {"' seul", "Trait = 0, 0, 1, 0"});
  Run(QStringLiteral("Fichier = h2, ?"));
  EXPECT_EQ(Session().Document().Text(),
            QStringList({"' Fichier = h2, ?", "' Commentaires du fichier commande",
                         "' externe " + Chemin("h2.dat"), "' seul", ""})
                .join(CRLF));

  // The whole statement becomes the comment: the If of a one-line If with it, every line of a
  // statement continued over several. The next run goes past it.
  for (const QStringList& appel :
       {QStringList{"If 1 = 1 Then Fichier = h2, ?"}, QStringList{"Fichier = h2, _", "  ?"}}) {
    Run(appel + QStringList{"Trait = 0, 0, 5, 0"});
    QStringList apres = appel;
    apres[0] = "' " + apres[0];
    apres << "' Commentaires du fichier commande"
          << "' externe " + Chemin("h2.dat") << "' seul"
          << "Trait = 0, 0, 5, 0";
    EXPECT_EQ(Session().Document().Text(), apres.join(CRLF));
    Run(apres);
    EXPECT_TRUE(Messages().empty()) << Messages().front().texte.toStdString();
    EXPECT_EQ(Session().Document().Text(), apres.join(CRLF));
    EXPECT_EQ(Lignes().size(), 1u);
  }
}

TEST_F(CommandFilesTest, ScramblingRestoresTheText) {
  EXPECT_EQ(CodeFicExterne(QString()).size(), 152 + 45);
  EXPECT_EQ(DecodeFicExterne(CodeFicExterne(QString())), QString());
  const QByteArray vide = CodeFicExterne(QString());
  EXPECT_TRUE(vide.startsWith("' Fichier de commande externe de Morvo/ Morvo external cmd file.   "));
  EXPECT_EQ(vide.mid(98, 2), QByteArray("\r\n"));

  const QString t45(45, QLatin1Char('a'));
  const QString t46 = t45 + QStringLiteral("b");
  EXPECT_EQ(DecodeFicExterne(CodeFicExterne(t45)), t45);
  EXPECT_EQ(DecodeFicExterne(CodeFicExterne(t46)), t46);
  const QString accents = QStringLiteral("Texte = été § 30°") + CRLF + QStringLiteral("' fin") + CRLF;
  EXPECT_EQ(DecodeFicExterne(CodeFicExterne(accents + QStringLiteral("   "))), accents);
  // Windows-1252 bytes that would all read as UTF-8 ("Fuß²" is DF B2) are written in UTF-8.
  EXPECT_EQ(DecodeFicExterne(CodeFicExterne(QString::fromUtf8("%u = 5 Fuß²"))),
            QString::fromUtf8("%u = 5 Fuß²"));

  // Clock seed and filler differ from one scrambling to the next; the text does not.
  // The seed follows the clock in steps of a few milliseconds: two scramblings within one step
  // may agree, so the second is made again after the clock has moved on.
  const QByteArray a = CodeFicExterne(t46);
  QByteArray b = CodeFicExterne(t46);
  for (int essai = 0; essai < 20 && b == a; ++essai) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    b = CodeFicExterne(t46);
  }
  EXPECT_NE(a, b);
  EXPECT_EQ(DecodeFicExterne(b), t46);
  // The body is not the text in clear.
  EXPECT_FALSE(a.contains("aaaaa"));

  // A content whose stored length disagrees with its body, or that is cut, does not restore.
  Tirage(45, 1, 45, -static_cast<float>(static_cast<uint8_t>(a[146])));
  QByteArray abime = a;
  const int posLongueur = 100 + TablePermutation[2] - 1;
  abime[posLongueur] = static_cast<char>(abime[posLongueur] + 1);
  EXPECT_THROW(DecodeFicExterne(abime), ErreurExecution);
  EXPECT_THROW(DecodeFicExterne(a.left(190)), ErreurExecution);
  EXPECT_THROW(DecodeFicExterne(QByteArray(100, 'x')), ErreurExecution);
  Incident.DetailErreur.clear();
}

// A Windows-1252 command file reads as it was written, plain or scrambled by Morvo itself, also its
// lines whose bytes happen to be valid UTF-8 ("Fuß²" is DF B2, "É" and a no-break space C9 A0).
TEST_F(CommandFilesTest, Windows1252LinesReadAsWritten) {
  const QString u = QString::fromUtf8("5 Fuß²"), w = QString::fromUtf8("CAFÉ\u00A0!");
  const QStringList lignes = {QStringLiteral("%u = ") + u, QStringLiteral("%w = ") + w,
                              QString::fromUtf8("' Température"), "%IRE$#0U = %u", "%IRE$#0W = %w"};
  QFile f(Chemin("latin.dat"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(*EncodeWindows1252(lignes.join(CRLF)));
  f.close();
  EcritDag("Latin.dag", lignes);
  for (const char* appel : {"Fichier = latin.dat", "Fichier = Latin"}) {
    Run(QStringList{"%u = 0", "%w = 0", appel});
    EXPECT_TRUE(Messages().empty()) << appel;
    EXPECT_EQ(Var(0, "%U"), u) << appel;
    EXPECT_EQ(Var(0, "%W"), w) << appel;
  }
}

// The line breaks of other systems (VT, FF, NEL, U+2028, U+2029) end a line of a program or of a
// command file, plain or scrambled, as the editor shows them.
TEST_F(CommandFilesTest, LineBreaksOfOtherSystemsEndLines) {
  const auto sauts = [](const QString& prefixe) {
    QString texte;
    const QChar saut[] = {QChar(0x2028), QChar(u'\v'), QChar(u'\f'), QChar(0x85), QChar(0x2029)};
    for (int i = 0; i < 6; ++i)
      texte += (i > 0 ? QString(saut[i - 1]) : QString()) + prefixe + QChar(u'A' + i) + " = " +
               QString::number(i + 1);
    return texte;
  };
  Ecrit("sauts.dat", {sauts("%IRE$#0")});
  EcritDag("Sauts.dag", {sauts("%IRE$#0")});
  for (const char* appel : {"Fichier = sauts.dat", "Fichier = Sauts"}) {
    Run(QStringList{appel});
    EXPECT_TRUE(Messages().empty()) << appel;
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(Var(0, QStringLiteral("%") + QChar(u'A' + i)), QString::number(i + 1)) << appel;
  }
  Run(sauts("%"));
  EXPECT_TRUE(Messages().empty());
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(Var(1, QStringLiteral("%") + QChar(u'A' + i)), QString::number(i + 1));
}

TEST_F(CommandFilesTest, ExternalCommandFromAScrambledFile) {
  EcritDag("Knob.dag", {"%v = 1", "%IRE$#0V = %v", "Trait = 0, 0, 10, 0"});
  Shell.CmdExternes = QStringList{QStringLiteral("Knob")};
  Shell.RepCmdExternes = QStringList{dossier_.path() + QStringLiteral("/")};
  Run(QStringLiteral("Trait = 20, 30, 30, 30"));
  const std::vector<Primitive> directe = Lignes();
  ASSERT_EQ(directe.size(), 1u);

  Run(QStringLiteral("knob = 20, 30, 5"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(0, "%V"), "5");
  std::vector<Primitive> l = Lignes();
  ASSERT_EQ(l.size(), 1u);
  EXPECT_NEAR(l[0].Points[0].x(), directe[0].Points[0].x(), 0.01);
  EXPECT_NEAR(l[0].Points[1].y(), directe[0].Points[1].y(), 0.01);

  // FICHIER finds the ".dag" of a name without extension too.
  Run(QStringLiteral("Fichier = Knob, 20, 30, 6"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Var(0, "%V"), "6");

  // An error inside a scrambled file shows the calling line, the file and the reason, never the
  // statement.
  EcritDag("Casse.dag", {"%a = 1", "Grad = 1, 2, 3"});
  Shell.CmdExternes << QStringLiteral("Casse");
  Shell.RepCmdExternes << dossier_.path() + QStringLiteral("/");
  Repond("OK");
  Run(QStringList{"%x = 1", "Casse = 0, 0"});
  ASSERT_EQ(Messages().size(), 1u);
  const QString texte = Messages()[0].texte;
  EXPECT_EQ(texte, TexteMsg(114) + QStringLiteral(" 2, dans le fichier: ") + Chemin("Casse.dag") + CRLF +
                       QStringLiteral("Erreur ordre commandes / Error odre commands") + CRLF + CRLF + CRLF);
  EXPECT_FALSE(texte.contains(QStringLiteral("Grad")));
  EXPECT_FALSE(texte.contains(QStringLiteral("%A")));

  // Nor does the reason quote the file's text: a condition's text, a statement of no command.
  EcritDag("Secret.dag", {"IfT \"%SECRET\" = \"x\" Then", "EndIf"});
  EcritDag("Inconnu.dag", {"%a = 1", "Bogus = 2"});
  Shell.CmdExternes << QStringLiteral("Secret") << QStringLiteral("Inconnu");
  Shell.RepCmdExternes << dossier_.path() + QStringLiteral("/") << dossier_.path() + QStringLiteral("/");
  Repond("OK");
  Run(QStringList{"%x = 1", "", "Secret = 0, 0"});
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[1].texte,
            TexteMsg(114) + QStringLiteral(" 3, dans le fichier: ") + Chemin("Secret.dag") + CRLF +
                QStringLiteral("non initialisée / not initialized / nicht initialisiert") + CRLF + CRLF +
                CRLF);
  Run(QStringList{"Inconnu = 0, 0", "%y = 2"});
  ASSERT_EQ(Messages().size(), 3u);
  EXPECT_EQ(Messages()[2].texte,
            TexteMsg(124) + QStringLiteral(" 1, dans le fichier: ") + Chemin("Inconnu.dag") + CRLF);
  EXPECT_EQ(TexteRouge(), QStringLiteral("Inconnu = 0, 0"));
  EXPECT_EQ(Var(1, "%y"), "2");

  // A wrong number gives its reason alone: neither the command, its field nor what the field holds.
  EcritDag("Nombre.dag", {"%a = 1", "Cercle = 1, 1, secret7"});
  Shell.CmdExternes << QStringLiteral("Nombre");
  Shell.RepCmdExternes << dossier_.path() + QStringLiteral("/");
  Repond("OK");
  Run(QStringLiteral("Nombre = 0, 0"));
  ASSERT_EQ(Messages().size(), 4u);
  EXPECT_EQ(Messages()[3].texte, TexteMsg(114) + QStringLiteral(" 1, dans le fichier: ") +
                                     Chemin("Nombre.dag") + CRLF + TexteMsg(143) + CRLF + CRLF + CRLF);
}

TEST_F(CommandFilesTest, NamesAreLookedForFromTheCurrentFolderFirst) {
  ASSERT_TRUE(QDir(dossier_.path()).mkpath("ici"));
  ASSERT_TRUE(QDir(dossier_.path()).mkpath("rep"));
  OuvreDans(Chemin("ici"));
  Shell.RepCourant = Chemin("rep") + "/";
  auto marque = [&](const QString& nom, const char* valeur) {
    EcritDag(nom, {QStringLiteral("%IRE$#0W = ") + valeur});
  };
  // A name without extension: ".dag" and ".dat" of the current folder before RepCourant's ".dat";
  // RepCourant holds no ".dag" candidate.
  marque("ici/Scale.dag", "ici");
  Ecrit("rep/Scale.dat", {"%IRE$#0W = rep"});
  Run(QStringLiteral("Fichier = Scale"));
  EXPECT_EQ(Var(0, "%W"), "ici");
  marque("rep/Seul.dag", "rep");
  Repond("OK");
  Run(QStringLiteral("Fichier = Seul"));
  EXPECT_EQ(Var(0, "%W"), "<absent>");
  // With an extension: the current folder, then RepCourant.
  Ecrit("ici/x.dat", {"%IRE$#0W = ici"});
  Ecrit("rep/x.dat", {"%IRE$#0W = rep"});
  Ecrit("rep/y.dat", {"%IRE$#0W = rep"});
  Run(QStringLiteral("Fichier = x.dat"));
  EXPECT_EQ(Var(0, "%W"), "ici");
  Run(QStringLiteral("Fichier = y.dat"));
  EXPECT_EQ(Var(0, "%W"), "rep");
  // A command file's own names are not looked for beside it.
  ASSERT_TRUE(QDir(dossier_.path()).mkpath("sous"));
  Ecrit("sous/appel.dat", {"Fichier = x.dat"});
  Ecrit("sous/x.dat", {"%IRE$#0W = sous"});
  Run(QStringLiteral("Fichier = ") + Chemin("sous/appel.dat"));
  EXPECT_EQ(Var(0, "%W"), "ici");
}

TEST_F(CommandFilesTest, HeaderRequestIsIgnoredBelowTheEditorProgram) {
  Ecrit("a.dat", {"Fichier = b.dat, ?"});
  Ecrit("b.dat", {"' b", "Trait = 0, 0, 1, 0"});
  Run(QStringLiteral("Fichier = a.dat"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Lignes().size(), 1u);
  EXPECT_EQ(Session().Document().Text(), QStringLiteral("Fichier = a.dat"));
}

}  // namespace
