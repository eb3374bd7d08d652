// Loop booleans from the corpus tests/data/boolean_cases.txt: each line is its own test, checked
// as written and again moved, turned half a revolution and with every loop drawn the other way
// round (the clipper fills even-odd, so direction does not matter).
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeTool2D.h"
#include "support/VurodeFixture.h"
#include "tests/geometry/tools/LoopCorpus.h"

namespace {

struct BooleanCase {
  std::string name;
  std::string op;
  corpus::Loops subject, clip;
  int loops = 0;
  double area = 0, tol = 0;
};

void PrintTo(const BooleanCase& c, std::ostream* os) { *os << c.name; }

const std::map<std::string, gpc_op> kOps = {
    {"union", GPC_UNION}, {"intersection", GPC_INT}, {"difference", GPC_DIFF}, {"xor", GPC_XOR}};

std::vector<std::string> gErrors;

std::vector<BooleanCase> Load() {
  std::vector<BooleanCase> cases;
  std::set<std::string> names;
  for (const auto& [n, line] : corpus::ReadLines("boolean_cases.txt", gErrors)) {
    const auto f = corpus::Split(line, '|');
    BooleanCase c;
    std::string why;
    double loops = 0;
    if (f.size() != 7)
      why = "wants 7 fields";
    else if (!corpus::GoodName(f[0], names))
      why = "a name is letters, digits and '_', used once";
    else if (f[1] != "merge" && !kOps.count(f[1]))
      why = "unknown operation";
    else if (!corpus::ParseLoops(f[2], c.subject, why) || !corpus::ParseLoops(f[3], c.clip, why))
      ;
    else if (!corpus::ParseNumber(f[4], loops) || !corpus::ParseNumber(f[5], c.area) ||
             !corpus::ParseNumber(f[6], c.tol))
      why = "bad number";
    if (!why.empty()) {
      gErrors.push_back("boolean_cases.txt:" + std::to_string(n) + ": " + why + ": " + line);
      continue;
    }
    c.name = f[0];
    c.op = f[1];
    c.loops = static_cast<int>(loops);
    cases.push_back(c);
  }
  if (cases.empty()) gErrors.push_back("boolean_cases.txt holds no case");
  return cases;
}

const std::vector<BooleanCase>& Cases() {
  static const std::vector<BooleanCase> cases = Load();
  return cases;
}

TEST(BooleanCorpus, ReadsCleanly) {
  Cases();
  for (const std::string& e : gErrors) ADD_FAILURE() << e;
}

struct Owned {
  CGeLoopList loops;
  ~Owned() { geDelGeLoopList(&loops, false); }
};

void MakeLoops(const corpus::Loops& specs, CGeLoopList& out) {
  for (const corpus::LoopSpec& s : specs) {
    CGeLoop* l = s.Make().release();
    l->EvArea(0.001);  // fills the point buffer the clipper reads
    out.AddTail(l);
  }
}

class BooleanCorpusTest : public VurodeTest, public ::testing::WithParamInterface<BooleanCase> {};

TEST_P(BooleanCorpusTest, Figures) {
  const BooleanCase& c = GetParam();
  struct Variant {
    const char* name;
    corpus::P shift;
    bool flip, reverse;
  } variants[] = {{"as written", {0, 0}, false, false},
                  {"translated", {137.5, -42.25}, false, false},
                  {"rotated 180", {0, 0}, true, false},
                  {"reversed", {0, 0}, false, true}};
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    Owned subject, clip, out;
    MakeLoops(corpus::Transformed(c.subject, v.shift, v.flip, v.reverse), subject.loops);
    MakeLoops(corpus::Transformed(c.clip, v.shift, v.flip, v.reverse), clip.loops);
    if (c.op == "merge") {
      // The union of the subject's and the clip's loops together.
      CGeLoopList all;
      all.AddTail(&subject.loops);
      all.AddTail(&clip.loops);
      CGeTool2D().LoopMerge(&all, &out.loops);
    } else {
      CGeTool2D().LoopClip(&subject.loops, &clip.loops, kOps.at(c.op), &out.loops);
    }
    const corpus::Figures got = corpus::Measure(out.loops);
    EXPECT_EQ(got.loops, c.loops);
    // Outer boundaries come counter-clockwise and holes clockwise: the sum is the area.
    EXPECT_NEAR(got.area, c.area, c.tol);
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, BooleanCorpusTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<BooleanCase>& i) {
                           return i.param.name;
                         });

}  // namespace
