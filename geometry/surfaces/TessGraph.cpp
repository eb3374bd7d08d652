#include "geometry/surfaces/TessGraph.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/numora/Point2d.h"

namespace {

double& Co(CTessNode* n, int axis) { return axis == 0 ? n->u : n->v; }

// Unit vector from a to b; the difference is scaled up first so that nodes a few units of the
// unit tolerance apart still give a direction.
void UnitTo(const CTessNode* a, const CTessNode* b, double out[2]) {
  out[0] = (b->u - a->u) * 1000.0;
  out[1] = (b->v - a->v) * 1000.0;
  V2D_Unit(out, 1e-6);
}

// Neighbour slots in the order the left-turn rule weighs them.
std::array<CTessNode*, 6> Neighbours(const CTessNode* n) {
  return {n->ringNext, n->ringPrev, n->rowPrev, n->rowNext, n->colPrev, n->colNext};
}

double ClampedAcos(double x) { return std::acos(std::clamp(x, -1.0, 1.0)); }

// p inside the triangle (a, b, c), edges included: the horizontal line through p meets the
// triangle's edges, each counted with one end inclusive so that a vertex is met once.
bool InTriangle(const CTessNode* p, const CTessNode* a, const CTessNode* b, const CTessNode* c) {
  const double y = p->v;
  // The crossings below never count an edge along the line, so a node lying on a horizontal
  // edge would pass for outside and its ear be cut, leaving a flat triangle behind.
  for (auto [s, e] : {std::pair{a, b}, std::pair{a, c}, std::pair{c, b}})
    if (s->v == y && e->v == y && p->u >= std::min(s->u, e->u) && p->u <= std::max(s->u, e->u))
      return true;
  double xs[3];
  int k = 0;
  auto at = [y](const CTessNode* s, const CTessNode* e) {
    return s->u + (y - s->v) * (e->u - s->u) / (e->v - s->v);
  };
  if ((y <= a->v && y > b->v) || (y >= a->v && y < b->v)) xs[k++] = at(a, b);
  if ((y < a->v && y >= c->v) || (y > a->v && y <= c->v)) xs[k++] = at(a, c);
  if ((y < c->v && y >= b->v) || (y > c->v && y <= b->v)) xs[k++] = at(c, b);
  if (k != 2) return false;
  return p->u >= std::min(xs[0], xs[1]) && p->u <= std::max(xs[0], xs[1]);
}

}  // namespace

CTessGraph::~CTessGraph() {
  for (CTessNode* n : m_nodes) delete n;
  while (m_cells) delete std::exchange(m_cells, m_cells->next);
}

CTessNode* CTessGraph::NewNode(double u, double v) {
  auto* n = new CTessNode();
  n->index = static_cast<int>(m_nodes.size());
  n->u = u;
  n->v = v;
  if (!m_nodes.empty()) m_nodes.back()->next = n;
  m_nodes.push_back(n);
  m_flags.push_back(0);
  m_used.push_back(0);
  return n;
}

CTessNode* CTessGraph::AddRing(const std::vector<std::array<double, 2>>& pts) {
  CTessNode* first = nullptr;
  CTessNode* last = nullptr;
  for (const auto& p : pts) {
    CTessNode* n = NewNode(p[0], p[1]);
    if (last) {
      last->ringNext = n;
      n->ringPrev = last;
    } else {
      first = n;
    }
    last = n;
  }
  if (!first) return nullptr;
  last->ringNext = first;
  first->ringPrev = last;
  if (pts.size() >= 3) m_rings.push_back(first);
  return first;
}

std::vector<CTessNode*> CTessGraph::Cross(int axis, double c, const SLineRule& rule, const Locate& locate) {
  const uint8_t member = axis == 1 ? kInRow : kInCol;
  const int along = 1 - axis;
  std::vector<CTessNode*> line;
  // Each take counts one passage of the ring through the line. A ring that only touches the
  // line at a node passes it twice: the node then closes one pair and opens the next, or forms
  // a pair of its own, and the pairs along the line keep enclosing the domain.
  auto take = [&](CTessNode* n, int times) {
    m_flags[static_cast<size_t>(n->index)] |= member;
    const double key = Co(n, along);
    // Rows run in ascending u, columns in descending v; a new node goes before its equals.
    auto pos = axis == 1 ? std::find_if(line.begin(), line.end(),
                                        [key](CTessNode* o) { return o->u >= key; })
                         : std::find_if(line.begin(), line.end(),
                                        [key](CTessNode* o) { return o->v <= key; });
    line.insert(pos, static_cast<size_t>(times), n);
  };
  std::vector<CTessNode*> ring;
  std::vector<int> side;
  for (CTessNode* head : m_rings) {
    ring.clear();
    side.clear();
    CTessNode* k = head;
    do {
      ring.push_back(k);
      const double d = Co(k, axis) - c;
      // Nodes within the parallel tolerance of the line lie on it.
      side.push_back(std::fabs(d) < rule.parallel ? 0 : (d > 0 ? 1 : -1));
      k = k->ringNext;
    } while (k != head);
    const size_t n = ring.size();
    // Edges passing from one side to the other cross the line inside (or at an end).
    for (size_t i = 0; i < n; ++i) {
      const size_t j = (i + 1) % n;
      if (side[i] == 0 || side[j] == 0 || side[i] == side[j]) continue;
      CTessNode* a = ring[i];
      CTessNode* b = ring[j];
      const double s = (c - Co(a, axis)) / (Co(b, axis) - Co(a, axis));
      if (s < rule.sLow) {
        take(a, 1);
      } else if (s > rule.sHigh) {
        take(b, 1);
      } else {
        double u = Co(a, along) + s * (Co(b, along) - Co(a, along));
        if (locate) u = locate(a, b, axis, c, u);
        CTessNode* x = axis == 1 ? NewNode(u, c) : NewNode(c, u);
        x->ringPrev = a;
        x->ringNext = b;
        a->ringNext = x;
        b->ringPrev = x;
        take(x, 1);
      }
    }
    // Runs of nodes on the line: a single node where the ring crosses is taken once, where it
    // only touches twice. A run along the line is boundary: its ends are taken so that the
    // pairs stop at it, and continue beyond an end only where the domain goes on along the line.
    size_t startRun = n;
    for (size_t i = 0; i < n; ++i)
      if (side[i] != 0 && side[(i + 1) % n] == 0) {
        startRun = (i + 1) % n;
        break;
      }
    if (startRun == n) continue;  // no node on the line, or the whole ring lies along it
    for (size_t m = 0; m < n;) {
      const size_t first = (startRun + m) % n;
      if (side[first] != 0) {
        ++m;
        continue;
      }
      size_t len = 0;
      while (side[(first + len) % n] == 0) ++len;
      const size_t last = (first + len - 1) % n;
      const int enter = side[(first + n - 1) % n], leave = side[(last + 1) % n];
      CTessNode* f = ring[first];
      CTessNode* l = ring[last];
      if (len == 1) {
        take(f, enter == leave ? 2 : 1);
      } else {
        // The domain lies to the left of the ring's way along the run.
        const double dir = Co(l, along) - Co(f, along);
        const int domain = (dir > 0 ? 1 : -1) * (axis == 1 ? 1 : -1);
        if (enter == leave) {
          const int t = domain == enter ? 2 : 1;
          take(f, t);
          take(l, t);
        } else {
          take(f, domain == enter ? 2 : 1);
          take(l, domain == enter ? 1 : 2);
        }
      }
      m += len;
    }
  }
  return line;
}

void CTessGraph::LinkLine(int axis, const std::vector<CTessNode*>& line,
                          const std::vector<char>& gapAfter) {
  const uint8_t member = axis == 1 ? kInRow : kInCol;
  const uint8_t gap = axis == 1 ? kRowGap : kColGap;
  for (size_t i = 0; i < line.size(); ++i) {
    CTessNode* n = line[i];
    CTessNode* prev = i > 0 ? line[i - 1] : nullptr;
    CTessNode* next = i + 1 < line.size() ? line[i + 1] : nullptr;
    (axis == 1 ? n->rowPrev : n->colPrev) = prev;
    (axis == 1 ? n->rowNext : n->colNext) = next;
    uint8_t& f = m_flags[static_cast<size_t>(n->index)];
    f |= member;
    if (next && i < gapAfter.size() && gapAfter[i]) f |= gap;
  }
}

void CTessGraph::AddCell(int a, int b, int c, int d) {
  auto* t = new CTessTriangle{a, b, c, d, nullptr};
  if (m_cellTail)
    m_cellTail->next = t;
  else
    m_cells = t;
  m_cellTail = t;
}

void CTessGraph::AddQuads(const std::vector<CTessNode*>& rowHeads) {
  for (size_t r = 1; r < rowHeads.size(); ++r) {
    for (CTessNode* q = rowHeads[r]; q && q->rowNext; q = q->rowNext) {
      if (RowGapAfter(q)) continue;
      CTessNode* n = q->rowNext;
      CTessNode* top = q->colPrev;
      CTessNode* topNext = n->colPrev;
      if (top && topNext && top->rowNext == topNext && !RowGapAfter(top) && !Flag(top, kColGap) &&
          !Flag(topNext, kColGap))
      {
        AddCell(q->index, n->index, topNext->index, top->index);
        MarkUsed({q, n, topNext, top});
      }
    }
  }
}

bool CTessGraph::IsGap(const CTessNode* b, int slot) const {
  switch (slot) {
    case 2: return b->rowPrev && RowGapAfter(b->rowPrev);
    case 3: return RowGapAfter(b);
    case 4: return b->colPrev && Flag(b->colPrev, kColGap);
    case 5: return Flag(b, kColGap);
    default: return false;
  }
}

CTessNode* CTessGraph::LeftTurn(CTessNode* a, CTessNode* b) const {
  double d[2];
  UnitTo(a, b, d);
  const std::array<CTessNode*, 6> cands = Neighbours(b);
  CTessNode* best = nullptr;
  double bestAngle = 0.0;
  for (int slot = 0; slot < 6; ++slot) {
    CTessNode* c = cands[static_cast<size_t>(slot)];
    // Links across a gap run outside the domain (or along its boundary) and bound no polygon.
    if (!c || c == a || IsGap(b, slot)) continue;
    double e[2];
    UnitTo(b, c, e);
    double angle = ClampedAcos(d[0] * e[0] + d[1] * e[1]);
    if (d[0] * e[1] - d[1] * e[0] < 0) angle = -angle;
    if (!best || angle > bestAngle) {
      best = c;
      bestAngle = angle;
    }
  }
  return best ? best : a;
}

void CTessGraph::Walk(CTessNode* a, CTessNode* b, std::vector<CTessNode*>& poly,
                      std::vector<int>& stamp, int id) const {
  poly.assign({a, b});
  stamp[static_cast<size_t>(a->index)] = id;
  stamp[static_cast<size_t>(b->index)] = id;
  CTessNode* first = a;
  // The walk stops at the first node it meets again, so it is bounded by the node count.
  for (;;) {
    CTessNode* c = LeftTurn(a, b);
    if (stamp[static_cast<size_t>(c->index)] == id) {
      if (c != first)
        poly.resize(static_cast<size_t>(std::find(poly.begin(), poly.end(), c) - poly.begin()));
      return;
    }
    stamp[static_cast<size_t>(c->index)] = id;
    poly.push_back(c);
    a = b;
    b = c;
  }
}

void CTessGraph::MarkUsed(const std::vector<CTessNode*>& poly) {
  for (size_t i = 0; i < poly.size(); ++i) {
    const CTessNode* p = poly[i];
    const CTessNode* q = poly[(i + 1) % poly.size()];
    const std::array<CTessNode*, 6> nb = Neighbours(p);
    for (int slot = 0; slot < 6; ++slot)
      if (nb[static_cast<size_t>(slot)] == q) m_used[static_cast<size_t>(p->index)] |= 1u << slot;
  }
}

int CTessGraph::AddBoundaryPolygons() {
  std::vector<int> stamp(m_nodes.size(), -1);
  int walk = 0;
  std::vector<CTessNode*> poly;
  for (CTessNode* head : m_rings) {
    CTessNode* j = head;
    do {
      // A ring edge whose polygon was already made from another ring (a face touching two
      // rings) must not be walked again: that would lay the same triangles twice.
      if (j->useCount < 2 && !Flag(j, kCovered)) {
        Walk(j, j->ringNext, poly, stamp, ++walk);
        // A walk that cannot enclose anything means the rings are corrupt; leaving it out
        // would leave a hole in the mesh.
        if (poly.size() < 3) return 0;
        for (size_t i = 0; i < poly.size(); ++i) {
          CTessNode* p = poly[i];
          CTessNode* q = poly[(i + 1) % poly.size()];
          if (q == p->ringNext || q == p->ringPrev) {
            ++p->useCount;
            ++q->useCount;
          }
          if (q == p->ringNext) m_flags[static_cast<size_t>(p->index)] |= kCovered;
        }
        MarkUsed(poly);
        EarClip(poly);
      }
      j = j->ringNext;
    } while (j != head);
  }
  // Faces that a ring touches only at a node (a node sitting on a row or column between two
  // grid nodes) are neither complete squares nor left of a ring edge, yet inside the domain.
  for (size_t i = 0; i < m_nodes.size(); ++i) {
    CTessNode* b = m_nodes[i];
    const std::array<CTessNode*, 6> nb = Neighbours(b);
    for (int slot = 2; slot < 6; ++slot) {
      CTessNode* c = nb[static_cast<size_t>(slot)];
      if (!c || IsGap(b, slot) || (m_used[i] & (1u << slot)) || c == b->ringNext ||
          c == b->ringPrev)
        continue;
      Walk(b, c, poly, stamp, ++walk);
      if (poly.size() < 3) return 0;
      MarkUsed(poly);
      // A walk that runs back along a ring went round the outside of the domain.
      bool outside = false;
      for (size_t k = 0; k < poly.size() && !outside; ++k) {
        const CTessNode* p = poly[k];
        const CTessNode* q = poly[(k + 1) % poly.size()];
        outside = q == p->ringPrev && q != p->ringNext;
      }
      if (!outside) EarClip(poly);
    }
  }
  return 1;
}

void CTessGraph::EarClip(std::vector<CTessNode*> poly) {
  constexpr double kPi = 3.141592653589793, kTwoPi = 6.283185307179586;
  constexpr double kFlat = 3.1405926535897932;  // pi - 0.001: nothing left worth clipping
  for (CTessNode* n : poly) n->angle = -1.0;
  while (poly.size() >= 3) {
    const size_t k = poly.size();
    for (size_t i = 0; i < k; ++i) {
      CTessNode* n = poly[i];
      // An ear refused earlier may have been freed by the clip since.
      if (n->angle > kTwoPi) n->angle -= kTwoPi;
      if (n->angle > 0) continue;
      double a[2], b[2];
      UnitTo(n, poly[(i + k - 1) % k], a);
      UnitTo(n, poly[(i + 1) % k], b);
      const double c = b[0] * a[1] - b[1] * a[0];
      n->angle = ClampedAcos(a[0] * b[0] + a[1] * b[1]) + (c < 0 ? kPi : 0.0);
    }
    size_t ear = 0;
    for (;;) {
      ear = 0;
      for (size_t i = 1; i < k; ++i)
        if (poly[i]->angle < poly[ear]->angle) ear = i;
      if (poly[ear]->angle >= kFlat) return;
      CTessNode* prev = poly[(ear + k - 1) % k];
      CTessNode* next = poly[(ear + 1) % k];
      bool blocked = false;
      for (size_t i = 0; i < k && !blocked; ++i) {
        CTessNode* p = poly[i];
        if (p != prev && p != next && p != poly[ear]) blocked = InTriangle(p, prev, poly[ear], next);
      }
      if (!blocked) break;
      poly[ear]->angle += kTwoPi;
    }
    CTessNode* prev = poly[(ear + k - 1) % k];
    CTessNode* next = poly[(ear + 1) % k];
    AddCell(prev->index, poly[ear]->index, next->index, -1);
    prev->angle = next->angle = -1.0;
    poly.erase(poly.begin() + static_cast<std::ptrdiff_t>(ear));
  }
}

void CTessGraph::Release(CTessNode** nodes, CTessTriangle** cells) {
  *nodes = m_nodes.empty() ? nullptr : m_nodes.front();
  *cells = m_cells;
  m_nodes.clear();
  m_flags.clear();
  m_used.clear();
  m_rings.clear();
  m_cells = m_cellTail = nullptr;
}
