#include "millvane/kernel/BsplineUtils.h"

#include <cmath>
#include <vector>

BCRV* CRV_CloneBcrv(const BCRV* crv) {
  if (!BCRV_IsValid(crv)) return nullptr;
  return crv->Clone();
}

int CRV_NewSegmentBcrv(BCRV*& out, const double pts[2][3]) {
  out = nullptr;
  if (!pts) return 0;
  out = BCRV_New(2, 2);
  if (!out) return 0;
  for (int i = 0; i < 2; ++i) {
    for (int k = 0; k < 3; ++k) out->ctrlPts[i][k] = pts[i][k];
    out->ctrlPts[i][3] = 1.0;
  }
  return 1;
}

int CRV_RemoveKnots(BCRV* crv, double tol) {
  if (!BCRV_IsValid(crv) || crv->n <= crv->order || !(tol >= 0.0)) return 0;
  BCRV* work = crv->Clone();
  if (!work) return 0;
  // Distinct interior values, visited in increasing order.
  std::vector<double> values;
  for (int i = crv->order; i < crv->n; ++i)
    if (values.empty() || crv->knots[i] - values.back() > 1e-10) values.push_back(crv->knots[i]);
  int removed = 0;
  for (double u : values) removed += BCRV_RemKnot(work, u, crv->order - 1, tol);
  if (removed > 0) {
    std::swap(crv->n, work->n);
    std::swap(crv->ctrlPts, work->ctrlPts);
    std::swap(crv->knots, work->knots);
  }
  BCRV_Free(work);
  return removed;
}
