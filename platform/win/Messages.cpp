#include "platform/win/Messages.h"

#include <map>
#include <mutex>
#include <string>

UINT RegisterWindowMessageW(LPCWSTR lpString) {
  if (!lpString || !*lpString) return 0;
  static std::mutex mutex;
  static std::map<std::wstring, UINT> names;
  std::lock_guard lock(mutex);
  auto [it, added] = names.emplace(lpString, static_cast<UINT>(0xC000 + names.size()));
  (void)added;
  return it->second;
}
