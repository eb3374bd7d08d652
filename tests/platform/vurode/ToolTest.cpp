// Cutters: profile radii and contact heights of each kind against their closed forms, edge
// contacts against brute-force sampling, facet offsets against a tangency check, archives.
#include "platform/vurode/Tool.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>
#include <numbers>

#include "platform/afx/Archive.h"
#include "platform/afx/Exception.h"
#include "platform/afx/MemFile.h"
#include "tests/support/EdgeContactSearch.h"

namespace {

// A cutter with its closed-form radius at height h above the tip (h >= 0).
struct Kind {
  std::string name;
  std::function<CTool*()> make;
  int type;
  double dia;
  std::function<double(double)> radius;
  std::function<double(double)> height;  // surface height above the tip at radius d
};

const double kTan = std::tan(0.5);

std::vector<Kind> Kinds() {
  return {
      {"flat", [] { return new CTCylindrical(10); }, 1, 10, [](double) { return 5.0; },
       [](double) { return 0.0; }},
      {"ball", [] { return new CTBall(8); }, 3, 8,
       [](double h) { return h >= 4 ? 4.0 : std::sqrt(16 - (4 - h) * (4 - h)); },
       [](double d) { return 4 - std::sqrt(16 - d * d); }},
      {"bull", [] { return new CTBull(12, 2); }, 4, 12,
       [](double h) { return h >= 2 ? 6.0 : 4 + std::sqrt(4 - (2 - h) * (2 - h)); },
       [](double d) { return d <= 4 ? 0.0 : 2 - std::sqrt(4 - (d - 4) * (d - 4)); }},
      {"cone", [] { return new CTConnic(6, 1, 0.5); }, 2, 6,
       [](double h) { return std::min(3.0, 0.5 + h * kTan); },
       [](double d) { return d <= 0.5 ? 0.0 : (d - 0.5) / kTan; }},
      {"vee", [] { return new CTConnic(6, 0, 0.5); }, 2, 6,
       [](double h) { return std::min(3.0, h * kTan); }, [](double d) { return d / kTan; }},
  };
}

}  // namespace

TEST(ToolTest, ProfileRadiiMatchClosedForms) {
  for (const Kind& k : Kinds()) {
    SCOPED_TRACE(k.name);
    std::unique_ptr<CTool> t(k.make());
    EXPECT_EQ(t->Type(), k.type);
    EXPECT_FLOAT_EQ(t->GetDia(), static_cast<float>(k.dia));
    for (double h : {0.0, 0.1, 0.7, 1.5, 1.99, 3.0, 3.9, 4.0, 6.0, 50.0})
      EXPECT_NEAR(t->GetRadiusComp(h, 0), k.radius(h), 1e-9) << h;
    EXPECT_NEAR(t->GetRadiusComp(1.0, 0.25), k.radius(1.0) + 0.25, 1e-9);
    EXPECT_NEAR(t->GetRadInHeight(1.5f), k.radius(1.5), 1e-6);
    EXPECT_EQ(t->GetRadiusComp(-1.0, 0), 0.0);
  }
}

TEST(ToolTest, VertexContactMatchesClosedForms) {
  const double v[3] = {1, 2, 3};
  for (const Kind& k : Kinds()) {
    SCOPED_TRACE(k.name);
    std::unique_ptr<CTool> t(k.make());
    t->SetAidParam();
    const double rmax = k.dia / 2;
    for (double f : {0.0, 0.1, 0.3, 0.5, 0.8, 0.95, 1.0}) {
      const double d = f * rmax;
      EXPECT_NEAR(t->Zval_VertCC(v, v[0] + d * 0.6, v[1] - d * 0.8), 3 - k.height(d), 1e-9) << d;
    }
    EXPECT_EQ(t->Zval_VertCC(v, v[0] + rmax + 0.01, v[1]), kToolNoContact);
  }
}

// The edge contact is the highest vertex contact over the edge's points.
TEST(ToolTest, EdgeContactMatchesSampledVertices) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-6, 6);
  for (const Kind& k : Kinds()) {
    SCOPED_TRACE(k.name);
    std::unique_ptr<CTool> t(k.make());
    int touched = 0;
    for (int trial = 0; trial < 60; ++trial) {
      const double a[3] = {u(rng), u(rng), u(rng)}, b[3] = {u(rng), u(rng), u(rng)};
      double best = kToolNoContact;
      for (int i = 0; i <= 4000; ++i) {
        const double s = i / 4000.0;
        const double p[3] = {a[0] + s * (b[0] - a[0]), a[1] + s * (b[1] - a[1]),
                             a[2] + s * (b[2] - a[2])};
        best = std::max(best, t->Zval_VertCC(p, 0, 0));
      }
      const double got = t->Zval_EdgeCC(a, b, 0, 0);
      if (best == kToolNoContact) {
        EXPECT_EQ(got, kToolNoContact);
        continue;
      }
      ++touched;
      EXPECT_GE(got, best - 1e-9);
      EXPECT_LE(got, best + 0.01);
    }
    EXPECT_GT(touched, 10);
  }
  CTBall ball(2);
  const double p[3] = {0.5, 0, 1}, q[3] = {0.5, 0, 4};  // a vertical edge: its top counts
  EXPECT_NEAR(ball.Zval_EdgeCC(p, q, 0, 0), 4 - (1 - std::sqrt(0.75)), 1e-12);
}

// Ball and flat cutters answer edge contacts in closed form: the same heights as the search
// over the edge, for edges of every slope and reach, including near-vertical and tangent ones.
TEST(ToolTest, EdgeContactClosedFormsMatchTheSearch) {
  std::mt19937 rng(1234);
  std::uniform_real_distribution<double> u(-1, 1), dia(0.02, 20), unit(0, 1);
  int touched = 0, tested = 0;
  for (int trial = 0; trial < 4000; ++trial) {
    const double d = dia(rng);
    std::unique_ptr<CTool> t;
    switch (trial % 4) {
      case 0: t = std::make_unique<CTBall>(d); break;
      case 1: t = std::make_unique<CTCylindrical>(d); break;
      case 2: t.reset(CTBall(d).GetInflateTool(0.5f)); break;  // still a ball
      default: t.reset(CTool().GetInflateTool(static_cast<float>(d / 2))); break;  // a ball grown from a point
    }
    const double R = t->MaxRadius(), span = 1.5 * R;
    double a[3] = {span * u(rng), span * u(rng), R * u(rng)}, b[3] = {span * u(rng), span * u(rng), R * u(rng)};
    switch (trial % 5) {
      case 1: b[2] = a[2]; break;  // level
      case 2: b[0] = a[0] + 1e-7 * u(rng), b[1] = a[1] + 1e-7 * u(rng); break;  // nearly vertical
      case 3: {                    // passing at the cutter's reach, within rounding
        const double ang = 2 * std::numbers::pi * unit(rng), len = span * (0.1 + unit(rng));
        const double c[2] = {R * std::cos(ang), R * std::sin(ang)}, dir[2] = {-std::sin(ang), std::cos(ang)};
        a[0] = c[0] - len * dir[0], a[1] = c[1] - len * dir[1];
        b[0] = c[0] + len * dir[0], b[1] = c[1] + len * dir[1];
        break;
      }
      default: break;
    }
    const double x = 0.2 * R * u(rng), y = 0.2 * R * u(rng);
    const double want = tooltest::SearchEdgeContact(*t, a, b, x, y);
    const double got = t->Zval_EdgeCC(a, b, x, y);
    ++tested;
    if (want == kToolNoContact) {
      EXPECT_EQ(got, kToolNoContact) << trial;
      continue;
    }
    ++touched;
    EXPECT_NEAR(got, want, 1e-9) << "trial " << trial << " type " << t->Type();
  }
  EXPECT_GT(touched, tested / 2);
}

// The contact point tip - offset touches the plane of normal n: no point of the cutter's
// surface lies below that plane.
TEST(ToolTest, FacetOffsetTouchesThePlane) {
  const double normals[][3] = {{0, 0, 1}, {0.6, 0, 0.8}, {-0.3, 0.4, std::sqrt(0.75)},
                               {0.99, 0, std::sqrt(1 - 0.9801)}, {0, -1, 0}};
  for (const Kind& k : Kinds()) {
    std::unique_ptr<CTool> t(k.make());
    for (const auto& n : normals) {
      SCOPED_TRACE(::testing::Message() << k.name << " n " << n[0] << "," << n[1] << "," << n[2]);
      double off[3];
      t->Eval_FacetCC_OffVec(n, off);
      const double contact[3] = {-off[0], -off[1], -off[2]};  // tip at the origin
      const double dc = n[0] * contact[0] + n[1] * contact[1] + n[2] * contact[2];
      double lowest = 1e300;
      for (int i = 0; i <= 400; ++i) {
        const double h = 8.0 * i / 400;
        const double r = k.radius(h);
        for (int j = 0; j < 72; ++j) {
          const double a = j * std::numbers::pi / 36;
          lowest = std::min(lowest, n[0] * r * std::cos(a) + n[1] * r * std::sin(a) + n[2] * h);
        }
      }
      EXPECT_NEAR(lowest, dc, 2e-3);
      // And the contact point lies on the surface.
      const double dxy = std::hypot(contact[0], contact[1]);
      if (contact[2] < 1e-12) {
        EXPECT_LE(dxy, k.radius(0) + 1e-9);  // on the flat bottom
      } else {
        EXPECT_NEAR(dxy, k.radius(contact[2]), 1e-6);
      }
    }
  }
  CTBall ball(4);
  const double n[3] = {0.6, 0, 0.8};
  double off[3];
  ball.Eval_FacetCC_OffVec(n, off);
  EXPECT_NEAR(off[0], 1.2, 1e-12);
  EXPECT_NEAR(off[2], 1.6 - 2, 1e-12);
}

// Growing a cutter by a keeps it the same distance from every point: the grown cutter's contact
// with a vertex equals the original's contact with a ball of radius a about it, lowered by a.
TEST(ToolTest, InflatedCutterIsTheOffsetSolid) {
  struct Case {
    std::function<CTool*()> make;
    int type;
  };
  const Case cases[] = {{[] { return new CTCylindrical(10); }, 4},
                        {[] { return new CTBall(8); }, 3},
                        {[] { return new CTBull(12, 2); }, 4},
                        {[] { return new CTConnic(6, 1, 0.5); }, 2}};
  const double a = 0.5;
  for (const Case& c : cases) {
    std::unique_ptr<CTool> t(c.make());
    std::unique_ptr<CTool> g(t->GetInflateTool(static_cast<float>(a)));
    EXPECT_EQ(g->Type(), c.type);
    EXPECT_FLOAT_EQ(g->GetDia(), t->GetDia() + 2 * a);
    const double v[3] = {0, 0, 0};
    for (double d : {0.0, 1.0, 2.5, 4.0, t->GetDia() / 2 + 0.3}) {
      // Highest tip of the original touching the sphere of radius a about v, by sampling.
      double best = kToolNoContact;
      for (int i = 0; i <= 2000; ++i) {
        const double phi = std::numbers::pi * i / 2000;  // polar angle from +z
        for (double sgn : {-1.0, 1.0}) {
          const double p[3] = {sgn * a * std::sin(phi), 0, a * std::cos(phi)};
          best = std::max(best, t->Zval_VertCC(p, d, 0));
        }
      }
      if (best == kToolNoContact) {
        EXPECT_EQ(g->Zval_VertCC(v, d, 0), kToolNoContact) << d;
      } else {
        EXPECT_NEAR(g->Zval_VertCC(v, d, 0), best - a, 2e-3) << d;
      }
    }
    // Radius and height stay inverse to each other on the grown profile.
    for (double h : {0.05, 0.3, 0.9, 1.7, 2.6}) {
      if (g->GetRadiusComp(h, 0) < g->MaxRadius() - 1e-9) {
        EXPECT_NEAR(g->HeightAt(g->GetRadiusComp(h, 0)), h, 1e-9) << h;
      }
    }
    std::unique_ptr<CTool> same(t->GetInflateTool(0.0f));
    EXPECT_EQ(same->Type(), t->Type());
    EXPECT_EQ(same->GetDia(), t->GetDia());
  }
}

TEST(ToolTest, IntervalIsAShareOfTheDiameter) {
  CTBall ball(8);
  EXPECT_DOUBLE_EQ(ball.IntervalDist(25), 2.0);
  EXPECT_DOUBLE_EQ(ball.IntervalDist(0), 0.08);     // at least 1 percent
  EXPECT_DOUBLE_EQ(ball.IntervalDist(500), 8.0);    // at most the diameter
  CTool none;                                        // a zero cutter still steps forward
  EXPECT_DOUBLE_EQ(none.IntervalDist(50), 0.01);
}

TEST(ToolTest, ArchiveKeepsKindAndProfile) {
  std::vector<std::unique_ptr<CTool>> tools;
  for (const Kind& k : Kinds()) tools.emplace_back(k.make());
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    for (auto& t : tools) ar << static_cast<CObject*>(t.get());
    ar.Close();
  }
  file.SeekToBegin();
  CArchive ar(&file, CArchive::load);
  for (auto& t : tools) {
    CObject* ob = nullptr;
    ar >> ob;
    std::unique_ptr<CTool> back(dynamic_cast<CTool*>(ob));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetRuntimeClass(), t->GetRuntimeClass());
    EXPECT_EQ(back->Type(), t->Type());
    for (double h : {0.0, 0.5, 2.0}) EXPECT_EQ(back->GetRadiusComp(h, 0), t->GetRadiusComp(h, 0));
  }

  // A negative radius in the file is refused.
  CMemFile bad;
  {
    CArchive w(&bad, CArchive::store);
    w << 1.0 << -2.0 << 0.0 << 0.0;
    w.Close();
  }
  bad.SeekToBegin();
  CArchive r(&bad, CArchive::load);
  CTool victim;
  EXPECT_THROW(victim.Serialize(r), CArchiveException);
}

TEST(ToolTest, CopyIsAnEqualCutterOfTheSameClass) {
  for (const Kind& k : Kinds()) {
    std::unique_ptr<CTool> t(k.make());
    std::unique_ptr<CTool> c(t->Copy());
    EXPECT_EQ(c->GetRuntimeClass(), t->GetRuntimeClass());
    const double v[3] = {0.3, 0.1, 2};
    EXPECT_EQ(c->Zval_VertCC(v, 1, 1), t->Zval_VertCC(v, 1, 1)) << k.name;
  }
}

// A dimension that is not a finite number gives a cutter that says so (GetDia NaN, NaN
// contacts) instead of a smaller cutter; the sweep step stays a usable number.
TEST(ToolTest, NonFiniteDimensionsGiveANaNCutter) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const std::function<CTool*()> makes[] = {
      [=] { return new CTBall(nan); },          [=] { return new CTCylindrical(inf); },
      [=] { return new CTBull(nan, 1); },       [=] { return new CTBull(8, nan); },
      [=] { return new CTConnic(nan, 1, 0.5); }, [=] { return new CTConnic(6, inf, 0.5); },
      [=] { return new CTConnic(6, 1, nan); }};
  const double v[3] = {0, 0, 0}, n[3] = {0, 0, 1};
  for (size_t i = 0; i < std::size(makes); ++i) {
    SCOPED_TRACE(i);
    std::unique_ptr<CTool> t(makes[i]());
    EXPECT_TRUE(std::isnan(t->GetDia()));
    EXPECT_TRUE(std::isnan(t->Zval_VertCC(v, 0.1, 0)));
    double off[3];
    t->Eval_FacetCC_OffVec(n, off);
    EXPECT_TRUE(std::isnan(off[2]));
    std::unique_ptr<CTool> c(t->Copy());
    EXPECT_TRUE(std::isnan(c->GetDia()));
    const double step = t->IntervalDist(50);
    EXPECT_TRUE(std::isfinite(step) && step >= 0.01) << step;
  }
  // Negative sizes are still taken as 0, not refused.
  EXPECT_EQ(CTBall(-2).GetDia(), 0.0f);
  EXPECT_EQ(CTBull(8, -1).GetDia(), 8.0f);
}
