#include "millvane/loops/LoopPointIndex.h"

#include <algorithm>
#include <cmath>

#include "millvane/loops/SmartLoop.h"

namespace {

// Points nearer the loop than this get the full test, whose tolerances act there.
constexpr double kClear = 0.01;

double SegDist(const std::array<double, 4>& c, const double p[2]) {
  const double dx = c[2] - c[0], dy = c[3] - c[1];
  const double l2 = dx * dx + dy * dy;
  double t = l2 > 0.0 ? ((p[0] - c[0]) * dx + (p[1] - c[1]) * dy) / l2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(c[0] + t * dx - p[0], c[1] + t * dy - p[1]);
}

}  // namespace

CLoopPointIndex::CLoopPointIndex(const CSmartLoop* loop, size_t expectedIslands) : loop_(loop) {
  if (!loop || !loop->curve || !loop->curve->head) return;
  double pts[51][2];
  for (const CSmartSect* s = loop->curve->head; s; s = s->next) {
    if (s->IsLine()) {
      const auto* l = static_cast<const CSmartLine*>(s);
      chords_.push_back({l->start[0], l->start[1], l->end[0], l->end[1]});
    } else {
      const int n = acArcToPoints(static_cast<const CSmartArc*>(s), 0.01, 50, pts);
      for (int i = 0; i < n; ++i) chords_.push_back({pts[i][0], pts[i][1], pts[i + 1][0], pts[i + 1][1]});
    }
  }
  // Each chord starts where the one before ends, so that the winding number is defined; a loop
  // whose sections do not meet (within far less than the clearance) is left to the full test.
  for (size_t i = 0; i < chords_.size(); ++i) {
    const auto& a = chords_[i];
    auto& b = chords_[(i + 1) % chords_.size()];
    if (!(std::fabs(a[2] - b[0]) <= 1e-6 && std::fabs(a[3] - b[1]) <= 1e-6)) return;
    if (i + 1 < chords_.size()) {
      b[0] = a[2];
      b[1] = a[3];
    } else {
      chords_[i][2] = b[0];
      chords_[i][3] = b[1];
    }
  }
  for (const auto& c : chords_)
    for (double v : c)
      if (!std::isfinite(v)) return;
  const double lo = loop->box[1] - 2 * kClear, hi = loop->box[4] + 2 * kClear;
  rows_ = std::max(1, static_cast<int>(std::min<size_t>(chords_.size() / 2 + 1, 1 << 20)));
  y0_ = lo;
  rowH_ = (hi - lo) / rows_;
  if (!(rowH_ > 0.0)) return;
  std::vector<int> count(size_t(rows_) + 1, 0);
  size_t total = 0;
  for (const auto& c : chords_) {
    const int r0 = RowOf(std::min(c[1], c[3])), r1 = RowOf(std::max(c[1], c[3]));
    total += size_t(r1 - r0 + 1);
    if (total > 16 * chords_.size() + 1024) return;  // long steep chords: the index would not pay
    for (int r = r0; r <= r1; ++r) ++count[size_t(r) + 1];
  }
  first_.assign(size_t(rows_) + 1, 0);
  for (int r = 0; r < rows_; ++r) first_[size_t(r) + 1] = first_[size_t(r)] + count[size_t(r) + 1];
  filed_.resize(size_t(first_.back()));
  std::vector<int> fill(first_.begin(), first_.end() - 1);
  for (size_t i = 0; i < chords_.size(); ++i) {
    const auto& c = chords_[i];
    const int r0 = RowOf(std::min(c[1], c[3])), r1 = RowOf(std::max(c[1], c[3]));
    for (int r = r0; r <= r1; ++r) filed_[size_t(fill[size_t(r)]++)] = static_cast<int>(i);
  }
  const double cells = std::max(double(chords_.size()) / 2.0, double(expectedIslands));
  side_ = std::clamp(static_cast<int>(std::sqrt(cells)), 1, 512);
  cx0_ = loop->box[0];
  cy0_ = loop->box[1];
  cw_ = std::max((loop->box[3] - loop->box[0]) / side_, 1e-9);
  ch_ = std::max((loop->box[4] - loop->box[1]) / side_, 1e-9);
  cells_.assign(size_t(side_) * size_t(side_), {});
  for (const CSmartLoop* i = loop->islands; i; i = i->next) NoteIsland(i);
  usable_ = true;
}

int CLoopPointIndex::CellOf(double v, double lo, double size) const {
  const double c = std::floor((v - lo) / size);
  return c < 0 ? 0 : c >= side_ ? side_ - 1 : static_cast<int>(c);
}

void CLoopPointIndex::NoteIsland(const CSmartLoop* island) {
  const double* b = island->box;
  if (!std::isfinite(b[0]) || !std::isfinite(b[1]) || !std::isfinite(b[3]) || !std::isfinite(b[4])) {
    wide_.push_back(island);
    return;
  }
  // Filed by its box grown by IsPointIn's margin: a point outside that is never inside.
  const int c0 = CellOf(b[0] - 0.01, cx0_, cw_), c1 = CellOf(b[3] + 0.01, cx0_, cw_);
  const int r0 = CellOf(b[1] - 0.01, cy0_, ch_), r1 = CellOf(b[4] + 0.01, cy0_, ch_);
  if ((c1 - c0 + 1) * (r1 - r0 + 1) > 16) {
    wide_.push_back(island);
    return;
  }
  for (int r = r0; r <= r1; ++r)
    for (int c = c0; c <= c1; ++c) cells_[size_t(r) * size_t(side_) + size_t(c)].push_back(island);
}

int CLoopPointIndex::RowOf(double y) const {
  return std::clamp(static_cast<int>(std::floor((y - y0_) / rowH_)), 0, rows_ - 1);
}

int CLoopPointIndex::IsPointIn(const double p[2]) const {
  if (!usable_ || !std::isfinite(p[0]) || !std::isfinite(p[1])) return loop_->IsPointIn(p);
  const double* box = loop_->box;
  if (p[0] < box[0] - 0.01 || p[0] > box[3] + 0.01 || p[1] < box[1] - 0.01 || p[1] > box[4] + 0.01)
    return 0;
  // Near the loop: the full test.
  for (int r = RowOf(p[1] - kClear), r1 = RowOf(p[1] + kClear); r <= r1; ++r)
    for (int k = first_[size_t(r)]; k < first_[size_t(r) + 1]; ++k)
      if (SegDist(chords_[size_t(filed_[size_t(k)])], p) < kClear) return loop_->IsPointIn(p);
  // Clear of it: the winding number, from the chords crossing the point's row to its right.
  int winding = 0;
  const int r = RowOf(p[1]);
  for (int k = first_[size_t(r)]; k < first_[size_t(r) + 1]; ++k) {
    const auto& c = chords_[size_t(filed_[size_t(k)])];
    const bool up = c[1] <= p[1] && c[3] > p[1], down = c[3] <= p[1] && c[1] > p[1];
    if (!up && !down) continue;
    const double x = c[0] + (p[1] - c[1]) * (c[2] - c[0]) / (c[3] - c[1]);
    if (x > p[0]) winding += up ? 1 : -1;
  }
  return winding != 0 ? 1 : 0;
}

int CLoopPointIndex::IsLoopOn(const CSmartLoop* loop) const {
  if (!loop || !loop->curve || !loop->curve->head || !loop_->curve) return 0;
  double p1[2], p2[2];
  loop->curve->head->EvPoint(0.5, p1);
  loop->GetSectMid()->EvPoint(0.5, p2);
  if (!IsPointIn(p1) || !IsPointIn(p2)) return 0;
  // Any island holding the point refuses it: only the islands filed where it lies can.
  const auto& cell = cells_[size_t(CellOf(p2[1], cy0_, ch_)) * size_t(side_) + size_t(CellOf(p2[0], cx0_, cw_))];
  for (const auto* list : {&cell, &wide_})
    for (const CSmartLoop* i : *list)
      if (i->IsPointIn(p2)) return 0;
  return 1;
}
