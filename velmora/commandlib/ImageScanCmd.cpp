#include "velmora/commandlib/ImageScanCmd.h"

#include "db/Action.h"
#include "db/DbImage.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/Dib.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/ViewState.h"
#include "platform/win/GlobalMem.h"

#include <cstring>

namespace {

uint32_t U32(const BYTE* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const BYTE* p) { return uint16_t(p[0] | p[1] << 8); }

// The block stays locked while it is read.
class BlockLock {
 public:
  explicit BlockLock(HGLOBAL h) : m_h(h), m_p(static_cast<const BYTE*>(GlobalLock(h))), m_size(GlobalSize(h)) {}
  ~BlockLock() {
    if (m_p) GlobalUnlock(m_h);
  }
  BlockLock(const BlockLock&) = delete;
  BlockLock& operator=(const BlockLock&) = delete;
  const BYTE* Data() const { return m_p; }
  size_t Size() const { return m_p ? m_size : 0; }

 private:
  HGLOBAL m_h;
  const BYTE* m_p;
  size_t m_size;
};

}  // namespace

CImageScanCmd::CImageScanCmd(int flag, const wchar_t* name) : CEditCmd(flag, name, 0) {}

CImageScanCmd::~CImageScanCmd() = default;

BOOL CImageScanCmd::SetBitmap(HGLOBAL bitmap, int bitsPerPixel, int height, int width) {
  m_pending.reset();
  if (!bitmap) return FALSE;
  BlockLock block(bitmap);
  const BYTE* p = block.Data();
  const size_t size = block.Size();
  constexpr size_t kHeader = 40;
  if (!p || size < kHeader) return FALSE;
  const uint32_t headerSize = U32(p);
  const int32_t w = int32_t(U32(p + 4)), h = int32_t(U32(p + 8));
  const int bpp = U16(p + 14);
  const uint32_t compression = U32(p + 16), colorsUsed = U32(p + 32);
  if (headerSize < kHeader || headerSize > size) return FALSE;
  if (bpp != bitsPerPixel || w != width || (h != height && h != -height)) return FALSE;
  if (compression != 0 /* BI_RGB */) return FALSE;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return FALSE;
  const bool topDown = h < 0;
  const int rows = topDown ? -h : h;
  auto dib = std::make_unique<CDib>();
  if (w <= 0 || rows <= 0 || !dib->Create(w, rows)) return FALSE;

  // Deep pictures may still carry a colour table (a hint for display); it is skipped.
  size_t colors = colorsUsed;
  if (bpp <= 8 && colors == 0) colors = size_t(1) << bpp;
  if ((bpp <= 8 && colors > (size_t(1) << bpp)) || colors > (size - headerSize) / 4) return FALSE;
  const size_t table = headerSize;
  const size_t bits = table + colors * 4;
  const size_t stride = (size_t(w) * bpp + 31) / 32 * 4;
  if (bits > size || (size - bits) / stride < size_t(rows)) return FALSE;

  for (int r = 0; r < rows; ++r) {
    const BYTE* row = p + bits + size_t(r) * stride;
    const int y = topDown ? r : rows - 1 - r;  // CDib rows count from the top
    for (int x = 0; x < w; ++x) {
      BYTE b = 0, g = 0, red = 0;
      if (bpp >= 24) {
        const BYTE* px = row + size_t(x) * (bpp / 8);
        b = px[0], g = px[1], red = px[2];
      } else {
        const size_t bit = size_t(x) * bpp;
        const unsigned index = (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
        if (index >= colors) return FALSE;
        const BYTE* q = p + table + size_t(index) * 4;
        b = q[0], g = q[1], red = q[2];
      }
      dib->SetPixel(x, y, RGB(red, g, b));
    }
  }
  m_pending = std::move(dib);
  return TRUE;
}

int CImageScanCmd::StartUp(int sub) {
  CEditCmd::StartUp(sub);
  if (!m_pending || !gGetDBase()) {
    Cancel();
    return 0;
  }
  double origin[2] = {0.0, 0.0};
  if (const CVurode* v = gGetVurode()) v->GetOrigin(origin);
  CDib* dib = m_pending.release();
  dib->AddRef();
  auto* image = new CDbImage(dib, origin);
  if (const CKXGlobal* global = gGetKXGlobal()) image->SetLayerID(global->GetCurrentLayerID());
  auto action = std::make_unique<CAction>(1, CString(L"Image Scan"));
  action->AddNewEnt(image);
  const BOOL ok = Commit(action.release());
  Cancel();
  return ok ? 1 : 0;
}
