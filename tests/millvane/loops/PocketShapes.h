// Pocket outlines shared by the pocket tests: each is a contour (outer loop with islands)
// that stands for a region already inset by the tool radius.
#pragma once

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "tests/millvane/LoopTestUtil.h"

namespace pockettest {

// A "D": a line spine and a half circle, with a smaller "D" hole (arcs on both loops).
inline CSmartLoop* Glyph() {
  const double pi = std::numbers::pi;
  auto* c = new CSmartCurve;
  const double p0[2] = {0, 0}, p1[2] = {8, 0}, p2[2] = {8, 20}, p3[2] = {0, 20}, ctr[2] = {8, 10};
  c->AppendSect(new CSmartLine(p0, p1));
  c->AppendSect(new CSmartArc(ctr, 10.0, -pi / 2, pi / 2));
  c->AppendSect(new CSmartLine(p2, p3));
  c->AppendSect(new CSmartLine(p3, p0));
  auto* outer = new CSmartLoop;
  outer->UpdateSect(c);
  auto* h = new CSmartCurve;
  const double q0[2] = {4, 5}, q1[2] = {4, 15}, q2[2] = {8, 15}, q3[2] = {8, 5};
  h->AppendSect(new CSmartLine(q0, q1));
  h->AppendSect(new CSmartLine(q1, q2));
  h->AppendSect(new CSmartArc(ctr, 5.0, pi / 2, -pi / 2));
  h->AppendSect(new CSmartLine(q3, q0));
  auto* hole = new CSmartLoop;
  hole->UpdateSect(h);
  outer->AddIsland(hole);
  return outer;
}

inline CSmartLoop* TwoIslands() {
  CSmartLoop* o = looptest::Rect(0, 0, 40, 30);
  o->AddIsland(looptest::Polygon({{8, 8}, {8, 14}, {14, 14}, {14, 8}}));
  o->AddIsland(looptest::Circle(28, 18, 4, false));
  return o;
}

struct Shape {
  std::string name;
  std::function<CSmartLoop*()> make;
};

inline std::vector<Shape> Shapes() {
  return {
      {"square", [] { return looptest::Rect(0, 0, 20, 20); }},
      {"circle", [] { return looptest::Circle(0, 0, 10); }},
      {"lshape", [] { return looptest::Polygon({{0, 0}, {24, 0}, {24, 8}, {8, 8}, {8, 24}, {0, 24}}); }},
      {"twoislands", TwoIslands},
      {"glyph", Glyph},
  };
}

}  // namespace pockettest
