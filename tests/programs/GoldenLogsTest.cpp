// Whole programs of golden/ run through morvo-run; each log must equal, byte for byte, the log kept
// beside the program (<name>.log). The logs show every primitive in device pixels, the messages and
// the variables, so the diff of a changed log tells what a change did to the drawing.
//
// Each run works on a copy of the folder in a temporary place (the programs write files there); the
// copy's path and today's date in a variable listing are replaced by fixed marks before comparing.
//
// To write new logs after an intended change, run the suite with MORVO_UPDATE_GOLDEN=1 in the
// environment, for example
//   MORVO_UPDATE_GOLDEN=1 QT_QPA_PLATFORM=offscreen <build>/tests/tests_programs --gtest_filter='Golden/*'
// then read the diff of every changed log before committing it. A failed comparison prints the first
// lines that differ and leaves the log it got as <name>-actual.log in the working directory.
//
// The suite also runs under other locales (LC_ALL, see tests/CMakeLists.txt). Where the locale
// changes what a program shows (a "#" insertion, TXT, ARR, %EpT), the log expected under it is
// <name>.<locale>.log, for example variables.fr_FR.log; everywhere else it is <name>.log. Updating
// under a locale writes such a log only where it differs from <name>.log.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace {

QString DossierGolden() { return QStringLiteral(MORVO_SOURCE_DIR "/tests/programs/golden/"); }

struct Programme {
  const char* nom;
  std::vector<const char*> reponses;  // Given to the dialogs in order (--answer).
  int statut = 0;                     // The runner's exit status: 4 for a run that ends in a run error.
};

void PrintTo(const Programme& p, std::ostream* os) { *os << p.nom; }

// Copies the files of golden/ (not the logs) into `cible`.
bool CopieDossier(const QString& cible) {
  const QDir source(DossierGolden());
  for (const QString& f : source.entryList(QDir::Files)) {
    if (f.endsWith(QLatin1String(".log"))) continue;
    if (!QFile::copy(source.filePath(f), cible + QLatin1Char('/') + f)) return false;
  }
  return true;
}

// The marks that make a log the same on every machine and every day.
QString Normalise(QString log, const QString& dossier) {
  for (const QString& chemin : {QDir(dossier).canonicalPath(), dossier}) {
    if (!chemin.isEmpty()) log.replace(chemin, QStringLiteral("<dossier>"));
  }
  static const QRegularExpression date(QStringLiteral(R"((%Date\\t= )[^\\"]*)"));
  log.replace(date, QStringLiteral("\\1<date>"));
  return log;
}

// The lines between the common head and the common tail, as one unified-style hunk with a few lines
// of context, each side cut to kMax lines.
std::string Ecart(const QStringList& attendu, const QStringList& obtenu) {
  constexpr qsizetype kContexte = 3, kMax = 12;
  qsizetype debut = 0;
  while (debut < attendu.size() && debut < obtenu.size() && attendu[debut] == obtenu[debut]) ++debut;
  qsizetype finA = attendu.size(), finO = obtenu.size();
  while (finA > debut && finO > debut && attendu[finA - 1] == obtenu[finO - 1]) --finA, --finO;
  const qsizetype avant = std::max<qsizetype>(0, debut - kContexte);
  std::string s = "@@ -" + std::to_string(avant + 1) + "," + std::to_string(finA - avant) + " +" +
                  std::to_string(avant + 1) + "," + std::to_string(finO - avant) + " @@\n";
  for (qsizetype i = avant; i < debut; ++i) s += " " + attendu[i].toStdString() + "\n";
  auto cote = [&s](const QStringList& lignes, qsizetype de, qsizetype a, char signe) {
    for (qsizetype i = de; i < std::min(a, de + kMax); ++i) s += signe + lignes[i].toStdString() + "\n";
    if (a - de > kMax) s += signe + std::string("... ") + std::to_string(a - de - kMax) + " more lines\n";
  };
  cote(attendu, debut, finA, '-');
  cote(obtenu, debut, finO, '+');
  return s;
}

class GoldenLogsTest : public ::testing::TestWithParam<Programme> {};

// The locale the runner starts in, as its name in a log's file name; empty for C.
QString NomLocale() {
  QString nom = qEnvironmentVariable("LC_ALL");
  if (nom.isEmpty()) nom = qEnvironmentVariable("LC_NUMERIC");
  if (nom.isEmpty()) nom = qEnvironmentVariable("LANG");
  nom = nom.section(QLatin1Char('.'), 0, 0);
  return nom == QStringLiteral("C") || nom == QStringLiteral("POSIX") ? QString() : nom;
}

QByteArray Contenu(const QString& chemin) {
  QFile f(chemin);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_P(GoldenLogsTest, LogEqualsTheGolden) {
  const QString nom = QString::fromLatin1(GetParam().nom);
  const QString base = DossierGolden() + nom + QStringLiteral(".log");
  const QString locale = NomLocale();
  const QString propre =
      locale.isEmpty() ? base : DossierGolden() + nom + u'.' + locale + QStringLiteral(".log");
  const QString attendu = QFile::exists(propre) ? propre : base;
  ASSERT_TRUE(QFile::exists(DossierGolden() + nom + QStringLiteral(".dat"))) << nom.toStdString();

  QTemporaryDir dossier, sorties;
  ASSERT_TRUE(dossier.isValid() && sorties.isValid());
  ASSERT_TRUE(CopieDossier(dossier.path()));
  const QString log = sorties.filePath(QStringLiteral("run.log"));
  QStringList arguments;
  // The messages are French under every locale: the locales change the numbers and dates alone.
  arguments << QStringLiteral("--size") << QStringLiteral("1000x700") << QStringLiteral("--max-statements")
            << QStringLiteral("100000") << QStringLiteral("--language") << QStringLiteral("fr")
            << QStringLiteral("--log") << log;
  for (const char* r : GetParam().reponses) arguments << QStringLiteral("--answer") << QString::fromUtf8(r);
  arguments << dossier.filePath(nom + QStringLiteral(".dat"));
  QProcess processus;
  processus.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  processus.start(QStringLiteral(MORVO_RUN_PATH), arguments);
  ASSERT_TRUE(processus.waitForFinished(60000));
  ASSERT_EQ(processus.exitStatus(), QProcess::NormalExit);
  ASSERT_EQ(processus.exitCode(), GetParam().statut);

  QFile fichierLog(log);
  ASSERT_TRUE(fichierLog.open(QIODevice::ReadOnly));
  const QByteArray obtenu = Normalise(QString::fromUtf8(fichierLog.readAll()), dossier.path()).toUtf8();

  if (qEnvironmentVariable("MORVO_UPDATE_GOLDEN") == QStringLiteral("1")) {
    if (propre != base && obtenu == Contenu(base)) {
      QFile::remove(propre);
      GTEST_SKIP() << "same log as " << base.toStdString();
    }
    QFile sortie(propre);
    ASSERT_TRUE(sortie.open(QIODevice::WriteOnly) && sortie.write(obtenu) == obtenu.size())
        << propre.toStdString();
    GTEST_SKIP() << "golden log written: " << propre.toStdString();
  }

  QFile fichierAttendu(attendu);
  ASSERT_TRUE(fichierAttendu.open(QIODevice::ReadOnly)) << "no golden log " << attendu.toStdString();
  const QByteArray reference = fichierAttendu.readAll();
  if (obtenu != reference) {
    const QString copie = QDir::current().filePath(nom + QStringLiteral("-actual.log"));
    QFile f(copie);
    if (f.open(QIODevice::WriteOnly)) f.write(obtenu);
    ADD_FAILURE() << nom.toStdString() << ": the log differs from " << attendu.toStdString()
                  << " (log kept as " << copie.toStdString() << ")\n"
                  << Ecart(QString::fromUtf8(reference).split(QLatin1Char('\n')),
                           QString::fromUtf8(obtenu).split(QLatin1Char('\n')));
  }
}

// Files beside the programs: sub-croix.dat and sub-cartouche.dat (command files), points.txt (a point
// file), mesures.txt and pieces.txt (data files), damier.png (a picture of 8 x 6 pixels).
const Programme kProgrammes[] = {
    // Dials and scales.
    {"scale-arc-linear", {}},  // Arc with Decal, Grad, ValR, Grad1, Val1, Sect, SectP, FormatI, CentreEI.
    {"scale-power", {}},       // Exposant = 2, Inversion, ValD, Val1D, Val1R.
    {"scale-log", {}},         // Exposant = L on a Droite and an Arc, Val with prefixes and notation.
    {"scale-straight", {}},    // Droite turned, DroiteV, Grad1, Val, Sect, SectP, AngRot.
    {"setup", {}},             // ZoomIni, FormatI, CentreE, CentreI, CT turned, Couleur RVB/RGB, Separateur.
    // Pens, texts and shapes.
    {"pens", {}},          // EpaisT widths, dashes, dots, ends; Trait polylines, relative and polar points.
    {"texts", {}},         // Texte anchors and angles, TexteC, TailleP, Police, Cote.
    {"circles", {}},       // Cercle, CercleI, CercleP, CerclePI: fills, a gradient, strips, ellipses, arcs.
    {"frames", {}},        // Cadre, CadreA, CadreP, CadreAP: corners, fills, a gradient, turned.
    {"polygons", {}},      // Poly, PolyP, PolyR, PolyRP, point files.
    {"marks", {}},         // Plus, X, Percer, PercerX, Fleche, FlecheP.
    {"lamps", {}},         // DemiLune, DemiLuneP, Voyant, PalCoul, PalCoul2, PalCoul3.
    {"dovetails", {}},     // QA, QA1, QA2, QA12.
    {"curves", {}},        // Bezier, BezierP, Bezier_aGr, Chain.
    {"image", {}},         // Image: sizes, anchors, turned, size read back.
    {"plot", {}},          // Plot and PlotP from a data file, dashed, smoothed.
    {"plot-symbols", {}},  // PlotS with a symbol command and a command file.
    // The language.
    {"variables", {}},      // Assignments, expressions, functions, #...# insertions, lists, text functions.
    {"flow", {}},           // If/ElseIf/Else/EndIf nested, IfT/ElseIfT, one-line Ifs, Goto loops.
    {"command-files", {}},  // Fichier: position, angle, values by position and name, nesting, STOPARG.
    {"data-files", {}},     // Open, LVar with %EOF, markers, continued lines; OpenA, PrintA.
    {"dialogs", {"Marie", "2*8", "%x brut", "OK"}},  // Input (three forms), Options#$, ListeVar.
    // Run errors: the message the user sees, with the variables, and the drawing up to the error.
    {"error-unknown-command", {}, 4},
    {"error-undefined-variable", {}, 4},
    {"error-division-by-zero", {}, 4},
    {"error-missing-file", {}, 4},
    {"error-missing-picture", {}, 4},
    {"error-missing-data", {}, 4},
};

INSTANTIATE_TEST_SUITE_P(Golden, GoldenLogsTest, ::testing::ValuesIn(kProgrammes),
                         [](const ::testing::TestParamInfo<Programme>& info) {
                           std::string nom = info.param.nom;
                           std::replace(nom.begin(), nom.end(), '-', '_');
                           return nom;
                         });

}  // namespace
