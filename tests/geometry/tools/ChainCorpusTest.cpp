// Loop chaining over the corpus tests/data/chain_cases.txt (its header states the line format):
// each case is its own test, compared by loop count, closed count, total length and area.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/tools/GeTool2D.h"
#include "support/CorpusLines.h"
#include "support/VurodeFixture.h"

namespace {

struct ChainCase {
  std::string name;
  int line = 0;
  double tol = 0;
  bool closedOnly = false;
  int loops = 0, closed = 0;
  double length = 0, area = 0;
  struct Seg {
    bool arc;
    double p[6];  // line: x0 y0 x1 y1; arc: x0 y0 xm ym x1 y1
  };
  std::vector<Seg> segs;
};

struct Corpus {
  std::vector<ChainCase> cases;
  std::vector<std::string> errors;  // empty only for a readable, non-empty, well-formed corpus
};

// Reads one segment ("L x0 y0 x1 y1" or "A x0 y0 xm ym x1 y1"); false when malformed.
bool ParseSeg(const std::string& text, ChainCase::Seg& seg) {
  std::istringstream in(text);
  std::string kind;
  if (!(in >> kind) || (kind != "L" && kind != "A")) return false;
  seg.arc = kind == "A";
  const int n = seg.arc ? 6 : 4;
  for (int i = 0; i < n; ++i)
    if (!(in >> seg.p[i]) || !std::isfinite(seg.p[i])) return false;
  std::string rest;
  return !(in >> rest);
}

Corpus ParseLines(const std::vector<std::pair<int, std::string>>& lines) {
  Corpus c;
  std::set<std::string> names;
  for (const auto& line : lines) {
    const int no = line.first;
    const std::string& text = line.second;
    const auto bad = [&](const std::string& why) {
      c.errors.push_back("line " + std::to_string(no) + ": " + why);
    };
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
      bad("no ':' before the segments");
      continue;
    }
    ChainCase k;
    k.line = no;
    std::istringstream head(text.substr(0, colon));
    int closedOnly = -1;
    std::string extra;
    if (!(head >> k.name >> k.tol >> closedOnly >> k.loops >> k.closed >> k.length >> k.area) ||
        (head >> extra)) {
      bad("expected: name tol closed_only loops closed length area");
      continue;
    }
    if (!corpus::GoodName(k.name, names)) {
      bad("name '" + k.name + "' is not a unique identifier");
      continue;
    }
    if ((closedOnly != 0 && closedOnly != 1) || k.loops < 0 || k.closed < 0 || k.closed > k.loops) {
      bad("closed_only must be 0 or 1 and 0 <= closed <= loops");
      continue;
    }
    k.closedOnly = closedOnly == 1;
    std::istringstream segs(text.substr(colon + 1));
    std::string one;
    bool ok = true;
    while (ok && std::getline(segs, one, ';')) {
      if (one.find_first_not_of(" \t\r") == std::string::npos) continue;
      ChainCase::Seg s{};
      ok = ParseSeg(one, s);
      if (ok) k.segs.push_back(s);
    }
    if (!ok) {
      bad("malformed segment in '" + k.name + "'");
      continue;
    }
    c.cases.push_back(std::move(k));
  }
  if (c.cases.empty()) c.errors.push_back("no cases");
  return c;
}

Corpus ParseCorpus(std::istream& in) { return ParseLines(corpus::ReadLines(in)); }

Corpus LoadCorpus(const std::string& path) {
  std::vector<std::string> errors;
  const auto lines = corpus::ReadFileLines(path, errors);
  if (!errors.empty()) return Corpus{{}, errors};
  Corpus c = ParseLines(lines);
  for (std::string& e : c.errors) e = path + ": " + e;
  return c;
}

const Corpus& TheCorpus() {
  static const Corpus c = LoadCorpus(std::string(VELMORA_TEST_DATA_DIR) + "/chain_cases.txt");
  return c;
}

std::vector<ChainCase> Cases() { return TheCorpus().cases; }

TEST(ChainCorpus, ReadsEveryLine) {
  const Corpus& c = TheCorpus();
  for (const std::string& e : c.errors) ADD_FAILURE() << e;
  EXPECT_FALSE(c.cases.empty());
}

TEST(ChainCorpus, EmptyUnreadableOrMalformedCorporaReportErrors) {
  EXPECT_FALSE(LoadCorpus(std::string(VELMORA_TEST_DATA_DIR) + "/no_such_corpus.txt").errors.empty());
  const char* bad[] = {
      "",                                              // nothing at all
      "# only a comment\n\n",                          // no cases
      "sq 0.001 0 1 1 16 16 L 0 0 4 0\n",              // no colon
      "sq 0.001 0 1 1 16 : L 0 0 4 0\n",               // a figure short
      "sq 0.001 2 1 1 16 16 : L 0 0 4 0\n",            // closed_only not 0/1
      "sq 0.001 0 1 2 16 16 : L 0 0 4 0\n",            // more closed than loops
      "sq 0.001 0 1 1 16 16 : L 0 0 4\n",              // short segment
      "sq 0.001 0 1 1 16 16 : Q 0 0 4 0\n",            // unknown segment
      "sq 0.001 0 1 1 16 16 : L 0 0 nan 0\n",          // non-finite coordinate
      "a-b 0.001 0 1 1 16 16 : L 0 0 4 0\n",           // name not an identifier
      "s 0.001 0 0 0 0 0 :\ns 0.001 0 0 0 0 0 :\n",    // duplicate name
  };
  for (const char* text : bad) {
    std::istringstream in(text);
    EXPECT_FALSE(ParseCorpus(in).errors.empty()) << '"' << text << '"';
  }
  std::istringstream good("ok 0.001 0 1 1 16 16 : L 0 0 4 0 ; A 0 0 1 1 2 0\n");
  const Corpus c = ParseCorpus(good);
  EXPECT_TRUE(c.errors.empty());
  ASSERT_EQ(c.cases.size(), 1u);
  EXPECT_EQ(c.cases[0].segs.size(), 2u);
}

class ChainCorpusCase : public VurodeTest, public testing::WithParamInterface<ChainCase> {};

TEST_P(ChainCorpusCase, MatchesItsFigures) {
  const ChainCase& k = GetParam();
  SCOPED_TRACE(testing::Message() << "chain_cases.txt line " << k.line);
  CGeCurveList curves;
  for (const ChainCase::Seg& s : k.segs) {
    if (!s.arc) {
      curves.AddTail(new CGeLine(&s.p[0], &s.p[2]));
      continue;
    }
    auto arc = std::make_unique<CGeArc>();
    ASSERT_EQ(arc->Create3Pnt(&s.p[0], &s.p[2], &s.p[4]), 1) << "arc through collinear points";
    curves.AddTail(arc.release());
  }
  CGeLoopList loops;
  CGeTool2D().ReCreateLoop(&curves, &loops, k.tol, k.closedOnly, true);
  EXPECT_EQ(curves.GetCount(), static_cast<INT_PTR>(k.segs.size())) << "copies leave the input";
  int closed = 0;
  double length = 0, area = 0;
  for (POSITION pos = loops.GetHeadPosition(); pos;) {
    CGeLoop* l = loops.GetNext(pos);
    length += l->EvTotalArcLength();
    if (l->IsLoop(k.tol)) {
      ++closed;
      area += std::fabs(l->EvArea(k.tol));
    }
  }
  EXPECT_EQ(loops.GetCount(), k.loops);
  EXPECT_EQ(closed, k.closed);
  EXPECT_NEAR(length, k.length, 1e-4 + 1e-4 * k.length);
  // Areas come from point strings, whose chords cut arcs short by up to 0.005.
  EXPECT_NEAR(area, k.area, 1e-4 + 2e-3 * k.area);
  while (!loops.IsEmpty()) delete loops.RemoveHead();
  while (!curves.IsEmpty()) delete curves.RemoveHead();
}

INSTANTIATE_TEST_SUITE_P(Corpus, ChainCorpusCase, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<ChainCase>& info) { return info.param.name; });
void PrintTo(const ChainCase& k, std::ostream* os) { *os << k.name; }

// A corpus that failed to load is reported by ChainCorpus.ReadsEveryLine, not by silence here.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ChainCorpusCase);

}  // namespace
