#include "geometry/surfaces/TessIntersectLine.h"

#include <algorithm>
#include <cmath>

namespace {

double Dist(const double a[3], const double b[3]) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

}  // namespace

CTessIntersectLine::CTessIntersectLine(const double start[3], const double end[3]) {
  std::copy(start, start + 3, m_start);
  std::copy(end, end + 3, m_end);
}

void CTessIntersectLine::Reverse() { std::swap_ranges(m_start, m_start + 3, m_end); }

CTessIntersectLineGroup::~CTessIntersectLineGroup() { DeleteAll(); }

void CTessIntersectLineGroup::Add(CTessIntersectLine* line) {
  if (line) m_lines.push_back(line);
}

CTessIntersectLine* CTessIntersectLineGroup::Find(const double a[3], const double b[3]) const {
  for (CTessIntersectLine* l : m_lines)
    if (Dist(l->m_start, a) + Dist(l->m_end, b) < 1e-8 ||
        Dist(l->m_start, b) + Dist(l->m_end, a) < 1e-8)
      return l;
  return nullptr;
}

void CTessIntersectLineGroup::DeleteAll() {
  for (CTessIntersectLine* l : m_lines) delete l;
  m_lines.clear();
}

int CTessIntersectLineGroup::Extend(std::deque<CTessIntersectLine*>& chain, double maxDist,
                                    double point[3]) {
  if (chain.empty()) return 0;
  const double* first = chain.front()->m_start;
  const double* last = chain.back()->m_end;
  size_t best = m_lines.size();
  bool atFirst = false, startMatches = false;
  double bestDist = maxDist;
  for (size_t i = 0; i < m_lines.size() && bestDist >= 1e-12; ++i) {
    const CTessIntersectLine* l = m_lines[i];
    const double* ends[2] = {l->m_start, l->m_end};
    for (int k = 0; k < 2 && bestDist >= 1e-12; ++k)
      for (int c = 0; c < 2; ++c) {
        const double d = Dist(ends[k], c == 0 ? first : last);
        if (d < bestDist) {
          bestDist = d;
          best = i;
          atFirst = c == 0;
          startMatches = k == 0;
          if (d < 1e-12) break;
        }
      }
  }
  if (best == m_lines.size()) return 0;
  CTessIntersectLine* l = m_lines[best];
  m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(best));
  if (atFirst) {
    if (startMatches) l->Reverse();
    if (Dist(l->m_start, chain.front()->m_end) < 1e-10) {
      delete l;
    } else {
      chain.push_front(l);
    }
    std::copy(chain.front()->m_start, chain.front()->m_start + 3, point);
  } else {
    if (!startMatches) l->Reverse();
    if (Dist(l->m_end, chain.back()->m_start) < 1e-10) {
      delete l;
    } else {
      chain.push_back(l);
    }
    std::copy(chain.back()->m_end, chain.back()->m_end + 3, point);
  }
  return 1;
}
