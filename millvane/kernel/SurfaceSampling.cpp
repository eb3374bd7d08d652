#include "millvane/kernel/SurfaceSampling.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
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

// A new cell with its bound: its corners' box grown by the cell's reach (SSI_CellReach).
int NewCell(SSI_SampleCache& c, int c0, int c1, int c2, int c3) {
  SSI_SampleCell cell;
  cell.corner[0] = c0, cell.corner[1] = c1, cell.corner[2] = c2, cell.corner[3] = c3;
  const double inf = std::numeric_limits<double>::infinity();
  for (int i = 0; i < 3; ++i) cell.bound[0][i] = -inf, cell.bound[1][i] = inf;
  const SSI_SampleNode* n[4];
  for (int k = 0; k < 4; ++k) n[k] = &c.nodes[size_t(cell.corner[k])];
  const double lo2[2] = {std::min(n[0]->uv[0], n[1]->uv[0]), std::min(n[0]->uv[1], n[3]->uv[1])};
  const double hi2[2] = {std::max(n[0]->uv[0], n[1]->uv[0]), std::max(n[0]->uv[1], n[3]->uv[1])};
  double g = SSI_CellReach(c.speed, lo2, hi2);
  if (std::isfinite(g)) {
    double lo[3], hi[3], mag = 1.0;
    for (int i = 0; i < 3; ++i) {
      lo[i] = hi[i] = n[0]->point[i];
      for (int k = 1; k < 4; ++k) {
        lo[i] = std::min(lo[i], n[k]->point[i]);
        hi[i] = std::max(hi[i], n[k]->point[i]);
      }
      mag = std::max({mag, std::fabs(lo[i]), std::fabs(hi[i])});
    }
    // Slack for the rounding of the patch boxes themselves.
    g = g * (1.0 + 1e-9) + 1e-12 * mag;
    if (std::isfinite(g))
      for (int i = 0; i < 3; ++i) cell.bound[0][i] = lo[i] - g, cell.bound[1][i] = hi[i] + g;
  }
  c.cells.push_back(cell);
  return int(c.cells.size()) - 1;
}

}  // namespace

void SSI_FreeSampleCache(void* cache) {
  if (!cache) return;
  auto* c = static_cast<SSI_SampleCache*>(cache);
  c->~SSI_SampleCache();
  KX_MemFree(c);
}

int SSI_StartSampling(SSI_SampleCache*& out, const ENT_Record* s, const _tagBox2D& box) {
  out = nullptr;
  if (!s || !SampleableBox(box)) return 0;
  void* mem = KX_MemAlloc(sizeof(SSI_SampleCache));
  if (!mem) return -1;
  auto* c = new (mem) SSI_SampleCache();
  c->box = box;
  c->chordTol = 5.0 * TOL_discretise[0];
  c->angleTol = 5.0 * TOL_discretise[1];
  c->stepTol = 5.0 * TOL_discretise[2];
  SSI_SetSpeedField(s, c->speed);
  // 3 x 3 grid, then its four cells in the order (u0, v0), (u1, v0), (u0, v1), (u1, v1).
  int g[3][3];
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) {
      const double u = box.min[0] + 0.5 * i * (box.max[0] - box.min[0]);
      const double v = box.min[1] + 0.5 * j * (box.max[1] - box.min[1]);
      if (!AddNode(*c, s, u, v, g[j][i])) {
        SSI_FreeSampleCache(c);
        return 0;
      }
    }
  for (int k = 0; k < 4; ++k) {
    const int i = k % 2, j = k / 2;
    c->roots[k] = NewCell(*c, g[j][i], g[j][i + 1], g[j + 1][i + 1], g[j + 1][i]);
  }
  out = c;
  return 1;
}

int SSI_LookAtCell(SSI_SampleCache& c, const ENT_Record* s, int index) {
  if (c.cells[size_t(index)].looked) return 1;
  if (++c.examined > kMaxPatches) return 0;
  int w[4];
  for (int k = 0; k < 4; ++k) w[k] = c.cells[size_t(index)].corner[k];
  const SSI_SampleNode* n[4];
  for (int k = 0; k < 4; ++k) n[k] = &c.nodes[size_t(w[k])];
  const double u0 = n[0]->uv[0], u1 = n[1]->uv[0], v0 = n[0]->uv[1], v1 = n[3]->uv[1];
  const double uc = 0.5 * (u0 + u1), vc = 0.5 * (v0 + v1);
  double C[3], N[3];
  if (SRF_EvPosNormal(N, s, C, uc, vc) != 1) return 0;
  const double chordTol = c.chordTol, angleTol = c.angleTol, stepTol = c.stepTol;
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
      p.corner[k] = w[k];
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
    c.patches.push_back(p);
    SSI_SampleCell& cell = c.cells[size_t(index)];
    cell.looked = true;
    cell.patch = int(c.patches.size()) - 1;
    for (int i = 0; i < 3; ++i)
      for (int m = 0; m < 2; ++m) cell.bound[m][i] = p.box[m][i];
    return 1;
  }
  // Cut the v range (across v) or the u range (across u); the lower (or left) half first.
  // A bent edge decides: normals turning along v call for a cut of the v range.
  const bool acrossV = bentEdge >= 0 ? (bentEdge == 1 || bentEdge == 3)
                                     : len[1] + len[3] >= len[0] + len[2];
  int m0, m1, k0, k1;
  if (acrossV) {
    const double vm = 0.5 * (v0 + v1);
    if (!AddNode(c, s, u0, vm, m0) || !AddNode(c, s, u1, vm, m1)) return 0;
    k0 = NewCell(c, w[0], w[1], m1, m0);
    k1 = NewCell(c, m0, m1, w[2], w[3]);
  } else {
    const double um = 0.5 * (u0 + u1);
    if (!AddNode(c, s, um, v0, m0) || !AddNode(c, s, um, v1, m1)) return 0;
    k0 = NewCell(c, w[0], m0, m1, w[3]);
    k1 = NewCell(c, m0, w[1], w[2], m1);
  }
  SSI_SampleCell& cell = c.cells[size_t(index)];
  cell.looked = true;
  cell.child[0] = k0;
  cell.child[1] = k1;
  return 1;
}

int SSI_SampleSurface(SSI_SampleCache*& out, const ENT_Record* s, const _tagBox2D& box) {
  const int rc = SSI_StartSampling(out, s, box);
  if (rc != 1) return rc;
  // Depth first, lower halves first: the patches come out in the order of their cells.
  std::vector<int> work(std::rbegin(out->roots), std::rend(out->roots));
  while (!work.empty()) {
    const int k = work.back();
    work.pop_back();
    if (SSI_LookAtCell(*out, s, k) != 1) {
      SSI_FreeSampleCache(out);
      out = nullptr;
      return 0;
    }
    const SSI_SampleCell& cell = out->cells[size_t(k)];
    if (cell.child[0] >= 0) {
      work.push_back(cell.child[1]);
      work.push_back(cell.child[0]);
    }
  }
  return 1;
}

