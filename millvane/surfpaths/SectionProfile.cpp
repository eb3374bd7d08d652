#include "millvane/surfpaths/SectionProfile.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kNodeTol = 0.01;     // ends this close share a node
constexpr double kUnreached = -1e11;  // anything at or below is kNone

bool Reached(double v) { return v > kUnreached; }

}  // namespace

size_t CSectionProfile::InsertEnd(double u, bool& created, bool& inside) {
  created = false;
  inside = false;
  auto it = std::lower_bound(nodes.begin(), nodes.end(), u,
                             [](const ProfileNode& n, double x) { return n.u < x; });
  size_t idx = static_cast<size_t>(it - nodes.begin());
  // The nearer of the two neighbours within tolerance is reused.
  double dl = idx > 0 ? u - nodes[idx - 1].u : 1e300;
  double dr = idx < nodes.size() ? nodes[idx].u - u : 1e300;
  if (dl <= kNodeTol || dr <= kNodeTol) return dl <= dr ? idx - 1 : idx;
  ProfileNode n{u, kNone, kNone};
  if (idx > 0 && idx < nodes.size()) {
    const ProfileNode& a = nodes[idx - 1];
    const ProfileNode& b = nodes[idx];
    if (Reached(a.right) && Reached(b.left)) {
      double t = (u - a.u) / (b.u - a.u);
      n.left = n.right = a.right + (b.left - a.right) * t;
    }
    inside = true;
  }
  nodes.insert(nodes.begin() + static_cast<std::ptrdiff_t>(idx), n);
  created = true;
  return idx;
}

void CSectionProfile::AddSegment(const SectSeg& in) {
  SectSeg s = in;
  if (s.u1 < s.u0) {
    std::swap(s.u0, s.u1);
    std::swap(s.v0, s.v1);
  }
  bool c0, in0, c1, in1;
  size_t i0 = InsertEnd(s.u0, c0, in0);
  size_t i1 = InsertEnd(s.u1, c1, in1);
  if (c1 && i1 <= i0) ++i0;  // the second insertion shifted the first
  if (i0 == i1) {
    // Both ends fell on one node: a wall.
    double top = std::max(s.v0, s.v1);
    if (c0) nodes.erase(nodes.begin() + static_cast<std::ptrdiff_t>(i0));
    AddWall(s.u0, top);
    return;
  }
  double span = s.u1 - s.u0;
  bool raised = false;
  for (size_t k = i0 + 1; k < i1; ++k) {
    double v = span < 0.0001 ? std::max(s.v0, s.v1)
                             : s.v0 + (s.v1 - s.v0) * (nodes[k].u - s.u0) / span;
    if (v > nodes[k].left) nodes[k].left = v, raised = true;
    if (v > nodes[k].right) nodes[k].right = v, raised = true;
  }
  if (c0 && in0 && c1 && in1 && !raised && s.v0 <= nodes[i0].right && s.v1 <= nodes[i1].left) {
    // Hidden under the profile: the two new nodes add nothing.
    nodes.erase(nodes.begin() + static_cast<std::ptrdiff_t>(i1));
    nodes.erase(nodes.begin() + static_cast<std::ptrdiff_t>(i0));
    return;
  }
  nodes[i0].right = std::max(nodes[i0].right, s.v0);
  nodes[i1].left = std::max(nodes[i1].left, s.v1);
}

void CSectionProfile::AddWall(double u, double top) {
  bool created, inside;
  size_t i = InsertEnd(u, created, inside);
  bool used = false;
  if (i == 0 && top >= nodes[0].right) {
    if (!created) {
      nodes.insert(nodes.begin(), ProfileNode{nodes[0].u - kNodeTol, kNone, kNone});
      i = 1;
    }
    nodes[0].right = top;
    if (nodes.size() > 1) nodes[1].left = nodes[1].right;
    used = true;
  }
  size_t last = nodes.size() - 1;
  if (i == last && top >= nodes[last].left) {
    if (!created || used) {
      nodes.push_back(ProfileNode{nodes[last].u + kNodeTol, kNone, kNone});
      ++last;
    }
    nodes[last].left = top;
    if (last > 0) nodes[last - 1].right = nodes[last - 1].left;
    used = true;
  }
  if (!used && created) nodes.erase(nodes.begin() + static_cast<std::ptrdiff_t>(i));
}

void CSectionProfile::Build(const std::vector<SectSeg>& segs) {
  std::vector<SectSeg> walls;
  for (const SectSeg& s : segs) {
    if (!(std::isfinite(s.u0) && std::isfinite(s.v0) && std::isfinite(s.u1) &&
          std::isfinite(s.v1)))
      continue;
    if (std::fabs(s.u1 - s.u0) <= kNodeTol) {
      if (std::fabs(s.v1 - s.v0) > 0.05) walls.push_back(s);
      continue;
    }
    AddSegment(s);
  }
  for (const SectSeg& w : walls) AddWall(0.5 * (w.u0 + w.u1), std::max(w.v0, w.v1));
}

int CSectionProfile::ToPolyline(PtCurve& out) {
  out.clear();
  if (nodes.size() < 2 || nodes.back().u - nodes.front().u < 0.01) return 0;
  nodes.front().left = nodes.front().right;
  nodes.back().right = nodes.back().left;
  for (const ProfileNode& n : nodes) {
    double v = std::max(n.left, n.right);
    if (v > -100) out.push_back({n.u, v});
  }
  return out.size() >= 2 ? 1 : 0;
}

void CSectionProfile::BridgeSlots() {
  // A slot narrower than 0.1 cannot take the cutter's centre down: level it.
  for (size_t i = 0; i < nodes.size(); ++i) {
    ProfileNode& a = nodes[i];
    if (!Reached(a.left) || !Reached(a.right) || a.left - a.right <= 0.1) continue;
    for (size_t j = i + 1; j < nodes.size() && nodes[j].u - a.u <= 0.1; ++j) {
      ProfileNode& b = nodes[j];
      if (!Reached(b.left) || !Reached(b.right) || b.right - b.left < 0.1) continue;
      double span = b.u - a.u;
      for (size_t k = i; k <= j; ++k) {
        double t = span > 0 ? (nodes[k].u - a.u) / span : 0.0;
        double v = a.left + (b.right - a.left) * t;
        if (k > i) nodes[k].left = std::max(nodes[k].left, v);
        if (k < j) nodes[k].right = std::max(nodes[k].right, v);
      }
      a.right = std::max(a.right, a.left);
      b.left = std::max(b.left, b.right);
      i = j;
      break;
    }
  }
}

void CSectionProfile::ToCurves(double floor, double splitStep, double minExtent,
                               std::vector<PtCurve>& out) {
  BridgeSlots();
  const double below = floor - 0.0001;
  const double stepPoint = splitStep > 0 ? splitStep : 0.1;
  const double extent = splitStep > 0 ? minExtent : 0.1;
  PtCurve cur;
  auto finish = [&]() {
    if (cur.size() >= 2 && cur.back()[0] - cur.front()[0] > extent) {
      SimplifyCurve(cur, 0.01, false);
      out.push_back(std::move(cur));
    }
    cur.clear();
  };
  for (const ProfileNode& n : nodes) {
    if (n.left < below) {
      finish();
      if (n.right >= below) cur.push_back({n.u, n.right});
      continue;
    }
    double step = std::fabs(n.left - n.right);
    if (step > stepPoint) {
      cur.push_back({n.u, n.left});
      if (n.right < below) {
        finish();
      } else if (splitStep > 0) {
        finish();
        cur.push_back({n.u, n.right});
      } else {
        cur.push_back({n.u, n.right});
      }
    } else {
      // A small step: the higher side keeps the cutter clear of both.
      cur.push_back({n.u, std::max(n.left, n.right)});
      if (n.right < below) finish();
    }
  }
  finish();
}

void SplitCrossingSegments(std::vector<SectSeg>& segs) {
  const size_t n = segs.size();
  std::vector<std::vector<double>> cuts(n);
  std::vector<size_t> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = i;
  auto minU = [&](size_t i) { return std::min(segs[i].u0, segs[i].u1); };
  auto maxU = [&](size_t i) { return std::max(segs[i].u0, segs[i].u1); };
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return minU(a) < minU(b); });
  // Sweep along u: only segments whose u ranges overlap (within 0.01) are compared.
  for (size_t oi = 0; oi < n; ++oi) {
    size_t i = order[oi];
    const SectSeg& a = segs[i];
    double aMinV = std::min(a.v0, a.v1), aMaxV = std::max(a.v0, a.v1);
    for (size_t oj = oi + 1; oj < n; ++oj) {
      size_t j = order[oj];
      if (minU(j) > maxU(i) + 0.01) break;
      const SectSeg& b = segs[j];
      if (std::min(b.v0, b.v1) > aMaxV + 0.01 || std::max(b.v0, b.v1) < aMinV - 0.01) continue;
      double dxa = a.u1 - a.u0, dya = a.v1 - a.v0;
      double dxb = b.u1 - b.u0, dyb = b.v1 - b.v0;
      double det = dxa * dyb - dya * dxb;
      if (std::fabs(det) < 1e-12) continue;
      double ex = b.u0 - a.u0, ey = b.v0 - a.v0;
      double s = (ex * dyb - ey * dxb) / det;
      double t = (ex * dya - ey * dxa) / det;
      if (s < 0.0001 || s > 0.9999 || t < 0.0001 || t > 0.9999) continue;
      cuts[i].push_back(s);
      cuts[j].push_back(t);
    }
  }
  std::vector<SectSeg> out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    const SectSeg& a = segs[i];
    std::vector<double>& c = cuts[i];
    std::sort(c.begin(), c.end());
    c.push_back(1.0);
    double pu = a.u0, pv = a.v0;
    for (double t : c) {
      double qu = a.u0 + (a.u1 - a.u0) * t, qv = a.v0 + (a.v1 - a.v0) * t;
      // A piece too short to keep leaves a gap rather than stretching its neighbour across
      // the next crossing.
      if (std::hypot(qu - pu, qv - pv) >= 0.01) out.push_back({pu, pv, qu, qv});
      pu = qu, pv = qv;
    }
  }
  segs.swap(out);
}

double PointSegDist(const Pt2& p, const Pt2& a, const Pt2& b) {
  double dx = b[0] - a[0], dy = b[1] - a[1];
  double len2 = dx * dx + dy * dy;
  if (len2 < 1e-12) return std::hypot(p[0] - a[0], p[1] - a[1]);
  double t = ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / len2;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p[0] - a[0] - t * dx, p[1] - a[1] - t * dy);
}

namespace {

void SimplifyPass(PtCurve& c, double tol) {
  if (c.size() < 3) return;
  PtCurve out;
  out.reserve(c.size());
  size_t k = 0;
  out.push_back(c[0]);
  while (k + 1 < c.size()) {
    size_t end = k + 1;
    // Extend the run while every skipped point stays within tol of the chord.
    while (end + 1 < c.size()) {
      size_t cand = end + 1;
      bool ok = true;
      for (size_t m = k + 1; m < cand; ++m)
        if (PointSegDist(c[m], c[k], c[cand]) > tol) {
          ok = false;
          break;
        }
      if (!ok) break;
      end = cand;
    }
    out.push_back(c[end]);
    k = end;
  }
  c.swap(out);
}

}  // namespace

void SimplifyCurve(PtCurve& c, double tol, bool seam) {
  SimplifyPass(c, tol);
  if (seam && c.size() >= 5) {
    // Closed curve: the seam point itself may be redundant; start two points on and repeat.
    bool closed = std::hypot(c.front()[0] - c.back()[0], c.front()[1] - c.back()[1]) < 1e-9;
    PtCurve r;
    size_t n = closed ? c.size() - 1 : c.size();
    for (size_t i = 0; i < n; ++i) r.push_back(c[(i + 2) % n]);
    if (closed) r.push_back(r.front());
    c.swap(r);
    SimplifyPass(c, tol);
  }
}

void CloseCurve(PtCurve& c) {
  if (c.empty()) return;
  if (std::hypot(c.front()[0] - c.back()[0], c.front()[1] - c.back()[1]) > 0.02)
    c.push_back(c.front());
  else
    c.back() = c.front();
}
