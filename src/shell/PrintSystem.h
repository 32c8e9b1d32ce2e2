#pragma once

// The questions to the print system, asked one way. Every question (a client command such as `lp`,
// or the record of the queues below) is waited for by one bounded wait: the window goes on
// answering, and the answer, Esc or the time limit ends the wait. Qt's printer support asks the
// print system itself, on the window's thread and inside its print dialog; it is answered from the
// record taken before, so that nothing it does waits, and no question is ever asked inside the
// wait of another.

#include <QByteArray>
#include <QHash>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

// How long a question to the print system may take before it is given up (milliseconds; tests
// shorten it).
extern int DelaiSystemeImpression;

// How a question ended: answered, given up with Esc, or given up when its time was over.
enum class FinQuestion { Reponse, Echap, Delai };

// The reason of a question given up when its time was over.
QString TexteSansReponse();

// Runs a client of the print system; `sortie` receives its words (in English, so that they can be
// read back) and `reussi` whether it ended well. A client that cannot start is answered at once.
FinQuestion ClientImpression(const QString& programme, const QStringList& arguments, QString& sortie,
                             bool& reussi);

// Asks the print system for its queues and the description of each; once answered, Qt's printer
// support is answered from this record until the next one (a record given up changes nothing).
FinQuestion ReleveSystemeImpression();
// Forgets the record (tests): Qt's printer support then asks the print system itself again.
void OublieReleveImpression();

// What a queue's description (its PPD, as the record has it) says of its pages: each paper's size
// and the area printed on it (points, from the sheet's lower left corner), and whether it lays
// landscape pages a quarter turn clockwise.
struct DescriptionFile {
  bool horaire = false;
  QHash<QString, QSizeF> papiers;
  QHash<QString, QRectF> zones;
};
// False when the record has no description of the queue.
bool DescriptionDe(const QString& file, DescriptionFile& description);
// Reads a description by its own rules: a line "*Keyword Option/Translation: value", spaces and
// tabs as separators, a quoted value over as many lines as it takes. Of two definitions of a
// keyword (with the same option), the last counts: the print system itself turns the sheet as the
// last *LandscapeOrientation says.
DescriptionFile LitDescription(const QByteArray& texte);
