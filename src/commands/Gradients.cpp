#include "commands/Gradients.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Legacy.h"

using namespace legacy;

namespace {

// A component rounded halves to even; the sums run past the second colour only in the extra
// bands a shape may draw, and a component never leaves 0..255.
int32_t Composante(float v) { return std::clamp(static_cast<int32_t>(ArrondiPair(v)), 0, 255); }

}  // namespace

void CoulRVB(int32_t couleur, int& rouge, int& vert, int& bleu) {
  rouge = couleur & 255;
  const int32_t t = couleur / 256;
  vert = t & 255;
  bleu = (t / 256) & 255;
}

BandesCouleur::BandesCouleur(int32_t c1, int32_t c2, int n) : couleur_(c1) {
  int r1 = 0, g1 = 0, b1 = 0, r2 = 0, g2 = 0, b2 = 0;
  CoulRVB(c1, r1, g1, b1);
  CoulRVB(c2, r2, g2, b2);
  const int dr = r2 - r1, dg = g2 - g1, db = b2 - b1;
  n_ = n > 0 ? n : std::max({std::abs(dr), std::abs(dg), std::abs(db)}) + 1;
  r_ = static_cast<float>(r1);
  g_ = static_cast<float>(g1);
  b_ = static_cast<float>(b1);
  pasR_ = static_cast<float>(dr) / static_cast<float>(n_);
  pasG_ = static_cast<float>(dg) / static_cast<float>(n_);
  pasB_ = static_cast<float>(db) / static_cast<float>(n_);
}

void BandesCouleur::Avance(bool plancher) {
  r_ += pasR_;
  g_ += pasG_;
  b_ += pasB_;
  if (plancher) {
    r_ = std::max(r_, 0.0f);
    g_ = std::max(g_, 0.0f);
    b_ = std::max(b_, 0.0f);
  }
  couleur_ = Composante(r_) + 256 * Composante(g_) + 65536 * Composante(b_);
}
