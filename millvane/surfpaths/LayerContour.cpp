#include "millvane/surfpaths/LayerContour.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "millvane/paths/IntLineSet.h"
#include "millvane/paths/ProtectNet.h"

namespace layer {
namespace {

using Seg = std::array<double, 4>;

int Clamp(int v, int hi) { return std::clamp(v, 0, std::max(hi - 1, 0)); }
double X(const CProtectNet& net, int c) { return net.xs[Clamp(c, net.cols)]; }
double Y(const CProtectNet& net, int r) { return net.ys[Clamp(r, net.rows)]; }

struct Box {
  double x0, y0, x1, y1;
};

Box RecordBox(const CProtectNet& net, const CellRecord& c) {
  return {X(net, c.colMin), Y(net, c.rowMin), X(net, c.colMax), Y(net, c.rowMax)};
}

// Parameter range of the segment inside the box (Liang-Barsky); false when it misses.
bool ClipRange(const Seg& s, const Box& b, double& t0, double& t1) {
  t0 = 0, t1 = 1;
  const double d[2] = {s[2] - s[0], s[3] - s[1]};
  const double p[2] = {s[0], s[1]};
  const double lo[2] = {b.x0, b.y0}, hi[2] = {b.x1, b.y1};
  for (int k = 0; k < 2; ++k) {
    if (std::fabs(d[k]) < 1e-15) {
      if (p[k] < lo[k] || p[k] > hi[k]) return false;
      continue;
    }
    double a = (lo[k] - p[k]) / d[k], e = (hi[k] - p[k]) / d[k];
    if (a > e) std::swap(a, e);
    t0 = std::max(t0, a);
    t1 = std::min(t1, e);
  }
  return t1 > t0;
}

Seg Part(const Seg& s, double a, double b) {
  const double dx = s[2] - s[0], dy = s[3] - s[1];
  return {s[0] + a * dx, s[1] + a * dy, s[0] + b * dx, s[1] + b * dy};
}

double Len(const Seg& s) { return std::hypot(s[2] - s[0], s[3] - s[1]); }

// Record frame: origin at the first corner, v pointing out of the covered region (across the
// diagonal for a corner record, across the axis for a step), u a quarter turn clockwise from v.
// The envelope in v is then the outermost section, and u runs against the border walk, so each
// record's piece leads into that of the record before it.
struct Frame {
  double ox, oy, ux, uy;
  Pt2 ToLocal(double x, double y) const {
    const double dx = x - ox, dy = y - oy;
    return {dx * ux + dy * uy, -dx * uy + dy * ux};
  }
  Pt2 ToWorld(const Pt2& p) const { return {ox + p[0] * ux - p[1] * uy, oy + p[0] * uy + p[1] * ux}; }
};

Frame RecordFrame(const CProtectNet& net, const CellRecord& c, bool flip) {
  const int dr = c.row1 - c.row0, dc = c.col1 - c.col0;
  double vx = 0, vy = 0;
  if (c.dir >= 4) {
    vx = dc, vy = dr;
  } else if (c.dir <= 1) {
    vy = dr > 0 ? 1 : -1;
  } else {
    vx = dc > 0 ? 1 : -1;
  }
  const double l = std::hypot(vx, vy);
  if (l > 0) vx /= l, vy /= l;
  else vy = 1;
  if (flip) vx = -vx, vy = -vy;
  return {X(net, c.col0), Y(net, c.row0), vy, -vx};
}

std::vector<SectSeg> LocalSegs(const Frame& f, const std::vector<Seg>& segs) {
  std::vector<SectSeg> out;
  out.reserve(segs.size());
  for (const Seg& s : segs) {
    const Pt2 a = f.ToLocal(s[0], s[1]), b = f.ToLocal(s[2], s[3]);
    out.push_back({a[0], a[1], b[0], b[1]});
  }
  return out;
}

std::vector<Seg> WorldSegs(const PtCurve& c) {
  std::vector<Seg> out;
  for (size_t i = 0; i + 1 < c.size(); ++i) out.push_back({c[i][0], c[i][1], c[i + 1][0], c[i + 1][1]});
  return out;
}

double Dist(const Pt2& a, const Pt2& b) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

double DistToPolyline(const Pt2& p, const PtCurve& c) {
  if (c.size() == 1) return Dist(p, c[0]);
  double best = 1e300;
  for (size_t i = 0; i + 1 < c.size(); ++i) best = std::min(best, PointSegDist(p, c[i], c[i + 1]));
  return best;
}

// Index of the first point of a nearer than 0.01 to b, else of the nearest (first of equals).
size_t NearestTo(const PtCurve& a, const PtCurve& b, double& gap) {
  size_t best = 0;
  gap = 1e300;
  for (size_t i = 0; i < a.size(); ++i) {
    const double d = DistToPolyline(a[i], b);
    if (d < 0.01) {
      gap = d;
      return i;
    }
    if (d < gap) gap = d, best = i;
  }
  return best;
}

// The envelope of a record's segments in its frame as a world polyline.
PtCurve RecordContour(const CProtectNet& net, const RecordSegs& r) {
  const Frame f = RecordFrame(net, r.cell, r.flip);
  std::vector<SectSeg> segs = LocalSegs(f, r.segs);
  SplitCrossingSegments(segs);
  CSectionProfile prof;
  prof.Build(segs);
  auto& n = prof.nodes;
  if (r.cell.kind == 2) {
    const Pt2 c1 = f.ToLocal(X(net, r.cell.col1), Y(net, r.cell.row1));
    const double lo = std::min(0.0, c1[0]), hi = std::max(0.0, c1[0]);
    while (n.size() >= 2 && n[0].u < lo - 0.02 && n[1].u < lo + 0.02) n.erase(n.begin());
    while (n.size() >= 2 && n.back().u > hi + 0.02 && n[n.size() - 2].u > hi - 0.02) n.pop_back();
  }
  PtCurve local, out;
  if (!prof.ToPolyline(local)) return out;
  for (const Pt2& p : local) out.push_back(f.ToWorld(p));
  // A turned record's u runs with the walk: its piece is reversed to lead into the one before.
  if (r.flip) std::reverse(out.begin(), out.end());
  return out;
}

bool IsAxis(const RecordSegs& r) { return r.cell.kind == 2; }

// Junction of two corner records in different directions: of the profile pieces of each, the
// pair that meets best is kept and the other pieces are dropped.
void ChooseJunction(const CProtectNet& net, std::vector<RecordSegs>& recs, size_t ia, size_t ib) {
  const size_t n = recs.size();
  RecordSegs& A = recs[ia];
  RecordSegs& B = recs[ib];
  const size_t before = (ia + n - 1) % n, after = (ib + 1) % n;
  if (before != ib && before != ia && recs[before].cell.dir == A.cell.dir) {
    A.segs.insert(A.segs.end(), recs[before].segs.begin(), recs[before].segs.end());
    recs[before].segs.clear();
  }
  if (after != ia && after != ib && recs[after].cell.dir == B.cell.dir) {
    B.segs.insert(B.segs.end(), recs[after].segs.begin(), recs[after].segs.end());
    recs[after].segs.clear();
  }
  // Curves in world coordinates, each running the way the contour is joined.
  auto curves = [&](const RecordSegs& r, const Frame& f) {
    std::vector<SectSeg> segs = LocalSegs(f, r.segs);
    SplitCrossingSegments(segs);
    CSectionProfile prof;
    prof.Build(segs);
    std::vector<PtCurve> cs;
    prof.ToCurves(-net.cell, 0.01, 0.05, cs);
    for (PtCurve& c : cs) {
      for (Pt2& p : c) p = f.ToWorld(p);
      if (r.flip) std::reverse(c.begin(), c.end());
    }
    return cs;
  };
  const Frame fa = RecordFrame(net, A.cell, A.flip), fb = RecordFrame(net, B.cell, B.flip);
  const std::vector<PtCurve> ca = curves(A, fa), cb = curves(B, fb);
  if (ca.empty() || cb.empty()) return;
  // The pieces run against the walk, so B's piece leads into A's: the pair is judged at the
  // ends that meet, B's last point and A's first. (Judging A's last against B's first compares
  // the far ends of the two cells, and can pick a section inside the region over the outline.)
  size_t ba = 0, bb = 0;
  double best = 1e300;
  for (size_t i = 0; i < ca.size(); ++i)
    for (size_t j = 0; j < cb.size(); ++j) {
      if (ca[i].empty() || cb[j].empty()) continue;
      const double d = Dist(cb[j].back(), ca[i].front());
      if (d < best) best = d, ba = i, bb = j;
    }
  if (best >= 1e300) return;
  // The choice is between the pieces that meet at the junction. The pieces beyond the chosen
  // one, on the side away from the junction, are the rest of the run's contour (a record joined
  // by its neighbour covers two cells, and a step in its envelope splits it into several
  // pieces): they stay, or the contour would cut straight across the material between the
  // junction and the next record. The list runs in increasing u, against the walk: away from
  // the junction in A, towards it in B (the other way round in a turned record).
  auto kept = [](const std::vector<PtCurve>& cs, size_t chosen, bool farFollow) {
    std::vector<Seg> out;
    for (size_t i = 0; i < cs.size(); ++i)
      if (i == chosen || (farFollow ? i > chosen : i < chosen)) {
        const std::vector<Seg> w = WorldSegs(cs[i]);
        out.insert(out.end(), w.begin(), w.end());
      }
    return out;
  };
  A.segs = kept(ca, ba, !A.flip);
  B.segs = kept(cb, bb, B.flip);
}

}  // namespace

void MarkSaddleRecords(const std::vector<Saddle>& saddles, std::vector<RecordSegs>& recs) {
  static constexpr uint8_t kOpposite[8] = {1, 0, 3, 2, 7, 6, 5, 4};
  for (RecordSegs& r : recs) {
    bool at = false;
    for (const Saddle& s : saddles) {
      // The record spans the saddle's 2 x 2 block: it faces the region on the other side.
      const int r0 = std::min(s.row[0], s.row[1]), r1 = std::max(s.row[0], s.row[1]);
      const int c0 = std::min(s.col[0], s.col[1]), c1 = std::max(s.col[0], s.col[1]);
      if (r.cell.rowMin == r0 && r.cell.rowMax == r1 && r.cell.colMin == c0 && r.cell.colMax == c1) at = true;
    }
    if (!at) continue;
    r.flip = true;
    if (r.cell.dir < 8) r.cell.dir = kOpposite[r.cell.dir];
  }
}

void AssignSections(const CProtectNet& net, const CIntLineSet& sections, std::vector<RecordSegs>& recs) {
  if (recs.empty() || net.rows <= 0 || net.cols <= 0 || !(net.cell > 0)) return;
  // Records by the net cells their boxes cover, so that each segment meets only its neighbours.
  std::unordered_map<long long, std::vector<int>> byCell;
  auto key = [&](int r, int c) { return static_cast<long long>(r) * net.cols + c; };
  // Corner records take their segments before the axis steps.
  std::vector<int> order;
  for (int pass = 0; pass < 2; ++pass)
    for (size_t i = 0; i < recs.size(); ++i)
      if (IsAxis(recs[i]) == (pass == 1)) order.push_back(static_cast<int>(i));
  std::vector<int> rank(recs.size());
  for (size_t k = 0; k < order.size(); ++k) rank[order[k]] = static_cast<int>(k);
  for (int i : order) {
    const CellRecord& c = recs[i].cell;
    for (int r = c.rowMin; r <= std::max(c.rowMin, c.rowMax - 1); ++r)
      for (int col = c.colMin; col <= std::max(c.colMin, c.colMax - 1); ++col) byCell[key(r, col)].push_back(i);
  }
  const double slack = 0.05 * net.cell;
  // The records' boxes together: a segment beyond it by more than the slack misses every
  // record, and the level's sections are mostly such for a small border.
  Box all{1e300, 1e300, -1e300, -1e300};
  for (const RecordSegs& r : recs) {
    const Box b = RecordBox(net, r.cell);
    all = {std::min({all.x0, b.x0, b.x1}), std::min({all.y0, b.y0, b.y1}),
           std::max({all.x1, b.x0, b.x1}), std::max({all.y1, b.y0, b.y1})};
  }
  std::vector<int> cand;
  std::vector<Seg> pieces, rest;
  for (const IntLineSeg* s = sections.head; s; s = s->next) {
    const Seg seg{s->s[0], s->s[1], s->e[0], s->e[1]};
    const double bx0 = std::min(seg[0], seg[2]) - slack, bx1 = std::max(seg[0], seg[2]) + slack;
    const double by0 = std::min(seg[1], seg[3]) - slack, by1 = std::max(seg[1], seg[3]) + slack;
    if (bx1 < all.x0 || bx0 > all.x1 || by1 < all.y0 || by0 > all.y1) continue;
    const int c0 = static_cast<int>(std::floor((bx0 - net.xs[0]) / net.cell)) - 1;
    const int c1 = static_cast<int>(std::floor((bx1 - net.xs[0]) / net.cell)) + 1;
    const int r0 = static_cast<int>(std::floor((by0 - net.ys[0]) / net.cell)) - 1;
    const int r1 = static_cast<int>(std::floor((by1 - net.ys[0]) / net.cell)) + 1;
    if (c1 < 0 || r1 < 0 || c0 >= net.cols || r0 >= net.rows) continue;
    cand.clear();
    const int rl = std::max(r0, 0), rh = std::min(r1, net.rows - 1), cl = std::max(c0, 0), ch = std::min(c1, net.cols - 1);
    // A segment spanning more cells than there are records tests every record instead.
    if (static_cast<double>(rh - rl + 1) * (ch - cl + 1) > static_cast<double>(recs.size())) {
      cand = order;
    } else {
      for (int r = rl; r <= rh; ++r)
        for (int c = cl; c <= ch; ++c) {
          auto it = byCell.find(key(r, c));
          if (it != byCell.end()) cand.insert(cand.end(), it->second.begin(), it->second.end());
        }
    }
    if (cand.empty()) continue;
    std::sort(cand.begin(), cand.end(), [&](int a, int b) { return rank[a] < rank[b]; });
    cand.erase(std::unique(cand.begin(), cand.end()), cand.end());
    pieces.assign(1, seg);
    for (int i : cand) {
      const Box b = RecordBox(net, recs[i].cell);
      rest.clear();
      for (const Seg& p : pieces) {
        const double px0 = std::min(p[0], p[2]), px1 = std::max(p[0], p[2]);
        const double py0 = std::min(p[1], p[3]), py1 = std::max(p[1], p[3]);
        if (px1 < b.x0 - slack || px0 > b.x1 + slack || py1 < b.y0 - slack || py0 > b.y1 + slack) {
          rest.push_back(p);
          continue;
        }
        // A piece that only touches the cell's outskirts lies in the neighbouring cell: left
        // over there by a record of the same cell, it is a section inside the covered area,
        // and taken as this record's whole envelope it would pull the contour in.
        double t0, t1;
        const Box grown{b.x0 - 0.005, b.y0 - 0.005, b.x1 + 0.005, b.y1 + 0.005};
        if (!ClipRange(p, grown, t0, t1) || (t1 - t0) * Len(p) <= 1e-9) {
          rest.push_back(p);
          continue;
        }
        if (px0 >= b.x0 - 0.05 && px1 <= b.x1 + 0.05 && py0 >= b.y0 - 0.05 && py1 <= b.y1 + 0.05) {
          recs[i].segs.push_back(p);
          continue;
        }
        const Seg in = Part(p, t0, t1);
        if (Len(in) > 1e-9) recs[i].segs.push_back(in);
        if (t0 > 0) {
          const Seg a = Part(p, 0, t0);
          if (Len(a) > 1e-9) rest.push_back(a);
        }
        if (t1 < 1) {
          const Seg a = Part(p, t1, 1);
          if (Len(a) > 1e-9) rest.push_back(a);
        }
      }
      pieces.swap(rest);
      if (pieces.empty()) break;
    }
  }
}

PtCurve ChainContour(const CProtectNet& net, std::vector<RecordSegs>& recs, double tol) {
  PtCurve out;
  recs.erase(std::remove_if(recs.begin(), recs.end(), [](const RecordSegs& r) { return r.segs.empty(); }),
             recs.end());
  const size_t n = recs.size();
  if (n == 0) return out;
  // Junctions between corner records of different directions.
  for (size_t i = 0; n > 1 && i < n; ++i) {
    const size_t j = (i + 1) % n;
    if (recs[i].cell.dir != recs[j].cell.dir && !IsAxis(recs[i]) && !IsAxis(recs[j]) && !recs[i].segs.empty() &&
        !recs[j].segs.empty())
      ChooseJunction(net, recs, i, j);
  }
  recs.erase(std::remove_if(recs.begin(), recs.end(), [](const RecordSegs& r) { return r.segs.empty(); }),
             recs.end());
  // Consecutive corner records of one direction become one.
  std::vector<RecordSegs> merged;
  for (RecordSegs& r : recs) {
    if (!merged.empty() && !IsAxis(r) && !IsAxis(merged.back()) && merged.back().cell.dir == r.cell.dir) {
      RecordSegs& m = merged.back();
      m.segs.insert(m.segs.end(), r.segs.begin(), r.segs.end());
      m.cell.rowMin = std::min(m.cell.rowMin, r.cell.rowMin);
      m.cell.rowMax = std::max(m.cell.rowMax, r.cell.rowMax);
      m.cell.colMin = std::min(m.cell.colMin, r.cell.colMin);
      m.cell.colMax = std::max(m.cell.colMax, r.cell.colMax);
    } else {
      merged.push_back(std::move(r));
    }
  }
  if (merged.size() > 1 && !IsAxis(merged.back()) && !IsAxis(merged.front()) &&
      merged.back().cell.dir == merged.front().cell.dir) {
    RecordSegs& m = merged.back();
    m.segs.insert(m.segs.end(), merged.front().segs.begin(), merged.front().segs.end());
    merged.erase(merged.begin());
  }
  std::vector<PtCurve> polys;
  for (const RecordSegs& r : merged) {
    PtCurve c = RecordContour(net, r);
    if (c.size() >= 2) polys.push_back(std::move(c));
  }
  const size_t m = polys.size();
  if (m == 0) return out;

  // Joints: the first piece leads into the last, then each piece into the one before it.
  std::vector<char> dropped(m, 0);
  std::vector<double> gapIn(m, 0.0);
  auto joint = [&](PtCurve& A, PtCurve& B, double& a, double& b) {
    const size_t ia = NearestTo(A, B, a);
    A.resize(ia + 1);
    const size_t ib = NearestTo(B, A, b);
    B.erase(B.begin(), B.begin() + static_cast<std::ptrdiff_t>(ib));
    if (b > a + 0.1) B.front() = A.back();
    else if (a > b + 0.1) A.back() = B.front();
  };
  if (m > 1) {
    double a, b;
    joint(polys[0], polys[m - 1], a, b);
    gapIn[m - 1] = b;
    Pt2 E = polys[0].back();
    for (size_t s = m - 1; s >= 1; --s) {
      const size_t p = s - 1;
      joint(polys[s], polys[p], a, b);
      gapIn[p] = b;
      const double g = gapIn[s] + a;
      if (g > 0.05 && Dist(E, polys[p].front()) < g) dropped[s] = 1;
      else E = polys[s].back();
    }
  }
  for (size_t k = m; k-- > 0;) {
    if (dropped[k]) continue;
    for (const Pt2& p : polys[k])
      if (out.empty() || Dist(out.back(), p) >= 0.01) out.push_back(p);
  }
  if (out.size() < 3) return {};
  SimplifyCurve(out, tol, true);
  CloseCurve(out);
  RemoveSmallDefects(out);
  SimplifyCurve(out, tol, true);
  if (out.size() < 3) return {};
  CloseCurve(out);
  return out;
}

void RemoveSmallDefects(PtCurve& c) {
  auto angle = [](const Pt2& at, const Pt2& a, const Pt2& b) {
    const double ux = a[0] - at[0], uy = a[1] - at[1], vx = b[0] - at[0], vy = b[1] - at[1];
    const double l = std::hypot(ux, uy) * std::hypot(vx, vy);
    if (l < 1e-18) return 0.0;
    return std::acos(std::clamp((ux * vx + uy * vy) / l, -1.0, 1.0));
  };
  constexpr double kRight = 1.5707963267948966, k135 = 2.356194490192345;
  for (size_t i = 0; c.size() >= 4 && i + 3 < c.size();) {
    const Pt2 &A = c[i], &B = c[i + 1], &C = c[i + 2], &D = c[i + 3];
    if (angle(C, B, D) <= kRight && PointSegDist(C, B, D) <= 0.2 && angle(B, A, D) > k135) {
      c.erase(c.begin() + static_cast<std::ptrdiff_t>(i + 2));
      continue;
    }
    const double bc = Dist(B, C);
    if (bc < 0.1 && Dist(A, D) > 5 * bc) {
      const double dB = PointSegDist(B, A, D), dC = PointSegDist(C, A, D);
      if (dB <= 0.02 && dC <= 0.02) {
        c.erase(c.begin() + static_cast<std::ptrdiff_t>(i + 1), c.begin() + static_cast<std::ptrdiff_t>(i + 3));
        continue;
      }
      if (dB <= 0.05 && dC <= 0.05) {
        c[i + 1] = {0.5 * (B[0] + C[0]), 0.5 * (B[1] + C[1])};
        c.erase(c.begin() + static_cast<std::ptrdiff_t>(i + 2));
        continue;
      }
    }
    ++i;
  }
}

namespace {

// The parts of a section that are not covered on both sides, added to out. A face's section can
// run on under a neighbouring face's cover without crossing that face's section (their offsets
// part at a fold), and the envelope would end the contour inside the cover: it is sampled every
// 0.05 and each run of open samples kept, its ends found to 0.001 between an open and a covered
// sample.
template <class Buried>
void Unburied(const Seg& s, const Buried& buriedAt, std::vector<Seg>& out) {
  const double l = std::hypot(s[2] - s[0], s[3] - s[1]);
  if (!(l > 1e-6)) return;
  const int n = std::max(2, static_cast<int>(std::ceil(l / 0.05)));
  std::vector<char> cov(n + 1);
  for (int i = 0; i <= n; ++i) cov[i] = buriedAt(s, double(i) / n) ? 1 : 0;
  auto edge = [&](double open, double covered) {
    while (std::fabs(open - covered) * l > 0.001) {
      const double m = 0.5 * (open + covered);
      (buriedAt(s, m) ? covered : open) = m;
    }
    return open;
  };
  auto at = [&](double t) { return Pt2{s[0] + t * (s[2] - s[0]), s[1] + t * (s[3] - s[1])}; };
  for (int i = 0; i <= n;) {
    if (cov[i]) {
      ++i;
      continue;
    }
    int j = i;
    while (j < n && !cov[j + 1]) ++j;
    const double t0 = i == 0 ? 0.0 : edge(double(i) / n, double(i - 1) / n);
    const double t1 = j == n ? 1.0 : edge(double(j) / n, double(j + 1) / n);
    if ((t1 - t0) * l > 1e-9) {
      const Pt2 a = at(t0), b = at(t1);
      out.push_back({a[0], a[1], b[0], b[1]});
    }
    i = j + 1;
  }
}

}  // namespace

void DropBuriedSegments(std::vector<RecordSegs>& recs, const AboveLevel& above) {
  if (!above) return;
  // Beyond the 0.01 by which a vertical face still raises a point beside it.
  constexpr double kOff = 0.02;
  auto buried = [&](const Seg& s) {
    const double dx = s[2] - s[0], dy = s[3] - s[1], l = std::hypot(dx, dy);
    if (!(l > 0)) return false;
    const double nx = -dy / l * kOff, ny = dx / l * kOff;
    for (double t : {0.5, 0.1, 0.9}) {
      const double x = s[0] + t * dx, y = s[1] + t * dy;
      if (!above(x + nx, y + ny) || !above(x - nx, y - ny)) return false;
    }
    return true;
  };
  // Covered on both sides just off the segment at t.
  auto buriedAt = [&](const Seg& s, double t) {
    const double dx = s[2] - s[0], dy = s[3] - s[1], l = std::hypot(dx, dy);
    const double nx = -dy / l * kOff, ny = dx / l * kOff;
    const double x = s[0] + t * dx, y = s[1] + t * dy;
    return above(x + nx, y + ny) && above(x - nx, y - ny);
  };
  for (RecordSegs& r : recs) {
    // A section that crosses another is cut there first: the part beyond the crossing may run
    // under the other part's cover while the rest is contour, and judged whole it would stay.
    std::vector<SectSeg> parts;
    parts.reserve(r.segs.size());
    for (const Seg& s : r.segs) parts.push_back({s[0], s[1], s[2], s[3]});
    SplitCrossingSegments(parts);
    r.segs.clear();
    for (const SectSeg& p : parts) {
      const Seg s{p.u0, p.v0, p.u1, p.v1};
      if (!buried(s)) Unburied(s, buriedAt, r.segs);
    }
  }
}

std::vector<PtCurve> LevelContours(CProtectNet& net, const CIntLineSet& sections, double z, double tol,
                                   bool exclude, const AboveLevel& above) {
  std::vector<PtCurve> out;
  std::vector<Saddle> saddles;
  std::vector<BorderChain> chains = LayerBorders(net, z, exclude, &saddles);
  for (const BorderChain& ch : chains) {
    if (ch.nodes.size() < 2) continue;
    std::vector<RecordSegs> recs;
    for (const CellRecord& c : CellRecords(ch)) recs.push_back({c, {}, false});
    MarkSaddleRecords(saddles, recs);
    AssignSections(net, sections, recs);
    DropBuriedSegments(recs, above);
    PtCurve c = ChainContour(net, recs, tol);
    if (c.size() >= 3) out.push_back(std::move(c));
  }
  return out;
}

std::vector<PtCurve> LevelBorderPolygons(CProtectNet& net, double z) {
  std::vector<PtCurve> out;
  for (const BorderChain& ch : LayerBorders(net, z, false)) {
    if (ch.nodes.size() < 3) continue;
    PtCurve c;
    for (const BorderNode& n : ch.nodes) {
      const Pt2 p{X(net, n.col), Y(net, n.row)};
      if (c.empty() || c.back() != p) c.push_back(p);
    }
    CloseCurve(c);
    if (c.size() >= 4) out.push_back(std::move(c));
  }
  return out;
}

}  // namespace layer
