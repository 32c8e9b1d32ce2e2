#include "platform/RunError.h"

QString DetailErreur;
QString TypeErreur;
QString FichierManquant;
QString CitationErreur;

void ErreurRun(const QString& detail) {
  if (!detail.isEmpty()) {
    DetailErreur = detail;
    CitationErreur.clear();
  }
  throw ErreurExecution();
}

void ErreurRunCitant(const QString& citation, const QString& raison) {
  DetailErreur = citation + raison;
  CitationErreur = citation;
  throw ErreurExecution();
}

void ErreurFichierIntrouvable(const QString& chemin) {
  TypeErreur = QStringLiteral("F");
  FichierManquant = chemin;
  LeveErreurExecution(QStringLiteral("file not found"));
}

void RazErreurRun() {
  DetailErreur.clear();
  TypeErreur.clear();
  FichierManquant.clear();
  CitationErreur.clear();
}
