#include "millvane/paths/PocketLine.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

#include "geometry/shapes2d/GeLoop.h"
#include "platform/vurode/Accessors.h"

namespace {

struct Pt {
  double x, y;
};
using Ring = std::vector<Pt>;
using Interval = std::pair<double, double>;

}  // namespace

CPocketLine::CPocketLine() = default;

CPocketLine::~CPocketLine() {
  for (POSITION pos = m_RegionList.GetHeadPosition(); pos;) delete m_RegionList.GetNext(pos);
  m_RegionList.RemoveAll();
}

std::vector<CPocketLine::ScanLine> CPocketLine::TakeScanLines() { return std::exchange(m_ScanLines, {}); }

int CPocketLine::BuildAllScanLine() {
  m_ScanLines.clear();
  const double step = m_dInterval;
  if (!(step > 0) || !std::isfinite(step) || !std::isfinite(m_dAngle)) return 0;
  const double angle = m_dAngle * std::numbers::pi / 180;
  const double cs = std::cos(angle), sn = std::sin(angle);

  // Every region's loops as rings, turned by minus the angle so that the lines run along x.
  std::vector<std::vector<Ring>> regions;
  double ymin = std::numeric_limits<double>::infinity(), ymax = -ymin;
  for (POSITION pos = m_RegionList.GetHeadPosition(); pos;) {
    CGeRegion* region = m_RegionList.GetNext(pos);
    if (!region) continue;
    std::vector<Ring> rings;
    for (POSITION lp = region->m_LoopList.GetHeadPosition(); lp;) {
      CGeLoop* loop = region->m_LoopList.GetNext(lp);
      if (!loop) continue;
      if (!loop->m_pSWPoint || loop->m_nSWPoint <= 0) loop->Discrete(gGetCurveDicTol());
      if (!loop->m_pSWPoint || loop->m_nSWPoint < 3) continue;
      Ring ring;
      ring.reserve(size_t(loop->m_nSWPoint));
      for (int i = 0; i < loop->m_nSWPoint; ++i) {
        const double x = loop->m_pSWPoint[i][0], y = loop->m_pSWPoint[i][1];
        const Pt p{x * cs + y * sn, -x * sn + y * cs};
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) return 0;
        ymin = std::min(ymin, p.y);
        ymax = std::max(ymax, p.y);
        ring.push_back(p);
      }
      rings.push_back(std::move(ring));
    }
    if (!rings.empty()) regions.push_back(std::move(rings));
  }
  if (regions.empty() || !(ymax > ymin)) return 0;

  // Line positions: base + k step for k = 0 .. n - 1.
  const bool border = m_nBorderFlag != 0;
  const double base = border ? ymin : ymin + step;
  const double span = (ymax - base) / step;
  if (!(span < kMaxLines)) return 0;
  auto wanted = [&](double y) { return border ? y <= ymax : y < ymax; };
  long n = span < 0 ? 0 : long(std::floor(span)) + 1;
  while (n > 0 && !wanted(base + double(n - 1) * step)) --n;
  while (wanted(base + double(n) * step)) ++n;
  if (n <= 0) return 0;
  // Lines on the box's edges are evaluated a hair inside it.
  const double hair = (ymax - ymin) * 1e-9;
  auto lineY = [&](long k) {
    const double y = base + double(k) * step;
    return border ? std::clamp(y, ymin + hair, ymax - hair) : y;
  };

  std::vector<std::vector<Interval>> intervals(static_cast<size_t>(n));
  std::vector<std::vector<double>> xs;
  for (const std::vector<Ring>& rings : regions) {
    // The region's own line range keeps the buckets small when there are many regions.
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    for (const Ring& r : rings)
      for (const Pt& p : r) lo = std::min(lo, p.y), hi = std::max(hi, p.y);
    auto firstAtOrAbove = [&](double y) {
      long k = long(std::clamp(std::ceil((y - base) / step), 0.0, double(n)));
      while (k > 0 && lineY(k - 1) >= y) --k;
      while (k < n && lineY(k) < y) ++k;
      return k;
    };
    const long k0 = firstAtOrAbove(lo), k1 = firstAtOrAbove(hi);
    if (k0 >= k1) continue;
    xs.assign(size_t(k1 - k0), {});
    for (const Ring& r : rings)
      for (size_t i = 0; i < r.size(); ++i) {
        const Pt& p = r[i];
        const Pt& q = r[(i + 1) % r.size()];
        // Half-open in y: a vertex on a line counts for one of its two edges only, so every
        // line meets a closed ring an even number of times.
        const double elo = std::min(p.y, q.y), ehi = std::max(p.y, q.y);
        if (!(ehi > elo)) continue;
        for (long k = std::max(k0, firstAtOrAbove(elo)); k < k1; ++k) {
          const double y = lineY(k);
          if (!(y < ehi)) break;
          xs[size_t(k - k0)].push_back(p.x + (y - p.y) * (q.x - p.x) / (q.y - p.y));
        }
      }
    for (long k = k0; k < k1; ++k) {
      std::vector<double>& row = xs[size_t(k - k0)];
      std::sort(row.begin(), row.end());
      for (size_t i = 0; i + 1 < row.size(); i += 2)
        if (row[i + 1] - row[i] > 1e-9) intervals[size_t(k)].emplace_back(row[i], row[i + 1]);
    }
  }

  m_ScanLines.assign(size_t(n), {});
  int any = 0;
  for (long k = 0; k < n; ++k) {
    std::vector<Interval>& iv = intervals[size_t(k)];
    if (iv.empty()) continue;
    // Regions that overlap or touch share their intervals.
    std::sort(iv.begin(), iv.end());
    std::vector<Interval> merged;
    for (const Interval& i : iv)
      if (!merged.empty() && i.first <= merged.back().second)
        merged.back().second = std::max(merged.back().second, i.second);
      else
        merged.push_back(i);
    const double v = lineY(k);
    ScanLine& line = m_ScanLines[size_t(k)];
    line.reserve(merged.size() * 2);
    for (const Interval& i : merged)
      for (int end = 0; end < 2; ++end) {
        const double u = end ? i.second : i.first;
        line.push_back(Crossing{u * cs - v * sn, u * sn + v * cs, u, v, end ? -1.0 : 1.0});
      }
    any = 1;
  }
  if (!any) m_ScanLines.clear();
  return any;
}
