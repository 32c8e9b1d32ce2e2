#include "app/Display.h"

#include <dlfcn.h>

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdio>
#include <cstring>

#include "platform/FileNames.h"

namespace {

// The value of the toolkit's option `nom` (-nom VALUE, --nom VALUE or -nom=VALUE) in the command
// line; null when it is not given.
QByteArray Option(int argc, char** argv, const char* nom) {
  const size_t n = std::strlen(nom);
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--") == 0) break;
    if (a[0] != '-') continue;
    if (a[1] == '-') ++a;
    if (std::strncmp(a + 1, nom, n) != 0) continue;
    if (a[1 + n] == '=') return QByteArray(a + 2 + n);
    if (a[1 + n] == '\0' && i + 1 < argc) return QByteArray(argv[i + 1]);
  }
  return {};
}

// The platforms the toolkit will try, in its own order of choice.
QByteArray Plateformes(int argc, char** argv) {
  QByteArray choix = Option(argc, argv, "platform");
  if (choix.isEmpty()) choix = qgetenv("QT_QPA_PLATFORM");
  if (!choix.isEmpty()) return choix;
  if (qgetenv("XDG_SESSION_TYPE") == "wayland") return QByteArrayLiteral("wayland");
  return QByteArrayLiteral("xcb");
}

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
  int resultat = -1;
  if (connecte != nullptr && erreur != nullptr && deconnecte != nullptr) {
    void* connexion = connecte(affichage.constData(), nullptr);
    resultat = erreur(connexion) == 0 ? 1 : 0;
    deconnecte(connexion);
  }
  dlclose(xcb);
  return resultat;
}

}  // namespace

bool AffichageAccessible(int argc, char** argv) {
  for (const QByteArray& p : Plateformes(argc, argv).split(';')) {
    if (p.split(':').constFirst().trimmed() != "xcb") return true;
  }
  QByteArray affichage = Option(argc, argv, "display");
  if (affichage.isEmpty()) affichage = qgetenv("DISPLAY");
  if (affichage.isEmpty()) {
    std::fputs("morvo: no display could be opened: DISPLAY is not set\n", stderr);
    return false;
  }
  if (ConnexionX(affichage) != 0) return true;
  std::fprintf(stderr, "morvo: no display could be opened: \"%s\" does not answer\n",
               qPrintable(NomLisible(QString::fromLocal8Bit(affichage))));
  return false;
}
