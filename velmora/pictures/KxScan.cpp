#include "velmora/pictures/KxScan.h"

#include "platform/win/GlobalMem.h"
#include "platform/win/Module.h"
#include "platform/win/Window.h"

#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <mutex>
#include <string>

namespace {
std::mutex g_nameMutex;
std::wstring& ManagerName() {
  // Our source manager over SANE (TWAIN_32.DLL has no counterpart here).
  static std::wstring name = L"libvelmora_twain.so";
  return name;
}

// A bare library name is looked for beside this library first (where the build and the
// installation put our source manager), then the way the loader finds libraries.
std::wstring Locate(const std::wstring& name) {
  if (name.find(L'/') != std::wstring::npos) return name;
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&ManagerName), &info) && info.dli_fname) {
    std::error_code ec;
    const std::filesystem::path beside = std::filesystem::path(info.dli_fname).parent_path() / std::filesystem::path(name);
    if (std::filesystem::is_regular_file(beside, ec)) return beside.wstring();
  }
  return name;
}

void CopyStr(TW_STR32 dst, const char* src) {
  std::memset(dst, 0, sizeof(TW_STR32));
  std::strncpy(dst, src, sizeof(TW_STR32) - 1);
}
}  // namespace

void CKxScan::SetSourceManagerName(const wchar_t* name) {
  std::lock_guard lock(g_nameMutex);
  ManagerName() = name ? name : L"";
}

const wchar_t* CKxScan::GetSourceManagerName() {
  std::lock_guard lock(g_nameMutex);
  return ManagerName().c_str();
}

CKxScan::CKxScan(HWND hWnd) {
  if (hWnd) InitTwain(hWnd);
}

CKxScan::~CKxScan() { ReleaseTwain(); }

void CKxScan::ReleaseTwain() {
  if (!IsLoaded()) {
    if (m_hTwainDLL) FreeLibrary(m_hTwainDLL);
    m_hTwainDLL = nullptr;
    m_pDSMProc = nullptr;
    return;
  }
  CloseDSM();
  FreeLibrary(m_hTwainDLL);
  m_hTwainDLL = nullptr;
  m_pDSMProc = nullptr;
}

BOOL CKxScan::InitTwain(HWND hWnd) {
  if (IsLoaded()) return TRUE;
  std::memset(&m_AppId, 0, sizeof m_AppId);
  if (!IsWindow(hWnd)) return FALSE;
  m_hMessageWnd = hWnd;
  std::wstring name;
  {
    std::lock_guard lock(g_nameMutex);
    name = ManagerName();
  }
  m_hTwainDLL = name.empty() ? nullptr : LoadLibraryW(Locate(name).c_str());
  if (m_hTwainDLL) {
    m_pDSMProc = reinterpret_cast<DSMENTRYPROC>(GetProcAddress(m_hTwainDLL, MAKEINTRESOURCEA(1)));
    if (!m_pDSMProc) {
      FreeLibrary(m_hTwainDLL);
      m_hTwainDLL = nullptr;
    }
  }
  if (!IsLoaded()) return FALSE;
  GetIdentity();
  m_bDSMOpen = CallDSM(&m_AppId, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &m_hMessageWnd);
  return TRUE;
}

void CKxScan::GetIdentity() {
  m_AppId.Id = 0;
  m_AppId.Version.MajorNum = 3;
  m_AppId.Version.MinorNum = 5;
  m_AppId.Version.Language = 13;
  m_AppId.Version.Country = 1;
  CopyStr(m_AppId.Version.Info, "3.5");
  m_AppId.ProtocolMajor = 1;
  m_AppId.ProtocolMinor = 8;
  m_AppId.SupportedGroups = DG_SUPPORTED;
  CopyStr(m_AppId.Manufacturer, "Velmora Software");
  CopyStr(m_AppId.ProductFamily, "Generic");
  CopyStr(m_AppId.ProductName, "Twain Test");
}

BOOL CKxScan::CallDSM(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                      TW_MEMREF pData) {
  if (!IsLoaded()) {
    m_returnCode = TWRC_FAILURE;
    return FALSE;
  }
  m_returnCode = m_pDSMProc(pOrigin, pDest, DG, DAT, MSG, pData);
  if (m_returnCode != TWRC_SUCCESS) m_pDSMProc(pOrigin, pDest, DG_CONTROL, DAT_STATUS, MSG_GET, &m_Status);
  return m_returnCode == TWRC_SUCCESS;
}

BOOL CKxScan::GetDefaultSource() {
  m_bSourceSelected = CallDSM(&m_AppId, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &m_Source);
  return m_bSourceSelected;
}

BOOL CKxScan::SelectSource() {
  // A cancelled choice keeps the source chosen before (a cleared identity would name none).
  const TW_IDENTITY before = m_Source;
  std::memset(&m_Source, 0, sizeof m_Source);
  if (!m_bSourceSelected) GetDefaultSource();
  const TW_IDENTITY fallback = m_bSourceSelected && m_Source.Id ? m_Source : before;
  if (CallDSM(&m_AppId, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &m_Source))
    m_bSourceSelected = TRUE;
  else
    m_Source = fallback;
  return m_bSourceSelected;
}

BOOL CKxScan::OpenSource(TW_IDENTITY* pSource) {
  if (pSource) m_Source = *pSource;
  if (!m_bDSMOpen) return FALSE;
  if (!m_bSourceSelected) {
    if (!GetDefaultSource()) return FALSE;
  }
  m_bSourceOpen = CallDSM(&m_AppId, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &m_Source);
  return m_bSourceOpen;
}

BOOL CKxScan::EnableSource(BOOL showUI) {
  if (!m_bSourceOpen || m_bSourceEnabled) return FALSE;
  TW_USERINTERFACE ui{};
  ui.ShowUI = static_cast<TW_BOOL>(showUI ? 1 : 0);
  ui.hParent = m_hMessageWnd;
  m_bSourceEnabled = CallDSM(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
  m_bModalUI = m_bSourceEnabled ? ui.ModalUI : TRUE;
  // Our source's events arrive through the owner's message pre-translation: one message on the
  // owner's queue starts the exchange.
  if (m_bSourceEnabled && m_hMessageWnd) PostMessageW(m_hMessageWnd, WM_NULL, 0, 0);
  return m_bSourceEnabled;
}

BOOL CKxScan::DisableSource() {
  if (!m_bSourceEnabled) return FALSE;
  TW_USERINTERFACE ui{};
  ui.hParent = m_hMessageWnd;
  CallDSM(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
  m_bSourceEnabled = FALSE;
  return TRUE;
}

BOOL CKxScan::CloseSource() {
  if (!m_bSourceOpen) return FALSE;
  DisableSource();
  CallDSM(&m_AppId, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_Source);
  m_bSourceOpen = FALSE;
  return TRUE;
}

BOOL CKxScan::CloseDSM() {
  if (!m_bDSMOpen) return FALSE;
  CloseSource();
  CallDSM(&m_AppId, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &m_hMessageWnd);
  m_bDSMOpen = FALSE;
  return TRUE;
}

BOOL CKxScan::GetCapability(TW_CAPABILITY& cap, TW_UINT16 conType) {
  cap.ConType = conType;
  cap.hContainer = nullptr;
  return CallDSM(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap);
}

BOOL CKxScan::GetCapability(TW_UINT16 capId, TW_UINT32& value) {
  TW_CAPABILITY cap{};
  cap.Cap = capId;
  if (!GetCapability(cap)) return FALSE;
  BOOL ok = FALSE;
  if (cap.ConType == TWON_ONEVALUE && GlobalSize(cap.hContainer) >= sizeof(TW_ONEVALUE)) {
    auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(cap.hContainer));
    if (one) {
      value = one->Item;
      ok = TRUE;
      GlobalUnlock(cap.hContainer);
    }
  }
  if (cap.hContainer) GlobalFree(cap.hContainer);
  return ok;
}

BOOL CKxScan::SetOneValueCapability(TW_UINT16 capId, TW_UINT16 type, TW_UINT16 value) {
  TW_CAPABILITY cap{};
  cap.Cap = capId;
  cap.ConType = TWON_ONEVALUE;
  cap.hContainer = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
  if (!cap.hContainer) return FALSE;
  auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(cap.hContainer));
  one->ItemType = type;
  one->Item = value;
  GlobalUnlock(cap.hContainer);
  const BOOL ok = CallDSM(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap);
  GlobalFree(cap.hContainer);
  return ok;
}

BOOL CKxScan::SetImageCount(TW_INT16 count) {
  if (SetOneValueCapability(CAP_XFERCOUNT, TWTY_INT16, static_cast<TW_UINT16>(count))) {
    m_nImageCount = count;
    return TRUE;
  }
  if (m_returnCode == TWRC_CHECKSTATUS) {
    // The source wants the count its own way: take its current value and set that as unsigned.
    TW_UINT32 current = 0;
    if (GetCapability(CAP_XFERCOUNT, current) &&
        SetOneValueCapability(CAP_XFERCOUNT, TWTY_UINT16, static_cast<TW_UINT16>(current))) {
      m_nImageCount = static_cast<TW_INT16>(current);
      return TRUE;
    }
  }
  return FALSE;
}

BOOL CKxScan::Acquire(int numImages) {
  if (!m_bSourceOpen && !OpenSource()) return FALSE;
  if (!SetImageCount(static_cast<TW_INT16>(numImages))) return FALSE;
  return EnableSource(TRUE);
}

BOOL CKxScan::ProcessMessage(MSG& msg) {
  if (!m_bSourceEnabled) return FALSE;
  TW_EVENT twEvent{};
  twEvent.pEvent = &msg;
  twEvent.TWMessage = MSG_NULL;
  CallDSM(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &twEvent);
  if (m_returnCode == TWRC_NOTDSEVENT) return FALSE;
  TranslateMessage(twEvent);
  return TRUE;
}

void CKxScan::TranslateMessage(TW_EVENT& twEvent) {
  switch (twEvent.TWMessage) {
    case MSG_XFERREADY:
      TransferImage();
      break;
    case MSG_CLOSEDSREQ:
      if (ShouldCloseSource()) CloseSource();
      break;
    default:
      break;
  }
}

BOOL CKxScan::GetImageInfo(TW_IMAGEINFO& info) {
  if (!m_bSourceEnabled) return FALSE;
  return CallDSM(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info);
}

BOOL CKxScan::GetImage(TW_IMAGEINFO& info) {
  TW_HANDLE bitmap = nullptr;
  CallDSM(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &bitmap);
  switch (m_returnCode) {
    case TWRC_XFERDONE:
      CopyImage(static_cast<HANDLE>(bitmap), info);
      if (bitmap) GlobalFree(static_cast<HGLOBAL>(bitmap));
      return TRUE;
    case TWRC_FAILURE:
      CancelTransfer();
      return FALSE;
    default:
      // A cancelled transfer: the bitmap, if any, is not ours to keep.
      if (bitmap) GlobalFree(static_cast<HGLOBAL>(bitmap));
      return TRUE;
  }
}

void CKxScan::TransferImage() {
  // Bounded by the source's pending count; a source that never reaches zero is cut off.
  for (int guard = 0; guard < 0x10000; ++guard) {
    TW_IMAGEINFO info{};
    if (!GetImageInfo(info)) {
      CancelTransfer();
      return;
    }
    switch (ShouldTransfer(info)) {
      case 0:
        if (!GetImage(info)) return;
        if (!EndTransfer()) return;
        break;
      case 1:
        if (!EndTransfer()) return;
        break;
      default:
        CancelTransfer();
        return;
    }
  }
  CancelTransfer();
}

BOOL CKxScan::EndTransfer() {
  TW_PENDINGXFERS px{};
  CallDSM(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &px);
  return px.Count != 0;
}

void CKxScan::CancelTransfer() {
  TW_PENDINGXFERS px{};
  CallDSM(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &px);
}

int CKxScan::ShouldTransfer(const TW_IMAGEINFO&) { return 0; }

BOOL CKxScan::ShouldCloseSource() { return TRUE; }
