#pragma once

// Mouse drawing: while the dialog is open and a drawing is live, the drawing view's mouse handlers
// append point lines to a journal; saving turns the journal into a data file that the Plot command
// draws again, and puts the Plot line that does it on the clipboard. The journal, its line formats,
// the undo of the last point and the saving work without widgets; FrmDessin is the dialog.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <cstdint>

class FenetrePrincipale;
class QLabel;
class QLineEdit;
class QPushButton;

struct EtatDessinSouris {
  bool DessinDemarre = false;  // OK then ends and saves the drawing
  bool SaisieSouris = false;   // mouse presses are recorded
  bool ModeDessin = false;     // the journal is live (moves, undo, release)
  // The dialog's fields as last left; empty name: the dialog keeps its own initial texts.
  QString NomDessinSaisi, DecimalesSaisies, RelatifSaisi;
  QString CouleurDessin, EpaisDessin, CouleurFondDessin;
  float DistancePoints = 0, NiveauLissage = 0;
  QString FormatCoordDessin;  // "0", "0.0", "0.00" or "0.0#"
  bool CoordRelatives = false;
  int32_t NbPointsDessin = 0;
  float XEcrit = 0, YEcrit = 0;  // the last written point (start of relative displacements)
  QString FichierDessinRepris;
  int ReponseReprise = 7;       // 6 when the named file was loaded to continue the drawing
  bool JournalEnPanne = false;  // a journal write failed and was told (once per drawing)
};
extern EtatDessinSouris Dessin;
void RazEtatDessinSouris();

// The journal's absolute path, in the current folder.
QString CheminJournalDessin();
// The first line of a new journal, line end included.
QString EnTeteJournalDessin();
// The coordinate format of the decimals field: "0", "1", "2", or any other text for one or two.
QString FormatDecimales(const QString& texte);
// The relative-mode field: "O", "R" or "Y".
bool ModeRelatif(const QString& texte);
// A point line: the point relative to the reference cursor, in FormatCoordDessin.
QString LignePointDessin(float x, float y);
// A displacement line, each number followed by "r".
QString LigneRelativeDessin(float dx, float dy);
// Appends one line (CR LF added) to the journal; the first failure of a drawing is told to the user.
bool AjouteLigneJournal(const QString& ligne);

// Points and traces of a drawing file's text.
struct CompteDessin {
  int Points = 0;
  int Traces = 0;
};
CompteDessin CompteFichierDessin(const QString& texte);
// The file name of the name field: trimmed, ".txt" added when it holds no ".".
QString NomFichierDessin(const QString& texte1);
// The Plot line placed on the clipboard when a drawing is saved.
QString LignePlotDessin(const QString& texte1, float niveauLissage);
// The journal of a continued drawing: the file's text, then "'EOD" when its last line is a point.
QString JournalRepris(const QString& texteFichier);

// The undo of the last point, on the journal's lines (the element after the final line end
// excluded). `Efface*` is the stroke or dot to erase in the background colour, `Redessine*` the
// dot to draw again; the current point becomes (X, Y).
struct AnnulationPoint {
  QStringList Lignes;
  bool Change = false;
  bool Efface = false;
  float EffaceX1 = 0, EffaceY1 = 0, EffaceX2 = 0, EffaceY2 = 0;
  bool Redessine = false;
  float X = 0, Y = 0;
  bool PointConnu = false;
};
AnnulationPoint AnnuleDernierPoint(const QStringList& lignes, float refX, float refY);

// The mouse handlers' recording (the drawing view calls them). A move with the left button and
// Shift alone adds a freehand point; a Shift-press while the dialog is open adds a point (with Ctrl
// snapped, with Alt continuing the trace). Both draw their stroke on the current output.
void EnregistreDeplacementDessin(int bouton, int shift, float x, float y);
void EnregistrePressionDessin(int shift, float& x, float& y);

// Draws the journal over the drawing with the dialog's colours and width, as after a run.
void TraceJournal(int niveau);

class FrmDessin : public QDialog {
  Q_OBJECT

 public:
  explicit FrmDessin(FenetrePrincipale& fenetre);
  ~FrmDessin() override;

  // The open dialog, or nullptr.
  static FrmDessin* Ouvert();

  // Text1 name, Text2 colour, Text3 width, Text4 background, Text5 distance, Text6 smoothing,
  // Text7 decimals, Text8 relative mode (1-based as the fields are numbered).
  QLineEdit* Texte(int n) const { return textes_[n - 1]; }
  QPushButton* CmdOK() const { return cmdOK_; }

  void Cmd_OK_Click();
  void Cmd_Esc_Click();
  void AnnuleDernierTrait();
  // The dialog's keys; true when consumed.
  bool Form_KeyDown(int touche, Qt::KeyboardModifiers modificateurs);
  // Gives the focus back after a mouse release on the drawing.
  void RendFocus();

 protected:
  void keyPressEvent(QKeyEvent* evenement) override;
  void closeEvent(QCloseEvent* evenement) override;
  bool eventFilter(QObject* cible, QEvent* evenement) override;

 private:
  void DemarreDessin();
  void TermineDessin();
  void Ferme();
  void AppliqueCouleurs();
  void ActiveMenus(bool actif);

  FenetrePrincipale& fenetre_;
  QLineEdit* textes_[8] = {};
  QLabel* label7_ = nullptr;
  QLabel* label8_ = nullptr;
  QPushButton* cmdOK_ = nullptr;
  QPushButton* cmdEsc_ = nullptr;
  bool ferme_ = false;
};

// The menu entry: opens the dialog, or gives it the focus when it is open.
void Mnu_Dessin_Click(FenetrePrincipale& fenetre);
