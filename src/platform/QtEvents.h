#pragma once

// The desktop program's event services: DoEvents lets the window's pending events run; Esc,
// wherever the focus is, asks the run to stop; Alt with a letter types nothing in any field.

#include <functional>

// Installs both for the application; 'avant' runs before each pass of DoEvents (the main window
// uses it to show what a run has drawn so far).
void InstalleEvenementsQt(std::function<void()> avant = {});
// Removes the Esc filter and the DoEvents of the application.
void RetireEvenementsQt();
