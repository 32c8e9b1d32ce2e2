#pragma once

// The drawing fixture with the device pixels of filled polygons, whose vertices are whole pixels.

#include <cmath>

#include "drawing/DrawingFixture.h"

class CommandsTest : public DrawingTest {
 protected:
  static QPointF PxEntier(double x, double y) {
    const QPointF p = Px(x, y);
    return {std::nearbyint(p.x()), std::nearbyint(p.y())};
  }
  bool RienDessine() { return Lignes().empty() && Cercles().empty() && Polygones().empty(); }
};
