#include "shell/PrintSystem.h"

#include <dlfcn.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>
#include <QTimer>
#include <atomic>
#include <functional>
#include <map>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "platform/Events.h"
#include "platform/SystemReasons.h"

int DelaiSystemeImpression = 20000;

namespace {

// The one wait: the window answers meanwhile; Esc (the stop request) or the time limit ends it.
FinQuestion Attend(const std::function<bool()>& repondu) {
  QEventLoop boucle;
  QTimer veille;
  QElapsedTimer attente;
  FinQuestion fin = FinQuestion::Reponse;
  QObject::connect(&veille, &QTimer::timeout, &boucle, [&] {
    if (repondu()) fin = FinQuestion::Reponse;
    else if (Arret) fin = FinQuestion::Echap;
    else if (attente.elapsed() > DelaiSystemeImpression) fin = FinQuestion::Delai;
    else return;
    boucle.quit();
  });
  attente.start();
  veille.start(20);
  if (!repondu()) boucle.exec();
  return fin;
}

// ---- the print system's client library, as Qt's printer support loads it ----

void* FonctionCups(const char* nom) {
  static void* bibliotheque = ::dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
  return bibliotheque ? ::dlsym(bibliotheque, nom) : nullptr;
}
template <typename F>
F Cups(const char* nom) {
  return reinterpret_cast<F>(FonctionCups(nom));
}
using FnGetDests = int (*)(void**);
using FnGetNamedDest = void* (*)(void*, const char*, const char*);
using FnGetPpd = const char* (*)(const char*);
using FnFreeDests = void (*)(int, void*);
using FnGetDest = void* (*)(const char*, const char*, int, void*);
using FnCopyDest = int (*)(void*, int, void**);

// A destination as the library lays it out.
struct Destination {
  char* name;
  char* instance;
  int is_default;
  int num_options;
  void* options;
};

// The print system's answers: its destinations (the library's own array) and the description of
// each queue.
struct Releve {
  int nombre = 0;
  void* destinations = nullptr;
  QHash<QString, QByteArray> descriptions;
  Releve() = default;
  Releve(const Releve&) = delete;
  Releve& operator=(const Releve&) = delete;
  ~Releve() {
    if (const auto libere = Cups<FnFreeDests>("cupsFreeDests"); libere && destinations)
      libere(nombre, destinations);
  }
};
std::shared_ptr<const Releve> releve;

QByteArray LitDescriptionDe(const std::string& file) {
  const auto getPpd = Cups<FnGetPpd>("cupsGetPPD");
  const char* nom = getPpd ? getPpd(file.c_str()) : nullptr;
  if (nom == nullptr) return {};
  QFile ppd(QFile::decodeName(nom));
  QByteArray texte = ppd.open(QIODevice::ReadOnly) ? ppd.readAll() : QByteArray();
  ::unlink(nom);
  return texte;
}

// The record, asked on the calling thread: the destinations, then every queue's description at
// once, each on a thread (and a connection) of its own.
void Remplit(Releve& r) {
  const auto getDests = Cups<FnGetDests>("cupsGetDests");
  if (!getDests) return;
  r.nombre = getDests(&r.destinations);
  const auto* d = static_cast<const Destination*>(r.destinations);
  std::map<QString, std::future<QByteArray>> questions;
  for (int i = 0; i < r.nombre; ++i) {
    if (const QString file = QString::fromUtf8(d[i].name); !questions.contains(file))
      questions.emplace(file, std::async(std::launch::async, LitDescriptionDe, std::string(d[i].name)));
  }
  for (auto& [file, question] : questions) {
    if (QByteArray texte = question.get(); !texte.isEmpty()) r.descriptions.insert(file, texte);
  }
}

// Splits a value at spaces and tabs, and at the line ends of a value over several lines.
QList<double> Nombres(const QByteArray& valeur) {
  QList<double> nombres;
  for (const QByteArray& mot : valeur.simplified().split(' '))
    if (!mot.isEmpty()) nombres << mot.toDouble();
  return nombres;
}

}  // namespace

QString TexteSansReponse() {
  return QStringLiteral("Le système d'impression ne répond pas [The print system does not answer]");
}

FinQuestion ClientImpression(const QString& programme, const QStringList& arguments, QString& sortie,
                             bool& reussi) {
  QProcess client;
  client.setProcessChannelMode(QProcess::MergedChannels);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
  client.setProcessEnvironment(env);
  client.start(programme, arguments);
  const FinQuestion fin = Attend([&client] { return client.state() == QProcess::NotRunning; });
  reussi = false;
  if (fin != FinQuestion::Reponse) {
    client.kill();
    client.waitForFinished(2000);
    sortie = fin == FinQuestion::Delai ? TexteSansReponse() : QString();
  } else if (client.error() == QProcess::FailedToStart) {
    sortie = programme + QStringLiteral(": ") + RaisonSysteme(client);
  } else {
    sortie = QString::fromLocal8Bit(client.readAll()).trimmed();
    reussi = client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0;
  }
  return fin;
}

FinQuestion ReleveSystemeImpression() {
  // A record given up is left to its thread, which frees it whenever the print system answers.
  struct Question {
    Releve reponse;
    std::atomic<bool> fini = false;
  };
  const auto question = std::make_shared<Question>();
  std::thread([question] {
    Remplit(question->reponse);
    question->fini = true;
  }).detach();
  const FinQuestion fin = Attend([&question] { return question->fini.load(); });
  if (fin == FinQuestion::Reponse) releve = std::shared_ptr<const Releve>(question, &question->reponse);
  return fin;
}

void OublieReleveImpression() { releve.reset(); }

bool DescriptionDe(const QString& file, DescriptionFile& description) {
  if (!releve || !releve->descriptions.contains(file)) return false;
  description = LitDescription(releve->descriptions.value(file));
  return true;
}

DescriptionFile LitDescription(const QByteArray& texte) {
  DescriptionFile d;
  const QList<QByteArray> lignes = texte.split('\n');
  for (qsizetype i = 0; i < lignes.size(); ++i) {
    const QByteArray& ligne = lignes[i];
    const qsizetype deuxPoints = ligne.indexOf(':');
    if (!ligne.startsWith('*') || ligne.startsWith("*%") || deuxPoints < 0) continue;
    QByteArray valeur = ligne.mid(deuxPoints + 1).trimmed();
    if (valeur.startsWith('"')) {
      valeur.remove(0, 1);
      // A quoted value ends at the next quote, on this line or a later one.
      while (!valeur.contains('"') && i + 1 < lignes.size()) valeur += '\n' + lignes[++i];
      valeur.truncate(valeur.indexOf('"'));
    }
    // The keyword, then the option up to its translation; spaces and tabs separate.
    const QList<QByteArray> cle = ligne.left(deuxPoints).mid(1).simplified().split(' ');
    const QByteArray& motCle = cle[0];
    const QString option = cle.size() > 1 ? QString::fromLatin1(cle[1].left(cle[1].indexOf('/'))) : QString();
    const QList<double> v = Nombres(valeur);
    if (motCle == "LandscapeOrientation") {
      d.horaire = valeur == "Minus90";
    } else if (motCle == "PaperDimension" && v.size() == 2) {
      d.papiers.insert(option, QSizeF(v[0], v[1]));
    } else if (motCle == "ImageableArea" && v.size() == 4) {
      d.zones.insert(option, QRectF(QPointF(v[0], v[1]), QPointF(v[2], v[3])));
    }
  }
  return d;
}

// Qt's printer support asks the print system through these three requests of its client library,
// on the window's thread: once a record is taken, they are answered from it, at once (copies that
// Qt frees as the library's own answers). Before any record they are the library's.
extern "C" {

int cupsGetDests(void** destinations) {
  if (!releve) return Cups<FnGetDests>("cupsGetDests")(destinations);
  const auto copie = Cups<FnCopyDest>("cupsCopyDest");
  const auto* d = static_cast<Destination*>(releve->destinations);
  int nombre = 0;
  *destinations = nullptr;
  for (int i = 0; i < releve->nombre; ++i) nombre = copie(const_cast<Destination*>(&d[i]), nombre, destinations);
  return nombre;
}

void* cupsGetNamedDest(void* http, const char* nom, const char* instance) {
  if (!releve) return Cups<FnGetNamedDest>("cupsGetNamedDest")(http, nom, instance);
  void* trouve = Cups<FnGetDest>("cupsGetDest")(nom, instance, releve->nombre, releve->destinations);
  void* copie = nullptr;
  if (trouve) Cups<FnCopyDest>("cupsCopyDest")(trouve, 0, &copie);
  return copie;
}

const char* cupsGetPPD(const char* nom) {
  if (!releve) return Cups<FnGetPpd>("cupsGetPPD")(nom);
  const QByteArray texte = nom ? releve->descriptions.value(QString::fromUtf8(nom)) : QByteArray();
  if (texte.isEmpty()) return nullptr;
  // As the library's, the file is the caller's to remove, and its name lasts until the next request.
  QTemporaryFile fichier(QDir::tempPath() + QStringLiteral("/morvo-XXXXXX.ppd"));
  if (!fichier.open() || fichier.write(texte) != texte.size()) return nullptr;
  fichier.setAutoRemove(false);
  static std::string nomFichier;
  nomFichier = QFile::encodeName(fichier.fileName()).toStdString();
  return nomFichier.c_str();
}

}  // extern "C"
