#pragma once

// The run request and the interpreter of one program level.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

#include "platform/TextFile.h"

// The screen's run request: runs the editor's program on the screen surface.
void ExecuteProgramme();
// The print run: the editor's program on the printer surface, then back to the screen.
void Imprimer();
// Runs the text of a level (1..5) statement by statement.
void Interprete(int& niveau);
// Closes every data file opened by the program.
void FermeFichiers();

// What a statement asks of the line loop.
enum class Suite { Continue, FinNiveau };
// The keyword chain: runs the statement the line loop prepared.
Suite ExecuteInstruction(int niveau);

// A bound on the statements one run may execute (0 = none), for the fuzz targets and the tests;
// reaching it stops the run as Esc does.
extern int64_t LimiteInstructions;
// A bound on the statements of one run (0 = none) for the headless runner: the statement after the
// last one allowed is a run error, so an endless loop still ends.
extern int64_t MaxInstructions;

// Text positions are 16-bit: a program text holds at most this many characters.
constexpr int LongueurMaxProgramme = 32767;
// The reason a program text does not run, in the message language, with its length as the limit
// counts it.
QString TexteProgrammeTropLong(const QString& texte);
// Whether a program text is longer than a run can take. A line end after the last line holds no
// statement and is not counted: the editor gives one to a file that has none.
bool ProgrammeTropLong(const QString& texte);
// Why the file is refused as a program, from its size alone (it is not read); empty when it is
// not too large.
QString FichierProgrammeTropGrand(const QString& chemin);
// The text of a program or command file, read no further than a program file may go, whatever
// size the system reports; nullopt when it cannot be read, with *refus the refusal of a file too
// large (else empty) and the system's reason of any other failure in *erreur when given.
// LitOctetsProgramme gives its bytes (a scrambled command file).
std::optional<QString> LitFichierProgramme(const QString& chemin, QString* refus, FormeTexte* forme = nullptr,
                                           QString* erreur = nullptr);
std::optional<QByteArray> LitOctetsProgramme(const QString& chemin, QString* refus,
                                             QString* erreur = nullptr);
