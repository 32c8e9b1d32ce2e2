#include "editor/Colouring.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

#include "editor/Keywords.h"
#include "platform/EditorText.h"
#include "platform/Legacy.h"

namespace {

const QString Suite = QStringLiteral(" _");

bool Continuee(const EditeurDocument& texte, int ligne) {
  return texte.Document()->findBlockByNumber(ligne).text().endsWith(Suite);
}

// Clears the change-tracking flag for the length of a change and puts it back afterwards.
class SansSuivi {
 public:
  explicit SansSuivi(bool& suivi) : suivi_(suivi), avant_(suivi) { suivi_ = false; }
  ~SansSuivi() { suivi_ = avant_; }
  SansSuivi(const SansSuivi&) = delete;
  SansSuivi& operator=(const SansSuivi&) = delete;

 private:
  bool& suivi_;
  bool avant_;
};

}  // namespace

Instruction InstructionDeLigne(const EditeurDocument& texte, int ligne) {
  Instruction instr{ligne, ligne};
  const int derniere = texte.NbLignes() - 1;
  if (ligne < 0 || ligne > derniere) return instr;
  while (instr.premiere > 0 && Continuee(texte, instr.premiere - 1)) --instr.premiere;
  while (instr.derniere < derniere && Continuee(texte, instr.derniere)) ++instr.derniere;
  return instr;
}

Coloration::Coloration(EditeurDocument& texte, bool& suiviModif) : texte_(texte), suivi_(suiviModif) {}

Coloration::Coloration(EditeurDocument& texte) : Coloration(texte, texte.SuiviModif) {}

int Coloration::LongueurTexte() const {
  const int debut = texte_.DebutLigne(texte_.NbLignes() - 1);
  return debut + texte_.LongueurLigne(debut);
}

QString Coloration::Extrait(int debut, int longueur) {
  texte_.SetSelStart(debut);
  texte_.SetSelLength(longueur);
  return texte_.SelText();
}

void Coloration::Colore(int debut, int longueur, uint32_t couleur) {
  texte_.SetSelStart(debut);
  texte_.SetSelLength(longueur);
  texte_.SetSelColor(couleur);
}

bool Coloration::EntierementRouge(int debut, int longueur) const {
  if (longueur <= 0) return false;
  for (int i = debut; i < debut + longueur; ++i)
    if (texte_.CouleurA(i) != CouleurRouge) return false;
  return true;
}

int Coloration::Ajuste(int pos) const {
  for (const Remplacement& r : remplacements_) {
    if (pos >= r.position + r.ancienne)
      pos += r.nouvelle - r.ancienne;
    else if (pos > r.position)
      pos = std::min(pos, r.position + r.nouvelle);
  }
  return pos;
}

void Coloration::ColoreLigne(int debut, int longueur) {
  remplacements_.clear();
  Ligne(debut, longueur);
}

void Coloration::ColoreLignes(int premiere, int derniere) {
  remplacements_.clear();
  derniere = std::min(derniere, texte_.NbLignes() - 1);
  for (int ligne = std::max(premiere, 0); ligne <= derniere; ++ligne) {
    const int debut = texte_.DebutLigne(ligne);
    Ligne(debut, texte_.LongueurLigne(debut));
  }
}

void Coloration::ColoreTexte(int debut, int longueur) {
  remplacements_.clear();
  Texte(debut, longueur);
}

void Coloration::Texte(int debut, int longueur) {
  int fin = debut + longueur;
  int p = debut;
  int ligne = texte_.LigneDePosition(debut);
  int total = LongueurTexte();
  while (p < total && p < fin && ligne < texte_.NbLignes()) {
    const int debutLigne = texte_.DebutLigne(ligne);
    Ligne(p, debutLigne + texte_.LongueurLigne(debutLigne) - p);
    const int avant = total;
    total = LongueurTexte();
    fin += total - avant;
    ++ligne;
    p = texte_.DebutLigne(ligne);
    if (p < 0) break;
  }
}

void Coloration::ColoreTout() {
  remplacements_.clear();
  const int total = LongueurTexte();
  if (total == 0) return;
  {
    SansSuivi sansSuivi(suivi_);
    Colore(0, total, CouleurNoire);
  }
  Texte(0, total);
}

void Coloration::Noircit(int premiere, int derniere) {
  derniere = std::min(derniere, texte_.NbLignes() - 1);
  if (premiere < 0 || premiere > derniere) return;
  SansSuivi sansSuivi(suivi_);
  const int debut = texte_.DebutLigne(premiere);
  const int debutDerniere = texte_.DebutLigne(derniere);
  Colore(debut, debutDerniere + texte_.LongueurLigne(debutDerniere) - debut, CouleurNoire);
}

void Coloration::Ligne(int debut, int longueur) {
  SansSuivi sansSuivi(suivi_);
  const bool suite = debut >= 4 && Extrait(debut - 4, 2) == Suite;
  if (EntierementRouge(debut, longueur)) return;
  Colore(debut, longueur, CouleurNoire);
  QString t = texte_.SelText();
  t.replace(QLatin1Char('\t'), QLatin1Char(' '));
  const int n = t.size();
  const QString debutTexte = UCase(LTrim(t));
  if (debutTexte.isEmpty()) return;

  const int p = n - LTrim(t).size() + 1;
  int e = InStr(p, t, QStringLiteral("="));
  const bool ligneIf = debutTexte.startsWith(QLatin1String("IF"));
  if (ligneIf || debutTexte.startsWith(QLatin1String("ELSEIF"))) e = InStr(p, t, QStringLiteral(" "));
  if (e == 0) e = InStr(p, t, QStringLiteral(" "));
  if (e == 0) e = n + 1;
  const QString tape = n > 1 ? Mid(t, p, e - p) : QString();

  if (debutTexte.startsWith(QLatin1Char('\''))) {
    Colore(debut, n, CouleurVerte);
    return;
  }
  if (suite) {
    // The break itself keeps no colour of its own here: the previous line's last character stands
    // for it.
    Colore(debut, n, texte_.CouleurA(debut - 3));
    return;
  }

  QString mot = tape;
  if (!NormaliseMotCle(mot)) return;
  const QString ancien = RTrim(tape);
  const QString ecrit = RTrim(mot);
  const int debutMot = debut + p - 1;
  Colore(debutMot, ancien.size(), CouleurBleue);
  if (ecrit != ancien) {
    texte_.SetSelText(ecrit);
    remplacements_.push_back({debutMot, static_cast<int>(ancien.size()), static_cast<int>(ecrit.size())});
  }
  const int decalage = ecrit.size() - ancien.size();
  const int finMot = p - 1 + ancien.size();
  // Positions of t past the command word, in the text as it now stands.
  const auto position = [&](int i) { return debut + i - 1 + (i - 1 >= finMot ? decalage : 0); };

  if (ecrit.startsWith(QLatin1String("ListeVar")) || ecrit.startsWith(QLatin1String("Texte"))) return;

  const QString apostrophe = QStringLiteral("'");
  int q = InStr(e, t, apostrophe);
  while (q > 1 && Mid(t, q - 1, 3) == QStringLiteral("\"'\"")) q = InStr(q + 1, t, apostrophe);
  if (q > 0) Colore(position(q), n - q + 1, CouleurVerte);

  if (!ligneIf) return;
  const QString majuscules = UCase(t);
  const int aller = InStr(majuscules, QStringLiteral("GOTO"));
  if (aller > 0) {
    Colore(position(aller), 4, CouleurBleue);
    return;
  }
  const int alors = InStr(majuscules, QStringLiteral("THEN"));
  if (alors > 0) {
    Colore(position(alors), 4, CouleurBleue);
    Ligne(position(alors) + 4, n - (alors + 3));
  }
}
