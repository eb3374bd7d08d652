// Small UV helpers shared by the trim editor's bounds, editor and intersection curves.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "millvane/surface/SrfVec3.h"
#include "platform/numora/Box.h"

namespace edtrim {

inline double Dist2(const double* a, const double* b) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

using srfvec::Dist3;

// Fraction of p along a0→a1, measured on the coordinate in which the segment extends more.
inline double Fraction(const double a0[2], const double a1[2], const double p[2]) {
  const double du = a1[0] - a0[0], dv = a1[1] - a0[1];
  if (std::fabs(du) > std::fabs(dv)) return (p[0] - a0[0]) / du;
  if (dv == 0.0) return 0.0;
  return (p[1] - a0[1]) / dv;
}

// A crossing fraction that counts, with the tolerance the crossing searches use.
inline bool InRange(double f) { return f >= -1e-8 && f <= 1.00000001; }

inline void SegBox(const double* a, const double* b, _tagBox2D* box) {
  box->min[0] = std::min(a[0], b[0]);
  box->max[0] = std::max(a[0], b[0]);
  box->min[1] = std::min(a[1], b[1]);
  box->max[1] = std::max(a[1], b[1]);
}

// Whole periods to add to a value v so that it lies in [lo, hi]: added while below lo,
// subtracted while above hi. Computed in one step so a far value costs no loop.
inline double PeriodShift(double v, double lo, double hi) {
  const double period = hi - lo;
  if (!(period > 0) || !std::isfinite(v) || !std::isfinite(period)) return 0.0;
  if (v < lo) return period * std::ceil((lo - v) / period);
  if (v > hi) return -period * std::ceil((v - hi) / period);
  return 0.0;
}

// Segment boxes sorted by their lower u: the boxes that meet a query box are found without
// visiting all, and handed back in index order so that results match an all-pairs walk.
class SegSweep {
 public:
  explicit SegSweep(const std::vector<_tagBox2D>& boxes) : boxes_(boxes), order_(boxes.size()) {
    for (size_t i = 0; i < boxes.size(); ++i) order_[i] = int(i);
    std::sort(order_.begin(), order_.end(), [&](int x, int y) {
      return boxes_[size_t(x)].min[0] < boxes_[size_t(y)].min[0];
    });
    mins_.reserve(boxes.size());
    for (int i : order_) mins_.push_back(boxes_[size_t(i)].min[0]);
  }
  void Query(const _tagBox2D& q, double tol, std::vector<int>& out) const {
    out.clear();
    const auto end = std::upper_bound(mins_.begin(), mins_.end(), q.max[0] + tol) - mins_.begin();
    for (long k = 0; k < end; ++k) {
      const int i = order_[size_t(k)];
      if (BOX2D_IsInt(&boxes_[size_t(i)], &q, tol)) out.push_back(i);
    }
    std::sort(out.begin(), out.end());
  }

 private:
  const std::vector<_tagBox2D>& boxes_;
  std::vector<int> order_;
  std::vector<double> mins_;
};

}  // namespace edtrim
