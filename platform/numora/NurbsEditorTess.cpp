// CNurbsEditor::Tesselate: adaptive triangulation of a NURBS surface within a tolerance.
//
// The parameter domain is cut into its knot spans and each span is split into four while the
// surface strays from the cell's triangles by more than the tolerance, checked at a 5 x 5 set
// of points per cell. The quadtree is then balanced (neighbouring leaves differ by at most one
// level), so an edge carries at most one extra point from a finer neighbour. A leaf with such
// points, or one that two triangles do not fit, becomes a fan around its centre through those
// points; shared points are evaluated once, so neighbours meet without cracks.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/numora/NurbsEditor.h"

namespace {

class Tessellator {
 public:
  // du, dv: steps of a uniform grid within tol; only their ratio is used, to shape the cells.
  Tessellator(const _nurbs_surface* srf, double tol, double du, double dv) : srf_(srf), tol_(tol) {
    const double wu = srf->uKnots[srf->nu] - srf->uKnots[srf->ku - 1];
    const double wv = srf->vKnots[srf->nv] - srf->vKnots[srf->kv - 1];
    const double ru = du / wu, rv = dv / wv;
    Breaks(srf->uKnots, srf->ku - 1, srf->nu, ru < rv ? Parts(rv / ru) : 1, bu_);
    Breaks(srf->vKnots, srf->kv - 1, srf->nv, rv < ru ? Parts(ru / rv) : 1, bv_);
    rowStride_ = (uint64_t(bv_.size() - 1) << kFine) + 1;
  }

  bool Run(std::vector<CPoint3d>& vertices, std::vector<CVector3d>& normals) {
    const int64_t ru = int64_t(bu_.size()) - 1, rv = int64_t(bv_.size()) - 1;
    std::vector<uint64_t> work;
    for (int64_t j = 0; j < rv; ++j)
      for (int64_t i = 0; i < ru; ++i) work.push_back(CellKey(0, i, j));
    // Refine level by level, so that a surface that runs into the cell budget is left evenly
    // coarse rather than fine in one corner.
    for (size_t next = 0; next < work.size(); ++next) {
      const uint64_t key = work[next];
      Leaf leaf;
      if (!Measure(key, leaf)) return false;
      // Every queued cell ends as at least one leaf; a split adds three.
      const size_t planned = leaves_.size() + (work.size() - next);
      if (leaf.fanDev > tol_ && Level(key) < kMaxLevel && planned + 3 <= kMaxLeaves) {
        for (uint64_t c : Children(key)) work.push_back(c);
        continue;
      }
      leaves_.emplace(key, leaf);
    }
    work.clear();
    // Balance: split any leaf two or more levels coarser than an edge neighbour.
    for (const auto& kv : leaves_) work.push_back(kv.first);
    while (!work.empty()) {
      const uint64_t key = work.back();
      work.pop_back();
      if (!leaves_.count(key)) continue;
      const int L = Level(key);
      if (L < 2) continue;
      for (int d = 0; d < 4; ++d) {
        int64_t ni, nj;
        if (!Neighbour(key, d, ni, nj)) continue;
        const int l = FindLeaf(L, ni, nj);
        if (l < 0 || l >= L - 1) continue;
        const uint64_t coarse = CellKey(l, ni >> (L - l), nj >> (L - l));
        leaves_.erase(coarse);
        for (uint64_t c : Children(coarse)) {
          Leaf leaf;
          if (!Measure(c, leaf)) return false;
          leaves_.emplace(c, leaf);
          work.push_back(c);
        }
        work.push_back(key);  // look again: the neighbour may need another split
        break;
      }
    }
    // Triangles, leaf by leaf in key order so that the output does not depend on hashing.
    std::vector<uint64_t> keys;
    keys.reserve(leaves_.size());
    for (const auto& kv : leaves_) keys.push_back(kv.first);
    std::sort(keys.begin(), keys.end());
    auto put = [&](uint64_t gi, uint64_t gj) {
      Sample& s = Point(gi, gj);
      if (!s.hasNormal) {
        double p[3], n[3];
        if (!BSRF_EvNormal(srf_, U(gi), V(gj), p, n)) n[0] = n[1] = n[2] = 0.0;  // a degenerate patch
        s.n[0] = n[0], s.n[1] = n[1], s.n[2] = n[2];
        s.hasNormal = true;
      }
      vertices.emplace_back(float(s.p[0]), float(s.p[1]), float(s.p[2]));
      normals.emplace_back(float(s.n[0]), float(s.n[1]), float(s.n[2]));
    };
    for (uint64_t key : keys) {
      const Leaf& leaf = leaves_.at(key);
      const int L = Level(key);
      const uint64_t st = uint64_t(1) << (kFine - L), h = st / 2;
      const uint64_t i0 = uint64_t(CellI(key)) << (kFine - L), j0 = uint64_t(CellJ(key)) << (kFine - L);
      bool hanging[4];
      bool any = false;
      for (int d = 0; d < 4; ++d) {
        int64_t ni, nj;
        hanging[d] = Neighbour(key, d, ni, nj) && FindLeaf(L, ni, nj) == -1;
        any = any || hanging[d];
      }
      if (!any && leaf.twoDev <= tol_) {
        if (leaf.diagonal == 0) {
          put(i0, j0), put(i0 + st, j0), put(i0 + st, j0 + st);
          put(i0, j0), put(i0 + st, j0 + st), put(i0, j0 + st);
        } else {
          put(i0, j0), put(i0 + st, j0), put(i0, j0 + st);
          put(i0 + st, j0), put(i0 + st, j0 + st), put(i0, j0 + st);
        }
        continue;
      }
      // Boundary counter-clockwise from the lower-left corner, with the hanging midpoints.
      uint64_t ring[8][2];
      int n = 0;
      auto add = [&](uint64_t a, uint64_t b) { ring[n][0] = a, ring[n][1] = b, ++n; };
      add(i0, j0);
      if (hanging[0]) add(i0 + h, j0);
      add(i0 + st, j0);
      if (hanging[1]) add(i0 + st, j0 + h);
      add(i0 + st, j0 + st);
      if (hanging[2]) add(i0 + h, j0 + st);
      add(i0, j0 + st);
      if (hanging[3]) add(i0, j0 + h);
      for (int k = 0; k < n; ++k) {
        put(i0 + h, j0 + h);
        put(ring[k][0], ring[k][1]);
        put(ring[(k + 1) % n][0], ring[(k + 1) % n][1]);
      }
    }
    return true;
  }

 private:
  // Grid indices are counted at the finest level; a cell of level L spans 2^(kFine - L) of them.
  // Cells go two levels below kMaxLevel for their check points.
  static constexpr int kFine = 16;
  static constexpr int kMaxLevel = kFine - 2;
  static constexpr size_t kMaxLeaves = size_t(1) << 17;  // about the old grid's 512 x 512 at most
  static constexpr size_t kMaxSpans = 4096;

  struct Sample {
    double p[3];
    double n[3];
    bool hasNormal;
  };
  struct Leaf {
    double fanDev = 0;  // deviation of the four-triangle fan about the centre
    double twoDev = 0;  // of the better pair of triangles
    int diagonal = 0;   // 0: lower-left to upper-right, 1: the other
  };

  // A surface bent much more in one direction starts from cells that are narrow that way
  // (the quadtree itself splits both ways at once).
  static int Parts(double ratio) { return int(std::clamp(std::round(ratio), 1.0, 64.0)); }

  // Cell borders along one direction: the distinct knots of the domain, plus `parts` even
  // steps across it where they do not come close to a knot. A net with very many spans keeps
  // every k-th border.
  static void Breaks(const double* K, int p, int n, int parts, std::vector<double>& out) {
    for (int i = p; i <= n; ++i)
      if (out.empty() || K[i] > out.back()) out.push_back(K[i]);
    if (parts > 1) {
      const double a = K[p], w = K[n] - K[p];
      std::vector<double> knots(out);
      for (int k = 1; k < parts; ++k) {
        const double t = a + w * k / parts;
        const auto it = std::lower_bound(knots.begin(), knots.end(), t);
        const double gap = std::min(it == knots.end() ? w : *it - t, it == knots.begin() ? w : t - *(it - 1));
        if (gap > 0.25 * w / parts) out.push_back(t);
      }
      std::sort(out.begin(), out.end());
    }
    if (out.size() > kMaxSpans + 1) {
      std::vector<double> thin;
      const size_t step = (out.size() + kMaxSpans - 1) / kMaxSpans;
      for (size_t i = 0; i < out.size() - 1; i += step) thin.push_back(out[i]);
      thin.push_back(out.back());
      out.swap(thin);
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

  static uint64_t CellKey(int L, int64_t i, int64_t j) {
    return (uint64_t(L) << 58) | (uint64_t(i) << 29) | uint64_t(j);
  }
  static int Level(uint64_t k) { return int(k >> 58); }
  static int64_t CellI(uint64_t k) { return int64_t((k >> 29) & ((uint64_t(1) << 29) - 1)); }
  static int64_t CellJ(uint64_t k) { return int64_t(k & ((uint64_t(1) << 29) - 1)); }
  static std::array<uint64_t, 4> Children(uint64_t k) {
    const int L = Level(k) + 1;
    const int64_t i = 2 * CellI(k), j = 2 * CellJ(k);
    return {CellKey(L, i, j), CellKey(L, i + 1, j), CellKey(L, i + 1, j + 1), CellKey(L, i, j + 1)};
  }
  // Same-level neighbour across edge d (0 below, 1 right, 2 above, 3 left); false outside.
  bool Neighbour(uint64_t k, int d, int64_t& ni, int64_t& nj) const {
    static constexpr int dx[4] = {0, 1, 0, -1}, dy[4] = {-1, 0, 1, 0};
    const int L = Level(k);
    ni = CellI(k) + dx[d];
    nj = CellJ(k) + dy[d];
    const int64_t nu = int64_t(bu_.size() - 1) << L, nv = int64_t(bv_.size() - 1) << L;
    return ni >= 0 && nj >= 0 && ni < nu && nj < nv;
  }
  // Level of the leaf holding cell (L, i, j), or -1 when that cell is split further.
  int FindLeaf(int L, int64_t i, int64_t j) const {
    for (int l = L; l >= 0; --l)
      if (leaves_.count(CellKey(l, i >> (L - l), j >> (L - l)))) return l;
    return -1;
  }

  // The sample at a grid point, evaluated on first use. Open addressing: one allocation for
  // all samples instead of one per sample.
  Sample& Point(uint64_t gi, uint64_t gj) {
    const uint64_t key = gi * rowStride_ + gj;
    if (2 * (count_ + 1) > slotKeys_.size()) Grow();
    const size_t mask = slotKeys_.size() - 1;
    size_t i = Mix(key) & mask;
    for (; slotIndex_[i] != kFree; i = (i + 1) & mask)
      if (slotKeys_[i] == key) return SampleAt(slotIndex_[i]);
    Sample s{};
    if (!BSRF_EvPos(srf_, U(gi), V(gj), s.p)) failed_ = true;
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

  static bool Skipped(int a, int b) {
    return (a % 2 == 1 && (b == 0 || b == 4)) || (b % 2 == 1 && (a == 0 || a == 4));
  }

  // Deviations of a cell's triangulations from the surface at its 5 x 5 check points. The
  // interpolant at a check point is taken at the same parameters, which bounds the distance
  // from the triangles to the surface from above.
  bool Measure(uint64_t key, Leaf& leaf) {
    const int L = Level(key);
    const uint64_t q = uint64_t(1) << (kFine - L - 2);
    const uint64_t i0 = uint64_t(CellI(key)) << (kFine - L), j0 = uint64_t(CellJ(key)) << (kFine - L);
    // Points on the cell's half grid may become vertices and are kept; the others are only
    // looked at here. Quarter points along the edges are skipped: a chord strays most at
    // its middle.
    double P[5][5][3];
    for (int b = 0; b < 5; ++b)
      for (int a = 0; a < 5; ++a) {
        if (Skipped(a, b)) continue;
        if (a % 2 == 0 && b % 2 == 0) {
          const Sample& s = Point(i0 + a * q, j0 + b * q);
          for (int c = 0; c < 3; ++c) P[a][b][c] = s.p[c];
        } else if (!BSRF_EvPos(srf_, U(i0 + a * q), V(j0 + b * q), P[a][b])) {
          failed_ = true;
        }
      }
    if (failed_) return false;
    // Linear interpolation in the triangle (A, B, C) with parameter corners (a, b, c).
    auto interp = [](const double* A, const double* B, const double* C, const double a[2],
                     const double b[2], const double c[2], double x, double y, double out[3]) {
      const double det = (b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1]);
      const double wb = ((x - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (y - a[1])) / det;
      const double wc = ((b[0] - a[0]) * (y - a[1]) - (x - a[0]) * (b[1] - a[1])) / det;
      for (int k = 0; k < 3; ++k) out[k] = A[k] + wb * (B[k] - A[k]) + wc * (C[k] - A[k]);
    };
    auto dist = [](const double* p, const double* q3) {
      return std::sqrt((p[0] - q3[0]) * (p[0] - q3[0]) + (p[1] - q3[1]) * (p[1] - q3[1]) +
                       (p[2] - q3[2]) * (p[2] - q3[2]));
    };
    static const double c00[2] = {0, 0}, c10[2] = {1, 0}, c11[2] = {1, 1}, c01[2] = {0, 1},
                        cc[2] = {0.5, 0.5};
    const double *A = P[0][0], *B = P[4][0], *C = P[4][4], *D = P[0][4], *M = P[2][2];
    double fan = 0, diag0 = 0, diag1 = 0;
    for (int b = 0; b < 5; ++b)
      for (int a = 0; a < 5; ++a) {
        if (Skipped(a, b)) continue;
        const double x = a / 4.0, y = b / 4.0;
        double t[3];
        if (y <= x && y <= 1 - x) interp(M, A, B, cc, c00, c10, x, y, t);
        else if (x >= y && x >= 1 - y) interp(M, B, C, cc, c10, c11, x, y, t);
        else if (y >= x && y >= 1 - x) interp(M, C, D, cc, c11, c01, x, y, t);
        else interp(M, D, A, cc, c01, c00, x, y, t);
        fan = std::max(fan, dist(t, P[a][b]));
        if (x >= y) interp(A, B, C, c00, c10, c11, x, y, t);
        else interp(A, C, D, c00, c11, c01, x, y, t);
        diag0 = std::max(diag0, dist(t, P[a][b]));
        if (x + y <= 1) interp(A, B, D, c00, c10, c01, x, y, t);
        else interp(B, C, D, c10, c11, c01, x, y, t);
        diag1 = std::max(diag1, dist(t, P[a][b]));
      }
    // NaN (an unbounded surface) counts as too far, so the cell splits until the caps.
    leaf.fanDev = std::isnan(fan) ? 1e300 : fan;
    leaf.diagonal = diag1 < diag0 ? 1 : 0;
    leaf.twoDev = std::min(diag0, diag1);
    if (std::isnan(leaf.twoDev)) leaf.twoDev = 1e300;
    return true;
  }

  const _nurbs_surface* srf_;
  double tol_;
  std::vector<double> bu_, bv_;
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
  std::unordered_map<uint64_t, Leaf> leaves_;
  bool failed_ = false;
};

}  // namespace

int CNurbsEditor::Tesselate(const _nurbs_surface* srf, double tol, std::vector<CPoint3d>& vertices,
                            std::vector<CVector3d>& normals, std::vector<int>& indices) {
  double du, dv;
  if (!std::isfinite(tol) || !BSRF_GetMaxiStepLin(srf, tol, &du, &dv)) return 0;
  std::vector<CPoint3d> v;
  std::vector<CVector3d> n;
  Tessellator t(srf, tol, du, dv);
  if (!t.Run(v, n)) return 0;
  vertices.swap(v);
  normals.swap(n);
  indices.resize(vertices.size());
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = int(i);
  return 1;
}
