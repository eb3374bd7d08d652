// Loop offsets from the corpus tests/data/offset_cases.txt: each line is its own test, checked
// as written and again moved, turned half a revolution and drawn the other way round.
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeTool2D.h"
#include "support/VurodeFixture.h"
#include "tests/geometry/tools/LoopCorpus.h"

namespace {

struct OffsetCase {
  std::string name;
  corpus::Loops source;  // exactly one loop
  double dist = 0;
  int type = 0;
  int loops = 0;
  double area = 0, length = 0, tol = 0;
};

void PrintTo(const OffsetCase& c, std::ostream* os) { *os << c.name; }

std::vector<std::string> gErrors;

std::vector<OffsetCase> Load() {
  std::vector<OffsetCase> cases;
  std::set<std::string> names;
  for (const auto& [n, line] : corpus::ReadLines("offset_cases.txt", gErrors)) {
    const auto f = corpus::Split(line, '|');
    OffsetCase c;
    std::string why;
    double type = 0, loops = 0;
    if (f.size() != 8)
      why = "wants 8 fields";
    else if (!corpus::GoodName(f[0], names))
      why = "a name is letters, digits and '_', used once";
    else if (!corpus::ParseLoops(f[1], c.source, why))
      ;
    else if (c.source.size() != 1)
      why = "wants one loop";
    else if (!corpus::ParseNumber(f[2], c.dist) || !corpus::ParseNumber(f[3], type) ||
             !corpus::ParseNumber(f[4], loops) || !corpus::ParseNumber(f[5], c.area) ||
             !corpus::ParseNumber(f[6], c.length) || !corpus::ParseNumber(f[7], c.tol))
      why = "bad number";
    if (!why.empty()) {
      gErrors.push_back("offset_cases.txt:" + std::to_string(n) + ": " + why + ": " + line);
      continue;
    }
    c.name = f[0];
    c.type = static_cast<int>(type);
    c.loops = static_cast<int>(loops);
    cases.push_back(c);
  }
  if (cases.empty()) gErrors.push_back("offset_cases.txt holds no case");
  return cases;
}

const std::vector<OffsetCase>& Cases() {
  static const std::vector<OffsetCase> cases = Load();
  return cases;
}

TEST(OffsetCorpus, ReadsCleanly) {
  Cases();
  for (const std::string& e : gErrors) ADD_FAILURE() << e;
}

class OffsetCorpusTest : public VurodeTest, public ::testing::WithParamInterface<OffsetCase> {};

TEST_P(OffsetCorpusTest, Figures) {
  const OffsetCase& c = GetParam();
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
    auto loop = c.source[0].Transformed(v.shift, v.flip, v.reverse).Make();
    // Drawn the other way round, the same side lies at the negated distance.
    const double sign = v.reverse ? -1 : 1;
    CGeLoopList out;
    CGeTool2D().LoopOffset(loop.get(), sign * c.dist, c.type, &out);
    const corpus::Figures got = corpus::Measure(out);
    geDelGeLoopList(&out, false);
    EXPECT_EQ(got.loops, c.loops);
    EXPECT_NEAR(got.area, sign * c.area, c.tol);
    EXPECT_NEAR(got.length, c.length, c.tol);
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, OffsetCorpusTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<OffsetCase>& i) { return i.param.name; });

}  // namespace
