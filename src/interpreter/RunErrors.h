#pragma once

// Raising a run error: the detail text goes into DetailErreur, then the error unwinds to the
// handler of the level being run, which reports it.

#include <QString>

#include "platform/RunError.h"

[[noreturn]] void ErreurRun(const QString& detail = {});
// A file that is missing or cannot be read (no regular file): reported with its path as a
// missing file.
[[noreturn]] void ErreurFichierIntrouvable(const QString& chemin);
// The current keyword's command is not built yet: a run error that names it.
[[noreturn]] void NonDisponible();

// The unknown-variable detail: the text, " : non initialisée / not initialized / nicht
// initialisiert" and two CR LF.
[[noreturn]] void ErreurNonInitialisee(const QString& texte);
