#include "millvane/paths/CenterSection.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "millvane/paths/IntLineSet.h"
#include "millvane/paths/ProtectNet.h"

namespace centre {

namespace {

bool Near2(const Pt2& a, const Pt2& b, double t) { return std::hypot(a[0] - b[0], a[1] - b[1]) < t; }

void AddUnique(std::vector<Pt2>& out, const Pt2& p, double t) {
  for (const Pt2& q : out)
    if (Near2(p, q, t)) return;
  out.push_back(p);
}

// Cut of a polygon by the plane where coordinate `axis` equals c; the result holds the other
// two coordinates (x and the remaining one).
std::vector<Pt2> CutFace(const double* const* v, int n, double c, int axis, int other, double dedup) {
  std::vector<Pt2> out;
  const double tol = 0.0001;
  for (int i = 0; i < n; ++i) {
    const double* a = v[i];
    const double* b = v[(i + 1) % n];
    const bool aOn = std::fabs(a[axis] - c) <= tol, bOn = std::fabs(b[axis] - c) <= tol;
    if (aOn && bOn) return {Pt2{a[0], a[other]}, Pt2{b[0], b[other]}};
    const double lo = std::min(a[axis], b[axis]), hi = std::max(a[axis], b[axis]);
    if (c < lo - tol || c > hi + tol) continue;
    Pt2 p;
    if (aOn) {
      p = {a[0], a[other]};
    } else if (bOn) {
      p = {b[0], b[other]};
    } else {
      const double f = (c - a[axis]) / (b[axis] - a[axis]);
      p = {a[0] + f * (b[0] - a[0]), a[other] + f * (b[other] - a[other])};
    }
    AddUnique(out, p, dedup);
  }
  return out;
}

double SignedDist2(const Pt2& p, const Pt2& a, const Pt2& b) {
  const double dx = b[0] - a[0], dy = b[1] - a[1], l = std::hypot(dx, dy);
  if (l < 1e-12) return std::hypot(p[0] - a[0], p[1] - a[1]);
  return ((p[0] - a[0]) * dy - (p[1] - a[1]) * dx) / l;
}

double Dist3ToLine(const Pt3& p, const Pt3& a, const Pt3& b) {
  const double d[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double w[3] = {p[0] - a[0], p[1] - a[1], p[2] - a[2]};
  const double l2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  if (l2 < 1e-24) return std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
  const double c[3] = {w[1] * d[2] - w[2] * d[1], w[2] * d[0] - w[0] * d[2], w[0] * d[1] - w[1] * d[0]};
  return std::sqrt((c[0] * c[0] + c[1] * c[1] + c[2] * c[2]) / l2);
}

// Greedy run simplification: from each kept point the run grows while every skipped point lies
// within t of the chord.
template <class P, class Dist>
void SimplifyRuns(std::vector<P>& pts, double t, Dist dist) {
  if (pts.size() < 3) return;
  std::vector<P> out{pts[0]};
  size_t k = 0;
  while (k + 1 < pts.size()) {
    size_t j = k + 1;
    while (j + 1 < pts.size()) {
      bool ok = true;
      for (size_t m = k + 1; m <= j && ok; ++m) ok = dist(pts[m], pts[k], pts[j + 1]) <= t;
      if (!ok) break;
      ++j;
    }
    out.push_back(pts[j]);
    k = j;
  }
  pts.swap(out);
}

}  // namespace

std::vector<Pt2> CutFaceZ(const double* const* v, int n, double h) { return CutFace(v, n, h, 2, 1, 0.01); }

std::vector<Pt2> CutFaceY(const double* const* v, int n, double c) { return CutFace(v, n, c, 1, 2, 0.0001); }

bool KeepZSegment(const CProtectNet& net, double h, const Pt2& a, const Pt2& b) {
  const double low = net.LowestInBox(std::min(a[0], b[0]), std::min(a[1], b[1]), std::max(a[0], b[0]),
                                     std::max(a[1], b[1]));
  return low < h + 5 + 0.1;
}

bool KeepYSegment(const CProtectNet& net, double y, const Pt2& a, const Pt2& b) {
  const double low = net.LowestInBox(std::min(a[0], b[0]), y, std::max(a[0], b[0]), y);
  return std::max(a[1], b[1]) + 5 + 0.1 > low;
}

int AddFaceCut(CIntLineSet& set, const CProtectNet& net, const std::vector<Pt2>& cut, bool zSection) {
  int added = 0;
  for (size_t i = 0; i < cut.size(); ++i)
    for (size_t j = i + 1; j < cut.size(); ++j) {
      const bool keep = zSection ? KeepZSegment(net, set.level, cut[i], cut[j])
                                 : KeepYSegment(net, set.level, cut[i], cut[j]);
      if (keep) added += set.AddLine(cut[i].data(), cut[j].data());
    }
  return added;
}

bool RaiseToFace(const double* const* v, int n, double x, double y, double& z) {
  std::vector<Pt2> cut;  // (x, z)
  for (int i = 0; i < n; ++i) {
    const double* a = v[i];
    const double* b = v[(i + 1) % n];
    const double dy = b[1] - a[1];
    if (std::fabs(dy) < 1e-6) {
      if (std::fabs(a[1] - y) < 1e-6) {
        AddUnique(cut, {a[0], a[2]}, 1e-9);
        AddUnique(cut, {b[0], b[2]}, 1e-9);
      }
      continue;
    }
    if (y < std::min(a[1], b[1]) || y > std::max(a[1], b[1])) continue;
    const double f = (y - a[1]) / dy;
    AddUnique(cut, {a[0] + f * (b[0] - a[0]), a[2] + f * (b[2] - a[2])}, 1e-9);
  }
  if (cut.size() != 2) return false;
  const Pt2& p = cut[0];
  const Pt2& q = cut[1];
  double h = -std::numeric_limits<double>::infinity();
  const double lo = std::min(p[0], q[0]), hi = std::max(p[0], q[0]);
  if (x > lo && x < hi) {
    h = p[1] + (x - p[0]) / (q[0] - p[0]) * (q[1] - p[1]);
  } else if (std::fabs(x - p[0]) <= 0.01) {
    h = p[1];
  } else if (std::fabs(x - q[0]) <= 0.01) {
    h = q[1];
  }
  if (h > z) {
    z = h;
    return true;
  }
  return false;
}

void RemoveDuplicateSegments(CIntLineSet& set, double t) {
  std::vector<IntLineSeg*> segs;
  for (IntLineSeg* s = set.head; s; s = s->next) segs.push_back(s);
  auto lowX = [](const IntLineSeg* s) { return std::min(s->s[0], s->e[0]); };
  std::sort(segs.begin(), segs.end(), [&](const IntLineSeg* a, const IntLineSeg* b) { return lowX(a) < lowX(b); });
  auto same = [t](const double* a, const double* b) {
    return std::fabs(a[0] - b[0]) <= t && std::fabs(a[1] - b[1]) <= t;
  };
  std::vector<char> dup(segs.size(), 0);
  for (size_t i = 0; i < segs.size(); ++i) {
    if (dup[i]) continue;
    const IntLineSeg* a = segs[i];
    for (size_t j = i + 1; j < segs.size() && lowX(segs[j]) <= lowX(a) + t; ++j) {
      const IntLineSeg* b = segs[j];
      if ((same(a->s, b->s) && same(a->e, b->e)) || (same(a->s, b->e) && same(a->e, b->s))) dup[j] = 1;
    }
  }
  for (size_t i = 0; i < segs.size(); ++i)
    if (dup[i]) set.Remove(segs[i]);
}

void JoinSegments(CIntLineSet& set, double t) {
  RemoveDuplicateSegments(set, t);
  std::vector<std::vector<Pt2>> lines;
  auto near = [t](const double* a, const Pt2& b) {
    return std::fabs(a[0] - b[0]) <= t && std::fabs(a[1] - b[1]) <= t;
  };
  while (set.head) {
    IntLineSeg* first = set.head;
    std::vector<Pt2> pl{Pt2{first->s[0], first->s[1]}, Pt2{first->e[0], first->e[1]}};
    set.Remove(first);
    for (int side = 0; side < 2; ++side) {
      for (bool grew = true; grew;) {
        grew = false;
        for (IntLineSeg* s = set.head; s; s = s->next) {
          if (near(s->s, pl.back())) {
            pl.push_back({s->e[0], s->e[1]});
          } else if (near(s->e, pl.back())) {
            pl.push_back({s->s[0], s->s[1]});
          } else {
            continue;
          }
          set.Remove(s);
          grew = true;
          break;
        }
      }
      std::reverse(pl.begin(), pl.end());
    }
    // A segment that joins nothing is still a piece of the section (a strip two chain points
    // long crossed once, say): dropping it would let the cutter into the model there.
    Simplify2D(pl, 0.001);
    lines.push_back(std::move(pl));
  }
  for (const auto& pl : lines)
    for (size_t i = 0; i + 1 < pl.size(); ++i) set.AddLine(pl[i].data(), pl[i + 1].data());
}

Poly3D::Poly3D(std::vector<Pt3> p) : pts(std::move(p)), box(BoxOfPoints(pts.data(), pts.size())) {}

bool IsVertical(const std::vector<Pt3>& pts) {
  for (const Pt3& p : pts)
    if (std::fabs(p[0] - pts[0][0]) > 0.01 || std::fabs(p[1] - pts[0][1]) > 0.01) return false;
  return true;
}

std::vector<Pt3> UnitDirections(const std::vector<Pt3>& pts) {
  const size_t n = pts.size();
  std::vector<Pt3> seg(n, Pt3{0, 0, 0});
  auto unit = [](Pt3 d) {
    const double l = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (l < 1e-12) return Pt3{0, 0, 0};
    return Pt3{d[0] / l, d[1] / l, d[2] / l};
  };
  if (n < 2) return seg;
  for (size_t i = 0; i + 1 < n; ++i)
    seg[i] = unit({pts[i + 1][0] - pts[i][0], pts[i + 1][1] - pts[i][1], pts[i + 1][2] - pts[i][2]});
  seg[n - 1] = seg[n - 2];
  std::vector<Pt3> out = seg;
  for (size_t i = 1; i + 1 < n; ++i)
    out[i] = unit({seg[i - 1][0] + seg[i][0], seg[i - 1][1] + seg[i][1], seg[i - 1][2] + seg[i][2]});
  return out;
}

void Simplify3D(std::vector<Pt3>& pts, double t) { SimplifyRuns(pts, t, Dist3ToLine); }

void Simplify2D(std::vector<Pt2>& pts, double t) {
  SimplifyRuns(pts, t, [](const Pt2& p, const Pt2& a, const Pt2& b) { return std::fabs(SignedDist2(p, a, b)); });
}

double PointSegDist(const double* p, const double* a, const double* b) {
  const double d[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double l2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  auto dist = [p](const double* q) { return std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) + (p[2] - q[2]) * (p[2] - q[2])); };
  if (std::sqrt(l2) < 1e-6) return dist(a);
  const double f = ((p[0] - a[0]) * d[0] + (p[1] - a[1]) * d[1] + (p[2] - a[2]) * d[2]) / l2;
  if (f <= 0) return dist(a);
  if (f >= 1) return dist(b);
  const double q[3] = {a[0] + f * d[0], a[1] + f * d[1], a[2] + f * d[2]};
  return dist(q);
}

bool BoxInBox(const _tagBox3D& a, const _tagBox3D& b, double tol) {
  for (int i = 0; i < 3; ++i)
    if (a.min[i] < b.min[i] - tol || a.max[i] > b.max[i] + tol) return false;
  return true;
}

_tagBox3D EmptyBox() {
  _tagBox3D b;
  for (int i = 0; i < 3; ++i) {
    b.min[i] = 1e300;
    b.max[i] = -1e300;
  }
  return b;
}

_tagBox3D BoxOfPoints(const Pt3* pts, size_t n) {
  _tagBox3D b = EmptyBox();
  for (size_t k = 0; k < n; ++k)
    for (int i = 0; i < 3; ++i) {
      b.min[i] = std::min(b.min[i], pts[k][i]);
      b.max[i] = std::max(b.max[i], pts[k][i]);
    }
  return b;
}

_tagBox3D BoxUnion(const _tagBox3D& a, const _tagBox3D& b) {
  _tagBox3D u;
  for (int i = 0; i < 3; ++i) {
    u.min[i] = std::min(a.min[i], b.min[i]);
    u.max[i] = std::max(a.max[i], b.max[i]);
  }
  return u;
}

void ZRangeIndex::Build(const std::vector<_tagBox3D>& boxes, double tol) {
  lo_.resize(boxes.size());
  hi_.resize(boxes.size());
  byTop_.resize(boxes.size());
  for (size_t k = 0; k < boxes.size(); ++k) {
    lo_[k] = boxes[k].min[2] - tol;
    hi_[k] = boxes[k].max[2] + tol;
    byTop_[k] = static_cast<int>(k);
  }
  std::stable_sort(byTop_.begin(), byTop_.end(), [this](int a, int b) { return hi_[a] > hi_[b]; });
  tol_ = tol;
  next_ = 0;
  started_ = false;
  active_.clear();
}

const std::vector<int>& ZRangeIndex::At(double h) {
  if (!started_ || !(h <= last_)) {  // rising (or NaN): start over from the top
    next_ = 0;
    active_.clear();
  }
  started_ = true;
  last_ = h;
  std::vector<int> entering;
  while (next_ < byTop_.size() && hi_[byTop_[next_]] >= h) entering.push_back(byTop_[next_++]);
  // A face that entered and is already below the level never comes back as the level falls.
  std::erase_if(entering, [&](int k) { return lo_[k] > h; });
  std::erase_if(active_, [&](int k) { return lo_[k] > h; });
  std::sort(entering.begin(), entering.end());
  result_.clear();
  std::merge(active_.begin(), active_.end(), entering.begin(), entering.end(), std::back_inserter(result_));
  active_ = result_;
  return result_;
}

}  // namespace centre
