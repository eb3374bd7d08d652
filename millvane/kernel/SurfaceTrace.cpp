// The marching tracer of surface-surface intersections: start points from paired patches,
// their preparation, the predictor-corrector march with its end checks, the joining of the two
// directions traced from one start point and the output records.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <unordered_map>
#include <vector>

#include "millvane/kernel/KernelNumerics.h"
#include "millvane/kernel/KernelSolve.h"
#include "millvane/kernel/KernelVec.h"
#include "millvane/kernel/SurfaceIntersect.h"
#include "millvane/kernel/SurfaceRecords.h"
#include "millvane/kernel/SurfaceSampling.h"
#include "platform/numora/Memory.h"

namespace {

constexpr int kMaxMarchSteps = 10000;
constexpr int kMaxTries = 16;

// Node fields as the tracer uses them.
inline int32_t& Singular(LST_Node* n) { return n->mark[0]; }
inline double& Step(LST_Node* n) { return n->extra[0]; }
inline double Step(const LST_Node* n) { return n->extra[0]; }
inline double& Triple(LST_Node* n) { return n->extra[1]; }
inline double Triple(const LST_Node* n) { return n->extra[1]; }
// A touching point with no intersection direction: it stays an isolated point.
inline int32_t& NoDirection(LST_Node* n) { return n->mark[1]; }

double SegmentDist(const double p[3], const double a[3], const double b[3], double& lambda,
                   double foot[3]) {
  double d[3], w[3];
  kv::Sub(d, b, a);
  kv::Sub(w, p, a);
  const double L2 = kv::Dot(d, d);
  lambda = L2 < 1e-30 ? 0.0 : std::clamp(kv::Dot(w, d) / L2, 0.0, 1.0);
  kv::Axpy(foot, a, lambda, d);
  return kv::Dist(p, foot);
}

struct Side {
  const ENT_Record* s = nullptr;
  _tagBox2D box{};    // parameter box
  _tagBox2D trace{};  // tracing box: a periodic direction spanning the box is unbounded
  double len[2] = {0, 0};     // range lengths (0 when unbounded)
  double period[2] = {0, 0};  // > 0 for periodic directions
  std::vector<std::array<double, 3>> poles;
};

bool SetUpSide(Side& sd, const ENT_Record* s, const _tagBox2D* box) {
  sd.s = s;
  if (box) sd.box = *box;
  else if (!SRF_GetUVBox(s, &sd.box)) return false;
  _param R[2];
  if (!SRF_GetParamRanges(s, &R[0], &R[1])) return false;
  sd.trace = sd.box;
  for (int d = 0; d < 2; ++d) {
    const double L = R[d].max - R[d].min;
    sd.len[d] = std::isfinite(L) && L < 1e10 ? L : 0.0;
    if (R[d].closure == 2 && std::isfinite(L) && L > 0.0) {
      sd.period[d] = L;
      if (L - 1e-12 < sd.box.max[d] - sd.box.min[d]) {
        sd.trace.min[d] = -1e20;
        sd.trace.max[d] = 1e20;
      }
    }
  }
  // Poles: collapsed edges, each the mean of 11 points along it.
  struct Edge {
    int dir;
    double w;
  };
  std::vector<Edge> edges;
  if (R[0].startKind == 3) edges.push_back({0, R[0].min});
  if (R[0].endKind == 3) edges.push_back({0, R[0].max});
  if (R[1].startKind == 3) edges.push_back({1, R[1].min});
  if (R[1].endKind == 3) edges.push_back({1, R[1].max});
  for (const Edge& e : edges) {
    if (sd.poles.size() >= 2) break;
    const double a = sd.box.min[1 - e.dir], b = sd.box.max[1 - e.dir];
    std::array<double, 3> pole{0, 0, 0};
    bool ok = std::isfinite(a) && std::isfinite(b) && std::fabs(a) < 1e10 && std::fabs(b) < 1e10;
    for (int i = 0; i <= 10 && ok; ++i) {
      const double t = a + (b - a) * i / 10.0;
      double p[3];
      ok = (e.dir == 0 ? SRF_EvPos(p, s, e.w, t) : SRF_EvPos(p, s, t, e.w)) == 1;
      if (ok) kv::Axpy(pole.data(), pole.data(), 1.0 / 11.0, p);
    }
    if (ok) sd.poles.push_back(pole);
  }
  return true;
}

bool Inside(const _tagBox2D& b, const double uv[2]) {
  return uv[0] >= b.min[0] - 1e-12 && uv[0] <= b.max[0] + 1e-12 && uv[1] >= b.min[1] - 1e-12 &&
         uv[1] <= b.max[1] + 1e-12;
}

// One trace: a chain of nodes from its first to its last.
struct Trace {
  LST_Node* head = nullptr;
  LST_Node* tail = nullptr;
  int count = 0;
  int endCode = 0;

  void Append(LST_Node* n) {
    if (!head) head = n;
    else LST_InsertAfter(tail, n);
    tail = n;
    ++count;
  }
  void Free() {
    LST_FreeChain(head);
    head = tail = nullptr;
    count = 0;
  }
  // Turns the trace round: order and every node's direction.
  void Reverse() {
    LST_Node* n = head;
    while (n) {
      LST_Node* next = n->next;
      std::swap(n->prev, n->next);
      LST_ReverseNode(n);
      n = next;
    }
    std::swap(head, tail);
  }
};

class Tracer {
 public:
  Side a, b;
  double prec = 0, angPrec = 0, tol[3] = {0, 0, 0};
  std::vector<LST_Node*> starts;  // remaining start nodes (null once used or pruned)
  const LST_Node* start = nullptr;

  ~Tracer() {
    for (LST_Node* n : starts) KX_MemFree(n);
  }

  // Tangent, (u, v) rates and triple product of a node with the unit tangent T.
  void SetTangent(LST_Node* n, const double T[3], const SSI_SurfPoint& ea,
                  const SSI_SurfPoint& eb) const {
    kv::Copy(n->vector, T);
    double o[2];
    LSQ_Decompose2(ea.Su, ea.Sv, T, o);
    n->rates[0] = o[1];
    n->rates[1] = o[0];
    LSQ_Decompose2(eb.Su, eb.Sv, T, o);
    n->rates[2] = o[1];
    n->rates[3] = o[0];
    double x[3];
    kv::Cross(x, eb.N, T);
    Triple(n) = kv::Dot(ea.N, x);
  }

  // Tangent unit(nA x nB) at the node's pairs, turned along ref when given.
  // at: both surfaces already evaluated at the node's pairs, when the solver kept them.
  bool Finish(LST_Node* n, const double* ref, double minLen,
              const SSI_SurfPoint* at = nullptr) const {
    SSI_SurfPoint ea, eb;
    if (at) {
      ea = at[0];
      eb = at[1];
    } else if (!SSI_EvalSurf(ea, a.s, n->uvA[0], n->uvA[1]) ||
               !SSI_EvalSurf(eb, b.s, n->uvB[0], n->uvB[1])) {
      return false;
    }
    double x[3], T[3];
    kv::Cross(x, ea.N, eb.N);
    const double l = kv::Len(x);
    if (!(l >= minLen) || l == 0.0) return false;
    kv::Scale(T, 1.0 / l, x);
    if (ref && kv::Dot(T, ref) < 0.0) kv::Scale(T, -1.0, T);
    SetTangent(n, T, ea, eb);
    return true;
  }

  // Start preparation; extra receives the copy for a second branch through a touching point.
  // 1, 0 failure, -1 allocation failure.
  int Prepare(LST_Node* n, std::vector<LST_Node*>& extra) const {
    SSI_SurfPoint ea, eb;
    if (!SSI_EvalSurf(ea, a.s, n->uvA[0], n->uvA[1]) || !SSI_EvalSurf(eb, b.s, n->uvB[0], n->uvB[1]))
      return 0;
    kv::Add(n->point, ea.P, eb.P);
    kv::Scale(n->point, 0.5, n->point);
    double limit = tol[2];
    const double prods[4] = {kv::Len(ea.Su) * a.len[0], kv::Len(ea.Sv) * a.len[1],
                             kv::Len(eb.Su) * b.len[0], kv::Len(eb.Sv) * b.len[1]};
    for (double p : prods)
      if (p > 0.0) limit = std::min(limit, 0.1 * p);
    Step(n) = limit;
    double x[3];
    kv::Cross(x, ea.N, eb.N);
    const double l = kv::Len(x);
    if (l >= 1e-6) {
      double T[3];
      kv::Scale(T, 1.0 / l, x);
      SetTangent(n, T, ea, eb);
      return 1;
    }
    Singular(n) = 1;
    double dirs[2][3];
    const int k = SSI_ContactDirections(dirs, a.s, n->uvA, b.s, n->uvB);
    if (k < 0) return 0;
    if (k == 0) {
      NoDirection(n) = 1;
      kv::Set(n->vector, 0, 0, 0);
      return 1;
    }
    SetTangent(n, dirs[0], ea, eb);
    Triple(n) = 0.0;
    if (k == 2) {
      // The second branch through the contact; the first one's two halves are the forward
      // and backward marches from this node.
      LST_Node* c = LST_CopyNode(n);
      if (!c) return -1;
      SetTangent(c, dirs[1], ea, eb);
      Triple(c) = 0.0;
      extra.push_back(c);
    }
    return 1;
  }

  // Limits a node's step by the curvature of the intersection there: the chord whose sagitta
  // is the deviation tolerance.
  void CurvatureLimit(LST_Node* n) const {
    double P[3], Su[3], Sv[3], Suu[3], Suv[3], Svv[3], NA[3], NB[3], q[3];
    double kn[2];
    const Side* sides[2] = {&a, &b};
    for (int k = 0; k < 2; ++k) {
      const double* uv = k == 0 ? n->uvA : n->uvB;
      const double du = n->rates[2 * k], dv = n->rates[2 * k + 1];
      double* N = k == 0 ? NA : NB;
      if (!SRF_EvDeriv2(P, Su, Sv, Suu, Suv, Svv, sides[k]->s, uv[0], uv[1]) ||
          !SRF_EvPosNormal(N, sides[k]->s, q, uv[0], uv[1]))
        return;
      double c2[3];
      for (int i = 0; i < 3; ++i) c2[i] = Suu[i] * du * du + 2 * Suv[i] * du * dv + Svv[i] * dv * dv;
      kn[k] = kv::Dot(N, c2);
    }
    const double c = std::clamp(kv::Dot(NA, NB), -1.0, 1.0);
    const double ang = std::acos(c);
    if (!(ang > 0.001 && ang < std::numbers::pi - 0.001)) return;
    const double det = 1.0 - c * c;
    if (!(std::fabs(det) >= 1e-50)) return;
    const double al = (kn[0] - c * kn[1]) / det, be = (kn[1] - c * kn[0]) / det;
    double kvec[3];
    for (int i = 0; i < 3; ++i) kvec[i] = al * NA[i] + be * NB[i];
    const double k = kv::Len(kvec);
    if (k > 1e-12) Step(n) = std::min(Step(n), 2.0 * std::sqrt(2.0 * tol[0] / k));
  }

  // Tangent after the tangential form: along a line of contact the normals' cross product is
  // rounding noise, so the contact direction nearest the current tangent is taken there.
  bool FinishTangential(LST_Node* n, const LST_Node* cur) const {
    SSI_SurfPoint ea, eb;
    if (!SSI_EvalSurf(ea, a.s, n->uvA[0], n->uvA[1]) || !SSI_EvalSurf(eb, b.s, n->uvB[0], n->uvB[1]))
      return false;
    double x[3];
    kv::Cross(x, ea.N, eb.N);
    if (kv::Len(x) >= 1e-6) return Finish(n, cur->vector, 1e-20);
    LST_Node c = *n;
    if (ContactEnd(cur, c)) {
      kv::Copy(c.point, n->point);
      *n = c;
      return true;
    }
    return Finish(n, cur->vector, 1e-20);
  }

  // One predictor-corrector step from cur into out (unlinked). 1 accepted, 0 failed.
  // Step control, at most 16 tries, with c the chord, d the distance between the chord's
  // midpoint and the Hermite midpoint of the two nodes and g = |T(next) - T(cur)|:
  // - all three below a third of their tolerances: the step grows to h = 2c, predicted again
  //   from cur, unless a try of this step already shrank (then it is taken as it is);
  // - all three within the tolerances: taken;
  // - else the next try predicts the middle of the rejected span: the plane passes through
  //   the Hermite midpoint with the mean of the two unit tangents as its normal, the (u, v)
  //   start from the mean of the two nodes' pairs, and h = c / 2;
  // - a corrector that fails halves h, predicted again from cur.
  int StepFrom(const LST_Node* cur, LST_Node& out) const {
    const double dev = tol[0], tanTol = tol[1], smax = tol[2];
    double h = Step(cur);
    if (!(h > 0.0) || h > smax) h = smax;
    // Prediction: base point and (u, v), plane normal, length.
    double P0[3], T0[3], uvA[2], uvB[2];
    auto fromCur = [&](double len) {
      kv::Axpy(P0, cur->point, len, cur->vector);
      kv::Copy(T0, cur->vector);
      for (int i = 0; i < 2; ++i) {
        uvA[i] = cur->uvA[i] + len * cur->rates[i];
        uvB[i] = cur->uvB[i] + len * cur->rates[2 + i];
      }
    };
    fromCur(h);
    bool halved = false;
    const bool tangential = std::fabs(Triple(cur)) < 1e-6;
    for (int tr = 0; tr < kMaxTries; ++tr) {
      LST_Node cand = *cur;
      cand.prev = cand.next = nullptr;
      for (int i = 0; i < 2; ++i) cand.uvA[i] = uvA[i], cand.uvB[i] = uvB[i];
      SSI_SurfPoint at[2];
      const int ok = tangential
                         ? SSI_SolveTangential(cand.point, cand.uvA, cand.uvB, a.s, b.s, 0.01 * prec)
                         : SSI_SolvePoint(cand.point, cand.uvA, cand.uvB, a.s, b.s, P0, T0, 0.01 * prec, at);
      const double c = kv::Dist(cand.point, cur->point);
      if (ok != 1 ||
          !(tangential ? FinishTangential(&cand, cur) : Finish(&cand, cur->vector, 1e-20, at)) ||
          !(c > 1e-12)) {
        h *= 0.5;
        halved = true;
        fromCur(h);
        continue;
      }
      double mid[3], hm[3];
      kv::Add(mid, cur->point, cand.point);
      kv::Scale(mid, 0.5, mid);
      MAT_Hermite(cur->point, cur->vector, cand.point, cand.vector, 0.5, hm);
      const double d = kv::Dist(mid, hm);
      const double g = kv::Dist(cand.vector, cur->vector);
      // Well inside every tolerance: grow unless this step already shrank (growing again
      // would only come back here); the last try takes what it has.
      bool accept = false;
      if (d < 0.333 * dev && g < 0.333 * tanTol && c < 0.333 * smax) {
        if (halved || tr == kMaxTries - 1) accept = true;
        else {
          h = 2.0 * c;
          fromCur(h);
          continue;
        }
      } else if (d <= dev && c <= smax && (g <= tanTol || c <= 0.1 * dev)) {
        // A tangent that still jumps over a step this short is a crease of a surface (a
        // swept polyline's vertex), not curvature: step across it.
        accept = true;
      }
      if (accept) {
        Step(&cand) = c;
        Singular(&cand) = 0;
        out = cand;
        return 1;
      }
      // Too far: the next try aims at the middle of this span, with the mean tangent.
      double Tm[3];
      kv::Add(Tm, cur->vector, cand.vector);
      if (!kv::Unit(Tm, Tm, 1e-12)) kv::Copy(Tm, cur->vector);
      kv::Copy(P0, hm);
      kv::Copy(T0, Tm);
      for (int i = 0; i < 2; ++i) {
        uvA[i] = 0.5 * (cur->uvA[i] + cand.uvA[i]);
        uvB[i] = 0.5 * (cur->uvB[i] + cand.uvB[i]);
      }
      h = 0.5 * c;
      halved = true;
    }
    return 0;
  }

  // Start (u, v) shifted by whole periods to lie around ref.
  void NearPeriod(const Side& sd, const double uv[2], const double ref[2], double out[2]) const {
    for (int d = 0; d < 2; ++d) {
      out[d] = uv[d];
      if (sd.period[d] > 0.0)
        out[d] = uv[d] + sd.period[d] * std::round((ref[d] - uv[d]) / sd.period[d]);
    }
  }

  bool UvNearStep(const double s[2], const double p[2], const double q[2]) const {
    for (int d = 0; d < 2; ++d) {
      const double ext = std::fabs(q[d] - p[d]) + 1e-9;
      if (s[d] < std::min(p[d], q[d]) - ext || s[d] > std::max(p[d], q[d]) + ext) return false;
    }
    return true;
  }

  // End node on the boundary of a tracing box that the step (cur, next) leaves: the parameter
  // that leaves first is held on its bound and the other three are solved.
  bool BoundaryNode(const LST_Node* cur, const LST_Node& next, LST_Node& out) const {
    double c[4] = {cur->uvA[0], cur->uvA[1], cur->uvB[0], cur->uvB[1]};
    double x[4] = {next.uvA[0], next.uvA[1], next.uvB[0], next.uvB[1]};
    const _tagBox2D* boxes[2] = {&a.trace, &b.trace};
    int fixed = -1;
    double lam = 2.0, bound = 0.0;
    for (int k = 0; k < 4; ++k) {
      const _tagBox2D& bx = *boxes[k / 2];
      const double lo = bx.min[k % 2], hi = bx.max[k % 2];
      const double lim = x[k] > hi ? hi : (x[k] < lo ? lo : x[k]);
      if (lim == x[k] || x[k] == c[k]) continue;
      const double l = (lim - c[k]) / (x[k] - c[k]);
      if (l < lam) lam = l, fixed = k, bound = lim;
    }
    if (fixed < 0) return false;
    lam = std::clamp(lam, 0.0, 1.0);
    double p[4];
    for (int k = 0; k < 4; ++k) p[k] = c[k] + lam * (x[k] - c[k]);
    p[fixed] = bound;
    for (int it = 0; it < 32; ++it) {
      double SA[3], SuA[3], SvA[3], SB[3], SuB[3], SvB[3];
      if (!SRF_EvDeriv1(SA, SuA, SvA, a.s, p[0], p[1]) || !SRF_EvDeriv1(SB, SuB, SvB, b.s, p[2], p[3]))
        return false;
      if (kv::Dist(SA, SB) < 0.01 * prec) {
        out = next;
        out.prev = out.next = nullptr;
        out.uvA[0] = p[0], out.uvA[1] = p[1], out.uvB[0] = p[2], out.uvB[1] = p[3];
        kv::Add(out.point, SA, SB);
        kv::Scale(out.point, 0.5, out.point);
        return Finish(&out, cur->vector, 1e-20);
      }
      const double* cols[4] = {SuA, SvA, SuB, SvB};
      const double sign[4] = {1, 1, -1, -1};
      double J[3][3], r[3], s[3];
      int idx[3], m = 0;
      for (int k = 0; k < 4; ++k)
        if (k != fixed) idx[m++] = k;
      for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) J[i][j] = sign[idx[j]] * cols[idx[j]][i];
        r[i] = SB[i] - SA[i];
      }
      if (!MAT_SolveQR3(J, r, s)) return false;
      for (int j = 0; j < 3; ++j) p[idx[j]] += s[j];
    }
    return false;
  }

  // When the step predicted from cur leaves a tracing box, the end node on its boundary.
  bool EdgeAhead(const LST_Node* cur, LST_Node& end) const {
    LST_Node pred = *cur;
    for (int i = 0; i < 2; ++i) {
      pred.uvA[i] += tol[2] * cur->rates[i];
      pred.uvB[i] += tol[2] * cur->rates[2 + i];
    }
    if (Inside(a.trace, pred.uvA) && Inside(b.trace, pred.uvB)) return false;
    if (BoundaryNode(cur, pred, end)) return true;
    end = *cur;  // already on the edge: the trace ends where it is
    return true;
  }

  // End checks of the accepted step (cur, next); next may be replaced by the end node.
  // Returns the end code (0: go on).
  int EndChecks(const Trace& tr, double traced, const LST_Node* cur, LST_Node& next) const {
    double lam, foot[3];
    // 1. Back at the start: the trace closes on the start node itself.
    if (tr.count >= 2 && traced > 4.0 * tol[0] &&
        SegmentDist(start->point, cur->point, next.point, lam, foot) < tol[0]) {
      double sa[2], sb[2];
      NearPeriod(a, start->uvA, next.uvA, sa);
      NearPeriod(b, start->uvB, next.uvB, sb);
      if (UvNearStep(sa, cur->uvA, next.uvA) && UvNearStep(sb, cur->uvB, next.uvB)) {
        LST_Node* keepPrev = next.prev;
        next = *start;
        next.prev = keepPrev;
        next.next = nullptr;
        for (int i = 0; i < 2; ++i) next.uvA[i] = sa[i], next.uvB[i] = sb[i];
        return 2;
      }
    }
    // 2. A pole of either surface on the step: the trace ends at the pole.
    for (const Side* sd : {&a, &b})
      for (const auto& pole : sd->poles)
        if (SegmentDist(pole.data(), cur->point, next.point, lam, foot) < tol[0]) {
          LST_Node end = next;
          double t[3];
          kv::Sub(t, next.point, cur->point);
          for (int i = 0; i < 2; ++i) {
            end.uvA[i] = cur->uvA[i] + lam * (next.uvA[i] - cur->uvA[i]);
            end.uvB[i] = cur->uvB[i] + lam * (next.uvB[i] - cur->uvB[i]);
          }
          if (kv::Unit(t, t, 1e-12) &&
              SSI_SolvePoint(end.point, end.uvA, end.uvB, a.s, b.s, pole.data(), t, 0.01 * prec) == 1 &&
              Finish(&end, cur->vector, 1e-20))
            next = end;
          return 4;
        }
    // 3. The normals turned through parallel: the surfaces touch inside the step.
    if (tr.count > 1 || std::fabs(Triple(start)) > 1e-12) {
      const double t0 = Triple(cur), t1 = Triple(&next);
      if ((std::fabs(t0) > 100 * prec || std::fabs(t1) > 100 * prec) && t0 * t1 < 1e-12) {
        LST_Node end = next;
        for (int i = 0; i < 2; ++i) {
          end.uvA[i] = 0.5 * (cur->uvA[i] + next.uvA[i]);
          end.uvB[i] = 0.5 * (cur->uvB[i] + next.uvB[i]);
        }
        if (SSI_SolveContact(end.uvA, end.uvB, a.s, b.s, a.box, prec, prec) == 1 &&
            ContactEnd(cur, end)) {
          next = end;
          return 3;
        }
        if (std::fabs(t0) > 1e-12) return 3;
      }
    }
    // 4. Out of a tracing box. The trace always ends here, on the box's boundary where the
    // solve succeeds: an evaluator that clamps its parameters into the domain returns the
    // same point outside the box, and comparing with that point would march on forever.
    if (!Inside(a.trace, next.uvA) || !Inside(b.trace, next.uvB)) {
      LST_Node end;
      if (BoundaryNode(cur, next, end)) next = end;
      return 1;
    }
    return 0;
  }

  // The contact end node: midpoint, and the branch direction nearest the current tangent.
  bool ContactEnd(const LST_Node* cur, LST_Node& end) const {
    SSI_SurfPoint ea, eb;
    if (!SSI_EvalSurf(ea, a.s, end.uvA[0], end.uvA[1]) ||
        !SSI_EvalSurf(eb, b.s, end.uvB[0], end.uvB[1]))
      return false;
    kv::Add(end.point, ea.P, eb.P);
    kv::Scale(end.point, 0.5, end.point);
    double dirs[2][3];
    const int k = SSI_ContactDirections(dirs, a.s, end.uvA, b.s, end.uvB);
    if (k < 1) return false;
    int pick = 0;
    if (k == 2) {
      double x0[3], x1[3];
      kv::Cross(x0, dirs[0], cur->vector);
      kv::Cross(x1, dirs[1], cur->vector);
      pick = kv::Len(x0) < kv::Len(x1) ? 0 : 1;
    }
    double T[3];
    kv::Copy(T, dirs[pick]);
    if (kv::Dot(T, cur->vector) < 0.0) kv::Scale(T, -1.0, T);
    SetTangent(&end, T, ea, eb);
    Triple(&end) = 0.0;
    return true;
  }

  // Start nodes by cell, so that pruning looks only near each step.
  double cellSize = 0.0;
  std::unordered_map<uint64_t, std::vector<size_t>> cells;

  static uint64_t CellKey(int64_t x, int64_t y, int64_t z) {
    return (uint64_t(x) * 73856093u) ^ (uint64_t(y) * 19349663u) ^ (uint64_t(z) * 83492791u);
  }
  int64_t Cell(double x) const { return int64_t(std::floor(x / cellSize)); }

  void IndexStarts() {
    cellSize = tol[2] + 8.0 * tol[0];
    cells.clear();
    for (size_t i = 0; i < starts.size(); ++i) {
      const double* p = starts[i]->point;
      cells[CellKey(Cell(p[0]), Cell(p[1]), Cell(p[2]))].push_back(i);
    }
  }

  // Removes the remaining start nodes that lie on the step (cur, next).
  void Prune(const LST_Node* cur, const LST_Node& next) {
    double mid[3];
    kv::Add(mid, cur->point, next.point);
    kv::Scale(mid, 0.5, mid);
    const double reach = 0.5 * kv::Dist(cur->point, next.point) + 4.0 * tol[0];
    if (reach < cellSize) {
      // Only the cells that the ball around the step's middle reaches (a little wider against
      // rounding): mostly two along each axis.
      int64_t lo[3], hi[3];
      for (int k = 0; k < 3; ++k)
        lo[k] = Cell(mid[k] - 1.001 * reach), hi[k] = Cell(mid[k] + 1.001 * reach);
      for (int64_t x = lo[0]; x <= hi[0]; ++x)
        for (int64_t y = lo[1]; y <= hi[1]; ++y)
          for (int64_t z = lo[2]; z <= hi[2]; ++z) {
            auto it = cells.find(CellKey(x, y, z));
            if (it == cells.end()) continue;
            for (size_t i : it->second) PruneOne(starts[i], cur, next);
          }
      return;
    }
    for (LST_Node*& s : starts) PruneOne(s, cur, next);
  }

  void PruneOne(LST_Node*& s, const LST_Node* cur, const LST_Node& next) {
    if (!s) return;
    double lam, foot[3];
    const double d = SegmentDist(s->point, cur->point, next.point, lam, foot);
    if (d > 4.0 * tol[0]) return;
    double uvA[2], uvB[2], p[3], t[3];
    for (int i = 0; i < 2; ++i) {
      uvA[i] = cur->uvA[i] + lam * (next.uvA[i] - cur->uvA[i]);
      uvB[i] = cur->uvB[i] + lam * (next.uvB[i] - cur->uvB[i]);
    }
    kv::Sub(t, next.point, cur->point);
    bool on;
    if (kv::Unit(t, t, 1e-12) &&
        SSI_SolvePoint(p, uvA, uvB, a.s, b.s, foot, t, 0.01 * prec) == 1)
      on = kv::Dist(p, s->point) < tol[0];
    else
      on = d < tol[0];
    if (on) {
      KX_MemFree(s);
      s = nullptr;
    }
  }

  // March from the start node along its tangent. 1 ended, -4 nothing traced, -1 allocation
  // failure, -2 no end within the step budget: that fails the whole intersection, since a
  // curve longer than the budget would otherwise vanish from a successful result.
  int March(const LST_Node* from, Trace& tr) {
    tr = Trace();
    start = from;
    LST_Node* first = LST_CopyNode(from);
    if (!first) return -1;
    tr.Append(first);
    double traced = 0.0;
    for (int step = 0; step < kMaxMarchSteps; ++step) {
      LST_Node* cur = tr.tail;
      LST_Node next;
      int code = 0;
      if (!StepFrom(cur, next)) {
        // Past the edge of a box the surfaces (clamped, or an offset of a clamped base) stop
        // moving and no step can be corrected: the trace ends on that edge.
        if (!EdgeAhead(cur, next)) {
          tr.Free();
          return -4;
        }
        code = 1;
      } else {
        code = EndChecks(tr, traced, cur, next);
      }
      Prune(cur, next);
      const double c = kv::Dist(cur->point, next.point);
      if (c > 1e-12) {
        LST_Node* n = LST_CopyNode(&next);
        if (!n) {
          tr.Free();
          return -1;
        }
        tr.Append(n);
        traced += c;
      }
      if (code) {
        tr.endCode = code;
        return 1;
      }
    }
    tr.Free();
    return -2;
  }
};

// One trace from first and second, whose first node repeats first's last node.
Trace Splice(Trace first, const Trace& second) {
  LST_Node* shared = second.head;
  LST_Node* rest = shared->next;
  KX_MemFree(shared);
  if (!rest) return first;
  rest->prev = first.tail;
  first.tail->next = rest;
  first.tail = second.tail;
  first.count += second.count - 1;
  return first;
}

// Joins the backward trace to the forward one where an end of each meets; false when they
// meet with tangents that disagree. Both traces are left in out (one or two).
bool Join(Trace& fw, Trace& bw, double prec, double angTol, std::vector<Trace>& out) {
  if (!fw.head || !bw.head) {
    if (fw.head) out.push_back(fw);
    if (bw.head) out.push_back(bw);
    return true;
  }
  // (fw end, bw end, tangents must be opposite)
  struct Pairing {
    bool fwEnd, bwEnd, opposite;
  };
  const Pairing pairings[4] = {
      {false, false, true}, {false, true, false}, {true, false, false}, {true, true, true}};
  for (const Pairing& p : pairings) {
    LST_Node* f = p.fwEnd ? fw.tail : fw.head;
    LST_Node* b = p.bwEnd ? bw.tail : bw.head;
    if (kv::Dist(f->point, b->point) >= prec) continue;
    double tb[3];
    kv::Scale(tb, p.opposite ? -1.0 : 1.0, b->vector);
    const double ang = MAT_SafeAcos(std::clamp(kv::Dot(f->vector, tb), -1.0, 1.0));
    if (ang > angTol) {
      if (std::fabs(std::numbers::pi - ang) <= angTol) return false;
      continue;
    }
    // Make bw run into fw's start (or out of fw's end), then splice without the shared node.
    const bool bwBeforeFw = !p.fwEnd;
    if (bwBeforeFw != p.bwEnd) bw.Reverse();
    out.push_back(bwBeforeFw ? Splice(bw, fw) : Splice(fw, bw));
    return true;
  }
  out.push_back(fw);
  out.push_back(bw);
  return true;
}

// The intersection curve of a trace of two or more nodes; -1 on allocation failure.
int MakeCurve(const Trace& tr, ENT_Record* A, ENT_Record* B, _intcur*& out) {
  out = nullptr;
  SSI_PointList* pl = SSI_NewPointList(tr.count, TOL_trace);
  if (!pl || !pl->points) {
    SSI_FreePointList(pl);
    return -1;
  }
  int i = 0;
  double t = 0.0;
  for (const LST_Node* n = tr.head; n; n = n->next, ++i) {
    if (n->prev) {
      // Arc length of the Hermite span, estimated from its chord and end tangents.
      const LST_Node* p = n->prev;
      const double c = kv::Dist(p->point, n->point);
      double g[3];
      for (int k = 0; k < 3; ++k)
        g[k] = 1.5 * (n->point[k] - p->point[k]) - 0.25 * c * (p->vector[k] + n->vector[k]);
      t += (2.0 * c + kv::Len(g)) / 3.0;
    }
    SSI_TracedPoint& q = pl->points[i];
    kv::Copy(q.point, n->point);
    kv::Copy(q.tangent, n->vector);
    q.param = t;
    q.uvA[0] = n->uvA[0], q.uvA[1] = n->uvA[1];
    q.uvB[0] = n->uvB[0], q.uvB[1] = n->uvB[1];
  }
  out = SSI_NewCurve(A, B, pl);
  if (!out) {
    SSI_FreePointList(pl);
    return -1;
  }
  return 1;
}

// Removes the start nodes closer than tol to an earlier kept one (a hash of cells of size tol).
void Deduplicate(std::vector<LST_Node*>& nodes, double tol) {
  if (!(tol > 0.0)) return;
  std::unordered_map<uint64_t, std::vector<const LST_Node*>> cells;
  auto cell = [&](const double p[3], int k) { return int64_t(std::floor(p[k] / tol)); };
  auto key = [](int64_t x, int64_t y, int64_t z) {
    return (uint64_t(x) * 73856093u) ^ (uint64_t(y) * 19349663u) ^ (uint64_t(z) * 83492791u);
  };
  std::vector<LST_Node*> kept;
  for (LST_Node* n : nodes) {
    const int64_t cx = cell(n->point, 0), cy = cell(n->point, 1), cz = cell(n->point, 2);
    // A node closer than tol lies in a cell that the box of half-width tol around this one
    // reaches (a little wider against rounding): mostly two cells along each axis.
    int64_t lo[3], hi[3];
    for (int k = 0; k < 3; ++k) {
      lo[k] = int64_t(std::floor((n->point[k] - 1.001 * tol) / tol));
      hi[k] = int64_t(std::floor((n->point[k] + 1.001 * tol) / tol));
    }
    bool dup = false;
    for (int64_t x = lo[0]; x <= hi[0] && !dup; ++x)
      for (int64_t y = lo[1]; y <= hi[1] && !dup; ++y)
        for (int64_t z = lo[2]; z <= hi[2] && !dup; ++z) {
          auto it = cells.find(key(x, y, z));
          if (it == cells.end()) continue;
          for (const LST_Node* m : it->second)
            if (kv::Dist(m->point, n->point) < tol) {
              dup = true;
              break;
            }
        }
    if (dup) {
      KX_MemFree(n);
      continue;
    }
    cells[key(cx, cy, cz)].push_back(n);
    kept.push_back(n);
  }
  nodes.swap(kept);
}

// Sampling of one side: the caller's cache when it holds one, else a new one kept in it. A new
// sampling holds its first grid only; the pairing refines it where the other surface may be.
int SideCache(const ENT_Record* s, const _tagBox2D& box, void** slot, SSI_SampleCache*& c,
              bool& own) {
  own = false;
  if (slot && *slot) {
    c = static_cast<SSI_SampleCache*>(*slot);
    return 1;
  }
  const int rc = SSI_StartSampling(c, s, box);
  if (rc != 1) return rc;
  if (slot) *slot = c;
  else own = true;
  return 1;
}

void FreeOutput(LST_Node** traces, SSI_CurveNode** curves) {
  *traces = LST_FreeChain(*traces);
  for (SSI_CurveNode* n = *curves; n;) {
    SSI_CurveNode* next = n->next;
    ENT_Free(n->curve);
    KX_MemFree(n);
    n = next;
  }
  *curves = nullptr;
}

}  // namespace

int SSI_TraceSurfaces(ENT_Record* A, ENT_Record* B, const _tagBox2D* boxA, void** cacheA,
                      const _tagBox2D* boxB, void** cacheB, LST_Node** traces,
                      SSI_CurveNode** curves) {
  if (!traces || !curves) return 0;
  *traces = nullptr;
  *curves = nullptr;
  if (!A || !B) return 0;
  Tracer T;
  if (!SetUpSide(T.a, A, boxA) || !SetUpSide(T.b, B, boxB)) return 0;
  T.prec = TOL_precision;
  T.angPrec = TOL_anglePrecision;
  for (int i = 0; i < 3; ++i) T.tol[i] = TOL_trace[i];
  if (!(T.prec > 0.0) || !(T.tol[0] > 0.0) || !(T.tol[1] > 0.0) || !(T.tol[2] > 0.0)) return 0;

  SSI_SampleCache *ca = nullptr, *cb = nullptr;
  bool ownA = false, ownB = false;
  struct Owned {
    SSI_SampleCache*& c;
    bool& own;
    ~Owned() {
      if (own) SSI_FreeSampleCache(c);
    }
  } holdA{ca, ownA}, holdB{cb, ownB};
  if (SideCache(A, T.a.box, cacheA, ca, ownA) != 1 || SideCache(B, T.b.box, cacheB, cb, ownB) != 1)
    return 0;

  // Start points: one free solve per pair of meeting patches.
  std::vector<std::pair<int, int>> pairs;
  if (SSI_PairSampled(*ca, A, *cb, B, 5.0 * TOL_discretise[0], pairs) != 1) return 0;
  for (const auto& [ia, ib] : pairs) {
    double uvA[2] = {ca->patches[size_t(ia)].centre[0], ca->patches[size_t(ia)].centre[1]};
    double uvB[2] = {cb->patches[size_t(ib)].centre[0], cb->patches[size_t(ib)].centre[1]};
    double p[3];
    if (SSI_SolvePointFree(p, uvA, uvB, A, B, 0.01 * T.prec) != 1) continue;
    LST_Node* n = LST_NewNode(uvA[0], uvA[1], uvB[0], uvB[1], p, nullptr);
    if (!n) return 0;
    T.starts.push_back(n);
  }
  Deduplicate(T.starts, T.tol[0]);
  std::vector<LST_Node*> kept, extra;
  for (LST_Node* n : T.starts) {
    if (Inside(T.a.trace, n->uvA) && Inside(T.b.trace, n->uvB)) kept.push_back(n);
    else KX_MemFree(n);
  }
  T.starts.swap(kept);
  for (LST_Node*& n : T.starts)
    if (T.Prepare(n, extra) != 1) {
      for (LST_Node* e : extra) KX_MemFree(e);
      return 0;
    }
  T.starts.insert(T.starts.end(), extra.begin(), extra.end());
  T.IndexStarts();

  // Trace from every start node still left.
  std::vector<Trace> done;
  auto freeDone = [&]() {
    for (Trace& t : done) t.Free();
  };
  const double joinTol = 50.0 * (T.angPrec + T.angPrec);
  for (size_t i = 0; i < T.starts.size(); ++i) {
    LST_Node* s = T.starts[i];
    if (!s) continue;
    T.starts[i] = nullptr;
    struct Hold {
      LST_Node* n;
      ~Hold() { KX_MemFree(n); }
    } hold{s};
    if (NoDirection(s)) {
      Trace one;
      LST_Node* c = LST_CopyNode(s);
      if (!c) {
        freeDone();
        return 0;
      }
      one.Append(c);
      done.push_back(one);
      continue;
    }
    T.CurvatureLimit(s);
    Trace fw, bw;
    int rc = T.March(s, fw);
    if (rc != 1 && rc != -4) {
      freeDone();
      return 0;
    }
    const bool closed = fw.count >= 3 && kv::Dist(fw.head->point, fw.tail->point) < T.prec;
    if (!closed) {
      LST_ReverseNode(s);
      rc = T.March(s, bw);
      if (rc != 1 && rc != -4) {
        fw.Free();
        freeDone();
        return 0;
      }
    }
    if (!Join(fw, bw, T.prec, joinTol, done)) {
      fw.Free();
      bw.Free();
      freeDone();
      return 0;
    }
  }

  // Output: single points to the trace chain, longer traces as curves.
  SSI_CurveNode* last = nullptr;
  for (Trace& t : done) {
    if (t.count == 1) {
      *traces = LST_AppendChain(*traces, t.head);
      t = Trace();
      continue;
    }
    _intcur* c = nullptr;
    auto* node = static_cast<SSI_CurveNode*>(KX_MemAlloc(sizeof(SSI_CurveNode)));
    if (!node || MakeCurve(t, A, B, c) != 1) {
      KX_MemFree(node);
      freeDone();
      FreeOutput(traces, curves);
      return 0;
    }
    node->prev = last;
    node->next = nullptr;
    node->flag = 0;
    node->curve = c;
    node->weight = 1.0;
    if (last) last->next = node;
    else *curves = node;
    last = node;
  }
  freeDone();
  return 1;
}
