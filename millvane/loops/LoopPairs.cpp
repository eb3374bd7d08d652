#include "millvane/loops/LoopPairs.h"

#include <algorithm>
#include <tuple>

#include "millvane/loops/BoxPairs.h"
#include "millvane/loops/SmartLoop.h"

std::vector<std::pair<int, int>> acCrossingLoopPairs(const std::vector<CSmartLoop*>& loops,
                                                     const std::function<bool(int, int)>& want,
                                                     bool cut) {
  constexpr double kMargin = 0.0001;
  struct At {
    CSmartSect* s;
    int loop, index;
  };
  std::vector<At> at;
  std::vector<const double*> boxes;
  for (size_t l = 0; l < loops.size(); ++l) {
    if (!loops[l] || !loops[l]->curve) continue;
    int k = 0;
    for (CSmartSect* s = loops[l]->curve->head; s; s = s->next) {
      at.push_back({s, static_cast<int>(l), k++});
      boxes.push_back(s->box);
    }
  }
  auto loopBoxesMeet = [&](int i, int k) {
    const double* a = loops[size_t(i)]->box;
    const double* b = loops[size_t(k)]->box;
    return a[0] <= b[3] + kMargin && b[0] <= a[3] + kMargin && a[1] <= b[4] + kMargin &&
           b[1] <= a[4] + kMargin;
  };
  // Sections are numbered loop by loop, so p < q puts p's loop first.
  std::vector<std::tuple<int, int, int, int>> todo;  // loop i, loop k, section of i, of k
  for (const auto& [p, q] : acMeetingBoxPairs(boxes, kMargin)) {
    const At& a = at[size_t(p)];
    const At& b = at[size_t(q)];
    if (a.loop == b.loop) continue;
    todo.emplace_back(a.loop, b.loop, p, q);
  }
  std::sort(todo.begin(), todo.end());
  std::vector<std::pair<int, int>> out;
  std::pair<int, int> pair{-1, -1};
  bool accepted = false, crossed = false;
  double pts[2][2];
  for (const auto& [i, k, p, q] : todo) {
    if (std::make_pair(i, k) != pair) {
      if (crossed) out.push_back(pair);
      pair = {i, k};
      accepted = want(i, k) && loopBoxesMeet(i, k);
      crossed = false;
    }
    if (!accepted || (crossed && !cut)) continue;
    CSmartSect* a = at[size_t(p)].s;
    CSmartSect* b = at[size_t(q)].s;
    if (cut ? acCutSects(a, b, nullptr) > 0 : acSectSectInt(a, b, pts) > 0) crossed = true;
  }
  if (crossed) out.push_back(pair);
  return out;
}
