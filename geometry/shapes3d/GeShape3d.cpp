#include "geometry/shapes3d/GeShape3d.h"

CGeShape3d::CGeShape3d() : m_pNext(nullptr), m_pPrev(nullptr), m_nExtData(2), m_nUserData(0) {
  BOX3D_Init0(&m_box);
}

CGeShape3d::~CGeShape3d() = default;

void CGeShape3d::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_box.min[0] << m_box.min[1] << m_box.min[2] << m_box.max[0] << m_box.max[1]
       << m_box.max[2] << static_cast<int>(m_nExtData);
  } else {
    // An empty box is stored as +-1e300, so a non-finite corner is damage, never a state.
    double b[6];
    int ext = 0;
    ar >> b[0] >> b[1] >> b[2] >> b[3] >> b[4] >> b[5] >> ext;
    ar.CheckFinite(b, 6);
    for (int k = 0; k < 3; ++k) {
      m_box.min[k] = b[k];
      m_box.max[k] = b[3 + k];
    }
    m_nExtData = ext;
  }
}

int CGeShape3d::GetType() const { return 0; }

CGeShape3d* CGeShape3d::Copy() { return nullptr; }

void CGeShape3d::CalcBox() {}

void CGeShape3d::CalcScreenBox(_tagBox2D*) {}

void CGeShape3d::GetBox(_tagBox3D* box) {
  if (!box) return;
  if (!IsBoxValid()) CalcBox();
  *box = m_box;
}

void CGeShape3d::GetBox2d(_tagBox2D* box) {
  if (!box) return;
  if (!IsBoxValid()) CalcBox();
  box->min[0] = m_box.min[0];
  box->min[1] = m_box.min[1];
  box->max[0] = m_box.max[0];
  box->max[1] = m_box.max[1];
}

void CGeShape3d::Translate(const double*) {}
void CGeShape3d::Translate3D(const double*) {}
void CGeShape3d::Rotate(const double*, double) {}
void CGeShape3d::Rotate3D(const double*, const double*, double) {}
void CGeShape3d::Mirror(const double*, const double*) {}
CGeShape3d* CGeShape3d::Shift(const double*, const double*) { return nullptr; }
CGeShape3d* CGeShape3d::Scale(const double*, const double*) { return nullptr; }
CGeShape3d* CGeShape3d::Scale3D(const double*, const double*) { return nullptr; }
void CGeShape3d::Mirror3D(const double*, const double*) {}
void CGeShape3d::Transform(const _rect_fm3d*) {}
void CGeShape3d::Transform(const double (*)[4]) {}
void CGeShape3d::TransformLocal(const _rect_fm3d*) {}
