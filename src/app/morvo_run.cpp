// morvo-run: runs a program file with no window and writes what it drew.

#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <vector>

#include "CommandLine.h"
#include "HeadlessRun.h"
#include "interpreter/ExternalCommands.h"
#include "interpreter/Interpreter.h"
#include "interpreter/RunReport.h"
#include "interpreter/RuntimeCommands.h"
#include "interpreter/SetupCommands.h"
#include "platform/Events.h"
#include "platform/FileLookup.h"
#include "platform/FileNames.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/LanguageSettings.h"
#include "platform/Legacy.h"
#include "platform/OutputFiles.h"
#include "platform/ProgramFolder.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"
#include "platform/WriteConsent.h"
#include "platform/WriteSignals.h"

namespace {

// An output replaces its file: one that reaches the program file, by whatever name, would destroy
// it, and two that reach one file would keep only one of them, or mix their bytes in one open file.
// Empty when every output has a file of its own.
QString SortiesEnConflit(const QString& programme, const std::vector<std::pair<QString, QString>>& sorties) {
  const CibleEcriture fichierProgramme(programme);
  std::vector<CibleEcriture> cibles;
  for (const auto& [option, nom] : sorties) cibles.emplace_back(nom);
  for (size_t i = 0; i < sorties.size(); ++i) {
    if (fichierProgramme.Existe() && cibles[i].MemeFichier(fichierProgramme))
      return QStringLiteral("%1 %2 is the program file: the output would replace it")
          .arg(sorties[i].first, sorties[i].second);
    for (size_t j = 0; j < i; ++j) {
      if (!cibles[i].MemeFichier(cibles[j]) || cibles[i].Partagee()) continue;
      return (cibles[i].Flux() ? QStringLiteral("%1 %2 and %3 %4 are one open file: their bytes would mix")
                               : QStringLiteral("%1 %2 and %3 %4 are one file: one output would replace "
                                                "the other"))
          .arg(sorties[j].first, sorties[j].second, sorties[i].first, sorties[i].second);
    }
  }
  return {};
}

// The runner's own messages are English: the English block of the string table gives the texts
// they share with the window.
constexpr int BaseAnglais = 400;

// The largest side of the screen image, in pixels.
constexpr int TailleMax = 20000;

struct OptionsRun {
  QString png, pdf, log, programme;
  QStringList reponses;
  int largeur = 1000, hauteur = 700;
  bool tailleDonnee = false;
  // 0: the initial zoom that loading the program gives.
  float zoom = 0;
  qint64 maxInstructions = 0;
  // The message language's index, 0 for the one the desktop program would use.
  int langue = 0;
  bool shellPermis = false;
  bool ecrituresPermises = false;
};

// The size, zoom, language and statement limit asked for, into `o`; what is wrong with them, or "".
QString LitReglages(const QCommandLineParser& p, OptionsRun& o) {
  if (p.isSet(QStringLiteral("size"))) {
    const QStringList wh = p.value(QStringLiteral("size")).split(QLatin1Char('x'));
    bool ok1 = false, ok2 = false;
    if (wh.size() == 2) {
      o.largeur = wh[0].toInt(&ok1);
      o.hauteur = wh[1].toInt(&ok2);
    }
    if (!ok1 || !ok2 || o.largeur < 1 || o.hauteur < 1 || o.largeur > TailleMax || o.hauteur > TailleMax)
      return QStringLiteral("--size takes WIDTHxHEIGHT, each from 1 to 20000 pixels: ") +
             p.value(QStringLiteral("size"));
    o.tailleDonnee = true;
  }
  if (p.isSet(QStringLiteral("zoom"))) {
    // As the zoom dialog reads it: "," is a decimal point too.
    bool ok = false;
    const double z = QString(p.value(QStringLiteral("zoom"))).replace(u',', u'.').toDouble(&ok);
    o.zoom = static_cast<float>(z);
    if (!ok || !(o.zoom > 0) || !std::isfinite(o.zoom))
      return QStringLiteral("--zoom takes a number above 0: ") + p.value(QStringLiteral("zoom"));
  }
  if (p.isSet(QStringLiteral("language"))) {
    o.langue = IndexCodeLangue(p.value(QStringLiteral("language")));
    if (o.langue == 0)
      return QStringLiteral("--language takes fr, en, de or es: ") + p.value(QStringLiteral("language"));
  }
  if (p.isSet(QStringLiteral("max-statements"))) {
    bool ok = false;
    o.maxInstructions = p.value(QStringLiteral("max-statements")).toLongLong(&ok);
    if (!ok || o.maxInstructions < 1)
      return QStringLiteral("--max-statements takes a whole number from 1: ") +
             p.value(QStringLiteral("max-statements"));
  }
  return {};
}

// The program file and the outputs' names, into `o`; what is wrong with them, or "".
QString LitFichiers(const QCommandLineParser& p, OptionsRun& o) {
  const QStringList fichiers = p.positionalArguments();
  if (fichiers.size() != 1)
    return fichiers.isEmpty() ? QStringLiteral("no program file given")
                              : QStringLiteral("one program file only: ") + fichiers.join(u' ');
  o.programme = fichiers.first();
  std::vector<std::pair<QString, QString>> sorties;
  for (const auto& [option, nom] : {std::pair{"--png", o.png}, {"--pdf", o.pdf}, {"--log", o.log}}) {
    // An empty name (an unset shell variable) names no file: the output asked for would be lost.
    if (nom.isEmpty() && p.isSet(QString::fromLatin1(option + 2)))
      return QStringLiteral("%1 takes a file name, and the name given is empty")
          .arg(QString::fromLatin1(option));
    if (nom.isEmpty()) continue;
    // An output is replaced through a temporary file that Qt names: it would name another file.
    if (NomNonUtf8(nom))
      return QStringLiteral("%1 %2: an output's name must be valid UTF-8")
          .arg(QString::fromLatin1(option), nom);
    sorties.emplace_back(QString::fromLatin1(option), nom);
  }
  return SortiesEnConflit(o.programme, sorties);
}

// Reads the command line (program name first) into `o`. -1 when the run goes on; otherwise the exit
// status: 0 after --help or --version (on standard output), 1 for a bad command line (on standard
// error). The manual page's options are made from this help.
int LitOptions(const QStringList& arguments, OptionsRun& o) {
  QCommandLineParser p;
  p.setApplicationDescription(
      QStringLiteral("Runs a Morvo program file as the screen run does, on an offscreen image with no\n"
                     "window, and writes what it drew. An output named - is the standard output, as\n"
                     "/dev/stdout is; a file named - is written as ./-.\n"
                     "\n"
                     "Exit status:\n"
                     "  0  the program ran\n"
                     "  1  a bad command line\n"
                     "  2  the program file cannot be read\n"
                     "  3  an output, or a file the program writes, cannot be written or is refused\n"
                     "  4  the run ended in a run error (a stop by --max-statements and a run error of\n"
                     "     the print run included), told on the standard error as FILE:LINE: message;\n"
                     "     where 3 and 4 meet, 3"));
  const AideEtVersion aideEtVersion(p, "morvo-run");
  const QCommandLineOption png(QStringLiteral("png"), QStringLiteral("Writes the drawing as a PNG file."),
                               QStringLiteral("FILE"));
  const QCommandLineOption pdf(QStringLiteral("pdf"),
                               QStringLiteral("Also runs the print run onto an A4 PDF file."),
                               QStringLiteral("FILE"));
  const QCommandLineOption log(QStringLiteral("log"),
                               QStringLiteral("Writes the log of what was drawn, asked and left in the "
                                              "variables (UTF-8)."),
                               QStringLiteral("FILE"));
  const QCommandLineOption reponse(
      QStringLiteral("answer"),
      QStringLiteral("An answer for the next dialog (repeatable, in order); a message box takes its "
                     "default button and an input box is cancelled when no answer is left."),
      QStringLiteral("TEXT"));
  const QCommandLineOption taille(QStringLiteral("size"),
                                  QStringLiteral("The size of the screen image in pixels (default "
                                                 "1000x700, at 96 dpi)."),
                                  QStringLiteral("WxH"));
  const QCommandLineOption zoom(QStringLiteral("zoom"),
                                QStringLiteral("Draws at zoom Z, as the zoom dialog sets it (default: the "
                                               "program's ZoomIni, as loading it gives). Without --size the "
                                               "image grows with it, so that it holds what the default "
                                               "image holds at that initial zoom."),
                                QStringLiteral("Z"));
  const QCommandLineOption langue(QStringLiteral("language"),
                                  QStringLiteral("The language of the messages: fr, en, de or es (default: "
                                                 "the desktop program's, from \"Langue =\" of Morvo.cfg, "
                                                 "else the user's locale, else French)."),
                                  QStringLiteral("CODE"));
  const QCommandLineOption maxInstructions(
      QStringLiteral("max-statements"),
      QStringLiteral("Ends the run with a run error once N statements have run."), QStringLiteral("N"));
  const QCommandLineOption shell(QStringLiteral("allow-shell"),
                                 QStringLiteral("Lets SHELL#$ start programs; without it every SHELL#$ "
                                                "that would start one is a run error."));
  const QCommandLineOption ecritures(
      QStringLiteral("allow-writes"),
      QStringLiteral("Lets the program write or delete files outside its own folder and its subfolders "
                     "(OpenA, PrintA, OpenA ... Kill, the offset file of Plot); without it each such "
                     "write is a run error and nothing is written."));
  p.addOptions({png, pdf, log, reponse, taille, zoom, langue, maxInstructions, shell, ecritures});
  p.addPositionalArgument(QStringLiteral("PROGRAM"),
                          QStringLiteral("The program file to run. After --, a name that begins with - is "
                                         "a file."),
                          QStringLiteral("[--] PROGRAM"));
  const bool lu = p.parse(arguments);
  if (const int code = aideEtVersion.Repond(); code >= 0) return code;
  if (!lu) return aideEtVersion.Erreur(p.errorText());
  o.png = p.value(png);
  o.pdf = p.value(pdf);
  o.log = p.value(log);
  // "-" is the standard output, as Unix tools read it.
  for (QString* sortie : {&o.png, &o.pdf, &o.log}) {
    if (*sortie == u"-") *sortie = QStringLiteral("/dev/stdout");
  }
  // An answer is text: bytes that are not UTF-8 read as Qt reads them.
  for (const QString& r : p.values(reponse)) o.reponses << QString::fromUtf8(OctetsDuNom(r));
  if (const QString erreur = LitReglages(p, o); !erreur.isEmpty()) return aideEtVersion.Erreur(erreur);
  o.shellPermis = p.isSet(shell);
  o.ecrituresPermises = p.isSet(ecritures);
  if (const QString erreur = LitFichiers(p, o); !erreur.isEmpty()) return aideEtVersion.Erreur(erreur);
  return -1;
}

volatile std::sig_atomic_t arretDemande = 0;

extern "C" void SurSignal(int) { arretDemande = 1; }

// SIGINT and SIGTERM stop the run as Esc does, so the outputs are still written; a second signal
// ends the runner at once.
void ArreteSurSignal() {
  struct sigaction action {};
  action.sa_handler = SurSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  DefinitDoEvents([] {
    if (arretDemande) Arret = true;
  });
  // A write that waits for a reader who does not read gives way to the signal.
  DefinitArretEcriture([] { return arretDemande != 0; });
}

// Memory that runs out where the runner does not wait for it (as it starts, reads the program, runs
// or ends) is told and ends it with status 3, as for the image and the PDF: never an abort. The
// message is written without asking for memory.
[[noreturn]] void FinSansMemoire() {
  if (const std::exception_ptr exception = std::current_exception()) {
    try {
      std::rethrow_exception(exception);
    } catch (const std::bad_alloc&) {
      static constexpr char message[] = "morvo-run: memory ran out\n";
      std::fflush(nullptr);
      [[maybe_unused]] const ssize_t ecrits = ::write(STDERR_FILENO, message, sizeof message - 1);
      std::_Exit(3);
    } catch (...) {
    }
  }
  std::abort();
}

// The standard error holds the runner's own messages: Qt's remarks on its set-up (no runtime
// folder without a desktop session, fonts, platform) are not the user's concern. Its fatal errors
// still show.
void MessageQt(QtMsgType type, const QMessageLogContext&, const QString& texte) {
  if (type == QtFatalMsg) std::fprintf(stderr, "morvo-run: %s\n", qPrintable(texte));
}

// The log file, written as the run draws through the checked writer: the old log is replaced only
// once the new one is whole.
class FichierJournal : public FluxJournal {
 public:
  explicit FichierJournal(const QString& chemin) : sortie_(chemin) {}
  bool Termine(QString* erreur) {
    // An empty log is one empty line, as it always was.
    if (NbLignes() == 0) Ajoute(QString());
    Vide();
    return sortie_.Termine(erreur);
  }

 protected:
  void Ecrit(const char* octets, size_t taille) override {
    sortie_.Ecrit(octets, static_cast<qint64>(taille));
  }

 private:
  SortieProgressive sortie_;
};

// Without a log nothing reads the drawn primitives back: they are not kept. With one, each entry
// goes into the file as it is drawn.
std::unique_ptr<FichierJournal> OuvreJournal(SessionHeadless& session, const QString& log) {
  if (log.isEmpty()) {
    session.SansEnregistrement();
    return nullptr;
  }
  // The log is written while the run draws: a reader of a FIFO log that goes away is a failed
  // write, not the end of the runner.
  std::signal(SIGPIPE, SIG_IGN);
  auto journal = std::make_unique<FichierJournal>(log);
  session.JournalVers(journal.get());
  return journal;
}

// The log's last entries, the variables, and the file made whole; false with the reason when it
// is not written whole.
bool TermineJournal(SessionHeadless& session, FichierJournal& journal, QString* raison) {
  session.TermineJournal();
  return journal.Termine(raison);
}

// The folders of a run as the desktop program has them once it has opened the file: the start
// folder is where the runner was started, the external commands are the ".dag" files of the
// runner's own folder and of the start folder, and the program's relative names are found from the
// folder its file really lies in. `programme` is absolute, in the system's bytes (see FileNames.h).
void PrepareDossiers(const QString& depart, const QString& programme) {
  Shell.RepDepart = AjouteAntiSlash(depart);
  ListeCmdExternes(QCoreApplication::applicationDirPath(), Shell.RepDepart);
  DevientProgramme(programme);
}

// The outputs refused before the run, with the reason: a folder's name ("prog.dat/"), a descriptor
// that is not open for writing, a relative name where the current folder cannot be told. Each is
// left out of `o`. A relative name is made absolute now, before the run moves to the program's
// folder; one of a descriptor is checked before Qt opens descriptors of its own that could take
// its number.
std::vector<std::pair<QString, QString>> PrepareSorties(OptionsRun& o, const QString& depart,
                                                        const QString& raisonDepart) {
  std::vector<std::pair<QString, QString>> refusees;
  for (QString* sortie : {&o.pdf, &o.png, &o.log}) {
    if (sortie->isEmpty()) continue;
    QString raison = CibleEcriture(*sortie).Refus();
    if (!raison.isEmpty()) {
      // The system's own answer for the name as written.
    } else if (const std::optional<int> fd = DescripteurNomme(*sortie)) {
      if (DescripteurEcrivable(*fd, &raison)) continue;
    } else if (!QDir::isRelativePath(*sortie)) {
      continue;
    } else if (!depart.isEmpty()) {
      *sortie = depart + u'/' + *sortie;
      continue;
    } else {
      raison = raisonDepart + QStringLiteral(" (the current folder cannot be told)");
    }
    refusees.emplace_back(*sortie, raison);
    sortie->clear();
  }
  return refusees;
}

// The program's text; nullopt once the reason it cannot be run is told (exit status 2).
std::optional<QString> LitProgramme(const QString& programme, const QString& depart,
                                    const QString& raisonDepart) {
  // A relative program is read from the current folder, which its own relative names need.
  if (QDir::isRelativePath(programme) && depart.isEmpty()) {
    std::fprintf(stderr, "morvo-run: cannot read %s: %s (the current folder cannot be told)\n",
                 qPrintable(NomLisible(programme)), qPrintable(raisonDepart));
    return std::nullopt;
  }
  QString refus, raisonLecture;
  auto texte = LitFichierProgramme(programme, &refus, nullptr, &raisonLecture);
  if (!refus.isEmpty()) {
    // The size the system reports may be false (0 for some files): only the bound read is sure.
    struct stat etat {};
    const qint64 taille = ::stat(OctetsDuNom(programme).constData(), &etat) == 0 ? etat.st_size : 0;
    const QByteArray combien = taille > TailleMaxFichierProgramme
                                   ? QByteArray::number(taille)
                                   : "more than " + QByteArray::number(TailleMaxFichierProgramme);
    std::fprintf(
        stderr,
        "morvo-run: cannot run %s: it has %s bytes, and a program file has at most %lld bytes (1 MiB)\n",
        qPrintable(NomLisible(programme)), combien.constData(),
        static_cast<long long>(TailleMaxFichierProgramme));
    return std::nullopt;
  }
  if (!texte)
    std::fprintf(stderr, "morvo-run: cannot read %s: %s\n", qPrintable(NomLisible(programme)),
                 qPrintable(raisonLecture));
  return texte;
}

// The message language: --language, else the one the desktop program would use: "Langue =" of its
// configuration, else the user's locale, else the one its first start proposes.
void ChoisitLangue(int demandee, const QString& depart) {
  RazLangues();
  if (demandee > 0) {
    DefinitLangue(demandee);
  } else {
    LitLanguesConfig(depart);
    if (NumLangue == 0) DefinitLangue(LangueDuLocale());
  }
  CompleteLanguesFrancais();
}

// The screen image at the zoom asked for (--zoom without --size): it holds what the default image
// holds at the program's initial zoom. False, once told, when it would be beyond the largest size.
bool TailleAuZoom(OptionsRun& o, float zoomInitial) {
  if (o.tailleDonnee || o.zoom == 0) return true;
  const double echelle = static_cast<double>(o.zoom) / zoomInitial;
  const double largeur = std::max(1.0, std::round(o.largeur * echelle));
  const double hauteur = std::max(1.0, std::round(o.hauteur * echelle));
  if (largeur > TailleMax || hauteur > TailleMax) {
    std::fprintf(stderr,
                 "morvo-run: --zoom %s would make an image of %.0fx%.0f pixels, and a side has at most %d: "
                 "give its size with --size\nTry 'morvo-run --help'.\n",
                 qPrintable(legacy::TexteNombre(o.zoom)), largeur, hauteur, TailleMax);
    return false;
  }
  o.largeur = static_cast<int>(largeur);
  o.hauteur = static_cast<int>(hauteur);
  return true;
}

// The text that tells that memory ran out for an image of that size.
QString MemoireEpuisee(const QString& quoi, int largeur, int hauteur) {
  return QStringLiteral("memory ran out for %1 of %2x%3 pixels (%4 MB)")
      .arg(quoi)
      .arg(largeur)
      .arg(hauteur)
      .arg(static_cast<qint64>(largeur) * hauteur * 4 / 1000000);
}

// The print run is part of the run: the files it writes are followed as the screen run's are, up to
// its end; the PDF written after it is an output. True when a signal stopped the runs.
bool FinRuns() {
  DefinitSuiviEchecs({});
  return arretDemande != 0;
}

// A refused write is a run error in the log only: it is told where the user sees it too, once
// however many runs met it; true when there was one.
bool SignaleEcrituresRefusees(const QString& programme) {
  std::vector<EcritureRefusee> dites;
  for (const EcritureRefusee& refus : EcrituresRefusees()) {
    if (std::find(dites.begin(), dites.end(), refus) != dites.end()) continue;
    dites.push_back(refus);
    // A file of the program's folder is refused for its other names, as the window tells them.
    const QString autres = refus.autresNoms > 0
                               ? QStringLiteral(". ") + TexteRes(BaseAnglais + 191).arg(refus.autresNoms)
                               : QString();
    std::fprintf(stderr,
                 "morvo-run: %s: the program may not write or delete %s, outside its folder, "
                 "without --allow-writes%s\n",
                 qPrintable(NomLisible(programme)), qPrintable(NomLisible(refus.nom)), qPrintable(autres));
  }
  return !dites.empty();
}

// Each run error (a stop by --max-statements included) is told on the standard error as it is met,
// in one line "FILE:LINE: message" in the message language: the message as the window shows it,
// without the list of variables. The print run meets the screen run's errors again: each is told
// once.
class ErreursRun {
 public:
  explicit ErreursRun(const QString& programme) : programme_(NomLisible(programme)) {
    DefinitSuiviErreursRun([this](int ligne, const QString& texte) { Signale(ligne, texte); });
  }
  ~ErreursRun() { DefinitSuiviErreursRun({}); }
  ErreursRun(const ErreursRun&) = delete;
  ErreursRun& operator=(const ErreursRun&) = delete;
  bool Aucune() const { return dites_.isEmpty(); }

 private:
  void Signale(int ligne, const QString& texte) {
    QStringList parties;
    for (const QString& partie : DecoupeLignes(texte)) {
      if (!partie.trimmed().isEmpty()) parties << partie.trimmed();
    }
    if (parties.isEmpty()) return;
    QString message = parties.takeFirst();
    if (!parties.isEmpty()) message += QStringLiteral(": ") + parties.join(u' ');
    const QString dite = QStringLiteral("%1:%2: %3").arg(programme_).arg(ligne).arg(message);
    if (dites_.contains(dite)) return;
    dites_ << dite;
    std::fprintf(stderr, "%s\n", qPrintable(dite));
    std::fflush(stderr);
  }

  QString programme_;
  QStringList dites_;
};

// Writes the outputs once the run is over, each whole or not at all, and tells each that is not
// (with the refused ones and the program's own failed writes); the exit status: 0, or 3 when any
// failed.
int EcritSorties(SessionHeadless& session, FichierJournal* journal, const OptionsRun& o,
                 const std::vector<std::pair<QString, QString>>& echecsAvant, const QString& echecFichier,
                 const QString& raisonFichier) {
  // A reader of a FIFO output that goes away is a failed write, not the end of the runner.
  std::signal(SIGPIPE, SIG_IGN);
  int code = 0;
  const auto echec = [&code](const QString& fichier, const QString& raison) {
    std::fprintf(stderr, "morvo-run: cannot write %s: %s\n", qPrintable(NomLisible(fichier)),
                 qPrintable(raison));
    code = 3;
  };
  for (const auto& [fichier, raison] : echecsAvant) echec(fichier, raison);
  QString raison;
  // The print run runs the program again: after a stop it would stop at once, and its blank page is
  // no drawing; the log then keeps the stopped run's variables.
  const QString arrete = QStringLiteral("the run was stopped by a signal, so the print run is not whole");
  if (!o.pdf.isEmpty() && arretDemande) {
    echec(o.pdf, arrete);
  } else if (!o.pdf.isEmpty()) {
    bool ecrit = false;
    try {
      ecrit = session.ImprimePdf(o.pdf, &raison, FinRuns);
    } catch (const std::bad_alloc&) {
      raison = QStringLiteral("memory ran out while making the PDF");
    }
    if (!ecrit) echec(o.pdf, raison.isEmpty() ? arrete : raison);
  }
  FinRuns();
  if (SignaleEcrituresRefusees(o.programme)) code = 3;
  if (!echecFichier.isEmpty()) echec(echecFichier, raisonFichier);
  if (!o.png.isEmpty()) {
    raison.clear();
    try {
      QBuffer image;
      image.open(QIODevice::WriteOnly);
      if (!session.Image().save(&image, "PNG") || !EcritSortie(o.png, image.data(), &raison)) {
        if (raison.isEmpty()) raison = QStringLiteral("the PNG encoder failed");
        echec(o.png, raison);
      }
    } catch (const std::bad_alloc&) {
      echec(o.png, MemoireEpuisee(QStringLiteral("the PNG file of the image"), o.largeur, o.hauteur));
    }
  }
  // The log is for tools: always UTF-8 with LF line ends.
  if (journal && !TermineJournal(session, *journal, &raison)) echec(o.log, raison);
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  // First of all: a signal that comes while the runner starts up must not end it, nor a write past
  // the file-size limit, which then fails with its reason as on a full disk, nor memory that runs
  // out.
  ArreteSurSignal();
  IgnoreLimiteTailleFichier();
  std::set_terminate(FinSansMemoire);
  QStringList arguments;
  // Names are the system's bytes, UTF-8 or not: each argument keeps its own.
  for (int i = 0; i < argc; ++i) arguments << TexteDuNom(QByteArray(argv[i]));
  OptionsRun options;
  if (const int code = LitOptions(arguments, options); code >= 0) return code;
  // The system's reasons found before Qt sets the user's locale up (as it does) are in the user's
  // language too.
  std::setlocale(LC_ALL, "");
  // An output that cannot be written is told once the run is over, with exit status 3.
  QString depart;
  QString raisonDepart;
  if (const std::optional<QString> courant = DossierCourant(&raisonDepart)) depart = *courant;
  std::vector<std::pair<QString, QString>> echecs = PrepareSorties(options, depart, raisonDepart);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(MessageQt);
  // Every argument is the runner's own: Qt is given none to take options from.
  int argcQt = 1;
  // The application lives on to the end of the process: destroyed, it would first load the whole
  // font configuration (when the run drew no text) only to free it, which crashes in the font
  // library when memory has run out.
  new QGuiApplication(argcQt, argv);
  const std::optional<QString> texte = LitProgramme(options.programme, depart, raisonDepart);
  if (!texte) return 2;
  // The zoom the window takes as it loads the program.
  const float zoomInitial = ZoomInitial(FinsDeLigneProgramme(*texte));
  if (!TailleAuZoom(options, zoomInitial)) return 1;

  SessionHeadless session(options.largeur, options.hauteur);
  Shell.ZoomCourant = options.zoom > 0 ? options.zoom : zoomInitial;
  ChoisitLangue(options.langue, depart);
  // The image the run draws into is made first: without it there is no run to write.
  if (session.Image().isNull()) {
    std::fprintf(stderr, "morvo-run: cannot run %s: %s\n", qPrintable(NomLisible(options.programme)),
                 qPrintable(MemoireEpuisee(QStringLiteral("the image"), options.largeur, options.hauteur)));
    return 3;
  }
  SessionHeadless::MesureImprimantePdf();
  for (const QString& r : options.reponses) session.AjouteReponse(r);
  PolitiqueShell = options.shellPermis ? AccordShell::Autoriser : AccordShell::Refuser;
  PolitiqueEcritures = options.ecrituresPermises ? AccordEcriture::Autoriser : AccordEcriture::Refuser;
  MaxInstructions = options.maxInstructions;
  const std::unique_ptr<FichierJournal> journal = OuvreJournal(session, options.log);
  const QString& programme = options.programme;
  // As the system reads the name: "link/.." is the parent of what the link leads to.
  PrepareDossiers(depart,
                  CheminPropre(QDir::isRelativePath(programme) ? depart + u'/' + programme : programme));
  // A file the program writes (PRINTA, a Plot offset file) that fails is a run error in the log, and
  // the first one also makes the exit status, as a failed output does.
  QString echecFichier, raisonFichier;
  DefinitSuiviEchecs([&echecFichier, &raisonFichier](const QString& chemin, const QString& raison) {
    if (!echecFichier.isEmpty()) return;
    echecFichier = chemin;
    raisonFichier = raison;
  });
  const ErreursRun erreursRun(programme);
  session.Execute(*texte);
  // The print run is part of the run: its failed writes are followed up to its end (FinRuns).
  const int code = EcritSorties(session, journal.get(), options, echecs, echecFichier, raisonFichier);
  // A failed write keeps the status it always had; a drawing that ended in a run error has its own.
  return code == 0 && !erreursRun.Aucune() ? 4 : code;
}
