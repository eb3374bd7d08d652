#include "geometry/tools/BezierToArc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeLine.h"
#include "platform/numora/Numora.h"

namespace {
constexpr double kOneDegree = 0.01745;
constexpr double kThreeDegrees = 0.05236;
// A fit this close is taken at once during the joint search.
constexpr double kGoodFit = 0.00125;
// Room of the work polygon that halving grows.
constexpr int kWorkRoom = 500;

using Pt = std::array<double, 2>;

// Directed turn from a to b in (-pi, pi]; the sign tells the side.
double Turn(const double a[2], const double b[2]) {
  const double t = V2D_GetAngleV1toV2(a, b);
  return t > std::numbers::pi ? t - 2.0 * std::numbers::pi : t;
}

void Bernstein(const double (*q)[2], int n, double t, double out[2]) {
  double b[CBezierToArc::kMaxDegree + 1];
  b[0] = 1.0;
  const double u = 1.0 - t;
  for (int j = 1; j <= n; ++j) {
    double saved = 0.0;
    for (int k = 0; k < j; ++k) {
      const double tmp = b[k];
      b[k] = saved + u * tmp;
      saved = t * tmp;
    }
    b[j] = saved;
  }
  out[0] = out[1] = 0.0;
  for (int i = 0; i <= n; ++i) {
    out[0] += b[i] * q[i][0];
    out[1] += b[i] * q[i][1];
  }
}

// De Casteljau subdivision: the first and last point of every level.
void Subdivide(const double (*q)[2], int n, double t, double left[][2], double right[][2]) {
  double w[CBezierToArc::kMaxDegree + 1][2];
  for (int i = 0; i <= n; ++i) w[i][0] = q[i][0], w[i][1] = q[i][1];
  for (int level = 0; level <= n; ++level) {
    left[level][0] = w[0][0];
    left[level][1] = w[0][1];
    right[n - level][0] = w[n - level][0];
    right[n - level][1] = w[n - level][1];
    for (int i = 0; i < n - level; ++i) {
      w[i][0] += t * (w[i + 1][0] - w[i][0]);
      w[i][1] += t * (w[i + 1][1] - w[i][1]);
    }
  }
}

// Whether the segment turns one way by less than a right angle at both ends (and, for a
// cubic with long handles, without its middle handle swinging past the chord).
bool IsSimple(const double (*p)[2], int n) {
  const double d0[2] = {p[1][0] - p[0][0], p[1][1] - p[0][1]};
  const double chord[2] = {p[n][0] - p[0][0], p[n][1] - p[0][1]};
  const double d1[2] = {p[n][0] - p[n - 1][0], p[n][1] - p[n - 1][1]};
  const double a0 = Turn(d0, chord);
  const double a1 = Turn(chord, d1);
  const double h = std::numbers::pi / 2.0;
  bool simple = (a0 > 0.0 && a0 < h && a1 > 0.0 && a1 < h) ||
                (a0 < 0.0 && a0 > -h && a1 < 0.0 && a1 > -h);
  if (simple && n == 3 &&
      P2D_Dist(p[0], p[3]) < P2D_Dist(p[0], p[1]) + P2D_Dist(p[2], p[3])) {
    const double d2[2] = {p[2][0] - p[0][0], p[2][1] - p[0][1]};
    const double m = Turn(d0, d2);
    simple = (a0 > 0.0 && m > 0.0 && m < a0 + kThreeDegrees) ||
             (a0 < 0.0 && m < 0.0 && m > a0 - kThreeDegrees);
  }
  return simple;
}

// Unit tangent at the start of the segment, from the first control point apart from Q0 (a
// collapsed first handle still has a direction); false when all points coincide.
bool StartDirection(const double (*q)[2], int n, double out[2]) {
  for (int i = 1; i <= n; ++i)
    if (V2D_GenUnit(q[0], q[i], out, 1e-9)) return true;
  return false;
}

bool EndDirection(const double (*q)[2], int n, double out[2]) {
  for (int i = n - 1; i >= 0; --i)
    if (V2D_GenUnit(q[i], q[n], out, 1e-9)) return true;
  return false;
}

// Distance of p from the arc; a failed query counts as far away.
double DistToArc(CGeArc& arc, const double p[2]) {
  double foot[2], t, dist;
  unsigned seg;
  if (!arc.GetNearestPoint(p, foot, t, seg, dist)) return 1e12;
  return dist;
}

// One joint candidate of the biarc search.
struct Joint {
  double u = 0.0;
  double j[2] = {0.0, 0.0};
  double h = 1e12;  // largest deviation of the test points
  double s = 1e12;  // sum of the deviations
};

// Works one control polygon into pieces; owns them until they are handed on.
class Approximator {
 public:
  Approximator(int n, double tol) : m_n(n), m_tol(tol) {}

  std::vector<std::unique_ptr<CGeCurve>> pieces;

  // Walks the polygon, halving segments that do not fit until the room runs out.
  void Walk(std::vector<Pt>& poly, bool simple) {
    double tan[2] = {poly[1][0] - poly[0][0], poly[1][1] - poly[0][1]};
    size_t m = 0;
    while (m + m_n < poly.size()) {
      const double(*q)[2] = reinterpret_cast<const double(*)[2]>(poly[m].data());
      const bool last = m + m_n == poly.size() - 1;
      CGeCurve* made;
      if (!simple) {
        tan[0] = tan[1] = 0.0;
        made = ArcOrBiarc(q, tan);
      } else {
        made = last ? ArcOrBiarc(q, tan) : SingleArc(q, tan);
      }
      if (!made) {
        if (poly.size() + m_n <= static_cast<size_t>(kWorkRoom)) {
          Halve(poly, m);
          continue;
        }
        // Out of room: the chord keeps the walk moving.
        made = Line(q);
        if (!made) {
          m += m_n;
          continue;
        }
      }
      if (made->GetType() == GE_TYPE_ARC) {
        // Unit length, so that a small arc's tangent is not taken for a cleared one.
        made->GetTanVecAt(1.0, tan, 1);
        V2D_Unit(tan, 1e-12);
      } else {
        tan[0] = tan[1] = 0.0;
      }
      m += m_n;
    }
  }

 private:
  int m_n;
  double m_tol;

  CGeCurve* Keep(CGeCurve* c) {
    pieces.emplace_back(c);
    return c;
  }

  CGeCurve* Line(const double (*q)[2]) {
    if (P2D_Dist(q[0], q[m_n]) < 1e-12) return nullptr;
    return Keep(new CGeLine(q[0], q[m_n]));
  }

  bool IsFlat(const double (*q)[2]) {
    return P2D_Dist(q[0], q[m_n]) <= m_tol || P2D_IsPtsColine(q, m_n + 1, 0.0001);
  }

  // Whether the test points at i / parts, i = 1 .. parts - 1, stay within tol of the arc.
  bool Fits(const double (*q)[2], CGeArc& arc, int parts, bool strict) {
    for (int i = 1; i < parts; ++i) {
      double p[2];
      Bernstein(q, m_n, static_cast<double>(i) / parts, p);
      const double d = DistToArc(arc, p);
      if (strict ? !(d < m_tol) : !(d <= m_tol)) return false;
    }
    return true;
  }

  // One arc leaving with the carried tangent.
  CGeCurve* SingleArc(const double (*q)[2], const double carried[2]) {
    if (IsFlat(q)) return Line(q);
    double t[2] = {carried[0], carried[1]};
    if (std::hypot(t[0], t[1]) < 0.005 && !StartDirection(q, m_n, t)) return nullptr;
    V2D_Unit(t, 1e-6);
    auto arc = std::make_unique<CGeArc>();
    if (!arc->CreateSESTan(q[0], q[m_n], t)) return nullptr;
    if (!Fits(q, *arc, 16, true)) return nullptr;
    return Keep(arc.release());
  }

  // One arc when it also meets the end tangent, otherwise a biarc.
  CGeCurve* ArcOrBiarc(const double (*q)[2], const double carried[2]) {
    if (IsFlat(q)) return Line(q);
    double t0[2], t1[2];
    if (!StartDirection(q, m_n, t0) || !EndDirection(q, m_n, t1)) return nullptr;
    const double l0 = P2D_Dist(q[0], q[1]);
    const double l1 = P2D_Dist(q[m_n - 1], q[m_n]);
    const double lmin = std::min(l0, l1);
    const bool balanced = !(lmin < 0.005) && std::max(l0, l1) / lmin <= 2.0;
    double t[2] = {carried[0], carried[1]};
    if (!V2D_Unit(t, 0.005)) t[0] = t0[0], t[1] = t0[1];

    auto arc = std::make_unique<CGeArc>();
    if (arc->CreateSESTan(q[0], q[m_n], t)) {
      double e[2];
      arc->GetTanVecAt(1.0, e, 1);
      if (std::fabs(Turn(e, t1)) < kOneDegree && Fits(q, *arc, 16, false))
        return Keep(arc.release());
    }
    double j[2];
    if (!FindJoint(q, t, t1, balanced, j)) return nullptr;
    auto a1 = std::make_unique<CGeArc>();
    auto a2 = std::make_unique<CGeArc>();
    if (!a1->CreateSESTan(q[0], j, t) || !a2->CreateSEETan(j, q[m_n], t1)) return nullptr;
    Keep(a1.release());
    return Keep(a2.release());
  }

  // Joint of a biarc on the circle of possible joints: stepping from the point above the
  // chord's middle towards the better side, then bisecting the bracket of the best.
  bool FindJoint(const double (*q)[2], const double t[2], const double t1[2], bool balanced,
                 double out[2]) {
    const double* q0 = q[0];
    const double* qn = q[m_n];
    const double chord[2] = {qn[0] - q0[0], qn[1] - q0[1]};
    const double c = std::hypot(chord[0], chord[1]);
    const double phi = V2D_AngletoX(chord);
    const double theta = -(Turn(t, chord) + Turn(chord, t1)) / 2.0;
    if (std::fabs(2.0 * std::sin(theta)) < 0.005) return false;
    const double rho = c / (2.0 * std::sin(theta));
    const double cp = std::cos(phi), sp = std::sin(phi);
    auto frame = [&](double x, double y, double p[2]) {
      p[0] = q0[0] + cp * x - sp * y;
      p[1] = q0[1] + sp * x + cp * y;
    };
    double o[2];
    frame(c / 2.0, -rho * std::cos(theta), o);
    const double vo0[2] = {q0[0] - o[0], q0[1] - o[1]};
    const double von[2] = {qn[0] - o[0], qn[1] - o[1]};
    double gamma = V2D_GetAngle(vo0, von, 1e-12);
    if (gamma > std::numbers::pi) gamma = 2.0 * std::numbers::pi - gamma;
    gamma /= 2.0;
    // The quick-accept level never lies above the tolerance itself.
    const double good = std::min(kGoodFit, m_tol);

    auto evaluate = [&](double u, Joint& e) {
      e.u = u;
      frame(rho * (std::sin(u) + std::sin(theta)), rho * (std::cos(u) - std::cos(theta)), e.j);
      CGeArc a1, a2;
      if (!a1.CreateSESTan(q0, e.j, t) || !a2.CreateSEETan(e.j, qn, t1)) return false;
      e.h = 0.0;
      e.s = 0.0;
      for (int i = 1; i < 24; ++i) {
        double p[2];
        Bernstein(q, m_n, i / 24.0, p);
        const double d = std::min(DistToArc(a1, p), DistToArc(a2, p));
        e.h = std::max(e.h, d);
        e.s += d;
      }
      return true;
    };
    auto accept = [&](const Joint& e) {
      out[0] = e.j[0];
      out[1] = e.j[1];
      return true;
    };
    auto improves = [](const Joint& e, const Joint& best) { return e.h < best.h || e.s < best.s; };

    Joint best, e;
    if (!evaluate(0.0, best)) return false;
    if (best.h <= good || (best.h <= m_tol && balanced)) return accept(best);
    double lo = -0.00255, hi = 0.0349;
    if (std::fabs(gamma) < kOneDegree) return false;

    // Stepping away from the middle, upwards first; downwards when the first step is no
    // better than the middle.
    bool seen = false;
    for (int dir = 1; dir >= -1; dir -= 2) {
      double u = dir * kOneDegree;
      int count = 0;
      if (dir < 0) lo = -kOneDegree, hi = 0.0;
      bool stop = false;
      while (!stop) {
        if (!evaluate(u, e)) return false;
        if (improves(e, best)) {
          best = e;
          seen = true;
          ++count;
          if (dir > 0)
            lo = u - 0.02, hi = u + kOneDegree;
          else
            lo = u - kOneDegree, hi = u + 0.02;
          u += dir * kOneDegree;
          if (count >= 2 && e.h < good) return accept(best);
          if (std::fabs(u) > std::fabs(gamma)) {
            if (e.h <= m_tol) return accept(best);
            return false;
          }
          if (count > 24) return false;
        } else {
          stop = true;
        }
      }
      if (seen) break;
      if (dir < 0) lo = -0.02, hi = kOneDegree;
    }

    // Bisection of the bracket around the best.
    int count = 0;
    double u = 0.5 * (lo + hi);
    for (;;) {
      if (!evaluate(u, e)) return false;
      if (e.h <= best.h && e.s <= best.s) {
        if (u > best.u)
          lo = best.u;
        else
          hi = best.u;
        best = e;
      } else if (u > best.u) {
        hi = u;
      } else {
        lo = u;
      }
      u = 0.5 * (lo + hi);
      ++count;
      if (count > 2 && best.h < good) return accept(best);
      if (count > 24 || hi - lo < 0.001) {
        if (best.h <= m_tol) return accept(best);
        return false;
      }
    }
  }

  // Replaces the segment at m by its two halves; the polygon grows by n points.
  void Halve(std::vector<Pt>& poly, size_t m) {
    double left[CBezierToArc::kMaxDegree + 1][2], right[CBezierToArc::kMaxDegree + 1][2];
    Subdivide(reinterpret_cast<const double(*)[2]>(poly[m].data()), m_n, 0.5, left, right);
    poly.insert(poly.begin() + static_cast<std::ptrdiff_t>(m) + 1, m_n, Pt{});
    for (int i = 0; i <= m_n; ++i) poly[m + i] = {left[i][0], left[i][1]};
    for (int i = 1; i <= m_n; ++i) poly[m + m_n + i] = {right[i][0], right[i][1]};
  }
};

}  // namespace

CBezierToArc::CBezierToArc() : m_nDegree(0), m_pts{} {}

CBezierToArc::CBezierToArc(const double pts[][2], int n) : CBezierToArc() { Create(pts, n); }

CBezierToArc::~CBezierToArc() = default;

void CBezierToArc::Create(const double pts[][2], int n) {
  m_nDegree = 0;
  if (!pts || n < 1 || n > kMaxDegree) return;
  for (int i = 0; i <= n; ++i) m_pts[i][0] = pts[i][0], m_pts[i][1] = pts[i][1];
  m_nDegree = n;
}

void CBezierToArc::Create(const CBezierNode* nodes, int n) {
  m_nDegree = 0;
  if (!nodes || n < 1 || n > kMaxDegree) return;
  for (int i = 0; i <= n; ++i) m_pts[i][0] = nodes[i].x, m_pts[i][1] = nodes[i].y;
  m_nDegree = n;
}

void CBezierToArc::GetPoint(double t, double out[2]) const {
  if (m_nDegree < 1) return;
  Bernstein(m_pts, m_nDegree, t, out);
}

void CBezierToArc::Split(double t, double left[][2], double right[][2]) const {
  const int n = m_nDegree;
  if (n < 1) return;
  if (t < 0.001 || t > 0.999) {
    const double* end = t < 0.001 ? m_pts[0] : m_pts[n];
    double(*whole)[2] = t < 0.001 ? right : left;
    double(*collapsed)[2] = t < 0.001 ? left : right;
    for (int i = 0; i <= n; ++i) {
      whole[i][0] = m_pts[i][0], whole[i][1] = m_pts[i][1];
      collapsed[i][0] = end[0], collapsed[i][1] = end[1];
    }
    return;
  }
  Subdivide(m_pts, n, t, left, right);
}

int CBezierToArc::ArcApproximation(double tol, CGeCurveList* out) {
  const int n = m_nDegree;
  if (!out || n < 1) return 0;
  if (P2D_Dist(m_pts[0], m_pts[n]) < 0.005) return 0;
  if (P2D_IsPtsColine(m_pts, n + 1, 0.0001)) {
    out->AddTail(new CGeLine(m_pts[0], m_pts[n]));
    return 1;
  }
  const bool simple = IsSimple(m_pts, n);
  const double d0[2] = {m_pts[1][0] - m_pts[0][0], m_pts[1][1] - m_pts[0][1]};
  const double chord[2] = {m_pts[n][0] - m_pts[0][0], m_pts[n][1] - m_pts[0][1]};
  const double d1[2] = {m_pts[n][0] - m_pts[n - 1][0], m_pts[n][1] - m_pts[n - 1][1]};
  // The end with the smaller turn leads, so the carried tangent starts where fits are easy.
  const bool reversed = std::fabs(Turn(d0, chord)) > std::fabs(Turn(chord, d1));

  std::vector<Pt> poly(n + 1);
  for (int i = 0; i <= n; ++i) poly[reversed ? n - i : i] = {m_pts[i][0], m_pts[i][1]};
  poly.reserve(kWorkRoom);
  Approximator work(n, tol);
  work.Walk(poly, simple);

  if (reversed) {
    std::reverse(work.pieces.begin(), work.pieces.end());
    for (auto& c : work.pieces) c->Reverse();
  }
  for (auto& c : work.pieces) out->AddTail(c.release());
  return out->IsEmpty() ? 0 : 1;
}

int CBezierToArc::ArcApproxi(double tol, CGeCurveList* out) {
  const int n = m_nDegree;
  if (!out || n < 1) return 0;
  tol = std::max(tol, 0.0001);
  CGeCurveList found;
  bool halve;
  if (P2D_Dist(m_pts[0], m_pts[n]) < 0.0001) {
    if (P2D_Dist(m_pts[n], m_pts[n - 1]) + P2D_Dist(m_pts[1], m_pts[0]) < 2.0) return 0;
    halve = true;
  } else {
    halve = !IsSimple(m_pts, n);
  }
  if (halve) {
    double left[kMaxDegree + 1][2], right[kMaxDegree + 1][2];
    Split(0.5, left, right);
    CBezierToArc(left, n).ArcApproximation(tol, &found);
    CBezierToArc(right, n).ArcApproximation(tol, &found);
  } else {
    ArcApproximation(tol, &found);
  }
  if (found.IsEmpty()) return 0;
  out->AddTail(&found);
  return 1;
}

void MergeConcentricArc(CGeCurveList* list, float tol) {
  if (!list) return;
  CGeArc* prev = nullptr;
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    const POSITION at = pos;
    CGeCurve* r = list->GetNext(pos);
    if (!r) continue;
    CGeArc* arc = r->GetType() == GE_TYPE_ARC ? static_cast<CGeArc*>(r) : nullptr;
    if (prev && arc && std::fabs(prev->m_dRadius - arc->m_dRadius) < tol &&
        P2D_Dist(prev->m_ptCenter, arc->m_ptCenter) < tol) {
      double s[2], e[2], rs[2], re[2];
      prev->GetStartPoint(s);
      prev->GetEndPoint(e);
      arc->GetStartPoint(rs);
      arc->GetEndPoint(re);
      // Only a continuation is merged: connected, the same way round and less than a turn.
      const bool follows = P2D_Dist(e, rs) < tol && prev->m_dSweep * arc->m_dSweep > 0.0 &&
                           std::fabs(prev->m_dSweep + arc->m_dSweep) < 2.0 * std::numbers::pi - 1e-6;
      CGeArc merged;
      if (follows && merged.Create3Pnt(s, e, re)) {
        prev->Create(&merged);
        if (prev->m_nSWPoint > 0) prev->Discrete(gGetCurveDicTol());
        list->RemoveAt(at);
        delete r;
        continue;
      }
    }
    prev = arc;  // a non-arc breaks the run
  }
}
