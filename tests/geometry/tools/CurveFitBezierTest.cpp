// Bezier fitting of digitised points and the conversion of traced outlines.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/tools/CurveFit.h"
#include "tests/geometry/tools/CurveFitTestUtil.h"

using namespace fittest;

namespace {
std::unique_ptr<CGeBezier> FitPoints(const std::vector<P>& pts, double error) {
  return std::unique_ptr<CGeBezier>(
      geFitCurve(reinterpret_cast<const double(*)[2]>(pts.data()), static_cast<int>(pts.size()),
                 error));
}

std::vector<P> SampleBezier(CGeBezier& bez, int per) {
  CGeCurveList one;
  one.AddTail(&bez);
  std::vector<P> out = SampleList(one, per);
  one.RemoveAll();
  return out;
}

P Node(const CGeBezier& b, int i) { return {b.m_pNode[i].x, b.m_pNode[i].y}; }

// Largest turn between the handles that meet at an inner main node.
double LargestNodeTurn(const CGeBezier& b) {
  double worst = 0.0;
  for (int i = 3; i + 1 < b.m_nNode; i += 3) {
    const P a = Node(b, i - 1), m = Node(b, i), c = Node(b, i + 1);
    const double u[2] = {m.x - a.x, m.y - a.y}, v[2] = {c.x - m.x, c.y - m.y};
    worst = std::max(worst, std::fabs(std::atan2(u[0] * v[1] - u[1] * v[0],
                                                 u[0] * v[0] + u[1] * v[1])));
  }
  return worst;
}

TEST(BezierFit, TwoPointsGiveOneCubicWithHandlesAtThirds) {
  auto bez = FitPoints({{1, 2}, {7, -1}}, 0.01);
  ASSERT_TRUE(bez);
  ASSERT_EQ(bez->m_nNode, 4);
  EXPECT_NEAR(Node(*bez, 1).x, 3.0, 1e-12);
  EXPECT_NEAR(Node(*bez, 1).y, 1.0, 1e-12);
  EXPECT_NEAR(Node(*bez, 2).x, 5.0, 1e-12);
  EXPECT_NEAR(Node(*bez, 2).y, 0.0, 1e-12);
}

TEST(BezierFit, PointsStayWithinTheBoundAndPiecesJoinSmoothly) {
  struct Shape {
    const char* name;
    std::function<P(double)> f;
    int n;
    double noise;
  } shapes[] = {
      {"quarter circle", [](double t) { return P{10 * std::cos(t * std::numbers::pi / 2), 10 * std::sin(t * std::numbers::pi / 2)}; },
       50, 0.0},
      {"wave", [](double t) { return P{30 * t, 3 * std::sin(9 * t)}; }, 400, 0.0},
      {"noisy spiral",
       [](double t) { return P{(2 + 4 * t) * std::cos(5 * t), (2 + 4 * t) * std::sin(5 * t)}; },
       600, 0.02},
  };
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> jitter(-1.0, 1.0);
  for (const Shape& s : shapes) {
    std::vector<P> pts;
    for (int i = 0; i < s.n; ++i) {
      const P p = s.f(static_cast<double>(i) / (s.n - 1));
      pts.push_back({p.x + s.noise * jitter(rng), p.y + s.noise * jitter(rng)});
    }
    const double error = 0.05 * 0.05;  // a squared distance
    auto bez = FitPoints(pts, error);
    ASSERT_TRUE(bez) << s.name;
    ASSERT_EQ((bez->m_nNode - 1) % 3, 0);
    EXPECT_EQ(Node(*bez, 0).x, pts.front().x);
    EXPECT_EQ(Node(*bez, bez->m_nNode - 1).y, pts.back().y);
    const std::vector<P> curve = SampleBezier(*bez, 400);
    double worst = 0.0;
    for (P p : pts) worst = std::max(worst, DistToPath(p, curve));
    EXPECT_LE(worst, std::sqrt(error)) << s.name;
    EXPECT_LT(LargestNodeTurn(*bez), 1e-9) << s.name;
    if (s.noise > 0) {
      EXPECT_GT(bez->GetSegmentCount(), 1) << s.name;
    }
  }
}

TEST(BezierFit, RepeatedPointsAreDroppedFirst) {
  const std::vector<P> clean = {{0, 0}, {1, 1}, {2, 1.5}, {3, 1.6}, {4, 1.2}, {5, 0}};
  std::vector<P> doubled;
  for (P p : clean) {
    doubled.push_back(p);
    doubled.push_back(p);
  }
  doubled.push_back(clean.back());
  auto a = FitPoints(clean, 0.001);
  auto b = FitPoints(doubled, 0.001);
  ASSERT_TRUE(a);
  ASSERT_TRUE(b);
  ASSERT_EQ(a->m_nNode, b->m_nNode);
  for (int i = 0; i < a->m_nNode; ++i) {
    EXPECT_EQ(Node(*a, i).x, Node(*b, i).x);
    EXPECT_EQ(Node(*a, i).y, Node(*b, i).y);
    EXPECT_TRUE(std::isfinite(Node(*b, i).x));
  }
  // No two distinct points: nothing to fit.
  EXPECT_EQ(FitPoints({{3, 3}, {3, 3}, {3, 3}}, 0.01), nullptr);
  EXPECT_EQ(FitPoints({{3, 3}}, 0.01), nullptr);
  EXPECT_EQ(geFitCurve(nullptr, 4, 0.01), nullptr);
}

TEST(BezierFit, PathTurningStraightBackStillFits) {
  // The path runs out and back: the split point's neighbours coincide.
  const std::vector<P> pts = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {2, 0}, {1, 0}, {0, 0.5}};
  auto bez = FitPoints(pts, 0.0001);
  ASSERT_TRUE(bez);
  for (int i = 0; i < bez->m_nNode; ++i) {
    EXPECT_TRUE(std::isfinite(Node(*bez, i).x));
    EXPECT_TRUE(std::isfinite(Node(*bez, i).y));
  }
  const std::vector<P> curve = SampleBezier(*bez, 400);
  for (P p : pts) EXPECT_LE(DistToPath(p, curve), 0.01);
}

TEST(BezierFit, ZeroBoundOnALongInputStillEnds) {
  std::vector<P> line, wave;
  for (int i = 0; i < 20000; ++i) {
    line.push_back({0.5 * i, 0.25 * i});
    wave.push_back({0.01 * i, std::sin(0.01 * i)});
  }
  for (const auto* pts : {&line, &wave}) {
    auto bez = FitPoints(*pts, 0.0);
    ASSERT_TRUE(bez);
    const std::vector<P> curve = SampleBezier(*bez, 20);
    for (size_t i = 0; i < pts->size(); i += 97) EXPECT_LE(DistToPath((*pts)[i], curve), 1e-5);
  }
}

// ---- traced outlines ----

_at_spline_type Linear(P a, P b) {
  _at_spline_type s{};
  s.degree = 1;
  s.v[0] = {static_cast<float>(a.x), static_cast<float>(a.y), 0.0f};
  s.v[3] = {static_cast<float>(b.x), static_cast<float>(b.y), 0.0f};
  return s;
}

_at_spline_type Cubic(P a, P b, P c, P d) {
  _at_spline_type s{};
  s.degree = 3;
  const P p[4] = {a, b, c, d};
  for (int i = 0; i < 4; ++i) s.v[i] = {static_cast<float>(p[i].x), static_cast<float>(p[i].y), 0.0f};
  return s;
}

// Converts outlines and hands back the composites (owned by the returned list).
struct Converted {
  CGeCurveList list;
  ~Converted() { FreeList(list); }
};

void Convert(std::vector<std::vector<_at_spline_type>> outlines, Converted& out) {
  std::vector<_at_spline_list_type> lists;
  for (auto& o : outlines) lists.push_back({o.data(), static_cast<unsigned>(o.size()), 1});
  ConvertTraceCurve({lists.data(), static_cast<unsigned>(lists.size())}, &out.list);
}

std::vector<int> SubTypes(CGeCurve* c) {
  std::vector<int> t;
  for (CGeCurve* s : Items(static_cast<CGeCombCurve*>(c)->m_CurveList)) t.push_back(s->GetType());
  return t;
}

TEST(TraceConversion, LinearPiecesJoinUnlessTheGapIsWide) {
  struct Row {
    double gap;
    size_t composites;
  } rows[] = {{0.0, 1}, {0.005, 1}, {0.02, 2}};
  for (const Row& r : rows) {
    Converted out;
    Convert({{Linear({0, 0}, {1, 0}), Linear({1 + r.gap, 0}, {1, 1}),
              Linear({1, 1}, {0, 1})}},
            out);
    ASSERT_EQ(static_cast<size_t>(out.list.GetCount()), r.composites) << r.gap;
    for (CGeCurve* c : Items(out.list)) EXPECT_EQ(c->GetType(), GE_TYPE_COMBCURVE);
    if (r.composites == 1) {
      EXPECT_EQ(SubTypes(out.list.GetHead()), std::vector<int>{GE_TYPE_POLYLINE});
    } else {
      EXPECT_EQ(SubTypes(out.list.GetHead()), std::vector<int>{GE_TYPE_LINE});
      EXPECT_EQ(SubTypes(out.list.GetTail()), std::vector<int>{GE_TYPE_POLYLINE});
    }
  }
}

TEST(TraceConversion, CurvedPiecesBecomeBeziersBetweenTheLines) {
  Converted out;
  _at_spline_type quad{};
  quad.degree = 2;
  quad.v[0] = {6, 2, 0};
  quad.v[1] = {8, 4, 0};
  quad.v[3] = {10, 2, 0};
  Convert({{Linear({0, 0}, {2, 0}), Cubic({2, 0}, {3, 1}, {5, 1}, {6, 2}), quad,
            Linear({10, 2}, {10, 0}), Linear({10, 0}, {0, 0})},
           {},
           {Cubic({0, 5}, {1, 6}, {2, 6}, {3, 5})}},
          out);
  ASSERT_EQ(out.list.GetCount(), 2);
  EXPECT_EQ(SubTypes(out.list.GetHead()),
            (std::vector<int>{GE_TYPE_LINE, GE_TYPE_BEZIER, GE_TYPE_BEZIER, GE_TYPE_POLYLINE}));
  EXPECT_EQ(SubTypes(out.list.GetTail()), std::vector<int>{GE_TYPE_BEZIER});
  // The lines after the quadratic start at its end point.
  auto* comb = static_cast<CGeCombCurve*>(out.list.GetHead());
  double s[2];
  comb->GetSubCurve(4)->GetStartPoint(s);
  EXPECT_EQ(s[0], 10.0);
  EXPECT_EQ(s[1], 2.0);
  EXPECT_EQ(comb->IsLinked(), 1);

  ConvertTraceCurve({nullptr, 0}, &out.list);
  EXPECT_EQ(out.list.GetCount(), 2);
  std::vector<_at_spline_type> one = {Linear({0, 0}, {1, 1})};
  _at_spline_list_type l{one.data(), 1, 1};
  ConvertTraceCurve({&l, 1}, nullptr);
}

}  // namespace
