#include "platform/numora/Ellipse.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// Local (ellipse-frame) vector rotated into the world.
void ToWorld(double rot, double lx, double ly, double out[2]) {
  const double c = std::cos(rot), s = std::sin(rot);
  out[0] = c * lx - s * ly;
  out[1] = s * lx + c * ly;
}

double Wrap01(double u) {
  u -= std::floor(u);
  return u >= 1.0 ? 0.0 : u;
}

// Nearest point of the quarter ellipse (x/e0)^2 + (y/e1)^2 = 1, e0 >= e1 > 0, to (y0, y1) with
// y0, y1 >= 0. The foot satisfies x_i = e_i^2 y_i / (t + e_i^2) for the Lagrange multiplier t,
// a root of a function that is monotone on the bracket used below, so bisection is safe.
void QuarterFoot(double e0, double e1, double y0, double y1, double& x0, double& x1) {
  if (y1 > 0.0) {
    if (y0 > 0.0) {
      const double z0 = y0 / e0, z1 = y1 / e1;
      const double g = z0 * z0 + z1 * z1 - 1.0;
      if (g == 0.0) {
        x0 = y0;
        x1 = y1;
        return;
      }
      const double r0 = (e0 / e1) * (e0 / e1);
      const double r0m1 = (e0 - e1) * (e0 + e1) / (e1 * e1);
      const double n0 = r0 * z0;
      // Root w = s + 1 of (n0/(w + r0 - 1))^2 + (z1/w)^2 = 1 (t = s e1^2). Working in w rather
      // than s keeps full relative precision when the point nears the major axis (w -> 0).
      double lo = z1, hi = g < 0.0 ? 1.0 : std::hypot(n0, z1), w = lo;
      for (int i = 0; i < 400; ++i) {
        w = 0.5 * (lo + hi);
        if (w == lo || w == hi) break;
        const double a = n0 / (w + r0m1), b = z1 / w;
        const double f = a * a + b * b - 1.0;
        if (f > 0.0) lo = w; else if (f < 0.0) hi = w; else break;
      }
      x0 = r0 * y0 / (w + r0m1);
      x1 = y1 / w;
      return;
    }
    x0 = 0.0;
    x1 = e1;
    return;
  }
  // On the major axis: inside the evolute's cusp the foot leaves the axis.
  const double num = e0 * y0, den = e0 * e0 - e1 * e1;
  if (num < den) {
    const double q = num / den;
    x0 = e0 * q;
    x1 = e1 * std::sqrt(std::max(0.0, 1.0 - q * q));
  } else {
    x0 = e0;
    x1 = 0.0;
  }
}

}  // namespace

void E2D_EvPos(const double centre[2], double a, double b, double rot, double u, double out[2]) {
  const double f = 2 * std::numbers::pi * u;
  ToWorld(rot, a * std::cos(f), b * std::sin(f), out);
  out[0] += centre[0];
  out[1] += centre[1];
}

void E2D_Ev1Der(const double centre[2], double a, double b, double rot, double u, double out[2]) {
  (void)centre;
  const double f = 2 * std::numbers::pi * u;
  ToWorld(rot, -2 * std::numbers::pi * a * std::sin(f), 2 * std::numbers::pi * b * std::cos(f), out);
}

void E2D_Ev2Der(const double centre[2], double a, double b, double rot, double u, double out[2]) {
  (void)centre;
  const double f = 2 * std::numbers::pi * u, k = 2 * std::numbers::pi * 2 * std::numbers::pi;
  ToWorld(rot, -k * a * std::cos(f), -k * b * std::sin(f), out);
}

double E2D_GetParamEx(const double centre[2], double a, double b, double rot, const double p[2]) {
  if (!(a > 0.0) || !(b > 0.0)) return 0.0;
  const double c = std::cos(rot), s = std::sin(rot);
  const double dx = p[0] - centre[0], dy = p[1] - centre[1];
  const double lx = c * dx + s * dy, ly = -s * dx + c * dy;
  if (lx == 0.0 && ly == 0.0) return 0.0;
  return Wrap01(std::atan2(ly / b, lx / a) / (2 * std::numbers::pi));
}

int E2D_GetNearestPt(const double centre[2], double a, double b, double rot, const double p[2],
                     double foot[2], double& u, double& dist) {
  if (!(a > 0.0) || !(b > 0.0) || !std::isfinite(a) || !std::isfinite(b) || !std::isfinite(rot) ||
      !std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(centre[0]) ||
      !std::isfinite(centre[1]))
    return 0;
  const double c = std::cos(rot), s = std::sin(rot);
  const double dx = p[0] - centre[0], dy = p[1] - centre[1];
  double l[2] = {c * dx + s * dy, -s * dx + c * dy};
  double e[2] = {a, b};
  const bool swapped = b > a;  // the quarter solver wants the longer axis first
  if (swapped) {
    std::swap(l[0], l[1]);
    std::swap(e[0], e[1]);
  }
  double x[2];
  QuarterFoot(e[0], e[1], std::fabs(l[0]), std::fabs(l[1]), x[0], x[1]);
  x[0] = std::copysign(x[0], l[0]);
  x[1] = std::copysign(x[1], l[1]);
  if (swapped) std::swap(x[0], x[1]);
  u = Wrap01(std::atan2(x[1] / b, x[0] / a) / (2 * std::numbers::pi));
  ToWorld(rot, x[0], x[1], foot);
  foot[0] += centre[0];
  foot[1] += centre[1];
  dist = std::hypot(p[0] - foot[0], p[1] - foot[1]);
  return 1;
}
