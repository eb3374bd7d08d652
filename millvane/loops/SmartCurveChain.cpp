#include "millvane/loops/SmartCurve.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "millvane/loops/SmartLoop.h"
#include "platform/numora/Math.h"
#include "platform/numora/Point2d.h"

namespace {

// Signed turn from tangent a to tangent b: positive to the left.
double SignedTurn(const double a[2], const double b[2]) {
  const double f = CMath::ACos(a[0] * b[0] + a[1] * b[1]);
  return (a[0] * b[1] - a[1] * b[0]) < 0.0 ? -f : f;
}


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


// Chains the sections of one curve into closed loops: a chain grows from the curve's head,
// turning sharpest left at every cut, until it closes onto one of its own sections; the closed
// part becomes a loop and the rest of the chain grows on.
//
// The source's sections by start point, serials in list order, and the growing chain's,
// serials in chain order: sections only join the chain at its end and leave it from the end,
// so chainSerials_ (the chain's serials, head first) stays ascending. A section joins a chain
// at most once, so both tables hold at most n entries.
class LoopChainer {
 public:
  explicit LoopChainer(CSmartCurve& src)
      : src_(src), source_(CountSects(src)), inChain_(CountSects(src)) {
    // The source list in serials: serials follow the list, and the list only loses sections,
    // so the section after serial k is nextOf_[k] (kEnd: none).
    const size_t n = CountSects(src);
    nextOf_.reserve(n);
    prevOf_.reserve(n);
    for (CSmartSect* s = src_.head; s; s = s->next) {
      const uint32_t k = source_.Add(s);
      prevOf_.push_back(k == 0 ? kEnd : k - 1);
      nextOf_.push_back(s->next ? k + 1 : kEnd);
    }
    headSerial_ = n ? 0 : kEnd;
  }

  CSmartLoop* Run() {
    while (src_.head || chain_) {
      if (!chain_) StartChain();
      const uint32_t pick = PickContinuation();
      if (pick == kEnd) {
        BackOff();
        continue;
      }
      TakeRun(pick);
      CloseLoop();
    }
    return first_;
  }

 private:
  static constexpr uint32_t kEnd = 0xFFFFFFFFu;

  static size_t CountSects(const CSmartCurve& c) {
    size_t n = 0;
    for (CSmartSect* s = c.head; s; s = s->next) ++n;
    return n;
  }

  void Emit(CSmartCurve* c) {
    auto* loop = new CSmartLoop;
    loop->UpdateSect(c);
    if (std::fabs(loop->area) < 1e-8) {
      delete loop;
      return;
    }
    loop->prev = last_;
    if (last_) last_->next = loop;
    else first_ = loop;
    last_ = loop;
  }

  // Moves serial k's section out of the source.
  void TakeFromSource(uint32_t k) {
    source_.Drop(k);
    if (prevOf_[k] != kEnd) nextOf_[prevOf_[k]] = nextOf_[k];
    else headSerial_ = nextOf_[k];
    if (nextOf_[k] != kEnd) prevOf_[nextOf_[k]] = prevOf_[k];
    src_.DetachSect(source_.At(k));
  }

  void EndChain() {
    for (uint32_t k : chainSerials_) inChain_.Drop(k);
    chainSerials_.clear();
    chain_.reset();
  }

  void DeleteChainTail() {
    CSmartSect* t = chain_->tail;
    inChain_.Drop(chainSerials_.back());
    chainSerials_.pop_back();
    chain_->DetachSect(t);
    delete t;
  }

  void StartChain() {
    src_.head->StartPoint(cur_);
    src_.head->EvTangent(0.0, tan_);
    chain_ = std::make_unique<CSmartCurve>();
    chain_->flags = src_.flags;
  }

  // Continuation at cur_: a piece that does not start at a cut wins at once, else the
  // sharpest left turn. Candidates are weighed in list order. kEnd when none starts there.
  uint32_t PickContinuation() {
    uint32_t pick = kEnd;
    double bestTurn = -6.0;
    auto weigh = [&](uint32_t k) {
      CSmartSect* s = source_.At(k);
      if (P2D_AbsDist(source_.Start(k), cur_) > 0.001) return false;
      if (!acPtInBox(0.003, s->box, cur_)) return false;
      if (!(s->flags & kSectSplitStart)) {
        pick = k;
        return true;
      }
      double t[2];
      s->EvTangent(0.0, t);
      const double turn = SignedTurn(tan_, t);
      if (turn > bestTurn) {
        bestTurn = turn;
        pick = k;
      }
      return false;
    };
    if (source_.Near(cur_, near_)) {
      for (uint32_t k : near_)
        if (weigh(k)) break;
    } else {
      for (uint32_t k = headSerial_; k != kEnd; k = nextOf_[k])
        if (weigh(k)) break;
    }
    return pick;
  }

  // Nothing continues the chain at cur_.
  void BackOff() {
    if (chain_->count == 0) {
      // The head cannot even continue from its own start (a point that is not finite, or a
      // box that misses it): starting over would pick it again forever, so it is dropped.
      CSmartSect* h = src_.head;
      TakeFromSource(headSerial_);
      delete h;
      EndChain();
      return;
    }
    if (chain_->count < 2) {
      EndChain();
      return;
    }
    // A piece taken at a crossing that leads nowhere is a stub: drop it and choose again at
    // the crossing, rather than wearing the whole chain away.
    if (chain_->tail->flags & kSectSplitStart) {
      DeleteChainTail();
      chain_->tail->EndPoint(cur_);
      chain_->tail->EvTangent(1.0, tan_);
      return;
    }
    // The new tail keeps its start, so its place in the index holds.
    DeleteChainTail();
    chain_->tail->SetEndAt(1, cur_, 1);
    chain_->tail->EvTangent(1.0, tan_);
  }

  // Takes the picked section and the run that follows it without a cut.
  void TakeRun(uint32_t k) {
    do {
      CSmartSect* s = source_.At(k);
      const uint32_t after = nextOf_[k];
      TakeFromSource(k);
      chain_->AppendSect(s);
      chainSerials_.push_back(inChain_.Add(s));
      s->EndPoint(cur_);
      s->EvTangent(1.0, tan_);
      k = after;
      if (k == kEnd || (source_.At(k)->flags & kSectSplitStart)) break;
      if (P2D_AbsDist(source_.Start(k), cur_) > 0.0001) break;
    } while (true);
  }

  // Position in the chain of the section the chain has closed onto at cur_ (the first such
  // in chain order), or the chain's length when it has not closed.
  size_t ClosingPosition() {
    auto closesAt = [&](CSmartSect* c, const double* start) {
      if (P2D_AbsDist(start, cur_) > 0.001) return false;
      if (!acPtInBox(0.001, c->box, cur_)) return false;
      // A short piece from a cut may not close onto itself; a whole circle from a cut may.
      return !(c == chain_->tail && (c->flags & kSectSplitStart) && c->Length() < 0.002);
    };
    if (inChain_.Near(cur_, near_)) {
      for (uint32_t c : near_)
        if (closesAt(inChain_.At(c), inChain_.Start(c)))
          return size_t(std::lower_bound(chainSerials_.begin(), chainSerials_.end(), c) -
                        chainSerials_.begin());
    } else {
      for (size_t i = 0; i < chainSerials_.size(); ++i)
        if (closesAt(inChain_.At(chainSerials_[i]), inChain_.Start(chainSerials_[i]))) return i;
    }
    return chainSerials_.size();
  }

  // Cuts the closed part off the chain's end as a loop.
  void CloseLoop() {
    const size_t at = ClosingPosition();
    if (at == chainSerials_.size()) return;
    CSmartSect* c = inChain_.At(chainSerials_[at]);
    for (size_t i = at; i < chainSerials_.size(); ++i) inChain_.Drop(chainSerials_[i]);
    chainSerials_.resize(at);
    auto* loop = new CSmartCurve;
    loop->flags = src_.flags;
    while (c) {
      CSmartSect* n = c->next;
      chain_->DetachSect(c);
      loop->AppendSect(c);
      c = n;
    }
    Emit(loop);
    if (!chain_->head) EndChain();
    else chain_->tail->EvTangent(1.0, tan_);
  }

  CSmartCurve& src_;
  StartIndex source_, inChain_;
  std::vector<uint32_t> nextOf_, prevOf_;
  uint32_t headSerial_ = kEnd;
  std::vector<uint32_t> chainSerials_, near_;
  std::unique_ptr<CSmartCurve> chain_;
  double cur_[2] = {0.0, 0.0}, tan_[2] = {0.0, 0.0};
  CSmartLoop* first_ = nullptr;
  CSmartLoop* last_ = nullptr;
};

}  // namespace

CSmartLoop* CSmartCurve::ChainLoops() { return LoopChainer(*this).Run(); }
