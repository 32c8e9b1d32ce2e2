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
  explicit ErreurExecution(QString raison = {}) : raison_(std::move(raison)) {}
  const QString& raison() const { return raison_; }
  const char* what() const noexcept override { return "run error"; }

 private:
  QString raison_;
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
};
extern EtatIncident Incident;

// Raising a run error: the detail text goes into DetailErreur, then the error unwinds to the
// handler of the level being run, which reports it.
[[noreturn]] void ErreurRun(const QString& detail = {});
// A run error whose detail is a quote of the program's text followed by the reason.
[[noreturn]] void ErreurRunCitant(const QString& citation, const QString& raison);
// A file that is missing or cannot be read (no regular file): reported with its path as a
// missing file.
[[noreturn]] void ErreurFichierIntrouvable(const QString& chemin);

[[noreturn]] inline void LeveErreurExecution(const QString& raison = {}) { throw ErreurExecution(raison); }
