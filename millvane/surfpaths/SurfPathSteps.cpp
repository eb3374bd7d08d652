#include "millvane/surfpaths/SurfPathSteps.h"

#include <algorithm>
#include <cmath>

#include "platform/vurode/Tool.h"

double SrfNetCell(const CTool* tool, bool contour, bool useUser, double userCell) {
  if (!tool) return 0.0;
  double dia = tool->GetDia();
  if (!std::isfinite(dia) || dia <= 0) return 0.0;
  double r = 0.5 * dia;
  double cell = r > 1 ? 0.5 : std::max(r / 2, 0.1);
  if (!contour) return cell;
  cell = std::min(cell, r);
  if (useUser) {
    // A cell that is not a number falls back to the floor rather than poisoning the net.
    cell = std::isfinite(userCell) ? userCell : 0.02;
    if (cell < 0.02) cell = 0.02;
    else cell = std::min(cell, r);
  }
  return cell;
}

int SrfLevels(double step, double low, double high, std::vector<double>& levels,
              double& evenStep) {
  levels.clear();
  if (!std::isfinite(step) || step <= 0 || !std::isfinite(low) || !std::isfinite(high))
    return 0;
  double n = std::ceil((high - low) / step - 0.0001);
  if (!(n >= 0) || n > kMaxSurfLevels) return 0;
  int count = std::max(1, static_cast<int>(n));
  evenStep = (high - low) / count;
  levels.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) levels.push_back(low + i * evenStep);
  return 1;
}
