#include "platform/Legacy.h"

#include <QLocale>
#include <QTime>
#include <algorithm>
#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "platform/RunError.h"

namespace legacy {

namespace {

[[noreturn]] void AppelInvalide() { LeveErreurExecution(QStringLiteral("invalid procedure call")); }
[[noreturn]] void Depassement() { LeveErreurExecution(QStringLiteral("overflow")); }

// A number as decimal digits: value = 0.chiffres x 10^exposant, no leading or trailing zero in
// chiffres; zero has no digits.
struct Decimal {
  bool negatif = false;
  std::string chiffres;
  int exposant = 0;
  bool estZero() const { return chiffres.empty(); }
};

void Normalise(Decimal& d) {
  size_t debut = d.chiffres.find_first_not_of('0');
  if (debut == std::string::npos) {
    d.chiffres.clear();
    d.exposant = 0;
    return;
  }
  d.chiffres.erase(0, debut);
  d.exposant -= static_cast<int>(debut);
  d.chiffres.erase(d.chiffres.find_last_not_of('0') + 1);
}

// Parses the scientific form "d.ddde+XX" that std::to_chars writes.
Decimal DepuisScientifique(const char* debut, const char* fin) {
  Decimal d;
  const char* p = debut;
  if (p < fin && *p == '-') {
    d.negatif = true;
    ++p;
  }
  int chiffresEntiers = -1;
  for (; p < fin && *p != 'e'; ++p) {
    if (*p == '.') {
      chiffresEntiers = static_cast<int>(d.chiffres.size());
    } else {
      d.chiffres.push_back(*p);
    }
  }
  if (chiffresEntiers < 0) chiffresEntiers = static_cast<int>(d.chiffres.size());
  int exposant10 = 0;
  if (p < fin) {
    const char* e = p + 1;
    if (e < fin && *e == '+') ++e;
    std::from_chars(e, fin, exposant10);
  }
  d.exposant = chiffresEntiers + exposant10;
  Normalise(d);
  return d;
}

// The shortest digits that read back as the same double.
Decimal Court(double v) {
  if (!std::isfinite(v)) Depassement();
  char tampon[64];
  auto r = std::to_chars(tampon, tampon + sizeof tampon, v, std::chars_format::scientific);
  return DepuisScientifique(tampon, r.ptr);
}

// Every digit of a single's exact value (at most 112 significant ones), so that its 7-digit text
// is rounded once from the value itself: the shortest form of 4.2426405f is 4.2426405, which would
// round to 4.242641, while the value is 4.24264049...
Decimal Exact(float v) {
  if (!std::isfinite(v)) Depassement();
  char tampon[160];
  auto r = std::to_chars(tampon, tampon + sizeof tampon, static_cast<double>(v),
                         std::chars_format::scientific, 120);
  return DepuisScientifique(tampon, r.ptr);
}

// Enough digits of a single to round it to 7 significant ones half away from zero: its value
// correctly rounded to 8 digits decides, unless the 8th digit is a 5, which may stand for a tie
// or for a value just below one; then every digit is needed.
Decimal SeptChiffres(float v) {
  if (!std::isfinite(v)) Depassement();
  char tampon[32];
  auto r =
      std::to_chars(tampon, tampon + sizeof tampon, static_cast<double>(v), std::chars_format::scientific, 7);
  const char* e = std::find(tampon, r.ptr, 'e');
  if (e > tampon && e[-1] == '5') return Exact(v);
  return DepuisScientifique(tampon, r.ptr);
}

// Keeps the first n digits, the rest rounded half away from zero.
void GardeChiffres(Decimal& d, int n) {
  if (static_cast<int>(d.chiffres.size()) <= n) return;
  if (n < 0) {
    d.chiffres.clear();
    Normalise(d);
    return;
  }
  const bool monte = d.chiffres[n] >= '5';
  d.chiffres.resize(n);
  if (monte) {
    int i = n - 1;
    while (i >= 0 && d.chiffres[i] == '9') {
      d.chiffres[i] = '0';
      --i;
    }
    if (i >= 0) {
      ++d.chiffres[i];
    } else {
      d.chiffres.insert(d.chiffres.begin(), '1');
      ++d.exposant;
    }
  }
  Normalise(d);
}

void ArrondiSignificatif(Decimal& d, int n) { GardeChiffres(d, n); }
void ArrondiDecimales(Decimal& d, int decimales) { GardeChiffres(d, d.exposant + decimales); }

// The old runtime's number text: plain when the decimal exponent x of the rounded value is within
// -4 <= x < digits, else mantissa "E" sign and at least two exponent digits.
QString Texte(Decimal d, int chiffres, const QString& separateur, bool zeroDevant) {
  ArrondiSignificatif(d, chiffres);
  if (d.estZero()) return QStringLiteral("0");
  std::string r = d.negatif ? "-" : "";
  const int x = d.exposant - 1;
  const std::string sep = separateur.toStdString();
  if (x < -4 || x >= chiffres) {
    r += d.chiffres[0];
    if (d.chiffres.size() > 1) r += sep + d.chiffres.substr(1);
    const int absx = std::abs(x);
    r += x < 0 ? "E-" : "E+";
    if (absx < 10) r += '0';
    r += std::to_string(absx);
  } else if (d.exposant <= 0) {
    if (zeroDevant) r += '0';
    r += sep + std::string(-d.exposant, '0') + d.chiffres;
  } else if (static_cast<int>(d.chiffres.size()) <= d.exposant) {
    r += d.chiffres + std::string(d.exposant - d.chiffres.size(), '0');
  } else {
    r += d.chiffres.substr(0, d.exposant) + sep + d.chiffres.substr(d.exposant);
  }
  return QString::fromStdString(r);
}

// Read with "." whatever the user's locale, which the C library's conversions would follow.
double VersDouble(const Decimal& d) {
  if (d.estZero()) return 0.0;
  const std::string t = (d.negatif ? "-." : ".") + d.chiffres + "e" + std::to_string(d.exposant);
  double v = 0.0;
  std::from_chars(t.data(), t.data() + t.size(), v);
  return v;
}

// The C library's reading of a number in the "C" locale, whatever locale the process is in: it
// gives an out-of-range text its overflow or its underflow value.
double StrtodC(const std::string& texte) {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return strtod_l(texte.c_str(), nullptr, c);
}

QString SeparateurLocal() { return QLocale().decimalPoint(); }

// The value of a hexadecimal digit, -1 for anything else.
int ValeurChiffre(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  return -1;
}

bool EstBlanc(QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; }

// ---- format patterns ----

enum class Genre { Litteral, Zero, Diese, Point, Exposant, Pourcent };

struct Jeton {
  Genre genre;
  QString texte;               // literal text, or the exponent letter as written
  bool signeToujours = false;  // "E+" rather than "E-"
  int zerosExposant = 0;       // least count of exponent digits
};

struct Section {
  std::vector<Jeton> jetons;
  bool groupes = false;
  bool exposant = false;
  bool pourcent = false;
};

Section LitSection(const QString& motif) {
  Section s;
  bool apresPoint = false;
  bool dansExposant = false;
  for (int i = 0; i < motif.size(); ++i) {
    const QChar c = motif[i];
    if (dansExposant && (c == u'0' || c == u'#')) {
      if (c == u'0') ++s.jetons.back().zerosExposant;
      continue;
    }
    dansExposant = false;
    if (c == u'"') {
      int fin = motif.indexOf(u'"', i + 1);
      if (fin < 0) fin = motif.size();
      s.jetons.push_back({Genre::Litteral, motif.mid(i + 1, fin - i - 1)});
      i = fin;
    } else if (c == u'\\' && i + 1 < motif.size()) {
      s.jetons.push_back({Genre::Litteral, QString(motif[++i])});
    } else if (c == u'0' || c == u'#') {
      s.jetons.push_back({c == u'0' ? Genre::Zero : Genre::Diese, {}});
    } else if (c == u'.' && !apresPoint && !s.exposant) {
      apresPoint = true;
      s.jetons.push_back({Genre::Point, {}});
    } else if (c == u',' && !apresPoint && !s.exposant && i + 1 < motif.size() &&
               (motif[i + 1] == u'0' || motif[i + 1] == u'#') && i > 0 &&
               (motif[i - 1] == u'0' || motif[i - 1] == u'#')) {
      s.groupes = true;
    } else if ((c == u'E' || c == u'e') && !s.exposant && i + 1 < motif.size() &&
               (motif[i + 1] == u'+' || motif[i + 1] == u'-')) {
      s.exposant = true;
      dansExposant = true;
      Jeton j{Genre::Exposant, QString(c)};
      j.signeToujours = motif[i + 1] == u'+';
      s.jetons.push_back(j);
      ++i;
    } else if (c == u'%') {
      s.pourcent = true;
      s.jetons.push_back({Genre::Pourcent, {}});
    } else {
      s.jetons.push_back({Genre::Litteral, QString(c)});
    }
  }
  return s;
}

QStringList DecoupeSections(const QString& motif) {
  QStringList sections;
  QString courante;
  bool entreGuillemets = false;
  for (int i = 0; i < motif.size(); ++i) {
    const QChar c = motif[i];
    if (c == u'"') entreGuillemets = !entreGuillemets;
    if (c == u'\\' && i + 1 < motif.size()) {
      courante += c;
      courante += motif[++i];
    } else if (c == u';' && !entreGuillemets) {
      sections << courante;
      courante.clear();
    } else {
      courante += c;
    }
  }
  sections << courante;
  return sections;
}

QString AppliqueSection(const Section& s, double v, bool signe, const QString& point, const QString& groupe) {
  int nEntiers = 0, minEntiers = 0, nDecimales = 0, minDecimales = 0;
  bool apresPoint = false;
  for (const Jeton& j : s.jetons) {
    if (j.genre == Genre::Point) apresPoint = true;
    if (j.genre == Genre::Exposant) break;
    if (j.genre != Genre::Zero && j.genre != Genre::Diese) continue;
    if (apresPoint) {
      ++nDecimales;
      if (j.genre == Genre::Zero) minDecimales = nDecimales;
    } else {
      ++nEntiers;
      if (j.genre == Genre::Zero && minEntiers == 0)
        minEntiers = 1;
      else if (minEntiers > 0)
        ++minEntiers;
    }
  }

  if (s.pourcent) v *= 100.0;
  Decimal d = Court(v);
  d.negatif = false;
  ArrondiSignificatif(d, 15);

  std::string entiers, decimales;
  int exposant10 = 0;
  if (s.exposant) {
    const int pas = std::max(nEntiers, 1);
    auto place = [&](const Decimal& x) {
      if (x.estZero()) return 0;
      const int e = x.exposant - 1;
      return static_cast<int>(std::floor(static_cast<double>(e) / pas)) * pas;
    };
    exposant10 = place(d);
    ArrondiSignificatif(d, d.exposant - exposant10 + nDecimales);
    exposant10 = place(d);
    const int nChiffresEntiers = d.estZero() ? 0 : d.exposant - exposant10;
    std::string tous = d.chiffres + std::string(nChiffresEntiers + nDecimales, '0');
    entiers = tous.substr(0, nChiffresEntiers);
    decimales = tous.substr(nChiffresEntiers, nDecimales);
  } else {
    ArrondiDecimales(d, nDecimales);
    if (d.exposant > 0) {
      entiers = d.chiffres.substr(0, std::min<size_t>(d.chiffres.size(), d.exposant));
      entiers += std::string(d.exposant - entiers.size(), '0');
    }
    const int apresVirgule = static_cast<int>(d.chiffres.size()) - std::max(d.exposant, 0);
    if (apresVirgule > 0) {
      decimales =
          std::string(std::max(-d.exposant, 0), '0') + d.chiffres.substr(d.chiffres.size() - apresVirgule);
    }
    decimales.resize(nDecimales, '0');
  }
  while (static_cast<int>(decimales.size()) > minDecimales && decimales.back() == '0') decimales.pop_back();
  if (static_cast<int>(entiers.size()) < minEntiers) entiers.insert(0, minEntiers - entiers.size(), '0');

  QString r = signe ? QStringLiteral("-") : QString();
  const int nChiffres = static_cast<int>(entiers.size());
  auto ecritChiffre = [&](int indice) {
    r += QChar::fromLatin1(entiers[indice]);
    const int rang = nChiffres - 1 - indice;
    if (s.groupes && rang > 0 && rang % 3 == 0) r += groupe;
  };
  int placeEntiere = 0;
  int placeDecimale = 0;
  bool pointVu = false;
  for (const Jeton& j : s.jetons) {
    switch (j.genre) {
      case Genre::Litteral:
        r += j.texte;
        break;
      case Genre::Pourcent:
        r += u'%';
        break;
      case Genre::Zero:
      case Genre::Diese:
        if (!pointVu) {
          const int rang = nEntiers - 1 - placeEntiere;
          if (placeEntiere == 0) {
            for (int i = 0; i < nChiffres - nEntiers; ++i) ecritChiffre(i);
          }
          if (rang < nChiffres) ecritChiffre(nChiffres - 1 - rang);
          ++placeEntiere;
        } else {
          if (placeDecimale < static_cast<int>(decimales.size()))
            r += QChar::fromLatin1(decimales[placeDecimale]);
          ++placeDecimale;
        }
        break;
      case Genre::Point:
        if (nEntiers == 0) {
          for (int i = 0; i < nChiffres; ++i) ecritChiffre(i);
        }
        pointVu = true;
        r += point;
        break;
      case Genre::Exposant: {
        if (nEntiers == 0 && !pointVu) {
          for (int i = 0; i < nChiffres; ++i) ecritChiffre(i);
        }
        pointVu = true;
        r += j.texte;
        if (exposant10 < 0)
          r += u'-';
        else if (j.signeToujours)
          r += u'+';
        QString e = QString::number(std::abs(exposant10));
        if (e.size() < j.zerosExposant) e.prepend(QString(j.zerosExposant - e.size(), u'0'));
        r += e;
        break;
      }
    }
  }
  return r;
}

QString FormatNomme(const QString& motif) {
  const QString nom = UCase(Trim(motif));
  if (nom == QLatin1String("FIXED")) return QStringLiteral("0.00");
  if (nom == QLatin1String("STANDARD")) return QStringLiteral("#,##0.00");
  if (nom == QLatin1String("PERCENT")) return QStringLiteral("0.00%");
  if (nom == QLatin1String("SCIENTIFIC")) return QStringLiteral("0.00E+00");
  return motif;
}

// ---- the pseudo-random sequence ----
uint32_t etatAleatoire = 0x50000;

void PasAleatoire() { etatAleatoire = (etatAleatoire * 1140671485u + 12820163u) & 0xFFFFFFu; }

}  // namespace

// ---- text positions ----

QString Mid(const QString& s, int start, int len) {
  if (start < 1 || len < -1) AppelInvalide();
  if (start > s.size()) return {};
  return len == -1 ? s.mid(start - 1) : s.mid(start - 1, len);
}

QString Left(const QString& s, int len) {
  if (len < 0) AppelInvalide();
  return s.left(len);
}

QString Right(const QString& s, int len) {
  if (len < 0) AppelInvalide();
  return s.right(len);
}

int InStr(int start, const QString& s, const QString& pat) {
  if (start < 1) AppelInvalide();
  if (s.isEmpty() || start > s.size() + 1) return 0;
  if (pat.isEmpty()) return start;
  if (pat.size() == 1) return static_cast<int>(s.indexOf(pat[0], start - 1)) + 1;
  return static_cast<int>(s.indexOf(pat, start - 1)) + 1;
}

int InStrMaj(int start, const QString& s, QLatin1String mot) {
  if (start < 1) AppelInvalide();
  if (s.isEmpty() || start > s.size() + 1) return 0;
  if (mot.isEmpty()) return start;
  const qsizetype dernier = s.size() - mot.size();
  for (qsizetype i = start - 1; i <= dernier; ++i) {
    qsizetype k = 0;
    while (k < mot.size() && MajCar(s.at(i + k)) == QLatin1Char(mot[k])) ++k;
    if (k == mot.size()) return static_cast<int>(i) + 1;
  }
  return 0;
}

int InStrRev(const QString& s, const QString& pat, int start) {
  if (start == 0 || start < -1) AppelInvalide();
  if (start == -1) start = s.size();
  if (s.isEmpty() || start > s.size()) return 0;
  if (pat.isEmpty()) return start;
  const int dernierDebut = start - pat.size();
  if (dernierDebut < 0) return 0;
  return static_cast<int>(s.lastIndexOf(pat, dernierDebut)) + 1;
}

QString LTrim(const QString& s) {
  int i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  return s.mid(i);
}

QString RTrim(const QString& s) {
  int n = s.size();
  while (n > 0 && s[n - 1] == u' ') --n;
  return s.left(n);
}

QString Trim(const QString& s) { return LTrim(RTrim(s)); }

namespace {

// The characters of Windows-1252 keep the case rules they always had ("µ", "ß" and "ƒ" stay as they
// are); every other letter takes Unicode's one-to-one (simple) mapping, the same in every locale.
bool HorsWindows1252(char16_t u) { return u >= 0x100 && u != 0x192; }

// A surrogate pair, upper- or lower-cased as one character when its case pair is one too.
bool ChangePaire(QChar* c, qsizetype i, qsizetype n, bool majuscule) {
  if (!c[i].isHighSurrogate() || i + 1 >= n || !c[i + 1].isLowSurrogate()) return false;
  const char32_t code = QChar::surrogateToUcs4(c[i], c[i + 1]);
  const char32_t autre = majuscule ? QChar::toUpper(code) : QChar::toLower(code);
  if (autre == code || !QChar::requiresSurrogates(autre)) return false;
  c[i] = QChar(QChar::highSurrogate(autre));
  c[i + 1] = QChar(QChar::lowSurrogate(autre));
  return true;
}

}  // namespace

QChar MajCar(QChar c) {
  const char16_t u = c.unicode();
  if ((u >= u'a' && u <= u'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
    return QChar(static_cast<char16_t>(u - 0x20));
  if (u == 0x161 || u == 0x153 || u == 0x17E) return QChar(static_cast<char16_t>(u - 1));
  if (u == 0xFF) return QChar(static_cast<char16_t>(0x178));
  if (u < 0x100 || !HorsWindows1252(u) || c.isSurrogate()) return c;
  return QChar(QChar::toUpper(u));
}

// Most texts are upper case already: they are returned shared, without a copy.
QString UCase(const QString& s) {
  const QChar* debut = s.constData();
  const qsizetype n = s.size();
  qsizetype i = 0;
  while (i < n && MajCar(debut[i]) == debut[i] && !debut[i].isSurrogate()) ++i;
  if (i == n) return s;
  QString r = s;
  QChar* c = r.data();
  for (; i < n; ++i) {
    if (c[i].isSurrogate()) {
      i += ChangePaire(c, i, n, true) ? 1 : 0;
    } else {
      c[i] = MajCar(c[i]);
    }
  }
  return r == s ? s : r;
}

bool MemeMaj(QStringView a, QStringView b) {
  if (a.size() != b.size()) return false;
  for (qsizetype k = 0; k < a.size(); ++k) {
    if (a[k].isSurrogate() || b[k].isSurrogate()) return UCase(a.toString()) == UCase(b.toString());
    if (MajCar(a[k]) != MajCar(b[k])) return false;
  }
  return true;
}

QString LCase(const QString& s) {
  QString r = s;
  QChar* c = r.data();
  const qsizetype n = r.size();
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t u = c[i].unicode();
    if ((u >= u'A' && u <= u'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7)) {
      c[i] = QChar(static_cast<char16_t>(u + 0x20));
    } else if (u == 0x160 || u == 0x152 || u == 0x17D) {
      c[i] = QChar(static_cast<char16_t>(u + 1));
    } else if (u == 0x178) {
      c[i] = QChar(static_cast<char16_t>(0xFF));
    } else if (c[i].isSurrogate()) {
      i += ChangePaire(c, i, n, false) ? 1 : 0;
    } else if (HorsWindows1252(u)) {
      c[i] = QChar(QChar::toLower(u));
    }
  }
  return r;
}

QString Replace(const QString& s, const QString& what, const QString& by) {
  if (what.isEmpty()) return s;
  // Nothing to replace: the text is returned shared.
  if (s.indexOf(what) < 0) return s;
  QString r = s;
  return r.replace(what, by);
}

QString Chaine(int n, QChar c) {
  if (n < 0) AppelInvalide();
  return QString(n, c);
}

// ---- numbers from text ----

namespace {

// The decimal number at position i: optional sign, digits with "." and an optional exponent after
// "E" (and after "D" when lettresD); reading stops at the first character that cannot continue
// it; no number gives 0.
double NombreDecimal(QStringView s, int i, bool lettresD) {
  const int n = s.size();
  // The number is copied as ASCII; a long one goes through a heap buffer.
  char local[64];
  std::string tas;
  char* t = local;
  int longueur = 0;
  auto ajoute = [&](char c) {
    if (longueur == static_cast<int>(sizeof local) && t == local) {
      tas.assign(local, longueur);
      t = nullptr;
    }
    if (t == nullptr) {
      tas.push_back(c);
    } else {
      t[longueur] = c;
    }
    ++longueur;
  };
  bool negatif = false;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) negatif = s[i++] == u'-';
  // A whole number of up to 15 digits is exact in a double: no conversion needed.
  {
    int j = i;
    int64_t entier = 0;
    while (j < n && j - i < 16 && s[j] >= u'0' && s[j] <= u'9')
      entier = entier * 10 + (s[j++].unicode() - u'0');
    const bool suite = j < n && ((s[j] >= u'0' && s[j] <= u'9') || s[j] == u'.' || s[j] == u'E' ||
                                 s[j] == u'e' || s[j] == u'D' || s[j] == u'd');
    if (j > i && j - i <= 15 && !suite) {
      const double v = static_cast<double>(entier);
      return negatif ? -v : v;
    }
  }
  bool mantisse = false;
  while (i < n && s[i] >= u'0' && s[i] <= u'9') {
    ajoute(static_cast<char>(s[i++].unicode()));
    mantisse = true;
  }
  if (i < n && s[i] == u'.') {
    ajoute('.');
    ++i;
    while (i < n && s[i] >= u'0' && s[i] <= u'9') {
      ajoute(static_cast<char>(s[i++].unicode()));
      mantisse = true;
    }
  }
  if (!mantisse) return 0.0;
  const bool lettreE = i < n && (s[i] == u'E' || s[i] == u'e');
  const bool lettreD = lettresD && i < n && (s[i] == u'D' || s[i] == u'd');
  if (lettreE || lettreD) {
    int j = i + 1;
    int signe = -1;
    if (j < n && (s[j] == u'+' || s[j] == u'-')) signe = j++;
    const int premier = j;
    while (j < n && s[j] >= u'0' && s[j] <= u'9') ++j;
    if (j > premier) {
      ajoute('e');
      if (signe >= 0) ajoute(static_cast<char>(s[signe].unicode()));
      for (int k = premier; k < j; ++k) ajoute(static_cast<char>(s[k].unicode()));
    }
  }
  const char* debut = t != nullptr ? t : tas.data();
  double v = 0.0;
  const auto r = std::from_chars(debut, debut + longueur, v);
  if (r.ec != std::errc() || r.ptr != debut + longueur) {
    // Out of range: an overflow is an error, an underflow reads as the runtime's tiny value.
    v = StrtodC(std::string(debut, longueur));
  }
  if (!std::isfinite(v)) Depassement();
  return negatif ? -v : v;
}

}  // namespace

double Val(const QString& s) { return Val(QStringView(s)); }

double Val(QStringView s) {
  int i = 0;
  const int n = static_cast<int>(s.size());
  while (i < n && EstBlanc(s[i])) ++i;
  if (i + 1 < n && s[i] == u'&') {
    const QChar base = MajCar(s[i + 1]);
    int chiffreBase = 8;
    int j = i + 1;
    if (base == u'H') {
      chiffreBase = 16;
      ++j;
    } else if (base == u'O') {
      ++j;
    }
    uint64_t valeur = 0;
    bool chiffres = false;
    for (; j < n; ++j) {
      const int c = ValeurChiffre(s[j]);
      if (c < 0 || c >= chiffreBase) break;
      valeur = valeur * chiffreBase + c;
      if (valeur > 0xFFFFFFFFu) Depassement();
      chiffres = true;
    }
    if (!chiffres) return 0.0;
    // Like the old runtime, a value that fits in 16 bits is a 16-bit integer, else a 32-bit one.
    if (valeur <= 0xFFFF) return static_cast<int16_t>(static_cast<uint16_t>(valeur));
    return static_cast<int32_t>(static_cast<uint32_t>(valeur));
  }
  return NombreDecimal(s, i, true);
}

double ValDecimal(const QString& s) {
  int i = 0;
  while (i < s.size() && EstBlanc(s[i])) ++i;
  return NombreDecimal(s, i, false);
}

bool EstNumerique(const QString& s) {
  const QString t = Trim(s);
  if (t.isEmpty()) return false;
  int i = 0;
  const int n = t.size();
  auto chiffre = [&](int k) { return k < n && t[k] >= u'0' && t[k] <= u'9'; };
  if (t.size() > 2 && t[0] == u'&') {
    const QChar base = UCase(t.mid(1, 1))[0];
    const QString corps = t.mid(base == u'H' || base == u'O' ? 2 : 1);
    bool ok = false;
    corps.toUInt(&ok, base == u'H' ? 16 : 8);
    return ok && !corps.isEmpty() && !corps.startsWith(u'+') && !corps.startsWith(u'-');
  }
  if (t[i] == u'+' || t[i] == u'-') ++i;
  bool mantisse = false;
  while (chiffre(i)) {
    ++i;
    mantisse = true;
  }
  // No locale writes its decimal separator as a Latin letter: a name needs no locale.
  const bool lettre = i < n && ((t[i] >= u'A' && t[i] <= u'Z') || (t[i] >= u'a' && t[i] <= u'z'));
  const QString sep = i < n && t[i] != u'.' && !lettre ? SeparateurLocal() : QString();
  if (i < n && (t[i] == u'.' || (!sep.isEmpty() && t.mid(i, sep.size()) == sep))) {
    i += t[i] == u'.' ? 1 : sep.size();
    while (chiffre(i)) {
      ++i;
      mantisse = true;
    }
  }
  if (!mantisse) return false;
  if (i < n && (t[i] == u'E' || t[i] == u'e' || t[i] == u'D' || t[i] == u'd')) {
    ++i;
    if (i < n && (t[i] == u'+' || t[i] == u'-')) ++i;
    if (!chiffre(i)) return false;
    while (chiffre(i)) ++i;
  }
  return i == n;
}

QString PointDecimal(const QString& s) {
  QString t = s;
  t.replace(QLatin1Char(','), QLatin1Char('.'));
  t.replace(QChar(0x066B), QLatin1Char('.'));
  const QString local = SeparateurLocal();
  if (local != QLatin1String(".")) t.replace(local, QStringLiteral("."));
  return t;
}

// ---- numbers to text ----

QString TexteNombre(double v) {
  // A whole number that the digits hold is written as it is.
  if (v == std::trunc(v) && std::fabs(v) < 1e15) return QString::number(static_cast<qint64>(v));
  return Texte(Court(v), 15, QStringLiteral("."), false);
}
QString TexteNombre(float v) {
  if (v == std::trunc(v) && std::fabs(v) < 1e7f) return QString::number(static_cast<qint32>(v));
  return Texte(SeptChiffres(v), 7, QStringLiteral("."), false);
}

QString StrNombre(double v) { return v >= 0 ? u' ' + TexteNombre(v) : TexteNombre(v); }
QString StrNombre(float v) { return v >= 0 ? u' ' + TexteNombre(v) : TexteNombre(v); }

QString TexteNombreLocal(double v) { return Texte(Court(v), 15, SeparateurLocal(), true); }
QString TexteNombreLocal(float v) { return Texte(SeptChiffres(v), 7, SeparateurLocal(), true); }

QString SeparateurDecimal() { return SeparateurLocal(); }

namespace {

QString FormatAvec(double v, const QString& motif, const QString& point, const QString& groupe) {
  if (!std::isfinite(v)) Depassement();
  const QString m = FormatNomme(motif);
  if (m.isEmpty()) return Texte(Court(v), 15, point, true);
  const QStringList sections = DecoupeSections(m);
  if (v < 0 && sections.size() >= 2 && !sections[1].isEmpty()) {
    return AppliqueSection(LitSection(sections[1]), -v, false, point, groupe);
  }
  if (v == 0 && sections.size() >= 3 && !sections[2].isEmpty()) {
    return AppliqueSection(LitSection(sections[2]), 0.0, false, point, groupe);
  }
  return AppliqueSection(LitSection(sections[0]), std::fabs(v), v < 0, point, groupe);
}

}  // namespace

QString Format(double v, const QString& motif) {
  const QLocale locale;
  return FormatAvec(v, motif, locale.decimalPoint(), locale.groupSeparator());
}

QString FormatPoint(double v, const QString& motif) {
  return FormatAvec(v, motif, QStringLiteral("."), QStringLiteral(","));
}

// ---- rounding and integer conversions ----

double ArrondiPair(double v) { return std::nearbyint(v); }

double Arrondi(double v) { return std::round(v); }

double Arrondi(double v, int decimales) {
  if (!std::isfinite(v)) Depassement();
  Decimal d = Court(v);
  ArrondiSignificatif(d, 15);
  ArrondiDecimales(d, decimales);
  return VersDouble(d);
}

int16_t VersEntier16(double v) {
  const double r = std::nearbyint(v);
  if (!(r >= -32768.0 && r <= 32767.0)) Depassement();
  return static_cast<int16_t>(r);
}

int32_t VersEntier32(double v) {
  const double r = std::nearbyint(v);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) Depassement();
  return static_cast<int32_t>(r);
}

double Fix(double v) { return std::trunc(v); }

double Int(double v) { return std::floor(v); }

float VersSingle(double v) {
  if (!std::isfinite(v)) Depassement();
  const float f = static_cast<float>(v);
  if (!std::isfinite(f)) Depassement();
  return f;
}

// ---- the seeded pseudo-random sequence ----

float Rnd(float x) {
  if (x < 0) {
    const uint32_t b = std::bit_cast<uint32_t>(x);
    etatAleatoire = ((b & 0xFFFFFFu) + (b >> 24)) & 0xFFFFFFu;
    PasAleatoire();
  } else if (x > 0 || std::isnan(x)) {
    PasAleatoire();
  }
  return static_cast<float>(etatAleatoire) / 16777216.0f;
}

// The old generator's seeding: the upper half of the seed's double bits, folded to 16 bits,
// replaces the middle bytes of the state.
void Randomize(double graine) {
  const uint32_t haut = static_cast<uint32_t>(std::bit_cast<uint64_t>(graine) >> 32);
  etatAleatoire = (etatAleatoire & 0xFF0000FFu) | (((haut ^ (haut >> 16)) & 0xFFFFu) << 8);
}

void Randomize() {
  Randomize(static_cast<double>(static_cast<float>(QTime::currentTime().msecsSinceStartOfDay() / 1000.0)));
}

}  // namespace legacy
