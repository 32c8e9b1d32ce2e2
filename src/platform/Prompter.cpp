#include "platform/Prompter.h"

#include "platform/Legacy.h"

namespace {

ScriptedPrompter& ParDefaut() {
  static ScriptedPrompter prompter;
  return prompter;
}

Prompter* courant = nullptr;

Reponse BoutonParDefaut(Boutons b) {
  return (b == Boutons::OuiNon || b == Boutons::OuiNonAnnuler) ? Reponse::Oui : Reponse::Ok;
}

bool EstBouton(Boutons b, Reponse r) {
  switch (b) {
    case Boutons::Ok:
      return r == Reponse::Ok;
    case Boutons::OkAnnuler:
      return r == Reponse::Ok || r == Reponse::Annuler;
    case Boutons::OuiNon:
      return r == Reponse::Oui || r == Reponse::Non;
    case Boutons::OuiNonAnnuler:
      return r == Reponse::Oui || r == Reponse::Non || r == Reponse::Annuler;
  }
  return false;
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

Reponse ScriptedPrompter::MsgBox(const QString& texte, Boutons boutons, const QString& titre) {
  Reponse reponse = BoutonParDefaut(boutons);
  if (!reponses_.empty()) {
    const std::optional<Reponse> donnee = LitReponse(reponses_.front());
    reponses_.pop_front();
    if (donnee && EstBouton(boutons, *donnee)) reponse = *donnee;
  }
  messages_.push_back({titre, texte, boutons, reponse});
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
