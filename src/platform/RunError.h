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

[[noreturn]] inline void LeveErreurExecution(const QString& raison = {}) { throw ErreurExecution(raison); }
