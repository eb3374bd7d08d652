// CSharedFile: a memory file over a global memory block, the form in which data goes to and
// comes from the clipboard. Reading an attached block never goes past the block's size, so a
// hostile clipboard payload can only make a loader fail, not read beyond it.
#pragma once

#include "platform/afx/MemFile.h"
#include "platform/win/GlobalMem.h"

class CSharedFile : public CMemFile {
  DECLARE_DYNAMIC(CSharedFile)

 public:
  explicit CSharedFile(UINT nAllocFlags = GMEM_DDESHARE | GMEM_MOVEABLE, UINT nGrowBytes = 4096);
  // Frees a block still attached.
  ~CSharedFile() override;

  // Attaches a block: its whole size is the file's contents, read from the start; with bAllowGrow
  // writing past the end grows it, otherwise throws CMemoryException. The file owns the block
  // until Detach.
  void SetHandle(HGLOBAL hGlobalMemory, BOOL bAllowGrow = TRUE);
  // Hands the block, sized to the file's length, to the caller and empties the file; null when
  // nothing was written or attached.
  HGLOBAL Detach();

 protected:
  BYTE* Realloc(BYTE* lpMem, size_t nBytes) override;
  void Free(BYTE* lpMem) override;

 private:
  HGLOBAL m_hGlobal = nullptr;
  UINT m_nAllocFlags;
  UINT m_nGrowStep;
};
