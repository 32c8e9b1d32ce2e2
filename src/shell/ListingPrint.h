#pragma once

// The program listing on paper: a green title line with the file name and the date, 64 lines a
// page in the editor's colours after a top margin of three lines, and a centred page mark
// ("- 2/5 -") at the foot of every page. The menu command is the main window's
// (FenetrePrincipale::Mnu_ImprimerCode_Click in MainWindow.h).

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextLayout>

class QFont;
class QPagedPaintDevice;
class QTextDocument;

struct LigneListing {
  QString Texte;
  QList<QTextLayout::FormatRange> Formats;
};

// The lines of the document range [debut, fin) with their character formats (the whole document
// when fin < 0). A final line end gives no empty last line.
QList<LigneListing> LignesDocument(const QTextDocument& document, int debut = 0, int fin = -1);

// "Morvo: " + file name + "  " + date, or with " (" + text 125 + ") " before the date when only
// the selection is printed.
QString TitreListing(const QString& nomFichier, bool selection, const QDate& date);

// Prints the title, an empty line and the lines in the family of `police` at 10 points (smaller
// when 70 lines would not fit the page's height). Lines too long for the page go on over further
// listing lines. Gives the number of pages printed, 0 when the printer could not print; `pages`,
// when given, receives the text of each page (its lines joined with "\n", the mark last).
int ImprimeListing(QPagedPaintDevice& imprimante, const QFont& police, const QString& titre,
                   const QList<LigneListing>& lignes, QStringList* pages = nullptr);
