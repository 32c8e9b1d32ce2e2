#pragma once

// The small numeric routines the scale commands share: positions on a logarithmic scale, the
// sub-step of logarithmic graduations, mantissa and power of ten, roundings and SI prefixes.
// Every floating-point fault is a run error.

#include <QString>
#include <cstdint>

// The fraction of the logarithmic scale (ScaleState.h) at which v lies: 0 at LogDebut, 1 at
// LogFin x 10^LogDecades. A non-positive quotient under a logarithm, LogDebut = 0 or a scale of no
// extent is a run error.
double FractionLog(double v);
// The same for the value m x 10^e.
double FractionLogExp(double m, double e);
// Advances PasLog: to 10 when LimitePasLog >= 0, else along 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1,
// then 5 (1, 2 and 5 all give 5); any other step stays.
void PasLogSuivant();
// Splits x into a mantissa and a power of ten: x > 10 is divided down to [1, 10), x < 1 multiplied
// up past 1 (a product of exactly 1 goes once more, to 10), 1 <= x <= 10 stays. Each step is
// rounded to single precision. x <= 0 has no such split: a run error.
void MantisseExposant(float x, float& mantisse, int16_t& puissance);
// The runtime's Arrondi (halves away from zero) as a 32-bit integer; outside that range a run
// error.
int32_t ArrondiEntier(double x);
// x rounded to n significant digits (1234 -> 1230 for n = 3); 0 stays 0.
double ArrondiSignificatif(double x, int16_t n);
// Rescales x into [1, 1000) with the SI prefix of its power of ten ("E" down to "a", "" for 1 to
// 999, "µ" for micro). An x that no prefix fits (below 1e-18, 0, negative) is left as it is with
// no prefix, so that a label never keeps the prefix of the one before it.
void PrefixeSI(float& x, QString& prefixe);
