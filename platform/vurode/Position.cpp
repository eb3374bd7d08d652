#include "platform/vurode/Position.h"

#include <cmath>
#include <numbers>

void Position::Init() { *this = Position(); }

void Position::Set2(double px, double py) {
  x = px;
  y = py;
}

void Position::Set2(const double p[2]) { Set2(p[0], p[1]); }

double Position::Distance(const Position& o) const {
  return std::sqrt((x - o.x) * (x - o.x) + (y - o.y) * (y - o.y) + (z - o.z) * (z - o.z));
}

BOOL Position::IsInBox(const _tagBox2D& box, double tol) const {
  if (box.max[0] < box.min[0] || box.max[1] < box.min[1]) return FALSE;
  return x >= box.min[0] - tol && x <= box.max[0] + tol && y >= box.min[1] - tol &&
         y <= box.max[1] + tol;
}

void Position::Mirror(const double p[2], const double d[2]) {
  const double len2 = d[0] * d[0] + d[1] * d[1];
  if (len2 <= 0.0 || !std::isfinite(len2)) return;
  // Foot of the perpendicular, then step the same distance beyond it.
  const double t = ((x - p[0]) * d[0] + (y - p[1]) * d[1]) / len2;
  const double fx = p[0] + t * d[0];
  const double fy = p[1] + t * d[1];
  x = 2.0 * fx - x;
  y = 2.0 * fy - y;
}

Position GetPosIn45(const Position& start, const Position& cursor) {
  Position out = cursor;
  const double dx = cursor.x - start.x, dy = cursor.y - start.y;
  out.x = start.x;
  out.y = start.y;
  if (!std::isfinite(dx) || !std::isfinite(dy) || (dx == 0.0 && dy == 0.0)) return out;
  const double step = std::numbers::pi / 4.0;
  const double a = std::round(std::atan2(dy, dx) / step) * step;
  const double ux = std::cos(a), uy = std::sin(a);
  const double t = dx * ux + dy * uy;
  out.x = start.x + t * ux;
  out.y = start.y + t * uy;
  return out;
}
