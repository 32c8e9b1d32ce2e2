#include "drawing/Cross.h"

#include <algorithm>
#include <cmath>

#include "drawing/Segments.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"

using namespace legacy;

void TraceCroix(double x, double y, double demi, double angle, double couleur, double rapport) {
  if (rapport == 0) LeveErreurExecution(QStringLiteral("division by zero"));
  const double s = demi, t = demi / rapport;
  const int32_t c = VersEntier32(couleur);
  auto segment = [c](double x1, double y1, double x2, double y2) {
    TraceSegment(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                 static_cast<float>(y2), 0, c);
  };
  if (angle == 0) {
    segment(x - s, y, x + s, y);
    segment(x, y - t, x, y + t);
    return;
  }
  const double co = std::cos(angle), si = std::sin(angle);
  segment(x + s * co, y - s * si, x - s * co, y + s * si);
  segment(x - t * si, y - t * co, x + t * si, y + t * co);
}

float DistanceCosinus(double a, double b, double c) {
  // a² + b² - 2ab cos γ is never below (a - b)²; rounding alone can take it under 0.
  const double carre = a * a + b * b - 2 * a * b * std::cos((c + 90) * 0.017453293);
  return VersSingle(std::sqrt(std::max(0.0, carre)));
}
