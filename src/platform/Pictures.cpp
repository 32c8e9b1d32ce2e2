#include "platform/Pictures.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <algorithm>
#include <cmath>

#include "platform/TextFile.h"

namespace {

// The picture is read from a regular file only: a FIFO or a device would hold the run.
bool OuvreImage(QFile& f, QImageReader& lecteur, const QString& chemin, QString& erreur) {
  QImageReader::setAllocationLimit(LimiteImageMo);
  if (!OuvreFichierOrdinaire(f, chemin)) {
    erreur = QStringLiteral("not a regular file");
    return false;
  }
  // A picture is known by its content, whatever its name says; the name's format is only the
  // fallback for pictures that carry no mark of their kind.
  lecteur.setDevice(&f);
  lecteur.setDecideFormatFromContent(true);
  if (!lecteur.canRead()) {
    lecteur.setDecideFormatFromContent(false);
    lecteur.setDevice(nullptr);
    lecteur.setFormat(QFileInfo(chemin).suffix().toLatin1());
    f.seek(0);
    lecteur.setDevice(&f);
  }
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

QImage LitImage(const QString& chemin, QSize taille, QString& erreur, const QRectF& partie) {
  QFile f;
  QImageReader lecteur;
  if (!OuvreImage(f, lecteur, chemin, erreur)) return {};
  QSize propre = lecteur.size();
  if (propre.isValid() && !propre.isEmpty() && partie.isValid() && partie != QRectF(0, 0, 1, 1)) {
    const QRect coupe = QRectF(partie.x() * propre.width(), partie.y() * propre.height(),
                               partie.width() * propre.width(), partie.height() * propre.height())
                            .toAlignedRect()
                            .intersected(QRect(QPoint(0, 0), propre));
    if (coupe.isEmpty()) return {};
    lecteur.setClipRect(coupe);
    propre = coupe.size();
    if (taille.isValid())
      taille = QSize(std::max(1, static_cast<int>(std::ceil(taille.width() * partie.width()))),
                     std::max(1, static_cast<int>(std::ceil(taille.height() * partie.height()))));
  }
  if (taille.isValid() && !taille.isEmpty() && propre.isValid() &&
      (propre.width() > taille.width() || propre.height() > taille.height()))
    lecteur.setScaledSize(taille.boundedTo(propre));
  QImage image;
  if (!lecteur.read(&image)) {
    // The file is open already: what the reader tells is the decoder's own reason (a format it
    // does not know, data it cannot read), which no error number of the system gives.
    erreur = lecteur.errorString();
    return {};
  }
  return image;
}
