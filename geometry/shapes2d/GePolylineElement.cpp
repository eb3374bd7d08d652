// The planar polyline as 3D elements at z = 0.
#include <vector>

#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/tools/GeTool3D.h"
#include "platform/numora/Numora.h"

namespace {
// Above this many vertices a fitted curve stands for the chain of segments.
constexpr int kMaxLineVertices = 15;
constexpr double kFitDeviation = 0.2;
constexpr double kFitCornerAngle = 2.617993877991;  // 150 degrees
}  // namespace

void CGePolyline::DiscreteToElement(CGeCurve3dList* list) {
  if (!list || !m_pSWPoint || m_nSWPoint < 2) return;
  const int n = m_nSWPoint;
  std::vector<double> pts(static_cast<size_t>(3 * n));
  for (int i = 0; i < n; ++i) {
    pts[size_t(3 * i)] = m_pSWPoint[i][0];
    pts[size_t(3 * i + 1)] = m_pSWPoint[i][1];
    pts[size_t(3 * i + 2)] = 0.0;
  }
  const auto* xyz = reinterpret_cast<const double(*)[3]>(pts.data());
  if (n > kMaxLineVertices) {
    std::vector<BCRV*> pieces;
    CGeTool3D::GlobalInterp(xyz, n, 2, kFitDeviation, kFitCornerAngle, pieces);
    for (BCRV* c : pieces)
      if (c) list->AddTail(new CGeNrbCrv3d(c));
    // Without a fit the segments themselves keep the outline.
    if (!pieces.empty()) return;
  }
  for (int i = 1; i < n; ++i) list->AddTail(new CGeLine3d(xyz[i - 1], xyz[i]));
}
