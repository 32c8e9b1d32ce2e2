#pragma once

// Menu commands that write a value chosen in a dialog at the caret (a colour as a red-green-blue
// parameter, a font name, file names), and the code font size.

#include <QFont>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

class AnneauAnnulation;
class EditeurProgramme;

// The colour, font and open-file dialogs, so that the tests can answer them.
class DialoguesInsertion {
 public:
  virtual ~DialoguesInsertion() = default;
  // The chosen colour value (red in the low byte); nullopt when cancelled.
  virtual std::optional<uint32_t> Couleur() = 0;
  // The chosen font, starting from `depart`; `ecran`: screen fonts rather than printer fonts.
  // nullopt when cancelled.
  virtual std::optional<QFont> Police(const QFont& depart, bool ecran) = 0;
  // The chosen existing files (full paths); empty when cancelled. `filtre` is in Qt's form.
  virtual QStringList Fichiers(const QString& filtre, bool plusieurs) = 0;
};

// The dialogs in use (Qt's until another is set; nullptr restores Qt's).
DialoguesInsertion& DialoguesIns();
void DefinitDialoguesInsertion(DialoguesInsertion* d);

// "RVB " (French masks) or "RGB ", then red, green and blue, each after one blank.
QString TexteCouleur(uint32_t couleur, bool francais);
// One file gives its path; several give their folder, then each name after one separator.
QString TexteFichiers(const QStringList& fichiers, const QString& separateur);

// Each replaces the editor's selection (the statement is then being edited) and records one undo
// step; a cancelled dialog changes nothing.
void InsereCouleur(EditeurProgramme& editeur, AnneauAnnulation& annulation, bool francais);
void InserePolice(EditeurProgramme& editeur, AnneauAnnulation& annulation, const QFont& depart, bool ecran);
void InsereFichiers(EditeurProgramme& editeur, AnneauAnnulation& annulation, bool plusieurs);

// Asks for the code font size (`invite` is the prompt); the answer is read as a leading number
// and kept between 6 and 24. nullopt when the answer is cancelled, no number, or not above 0.
std::optional<float> DemandeTailleCarCode(const QString& invite, float actuelle);
