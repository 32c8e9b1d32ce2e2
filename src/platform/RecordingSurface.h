#pragma once

// An output surface that records every primitive with the state it was drawn in, as log lines
// and as a list, and can pass each one on to another surface (the screen image or the printer).

#include <QStringList>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FontMetrics.h"
#include "platform/OutputSurface.h"

struct Primitive {
  enum class Genre { Ligne, Cercle, Polygone, Texte, Image, Cls, Page };
  Genre Type = Genre::Cls;
  // Line: both ends; circle: the centre; polygon: the vertices; text and picture: the corner.
  QVector<QPointF> Points;
  uint32_t Couleur = 0;                       // ForeColor (0x00BBGGRR)
  int Epaisseur = 1;                          // DrawWidth
  int Mode = 13;                              // DrawMode
  std::optional<uint32_t> Remplissage;        // FillColor when FillStyle is 0
  double Rx = 0, Ry = 0, Debut = 0, Fin = 0;  // circle
  double Angle = 0;                           // text, degrees
  double Largeur = 0, Hauteur = 0;            // picture
  PoliceSortie Police;                        // text
  QString Texte;                              // text, or the picture's file
};

// Where the log lines go as they are drawn, for a log written while the run draws rather than
// kept: UTF-8, each line ended by "\n", handed on in large pieces.
class FluxJournal {
 public:
  FluxJournal() : tampon_(new char[TailleTampon + Marge]), fin_(tampon_.get()) {}
  virtual ~FluxJournal() = default;
  FluxJournal(const FluxJournal&) = delete;
  FluxJournal& operator=(const FluxJournal&) = delete;

  // Adds one whole line, given without its end.
  void Ajoute(const QString& ligne);
  // Where the next line goes, written straight into the buffer: at least Marge bytes of room,
  // then Avance() past its end ("\n" included). What lies beyond that end is never handed on.
  static constexpr size_t Marge = 256;
  char* Place() { return fin_; }
  void Avance(char* fin) {
    fin_ = fin;
    ++lignes_;
    if (fin_ - tampon_.get() >= static_cast<ptrdiff_t>(TailleTampon)) Vide();
  }
  // Adds one whole line given with its end, of any length.
  void AjouteLigneFinie(const char* octets, size_t taille);
  // Hands on what is buffered.
  void Vide();
  long long NbLignes() const { return lignes_; }

 protected:
  virtual void Ecrit(const char* octets, size_t taille) = 0;

 private:
  static constexpr size_t TailleTampon = 16 * 1024;
  std::unique_ptr<char[]> tampon_;
  char* fin_;
  long long lignes_ = 0;
};

class RecordingSurface : public OutputSurface {
 public:
  RecordingSurface(int largeur, int hauteur, double dpi = 96.0, OutputSurface* cible = nullptr);

  OutputSurface* Cible() const { return cible_; }
  void DefinitCible(OutputSurface* cible) { cible_ = cible; }
  // Without a target, makes the recorder answer as the printer does.
  void DefinitImprimante(bool imprimante) { imprimante_ = imprimante; }

  // What is kept of each primitive: by default the whole record (Primitives() and Journal()); a
  // log written as it is drawn needs none of it.
  void GardePrimitives(bool garde) { garde_ = garde; }
  // Where each primitive's log line goes as it is drawn (none: nowhere).
  void DefinitFlux(FluxJournal* flux) { flux_ = flux; }

  const QStringList& Journal() const;
  const std::vector<Primitive>& Primitives() const { return primitives_; }
  void Efface() {
    journal_.clear();
    primitives_.clear();
  }

  double MmParPixel() const override { return 25.4 / dpi_; }
  bool EstImprimante() const override;
  QRectF EtendueDessinable() const override {
    return cible_ ? cible_->EtendueDessinable() : OutputSurface::EtendueDessinable();
  }
  bool ErreurImpression() const override;

  void Ligne(double x1, double y1, double x2, double y2) override;
  void Cercle(double cx, double cy, double rx, double ry, double debut, double fin) override;
  void Polygone(const QVector<QPointF>& points) override;
  void Texte(double x, double y, double angleDeg, const QString& texte) override;
  bool Image(double x, double y, double l, double h, const QString& fichier,
             QString* erreur = nullptr) override;
  void Cls() override;
  void NouvellePage() override;
  void DefinitOrientation(bool paysage) override;

  double LargeurTextePx(const QString& texte) const override;
  double HauteurTextePx(const QString& texte) const override;
  bool PoliceExiste(const QString& nom) const override;
  MetriquesPolicePx MetriquesTextePx() const override;

 private:
  Primitive Nouvelle(Primitive::Genre genre) const;
  void Enregistre(Primitive primitive);
  // Formats into the flux the lines of the primitives drawn most: no record is made for them.
  void EcritLigne(double x1, double y1, double x2, double y2);
  void EcritLigneExacte(double x1, double y1, double x2, double y2);
  // The record of a line, for a reader of the record.
  void GardeLigne(double x1, double y1, double x2, double y2);
  void EcritCercle(double cx, double cy, double rx, double ry, double debut, double fin);
  void EcritPolygone(const QVector<QPointF>& points);
  // The end of a line's text for the colour and width (" #RRGGBB W\n"), kept from line to line.
  void PrepareFinLigne();
  // Gives the target this surface's members before a primitive is passed on.
  void SynchroniseCible();

  double dpi_;
  OutputSurface* cible_;
  bool imprimante_ = false;
  bool garde_ = true;
  FluxJournal* flux_ = nullptr;
  // The end of the last line written and the colour and width it was written for.
  char finLigne_[16] = {};
  int tailleFinLigne_ = 0;
  uint32_t couleurFinLigne_ = 0;
  int largeurFinLigne_ = -1;
  // A line composed before it goes into the flux, when it may be long.
  std::string ligne_;
  // The log lines of the first primitives, one a primitive.
  mutable QStringList journal_;
  std::vector<Primitive> primitives_;
  mutable CachePolices polices_;
};

// A number of the log: two decimals, "." as the separator, never "-0.00".
QString NombreJournal(double v);
