#pragma once

// The program levels of a run: each level's text and reading position, its variable slots, its
// labels, its open data file and the output state it saved, with the run-wide cells of the line
// being read. The value layer reads and writes them; everything above it shares them.

#include <QHash>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

constexpr int MaxSlotsVar = 64;  // the hard size of a level's variable table
constexpr int NiveauMaxFichier = 5;

// The names of a level's variable slots 1..64 with an index from the upper-cased name to the
// first slot that bears it. Any write access to a name drops the index; the next lookup builds it
// again.
class NomsVariables {
 public:
  const QString& operator[](size_t slot) const { return noms_[slot]; }
  QString& operator[](size_t slot) {
    aJour_ = false;
    return noms_[slot];
  }
  // The first slot whose name, upper-cased, equals nom upper-cased; 0 when it is above dernier
  // or when there is none.
  int Cherche(QStringView nom, int dernier) const;

 private:
  static constexpr size_t TailleIndex = 128;  // twice the slots: short probe runs
  std::array<QString, MaxSlotsVar + 1> noms_;
  mutable std::array<uint8_t, TailleIndex> index_{};
  mutable bool aJour_ = false;
  void Construit() const;
};

struct NiveauProg {
  QString Fichier;
  QString Texte;
  int PosLecture = 0;  // 1-based; positions stay within 16 bits (checked where they move)
  int PosFinLigne = 0;
  QString MotCle;
  QString Ligne;
  int DebutInstr = 0;
  int FinInstr = 0;
  std::optional<double> OrigineX, OrigineY;  // empty = none
  float CTxNiveau = 0, CTyNiveau = 0;
  float Exposant = 0;
  float FacteurEpaisT = 0;
  QString SavPolice;
  float SavFontSize = 0, SavTailleP = 0;
  float FacteurTailleP = 0;
  QString SavStyle;
  int32_t SavCouleur = 0;
  int NbVar = 0;
  bool EchelleLog = false;
  NomsVariables NomsVar;                            // slots 1..64
  std::array<QString, MaxSlotsVar + 1> ValeursVar;  // slots 1..64
  std::array<uint8_t, MaxSlotsVar + 1> MarquesVar{};
  int NbCreations = 0;
  int16_t SavTypeBout = 0;
  std::array<float, 4> SavTirets{};
  int16_t SavPhase = 0;
  float SavFinX = 0, SavFinY = 0;
  QString FicDonnees;
  int NumFicDonnees = 0;
  QString LigneDonnees, LigneLue;
  QString MarqueDebut, MarqueFin;
  QString CarComment;
  int ProfIf = 0;
  std::array<bool, 5> IfSaute{}, IfFait{}, IfOuvert{};
  int MaxVar = 0;
  int MaxIf = 0;
  int32_t MaxPlot = 0;
  QString SepParam, SepSousParam;
  float AngRotNiveau = 0;
};

struct Etiquette {
  QString Nom;
  int32_t Position = 0;
};

// ---- the levels ----
extern std::vector<NiveauProg> Niveaux;
extern int NiveauCourant;
// The record of a level; an index outside the array raises a run error (subscript out of range).
NiveauProg& Niveau(int niveau);
// Sizes the array with indices 0..dernier, all records empty.
void DimensionneNiveaux(int dernier);

// ---- labels, per level 1..5 ----
extern std::array<std::vector<Etiquette>, NiveauMaxFichier + 2> Etiquettes;  // levels 0..6
// Each level's label names with their index in Etiquettes, so that a jump finds its label without
// going through the table; filled and cleared with it.
extern std::array<QHash<QString, int32_t>, NiveauMaxFichier + 2> IndexEtiquettes;
// Changes whenever a level's labels are collected, moved or cleared: a jump target kept from an
// earlier version is looked for again.
extern std::array<uint32_t, NiveauMaxFichier + 2> VersionEtiquettes;

// Shifts the labels of a level after a position by the characters inserted there.
void DecaleIndex(int niveau, int32_t pos, int32_t delta);

// How a command's own rewrite of its statement in the editor counts: as the run's (not an edit of
// the user's) or as an edit that marks the program modified.
enum class Recriture { DuProgramme, CommeEdition };

// The one way a command rewrites its statement in the editor's program (level 1): replaces
// `longueur` characters from the 0-based `debut` by `texte`, moves the labels after the statement,
// takes the edited text back into the level, ends the statement where its rewritten text ends and
// resumes after it, and recolours it. Returns the change of length.
int32_t RecritInstruction(int niveau, int debut, int longueur, const QString& texte,
                          Recriture sorte = Recriture::DuProgramme);

// ---- run-wide cells of the line being read ----
struct EtatLecture {
  QString SepParam = QStringLiteral(",");  // "," and "§" at the head of every level
  QString SepSousParam = QStringLiteral("§");
  QString ParamLigne;
  // The parameter text as the statement's command received it: the fields a run error names count
  // from it, though a command may cut ParamLigne as it reads on.
  QString ParamInstruction;
  QString OperateurAffect;
  int IndiceTravail = 0;
  bool StopArg = false;
  int NivParTexte = 0;
  // The list-valued variable whose fields a repeating command iterates (slot 0 = none), the field
  // in use, and the scan cell that the "VAR(" pass leaves on the ")" of its leftmost reference.
  int SlotListe = 0;
  int ChampListe = 0;
  int PosEgal = 0;
};
extern EtatLecture Lecture;

// ---- the command-order flags of a level-1 run ----
// Bits of EtatOrdre: which commands have run before this line. FormatI must come first, then the
// centre, then the drawing commands; a graduation, value or sector needs a scale line before it.
enum OrdreCommandes : int16_t {
  OrdreFormatI = 1,        // the value FormatI leaves: nothing else may have run before it
  OrdreCentre = 4,         // a centre or CT was set
  OrdreFichier = 8,        // a command file or an external command ran
  OrdreLigneEchelle = 32,  // a scale line was drawn (Arc, Droite, DroiteV)
  OrdreDessin = 64,        // something was drawn
};
// The flags; negated (below 0) when an order error is being raised, so that the report gives the
// required order instead of the ordinary message.
extern int16_t EtatOrdre;
constexpr OrdreCommandes operator|(OrdreCommandes a, OrdreCommandes b) {
  return static_cast<OrdreCommandes>(static_cast<int16_t>(a) | static_cast<int16_t>(b));
}
inline void AjouteOrdre(OrdreCommandes bits) { EtatOrdre = static_cast<int16_t>(EtatOrdre | bits); }
inline void MarqueErreurOrdre() { EtatOrdre = static_cast<int16_t>(-EtatOrdre); }
inline bool ErreurOrdreMarquee() { return EtatOrdre < 0; }

// Empties the levels and their labels and clears the cells above.
void RazEtatNiveaux();
