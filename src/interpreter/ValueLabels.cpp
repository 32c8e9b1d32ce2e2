#include <QScopeGuard>
#include <cmath>

#include "drawing/DrawState.h"
#include "drawing/Fonts.h"
#include "drawing/Rotation.h"
#include "interpreter/Graduations.h"
#include "interpreter/ScaleNumbers.h"
#include "interpreter/ScaleState.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Insertions.h"
#include "values/Levels.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;

// The style field of ValR, ValD, Val1R and Val1D: the text angle and the placement code.
struct StyleValeurs {
  bool Radial = false;         // the keyword holds an "R": on an arc the text follows the radius
  bool StyleRotation = false;  // the style holds an "R"
  double R = 0;                // angle after the "R", relative to the scale
  double F = 0;                // fixed angle of a style without "R"
  QString ParamStyle;          // what EcritTexteAligne reads its letters from
};

bool EstCode(const QString& t) {
  static const QStringList codes = {"BG", "BD", "HG", "HD", "GB", "DB", "GH", "DH", "B", "H", "G", "D"};
  return codes.contains(t);
}

// Reads the style field, first on the line, and removes it.
StyleValeurs LitStyle(QString& param, bool radial) {
  StyleValeurs s;
  s.Radial = radial;
  QString brut = ParamN(param, 1);
  const int sep = InStr(brut, Lecture.SepParam);
  if (sep > 0) {
    // A variable whose value ends with the separator, written before the next field.
    const int blanc = InStr(3, param, QStringLiteral(" "));
    param = Left(brut, sep + static_cast<int>(Lecture.SepParam.size()) - 1) +
            (blanc > 0 ? Mid(param, blanc + 1) : QString());
    brut = ParamN(param, 1);
  }
  QString style = UCase(Trim(brut));
  if (style.isEmpty()) style = QStringLiteral("R0");
  QString code;
  if (style.size() >= 2) {
    if (EstCode(Right(style, 2))) {
      code = Right(style, 2);
    } else if (EstCode(Right(style, 1))) {
      code = Right(style, 1);
    }
    style.chop(code.size());
  }
  const int r = InStr(style, QStringLiteral("R"));
  if (r > 0) {
    QString angle = Mid(style, r + 1);
    s.R = Calcule(angle).value_or(0.0);
    s.StyleRotation = true;
  } else {
    s.F = LitParam(style, 1).value_or(0.0);
  }
  s.ParamStyle = style + code;
  ResteParams(param, 1);
  return s;
}

double AngleTexte(const StyleValeurs& s, GenreEchelle genre, double a4, double angleMarque) {
  if (!s.StyleRotation) return s.F;
  switch (genre) {
    case GenreEchelle::Horizontale:
      return s.R + a4;
    case GenreEchelle::Verticale:
      return s.R + 90 + a4;
    case GenreEchelle::Arc:
      return s.Radial ? 90 - angleMarque + s.R : s.R;
  }
  return 0;
}

// One label at distance d from the scale line at position p; written unless the colour is "N".
void EcritEtiquette(GenreEchelle genre, double p, double d, double a4, const StyleValeurs& s,
                    const QString& texte) {
  const double w = Sortie->TextWidth(texte);
  const double h = -Sortie->TextHeight(texte);
  const double angle = AngleTexte(s, genre, a4, p);
  double x = 0, y = 0;
  PointExterieur(genre, p, d, a4 * DegresEnRadians, x, y);
  Repere.XCourant = static_cast<float>(x);
  Repere.YCourant = static_cast<float>(y);
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
  if (Encre.CouleurCmd != -1) {
    Sortie->ForeColor = static_cast<uint32_t>(Encre.CouleurCmd);
    EcritTexteAligne(w, h, angle, texte, s.ParamStyle, Echelle.AngleCmd);
  }
}

void FinEtiquettes() {
  if (Encre.CouleurCourante != -1) Sortie->ForeColor = static_cast<uint32_t>(Encre.CouleurCourante);
  RotationCourant(-Echelle.AngleCmd);
}

// The text after the first sub-field separator, or nullopt when there is none.
std::optional<QString> ApresSousSep(const QString& champ) {
  const int k = InStr(champ, Lecture.SepSousParam);
  if (k == 0) return std::nullopt;
  return Mid(champ, k + static_cast<int>(Lecture.SepSousParam.size()));
}

// The label of graduation 'compteur' of a Val run.
QString FormateValeur(const QString& param, int compteur, double n, double dernier, bool log) {
  QString texte;
  QString prefixe;
  const QString champ2 = ParamN(param, 2), champ3 = ParamN(param, 3);
  if (!log) {
    const auto modulo = ApresSousSep(ParamN(param, 1));
    const int16_t m = modulo ? VersEntier16(Val(*modulo)) : int16_t{0};
    const double diviseur = Fix(n);
    if (diviseur == 0) LeveErreurExecution(QStringLiteral("division by zero"));
    const double debut = LitParam(param, 2).value_or(0.0), fin = LitParam(param, 3).value_or(0.0);
    double v = debut + (fin - debut) * compteur / diviseur;
    if (!std::isfinite(v)) LeveErreurExecution(QStringLiteral("overflow"));
    if (m != 0) v = VersEntier32(v) % m;
    texte = Trim(TexteNombreLocal(v));
  } else {
    QString format = champ3;
    if (const int k = InStr(format, Lecture.SepSousParam); k > 0) format = Left(format, k - 1);
    format = Trim(format);
    const QString spec = UCase(format);
    const double facteur = LitParam(param, 2).value_or(0.0);
    const double v = facteur * Echelle.LogDebut *
                     std::pow(10.0, static_cast<double>(Echelle.LogDecadesTotal) * Graduations.ValeurGrad);
    if (!std::isfinite(v)) LeveErreurExecution(QStringLiteral("overflow"));
    float x = VersSingle(ArrondiSignificatif(v, 5));
    if (spec.startsWith(u'P')) {
      PrefixeSI(x, prefixe);
      texte = Trim(TexteNombreLocal(x));
    } else if (InStr(spec, QStringLiteral("E")) > 0 && spec.size() > 1) {
      // The exponent shows its sign only when negative.
      const int k = InStr(spec, QStringLiteral("E"));
      texte = Format(x, Left(format, k) + QStringLiteral("-") + Mid(format, k + 1));
    } else if (spec == u"E") {
      texte = NotationScientifique(x);
    } else if (InStr(spec, QStringLiteral("S")) > 0) {
      texte = NotationIngenieur(x);
    } else {
      texte = Trim(TexteNombreLocal(x));
    }
  }

  std::optional<QString> unite;
  if (compteur == std::fabs(dernier)) unite = ApresSousSep(champ3);
  if (!unite) unite = ApresSousSep(champ2);
  QString suffixe = prefixe;
  if (unite)
    suffixe = unite->startsWith(u' ') ? QStringLiteral(" ") + prefixe + Mid(*unite, 2) : prefixe + *unite;
  if (suffixe == u" ") suffixe.clear();
  return texte + suffixe;
}

// Mantissa and power of ten of x, the power rounded down to a multiple of 'pas'.
QString Notation(float& x, int pas) {
  if (!(x > 0)) LeveErreurExecution(QStringLiteral("invalid procedure call"));
  int e = static_cast<int>(Int(VersSingle(std::log10(static_cast<double>(x)))));
  if (pas > 1) {
    const int reste = e % pas;
    if (e >= 0) {
      e -= reste;
    } else if (reste != 0) {
      e = e - pas - reste;
    }
  }
  x = VersSingle(x / std::pow(10.0, e));
  return Trim(TexteNombreLocal(x)) + QStringLiteral("E") + TexteNombre(static_cast<double>(e));
}

}  // namespace

QString NotationScientifique(float& x) { return Notation(x, 1); }

QString NotationIngenieur(float& x) { return Notation(x, 3); }

void CmdVal(int niveau) {
  const QString mot = Niveau(niveau).MotCle;
  QString param = Lecture.ParamLigne;
  StyleValeurs style;
  if (mot != u"VAL") style = LitStyle(param, InStr(mot, QStringLiteral("R")) > 0);

  const NiveauProg& nv = Niveau(niveau);
  const bool log = nv.EchelleLog;
  double n = 0, premier = 0, dernier = 0;
  LitPasEtBornes(param, log, 5, 6, n, premier, dernier);
  const double d = LitParam(param, 4).value_or(0.0) * Echelle.SensInversion;
  const double a4 = SousChampNum(ParamN(param, 4), 2).value_or(0.0);
  Encre.CouleurCmd = CouleurChamp(param, 7);

  const GenreEchelle genre = GenreEchelleCourante();
  ParcourtGraduations(genre, n, premier, dernier, niveau, [&](int compteur, double position) {
    EcritEtiquette(genre, position, d, a4, style, FormateValeur(param, compteur, n, dernier, log));
  });
  FinEtiquettes();
}

void CmdVal1(int niveau) {
  const QString mot = Niveau(niveau).MotCle;
  QString param = Lecture.ParamLigne;
  StyleValeurs style;
  if (mot != u"VAL1") style = LitStyle(param, InStr(mot, QStringLiteral("R")) > 0);
  param = Replace(param, Lecture.SepSousParam + QStringLiteral("txt"),
                  Lecture.SepSousParam + QStringLiteral("TXT"));
  const QString marqueTexte = Lecture.SepSousParam + QStringLiteral("TXT");
  const GenreEchelle genre = GenreEchelleCourante();

  while (true) {
    const QString brut = ParamBrutN(param, 1);
    int slot = 0, elements = 1;
    ListeDuGroupe(brut, slot, elements);
    bool textes = false, listeEtiquettes = false;
    if (slot > 0) {
      if (RTrim(ParamBrutN(param, 2)).endsWith(marqueTexte)) {
        textes = true;
        param = Replace(param, marqueTexte, Lecture.SepSousParam);
      }
      listeEtiquettes = InStr(ParamBrutN(param, 2), Lecture.SepSousParam) > 0;
    }

    Lecture.SlotListe = 0;
    QString etiquette = Replace(ParamN(param, 2), Lecture.SepParam, Lecture.SepSousParam);
    etiquette = FonctionsTxtArr(EvalueDieses(etiquette));
    etiquette = Replace(etiquette, QStringLiteral("$£"), QStringLiteral(","));
    if (etiquette.endsWith(marqueTexte)) {
      etiquette.chop(marqueTexte.size());
      etiquette = Replace(etiquette, QStringLiteral("."), SeparateurDecimal());
    }
    const bool parElement = listeEtiquettes && NbSousParams(etiquette) >= elements;

    PourChaqueValeur(param, slot, elements, [&](int k, double v) {
      QString texte = etiquette;
      if (parElement) {
        texte = etiquette.split(Lecture.SepSousParam).value(k - 1);
        if (textes) texte = Replace(texte, QStringLiteral("."), SeparateurDecimal());
      }
      const double d = LitParam(param, 3).value_or(0.0) * Echelle.SensInversion;
      const double a4 = SousChampNum(ParamN(param, 3), 2).value_or(0.0);
      Encre.CouleurCmd = CouleurChamp(param, 4);
      const double p = PositionValeur(genre, v, Graduations.ValeurEnDegres, niveau);
      EcritEtiquette(genre, p, d, a4, style, texte);
    });
    Lecture.ChampListe = 1;
    ResteParams(param, 4);
    if (Trim(param).isEmpty()) break;
  }
  FinEtiquettes();
}
