#include "platform/win/Resource.h"

#include <algorithm>
#include <cwchar>
#include <map>
#include <mutex>
#include <vector>

namespace {
struct Tables {
  std::mutex mutex;
  std::map<UINT, velmora::win::MenuBuilder> menus;
  std::map<UINT, std::vector<ACCEL>> accels;
  std::map<UINT, std::wstring> strings;
  std::map<std::pair<std::wstring, UINT>, std::vector<BYTE>> data;
};
Tables& T() {
  static Tables t;
  return t;
}
}  // namespace

void velmora::win::RegisterMenuResource(UINT nId, MenuBuilder build) {
  std::lock_guard lock(T().mutex);
  T().menus[nId] = build;
}

void velmora::win::RegisterAcceleratorResource(UINT nId, const ACCEL* entries, int nCount) {
  std::lock_guard lock(T().mutex);
  if (!entries || nCount <= 0) {
    T().accels.erase(nId);
    return;
  }
  T().accels[nId].assign(entries, entries + nCount);
}

void velmora::win::RegisterStringResource(UINT nId, const std::wstring& text) {
  std::lock_guard lock(T().mutex);
  T().strings[nId] = text;
}

void velmora::win::RegisterDataResource(UINT nId, const std::wstring& type, std::vector<BYTE> data) {
  std::lock_guard lock(T().mutex);
  if (data.empty())
    T().data.erase({type, nId});
  else
    T().data[{type, nId}] = std::move(data);
}

BOOL velmora::win::LoadDataResource(UINT nId, const std::wstring& type, std::vector<BYTE>& data) {
  std::lock_guard lock(T().mutex);
  auto it = T().data.find({type, nId});
  if (it == T().data.end()) return FALSE;
  data = it->second;
  return TRUE;
}

std::wstring velmora::win::LoadStringResource(UINT nId) {
  std::lock_guard lock(T().mutex);
  auto it = T().strings.find(nId);
  return it == T().strings.end() ? std::wstring() : it->second;
}

HMENU LoadMenuW(HINSTANCE, UINT nId) {
  velmora::win::MenuBuilder build = nullptr;
  {
    std::lock_guard lock(T().mutex);
    auto it = T().menus.find(nId);
    if (it != T().menus.end()) build = it->second;
  }
  return build ? build() : nullptr;
}

HACCEL LoadAcceleratorsW(HINSTANCE, UINT nId) {
  std::vector<ACCEL> entries;
  {
    std::lock_guard lock(T().mutex);
    auto it = T().accels.find(nId);
    if (it == T().accels.end()) return nullptr;
    entries = it->second;
  }
  return CreateAcceleratorTableW(entries.data(), static_cast<int>(entries.size()));
}

int LoadStringW(HINSTANCE, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer || cchBufferMax <= 0) return 0;
  const std::wstring s = velmora::win::LoadStringResource(uID);
  const int n = std::min<int>(static_cast<int>(s.size()), cchBufferMax - 1);
  std::wmemcpy(lpBuffer, s.data(), static_cast<size_t>(n));
  lpBuffer[n] = L'\0';
  return n;
}
