#include "editor/Colouring.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "editor/Keywords.h"
#include "platform/EditorText.h"
#include "platform/Legacy.h"

using namespace legacy;

namespace {

const QString Suite = QStringLiteral(" _");

bool Continuee(const EditeurDocument& texte, int ligne) {
  return texte.Document()->findBlockByNumber(ligne).text().endsWith(Suite);
}

// One change of the document: change tracking off, and a single edit block, so that the
// document is laid out once, at the end, and the cursors it moves take no position on the way.
// The block ends before the tracking comes back, so its change signal is no edit either.
class Modification {
 public:
  Modification(QTextDocument* document, bool& suivi) : suivi_(suivi), avant_(suivi), curseur_(document) {
    suivi_ = false;
    curseur_.beginEditBlock();
  }
  ~Modification() {
    curseur_.endEditBlock();
    suivi_ = avant_;
  }
  Modification(const Modification&) = delete;
  Modification& operator=(const Modification&) = delete;
  QTextCursor& Curseur() { return curseur_; }

 private:
  bool& suivi_;
  bool avant_;
  QTextCursor curseur_;
};

int DebutEditeur(const QTextBlock& bloc) { return bloc.position() + bloc.blockNumber(); }

uint32_t CouleurDans(const QTextBlock& bloc, int pos) {
  for (auto it = bloc.begin(); !it.atEnd(); ++it) {
    const QTextFragment f = it.fragment();
    const int debut = f.position() - bloc.position();
    if (pos >= debut && pos < debut + f.length()) return CouleurDeFormat(f.charFormat());
  }
  return CouleurDeFormat(bloc.charFormat());
}

// Characters of a line (positions in the line) all in one colour; never for none.
bool ToutEnCouleur(const QTextBlock& bloc, int debut, int longueur, uint32_t couleur) {
  if (longueur <= 0) return false;
  const int position = bloc.position();
  for (auto it = bloc.begin(); !it.atEnd(); ++it) {
    const QTextFragment f = it.fragment();
    const int d = f.position() - position;
    if (d + f.length() <= debut || d >= debut + longueur) continue;
    if (CouleurDeFormat(f.charFormat()) != couleur) return false;
  }
  return true;
}

// Colours characters of a line (positions in the line).
void Colore(QTextCursor& curseur, const QTextBlock& bloc, int debut, int longueur, uint32_t couleur) {
  if (longueur <= 0) return;
  curseur.setPosition(bloc.position() + debut);
  curseur.setPosition(bloc.position() + debut + longueur, QTextCursor::KeepAnchor);
  curseur.mergeCharFormat(FormatDeCouleur(couleur));
}

}  // namespace

// The line holding an editor position (a line break counts two) and the position in it.
QTextBlock Coloration::Bloc(int pos, int* dansLigne) const {
  const int ligne = texte_.LigneDePosition(pos);
  const QTextBlock bloc = texte_.Document()->findBlockByNumber(ligne);
  *dansLigne = std::clamp(pos - texte_.DebutLigne(ligne), 0, bloc.length() - 1);
  return bloc;
}

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
  const QTextDocument* document = texte_.Document();
  return document->characterCount() - 1 + document->blockCount() - 1;
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
  Modification modif(texte_.Document(), suivi_);
  int dansLigne = 0;
  const QTextBlock bloc = Bloc(debut, &dansLigne);
  Ligne(modif.Curseur(), bloc, dansLigne, longueur);
}

void Coloration::ColoreLignes(int premiere, int derniere) {
  remplacements_.clear();
  derniere = std::min(derniere, texte_.NbLignes() - 1);
  if (std::max(premiere, 0) > derniere) return;
  Modification modif(texte_.Document(), suivi_);
  QTextBlock bloc = texte_.Document()->findBlockByNumber(std::max(premiere, 0));
  for (int ligne = std::max(premiere, 0); ligne <= derniere && bloc.isValid(); ++ligne, bloc = bloc.next())
    Ligne(modif.Curseur(), bloc, 0, bloc.length() - 1);
}

void Coloration::ColoreTexte(int debut, int longueur) {
  remplacements_.clear();
  Modification modif(texte_.Document(), suivi_);
  Texte(modif.Curseur(), debut, longueur);
}

void Coloration::Texte(QTextCursor& curseur, int debut, int longueur) {
  int fin = debut + longueur;
  int total = LongueurTexte();
  int dansLigne = 0;
  QTextBlock bloc = Bloc(debut, &dansLigne);
  int p = DebutEditeur(bloc) + dansLigne;
  while (bloc.isValid() && p < total && p < fin) {
    Ligne(curseur, bloc, dansLigne, bloc.length() - 1 - dansLigne);
    const int avant = total;
    total = LongueurTexte();
    fin += total - avant;
    p += bloc.length() - 1 - dansLigne + 2;
    bloc = bloc.next();
    dansLigne = 0;
  }
}

void Coloration::ColoreTout() {
  remplacements_.clear();
  const int total = LongueurTexte();
  if (total == 0) return;
  Modification modif(texte_.Document(), suivi_);
  QTextCursor& curseur = modif.Curseur();
  curseur.setPosition(0);
  curseur.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
  curseur.mergeCharFormat(FormatDeCouleur(CouleurNoire));
  Texte(curseur, 0, total);
}

void Coloration::Noircit(int premiere, int derniere) {
  derniere = std::min(derniere, texte_.NbLignes() - 1);
  if (premiere < 0 || premiere > derniere) return;
  Modification modif(texte_.Document(), suivi_);
  const QTextBlock debut = texte_.Document()->findBlockByNumber(premiere);
  const QTextBlock fin = texte_.Document()->findBlockByNumber(derniere);
  QTextCursor& curseur = modif.Curseur();
  curseur.setPosition(debut.position());
  curseur.setPosition(fin.position() + fin.length() - 1, QTextCursor::KeepAnchor);
  curseur.mergeCharFormat(FormatDeCouleur(CouleurNoire));
}

void Coloration::Ligne(QTextCursor& curseur, const QTextBlock& bloc, int debut, int longueur) {
  const QString texteLigne = bloc.text();
  longueur = std::clamp(longueur, 0, static_cast<int>(texteLigne.size()) - debut);
  // The end of the line before, or two characters before the start within this line.
  const bool suite = debut == 0 ? bloc.previous().isValid() && bloc.previous().text().endsWith(Suite)
                                : debut >= 4 && texteLigne.mid(debut - 4, 2) == Suite;
  if (ToutEnCouleur(bloc, debut, longueur, CouleurRouge)) return;
  // A line already black (a whole text blackened first, or just loaded) needs no change.
  if (!ToutEnCouleur(bloc, debut, longueur, CouleurNoire))
    Colore(curseur, bloc, debut, longueur, CouleurNoire);
  QString t = texteLigne.mid(debut, longueur);
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
    Colore(curseur, bloc, debut, n, CouleurVerte);
    return;
  }
  if (suite) {
    // The break itself keeps no colour of its own here: the previous line's last character stands
    // for it.
    const uint32_t couleur = debut == 0 ? CouleurDans(bloc.previous(), bloc.previous().length() - 2)
                                        : CouleurDans(bloc, debut - 3);
    Colore(curseur, bloc, debut, n, couleur);
    return;
  }

  QString mot = tape;
  if (!NormaliseMotCle(mot)) return;
  const QString ancien = RTrim(tape);
  const QString ecrit = RTrim(mot);
  const int debutMot = debut + p - 1;
  if (ecrit == ancien) {
    Colore(curseur, bloc, debutMot, ancien.size(), CouleurBleue);
  } else {
    curseur.setPosition(bloc.position() + debutMot);
    curseur.setPosition(bloc.position() + debutMot + ancien.size(), QTextCursor::KeepAnchor);
    curseur.insertText(ecrit, FormatDeCouleur(CouleurBleue));
    remplacements_.push_back(
        {DebutEditeur(bloc) + debutMot, static_cast<int>(ancien.size()), static_cast<int>(ecrit.size())});
  }
  const int decalage = ecrit.size() - ancien.size();
  const int finMot = p - 1 + ancien.size();
  // Positions in the line of the characters of t past the command word, as the line now stands.
  const auto position = [&](int i) { return debut + i - 1 + (i - 1 >= finMot ? decalage : 0); };

  if (ecrit.startsWith(QLatin1String("ListeVar")) || ecrit.startsWith(QLatin1String("Texte"))) return;

  const QString apostrophe = QStringLiteral("'");
  int q = InStr(e, t, apostrophe);
  while (q > 1 && Mid(t, q - 1, 3) == QStringLiteral("\"'\"")) q = InStr(q + 1, t, apostrophe);
  if (q > 0) Colore(curseur, bloc, position(q), n - q + 1, CouleurVerte);

  if (!ligneIf) return;
  const QString majuscules = UCase(t);
  const int aller = InStr(majuscules, QStringLiteral("GOTO"));
  if (aller > 0) {
    Colore(curseur, bloc, position(aller), 4, CouleurBleue);
    return;
  }
  const int alors = InStr(majuscules, QStringLiteral("THEN"));
  if (alors > 0) {
    Colore(curseur, bloc, position(alors), 4, CouleurBleue);
    Ligne(curseur, bloc, position(alors) + 4, n - (alors + 3));
  }
}
