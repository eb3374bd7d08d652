// Z-level contours against oracles that share nothing with the generator: a brute-force
// drop-cutter (every point of every level stands where the cutter, dropped at (x, y), comes to
// rest at that level) and the exact distance from a ball cutter to every triangle along every
// pass and link, over sharp solids, where the drop height jumps at the walls, at many levels
// and step-downs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "db/DbPathGroup.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "millvane/paths/MillCenter.h"
#include "millvane/surfpaths/CreSrfContourPath.h"
#include "platform/gorsey/ParamSrf.h"
#include "platform/panlet/Progress.h"
#include "support/MeshOracle.h"

namespace {

using MeshList = CTypedPtrList<CObList, CGeMesh*>;
using oracle::P3;

// Triangles with their XY boxes, so that the brute force can pass over the far ones cheaply
// (a triangle whose box lies beyond the cutter's radius cannot touch it).
struct Tri {
  P3 a, b, c;
  double x0, y0, x1, y1;
};

struct Scene {
  std::vector<std::unique_ptr<CGeMesh>> meshes;
  std::vector<Tri> tris;
  MeshList list;
  std::unique_ptr<CMillCenter> centre;
};

std::unique_ptr<Scene> MakeScene(std::vector<std::unique_ptr<CGeMesh>> meshes, CTool* tool) {
  auto s = std::make_unique<Scene>();
  s->meshes = std::move(meshes);
  for (auto& m : s->meshes) {
    s->list.AddTail(m.get());
    for (const auto& f : m->faces) {
      Tri t{oracle::Vtx(*m, f.v[0]), oracle::Vtx(*m, f.v[1]), oracle::Vtx(*m, f.v[2]), 0, 0, 0, 0};
      t.x0 = std::min({t.a.x, t.b.x, t.c.x});
      t.x1 = std::max({t.a.x, t.b.x, t.c.x});
      t.y0 = std::min({t.a.y, t.b.y, t.c.y});
      t.y1 = std::max({t.a.y, t.b.y, t.c.y});
      s->tris.push_back(t);
    }
  }
  s->centre.reset(CreateMillCentre(&s->list, tool, 0.0, 0, 0.1));
  return s;
}

double Drop(const Scene& s, CTool* tool, double r, double x, double y) {
  double best = -1e300;
  for (const Tri& t : s.tris) {
    if (x < t.x0 - r || x > t.x1 + r || y < t.y0 - r || y > t.y1 + r) continue;
    best = std::max(best, oracle::DropTriangle(t.a, t.b, t.c, tool, x, y));
  }
  return best;
}

// Exact distance from point p to triangle abc.
double PointTriangleDist(const P3& p, const P3& a, const P3& b, const P3& c) {
  auto sub = [](const P3& u, const P3& v) { return P3{u.x - v.x, u.y - v.y, u.z - v.z}; };
  auto dot = [](const P3& u, const P3& v) { return u.x * v.x + u.y * v.y + u.z * v.z; };
  auto segDist = [&](const P3& u, const P3& v) {
    const P3 d = sub(v, u), w = sub(p, u);
    const double l2 = dot(d, d);
    const double t = l2 > 0 ? std::clamp(dot(w, d) / l2, 0.0, 1.0) : 0.0;
    const P3 q{u.x + t * d.x - p.x, u.y + t * d.y - p.y, u.z + t * d.z - p.z};
    return std::sqrt(dot(q, q));
  };
  const P3 e0 = sub(b, a), e1 = sub(c, a);
  const P3 n{e0.y * e1.z - e0.z * e1.y, e0.z * e1.x - e0.x * e1.z, e0.x * e1.y - e0.y * e1.x};
  const double nn = dot(n, n);
  if (nn > 1e-24) {
    const P3 w = sub(p, a);
    const double d = dot(w, n) / nn;
    const P3 q{p.x - d * n.x, p.y - d * n.y, p.z - d * n.z};
    // Barycentric test of the foot point.
    const P3 qa = sub(q, a);
    const double d00 = dot(e0, e0), d01 = dot(e0, e1), d11 = dot(e1, e1), d20 = dot(qa, e0), d21 = dot(qa, e1);
    const double den = d00 * d11 - d01 * d01;
    const double v = (d11 * d20 - d01 * d21) / den, u = (d00 * d21 - d01 * d20) / den;
    if (v >= 0 && u >= 0 && u + v <= 1) return std::fabs(d) * std::sqrt(nn);
  }
  return std::min({segDist(a, b), segDist(b, c), segDist(c, a)});
}

// How far the ball of radius r with its tip at p reaches into the triangles (0 when clear).
double BallPenetration(const Scene& s, double r, const P3& tip) {
  const P3 c{tip.x, tip.y, tip.z + r};
  double worst = 0;
  for (const Tri& t : s.tris) {
    if (c.x < t.x0 - r || c.x > t.x1 + r || c.y < t.y0 - r || c.y > t.y1 + r) continue;
    worst = std::max(worst, r - PointTriangleDist(c, t.a, t.b, t.c));
  }
  return worst;
}

// Every curve of the group as its fine discretisation (links may be arcs).
std::vector<std::vector<P3>> Paths(const CDbPathGroup* db) {
  std::vector<std::vector<P3>> out;
  for (POSITION pos = db->m_UnitList.GetHeadPosition(); pos;) {
    const CDbPathUnit* u = db->m_UnitList.GetNext(pos);
    std::vector<P3> p;
    for (POSITION cp = u->m_pCurve->m_CurveList.GetHeadPosition(); cp;) {
      CGeCurve3d* c = u->m_pCurve->m_CurveList.GetNext(cp);
      CStrP3D str;
      c->Discrete(0.001, str);
      for (int i = 0; i < str.m_nCount; ++i) p.push_back({str.m_pPoints[i][0], str.m_pPoints[i][1], str.m_pPoints[i][2]});
    }
    out.push_back(std::move(p));
  }
  return out;
}

CParamSrfFinish Finish(double top, double depth, double step) {
  CParamSrfFinish f;
  f.m_dTopHeight = top;
  f.m_dCutDepth = depth;
  SrfContourBlock& b = f.Contour();
  b = SrfContourBlock{};
  b.stepDown = step;
  b.climb = 1;
  b.linkType = 1;
  b.linkParam = 1.0;
  return f;
}

std::vector<std::unique_ptr<CGeMesh>> One(std::unique_ptr<CGeMesh> m) {
  std::vector<std::unique_ptr<CGeMesh>> v;
  v.push_back(std::move(m));
  return v;
}

class ContourOracleTest : public ::testing::Test {
 protected:
  void SetUp() override { gResetProgress(); }
  void TearDown() override { gResetProgress(); }
};

TEST_F(ContourOracleTest, EveryLevelStandsAtItsDropHeightAndNothingGouges) {
  struct Case {
    const char* name;
    std::function<std::vector<std::unique_ptr<CGeMesh>>()> make;
    double dia;
    double step;
  };
  const std::vector<Case> cases = {
      {"box, ball 4, step 0.5", [] { return One(oracle::Box(8, 5, 6)); }, 4, 0.5},
      {"box, ball 6, step 1", [] { return One(oracle::Box(8, 5, 6)); }, 6, 1.0},
      {"box, ball 4, step 0.75", [] { return One(oracle::Box(8, 5, 6)); }, 4, 0.75},
      {"wedge, ball 4, step 0.6", [] { return One(oracle::Wedge(5, 4, 5)); }, 4, 0.6},
      {"cylinder on a plate, ball 6, step 0.7", [] {
         std::vector<std::unique_ptr<CGeMesh>> v;
         v.push_back(oracle::Cylinder(4, 5, 48));
         v.push_back(oracle::Plane(24, 0, 6));
         return v;
       }, 6, 0.7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CTBall ball(c.dia);
    const double r = c.dia / 2;
    auto s = MakeScene(c.make(), &ball);
    ASSERT_TRUE(s->centre);
    const double top = s->centre->box[5], bottom = s->centre->box[2];
    CCreSrfContourPath gen;
    CParamSrfFinish f = Finish(top, top - bottom, c.step);
    std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(s->centre.get(), nullptr, f));
    ASSERT_TRUE(db);
    // The model itself stands inside the true offset by its edge tubes' 15-degree chords
    // (0.0086 r) and its circles' 0.01 chords, and contours are simplified with 0.01; links are
    // checked against the model with 0.05 of slack.
    const double tol = 0.02 + 0.009 * r, linkTol = 0.05 + 0.009 * r;
    double worstOff = 0, worstGouge = 0, worstLink = 0;
    P3 offAt{0, 0, 0}, gougeAt{0, 0, 0};
    for (double L = bottom + c.step * 0.5; L < top; L += c.step) {
      CIntCurveSet set;
      set.level = L;
      gen.GenOneLayerLoop(&set, 0.01);
      for (const IntCurve* k = set.head; k; k = k->next)
        for (const auto& p : k->pts) {
          const double d = Drop(*s, &ball, r, p[0], p[1]);
          // On a steep drop surface a hair sideways is a big step: the level must pass within eps.
          double lo = d, hi = d;
          const double eps = tol;
          for (int q = 0; q < 8; ++q) {
            const double a = q * oracle::kPi / 4;
            const double e = Drop(*s, &ball, r, p[0] + eps * std::cos(a), p[1] + eps * std::sin(a));
            lo = std::min(lo, e), hi = std::max(hi, e);
          }
          const double off = std::max({0.0, lo - L, L - hi});
          if (off > worstOff) worstOff = off, offAt = {p[0], p[1], L};
        }
    }
    EXPECT_LT(worstOff, tol) << offAt.x << ", " << offAt.y << " at " << offAt.z;
    P3 gu{0, 0, 0}, gv{0, 0, 0};
    for (const auto& p : Paths(db.get()))
      for (size_t i = 0; i + 1 < p.size(); ++i) {
        const P3 &u = p[i], &v = p[i + 1];
        const int n = std::max(1, int(std::ceil(std::hypot(v.x - u.x, v.y - u.y, v.z - u.z) / 0.05)));
        for (int k = 0; k <= n; ++k) {
          const double t = double(k) / n;
          const P3 q{u.x + t * (v.x - u.x), u.y + t * (v.y - u.y), u.z + t * (v.z - u.z)};
          const double g = BallPenetration(*s, r, q);
          // Contours run at their level; links change height.
          if (u.z != v.z) worstLink = std::max(worstLink, g);
          else if (g > worstGouge) worstGouge = g, gougeAt = q, gu = u, gv = v;
        }
      }
    EXPECT_LT(worstLink, linkTol);
    EXPECT_LT(worstGouge, tol) << gougeAt.x << ", " << gougeAt.y << ", " << gougeAt.z << " seg " << gu.x << "," << gu.y << "," << gu.z << " -> " << gv.x << "," << gv.y << "," << gv.z;
  }
}

}  // namespace
