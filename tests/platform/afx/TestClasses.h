// Small serialisable classes shared by the archive and list tests.
#pragma once

#include "platform/afx/Afx.h"

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

// Bytes stored by the function through a storing archive over a memory file.
template <class F>
std::vector<BYTE> Store(F&& write) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    write(ar);
    ar.Close();
  }
  const auto n = static_cast<UINT>(file.GetLength());
  std::vector<BYTE> bytes(n);
  file.SeekToBegin();
  file.Read(bytes.data(), n);
  return bytes;
}

// Runs the function on a loading archive over a copy of the bytes.
template <class F>
void Load(const std::vector<BYTE>& bytes, F&& read) {
  CMemFile file;
  file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
  file.SeekToBegin();
  CArchive ar(&file, CArchive::load);
  read(ar);
}
