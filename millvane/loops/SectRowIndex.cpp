#include "millvane/loops/SectRowIndex.h"

#include <algorithm>
#include <cmath>

#include "millvane/loops/SmartLoop.h"

CSectRowIndex::CSectRowIndex(const CSmartLoop* contour, double y0, double pitch, int rows)
    : contour_(contour), y0_(y0) {
  if (!contour || !std::isfinite(y0) || !std::isfinite(pitch) || !(pitch > 0.0) || rows < 1) return;
  std::vector<Entry> entries;
  for (const CSmartLoop* l = contour; l; l = (l == contour ? contour->islands : l->next))
    if (l->curve)
      for (CSmartSect* s = l->curve->head; s; s = s->next) entries.push_back({s, l->curve});
  // Each section is filed once per row it reaches; rows are merged in pairs while that would
  // fill more than a few times the sections and rows, so memory stays linear in the input.
  const size_t limit = 8 * (entries.size() + size_t(rows)) + 1024;
  pitch_ = pitch;
  rows_ = rows;
  for (;;) {
    size_t total = 0;
    for (const Entry& e : entries) {
      const int lo = RowOf(e.sect->box[1], 0), hi = RowOf(e.sect->box[3], rows_ - 1);
      if (lo <= hi) total += size_t(hi - lo + 1);
    }
    if (total <= limit || rows_ == 1) break;
    pitch_ *= 2.0;
    rows_ = (rows_ + 1) / 2;
  }
  first_.assign(size_t(rows_) + 1, 0);
  for (const Entry& e : entries) {
    const int lo = RowOf(e.sect->box[1], 0), hi = RowOf(e.sect->box[3], rows_ - 1);
    for (int r = lo; r <= hi; ++r) ++first_[size_t(r) + 1];
  }
  for (int r = 0; r < rows_; ++r) first_[size_t(r) + 1] += first_[size_t(r)];
  filed_.resize(first_.back());
  std::vector<size_t> fill(first_.begin(), first_.end() - 1);
  for (const Entry& e : entries) {
    const int lo = RowOf(e.sect->box[1], 0), hi = RowOf(e.sect->box[3], rows_ - 1);
    for (int r = lo; r <= hi; ++r) filed_[fill[size_t(r)]++] = e;
  }
}

int CSectRowIndex::RowOf(double v, int fallback) const {
  const double t = std::floor((v - y0_) / pitch_);
  if (std::isnan(t)) return fallback;
  return static_cast<int>(std::clamp(t, 0.0, double(rows_ - 1)));
}

bool CSectRowIndex::Holds(double y) const {
  if (rows_ < 1 || first_.empty()) return false;
  const double t = (y - y0_) / pitch_;
  return t >= 0.0 && t < double(rows_);
}

std::span<const CSectRowIndex::Entry> CSectRowIndex::At(double y) const {
  const size_t r = size_t(RowOf(y, 0));
  return {filed_.data() + first_[r], filed_.data() + first_[r + 1]};
}
