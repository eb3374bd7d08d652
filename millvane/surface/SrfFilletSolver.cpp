#include "millvane/surface/SrfFilletSolver.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "millvane/kernel/BsplineUtils.h"
#include "millvane/kernel/KernelNumerics.h"
#include "millvane/kernel/KernelVec.h"
#include "millvane/kernel/SurfaceRecords.h"
#include "millvane/surface/SrfSectionFit.h"
#include "platform/numora/Box.h"
#include "platform/numora/Memory.h"
#include "platform/vurode/Accessors.h"

namespace {

// A patch is skinned through as few cross-sections as keep it this close to every one of them
// (the sections are exact arcs or lines; the traced spine has a point every step limit).
constexpr double kSectionFitTol = 1e-5;

void FreeCurveChain(SSI_CurveNode* head) {
  while (head) {
    SSI_CurveNode* next = head->next;
    ENT_Free(head->curve);
    KX_MemFree(head);
    head = next;
  }
}

// Appends chain behind the last node of head's chain; returns the head of the whole.
SSI_CurveNode* AppendCurveChain(SSI_CurveNode* head, SSI_CurveNode* chain) {
  if (!head) return chain;
  if (!chain) return head;
  SSI_CurveNode* tail = head;
  while (tail->next) tail = tail->next;
  tail->next = chain;
  chain->prev = tail;
  return head;
}

void FreeSampleCache(void*& cache) {
  SSI_FreeSampleCache(cache);
  cache = nullptr;
}

// An offset's base belongs to someone else, and ENT_Free refuses offsets.
void FreeOffset(SRF_Offset*& offset) {
  if (!offset) return;
  offset->base = nullptr;
  KX_MemFree(offset);
  offset = nullptr;
}

void FreeSideChain(SrfSideNode*& head) {
  while (head) {
    SrfSideNode* next = head->next;
    head->face = nullptr;
    FreeOffset(head->offset);
    FreeSampleCache(head->cache);
    delete head;
    head = next;
  }
}

// Narrows a range to [lo, hi]; it stays periodic only while its period fits in that span.
void FitRange(_param& r, double lo, double hi) {
  if (!(r.closure == 2 && (r.max - r.min) - 1e-12 < hi - lo)) r.closure = 0;
  r.min = lo;
  r.max = hi;
}

// The shift by whole periods that takes t into [min, max) of a periodic range; 0 otherwise.
double PeriodShift(const _param& r, double t) {
  const double p = r.max - r.min;
  if (r.closure != 2 || !(p > 1e-12)) return 0.0;
  return -std::floor((t - r.min) / p) * p;
}

// The shift by whole periods that brings t nearest to ref.
double NearestPeriodShift(const _param& r, double t, double ref) {
  const double p = r.max - r.min;
  if (r.closure != 2 || !(p > 1e-12)) return 0.0;
  return -std::round((t - ref) / p) * p;
}

// Box of the Cartesian control points, which holds the whole surface (weights are positive).
void NetBox(const _nurbs_surface* s, _tagBox3D* box) {
  BOX3D_Init0(box);
  if (!s || !s->net) return;
  for (int j = 0; j < s->nv; ++j)
    for (int i = 0; i < s->nu; ++i) {
      const double* h = s->net[j][i];
      if (!(h[3] > 0.0)) continue;
      const double p[3] = {h[0] / h[3], h[1] / h[3], h[2] / h[3]};
      BOX3D_Extend(box, p);
    }
}

bool InRange(const _param& r, double t) { return t >= r.min - 1e-6 && t <= r.max + 1e-6; }

bool Unit2(double o[2], double x, double y) {
  const double l = std::hypot(x, y);
  if (!(l >= 1e-6)) return false;
  o[0] = x / l;
  o[1] = y / l;
  return true;
}

// The cross-section arc from C1 (on A) to C2 (on B) about the spine point P; null when the
// points are degenerate. Free with KX_MemFree.
_arc* SectionArc(const double C1[3], const double C2[3], const double P[3], const double T[3]) {
  _arc* arc = nullptr;
  if (ARC_ByEndsAndCentreLine(C2, arc, C1, P, T) != 1) return nullptr;
  return arc;
}

// Contact points of one traced point on the two faces.
bool ContactPoints(const SSI_TracedPoint& tp, const SrfSideNode& A, const SrfSideNode& B,
                   double C1[3], double C2[3]) {
  return SRF_EvPos(C1, A.surface, tp.uvA[0], tp.uvA[1]) == 1 &&
         SRF_EvPos(C2, B.surface, tp.uvB[0], tp.uvB[1]) == 1;
}

// Steps from p along dir (shrinking the step up to ten times while the projection fails) and
// projects the result onto the surface; uv comes in as the guess.
bool SnapBeside(const ENT_Record* surface, const double p[3], const double dir[3], double step,
                double uv[2]) {
  for (int i = 0; i < 10; ++i, step *= 0.5) {
    double q[3], foot[3];
    kv::Axpy(q, p, step, dir);
    double u = uv[0], v = uv[1];
    if (SRF_SnapPoint(v, u, foot, surface, q) == 1) {
      uv[0] = u;
      uv[1] = v;
      return true;
    }
  }
  return false;
}

// One cross-section of a patch, planned from its traced point and made only when the fit
// asks for it: most of a long spine's sections are only ever needed for their middle points.
struct SectionPlan {
  enum Kind { kPoint, kLine, kArc } kind;
  double P[3], C1[3], C2[3];
  _arc arc;
};

class PlannedSections : public SrfSectionSource {
 public:
  explicit PlannedSections(std::vector<SectionPlan> plans)
      : m_plans(std::move(plans)), m_made(m_plans.size(), nullptr) {}
  ~PlannedSections() override { BCRV_FreStr(int(m_made.size()), m_made.data()); }
  PlannedSections(const PlannedSections&) = delete;
  PlannedSections& operator=(const PlannedSections&) = delete;

  int Count() const override { return int(m_plans.size()); }
  const BCRV* Section(int i) override {
    BCRV*& c = m_made[size_t(i)];
    if (c) return c;
    const SectionPlan& s = m_plans[size_t(i)];
    if (s.kind == SectionPlan::kPoint) {
      // No room for a section: it collapses onto the spine point.
      const double pts[2][3] = {{s.P[0], s.P[1], s.P[2]}, {s.P[0], s.P[1], s.P[2]}};
      CRV_NewSegmentBcrv(c, pts);
    } else if (s.kind == SectionPlan::kLine) {
      BCRV_GenLine(s.C1, s.C2, c);
    } else {
      BCRV_GenArc(&s.arc, c);
    }
    return c;
  }
  // An arc's middle is the middle of its sweep (its spline has equal symmetric spans).
  bool Middle(int i, double p[3]) override {
    const SectionPlan& s = m_plans[size_t(i)];
    if (s.kind == SectionPlan::kArc) {
      const _rect_fm3d& f = s.arc.frame;
      const double a = 0.5 * s.arc.sweep, x = s.arc.radius * std::cos(a),
                   y = s.arc.radius * std::sin(a);
      for (int k = 0; k < 3; ++k) p[k] = f.origin[k] + x * f.xAxis[k] + y * f.yAxis[k];
      return true;
    }
    const BCRV* c = Section(i);
    return c && BCRV_EvPos(c, 0.5 * (c->knots[c->order - 1] + c->knots[c->n]), p);
  }
  // The sections that can be made, in order.
  std::vector<BCRV*> MadeSections() {
    std::vector<BCRV*> made;
    for (int i = 0; i < Count(); ++i)
      if (Section(i)) made.push_back(m_made[size_t(i)]);
    return made;
  }

 private:
  std::vector<SectionPlan> m_plans;
  std::vector<BCRV*> m_made;
};

// Sections made already (not owned).
class ListedSections : public SrfSectionSource {
 public:
  explicit ListedSections(const std::vector<BCRV*>& sections) : m_sections(sections) {}
  int Count() const override { return int(m_sections.size()); }
  const BCRV* Section(int i) override { return m_sections[size_t(i)]; }
  bool Middle(int i, double p[3]) override {
    const BCRV* c = m_sections[size_t(i)];
    return BCRV_EvPos(c, 0.5 * (c->knots[c->order - 1] + c->knots[c->n]), p);
  }

 private:
  const std::vector<BCRV*>& m_sections;
};

}  // namespace

CSrfFilletSolver::CSrfFilletSolver()
    : m_pFirst(nullptr),
      m_pSecond(nullptr),
      m_nTrimFirst(0),
      m_nTrimSecond(0),
      m_nTrimMode(0),
      m_dRadius(1.0),
      m_pSpine(nullptr) {}

CSrfFilletSolver::~CSrfFilletSolver() { Clear(); }

int CSrfFilletSolver::IsReady() { return m_pFirst && m_pSecond && m_dRadius >= 1e-6 ? 1 : 0; }

void CSrfFilletSolver::AddFace(CGeTrimSurf* face, int flip, bool second) {
  if (!face) return;
  auto* node = new SrfSideNode{};
  node->face = face;
  node->flip = flip;
  SrfSideNode*& head = second ? m_pSecond : m_pFirst;
  if (!head) {
    head = node;
    return;
  }
  SrfSideNode* tail = head;
  while (tail->next) tail = tail->next;
  tail->next = node;
  node->prev = tail;
}

void CSrfFilletSolver::SetTrim(int first, int second, int mode) {
  m_nTrimFirst = first;
  m_nTrimSecond = second;
  m_nTrimMode = mode;
}

void CSrfFilletSolver::Clear() {
  FreeSideChain(m_pFirst);
  FreeSideChain(m_pSecond);
  FreeCurveChain(m_pSpine);
  m_pSpine = nullptr;
}

int CSrfFilletSolver::PrepareSide(SrfSideNode& node, double d) {
  CGeTrimSurf* face = node.face;
  if (!face) return 0;
  node.surface = static_cast<ENT_Record*>(face->m_pKernelSurf);
  node.loops = &face->m_LoopList;
  face->GetUVBox(&node.uvBox);
  face->GetBox(&node.box);
  // A face without loops or iso-curves has nothing to build its box from.
  if (!BOX3D_IsValid(&node.box)) NetBox(face->m_pSurface, &node.box);
  if (SRF_GetParamRanges(node.surface, &node.uRange, &node.vRange) != 1) return 0;

  _tagBox2D& box = node.uvBox;
  if (face->IsTrimed() && !face->m_LoopList.IsEmpty()) {
    // Only the neighbourhood of the outer loop can meet the other side.
    _tagBox2D loop;
    face->m_LoopList.GetHead()->GetUVBox(&loop);
    if (BOX2D_IsPtIn(&box, loop.min, 1e-6) && BOX2D_IsPtIn(&box, loop.max, 1e-6)) {
      const double gu = 0.1 * (box.max[0] - box.min[0]), gv = 0.1 * (box.max[1] - box.min[1]);
      box.min[0] = std::max(box.min[0], loop.min[0] - gu);
      box.min[1] = std::max(box.min[1], loop.min[1] - gv);
      box.max[0] = std::min(box.max[0], loop.max[0] + gu);
      box.max[1] = std::min(box.max[1], loop.max[1] + gv);
    }
  }
  FitRange(node.uRange, box.min[0], box.max[0]);
  FitRange(node.vRange, box.min[1], box.max[1]);

  if (!(std::fabs(d) >= 1e-6)) return std::isnan(d) ? 0 : 1;
  if (node.flip) d = -d;
  FreeOffset(node.offset);
  if (node.surface->type == ENT_OFFSET_SURFACE) {
    const auto* base = static_cast<const SRF_Offset*>(node.surface);
    node.offset = SRF_NewOffset(base->base, base->distance + d);
  } else {
    node.offset = SRF_NewOffset(node.surface, d);
  }
  BOX3D_Expand(std::fabs(d), &node.box);
  return node.offset ? 1 : 0;
}

int CSrfFilletSolver::Fillet(CGeTrimSurfList* out) {
  if (!out || !IsReady() || !std::isfinite(m_dRadius)) return 0;
  for (SrfSideNode* n = m_pFirst; n; n = n->next)
    if (!PrepareSide(*n, m_dRadius)) return 0;
  for (SrfSideNode* n = m_pSecond; n; n = n->next)
    if (!PrepareSide(*n, m_dRadius)) return 0;
  return RunFromSpines(out, false);
}

int CSrfFilletSolver::TraceSpines() {
  FreeCurveChain(m_pSpine);
  m_pSpine = nullptr;
  for (SrfSideNode* a = m_pFirst; a; a = a->next) {
    for (SrfSideNode* b = m_pSecond; b; b = b->next) {
      if (!BOX3D_IsInt(&a->box, &b->box, 1e-6)) continue;
      LST_Node* traces = nullptr;
      SSI_CurveNode* curves = nullptr;
      const int rc = SRF_IntersectSurfaces(a->Traced(), b->Traced(), &a->uvBox, &a->cache,
                                           &b->uvBox, &b->cache, &traces, &curves);
      LST_FreeChain(traces);
      if (rc == 1)
        m_pSpine = AppendCurveChain(m_pSpine, curves);
      else
        FreeCurveChain(curves);
    }
  }
  // The caches only pay off between the pairs of this one run.
  for (SrfSideNode* n = m_pFirst; n; n = n->next) FreeSampleCache(n->cache);
  for (SrfSideNode* n = m_pSecond; n; n = n->next) FreeSampleCache(n->cache);
  return m_pSpine ? 1 : 0;
}

void CSrfFilletSolver::FindNodes(const _intcur* spine, SrfSideNode*& A, SrfSideNode*& B) const {
  A = B = nullptr;
  for (SrfSideNode* side : {m_pFirst, m_pSecond}) {
    for (SrfSideNode* n = side; n; n = n->next) {
      const ENT_Record* r = n->Traced();
      if (r == spine->surfaceA) {
        A = n;
        break;
      }
      if (r == spine->surfaceB) {
        B = n;
        break;
      }
    }
  }
}

int CSrfFilletSolver::RunFromSpines(CGeTrimSurfList* out, bool straight) {
  const INT_PTR countBefore = out->GetCount();
  double tri[3];
  VLM_Get_gp_pre(tri);
  TOL_SetPrecision(tri);
  VLM_Get_gp_tra(tri);
  TOL_SetTolerance(tri);

  if (!TraceSpines()) return 0;

  for (SrfSideNode* side : {m_pFirst, m_pSecond})
    for (SrfSideNode* n = side; n; n = n->next)
      for (POSITION pos = n->face->m_LoopList.GetHeadPosition(); pos;)
        if (CGeTrimLoop* loop = n->face->m_LoopList.GetNext(pos)) loop->CalcUVBox();

  // Spines whose two surfaces both belong to this job stay, whole: cutting the faces at their
  // trim boundaries is the trim adaptor's work. The others are dropped.
  SSI_CurveNode* kept = nullptr;
  SSI_CurveNode* tail = nullptr;
  for (SSI_CurveNode* c = m_pSpine; c;) {
    SSI_CurveNode* next = c->next;
    SrfSideNode *A = nullptr, *B = nullptr;
    if (c->curve && c->curve->type == ENT_INTCURVE) FindNodes(c->curve, A, B);
    if (A && B) {
      *c = SSI_CurveNode{tail, nullptr, 0, c->curve, 1.0};
      (tail ? tail->next : kept) = c;
      tail = c;
    } else {
      ENT_Free(c->curve);
      KX_MemFree(c);
    }
    c = next;
  }
  m_pSpine = kept;
  if (!m_pSpine) return 0;

  for (SSI_CurveNode* c = m_pSpine; c; c = c->next) {
    SrfSideNode *A, *B;
    FindNodes(c->curve, A, B);
    if (CGeTrimSurf* patch = MakePatch(c->curve, *A, *B, straight)) out->AddTail(patch);
  }

  if (m_nTrimFirst || m_nTrimSecond) {
    for (SSI_CurveNode* c = m_pSpine; c; c = c->next) {
      SrfSideNode *A, *B;
      FindNodes(c->curve, A, B);
      if (A && B) OrientSpine(c->curve, *A, *B);
    }
    if (m_nTrimFirst)
      for (SrfSideNode* n = m_pFirst; n; n = n->next) TrimFace(n, out);
    if (m_nTrimSecond)
      for (SrfSideNode* n = m_pSecond; n; n = n->next) TrimFace(n, out);
  }
  // Reported as success only when this run added something: a caller's list that already
  // held surfaces says nothing about this run.
  return out->GetCount() > countBefore ? 1 : 0;
}

CGeTrimSurf* CSrfFilletSolver::MakePatch(const _intcur* spine, const SrfSideNode& A,
                                         const SrfSideNode& B, bool straight) {
  if (!spine || !spine->points || spine->points->count < 2 || !spine->points->points)
    return nullptr;
  const int n = spine->points->count;
  std::vector<SectionPlan> plans;
  plans.reserve(size_t(n));
  for (int i = 0; i < n; ++i) {
    const SSI_TracedPoint& tp = spine->points->points[i];
    SectionPlan s{};
    if (!ContactPoints(tp, A, B, s.C1, s.C2)) continue;
    kv::Copy(s.P, tp.point);
    if (kv::Dist(tp.point, s.C1) < 1e-6) {
      s.kind = SectionPlan::kPoint;
    } else if (straight) {
      s.kind = SectionPlan::kLine;
    } else if (_arc* arc = SectionArc(s.C1, s.C2, tp.point, tp.tangent)) {
      s.kind = SectionPlan::kArc;
      s.arc = *arc;
      KX_MemFree(arc);
    } else {
      continue;
    }
    plans.push_back(s);
  }
  PlannedSections sections(std::move(plans));
  _nurbs_surface* patch = nullptr;
  int rc = 0;
  // More than four sections (so more than two traced points) are fitted from the plans; a
  // section that cannot be made leaves the fit to the sections that can, as with fewer.
  if (sections.Count() > 4) rc = SRF_SkinFewestSections(sections, kSectionFitTol, patch);
  if (sections.Count() <= 4 || rc == -1) {
    BSRF_Free(patch);
    patch = nullptr;
    const std::vector<BCRV*> made = sections.MadeSections();
    const int k = int(made.size());
    if (n == 2 && k == 2) {
      rc = SRF_NewRuled(made[0], patch, made[1]);
    } else if (k >= 2) {
      ListedSections listed(made);
      rc = SRF_SkinFewestSections(listed, kSectionFitTol, patch);
    }
  }
  if (rc != 1 || !patch) {
    BSRF_Free(patch);
    return nullptr;
  }
  SRF_ReduceKnots(patch, 0.0015);
  auto* surf = new CGeTrimSurf();
  surf->m_pSurface = patch;
  return surf;
}

void CSrfFilletSolver::OrientSpine(_intcur* spine, const SrfSideNode& A, const SrfSideNode& B) {
  if (!spine) return;
  spine->flagA = spine->flagB = 0;
  if (!spine->points || spine->points->count < 2 || !spine->points->points) return;
  const int n = spine->points->count;
  const int wanted = std::min(n, 3);
  int agreeing = 0;
  for (int i = 0; i + 1 < n && agreeing < wanted; ++i) {
    SSI_TracedPoint a = spine->points->points[i];
    double bA[2] = {spine->points->points[i + 1].uvA[0], spine->points->points[i + 1].uvA[1]};
    double bB[2] = {spine->points->points[i + 1].uvB[0], spine->points->points[i + 1].uvB[1]};
    // Both ends of the step in the same period of each face.
    const double sAu = PeriodShift(A.uRange, a.uvA[0]), sAv = PeriodShift(A.vRange, a.uvA[1]);
    const double sBu = PeriodShift(B.uRange, a.uvB[0]), sBv = PeriodShift(B.vRange, a.uvB[1]);
    a.uvA[0] += sAu, a.uvA[1] += sAv, bA[0] += sAu, bA[1] += sAv;
    a.uvB[0] += sBu, a.uvB[1] += sBv, bB[0] += sBu, bB[1] += sBv;
    if (!InRange(A.uRange, a.uvA[0]) || !InRange(A.vRange, a.uvA[1]) || !InRange(A.uRange, bA[0]) ||
        !InRange(A.vRange, bA[1]) || !InRange(B.uRange, a.uvB[0]) || !InRange(B.vRange, a.uvB[1]) ||
        !InRange(B.uRange, bB[0]) || !InRange(B.vRange, bB[1]))
      continue;

    double C1[3], C2[3];
    if (!ContactPoints(a, A, B, C1, C2)) continue;
    _arc* arc = SectionArc(C1, C2, a.point, a.tangent);
    if (!arc) continue;
    const double radius = arc->radius, sweep = arc->sweep;
    double start[3], end[3], t0[3], t1[3];
    ARC_EvPosTan(0.0, start, arc, t0);
    ARC_EvPosTan(sweep, end, arc, t1);
    KX_MemFree(arc);
    if (!kv::Unit(t0, t0, 1e-12) || !kv::Unit(t1, t1, 1e-12)) continue;

    // A point just beyond each end of the section lies on the part of the face to keep.
    const double step = std::min(radius, 0.5);
    double q1[2] = {a.uvA[0], a.uvA[1]}, q2[2] = {a.uvB[0], a.uvB[1]};
    kv::Scale(t0, -1.0, t0);
    if (!SnapBeside(A.surface, start, t0, step, q1) || !SnapBeside(B.surface, end, t1, step, q2))
      continue;
    q1[0] += NearestPeriodShift(A.uRange, q1[0], a.uvA[0]);
    q1[1] += NearestPeriodShift(A.vRange, q1[1], a.uvA[1]);
    q2[0] += NearestPeriodShift(B.uRange, q2[0], a.uvB[0]);
    q2[1] += NearestPeriodShift(B.vRange, q2[1], a.uvB[1]);

    double d1[2], e1[2], d2[2], e2[2];
    if (!Unit2(d1, bA[0] - a.uvA[0], bA[1] - a.uvA[1]) ||
        !Unit2(e1, q1[0] - a.uvA[0], q1[1] - a.uvA[1]) ||
        !Unit2(d2, bB[0] - a.uvB[0], bB[1] - a.uvB[1]) ||
        !Unit2(e2, q2[0] - a.uvB[0], q2[1] - a.uvB[1]))
      continue;
    // 1: the side to keep lies to the left of the spine on that face.
    spine->flagA = d1[0] * e1[1] - d1[1] * e1[0] > 1e-6 ? 1 : 0;
    spine->flagB = d2[0] * e2[1] - d2[1] * e2[0] > 1e-6 ? 1 : 0;
    if (radius >= 0.001 && spine->flagA == 1 && spine->flagB == 1) ++agreeing;
  }
}

int CSrfFilletSolver::TrimFace(SrfSideNode* node, CGeTrimSurfList* out) {
  CSrfTrimAdaptor adaptor;
  adaptor.m_nMode = m_nTrimMode;
  adaptor.AddSurface(node->face, false);
  CEdTrimSurf* editor = adaptor.FindEditor(node->face);
  if (!editor) return 0;
  const ENT_Record* traced = node->Traced();
  int handed = 0;
  for (SSI_CurveNode* c = m_pSpine; c; c = c->next) {
    if (c->curve->surfaceA == traced) {
      adaptor.AddInterCurve(c->curve, editor, nullptr);
      ++handed;
    }
    if (c->curve->surfaceB == traced) {
      adaptor.AddInterCurve(c->curve, nullptr, editor);
      ++handed;
    }
  }
  if (!handed) return 0;
  adaptor.Trim(0);
  CGeTrimSurfList result;
  adaptor.GetSurfaceResult(node->face, &result);
  if (result.IsEmpty()) return 0;
  out->AddTail(&result);
  node->trimmed = 1;
  return 1;
}
