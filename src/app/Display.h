#pragma once

// Whether the desktop program can open its windows at all.

#include <QString>

// False, after one line on the standard error that says which display or platform could not be
// opened and why, when none of the platforms the toolkit would start on can start: the toolkit
// itself would then end the process with an abort. A Wayland platform asked for (QT_QPA_PLATFORM,
// -platform) that cannot start gives way to the X display where one answers, as the toolkit's own
// choice does in a Wayland session: the toolkit is then turned to it (QT_QPA_PLATFORM and the
// -platform in `argv`), and one line says so. True in every other case, where the toolkit tells the
// rest; *plateforme, when given, is then the platform it is to start on.
bool AffichageAccessible(int argc, char** argv, QString* plateforme = nullptr);
// Closes the connection by which AffichageAccessible asked the X server, once the toolkit holds its
// own (until then a server with no other client would reset and refuse the toolkit).
void LacheSondeAffichage();

// From its making until Leve(): a fatal message of the toolkit (a platform that finds no screen
// or no graphics device, a plugin that does not load) ends the program with one line that names
// the platform and gives the toolkit's words, and status 1, instead of the toolkit's abort. The
// toolkit's other messages of that time are held, and told by Leve() once the window is made.
class GardeDemarrage {
 public:
  explicit GardeDemarrage(const QString& plateforme);
  ~GardeDemarrage() { Leve(); }
  GardeDemarrage(const GardeDemarrage&) = delete;
  GardeDemarrage& operator=(const GardeDemarrage&) = delete;
  void Leve();

 private:
  bool levee_ = false;
};
