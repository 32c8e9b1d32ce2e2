#pragma once

#include <QByteArray>
#include <functional>

// Opens the relative name `nom` beneath the folder `dossier` with the open flags `drapeaux` (mode 0666
// for a new file), the kernel refusing every way out of it: a "..", an absolute name or a link that
// leads elsewhere gives EXDEV, a link of /proc (an open file, not a name) or too many links ELOOP.
// The kernel does it in one call where it has it (openat2); where it lacks it (before Linux 5.6, or
// a container whose system-call filter predates it) the name is walked one name at a time from the
// folder with the same answers, no link followed unless it stays beneath. -1 with errno; ENOSYS
// when the system can do neither.
int OuvreSousDossier(int dossier, const QByteArray& nom, int drapeaux);

// The walk alone, which OuvreSousDossier takes where the kernel lacks the call: the same answers,
// a folder moved out while it is walked through included (EXDEV).
int ParcourtSousDossier(int dossier, const QByteArray& nom, int drapeaux);

// Tests: while set, called each time the walk has reached a name, before it opens it (another
// process may move a folder of the way then).
using EtapeParcours = std::function<void()>;
void DefinitEtapeParcours(EtapeParcours etape);
