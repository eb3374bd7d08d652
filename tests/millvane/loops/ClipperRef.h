// Clipper as an independent reference for offsets and booleans (scaled integer coordinates).
#pragma once

#include <polyclipping/clipper.hpp>

#include "tests/millvane/LoopTestUtil.h"

namespace looptest {

constexpr double kScale = 1e5;

inline ClipperLib::Path ToPath(const Pts& p) {
  ClipperLib::Path out;
  for (auto& q : p)
    out.push_back({ClipperLib::cInt(std::llround(q[0] * kScale)),
                   ClipperLib::cInt(std::llround(q[1] * kScale))});
  return out;
}

// Dense polygons of a contour list (outer loops and islands).
inline ClipperLib::Paths ToPaths(const CSmartLoop* list) {
  ClipperLib::Paths out;
  for (; list; list = list->next) {
    out.push_back(ToPath(Sample(list, 400)));
    for (CSmartLoop* i = list->islands; i; i = i->next) out.push_back(ToPath(Sample(i, 400)));
  }
  return out;
}

// Doubled signed area in model units.
inline double PathsArea2(const ClipperLib::Paths& ps) {
  double a = 0;
  for (auto& p : ps) a += ClipperLib::Area(p);
  return 2 * a / (kScale * kScale);
}

// Round-joined offset of polygons by d (positive grows, whatever their orientation), united.
// The arcs are chords that stray at most arcTol inside the true arcs.
inline double ClipperOffsetArea2(const std::vector<Pts>& polys, double d, double arcTol = 0.0005) {
  ClipperLib::ClipperOffset co;
  co.ArcTolerance = arcTol * kScale;
  for (auto& poly : polys) co.AddPath(ToPath(poly), ClipperLib::jtRound, ClipperLib::etClosedPolygon);
  ClipperLib::Paths out;
  co.Execute(out, d * kScale);
  return std::fabs(PathsArea2(out));
}

inline double ClipperBoolArea2(const ClipperLib::Paths& a, const ClipperLib::Paths& b,
                               ClipperLib::ClipType op) {
  ClipperLib::Clipper c;
  c.AddPaths(a, ClipperLib::ptSubject, true);
  c.AddPaths(b, ClipperLib::ptClip, true);
  ClipperLib::Paths out;
  c.Execute(op, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
  return PathsArea2(out);
}

}  // namespace looptest
