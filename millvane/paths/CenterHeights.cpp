#include "millvane/paths/CenterHeights.h"

#include <algorithm>
#include <cmath>

#include "millvane/paths/MillCenter.h"
#include "platform/vurode/Tool.h"

namespace {

// More buckets than this cost more to lay out than they save.
constexpr double kMaxBuckets = 1 << 22;
// Entries allowed whatever the number of parts.
constexpr double kMaxEntries = 1 << 22;

}  // namespace

void CCenterHeights::Build(const CMillCenter* model, double bucket) {
  model_ = nullptr;
  start_.clear();
  entries_.clear();
  nx_ = ny_ = 0;
  if (!model || !(bucket > 0) || !std::isfinite(bucket)) return;
  const double r = model->tool ? model->tool->GetDia() / 2.0 : 0.0;
  // Every part with its XY box.
  struct Item {
    Entry e;
    double x0, y0, x1, y1;
  };
  auto entry = [](Kind k, int rec, int a, int b, double x0, double y0, double x1, double y1, double top) {
    return Item{{k, rec, a, b, x0, y0, x1, y1, top}, x0, y0, x1, y1};
  };
  std::vector<Item> items;
  for (size_t f = 0; f < model->faces.size(); ++f) {
    const auto& t = *model->faces[f];
    for (size_t k = 0; k < t.triBox.size(); ++k) {
      const _tagBox3D& b = t.triBox[k];
      items.push_back(entry(kTri, static_cast<int>(f), static_cast<int>(k), 0, b.min[0], b.min[1], b.max[0], b.max[1], b.max[2]));
    }
    for (size_t k = 0; k < t.quadBox.size(); ++k) {
      const _tagBox3D& b = t.quadBox[k];
      items.push_back(entry(kQuad, static_cast<int>(f), static_cast<int>(k), 0, b.min[0], b.min[1], b.max[0], b.max[1], b.max[2]));
    }
  }
  for (size_t s = 0; s < model->strips.size(); ++s) {
    const auto& st = *model->strips[s];
    const int n = st.ChainPoints();
    for (int i = 0; i + 1 < n; ++i)
      for (int j = 0; j < CMillCenter::Strip::kQuads; ++j) {
        const auto q = st.Corners(i, j);
        double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300, top = -1e300;
        for (int c : q) {
          x0 = std::min(x0, st.pts[c][0]), x1 = std::max(x1, st.pts[c][0]);
          y0 = std::min(y0, st.pts[c][1]), y1 = std::max(y1, st.pts[c][1]);
          top = std::max(top, st.pts[c][2]);
        }
        // A quad still raises points within 0.01 beside its cut (see RaiseToFace).
        items.push_back(entry(kStrip, static_cast<int>(s), i, j, x0 - 0.01, y0 - 0.01, x1 + 0.01, y1 + 0.01, top));
      }
  }
  if (model->tool)
    for (int i = 0; i < model->sharp.count(); ++i) {
      const auto& p = model->sharp.pts[i];
      items.push_back(entry(kSharp, 0, i, 0, p[0] - r, p[1] - r, p[0] + r, p[1] + r, p[2]));
    }
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  for (const Item& it : items) {
    if (!(std::isfinite(it.x0) && std::isfinite(it.y0) && std::isfinite(it.x1) && std::isfinite(it.y1))) continue;
    x0 = std::min(x0, it.x0), y0 = std::min(y0, it.y0), x1 = std::max(x1, it.x1), y1 = std::max(y1, it.y1);
  }
  model_ = model;
  if (x0 > x1 || y0 > y1) return;
  // Large parts (a wide cutter's sharp points and tubes) in small buckets would be entered many
  // times over: the buckets grow until the entries stay within a few per part.
  auto entriesAt = [&](double size) {
    double n = 0;
    for (const Item& it : items)
      if (std::isfinite(it.x0) && std::isfinite(it.y0) && std::isfinite(it.x1) && std::isfinite(it.y1))
        n += (std::floor((it.x1 - x0) / size) - std::floor((it.x0 - x0) / size) + 1) *
             (std::floor((it.y1 - y0) / size) - std::floor((it.y0 - y0) / size) + 1);
    return n;
  };
  const double maxEntries = std::max(kMaxEntries, 16.0 * static_cast<double>(items.size()));
  double size = bucket;
  while ((std::floor((x1 - x0) / size) + 1) * (std::floor((y1 - y0) / size) + 1) > kMaxBuckets ||
         entriesAt(size) > maxEntries)
    size *= 2;
  x0_ = x0, y0_ = y0, size_ = size;
  nx_ = static_cast<int>(std::floor((x1 - x0) / size)) + 1;
  ny_ = static_cast<int>(std::floor((y1 - y0) / size)) + 1;
  auto range = [&](const Item& it, int& c0, int& c1, int& r0, int& r1) {
    c0 = std::clamp(static_cast<int>(std::floor((it.x0 - x0_) / size_)), 0, nx_ - 1);
    c1 = std::clamp(static_cast<int>(std::floor((it.x1 - x0_) / size_)), 0, nx_ - 1);
    r0 = std::clamp(static_cast<int>(std::floor((it.y0 - y0_) / size_)), 0, ny_ - 1);
    r1 = std::clamp(static_cast<int>(std::floor((it.y1 - y0_) / size_)), 0, ny_ - 1);
  };
  // Counting pass, then the entries in place.
  start_.assign(static_cast<size_t>(nx_) * ny_ + 1, 0);
  int c0, c1, r0, r1;
  for (const Item& it : items) {
    if (!(std::isfinite(it.x0) && std::isfinite(it.y0) && std::isfinite(it.x1) && std::isfinite(it.y1))) continue;
    range(it, c0, c1, r0, r1);
    for (int rr = r0; rr <= r1; ++rr)
      for (int cc = c0; cc <= c1; ++cc) ++start_[static_cast<size_t>(rr) * nx_ + cc + 1];
  }
  for (size_t k = 1; k < start_.size(); ++k) start_[k] += start_[k - 1];
  entries_.resize(static_cast<size_t>(start_.back()));
  std::vector<int> fill(start_.begin(), start_.end() - 1);
  for (const Item& it : items) {
    if (!(std::isfinite(it.x0) && std::isfinite(it.y0) && std::isfinite(it.x1) && std::isfinite(it.y1))) continue;
    range(it, c0, c1, r0, r1);
    for (int rr = r0; rr <= r1; ++rr)
      for (int cc = c0; cc <= c1; ++cc) entries_[fill[static_cast<size_t>(rr) * nx_ + cc]++] = it.e;
  }
}

void CCenterHeights::Raise(double p[3]) const {
  if (!model_ || nx_ <= 0 || !std::isfinite(p[0]) || !std::isfinite(p[1])) return;
  const double fx = std::floor((p[0] - x0_) / size_), fy = std::floor((p[1] - y0_) / size_);
  if (fx < 0 || fy < 0 || fx >= nx_ || fy >= ny_) return;
  const size_t k = static_cast<size_t>(fy) * nx_ + static_cast<size_t>(fx);
  for (int i = start_[k]; i < start_[k + 1]; ++i) {
    const Entry& e = entries_[i];
    // Every part raises a point only inside its XY box and only to below its top.
    if (p[0] < e.x0 || p[0] > e.x1 || p[1] < e.y0 || p[1] > e.y1 || !(e.top > p[2])) continue;
    switch (e.kind) {
      case kTri: model_->RaiseOnTri(*model_->faces[e.rec], e.a, p); break;
      case kQuad: model_->RaiseOnQuad(*model_->faces[e.rec], e.a, p); break;
      case kStrip: model_->RaiseOnStrip(*model_->strips[e.rec], e.a, e.b, p); break;
      case kSharp: model_->RaiseOnSharp(e.a, p); break;
    }
  }
}
