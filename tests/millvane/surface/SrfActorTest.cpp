#include "millvane/surface/SrfActor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "EditorFixture.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "geometry/surfaces/GeMesh.h"
#include "platform/numora/NurbsEditor.h"
#include "platform/numora/StrP3D.h"

namespace {

using PointArray = CArray<tagDPoint3d, tagDPoint3d>;

std::unique_ptr<PointArray> Points(std::initializer_list<tagDPoint3d> pts) {
  auto a = std::make_unique<PointArray>();
  for (const auto& p : pts) a->Add(p);
  return a;
}

// The boundary edge of s's outer loop that runs along the parameter line u.
CGeTrimBnd* edgeAt(CGeTrimSurf* s, double u) {
  for (POSITION pos = s->m_LoopList.GetHead()->m_BndList.GetHeadPosition(); pos;) {
    CGeTrimBnd* e = s->m_LoopList.GetHead()->m_BndList.GetNext(pos);
    double p0[2], p1[2];
    if (e->GetParaPoint(0, p0) && e->GetParaPoint(1, p1) && std::fabs(p0[0] - u) < 1e-9 &&
        std::fabs(p1[0] - u) < 1e-9)
      return e;
  }
  return nullptr;
}

}  // namespace

TEST(SrfActorTest, MakeCurveFiltersPointsAndPicksTheCurveKind) {
  CSrfActor actor;
  // Collinear middle point and a near duplicate vanish: two vertices remain.
  auto line3 = Points({{0, 0, 0}, {1, 0, 0}, {1.00001, 0, 0}, {2, 0, 0}});
  std::unique_ptr<CGeCurve3d> pl(actor.MakeCurve(line3.get(), 2));
  auto* poly = dynamic_cast<CGePolyline3d*>(pl.get());
  ASSERT_NE(poly, nullptr);
  CStrP3D str;
  poly->Discrete(0.01, str);
  ASSERT_EQ(str.m_nCount, 2);
  EXPECT_DOUBLE_EQ(str.m_pPoints[1][0], 2.0);

  auto two = Points({{0, 0, 0}, {1, 1, 0}});
  std::unique_ptr<CGeCurve3d> l(actor.MakeCurve(two.get(), 1));
  EXPECT_NE(dynamic_cast<CGeLine3d*>(l.get()), nullptr);

  auto arc = Points({{1, 0, 0}, {0.7071, 0.7071, 0}, {0, 1, 0}, {-0.7071, 0.7071, 0}});
  for (int type : {1, 0}) {
    std::unique_ptr<CGeCurve3d> c(actor.MakeCurve(arc.get(), type));
    auto* n = dynamic_cast<CGeNrbCrv3d*>(c.get());
    ASSERT_NE(n, nullptr) << type;
    double s[3], e[3];
    n->GetStartPoint(s);
    n->GetEndPoint(e);
    EXPECT_NEAR(s[0], 1.0, 1e-9);
    EXPECT_NEAR(e[0], -0.7071, 1e-9);
  }
  // Ends within 0.2 are closed.
  auto loop = Points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0.1, 0.05, 0}});
  std::unique_ptr<CGeCurve3d> closed(actor.MakeCurve(loop.get(), 2));
  ASSERT_NE(closed, nullptr);
  double s[3], e[3];
  closed->GetStartPoint(s);
  closed->GetEndPoint(e);
  EXPECT_DOUBLE_EQ(e[0], s[0]);
  EXPECT_DOUBLE_EQ(e[1], s[1]);

  auto one = Points({{0, 0, 0}});
  EXPECT_EQ(actor.MakeCurve(one.get(), 2), nullptr);
  auto same = Points({{0, 0, 0}, {0, 0, 0.00001}});
  EXPECT_EQ(actor.MakeCurve(same.get(), 1), nullptr);
  auto bad = Points({{0, 0, 0}, {NAN, 0, 0}});
  EXPECT_EQ(actor.MakeCurve(bad.get(), 0), nullptr);
  EXPECT_EQ(actor.MakeCurve(nullptr, 0), nullptr);
}

// Points dropped onto a sloped mesh over a grid against brute force over all triangles.
TEST(SrfActorTest, PrjAlongZAxisTakesTheHighestHitAndMarksMisses) {
  CGeMesh low, high;
  auto addQuad = [](CGeMesh& m, double z0, double slope) {
    const int b = int(m.vertices.size());
    const double xy[4][2] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    for (auto& p : xy)
      m.vertices.emplace_back(float(p[0]), float(p[1]), float(z0 + slope * p[0]));
    m.faces.push_back({{b, b + 1, b + 2}});
    m.faces.push_back({{b, b + 2, b + 3}});
  };
  addQuad(low, 0.0, 0.0);
  addQuad(high, -1.0, 0.5);  // above the low one for x > 2
  CGeMeshList meshes;
  meshes.AddTail(&low);
  meshes.AddTail(&high);
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> d(-1.0f, 5.0f);
  std::vector<tagPoint3d> in(500), out;
  for (auto& p : in) p = {d(rng), d(rng), 3.0f};
  CSrfActor actor;
  actor.PrjAlongZAxis(&meshes, in, out);
  ASSERT_EQ(out.size(), in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    const float x = in[i].x, y = in[i].y;
    EXPECT_EQ(out[i].x, x);
    const bool inside = x > 0.001f && x < 3.999f && y > 0.001f && y < 3.999f;
    const bool outside = x < -0.001f || x > 4.001f || y < -0.001f || y > 4.001f;
    if (inside) {
      EXPECT_NEAR(out[i].z, std::max(0.0, -1.0 + 0.5 * x), 1e-5);
    }
    if (outside) {
      EXPECT_EQ(out[i].z, -1e12f);
    }
  }
  // A non-empty output vector is left alone.
  std::vector<tagPoint3d> busy(1);
  actor.PrjAlongZAxis(&meshes, in, busy);
  EXPECT_EQ(busy.size(), 1u);
}

TEST(SrfActorTest, EqualDistancePointsAlongALine) {
  CSrfActor actor;
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0};
  CGeLine3d line(a, b);
  struct Case {
    double step;
    int count;
  } cases[] = {{0.25, 5}, {0.3, 5}, {2.0, 2}, {0.0, 2}, {NAN, 2}};
  for (const Case& c : cases) {
    CArray<tagDPoint3d, tagDPoint3d> out;
    actor.CrvDiscToStrptInEquDist(&line, c.step, 0.01, out);
    ASSERT_EQ(out.GetSize(), c.count) << c.step;
    for (INT_PTR i = 1; i + 1 < out.GetSize(); ++i) EXPECT_NEAR(out[i].x, c.step * double(i), 1e-12);
    EXPECT_DOUBLE_EQ(out[out.GetSize() - 1].x, 1.0);
  }
  CArray<tagDPoint3d, tagDPoint3d> none;
  actor.CrvDiscToStrptInEquDist(nullptr, 0.1, 0.01, none);
  EXPECT_EQ(none.GetSize(), 0);
}

// Trimming a plane by a cylinder and untrimming the hole gives back the whole domain; the
// untrimmed copy keeps the surface's parameter box.
TEST(SrfActorTest, TrimThenUntrimRestoresTheDomain) {
  _nurbs_surface* p = edt::Plane(4, 4);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      p->net[j][i][0] -= 2;
      p->net[j][i][1] -= 2;
      p->net[j][i][2] = 0.5;
    }
  auto plane = edt::Untrimmed(p);
  auto cyl = edt::Untrimmed(edt::Cylinder(1.0, 1.0));
  CGeTrimSurfList tools, pieces;
  tools.AddTail(cyl.get());
  CSrfActor actor;
  ASSERT_EQ(actor.SrfSrfTrim(&tools, plane.get(), &pieces), 1);
  CGeTrimSurf* holed = nullptr;
  for (POSITION pos = pieces.GetHeadPosition(); pos;) {
    CGeTrimSurf* s = pieces.GetNext(pos);
    if (s->m_LoopList.GetCount() == 2) holed = s;
  }
  ASSERT_NE(holed, nullptr);
  holed->BuildTopo();
  CGeTrimLoop* hole = holed->m_LoopList.GetTail();
  ASSERT_LT(hole->EvArea(1e-4), 0.0);
  std::unique_ptr<CGeTrimSurf> back(actor.UnTrimSurf(holed, hole->m_BndList.GetHead()));
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->m_LoopList.GetCount(), 1);
  EXPECT_NEAR(back->m_LoopList.GetHead()->EvArea(1e-4), 1.0, 1e-9);
  EXPECT_DOUBLE_EQ(back->m_uvBox.max[0], 1.0);
  EXPECT_DOUBLE_EQ(back->m_uvBox.max[1], 1.0);
  // Untrimming the outer loop gives the full rectangle plus the hole.
  std::unique_ptr<CGeTrimSurf> full(
      actor.UnTrimSurf(holed, holed->m_LoopList.GetHead()->m_BndList.GetHead()));
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(full->m_LoopList.GetCount(), 2);
  // An edge of another surface's loop is refused.
  EXPECT_EQ(actor.UnTrimSurf(plane.get(), hole->m_BndList.GetHead()), nullptr);
  EXPECT_EQ(actor.UnTrimSurf(nullptr, nullptr), nullptr);
  while (!pieces.IsEmpty()) delete pieces.RemoveHead();
}

TEST(SrfActorTest, FilletAndChamferReturnZeroWhenNothingIsMade) {
  // Two parallel planes far apart: no ball of this radius touches both.
  auto a = edt::Untrimmed(edt::Plane(1, 1));
  _nurbs_surface* q = edt::Plane(1, 1);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) q->net[j][i][2] = 5.0;
  auto b = edt::Untrimmed(q);
  CSrfActor actor;
  ASSERT_EQ(actor.CreateSURFACE(a.get()), 1);
  ASSERT_EQ(actor.CreateSURFACE(b.get()), 1);
  CGeTrimSurfList out;
  EXPECT_EQ(actor.SrfFillet(a.get(), 0, b.get(), 0, 1, 0, 0.5, &out), 0);
  EXPECT_EQ(actor.SrfChamfer(a.get(), 0, b.get(), 0, 1, 0, 0.5, 0.5, &out), 0);
  EXPECT_EQ(actor.SrfFillet(nullptr, 0, b.get(), 0, 0, 0, 0.5, &out), 0);
  EXPECT_TRUE(out.IsEmpty());
  actor.FreeSURFACE(a.get());
  actor.FreeSURFACE(b.get());
  EXPECT_EQ(a->m_pKernelSurf, nullptr);
}

// A line projected along z onto the plane z = 0.5 is the line with z replaced; the length of
// the direction does not matter and a null direction is refused.
TEST(SrfActorTest, CurveProjectedAlongZOntoAPlane) {
  _nurbs_surface* p = edt::Plane(4, 4);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      p->net[j][i][0] -= 2;
      p->net[j][i][1] -= 2;
      p->net[j][i][2] = 0.5;
    }
  auto plane = edt::Untrimmed(p);
  const double a[3] = {-1, -1, 3}, b[3] = {1, 0.5, 4};
  CGeLine3d line(a, b);
  CSrfActor actor;
  for (double scale : {1.0, 7.0}) {
    double dir[3] = {0, 0, scale};
    CGeCurve3dPtrList out;
    ASSERT_EQ(actor.CrvPrjToSrf(&line, plane.get(), dir, 2, &out), 1) << scale;
    ASSERT_EQ(out.GetCount(), 1);
    std::unique_ptr<CGeCurve3d> c(out.RemoveHead());
    CStrP3D str;
    c->Discrete(0.001, str);
    ASSERT_GE(str.m_nCount, 2);
    for (int i = 0; i < str.m_nCount; ++i) {
      const double* q = str.m_pPoints[i];
      EXPECT_NEAR(q[2], 0.5, 1e-6);
      // On the xy line through a and b: 1.5 (x + 1) = 2 (y + 1).
      EXPECT_NEAR(1.5 * (q[0] + 1) - 2 * (q[1] + 1), 0.0, 1e-4);
    }
    double s[3], e[3];
    c->GetStartPoint(s);
    c->GetEndPoint(e);
    EXPECT_NEAR(std::min(std::hypot(s[0] + 1, s[1] + 1), std::hypot(e[0] + 1, e[1] + 1)), 0.0,
                1e-3);
    EXPECT_NEAR(std::min(std::hypot(s[0] - 1, s[1] - 0.5), std::hypot(e[0] - 1, e[1] - 0.5)),
                0.0, 1e-3);
  }
  double zero[3] = {0, 0, 0};
  CGeCurve3dPtrList out;
  EXPECT_EQ(actor.CrvPrjToSrf(&line, plane.get(), zero, 2, &out), 0);
  EXPECT_TRUE(out.IsEmpty());
  EXPECT_EQ(plane->m_pKernelSurf, nullptr);
}

// A closed ring around a cylinder, starting on its seam, projected along the normal: every
// vertex lies on the cylinder, no step jumps across it, and the ring keeps its length.
TEST(SrfActorTest, ClosedStringProjectedAlongTheNormalAcrossTheSeam) {
  auto cyl = edt::Untrimmed(edt::Cylinder(1.0, 1.0));
  CSrfActor actor;
  ASSERT_EQ(actor.CreateSURFACE(cyl.get()), 1);
  PointArray ring;
  const int n = 64;
  for (int i = 0; i <= n; ++i) {
    const double a = -2 * M_PI * (i % n) / n;  // clockwise: the last point is reached from u > 0
    ring.Add(tagDPoint3d{1.5 * std::cos(a), 1.5 * std::sin(a), 0.5 + 0.1 * std::sin(3 * a)});
  }
  CGeCurve3dPtrList out;
  ASSERT_EQ(actor.StrptPrjToSurfAlongNormal(ring, cyl.get(), 2, &out), 1);
  double total = 0.0;
  while (!out.IsEmpty()) {
    std::unique_ptr<CGeCurve3d> c(out.RemoveHead());
    CStrP3D str;
    c->Discrete(0.001, str);
    for (int i = 0; i < str.m_nCount; ++i) {
      const double* q = str.m_pPoints[i];
      EXPECT_NEAR(std::hypot(q[0], q[1]), 1.0, 1e-4);
      if (i > 0) {
        const double* p = str.m_pPoints[i - 1];
        EXPECT_LT(std::hypot(q[0] - p[0], q[1] - p[1]), 0.2) << i;
      }
    }
    total += str.EvLength2D();
  }
  EXPECT_NEAR(total, 2 * M_PI, 0.02);
  // Too few points, or a surface without its kernel record, give nothing.
  PointArray one;
  one.Add(tagDPoint3d{1, 0, 0});
  EXPECT_EQ(actor.StrptPrjToSurfAlongNormal(one, cyl.get(), 2, &out), 0);
  actor.FreeSURFACE(cyl.get());
  EXPECT_EQ(actor.StrptPrjToSurfAlongNormal(ring, cyl.get(), 2, &out), 0);
  EXPECT_TRUE(out.IsEmpty());
}

// A rectangle with a circle inside at z = 2 makes one face with a hole; a rectangle in the
// parallel plane z = 5 (drawn the other way round) makes a face of its own.
TEST(SrfActorTest, GenPlaneRectangleWithCircleAndAParallelRectangle) {
  auto polyline = [](std::vector<std::array<double, 3>> pts) {
    auto* pl = new CGePolyline3d;
    pl->Create(int(pts.size()), reinterpret_cast<const double(*)[3]>(pts.data()));
    return pl;
  };
  std::vector<std::array<double, 3>> circle;
  const int n = 64;
  for (int i = 0; i <= n; ++i) {
    const double a = 2 * M_PI * (i % n) / n;
    circle.push_back({2 + 0.5 * std::cos(a), 1.5 + 0.5 * std::sin(a), 2});
  }
  CGeCurve3dPtrList curves;
  curves.AddTail(polyline({{0, 0, 2}, {4, 0, 2}, {4, 3, 2}, {0, 3, 2}, {0, 0, 2}}));
  curves.AddTail(polyline({{0, 0, 5}, {0, 3, 5}, {4, 3, 5}, {4, 0, 5}, {0, 0, 5}}));
  curves.AddTail(polyline(circle));
  CSrfActor actor;
  CGeTrimSurfList out;
  ASSERT_EQ(actor.GenPlane(&curves, &out), 1);
  ASSERT_EQ(out.GetCount(), 2);
  const double holeShare = edt::ChordArea(0.5, n) / 12.0;
  int withHole = 0;
  while (!out.IsEmpty()) {
    std::unique_ptr<CGeTrimSurf> s(out.RemoveHead());
    double p[3];
    ASSERT_EQ(s->GetPoint(0.5, 0.5, p), 1);
    EXPECT_NEAR(p[0], 2.0, 1e-9);
    EXPECT_NEAR(p[1], 1.5, 1e-9);
    double area = 0.0;
    for (POSITION pos = s->m_LoopList.GetHeadPosition(); pos;)
      area += s->m_LoopList.GetNext(pos)->EvArea(1e-4);
    if (s->m_LoopList.GetCount() == 2) {
      ++withHole;
      EXPECT_NEAR(p[2], 2.0, 1e-9);
      EXPECT_NEAR(std::fabs(area), 1.0 - holeShare, 1e-3);
    } else {
      EXPECT_EQ(s->m_LoopList.GetCount(), 1);
      EXPECT_NEAR(p[2], 5.0, 1e-9);
      EXPECT_NEAR(std::fabs(area), 1.0, 1e-6);
    }
  }
  EXPECT_EQ(withHole, 1);
  while (!curves.IsEmpty()) delete curves.RemoveHead();
  CGeCurve3dPtrList empty;
  EXPECT_EQ(actor.GenPlane(&empty, &out), 0);
  // An open line bounds nothing.
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0};
  CGeLine3d line(a, b);
  CGeCurve3dPtrList open;
  open.AddTail(&line);
  EXPECT_EQ(actor.GenPlane(&open, &out), 0);
  EXPECT_TRUE(out.IsEmpty());
}

// A circle drawn above a plane projects along z onto it and cuts a round hole out of it; a
// curve that is not planar is skipped.
TEST(SrfActorTest, CircleAboveAPlaneProjectsAndTrimsAlongZ) {
  _nurbs_surface* p = edt::Plane(4, 4);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      p->net[j][i][0] -= 2;
      p->net[j][i][1] -= 2;
      p->net[j][i][2] = 0.5;
    }
  auto plane = edt::Untrimmed(p);
  const int n = 48;
  std::vector<std::array<double, 3>> ring, twisted;
  for (int i = 0; i <= n; ++i) {
    const double a = 2 * M_PI * (i % n) / n;
    ring.push_back({std::cos(a), std::sin(a), 3.0});
    twisted.push_back({std::cos(a), std::sin(a), 3.0 + std::sin(2 * a)});
  }
  auto make = [](std::vector<std::array<double, 3>>& pts) {
    auto* pl = new CGePolyline3d;
    pl->Create(int(pts.size()), reinterpret_cast<const double(*)[3]>(pts.data()));
    return pl;
  };
  PointArray ringPts;
  for (const auto& q : ring) ringPts.Add(tagDPoint3d{q[0], q[1], q[2]});
  CSrfActor actor;
  // A smooth closed curve through the ring's points.
  std::unique_ptr<CGeCurve3d> circle(actor.MakeCurve(&ringPts, 0));
  ASSERT_NE(circle, nullptr);
  std::unique_ptr<CGePolyline3d> bent(make(twisted));
  CGeCurve3dPtrList curves;
  curves.AddTail(bent.get());
  curves.AddTail(circle.get());

  CGeTrimSurfList surfaces;
  surfaces.AddTail(plane.get());
  CGeCurve3dPtrList projected;
  ASSERT_EQ(actor.CrvPrjToSrfAlongZAxis(&curves, &surfaces, 2, &projected), 1);
  double length = 0.0;
  while (!projected.IsEmpty()) {
    std::unique_ptr<CGeCurve3d> c(projected.RemoveHead());
    CStrP3D str;
    c->Discrete(0.001, str);
    for (int i = 0; i < str.m_nCount; ++i) {
      EXPECT_NEAR(str.m_pPoints[i][2], 0.5, 1e-6);
      EXPECT_NEAR(std::hypot(str.m_pPoints[i][0], str.m_pPoints[i][1]), 1.0, 1e-2);
    }
    length += str.EvLength();
  }
  EXPECT_NEAR(length, 2 * M_PI, 0.02);

  CGeTrimSurfList pieces;
  ASSERT_EQ(actor.CrvSrfTrimAlongZAxis(&curves, plane.get(), &pieces), 1);
  ASSERT_EQ(pieces.GetCount(), 2);
  double total = 0.0;
  while (!pieces.IsEmpty()) {
    std::unique_ptr<CGeTrimSurf> s(pieces.RemoveHead());
    for (POSITION pos = s->m_LoopList.GetHeadPosition(); pos;)
      total += s->m_LoopList.GetNext(pos)->EvArea(1e-4);
  }
  EXPECT_NEAR(total, 1.0, 1e-3);
  EXPECT_EQ(plane->m_pKernelSurf, nullptr);

  CGeCurve3dPtrList onlyBent;
  onlyBent.AddTail(bent.get());
  EXPECT_EQ(actor.CrvSrfTrimAlongZAxis(&onlyBent, plane.get(), &pieces), 0);
  EXPECT_TRUE(pieces.IsEmpty());
}

// Each edge of the unit square's rectangle loop extends the plane by the distance on its own
// side; a trimmed surface and a slanted edge are refused.
TEST(SrfActorTest, SurfExtendGrowsAcrossTheChosenEdge) {
  auto plane = edt::Untrimmed(edt::Plane(1, 1));
  plane->BuildTopo();
  CSrfActor actor;
  int edges = 0;
  double grown[4] = {0, 0, 0, 0};  // xmin, ymin, xmax, ymax beyond the square, summed
  CGeTrimLoop* loop = plane->m_LoopList.GetHead();
  for (POSITION pos = loop->m_BndList.GetHeadPosition(); pos;) {
    CGeTrimBnd* e = loop->m_BndList.GetNext(pos);
    std::unique_ptr<CGeTrimSurf> s(actor.SurfExtend(plane.get(), e, 0, 0.5));
    ASSERT_NE(s, nullptr);
    ++edges;
    double lo[3], hi[3];
    ASSERT_EQ(s->GetPoint(0, 0, lo), 1);
    ASSERT_EQ(s->GetPoint(1, 1, hi), 1);
    const double beyond[4] = {-lo[0], -lo[1], hi[0] - 1, hi[1] - 1};
    int sides = 0;
    for (int k = 0; k < 4; ++k) {
      if (beyond[k] > 1e-9) ++sides;
      grown[k] += beyond[k];
    }
    EXPECT_EQ(sides, 1);
  }
  EXPECT_EQ(edges, 4);
  for (double g : grown) EXPECT_NEAR(g, 0.5, 1e-6);
  CGeTrimBnd* first = loop->m_BndList.GetHead();
  EXPECT_EQ(actor.SurfExtend(plane.get(), first, 0, 0.0), nullptr);
  auto holed = edt::PolygonTrimmed(edt::Plane(1, 1), {{0.1, 0.1}, {0.9, 0.2}, {0.5, 0.9}});
  holed->BuildTopo();
  CGeTrimBnd* slanted = holed->m_LoopList.GetHead()->m_BndList.GetHead();
  EXPECT_EQ(actor.SurfExtend(holed.get(), slanted, 0, 0.5), nullptr);
}

// A triangle-trimmed plane cut at u = 0.5 falls into two pieces whose areas add up to the
// triangle's; a value within 0.0001 of the domain's edge is refused; an untrimmed plane is
// split into two surfaces.
TEST(SrfActorTest, IsoTrimSurfSplitsTrimmedAndUntrimmedSurfaces) {
  auto tri = edt::PolygonTrimmed(edt::Plane(1, 1), {{0.1, 0.1}, {0.9, 0.1}, {0.5, 0.9}});
  tri->BuildTopo();
  tri->CalcUVBox();
  const double triArea = 0.5 * 0.8 * 0.8;
  CSrfActor actor;
  CGeTrimSurfList out;
  ASSERT_EQ(actor.IsoTrimSurf(tri.get(), 0.5, CNurbsEditor::kIsoU, &out), 1);
  ASSERT_EQ(out.GetCount(), 2);
  double total = 0.0;
  while (!out.IsEmpty()) {
    std::unique_ptr<CGeTrimSurf> s(out.RemoveHead());
    const double a = std::fabs(s->m_LoopList.GetHead()->EvArea(1e-4));
    EXPECT_NEAR(a, triArea / 2, 1e-6);
    total += a;
  }
  EXPECT_NEAR(total, triArea, 1e-6);
  const _tagBox2D B = tri->m_uvBox;
  EXPECT_EQ(actor.IsoTrimSurf(tri.get(), B.min[1] + 0.00005, CNurbsEditor::kIsoV, &out), 0);
  EXPECT_TRUE(out.IsEmpty());

  auto whole = edt::Untrimmed(edt::Plane(2, 1));
  ASSERT_EQ(actor.IsoTrimSurf(whole.get(), 0.25, CNurbsEditor::kIsoV, &out), 1);
  ASSERT_EQ(out.GetCount(), 2);
  while (!out.IsEmpty()) delete out.RemoveHead();
}

// Between the edge x = 1 of a plane at z = 0 and the edge x = 2 of a plane at z = 1 the blend
// starts and ends on the edges, leaves and meets both planes level, and pairs equal y.
TEST(SrfActorTest, SurfSurfBlendJoinsTwoEdgesLevel) {
  auto a = edt::Untrimmed(edt::Plane(1, 1));
  _nurbs_surface* q = edt::Plane(1, 1);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      q->net[j][i][0] += 2.0;
      q->net[j][i][2] = 1.0;
    }
  auto b = edt::Untrimmed(q);
  for (CGeTrimSurf* s : {a.get(), b.get()}) {
    s->BuildTopo();
    s->UpdateTrimLoopEucCrv();
  }
  CGeTrimBnd* ea = edgeAt(a.get(), 1.0);
  CGeTrimBnd* eb = edgeAt(b.get(), 0.0);
  ASSERT_NE(ea, nullptr);
  ASSERT_NE(eb, nullptr);
  double pa0[2], pb0[2];
  ea->GetParaPoint(0, pa0);
  eb->GetParaPoint(0, pb0);
  const bool revB = std::fabs(pa0[1] - pb0[1]) > 0.5;  // walk both edges the same way
  SURFBLEND_PARAM prm{0, 0, 0, 1, 0, 1, 0, 0};
  CSrfActor actor;
  CGeTrimSurfList out;
  ASSERT_EQ(actor.SurfSurfBlend(a.get(), b.get(), ea, eb, false, revB, prm, &out), 1);
  ASSERT_EQ(out.GetCount(), 1);
  std::unique_ptr<CGeTrimSurf> blend(out.RemoveHead());
  for (double v : {0.0, 0.3, 0.5, 1.0}) {
    double s[3], e[3], sn[3], en[3];
    ASSERT_EQ(blend->GetPoint(0, v, s), 1);
    ASSERT_EQ(blend->GetPoint(1, v, e), 1);
    ASSERT_EQ(blend->GetPoint(0.001, v, sn), 1);
    ASSERT_EQ(blend->GetPoint(0.999, v, en), 1);
    EXPECT_NEAR(s[0], 1.0, 1e-6);
    EXPECT_NEAR(s[2], 0.0, 1e-6);
    EXPECT_NEAR(e[0], 2.0, 1e-6);
    EXPECT_NEAR(e[2], 1.0, 1e-6);
    EXPECT_NEAR(s[1], e[1], 1e-6);
    // Level at both ends: the height changes at second order only.
    EXPECT_LT(std::fabs(sn[2] - s[2]), 1e-4);
    EXPECT_LT(std::fabs(en[2] - e[2]), 1e-4);
    EXPECT_GT(sn[0], s[0]);
  }
  EXPECT_EQ(actor.SurfSurfBlend(a.get(), nullptr, ea, eb, false, revB, prm, &out), 0);
  EXPECT_TRUE(out.IsEmpty());
}

// From a curve to the edge x = 1 (y from 0 to 1) of the unit plane z = 0. Each row is the
// quadratic Bezier (C, M, S) with M = S + (1, 0, 0) |C - S| / 2, so for the straight curve
// x = 2, z = 1 the surface is known in closed form; for an arc the blend must still start on
// the arc, end on the edge and arrive level.
TEST(SrfActorTest, SurfCurveBlendFromACurveToAPlaneEdge) {
  auto plane = edt::Untrimmed(edt::Plane(1, 1));
  plane->BuildTopo();
  plane->UpdateTrimLoopEucCrv();
  CGeTrimBnd* edge = edgeAt(plane.get(), 1.0);
  ASSERT_NE(edge, nullptr);
  double e0[2];
  edge->GetParaPoint(0, e0);
  const bool revEdge = e0[1] > 0.5;  // walk the edge from y = 0
  SURFBLEND_PARAM prm{0, 0, 0, 1, 0, 1, 0, 0};
  CSrfActor actor;
  CGeTrimSurfList out;

  const double a[3] = {2, 0, 1}, b[3] = {2, 1, 1};
  CGeLine3d line(a, b);
  ASSERT_EQ(actor.SurfCurveBlend(&line, plane.get(), edge, false, revEdge, prm, &out), 1);
  ASSERT_EQ(out.GetCount(), 1);
  std::unique_ptr<CGeTrimSurf> blend(out.RemoveHead());
  const double h = std::sqrt(2.0) / 2;
  for (double v : {0.0, 0.25, 0.6, 1.0})
    for (double u : {0.0, 0.3, 0.5, 1.0}) {
      double p[3];
      ASSERT_EQ(blend->GetPoint(u, v, p), 1);
      const double w0 = (1 - u) * (1 - u), w1 = 2 * u * (1 - u), w2 = u * u;
      EXPECT_NEAR(p[0], w0 * 2 + w1 * (1 + h) + w2 * 1, 1e-6) << u << " " << v;
      EXPECT_NEAR(p[1], v, 1e-6) << u << " " << v;
      EXPECT_NEAR(p[2], w0 * 1, 1e-6) << u << " " << v;
    }
  // The reversed curve runs against the edge: the y of the two ends differ.
  ASSERT_EQ(actor.SurfCurveBlend(&line, plane.get(), edge, true, revEdge, prm, &out), 1);
  std::unique_ptr<CGeTrimSurf> twisted(out.RemoveHead());
  double c0[3], s0[3];
  ASSERT_EQ(twisted->GetPoint(0, 0, c0), 1);
  ASSERT_EQ(twisted->GetPoint(1, 0, s0), 1);
  EXPECT_NEAR(std::fabs(c0[1] - s0[1]), 1.0, 1e-6);

  // A half circle of radius 0.5 about (2, 0.5, 1) in the plane z = 1.
  CGeArc3d arc;
  const double p1[3] = {2, 0, 1}, p2[3] = {2.5, 0.5, 1}, p3[3] = {2, 1, 1};
  ASSERT_EQ(arc.Create3Pnt(p1, p2, p3), 1);
  arc.DiscreteMe(0.001);
  ASSERT_EQ(actor.SurfCurveBlend(&arc, plane.get(), edge, false, revEdge, prm, &out), 1);
  std::unique_ptr<CGeTrimSurf> round(out.RemoveHead());
  for (double v : {0.0, 0.2, 0.5, 0.9, 1.0}) {
    double c[3], s[3], sn[3];
    ASSERT_EQ(round->GetPoint(0, v, c), 1);
    ASSERT_EQ(round->GetPoint(1, v, s), 1);
    ASSERT_EQ(round->GetPoint(0.999, v, sn), 1);
    EXPECT_NEAR(std::hypot(c[0] - 2, c[1] - 0.5), 0.5, 1e-3) << v;
    EXPECT_NEAR(c[2], 1.0, 1e-9) << v;
    EXPECT_NEAR(s[0], 1.0, 1e-9) << v;
    EXPECT_NEAR(s[2], 0.0, 1e-9) << v;
    // Level arrival from outside the face: height changes at second order only.
    EXPECT_LT(std::fabs(sn[2] - s[2]), 1e-5) << v;
    EXPECT_GT(sn[0], s[0]) << v;
  }

  // The offsets move the middle control points: the surface stays on its ends but changes
  // inside. (Reversing again restores the line the first blend was made from.)
  SURFBLEND_PARAM pushed = prm;
  pushed.startOffset = 0.3;
  ASSERT_EQ(actor.SurfCurveBlend(&line, plane.get(), edge, true, revEdge, pushed, &out), 1);
  std::unique_ptr<CGeTrimSurf> off(out.RemoveHead());
  double p0[3], pm[3], q0[3], qm[3];
  ASSERT_EQ(blend->GetPoint(0, 0.5, q0), 1);
  ASSERT_EQ(off->GetPoint(0, 0.5, p0), 1);
  ASSERT_EQ(blend->GetPoint(0.5, 0.5, qm), 1);
  ASSERT_EQ(off->GetPoint(0.5, 0.5, pm), 1);
  EXPECT_NEAR(p0[0], q0[0], 1e-9);
  EXPECT_NEAR(p0[2], q0[2], 1e-9);
  EXPECT_GT(std::hypot(pm[0] - qm[0], pm[2] - qm[2]), 0.05);

  // Missing pieces, and a curve that cannot evaluate [0, 1], make nothing.
  EXPECT_EQ(actor.SurfCurveBlend(nullptr, plane.get(), edge, false, revEdge, prm, &out), 0);
  EXPECT_EQ(actor.SurfCurveBlend(&line, plane.get(), nullptr, false, revEdge, prm, &out), 0);
  EXPECT_EQ(actor.SurfCurveBlend(&line, plane.get(), edge, false, revEdge, prm, nullptr), 0);
  const double pts[3][3] = {{2, 0, 1}, {2, 0.5, 1.5}, {2, 1, 1}};
  CGePolyline3d poly;
  poly.Create(3, pts);
  poly.DiscreteMe(0.001);
  EXPECT_EQ(actor.SurfCurveBlend(&poly, plane.get(), edge, false, revEdge, prm, &out), 0);
  EXPECT_TRUE(out.IsEmpty());
}

// A closed 48-point polyline (the vertical walls over it have creases at every vertex)
// projects onto and trims a plane along z like a smooth curve does.
TEST(SrfActorTest, ClosedPolylineProjectsAndTrimsAlongZ) {
  _nurbs_surface* p = edt::Plane(4, 4);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      p->net[j][i][0] -= 2;
      p->net[j][i][1] -= 2;
      p->net[j][i][2] = 0.5;
    }
  auto plane = edt::Untrimmed(p);
  const int n = 48;
  std::vector<std::array<double, 3>> ring;
  for (int i = 0; i <= n; ++i) {
    const double a = 2 * M_PI * (i % n) / n;
    ring.push_back({std::cos(a), std::sin(a), 3.0});
  }
  CGePolyline3d poly;
  poly.Create(int(ring.size()), reinterpret_cast<const double(*)[3]>(ring.data()));
  poly.DiscreteMe(0.001);
  CGeCurve3dPtrList curves;
  curves.AddTail(&poly);
  CGeTrimSurfList surfaces;
  surfaces.AddTail(plane.get());
  CSrfActor actor;
  CGeCurve3dPtrList projected;
  ASSERT_EQ(actor.CrvPrjToSrfAlongZAxis(&curves, &surfaces, 2, &projected), 1);
  const double perimeter = 2 * n * std::sin(M_PI / n);
  double length = 0.0;
  while (!projected.IsEmpty()) {
    std::unique_ptr<CGeCurve3d> c(projected.RemoveHead());
    CStrP3D str;
    c->Discrete(0.001, str);
    for (int i = 0; i < str.m_nCount; ++i) {
      EXPECT_NEAR(str.m_pPoints[i][2], 0.5, 1e-6);
      EXPECT_LE(std::hypot(str.m_pPoints[i][0], str.m_pPoints[i][1]), 1.0 + 1e-6);
    }
    length += str.EvLength();
  }
  EXPECT_NEAR(length, perimeter, 1e-3);

  CGeTrimSurfList pieces;
  ASSERT_EQ(actor.CrvSrfTrimAlongZAxis(&curves, plane.get(), &pieces), 1);
  ASSERT_EQ(pieces.GetCount(), 2);
  double total = 0.0;
  while (!pieces.IsEmpty()) {
    std::unique_ptr<CGeTrimSurf> s(pieces.RemoveHead());
    for (POSITION pos = s->m_LoopList.GetHeadPosition(); pos;)
      total += s->m_LoopList.GetNext(pos)->EvArea(1e-4);
  }
  EXPECT_NEAR(total, 1.0, 1e-3);
}

// A unit sphere made by revolving a half circle: a tilted closed ring of points at radius 1.6
// projects along the normal onto the great circle under it (the nearest point of the sphere
// to q is q / |q|), and every vertex lies on the sphere.
TEST(SrfActorTest, RingProjectedAlongTheNormalOntoASphere) {
  _arc half{};
  half.frame.xAxis[2] = -1;  // from the south pole through (1, 0, 0) to the north pole
  half.frame.yAxis[0] = 1;
  half.frame.zAxis[1] = -1;
  half.radius = 1.0;
  half.sweep = M_PI;
  BCRV* meridian = nullptr;
  ASSERT_EQ(BCRV_GenArc(&half, meridian), 1);
  const double origin[3] = {0, 0, 0}, axis[3] = {0, 0, 1};
  _nurbs_surface* ball = nullptr;
  ASSERT_EQ(BSRF_GenRevolve(meridian, origin, axis, 2 * M_PI, ball), 1);
  BCRV_Free(meridian);
  auto sphere = edt::Untrimmed(ball);
  CSrfActor actor;
  ASSERT_EQ(actor.CreateSURFACE(sphere.get()), 1);

  // The ring lies in the plane through the centre with normal (sin t, 0, cos t).
  const double tilt = 0.6, c = std::cos(tilt), s = std::sin(tilt);
  PointArray ring;
  const int n = 72;
  for (int i = 0; i <= n; ++i) {
    const double a = 2 * M_PI * (i % n) / n, x = std::cos(a), y = std::sin(a);
    ring.Add(tagDPoint3d{1.6 * x * c, 1.6 * y, -1.6 * x * s});
  }
  CGeCurve3dPtrList out;
  ASSERT_EQ(actor.StrptPrjToSurfAlongNormal(ring, sphere.get(), 2, &out), 1);
  double total = 0.0;
  while (!out.IsEmpty()) {
    std::unique_ptr<CGeCurve3d> curve(out.RemoveHead());
    CStrP3D str;
    curve->Discrete(0.001, str);
    for (int i = 0; i < str.m_nCount; ++i) {
      const double* q = str.m_pPoints[i];
      EXPECT_NEAR(std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]), 1.0, 1e-6) << i;
      EXPECT_NEAR(q[0] * s + q[2] * c, 0.0, 1e-6) << i;  // in the ring's plane
    }
    total += str.EvLength();
  }
  // The great circle through the projected vertices, as a chord polygon.
  EXPECT_NEAR(total, 2 * n * std::sin(M_PI / n), 0.02);
  actor.FreeSURFACE(sphere.get());
}
