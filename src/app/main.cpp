// The desktop program: the main window over the drawing, with the program editor beside it.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <csignal>

#include "platform/Host.h"
#include "platform/QtPrompter.h"
#include "shell/MainWindow.h"
#include "shell/QtHost.h"

namespace {

// A termination request (session end, kill) closes the window as its close box does, so the
// save question is asked and the configuration written. The handler only writes to a socket; the
// event loop does the rest.
int paireSignal[2] = {-1, -1};

void SurSignal(int) {
  const char c = 1;
  [[maybe_unused]] const ssize_t n = ::write(paireSignal[0], &c, 1);
}

void FermeSurSignal(QMainWindow& fenetre) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, paireSignal) != 0) return;
  auto* notificateur = new QSocketNotifier(paireSignal[1], QSocketNotifier::Read, &fenetre);
  QObject::connect(notificateur, &QSocketNotifier::activated, &fenetre, [&fenetre] {
    char c = 0;
    [[maybe_unused]] const ssize_t n = ::read(paireSignal[1], &c, 1);
    fenetre.close();
  });
  struct sigaction action = {};
  action.sa_handler = SurSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Morvo"));
  RazValeursShell();
  QtPrompter prompteur;
  DefinitDialogues(&prompteur);
  // The editor reads the shell's language settings and opens its help through this one.
  HoteEditeurQt hoteEditeur;
  int code = 0;
  {
    FenetrePrincipale fenetre;
    FermeSurSignal(fenetre);
    fenetre.show();
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (fenetre.Demarre(arguments)) code = QApplication::exec();
  }
  DefinitDialogues(nullptr);
  return code;
}
