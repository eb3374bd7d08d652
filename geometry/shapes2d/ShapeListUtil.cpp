#include "geometry/shapes2d/ShapeListUtil.h"

#include <cmath>
#include <vector>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/tools/RBTree.h"

namespace {

// All typed shape lists sit on CObList, whose elements are CObjects with virtual destructors.
void DeleteObjects(CObList* list) {
  if (!list) return;
  for (POSITION pos = list->GetHeadPosition(); pos;) delete list->GetNext(pos);
  list->RemoveAll();
}

// One thinning pass, shared by the 2D and 3D strings. D is the dimension read from the
// point records; the near-duplicate test is a box test, not a distance.
template <int D, class PT>
bool IsNearDup(const PT& a, const PT& b, double tol) {
  const float* pa = &a.x;
  const float* pb = &b.x;
  for (int k = 0; k < D; ++k)
    if (!(std::fabs(static_cast<double>(pa[k]) - pb[k]) < tol)) return false;
  return true;
}

template <int D, class PT>
void ToDoubles(const PT& p, double out[D]) {
  const float* f = &p.x;
  for (int k = 0; k < D; ++k) out[k] = f[k];
}

template <int D, class PT, class Angle, class Dist>
void Refine(double tol, double angle, CArray<PT, PT&>& pts, Angle angleAt, Dist distToLine) {
  const INT_PTR n = pts.GetSize();
  if (n <= 2 || angle > 3.141492653589793) return;
  std::vector<PT> out;
  out.reserve(static_cast<size_t>(n));
  out.push_back(pts[0]);
  out.push_back(pts[1]);
  for (INT_PTR k = 2; k < n; ++k) {
    const PT& p = pts[k];
    PT& l = out.back();
    const PT& a = out[out.size() - 2];
    if (IsNearDup<D>(p, l, tol)) {
      if (k == n - 1) l = p;  // the string must still end at its own last point
      continue;
    }
    double dp[D], dl[D], da[D], u[D], v[D];
    ToDoubles<D>(p, dp);
    ToDoubles<D>(l, dl);
    ToDoubles<D>(a, da);
    for (int i = 0; i < D; ++i) {
      u[i] = dp[i] - dl[i];
      v[i] = da[i] - dl[i];
    }
    if (angleAt(u, v) > angle && std::fabs(distToLine(da, dl, dp)) < tol)
      l = p;  // l was a nearly straight intermediate point
    else
      out.push_back(p);
  }
  pts.SetSize(static_cast<INT_PTR>(out.size()));
  for (size_t i = 0; i < out.size(); ++i) pts[static_cast<INT_PTR>(i)] = out[i];
}

}  // namespace

void geDelCurveList(CGeCurveList* list) { DeleteObjects(list); }
void geDelCurve3dList(CGeCurve3dList* list) { DeleteObjects(list); }
void geDelSurfList(CGeSurfList* list) { DeleteObjects(list); }
void geDelTrimLoopList(CGeTrimLoopList* list) { DeleteObjects(list); }
void geDelGroupList(CGeGroupList* list) { DeleteObjects(list); }

namespace {

// Loops and curves alike sit in their lists as CObjects that are curves.
void RankByNearestStart(CObList* list) {
  if (!list || list->IsEmpty()) return;
  struct Entry {
    CGeCurve* curve;
    double start[2];
  };
  // Start points are fetched once; the remaining entries stay in list order so that the
  // first of equally near starts wins.
  std::vector<Entry> rest;
  rest.reserve(static_cast<size_t>(list->GetCount()));
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    CObject* o = list->GetNext(pos);
    if (!o) continue;
    rest.push_back({static_cast<CGeCurve*>(o), {0.0, 0.0}});
    rest.back().curve->GetStartPoint(rest.back().start);
  }
  list->RemoveAll();
  if (rest.empty()) return;
  CGeCurve* cur = rest.front().curve;
  list->AddTail(cur);
  rest.erase(rest.begin());
  while (!rest.empty()) {
    double end[2] = {0.0, 0.0};
    cur->GetEndPoint(end);
    size_t best = 0;
    double bestD = P2D_Dist(end, rest[0].start);
    for (size_t i = 1; i < rest.size(); ++i) {
      const double d = P2D_Dist(end, rest[i].start);
      if (d < bestD) {
        bestD = d;
        best = i;
      }
    }
    cur = rest[best].curve;
    list->AddTail(cur);
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(best));
  }
}

}  // namespace

void geRankCurveInNearestDist(CGeCurveList* list) { RankByNearestStart(list); }
void geRankLoopInNearestDist(CGeLoopList* list) { RankByNearestStart(list); }

void RefinePointStr(double tol, double angle, CPoint2dArray& pts) {
  Refine<2>(tol, angle, pts,
            [](const double* u, const double* v) { return V2D_GetAngle(u, v, 1e-6); },
            [](const double* a, const double* b, const double* p) { return L2D_DistToPntEx(a, b, p); });
}

void RefinePointStr3D(double tol, double angle, CPoint3dArray& pts) {
  Refine<3>(tol, angle, pts,
            [](const double* u, const double* v) { return V3D_GetAngle(u, v, 1e-6); },
            [](const double* a, const double* b, const double* p) { return L3D_DistToPntEx(a, b, p); });
}

void geCreateScanBeamTree(CGeCurveList* list, double /*tol*/, RBTree& tree) {
  if (!list || list->IsEmpty()) return;
  tree.SetUserDeleter(&RBTree::DeleteAs<CGeCurveList>);
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    CGeCurve* c = list->GetNext(pos);
    if (!c) continue;
    double s[2] = {0.0, 0.0};
    c->GetStartPoint(s);
    RBNode_* node = tree.insertNode(s[0]);
    if (!node) continue;
    if (!node->user) node->user = new CGeCurveList(10);
    static_cast<CGeCurveList*>(node->user)->AddTail(c);
  }
}
