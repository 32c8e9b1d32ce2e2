#pragma once

// Two-colour gradients of the filled shapes: the components of a colour value and the run of
// single-colour bands stepping from the first colour towards the second.

#include <cstdint>

// Red, green and blue (0..255) of a colour value (red in the low byte).
void CoulRVB(int32_t couleur, int& rouge, int& vert, int& bleu);

// The colours of the bands: the first band is in the first colour; each band after it moves every
// component on by a fixed step (a running single-precision sum, not k x step).
class BandesCouleur {
 public:
  // n: the number of bands; 0 or less takes the largest component difference plus 1.
  BandesCouleur(int32_t c1, int32_t c2, int n = 0);

  int Nombre() const { return n_; }
  int32_t Couleur() const { return couleur_; }
  // The next band's colour; with 'plancher', a component sum below 0 is raised to 0 first.
  void Avance(bool plancher);

 private:
  float r_, g_, b_;
  float pasR_, pasG_, pasB_;
  int n_;
  int32_t couleur_;
};
