// Transforms of the 3D curves: geometry and cache move together, boxes follow, and each
// transform undone by its inverse gives the curve back.
#include <cmath>
#include <functional>
#include <numbers>
#include <string>

#include "Shape3dTestUtil.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"

using namespace shapes3d_test;

namespace {

std::unique_ptr<CGeCurve3d> MakeCurve(int type) {
  switch (type) {
    case 0x400: {
      const double s[3] = {1, -2, 0.5}, e[3] = {4, 3, -1.5};
      return std::make_unique<CGeLine3d>(s, e);
    }
    case 0x800: {
      auto arc = std::make_unique<CGeArc3d>();
      const double p1[3] = {3, 0, 1}, p2[3] = {1, 2.5, 2}, p3[3] = {-2, 1, 1.5};
      EXPECT_EQ(arc->Create3Pnt(p1, p2, p3), 1);
      arc->DiscreteMe(0.001);
      return arc;
    }
    default: {
      auto pl = std::make_unique<CGePolyline3d>();
      const double v[4][3] = {{0, 0, 0}, {2, 1, 0.5}, {3, -1, 1}, {5, 0, -2}};
      EXPECT_EQ(pl->Create(4, v), 1);
      return pl;
    }
  }
}

// Parameters at which the exact geometry is compared: k + f for the polyline.
std::vector<double> Samples(int type) {
  if (type == 0x1000) return {1.0, 1.4, 2.5, 3.9};
  return {0.0, 0.3, 0.55, 1.0};
}

struct Snapshot {
  std::vector<std::array<double, 3>> exact, cache;
};

Snapshot Take(CGeCurve3d& c, int type) {
  Snapshot s;
  for (double t : Samples(type)) {
    std::array<double, 3> p{};
    c.GetPointAt(t, p.data(), 1);
    s.exact.push_back(p);
  }
  for (int i = 0; i < c.m_strDisc.m_nCount; ++i)
    s.cache.push_back({c.m_strDisc.m_pPoints[i][0], c.m_strDisc.m_pPoints[i][1], c.m_strDisc.m_pPoints[i][2]});
  return s;
}

using PointMap = std::function<void(const double in[3], double out[3])>;

struct Case {
  std::string name;
  std::function<void(CGeCurve3d&)> apply, undo;
  PointMap map;                // what the transform does to one point
  bool arcRediscretises = false;  // the arc's 4x4 form rebuilds its cache
};

const double kV2[2] = {1.5, -0.75}, kV3[3] = {-2.0, 0.5, 3.0}, kC[2] = {0.5, 1.0};
const double kP3[3] = {1.0, 2.0, -1.0}, kAxis[3] = {1.0, 1.0, 2.0}, kQ2[2] = {1.0, 2.0};
const double kN3[3] = {0.3, -1.0, 0.5}, kB2[2] = {1.0, -1.0}, kF2[2] = {2.0, 0.5};
const double kB3[3] = {1.0, -1.0, 0.5}, kF3[3] = {2.0, 0.5, 4.0};

_rect_fm3d Frame() {
  _rect_fm3d f;
  RF_Init(&f);
  const double z[3] = {0.2, -0.4, 1.0};
  double zz[3] = {z[0], z[1], z[2]};
  V3D_Unit(zz, 1e-12);
  V3D_GetXYFromZ(zz, f.xAxis, f.yAxis);
  for (int k = 0; k < 3; ++k) {
    f.zAxis[k] = zz[k];
    f.origin[k] = kP3[k];
  }
  return f;
}

// A rigid motion as a column-vector matrix and its inverse.
void Rigid(double m[4][4], double inv[4][4]) {
  const _rect_fm3d f = Frame();
  for (int r = 0; r < 3; ++r) {
    m[r][0] = f.xAxis[r];
    m[r][1] = f.yAxis[r];
    m[r][2] = f.zAxis[r];
    m[r][3] = f.origin[r];
    m[3][r] = 0.0;
  }
  m[3][3] = 1.0;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) inv[r][c] = m[c][r];
    inv[r][3] = -(m[0][r] * m[0][3] + m[1][r] * m[1][3] + m[2][r] * m[2][3]);
    inv[3][r] = 0.0;
  }
  inv[3][3] = 1.0;
}

std::vector<Case> Cases() {
  static const _rect_fm3d frame = Frame();
  static double m[4][4], inv[4][4];
  Rigid(m, inv);
  const double mv2[2] = {-kV2[0], -kV2[1]}, mv3[3] = {-kV3[0], -kV3[1], -kV3[2]};
  const double if2[2] = {1 / kF2[0], 1 / kF2[1]}, if3[3] = {1 / kF3[0], 1 / kF3[1], 1 / kF3[2]};
  std::vector<Case> cases;
  cases.push_back({"Translate", [=](CGeCurve3d& c) { c.Translate(kV2); },
                   [=](CGeCurve3d& c) { c.Translate(mv2); },
                   [](const double* p, double* o) { o[0] = p[0] + kV2[0]; o[1] = p[1] + kV2[1]; o[2] = p[2]; }});
  cases.push_back({"Translate3D", [](CGeCurve3d& c) { c.Translate3D(kV3); },
                   [=](CGeCurve3d& c) { c.Translate3D(mv3); },
                   [](const double* p, double* o) { for (int k = 0; k < 3; ++k) o[k] = p[k] + kV3[k]; }});
  cases.push_back({"Rotate", [](CGeCurve3d& c) { c.Rotate(kC, 0.7); },
                   [](CGeCurve3d& c) { c.Rotate(kC, -0.7); },
                   [](const double* p, double* o) {
                     const double x = p[0] - kC[0], y = p[1] - kC[1];
                     o[0] = kC[0] + x * std::cos(0.7) - y * std::sin(0.7);
                     o[1] = kC[1] + x * std::sin(0.7) + y * std::cos(0.7);
                     o[2] = p[2];
                   }});
  cases.push_back({"Rotate3D", [](CGeCurve3d& c) { c.Rotate3D(kP3, kAxis, 1.1); },
                   [](CGeCurve3d& c) { c.Rotate3D(kP3, kAxis, -1.1); },
                   [](const double* p, double* o) { P3D_RotatePnt(kAxis, kP3, 1.1, p, o); }});
  cases.push_back({"Mirror", [](CGeCurve3d& c) { c.Mirror(kC, kQ2); },
                   [](CGeCurve3d& c) { c.Mirror(kC, kQ2); },
                   [](const double* p, double* o) { P2D_Mirr(kC, kQ2, p, o); o[2] = p[2]; }});
  cases.push_back({"Mirror3D", [](CGeCurve3d& c) { c.Mirror3D(kP3, kN3); },
                   [](CGeCurve3d& c) { c.Mirror3D(kP3, kN3); },
                   [](const double* p, double* o) { P3D_Mirror(kP3, kN3, p, o); }});
  cases.push_back({"TransformFrame", [](CGeCurve3d& c) { c.Transform(&frame); },
                   [](CGeCurve3d& c) { c.TransformLocal(&frame); },
                   [](const double* p, double* o) { RF_TransWorldP3D(&frame, p, o); }});
  cases.push_back({"TransformMatrix", [](CGeCurve3d& c) { c.Transform(m); },
                   [](CGeCurve3d& c) { c.Transform(inv); },
                   [](const double* p, double* o) { MAT44_MultPt(m, p, o); }, true});
  cases.push_back({"Scale", [](CGeCurve3d& c) { c.Scale(kB2, kF2); },
                   [=](CGeCurve3d& c) { c.Scale(kB2, if2); },
                   [](const double* p, double* o) {
                     for (int k = 0; k < 2; ++k) o[k] = kB2[k] + (p[k] - kB2[k]) * kF2[k];
                     o[2] = p[2];
                   }});
  cases.push_back({"Scale3D", [](CGeCurve3d& c) { c.Scale3D(kB3, kF3); },
                   [=](CGeCurve3d& c) { c.Scale3D(kB3, if3); },
                   [](const double* p, double* o) {
                     for (int k = 0; k < 3; ++k) o[k] = kB3[k] + (p[k] - kB3[k]) * kF3[k];
                   }});
  cases.push_back({"Shift", [](CGeCurve3d& c) { c.Shift(kC, kQ2); }, nullptr,
                   [](const double* p, double* o) { P2D_Shift(kC, p, kQ2, o); o[2] = p[2]; }});
  return cases;
}

void ExpectBoxOfCache(CGeCurve3d& c, const std::string& what) {
  _tagBox3D expect;
  BOX3D_Init0(&expect);
  for (int i = 0; i < c.m_strDisc.m_nCount; ++i) BOX3D_Extend(&expect, c.m_strDisc.m_pPoints[i]);
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(c.m_box.min[k], expect.min[k], 1e-9) << what;
    EXPECT_NEAR(c.m_box.max[k], expect.max[k], 1e-9) << what;
  }
}

class Transform3d : public VurodeTest, public ::testing::WithParamInterface<int> {};

TEST_P(Transform3d, GeometryAndCacheMoveTogetherAndInversesUndo) {
  const int type = GetParam();
  for (const Case& tc : Cases()) {
    const bool arc = type == 0x800;
    if (arc && (tc.name == "Scale" || tc.name == "Scale3D" || tc.name == "Shift")) continue;
    auto curve = MakeCurve(type);
    const Snapshot before = Take(*curve, type);
    tc.apply(*curve);
    const Snapshot after = Take(*curve, type);
    const std::string what = tc.name + " of type " + std::to_string(type);
    for (size_t i = 0; i < before.exact.size(); ++i) {
      double moved[3];
      tc.map(before.exact[i].data(), moved);
      EXPECT_PT_NEAR(after.exact[i], moved, 1e-9) << what << " sample " << i;
    }
    if (!(arc && tc.arcRediscretises)) {
      ASSERT_EQ(after.cache.size(), before.cache.size()) << what;
      for (size_t i = 0; i < before.cache.size(); ++i) {
        double moved[3];
        tc.map(before.cache[i].data(), moved);
        EXPECT_PT_NEAR(after.cache[i], moved, 1e-9) << what << " cached point " << i;
      }
    }
    ExpectBoxOfCache(*curve, what);
    if (!tc.undo) continue;
    tc.undo(*curve);
    const Snapshot back = Take(*curve, type);
    for (size_t i = 0; i < before.exact.size(); ++i)
      EXPECT_PT_NEAR(back.exact[i], before.exact[i], 1e-9) << what << " undone, sample " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Curves, Transform3d, ::testing::Values(0x400, 0x800, 0x1000),
                         [](const auto& info) {
                           return info.param == 0x400 ? std::string("Line")
                                  : info.param == 0x800 ? std::string("Arc")
                                                        : std::string("Polyline");
                         });

TEST_F(VurodeTest, ArcAnswersShearAndScaleWithANewNurbsCurve) {
  const double centre[3] = {1, 2, 3};
  CGeArc3d arc;
  ASSERT_EQ(arc.CreateCricleXZ(centre, 2.0), 1);
  arc.m_dSweep = 4.0;
  arc.DiscreteMe(0.001);
  const Snapshot before = Take(arc, 0x800);
  const double p[2] = {0.5, -1.0}, q[2] = {0.5, 0.0}, b2[2] = {1.0, 1.0}, f2[2] = {2.0, 1.0};
  const double b3[3] = {0.0, 1.0, 2.0}, f3[3] = {1.0, 2.0, 3.0};
  struct Row {
    std::function<CGeShape3d*()> make;
    std::function<void(const double*, double*)> undo;  // back to the arc's points
  };
  const Row rows[] = {
      {[&] { return arc.Shift(p, q); },
       [&](const double* x, double* o) { o[0] = x[0] - q[0] * (x[1] - p[1]); o[1] = x[1]; o[2] = x[2]; }},
      {[&] { return arc.Scale(b2, f2); },
       [&](const double* x, double* o) { o[0] = b2[0] + (x[0] - b2[0]) / f2[0]; o[1] = x[1]; o[2] = x[2]; }},
      {[&] { return arc.Scale3D(b3, f3); },
       [&](const double* x, double* o) { for (int k = 0; k < 3; ++k) o[k] = b3[k] + (x[k] - b3[k]) / f3[k]; }},
  };
  for (const Row& r : rows) {
    std::unique_ptr<CGeShape3d> shape(r.make());
    ASSERT_TRUE(shape);
    ASSERT_EQ(shape->GetType(), 0x2000);
    auto* nurbs = static_cast<CGeCurve3d*>(shape.get());
    ASSERT_GT(nurbs->m_strDisc.m_nCount, 10);
    for (int i = 0; i < nurbs->m_strDisc.m_nCount; ++i) {
      double o[3];
      r.undo(nurbs->m_strDisc.m_pPoints[i], o);
      EXPECT_NEAR(P3D_Dist(o, centre), 2.0, 1e-6);  // on the arc's circle
      EXPECT_NEAR(o[1], centre[1], 1e-9);           // in its plane
    }
  }
  const Snapshot after = Take(arc, 0x800);
  for (size_t i = 0; i < before.exact.size(); ++i) EXPECT_PT_NEAR(after.exact[i], before.exact[i], 0.0);
}

}  // namespace
