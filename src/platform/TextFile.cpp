#include "platform/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/FileNames.h"
#include "platform/FileWriter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "platform/SystemReasons.h"

namespace {

void DonneErreur(QString* erreur, const QString& raison) {
  if (erreur) *erreur = raison;
}

}  // namespace

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
  return EncodeTexte(AvecFins(texte, forme.finLigne), forme.codage);
}

bool EcritFichierTexte(const QString& chemin, const QString& texte, QString* erreur,
                       const FormeTexte& forme) {
  return EcritFichier(chemin, OctetsDuTexte(texte, forme), erreur);
}

namespace {

// How much of each end of a file an append reads before it reads it all (see CodageAjout).
constexpr qint64 BoutLuPourAjout = 64 * 1024;

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

bool FichierTexteEnAjout::Ouvre(const QString& chemin, QString* erreur) {
  fin_ = QStringLiteral("\r\n");
  codage_.reset();
  if (!fichier_.Ouvre(chemin, erreur)) return false;
  // The start of the file tells its line ends; its ends are read only should a text that is not
  // ASCII need the file's encoding.
  QFile existant;
  if (OuvreFichierOrdinaire(existant, chemin)) fin_ = FormeDe(existant.read(BoutLuPourAjout)).finLigne;
  return true;
}

bool FichierTexteEnAjout::Adopte(int fd, const QString& chemin, const QString& raison, QString* erreur) {
  fin_ = QStringLiteral("\r\n");
  codage_.reset();
  if (!fichier_.Adopte(fd, chemin, raison, erreur)) return false;
  // The start of the very file opened, whatever its name now reaches.
  QFile existant;
  if (OuvreFichierOrdinaire(existant, QStringLiteral("/proc/self/fd/%1").arg(fd)))
    fin_ = FormeDe(existant.read(BoutLuPourAjout)).finLigne;
  return true;
}

bool FichierTexteEnAjout::Ajoute(const QString& texte, QString* erreur) {
  // The common case, lines of plain ASCII into a file with CR LF line ends, goes in as it stands.
  if (fin_ == QStringLiteral("\r\n")) {
    if (const auto octets = OctetsAsciiCrLf(texte)) return AjouteAscii(*octets, erreur);
  }
  const QString ajout = AvecFins(texte, fin_);
  if (EstAscii(ajout)) return AjouteAscii(ajout.toLatin1(), erreur);
  return AjouteNonAscii(ajout, erreur);
}

bool FichierTexteEnAjout::AjouteAscii(const QByteArray& octets, QString* erreur) {
  if (!fichier_.Ajoute(octets, erreur)) return false;
  // ASCII after an unfinished sequence leaves it unfinished for good.
  if (codage_ && !octets.isEmpty()) codage_->finOuverte.clear();
  return true;
}

bool FichierTexteEnAjout::AjouteLigne(const QString& ligne, QString* erreur) {
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
bool FichierTexteEnAjout::AjouteNonAscii(const QString& ajout, QString* erreur) {
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
