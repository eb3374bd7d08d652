// Shared figures and measures of the offset tests: loops built from point lists, dense samples
// of curves taken from their exact evaluation (not their cached points), and brute-force
// distances.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "tests/support/ShoelaceArea.h"

namespace offset_test {

using P = std::array<double, 2>;

inline std::unique_ptr<CGeLoop> PolygonLoop(const std::vector<P>& pts) {
  auto loop = std::make_unique<CGeLoop>();
  for (size_t i = 0; i < pts.size(); ++i)
    loop->AddTail(new CGeLine(pts[i].data(), pts[(i + 1) % pts.size()].data()), 0);
  loop->CalcBox2d();
  return loop;
}

inline std::vector<P> Square(double s) { return {{0, 0}, {s, 0}, {s, s}, {0, s}}; }

inline std::vector<P> Transformed(std::vector<P> pts, double angle, P shift, bool reverse) {
  for (P& p : pts) {
    const double x = p[0] * std::cos(angle) - p[1] * std::sin(angle) + shift[0];
    const double y = p[0] * std::sin(angle) + p[1] * std::cos(angle) + shift[1];
    p = {x, y};
  }
  if (reverse) std::reverse(pts.begin(), pts.end());
  return pts;
}

// Points along every segment of the curve, n per segment, from the exact evaluators.
inline void Sample(CGeCurve* c, int n, std::vector<P>& out) {
  const int segs = std::max(1, c->GetSegmentCount());
  for (int s = 1; s <= segs; ++s)
    for (int i = 0; i < n; ++i) {
      P p;
      c->GetPointAt(static_cast<double>(i) / n, p.data(), static_cast<unsigned>(s));
      out.push_back(p);
    }
}

inline std::vector<P> SampleLoop(CGeCombCurve* loop, int n) {
  std::vector<P> pts;
  for (POSITION pos = loop->m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* c = loop->m_CurveList.GetNext(pos)) Sample(c, n, pts);
  return pts;
}

inline double Shoelace(const std::vector<P>& pts) {
  return shoelace::Area(pts.size(), [&](size_t i) { return pts[i]; });
}

inline double SegDist(const P& p, const P& a, const P& b) {
  const double dx = b[0] - a[0], dy = b[1] - a[1];
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p[0] - a[0] - t * dx, p[1] - a[1] - t * dy);
}

// Distance from p to the closed polygon.
inline double PolygonDist(const P& p, const std::vector<P>& poly) {
  double best = 1e300;
  for (size_t i = 0; i < poly.size(); ++i)
    best = std::min(best, SegDist(p, poly[i], poly[(i + 1) % poly.size()]));
  return best;
}

}  // namespace offset_test
