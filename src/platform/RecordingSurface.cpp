#include "platform/RecordingSurface.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/FontMetrics.h"
#include "platform/PainterSurface.h"
#include "platform/Pictures.h"
#include "platform/Prompter.h"

QString NombreJournal(double v) {
  // Beyond the digits a coordinate holds, the exponent form: writing out every digit of a huge
  // number costs more than drawing it.
  if (!(std::fabs(v) < 1e15)) return QString::number(v, 'g', 6);
  QString texte = QString::number(v, 'f', 2);
  if (texte == QLatin1String("-0.00")) texte = QStringLiteral("0.00");
  return texte;
}

namespace {

QString Remplissage(const std::optional<uint32_t>& couleur) {
  return couleur ? TexteCouleurHex(*couleur) : QStringLiteral("-");
}

QString Style(const PoliceSortie& police) {
  QString style;
  if (police.Bold) style += QLatin1Char('B');
  if (police.Italic) style += QLatin1Char('I');
  if (police.Underline) style += QLatin1Char('U');
  return style.isEmpty() ? QStringLiteral("-") : style;
}

QString Nombres(std::initializer_list<double> valeurs) {
  QString texte;
  for (const double v : valeurs) {
    texte += QLatin1Char(' ');
    texte += NombreJournal(v);
  }
  return texte;
}

// The log line of a primitive.
QString LigneJournal(const Primitive& p) {
  using G = Primitive::Genre;
  const QString couleurLargeur =
      QLatin1Char(' ') + TexteCouleurHex(p.Couleur) + QLatin1Char(' ') + QString::number(p.Epaisseur);
  switch (p.Type) {
    case G::Ligne:
      return QLatin1String("line") +
             Nombres({p.Points[0].x(), p.Points[0].y(), p.Points[1].x(), p.Points[1].y()}) + couleurLargeur;
    case G::Cercle:
      return QLatin1String("circle") +
             Nombres({p.Points[0].x(), p.Points[0].y(), p.Rx, p.Ry, p.Debut, p.Fin}) + couleurLargeur +
             QLatin1Char(' ') + Remplissage(p.Remplissage);
    case G::Polygone: {
      QString ligne = QStringLiteral("polygon %1").arg(p.Points.size());
      for (const QPointF& point : p.Points) ligne += Nombres({point.x(), point.y()});
      return ligne + couleurLargeur + QLatin1Char(' ') + Remplissage(p.Remplissage);
    }
    case G::Texte:
      return QStringLiteral("text %1 %2 %3 %4 %5 %6 %7 %8")
          .arg(NombreJournal(p.Points[0].x()), NombreJournal(p.Points[0].y()), NombreJournal(p.Angle),
               CiteJournal(p.Police.Name), NombreJournal(p.Police.Size), Style(p.Police),
               TexteCouleurHex(p.Couleur), CiteJournal(p.Texte));
    case G::Image:
      return QLatin1String("picture") + Nombres({p.Points[0].x(), p.Points[0].y(), p.Largeur, p.Hauteur}) +
             QLatin1Char(' ') + CiteJournal(p.Texte);
    case G::Cls:
      return QStringLiteral("cls");
    case G::Page:
      return QStringLiteral("page");
  }
  return {};
}

constexpr char Paires[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// 0 <= e < 1000 as the log writes it, "." after it, left-aligned in the low bytes, and the
// number of its digits in the top byte.
constexpr std::array<uint64_t, 1000> Entiers = [] {
  std::array<uint64_t, 1000> t{};
  for (uint64_t e = 0; e < 1000; ++e) {
    const uint64_t chiffres = e >= 100 ? 3 : e >= 10 ? 2 : 1;
    uint64_t mot = 0, reste = e;
    for (uint64_t i = chiffres; i-- > 0; reste /= 10) mot |= ('0' + reste % 10) << (8 * i);
    t[e] = mot | uint64_t{'.'} << (8 * chiffres) | chiffres << 56;
  }
  return t;
}();

// Rounded to the nearest whole number by adding and taking away 1.5 * 2^52 (no library call).
constexpr double Decale = 6755399441055744.0;
// The difference between hundredths and their rounding is exact and at most one half; within 1e-6
// of it, the product's own rounding could have decided.
constexpr double LoinDeLaMoitie = 0.5 - 1e-6;

// Writes " " and the number of hundredths 'arrondi' (whole, below 1e9 in magnitude).
[[gnu::always_inline]] inline char* EcritArrondi(char* p, double arrondi) {
  *p++ = ' ';
  if (arrondi < 0) *p++ = '-';
  auto n = static_cast<uint32_t>(std::fabs(arrondi));
  const uint32_t e = n / 100, deux = n % 100;
  if constexpr (std::endian::native == std::endian::little) {
    if (e < 1000) [[likely]] {
      const uint64_t mot = Entiers[e];
      std::memcpy(p, &mot, 8);
      p += mot >> 56;
      std::memcpy(p + 1, Paires + 2 * deux, 2);
      return p + 3;
    }
  }
  if (e < 10000) {
    const uint32_t r = e % 1000;
    p[0] = static_cast<char>('0' + e / 1000);
    p[1] = static_cast<char>('0' + r / 100);
    std::memcpy(p + 2, Paires + 2 * (r % 100), 2);
    p[4] = '.';
    std::memcpy(p + 5, Paires + 2 * deux, 2);
    return p + 7;
  }
  // Written backwards straight into place: the length is known first.
  int entiers = 1;
  for (uint32_t m = n / 100; m >= 10; m /= 10) ++entiers;
  char* fin = p + entiers + 3;
  char* c = fin;
  n = e;
  *--c = Paires[2 * deux + 1];
  *--c = Paires[2 * deux];
  *--c = '.';
  do {
    *--c = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n > 0);
  return fin;
}

// Writes " " and the log's number at p as NombreJournal writes it, when the value, scaled to
// hundredths, is far from halfway between two of them (most are): the end of what was written, or
// nullptr, having written nothing that counts, when the exact conversions must decide. Up to 16
// bytes past p may be written over. Inlined: four of these make most of a log's line.
[[gnu::always_inline]] inline char* EcritCentiemes(char* p, double v) {
  const double centiemes = v * 100;
  if (!(std::fabs(centiemes) < 1e9)) return nullptr;
  const double arrondi = (centiemes + Decale) - Decale;
  if (!(std::fabs(centiemes - arrondi) < LoinDeLaMoitie)) return nullptr;
  return EcritArrondi(p, arrondi);
}

// The log's number, formatted straight into a buffer as NombreJournal writes it. A value halfway
// between two hundredths (an odd number of eighths) and the exponent form are left to NombreJournal,
// whose rounding they depend on.
void AjouteNombre(std::string& s, double v) {
  char texte[48];
  if (const char* fin = EcritCentiemes(texte, v)) {
    s.append(texte, static_cast<size_t>(fin - texte));
    return;
  }
  s += ' ';
  const double huitiemes = v * 8;
  if (std::fabs(v) < 1e15 && !(huitiemes == std::trunc(huitiemes) && std::fmod(huitiemes, 2.0) != 0)) {
    const char* fin = std::to_chars(texte, texte + sizeof texte, v, std::chars_format::fixed, 2).ptr;
    if (fin - texte == 5 && std::memcmp(texte, "-0.00", 5) == 0)
      s += "0.00";
    else
      s.append(texte, static_cast<size_t>(fin - texte));
    return;
  }
  s += NombreJournal(v).toStdString();
}

void AjouteEntier(std::string& s, long long n) {
  char texte[24];
  s.append(texte, static_cast<size_t>(std::to_chars(texte, texte + sizeof texte, n).ptr - texte));
}

// " #RRGGBB W": the colour and the pen width.
void AjouteCouleurLargeur(std::string& s, uint32_t couleur, int largeur) {
  static constexpr char chiffres[] = "0123456789ABCDEF";
  char texte[8] = {' ', '#'};
  for (int i = 0; i < 3; ++i) {
    const unsigned octet = (couleur >> (8 * i)) & 0xFF;
    texte[2 + 2 * i] = chiffres[octet >> 4];
    texte[3 + 2 * i] = chiffres[octet & 0xF];
  }
  s.append(texte, 8);
  s += ' ';
  AjouteEntier(s, largeur);
}

void AjouteRemplissage(std::string& s, int fillStyle, uint32_t fillColor) {
  if (fillStyle != 0) {
    s += " -";
    return;
  }
  s += ' ';
  s += TexteCouleurHex(fillColor).toStdString();
}

}  // namespace

void FluxJournal::Ajoute(const QString& ligne) {
  std::string octets = ligne.toStdString();
  octets += '\n';
  AjouteLigneFinie(octets.data(), octets.size());
}

void FluxJournal::AjouteLigneFinie(const char* octets, size_t taille) {
  if (taille > TailleTampon + Marge - static_cast<size_t>(fin_ - tampon_.get())) {
    Vide();
    if (taille > TailleTampon) {
      Ecrit(octets, taille);
      ++lignes_;
      return;
    }
  }
  std::memcpy(fin_, octets, taille);
  Avance(fin_ + taille);
}

void FluxJournal::Vide() {
  if (fin_ == tampon_.get()) return;
  Ecrit(tampon_.get(), static_cast<size_t>(fin_ - tampon_.get()));
  fin_ = tampon_.get();
}

RecordingSurface::RecordingSurface(int largeur, int hauteur, double dpi, OutputSurface* cible)
    : dpi_(dpi), cible_(cible), polices_(dpi) {
  largeurPixels_ = std::max(1, largeur);
  hauteurPixels_ = std::max(1, hauteur);
  SetScaleMode(6);
}

bool RecordingSurface::EstImprimante() const { return cible_ ? cible_->EstImprimante() : imprimante_; }

bool RecordingSurface::ErreurImpression() const { return cible_ && cible_->ErreurImpression(); }

Primitive RecordingSurface::Nouvelle(Primitive::Genre genre) const {
  Primitive p;
  p.Type = genre;
  p.Couleur = ForeColor;
  p.Epaisseur = DrawWidth;
  p.Mode = DrawMode;
  if (FillStyle == 0) p.Remplissage = FillColor;
  return p;
}

void RecordingSurface::Enregistre(Primitive primitive) {
  if (flux_ && primitive.Type != Primitive::Genre::Ligne && primitive.Type != Primitive::Genre::Cercle &&
      primitive.Type != Primitive::Genre::Polygone)
    flux_->Ajoute(LigneJournal(primitive));
  if (garde_) primitives_.push_back(std::move(primitive));
}

const QStringList& RecordingSurface::Journal() const {
  // Written when asked for: most runs draw far more than anyone reads.
  for (auto i = static_cast<size_t>(journal_.size()); i < primitives_.size(); ++i)
    journal_.append(LigneJournal(primitives_[i]));
  return journal_;
}

void RecordingSurface::SynchroniseCible() {
  OutputSurface& c = *cible_;
  c.ForeColor = ForeColor;
  c.FillColor = FillColor;
  c.FillStyle = FillStyle;
  c.DrawWidth = DrawWidth;
  c.DrawMode = DrawMode;
  // The font's name is the same text primitive after primitive: shared, it is not copied again.
  if (!c.Font.Name.isSharedWith(Font.Name)) c.Font.Name = Font.Name;
  c.Font.Size = Font.Size;
  c.Font.Bold = Font.Bold;
  c.Font.Italic = Font.Italic;
  c.Font.Underline = Font.Underline;
  if (c.ScaleMode() != ScaleMode()) c.SetScaleMode(ScaleMode());
  c.ScaleLeft = ScaleLeft;
  c.ScaleTop = ScaleTop;
  c.ScaleWidth = ScaleWidth;
  c.ScaleHeight = ScaleHeight;
  c.CurrentX = CurrentX;
  c.CurrentY = CurrentY;
}

void RecordingSurface::PrepareFinLigne() {
  static constexpr char hexa[] = "0123456789ABCDEF";
  char* q = finLigne_;
  *q++ = ' ';
  *q++ = '#';
  for (int i = 0; i < 3; ++i) {
    const unsigned octet = (ForeColor >> (8 * i)) & 0xFF;
    *q++ = hexa[octet >> 4];
    *q++ = hexa[octet & 0xF];
  }
  *q++ = ' ';
  q = std::to_chars(q, finLigne_ + sizeof finLigne_, DrawWidth).ptr;
  *q++ = '\n';
  tailleFinLigne_ = static_cast<int>(q - finLigne_);
  couleurFinLigne_ = ForeColor;
  largeurFinLigne_ = DrawWidth;
}

void RecordingSurface::EcritLigne(double x1, double y1, double x2, double y2) {
  // The whole line composed at once straight into the flux, unless a number needs the exact
  // conversions. Less than 128 bytes are written over: "line", four numbers of at most 12 bytes
  // and the 16 of the end. The hundredths of both ends are rounded and checked two at a time, as
  // EcritCentiemes does one.
  using Deux = double __attribute__((vector_size(16)));
  using Masque = long long __attribute__((vector_size(16)));
  const Deux debut = Deux{x1, y1} * 100, fin = Deux{x2, y2} * 100;
  const Deux arrondiDebut = (debut + Decale) - Decale, arrondiFin = (fin + Decale) - Decale;
  const auto absolu = [](Deux v) {
    constexpr Masque sansSigne = {0x7FFFFFFFFFFFFFFF, 0x7FFFFFFFFFFFFFFF};
    return reinterpret_cast<Deux>(reinterpret_cast<Masque>(v) & sansSigne);
  };
  const Masque sur = (absolu(debut) < 1e9) & (absolu(fin) < 1e9) &
                     (absolu(debut - arrondiDebut) < LoinDeLaMoitie) &
                     (absolu(fin - arrondiFin) < LoinDeLaMoitie);
  if ((sur[0] & sur[1]) != 0 && DrawWidth >= 0 && DrawWidth < 1000000) [[likely]] {
    if (ForeColor != couleurFinLigne_ || DrawWidth != largeurFinLigne_) [[unlikely]]
      PrepareFinLigne();
    FluxJournal* const flux = flux_;
    const int tailleFin = tailleFinLigne_;
    char finTexte[sizeof finLigne_];
    std::memcpy(finTexte, finLigne_, sizeof finTexte);
    char* p = flux->Place();
    std::memcpy(p, "line", 4);
    p = EcritArrondi(p + 4, arrondiDebut[0]);
    p = EcritArrondi(p, arrondiDebut[1]);
    p = EcritArrondi(p, arrondiFin[0]);
    p = EcritArrondi(p, arrondiFin[1]);
    std::memcpy(p, finTexte, sizeof finTexte);
    flux->Avance(p + tailleFin);
    return;
  }
  EcritLigneExacte(x1, y1, x2, y2);
}

// Kept apart so that the common case above stays lean.
[[gnu::noinline]] void RecordingSurface::EcritLigneExacte(double x1, double y1, double x2, double y2) {
  std::string& s = ligne_;
  s = "line";
  for (const double v : {x1, y1, x2, y2}) AjouteNombre(s, v);
  AjouteCouleurLargeur(s, ForeColor, DrawWidth);
  s += '\n';
  flux_->AjouteLigneFinie(s.data(), s.size());
}

void RecordingSurface::EcritCercle(double cx, double cy, double rx, double ry, double debut, double fin) {
  std::string& s = ligne_;
  s = "circle";
  for (const double v : {cx, cy, rx, ry, debut, fin}) AjouteNombre(s, v);
  AjouteCouleurLargeur(s, ForeColor, DrawWidth);
  AjouteRemplissage(s, FillStyle, FillColor);
  s += '\n';
  flux_->AjouteLigneFinie(s.data(), s.size());
}

void RecordingSurface::EcritPolygone(const QVector<QPointF>& points) {
  std::string& s = ligne_;
  s = "polygon ";
  AjouteEntier(s, points.size());
  for (const QPointF& point : points) {
    AjouteNombre(s, point.x());
    AjouteNombre(s, point.y());
  }
  AjouteCouleurLargeur(s, ForeColor, DrawWidth);
  AjouteRemplissage(s, FillStyle, FillColor);
  s += '\n';
  flux_->AjouteLigneFinie(s.data(), s.size());
}

[[gnu::noinline]] void RecordingSurface::GardeLigne(double x1, double y1, double x2, double y2) {
  Primitive p = Nouvelle(Primitive::Genre::Ligne);
  p.Points = {QPointF(x1, y1), QPointF(x2, y2)};
  Enregistre(std::move(p));
}

void RecordingSurface::Ligne(double x1, double y1, double x2, double y2) {
  if (flux_) EcritLigne(x1, y1, x2, y2);
  if (garde_) GardeLigne(x1, y1, x2, y2);
  if (cible_) {
    SynchroniseCible();
    cible_->Ligne(x1, y1, x2, y2);
  }
}

void RecordingSurface::Cercle(double cx, double cy, double rx, double ry, double debut, double fin) {
  VerifieAnglesCercle(debut, fin);
  if (flux_) EcritCercle(cx, cy, rx, ry, debut, fin);
  if (garde_) {
    Primitive p = Nouvelle(Primitive::Genre::Cercle);
    p.Points = {QPointF(cx, cy)};
    p.Rx = rx;
    p.Ry = ry;
    p.Debut = debut;
    p.Fin = fin;
    Enregistre(std::move(p));
  }
  if (cible_) {
    SynchroniseCible();
    cible_->Cercle(cx, cy, rx, ry, debut, fin);
  }
}

void RecordingSurface::Polygone(const QVector<QPointF>& points) {
  if (flux_) EcritPolygone(points);
  if (garde_) {
    Primitive p = Nouvelle(Primitive::Genre::Polygone);
    p.Points = points;
    Enregistre(std::move(p));
  }
  if (cible_) {
    SynchroniseCible();
    cible_->Polygone(points);
  }
}

void RecordingSurface::Texte(double x, double y, double angleDeg, const QString& texte) {
  Primitive p = Nouvelle(Primitive::Genre::Texte);
  p.Points = {QPointF(x, y)};
  p.Angle = angleDeg;
  p.Police = Font;
  p.Texte = texte;
  Enregistre(std::move(p));
  if (cible_) {
    SynchroniseCible();
    cible_->Texte(x, y, angleDeg, texte);
  }
}

bool RecordingSurface::Image(double x, double y, double l, double h, const QString& fichier,
                             QString* erreur) {
  bool dessinee;
  if (cible_) {
    SynchroniseCible();
    dessinee = cible_->Image(x, y, l, h, fichier, erreur);
  } else {
    QString raison;
    dessinee = TailleImage(fichier, raison).isValid();
    if (!dessinee && erreur) *erreur = raison;
  }
  if (!dessinee) return false;
  Primitive p = Nouvelle(Primitive::Genre::Image);
  p.Points = {QPointF(x, y)};
  p.Largeur = l;
  p.Hauteur = h;
  p.Texte = fichier;
  Enregistre(std::move(p));
  return true;
}

void RecordingSurface::Cls() {
  CurrentX = 0;
  CurrentY = 0;
  Enregistre(Nouvelle(Primitive::Genre::Cls));
  if (cible_) {
    SynchroniseCible();
    cible_->Cls();
  }
}

void RecordingSurface::NouvellePage() {
  Enregistre(Nouvelle(Primitive::Genre::Page));
  if (cible_) {
    SynchroniseCible();
    cible_->NouvellePage();
  }
}

void RecordingSurface::DefinitOrientation(bool paysage) {
  if (!cible_) return;
  cible_->DefinitOrientation(paysage);
  // The page turned: the recorder measures as the target now does.
  largeurPixels_ = cible_->LargeurPixels();
  hauteurPixels_ = cible_->HauteurPixels();
}

double RecordingSurface::LargeurTextePx(const QString& texte) const {
  if (cible_) {
    cible_->Font = Font;
    return cible_->LargeurTextePx(texte);
  }
  return LargeurTexteQt(polices_.Resout(Font), texte);
}

double RecordingSurface::HauteurTextePx(const QString& texte) const {
  if (cible_) {
    cible_->Font = Font;
    return cible_->HauteurTextePx(texte);
  }
  return HauteurTexteQt(polices_.Resout(Font).Mesure, texte);
}

bool RecordingSurface::PoliceExiste(const QString& nom) const {
  return cible_ ? cible_->PoliceExiste(nom) : PoliceInstallee(nom);
}

MetriquesPolicePx RecordingSurface::MetriquesTextePx() const {
  if (cible_) {
    cible_->Font = Font;
    return cible_->MetriquesTextePx();
  }
  return MetriquesQt(polices_.Resout(Font));
}
