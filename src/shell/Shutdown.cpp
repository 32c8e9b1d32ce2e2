#include "shell/Shutdown.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "shell/Config.h"
#include "shell/Startup.h"

namespace {

// The save question: false when the window must stay (Cancel, or a save that did not complete,
// so that the unsaved work stays).
bool DemandeSauvegarde(const QString& titre, const std::function<bool()>& sauve) {
  const Reponse reponse = Dialogues().MsgBox(TexteMsg(118), Boutons::OuiNonAnnuler, titre);
  if (reponse == Reponse::Annuler) return false;
  return reponse != Reponse::Oui || (sauve && sauve());
}

}  // namespace

bool AccepteFermeture(const EtatFermeture& etat, const std::function<bool()>& sauveMaintenant,
                      const std::function<bool()>& sauveDessin) {
  if (!ConditionsAcceptees) return true;
  if (!etat.TexteVide && etat.Modifie && !DemandeSauvegarde(QString(), sauveMaintenant)) return false;
  if (etat.DessinNonSauve && !DemandeSauvegarde(QStringLiteral("Morvo Dessin"), sauveDessin)) return false;
  EcritConfig(QStringLiteral("FichierDat ="), etat.FichierCourant);
  EcritConfig(QStringLiteral("DoubleClic ="),
              etat.DoubleClic ? QStringLiteral(" Oui") : QStringLiteral(" Non"));
  if (!etat.JournalDessin.isEmpty() && QFileInfo(etat.JournalDessin).isAbsolute()) {
    QFile::remove(etat.JournalDessin);
  }
  if (!RepDepart.isEmpty()) QDir::setCurrent(RepDepart);
  return true;
}
