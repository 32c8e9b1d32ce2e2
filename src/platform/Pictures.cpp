#include "platform/Pictures.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "platform/TextFile.h"

namespace {

// The picture is read from a regular file only: a FIFO or a device would hold the run.
bool OuvreImage(QFile& f, QImageReader& lecteur, const QString& chemin, QString& erreur) {
  QImageReader::setAllocationLimit(LimiteImageMo);
  if (!OuvreFichierOrdinaire(f, chemin)) {
    erreur = QStringLiteral("not a regular file");
    return false;
  }
  lecteur.setDevice(&f);
  lecteur.setFormat(QFileInfo(chemin).suffix().toLatin1());
  return true;
}

}  // namespace

QSize TailleImage(const QString& chemin, QString& erreur) {
  QFile f;
  QImageReader lecteur;
  if (!OuvreImage(f, lecteur, chemin, erreur)) return {};
  QSize taille = lecteur.canRead() ? lecteur.size() : QSize();
  if (taille.isValid() && !taille.isEmpty()) return taille;
  // Some formats tell their size only once decoded.
  const QImage image = LitImage(chemin, QSize(), erreur);
  return image.isNull() ? QSize() : image.size();
}

QImage LitImage(const QString& chemin, QSize taille, QString& erreur) {
  QFile f;
  QImageReader lecteur;
  if (!OuvreImage(f, lecteur, chemin, erreur)) return {};
  const QSize propre = lecteur.size();
  if (taille.isValid() && !taille.isEmpty() && propre.isValid() &&
      (propre.width() > taille.width() || propre.height() > taille.height()))
    lecteur.setScaledSize(taille.boundedTo(propre));
  QImage image;
  if (!lecteur.read(&image)) {
    erreur = lecteur.errorString();
    return {};
  }
  return image;
}
