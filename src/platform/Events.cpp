#include "platform/Events.h"

#include <utility>

bool Arret = false;

namespace {

std::function<void()>& Traitement() {
  static std::function<void()> f;
  return f;
}

}  // namespace

void DoEvents() {
  if (Traitement()) Traitement()();
}

void DefinitDoEvents(std::function<void()> f) { Traitement() = std::move(f); }

bool ArretPendantParcours(int& tours) {
  constexpr int Periode = 1024;
  if (++tours % Periode != 0) return false;
  DoEvents();
  return Arret;
}
