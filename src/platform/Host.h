#pragma once

// What the desktop program (main window, menus, start-up values) offers the interpreter, and what
// the interpreter leaves for it. The desktop program and the headless runner each install a Hote.

#include <QString>
#include <QStringList>
#include <cstdint>

class OutputSurface;
class EditeurTexte;

class Hote {
 public:
  virtual ~Hote() = default;
  // The screen surface (the main window's drawing) and the printer (nullptr when none).
  virtual OutputSurface* Ecran() = 0;
  virtual OutputSurface* Imprimante() { return nullptr; }
  virtual EditeurTexte* Editeur() = 0;

  // Menu entries that a run disables and enables again.
  bool MnuVisualiserActif = true;
  bool MnuZoomActif = true;
  bool MnuRefCurseurActif = true;
  // Disabled while the mouse-drawing dialog is open.
  bool MnuDessinActif = true;
  // Checked while the code pane is shown.
  bool MnuCodeCoche = false;
  // Width of the code pane in the units of the screen's current scale (drawing units during and
  // after a run).
  virtual double LargeurCode() const { return 0.0; }

  // Hourglass and disabled window during a run.
  virtual void DebutRun() {}
  virtual void FinRun() {}
  // Opens the help (once after a run when asked).
  virtual void OuvreAide() {}
  // Before a message box or input box opens: the screen shows what the run has drawn so far.
  virtual void AvantDialogue() {}
  // The mouse-drawing dialog's colour, background colour and line-width texts.
  virtual QString CouleurDessin() const { return {}; }
  virtual QString CouleurFondDessin() const { return {}; }
  virtual QString EpaisseurDessin() const { return {}; }
};

Hote* HoteCourant();
void DefinitHote(Hote* h);

// Start-up values the shell keeps and the interpreter reads.
struct ValeursShell {
  float ZoomCourant = 1.0f;
  float FacteurMm = 1.0f;
  float FacteurImpression = 1.0f;
  double LargeurZone = 0;  // drawing area in the screen's millimetres
  double HauteurZone = 0;
  float DecalVueX = 0, DecalVueY = 0;
  float TaillePoliceImp = 8.0f;
  float RapportEcranImp = 1.0f;
  bool EstNT5 = false;
  float MmParPixelEcran = 25.4f / 96.0f;
  float MmParPixelImp = 25.4f / 600.0f;
  QString NomFichier;  // full path of the main program file
  QString RepCourant;  // the real folder of the program file opened (DossierDuProgramme), ending in "/"
  QString RepDepart;
  QString RepConfig;
  // Message-language base of the string table (0, 400, 800, 1200).
  int BaseLangue = 0;
  // External commands: names without ".dag" and their folders, sorted, at most 60.
  QStringList CmdExternes;
  QStringList RepCmdExternes;
};

// Values the interpreter leaves for the shell.
struct ValeursRun {
  float OrigineFinX = 0, OrigineFinY = 0, AngRotFin = 0, AngRotFinRad = 0;
  float RefCurX = 0, RefCurY = 0, RefCurAngle = 0, RefCurAngleRad = 0;
  float ZoomIni = 1, ZoomIniI = 1, DernierFacteurImp = 1;
  float DecalRefX = 0, DecalRefY = 0, DecalRefAngle = 0;
  float CentreCmdX = 0, CentreCmdY = 0;
  bool AideApresRun = false;
  int32_t FondDessin = 0;  // background colour of the mouse drawing
};

extern ValeursShell Shell;
extern ValeursRun RunShell;
void RazValeursShell();
