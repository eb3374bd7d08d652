#include "millvane/surfpaths/RasterLines.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "millvane/loops/SmartLoop.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"

int LoopLineIntervals(const CSmartLoop* loops, double y, std::vector<Interval>& out) {
  out.clear();
  if (!std::isfinite(y)) return 0;
  std::vector<Pt2> xs;
  for (const CSmartLoop* l = loops; l; l = l->next) {
    // Every section meets the line at most twice, so this buffer never truncates.
    size_t room = 2;
    for (const CSmartLoop* p = l; p; p = (p == l ? l->islands : p->next))
      if (p->curve) room += 2 * static_cast<size_t>(std::max(p->curve->count, 0)) + 2;
    std::vector<double> buf(2 * room);
    auto* pts = reinterpret_cast<double(*)[2]>(buf.data());
    int n = l->GetYLineIntContour(y, pts, static_cast<int>(room));
    for (int i = 0; i < n; ++i) xs.push_back({pts[i][0], pts[i][1]});
  }
  if (xs.empty() || xs.size() % 2 != 0) return 0;
  std::sort(xs.begin(), xs.end(), [](const Pt2& a, const Pt2& b) { return a[0] < b[0]; });
  for (size_t i = 0; i + 1 < xs.size(); i += 2)
    if (xs[i + 1][0] - xs[i][0] >= 1.0) out.push_back({xs[i][0], xs[i + 1][0]});
  return static_cast<int>(out.size());
}

int SlopeIntervals(const std::vector<PtCurve>& curves, double s, bool steep, double minLen,
                   double ext, std::vector<Interval>& out) {
  out.clear();
  std::vector<double> br;
  for (const PtCurve& c : curves) {
    if (c.size() < 2) continue;
    br.clear();
    br.push_back(c.front()[0]);
    double prev = 0.0;
    for (size_t k = 0; k + 1 < c.size(); ++k) {
      double dx = c[k + 1][0] - c[k][0];
      double slope = dx > 0.0001 ? std::fabs(c[k + 1][1] - c[k][1]) / dx : 1e12;
      if ((prev > s) != (slope > s)) {
        double x = c[k][0];
        if (!steep && std::max(prev, slope) > 3 * s)
          // Keep the shallow stretch clear of a wall: shrink it at either end.
          x += (br.size() % 2 == 0) ? 0.02 : -0.02;
        br.push_back(x);
      }
      prev = slope;
    }
    br.push_back(c.back()[0]);
    for (size_t i = steep ? 1 : 0; i + 1 < br.size(); i += 2) {
      double a = br[i], b = br[i + 1];
      if (b - a < minLen) continue;
      a -= ext, b += ext;
      if (!out.empty() && a <= out.back()[1] - 0.0001) out.back()[1] = std::max(out.back()[1], b);
      else out.push_back({a, b});
    }
  }
  return static_cast<int>(out.size());
}

namespace {

Pt2 AtX(const Pt2& a, const Pt2& b, double x) {
  double dx = b[0] - a[0];
  if (dx < 1e-12) return {x, std::max(a[1], b[1])};
  return {x, a[1] + (b[1] - a[1]) * (x - a[0]) / dx};
}

// The part of c within [lo, hi] in x; either bound beyond the curve keeps that end whole.
PtCurve ClipX(const PtCurve& c, double lo, double hi) {
  PtCurve r;
  for (size_t k = 0; k < c.size(); ++k) {
    const Pt2& p = c[k];
    if (p[0] >= lo && p[0] <= hi) {
      if (r.empty() && k > 0 && c[k - 1][0] < lo) r.push_back(AtX(c[k - 1], p, lo));
      r.push_back(p);
    } else if (k > 0) {
      const Pt2& q = c[k - 1];
      if (q[0] < lo && p[0] > hi) {
        r.push_back(AtX(q, p, lo));
        r.push_back(AtX(q, p, hi));
      } else if (q[0] >= lo && q[0] <= hi && p[0] > hi) {
        r.push_back(AtX(q, p, hi));
      }
    }
    if (p[0] > hi) break;
  }
  return r;
}

bool TwoDistinct(const PtCurve& c) {
  for (size_t i = 1; i < c.size(); ++i)
    if (std::hypot(c[i][0] - c[0][0], c[i][1] - c[0][1]) > 1e-9) return true;
  return false;
}

}  // namespace

void TrimCurvesToIntervals(std::vector<PtCurve>& curves, const std::vector<Interval>& iv) {
  std::vector<PtCurve> kept;
  for (const PtCurve& c : curves) {
    if (c.size() < 2) continue;
    double first = c.front()[0], last = c.back()[0];
    for (const Interval& in : iv) {
      if (in[1] - 0.02 < first) continue;
      if (last < in[0] + 0.0001) break;
      double lo = std::max(in[0] + 0.01, first), hi = std::min(in[1] - 0.01, last);
      if (hi <= lo) continue;
      PtCurve piece = ClipX(c, lo, hi);
      if (TwoDistinct(piece)) kept.push_back(std::move(piece));
    }
  }
  curves.swap(kept);
}

void RemoveSpikes(PtCurve& c) {
  if (c.size() < 4) return;
  const double cos45 = std::cos(M_PI / 4);
  PtCurve r;
  r.push_back(c[0]);
  for (size_t i = 1; i + 1 < c.size(); ++i) {
    const Pt2& a = r.back();
    const Pt2& b = c[i];
    const Pt2& d = c[i + 1];
    double ux = a[0] - b[0], uy = a[1] - b[1], vx = d[0] - b[0], vy = d[1] - b[1];
    double lu = std::hypot(ux, uy), lv = std::hypot(vx, vy);
    if (lu > 1e-12 && lv > 1e-12 && (ux * vx + uy * vy) / (lu * lv) >= cos45) continue;
    r.push_back(b);
  }
  r.push_back(c.back());
  c.swap(r);
}

CPathPLine3D* RasterCurveEntity(const PtCurve& c, double y) {
  if (c.size() < 2) return nullptr;
  std::vector<double> pts(3 * c.size());
  for (size_t i = 0; i < c.size(); ++i) {
    pts[3 * i] = c[i][0];
    pts[3 * i + 1] = y;
    pts[3 * i + 2] = c[i][1];
  }
  auto pl = std::make_unique<CPathPLine3D>();
  if (!pl->SetPoints(static_cast<int>(c.size()) - 1, reinterpret_cast<const double(*)[3]>(pts.data())))
    return nullptr;
  return pl.release();
}

CPathCombine* RasterCurveCombine(const PtCurve& c, double y) {
  CPathPLine3D* pl = RasterCurveEntity(c, y);
  if (!pl) return nullptr;
  auto* comb = new CPathCombine(8);
  comb->AddTail(pl);
  return comb;
}
