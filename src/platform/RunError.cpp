#include "platform/RunError.h"

EtatIncident Incident;

void ErreurRun(const QString& detail) {
  if (!detail.isEmpty()) {
    Incident.DetailErreur = detail;
    Incident.CitationErreur.clear();
    Incident.ChampErreur = 0;
    Incident.ContenuChamp.clear();
    Incident.RaisonChamp.clear();
  }
  throw ErreurExecution();
}

void ErreurRunCitant(const QString& citation, const QString& raison) {
  Incident.DetailErreur = citation + raison;
  Incident.CitationErreur = citation;
  throw ErreurExecution();
}

void ErreurSurChamp(int champ, const QString& contenu, const QString& raison) {
  Incident.DetailErreur.clear();
  Incident.CitationErreur.clear();
  Incident.ChampErreur = champ;
  Incident.ContenuChamp = contenu;
  Incident.RaisonChamp = raison;
  throw ErreurExecution();
}

void ErreurFichierIntrouvable(const QString& chemin) {
  Incident.TypeErreur = QStringLiteral("F");
  Incident.FichierManquant = chemin;
  LeveErreurExecution(QStringLiteral("file not found"));
}
