// A cursor or snap position: the world point and where it shows on the screen.
#pragma once

#include "platform/numora/Records.h"
#include "platform/win/WinTypes.h"

class Position {
 public:
  Position() = default;
  Position(double px, double py, double pz = 0.0) : x(px), y(py), z(pz) {}

  // Everything back to zero.
  void Init();
  // Sets the world x and y; z and the screen point stay.
  void Set2(double px, double py);
  void Set2(const double p[2]);
  // Euclidean distance between the world points.
  double Distance(const Position& other) const;
  // True when x, y lie in the box grown by tol on every side (the border counts as inside).
  // An empty box (max below min) holds nothing.
  BOOL IsInBox(const _tagBox2D& box, double tol = 0.0) const;
  // Reflects x, y in the line through p with direction d; z stays. A zero direction leaves
  // the point alone.
  void Mirror(const double p[2], const double d[2]);

  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  int sx = 0;  // screen x, pixels
  int sy = 0;  // screen y, pixels (downwards)
};

// The cursor drawn onto the nearest of the eight directions from start in 45-degree steps: the
// world x and y become the foot of the perpendicular from the cursor onto that direction; z and
// the screen point stay the cursor's. A cursor on start gives start's x and y.
Position GetPosIn45(const Position& start, const Position& cursor);
