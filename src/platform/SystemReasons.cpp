#include "platform/SystemReasons.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

QString RaisonSysteme(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

QString RaisonNonOrdinaire(unsigned mode) {
  if (S_ISDIR(mode)) return RaisonSysteme(EISDIR);
  const QString genre = S_ISFIFO(mode)                   ? QStringLiteral("a FIFO or a pipe")
                        : S_ISCHR(mode) || S_ISBLK(mode) ? QStringLiteral("a device")
                        : S_ISSOCK(mode)                 ? QStringLiteral("a socket")
                                                         : QStringLiteral("no file of data");
  return QStringLiteral("not a regular file (%1)").arg(genre);
}
