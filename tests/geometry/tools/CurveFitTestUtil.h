// Measures shared by the fitting tests: dense samples of curves, the symmetric Hausdorff
// distance of two sampled paths, chain connectivity and tangent turns at joints.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "geometry/shapes2d/GeCurve.h"

namespace fittest {

struct P {
  double x, y;
};

inline double Dist(P a, P b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Distance of p from the segment a-b.
inline double DistToSegment(P p, P a, P b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double l2 = dx * dx + dy * dy;
  double t = l2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / l2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return Dist(p, {a.x + t * dx, a.y + t * dy});
}

inline double DistToPath(P p, const std::vector<P>& path) {
  double best = 1e300;
  for (size_t i = 0; i + 1 < path.size(); ++i)
    best = std::min(best, DistToSegment(p, path[i], path[i + 1]));
  if (path.size() == 1) best = Dist(p, path[0]);
  return best;
}

// Symmetric Hausdorff distance of two densely sampled paths.
inline double Hausdorff(const std::vector<P>& a, const std::vector<P>& b) {
  double h = 0.0;
  for (P p : a) h = std::max(h, DistToPath(p, b));
  for (P p : b) h = std::max(h, DistToPath(p, a));
  return h;
}

inline std::vector<P> SampleFunction(const std::function<P(double)>& f, int n) {
  std::vector<P> out;
  for (int i = 0; i <= n; ++i) out.push_back(f(static_cast<double>(i) / n));
  return out;
}

// Samples of each curve of the list in order, per = samples per curve and segment.
inline std::vector<P> SampleList(CGeCurveList& list, int per) {
  std::vector<P> out;
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    CGeCurve* c = list.GetNext(pos);
    if (!c) continue;
    const int segs = std::max(c->GetSegmentCount(), 1);
    for (int s = 1; s <= segs; ++s)
      for (int i = 0; i <= per; ++i) {
        double p[2];
        c->EvPos(static_cast<double>(i) / per, p, s);
        out.push_back({p[0], p[1]});
      }
  }
  return out;
}

inline std::vector<CGeCurve*> Items(CGeCurveList& list) {
  std::vector<CGeCurve*> out;
  for (POSITION pos = list.GetHeadPosition(); pos;) out.push_back(list.GetNext(pos));
  return out;
}

inline void FreeList(CGeCurveList& list) {
  while (!list.IsEmpty()) delete list.RemoveHead();
}

// Largest gap between the end of one piece and the start of the next.
inline double LargestGap(CGeCurveList& list) {
  double gap = 0.0;
  CGeCurve* prev = nullptr;
  for (CGeCurve* c : Items(list)) {
    if (prev) {
      double e[2], s[2];
      prev->GetEndPoint(e);
      c->GetStartPoint(s);
      gap = std::max(gap, std::hypot(e[0] - s[0], e[1] - s[1]));
    }
    prev = c;
  }
  return gap;
}

// Unsigned turn at a joint between the end tangent of a and the start tangent of b.
inline double JointTurn(CGeCurve* a, CGeCurve* b) {
  double ta[2], tb[2];
  a->GetTanVecAt(1.0, ta, std::max(a->GetSegmentCount(), 1));
  b->GetTanVecAt(0.0, tb, 1);
  const double cr = ta[0] * tb[1] - ta[1] * tb[0];
  const double dt = ta[0] * tb[0] + ta[1] * tb[1];
  return std::fabs(std::atan2(cr, dt));
}

inline double LargestJointTurn(CGeCurveList& list) {
  double turn = 0.0;
  const std::vector<CGeCurve*> v = Items(list);
  for (size_t i = 0; i + 1 < v.size(); ++i) turn = std::max(turn, JointTurn(v[i], v[i + 1]));
  return turn;
}

// Test name from a case's `name` field: letters and digits kept, the rest as underscores.
inline constexpr auto CaseName = [](const auto& info) {
  std::string n = info.param.name;
  for (char& ch : n)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return n;
};

constexpr double kDegree = std::numbers::pi / 180.0;

}  // namespace fittest
