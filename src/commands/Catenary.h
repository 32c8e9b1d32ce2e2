#pragma once

// The hanging-chain solver: from some of the quantities of a chain hung between two points (span
// dx, drop dy of the second point below the first, length L, parameter a, starting angle theta
// below the horizontal, distance x from the first point to the lowest point of the full curve),
// with 0 standing for "unknown", it computes the others. Every search is bounded, yields to the
// event loop and ends on a stop request; a chain that cannot hang as asked is a run error.

#include <QString>

// A run error whose detail names the command and the reason.
[[noreturn]] void ErreurChainette(const QString& raison);

// Hyperbolic sine and cosine; an argument beyond the range of the exponential is a run error.
double Sh(double x);
double Ch(double x);
double ArgSh(double x);

// Height of the first point above the second, and length, for the vertex at x and parameter a;
// they grow without bound (to infinity) rather than fail, so that searches can compare them.
double HauteurChainette(double x, double a, double dx);
double LongueurChainette(double x, double a, double dx);

// Chooses the case by the pattern of zeros: theta given (a, x, L computed); dx, dy and L given
// (a, x, theta); dx, dy and a given (x, L, theta); dx, L and a given with dy 0 (dy, x, theta).
// Any other pattern leaves the values as they are. x is 0 on entry.
void ResoutChainette(double& dx, double& dy, double& L, double& a, double& theta, double& x);

// The parameter a and the vertex distance x of the chain of length L through both points.
void CoefChainette(double L, double dx, double dy, double& a, double& x);
