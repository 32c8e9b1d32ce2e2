#include "platform/SystemReasons.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QFileDevice>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

namespace {

// Qt tells a failed call as the text of its error number, and the commonest numbers in English
// whatever the language: the number is found back from that text. Its own checks have the number
// the system answers in their case: a folder in the file's place, a file that may not be written.
QString RaisonDuTexte(const QString& texte, const QString& fichier) {
  constexpr int DernierCode = 255;
  for (int code = 1; code <= DernierCode; ++code)
    if (qt_error_string(code) == texte) return RaisonSysteme(code);
  const auto qt = [](const char* contexte, const char* source) { return QCoreApplication::translate(contexte, source); };
  if (texte == qt("QIODevice", "file to open is a directory") ||
      texte == qt("QSaveFile", "Filename refers to a directory"))
    return RaisonSysteme(EISDIR);
  if (texte == qt("QSaveFile", "Existing file %1 is not writable").arg(fichier)) return RaisonSysteme(EACCES);
  // No call of the system failed (a device not open, a write the application gave up): Qt's reason.
  return texte;
}

}  // namespace

QString RaisonSysteme(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

QString RaisonSysteme(const QFileDevice& f) { return RaisonDuTexte(f.errorString(), f.fileName()); }

QString RaisonSysteme(const QTemporaryDir& d) { return RaisonDuTexte(d.errorString(), QString()); }

QString RaisonSysteme(const QProcess& p) {
  const QString texte = p.errorString();
  const qsizetype appel = texte.lastIndexOf(QStringLiteral(": "));
  const qsizetype debut = appel < 0 ? 0 : appel + 2;
  return texte.left(debut) + RaisonDuTexte(texte.mid(debut), QString());
}

QString RaisonNonOrdinaire(unsigned mode) {
  if (S_ISDIR(mode)) return RaisonSysteme(EISDIR);
  const QString genre = S_ISFIFO(mode)                   ? QStringLiteral("a FIFO or a pipe")
                        : S_ISCHR(mode) || S_ISBLK(mode) ? QStringLiteral("a device")
                        : S_ISSOCK(mode)                 ? QStringLiteral("a socket")
                                                         : QStringLiteral("no file of data");
  return QStringLiteral("not a regular file (%1)").arg(genre);
}
