#include "geometry/tools/KdTree.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

// Search bound of a nearest-point query: the float with bits 0x633877A9.
constexpr float kUnboundedSquaredDistance = 3.4028233e21f;

template <int D>
inline float Coord(const Vec3D& v) {
  if constexpr (D == 0) {
    return v.x;
  } else if constexpr (D == 1) {
    return v.y;
  } else {
    return v.z;
  }
}

template <int D>
void MinMaxOf(const kdTreePoint* p, unsigned n, float& mn, float& mx) {
  float lo = Coord<D>(p[0].pos), hi = lo;
  unsigned i = 1;
  for (; i + 4 <= n; i += 4) {
    const float a = Coord<D>(p[i].pos), b = Coord<D>(p[i + 1].pos);
    const float c = Coord<D>(p[i + 2].pos), d = Coord<D>(p[i + 3].pos);
    lo = std::min(lo, std::min(std::min(a, b), std::min(c, d)));
    hi = std::max(hi, std::max(std::max(a, b), std::max(c, d)));
  }
  for (; i < n; ++i) {
    lo = std::min(lo, Coord<D>(p[i].pos));
    hi = std::max(hi, Coord<D>(p[i].pos));
  }
  mn = lo;
  mx = hi;
}

// Moves the points for which `keep` holds to the front; returns their count.
template <int D, class Pred>
unsigned PartitionBy(kdTreePoint* p, unsigned n, Pred keep) {
  std::int64_t l = 0, r = std::int64_t(n) - 1;
  for (;;) {
    while (l <= r && keep(Coord<D>(p[l].pos))) ++l;
    while (l <= r && !keep(Coord<D>(p[r].pos))) --r;
    if (l > r) break;
    std::swap(p[l], p[r]);
    ++l;
    --r;
  }
  return unsigned(l);
}

template <int D>
void SplitAt(kdTreePoint* p, unsigned n, float v, unsigned& below, unsigned& belowOrEqual) {
  below = PartitionBy<D>(p, n, [v](float c) { return c < v; });
  belowOrEqual = below + PartitionBy<D>(p + below, n - below, [v](float c) { return c <= v; });
}

}  // namespace

// ---- candidate heap ----

void KdTree::CandidateHeap::reset(unsigned capacity) {
  m_items.assign(std::size_t(capacity) + 1, KdNeighbour{-1, 0.0f});
  m_capacity = capacity;
  m_size = 0;
}

void KdTree::CandidateHeap::insert(int index, float squaredDistance) {
  if (m_size < m_capacity) {
    unsigned i = ++m_size;
    while (i > 1 && m_items[i / 2].squaredDistance < squaredDistance) {
      m_items[i] = m_items[i / 2];
      i /= 2;
    }
    m_items[i] = {index, squaredDistance};
  } else {
    m_items[1] = {index, squaredDistance};
    siftDown(1);
  }
}

void KdTree::CandidateHeap::popTop() {
  m_items[1] = m_items[m_size--];
  if (m_size > 1) siftDown(1);
}

void KdTree::CandidateHeap::siftDown(unsigned i) {
  const KdNeighbour item = m_items[i];
  while (2 * i <= m_size) {
    unsigned c = 2 * i;
    if (c < m_size && m_items[c + 1].squaredDistance > m_items[c].squaredDistance) ++c;
    if (m_items[c].squaredDistance <= item.squaredDistance) break;
    m_items[i] = m_items[c];
    i = c;
  }
  m_items[i] = item;
}

// ---- nodes ----

KdTree::Node::~Node() = default;

KdTree::KdNode::~KdNode() {
  delete m_children[0];
  delete m_children[1];
}

void KdTree::KdNode::query(float rd, QueryState& st) const {
  const float c = st.q[m_dim] - m_split;
  const float o = st.offset[m_dim];
  const int nearSide = c < 0.0f ? 0 : 1;
  m_children[nearSide]->query(rd, st);
  // Only this axis's offset changes when crossing the split plane.
  const float farRd = rd - o * o + c * c;
  if (farRd < st.heap->bound()) {
    st.offset[m_dim] = c;
    m_children[1 - nearSide]->query(farRd, st);
    st.offset[m_dim] = o;
  }
}

void KdTree::KdLeaf::query(float, QueryState& st) const {
  for (unsigned i = 0; i < m_count; ++i) {
    const float d = (m_points[i].pos - st.q).squaredLength();
    if (d < st.heap->bound()) st.heap->insert(int(m_points[i].index), d);
  }
}

// ---- tree ----

KdTree::KdTree(const Vec3D* points, unsigned count, unsigned bucketSize)
    : m_built(std::make_shared<Built>()),
      m_pCallerPoints(points),
      m_bucketSize(std::max(bucketSize, 1u)),  // empty buckets would split forever
      m_nPoints(points ? count : 0) {
  if (m_nPoints > 0) {
    std::vector<kdTreePoint>& pts = m_built->points;
    pts.resize(m_nPoints);
    for (unsigned i = 0; i < m_nPoints; ++i) pts[i] = {points[i], i};
    computeEnclosingBoundingBox(m_boxMin, m_boxMax);
    auto root = std::make_unique<KdNode>();
    Vec3D max, min;
    getSpread(pts.data(), m_nPoints, max, min);
    createTree(*root, 0, m_nPoints, max, min);
    m_built->root = std::move(root);
  }
  setNOfNeighbours(1);
}

KdTree::~KdTree() = default;

void KdTree::setNOfNeighbours(unsigned k) {
  if (k == m_k) return;
  m_k = k;
  // More slots than points (plus the bound's sentinel) could never fill.
  const std::uint64_t wanted = std::uint64_t(k) * 40;
  const unsigned capacity = unsigned(std::min<std::uint64_t>(wanted, std::uint64_t(m_nPoints) + 1));
  m_heap.reset(capacity);
  m_results.assign(capacity, KdNeighbour{-1, 0.0f});
  m_nFound = 0;
}

void KdTree::queryPosition(const Vec3D& q) { query(q, kUnboundedSquaredDistance); }

void KdTree::queryRange(const Vec3D& q, float bound) { query(q, bound); }

void KdTree::query(const Vec3D& q, float bound) {
  if (m_results.empty()) return;
  m_heap.clear();
  m_heap.insert(-1, bound);
  QueryState st{q, {0.0f, 0.0f, 0.0f}, &m_heap};
  if (m_built->root) {
    // The offsets start at q's distance to the tree's box on each axis, so that the
    // incremental distances stay exact for query points outside the box.
    for (int d = 0; d < 3; ++d) {
      if (q[d] < m_boxMin[d]) {
        st.offset[d] = q[d] - m_boxMin[d];
      } else if (q[d] > m_boxMax[d]) {
        st.offset[d] = q[d] - m_boxMax[d];
      }
    }
    m_built->root->query(computeBoxDistance(q, m_boxMin, m_boxMax), st);
  }
  if (m_heap.size() > 0 && m_heap.top().index == -1) m_heap.popTop();
  m_nFound = m_heap.size();
  for (unsigned i = m_nFound; i-- > 0;) {
    m_results[i] = m_heap.top();
    m_heap.popTop();
  }
}

void KdTree::computeEnclosingBoundingBox(Vec3D& min, Vec3D& max) const {
  min = max = m_pCallerPoints[0];
  for (unsigned i = 1; i < m_nPoints; ++i) {
    const Vec3D& p = m_pCallerPoints[i];
    for (int d = 0; d < 3; ++d) {
      min[d] = std::min(min[d], p[d]);
      max[d] = std::max(max[d], p[d]);
    }
  }
}

float KdTree::computeBoxDistance(const Vec3D& q, const Vec3D& min, const Vec3D& max) {
  float dist = 0.0f;
  for (int d = 0; d < 3; ++d) {
    float t = 0.0f;
    if (q[d] < min[d]) {
      t = min[d] - q[d];
    } else if (q[d] > max[d]) {
      t = q[d] - max[d];
    }
    dist += t * t;
  }
  return dist;
}

void KdTree::getSpread(const kdTreePoint* points, unsigned n, Vec3D& max, Vec3D& min) {
  MinMaxOf<0>(points, n, min.x, max.x);
  MinMaxOf<1>(points, n, min.y, max.y);
  MinMaxOf<2>(points, n, min.z, max.z);
}

void KdTree::getMinMax(const kdTreePoint* points, unsigned n, int dim, float& min, float& max) {
  switch (dim) {
    case 0: MinMaxOf<0>(points, n, min, max); break;
    case 1: MinMaxOf<1>(points, n, min, max); break;
    default: MinMaxOf<2>(points, n, min, max); break;
  }
}

void KdTree::splitAtMid(kdTreePoint* points, unsigned n, int dim, float value, unsigned& below,
                        unsigned& belowOrEqual) {
  switch (dim) {
    case 0: SplitAt<0>(points, n, value, below, belowOrEqual); break;
    case 1: SplitAt<1>(points, n, value, below, belowOrEqual); break;
    default: SplitAt<2>(points, n, value, below, belowOrEqual); break;
  }
}

void KdTree::createTree(KdNode& node, unsigned first, unsigned last, Vec3D max, Vec3D min) {
  const float dx = max.x - min.x, dy = max.y - min.y, dz = max.z - min.z;
  int d = dy >= dx ? 1 : 0;
  if (dz >= std::max(dx, dy)) d = 2;

  // Sliding midpoint: a split beyond all points moves onto the nearest one, so that no
  // child is empty.
  const unsigned n = last - first;
  kdTreePoint* pts = m_built->points.data() + first;
  const float mid = (min[d] + max[d]) / 2.0f;
  float lo = 0.0f, hi = 0.0f;
  getMinMax(pts, n, d, lo, hi);
  const float split = lo > mid ? lo : (mid > hi ? hi : mid);
  unsigned b1 = 0, b2 = 0;
  splitAtMid(pts, n, d, split, b1, b2);
  unsigned u;
  if (lo > mid) {
    u = first + 1;
  } else if (mid > hi) {
    u = last - 1;
  } else {
    const unsigned half = n / 2;
    u = first + (b1 > half ? b1 : (half > b2 ? b2 : half));
  }

  node.m_dim = static_cast<unsigned char>(d);
  node.m_split = split;
  Vec3D belowMax = max, aboveMin = min;
  belowMax[d] = split;
  aboveMin[d] = split;
  const unsigned ranges[2][2] = {{first, u}, {u, last}};
  for (int side = 0; side < 2; ++side) {
    const unsigned a = ranges[side][0], b = ranges[side][1];
    if (b - a > m_bucketSize) {
      auto* child = new KdNode;
      node.m_children[side] = child;
      createTree(*child, a, b, side == 0 ? belowMax : max, side == 0 ? min : aboveMin);
    } else {
      node.m_children[side] = new KdLeaf(m_built->points.data() + a, b - a);
    }
  }
}
