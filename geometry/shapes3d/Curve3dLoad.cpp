#include "geometry/shapes3d/Curve3dLoad.h"

#include <unordered_set>

namespace {

thread_local int g_depth = 0;
thread_local std::unordered_set<const CObject*> g_open;
thread_local std::unordered_set<const CObject*> g_adopted;

}  // namespace

CCurve3dLoadScope::CCurve3dLoadScope(const CObject* self) : m_self(self) {
  if (g_depth++ == 0) g_adopted.clear();
  g_open.insert(self);
}

CCurve3dLoadScope::~CCurve3dLoadScope() {
  g_open.erase(m_self);
  if (--g_depth == 0) g_adopted.clear();
}

bool CCurve3dLoadScope::Adopt(const CObject* ob) {
  return !g_open.count(ob) && g_adopted.insert(ob).second;
}

void CCurve3dLoadScope::AdoptOrThrow(const CObject* ob) {
  if (!Adopt(ob)) AfxThrowArchiveException(CArchiveException::badIndex);
}
