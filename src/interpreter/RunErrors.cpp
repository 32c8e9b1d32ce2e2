#include "interpreter/RunErrors.h"

#include "interpreter/RunState.h"
#include "values/Fields.h"

void ErreurRun(const QString& detail) {
  if (!detail.isEmpty()) DetailErreur = detail;
  throw ErreurExecution();
}

void ErreurFichierIntrouvable(const QString& chemin) {
  TypeErreur = QStringLiteral("F");
  FichierManquant = chemin;
  LeveErreurExecution(QStringLiteral("file not found"));
}

void NonDisponible() {
  QString commande = NiveauCourant >= 0 && NiveauCourant < static_cast<int>(Niveaux.size())
                         ? Niveaux[static_cast<size_t>(NiveauCourant)].MotCle
                         : QString();
  DetailErreur = commande + QStringLiteral(
                                " : commande pas encore disponible / command not available yet / "
                                "Befehl noch nicht verfügbar\r\n\r\n");
  throw ErreurExecution();
}

void ErreurNonInitialisee(const QString& texte) {
  DetailErreur = texte + TexteNonInitialise();
  throw ErreurExecution();
}
