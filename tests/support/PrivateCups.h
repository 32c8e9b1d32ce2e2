#pragma once

// A print system of the test process's own: a cupsd with its configuration, spool and Unix socket
// in a temporary folder, and queues that write what they print into files there. The process is
// pointed at it with CUPS_SERVER from its start (the print system's client library keeps the
// server it first used), so one cupsd serves the process and each test sets up its queues anew.
// Not available (Pret() false) when cupsd or its PDF filter is not installed, or when it cannot
// start here.

#include <signal.h>
#include <sys/prctl.h>
#include <sys/types.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

class CupsPrive {
 public:
  // The page a queue declares: A4, with the margins it cannot print in (points).
  struct File {
    QString Nom;
    double MargeX = 0;    // left (and right)
    double MargeY = 0;    // bottom (and top)
    bool Lettre = false;  // US Letter instead of A4
    double Droite = -1;   // right and top, when not MargeX and MargeY
    double Haut = -1;
    bool Moins90 = false;  // lays landscape pages a quarter turn clockwise on the sheet
    // The printable area as the description writes it, instead of the margins' ("0 0 0 0"); "-"
    // for none (no *ImageableArea line).
    QString Zone = {};
    // Lines added at the end of the description.
    QString Suite = {};
  };

  // The print system of this process; its socket is CUPS_SERVER from the start on.
  static CupsPrive& DuProcessus() {
    static CupsPrive cups;
    return cups;
  }
  static QString SocketDuProcessus() { return DuProcessus().Socket(); }

  // cupsd running, with exactly these queues, no job and no output; false (see Raison()) when
  // it cannot be.
  bool Prepare(const QList<File>& files) {
    pret_ = false;
    if (!Demarre()) return false;
    Degele();
    Client(QStringLiteral("cancel"), {QStringLiteral("-a"), QStringLiteral("-x")});
    for (const QString& nom :
         Client(QStringLiteral("lpstat"), {QStringLiteral("-e")}).split(QLatin1Char('\n'))) {
      if (!nom.trimmed().isEmpty()) RetireFile(nom.trimmed());
    }
    // The print server appends to its page log: emptied, it tells this test's jobs only.
    if (QFile journal(Chemin(QStringLiteral("log/page_log"))); journal.exists()) journal.resize(0);
    QDir sortie(Chemin(QStringLiteral("sortie")));
    for (const QString& f : sortie.entryList(QDir::Files)) sortie.remove(f);
    for (const File& f : files) {
      if (!AjouteFile(f)) return false;
    }
    pret_ = true;
    return true;
  }

  ~CupsPrive() {
    if (cupsd_.state() != QProcess::NotRunning) {
      ::kill(static_cast<pid_t>(cupsd_.processId()), SIGCONT);
      cupsd_.terminate();
      if (!cupsd_.waitForFinished(10000)) cupsd_.kill();
      cupsd_.waitForFinished(5000);
    }
  }

  bool Pret() const { return pret_; }
  QString Raison() const { return raison_; }
  QString Socket() const { return Chemin(QStringLiteral("cups.sock")); }
  // The file that a queue's jobs are written into.
  QString Sortie(const QString& file) const {
    return Chemin(QStringLiteral("sortie/") + file + QStringLiteral(".pdf"));
  }

  // Waits until the queue has written its file (its jobs are all done); false when it has not.
  bool AttendSortie(const QString& file, int ms = 60000) {
    QDeadlineTimer fin(ms);
    while (!fin.hasExpired()) {
      if (QFileInfo(Sortie(file)).size() > 0 &&
          Client(QStringLiteral("lpstat"), {QStringLiteral("-o"), file}).isEmpty())
        return true;
      QThread::msleep(100);
    }
    return false;
  }

  // The titles under which the queue's jobs were queued, oldest first, once there are `nombre`
  // (the print system logs each job as it ends); fewer when they do not come.
  QStringList TitresJobs(const QString& file, int nombre) const {
    static const QRegularExpression ligne(QStringLiteral("^MORVO (\\S+) (\\d+) \\[(.*)\\]$"),
                                          QRegularExpression::MultilineOption);
    QMap<int, QString> titres;
    QDeadlineTimer fin(10000);
    do {
      titres.clear();
      QFile journal(Chemin(QStringLiteral("log/page_log")));
      if (journal.open(QIODevice::ReadOnly)) {
        auto trouve = ligne.globalMatch(QString::fromUtf8(journal.readAll()));
        while (trouve.hasNext()) {
          const QRegularExpressionMatch m = trouve.next();
          if (m.captured(1) == file) titres.insert(m.captured(2).toInt(), m.captured(3));
        }
      }
      if (titres.size() >= nombre) break;
      QThread::msleep(100);
    } while (!fin.hasExpired());
    return titres.values();
  }

  // The print system goes away, hangs, or comes back.
  void Arrete() {
    cupsd_.terminate();
    cupsd_.waitForFinished(10000);
  }
  pid_t Pid() const { return static_cast<pid_t>(cupsd_.processId()); }
  void Gele() { ::kill(static_cast<pid_t>(cupsd_.processId()), SIGSTOP); }
  void Degele() { ::kill(static_cast<pid_t>(cupsd_.processId()), SIGCONT); }
  bool RetireFile(const QString& nom) {
    QProcess p;
    p.setProcessEnvironment(Env());
    p.start(outils_.value(QStringLiteral("lpadmin")), {QStringLiteral("-x"), nom});
    return p.waitForFinished(30000) && p.exitCode() == 0;
  }

 private:
  CupsPrive() {
    if (!dossier_.isValid()) return;
    // The filters run as another user: they must reach the spool and the output folder.
    QFile::setPermissions(dossier_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                               QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                               QFileDevice::ExeOther);
    qputenv("CUPS_SERVER", Socket().toLocal8Bit());
  }

  bool Demarre() {
    if (cupsd_.state() == QProcess::Running) return true;
    // Each tool is started by the path it was found at: a plain user's PATH has no /usr/sbin.
    QStringList absents;
    for (const char* nom : {"cupsd", "lpadmin", "lp", "lpstat", "cancel"}) {
      const QString chemin = Outil(QLatin1String(nom));
      if (chemin.isEmpty()) absents << QLatin1String(nom);
      outils_.insert(QLatin1String(nom), chemin);
    }
    if (!QFileInfo::exists(QStringLiteral("/usr/lib/cups/filter/pdftopdf")))
      absents << QStringLiteral("/usr/lib/cups/filter/pdftopdf");
    if (!absents.isEmpty()) {
      raison_ = absents.join(QStringLiteral(", ")) +
                QStringLiteral(" not installed (looked for in /usr/sbin, /usr/bin, /sbin, /bin)");
      return false;
    }
    if (!dossier_.isValid()) {
      raison_ = QStringLiteral("no temporary folder for the private cupsd: ") + dossier_.errorString();
      return false;
    }
    QDir racine(dossier_.path());
    for (const char* d : {"cache", "state", "spool", "tmp", "log", "ppd", "sortie"})
      racine.mkpath(QLatin1String(d));
    QFile::setPermissions(Chemin(QStringLiteral("tmp")), QFileDevice::Permissions(0x7777));
    QFile::setPermissions(Chemin(QStringLiteral("sortie")), QFileDevice::Permissions(0x7777));
    Ecrit(QStringLiteral("cupsd.conf"),
          QStringLiteral("Listen %1\nLogLevel warn\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                         "PageLogFormat MORVO %p %j [%{job-name}]\n"
                         "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                         "<Policy default>\n  <Limit All>\n    Order deny,allow\n   "
                         " Allow all\n  </Limit>\n"
                         "</Policy>\n")
              .arg(Socket()));
    Ecrit(QStringLiteral("cups-files.conf"),
          QStringLiteral("FileDevice Yes\nServerRoot %1\nCacheDir %1/cache\nStateDir %1/state\n"
                         "RequestRoot %1/spool\nTempDir %1/tmp\nAccessLog %1/log/access_log\n"
                         "ErrorLog %1/log/error_log\nPageLog %1/log/page_log\n")
              .arg(dossier_.path()));
    cupsd_.setProgram(outils_.value(QStringLiteral("cupsd")));
    cupsd_.setArguments({QStringLiteral("-f"), QStringLiteral("-c"), Chemin(QStringLiteral("cupsd.conf")),
                         QStringLiteral("-s"), Chemin(QStringLiteral("cups-files.conf"))});
    cupsd_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A test process that is killed takes its print server with it, even a frozen one.
    cupsd_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    cupsd_.start();
    if (!cupsd_.waitForStarted(10000)) {
      raison_ = QStringLiteral("the private cupsd does not start here: ") + cupsd_.errorString();
      return false;
    }
    if (!Repond()) {
      raison_ = QStringLiteral("the private cupsd does not answer here (see %1)")
                    .arg(Chemin(QStringLiteral("log/error_log")));
      return false;
    }
    return true;
  }

  static QString Outil(const QString& nom) {
    return QStandardPaths::findExecutable(nom, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                                                QStringLiteral("/sbin"), QStringLiteral("/bin")});
  }
  QString Chemin(const QString& nom) const { return dossier_.filePath(nom); }
  void Ecrit(const QString& nom, const QString& texte) const {
    QFile f(Chemin(nom));
    if (f.open(QIODevice::WriteOnly)) f.write(texte.toUtf8());
  }
  QProcessEnvironment Env() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), Socket());
    // The clients' answers are read as text: in English whatever the user's language.
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    return env;
  }
  QString Client(const QString& outil, const QStringList& arguments) const {
    QProcess p;
    p.setProcessEnvironment(Env());
    p.start(outils_.value(outil), arguments);
    p.waitForFinished(30000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
  }
  bool Repond() {
    QDeadlineTimer fin(20000);
    while (!fin.hasExpired() && cupsd_.state() == QProcess::Running) {
      if (QFileInfo::exists(Socket()) && Client(QStringLiteral("lpstat"), {QStringLiteral("-r")})
                                             .contains(QStringLiteral("scheduler is running")))
        return true;
      QThread::msleep(100);
    }
    return false;
  }
  bool AjouteFile(const File& f) {
    // A PostScript-printer description of the queue's paper and margins; the PDF goes through
    // the PDF filter into the queue's file.
    const double droite = f.Droite < 0 ? f.MargeX : f.Droite, haut = f.Haut < 0 ? f.MargeY : f.Haut;
    QString ppd = QStringLiteral(
                      "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n"
                      "*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n*PCFileName: \"T.PPD\"\n"
                      "*Manufacturer: \"Test\"\n*Product: \"(Test)\"\n*ModelName: \"%1\"\n"
                      "*ShortNickName: \"%1\"\n*NickName: \"%1\"\n*PSVersion: \"(3010.000) 0\"\n"
                      "*LanguageLevel: \"3\"\n*ColorDevice: True\n*DefaultColorSpace: RGB\n"
                      "*FileSystem: False\n*Throughput: \"1\"\n*LandscapeOrientation: %6\n"
                      "*TTRasterizer: Type42\n"
                      "*cupsFilter2: \"application/pdf application/vnd.cups-pdf 0 pdftopdf\"\n"
                      "*OpenUI *PageSize/Media Size: PickOne\n*OrderDependency: 10 AnySetup *PageSize\n"
                      "*DefaultPageSize: A4\n*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
                      "*CloseUI: *PageSize\n*OpenUI *PageRegion: PickOne\n"
                      "*OrderDependency: 10 AnySetup *PageRegion\n*DefaultPageRegion: A4\n"
                      "*PageRegion A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n*CloseUI: *PageRegion\n"
                      "*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"%2 %3 %4 %5\"\n"
                      "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n")
                      .arg(f.Nom)
                      .arg(f.MargeX)
                      .arg(f.MargeY)
                      .arg(595 - droite)
                      .arg(842 - haut)
                      .arg(f.Moins90 ? QStringLiteral("Minus90") : QStringLiteral("Plus90"));
    if (!f.Zone.isEmpty()) {
      static const QRegularExpression zone(QStringLiteral("\\*ImageableArea A4/A4: \"[^\"]*\"\n"));
      if (f.Zone == QStringLiteral("-"))
        ppd.remove(zone).remove(QStringLiteral("*DefaultImageableArea: A4\n"));
      else
        ppd.replace(zone, QStringLiteral("*ImageableArea A4/A4: \"%1\"\n").arg(f.Zone));
    }
    if (f.Lettre) {
      ppd.replace(QStringLiteral("A4/A4"), QStringLiteral("Letter/US Letter"))
          .replace(QStringLiteral(": A4"), QStringLiteral(": Letter"))
          .replace(QStringLiteral("[595 842]"), QStringLiteral("[612 792]"))
          .replace(QStringLiteral("\"595 842\""), QStringLiteral("\"612 792\""))
          .replace(QStringLiteral("%1 %2\"\n*DefaultPaperDimension").arg(595 - droite).arg(842 - haut),
                   QStringLiteral("%1 %2\"\n*DefaultPaperDimension").arg(612 - droite).arg(792 - haut));
    }
    ppd += f.Suite;
    const QString fichierPpd = QStringLiteral("ppd/") + f.Nom + QStringLiteral(".src.ppd");
    Ecrit(fichierPpd, ppd);
    QProcess p;
    p.setProcessEnvironment(Env());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(outils_.value(QStringLiteral("lpadmin")),
            {QStringLiteral("-p"), f.Nom, QStringLiteral("-E"), QStringLiteral("-v"),
             QStringLiteral("file://") + Sortie(f.Nom), QStringLiteral("-P"), Chemin(fichierPpd)});
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
      const QString dit = QString::fromLocal8Bit(p.readAll()).trimmed();
      raison_ = QStringLiteral("lpadmin cannot add the queue ") + f.Nom +
                (p.error() == QProcess::FailedToStart ? QStringLiteral(": ") + p.errorString()
                 : dit.isEmpty()                      ? QString()
                                                      : QStringLiteral(": ") + dit);
      return false;
    }
    return true;
  }

  QTemporaryDir dossier_;
  // The tools by the paths they were found at.
  QMap<QString, QString> outils_;
  QProcess cupsd_;
  QString raison_;
  bool pret_ = false;
};
