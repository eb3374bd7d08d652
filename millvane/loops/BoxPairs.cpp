#include "millvane/loops/BoxPairs.h"

#include <algorithm>
#include <cmath>

namespace {

bool HasNaN(const double* b) {
  return std::isnan(b[0]) || std::isnan(b[1]) || std::isnan(b[2]) || std::isnan(b[3]);
}

bool Meet(const double* a, const double* b, double m) {
  return a[0] <= b[2] + m && b[0] <= a[2] + m && a[1] <= b[3] + m && b[1] <= a[3] + m;
}

struct Item {
  const double* box;
  int index;
  int set;
};

// Sweeps the items of both sets in ascending min x; pairs are (index in a, index in b).
std::vector<std::pair<int, int>> Sweep(std::vector<Item> items, double margin) {
  std::sort(items.begin(), items.end(), [](const Item& x, const Item& y) {
    return x.box[0] < y.box[0] || (x.box[0] == y.box[0] && (x.set < y.set || (x.set == y.set && x.index < y.index)));
  });
  std::vector<std::pair<int, int>> out;
  std::vector<Item> active;
  for (const Item& it : items) {
    // Items whose max x (grown) lies left of this min x meet nothing from here on.
    size_t keep = 0;
    for (const Item& a : active)
      if (a.box[2] + margin >= it.box[0]) active[keep++] = a;
    active.resize(keep);
    for (const Item& a : active) {
      if (a.set == it.set || !Meet(a.box, it.box, margin)) continue;
      if (a.set == 0) out.push_back({a.index, it.index});
      else out.push_back({it.index, a.index});
    }
    active.push_back(it);
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

std::vector<std::pair<int, int>> acMeetingBoxPairs(const std::vector<const double*>& a,
                                                   const std::vector<const double*>& b,
                                                   double margin) {
  std::vector<Item> items;
  items.reserve(a.size() + b.size());
  for (size_t i = 0; i < a.size(); ++i)
    if (!HasNaN(a[i])) items.push_back({a[i], static_cast<int>(i), 0});
  for (size_t i = 0; i < b.size(); ++i)
    if (!HasNaN(b[i])) items.push_back({b[i], static_cast<int>(i), 1});
  return Sweep(std::move(items), margin);
}
