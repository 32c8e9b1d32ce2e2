#include "platform/Prompter.h"

#include <algorithm>

#include "platform/Legacy.h"

using namespace legacy;

namespace {

ScriptedPrompter& ParDefaut() {
  static ScriptedPrompter prompter;
  return prompter;
}

Prompter* courant = nullptr;

bool EstBouton(Boutons b, Reponse r) {
  const std::vector<Reponse> reponses = ReponsesBoutons(b);
  return std::find(reponses.begin(), reponses.end(), r) != reponses.end();
}

std::optional<Reponse> LitReponse(const QString& texte) {
  for (const Reponse r : {Reponse::Ok, Reponse::Annuler, Reponse::Oui, Reponse::Non})
    if (UCase(texte) == NomReponse(r)) return r;
  return std::nullopt;
}

}  // namespace

std::optional<QString> Prompter::SaisieInput(const QString& invite, const QString& titre,
                                             const QString& defaut, const QString&) {
  return InputBox(invite, titre, defaut);
}

Prompter& Dialogues() { return courant ? *courant : ParDefaut(); }

void DefinitDialogues(Prompter* p) { courant = p; }

std::vector<Reponse> ReponsesBoutons(Boutons b) {
  switch (b) {
    case Boutons::Ok:
      return {Reponse::Ok};
    case Boutons::OkAnnuler:
      return {Reponse::Ok, Reponse::Annuler};
    case Boutons::OuiNon:
      return {Reponse::Oui, Reponse::Non};
    case Boutons::OuiNonAnnuler:
      return {Reponse::Oui, Reponse::Non, Reponse::Annuler};
  }
  return {Reponse::Ok};
}

Reponse BoutonParDefaut(Boutons b, int defaut) {
  const std::vector<Reponse> reponses = ReponsesBoutons(b);
  return defaut >= 1 && defaut <= static_cast<int>(reponses.size()) ? reponses[defaut - 1] : reponses.front();
}

QString NomBoutons(Boutons b) {
  switch (b) {
    case Boutons::Ok:
      return QStringLiteral("OK");
    case Boutons::OkAnnuler:
      return QStringLiteral("OKCANCEL");
    case Boutons::OuiNon:
      return QStringLiteral("YESNO");
    case Boutons::OuiNonAnnuler:
      return QStringLiteral("YESNOCANCEL");
  }
  return {};
}

QString NomReponse(Reponse r) {
  switch (r) {
    case Reponse::Ok:
      return QStringLiteral("OK");
    case Reponse::Annuler:
      return QStringLiteral("CANCEL");
    case Reponse::Oui:
      return QStringLiteral("YES");
    case Reponse::Non:
      return QStringLiteral("NO");
  }
  return {};
}

Reponse ScriptedPrompter::MsgBox(const QString& texte, Boutons boutons, const QString& titre, Icone icone,
                                 int defaut) {
  Reponse reponse = BoutonParDefaut(boutons, defaut);
  if (!reponses_.empty()) {
    const std::optional<Reponse> donnee = LitReponse(reponses_.front());
    reponses_.pop_front();
    if (donnee && EstBouton(boutons, *donnee)) reponse = *donnee;
  }
  messages_.push_back({titre, texte, boutons, reponse, icone, defaut});
  journal_.append(QStringLiteral("message %1 %2 %3 -> %4")
                      .arg(CiteJournal(titre), CiteJournal(texte), NomBoutons(boutons), NomReponse(reponse)));
  return reponse;
}

std::optional<QString> ScriptedPrompter::InputBox(const QString& invite, const QString&,
                                                  const QString& defaut) {
  std::optional<QString> reponse;
  if (!reponses_.empty()) {
    if (reponses_.front() != QLatin1String("$Cancel$")) reponse = reponses_.front();
    reponses_.pop_front();
  }
  journal_.append(QStringLiteral("input %1 %2 -> %3")
                      .arg(CiteJournal(invite), CiteJournal(defaut),
                           reponse ? CiteJournal(*reponse) : QStringLiteral("CANCEL")));
  return reponse;
}

QString CiteJournal(const QString& texte) {
  QString cite;
  cite.reserve(texte.size() + 2);
  cite += QLatin1Char('"');
  for (const QChar c : texte) {
    switch (c.unicode()) {
      case '\\':
        cite += QLatin1String("\\\\");
        break;
      case '"':
        cite += QLatin1String("\\\"");
        break;
      case '\n':
        cite += QLatin1String("\\n");
        break;
      case '\r':
        cite += QLatin1String("\\r");
        break;
      case '\t':
        cite += QLatin1String("\\t");
        break;
      default:
        cite += c;
    }
  }
  cite += QLatin1Char('"');
  return cite;
}
