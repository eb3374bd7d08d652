#include "geometry/shapes2d/GeGroup.h"

#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/ShapeListUtil.h"

CGeGroup::CGeGroup() : m_CurveList(10) {}

CGeGroup::~CGeGroup() { geDelCurveList(&m_CurveList); }

void CGeGroup::CalcBox2d() {
  bool first = true;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    _tagBox2D b;
    c->GetBox2d(&b);
    if (first)
      m_box = b;
    else
      BOX2D_Union(&m_box, &b);
    first = false;
  }
}

void CGeGroup::GetBox2d(_tagBox2D* box) {
  if (!box) return;
  CalcBox2d();
  *box = m_box;
}

void CGeGroup::GetStartPoint(double p[2]) {
  if (m_CurveList.IsEmpty()) return;
  if (CGeCurve* c = m_CurveList.GetHead()) c->GetStartPoint(p);
}

void CGeGroup::GetEndPoint(double p[2]) {
  if (m_CurveList.IsEmpty()) return;
  if (CGeCurve* c = m_CurveList.GetTail()) c->GetEndPoint(p);
}

// Every transform reaches every member, so the group moves as one.

void CGeGroup::Translate(const double v[2]) {
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* c = m_CurveList.GetNext(pos)) c->Translate(v);
}

void CGeGroup::Rotate(const double c[2], double angle) {
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* s = m_CurveList.GetNext(pos)) s->Rotate(c, angle);
}

void CGeGroup::Mirror(const double p[2], const double d[2]) {
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* c = m_CurveList.GetNext(pos)) c->Mirror(p, d);
}

void CGeGroup::Transform(const double m[3][3]) {
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* c = m_CurveList.GetNext(pos)) c->Transform(m);
}

CGeShape2d* CGeGroup::Scale(const double base[2], const double f[2]) {
  ReplaceEachCurve(m_CurveList, [&](CGeCurve* c) { return c->Scale(base, f); });
  return this;
}

CGeShape2d* CGeGroup::Shift(const double p[2], const double q[2]) {
  ReplaceEachCurve(m_CurveList, [&](CGeCurve* c) { return c->Shift(p, q); });
  return this;
}
