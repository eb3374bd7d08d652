#include "geometry/tools/HullLine.h"

#include <algorithm>

namespace {

bool SamePoint(const tagPoint2d& a, const tagPoint2d& b) { return a.x == b.x && a.y == b.y; }

}  // namespace

CHullLine::~CHullLine() = default;

void CHullLine::AddPoint(float x, float y) { m_points.push_back({x, y}); }

void CHullLine::CalculateConvexHull() {
  m_hull.clear();
  QuickSortPtsBasedOnX();
  ConvexHull2D(m_points, m_hull);
}

void CHullLine::QuickSortPtsBasedOnX() {
  std::sort(m_points.begin(), m_points.end(), [](const tagPoint2d& a, const tagPoint2d& b) {
    return a.x < b.x || (a.x == b.x && a.y < b.y);
  });
}

double CHullLine::IsPoint2DLeft(const tagPoint2d& p0, const tagPoint2d& p1, const tagPoint2d& p2) {
  return (double(p1.x) - p0.x) * (double(p2.y) - p0.y) - (double(p2.x) - p0.x) * (double(p1.y) - p0.y);
}

void CHullLine::ConvexHull2D(const std::vector<tagPoint2d>& p, std::vector<tagPoint2d>& h) {
  const int n = static_cast<int>(p.size());
  if (n == 0) return;

  const int minmin = 0;
  int minmax = 0;
  while (minmax + 1 < n && p[minmax + 1].x == p[0].x) ++minmax;
  if (minmax == n - 1) {  // all points on one vertical line
    h.push_back(p[minmin]);
    if (p[minmax].y != p[minmin].y) h.push_back(p[minmax]);
    h.push_back(p[minmin]);
    return;
  }
  // A run of copies of one point is one point: else the closing vertex would appear twice.
  if (SamePoint(p[minmax], p[minmin])) minmax = minmin;

  const int maxmax = n - 1;
  int maxmin = n - 1;
  while (p[maxmin - 1].x == p[n - 1].x) --maxmin;
  if (SamePoint(p[maxmin], p[maxmax])) maxmin = maxmax;

  const size_t base = h.size();
  // Lower chain: from the lowest leftmost to the lowest rightmost point.
  h.push_back(p[minmin]);
  for (int k = minmax + 1; k <= maxmin; ++k) {
    if (k < maxmin && IsPoint2DLeft(p[minmin], p[maxmin], p[k]) >= 0) continue;
    while (h.size() >= base + 2 && IsPoint2DLeft(h[h.size() - 2], h.back(), p[k]) <= 0) h.pop_back();
    h.push_back(p[k]);
  }
  if (maxmax != maxmin) h.push_back(p[maxmax]);

  // Upper chain: back from the highest rightmost to the highest leftmost point.
  const size_t b = h.size();
  for (int k = maxmin - 1; k >= minmax; --k) {
    if (k > minmax && IsPoint2DLeft(p[maxmax], p[minmax], p[k]) >= 0) continue;
    while (h.size() > b && IsPoint2DLeft(h[h.size() - 2], h.back(), p[k]) <= 0) h.pop_back();
    h.push_back(p[k]);
  }
  if (minmax != minmin) h.push_back(p[minmin]);
}

void CHullLine::CalMaxLenVector() {
  double best = 0.0;
  for (size_t i = 1; i < m_hull.size(); ++i) {
    const double dx = double(m_hull[i].x) - m_hull[i - 1].x;
    const double dy = double(m_hull[i].y) - m_hull[i - 1].y;
    if (dx * dx + dy * dy > best) {
      best = dx * dx + dy * dy;
      m_maxVec[0] = dx;
      m_maxVec[1] = dy;
    }
  }
}
