#include "drawing/DrawState.h"

#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "values/Levels.h"
#include "values/Substitution.h"

using namespace legacy;

OutputSurface* Sortie = nullptr;

float XCourant = 0, YCourant = 0, XRot = 0, YRot = 0;

double FacteurEchelle = 1.0;
double EchelleX = 1.0, EchelleY = 1.0, EchelleEcranX = 1.0, EchelleEcranY = 1.0;
double LargeurMm = 0, HauteurMm = 0, LargeurDessin = 0, HauteurDessin = 0;

float EpaisseurTrait = 1, EpaisseurSauve = 1;
int16_t BoutCarre = 0;
float TiretL1 = 0, TiretL2 = 0, TiretL3 = 0, ResteTiret = 0;
float FacteurTraitX = 1, FacteurTraitY = 1;
int16_t PhaseTiret = 0;
float FinTiretX = SansFinTiret, FinTiretY = SansFinTiret;
int16_t LargeurCarree = 1;
float DemiLargeurX = 0, DemiLargeurY = 0;
int16_t BoutCarreSauve = 0, PhaseTiretSauve = 0;
float TiretL1Sauve = 0, TiretL2Sauve = 0, TiretL3Sauve = 0, ResteTiretSauve = 0;
float FinTiretXSauve = SansFinTiret, FinTiretYSauve = SansFinTiret;
bool EpaisseurLocale = false, StyleLocal = false;

std::vector<PointXY> PtsPoly;
std::vector<QPoint> PtsPolygone;
float CentrePolyX = 0, CentrePolyY = 0;

QString VarLongueurTrait;
float LongueurTrait = 0;

float TailleTexte = 8, TailleTexteImp = 8, TailleTexteEcran = 8;
float RapportAscent = 0.8f, RapportTexteB = 0.3f, RapportTexteC = 0.8f;
float RapportAscentImpose = 0, RapportTexteBImpose = 0, RapportTexteCImpose = 0;

float AngRotDeg = 0, AngRotRad = 0, AngRotDefaut = 0;
bool AngRotDonne = false;

double OrigineX = 0, OrigineY = 0;
double OrigineBaseX = 0, OrigineBaseY = 0;
float CTx = 0, CTy = 0;

int32_t CouleurCourante = 0;
int32_t CouleurCmd = 0;

bool SortieEstEcran() {
  Hote* h = HoteCourant();
  return Sortie == nullptr || (h != nullptr && Sortie == h->Ecran());
}

double MmParPixel() { return SortieEstEcran() ? Shell.MmParPixelEcran : Shell.MmParPixelImp; }

void RazEtatDessin() {
  XCourant = YCourant = XRot = YRot = 0;
  FacteurEchelle = 1.0;
  EchelleX = EchelleY = EchelleEcranX = EchelleEcranY = 1.0;
  LargeurMm = HauteurMm = LargeurDessin = HauteurDessin = 0;
  EpaisseurTrait = EpaisseurSauve = 1;
  BoutCarre = 0;
  TiretL1 = TiretL2 = TiretL3 = ResteTiret = 0;
  FacteurTraitX = FacteurTraitY = 1;
  PhaseTiret = 0;
  FinTiretX = FinTiretY = SansFinTiret;
  LargeurCarree = 1;
  DemiLargeurX = DemiLargeurY = 0;
  BoutCarreSauve = PhaseTiretSauve = 0;
  TiretL1Sauve = TiretL2Sauve = TiretL3Sauve = ResteTiretSauve = 0;
  FinTiretXSauve = FinTiretYSauve = SansFinTiret;
  EpaisseurLocale = StyleLocal = false;
  PtsPoly.clear();
  PtsPolygone.clear();
  CentrePolyX = CentrePolyY = 0;
  VarLongueurTrait.clear();
  LongueurTrait = 0;
  TailleTexte = TailleTexteImp = TailleTexteEcran = 8;
  RapportAscent = 0.8f;
  RapportTexteB = 0.3f;
  RapportTexteC = 0.8f;
  RapportAscentImpose = RapportTexteBImpose = RapportTexteCImpose = 0;
  AngRotDeg = AngRotRad = AngRotDefaut = 0;
  AngRotDonne = false;
  OrigineX = OrigineY = 0;
  OrigineBaseX = OrigineBaseY = 0;
  CTx = CTy = 0;
  CouleurCourante = 0;
  CouleurCmd = 0;
}

namespace {

QString Coul() {
  const int32_t c = CouleurCourante;
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
  if (nom == u"%TAP") return TexteNombre(TailleTexte * nv.FacteurTailleP);
  if (nom == u"%EPT") {
    const float mm = ecran ? Shell.MmParPixelEcran : Shell.MmParPixelImp;
    return TexteNombre(
        static_cast<float>(ArrondiPair(static_cast<double>(nv.FacteurEpaisT * mm) * 100.0) / 100.0));
  }
  if (nom == u"%CTX") return TexteNombre(CTx);
  if (nom == u"%CTY") return TexteNombre(CTy);
  if (nom == u"%POL") return Sortie != nullptr ? Sortie->Font.Name : QString();
  if (nom == u"%AR0") return TexteNombre(-AngRotDefaut);
  return {};
}

// Handed over before main runs: every program that links the drawing state reads it this way.
const bool LecteurDefini = (DefinitLecteurDessin(&ValeurVariableDessin), true);

}  // namespace
