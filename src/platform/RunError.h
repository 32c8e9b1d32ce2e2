#pragma once

#include <QString>
#include <exception>
#include <utility>

// A failure during a run. Commands store their detail text first (DetailErreur) and then throw;
// the legacy runtime throws it for the faults the old runtime raised by itself (overflow,
// division by zero, invalid procedure call, subscript out of range). The error handler of the
// level being run catches it.
class ErreurExecution : public std::exception {
 public:
  explicit ErreurExecution(QString raison = {}, bool pasUnNombre = false)
      : raison_(std::move(raison)), pasUnNombre_(pasUnNombre) {}
  const QString& raison() const { return raison_; }
  // A text that does not reduce to a number: the old runtime called it a division by zero too.
  bool pasUnNombre() const { return pasUnNombre_; }
  const char* what() const noexcept override { return "run error"; }

 private:
  QString raison_;
  bool pasUnNombre_;
};

// The cells of the run error being raised: the detail text shown in the report, the kind ("F": a
// missing file) and the missing file's path.
struct EtatIncident {
  QString DetailErreur;
  QString TypeErreur;
  QString FichierManquant;
  // The program's text that DetailErreur begins with when it quotes some (an unknown variable, a
  // label): the report of a scrambled command file leaves it out and keeps the reason.
  QString CitationErreur;
  // A run error about one field of the statement (ErreurChamp): its number (0 when the text is no
  // field of the statement), what it holds and the reason. The report composes the detail from
  // them and the field's name in the command's mask.
  int ChampErreur = 0;
  QString ContenuChamp;
  QString RaisonChamp;
};
extern EtatIncident Incident;

// The message numbers of the reasons a run error gives.
namespace TexteRaison {
constexpr int Champ = 142;          // "field %1"
constexpr int Nombre = 143;         // a number was expected
constexpr int Couleur = 144;        // a colour was expected
constexpr int Variable = 145;       // a %variable was expected
constexpr int ValeurManque = 146;   // a value is missing
constexpr int Limites = 147;        // out of range: from %1 to %2
constexpr int Division = 148;       // division by zero
constexpr int NonExecutable = 149;  // cannot be carried out with these values
constexpr int NonAdmis = 150;       // not accepted here
constexpr int HorsDePlace = 151;    // the rules of If blocks and labels
}  // namespace TexteRaison

// Raising a run error: the detail text goes into DetailErreur, then the error unwinds to the
// handler of the level being run, which reports it.
[[noreturn]] void ErreurRun(const QString& detail = {});
// A run error whose detail is a quote of the program's text followed by the reason.
[[noreturn]] void ErreurRunCitant(const QString& citation, const QString& raison);
// A run error about field `champ` of the statement (0: a text of it that is no whole field) that
// holds `contenu`; an empty content is not quoted.
[[noreturn]] void ErreurSurChamp(int champ, const QString& contenu, const QString& raison);
// A run error about the statement as a whole: the report gives the keyword and the reason.
[[noreturn]] inline void ErreurInstruction(const QString& raison) { ErreurSurChamp(0, {}, raison); }
// A file that is missing or cannot be read (no regular file): reported with its path as a
// missing file.
[[noreturn]] void ErreurFichierIntrouvable(const QString& chemin);

[[noreturn]] inline void LeveErreurExecution(const QString& raison = {}) { throw ErreurExecution(raison); }
