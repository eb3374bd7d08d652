// The text corpora of loop cases in tests/data: fields separated by '|', loops written as
// "poly x,y x,y ..." or "circle cx,cy r [cw]" and joined by ';'. Every problem (missing file,
// bad line, repeated name, no case at all) is collected so that a test can fail naming it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "tests/geometry/tools/GeOffsetTestUtil.h"
#include "tests/support/CorpusLines.h"

namespace corpus {

using offset_test::P;

// One loop of a case: a polygon through its points, or a whole circle.
struct LoopSpec {
  bool circle = false;
  std::vector<P> pts;  // polygon vertices, or the circle's centre
  double radius = 0;
  bool ccw = true;  // circles only; a polygon's order gives its direction

  // The same figure moved by `shift` after a turn of half a revolution when `flip`, drawn the
  // other way round when `reverse`.
  LoopSpec Transformed(P shift, bool flip, bool reverse) const {
    LoopSpec out = *this;
    for (P& p : out.pts) {
      if (flip) p = {-p[0], -p[1]};
      p = {p[0] + shift[0], p[1] + shift[1]};
    }
    if (reverse) {
      std::reverse(out.pts.begin(), out.pts.end());
      out.ccw = !ccw;
    }
    return out;
  }

  std::unique_ptr<CGeLoop> Make() const {
    if (!circle) return offset_test::PolygonLoop(pts);
    auto loop = std::make_unique<CGeLoop>();
    loop->AddTail(new CGeCircle(pts[0].data(), radius, ccw ? 1 : 0), 1);
    loop->CalcBox2d();
    return loop;
  }
};

using Loops = std::vector<LoopSpec>;

inline Loops Transformed(const Loops& loops, P shift, bool flip, bool reverse) {
  Loops out;
  for (const LoopSpec& l : loops) out.push_back(l.Transformed(shift, flip, reverse));
  return out;
}

inline bool ParsePoint(const std::string& s, P& p) {
  const auto xy = Split(s, ',');
  return xy.size() == 2 && ParseNumber(xy[0], p[0]) && ParseNumber(xy[1], p[1]);
}

// "-" stands for no loops.
inline bool ParseLoops(const std::string& field, Loops& out, std::string& why) {
  out.clear();
  if (field == "-") return true;
  for (const std::string& text : Split(field, ';')) {
    std::stringstream in(text);
    std::string kind, word;
    in >> kind;
    std::vector<std::string> words;
    while (in >> word) words.push_back(word);
    LoopSpec l;
    if (kind == "poly") {
      for (const std::string& w : words) {
        P p;
        if (!ParsePoint(w, p)) return why = "bad point '" + w + "'", false;
        l.pts.push_back(p);
      }
      if (l.pts.size() < 3) return why = "a polygon needs three points", false;
    } else if (kind == "circle") {
      P c;
      if (words.size() < 2 || words.size() > 3 || !ParsePoint(words[0], c) ||
          !ParseNumber(words[1], l.radius) || !(l.radius > 0) ||
          (words.size() == 3 && words[2] != "cw"))
        return why = "circle wants 'circle cx,cy r [cw]'", false;
      l.circle = true;
      l.pts = {c};
      l.ccw = words.size() == 2;
    } else {
      return why = "unknown loop kind '" + kind + "'", false;
    }
    out.push_back(l);
  }
  return true;
}

// The case lines of a corpus file in tests/data with their line numbers; a missing or
// unreadable file is reported in errors.
inline std::vector<std::pair<int, std::string>> ReadLines(const std::string& file,
                                                         std::vector<std::string>& errors) {
  return ReadFileLines(std::string(VELMORA_TEST_DATA_DIR) + "/" + file, errors);
}

// Signed area (positive counter-clockwise) and length of result loops, from the curves' exact
// evaluation.
struct Figures {
  int loops = 0;
  double area = 0;
  double length = 0;
};

inline Figures Measure(CGeLoopList& loops) {
  Figures f;
  for (POSITION pos = loops.GetHeadPosition(); pos;) {
    CGeLoop* l = loops.GetNext(pos);
    if (!l) continue;
    ++f.loops;
    // Straight pieces need only their segment starts; curved ones are sampled densely.
    std::vector<P> pts;
    for (POSITION sp = l->m_CurveList.GetHeadPosition(); sp;)
      if (CGeCurve* c = l->m_CurveList.GetNext(sp)) {
        const bool straight = c->GetType() == GE_TYPE_LINE || c->GetType() == GE_TYPE_POLYLINE;
        offset_test::Sample(c, straight ? 1 : 2048, pts);
      }
    f.area += offset_test::Shoelace(pts);
    f.length += l->EvTotalArcLength();
  }
  return f;
}

}  // namespace corpus
