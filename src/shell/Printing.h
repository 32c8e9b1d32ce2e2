#pragma once

// Morvo's printer: a system printer chosen through Qt, or the PDF-file printer, which always
// exists. The choice stays inside Morvo; the system's default printer is never changed. The print
// commands are the main window's (FenetrePrincipale in MainWindow.h).

#include <QString>

class QPrinter;

// The printer's name at start-up (the PDF printer is "PDF").
extern QString NomImprimante;

// Makes the printer: the system's default printer, else the PDF-file printer. False only when no
// printer object can be made at all.
bool PrepareImprimante();
QPrinter& ImprimanteMorvo();
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
