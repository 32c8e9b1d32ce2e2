#include "platform/Pictures.h"

#include <QImageReader>

QSize TailleImage(const QString& chemin, QString& erreur) {
  QImageReader::setAllocationLimit(LimiteImageMo);
  QImageReader lecteur(chemin);
  QSize taille = lecteur.canRead() ? lecteur.size() : QSize();
  if (taille.isValid() && !taille.isEmpty()) return taille;
  // Some formats tell their size only once decoded.
  const QImage image = LitImage(chemin, QSize(), erreur);
  return image.isNull() ? QSize() : image.size();
}

QImage LitImage(const QString& chemin, QSize taille, QString& erreur) {
  QImageReader::setAllocationLimit(LimiteImageMo);
  QImageReader lecteur(chemin);
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
