#include "platform/lumbril/Lumbril.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>

namespace {

_at_spline_type Spline(int degree, std::array<std::array<float, 2>, 4> v) {
  _at_spline_type s{};
  for (int i = 0; i < 4; ++i) s.v[i] = {v[i][0], v[i][1], 0.0f};
  s.degree = degree;
  return s;
}

struct ListDeleter {
  void operator()(_kx_curve_list_type* p) const { kx_free_kxcurve(p); }
};
using ListPtr = std::unique_ptr<_kx_curve_list_type, ListDeleter>;

// Point of a quadratic with end points a, c and control point b.
std::array<double, 2> Quad(const _at_spline_type& s, double t) {
  const double u = 1 - t;
  return {u * u * s.v[0].x + 2 * u * t * s.v[1].x + t * t * s.v[3].x,
          u * u * s.v[0].y + 2 * u * t * s.v[1].y + t * t * s.v[3].y};
}

std::array<double, 2> Cubic(const float p[4][3], double t) {
  const double u = 1 - t;
  const double w[4] = {u * u * u, 3 * u * u * t, 3 * u * t * t, t * t * t};
  std::array<double, 2> r{0, 0};
  for (int i = 0; i < 4; ++i) {
    r[0] += w[i] * p[i][0];
    r[1] += w[i] * p[i][1];
  }
  return r;
}

TEST(TraceSpline, SegmentsKeepTheirShape) {
  _at_spline_type pieces[] = {
      Spline(1, {{{0, 0}, {9, 9}, {9, 9}, {4, 0}}}),   // line: only the end points count
      Spline(2, {{{4, 0}, {6, 3}, {0, 0}, {8, 0}}}),   // quadratic
      Spline(3, {{{8, 0}, {9, 1}, {10, 1}, {11, 0}}}), // cubic
      Spline(5, {{{11, 0}, {0, 0}, {0, 0}, {12, 0}}}), // unknown degree: dropped
  };
  _at_spline_list_type outline{pieces, 4, 1};
  ListPtr list(kx_spline_to_kxcurve({&outline, 1}));
  ASSERT_TRUE(list);
  ASSERT_EQ(list->curves.size(), 1u);
  const auto& segs = list->curves[0].segments;
  ASSERT_EQ(segs.size(), 3u);

  EXPECT_EQ(segs[0].degree, 1);
  EXPECT_FLOAT_EQ(segs[0].pt[0][0], 0.0f);
  EXPECT_FLOAT_EQ(segs[0].pt[1][0], 4.0f);

  EXPECT_EQ(segs[1].degree, 3) << "a quadratic is handed on as its equal cubic";
  for (double t : {0.0, 0.2, 0.5, 0.9, 1.0}) {
    const auto q = Quad(pieces[1], t);
    const auto c = Cubic(segs[1].pt, t);
    EXPECT_NEAR(c[0], q[0], 1e-5) << t;
    EXPECT_NEAR(c[1], q[1], 1e-5) << t;
  }

  EXPECT_EQ(segs[2].degree, 3);
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(segs[2].pt[i][0], pieces[2].v[i].x);
}

TEST(TraceSpline, OneCurvePerNonEmptyOutline) {
  _at_spline_type a[] = {Spline(1, {{{0, 0}, {}, {}, {1, 0}}})};
  _at_spline_type b[] = {Spline(3, {{{0, 0}, {1, 1}, {2, 1}, {3, 0}}}),
                         Spline(1, {{{3, 0}, {}, {}, {3, 3}}})};
  _at_spline_type bad[] = {Spline(0, {})};
  _at_spline_list_type outlines[] = {{a, 1, 0}, {nullptr, 0, 0}, {bad, 1, 0}, {b, 2, 1}};
  ListPtr list(kx_spline_to_kxcurve({outlines, 4}));
  ASSERT_TRUE(list);
  ASSERT_EQ(list->curves.size(), 2u);
  EXPECT_EQ(list->curves[0].segments.size(), 1u);
  EXPECT_EQ(list->curves[1].segments.size(), 2u);
}

TEST(TraceSpline, NothingToConvertGivesNull) {
  _at_spline_type bad[] = {Spline(4, {})};
  _at_spline_list_type empty{nullptr, 3, 0};
  _at_spline_list_type onlyBad{bad, 1, 0};
  EXPECT_TRUE(at_spline_list_array_is_empty({nullptr, 0}));
  EXPECT_TRUE(at_spline_list_array_is_empty({&empty, 1}));
  EXPECT_FALSE(at_spline_list_array_is_empty({&onlyBad, 1}));
  EXPECT_EQ(kx_spline_to_kxcurve({nullptr, 5}), nullptr);
  EXPECT_EQ(kx_spline_to_kxcurve({&empty, 1}), nullptr);
  EXPECT_EQ(kx_spline_to_kxcurve({&onlyBad, 1}), nullptr);
  kx_free_kxcurve(nullptr);
}

}  // namespace
