#include "geometry/shapes2d/Layer.h"

#include "geometry/shapes2d/GeShape2d.h"

IMPLEMENT_SERIAL(CLayer, CObject, GE_SCHEMA_2D)

std::atomic<int> CLayer::m_nMaxID{0};

CLayer::CLayer() : m_crColor(0), m_nID(m_nMaxID.load()), m_nFlag(FLAG_VISIBLE) {}

// Taking the value and advancing it is one step.
CLayer::CLayer(const CString& name)
    : m_crColor(0), m_nID(m_nMaxID.fetch_add(1)), m_nFlag(FLAG_VISIBLE), m_strName(name) {}

CLayer::~CLayer() = default;

void CLayer::SetLock(int lock) {
  if (lock)
    m_nFlag |= FLAG_LOCKED;
  else
    m_nFlag &= ~FLAG_LOCKED;
}

void CLayer::SetDelete(int del) {
  if (del)
    m_nFlag |= FLAG_DELETED;
  else
    m_nFlag &= ~FLAG_DELETED;
}

void CLayer::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_crColor << static_cast<int32_t>(m_nID) << static_cast<int32_t>(m_nFlag) << m_strName;
  } else {
    // Read whole before anything changes, so a truncated record leaves the layer as it was.
    uint32_t color = 0;
    int32_t id = 0;
    int32_t flag = 0;
    CString name;
    ar >> color >> id >> flag >> name;
    m_crColor = color;
    m_nID = id;
    m_nFlag = flag;
    m_strName = name;
  }
}
