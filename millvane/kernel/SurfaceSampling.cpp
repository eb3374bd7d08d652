#include "millvane/kernel/SurfaceSampling.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "millvane/kernel/KernelVec.h"
#include "millvane/kernel/SurfaceRecords.h"
#include "platform/numora/Memory.h"

namespace {

constexpr long kMaxPatches = 200000;

// A parameter box the sampler can walk: finite, ordered, not absurdly large.
bool SampleableBox(const _tagBox2D& b) {
  for (int i = 0; i < 2; ++i)
    if (!std::isfinite(b.min[i]) || !std::isfinite(b.max[i]) || !(b.min[i] < b.max[i]) ||
        std::fabs(b.min[i]) > 1e10 || std::fabs(b.max[i]) > 1e10)
      return false;
  return true;
}

bool AddNode(SSI_SampleCache& c, const ENT_Record* s, double u, double v, int& index) {
  SSI_SampleNode n;
  n.uv[0] = u;
  n.uv[1] = v;
  if (SRF_EvPosNormal(n.normal, s, n.point, u, v) != 1) return false;
  if (!std::isfinite(n.point[0] + n.point[1] + n.point[2])) return false;
  index = int(c.nodes.size());
  c.nodes.push_back(n);
  return true;
}

struct Work {
  int c[4];  // (u0, v0), (u1, v0), (u1, v1), (u0, v1)
};

}  // namespace

void SSI_FreeSampleCache(void* cache) {
  if (!cache) return;
  auto* c = static_cast<SSI_SampleCache*>(cache);
  c->~SSI_SampleCache();
  KX_MemFree(c);
}

int SSI_SampleSurface(SSI_SampleCache*& out, const ENT_Record* s, const _tagBox2D& box) {
  out = nullptr;
  if (!s || !SampleableBox(box)) return 0;
  void* mem = KX_MemAlloc(sizeof(SSI_SampleCache));
  if (!mem) return -1;
  auto* c = new (mem) SSI_SampleCache();
  c->box = box;
  const double chordTol = 5.0 * TOL_discretise[0], angleTol = 5.0 * TOL_discretise[1],
               stepTol = 5.0 * TOL_discretise[2];
  auto fail = [&]() {
    SSI_FreeSampleCache(c);
    return 0;
  };
  // 3 x 3 grid, then its four patches.
  int g[3][3];
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) {
      const double u = box.min[0] + 0.5 * i * (box.max[0] - box.min[0]);
      const double v = box.min[1] + 0.5 * j * (box.max[1] - box.min[1]);
      if (!AddNode(*c, s, u, v, g[j][i])) return fail();
    }
  std::vector<Work> work;
  for (int j = 1; j >= 0; --j)
    for (int i = 1; i >= 0; --i)
      work.push_back({{g[j][i], g[j][i + 1], g[j + 1][i + 1], g[j + 1][i]}});
  long examined = 0;
  while (!work.empty()) {
    if (++examined > kMaxPatches) return fail();
    const Work w = work.back();
    work.pop_back();
    const SSI_SampleNode* n[4];
    for (int k = 0; k < 4; ++k) n[k] = &c->nodes[size_t(w.c[k])];
    const double u0 = n[0]->uv[0], u1 = n[1]->uv[0], v0 = n[0]->uv[1], v1 = n[3]->uv[1];
    const double uc = 0.5 * (u0 + u1), vc = 0.5 * (v0 + v1);
    double C[3], N[3];
    if (SRF_EvPosNormal(N, s, C, uc, vc) != 1) return fail();
    // Edges: u-edge at v0, v-edge at u1, u-edge at v1, v-edge at u0.
    static constexpr int kEdge[4][2] = {{0, 1}, {1, 2}, {3, 2}, {0, 3}};
    double len[4];
    bool flat = true, small = true;
    for (int e = 0; e < 4; ++e) {
      len[e] = kv::Dist(n[kEdge[e][0]]->point, n[kEdge[e][1]]->point);
      if (!(len[e] <= stepTol)) flat = false;
      if (!(len[e] < 0.1 * stepTol)) small = false;
    }
    for (int k = 0; k < 4 && flat; ++k) {
      double d[3];
      kv::Sub(d, n[k]->point, C);
      if (!(std::fabs(kv::Dot(d, N)) <= chordTol)) flat = false;
    }
    // Normal test, edges in the order u-edge at v0, the v-edges, u-edge at v1.
    // An edge already too short to cut again that still turns is a crease of the surface
    // (a swept polyline's vertex): cutting across it would never end.
    int bentEdge = -1;
    if (!small)
      for (int e : {0, 1, 3, 2})
        if (!(len[e] < 0.1 * stepTol) &&
            !(kv::Dist(n[kEdge[e][0]]->normal, n[kEdge[e][1]]->normal) <= angleTol)) {
          bentEdge = e;
          break;
        }
    if (flat && bentEdge < 0) {
      SSI_Patch p;
      double mean[3] = {0, 0, 0};
      for (int k = 0; k < 4; ++k) {
        p.corner[k] = w.c[k];
        kv::Axpy(mean, mean, 0.25, n[k]->point);
      }
      const double grow = 2.0 * kv::Dist(mean, C);
      for (int i = 0; i < 3; ++i) {
        double lo = n[0]->point[i], hi = lo;
        for (int k = 1; k < 4; ++k) {
          lo = std::min(lo, n[k]->point[i]);
          hi = std::max(hi, n[k]->point[i]);
        }
        p.box[0][i] = lo - grow;
        p.box[1][i] = hi + grow;
      }
      p.centre[0] = uc;
      p.centre[1] = vc;
      c->patches.push_back(p);
      continue;
    }
    // Cut the v range (across v) or the u range (across u).
    // A bent edge decides: normals turning along v call for a cut of the v range.
    const bool acrossV = bentEdge >= 0 ? (bentEdge == 1 || bentEdge == 3)
                                       : len[1] + len[3] >= len[0] + len[2];
    int m0, m1;
    if (acrossV) {
      const double vm = 0.5 * (v0 + v1);
      if (!AddNode(*c, s, u0, vm, m0) || !AddNode(*c, s, u1, vm, m1)) return fail();
      work.push_back({{m0, m1, w.c[2], w.c[3]}});
      work.push_back({{w.c[0], w.c[1], m1, m0}});
    } else {
      const double um = 0.5 * (u0 + u1);
      if (!AddNode(*c, s, um, v0, m0) || !AddNode(*c, s, um, v1, m1)) return fail();
      work.push_back({{m0, w.c[1], w.c[2], m1}});
      work.push_back({{w.c[0], m0, m1, w.c[3]}});
    }
  }
  out = c;
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
