// Loop, region and group lists: deleters, link tests, composites made from curves and loops,
// and the conversions between loop lists and clipper polygons.
#include <memory>
#include <vector>

#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/GeRegion.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeTool2D.h"

void geDelGeLoopList(CGeLoopList* list, bool detach) {
  if (!list) return;
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    CGeLoop* loop = list->GetNext(pos);
    if (!loop) continue;
    if (detach) loop->m_CurveList.RemoveAll();  // the sub-curves belong to someone else
    delete loop;
  }
  list->RemoveAll();
}

void geDelRegionList(CGeRegionList* list, bool detach) {
  if (!list || list->IsEmpty()) return;
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    CGeRegion* region = list->GetNext(pos);
    if (!region) continue;
    if (detach) region->m_LoopList.RemoveAll();  // the loops belong to someone else
    delete region;
  }
  list->RemoveAll();
}

int geIsLinkCurve2d(CGeCurveList* list, double tol) {
  if (!list) return 0;
  bool first = true;
  double end[2] = {0.0, 0.0};
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    CGeCurve* c = list->GetNext(pos);
    if (!c) return 0;
    if (c->GetType() == GE_TYPE_COMBCURVE && !static_cast<CGeCombCurve*>(c)->IsLinked()) return 0;
    double s[2] = {0.0, 0.0};
    c->GetStartPoint(s);
    if (!first && P2D_Dist(end, s) > tol) return 0;
    c->GetEndPoint(end);
    first = false;
  }
  return 1;
}

int geIsLoopCurve2d(CGeCurveList* list, double tol) {
  if (!list || list->IsEmpty() || !geIsLinkCurve2d(list, tol)) return 0;
  CGeCurve* head = list->GetHead();
  CGeCurve* tail = list->GetTail();
  if (!head || !tail) return 0;
  double s[2] = {0.0, 0.0}, e[2] = {0.0, 0.0};
  head->GetStartPoint(s);
  tail->GetEndPoint(e);
  return P2D_Dist(s, e) < tol ? 1 : 0;
}

CGeCombCurve* geGenCombCurve(CGeCurve* curve) {
  if (!curve || curve->GetType() == GE_TYPE_COMBCURVE) return nullptr;
  auto* comb = new CGeCombCurve;
  comb->m_nClosed = curve->IsClosed(0.01);
  comb->AddTail(curve, 0);
  return comb;
}

CGeCombCurve* geGenCombCurve(CGeCurveList* list) {
  // The chain tests are the loop builders' own.
  CGeTool2D tool;
  if (!list || list->IsEmpty() || !tool.IsLinked(list, 0.02)) return nullptr;
  auto* comb = new CGeCombCurve;
  comb->m_nClosed = tool.IsLoop(list, 0.02);
  for (POSITION pos = list->GetHeadPosition(); pos;) comb->AddTail(list->GetNext(pos), 0);
  // The curves now belong to the composite, and composite entries were deleted when they
  // gave up their members: the list must not keep those pointers.
  list->RemoveAll();
  comb->CalcBox2d();
  return comb;
}

CGeCombCurve* geGenComCurve(CGeLoop* loop) {
  if (!loop || loop->m_CurveList.IsEmpty()) return nullptr;
  auto* comb = new CGeCombCurve;
  for (POSITION pos = loop->m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = loop->m_CurveList.GetNext(pos);
    if (c) comb->AddTail(c->Copy(), 0);
  }
  comb->m_nClosed = loop->IsLoop(0.01);
  comb->CalcBox2d();
  return comb;
}

CGeCombCurve* geGenCombCurveFrmLoop(CGeLoop* loop) {
  CGeCombCurve* comb = geGenComCurve(loop);
  if (comb && comb->m_CurveList.IsEmpty()) {
    delete comb;
    return nullptr;
  }
  return comb;
}

int geLoopList2GPC(CGeLoopList* list, gpc_polygon* poly) {
  if (!list) return 0;
  // Only loops that fill a contour are counted: a null entry gets none.
  int count = 0;
  for (POSITION pos = list->GetHeadPosition(); pos;)
    if (list->GetNext(pos)) ++count;
  if (count == 0 || !poly) return count;
  if (!gpc_create_polygon(poly, count)) return 0;
  int c = 0;
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    CGeLoop* loop = list->GetNext(pos);
    if (!loop) continue;
    if (loop->m_nSWPoint <= 0 || !loop->m_pSWPoint) loop->Discrete(0.01);
    gpc_vertex_list& contour = poly->contour[c];
    const int n = loop->m_pSWPoint ? loop->m_nSWPoint : 0;
    if (!gpc_create_vertex(&contour, n)) {
      gpc_free_polygon(poly);
      return 0;
    }
    for (int i = 0; i < n; ++i) {
      contour.vertex[i].x = loop->m_pSWPoint[i][0];
      contour.vertex[i].y = loop->m_pSWPoint[i][1];
    }
    poly->hole[c] = c == 0 ? 0 : 1;
    ++c;
  }
  return count;
}

void geGPC2LoopList(gpc_polygon* poly, CGeLoopList* list) {
  if (!poly || !list) return;
  for (int c = 0; c < poly->num_contours; ++c) {
    const gpc_vertex_list& contour = poly->contour[c];
    const int n = contour.num_vertices;
    if (n < 1 || !contour.vertex) continue;  // nothing to make a loop of
    std::vector<double> pts(static_cast<size_t>(2 * (n + 1)));
    for (int i = 0; i <= n; ++i) {
      const gpc_vertex& v = contour.vertex[i % n];  // the first vertex closes the string
      pts[2 * i] = v.x;
      pts[2 * i + 1] = v.y;
    }
    auto poly2 = std::make_unique<CGePolyline>();
    if (!poly2->Create(n + 1, reinterpret_cast<const double(*)[2]>(pts.data()))) continue;
    poly2->m_nClosed = 1;
    poly2->Lean(0.01);
    poly2->Discrete(0.01);
    poly2->CalcBox2d();
    auto* loop = new CGeLoop;
    loop->AddTail(poly2.release(), 0);
    list->AddTail(loop);
  }
}
