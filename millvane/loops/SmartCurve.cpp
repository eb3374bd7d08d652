#include "millvane/loops/SmartCurve.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <cstdint>
#include <vector>
#include <numbers>

#include "millvane/loops/BoxGrid.h"
#include "millvane/loops/SmartLoop.h"
#include "platform/numora/Math.h"
#include "platform/numora/Point2d.h"

namespace {
bool BoxesMeet(const double a[4], const double b[4], double m) {
  return a[0] <= b[2] + m && b[0] <= a[2] + m && a[1] <= b[3] + m && b[1] <= a[3] + m;
}

// Keeps one end of an arc and moves the other to p, keeping the direction; the radius grows to
// half the chord when too small, and the centre side that keeps the sweep closest wins.
void RefitArc(CSmartArc* a, bool keepStart, const double p[2]) {
  double fixed[2];
  a->EvPoint(keepStart ? 0.0 : 1.0, fixed);
  const bool ccw = a->IsCcw();
  const double oldSweep = a->Sweep();
  const double* s = keepStart ? fixed : p;
  const double* e = keepStart ? p : fixed;
  double u[2] = {e[0] - s[0], e[1] - s[1]};
  const double half = 0.5 * std::hypot(u[0], u[1]);
  if (!V2D_Unit(u, 1e-12)) return;
  const double r = std::max(a->radius, half);
  const double h = std::sqrt(std::max(0.0, r * r - half * half));
  const double mid[2] = {0.5 * (s[0] + e[0]), 0.5 * (s[1] + e[1])};
  double bestDiff = 1e300;
  for (double side : {1.0, -1.0}) {
    const double c[2] = {mid[0] - side * h * u[1], mid[1] + side * h * u[0]};
    double a0 = std::atan2(s[1] - c[1], s[0] - c[0]);
    double a1 = std::atan2(e[1] - c[1], e[0] - c[0]);
    if (ccw) {
      while (a1 <= a0) a1 += 2 * std::numbers::pi;
    } else {
      while (a1 >= a0) a1 -= 2 * std::numbers::pi;
    }
    const double diff = std::fabs((a1 - a0) - oldSweep);
    if (diff < bestDiff) {
      bestDiff = diff;
      a->centre[0] = c[0];
      a->centre[1] = c[1];
      a->radius = r;
      a->startAngle = a0;
      a->endAngle = a1;
    }
  }
  a->UpdateBox();
}

// Signed turn from tangent a to tangent b: positive to the left.
double SignedTurn(const double a[2], const double b[2]) {
  const double f = CMath::ACos(a[0] * b[0] + a[1] * b[1]);
  return (a[0] * b[1] - a[1] * b[0]) < 0.0 ? -f : f;
}

}  // namespace

CSmartCurve::~CSmartCurve() {
  CSmartSect* s = head;
  while (s) {
    CSmartSect* n = s->next;
    delete s;
    s = n;
  }
}

int CSmartCurve::AppendSect(CSmartSect* s) {
  if (!s) return 0;
  s->next = nullptr;
  s->prev = tail;
  if (tail) tail->next = s;
  else head = s;
  tail = s;
  ++count;
  return 1;
}

int CSmartCurve::InsertSectAfter(CSmartSect* s, CSmartSect* after) {
  if (!s) return 0;
  if (!after) {
    s->prev = nullptr;
    s->next = head;
    if (head) head->prev = s;
    else tail = s;
    head = s;
  } else {
    s->prev = after;
    s->next = after->next;
    if (after->next) after->next->prev = s;
    else tail = s;
    after->next = s;
  }
  ++count;
  return 1;
}

void CSmartCurve::DetachSect(CSmartSect* s) {
  if (s->prev) s->prev->next = s->next;
  else head = s->next;
  if (s->next) s->next->prev = s->prev;
  else tail = s->prev;
  s->next = s->prev = nullptr;
  --count;
}

int CSmartCurve::IsClosed() const {
  if (!head || !tail) return 0;
  double a[2], b[2];
  head->StartPoint(a);
  tail->EndPoint(b);
  return P2D_AbsDist(a, b) <= 0.001 ? 1 : 0;
}

int CSmartCurve::ReverseCurve() {
  if (!head) return 0;
  for (CSmartSect* s = head; s;) {
    CSmartSect* n = s->next;
    std::swap(s->next, s->prev);
    s->Reverse();
    s = n;
  }
  std::swap(head, tail);
  return 1;
}

void CSmartCurve::CurveBox(double min[2], double max[2]) const {
  min[0] = min[1] = 1e300;
  max[0] = max[1] = -1e300;
  for (CSmartSect* s = head; s; s = s->next) {
    min[0] = std::min(min[0], s->box[0]);
    min[1] = std::min(min[1], s->box[1]);
    max[0] = std::max(max[0], s->box[2]);
    max[1] = std::max(max[1], s->box[3]);
  }
}

CSmartCurve* CSmartCurve::CloneCurve() const {
  auto* c = new CSmartCurve;
  for (CSmartSect* s = head; s; s = s->next) c->AppendSect(s->Clone());
  c->flags = flags;
  return c;
}

int CSmartCurve::PointAtFraction(double x, double out[2]) const {
  if (!head) return 0;
  int k = std::clamp(static_cast<int>(count * x), 0, count - 1);
  CSmartSect* s = head;
  while (k-- > 0 && s->next) s = s->next;
  return s->EvPoint(x, out);
}

CSmartSect* CSmartCurve::NearestStart(const double p[2], double& dist, double out[2]) const {
  CSmartSect* best = nullptr;
  dist = 1e12;
  for (CSmartSect* s = head; s; s = s->next) {
    double q[2];
    s->StartPoint(q);
    const double d = P2D_Dist(p, q);
    if (d < dist) {
      dist = d;
      best = s;
      out[0] = q[0];
      out[1] = q[1];
    }
  }
  return best;
}

void CSmartCurve::StartAt(CSmartSect* s) {
  if (!s || s == head) return;
  // Close the ring, then open it before s.
  tail->next = head;
  head->prev = tail;
  head = s;
  tail = s->prev;
  tail->next = nullptr;
  head->prev = nullptr;
}

void CSmartCurve::RotateCurve(double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  for (CSmartSect* x = head; x; x = x->next) x->Rotate(c, s);
}

void CSmartCurve::MoveSects(CSmartCurve* from, CSmartCurve* to) {
  while (from->head) {
    CSmartSect* s = from->head;
    from->DetachSect(s);
    to->AppendSect(s);
  }
  delete from;
}

int CSmartCurve::MarkSelfCrossings() {
  if (!head) return 0;
  std::vector<CSmartSect*> sects;
  for (CSmartSect* s = head; s; s = s->next) sects.push_back(s);
  const int n = static_cast<int>(sects.size());
  // Sections are filed in a grid of their boxes, so that only the sections whose boxes may
  // meet are cut against each other, still in the order of the plain double loop. The group
  // keeps its use as a bucket number of ten consecutive sections.
  std::vector<std::array<double, 4>> boxes(sects.size());
  for (int i = 0; i < n; ++i) {
    if (n >= 10) sects[i]->group = i / 10;
    const double* b = sects[i]->box;
    boxes[i] = {b[0], b[1], b[2], b[3]};
  }
  CBoxGrid grid(boxes);
  std::vector<int> near;
  // 1 when b starts where a ends (within 1e-6).
  auto joined = [](const CSmartSect* a, const CSmartSect* b, double j[2]) {
    double e[2], s[2];
    a->EndPoint(e);
    b->StartPoint(s);
    j[0] = e[0];
    j[1] = e[1];
    return P2D_AbsDist(e, s) < 1e-6;
  };
  int found = 0;
  for (int i = 0; i < n; ++i) {
    CSmartSect* a = sects[i];
    grid.Query(boxes[i].data(), 0.0001, near);
    for (auto it = std::upper_bound(near.begin(), near.end(), i); it != near.end(); ++it) {
      const int k = *it;
      CSmartSect* b = sects[k];
      if (!BoxesMeet(a->box, b->box, 0.0001)) continue;
      int joints = 0;
      double joint[2] = {0, 0}, j[2];
      if (k == i + 1 && joined(a, b, j)) {
        ++joints;
        joint[0] = j[0];
        joint[1] = j[1];
      }
      if (i == 0 && k == n - 1 && joined(b, a, j)) {
        ++joints;
        joint[0] = j[0];
        joint[1] = j[1];
      }
      if (joints == 2) continue;  // a closed chain of two sections
      if (joints == 1 && a->IsLine() && b->IsLine()) continue;
      if (acCutSects(a, b, joints == 1 ? joint : nullptr)) found = 1;
    }
  }
  return found;
}

namespace {

// The pieces of a section between its start, its cut points and its end; each piece gets
// 0x01 when it starts at a cut and 0x02 when it ends at one.
std::vector<CSmartSect*> PiecesOf(const CSmartSect* s) {
  std::vector<SmartParamPt> recs;
  double p[2];
  s->StartPoint(p);
  recs.push_back({p[0], p[1], 0.0});
  for (CSmartPoint* c = s->cutPoints->head; c; c = c->next) recs.push_back({c->x, c->y, c->t});
  s->EndPoint(p);
  recs.push_back({p[0], p[1], 1.0});
  std::vector<CSmartSect*> out;
  const size_t last = recs.size() - 1;
  size_t from = 0;
  for (size_t k = 0; k < last; ++k) {
    CSmartSect* piece = s->SubSect(recs[from], recs[k + 1]);
    if (!piece) continue;  // the next piece starts where this one would have
    if (k > 0) piece->flags |= kSectSplitStart;
    if (k + 1 < last) piece->flags |= kSectSplitEnd;
    out.push_back(piece);
    from = k + 1;
  }
  return out;
}

// A full circle with cuts is turned to start at its first cut so no piece straddles its seam.
void TurnCircleToFirstCut(CSmartArc* a) {
  if (std::fabs(a->Sweep()) <= 6.283175307179587 || !a->cutPoints || !a->cutPoints->head) return;
  const double t0 = a->cutPoints->head->t;
  const double shift = a->Sweep() * t0;
  a->startAngle += shift;
  a->endAngle += shift;
  for (CSmartPoint* c = a->cutPoints->head; c; c = c->next) c->t -= t0;
}

}  // namespace

void CSmartCurve::SplitAtCuts() {
  for (CSmartSect* s = head; s;) {
    CSmartSect* n = s->next;
    if (s->CutCount() > 0) {
      CSmartSect* after = s->prev;
      for (CSmartSect* piece : PiecesOf(s)) {
        InsertSectAfter(piece, after);
        after = piece;
      }
      DetachSect(s);
      delete s;
    }
    s = n;
  }
}

CSmartCurve* CSmartCurve::SplitIntoCurves() const {
  CSmartCurve* first = nullptr;
  CSmartCurve* last = nullptr;
  auto begin = [&]() {
    auto* c = new CSmartCurve;
    c->flags = flags;
    if (last) last->next = c;
    else first = c;
    last = c;
  };
  for (CSmartSect* s = head; s; s = s->next) {
    if (s->CutCount() == 0) {
      CSmartSect* c = s->Clone();
      c->origin = s->origin;  // keep pointing at the ancestor
      c->flags = s->flags;
      if (!last) begin();
      last->AppendSect(c);
      continue;
    }
    if (s->IsArc()) TurnCircleToFirstCut(static_cast<CSmartArc*>(s));
    for (CSmartSect* piece : PiecesOf(s)) {
      if (!last || (piece->flags & kSectSplitStart)) begin();
      last->AppendSect(piece);
    }
  }
  return first;
}

void CSmartCurve::HealJoints() {
  if (!head) return;
  if (head == tail) {
    if (head->IsArc()) {
      auto* a = static_cast<CSmartArc*>(head);
      if (std::fabs(a->Sweep()) > 6.0) {
        if (a->IsCcw()) a->endAngle = a->startAngle + 2 * std::numbers::pi;
        else a->startAngle = a->endAngle + 2 * std::numbers::pi;
        a->UpdateBox();
      }
    }
    return;
  }
  for (CSmartSect* s = head; s; s = s->next) {
    CSmartSect* n = s->next ? s->next : head;
    double e[2], b[2];
    s->EndPoint(e);
    n->StartPoint(b);
    const double gap = P2D_AbsDist(e, b);
    if (gap <= 1e-9) continue;
    if (s->IsLine()) {
      s->SetEndAt(1, b, 1);
    } else if (n->IsLine()) {
      n->SetEndAt(0, e, 1);
    } else {
      const double mid[2] = {0.5 * (e[0] + b[0]), 0.5 * (e[1] + b[1])};
      RefitArc(static_cast<CSmartArc*>(s), true, mid);
      RefitArc(static_cast<CSmartArc*>(n), false, mid);
    }
  }
}

namespace {

// Sections filed by the cell of their start point, so that a search for sections starting near
// a point reads a few cells instead of the whole chain. Every section gets a serial that grows
// in chain order, which puts the candidates back in the order a plain walk would meet them.
// Cells that hash alike share a slot; that only adds candidates, which the caller's own
// distance tests drop. Starts that cannot be filed (not finite, or too far out for the cell
// arithmetic) are kept aside and offered to every search. The table is sized once for at most
// `capacity` sections.
class StartIndex {
 public:
  explicit StartIndex(size_t capacity) {
    size_t slots = 16;
    while (slots < 2 * capacity) slots *= 2;
    mask_ = slots - 1;
    keys_.resize(slots);
    used_.assign(slots, 0);
    heads_.assign(slots, kNone);
    sects_.reserve(capacity);
    live_.reserve(capacity);
    link_.reserve(capacity);
    starts_.reserve(capacity);
  }

  uint32_t Add(CSmartSect* s) {
    const auto serial = static_cast<uint32_t>(sects_.size());
    sects_.push_back(s);
    live_.push_back(1);
    link_.push_back(kNone);
    starts_.emplace_back();
    double* p = starts_.back().data();
    s->StartPoint(p);
    int64_t ix, iy;
    if (CellOf(p[0], ix) && CellOf(p[1], iy)) {
      const size_t slot = Slot(Key(ix, iy), true);
      link_[serial] = heads_[slot];
      heads_[slot] = serial;
    } else {
      aside_.push_back(serial);
    }
    return serial;
  }
  void Drop(uint32_t serial) { live_[serial] = 0; }
  CSmartSect* At(uint32_t serial) const { return sects_[serial]; }
  // The start point as it was when the section was filed (its start does not move later).
  const double* Start(uint32_t serial) const { return starts_[serial].data(); }

  // Serials of the live sections whose start may lie within kReach of p, ascending; false when
  // p itself cannot be placed in a cell (the caller then walks its chain).
  bool Near(const double p[2], std::vector<uint32_t>& out) {
    out.clear();
    int64_t x0, x1, y0, y1;
    if (!CellOf(p[0] - kReach, x0) || !CellOf(p[0] + kReach, x1) || !CellOf(p[1] - kReach, y0) ||
        !CellOf(p[1] + kReach, y1))
      return false;
    size_t seen[4];
    int nSeen = 0;
    for (int64_t ix = x0; ix <= x1; ++ix)
      for (int64_t iy = y0; iy <= y1; ++iy) {
        const size_t slot = Slot(Key(ix, iy), false);
        if (slot == kNoSlot || std::find(seen, seen + nSeen, slot) != seen + nSeen) continue;
        seen[nSeen++] = slot;
        // Collect the live entries and unlink the dead ones on the way.
        uint32_t* at = &heads_[slot];
        while (*at != kNone) {
          const uint32_t k = *at;
          if (!live_[k]) {
            *at = link_[k];
            continue;
          }
          out.push_back(k);
          at = &link_[k];
        }
      }
    for (uint32_t k : aside_)
      if (live_[k]) out.push_back(k);
    std::sort(out.begin(), out.end());
    return true;
  }

 private:
  // Cell edge and search reach: the callers accept starts within 0.001; the reach is wider so
  // that rounding at a cell border never hides one. With reach * 2 <= edge a search spans at
  // most two cells a side.
  static constexpr double kEdge = 0.004;
  static constexpr double kReach = 0.002;
  static constexpr double kLimit = 1e12;
  static constexpr uint32_t kNone = 0xFFFFFFFFu;
  static constexpr size_t kNoSlot = ~size_t(0);

  static bool CellOf(double x, int64_t& cell) {
    if (!(std::fabs(x) <= kLimit)) return false;
    cell = static_cast<int64_t>(std::floor(x / kEdge));
    return true;
  }
  static uint64_t Key(int64_t ix, int64_t iy) {
    uint64_t k = static_cast<uint64_t>(ix) * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(iy);
    k ^= k >> 29;
    k *= 0xBF58476D1CE4E5B9ull;
    return k ^ (k >> 32);
  }
  // The slot holding key, linear probing; a free slot is claimed for it when make is set.
  size_t Slot(uint64_t key, bool make) {
    for (size_t i = key & mask_;; i = (i + 1) & mask_) {
      if (!used_[i]) {
        if (!make) return kNoSlot;
        used_[i] = 1;
        keys_[i] = key;
        return i;
      }
      if (keys_[i] == key) return i;
    }
  }

  size_t mask_ = 0;
  std::vector<uint64_t> keys_;
  std::vector<uint8_t> used_;
  std::vector<uint32_t> heads_;  // first entry of each slot's list (newest first)
  std::vector<CSmartSect*> sects_;
  std::vector<uint8_t> live_;
  std::vector<uint32_t> link_;  // next entry in the same slot
  std::vector<std::array<double, 2>> starts_;
  std::vector<uint32_t> aside_;
};

}  // namespace

CSmartLoop* CSmartCurve::ChainLoops() {
  CSmartLoop* first = nullptr;
  CSmartLoop* last = nullptr;
  auto emit = [&](CSmartCurve* c) {
    auto* loop = new CSmartLoop;
    loop->UpdateSect(c);
    if (std::fabs(loop->area) < 1e-8) {
      delete loop;
      return;
    }
    loop->prev = last;
    if (last) last->next = loop;
    else first = loop;
    last = loop;
  };

  // The source's sections by start point, serials in list order, and the growing chain's,
  // serials in chain order: sections only join the chain at its end and leave it from the end,
  // so chainSerials (the chain's serials, head first) stays ascending. A section joins a chain
  // at most once, so both tables hold at most n entries.
  size_t n = 0;
  for (CSmartSect* s = head; s; s = s->next) ++n;
  StartIndex source(n), inChain(n);
  // The source list in serials: serials follow the list, and the list only loses sections,
  // so the section after serial k is nextOf[k] (kEnd: none).
  constexpr uint32_t kEnd = 0xFFFFFFFFu;
  std::vector<uint32_t> nextOf, prevOf;
  nextOf.reserve(n);
  prevOf.reserve(n);
  for (CSmartSect* s = head; s; s = s->next) {
    const uint32_t k = source.Add(s);
    prevOf.push_back(k == 0 ? kEnd : k - 1);
    nextOf.push_back(s->next ? k + 1 : kEnd);
  }
  uint32_t headSerial = n ? 0 : kEnd;
  // Moves serial k's section out of the source.
  auto takeFromSource = [&](uint32_t k) {
    source.Drop(k);
    if (prevOf[k] != kEnd) nextOf[prevOf[k]] = nextOf[k];
    else headSerial = nextOf[k];
    if (nextOf[k] != kEnd) prevOf[nextOf[k]] = prevOf[k];
    DetachSect(source.At(k));
  };
  std::vector<uint32_t> chainSerials, near;

  std::unique_ptr<CSmartCurve> chain;
  auto endChain = [&]() {
    for (uint32_t k : chainSerials) inChain.Drop(k);
    chainSerials.clear();
    chain.reset();
  };
  auto deleteChainTail = [&]() {
    CSmartSect* t = chain->tail;
    inChain.Drop(chainSerials.back());
    chainSerials.pop_back();
    chain->DetachSect(t);
    delete t;
  };

  double cur[2], tan[2];
  while (head || chain) {
    if (!chain) {
      head->StartPoint(cur);
      head->EvTangent(0.0, tan);
      chain = std::make_unique<CSmartCurve>();
      chain->flags = flags;
    }
    // Continuation at cur: a piece that does not start at a cut wins at once, else the
    // sharpest left turn. Candidates are weighed in list order.
    uint32_t pick = kEnd;
    double bestTurn = -6.0;
    auto weigh = [&](uint32_t k) {
      CSmartSect* s = source.At(k);
      if (P2D_AbsDist(source.Start(k), cur) > 0.001) return false;
      if (!acPtInBox(0.003, s->box, cur)) return false;
      if (!(s->flags & kSectSplitStart)) {
        pick = k;
        return true;
      }
      double t[2];
      s->EvTangent(0.0, t);
      const double turn = SignedTurn(tan, t);
      if (turn > bestTurn) {
        bestTurn = turn;
        pick = k;
      }
      return false;
    };
    if (source.Near(cur, near)) {
      for (uint32_t k : near)
        if (weigh(k)) break;
    } else {
      for (uint32_t k = headSerial; k != kEnd; k = nextOf[k])
        if (weigh(k)) break;
    }
    if (pick == kEnd) {
      if (chain->count == 0) {
        // The head cannot even continue from its own start (a point that is not finite, or a
        // box that misses it): starting over would pick it again forever, so it is dropped.
        CSmartSect* h = head;
        takeFromSource(headSerial);
        delete h;
        endChain();
        continue;
      }
      if (chain->count < 2) {
        endChain();
        continue;
      }
      // A piece taken at a crossing that leads nowhere is a stub: drop it and choose again at
      // the crossing, rather than wearing the whole chain away.
      if (chain->tail->flags & kSectSplitStart) {
        deleteChainTail();
        chain->tail->EndPoint(cur);
        chain->tail->EvTangent(1.0, tan);
        continue;
      }
      // The new tail keeps its start, so its place in the index holds.
      deleteChainTail();
      chain->tail->SetEndAt(1, cur, 1);
      chain->tail->EvTangent(1.0, tan);
      continue;
    }
    // Take it and the run that follows it without a cut.
    uint32_t k = pick;
    do {
      CSmartSect* s = source.At(k);
      const uint32_t after = nextOf[k];
      takeFromSource(k);
      chain->AppendSect(s);
      chainSerials.push_back(inChain.Add(s));
      s->EndPoint(cur);
      s->EvTangent(1.0, tan);
      k = after;
      if (k == kEnd || (source.At(k)->flags & kSectSplitStart)) break;
      if (P2D_AbsDist(source.Start(k), cur) > 0.0001) break;
    } while (true);
    // Closed onto a section already in the chain? The first such section in chain order wins.
    auto closesAt = [&](CSmartSect* c, const double* start) {
      if (P2D_AbsDist(start, cur) > 0.001) return false;
      if (!acPtInBox(0.001, c->box, cur)) return false;
      // A short piece from a cut may not close onto itself; a whole circle from a cut may.
      return !(c == chain->tail && (c->flags & kSectSplitStart) && c->Length() < 0.002);
    };
    size_t at = chainSerials.size();  // position of the closing section in the chain
    if (inChain.Near(cur, near)) {
      for (uint32_t c : near)
        if (closesAt(inChain.At(c), inChain.Start(c))) {
          at = size_t(std::lower_bound(chainSerials.begin(), chainSerials.end(), c) -
                      chainSerials.begin());
          break;
        }
    } else {
      for (size_t i = 0; i < chainSerials.size(); ++i)
        if (closesAt(inChain.At(chainSerials[i]), inChain.Start(chainSerials[i]))) {
          at = i;
          break;
        }
    }
    if (at == chainSerials.size()) continue;
    CSmartSect* c = inChain.At(chainSerials[at]);
    for (size_t i = at; i < chainSerials.size(); ++i) inChain.Drop(chainSerials[i]);
    chainSerials.resize(at);
    auto* loop = new CSmartCurve;
    loop->flags = flags;
    while (c) {
      CSmartSect* n = c->next;
      chain->DetachSect(c);
      loop->AppendSect(c);
      c = n;
    }
    emit(loop);
    if (!chain->head) endChain();
    else chain->tail->EvTangent(1.0, tan);
  }
  return first;
}
