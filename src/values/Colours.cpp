#include "values/Colours.h"

#include <array>

#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

struct NomCouleur {
  const char16_t* nom;
  int32_t valeur;
};

// VIOLET has always drawn in cyan; programs rely on it.
constexpr std::array<NomCouleur, 15> NomsCouleurs{{
    {u"NOIR", 0},
    {u"BLACK", 0},
    {u"ROUGE", 255},
    {u"RED", 255},
    {u"VERT", 65280},
    {u"GREEN", 65280},
    {u"JAUNE", 65535},
    {u"YELLOW", 65535},
    {u"BLEU", 16711680},
    {u"BLUE", 16711680},
    {u"CYAN", 16776960},
    {u"VIOLET", 16776960},
    {u"MAGENTA", 16711935},
    {u"BLANC", 16777215},
    {u"WHITE", 16777215},
}};

int32_t Composante(const QString& liste, int n) {
  const int16_t c = VersEntier16(ValeurChamp(liste, n).value_or(0.0));
  if (c < 0) throw ErreurExecution(QStringLiteral("invalid procedure call"));
  return c > 255 ? 255 : c;
}

}  // namespace

CouleurLue ValeurCouleur(const QString& texte) {
  const QString s = UCase(Trim(texte));

  QString t = s;
  const int finParam = InStr(t, Lecture.SepParam);
  if (finParam > 0) t = Left(t, finParam - 1);
  int finNom = InStr(t, Lecture.SepSousParam);
  if (finNom == 0) finNom = InStr(t, QStringLiteral("/"));
  if (finNom > 0) t = Left(t, finNom - 1);
  t = Trim(t);

  for (const NomCouleur& c : NomsCouleurs) {
    if (t == QStringView(c.nom)) return c.valeur;
  }
  if (t == QStringLiteral("N")) return -1;
  if (t.isEmpty()) return {};

  const QString prefixe = Left(s, 3);
  if (prefixe == QStringLiteral("RGB") || prefixe == QStringLiteral("RVB")) {
    const QString composantes = LTrim(Mid(s, 4));
    try {
      return Composante(composantes, 1) + 256 * Composante(composantes, 2) +
             65536 * Composante(composantes, 3);
    } catch (const ErreurExecution&) {
      // An unknown %name says so itself; a component out of range makes no colour.
      if (!Incident.DetailErreur.isEmpty()) throw;
      ErreurContenu(texte, TexteMsg(TexteRaison::Couleur));
    }
  }
  return {};
}
