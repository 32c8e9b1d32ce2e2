#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// A colour value: a colour (red + 256 x green + 65536 x blue), -1 for "N" (nothing is drawn in it),
// or Empty (no colour written; each caller picks its default). Where a number is needed, Empty
// reads as 0.
class CouleurLue {
 public:
  constexpr CouleurLue() = default;
  constexpr CouleurLue(int32_t valeur) : valeur_(valeur) {}
  constexpr bool EstVide() const { return !valeur_.has_value(); }
  constexpr operator int32_t() const { return valeur_.value_or(0); }

 private:
  std::optional<int32_t> valeur_;
};

// The colour value of a colour text: a French or English name, "RGB"/"RVB" and three components,
// "N", or empty. Any other text is Empty.
CouleurLue ValeurCouleur(const QString& texte);
