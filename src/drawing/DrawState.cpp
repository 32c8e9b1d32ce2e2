#include "drawing/DrawState.h"

#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "values/Levels.h"
#include "values/Substitution.h"

using namespace legacy;

OutputSurface* Sortie = nullptr;

EtatRepere Repere;
EtatCadrage Cadrage;
EtatPlume Plume;
EtatSommets Sommets;
EtatCumul Cumul;
EtatLettrage Lettrage;
EtatRotation Rotation;
EtatEncre Encre;

bool SortieEstEcran() {
  Hote* h = HoteCourant();
  return Sortie == nullptr || (h != nullptr && Sortie == h->Ecran());
}

double MmParPixel() { return SortieEstEcran() ? Shell.MmParPixelEcran : Shell.MmParPixelImp; }

void RazEtatDessin() {
  Repere = {};
  Cadrage = {};
  Plume = {};
  Sommets = {};
  Cumul = {};
  Lettrage = {};
  Rotation = {};
  Encre = {};
}

namespace {

QString Coul() {
  const int32_t c = Encre.CouleurCourante;
  const QString motif = QStringLiteral("000");
  return QStringLiteral("RVB ") + Format(c & 255, motif) + QStringLiteral(" ") +
         Format((c / 256) & 255, motif) + QStringLiteral(" ") + Format(c / 65536, motif);
}

// The system variables of the drawing state, for the value layer's substitution.
QString ValeurVariableDessin(QStringView nom) {
  const bool ecran = SortieEstEcran();
  if (nom == u"%ZOOM") return TexteNombre(ecran ? Shell.ZoomCourant : Shell.FacteurImpression);
  if (nom == u"%COUL") return Coul();
  if (nom == u"%IMP") return ecran ? QStringLiteral("0") : QStringLiteral("1");
  const NiveauProg& nv = Niveau(NiveauCourant);
  if (nom == u"%TAP") return TexteNombre(Lettrage.TailleTexte * nv.FacteurTailleP);
  if (nom == u"%EPT") {
    const float mm = ecran ? Shell.MmParPixelEcran : Shell.MmParPixelImp;
    return TexteNombre(
        static_cast<float>(ArrondiPair(static_cast<double>(nv.FacteurEpaisT * mm) * 100.0) / 100.0));
  }
  if (nom == u"%CTX") return TexteNombre(Repere.CTx);
  if (nom == u"%CTY") return TexteNombre(Repere.CTy);
  if (nom == u"%POL") return Sortie != nullptr ? Sortie->Font.Name : QString();
  if (nom == u"%AR0") return TexteNombre(-Rotation.AngRotDefaut);
  return {};
}

// Handed over before main runs: every program that links the drawing state reads it this way.
const bool LecteurDefini = (DefinitLecteurDessin(&ValeurVariableDessin), true);

}  // namespace
