#include "geometry/shapes3d/GeGroup3d.h"

#include "geometry/shapes2d/ShapeListUtil.h"

CGeGroup3d::CGeGroup3d() : m_CurveList(10) { BOX3D_Init0(&m_box); }

CGeGroup3d::~CGeGroup3d() { geDelCurve3dList(&m_CurveList); }

void CGeGroup3d::GetStartPoint(double p[3]) {
  if (!m_CurveList.IsEmpty())
    if (CGeCurve3d* c = m_CurveList.GetHead()) c->GetStartPoint(p);
}

void CGeGroup3d::GetEndPoint(double p[3]) {
  if (!m_CurveList.IsEmpty())
    if (CGeCurve3d* c = m_CurveList.GetTail()) c->GetEndPoint(p);
}

void CGeGroup3d::Reverse() {
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve3d* c = m_CurveList.GetNext(pos)) c->Reverse();
}

void CGeGroup3d::Rotate(const double centre[2], double angle) {
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve3d* c = m_CurveList.GetNext(pos)) c->Rotate(centre, angle);
}

void CGeGroup3d::CalcBox() {
  if (m_CurveList.IsEmpty()) return;
  BOX3D_Init0(&m_box);
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve3d* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    _tagBox3D b;
    c->GetBox(&b);
    BOX3D_Union(&m_box, &b);
  }
}

void CGeGroup3d::GetBox(_tagBox3D* box) {
  CalcBox();
  if (box) *box = m_box;
}

void CGeGroup3d::ZMove(double dz) {
  if (m_CurveList.IsEmpty()) return;
  const double v[3] = {0.0, 0.0, dz};
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve3d* c = m_CurveList.GetNext(pos)) c->Translate3D(v);
  CalcBox();
}
