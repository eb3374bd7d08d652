#include "geometry/surfaces/GeTessDomain.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/surfaces/GeTrimSurf.h"
#include "geometry/surfaces/TessGraph.h"
#include "platform/numora/Line.h"

namespace {

using Pt = std::array<double, 2>;

constexpr int kTypeLine2d = 0x1;
constexpr int kTypePolyline2d = 0x20;
// Room for sampling lines in each direction, the extra lines through small loops included.
constexpr int kMaxSamples = 1000;

// Refines the samples of one direction (column d of the array) along the line where the other
// parameter is `fixed`: a span whose middle lies farther than tol from its chord in space is
// halved, until the interval count reaches the cap.
void RefineAlong(CGeTrimSurf* surface, double tol, double (*samples)[2], int d, double fixed,
                 double eps, int cap, int& count) {
  auto point = [&](double t, double p[3]) {
    p[0] = p[1] = p[2] = 0.0;
    if (d == 0)
      surface->GetPoint(t, fixed, p);
    else
      surface->GetPoint(fixed, t, p);
  };
  double p0[3], p1[3], pm[3];
  point(samples[0][d], p0);
  point(samples[1][d], p1);
  for (int k = 0; k < count;) {
    const double a = samples[k][d], b = samples[k + 1][d];
    point(0.5 * (a + b), pm);
    if (L3D_DistToPntEx(p0, p1, pm) > tol && b - a > eps) {
      if (count >= cap) return;
      for (int i = count + 1; i > k + 1; --i) samples[i][d] = samples[i - 1][d];
      samples[k + 1][d] = 0.5 * (a + b);
      ++count;
      std::copy(pm, pm + 3, p1);
      if (count >= cap) return;
    } else {
      ++k;
      std::copy(p1, p1 + 3, p0);
      if (k < count) point(samples[k + 1][d], p1);
    }
  }
}

// (u, v) of the boundary at t and its point in space (the origin without a surface).
void BoundPoint(CGeTrimBnd* b, CGeTrimSurf* surface, double t, double rec[5]) {
  rec[0] = rec[1] = rec[2] = 0.0;
  b->GetParaPoint(t, rec + 3);
  if (surface) surface->GetPoint(rec[3], rec[4], rec);
}

// A ring point and where it lies on its boundaries: the boundary and parameter of the curve
// arriving at it and of the curve leaving it (null on a straight boundary, whose chords are
// the boundary itself).
struct RingPt {
  Pt p;
  CGeTrimBnd* inB = nullptr;
  double inT = 0;
  CGeTrimBnd* outB = nullptr;
  double outT = 0;
};

// Nodes of one boundary from its start to its end: a polyline's vertices, a line's ends, or
// adaptive samples of any other curve, chords within tol of the surface, quarter by quarter.
// A chord is checked at its middle and at its quarter points: its distance from the curve
// need not peak at the middle.
void BoundaryPoints(CGeTrimBnd* b, CGeTrimSurf* surface, double tol, std::vector<RingPt>& out) {
  CGeCurve* c = b->m_pParaCrv;
  if (!c) return;
  if (c->GetType() == kTypePolyline2d) {
    auto* pl = static_cast<CGePolyline*>(c);
    for (int i = 0; i < pl->GetCount(); ++i) {
      RingPt r;
      pl->GetPoint(i, r.p.data());
      out.push_back(r);
    }
    return;
  }
  if (c->GetType() == kTypeLine2d) {
    RingPt s, e;
    c->GetStartPoint(s.p.data());
    c->GetEndPoint(e.p.data());
    out.push_back(s);
    out.push_back(e);
    return;
  }
  auto put = [&](const double rec[5], double t) {
    RingPt r;
    r.p = {rec[3], rec[4]};
    r.inB = r.outB = b;
    r.inT = r.outT = t;
    out.push_back(r);
  };
  double p0[5], p1[5], pm[5], pq[5];
  BoundPoint(b, surface, 0.0, p0);
  put(p0, 0.0);
  out.back().inB = nullptr;
  for (int q = 0; q < 4; ++q) {
    const double end = 0.25 * (q + 1);
    double t0 = 0.25 * q, t1 = end;
    BoundPoint(b, surface, t0, p0);
    BoundPoint(b, surface, t1, p1);
    int refinements = 0;
    while (std::fabs(t1 - t0) >= 1e-5) {
      const double tm = 0.5 * (t0 + t1);
      BoundPoint(b, surface, tm, pm);
      bool accept = refinements >= 200 || std::fabs(L2D_DistToPntEx(p0 + 3, p1 + 3, pm + 3)) <= 1e-8;
      if (!accept && L3D_DistToPntEx(p0, p1, pm) <= tol) {
        accept = true;
        for (double f : {0.25, 0.75}) {
          BoundPoint(b, surface, t0 + f * (t1 - t0), pq);
          accept = accept && L3D_DistToPntEx(p0, p1, pq) <= tol;
        }
      }
      if (!accept) {
        t1 = tm;
        std::copy(pm, pm + 5, p1);
        ++refinements;
        continue;
      }
      if (end - t1 < 1e-6) break;
      put(p1, t1);
      t0 = t1;
      std::copy(p1, p1 + 5, p0);
      t1 = end;
      BoundPoint(b, surface, t1, p1);
      refinements = 0;
    }
    BoundPoint(b, surface, end, p1);
    put(p1, end);
  }
  out.back().outB = nullptr;
}

// The loop's boundaries as one closed chain of (u, v) points: near-coincident neighbours
// merged, and the closing point dropped when it repeats the first.
std::vector<RingPt> LoopPoints(CGeTrimLoop* loop, double tol) {
  std::vector<RingPt> pts, chain;
  CGeTrimSurf* surface = loop->m_pOwner;
  for (POSITION pos = loop->m_BndList.GetHeadPosition(); pos;) {
    CGeTrimBnd* b = loop->m_BndList.GetNext(pos);
    if (!b) continue;
    chain.clear();
    BoundaryPoints(b, surface, tol, chain);
    for (const RingPt& r : chain) {
      if (!pts.empty() && std::fabs(r.p[0] - pts.back().p[0]) < 1e-7 &&
          std::fabs(r.p[1] - pts.back().p[1]) < 1e-7) {
        pts.back().p = r.p;
        pts.back().outB = r.outB;
        pts.back().outT = r.outT;
      } else {
        pts.push_back(r);
      }
    }
  }
  if (pts.size() >= 2 && std::fabs(pts.back().p[0] - pts.front().p[0]) < 1e-6 &&
      std::fabs(pts.back().p[1] - pts.front().p[1]) < 1e-6) {
    pts.front().inB = pts.back().inB;
    pts.front().inT = pts.back().inT;
    pts.pop_back();
  }
  return pts;
}

// Distance from q to the segment a b.
double SegmentDist(const Pt& a, const Pt& b, const Pt& q) {
  const double dx = b[0] - a[0], dy = b[1] - a[1], l2 = dx * dx + dy * dy;
  double t = l2 > 0 ? ((q[0] - a[0]) * dx + (q[1] - a[1]) * dy) / l2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(q[0] - a[0] - t * dx, q[1] - a[1] - t * dy);
}

// Splits chords of curved boundaries at the curve's middle while a point of the sampling grid
// lies within four times the curve's bulge from the chord's line, alongside the chord. A grid node that close would join
// the chord's ends in a sliver whose inside reaches past the trim curve; kept farther, every
// triangle on a chord lies on the domain's side of the curve.
void ClearGridPoints(std::vector<RingPt>& ring, const double (*samples)[2], const int counts[2]) {
  constexpr size_t kMaxRing = 200000;
  auto first = [&](int d, double x) {  // first sample of direction d not below x
    int lo = 0, hi = counts[d] + 1;
    while (lo < hi) {
      const int mid = (lo + hi) / 2;
      (samples[mid][d] < x ? lo = mid + 1 : hi = mid);
    }
    return lo;
  };
  for (size_t i = 0; i < ring.size() && ring.size() < kMaxRing;) {
    const RingPt& p = ring[i];
    const RingPt& q = ring[(i + 1) % ring.size()];
    if (!p.outB || p.outB != q.inB || !(q.inT > p.outT) ||
        std::hypot(q.p[0] - p.p[0], q.p[1] - p.p[1]) < 1e-9) {
      ++i;
      continue;
    }
    const double tm = 0.5 * (p.outT + q.inT);
    Pt mid;
    p.outB->GetParaPoint(tm, mid.data());
    const double band = 4 * SegmentDist(p.p, q.p, mid);
    // Grid points along the chord's line, out to a chord's length beyond either end: a
    // triangle may join the chord to a node just past its end.
    const double len = std::hypot(q.p[0] - p.p[0], q.p[1] - p.p[1]);
    bool near = false;
    if (band > 0 && std::isfinite(band)) {
      const double reach = std::max(band, len);
      const int u0 = first(0, std::min(p.p[0], q.p[0]) - reach), v0 = first(1, std::min(p.p[1], q.p[1]) - reach);
      const double u1 = std::max(p.p[0], q.p[0]) + reach, v1 = std::max(p.p[1], q.p[1]) + reach;
      for (int a = u0; !near && a <= counts[0] && samples[a][0] <= u1; ++a)
        for (int b = v0; !near && b <= counts[1] && samples[b][1] <= v1; ++b) {
          const double x = samples[a][0] - p.p[0], y = samples[b][1] - p.p[1];
          const double along = (x * (q.p[0] - p.p[0]) + y * (q.p[1] - p.p[1])) / len;
          const double across = std::fabs(x * (q.p[1] - p.p[1]) - y * (q.p[0] - p.p[0])) / len;
          near = across < band && along > -len && along < 2 * len;
        }
    }
    if (!near) {
      ++i;
      continue;
    }
    RingPt m;
    m.p = mid;
    m.inB = m.outB = p.outB;
    m.inT = m.outT = tm;
    ring.insert(ring.begin() + std::ptrdiff_t(i) + 1, m);  // look at the first half again
  }
}

// Splits a row's or column's ordered crossings into pairs enclosing the domain and fills each
// pair with the nodes `fill` makes between its two ends; a last unpaired crossing stands alone.
template <class Fill>
void FillPairs(const std::vector<CTessNode*>& crossings, Fill&& fill, std::vector<CTessNode*>& line,
               std::vector<char>& gapAfter) {
  line.clear();
  gapAfter.clear();
  for (size_t i = 0; i < crossings.size(); i += 2) {
    // A node listed twice closes one pair and opens the next without a gap.
    if (line.empty() || line.back() != crossings[i]) {
      if (!line.empty()) gapAfter.back() = 1;
      line.push_back(crossings[i]);
      gapAfter.push_back(0);
    }
    if (i + 1 >= crossings.size()) break;
    fill(crossings[i], crossings[i + 1], line, gapAfter);
    if (line.back() != crossings[i + 1]) {
      line.push_back(crossings[i + 1]);
      gapAfter.push_back(0);
    }
  }
}

// Meshes a trim domain: the loops' rings are cut by rows and columns of a sampling grid, the
// rows filled with grid nodes between their crossings, the columns linked through them, and
// the cells between closed by quads and boundary polygons.
class DomainMesher {
 public:
  int Run(CGeTrimLoopList* loops, double tol, CTessNode** nodes, CTessTriangle** cells) {
    if (!CollectRings(loops, tol) || rings_.empty()) return 0;
    PlaceSamples(tol);
    AddRings();
    nu_ = counts_[0] + 1;
    nv_ = counts_[1] + 1;
    AddRows();
    AddColumns();
    g_.AddQuads(rowHeads_);
    if (!g_.AddBoundaryPolygons()) return 0;
    g_.Release(nodes, cells);
    return 1;
  }

 private:
  struct LoopBox {
    double lo[2], hi[2];
  };

  // Every loop's ring and box; the surface is the first loop's owner. False when a ring holds
  // coordinates that are not numbers: they would make every comparison after fail silently.
  bool CollectRings(CGeTrimLoopList* loops, double tol) {
    bool first = true;
    for (POSITION pos = loops->GetHeadPosition(); pos;) {
      CGeTrimLoop* loop = loops->GetNext(pos);
      if (!loop) continue;
      if (first) surface_ = loop->m_pOwner;
      first = false;
      std::vector<RingPt> ring = LoopPoints(loop, tol);
      if (ring.empty()) continue;
      std::vector<Pt> pts;
      for (const RingPt& r : ring) pts.push_back(r.p);
      for (const Pt& p : pts)
        if (!std::isfinite(p[0]) || !std::isfinite(p[1])) return false;
      LoopBox b{{pts[0][0], pts[0][1]}, {pts[0][0], pts[0][1]}};
      for (const Pt& p : pts)
        for (int d = 0; d < 2; ++d) {
          b.lo[d] = std::min(b.lo[d], p[d]);
          b.hi[d] = std::max(b.hi[d], p[d]);
        }
      loopBoxes_.push_back(b);
      rings_.push_back(ring);
    }
    return true;
  }

  // The domain's box and the sampling lines across it.
  void PlaceSamples(double tol) {
    box_ = _tagBox2D{{loopBoxes_[0].lo[0], loopBoxes_[0].lo[1]},
                     {loopBoxes_[0].hi[0], loopBoxes_[0].hi[1]}};
    for (const LoopBox& b : loopBoxes_)
      for (int d = 0; d < 2; ++d) {
        box_.min[d] = std::min(box_.min[d], b.lo[d]);
        box_.max[d] = std::max(box_.max[d], b.hi[d]);
      }

    samples_ = std::make_unique<double[][2]>(kMaxSamples);
    if (surface_) {
      int caps[2] = {600, 600};
      geGetParamSamples(surface_, tol, &box_, samples_.get(), caps, counts_);
    }
    for (int d = 0; d < 2; ++d) {
      samples_[0][d] = box_.min[d];
      samples_[counts_[d]][d] = box_.max[d];
    }

    // A loop lying between two neighbouring lines in a direction gets a line through its
    // middle, so that every ring is cut by at least one row and one column.
    for (const LoopBox& b : loopBoxes_) {
      for (int d = 0; d < 2; ++d) {
        if (counts_[0] + 1 >= kMaxSamples || counts_[1] + 1 >= kMaxSamples) break;
        int k = 0;
        while (k + 1 <= counts_[d] && samples_[k + 1][d] < b.lo[d]) ++k;
        if (k + 1 > counts_[d] || !(samples_[k][d] < b.lo[d] && b.hi[d] < samples_[k + 1][d]))
          continue;
        for (int i = counts_[d] + 1; i > k + 1; --i) samples_[i][d] = samples_[i - 1][d];
        samples_[k + 1][d] = 0.5 * (b.lo[d] + b.hi[d]);
        ++counts_[d];
      }
    }
  }

  // Rings, their curved chords split where a grid point comes close; src_ keeps where each
  // node lies on the trim curves, by node index.
  void AddRings() {
    for (std::vector<RingPt>& ring : rings_) {
      ClearGridPoints(ring, samples_.get(), counts_);
      std::vector<Pt> pts;
      for (const RingPt& r : ring) pts.push_back(r.p);
      src_.resize(size_t(g_.NodeCount()));
      g_.AddRing(pts);
      src_.insert(src_.end(), ring.begin(), ring.end());
      src_.resize(size_t(g_.NodeCount()));
    }
  }

  // A line crossing a chord of a curved boundary meets the curve itself there: the node goes
  // onto the curve (found by bisection between the chord's ends), so that the mesh border
  // follows the trim and no grid node falls between chord and curve.
  double OnCurve(const CTessNode* a, const CTessNode* b, int axis, double c, double along) {
    const size_t made = size_t(g_.NodeCount());
    src_.resize(made + 1);
    const RingPt& ra = src_[size_t(a->index)];
    const RingPt& rb = src_[size_t(b->index)];
    CGeTrimBnd* bnd = ra.outB;
    if (!bnd || bnd != rb.inB) return along;
    double t0 = ra.outT, t1 = rb.inT, uv[2];
    bnd->GetParaPoint(t0, uv);
    const double f0 = uv[axis] - c;
    bnd->GetParaPoint(t1, uv);
    if (!(f0 * (uv[axis] - c) < 0)) return along;
    for (int k = 0; k < 60 && t1 != t0; ++k) {
      const double tm = 0.5 * (t0 + t1);
      bnd->GetParaPoint(tm, uv);
      ((uv[axis] - c) * f0 > 0 ? t0 : t1) = tm;
    }
    const double t = 0.5 * (t0 + t1);
    bnd->GetParaPoint(t, uv);
    if (!std::isfinite(uv[1 - axis])) return along;
    RingPt& r = src_[made];
    r.p = axis == 1 ? Pt{uv[0], c} : Pt{c, uv[1]};
    r.inB = r.outB = bnd;
    r.inT = r.outT = t;
    return uv[1 - axis];
  }

  // Rows, top down; each filled with grid nodes at the u samples between its crossing pairs.
  void AddRows() {
    const CTessGraph::SLineRule rowRule{1e-8, 1e-8, 0.99999999};
    for (int k = nv_ - 2; k >= 1; --k) {
      const double y = samples_[k][1];
      if (y >= box_.max[1] + 1e-8) continue;
      if (y <= box_.min[1] - 1e-8) break;
      line_ = g_.Cross(1, y, rowRule, onCurve_);
      if (line_.empty()) continue;
      FillPairs(
          line_,
          [&](CTessNode* a, CTessNode* b, std::vector<CTessNode*>& out, std::vector<char>& gap) {
            const double lo = a->u + 1e-8, hi = b->u - 1e-8;
            int i = static_cast<int>(std::upper_bound(samples_.get(), samples_.get() + nu_, lo,
                                                      [](double x, const double(&s)[2]) {
                                                        return x < s[0];
                                                      }) -
                                     samples_.get());
            for (; i < nu_ && samples_[i][0] < hi; ++i) {
              if (!(samples_[i][0] > lo)) continue;
              out.push_back(g_.NewNode(samples_[i][0], y));
              gap.push_back(0);
            }
          },
          full_, gaps_);
      g_.LinkLine(1, full_, gaps_);
      rowHeads_.push_back(full_.front());
      rowNodes_.push_back(full_);
      rowV_.push_back(y);
    }
  }

  // The row node at (x, y): rows and their nodes are searched by bisection rather than walked.
  CTessNode* GridNode(double x, double y) const {
    const size_t r = static_cast<size_t>(
        std::partition_point(rowV_.begin(), rowV_.end(),
                             [y](double v) { return !(v < y + 1e-8); }) -
        rowV_.begin());
    if (r >= rowV_.size() || !(rowV_[r] > y - 1e-8)) return nullptr;
    const std::vector<CTessNode*>& row = rowNodes_[r];
    auto it = std::partition_point(row.begin(), row.end(),
                                   [x](const CTessNode* n) { return !(n->u > x - 1e-8); });
    return it != row.end() && (*it)->u < x + 1e-8 ? *it : nullptr;
  }

  // Columns, left to right; each takes the row nodes at the v samples between its pairs.
  void AddColumns() {
    const CTessGraph::SLineRule colRule{1.2e-8, 1e-8, 0.99999999};
    for (int k = 1; k <= nu_ - 2; ++k) {
      const double x = samples_[k][0];
      if (x <= box_.min[0] + 1e-8) continue;
      if (x >= box_.max[0] - 1e-8) break;
      line_ = g_.Cross(0, x, colRule, onCurve_);
      if (line_.empty()) continue;
      FillPairs(
          line_,
          [&](CTessNode* top, CTessNode* bottom, std::vector<CTessNode*>& out,
              std::vector<char>& gap) {
            const double hi = top->v - 1.2e-8, lo = bottom->v + 1.2e-8;
            int i = static_cast<int>(std::partition_point(samples_.get(), samples_.get() + nv_,
                                                          [hi](const double(&s)[2]) {
                                                            return s[1] < hi;
                                                          }) -
                                     samples_.get()) -
                    1;
            for (; i >= 0 && samples_[i][1] > lo; --i) {
              CTessNode* n = GridNode(x, samples_[i][1]);
              if (!n || g_.InColumn(n)) continue;
              g_.MarkInColumn(n);
              out.push_back(n);
              gap.push_back(0);
            }
          },
          full_, gaps_);
      g_.LinkLine(0, full_, gaps_);
    }
  }

  CTessGraph g_;
  CGeTrimSurf* surface_ = nullptr;
  std::vector<LoopBox> loopBoxes_;
  std::vector<std::vector<RingPt>> rings_;
  _tagBox2D box_{{0.0, 0.0}, {0.0, 0.0}};
  std::unique_ptr<double[][2]> samples_;
  int counts_[2] = {1, 1};
  int nu_ = 0, nv_ = 0;
  std::vector<RingPt> src_;
  const CTessGraph::Locate onCurve_ = [this](const CTessNode* a, const CTessNode* b, int axis,
                                             double c, double along) {
    return OnCurve(a, b, axis, c, along);
  };
  std::vector<CTessNode*> line_, full_;
  std::vector<char> gaps_;
  std::vector<CTessNode*> rowHeads_;
  std::vector<std::vector<CTessNode*>> rowNodes_;  // each row in ascending u
  std::vector<double> rowV_;                       // descending
};

}  // namespace

int geGetParamSamples(CGeTrimSurf* surface, double tol, _tagBox2D* box, double (*samples)[2],
                      int* caps, int* counts) {
  double step[2] = {0.02, 0.02};
  if (surface) surface->GetDiscreteStep(tol, step[0], step[1]);
  double eps[2] = {0.0, 0.0};
  for (int d = 0; d < 2; ++d) {
    const double range = box->max[d] - box->min[d];
    const double want = std::ceil(range / step[d]);
    // Steps that are zero, negative or not numbers give the fewest lines rather than an
    // unbounded count.
    int n = want >= caps[d] ? caps[d] - 1 : (want > 2 ? static_cast<int>(want) : 2);
    if (n <= 2) n = 2;
    for (int k = 0; k <= n; ++k) samples[k][d] = box->min[d] + k * (range / n);
    counts[d] = n;
    eps[d] = range / 1e4;
  }
  if (surface) {
    const double mid[2] = {0.5 * (box->min[0] + box->max[0]), 0.5 * (box->min[1] + box->max[1])};
    for (int d = 0; d < 2; ++d)
      for (double fixed : {box->min[1 - d], mid[1 - d], box->max[1 - d]})
        RefineAlong(surface, tol, samples, d, fixed, eps[d], caps[d], counts[d]);
  }
  return 1;
}

int geGetSampleInterval(const double (*samples)[2], int count, double value, int code) {
  const int d = code == 1301 ? 1 : 0;
  if (!samples || count < 1 || !(value >= samples[0][d])) return -1;
  if (value >= samples[count - 1][d]) return count - 1;
  int lo = 0, hi = count - 1;  // samples[lo] <= value < samples[hi]
  while (hi - lo > 1) {
    const int mid = (lo + hi) / 2;
    (samples[mid][d] <= value ? lo : hi) = mid;
  }
  return lo;
}

int geTessTrimDomain(CGeTrimLoopList* loops, double tol, CTessNode** nodes, CTessTriangle** cells) {
  if (!loops || loops->IsEmpty() || !nodes || !cells) return 0;
  return DomainMesher().Run(loops, tol, nodes, cells);
}
