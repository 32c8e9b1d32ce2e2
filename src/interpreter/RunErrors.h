#pragma once

#include <QString>
#include <exception>

// The current keyword's command is not built yet: a run error that names it.
[[noreturn]] void NonDisponible();

// The name of field n in the mask of a command word (upper case), in the message language; "" when
// the mask names no such field.
QString NomChampMasque(const QString& motCle, int n);

// Gives a run error of level `niveau` that has no detail yet the one that says what is wrong: the
// command, the field (its number and name) and what it holds when the raise noted them, and the
// reason, else the fault itself. A missing file says it in a line of its own.
void CompleteDetail(int niveau, const std::exception& e);
