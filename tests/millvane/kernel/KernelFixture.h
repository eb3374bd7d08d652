// Shared fixture and builders of the surface-kernel tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "millvane/kernel/KernelRecords.h"
#include "platform/numora/Frame.h"
#include "platform/numora/Memory.h"

class KernelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TOL_ResetDefaults();
    KX_MemFailAfter(0);
  }
  void TearDown() override {
    TOL_ResetDefaults();
    KX_MemFailAfter(0);
  }
};

// Deletes a record through ENT_Free, or directly for the kinds ENT_Free leaves to the owner.
struct RecordDeleter {
  void operator()(ENT_Record* r) const {
    if (r && ENT_Free(r) == 0) KX_MemFree(r);
  }
};

namespace kt {

inline double Dist(const double a[3], const double b[3]) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

// Order-2 curve through the points.
inline BCRV* Polyline(std::initializer_list<std::vector<double>> pts) {
  BCRV* c = BCRV_New(2, int(pts.size()));
  int i = 0;
  for (const auto& p : pts) {
    for (int k = 0; k < 3; ++k) c->ctrlPts[i][k] = p[size_t(k)];
    c->ctrlPts[i][3] = 1.0;
    ++i;
  }
  return c;
}

// Tilted orthonormal frame at the origin o.
inline _rect_fm3d TiltedFrame(double ox, double oy, double oz) {
  _rect_fm3d f;
  RF_Init(&f);
  const double a = 0.4, b = 0.7;
  // X and Y rotated about (1, 1, 0)-ish by composing two rotations.
  const double X[3] = {std::cos(a), std::sin(a) * std::cos(b), std::sin(a) * std::sin(b)};
  const double Y[3] = {-std::sin(a), std::cos(a) * std::cos(b), std::cos(a) * std::sin(b)};
  const double Z[3] = {0.0, -std::sin(b), std::cos(b)};
  for (int i = 0; i < 3; ++i) {
    f.xAxis[i] = X[i];
    f.yAxis[i] = Y[i];
    f.zAxis[i] = Z[i];
  }
  f.origin[0] = ox, f.origin[1] = oy, f.origin[2] = oz;
  return f;
}

// Sphere record (no constructor makes one).
inline SRF_Sphere* NewSphere(const _rect_fm3d& frame, double r) {
  auto* s = static_cast<SRF_Sphere*>(KX_MemAlloc(sizeof(SRF_Sphere)));
  s->type = ENT_SPHERE;
  s->sense = 1;
  s->frame = frame;
  s->radius = r;
  return s;
}

// Bilinear plane z = 0 over [-h, h]^2 with u along x and v along y.
inline _nurbs_surface* PlaneZ0(double h) {
  _nurbs_surface* s = BSRF_Create(2, 2, 2, 2);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      s->net[j][i][0] = i ? h : -h;
      s->net[j][i][1] = j ? h : -h;
      s->net[j][i][2] = 0.0;
      s->net[j][i][3] = 1.0;
    }
  return s;
}

}  // namespace kt
