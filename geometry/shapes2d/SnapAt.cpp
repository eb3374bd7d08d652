#include "geometry/shapes2d/SnapAt.h"

#include <cmath>
#include <utility>

CSnapAt::CSnapAt()
    : m_nMask(0),
      m_bAlign(0),
      m_dSnapDist(0.0),
      m_nAperture(0),
      m_nReserved(0),
      m_pVurode(nullptr),
      m_pKXGlobal(nullptr) {}

CSnapAt::~CSnapAt() = default;

int CSnapAt::IsInBoxView(const _tagBox2D& box) const {
  const double p[2] = {static_cast<double>(m_pos.sx), static_cast<double>(m_pos.sy)};
  return BOX2D_IsPtIn(&box, p, static_cast<double>(m_nAperture)) ? 1 : 0;
}

bool CSnapAt::IsWithin(const double q[2]) const {
  return std::hypot(m_pos.x - q[0], m_pos.y - q[1]) < m_dSnapDist;
}

bool CSnapAt::IsAligned(const double q[2]) const {
  if (!m_pVurode || !m_pVurode->IsPtInView(q, 2)) return false;
  return std::fabs(m_pos.x - q[0]) < m_dSnapDist || std::fabs(m_pos.y - q[1]) < m_dSnapDist;
}

bool CSnapAt::GetRefPoint(double ref[2]) const {
  if (!m_pKXGlobal || !m_pKXGlobal->IsSnapRefPointSet()) return false;
  m_pKXGlobal->GetSnapRefPoint(ref);
  return true;
}

bool CSnapAt::IsMidAlign() const { return m_pKXGlobal && m_pKXGlobal->IsSnapAlign(); }

// ---- candidates ----

namespace {

Position ToPosition(const double pt[2]) {
  Position pos;
  pos.x = pt[0];
  pos.y = pt[1];
  return pos;
}

}  // namespace

CSnapResult::CSnapResult() = default;

CSnapResult::~CSnapResult() = default;

void CSnapResult::PushBack(const Position& pos, const CString& label, DBIUnknown* entity) {
  m_items.push_back(Item{pos, label, entity});
}

void CSnapResult::PushBack(const double pt[2], const CString& label, DBIUnknown* entity) {
  PushBack(ToPosition(pt), label, entity);
}

void CSnapResult::PushBackEnd(const Position& pos, DBIUnknown* e) { PushBack(pos, L"End", e); }
void CSnapResult::PushBackPnt(const Position& pos, DBIUnknown* e) { PushBack(pos, L"Point", e); }
void CSnapResult::PushBackMid(const Position& pos, DBIUnknown* e) { PushBack(pos, L"Mid", e); }
void CSnapResult::PushBackPerp(const Position& pos, DBIUnknown* e) { PushBack(pos, L"Perp", e); }
void CSnapResult::PushBackCen(const Position& pos, DBIUnknown* e) { PushBack(pos, L"Center", e); }

void CSnapResult::PushBackEnd(const double pt[2], DBIUnknown* e) { PushBack(pt, L"End", e); }
void CSnapResult::PushBackNear(const double pt[2], DBIUnknown* e) { PushBack(pt, L"Near", e); }
void CSnapResult::PushBackPnt(const double pt[2], DBIUnknown* e) { PushBack(pt, L"Point", e); }
void CSnapResult::PushBackMid(const double pt[2], DBIUnknown* e) { PushBack(pt, L"Mid", e); }
void CSnapResult::PushBackCen(const double pt[2], DBIUnknown* e) { PushBack(pt, L"Center", e); }
void CSnapResult::PushBackInt(const double pt[2], DBIUnknown* e) { PushBack(pt, L"Inter", e); }
void CSnapResult::PushBackPerp(const double pt[2], DBIUnknown* e) { PushBack(pt, L"Perp", e); }
void CSnapResult::PushBackTan(const double pt[2], DBIUnknown* e) { PushBack(pt, L"Tan", e); }
void CSnapResult::PushBackQuad(const double pt[2], DBIUnknown* e) { PushBack(pt, L"Quad", e); }
void CSnapResult::PushBackGrid(const double pt[2], DBIUnknown* e) { PushBack(pt, L"Grid", e); }

void CSnapResult::SortDist(const Position& p) {
  const size_t n = m_items.size();
  for (size_t c = 0; c < n; ++c) {
    double best = m_items[c].pos.Distance(p);
    for (size_t i = c + 1; i < n; ++i) {
      const double d = m_items[i].pos.Distance(p);
      if (d < best) {
        std::swap(m_items[c], m_items[i]);
        best = d;
      }
    }
  }
  if (n >= 2 && m_items[0].label == CString(L"Near")) std::swap(m_items[0], m_items[1]);
}
