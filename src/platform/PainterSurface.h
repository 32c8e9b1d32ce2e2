#pragma once

// The output surface that really draws: onto the screen's persistent backing image or onto a
// printer (a real one or a PDF file), with QPainter in device pixels.

#include <QImage>
#include <QPageLayout>
#include <QRect>
#include <QSize>
#include <algorithm>
#include <memory>
#include <optional>

#include "platform/FontMetrics.h"
#include "platform/OutputSurface.h"

class QPainter;
class QPagedPaintDevice;
struct EllipseDevice;

class PainterSurface : public OutputSurface {
 public:
  // A white image of the given size in pixels.
  PainterSurface(int largeur, int hauteur, double dpi = 96.0);
  // Painting on the printer (a QPrinter or a PDF writer) begins with the first thing drawn and ends
  // with FinImpression() or the destructor; the printer stays the caller's.
  explicit PainterSurface(QPagedPaintDevice* imprimante);
  ~PainterSurface() override;

  // The device's pixels with everything drawn so far (drawing goes on afterwards).
  const QImage& Image() const;
  // The whole persistent picture: the device is its bottom-left part, DecalageHaut() rows below its
  // top edge.
  const QImage& ImageEntiere() const;
  int DecalageHaut() const { return decalHaut_; }
  QPagedPaintDevice* Imprimante() const { return imprimante_; }
  // A new device size on the bottom-left corner of the picture: what was drawn keeps its place
  // from that corner, and what lies beyond the device's top and right edges is kept too, on a
  // picture at least `reserve` large (a window's largest size), so a larger device shows it again.
  // The scale members are left as they are. A resolution above 0 replaces the image's (a screen of
  // another pixel density); the picture is then made anew from the old one, scaled to it.
  void Redimensionne(int largeur, int hauteur, double dpi = 0, QSize reserve = {});
  // The part of the picture drawn (or cleared) since the last call, in picture pixels; empty when
  // nothing was. The screen shows only that part again.
  QRect PrendZoneModifiee();
  // Ends the print job (the document is written); nothing more is drawn afterwards.
  void FinImpression();

  double MmParPixel() const override { return 25.4 / dpi_; }
  bool EstImprimante() const override { return imprimante_ != nullptr; }
  QRectF EtendueDessinable() const override { return EtendueDevice(); }
  bool ErreurImpression() const override { return erreur_; }

  void Ligne(double x1, double y1, double x2, double y2) override;
  void Cercle(double cx, double cy, double rx, double ry, double debut, double fin) override;
  void Polygone(const QVector<QPointF>& points) override;
  void Texte(double x, double y, double angleDeg, const QString& texte) override;
  bool Image(double x, double y, double l, double h, const QString& fichier,
             QString* erreur = nullptr) override;
  void Cls() override;
  void NouvellePage() override;
  void DefinitOrientation(bool paysage) override;
  // The printer's page as it gives it, its margins to a fraction of a point (the device keeps them
  // in whole points); `horaire`: it lays landscape pages a quarter turn clockwise on the sheet
  // (anticlockwise when not).
  void DefinitPage(const QPageLayout& page, bool horaire);

  double LargeurTextePx(const QString& texte) const override;
  double HauteurTextePx(const QString& texte) const override;
  bool PoliceExiste(const QString& nom) const override;
  MetriquesPolicePx MetriquesTextePx() const override;

 private:
  template <class Dessin>
  void Peint(bool avecRemplissage, Dessin&& dessin);
  // The painter, active on the device, with the pen and the brush of the members.
  QPainter& Peintre(bool avecRemplissage);
  // Begins painting on the printer if it has not begun; false when it cannot.
  bool Commence();
  // Starts the page asked for by NouvellePage (a run error when the printer cannot).
  void CommencePage();
  // Ends painting on the image, so that it can be read, copied or replaced.
  void TermineImage() const;
  // An ellipse too large for the painter's curves, from debut to fin (radians, anticlockwise):
  // its part near the device as straight pieces, with the radius lines asked for.
  void CercleGrand(const EllipseDevice& e, double debut, double fin, bool rayonDebut, bool rayonFin,
                   bool ferme);
  // A 1-pixel solid segment or dot on the image, written as the painter would write it.
  void TraitFin(double x1, double y1, double x2, double y2);
  // What the picture holds, in device pixels (the printer: its page).
  QRectF EtendueDevice() const;
  // The device with a margin so wide that nothing beyond it can show: what is drawn is cut to it.
  QRectF EtendueLoin() const;
  // Notes a drawn box in device pixels (corners in any order), with `marge` pixels around it (the
  // pen). It is on the way of every segment: a few comparisons.
  void Modifie(double x1, double y1, double x2, double y2, double marge) {
    y1 += decalHaut_;
    y2 += decalHaut_;
    modGauche_ = std::min({modGauche_, x1 - marge, x2 - marge});
    modHaut_ = std::min({modHaut_, y1 - marge, y2 - marge});
    modDroite_ = std::max({modDroite_, x1 + marge, x2 + marge});
    modBas_ = std::max({modBas_, y1 + marge, y2 + marge});
  }
  void Modifie(const QRectF& zone, double marge) {
    Modifie(zone.left(), zone.top(), zone.right(), zone.bottom(), marge);
  }
  void ToutModifie();

  QImage image_;
  // The device's part of a picture larger than it, made when asked.
  mutable QImage visible_;
  int decalHaut_ = 0;
  // The box drawn since the screen last took it, in picture pixels; left above right when none.
  double modGauche_ = 0, modHaut_ = 0, modDroite_ = -1, modBas_ = -1;
  QPagedPaintDevice* imprimante_ = nullptr;
  // One painter for the whole drawing: on the printer from the first thing drawn to the end of the
  // job; on the image from the first thing drawn until the image is read or changed whole.
  std::unique_ptr<QPainter> peintre_;
  // What the painter has been given, so that it is only told what changes.
  struct EtatPeintre {
    bool Valide = false;
    uint32_t Couleur = 0;
    int Largeur = 0;
    bool Remplit = false;
    uint32_t Remplissage = 0;
    int Mode = 0;
    int Police = 0;  // PoliceResolue::Numero, 0 for none
  };
  mutable EtatPeintre etat_;
  mutable CachePolices polices_;
  double dpi_ = 96.0;
  bool erreur_ = false;
  bool fini_ = false;
  bool horaire_ = false;
  // Where the printer's page starts, in pixels from the corner of the area Qt paints (which it
  // places at whole points).
  QPointF decalPage_;
  std::optional<QPageLayout> pageExacte_;
  void PlaceSurLaPage();
  // A new page was asked for and nothing has been drawn on it yet: it starts with the first thing
  // drawn, so that an orientation chosen in between (FormatI after NPage) is the page's own.
  bool pagePendante_ = false;
  // Nothing has been drawn on the image since it was made white (a run starts with Cls).
  bool blanche_ = false;
};

// The page turned to `orientation`, with the margins the sheet has in that position (a sheet's
// printable area turns with it, clockwise for a landscape page when `horaire`).
QPageLayout PageOrientee(const QPageLayout& page, QPageLayout::Orientation orientation, bool horaire = false);

// The old Circle call accepts angles from -2 pi to 2 pi only (compared as Singles); anything else
// is an invalid procedure call.
void VerifieAnglesCercle(double debut, double fin);
