// What the 2D and 3D loop chaining share: the choice of a chain's continuation, the pool of
// unused curves indexed by a grid over their end points, and the clean-up of the loops a
// cancelled call appended. Templated on a traits type that reads the points and tangents of
// one curve kind (see ChainTraits2d in GeTool2DChain.cpp and ChainTraits3d in GeTool3DChain.cpp):
//
//   struct Traits {
//     using Curve = ...;
//     static constexpr int kDim = 2 or 3;          // coordinates of a point
//     static constexpr double kNoTurn = ...;       // best turning angle before any candidate
//     static bool Near(Curve*, const double p[], double tol);   // box holds p within tol
//     static double Dist(const double a[], const double b[]);
//     static void Start(Curve*, double p[]);  static void End(Curve*, double p[]);
//     static void StartTan(Curve*, double v[]);  static void EndTan(Curve*, double v[]);
//   };
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/afx/List.h"
#include "platform/numora/Point2d.h"

namespace chain {

// A curve closed on itself (ends closer than this) is taken as soon as it is offered.
constexpr double kSelfClosedGap = 0.0001;

// Picks the continuation of a chain among candidates offered in pool order. Both ways: the
// candidate may be walked forward or reversed, dir is the chain's negated end tangent and the
// largest turn V2D_GetAngleV1toV2(dir, d) wins. Own direction only (selfDir): only start
// points count and the smallest-angle measure V2D_GetAngle(dir, d) of the travel direction
// wins. Turning angles are taken in the x-y plane.
template <class Traits>
struct NextChoice {
  using Curve = typename Traits::Curve;
  static constexpr int D = Traits::kDim;

  const double* end;
  const double* dir;
  double tol;
  bool selfDir = false;
  double best = Traits::kNoTurn;
  int choice = -1;
  bool forward = true;

  void Offer(int index, Curve* c) {
    if (!Traits::Near(c, end, tol)) return;
    double s[D], e[D];
    Traits::Start(c, s);
    Traits::End(c, e);
    const double dS = Traits::Dist(end, s);
    double d[D];
    bool fwd = true;
    double a;
    if (selfDir) {
      if (!(dS <= tol)) return;
      Traits::StartTan(c, d);
      a = V2D_GetAngle(dir, d, 1e-6);
    } else {
      const double dE = Traits::Dist(end, e);
      if (!(std::min(dS, dE) <= tol)) return;
      if (dS <= dE) {
        Traits::StartTan(c, d);
      } else {
        Traits::EndTan(c, d);
        for (double& v : d) v = -v;
        fwd = false;
      }
      a = V2D_GetAngleV1toV2(dir, d);
    }
    if (Traits::Dist(s, e) < kSelfClosedGap) {
      choice = index;
      forward = fwd;
    } else if (a > best) {
      best = a;
      choice = index;
      forward = fwd;
    }
  }
};

// Offers the curves of a list in list order; the position of the choice, or null.
template <class Traits, class List>
POSITION ScanList(List* list, NextChoice<Traits>& choice) {
  POSITION chosen = nullptr;
  int i = 0;
  for (POSITION pos = list->GetHeadPosition(); pos; ++i) {
    POSITION at = pos;
    auto* c = list->GetNext(pos);
    if (!c) continue;
    const int before = choice.choice;
    choice.Offer(i, c);
    if (choice.choice != before) chosen = at;
  }
  return chosen;
}

// Unused curves in input order, indexed by a grid over their end points (start points only
// for chaining in the curves' own direction), so that a search looks only at curves that can
// continue a chain; candidates are still offered in pool order, which keeps the tie rules of
// a plain scan. Owns the curves it still holds.
template <class Traits>
class EndPointPool {
 public:
  using Curve = typename Traits::Curve;
  static constexpr int D = Traits::kDim;
  static_assert(D == 2 || D == 3, "points in the plane or in space");

  EndPointPool(std::vector<Curve*> curves, double tol, bool startsOnly = false)
      : m_curves(std::move(curves)), m_alive(m_curves.size(), 1), m_left(m_curves.size()),
        m_tol(tol) {
    // A grid needs a finite reach; otherwise every curve is a candidate anyway.
    m_grid = std::isfinite(tol) && tol >= 0;
    if (!m_grid) return;
    double extent = 1;
    for (Curve* c : m_curves) {
      double p[D];
      Traits::Start(c, p);
      for (double v : p)
        if (std::isfinite(v)) extent = std::max(extent, std::fabs(v));
    }
    // At least the reach, so a query covers at most 3 cells along each axis.
    m_cell = std::max(tol, extent * 1e-9);
    m_cells.reserve(m_curves.size() * 2);
    for (size_t i = 0; i < m_curves.size(); ++i) {
      double p[D];
      Traits::Start(m_curves[i], p);
      Insert(p, static_cast<int>(i));
      if (startsOnly) continue;
      double q[D];
      Traits::End(m_curves[i], q);
      if (!SameCell(p, q)) Insert(q, static_cast<int>(i));
    }
  }
  ~EndPointPool() {
    for (size_t i = 0; i < m_curves.size(); ++i)
      if (m_alive[i]) delete m_curves[i];
  }
  EndPointPool(const EndPointPool&) = delete;
  EndPointPool& operator=(const EndPointPool&) = delete;

  bool Empty() const { return m_left == 0; }

  // The first unused curve, taken out of the pool; null when none is left.
  Curve* TakeHead() {
    while (m_head < m_curves.size() && !m_alive[m_head]) ++m_head;
    if (m_head == m_curves.size()) return nullptr;
    return Take(static_cast<int>(m_head));
  }

  Curve* Take(int i) {
    m_alive[i] = 0;
    --m_left;
    return m_curves[i];
  }

  // Every unused curve, taken out of the pool (which no longer deletes them).
  std::vector<Curve*> TakeRest() {
    std::vector<Curve*> rest;
    for (size_t i = 0; i < m_curves.size(); ++i)
      if (m_alive[i]) rest.push_back(Take(static_cast<int>(i)));
    return rest;
  }

  // Offers every unused curve that may end within the reach of p, in pool order.
  void Search(const double p[D], NextChoice<Traits>& choice) {
    bool finite = true;
    for (int k = 0; k < D; ++k) finite = finite && std::isfinite(p[k]);
    if (!m_grid || !finite) {
      for (size_t i = 0; i < m_curves.size(); ++i)
        if (m_alive[i]) choice.Offer(static_cast<int>(i), m_curves[i]);
      return;
    }
    m_found.clear();
    const double r = m_tol * (1 + 1e-9) + m_cell * 1e-9;
    int64_t lo[D], hi[D];
    for (int k = 0; k < D; ++k) {
      lo[k] = Key(p[k] - r);
      hi[k] = Key(p[k] + r);
    }
    const auto visit = [&](const int64_t* at) {
      auto it = m_cells.find(Pack(at));
      if (it == m_cells.end()) return;
      std::vector<int>& cell = it->second;
      // Drop used curves while passing by, so crowded cells do not stay crowded.
      cell.erase(std::remove_if(cell.begin(), cell.end(), [&](int i) { return !m_alive[i]; }),
                 cell.end());
      m_found.insert(m_found.end(), cell.begin(), cell.end());
    };
    for (int64_t x = lo[0]; x <= hi[0]; ++x)
      for (int64_t y = lo[1]; y <= hi[1]; ++y) {
        if constexpr (D == 2) {
          const int64_t at[2] = {x, y};
          visit(at);
        } else {
          for (int64_t z = lo[2]; z <= hi[2]; ++z) {
            const int64_t at[3] = {x, y, z};
            visit(at);
          }
        }
      }
    std::sort(m_found.begin(), m_found.end());
    m_found.erase(std::unique(m_found.begin(), m_found.end()), m_found.end());
    for (int i : m_found) choice.Offer(i, m_curves[i]);
  }

 private:
  int64_t Key(double v) const {
    const double k = std::floor(v / m_cell);
    if (!(k > -1e15)) return -static_cast<int64_t>(1e15);
    if (!(k < 1e15)) return static_cast<int64_t>(1e15);
    return static_cast<int64_t>(k);
  }
  bool SameCell(const double p[D], const double q[D]) const {
    for (int k = 0; k < D; ++k)
      if (Key(p[k]) != Key(q[k])) return false;
    return true;
  }
  // In the plane, cells next to each other along y land in neighbouring buckets, which keeps
  // a search's lookups close together in memory.
  static uint64_t Pack(const int64_t key[D]) {
    const uint64_t x = static_cast<uint64_t>(key[0]) * 0x9E3779B97F4A7C15ull;
    if constexpr (D == 2) {
      return x ^ static_cast<uint64_t>(key[1]);
    } else {
      uint64_t h = x;
      h ^= static_cast<uint64_t>(key[1]) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
      return h ^ (static_cast<uint64_t>(key[2]) * 0x165667B19E3779F9ull);
    }
  }
  void Insert(const double p[D], int i) {
    int64_t key[D];
    for (int k = 0; k < D; ++k) {
      if (!std::isfinite(p[k])) return;
      key[k] = Key(p[k]);
    }
    m_cells[Pack(key)].push_back(i);
  }

  std::vector<Curve*> m_curves;
  std::vector<char> m_alive;
  size_t m_left;
  size_t m_head = 0;
  double m_tol;
  double m_cell = 1;
  bool m_grid = false;
  // Cells may share a hash key; candidates are filtered by distance, so that only costs time.
  std::unordered_map<uint64_t, std::vector<int>> m_cells;
  std::vector<int> m_found;
};

// Whether a list can be chained at all: the tolerance is a finite distance (zero chains only
// exact matches) and every curve's end points are finite. NaN never compares within reach,
// so a bad tolerance would cut closed figures into open pieces, and a non-finite end point
// would spread into the loops built through it.
template <class Traits, class List>
bool ChainableInput(List* curves, double tol) {
  if (!(std::isfinite(tol) && tol >= 0)) return false;
  constexpr int D = Traits::kDim;
  for (POSITION pos = curves->GetHeadPosition(); pos;) {
    auto* c = curves->GetNext(pos);
    if (!c) continue;
    double s[D] = {}, e[D] = {};
    Traits::Start(c, s);
    Traits::End(c, e);
    for (int k = 0; k < D; ++k)
      if (!std::isfinite(s[k]) || !std::isfinite(e[k])) return false;
  }
  return true;
}

// Removes and deletes the loops appended after `before` (the list's tail before a call).
template <class List>
void DropAppended(List* loops, POSITION before) {
  POSITION pos = before;
  if (pos)
    loops->GetNext(pos);
  else
    pos = loops->GetHeadPosition();
  while (pos) {
    POSITION at = pos;
    delete loops->GetNext(pos);
    loops->RemoveAt(at);
  }
}

// What a cancelled chaining needs to give the caller's curves back the way they came: the list's
// order and each curve's sense, taken before the chaining walks them (walking reverses some in
// place and may move them into loops). A curve is turned round when its ends, or for a closed
// curve its end tangents, have swapped.
template <class Traits, class List>
class CurveSenses {
 public:
  using Curve = typename Traits::Curve;
  static constexpr int D = Traits::kDim;

  explicit CurveSenses(List& list) {
    for (POSITION pos = list.GetHeadPosition(); pos;) {
      Curve* c = list.GetNext(pos);
      Entry e{c, {}, {}, {}, {}};
      if (c) {
        Read(c, e);
        m_curves.insert(c);
      }
      m_entries.push_back(e);
    }
  }

  bool Holds(Curve* c) const { return m_curves.count(c) != 0; }

  // Turns back every curve that now runs the other way, and puts the list back in its order.
  // The caller has returned every curve of the list to it (or holds them in no list).
  void Restore(List& list) const {
    for (const Entry& e : m_entries) {
      if (!e.c) continue;
      Entry now{e.c, {}, {}, {}, {}};
      Read(e.c, now);
      bool reversed;
      if (Traits::Dist(e.s, e.e) < 1e-9) {
        // Closed: the start tangent of the reversed curve is the old end tangent negated.
        double same = 0, swapped = 0;
        for (int k = 0; k < D; ++k) {
          same += std::fabs(now.ts[k] - e.ts[k]) + std::fabs(now.te[k] - e.te[k]);
          swapped += std::fabs(now.ts[k] + e.te[k]) + std::fabs(now.te[k] + e.ts[k]);
        }
        reversed = swapped < same;
      } else {
        reversed = Traits::Dist(now.s, e.e) < Traits::Dist(now.s, e.s);
      }
      if (reversed) e.c->Reverse();
    }
    list.RemoveAll();
    for (const Entry& e : m_entries) list.AddTail(e.c);
  }

 private:
  struct Entry {
    Curve* c;
    double s[D], e[D], ts[D], te[D];
  };
  static void Unit(double v[D]) {
    double len = 0;
    for (int k = 0; k < D; ++k) len += v[k] * v[k];
    len = std::sqrt(len);
    if (len > 0)
      for (int k = 0; k < D; ++k) v[k] /= len;
  }
  static void Read(Curve* c, Entry& e) {
    Traits::Start(c, e.s);
    Traits::End(c, e.e);
    Traits::StartTan(c, e.ts);
    Traits::EndTan(c, e.te);
    Unit(e.ts);
    Unit(e.te);
  }
  std::vector<Entry> m_entries;
  std::unordered_set<Curve*> m_curves;
};

// Takes every curve out of a loop's curve list without deleting it; those the caller did not
// own (`senses` does not hold them) are deleted.
template <class Senses, class Loop>
void EmptyLoopKeepingCallers(Loop& loop, const Senses& senses) {
  while (!loop.m_CurveList.IsEmpty()) {
    auto* c = loop.m_CurveList.RemoveHead();
    if (!senses.Holds(c)) delete c;
  }
}

}  // namespace chain
