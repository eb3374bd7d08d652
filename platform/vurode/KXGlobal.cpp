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
      m_layerId(0),
      m_unit(kUnitMM),
      m_unitBefore(kUnitMM),
      m_autoSave(GetDefault_AutoSave()),
      m_autoSaveMinutes(GetDefault_TimeSpan()),
      m_animateView(TRUE),
      m_rulers(TRUE),
      m_snapFlag(0),
      m_navigation(FALSE),
      m_frameReady(FALSE),
      m_showTips(TRUE),
      m_showUnit(FALSE),
      m_mAxisAngle(GetDefault_MAxisAngle()),
      m_horGuide(0.0),
      m_verGuide(0.0) {}

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

BOOL CKXGlobal::SetUnit(int unit) {
  if (unit < kUnitMM || unit > kUnitM) return FALSE;
  m_unit.store(unit);
  return TRUE;
}

void CKXGlobal::SetUnitBefore(int unit) {
  if (unit >= kUnitMM && unit <= kUnitM) m_unitBefore.store(unit);
}

void CKXGlobal::SetAutoSaveMinutes(int minutes) {
  m_autoSaveMinutes.store(minutes < 1 ? 1 : (minutes > kMaxAutoSaveMinutes ? kMaxAutoSaveMinutes : minutes));
}

void CKXGlobal::SetHorGuide(double y) {
  if (std::isfinite(y)) m_horGuide.store(y);
}

void CKXGlobal::SetVerGuide(double x) {
  if (std::isfinite(x)) m_verGuide.store(x);
}
