#include "interpreter/RunErrors.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

#include "interpreter/KeywordTable.h"
#include "interpreter/MaskFields.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

const QString CRLF = QStringLiteral("\r\n");

// The command word as the editor writes it.
QString MotEcrit(const QString& motCle) {
  const MotCle* mot = ChercheMotCle(motCle);
  return mot != nullptr ? QString::fromLatin1(mot->Ecrit) : motCle;
}

// What the old runtime's fault means for the user.
QString RaisonDeFaute(const std::exception& e) {
  const auto* erreur = dynamic_cast<const ErreurExecution*>(&e);
  const QString raison = erreur != nullptr ? erreur->raison() : QString();
  if ((erreur != nullptr && erreur->pasUnNombre()) || raison == QStringLiteral("type mismatch"))
    return TexteMsg(TexteRaison::Nombre);
  if (raison == QStringLiteral("division by zero")) return TexteMsg(TexteRaison::Division);
  if (raison == QStringLiteral("overflow"))
    return QStringLiteral("Dépassement de capacité / overflow / Überlauf");
  // Outside a function's domain, past the end of a list, or any other fault.
  return TexteMsg(TexteRaison::NonExecutable);
}

}  // namespace

void NonDisponible() {
  QString commande = NiveauCourant >= 0 && NiveauCourant < static_cast<int>(Niveaux.size())
                         ? Niveaux[static_cast<size_t>(NiveauCourant)].MotCle
                         : QString();
  ErreurRunCitant(commande, QStringLiteral(" : commande pas encore disponible / command not available yet / "
                                           "Befehl noch nicht verfügbar\r\n\r\n"));
}

QString NomChampMasque(const QString& motCle, int n) {
  const MotCle* mot = ChercheMotCle(motCle);
  // Conditions, jumps and questions part their fields otherwise than by the separator.
  if (mot == nullptr || mot->Masque == 0 || mot->Saisie != SaisieMasque::Egal || n < 1) return {};
  const std::optional<MasqueDecoupe> masque = DecoupeMasque(TexteMsg(mot->Masque));
  if (!masque || masque->champs.empty()) return {};
  const auto ouvert = [](const std::vector<Champ>& champ) {
    return std::any_of(champ.begin(), champ.end(),
                       [](const Champ& c) { return c.libelle.contains(QStringLiteral("[...]")); });
  };
  const std::vector<Champ>* champ = nullptr;
  if (n <= static_cast<int>(masque->champs.size())) {
    champ = &masque->champs[static_cast<size_t>(n - 1)];
  } else if (ouvert(masque->champs.back())) {
    champ = &masque->champs.back();  // a field open to more values takes the rest
  } else {
    return {};
  }
  QString nom = champ->front().libelle;
  if (nom.startsWith(QLatin1Char('[')) && nom.endsWith(QLatin1Char(']'))) nom = nom.mid(1, nom.size() - 2);
  // The dialog's key hints and its mark of more values say nothing about the fault.
  static const QRegularExpression indices(QStringLiteral("\\s*(\\(Alt-[A-Z]\\)|\\[\\.\\.\\.\\])"));
  nom.remove(indices);
  return nom.trimmed() == QStringLiteral(".") ? QString() : nom.trimmed();
}

void CompleteDetail(int niveau, const std::exception& e) {
  if (!Incident.DetailErreur.isEmpty() || Incident.TypeErreur == QStringLiteral("F")) return;
  const bool connu = niveau >= 0 && niveau < static_cast<int>(Niveaux.size());
  const QString motCle = connu ? Niveaux[static_cast<size_t>(niveau)].MotCle : QString();
  // What the detail quotes of the statement: the report of a scrambled command file leaves it out.
  QStringList citation;
  if (!motCle.isEmpty()) citation << MotEcrit(motCle);
  if (Incident.ChampErreur > 0) {
    const QString nom = NomChampMasque(motCle, Incident.ChampErreur);
    citation << TexteMsg(TexteRaison::Champ).arg(Incident.ChampErreur) +
                    (nom.isEmpty() ? QString() : QStringLiteral(" (") + nom + QStringLiteral(")"));
  }
  // An assignment has one field, its value: a fault of its computation quotes it.
  QString contenu = Incident.ContenuChamp;
  if (contenu.isEmpty() && Incident.RaisonChamp.isEmpty() && motCle.startsWith(u'%')) {
    contenu = Trim(Lecture.ParamLigne);
  }
  if (!contenu.isEmpty()) citation << u'"' + contenu + u'"';
  const QString raison = Incident.RaisonChamp.isEmpty() ? RaisonDeFaute(e) : Incident.RaisonChamp;
  Incident.CitationErreur = citation.join(QStringLiteral(" : "));
  Incident.DetailErreur =
      (citation.isEmpty() ? raison : Incident.CitationErreur + QStringLiteral(" : ") + raison) + CRLF + CRLF;
}
