#pragma once

// A folder on a disk that a test fills up. As root it is a small tmpfs mounted for the test and
// unmounted at the end, so that writes really fail with "No space left on device"; otherwise (or
// when the mount is refused) a temporary folder whose writes the writer's fault hook fails once
// the disk is "full".

#include <QString>
#include <QTemporaryDir>

class DisquePlein {
 public:
  DisquePlein();
  ~DisquePlein();
  DisquePlein(const DisquePlein&) = delete;
  DisquePlein& operator=(const DisquePlein&) = delete;

  bool Valide() const { return dossier_.isValid(); }
  // A real file system (tmpfs) rather than the fault hook.
  bool Reel() const { return monte_; }
  QString Chemin(const QString& nom) const { return dossier_.path() + QStringLiteral("/") + nom; }
  // Fills the disk, leaving `pagesLibres` pages of 4 KiB free on the tmpfs (the hook fails every
  // write whatever is left).
  void Remplit(int pagesLibres = 0);

 private:
  QTemporaryDir dossier_;
  bool monte_ = false;
};
