#include "platform/RecordingSurface.h"

#include <cmath>

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

}  // namespace

RecordingSurface::RecordingSurface(int largeur, int hauteur, double dpi, OutputSurface* cible)
    : largeur_(std::max(1, largeur)), hauteur_(std::max(1, hauteur)), dpi_(dpi), cible_(cible) {
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

void RecordingSurface::Enregistre(Primitive primitive, const QString& ligne) {
  primitives_.push_back(std::move(primitive));
  journal_.append(ligne);
}

void RecordingSurface::SynchroniseCible() {
  OutputSurface& c = *cible_;
  c.ForeColor = ForeColor;
  c.FillColor = FillColor;
  c.FillStyle = FillStyle;
  c.DrawWidth = DrawWidth;
  c.DrawMode = DrawMode;
  c.Font = Font;
  if (c.ScaleMode() != ScaleMode()) c.SetScaleMode(ScaleMode());
  c.ScaleLeft = ScaleLeft;
  c.ScaleTop = ScaleTop;
  c.ScaleWidth = ScaleWidth;
  c.ScaleHeight = ScaleHeight;
  c.CurrentX = CurrentX;
  c.CurrentY = CurrentY;
}

void RecordingSurface::Ligne(double x1, double y1, double x2, double y2) {
  Primitive p = Nouvelle(Primitive::Genre::Ligne);
  p.Points = {QPointF(x1, y1), QPointF(x2, y2)};
  Enregistre(std::move(p), QStringLiteral("line %1 %2 %3 %4 %5 %6")
                               .arg(NombreJournal(x1), NombreJournal(y1), NombreJournal(x2),
                                    NombreJournal(y2), TexteCouleurHex(ForeColor))
                               .arg(DrawWidth));
  if (cible_) {
    SynchroniseCible();
    cible_->Ligne(x1, y1, x2, y2);
  }
}

void RecordingSurface::Cercle(double cx, double cy, double rx, double ry, double debut, double fin) {
  VerifieAnglesCercle(debut, fin);
  Primitive p = Nouvelle(Primitive::Genre::Cercle);
  p.Points = {QPointF(cx, cy)};
  p.Rx = rx;
  p.Ry = ry;
  p.Debut = debut;
  p.Fin = fin;
  const QString remplissage = Remplissage(p.Remplissage);
  Enregistre(std::move(p), QStringLiteral("circle %1 %2 %3 %4 %5 %6 %7 %8 %9")
                               .arg(NombreJournal(cx), NombreJournal(cy), NombreJournal(rx),
                                    NombreJournal(ry), NombreJournal(debut), NombreJournal(fin),
                                    TexteCouleurHex(ForeColor), QString::number(DrawWidth), remplissage));
  if (cible_) {
    SynchroniseCible();
    cible_->Cercle(cx, cy, rx, ry, debut, fin);
  }
}

void RecordingSurface::Polygone(const QVector<QPointF>& points) {
  Primitive p = Nouvelle(Primitive::Genre::Polygone);
  p.Points = points;
  QString ligne = QStringLiteral("polygon %1").arg(points.size());
  for (const QPointF& point : points)
    ligne += QLatin1Char(' ') + NombreJournal(point.x()) + QLatin1Char(' ') + NombreJournal(point.y());
  ligne += QStringLiteral(" %1 %2 %3")
               .arg(TexteCouleurHex(ForeColor), QString::number(DrawWidth), Remplissage(p.Remplissage));
  Enregistre(std::move(p), ligne);
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
  Enregistre(std::move(p),
             QStringLiteral("text %1 %2 %3 %4 %5 %6 %7 %8")
                 .arg(NombreJournal(x), NombreJournal(y), NombreJournal(angleDeg), CiteJournal(Font.Name),
                      NombreJournal(Font.Size), Style(Font), TexteCouleurHex(ForeColor), CiteJournal(texte)));
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
  Enregistre(std::move(p), QStringLiteral("picture %1 %2 %3 %4 %5")
                               .arg(NombreJournal(x), NombreJournal(y), NombreJournal(l), NombreJournal(h),
                                    CiteJournal(fichier)));
  return true;
}

void RecordingSurface::Cls() {
  CurrentX = 0;
  CurrentY = 0;
  Enregistre(Nouvelle(Primitive::Genre::Cls), QStringLiteral("cls"));
  if (cible_) {
    SynchroniseCible();
    cible_->Cls();
  }
}

void RecordingSurface::NouvellePage() {
  Enregistre(Nouvelle(Primitive::Genre::Page), QStringLiteral("page"));
  if (cible_) {
    SynchroniseCible();
    cible_->NouvellePage();
  }
}

void RecordingSurface::DefinitOrientation(bool paysage) {
  if (!cible_) return;
  cible_->DefinitOrientation(paysage);
  // The page turned: the recorder measures as the target now does.
  largeur_ = cible_->LargeurPixels();
  hauteur_ = cible_->HauteurPixels();
}

double RecordingSurface::LargeurTextePx(const QString& texte) const {
  if (cible_) {
    cible_->Font = Font;
    return cible_->LargeurTextePx(texte);
  }
  return LargeurTexteQt(PoliceQt(Font, dpi_), texte);
}

double RecordingSurface::HauteurTextePx(const QString& texte) const {
  if (cible_) {
    cible_->Font = Font;
    return cible_->HauteurTextePx(texte);
  }
  return HauteurTexteQt(PoliceQt(Font, dpi_), texte);
}

bool RecordingSurface::PoliceExiste(const QString& nom) const {
  return cible_ ? cible_->PoliceExiste(nom) : PoliceInstallee(nom);
}

MetriquesPolicePx RecordingSurface::MetriquesTextePx() const {
  if (cible_) {
    cible_->Font = Font;
    return cible_->MetriquesTextePx();
  }
  return MetriquesQt(PoliceQt(Font, dpi_));
}
