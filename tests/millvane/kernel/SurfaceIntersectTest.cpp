// Surface-surface intersection tracing checked against closed forms: every traced point lies
// on both surfaces and its stored (u, v) on each reproduces it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "KernelFixture.h"
#include "millvane/kernel/CurveRecords.h"
#include "millvane/kernel/KernelNumerics.h"
#include "millvane/kernel/SurfaceIntersect.h"
#include "millvane/kernel/SurfaceRecords.h"
#include "millvane/kernel/SurfaceSampling.h"
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

  // ca and cb: samplings to start from (owned by the run from then on).
  SsiRun(ENT_Record* A, ENT_Record* B, const _tagBox2D& ba, const _tagBox2D& bb,
         void* ca = nullptr, void* cb = nullptr)
      : cacheA(ca), cacheB(cb) {
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
  int curves;        // -1: any number
  int closed;        // how many of them close (-1: not checked)
  double length;     // total length of all curves
  Residual residual; // 0 on the exact intersection
  double lengthTol = 2e-3;
  std::function<void(const std::vector<_intcur*>&)> more = nullptr;
};

// Perimeter of the ellipse with semi-axes a, b (numerically). A plain function, not a lambda:
// the compiler would try to fold a lambda's 200,000 steps at compile time.
double EllipsePerimeter(double a, double b) {
  double L = 0;
  const int n = 200000;
  for (int i = 0; i < n; ++i) {
    const double t = 2 * kPi * (i + 0.5) / n;
    L += std::hypot(a * std::sin(t), b * std::cos(t)) * 2 * kPi / n;
  }
  return L;
}

TEST_F(SurfaceIntersectTest, ClosedFormIntersections) {
  const double R = 1.0, d = 0.6;
  const double theta = 0.5;  // oblique plane's tilt from the axis' normal plane
  const double x0 = (1.2 * 1.2 + 1.0 - 0.8 * 0.8) / (2 * 1.2);  // radical plane of two spheres
  // Bases of the offset surfaces (a fillet's spine: the ball centres at distance r from both).
  const double r = 0.3;
  Rec floor = Plane({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 3.0);
  Rec wall = Plane({0, 0, 0}, {0, 0, 1}, {0, 1, 0}, 3.0);  // x = 0
  Rec post = Cylinder({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, R);
  // A B-spline cylinder revolved through a full turn: its u direction is periodic.
  BCRV* gen = nullptr;
  const double g0[3] = {R, 0, -1}, g1[3] = {R, 0, 1}, axisP[3] = {0, 0, 0}, axisD[3] = {0, 0, 1};
  ASSERT_TRUE(BCRV_GenLine(g0, g1, gen));
  _nurbs_surface* revolved = nullptr;
  ASSERT_TRUE(BSRF_GenRevolve(gen, axisP, axisD, 2 * kPi, revolved));
  BCRV_Free(gen);
  Rec drum(SRF_NewBspline(revolved));
  ASSERT_EQ(static_cast<SRF_Bspline*>(drum.get())->uRange.closure, 2);
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
       CylBox(2), kUnit, 1, 1, EllipsePerimeter(R / std::cos(theta), R),
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
       },
       2e-3,
       [&](const std::vector<_intcur*>& k) {
         // One line on each side, 2 sqrt(R^2 - d^2) apart.
         EXPECT_NEAR(std::fabs(At(k[0], 0).point[1] - At(k[1], 0).point[1]),
                     2 * std::sqrt(R * R - d * d), 1e-9);
       }},
      {"plane tangent to a cylinder along a line",
       [&] { return Cylinder({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, R); },
       [&] { return Plane({R, 0, 0}, {0, 1, 0}, {0, 0, 1}, 2.0); }, CylBox(1.5), kUnit, 1, 0, 3.0,
       [&](const double p[3]) { return std::fabs(p[0] - R) + std::fabs(p[1]); }, 1e-3},
      {"plane across a creased prism (a swept closed hexagon): the hexagon, over every crease",
       [&] {
         BCRV* hex = BCRV_New(2, 7);
         for (int i = 0; i < 7; ++i) {
           const double a = 2 * kPi * (i % 6) / 6;
           hex->ctrlPts[i][0] = std::cos(a);
           hex->ctrlPts[i][1] = std::sin(a);
           hex->ctrlPts[i][2] = -1.0;
         }
         const double up[3] = {0, 0, 1};
         _nurbs_surface* prism = nullptr;
         BSRF_GenExtrude(hex, up, 2.0, prism);
         BCRV_Free(hex);
         return Rec(prism ? SRF_NewBspline(prism) : nullptr);
       },
       [] { return Plane({0, 0, 0.3}, {1, 0, 0}, {0, 1, 0}, 2.0); }, kUnit, kUnit, 1, 1, 6.0,
       [](const double p[3]) {
         // Distance to the hexagon's nearest side line, in the plane z = 0.3.
         double side = 1e300;
         for (int k = 0; k < 6; ++k) {
           const double m = 2 * kPi * (k + 0.5) / 6;
           side = std::min(side, std::fabs(p[0] * std::cos(m) + p[1] * std::sin(m) - std::cos(kPi / 6)));
         }
         return std::fabs(p[2] - 0.3) + side;
       }},
      {"plane across a periodic B-spline cylinder: the circle runs over the seam",
       [&] { return Rec(SRF_NewBspline(BSRF_Clone(revolved))); },
       [] { return Plane({0, 0, 0.3}, {1, 0, 0}, {0, 1, 0}, 2.0); }, kUnit, kUnit, 1, 1,
       2 * kPi * R,
       [&](const double p[3]) { return std::fabs(p[2] - 0.3) + std::fabs(std::hypot(p[0], p[1]) - R); }},
      {"offsets of two perpendicular planes: a line at distance r from both",
       [&] { return Rec(SRF_NewOffset(floor.get(), r)); },
       [&] { return Rec(SRF_NewOffset(wall.get(), r)); }, kUnit, kUnit, 1, 0, 6.0,
       [&](const double p[3]) { return std::fabs(p[2] - r) + std::fabs(std::fabs(p[0]) - r); }},
      {"offsets of a plane and a cylinder standing on it: circle R + r at height r",
       [&] { return Rec(SRF_NewOffset(post.get(), r)); },
       [&] { return Rec(SRF_NewOffset(floor.get(), r)); }, {{0, 0}, {2 * kPi, 2}}, kUnit, 1, 1,
       2 * kPi * (R + r),
       [&](const double p[3]) { return std::fabs(p[2] - r) + std::fabs(std::hypot(p[0], p[1]) - R - r); }},
      {"plane through a sphere's poles: a great circle over both poles",
       [] { return Sphere(0.1, -0.2, 0.4, 1.0); },
       [] {
         // The tilted frame's Z axis (0, -sin 0.7, cos 0.7) lies in the plane x = 0.1.
         return Plane({0.1, -0.2, 0.4}, {0, 1, 0}, {0, 0, 1}, 2.0);
       },
       kSphereBox, kUnit, -1, -1, 2 * kPi,
       [](const double p[3]) {
         return std::fabs(p[0] - 0.1) + std::fabs(std::hypot(p[1] + 0.2, p[2] - 0.4) - 1.0);
       },
       2e-3,
       [](const std::vector<_intcur*>& k) {
         // Open pieces end on the poles.
         const double north[3] = {0.1, -0.2 - std::sin(0.7), 0.4 + std::cos(0.7)};
         const double south[3] = {0.1, -0.2 + std::sin(0.7), 0.4 - std::cos(0.7)};
         for (const _intcur* c : k) {
           if (Closed(c)) continue;
           for (int i : {0, Count(c) - 1}) {
             const double* p = At(c, i).point;
             EXPECT_LT(std::min(kt::Dist(p, north), kt::Dist(p, south)), 1e-7) << i;
           }
         }
       }},
      {"sphere-sphere: a circle in the radical plane", [] { return Sphere(0, 0, 0, 1.0); },
       [] { return Sphere(1.2, 0, 0, 0.8); }, kSphereBox, kSphereBox, 1, 1,
       2 * kPi * std::sqrt(1 - x0 * x0),
       [&](const double p[3]) {
         return std::fabs(p[0] - x0) + std::fabs(std::hypot(p[1], p[2]) - std::sqrt(1 - x0 * x0));
       }},
      {"two equal perpendicular cylinders: two ellipses through two touching points",
       [&] { return Cylinder({0, 0, 0}, {1, 0, 0}, {0, 0, 1}, R); },
       [&] { return Cylinder({0, 0, 0}, {0, 1, 0}, {0, 0, 1}, R); }, CylBox(1.5), CylBox(1.5), -1,
       -1, 2 * EllipsePerimeter(R * std::sqrt(2.0), R),
       [&](const double p[3]) {
         return std::fabs(std::fabs(p[0]) - std::fabs(p[1])) + std::fabs(std::hypot(p[0], p[2]) - R);
       },
       2e-3,
       [&](const std::vector<_intcur*>& k) {
         // Open pieces end at the touching points (0, 0, R) and (0, 0, -R), placed there by
         // the tangential-contact solver.
         for (const _intcur* c : k) {
           if (Closed(c)) continue;
           for (int i : {0, Count(c) - 1}) {
             const double* p = At(c, i).point;
             EXPECT_LT(std::hypot(p[0], p[1], std::fabs(p[2]) - R), 1e-6) << i;
           }
         }
       }},
      {"equal cylinders with axes 120 degrees apart: the branches through the touching "
       "points follow the bisectors",
       [&] { return Cylinder({0, 0, 0}, {0, 1, 0}, {0, 0, 1}, R); },
       [&] {
         return Cylinder({0, 0, 0}, {-std::sin(2 * kPi / 3), std::cos(2 * kPi / 3), 0}, {0, 0, 1}, R);
       },
       CylBox(2.5), CylBox(2.5), -1, -1,
       EllipsePerimeter(R / std::sin(kPi / 3), R) + EllipsePerimeter(R / std::cos(kPi / 3), R),
       [&](const double p[3]) {
         const double b = std::hypot(p[2], -std::sin(2 * kPi / 3) * p[0] + std::cos(2 * kPi / 3) * p[1]);
         return std::fabs(std::hypot(p[1], p[2]) - R) + std::fabs(b - R);
       },
       4e-3,
       [&](const std::vector<_intcur*>& k) {
         // At a touching point the tangent lies along a bisector of the axes (60 or 150
         // degrees from x); a mirrored branch direction would point elsewhere.
         int ends = 0;
         for (const _intcur* c : k) {
           if (Closed(c)) continue;
           for (int i : {0, Count(c) - 1}) {
             const SSI_TracedPoint& q = At(c, i);
             EXPECT_LT(std::hypot(q.point[0], q.point[1], std::fabs(q.point[2]) - R), 1e-6) << i;
             const double ang = std::atan2(q.tangent[1], q.tangent[0]);
             const double m = std::fmod(ang + 2 * kPi, kPi);  // direction modulo pi
             EXPECT_LT(std::min(std::fabs(m - kPi / 3), std::fabs(m - 5 * kPi / 6)), 1e-4) << m;
             ++ends;
           }
         }
         EXPECT_GE(ends, 2);
       }},
  };
  for (const ClosedForm& c : cases) {
    SCOPED_TRACE(c.name);
    Rec a = c.a(), b = c.b();
    SsiRun run(a.get(), b.get(), c.boxA, c.boxB);
    ASSERT_EQ(run.rc, 1);
    EXPECT_TRUE(run.points.empty());
    if (c.curves >= 0) {
      ASSERT_EQ(int(run.curves.size()), c.curves);
    } else {
      ASSERT_GE(run.curves.size(), 1u);
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
    if (c.more) c.more(run.curves);
  }
}

}  // namespace

namespace {

TEST_F(SurfaceIntersectTest, NoCurveCases) {
  // Disjoint: success with nothing; touching spheres: the single touching point, no curve.
  struct Case {
    const char* name;
    double cx, r2;
    size_t points;
  };
  const Case cases[] = {{"disjoint spheres", 3.0, 1.0, 0}, {"spheres touching at (1, 0, 0)", 2.0, 1.0, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rec a = Sphere(0, 0, 0, 1.0), b = Sphere(c.cx, 0, 0, c.r2);
    SsiRun run(a.get(), b.get(), kSphereBox, kSphereBox);
    ASSERT_EQ(run.rc, 1);
    EXPECT_TRUE(run.curves.empty());
    ASSERT_EQ(run.points.size(), c.points);
    for (const LST_Node* n : run.points) {
      EXPECT_NEAR(n->point[0], 1.0, 1e-6);
      EXPECT_NEAR(std::hypot(n->point[1], n->point[2]), 0.0, 1e-4);
      double pa[3], pb[3];
      SRF_EvPos(pa, a.get(), n->uvA[0], n->uvA[1]);
      SRF_EvPos(pb, b.get(), n->uvB[0], n->uvB[1]);
      EXPECT_LT(kt::Dist(pa, n->point), 1e-7);
      EXPECT_LT(kt::Dist(pb, n->point), 1e-7);
    }
  }
}

TEST_F(SurfaceIntersectTest, DegenerateInputFailsCleanly) {
  // Coincident surfaces, a patch squeezed to a point, a NaN control point, an unbounded box:
  // failure (0) with both chains empty, never a hang.
  Rec s1 = Sphere(0, 0, 0, 0.3), s2 = Sphere(0, 0, 0, 0.3);
  Rec plane = Plane({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 1.0);
  _nurbs_surface* dot = BSRF_Create(2, 2, 2, 2);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) dot->net[j][i][3] = 1.0;
  Rec point(SRF_NewBspline(dot));
  Rec nanPlane = Plane({0, 0, 0}, {0, 1, 0}, {0, 0, 1}, 1.0);
  static_cast<SRF_Bspline*>(nanPlane.get())->surface->net[1][1][2] = std::nan("");
  Rec cyl = Cylinder({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 1.0);
  struct Case {
    const char* name;
    ENT_Record *a, *b;
    _tagBox2D ba, bb;
  };
  const Case cases[] = {
      {"coincident spheres", s1.get(), s2.get(), kSphereBox, kSphereBox},
      {"patch squeezed to a point", point.get(), plane.get(), kUnit, kUnit},
      {"NaN control point", nanPlane.get(), plane.get(), kUnit, kUnit},
      {"unbounded box", cyl.get(), plane.get(), {{0, -1e20}, {2 * kPi, 1e20}}, kUnit},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SsiRun run(c.a, c.b, c.ba, c.bb);
    EXPECT_EQ(run.rc, 0);
    EXPECT_EQ(run.chain, nullptr);
    EXPECT_EQ(run.traces, nullptr);
  }
  LST_Node* t = nullptr;
  SSI_CurveNode* k = nullptr;
  EXPECT_EQ(SSI_TraceSurfaces(s1.get(), nullptr, &kSphereBox, nullptr, &kSphereBox, nullptr, &t, &k), 0);
  EXPECT_EQ(SSI_TraceSurfaces(s1.get(), plane.get(), &kSphereBox, nullptr, &kUnit, nullptr, nullptr, &k), 0);
}

TEST_F(SurfaceIntersectTest, FreeSolverTakesMinimumNormSteps) {
  // Without a fourth equation the pair moves as little as it can: from seeds off the
  // intersection it converges onto both surfaces, for crossing and for touching surfaces.
  Rec sphere = Sphere(0, 0, 0.4, 1.0), plane = Plane({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 2.0);
  // The second sphere touches the first at (1, 0, 0.4); seeds a little off that point.
  Rec other = Sphere(2.0, 0, 0.4, 1.0);
  const double touch[3] = {1.0, 0.0, 0.4};
  double tA[2] = {1e12, 1e12}, tB[2] = {1e12, 1e12}, f[3];
  ASSERT_EQ(SRF_SnapPoint(tA[1], tA[0], f, sphere.get(), touch), 1);
  ASSERT_EQ(SRF_SnapPoint(tB[1], tB[0], f, other.get(), touch), 1);
  struct Case {
    const char* name;
    ENT_Record* b;
    double uvA[2], uvB[2];
  };
  const Case cases[] = {{"crossing", plane.get(), {0.3, -0.2}, {0.6, 0.55}},
                        {"crossing, far seed", plane.get(), {2.0, 0.3}, {0.2, 0.3}},
                        {"touching", other.get(), {tA[0] + 0.05, tA[1] - 0.04}, {tB[0] - 0.03, tB[1] + 0.05}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double uvA[2] = {c.uvA[0], c.uvA[1]}, uvB[2] = {c.uvB[0], c.uvB[1]}, p[3];
    ASSERT_EQ(SSI_SolvePointFree(p, uvA, uvB, sphere.get(), c.b, 1e-10), 1);
    double pa[3], pb[3];
    SRF_EvPos(pa, sphere.get(), uvA[0], uvA[1]);
    SRF_EvPos(pb, c.b, uvB[0], uvB[1]);
    EXPECT_LT(kt::Dist(pa, pb), 1e-10);
    EXPECT_LT(kt::Dist(pa, p), 1e-10);
  }
  // Parallel planes never meet.
  Rec high = Plane({0, 0, 1}, {1, 0, 0}, {0, 1, 0}, 2.0);
  double uvA[2] = {0.5, 0.5}, uvB[2] = {0.5, 0.5}, p[3];
  EXPECT_EQ(SSI_SolvePointFree(p, uvA, uvB, plane.get(), high.get(), 1e-10), 0);
}

TEST_F(SurfaceIntersectTest, PatchPairsMatchBruteForceInOrder) {
  Rec a = Cylinder({0, 0, 0}, {1, 0, 0}, {0, 0, 1}, 1.0), b = Sphere(0.3, 0.2, 0.1, 0.9);
  SSI_SampleCache *ca = nullptr, *cb = nullptr;
  const _tagBox2D boxA = CylBox(1.5);
  ASSERT_EQ(SSI_SampleSurface(ca, a.get(), boxA), 1);
  ASSERT_EQ(SSI_SampleSurface(cb, b.get(), kSphereBox), 1);
  // Every patch is flat: short edges, corners near the plane at the centre.
  for (const SSI_Patch& p : ca->patches)
    for (int k = 0; k < 4; ++k) {
      const SSI_SampleNode& n = ca->nodes[size_t(p.corner[k])];
      for (int i = 0; i < 3; ++i) {
        EXPECT_GE(n.point[i], p.box[0][i]);
        EXPECT_LE(n.point[i], p.box[1][i]);
      }
    }
  const double tol = 5.0 * TOL_discretise[0];
  std::vector<std::pair<int, int>> fast, slow;
  SSI_PairPatches(*ca, *cb, tol, fast);
  for (size_t i = 0; i < ca->patches.size(); ++i)
    for (size_t j = 0; j < cb->patches.size(); ++j) {
      const SSI_Patch &p = ca->patches[i], &q = cb->patches[j];
      bool meet = true;
      for (int k = 0; k < 3; ++k)
        meet = meet && p.box[0][k] <= q.box[1][k] + tol && q.box[0][k] <= p.box[1][k] + tol;
      if (meet) slow.emplace_back(int(i), int(j));
    }
  EXPECT_FALSE(slow.empty());
  EXPECT_EQ(fast, slow);
  SSI_FreeSampleCache(ca);
  SSI_FreeSampleCache(cb);
}

// Wavy B-spline sheet of n x n control points over [0, w] squared.
Rec Wavy(int n, double w) {
  _nurbs_surface* s = BSRF_Create(4, 4, n, n);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const double x = w * i / (n - 1), y = w * j / (n - 1);
      s->net[j][i][0] = x;
      s->net[j][i][1] = y;
      s->net[j][i][2] = 0.3 * std::sin(1.5 * x) * std::cos(y);
      s->net[j][i][3] = 1.0;
    }
  return Rec(SRF_NewBspline(s));
}

// Every double of two intersection results, compared exactly.
void ExpectSameResult(const SsiRun& x, const SsiRun& y) {
  ASSERT_EQ(x.rc, y.rc);
  ASSERT_EQ(x.curves.size(), y.curves.size());
  ASSERT_EQ(x.points.size(), y.points.size());
  for (size_t k = 0; k < x.curves.size(); ++k) {
    ASSERT_EQ(Count(x.curves[k]), Count(y.curves[k])) << "curve " << k;
    for (int i = 0; i < Count(x.curves[k]); ++i) {
      const SSI_TracedPoint &p = At(x.curves[k], i), &q = At(y.curves[k], i);
      EXPECT_EQ(std::memcmp(&p, &q, sizeof p), 0) << "curve " << k << " point " << i;
    }
  }
  for (size_t k = 0; k < x.points.size(); ++k)
    for (int i = 0; i < 3; ++i) EXPECT_EQ(x.points[k]->point[i], y.points[k]->point[i]);
}

TEST_F(SurfaceIntersectTest, SamplingOnDemandGivesTheCompleteSamplingsResult) {
  // The pairing refines both samplings only where their patches can meet; pairs, start points
  // and traced curves must be those of complete samplings, to the last bit. The offset sphere
  // gives no bound on its partials and is sampled wherever the other surface asks.
  Rec wavy = Wavy(12, 4.0), sphere = Sphere(0.1, -0.2, 0.3, 1.0);
  Rec plane = Plane({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 2.0);
  Rec post = Cylinder({2, 2, 0}, {1, 0, 0}, {0, 1, 0}, 1.0);
  Rec crossA = Cylinder({0, 0, 0}, {1, 0, 0}, {0, 0, 1}, 1.0);
  Rec crossB = Cylinder({0, 0, 0}, {0, 1, 0}, {0, 0, 1}, 1.0);
  Rec lifted(SRF_NewOffset(plane.get(), 0.25));
  Rec ball = Sphere(2, 2, 0.1, 0.9);
  // A bilinear sheet with a twist, offset: its normal turns a little across it.
  _nurbs_surface* tw = BSRF_Create(2, 2, 2, 2);
  const double corners[2][2][3] = {{{-2, -2, 0}, {2, -2, 0}}, {{-2, 2, 0}, {2, 2, 0.6}}};
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      for (int k = 0; k < 3; ++k) tw->net[j][i][k] = corners[j][i][k];
      tw->net[j][i][3] = 1.0;
    }
  Rec twisted(SRF_NewBspline(tw));
  Rec twistedUp(SRF_NewOffset(twisted.get(), 0.2));
  Rec swollen(SRF_NewOffset(sphere.get(), 0.1));
  struct Case {
    const char* name;
    ENT_Record *a, *b;
    _tagBox2D ba, bb;
    bool fewer;  // the pairing looks at fewer cells than a complete sampling holds
  };
  const Case cases[] = {
      {"wavy sheet and a cylinder", post.get(), wavy.get(), CylBox(1), kUnit, true},
      {"sphere and a plane", sphere.get(), plane.get(), kSphereBox, kUnit, true},
      {"perpendicular cylinders", crossA.get(), crossB.get(), CylBox(1.5), CylBox(1.5), true},
      {"offset plane and a sphere", lifted.get(), sphere.get(), kUnit, kSphereBox, true},
      {"offset twisted sheet and a sphere", twistedUp.get(), sphere.get(), kUnit, kSphereBox, true},
      {"offset sphere and a plane", swollen.get(), plane.get(), kSphereBox, kUnit, false},
      {"wavy sheet and a sphere", ball.get(), wavy.get(), kSphereBox, kUnit, true},
  };
  const double tol = 5.0 * TOL_discretise[0];
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSI_SampleCache *fa = nullptr, *fb = nullptr, *la = nullptr, *lb = nullptr;
    ASSERT_EQ(SSI_SampleSurface(fa, c.a, c.ba), 1);
    ASSERT_EQ(SSI_SampleSurface(fb, c.b, c.bb), 1);
    ASSERT_EQ(SSI_StartSampling(la, c.a, c.ba), 1);
    ASSERT_EQ(SSI_StartSampling(lb, c.b, c.bb), 1);
    std::vector<std::pair<int, int>> full, lazy;
    SSI_PairPatches(*fa, *fb, tol, full);
    ASSERT_EQ(SSI_PairSampled(*la, c.a, *lb, c.b, tol, lazy), 1);
    EXPECT_FALSE(full.empty());
    ASSERT_EQ(full.size(), lazy.size());
    for (size_t k = 0; k < full.size(); ++k) {
      const SSI_Patch &p = fa->patches[size_t(full[k].first)], &q = la->patches[size_t(lazy[k].first)];
      const SSI_Patch &r = fb->patches[size_t(full[k].second)], &t = lb->patches[size_t(lazy[k].second)];
      ASSERT_TRUE(std::memcmp(p.centre, q.centre, sizeof p.centre) == 0 &&
                  std::memcmp(p.box, q.box, sizeof p.box) == 0 &&
                  std::memcmp(r.centre, t.centre, sizeof r.centre) == 0 &&
                  std::memcmp(r.box, t.box, sizeof r.box) == 0)
          << "pair " << k;
    }
    if (c.fewer) {
      EXPECT_LT(la->patches.size() + lb->patches.size(), fa->patches.size() + fb->patches.size());
    }
    // A second pairing over the refined samplings finds the same pairs again.
    std::vector<std::pair<int, int>> again;
    ASSERT_EQ(SSI_PairSampled(*la, c.a, *lb, c.b, tol, again), 1);
    EXPECT_EQ(again, lazy);
    SSI_FreeSampleCache(la);
    SSI_FreeSampleCache(lb);
    // The traced result through complete samplings and through samplings made on demand.
    SsiRun complete(c.a, c.b, c.ba, c.bb, fa, fb), onDemand(c.a, c.b, c.ba, c.bb);
    EXPECT_EQ(complete.rc, 1);
    EXPECT_FALSE(complete.curves.empty());
    ExpectSameResult(complete, onDemand);
  }
}

TEST_F(SurfaceIntersectTest, StepsKeepTheTolerancesAndTheSurfaceOrder) {
  // Each accepted step: chord within the step limit, the chord's midpoint within the deviation
  // tolerance of the Hermite midpoint, the tangent turning less than the tangent tolerance;
  // steps well inside all three are grown, so few are below a third of the step limit.
  const double limits[][3] = {{0.0005, 0.1, 0.005}, {0.0001, 0.05, 0.02}};
  for (const auto& lim : limits) {
    TOL_SetTolerance(lim);
    Rec sphere = Sphere(0, 0, 0.3, 1.0), plane = Plane({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 2.0);
    // The sphere's code is lower: the plane becomes surface A whatever the order given.
    SsiRun run(sphere.get(), plane.get(), kSphereBox, kUnit);
    ASSERT_EQ(run.rc, 1);
    ASSERT_EQ(run.curves.size(), 1u);
    const _intcur* c = run.curves[0];
    EXPECT_EQ(c->surfaceA, plane.get());
    EXPECT_EQ(c->surfaceB, sphere.get());
    ExpectTraced(c);
    int small = 0;
    for (int i = 1; i < Count(c); ++i) {
      const SSI_TracedPoint &p = At(c, i - 1), &q = At(c, i);
      const double chord = kt::Dist(p.point, q.point);
      double mid[3], hm[3];
      for (int k = 0; k < 3; ++k) mid[k] = 0.5 * (p.point[k] + q.point[k]);
      MAT_Hermite(p.point, p.tangent, q.point, q.tangent, 0.5, hm);
      EXPECT_LE(chord, lim[2] * (1 + 1e-9)) << i;
      EXPECT_LE(kt::Dist(mid, hm), lim[0]) << i;
      EXPECT_LE(kt::Dist(p.tangent, q.tangent), lim[1]) << i;
      if (chord < 0.333 * lim[2]) ++small;
    }
    EXPECT_LE(small, 3) << "steps not grown";
    const double r = std::sqrt(1 - 0.09);
    EXPECT_NEAR(Length(c), 2 * kPi * r, 2 * kPi * r * 1e-4);
  }
}

TEST_F(SurfaceIntersectTest, TracedCurveEvaluatesTessellatesAndConverts) {
  // An open trace (plane through a cylinder's axis region) and a closed one: evaluation
  // between traced points stays on both surfaces; the derivative at the last parameter of the
  // open curve looks back along it; tessellation and conversion follow the curve.
  Rec cyl = Cylinder({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 1.0);
  Rec oblique = Plane({0, 0, 0.2}, {std::cos(0.5), 0, std::sin(0.5)}, {0, 1, 0}, 2.0);
  Rec side = Plane({0.6, 0, 0}, {0, 1, 0}, {0, 0, 1}, 2.0);
  for (ENT_Record* other : {oblique.get(), side.get()}) {
    SsiRun run(cyl.get(), other, CylBox(1.5), kUnit);
    ASSERT_EQ(run.rc, 1);
    ASSERT_FALSE(run.curves.empty());
    _intcur* c = run.curves[0];
    double r[2];
    ASSERT_EQ(CRV_GetRange(c, r), 1);
    for (int k = 1; k < 20; ++k) {
      const double t = r[0] + (r[1] - r[0]) * (k + 0.37) / 20.0;
      double p[3], uvA[2], uvB[2], pa[3], pb[3];
      ASSERT_EQ(SSI_EvCurve(p, uvA, uvB, c, t), 1);
      SRF_EvPos(pa, c->surfaceA, uvA[0], uvA[1]);
      SRF_EvPos(pb, c->surfaceB, uvB[0], uvB[1]);
      EXPECT_LT(kt::Dist(p, pa), 1e-7);
      EXPECT_LT(kt::Dist(p, pb), 1e-7);
    }
    double p[3], d[3];
    ASSERT_EQ(CRV_EvPosTan(d, p, c, r[1]), 1);
    const SSI_TracedPoint& last = At(c, Count(c) - 1);
    EXPECT_LT(kt::Dist(p, last.point), 1e-9);
    const double dl = std::hypot(d[0], d[1], d[2]);
    ASSERT_GT(dl, 0.5);
    EXPECT_GT((d[0] * last.tangent[0] + d[1] * last.tangent[1] + d[2] * last.tangent[2]) / dl, 0.999);
    ARR_Array* tess = nullptr;
    ASSERT_EQ(CRV_Tessellate(tess, r, c, 0.001, 0.2, 0.01), 1);
    for (int i = 0; i < tess->count; ++i) {
      double q[3];
      ASSERT_EQ(CRV_EvPos(q, c, tess->params[i]), 1);
      EXPECT_LT(kt::Dist(q, tess->points[i]), 1e-9);
    }
    ARR_Free(tess);
    BCRV* b = nullptr;
    int flag = -1;
    ASSERT_EQ(CRV_ToBcrv(b, 0.001, r, c, &flag), 1);
    EXPECT_EQ(flag, 0);
    EXPECT_LT(b->n, Count(c) / 4) << "simplified";
    for (int i = 0; i < Count(c); i += 7) {
      double foot[3];
      // Distance from each traced point to the converted curve, by dense sampling.
      double best = 1e300;
      for (int k = 0; k <= 4000; ++k) {
        BCRV_EvPos(b, k / 4000.0, foot);
        best = std::min(best, kt::Dist(foot, At(c, i).point));
      }
      EXPECT_LT(best, 0.001 + 0.002) << i;  // the tolerance, and the sampling's spacing
    }
    BCRV_Free(b);
  }
}

TEST_F(SurfaceIntersectTest, CachesAreKeptAndReused) {
  Rec sphere = Sphere(0, 0, 0.4, 1.0), plane = Plane({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 2.0);
  void* ca = nullptr;
  void* cb = nullptr;
  std::vector<int> counts;
  for (int k = 0; k < 2; ++k) {
    LST_Node* t = nullptr;
    SSI_CurveNode* chain = nullptr;
    void* before = ca;
    ASSERT_EQ(SRF_IntersectSurfaces(plane.get(), sphere.get(), &kUnit, &ca, &kSphereBox, &cb, &t,
                                    &chain),
              1);
    ASSERT_NE(ca, nullptr);
    if (k == 1) {
      EXPECT_EQ(ca, before) << "second call samples again";
    }
    ASSERT_NE(chain, nullptr);
    counts.push_back(Count(chain->curve));
    ENT_Free(chain->curve);
    EXPECT_EQ(chain->next, nullptr);
    EXPECT_EQ(chain->flag, 0);
    EXPECT_EQ(chain->weight, 1.0);
    KX_MemFree(chain);
  }
  EXPECT_EQ(counts[0], counts[1]);
  SSI_FreeSampleCache(ca);
  SSI_FreeSampleCache(cb);
}

TEST_F(SurfaceIntersectTest, RunsOutOfStepsOrMemoryWithoutFalseSuccess) {
  // A curve longer than the march's step budget fails instead of vanishing from a success.
  Rec sphere = Sphere(0, 0, 0.4, 1.0), plane = Plane({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 2.0);
  const double tiny[3] = {0.00001, 0.1, 0.0002};
  TOL_SetTolerance(tiny);
  {
    SsiRun run(plane.get(), sphere.get(), kUnit, kSphereBox);
    EXPECT_EQ(run.rc, 0);
    EXPECT_EQ(run.chain, nullptr);
  }
  TOL_ResetDefaults();
  // Allocations failing at points spread over the whole run (sampling, start nodes, traces,
  // output): a clean failure, or success with a whole curve.
  for (long n = 1; n <= 40000; n = n * 3 / 2 + 1) {
    KX_MemFailAfter(n);
    SsiRun run(plane.get(), sphere.get(), kUnit, kSphereBox);
    KX_MemFailAfter(0);
    if (run.rc == 1) {
      ASSERT_EQ(run.curves.size(), 1u) << n;
      EXPECT_TRUE(Closed(run.curves[0])) << n;
    } else {
      EXPECT_EQ(run.chain, nullptr) << n;
    }
  }
}

TEST_F(SurfaceIntersectTest, SnapPointStartsFromTheGuess) {
  // A point on the seam of a closed surface has two feet; the guess picks the one near it.
  BCRV* line = nullptr;
  const double p0[3] = {1, 0, -1}, p1[3] = {1, 0, 1};
  ASSERT_TRUE(BCRV_GenLine(p0, p1, line));
  const double origin[3] = {0, 0, 0}, axis[3] = {0, 0, 1};
  _nurbs_surface* s = nullptr;
  ASSERT_TRUE(BSRF_GenRevolve(line, origin, axis, 2 * kPi, s));
  BCRV_Free(line);
  Rec rec(SRF_NewBspline(s));
  double seam[3];
  ASSERT_EQ(SRF_EvPos(seam, rec.get(), 0.0, 0.3), 1);
  for (double guess : {0.02, 0.98}) {
    double u = guess, v = 0.3, foot[3];
    ASSERT_EQ(SRF_SnapPoint(v, u, foot, rec.get(), seam), 1);
    EXPECT_LT(kt::Dist(foot, seam), 1e-9);
    EXPECT_NEAR(u, guess < 0.5 ? 0.0 : 1.0, 1e-6) << guess;
    EXPECT_NEAR(v, 0.3, 1e-6);
  }
}

}  // namespace

namespace {

TEST_F(SurfaceIntersectTest, ContactSolverFindsTheTouchingPoint) {
  // From seeds off the contact it lands where the points meet and the normals are parallel;
  // parallel planes a distance apart have no contact and the solver gives up.
  Rec a = Sphere(0, 0, 0, 1.0), b = Sphere(3.0, 0, 0, 2.0);
  const double touch[3] = {1.0, 0, 0};
  double uvA[2] = {1e12, 1e12}, uvB[2] = {1e12, 1e12}, f[3];
  ASSERT_EQ(SRF_SnapPoint(uvA[1], uvA[0], f, a.get(), touch), 1);
  ASSERT_EQ(SRF_SnapPoint(uvB[1], uvB[0], f, b.get(), touch), 1);
  uvA[0] += 0.06, uvA[1] -= 0.04, uvB[0] -= 0.03, uvB[1] += 0.05;
  ASSERT_EQ(SSI_SolveContact(uvA, uvB, a.get(), b.get(), kSphereBox, 1e-8, 1e-8), 1);
  double pa[3], pb[3];
  SRF_EvPos(pa, a.get(), uvA[0], uvA[1]);
  SRF_EvPos(pb, b.get(), uvB[0], uvB[1]);
  EXPECT_LT(kt::Dist(pa, touch), 1e-7);
  EXPECT_LT(kt::Dist(pb, touch), 1e-7);
  Rec low = Plane({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 1.0), high = Plane({0, 0, 1}, {1, 0, 0}, {0, 1, 0}, 1.0);
  double u1[2] = {0.5, 0.5}, u2[2] = {0.4, 0.6};
  EXPECT_EQ(SSI_SolveContact(u1, u2, low.get(), high.get(), kUnit, 1e-8, 1e-8), 0);
  EXPECT_EQ(u1[0], 0.5) << "pairs written only on success";
}

}  // namespace
