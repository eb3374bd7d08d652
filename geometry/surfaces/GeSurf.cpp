#include "geometry/surfaces/GeSurf.h"

#include <GL/gl.h>

#include <algorithm>

#include "geometry/shapes2d/PickRay.h"

CGeSurf::CGeSurf() : m_UIsoCurveList(10), m_VIsoCurveList(10) {}

CGeSurf::~CGeSurf() { ClearIsoCurve(); }

void CGeSurf::Serialize(CArchive& ar) {
  CGeShape3d::Serialize(ar);
  if (ar.IsStoring()) {
    m_UIsoCurveList.Serialize(ar);
    m_VIsoCurveList.Serialize(ar);
  } else {
    // Each list holds new 3D curves only; another class is refused before it loads.
    AfxReadOwnedObjects<CGeCurve3d>(ar, m_UIsoCurveList);
    AfxReadOwnedObjects<CGeCurve3d>(ar, m_VIsoCurveList);
  }
}

CGeSurf* CGeSurf::Copy() { return nullptr; }

void CGeSurf::CopyFromSurf(CGeSurf* src) {
  if (!src) return;
  m_box = src->m_box;
  for (auto [from, to] : {std::pair{&src->m_UIsoCurveList, &m_UIsoCurveList},
                          std::pair{&src->m_VIsoCurveList, &m_VIsoCurveList}}) {
    // Counted first, so that copying a surface into itself ends.
    POSITION pos = from->GetHeadPosition();
    for (INT_PTR n = from->GetCount(); n > 0; --n) {
      CGeCurve3d* c = from->GetNext(pos);
      if (!c) continue;
      if (CGeCurve3d* copy = c->Copy()) to->AddTail(copy);
    }
  }
}

void CGeSurf::ClearIsoCurve() {
  geDelCurve3dList(&m_UIsoCurveList);
  geDelCurve3dList(&m_VIsoCurveList);
}

CGeCurve3d* CGeSurf::UIsoCurve(double) { return nullptr; }

CGeCurve3d* CGeSurf::VIsoCurve(double) { return nullptr; }

void CGeSurf::CalcBox() {
  bool first = true;
  ForEachIsoCurve([&](CGeCurve3d* c) {
    _tagBox3D box;
    c->GetBox(&box);
    if (first)
      m_box = box;
    else
      BOX3D_Union(&m_box, &box);
    first = false;
  });
}

void CGeSurf::GetBox2D(_tagBox2D* box) {
  if (!box) return;
  box->min[0] = m_box.min[0];
  box->min[1] = m_box.min[1];
  box->max[0] = m_box.max[0];
  box->max[1] = m_box.max[1];
}

void CGeSurf::Translate(const double v[2]) {
  ForEachIsoCurve([&](CGeCurve3d* c) { c->Translate(v); });
  for (int k = 0; k < 2; ++k) {
    m_box.min[k] += v[k];
    m_box.max[k] += v[k];
  }
}

void CGeSurf::Translate3D(const double v[3]) {
  ForEachIsoCurve([&](CGeCurve3d* c) { c->Translate3D(v); });
  for (int k = 0; k < 3; ++k) {
    m_box.min[k] += v[k];
    m_box.max[k] += v[k];
  }
}

void CGeSurf::Rotate(const double c[2], double angle) {
  ForEachIsoCurve([&](CGeCurve3d* crv) { crv->Rotate(c, angle); });
  CalcBox();
}

void CGeSurf::Rotate3D(const double p[3], const double axis[3], double angle) {
  ForEachIsoCurve([&](CGeCurve3d* c) { c->Rotate3D(p, axis, angle); });
  CalcBox();
}

void CGeSurf::Mirror(const double p[2], const double q[2]) {
  ForEachIsoCurve([&](CGeCurve3d* c) { c->Mirror(p, q); });
  CalcBox();
}

// A curve may answer a shear or an uneven scale with a new curve of another class; that curve
// takes the old one's place in the list.
template <class F>
void CGeSurf::ReplaceEachIsoCurve(F&& f) {
  for (CGeCurve3dList* list : {&m_UIsoCurveList, &m_VIsoCurveList})
    for (POSITION pos = list->GetHeadPosition(); pos;) {
      const POSITION at = pos;
      CGeCurve3d* c = list->GetNext(pos);
      if (!c) continue;
      CGeShape3d* result = f(c);
      if (!result || result == c) continue;
      if (auto* replacement = dynamic_cast<CGeCurve3d*>(result)) {
        list->SetAt(at, replacement);
        delete c;
      } else {
        delete result;
      }
    }
}

CGeShape3d* CGeSurf::Shift(const double p[2], const double q[2]) {
  ReplaceEachIsoCurve([&](CGeCurve3d* c) { return c->Shift(p, q); });
  CalcBox();
  return this;
}

CGeShape3d* CGeSurf::Scale(const double base[2], const double f[2]) {
  ReplaceEachIsoCurve([&](CGeCurve3d* c) { return c->Scale(base, f); });
  CalcBox();
  return this;
}

CGeShape3d* CGeSurf::Scale3D(const double base[3], const double f[3]) {
  ReplaceEachIsoCurve([&](CGeCurve3d* c) { return c->Scale3D(base, f); });
  CalcBox();
  return this;
}

void CGeSurf::Mirror3D(const double p[3], const double q[3]) {
  ForEachIsoCurve([&](CGeCurve3d* c) { c->Mirror3D(p, q); });
  CalcBox();
}

void CGeSurf::Transform(const _rect_fm3d* frame) {
  ForEachIsoCurve([&](CGeCurve3d* c) { c->Transform(frame); });
  CalcBox();
}

void CGeSurf::Transform(const double m[4][4]) {
  ForEachIsoCurve([&](CGeCurve3d* c) { c->Transform(m); });
  CalcBox();
}

void CGeSurf::TransformLocal(const _rect_fm3d* frame) {
  ForEachIsoCurve([&](CGeCurve3d* c) { c->TransformLocal(frame); });
  CalcBox();
}

void CGeSurf::Draw(CDC* pDC) {
  ForEachIsoCurve([&](CGeCurve3d* c) { c->Draw(pDC, 0); });
}

void CGeSurf::DrawGL(COpenGLDC* pDC, int nMode) {
  glDisable(GL_LIGHTING);
  ForEachIsoCurve([&](CGeCurve3d* c) { c->DrawGL(pDC, nMode); });
  glEnable(GL_LIGHTING);
}

int CGeSurf::Pick(CPickRay& ray, int filter) {
  if (filter && !(GetType() & ray.m_nTypeMask)) return 0;
  for (CGeCurve3dList* list : {&m_UIsoCurveList, &m_VIsoCurveList})
    for (POSITION pos = list->GetHeadPosition(); pos;) {
      CGeCurve3d* c = list->GetNext(pos);
      if (c && c->Pick(ray, filter)) return 1;
    }
  return 0;
}
