#pragma once

// File descriptors left to the process: the toolkit's dialogs start threads and watchers that each
// take some, and where none is left the toolkit ends the process or leaves the dialog blank.

// How many more files the process may open (the free numbers below its limit), counted up to
// `plafond`.
int DescripteursLibres(int plafond);

// Whether a dialog of the toolkit (file, folder, colour, font, printer) can be made; where too few
// descriptors are left, false after telling the user so, with the system's reason and the limit.
bool DescripteursPourDialogue();
