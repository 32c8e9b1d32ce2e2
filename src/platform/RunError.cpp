#include "platform/RunError.h"

QString DetailErreur;
QString TypeErreur;
QString FichierManquant;

void ErreurRun(const QString& detail) {
  if (!detail.isEmpty()) DetailErreur = detail;
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
}
