// CNurbsEditor::Tesselate: adaptive triangulation of a NURBS surface within a tolerance.
//
// The parameter domain is cut into its knot spans, and each cell is split into two to four
// parts across u, across v or both while a bound on the distance between the surface and any
// triangulation of the cell exceeds the tolerance. The bound comes from the cell's own Bezier
// net (differences of the net bound the derivatives), so it holds everywhere in the cell, not
// just at samples; the direction of a split follows the terms of the bound, so cells take the
// surface's own shape. A leaf whose edges carry corners of smaller neighbours is triangulated
// through them; shared points are evaluated once, so neighbours meet without cracks. Edges
// that meet in space (a closed direction) are neighbours too, and an edge that collapses to a
// point (a pole) is one vertex: the mesh of a closed surface closes.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/numora/BsrfBound.h"
#include "platform/numora/BsrfCore.h"
#include "platform/numora/NurbsEditor.h"

namespace {

using bcrv::P4;

class Tessellator {
 public:
  Tessellator(const _nurbs_surface* srf, const bsrf::Surf& s, double tol) : srf_(srf), s_(s) {
    Breaks(s.U, s.pu, s.nu, bu_, spanU_);
    Breaks(s.V, s.pv, s.nv, bv_, spanV_);
    rowStride_ = (uint64_t(bv_.size() - 1) << kFine) + 1;
    // Vertices are stored in single precision: leave room for their rounding.
    double extent = 0;
    for (const P4& q : s.P)
      for (int c = 0; c < 3; ++c)
        if (q[3] > 0) extent = std::max(extent, std::fabs(q[size_t(c)] / q[3]));
    target_ = tol - extent * 0x1p-23;
    if (!(target_ >= 0.5 * tol)) target_ = -1;  // the tolerance is below what floats can hold
    for (const P4& q : s.P) rational_ = rational_ || q[3] != s.P.front()[3];
    Topology();
  }

  bool Run(std::vector<CPoint3d>& vertices, std::vector<CVector3d>& normals) {
    if (!(target_ > 0) || bu_.size() < 2 || bv_.size() < 2) return false;
    const int64_t ru = int64_t(bu_.size()) - 1, rv = int64_t(bv_.size()) - 1;
    if (ru > kMaxSpans || rv > kMaxSpans || uint64_t(ru) * uint64_t(rv) > kMaxLeaves) return false;
    std::vector<Cell> work;
    const uint64_t w0 = uint64_t(1) << kFine;
    for (int64_t j = 0; j < rv; ++j)
      for (int64_t i = 0; i < ru; ++i)
        work.push_back({uint64_t(i) * w0, uint64_t(i + 1) * w0, uint64_t(j) * w0, uint64_t(j + 1) * w0});
    // Cells are split until their bound meets the tolerance; a surface that would need more
    // cells than the budget fails instead of giving way. The leaves a cell is expected to end
    // as (about its bound over the tolerance) stop a hopeless run early.
    std::vector<Terms> bound;
    double expected = 0;
    for (const Cell& c : work) {
      bound.push_back(Bound(c));
      expected += Expected(bound.back());
    }
    for (size_t next = 0; next < work.size(); ++next) {
      if (!(expected <= 16.0 * kMaxLeaves)) return false;
      const Cell c = work[next];
      const Terms t = bound[next];
      if (t.Sum() <= target_) {
        leaves_.push_back(c);
        continue;
      }
      int ku = 0, kv = 0;
      Split(t, ku, kv);
      // Each part keeps room for a centre point.
      if (ku > 1 && (c.i1 - c.i0) / uint64_t(ku) < 2) ku = 1;
      if (kv > 1 && (c.j1 - c.j0) / uint64_t(kv) < 2) kv = 1;
      if (ku * kv == 1) return false;  // as fine as cells go, and still too far
      if (leaves_.size() + (work.size() - next) + size_t(ku * kv) > kMaxLeaves) return false;
      expected -= Expected(t);
      for (int b = 0; b < kv; ++b)
        for (int a = 0; a < ku; ++a) {
          const Cell k{Cut(c.i0, c.i1, a, ku), Cut(c.i0, c.i1, a + 1, ku), Cut(c.j0, c.j1, b, kv),
                       Cut(c.j0, c.j1, b + 1, kv)};
          work.push_back(k);
          bound.push_back(Bound(k));
          expected += Expected(bound.back());
        }
    }
    work.clear();
    bound.clear();
    if (!Triangles(vertices, normals)) return false;
    return !failed_;
  }

 private:
  // Grid indices: 2^kFine steps to a knot span.
  static constexpr int kFine = 16;
  // Some two to eight million triangles at most; beyond that the call fails.
  static constexpr size_t kMaxLeaves = size_t(1) << 20;
  static constexpr int64_t kMaxSpans = int64_t(1) << 13;

  struct G {
    uint64_t i, j;
  };
  // Cell [i0, i1] x [j0, j1] of the grid.
  struct Cell {
    uint64_t i0, i1, j0, j1;
  };
  using Terms = bsrf::CellTerms;
  struct Sample {
    double p[3];
    double n[3];
    bool hasNormal;
  };

  // Cell borders along one direction: the distinct knots of the domain; span[r] is the knot
  // span that holds border interval r.
  static void Breaks(const std::vector<double>& K, int p, int n, std::vector<double>& out,
                     std::vector<int>& span) {
    for (int i = p; i <= n; ++i)
      if (out.empty() || K[size_t(i)] > out.back()) out.push_back(K[size_t(i)]);
    for (size_t r = 0; r + 1 < out.size(); ++r) {
      const double mid = 0.5 * (out[r] + out[r + 1]);
      const int s = int(std::upper_bound(K.begin() + p, K.begin() + n + 1, mid) - K.begin()) - 1;
      span.push_back(std::clamp(s, p, n - 1));
    }
  }
  static double Param(const std::vector<double>& b, uint64_t g) {
    const uint64_t r = g >> kFine;
    if (r + 1 >= b.size()) return b.back();
    const double f = double(g & ((uint64_t(1) << kFine) - 1)) / double(uint64_t(1) << kFine);
    return b[r] + (b[r + 1] - b[r]) * f;
  }
  double U(uint64_t g) const { return Param(bu_, g); }
  double V(uint64_t g) const { return Param(bv_, g); }

  // --- Triangles -----------------------------------------------------------------------------

  // Shape of the triangle (p, q, r) with the cell mapped to the unit square: area over the sum
  // of the squared sides (1/8 for half the square, at most about 0.144), negative when it
  // turns clockwise.
  static double EarShape(const Cell& c, const G& p, const G& q, const G& r) {
    const double wu = double(c.i1 - c.i0), wv = double(c.j1 - c.j0);
    const double px = (double(p.i) - double(c.i0)) / wu, py = (double(p.j) - double(c.j0)) / wv;
    const double qx = (double(q.i) - double(c.i0)) / wu, qy = (double(q.j) - double(c.j0)) / wv;
    const double rx = (double(r.i) - double(c.i0)) / wu, ry = (double(r.j) - double(c.j0)) / wv;
    const double area = 0.5 * ((qx - px) * (ry - py) - (qy - py) * (rx - px));
    const double sides = (qx - px) * (qx - px) + (qy - py) * (qy - py) + (rx - qx) * (rx - qx) +
                         (ry - qy) * (ry - qy) + (px - rx) * (px - rx) + (py - ry) * (py - ry);
    return area / sides;
  }
  static constexpr double kSliver = 0.02;

  // Each leaf's edges carry the corners of the leaves along them; a leaf with none is two
  // triangles, otherwise its ring is cut into ears. Leaves in order, so that the output does not
  // depend on the order of refinement.
  bool Triangles(std::vector<CPoint3d>& vertices, std::vector<CVector3d>& normals) {
    std::sort(leaves_.begin(), leaves_.end(), [](const Cell& a, const Cell& b) {
      return std::tie(a.j0, a.i0) < std::tie(b.j0, b.i0);
    });
    const uint64_t iMax = uint64_t(bu_.size() - 1) << kFine, jMax = uint64_t(bv_.size() - 1) << kFine;
    // Corners by line: (x, y) on the line u = x, and (y, x) on the line v = y. Across a closed
    // direction the last line is the first.
    auto lineU = [&](uint64_t x) { return closedU_ && x == iMax ? 0 : x; };
    auto lineV = [&](uint64_t y) { return closedV_ && y == jMax ? 0 : y; };
    std::vector<std::pair<uint64_t, uint64_t>> onU, onV;
    onU.reserve(4 * leaves_.size());
    onV.reserve(4 * leaves_.size());
    for (const Cell& c : leaves_)
      for (uint64_t x : {c.i0, c.i1})
        for (uint64_t y : {c.j0, c.j1}) {
          onU.emplace_back(lineU(x), y);
          onV.emplace_back(lineV(y), x);
        }
    for (auto* on : {&onU, &onV}) {
      std::sort(on->begin(), on->end());
      on->erase(std::unique(on->begin(), on->end()), on->end());
    }
    // Points strictly between a and b on a line, ascending.
    auto between = [](const std::vector<std::pair<uint64_t, uint64_t>>& on, uint64_t line,
                      uint64_t a, uint64_t b, std::vector<uint64_t>& out) {
      out.clear();
      for (auto it = std::upper_bound(on.begin(), on.end(), std::make_pair(line, a));
           it != on.end() && it->first == line && it->second < b; ++it)
        out.push_back(it->second);
    };
    std::vector<G> ring, work;
    std::vector<std::array<G, 3>> ears;
    std::vector<uint64_t> pts;
    for (const Cell& c : leaves_) {
      const uint64_t i0 = c.i0, i1 = c.i1, j0 = c.j0, j1 = c.j1;
      ring.clear();
      ring.push_back({i0, j0});
      between(onV, lineV(j0), i0, i1, pts);
      for (uint64_t x : pts) ring.push_back({x, j0});
      ring.push_back({i1, j0});
      between(onU, lineU(i1), j0, j1, pts);
      for (uint64_t y : pts) ring.push_back({i1, y});
      ring.push_back({i1, j1});
      between(onV, lineV(j1), i0, i1, pts);
      for (auto it = pts.rbegin(); it != pts.rend(); ++it) ring.push_back({*it, j1});
      ring.push_back({i0, j1});
      between(onU, lineU(i0), j0, j1, pts);
      for (auto it = pts.rbegin(); it != pts.rend(); ++it) ring.push_back({i0, *it});
      const G m{(i0 + i1) / 2, (j0 + j1) / 2};
      if (ring.size() == 4) {
        // The diagonal whose middle lies nearer the surface's centre point.
        const double* A = Point(ring[0]).p;
        const double* B = Point(ring[1]).p;
        const double* C = Point(ring[2]).p;
        const double* D = Point(ring[3]).p;
        const double* M = Point(m).p;
        double e0 = 0, e1 = 0;
        for (int k = 0; k < 3; ++k) {
          e0 += std::pow(0.5 * (A[k] + C[k]) - M[k], 2);
          e1 += std::pow(0.5 * (B[k] + D[k]) - M[k], 2);
        }
        if (!(e1 < e0)) {
          Triangle(ring[0], ring[1], ring[2], vertices, normals);
          Triangle(ring[0], ring[2], ring[3], vertices, normals);
        } else {
          Triangle(ring[0], ring[1], ring[3], vertices, normals);
          Triangle(ring[1], ring[2], ring[3], vertices, normals);
        }
        continue;
      }
      // Ears cut from the ring, the best-shaped first, at corners that turn (a point between
      // two others on an edge makes no triangle). When only slivers are left, a fan about the
      // centre instead.
      ears.clear();
      work.assign(ring.begin(), ring.end());
      while (work.size() > 3) {
        const size_t n = work.size();
        double bestQ = -1;
        size_t best = 0;
        for (size_t k = 0; k < n; ++k) {
          const double q = EarShape(c, work[(k + n - 1) % n], work[k], work[(k + 1) % n]);
          if (q > bestQ) bestQ = q, best = k;
        }
        if (bestQ < kSliver) break;
        ears.push_back({work[(best + n - 1) % n], work[best], work[(best + 1) % n]});
        work.erase(work.begin() + std::ptrdiff_t(best));
      }
      if (work.size() == 3 && EarShape(c, work[0], work[1], work[2]) >= kSliver) {
        ears.push_back({work[0], work[1], work[2]});
        for (const auto& e : ears) Triangle(e[0], e[1], e[2], vertices, normals);
      } else {
        for (size_t k = 0; k < ring.size(); ++k) Triangle(m, ring[k], ring[(k + 1) % ring.size()], vertices, normals);
      }
    }
    return true;
  }

  // --- Closed directions and collapsed edges -------------------------------------------------

  // Which edges of the domain meet in space, read from the net: a direction is closed when its
  // first and last control lines coincide, an edge collapses when its control line is one point.
  void Topology() {
    const int nu = s_.nu, nv = s_.nv;
    double scale = 0;
    for (const P4& q : s_.P)
      if (q[3] > 0)
        for (int c = 0; c < 3; ++c) scale = std::max(scale, std::fabs(q[size_t(c)] / q[3]));
    const double eps = 1e-12 * std::max(scale, 1.0);
    auto same = [&](const P4& a, const P4& b) {
      if (!(a[3] > 0) || !(b[3] > 0)) return false;
      for (int c = 0; c < 3; ++c)
        if (!(std::fabs(a[size_t(c)] / a[3] - b[size_t(c)] / b[3]) <= eps)) return false;
      return true;
    };
    auto identical = [&](const P4& a, const P4& b) {
      return same(a, b) && std::fabs(a[3] - b[3]) <= 1e-12 * std::max(a[3], b[3]);
    };
    closedU_ = closedV_ = true;
    for (int j = 0; j < nv; ++j) closedU_ = closedU_ && identical(s_.at(0, j), s_.at(nu - 1, j));
    for (int i = 0; i < nu; ++i) closedV_ = closedV_ && identical(s_.at(i, 0), s_.at(i, nv - 1));
    collapsed_[0] = collapsed_[2] = collapsed_[1] = collapsed_[3] = true;
    for (int i = 0; i < nu; ++i) {
      collapsed_[0] = collapsed_[0] && same(s_.at(i, 0), s_.at(0, 0));
      collapsed_[2] = collapsed_[2] && same(s_.at(i, nv - 1), s_.at(0, nv - 1));
    }
    for (int j = 0; j < nv; ++j) {
      collapsed_[3] = collapsed_[3] && same(s_.at(0, j), s_.at(0, 0));
      collapsed_[1] = collapsed_[1] && same(s_.at(nu - 1, j), s_.at(nu - 1, 0));
    }
  }
  // The grid point that stands for g: points that coincide in space share one.
  G Canon(G g) const {
    const uint64_t iMax = uint64_t(bu_.size() - 1) << kFine, jMax = uint64_t(bv_.size() - 1) << kFine;
    for (int pass = 0; pass < 3; ++pass) {
      if (collapsed_[0] && g.j == 0) g.i = 0;
      if (collapsed_[2] && g.j == jMax) g.i = 0;
      if (collapsed_[3] && g.i == 0) g.j = 0;
      if (collapsed_[1] && g.i == iMax) g.j = 0;
      if (closedU_ && g.i == iMax) g.i = 0;
      if (closedV_ && g.j == jMax) g.j = 0;
    }
    return g;
  }

  // --- Samples -------------------------------------------------------------------------------

  // The sample at a grid point, evaluated on first use. Open addressing: one allocation for
  // all samples instead of one per sample.
  Sample& Point(G g) {
    g = Canon(g);
    const uint64_t key = g.i * rowStride_ + g.j;
    if (2 * (count_ + 1) > slotKeys_.size()) Grow();
    const size_t mask = slotKeys_.size() - 1;
    size_t i = Mix(key) & mask;
    for (; slotIndex_[i] != kFree; i = (i + 1) & mask)
      if (slotKeys_[i] == key) return SampleAt(slotIndex_[i]);
    Sample s{};
    if (!BSRF_EvPos(srf_, U(g.i), V(g.j), s.p)) failed_ = true;
    for (double x : s.p)
      if (!std::isfinite(x)) failed_ = true;
    slotKeys_[i] = key;
    slotIndex_[i] = uint32_t(count_);
    if ((count_ & (kChunk - 1)) == 0) chunks_.push_back(std::make_unique<Sample[]>(kChunk));
    Sample& at = SampleAt(count_++);
    at = s;
    return at;
  }
  // Grid keys are multiples of large powers of two at coarse levels: mix every bit down.
  static uint64_t Mix(uint64_t k) {
    k ^= k >> 30;
    k *= 0xBF58476D1CE4E5B9ull;
    k ^= k >> 27;
    k *= 0x94D049BB133111EBull;
    return k ^ (k >> 31);
  }
  void Grow() {
    const size_t n = std::max<size_t>(1024, 2 * slotKeys_.size());
    std::vector<uint64_t> keys(n);
    std::vector<uint32_t> index(n, kFree);
    for (size_t i = 0; i < slotKeys_.size(); ++i) {
      if (slotIndex_[i] == kFree) continue;
      size_t k = Mix(slotKeys_[i]) & (n - 1);
      while (index[k] != kFree) k = (k + 1) & (n - 1);
      keys[k] = slotKeys_[i];
      index[k] = slotIndex_[i];
    }
    slotKeys_.swap(keys);
    slotIndex_.swap(index);
  }

  // One output triangle; one whose corners stand for fewer than three points (at a collapsed
  // edge) is left out.
  void Triangle(G a, G b, G c, std::vector<CPoint3d>& vertices, std::vector<CVector3d>& normals) {
    const G ca = Canon(a), cb = Canon(b), cc = Canon(c);
    auto eq = [](G x, G y) { return x.i == y.i && x.j == y.j; };
    if (eq(ca, cb) || eq(cb, cc) || eq(cc, ca)) return;
    for (G g : {ca, cb, cc}) {
      Sample& s = Point(g);
      if (!s.hasNormal) {
        double p[3], n[3];
        if (!BSRF_EvNormal(srf_, U(g.i), V(g.j), p, n)) n[0] = n[1] = n[2] = 0.0;  // a degenerate patch
        s.n[0] = n[0], s.n[1] = n[1], s.n[2] = n[2];
        s.hasNormal = true;
      }
      vertices.emplace_back(float(s.p[0]), float(s.p[1]), float(s.p[2]));
      normals.emplace_back(float(s.n[0]), float(s.n[1]), float(s.n[2]));
    }
  }

  // --- Deviation bound -----------------------------------------------------------------------

  // Terms of a bound on |S - T| over the cell (see bsrf::CellBound).
  Terms Bound(const Cell& cell) const {
    return bsrf::CellBound(s_, spanU_[size_t(cell.i0 >> kFine)], spanV_[size_t(cell.j0 >> kFine)],
                           U(cell.i0), U(cell.i1), V(cell.j0), V(cell.j1), rational_, target_,
                           rows_, net_);
  }

  // Border a/k of the way from x0 to x1, on a lattice of a 64th of the width (rounded
  // down to a power of two), so that borders of neighbouring cells either meet or keep apart
  // and no sliver forms between them. Cell borders lie on their own lattice, finer ones on
  // coarser ones.
  static uint64_t Cut(uint64_t x0, uint64_t x1, int a, int k) {
    if (a == 0) return x0;
    if (a == k) return x1;
    const uint64_t w = x1 - x0;
    uint64_t g = 1;
    while (g * 128 <= w) g *= 2;
    const uint64_t off = (w * uint64_t(a) + uint64_t(k) / 2) / uint64_t(k);
    return std::min(x1, x0 + (off + g / 2) / g * g);
  }
  // Parts across u and v for a cell whose bound is t. Where at most four parts each way meet
  // the tolerance (by the bound's scaling), the fewest cells that do; otherwise halves, across
  // u when its term is not small beside v's and the other way round (a twist alone halves
  // both), and the parts look again.
  void Split(const Terms& t, int& ku, int& kv) const {
    int best = 0;
    for (int a = 1; a <= 4; ++a)
      for (int b = 1; b <= 4; ++b) {
        // A part is at most a sixty-fourth wider than even.
        const double fa = std::min(1.0, 1.0 / a + 1.0 / 64), fb = std::min(1.0, 1.0 / b + 1.0 / 64);
        const Terms s{t.ss * fa * fa, t.st * fa * fb, t.tt * fb * fb};
        if (a * b > 1 && s.Sum() <= target_ && (best == 0 || a * b < best)) best = a * b, ku = a, kv = b;
      }
    if (best > 0) return;
    ku = t.ss < 0.25 * t.tt ? 1 : 2;
    kv = t.tt < 0.25 * t.ss ? 1 : 2;
  }

  // Leaves a cell is expected to end as: about its bound over the tolerance.
  double Expected(const Terms& t) const { return std::max(1.0, t.Sum() / target_); }

  const _nurbs_surface* srf_;
  const bsrf::Surf& s_;
  double target_ = 0;
  std::vector<double> bu_, bv_;
  std::vector<int> spanU_, spanV_;
  bool rational_ = false;  // the weights differ
  bool closedU_ = false, closedV_ = false;
  bool collapsed_[4] = {false, false, false, false};  // edges v = min, u = max, v = max, u = min
  mutable std::vector<P4> rows_, net_;
  uint64_t rowStride_ = 0;
  static constexpr uint32_t kFree = 0xFFFFFFFFu;
  std::vector<uint64_t> slotKeys_;
  std::vector<uint32_t> slotIndex_;
  // Samples in fixed chunks: references stay valid, and no block grows huge (a large block
  // comes fresh from the system, page by page, on every call).
  static constexpr size_t kChunk = 1024;
  std::vector<std::unique_ptr<Sample[]>> chunks_;
  size_t count_ = 0;
  Sample& SampleAt(size_t k) { return chunks_[k / kChunk][k % kChunk]; }
  std::vector<Cell> leaves_;
  bool failed_ = false;
};

}  // namespace

int CNurbsEditor::Tesselate(const _nurbs_surface* srf, double tol, std::vector<CPoint3d>& vertices,
                            std::vector<CVector3d>& normals, std::vector<int>& indices) {
  bsrf::Surf s;
  if (!(tol > 0) || !std::isfinite(tol) || !bsrf::FromSrf(srf, s)) return 0;
  std::vector<CPoint3d> v;
  std::vector<CVector3d> n;
  Tessellator t(srf, s, tol);
  if (!t.Run(v, n)) return 0;
  vertices.swap(v);
  normals.swap(n);
  indices.resize(vertices.size());
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = int(i);
  return 1;
}
