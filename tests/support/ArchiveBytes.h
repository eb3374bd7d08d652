// Archive bytes for tests: what a storing archive writes, a loading archive over given bytes,
// objects through the persistent-object format, and little-endian pieces to build hand-made
// (or hostile) archives from.
//
//   const Bytes b = Store([&](CArchive& ar) { ob.Serialize(ar); });
//   Load(Cat({b, Le32(0xFFFFFFFF)}), [&](CArchive& ar) { copy.Serialize(ar); });
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "platform/afx/Afx.h"

namespace archive_bytes {

using Bytes = std::vector<BYTE>;

// Bytes that write(ar) puts through a storing archive over a memory file.
template <class F>
Bytes Store(F&& write) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    write(ar);
    ar.Close();
  }
  Bytes bytes(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  if (!bytes.empty()) file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

// Runs read(ar) on a loading archive over a copy of the bytes; what it throws passes through.
template <class F>
void Load(const Bytes& bytes, F&& read) {
  CMemFile file;
  if (!bytes.empty()) file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
  file.SeekToBegin();
  CArchive ar(&file, CArchive::load);
  read(ar);
}

// The object as the persistent-object format stores it (class tag, name, fields).
inline Bytes Stored(const CObject* ob) {
  return Store([&](CArchive& ar) { ar << ob; });
}

// One object loaded through the persistent-object format (the caller owns it).
inline CObject* LoadObject(const Bytes& bytes) {
  CObject* ob = nullptr;
  Load(bytes, [&](CArchive& ar) { ar >> ob; });
  return ob;
}

// The archive exception's cause when the bytes are read as one object (freed at once), or
// CArchiveException::none when it loads.
inline int LoadCause(Bytes bytes) {
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load);
  try {
    delete ar.ReadObject(nullptr);
  } catch (const CArchiveException& e) {
    return e.m_cause;
  }
  return CArchiveException::none;
}

// Bytes an object's own Serialize writes (no class record).
template <class T>
Bytes Fields(T& ob) {
  return Store([&](CArchive& ar) { ob.Serialize(ar); });
}

// Lets an object's own Serialize read the bytes.
template <class T>
void LoadFields(T& ob, const Bytes& bytes) {
  Load(bytes, [&](CArchive& ar) { ob.Serialize(ar); });
}

// Stores the object through the persistent-object format and loads it back as a T (the
// caller owns it; null when the loaded object is not a T).
template <class T = CObject>
T* RoundTrip(const CObject* ob) {
  T* loaded = nullptr;
  Load(Stored(ob), [&](CArchive& ar) { ar >> loaded; });
  return loaded;
}

// The value of type V stored at byte offset `at`.
template <class V>
V Get(const Bytes& b, size_t at) {
  V v;
  std::memcpy(&v, b.data() + at, sizeof(V));
  return v;
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline Bytes Ascii(const char* s) { return Bytes(s, s + std::strlen(s)); }

inline Bytes Le32(uint32_t v) { return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}; }

// Appends the raw (little-endian) bytes of v.
template <class T>
void Put(Bytes& b, T v) {
  BYTE raw[sizeof v];
  std::memcpy(raw, &v, sizeof v);
  b.insert(b.end(), raw, raw + sizeof v);
}

}  // namespace archive_bytes
