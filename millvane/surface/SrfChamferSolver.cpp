#include "millvane/surface/SrfChamferSolver.h"

#include <cmath>

void CSrfChamferSolver::SetDistances(double first, double second) {
  m_dRadius = m_dDist1 = first;
  m_dDist2 = second;
}

int CSrfChamferSolver::Chamfer(CGeTrimSurfList* out) {
  if (!out || !m_pFirst || !m_pSecond) return 0;
  // Also refuses NaN and infinite distances.
  for (double d : {m_dDist1, m_dDist2})
    if (!(d >= 1e-6) || !std::isfinite(d)) return 0;
  for (SrfSideNode* n = m_pFirst; n; n = n->next)
    if (!PrepareSide(*n, m_dDist1)) return 0;
  for (SrfSideNode* n = m_pSecond; n; n = n->next)
    if (!PrepareSide(*n, m_dDist2)) return 0;
  return RunFromSpines(out, true);
}
