// Small builders and independent measures for the smart-loop tests.
#pragma once

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "millvane/loops/SmartLoop.h"

namespace looptest {
using Pts = std::vector<std::array<double, 2>>;

// A closed loop of lines through the points (last joins first).
inline CSmartLoop* Polygon(const Pts& p) {
  auto* c = new CSmartCurve;
  for (size_t i = 0; i < p.size(); ++i)
    c->AppendSect(new CSmartLine(p[i].data(), p[(i + 1) % p.size()].data()));
  auto* l = new CSmartLoop;
  l->UpdateSect(c);
  return l;
}

inline CSmartLoop* Rect(double x0, double y0, double x1, double y1) {
  auto* l = new CSmartLoop;
  const double a[2] = {x0, y0}, b[2] = {x1, y1};
  l->CreateLoop(a, b);
  return l;
}

// Full circle as one arc; ccw or cw.
inline CSmartLoop* Circle(double cx, double cy, double r, bool ccw = true) {
  auto* c = new CSmartCurve;
  const double ctr[2] = {cx, cy};
  c->AppendSect(ccw ? new CSmartArc(ctr, r, 0.0, 2 * std::numbers::pi) : new CSmartArc(ctr, r, 2 * std::numbers::pi, 0.0));
  auto* l = new CSmartLoop;
  l->UpdateSect(c);
  return l;
}

// Dense samples of a loop's boundary (independent of the engine's own chord routine).
inline Pts Sample(const CSmartLoop* l, int perArc = 2000) {
  Pts out;
  for (CSmartSect* s = l->curve->head; s; s = s->next) {
    const int n = s->IsLine() ? 1 : perArc;
    for (int i = 0; i < n; ++i) {
      double p[2];
      s->EvPoint(double(i) / n, p);
      out.push_back({p[0], p[1]});
    }
  }
  return out;
}

// Doubled signed shoelace area of a polygon.
inline double Area2(const Pts& p) {
  double s = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const auto& a = p[i];
    const auto& b = p[(i + 1) % p.size()];
    s += a[0] * b[1] - b[0] * a[1];
  }
  return s;
}

// Plain even-odd ray test on a dense polygon.
inline bool Inside(const Pts& p, double x, double y) {
  bool in = false;
  for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
    if ((p[i][1] > y) != (p[j][1] > y) &&
        x < (p[j][0] - p[i][0]) * (y - p[i][1]) / (p[j][1] - p[i][1]) + p[i][0])
      in = !in;
  }
  return in;
}

inline int Count(const CSmartLoop* l) {
  int n = 0;
  for (; l; l = l->next) ++n;
  return n;
}

inline int IslandCount(const CSmartLoop* l) { return Count(l->islands); }

// Sum of the stored doubled areas of a contour list, islands included.
inline double TotalArea(const CSmartLoop* l) {
  double s = 0;
  for (; l; l = l->next) {
    s += l->area;
    for (CSmartLoop* i = l->islands; i; i = i->next) s += i->area;
  }
  return s;
}

// Dense doubled area of a contour list, islands included.
inline double DenseArea(const CSmartLoop* l) {
  double s = 0;
  for (; l; l = l->next) {
    s += Area2(Sample(l));
    for (CSmartLoop* i = l->islands; i; i = i->next) s += Area2(Sample(i));
  }
  return s;
}

// Owns a next-linked result list.
struct Owned {
  CSmartLoop* l;
  explicit Owned(CSmartLoop* x) : l(x) {}
  ~Owned() { acDeleteLoopList(l); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
};

inline double Perimeter(const CSmartLoop* l) {
  double s = 0;
  for (CSmartSect* x = l->curve->head; x; x = x->next) s += x->Length();
  return s;
}

}  // namespace looptest
