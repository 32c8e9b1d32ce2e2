#include "platform/FileNames.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <climits>
#include <vector>

#include "platform/SystemReasons.h"

namespace {

constexpr char16_t DebutOctetBrut = 0xDC80;
constexpr char16_t FinOctetBrut = 0xDCFF;

bool EstOctetBrut(char16_t u) { return u >= DebutOctetBrut && u <= FinOctetBrut; }

// The length of the valid UTF-8 sequence at `i` and its code point; 0 when the byte there starts
// none (a stray continuation byte, a cut sequence, an overlong form, a surrogate, past U+10FFFF).
int SequenceUtf8(const QByteArray& o, qsizetype i, char32_t& point) {
  const auto octet = [&o](qsizetype k) { return static_cast<unsigned char>(o[k]); };
  const unsigned char b = octet(i);
  int longueur;
  char32_t minimum;
  if (b >= 0xC2 && b <= 0xDF) {
    longueur = 2;
    minimum = 0x80;
    point = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    longueur = 3;
    minimum = 0x800;
    point = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    longueur = 4;
    minimum = 0x10000;
    point = b & 0x07;
  } else {
    return 0;
  }
  if (i + longueur > o.size()) return 0;
  for (int k = 1; k < longueur; ++k) {
    const unsigned char suite = octet(i + k);
    if ((suite & 0xC0) != 0x80) return 0;
    point = (point << 6) | (suite & 0x3F);
  }
  if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
  return longueur;
}

void AjouteUtf8(QByteArray& o, char32_t point) {
  if (point < 0x80) {
    o += static_cast<char>(point);
  } else if (point < 0x800) {
    o += static_cast<char>(0xC0 | (point >> 6));
    o += static_cast<char>(0x80 | (point & 0x3F));
  } else if (point < 0x10000) {
    o += static_cast<char>(0xE0 | (point >> 12));
    o += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    o += static_cast<char>(0x80 | (point & 0x3F));
  } else {
    o += static_cast<char>(0xF0 | (point >> 18));
    o += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
    o += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    o += static_cast<char>(0x80 | (point & 0x3F));
  }
}

// The characters that reorder the direction of what follows them on a line, and the line and
// paragraph separators.
bool EstControleDeLigne(char32_t p) {
  return p == 0x200E || p == 0x200F || (p >= 0x202A && p <= 0x202E) || (p >= 0x2066 && p <= 0x2069) ||
         p == 0x2028 || p == 0x2029 || p == 0x061C;
}

QString Hexa(unsigned valeur, int chiffres) {
  return QStringLiteral("%1").arg(valeur, chiffres, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

QString TexteDuNom(const QByteArray& octets) {
  QString texte;
  texte.reserve(octets.size());
  for (qsizetype i = 0; i < octets.size();) {
    const auto b = static_cast<unsigned char>(octets[i]);
    if (b < 0x80) {
      texte += QChar(b);
      ++i;
      continue;
    }
    char32_t point = 0;
    if (const int n = SequenceUtf8(octets, i, point); n > 0) {
      const char32_t points[] = {point};
      texte += QString::fromUcs4(points, 1);
      i += n;
    } else {
      texte += QChar(static_cast<char16_t>(0xDC00 | b));
      ++i;
    }
  }
  return texte;
}

QByteArray OctetsDuNom(const QString& nom) {
  QByteArray octets;
  octets.reserve(nom.size());
  for (qsizetype i = 0; i < nom.size(); ++i) {
    const char16_t u = nom[i].unicode();
    if (QChar::isHighSurrogate(u) && i + 1 < nom.size() && QChar::isLowSurrogate(nom[i + 1].unicode())) {
      AjouteUtf8(octets, QChar::surrogateToUcs4(u, nom[i + 1].unicode()));
      ++i;
    } else if (EstOctetBrut(u)) {
      octets += static_cast<char>(u & 0xFF);
    } else if (QChar::isSurrogate(u)) {
      AjouteUtf8(octets, 0xFFFD);
    } else {
      AjouteUtf8(octets, u);
    }
  }
  return octets;
}

bool NomNonUtf8(const QString& nom) {
  for (qsizetype i = 0; i < nom.size(); ++i) {
    const char16_t u = nom[i].unicode();
    if (QChar::isHighSurrogate(u) && i + 1 < nom.size() && QChar::isLowSurrogate(nom[i + 1].unicode()))
      ++i;
    else if (EstOctetBrut(u))
      return true;
  }
  return false;
}

QString NomLisible(const QString& nom) {
  QString lisible;
  lisible.reserve(nom.size());
  for (qsizetype i = 0; i < nom.size(); ++i) {
    const char16_t u = nom[i].unicode();
    if (QChar::isHighSurrogate(u) && i + 1 < nom.size() && QChar::isLowSurrogate(nom[i + 1].unicode())) {
      lisible += nom[i];
      lisible += nom[++i];
      continue;
    }
    if (EstOctetBrut(u)) {
      lisible += QStringLiteral("\\x") + Hexa(u & 0xFF, 2);
      continue;
    }
    switch (u) {
      case '\n':
        lisible += QLatin1String("\\n");
        continue;
      case '\r':
        lisible += QLatin1String("\\r");
        continue;
      case '\t':
        lisible += QLatin1String("\\t");
        continue;
      case 0x1B:
        lisible += QLatin1String("\\e");
        continue;
      default:
        break;
    }
    if (u < 0x20 || u == 0x7F)
      lisible += QStringLiteral("\\x") + Hexa(u, 2);
    else if ((u >= 0x80 && u <= 0x9F) || EstControleDeLigne(u) || QChar::isSurrogate(u))
      lisible += QStringLiteral("\\u") + Hexa(u, 4);
    else
      lisible += nom[i];
  }
  return lisible;
}

QString NomEnQuestion(const QString& nom, const QString& reel) {
  return NomLisible(reel.isEmpty() || QDir::cleanPath(nom) == reel ? QDir::cleanPath(nom)
                                                                   : nom + QStringLiteral(" -> ") + reel);
}

std::optional<QString> DossierCourant(QString* erreur) {
  char dossier[PATH_MAX];
  if (::getcwd(dossier, sizeof dossier) != nullptr) return TexteDuNom(QByteArray(dossier));
  // A path that does not fit the system's limit could not be opened either.
  const int code = errno == ERANGE ? ENAMETOOLONG : errno;
  if (erreur) *erreur = RaisonSysteme(code);
  return std::nullopt;
}

QString CheminPropre(const QString& chemin) {
  if (chemin.isEmpty()) return chemin;
  const bool absolu = chemin.startsWith(u'/');
  const QStringList parties = chemin.split(u'/');
  const bool finDossier = parties.size() > 1 && (parties.back().isEmpty() || parties.back() == u".");
  QStringList gardees;
  const auto joint = [&] { return (absolu ? QStringLiteral("/") : QString()) + gardees.join(u'/'); };
  for (const QString& partie : parties) {
    if (partie.isEmpty() || partie == u".") continue;
    if (partie == u"..") {
      // The root's parent is the root; a link's parent is the parent of what it leads to, which
      // only the system knows.
      if (absolu && gardees.isEmpty()) continue;
      struct stat etat {};
      if (!gardees.isEmpty() && gardees.back() != u".." &&
          ::lstat(OctetsDuNom(joint()).constData(), &etat) == 0 && S_ISDIR(etat.st_mode)) {
        gardees.removeLast();
        continue;
      }
    }
    gardees.append(partie);
  }
  QString propre = joint();
  if (propre.isEmpty()) return QStringLiteral(".");
  if (finDossier && !propre.endsWith(u'/')) propre += u'/';
  return propre;
}

QString DansDossierCourant(const QString& nom) {
  if (!QDir::isRelativePath(nom)) return nom;
  const std::optional<QString> courant = DossierCourant();
  return courant ? CheminPropre(*courant + u'/' + nom) : nom;
}

QString DossierPersonnel() {
  const QByteArray maison = qgetenv("HOME");
  if (!maison.isEmpty()) return QFile::decodeName(maison);
  const long taille = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> tampon(taille > 0 ? static_cast<size_t>(taille) : 16384);
  passwd entree{};
  passwd* trouve = nullptr;
  while (::getpwuid_r(::getuid(), &entree, tampon.data(), tampon.size(), &trouve) == ERANGE)
    tampon.resize(tampon.size() * 2);
  if (trouve != nullptr && trouve->pw_dir != nullptr && trouve->pw_dir[0] != '\0')
    return QFile::decodeName(trouve->pw_dir);
  // No entry either: the root folder, as Qt takes it.
  return QStringLiteral("/");
}
