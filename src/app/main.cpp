// The desktop program: the main window over the drawing, with the program editor beside it.
#include <QApplication>
#include <QStringList>

#include "platform/Host.h"
#include "platform/QtPrompter.h"
#include "shell/MainWindow.h"
#include "shell/QtHost.h"
#include "shell/Shutdown.h"

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
