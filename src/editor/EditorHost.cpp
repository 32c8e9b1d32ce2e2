#include "editor/EditorHost.h"

namespace {
HoteEditeur sansHote;
HoteEditeur* hoteCourant = &sansHote;
}  // namespace

HoteEditeur& HoteEditeurCourant() { return *hoteCourant; }

void DefinitHoteEditeur(HoteEditeur* h) { hoteCourant = h != nullptr ? h : &sansHote; }
