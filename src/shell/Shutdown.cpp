#include "shell/Shutdown.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <csignal>

#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "shell/Config.h"
#include "shell/MainWindow.h"
#include "shell/Startup.h"

namespace {

// The save question: false when the window must stay (Cancel, or a save that did not complete,
// so that the unsaved work stays).
bool DemandeSauvegarde(const QString& titre, const std::function<bool()>& sauve) {
  const Reponse reponse = Dialogues().MsgBox(TexteMsg(118), Boutons::OuiNonAnnuler, titre);
  if (reponse == Reponse::Annuler) return false;
  return reponse != Reponse::Oui || (sauve && sauve());
}

}  // namespace

bool AccepteFermeture(const EtatFermeture& etat, const std::function<bool()>& sauveMaintenant,
                      const std::function<bool()>& sauveDessin) {
  if (!ConditionsAcceptees) return true;
  if (!etat.TexteVide && etat.Modifie && !DemandeSauvegarde(QString(), sauveMaintenant)) return false;
  if (etat.DessinNonSauve && !DemandeSauvegarde(QStringLiteral("Morvo Dessin"), sauveDessin)) return false;
  const bool surStderr = ErreurConfigSurStderr;
  ErreurConfigSurStderr = surStderr || etat.ParSignal;
  EcritConfig(QStringLiteral("FichierDat ="), etat.FichierCourant);
  EcritConfig(QStringLiteral("DoubleClic ="),
              etat.DoubleClic ? QStringLiteral(" Oui") : QStringLiteral(" Non"));
  ErreurConfigSurStderr = surStderr;
  if (!etat.JournalDessin.isEmpty() && QFileInfo(etat.JournalDessin).isAbsolute()) {
    QFile::remove(etat.JournalDessin);
  }
  if (!RepDepart.isEmpty()) QDir::setCurrent(RepDepart);
  return true;
}

namespace {

// One socket pair for the process: the handler writes a byte, the window's notifier reads it.
int paireSignal[2] = {-1, -1};

void SurSignal(int) {
  const char c = 1;
  [[maybe_unused]] const ssize_t n = ::write(paireSignal[0], &c, 1);
}

}  // namespace

void FermeSurSignal(FenetrePrincipale& fenetre) {
  if (paireSignal[0] < 0) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, paireSignal) != 0) {
      paireSignal[0] = paireSignal[1] = -1;
      return;
    }
    ::fcntl(paireSignal[1], F_SETFL, ::fcntl(paireSignal[1], F_GETFL) | O_NONBLOCK);
  }
  // A request that reached no window (an earlier window, gone) is not this one's.
  char c = 0;
  while (::read(paireSignal[1], &c, 1) > 0) {
  }
  auto* notificateur = new QSocketNotifier(paireSignal[1], QSocketNotifier::Read, &fenetre);
  QObject::connect(notificateur, &QSocketNotifier::activated, &fenetre, [&fenetre] {
    char octet = 0;
    int nombre = 0;
    while (::read(paireSignal[1], &octet, 1) > 0) ++nombre;
    for (int i = 0; i < nombre; ++i) fenetre.FermeParSignal();
  });
  struct sigaction action = {};
  action.sa_handler = SurSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
}
