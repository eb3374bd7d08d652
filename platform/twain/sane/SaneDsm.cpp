// A TWAIN source manager over SANE. Every SANE device is a source (its name as product name);
// the user selects one from the list of devices (SaneDsmUi.h), enabling starts the acquisition
// and reports "transfer ready" through the application's event pump, and each native transfer
// reads one SANE frame (showing its progress when the source's interface is wanted) into a
// device-independent bitmap in a global block.
#include "platform/twain/Twain.h"
#include "platform/twain/sane/SaneDsmUi.h"
#include "platform/win/GlobalMem.h"

#include <sane/sane.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

// A frame larger than this is refused rather than read into memory.
constexpr size_t kMaxFrameBytes = size_t(512) << 20;

struct Manager {
  // Recursive: the progress window lets the application's events run while a frame is read.
  std::recursive_mutex mutex;
  bool open = false;
  TW_UINT16 condition = TWCC_SUCCESS;
  std::vector<std::string> devices;  // names by source id - 1
  std::vector<std::string> labels;   // what the source list shows of each
  size_t chosen = 0;                 // the default source: the one last selected
  bool showUI = false;               // the source was enabled with its interface
  // The one open source.
  SANE_Handle handle = nullptr;
  TW_UINT32 sourceId = 0;
  bool enabled = false;
  bool started = false;
  SANE_Parameters params{};
  int xferCount = -1;  // as the application set it
  int pending = 0;
  TW_UINT16 event = MSG_NULL;  // the next event to report
};

Manager& M() {
  static Manager m;
  return m;
}

TW_UINT16 Fail(TW_UINT16 condition) {
  M().condition = condition;
  return TWRC_FAILURE;
}

void CopyName(TW_STR32 dst, const std::string& src) {
  std::memset(dst, 0, sizeof(TW_STR32));
  std::memcpy(dst, src.data(), std::min(src.size(), sizeof(TW_STR32) - 1));
}

void ListDevices() {
  Manager& m = M();
  m.devices.clear();
  m.labels.clear();
  const SANE_Device** list = nullptr;
  if (sane_get_devices(&list, SANE_TRUE) != SANE_STATUS_GOOD || !list) return;
  for (int i = 0; list[i] && m.devices.size() < 1000; ++i) {
    const SANE_Device& d = *list[i];
    if (!d.name) continue;
    m.devices.emplace_back(d.name);
    std::string label = d.name;
    if (d.vendor && d.model) label += std::string(" (") + d.vendor + " " + d.model + ")";
    m.labels.push_back(std::move(label));
  }
}

void FillSource(TW_IDENTITY& id, size_t index) {
  std::memset(&id, 0, sizeof id);
  id.Id = static_cast<TW_UINT32>(index + 1);
  id.Version.MajorNum = 1;
  CopyName(id.Version.Info, "SANE");
  id.ProtocolMajor = 1;
  id.ProtocolMinor = 8;
  id.SupportedGroups = DG_SUPPORTED;
  CopyName(id.Manufacturer, "SANE");
  CopyName(id.ProductFamily, "SANE device");
  CopyName(id.ProductName, M().devices[index]);
}

void StopFrame() {
  Manager& m = M();
  if (m.handle && m.started) sane_cancel(m.handle);
  m.started = false;
}

bool StartFrame() {
  Manager& m = M();
  if (m.started) return true;
  if (sane_start(m.handle) != SANE_STATUS_GOOD) return false;
  if (sane_get_parameters(m.handle, &m.params) != SANE_STATUS_GOOD || m.params.pixels_per_line <= 0 ||
      m.params.bytes_per_line <= 0) {
    sane_cancel(m.handle);
    return false;
  }
  const bool gray = m.params.format == SANE_FRAME_GRAY, rgb = m.params.format == SANE_FRAME_RGB;
  const int d = m.params.depth;
  if (!((gray && (d == 1 || d == 8 || d == 16)) || (rgb && (d == 8 || d == 16)))) {
    sane_cancel(m.handle);
    return false;
  }
  m.started = true;
  return true;
}

// Reads the whole frame; lines unknown in advance are read to the end of the frame. False when
// the device fails or the user cancels.
bool ReadFrame(std::vector<uint8_t>& raw, int& lines) {
  Manager& m = M();
  const size_t bpl = static_cast<size_t>(m.params.bytes_per_line);
  size_t expect = m.params.lines > 0 ? bpl * static_cast<size_t>(m.params.lines) : 0;
  if (expect > kMaxFrameBytes) return false;
  raw.clear();
  raw.reserve(expect);
  std::unique_ptr<velmora::twain::ReadProgress> progress;
  if (m.showUI && m.sourceId > 0 && m.sourceId <= m.devices.size())
    progress = std::make_unique<velmora::twain::ReadProgress>(m.devices[m.sourceId - 1], expect);
  std::vector<SANE_Byte> buf(64 * 1024);
  for (;;) {
    SANE_Int got = 0;
    const SANE_Status st = sane_read(m.handle, buf.data(), static_cast<SANE_Int>(buf.size()), &got);
    if (st == SANE_STATUS_EOF) break;
    if (st != SANE_STATUS_GOOD) return false;
    if (raw.size() + static_cast<size_t>(got) > kMaxFrameBytes) return false;
    raw.insert(raw.end(), buf.begin(), buf.begin() + got);
    if (progress && !progress->Advance(raw.size())) return false;
  }
  lines = static_cast<int>(raw.size() / bpl);
  return lines > 0;
}

// The frame as a bottom-up DIB: 1-bit and 8-bit grey with a colour table, 24-bit BGR for colour.
HGLOBAL MakeDib(const std::vector<uint8_t>& raw, int lines) {
  const SANE_Parameters& p = M().params;
  const int width = p.pixels_per_line;
  const bool rgb = p.format == SANE_FRAME_RGB;
  const int bits = rgb ? 24 : (p.depth == 1 ? 1 : 8);
  const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
  const size_t colours = bits == 24 ? 0 : (size_t(1) << bits);
  const size_t header = sizeof(TW_BITMAPINFOHEADER) + colours * 4;
  HGLOBAL h = GlobalAlloc(GHND, header + stride * static_cast<size_t>(lines));
  if (!h) return nullptr;
  auto* base = static_cast<uint8_t*>(GlobalLock(h));
  auto* bi = reinterpret_cast<TW_BITMAPINFOHEADER*>(base);
  bi->biSize = sizeof(TW_BITMAPINFOHEADER);
  bi->biWidth = width;
  bi->biHeight = lines;
  bi->biPlanes = 1;
  bi->biBitCount = static_cast<uint16_t>(bits);
  bi->biSizeImage = static_cast<uint32_t>(stride * static_cast<size_t>(lines));
  bi->biClrUsed = static_cast<uint32_t>(colours);
  uint8_t* table = base + sizeof(TW_BITMAPINFOHEADER);
  for (size_t i = 0; i < colours; ++i) {
    // SANE's line art marks black with 1: index 1 is black.
    const uint8_t v = bits == 1 ? (i ? 0 : 255) : static_cast<uint8_t>(i);
    table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = v;
  }
  const size_t bpl = static_cast<size_t>(p.bytes_per_line);
  const int bytesPerSample = p.depth == 16 ? 2 : 1;
  for (int y = 0; y < lines; ++y) {
    const uint8_t* src = raw.data() + bpl * static_cast<size_t>(y);
    uint8_t* dst = base + header + stride * static_cast<size_t>(lines - 1 - y);
    if (bits == 1) {
      std::memcpy(dst, src, std::min(bpl, stride));
    } else if (!rgb) {
      // 16-bit samples keep their high byte (SANE gives them in host order).
      for (int x = 0; x < width; ++x)
        dst[x] = bytesPerSample == 2 ? static_cast<uint8_t>(reinterpret_cast<const uint16_t*>(src)[x] >> 8) : src[x];
    } else {
      for (int x = 0; x < width; ++x)
        for (int c = 0; c < 3; ++c) {
          const size_t i = static_cast<size_t>(x) * 3 + c;
          const uint8_t v = bytesPerSample == 2 ? static_cast<uint8_t>(reinterpret_cast<const uint16_t*>(src)[i] >> 8) : src[i];
          dst[static_cast<size_t>(x) * 3 + (2 - c)] = v;
        }
    }
  }
  GlobalUnlock(h);
  return h;
}

TW_UINT16 ManagerCall(TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  Manager& m = M();
  if (dat == DAT_STATUS && msg == MSG_GET) {
    if (!data) return TWRC_FAILURE;
    static_cast<TW_STATUS*>(data)->ConditionCode = m.condition;
    m.condition = TWCC_SUCCESS;
    return TWRC_SUCCESS;
  }
  if (dat == DAT_PARENT && msg == MSG_OPENDSM) {
    if (m.open) return Fail(TWCC_SEQERROR);
    SANE_Int version = 0;
    if (sane_init(&version, nullptr) != SANE_STATUS_GOOD) return Fail(TWCC_BUMMER);
    m.open = true;
    return TWRC_SUCCESS;
  }
  if (!m.open) return Fail(TWCC_SEQERROR);
  if (dat == DAT_PARENT && msg == MSG_CLOSEDSM) {
    if (m.handle) return Fail(TWCC_SEQERROR);
    sane_exit();
    m.open = false;
    m.devices.clear();
    return TWRC_SUCCESS;
  }
  if (dat == DAT_IDENTITY && (msg == MSG_GETDEFAULT || msg == MSG_USERSELECT || msg == MSG_GETFIRST)) {
    if (!data) return Fail(TWCC_BADVALUE);
    ListDevices();
    if (m.devices.empty()) return Fail(TWCC_NODS);
    size_t index = msg == MSG_GETFIRST || m.chosen >= m.devices.size() ? 0 : m.chosen;
    if (msg == MSG_USERSELECT) {
      const int pick = velmora::twain::ChooseSource(m.labels, static_cast<int>(index));
      if (pick < 0 || static_cast<size_t>(pick) >= m.devices.size()) return TWRC_CANCEL;
      m.chosen = index = static_cast<size_t>(pick);
    }
    FillSource(*static_cast<TW_IDENTITY*>(data), index);
    return TWRC_SUCCESS;
  }
  if (dat == DAT_IDENTITY && msg == MSG_OPENDS) {
    auto* id = static_cast<TW_IDENTITY*>(data);
    if (!id) return Fail(TWCC_BADVALUE);
    if (m.handle) return Fail(TWCC_SEQERROR);
    if (m.devices.empty()) ListDevices();
    if (id->Id == 0 || id->Id > m.devices.size()) return Fail(TWCC_NODS);
    if (sane_open(m.devices[id->Id - 1].c_str(), &m.handle) != SANE_STATUS_GOOD) {
      m.handle = nullptr;
      return Fail(TWCC_OPERATIONERROR);
    }
    m.sourceId = id->Id;
    m.xferCount = -1;
    return TWRC_SUCCESS;
  }
  if (dat == DAT_IDENTITY && msg == MSG_CLOSEDS) {
    if (!m.handle || m.enabled) return Fail(TWCC_SEQERROR);
    StopFrame();
    sane_close(m.handle);
    m.handle = nullptr;
    m.sourceId = 0;
    m.event = MSG_NULL;
    return TWRC_SUCCESS;
  }
  return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 SourceCall(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  Manager& m = M();
  if (!m.handle) return Fail(TWCC_BADDEST);
  if (dg == DG_CONTROL && dat == DAT_CAPABILITY) {
    auto* cap = static_cast<TW_CAPABILITY*>(data);
    if (!cap || cap->Cap != CAP_XFERCOUNT) return Fail(TWCC_BADCAP);
    if (msg == MSG_GET) {
      HGLOBAL h = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
      if (!h) return Fail(TWCC_LOWMEMORY);
      auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(h));
      one->ItemType = TWTY_INT16;
      one->Item = static_cast<TW_UINT32>(static_cast<TW_INT16>(m.xferCount)) & 0xFFFF;
      GlobalUnlock(h);
      cap->ConType = TWON_ONEVALUE;
      cap->hContainer = h;
      return TWRC_SUCCESS;
    }
    if (msg == MSG_SET) {
      if (cap->ConType != TWON_ONEVALUE || GlobalSize(cap->hContainer) < sizeof(TW_ONEVALUE)) return Fail(TWCC_BADVALUE);
      auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(cap->hContainer));
      const int value = static_cast<TW_INT16>(one->Item & 0xFFFF);
      const bool typed = one->ItemType == TWTY_INT16 || one->ItemType == TWTY_UINT16;
      GlobalUnlock(cap->hContainer);
      if (!typed || value == 0 || value < -1) return Fail(TWCC_BADVALUE);
      m.xferCount = value;
      return TWRC_SUCCESS;
    }
    return Fail(TWCC_BADPROTOCOL);
  }
  if (dg == DG_CONTROL && dat == DAT_USERINTERFACE) {
    auto* ui = static_cast<TW_USERINTERFACE*>(data);
    if (msg == MSG_ENABLEDS) {
      if (!ui || m.enabled) return Fail(TWCC_SEQERROR);
      m.enabled = true;
      m.showUI = ui->ShowUI != 0;
      m.pending = m.xferCount < 0 ? 1 : m.xferCount;
      m.event = MSG_XFERREADY;
      ui->ModalUI = 0;
      return TWRC_SUCCESS;
    }
    if (msg == MSG_DISABLEDS) {
      if (!m.enabled) return Fail(TWCC_SEQERROR);
      StopFrame();
      m.enabled = false;
      m.pending = 0;
      m.event = MSG_NULL;
      return TWRC_SUCCESS;
    }
    return Fail(TWCC_BADPROTOCOL);
  }
  if (dg == DG_CONTROL && dat == DAT_EVENT && msg == MSG_PROCESSEVENT) {
    auto* ev = static_cast<TW_EVENT*>(data);
    if (!ev) return Fail(TWCC_BADVALUE);
    ev->TWMessage = MSG_NULL;
    if (!m.enabled || m.event == MSG_NULL) return TWRC_NOTDSEVENT;
    ev->TWMessage = m.event;
    m.event = MSG_NULL;
    return TWRC_DSEVENT;
  }
  if (dg == DG_IMAGE && dat == DAT_IMAGEINFO && msg == MSG_GET) {
    auto* info = static_cast<TW_IMAGEINFO*>(data);
    if (!info || !m.enabled || m.pending <= 0) return Fail(TWCC_SEQERROR);
    if (!StartFrame()) return Fail(TWCC_OPERATIONERROR);
    std::memset(info, 0, sizeof *info);
    const bool rgb = m.params.format == SANE_FRAME_RGB;
    info->ImageWidth = m.params.pixels_per_line;
    info->ImageLength = m.params.lines;  // -1 when the device does not know in advance
    info->SamplesPerPixel = rgb ? 3 : 1;
    const int bits = m.params.depth == 1 ? 1 : 8;
    for (int i = 0; i < info->SamplesPerPixel; ++i) info->BitsPerSample[i] = static_cast<TW_INT16>(bits);
    info->BitsPerPixel = static_cast<TW_INT16>(bits * info->SamplesPerPixel);
    info->PixelType = rgb ? TWPT_RGB : (bits == 1 ? TWPT_BW : TWPT_GRAY);
    return TWRC_SUCCESS;
  }
  if (dg == DG_IMAGE && dat == DAT_IMAGENATIVEXFER && msg == MSG_GET) {
    if (!data || !m.enabled || m.pending <= 0) return Fail(TWCC_SEQERROR);
    if (!StartFrame()) return Fail(TWCC_OPERATIONERROR);
    std::vector<uint8_t> raw;
    int lines = 0;
    const bool ok = ReadFrame(raw, lines);
    StopFrame();
    if (!ok) return Fail(TWCC_OPERATIONERROR);
    HGLOBAL dib = MakeDib(raw, lines);
    if (!dib) return Fail(TWCC_LOWMEMORY);
    *static_cast<TW_HANDLE*>(data) = dib;
    return TWRC_XFERDONE;
  }
  if (dg == DG_CONTROL && dat == DAT_PENDINGXFERS && (msg == MSG_ENDXFER || msg == MSG_RESET)) {
    auto* px = static_cast<TW_PENDINGXFERS*>(data);
    if (!px || !m.enabled) return Fail(TWCC_SEQERROR);
    StopFrame();
    m.pending = msg == MSG_RESET ? 0 : std::max(0, m.pending - 1);
    // Nothing more to scan: the source asks to be closed, as its own window would.
    if (m.pending == 0) m.event = MSG_CLOSEDSREQ;
    px->Count = static_cast<TW_UINT16>(m.pending);
    return TWRC_SUCCESS;
  }
  return Fail(TWCC_BADPROTOCOL);
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG,
                                                           TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData) {
  std::lock_guard lock(M().mutex);
  if (!pOrigin) return Fail(TWCC_BADVALUE);
  if (DAT == DAT_STATUS && MSG == MSG_GET && DG == DG_CONTROL) return ManagerCall(DAT, MSG, pData);
  if (!pDest) return DG == DG_CONTROL ? ManagerCall(DAT, MSG, pData) : Fail(TWCC_BADPROTOCOL);
  if (DG == DG_CONTROL && DAT == DAT_IDENTITY) return ManagerCall(DAT, MSG, pData ? pData : pDest);
  if (pDest->Id != M().sourceId) return Fail(TWCC_BADDEST);
  return SourceCall(DG, DAT, MSG, pData);
}

// Ordinal 1 is DSM_Entry.
extern const char* const ExportOrdinals[] = {"DSM_Entry", nullptr};
}
