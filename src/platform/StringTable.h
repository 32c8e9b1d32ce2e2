#pragma once

#include <QString>

// The localised string table: one block of 400 numbers per language (0 French, 400 English,
// 800 German, 1200 Spanish, 1600 Russian), loaded from the program's resources. A number that
// its block lacks gives the French text of the same number, else the empty text.
QString TexteRes(int numero);
// Whether the table holds the number itself (no fallback).
bool TexteResExiste(int numero);
// The message-language text n (Shell.BaseLangue + n).
QString TexteMsg(int n);
