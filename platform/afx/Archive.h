// CArchive: the persistent-object stream over a CFile. Values are little-endian (32-bit ints,
// IEEE floats and doubles); objects are written with a class tag the first time and as a
// back-reference afterwards; wide strings are UTF-16LE. Loading checks every count and reference
// against what the file still holds and throws CArchiveException rather than trusting it.
#pragma once

#include "platform/afx/Exception.h"
#include "platform/afx/Object.h"
#include "platform/afx/String.h"

#include <cstddef>
#include <memory>
#include <type_traits>
#include <vector>

class CDocument;
class CFile;

class CArchive {
 public:
  enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2, bNoByteSwap = 4 };
  static constexpr int kMaxLoadDepth = 1000;

  // nBufSize and lpBuf only tune buffering; the archive always keeps a buffer of its own.
  CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;
  // A storing archive that was not closed flushes here unless bNoFlushOnDelete was given.
  ~CArchive();

  BOOL IsLoading() const { return (m_nMode & load) != 0; }
  BOOL IsStoring() const { return (m_nMode & load) == 0; }
  CFile* GetFile() const { return m_pFile; }

  // Storing: writes the buffer to the file. Loading: puts unread buffered bytes back into the
  // file, so that it is positioned just after the last value read.
  void Flush();
  // Flushes and detaches from the file (the file stays open).
  void Close();
  // Detaches without flushing.
  void Abort();

  // Raw bytes. Read returns fewer than asked only at the end of the file.
  UINT Read(void* lpBuf, UINT nMax);
  void Write(const void* lpBuf, UINT nMax);

  // Bytes that loading can still read (buffered and in the file).
  ULONGLONG GetBytesRemaining() const;
  // Throws CArchiveException(endOfFile) when nCount elements of nElementSize bytes each cannot
  // be in the rest of the file: call before allocating for a count read from the file.
  void CheckCount(ULONGLONG nCount, ULONGLONG nElementSize = 1) const;

  // Loading: throws CArchiveException(genericException) when any of the values is NaN or
  // infinite. No stored drawing holds such a number, so a record that does is refused whole.
  void CheckFinite(const double* pValues, size_t nCount) const;
  void CheckFinite(const float* pValues, size_t nCount) const;
  template <class... T>
    requires(std::is_arithmetic_v<T> && ...)
  void CheckFinite(T... values) const {
    const double v[] = {static_cast<double>(values)...};
    CheckFinite(v, sizeof...(T));
  }

  // Objects: null, a back-reference, or class tag + the object's Serialize output.
  void WriteObject(const CObject* pOb);
  // pClassRefRequested (may be null) names the class the object must be or derive from; a
  // class outside it is refused (badClass) before any object is made. pfnAccept (may be null)
  // serves bases without a run-time class of their own: it sees a new object once made and
  // before it loads, and a back-reference's object; false refuses it (badClass).
  // New objects belong to the caller; on an exception the object being loaded is deleted. An
  // allocation failure while an object loads becomes the archive exception (genericException).
  // Objects nested deeper than kMaxLoadDepth fail with genericException instead of exhausting
  // the stack.
  using AcceptFn = BOOL (*)(const CObject* pOb);
  CObject* ReadObject(const CRuntimeClass* pClassRefRequested, AcceptFn pfnAccept = nullptr);
  // Whether the last ReadObject made a new object (false for a null or a back-reference).
  // Owners that adopt what they read refuse back-references: the object has an owner already.
  BOOL IsLastObjectNew() const { return m_bLastObjectNew; }
  void WriteClass(const CRuntimeClass* pClassRef);
  // With pObTag null an object reference throws badIndex; otherwise it is stored there (and
  // null returned).
  CRuntimeClass* ReadClass(const CRuntimeClass* pClassRefRequested = nullptr, UINT* pSchema = nullptr,
                           DWORD* pObTag = nullptr);
  // Classes and objects that loading has defined so far. A ReadObject that leaves it unchanged
  // returned null or an object read before (which the caller does not own a second time).
  DWORD GetLoadedCount() const;
  // Schema of the object being loaded, once: later calls return (UINT)-1.
  UINT GetObjectSchema();
  void SetObjectSchema(UINT nSchema) { m_nObjectSchema = nSchema; }

  // WORD, or 0xFFFF followed by a DWORD. ReadCount refuses counts beyond the remaining bytes.
  void WriteCount(DWORD_PTR dwCount);
  DWORD_PTR ReadCount();

  // 64-bit integers are deliberately absent: stored formats use 32-bit ints, so size_t and
  // long must be converted explicitly at the call.
  CArchive& operator<<(BYTE by);
  CArchive& operator<<(char ch) { return *this << static_cast<BYTE>(ch); }
  CArchive& operator<<(WORD w);
  CArchive& operator<<(short s) { return *this << static_cast<WORD>(s); }
  CArchive& operator<<(int i) { return *this << static_cast<unsigned>(i); }
  CArchive& operator<<(unsigned u);
  CArchive& operator<<(float f);
  CArchive& operator<<(double d);

  CArchive& operator>>(BYTE& by);
  CArchive& operator>>(char& ch);
  CArchive& operator>>(WORD& w);
  CArchive& operator>>(short& s);
  CArchive& operator>>(int& i);
  CArchive& operator>>(unsigned& u);
  CArchive& operator>>(float& f);
  CArchive& operator>>(double& d);

  friend CArchive& operator<<(CArchive& ar, const CObject* pOb) { ar.WriteObject(pOb); return ar; }
  friend CArchive& operator>>(CArchive& ar, CObject*& pOb) { pOb = ar.ReadObject(nullptr); return ar; }
  friend CArchive& operator>>(CArchive& ar, const CObject*& pOb) { pOb = ar.ReadObject(nullptr); return ar; }
  // Always the wide form: 0xFF, 0xFFFE, length (BYTE, or 0xFF + WORD, or 0xFF 0xFFFF + DWORD)
  // in UTF-16 units, then UTF-16LE. Loading also accepts the narrow form, read as UTF-8.
  friend CArchive& operator<<(CArchive& ar, const CString& str);
  friend CArchive& operator>>(CArchive& ar, CString& str);

  CDocument* m_pDocument = nullptr;
  BOOL m_bForceFlat = TRUE;  // objects are always stored inline

 private:
  struct Maps;
  void RequireLoading() const;
  void RequireStoring() const;
  void ReadExact(void* lpBuf, UINT n);
  void FillBuffer(UINT nWanted);
  void FlushBuffer();
  CRuntimeClass* LoadClass(UINT* pSchema);
  void WriteTag(DWORD nIndex, DWORD dwClassBit);

  CFile* m_pFile;
  UINT m_nMode;
  BYTE* m_lpBuf;
  UINT m_nBufSize;
  UINT m_nCur = 0;  // next byte to read, or bytes written so far
  UINT m_nEnd = 0;  // loading: bytes in the buffer
  UINT m_nObjectSchema = static_cast<UINT>(-1);
  int m_nDepth = 0;  // objects being loaded inside one another
  BOOL m_bLastObjectNew = FALSE;
  Maps* m_pMaps = nullptr;
};

// Reads an object that the caller is to own: null for a null entry, else a new object of class
// T or one derived from it. Another class is refused (badClass) before it loads, so no class's
// load cost is reachable through a container that expects T; a back-reference is refused
// (badIndex), as its object has an owner already or is still being loaded.
template <class T>
T* AfxReadOwnedObject(CArchive& ar) {
  CObject* pOb =
      ar.ReadObject(nullptr, [](const CObject* p) -> BOOL { return dynamic_cast<const T*>(p) != nullptr; });
  if (!pOb) return nullptr;
  if (!ar.IsLastObjectNew()) AfxThrowArchiveException(CArchiveException::badIndex);
  return dynamic_cast<T*>(pOb);
}

// Reads a counted list of objects for list (a typed pointer list of T*) to own, each as
// AfxReadOwnedObject reads it, null entries kept. Nothing is appended before the whole list is
// read; a failure frees what was read.
template <class T, class LIST>
void AfxReadOwnedObjects(CArchive& ar, LIST& list) {
  std::vector<std::unique_ptr<T>> loaded;
  for (DWORD_PTR n = ar.ReadCount(); n > 0; --n) {
    std::unique_ptr<T> pOb(AfxReadOwnedObject<T>(ar));
    loaded.push_back(std::move(pOb));
  }
  for (std::unique_ptr<T>& pOb : loaded) {
    list.AddTail(pOb.get());
    pOb.release();
  }
}
