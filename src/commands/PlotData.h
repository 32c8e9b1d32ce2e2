#pragma once

// Column data files of the curve commands: names completed against the program's folder, the text
// cut into lines by the one line splitter and into blocks at the "'EOD" marker lines, the kind of
// each line and the value of a column.

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/TextFile.h"

// A relative name is looked for in the program's folder, then, in a command file, in that file's
// folder; "\" separates folders as "/" does; a name without extension gets ".txt".
QString CheminFichierPlot(const QString& nom, int niveau);
// The lines of a data file; a file that cannot be read is a run error that names it.
QStringList LignesFichierPlot(const QString& chemin);

// A data file taken one line at a time from the disk, so that a reader that stops early has read
// no further and never holds the whole file.
class SourcePlot {
 public:
  // A file that cannot be read is a run error that names it.
  explicit SourcePlot(const QString& chemin);
  bool Fin() { return lecteur_.Fin(); }
  QString Suivante() { return lecteur_.Suivante(); }

 private:
  LecteurLignes lecteur_;
};

// One block of a data file, read from its source only as far as its reader asks. A block ends with
// the line holding "'EOD" (in any case); text after the last marker line is one more block. With
// no markers (an X file) the block is the whole file.
class BlocPlot {
 public:
  explicit BlocPlot(SourcePlot& source, bool marqueurs = true) : source_(source), marqueurs_(marqueurs) {}
  // Whether the block has a line i (from 0), reading on to it when needed.
  bool A(qsizetype i);
  // Line i, once A(i) has said it is there.
  const QString& operator[](qsizetype i) const { return lignes_[i]; }
  // The lines read so far.
  const QStringList& Lignes() const { return lignes_; }
  // Reads past the rest of the block without keeping it, so that the next block can start.
  void Termine();
  // "NP" after the marker: the filled command draws a line. Known once the block is read.
  bool SansRemplissage() const { return sansRemplissage_; }

 private:
  bool LitLigne(bool garde);

  SourcePlot& source_;
  bool marqueurs_;
  QStringList lignes_;
  bool fini_ = false;
  bool sansRemplissage_ = false;
};

enum class GenreLigne { Commentaire, Commande, Donnees };
// An empty or blank line, or one whose first character is "'", is a comment; a line starting
// (after blanks) with COULEUR, EPAIST, CERCLE, BEZIER or STOP is a command line.
GenreLigne GenreLignePlot(const QString& ligne);

// Field n (from 1) of a data line cut at the separator; nullopt when the line has fewer fields.
std::optional<QString> ChampDonnees(const QString& ligne, QChar separateur, int n);
// Fields 1 to n of a data line, cut in one pass that stops after field n; fewer when the line
// has fewer fields.
std::vector<QStringView> ChampsDonnees(const QString& ligne, QChar separateur, int n);
// The value of a data field: a decimal comma is read as a point, expressions and %variables are
// evaluated; "R" in the field marks a value relative to the previous point. A field that is not a
// number is a run error whose detail names the line.
float ValeurDonnee(const QString& champ, bool& relatif, const QString& ligne);
// The same through the expression evaluator alone (X files): no %variables, no relative mark.
float ValeurCalculee(const QString& champ, const QString& ligne);

// The detail of a run error about one line of a data file.
[[noreturn]] void ErreurLigneDonnees(const QString& ligne, const QString& raison);

// The scale of the plot as its command lines see it: factors, offsets (mm = (v + offset) x fe)
// and the turn in degrees, anticlockwise about 0,0.
struct EchellePlot {
  double FeX = 1, FeY = 1, OffsetX = 0, OffsetY = 0, AngleDeg = 0;
};

// The command lines of a data file (COULEUR, EPAIST, CERCLE, BEZIER, STOP), carried out as the
// reader meets them. Built at the start of the command: empty COULEUR and EPAIST values go back
// to the colours and pen of that moment.
// The pen a Plot command starts with (width, ends, dashes): an EPAIST line without a width and the
// end of the command put it back.
class PlumeDepartPlot {
 public:
  PlumeDepartPlot();
  void Remet() const;

 private:
  float epaisseur_;
  int16_t bout_;
  float l1_, l2_, l3_;
};

class CommandesPlot {
 public:
  CommandesPlot(int niveau, bool remplit);
  // Carries out the command line lignes[i]; a CERCLE or BEZIER line ending in " _" takes in the
  // lines that follow it, and i is left on the last line taken.
  void Execute(const QStringList& lignes, int& i, const EchellePlot& echelle);
  // A STOP line was met: no block after the current one is read.
  bool Arrete() const { return arrete_; }

 private:
  void Couleur(const QString& valeur);
  void EpaisT(const QString& valeur, const EchellePlot& e, const QString& ligne);
  void Cercle(QString motCle, const QString& params, const EchellePlot& e, const QString& ligne);
  void Bezier(QString motCle, const QString& params, const EchellePlot& e);

  int niveau_;
  bool remplit_;
  bool arrete_ = false;
  int32_t couleurCourante_, couleurCmd_;
  PlumeDepartPlot plume_;
};
