#include "geometry/tools/CurveFit3d.h"

#include <array>
#include <cmath>
#include <memory>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "geometry/tools/ConvertEditor.h"
#include "geometry/tools/CurveFit.h"
#include "geometry/tools/GeTool3D.h"
#include "platform/numora/Bcrv.h"
#include "platform/vurode/Accessors.h"

namespace {
constexpr double kSameCoord = 0.0001;

// The coordinate plane through a that b lies in, tested z, x, y (plane codes 0, 1, 2), or -1.
int SharedPlane(const double a[3], const double b[3]) {
  if (std::fabs(a[2] - b[2]) <= kSameCoord) return 0;
  if (std::fabs(a[0] - b[0]) <= kSameCoord) return 1;
  if (std::fabs(a[1] - b[1]) <= kSameCoord) return 2;
  return -1;
}

bool InPlane(const double a[3], const double b[3], int plane) {
  static constexpr int kAxis[3] = {2, 0, 1};
  return std::fabs(a[kAxis[plane]] - b[kAxis[plane]]) <= kSameCoord;
}

CGePolyline3d* NewPolyline(const std::vector<std::array<double, 3>>& pts) {
  auto* pl = new CGePolyline3d;
  if (!pl->Create(static_cast<int>(pts.size()), reinterpret_cast<const double(*)[3]>(pts.data()))) {
    delete pl;
    return nullptr;
  }
  pl->DiscreteMe(gGetCurveDicTol());
  return pl;
}

}  // namespace

CGeCombCurve3d* geBiarcsFitCurve3dOnXYZ(const double pts[][3], int n, double tol, int plane) {
  if (!pts || n < 2 || plane < 0 || plane > 2) return nullptr;
  std::vector<double> flat(2 * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    flat[2 * i] = plane == 1 ? pts[i][2] : pts[i][0];
    flat[2 * i + 1] = plane == 2 ? pts[i][2] : pts[i][1];
  }
  std::unique_ptr<CGeCombCurve> fit(
      geBiarcsFitCurve(reinterpret_cast<const double(*)[2]>(flat.data()), nullptr, n, tol));
  if (!fit || fit->m_CurveList.IsEmpty()) return nullptr;
  CGeCombCurve3d* out = CConvertEditor::CombCurveToCombCurve3d(fit.get(), plane == 0 ? pts[0][2] : 0.0);
  if (!out || plane == 0) return out;
  const double origin[3] = {0, 0, 0};
  if (plane == 1) {
    const double yAxis[3] = {0, 1, 0}, shift[3] = {pts[0][0], 0, 0};
    out->Rotate3D(origin, yAxis, -std::numbers::pi / 2);
    out->Translate3D(shift);
  } else {
    const double xAxis[3] = {1, 0, 0}, shift[3] = {0, pts[0][1], 0};
    out->Rotate3D(origin, xAxis, std::numbers::pi / 2);
    out->Translate3D(shift);
  }
  return out;
}

CGeCombCurve3d* geBiarcsFitCurve3d(const double pts[][3], int n, double tol) {
  if (!pts || n < 2) return nullptr;
  auto* comb = new CGeCombCurve3d;
  if (n == 2) {
    auto* pl = new CGePolyline3d;
    if (pl->Create(2, pts)) {
      pl->DiscreteMe(gGetCurveDicTol());
      comb->AddTail(pl);
    } else {
      delete pl;
    }
    comb->DiscreteMe(gGetCurveDicTol());
    return comb;
  }
  using Pt = std::array<double, 3>;
  std::vector<Pt> run;
  int plane = -1;
  auto push = [&](const double p[3]) { run.push_back({p[0], p[1], p[2]}); };
  // Moves the run's curves into the composite.
  auto flush = [&]() {
    CGeCurve3d* piece = nullptr;
    if (plane >= 0)
      piece = geBiarcsFitCurve3dOnXYZ(reinterpret_cast<const double(*)[3]>(run.data()),
                                      static_cast<int>(run.size()), tol, plane);
    if (!piece) piece = NewPolyline(run);
    comb->AddTail(piece);
  };
  push(pts[0]);
  for (int i = 1; i < n; ++i) {
    const double* x = pts[i];
    if (plane >= 0 && !InPlane(run.front().data(), x, plane)) {
      // The point leaves the run's plane: the next run starts at the joint.
      flush();
      Pt last = run.back();
      run.assign(1, last);
      plane = -1;
    }
    if (plane >= 0) {
      push(x);
    } else if (run.size() == 1) {
      plane = SharedPlane(run.front().data(), x);
      push(x);
    } else {
      // An open run keeps to no coordinate plane; it ends where two points share one.
      int next = SharedPlane(run.back().data(), x);
      if (next >= 0) {
        flush();
        Pt last = run.back();
        run.assign(1, last);
        plane = next;
      }
      push(x);
    }
  }
  flush();
  comb->DiscreteMe(gGetCurveDicTol());
  return comb;
}

CGeCurve3d* geFitCurve3d(const double pts[][3], int n, double maxDev, double minAngle) {
  std::vector<BCRV*> pieces;
  CGeTool3D::GlobalInterp(pts, n, 2, maxDev, minAngle, pieces);
  if (pieces.empty()) return nullptr;
  if (pieces.size() == 1) return new CGeNrbCrv3d(pieces[0]);
  auto* comb = new CGeCombCurve3d;
  for (BCRV* c : pieces) {
    comb->AddTail(new CGeNrbCrv3d(c));
  }
  comb->DiscreteMe(gGetCurveDicTol());
  comb->CalcBox();
  return comb;
}
