#include "velmora/commands/MeasureCommands.h"

#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbCurve.h"
#include "db/Selector.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/GeRegion.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes3d/GeCurve3d.h"
#include "geometry/tools/GeTool2D.h"
#include "platform/numora/Point2d.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/Units.h"
#include "platform/vurode/ViewState.h"
#include "platform/win/MessageBox.h"
#include "velmora/ordvale/GLView.h"
#include "velmora/quillan/Quillan.h"

#include <cmath>
#include <numbers>
#include <unordered_set>

namespace {

constexpr UINT kShiftKey = 0x4;  // key flag of a held Shift
constexpr double kAreaTol = 0.03, kRadiusTol = 0.03, kRadiusTolSingle = 0.0001;

const wchar_t* const kNotClosed = L"This draft is not closed, then can not calculate the radius!";

void NotClosedBox() {
  CWnd* view = gGetView();
  MessageBoxW(view ? view->GetSafeHwnd() : nullptr, kNotClosed, L"Velmora", MB_OK);
}

// Owns the curve copies and the loops built from them, deleting each loop exactly once however
// the loop lists share them.
struct LoopWork {
  CGeCurveList curves;
  CGeLoopList loops, open, closed;
  ~LoopWork() {
    // Gathered as plain pointers first: a shared loop must not be looked at once deleted.
    std::unordered_set<CObject*> all;
    for (CGeLoopList* list : {&loops, &open, &closed}) {
      CObList& plain = *list;
      for (POSITION p = plain.GetHeadPosition(); p;)
        if (CObject* ob = plain.GetNext(p)) all.insert(ob);
      list->RemoveAll();
    }
    for (CObject* ob : all) delete ob;
    geDelCurveList(&curves);
  }
  // Adds a copy of the curve; Beziers and ellipses become polylines first, so that the loops
  // are chained from curves every later step handles.
  void AddCopy(CGeCurve* curve, bool flatten) {
    if (!curve) return;
    CGeCurve* copy = curve->Copy();
    if (!copy) return;
    const int type = copy->GetType();
    if (flatten && (type == GE_TYPE_BEZIER || type == GE_TYPE_ELLIPSE)) {
      CGePolyline* poly = geCurveToPolyline(copy, 0.01);
      delete copy;
      if (!poly) return;
      copy = poly;
    }
    curves.AddTail(copy);
  }
  // Adds copies of a composite's sub-curves (or of the curve itself when it is not one).
  void AddParts(CGeCurve* curve, bool flatten) {
    if (!curve) return;
    if (curve->GetType() != GE_TYPE_COMBCURVE) {
      AddCopy(curve, flatten);
      return;
    }
    auto* comb = static_cast<CGeCombCurve*>(curve);
    for (POSITION p = comb->m_CurveList.GetHeadPosition(); p;) AddCopy(comb->m_CurveList.GetNext(p), flatten);
  }
  // Chains the copies (which move into the loops).
  void Chain(double tol, bool closedOnly) {
    CGeTool2D().ReCreateLoop(&curves, &loops, tol, closedOnly, false);
  }
};

}  // namespace

// ---- shared ----

int CMeaCmd::IsEnable(int) {
  CVurode* view = gGetVurode();
  return view && view->IsView2D() ? 1 : 0;
}

BOOL CMeaCmd::OnSetCursor() {
  auto* view = dynamic_cast<CGLView*>(gGetView());
  if (!view || !m_nCursorRes) return FALSE;
  view->SetViewCursor(m_nCursorRes);
  return TRUE;
}

void CMeaCmd::DropRubber(CDbCurve*& curve, CDC* dc) {
  if (!curve) return;
  if (dc) curve->Draw(dc, DB_DRAW_XOR);
  delete curve;
  curve = nullptr;
}

void CMeaCmd::DrawRubber(CDbCurve* curve, CDC* dc) {
  if (curve && dc) curve->Draw(dc, DB_DRAW_XOR);
}

void CMeaCmd::Repaint() {
  if (CWnd* view = gGetView()) view->Invalidate(TRUE);
}

namespace {
void SetUpTip(CWindowTip& tip) {
  tip.CreateTipWnd(gGetView());
  tip.SetOffsetToShow(7, -7);
  tip.Hide();
}
}  // namespace

// ---- distance ----

CMeaDistCmd::CMeaDistCmd(int flag, const wchar_t* name) : CMeaCmd(flag, name, 0) {
  m_nCursorRes = kCursor;
  SetUpTip(m_tip);
  m_nOption |= 1;
  m_nOption ^= 2;
}

CMeaDistCmd::~CMeaDistCmd() { delete m_pLine; }

int CMeaDistCmd::StartUp(int sub) {
  CCommand::StartUp(sub);
  m_start.Init();
  m_end.Init();
  delete m_pLine;
  m_pLine = nullptr;
  m_nState = 0;
  Prompt(L"Measure distance between two points");
  return 1;
}

void CMeaDistCmd::WakeUp() {
  CCommand::WakeUp();
  Prompt(L"Measure distance between two points");
}

int CMeaDistCmd::OnLButtonDown(UINT, Position& pos) {
  if (m_nState == 0) {
    m_start = m_end = pos;
    m_nState = 1;
    return 1;
  }
  m_end = m_last = pos;
  CDC* dc = GetDC();
  DropRubber(m_pLine, dc);
  const double a[2] = {m_start.x, m_start.y}, b[2] = {m_end.x, m_end.y};
  m_pLine = dbGenLine(a, b);
  DrawRubber(m_pLine, dc);
  ReleaseDC(dc);
  ShowTip();
  m_nState = 0;
  return 1;
}

int CMeaDistCmd::OnMouseMove(UINT flags, Position& pos) {
  if (pos.x == m_last.x && pos.y == m_last.y) return 0;
  if (m_nState == 1) {
    const Position cand = (flags & kShiftKey) ? GetPosIn45(m_start, pos) : pos;
    CDC* dc = GetDC();
    DropRubber(m_pLine, dc);
    const double a[2] = {m_start.x, m_start.y}, b[2] = {cand.x, cand.y};
    m_pLine = dbGenLine(a, b);
    DrawRubber(m_pLine, dc);
    ReleaseDC(dc);
    m_end = cand;
    m_last = pos;
    ShowTip();
  }
  m_last = pos;
  return 0;
}

void CMeaDistCmd::ShowTip() {
  CString text;
  text.Format(L"Distance: %0.3f , dx=%0.3f, dy=%0.3f", MM2CUR(m_start.Distance(m_end)), MM2CUR(m_end.x - m_start.x),
              MM2CUR(m_end.y - m_start.y));
  m_tip.SetTipText(text);
  m_tip.Show(CPoint(m_last.sx, m_last.sy));
}

void CMeaDistCmd::OnDraw(CDC* dc, int) { DrawRubber(m_pLine, dc); }

int CMeaDistCmd::Cancel() {
  delete m_pLine;
  m_pLine = nullptr;
  m_nState = 0;
  m_tip.Hide();
  Repaint();
  return CCommand::Cancel();
}

// ---- angle ----

CMeaAngCmd::CMeaAngCmd(int flag, const wchar_t* name) : CMeaCmd(flag, name, 0) {
  m_nCursorRes = kCursor;
  SetUpTip(m_tip);
  m_nOption |= 1;
  m_nOption ^= 2;
}

CMeaAngCmd::~CMeaAngCmd() { DeleteCurves(); }

void CMeaAngCmd::DeleteCurves() {
  for (CDbCurve** c : {&m_pLeg1, &m_pLeg2, &m_pArc}) {
    delete *c;
    *c = nullptr;
  }
}

int CMeaAngCmd::StartUp(int sub) {
  CCommand::StartUp(sub);
  DeleteCurves();
  m_nClick = 0;
  Prompt(L"Measure Angle");
  return 1;
}

void CMeaAngCmd::WakeUp() {
  CCommand::WakeUp();
  Prompt(L"Measure Angle");
}

double CMeaAngCmd::AngleDegrees(const double vertex[2], const double p1[2], const double p2[2]) {
  const double u[2] = {p1[0] - vertex[0], p1[1] - vertex[1]}, w[2] = {p2[0] - vertex[0], p2[1] - vertex[1]};
  double a = std::fabs((V2D_AngletoX(w) - V2D_AngletoX(u)) * 180.0 / std::numbers::pi);
  if (a > 180.0) a = 360.0 - a;
  return a;
}

void CMeaAngCmd::ReplaceArc(CDC* dc) {
  const double u[2] = {m_p1[0] - m_vertex[0], m_p1[1] - m_vertex[1]};
  const double w[2] = {m_p2[0] - m_vertex[0], m_p2[1] - m_vertex[1]};
  const double c = u[0] * w[1] - u[1] * w[0];
  if (std::fabs(c) >= 1e-6) m_nOrient = c > 0 ? 1 : 0;
  DropRubber(m_pArc, dc);
  m_pArc = dbGenArcCSE(m_vertex, m_p1, m_p2, m_nOrient);
  DrawRubber(m_pArc, dc);
}

void CMeaAngCmd::ShowTip(const Position& at) {
  CString text;
  text.Format(L"Angle:%0.3f", AngleDegrees(m_vertex, m_p1, m_p2));
  m_tip.SetTipText(text);
  m_tip.Show(CPoint(at.sx, at.sy));
}

int CMeaAngCmd::OnLButtonDown(UINT, Position& pos) {
  const double pt[2] = {pos.x, pos.y};
  ++m_nClick;
  CDC* dc = GetDC();
  if (m_nClick == 1) {
    m_vertex[0] = pt[0], m_vertex[1] = pt[1];
  } else if (m_nClick == 2) {
    m_p1[0] = m_p2[0] = pt[0];
    m_p1[1] = m_p2[1] = pt[1];
    DropRubber(m_pLeg1, dc);
    m_pLeg1 = dbGenLine(m_p1, m_vertex);
    DrawRubber(m_pLeg1, dc);
  } else {
    m_p2[0] = pt[0], m_p2[1] = pt[1];
    DropRubber(m_pLeg2, dc);
    m_pLeg2 = dbGenLine(m_vertex, m_p2);
    DrawRubber(m_pLeg2, dc);
    ReplaceArc(dc);
    ShowTip(pos);
    m_nClick = 0;
  }
  ReleaseDC(dc);
  return 1;
}

int CMeaAngCmd::OnMouseMove(UINT, Position& pos) {
  if (pos.x == m_last.x && pos.y == m_last.y) return 0;
  const double pt[2] = {pos.x, pos.y};
  if (m_nClick == 1 || m_nClick == 2) {
    CDC* dc = GetDC();
    if (m_nClick == 1) {
      DropRubber(m_pLeg1, dc);
      m_pLeg1 = dbGenLine(m_vertex, pt);
      DrawRubber(m_pLeg1, dc);
      m_p2[0] = pt[0], m_p2[1] = pt[1];
    } else {
      m_p2[0] = pt[0], m_p2[1] = pt[1];
      DropRubber(m_pLeg2, dc);
      m_pLeg2 = dbGenLine(m_vertex, pt);
      DrawRubber(m_pLeg2, dc);
      ReplaceArc(dc);
      ShowTip(pos);
    }
    ReleaseDC(dc);
  }
  m_last = pos;
  return 0;
}

void CMeaAngCmd::OnDraw(CDC* dc, int) {
  DrawRubber(m_pLeg1, dc);
  DrawRubber(m_pLeg2, dc);
  DrawRubber(m_pArc, dc);
}

int CMeaAngCmd::Cancel() {
  // Ends with or without a drawing context: a cancel that refused would leave the command
  // running with no way out. The repaint wipes the curves off the view.
  DeleteCurves();
  m_tip.Hide();
  Repaint();
  m_nClick = 0;
  return CCommand::Cancel();
}

// ---- picking ----

CMeaPickCmd::CMeaPickCmd(int flag, const wchar_t* name) : CMeaCmd(flag, name, 0) {
  m_nCursorRes = kCursor;
  m_nState = -1;
}

int CMeaPickCmd::StartUp(int sub) {
  CCommand::StartUp(sub);
  if (m_pSelector && !m_pSelector->IsEmpty()) {
    CDC* dc = GetDC();
    kxClearSelSet(dc);
    ReleaseDC(dc);
  }
  m_nState = 0;
  m_pPicked = nullptr;
  return 1;
}

int CMeaPickCmd::OnMouseMove(UINT, Position& pos) {
  CKXGlobal* settings = gGetKXGlobal();
  if (!m_pDBase || m_pDBase->IsEmpty() || !settings) return 0;
  CDC* dc = GetDC();
  if (!dc) return 0;
  // A database edit may have removed the last pick since.
  if (m_pPicked && !m_pDBase->Contains(m_pPicked)) m_pPicked = nullptr;
  if (m_pPicked) m_pPicked->Draw(dc, DB_DRAW_NORMAL);
  CPickRay ray(pos, settings->GetWorldPickRad());
  const CDbEntityList& list = m_pDBase->GetEntityList();
  for (POSITION p = list.GetHeadPosition(); p;) {
    CDbEntity* e = list.GetNext(p);
    if (e && e->IsVisible() && e->Pick(ray)) {
      m_pPicked = e;
      e->Draw(dc, DB_DRAW_HIGHLIGHT);
      break;
    }
  }
  ReleaseDC(dc);
  return 0;
}

int CMeaPickCmd::OnLButtonDown(UINT flags, Position& pos) {
  if (m_pPicked && m_pDBase && m_pDBase->Contains(m_pPicked)) Measure(m_pPicked);
  return CCommand::OnLButtonDown(flags, pos);
}

int CMeaPickCmd::Cancel() {
  m_pPicked = nullptr;
  return CCommand::Cancel();
}

bool CMeaPickCmd::Accepts(CDbEntity* entity, bool curve3d, const wchar_t* convertPrompt) {
  if (!entity) return false;
  const int type = entity->GetType();
  if (type == DB_ENT_CURVE || type == DB_ENT_CURVELIST || (curve3d && type == DB_ENT_CURVE3D)) return true;
  // Kinds that become plain curves by a conversion are told so.
  if (entity->GetBaseType() & DB_BASE_CONVERT) Prompt(convertPrompt);
  return false;
}

// ---- perimeter ----

int CMeaPeriMeterCmd::OnMouseMove(UINT flags, Position& pos) {
  CMeaPickCmd::OnMouseMove(flags, pos);
  return CCommand::OnMouseMove(flags, pos);
}

int CMeaPeriMeterCmd::OnRButtonDown(UINT flags, Position& pos) {
  Cancel();
  return CCommand::OnRButtonDown(flags, pos);
}

double CMeaPeriMeterCmd::Length(CDbEntity* entity) {
  if (!entity) return 0.0;
  switch (entity->GetType()) {
    case DB_ENT_CURVE: {
      CGeCurve* c = static_cast<CDbCurve*>(entity)->GetCurve();
      return c ? c->EvTotalArcLength() : 0.0;
    }
    case DB_ENT_CURVE3D: {
      CGeCurve3d* c = static_cast<CDbCurve3d*>(entity)->GetCurve();
      return c ? c->EvTotalArcLength() : 0.0;
    }
    case DB_ENT_CURVELIST: {
      double sum = 0.0;
      CGeCurveList& list = static_cast<CDbCurveList*>(entity)->GetCurveList();
      for (POSITION p = list.GetHeadPosition(); p;)
        if (CGeCurve* c = list.GetNext(p)) sum += c->EvTotalArcLength();
      return sum;
    }
    default:
      return 0.0;
  }
}

void CMeaPeriMeterCmd::Measure(CDbEntity* entity) {
  if (!Accepts(entity, true, L"Please convert it to draft, then calculate the perimeter!")) return;
  const double length = Length(entity);
  if (length == 0.0) return;
  CString text;
  text.Format(gUnitFormat(L"Perimeter:%0.3f").GetString(), MM2CUR(length));
  Prompt(text);
}

// ---- area ----

int CMeaAreaCmd::OnMouseMove(UINT flags, Position& pos) {
  CMeaPickCmd::OnMouseMove(flags, pos);
  return 0;
}

int CMeaAreaCmd::OnRButtonDown(UINT flags, Position& pos) {
  Cancel();
  return CCommand::OnRButtonDown(flags, pos);
}

double CMeaAreaCmd::Area(CDbEntity* entity) {
  if (!entity) return 0.0;
  LoopWork work;
  // Composites go in as their parts: the chaining takes composites apart itself, and the
  // loops come out the same.
  if (entity->GetType() == DB_ENT_CURVE) {
    work.AddParts(static_cast<CDbCurve*>(entity)->GetCurve(), false);
  } else if (entity->GetType() == DB_ENT_CURVELIST) {
    CGeCurveList& list = static_cast<CDbCurveList*>(entity)->GetCurveList();
    for (POSITION p = list.GetHeadPosition(); p;) work.AddParts(list.GetNext(p), false);
  } else {
    return 0.0;
  }
  work.Chain(kAreaTol, true);
  CGeTool2D tool;
  tool.ClassifyLoop(&work.loops, &work.open, &work.closed, kAreaTol);
  tool.ReSortLoop(&work.closed);
  CGeRegionList regions;
  tool.CreateRegion(&work.closed, &regions);
  // The loops now owned by the regions must not be deleted with the rest.
  for (POSITION p = regions.GetHeadPosition(); p;) {
    CGeRegion* region = regions.GetNext(p);
    if (!region) continue;
    for (POSITION q = work.loops.GetHeadPosition(); q;) {
      POSITION at = q;
      CGeLoop* loop = work.loops.GetNext(q);
      if (region->m_LoopList.Find(loop)) work.loops.RemoveAt(at);
    }
  }
  double area = 0.0;
  for (POSITION p = regions.GetHeadPosition(); p;)
    if (CGeRegion* r = regions.GetNext(p)) area += r->EvArea(0.01);
  geDelRegionList(&regions, false);
  return area;
}

void CMeaAreaCmd::Measure(CDbEntity* entity) {
  if (!Accepts(entity, false, L"Please convert it to draft, then calculate the area!")) return;
  Prompt(L"In Processing\xFF0CPlease Wait...");
  double a = Area(entity);
  if (a == 0.0) {
    Prompt(L"Please select closed curves!");
    return;
  }
  const CKXGlobal* settings = gGetKXGlobal();
  const wchar_t* suffix = L"mm*mm";
  switch (settings ? settings->GetUnit() : CKXGlobal::kUnitMM) {
    case CKXGlobal::kUnitCM:
      a = a / 10 / 10, suffix = L"cm*cm";
      break;
    case CKXGlobal::kUnitInch:
      a = a / 25.4 / 25.4, suffix = L"in*in";
      break;
    case CKXGlobal::kUnitFeet:
      a = a / 25.4 / 12 / 25.4 / 12, suffix = L"ft*ft";
      break;
    case CKXGlobal::kUnitM:
      a = a / 1000 / 1000, suffix = L"m*m";
      break;
    default:
      break;
  }
  CString text;
  text.Format(L"Area:%0.3f", a);
  text += suffix;
  Prompt(text);
}

// ---- inscribed circle ----

int CMeaRadiusCmd::OnMouseMove(UINT flags, Position& pos) {
  CMeaPickCmd::OnMouseMove(flags, pos);
  return CCommand::OnMouseMove(flags, pos);
}

int CMeaRadiusCmd::OnRButtonDown(UINT, Position&) { return Cancel(); }

int CMeaRadiusCmd::Cancel() {
  m_nState = 0;
  return CMeaPickCmd::Cancel();
}

CMeaRadiusCmd::RadiusResult CMeaRadiusCmd::Radius(CDbEntity* entity, double& radius) {
  radius = 0.0;
  if (!entity) return kRadiusIgnored;
  LoopWork work;
  CGeLoopList* closed = nullptr;
  if (entity->GetType() == DB_ENT_CURVE) {
    CGeCurve* curve = static_cast<CDbCurve*>(entity)->GetCurve();
    if (!curve) return kRadiusIgnored;
    switch (curve->GetType()) {
      case GE_TYPE_LINE:
      case GE_TYPE_ARC:
        return kRadiusNotClosed;
      case GE_TYPE_BEZIER:
      case GE_TYPE_POLYLINE:
      case GE_TYPE_CIRCLE:
      case GE_TYPE_ELLIPSE:
        if (!curve->IsClosed(0.01)) return kRadiusNotClosed;
        work.AddCopy(curve, true);
        work.Chain(kRadiusTolSingle, true);
        break;
      case GE_TYPE_COMBCURVE:
        if (!curve->IsClosed(0.01)) return kRadiusNotClosed;
        work.AddParts(curve, true);
        work.Chain(kRadiusTol, true);
        break;
      default:
        return kRadiusIgnored;
    }
    // Only closed loops were kept.
    closed = &work.loops;
  } else if (entity->GetType() == DB_ENT_CURVELIST) {
    CGeCurveList& list = static_cast<CDbCurveList*>(entity)->GetCurveList();
    for (POSITION p = list.GetHeadPosition(); p;) work.AddParts(list.GetNext(p), true);
    work.Chain(kRadiusTol, false);
    CGeTool2D tool;
    tool.ClassifyLoop(&work.loops, &work.open, &work.closed, kRadiusTol);
    if (work.closed.IsEmpty()) return kRadiusNotClosed;
    tool.ReSortLoop(&work.closed);
    closed = &work.closed;
  } else {
    return kRadiusIgnored;
  }
  if (closed->IsEmpty()) return kRadiusNotClosed;
  if (vnStart(closed, nullptr, true)) {
    radius = vnGetMaxRadius(0.01);
    vnEnd();
  }
  return kRadiusOk;
}

void CMeaRadiusCmd::Measure(CDbEntity* entity) {
  if (!Accepts(entity, false, L"Please convert it to draft, then calculate the radius!")) return;
  double r = 0.0;
  const RadiusResult result = Radius(entity, r);
  if (result == kRadiusNotClosed) {
    NotClosedBox();
    Repaint();
    return;
  }
  if (result != kRadiusOk || r == 0.0) return;
  // The radius is a length like any other reading: shown in the current unit.
  CString text;
  text.Format(gUnitFormat(L"Radius of the maximum inscribed circle : %0.3f").GetString(), MM2CUR(r));
  Prompt(text);
}
