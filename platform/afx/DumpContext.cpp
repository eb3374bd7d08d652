#include "platform/afx/DumpContext.h"

#include "platform/afx/Object.h"
#include "platform/afx/String.h"

#include <iostream>

CDumpContext::CDumpContext(std::ostream* pOut) : m_pOut(pOut) {}

std::ostream& CDumpContext::Out() { return m_pOut ? *m_pOut : std::cerr; }

CDumpContext& CDumpContext::operator<<(const char* psz) {
  Out() << (psz ? psz : "(null)");
  return *this;
}
CDumpContext& CDumpContext::operator<<(const wchar_t* psz) {
  Out() << (psz ? CString(psz).ToUtf8() : "(null)");
  return *this;
}
CDumpContext& CDumpContext::operator<<(int n) { Out() << n; return *this; }
CDumpContext& CDumpContext::operator<<(unsigned n) { Out() << n; return *this; }
CDumpContext& CDumpContext::operator<<(double d) { Out() << d; return *this; }
CDumpContext& CDumpContext::operator<<(const void* p) { Out() << p; return *this; }
CDumpContext& CDumpContext::operator<<(const CObject* pOb) {
  if (pOb) pOb->Dump(*this); else Out() << "NULL";
  return *this;
}
