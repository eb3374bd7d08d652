// CDumpContext: where CObject::Dump writes its diagnostic text (standard error by default).
#pragma once

#include "platform/win/WinTypes.h"

#include <iosfwd>

class CObject;

class CDumpContext {
 public:
  explicit CDumpContext(std::ostream* pOut = nullptr);

  CDumpContext& operator<<(const char* psz);
  CDumpContext& operator<<(const wchar_t* psz);
  CDumpContext& operator<<(int n);
  CDumpContext& operator<<(unsigned n);
  CDumpContext& operator<<(double d);
  CDumpContext& operator<<(const void* p);
  // Dumps the object (null writes "NULL").
  CDumpContext& operator<<(const CObject* pOb);
  CDumpContext& operator<<(const CObject& ob) { return *this << &ob; }

  // How deep contained objects are dumped: 0 for the object alone.
  int GetDepth() const { return m_nDepth; }
  void SetDepth(int nNewDepth) { m_nDepth = nNewDepth; }

 private:
  std::ostream& Out();
  std::ostream* m_pOut;
  int m_nDepth = 0;
};
