#include "editor/MaskLookup.h"

#include <QHash>
#include <vector>

#include "editor/EditorHost.h"
#include "interpreter/Scrambling.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"

using namespace legacy;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

constexpr int kCommentaire = 301;
constexpr int kAffectation = 348;
constexpr int kExterneNonDocumentee = 359;

const QHash<QString, int>& TableMasques() {
  static const QHash<QString, int> table = [] {
    const std::pair<int, std::vector<const char*>> groupes[] = {
        {302, {"SUITE"}},
        {303, {"ARC"}},
        {304, {"CADRE", "CADREP", "CADRE%"}},
        {305, {"CADREA", "CADREAP", "CADREA%"}},
        {306, {"CENTREE", "CENTREEI", "CENTREE%"}},
        {307, {"CENTREI"}},
        {308, {"CERCLE", "CERCLEI", "CERCLEP", "CERCLEPI", "CERCLE%"}},
        {310, {"COULEUR"}},
        {311, {"CT"}},
        {312, {"DECAL"}},
        {313, {"DEMILUNE", "DEMILUNEP", "DEMILUNE%"}},
        {314, {"DROITE"}},
        {315, {"DROITEV"}},
        {316, {"EPAIST"}},
        {317, {"EXPOSANT"}},
        {319, {"FICHIER"}},
        {320, {"FLECHE", "FLECHEP", "FLECHE%"}},
        {321, {"FORMATI"}},
        {322, {"GRAD"}},
        {323, {"GRAD1"}},
        {324, {"INVERSION"}},
        {325, {"PERCER", "PERCERX"}},
        {326, {"PLUS", "+"}},
        {327, {"POLICE"}},
        {328, {"POLY", "POLYP"}},
        {329, {"SECT", "SECTP", "SECT%"}},
        {330, {"SEPARATEUR"}},
        {331, {"STOP", "!"}},
        {332, {"TAILLEP"}},
        {333, {"TEXTE"}},
        {334, {"TEXTEC"}},
        {335, {"TRAIT"}},
        {336, {"VAL"}},
        {337, {"VAL1"}},
        {338, {"VOYANT"}},
        {339, {"X"}},
        {340, {"?"}},
        {343, {"QA", "QA1", "QA2", "QA12", "QA%"}},
        {344, {"IMAGE"}},
        {345, {"ZOOMINI", "ZOOMINII"}},
        {346, {"PALCOUL", "PALCOUL2", "PALCOUL3", "PALCOUL%"}},
        {347, {"IF", "IFT"}},
        {349, {"GOTO"}},
        {350, {"LISTEVAR"}},
        {351, {"INPUT"}},
        {352, {"OPEN"}},
        {353, {"LVAR"}},
        {354, {"NPAGE"}},
        {355, {"CHAIN"}},
        {356, {"PLOT", "PLOTP", "PLOTS", "PLOT%"}},
        {357, {"VALR", "VALD", "VAL%"}},
        {358, {"VAL1R", "VAL1D", "VAL1%"}},
        {360, {"ELSEIF", "ELSEIFT"}},
        {361, {"ELSE"}},
        {362, {"ENDIF"}},
        {363, {"REFCUR"}},
        {364, {"BEZIER", "BEZIERP", "BEZIER%"}},
        {365, {"BEZIER_AGR"}},
        {366, {"ANGROT"}},
        {367, {"POLYR", "POLYRP"}},
        {368, {"COTE"}},
        {369, {"OPENA"}},
        {370, {"PRINTA"}},
    };
    QHash<QString, int> t;
    for (const auto& [id, cles] : groupes) {
      for (const char* cle : cles) t.insert(QString::fromLatin1(cle), id);
    }
    return t;
  }();
  return table;
}

QString TexteMasq(int id) { return TexteRes(HoteEditeurCourant().BaseLangueMasq() + id); }

// The tag that begins the help section of a language number (1 French ... 5 the fifth language).
QString BaliseLangue(int numero) {
  static const char* const balises[] = {"'$F", "'$E", "'$D", "'$S", "'$R"};
  if (numero < 1 || numero > 5) return {};
  return QString::fromLatin1(balises[numero - 1]);
}

}  // namespace

QString SectionMasque(const QString& texte) {
  int p = 0;
  for (int numero : {HoteEditeurCourant().NumLangue(), HoteEditeurCourant().NumLangueMasq(), 1}) {
    const QString balise = BaliseLangue(numero);
    if (balise.isEmpty()) continue;
    p = InStr(texte, kCrLf + balise);
    if (p > 0) break;
  }
  if (p == 0) return {};
  const int debut = p + 5;
  const int e = InStr(debut, texte, kCrLf + QStringLiteral("'$"));
  if (e == 0) return {};
  const QString masque = Mid(texte, debut, e + 2 - debut);
  return Replace(masque, kCrLf + QStringLiteral("'"), kCrLf);
}

QString Masque(QString& MotCle, bool& CmdEditable, QString& SigneEgal) {
  CmdEditable = true;
  SigneEgal = QStringLiteral(" =");
  MotCle = UCase(MotCle);

  const int id = TableMasques().value(MotCle, 0);
  if (id > 0) {
    if (MotCle == QStringLiteral("GOTO") || MotCle == QStringLiteral("IF") ||
        MotCle == QStringLiteral("IFT") || MotCle == QStringLiteral("INPUT")) {
      SigneEgal = QStringLiteral(" ");
    }
    static const QStringList affiches = {
        QStringLiteral("SUITE"), QStringLiteral("STOP"),   QStringLiteral("!"),      QStringLiteral("ELSE"),
        QStringLiteral("ENDIF"), QStringLiteral("ELSEIF"), QStringLiteral("ELSEIFT")};
    if (affiches.contains(MotCle)) {
      SigneEgal.clear();
      CmdEditable = false;
    }
    return TexteMasq(id);
  }

  const QString premier = Left(MotCle, 1);
  if (premier == QStringLiteral("%")) {
    SigneEgal.clear();
    return TexteMasq(kAffectation);
  }
  if (premier == QStringLiteral("'")) {
    CmdEditable = false;
    return TexteMasq(kCommentaire);
  }

  const QStringList& noms = Shell.CmdExternes;
  for (qsizetype i = 0; i < noms.size(); ++i) {
    if (UCase(noms[i]) != MotCle) continue;
    // The file is named as the list writes it: the file system may tell letter cases apart.
    const QString dossier = i < Shell.RepCmdExternes.size() ? Shell.RepCmdExternes[i] : QString();
    QString masque;
    if (const std::optional<QByteArray> contenu =
            LitOctetsFichier(dossier + noms[i] + QStringLiteral(".dag"))) {
      try {
        masque = SectionMasque(DecodeFicExterne(*contenu));
      } catch (const ErreurExecution&) {
        masque.clear();
      }
    }
    if (masque.isEmpty()) {
      CmdEditable = false;
      return TexteMasq(kExterneNonDocumentee);
    }
    return masque;
  }
  CmdEditable = false;
  return {};
}
