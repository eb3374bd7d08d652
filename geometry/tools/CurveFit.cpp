#include "geometry/tools/CurveFit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "platform/numora/Numora.h"

namespace {
double Cross(const double a[2], const double b[2]) { return a[0] * b[1] - a[1] * b[0]; }
double Dot(const double a[2], const double b[2]) { return a[0] * b[0] + a[1] * b[1]; }

// Angle turned from a to b around a centre in the given direction, in [0, 2 pi).
double DirectedAngle(const double a[2], const double b[2], bool ccw) {
  const double t = ccw ? V2D_GetAngleV1toV2(a, b) : V2D_GetAngleV1toV2(b, a);
  return t >= 2.0 * std::numbers::pi ? 0.0 : t;
}

// ---- lines and biarcs ----

enum { kDegenerate = 0, kLine = 1, kBiarc = 2 };

// One candidate piece from S to E: a line or two tangent arcs meeting at J.
struct Biarc {
  double c1[2] = {0, 0};
  double s[2] = {0, 0};
  double j[2] = {0, 0};
  double c2[2] = {0, 0};
  double e[2] = {0, 0};
  int kind = kDegenerate;
  double tol = 0.0;
  double r1 = 0.0, r2 = 0.0;
  double start = 0.0;  // angle of S around c1
  double sweep1 = 0.0, sweep2 = 0.0;

  void Build(const double ps[2], const double pe[2], const double tsIn[2], const double teIn[2]) {
    s[0] = ps[0], s[1] = ps[1];
    e[0] = pe[0], e[1] = pe[1];
    kind = kDegenerate;
    if (P2D_Dist(s, e) <= 1e-6) return;
    kind = kLine;
    double ts[2] = {tsIn[0], tsIn[1]}, te[2] = {teIn[0], teIn[1]}, chord[2];
    if (!V2D_Unit(ts, 1e-6) || !V2D_Unit(te, 1e-6)) return;
    V2D_GenUnit(s, e, chord, 0.0);
    // Both tangents along the chord (either way): straight.
    if (std::fabs(Cross(ts, chord)) <= 1e-6 && std::fabs(Cross(te, chord)) <= 1e-6) return;
    if (Construct(ts, te)) kind = kBiarc;
  }

  // Biarc whose tangent legs from S and to E have the same length d.
  bool Construct(const double ts[2], const double te[2]) {
    const double v[2] = {s[0] - e[0], s[1] - e[1]};
    const double sum[2] = {ts[0] + te[0], ts[1] + te[1]};
    const double a = 2.0 * Dot(ts, te) - 2.0;
    const double b = 2.0 * Dot(v, sum);
    const double c = Dot(v, v);
    double d;
    if (std::fabs(a) > 1e-6) {
      const double disc = b * b - 4.0 * a * c;
      if (disc < 0.0) return false;
      const double q = std::sqrt(disc);
      const double d1 = (-b + q) / (2.0 * a), d2 = (-b - q) / (2.0 * a);
      const double lo = std::min(d1, d2), hi = std::max(d1, d2);
      if (lo >= 0.0)
        d = lo;
      else if (hi >= 0.0)
        d = hi;
      else
        return false;
    } else if (std::fabs(b) >= 1e-6) {
      d = -c / b;
      if (d < 0.0) return false;
    } else {
      // Equal tangents across the chord: two half circles of a quarter chord each.
      j[0] = 0.5 * (s[0] + e[0]), j[1] = 0.5 * (s[1] + e[1]);
      c1[0] = s[0] + 0.25 * (e[0] - s[0]), c1[1] = s[1] + 0.25 * (e[1] - s[1]);
      c2[0] = s[0] + 0.75 * (e[0] - s[0]), c2[1] = s[1] + 0.75 * (e[1] - s[1]);
      return Angles(ts, te);
    }
    const double a1[2] = {s[0] + d * ts[0], s[1] + d * ts[1]};
    const double a2[2] = {e[0] - d * te[0], e[1] - d * te[1]};
    j[0] = 0.5 * (a1[0] + a2[0]), j[1] = 0.5 * (a1[1] + a2[1]);
    double nj[2] = {a2[0] - j[0], a2[1] - j[1]};
    double ns[2], ne[2];
    V2D_Perp(nj);
    V2D_Perp(ts, ns);
    V2D_Perp(te, ne);
    if (Inter_LineLine(s, ns, j, nj, 1e-5, 0.0001, c1) != INTER_POINT) return false;
    if (Inter_LineLine(e, ne, j, nj, 1e-5, 0.0001, c2) != INTER_POINT) return false;
    return Angles(ts, te);
  }

  // Radii, start angle and sweeps; each arc turns the way its end tangent says, so an arc of
  // more than half a turn keeps its long way round.
  bool Angles(const double ts[2], const double te[2]) {
    const double vs[2] = {s[0] - c1[0], s[1] - c1[1]};
    const double vj1[2] = {j[0] - c1[0], j[1] - c1[1]};
    const double vj2[2] = {j[0] - c2[0], j[1] - c2[1]};
    const double ve[2] = {e[0] - c2[0], e[1] - c2[1]};
    r1 = std::hypot(vs[0], vs[1]);
    r2 = std::hypot(vj2[0], vj2[1]);
    if (r1 < 1e-9 || r2 < 1e-9) return false;
    start = V2D_AngletoX(vs);
    const bool ccw1 = Cross(vs, ts) > 0.0;
    const bool ccw2 = Cross(ve, te) > 0.0;
    sweep1 = DirectedAngle(vs, vj1, ccw1) * (ccw1 ? 1.0 : -1.0);
    sweep2 = DirectedAngle(vj2, ve, ccw2) * (ccw2 ? 1.0 : -1.0);
    return true;
  }

  bool PointFits(const double x[2]) const {
    if (kind == kLine) {
      double dir[2];
      if (!V2D_GenUnit(s, e, dir, 0.0)) return false;
      return L2D_DistPntToLine(x, s, dir) <= tol;
    }
    if (kind != kBiarc) return false;
    const double vx[2] = {x[0] - c1[0], x[1] - c1[1]};
    const double vs[2] = {s[0] - c1[0], s[1] - c1[1]};
    const double around = DirectedAngle(vs, vx, sweep1 > 0.0);
    if (around < std::fabs(sweep1)) return std::fabs(std::hypot(vx[0], vx[1]) - r1) <= tol;
    return std::fabs(P2D_Dist(x, c2) - r2) <= tol;
  }

  // For neighbouring points only: how far each arc bulges off the chord.
  bool ChordFits() const {
    if (kind == kLine) return true;
    if (kind != kBiarc) return false;
    double x[2];
    if (Inter_LineLineEx(c1, j, s, e, 1e-5, 0.0001, x) != INTER_POINT) return false;
    const double tx = L2D_GetParam(s, e, x);
    const double dir[2] = {e[0] - s[0], e[1] - s[1]};
    double p1[2], p2[2];
    L2D_PrjPnt(s, dir, c1, p1);
    L2D_PrjPnt(s, dir, c2, p2);
    const double t1 = L2D_GetParam(s, e, p1);
    const double t2 = L2D_GetParam(s, e, p2);
    double unit[2];
    V2D_GenUnit(s, e, unit, 0.0);
    const double bulge1 =
        t1 >= 0.0 && t1 <= tx ? r1 - P2D_Dist(c1, p1) : L2D_DistPntToLine(j, s, unit);
    if (bulge1 > tol) return false;
    if (t2 >= tx && t2 <= 1.0 && r2 - P2D_Dist(c2, p2) > tol) return false;
    return true;
  }

  void Emit(CGeCurveList& out) const {
    if (kind == kBiarc) {
      auto a1 = std::make_unique<CGeArc>();
      auto a2 = std::make_unique<CGeArc>();
      if (a1->CreateCSE(c1, s, j, sweep1 > 0.0) && a2->CreateCSE(c2, j, e, sweep2 > 0.0)) {
        out.AddTail(a1.release());
        out.AddTail(a2.release());
        return;
      }
    }
    out.AddTail(new CGeLine(s, e));
  }
};

// The greedy walk: from each start, the farthest end (halving towards the start) whose piece
// passes every point and midpoint in between.
void FitBiarcs(const double pts[][2], const double tangents[][2], int n, double tol,
               CGeCurveList& out) {
  std::vector<std::array<double, 2>> tan(static_cast<size_t>(n), {0.0, 0.0});
  for (int i = 0; i < n; ++i) {
    double* t = tan[static_cast<size_t>(i)].data();
    if (tangents) {
      t[0] = tangents[i][0], t[1] = tangents[i][1];
    } else if (i == 0) {
      t[0] = pts[1][0] - pts[0][0], t[1] = pts[1][1] - pts[0][1];
    } else if (i == n - 1) {
      t[0] = pts[n - 1][0] - pts[n - 2][0], t[1] = pts[n - 1][1] - pts[n - 2][1];
    } else {
      double u[2] = {0, 0}, w[2] = {0, 0};
      V2D_GenUnit(pts[i - 1], pts[i], u, 1e-6);
      V2D_GenUnit(pts[i], pts[i + 1], w, 1e-6);
      t[0] = u[0] + w[0], t[1] = u[1] + w[1];
    }
  }
  Biarc rec;
  rec.tol = tol;
  int b = 0;
  while (b < n - 1) {
    int c = n - 1;
    for (;;) {
      rec.Build(pts[b], pts[c], tan[static_cast<size_t>(b)].data(),
                tan[static_cast<size_t>(c)].data());
      if (rec.kind == kDegenerate) {
        if (c == b + 1) break;  // a repeated point: nothing to draw
        c = (b + c) / 2;
        continue;
      }
      if (c == b + 1) {
        if (!rec.ChordFits()) rec.kind = kLine;
        rec.Emit(out);
        break;
      }
      bool fits = true;
      for (int k = b + 1; k < c && fits; ++k) fits = rec.PointFits(pts[k]);
      for (int k = b; k < c && fits; ++k) {
        const double mid[2] = {0.5 * (pts[k][0] + pts[k + 1][0]), 0.5 * (pts[k][1] + pts[k + 1][1])};
        fits = rec.PointFits(mid);
      }
      if (fits) {
        rec.Emit(out);
        break;
      }
      c = (b + c) / 2;
    }
    b = c;
  }
}

// ---- Bezier fitting of digitised points ----

using V = std::array<double, 2>;

V Sub(const V& a, const V& b) { return {a[0] - b[0], a[1] - b[1]}; }
V Add(const V& a, const V& b) { return {a[0] + b[0], a[1] + b[1]}; }
V Scale(const V& a, double s) { return {a[0] * s, a[1] * s}; }
double Dot(const V& a, const V& b) { return a[0] * b[0] + a[1] * b[1]; }
double Len(const V& a) { return std::hypot(a[0], a[1]); }

bool Unit(V& v) { return V2D_Unit(v.data(), 1e-6) != 0; }

using Cubic = std::array<V, 4>;

V Eval(const V* ctrl, int degree, double t) {
  V w[4];
  for (int i = 0; i <= degree; ++i) w[i] = ctrl[i];
  for (int level = 1; level <= degree; ++level)
    for (int i = 0; i <= degree - level; ++i) w[i] = Add(Scale(w[i], 1.0 - t), Scale(w[i + 1], t));
  return w[0];
}

class BezierFitter {
 public:
  BezierFitter(std::vector<V> pts, double error) : m_p(std::move(pts)), m_error(error) {}

  std::vector<V> controls;  // four per cubic, in order

  void Run() {
    const int last = static_cast<int>(m_p.size()) - 1;
    V t1 = Sub(m_p[1], m_p[0]), t2 = Sub(m_p[last - 1], m_p[last]);
    Unit(t1);
    Unit(t2);
    Fit(0, last, t1, t2);
  }

 private:
  std::vector<V> m_p;
  double m_error;

  void Append(const Cubic& c) { controls.insert(controls.end(), c.begin(), c.end()); }

  struct Span {
    int first, last;
    V t1, t2;
  };

  // Spans are fitted left to right; a span that misses is split at its worst point. A work
  // stack instead of recursion keeps long inputs with tight bounds off the call stack.
  void Fit(int first, int last, const V& t1, const V& t2) {
    std::vector<Span> work{{first, last, t1, t2}};
    while (!work.empty()) {
      const Span sp = work.back();
      work.pop_back();
      int split;
      if (FitSpan(sp, split)) continue;
      V centre = Sub(m_p[split - 1], m_p[split + 1]);
      // A point where the path turns straight back has no through direction.
      if (!Unit(centre)) {
        centre = Sub(m_p[split - 1], m_p[split]);
        Unit(centre);
      }
      work.push_back({split, sp.last, Scale(centre, -1.0), sp.t2});
      work.push_back({sp.first, split, sp.t1, centre});
    }
  }

  // Appends one cubic for the span when it fits; otherwise names the worst point.
  bool FitSpan(const Span& sp, int& split) {
    const int first = sp.first, last = sp.last;
    if (last - first == 1) {
      const double d = Len(Sub(m_p[last], m_p[first])) / 3.0;
      Append({m_p[first], Add(m_p[first], Scale(sp.t1, d)), Add(m_p[last], Scale(sp.t2, d)),
              m_p[last]});
      return true;
    }
    std::vector<double> u = ChordLength(first, last);
    Cubic bez = Generate(first, last, u, sp.t1, sp.t2);
    double err = MaxError(first, last, bez, u, split);
    if (err < m_error) {
      Append(bez);
      return true;
    }
    if (err < m_error * m_error) {
      for (int i = 0; i < 4; ++i) {
        Reparameterize(first, last, u, bez);
        bez = Generate(first, last, u, sp.t1, sp.t2);
        err = MaxError(first, last, bez, u, split);
        if (err < m_error) {
          Append(bez);
          return true;
        }
      }
    }
    return false;
  }

  std::vector<double> ChordLength(int first, int last) const {
    std::vector<double> u(static_cast<size_t>(last - first + 1), 0.0);
    for (int i = first + 1; i <= last; ++i)
      u[i - first] = u[i - first - 1] + Len(Sub(m_p[i], m_p[i - 1]));
    for (double& x : u) x /= u.back();  // distinct neighbours: the total is positive
    return u;
  }

  // Least-squares handle lengths along the given end tangents.
  Cubic Generate(int first, int last, const std::vector<double>& u, const V& t1,
                 const V& t2) const {
    const V& p0 = m_p[first];
    const V& p3 = m_p[last];
    double c00 = 0, c01 = 0, c11 = 0, x0 = 0, x1 = 0;
    for (int i = first; i <= last; ++i) {
      const double t = u[i - first], s = 1.0 - t;
      const double b0 = s * s * s, b1 = 3 * t * s * s, b2 = 3 * t * t * s, b3 = t * t * t;
      const V a1 = Scale(t1, b1), a2 = Scale(t2, b2);
      c00 += Dot(a1, a1);
      c01 += Dot(a1, a2);
      c11 += Dot(a2, a2);
      const V tmp = Sub(m_p[i], Add(Scale(p0, b0 + b1), Scale(p3, b2 + b3)));
      x0 += Dot(a1, tmp);
      x1 += Dot(a2, tmp);
    }
    double det = c00 * c11 - c01 * c01;
    if (det == 0.0) {
      det = c00 * c11 * 1e-11;
      if (std::fabs(det) < 1e-14) det = 1e-14;
    }
    double al = (x0 * c11 - x1 * c01) / det;
    double ar = (c00 * x1 - c01 * x0) / det;
    if (al < 1e-6 || ar < 1e-6) al = ar = Len(Sub(p3, p0)) / 3.0;
    return {p0, Add(p0, Scale(t1, al)), Add(p3, Scale(t2, ar)), p3};
  }

  // Largest squared distance and where it occurs (a later equal value wins).
  double MaxError(int first, int last, const Cubic& bez, const std::vector<double>& u,
                  int& split) const {
    split = (last - first + 1) / 2;
    double worst = 0.0;
    for (int i = first + 1; i < last; ++i) {
      const V d = Sub(Eval(bez.data(), 3, u[i - first]), m_p[i]);
      const double e = Dot(d, d);
      if (e >= worst) worst = e, split = i;
    }
    return worst;
  }

  // One Newton step per point towards its foot on the cubic.
  void Reparameterize(int first, int last, std::vector<double>& u, const Cubic& bez) const {
    const V d1[3] = {Scale(Sub(bez[1], bez[0]), 3), Scale(Sub(bez[2], bez[1]), 3),
                     Scale(Sub(bez[3], bez[2]), 3)};
    const V d2[2] = {Scale(Sub(d1[1], d1[0]), 2), Scale(Sub(d1[2], d1[1]), 2)};
    for (int i = first; i <= last; ++i) {
      double& t = u[i - first];
      const V q = Eval(bez.data(), 3, t), q1 = Eval(d1, 2, t), q2 = Eval(d2, 1, t);
      const V diff = Sub(q, m_p[i]);
      const double num = Dot(diff, q1);
      const double den = Dot(q1, q1) + Dot(diff, q2);
      if (den != 0.0) t -= num / den;
    }
  }
};

// Moves the collected points into a curve at the end of the composite.
void Flush(CPoint2dArray& pts, CGeCombCurve& comb) {
  if (CGeCurve* c = geGenCurve(&pts)) comb.AddTail(c, 0);
  pts.RemoveAll();
}

// Hands a composite with curves to out; an empty one is dropped.
void Finish(std::unique_ptr<CGeCombCurve>& comb, CGeCurveList& out) {
  if (!comb->m_CurveList.IsEmpty()) out.AddTail(comb.release());
  comb = std::make_unique<CGeCombCurve>();
}

tagPoint2d ToPoint(const float p[3]) { return {p[0], p[1]}; }

}  // namespace

CGeCombCurve* geBiarcsFitCurve(const double pts[][2], const double tangents[][2], int n,
                               double tol) {
  if (!pts || n < 2) return nullptr;
  auto comb = std::make_unique<CGeCombCurve>();
  if (n == 2) {
    comb->AddTail(new CGeLine(pts[0], pts[1]), 0);
  } else {
    CGeCurveList pieces;
    FitBiarcs(pts, tangents, n, tol, pieces);
    while (!pieces.IsEmpty()) comb->AddTail(pieces.RemoveHead(), 0);
  }
  comb->CalcBox2d();
  return comb.release();
}

CGeBezier* geFitCurve(const double pts[][2], int n, double error) {
  if (!pts || n < 2) return nullptr;
  // Repeated points have no direction and no chord length between them.
  std::vector<V> p;
  for (int i = 0; i < n; ++i)
    if (p.empty() || P2D_Dist(p.back().data(), pts[i]) > 1e-9) p.push_back({pts[i][0], pts[i][1]});
  if (p.size() < 2) return nullptr;
  // A bound of zero would be met only by exact ties, which split a span one point at a time.
  BezierFitter fitter(std::move(p), std::max(error, 1e-12));
  fitter.Run();
  const std::vector<V>& acc = fitter.controls;
  if (acc.size() < 4) return nullptr;
  std::vector<V> nodes;
  for (size_t i = 0; i < acc.size(); ++i)
    if (i < 4 || i % 4 != 0) nodes.push_back(acc[i]);
  auto bez = std::make_unique<CGeBezier>();
  if (!bez->CreateEx(static_cast<unsigned>(nodes.size()),
                     reinterpret_cast<const double(*)[2]>(nodes.data())))
    return nullptr;
  return bez.release();
}

void ConvertTraceCurve(_at_spline_list_array_type splines, CGeCurveList* out) {
  if (!out || at_spline_list_array_is_empty(splines)) return;
  _kx_curve_list_type* traced = kx_spline_to_kxcurve(splines);
  if (!traced) return;
  for (const _kx_curve_type& curve : traced->curves) {
    auto comb = std::make_unique<CGeCombCurve>();
    CPoint2dArray pts;
    for (const _kx_segment_type& seg : curve.segments) {
      if (seg.degree == 1) {
        tagPoint2d a = ToPoint(seg.pt[0]), b = ToPoint(seg.pt[1]);
        if (pts.GetSize() == 0) {
          pts.Add(a);
          pts.Add(b);
        } else {
          const tagPoint2d& lastPt = pts[pts.GetSize() - 1];
          const float last[3] = {lastPt.x, lastPt.y, 0.0f};
          if (_DistOf(seg.pt[0], last) < 0.01) {
            pts.Add(b);
          } else {
            // A gap ends this composite.
            Flush(pts, *comb);
            pts.Add(a);
            pts.Add(b);
            Finish(comb, *out);
          }
        }
        continue;
      }
      Flush(pts, *comb);
      double ctrl[4][2];
      for (int k = 0; k < 4; ++k) ctrl[k][0] = seg.pt[k][0], ctrl[k][1] = seg.pt[k][1];
      auto bez = std::make_unique<CGeBezier>();
      if (bez->CreateEx(4, ctrl)) comb->AddTail(bez.release(), 0);
      tagPoint2d end = ToPoint(seg.pt[3]);
      pts.Add(end);
    }
    Flush(pts, *comb);
    if (!comb->m_CurveList.IsEmpty()) out->AddTail(comb.release());
  }
  kx_free_kxcurve(traced);
}
