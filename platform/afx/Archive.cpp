#include "platform/afx/Archive.h"

#include "platform/afx/Exception.h"
#include "platform/afx/File.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr WORD kNullTag = 0x0000;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr WORD kBigObjectTag = 0x7FFF;  // a DWORD index follows
constexpr DWORD kBigClassTag = 0x80000000u;
constexpr DWORD kMaxMapCount = 0x3FFFFFFEu;

[[noreturn]] void ThrowLoadOutOfMemory(const CFile* pFile) {
  AfxThrowArchiveException(CArchiveException::genericException, pFile->GetFilePath());
}

}  // namespace

struct CArchive::Maps {
  // Storing: object or class address -> index. Classes and objects share one counter from 1.
  std::unordered_map<const void*, DWORD> stored;
  // Loading: index -> class or object; entry 0 stands for the null object.
  struct Entry {
    void* p;
    bool isClass;
    UINT schema;  // classes: the schema number found in the file
  };
  std::vector<Entry> loaded{Entry{nullptr, false, 0}};
  DWORD nextIndex = 1;
};

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize, void*)
    : m_pFile(pFile), m_nMode(nMode) {
  if (!pFile) AfxThrowInvalidArgException();
  m_nBufSize = nBufSize < 128 ? 128u : static_cast<UINT>(nBufSize);
  m_lpBuf = new BYTE[m_nBufSize];
}

CArchive::~CArchive() {
  if (m_pFile && IsStoring() && !(m_nMode & bNoFlushOnDelete)) {
    try {
      FlushBuffer();
    } catch (...) {  // a destructor cannot report it; Close() does
    }
  }
  delete[] m_lpBuf;
  delete m_pMaps;
}

void CArchive::RequireLoading() const {
  if (!m_pFile) AfxThrowArchiveException(CArchiveException::genericException);
  if (IsStoring()) AfxThrowArchiveException(CArchiveException::writeOnly);
}

void CArchive::RequireStoring() const {
  if (!m_pFile) AfxThrowArchiveException(CArchiveException::genericException);
  if (IsLoading()) AfxThrowArchiveException(CArchiveException::readOnly);
}

void CArchive::FlushBuffer() {
  if (m_nCur > 0) {
    const UINT n = m_nCur;
    m_nCur = 0;
    m_pFile->Write(m_lpBuf, n);
  }
}

void CArchive::Flush() {
  if (!m_pFile) return;
  if (IsStoring()) {
    FlushBuffer();
    m_pFile->Flush();
  } else if (m_nEnd > m_nCur) {
    m_pFile->Seek(-static_cast<LONGLONG>(m_nEnd - m_nCur), CFile::current);
    m_nCur = m_nEnd = 0;
  }
}

void CArchive::Close() {
  Flush();
  m_pFile = nullptr;
}

void CArchive::Abort() {
  m_nCur = m_nEnd = 0;
  m_pFile = nullptr;
}

void CArchive::FillBuffer(UINT nWanted) {
  // Keep the unread tail and top up behind it.
  const UINT left = m_nEnd - m_nCur;
  std::memmove(m_lpBuf, m_lpBuf + m_nCur, left);
  m_nCur = 0;
  m_nEnd = left;
  while (m_nEnd < nWanted) {
    const UINT n = m_pFile->Read(m_lpBuf + m_nEnd, m_nBufSize - m_nEnd);
    if (n == 0) break;
    m_nEnd += n;
  }
}

UINT CArchive::Read(void* lpBuf, UINT nMax) {
  RequireLoading();
  if (nMax == 0) return 0;
  if (!lpBuf) AfxThrowInvalidArgException();
  auto* out = static_cast<BYTE*>(lpBuf);
  UINT done = 0;
  UINT avail = m_nEnd - m_nCur;
  if (avail > 0) {
    done = avail < nMax ? avail : nMax;
    std::memcpy(out, m_lpBuf + m_nCur, done);
    m_nCur += done;
  }
  if (done == nMax) return done;
  if (nMax - done >= m_nBufSize) {  // large reads bypass the buffer
    return done + m_pFile->Read(out + done, nMax - done);
  }
  FillBuffer(nMax - done);
  avail = m_nEnd - m_nCur;
  const UINT more = avail < nMax - done ? avail : nMax - done;
  std::memcpy(out + done, m_lpBuf + m_nCur, more);
  m_nCur += more;
  return done + more;
}

void CArchive::ReadExact(void* lpBuf, UINT n) {
  if (Read(lpBuf, n) != n) AfxThrowArchiveException(CArchiveException::endOfFile, m_pFile->GetFilePath());
}

void CArchive::Write(const void* lpBuf, UINT nMax) {
  RequireStoring();
  if (nMax == 0) return;
  if (!lpBuf) AfxThrowInvalidArgException();
  if (nMax > m_nBufSize - m_nCur) {
    FlushBuffer();
    if (nMax >= m_nBufSize) {
      m_pFile->Write(lpBuf, nMax);
      return;
    }
  }
  std::memcpy(m_lpBuf + m_nCur, lpBuf, nMax);
  m_nCur += nMax;
}

ULONGLONG CArchive::GetBytesRemaining() const {
  RequireLoading();
  const ULONGLONG len = m_pFile->GetLength();
  const ULONGLONG pos = m_pFile->GetPosition();
  return (m_nEnd - m_nCur) + (len > pos ? len - pos : 0);
}

void CArchive::CheckCount(ULONGLONG nCount, ULONGLONG nElementSize) const {
  ULONGLONG bytes;
  if (__builtin_mul_overflow(nCount, nElementSize, &bytes) || bytes > GetBytesRemaining())
    AfxThrowArchiveException(CArchiveException::endOfFile, m_pFile->GetFilePath());
}

void CArchive::CheckFinite(const double* pValues, size_t nCount) const {
  for (size_t i = 0; i < nCount; ++i)
    if (!std::isfinite(pValues[i]))
      AfxThrowArchiveException(CArchiveException::genericException, m_pFile->GetFilePath());
}

void CArchive::CheckFinite(const float* pValues, size_t nCount) const {
  for (size_t i = 0; i < nCount; ++i)
    if (!std::isfinite(pValues[i]))
      AfxThrowArchiveException(CArchiveException::genericException, m_pFile->GetFilePath());
}

// --- scalar values, little-endian whatever the host order

CArchive& CArchive::operator<<(BYTE by) {
  Write(&by, 1);
  return *this;
}
CArchive& CArchive::operator<<(WORD w) {
  const BYTE b[2] = {static_cast<BYTE>(w), static_cast<BYTE>(w >> 8)};
  Write(b, 2);
  return *this;
}
CArchive& CArchive::operator<<(unsigned u) {
  const BYTE b[4] = {static_cast<BYTE>(u), static_cast<BYTE>(u >> 8), static_cast<BYTE>(u >> 16),
                     static_cast<BYTE>(u >> 24)};
  Write(b, 4);
  return *this;
}
CArchive& CArchive::operator<<(float f) {
  uint32_t bits;
  static_assert(sizeof bits == sizeof f);
  std::memcpy(&bits, &f, 4);
  return *this << static_cast<unsigned>(bits);
}
CArchive& CArchive::operator<<(double d) {
  uint64_t bits;
  static_assert(sizeof bits == sizeof d);
  std::memcpy(&bits, &d, 8);
  BYTE b[8];
  for (int i = 0; i < 8; ++i) b[i] = static_cast<BYTE>(bits >> (8 * i));
  Write(b, 8);
  return *this;
}

CArchive& CArchive::operator>>(BYTE& by) {
  RequireLoading();
  ReadExact(&by, 1);
  return *this;
}
CArchive& CArchive::operator>>(char& ch) {
  BYTE b;
  *this >> b;
  ch = static_cast<char>(b);
  return *this;
}
CArchive& CArchive::operator>>(WORD& w) {
  RequireLoading();
  BYTE b[2];
  ReadExact(b, 2);
  w = static_cast<WORD>(b[0] | (b[1] << 8));
  return *this;
}
CArchive& CArchive::operator>>(short& s) {
  WORD w;
  *this >> w;
  s = static_cast<short>(w);
  return *this;
}
CArchive& CArchive::operator>>(unsigned& u) {
  RequireLoading();
  BYTE b[4];
  ReadExact(b, 4);
  u = static_cast<unsigned>(b[0]) | (static_cast<unsigned>(b[1]) << 8) |
      (static_cast<unsigned>(b[2]) << 16) | (static_cast<unsigned>(b[3]) << 24);
  return *this;
}
CArchive& CArchive::operator>>(int& i) {
  unsigned u;
  *this >> u;
  i = static_cast<int>(u);
  return *this;
}
CArchive& CArchive::operator>>(float& f) {
  unsigned u;
  *this >> u;
  std::memcpy(&f, &u, 4);
  return *this;
}
CArchive& CArchive::operator>>(double& d) {
  RequireLoading();
  BYTE b[8];
  ReadExact(b, 8);
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(b[i]) << (8 * i);
  std::memcpy(&d, &bits, 8);
  return *this;
}

// --- counts

void CArchive::WriteCount(DWORD_PTR dwCount) {
  if (dwCount < 0xFFFF) {
    *this << static_cast<WORD>(dwCount);
    return;
  }
  if (dwCount > 0xFFFFFFFFu) AfxThrowArchiveException(CArchiveException::genericException);
  *this << static_cast<WORD>(0xFFFF) << static_cast<DWORD>(dwCount);
}

DWORD_PTR CArchive::ReadCount() {
  WORD w;
  *this >> w;
  DWORD_PTR n = w;
  if (w == 0xFFFF) {
    DWORD dw;
    *this >> dw;
    n = dw;
  }
  CheckCount(n);  // every counted element occupies at least one byte
  return n;
}

// --- strings

CArchive& operator<<(CArchive& ar, const CString& str) {
  const std::u16string units = str.ToUtf16();
  const size_t n = units.size();
  ar << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFE);
  if (n < 0xFF) {
    ar << static_cast<BYTE>(n);
  } else {
    ar << static_cast<BYTE>(0xFF);
    if (n < 0xFFFE) {
      ar << static_cast<WORD>(n);
    } else {
      if (n >= 0xFFFFFFFFu) AfxThrowArchiveException(CArchiveException::genericException);
      ar << static_cast<WORD>(0xFFFF) << static_cast<DWORD>(n);
    }
  }
  std::string bytes(n * 2, '\0');
  for (size_t i = 0; i < n; ++i) {
    bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
  }
  // Written in slices so that no single write needs a UINT beyond its range.
  for (size_t off = 0; off < bytes.size(); off += 0x40000000u)
    ar.Write(bytes.data() + off, static_cast<UINT>(std::min<size_t>(bytes.size() - off, 0x40000000u)));
  return ar;
}

namespace {

// The length prefix of a stored string; wide tells whether the wide marker preceded it.
DWORD_PTR ReadStringLength(CArchive& ar, bool& wide) {
  BYTE b;
  WORD w;
  wide = false;
  ar >> b;
  if (b < 0xFF) return b;
  ar >> w;
  if (w == 0xFFFE) {
    wide = true;
    ar >> b;
    if (b < 0xFF) return b;
    ar >> w;
  }
  if (w < 0xFFFF) return w;
  DWORD dw;
  ar >> dw;
  if (dw == 0xFFFFFFFFu) AfxThrowArchiveException(CArchiveException::endOfFile);  // over 4 G units
  return dw;
}

}  // namespace

CArchive& operator>>(CArchive& ar, CString& str) {
  bool wide;
  const DWORD_PTR n = ReadStringLength(ar, wide);
  const size_t unit = wide ? 2 : 1;
  ar.CheckCount(n, unit);
  std::string bytes(n * unit, '\0');
  for (size_t off = 0; off < bytes.size(); off += 0x40000000u) {
    const UINT part = static_cast<UINT>(std::min<size_t>(bytes.size() - off, 0x40000000u));
    if (ar.Read(bytes.data() + off, part) != part) AfxThrowArchiveException(CArchiveException::endOfFile);
  }
  if (!wide) {
    str = CString::FromUtf8(bytes);
    return ar;
  }
  std::u16string units(n, u'\0');
  for (size_t i = 0; i < n; ++i)
    units[i] = static_cast<char16_t>(static_cast<BYTE>(bytes[2 * i]) | (static_cast<BYTE>(bytes[2 * i + 1]) << 8));
  str = CString::FromUtf16(units);
  return ar;
}

// --- classes and objects

void CArchive::WriteTag(DWORD nIndex, DWORD dwClassBit) {
  if (nIndex < kBigObjectTag) {
    *this << static_cast<WORD>((dwClassBit ? kClassTag : 0) | nIndex);
  } else {
    *this << kBigObjectTag << static_cast<DWORD>(dwClassBit | nIndex);
  }
}

void CArchive::WriteClass(const CRuntimeClass* pClassRef) {
  RequireStoring();
  if (!pClassRef || !pClassRef->IsSerializable())
    AfxThrowArchiveException(CArchiveException::badClass, m_pFile->GetFilePath());
  if (!m_pMaps) m_pMaps = new Maps;
  auto it = m_pMaps->stored.find(pClassRef);
  if (it != m_pMaps->stored.end()) {
    WriteTag(it->second, kBigClassTag);
    return;
  }
  if (m_pMaps->nextIndex >= kMaxMapCount) AfxThrowArchiveException(CArchiveException::badIndex);
  const size_t len = std::strlen(pClassRef->m_lpszClassName);
  if (len == 0 || len > 0xFFFF) AfxThrowArchiveException(CArchiveException::badClass);
  // The schema's low word is stored; the versionable bit stays with the class.
  *this << kNewClassTag << static_cast<WORD>(pClassRef->m_wSchema) << static_cast<WORD>(len);
  Write(pClassRef->m_lpszClassName, static_cast<UINT>(len));
  m_pMaps->stored.emplace(pClassRef, m_pMaps->nextIndex++);
}

void CArchive::WriteObject(const CObject* pOb) {
  RequireStoring();
  if (!pOb) {
    *this << kNullTag;
    return;
  }
  if (!m_pMaps) m_pMaps = new Maps;
  auto it = m_pMaps->stored.find(pOb);
  if (it != m_pMaps->stored.end()) {
    WriteTag(it->second, 0);
    return;
  }
  WriteClass(pOb->GetRuntimeClass());
  if (m_pMaps->nextIndex >= kMaxMapCount) AfxThrowArchiveException(CArchiveException::badIndex);
  m_pMaps->stored.emplace(pOb, m_pMaps->nextIndex++);
  // Serialize is not const, but storing does not change the object.
  const_cast<CObject*>(pOb)->Serialize(*this);
}

CRuntimeClass* CArchive::LoadClass(UINT* pSchema) {
  WORD wSchema, nLen;
  *this >> wSchema >> nLen;
  CheckCount(nLen);
  std::string name(nLen, '\0');
  ReadExact(name.data(), nLen);
  // Names are plain ASCII; anything else cannot be a registered class.
  CRuntimeClass* pClass = name.find('\0') == std::string::npos ? CRuntimeClass::FromName(name.c_str()) : nullptr;
  if (!pClass || !pClass->IsSerializable())
    AfxThrowArchiveException(CArchiveException::badClass, m_pFile->GetFilePath());
  if (!(pClass->m_wSchema & VERSIONABLE_SCHEMA) && static_cast<WORD>(pClass->m_wSchema) != wSchema)
    AfxThrowArchiveException(CArchiveException::badSchema, m_pFile->GetFilePath());
  *pSchema = wSchema;
  return pClass;
}

CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* pClassRefRequested, UINT* pSchema, DWORD* pObTag) {
  RequireLoading();
  if (!m_pMaps) m_pMaps = new Maps;
  WORD wTag;
  *this >> wTag;
  DWORD obTag;
  if (wTag == kBigObjectTag) {
    *this >> obTag;
  } else {
    obTag = (static_cast<DWORD>(wTag & kClassTag) << 16) | (wTag & ~kClassTag);
  }
  if (wTag != kNewClassTag && !(obTag & kBigClassTag)) {  // an object reference
    if (!pObTag) AfxThrowArchiveException(CArchiveException::badIndex, m_pFile->GetFilePath());
    *pObTag = obTag;
    return nullptr;
  }
  CRuntimeClass* pClass;
  UINT nSchema;
  if (wTag == kNewClassTag) {
    pClass = LoadClass(&nSchema);
    if (m_pMaps->nextIndex >= kMaxMapCount) AfxThrowArchiveException(CArchiveException::badIndex);
    m_pMaps->loaded.push_back({pClass, true, nSchema});
    ++m_pMaps->nextIndex;
  } else {
    const DWORD index = obTag & ~kBigClassTag;
    if (index == 0 || index >= m_pMaps->loaded.size() || !m_pMaps->loaded[index].isClass)
      AfxThrowArchiveException(CArchiveException::badIndex, m_pFile->GetFilePath());
    pClass = static_cast<CRuntimeClass*>(m_pMaps->loaded[index].p);
    nSchema = m_pMaps->loaded[index].schema;
  }
  if (pClassRefRequested && !pClass->IsDerivedFrom(pClassRefRequested))
    AfxThrowArchiveException(CArchiveException::badClass, m_pFile->GetFilePath());
  if (pSchema) *pSchema = nSchema;
  if (pObTag) *pObTag = 0;
  return pClass;
}

CObject* CArchive::ReadObject(const CRuntimeClass* pClassRefRequested, AcceptFn pfnAccept) {
  RequireLoading();
  UINT nSchema = 0;
  DWORD obTag = 0;
  m_bLastObjectNew = FALSE;
  CRuntimeClass* pClass = ReadClass(pClassRefRequested, &nSchema, &obTag);
  if (!pClass) {
    if (obTag >= m_pMaps->loaded.size() || m_pMaps->loaded[obTag].isClass)
      AfxThrowArchiveException(CArchiveException::badIndex, m_pFile->GetFilePath());
    auto* pOb = static_cast<CObject*>(m_pMaps->loaded[obTag].p);
    if (pOb && ((pClassRefRequested && !pOb->IsKindOf(pClassRefRequested)) || (pfnAccept && !pfnAccept(pOb))))
      AfxThrowArchiveException(CArchiveException::badClass, m_pFile->GetFilePath());
    return pOb;
  }
  if (m_nDepth >= kMaxLoadDepth)
    AfxThrowArchiveException(CArchiveException::genericException, m_pFile->GetFilePath());
  if (m_pMaps->nextIndex >= kMaxMapCount) AfxThrowArchiveException(CArchiveException::badIndex);
  // Running out of memory while an object loads is the file's fault (a size it could not back),
  // so callers see it as the archive exception like every other refusal.
  std::unique_ptr<CObject> pOb;
  size_t slot = 0;
  try {
    pOb.reset(pClass->CreateObject());
    if (!pOb) AfxThrowArchiveException(CArchiveException::badClass, m_pFile->GetFilePath());
    if (pfnAccept && !pfnAccept(pOb.get()))
      AfxThrowArchiveException(CArchiveException::badClass, m_pFile->GetFilePath());
    slot = m_pMaps->loaded.size();
    m_pMaps->loaded.push_back({pOb.get(), false, 0});
  } catch (const std::bad_alloc&) {
    ThrowLoadOutOfMemory(m_pFile);
  } catch (const CMemoryException&) {
    ThrowLoadOutOfMemory(m_pFile);
  }
  ++m_pMaps->nextIndex;
  m_nObjectSchema = nSchema;
  struct DepthGuard {
    int& depth;
    ~DepthGuard() { --depth; }
  } guard{++m_nDepth};
  try {
    pOb->Serialize(*this);
  } catch (...) {
    // The half-loaded object is freed; forget it so that no later reference can reach it.
    m_pMaps->loaded[slot].p = nullptr;
    try {
      throw;
    } catch (const std::bad_alloc&) {
      ThrowLoadOutOfMemory(m_pFile);
    } catch (const std::length_error&) {
      ThrowLoadOutOfMemory(m_pFile);
    } catch (const CMemoryException&) {
      ThrowLoadOutOfMemory(m_pFile);
    }
  }
  // Set after Serialize, which may have read objects of its own.
  m_bLastObjectNew = TRUE;
  return pOb.release();
}

DWORD CArchive::GetLoadedCount() const {
  return m_pMaps ? static_cast<DWORD>(m_pMaps->loaded.size() - 1) : 0;
}

UINT CArchive::GetObjectSchema() {
  const UINT n = m_nObjectSchema;
  m_nObjectSchema = static_cast<UINT>(-1);
  return n;
}
