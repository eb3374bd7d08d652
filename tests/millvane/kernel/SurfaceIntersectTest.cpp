// Surface-surface intersection tracing checked against closed forms: every traced point lies
// on both surfaces and its stored (u, v) on each reproduces it.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "KernelFixture.h"
#include "millvane/kernel/CurveRecords.h"
#include "millvane/kernel/SurfaceIntersect.h"
#include "millvane/kernel/SurfaceRecords.h"
#include "platform/numora/Memory.h"

namespace {

using Rec = std::unique_ptr<ENT_Record, RecordDeleter>;
constexpr double kPi = std::numbers::pi;

class SurfaceIntersectTest : public KernelTest {};

// Bilinear plane through o spanned by e1 (u) and e2 (v), each over [-h, h].
Rec Plane(const std::vector<double>& o, const std::vector<double>& e1,
          const std::vector<double>& e2, double h) {
  _nurbs_surface* s = BSRF_Create(2, 2, 2, 2);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      const double a = i ? h : -h, b = j ? h : -h;
      for (int k = 0; k < 3; ++k) s->net[j][i][k] = o[size_t(k)] + a * e1[size_t(k)] + b * e2[size_t(k)];
      s->net[j][i][3] = 1.0;
    }
  return Rec(SRF_NewBspline(s));
}

// Cylinder of radius r: the circle about `axis` through c (frame X, Y), extruded along axis.
Rec Cylinder(const std::vector<double>& c, const std::vector<double>& X,
             const std::vector<double>& Y, double r) {
  _rect_fm3d f;
  RF_Init(&f);
  for (int k = 0; k < 3; ++k) {
    f.origin[k] = c[size_t(k)];
    f.xAxis[k] = X[size_t(k)];
    f.yAxis[k] = Y[size_t(k)];
  }
  double z[3] = {X[1] * Y[2] - X[2] * Y[1], X[2] * Y[0] - X[0] * Y[2], X[0] * Y[1] - X[1] * Y[0]};
  for (int k = 0; k < 3; ++k) f.zAxis[k] = z[k];
  return Rec(SRF_NewExtrude(z, CRV_NewCircle(&f, r)));
}

Rec Sphere(double x, double y, double z, double r) {
  _rect_fm3d f = kt::TiltedFrame(x, y, z);
  return Rec(kt::NewSphere(f, r));
}

const _tagBox2D kUnit{{0, 0}, {1, 1}};
const _tagBox2D kSphereBox{{0, -kPi / 2}, {2 * kPi, kPi / 2}};
_tagBox2D CylBox(double h) { return {{0, -h}, {2 * kPi, h}}; }

// One intersection run; frees its chains and caches.
struct SsiRun {
  int rc = 0;
  LST_Node* traces = nullptr;
  SSI_CurveNode* chain = nullptr;
  void* cacheA = nullptr;
  void* cacheB = nullptr;
  std::vector<_intcur*> curves;
  std::vector<const LST_Node*> points;

  SsiRun(ENT_Record* A, ENT_Record* B, const _tagBox2D& ba, const _tagBox2D& bb) {
    rc = SRF_IntersectSurfaces(A, B, &ba, &cacheA, &bb, &cacheB, &traces, &chain);
    for (SSI_CurveNode* n = chain; n; n = n->next) curves.push_back(n->curve);
    for (const LST_Node* n = traces; n; n = n->next) points.push_back(n);
  }
  ~SsiRun() {
    for (SSI_CurveNode* n = chain; n;) {
      SSI_CurveNode* next = n->next;
      ENT_Free(n->curve);
      KX_MemFree(n);
      n = next;
    }
    LST_FreeChain(traces);
    SSI_FreeSampleCache(cacheA);
    SSI_FreeSampleCache(cacheB);
  }
  SsiRun(const SsiRun&) = delete;
  SsiRun& operator=(const SsiRun&) = delete;
};

int Count(const _intcur* c) { return c->points->count; }
const SSI_TracedPoint& At(const _intcur* c, int i) { return c->points->points[i]; }

double Length(const _intcur* c) {
  double L = 0.0;
  for (int i = 1; i < Count(c); ++i) L += kt::Dist(At(c, i - 1).point, At(c, i).point);
  return L;
}

bool Closed(const _intcur* c) {
  return kt::Dist(At(c, 0).point, At(c, Count(c) - 1).point) < TOL_precision;
}

// The invariants of every traced curve: points on both surfaces at their stored (u, v), unit
// tangents perpendicular to both normals, increasing parameters.
void ExpectTraced(const _intcur* c) {
  ASSERT_GE(Count(c), 2);
  for (int i = 0; i < Count(c); ++i) {
    const SSI_TracedPoint& q = At(c, i);
    double pa[3], pb[3];
    ASSERT_EQ(SRF_EvPos(pa, c->surfaceA, q.uvA[0], q.uvA[1]), 1);
    ASSERT_EQ(SRF_EvPos(pb, c->surfaceB, q.uvB[0], q.uvB[1]), 1);
    EXPECT_LT(kt::Dist(pa, q.point), 1e-7) << "point " << i << " on A";
    EXPECT_LT(kt::Dist(pb, q.point), 1e-7) << "point " << i << " on B";
    EXPECT_NEAR(std::hypot(q.tangent[0], q.tangent[1], q.tangent[2]), 1.0, 1e-9);
    if (i > 0) {
      EXPECT_GT(q.param, At(c, i - 1).param) << i;
    }
  }
}

using Residual = std::function<double(const double p[3])>;

struct ClosedForm {
  std::string name;
  std::function<Rec()> a, b;
  _tagBox2D boxA, boxB;
  int curves;
  int closed;        // how many of them close
  double length;     // total length of all curves
  Residual residual; // 0 on the exact intersection
  double lengthTol = 2e-3;
};

TEST_F(SurfaceIntersectTest, ClosedFormIntersections) {
  const double R = 1.0, d = 0.6, rs = 0.4;
  const double s2 = std::sqrt(0.5);
  const double theta = 0.5;  // oblique plane's tilt from the axis' normal plane
  const double x0 = (1.2 * 1.2 + 1.0 - 0.8 * 0.8) / (2 * 1.2);  // radical plane of two spheres
  // Perimeter of the ellipse with semi-axes a, b (numerically).
  auto perimeter = [](double a, double b) {
    double L = 0;
    const int n = 200000;
    for (int i = 0; i < n; ++i) {
      const double t = 2 * kPi * (i + 0.5) / n;
      L += std::hypot(a * std::sin(t), b * std::cos(t)) * 2 * kPi / n;
    }
    return L;
  };
  const std::vector<ClosedForm> cases = {
      {"plane-plane: a line along n1 x n2 ending on the boxes",
       [] { return Plane({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 1.0); },
       [] { return Plane({0.3, 0, 0}, {0, 0.6, 0.8}, {0, -0.8, 0.6}, 1.5); }, kUnit, kUnit, 1, 0,
       2.0, [](const double p[3]) { return std::hypot(p[0] - 0.3, p[2]); }},
      {"plane-sphere: one circle of radius sqrt(R^2 - d^2)", [] { return Sphere(0.1, -0.2, 0.4, 1.0); },
       [] { return Plane({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 2.0); }, kSphereBox, kUnit, 1, 1,
       2 * kPi * std::sqrt(1 - 0.16),
       [](const double p[3]) {
         return std::fabs(p[2]) + std::fabs(std::hypot(p[0] - 0.1, p[1] + 0.2) - std::sqrt(1 - 0.16));
       }},
      {"plane normal to a cylinder's axis: circle R",
       [&] { return Cylinder({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, R); },
       [] { return Plane({0, 0, 0.5}, {1, 0, 0}, {0, 1, 0}, 2.0); }, CylBox(2), kUnit, 1, 1,
       2 * kPi * R,
       [&](const double p[3]) { return std::fabs(p[2] - 0.5) + std::fabs(std::hypot(p[0], p[1]) - R); }},
      {"oblique plane on a cylinder: ellipse R by R / cos(theta)",
       [&] { return Cylinder({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, R); },
       [&] {
         return Plane({0, 0, 0.2}, {std::cos(theta), 0, std::sin(theta)}, {0, 1, 0}, 2.0);
       },
       CylBox(2), kUnit, 1, 1, perimeter(R / std::cos(theta), R),
       [&](const double p[3]) {
         return std::fabs(std::hypot(p[0], p[1]) - R) +
                std::fabs(p[2] - 0.2 - p[0] * std::tan(theta));
       }},
      {"plane parallel to a cylinder's axis at d < R: two lines",
       [&] { return Cylinder({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, R); },
       [&] { return Plane({d, 0, 0}, {0, 1, 0}, {0, 0, 1}, 2.0); }, CylBox(1.5), kUnit, 2, 0,
       2 * 3.0,
       [&](const double p[3]) {
         return std::fabs(p[0] - d) + std::fabs(std::fabs(p[1]) - std::sqrt(R * R - d * d));
       }},
      {"plane tangent to a cylinder along a line",
       [&] { return Cylinder({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, R); },
       [&] { return Plane({R, 0, 0}, {0, 1, 0}, {0, 0, 1}, 2.0); }, CylBox(1.5), kUnit, 1, 0, 3.0,
       [&](const double p[3]) { return std::fabs(p[0] - R) + std::fabs(p[1]); }, 1e-3},
      {"sphere-sphere: a circle in the radical plane", [] { return Sphere(0, 0, 0, 1.0); },
       [] { return Sphere(1.2, 0, 0, 0.8); }, kSphereBox, kSphereBox, 1, 1,
       2 * kPi * std::sqrt(1 - x0 * x0),
       [&](const double p[3]) {
         return std::fabs(p[0] - x0) + std::fabs(std::hypot(p[1], p[2]) - std::sqrt(1 - x0 * x0));
       }},
      {"two equal perpendicular cylinders: two ellipses through two touching points",
       [&] { return Cylinder({0, 0, 0}, {1, 0, 0}, {0, 0, 1}, R); },
       [&] { return Cylinder({0, 0, 0}, {0, 1, 0}, {0, 0, 1}, R); }, CylBox(1.5), CylBox(1.5), -1,
       -1, 2 * perimeter(R * std::sqrt(2.0), R),
       [&](const double p[3]) {
         return std::fabs(std::fabs(p[0]) - std::fabs(p[1])) + std::fabs(std::hypot(p[0], p[2]) - R);
       }},
  };
  (void)s2;
  (void)rs;
  for (const ClosedForm& c : cases) {
    SCOPED_TRACE(c.name);
    Rec a = c.a(), b = c.b();
    SsiRun run(a.get(), b.get(), c.boxA, c.boxB);
    ASSERT_EQ(run.rc, 1);
    EXPECT_TRUE(run.points.empty());
    if (c.curves >= 0) {
      ASSERT_EQ(int(run.curves.size()), c.curves);
    } else {
      ASSERT_GE(run.curves.size(), 2u);
    }
    double total = 0.0;
    int closed = 0;
    for (const _intcur* k : run.curves) {
      ExpectTraced(k);
      for (int i = 0; i < Count(k); ++i) EXPECT_LT(c.residual(At(k, i).point), 1e-7) << i;
      total += Length(k);
      closed += Closed(k) ? 1 : 0;
    }
    if (c.closed >= 0) {
      EXPECT_EQ(closed, c.closed);
    }
    EXPECT_NEAR(total, c.length, c.lengthTol);
  }
}

}  // namespace
