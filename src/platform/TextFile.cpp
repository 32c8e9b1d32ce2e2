#include "platform/TextFile.h"

#include <dirent.h>
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
#include "platform/StringTable.h"
#include "platform/SystemReasons.h"

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

// A file is read in the one encoding its whole bytes give (see DecodeTexte): Windows-1252 bytes
// that would all happen to form UTF-8 ("Fuß²" alone is DF B2), or a character Windows-1252 lacks,
// make the whole file UTF-8. A file read as UTF-8 stays UTF-8.
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
  // One byte foreign to UTF-8 anywhere makes the whole file Windows-1252: a line such as "Fuß²" (DF
  // B2) is valid UTF-8 by accident and must not be read apart from the rest.
  if (!EstUtf8(octets)) return DecodeWindows1252(octets);
  if (octets.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(octets.constData() + 3, octets.size() - 3);
  return QString::fromUtf8(octets);
}

QByteArray EncodeTexte(const QString& texte, FormeTexte::Codage codage) { return Encode(texte, codage); }

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

QByteArray OctetsDuTexte(const QString& texte, const FormeTexte& forme) {
  return Encode(AvecFins(texte, forme.finLigne), forme.codage);
}

bool EcritFichierTexte(const QString& chemin, const QString& texte, QString* erreur,
                       const FormeTexte& forme) {
  return EcritFichier(chemin, OctetsDuTexte(texte, forme), erreur);
}

namespace {

// How much of each end of a file an append reads before it reads it all (see CodageAjout).
constexpr qint64 BoutLuPourAjout = 64 * 1024;

// What the bytes of a file from the current position to its end tell of their encoding.
struct EtatFlux {
  Utf8 etat = Utf8::Valide;
  bool ascii = true;
  // The UTF-8 sequence that the last bytes leave unfinished, when the state is Ouverte.
  QByteArray finOuverte;
};

// Reads `f` to its end in pieces, holding no more than one of them, and stops at the first byte
// foreign to UTF-8, which settles it. With a `borneLigne`, also at the first line longer than that:
// a reader of lines stops there with an error, and nothing after it is ever read as text. False
// with the system's reason when a read fails.
bool ParcourtUtf8(QFile& f, EtatFlux& e, QString* erreur, qint64 borneLigne = -1) {
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

std::optional<CodageAjout> LitCodageAjout(const QString& chemin, QString* erreur) {
  // A FIFO or device in the file's place is refused before it could block the read.
  QFile f;
  if (!OuvreFichierOrdinaire(f, chemin, erreur)) return std::nullopt;
  const QByteArray tete = f.read(BoutLuPourAjout);
  QByteArray queue;
  if (f.error() == QFileDevice::NoError && f.size() > 2 * BoutLuPourAjout &&
      EtatUtf8(tete) != Utf8::Invalide) {
    f.seek(f.size() - BoutLuPourAjout);
    queue = f.read(BoutLuPourAjout);
  }
  if (f.error() != QFileDevice::NoError) {
    DonneErreur(erreur, RaisonSysteme(f));
    return std::nullopt;
  }
  CodageAjout c;
  c.finLigne = FormeDe(tete).finLigne;
  // A byte foreign to UTF-8 in either end makes the file Windows-1252 whatever else it holds, and
  // nothing added can change that. The last part may start inside a sequence: its continuation
  // bytes (three at most in UTF-8) are passed over.
  qsizetype suite = 0;
  while (suite < 3 && suite < queue.size() && (static_cast<unsigned char>(queue[suite]) & 0xC0) == 0x80)
    ++suite;
  if (EtatUtf8(tete) == Utf8::Invalide || EtatUtf8(queue.mid(suite)) == Utf8::Invalide) {
    c.teneur = CodageAjout::Teneur::Windows1252;
    return c;
  }
  // Otherwise only the whole file tells: its middle may hold either encoding.
  f.seek(0);
  EtatFlux e;
  if (!ParcourtUtf8(f, e, erreur)) return std::nullopt;
  if (e.etat != Utf8::Valide) {
    c.teneur = CodageAjout::Teneur::Windows1252;
    c.finOuverte = e.finOuverte;
  } else if (!e.ascii) {
    c.teneur = CodageAjout::Teneur::Utf8;
  }
  return c;
}

// The first character of the text that Windows-1252 has no code for.
QString PremierHors1252(const QString& texte) {
  for (qsizetype i = 0; i < texte.size(); ++i) {
    if (Code1252(texte[i].unicode()) >= 0) continue;
    const bool paire = texte[i].isHighSurrogate() && i + 1 < texte.size() && texte[i + 1].isLowSurrogate();
    return texte.mid(i, paire ? 2 : 1);
  }
  return {};
}

// The bytes of an added text in the file's encoding, which they leave as it was: nullopt, with
// the reason in *erreur, for a text that a Windows-1252 file cannot take so.
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

}  // namespace

bool AjouteFichierTexte(const QString& chemin, const QString& texte, QString* erreur) {
  const QString ajoutCrLf = NormaliseFinsDeLigne(texte);
  // The start of the file tells its line ends; added text that is not ASCII needs its encoding.
  // Nothing of the file is written again.
  CodageAjout codage;
  if (QFileInfo::exists(chemin)) {
    if (EstAscii(ajoutCrLf)) {
      QFile existant;
      if (!OuvreFichierOrdinaire(existant, chemin, erreur)) return false;
      const QByteArray debut = existant.read(BoutLuPourAjout);
      if (existant.error() != QFileDevice::NoError) {
        DonneErreur(erreur, RaisonSysteme(existant));
        return false;
      }
      codage.finLigne = FormeDe(debut).finLigne;
    } else {
      std::optional<CodageAjout> lu = LitCodageAjout(chemin, erreur);
      if (!lu) return false;
      codage = std::move(*lu);
    }
  }
  QString raison;
  const std::optional<QByteArray> octets = OctetsAjout(AvecFins(ajoutCrLf, codage.finLigne), codage, &raison);
  if (!octets) {
    DonneErreur(erreur, raison);
    SignaleEchecEcriture(chemin, raison);
    return false;
  }
  return AjouteFichier(chemin, *octets, erreur);
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
  // ASCII after an unfinished sequence leaves it unfinished for good.
  if (codage_ && !octets.isEmpty()) codage_->finOuverte.clear();
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

// The file's encoding is read once, at the first text that is not ASCII: the lines written before
// it are ASCII, which leaves it as it was.
bool AjoutTexte::AjouteNonAscii(const QString& ajout, QString* erreur) {
  if (!codage_) {
    std::optional<CodageAjout> lu = LitCodageAjout(fichier_.Chemin(), erreur);
    if (!lu) return false;
    codage_ = std::move(*lu);
  }
  CodageAjout apres = *codage_;
  QString raison;
  const std::optional<QByteArray> octets = OctetsAjout(ajout, apres, &raison);
  if (!octets) {
    DonneErreur(erreur, raison);
    SignaleEchecEcriture(fichier_.Chemin(), raison);
    return false;
  }
  if (!fichier_.Ajoute(*octets, erreur)) return false;
  codage_ = std::move(apres);
  return true;
}

QString TrouveSansCasse(const QString& dossier, const QString& nom) {
  // The folder's own bytes, which need not be UTF-8 (Qt's names would lose them).
  const QString prefixe = dossier.isEmpty() || dossier.endsWith(u'/') ? dossier : dossier + u'/';
  if (EstFichierOrdinaire(prefixe + nom)) return prefixe + nom;
  DIR* d = ::opendir(dossier.isEmpty() ? "." : OctetsDuNom(dossier).constData());
  if (d == nullptr) return {};
  const QString cherche = UCase(nom);
  QStringList trouves;
  while (const dirent* e = ::readdir(d)) {
    const QString entree = TexteDuNom(QByteArray(e->d_name));
    if (UCase(entree) == cherche && EstFichierOrdinaire(prefixe + entree)) trouves << entree;
  }
  ::closedir(d);
  if (trouves.isEmpty()) return {};
  // The same one on every run, whatever order the folder lists them in.
  std::sort(trouves.begin(), trouves.end());
  return prefixe + trouves.first();
}

bool EstFichierOrdinaire(const QString& chemin) {
  struct stat etat {};
  return !chemin.isEmpty() && ::stat(OctetsDuNom(chemin).constData(), &etat) == 0 && S_ISREG(etat.st_mode);
}

bool OuvreFichierOrdinaire(QFile& f, const QString& chemin) {
  QString raison;
  return OuvreFichierOrdinaire(f, chemin, &raison);
}

bool OuvreFichierOrdinaire(QFile& f, const QString& chemin, QString* erreur) {
  // The name's own bytes, which need not be UTF-8 (a program named on the command line).
  const QByteArray nom = OctetsDuNom(chemin);
  struct stat avant {};
  if (chemin.isEmpty() || ::stat(nom.constData(), &avant) != 0) {
    DonneErreur(erreur, RaisonSysteme(chemin.isEmpty() ? ENOENT : errno));
    return false;
  }
  if (!S_ISREG(avant.st_mode)) {
    DonneErreur(erreur, RaisonNonOrdinaire(avant.st_mode));
    return false;
  }
  const int fd = ::open(nom.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    DonneErreur(erreur, RaisonSysteme(errno));
    return false;
  }
  struct stat etat {};
  if (::fstat(fd, &etat) != 0 || !S_ISREG(etat.st_mode)) {
    DonneErreur(erreur, RaisonNonOrdinaire(etat.st_mode));
    ::close(fd);
    return false;
  }
  if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    DonneErreur(erreur, RaisonSysteme(f));
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
    DonneErreur(erreur, RaisonSysteme(f));
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
      DonneErreur(erreur, RaisonSysteme(f));
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
  teneur_ = CodageAjout::Teneur::Windows1252;
  if (!OuvreFichierOrdinaire(fichier_, chemin, erreur)) return false;
  // The encoding is the whole file's: a first pass, in pieces, reads up to its first byte foreign
  // to UTF-8, its end, or the first line too long to be read.
  EtatFlux e;
  if (!ParcourtUtf8(fichier_, e, erreur, LongueurMaxLigneDonnees) || !fichier_.seek(0)) {
    if (fichier_.error() != QFileDevice::NoError) DonneErreur(erreur, RaisonSysteme(fichier_));
    fichier_.close();
    return false;
  }
  if (e.etat != Utf8::Valide)
    teneur_ = CodageAjout::Teneur::Windows1252;
  else
    teneur_ = e.ascii ? CodageAjout::Teneur::Ascii : CodageAjout::Teneur::Utf8;
  return true;
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
    const QString raison = RaisonSysteme(fichier_);
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
  const bool premiere = premiere_;
  premiere_ = false;
  if (teneur_ == CodageAjout::Teneur::Windows1252 || TientEnAscii(octets)) return DecodeWindows1252(octets);
  // Bytes another program added after the first pass read as the whole file now reads: a line
  // foreign to UTF-8 is Windows-1252, and makes a file that was ASCII Windows-1252 throughout; a
  // UTF-8 file keeps reading its UTF-8 lines as they were written.
  if (!EstUtf8(octets)) {
    if (teneur_ == CodageAjout::Teneur::Ascii) teneur_ = CodageAjout::Teneur::Windows1252;
    return DecodeWindows1252(octets);
  }
  teneur_ = CodageAjout::Teneur::Utf8;
  if (premiere && octets.startsWith("\xEF\xBB\xBF")) octets.remove(0, 3);
  return QString::fromUtf8(octets);
}

QString AjouteAntiSlash(const QString& chemin) {
  if (chemin == QStringLiteral(".") || chemin.isEmpty()) return {};
  const QChar dernier = chemin.back();
  if (dernier != u':' && dernier != u'/' && dernier != u'\\') return chemin + u'/';
  return chemin;
}

QString FichierExistant(const QString& chemin) {
  if (chemin.isEmpty()) return {};
  if (EstFichierOrdinaire(chemin)) return chemin;
  const qsizetype barre = chemin.lastIndexOf(u'/');
  const QString dossier = barre < 0 ? QString() : chemin.left(std::max<qsizetype>(1, barre));
  struct stat etat {};
  if (::stat(dossier.isEmpty() ? "." : OctetsDuNom(dossier).constData(), &etat) != 0 ||
      !S_ISDIR(etat.st_mode))
    return {};
  return TrouveSansCasse(dossier, chemin.mid(barre + 1));
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
    // Made absolute from the folder's own bytes, which Qt's absolute form would not keep; where the
    // current folder cannot be told, Qt would make the name one of the root folder: the relative
    // name still reaches the file from the current folder.
    return DansDossierCourant(trouve);
  }
  return f;
}
