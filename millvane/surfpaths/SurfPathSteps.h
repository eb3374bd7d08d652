// Sizing rules shared by the contour and raster surface paths: the protect-net cell for a cutter
// and the evenly spaced levels (Z layers or raster lines) over a range.
#pragma once

#include <vector>

class CTool;

// More levels than this are refused before anything is allocated.
constexpr int kMaxSurfLevels = 1000000;

// Net cell for the cutter: 0.5 for a radius above 1, else r/2 raised to 0.1. The contour paths
// (contour set) cap it at r, and a user cell (useUser set) replaces it, clamped to at least 0.02
// and then to at most r. 0 for a missing cutter or a diameter that is not positive and finite.
double SrfNetCell(const CTool* tool, bool contour, bool useUser, double userCell);

// Levels low + i * even step, i = 0 .. count - 1, count = ceil((high - low) / step - 0.0001)
// (0 becoming 1): the low end is a level, the high end never. 0 with the levels left empty for a
// step that is not positive and finite, a range that is not finite or reversed, or more than
// kMaxSurfLevels levels.
int SrfLevels(double step, double low, double high, std::vector<double>& levels,
              double& evenStep);
