#include "interpreter/RunState.h"
#include "interpreter/RuntimeCommands.h"
#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Substitution.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

const QString Annule = QStringLiteral("$Cancel$");

void SubstitueReponse(QString& reponse) {
  if (SubstitueVariables(reponse)) ErreurNonInitialisee(reponse);
}

}  // namespace

bool CmdInput(int niveau) {
  QString invite = ParamN(Lecture.ParamLigne, 1);
  if (invite.startsWith(QLatin1Char('<')) || invite.startsWith(QLatin1Char('='))) invite.remove(0, 1);
  Travail.ReponseInput.clear();
  const int sep = InStr(invite, Lecture.SepSousParam);
  if (sep > 0) {
    Travail.ReponseInput = Mid(invite, sep + Lecture.SepSousParam.size());
    invite = Left(invite, sep - 1);
  }

  const QString nom = ParamBrutN(Lecture.ParamLigne, 2);
  if (!LTrim(nom).startsWith(QLatin1Char('%')))
    ErreurChampN(Lecture.ParamLigne, 2, TexteMsg(TexteRaison::Variable));

  const std::optional<QString> reponse = Dialogues().SaisieInput(invite, QStringLiteral("Morvo INPUT ") + nom,
                                                                 Travail.ReponseInput, TexteMsg(172));
  Travail.ReponseInput = reponse.value_or(Annule);
  if (Travail.ReponseInput == Annule) return true;

  QString valeur = Travail.ReponseInput;
  const QString mode = Left(Lecture.ParamLigne, 1);
  if (mode == QStringLiteral("=")) {
    // Every comma the user typed is a decimal comma, in an expression as in a number.
    valeur.replace(QLatin1Char(','), QLatin1Char('.'));
    SubstitueReponse(valeur);
    const std::optional<double> v = Calcule(valeur);
    valeur = v ? TexteNombre(*v).replace(QLatin1Char(','), QLatin1Char('.')) : QString();
  } else if (mode != QStringLiteral("<")) {
    SubstitueReponse(valeur);
  }

  NiveauProg& nv = Niveau(niveau);
  const int slot = IndiceVariable(nom, niveau);
  if (slot > 0) {
    nv.ValeursVar[static_cast<size_t>(slot)] = valeur;
  } else {
    AffecteVariable(nom, valeur);
  }
  return false;
}
