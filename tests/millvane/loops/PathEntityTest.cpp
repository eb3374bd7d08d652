// Path entities: evaluation, lengths, reversal, transforms, splitting, repetition and nearest
// points, checked against closed forms and brute-force sampling.
#include "millvane/loops/PathEntity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "support/VurodeFixture.h"

namespace {

using Pt = std::array<double, 3>;

void ExpectPt(const double* got, const Pt& want, double tol = 1e-9) {
  EXPECT_NEAR(got[0], want[0], tol);
  EXPECT_NEAR(got[1], want[1], tol);
  EXPECT_NEAR(got[2], want[2], tol);
}

std::unique_ptr<CPathPLine3D> MakePLine(const std::vector<Pt>& pts) {
  auto pl = std::make_unique<CPathPLine3D>();
  pl->SetPoints(static_cast<int>(pts.size()) - 1, reinterpret_cast<const double(*)[3]>(pts.data()));
  return pl;
}

std::vector<Pt> Points(const CPathPLine3D& pl) {
  std::vector<Pt> out;
  for (int i = 0; pl.count > 0 && i <= pl.count; ++i)
    out.push_back({pl.points[i][0], pl.points[i][1], pl.points[i][2]});
  return out;
}

Pt End(const CPathEntity& e, int which) {
  Pt p{};
  EXPECT_EQ(e.GetEndPoint(which, p.data()), 1);
  return p;
}

// Brute-force nearest XY distance over sampled points of an arc.
double SampledArcDist(const CPathArc3D& arc, const double q[3]) {
  double best = 1e300;
  for (int i = 0; i <= 20000; ++i) {
    double p[3];
    arc.PointAt(i / 20000.0, p);
    best = std::min(best, std::hypot(p[0] - q[0], p[1] - q[1]));
  }
  return best;
}

class PathEntityTest : public VurodeTest {};

}  // namespace

TEST_F(PathEntityTest, LineMeasuresAndReverses) {
  const double s[3] = {0, 0, 0}, e[3] = {3, 4, 12};
  CPathLine3D line(s, e);
  EXPECT_EQ(line.GetType(), 200);
  EXPECT_EQ(line.type, 200);
  EXPECT_EQ(line.code, 255);
  EXPECT_DOUBLE_EQ(line.GetLength(), 5.0);
  double t[3], n[2];
  ASSERT_EQ(line.GetTangent(0, t), 1);
  ExpectPt(t, {3.0 / 13, 4.0 / 13, 12.0 / 13});
  ASSERT_EQ(line.GetNormal2D(1, n), 1);
  EXPECT_NEAR(n[0], -0.8, 1e-12);
  EXPECT_NEAR(n[1], 0.6, 1e-12);
  EXPECT_EQ(line.Reverse(), 1);
  ExpectPt(End(line, 0).data(), {3, 4, 12});
  ExpectPt(End(line, 1).data(), {0, 0, 0});

  CPathLine3D dot(s, s);
  EXPECT_EQ(dot.GetTangent(0, t), 0);
  EXPECT_EQ(dot.GetNormal2D(0, n), 0);

  line.LowerEnd(2.0);
  EXPECT_DOUBLE_EQ(line.end[2], 10.0);
  line.SetZ(-1);
  EXPECT_EQ(line.start[2], -1);
  EXPECT_EQ(line.end[2], -1);
}

TEST_F(PathEntityTest, SplitNearTheEndsHandsBackAClone) {
  const double s[3] = {0, 0, 0}, e[3] = {10, 0, 0};
  CPathLine3D line(s, e);
  auto pl = MakePLine({{0, 0, 0}, {4, 0, 0}, {4, 6, 0}});
  const double c[3] = {0, 0, 0};
  CPathArc3D arc(c, 2.0, 0.0, 2.0);
  for (const CPathEntity* ent : std::initializer_list<const CPathEntity*>{&line, pl.get(), &arc}) {
    SCOPED_TRACE(ent->GetType());
    CPathEntity *a = nullptr, *b = nullptr;
    ASSERT_EQ(ent->Split(0.005, a, b), 1);
    EXPECT_EQ(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_DOUBLE_EQ(b->GetLength(), ent->GetLength());
    delete b;
    ASSERT_EQ(ent->Split(ent->GetLength() - 0.005, a, b), 1);
    EXPECT_EQ(b, nullptr);
    ASSERT_NE(a, nullptr);
    EXPECT_DOUBLE_EQ(a->GetLength(), ent->GetLength());
    delete a;
  }
}

// Inside the span every split gives two pieces that meet at the point L along the entity and
// whose lengths add up.
TEST_F(PathEntityTest, SplitPiecesMeetAndKeepTheLength) {
  const double s[3] = {0, 0, 0}, e[3] = {10, 0, 5};
  CPathLine3D line(s, e);
  auto pl = MakePLine({{0, 0, 0}, {4, 0, 1}, {4, 6, 2}, {0, 6, 3}});
  const double c[3] = {1, 1, 0};
  CPathArc3D helix(c, 2.0, 0.5, -3.0, 4.0);
  pl->code = 7;
  for (const CPathEntity* ent : std::initializer_list<const CPathEntity*>{&line, pl.get(), &helix}) {
    for (double L : {0.3, 4.0, 5.5, 6.9}) {
      SCOPED_TRACE(::testing::Message() << ent->GetType() << " at " << L);
      CPathEntity *a = nullptr, *b = nullptr;
      ASSERT_EQ(ent->Split(L, a, b), 1);
      std::unique_ptr<CPathEntity> ua(a), ub(b);
      ASSERT_TRUE(a && b);
      EXPECT_NEAR(a->GetLength(), L, 1e-9);
      EXPECT_NEAR(a->GetLength() + b->GetLength(), ent->GetLength(), 1e-9);
      ExpectPt(End(*a, 1).data(), End(*b, 0), 1e-9);
      ExpectPt(End(*a, 0).data(), End(*ent, 0), 1e-9);
      ExpectPt(End(*b, 1).data(), End(*ent, 1), 1e-9);
      EXPECT_EQ(a->code, ent->code);
    }
  }
}

TEST_F(PathEntityTest, PolylineSplitAtAVertexAddsNoDuplicate) {
  auto pl = MakePLine({{0, 0, 0}, {4, 0, 0}, {4, 6, 0}});
  CPathEntity *a = nullptr, *b = nullptr;
  ASSERT_EQ(pl->Split(4.0, a, b), 1);
  std::unique_ptr<CPathEntity> ua(a), ub(b);
  EXPECT_EQ(static_cast<CPathPLine3D*>(a)->count, 1);
  EXPECT_EQ(static_cast<CPathPLine3D*>(b)->count, 1);
}

TEST_F(PathEntityTest, RepeatLinesAndPolylines) {
  const double s[3] = {0, 0, 1}, e[3] = {5, 0, 1};
  CPathLine3D line(s, e);
  EXPECT_EQ(line.Repeat(0), nullptr);
  std::unique_ptr<CPathPLine3D> r(line.Repeat(2));
  ASSERT_TRUE(r);
  EXPECT_EQ(Points(*r), (std::vector<Pt>{{0, 0, 1}, {5, 0, 1}, {0, 0, 1}, {5, 0, 1}, {0, 0, 1}}));

  const Pt A{0, 0, 0}, B{1, 0, 0}, C{1, 1, 0}, A2{0.005, 0, 0};
  auto open = MakePLine({A, B, C});
  r.reset(open->Repeat(2));
  EXPECT_EQ(Points(*r), (std::vector<Pt>{A, B, C, C, B, A}));
  auto closed = MakePLine({A, B, C, A2});
  r.reset(closed->Repeat(2));
  EXPECT_EQ(Points(*r), (std::vector<Pt>{A, B, C, A2, A, B, C, A2}));
  EXPECT_EQ(open->Repeat(0), nullptr);

  const double c[3] = {0, 0, 0};
  CPathArc3D arc(c, 1, 0, 1);
  EXPECT_EQ(arc.Repeat(3), nullptr);
}

TEST_F(PathEntityTest, EmptyPolylineAnswersNeutrally) {
  CPathPLine3D pl;
  double p[3] = {7, 7, 7}, v[3];
  double dist = 1e9;
  EXPECT_EQ(pl.GetLength(), 0.0);
  EXPECT_EQ(pl.GetEndPoint(0, p), 0);
  EXPECT_EQ(pl.GetNormal2D(0, v), 0);
  EXPECT_EQ(pl.GetTangent(1, v), 0);
  EXPECT_EQ(pl.Repeat(2), nullptr);
  EXPECT_EQ(pl.NearestPoint(p, v, dist), 0);
  EXPECT_EQ(dist, 1e9);
  EXPECT_EQ(pl.Reverse(), 1);
  std::unique_ptr<CPathEntity> c(pl.Clone());
  EXPECT_EQ(static_cast<CPathPLine3D*>(c.get())->count, 0);

  // Refused inputs leave an empty polyline rather than an array with a negative size.
  const double pts[2][3] = {{0, 0, 0}, {1, 0, 0}};
  auto good = MakePLine({{0, 0, 0}, {1, 0, 0}});
  EXPECT_EQ(good->SetPoints(-3, pts), 0);
  EXPECT_EQ(good->count, 0);
  EXPECT_EQ(good->points, nullptr);
  EXPECT_EQ(good->SetPoints(1, nullptr), 0);
  EXPECT_EQ(good->SetPoints(1, pts), 1);
  EXPECT_EQ(good->GetLength(), 1.0);
}

TEST_F(PathEntityTest, PolylineRampDescendsLinearlyAlongThePath) {
  auto pl = MakePLine({{0, 0, 5}, {3, 0, 5}, {3, 4, 5}, {3, 4, 5}, {0, 4, 5}});
  pl->LowerEnd(2.0);
  const double expect[] = {5, 5 - 2 * 3.0 / 10, 5 - 2 * 7.0 / 10, 5 - 2 * 7.0 / 10, 3};
  for (int i = 0; i <= pl->count; ++i) EXPECT_NEAR(pl->points[i][2], expect[i], 1e-12) << i;
  auto flat = MakePLine({{1, 1, 5}, {1, 1, 9}});
  flat->LowerEnd(2.0);
  EXPECT_EQ(flat->points[1][2], 9);
}

TEST_F(PathEntityTest, PolylineMeasuresTransformsAndReverses) {
  auto pl = MakePLine({{0, 0, 0}, {3, 4, 1}, {3, 10, 2}});
  EXPECT_DOUBLE_EQ(pl->GetLength(), 11.0);
  double v[3];
  ASSERT_EQ(pl->GetNormal2D(0, v), 1);
  EXPECT_NEAR(v[0], -0.8, 1e-12);
  EXPECT_NEAR(v[1], 0.6, 1e-12);
  ASSERT_EQ(pl->GetTangent(1, v), 1);
  ExpectPt(v, {0, 6 / std::sqrt(37.0), 1 / std::sqrt(37.0)});

  const double a = 0.7;
  pl->Rotate(std::cos(a), std::sin(a));
  pl->Translate(1, 2, 3);
  EXPECT_NEAR(pl->GetLength(), 11.0, 1e-12);
  ExpectPt(pl->points[1], {3 * std::cos(a) - 4 * std::sin(a) + 1, 3 * std::sin(a) + 4 * std::cos(a) + 2, 4});
  pl->Reverse();
  ExpectPt(End(*pl, 1).data(), {1, 2, 3});
  pl->SetZ(-2);
  for (int i = 0; i <= pl->count; ++i) EXPECT_EQ(pl->points[i][2], -2);
}

// Plane kinds against the closed form of each kind's axes, at several parameters.
TEST_F(PathEntityTest, ArcPointsFollowThePlaneKind) {
  struct Case {
    int8_t kind;
    int cosAxis, sinAxis, riseAxis;
  };
  const Case cases[] = {{0, 0, 1, 2}, {1, 1, 2, 0}, {2, 2, 0, 1}};
  const double c[3] = {1, -2, 3}, r = 2.5, a0 = 0.3, a1 = 2.2, h = 1.5;
  for (const Case& k : cases) {
    CPathArc3D arc(c, r, a0, a1, h);
    arc.plane = k.kind;
    for (double t : {0.0, 0.25, 1.0}) {
      double p[3], want[3] = {c[0], c[1], c[2]};
      const double a = a0 + (a1 - a0) * t;
      want[k.cosAxis] += r * std::cos(a);
      want[k.sinAxis] += r * std::sin(a);
      want[k.riseAxis] += t * h;
      ASSERT_EQ(arc.PointAt(t, p), 1);
      ExpectPt(p, {want[0], want[1], want[2]}, 1e-12);
    }
  }
  // General orientation: rows of the frame.
  CPathArc3D gen(c, r, a0, a1, h);
  gen.plane = kArcFrame;
  double p[3];
  EXPECT_EQ(gen.PointAt(0.5, p), 0);
  EXPECT_EQ(gen.GetEndPoint(1, p), 0);
  const double s = std::sqrt(0.5);
  const double rows[9] = {s, s, 0, -s, s, 0, 0, 0, 1};
  gen.SetFrame(rows);
  std::unique_ptr<CPathEntity> copy(gen.Clone());
  gen.frame[0] = 99;  // the clone owns its own frame
  ASSERT_EQ(copy->GetEndPoint(1, p), 1);
  const double ca = r * std::cos(a1), sa = r * std::sin(a1);
  ExpectPt(p, {c[0] + ca * s - sa * s, c[1] + ca * s + sa * s, c[2] + h}, 1e-12);
}

TEST_F(PathEntityTest, ArcTangentsAndNormalsFollowTheTravel) {
  const double c[3] = {0, 0, 0};
  for (bool ccw : {true, false}) {
    CPathArc3D arc(c, 3.0, ccw ? 0.4 : 2.0, ccw ? 2.0 : 0.4);
    EXPECT_DOUBLE_EQ(arc.GetLength(), 1.6 * 3.0);
    for (int which : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << "ccw " << ccw << " end " << which);
      double t[3], n[2], p[3], q[3];
      ASSERT_EQ(arc.GetTangent(which, t), 1);
      // Tangent against a finite difference of the evaluation.
      const double u = which ? 1.0 : 0.0, du = which ? -1e-6 : 1e-6;
      arc.PointAt(u, p);
      arc.PointAt(u + du, q);
      double d[2] = {(q[0] - p[0]) / du, (q[1] - p[1]) / du};
      const double len = std::hypot(d[0], d[1]);
      EXPECT_NEAR(t[0], d[0] / len, 1e-5);
      EXPECT_NEAR(t[1], d[1] / len, 1e-5);
      EXPECT_EQ(t[2], 0.0);
      // Left normal: tangent turned a quarter counter-clockwise.
      ASSERT_EQ(arc.GetNormal2D(which, n), 1);
      EXPECT_NEAR(n[0], -t[1], 1e-12);
      EXPECT_NEAR(n[1], t[0], 1e-12);
      const double outward = n[0] * p[0] + n[1] * p[1];
      EXPECT_EQ(outward > 0, !ccw);
    }
  }
}

TEST_F(PathEntityTest, ArcRotateMovesFlatArcsOnly) {
  const double c[3] = {2, 1, 4};
  CPathArc3D arc(c, 1.5, 2.5, 5.0, 0.7);
  const double a = 2.0, ca = std::cos(a), sa = std::sin(a);
  Pt s = End(arc, 0), e = End(arc, 1);
  arc.Rotate(ca, sa);
  for (Pt* p : {&s, &e}) {
    const double x = (*p)[0] * ca - (*p)[1] * sa;
    (*p)[1] = (*p)[0] * sa + (*p)[1] * ca;
    (*p)[0] = x;
  }
  ExpectPt(End(arc, 0).data(), s, 1e-12);
  ExpectPt(End(arc, 1).data(), e, 1e-12);
  EXPECT_NEAR(arc.endAngle - arc.startAngle, 2.5, 1e-12);

  CPathArc3D side(c, 1.5, 0.0, 1.0);
  side.plane = kArcYZ;
  Pt before = End(side, 1);
  side.Rotate(ca, sa);
  ExpectPt(End(side, 1).data(), before);
  side.Translate(1, 2, 3);
  ExpectPt(End(side, 1).data(), {before[0] + 1, before[1] + 2, before[2] + 3});
  side.Reverse();
  ExpectPt(End(side, 0).data(), {before[0] + 1, before[1] + 2, before[2] + 3});
  side.LowerEnd(0.5);
  EXPECT_DOUBLE_EQ(side.rise, -0.5);
}

// Nearest points agree with dense sampling; lines and arcs always write, polylines only improve.
TEST_F(PathEntityTest, NearestPointsMatchSampling) {
  const double c[3] = {0, 0, 1};
  const CPathArc3D arcs[] = {CPathArc3D(c, 2.0, 0.2, 2.8), CPathArc3D(c, 2.0, 2.8, -1.0)};
  const double queries[][3] = {{0, 0, 5}, {3, 1, 2}, {-3, -0.5, 0}, {0.1, -4, 0}, {1, 1.2, 0}};
  for (const CPathArc3D& arc : arcs) {
    for (const auto& q : queries) {
      double near[3], dist = -1;
      ASSERT_EQ(arc.NearestPoint(q, near, dist), 1);
      EXPECT_NEAR(dist, SampledArcDist(arc, q), 1e-3);
      EXPECT_NEAR(std::hypot(near[0] - q[0], near[1] - q[1]), dist, 1e-9);
      EXPECT_EQ(near[2], q[2]);
    }
  }
  CPathArc3D side(c, 2.0, 0.0, 1.0);
  side.plane = kArcZX;
  double near[3], dist = 5;
  EXPECT_EQ(side.NearestPoint(queries[1], near, dist), 0);

  const double s[3] = {0, 0, 0}, e[3] = {4, 0, 0};
  CPathLine3D line(s, e);
  dist = 0.0;  // lines write even when farther than the incoming distance
  ASSERT_EQ(line.NearestPoint(queries[1], near, dist), 1);
  EXPECT_DOUBLE_EQ(dist, 1.0);
  ExpectPt(near, {3, 0, 2});

  auto pl = MakePLine({{0, 0, 0}, {4, 0, 0}, {4, 4, 0}});
  dist = 0.5;
  EXPECT_EQ(pl->NearestPoint(queries[1], near, dist), 0);
  EXPECT_EQ(dist, 0.5);
  dist = 10;
  ASSERT_EQ(pl->NearestPoint(queries[1], near, dist), 1);
  EXPECT_DOUBLE_EQ(dist, 1.0);
}

// Kernel curves carry the same geometry: ends and an interior point of each conversion.
TEST_F(PathEntityTest, ConversionToKernelCurvesKeepsTheGeometry) {
  const double c[3] = {1, 2, 3};
  std::vector<std::unique_ptr<CPathEntity>> ents;
  ents.emplace_back(new CPathArc3D(c, 2.0, 0.5, 2.5));
  ents.emplace_back(new CPathArc3D(c, 2.0, 2.5, -1.0));
  ents.emplace_back(new CPathArc3D(c, 2.0, 0.0, 3.0, -1.5));  // a ramp keeps its descent
  auto side = std::make_unique<CPathArc3D>(c, 2.0, 0.0, 1.0);
  side->plane = kArcYZ;
  ents.push_back(std::move(side));
  const double s[3] = {0, 0, 0}, e[3] = {3, 4, 5};
  ents.emplace_back(new CPathLine3D(s, e));
  ents.push_back(MakePLine({{0, 0, 0}, {1, 0, 1}, {1, 1, 2}}));
  for (auto& ent : ents) {
    SCOPED_TRACE(ent->GetType());
    std::unique_ptr<CGeCurve3d> curve(acPathEntityToCurve3d(ent.get()));
    ASSERT_TRUE(curve);
    double p[3];
    curve->GetStartPoint(p);
    ExpectPt(p, End(*ent, 0), 1e-9);
    curve->GetEndPoint(p);
    ExpectPt(p, End(*ent, 1), 1e-9);
    const CStrP3D& disc = curve->m_strDisc;
    ASSERT_GT(disc.m_nCount, 1);
    if (ent->GetType() == kPathArc) {
      // The discretisation passes within the chord tolerance of the arc's middle.
      auto* arc = static_cast<CPathArc3D*>(ent.get());
      double mid[3];
      arc->PointAt(0.5, mid);
      double best = 1e9;
      for (int i = 0; i + 1 < disc.m_nCount; ++i) {
        for (int k = 0; k <= 50; ++k) {
          for (int j = 0; j < 3; ++j)
            p[j] = disc.m_pPoints[i][j] + (disc.m_pPoints[i + 1][j] - disc.m_pPoints[i][j]) * k / 50.0;
          best = std::min(best, std::sqrt((p[0] - mid[0]) * (p[0] - mid[0]) +
                                          (p[1] - mid[1]) * (p[1] - mid[1]) +
                                          (p[2] - mid[2]) * (p[2] - mid[2])));
        }
      }
      EXPECT_LT(best, 0.02);
    }
  }
  CPathPLine3D empty;
  EXPECT_EQ(acPathEntityToCurve3d(&empty), nullptr);
  CPathArc3D noFrame(c, 1, 0, 1);
  noFrame.plane = kArcFrame;
  EXPECT_EQ(acPathEntityToCurve3d(&noFrame), nullptr);
}
