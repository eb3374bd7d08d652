// Drop-cutter heights of the mesh mill model against closed forms over planes and spheres, and
// against the brute-force drop-cutter over every triangle.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

#include "millvane/paths/MillModel.h"
#include "millvane/paths/NcMesh.h"
#include "millvane/paths/NcPline.h"
#include "support/MeshOracle.h"

namespace {

std::unique_ptr<CMillModel> ModelOver(CGeMesh* mesh, CTool* tool) {
  auto model = std::make_unique<CMillModel>();
  auto* nm = new CNcMesh;
  nm->Init(mesh);
  model->meshes.push_back(nm);
  model->SetTool(tool);
  _tagBox3D b;
  EXPECT_EQ(model->GetBox(b), 1);
  model->Mark_Box2D(_tagBox2D{{b.min[0], b.min[1]}, {b.max[0], b.max[1]}});
  return model;
}

double Height(CMillModel& m, double x, double y) {
  double p[3] = {x, y, -1e6};
  m.Get_CC_Height(p);
  return p[2];
}

struct Cutter {
  const char* name;
  std::function<CTool*()> make;
  // Tip height over the plane z = x tan(t) at x = 0, and over the sphere of radius S about the
  // origin at distance d.
  std::function<double(double t)> plane;
  std::function<double(double S, double d)> sphere;
  double maxD;  // distances covered by the sphere formula
};

constexpr double R = 3.0;    // cutter radius
constexpr double rc = 1.0;   // bull corner radius
constexpr double kHalf = 0.6;  // cone half angle from the axis
constexpr double rt = 0.5;   // cone tip radius

std::vector<Cutter> Cutters() {
  return {
      {"flat", [] { return new CTCylindrical(2 * R); }, [](double t) { return R * std::tan(t); },
       [](double S, double d) { return d <= R ? S : std::sqrt(S * S - (d - R) * (d - R)); }, 9.5},
      {"ball", [] { return new CTBall(2 * R); }, [](double t) { return R * (1 / std::cos(t) - 1); },
       [](double S, double d) { return std::sqrt((S + R) * (S + R) - d * d) - R; }, 9.5},
      {"bull", [] { return new CTBull(2 * R, rc); },
       [](double t) { return (R - rc) * std::tan(t) + rc * (1 / std::cos(t) - 1); },
       [](double S, double d) {
         return d <= R - rc ? S : std::sqrt((S + rc) * (S + rc) - (d - R + rc) * (d - R + rc)) - rc;
       },
       9.5},
      // A cone with a flat tip: the tip disc touches until the sphere is as steep as the side.
      {"cone", [] { return new CTConnic(2 * R, 2 * rt, kHalf); }, [](double t) { return rt * std::tan(t); },
       [](double S, double d) {
         if (d <= rt) return S;
         // e: the tip disc's nearest rim point from the sphere's axis. The rim touches while the
         // sphere there is flatter than the side; then the side, at distance S from the centre:
         // (d - rt) cos a + h sin a = S.
         const double e = d - rt;
         if (e <= S * std::cos(kHalf)) return std::sqrt(S * S - e * e);
         return (S - e * std::cos(kHalf)) / std::sin(kHalf);
       },
       7.5},
  };
}

}  // namespace

TEST(DropCutter, TiltedPlanesMatchClosedForms) {
  for (const auto& c : Cutters()) {
    std::unique_ptr<CTool> tool(c.make());
    for (double t : {0.0, 0.2, 0.5}) {
      auto mesh = oracle::TiltedPlane(40, t, 0, 4);
      auto m = ModelOver(mesh.get(), tool.get());
      for (double x : {-5.0, 0.0, 3.3}) {
        for (double y : {-2.0, 4.1}) {
          // Float vertices: the plane itself is only good to about 1e-5.
          EXPECT_NEAR(Height(*m, x, y), x * std::tan(t) + c.plane(t), 2e-5) << c.name << " slope " << t;
        }
      }
    }
  }
}

TEST(DropCutter, SpheresMatchClosedFormsWithinFacetSag) {
  const double S = 10;
  auto mesh = oracle::Hemisphere(S, 192, 48);
  for (const auto& c : Cutters()) {
    std::unique_ptr<CTool> tool(c.make());
    auto m = ModelOver(mesh.get(), tool.get());
    for (double d = 0; d <= c.maxD; d += 0.5) {
      const double a = 0.37 + d;  // around the pole, away from any symmetry of the facets
      const double h = Height(*m, d * std::cos(a), d * std::sin(a));
      // The facets lie inside the sphere by at most S (1 - cos(pi / 192)) ~ 1.4e-3.
      EXPECT_LE(h, c.sphere(S, d) + 1e-4) << c.name << " d " << d;
      EXPECT_GE(h, c.sphere(S, d) - 0.01) << c.name << " d " << d;
    }
  }
}

// The candidate lists and box tests of the model return exactly what scanning every triangle
// returns.
TEST(DropCutter, ModelEqualsBruteForceOverEveryTriangle) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(-9, 9);
  auto wavy = oracle::WavyGrid(16, 24);
  auto groove = oracle::VGroove(6, 6, 0.7, 8);
  auto box = oracle::Box(3, 2, 4);
  for (CGeMesh* mesh : {wavy.get(), groove.get(), box.get()}) {
    const std::vector<const CGeMesh*> meshes{mesh};
    for (const auto& c : Cutters()) {
      std::unique_ptr<CTool> tool(c.make());
      auto m = ModelOver(mesh, tool.get());
      for (int k = 0; k < 40; ++k) {
        const double x = u(rng), y = u(rng);
        const double brute = oracle::DropHeight(meshes, tool.get(), x, y);
        if (brute <= kToolNoContact / 2) continue;
        EXPECT_NEAR(Height(*m, x, y), brute, 1e-9) << c.name << " at " << x << " " << y;
      }
    }
  }
}

// Over a box, a flat cutter stands on the top within R of it and not at all farther out.
TEST(DropCutter, FlatCutterOverABox) {
  CTCylindrical flat(2 * R);
  auto box = oracle::Box(3, 2, 4);
  auto m = ModelOver(box.get(), &flat);
  EXPECT_NEAR(Height(*m, 0, 0), 4, 1e-6);
  EXPECT_NEAR(Height(*m, 3 + R - 0.01, 0), 4, 1e-6);
  EXPECT_NEAR(Height(*m, 3 + R * std::sqrt(0.5) - 0.01, 2 + R * std::sqrt(0.5) - 0.01), 4, 1e-6);
  EXPECT_LT(Height(*m, 3 + R * std::sqrt(0.5) + 0.01, 2 + R * std::sqrt(0.5) + 0.01), 0);
}

// The indexed narrowing picks exactly the entries a scan of the region picks.
TEST(DropCutter, IndexedMarkingSelectsWhatAScanSelects) {
  auto mesh = oracle::WavyGrid(20, 30);
  CTBall ball(3);
  CNcMesh m;
  m.Init(mesh.get());
  m.SetTool(&ball);
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-12, 12), w(0, 3);
  auto count = [](const auto& items, auto pred) {
    int n = 0;
    for (const auto& it : items) n += pred(it.box) ? 1 : 0;
    return n;
  };
  for (int k = 0; k < 60; ++k) {
    const double y = u(rng), a = u(rng), b = a + (k % 3 == 0 ? 0.0 : w(rng));
    auto inRow = [y](const _tagBox3D& bx) { return bx.min[1] <= y && y <= bx.max[1]; };
    m.Mark_IsoYLine(y);
    const bool inside = y >= m.box.min[1] && y <= m.box.max[1];
    ASSERT_EQ(m.RegionFacetCount(), inside ? count(m.facets, inRow) : 0) << y;
    ASSERT_EQ(m.RegionEdgeCount(), inside ? count(m.edges, inRow) : 0) << y;
    // A sub-box first reorders the region; the x narrowing still draws on all of it.
    if (k % 2) m.Mark_SubBox2D(_tagBox2D{{a, y - 1}, {b + 1, y + 1}});
    m.Mark_XInter(a, b);
    auto inSpan = [&](const _tagBox3D& bx) { return inRow(bx) && bx.min[0] - 0.01 <= b && a <= bx.max[0] + 0.01; };
    const bool meets = inside && a <= m.box.max[0] && b >= m.box.min[0];
    EXPECT_EQ(m.ActiveFacetCount(), meets ? count(m.facets, inSpan) : 0) << y << " " << a << " " << b;
    EXPECT_EQ(m.ActiveEdgeCount(), meets ? count(m.edges, inSpan) : 0) << y << " " << a << " " << b;
    // y narrowing inside a 2D box region.
    const _tagBox2D region{{a - 2, y - 3}, {b + 2, y + 3}};
    m.Mark_Box2D(region);
    m.Mark_YInter(y - 0.5, y + 0.2);
    auto inBox = [&](const _tagBox3D& bx) {
      return bx.min[0] - 0.01 <= region.max[0] && region.min[0] - 0.01 <= bx.max[0] &&
             bx.min[1] - 0.01 <= region.max[1] && region.min[1] - 0.01 <= bx.max[1] &&
             bx.min[1] - 0.01 <= y + 0.2 && y - 0.5 <= bx.max[1] + 0.01;
    };
    EXPECT_EQ(m.ActiveFacetCount(), count(m.facets, inBox)) << k;
    EXPECT_EQ(m.ActiveEdgeCount(), count(m.edges, inBox)) << k;
  }
}

// A line path across the part starts on the part even when the model was last marked far
// away: its first point is queried after its first segment is marked.
TEST(DropCutter, LinePathStartsOnThePartAfterAnUnrelatedMarking) {
  auto dome = oracle::Hemisphere(8, 48, 12);
  CTBall ball(4);
  auto m = ModelOver(dome.get(), &ball);
  m->SetMillDepth(8, -20);
  m->Mark_Box3D(_tagBox3D{{50, 50, -1}, {60, 60, 1}});  // nothing there
  const double p0[3] = {0.5, -0.5, -20}, p1[3] = {6, 3, -20};  // not along y = const: 3D marking
  std::unique_ptr<CNcPline> pl(m->CreateLinePath(p0, p1, 1.0, 0.005));
  ASSERT_NE(pl, nullptr);
  double s[3];
  pl->GetStartPoint(s);
  const std::vector<const CGeMesh*> meshes{dome.get()};
  EXPECT_NEAR(s[2], oracle::DropHeight(meshes, &ball, 0.5, -0.5), 1e-9);
}
