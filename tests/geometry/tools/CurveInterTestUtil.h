// Checks shared by the curve-intersection tests: records lie on both curves where their
// segment and parameter say, and a pair taken in reverse order gives the same points with the
// curve fields exchanged.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeCurve.h"
#include "geometry/tools/CurveInter.h"

namespace citest {

inline std::vector<_tagInterPnt> Inter(CGeCurve* a, CGeCurve* b) {
  CInterPntArray out;
  CCurveInter ci;
  const int res = ci.CurveCurve(a, b, &out);
  EXPECT_EQ(res, out.GetSize() > 0 ? 1 : 0);
  return std::vector<_tagInterPnt>(out.GetData(), out.GetData() + out.GetSize());
}

// Point of a curve at a record's (parameter, segment); on a composite or loop the segment
// names the element and the sub-segment the segment within it.
inline void ExpectAt(CGeCurve* c, double t, int seg, int sub, const _tagInterPnt& r, double tol,
                     const char* which) {
  double p[2];
  if (c->GetType() == 0x40 || c->GetType() == 0x80) {
    CGeCurve* e = static_cast<CGeCombCurve*>(c)->GetSubCurve(seg);
    ASSERT_NE(e, nullptr) << which << " has no element " << seg;
    e->GetPointAt(t, p, static_cast<unsigned>(sub));
  } else {
    EXPECT_EQ(sub, 1) << which;
    c->GetPointAt(t, p, static_cast<unsigned>(seg));
  }
  EXPECT_NEAR(p[0], r.x, tol) << which << " at t=" << t << " seg=" << seg;
  EXPECT_NEAR(p[1], r.y, tol) << which << " at t=" << t << " seg=" << seg;
}

inline void ExpectOnBoth(CGeCurve* a, CGeCurve* b, const std::vector<_tagInterPnt>& recs,
                         double tol) {
  for (const _tagInterPnt& r : recs) {
    ExpectAt(a, r.t1, r.seg1, r.sub1, r, tol, "curve 1");
    ExpectAt(b, r.t2, r.seg2, r.sub2, r, tol, "curve 2");
  }
}

// CurveCurve(b, a) gives CurveCurve(a, b)'s records with the curve fields exchanged. Pairs of
// different kinds run the same computation, so the records agree exactly; pairs of one kind
// may report the points in another order, so they are matched by position within tol.
inline void ExpectSwapSymmetric(CGeCurve* a, CGeCurve* b, double tol) {
  const auto ab = Inter(a, b);
  const auto ba = Inter(b, a);
  ASSERT_EQ(ab.size(), ba.size());
  if (a->GetType() != b->GetType()) {
    for (size_t i = 0; i < ab.size(); ++i) {
      EXPECT_EQ(ab[i].x, ba[i].x);
      EXPECT_EQ(ab[i].y, ba[i].y);
      EXPECT_EQ(ab[i].seg1, ba[i].seg2);
      EXPECT_EQ(ab[i].seg2, ba[i].seg1);
      EXPECT_EQ(ab[i].t1, ba[i].t2);
      EXPECT_EQ(ab[i].t2, ba[i].t1);
      EXPECT_EQ(ab[i].sub1, ba[i].sub2);
      EXPECT_EQ(ab[i].sub2, ba[i].sub1);
    }
    return;
  }
  std::vector<bool> used(ba.size(), false);
  for (const _tagInterPnt& r : ab) {
    bool matched = false;
    for (size_t j = 0; j < ba.size() && !matched; ++j) {
      const _tagInterPnt& s = ba[j];
      if (used[j] || std::hypot(r.x - s.x, r.y - s.y) > tol) continue;
      if (r.seg1 != s.seg2 || r.seg2 != s.seg1) continue;
      if (std::fabs(r.t1 - s.t2) > tol || std::fabs(r.t2 - s.t1) > tol) continue;
      used[j] = matched = true;
    }
    EXPECT_TRUE(matched) << "no swapped partner for (" << r.x << ", " << r.y << ")";
  }
}

// Crossings of two curves found by sampling both densely (n points per segment) and
// intersecting the sampled chains pairwise: an answer independent of the kernel. `robust` is
// cleared when a crossing is grazing (angle below 0.15 rad), lies near an end or a segment
// joint, or lies near another crossing; such cases are ambiguous at sampling precision.
struct Brute {
  std::vector<std::array<double, 2>> pts;
  bool robust = true;
};

inline Brute BruteCrossings(CGeCurve* a, CGeCurve* b, int n) {
  struct Chain {
    std::vector<std::array<double, 2>> p;
    std::vector<std::array<double, 2>> ends;  // curve ends and segment joints
  };
  auto sample = [n](CGeCurve* c) {
    Chain ch;
    const int segs = c->GetSegmentCount();
    const int steps = c->GetType() == 0x20 ? 1 : n;  // polyline segments are sampled exactly
    for (int s = 1; s <= segs; ++s) {
      for (int i = (s == 1 ? 0 : 1); i <= steps; ++i) {
        std::array<double, 2> q;
        c->GetPointAt(double(i) / steps, q.data(), unsigned(s));
        ch.p.push_back(q);
        if (i == 0 || i == steps) ch.ends.push_back(q);
      }
    }
    return ch;
  };
  const Chain ca = sample(a), cb = sample(b);
  Brute out;
  for (size_t i = 0; i + 1 < ca.p.size(); ++i) {
    const auto &p0 = ca.p[i], &p1 = ca.p[i + 1];
    const double dx = p1[0] - p0[0], dy = p1[1] - p0[1];
    for (size_t j = 0; j + 1 < cb.p.size(); ++j) {
      const auto &q0 = cb.p[j], &q1 = cb.p[j + 1];
      const double ex = q1[0] - q0[0], ey = q1[1] - q0[1];
      const double den = dx * ey - dy * ex;
      if (den == 0.0) continue;
      const double wx = q0[0] - p0[0], wy = q0[1] - p0[1];
      const double s = (wx * ey - wy * ex) / den, u = (wx * dy - wy * dx) / den;
      if (s < 0.0 || s >= 1.0 || u < 0.0 || u >= 1.0) continue;
      const std::array<double, 2> x = {p0[0] + s * dx, p0[1] + s * dy};
      const double sine = std::fabs(den) / (std::hypot(dx, dy) * std::hypot(ex, ey));
      if (sine < 0.15) out.robust = false;
      for (const auto* ends : {&ca.ends, &cb.ends})
        for (const auto& e : *ends)
          if (std::hypot(e[0] - x[0], e[1] - x[1]) < 0.01) out.robust = false;
      for (const auto& y : out.pts)
        if (std::hypot(y[0] - x[0], y[1] - x[1]) < 0.01) out.robust = false;
      out.pts.push_back(x);
    }
  }
  return out;
}

// The records match the sampled crossings one to one within tol. Returns false (checking
// nothing) when the sampled answer is not robust.
inline bool ExpectMatchesSampling(CGeCurve* a, CGeCurve* b, int n, double tol) {
  const Brute brute = BruteCrossings(a, b, n);
  if (!brute.robust) return false;
  const auto recs = Inter(a, b);
  EXPECT_EQ(recs.size(), brute.pts.size());
  for (const auto& x : brute.pts) {
    bool found = false;
    for (const _tagInterPnt& r : recs) found = found || std::hypot(r.x - x[0], r.y - x[1]) < tol;
    EXPECT_TRUE(found) << "sampled crossing (" << x[0] << ", " << x[1] << ") not reported";
    if (!found)
      for (const _tagInterPnt& r : recs)
        ADD_FAILURE() << "record " << r.x << " " << r.y << " seg " << r.seg1 << "/" << r.seg2
                      << " t " << r.t1 << "/" << r.t2;
  }
  return true;
}

}  // namespace citest
