#include "platform/afx/SharedFile.h"

IMPLEMENT_DYNAMIC(CSharedFile, CMemFile)

CSharedFile::CSharedFile(UINT nAllocFlags, UINT nGrowBytes)
    : CMemFile(nGrowBytes ? nGrowBytes : 4096), m_nAllocFlags(nAllocFlags), m_nGrowStep(nGrowBytes ? nGrowBytes : 4096) {}

CSharedFile::~CSharedFile() { Close(); }

void CSharedFile::SetHandle(HGLOBAL hGlobalMemory, BOOL bAllowGrow) {
  Close();
  auto* p = static_cast<BYTE*>(GlobalLock(hGlobalMemory));
  if (!p) return;
  m_hGlobal = hGlobalMemory;
  m_lpBuffer = p;
  m_nBufferSize = m_nFileSize = GlobalSize(hGlobalMemory);
  m_nPosition = 0;
  m_nGrowBytes = bAllowGrow ? m_nGrowStep : 0;
  m_bAutoDelete = true;
}

HGLOBAL CSharedFile::Detach() {
  HGLOBAL h = m_hGlobal;
  if (h) {
    GlobalUnlock(h);
    // The block carries exactly the written bytes, not the growth slack.
    GlobalReAlloc(h, m_nFileSize, GMEM_MOVEABLE);
  }
  m_hGlobal = nullptr;
  CMemFile::Detach();
  m_nGrowBytes = m_nGrowStep;
  return h;
}

BYTE* CSharedFile::Realloc(BYTE* lpMem, size_t nBytes) {
  (void)lpMem;  // the block is the buffer
  if (!m_hGlobal) {
    m_hGlobal = GlobalAlloc(m_nAllocFlags, nBytes);
    if (!m_hGlobal) return nullptr;
  } else if (!GlobalReAlloc(m_hGlobal, nBytes, m_nAllocFlags)) {
    return nullptr;
  }
  return static_cast<BYTE*>(GlobalLock(m_hGlobal));
}

void CSharedFile::Free(BYTE*) {
  if (m_hGlobal) GlobalFree(m_hGlobal);
  m_hGlobal = nullptr;
}
