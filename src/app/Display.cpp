#include "app/Display.h"

#include <dlfcn.h>

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QLibraryInfo>
#include <QList>
#include <QMessageLogContext>
#include <QPluginLoader>
#include <QSet>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/FileNames.h"

namespace {

// The options the toolkit reads before it opens a window, read as it reads them: "-name VALUE"
// or "--name VALUE" only, the last one counting, wherever it stands ("--" included).
struct OptionsBoiteOutils {
  std::optional<QByteArray> plateforme;  // -platform
  int indicePlateforme = -1;             // where its value stands in argv
  QByteArray cheminPlateformes;          // -platformpluginpath
  std::optional<QByteArray> affichage;   // -display, read by the X11 platform
};

// Qt's platform when nothing names one; a Wayland session has the Wayland platform tried first.
QByteArray PlateformesParDefaut() {
  if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland")
    return QByteArrayLiteral("wayland;xcb");
  return QByteArrayLiteral("xcb");
}

OptionsBoiteOutils LitOptions(int argc, char** argv) {
  OptionsBoiteOutils o;
  const QByteArray environnement = qgetenv("QT_QPA_PLATFORM");
  QList<QByteArray> restants;
  // The toolkit's own pass: the options it takes away with their values.
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (a[0] != '-') {
      restants << QByteArray(a);
      continue;
    }
    if (a[1] == '-') ++a;
    const QByteArray courante =
        o.plateforme ? *o.plateforme : (environnement.isEmpty() ? PlateformesParDefaut() : environnement);
    const bool x11 = courante.startsWith("xcb");
    if (std::strcmp(a, "-platform") == 0) {
      if (++i < argc) {
        o.plateforme = QByteArray(argv[i]);
        o.indicePlateforme = i;
      }
    } else if (std::strcmp(a, "-platformpluginpath") == 0) {
      if (++i < argc) o.cheminPlateformes = QByteArray(argv[i]);
    } else if (std::strcmp(a, "-platformtheme") == 0 || std::strcmp(a, "-qwindowgeometry") == 0 ||
               std::strcmp(a, "-qwindowtitle") == 0 || std::strcmp(a, "-qwindowicon") == 0 ||
               (x11 && (std::strcmp(a, "-geometry") == 0 || std::strcmp(a, "-title") == 0 ||
                        std::strcmp(a, "-icon") == 0))) {
      ++i;
    } else {
      restants << QByteArray(argv[i]);
    }
  }
  // The X11 platform's pass over what is left.
  for (qsizetype i = 0; i < restants.size(); ++i) {
    QByteArray a = restants[i];
    if (a.startsWith("--")) a.remove(0, 1);
    if (i + 1 >= restants.size()) break;
    if (a == "-display")
      o.affichage = restants[++i];
    else if (a == "-name" || a == "-visual")
      ++i;
  }
  return o;
}

// The platforms the toolkit will try, in its order: their names, lower case as it looks them up.
QStringList Plateformes(const OptionsBoiteOutils& o) {
  QByteArray choix = o.plateforme.value_or(qgetenv("QT_QPA_PLATFORM"));
  if (!o.plateforme && choix.isEmpty()) choix = PlateformesParDefaut();
  QStringList noms;
  for (const QString& entree : QString::fromLocal8Bit(choix).split(u';', Qt::SkipEmptyParts)) {
    const QStringList parties = entree.split(u':', Qt::SkipEmptyParts);
    if (!parties.isEmpty()) noms << parties.constFirst().toLower();
  }
  return noms;
}

// The platforms installed where the toolkit looks for them; empty when it finds none there (its
// platforms may then be built in, and the toolkit tells the rest).
QSet<QString> PlateformesInstallees(const OptionsBoiteOutils& o) {
  QStringList dossiers;
  const QString propre = o.cheminPlateformes.isEmpty() ? qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH")
                                                       : QString::fromLocal8Bit(o.cheminPlateformes);
  if (!propre.isEmpty()) dossiers << propre;
  for (const QString& d :
       qEnvironmentVariable("QT_PLUGIN_PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts))
    dossiers << d + QStringLiteral("/platforms");
  dossiers << QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
  dossiers << QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + QStringLiteral("/platforms");
  QSet<QString> cles;
  for (const QString& d : dossiers) {
    const QDir dossier(d);
    for (const QString& f : dossier.entryList(QDir::Files)) {
      if (!QLibrary::isLibrary(f)) continue;
      // The plugin's description, read without loading it.
      const QJsonObject description = QPluginLoader(dossier.filePath(f)).metaData();
      if (!description.value(QLatin1String("IID"))
               .toString()
               .startsWith(QLatin1String("org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface")))
        continue;
      for (const auto& cle :
           description.value(QLatin1String("MetaData")).toObject().value(QLatin1String("Keys")).toArray())
        cles.insert(cle.toString().toLower());
    }
  }
  return cles;
}

// The probe's connection to the X server, kept until the toolkit has its own: a server whose only
// client leaves resets itself (a fresh virtual display), and refuses the toolkit meanwhile.
struct SondeX {
  void* bibliotheque = nullptr;
  void* connexion = nullptr;
  void (*deconnecte)(void*) = nullptr;
};
SondeX Sonde;

// Asks the X server itself, through the library the toolkit's X11 platform connects with; -1 when
// that library cannot be loaded (the toolkit then tells it).
int ConnexionX(const QByteArray& affichage) {
  void* xcb = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
  if (xcb == nullptr) return -1;
  using Connecte = void* (*)(const char*, int*);
  using Erreur = int (*)(void*);
  using Deconnecte = void (*)(void*);
  const auto connecte = reinterpret_cast<Connecte>(dlsym(xcb, "xcb_connect"));
  const auto erreur = reinterpret_cast<Erreur>(dlsym(xcb, "xcb_connection_has_error"));
  const auto deconnecte = reinterpret_cast<Deconnecte>(dlsym(xcb, "xcb_disconnect"));
  if (connecte == nullptr || erreur == nullptr || deconnecte == nullptr) {
    dlclose(xcb);
    return -1;
  }
  LacheSondeAffichage();
  void* connexion = connecte(affichage.constData(), nullptr);
  if (erreur(connexion) != 0) {
    deconnecte(connexion);
    dlclose(xcb);
    return 0;
  }
  Sonde = {xcb, connexion, deconnecte};
  return 1;
}

// The same for the Wayland compositor that the toolkit's Wayland platform connects to.
int ConnexionWayland() {
  void* wayland = dlopen("libwayland-client.so.0", RTLD_LAZY | RTLD_LOCAL);
  if (wayland == nullptr) return -1;
  using Connecte = void* (*)(const char*);
  using Deconnecte = void (*)(void*);
  const auto connecte = reinterpret_cast<Connecte>(dlsym(wayland, "wl_display_connect"));
  const auto deconnecte = reinterpret_cast<Deconnecte>(dlsym(wayland, "wl_display_disconnect"));
  int resultat = -1;
  if (connecte != nullptr && deconnecte != nullptr) {
    void* connexion = connecte(nullptr);
    resultat = connexion != nullptr ? 1 : 0;
    if (connexion != nullptr) deconnecte(connexion);
  }
  dlclose(wayland);
  return resultat;
}

// The toolkit's messages while the platform starts (GardeDemarrage).
struct MessageTenu {
  QtMsgType type;
  QByteArray categorie;
  QString texte;
};
QtMessageHandler GestionnairePrecedent = nullptr;
QString PlateformeGardee;
QList<MessageTenu> MessagesTenus;

void GestionDemarrage(QtMsgType type, const QMessageLogContext& contexte, const QString& texte) {
  if (type != QtFatalMsg) {
    MessagesTenus.push_back({type, QByteArray(contexte.category), texte});
    return;
  }
  // The toolkit would abort: what it said on the way is the reason.
  QStringList raisons;
  for (const MessageTenu& m : MessagesTenus) raisons << m.texte;
  raisons << texte;
  QStringList dites;
  for (QString r : raisons) {
    r = r.simplified();
    if (!r.isEmpty() && !dites.contains(r)) dites << r;
  }
  std::fprintf(stderr, "morvo: no display could be opened: the platform \"%s\" could not start: %s\n",
               qPrintable(NomLisible(PlateformeGardee)), qPrintable(dites.join(QStringLiteral("; "))));
  std::fflush(stderr);
  // Nothing of the half-made toolkit is taken down.
  std::_Exit(1);
}

QString Cite(const QByteArray& nom) {
  return QLatin1Char('"') + NomLisible(QString::fromLocal8Bit(nom)) + QLatin1Char('"');
}

// Whether the installed platform `nom` can start: 1 yes, 0 no (with why in `raison`), -1 when
// only the toolkit can tell.
int Demarre(const QString& nom, const OptionsBoiteOutils& o, QString& raison) {
  if (nom == QLatin1String("xcb")) {
    const QByteArray affichage = o.affichage.value_or(qgetenv("DISPLAY"));
    if (affichage.isEmpty()) {
      raison = QStringLiteral("DISPLAY is not set");
      return 0;
    }
    const int x = ConnexionX(affichage);
    if (x == 0) raison = Cite(affichage) + QStringLiteral(" does not answer");
    return x;
  }
  if (nom.startsWith(QLatin1String("wayland"))) {
    const QByteArray affichage = qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
                                     ? qgetenv("WAYLAND_DISPLAY")
                                     : QByteArrayLiteral("wayland-0");
    // The library would say it in a line of its own.
    if (!qEnvironmentVariableIsSet("WAYLAND_SOCKET") && !affichage.startsWith('/') &&
        !qgetenv("XDG_RUNTIME_DIR").startsWith('/')) {
      raison = QStringLiteral("XDG_RUNTIME_DIR, the folder of the Wayland display, is not set");
      return 0;
    }
    const int w = ConnexionWayland();
    if (w == 0)
      raison = QStringLiteral("the Wayland display ") + Cite(affichage) + QStringLiteral(" does not answer");
    return w;
  }
  // It starts, but lays the window on the display only as a Vulkan surface: what the widgets paint
  // goes into a picture that nothing shows, and the program would run on unseen.
  if (nom == QLatin1String("vkkhrdisplay")) {
    raison = QStringLiteral("the platform \"vkkhrdisplay\" shows no window (it shows Vulkan surfaces only)");
    return 0;
  }
  return -1;
}

}  // namespace

void LacheSondeAffichage() {
  if (Sonde.connexion == nullptr) return;
  Sonde.deconnecte(Sonde.connexion);
  dlclose(Sonde.bibliotheque);
  Sonde = {};
}

GardeDemarrage::GardeDemarrage(const QString& plateforme) {
  PlateformeGardee = plateforme;
  MessagesTenus.clear();
  GestionnairePrecedent = qInstallMessageHandler(GestionDemarrage);
}

void GardeDemarrage::Leve() {
  if (levee_) return;
  levee_ = true;
  qInstallMessageHandler(GestionnairePrecedent);
  for (const MessageTenu& m : std::as_const(MessagesTenus)) {
    const QMessageLogContext contexte(nullptr, 0, nullptr,
                                      m.categorie.isEmpty() ? nullptr : m.categorie.constData());
    GestionnairePrecedent(m.type, contexte, m.texte);
  }
  MessagesTenus.clear();
}

bool AffichageAccessible(int argc, char** argv, QString* plateforme) {
  const OptionsBoiteOutils o = LitOptions(argc, argv);
  const QStringList plateformes = Plateformes(o);
  if (plateformes.isEmpty()) {
    std::fputs("morvo: no display could be opened: no platform is named\n", stderr);
    return false;
  }
  const QSet<QString> installees = PlateformesInstallees(o);
  QStringList raisons;
  qsizetype absentes = 0;
  bool wayland = false;
  for (const QString& nom : plateformes) {
    wayland = wayland || nom.startsWith(QLatin1String("wayland"));
    if (!installees.isEmpty() && !installees.contains(nom)) {
      raisons << QStringLiteral("the platform \"%1\" is not installed").arg(NomLisible(nom));
      ++absentes;
      continue;
    }
    QString raison;
    if (Demarre(nom, o, raison) != 0) {
      if (plateforme) *plateforme = nom;
      return true;
    }
    raisons << raison;
  }
  // The Wayland platform asked for cannot start: the X display, where one answers, as the
  // toolkit itself falls back to it in a Wayland session.
  if (wayland && !plateformes.contains(QLatin1String("xcb")) &&
      (installees.isEmpty() || installees.contains(QLatin1String("xcb")))) {
    QString raison;
    const int x = Demarre(QStringLiteral("xcb"), o, raison);
    if (x != 0) {
      const QByteArray affichage = o.affichage.value_or(qgetenv("DISPLAY"));
      std::fprintf(stderr, "morvo: %s; the window opens on the X display %s\n",
                   qPrintable(raisons.join(QStringLiteral(", and "))), qPrintable(Cite(affichage)));
      qputenv("QT_QPA_PLATFORM", "xcb");
      static char x11[] = "xcb";
      if (o.indicePlateforme > 0) argv[o.indicePlateforme] = x11;
      if (plateforme) *plateforme = QStringLiteral("xcb");
      return true;
    }
    raisons << raison;
  }
  QString ligne = raisons.join(QStringLiteral(", and "));
  // Only platforms that are not there: the ones that are.
  if (absentes == raisons.size()) {
    QStringList liste(installees.cbegin(), installees.cend());
    std::sort(liste.begin(), liste.end());
    ligne += QStringLiteral(" (installed: %1)").arg(liste.join(QStringLiteral(", ")));
  }
  std::fprintf(stderr, "morvo: no display could be opened: %s\n", qPrintable(ligne));
  return false;
}
