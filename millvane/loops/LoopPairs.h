// Which loops of a list cross which: one box search over all their sections instead of one
// search per pair of loops, so that many small loops against one large loop cost about what
// their sections cost, not the large loop's sections once per small loop.
#pragma once

#include <functional>
#include <utility>
#include <vector>

class CSmartLoop;

// The pairs (i, k), i < k, that `want` accepts and whose loops cross (as `LoopLoopInt` finds:
// boxes meeting within 0.0001, sections crossing), ascending. With cut, the crossings are also
// stored as cut points on both sections, in the order a double loop of `LoopLoopInt` calls
// stores them (pairs ascending, within a pair the sections in chain order), so the cut lists
// come out as they would.
std::vector<std::pair<int, int>> acCrossingLoopPairs(const std::vector<CSmartLoop*>& loops,
                                                     const std::function<bool(int, int)>& want,
                                                     bool cut);
