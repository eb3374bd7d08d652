#include "platform/win/Clipboard.h"

#include "platform/win/GlobalMem.h"
#include "platform/win/Window.h"
#include "platform/win/WindowBackend.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

using velmora::win::Backend;

namespace {
struct ClipState {
  bool open = false;
  HWND openedBy = nullptr;
  HWND owner = nullptr;
  std::map<UINT, HGLOBAL> owned;    // blocks handed over by SetClipboardData
  std::map<UINT, HGLOBAL> fetched;  // blocks made by GetClipboardData
  std::vector<std::wstring> names;  // registered formats from 0xC000
};

ClipState& C() {
  static ClipState s;
  return s;
}

void FreeAll(std::map<UINT, HGLOBAL>& blocks) {
  for (auto& [f, h] : blocks) GlobalFree(h);
  blocks.clear();
}

std::wstring NameOf(UINT format) {
  const auto& names = C().names;
  return format >= 0xC000 && format - 0xC000 < names.size() ? names[format - 0xC000] : std::wstring();
}
}  // namespace

void velmora::win::ClipboardOwnerLost() { C().owner = nullptr; }

BOOL OpenClipboard(HWND hWndNewOwner) {
  ClipState& c = C();
  if (c.open) return FALSE;
  c.open = true;
  c.openedBy = hWndNewOwner;
  FreeAll(c.fetched);
  return TRUE;
}

BOOL CloseClipboard() {
  ClipState& c = C();
  if (!c.open) return FALSE;
  c.open = false;
  c.openedBy = nullptr;
  return TRUE;
}

BOOL EmptyClipboard() {
  ClipState& c = C();
  if (!c.open) return FALSE;
  FreeAll(c.owned);
  FreeAll(c.fetched);
  Backend().ClearClipboard();
  c.owner = c.openedBy;
  return TRUE;
}

HANDLE SetClipboardData(UINT uFormat, HANDLE hMem) {
  ClipState& c = C();
  if (!c.open || !hMem || uFormat == 0) return nullptr;
  const size_t size = GlobalSize(hMem);
  const auto* p = static_cast<const BYTE*>(GlobalLock(hMem));
  if (!p) return nullptr;
  const bool ok = Backend().SetClipboardBytes(uFormat, NameOf(uFormat), p, size);
  GlobalUnlock(hMem);
  if (!ok) return nullptr;
  auto it = c.owned.find(uFormat);
  if (it != c.owned.end() && it->second != hMem) GlobalFree(it->second);
  c.owned[uFormat] = hMem;
  return hMem;
}

HANDLE GetClipboardData(UINT uFormat) {
  ClipState& c = C();
  if (!c.open) return nullptr;
  std::vector<BYTE> bytes;
  if (!Backend().GetClipboardBytes(uFormat, NameOf(uFormat), bytes, velmora::win::kMaxClipboardBytes))
    return nullptr;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!h) return nullptr;
  if (!bytes.empty()) {
    std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
  }
  auto it = c.fetched.find(uFormat);
  if (it != c.fetched.end()) GlobalFree(it->second);
  c.fetched[uFormat] = h;
  return h;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  return Backend().HasClipboardFormat(format, NameOf(format)) ? TRUE : FALSE;
}

HWND GetClipboardOwner() {
  const HWND h = C().owner;
  return IsWindow(h) ? h : nullptr;
}

UINT RegisterClipboardFormatW(LPCWSTR lpszFormat) {
  if (!lpszFormat || !*lpszFormat) return 0;
  auto& names = C().names;
  auto it = std::find(names.begin(), names.end(), lpszFormat);
  if (it != names.end()) return 0xC000 + static_cast<UINT>(it - names.begin());
  if (names.size() >= 0x3FFF) return 0;
  names.emplace_back(lpszFormat);
  return 0xC000 + static_cast<UINT>(names.size() - 1);
}

int GetClipboardFormatNameW(UINT format, LPWSTR lpszFormatName, int cchMaxCount) {
  const std::wstring name = NameOf(format);
  if (name.empty() || !lpszFormatName || cchMaxCount <= 0) return 0;
  const int n = std::min<int>(static_cast<int>(name.size()), cchMaxCount - 1);
  std::wmemcpy(lpszFormatName, name.data(), static_cast<size_t>(n));
  lpszFormatName[n] = L'\0';
  return n;
}
