// The planar polyline as 3D elements at z = 0.
#include <vector>

#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes3d/GePolyline3d.h"

void CGePolyline::DiscreteToElement(CGeCurve3dList* list) {
  if (!list || !m_pSWPoint || m_nSWPoint < 2) return;
  const int n = m_nSWPoint;
  std::vector<double> pts(static_cast<size_t>(3 * n));
  for (int i = 0; i < n; ++i) {
    pts[size_t(3 * i)] = m_pSWPoint[i][0];
    pts[size_t(3 * i + 1)] = m_pSWPoint[i][1];
    pts[size_t(3 * i + 2)] = 0.0;
  }
  // The same fit-or-segments rule as a 3D polyline's chain.
  geAppendChainElements(reinterpret_cast<const double(*)[3]>(pts.data()), n, list);
}
