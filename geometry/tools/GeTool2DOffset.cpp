// Offsets of loops and open chains, the corner bridges between offset pieces, cutting curves
// at their mutual crossings, end trimming and extension, and pruning of offset pieces.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/tools/CurveInter.h"
#include "geometry/tools/GeTool2D.h"
#include "geometry/tools/GeTool2DInternal.h"

namespace {
constexpr double kTiny = 1e-6;
constexpr double kSnapGap = 0.01;        // gaps below this are closed by moving the next start
constexpr double kPieceTol = 0.01;       // discretisation of edited pieces
constexpr double kChainTol = 0.02;       // end matching when offset pieces are chained
constexpr double kOpenPieceTol = 0.005;  // discretisation and matching of open-chain pieces
constexpr double kLeanTol = 0.01;
constexpr double kLeanAngle = 2.9670597283898;  // 170 degrees
constexpr double kParamLo = 1e-6;
constexpr double kParamHi = 0.999999;

// Offsets are refused where coordinates and distance together reach 2^30: there the spacing of
// doubles comes near the 1e-6 end-point tolerances the pieces are joined with, and the results
// could no longer be clipped (the polygon clipper's range ends there too).
constexpr double kMaxReach = 1073741824.0;

// The largest coordinate magnitude the curve's defining data reaches; infinity when any of it
// is not finite. Types that offset to nothing reach nothing.
double Reach(CGeCurve* c, int depth = 0);

double ListReach(CGeCurveList& list, int depth) {
  double r = 0.0;
  for (POSITION pos = list.GetHeadPosition(); pos;)
    if (CGeCurve* c = list.GetNext(pos)) r = std::max(r, Reach(c, depth));
  return r;
}

double PointReach(const double p0[2], const double p1[2]) {
  double r = 0.0;
  for (double v : {p0[0], p0[1], p1[0], p1[1]})
    r = std::isfinite(v) ? std::max(r, std::fabs(v)) : std::numeric_limits<double>::infinity();
  return r;
}

double Reach(CGeCurve* c, int depth) {
  constexpr double kBad = std::numeric_limits<double>::infinity();
  double r = 0.0;
  auto take = [&r](double v) {
    const double a = std::fabs(v);
    r = std::isfinite(a) ? std::max(r, a) : kBad;
  };
  // Angles and directions only need to be finite.
  auto check = [&r](double v) {
    if (!std::isfinite(v)) r = kBad;
  };
  auto disc = [&](const double centre[2], double radius) {
    take(centre[0]);
    take(centre[1]);
    if (r < kBad) take(std::max(std::fabs(centre[0]), std::fabs(centre[1])) + std::fabs(radius));
  };
  switch (c->GetType()) {
    case GE_TYPE_LINE:
      r = PointReach(static_cast<CGeLine*>(c)->m_ptStart, static_cast<CGeLine*>(c)->m_ptEnd);
      break;
    case GE_TYPE_ARC: {
      auto* a = static_cast<CGeArc*>(c);
      disc(a->m_ptCenter, a->m_dRadius);
      for (double v : {a->m_vStart[0], a->m_vStart[1], a->m_dSweep}) check(v);
      break;
    }
    case GE_TYPE_CIRCLE: {
      auto* k = static_cast<CGeCircle*>(c);
      disc(k->m_ptCenter, k->m_dRadius);
      break;
    }
    case GE_TYPE_ELLIPSE: {
      auto* e = static_cast<CGeEllipse*>(c);
      disc(e->m_ptCenter, std::max(std::fabs(e->m_dA), std::fabs(e->m_dB)));
      check(e->m_dRotation);
      break;
    }
    case GE_TYPE_BEZIER: {
      auto* b = static_cast<CGeBezier*>(c);
      for (int i = 0; i < b->m_nNode; ++i) {
        take(b->m_pNode[i].x);
        take(b->m_pNode[i].y);
      }
      break;
    }
    case GE_TYPE_POLYLINE:
      for (int i = 0; i < c->m_nSWPoint; ++i) {
        take(c->m_pSWPoint[i][0]);
        take(c->m_pSWPoint[i][1]);
      }
      break;
    case GE_TYPE_COMBCURVE: {
      // A composite nested absurdly deep (or inside itself) is refused, not followed.
      if (depth > 64) return kBad;
      r = ListReach(static_cast<CGeCombCurve*>(c)->m_CurveList, depth + 1);
      break;
    }
    default:
      break;
  }
  return r;
}

// Whether an offset by dist of something reaching `reach` stays within the usable range.
bool OffsetInRange(double reach, double dist) {
  return std::isfinite(dist) && reach + std::fabs(dist) < kMaxReach;
}

bool IsLine(const CGeCurve* c) { return c->GetType() == GE_TYPE_LINE; }
bool IsArc(const CGeCurve* c) { return c->GetType() == GE_TYPE_ARC; }

void Copy2(double dst[2], const double src[2]) {
  dst[0] = src[0];
  dst[1] = src[1];
}

// Each piece remembers its source and the source its piece (pointer-sized, so 64-bit safe).
void CrossLink(CGeCurve* a, CGeCurve* b) {
  a->m_nAttrib = reinterpret_cast<intptr_t>(b);
  b->m_nAttrib = reinterpret_cast<intptr_t>(a);
}

// Offset lines of successive points; a degenerate segment leaves its start for the next one.
template <class Point>
void OffsetPointChain(CGeTool2D& tool, int n, Point point, double dist, CGeCurveList* out) {
  if (n < 2) return;
  double from[2];
  point(0, from);
  for (int i = 1; i < n; ++i) {
    double to[2];
    point(i, to);
    if (CGeLine* line = tool.GenOffsetLine(from, to, dist)) {
      out->AddTail(line);
      Copy2(from, to);
    }
  }
}

// Of two candidate points, the one nearer (by summed distance) to a and b; the second on a tie.
const double* NearerPair(const double pts[2][2], const double a[2], const double b[2]) {
  const double s0 = P2D_Dist(pts[0], a) + P2D_Dist(pts[0], b);
  const double s1 = P2D_Dist(pts[1], a) + P2D_Dist(pts[1], b);
  return s0 < s1 ? pts[0] : pts[1];
}

// A line and an arc made to meet where the line's carrier crosses the arc's circle: the line's
// end and the arc's start when lineFirst, else the arc's end and the line's start. The arc keeps
// its far end and its tangent there; the line keeps its other end.
int MeetLineArc(CGeLine* line, CGeArc* arc, bool lineFirst) {
  double far[2], farTan[2], near[2], pts[2][2], t[2];
  arc->Ev1Der(lineFirst ? 1.0 : 0.0, far, farTan, 1);
  if (lineFirst)
    arc->GetStartPoint(near);
  else
    arc->GetEndPoint(near);
  double* lineJoin = lineFirst ? line->m_ptEnd : line->m_ptStart;
  int n = 0;
  Inter_LineCirEx(line->m_ptStart, line->m_ptEnd, arc->m_ptCenter, arc->m_dRadius, kTiny, n, pts,
                  t);
  const double* p = nullptr;
  // A single touching point must lie ahead of the line's kept end.
  if (n == 1 && (lineFirst ? t[0] > 0.0 : t[0] < 1.0)) p = pts[0];
  if (n == 2) p = NearerPair(pts, lineJoin, near);
  if (!p) return 0;
  CGeArc rebuilt;
  if (!(lineFirst ? rebuilt.CreateSEETan(p, far, farTan) : rebuilt.CreateSESTan(far, p, farTan)))
    return 0;
  arc->Create(&rebuilt);
  Copy2(lineJoin, p);
  line->Discrete(kPieceTol);
  arc->Discrete(kPieceTol);
  return 1;
}

// Position of the first non-null entry after pos (pos itself excluded); null when none.
POSITION NextNonNull(CGeCurveList* list, POSITION pos) {
  list->GetNext(pos);
  while (pos && !list->GetAt(pos)) list->GetNext(pos);
  return pos;
}

void DeleteAt(CGeCurveList* list, POSITION pos) {
  CGeCurve* c = list->GetAt(pos);
  list->RemoveAt(pos);
  delete c;
}

// Candidate pairs (i < j) whose boxes come within tol, in (i, j) order: a sweep over the
// boxes sorted by their left edge instead of testing every pair.
std::vector<std::pair<int, int>> OverlappingPairs(const std::vector<_tagBox2D>& boxes, double tol) {
  const int n = static_cast<int>(boxes.size());
  std::vector<int> order(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) order[static_cast<size_t>(i)] = i;
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    return boxes[static_cast<size_t>(a)].min[0] < boxes[static_cast<size_t>(b)].min[0];
  });
  std::vector<std::pair<int, int>> pairs;
  for (size_t k = 0; k < order.size(); ++k) {
    const _tagBox2D& bk = boxes[static_cast<size_t>(order[k])];
    for (size_t m = k + 1; m < order.size(); ++m) {
      const _tagBox2D& bm = boxes[static_cast<size_t>(order[m])];
      if (bm.min[0] > bk.max[0] + tol) break;
      if (BOX2D_IsInt(&bk, &bm, tol))
        pairs.emplace_back(std::min(order[k], order[m]), std::max(order[k], order[m]));
    }
  }
  std::sort(pairs.begin(), pairs.end());
  return pairs;
}

// Raw offset pieces of the loop's sub-curves with every corner bridged, the corner where a
// closed source closes included. False when no piece could be made.
bool BridgedOffset(CGeTool2D& tool, CGeLoop* loop, double dist, int type, CGeCurveList& working) {
  tool.GenRawOffsetCurve(&loop->m_CurveList, dist, &working);
  if (working.IsEmpty()) return false;
  tool.BridgeCurveList(&working, dist, type);
  if (working.GetCount() > 1 && loop->IsLoop(kTiny)) {
    if (CGeCurve* bridge = tool.BridgeCurve(working.GetTail(), working.GetHead(), dist, type))
      working.AddTail(bridge);
  }
  return true;
}

// The bridged pieces come in order, each starting where the one before ends. Chaining them by
// an end-point search would let a later piece that starts within the chaining tolerance jump
// ahead of a shorter one (dense outlines make bridges shorter than that tolerance), leaving
// pieces behind as stray loops; so consecutive pieces are joined while they meet, and a last
// chain that ends where the first starts is joined to it.
void ChainInOrder(CGeCurveList& pieces, CGeLoopList* out, double tol) {
  std::vector<std::unique_ptr<CGeLoop>> chains;
  double end[2] = {0.0, 0.0};
  while (!pieces.IsEmpty()) {
    CGeCurve* c = pieces.RemoveHead();
    if (!c) continue;
    double s[2];
    c->GetStartPoint(s);
    if (chains.empty() || P2D_Dist(s, end) >= tol) chains.push_back(std::make_unique<CGeLoop>());
    chains.back()->AddTail(c, 0);
    c->GetEndPoint(end);
  }
  if (chains.size() > 1) {
    double s[2];
    chains.front()->GetStartPoint(s);
    if (P2D_Dist(s, end) < tol) {
      CGeCurveList& head = chains.front()->m_CurveList;
      while (!head.IsEmpty()) chains.back()->AddTail(head.RemoveHead(), 0);
      chains.erase(chains.begin());
    }
  }
  for (auto& loop : chains) {
    loop->CalcBox2d();
    out->AddTail(loop.release());
  }
}

}  // namespace

// ---- offset entry points ------------------------------------------------------------------

void CGeTool2D::LoopOffset(CGeLoop* loop, double dist, int type, CGeLoopList* out) {
  if (!loop || !out || !OffsetInRange(ListReach(loop->m_CurveList, 0), dist)) return;
  CGeCurveList working(10);
  if (!BridgedOffset(*this, loop, dist, type, working)) return;
  ChainInOrder(working, out, kChainTol);
  for (POSITION pos = out->GetHeadPosition(); pos;)
    if (CGeLoop* l = out->GetNext(pos)) l->Lean(kLeanTol, kLeanAngle);
}

void CGeTool2D::OpenCurveOffset(CGeLoopList* loops, double dist, int type, CGeLoopList* out) {
  if (!loops || !out) return;
  for (POSITION pos = loops->GetHeadPosition(); pos;) {
    CGeLoop* loop = loops->GetNext(pos);
    if (!loop || !OffsetInRange(ListReach(loop->m_CurveList, 0), dist)) continue;
    CGeCurveList working(10);
    if (!BridgedOffset(*this, loop, dist, type, working)) continue;
    SplitCurveOnIntPt(&working);
    DelBrokenCurve(&working, kOpenPieceTol);
    if (working.IsEmpty()) continue;
    auto* result = new CGeLoop;
    while (!working.IsEmpty()) {
      CGeCurve* c = working.RemoveHead();
      if (!c) continue;
      c->Discrete(kOpenPieceTol);
      result->AddTail(c, 0);
    }
    result->CalcBox2d();
    result->Lean(kLeanTol, kLeanAngle);
    out->AddTail(result);
  }
}

void CGeTool2D::GenRawOffsetCurve(CGeCurveList* curves, double dist, CGeCurveList* out) {
  if (!curves || !out || !std::isfinite(dist)) return;
  for (POSITION pos = curves->GetHeadPosition(); pos;) {
    CGeCurve* c = curves->GetNext(pos);
    // A curve out of range offsets to nothing, like one whose offset fails.
    if (!c || !OffsetInRange(Reach(c), dist)) continue;
    switch (c->GetType()) {
      case GE_TYPE_LINE:
      case GE_TYPE_ARC:
      case GE_TYPE_CIRCLE:
      case GE_TYPE_ELLIPSE:
        if (CGeCurve* piece = c->Offset(dist)) {
          CrossLink(piece, c);
          out->AddTail(piece);
        }
        break;
      case GE_TYPE_BEZIER: {
        CPoint2dArray pts;
        c->Discrete(gGetCurveDicTol(), &pts, gGetCurveDicAng(), true);
        OffsetPointChain(
            *this, static_cast<int>(pts.GetSize()),
            [&](int i, double p[2]) {
              p[0] = pts[i].x;
              p[1] = pts[i].y;
            },
            dist, out);
        break;
      }
      case GE_TYPE_POLYLINE:
        c->Discrete(gGetCurveDicTol(), gGetCurveDicAng());
        OffsetPointChain(
            *this, c->m_nSWPoint, [&](int i, double p[2]) { Copy2(p, c->m_pSWPoint[i]); }, dist,
            out);
        break;
      case GE_TYPE_COMBCURVE:
        GenRawOffsetCurve(&static_cast<CGeCombCurve*>(c)->m_CurveList, dist, out);
        break;
      default:  // loops and offset curves contribute nothing
        break;
    }
  }
}

CGeLine* CGeTool2D::GenOffsetLine(const double p0[2], const double p1[2], double dist) {
  double n[2];
  if (!OffsetInRange(PointReach(p0, p1), dist) || P2D_Dist(p0, p1) < kTiny || !V2D_GenUnit(p0, p1, n, kTiny)) return nullptr;
  V2D_Rot(n, std::numbers::pi / 2);
  const double a[2] = {p0[0] + dist * n[0], p0[1] + dist * n[1]};
  const double b[2] = {p1[0] + dist * n[0], p1[1] + dist * n[1]};
  return new CGeLine(a, b);
}

// ---- bridging the corners -----------------------------------------------------------------

void CGeTool2D::BridgeCurveList(CGeCurveList* curves, double dist, int type) {
  if (!curves) return;
  POSITION pos = curves->GetHeadPosition();
  while (pos && !curves->GetAt(pos)) curves->GetNext(pos);
  while (pos) {
    POSITION next = NextNonNull(curves, pos);
    if (!next) break;
    if (CGeCurve* bridge = BridgeCurve(curves->GetAt(pos), curves->GetAt(next), dist, type))
      curves->InsertAfter(pos, bridge);
    pos = next;
  }
}

CGeCurve* CGeTool2D::BridgeCurve(CGeCurve* c1, CGeCurve* c2, double dist, int type) {
  if (!c1 || !c2) return nullptr;
  double e[2], s[2];
  c1->GetEndPoint(e);
  c2->GetStartPoint(s);
  const double gap = P2D_Dist(e, s);
  if (gap < kSnapGap) {
    if (gap > kTiny) {
      c2->ModifyStartPoint(e);
      c2->Discrete(kPieceTol);
    }
    return nullptr;
  }
  CInterPntArray hits;
  CCurveInter().CurveCurve(c1, c2, &hits);
  if (hits.GetSize() > 0) {
    INT_PTR best = 0;
    for (INT_PTR i = 1; i < hits.GetSize(); ++i)
      if (hits[i].t2 < hits[best].t2) best = i;
    const _tagInterPnt h = hits[best];
    const double p[2] = {h.x, h.y};
    TrimCurveEnd(c1, h.t1, p, 1);
    TrimCurveEnd(c2, h.t2, p, 0);
    return nullptr;
  }
  switch (type) {
    case 0: {
      CGeCurve* none = nullptr;
      ExtendCurveEnd(c1, c2, dist, &none);
      return nullptr;
    }
    case 1: {
      double end[2], tan[2];
      c1->GetPointAt(1.0, end, 1);
      c1->GetTanVecAt(1.0, tan, 1);
      auto arc = std::make_unique<CGeArc>();
      // More than half a turn would wrap round the corner the wrong way.
      if (!arc->CreateSESTan(end, s, tan) || std::fabs(arc->m_dSweep) > std::numbers::pi) return nullptr;
      arc->Discrete(kPieceTol);
      return arc.release();
    }
    case 2:
      return new CGeLine(e, s);
    default:
      return nullptr;
  }
}

int CGeTool2D::ExtendCurveEnd(CGeCurve* c1, CGeCurve* c2, double, CGeCurve** out) {
  if (out) *out = nullptr;
  if (!c1 || !c2) return 0;
  const bool line1 = IsLine(c1), line2 = IsLine(c2);
  const bool arc1 = IsArc(c1), arc2 = IsArc(c2);
  if (line1 && line2) {
    auto* l1 = static_cast<CGeLine*>(c1);
    auto* l2 = static_cast<CGeLine*>(c2);
    double p[2];
    if (Inter_LineLineEx(l1->m_ptStart, l1->m_ptEnd, l2->m_ptStart, l2->m_ptEnd, kTiny, 0.001, p) !=
        INTER_POINT)
      return 0;
    if (L2D_GetParam(l1->m_ptStart, l1->m_ptEnd, p) < 0.0 ||
        L2D_GetParam(l2->m_ptStart, l2->m_ptEnd, p) > 1.0)
      return 0;
    Copy2(l1->m_ptEnd, p);
    Copy2(l2->m_ptStart, p);
    l1->Discrete(kPieceTol);
    l2->Discrete(kPieceTol);
    return 1;
  }
  if (line1 && arc2) return MeetLineArc(static_cast<CGeLine*>(c1), static_cast<CGeArc*>(c2), true);
  if (arc1 && line2) return MeetLineArc(static_cast<CGeLine*>(c2), static_cast<CGeArc*>(c1), false);
  if (arc1 && arc2) {
    auto* a1 = static_cast<CGeArc*>(c1);
    auto* a2 = static_cast<CGeArc*>(c2);
    double pts[2][2];
    int n = 0;
    Inter_CirCir(a1->m_ptCenter, a1->m_dRadius, a2->m_ptCenter, a2->m_dRadius, kTiny, n, pts);
    if (n < 1) return 0;
    double s1[2], tan1[2], e1[2], s2[2], e2[2], tan2[2];
    a1->Ev1Der(0.0, s1, tan1, 1);
    a1->GetEndPoint(e1);
    a2->GetStartPoint(s2);
    a2->Ev1Der(1.0, e2, tan2, 1);
    const double* p = n == 1 ? pts[0] : NearerPair(pts, e1, s2);
    CGeArc first, second;
    if (!first.CreateSESTan(s1, p, tan1) || !second.CreateSEETan(p, e2, tan2)) return 0;
    a1->Create(&first);
    a2->Create(&second);
    a1->Discrete(kPieceTol);
    a2->Discrete(kPieceTol);
    return 1;
  }
  return 0;
}

void CGeTool2D::TrimCurveEnd(CGeCurve* curve, double t, const double pt[2], int atEnd) {
  if (!curve) return;
  // A cut at a non-finite place would leave the curve without a shape: it stays as it is.
  if (IsLine(curve)) {
    if (!pt || !std::isfinite(pt[0]) || !std::isfinite(pt[1])) return;
    if (atEnd)
      curve->ModifyEndPoint(pt);
    else
      curve->ModifyStartPoint(pt);
    // Keep the cached points in step with the end points.
    curve->Discrete(kPieceTol);
  } else if (IsArc(curve) && std::isfinite(t)) {
    CGeCurve* pieces[2] = {nullptr, nullptr};
    curve->Split(t, pieces, 1, 1);
    std::unique_ptr<CGeCurve> before(pieces[0]), after(pieces[1]);
    // A cut at or beyond an end leaves the arc as it was.
    if (CGeCurve* keep = atEnd ? before.get() : after.get()) {
      static_cast<CGeArc*>(curve)->Create(static_cast<CGeArc*>(keep));
      curve->Discrete(kPieceTol);
    }
  }
}

CGeCurve* CGeTool2D::Split(CGeCurve* curve, double t0, double t1) {
  if (!curve || !std::isfinite(t0) || !std::isfinite(t1)) return nullptr;
  if ((t0 < kParamLo && t1 <= kParamLo) || (t0 >= kParamHi && t1 > kParamHi) || t1 - t0 <= kTiny ||
      (t0 < kParamLo && t1 > kParamHi))
    return nullptr;
  double a[2], b[2];
  curve->GetPointAt(t0, a, 1);
  curve->GetPointAt(t1, b, 1);
  if (IsLine(curve)) return new CGeLine(a, b);
  if (IsArc(curve)) {
    double m[2];
    curve->GetPointAt((t0 + t1) / 2, m, 1);
    auto arc = std::make_unique<CGeArc>();
    if (!arc->Create3Pnt(a, m, b)) return nullptr;
    arc->Discrete(kPieceTol);
    return arc.release();
  }
  return nullptr;
}

// ---- cutting at crossings -----------------------------------------------------------------

void CGeTool2D::EvCurveIntPt(CGeCurveList* curves, CGeIsectPtArray* points) {
  if (!curves || !points) return;
  std::vector<CGeCurve*> list;
  std::vector<_tagBox2D> boxes;
  for (POSITION pos = curves->GetHeadPosition(); pos;) {
    CGeCurve* c = curves->GetNext(pos);
    if (!c) continue;
    c->CalcBox2d();
    list.push_back(c);
    boxes.push_back(c->m_box);
  }
  CCurveInter inter;
  auto add = [&](CGeCurve* c, double t, const _tagInterPnt& h) {
    if (t <= kParamLo || t >= kParamHi) return;
    _tagGeIsectPt rec;
    rec.pCurve = c;
    rec.t = t;
    rec.nFlag = 1;
    rec.pt = Position(h.x, h.y);
    points->Add(rec);
  };
  for (const auto& [i, j] : OverlappingPairs(boxes, 0.01)) {
    CInterPntArray hits;
    inter.CurveCurve(list[static_cast<size_t>(i)], list[static_cast<size_t>(j)], &hits);
    for (INT_PTR k = 0; k < hits.GetSize(); ++k) {
      add(list[static_cast<size_t>(i)], hits[k].t1, hits[k]);
      add(list[static_cast<size_t>(j)], hits[k].t2, hits[k]);
    }
  }
}

int CGeTool2D::SplitCurveOnIntPt(CGeCurveList* curves) {
  if (!curves) return 0;
  CGeIsectPtArray points;
  EvCurveIntPt(curves, &points);
  if (points.GetSize() == 0) return 0;
  // Split points grouped by curve, curves in the order of their first split point.
  std::vector<CGeCurve*> order;
  std::unordered_map<CGeCurve*, std::vector<_tagGeIsectPt>> byCurve;
  for (INT_PTR i = 0; i < points.GetSize(); ++i) {
    auto& group = byCurve[points[i].pCurve];
    if (group.empty()) order.push_back(points[i].pCurve);
    group.push_back(points[i]);
  }
  std::unordered_map<CGeCurve*, POSITION> where;
  for (POSITION pos = curves->GetHeadPosition(); pos;) {
    POSITION at = pos;
    if (CGeCurve* c = curves->GetNext(pos)) where.emplace(c, at);
  }
  for (CGeCurve* c : order) {
    auto& group = byCurve[c];
    std::stable_sort(group.begin(), group.end(),
                     [](const _tagGeIsectPt& a, const _tagGeIsectPt& b) { return a.t < b.t; });
    CGeIsectPtArray gathered;
    for (const auto& rec : group) gathered.Add(rec);
    CGeCurveList pieces(10);
    CreateSegCurveWithIntPt(c, &gathered, &pieces);
    POSITION at = where[c];
    while (!pieces.IsEmpty()) at = curves->InsertAfter(at, pieces.RemoveHead());
  }
  return 1;
}

void CGeTool2D::CreateSegCurveWithIntPt(CGeCurve* curve, CGeIsectPtArray* points,
                                        CGeCurveList* pieces) {
  if (!curve || !points || !pieces || points->GetSize() == 0) return;
  if (!IsLine(curve) && !IsArc(curve)) return;
  const INT_PTR n = points->GetSize();
  if (n == 1 && ((*points)[0].t <= kParamLo || (*points)[0].t > kParamHi)) return;
  std::unique_ptr<CGeCurve> first(Split(curve, 0.0, (*points)[0].t));
  // Without a first piece the curve cannot give up its tail: leave it whole.
  if (!first) return;
  for (INT_PTR k = 1; k < n; ++k)
    if (CGeCurve* c = Split(curve, (*points)[k - 1].t, (*points)[k].t)) pieces->AddTail(c);
  if (CGeCurve* c = Split(curve, (*points)[n - 1].t, 1.0)) pieces->AddTail(c);
  if (IsLine(curve)) {
    auto* line = static_cast<CGeLine*>(curve);
    auto* head = static_cast<CGeLine*>(first.get());
    Copy2(line->m_ptStart, head->m_ptStart);
    Copy2(line->m_ptEnd, head->m_ptEnd);
  } else {
    auto* arc = static_cast<CGeArc*>(curve);
    auto* head = static_cast<CGeArc*>(first.get());
    Copy2(arc->m_vStart, head->m_vStart);
    arc->m_dSweep = head->m_dSweep;
  }
  curve->Discrete(kPieceTol);
}

void CGeTool2D::SwapIsectPt(_tagGeIsectPt& a, _tagGeIsectPt& b) { std::swap(a, b); }

// ---- pruning ------------------------------------------------------------------------------

void CGeTool2D::DelBrokenCurve(CGeCurveList* curves, double tol) {
  // No curve continues another within a NaN tolerance: every one would go.
  if (!curves || !std::isfinite(tol)) return;
  POSITION pos = curves->GetHeadPosition();
  while (pos) {
    CGeCurve* p = curves->GetAt(pos);
    POSITION after = pos;
    curves->GetNext(after);
    if (!p || !after) break;
    double end[2];
    p->GetEndPoint(end);
    POSITION found = nullptr;
    for (POSITION q = after; q;) {
      POSITION at = q;
      CGeCurve* c = curves->GetNext(q);
      if (!c) continue;
      double s[2];
      c->GetStartPoint(s);
      if (std::fabs(s[0] - end[0]) < tol && std::fabs(s[1] - end[1]) < tol) {
        found = at;
        break;
      }
    }
    if (!found) {
      DeleteAt(curves, pos);
      pos = after;
      continue;
    }
    while (after != found) {
      POSITION victim = after;
      curves->GetNext(after);
      DeleteAt(curves, victim);
    }
    pos = found;
  }
}

void CGeTool2D::CloseCurve(CGeCurveList* curves, double tol) {
  if (!curves || curves->IsEmpty()) return;
  CGeCurve* head = curves->GetHead();
  CGeCurve* tail = curves->GetTail();
  if (!head || !tail) return;
  double s[2], e[2];
  head->GetStartPoint(s);
  tail->GetEndPoint(e);
  if (P2D_Dist(s, e) < tol) return;
  for (POSITION pos = curves->GetTailPosition(); pos;) {
    POSITION at = pos;
    CGeCurve* c = curves->GetPrev(pos);
    if (!c) continue;
    c->GetEndPoint(e);
    if (P2D_Dist(s, e) < tol) {
      while (curves->GetTailPosition() != at) delete curves->RemoveTail();
      return;
    }
  }
}

void CGeTool2D::DelCollisonCurve(CGeLoopList* loops, CGeCurveList* curves, double dist) {
  // An infinite distance would delete every curve, a NaN one none.
  if (!loops || !curves || loops->IsEmpty() || curves->IsEmpty() || !std::isfinite(dist)) return;
  const double limit = dist - 0.005;
  for (POSITION pos = curves->GetHeadPosition(); pos;) {
    POSITION at = pos;
    CGeCurve* c = curves->GetNext(pos);
    if (!c) continue;
    double mid[2];
    c->GetPointAt(0.5, mid, 1);
    double best = tool2d::kNoValue;
    for (POSITION lp = loops->GetHeadPosition(); lp;) {
      CGeLoop* loop = loops->GetNext(lp);
      if (!loop) continue;
      _tagBox2D box;
      loop->GetBox2d(&box);
      if (!BOX2D_IsPtIn(&box, mid, dist)) continue;
      for (POSITION sp = loop->m_CurveList.GetHeadPosition(); sp;) {
        CGeCurve* sub = loop->m_CurveList.GetNext(sp);
        if (!sub) continue;
        _tagBox2D sb;
        sub->GetBox2d(&sb);
        if (!BOX2D_IsPtIn(&sb, mid, dist)) continue;
        double nearPt[2], t = 0.0, r = tool2d::kNoValue;
        unsigned seg = 1;
        sub->GetNearestPoint(mid, nearPt, t, seg, r);
        if (r < dist) {
          best = r;
          break;
        }
        best = std::min(best, r);
      }
      if (best < limit) break;
    }
    if (best < limit) DeleteAt(curves, at);
  }
}
