#include "drawing/Pen.h"

#include <QStringList>

#include "drawing/DrawState.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

// The keyword of the running statement as the program wrote it (the last word before its "=", so
// that a one-line If gives its command).
QString MotCleEcrit() {
  if (NiveauCourant < 0 || NiveauCourant >= static_cast<int>(Niveaux.size())) return {};
  const QString& ligne = Niveaux[static_cast<size_t>(NiveauCourant)].Ligne;
  const int egal = InStr(ligne, QStringLiteral("="));
  const QString avant = Trim(egal > 0 ? Left(ligne, egal - 1) : ligne);
  return avant.mid(avant.lastIndexOf(u' ') + 1);
}

// Every line-style field of every command says why its width cannot be read.
[[noreturn]] void LargeurIllisible(const QString& largeur) {
  const QString motCle = MotCleEcrit();
  ErreurRun((motCle.isEmpty() ? QString() : motCle + QStringLiteral(" : ")) + largeur +
            QStringLiteral(" : largeur illisible, en pixels ou en millimètres écrits « mm » / unreadable "
                           "width, in pixels or in millimetres written \"mm\"\r\n\r\n"));
}

// The width part of a style in device pixels; nullopt when it is empty. Millimetres when the
// text ends in "mm" (in any case when 'toutesCasses').
std::optional<double> LargeurPixels(const QString& texte, bool toutesCasses) {
  QString largeur = Trim(texte);
  const int sep = InStr(largeur, Lecture.SepSousParam);
  if (sep > 0) largeur = Trim(Left(largeur, sep - 1));
  if (largeur.isEmpty()) return std::nullopt;
  const QString fin = Right(largeur, 2);
  const bool enMm = toutesCasses ? UCase(fin) == QStringLiteral("MM") : fin == QStringLiteral("mm");
  const QString ecrite = largeur;
  if (enMm) largeur = Left(largeur, largeur.size() - 2);
  double valeur = 0;
  try {
    valeur = Calcule(largeur).value_or(0.0);
  } catch (const ErreurExecution&) {
    LargeurIllisible(ecrite);
  }
  const bool ecran = SortieEstEcran();
  if (enMm) return valeur * Cadrage.FacteurEchelle / (ecran ? Shell.MmParPixelEcran : Shell.MmParPixelImp);
  return ecran ? valeur * Cadrage.FacteurEchelle / Shell.RapportEcranImp : valeur * Cadrage.FacteurEchelle;
}

// DrawWidth carries the pen width as a whole number of pixels.
void AppliqueLargeur() { Sortie->DrawWidth = static_cast<int>(ArrondiPair(Plume.EpaisseurTrait)); }

QStringList SousChamps(const QString& texte) { return texte.split(Lecture.SepSousParam); }

// The end-type sub-field: "C" square, "R" round, anything else keeps the type.
void LitTypeBout(const QStringList& champs) {
  if (champs.size() < 2) return;
  const QString lettre = UCase(Left(Trim(champs[1]), 1));
  if (lettre == QStringLiteral("C")) Plume.BoutCarre = -1;
  if (lettre == QStringLiteral("R")) Plume.BoutCarre = 0;
}

// A new first dash starts the pattern afresh; 0 makes the line solid.
void NouveauTiret(float l1) {
  Plume.TiretL1 = Plume.TiretL2 = Plume.TiretL3 = l1;
  Plume.ResteTiret = 0;
  Plume.PhaseTiret = 0;
  Plume.FinTiretX = Plume.FinTiretY = SansFinTiret;
}

// The gap and second-dash sub-fields: only a length above 0 replaces the first dash's.
void LitEcarts(const QStringList& champs) {
  if (champs.size() > 3) {
    const float l2 = static_cast<float>(Val(champs[3]));
    if (l2 > 0) Plume.TiretL2 = l2;
  }
  if (champs.size() > 4) {
    const float l3 = static_cast<float>(Val(champs[4]));
    if (l3 > 0) Plume.TiretL3 = l3;
  }
}

}  // namespace

float LitEpaisT(const QString& texte, int niveau) {
  if (Trim(texte).isEmpty()) return 0;
  const float largeur = static_cast<float>(LargeurPixels(texte, false).value_or(0.0));
  if (InStr(texte, Lecture.SepSousParam) == 0) return largeur;
  const QStringList champs = SousChamps(texte);
  Plume.BoutCarre = Niveau(NiveauCourant).SavTypeBout;
  LitTypeBout(champs);
  if (champs.size() > 2) {
    const float l1 = static_cast<float>(Val(champs[2]));
    if (l1 >= 0) {
      NouveauTiret(l1);
    } else {
      const NiveauProg& courant = Niveau(NiveauCourant);
      Plume.TiretL1 = courant.SavTirets[0];
      Plume.TiretL2 = courant.SavTirets[1];
      Plume.TiretL3 = courant.SavTirets[2];
      const NiveauProg& appelant = Niveau(niveau);
      Plume.ResteTiret = appelant.SavTirets[3];
      Plume.PhaseTiret = appelant.SavPhase;
      Plume.FinTiretX = appelant.SavFinX;
      Plume.FinTiretY = appelant.SavFinY;
    }
    LitEcarts(champs);
  }
  return largeur;
}

float LitEpaisT(const QString& texte) { return LitEpaisT(texte, NiveauCourant); }

void EpaisTLocale(const QString& texte) {
  Plume.EpaisseurLocale = false;
  Plume.StyleLocal = false;
  if (Trim(texte).isEmpty()) {
    AppliqueLargeur();
    return;
  }
  Plume.EpaisseurSauve = Plume.EpaisseurTrait;
  Plume.StyleSauve = Plume;

  if (const auto largeur = LargeurPixels(texte, true)) {
    Plume.EpaisseurTrait = static_cast<float>(*largeur);
    Plume.EpaisseurLocale = true;
  }
  Plume.EpaisseurTrait = MaxEntier(Plume.EpaisseurTrait, 1.0f);
  AppliqueLargeur();

  if (InStr(texte, Lecture.SepSousParam) == 0) return;
  Plume.StyleLocal = true;
  const QStringList champs = SousChamps(texte);
  LitTypeBout(champs);
  if (champs.size() > 2) {
    const float l1 = static_cast<float>(Val(champs[2]));
    if (l1 >= 0) NouveauTiret(l1);
    LitEcarts(champs);
  }
}

void RestaureEpaisT() {
  if (Plume.EpaisseurLocale) {
    Plume.EpaisseurTrait = Plume.EpaisseurSauve;
    AppliqueLargeur();
  }
  if (Plume.StyleLocal) static_cast<StyleTrait&>(Plume) = Plume.StyleSauve;
}

void FixeEpaisseur(const QString& texte) {
  QString t = Trim(texte);
  const int sep = InStr(t, Lecture.SepSousParam);
  if (sep > 0) {
    Plume.TiretL1 = 0;
    t = Left(t, sep - 1);
  }
  if (const auto largeur = LargeurPixels(t, true)) Plume.EpaisseurTrait = static_cast<float>(*largeur);
  Plume.EpaisseurTrait = MaxEntier(Plume.EpaisseurTrait, 1.0f);
  AppliqueLargeur();
}
