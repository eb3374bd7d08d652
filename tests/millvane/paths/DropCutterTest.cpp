// Drop-cutter heights of the mesh mill model against closed forms over planes and spheres, and
// against the brute-force drop-cutter over every triangle.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

#include "millvane/paths/MillModel.h"
#include "millvane/paths/NcMesh.h"
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
