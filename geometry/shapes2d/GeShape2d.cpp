#include "geometry/shapes2d/GeShape2d.h"

CGeShape2d::CGeShape2d() : m_nAttrib(0) { BOX2D_Init0(&m_box); }

CGeShape2d::~CGeShape2d() = default;

void CGeShape2d::Serialize(CArchive&) {}

int CGeShape2d::GetType() const { return 0; }

CGeShape2d* CGeShape2d::Copy() { return nullptr; }

int CGeShape2d::GetSnapPos(CSnapAt*, CSnapResult&) { return 0; }

void CGeShape2d::CalcScreenBox(_tagBox2D*) {}

void CGeShape2d::GetBox2d(_tagBox2D* box) {
  if (!box) return;
  if (!IsBoxValid()) CalcBox2d();
  *box = m_box;
}

void CGeShape2d::Translate(const double*) {}

void CGeShape2d::Rotate(const double*, double) {}

void CGeShape2d::Mirror(const double*, const double*) {}

CGeShape2d* CGeShape2d::Scale(const double*, const double*) { return nullptr; }
