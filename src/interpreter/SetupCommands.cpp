#include "interpreter/SetupCommands.h"

#include <cmath>
#include <optional>

#include "drawing/Cross.h"
#include "drawing/DrawState.h"
#include "drawing/Points.h"
#include "drawing/Rotation.h"
#include "interpreter/Labels.h"
#include "interpreter/ScaleState.h"
#include "platform/EditorText.h"
#include "platform/Events.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "values/Colours.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Variables.h"

using namespace legacy;

float CTxNonTourne = 0, CTyNonTourne = 0;
int16_t NiveauMaxAngRot = 0;

namespace {

constexpr double DegresEnRadians = 0.017453293;

double Champ(int n) { return LitParam(ParamLigne, n).value_or(0.0); }

void PlaceCourant(double x, double y) {
  XCourant = static_cast<float>(x);
  YCourant = static_cast<float>(y);
  Sortie->CurrentX = XCourant;
  Sortie->CurrentY = YCourant;
}

void StockeNombre(int niveau, const QString& nom, double valeur) {
  QString n = nom;
  StockeVariable(niveau, n, valeur);
}

void StockeNombre(int niveau, const QString& nom, float valeur) {
  QString n = nom;
  StockeVariable(niveau, n, valeur);
}

void StockeTexte(int niveau, const QString& nom, const QString& valeur) {
  QString n = nom;
  StockeTexteVariable(niveau, n, valeur);
}

// A field naming a variable: "%" and at least one more character.
bool NommeVariable(const QString& champ) { return champ.startsWith(QLatin1Char('%')) && champ.size() > 1; }

// The colour of a cross field: CouleurCourante when it is empty.
int32_t CouleurChamp(const QString& texte) {
  if (texte.isEmpty()) return CouleurCourante;
  return ValeurCouleur(texte);
}

void TraceCroixPlus(double x, double y, int32_t couleur) { TraceCroix(x, y, 1, 0, couleur, 1); }

// The origin of one axis on the printer: level 1 takes the field; a deeper level takes the
// caller's value when it gave one, else the field, once.
double OriginePage(int niveau, std::optional<double>& origineNiveau, int champ) {
  if (niveau == 1) {
    origineNiveau = Champ(champ);
  } else if (!origineNiveau) {
    origineNiveau = Champ(champ);
  }
  return *origineNiveau;
}

// The origin of one axis on the screen, deeper levels: the caller's value when it gave one.
double OrigineEcran(std::optional<double>& origineNiveau, double valeur, double base) {
  if (!origineNiveau) origineNiveau = valeur;
  return base + *origineNiveau;
}

// A zoom scales every length: one of 0 or below (or beyond a single) has no drawing to give.
float FacteurZoom(const QString& commande) {
  const float facteur = VersSingle(Champ(1));
  if (!(facteur > 0) || !std::isfinite(facteur))
    ErreurRun(commande +
              QStringLiteral(" : champ 1 / field 1 : le facteur doit être positif / the factor must be "
                             "above 0\r\n\r\n"));
  return facteur;
}

}  // namespace

void CmdZoomIni() { RunShell.ZoomIni = FacteurZoom(QStringLiteral("ZoomIni")); }

void CmdZoomIniI() {
  RunShell.ZoomIniI = FacteurZoom(QStringLiteral("ZoomIniI"));
  RunShell.DernierFacteurImp = RunShell.ZoomIniI;
}

void CmdCouleur(int niveau) {
  const QString texte = ParamN(ParamLigne, -1);
  CouleurCourante = ValeurCouleur(texte);
  CouleurCmd = CouleurCourante;
  if (niveau == 1) StockeTexte(0, QStringLiteral("%Coul"), texte);
  if (CouleurCourante != -1) Sortie->ForeColor = static_cast<uint32_t>(CouleurCourante);
}

bool CentreSurSortie(const QString& motCle) {
  if (motCle == QStringLiteral("CENTREEI")) return true;
  return SortieEstEcran() ? motCle == QStringLiteral("CENTREE") : motCle == QStringLiteral("CENTREI");
}

void CmdCentre(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  double centreX = 0, centreY = 0;
  if (!SortieEstEcran()) {
    // The page's own coordinates, from its bottom-left corner: no global origin.
    OrigineX = OriginePage(niveau, nv.OrigineX, 1);
    OrigineY = OriginePage(niveau, nv.OrigineY, 2);
    centreX = OrigineX;
    centreY = OrigineY;
  } else {
    const double x = Champ(1);
    const double y = Champ(2);
    if (niveau == 1) {
      if (Shell.DecalVueX + Shell.DecalVueY != 0) {
        Hote* hote = HoteCourant();
        const OutputSurface* fenetre = hote->Ecran();
        const double code = hote->MnuCodeCoche ? hote->LargeurCode() : 0.0;
        OrigineBaseX = (fenetre->ScaleWidth - code) / 2 - Shell.DecalVueX - x;
        OrigineBaseY = -fenetre->ScaleHeight / 2 - Shell.DecalVueY - y;
      }
      OrigineX = OrigineBaseX + x;
      OrigineY = OrigineBaseY + y;
      RunShell.CentreCmdX = static_cast<float>(x);
      RunShell.CentreCmdY = static_cast<float>(y);
      nv.OrigineX = x;
      nv.OrigineY = y;
    } else {
      OrigineX = OrigineEcran(nv.OrigineX, x, OrigineBaseX);
      OrigineY = OrigineEcran(nv.OrigineY, y, OrigineBaseY);
    }
    centreX = OrigineX - OrigineBaseX;
    centreY = OrigineY - OrigineBaseY;
  }

  CTx = CTy = 0;
  const QString croix = Trim(ParamN(ParamLigne, 3));
  if (UCase(croix) != QStringLiteral("N")) {
    CouleurCmd = CouleurChamp(croix);
    TraceCroixPlus(OrigineX, OrigineY, CouleurCmd);
  }
  PlaceCourant(CTx + OrigineX, CTy + OrigineY);

  const QString varX = Trim(ParamBrutN(ParamLigne, 4));
  if (NommeVariable(varX)) StockeNombre(niveau, NomCommande(varX), centreX);
  const QString varY = Trim(ParamBrutN(ParamLigne, 5));
  if (NommeVariable(varY)) StockeNombre(niveau, NomCommande(varY), centreY);
}

void CmdCT(int niveau) {
  EtatOrdre = static_cast<int16_t>(EtatOrdre | 4);
  double x = 0, y = 0;
  LitPoint(x, y, ParamLigne, 1, XRot, YRot);
  const QString champY = ParamN(ParamLigne, 2);
  const QString champYCoupe = Trim(champY);
  const bool xVide = Trim(ParamN(ParamLigne, 1)).isEmpty();
  const bool yVide = champYCoupe.isEmpty() || champYCoupe.startsWith(SepSousParam);
  CTx = xVide ? CTxNonTourne + XRot : static_cast<float>(x);
  CTy = yVide ? CTyNonTourne + YRot : static_cast<float>(y);
  CTxNonTourne = CTx;
  CTyNonTourne = CTy;

  double cx = CTx, cy = CTy;
  RotationXY(champY, cx, cy);
  CTx = static_cast<float>(cx);
  CTy = static_cast<float>(cy);

  NiveauProg& nv = Niveau(niveau);
  nv.CTxNiveau = CTx;
  nv.CTyNiveau = CTy;
  if (niveau == 1) {
    StockeNombre(0, QStringLiteral("%CTx"), CTx);
    StockeNombre(0, QStringLiteral("%CTy"), CTy);
  }

  const QString croix = Trim(ParamN(ParamLigne, 3));
  if (croix != QStringLiteral("N") && !Trim(ParamLigne).isEmpty()) {
    CouleurCmd = CouleurChamp(croix);
    TraceCroixPlus(CTx + OrigineX, CTy + OrigineY, CouleurCmd);
    EtatOrdre = static_cast<int16_t>(EtatOrdre | 64);
  }

  PlaceCourant(CTx + OrigineX, CTy + OrigineY);
  RotationCourant(AngRotDeg);
}

void CmdDecal() {
  EtatOrdre = static_cast<int16_t>(EtatOrdre | 64);
  const double decalage = Champ(1);
  DecalPivot = decalage == 0 ? 0.0 : -decalage;
  StockeNombre(0, QStringLiteral("%DECAL"), DecalPivot);

  const QString couleur = Trim(ParamN(ParamLigne, -2));
  if (UCase(couleur) == QStringLiteral("N")) {
    CouleurPivot = CouleurLue();
  } else {
    CouleurPivot = couleur.isEmpty() ? CouleurLue(CouleurCourante) : ValeurCouleur(couleur);
    PlaceCourant(CTx + OrigineX, CTy + OrigineY - DecalPivot);
  }
  if (!couleur.isEmpty()) StockeTexte(0, QStringLiteral("%CouleurDECAL"), couleur);
}

void CmdAngRot(int niveau) {
  AngRotDefaut = VersSingle(-Champ(1));
  Niveau(niveau).AngRotNiveau = AngRotDefaut;
  const QString nom = QStringLiteral("%ANGR");
  if (niveau == 1) StockeNombre(0, nom, -AngRotDefaut);
  const std::optional<double> niveaux = LitParam(ParamLigne, 2);
  if (!niveaux) {
    NiveauMaxAngRot = 5;
  } else if (*niveaux == -1) {
    StockeNombre(0, nom, -AngRotDefaut);
  } else {
    NiveauMaxAngRot = VersEntier16(niveau + *niveaux);
  }
}

void CmdRefCur(int niveau) {
  if (niveau != 1) return;
  double x = 0, y = 0;
  LitPoint(x, y, ParamLigne, 1, XRot, YRot);
  const QString champY = ParamN(ParamLigne, 2);
  if (Trim(ParamN(ParamLigne, 1)).isEmpty()) x = XRot;
  if (Trim(champY).isEmpty()) y = YRot;
  RunShell.DecalRefX = VersSingle(Arrondi(x, 2));
  RunShell.DecalRefY = VersSingle(Arrondi(y, 2));
  double ax = 0, ay = 0;
  RotationXY(champY, ax, ay);
  RunShell.DecalRefAngle = VersSingle(Arrondi(-AngRotDeg, 2));
}

void CmdFormatI() {
  const QString format = UCase(ParamN(ParamLigne, 1));
  const bool imprimante = !SortieEstEcran();
  if (InStr(format, QStringLiteral("LANDS")) > 0 || InStr(format, QStringLiteral("PAYS")) > 0) {
    if (imprimante) Sortie->DefinitOrientation(true);
    StockeNombre(0, QStringLiteral("%FPay"), 1.0);
  } else if (InStr(format, QStringLiteral("PORT")) > 0) {
    if (imprimante) Sortie->DefinitOrientation(false);
  } else {
    ErreurRun();
  }
  if (!imprimante) return;
  // The page turned: its size in millimetres changed, so the drawing scale is laid out again,
  // 0,0 at the bottom-left and y up.
  Sortie->SetScaleMode(6);
  LargeurDessin = Sortie->ScaleWidth / EchelleX;
  HauteurDessin = Sortie->ScaleHeight / EchelleY;
  Sortie->ScaleWidth = LargeurDessin;
  Sortie->ScaleHeight = -HauteurDessin;
  Sortie->ScaleLeft = 0;
  Sortie->ScaleTop = HauteurDessin;
}

void CmdSeparateur(int niveau) {
  QString sep = Trim(ParamN(ParamLigne, 1));
  if (sep.isEmpty()) sep = QStringLiteral(",");
  const QString sousSep = Trim(ParamN(ParamLigne, 2));
  NiveauProg& nv = Niveau(niveau);
  if (!sousSep.isEmpty()) {
    SepSousParam = sousSep;
    nv.SepSousParam = sousSep;
  }
  SepParam = sep;
  nv.SepParam = sep;
}

void CmdNPage() {
  if (SortieEstEcran()) {
    Sortie->Cls();
    DoEvents();
  } else {
    Sortie->NouvellePage();
  }
}

void CmdPoint(int niveau) {
  double x = XCourant - OrigineX - CTx;
  double y = YCourant - OrigineY - CTy;
  const QString brutX = ParamBrutN(ParamLigne, 1);
  const QString brutY = ParamBrutN(ParamLigne, 2);
  const int sousSep = InStr(brutY, SepSousParam);
  if (sousSep > 0) {
    const double a = LitParam(Mid(brutY, sousSep + SepSousParam.size()), 1).value_or(0.0) * DegresEnRadians;
    if (a != 0) {
      const double xt = x * std::cos(a) + y * std::sin(a);
      y = -x * std::sin(a) + y * std::cos(a);
      x = xt;
    }
  }

  const QString yAvantAngle = sousSep > 0 ? Left(brutY, sousSep - 1) : brutY;
  if (InStr(brutX, QStringLiteral("%")) > 0 || InStr(yAvantAngle, QStringLiteral("%")) > 0) {
    const QString nomX = Trim(brutX);
    if (NommeVariable(nomX)) StockeNombre(niveau, NomCommande(nomX), static_cast<float>(x));
    QString nomY = Trim(brutY);
    const int p = InStr(nomY, SepSousParam);
    if (p > 2) nomY = Trim(Left(nomY, p - 1));
    if (NommeVariable(nomY)) StockeNombre(niveau, NomCommande(nomY), static_cast<float>(y));
    return;
  }
  if (niveau != 1) return;

  // Adding 0 turns a rounded -0 into 0, which is written without a sign.
  const QString echo = QStringLiteral("'? =") + StrNombre(Arrondi(x, 2) + 0.0) + QStringLiteral(", ") +
                       StrNombre(Arrondi(y, 2) + 0.0);
  NiveauProg& nv = Niveau(niveau);
  EditeurTexte* ed = HoteCourant()->Editeur();
  const int debut = nv.DebutInstr - 1;
  const int longueur = nv.FinInstr - nv.DebutInstr;
  ed->SetSelStart(debut);
  ed->SetSelLength(longueur);
  ed->SuiviModif = false;
  ed->SetSelText(echo);
  ed->SuiviModif = true;
  DecaleIndex(niveau, nv.FinInstr, static_cast<int32_t>(echo.size()) - longueur);
  nv.Texte = ed->Text();
  nv.FinInstr = nv.DebutInstr + ed->LongueurLigne(debut);
  nv.PosLecture = nv.FinInstr + 2;
  ed->ColoreInstruction();
}
