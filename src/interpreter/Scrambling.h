#pragma once

// External command files (".dag"): a header line, 52 filler characters that hide the length and
// the seed, then the program text in blocks of 45 characters, each block permuted by a sequence
// drawn from the seed and every character combined with the key table. Characters are bytes.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

// The key table: entries 1..45 are used; entry 0 is not.
extern const std::array<int16_t, 46> TableCodage;
// The permutation of one block, entries 1..45; drawn anew for each file.
extern std::array<int16_t, 46> TablePermutation;

// Fills TablePermutation(1..n) with n distinct integers of [a, b] drawn from the sequence that
// restarts at 'graine' (negative); the generator's own sequence goes on afterwards as before.
void Tirage(int n, int a, int b, float graine);

// The file content for a program text (trailing blanks are not kept). A text over 32,580 bytes
// overflows the length field: run error.
QByteArray CodeFicExterne(const QString& texte);
// The program text a file content restores to; a content that does not restore is a run error
// with a detail text.
QString DecodeFicExterne(const QByteArray& contenu);
