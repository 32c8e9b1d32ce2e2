#include "interpreter/RunErrors.h"

#include "platform/RunError.h"
#include "values/Levels.h"

void NonDisponible() {
  QString commande = NiveauCourant >= 0 && NiveauCourant < static_cast<int>(Niveaux.size())
                         ? Niveaux[static_cast<size_t>(NiveauCourant)].MotCle
                         : QString();
  ErreurRunCitant(commande, QStringLiteral(" : commande pas encore disponible / command not available yet / "
                                           "Befehl noch nicht verfügbar\r\n\r\n"));
}
