#include "platform/Encodings.h"

#include <QFileDevice>
#include <algorithm>
#include <array>

#include "platform/StringTable.h"
#include "platform/SystemReasons.h"

namespace {

// Windows-1252 codes 0x80..0x9F; the five undefined codes keep the C1 control of the same value.
constexpr std::array<char16_t, 32> kHaut1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::array<char16_t, 256> Table1252() {
  std::array<char16_t, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<char16_t>(i);
  for (int i = 0; i < 32; ++i) t[0x80 + i] = kHaut1252[i];
  return t;
}

constexpr std::array<char16_t, 256> kTable1252 = Table1252();

int Code1252(char16_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return u;
  for (int i = 0; i < 32; ++i) {
    if (kHaut1252[i] == u) return 0x80 + i;
  }
  return -1;
}

void DonneErreur(QString* erreur, const QString& raison) {
  if (erreur) *erreur = raison;
}

}  // namespace

Utf8 EtatUtf8(const QByteArray& o, qsizetype* debutOuvert) {
  const auto* p = reinterpret_cast<const unsigned char*>(o.constData());
  const qsizetype n = o.size();
  qsizetype i = 0;
  while (i < n) {
    const unsigned char c = p[i];
    int suite;
    unsigned char min2 = 0x80, max2 = 0xBF;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      suite = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      suite = 2;
      if (c == 0xE0) min2 = 0xA0;
      if (c == 0xED) max2 = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      suite = 3;
      if (c == 0xF0) min2 = 0x90;
      if (c == 0xF4) max2 = 0x8F;
    } else {
      return Utf8::Invalide;
    }
    const qsizetype presents = std::min<qsizetype>(suite, n - 1 - i);
    if (presents >= 1 && (p[i + 1] < min2 || p[i + 1] > max2)) return Utf8::Invalide;
    for (int k = 2; k <= presents; ++k) {
      if (p[i + k] < 0x80 || p[i + k] > 0xBF) return Utf8::Invalide;
    }
    if (presents < suite) {
      if (debutOuvert) *debutOuvert = i;
      return Utf8::Ouverte;
    }
    i += suite + 1;
  }
  return Utf8::Valide;
}

bool EstUtf8(const QByteArray& o) { return EtatUtf8(o) == Utf8::Valide; }

bool EstAscii(const QString& t) {
  for (QChar c : t) {
    if (c.unicode() >= 0x80) return false;
  }
  return true;
}

bool TientEnAscii(const QByteArray& o) {
  for (char c : o) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// A file is read in the one encoding its whole bytes give (see DecodeTexte): Windows-1252 bytes
// that would all happen to form UTF-8 ("Fuß²" alone is DF B2), or a character Windows-1252 lacks,
// make the whole file UTF-8. A file read as UTF-8 stays UTF-8.
QByteArray EncodeTexte(const QString& texte, FormeTexte::Codage codage) {
  if (codage == FormeTexte::Codage::Utf8) return texte.toUtf8();
  if (codage == FormeTexte::Codage::Utf8Bom) return QByteArray("\xEF\xBB\xBF") + texte.toUtf8();
  if (auto octets = EncodeWindows1252(texte); octets && (TientEnAscii(*octets) || !EstUtf8(*octets))) {
    return *octets;
  }
  return texte.toUtf8();
}

QString AvecFins(const QString& texte, const QString& fin) {
  QString t = NormaliseFinsDeLigne(texte);
  if (fin != QStringLiteral("\r\n")) t.replace(QStringLiteral("\r\n"), fin);
  return t;
}

QString DecodeWindows1252(const QByteArray& octets) {
  QString r(octets.size(), Qt::Uninitialized);
  QChar* d = r.data();
  for (qsizetype i = 0; i < octets.size(); ++i)
    d[i] = QChar(kTable1252[static_cast<unsigned char>(octets[i])]);
  return r;
}

std::optional<QByteArray> EncodeWindows1252(const QString& texte) {
  QByteArray r(texte.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < texte.size(); ++i) {
    const int code = Code1252(texte[i].unicode());
    if (code < 0) return std::nullopt;
    r[i] = static_cast<char>(code);
  }
  return r;
}

QString DecodeTexte(const QByteArray& octets) {
  // One byte foreign to UTF-8 anywhere makes the whole file Windows-1252: a line such as "Fuß²" (DF
  // B2) is valid UTF-8 by accident and must not be read apart from the rest.
  if (!EstUtf8(octets)) return DecodeWindows1252(octets);
  if (octets.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(octets.constData() + 3, octets.size() - 3);
  return QString::fromUtf8(octets);
}

bool EstTexte(const QByteArray& octets) {
  if (octets.contains('\0')) return false;
  if (TientEnAscii(octets) || EstUtf8(octets)) return true;
  for (const char c : octets) {
    const char16_t u = kTable1252[static_cast<unsigned char>(c)];
    if (u >= 0x80 && u < 0xA0) return false;
  }
  return true;
}

FormeTexte FormeDe(const QByteArray& octets) {
  FormeTexte f;
  if (!TientEnAscii(octets)) {
    if (!EstUtf8(octets))
      f.codage = FormeTexte::Codage::Windows1252;
    else if (octets.startsWith("\xEF\xBB\xBF"))
      f.codage = FormeTexte::Codage::Utf8Bom;
    else
      f.codage = FormeTexte::Codage::Utf8;
  }
  for (qsizetype i = 0; i < octets.size(); ++i) {
    if (octets[i] == '\n') {
      f.finLigne = QStringLiteral("\n");
      break;
    }
    if (octets[i] == '\r') {
      if (i + 1 == octets.size() || octets[i + 1] != '\n') f.finLigne = QStringLiteral("\r");
      break;
    }
  }
  return f;
}

FormeTexte FormeUtf8Marquee() {
  FormeTexte f;
  f.codage = FormeTexte::Codage::Utf8Bom;
  return f;
}

QString NormaliseFinsDeLigne(const QString& texte) {
  return FinsCrLf(texte, [](QChar c) { return c == u'\r' || c == u'\n'; });
}

QStringList DecoupeLignes(const QString& texte) {
  QStringList lignes;
  qsizetype debut = 0;
  for (qsizetype i = 0; i < texte.size(); ++i) {
    const QChar c = texte[i];
    if (c != u'\r' && c != u'\n') continue;
    lignes << texte.mid(debut, i - debut);
    if (c == u'\r' && i + 1 < texte.size() && texte[i + 1] == u'\n') ++i;
    debut = i + 1;
  }
  if (debut < texte.size()) lignes << texte.mid(debut);
  return lignes;
}

bool ParcourtUtf8(QFileDevice& f, EtatFlux& e, QString* erreur, qint64 borneLigne) {
  constexpr qint64 Morceau = 64 * 1024;
  QByteArray reste;
  qint64 ligne = 0;
  for (;;) {
    QByteArray piece = f.read(Morceau);
    if (f.error() != QFileDevice::NoError) {
      DonneErreur(erreur, RaisonSysteme(f));
      return false;
    }
    if (piece.isEmpty()) break;
    if (borneLigne >= 0) {
      qsizetype i = 0;
      for (; i < piece.size(); ++i) {
        ligne = piece[i] == '\r' || piece[i] == '\n' ? 0 : ligne + 1;
        if (ligne > borneLigne) break;
      }
      if (i < piece.size()) {
        // The line that crosses the bound counts up to the bound only; a sequence it leaves
        // unfinished there is no fault of the file.
        piece.truncate(i);
        piece.prepend(reste);
        if (EtatUtf8(piece) == Utf8::Invalide) e.etat = Utf8::Invalide;
        e.ascii = e.ascii && TientEnAscii(piece);
        return true;
      }
    }
    e.ascii = e.ascii && TientEnAscii(piece);
    piece.prepend(reste);
    qsizetype debut = 0;
    const Utf8 etat = EtatUtf8(piece, &debut);
    if (etat == Utf8::Invalide) {
      e.etat = Utf8::Invalide;
      e.finOuverte.clear();
      return true;
    }
    reste = etat == Utf8::Ouverte ? piece.mid(debut) : QByteArray();
  }
  e.etat = reste.isEmpty() ? Utf8::Valide : Utf8::Ouverte;
  e.finOuverte = reste;
  return true;
}

namespace {

// The first character of the text that Windows-1252 has no code for.
QString PremierHors1252(const QString& texte) {
  for (qsizetype i = 0; i < texte.size(); ++i) {
    if (Code1252(texte[i].unicode()) >= 0) continue;
    const bool paire = texte[i].isHighSurrogate() && i + 1 < texte.size() && texte[i + 1].isLowSurrogate();
    return texte.mid(i, paire ? 2 : 1);
  }
  return {};
}

}  // namespace

std::optional<QByteArray> OctetsAjout(const QString& ajout, CodageAjout& c, QString* erreur) {
  if (EstAscii(ajout)) {
    // ASCII after an unfinished sequence leaves it unfinished for good.
    if (!ajout.isEmpty()) c.finOuverte.clear();
    return ajout.toLatin1();
  }
  if (c.teneur == CodageAjout::Teneur::Utf8) return ajout.toUtf8();
  const std::optional<QByteArray> en1252 = EncodeWindows1252(ajout);
  if (c.teneur == CodageAjout::Teneur::Ascii) {
    // A new or ASCII file is Windows-1252 when the text fits and its bytes do not happen to form
    // UTF-8 ("Fuß²" alone is DF B2); else UTF-8, which the whole file then reads as.
    qsizetype debut = 0;
    const Utf8 etat = en1252 ? EtatUtf8(*en1252, &debut) : Utf8::Valide;
    if (etat == Utf8::Valide) {
      c.teneur = CodageAjout::Teneur::Utf8;
      return ajout.toUtf8();
    }
    c.teneur = CodageAjout::Teneur::Windows1252;
    if (etat == Utf8::Ouverte) c.finOuverte = en1252->mid(debut);
    return *en1252;
  }
  // Bytes of another encoding in a Windows-1252 file would read as other characters: refused.
  if (!en1252) {
    DonneErreur(erreur, TexteMsg(194).arg(PremierHors1252(ajout)));
    return std::nullopt;
  }
  if (!c.finOuverte.isEmpty()) {
    // A file that only a sequence cut at its end keeps from reading as UTF-8: bytes that finish it
    // with nothing foreign to UTF-8 after would make the whole file read as UTF-8.
    const QByteArray fin = c.finOuverte + *en1252;
    qsizetype debut = 0;
    const Utf8 etat = EtatUtf8(fin, &debut);
    if (etat == Utf8::Valide) {
      DonneErreur(erreur, TexteMsg(195).arg(DecodeWindows1252(c.finOuverte), DecoupeLignes(ajout).value(0)));
      return std::nullopt;
    }
    c.finOuverte = etat == Utf8::Ouverte ? fin.mid(debut) : QByteArray();
  }
  return *en1252;
}

std::optional<QByteArray> OctetsAsciiCrLf(const QString& texte) {
  const qsizetype n = texte.size();
  QByteArray octets(n, Qt::Uninitialized);
  const auto* c = reinterpret_cast<const char16_t*>(texte.constData());
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t u = c[i];
    if (u >= 0x80) return std::nullopt;
    if (u == u'\r' && (i + 1 >= n || c[i + 1] != u'\n')) return std::nullopt;
    if (u == u'\n' && (i == 0 || c[i - 1] != u'\r')) return std::nullopt;
    octets[i] = static_cast<char>(u);
  }
  return octets;
}
