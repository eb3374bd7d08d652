#include "platform/vurode/KXGlobal.h"

#include "platform/vurode/Accessors.h"
#include "platform/vurode/ViewState.h"

#include <cmath>

CKXGlobal::CKXGlobal()
    : m_pickRad(5),
      m_docVersion(kCurrentDocVersion),
      m_hasRefPoint(FALSE),
      m_refPoint{0.0, 0.0},
      m_snapAlign(FALSE),
      m_chainTol(0.01f),
      m_layerId(0) {}

CKXGlobal::~CKXGlobal() = default;

void CKXGlobal::SetPickRad(int pixels) { m_pickRad.store(pixels < 1 ? 1 : pixels); }

double CKXGlobal::GetWorldPickRad() const {
  const int pixels = m_pickRad.load();
  if (const CVurode* v = gGetVurode()) return v->ScreentoWorld(static_cast<double>(pixels));
  return pixels;
}

BOOL CKXGlobal::IsSnapRefPointSet() const {
  std::lock_guard lock(m_refLock);
  return m_hasRefPoint;
}

void CKXGlobal::GetSnapRefPoint(double p[2]) const {
  std::lock_guard lock(m_refLock);
  p[0] = m_refPoint[0];
  p[1] = m_refPoint[1];
}

void CKXGlobal::SetSnapRefPoint(const double p[2]) {
  std::lock_guard lock(m_refLock);
  m_refPoint[0] = p[0];
  m_refPoint[1] = p[1];
  m_hasRefPoint = TRUE;
}

void CKXGlobal::ClearSnapRefPoint() {
  std::lock_guard lock(m_refLock);
  m_hasRefPoint = FALSE;
}

void CKXGlobal::SetChainTol(float tol) {
  if (std::isfinite(tol) && tol > 0.0f) m_chainTol.store(tol);
}
