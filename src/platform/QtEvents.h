#pragma once

// The desktop program's event services: DoEvents lets the window's pending events run; Esc,
// wherever the focus is, asks the run to stop; Alt with a letter types nothing in any field.

#include <functional>

// Installs both for the application; 'avant' runs before each pass of DoEvents (the main window
// uses it to show what a run has drawn so far). While 'enRun' says a run goes on, DoEvents lets
// the events run only every IntervalleEvenementsMs: a run calls it between its commands, tens of
// thousands of times a second, and a pass costs far more than most commands.
void InstalleEvenementsQt(std::function<void()> avant = {}, std::function<bool()> enRun = {});
// Often enough for Esc and the window to answer at once as a user sees it.
constexpr int IntervalleEvenementsMs = 10;
// Removes the Esc filter and the DoEvents of the application.
void RetireEvenementsQt();
