#include "geometry/surfaces/GeTrimLoop.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "geometry/shapes3d/GeLoop3d.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "geometry/surfaces/GeTrimSurf.h"
#include "geometry/tools/ConvertEditor.h"
#include "platform/numora/Numora.h"
#include "platform/vurode/Accessors.h"

IMPLEMENT_SERIAL(CGeTrimLoop, CObject, GE_SCHEMA_3D)

CGeTrimLoop::CGeTrimLoop() : m_pOwner(nullptr), m_uvBox{{0, 0}, {0, 0}}, m_dArea(0.0) {}

CGeTrimLoop::~CGeTrimLoop() {
  ForEachBound([](CGeTrimBnd* b) { delete b; });
  m_BndList.RemoveAll();
}

void CGeTrimLoop::Serialize(CArchive&) {}

int CGeTrimLoop::GetType() const { return 0x10000; }

CGeTrimLoop* CGeTrimLoop::Copy() {
  auto* loop = new CGeTrimLoop();
  ForEachBound([loop](CGeTrimBnd* b) { loop->m_BndList.AddTail(b->Copy()); });
  loop->m_uvBox = m_uvBox;
  loop->m_dArea = m_dArea;
  loop->m_box = m_box;
  return loop;
}

void CGeTrimLoop::CalcBox() {
  bool first = true;
  ForEachBound([&](CGeTrimBnd* b) {
    b->CalcBox();
    _tagBox3D box;
    b->GetBox(&box);
    _tagBox2D uv{{0, 0}, {0, 0}};
    if (b->m_pParaCrv) b->m_pParaCrv->GetBox2d(&uv);
    if (first) {
      m_box = box;
      m_uvBox = uv;
      first = false;
    } else {
      BOX3D_Union(&m_box, &box);
      BOX2D_Union(&m_uvBox, &uv);
    }
  });
}

void CGeTrimLoop::CalcUVBox() {
  m_uvBox = {{0, 0}, {1, 1}};
  bool first = true;
  ForEachBound([&](CGeTrimBnd* b) {
    if (!b->m_pParaCrv) return;
    _tagBox2D uv;
    b->m_pParaCrv->GetBox2d(&uv);
    if (first) m_uvBox = uv;
    else BOX2D_Union(&m_uvBox, &uv);
    first = false;
  });
}

void CGeTrimLoop::Translate(const double v[2]) {
  ForEachBound([&](CGeTrimBnd* b) { b->Translate(v); });
  CalcBox();
}
void CGeTrimLoop::Translate3D(const double v[3]) {
  ForEachBound([&](CGeTrimBnd* b) { b->Translate3D(v); });
  CalcBox();
}
void CGeTrimLoop::Rotate(const double c[2], double angle) {
  ForEachBound([&](CGeTrimBnd* b) { b->Rotate(c, angle); });
  CalcBox();
}
void CGeTrimLoop::Rotate3D(const double p[3], const double axis[3], double angle) {
  ForEachBound([&](CGeTrimBnd* b) { b->Rotate3D(p, axis, angle); });
  CalcBox();
}
void CGeTrimLoop::Mirror(const double p[2], const double q[2]) {
  ForEachBound([&](CGeTrimBnd* b) { b->Mirror(p, q); });
  CalcBox();
}
CGeShape3d* CGeTrimLoop::Shift(const double p[2], const double q[2]) {
  ForEachBound([&](CGeTrimBnd* b) { b->Shift(p, q); });
  CalcBox();
  return this;
}
CGeShape3d* CGeTrimLoop::Scale(const double base[2], const double f[2]) {
  ForEachBound([&](CGeTrimBnd* b) { b->Scale(base, f); });
  CalcBox();
  return this;
}
CGeShape3d* CGeTrimLoop::Scale3D(const double base[3], const double f[3]) {
  ForEachBound([&](CGeTrimBnd* b) { b->Scale3D(base, f); });
  CalcBox();
  return this;
}
void CGeTrimLoop::Mirror3D(const double p[3], const double q[3]) {
  ForEachBound([&](CGeTrimBnd* b) { b->Mirror3D(p, q); });
  CalcBox();
}
void CGeTrimLoop::Transform(const _rect_fm3d* frame) {
  ForEachBound([&](CGeTrimBnd* b) { b->Transform(frame); });
  CalcBox();
}
void CGeTrimLoop::Transform(const double m[4][4]) {
  ForEachBound([&](CGeTrimBnd* b) { b->Transform(m); });
  CalcBox();
}
void CGeTrimLoop::TransformLocal(const _rect_fm3d* frame) {
  ForEachBound([&](CGeTrimBnd* b) { b->TransformLocal(frame); });
  CalcBox();
}

void CGeTrimLoop::Create(CGeLoop3d* loop, _tagBox2D box) {
  ForEachBound([](CGeTrimBnd* b) { delete b; });
  m_BndList.RemoveAll();
  if (!loop) return;
  const double tol = gGetCurveDicTol() / 3.0;
  const double w = box.max[0] - box.min[0], h = box.max[1] - box.min[1];
  const double shift[2] = {-box.min[0], -box.min[1]};
  const double origin[2] = {0, 0};
  const double f[2] = {w != 0 ? 1.0 / w : 1.0, h != 0 ? 1.0 / h : 1.0};
  for (POSITION pos = loop->m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve3d* sub = loop->m_CurveList.GetNext(pos);
    if (!sub) continue;
    CGeCurve* para = CConvertEditor::ToPolyline2d(sub, tol);
    if (para) {
      para->Translate(shift);
      CGeShape2d* scaled = para->Scale(origin, f);
      if (scaled && scaled != para) {
        delete para;
        para = static_cast<CGeCurve*>(scaled);
      }
    }
    auto* bnd = new CGeTrimBnd(para, static_cast<CGeCurve3d*>(sub->Copy()), this);
    bnd->CalcBox();
    m_BndList.AddTail(bnd);
  }
}

int CGeTrimLoop::AddBound(CGeTrimBnd* bound) {
  if (!bound) return 0;
  bound->m_pOwner = this;
  if (m_BndList.IsEmpty()) m_uvBox = {{1e12, 1e12}, {-1e12, -1e12}};
  m_BndList.AddTail(bound);
  if (CGeCurve* c = bound->m_pParaCrv) {
    double step = 0.01;
    c->GetDiscStep(0.01, step);
    const int n = std::max(1, static_cast<int>(std::ceil(1.0 / std::max(step, 1e-6))));
    // A polyline's samples need not meet its vertices; each vertex counts as well.
    int nv = 0;
    const double(*v)[2] = c->GetType() == 0x20 ? bound->ParaPoints(0.01, nv) : nullptr;
    for (int k = 0; k <= n + nv; ++k) {
      double p[2];
      if (k <= n) bound->GetParaPoint(static_cast<double>(k) / n, p);
      else std::copy(v[k - n - 1], v[k - n - 1] + 2, p);
      for (int i = 0; i < 2; ++i) {
        m_uvBox.min[i] = std::min(m_uvBox.min[i], p[i]);
        m_uvBox.max[i] = std::max(m_uvBox.max[i], p[i]);
      }
    }
  }
  return 1;
}

int CGeTrimLoop::GetStartPoint(double* xyz, double* uv) {
  return m_BndList.IsEmpty() ? 0 : m_BndList.GetHead()->GetStartPoint(xyz, uv);
}

int CGeTrimLoop::GetEndPoint(double* xyz, double* uv) {
  return m_BndList.IsEmpty() ? 0 : m_BndList.GetHead()->GetEndPoint(xyz, uv);
}

void CGeTrimLoop::Discrete(double tol) {
  ForEachBound([&](CGeTrimBnd* b) { b->Discrete(tol); });
}
void CGeTrimLoop::Draw(CDC* pDC) {
  ForEachBound([&](CGeTrimBnd* b) { b->Draw(pDC); });
}
void CGeTrimLoop::DrawGL(COpenGLDC* pDC, int nMode) {
  ForEachBound([&](CGeTrimBnd* b) { b->DrawGL(pDC, nMode); });
}
void CGeTrimLoop::UpdateEucCrv(_nurbs_surface* surface, double tol) {
  ForEachBound([&](CGeTrimBnd* b) { b->UpdateEucCrv(surface, tol); });
}
void CGeTrimLoop::Reverse() {
  // The boundaries must still chain end to start afterwards, so their order turns round too.
  CGeTrimBndList reversed;
  while (!m_BndList.IsEmpty()) {
    CGeTrimBnd* b = m_BndList.RemoveHead();
    if (b) b->Reverse();
    reversed.AddHead(b);
  }
  while (!reversed.IsEmpty()) m_BndList.AddTail(reversed.RemoveHead());
}

int CGeTrimLoop::Pick(CPickRay& ray, int filter) {
  for (POSITION pos = m_BndList.GetHeadPosition(); pos;)
    if (CGeTrimBnd* b = m_BndList.GetNext(pos); b && b->Pick(ray, filter)) return 1;
  return 0;
}

void CGeTrimLoop::CreateEuclidBnd() {
  if (!m_pOwner) return;
  constexpr int kMax = 5000;
  std::unique_ptr<double[][5]> records;
  ForEachBound([&](CGeTrimBnd* b) {
    if (b->m_pEucCrv || !b->m_pParaCrv) return;
    if ((b->m_pEucCrv = b->MakeIsoEucCrv(m_pOwner->m_pSurface))) return;
    if (!records) records = std::make_unique<double[][5]>(kMax + 1);
    int count = 0;
    if (!b->DiscreteBound(m_pOwner, 0.1, records.get(), count, kMax)) count = 0;
    if (count == 2) {
      auto* line = new CGeLine3d(records[0], records[1]);
      line->DiscreteMe(0.1);
      b->m_pEucCrv = line;
    } else if (count > 2) {
      auto xyz = std::make_unique<double[][3]>(count);
      for (int i = 0; i < count; ++i) std::copy(records[i], records[i] + 3, xyz[i]);
      auto* pl = new CGePolyline3d();
      pl->Create(count, xyz.get());
      b->m_pEucCrv = pl;
    }
  });
}


double CGeTrimLoop::EvArea(double tol) {
  double sum = 0.0;
  ForEachBound([&](CGeTrimBnd* b) {
    int n = 0;
    const double(*p)[2] = b->ParaPoints(tol, n);
    for (int i = 0; i + 1 < n; ++i) sum += p[i][0] * p[i + 1][1] - p[i][1] * p[i + 1][0];
  });
  m_dArea = sum / 2.0;
  return m_dArea;
}

int CGeTrimLoop::IsPtInLoop(const double uv[2], double tol) {
  if (!BOX2D_IsPtIn(&m_uvBox, uv, tol)) return 1;
  const double e = tol, px = uv[0], py = uv[1];
  int crossings = 0;
  for (POSITION pos = m_BndList.GetHeadPosition(); pos;) {
    CGeTrimBnd* b = m_BndList.GetNext(pos);
    if (!b) continue;
    int n = 0;
    const double(*p)[2] = b->ParaPoints(tol, n);
    for (int i = 0; i + 1 < n; ++i) {
      const double *A = p[i], *B = p[i + 1];
      if ((A[1] > py + e && B[1] < py - e) || (B[1] > py + e && A[1] < py - e)) {
        const double x = A[0] + (py - A[1]) * (B[0] - A[0]) / (B[1] - A[1]);
        if (std::fabs(x - px) < e) return 2;
        if (x - px > e) ++crossings;
      } else if (std::fabs(B[1] - py) < e) {
        if (std::fabs(B[0] - px) < e) return 2;
        if (std::fabs(A[1] - py) < e && px - A[0] > -e && B[0] - px > -e) return 2;
        if (std::fabs(A[1] - py) < e && A[0] - px > -e && px - B[0] > -e) return 2;
        if (B[0] - px > e && A[1] - py > e) ++crossings;
      } else if (std::fabs(A[1] - py) < e) {
        if (std::fabs(A[0] - px) < e) return 2;
        if (A[0] - px > e && B[1] - py > e) ++crossings;
      }
    }
  }
  return (crossings & 1) ? 0 : 1;
}

int CGeTrimLoop::IsContainLoop(CGeTrimLoop* other, double tol) {
  if (!other || other->m_pOwner != m_pOwner || m_BndList.IsEmpty() ||
      other->m_BndList.IsEmpty())
    return 0;
  if (!BOX2D_IsContain(&m_uvBox, &other->m_uvBox, tol)) return 0;
  double xyz[3], uv[2];
  other->m_BndList.GetHead()->GetStartPoint(xyz, uv);
  return IsPtInLoop(uv, tol) != 1 ? 1 : 0;
}
