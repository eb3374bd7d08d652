// Checks shared by the curve-intersection tests: records lie on both curves where their
// segment and parameter say, and a pair taken in reverse order gives the same points with the
// curve fields exchanged.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

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

// Point of a curve at a record's (parameter, segment); composites are checked through their
// element by the callers that build them.
inline void ExpectAt(CGeCurve* c, double t, int seg, const _tagInterPnt& r, double tol,
                     const char* which) {
  double p[2];
  c->GetPointAt(t, p, static_cast<unsigned>(seg));
  EXPECT_NEAR(p[0], r.x, tol) << which << " at t=" << t << " seg=" << seg;
  EXPECT_NEAR(p[1], r.y, tol) << which << " at t=" << t << " seg=" << seg;
}

inline void ExpectOnBoth(CGeCurve* a, CGeCurve* b, const std::vector<_tagInterPnt>& recs,
                         double tol) {
  for (const _tagInterPnt& r : recs) {
    ExpectAt(a, r.t1, r.seg1, r, tol, "curve 1");
    ExpectAt(b, r.t2, r.seg2, r, tol, "curve 2");
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

}  // namespace citest
