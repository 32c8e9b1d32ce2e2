#include "drawing/DrawState.h"

#include "platform/Host.h"
#include "platform/OutputSurface.h"

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
}
