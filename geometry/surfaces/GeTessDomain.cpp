#include "geometry/surfaces/GeTessDomain.h"

#include <algorithm>
#include <cmath>

#include "geometry/surfaces/GeTrimSurf.h"

// Stand-in until the domain tessellator is built: it yields no cells, which callers treat as
// a failed tessellation.
int geTessTrimDomain(CGeTrimLoopList*, double, CTessNode**, CTessTriangle**) { return 0; }

// Stand-in until the sampler is built: equal steps from the surface's discretisation steps,
// without the refinement along the surface.
int geGetParamSamples(CGeTrimSurf* surface, double tol, _tagBox2D* box, double (*samples)[2],
                      int* caps, int* counts) {
  double step[2] = {0.02, 0.02};
  if (surface) surface->GetDiscreteStep(tol, step[0], step[1]);
  for (int d = 0; d < 2; ++d) {
    const double range = box->max[d] - box->min[d];
    int n = step[d] > 0 ? static_cast<int>(std::ceil(range / step[d])) : 2;
    if (n >= caps[d]) n = caps[d] - 1;
    if (n <= 2) n = 2;
    for (int k = 0; k <= n; ++k) samples[k][d] = box->min[d] + k * (range / n);
    counts[d] = n;
  }
  return 1;
}
