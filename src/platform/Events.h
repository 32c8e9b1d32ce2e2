#pragma once

#include <functional>

// Lets pending window events run (the old DoEvents). The desktop program installs the real one;
// headless it does nothing.
void DoEvents();
void DefinitDoEvents(std::function<void()> f);
