#include "editor/MaskLookup.h"

#include <QHash>

#include "editor/EditorHost.h"
#include "interpreter/KeywordTable.h"
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
constexpr int kSuite = 302;
constexpr int kAffectation = 348;
constexpr int kExterneNonDocumentee = 359;

struct MasqueMot {
  int Id;
  SaisieMasque Saisie;
};

// The masks of the command words, of the words followed by "%", and of a continued statement.
const QHash<QString, MasqueMot>& TableMasques() {
  static const QHash<QString, MasqueMot> table = [] {
    QHash<QString, MasqueMot> t;
    t.insert(QStringLiteral("SUITE"), {kSuite, SaisieMasque::Vue});
    for (const MotCle& mot : MotsCles()) {
      const QString nom = UCase(QString::fromLatin1(mot.Ecrit));
      if (mot.Masque > 0) t.insert(nom, {mot.Masque, mot.Saisie});
      if (mot.MasquePourcent > 0) t.insert(nom + QLatin1Char('%'), {mot.MasquePourcent, SaisieMasque::Egal});
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

  const auto trouve = TableMasques().constFind(MotCle);
  if (trouve != TableMasques().constEnd()) {
    if (trouve->Saisie == SaisieMasque::Blanc) SigneEgal = QStringLiteral(" ");
    if (trouve->Saisie == SaisieMasque::Vue) {
      SigneEgal.clear();
      CmdEditable = false;
    }
    return TexteMasq(trouve->Id);
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
    bool tropGrand = false;
    if (const std::optional<QByteArray> contenu = LitOctetsFichierBorne(
            dossier + noms[i] + QStringLiteral(".dag"), TailleMaxFichierProgramme, &tropGrand)) {
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
