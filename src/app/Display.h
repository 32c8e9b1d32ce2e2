#pragma once

// Whether the desktop program can open its windows at all.

// False, after one line on the standard error that says which display or platform could not be
// opened and why, when none of the platforms the toolkit would start on can start: the toolkit
// itself would then end the process with an abort. A Wayland platform asked for (QT_QPA_PLATFORM,
// -platform) that cannot start gives way to the X display where one answers, as the toolkit's own
// choice does in a Wayland session: the toolkit is then turned to it (QT_QPA_PLATFORM and the
// -platform in `argv`), and one line says so. True in every other case, where the toolkit tells the
// rest.
bool AffichageAccessible(int argc, char** argv);
