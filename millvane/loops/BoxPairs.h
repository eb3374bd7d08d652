// Pairs of boxes that meet, found through a grid of cells instead of testing every pair. The pairs
// come back in ascending (i, k), the order a plain double loop would meet them, so callers that
// act on each pair in turn give the same results as that loop.
#pragma once

#include <utility>
#include <vector>

// Boxes are min x, min y, max x, max y. Two boxes meet when they overlap after growing one by
// margin (the test the section searches use). A box with a NaN coordinate meets nothing.
std::vector<std::pair<int, int>> acMeetingBoxPairs(const std::vector<const double*>& a,
                                                   const std::vector<const double*>& b,
                                                   double margin);
// The same among one set: pairs (i, k) with i < k, ascending.
std::vector<std::pair<int, int>> acMeetingBoxPairs(const std::vector<const double*>& boxes, double margin);
