#include "platform/afx/Object.h"

#include "platform/afx/ClassRegistry.h"
#include "platform/afx/DumpContext.h"
#include "platform/afx/Exception.h"

#include <cstring>
#include <mutex>
#include <vector>
#include <new>

CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), AFX_NOT_SERIAL_SCHEMA,
                                       nullptr, nullptr, nullptr};
static const AFX_CLASSINIT afxClassInit_CObject(RUNTIME_CLASS(CObject));

namespace {

// Constant-initialised and never destroyed, so libraries unloading at exit can still unregister.
std::mutex g_registryLock;
CRuntimeClass* g_pFirstClass = nullptr;

}  // namespace

CObject* CRuntimeClass::CreateObject() const {
  if (!m_pfnCreateObject) return nullptr;
  try {
    return m_pfnCreateObject();
  } catch (const std::bad_alloc&) {
    AfxThrowMemoryException();
  }
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
  for (const CRuntimeClass* p = this; p; p = p->m_pBaseClass)
    if (p == pBaseClass) return TRUE;
  return FALSE;
}

CRuntimeClass* CRuntimeClass::FromName(const char* lpszClassName) {
  if (!lpszClassName) return nullptr;
  std::lock_guard<std::mutex> lock(g_registryLock);
  for (CRuntimeClass* p = g_pFirstClass; p; p = p->m_pNextClass)
    if (std::strcmp(p->m_lpszClassName, lpszClassName) == 0) return p;
  return nullptr;
}

std::vector<const CRuntimeClass*> AfxGetRegisteredClasses() {
  std::lock_guard<std::mutex> lock(g_registryLock);
  std::vector<const CRuntimeClass*> all;
  for (const CRuntimeClass* p = g_pFirstClass; p; p = p->m_pNextClass) all.push_back(p);
  return all;
}

// Appended, so that of two classes with one name the one loaded first is found.
void CRuntimeClass::Register(CRuntimeClass* pClass) {
  std::lock_guard<std::mutex> lock(g_registryLock);
  CRuntimeClass** link = &g_pFirstClass;
  for (; *link; link = &(*link)->m_pNextClass)
    if (*link == pClass) return;
  pClass->m_pNextClass = nullptr;
  *link = pClass;
}

void CRuntimeClass::Unregister(CRuntimeClass* pClass) {
  std::lock_guard<std::mutex> lock(g_registryLock);
  for (CRuntimeClass** link = &g_pFirstClass; *link; link = &(*link)->m_pNextClass) {
    if (*link == pClass) {
      *link = pClass->m_pNextClass;
      pClass->m_pNextClass = nullptr;
      return;
    }
  }
}

CRuntimeClass* CObject::GetRuntimeClass() const { return RUNTIME_CLASS(CObject); }

void CObject::Serialize(CArchive&) {}

void CObject::AssertValid() const {}

void CObject::Dump(CDumpContext& dc) const {
  dc << "a " << GetRuntimeClass()->m_lpszClassName << " at " << static_cast<const void*>(this) << "\n";
}
