#include "platform/vurode/Tool.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/afx/Archive.h"
#include "platform/afx/Exception.h"

IMPLEMENT_SERIAL(CTool, CObject, 1)
IMPLEMENT_SERIAL(CTCylindrical, CTool, 1)
IMPLEMENT_SERIAL(CTConnic, CTool, 1)
IMPLEMENT_SERIAL(CTBall, CTool, 1)
IMPLEMENT_SERIAL(CTBull, CTool, 1)

namespace {

double NonNegative(double v) { return std::isfinite(v) && v > 0.0 ? v : 0.0; }

// A cutter dimension: negative ones are taken as 0, but one that is not a finite number stays
// NaN, so that the cutter it belongs to reports it instead of passing for a smaller cutter.
double Dimension(double v) { return std::isfinite(v) ? std::max(v, 0.0) : std::nan(""); }

}  // namespace

CTool::CTool() = default;

void CTool::SetProfile(double bottom, double top, double height, double round) {
  if (!std::isfinite(bottom) || !std::isfinite(top) || !std::isfinite(height) || !std::isfinite(round)) {
    // No cutter of any size: every radius, height and contact answer is NaN, and so is GetDia.
    m_bottom = m_top = m_height = m_round = std::nan("");
    SetAidParam();
    return;
  }
  m_bottom = NonNegative(bottom);
  m_top = std::max(m_bottom, NonNegative(top));
  m_height = NonNegative(height);
  m_round = NonNegative(round);
  // A core without a slanted side is a disc.
  if (m_top - m_bottom < 1e-12) m_height = 0.0;
  SetAidParam();
}

void CTool::CopyProfile(const CTool& from) {
  SetProfile(from.m_bottom, from.m_top, from.m_height, from.m_round);
}

void CTool::SetAidParam() {
  if (m_height > 0.0) {
    const double len = std::hypot(m_top - m_bottom, m_height);
    m_sin = (m_top - m_bottom) / len;
    m_cos = m_height / len;
  } else {
    m_sin = 1.0;
    m_cos = 0.0;
  }
}

void CTool::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_bottom << m_top << m_height << m_round;
    return;
  }
  double v[4];
  ar >> v[0] >> v[1] >> v[2] >> v[3];
  for (double x : v)
    if (!std::isfinite(x) || x < 0.0) AfxThrowArchiveException(CArchiveException::genericException);
  SetProfile(v[0], v[1], v[2], v[3]);
}

int CTool::Type() const { return 0; }

CTool* CTool::Copy() const {
  auto* t = static_cast<CTool*>(GetRuntimeClass()->CreateObject());
  t->CopyProfile(*this);
  return t;
}

CTool* CTool::GetInflateTool(float a) const {
  const double grow = NonNegative(a);
  if (grow == 0.0) return Copy();
  // Growing rounds every edge: a flat end becomes a bull nose; the other kinds keep theirs.
  CTool* t = Type() == 1 ? new CTBull : static_cast<CTool*>(GetRuntimeClass()->CreateObject());
  t->SetProfile(m_bottom, m_top, m_height, m_round + grow);
  return t;
}

float CTool::GetDia() const { return static_cast<float>(2.0 * MaxRadius()); }

double CTool::HeightAt(double d) const {
  const double r = m_round;
  d = std::max(d, 0.0);
  double h;
  if (d <= m_bottom) {
    h = -r;
  } else if (d <= m_bottom + r * m_cos) {
    const double u = d - m_bottom;
    h = -std::sqrt(std::max(0.0, r * r - u * u));
  } else if (d <= m_top + r * m_cos) {
    h = -r * m_sin + (d - m_bottom - r * m_cos) * m_cos / m_sin;
  } else {
    const double u = std::min(d - m_top, r);
    h = m_height - std::sqrt(std::max(0.0, r * r - u * u));
  }
  return h + r;
}

double CTool::GetRadInHeight(float h) const { return GetRadiusComp(h, 0.0); }

double CTool::GetRadiusComp(double dz, double allowance) const {
  const double r = m_round;
  const double h = dz - r;  // height in the core's frame (its bottom at 0)
  double d;
  if (!(dz >= 0.0)) {
    d = 0.0;
  } else if (h <= -r * m_sin) {
    d = m_bottom + std::sqrt(std::max(0.0, r * r - h * h));
  } else if (h <= m_height - r * m_sin) {
    d = m_bottom + r * m_cos + (h + r * m_sin) * m_sin / m_cos;
  } else if (h < m_height) {
    const double u = h - m_height;
    d = m_top + std::sqrt(std::max(0.0, r * r - u * u));
  } else {
    d = MaxRadius();
  }
  return d + allowance;
}

void CTool::Eval_FacetCC_OffVec(const double* n, double* out) const {
  const double nxy = std::hypot(n[0], n[1]);
  const double u[2] = {nxy > 1e-12 ? n[0] / nxy : 0.0, nxy > 1e-12 ? n[1] / nxy : 0.0};
  // The core touches the plane at its bottom rim or its top rim, whichever lies lower along n.
  double d = m_bottom, h = 0.0;
  if (-m_top * nxy + n[2] * m_height < -m_bottom * nxy) {
    d = m_top;
    h = m_height;
  }
  const double r = m_round;
  out[0] = d * u[0] + r * n[0];
  out[1] = d * u[1] + r * n[1];
  out[2] = -h - r + r * n[2];
}

double CTool::Zval_VertCC(const double* v, double x, double y) const {
  const double dx = v[0] - x, dy = v[1] - y;
  const double d = std::sqrt(dx * dx + dy * dy);
  if (d > MaxRadius() + 1e-12) return kToolNoContact;
  return v[2] - HeightAt(d);
}

double CTool::Zval_EdgeCC(const double* a, const double* b, double x, double y) const {
  const double rmax = MaxRadius();
  const double e[2] = {b[0] - a[0], b[1] - a[1]};
  const double w[2] = {a[0] - x, a[1] - y};
  auto tipAt = [&](double t) {
    const double dx = w[0] + t * e[0], dy = w[1] + t * e[1];
    const double d = std::sqrt(dx * dx + dy * dy);
    return a[2] + t * (b[2] - a[2]) - HeightAt(std::min(d, rmax));
  };
  const double A = e[0] * e[0] + e[1] * e[1];
  const double C = w[0] * w[0] + w[1] * w[1] - rmax * rmax;
  if (A < 1e-24) {
    // A vertical edge: its top point decides.
    if (C > 1e-12) return kToolNoContact;
    return std::max(a[2], b[2]) - HeightAt(std::min(std::sqrt(std::max(0.0, C + rmax * rmax)), rmax));
  }
  const double B = 2.0 * (w[0] * e[0] + w[1] * e[1]);
  const double disc = B * B - 4.0 * A * C;
  if (disc < 0.0) return kToolNoContact;
  const double root = std::sqrt(disc);
  const double t0 = std::max(0.0, (-B - root) / (2.0 * A));
  const double t1 = std::min(1.0, (-B + root) / (2.0 * A));
  if (t0 > t1) return kToolNoContact;
  // The tip height along the edge is concave (convex cutter over a line), so its highest point
  // on the reachable stretch [t0, t1] is the unconstrained highest point clamped to it.
  if (m_height == 0.0 && m_round == 0.0) {
    // A flat disc: the tip follows the edge's own height, highest at an end of the stretch.
    return std::max(tipAt(t0), tipAt(t1));
  }
  if (m_height == 0.0 && m_top == 0.0) {
    // A ball: in the vertical plane through the edge the sphere's section is a circle of radius
    // s about the axis' foot point; a circle resting on a line of slope dz/L touches it
    // s dz / hypot(L, dz) further along (uphill) than the foot point.
    const double tf = -B / (2.0 * A);
    const double fx = w[0] + tf * e[0], fy = w[1] + tf * e[1];
    const double s = std::sqrt(std::max(0.0, rmax * rmax - (fx * fx + fy * fy)));
    const double dz = b[2] - a[2];
    const double t = tf + s * dz / (std::sqrt(A) * std::sqrt(A + dz * dz));
    return tipAt(std::clamp(t, t0, t1));
  }
  // Other profiles (a torus or a cone against a line): golden-section search.
  const double g = 0.5 * (std::sqrt(5.0) - 1.0);
  double lo = t0, hi = t1;
  double m1 = hi - g * (hi - lo), m2 = lo + g * (hi - lo);
  double f1 = tipAt(m1), f2 = tipAt(m2);
  for (int i = 0; i < 80 && hi - lo > 1e-15; ++i) {
    if (f1 < f2) {
      lo = m1;
      m1 = m2;
      f1 = f2;
      m2 = lo + g * (hi - lo);
      f2 = tipAt(m2);
    } else {
      hi = m2;
      m2 = m1;
      f2 = f1;
      m1 = hi - g * (hi - lo);
      f1 = tipAt(m1);
    }
  }
  return std::max({f1, f2, tipAt(t0), tipAt(t1)});
}

double CTool::IntervalDist(double v) const {
  const double percent = std::clamp(std::isfinite(v) ? v : 1.0, 1.0, 100.0);
  // Never a zero or NaN step, so that a sweep over any width ends.
  const double dia = GetDia();
  return std::max(std::isfinite(dia) ? dia * percent / 100.0 : 0.0, 0.01);
}

CTCylindrical::CTCylindrical() = default;
CTCylindrical::CTCylindrical(double dia) { SetProfile(dia / 2, dia / 2, 0.0, 0.0); }
int CTCylindrical::Type() const { return 1; }

CTConnic::CTConnic() = default;
CTConnic::CTConnic(double dia, double tipDia, double halfAngle) {
  const double top = Dimension(dia) / 2, bottom = std::min(Dimension(tipDia) / 2, top);
  const double angle = std::isfinite(halfAngle) ? std::clamp(halfAngle, 1e-6, std::numbers::pi / 2) : std::nan("");
  SetProfile(bottom, top, (top - bottom) / std::tan(angle), 0.0);
}
int CTConnic::Type() const { return 2; }

CTBall::CTBall() = default;
CTBall::CTBall(double dia) { SetProfile(0.0, 0.0, 0.0, dia / 2); }
int CTBall::Type() const { return 3; }

CTBull::CTBull() = default;
CTBull::CTBull(double dia, double cornerRadius) {
  const double r = Dimension(dia) / 2, c = std::min(Dimension(cornerRadius), r);
  SetProfile(r - c, r - c, 0.0, c);
}
int CTBull::Type() const { return 4; }
