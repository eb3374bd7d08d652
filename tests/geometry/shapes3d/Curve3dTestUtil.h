// Helpers of the NURBS, offset and composite curve tests: archive bytes and round trips, and a
// few curves with known geometry.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>
#include <numbers>

#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "platform/afx/Afx.h"
#include "platform/vurode/KXGlobal.h"
#include "Shape3dTestUtil.h"
#include "support/VurodeFixture.h"

namespace c3t {
using shapes3d_test::Dbl;
using shapes3d_test::Dist;
using shapes3d_test::Fields;
using shapes3d_test::Int;
using shapes3d_test::RoundTrip;

inline void PutInt(std::vector<BYTE>& b, size_t at, int32_t v) { std::memcpy(b.data() + at, &v, 4); }
inline void PutDbl(std::vector<BYTE>& b, size_t at, double v) { std::memcpy(b.data() + at, &v, 8); }

// A new T loaded from raw Serialize bytes (the caller owns it); throws what the archive throws.
template <typename T>
T* LoadNew(const std::vector<BYTE>& bytes) {
  auto ob = std::make_unique<T>();
  shapes3d_test::LoadFields(*ob, bytes);
  return ob.release();
}

// Exact rational circle of radius r about c in the plane z = c.z, counter-clockwise.
inline CGeNrbCrv3d* Circle(double r, const double c[3] = nullptr) {
  BCRV* crv = BCRV_New();
  const double o[3] = {0.0, 0.0, 0.0};
  crv->GenCircle(c ? c : o, r);
  if (c) {
    const double dz[3] = {0.0, 0.0, c[2]};
    crv->Move(dz);
  }
  return new CGeNrbCrv3d(crv);
}

// Interpolating cubic through a helix-like wave (not planar).
inline CGeNrbCrv3d* Wave() {
  double pts[9][3];
  for (int i = 0; i < 9; ++i) {
    pts[i][0] = i;
    pts[i][1] = std::sin(i * 0.8) * 2.0;
    pts[i][2] = std::cos(i * 0.5);
  }
  auto* c = new CGeNrbCrv3d;
  c->CreateInterp(pts, 9, 3, 0.01);
  return c;
}

// Base fixture: default settings plus a settings object of the current document version, so
// that curves store and load their shape part.
class Curve3dTest : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    gNewKXGlobal();
  }
};

}  // namespace c3t
