// Small serialisable classes shared by the archive and list tests.
#pragma once

#include "platform/afx/Afx.h"
#include "support/ArchiveBytes.h"

#include <vector>

// One int; versionable schema 2, like the shape classes.
class CTestValue : public CObject {
  DECLARE_SERIAL(CTestValue)
 public:
  CTestValue() = default;
  explicit CTestValue(int v) : m_v(v) {}
  ~CTestValue() override { --s_live; }
  void Serialize(CArchive& ar) override;
  int m_v = 0;
  UINT m_loadedSchema = 0;
  static int s_live;  // constructed minus destroyed, to see that failures free what they made

 private:
  struct Counter { Counter() { ++s_live; } } m_counter;
};

// Owns an optional child and keeps a non-owning reference to another object.
class CTestNode : public CObject {
  DECLARE_SERIAL(CTestNode)
 public:
  CTestNode() = default;
  ~CTestNode() override { delete m_pChild; }
  void Serialize(CArchive& ar) override;
  CString m_name;
  CObject* m_pChild = nullptr;
  CObject* m_pRef = nullptr;
};

class CTestDerived : public CTestValue {
  DECLARE_SERIAL(CTestDerived)
 public:
  CTestDerived() = default;
};

// Schema 1 without the versionable bit: any other stored schema is refused.
class CTestFixed : public CObject {
  DECLARE_SERIAL(CTestFixed)
 public:
  void Serialize(CArchive&) override {}
};

// Dynamically known but neither creatable nor serialisable.
class CTestDynamic : public CObject {
  DECLARE_DYNAMIC(CTestDynamic)
};

using archive_bytes::Load;
using archive_bytes::Store;
