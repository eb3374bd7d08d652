// Re-chaining split pieces into loops: the indexed search must give exactly what a plain walk
// over every remaining piece gives, on noisy, shuffled and offset-like inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "millvane/loops/LoopListOffset.h"
#include "platform/numora/Math.h"
#include "platform/numora/Point2d.h"
#include "tests/millvane/LoopTestUtil.h"

using namespace looptest;

namespace {

double SignedTurn(const double a[2], const double b[2]) {
  const double f = CMath::ACos(a[0] * b[0] + a[1] * b[1]);
  return (a[0] * b[1] - a[1] * b[0]) < 0.0 ? -f : f;
}

// The chaining rules with a plain walk over the remaining pieces at every step (and over the
// whole chain when looking for a closure): the reference the indexed search must match. The
// one difference: a head piece that cannot start a chain is dropped, where a plain restart
// would pick the same head again forever.
CSmartLoop* PlainChainLoops(CSmartCurve* src) {
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
  std::unique_ptr<CSmartCurve> chain;
  double cur[2], tan[2];
  while (src->head || chain) {
    if (!chain) {
      src->head->StartPoint(cur);
      src->head->EvTangent(0.0, tan);
      chain = std::make_unique<CSmartCurve>();
      chain->flags = src->flags;
    }
    CSmartSect* pick = nullptr;
    double bestTurn = -6.0;
    for (CSmartSect* s = src->head; s; s = s->next) {
      if (!acPtInBox(0.003, s->box, cur)) continue;
      double p[2];
      s->StartPoint(p);
      if (P2D_AbsDist(p, cur) > 0.001) continue;
      if (!(s->flags & kSectSplitStart)) {
        pick = s;
        break;
      }
      double t[2];
      s->EvTangent(0.0, t);
      const double turn = SignedTurn(tan, t);
      if (turn > bestTurn) {
        bestTurn = turn;
        pick = s;
      }
    }
    if (!pick) {
      if (chain->count == 0) {
        CSmartSect* h = src->head;
        src->DetachSect(h);
        delete h;
        chain.reset();
        continue;
      }
      if (chain->count < 2) {
        chain.reset();
        continue;
      }
      if (chain->tail->flags & kSectSplitStart) {
        CSmartSect* stub = chain->tail;
        chain->DetachSect(stub);
        delete stub;
        chain->tail->EndPoint(cur);
        chain->tail->EvTangent(1.0, tan);
        continue;
      }
      CSmartSect* gone = chain->tail;
      chain->DetachSect(gone);
      delete gone;
      chain->tail->SetEndAt(1, cur, 1);
      chain->tail->EvTangent(1.0, tan);
      continue;
    }
    CSmartSect* s = pick;
    do {
      CSmartSect* n = s->next;
      src->DetachSect(s);
      chain->AppendSect(s);
      s->EndPoint(cur);
      s->EvTangent(1.0, tan);
      s = n;
      if (!s || (s->flags & kSectSplitStart)) break;
      double p[2];
      s->StartPoint(p);
      if (P2D_AbsDist(p, cur) > 0.0001) break;
    } while (true);
    for (CSmartSect* c = chain->head; c; c = c->next) {
      if (!acPtInBox(0.001, c->box, cur)) continue;
      double p[2];
      c->StartPoint(p);
      if (P2D_AbsDist(p, cur) > 0.001) continue;
      if (c == chain->tail && (c->flags & kSectSplitStart) && c->Length() < 0.002) continue;
      auto* loop = new CSmartCurve;
      loop->flags = src->flags;
      while (c) {
        CSmartSect* n = c->next;
        chain->DetachSect(c);
        loop->AppendSect(c);
        c = n;
      }
      emit(loop);
      if (!chain->head) chain.reset();
      else chain->tail->EvTangent(1.0, tan);
      break;
    }
  }
  return first;
}

// Fixed-seed generator, the same on every machine.
struct Rng {
  uint64_t s;
  double operator()() {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    return double(s >> 11) / double(uint64_t(1) << 53);
  }
};

// A ring of n vertices around (cx, cy) with noise along and across the radius (noise of 1 or
// more lets vertices swap places, so the ring crosses itself); every fifth edge (when arcs is
// set) bulges as an arc through a displaced midpoint.
void AddRing(CSmartCurve* c, Rng& rng, int n, double cx, double cy, double r, double noise, bool arcs) {
  std::vector<std::array<double, 2>> p(size_t(n), std::array<double, 2>{});
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * (i + 2 * noise * (rng() - 0.5)) / n, rr = r + noise * (rng() - 0.5);
    p[size_t(i)] = {cx + rr * std::cos(a), cy + rr * std::sin(a)};
  }
  for (int i = 0; i < n; ++i) {
    const double* s = p[size_t(i)].data();
    const double* e = p[size_t(i + 1) % size_t(n)].data();
    CSmartSect* sect = nullptr;
    if (arcs && i % 5 == 0) {
      const double bulge = noise * (rng() - 0.5);
      const double dx = e[0] - s[0], dy = e[1] - s[1];
      const double m[2] = {0.5 * (s[0] + e[0]) - bulge * dy, 0.5 * (s[1] + e[1]) + bulge * dx};
      sect = CSmartArc::FromThreePoints(s, m, e);
    }
    c->AppendSect(sect ? sect : new CSmartLine(s, e));
  }
}

// Offset copies of a closed curve's sections joined end to start by lines: a closed chain that
// crosses itself wherever the offset folds over, as an offset does before it is cleaned.
CSmartCurve* OffsetLike(const CSmartCurve* c, double d) {
  auto* out = new CSmartCurve;
  std::vector<CSmartSect*> offs;
  for (CSmartSect* s = c->head; s; s = s->next)
    if (CSmartSect* o = s->Offset(d)) offs.push_back(o);
  for (size_t i = 0; i < offs.size(); ++i) {
    out->AppendSect(offs[i]);
    double e[2], b[2];
    offs[i]->EndPoint(e);
    offs[(i + 1) % offs.size()]->StartPoint(b);
    if (P2D_AbsDist(e, b) > 1e-9) out->AppendSect(new CSmartLine(e, b));
  }
  return out;
}

struct Input {
  const char* name;
  uint64_t seed;
  int shape;  // 0 one ring, 1 two overlapping rings, 2 offset of a ring, 3 ring with strays
  int n;
  double noise;
  bool arcs;
  bool shuffle;
};

// Split pieces ready for chaining, rebuilt from the seed on every call.
std::unique_ptr<CSmartCurve> Pieces(const Input& in) {
  Rng rng{in.seed};
  auto c = std::make_unique<CSmartCurve>();
  AddRing(c.get(), rng, in.n, 0, 0, 10, in.noise, in.arcs);
  if (in.shape == 1) AddRing(c.get(), rng, in.n, 3, 1, 8, in.noise, in.arcs);
  if (in.shape == 2) {
    std::unique_ptr<CSmartCurve> ring(std::move(c));
    c.reset(OffsetLike(ring.get(), -0.8));
  }
  if (in.shape == 3) {
    // Strays from points of the ring lead nowhere: stubs to drop at crossings and dead ends.
    std::vector<std::array<double, 2>> from;
    for (CSmartSect* s = c->head; s; s = s->next) {
      double p[2];
      s->StartPoint(p);
      from.push_back({p[0], p[1]});
    }
    for (size_t k = 0; k < from.size(); k += 7) {
      const double e[2] = {from[k][0] + 4 * (rng() - 0.5), from[k][1] + 4 * (rng() - 0.5)};
      c->AppendSect(new CSmartLine(from[k].data(), e));
    }
  }
  for (CSmartSect* s = c->head; s; s = s->next) s->UpdateBox();
  c->MarkSelfCrossings();
  c->SplitAtCuts();
  if (in.shuffle) {
    std::vector<CSmartSect*> all;
    while (c->head) {
      CSmartSect* s = c->head;
      c->DetachSect(s);
      all.push_back(s);
    }
    for (size_t i = all.size(); i > 1; --i) std::swap(all[i - 1], all[size_t(rng() * double(i))]);
    for (CSmartSect* s : all) c->AppendSect(s);
  }
  return c;
}

// Loops equal piece by piece: kind, exact geometry, flags, in the same order.
void ExpectSameLoops(const CSmartLoop* a, const CSmartLoop* b, const char* name) {
  int k = 0;
  for (; a && b; a = a->next, b = b->next, ++k) {
    SCOPED_TRACE(testing::Message() << name << " loop " << k);
    ASSERT_EQ(a->curve->count, b->curve->count);
    EXPECT_EQ(a->area, b->area);
    for (CSmartSect *s = a->curve->head, *t = b->curve->head; s && t; s = s->next, t = t->next) {
      ASSERT_EQ(s->kind, t->kind);
      EXPECT_EQ(s->flags, t->flags);
      double p[2], q[2];
      s->StartPoint(p);
      t->StartPoint(q);
      EXPECT_EQ(p[0], q[0]);
      EXPECT_EQ(p[1], q[1]);
      s->EndPoint(p);
      t->EndPoint(q);
      EXPECT_EQ(p[0], q[0]);
      EXPECT_EQ(p[1], q[1]);
    }
  }
  EXPECT_EQ(a == nullptr, b == nullptr) << name << ": loop counts differ after " << k;
}

TEST(ChainLoops, MatchesThePlainWalk) {
  const Input inputs[] = {
      {"quiet ring", 1, 0, 60, 0.05, false, false},
      {"noisy ring", 2, 0, 400, 1.5, false, false},
      {"noisy ring with arcs", 3, 0, 400, 1.5, true, false},
      {"noisy ring shuffled", 4, 0, 300, 1.5, true, true},
      {"two rings", 5, 1, 200, 1.0, true, false},
      {"two rings shuffled", 6, 1, 200, 1.0, false, true},
      {"offset of a noisy ring", 7, 2, 600, 0.8, false, false},
      {"offset with arcs", 8, 2, 600, 0.8, true, false},
      {"offset shuffled", 9, 2, 400, 0.8, true, true},
      {"ring with strays", 10, 3, 300, 1.0, false, false},
      {"strays shuffled", 11, 3, 300, 1.0, true, true},
  };
  for (const Input& in : inputs) {
    std::unique_ptr<CSmartCurve> a = Pieces(in), b = Pieces(in);
    if (in.noise > 0.5) {
      ASSERT_GT(a->count, in.n) << in.name << ": the input should cross itself";
    }
    Owned fast(a->ChainLoops()), plain(PlainChainLoops(b.get()));
    EXPECT_GT(Count(plain.l), 0) << in.name;
    ExpectSameLoops(fast.l, plain.l, in.name);
    EXPECT_EQ(a->head, nullptr) << in.name;
  }
}

// Starts far from the origin and pieces whose start is not finite take the plain path.
TEST(ChainLoops, UnplaceablePointsStillChainAndEnd) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  auto build = [&](double shift, bool withNan) {
    auto c = std::make_unique<CSmartCurve>();
    Rng rng{12};
    AddRing(c.get(), rng, 80, shift, -shift, 10, 1.5, true);
    if (withNan) {
      const double s[2] = {nan, 0}, e[2] = {1, 1};
      c->InsertSectAfter(new CSmartLine(s, e), nullptr);  // the head: it can start no chain
      c->AppendSect(new CSmartLine(e, s));
    }
    for (CSmartSect* s = c->head; s; s = s->next) s->UpdateBox();
    c->MarkSelfCrossings();
    c->SplitAtCuts();
    return c;
  };
  for (double shift : {0.0, 3e12}) {
    for (bool withNan : {false, true}) {
      SCOPED_TRACE(testing::Message() << "shift " << shift << (withNan ? " with NaN" : ""));
      auto a = build(shift, withNan), b = build(shift, withNan);
      Owned fast(a->ChainLoops()), plain(PlainChainLoops(b.get()));
      ExpectSameLoops(fast.l, plain.l, "unplaceable");
      EXPECT_GT(Count(fast.l), 0);
      EXPECT_EQ(a->head, nullptr);
    }
  }
}

// Fingerprint of the offset of a noisy 2,000-vertex polygon (the benchmark's input), taken
// with the plain walk before the search was indexed.
TEST(ChainLoops, NoisyPolygonOffsetKeepsItsFingerprint) {
  Rng rng{0x9E3779B97F4A7C15ull};
  const int n = 2000;
  auto* g = new CGeLoop;
  std::vector<std::array<double, 2>> p(size_t(n), std::array<double, 2>{});
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n, r = 50.0 + 1.2 * (rng() - 0.5);
    p[size_t(i)] = {r * std::cos(a), r * std::sin(a)};
  }
  for (int i = 0; i < n; ++i) g->m_CurveList.AddTail(new CGeLine(p[size_t(i)].data(), p[size_t(i + 1) % size_t(n)].data()));
  CGeLoopList in, out;
  in.AddTail(g);
  acGeLoopListOffset(&in, 1.0, 2, 0, &out);
  int loops = 0, curves = 0;
  double area = 0;
  for (POSITION pos = out.GetHeadPosition(); pos;) {
    CGeLoop* l = out.GetNext(pos);
    ++loops;
    curves += l->m_CurveList.GetCount();
    area += l->EvArea(0.0001);
  }
  EXPECT_EQ(loops, 1);
  EXPECT_EQ(curves, 538);
  EXPECT_NEAR(area, 7417.1644405716734, 1e-6);
  geDelGeLoopList(&in, false);
  geDelGeLoopList(&out, false);
}

}  // namespace
