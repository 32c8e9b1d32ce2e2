#include "interpreter/SetupCommands.h"

#include <cmath>
#include <optional>

#include "drawing/Cross.h"
#include "drawing/DrawState.h"
#include "drawing/Points.h"
#include "drawing/Rotation.h"
#include "interpreter/Flow.h"
#include "interpreter/Labels.h"
#include "interpreter/ScaleState.h"
#include "platform/EditorText.h"
#include "platform/Events.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "values/Colours.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;

double Champ(int n) { return LitParam(Lecture.ParamLigne, n).value_or(0.0); }

void PlaceCourant(double x, double y) {
  Repere.XCourant = static_cast<float>(x);
  Repere.YCourant = static_cast<float>(y);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
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
  if (texte.isEmpty()) return Encre.CouleurCourante;
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

float ZoomInitial(const QString& texte) {
  const QString majuscules = UCase(texte);
  const QString crlf = QStringLiteral("\r\n");
  int trouve = InStr(1, majuscules, QStringLiteral("ZOOMINI"));
  while (trouve > 0) {
    const int debut = InStrRev(texte, crlf, trouve) > 0 ? InStrRev(texte, crlf, trouve) + 2 : 1;
    int fin = InStr(trouve, texte, crlf);
    if (fin == 0) fin = texte.size() + 1;
    const QString ligne = LTrim(Mid(texte, debut, fin - debut).remove(QLatin1Char('\t')));
    if (!ligne.startsWith(QLatin1Char('\''))) {
      const int egal = InStr(ligne, QStringLiteral("="));
      const float valeur = static_cast<float>(Val(egal > 0 ? Mid(ligne, egal + 1) : Mid(ligne, 8)));
      return valeur == 0 ? 1.0f : valeur;
    }
    trouve = InStr(trouve + 7, majuscules, QStringLiteral("ZOOMINI"));
  }
  return 1.0f;
}

void CmdZoomIni() { RunShell.ZoomIni = FacteurZoom(QStringLiteral("ZoomIni")); }

void CmdZoomIniI() {
  RunShell.ZoomIniI = FacteurZoom(QStringLiteral("ZoomIniI"));
  RunShell.DernierFacteurImp = RunShell.ZoomIniI;
}

void CmdCouleur(int niveau) {
  const QString texte = ParamN(Lecture.ParamLigne, -1);
  Encre.CouleurCourante = ValeurCouleur(texte);
  Encre.CouleurCmd = Encre.CouleurCourante;
  if (niveau == 1) StockeTexte(0, QStringLiteral("%Coul"), texte);
  if (Encre.CouleurCourante != -1) Sortie->ForeColor = static_cast<uint32_t>(Encre.CouleurCourante);
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
    Repere.OrigineX = OriginePage(niveau, nv.OrigineX, 1);
    Repere.OrigineY = OriginePage(niveau, nv.OrigineY, 2);
    centreX = Repere.OrigineX;
    centreY = Repere.OrigineY;
  } else {
    const double x = Champ(1);
    const double y = Champ(2);
    if (niveau == 1) {
      if (Shell.DecalVueX + Shell.DecalVueY != 0) {
        Hote* hote = HoteCourant();
        const OutputSurface* fenetre = hote->Ecran();
        const double code = hote->MnuCodeCoche ? hote->LargeurCode() : 0.0;
        Repere.OrigineBaseX = (fenetre->ScaleWidth - code) / 2 - Shell.DecalVueX - x;
        Repere.OrigineBaseY = -fenetre->ScaleHeight / 2 - Shell.DecalVueY - y;
      }
      Repere.OrigineX = Repere.OrigineBaseX + x;
      Repere.OrigineY = Repere.OrigineBaseY + y;
      RunShell.CentreCmdX = static_cast<float>(x);
      RunShell.CentreCmdY = static_cast<float>(y);
      nv.OrigineX = x;
      nv.OrigineY = y;
    } else {
      Repere.OrigineX = OrigineEcran(nv.OrigineX, x, Repere.OrigineBaseX);
      Repere.OrigineY = OrigineEcran(nv.OrigineY, y, Repere.OrigineBaseY);
    }
    centreX = Repere.OrigineX - Repere.OrigineBaseX;
    centreY = Repere.OrigineY - Repere.OrigineBaseY;
  }

  Repere.CTx = Repere.CTy = 0;
  const QString croix = Trim(ParamN(Lecture.ParamLigne, 3));
  if (UCase(croix) != QStringLiteral("N")) {
    Encre.CouleurCmd = CouleurChamp(croix);
    TraceCroixPlus(Repere.OrigineX, Repere.OrigineY, Encre.CouleurCmd);
  }
  PlaceCourant(Repere.CTx + Repere.OrigineX, Repere.CTy + Repere.OrigineY);

  const QString varX = Trim(ParamBrutN(Lecture.ParamLigne, 4));
  if (NommeVariable(varX)) StockeNombre(niveau, NomCommande(varX), centreX);
  const QString varY = Trim(ParamBrutN(Lecture.ParamLigne, 5));
  if (NommeVariable(varY)) StockeNombre(niveau, NomCommande(varY), centreY);
}

void CmdCT(int niveau) {
  AjouteOrdre(OrdreCentre);
  double x = 0, y = 0;
  LitPoint(x, y, Lecture.ParamLigne, 1, Repere.XRot, Repere.YRot);
  const QString champY = ParamN(Lecture.ParamLigne, 2);
  const QString champYCoupe = Trim(champY);
  const bool xVide = Trim(ParamN(Lecture.ParamLigne, 1)).isEmpty();
  const bool yVide = champYCoupe.isEmpty() || champYCoupe.startsWith(Lecture.SepSousParam);
  Repere.CTx = xVide ? Repere.CTxNonTourne + Repere.XRot : static_cast<float>(x);
  Repere.CTy = yVide ? Repere.CTyNonTourne + Repere.YRot : static_cast<float>(y);
  Repere.CTxNonTourne = Repere.CTx;
  Repere.CTyNonTourne = Repere.CTy;

  double cx = Repere.CTx, cy = Repere.CTy;
  RotationXY(champY, cx, cy);
  Repere.CTx = static_cast<float>(cx);
  Repere.CTy = static_cast<float>(cy);

  NiveauProg& nv = Niveau(niveau);
  nv.CTxNiveau = Repere.CTx;
  nv.CTyNiveau = Repere.CTy;
  if (niveau == 1) {
    StockeNombre(0, QStringLiteral("%CTx"), Repere.CTx);
    StockeNombre(0, QStringLiteral("%CTy"), Repere.CTy);
  }

  const QString croix = Trim(ParamN(Lecture.ParamLigne, 3));
  if (croix != QStringLiteral("N") && !Trim(Lecture.ParamLigne).isEmpty()) {
    Encre.CouleurCmd = CouleurChamp(croix);
    TraceCroixPlus(Repere.CTx + Repere.OrigineX, Repere.CTy + Repere.OrigineY, Encre.CouleurCmd);
    AjouteOrdre(OrdreDessin);
  }

  PlaceCourant(Repere.CTx + Repere.OrigineX, Repere.CTy + Repere.OrigineY);
  RotationCourant(Rotation.AngRotDeg);
}

void CmdDecal() {
  AjouteOrdre(OrdreDessin);
  const double decalage = Champ(1);
  Echelle.DecalPivot = decalage == 0 ? 0.0 : -decalage;
  StockeNombre(0, QStringLiteral("%DECAL"), Echelle.DecalPivot);

  const QString couleur = Trim(ParamN(Lecture.ParamLigne, -2));
  if (UCase(couleur) == QStringLiteral("N")) {
    Echelle.CouleurPivot = CouleurLue();
  } else {
    Echelle.CouleurPivot = couleur.isEmpty() ? CouleurLue(Encre.CouleurCourante) : ValeurCouleur(couleur);
    PlaceCourant(Repere.CTx + Repere.OrigineX, Repere.CTy + Repere.OrigineY - Echelle.DecalPivot);
  }
  if (!couleur.isEmpty()) StockeTexte(0, QStringLiteral("%CouleurDECAL"), couleur);
}

void CmdAngRot(int niveau) {
  Rotation.AngRotDefaut = VersSingle(-Champ(1));
  Niveau(niveau).AngRotNiveau = Rotation.AngRotDefaut;
  const QString nom = QStringLiteral("%ANGR");
  if (niveau == 1) StockeNombre(0, nom, -Rotation.AngRotDefaut);
  const std::optional<double> niveaux = LitParam(Lecture.ParamLigne, 2);
  if (!niveaux) {
    Rotation.NiveauMaxAngRot = 5;
  } else if (*niveaux == -1) {
    StockeNombre(0, nom, -Rotation.AngRotDefaut);
  } else {
    Rotation.NiveauMaxAngRot = VersEntier16(niveau + *niveaux);
  }
}

void CmdRefCur(int niveau) {
  if (niveau != 1) return;
  double x = 0, y = 0;
  LitPoint(x, y, Lecture.ParamLigne, 1, Repere.XRot, Repere.YRot);
  const QString champY = ParamN(Lecture.ParamLigne, 2);
  if (Trim(ParamN(Lecture.ParamLigne, 1)).isEmpty()) x = Repere.XRot;
  if (Trim(champY).isEmpty()) y = Repere.YRot;
  RunShell.DecalRefX = VersSingle(Arrondi(x, 2));
  RunShell.DecalRefY = VersSingle(Arrondi(y, 2));
  double ax = 0, ay = 0;
  RotationXY(champY, ax, ay);
  RunShell.DecalRefAngle = VersSingle(Arrondi(-Rotation.AngRotDeg, 2));
}

void CmdFormatI() {
  const QString format = UCase(ParamN(Lecture.ParamLigne, 1));
  const bool imprimante = !SortieEstEcran();
  if (InStr(format, QStringLiteral("LANDS")) > 0 || InStr(format, QStringLiteral("PAYS")) > 0) {
    if (imprimante) Sortie->DefinitOrientation(true);
    StockeNombre(0, QStringLiteral("%FPay"), 1.0);
  } else if (InStr(format, QStringLiteral("PORT")) > 0) {
    if (imprimante) Sortie->DefinitOrientation(false);
  } else {
    ErreurChampN(Lecture.ParamLigne, 1, TexteMsg(TexteRaison::NonAdmis));
  }
  if (!imprimante) return;
  // The page turned: its size in millimetres changed, so the drawing scale is laid out again,
  // 0,0 at the bottom-left and y up.
  Sortie->SetScaleMode(6);
  Cadrage.LargeurDessin = Sortie->ScaleWidth / Cadrage.EchelleX;
  Cadrage.HauteurDessin = Sortie->ScaleHeight / Cadrage.EchelleY;
  Sortie->ScaleWidth = Cadrage.LargeurDessin;
  Sortie->ScaleHeight = -Cadrage.HauteurDessin;
  Sortie->ScaleLeft = 0;
  Sortie->ScaleTop = Cadrage.HauteurDessin;
}

void CmdSeparateur(int niveau) {
  QString sep = Trim(ParamN(Lecture.ParamLigne, 1));
  if (sep.isEmpty()) sep = QStringLiteral(",");
  const QString sousSep = Trim(ParamN(Lecture.ParamLigne, 2));
  NiveauProg& nv = Niveau(niveau);
  if (!sousSep.isEmpty()) {
    Lecture.SepSousParam = sousSep;
    nv.SepSousParam = sousSep;
  }
  Lecture.SepParam = sep;
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
  double x = Repere.XCourant - Repere.OrigineX - Repere.CTx;
  double y = Repere.YCourant - Repere.OrigineY - Repere.CTy;
  const QString brutX = ParamBrutN(Lecture.ParamLigne, 1);
  const QString brutY = ParamBrutN(Lecture.ParamLigne, 2);
  const int sousSep = InStr(brutY, Lecture.SepSousParam);
  if (sousSep > 0) {
    const double a =
        LitParam(Mid(brutY, sousSep + Lecture.SepSousParam.size()), 1).value_or(0.0) * DegresEnRadians;
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
    const int p = InStr(nomY, Lecture.SepSousParam);
    if (p > 2) nomY = Trim(Left(nomY, p - 1));
    if (NommeVariable(nomY)) StockeNombre(niveau, NomCommande(nomY), static_cast<float>(y));
    return;
  }
  if (niveau != 1) return;

  // Adding 0 turns a rounded -0 into 0, which is written without a sign.
  QString echo = QStringLiteral("'? =") + StrNombre(Arrondi(x, 2) + 0.0) + QStringLiteral(", ") +
                 StrNombre(Arrondi(y, 2) + 0.0);
  NiveauProg& nv = Niveau(niveau);
  // After the THEN of a one-line If the whole line becomes the comment, the If with it: a comment
  // after the THEN alone would make a block If of the line on its next pass.
  const int debutLigne = DebutLigneInstruction(niveau);
  if (debutLigne < nv.DebutInstr) {
    echo = QStringLiteral("'") + Mid(nv.Texte, debutLigne, nv.DebutInstr - debutLigne) + Mid(echo, 2);
  }
  // The If kept before the report may hold continuation lines: the statement ends after the report.
  RecritInstruction(niveau, debutLigne - 1, nv.FinInstr - debutLigne, echo);
  nv.DebutInstr = debutLigne;
}
