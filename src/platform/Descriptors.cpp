#include "platform/Descriptors.h"

#include <fcntl.h>
#include <sys/resource.h>

#include <QString>
#include <cerrno>

#include "platform/Prompter.h"
#include "platform/SystemReasons.h"

namespace {

// What a file dialog takes at most while it opens: its threads' wake-up descriptors, the file
// system watcher, the window's shared memory, the icons and fonts it reads. A limit of 24 in an
// idle window leaves this many.
constexpr int DescripteursDUnDialogue = 8;

}  // namespace

int DescripteursLibres(int plafond) {
  rlimit limite{};
  if (::getrlimit(RLIMIT_NOFILE, &limite) != 0 || limite.rlim_cur == RLIM_INFINITY) return plafond;
  int libres = 0;
  for (rlim_t fd = 0; fd < limite.rlim_cur && libres < plafond; ++fd) {
    if (::fcntl(static_cast<int>(fd), F_GETFD) == -1 && errno == EBADF) ++libres;
  }
  return libres;
}

bool DescripteursPourDialogue() {
  if (DescripteursLibres(DescripteursDUnDialogue) >= DescripteursDUnDialogue) return true;
  rlimit limite{};
  ::getrlimit(RLIMIT_NOFILE, &limite);
  Dialogues().MsgBox(QStringLiteral("Cette fenêtre ne peut pas s'ouvrir\r\nThis dialog cannot open\r\n\r\n") +
                         RaisonSysteme(EMFILE) +
                         QStringLiteral(" (ulimit -n %1)").arg(static_cast<qulonglong>(limite.rlim_cur)),
                     Boutons::Ok, QString(), Icone::Exclamation);
  return false;
}
