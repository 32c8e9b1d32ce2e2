#include "drawing/DrawState.h"
#include "drawing/Fonts.h"
#include "drawing/TextCommands.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Insertions.h"
#include "values/Levels.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

// Two decimals, halves to the even neighbour.
double DeuxDecimales(double v) { return ArrondiPair(v * 100.0) / 100.0; }

// Stores a measure into the %variable named by the raw field, when it names one.
void StockeMesure(int niveau, const QString& param, int champ, double valeur) {
  const QString nomBrut = Trim(ParamBrutN(param, champ));
  if (nomBrut.size() < 2 || !nomBrut.startsWith(QLatin1Char('%'))) return;
  QString nom = NomCommande(nomBrut);
  StockeVariable(niveau, nom, static_cast<double>(DeuxDecimales(valeur)));
}

}  // namespace

void CmdTailleP(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  const QString param = Lecture.ParamLigne;

  QString t = ParamN(param, 1);
  if (NbParams(param) == 2) t += ParamN(param, 2);

  if (!Trim(t).isEmpty()) {
    const QString debut = LTrim(t);
    if (debut.startsWith(QLatin1Char('*'))) {
      const float k = LitMultiplicateur(t);
      nv.FacteurTailleP = k;
      Sortie->Font.Size = static_cast<float>(k * Lettrage.TailleTexte * Cadrage.FacteurEchelle);
    } else if (debut.front().isDigit()) {
      Lettrage.TailleTexte = static_cast<float>(Val(ParamN(param, 1)));
      Sortie->Font.Size = static_cast<float>(Cadrage.FacteurEchelle * Lettrage.TailleTexte);
      nv.FacteurTailleP = 1;
    }
  }
  AppliqueStyle(UCase(t));

  QString exemple = FonctionsTxtArr(ParamN(param, 2));
  if (exemple.isEmpty()) exemple = QStringLiteral("X");

  StockeMesure(niveau, param, 3, Sortie->TextWidth(exemple));
  StockeMesure(niveau, param, 4, -Sortie->TextHeight(exemple));

  if (!Trim(ParamN(param, 5)).isEmpty()) {
    // The sample's cell stands on the line of the current origin, starting at it.
    Repere.XCourant = static_cast<float>(Repere.OrigineX + Repere.CTx);
    Sortie->CurrentX = Repere.XCourant;
    Repere.YCourant = static_cast<float>(Repere.OrigineY + Repere.CTy - Sortie->TextHeight(exemple));
    Sortie->CurrentY = Repere.YCourant;
    Sortie->Texte(Sortie->DeviceX(Repere.XCourant), Sortie->DeviceY(Repere.YCourant), 0, exemple);
    Repere.YCourant = static_cast<float>(Repere.YCourant + Sortie->TextHeight(exemple));
    Sortie->CurrentY = Repere.YCourant;
  }
}

void CmdPolice(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  const QString param = Lecture.ParamLigne;

  const QString nom = ParamN(param, 1);
  if (!Trim(nom).isEmpty()) ChoisitPolice(nom, InStr(UCase(nv.Fichier), QStringLiteral(".DAG")) == 0);

  MetriquesPolice();

  if (!Trim(ParamN(param, 2)).isEmpty())
    Lettrage.RapportTexteBImpose =
        static_cast<float>((Lettrage.RapportAscent - LitParam(param, 2).value_or(0.0)) / 2);
  else
    Lettrage.RapportTexteBImpose = 0;
}
