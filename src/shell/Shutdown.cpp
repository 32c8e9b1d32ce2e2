#include "shell/Shutdown.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "shell/Config.h"
#include "shell/Startup.h"

bool AccepteFermeture(const EtatFermeture& etat, const std::function<bool()>& sauveMaintenant) {
  if (!ConditionsAcceptees) return true;
  if (!etat.TexteVide && etat.Modifie) {
    const Reponse reponse = Dialogues().MsgBox(TexteMsg(118), Boutons::OuiNonAnnuler, QString());
    if (reponse == Reponse::Annuler) return false;
    // A save that did not complete keeps the window open, as Cancel does: the edits stay.
    if (reponse == Reponse::Oui && !(sauveMaintenant && sauveMaintenant())) return false;
  }
  EcritConfig(QStringLiteral("FichierDat ="), etat.FichierCourant);
  EcritConfig(QStringLiteral("DoubleClic ="),
              etat.DoubleClic ? QStringLiteral(" Oui") : QStringLiteral(" Non"));
  if (!etat.JournalDessin.isEmpty() && QFileInfo(etat.JournalDessin).isAbsolute()) {
    QFile::remove(etat.JournalDessin);
  }
  if (!RepDepart.isEmpty()) QDir::setCurrent(RepDepart);
  return true;
}
