#include "millvane/loops/SmartSect.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/numora/Math.h"
#include "platform/numora/Point2d.h"

namespace {
double Norm2Pi(double a) {
  a = std::fmod(a, 2 * std::numbers::pi);
  if (a < 0.0) a += 2 * std::numbers::pi;
  if (a >= 2 * std::numbers::pi) a = 0.0;
  return a;
}

double Cross(const double a[2], const double b[2]) { return a[0] * b[1] - a[1] * b[0]; }

void Grow(double box[4], const double p[2]) {
  box[0] = std::min(box[0], p[0]);
  box[1] = std::min(box[1], p[1]);
  box[2] = std::max(box[2], p[0]);
  box[3] = std::max(box[3], p[1]);
}

void BoxOf2(double box[4], const double a[2], const double b[2]) {
  box[0] = std::min(a[0], b[0]);
  box[1] = std::min(a[1], b[1]);
  box[2] = std::max(a[0], b[0]);
  box[3] = std::max(a[1], b[1]);
}

// Keeps q as the nearest point so far when it is nearer than best.
void Nearer(const double p[2], const double q[2], double& best, double out[2]) {
  const double d = P2D_Dist(p, q);
  if (d < best) {
    best = d;
    out[0] = q[0];
    out[1] = q[1];
  }
}

// The nearer end of a section: where every nearest-point search starts.
double NearerEnd(const CSmartSect* s, const double p[2], double out[2]) {
  double a[2], b[2], best = 1e300;
  s->StartPoint(a);
  s->EndPoint(b);
  Nearer(p, a, best, out);
  Nearer(p, b, best, out);
  return best;
}

}  // namespace

// ---- base ----

CSmartSect::~CSmartSect() { delete cutPoints; }

int CSmartSect::IsParamOnSpan(const double p[2]) const {
  const double t = ParamOf(p);
  return (t > -1e-8 && t < 1.00000001) ? 1 : 0;
}

int CSmartSect::IsLeftSide(const double p[2]) const {
  if (!IsLine()) return 1;  // arcs have no side test
  const auto* line = static_cast<const CSmartLine*>(this);
  const double d[2] = {line->end[0] - line->start[0], line->end[1] - line->start[1]};
  const double w[2] = {p[0] - line->start[0], p[1] - line->start[1]};
  return Cross(d, w) < 0.0 ? 0 : 1;
}

int CSmartSect::AddCutPoint(double x, double y, double t) {
  if (!cutPoints) cutPoints = new CSmartPointList;
  return cutPoints->Insert(new CSmartPoint(x, y, t));
}

void CSmartSect::ClearCutPoints() {
  delete cutPoints;
  cutPoints = nullptr;
}

// ---- line ----

CSmartLine::CSmartLine(const double s[2], const double e[2]) : CSmartSect(1) {
  start[0] = s[0];
  start[1] = s[1];
  end[0] = e[0];
  end[1] = e[1];
  UpdateBox();
}

void CSmartLine::Reverse() { P2D_Swap(start, end); }

void CSmartLine::UpdateBox() { BoxOf2(box, start, end); }

int CSmartLine::EvPoint(double t, double out[2]) const {
  out[0] = start[0] + (end[0] - start[0]) * t;
  out[1] = start[1] + (end[1] - start[1]) * t;
  return 1;
}

int CSmartLine::EvNormal(double, double out[2]) const {
  double d[2] = {end[0] - start[0], end[1] - start[1]};
  const int ok = V2D_Unit(d, 1e-6);
  out[0] = -d[1];
  out[1] = d[0];
  return ok;
}

int CSmartLine::EvTangent(double, double out[2]) const {
  out[0] = end[0] - start[0];
  out[1] = end[1] - start[1];
  return V2D_Unit(out, 1e-6);
}

double CSmartLine::ParamOf(const double p[2]) const {
  const double dx = end[0] - start[0], dy = end[1] - start[1];
  if (std::fabs(dy) < std::fabs(dx)) return (p[0] - start[0]) / dx;
  if (dy == 0.0) return 0.0;  // a point-sized line has only the parameter 0
  return (p[1] - start[1]) / dy;
}

int CSmartLine::SetEndAt(int which, const double p[2], int updateBox) {
  double* q = which == 1 ? end : start;
  q[0] = p[0];
  q[1] = p[1];
  if (updateBox) UpdateBox();
  return 1;
}

double CSmartLine::NearestPoint(const double p[2], double out[2]) const {
  double best = NearerEnd(this, p, out);
  const double d[2] = {end[0] - start[0], end[1] - start[1]};
  const double len2 = d[0] * d[0] + d[1] * d[1];
  const double fromStart = (p[0] - start[0]) * d[0] + (p[1] - start[1]) * d[1];
  const double fromEnd = (p[0] - end[0]) * d[0] + (p[1] - end[1]) * d[1];
  if (fromStart > 1e-6 && fromEnd < -1e-6 && len2 > 1e-6) {
    const double t = fromStart / len2;
    const double f[2] = {start[0] + d[0] * t, start[1] + d[1] * t};
    Nearer(p, f, best, out);
  }
  return best;
}

void CSmartLine::Rotate(double c, double s) {
  for (double* q : {start, end}) {
    const double x = q[0], y = q[1];
    q[0] = x * c - y * s;
    q[1] = x * s + y * c;
  }
  UpdateBox();
}

CSmartSect* CSmartLine::Offset(double d) const {
  double n[2];
  EvNormal(0.0, n);
  const double s[2] = {start[0] + d * n[0], start[1] + d * n[1]};
  const double e[2] = {end[0] + d * n[0], end[1] + d * n[1]};
  auto* r = new CSmartLine(s, e);
  r->origin = const_cast<CSmartLine*>(this);
  r->tag = tag;
  return r;
}

CSmartSect* CSmartLine::SubSect(const SmartParamPt& from, const SmartParamPt& to) const {
  if (from.t >= to.t) return nullptr;
  const double s[2] = {from.x, from.y}, e[2] = {to.x, to.y};
  if (P2D_Dist(s, e) < 2e-7) return nullptr;
  auto* r = new CSmartLine(s, e);
  r->origin = origin;
  r->tag = tag;
  r->flags = flags & kSectBound;
  return r;
}

CSmartSect* CSmartLine::Clone() const {
  auto* r = new CSmartLine(start, end);
  r->origin = const_cast<CSmartLine*>(this);
  r->tag = tag;
  r->flags = flags & kSectBound;
  return r;
}

double CSmartLine::Length() const { return P2D_Dist(start, end); }

// ---- arc ----

CSmartArc::CSmartArc(const double c[2], double r, double a0, double a1)
    : CSmartSect(2), radius(r), startAngle(a0), endAngle(a1) {
  centre[0] = c[0];
  centre[1] = c[1];
  UpdateBox();
}

CSmartArc::CSmartArc(const double s[2], const double c[2], const double e[2]) : CSmartSect(2) {
  centre[0] = c[0];
  centre[1] = c[1];
  radius = P2D_Dist(c, s);
  startAngle = Norm2Pi(std::atan2(s[1] - c[1], s[0] - c[0]));
  endAngle = Norm2Pi(std::atan2(e[1] - c[1], e[0] - c[0]));
  if (endAngle >= startAngle) startAngle += 2 * std::numbers::pi;
  UpdateBox();
}

CSmartArc* CSmartArc::FromTwoPoints(const double p1[2], const double p2[2], double r) {
  double u[2] = {p2[0] - p1[0], p2[1] - p1[1]};
  const double a = 0.5 * std::hypot(u[0], u[1]);
  V2D_Unit(u, 1e-12);
  const double c = a >= r ? 0.0 : std::sqrt(r * r - a * a);
  const double centre[2] = {0.5 * (p1[0] + p2[0]) + c * u[1], 0.5 * (p1[1] + p2[1]) - c * u[0]};
  return new CSmartArc(p1, centre, p2);
}

CSmartArc* CSmartArc::FromThreePoints(const double s[2], const double m[2], const double e[2]) {
  double u1[2], u2[2];
  if (!V2D_GenUnit(m, s, u1, 1e-12) || !V2D_GenUnit(m, e, u2, 1e-12)) return nullptr;
  if (std::fabs(Cross(u1, u2)) < 1e-10) return nullptr;
  // Perpendicular bisectors: 2 (m - s)·c = |m|² - |s|², 2 (e - m)·c = |e|² - |m|².
  const double a1 = 2 * (m[0] - s[0]), b1 = 2 * (m[1] - s[1]);
  const double c1 = m[0] * m[0] + m[1] * m[1] - s[0] * s[0] - s[1] * s[1];
  const double a2 = 2 * (e[0] - m[0]), b2 = 2 * (e[1] - m[1]);
  const double c2 = e[0] * e[0] + e[1] * e[1] - m[0] * m[0] - m[1] * m[1];
  const double det = a1 * b2 - a2 * b1;
  if (det == 0.0) return nullptr;
  const double c[2] = {(c1 * b2 - c2 * b1) / det, (a1 * c2 - a2 * c1) / det};
  const double r = P2D_Dist(c, s);
  if (!(r <= 1e6)) return nullptr;
  double as = Norm2Pi(std::atan2(s[1] - c[1], s[0] - c[0]));
  double ae = Norm2Pi(std::atan2(e[1] - c[1], e[0] - c[0]));
  const double ms[2] = {m[0] - s[0], m[1] - s[1]}, es[2] = {e[0] - s[0], e[1] - s[1]};
  if (Cross(ms, es) < 0.0) {
    if (ae >= as) as += 2 * std::numbers::pi;
  } else if (ae <= as) {
    ae += 2 * std::numbers::pi;
  }
  return new CSmartArc(c, r, as, ae);
}

void CSmartArc::Reverse() { std::swap(startAngle, endAngle); }

void CSmartArc::UpdateBox() {
  double s[2], e[2];
  EvPoint(0.0, s);
  EvPoint(1.0, e);
  BoxOf2(box, s, e);
  const double ext[4][2] = {{centre[0] + radius, centre[1]},
                            {centre[0], centre[1] + radius},
                            {centre[0] - radius, centre[1]},
                            {centre[0], centre[1] - radius}};
  for (const auto& p : ext)
    if (IsParamOnSpan(p)) Grow(box, p);
}

int CSmartArc::EvPoint(double t, double out[2]) const {
  const double a = AngleAt(t);
  out[0] = centre[0] + radius * std::cos(a);
  out[1] = centre[1] + radius * std::sin(a);
  return 1;
}

int CSmartArc::EvNormal(double t, double out[2]) const {
  const double a = AngleAt(t);
  const double k = IsCcw() ? -1.0 : 1.0;
  out[0] = k * std::cos(a);
  out[1] = k * std::sin(a);
  return 1;
}

int CSmartArc::EvTangent(double t, double out[2]) const {
  const double a = AngleAt(t);
  const double k = IsCcw() ? 1.0 : -1.0;
  out[0] = -k * std::sin(a);
  out[1] = k * std::cos(a);
  return 1;
}

double CSmartArc::ParamOf(const double p[2]) const {
  const double sweep = endAngle - startAngle;
  if (sweep == 0.0) return 0.0;  // a zero-sweep arc has only the parameter 0
  const double a = Norm2Pi(std::atan2(p[1] - centre[1], p[0] - centre[0]));
  const double t[3] = {(a - startAngle) / sweep, (a + 2 * std::numbers::pi - startAngle) / sweep,
                       (a - 2 * std::numbers::pi - startAngle) / sweep};
  for (double ti : t)
    if (ti > -0.001 && ti < 1.001) return ti;
  for (int i = 1; i < 3; ++i)
    if (t[0] * t[i] <= 0.0) return std::fabs(t[i]) > std::fabs(t[0] - 1.0) ? t[0] : t[i];
  return -1.0;
}

int CSmartArc::SetEndAt(int which, const double p[2], int updateBox) {
  const double a = AngleAt(ParamOf(p));
  if (which == 1) endAngle = a;
  else startAngle = a;
  if (updateBox) UpdateBox();
  return 1;
}

double CSmartArc::NearestPoint(const double p[2], double out[2]) const {
  double best = NearerEnd(this, p, out);
  const double t = ParamOf(p);
  if (t > 0.001 && t < 0.999) {
    double q[2];
    EvPoint(t, q);
    Nearer(p, q, best, out);
  }
  return best;
}

void CSmartArc::Rotate(double c, double s) {
  double sp[2], ep[2];
  EvPoint(0.0, sp);
  EvPoint(1.0, ep);
  const double x = centre[0], y = centre[1];
  centre[0] = x * c - y * s;
  centre[1] = x * s + y * c;
  if (std::fabs(2 * std::numbers::pi - std::fabs(endAngle - startAngle)) <= 0.0001) {
    UpdateBox();
    return;
  }
  const bool ccw = IsCcw();
  for (double* q : {sp, ep}) {
    const double qx = q[0], qy = q[1];
    q[0] = qx * c - qy * s;
    q[1] = qx * s + qy * c;
  }
  startAngle = Norm2Pi(std::atan2(sp[1] - centre[1], sp[0] - centre[0]));
  endAngle = Norm2Pi(std::atan2(ep[1] - centre[1], ep[0] - centre[0]));
  if (ccw && endAngle < startAngle) endAngle += 2 * std::numbers::pi;
  if (!ccw && endAngle > startAngle) startAngle += 2 * std::numbers::pi;
  UpdateBox();
}

CSmartSect* CSmartArc::Offset(double d) const {
  const double sweep = endAngle - startAngle;
  const double r = IsCcw() ? radius - d : radius + d;
  // A radius that collapses (or turns negative) has no offset, whichever way the arc runs.
  if (r * std::fabs(sweep) < 1e-7) return nullptr;
  auto* a = new CSmartArc(centre, r, startAngle, endAngle);
  a->origin = const_cast<CSmartArc*>(this);
  a->tag = tag;
  return a;
}

CSmartSect* CSmartArc::SubSect(const SmartParamPt& from, const SmartParamPt& to) const {
  if (from.t >= to.t) return nullptr;
  const double a0 = AngleAt(from.t), a1 = AngleAt(to.t);
  if (std::fabs(a1 - a0) * radius < 2e-7) return nullptr;
  auto* a = new CSmartArc(centre, radius, a0, a1);
  a->origin = origin;
  a->tag = tag;
  a->flags = flags & kSectBound;
  return a;
}

CSmartSect* CSmartArc::Clone() const {
  auto* a = new CSmartArc(centre, radius, startAngle, endAngle);
  a->origin = const_cast<CSmartArc*>(this);
  a->tag = tag;
  a->flags = flags & kSectBound;
  return a;
}

double CSmartArc::Length() const { return std::fabs(endAngle - startAngle) * radius; }

// ---- planar routines ----

int acSegSegInt(const double a0[2], const double a1[2], const double b0[2], const double b1[2],
                double out[2][2]) {
  const double d1[2] = {a1[0] - a0[0], a1[1] - a0[1]};
  const double d2[2] = {b1[0] - b0[0], b1[1] - b0[1]};
  const double l1 = d1[0] * d1[0] + d1[1] * d1[1], l2 = d2[0] * d2[0] + d2[1] * d2[1];
  if (l1 < 1e-12 || l2 < 1e-12) return 0;
  const double w[2] = {b0[0] - a0[0], b0[1] - a0[1]};
  const double cr = Cross(d1, d2);
  if (std::fabs(cr) / std::sqrt(l1 * l2) < 1e-6) {
    if (std::fabs(Cross(d1, w)) / std::sqrt(l1) >= 1e-9) return 0;
    // Collinear: the shared stretch in a's parameter.
    const double tb0 = (w[0] * d1[0] + w[1] * d1[1]) / l1;
    const double tb1 = ((b1[0] - a0[0]) * d1[0] + (b1[1] - a0[1]) * d1[1]) / l1;
    const double lo = std::max(0.0, std::min(tb0, tb1)), hi = std::min(1.0, std::max(tb0, tb1));
    if (hi < lo) return 0;
    out[0][0] = a0[0] + d1[0] * lo;
    out[0][1] = a0[1] + d1[1] * lo;
    if ((hi - lo) * std::sqrt(l1) < 1e-9) return 1;  // they only touch
    out[1][0] = a0[0] + d1[0] * hi;
    out[1][1] = a0[1] + d1[1] * hi;
    return 2;
  }
  const double t = Cross(w, d2) / cr, u = Cross(w, d1) / cr;
  if (t > -1e-6 && t < 1 + 1e-6 && u > -1e-6 && u < 1 + 1e-6) {
    out[0][0] = a0[0] + d1[0] * t;
    out[0][1] = a0[1] + d1[1] * t;
    return 1;
  }
  return 0;
}

int acLineLineInt(const double a0[2], const double a1[2], const double b0[2], const double b1[2],
                  double out[2]) {
  double u1[2], u2[2];
  if (!V2D_GenUnit(a0, a1, u1, 1e-6) || !V2D_GenUnit(b0, b1, u2, 1e-6)) return 0;
  const double cr = Cross(u1, u2);
  if (std::fabs(cr) < 1e-6) return 0;
  const double w[2] = {b0[0] - a0[0], b0[1] - a0[1]};
  const double t = Cross(w, u2) / cr;
  out[0] = a0[0] + u1[0] * t;
  out[1] = a0[1] + u1[1] * t;
  return 1;
}

int acLineCircleInt(double r, const double c[2], const double p[2], const double q[2],
                    double out[2][2]) {
  double u[2];
  if (!V2D_GenUnit(p, q, u, 1e-6)) return 0;
  const double w[2] = {c[0] - p[0], c[1] - p[1]};
  const double proj = w[0] * u[0] + w[1] * u[1];
  const double f[2] = {p[0] + u[0] * proj, p[1] + u[1] * proj};
  const double h2 = (f[0] - c[0]) * (f[0] - c[0]) + (f[1] - c[1]) * (f[1] - c[1]);
  const double disc = r * r - h2;
  if (disc < -1e-6) return 0;
  if (disc < 1e-10) {
    out[0][0] = f[0];
    out[0][1] = f[1];
    return 1;
  }
  const double s = std::sqrt(disc);
  out[0][0] = f[0] - u[0] * s;
  out[0][1] = f[1] - u[1] * s;
  out[1][0] = f[0] + u[0] * s;
  out[1][1] = f[1] + u[1] * s;
  return 2;
}

int acCircleCircleInt(double r1, double r2, const double c1[2], const double c2[2],
                      double out[2][2]) {
  const double dx = c2[0] - c1[0], dy = c2[1] - c1[1];
  const double dist = std::hypot(dx, dy);
  if (dist < 1e-9) return 0;
  if (r1 + r2 + 1e-5 < dist || dist < std::fabs(r1 - r2) - 1e-5) return 0;
  // Radical line 2 d·p = k, sampled at 0 and 10 along the axis of the larger offset.
  const double k = r1 * r1 - r2 * r2 + c2[0] * c2[0] + c2[1] * c2[1] - c1[0] * c1[0] -
                   c1[1] * c1[1];
  double p[2], q[2];
  if (std::fabs(dx) >= std::fabs(dy)) {
    p[1] = 0.0;
    p[0] = k / (2 * dx);
    q[1] = 10.0;
    q[0] = (k - 2 * dy * 10.0) / (2 * dx);
  } else {
    p[0] = 0.0;
    p[1] = k / (2 * dy);
    q[0] = 10.0;
    q[1] = (k - 2 * dx * 10.0) / (2 * dy);
  }
  return acLineCircleInt(r1, c1, p, q, out);
}

int acSectSectInt(const CSmartSect* a, const CSmartSect* b, double out[2][2]) {
  double pts[2][2];
  int n = 0;
  if (a->IsLine() && b->IsLine()) {
    const auto* la = static_cast<const CSmartLine*>(a);
    const auto* lb = static_cast<const CSmartLine*>(b);
    n = acSegSegInt(la->start, la->end, lb->start, lb->end, pts);
  } else if (a->IsLine() || b->IsLine()) {
    const auto* l = static_cast<const CSmartLine*>(a->IsLine() ? a : b);
    const auto* c = static_cast<const CSmartArc*>(a->IsLine() ? b : a);
    n = acLineCircleInt(c->radius, c->centre, l->start, l->end, pts);
  } else {
    const auto* ca = static_cast<const CSmartArc*>(a);
    const auto* cb = static_cast<const CSmartArc*>(b);
    n = acCircleCircleInt(ca->radius, cb->radius, ca->centre, cb->centre, pts);
  }
  int k = 0;
  for (int i = 0; i < n; ++i) {
    if (!a->IsParamOnSpan(pts[i]) || !b->IsParamOnSpan(pts[i])) continue;
    out[k][0] = pts[i][0];
    out[k][1] = pts[i][1];
    ++k;
  }
  return k;
}

int acCutSects(CSmartSect* a, CSmartSect* b, const double* skip) {
  double pts[2][2];
  const int m = acSectSectInt(a, b, pts);
  int found = 0;
  bool skipped = false;
  for (int i = 0; i < m; ++i) {
    if (skip && !skipped && P2D_AbsDist(pts[i], skip) < 1e-6) {
      skipped = true;
      continue;
    }
    const double ta = a->ParamOf(pts[i]), tb = b->ParamOf(pts[i]);
    if (ta >= -1e-6) a->AddCutPoint(pts[i][0], pts[i][1], ta);
    if (tb >= -1e-6) b->AddCutPoint(pts[i][0], pts[i][1], tb);
    ++found;
  }
  return found;
}

int acPtInBox(double margin, const double box[4], const double p[2]) {
  return (p[0] >= box[0] - margin && p[0] <= box[2] + margin && p[1] >= box[1] - margin &&
          p[1] <= box[3] + margin)
             ? 1
             : 0;
}

double acDistN(int n, const double* a, const double* b) {
  double s = 0.0;
  for (int i = 0; i < n; ++i) s += (a[i] - b[i]) * (a[i] - b[i]);
  return std::sqrt(s);
}

int acArcToPoints(const CSmartArc* arc, double tol, int maxCount, double (*out)[2]) {
  const double r = arc->radius;
  if (r < 1e-6 || maxCount < 2) return 0;
  if (tol < 0.001) tol = 0.001;
  double step = 2.0 * CMath::ACos((r - std::min(tol, r)) / r);
  if (step < 0.005) step = 0.005;
  int steps = static_cast<int>(std::fabs(arc->Sweep()) / step) + 1;
  steps = std::max(1, std::min(steps, maxCount - 1));
  for (int i = 0; i <= steps; ++i) arc->EvPoint(static_cast<double>(i) / steps, out[i]);
  return steps;
}
