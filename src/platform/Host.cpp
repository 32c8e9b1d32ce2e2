#include "platform/Host.h"

ValeursShell Shell;
ValeursRun RunShell;

namespace {
Hote* hoteCourant = nullptr;
}

void RazValeursShell() {
  Shell = ValeursShell{};
  RunShell = ValeursRun{};
}

Hote* HoteCourant() { return hoteCourant; }

void DefinitHote(Hote* h) { hoteCourant = h; }
