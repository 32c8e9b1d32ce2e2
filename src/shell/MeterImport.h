#pragma once

// Meter description files (".mtr"): a header line of dimensions and flags, then one line per scale
// element, turned into an ordinary program. The File-menu command is the main window's
// (FenetrePrincipale::Mnu_OuvrirMeter_Click in MainWindow.h).

#include <QList>
#include <QString>

struct ProgrammeMeter {
  // The program, CR LF lines; empty when the header line has 20 blanks or fewer.
  QString Texte;
  // Element lines (numbered from 1 in the file) left out because a divisor of theirs is 0 or a
  // value they give is out of range.
  QList<int> LignesIgnorees;
};

// Converts the text of a meter file (CR LF lines). `nomFichier` is named in the heading comment;
// the page size of the printer, in millimetres, places the drawing centre of the printed page.
// Header numbers beyond the single-precision range raise ErreurExecution.
ProgrammeMeter ConvertitMeter(const QString& contenu, const QString& nomFichier, double largeurPageMm,
                              double hauteurPageMm);

// The Open filter of the import: meter files, then all files.
QString FiltreMeter();
// The message that lists the element lines left out.
QString TexteLignesIgnorees(const QString& nomFichier, const QList<int>& lignes);
