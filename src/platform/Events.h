#pragma once

#include <functional>

// Lets pending window events run (the old DoEvents). The desktop program installs the real one;
// headless it does nothing.
void DoEvents();
void DefinitDoEvents(std::function<void()> f);

// The stop request: set by Esc (the application-wide key filter) or a signal, read by the long
// loops of a run, cleared by the run request.
extern bool Arret;

// For the passes over a whole program text: every so many calls, lets pending events run (Esc, a
// signal); true when a stop has been asked.
bool ArretPendantParcours(int& tours);
