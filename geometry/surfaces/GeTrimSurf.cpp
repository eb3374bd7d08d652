#include "geometry/surfaces/GeTrimSurf.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/surfaces/GeTessDomain.h"
#include "geometry/tools/CurveInter.h"
#include "platform/numora/Numora.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/ViewState.h"

IMPLEMENT_SERIAL(CGeTrimSurf, CObject, GE_SCHEMA_3D)

namespace {
constexpr double kAxisTol = 0.0001;
}  // namespace

CGeTrimSurf::CGeTrimSurf()
    : m_pSurface(nullptr),
      m_uvBox{{0, 0}, {0, 0}},
      m_pKernelSurf(nullptr),
      m_pSampleCache(nullptr) {}

CGeTrimSurf::CGeTrimSurf(_nurbs_surface* surface, _tagBox2D box) : CGeTrimSurf() {
  m_pSurface = surface;
  m_uvBox = box;
}

CGeTrimSurf::~CGeTrimSurf() {
  BSRF_Free(m_pSurface);
  m_pSurface = nullptr;
  geDelTrimLoopList(&m_LoopList);
}

void CGeTrimSurf::Serialize(CArchive&) {}

int CGeTrimSurf::GetType() const { return 0x80000; }

CGeTrimSurf* CGeTrimSurf::Copy() {
  auto* copy = new CGeTrimSurf();
  copy->CopyFromTrimSurf(this);
  copy->BuildTopo();
  return copy;
}

void CGeTrimSurf::CopyFromTrimSurf(CGeTrimSurf* other) {
  // Copying from itself would free the surface it is about to clone.
  if (!other || other == this) return;
  BSRF_Free(m_pSurface);
  m_pSurface = other->m_pSurface ? BSRF_Clone(other->m_pSurface) : nullptr;
  geDelTrimLoopList(&m_LoopList);
  other->ForEachLoop([this](CGeTrimLoop* l) { m_LoopList.AddTail(l->Copy()); });
  m_uvBox = other->m_uvBox;
  CopyFromMesh(other);
}

CGeTrimSurf* CGeTrimSurf::CopyNoLoop() {
  auto* copy = new CGeTrimSurf();
  if (m_pSurface) copy->m_pSurface = BSRF_Clone(m_pSurface);
  return copy;
}

void CGeTrimSurf::BuildTopo() {
  ForEachLoop([this](CGeTrimLoop* l) {
    l->m_pOwner = this;
    for (POSITION pos = l->m_BndList.GetHeadPosition(); pos;)
      if (CGeTrimBnd* b = l->m_BndList.GetNext(pos)) b->m_pOwner = l;
  });
}

CGeTrimSurf* CGeTrimSurf::GenOffsetSurf(double distance) {
  if (!m_pSurface) return nullptr;
  _nurbs_surface* offset = CNurbsEditor::OffsetSurf(m_pSurface, static_cast<float>(distance));
  if (!offset) return nullptr;
  auto* srf = new CGeTrimSurf();
  srf->m_pSurface = offset;
  ForEachLoop([srf](CGeTrimLoop* l) {
    CGeTrimLoop* copy = l->Copy();
    copy->m_pOwner = srf;
    for (POSITION pos = copy->m_BndList.GetHeadPosition(); pos;) {
      if (CGeTrimBnd* b = copy->m_BndList.GetNext(pos)) {
        b->m_pOwner = copy;
        delete b->m_pEucCrv;
        b->m_pEucCrv = nullptr;
      }
    }
    copy->CreateEuclidBnd();
    srf->m_LoopList.AddTail(copy);
  });
  srf->m_uvBox = m_uvBox;
  return srf;
}

int CGeTrimSurf::GetPoint(double u, double v, double* point) {
  if (!m_pSurface) return 0;
  return BSRF_EvPos(m_pSurface, u, v, point) ? 1 : 0;
}

int CGeTrimSurf::GetNormal(double u, double v, double* point, double* normal) {
  if (!m_pSurface) return 0;
  return BSRF_EvNormal(m_pSurface, u, v, point, normal) ? 1 : 0;
}

void CGeTrimSurf::GetDiscreteStep(double tol, double& du, double& dv) {
  du = dv = 0.02;
  double su = 0.0, sv = 0.0;
  // A failed query leaves the defaults rather than whatever it wrote.
  if (m_pSurface && BSRF_GetMaxiStepLin(m_pSurface, tol, &su, &sv)) {
    du = su;
    dv = sv;
  }
}

void CGeTrimSurf::Discrete(double) {}

int CGeTrimSurf::IsTrimed() {
  if (m_LoopList.IsEmpty()) return 0;
  if (m_LoopList.GetCount() == 1) {
    const double area = m_LoopList.GetHead()->EvArea(0.01);
    const double box = (m_uvBox.max[0] - m_uvBox.min[0]) * (m_uvBox.max[1] - m_uvBox.min[1]);
    if (std::fabs(area - box) < 1e-6) return 0;
  }
  return 1;
}

int CGeTrimSurf::IsPtInParaLoop(const double uv[2]) {
  if (m_LoopList.IsEmpty()) return 0;
  bool outer = true;
  for (POSITION pos = m_LoopList.GetHeadPosition(); pos; outer = false) {
    CGeTrimLoop* loop = m_LoopList.GetNext(pos);
    if (!loop) continue;
    bool inside = false;
    if (BOX2D_IsPtIn(&loop->m_uvBox, uv, 0.001)) {
      double winding = 0.0;
      for (POSITION bp = loop->m_BndList.GetHeadPosition(); bp;) {
        CGeTrimBnd* b = loop->m_BndList.GetNext(bp);
        int n = 0;
        const double(*p)[2] = b ? b->ParaPoints(0.01, n) : nullptr;
        for (int i = 0; i + 1 < n; ++i) {
          double a[2] = {p[i][0] - uv[0], p[i][1] - uv[1]};
          double c[2] = {p[i + 1][0] - uv[0], p[i + 1][1] - uv[1]};
          V2D_Unit(a, 1e-6);
          V2D_Unit(c, 1e-6);
          double angle = CMath::ACos(a[0] * c[0] + a[1] * c[1]);
          if (a[0] * c[1] - a[1] * c[0] < 1e-8) angle = -angle;
          winding += angle;
        }
      }
      inside = std::fabs(winding) > 5.0;
    }
    if (outer != inside) return 0;
  }
  return 1;
}

void CGeTrimSurf::GetParamSpaceIntPoint(CGeLine* line, CInterPntArray* out) {
  if (!line || !out || m_LoopList.IsEmpty()) return;
  CCurveInter inter;
  ForEachLoop([&](CGeTrimLoop* l) {
    for (POSITION pos = l->m_BndList.GetHeadPosition(); pos;)
      if (CGeTrimBnd* b = l->m_BndList.GetNext(pos); b && b->m_pParaCrv)
        inter.CurveCurve(line, b->m_pParaCrv, out);
  });
  const INT_PTR n = out->GetSize();
  if (n < 2) return;
  double s[2], e[2];
  line->GetStartPoint(s);
  line->GetEndPoint(e);
  const bool vertical = std::fabs(s[0] - e[0]) < kAxisTol;
  auto key = [vertical](const _tagInterPnt& r) { return vertical ? r.y : r.x; };
  for (INT_PTR i = 0; i < n; ++i)
    for (INT_PTR j = i + 1; j < n; ++j)
      if (key((*out)[j]) < key((*out)[i])) std::swap((*out)[i], (*out)[j]);
  for (INT_PTR i = 1; i < out->GetSize();) {
    const double a[2] = {(*out)[i - 1].x, (*out)[i - 1].y}, b[2] = {(*out)[i].x, (*out)[i].y};
    if (P2D_Dist(a, b) <= kAxisTol) out->RemoveAt(i);
    else ++i;
  }
}

CGeTrimBnd* CGeTrimSurf::PickTrimBnd(CPickRay& ray) {
  for (POSITION pos = m_LoopList.GetHeadPosition(); pos;) {
    CGeTrimLoop* l = m_LoopList.GetNext(pos);
    if (!l) continue;
    for (POSITION bp = l->m_BndList.GetHeadPosition(); bp;)
      if (CGeTrimBnd* b = l->m_BndList.GetNext(bp); b && b->Pick(ray, 0)) return b;
  }
  return nullptr;
}

int CGeTrimSurf::AddLoop(CGeTrimLoop* loop) {
  if (!loop) return 0;
  loop->m_pOwner = this;
  const double area = loop->EvArea(0.01);
  if (m_LoopList.IsEmpty() ? area < 0 : area > 0) loop->Reverse();
  m_LoopList.AddTail(loop);
  return 1;
}

CGeTrimLoop* CGeTrimSurf::GenRectTrimLoop(double uMin, double uMax, double vMin, double vMax) {
  m_uvBox = {{uMin, vMin}, {uMax, vMax}};
  auto* loop = new CGeTrimLoop();
  loop->m_pOwner = this;
  // Classification tests the loop's box; leaving it empty would put every point outside.
  loop->m_uvBox = m_uvBox;
  const double c[4][2] = {{uMin, vMin}, {uMax, vMin}, {uMax, vMax}, {uMin, vMax}};
  CGeCurve3d* space[4] = {VIsoCurve(vMin), UIsoCurve(uMax), VIsoCurve(vMax), UIsoCurve(uMin)};
  for (int i = 0; i < 4; ++i) {
    if (space[i] && i >= 2) space[i]->Reverse();
    loop->m_BndList.AddTail(new CGeTrimBnd(new CGeLine(c[i], c[(i + 1) % 4]), space[i], loop));
  }
  return loop;
}

void CGeTrimSurf::ReguTrimLoopDir() {
  bool first = true;
  ForEachLoop([&first](CGeTrimLoop* l) {
    const double area = l->EvArea(0.01);
    if (first ? area < 0 : area > 0) l->Reverse();
    first = false;
  });
  CalcBox();
}

void CGeTrimSurf::CalcUVBox() {
  if (m_LoopList.IsEmpty()) {
    m_uvBox = {{0, 0}, {1, 1}};
    return;
  }
  bool first = true;
  auto merge = [&](const _tagBox2D& box) {
    if (first) m_uvBox = box;
    else BOX2D_Union(&m_uvBox, &box);
    first = false;
  };
  ForEachLoop([&](CGeTrimLoop* l) {
    l->CalcUVBox();
    merge(l->m_uvBox);
    for (POSITION pos = l->m_BndList.GetHeadPosition(); pos;) {
      if (CGeTrimBnd* b = l->m_BndList.GetNext(pos); b && b->m_pParaCrv) {
        _tagBox2D box;
        b->m_pParaCrv->GetBox2d(&box);
        merge(box);
      }
    }
  });
}

template <class F>
void CGeTrimSurf::ForEachParaCurve(F&& f) {
  ForEachLoop([&](CGeTrimLoop* l) {
    for (POSITION pos = l->m_BndList.GetHeadPosition(); pos;)
      if (CGeTrimBnd* b = l->m_BndList.GetNext(pos); b && b->m_pParaCrv) f(b->m_pParaCrv);
  });
}

void CGeTrimSurf::MoveScaleTrimLoop(const double offset[2], const double scale[2]) {
  const bool move = offset[0] != 0.0 || offset[1] != 0.0;
  const bool scaled = scale[0] != 1.0 || scale[1] != 1.0;
  if (!move && !scaled) return;
  const double origin[2] = {0.0, 0.0};
  ForEachParaCurve([&](CGeCurve*& c) {
    if (move) c->Translate(offset);
    if (!scaled) return;
    // A curve may come back as another class (an arc scaled unevenly); that one replaces it.
    CGeShape2d* s = c->Scale(origin, scale);
    if (s && s != c) {
      delete c;
      c = static_cast<CGeCurve*>(s);
    }
  });
}

void CGeTrimSurf::ReguKontVector() {
  if (!m_pSurface) return;
  constexpr double kTol = 1e-12;
  _nurbs_surface* s = m_pSurface;
  struct Dir {
    int k, n;
    double* knots;
  } dirs[2] = {{s->ku, s->nu, s->uKnots}, {s->kv, s->nv, s->vKnots}};
  double shift[2] = {0.0, 0.0}, factor[2] = {1.0, 1.0};
  for (int d = 0; d < 2; ++d) {
    const Dir& r = dirs[d];
    const double start = r.knots[r.k - 1];
    if (std::fabs(start) > kTol) {
      for (int i = 0; i < r.k + r.n; ++i) r.knots[i] -= start;
      shift[d] = -start;
    }
  }
  const double none[2] = {1.0, 1.0};
  MoveScaleTrimLoop(shift, none);
  for (int d = 0; d < 2; ++d) {
    const Dir& r = dirs[d];
    const double end = r.knots[r.n];
    if (std::fabs(end - 1.0) > kTol && std::fabs(end) > kTol && KNOT_Regu(r.k, r.n, r.knots))
      factor[d] = 1.0 / end;
  }
  const double zero[2] = {0.0, 0.0};
  MoveScaleTrimLoop(zero, factor);
  CalcUVBox();
}

void CGeTrimSurf::UpdateTrimLoopEucCrv() {
  // Without a surface there is nothing to rebuild on, and the old curves are kept.
  if (!m_pSurface) return;
  const double tol = gGetCurveDicTol();
  ForEachLoop([&](CGeTrimLoop* l) { l->UpdateEucCrv(m_pSurface, tol); });
}

namespace {
CGeCurve3d* IsoNrbCurve(const _nurbs_surface* srf, int code, double value) {
  BCRV* crv = srf ? CNurbsEditor::MakeIsoCurve(srf, code, value) : nullptr;
  return crv ? new CGeNrbCrv3d(crv) : nullptr;
}
}  // namespace

CGeCurve3d* CGeTrimSurf::UIsoCurve(double u) {
  return IsoNrbCurve(m_pSurface, CNurbsEditor::kIsoU, u);
}

CGeCurve3d* CGeTrimSurf::VIsoCurve(double v) {
  return IsoNrbCurve(m_pSurface, CNurbsEditor::kIsoV, v);
}

CGeCurve3d* CGeTrimSurf::GenEuclidIsoCurve(CGeLine* uvLine) {
  if (!uvLine || !m_pSurface) return nullptr;
  double s[2], e[2];
  uvLine->GetStartPoint(s);
  uvLine->GetEndPoint(e);
  const bool constU = std::fabs(s[0] - e[0]) < kAxisTol;
  const int axis = constU ? 1 : 0;
  const double a = std::min(s[axis], e[axis]), b = std::max(s[axis], e[axis]);
  BCRV* iso = CNurbsEditor::MakeIsoCurve(m_pSurface, constU ? CNurbsEditor::kIsoU : CNurbsEditor::kIsoV,
                                         constU ? s[0] : s[1]);
  if (!iso) return nullptr;
  const bool atStart = std::fabs(a) < kAxisTol, atEnd = std::fabs(b - 1.0) < kAxisTol;
  BCRV* kept = iso;
  if (!(atStart && atEnd)) {
    BCRV *first = nullptr, *second = nullptr;
    if (atStart || atEnd) {
      CNurbsEditor::Split(atStart ? b : a, iso, first, second);
      kept = atStart ? first : second;
      BCRV_Free(atStart ? second : first);
    } else {
      kept = BCRV_Trim(iso, a, b, gGetCurveDicTol());
    }
    BCRV_Free(iso);
    if (!kept) return nullptr;
  }
  return new CGeNrbCrv3d(kept);
}

void CGeTrimSurf::CrossingSegments(const double a[2], const double b[2], CGeCurveList& segments) {
  CGeLine line(a, b);
  CInterPntArray points;
  GetParamSpaceIntPoint(&line, &points);
  for (INT_PTR i = 0; i + 1 < points.GetSize(); i += 2) {
    const double p[2] = {points[i].x, points[i].y}, q[2] = {points[i + 1].x, points[i + 1].y};
    segments.AddTail(new CGeLine(p, q));
  }
}

void CGeTrimSurf::IsoCurve(double value, int direction, CGeCurve3dList& out) {
  double du = 0.0, dv = 0.0;
  if (!m_pSurface || !BSRF_GetMaxiStepLin(m_pSurface, 0.05, &du, &dv)) return;
  const _tagBox2D& box = m_uvBox;
  CGeCurveList segments;
  if (direction == CNurbsEditor::kIsoU) {
    if (value < box.min[0] || value > box.max[0]) return;
    const double a[2] = {value, box.min[1] - 1}, b[2] = {value, box.max[1] + 1};
    CrossingSegments(a, b, segments);
  } else {
    if (value < box.min[1] || value > box.max[1]) return;
    const double a[2] = {box.min[0] - 1, value}, b[2] = {box.max[0] + 1, value};
    CrossingSegments(a, b, segments);
  }
  for (POSITION pos = segments.GetHeadPosition(); pos;) {
    auto* seg = static_cast<CGeLine*>(segments.GetNext(pos));
    if (CGeCurve3d* c = GenEuclidIsoCurve(seg)) out.AddTail(c);
    delete seg;
  }
}

void CGeTrimSurf::ComputerIsoCurve(int* counts) {
  if (!m_pSurface || !counts) return;
  if (m_LoopList.IsEmpty()) {
    ReguKontVector();
    const _nurbs_surface* s = m_pSurface;
    m_LoopList.AddTail(GenRectTrimLoop(s->uKnots[s->ku - 1], s->uKnots[s->nu],
                                       s->vKnots[s->kv - 1], s->vKnots[s->nv]));
    ClearIsoCurve();
  }
  counts[0] = std::max(counts[0], 2);
  counts[1] = counts[1] <= 0 ? counts[0] : std::max(counts[1], 2);
  const _tagBox2D box = m_uvBox;
  const double du = std::max((box.max[0] - box.min[0]) / counts[0], 0.01);
  const double dv = std::max((box.max[1] - box.min[1]) / counts[1], 0.01);
  CGeCurveList uSegs, vSegs;
  for (double u = box.min[0] + du; u <= box.max[0] - du; u += du) {
    const double a[2] = {u, box.min[1] - 1}, b[2] = {u, box.max[1] + 1};
    CrossingSegments(a, b, uSegs);
  }
  for (double v = box.min[1] + dv; v <= box.max[1] - dv; v += dv) {
    const double a[2] = {box.min[0] - 1, v}, b[2] = {box.max[0] + 1, v};
    CrossingSegments(a, b, vSegs);
  }
  double su = 0.0, sv = 0.0;
  const bool ok = BSRF_GetMaxiStepLin(m_pSurface, 0.05, &su, &sv) != 0;
  for (auto [segs, target] : {std::pair{&uSegs, &m_UIsoCurveList}, {&vSegs, &m_VIsoCurveList}}) {
    for (POSITION pos = segs->GetHeadPosition(); pos;) {
      auto* seg = static_cast<CGeLine*>(segs->GetNext(pos));
      if (ok)
        if (CGeCurve3d* c = GenEuclidIsoCurve(seg)) target->AddTail(c);
      delete seg;
    }
  }
}

CGeMesh* CGeTrimSurf::DiscreteToNcMesh(double tol) {
  if (!m_pSurface) return nullptr;
  auto* mesh = new CGeMesh();
  auto eval = [this](double u, double v) {
    double p[3] = {0.0, 0.0, 0.0};
    // A failed evaluation gives the origin.
    if (BSRF_EvPos(m_pSurface, u, v, p) != 1) p[0] = p[1] = p[2] = 0.0;
    return CPoint3d(static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2]));
  };
  if (IsTrimed() == 1) {
    CTessNode* nodes = nullptr;
    CTessTriangle* cells = nullptr;
    if (geTessTrimDomain(&m_LoopList, tol, &nodes, &cells) != 1) {
      delete mesh;
      return nullptr;
    }
    for (CTessNode* n = nodes; n; n = n->next) mesh->vertices.push_back(eval(n->u, n->v));
    const auto count = static_cast<int32_t>(mesh->vertices.size());
    for (CTessTriangle* c = cells; c; c = c->next) {
      // Cells naming nodes that are not there would make faces that index past the vertices.
      const int idx[4] = {c->a, c->b, c->c, c->d};
      const int corners = c->d == -1 ? 3 : 4;
      if (std::any_of(idx, idx + corners, [count](int i) { return i < 0 || i >= count; }))
        continue;
      mesh->faces.push_back({{c->a, c->b, c->c}});
      if (corners == 4) mesh->faces.push_back({{c->a, c->c, c->d}});
    }
    while (nodes) delete std::exchange(nodes, nodes->next);
    while (cells) delete std::exchange(cells, cells->next);
  } else {
    auto samples = std::make_unique<double[][2]>(1000);
    _tagBox2D box = m_uvBox;
    int caps[2] = {999, 999}, counts[2] = {0, 0};
    geGetParamSamples(this, tol, &box, samples.get(), caps, counts);
    const int nu = counts[0], nv = counts[1];
    mesh->vertices.reserve(static_cast<size_t>(nu + 1) * (nv + 1));
    mesh->faces.reserve(2 * static_cast<size_t>(nu) * nv);
    for (int i = 0; i <= nv; ++i)
      for (int j = 0; j <= nu; ++j) mesh->vertices.push_back(eval(samples[j][0], samples[i][1]));
    for (int j = 0; j < nu; ++j) {
      for (int i = 0; i < nv; ++i) {
        const int d = i * (nu + 1) + j, e = (i + 1) * (nu + 1) + j;
        mesh->faces.push_back({{d, d + 1, e + 1}});
        mesh->faces.push_back({{d, e + 1, e}});
      }
    }
  }
  mesh->CalcBox();
  return mesh;
}

void CGeTrimSurf::CalcBox() {
  bool first = true;
  auto merge = [&](const _tagBox3D& box) {
    if (first) m_box = box;
    else BOX3D_Union(&m_box, &box);
    first = false;
  };
  ForEachLoop([&](CGeTrimLoop* l) {
    l->CalcBox();
    // A loop without space curves has no box to contribute.
    if (!l->IsBoxValid()) return;
    _tagBox3D box;
    l->GetBox(&box);
    merge(box);
  });
  ForEachIsoCurve([&](CGeCurve3d* c) {
    _tagBox3D box;
    c->GetBox(&box);
    merge(box);
  });
}

void CGeTrimSurf::Translate(const double v[2]) {
  const double d[3] = {v[0], v[1], 0.0};
  Translate3D(d);
}

void CGeTrimSurf::Translate3D(const double v[3]) {
  if (m_pSurface) BSRF_Move(m_pSurface, v);
  ForEachLoop([&](CGeTrimLoop* l) { l->Translate3D(v); });
  CGeMesh::Translate3D(v);
}

void CGeTrimSurf::Rotate(const double c[2], double angle) {
  const double p[3] = {c[0], c[1], 0.0}, axis[3] = {0.0, 0.0, 1.0};
  if (m_pSurface) BSRF_Roate(m_pSurface, p, axis, angle);
  ForEachLoop([&](CGeTrimLoop* l) { l->Rotate(c, angle); });
  CGeMesh::Rotate(c, angle);
}

void CGeTrimSurf::Rotate3D(const double p[3], const double axis[3], double angle) {
  if (m_pSurface) BSRF_Roate(m_pSurface, p, axis, angle);
  ForEachLoop([&](CGeTrimLoop* l) { l->Rotate3D(p, axis, angle); });
  CGeMesh::Rotate3D(p, axis, angle);
  CalcBox();
}

void CGeTrimSurf::Mirror(const double p[2], const double q[2]) {
  const double a[3] = {p[0], p[1], 0.0}, b[3] = {q[0], q[1], 0.0};
  if (m_pSurface) BSRF_Mirror2D(m_pSurface, a, b);
  ForEachLoop([&](CGeTrimLoop* l) { l->Mirror(p, q); });
  CGeMesh::Mirror(p, q);
}

CGeShape3d* CGeTrimSurf::Shift(const double p[2], const double q[2]) {
  const double a[3] = {p[0], p[1], 0.0}, b[3] = {q[0], q[1], 0.0};
  if (m_pSurface) BSRF_Shift(m_pSurface, a, b);
  ForEachLoop([&](CGeTrimLoop* l) { l->Shift(p, q); });
  CGeMesh::Shift(p, q);
  return this;
}

CGeShape3d* CGeTrimSurf::Scale(const double base[2], const double f[2]) {
  const double c[3] = {base[0], base[1], 0.0}, g[3] = {f[0], f[1], 1.0};
  if (m_pSurface) BSRF_Scale(m_pSurface, c, g);
  ForEachLoop([&](CGeTrimLoop* l) { l->Scale(base, f); });
  CGeMesh::Scale(base, f);
  return this;
}

CGeShape3d* CGeTrimSurf::Scale3D(const double base[3], const double f[3]) {
  if (m_pSurface) BSRF_Scale(m_pSurface, base, f);
  ForEachLoop([&](CGeTrimLoop* l) { l->Scale3D(base, f); });
  CGeMesh::Scale3D(base, f);
  return this;
}

void CGeTrimSurf::Mirror3D(const double p[3], const double q[3]) {
  if (m_pSurface) BSRF_Mirror(m_pSurface, p, q);
  ForEachLoop([&](CGeTrimLoop* l) { l->Mirror3D(p, q); });
  CGeMesh::Mirror3D(p, q);
}

void CGeTrimSurf::Transform(const double m[4][4]) {
  if (m_pSurface) BSRF_Transform(m_pSurface, m);
  ForEachLoop([&](CGeTrimLoop* l) { l->Transform(m); });
  CGeMesh::Transform(m);
}

void CGeTrimSurf::Transform(const _rect_fm3d* frame) {
  if (m_pSurface) BSRF_TransformWorld(m_pSurface, frame);
  ForEachLoop([&](CGeTrimLoop* l) { l->Transform(frame); });
  CGeMesh::Transform(frame);
}

void CGeTrimSurf::TransformLocal(const _rect_fm3d* frame) {
  if (m_pSurface) BSRF_TransLocal(m_pSurface, frame);
  ForEachLoop([&](CGeTrimLoop* l) { l->TransformLocal(frame); });
  CGeMesh::TransformLocal(frame);
}

void CGeTrimSurf::Draw(CDC* pDC) {
  ForEachLoop([&](CGeTrimLoop* l) { l->Draw(pDC); });
  CGeSurf::Draw(pDC);
}

void CGeTrimSurf::DrawGL(COpenGLDC* pDC, int nMode) {
  CVurode* view = gGetVurode();
  if (!view) return;
  unsigned mode = view->GetSrfShowMode();
  if (gIsAnimateView() || nMode == 3) mode = CVurode::kSrfIso;
  if (mode == CVurode::kSrfShaded) {
    CGeMesh::DrawGL(pDC, nMode);
  } else if (mode == CVurode::kSrfShadedIso) {
    ForEachLoop([&](CGeTrimLoop* l) { l->DrawGL(pDC, nMode); });
    CGeMesh::DrawGL(pDC, nMode);
  } else if (mode == CVurode::kSrfIso) {
    ForEachLoop([&](CGeTrimLoop* l) { l->DrawGL(pDC, nMode); });
    CGeSurf::DrawGL(pDC, nMode);
  }
}

int CGeTrimSurf::Pick(CPickRay& ray, int filter) {
  if (filter && !(GetType() & ray.m_nTypeMask)) return 0;
  if (!gGetVurode()) return 0;
  if (!ray.m_b2D) return CGeMesh::Pick(ray, 0);
  for (POSITION pos = m_LoopList.GetHeadPosition(); pos;)
    if (CGeTrimLoop* l = m_LoopList.GetNext(pos); l && l->Pick(ray, 0)) return 1;
  return CGeSurf::Pick(ray, 0);
}
