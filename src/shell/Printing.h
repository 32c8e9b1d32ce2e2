#pragma once

// Morvo's printer: a system printer chosen through Qt, or the PDF-file printer, which always
// exists. The choice stays inside Morvo; the system's default printer is never changed. The print
// commands are the main window's (FenetrePrincipale in MainWindow.h).

#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "shell/PrintSystem.h"

class QPrinter;
class QPdfWriter;

// The printer's name at start-up (the PDF printer is "PDF").
extern QString NomImprimante;

// Makes the printer: the system's default printer, else the PDF-file printer. False only when no
// printer object can be made at all.
bool PrepareImprimante();
// Makes the printer the system printer of that name ("PDF": the PDF-file printer); false, with
// nothing changed, when the system has no such printer.
bool ReprendImprimante(const QString& nom);
// Morvo's printer: what was chosen (queue, paper, orientation, copies). Nothing is ever painted on
// it; each job paints on a page of its own (TravailImpression).
QPrinter& ImprimanteMorvo();
// A printer with the same choice as `modele` and nothing of its past. The margins are the
// printer's own: 0,0 is the corner of the area it can print, and a printer that prints to the
// edge has none.
std::unique_ptr<QPrinter> CopieImprimante(const QPrinter& modele);
// The page a job on the printer is given: its paper and orientation, and the margins it cannot
// print in, turned with the sheet the way the queue turns it (`horaire`: landscape pages a quarter
// turn clockwise).
QPageLayout PageImprimante(const QPrinter& p, bool* horaire = nullptr);
// Whether the printer writes a PDF file (whose name is asked at each print).
bool ImprimanteEstPdf();
// Takes the printer's measures: millimetres per pixel, the screen-to-printer ratio and the font
// size it accepts for 8 points.
void MesureImprimante();
// The title under which a print job is queued: the program file's name without folder and
// without its last extension.
QString TitreImpression(const QString& nomFichier);
// Forgets the printer (tests).
void RazImprimante();

// The key of Morvo's configuration that keeps the printer chosen with File > Printer.
extern const QString CleImprimante;

// One print job onto a chosen printer (a system queue, or the PDF file named in the printer's
// output file). The job paints on a printer of its own; a queue gets the job once it is whole,
// through the print system's client, which is given a limited time and can be stopped with Esc,
// so that a print system that is down or hangs never holds the window.
class TravailImpression {
 public:
  TravailImpression(const QPrinter& choix, const QString& titre);
  ~TravailImpression();
  TravailImpression(const TravailImpression&) = delete;
  TravailImpression& operator=(const TravailImpression&) = delete;

  // What the job paints on: a PDF writer with the chosen printer's page, which talks to no print
  // system. It writes the file that PainterSurface is given (Fichier()).
  QPdfWriter& Page() { return *page_; }
  QString Fichier() const;
  bool EstFichier() const { return fichier_; }
  // The PDF file or the queue, as messages name it.
  QString Destination() const { return destination_; }
  // The queue lays landscape pages a quarter turn clockwise on the sheet.
  bool PaysageHoraire() const { return horaire_; }
  // The job's page with the printer's margins exactly (Page() keeps them in whole points).
  const QPageLayout& PageExacte() const { return pageExacte_; }
  // The job can be made (its provisional file has a folder) and the chosen PDF file can be written:
  // its name, as the system reads it, reaches a file (see CibleEcriture) that is not the open
  // program's (FichierCourant), and its folder takes it. False with the reason (the system's words
  // where it has them) when not.
  bool Possible(QString* raison = nullptr) const;
  // After the painter has ended: the file is written or the queue has taken the job. False with
  // the reason (the system's words) when not.
  bool Envoie(QString* raison);

 private:
  QTemporaryDir dossier_;
  std::unique_ptr<QPdfWriter> page_;
  bool fichier_ = false;
  QString destination_;
  QString titre_;
  int copies_ = 1;
  int cotes_ = 0;
  bool horaire_ = false;
  QPageLayout pageExacte_;
  // The queue's job options ("name=value").
  QStringList options_;
};

// The message of a printer error: the printer's name and the reason, when there is one.
QString TexteErreurImprimante(const QString& imprimante, const QString& raison = QString());
