// The desktop program: the main window over the drawing, with the program editor beside it.
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QStringList>

#include "CommandLine.h"
#include "app/Display.h"
#include "platform/FileNames.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/QtPrompter.h"
#include "platform/WriteSignals.h"
#include "shell/MainWindow.h"
#include "shell/QtHost.h"
#include "shell/Shutdown.h"

namespace {

// Reads the command line. -1 when the program goes on with `fichier`, the words of the program
// file to open; otherwise the exit status: 0 after --help or --version (on standard output), 1 for
// an unknown option (on standard error). --help and --version are answered before QApplication is
// made, so that they need no display, open no window and write no configuration; Qt's own options
// (-platform, -style, ...) are taken by QApplication before the final reading (`avantQt` false).
int LitLigneCommande(const QStringList& arguments, bool avantQt, QStringList& fichier) {
  QCommandLineParser p;
  p.setApplicationDescription(
      QStringLiteral("Morvo: the editor and drawing window for programs of drawing commands (meter\n"
                     "dials and scales)."));
  const AideEtVersion aideEtVersion(p, "morvo");
  p.addPositionalArgument(QStringLiteral("PROGRAM"),
                          QStringLiteral("The program file to open (double quotes are removed; the words "
                                         "of an unquoted name are joined by blanks). Without it, the last "
                                         "file used. After --, a name that begins with - is a file."),
                          QStringLiteral("[--] [PROGRAM]"));
  const bool lu = p.parse(arguments);
  if (const int code = aideEtVersion.Repond(); code >= 0) return code;
  if (avantQt) return -1;
  if (!lu) return aideEtVersion.Erreur(p.errorText());
  fichier = p.positionalArguments();
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  // A file-size limit fails the write that passes it, which the writer reports, and never ends the
  // window with the user's edit in it.
  IgnoreLimiteTailleFichier();
  QStringList brut;
  for (int i = 0; i < argc; ++i) brut << QString::fromLocal8Bit(argv[i]);
  QStringList fichier;
  if (const int code = LitLigneCommande(brut, true, fichier); code >= 0) return code;
  QString plateforme;
  if (!AffichageAccessible(argc, argv, &plateforme)) return 1;
  // With HOME unset or empty Qt takes the root folder for the user's home (its standard folders,
  // its file dialogs); it is given the user's own, as the C library's programs find it.
  if (qEnvironmentVariableIsEmpty("HOME")) qputenv("HOME", QFile::encodeName(DossierPersonnel()));
  // Only the toolkit can tell some platforms (a framebuffer, a graphics device) cannot start: it
  // says so in a fatal message, up to the first window made.
  GardeDemarrage garde(plateforme);
  QApplication app(argc, argv);
  LacheSondeAffichage();
  QApplication::setApplicationName(QStringLiteral("Morvo"));
  QApplication::setApplicationVersion(QStringLiteral(MORVO_VERSION));
  // The desktop matches the windows to the installed entry "morvo.desktop" (its name and icon).
  QGuiApplication::setDesktopFileName(QStringLiteral("morvo"));
  QIcon icone;
  for (const int taille : {16, 22, 24, 32, 48, 64, 128, 256})
    icone.addFile(QStringLiteral(":/icons/%1x%1.png").arg(taille), QSize(taille, taille));
  QApplication::setWindowIcon(icone);
  if (const int code = LitLigneCommande(QCoreApplication::arguments(), false, fichier); code >= 0)
    return code;
  // A name that is not UTF-8 keeps its own bytes, so that the window can tell it is one. The
  // arguments read above are argv as QApplication left it, its own options taken out.
  for (int i = 1; i < argc; ++i) {
    const QString nom = TexteDuNom(argv[i]);
    if (!NomNonUtf8(nom)) continue;
    const QString lu = QString::fromLocal8Bit(argv[i]);
    for (QString& mot : fichier)
      if (mot == lu) mot = nom;
  }
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
    garde.Leve();
    if (fenetre.Demarre(fichier)) code = QApplication::exec();
  }
  DefinitDialogues(nullptr);
  return code;
}
