// Pairing of two samplings' patches whose boxes meet: a sweep over two complete samplings, and
// a walk down both sampling trees that looks only at cells whose bounds meet.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "millvane/kernel/SurfaceSampling.h"

namespace {

// Every two cells whose bounds meet within tol, down to their patches. Each pair of cells is
// reached once: a pair that meets cuts one of its two cells (the one that is not a patch yet,
// or the larger) and goes on with both halves against the other.
class DualWalk {
 public:
  DualWalk(SSI_SampleCache& a, const ENT_Record* sa, SSI_SampleCache& b, const ENT_Record* sb,
           double tol, std::vector<std::pair<int, int>>& pairs)
      : c_{&a, &b}, s_{sa, sb}, tol_(tol), pairs_(pairs) {}

  bool Visit(int x, int y) {
    const SSI_SampleCell& X = c_[0]->cells[size_t(x)];
    const SSI_SampleCell& Y = c_[1]->cells[size_t(y)];
    for (int i = 0; i < 3; ++i)
      if (!(X.bound[0][i] <= Y.bound[1][i] + tol_ && Y.bound[0][i] <= X.bound[1][i] + tol_))
        return true;
    if (X.patch >= 0 && Y.patch >= 0) {
      pairs_.emplace_back(X.patch, Y.patch);
      return true;
    }
    const int side = X.patch >= 0 ? 1 : Y.patch >= 0 ? 0 : Extent(X) >= Extent(Y) ? 0 : 1;
    const int k = side == 0 ? x : y;
    SSI_SampleCache& c = *c_[side];
    if (!c.cells[size_t(k)].looked) {
      if (SSI_LookAtCell(c, s_[side], k) != 1) return false;
      if (c.cells[size_t(k)].patch >= 0) return Visit(x, y);
    }
    const int k0 = c.cells[size_t(k)].child[0], k1 = c.cells[size_t(k)].child[1];
    for (int h : {k0, k1})
      if (!(side == 0 ? Visit(h, y) : Visit(x, h))) return false;
    // The halves' bounds, once they are known better, bound the cell too.
    SSI_SampleCell& cell = c.cells[size_t(k)];
    const SSI_SampleCell &h0 = c.cells[size_t(k0)], &h1 = c.cells[size_t(k1)];
    for (int i = 0; i < 3; ++i) {
      cell.bound[0][i] = std::max(cell.bound[0][i], std::min(h0.bound[0][i], h1.bound[0][i]));
      cell.bound[1][i] = std::min(cell.bound[1][i], std::max(h0.bound[1][i], h1.bound[1][i]));
    }
    return true;
  }

 private:
  static double Extent(const SSI_SampleCell& c) {
    double e = 0.0;
    for (int i = 0; i < 3; ++i) e = std::max(e, c.bound[1][i] - c.bound[0][i]);
    return e;
  }

  SSI_SampleCache* c_[2];
  const ENT_Record* s_[2];
  double tol_;
  std::vector<std::pair<int, int>>& pairs_;
};

// Position of every patch in the order of a complete sampling (depth first, first halves
// first); -1 for none.
std::vector<int> PatchRanks(const SSI_SampleCache& c) {
  std::vector<int> rank(c.patches.size(), -1);
  std::vector<int> work;
  for (int r : c.roots)
    if (r < 0) return rank;
  work.assign(std::rbegin(c.roots), std::rend(c.roots));
  int next = 0;
  while (!work.empty()) {
    const SSI_SampleCell& cell = c.cells[size_t(work.back())];
    work.pop_back();
    if (cell.patch >= 0) rank[size_t(cell.patch)] = next++;
    else if (cell.child[0] >= 0) {
      work.push_back(cell.child[1]);
      work.push_back(cell.child[0]);
    }
  }
  return rank;
}

}  // namespace

int SSI_PairSampled(SSI_SampleCache& a, const ENT_Record* srfA, SSI_SampleCache& b,
                    const ENT_Record* srfB, double tol, std::vector<std::pair<int, int>>& pairs) {
  pairs.clear();
  if (!srfA || !srfB) return 0;
  for (int r : a.roots)
    if (r < 0) return 0;
  for (int r : b.roots)
    if (r < 0) return 0;
  DualWalk walk(a, srfA, b, srfB, tol, pairs);
  for (int x : a.roots)
    for (int y : b.roots)
      if (!walk.Visit(x, y)) {
        pairs.clear();
        return 0;
      }
  const std::vector<int> ra = PatchRanks(a), rb = PatchRanks(b);
  std::sort(pairs.begin(), pairs.end(), [&](const std::pair<int, int>& p, const std::pair<int, int>& q) {
    const int pa = ra[size_t(p.first)], qa = ra[size_t(q.first)];
    if (pa != qa) return pa < qa;
    return rb[size_t(p.second)] < rb[size_t(q.second)];
  });
  return 1;
}

void SSI_PairPatches(const SSI_SampleCache& a, const SSI_SampleCache& b, double tol,
                     std::vector<std::pair<int, int>>& pairs) {
  pairs.clear();
  // Only patches that meet the other sampling's whole box take part. The region both whole
  // boxes share is cut into slabs across its second-longest side, and within each slab the
  // boxes are sorted and swept along its longest side: a box enters at its lower end, and the
  // boxes of the other sampling still open there are the only candidates.
  double whole[2][2][3];
  const std::vector<SSI_Patch>* lists[2] = {&a.patches, &b.patches};
  for (int side = 0; side < 2; ++side) {
    for (int i = 0; i < 3; ++i) whole[side][0][i] = 1e300, whole[side][1][i] = -1e300;
    for (const SSI_Patch& p : *lists[side])
      for (int i = 0; i < 3; ++i) {
        whole[side][0][i] = std::min(whole[side][0][i], p.box[0][i]);
        whole[side][1][i] = std::max(whole[side][1][i], p.box[1][i]);
      }
  }
  double shared[2][3], ext[3];
  for (int i = 0; i < 3; ++i) {
    shared[0][i] = std::max(whole[0][0][i], whole[1][0][i]) - tol;
    shared[1][i] = std::min(whole[0][1][i], whole[1][1][i]) + tol;
    ext[i] = shared[1][i] - shared[0][i];
  }
  if (!(ext[0] >= 0.0 && ext[1] >= 0.0 && ext[2] >= 0.0)) return;
  int axis = 0;
  for (int i = 1; i < 3; ++i)
    if (ext[i] > ext[axis]) axis = i;
  int across = axis == 0 ? 1 : 0;
  for (int i = 0; i < 3; ++i)
    if (i != axis && ext[i] > ext[across]) across = i;

  struct Entry {
    double x;
    int side;
    int index;
  };
  std::vector<Entry> entries;
  double sizeSum = 0.0;
  for (int side = 0; side < 2; ++side)
    for (size_t i = 0; i < lists[side]->size(); ++i) {
      const SSI_Patch& p = (*lists[side])[i];
      bool meets = true;
      for (int k = 0; k < 3 && meets; ++k)
        meets = p.box[0][k] <= whole[1 - side][1][k] + tol && whole[1 - side][0][k] <= p.box[1][k] + tol;
      if (!meets) continue;
      entries.push_back({p.box[0][axis], side, int(i)});
      sizeSum += p.box[1][across] - p.box[0][across];
    }
  if (entries.empty()) return;
  std::sort(entries.begin(), entries.end(), [](const Entry& p, const Entry& q) {
    if (p.x != q.x) return p.x < q.x;
    if (p.side != q.side) return p.side < q.side;
    return p.index < q.index;
  });
  // Slabs a few patches wide; a pair is reported only in the slab that holds the larger of
  // the two lower ends across, which lies inside both boxes (grown by tol).
  const double width = std::max(4.0 * sizeSum / double(entries.size()) + 2.0 * tol, ext[across] / 4096.0);
  const int slabs = std::max(1, int(std::min(4096.0, std::ceil(ext[across] / width))));
  auto slabOf = [&](double x) {
    return std::clamp(int((x - shared[0][across]) / width), 0, slabs - 1);
  };
  std::vector<std::vector<Entry>> inSlab(static_cast<size_t>(slabs));
  for (const Entry& e : entries) {
    const SSI_Patch& p = (*lists[e.side])[size_t(e.index)];
    const int s0 = slabOf(p.box[0][across] - tol), s1 = slabOf(p.box[1][across] + tol);
    for (int s = s0; s <= s1; ++s) inSlab[size_t(s)].push_back(e);
  }
  std::vector<int> open[2];
  for (int s = 0; s < slabs; ++s) {
    open[0].clear();
    open[1].clear();
    for (const Entry& e : inSlab[size_t(s)]) {
      const SSI_Patch& p = (*lists[e.side])[size_t(e.index)];
      std::vector<int>& other = open[1 - e.side];
      const std::vector<SSI_Patch>& olist = *lists[1 - e.side];
      size_t keep = 0;
      for (size_t k = 0; k < other.size(); ++k) {
        const SSI_Patch& q = olist[size_t(other[k])];
        if (q.box[1][axis] + tol < p.box[0][axis]) continue;  // closed for good: swept past
        other[keep++] = other[k];
        bool meet = true;
        for (int i = 0; i < 3 && meet; ++i)
          if (i != axis) meet = p.box[0][i] <= q.box[1][i] + tol && q.box[0][i] <= p.box[1][i] + tol;
        if (meet && slabOf(std::max(p.box[0][across], q.box[0][across])) == s)
          pairs.emplace_back(e.side == 0 ? e.index : other[k], e.side == 0 ? other[k] : e.index);
      }
      other.resize(keep);
      open[e.side].push_back(e.index);
    }
  }
  // Back into (iA, iB) order: start nodes are deduplicated and traced in that order.
  std::sort(pairs.begin(), pairs.end());
}
