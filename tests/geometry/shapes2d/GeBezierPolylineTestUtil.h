// Archive helpers of the Bezier and polyline tests: the bytes of an object's own record, typed
// reads from them, and loading a record back into an object.
#pragma once

#include <cstring>
#include <vector>

#include "platform/afx/Afx.h"

namespace bezpoly_test {

inline std::vector<BYTE> Fields(CObject& ob) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ob.Serialize(ar);
    ar.Close();
  }
  std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

template <typename V>
V Get(const std::vector<BYTE>& b, size_t at) {
  V v;
  std::memcpy(&v, b.data() + at, sizeof(V));
  return v;
}

inline void LoadFrom(CObject& ob, const std::vector<BYTE>& bytes) {
  CMemFile file;
  file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
  file.SeekToBegin();
  CArchive ar(&file, CArchive::load);
  ob.Serialize(ar);
}

// Stores the object through the persistent-object format and loads it back (caller owns).
inline CObject* RoundTrip(CObject* ob) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar << ob;
    ar.Close();
  }
  file.SeekToBegin();
  CArchive ar(&file, CArchive::load);
  CObject* back = nullptr;
  ar >> back;
  return back;
}

}  // namespace bezpoly_test
