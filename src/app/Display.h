#pragma once

// Whether the desktop program can open its windows at all.

// False, after one line on the standard error that says which display could not be opened, when
// the toolkit would start on the X11 platform and no X display answers: the toolkit itself then
// ends the process with an abort. True in every other case, where the toolkit tells the rest.
bool AffichageAccessible(int argc, char** argv);
