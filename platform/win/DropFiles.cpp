#include "platform/win/DropFiles.h"

#include "platform/win/WindowBackend.h"

#include <algorithm>
#include <cwchar>
#include <mutex>
#include <set>

namespace {
struct Drop {
  std::vector<std::wstring> files;
  POINT at;
};

// Handles given out and not yet finished: anything else passed in is no drop handle.
std::mutex g_mutex;
std::set<HDROP>& Live() {
  static std::set<HDROP> live;
  return live;
}
std::set<HWND>& Accepting() {
  static std::set<HWND> accepting;
  return accepting;
}

const Drop* Find(HDROP h) {
  std::lock_guard lock(g_mutex);
  return Live().count(h) ? reinterpret_cast<const Drop*>(h) : nullptr;
}
}  // namespace

void DragAcceptFiles(HWND hWnd, BOOL fAccept) {
  if (!hWnd) return;
  {
    std::lock_guard lock(g_mutex);
    if (fAccept)
      Accepting().insert(hWnd);
    else
      Accepting().erase(hWnd);
  }
  velmora::win::Backend().PeerAcceptsFiles(hWnd, fAccept != FALSE);
}

UINT DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch) {
  const Drop* d = Find(hDrop);
  if (!d) return 0;
  if (iFile == 0xFFFFFFFFu) return static_cast<UINT>(d->files.size());
  if (iFile >= d->files.size()) return 0;
  const std::wstring& f = d->files[iFile];
  if (lpszFile && cch > 0) {
    const size_t n = std::min<size_t>(f.size(), cch - 1);
    std::wmemcpy(lpszFile, f.data(), n);
    lpszFile[n] = L'\0';
    return static_cast<UINT>(n);
  }
  return static_cast<UINT>(f.size());
}

BOOL DragQueryPoint(HDROP hDrop, POINT* lppt) {
  const Drop* d = Find(hDrop);
  if (!d || !lppt) return FALSE;
  *lppt = d->at;
  return TRUE;
}

void DragFinish(HDROP hDrop) {
  {
    std::lock_guard lock(g_mutex);
    if (!Live().erase(hDrop)) return;
  }
  delete reinterpret_cast<Drop*>(hDrop);
}

namespace velmora::win {
bool AcceptsFiles(HWND hWnd) {
  std::lock_guard lock(g_mutex);
  return Accepting().count(hWnd) != 0;
}

HDROP MakeDrop(std::vector<std::wstring> files, POINT at) {
  auto* d = new Drop{std::move(files), at};
  HDROP h = reinterpret_cast<HDROP>(d);
  std::lock_guard lock(g_mutex);
  Live().insert(h);
  return h;
}
}  // namespace velmora::win
