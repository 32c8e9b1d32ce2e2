#pragma once

// The whole-program fuzz entry, shared by the libFuzzer target and the corpus replay: the bytes
// are a program file, run as the screen's run request runs it in a folder that holds a file of
// every kind a program may read.

#include <cstddef>
#include <cstdint>

// Writes the bytes as "prog.dat" into a fixture folder rebuilt for this input, reads it back as
// a program file is read (UTF-8 when valid, else Windows-1252) and runs it on a recording surface
// with a statement bound; a program whose first character is "'" is then run for the printer too.
// SHELL#$ starts nothing. Every input must return.
void ExecuteProgrammeFuzz(const uint8_t* donnees, size_t taille);
