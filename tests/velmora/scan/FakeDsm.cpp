// A scripted TWAIN source manager with one source: the test sets its behaviour and reads back
// what it was asked through the exported FakeDsm* functions.
#include "platform/twain/Twain.h"
#include "platform/win/GlobalMem.h"

#include <cstring>
#include <vector>

namespace {
struct State {
  bool open = false, sourceOpen = false, enabled = false;
  bool refuseSigned = false;  // a signed transfer count gets check status
  bool failTransfer = false;
  int images = 2;             // transfers a run offers
  int pending = 0;
  TW_UINT16 event = MSG_NULL;
  TW_UINT16 condition = 0;
  TW_UINT16 lastSetType = 0;
  TW_UINT32 lastSetValue = 0;
  std::vector<HGLOBAL> handed;  // bitmaps handed over
} g;

TW_UINT16 Fail(TW_UINT16 cc) {
  g.condition = cc;
  return TWRC_FAILURE;
}

HGLOBAL Bitmap() {
  // 3 x 2 pixels, 24 bits: bottom row blue, top row red.
  const size_t stride = 12;
  HGLOBAL h = GlobalAlloc(GHND, sizeof(TW_BITMAPINFOHEADER) + stride * 2);
  auto* p = static_cast<uint8_t*>(GlobalLock(h));
  TW_BITMAPINFOHEADER bi{};
  bi.biSize = sizeof bi;
  bi.biWidth = 3;
  bi.biHeight = 2;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  std::memcpy(p, &bi, sizeof bi);
  for (int x = 0; x < 3; ++x) {
    p[sizeof bi + 3 * x] = 255;               // bottom row: blue
    p[sizeof bi + stride + 3 * x + 2] = 255;  // top row: red
  }
  GlobalUnlock(h);
  return h;
}
}  // namespace

extern "C" {
__attribute__((visibility("default"))) void FakeDsmScript(bool refuseSigned, bool failTransfer, int images) {
  g.refuseSigned = refuseSigned;
  g.failTransfer = failTransfer;
  g.images = images;
}
__attribute__((visibility("default"))) void FakeDsmLastSet(TW_UINT16* type, TW_UINT32* value) {
  *type = g.lastSetType;
  *value = g.lastSetValue;
}
// How many bitmaps were handed over, and how many of them are still allocated.
__attribute__((visibility("default"))) void FakeDsmBitmaps(int* handed, int* alive) {
  *handed = static_cast<int>(g.handed.size());
  *alive = 0;
  for (HGLOBAL h : g.handed) *alive += GlobalSize(h) > 0 ? 1 : 0;
}

__attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 /*dg*/,
                                                           TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  if (!origin) return TWRC_FAILURE;
  if (dat == DAT_STATUS) {
    static_cast<TW_STATUS*>(data)->ConditionCode = g.condition;
    return TWRC_SUCCESS;
  }
  if (dat == DAT_PARENT) {
    g.open = msg == MSG_OPENDSM;
    return TWRC_SUCCESS;
  }
  if (!g.open) return Fail(TWCC_SEQERROR);
  if (dat == DAT_IDENTITY) {
    auto* id = static_cast<TW_IDENTITY*>(data);
    if (msg == MSG_GETDEFAULT || msg == MSG_USERSELECT) {
      std::memset(id, 0, sizeof *id);
      id->Id = 1;
      std::strcpy(id->ProductName, "Fake");
      return TWRC_SUCCESS;
    }
    if (msg == MSG_OPENDS) return (g.sourceOpen = id->Id == 1) ? TWRC_SUCCESS : Fail(TWCC_NODS);
    if (msg == MSG_CLOSEDS) {
      g.sourceOpen = false;
      return TWRC_SUCCESS;
    }
  }
  if (!dest || !g.sourceOpen) return Fail(TWCC_BADDEST);
  if (dat == DAT_CAPABILITY) {
    auto* cap = static_cast<TW_CAPABILITY*>(data);
    if (msg == MSG_SET) {
      auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(cap->hContainer));
      const TW_UINT16 type = one->ItemType;
      const TW_UINT32 value = one->Item;
      GlobalUnlock(cap->hContainer);
      if (g.refuseSigned && type == TWTY_INT16) {
        g.condition = TWCC_BADVALUE;
        return TWRC_CHECKSTATUS;
      }
      g.lastSetType = type;
      g.lastSetValue = value;
      return TWRC_SUCCESS;
    }
    HGLOBAL h = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
    auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(h));
    one->ItemType = TWTY_UINT16;
    one->Item = 7;
    GlobalUnlock(h);
    cap->ConType = TWON_ONEVALUE;
    cap->hContainer = h;
    return TWRC_SUCCESS;
  }
  if (dat == DAT_USERINTERFACE) {
    if (msg == MSG_ENABLEDS) {
      g.enabled = true;
      g.pending = g.images;
      g.event = MSG_XFERREADY;
      static_cast<TW_USERINTERFACE*>(data)->ModalUI = 0;
    } else {
      g.enabled = false;
    }
    return TWRC_SUCCESS;
  }
  if (dat == DAT_EVENT) {
    auto* ev = static_cast<TW_EVENT*>(data);
    ev->TWMessage = g.event;
    g.event = MSG_NULL;
    return ev->TWMessage == MSG_NULL ? TWRC_NOTDSEVENT : TWRC_DSEVENT;
  }
  if (dat == DAT_IMAGEINFO) {
    auto* info = static_cast<TW_IMAGEINFO*>(data);
    std::memset(info, 0, sizeof *info);
    info->ImageWidth = 3;
    info->ImageLength = 2;
    info->BitsPerPixel = 24;
    return TWRC_SUCCESS;
  }
  if (dat == DAT_IMAGENATIVEXFER) {
    if (g.failTransfer) return Fail(TWCC_OPERATIONERROR);
    HGLOBAL h = Bitmap();
    g.handed.push_back(h);
    *static_cast<TW_HANDLE*>(data) = h;
    return TWRC_XFERDONE;
  }
  if (dat == DAT_PENDINGXFERS) {
    auto* px = static_cast<TW_PENDINGXFERS*>(data);
    g.pending = msg == MSG_RESET ? 0 : g.pending - 1;
    if (g.pending <= 0) {
      g.pending = 0;
      g.event = MSG_CLOSEDSREQ;
    }
    px->Count = static_cast<TW_UINT16>(g.pending);
    return TWRC_SUCCESS;
  }
  return Fail(TWCC_BADPROTOCOL);
}

extern const char* const ExportOrdinals[] = {"DSM_Entry", nullptr};
}
