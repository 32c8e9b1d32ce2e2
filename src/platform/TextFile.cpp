#include "platform/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "platform/FileNames.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"

using namespace legacy;

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

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF. Ouverte: valid up to a
// sequence that the bytes end in the middle of, which starts at *debutOuvert.
enum class Utf8 { Valide, Ouverte, Invalide };

Utf8 EtatUtf8(const QByteArray& o, qsizetype* debutOuvert = nullptr) {
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

// In a file that is not UTF-8 as a whole, a line that reads as UTF-8: valid UTF-8, not ASCII (a
// line an append wrote in UTF-8).
bool LigneUtf8(const QByteArray& ligne) { return !TientEnAscii(ligne) && EstUtf8(ligne); }

// Calls f(ligne, fins) for each line of the bytes and the line ends that follow it.
template <typename F>
void ParLignes(const QByteArray& o, F f) {
  qsizetype debut = 0;
  while (debut < o.size()) {
    qsizetype fin = debut;
    while (fin < o.size() && o[fin] != '\r' && o[fin] != '\n') ++fin;
    qsizetype suite = fin;
    while (suite < o.size() && (o[suite] == '\r' || o[suite] == '\n')) ++suite;
    f(QByteArray::fromRawData(o.constData() + debut, fin - debut),
      QByteArray::fromRawData(o.constData() + fin, suite - fin));
    debut = suite;
  }
}

// Windows-1252 bytes that happen to form valid UTF-8 ("é§°" is E9 A7 B0) would be read back as
// UTF-8; such a text is written in UTF-8 instead. A file read as UTF-8 stays UTF-8.
QByteArray Encode(const QString& texte, FormeTexte::Codage codage) {
  if (codage == FormeTexte::Codage::Utf8) return texte.toUtf8();
  if (codage == FormeTexte::Codage::Utf8Bom) return QByteArray("\xEF\xBB\xBF") + texte.toUtf8();
  if (auto octets = EncodeWindows1252(texte); octets && (TientEnAscii(*octets) || !EstUtf8(*octets))) {
    return *octets;
  }
  return texte.toUtf8();
}

// The text with every line end made `fin`.
QString AvecFins(const QString& texte, const QString& fin) {
  QString t = NormaliseFinsDeLigne(texte);
  if (fin != QStringLiteral("\r\n")) t.replace(QStringLiteral("\r\n"), fin);
  return t;
}

void DonneErreur(QString* erreur, const QString& raison) {
  if (erreur) *erreur = raison;
}

}  // namespace

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
  if (!EstUtf8(octets)) {
    // An append adds a line Windows-1252 cannot hold in UTF-8 and leaves the rest as it was: each
    // line is read as the data-file reader reads it, so the whole file reads back what was written.
    QString r;
    r.reserve(octets.size());
    ParLignes(octets, [&r](const QByteArray& ligne, const QByteArray& fins) {
      r += LigneUtf8(ligne) ? QString::fromUtf8(ligne) : DecodeWindows1252(ligne);
      r += QLatin1String(fins);
    });
    return r;
  }
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

QString NormaliseFinsDeLigne(const QString& texte) {
  QString r;
  r.reserve(texte.size() + texte.size() / 16);
  for (qsizetype i = 0; i < texte.size(); ++i) {
    const QChar c = texte[i];
    if (c == u'\r') {
      if (i + 1 < texte.size() && texte[i + 1] == u'\n') ++i;
      r += QStringLiteral("\r\n");
    } else if (c == u'\n') {
      r += QStringLiteral("\r\n");
    } else {
      r += c;
    }
  }
  return r;
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

std::optional<QString> LitFichierTexte(const QString& chemin, FormeTexte* forme) {
  const std::optional<QByteArray> octets = LitOctetsFichier(chemin);
  if (!octets) return std::nullopt;
  if (forme) *forme = FormeDe(*octets);
  return NormaliseFinsDeLigne(DecodeTexte(*octets));
}

std::optional<QString> LitFichierTexteBorne(const QString& chemin, qint64 limite, bool* tropGrand,
                                            FormeTexte* forme, QString* erreur) {
  const std::optional<QByteArray> octets = LitOctetsFichierBorne(chemin, limite, tropGrand, erreur);
  if (!octets) return std::nullopt;
  if (forme) *forme = FormeDe(*octets);
  return NormaliseFinsDeLigne(DecodeTexte(*octets));
}

bool EcritFichierTexte(const QString& chemin, const QString& texte, QString* erreur,
                       const FormeTexte& forme) {
  return EcritFichier(chemin, Encode(AvecFins(texte, forme.finLigne), forme.codage), erreur);
}

namespace {

// How much of each end of a file an append reads to tell its encoding (see CodageAjout).
constexpr qint64 BoutLuPourAjout = 64 * 1024;

std::optional<CodageAjout> LitCodageAjout(const QString& chemin, QString* erreur) {
  // A FIFO or device in the file's place is refused before it could block the read.
  QFile f;
  if (!OuvreFichierOrdinaire(f, chemin, erreur)) return std::nullopt;
  const QByteArray tete = f.read(BoutLuPourAjout);
  // Beyond both ends only the last part is read: its lines are those the file's appends wrote last.
  const bool milieuSaute = f.size() > 2 * BoutLuPourAjout;
  if (milieuSaute) f.seek(f.size() - BoutLuPourAjout);
  QByteArray queue = f.read(BoutLuPourAjout);
  if (f.error() != QFileDevice::NoError) {
    DonneErreur(erreur, f.errorString());
    return std::nullopt;
  }
  CodageAjout c;
  c.finLigne = FormeDe(tete).finLigne;
  Utf8 etat;
  qsizetype debutOuvert = 0;
  if (!milieuSaute) {
    queue.prepend(tete);
    etat = EtatUtf8(queue, &debutOuvert);
  } else {
    // The last part starts at a line start: line ends are ASCII, never inside a UTF-8 sequence.
    // A last part with no line end starts after the continuation bytes of a cut sequence.
    const qsizetype n = queue.size();
    qsizetype debut = 0;
    while (debut < n && queue[debut] != '\n' && queue[debut] != '\r') ++debut;
    if (debut < n) {
      queue.remove(0, debut + 1);
    } else {
      debut = 0;
      while (debut < 3 && debut < n && (static_cast<unsigned char>(queue[debut]) & 0xC0) == 0x80) ++debut;
      queue.remove(0, debut);
    }
    // The first part may end inside a sequence that the unread middle finishes.
    etat = EtatUtf8(tete) == Utf8::Invalide ? Utf8::Invalide : EtatUtf8(queue, &debutOuvert);
  }
  if (!queue.isEmpty() && queue.back() != '\n' && queue.back() != '\r') {
    qsizetype debutLigne = queue.size();
    while (debutLigne > 0 && queue[debutLigne - 1] != '\n' && queue[debutLigne - 1] != '\r') --debutLigne;
    c.ligneOuverte = queue.mid(debutLigne);
  }
  if (etat == Utf8::Invalide) {
    c.teneur = CodageAjout::Teneur::Windows1252;
  } else if (etat == Utf8::Ouverte) {
    // A file that only a sequence cut at its very end keeps from reading as UTF-8.
    c.teneur = CodageAjout::Teneur::Windows1252;
    c.finOuverte = queue.mid(debutOuvert);
  } else if (!TientEnAscii(tete) || !TientEnAscii(queue) || milieuSaute) {
    // An unread middle may hold UTF-8 or Windows-1252 text. Added UTF-8 keeps how each byte already
    // there reads, whichever it holds: a UTF-8 file stays UTF-8 and any other stays unreadable as
    // UTF-8, whereas Windows-1252 bytes would turn a UTF-8 file into one read as Windows-1252.
    c.teneur = CodageAjout::Teneur::Utf8;
  }
  return c;
}

// Whether every line of Windows-1252 bytes reads back as Windows-1252: a line that is not ASCII
// and happens to be valid UTF-8 ("é°§" is E9 B0 A7) would be read as UTF-8, since a file of both
// is read line by line.
bool LignesRelues1252(const QByteArray& o) {
  bool relues = true;
  ParLignes(o,
            [&relues](const QByteArray& ligne, const QByteArray&) { relues = relues && !LigneUtf8(ligne); });
  return relues;
}

// The text for a Windows-1252 file: each line in Windows-1252 when it reads back so, else in UTF-8
// (a character with no Windows-1252 code, or bytes that would read as UTF-8), so that nothing of it
// is lost and every line reads back as written.
QByteArray Octets1252ParLigne(const QString& texte) {
  QByteArray octets;
  qsizetype debut = 0;
  while (debut < texte.size()) {
    qsizetype fin = debut;
    while (fin < texte.size() && texte[fin] != u'\r' && texte[fin] != u'\n') ++fin;
    const QString ligne = texte.mid(debut, fin - debut);
    const auto en1252 = EncodeWindows1252(ligne);
    octets += en1252 && LignesRelues1252(*en1252) ? *en1252 : ligne.toUtf8();
    for (debut = fin; debut < texte.size() && (texte[debut] == u'\r' || texte[debut] == u'\n'); ++debut)
      octets += static_cast<char>(texte[debut].unicode());
  }
  return octets;
}

// What the file's open last line becomes once `octets` are added.
void SuitLigneOuverte(CodageAjout& c, const QByteArray& octets) {
  qsizetype fin = octets.size();
  while (fin > 0 && octets[fin - 1] != '\n' && octets[fin - 1] != '\r') --fin;
  if (fin > 0)
    c.ligneOuverte = octets.mid(fin);
  else
    c.ligneOuverte += octets;
}

QByteArray OctetsAjout(const QString& ajout, CodageAjout& c) {
  if (EstAscii(ajout)) {
    c.finOuverte.clear();
    QByteArray octets = ajout.toLatin1();
    if (!c.ligneOuverte.isEmpty()) SuitLigneOuverte(c, octets);
    return octets;
  }
  QByteArray octets;
  const auto en1252 = EncodeWindows1252(ajout);
  switch (c.teneur) {
    case CodageAjout::Teneur::Utf8:
      return ajout.toUtf8();
    case CodageAjout::Teneur::Ascii:
      // Windows-1252 bytes a line of which would read back as UTF-8 are written in UTF-8.
      if (en1252 && LignesRelues1252(*en1252)) {
        octets = *en1252;
        c.teneur = CodageAjout::Teneur::Windows1252;
      } else {
        octets = ajout.toUtf8();
        c.teneur = CodageAjout::Teneur::Utf8;
      }
      break;
    case CodageAjout::Teneur::Windows1252:
      // A line with no Windows-1252 code for one of its characters goes in UTF-8, so that nothing
      // of it is lost: it reads back line by line (OPEN and LVAR, Plot, a whole file), and the rest
      // of the file reads as before. So does a text whose bytes would end the file's cut sequence
      // and make the whole file read as UTF-8.
      octets = c.finOuverte.isEmpty() || (en1252 && !EstUtf8(c.finOuverte + *en1252))
                   ? Octets1252ParLigne(ajout)
                   : ajout.toUtf8();
      break;
  }
  // The first added line goes on the file's open last line: in the encoding that reads the two back
  // as one line of what they were, where one does (the other lines are read on their own).
  if (!c.ligneOuverte.isEmpty()) {
    qsizetype n = 0;
    while (n < ajout.size() && ajout[n] != u'\r' && ajout[n] != u'\n') ++n;
    qsizetype nOctets = 0;
    while (nOctets < octets.size() && octets[nOctets] != '\r' && octets[nOctets] != '\n') ++nOctets;
    const QString premiere = ajout.left(n);
    const QString attendue = DecodeTexte(c.ligneOuverte) + premiere;
    const auto relue = [&](const QByteArray& b) { return DecodeTexte(c.ligneOuverte + b) == attendue; };
    if (!relue(octets.left(nOctets))) {
      for (const std::optional<QByteArray>& autre :
           {EncodeWindows1252(premiere), std::optional(premiere.toUtf8())}) {
        if (autre && relue(*autre)) {
          octets = *autre + octets.mid(nOctets);
          break;
        }
      }
    }
    SuitLigneOuverte(c, octets);
  }
  // A sequence still open at the end is the one the added bytes end in; none once they break it.
  qsizetype debutOuvert = 0;
  const QByteArray fin = c.finOuverte + octets;
  c.finOuverte = c.teneur == CodageAjout::Teneur::Windows1252 && EtatUtf8(fin, &debutOuvert) == Utf8::Ouverte
                     ? fin.mid(debutOuvert)
                     : QByteArray();
  return octets;
}

}  // namespace

bool AjouteFichierTexte(const QString& chemin, const QString& texte, QString* erreur) {
  const QString ajoutCrLf = NormaliseFinsDeLigne(texte);
  // The start of the file tells its line ends; its ends tell the encoding of added text that is
  // not ASCII. Nothing else of it is read, and nothing of it is written again.
  CodageAjout codage;
  if (QFileInfo::exists(chemin)) {
    if (EstAscii(ajoutCrLf)) {
      QFile existant;
      if (!OuvreFichierOrdinaire(existant, chemin, erreur)) return false;
      const QByteArray debut = existant.read(BoutLuPourAjout);
      if (existant.error() != QFileDevice::NoError) {
        DonneErreur(erreur, existant.errorString());
        return false;
      }
      codage.finLigne = FormeDe(debut).finLigne;
    } else {
      std::optional<CodageAjout> lu = LitCodageAjout(chemin, erreur);
      if (!lu) return false;
      codage = std::move(*lu);
    }
  }
  return AjouteFichier(chemin, OctetsAjout(AvecFins(ajoutCrLf, codage.finLigne), codage), erreur);
}

bool AjoutTexte::Ouvre(const QString& chemin, QString* erreur) {
  fin_ = QStringLiteral("\r\n");
  codage_.reset();
  if (!fichier_.Ouvre(chemin, erreur)) return false;
  // The start of the file tells its line ends; its ends are read only should a text that is not
  // ASCII need the file's encoding.
  QFile existant;
  if (OuvreFichierOrdinaire(existant, chemin)) fin_ = FormeDe(existant.read(BoutLuPourAjout)).finLigne;
  return true;
}

bool AjoutTexte::Adopte(int fd, const QString& chemin, const QString& raison, QString* erreur) {
  fin_ = QStringLiteral("\r\n");
  codage_.reset();
  if (!fichier_.Adopte(fd, chemin, raison, erreur)) return false;
  // The start of the very file opened, whatever its name now reaches.
  QFile existant;
  if (OuvreFichierOrdinaire(existant, QStringLiteral("/proc/self/fd/%1").arg(fd)))
    fin_ = FormeDe(existant.read(BoutLuPourAjout)).finLigne;
  return true;
}

// The bytes of an ASCII text whose line ends are all CR LF, as they stand; nullopt for any other.
static std::optional<QByteArray> OctetsAsciiCrLf(const QString& texte) {
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

bool AjoutTexte::Ajoute(const QString& texte, QString* erreur) {
  // The common case, lines of plain ASCII into a file with CR LF line ends, goes in as it stands.
  if (fin_ == QStringLiteral("\r\n")) {
    if (const auto octets = OctetsAsciiCrLf(texte)) return AjouteAscii(*octets, erreur);
  }
  const QString ajout = AvecFins(texte, fin_);
  if (EstAscii(ajout)) return AjouteAscii(ajout.toLatin1(), erreur);
  return AjouteNonAscii(ajout, erreur);
}

bool AjoutTexte::AjouteAscii(const QByteArray& octets, QString* erreur) {
  if (!fichier_.Ajoute(octets, erreur)) return false;
  if (codage_ && !codage_->ligneOuverte.isEmpty()) SuitLigneOuverte(*codage_, octets);
  return true;
}

bool AjoutTexte::AjouteLigne(const QString& ligne, QString* erreur) {
  // A line of plain ASCII with no line end of its own into a file with CR LF line ends: the bytes
  // as they stand, in the buffer of the last line.
  if (fin_ == QStringLiteral("\r\n")) {
    const qsizetype n = ligne.size();
    tampon_.resize(n + 2);
    char* octets = tampon_.data();
    const auto* c = reinterpret_cast<const char16_t*>(ligne.constData());
    qsizetype i = 0;
    for (; i < n; ++i) {
      const char16_t u = c[i];
      if (u >= 0x80 || u == u'\r' || u == u'\n') break;
      octets[i] = static_cast<char>(u);
    }
    if (i == n) {
      octets[n] = '\r';
      octets[n + 1] = '\n';
      return AjouteAscii(tampon_, erreur);
    }
  }
  return Ajoute(ligne + QStringLiteral("\r\n"), erreur);
}

// The file's encoding is read once, from its ends, at the first text that is not ASCII: the lines
// written before it are ASCII, which leaves it as it was.
bool AjoutTexte::AjouteNonAscii(const QString& ajout, QString* erreur) {
  if (!codage_) {
    std::optional<CodageAjout> lu = LitCodageAjout(fichier_.Chemin(), erreur);
    if (!lu) return false;
    codage_ = std::move(*lu);
  }
  CodageAjout apres = *codage_;
  if (!fichier_.Ajoute(OctetsAjout(ajout, apres), erreur)) return false;
  codage_ = std::move(apres);
  return true;
}

QString TrouveSansCasse(const QString& dossier, const QString& nom) {
  const QDir d(dossier);
  if (QFileInfo(d, nom).isFile()) return d.filePath(nom);
  const QString cherche = UCase(nom);
  const QStringList entrees = d.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  for (const QString& e : entrees) {
    if (UCase(e) == cherche) return d.filePath(e);
  }
  return {};
}

bool EstFichierOrdinaire(const QString& chemin) {
  struct stat etat {};
  return !chemin.isEmpty() && ::stat(OctetsDuNom(chemin).constData(), &etat) == 0 && S_ISREG(etat.st_mode);
}

bool OuvreFichierOrdinaire(QFile& f, const QString& chemin) {
  QString raison;
  return OuvreFichierOrdinaire(f, chemin, &raison);
}

namespace {

// Why a path is no regular file to read: a folder is one, anything else (FIFO, device, socket) is
// not what a file of text can be.
QString RaisonNonOrdinaire(mode_t mode) {
  return S_ISDIR(mode) ? qt_error_string(EISDIR)
                       : qt_error_string(EINVAL) + QStringLiteral(" (not a regular file)");
}

}  // namespace

bool OuvreFichierOrdinaire(QFile& f, const QString& chemin, QString* erreur) {
  // The name's own bytes, which need not be UTF-8 (a program named on the command line).
  const QByteArray nom = OctetsDuNom(chemin);
  struct stat avant {};
  if (chemin.isEmpty() || ::stat(nom.constData(), &avant) != 0) {
    DonneErreur(erreur, qt_error_string(chemin.isEmpty() ? ENOENT : errno));
    return false;
  }
  if (!S_ISREG(avant.st_mode)) {
    DonneErreur(erreur, RaisonNonOrdinaire(avant.st_mode));
    return false;
  }
  const int fd = ::open(nom.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    DonneErreur(erreur, qt_error_string(errno));
    return false;
  }
  struct stat etat {};
  if (::fstat(fd, &etat) != 0 || !S_ISREG(etat.st_mode)) {
    DonneErreur(erreur, RaisonNonOrdinaire(etat.st_mode));
    ::close(fd);
    return false;
  }
  if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    DonneErreur(erreur, f.errorString());
    ::close(fd);
    return false;
  }
  return true;
}

std::optional<QByteArray> LitOctetsFichier(const QString& chemin, QString* erreur) {
  QFile f;
  if (!OuvreFichierOrdinaire(f, chemin, erreur)) return std::nullopt;
  QByteArray octets = f.readAll();
  if (f.error() != QFileDevice::NoError) {
    DonneErreur(erreur, f.errorString());
    return std::nullopt;
  }
  return octets;
}

std::optional<QByteArray> LitOctetsFichierBorne(const QString& chemin, qint64 limite, bool* tropGrand,
                                                QString* erreur) {
  if (tropGrand) *tropGrand = false;
  QFile f;
  if (!OuvreFichierOrdinaire(f, chemin, erreur)) return std::nullopt;
  // In pieces, up to one byte past the bound: that byte is enough to know the file is too large.
  constexpr qint64 Morceau = 64 * 1024;
  QByteArray octets;
  while (octets.size() <= limite) {
    const QByteArray suite = f.read(std::min(Morceau, limite + 1 - octets.size()));
    if (f.error() != QFileDevice::NoError) {
      DonneErreur(erreur, f.errorString());
      return std::nullopt;
    }
    if (suite.isEmpty()) return octets;
    octets += suite;
  }
  if (tropGrand) *tropGrand = true;
  return std::nullopt;
}

QString TexteLectureImpossible(const QString& chemin, const QString& raison) {
  return NomLisible(chemin) + QStringLiteral(" : lecture impossible / cannot be read : ") + raison;
}

bool LecteurLignes::Ouvre(const QString& chemin, QString* erreur) {
  chemin_ = chemin;
  fichier_.close();
  tampon_.clear();
  pos_ = 0;
  premiere_ = true;
  return OuvreFichierOrdinaire(fichier_, chemin, erreur);
}

void LecteurLignes::OuvrePourLeRun(const QString& chemin) {
  QString raison;
  if (Ouvre(chemin, &raison)) return;
  if (!EstFichierOrdinaire(chemin)) ErreurFichierIntrouvable(chemin);
  ErreurRun(TexteLectureImpossible(chemin, raison) + QStringLiteral("\r\n\r\n"));
}

bool LecteurLignes::Remplit() {
  constexpr qint64 Morceau = 64 * 1024;
  // What was taken already goes first, so pos_ is 0 after every call.
  if (pos_ > 0) {
    tampon_.remove(0, pos_);
    pos_ = 0;
  }
  if (!fichier_.isOpen()) return false;
  const QByteArray suite = fichier_.read(Morceau);
  if (fichier_.error() != QFileDevice::NoError) {
    // A failed read is no end of the file: the lines after it would be silently missing.
    const QString raison = fichier_.errorString();
    fichier_.close();
    tampon_.clear();
    ErreurRun(TexteLectureImpossible(chemin_, raison) + QStringLiteral("\r\n\r\n"));
  }
  if (suite.isEmpty()) {
    fichier_.close();
    return false;
  }
  tampon_ += suite;
  return true;
}

bool LecteurLignes::Fin() { return pos_ >= tampon_.size() && !Remplit(); }

QString LecteurLignes::Suivante() {
  // The bound holds for the line itself, wherever its end falls in the pieces read.
  const auto tropLongue = [this](qsizetype longueur) {
    if (longueur <= LongueurMaxLigneDonnees) return;
    fichier_.close();
    tampon_.clear();
    pos_ = 0;
    ErreurRun(chemin_ +
              QStringLiteral(" : ligne de plus de %1 octets / line longer than %1 bytes")
                  .arg(LongueurMaxLigneDonnees) +
              QStringLiteral("\r\n\r\n"));
  };
  qsizetype cherche = pos_;
  qsizetype fin = -1;
  for (;;) {
    const auto* p = tampon_.constData();
    for (qsizetype i = cherche; i < tampon_.size(); ++i) {
      if (p[i] == '\r' || p[i] == '\n') {
        fin = i;
        break;
      }
    }
    if (fin >= 0) break;
    const qsizetype lu = tampon_.size() - pos_;
    tropLongue(lu);
    if (!Remplit()) break;
    cherche = lu;
  }
  const qsizetype finLigne = fin >= 0 ? fin : tampon_.size();
  tropLongue(finLigne - pos_);
  QByteArray octets = tampon_.mid(pos_, finLigne - pos_);
  qsizetype suite = finLigne;
  if (fin >= 0) {
    ++suite;
    if (tampon_[fin] == '\r') {
      // The LF of a CR LF may be in the next piece of the file.
      if (suite >= tampon_.size()) {
        const qsizetype avant = suite - pos_;
        Remplit();
        suite = avant;
      }
      if (suite < tampon_.size() && tampon_[suite] == '\n') ++suite;
    }
  }
  pos_ = suite;
  if (premiere_ && octets.startsWith("\xEF\xBB\xBF")) octets.remove(0, 3);
  premiere_ = false;
  return DecodeTexte(octets);
}

QString AjouteAntiSlash(const QString& chemin) {
  if (chemin == QStringLiteral(".") || chemin.isEmpty()) return {};
  const QChar dernier = chemin.back();
  if (dernier != u':' && dernier != u'/' && dernier != u'\\') return chemin + u'/';
  return chemin;
}

QString FichierExistant(const QString& chemin) {
  if (chemin.isEmpty()) return {};
  const QFileInfo info(chemin);
  if (EstFichierOrdinaire(chemin)) return chemin;
  if (!QFileInfo(info.path()).isDir()) return {};
  return TrouveSansCasse(info.path(), info.fileName());
}

namespace {

QString DossierProgramme() {
  if (QCoreApplication::instance() == nullptr) return {};
  return AjouteAntiSlash(QCoreApplication::applicationDirPath());
}

}  // namespace

QString ResoutFichierCommande(const QString& nom) {
  const QString f = Trim(nom).replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (f.isEmpty()) return f;
  const bool absolu = QDir::isAbsolutePath(f);
  const bool chemin = f.contains(QLatin1Char('/'));
  const QString nomSeul = f.mid(f.lastIndexOf(QLatin1Char('/')) + 1);
  const bool extension = InStrRev(nomSeul, QStringLiteral(".")) >= 2;
  const QString programme = DossierProgramme();
  const QString courant = AjouteAntiSlash(Shell.RepCourant);

  // A relative name is first taken from the current folder, which opening a program makes its
  // folder.
  QStringList candidats{f};
  if (!extension && !chemin) {
    candidats << f + QStringLiteral(".dag") << f + QStringLiteral(".dat")
              << programme + f + QStringLiteral(".dag") << courant + f + QStringLiteral(".dat")
              << programme + f + QStringLiteral(".dat");
  } else if (!extension) {
    candidats << f + QStringLiteral(".dag") << f + QStringLiteral(".dat");
  } else if (!absolu) {
    candidats << courant + f << programme + f;
  }
  for (const QString& c : candidats) {
    const QString trouve = FichierExistant(c);
    if (trouve.isEmpty()) continue;
    // Where the current folder cannot be told, Qt would make the name one of the root folder: the
    // relative name still reaches the file from the current folder.
    if (QDir::isRelativePath(trouve) && !DossierCourant()) return trouve;
    return QFileInfo(trouve).absoluteFilePath();
  }
  return f;
}
